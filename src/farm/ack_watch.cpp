#include "farm/ack_watch.h"

#include <QFile>
#include <sys/stat.h>

TAckWatch::TAckWatch()
{
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] {
        if (Pass)
            Pass();
    });
    connect(&FWatcher, &QFileSystemWatcher::directoryChanged, this, [this] { PassSoon(); });
}

bool TAckWatch::Identify(const QString& directory, TIdentity& identity)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(directory).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    identity = { static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino) };
    return true;
}

bool TAckWatch::Follow(const QString& directory)
{
    TIdentity identity;
    if (!Identify(directory, identity)) {
        // Gone (a share away): the tick serves the nodes until it is back.
        Stop();
        return false;
    }
    // The watcher drops a directory that was removed; one mounted or made anew at the same path
    // is another directory, whose changes the old watch never hears of.
    if (directory == FDirectory && identity == FIdentity && !FWatcher.directories().isEmpty())
        return true;
    Stop();
    if (!FWatcher.addPath(directory))
        return false;
    FDirectory = directory;
    FIdentity = identity;
    // Acks written while nothing listened.
    PassSoon();
    return true;
}

void TAckWatch::Stop()
{
    if (const QStringList watched = FWatcher.directories(); !watched.isEmpty())
        FWatcher.removePaths(watched);
    FDirectory.clear();
    FIdentity = {};
    FTimer.stop();
}

void TAckWatch::PassSoon()
{
    if (!FTimer.isActive())
        FTimer.start(PeriodMilliseconds);
}

void TAckWatch::PassLater()
{
    if (!FTimer.isActive())
        FTimer.start(RetryMilliseconds);
}
