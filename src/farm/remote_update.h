#pragma once
// A Remote's view of the Master's queue and nodes: read again from the state files the Master
// writes into the commands directory, and a request to the Master to write them afresh. After
// each automatic update a Remote copies the frames of finished scenes that name it.

#include "support/date_time.h"

#include <QString>

class TComputerList;
class TFarm;
class TOptions;
class TSceneList;

// The status bar's text for an update at `moment`.
QString LastUpdateText(TDateTime moment);

// Reads "StateScenes.lst" and "StateComputers.lst" (when the TCP/IP link is not in use) and asks
// the Master for new ones. False when a state file could not be read; nothing is shown then,
// the lists are simply empty until the next update.
bool UpdateFromMaster(TFarm& farm);

// The Master's state files read whole, for a reader that must not show half a farm: false,
// with what could not be read and what to check, when the commands directory or a file is
// missing, unreadable, too large, cut short or damaged; the lists are then left as they were.
bool ReadStateFilesWhole(
    const TOptions& options, TSceneList& scenes, TComputerList& computers, QString& error);

// Copies the frames of each scene of the queue, in queue order, that asks for an automatic copy
// on this installation (AutomaticCopyComputer equal to ScreamerName, case and all), is verified
// and not yet copied; only when the option RemoteAllowCopy is on. RGB frames go first, then
// alpha frames, into the scene's AutomaticCopyDirectory. Only a copy that succeeded whole marks
// the scene Copied, tells the Master ("ScenesCopied") and is logged; a failure is logged once
// for as long as it stays the same and the scene is tried again on the next call. A scene
// reported copied is not copied again until the Master's list has shown it copied, or no
// longer verified (started over).
void CopyFinishedScenes(TFarm& farm);
