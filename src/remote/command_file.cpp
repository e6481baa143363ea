#include "remote/command_file.h"

#include "options/options.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/text_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Peers on other computers share the directory, so private names carry host and process.
QString PrivateName(const QString& path, const QString& purpose)
{
    static const QString owner
        = QStringLiteral("%1.%2").arg(QSysInfo::machineHostName().remove(u'/').remove(u'\\'),
            QString::number(QCoreApplication::applicationPid()));
    return QStringLiteral("%1.%2.%3.%4")
        .arg(path, owner, QString::number(QRandomGenerator::global()->generate64(), 36), purpose);
}

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Puts `from` under the name `to` only when `to` is free, in one step, so a reader never sees
// half a file and no waiting command is replaced. `from` is gone afterwards either way.
bool MoveIntoFreeName(const QString& from, const QString& to, QString& error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    bool moved = ::link(source.constData(), target.constData()) == 0;
    int linkError = moved ? 0 : errno;
    if (!moved && linkError != EEXIST) {
        // Shares without hard links can still refuse to replace a name.
        moved
            = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0;
        linkError = moved ? 0 : errno;
        if (moved)
            return true;
    }
    ::unlink(source.constData());
    if (!moved && linkError != EEXIST)
        error = QStringLiteral("Cannot place %1: %2").arg(to, ErrnoText(linkError));
    return moved;
}

bool IsPlainFile(const QString& path, qint64& size)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    size = status.st_size;
    return true;
}

} // namespace

QString RemoteCommandFile(const TOptions& options)
{
    return JoinPath(options.ScreamerDirectory, RemoteCommandFileName);
}

void TCommandOutbox::Send(const TCommand& command)
{
    QStringList lines;
    command.ToLines(lines);
    // Asking for the lists twice before the first was answered gets nothing more.
    if (command.Command == ProgramUpdate && command.Arguments.isEmpty()
        && std::find(FQueue.cbegin(), FQueue.cend(), lines) != FQueue.cend())
        return;
    if (FQueue.size() >= size_t(CommandOutboxLimit)) {
        LastError = QStringLiteral("The commands directory has not taken a command for too long; dropped %1")
                        .arg(FQueue.front().value(1));
        FQueue.pop_front();
    }
    FQueue.push_back(std::move(lines));
}

bool TFileTransport::Deliver(const QStringList& lines, QString& error)
{
    const QString path = RemoteCommandFile(FOptions);
    if (NameTaken(path))
        return false;
    const QString temporary = PrivateName(path, QStringLiteral("sending"));
    QString reason;
    if (!WriteTextLines(temporary, lines, TTextEncoding::Utf8, &reason)) {
        error = QStringLiteral("Cannot write %1: %2").arg(temporary, reason);
        return false;
    }
    return MoveIntoFreeName(temporary, path, error);
}

bool TCommandOutbox::Flush(TCommandTransport& transport)
{
    bool delivered = false;
    while (!FQueue.empty()) {
        QString error;
        if (!transport.Deliver(FQueue.front(), error)) {
            if (!error.isEmpty())
                LastError = error;
            break;
        }
        FQueue.pop_front();
        delivered = true;
    }
    return delivered;
}

bool SendCommand(TCommandOutbox& outbox, const TCommand& command, const TOptions& options)
{
    outbox.Send(command);
    return !options.RemoteSendTCPIP && outbox.Flush(options);
}

bool ReadRemoteCommandFile(const TOptions& options, TCommand& command)
{
    const QString path = RemoteCommandFile(options);
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || S_ISDIR(status.st_mode))
        return false;
    // Taken under a private name, the file can neither be replaced while it is read nor be
    // deleted together with a command that arrives meanwhile.
    const QString taken = PrivateName(path, QStringLiteral("taken"));
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(taken).constData()) != 0)
        return false;
    QStringList lines;
    qint64 size = 0;
    // Not a plain file (a pipe would block the read) or too big: no command of ours.
    const bool read = IsPlainFile(taken, size) && size <= RemoteCommandFileLimit
        && ReadTextLines(taken, lines, RemoteCommandFileLimit);
    DeleteFileQuietly(taken);
    return read && command.FromLines(lines);
}
