#include "demo_remote.h"

#include "demo_farm.h"
#include "model/scene.h"
#include "model/scene_record.h"
#include "remote/command.h"

TDemoRemote::TDemoRemote(const TDemoFarm& farm)
{
    LoadRemoteOptions(farm, FOptions);
}

void TDemoRemote::AddScene(const QString& scenePath)
{
    TCommand command = MakeCommand(ScenesAdd, FOptions);
    command.Arguments = { QStringLiteral("1"), scenePath };
    // The initial options of a Remote that has never changed them.
    TScene initial(FOptions.ContentDirectory);
    WriteRecord(initial, command.Arguments);
    SendCommand(FOutbox, command, FOptions);
}

void TDemoRemote::Rescan()
{
    SendCommand(FOutbox, MakeCommand(ComputersRescan, FOptions), FOptions);
}

bool TDemoRemote::Flush()
{
    if (FOutbox.Pending() > 0)
        FOutbox.Flush(FOptions);
    return FOutbox.Pending() == 0;
}
