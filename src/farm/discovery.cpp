#include "farm/discovery.h"

#include "farm/farm.h"
#include "model/node_channel.h"
#include "model/screamer.h"
#include "options/options.h"
#include "support/people.h"

#include <algorithm>

namespace {

QString NodeText(int number)
{
    return QStringLiteral("Screamer ") + QString::number(number);
}

// One node number per line, as a Remote sends them.
QStringList NumberLines(const QList<int>& numbers)
{
    QStringList lines;
    for (int number : numbers)
        lines << QString::number(number);
    return lines;
}

// The lines of a Remote's crash report: whether to render again, then the node numbers.
QStringList CrashedArguments(const QList<int>& numbers, bool renderAgain)
{
    return QStringList { renderAgain ? QStringLiteral("Rerender") : QStringLiteral("Not Rerender") }
    + NumberLines(numbers);
}

} // namespace

TDiscovery::TDiscovery(TFarm& farm)
    : FFarm(farm)
{ }

int HighestScreamerNumber(const TOptions& options)
{
    return std::min(options.MasterScreamerComputers, OverviewItemLimit);
}

void TDiscovery::Rescan()
{
    if (!FFarm.IsMaster()) {
        FFarm.Send(ComputersRescan);
        FFarm.UserEvent(QStringLiteral("Computers Rescan"), QStringLiteral("Rescan request sent to master."));
        return;
    }
    const TOptions& options = FFarm.Options;
    for (int number = 1; number <= HighestScreamerNumber(options); ++number)
        if (FFarm.Computers.NumberFree(number)) {
            DeleteAck(options, number);
            WriteJob(options, number, JobInit);
        }
    FFarm.People.Busy(true);
    if (ArmRescanTimer)
        ArmRescanTimer();
}

void TDiscovery::TimerMasterRescanTimer()
{
    const TOptions& options = FFarm.Options;
    int found = 0;
    for (int number = 1; number <= HighestScreamerNumber(options); ++number) {
        TAck ack;
        if (!FFarm.Computers.NumberFree(number) || !ReadAck(options, number, ack)
            || ack.State != AckInitializing)
            continue;
        WriteJob(options, number, JobWait);
        auto computer = std::make_unique<TComputer>(FFarm.Now());
        computer->Number = number;
        computer->CPU = ack.Platform;
        computer->StateString = AckInitializing;
        // A number past the overview (it and the options disagree) keeps the defaults of a new entry.
        const TComputerOverviewItem item = number <= FFarm.Overview.ItemCount()
            ? FFarm.Overview.Item(number - 1)
            : TComputerOverviewItem();
        computer->Name = item.Name;
        computer->Memory = item.Memory;
        computer->Processors = item.Processors;
        FFarm.Computers.Add(std::move(computer));
        ++found;
    }
    if (found > 0) {
        FFarm.UserEvent(
            QStringLiteral("Computers Rescan"), QString::number(found) + QStringLiteral(" extra found."));
        FFarm.ComputersChanged();
    }
    FFarm.People.Busy(false);
}

bool TDiscovery::MarkCrashed(const QList<int>& numbers)
{
    if (FFarm.Computers.Count() == 0 || numbers.isEmpty())
        return false;
    bool renderAgain = true;
    if (!FFarm.People.AskWithCheck(QStringLiteral("Are you sure the selected computers are crashed?"),
            QStringLiteral("Render crashed frames again."), true, renderAgain))
        return false;
    if (!FFarm.IsMaster()) {
        FFarm.UserEvent(QStringLiteral("Computers Crash"), QString());
        FFarm.Send(ComputersCrashed, CrashedArguments(numbers, renderAgain));
        FFarm.RemoteUpdateSoon();
        return true;
    }
    for (int number : numbers)
        if (FFarm.Computers.FindByNumber(number))
            FFarm.UserEvent(QStringLiteral("Computers Crash"), NodeText(number));
    CrashNodes(numbers, renderAgain);
    return true;
}

void TDiscovery::CrashNodes(const QList<int>& numbers, bool renderAgain)
{
    bool scenesChanged = false;
    for (int number : numbers) {
        TComputer* node = FFarm.Computers.FindByNumber(number);
        if (!node)
            continue;
        if (renderAgain) {
            scenesChanged = scenesChanged || !node->Frames.isEmpty();
            FFarm.HandBackPiece(*node);
        } else {
            TFarm::ClosePiece(*node);
        }
        DeleteAck(FFarm.Options, number);
        WriteJob(FFarm.Options, number, JobDelete);
        node->StateString = AckOffline;
    }
    if (scenesChanged)
        FFarm.ScenesChanged();
    FFarm.ComputersChanged();
}

bool TDiscovery::Kill(const QList<int>& numbers)
{
    if (FFarm.Computers.Count() == 0 || numbers.isEmpty())
        return false;
    if (!FFarm.People.Ask(QStringLiteral("Are you sure you want to kill the selected computers?"), true))
        return false;
    if (!FFarm.IsMaster()) {
        FFarm.UserEvent(QStringLiteral("Computers kill"), QString());
        FFarm.Send(ComputersKill, NumberLines(numbers));
        FFarm.RemoteUpdateSoon();
        return true;
    }
    for (int number : numbers)
        if (const TComputer* node = FFarm.Computers.FindByNumber(number);
            node && node->StateCode() != TNodeState::Offline)
            FFarm.UserEvent(QStringLiteral("Computers Kill"), NodeText(number));
    KillNodes(numbers);
    return true;
}

void TDiscovery::KillNodes(const QList<int>& numbers)
{
    for (int number : numbers) {
        TComputer* node = FFarm.Computers.FindByNumber(number);
        // A node that has gone needs no "quit"; it would only stay "Dying" for ever.
        if (!node || node->StateCode() == TNodeState::Offline)
            continue;
        DeleteAck(FFarm.Options, number);
        WriteJob(FFarm.Options, number, JobQuit);
        node->StateString = StateDying;
    }
    FFarm.ComputersChanged();
}

void TDiscovery::CheckNodeProcesses()
{
    for (int i = 0; i < FFarm.Screamers.Count(); ++i) {
        TScreamer& screamer = FFarm.Screamers.Item(i);
        if (!IsDead(screamer))
            continue;
        Forget(screamer);
        const int number = screamer.Number;
        if (FFarm.IsMaster()) {
            DeleteAck(FFarm.Options, number);
            WriteJob(FFarm.Options, number, JobDelete);
            if (TComputer* node = FFarm.Computers.FindByNumber(number)) {
                node->StateString = AckOffline;
                FFarm.HandBackPiece(*node);
                FFarm.ScenesChanged();
            }
            FFarm.ComputersChanged();
        } else {
            FFarm.Send(ComputersCrashed, CrashedArguments({ number }, true));
            FFarm.RemoteUpdateSoon();
        }
        FFarm.Events.AddEvent(1, QStringLiteral("Automatic"), QStringLiteral("Crash/Quit"),
            NodeText(number) + QStringLiteral(" crashed or has quit"));
    }
}

int TDiscovery::SelectOwnNode() const
{
    for (int row = 0; row < FFarm.Computers.Count(); ++row)
        if (FFarm.Computers.Item(row).Name == FFarm.Options.ScreamerName)
            return row;
    return -1;
}
