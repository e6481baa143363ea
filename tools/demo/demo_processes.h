#pragma once
// The farm's processes as /proc shows them: the render nodes run detached from the Master, so
// only their command lines, which name the farm's directory, tell which they are.

#include <QString>
#include <vector>

struct TFarmProcess
{
    qint64 Pid = 0;
    // The node number from its ack file's name; -1 for any other process.
    int Node = -1;
};

// Every live process (zombies are ended) whose command line names `farmRoot`, except this one
// and `except`.
std::vector<TFarmProcess> FarmProcesses(const QString& farmRoot, qint64 except);
bool ProcessAlive(qint64 pid);
// The processor time the process has used so far, user and system, in seconds; 0 when unknown.
double ProcessCpuSeconds(qint64 pid);
void SendSignal(qint64 pid, int signalNumber);
