#include "support/text_file.h"

#include "test_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
