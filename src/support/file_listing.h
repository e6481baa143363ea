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
    // The same for a name whose extension is not known: true for a file of exactly this name
    // or of this name followed by any one extension ("." and a name without dots).
    bool ExistsWithAnyExtension(const QString& path);
    // The files ExistsWithAnyExtension finds, as paths: the name itself and each name with one
    // extension, for work on the files themselves.
    QStringList FilesWithAnyExtension(const QString& path);
    // The names of the files beside `path`, from the same listing.
    QList<QString> NamesBeside(const QString& path);
    const QStringList& Unreadable() const { return FUnreadable; }

private:
    struct TDirectory
    {
        QSet<QString> Names;
        // The names by their stem (the name without its extension), made on the first question
        // that needs them.
        QMultiHash<QString, QString> Stems;
        bool StemsMade = false;
    };
    // The listing of the directory `path` lies in, and the name in it; none for names that
    // are no directory entry ("", ".", "..").
    TDirectory* Listing(const QString& path, QString& name);
    static void MakeStems(TDirectory& directory);

    QHash<QString, TDirectory> FDirectories;
    QStringList FUnreadable;
};
