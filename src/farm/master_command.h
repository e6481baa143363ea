#pragma once
// A Remote carries out what its Master pushes over the TCP/IP link: the Master's lists, closing,
// new colours, and starting nodes of this computer.

class TCommand;
class TDiscovery;
class TFarm;

// The Master's lists, in the order of a "Lists" command's arguments.
TCommand ListsCommand(TFarm& farm);

// False when the command was meant for a Remote and could not be used: lists that do not
// parse whole leave the Remote's lists as they were. Codes for the Master are ignored.
bool ExecuteMasterCommand(TFarm& farm, TDiscovery& discovery, const TCommand& command);
