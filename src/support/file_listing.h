#pragma once
// Whether files exist, answered from one listing per directory: checking thousands of frames
// on a network share costs one directory read instead of one request per file.

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

class TFileListing
{
public:
    // True for a regular file (or a link to one) of exactly this name, as the directory was
    // when it was first asked about.
    // A directory that exists but cannot be read (a share gone away, no permission) answers
    // false and is named in Unreadable: its files are unknown, not missing.
    bool Exists(const QString& path);
    const QStringList& Unreadable() const { return FUnreadable; }

private:
    QHash<QString, QSet<QString>> FDirectories;
    QStringList FUnreadable;
};
