#include "model/scene.h"

#include "options/options.h"
#include "support/text_file.h"

#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString ScenePath(const char* name)
{
    return QStringLiteral(KESTRION_TEST_DATA "/scenes/") + QLatin1String(name);
}

TEST(SceneFile, ReadsRangeAndRenderSettings)
{
    TScene scene(QStringLiteral("/farm/content"));
    ASSERT_TRUE(scene.ReadSceneFile(ScenePath("plain.lws")));
    EXPECT_EQ(scene.Filename, ScenePath("plain.lws"));
    EXPECT_TRUE(scene.Settings.Range);
    EXPECT_EQ(scene.Settings.CurrentFirst, 1);
    EXPECT_EQ(scene.Settings.CurrentLast, 24);
    EXPECT_EQ(scene.Settings.RangeLast, 0);
    EXPECT_TRUE(scene.Data.CustomSize);
    EXPECT_EQ(scene.Data.CustomWidth, 320);
    EXPECT_EQ(scene.Data.CustomHeight, 240);
    EXPECT_EQ(scene.Data.SegmentMemory, 8800000);
    EXPECT_TRUE(scene.Data.EnhancedAA);
    EXPECT_FALSE(scene.Data.FilmSize); // 2 is no flag value
    EXPECT_EQ(scene.Data.RayTraceEffects, 3);
    EXPECT_EQ(scene.Data.DataOverlayLabel, QStringLiteral("Teapot test"));
    EXPECT_EQ(scene.Data.SaveRGBImagesPrefix, QStringLiteral("Images/teapot"));
    EXPECT_EQ(scene.Data.AlphaImageSaver, QStringLiteral("LW_TGA24(.tga)"));
    EXPECT_FALSE(scene.Data.ExtraData);
    EXPECT_EQ(scene.Settings.ContentDirectory, QStringLiteral("/farm/content"));
    EXPECT_EQ(scene.WarningsText(), QStringLiteral("No network output path (using Content Directory)"));
}

TEST(SceneFile, RangeOnlyFromTheHeadAndOddScenes)
{
    TScene later;
    ASSERT_TRUE(later.ReadSceneFile(ScenePath("frames_after_object.lws")));
    EXPECT_EQ(later.Settings.CurrentFirst, 5);
    EXPECT_EQ(later.Settings.CurrentLast, 14);
    EXPECT_EQ(later.Settings.CurrentStep, 3);

    TScene extra;
    ASSERT_TRUE(extra.ReadSceneFile(ScenePath("extradata.lws")));
    EXPECT_TRUE(extra.Data.ExtraData);
    EXPECT_TRUE(extra.WarningsText().endsWith(QStringLiteral("An 'Varnocade' scene")));

    TScene stepZero;
    EXPECT_FALSE(stepZero.ReadSceneFile(ScenePath("step0.lws")));

    TScene stereo;
    ASSERT_TRUE(stereo.ReadSceneFile(ScenePath("stereo.lws")));
    EXPECT_EQ(stereo.Settings.CurrentStep, -1);
    EXPECT_TRUE(stereo.Data.Stereoscopic);
    EXPECT_EQ(stereo.Data.SaveAlphaImagesPrefix, NoneText);
    EXPECT_EQ(stereo.WarningsText(), QStringLiteral("Stereoscopic"));

    TScene missing;
    EXPECT_FALSE(missing.ReadSceneFile(ScenePath("no-such-scene.lws")));
}

TEST(SceneFile, RenderSettingLinesNeedTheirSeparator)
{
    TScene scene;
    scene.ReadRenderSettings(QStringLiteral("RenderMode1"));
    EXPECT_EQ(scene.Data.RenderMode, 2);
    scene.ReadRenderSettings(QStringLiteral("RenderMode=1"));
    EXPECT_EQ(scene.Data.RenderMode, 1);
    scene.ReadRenderSettings(QStringLiteral("RenderMode x"));
    EXPECT_EQ(scene.Data.RenderMode, 1);

    // A size line whose numbers do not read still says the size is custom.
    scene.ReadRenderSettings(QStringLiteral("CustomSize 640 480"));
    scene.ReadRenderSettings(QStringLiteral("CustomSize 800 wide"));
    scene.ReadRenderSettings(QStringLiteral("CustomSize 800"));
    EXPECT_TRUE(scene.Data.CustomSize);
    EXPECT_EQ(scene.Data.CustomWidth, 640);
    EXPECT_EQ(scene.Data.CustomHeight, 480);
}

TEST(SceneFile, WritesRenderOptionsAndCameraSettings)
{
    TScene scene;
    scene.Data.SaveAlphaImagesPrefix = QStringLiteral("a/");
    scene.Data.CustomSize = true;
    scene.Data.CustomWidth = 640;
    scene.Data.CustomHeight = 480;
    QStringList render;
    scene.WriteRenderOptions(render);
    EXPECT_EQ(render,
        QStringList({ "RenderMode 2", "RayTraceEffects 7", "RayRecursionLimit 16", "DataOverlayLabel ",
            "OutputFilenameFormat 0", "SaveAlphaImagesPrefix a/" }));
    // No saver is made up: the record says what the scene says.
    EXPECT_EQ(scene.Data.AlphaImageSaver, NoneText);
    QStringList camera;
    scene.WriteCameraSettings(camera);
    EXPECT_EQ(camera.mid(0, 3), QStringList({ "Stereoscopic 0", "Resolution 1", "CustomSize 640 480" }));
    EXPECT_EQ(camera.size(), 15);
    EXPECT_EQ(camera.last(), QStringLiteral("MotionBlur 0"));
}

TEST(SceneFile, PrivateCopyIsRewrittenKeepingOtherLines)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("shot.v2.lws"));
    ASSERT_TRUE(QFile::copy(ScenePath("plain.lws"), source));
    WriteBytes(dir.filePath(QStringLiteral("shot.lns")), "taken");

    TScene scene;
    ASSERT_TRUE(scene.ReadSceneFile(source));
    scene.MakeSceneCopy(NowDateTime());
    EXPECT_EQ(scene.KestrionFilename, dir.filePath(QStringLiteral("shot_0.lns")));
    EXPECT_EQ(ReadBytes(scene.KestrionFilename), ReadBytes(source));

    scene.Data.OutputFilenameFormat = 3;
    scene.Data.SaveRGBImagesPrefix = QStringLiteral("Frames/new");
    scene.Data.DataOverlay = 4;
    ASSERT_TRUE(scene.RewriteSceneCopy(scene.KestrionFilename));

    QStringList before;
    QStringList after;
    ASSERT_TRUE(ReadTextLines(source, before));
    ASSERT_TRUE(ReadTextLines(scene.KestrionFilename, after));
    // The animation output and the view lines survive; the options stand where they stood.
    EXPECT_TRUE(after.contains(QStringLiteral("SaveANIMFileName Images/teapot_preview.avi")));
    EXPECT_TRUE(after.contains(QStringLiteral("GridSize 1")));
    EXPECT_EQ(after.indexOf(QStringLiteral("RenderMode 2")), before.indexOf(QStringLiteral("RenderMode 2")));
    EXPECT_EQ(after.size(), before.size() + 1); // the data overlay line is new
    EXPECT_EQ(ReadBytes(scene.KestrionFilename).count("OutputFilenameFormat"), 1);

    TScene copy;
    ASSERT_TRUE(copy.ReadSceneFile(scene.KestrionFilename));
    EXPECT_EQ(copy.Data.OutputFilenameFormat, 3);
    EXPECT_EQ(copy.Data.SaveRGBImagesPrefix, QStringLiteral("Frames/new"));
    EXPECT_EQ(copy.Data.DataOverlay, 4);
    EXPECT_EQ(copy.Data.SaveAlphaImagesPrefix, QStringLiteral("Images/teapot_alpha"));

    TScene lost;
    lost.Filename = dir.filePath(QStringLiteral("gone.lws"));
    lost.MakeSceneCopy(NowDateTime());
    EXPECT_EQ(lost.KestrionFilename, NoneText);
    EXPECT_TRUE(lost.WarningsText().contains(QStringLiteral("Scene duplication failed (*.lsn)")));
}

TEST(SceneFile, FrameFileNames)
{
    TScene scene(QStringLiteral("/farm/content"));
    scene.Data.SaveRGBImagesPrefix = QStringLiteral("Images/shot");
    scene.Data.RGBImageSaver = QStringLiteral("LW_TGA24(.tga)");
    const QString fallback = QStringLiteral("/options/content");
    const auto name = [&](int format, qint64 frame) {
        scene.Data.OutputFilenameFormat = format;
        return scene.FrameFileName(frame, TFrameKind::RGB, fallback);
    };
    EXPECT_EQ(name(0, 7), QStringLiteral("/farm/content/Images/shot007"));
    EXPECT_EQ(name(1, 7), QStringLiteral("/farm/content/Images/shot007.tga"));
    EXPECT_EQ(name(2, 7), QStringLiteral("/farm/content/Images/shot0007"));
    EXPECT_EQ(name(3, 7), QStringLiteral("/farm/content/Images/shot0007.tga"));
    EXPECT_EQ(name(0, 12345), QStringLiteral("/farm/content/Images/shot12345"));

    // Without a content directory of its own the scene renders into the options' one.
    scene.Settings.ContentDirectory = NoneText;
    EXPECT_EQ(name(1, 7), QStringLiteral("/options/content/Images/shot007.tga"));
    EXPECT_EQ(scene.FrameFileName(7, TFrameKind::RGB, NoneText), QStringLiteral("Images/shot007.tga"));

    scene.Data.SaveRGBImagesPrefix = QStringLiteral("C:\\out\\f");
    scene.Data.RGBImageSaver = NoneText;
    EXPECT_EQ(name(1, 12), QStringLiteral("C:\\out\\f012"));

    scene.Data.Stereoscopic = true;
    scene.Data.SaveAlphaImagesPrefix = QStringLiteral("\\\\srv\\out\\a");
    scene.Data.AlphaImageSaver = QStringLiteral("LW_JPEG(.jpg)");
    scene.Data.OutputFilenameFormat = 3;
    EXPECT_EQ(
        scene.FrameFileName(5, TFrameKind::Alpha, fallback), QStringLiteral("\\\\srv\\out\\a0005L.jpg"));
    scene.Data.SaveAlphaImagesPrefix = QStringLiteral("/net/out/a");
    EXPECT_EQ(scene.FrameFileName(5, TFrameKind::Alpha, fallback), QStringLiteral("/net/out/a0005L.jpg"));
}

TEST(SceneFile, WarningsForASceneWithoutOutput)
{
    TScene scene;
    EXPECT_EQ(
        scene.WarningsText(), QStringLiteral("No RGB image output | Image and alpha output are the same"));
    scene.VerifyTimes = 5;
    EXPECT_TRUE(scene.WarningsText().endsWith(QStringLiteral(" | 5 times automatically verified")));
}

} // namespace
