#include "model/scene_record.h"

#include "model/computer.h"
#include "model/scene_list.h"
#include "support/date_time.h"

#include "test_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TDateTime Moment(int year, int month, int day, int hour, int minute, int second, int ms)
{
    TDateTime moment = 0;
    EXPECT_TRUE(EncodeDateTime(year, month, day, hour, minute, second, ms, moment));
    return moment;
}

std::unique_ptr<TScene> FullScene()
{
    auto scene = std::make_unique<TScene>(QStringLiteral("/content"));
    scene->ID = 4711;
    scene->Filename = QStringLiteral("/scenes/shot.lws");
    scene->KestrionFilename = QStringLiteral("/scenes/shot.lns");
    scene->Verified = true;
    scene->VerifyTimes = 2;
    scene->Settings.Priority = 4;
    scene->Settings.Range = true;
    scene->Settings.CurrentFirst = 10;
    scene->Settings.CurrentLast = -20;
    scene->Settings.CurrentStep = -3;
    scene->Settings.RangeLast = 4;
    scene->Settings.Singles = true;
    scene->Settings.SinglesList = QStringLiteral("1 2 3");
    scene->Settings.SinglesToDo = QStringLiteral("3");
    scene->Settings.MissingList = QStringLiteral("7 9");
    scene->Settings.RenderLast = 9;
    scene->Settings.Platforms = PlatformAlpha | PlatformMacintosh;
    scene->Settings.PlatformRenderSelected = true;
    scene->Settings.PlatformRenderSelectedValue = QStringLiteral("2 5");
    scene->Settings.PlatformRenderMemoryValue = 64;
    scene->Settings.AutomaticCopy = true;
    scene->Settings.AutomaticCopyDirectory = QStringLiteral("/archive/shot ");
    scene->Data.SaveRGBImagesPrefix = QStringLiteral("Images/shot");
    scene->Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
    scene->Data.DataOverlay = 3;
    scene->Data.Antialiasing = 4;
    scene->Data.OriginalFirst = 1;
    scene->Data.OriginalLast = 50;
    scene->Data.OriginalStep = 1;
    scene->Data.ExtraData = true;
    scene->Statistics.TimeAdd = Moment(2026, 12, 8, 21, 5, 7, 123);
    scene->Statistics.RenderTimeTotal = 90.0 / (24 * 60);
    scene->Statistics.RenderFramesCount = 12;
    scene->Edited = Moment(2026, 12, 9, 0, 0, 0, 999);
    scene->Comment = QStringLiteral("Render box 3");
    return scene;
}

TEST(SceneRecord, WrittenAndReadBackEqual)
{
    auto scene = FullScene();
    QStringList lines;
    WriteRecord(*scene, lines);
    EXPECT_EQ(lines.first(), QStringLiteral("ID=4711"));
    EXPECT_EQ(lines.last(), QStringLiteral("[end]"));
    EXPECT_TRUE(lines.contains(QStringLiteral("RenderTimeTotal=1899 12 30 1 30 0 0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("PlatformIntel=0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("RGBImageSaver LW_PNG(.png)")));

    TScene read;
    qsizetype index = 0;
    ReadRecord(read, lines, index);
    EXPECT_EQ(index, lines.size() - 1);
    EXPECT_EQ(read.ID, 4711);
    EXPECT_EQ(read.Filename, scene->Filename);
    EXPECT_EQ(read.KestrionFilename, scene->KestrionFilename);
    EXPECT_TRUE(read.Verified);
    EXPECT_EQ(read.VerifyTimes, 2);
    EXPECT_EQ(read.Settings.Priority, 4);
    EXPECT_EQ(read.Settings.CurrentFirst, 10);
    EXPECT_EQ(read.Settings.CurrentLast, -20);
    EXPECT_EQ(read.Settings.CurrentStep, -3);
    EXPECT_EQ(read.Settings.RangeLast, 4);
    EXPECT_EQ(read.Settings.SinglesList, QStringLiteral("1 2 3"));
    EXPECT_EQ(read.Settings.SinglesToDo, QStringLiteral("3"));
    EXPECT_EQ(read.Settings.MissingList, QStringLiteral("7 9"));
    EXPECT_EQ(read.Settings.RenderLast, 9);
    EXPECT_EQ(read.Settings.Platforms, PlatformAlpha | PlatformMacintosh);
    EXPECT_TRUE(read.Settings.PlatformRenderSelected);
    EXPECT_EQ(read.Settings.PlatformRenderSelectedValue, QStringLiteral("2 5"));
    EXPECT_EQ(read.Settings.PlatformRenderMemoryValue, 64);
    EXPECT_TRUE(read.Settings.AutomaticCopy);
    EXPECT_EQ(read.Settings.AutomaticCopyDirectory, QStringLiteral("/archive/shot "));
    EXPECT_EQ(read.Settings.ContentDirectory, QStringLiteral("/content"));
    EXPECT_EQ(read.Data.SaveRGBImagesPrefix, QStringLiteral("Images/shot"));
    EXPECT_EQ(read.Data.DataOverlay, 3);
    EXPECT_EQ(read.Data.Antialiasing, 4);
    EXPECT_EQ(read.Data.OriginalLast, 50);
    EXPECT_TRUE(read.Data.ExtraData);
    EXPECT_EQ(read.Statistics.RenderFramesCount, 12);
    EXPECT_EQ(read.Comment, QStringLiteral("Render box 3"));
    for (const auto& [written, back] : { std::pair(scene->Statistics.TimeAdd, read.Statistics.TimeAdd),
             std::pair(scene->Statistics.RenderTimeTotal, read.Statistics.RenderTimeTotal),
             std::pair(scene->Edited, read.Edited) })
        EXPECT_NEAR(written, back, 0.5 / 86400000.0);
}

TEST(SceneRecord, ConditionalLinesAndTheirOrder)
{
    TScene plain;
    plain.Statistics.RenderTimeTotal = 26.0 / 24;
    QStringList lines;
    WriteRecord(plain, lines);
    EXPECT_FALSE(lines.join(u'\n').contains(QStringLiteral("CurrentFirst")));
    EXPECT_FALSE(lines.join(u'\n').contains(QStringLiteral("SinglesList")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Comment=")));
    EXPECT_TRUE(lines.contains(QStringLiteral("RenderTimeTotal=1899 12 31 2 0 0 0")));

    TScene read;
    qsizetype index = 0;
    ReadRecord(read,
        { "CurrentFirst=5", "Range=1", "CurrentLast=9", "RangeLast=2147483648", "PlatformIntel=0",
            "PlatformAlpha=0", "PlatformMacintosh=0", "PlatformSilicon=0", "Comment=", "[end]" },
        index);
    EXPECT_TRUE(read.Settings.Range);
    EXPECT_EQ(read.Settings.CurrentFirst, 1); // came before the range flag
    EXPECT_EQ(read.Settings.CurrentLast, 9);
    EXPECT_EQ(read.Settings.RangeLast, 9); // past the end: all handed out
    EXPECT_EQ(read.Settings.Platforms, PlatformsAll);
    EXPECT_EQ(read.Comment, QString());
    EXPECT_EQ(index, 9);

    TScene early;
    index = 0;
    ReadRecord(early,
        { "Range=1", "CurrentFirst=100", "CurrentLast=10", "CurrentStep=-5",
            "RangeLast=9000000000000000000" },
        index);
    EXPECT_EQ(early.Settings.RangeLast, 105); // before the start: nothing handed out
    EXPECT_EQ(early.NextFramesText(2), QStringLiteral("100 95 -5"));
}

TEST(SceneList, TextRoundTripAndBadCounts)
{
    TSceneList list;
    list.Add(FullScene(), false);
    list.Add(std::make_unique<TScene>(), true);
    QStringList lines;
    SaveToLines(list, lines);
    EXPECT_EQ(lines[0], QStringLiteral("2"));
    EXPECT_EQ(lines[1], QStringLiteral("[Scene0]"));

    TSceneList loaded;
    LoadFromLines(loaded, lines);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.Item(0).ID, 4711);
    EXPECT_EQ(loaded.Item(1).ID, list.Item(1).ID);

    // A count promising more than follows stops at the end; the records that are there stay.
    QStringList cut = lines.mid(0, lines.size() - 5);
    cut[0] = QStringLiteral("2000000000");
    TSceneList partial;
    LoadFromLines(partial, cut);
    EXPECT_EQ(partial.Count(), 2);

    // A damaged file naming more scenes than any queue holds stops at the limit.
    QStringList endless(SceneListLimit + 10, QStringLiteral("[end]"));
    endless[0] = QStringLiteral("2000000000");
    TSceneList limited;
    LoadFromLines(limited, endless);
    EXPECT_EQ(limited.Count(), SceneListLimit);

    for (const char* count : { "0", "-3", "x" }) {
        lines[0] = QLatin1String(count);
        TSceneList none;
        LoadFromLines(none, lines);
        EXPECT_EQ(none.Count(), 0) << count;
    }
}

TEST(SceneList, FilesAndState)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("queue.lst"));
    TSceneList list;
    list.Add(FullScene(), false);
    EXPECT_FALSE(LoadSceneList(list, path));
    EXPECT_EQ(list.Count(), 1);
    ASSERT_TRUE(SaveSceneList(list, path));
    EXPECT_TRUE(ReadBytes(path).startsWith("1\r\n[Scene0]\r\nID=4711\r\n"));
    EXPECT_FALSE(SaveSceneList(list, dir.filePath(QStringLiteral("no/such/dir/queue.lst"))));
    // Opening a list appends its scenes with their stored IDs.
    ASSERT_TRUE(LoadSceneList(list, path));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOfID(4711), 1);

    TComputerList computers;
    auto node = std::make_unique<TComputer>();
    node->Number = 3;
    node->StateString = QStringLiteral("Ready");
    computers.Add(std::move(node));
    QStringList state;
    SaveState(list, computers, state);
    EXPECT_EQ(state.mid(0, 3), QStringList({ "2", "1", "[Scene0]" }));
    EXPECT_TRUE(state.contains(QStringLiteral("[Computer0]")));

    TSceneList scenes;
    TComputerList nodes;
    ASSERT_TRUE(LoadState(scenes, state, nodes));
    EXPECT_EQ(scenes.Count(), 2);
    ASSERT_EQ(nodes.Count(), 1);
    EXPECT_EQ(nodes.Item(0).Number, 3);
    EXPECT_EQ(nodes.Item(0).StateString, QStringLiteral("Ready"));
    EXPECT_FALSE(LoadState(scenes, { "1" }, nodes));
}

} // namespace
