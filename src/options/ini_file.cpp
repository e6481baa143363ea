#include "options/ini_file.h"

#include "support/record_text.h"
#include "support/text_file.h"
#include "support/text_routines.h"

#include <QFileInfo>

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

qsizetype SkipBlanks(QStringView text, qsizetype from)
{
    while (from < text.size() && IsBlank(text[from]))
        ++from;
    return from;
}

QString Fold(QStringView name)
{
    return TrimBlanks(name).toString().toCaseFolded();
}

// A line "[Name]": the name, trimmed. A missing "]" still makes a header, as it ends the section before.
bool IsHeader(QStringView line, QStringView& name)
{
    const qsizetype start = SkipBlanks(line, 0);
    if (start >= line.size() || line[start] != u'[')
        return false;
    const QStringView rest = line.sliced(start + 1);
    const qsizetype close = rest.indexOf(u']');
    name = TrimBlanks(close < 0 ? rest : rest.first(close));
    return true;
}

// A line "Key=Value" with a non-empty key; headers and ";" comments are no key lines.
bool IsKeyLine(QStringView line, QStringView& key)
{
    const qsizetype start = SkipBlanks(line, 0);
    if (start >= line.size() || line[start] == u'[' || line[start] == u';')
        return false;
    const qsizetype equals = line.indexOf(u'=', start);
    if (equals < 0)
        return false;
    key = TrimBlanks(line.sliced(start, equals - start));
    return !key.isEmpty();
}

QStringView ValueOfLine(QStringView line)
{
    return TrimBlanks(line.sliced(line.indexOf(u'=') + 1));
}

bool HasLineBreak(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// Names that would not read back as the same section or key are not written.
bool IsWritableName(const QString& section, const QString& key)
{
    const QStringView trimmedKey = TrimBlanks(key);
    return !HasLineBreak(section) && !section.contains(u']') && !HasLineBreak(key) && !trimmedKey.isEmpty()
        && !key.contains(u'=') && !trimmedKey.startsWith(u'[') && !trimmedKey.startsWith(u';');
}

} // namespace

TIniFile::TIniFile(const QString& fileName)
    : FFileName(fileName)
{
    const QFileInfo info(fileName);
    // A file too large to hold is not read, so that writing cannot cut it short.
    if (info.exists() && info.size() > TextFileLimit) {
        FReadFailed = true;
        return;
    }
    if (!ReadTextLines(fileName, FLines, TextFileLimit, &FEncoding)) {
        FLines.clear();
        FReadFailed = QFileInfo::exists(fileName);
    }
}

void TIniFile::SetLines(const QStringList& lines)
{
    FLines = lines;
    FSections.clear();
}

TIniFile::TSection& TIniFile::FindSection(const QString& section) const
{
    const QString folded = Fold(section);
    const auto cached = FSections.find(folded);
    if (cached != FSections.end())
        return cached.value();

    TSection found;
    const QStringView wanted = TrimBlanks(section);
    QStringView name;
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        if (IsHeader(FLines[i], name) && name.compare(wanted, Qt::CaseInsensitive) == 0) {
            found.Header = i;
            break;
        }
    }
    if (found.Header >= 0) {
        qsizetype end = found.Header + 1;
        while (end < FLines.size() && !IsHeader(FLines[end], name))
            ++end;
        // Backwards, so that the first of duplicate keys is the one left in the index.
        QStringView key;
        for (qsizetype i = end - 1; i > found.Header; --i) {
            if (!IsKeyLine(FLines[i], key))
                continue;
            found.Keys.insert(Fold(key), i - found.Header);
            if (found.LastKey == 0)
                found.LastKey = i - found.Header;
        }
    }
    return FSections.insert(folded, found).value();
}

qsizetype TIniFile::FindKey(const QString& section, const QString& key) const
{
    const TSection& found = FindSection(section);
    if (found.Header < 0)
        return -1;
    const auto offset = found.Keys.constFind(Fold(key));
    return offset == found.Keys.constEnd() ? -1 : found.Header + offset.value();
}

bool TIniFile::SectionExists(const QString& section) const
{
    return FindSection(section).Header >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return FindKey(section, key) >= 0;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const qsizetype line = FindKey(section, key);
    return line < 0 ? defaultValue : ValueOfLine(FLines[line]).toString();
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const qsizetype line = FindKey(section, key);
    int number = 0;
    if (line < 0 || !TextToInteger(ValueOfLine(FLines[line]), number))
        return defaultValue;
    return number;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::InsertLine(qsizetype index, const QString& line)
{
    FLines.insert(index, line);
    for (TSection& other : FSections) {
        if (other.Header >= index)
            ++other.Header;
    }
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    if (!IsWritableName(section, key))
        return;
    const QString text = OneLine(value);

    TSection& found = FindSection(section);
    const QString foldedKey = Fold(key);
    const QString newLine = TrimBlanks(key).toString() + u'=' + text;
    if (found.Header < 0) {
        if (!FLines.isEmpty() && !TrimBlanks(FLines.last()).isEmpty())
            FLines.append(QString());
        found.Header = FLines.size();
        FLines.append(u'[' + TrimBlanks(section).toString() + u']');
        FLines.append(newLine);
        found.LastKey = 1;
        found.Keys.insert(foldedKey, 1);
        return;
    }

    const auto offset = found.Keys.constFind(foldedKey);
    if (offset == found.Keys.constEnd()) {
        const qsizetype newOffset = found.LastKey + 1;
        InsertLine(found.Header + newOffset, newLine);
        found.LastKey = newOffset;
        found.Keys.insert(foldedKey, newOffset);
        return;
    }

    // In place: the key as it was written, its "=" and the blanks after it stay.
    QString& line = FLines[found.Header + offset.value()];
    if (ValueOfLine(line) == TrimBlanks(text))
        return;
    const qsizetype valueStart = SkipBlanks(line, line.indexOf(u'=') + 1);
    line = line.first(valueStart) + text;
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, BooleanText(value));
}

qsizetype TIniFile::UnreadableLines(QList<qsizetype>& first, qsizetype most) const
{
    first.clear();
    qsizetype count = 0;
    QStringView name;
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        const QStringView line = TrimBlanks(FLines[i]);
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#') || IsHeader(line, name)
            || IsKeyLine(line, name))
            continue;
        if (count++ < most)
            first.append(i);
    }
    return count;
}

bool TIniFile::UpdateFile() const
{
    if (FReadFailed)
        return false;
    return WriteTextLines(FFileName, FLines, FEncoding);
}
