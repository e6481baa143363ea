#include "model/frame_files.h"
#include "options/options.h"
#include "support/file_listing.h"

#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

class TScriptedProgress : public TFrameProgress
{
public:
    void Start(const QString& messageText, int minimum, int maximum) override
    {
        Texts << messageText;
        Minimum = minimum;
        Maximum = maximum;
    }
    bool Step(int position) override
    {
        Positions << position;
        return Positions.size() <= StopAfter;
    }
    void Finish() override { ++Finished; }

    qsizetype StopAfter = 1000;
    QStringList Texts;
    QList<int> Positions;
    int Minimum = 0;
    int Maximum = 0;
    int Finished = 0;
};

class FrameFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("rgb")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("alpha")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("target")));
        scene.Settings.ContentDirectory = dir.path();
        scene.Settings.Range = true;
        scene.Settings.CurrentFirst = 1;
        scene.Settings.CurrentLast = 6;
        scene.Settings.CurrentStep = 1;
        scene.Data.OutputFilenameFormat = 3;
        scene.Data.SaveRGBImagesPrefix = QStringLiteral("rgb/shot");
        scene.Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
        scene.Data.SaveAlphaImagesPrefix = QStringLiteral("alpha/shot");
        scene.Data.AlphaImageSaver = QStringLiteral("LW_PNG(.png)");
    }
    QString Name(qint64 frame, TFrameKind kind) const { return scene.FrameFileName(frame, kind, NoneText); }
    QString Target(const QString& name) const { return dir.filePath(QStringLiteral("target/") + name); }
    void Render(std::initializer_list<int> frames, TFrameKind kind)
    {
        for (const int frame : frames)
            WriteBytes(Name(frame, kind), "frame " + QByteArray::number(frame));
    }
    TFramesResult Run(const QList<qint64>& frames, TFrameKind kind, TFrameOperation operation,
        TFrameProgress* progress = nullptr)
    {
        return FramesFileOperation(
            scene, &frames, kind, dir.filePath(QStringLiteral("target")), operation, NoneText, progress);
    }

    QTemporaryDir dir;
    TScene scene;
};

TEST_F(FrameFiles, AFrameWithOnlyItsAlphaIsListedAndKeptByAnImagesOnlyDelete)
{
    Render({ 1, 2, 5 }, TFrameKind::RGB);
    Render({ 1, 3 }, TFrameKind::Alpha);
    TRenderedFrames rendered = RenderedFrames(scene, NoneText);
    EXPECT_EQ(rendered.Frames, QList<qint64>({ 1, 2, 3, 5 }));
    EXPECT_TRUE(OutputDirectoriesText(rendered).isEmpty());

    TScriptedProgress progress;
    const TFramesResult result = Run(rendered.Frames, TFrameKind::RGB, TFrameOperation::Delete, &progress);
    EXPECT_EQ(result.Done, 3);
    EXPECT_EQ(result.Failed, 0);
    EXPECT_EQ(progress.Texts, QStringList({ "Deleting image # ..." }));
    EXPECT_EQ(progress.Minimum, 1);
    EXPECT_EQ(progress.Maximum, 5);
    EXPECT_EQ(progress.Positions, QList<int>({ 1, 2, 3, 5 }));
    EXPECT_EQ(progress.Finished, 1);
    EXPECT_EQ(RenderedFrames(scene, NoneText).Frames, QList<qint64>({ 1, 3 }));
    EXPECT_FALSE(QFile::exists(Name(1, TFrameKind::RGB)));
    EXPECT_TRUE(QFile::exists(Name(1, TFrameKind::Alpha)));

    // A step downwards lists from the first frame; "(none)" outputs are never looked for.
    scene.Settings.CurrentFirst = 6;
    scene.Settings.CurrentLast = 1;
    scene.Settings.CurrentStep = -2;
    Render({ 4 }, TFrameKind::RGB);
    EXPECT_EQ(RenderedFrames(scene, NoneText).Frames, QList<qint64>({ 4 }));
    scene.Data.SaveRGBImagesPrefix = NoneText;
    EXPECT_TRUE(RenderedFrames(scene, NoneText).Frames.isEmpty());
    EXPECT_EQ(Run({ 1, 3 }, TFrameKind::RGB, TFrameOperation::Delete).Done, 0);
}

TEST_F(FrameFiles, ARangeFarLongerThanItsDirectoriesIsListedFromTheirNames)
{
    scene.Settings.CurrentFirst = 0;
    scene.Settings.CurrentLast = 2147483647;
    scene.Settings.CurrentStep = 5;
    Render({ 5, 12, 2147483645 }, TFrameKind::RGB);
    Render({ 10 }, TFrameKind::Alpha);
    WriteBytes(dir.filePath(QStringLiteral("rgb/shot0020.png.part")), "half");
    WriteBytes(dir.filePath(QStringLiteral("rgb/other0025.png")), "another scene");
    EXPECT_EQ(RenderedFrames(scene, NoneText).Frames, QList<qint64>({ 5, 10, 2147483645 }));
    scene.Settings.CurrentFirst = 2147483647;
    scene.Settings.CurrentLast = 0;
    scene.Settings.CurrentStep = -5;
    Render({ 2147483642 }, TFrameKind::Alpha);
    EXPECT_EQ(RenderedFrames(scene, NoneText).Frames, QList<qint64>({ 2147483642, 12 }));
}

TEST_F(FrameFiles, CopyKeepsTheFramesMoveTakesThemAndNeitherOverwritesWhatItMustNot)
{
    Render({ 1, 2, 3 }, TFrameKind::RGB);
    WriteBytes(Target(QStringLiteral("shot0002.png")), "older copy");
    TFramesResult result = Run({ 1, 2, 3 }, TFrameKind::RGB, TFrameOperation::Copy);
    EXPECT_EQ(result.Done, 3);
    EXPECT_EQ(RenderedFrames(scene, NoneText).Frames, QList<qint64>({ 1, 2, 3 }));
    EXPECT_EQ(ReadBytes(Target(QStringLiteral("shot0002.png"))), QByteArray("frame 2"));

    // Moving never replaces a file at the destination: that frame stays where it was.
    WriteBytes(Target(QStringLiteral("shot0003.png")), "someone else's");
    ASSERT_TRUE(QFile::remove(Target(QStringLiteral("shot0001.png"))));
    ASSERT_TRUE(QFile::remove(Target(QStringLiteral("shot0002.png"))));
    result = Run({ 1, 2, 3, 4 }, TFrameKind::RGB, TFrameOperation::Move);
    EXPECT_EQ(result.Done, 2);
    EXPECT_EQ(result.Failed, 1);
    EXPECT_EQ(RenderedFrames(scene, NoneText).Frames, QList<qint64>({ 3 }));
    EXPECT_EQ(ReadBytes(Target(QStringLiteral("shot0001.png"))), QByteArray("frame 1"));
    EXPECT_EQ(ReadBytes(Target(QStringLiteral("shot0003.png"))), QByteArray("someone else's"));
    EXPECT_EQ(ReadBytes(Name(3, TFrameKind::RGB)), QByteArray("frame 3"));
}

TEST_F(FrameFiles, AnUnknownSaverMatchesEveryExtensionOfTheFrame)
{
    scene.Data.RGBImageSaver = QStringLiteral("SomeoneElses_Saver");
    const QString stem = Name(2, TFrameKind::RGB);
    WriteBytes(stem + QStringLiteral(".exr"), "one");
    WriteBytes(stem + QStringLiteral(".tif"), "two");
    WriteBytes(Name(3, TFrameKind::RGB) + QStringLiteral(".tif.tmp"), "not a frame");
    EXPECT_EQ(RenderedFrames(scene, NoneText).Frames, QList<qint64>({ 2 }));

    TFileListing listing;
    EXPECT_TRUE(FrameFileOperation(scene, listing, 2, TFrameKind::RGB, dir.filePath(QStringLiteral("target")),
        TFrameOperation::Move, NoneText));
    EXPECT_EQ(ReadBytes(Target(QStringLiteral("shot0002.exr"))), QByteArray("one"));
    EXPECT_EQ(ReadBytes(Target(QStringLiteral("shot0002.tif"))), QByteArray("two"));
    EXPECT_TRUE(RenderedFrames(scene, NoneText).Frames.isEmpty());
}

TEST_F(FrameFiles, ACancelledCopyStopsBeforeTheNextFrame)
{
    Render({ 1, 2, 3, 4, 5, 6 }, TFrameKind::Alpha);
    TScriptedProgress progress;
    progress.StopAfter = 2;
    // Without a list, as the automatic copy runs: the whole current range.
    const TFramesResult result = FramesFileOperation(scene, nullptr, TFrameKind::Alpha,
        dir.filePath(QStringLiteral("target")), TFrameOperation::Copy, NoneText, &progress);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.Done, 2);
    EXPECT_EQ(progress.Texts, QStringList({ "Copying alpha # ..." }));
    EXPECT_EQ(progress.Positions, QList<int>({ 1, 2, 3 }));
    EXPECT_EQ(progress.Finished, 1);
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("target"))).entryList(QDir::Files),
        QStringList({ "shot0001.png", "shot0002.png" }));
}

TEST_F(FrameFiles, ADestinationThatFillsUpKeepsTheFramesAndSaysSo)
{
    WriteBytes(Name(1, TFrameKind::RGB), QByteArray(4096, 'a'));
    WriteBytes(Name(2, TFrameKind::RGB), QByteArray(256 * 1024, 'b'));
    WriteBytes(Target(QStringLiteral("shot0002.png")), "the copy before");

    // A file size limit stops the writes part way, as a full disk does.
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const TFramesResult copied = Run({ 1, 2 }, TFrameKind::RGB, TFrameOperation::Copy);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    EXPECT_EQ(copied.Done, 1);
    EXPECT_EQ(copied.Failed, 1);
    EXPECT_EQ(ReadBytes(Target(QStringLiteral("shot0002.png"))), QByteArray("the copy before"));
    EXPECT_EQ(ReadBytes(Name(2, TFrameKind::RGB)), QByteArray(256 * 1024, 'b'));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("target"))).entryList(QDir::Files),
        QStringList({ "shot0001.png", "shot0002.png" }));
}

TEST_F(FrameFiles, AGoneOrUnreadableDirectoryIsNamedAndNothingInItIsTouched)
{
    Render({ 1, 2 }, TFrameKind::Alpha);
    const QString rgb = dir.filePath(QStringLiteral("rgb"));
    ASSERT_TRUE(QDir(rgb).removeRecursively());
    TRenderedFrames rendered = RenderedFrames(scene, NoneText);
    EXPECT_EQ(rendered.Frames, QList<qint64>({ 1, 2 }));
    EXPECT_EQ(rendered.Gone, QStringList({ rgb }));
    EXPECT_TRUE(OutputDirectoriesText(rendered).contains(rgb + QStringLiteral(" is not there")));

    // A link to itself cannot be opened, for root too: like a share that has gone away.
    const QString alpha = dir.filePath(QStringLiteral("alpha"));
    ASSERT_TRUE(QDir(alpha).removeRecursively());
    ASSERT_TRUE(QFile::link(alpha, alpha));
    rendered = RenderedFrames(scene, NoneText);
    EXPECT_TRUE(rendered.Frames.isEmpty());
    EXPECT_EQ(rendered.Unreadable, QStringList({ alpha }));
    EXPECT_EQ(rendered.Gone, QStringList({ rgb }));
    EXPECT_TRUE(OutputDirectoriesText(rendered).contains(alpha + QStringLiteral(" cannot be read")));
    const TFramesResult result = Run({ 1, 2 }, TFrameKind::Alpha, TFrameOperation::Delete);
    EXPECT_EQ(result.Done + result.Failed, 0);
    EXPECT_EQ(result.Unreadable, QStringList({ alpha }));
}

} // namespace
