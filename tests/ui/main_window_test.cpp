#include "farm/master_lock.h"
#include "model/node_channel.h"
#include "options/options.h"
#include "support/instance_lock.h"
#include "support/text_file.h"
#include "ui/check_config.h"
#include "ui/farm_grid.h"
#include "ui/info_window.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/question_box.h"
#include "ui/scene_edit.h"
#include "ui/splash.h"
#include "ui/window_people.h"

#include "modal_dialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QStatusBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

namespace {

// A window on a scratch farm, its farm started as the first showing starts it.
class MainWindowTest : public testing::Test
{
protected:
    MainWindowTest()
        : Options(Directory.filePath(QStringLiteral("Farm.ini")))
    {
        Options.Load();
        Options.Master = true;
        Options.ScreamerDirectory = Directory.path();
        Options.ScreamerName = QStringLiteral("Falcon");
        // The single-instance lock lives in the temporary directory: each test has its own.
        qputenv("TMPDIR", Directory.path().toLocal8Bit());
    }

    TFormKestrion& Open()
    {
        Window = std::make_unique<TFormKestrion>(Options, Clock);
        Window->SplashOnFirstShow = false;
        Window->show();
        EXPECT_TRUE(QTest::qWaitFor([this] { return Window->Started(); }, 5000));
        return *Window;
    }

    // Answers the question box once it opens: `during` runs first, as a tick would.
    void AnswerNextQuestion(bool ok, std::function<void()> during = {})
    {
        TFormQuestion& box = Window->People().Question();
        QTimer::singleShot(0, &box, [&box, ok, during] {
            EXPECT_TRUE(QTest::qWaitFor([&box] { return box.isVisible(); }, 5000));
            if (during)
                during();
            (ok ? box.ButtonOk : box.ButtonCancel)->click();
        });
    }

    void AddNodes(std::initializer_list<int> numbers)
    {
        for (int number : numbers) {
            auto node = std::make_unique<TComputer>();
            node->Number = number;
            node->StateString = QStringLiteral("Rendering");
            Window->Farm().Computers.Add(std::move(node));
        }
        Window->Farm().ComputersChanged();
        Window->RefreshViews();
    }

    QTemporaryDir Directory;
    TOptions Options;
    TManualClock Clock;
    std::unique_ptr<TFormKestrion> Window;
};

TEST_F(MainWindowTest, ModeShowsItsMenusAndCaption)
{
    TFormKestrion& window = Open();
    TMainMenus& menus = window.Menus();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Kestrion Master"));
    EXPECT_EQ(window.StatusText(TStatusPanel::Mode), QStringLiteral("Master"));
    EXPECT_EQ(window.TitleText(), QStringLiteral("Falcon "));
    EXPECT_TRUE(menus.ProgramMaster->isChecked());
    EXPECT_FALSE(menus.ProgramUpdate->isVisible());
    EXPECT_TRUE(menus.ScenesOpenList->isVisible());
    EXPECT_FALSE(menus.EventsMessage->isVisible());
    EXPECT_TRUE(window.Controller().TimerMaster.isActive());

    AnswerNextQuestion(true);
    menus.ProgramRemote->trigger();
    EXPECT_FALSE(Options.Master);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quenvary"));
    EXPECT_TRUE(window.StatusText(TStatusPanel::Clock).startsWith(QStringLiteral("Last Update ")));
    EXPECT_TRUE(menus.ProgramRemote->isChecked());
    EXPECT_TRUE(menus.ProgramUpdate->isVisible());
    EXPECT_FALSE(menus.ScenesOpenList->isVisible());
    EXPECT_TRUE(menus.EventsMessage->isVisible());
    EXPECT_FALSE(menus.ProgramRemotes->menuAction()->isVisible());
    EXPECT_FALSE(window.Controller().TimerMaster.isActive());
    EXPECT_TRUE(window.Controller().TimerRemote.isActive());

    // Declining keeps the mode.
    AnswerNextQuestion(false);
    menus.ProgramMaster->trigger();
    EXPECT_FALSE(Options.Master);

    // The hidden commands are in no menu, yet their shortcuts work.
    for (QAction* hidden : { menus.ProgramDebug, menus.ProgramSurprise })
        for (QMenu* menu : window.menuBar()->findChildren<QMenu*>())
            EXPECT_FALSE(menu->actions().contains(hidden));
    AnswerNextQuestion(true);
    QTest::keyClick(&window, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(Options.Debug);
}

TEST_F(MainWindowTest, CheckConfigShowsWhatTheOptionsRead)
{
    TFormKestrion& window = Open();
    QAction* entry = window.Menus().ProgramCheckConfig;
    EXPECT_TRUE(entry->isEnabled());
    Options.ContentDirectory = QStringLiteral("/farm/content");
    QString shown;
    QTimer::singleShot(0, &window, [&] {
        auto* box = qobject_cast<TFormCheckConfig*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->EditContentDirectory->text();
        box->ButtonOk->click();
    });
    entry->trigger();
    EXPECT_EQ(shown, QStringLiteral("/farm/content"));
}

TEST_F(MainWindowTest, InfoWindowOpensBesideOrClearOfTheStatusBar)
{
    TFormKestrion& window = Open();
    const QRect screen = window.screen()->availableGeometry();
    window.resize(450, 300);
    window.move(screen.topLeft());
    Options.InfoVisible = true;
    window.Info().hide();
    window.ApplyMode();
    ASSERT_TRUE(window.Info().isVisible());
    EXPECT_FALSE(window.Info().frameGeometry().intersects(window.frameGeometry()));

    // No room beside a window as large as the screen: the info hides the grid, not the status bar.
    window.Info().hide();
    window.setGeometry(screen);
    window.ApplyMode();
    const QRect status(window.statusBar()->mapToGlobal(QPoint(0, 0)), window.statusBar()->size());
    EXPECT_TRUE(screen.contains(window.Info().frameGeometry()));
    EXPECT_FALSE(window.Info().frameGeometry().intersects(status));
}

TEST_F(MainWindowTest, ResizingSnapsToTheSmallestSize)
{
    TFormKestrion& window = Open();
    window.resize(300, 200);
    EXPECT_EQ(window.size(), QSize(450, 300));
    window.resize(1000, 600);
    window.ShowView(TView::Computers);
    // The scene column takes what the other columns leave.
    const TFarmGrid& grid = window.GridComputers();
    int columns = 0;
    for (int column = 0; column < 7; ++column)
        columns += grid.columnWidth(column);
    EXPECT_EQ(columns, grid.viewport()->width());
    EXPECT_FALSE(window.GridScenes().isVisible());
}

// Ticks run on while a question is open: the nodes are taken before asking, so a node that
// goes meanwhile is skipped and its neighbour, now on its row, is not touched.
TEST_F(MainWindowTest, KillAndCrashedActOnTheMarkedNodesEvenWhenATickRemovesOne)
{
    TFormKestrion& window = Open();
    AddNodes({ 1, 2, 3 });
    window.GridComputers().SelectRows(0, 1);
    AnswerNextQuestion(true, [&] {
        window.Farm().Computers.Delete(0);
        window.Farm().ComputersChanged();
        window.RefreshViews();
    });
    window.Menus().ComputersKill->trigger();
    ASSERT_EQ(window.Farm().Computers.Count(), 2);
    EXPECT_EQ(window.Farm().Computers.FindByNumber(2)->StateString, QStringLiteral("Dying"));
    EXPECT_EQ(window.Farm().Computers.FindByNumber(3)->StateString, QStringLiteral("Rendering"));

    // The mark stays on node 2 whose row it is; node 3 is not touched.
    EXPECT_EQ(window.GridComputers().TopRow(), 0);
    EXPECT_EQ(window.GridComputers().BottomRow(), 0);
    AnswerNextQuestion(true, [&] {
        window.Farm().Computers.Delete(0);
        window.Farm().ComputersChanged();
        window.RefreshViews();
    });
    window.Menus().ComputersCrashed->trigger();
    ASSERT_NE(window.Farm().Computers.FindByNumber(3), nullptr);

    // A tick that takes out the node above a marked one: the mark moves up with its node.
    AddNodes({ 1 });
    window.GridComputers().SelectRows(1, 1);
    window.Farm().Computers.Delete(0);
    window.Farm().ComputersChanged();
    window.RefreshViews();
    EXPECT_EQ(window.GridComputers().TopRow(), 0);
    AnswerNextQuestion(true);
    window.Menus().ComputersKill->trigger();
    EXPECT_EQ(window.Farm().Computers.FindByNumber(3)->StateString, QStringLiteral("Dying"));
}

// A second copy asks before its timers start; closing for that reason stores nothing and asks
// nothing more.
TEST_F(MainWindowTest, SecondCopyAsksBeforeItsFarmStarts)
{
    TInstanceLock first;
    ASSERT_TRUE(first.TryLock());
    Window = std::make_unique<TFormKestrion>(Options, Clock);
    Window->SplashOnFirstShow = false;
    bool timersWereOff = false;
    Window->show();
    AnswerNextQuestion(true, [&] { timersWereOff = !Window->Controller().TimerMaster.isActive(); });
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Window->isVisible(); }, 5000));
    EXPECT_TRUE(timersWereOff);
    EXPECT_FALSE(Window->Started());
    EXPECT_FALSE(QFile::exists(Options.StateScenesFile()));
    EXPECT_FALSE(QFile::exists(Options.FileName()));
}

// Another Master drives the commands directory: this window runs as a Remote and says why; the
// stored mode stays Master.
TEST_F(MainWindowTest, AnotherMastersLockMakesThisWindowARemoteUntilClosed)
{
    TMasterLock other;
    ASSERT_EQ(other.Take(Directory.path(), QStringLiteral("studio-9"), QStringLiteral("Boss")),
        TMasterLock::TResult::Taken);
    Window = std::make_unique<TFormKestrion>(Options, Clock);
    Window->SplashOnFirstShow = false;
    // The message opens from the start steps' own event loop: answered by a watching timer.
    QString said;
    QTimer watch;
    TFormQuestion& box = Window->People().Question();
    QObject::connect(&watch, &QTimer::timeout, &box, [&] {
        if (!box.isVisible())
            return;
        said = box.LabelQuestion->text();
        watch.stop();
        box.ButtonOk->click();
    });
    watch.start(10);
    Window->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty(); }, 5000));
    EXPECT_TRUE(said.contains(QStringLiteral("driven by another Master: Boss on computer studio-9")));
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Quenvary"));
    EXPECT_TRUE(Window->Controller().TimerRemote.isActive());
    EXPECT_FALSE(Window->Controller().TimerMaster.isActive());

    AnswerNextQuestion(true);
    EXPECT_TRUE(Window->close());
    TOptions stored(Options.FileName());
    stored.Load();
    EXPECT_TRUE(stored.Master);
}

TEST_F(MainWindowTest, ClosingAsksAndCancelKeepsTheFarmRunning)
{
    TFormKestrion& window = Open();
    AnswerNextQuestion(false);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.Controller().TimerMaster.isActive());
    AnswerNextQuestion(true);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.Controller().TimerMaster.isActive());
    EXPECT_TRUE(QFile::exists(Options.StateScenesFile()));
    EXPECT_TRUE(QFile::exists(Options.FileName()));
}

// True once the process has installed its own handler for the signal (its SigCgt mask says so).
bool WaitUntilCatching(qint64 pid, int signalNumber)
{
    for (int i = 0; i < 400; ++i) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("SigCgt:")
                && (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) & 1)
                return true;
        }
        QTest::qWait(50);
    }
    return false;
}

} // namespace

// The program as a user starts it: it opens its window, closes on SIGTERM without asking,
// exits 0 and has written its options file with the mode of "R".
TEST(MainWindowProgram, OpensAndClosesCleanly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString options = dir.filePath(QStringLiteral("Farm2"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TMPDIR"), dir.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KESTRION_APP_EXE), { QStringLiteral("R"), options });
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(WaitUntilCatching(program.processId(), SIGTERM));
    // Past the splash: the farm has started and written its lock.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(dir.filePath(QStringLiteral("Kestrion.lock"))); }, 15000));
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    QFile written(options + QStringLiteral(".ini"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("Master=0\r\n"));
}

// --help and --version need no display: they answer before any window could open.
TEST(MainWindowProgram, AnswersHelpAndVersionWithoutAWindow)
{
    for (const QString& option : { QStringLiteral("--help"), QStringLiteral("--version") }) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(KESTRION_APP_EXE), { option });
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(program.readAllStandardOutput().startsWith(
            option == QStringLiteral("--help") ? "usage: kestrion" : "kestrion 4."));
    }
}

// Edit opens the dialog for the marked scene, by menu or by a double click.
TEST_F(MainWindowTest, EditOpensTheDialogForTheMarkedScene)
{
    TFormKestrion& window = Open();
    TMainMenus& menus = window.Menus();
    EXPECT_TRUE(menus.ScenesEdit->isEnabled());
    EXPECT_TRUE(menus.ScenesReload->isEnabled());
    EXPECT_TRUE(menus.ScenesFrameManager->isEnabled());
    for (const QString& name : { QStringLiteral("/scenes/a.lws"), QStringLiteral("/scenes/b.lws") }) {
        auto scene = std::make_unique<TScene>();
        scene->Filename = name;
        scene->KestrionFilename = NoneText;
        window.Farm().Scenes.Add(std::move(scene), true);
    }
    window.Farm().ScenesChanged();
    window.RefreshViews();
    window.GridScenes().SelectRows(1, 1);
    QString caption;
    QTimer::singleShot(0, &window, [&caption] {
        auto* dialog = WaitForModal<TFormSceneEdit>();
        if (!dialog)
            return;
        caption = dialog->windowTitle();
        dialog->RadioTop->setChecked(true);
        dialog->ButtonOk->click();
    });
    menus.ScenesEdit->trigger();
    EXPECT_EQ(caption, QStringLiteral("Edit: b.lws"));
    // The raised priority sorts the scene to the top.
    EXPECT_EQ(window.Farm().Scenes.Item(0).Filename, QStringLiteral("/scenes/b.lws"));
    EXPECT_EQ(window.Farm().Scenes.Item(0).Settings.Priority, 4);
}

namespace {

// The housekeeping tick draws the idle measure, the Info check mark and a Remote's splash.
TEST_F(MainWindowTest, TheTickShowsTheIdleMeasure)
{
    Options.SaverEnabled = false;
    TFormKestrion& window = Open();
    // The test sets the measure; the idle thread would change it meanwhile.
    window.Controller().Saver().Stop();
    window.Controller().Idle().IdleSeconds = 42;
    Options.InfoVisible = true;
    window.Controller().TimerGeneralTimer();
    EXPECT_EQ(window.StatusText(TStatusPanel::Mode), QStringLiteral("Master"));
    EXPECT_EQ(window.Info().Value(QStringLiteral("Idle Time")), QStringLiteral("42"));
    EXPECT_TRUE(window.Menus().ProgramInfo->isChecked());

    // A Remote's mode shows the count as it stands.
    window.Controller().Idle().IdleSeconds = 7;
    Options.Master = false;
    window.ApplyMode();
    EXPECT_EQ(window.StatusText(TStatusPanel::Mode), QStringLiteral("Idle Time 7"));

    auto* splash = window.findChild<TFormSplash*>();
    ASSERT_NE(splash, nullptr);
    window.People().ShowSplash();
    EXPECT_TRUE(splash->isVisible());
    splash->close();
}

} // namespace

TEST_F(MainWindowTest, OptionsOkIsLoggedAndTakenAtOnceCancelChangesNothing)
{
    TFormKestrion& window = Open();
    QAction* entry = window.Menus().ProgramOptions;
    EXPECT_TRUE(entry->isEnabled());
    const auto answer = [&window](bool ok, std::function<void(TFormOptions&)> work) {
        QTimer::singleShot(0, &window, [ok, work] {
            auto* dialog = WaitForModal<TFormOptions>();
            if (!dialog)
                return;
            work(*dialog);
            (ok ? dialog->ButtonOk : dialog->ButtonCancel)->click();
        });
    };
    const int events = window.Farm().Events.Count();
    bool overviewButton = false;
    answer(false, [&overviewButton](TFormOptions& dialog) {
        overviewButton = dialog.Button1->isEnabled();
        dialog.EditMasterRenderInterval->setText(QStringLiteral("250"));
    });
    entry->trigger();
    EXPECT_TRUE(overviewButton);
    EXPECT_EQ(window.Farm().Events.Count(), events);
    EXPECT_EQ(window.Controller().TimerMaster.interval(), 1000);

    answer(true, [](TFormOptions& dialog) {
        dialog.EditMasterRenderInterval->setText(QStringLiteral("250"));
        dialog.EditMasterScreamerComputers->setText(QStringLiteral("12"));
        dialog.EditScreamerConfig->setText(QStringLiteral(KESTRION_TEST_DATA "/lwconfig"));
        dialog.EditConfigNumber->setText(QStringLiteral("3"));
        dialog.EditScreamerName->setText(QStringLiteral("Osprey"));
        dialog.SetPanelColor(ColorRef(200, 40, 60));
    });
    entry->trigger();
    const TEvent& event = window.Farm().Events.Item(window.Farm().Events.Count() - 1);
    EXPECT_EQ(event.Level, 3);
    EXPECT_EQ(event.Origin, QStringLiteral("Osprey"));
    EXPECT_EQ(event.Type, QStringLiteral("Program Options"));
    EXPECT_EQ(event.Comment, QStringLiteral("Changed"));
    EXPECT_EQ(Options.ContentDirectory, QStringLiteral("D:\\Farm\\Content"));
    EXPECT_EQ(window.Farm().Overview.ItemCount(), 12);
    EXPECT_EQ(window.Controller().TimerMaster.interval(), 250);
    EXPECT_TRUE(window.Controller().TimerMaster.isActive());
    EXPECT_EQ(window.TitleText(), QStringLiteral("Osprey "));
    EXPECT_EQ(LookBase(), QColor(200, 40, 60));
    EXPECT_EQ(window.palette().color(QPalette::Window), LookBright());
}
