#pragma once
// A Remote's view of the Master's queue and nodes: read again from the state files the Master
// writes into the commands directory, and a request to the Master to write them afresh.

#include "support/date_time.h"

#include <QString>

class TFarm;

// The status bar's text for an update at `moment`.
QString LastUpdateText(TDateTime moment);

// Reads "StateScenes.lst" and "StateComputers.lst" (when the TCP/IP link is not in use) and asks
// the Master for new ones. False when a state file could not be read; nothing is shown then,
// the lists are simply empty until the next update.
bool UpdateFromMaster(TFarm& farm);
