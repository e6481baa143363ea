#include "demo_shutdown.h"

#include "demo_farm.h"
#include "demo_processes.h"
#include "model/node_channel.h"
#include "support/files.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <set>

namespace {

constexpr int MasterEndMilliseconds = 15000;
constexpr int NodeQuitMilliseconds = 10000;
constexpr int NodeExitMilliseconds = 3000;
constexpr int PollMilliseconds = 100;

std::vector<TFarmProcess> NodeProcesses(const TDemoFarm& farm)
{
    std::vector<TFarmProcess> nodes;
    for (const TFarmProcess& process : FarmProcesses(farm.Root, 0))
        if (process.Node >= 0)
            nodes.push_back(process);
    return nodes;
}

// The Master is gone, so its last acknowledgements may still lie there untaken; a node writes
// its next one only when the last is taken.
std::set<int> SendQuit(const TOptions& master, const std::vector<TFarmProcess>& nodes, QStringList& notes)
{
    std::set<int> waiting;
    for (const TFarmProcess& node : nodes) {
        try {
            DeleteAck(master, node.Node);
            WriteJob(master, node.Node, JobQuit);
            waiting.insert(node.Node);
        } catch (const EInOutError& error) {
            notes.append(
                QStringLiteral("node %1: %2").arg(node.Node).arg(QString::fromLocal8Bit(error.what())));
        }
    }
    return waiting;
}

int AwaitOffline(const TOptions& master, std::set<int> waiting)
{
    int offline = 0;
    const QDeadlineTimer deadline(NodeQuitMilliseconds);
    while (!waiting.empty() && !deadline.hasExpired()) {
        for (auto it = waiting.begin(); it != waiting.end();) {
            TAck ack;
            if (!ReadAck(master, *it, ack)) {
                ++it;
                continue;
            }
            DeleteAck(master, *it);
            if (ack.State == AckOffline) {
                ++offline;
                it = waiting.erase(it);
            } else {
                ++it;
            }
        }
        QThread::msleep(PollMilliseconds);
    }
    return offline;
}

void AwaitExit(const TDemoFarm& farm, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!NodeProcesses(farm).empty() && !deadline.hasExpired())
        QThread::msleep(PollMilliseconds);
}

QStringList KillLeftovers(const TDemoFarm& farm)
{
    QStringList killed;
    for (const TFarmProcess& node : NodeProcesses(farm)) {
        SendSignal(node.Pid, SIGTERM);
        killed.append(QStringLiteral("node %1 (process %2)").arg(node.Node).arg(node.Pid));
    }
    AwaitExit(farm, NodeExitMilliseconds);
    for (const TFarmProcess& node : NodeProcesses(farm))
        SendSignal(node.Pid, SIGKILL);
    return killed;
}

} // namespace

bool StopMaster(QProcess& master, QString& problem)
{
    if (master.state() == QProcess::NotRunning)
        return false;
    master.terminate();
    if (!master.waitForFinished(MasterEndMilliseconds)) {
        master.kill();
        master.waitForFinished(NodeExitMilliseconds);
        problem = QStringLiteral("kestriond did not end within %1 s of SIGTERM and was killed.")
                      .arg(MasterEndMilliseconds / 1000);
        return false;
    }
    if (master.exitStatus() == QProcess::CrashExit) {
        problem = QStringLiteral("kestriond crashed while closing.");
        return false;
    }
    if (master.exitCode() != 0) {
        problem = QStringLiteral("kestriond ended with exit code %1.").arg(master.exitCode());
        return false;
    }
    return true;
}

TNodeStopResult StopNodes(const TOptions& master, const TDemoFarm& farm)
{
    TNodeStopResult result;
    result.Offline = AwaitOffline(master, SendQuit(master, NodeProcesses(farm), result.Notes));
    AwaitExit(farm, NodeExitMilliseconds);
    result.Killed = KillLeftovers(farm);
    return result;
}
