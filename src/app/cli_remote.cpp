#include "app/cli_remote.h"

#include "farm/master_command.h"
#include "farm/master_lock.h"
#include "farm/remote_update.h"
#include "options/options.h"
#include "remote/command.h"
#include "remote/command_file.h"
#include "remote/tcp_link.h"
#include "support/paths.h"
#include "support/text_file.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <sys/stat.h>

namespace {

// Over TCP/IP the Master pushes changed lists by itself; a Remote that waits asks this often
// anyway, so a silent Master is told from a quiet farm.
constexpr qint64 AskEveryMs = 5000;

// Which version of a file is there: the Master replaces its state files by renaming, so a new
// version is a new inode, whatever the clock of the share says.
QByteArray FileStamp(const QString& path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QByteArray();
    return QByteArray::number(qint64(status.st_ino)) + ' ' + QByteArray::number(qint64(status.st_size)) + ' '
        + QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qint64(status.st_mtim.tv_nsec));
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(RemoteCommandFileLimit) : QByteArray();
}

} // namespace

bool TCliPeople::Ask(const QString& text, bool isQuestion)
{
    if (!isQuestion)
        Told << text;
    return true;
}

bool TCliPeople::AskWithCheck(const QString& text, const QString&, bool isQuestion, bool& checked)
{
    checked = RenderAgain;
    return Ask(text, isQuestion);
}

bool TCliPeople::AskText(const QString&, QString& text)
{
    text = Message;
    return !text.isEmpty();
}

TCliRemote::TCliRemote(TOptions& options, int timeoutSeconds)
    : FOptions(options)
    , FTimeoutSeconds(timeoutSeconds)
    , FFarm(options, FPeople, FClock)
    , FDiscovery(FFarm)
{
    // A client run is no session of an installation: it drives nothing and keeps no events file.
    FOptions.Master = false;
    FOptions.EventsFile = false;
    FLastAnswer.start();
    FLastAsked.start();
    FLockMoved.start();
}

TCliRemote::~TCliRemote()
{
    FFarm.LinkTransport = nullptr;
}

bool TCliRemote::TcpIp() const
{
    return FOptions.TcpIpInUse();
}

bool TCliRemote::WaitUntil(const std::function<bool()>& done, qint64 milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    // Wakes the loop now and then, so a wait that no event ends still meets its deadline.
    QTimer wake;
    wake.start(int(std::clamp<qint64>(milliseconds, 1, 20)));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

QString TCliRemote::LinkProblem(const QString& what) const
{
    QString text
        = QStringLiteral("%1 the Master at %2 over TCP/IP").arg(what, FOptions.RemoteSendTCPIPMaster);
    if (!FLinkStatus.isEmpty())
        text += QStringLiteral(" (") + FLinkStatus + u')';
    return text
        + QStringLiteral(
            ". Check that the Master runs with MasterScanTCPIP=1, that RemoteSendTCPIPMaster in %1 "
            "names it (host or host:port), and that its MasterTCPIPAllow lets this computer in.")
              .arg(OptionsFilePath(FOptions.FileName()));
}

void TCliRemote::Received(const TCommand& command)
{
    if (command.Command != Lists) {
        ExecuteMasterCommand(FFarm, FDiscovery, command);
        return;
    }
    // Lists that do not parse whole leave the lists as they were; the wait says so.
    if (!ExecuteMasterCommand(FFarm, FDiscovery, command)) {
        FInvalidLists = true;
        return;
    }
    FMasterName = command.SenderName;
    ++FListsCount;
    FLastAnswer.restart();
}

bool TCliRemote::Connect()
{
    if (FClient && FClient->Connected())
        return true;
    FFarm.LinkTransport = nullptr;
    FClient = std::make_unique<TClientLink>(FOptions.RemoteSendTCPIPMaster);
    FLost = false;
    FClient->Status = [this](const QString& text) { FLinkStatus = text; };
    FClient->Received = [this](const TCommand& command, const QString&) { Received(command); };
    FClient->Lost = [this] { FLost = true; };
    FClient->ConnectedToMaster = [this] {
        FFarm.LinkTransport = FClient.get();
        // As every Remote does on connecting: the Master's lists at once.
        FFarm.Send(ProgramUpdate);
        FLastAsked.restart();
    };
    FClient->Connect();
    if (!WaitUntil([this] { return FLost || FClient->Connected(); }, TimeoutMs()) || FLost) {
        Error = LinkProblem(
            FLost ? QStringLiteral("Could not reach") : QStringLiteral("No answer in time from"));
        return false;
    }
    return true;
}

bool TCliRemote::ListsAnswered(qint64 before)
{
    FInvalidLists = false;
    const bool answered = WaitUntil(
        [&] { return FLost || FInvalidLists || (FListsCount > before && FFarm.Outbox.Pending() == 0); },
        TimeoutMs());
    if (FInvalidLists) {
        Error
            = QStringLiteral("The Master's lists over TCP/IP could not be read whole (damaged or cut short); "
                             "nothing of them is shown. Check that %1 is a Kestrion Master.")
                  .arg(FOptions.RemoteSendTCPIPMaster);
        return false;
    }
    if (!answered || FLost) {
        Error = LinkProblem(FLost ? QStringLiteral("Lost the link to")
                                  : QStringLiteral("No answer within %1 s from").arg(FTimeoutSeconds));
        return false;
    }
    return true;
}

bool TCliRemote::Read()
{
    if (!TcpIp()) {
        // A wait reads the lists again only when the Master has stored them anew.
        const QByteArray stamp
            = FileStamp(FOptions.StateScenesFile()) + '/' + FileStamp(FOptions.StateComputersFile());
        if (stamp == FStateStamp)
            return true;
        if (!ReadStateFilesWhole(FOptions, FFarm.Scenes, FFarm.Computers, Error))
            return false;
        FStateStamp = stamp;
        QStringList lock;
        FMasterAbsent = !ReadTextLines(JoinPath(FOptions.ScreamerDirectory, MasterLockFileName), lock);
        if (!FMasterAbsent)
            FMasterName = TMasterLockHolder::FromLines(lock).Name;
        return true;
    }
    const qint64 before = FListsCount;
    if (FClient && FClient->Connected()) {
        FFarm.Send(ProgramUpdate);
        FLastAsked.restart();
    } else if (!Connect()) {
        return false;
    }
    return ListsAnswered(before);
}

bool TCliRemote::DeliverToFile()
{
    const QString path = RemoteCommandFile(FOptions);
    // The command may have gone into the file already when it was sent.
    QByteArray written = FileBytes(path);
    const bool delivered = WaitUntil(
        [&] {
            const int before = FFarm.Outbox.Pending();
            FFarm.Outbox.LastError.clear();
            FFarm.FlushOutbox();
            if (FFarm.Outbox.Pending() < before)
                written = FileBytes(path);
            return FFarm.Outbox.Pending() == 0 || !FFarm.Outbox.LastError.isEmpty();
        },
        TimeoutMs());
    if (!FFarm.Outbox.LastError.isEmpty()) {
        Error = FFarm.Outbox.LastError
            + QStringLiteral(". Nothing was sent: check that the commands directory %1 may be written.")
                  .arg(FOptions.ScreamerDirectory);
        return false;
    }
    if (!delivered) {
        Error = QStringLiteral(
            "%1 still holds another command after %2 s, so this one was not sent. Check that a "
            "Master drives the commands directory with MasterScanRemote=1.")
                    .arg(path)
                    .arg(FTimeoutSeconds);
        return false;
    }
    // The Master takes the file by renaming it; a file of other bytes is another Remote's.
    if (!WaitUntil([&] { return !QFile::exists(path) || FileBytes(path) != written; }, TimeoutMs())) {
        Error = QStringLiteral(
            "The command waits in %1, but no Master took it within %2 s. Check that a Master "
            "drives this commands directory with MasterScanRemote=1; it carries the command "
            "out when it takes the file.")
                    .arg(path)
                    .arg(FTimeoutSeconds);
        return false;
    }
    return true;
}

bool TCliRemote::Deliver(const std::function<bool(TFarm&)>& command)
{
    FPeople.Told.clear();
    // The answer to a command is the first lists after it, so the lists asked for on
    // connecting come first.
    if (TcpIp() && !(FClient && FClient->Connected()) && !Read())
        return false;
    const qint64 before = FListsCount;
    if (!command(FFarm)) {
        Error
            = FPeople.Told.isEmpty() ? QStringLiteral("There was nothing to send.") : FPeople.Told.join(u' ');
        return false;
    }
    return TcpIp() ? ListsAnswered(before) : DeliverToFile();
}

bool TCliRemote::MasterLockAlive()
{
    const QByteArray bytes = FileBytes(JoinPath(FOptions.ScreamerDirectory, MasterLockFileName));
    if (bytes != FLockBytes || FLockBytes.isNull()) {
        FLockBytes = bytes.isNull() ? QByteArray("") : bytes;
        FLockMoved.restart();
    }
    // The heartbeat moves every few seconds; a lock that stands still for longer than a Master
    // may stay silent belongs to a Master that is gone.
    const qint64 patience = std::max<qint64>(
        TimeoutMs(), qint64(TMasterLock::StalePeriods) * TMasterLock::HeartbeatMilliseconds);
    if (FLockMoved.elapsed() <= patience)
        return true;
    Error = bytes.isEmpty()
        ? QStringLiteral(
            "No Master holds the commands directory %1 (no Master.lock there for %2 s). Check that the "
            "Master runs and uses this directory.")
              .arg(FOptions.ScreamerDirectory)
              .arg(patience / 1000)
        : QStringLiteral(
            "The Master's heartbeat in %1 has not moved for %2 s: the Master has stopped. Check that "
            "it still runs.")
              .arg(JoinPath(FOptions.ScreamerDirectory, MasterLockFileName))
              .arg(patience / 1000);
    return false;
}

bool TCliRemote::Refresh()
{
    if (!TcpIp())
        return MasterLockAlive() && Read();
    if (FInvalidLists) {
        Error = QStringLiteral(
            "The Master's lists over TCP/IP could not be read whole (damaged or cut short).");
        return false;
    }
    if (FLost || !FClient || !FClient->Connected()) {
        // A Master restarted meanwhile is dialled again until it has been silent too long.
        if (FLastAnswer.elapsed() > TimeoutMs()) {
            Error = LinkProblem(QStringLiteral("Lost the link to"));
            return false;
        }
        if (FLastAsked.elapsed() > 1000) {
            FLastAsked.restart();
            FClient.reset();
            FFarm.LinkTransport = nullptr;
            Connect();
            Error.clear();
        }
        return true;
    }
    if (FLastAsked.elapsed() > AskEveryMs) {
        FFarm.Send(ProgramUpdate);
        FLastAsked.restart();
    }
    if (FLastAnswer.elapsed() > TimeoutMs()) {
        Error = LinkProblem(QStringLiteral("No answer within %1 s from").arg(FTimeoutSeconds));
        return false;
    }
    return true;
}
