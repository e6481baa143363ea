#include "farm/master_lock.h"

#include "options/options.h"
#include "support/paths.h"
#include "support/record_text.h"
#include "support/text_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <limits>

namespace {

// A lock file is a handful of short lines; anything longer is not one of ours.
constexpr qint64 LockFileLimit = 4096;

QString OwnerTag()
{
    return QStringLiteral("%1.%2").arg(QSysInfo::machineHostName().remove(u'/').remove(u'\\'),
        QString::number(QCoreApplication::applicationPid()));
}

// The file system's "now": the modification time of a file written there this moment. Peers
// on other computers write beside it, so its name carries host, process and chance.
bool FileSystemNow(const QString& directory, QDateTime& now, QString& error)
{
    const QString probe = JoinPath(directory,
        QStringLiteral("%1.%2.%3.probe")
            .arg(MasterLockFileName, OwnerTag(),
                QString::number(QRandomGenerator::global()->generate64(), 36)));
    QFile file(probe);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        error = file.errorString();
        return false;
    }
    const bool written = file.write("probe\r\n") == 7 && file.flush();
    error = file.errorString();
    file.close();
    now = QFileInfo(probe).lastModified();
    QFile::remove(probe);
    return written && now.isValid();
}

bool ReadHolder(const QString& path, TMasterLockHolder& holder)
{
    QStringList lines;
    if (!ReadTextLines(path, lines, LockFileLimit))
        return false;
    holder = TMasterLockHolder::FromLines(lines);
    return true;
}

bool ProcessAlive(qint64 process)
{
    if (process <= 0 || process > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
}

} // namespace

QStringList TMasterLockHolder::ToLines() const
{
    return { QStringLiteral("Computer=") + Computer, QStringLiteral("Name=") + Name,
        QStringLiteral("Process=") + QString::number(Process), QStringLiteral("Session=") + Session,
        QStringLiteral("Heartbeat=") + QString::number(Heartbeat) };
}

TMasterLockHolder TMasterLockHolder::FromLines(const QStringList& lines)
{
    TMasterLockHolder holder;
    for (const QString& line : lines) {
        ReadKeyValue(QStringLiteral("Computer"), line, holder.Computer);
        ReadKeyValue(QStringLiteral("Name"), line, holder.Name);
        ReadKeyInteger(QStringLiteral("Process"), line, holder.Process);
        ReadKeyValue(QStringLiteral("Session"), line, holder.Session);
        ReadKeyInteger(QStringLiteral("Heartbeat"), line, holder.Heartbeat);
    }
    return holder;
}

QString TMasterLockHolder::Text() const
{
    if (Computer.isEmpty() && Name.isEmpty())
        return QStringLiteral("a Master whose lock names nobody");
    QString text = Name.isEmpty() ? QStringLiteral("a Master") : Name;
    if (!Computer.isEmpty())
        text += QStringLiteral(" on computer ") + Computer;
    if (Process > 0)
        text += QStringLiteral(", process ") + QString::number(Process);
    return text;
}

QString CommandsDirectoryProblem(const QString& directory)
{
    if (directory.isEmpty() || directory == NoneText)
        return QStringLiteral("No commands directory is set (option ScreamerDirectory).");
    const QFileInfo info(directory);
    if (!info.exists())
        return QStringLiteral("The commands directory %1 does not exist (option ScreamerDirectory): "
                              "mount the share or correct the option.")
            .arg(directory);
    if (!info.isDir())
        return QStringLiteral("The commands directory %1 is not a directory (option ScreamerDirectory).")
            .arg(directory);
    QDateTime now;
    QString error;
    if (!FileSystemNow(directory, now, error))
        return QStringLiteral("The commands directory %1 cannot be written (option ScreamerDirectory): %2. "
                              "Check its permissions.")
            .arg(directory, error);
    return QString();
}

TMasterLock::TMasterLock()
{
    FOwn.Process = QCoreApplication::applicationPid();
    FOwn.Session = QString::number(QRandomGenerator::global()->generate64(), 36);
}

TMasterLock::~TMasterLock()
{
    Release();
}

TMasterLock::TResult TMasterLock::Take(const QString& directory, const QString& computer, const QString& name)
{
    const QString path = JoinPath(directory, MasterLockFileName);
    if (FHeld && path == FPath)
        return TResult::Taken;
    Release();
    FOwn.Computer = computer;
    FOwn.Name = name;
    FPath = path;
    FHolder = TMasterLockHolder();
    FReason.clear();
    // Twice at most: a stale lock is removed once; whoever creates the file next holds it.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString error;
        if (CreateLock(error)) {
            FHeld = true;
            return attempt == 0 ? TResult::Taken : TResult::TakenOver;
        }
        if (!QFileInfo::exists(FPath)) {
            FReason = error;
            return TResult::Failed;
        }
        TMasterLockHolder holder;
        ReadLock(holder);
        if (attempt > 0) {
            // Another Master came first.
            FHolder = holder;
            FReason.clear();
            break;
        }
        FHolder = holder;
        if (!IsStale(holder))
            break;
        if (!RemoveStale(holder)) {
            ReadLock(FHolder);
            FReason.clear();
            break;
        }
    }
    return TResult::Held;
}

bool TMasterLock::RemoveStale(const TMasterLockHolder& stale)
{
    const QString aside
        = QStringLiteral("%1.%2.%3.stale")
              .arg(FPath, OwnerTag(), QString::number(QRandomGenerator::global()->generate64(), 36));
    if (!QFile::rename(FPath, aside))
        return !QFileInfo::exists(FPath);
    TMasterLockHolder moved;
    ReadHolder(aside, moved);
    const bool same = moved.Session == stale.Session && moved.Heartbeat == stale.Heartbeat
        && moved.Computer == stale.Computer && moved.Process == stale.Process;
    // A lock that beat again, or another Master's that came first, goes back unless yet
    // another is there by now.
    if (same || !QFile::rename(aside, FPath))
        QFile::remove(aside);
    return same;
}

bool TMasterLock::Heartbeat()
{
    if (!FHeld)
        return false;
    TMasterLockHolder holder;
    if (!ReadLock(holder)) {
        // Removed while the share is there (by hand): this Master still drives, so it writes
        // its lock again. Otherwise the share is away for a moment.
        if (!QFileInfo::exists(FPath) && QFileInfo(ExtractDirectory(FPath)).isDir()) {
            QString error;
            if (CreateLock(error) || !ReadLock(holder))
                return true;
        } else
            return true;
    }
    if (holder.Session != FOwn.Session) {
        FHeld = false;
        FHolder = holder;
        return false;
    }
    ++FOwn.Heartbeat;
    // A beat that cannot be written is tried again on the next.
    WriteTextLines(FPath, FOwn.ToLines());
    return true;
}

void TMasterLock::Release()
{
    if (!FHeld)
        return;
    FHeld = false;
    TMasterLockHolder holder;
    if (ReadLock(holder) && holder.Session == FOwn.Session)
        QFile::remove(FPath);
}

bool TMasterLock::CreateLock(QString& error)
{
    FOwn.Heartbeat = 1;
    QFile file(FPath);
    // Created only when no lock is there, in one step, so two Masters never both take it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray bytes = FOwn.ToLines().join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = file.errorString();
        file.close();
        file.remove();
        return false;
    }
    return true;
}

bool TMasterLock::ReadLock(TMasterLockHolder& holder) const
{
    return ReadHolder(FPath, holder);
}

bool TMasterLock::IsStale(const TMasterLockHolder& holder)
{
    if (holder.Computer.compare(FOwn.Computer, Qt::CaseInsensitive) == 0 && holder.Process > 0
        && !ProcessAlive(holder.Process)) {
        FReason = QStringLiteral("its process has ended");
        return true;
    }
    QDateTime now;
    QString error;
    const QDateTime beat = QFileInfo(FPath).lastModified();
    // Without the file system's time nothing proves the holder gone.
    if (!FileSystemNow(ExtractDirectory(FPath), now, error) || !beat.isValid()) {
        FReason.clear();
        return false;
    }
    const qint64 seconds = std::max<qint64>(beat.secsTo(now), 0);
    if (beat.msecsTo(now) > qint64 { StalePeriods } * HeartbeatMilliseconds) {
        FReason = QStringLiteral("its heartbeat stopped %1 seconds ago").arg(seconds);
        return true;
    }
    FReason = QStringLiteral("its last heartbeat is %1 seconds old").arg(seconds);
    return false;
}
