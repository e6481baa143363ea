#pragma once
// The farm at work: owns the farm's state, its workers and the five timers, and brings the farm
// up and down. The windows and the program without windows drive the same object.

#include "farm/discovery.h"
#include "farm/dispatch.h"
#include "farm/farm.h"
#include "farm/node_launch.h"

#include <QObject>
#include <QTimer>

class TController : public QObject
{
    Q_OBJECT
public:
    TController(TOptions& options, TPeople& people, const TClock& clock);

    // The farm's part of start-up: lists, overview and local nodes loaded, the mode applied
    // (timers started), "Started." logged.
    void Start();
    // The farm's part of closing: "Ended" logged, the Master's lists stored, the timers stopped,
    // the options written. False when something could not be written (already reported).
    bool Close();
    // Timers for the mode the options name.
    void ApplyMode();

    void TimerMasterTimer();
    void TimerMasterRescanTimer();
    void TimerGeneralTimer();
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

    QTimer TimerMaster;
    QTimer TimerMasterRescan;
    QTimer TimerRemote;
    QTimer TimerRemoteUpdateAutomatic;
    QTimer TimerGeneral;

private:
    // A tick or command that ends on an input/output error is logged once per distinct error,
    // so a share gone away does not flood the log every second.
    template <typename Work> void Guarded(QString& lastError, Work work);

    TFarm FFarm;
    TDiscovery FDiscovery;
    TDispatch FDispatch;
    QString FMasterError;
    QString FRescanError;
    QString FGeneralError;
    QString FCommandError;
    qint64 FRemoteTicks = 0;
};
