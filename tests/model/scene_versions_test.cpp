// Scene files as each version of LightWave writes them: "LWSC" 1 (LightWave 4/5), 3 (6 to 9.2),
// 4 and 5 (9.5 and later). The tests write them from the format's rules.
#include "model/scene.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/file_listing.h"

#include "test_files.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A scene file of `version` whose camera section holds `camera`, with `lineEnd` after each line.
QByteArray SceneBytes(int version, const QList<QByteArray>& camera, const QByteArray& lineEnd = "\r\n",
    const QList<QByteArray>& head = { "FirstFrame 1", "LastFrame 4", "FrameStep 1" })
{
    QList<QByteArray> lines { "LWSC", QByteArray::number(version), "" };
    lines << head << ""
          << (version < 3 ? "LoadObject Objects/box.lwo" : "LoadObjectLayer 1 10000000 Objects/box.lwo")
          << "ShowObject 6 7"
          << ""
          << "ShowCamera 1 2"
          << "ZoomFactor 3.2"
          << "Resolution 1";
    lines << camera << ""
          << "ViewMode 5"
          << "GridSize 1";
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + lineEnd;
    return bytes;
}

class SceneVersions : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // The scene read from a file holding `bytes`.
    std::unique_ptr<TScene> Read(const QByteArray& bytes, const QString& name = QStringLiteral("shot.lws"))
    {
        path = dir.filePath(name);
        WriteBytes(path, bytes);
        auto scene = std::make_unique<TScene>(NoneText);
        reason.clear();
        read = scene->ReadSceneFile(path, &reason);
        return scene;
    }

    QTemporaryDir dir;
    QString path;
    QString reason;
    bool read = false;
};

TEST_F(SceneVersions, FrameNamesOfBuiltInSaversAndFormatCodes)
{
    // LightWave 6 and later: a built-in saver named without "(.ext)".
    auto scene = Read(SceneBytes(3,
        { "OutputFilenameFormat 3", "SaveRGB 1", "SaveRGBImagesPrefix I:\\renders\\aircon_2_",
            "RGBImageSaver _Targa" }));
    EXPECT_EQ(
        scene->FrameFileName(0, TFrameKind::RGB, NoneText), QStringLiteral("I:\\renders\\aircon_2_0000.tga"));
    EXPECT_TRUE(scene->FrameNameComplete(TFrameKind::RGB));

    // LightWave 4/5: the format as a code right after its prefix line.
    scene = Read(SceneBytes(1,
        { "SaveRGBImagesPrefix /out/shot", "RGBImageFormat 2", "SaveAlphaImagesPrefix /out/mask",
            "AlphaImageFormat 0" }));
    EXPECT_EQ(scene->Data.RGBImageFormat, 2);
    EXPECT_EQ(scene->Data.AlphaImageFormat, 0);
    // Without a format of its own the file names frames "Name001".
    EXPECT_EQ(scene->FrameFileName(7, TFrameKind::RGB, NoneText), QStringLiteral("/out/shot007"));
    scene->Data.OutputFilenameFormat = 1;
    EXPECT_EQ(scene->FrameFileName(7, TFrameKind::RGB, NoneText), QStringLiteral("/out/shot007.tga"));
    EXPECT_EQ(scene->FrameFileName(7, TFrameKind::Alpha, NoneText), QStringLiteral("/out/mask007.iff"));
    scene->Data.RGBImageFormat = 1;
    EXPECT_EQ(scene->FrameFileName(7, TFrameKind::RGB, NoneText), QStringLiteral("/out/shot007.raw"));

    // The codes survive the scene's record, so verification still knows them after a restart.
    QStringList record;
    WriteRecord(*scene, record);
    TScene stored;
    qsizetype index = 0;
    ReadRecord(stored, record, index);
    EXPECT_EQ(stored.Data.RGBImageFormat, 1);
    EXPECT_EQ(stored.Data.AlphaImageFormat, 0);
    TScene plain;
    record.clear();
    WriteRecord(plain, record);
    EXPECT_FALSE(record.join(u'\n').contains(QStringLiteral("ImageFormat")));
}

TEST_F(SceneVersions, UnknownExtensionsMatchTheStem)
{
    auto scene = Read(SceneBytes(5,
        { "OutputFilenameFormat 3", "SaveRGB 1", "SaveRGBImagesPrefix out/f", "RGBImageSaver ExrTrader" }));
    scene->Settings.ContentDirectory = dir.path();
    EXPECT_FALSE(scene->FrameNameComplete(TFrameKind::RGB));
    EXPECT_EQ(scene->FrameFileName(2, TFrameKind::RGB, NoneText), dir.filePath(QStringLiteral("out/f0002")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    WriteBytes(dir.filePath(QStringLiteral("out/f0001.exr")), "image");
    WriteBytes(dir.filePath(QStringLiteral("out/f0002")), "image");
    // Neither two extensions nor a longer number are the frame's.
    WriteBytes(dir.filePath(QStringLiteral("out/f0003.exr.part")), "image");
    WriteBytes(dir.filePath(QStringLiteral("out/f00041.exr")), "image");
    EXPECT_EQ(scene->MissingFrames(true, NoneText), QStringLiteral("3 4"));
    EXPECT_TRUE(scene->FrameExists(1, TFrameKind::RGB, NoneText));
    EXPECT_FALSE(scene->FrameExists(4, TFrameKind::RGB, NoneText));

    // An unknown format code, or none at all, leaves the extension unknown too.
    scene->Data.RGBImageSaver = NoneText;
    scene->Data.RGBImageFormat = 9;
    EXPECT_FALSE(scene->FrameNameComplete(TFrameKind::RGB));
    EXPECT_EQ(scene->MissingFrames(true, NoneText), QStringLiteral("3 4"));
    scene->Data.RGBImageFormat = -1;
    EXPECT_FALSE(scene->FrameNameComplete(TFrameKind::RGB));
    // Names without an extension are always complete.
    scene->Data.OutputFilenameFormat = 2;
    EXPECT_TRUE(scene->FrameNameComplete(TFrameKind::RGB));
    EXPECT_EQ(scene->MissingFrames(true, NoneText), QStringLiteral("1 3 4"));
}

TEST_F(SceneVersions, SavingSwitchedOff)
{
    auto scene = Read(SceneBytes(3,
        { "SaveRGB 0", "SaveRGBImagesPrefix /out/shot", "RGBImageSaver _Targa", "SaveAlpha 0",
            "SaveAlphaImagesPrefix /out/mask", "AlphaImageSaver _Targa" }));
    EXPECT_EQ(scene->Data.SaveRGBImagesPrefix, NoneText);
    EXPECT_EQ(scene->Data.SaveAlphaImagesPrefix, NoneText);
    EXPECT_EQ(
        scene->WarningsText(), QStringLiteral("No RGB image output | Image and alpha output are the same"));
    // No frame is expected on disk.
    EXPECT_EQ(scene->MissingFrames(true, NoneText), QString());

    scene = Read(SceneBytes(4,
        { "SaveRGB 1", "SaveRGBImagesPrefix /out/shot", "SaveAlpha 0", "SaveAlphaImagesPrefix /out/mask" }));
    EXPECT_EQ(scene->Data.SaveRGBImagesPrefix, QStringLiteral("/out/shot"));
    EXPECT_EQ(scene->Data.SaveAlphaImagesPrefix, NoneText);
    EXPECT_EQ(scene->MissingFrames(true, NoneText), QStringLiteral("1 2 3 4"));

    // LightWave 4/5 write no flag: the prefix line alone means saving is on.
    scene = Read(SceneBytes(1, { "SaveRGBImagesPrefix /out/shot", "RGBImageFormat 2" }));
    EXPECT_EQ(scene->Data.SaveRGBImagesPrefix, QStringLiteral("/out/shot"));
}

TEST_F(SceneVersions, WhatIsNoSceneIsRefusedWithItsReason)
{
    for (const int version : { 1, 3, 4, 5 }) {
        Read(SceneBytes(version, { "SaveRGBImagesPrefix /out/f" }));
        EXPECT_TRUE(read) << version;
        EXPECT_EQ(reason, QString());
    }
    // LF and CR line ends are line ends too; a byte-order mark is no part of the first line.
    Read(SceneBytes(3, {}, "\n"));
    EXPECT_TRUE(read);
    Read("\xEF\xBB\xBF" + SceneBytes(3, {}, "\r"));
    EXPECT_TRUE(read);

    const auto refused = [this](const QByteArray& bytes) {
        Read(bytes);
        EXPECT_FALSE(read);
        return reason;
    };
    const QString notAScene = QStringLiteral("it is not a LightWave scene (its first line is not \"LWSC\")");
    EXPECT_EQ(refused(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), notAScene);
    EXPECT_EQ(refused("FirstFrame 1\r\nLastFrame 4\r\n"), notAScene);
    EXPECT_EQ(refused("LWSC2\r\n3\r\n"), notAScene);
    EXPECT_EQ(refused(QByteArray()), QStringLiteral("the file is empty"));
    EXPECT_EQ(refused(SceneBytes(3, {}, "\r\n", { "FirstFrame 1", "LastFrame 4", "FrameStep 0" })),
        QStringLiteral("its frame range is unusable (first frame 1, last frame 4, step 0)"));

    TScene scene;
    EXPECT_FALSE(scene.ReadSceneFile(dir.filePath(QStringLiteral("gone.lws")), &reason));
    EXPECT_EQ(reason, QStringLiteral("the file does not exist"));
    EXPECT_FALSE(scene.ReadSceneFile(dir.path(), &reason));
    EXPECT_EQ(reason, QStringLiteral("it is a directory, not a scene file"));
    QFile::setPermissions(path, QFileDevice::Permissions());
    if (!QFile(path).open(QIODevice::ReadOnly)) { // root reads everything
        EXPECT_FALSE(scene.ReadSceneFile(path, &reason));
        EXPECT_EQ(reason, QStringLiteral("the file cannot be read (check its permissions)"));
    }
}

TEST_F(SceneVersions, ArbitraryRangesAreSingleFrames)
{
    auto scene = Read(SceneBytes(5, { "SaveRGBImagesPrefix /out/f" }, "\r\n",
        { "RenderRangeType 1", "RenderRangeArbitrary 1-10,18,25,40-50", "FirstFrame 1", "LastFrame 60",
            "FrameStep 1" }));
    ASSERT_TRUE(read);
    EXPECT_FALSE(scene->Settings.Range);
    EXPECT_TRUE(scene->Settings.Singles);
    EXPECT_EQ(scene->Settings.SinglesList,
        QStringLiteral("1 2 3 4 5 6 7 8 9 10 18 25 40 41 42 43 44 45 46 47 48 49 50"));
    EXPECT_EQ(scene->TotalFrames(), 23);
    EXPECT_EQ(scene->NextFramesText(3), QStringLiteral("1 1 1"));
    EXPECT_EQ(scene->MissingFrames(true, NoneText).split(u' ').size(), 23);
    EXPECT_EQ(scene->WarningsText(), QString());

    // Another type keeps the range, and says so; the record keeps that for later.
    scene = Read(SceneBytes(5, { "SaveRGBImagesPrefix /out/f" }, "\r\n",
        { "RenderRangeType 2", "FirstFrame 1", "LastFrame 60", "FrameStep 1" }));
    ASSERT_TRUE(read);
    EXPECT_TRUE(scene->Settings.Range);
    EXPECT_EQ(scene->Settings.CurrentLast, 60);
    EXPECT_EQ(scene->WarningsText(),
        QStringLiteral("Render range type 2 not supported, rendering the frame range"));
    QStringList record;
    WriteRecord(*scene, record);
    TScene stored;
    qsizetype index = 0;
    ReadRecord(stored, record, index);
    EXPECT_EQ(stored.WarningsText(), scene->WarningsText());

    // Arbitrary frames that do not read leave the range too.
    scene = Read(SceneBytes(5, { "SaveRGBImagesPrefix /out/f" }, "\r\n",
        { "RenderRangeType 1", "RenderRangeArbitrary 1-x", "FirstFrame 1", "LastFrame 60" }));
    EXPECT_TRUE(scene->Settings.Range);
    EXPECT_EQ(scene->WarningsText(),
        QStringLiteral("Arbitrary render range unreadable, rendering the frame range"));
}

TEST(ArbitraryFrames, ReadsListsAndBoundsThem)
{
    QString frames;
    EXPECT_TRUE(ArbitraryFrames(QStringLiteral(" 5 - 3 ,4,7"), frames));
    EXPECT_EQ(frames, QStringLiteral("5 4 3 7"));
    for (const char* text : { "", "1,,2", "-3", "1-2-3", "a", "1.5", "99999999999" })
        EXPECT_FALSE(ArbitraryFrames(QString::fromLatin1(text), frames)) << text;
    EXPECT_EQ(frames, QStringLiteral("5 4 3 7"));
    // Long, but within the limit; a range to the end of all frames is not.
    EXPECT_TRUE(ArbitraryFrames(QStringLiteral("1-%1").arg(ArbitraryFramesLimit), frames));
    EXPECT_FALSE(ArbitraryFrames(QStringLiteral("0-2147483647"), frames));
}

// A private copy made and rewritten for `scene` as it stands.
QByteArray CopyOf(TScene& scene)
{
    scene.MakeSceneCopy(0);
    EXPECT_NE(scene.KestrionFilename, NoneText);
    EXPECT_TRUE(scene.RewriteSceneCopy(scene.KestrionFilename));
    return ReadBytes(scene.KestrionFilename);
}

TEST_F(SceneVersions, AnUnchangedCopyIsTheScene)
{
    const QList<QByteArray> lw5 = { "RenderMode 2", "RayTraceEffects 0", "DataOverlayLabel  ", "SaveRGB 1",
        "SaveRGBImagesPrefix I:\\renders\\aircon_2_", "RGBImageSaver _Targa", "SaveAlpha 0",
        "SaveAlphaImagesPrefix I:\\renders\\a_", "AlphaImageSaver _Targa" };
    const QList<QByteArray> lw4 = { "RenderMode 1", "", "BackdropColor 0 0 0", "SaveRGBImagesPrefix out/f",
        "RGBImageFormat 2", "SaveAlphaImagesPrefix out/a", "AlphaImageFormat 0" };
    for (const QByteArray& end : { QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r") }) {
        for (const auto& [version, camera] : { std::pair(1, lw4), std::pair(3, lw5), std::pair(5, lw5) }) {
            const QByteArray bytes = SceneBytes(version, camera, end) + "Trailing \xE9t\xE9";
            auto scene = Read(bytes);
            ASSERT_TRUE(read) << reason.toStdString();
            EXPECT_EQ(CopyOf(*scene), bytes) << version;

            // Nor does the scene of a stored record change its copy (a Master started again).
            QStringList record;
            WriteRecord(*scene, record);
            TScene stored;
            qsizetype index = 0;
            ReadRecord(stored, record, index);
            stored.Filename = path;
            EXPECT_EQ(CopyOf(stored), bytes) << version;
        }
    }
}

// The lines of `bytes`, whatever their ends.
QStringList LinesOf(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
}

TEST_F(SceneVersions, AnEditedCopyDiffersInTheEditedLines)
{
    const QByteArray bytes = SceneBytes(5,
        { "RenderMode 2", "RayTraceEffects 0", "RayRecursionLimit 4", "DataOverlayLabel ", "SaveRGB 1",
            "SaveRGBImagesPrefix /out/f", "RGBImageSaver _Targa", "SaveAlpha 1",
            "SaveAlphaImagesPrefix /out/a" },
        "\n");
    auto scene = Read(bytes);
    scene->Data.RayRecursionLimit = 16;
    scene->Data.OutputFilenameFormat = 3; // the file has none
    scene->Data.SaveAlphaImagesPrefix = NoneText;
    QStringList expected = LinesOf(bytes);
    expected[expected.indexOf(QStringLiteral("RayRecursionLimit 4"))]
        = QStringLiteral("RayRecursionLimit 16");
    expected.insert(expected.indexOf(QStringLiteral("SaveRGB 1")), QStringLiteral("OutputFilenameFormat 3"));
    expected[expected.indexOf(QStringLiteral("SaveAlpha 1"))] = QStringLiteral("SaveAlpha 0");
    const QByteArray copy = CopyOf(*scene);
    EXPECT_EQ(LinesOf(copy), expected);
    EXPECT_FALSE(copy.contains('\r'));

    // Switched on again with another prefix, the flag and the prefix change where they stand.
    scene->Data.SaveAlphaImagesPrefix = QStringLiteral("/out/b");
    ASSERT_TRUE(scene->RewriteSceneCopy(scene->KestrionFilename));
    expected[expected.indexOf(QStringLiteral("SaveAlpha 0"))] = QStringLiteral("SaveAlpha 1");
    expected[expected.indexOf(QStringLiteral("SaveAlphaImagesPrefix /out/a"))]
        = QStringLiteral("SaveAlphaImagesPrefix /out/b");
    EXPECT_EQ(LinesOf(ReadBytes(scene->KestrionFilename)), expected);
    TScene copied;
    ASSERT_TRUE(copied.ReadSceneFile(scene->KestrionFilename));
    EXPECT_EQ(copied.Data.SaveAlphaImagesPrefix, QStringLiteral("/out/b"));
    EXPECT_EQ(copied.Data.OutputFilenameFormat, 3);
}

TEST_F(SceneVersions, LightWave4KeysStayInTheirBlocks)
{
    const QByteArray bytes = SceneBytes(1,
        { "RenderMode 1", "RayTraceEffects 3", "", "BackdropColor 0 0 0", "SaveRGBImagesPrefix out/f",
            "RGBImageFormat 2", "SaveAlphaImagesPrefix out/a", "AlphaImageFormat 0" });
    auto scene = Read(bytes);
    scene->Data.RayRecursionLimit = 3;
    scene->Data.SaveRGBImagesPrefix = QStringLiteral("out/g");
    scene->Data.SaveAlphaImagesPrefix = NoneText;
    QStringList expected = LinesOf(bytes);
    expected.insert(
        expected.indexOf(QStringLiteral("RayTraceEffects 3")) + 1, QStringLiteral("RayRecursionLimit 3"));
    expected[expected.indexOf(QStringLiteral("SaveRGBImagesPrefix out/f"))]
        = QStringLiteral("SaveRGBImagesPrefix out/g");
    // No flag in these files: an output switched off loses its prefix line.
    expected.removeOne(QStringLiteral("SaveAlphaImagesPrefix out/a"));
    EXPECT_EQ(LinesOf(CopyOf(*scene)), expected);

    // A flag is added only to the files of versions that have one.
    scene = Read(SceneBytes(3, { "RenderMode 1" }));
    scene->Data.SaveRGBImagesPrefix = QStringLiteral("/out/f");
    QStringList lines = LinesOf(CopyOf(*scene));
    EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral("RenderMode 1")), 3),
        QStringList({ "RenderMode 1", "SaveRGB 1", "SaveRGBImagesPrefix /out/f" }));
}

TEST(FileListing, StemsFromTheSameListing)
{
    QTemporaryDir dir;
    WriteBytes(dir.filePath(QStringLiteral("a.tga")), "x");
    WriteBytes(dir.filePath(QStringLiteral(".hidden")), "x");
    TFileListing listing;
    EXPECT_TRUE(listing.ExistsWithAnyExtension(dir.filePath(QStringLiteral("a"))));
    EXPECT_TRUE(listing.ExistsWithAnyExtension(dir.filePath(QStringLiteral("a.tga"))));
    EXPECT_FALSE(listing.ExistsWithAnyExtension(dir.filePath(QString())));
    EXPECT_FALSE(listing.Exists(dir.filePath(QStringLiteral("a"))));
    // Files that came after the first question are not seen: one listing per directory.
    WriteBytes(dir.filePath(QStringLiteral("b.tga")), "x");
    EXPECT_FALSE(listing.ExistsWithAnyExtension(dir.filePath(QStringLiteral("b"))));
}

} // namespace
