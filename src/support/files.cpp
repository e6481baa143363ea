#include "support/files.h"

#include "support/paths.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

namespace {

// Copies the bytes and, as the system's own copy does, the permissions and modification time.
bool CopyContents(QFile& in, QFileDevice& out)
{
    QByteArray buffer(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (out.write(buffer.constData(), got) != got)
            return false;
    }
    if (!out.flush())
        return false;
    out.setPermissions(in.permissions());
    out.setFileTime(in.fileTime(QFileDevice::FileModificationTime), QFileDevice::FileModificationTime);
    return true;
}

} // namespace

bool CopyFileTo(const QString& source, const QString& destination, bool failIfExists)
{
    if (failIfExists && NameTaken(destination))
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;

    if (failIfExists) {
        // NewOnly: a destination that appeared meanwhile is not overwritten either.
        QFile out(destination);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        if (CopyContents(in, out)) {
            out.close();
            if (out.error() == QFileDevice::NoError)
                return true;
        }
        out.remove();
        return false;
    }

    // Written beside and renamed over, so a failed copy leaves the old destination whole.
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (!CopyContents(in, out)) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

bool CopyFileToDirectory(const QString& source, const QString& directory, bool failIfExists)
{
    return CopyFileTo(source, JoinPath(directory, ExtractName(source)), failIfExists);
}

bool MoveFileToDirectory(const QString& source, const QString& directory)
{
    const QString destination = JoinPath(directory, ExtractName(source));
    if (NameTaken(destination) || !NameTaken(source))
        return false;
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(destination).constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    // Another file system: the source goes only once its copy is complete.
    if (!CopyFileTo(source, destination, true))
        return false;
    if (QFile::remove(source))
        return true;
    QFile::remove(destination);
    return false;
}

void DeleteFileQuietly(const QString& path)
{
    QFile::remove(path);
}
