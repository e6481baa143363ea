#pragma once
// How the Master finds its render nodes, takes dead ones out of the work and stops nodes; on a
// Remote the same commands go to the Master.

#include <QList>
#include <functional>

class TFarm;
class TOptions;

// The highest node number a Master scans: `MasterScreamerComputers`, but never past what the
// overview can describe, so a number typed too large cannot make a rescan write jobs for ever.
int HighestScreamerNumber(const TOptions& options);

class TDiscovery
{
public:
    explicit TDiscovery(TFarm& farm);

    // Master: "init" to every node number not yet known, then the registration step
    // 3 seconds later (ArmRescanTimer). Remote: asks the Master to do so.
    void Rescan();
    // Registers each number that answered "Initializing".
    void TimerMasterRescanTimer();

    // The user's commands on the nodes of the selected rows, given as node numbers: the
    // numbers are taken before asking and looked up again after, since ticks run on while
    // the question is open. False when nothing was done.
    bool MarkCrashed(const QList<int>& numbers);
    bool Kill(const QList<int>& numbers);
    // The Master's part of both, without question or event (the remote executor logs once).
    void CrashNodes(const QList<int>& numbers, bool renderAgain);
    void KillNodes(const QList<int>& numbers);

    // Nodes started here whose process has ended are declared crashed.
    void CheckNodeProcesses();

    // The row of this computer's own first node in the computer list, -1 when none.
    int SelectOwnNode() const;

    // Starts the one-shot registration timer; the controller wires it.
    std::function<void()> ArmRescanTimer;

private:
    TFarm& FFarm;
};
