#pragma once
// Starting the render nodes of this computer, and the state of the Start menus as data the
// windows show.

#include <QString>
#include <array>

class TFarm;
class TDiscovery;
struct TScreamer;

// The node program's arguments: -2, the configuration, the poll interval, the job and ack files.
QString NodeParameters(const QString& config, int interval, const QString& jobFile, const QString& ackFile);

class TOptions;

// Why the node program of the options cannot be started, in the farm's words; empty when it can.
QString NodeProgramProblem(const TOptions& options);

// Starts the node program for the entry's number; the entry counts as started even when that
// failed, so the menus do not offer it again. False when no process was started (said to the
// user when the program is missing, an event when it could not be run).
bool Launch(TFarm& farm, TScreamer& screamer);

// The Start menu entry `index` (the tag of the menu item): launch, rescan, event. False when
// the options name no node program, the index names no entry or the start failed.
bool StartScreamer(TFarm& farm, TDiscovery& discovery, int index);

inline constexpr int StartMenuEntries = 8;

struct TStartEntry
{
    bool Visible = false;
    bool Enabled = false;
    bool Shortcut = false; // Ctrl+S, on the first enabled entry
    QString Caption;
};

struct TStartMenus
{
    std::array<TStartEntry, StartMenuEntries> Entries;
    QString TrayCaption;
    bool TrayEnabled = false;
    int TrayTag = -1;
};

TStartMenus RefreshStartMenus(TFarm& farm);

inline const QString ScreamerMissingText
    = QStringLiteral("Options are not set up properly. Screamer executable could not be found.");
inline const QString ScreamerOptionsText = QStringLiteral("Screamer options not properly set.");
