#pragma once
// The farm at work: owns the farm's state, its workers and the five timers, and brings the farm
// up and down. The windows and the program without windows drive the same object.

#include "farm/ack_watch.h"
#include "farm/discovery.h"
#include "farm/dispatch.h"
#include "farm/farm.h"
#include "farm/housekeeping.h"
#include "farm/link.h"
#include "farm/master_lock.h"
#include "farm/node_launch.h"
#include "farm/saver_thread.h"

#include <QObject>
#include <QTimer>
#include <functional>

class TController : public QObject
{
    Q_OBJECT
public:
    TController(TOptions& options, TPeople& people, const TClock& clock);

    // The farm's part of start-up: what the options file and a Master cannot work without
    // checked (an event for each fault), lists, overview and local nodes loaded, the mode
    // applied (timers started), "Started." logged, the idle thread started. A Master loads its
    // lists only from a usable commands directory whose lock it holds; until then it waits,
    // driving and storing nothing.
    void Start();
    // The farm's part of closing: "Ended" logged, the Master's lists stored (when it drove),
    // the timers and the idle thread stopped, the lock given back, the options written. False
    // when something could not be written (already reported).
    bool Close();
    // Timers for the mode the options name; a Master takes its commands directory's lock first.
    void ApplyMode();
    // The options name another commands directory: a Master gives its lock back and checks and
    // locks the new directory before it drives there, so no second Master drives it meanwhile.
    void CommandsDirectoryChanged();
    // Starts every local node the Start menus offer, as soon as this Master drives; an event,
    // and no start, when the node program cannot be run.
    void StartLocalNodes();

    // This Master drives the nodes: its commands directory is usable and the lock is its own.
    bool Driving() const { return FFarm.Driving; }
    // Another Master holds the commands directory: this farm runs as a Remote until it closes,
    // and the stored mode stays Master.
    bool GaveWay() const { return FGaveWay; }
    // Told, with the event's text, when this Master gives way to another.
    std::function<void(const QString&)> AnotherMasterFound;

    void TimerMasterTimer();
    // The nodes' answers taken in between ticks, when the watch on the commands directory heard
    // of them; never inside a tick, and only while this Master drives.
    void AckPass();
    void TimerMasterRescanTimer();
    void TimerGeneralTimer();
    // The lock's heartbeat; a lock another Master has taken makes this one give way.
    void TimerMasterLockTimer();
    // Remote: the Master's lists read again now, after a command, and every so many ticks.
    void Update();
    void TimerRemoteUpdateAutomaticTimer();
    void TimerRemoteTimer();

    TStartMenus StartMenus() { return RefreshStartMenus(FFarm); }
    // The user's commands; a job file that cannot be written ends the command with an event.
    bool StartScreamer(int index);
    void Rescan();
    bool MarkCrashed(const QList<int>& numbers);
    bool Kill(const QList<int>& numbers);

    TFarm& Farm() { return FFarm; }
    TDiscovery& Discovery() { return FDiscovery; }
    TDispatch& Dispatch() { return FDispatch; }
    THousekeeping& Housekeeping() { return FHousekeeping; }
    TIdleCounters& Idle() { return FIdle; }
    TLink& Link() { return FLink; }
    TSaverThread& Saver() { return FSaver; }
    TAckWatch& AckWatch() { return FAckWatch; }

    QTimer TimerMaster;
    QTimer TimerMasterRescan;
    QTimer TimerRemote;
    QTimer TimerRemoteUpdateAutomatic;
    QTimer TimerGeneral;
    QTimer TimerMasterLock;

private:
    // Whether this Master drives now; on the way there it says once what keeps it waiting,
    // takes the lock (or gives way) and loads the lists Start left to it.
    bool ReadyToDrive();
    void LoadLists(bool master);
    void GiveWay(const QString& text);
    // The watch follows the commands directory while this Master drives with MasterWatchAcks.
    void FollowCommandsDirectory();
    // The pass asked for while a tick or another pass was at work, now.
    void PassIfWanted();
    void StartNodesNow();
    void CheckLightWaveConfig();

    // A tick or command that ends on an input/output error is logged once per distinct error,
    // so a share gone away does not flood the log every second.
    template <typename Work> void Guarded(QString& lastError, Work work);

    TFarm FFarm;
    TDiscovery FDiscovery;
    TDispatch FDispatch;
    TLink FLink;
    TIdleCounters FIdle;
    THousekeeping FHousekeeping;
    TMasterLock FLock;
    TAckWatch FAckWatch;
    // A tick or a pass is at work: a message box it opened runs the event loop, in which the
    // other must not start. A pass asked for meanwhile follows the tick.
    bool FServing = false;
    bool FPassWanted = false;
    static constexpr int PassRetries = 4;
    int FPassRetries = 0;
    // The directory the watch could not follow, as last said.
    QString FUnwatched;
    bool FGaveWay = false;
    bool FReporting = false;
    bool FListsPending = false;
    bool FStartNodesPending = false;
    // What keeps this Master from driving, as last said.
    QString FWaitingFor;
    QString FMasterError;
    QString FRescanError;
    QString FGeneralError;
    QString FCommandError;
    qint64 FRemoteTicks = 0;
    // Last, so that it ends before anything it counts into is freed.
    TSaverThread FSaver;
};
