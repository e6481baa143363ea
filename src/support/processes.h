#pragma once
// Starting outside programs: render nodes detached so they outlive Kestrion, tools run to completion.

#include <QString>

enum class TShowMode
{
    Normal,
    Hidden
};

// What is kept of a started process to ask later whether it still runs.
struct TProcessInformation
{
    qint64 ProcessId = 0;
    // The kernel's start time of the process, so a recycled process id is not taken for it.
    quint64 StartTicks = 0;
};

// Starts `application` detached in a session of its own, so that it outlives Kestrion. `commandLine`
// is split like a shell would (double quotes group); its first word becomes the program's own name.
// Idle priority is nice 19 and SCHED_IDLE where allowed. Hidden sends all output to /dev/null; Normal
// keeps Kestrion's output; input is always /dev/null. There are no console windows here: the title is
// handed to the program as the environment variable KESTRION_WINDOW_TITLE. An empty working directory
// keeps the current one. False when the program could not be executed.
bool StartProcess(const QString& application, const QString& commandLine, const QString& workingDirectory,
    bool normalPriority, TProcessInformation& processInfo, TShowMode showMode, const QString& windowTitle);
// True while the process has not ended (zombies count as ended) and its id was not reused since.
bool ProcessRunning(const TProcessInformation& processInfo);
// Runs `program` with `arguments` (handed over as they are, never split or read by a shell) with
// normal priority to its end while the event loop keeps turning, and returns its exit code; -1
// when it could not start, crashed, ran longer than `timeoutMs` (then it is killed), or the
// application quit while it ran.
int RunAndWait(const QString& program, const QStringList& arguments, TShowMode showMode, int timeoutMs = -1);
