#include "support/text_file.h"

#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include <sys/stat.h>

TEST(TextFile, SplitsEveryKindOfLineEnd)
{
    EXPECT_EQ(SplitTextLines(u"a\r\nb\nc\rd"), QStringList({ "a", "b", "c", "d" }));
    EXPECT_EQ(SplitTextLines(u"a\r\n\r\nb\r\n"), QStringList({ "a", "", "b" }));
    EXPECT_EQ(SplitTextLines(u"\n\r"), QStringList({ "", "" }));
    EXPECT_EQ(SplitTextLines(u""), QStringList());
}

TEST(TextFile, ReadsAnyBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    QStringList lines;
    EXPECT_FALSE(ReadTextLines(path, lines));

    WriteBytes(path, "\xEF\xBB\xBFKey=\xC3\xA9t\xC3\xA9\r\nx");
    ASSERT_TRUE(ReadTextLines(path, lines));
    EXPECT_EQ(lines, QStringList({ QStringLiteral("Key=été"), QStringLiteral("x") }));

    WriteBytes(path, QByteArray("a\0b\nc", 5));
    ASSERT_TRUE(ReadTextLines(path, lines));
    EXPECT_EQ(lines.first().size(), 3);

    WriteBytes(path, QByteArray(1000, 'x'));
    ASSERT_TRUE(ReadTextLines(path, lines, 10));
    EXPECT_EQ(lines, QStringList({ QStringLiteral("xxxxxxxxxx") }));

    // Files that tell no size (those of /proc) are read whole all the same.
    ASSERT_TRUE(ReadTextLines(QStringLiteral("/proc/self/status"), lines));
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("Name:"))) << qPrintable(lines.join(u'|'));
    ASSERT_TRUE(ReadTextLines(QStringLiteral("/proc/self/status"), lines, 5));
    EXPECT_EQ(lines, QStringList { QStringLiteral("Name:") });
}

// Anything may stand in a file's place on a share; what is no plain file is not read, and a pipe
// without a writer does not block the reader.
TEST(TextFile, ReadsOnlyPlainFiles)
{
    QTemporaryDir dir;
    QStringList lines { QStringLiteral("kept") };
    const QString pipe = dir.filePath(QStringLiteral("Ack1"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    EXPECT_FALSE(ReadTextLines(pipe, lines));
    EXPECT_FALSE(ReadTextLines(dir.path(), lines));
    EXPECT_EQ(lines, QStringList { QStringLiteral("kept") });
}

// A Windows peer's 8-bit text must come back byte for byte after a read and a write.
TEST(TextFile, EightBitTextSurvivesARoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.ini"));
    const QByteArray windowsText("[Caf\xE9]\r\nR\xE9pertoire=D:\\Rendu\\\xC9t\xE9\r\n");
    WriteBytes(path, windowsText);

    QStringList lines;
    TTextEncoding encoding = TTextEncoding::Utf8;
    ASSERT_TRUE(ReadTextLines(path, lines, TextFileLimit, &encoding));
    EXPECT_EQ(encoding, TTextEncoding::Latin1);
    EXPECT_EQ(lines.first(), QStringLiteral("[Café]"));
    ASSERT_TRUE(WriteTextLines(path, lines, encoding));
    EXPECT_EQ(ReadBytes(path), windowsText);

    ASSERT_TRUE(WriteTextLines(path, { QStringLiteral("été") }));
    EXPECT_EQ(ReadBytes(path), QByteArray("\xC3\xA9t\xC3\xA9\r\n"));
}

// Nodes and Remotes on a share may run as other users: a file the farm creates gets what any new
// file gets (0666 less the umask), and a file it replaces keeps its own permissions.
TEST(TextFile, BothWritersGiveTheUsualPermissions)
{
    using TWriter = std::function<bool(const QString&, const QStringList&)>;
    const std::vector<std::pair<const char*, TWriter>> writers {
        { "atomic",
            [](const QString& path, const QStringList& lines) { return WriteTextLines(path, lines); } },
        { "quick",
            [](const QString& path, const QStringList& lines) {
                return WriteTextLinesQuickly(path, lines);
            } },
    };
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Job1"));
        {
            const TUmask mask(022);
            ASSERT_TRUE(write(path, { QStringLiteral("wait") }));
            EXPECT_EQ(FileMode(path), 0644u);
            ASSERT_TRUE(write(dir.filePath(QStringLiteral("Job2")), { QStringLiteral("wait") }));
        }
        {
            const TUmask mask(027);
            ASSERT_TRUE(write(dir.filePath(QStringLiteral("Job3")), { QStringLiteral("wait") }));
            EXPECT_EQ(FileMode(dir.filePath(QStringLiteral("Job3"))), 0640u);
            for (const mode_t kept : { 0660u, 0600u, 0664u }) {
                ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), kept), 0);
                ASSERT_TRUE(write(path, { QStringLiteral("render"), QStringLiteral("1 1 1") }));
                EXPECT_EQ(FileMode(path), kept);
            }
        }
        EXPECT_EQ(ReadBytes(path), QByteArray("render\r\n1 1 1\r\n"));
        // Nothing is left beside the files written.
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({ "Job1", "Job2", "Job3" }));
    }
}

TEST(TextFile, QuickWriterFailureLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Job1"));
    // A directory in the file's place cannot be replaced by a file.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Job1")));
    QString error;
    EXPECT_FALSE(WriteTextLinesQuickly(path, { QStringLiteral("wait") }, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(WriteTextLinesQuickly(dir.filePath(QStringLiteral("no/such/Job1")), {}, &error));
}
