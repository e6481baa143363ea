#pragma once
// The main window: the one working surface of an installation. It shows the farm that its
// controller runs and forwards the user's gestures to it; the farm's rules live below src/ui.

#include "farm/controller.h"
#include "support/instance_lock.h"
#include "support/people.h"
#include "ui/main_menus.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <array>
#include <memory>

class TFarmGrid;
class TFormInfo;
class TFormOptions;
class TFormScreamers;
class TFormSplash;
class TSceneGridModel;
class TComputerGridModel;
class TEventGridModel;
class TTrayIcon;
class TWindowPeople;
class TPanel;

class TFormKestrion : public QMainWindow
{
    Q_OBJECT
public:
    TFormKestrion(TOptions& options, const TClock& clock, QWidget* parent = nullptr);
    ~TFormKestrion() override;

    TController& Controller() { return *FController; }
    TFarm& Farm() { return FController->Farm(); }
    TWindowPeople& People() { return *FPeople; }
    TMainMenus& Menus() { return *FMenus; }
    TFarmGrid& GridScenes() { return *FGridScenes; }
    TFarmGrid& GridComputers() { return *FGridComputers; }
    TFarmGrid& GridEvents() { return *FGridEvents; }
    TFormInfo& Info() { return *FInfo; }
    TFormScreamers& Screamers() { return *FScreamers; }
    QString StatusText(TStatusPanel panel) const;
    QString TitleText() const;

    // Tests and scripted runs leave the splash out.
    bool SplashOnFirstShow = true;
    bool FirstShow = true;
    bool ForceClose = false;
    // Set when closing could not write a list or the options (the user was told).
    bool WriteFailed = false;
    // True once the farm was started (after the single-instance question).
    bool Started() const { return FStarted; }

    void ShowView(TView view);
    TView CurrentView() const { return FView; }
    void ApplyMode();
    void ApplyColours();
    // Repaints the views whose data changed, once, however often they were asked for.
    void RefreshViews();

    // The menu commands (main menu, pop-up menus and shortcuts).
    void ProgramMasterClick();
    void ProgramRemoteClick();
    void ProgramInfoClick();
    void ProgramUpdateClick();
    void ProgramOptionsClick();
    // The options dialog's buttons that reach beyond it: the screamers dialog and the test mail.
    void ConnectOptionsDialog(TFormOptions& dialog);
    void ProgramDebugClick();
    void ProgramSurpriseClick();
    void ProgramRemotesOverviewClick();
    void ProgramRemotesCloseAllClick();
    void ComputersStartOtherClick();
    void ScenesAddClick();
    void ScenesRemoveClick();
    void ScenesDuplicateClick();
    void ScenesVerifyClick();
    void ScenesResetClick();
    void ScenesFrameManagerClick();
    void ScenesEditClick();
    void ScenesReloadClick();
    void ScenesSelectAllClick();
    void ScenesOpenListClick();
    void ScenesSaveListClick();
    void ComputersRescanClick();
    void ComputersCrashedClick();
    void ComputersKillClick();
    void ComputersSelectClick();
    void ComputersStartClick(int index);
    void EventsClearAllClick();
    void EventsClearMinorClick();
    void EventsMessageClick();
    void HelpContentsClick();
    void HelpAboutClick();
    void Maximize();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The Master's commands on its Remotes work over its TCP/IP link only.
    bool ServesRemotes() const;
    void CreateTitlePanel();
    void CreateGrids();
    void CreateStatusBar();
    void ShowTitle();
    void ConnectMenus();
    void ConnectPeople();
    void FirstShowSteps();
    void RequestRefresh(TView view);
    void ShowSummary();
    void ShowInfo(bool visible);
    // Where the info window of `size` goes when it opens.
    QPoint InfoPlace(const QSize& size) const;
    void RefreshStartEntries();
    // The scenes and nodes the user marked, by ID and number: taken when the rows are marked,
    // so that ticks changing the lists (also while a question is open) never shift a command
    // onto a neighbour's row. The marks follow their items when the grids are reloaded.
    void RememberMarks();
    void ReloadKeepingMarks(bool scenes, bool computers);
    void SceneRowMoved(int from, int to);
    void ComputerRowMoved(int from, int to);
    void SceneHovered(int index);
    void ComputerHovered(int index);

    TOptions& FOptions;
    std::unique_ptr<TWindowPeople> FPeople;
    std::unique_ptr<TController> FController;
    std::unique_ptr<TMainMenus> FMenus;
    TInstanceLock FLock;
    bool FStarted = false;
    bool FClosed = false;
    QList<int> FMarkedScenes;
    QList<int> FMarkedNodes;
    TView FView = TView::Scenes;
    bool FRefreshPending = false;
    bool FDirtyScenes = false;
    bool FDirtyComputers = false;
    bool FDirtyEvents = false;

    TPanel* FTitlePanel = nullptr;
    QLabel* FTitleCaption = nullptr;
    std::array<QPushButton*, 3> FViewButtons {};
    QLabel* StatusPanel(TStatusPanel panel) const;
    std::array<QLabel*, 4> FStatusPanels {};
    TFarmGrid* FGridScenes = nullptr;
    TFarmGrid* FGridComputers = nullptr;
    TFarmGrid* FGridEvents = nullptr;
    TSceneGridModel* FSceneModel = nullptr;
    TComputerGridModel* FComputerModel = nullptr;
    TEventGridModel* FEventModel = nullptr;
    TFormInfo* FInfo = nullptr;
    TFormSplash* FSplash = nullptr;
    // Where the last scenes were added from; the open dialog starts there.
    QString FSceneDirectory;
    TTrayIcon* FTray = nullptr;
    TFormScreamers* FScreamers = nullptr;
};
