#include "ui/main_menus.h"

namespace {

QAction* Entry(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = menu->addAction(caption);
    action->setShortcut(shortcut);
    return action;
}

QAction* Hidden(QWidget& window, const QString& caption, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, &window);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
    window.addAction(action);
    return action;
}

// Commands whose dialogs are not part of this program yet stay in their place, greyed.
} // namespace

TMainMenus::TMainMenus(QMenuBar& bar, QWidget& window)
{
    MenuProgram = bar.addMenu(QStringLiteral("&Program"));
    ProgramMaster = Entry(MenuProgram, QStringLiteral("&Master"));
    ProgramRemote = Entry(MenuProgram, QStringLiteral("&Remote"));
    ProgramMaster->setCheckable(true);
    ProgramRemote->setCheckable(true);
    MenuProgram->addSeparator();
    ProgramInfo = Entry(MenuProgram, QStringLiteral("&Info"), QKeySequence(QStringLiteral("Ctrl+I")));
    ProgramInfo->setCheckable(true);
    ProgramUpdate = Entry(MenuProgram, QStringLiteral("&Update"), QKeySequence(QStringLiteral("Ctrl+U")));
    ProgramOptions = Entry(MenuProgram, QStringLiteral("&Options..."));
    ProgramCheckConfig = Entry(MenuProgram, QStringLiteral("Check Config..."));
    ProgramRemotes = MenuProgram->addMenu(QStringLiteral("Kestrion Remotes"));
    ProgramRemotesOverview = Entry(ProgramRemotes, QStringLiteral("Overview"));
    ProgramRemotesCloseAll = Entry(ProgramRemotes, QStringLiteral("Close All"));
    ProgramRemotes->menuAction()->setVisible(false);
    ProgramRemotes->menuAction()->setEnabled(false);
    MenuProgram->addSeparator();
    ProgramExit = Entry(MenuProgram, QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Ctrl+X")));
    ProgramDebug = Hidden(window, QStringLiteral("Debug"), QKeySequence(QStringLiteral("Ctrl+Shift+F12")));
    ProgramSurprise = Hidden(window, QStringLiteral("Surprise"), QKeySequence(QStringLiteral("Ctrl+Alt+S")));

    MenuScenes = bar.addMenu(QStringLiteral("&Scenes"));
    ScenesAdd = Entry(MenuScenes, QStringLiteral("&Add..."), QKeySequence(Qt::Key_Insert));
    ScenesRemove = Entry(MenuScenes, QStringLiteral("&Remove"), QKeySequence(Qt::Key_Delete));
    ScenesDuplicate = Entry(MenuScenes, QStringLiteral("&Duplicate"), QKeySequence(QStringLiteral("Ctrl+D")));
    ScenesEdit = Entry(MenuScenes, QStringLiteral("&Edit..."), QKeySequence(QStringLiteral("Ctrl+E")));
    ScenesVerify = Entry(MenuScenes, QStringLiteral("&Verify"), QKeySequence(QStringLiteral("Ctrl+V")));
    ScenesReset = Entry(MenuScenes, QStringLiteral("R&eset"), QKeySequence(QStringLiteral("Ctrl+T")));
    ScenesFrameManager
        = Entry(MenuScenes, QStringLiteral("&Frame Manager..."), QKeySequence(QStringLiteral("Ctrl+F")));
    ScenesSelectAll = Entry(MenuScenes, QStringLiteral("Select All"), QKeySequence(QStringLiteral("Ctrl+A")));
    MenuScenes->addSeparator();
    ScenesOpenList = Entry(MenuScenes, QStringLiteral("&Open List..."));
    ScenesSaveList = Entry(MenuScenes, QStringLiteral("&Save List..."));
    ScenesReload = new QAction(QStringLiteral("Reload . . ."), &window);

    MenuComputers = bar.addMenu(QStringLiteral("&Computers"));
    ComputersRescan = Entry(MenuComputers, QStringLiteral("&Rescan"), QKeySequence(QStringLiteral("Ctrl+R")));
    ComputersCrashed
        = Entry(MenuComputers, QStringLiteral("&Crashed"), QKeySequence(QStringLiteral("Ctrl+C")));
    ComputersKill = Entry(MenuComputers, QStringLiteral("&Kill"), QKeySequence(QStringLiteral("Ctrl+K")));
    ComputersSelect = Entry(
        MenuComputers, QStringLiteral("Select the one you &look at"), QKeySequence(QStringLiteral("Ctrl+L")));
    ComputersStart = MenuComputers->addMenu(QStringLiteral("&Start"));
    for (int i = 0; i < StartMenuEntries; ++i) {
        QAction* action = ComputersStart->addAction(QString());
        action->setData(i);
        action->setVisible(false);
        ComputersStartScreamer[static_cast<size_t>(i)] = action;
    }
    ComputersStart->addSeparator();
    ComputersStartOther = Entry(ComputersStart, QStringLiteral("Other"));

    MenuEvents = bar.addMenu(QStringLiteral("&Events"));
    EventsClearAll = Entry(MenuEvents, QStringLiteral("Clear &All"));
    EventsClearMinor = Entry(MenuEvents, QStringLiteral("Clear &Minor"));
    EventsMessageSeparator = MenuEvents->addSeparator();
    EventsMessage = Entry(MenuEvents, QStringLiteral("&Message"));

    MenuHelp = bar.addMenu(QStringLiteral("&Help"));
    HelpContents = Entry(MenuHelp, QStringLiteral("&Contents"), QKeySequence(Qt::Key_F1));
    HelpAbout = Entry(MenuHelp, QStringLiteral("&About"));

    PopupScenes = new QMenu(&window);
    PopupScenes->addActions({ ScenesAdd, ScenesRemove, ScenesDuplicate, ScenesEdit, ScenesVerify, ScenesReset,
        ScenesFrameManager, ScenesSelectAll });
    PopupScenes->addSeparator();
    PopupScenes->addActions({ ScenesOpenList, ScenesSaveList, ScenesReload });
    PopupComputers = new QMenu(&window);
    PopupComputers->addActions({ ComputersRescan, ComputersCrashed, ComputersKill, ComputersSelect });
    PopupComputers->addMenu(ComputersStart);
    PopupEvents = new QMenu(&window);
    PopupEvents->addActions({ EventsClearAll, EventsClearMinor });
    PopupEvents->addSeparator();
    PopupEvents->addAction(EventsMessage);
}

void TMainMenus::ApplyMode(bool master, bool tcpip, bool infoVisible)
{
    ProgramMaster->setChecked(master);
    ProgramRemote->setChecked(!master);
    ProgramUpdate->setVisible(!master);
    // The Remotes can be listed, closed and asked to start nodes only over the Master's TCP/IP link.
    const bool remotes = master && tcpip;
    ProgramRemotes->menuAction()->setVisible(remotes);
    ProgramRemotes->menuAction()->setEnabled(remotes);
    ComputersStartOther->setEnabled(remotes);
    ScenesOpenList->setVisible(master);
    EventsMessageSeparator->setVisible(!master);
    EventsMessage->setVisible(!master);
    ProgramInfo->setChecked(infoVisible);
}

void TMainMenus::SetStartEntries(const TStartMenus& menus)
{
    for (int i = 0; i < StartMenuEntries; ++i) {
        const TStartEntry& entry = menus.Entries[static_cast<size_t>(i)];
        QAction* action = ComputersStartScreamer[static_cast<size_t>(i)];
        action->setVisible(entry.Visible);
        action->setEnabled(entry.Enabled);
        action->setText(entry.Caption);
        action->setShortcut(entry.Shortcut ? QKeySequence(QStringLiteral("Ctrl+S")) : QKeySequence());
    }
}
