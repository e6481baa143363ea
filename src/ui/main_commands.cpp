// The main window's menu commands: each takes what the user marked and hands it to the farm.
#include "core/scene_commands.h"
#include "options/options.h"
#include "ui/farm_grid.h"
#include "ui/help.h"
#include "ui/main_window.h"
#include "ui/splash.h"
#include "ui/window_people.h"

#include <QFileDialog>

namespace {

const QString MasterQuestion = QStringLiteral("Are you sure you want to change this computer to the master?\r"
                                              "There should only be one Master in the network.");
const QString RemoteQuestion
    = QStringLiteral("Are you sure you want to change this computer to remode mode?");
const QString HelpMissingText = QStringLiteral("The help pages could not be opened.");

} // namespace

void TFormKestrion::ConnectMenus()
{
    TMainMenus& m = *FMenus;
    const auto on = [this](QAction* action, void (TFormKestrion::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    on(m.ProgramMaster, &TFormKestrion::ProgramMasterClick);
    on(m.ProgramRemote, &TFormKestrion::ProgramRemoteClick);
    on(m.ProgramInfo, &TFormKestrion::ProgramInfoClick);
    on(m.ProgramUpdate, &TFormKestrion::ProgramUpdateClick);
    on(m.ProgramDebug, &TFormKestrion::ProgramDebugClick);
    on(m.ProgramSurprise, &TFormKestrion::ProgramSurpriseClick);
    connect(m.ProgramExit, &QAction::triggered, this, &QWidget::close);
    on(m.ScenesAdd, &TFormKestrion::ScenesAddClick);
    on(m.ScenesRemove, &TFormKestrion::ScenesRemoveClick);
    on(m.ScenesDuplicate, &TFormKestrion::ScenesDuplicateClick);
    on(m.ScenesVerify, &TFormKestrion::ScenesVerifyClick);
    on(m.ScenesReset, &TFormKestrion::ScenesResetClick);
    on(m.ScenesSelectAll, &TFormKestrion::ScenesSelectAllClick);
    on(m.ScenesOpenList, &TFormKestrion::ScenesOpenListClick);
    on(m.ScenesSaveList, &TFormKestrion::ScenesSaveListClick);
    on(m.ComputersRescan, &TFormKestrion::ComputersRescanClick);
    on(m.ComputersCrashed, &TFormKestrion::ComputersCrashedClick);
    on(m.ComputersKill, &TFormKestrion::ComputersKillClick);
    on(m.ComputersSelect, &TFormKestrion::ComputersSelectClick);
    for (QAction* action : m.ComputersStartScreamer)
        connect(action, &QAction::triggered, this,
            [this, action] { ComputersStartClick(action->data().toInt()); });
    on(m.EventsClearAll, &TFormKestrion::EventsClearAllClick);
    on(m.EventsClearMinor, &TFormKestrion::EventsClearMinorClick);
    on(m.EventsMessage, &TFormKestrion::EventsMessageClick);
    on(m.HelpContents, &TFormKestrion::HelpContentsClick);
    on(m.HelpAbout, &TFormKestrion::HelpAboutClick);
    // The top-level menus of the views switch to their view as they open.
    connect(m.MenuScenes, &QMenu::aboutToShow, this, [this] { ShowView(TView::Scenes); });
    connect(m.MenuComputers, &QMenu::aboutToShow, this, [this] { ShowView(TView::Computers); });
    connect(m.MenuEvents, &QMenu::aboutToShow, this, [this] { ShowView(TView::Events); });
}

void TFormKestrion::ProgramMasterClick()
{
    if (!Farm().IsMaster() && FPeople->Ask(MasterQuestion, true))
        FOptions.Master = true;
    ApplyMode();
}

void TFormKestrion::ProgramRemoteClick()
{
    if (Farm().IsMaster() && FPeople->Ask(RemoteQuestion, true))
        FOptions.Master = false;
    ApplyMode();
}

void TFormKestrion::ProgramInfoClick()
{
    FOptions.InfoVisible = !FOptions.InfoVisible;
    ApplyMode();
}

void TFormKestrion::ProgramUpdateClick()
{
    FController->Update();
}

void TFormKestrion::ProgramDebugClick()
{
    FOptions.Debug = !FOptions.Debug;
    FPeople->Ask(FOptions.Debug ? QStringLiteral("Debugging on.") : QStringLiteral("Debugging off."), false);
    RequestRefresh(TView::Scenes);
    RequestRefresh(TView::Computers);
}

void TFormKestrion::ProgramSurpriseClick()
{
    // The colours travel to the Remotes over the TCP/IP link, which this program does not
    // have yet; without the link the command does nothing, as it always did.
}

QList<int> TFormKestrion::MarkedSceneIds() const
{
    return SceneIdsOfRows(FController->Farm().Scenes, FGridScenes->TopRow(), FGridScenes->BottomRow());
}

QList<int> TFormKestrion::MarkedNodeNumbers() const
{
    QList<int> numbers;
    const TComputerList& computers = FController->Farm().Computers;
    const int top = FGridComputers->TopRow();
    for (int row = std::max(top, 0);
         top >= 0 && row <= FGridComputers->BottomRow() && row < computers.Count(); ++row)
        numbers << computers.Item(row).Number;
    return numbers;
}

void TFormKestrion::ScenesAddClick()
{
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Add scenes"), QString(), QStringLiteral("Lightwave Scene (*.lws *.Lws *.LWS)"));
    AddScenes(Farm(), paths);
}

void TFormKestrion::ScenesRemoveClick()
{
    RemoveScenes(Farm(), MarkedSceneIds());
}

void TFormKestrion::ScenesDuplicateClick()
{
    DuplicateScenes(Farm(), MarkedSceneIds());
}

void TFormKestrion::ScenesVerifyClick()
{
    VerifyScenes(Farm(), MarkedSceneIds());
}

void TFormKestrion::ScenesResetClick()
{
    ResetScenes(Farm(), MarkedSceneIds());
}

void TFormKestrion::ScenesSelectAllClick()
{
    if (Farm().Scenes.Count() > 0)
        FGridScenes->SelectRows(0, Farm().Scenes.Count() - 1);
}

void TFormKestrion::ScenesOpenListClick()
{
    if (!Farm().IsMaster())
        return;
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open List"), QString(), QStringLiteral("Scene List (*.lst *.Lst *.LST)"));
    if (!path.isEmpty())
        OpenSceneList(Farm(), path);
}

void TFormKestrion::ScenesSaveListClick()
{
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save List"), QString(), QStringLiteral("Scene List (*.lst)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".lst"), Qt::CaseInsensitive))
        path += QStringLiteral(".lst");
    SaveSceneListAs(Farm(), path);
}

void TFormKestrion::SceneRowMoved(int from, int to)
{
    MoveSceneRow(Farm(), from, to);
}

void TFormKestrion::ComputerRowMoved(int from, int to)
{
    if (!MoveComputer(Farm(), from, to))
        RequestRefresh(TView::Computers);
}

void TFormKestrion::ComputersRescanClick()
{
    FController->Rescan();
}

void TFormKestrion::ComputersCrashedClick()
{
    FController->MarkCrashed(MarkedNodeNumbers());
}

void TFormKestrion::ComputersKillClick()
{
    FController->Kill(MarkedNodeNumbers());
}

void TFormKestrion::ComputersSelectClick()
{
    const int row = FController->Discovery().SelectOwnNode();
    if (row >= 0) {
        ShowView(TView::Computers);
        FGridComputers->SelectRows(row, row);
    }
}

void TFormKestrion::ComputersStartClick(int index)
{
    FController->StartScreamer(index);
}

void TFormKestrion::EventsClearAllClick()
{
    Farm().Events.ClearAll();
}

void TFormKestrion::EventsClearMinorClick()
{
    Farm().Events.ClearMinor();
}

void TFormKestrion::EventsMessageClick()
{
    SendEventMessage(Farm());
}

void TFormKestrion::HelpContentsClick()
{
    if (!OpenHelp())
        FPeople->Ask(HelpMissingText, false);
}

void TFormKestrion::HelpAboutClick()
{
    FSplash->ShowSplash();
}
