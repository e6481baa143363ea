#include "options/ini_file.h"

#include "test_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TIniFile FromText(const QString& text)
{
    TIniFile ini;
    ini.SetLines(text.split(u'\n'));
    return ini;
}

} // namespace

TEST(IniFile, SaveKeepsEveryLineItDoesNotChange)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("farm.ini"));
    WriteBytes(path,
        "; written by hand\n"
        "Stray=outside\n"
        "[Options]\n"
        "Master = 0   \n"
        "Unknown=kept as it is\n"
        "; a comment after the keys\n"
        "\n"
        "[Other]\n"
        "Master=7\n"
        "\tweird line without equals\n");
    TIniFile ini(path);
    ini.WriteBool(QStringLiteral("Options"), QStringLiteral("Master"), true);
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("Unknown"), QStringLiteral("kept as it is"));
    ini.WriteInteger(QStringLiteral("Options"), QStringLiteral("Fresh"), 42);
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("Second"), QStringLiteral("b"));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("Key"), QStringLiteral("v"));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("Other"), QStringLiteral("w"));
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(path),
        QByteArray("; written by hand\r\n"
                   "Stray=outside\r\n"
                   "[Options]\r\n"
                   "Master = 1\r\n"
                   "Unknown=kept as it is\r\n"
                   "Fresh=42\r\n"
                   "Second=b\r\n"
                   "; a comment after the keys\r\n"
                   "\r\n"
                   "[Other]\r\n"
                   "Master=7\r\n"
                   "\tweird line without equals\r\n"
                   "\r\n"
                   "[New]\r\n"
                   "Key=v\r\n"
                   "Other=w\r\n"));

    // A new file lists its keys in the order they were written.
    const QString fresh = dir.filePath(QStringLiteral("fresh.ini"));
    TIniFile created(fresh);
    EXPECT_TRUE(created.Lines().isEmpty());
    created.WriteInteger(QStringLiteral("A"), QStringLiteral("Z"), 1);
    created.WriteInteger(QStringLiteral("A"), QStringLiteral("Y"), 2);
    created.WriteInteger(QStringLiteral("B"), QStringLiteral("X"), 3);
    created.WriteInteger(QStringLiteral("A"), QStringLiteral("W"), 4);
    ASSERT_TRUE(created.UpdateFile());
    EXPECT_EQ(ReadBytes(fresh), QByteArray("[A]\r\nZ=1\r\nY=2\r\nW=4\r\n\r\n[B]\r\nX=3\r\n"));
}

TEST(IniFile, ReadsLikeThePrivateProfileFunctions)
{
    const TIniFile ini = FromText(QStringLiteral("Key=outside\n"
                                                 "[options]\n"
                                                 "  KEY\t=  first value \t\n"
                                                 "key=second\n"
                                                 ";Commented=1\n"
                                                 "=no key\n"
                                                 "Empty=\n"
                                                 "[ Options ]\n"
                                                 "Late=1\n"
                                                 "[Broken\n"
                                                 "Inside=yes"));
    const QString none = QStringLiteral("-");
    EXPECT_EQ(ini.ReadString(QStringLiteral("OPTIONS"), QStringLiteral("key"), none),
        QStringLiteral("first value"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Options"), QStringLiteral("Empty"), none), QString());
    EXPECT_EQ(ini.ReadString(QStringLiteral("Options"), QStringLiteral("Commented"), none), none);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Options"), QStringLiteral("Missing"), none), none);
    // The first of two sections of one name counts.
    EXPECT_EQ(ini.ReadString(QStringLiteral("Options"), QStringLiteral("Late"), none), none);
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("broken"), QStringLiteral("Inside"), none), QStringLiteral("yes"));
    EXPECT_EQ(ini.ReadString(QString(), QStringLiteral("Key"), none), none);
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("OPTIONS")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("Nowhere")));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("Options"), QStringLiteral("Empty")));
    // A key line needs a key; a header without "]" still is one.
    QList<qsizetype> unreadable;
    EXPECT_EQ(ini.UnreadableLines(unreadable, 10), 1);
    EXPECT_EQ(unreadable, QList<qsizetype> { 5 });
    EXPECT_EQ(FromText(QStringLiteral("[Options]\nMaster 1\n# note\n \t\nMaster: 1\nx\ny"))
                  .UnreadableLines(unreadable, 2),
        4);
    EXPECT_EQ(unreadable, (QList<qsizetype> { 1, 4 }));

    // Writing updates the first of duplicate keys, keeping its spelling.
    TIniFile written = ini;
    written.WriteString(QStringLiteral("OPTIONS"), QStringLiteral("key"), QStringLiteral("new"));
    EXPECT_EQ(written.Lines()[2], QStringLiteral("  KEY\t=  new"));
    EXPECT_EQ(written.Lines()[3], QStringLiteral("key=second"));
    EXPECT_EQ(
        written.ReadString(QStringLiteral("Options"), QStringLiteral("Key"), none), QStringLiteral("new"));
}

TEST(IniFile, ReadsNumbersAndFlagsStrictly)
{
    const TIniFile ini = FromText(QStringLiteral("[S]\nA= 12 \nB=12abc\nC=\nD=0x10\nE=-7\nF=99999999999\n"
                                                 "G=2\nH=0\nI=yes\nJ=1.5"));
    const QString s = QStringLiteral("S");
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("A"), 5), 12);
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("B"), 5), 5);
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("C"), 5), 5);
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("D"), 5), 5);
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("E"), 5), -7);
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("F"), 5), 5);
    EXPECT_EQ(ini.ReadInteger(s, QStringLiteral("J"), 5), 5);
    EXPECT_TRUE(ini.ReadBool(s, QStringLiteral("G"), false));
    EXPECT_FALSE(ini.ReadBool(s, QStringLiteral("H"), true));
    EXPECT_TRUE(ini.ReadBool(s, QStringLiteral("I"), true));
    EXPECT_FALSE(ini.ReadBool(s, QStringLiteral("I"), false));
    EXPECT_TRUE(ini.ReadBool(s, QStringLiteral("Missing"), true));
}

TEST(IniFile, TakesAnyFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd.ini"));
    // Byte-order mark, CR LF, a lone CR, a NUL byte and no final line break.
    const char raw[] = "\xEF\xBB\xBF[Options]\r\nA=1\rB=x\0y\nC=3";
    WriteBytes(path, QByteArray(raw, sizeof(raw) - 1));
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Options"), QStringLiteral("A"), 0), 1);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Options"), QStringLiteral("B"), QString()),
        QStringView(u"x\u0000y", 3).toString());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Options"), QStringLiteral("C"), 0), 3);

    // Line breaks in a value would make lines of their own.
    ini.WriteString(
        QStringLiteral("Options"), QStringLiteral("A"), QStringLiteral("two\r\n[Options]\nA=lines"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Options"), QStringLiteral("A"), QString()),
        QStringLiteral("two  [Options] A=lines"));
    // Names that could not be read back are not written.
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("K=V"), QStringLiteral("x"));
    ini.WriteString(QStringLiteral("Opt]ions"), QStringLiteral("K"), QStringLiteral("x"));
    ini.WriteString(QStringLiteral("Options"), QStringLiteral("[K"), QStringLiteral("x"));
    EXPECT_EQ(ini.Lines().size(), 4);

    // A missing file reads as empty and is created by the first write.
    TIniFile missing(dir.filePath(QStringLiteral("none.ini")));
    EXPECT_TRUE(missing.Lines().isEmpty());
    EXPECT_TRUE(missing.UpdateFile());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("none.ini"))));

    // Something that exists but cannot be read is never overwritten.
    TIniFile unreadable(dir.path());
    EXPECT_FALSE(unreadable.UpdateFile());
}

TEST(IniFileEncoding, WindowsTextKeepsItsBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("w.ini"));
    WriteBytes(path, "[Options]\r\nScreamerName=R\xE9seau\r\nCommentaire=\xE0 garder\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Options"), QStringLiteral("ScreamerName"), QString()),
        QStringLiteral("Réseau"));
    ini.WriteInteger(QStringLiteral("Options"), QStringLiteral("Debug"), 1);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(path),
        QByteArray("[Options]\r\nScreamerName=R\xE9seau\r\nCommentaire=\xE0 garder\r\nDebug=1\r\n"));
}
