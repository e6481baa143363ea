#pragma once
// The demo's Remote: sends the scene to the Master through the command file, as any Remote does.

#include "options/options.h"
#include "remote/command_file.h"

struct TDemoFarm;

class TDemoRemote
{
public:
    explicit TDemoRemote(const TDemoFarm& farm);

    // Queues "ScenesAdd" for the scene with the Remote's initial options and tries to write it.
    void AddScene(const QString& scenePath);
    // Queues "ComputersRescan", so the Master finds nodes started outside it.
    void Rescan();
    // Writes what still waits when the command file is free; true once nothing waits.
    bool Flush();
    const QString& LastError() const { return FOutbox.LastError; }

private:
    TOptions FOptions;
    TCommandOutbox FOutbox;
};
