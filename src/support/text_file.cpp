#include "support/text_file.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString DecodeText(const QByteArray& bytes, TTextEncoding* encoding)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    const bool isUtf8 = !utf8.hasError();
    if (encoding)
        *encoding = isUtf8 ? TTextEncoding::Utf8 : TTextEncoding::Latin1;
    return isUtf8 ? text : QString::fromLatin1(bytes);
}

bool ReadTextLines(const QString& path, QStringList& lines, qint64 limit, TTextEncoding* encoding)
{
    // Opened without waiting and read only when it is a plain file: a pipe in a file's place
    // would block the open, and with it the tick, for ever.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return false;
    struct stat status;
    QFile file;
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        return false;
    }
    // Asked for by the file's size, not the limit: a read of the limit reserves that much memory
    // every time, and a file that grew meanwhile (or one of /proc, which tells no size) is read
    // on in pieces, up to the limit.
    constexpr qint64 Piece = 64 * 1024;
    QByteArray bytes = file.read(std::min<qint64>(limit, status.st_size));
    while (bytes.size() < limit && file.error() == QFileDevice::NoError) {
        const QByteArray more = file.read(std::min<qint64>(limit - bytes.size(), Piece));
        if (more.isEmpty())
            break;
        bytes += more;
    }
    if (file.error() != QFileDevice::NoError)
        return false;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    lines = SplitTextLines(DecodeText(bytes, encoding));
    return true;
}

QStringList SplitTextLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start).toString());
    return lines;
}

namespace {

QByteArray LinesToBytes(const QStringList& lines, TTextEncoding encoding)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += (encoding == TTextEncoding::Latin1 ? line.toLatin1() : line.toUtf8()) + "\r\n";
    return bytes;
}

} // namespace

bool WriteTextLines(const QString& path, const QStringList& lines, TTextEncoding encoding, QString* error)
{
    QSaveFile file(path);
    const bool written
        = file.open(QIODevice::WriteOnly) && file.write(LinesToBytes(lines, encoding)) >= 0 && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}

bool WriteTextLinesQuickly(const QString& path, const QStringList& lines, QString* error)
{
    // Nodes and Remotes may run as other users: a new file gets what a plain creation gives
    // (0666 less the umask), never a temporary file's 0600, and a replaced file keeps its own.
    struct stat replaced;
    const bool replaces = ::stat(QFile::encodeName(path).constData(), &replaced) == 0;
    QFile file;
    for (int attempt = 0; attempt < 16 && !file.isOpen(); ++attempt) {
        file.setFileName(path + u'.' + QString::number(QRandomGenerator::global()->generate(), 36));
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    }
    if (!file.isOpen()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = LinesToBytes(lines, TTextEncoding::Utf8);
    QString reason;
    if (file.write(bytes) != bytes.size() || !file.flush())
        reason = file.errorString();
    else if (replaces && ::fchmod(file.handle(), replaced.st_mode & 07777) != 0)
        reason = QString::fromLocal8Bit(std::strerror(errno));
    file.close();
    if (reason.isEmpty()
        && std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData())
            != 0)
        reason = QString::fromLocal8Bit(std::strerror(errno));
    if (reason.isEmpty())
        return true;
    file.remove();
    if (error)
        *error = reason;
    return false;
}
