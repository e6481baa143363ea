#pragma once
// The node's side of the job file: which version of the file it holds and the command in it.

#include <QByteArray>
#include <QString>

// A job file is replaced whole for every command, so a command seen once is told from the next
// one, even with the same words, by the file it came in.
struct TJobFile
{
    bool Exists = false;
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 Size = 0;
    qint64 ModifiedNanoseconds = 0;
    qint64 ChangedNanoseconds = 0;
    QByteArray Bytes;

    bool operator==(const TJobFile&) const = default;
};

struct TJob
{
    QString Word;
    QString Argument;
};

// The job file as it is now; a file that cannot be opened counts as missing.
TJobFile ReadJobFile(const QString& path);

// The command word and its argument, which stands on the next line or, in the old style, after a
// space on the same line.
TJob ParseJob(const QByteArray& bytes);
