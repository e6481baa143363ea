#include "farm/verification.h"
#include "model/computer.h"
#include "model/scene_choice.h"
#include "model/scene_list.h"
#include "options/options.h"

#include "scripted_people.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::unique_ptr<TScene> RangeScene(int first, int last, int step)
{
    auto scene = std::make_unique<TScene>();
    scene->Filename = QStringLiteral("/scenes/shot.lws");
    scene->KestrionFilename = QStringLiteral("/scenes/shot.lns");
    scene->Settings.Range = true;
    scene->Settings.CurrentFirst = first;
    scene->Settings.CurrentLast = last;
    scene->Settings.CurrentStep = step;
    scene->Reset(NowDateTime());
    return scene;
}

QStringList Pieces(TScene& scene, int count)
{
    QStringList pieces;
    for (QString piece = scene.NextFramesText(count); !piece.isEmpty(); piece = scene.NextFramesText(count))
        pieces << piece;
    return pieces;
}

TEST(SceneFrames, PiecesUpDownAndUneven)
{
    EXPECT_EQ(Pieces(*RangeScene(1, 10, 1), 3), QStringList({ "1 3 1", "4 6 1", "7 9 1", "10 10 1" }));
    auto uneven = RangeScene(1, 10, 4);
    EXPECT_EQ(Pieces(*uneven, 2), QStringList({ "1 5 4", "9 10 4" }));
    EXPECT_EQ(uneven->Settings.RangeLast, 10);
    EXPECT_TRUE(uneven->IsFinished());
    EXPECT_EQ(Pieces(*RangeScene(10, 1, -1), 4), QStringList({ "10 7 -1", "6 3 -1", "2 1 -1" }));

    auto scene = RangeScene(1, 10, 1);
    scene->NextFramesText(3);
    scene->Settings.MissingList = QStringLiteral("5 8");
    EXPECT_EQ(scene->NextFramesText(3), QStringLiteral("5 5 1"));
    EXPECT_EQ(scene->NextFramesText(3), QStringLiteral("8 8 1"));
    EXPECT_EQ(scene->NextFramesText(3), QStringLiteral("4 6 1"));
    EXPECT_EQ(scene->Settings.RenderLast, 6);

    auto singles = RangeScene(1, 2, 1);
    singles->Settings.Singles = true;
    singles->Settings.SinglesList = QStringLiteral("40 50");
    singles->Reset(NowDateTime());
    EXPECT_EQ(Pieces(*singles, 5), QStringList({ "1 2 1", "40 40 1", "50 50 1" }));
}

TEST(SceneFrames, HugeRangesAndHandEditedValuesEnd)
{
    // Neither a range ending at the 32-bit limit nor a piece that long wraps around.
    auto scene = RangeScene(2147483600, 2147483647, 1);
    EXPECT_EQ(Pieces(*scene, 2147483647), QStringList({ "2147483600 2147483647 1" }));
    EXPECT_EQ(scene->TotalFrames(), 48);
    // One step before a range that starts at the limit lies beyond it; no frame is lost there.
    EXPECT_EQ(Pieces(*RangeScene(2147483647, 2147483640, -1), 5),
        QStringList({ "2147483647 2147483643 -1", "2147483642 2147483640 -1" }));
    auto down = RangeScene(-2147483600, -2147483647, -1);
    EXPECT_EQ(Pieces(*down, 40), QStringList({ "-2147483600 -2147483639 -1", "-2147483640 -2147483647 -1" }));

    // A hand-edited step of 0 renders as step 1; a frame count below 1 as one frame a piece.
    auto zero = RangeScene(1, 3, 0);
    EXPECT_EQ(Pieces(*zero, 0), QStringList({ "1 1 1", "2 2 1", "3 3 1" }));
    EXPECT_EQ(zero->TotalFrames(), 3);
    EXPECT_EQ(zero->PercentDone(), 100);
    zero->Settings.RangeLast = 5000000000; // far past a range of three frames
    EXPECT_EQ(zero->PercentDone(), 100);
}

TEST(SceneFrames, ProgressFigures)
{
    auto scene = RangeScene(1, 10, 1);
    EXPECT_EQ(scene->Progress(), TSceneProgress::NothingHandedOut);
    EXPECT_EQ(scene->FramesLeft(), 10);
    scene->NextFramesText(3);
    EXPECT_EQ(scene->PercentDone(), 30);
    EXPECT_EQ(scene->Progress(), TSceneProgress::UnderWay);
    EXPECT_EQ(scene->FramesLeft(), 7);
    scene->Settings.MissingList = QStringLiteral("1 2");
    EXPECT_EQ(scene->PercentDone(), 10);
    EXPECT_EQ(scene->TotalFrames(), 12);

    TSceneList list;
    list.Add(std::move(scene), true);
    list.Add(RangeScene(1, 5, 1), true);
    EXPECT_EQ(list.TotalFrames(), 17);
    EXPECT_EQ(list.CountUnfinished(), 2);
    EXPECT_FALSE(list.AllFinished());
    EXPECT_TRUE(TSceneList().AllFinished());
}

class SceneNodes : public testing::Test
{
protected:
    TComputer& AddNode(int number, const QString& name, const QString& scene)
    {
        auto node = std::make_unique<TComputer>();
        node->Number = number;
        node->Name = name;
        node->SceneString = scene;
        node->Memory = 512;
        node->Processors = 2;
        TComputer& added = *node;
        nodes.Add(std::move(node));
        return added;
    }

    // The dispatch's own rule, with the nodes counted as they stand.
    bool Accepts(const TComputer& node) const
    {
        TSceneChoice choice;
        choice.CountNodes(nodes);
        return choice.Accepts(*scene, node);
    }

    TComputerList nodes;
    std::unique_ptr<TScene> scene = RangeScene(1, 100, 1);
    const QString file = QStringLiteral("/scenes/shot.lws");
};

TEST_F(SceneNodes, LimitsCountTheNodeItselfOut)
{
    TComputer& own = AddNode(1, "alpha", file);
    TComputer& other = AddNode(2, "beta", QString());
    scene->Settings.PlatformRenderComputers = true;
    scene->Settings.PlatformRenderComputersValue = 1;
    EXPECT_TRUE(Accepts(own));
    EXPECT_FALSE(Accepts(other));
    scene->Settings.PlatformRenderComputers = false;

    scene->Settings.PlatformRenderPercentage = true;
    scene->Settings.PlatformRenderPercentageValue = 50; // one of two is 50 %: equality refuses
    EXPECT_FALSE(Accepts(other));
    EXPECT_TRUE(Accepts(own));
    scene->Settings.PlatformRenderPercentage = false;

    TComputer& sibling = AddNode(3, "alpha", QString());
    scene->Settings.PlatformRenderMultiprocessor = true;
    EXPECT_FALSE(Accepts(sibling));
    EXPECT_TRUE(Accepts(other));
    scene->Settings.PlatformRenderMultiprocessor = false;

    scene->Settings.PlatformRenderSelected = true;
    scene->Settings.PlatformRenderSelectedValue = QStringLiteral("2 3");
    EXPECT_FALSE(Accepts(own));
    EXPECT_TRUE(Accepts(other));
}

TEST_F(SceneNodes, PlatformMemoryAndBrokenScenes)
{
    TComputer& node = AddNode(1, "alpha", QString());
    scene->Settings.Platforms = PlatformAlpha;
    EXPECT_FALSE(Accepts(node));
    node.CPU = QStringLiteral("Alpha");
    EXPECT_TRUE(Accepts(node));

    scene->Settings.PlatformRenderMemory = true;
    scene->Settings.PlatformRenderMemoryValue = 257;
    EXPECT_FALSE(Accepts(node)); // 512 MB on two processors
    node.Processors = 0; // a record without a processor count divides by one
    EXPECT_TRUE(Accepts(node));

    scene->KestrionFilename = NoneText;
    EXPECT_FALSE(Accepts(node));
}

TEST_F(SceneNodes, QueueOrderAndCrashedPieces)
{
    TSceneList list;
    TScene& low = list.Add(RangeScene(1, 10, 1), true);
    low.Settings.Priority = 1;
    list.Renumber();
    TScene& top = list.Add(RangeScene(1, 10, 1), true);
    top.Settings.Priority = 4;
    list.Renumber();
    EXPECT_EQ(&list.Item(0), &top);
    const TComputer& node = AddNode(1, "a", QString());
    TSceneChoice choice;
    choice.CountNodes(nodes);
    EXPECT_EQ(choice.ChooseScene(list, node), &top);

    TComputer crashed;
    crashed.SceneId = low.ID;
    crashed.Frames = QStringLiteral("7 9 1");
    low.Settings.MissingList = QStringLiteral("8 20");
    list.AddCrashedFrames(crashed);
    EXPECT_EQ(low.Settings.MissingList, QStringLiteral("8 20 7 9")); // 8 is not queued twice
    crashed.Frames = QStringLiteral("10 4 -3");
    list.AddCrashedFrames(crashed);
    EXPECT_EQ(low.Settings.MissingList, QStringLiteral("8 20 7 9 10 4"));
    crashed.SceneId = 0;
    crashed.Frames = QStringLiteral("1 1 1");
    list.AddCrashedFrames(crashed);
    EXPECT_EQ(low.Settings.MissingList, QStringLiteral("8 20 7 9 10 4"));

    // A piece as long as the 32-bit range allows still ends.
    TSceneList huge;
    TScene& big = huge.Add(RangeScene(2147483640, 2147483647, 1), true);
    crashed.SceneId = big.ID;
    crashed.Frames = QStringLiteral("2147483645 2147483647 1");
    huge.AddCrashedFrames(crashed);
    EXPECT_EQ(big.Settings.MissingList, QStringLiteral("2147483645 2147483646 2147483647"));
}

TEST(SceneListIds, NeverZeroNeverTakenLastOneFound)
{
    TSceneList list;
    for (int i = 0; i < 10000; ++i)
        list.Append(std::make_unique<TScene>()).ID = i;
    const int id = list.NewID();
    EXPECT_GE(id, 10000);
    EXPECT_EQ(list.IndexOfID(id), -1);

    TSceneList two;
    two.Append(std::make_unique<TScene>()).ID = 7;
    TScene& later = two.Append(std::make_unique<TScene>());
    later.ID = 7;
    EXPECT_EQ(two.FindByID(7), &later);
    EXPECT_EQ(two.FindByID(8), nullptr);
    for (int i = 0; i < 200; ++i)
        EXPECT_NE(two.NewID(), 0);
}

TEST(SceneListCopies, RemovingDeletesOnlyAnUnsharedPrivateCopy)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("shot.lns"));
    const QString user = dir.filePath(QStringLiteral("shot.lws"));
    WriteBytes(copy, "scene");
    WriteBytes(user, "scene");
    {
        TSceneList list;
        list.Append(std::make_unique<TScene>()).KestrionFilename = copy;
        list.Append(std::make_unique<TScene>()).KestrionFilename = copy;
        list.Append(std::make_unique<TScene>()).KestrionFilename = user;
        list.Remove(2);
        EXPECT_TRUE(QFile::exists(user)); // not a private copy
        list.Remove(0);
        EXPECT_TRUE(QFile::exists(copy)); // still named by the other scene
    }
    EXPECT_TRUE(QFile::exists(copy)); // freeing a list touches no file
    TSceneList list;
    list.Append(std::make_unique<TScene>()).KestrionFilename = copy;
    list.Remove(0);
    EXPECT_FALSE(QFile::exists(copy));
}

class SceneVerify : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        scene = RangeScene(1, 6, 1);
        scene->Settings.ContentDirectory = dir.path();
        scene->Data.SaveRGBImagesPrefix = QStringLiteral("out/f");
        scene->Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
        scene->Data.OutputFilenameFormat = 1;
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
        for (int frame : { 1, 2, 4, 6 })
            WriteBytes(scene->FrameFileName(frame, TFrameKind::RGB, NoneText), "image");
        // Neither a directory nor a name in other letters counts as the frame.
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out/f003.png")));
        WriteBytes(dir.filePath(QStringLiteral("out/F005.png")), "image");
    }

    QTemporaryDir dir;
    std::unique_ptr<TScene> scene;
    TScriptedPeople people;
};

TEST_F(SceneVerify, MissingFramesFromTheDisk)
{
    EXPECT_FALSE(scene->FrameExists(3, TFrameKind::RGB, NoneText));
    EXPECT_TRUE(scene->FrameExists(4, TFrameKind::RGB, NoneText));
    EXPECT_EQ(scene->MissingFrames(false, NoneText), QStringLiteral("3 5"));
    EXPECT_FALSE(scene->Verified);
    scene->Settings.Singles = true;
    scene->Settings.SinglesList = QStringLiteral("9 2");
    EXPECT_EQ(scene->MissingFrames(true, NoneText), QStringLiteral("3 5 9"));

    scene->Data.SaveRGBImagesPrefix = NoneText;
    EXPECT_EQ(scene->MissingFrames(false, NoneText), QString());
    EXPECT_TRUE(scene->Verified);
}

TEST_F(SceneVerify, AutomaticAddsManualAsks)
{
    scene->Settings.MissingList = QStringLiteral("5");
    TVerifyResult result = VerifyScene(*scene, true, people, NoneText);
    EXPECT_EQ(result.Missing, QStringLiteral("3 5"));
    EXPECT_TRUE(result.QueueChanged);
    EXPECT_EQ(scene->Settings.MissingList, QStringLiteral("5 3"));
    EXPECT_EQ(scene->VerifyTimes, 1);
    EXPECT_TRUE(people.Asked.isEmpty());

    scene->Settings.MissingList.clear();
    people.Answer = false;
    result = VerifyScene(*scene, false, people, NoneText);
    EXPECT_FALSE(result.QueueChanged);
    EXPECT_TRUE(scene->Settings.MissingList.isEmpty());
    ASSERT_EQ(people.Asked.size(), 1);
    EXPECT_EQ(people.Asked[0],
        QStringLiteral("2 frames of scene shot.lws not found: \n3 5\nAdd these frames to render again?"));

    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("out/f003.png")));
    WriteBytes(scene->FrameFileName(3, TFrameKind::RGB, NoneText), "image");
    WriteBytes(scene->FrameFileName(5, TFrameKind::RGB, NoneText), "image");
    result = VerifyScene(*scene, false, people, NoneText);
    EXPECT_TRUE(result.Missing.isEmpty());
    EXPECT_TRUE(scene->Verified);
}

TEST_F(SceneVerify, AnUnreadableShareIsNoProofOfMissingFrames)
{
    // A link to itself cannot be opened, for root too: like a share that has gone away.
    const QString out = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir(out).removeRecursively());
    ASSERT_TRUE(QFile::link(out, out));
    QStringList unreadable;
    EXPECT_EQ(scene->MissingFrames(false, NoneText, &unreadable), QString());
    EXPECT_EQ(unreadable, QStringList({ out }));
    EXPECT_FALSE(scene->Verified);

    TVerifyResult result = VerifyScene(*scene, true, people, NoneText);
    EXPECT_FALSE(result.QueueChanged);
    EXPECT_EQ(scene->VerifyTimes, 0);
    EXPECT_TRUE(scene->Settings.MissingList.isEmpty());
    EXPECT_FALSE(scene->Verified);
    VerifyScene(*scene, false, people, NoneText);
    ASSERT_EQ(people.Asked.size(), 1);
    EXPECT_TRUE(people.Asked[0].contains(out));

    // A directory that is not there holds no frames: they are missing.
    ASSERT_TRUE(QFile::remove(out));
    EXPECT_EQ(scene->MissingFrames(true, NoneText, &unreadable), QStringLiteral("1 2 3 4 5 6"));
    EXPECT_TRUE(unreadable.isEmpty());
}

TEST(SceneReport, StatisticsAndReportBlock)
{
    TScene scene;
    scene.Filename = QStringLiteral("/scenes/shot.lws");
    scene.Statistics.AddFrameTime(1.0 / 24);
    scene.Statistics.AddFrameTime(2.0 / 24);
    EXPECT_DOUBLE_EQ(scene.Statistics.AverageFrameTime(), 1.5 / 24);
    EXPECT_EQ(scene.Statistics.StatisticsText(0, 20),
        QStringLiteral("Frames finished 2   |   Per frame 01:30:00   |   Total 03:00:00   |   "
                       "Left (on 1 processors) 30:00:00"));
    EXPECT_DOUBLE_EQ(TSceneStatistics().AverageFrameTime(), 0);

    scene.Settings.AutomaticCopy = true;
    const QStringList report = scene.ReportText(2).split(QStringLiteral("\r\n"));
    ASSERT_EQ(report.size(), 5);
    EXPECT_EQ(report[0], QStringLiteral("shot.lws   in   /scenes)"));
    EXPECT_EQ(report[1], QStringLiteral("  2 __ 0 %"));
    EXPECT_TRUE(report[3].startsWith(QStringLiteral("  WARNING No RGB image output")));
}

} // namespace
