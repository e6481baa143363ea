// The main window's menu commands: each takes what the user marked and hands it to the farm.
#include "farm/mail.h"
#include "farm/scene_commands.h"
#include "farm/scene_operations.h"
#include "options/options.h"
#include "support/paths.h"
#include "ui/check_config.h"
#include "ui/farm_grid.h"
#include "ui/frame_manager.h"
#include "ui/grid_models.h"
#include "ui/help.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/remotes_dialog.h"
#include "ui/scene_edit.h"
#include "ui/screamers_dialog.h"
#include "ui/splash.h"
#include "ui/window_people.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QStatusBar>
#include <algorithm>

namespace {

const QString MasterQuestion = QStringLiteral("Are you sure you want to change this computer to the master?\r"
                                              "There should only be one Master in the network.");
const QString RemoteQuestion
    = QStringLiteral("Are you sure you want to change this computer to remode mode?");
const QString HelpMissingText = QStringLiteral("The help pages could not be opened.");
const QString CloseAllText = QStringLiteral("Are you sure you want to close all Kestrion Remotes?");

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
    on(m.ProgramOptions, &TFormKestrion::ProgramOptionsClick);
    on(m.ProgramDebug, &TFormKestrion::ProgramDebugClick);
    on(m.ProgramSurprise, &TFormKestrion::ProgramSurpriseClick);
    on(m.ProgramRemotesOverview, &TFormKestrion::ProgramRemotesOverviewClick);
    on(m.ProgramRemotesCloseAll, &TFormKestrion::ProgramRemotesCloseAllClick);
    on(m.ComputersStartOther, &TFormKestrion::ComputersStartOtherClick);
    connect(m.ProgramCheckConfig, &QAction::triggered, this,
        [this] { TFormCheckConfig(this).ShowConfig(FOptions); });
    connect(m.ProgramExit, &QAction::triggered, this, &QWidget::close);
    on(m.ScenesAdd, &TFormKestrion::ScenesAddClick);
    on(m.ScenesRemove, &TFormKestrion::ScenesRemoveClick);
    on(m.ScenesDuplicate, &TFormKestrion::ScenesDuplicateClick);
    on(m.ScenesVerify, &TFormKestrion::ScenesVerifyClick);
    on(m.ScenesReset, &TFormKestrion::ScenesResetClick);
    on(m.ScenesFrameManager, &TFormKestrion::ScenesFrameManagerClick);
    on(m.ScenesEdit, &TFormKestrion::ScenesEditClick);
    on(m.ScenesReload, &TFormKestrion::ScenesReloadClick);
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

void TFormKestrion::ConnectOptionsDialog(TFormOptions& dialog)
{
    dialog.ShowScreamers = [this] { FScreamers->Execute(QString()); };
    dialog.Inform = [this](const QString& text) { FPeople->Ask(text, false); };
    // The test mail carries the report of the moment the dialog opened.
    dialog.TestMail = [this, body = ReportBody(Farm())](bool dial, const QString& account,
                          const QString& smtpHost, const QString& address) {
        SendTestReport(Farm(), dial, account, smtpHost, address, body);
    };
}

void TFormKestrion::ProgramOptionsClick()
{
    TFormOptions dialog(FOptions, this);
    ConnectOptionsDialog(dialog);
    const TColorRef colour = ColorRef(FOptions.LookColorR, FOptions.LookColorG, FOptions.LookColorB);
    const int interval = FOptions.MasterRenderInterval;
    const QString directory = FOptions.ScreamerDirectory;
    if (dialog.Execute()) {
        Farm().OptionsChanged();
        if (ColorRef(FOptions.LookColorR, FOptions.LookColorG, FOptions.LookColorB) != colour)
            ApplyColours();
        FMenus->ApplyMode(Farm().IsMaster(), FOptions.TcpIpInUse(), FOptions.InfoVisible);
        ShowTitle();
        // The running Master's tick takes its new interval and its lock the new directory now,
        // not at the next start.
        if (FStarted && FOptions.ScreamerDirectory != directory)
            FController->CommandsDirectoryChanged();
        else if (FStarted && FOptions.MasterRenderInterval != interval)
            FController->ApplyMode();
    }
    RequestRefresh(TView::Scenes);
    RequestRefresh(TView::Computers);
    RequestRefresh(TView::Events);
    statusBar()->update();
}

void TFormKestrion::ProgramDebugClick()
{
    FOptions.Debug = !FOptions.Debug;
    FPeople->Ask(FOptions.Debug ? QStringLiteral("Debugging on.") : QStringLiteral("Debugging off."), false);
    RequestRefresh(TView::Scenes);
    RequestRefresh(TView::Computers);
}

bool TFormKestrion::ServesRemotes() const
{
    return FController->Farm().IsMaster() && FOptions.TcpIpInUse();
}

void TFormKestrion::ProgramSurpriseClick()
{
    if (!ServesRemotes())
        return;
    const QColor colour = QColorDialog::getColor(Qt::white, this);
    if (colour.isValid())
        FController->Link().Surprise(colour.red(), colour.green(), colour.blue());
}

void TFormKestrion::ProgramRemotesOverviewClick()
{
    TFormRemotes(this).Execute(FController->Link().Connections());
}

void TFormKestrion::ProgramRemotesCloseAllClick()
{
    if (ServesRemotes() && FPeople->Ask(CloseAllText, true))
        FController->Link().CloseAllRemotes();
}

void TFormKestrion::ComputersStartOtherClick()
{
    if (!ServesRemotes())
        return;
    const QString chosen = FScreamers->Execute(QString());
    if (FScreamers->result() != QDialog::Accepted)
        return;
    const QString asked = FController->Link().StartOther(chosen);
    if (!asked.isEmpty())
        Farm().UserEvent(QStringLiteral("Computers Start"), QStringLiteral("Remotes asked to start Screamer ") + asked);
}

void TFormKestrion::RememberMarks()
{
    const TFarm& farm = FController->Farm();
    FMarkedScenes = SceneIdsOfRows(farm.Scenes, FGridScenes->TopRow(), FGridScenes->BottomRow());
    FMarkedNodes.clear();
    for (int row = FGridComputers->TopRow(); row >= 0 && row <= FGridComputers->BottomRow(); ++row)
        FMarkedNodes << farm.Computers.Item(row).Number;
}

namespace {

// Marks the rows the remembered scenes or nodes are on now; a block that is no longer whole
// is not marked at all, so no command acts on a row the user did not mark.
void MarkRows(TFarmGrid& grid, QList<int> indexes)
{
    indexes.removeAll(-1);
    std::sort(indexes.begin(), indexes.end());
    if (indexes.isEmpty() || indexes.back() - indexes.front() + 1 != indexes.size())
        grid.clearSelection();
    else
        grid.SelectRows(indexes.front(), indexes.back());
}

} // namespace

void TFormKestrion::ReloadKeepingMarks(bool scenes, bool computers)
{
    // Where the marked items are now, taken before a reload's own selection change can
    // overwrite the marks.
    const TFarm& farm = FController->Farm();
    QList<int> sceneRows;
    for (int id : FMarkedScenes)
        sceneRows << farm.Scenes.IndexOfID(id);
    QList<int> nodeRows;
    for (int number : FMarkedNodes)
        nodeRows << farm.Computers.IndexOfNumber(number);
    if (scenes) {
        FSceneModel->Reload();
        MarkRows(*FGridScenes, sceneRows);
    }
    if (computers) {
        FComputerModel->Reload();
        MarkRows(*FGridComputers, nodeRows);
    }
    RememberMarks();
}

void TFormKestrion::ScenesAddClick()
{
    if (FSceneDirectory.isEmpty())
        FSceneDirectory = JoinPath(FOptions.ContentDirectory, QStringLiteral("Scenes"));
    const QStringList paths = QFileDialog::getOpenFileNames(this, QStringLiteral("Add scenes"),
        QDir(FSceneDirectory).exists() ? FSceneDirectory : FOptions.ContentDirectory,
        QStringLiteral("Lightwave Scene (*.lws *.Lws *.LWS)"));
    if (paths.isEmpty())
        return;
    FSceneDirectory = ExtractDirectory(paths.front());
    TScene initial = InitialOptions(FOptions);
    TFormSceneEdit dialog(FOptions, FScreamers, this);
    if (dialog.EditInitialOptions(initial))
        AddScenes(Farm(), paths, initial);
}

void TFormKestrion::ScenesEditClick()
{
    if (BeginEditScenes(Farm(), FMarkedScenes).isEmpty())
        return;
    TFormSceneEdit dialog(FOptions, FScreamers, this);
    dialog.EditScenes(Farm());
}

void TFormKestrion::ScenesReloadClick()
{
    if (Farm().Scenes.Count() == 0 || FMarkedScenes.isEmpty())
        return;
    // The marks may change while the dialog is open; the scenes marked when it opened count.
    const QList<int> ids = FMarkedScenes;
    TScene initial = InitialOptions(FOptions);
    TFormSceneEdit dialog(FOptions, FScreamers, this);
    if (dialog.EditInitialOptions(initial))
        ReloadScenes(Farm(), ids, initial);
}

void TFormKestrion::ScenesRemoveClick()
{
    RemoveScenes(Farm(), FMarkedScenes);
}

void TFormKestrion::ScenesDuplicateClick()
{
    DuplicateScenes(Farm(), FMarkedScenes);
}

void TFormKestrion::ScenesVerifyClick()
{
    VerifyScenes(Farm(), FMarkedScenes);
}

void TFormKestrion::ScenesResetClick()
{
    ResetScenes(Farm(), FMarkedScenes);
}

void TFormKestrion::ScenesFrameManagerClick()
{
    // On a Remote too: the frames lie on the share, and the window only reads the scene.
    const QList<int> ids = FMarkedScenes;
    for (const int id : ids) {
        const TScene* scene = Farm().Scenes.FindByID(id);
        if (!scene)
            continue;
        Farm().UserEvent(SceneEventFrameManager, scene->Filename);
        TFormScenesFrames frames(Farm(), this);
        frames.ShowFrames(id);
    }
}

void TFormKestrion::ScenesSelectAllClick()
{
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
    FController->MarkCrashed(FMarkedNodes);
}

void TFormKestrion::ComputersKillClick()
{
    FController->Kill(FMarkedNodes);
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
