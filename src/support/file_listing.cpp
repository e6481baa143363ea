#include "support/file_listing.h"

#include "support/paths.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <utility>

namespace {

// The names of regular files in `directory`, links to regular files included. The type comes
// with the directory entry on most file systems; only links and unknown types cost a stat.
// False when the directory exists but cannot be read; a directory that is not there holds no files.
bool ListFiles(const QString& directory, QSet<QString>& names)
{
    const QByteArray encoded = QFile::encodeName(directory.isEmpty() ? QStringLiteral(".") : directory);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(encoded.constData()), closedir);
    if (!dir)
        return errno == ENOENT || errno == ENOTDIR;
    // readdir tells an error from the end of the listing only through errno.
    errno = 0;
    while (const dirent* entry = readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (entry->d_type == DT_REG
            || ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
                && QFileInfo(JoinPath(directory, name)).isFile()))
            names.insert(name);
        errno = 0;
    }
    return errno == 0;
}

} // namespace

TFileListing::TDirectory* TFileListing::Listing(const QString& path, QString& name)
{
    // Split as the file system does: here a backslash is part of a name.
    const qsizetype slash = path.lastIndexOf(u'/');
    name = path.mid(slash + 1);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return nullptr;
    const QString directory = slash < 0 ? QString() : slash == 0 ? QStringLiteral("/") : path.left(slash);
    auto found = FDirectories.find(directory);
    if (found == FDirectories.end()) {
        found = FDirectories.insert(directory, TDirectory());
        if (!ListFiles(directory, found->Names))
            FUnreadable << directory;
    }
    return &*found;
}

bool TFileListing::Exists(const QString& path)
{
    QString name;
    const TDirectory* directory = Listing(path, name);
    return directory ? directory->Names.contains(name) : QFileInfo(path).isFile();
}

void TFileListing::MakeStems(TDirectory& directory)
{
    if (directory.StemsMade)
        return;
    for (const QString& file : std::as_const(directory.Names)) {
        const qsizetype dot = file.lastIndexOf(u'.');
        if (dot > 0 && dot + 1 < file.size())
            directory.Stems.insert(file.left(dot), file);
    }
    directory.StemsMade = true;
}

bool TFileListing::ExistsWithAnyExtension(const QString& path)
{
    QString name;
    TDirectory* directory = Listing(path, name);
    if (!directory)
        return QFileInfo(path).isFile();
    MakeStems(*directory);
    return directory->Names.contains(name) || directory->Stems.contains(name);
}

QStringList TFileListing::FilesWithAnyExtension(const QString& path)
{
    QString name;
    TDirectory* directory = Listing(path, name);
    if (!directory)
        return QFileInfo(path).isFile() ? QStringList { path } : QStringList();
    MakeStems(*directory);
    QStringList files;
    if (directory->Names.contains(name))
        files << path;
    const QString start = path.left(path.size() - name.size());
    for (auto it = directory->Stems.constFind(name); it != directory->Stems.cend() && it.key() == name; ++it)
        files << start + it.value();
    return files;
}

QList<QString> TFileListing::NamesBeside(const QString& path)
{
    QString name;
    const TDirectory* directory = Listing(path, name);
    return directory ? directory->Names.values() : QList<QString>();
}
