#include "core/scene_operations.h"

#include "core/farm.h"
#include "core/scene_record.h"
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
        Options.ScreamerDirectory = Dir.path();
        Options.ContentDirectory = Dir.path();
        QFile::copy(QStringLiteral(KESTRION_TEST_DATA "/scenes/plain.lws"), Scene);
    }

    // A scene of plain.lws with its own copy and a known ID.
    TScene& Add(int id, int priority = 2)
    {
        TSceneSettings settings;
        settings.Priority = priority;
        EXPECT_TRUE(AddSceneFromFile(Farm, Scene, settings, QStringLiteral("Master")));
        TScene* added = nullptr;
        for (int i = 0; i < Farm.Scenes.Count(); ++i)
            if (Farm.Scenes.Item(i).Order == Farm.Scenes.Count() - 1)
                added = &Farm.Scenes.Item(i);
        added->ID = id;
        return *added;
    }

    QList<int> IDs() const
    {
        QList<int> ids;
        for (int i = 0; i < Farm.Scenes.Count(); ++i)
            ids << Farm.Scenes.Item(i).ID;
        return ids;
    }

    QTemporaryDir Dir;
    QString Scene = Dir.filePath(QStringLiteral("plain.lws"));
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };
};

TEST(SceneOperations, AddDuplicateReloadRemove)
{
    TScratchFarm f;
    TSceneSettings initial;
    initial.Priority = 3;
    initial.CurrentLast = 7;
    initial.AutomaticVerifyTimes = 2;
    ASSERT_TRUE(AddSceneFromFile(f.Farm, f.Scene, initial, QStringLiteral("Remo")));
    EXPECT_FALSE(AddSceneFromFile(f.Farm, QStringLiteral(KESTRION_TEST_DATA "/scenes/step0.lws"), initial, "x"));
    ASSERT_EQ(f.Farm.Scenes.Count(), 1);
    TScene& added = f.Farm.Scenes.Item(0);
    EXPECT_EQ(added.Settings.Priority, 3);
    EXPECT_EQ(added.Settings.CurrentLast, 24); // the file's range wins
    EXPECT_EQ(added.Settings.AutomaticVerifyTimes, 2);
    EXPECT_EQ(added.Comment, QStringLiteral("Remo"));
    EXPECT_TRUE(QFileInfo(added.KestrionFilename).isFile());
    EXPECT_GE(added.ID, 1);

    added.NextFrames(5);
    f.Clock.Moment = 46100;
    f.Add(50, 3);
    DuplicateScene(f.Farm, 0, QStringLiteral("Dup"));
    ASSERT_EQ(f.Farm.Scenes.Count(), 3);
    const TScene& source = f.Farm.Scenes.Item(0);
    const TScene& copy = f.Farm.Scenes.Item(2); // behind the scenes of its priority
    EXPECT_EQ(copy.Filename, source.Filename);
    EXPECT_NE(copy.KestrionFilename, source.KestrionFilename);
    EXPECT_TRUE(QFileInfo(copy.KestrionFilename).isFile());
    EXPECT_EQ(copy.Settings.RangeLast, 0);
    EXPECT_EQ(copy.Comment, QStringLiteral("Dup"));
    EXPECT_EQ(copy.Statistics.TimeAdd, 46100);
    EXPECT_NE(copy.ID, source.ID);

    QFile::remove(f.Farm.Scenes.Item(1).KestrionFilename);
    DuplicateScene(f.Farm, 1, QStringLiteral("Dup"));
    EXPECT_TRUE(f.Farm.Scenes.Item(3).WarningsText().contains(QStringLiteral("Scene duplication failed (*.lsn)")));

    // Reloading gives a fresh scene with the new options; a scene whose file is gone stays.
    const int oldID = f.Farm.Scenes.Item(0).ID;
    initial.Priority = 1;
    ASSERT_TRUE(ReloadScene(f.Farm, 0, initial, QStringLiteral("Re")));
    const TScene& reloaded = f.Farm.Scenes.Item(3);
    EXPECT_NE(reloaded.ID, oldID);
    EXPECT_EQ(f.Farm.Scenes.IndexOfID(oldID), -1);
    EXPECT_EQ(reloaded.Settings.RangeLast, 0);
    EXPECT_TRUE(QFileInfo(reloaded.KestrionFilename).isFile());
    QFile::remove(f.Scene);
    EXPECT_FALSE(ReloadScene(f.Farm, 0, initial, QStringLiteral("Re")));
    EXPECT_EQ(f.Farm.Scenes.Count(), 4);

    const QString doomedCopy = reloaded.KestrionFilename;
    RemoveScene(f.Farm, 3);
    EXPECT_FALSE(QFileInfo::exists(doomedCopy));
    EXPECT_EQ(f.Farm.Scenes.Count(), 3);
}

TEST(SceneOperations, MoveLastsOnlyAmongEqualPriorities)
{
    TScratchFarm f;
    f.Add(1, 3);
    f.Add(2, 1);
    f.Add(3, 1);
    MoveScene(f.Farm, 2, 0); // a priority-1 scene above a priority-3 one
    EXPECT_EQ(f.IDs(), QList<int>({ 1, 3, 2 }));
    MoveScene(f.Farm, 2, 1);
    EXPECT_EQ(f.IDs(), QList<int>({ 1, 2, 3 }));
}

TEST(SceneOperations, EditFromRecordKeepsProgressUnlessTheRangeChanges)
{
    TScratchFarm f;
    TScene& scene = f.Add(7);
    scene.NextFrames(10);
    scene.Settings.MissingList = QStringLiteral("3");
    scene.Verified = true;
    scene.Statistics.RenderFramesCount = 4;
    const QString copyPath = scene.KestrionFilename;
    const TDateTime edited = scene.Edited;

    // A snapshot taken before the progress, edited on a Remote and aimed at other files.
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
    EditSceneFromRecord(scene, record);
    EXPECT_EQ(scene.Settings.Priority, 4);
    EXPECT_EQ(scene.Settings.RangeLast, 10);
    EXPECT_EQ(scene.Settings.MissingList, QStringLiteral("3 9"));
    EXPECT_TRUE(scene.Verified);
    EXPECT_EQ(scene.Statistics.RenderFramesCount, 4);
    EXPECT_EQ(scene.ID, 7);
    EXPECT_EQ(scene.KestrionFilename, copyPath);
    EXPECT_EQ(scene.Filename, f.Scene);
    EXPECT_EQ(scene.Edited, edited);

    // A new range starts over; new render options reach the private copy.
    remote.Settings.CurrentLast = 12;
    remote.Data.RenderMode = 0;
    record.clear();
    WriteRecord(remote, record);
    EditSceneFromRecord(scene, record);
    EXPECT_EQ(scene.Settings.CurrentLast, 12);
    EXPECT_EQ(scene.Settings.RangeLast, 0);
    EXPECT_TRUE(scene.Settings.MissingList.isEmpty());
    EXPECT_FALSE(scene.Verified);
    QStringList copyLines;
    ASSERT_TRUE(ReadTextLines(copyPath, copyLines));
    EXPECT_TRUE(copyLines.contains(QStringLiteral("RenderMode 0")));
}

} // namespace
