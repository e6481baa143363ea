#pragma once
// Whether files exist, answered from one listing per directory: checking thousands of frames
// on a network share costs one directory read instead of one request per file.

#include <QHash>
#include <QSet>
#include <QString>

class TFileListing
{
public:
    // True for a regular file (or a link to one) of exactly this name, as the directory was
    // when it was first asked about.
    bool Exists(const QString& path);

private:
    QHash<QString, QSet<QString>> FDirectories;
};
