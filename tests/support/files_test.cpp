#include "support/files.h"

#include "test_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QStringList Entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

dev_t Device(const QString& path)
{
    struct stat info
    {
    };
    return stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_dev : 0;
}

} // namespace

TEST(Files, CopyFileToOverwritesOrFails)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("a.png"));
    const QString destination = dir.filePath(QStringLiteral("b.png"));
    const QByteArray frame(3 * 1024 * 1024 + 7, 'x');
    WriteBytes(source, frame);
    ASSERT_TRUE(QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QDateTime rendered(QDate(2024, 3, 7), QTime(14, 5));
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(rendered, QFileDevice::FileModificationTime));
    }

    EXPECT_TRUE(CopyFileTo(source, destination, true));
    EXPECT_EQ(ReadBytes(destination), frame);
    EXPECT_EQ(QFile::permissions(destination), QFile::permissions(source));
    EXPECT_EQ(QFileInfo(destination).lastModified(), rendered);

    WriteBytes(destination, "old");
    EXPECT_FALSE(CopyFileTo(source, destination, true));
    EXPECT_EQ(ReadBytes(destination), "old");

    EXPECT_TRUE(CopyFileTo(source, destination, false));
    EXPECT_EQ(ReadBytes(destination), frame);
    EXPECT_EQ(QFileInfo(destination).lastModified(), rendered);
    EXPECT_EQ(Entries(dir.path()), (QStringList { QStringLiteral("a.png"), QStringLiteral("b.png") }));
}

TEST(Files, FailedCopyLeavesTheDestinationWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString destination = dir.filePath(QStringLiteral("b.png"));
    WriteBytes(destination, "old");

    EXPECT_FALSE(CopyFileTo(dir.filePath(QStringLiteral("missing.png")), destination, false));
    EXPECT_FALSE(CopyFileTo(dir.path(), destination, false));
    // Opens, then fails on the first read.
    EXPECT_FALSE(CopyFileTo(QStringLiteral("/proc/self/mem"), destination, false));
    EXPECT_EQ(ReadBytes(destination), "old");

    const QString fresh = dir.filePath(QStringLiteral("c.png"));
    EXPECT_FALSE(CopyFileTo(QStringLiteral("/proc/self/mem"), fresh, true));
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(Entries(dir.path()), QStringList { QStringLiteral("b.png") });
}

TEST(Files, CopyFileToDirectoryKeepsTheName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    const QString source = dir.filePath(QStringLiteral("f0001.png"));
    WriteBytes(source, "frame");
    EXPECT_TRUE(CopyFileToDirectory(source, dir.filePath(QStringLiteral("out")), true));
    EXPECT_EQ(ReadBytes(dir.filePath(QStringLiteral("out/f0001.png"))), "frame");
    EXPECT_FALSE(CopyFileToDirectory(source, dir.filePath(QStringLiteral("out/")), true));
    EXPECT_TRUE(CopyFileToDirectory(source, dir.filePath(QStringLiteral("out/")), false));
    EXPECT_FALSE(CopyFileToDirectory(source, dir.filePath(QStringLiteral("nowhere")), false));
    EXPECT_EQ(ReadBytes(source), "frame");
}

TEST(Files, MoveFileToDirectoryRenamesWithoutReplacing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("out")));
    const QString source = dir.filePath(QStringLiteral("f0001.png"));
    const QString moved = dir.filePath(QStringLiteral("out/f0001.png"));
    WriteBytes(source, "frame");
    EXPECT_TRUE(MoveFileToDirectory(source, dir.filePath(QStringLiteral("out"))));
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_EQ(ReadBytes(moved), "frame");

    WriteBytes(source, "newer");
    EXPECT_FALSE(MoveFileToDirectory(source, dir.filePath(QStringLiteral("out"))));
    EXPECT_EQ(ReadBytes(source), "newer");
    EXPECT_EQ(ReadBytes(moved), "frame");
    EXPECT_FALSE(MoveFileToDirectory(dir.filePath(QStringLiteral("missing.png")), dir.path()));
}

TEST(Files, MoveFileToDirectoryCrossesFileSystems)
{
    QTemporaryDir dir;
    QTemporaryDir other(QStringLiteral("/dev/shm/kestrion-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    if (!other.isValid() || Device(dir.path()) == Device(other.path()))
        GTEST_SKIP() << "no second file system to move to";
    const QString source = dir.filePath(QStringLiteral("f0001.png"));
    WriteBytes(source, "frame");
    EXPECT_TRUE(MoveFileToDirectory(source, other.path()));
    EXPECT_FALSE(QFile::exists(source));
    EXPECT_EQ(ReadBytes(other.filePath(QStringLiteral("f0001.png"))), "frame");

    WriteBytes(source, "newer");
    EXPECT_FALSE(MoveFileToDirectory(source, other.path()));
    EXPECT_EQ(ReadBytes(source), "newer");
}

TEST(Files, DeleteFileQuietly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ack3"));
    WriteBytes(path, "Ready");
    DeleteFileQuietly(path);
    EXPECT_FALSE(QFile::exists(path));
    DeleteFileQuietly(path);
}
