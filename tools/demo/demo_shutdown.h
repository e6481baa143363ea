#pragma once
// Bringing the demo farm down: the Master by SIGTERM, the render nodes through their job files.

#include <QString>
#include <QStringList>

class QProcess;
class TOptions;
struct TDemoFarm;

// Sends SIGTERM and waits for the Master to store its lists and end. True when it ended with
// exit code 0; otherwise `problem` says what happened (it is killed when it does not end).
bool StopMaster(QProcess& master, QString& problem);

struct TNodeStopResult
{
    int Offline = 0;
    // One line for each node that would not quit and was killed.
    QStringList Killed;
    // Job files that could not be written.
    QStringList Notes;
};

// Writes "quit" into the job file of every live node and waits for its "Offline"; nodes that do
// not answer or stay alive are killed.
TNodeStopResult StopNodes(const TOptions& master, const TDemoFarm& farm);
