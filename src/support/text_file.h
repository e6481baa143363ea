#pragma once
// Reading and writing the farm's plain-text files: any bytes in, CR LF lines out.

#include <QString>
#include <QStringList>

// Files the farm reads are small; anything past this is cut off rather than held in memory.
inline constexpr qint64 TextFileLimit = 64 * 1024 * 1024;

// Files from other computers may hold 8-bit Windows text. Bytes that are not valid UTF-8 are
// read one character each, and written back the same way, so no byte of such a file is lost.
enum class TTextEncoding
{
    Utf8,
    Latin1
};

// The text of a file's bytes; `encoding` tells which way it was read.
QString DecodeText(const QByteArray& bytes, TTextEncoding* encoding = nullptr);

// The lines of a text file. Lines may end in CR LF, LF or CR; a UTF-8 byte-order mark is
// dropped. False when the file cannot be opened or read.
bool ReadTextLines(
    const QString& path, QStringList& lines, qint64 limit = TextFileLimit, TTextEncoding* encoding = nullptr);

// Splits text into lines the same way.
QStringList SplitTextLines(QStringView text);

// Writes lines ending in CR LF, replacing the file atomically so a reader on another
// computer sees the old file or the new one, never half of one.
// `error`, when given, receives the reason of a failure.
bool WriteTextLines(const QString& path, const QStringList& lines,
    TTextEncoding encoding = TTextEncoding::Utf8, QString* error = nullptr);

// The same, replaced atomically but not forced to disk first: for short-lived files written
// many times a second (job files), where waiting for the disk on every write would slow a
// tick over many nodes to seconds and a lost write is sent again anyway.
bool WriteTextLinesQuickly(const QString& path, const QStringList& lines, QString* error = nullptr);
