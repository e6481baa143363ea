#include "support/paths.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool IsSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

qsizetype LastSeparator(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (IsSeparator(path[i]))
            return i;
    }
    return -1;
}

} // namespace

bool NameTaken(const QString& path)
{
    // A dangling symbolic link still occupies the name.
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString JoinPath(const QString& directory, const QString& name)
{
    if (directory.isEmpty())
        return name;
    if (IsSeparator(directory.back()))
        return directory + name;
    return directory + QDir::separator() + name;
}

QString ExtractDirectory(const QString& path)
{
    const qsizetype separator = LastSeparator(path);
    // Keep the root of "/shot.lws", or joining the name back would make it relative.
    if (separator == 0)
        return path.left(1);
    return separator < 0 ? QString() : path.left(separator);
}

QString ExtractName(const QString& path)
{
    return path.mid(LastSeparator(path) + 1);
}

QString FreeFileName(const QString& path, const QString& extension)
{
    const qsizetype nameStart = LastSeparator(path) + 1;
    const qsizetype dot = path.indexOf(u'.', nameStart);
    const QString base = dot < 0 ? path : path.left(dot);

    QString candidate = base + u'.' + extension;
    for (int i = 0; i < FreeFileNameTries && NameTaken(candidate); ++i)
        candidate = base + u'_' + QString::number(i) + u'.' + extension;
    return candidate;
}
