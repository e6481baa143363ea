#pragma once
// The farm's side of the TCP/IP link. On the Master: the server as the options say, each
// command a Remote sends carried out and answered with the lists for every Remote, and the
// Master's own broadcasts. On a Remote: the connection, its reconnect cycle with one dot per
// second, the commands waiting for it, and what the Master pushes carried out.

#include "remote/allow_list.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QObject;
class TClientLink;
class TCommand;
class TDiscovery;
class TFarm;
class TLinkEnd;
class TServerLink;

class TLink
{
public:
    TLink(TFarm& farm, TDiscovery& discovery);
    ~TLink();

    // The Master's step at the start of each dispatch tick: the server opened or closed as
    // MasterScanTCPIP says (and only while this Master drives).
    void MasterTick(bool driving);
    // The Master's step at the end of each dispatch tick: lists that changed go to the Remotes.
    void BroadcastChangedLists();
    // The Remote's step on each remote tick: the reconnect cycle, the connection opened, closed
    // or dialled anew when the Master's address changed.
    void RemoteTick();

    // Master: to every connected Remote.
    void Broadcast(const TCommand& command);
    void BroadcastLists();
    // Asks the Remotes to start those of the chosen node numbers that are not registered yet;
    // the numbers asked for, empty when none was left.
    QString StartOther(const QString& chosen);
    // Closes every connected Remote without its question.
    void CloseAllRemotes();
    // New colours for every connected Remote; the Master's own stay.
    void Surprise(int red, int green, int blue);
    bool Serving() const { return FServer != nullptr; }
    // Host name and address of each connected Remote.
    QStringList Connections() const;
    // Remote: whether the link to the Master is up.
    bool Connected() const;

    static constexpr int ReconnectTicks = 30;

private:
    void OpenServer();
    void ReadAllowList();
    void ExecuteFromRemote(const TCommand& command);
    void Refused(const QString& address, const QString& why);
    void OpenClient();
    void ClientConnected();
    void ClientLost();
    void ExecuteFromMaster(const TCommand& command);
    void SetLinkStatus(const QString& text);
    void ShowLinkStatus();
    template <typename Link> void Retire(std::unique_ptr<Link>& link);
    void FreeRetired();

    TFarm& FFarm;
    TDiscovery& FDiscovery;
    std::unique_ptr<TServerLink> FServer;
    std::unique_ptr<TClientLink> FClient;
    // Links closed while one of their commands may still be running: freed on a later tick.
    std::vector<std::unique_ptr<QObject>> FRetired;
    int FExecuting = 0;
    bool FReconnectPending = false;
    int FReconnectCounter = 0;
    QString FStatus;
    QString FDots;
    QString FShown;
    QString FListenError;
    TAllowOption FAllow;
    qint64 FListsSentMs = -1;
    TRefusalNotes FRefusals;
};
