#include "farm/link.h"

#include "farm/command_executor.h"
#include "farm/farm.h"
#include "farm/master_command.h"
#include "options/options.h"
#include "remote/tcp_link.h"
#include "support/files.h"
#include "support/number_list.h"
#include "support/people.h"
#include "support/record_text.h"

namespace {

const QString LinkOn = QStringLiteral("TCP/IP");
// Lists that changed on the Master's ticks go out at most this often; answers to commands at once.
constexpr qint64 ChangedListsMilliseconds = 1000;

} // namespace

TLink::TLink(TFarm& farm, TDiscovery& discovery)
    : FFarm(farm)
    , FDiscovery(discovery)
{ }

TLink::~TLink()
{
    FFarm.LinkTransport = nullptr;
}

template <typename Link> void TLink::Retire(std::unique_ptr<Link>& link)
{
    if (!link)
        return;
    // A retired link says and does nothing more; it is freed once no command of it runs.
    if constexpr (std::is_same_v<Link, TClientLink>) {
        FFarm.LinkTransport = nullptr;
        link->ConnectedToMaster = nullptr;
        link->Lost = nullptr;
    } else {
        link->Refused = nullptr;
    }
    link->Status = nullptr;
    link->Received = nullptr;
    FRetired.push_back(std::move(link));
}

void TLink::FreeRetired()
{
    if (FExecuting == 0)
        FRetired.clear();
}

void TLink::MasterTick(bool driving)
{
    FreeRetired();
    const TOptions& options = FFarm.Options;
    if (!options.MasterScanTCPIP || !driving) {
        FFarm.People.SetStatus(TStatusPanel::Link, QString());
        Retire(FServer);
        return;
    }
    FFarm.People.SetStatus(TStatusPanel::Link, LinkOn);
    ReadAllowList();
    if (FServer && FServer->Port() != options.MasterTCPIPPort)
        Retire(FServer);
    if (!FServer)
        OpenServer();
}

// Read again whenever the option's text changes; a text that cannot be read lets nobody in.
void TLink::ReadAllowList()
{
    QString error;
    if (!FAllow.Follow(FFarm.Options.MasterTCPIPAllow, error))
        FFarm.MasterEvent(QStringLiteral("TCP/IP"),
            QStringLiteral(
                "No Remote can connect over TCP/IP until the option MasterTCPIPAllow is mended: %1")
                .arg(error));
}

void TLink::OpenServer()
{
    const int port = FFarm.Options.MasterTCPIPPort;
    auto server = std::make_unique<TServerLink>(static_cast<quint16>(std::clamp(port, 0, 65535)));
    server->Status = [this](const QString& text) { SetLinkStatus(text); };
    server->Received = [this](const TCommand& command, const QString&) { ExecuteFromRemote(command); };
    server->Admit = [this](const QHostAddress& address) { return FAllow.Allows(address); };
    server->Refused
        = [this](const QHostAddress& address, const QString& why) { Refused(AddressText(address), why); };
    QString error;
    if (port < 1 || port > 65535)
        error = QStringLiteral("no port number");
    if (error.isEmpty() && server->Listen(error)) {
        FListenError.clear();
        FServer = std::move(server);
        return;
    }
    const QString text = QStringLiteral("Remotes cannot connect over TCP/IP: listening on port %1 failed (%2). "
                                        "Check that no other program uses the port, or choose another with the "
                                        "option MasterTCPIPPort.")
                             .arg(QString::number(port), error);
    if (text != FListenError)
        FFarm.MasterEvent(QStringLiteral("TCP/IP"), text);
    FListenError = text;
    SetLinkStatus(QStringLiteral("Cannot listen on port ") + QString::number(port));
}

void TLink::ExecuteFromRemote(const TCommand& command)
{
    // A Master that gave way to another holds no queue of its own to change.
    if (!FFarm.IsMaster() || !FFarm.Driving)
        return;
    bool scenesChanged = false;
    bool computersChanged = false;
    ++FExecuting;
    try {
        ExecuteRemoteCommand(FFarm, FDiscovery, command, scenesChanged, computersChanged);
    } catch (const EInOutError& error) {
        FFarm.Events.AddEvent(
            1, QStringLiteral("Master"), QStringLiteral("Error"), QString::fromLocal8Bit(error.what()));
    }
    --FExecuting;
    if (scenesChanged)
        FFarm.ScenesChanged();
    if (computersChanged)
        FFarm.ComputersChanged();
    BroadcastLists();
}

void TLink::Refused(const QString& address, const QString& why)
{
    if (!FRefusals.Due(address, LinkMilliseconds()))
        return;
    FFarm.MasterEvent(
        QStringLiteral("TCP/IP"), QStringLiteral("Refused the connection of %1: %2.").arg(address, why));
}

void TLink::Broadcast(const TCommand& command)
{
    if (FServer)
        FServer->Broadcast(command);
}

void TLink::BroadcastLists()
{
    FFarm.ListsChanged = false;
    if (FServer && FServer->HasConnections())
        FServer->Broadcast(ListsCommand(FFarm));
}

void TLink::BroadcastChangedLists()
{
    if (!FFarm.ListsChanged || (FListsSentMs >= 0 && LinkMilliseconds() - FListsSentMs < ChangedListsMilliseconds))
        return;
    FListsSentMs = LinkMilliseconds();
    BroadcastLists();
}

QString TLink::StartOther(const QString& chosen)
{
    QStringList free;
    for (const QString& word : chosen.split(u' ', Qt::SkipEmptyParts)) {
        int number = 0;
        if (TextToInteger(word, number) && FFarm.Computers.NumberFree(number))
            free << word;
    }
    const QString numbers = CleanNumberList(free.join(u' '));
    if (!numbers.isEmpty()) {
        TCommand command = MakeCommand(ComputersStart, FFarm.Options);
        command.Arguments << numbers;
        Broadcast(command);
    }
    return numbers;
}

void TLink::CloseAllRemotes()
{
    Broadcast(MakeCommand(ProgramExit, FFarm.Options));
}

void TLink::Surprise(int red, int green, int blue)
{
    TCommand command = MakeCommand(ProgramSurprise, FFarm.Options);
    command.Arguments << QString::number(red) << QString::number(green) << QString::number(blue);
    Broadcast(command);
}

QStringList TLink::Connections() const
{
    return FServer ? FServer->Connections() : QStringList();
}

void TLink::RemoteTick()
{
    FreeRetired();
    if (FReconnectPending) {
        if (++FReconnectCounter > ReconnectTicks) {
            Retire(FClient);
            FReconnectPending = false;
        }
        FDots += u'.';
    }
    const TOptions& options = FFarm.Options;
    if (options.RemoteSendTCPIP) {
        FFarm.People.SetStatus(TStatusPanel::Link, LinkOn);
        if (!FClient)
            OpenClient();
        else if (FClient->Address() != options.RemoteSendTCPIPMaster) {
            Retire(FClient);
            FReconnectPending = false;
        }
    } else {
        FFarm.People.SetStatus(TStatusPanel::Link, QString());
        Retire(FClient);
        FReconnectPending = false;
    }
    ShowLinkStatus();
}

void TLink::OpenClient()
{
    FClient = std::make_unique<TClientLink>(FFarm.Options.RemoteSendTCPIPMaster);
    FClient->Status = [this](const QString& text) { SetLinkStatus(text); };
    FClient->Received = [this](const TCommand& command, const QString&) { ExecuteFromMaster(command); };
    FClient->ConnectedToMaster = [this] { ClientConnected(); };
    FClient->Lost = [this] { ClientLost(); };
    FFarm.LinkTransport = FClient.get();
    FClient->Connect();
}

void TLink::ClientConnected()
{
    FReconnectPending = false;
    // The Master's lists at once, then whatever waited for the link, in order.
    FFarm.Send(ProgramUpdate);
    ShowLinkStatus();
}

void TLink::ClientLost()
{
    FReconnectPending = true;
    FReconnectCounter = 0;
}

void TLink::ExecuteFromMaster(const TCommand& command)
{
    ++FExecuting;
    bool used = true;
    try {
        used = ExecuteMasterCommand(FFarm, FDiscovery, command);
    } catch (const EInOutError& error) {
        FFarm.Events.AddEvent(1, FFarm.Options.ScreamerName, QStringLiteral("Error"),
            QString::fromLocal8Bit(error.what()));
    }
    --FExecuting;
    if (!used)
        SetLinkStatus(QStringLiteral("Received invalid command from Master"));
}

bool TLink::Connected() const
{
    return FClient && FClient->Connected();
}

void TLink::SetLinkStatus(const QString& text)
{
    FStatus = text;
    FDots.clear();
    ShowLinkStatus();
}

void TLink::ShowLinkStatus()
{
    QString text = FStatus;
    if (!FFarm.IsMaster() && FFarm.Outbox.Pending() > 0)
        text += QStringLiteral(" (%1 waiting)").arg(FFarm.Outbox.Pending());
    text += FDots;
    if (text != FShown)
        FFarm.People.SetStatus(TStatusPanel::LinkStatus, text);
    FShown = text;
}
