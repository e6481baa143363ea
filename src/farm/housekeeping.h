#pragma once
// The housekeeping tick, once a second in both modes: the crash check of the local nodes, the
// idle measure shown, the DorezoDizaz (a local node started once this computer has been idle
// long enough), events cleared by age, and the count towards the periodic e-mail report.

#include <QString>
#include <QtGlobal>
#include <functional>

class TDiscovery;
class TFarm;
struct TIdleCounters;
struct TScreamer;

// "Idle Time " and the idle seconds, as the status bar shows them.
QString IdleTimeText(int idleSeconds);

// Counts one tick of a period of `minutes` minutes (less than 0 counts as 0) in `ticks`; true,
// with the count started again, on the tick after `minutes` × 60 + 1 ticks, so a period of
// one-second ticks ends `minutes` minutes and two seconds after it began.
bool PeriodOver(qint64& ticks, int minutes);

class THousekeeping
{
public:
    THousekeeping(TFarm& farm, TDiscovery& discovery, TIdleCounters& idle);

    void TimerGeneralTimer();

    // Reads the Master's lists again before a Remote starts a node; the controller wires it.
    std::function<void()> Update;
    // Sends the periodic e-mail report.
    std::function<void()> SendReport;

    qint64 ReportTicks() const { return FReportTicks; }

private:
    void ShowIdle();
    void DorezoDizaz();
    void StartIdleNode();
    void Start(TScreamer& screamer);
    void ClearOldEvents();
    void CountReportTicks();

    TFarm& FFarm;
    TDiscovery& FDiscovery;
    TIdleCounters& FIdle;
    qint64 FReportTicks = 0;
    // A start's message box lets ticks run; they start nothing until it is answered.
    bool FStarting = false;
};
