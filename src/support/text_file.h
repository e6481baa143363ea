#pragma once
// Reading and writing the farm's plain-text files: any bytes in, CR LF lines out.

#include <QString>
#include <QStringList>

// Files the farm reads are small; anything past this is cut off rather than held in memory.
inline constexpr qint64 TextFileLimit = 64 * 1024 * 1024;

// The lines of a text file read as local 8-bit text. Lines may end in CR LF, LF or CR;
// a UTF-8 byte-order mark is dropped. False when the file cannot be opened or read.
bool ReadTextLines(const QString& path, QStringList& lines, qint64 limit = TextFileLimit);

// Splits text into lines the same way.
QStringList SplitTextLines(QStringView text);

// Writes lines ending in CR LF, replacing the file atomically so a reader on another
// computer sees the old file or the new one, never half of one.
bool WriteTextLines(const QString& path, const QStringList& lines);
