#pragma once
// The main window's menus and the grids' pop-up menus. Each command is one action, shared by its
// main-menu entry and its pop-up twin, so the two can never disagree.

#include "farm/node_launch.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <array>

struct TMainMenus
{
    // Builds every menu into the window's menu bar; the hidden commands are added to `window`
    // itself so that only their shortcuts reach them.
    TMainMenus(QMenuBar& bar, QWidget& window);

    // Shows, hides and checks what differs between Master and Remote.
    void ApplyMode(bool master, bool tcpip, bool infoVisible);
    void SetStartEntries(const TStartMenus& menus);

    QMenu* MenuProgram;
    QAction* ProgramMaster;
    QAction* ProgramRemote;
    QAction* ProgramInfo;
    QAction* ProgramUpdate;
    QAction* ProgramOptions;
    QAction* ProgramCheckConfig;
    QMenu* ProgramRemotes;
    QAction* ProgramRemotesOverview;
    QAction* ProgramRemotesCloseAll;
    QAction* ProgramExit;
    QAction* ProgramDebug;
    QAction* ProgramSurprise;

    QMenu* MenuScenes;
    QAction* ScenesAdd;
    QAction* ScenesRemove;
    QAction* ScenesDuplicate;
    QAction* ScenesEdit;
    QAction* ScenesVerify;
    QAction* ScenesReset;
    QAction* ScenesFrameManager;
    QAction* ScenesSelectAll;
    QAction* ScenesOpenList;
    QAction* ScenesSaveList;
    QAction* ScenesReload; // pop-up only

    QMenu* MenuComputers;
    QAction* ComputersRescan;
    QAction* ComputersCrashed;
    QAction* ComputersKill;
    QAction* ComputersSelect;
    QMenu* ComputersStart;
    std::array<QAction*, StartMenuEntries> ComputersStartScreamer;
    QAction* ComputersStartOther;

    QMenu* MenuEvents;
    QAction* EventsClearAll;
    QAction* EventsClearMinor;
    QAction* EventsMessageSeparator;
    QAction* EventsMessage;

    QMenu* MenuHelp;
    QAction* HelpContents;
    QAction* HelpAbout;

    QMenu* PopupScenes;
    QMenu* PopupComputers;
    QMenu* PopupEvents;
};
