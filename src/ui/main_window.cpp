#include "ui/main_window.h"

#include "farm/remote_update.h"
#include "options/options.h"
#include "ui/farm_grid.h"
#include "ui/grid_models.h"
#include "ui/info_window.h"
#include "ui/look.h"
#include "ui/screamers_dialog.h"
#include "ui/splash.h"
#include "ui/tray.h"
#include "ui/window_people.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString CaptionMaster = QStringLiteral("Kestrion Master");
const QString CaptionRemote = QStringLiteral("Quenvary");
const QString AnotherInstanceText
    = QStringLiteral("There's already another Kestrion running. Close this one?");
const QString ShutDownText
    = QStringLiteral("This program is written to run permanently. Shut down anyway?\n"
                     "Don't leave if you want DorezoDizaz or automatic crash detection "
                     "to be active.");

} // namespace

TFormKestrion::TFormKestrion(TOptions& options, const TClock& clock, QWidget* parent)
    : QMainWindow(parent)
    , FOptions(options)
    , FPeople(std::make_unique<TWindowPeople>())
    , FController(std::make_unique<TController>(options, *FPeople, clock))
{
    setWindowIcon(QIcon(QStringLiteral(":/kestrion.png")));
    FMenus = std::make_unique<TMainMenus>(*menuBar(), *this);
    CreateTitlePanel();
    CreateGrids();
    CreateStatusBar();
    FInfo = new TFormInfo(this);
    FSplash = new TFormSplash(this);
    FTray = new TTrayIcon(this);
    FScreamers = new TFormScreamers(Farm(), this);
    ConnectMenus();
    ConnectPeople();
    setMinimumSize(450, 300);
    resize(608, 446);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ShowView(TView::Scenes);
    ApplyMode();
}

TFormKestrion::~TFormKestrion()
{
    // The grids' models read the farm: take them down before the controller goes, and
    // without their last selection changes reaching this half-destroyed window.
    for (TFarmGrid* grid : { FGridScenes, FGridComputers })
        grid->selectionModel()->disconnect(this);
    delete FGridScenes;
    delete FGridComputers;
    delete FGridEvents;
    FController->Farm().Events.Added = nullptr;
    FController->Farm().Events.Changed = nullptr;
    FController->AnotherMasterFound = nullptr;
}

void TFormKestrion::CreateTitlePanel()
{
    FTitlePanel = new TPanel;
    FTitlePanel->setFixedHeight(28);
    auto* layout = new QHBoxLayout(FTitlePanel);
    layout->setContentsMargins(2, 0, 4, 0);
    layout->setSpacing(0);
    const std::array<QString, 3> captions { QStringLiteral("&Scenes"), QStringLiteral("&Computers"),
        QStringLiteral("&Events") };
    for (size_t i = 0; i < captions.size(); ++i) {
        auto* button = new QPushButton(captions[i]);
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCheckable(true);
        layout->addWidget(button);
        FViewButtons[i] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { ShowView(static_cast<TView>(i)); });
    }
    layout->addStretch();
    FTitleCaption = new QLabel;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(24);
    font.setBold(true);
    FTitleCaption->setFont(font);
    FTitleCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(FTitleCaption);
}

void TFormKestrion::CreateGrids()
{
    TFarm& farm = Farm();
    FSceneModel = new TSceneGridModel(farm);
    FComputerModel = new TComputerGridModel(farm);
    FEventModel = new TEventGridModel(farm);
    FGridScenes = new TFarmGrid(TGridKind::Scenes, FSceneModel);
    FGridComputers = new TFarmGrid(TGridKind::Computers, FComputerModel);
    FGridEvents = new TFarmGrid(TGridKind::Events, FEventModel);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FTitlePanel);
    for (TFarmGrid* grid : { FGridScenes, FGridComputers, FGridEvents }) {
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        layout->addWidget(grid);
    }
    setCentralWidget(central);

    for (TFarmGrid* grid : { FGridScenes, FGridComputers })
        connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormKestrion::RememberMarks);
    connect(FGridScenes, &TFarmGrid::RowMoved, this, &TFormKestrion::SceneRowMoved);
    connect(FGridComputers, &TFarmGrid::RowMoved, this, &TFormKestrion::ComputerRowMoved);
    connect(FGridScenes, &TFarmGrid::RowHovered, this, &TFormKestrion::SceneHovered);
    connect(FGridComputers, &TFarmGrid::RowHovered, this, &TFormKestrion::ComputerHovered);
    connect(FGridScenes, &TFarmGrid::RowDoubleClicked, this, [this] { ScenesEditClick(); });
    connect(FGridComputers, &TFarmGrid::RowDoubleClicked, this, [this] { ComputersKillClick(); });
    const auto popup = [this](TFarmGrid* grid, QMenu* menu) {
        connect(grid, &QWidget::customContextMenuRequested, this,
            [grid, menu](const QPoint& point) { menu->popup(grid->viewport()->mapToGlobal(point)); });
    };
    popup(FGridScenes, FMenus->PopupScenes);
    popup(FGridComputers, FMenus->PopupComputers);
    popup(FGridEvents, FMenus->PopupEvents);
}

void TFormKestrion::CreateStatusBar()
{
    const std::array<int, 4> widths { 150, 150, 47, 50 };
    const std::array<QString, 4> texts { QStringLiteral("Time"), QStringLiteral("Mode"),
        QStringLiteral("TCP/IP"), QString() };
    for (size_t i = 0; i < widths.size(); ++i) {
        auto* panel = new QLabel(texts[i]);
        panel->setFrameShape(QFrame::StyledPanel);
        // The link's texts ("Error connecting to Master" and its dots) need the rest of the bar.
        const bool last = i + 1 == widths.size();
        if (last)
            panel->setMinimumWidth(widths[i]);
        else
            panel->setFixedWidth(widths[i]);
        statusBar()->addWidget(panel, last ? 1 : 0);
        FStatusPanels[i] = panel;
    }
    statusBar()->setSizeGripEnabled(true);
}

void TFormKestrion::ConnectPeople()
{
    FPeople->RefreshRequested = [this](TView view) { RequestRefresh(view); };
    FPeople->StatusRequested
        = [this](TStatusPanel panel, const QString& text) { StatusPanel(panel)->setText(text); };
    FPeople->InfoMarkRequested = [this](bool checked) { FMenus->ProgramInfo->setChecked(checked); };
    FPeople->IdleShown = [this](const TIdleFigures& figures) { FInfo->ShowIdle(figures); };
    // Closed from the Master's own message: after it is handled, and without the question.
    FPeople->CloseOrdered = [this] {
        ForceClose = true;
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
    };
    FPeople->ColoursChanged = [this] { ApplyColours(); };
    FPeople->SplashRequested = [this] {
        if (!FSplash->isVisible())
            FSplash->ShowModeless();
    };
    TEventLog& events = Farm().Events;
    events.Added = [this](const TEvent&) { RequestRefresh(TView::Events); };
    events.Changed = [this] { RequestRefresh(TView::Events); };
    FController->AnotherMasterFound = [this](const QString& text) {
        // Once the step that found it is done: the window turns Remote, then says why.
        QTimer::singleShot(0, this, [this, text] {
            ApplyMode();
            FPeople->Ask(text, false);
        });
    };
    connect(FInfo, &TFormInfo::Closed, this, [this] {
        FOptions.InfoVisible = false;
        ApplyMode();
    });
    connect(FTray, &TTrayIcon::AddScene, this, &TFormKestrion::ScenesAddClick);
    connect(FTray, &TTrayIcon::Maximize, this, &TFormKestrion::Maximize);
    connect(FTray, &TTrayIcon::CloseRequested, this, &QWidget::close);
    connect(FTray, &TTrayIcon::StartScreamer, this, &TFormKestrion::ComputersStartClick);
}

QLabel* TFormKestrion::StatusPanel(TStatusPanel panel) const
{
    return FStatusPanels.at(static_cast<size_t>(panel));
}

QString TFormKestrion::StatusText(TStatusPanel panel) const
{
    return StatusPanel(panel)->text();
}

QString TFormKestrion::TitleText() const
{
    return FTitleCaption->text();
}

void TFormKestrion::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!FirstShow)
        return;
    FirstShow = false;
    // After the window is on the screen: the splash and the question need it there.
    QTimer::singleShot(0, this, &TFormKestrion::FirstShowSteps);
}

void TFormKestrion::FirstShowSteps()
{
    RefreshViews();
    if (SplashOnFirstShow)
        FSplash->ShowSplash();
    // Asked before any timer runs: a second copy must not take acks or commands from its
    // stale queue, nor store that queue over the first copy's when it closes.
    if (!ForceClose && !FLock.TryLock() && FPeople->Ask(AnotherInstanceText, true)) {
        ForceClose = true;
        close();
    }
    // Closed meanwhile (by a signal or the user during the splash or the question).
    if (FClosed)
        return;
    FController->Start();
    FStarted = true;
    ApplyMode();
    RequestRefresh(TView::Scenes);
    RequestRefresh(TView::Computers);
}

void TFormKestrion::closeEvent(QCloseEvent* event)
{
    if (!ForceClose && !FPeople->Ask(ShutDownText, true)) {
        event->ignore();
        return;
    }
    FTray->Hide();
    FInfo->hide();
    // A copy that closes before its farm started has nothing of its own to store.
    if (FStarted && !FController->Close())
        WriteFailed = true;
    FStarted = false;
    FClosed = true;
    event->accept();
}

void TFormKestrion::ShowInfo(bool visible)
{
    // Like the farm, the info window waits for the splash and the single-instance question.
    if (!visible || !FStarted) {
        FInfo->hide();
        return;
    }
    if (FInfo->isVisible())
        return;
    FInfo->move(InfoPlace(FInfo->frameGeometry().size()));
    FInfo->show();
}

QPoint TFormKestrion::InfoPlace(const QSize& size) const
{
    // Beside the main window (right, left, below, above) where the screen has room for it, so
    // it hides none of the grids; otherwise where it hides least of them, clear of the status bar.
    const QRect screen = this->screen()->availableGeometry();
    const QRect main = frameGeometry();
    const std::array<QPoint, 4> places { QPoint(main.right() + 8, main.top()),
        QPoint(main.left() - 8 - size.width(), main.top()), QPoint(main.left(), main.bottom() + 8),
        QPoint(main.left(), main.top() - 8 - size.height()) };
    QRect best;
    qint64 bestHidden = -1;
    for (const QPoint& place : places) {
        QRect shown(place, size);
        if (screen.contains(shown))
            return place;
        shown.moveLeft(std::clamp(
            shown.left(), screen.left(), std::max(screen.left(), screen.right() - size.width() + 1)));
        shown.moveTop(std::clamp(
            shown.top(), screen.top(), std::max(screen.top(), screen.bottom() - size.height() + 1)));
        const QRect hidden = shown & main;
        const qint64 area = qint64(hidden.width()) * hidden.height();
        if (bestHidden < 0 || area < bestHidden) {
            best = shown;
            bestHidden = area;
        }
    }
    const QRect status(statusBar()->mapToGlobal(QPoint(0, 0)), statusBar()->size());
    if (best.intersects(status))
        best.moveBottom(std::max(status.top() - 1, screen.top() + size.height() - 1));
    return best.topLeft();
}

void TFormKestrion::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && FOptions.LookTray
        && TTrayIcon::Available()) {
        FTray->Show();
        QTimer::singleShot(0, this, &QWidget::hide);
    }
}

void TFormKestrion::Maximize()
{
    FTray->Hide();
    show();
    setWindowState(Qt::WindowNoState);
    setWindowState(Qt::WindowMaximized);
    raise();
    activateWindow();
}

void TFormKestrion::ShowView(TView view)
{
    FView = view;
    FGridScenes->setVisible(view == TView::Scenes);
    FGridComputers->setVisible(view == TView::Computers);
    FGridEvents->setVisible(view == TView::Events);
    for (size_t i = 0; i < FViewButtons.size(); ++i)
        FViewButtons[i]->setChecked(static_cast<size_t>(view) == i);
    FInfo->SelectView(view);
    for (TFarmGrid* grid : { FGridScenes, FGridComputers, FGridEvents })
        grid->FitColumns();
}

void TFormKestrion::ApplyMode()
{
    // First: a Master whose commands directory another Master holds runs as a Remote.
    if (FStarted)
        FController->ApplyMode();
    const bool master = Farm().IsMaster();
    FMenus->ApplyMode(master, FOptions.TcpIpInUse(), FOptions.InfoVisible);
    setWindowTitle(master ? CaptionMaster : CaptionRemote);
    if (master)
        StatusPanel(TStatusPanel::Mode)->setText(QStringLiteral("Master"));
    else {
        StatusPanel(TStatusPanel::Clock)->setText(LastUpdateText(Farm().Now()));
        StatusPanel(TStatusPanel::Mode)->setText(IdleTimeText(FController->Idle().IdleSeconds));
    }
    // The link's tick shows "TCP/IP" again while the link of the new mode is on.
    StatusPanel(TStatusPanel::Link)->clear();
    ApplyColours();
    ShowInfo(FOptions.InfoVisible);
}

void TFormKestrion::ApplyColours()
{
    SetLookColor(ColorRef(FOptions.LookColorR, FOptions.LookColorG, FOptions.LookColorB));
    ApplyLook(this);
    for (TFarmGrid* grid : { FGridScenes, FGridComputers, FGridEvents })
        grid->ApplyColours();
    QPalette palette = FTitleCaption->palette();
    palette.setColor(QPalette::WindowText, LookHalf());
    FTitleCaption->setPalette(palette);
    for (QPushButton* button : FViewButtons)
        button->setPalette(palette);
    ShowTitle();
    if (FInfo->isVisible())
        ApplyLook(FInfo);
    update();
}

void TFormKestrion::ShowTitle()
{
    FTitleCaption->setText(FOptions.ScreamerName + QStringLiteral(" "));
}

void TFormKestrion::RequestRefresh(TView view)
{
    FDirtyScenes |= view == TView::Scenes;
    FDirtyComputers |= view == TView::Computers;
    FDirtyEvents |= view == TView::Events;
    if (FRefreshPending)
        return;
    // A tick that takes in a thousand acks asks a thousand times; the grid is drawn once.
    FRefreshPending = true;
    QTimer::singleShot(0, this, &TFormKestrion::RefreshViews);
}

void TFormKestrion::RefreshViews()
{
    FRefreshPending = false;
    if (FDirtyScenes || FDirtyComputers)
        ReloadKeepingMarks(FDirtyScenes, FDirtyComputers);
    if (FDirtyComputers)
        RefreshStartEntries();
    if (FDirtyEvents) {
        FEventModel->Reload();
        FGridEvents->scrollToBottom();
    }
    if (FDirtyScenes || FDirtyComputers)
        ShowSummary();
    FDirtyScenes = FDirtyComputers = FDirtyEvents = false;
}

void TFormKestrion::ShowSummary()
{
    FInfo->ShowSummary(Farm());
}

void TFormKestrion::RefreshStartEntries()
{
    const TStartMenus menus = FController->StartMenus();
    FMenus->SetStartEntries(menus);
    FTray->SetStartEntry(menus.TrayCaption, menus.TrayEnabled, menus.TrayTag);
}

void TFormKestrion::SceneHovered(int index)
{
    const TSceneList& scenes = Farm().Scenes;
    if (index >= 0 && index < scenes.Count())
        FInfo->ShowScene(scenes.Item(index), FOptions.ContentDirectory, Farm().Computers);
}

void TFormKestrion::ComputerHovered(int index)
{
    TFarm& farm = Farm();
    if (index >= 0 && index < farm.Computers.Count()) {
        const TComputer& computer = farm.Computers.Item(index);
        FInfo->ShowComputer(computer, computer.CrashWatchNote(farm.Screamers));
    }
}
