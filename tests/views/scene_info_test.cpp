#include "views/scene_info.h"

#include "farm/farm.h"
#include "model/computer.h"
#include "options/options.h"
#include "support/clock.h"

#include "scripted_people.h"

#include <gtest/gtest.h>

namespace {

TEST(SceneInfo, RenderModeText)
{
    TSceneData data;
    data.RenderMode = 2;
    data.RayTraceEffects = 1;
    data.RayRecursionLimit = 16;
    EXPECT_EQ(RenderModeText(data), QStringLiteral("Realistic   with   Shadows (Ray Recursion 16)"));
    data.RayTraceEffects = 7;
    EXPECT_EQ(RenderModeText(data),
        QStringLiteral("Realistic   with   Shadows | Reflection | Refraction (Ray Recursion 16)"));
    data.RenderMode = 3;
    data.RayTraceEffects = 6;
    EXPECT_EQ(RenderModeText(data), QStringLiteral("RenderGL   with   Reflection | Refraction"));
    // Without any effect there is nothing to be "with".
    data.RayTraceEffects = 0;
    EXPECT_EQ(RenderModeText(data), QStringLiteral("RenderGL"));
    data.RenderMode = 0;
    data.RayTraceEffects = 7;
    EXPECT_EQ(RenderModeText(data), QStringLiteral("Wireframe"));
    data.RenderMode = 9;
    EXPECT_EQ(RenderModeText(data), QString());
}

TEST(SceneInfo, CameraTexts)
{
    TSceneData data;
    data.Resolution = -1;
    EXPECT_EQ(CameraSizeText(data), QStringLiteral("Super Low Res"));
    data.CustomSize = true;
    data.CustomWidth = 720;
    data.CustomHeight = 576;
    data.LimitedRegion = true;
    EXPECT_EQ(CameraSizeText(data), QStringLiteral("Custom Resolution 720x576  |  Limited Region"));

    data.Antialiasing = 3;
    data.EnhancedAA = true;
    data.AdaptiveSampling = true;
    data.AdaptiveThreshold = 8;
    data.FilterType = 1;
    EXPECT_EQ(
        AntialiasingText(data), QStringLiteral("High Enhanced  |  Adaptive Sampling 8  |  Soft Filter"));

    EXPECT_EQ(CameraOptionsText(data), QString());
    data.FieldRendering = true;
    data.MotionBlur = 1;
    EXPECT_EQ(CameraOptionsText(data), QStringLiteral("Fields | Motion Blur"));
}

TEST(SceneInfo, PlatformsAndRestrictions)
{
    EXPECT_EQ(PlatformText(PlatformsAll), QStringLiteral("All"));
    EXPECT_EQ(PlatformText(0), QStringLiteral("None"));
    EXPECT_EQ(PlatformText(PlatformIntel | PlatformSilicon | PlatformMacintosh),
        QStringLiteral("Intel | Macintosh | Silicon"));

    TSceneSettings settings;
    EXPECT_EQ(RestrictionsText(settings), QString());
    settings.PlatformRenderComputers = true;
    settings.PlatformRenderMemory = true;
    settings.PlatformRenderMemoryValue = 256;
    EXPECT_EQ(RestrictionsText(settings),
        QStringLiteral("Maximum 10 computers | Only computers with 256 MB Memory"));
}

TEST(SceneInfo, SceneAndOutputNames)
{
    TScene scene(QStringLiteral("/farm/content"));
    scene.Filename = QStringLiteral("C:\\scenes\\teapot.lws");
    scene.Data.SaveRGBImagesPrefix = QStringLiteral("C:\\out\\f");
    scene.Data.RGBImageSaver = QStringLiteral("LW_TGA24(.tga)");
    scene.Data.OutputFilenameFormat = 1;
    scene.Settings.Singles = true;
    scene.Settings.SinglesList = QStringLiteral("12 40");
    const TSceneInfo singles = SceneInfo(scene, QString(), TComputerList());
    EXPECT_EQ(singles.Caption, QStringLiteral("Scene info  |  teapot.lws"));
    EXPECT_EQ(singles.OutputColor, QStringLiteral("C:\\out\\f012.tga"));
    EXPECT_EQ(singles.OutputAlpha, QString()); // "(none)"
    EXPECT_EQ(singles.AddedAt, QString()); // never stamped

    scene.Settings.Range = true;
    scene.Settings.CurrentFirst = 7;
    EXPECT_EQ(SceneInfo(scene, QString(), TComputerList()).OutputColor, QStringLiteral("C:\\out\\f007.tga"));
    scene.Settings.Range = false;
    scene.Settings.Singles = false;
    EXPECT_EQ(FirstFrameToRender(scene), 1);
}

TEST(SceneInfo, ComputerPage)
{
    TComputer computer;
    computer.Name = QStringLiteral("render7");
    computer.ScreamerStart = 46000.5;
    computer.RenderStart = 46000.5 + 3.0 / 24;
    computer.LastRenderTime = 90.0 / 86400;
    const TComputerInfo idle = ComputerInfo(computer, QString());
    EXPECT_EQ(idle.Caption, QStringLiteral("Computer info  |  render7"));
    EXPECT_EQ(idle.AverageTime, QStringLiteral("No frames rendered"));
    EXPECT_EQ(idle.LastRenderTime, QStringLiteral("00:01:30"));

    computer.RenderCount = 4;
    EXPECT_EQ(ComputerInfo(computer, QString()).AverageTime, QStringLiteral("00:45:00 (4 frames)"));
    // A damaged record: the render started before its screamer, or a negative count.
    computer.RenderStart = computer.ScreamerStart - 1;
    EXPECT_EQ(ComputerInfo(computer, QString()).AverageTime, QStringLiteral("00:00:00 (4 frames)"));
    computer.RenderCount = -2;
    EXPECT_EQ(
        ComputerInfo(computer, QStringLiteral("note")).AverageTime, QStringLiteral("No frames rendered"));
    EXPECT_EQ(ComputerInfo(computer, QStringLiteral("note")).Warning, QStringLiteral("note"));
}

TEST(SceneInfo, Summary)
{
    TOptions options;
    options.ContentDirectory = QStringLiteral("/farm/content");
    TScriptedPeople people;
    TManualClock clock;
    TFarm farm(options, people, clock);
    auto scene = std::make_unique<TScene>();
    scene->Settings.Range = true;
    scene->Settings.CurrentFirst = 1;
    scene->Settings.CurrentLast = 10;
    scene->Reset(clock.Now());
    farm.Scenes.Add(std::move(scene), true);
    farm.Computers.Add(std::make_unique<TComputer>());
    const TSummaryInfo info = SummaryInfo(farm);
    EXPECT_EQ(info.ScenesToRender, QStringLiteral("1 of 1"));
    EXPECT_EQ(info.FramesToRender, QStringLiteral("10 of 10"));
    EXPECT_EQ(info.ContentDirectory, QStringLiteral("/farm/content"));
    EXPECT_EQ(info.TotalProcessors, QStringLiteral("1"));
}

} // namespace

TEST(SceneInfo, RenderTimeTellsTheTimeLeftOnTheNodesOfTheScene)
{
    TScene scene;
    scene.Filename = QStringLiteral("/scenes/shot.lws");
    scene.Settings.Range = true;
    scene.Settings.CurrentLast = 10;
    scene.ResetFrames();
    TComputerList computers;
    EXPECT_TRUE(SceneInfo(scene, QString(), computers).RenderTime.endsWith(QStringLiteral("Left (no frame booked yet)")));

    scene.NextFrames(4);
    scene.Statistics.AddFrameTime(60.0 / 86400);
    for (const QString& piece : { QStringLiteral("3 3 1"), QStringLiteral("4 4 1") }) {
        auto node = std::make_unique<TComputer>();
        node->SceneString = scene.Filename;
        node->Frames = piece;
        computers.Add(std::move(node));
    }
    EXPECT_EQ(SceneInfo(scene, QString(), computers).RenderTime,
        QStringLiteral("Frames finished 1   |   Per frame 00:01:00   |   Total 00:01:00   |   Left (on 2 nodes) 00:04:00"));
    // The e-mail report keeps its own line.
    EXPECT_TRUE(scene.ReportText(4).contains(QStringLiteral("Left (on 4 processors) 00:01:30")));
}
