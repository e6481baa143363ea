#pragma once
// A private-profile (ini) file read and written key by key; every line the farm does not
// touch (unknown keys and sections, comments, blank lines) is written back as it was.

#include "support/text_file.h"

#include <QHash>
#include <QString>
#include <QStringList>

// Section and key names compare case-insensitively; keys and values are trimmed of spaces and
// tabs. Of duplicate sections or keys the first one counts, for reading and for writing.
// Lines before the first section belong to no section and are never read.
class TIniFile
{
public:
    TIniFile() = default;
    // Reads the file; one that is missing or vanishes before it is opened reads as empty.
    explicit TIniFile(const QString& fileName);

    const QString& FileName() const { return FFileName; }
    // The file as it would be written.
    const QStringList& Lines() const { return FLines; }
    // Replaces the whole content, as if the file had held these lines.
    void SetLines(const QStringList& lines);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal only; any other text reads as the default.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // An integer, nonzero counting as true.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // An existing key gets its new value in place; a new key goes after the last key of its
    // section, a new section at the end of the file. Line breaks in a value become spaces.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // Replaces the file atomically. False when it cannot be written, or when it existed but
    // could not be read (writing then would lose what it holds).
    bool UpdateFile() const;
    // The file existed but could not be read; it reads as empty.
    bool ReadFailed() const { return FReadFailed; }
    // How many lines this layer reads as nothing (not blank, not a section, not a key and not a
    // comment, ";" or "#"); the indexes into Lines() of the first `most` of them go to `first`.
    qsizetype UnreadableLines(QList<qsizetype>& first, qsizetype most) const;

private:
    // Where a section lies in FLines; found and indexed on first use.
    struct TSection
    {
        qsizetype Header = -1; // line of its "[Name]"; -1 when the file has no such section
        qsizetype LastKey = 0; // offset from Header of its last key line; 0 when it has none
        QHash<QString, qsizetype> Keys; // folded key name -> offset from Header of its first line
    };

    TSection& FindSection(const QString& section) const;
    // The line index of the key, or -1.
    qsizetype FindKey(const QString& section, const QString& key) const;
    void InsertLine(qsizetype index, const QString& line);

    QString FFileName;
    QStringList FLines;
    bool FReadFailed = false;
    TTextEncoding FEncoding = TTextEncoding::Utf8;
    mutable QHash<QString, TSection> FSections; // by folded section name
};
