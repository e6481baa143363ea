#pragma once
// The Master carries out a command a Remote sent: it first learns who runs the sender's
// screamers, then acts. The command is outside text: a command whose lines do not add up is
// skipped whole, never carried out in part.

class TCommand;
class TDiscovery;
class TFarm;

// Raises the flags for what changed (never lowers them); the caller runs the after-change steps for them.
void ExecuteRemoteCommand(
    TFarm& farm, TDiscovery& discovery, const TCommand& command, bool& scenesChanged, bool& computersChanged);
