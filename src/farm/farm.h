#pragma once
// The farm's state in one place: the options, the queue, the nodes, the local node processes,
// the overview of computers and the event log. The workers (dispatch, discovery, launch, the
// remote command executor) change it; the controller owns it and their timers.

#include "events/event_log.h"
#include "model/computer.h"
#include "model/scene_list.h"
#include "model/screamer.h"
#include "remote/command.h"
#include "remote/command_file.h"
#include "remote/overview.h"
#include "support/clock.h"
#include "support/processor_idle.h"

#include <QHash>
#include <QSet>
#include <functional>

class TMailTransfer;
class TOptions;
class TPeople;

class TFarm
{
public:
    TFarm(TOptions& options, TPeople& people, const TClock& clock);

    TDateTime Now() const { return Clock.Now(); }
    bool IsMaster() const;
    // A Master drives the nodes and stores its lists only while Driving: one that waits for its
    // commands directory, or gave way to another Master, holds no lists of its own, and storing
    // them would empty the farm's. The controller keeps it.
    bool Driving = true;

    // Set once the controller has started the farm; a window that asks first starts it later.
    bool Started = false;
    // Set once the farm closes: mails still on their way are cancelled and say nothing more.
    bool Closing = false;
    QList<TMailTransfer*> MailsOnTheirWay;

    // An event of level 3 caused by this installation's user.
    void UserEvent(const QString& type, const QString& comment);
    // What the Master did by itself: a level-1 event of origin "Master".
    void MasterEvent(const QString& type, const QString& comment);
    // A scene's story, each said once per occasion: its first piece went out, its last frame was
    // booked, it was found wholly rendered. The verified time runs from its first piece.
    void SceneStarted(const TScene& scene);
    void SceneBooked(const TScene& scene);
    void SceneVerified(const TScene& scene);

    // After-change steps: show the view again and, on a driving Master that serves Remotes
    // through the commands directory, store the list for them.
    void ScenesChanged();
    void ComputersChanged();
    // The user confirmed changed options: the event, LightWave's configuration read again, and
    // on a Master the overview as long as the highest node number, as at start-up.
    void OptionsChanged();

    // Records an installation as running its screamer numbers (the overview, and the names of
    // those nodes); stores the overview when it changed. True when a node record changed.
    bool IdentifyInstallation(const QString& name, const QString& screamers, int memory);

    // The Master's named groups of screamers, stored at once so Remotes see them; a store that
    // fails is said. Groups belong to the Master: on a Remote these change nothing.
    void AddScreamerGroup(const QString& name, const QString& numbers);
    void DeleteScreamerGroup(int index);
    // A Remote's copy of the Master's overview, read again before it is shown.
    void ReadOverview();

    // Remote side: fills in this installation as the sender and queues the command for the Master.
    void Send(int code, const QStringList& arguments = {});
    // Hands waiting commands to the transport the options name: the command file, or the TCP/IP
    // link while it is up.
    void FlushOutbox();
    TCommandTransport* LinkTransport = nullptr;
    // The Master's lists changed since they last went to the Remotes connected over TCP/IP.
    bool ListsChanged = false;
    // Rises with every change of the lists, for readers that look now and then (the status page).
    quint64 Revision = 0;
    // The Master's idle measure as last shown.
    TIdleFigures Idle;

    // A node leaves with its piece unrendered: the frames go back to their scene, once.
    void HandBackPiece(TComputer& node);
    // The user declared the piece done with (crashed, not to be rendered again).
    static void ClosePiece(TComputer& node) { node.Frames.clear(); }

    TOptions& Options;
    TPeople& People;
    const TClock& Clock;
    TSceneList Scenes;
    TComputerList Computers;
    TScreamerList Screamers;
    TComputerOverview Overview;
    TEventLog Events;
    TCommandOutbox Outbox;
    // A Remote asks to read the Master's lists again soon (the one-shot update timer).
    void RemoteUpdateSoon()
    {
        if (RequestRemoteUpdate)
            RequestRemoteUpdate();
    }
    std::function<void()> RequestRemoteUpdate;

    // A Remote's automatic copies of finished frames (remote_update): the scenes it copied and
    // reported to the Master, until the Master's list shows them copied, and the failure last
    // said of each scene, so a failure that lasts is said once.
    QSet<int> CopiesReported;
    QHash<int, QString> CopyFailures;

private:
    bool StoresLists() const;
    void SaveOverview();
};
