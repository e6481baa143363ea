#include "farm/scene_operations.h"

#include "farm/farm.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/text_file.h"

#include "scripted_people.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TScratchFarm
{
    TScratchFarm()
    {
        Options.Master = true;
        Options.ScreamerDirectory = Options.ContentDirectory = Dir.path();
        QFile::copy(QStringLiteral(KESTRION_TEST_DATA "/scenes/plain.lws"), Scene);
    }

    QTemporaryDir Dir;
    QString Scene = Dir.filePath(QStringLiteral("plain.lws"));
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };
};

TEST(SceneOperations, StampsAndIDsComeFromTheFarm)
{
    TScratchFarm f;
    f.Clock.Moment = 46200.25;
    f.Farm.Scenes.SeedIDs(7);
    ASSERT_TRUE(AddSceneFromFile(f.Farm, f.Scene, TSceneSettings(), QString()));
    const TScene& scene = f.Farm.Scenes.Item(0);
    EXPECT_EQ(scene.Statistics.TimeAdd, 46200.25);
    EXPECT_EQ(scene.Edited, 46200.25);

    // The same seed, the same IDs: a test can know the ID a scene will get.
    TSceneList other;
    other.SeedIDs(7);
    EXPECT_EQ(other.NewID(), scene.ID);
}

TEST(SceneOperations, AddDuplicateReloadRemove)
{
    TScratchFarm f;
    TSceneSettings initial;
    initial.Priority = 3;
    initial.CurrentLast = 7;
    ASSERT_TRUE(AddSceneFromFile(f.Farm, f.Scene, initial, QStringLiteral("Remo")));
    EXPECT_FALSE(
        AddSceneFromFile(f.Farm, QStringLiteral(KESTRION_TEST_DATA "/scenes/step0.lws"), initial, ""));
    ASSERT_EQ(f.Farm.Scenes.Count(), 1);
    TScene& source = f.Farm.Scenes.Item(0);
    EXPECT_EQ(source.Settings.Priority, 3);
    EXPECT_EQ(source.Settings.CurrentLast, 24); // the file's range wins
    EXPECT_EQ(source.Comment, QStringLiteral("Remo"));
    EXPECT_TRUE(QFileInfo(source.KestrionFilename).isFile());

    source.NextFrames(5);
    f.Clock.Moment = 46100;
    DuplicateScene(f.Farm, 0, QStringLiteral("Dup"));
    const TScene& copy = f.Farm.Scenes.Item(1);
    EXPECT_NE(copy.KestrionFilename, source.KestrionFilename);
    EXPECT_TRUE(QFileInfo(copy.KestrionFilename).isFile());
    EXPECT_EQ(copy.Settings.RangeLast, 0);
    EXPECT_EQ(copy.Comment, QStringLiteral("Dup"));
    EXPECT_EQ(copy.Statistics.TimeAdd, 46100);
    QFile::remove(copy.KestrionFilename);
    DuplicateScene(f.Farm, 1, QString());
    EXPECT_TRUE(
        f.Farm.Scenes.Item(2).WarningsText().contains(QStringLiteral("Scene duplication failed (*.lsn)")));

    // A reload is a fresh scene; one whose file has gone keeps its place and progress.
    const int oldID = source.ID;
    initial.Priority = 1;
    ASSERT_TRUE(ReloadScene(f.Farm, 0, initial, QStringLiteral("Re")));
    EXPECT_EQ(f.Farm.Scenes.IndexOfID(oldID), -1);
    const QString reloadedCopy = f.Farm.Scenes.Item(2).KestrionFilename;
    EXPECT_TRUE(QFileInfo(reloadedCopy).isFile());
    QFile::remove(f.Scene);
    EXPECT_FALSE(ReloadScene(f.Farm, 2, initial, QString()));
    EXPECT_EQ(f.Farm.Scenes.Item(2).KestrionFilename, reloadedCopy);

    RemoveScene(f.Farm, 2);
    EXPECT_FALSE(QFileInfo::exists(reloadedCopy));
    EXPECT_EQ(f.Farm.Scenes.Count(), 2);
}

TEST(SceneOperations, EditFromRecordKeepsProgressUnlessTheRangeChanges)
{
    TScratchFarm f;
    ASSERT_TRUE(AddSceneFromFile(f.Farm, f.Scene, TSceneSettings(), QString()));
    TScene& scene = f.Farm.Scenes.Item(0);
    scene.NextFrames(10);
    scene.Settings.MissingList = QStringLiteral("3");
    scene.Statistics.RenderFramesCount = 4;
    const TScene before = scene;

    // A snapshot taken before the progress, edited on a Remote, naming other files.
    TScene remote = scene;
    remote.Settings.RangeLast = 0;
    remote.Settings.MissingList = QStringLiteral("3 9");
    remote.Statistics.RenderFramesCount = 0;
    remote.Settings.Priority = 4;
    remote.ID = 99;
    remote.KestrionFilename = f.Dir.filePath(QStringLiteral("victim.txt"));
    remote.Filename = QStringLiteral("/elsewhere.lws");
    QStringList record;
    WriteRecord(remote, record);
    EditSceneFromRecord(scene, record, f.Farm.Now());
    EXPECT_EQ(scene.Settings.Priority, 4);
    EXPECT_EQ(scene.Settings.RangeLast, 10);
    EXPECT_EQ(scene.Settings.MissingList, QStringLiteral("3 9"));
    EXPECT_EQ(scene.Statistics.RenderFramesCount, 4);
    EXPECT_EQ(scene.ID, before.ID);
    EXPECT_EQ(scene.KestrionFilename, before.KestrionFilename);
    EXPECT_EQ(scene.Filename, before.Filename);
    EXPECT_EQ(scene.Edited, before.Edited);

    // A new range starts over; new render options reach the private copy.
    remote.Settings.CurrentLast = 12;
    remote.Data.RenderMode = 0;
    record.clear();
    WriteRecord(remote, record);
    EditSceneFromRecord(scene, record, f.Farm.Now());
    EXPECT_EQ(scene.Settings.CurrentLast, 12);
    EXPECT_EQ(scene.Settings.RangeLast, 0);
    EXPECT_TRUE(scene.Settings.MissingList.isEmpty());
    QStringList copyLines;
    ASSERT_TRUE(ReadTextLines(scene.KestrionFilename, copyLines));
    EXPECT_TRUE(copyLines.contains(QStringLiteral("RenderMode 0")));
}

} // namespace

// The edit's numbers are text as typed: out of bounds or no number keeps the scene's own value.
TEST(SceneOperations, ApplySceneEditBoundsAndStartOver)
{
    TScene scene;
    scene.Settings.Range = true;
    scene.Settings.CurrentFirst = 10;
    scene.Settings.CurrentLast = 20;
    scene.Settings.CurrentStep = 2;
    scene.Settings.Priority = 2;
    scene.Data.SaveRGBImagesPrefix = QStringLiteral("Images/a");
    // A filename format the dialog does not offer is no change of the render options.
    scene.Data.OutputFilenameFormat = 7;
    scene.Reset(1);
    scene.NextFrames(2);

    TSceneEdit edit = SceneEditOf(scene);
    edit.First = QStringLiteral("-5");
    edit.Last = QStringLiteral("99999999999");
    edit.AutomaticVerifyTimes = QString(5000, u'9');
    edit.PlatformRenderPercentageValue = QStringLiteral("101");
    edit.Priority = 17;
    EXPECT_FALSE(ApplySceneEdit(scene, edit, 2));
    EXPECT_EQ(scene.Settings.CurrentFirst, 10);
    EXPECT_EQ(scene.Settings.CurrentLast, 20);
    EXPECT_EQ(scene.Settings.AutomaticVerifyTimes, 5);
    EXPECT_EQ(scene.Settings.PlatformRenderPercentageValue, 50);
    EXPECT_EQ(scene.Settings.Priority, 4);
    EXPECT_EQ(scene.Data.OutputFilenameFormat, 7);
    // Nothing of the range changed: the scene goes on where it was.
    EXPECT_EQ(scene.Settings.RangeLast, 12);

    edit = SceneEditOf(scene);
    edit.Step = QStringLiteral("0");
    edit.SinglesList = QString(100000, u',') + QStringLiteral("3,5,7 x 8");
    edit.SaveRGB = false;
    EXPECT_TRUE(ApplySceneEdit(scene, edit, 3));
    EXPECT_EQ(scene.Settings.CurrentStep, 1);
    EXPECT_EQ(scene.Settings.SinglesList, QStringLiteral("357 8"));
    EXPECT_EQ(scene.Data.SaveRGBImagesPrefix, NoneText);
    EXPECT_EQ(scene.Settings.RangeLast, 9);
    EXPECT_EQ(scene.Edited, 3);

    // Several scenes: only the common options apply.
    edit = SceneEditOf(scene);
    edit.PerScene = false;
    edit.First = QStringLiteral("1");
    edit.SaveRGB = true;
    edit.RGBPrefix = QStringLiteral("Images/b");
    edit.RenderMode = 1;
    EXPECT_TRUE(ApplySceneEdit(scene, edit, 4));
    EXPECT_EQ(scene.Settings.CurrentFirst, 10);
    EXPECT_EQ(scene.Data.SaveRGBImagesPrefix, NoneText);
    EXPECT_EQ(scene.Data.RenderMode, 1);
}
