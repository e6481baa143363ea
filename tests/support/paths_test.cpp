#include "support/paths.h"

#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Paths, JoinPathUsesOneNativeSeparator)
{
    EXPECT_EQ(JoinPath(QStringLiteral("/farm/frames"), QStringLiteral("a.png")),
        QStringLiteral("/farm/frames/a.png"));
    EXPECT_EQ(JoinPath(QStringLiteral("/farm/frames/"), QStringLiteral("a.png")),
        QStringLiteral("/farm/frames/a.png"));
    EXPECT_EQ(JoinPath(QStringLiteral("X:\\Cmd\\"), QStringLiteral("job3")), QStringLiteral("X:\\Cmd\\job3"));
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("a")), QStringLiteral("/a"));
    EXPECT_EQ(JoinPath(QString(), QStringLiteral("a.png")), QStringLiteral("a.png"));
}

TEST(Paths, SplitAtTheLastSeparatorOfEitherKind)
{
    EXPECT_EQ(
        ExtractDirectory(QStringLiteral("C:\\LW\\Config\\lwext3.cfg")), QStringLiteral("C:\\LW\\Config"));
    EXPECT_EQ(ExtractName(QStringLiteral("C:\\LW\\Config\\lwext3.cfg")), QStringLiteral("lwext3.cfg"));
    EXPECT_EQ(
        ExtractDirectory(QStringLiteral("/srv/lw\\scenes/shot.lws")), QStringLiteral("/srv/lw\\scenes"));
    EXPECT_EQ(ExtractDirectory(QStringLiteral("/srv/lw/scenes\\shot.lws")), QStringLiteral("/srv/lw/scenes"));
    EXPECT_EQ(ExtractName(QStringLiteral("/srv/lw/scenes\\shot.lws")), QStringLiteral("shot.lws"));
    EXPECT_EQ(ExtractDirectory(QStringLiteral("shot.lws")), QString());
    EXPECT_EQ(ExtractName(QStringLiteral("shot.lws")), QStringLiteral("shot.lws"));
    EXPECT_EQ(ExtractName(QStringLiteral("/srv/frames/")), QString());
    // The root stays, so that directory and name join back to the same file.
    EXPECT_EQ(ExtractDirectory(QStringLiteral("/shot.lws")), QStringLiteral("/"));
    EXPECT_EQ(
        JoinPath(ExtractDirectory(QStringLiteral("/shot.lws")), ExtractName(QStringLiteral("/shot.lws"))),
        QStringLiteral("/shot.lws"));
}

TEST(Paths, FreeFileNameBaseEndsAtTheFirstDotOfTheName)
{
    EXPECT_EQ(FreeFileName(QStringLiteral("C:\\scenes\\shot.take2.lws"), QStringLiteral("lns")),
        QStringLiteral("C:\\scenes\\shot.lns"));
    // Dots in directories do not cut the name.
    EXPECT_EQ(FreeFileName(QStringLiteral("C:\\Users\\john.doe\\shot.lws"), QStringLiteral("lns")),
        QStringLiteral("C:\\Users\\john.doe\\shot.lns"));
    EXPECT_EQ(FreeFileName(QStringLiteral("\\\\nas.studio\\p\\a.lws"), QStringLiteral("lns")),
        QStringLiteral("\\\\nas.studio\\p\\a.lns"));
    EXPECT_EQ(FreeFileName(QStringLiteral("/home/john.doe/shot.take2.lws"), QStringLiteral("lns")),
        QStringLiteral("/home/john.doe/shot.lns"));
    EXPECT_EQ(FreeFileName(QStringLiteral("/home/john.doe/shot"), QStringLiteral("lns")),
        QStringLiteral("/home/john.doe/shot.lns"));
}

TEST(Paths, FreeFileNameSkipsTakenNames)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString scene = dir.filePath(QStringLiteral("shot.take2.lws"));
    WriteBytes(scene, QByteArray());
    EXPECT_EQ(FreeFileName(scene, QStringLiteral("lns")), dir.filePath(QStringLiteral("shot.lns")));
    WriteBytes(dir.filePath(QStringLiteral("shot.lns")), QByteArray());
    EXPECT_EQ(FreeFileName(scene, QStringLiteral("lns")), dir.filePath(QStringLiteral("shot_0.lns")));
    WriteBytes(dir.filePath(QStringLiteral("shot_0.lns")), QByteArray());
    ASSERT_TRUE(
        QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("shot_1.lns"))));
    // A dangling link still holds its name.
    EXPECT_EQ(FreeFileName(scene, QStringLiteral("lns")), dir.filePath(QStringLiteral("shot_2.lns")));
}

TEST(Paths, FreeFileNameEndsWhenEveryNameIsTaken)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteBytes(dir.filePath(QStringLiteral("a.lns")), QByteArray());
    for (int i = 0; i < FreeFileNameTries; ++i)
        WriteBytes(dir.filePath(QStringLiteral("a_%1.lns").arg(i)), QByteArray());
    EXPECT_EQ(FreeFileName(dir.filePath(QStringLiteral("a.lws")), QStringLiteral("lns")),
        dir.filePath(QStringLiteral("a_%1.lns").arg(FreeFileNameTries - 1)));
}
