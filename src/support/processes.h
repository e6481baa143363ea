#pragma once
// Starting outside programs: render nodes detached so they outlive Kestrion, tools run to completion.

#include <QString>

enum class TShowMode { Normal, Hidden };

// What is kept of a started process to ask later whether it still runs.
struct TProcessInformation {
    qint64 ProcessId = 0;
    // The kernel's start time of the process, so a recycled process id is not taken for it.
    quint64 StartTicks = 0;
};

// `commandLine` is split like a shell would (double quotes group); its first word becomes the
// program's own name, `application` is what runs. Idle priority is the lowest the system grants.
bool StartProcess(const QString& application, const QString& commandLine, const QString& workingDirectory,
                  bool normalPriority, TProcessInformation& processInfo, TShowMode showMode,
                  const QString& windowTitle);
bool ProcessRunning(const TProcessInformation& processInfo);
// Runs the command to its end while the event loop keeps turning; -1 when it could not start.
int RunAndWait(const QString& commandLine, TShowMode showMode);
