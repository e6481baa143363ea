#include "farm/farm.h"
#include "model/scene_list.h"
#include "options/options.h"
#include "support/clock.h"
#include "ui/farm_grid.h"
#include "ui/frame_manager.h"
#include "ui/main_menus.h"
#include "ui/main_window.h"

#include "scripted_people.h"
#include "test_files.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class FrameManagerTest : public testing::Test
{
protected:
    FrameManagerTest()
        : Options(Directory.filePath(QStringLiteral("Farm.ini")))
        , Farm(Options, People, Clock)
        , Window(Farm)
    {
        Options.Master = true;
        Options.ScreamerName = QStringLiteral("Falcon");
        for (const QString folder : { "rgb", "alpha", "target" })
            EXPECT_TRUE(QDir(Directory.path()).mkpath(folder));
        auto scene = std::make_unique<TScene>();
        scene->Filename = Directory.filePath(QStringLiteral("shot.lws"));
        scene->KestrionFilename = NoneText;
        scene->Settings.ContentDirectory = Directory.path();
        scene->Settings.Range = true;
        scene->Settings.CurrentFirst = 1;
        scene->Settings.CurrentLast = 6;
        scene->Settings.CurrentStep = 1;
        scene->Data.OutputFilenameFormat = 3;
        scene->Data.SaveRGBImagesPrefix = QStringLiteral("rgb/shot");
        scene->Data.RGBImageSaver = QStringLiteral("LW_PNG(.png)");
        scene->Data.SaveAlphaImagesPrefix = QStringLiteral("alpha/shot");
        scene->Data.AlphaImageSaver = QStringLiteral("LW_PNG(.png)");
        Scene = &Farm.Scenes.Add(std::move(scene), true);
        Window.ChooseDirectory = [this](QString& directory) {
            directory = Directory.filePath(QStringLiteral("target"));
            return ChooseOk;
        };
    }

    QString Name(int frame, TFrameKind kind) const { return Scene->FrameFileName(frame, kind, NoneText); }
    void Render(std::initializer_list<int> frames, TFrameKind kind)
    {
        for (const int frame : frames)
            WriteBytes(Name(frame, kind), "frame");
    }
    QStringList Targets() const
    {
        return QDir(Directory.filePath(QStringLiteral("target"))).entryList(QDir::Files);
    }
    void Open()
    {
        Window.SetScene(Scene->ID);
        Window.Update();
    }

    QTemporaryDir Directory;
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm;
    TFormScenesFrames Window;
    TScene* Scene = nullptr;
    bool ChooseOk = true;
};

TEST_F(FrameManagerTest, AFrameWithOnlyItsAlphaIsListedAndKeptByAnImagesOnlyDelete)
{
    Render({ 1, 2 }, TFrameKind::RGB);
    Render({ 3 }, TFrameKind::Alpha);
    Open();
    EXPECT_EQ(Window.LabelSceneName->text(), QStringLiteral("shot.lws"));
    EXPECT_EQ(Window.ListedFrames(), QList<qint64>({ 1, 2, 3 }));
    EXPECT_EQ(Window.SelectedFrames(), QList<qint64>({ 1, 2, 3 }));
    EXPECT_EQ(Window.StatusText(0), QStringLiteral("Frames in scene: 6"));
    EXPECT_EQ(Window.StatusText(1), QStringLiteral("Frames rendered: 3"));
    EXPECT_EQ(Window.StatusText(2), QStringLiteral("Frames selected: 3"));
    Window.SelectNone();
    EXPECT_EQ(Window.StatusText(2), QStringLiteral("Frames selected: 0"));
    Window.ButtonSelectAll->click();
    EXPECT_EQ(Window.StatusText(2), QStringLiteral("Frames selected: 3"));

    // At least one kind stays chosen.
    Window.CheckBoxAlphas->setChecked(false);
    Window.CheckBoxImages->setChecked(false);
    EXPECT_TRUE(Window.CheckBoxAlphas->isChecked());
    Window.CheckBoxImages->setChecked(true);
    Window.CheckBoxAlphas->setChecked(false);

    People.Answer = false;
    Window.ButtonDelete->click();
    EXPECT_EQ(People.Asked, QStringList({ "Are you sure you want to delete the selected frames?" }));
    EXPECT_EQ(Window.ListedFrames(), QList<qint64>({ 1, 2, 3 }));

    // A second Delete clicked while the first runs (the progress box lets clicks through) is not heard.
    People.Answer = true;
    People.Asked.clear();
    QTimer::singleShot(0, &Window, [this] { Window.ButtonDelete->click(); });
    Window.ButtonDelete->click();
    EXPECT_EQ(People.Asked, QStringList({ "Are you sure you want to delete the selected frames?" }));
    EXPECT_EQ(Window.ListedFrames(), QList<qint64>({ 3 }));
    EXPECT_TRUE(QFile::exists(Name(3, TFrameKind::Alpha)));
    EXPECT_FALSE(QFile::exists(Name(1, TFrameKind::RGB)));
}

TEST_F(FrameManagerTest, MoveEmptiesTheListCopyDoesNot)
{
    Scene->Data.SaveAlphaImagesPrefix = QStringLiteral("alpha/matte");
    Render({ 1, 2 }, TFrameKind::RGB);
    Render({ 2 }, TFrameKind::Alpha);
    Open();
    ChooseOk = false;
    Window.ButtonCopy->click();
    EXPECT_TRUE(Targets().isEmpty());

    ChooseOk = true;
    Window.ButtonCopy->click();
    EXPECT_EQ(Targets(), QStringList({ "matte0002.png", "shot0001.png", "shot0002.png" }));
    EXPECT_EQ(Window.ListedFrames(), QList<qint64>({ 1, 2 }));
    EXPECT_TRUE(People.Asked.isEmpty());

    // A move never replaces a file at the destination, and says which files stayed.
    ASSERT_TRUE(QFile::remove(Directory.filePath(QStringLiteral("target/shot0001.png"))));
    Window.ButtonMove->click();
    EXPECT_EQ(Window.ListedFrames(), QList<qint64>({ 2 }));
    ASSERT_EQ(People.Asked.size(), 1);
    EXPECT_TRUE(People.Asked[0].startsWith(QStringLiteral("2 frame files could not be moved to")));

    ASSERT_TRUE(QFile::remove(Directory.filePath(QStringLiteral("target/shot0002.png"))));
    ASSERT_TRUE(QFile::remove(Directory.filePath(QStringLiteral("target/matte0002.png"))));
    Window.ButtonMove->click();
    EXPECT_TRUE(Window.ListedFrames().isEmpty());
    EXPECT_TRUE(Window.ListBoxFrames->isHidden());
    EXPECT_FALSE(Window.PanelNoFrames->isHidden());
    EXPECT_EQ(Window.PanelNoFrames->text(), QStringLiteral("No rendered frames found..."));
    EXPECT_EQ(Window.StatusText(1), QStringLiteral("Frames rendered: 0"));
    EXPECT_EQ(Targets(), QStringList({ "matte0002.png", "shot0001.png", "shot0002.png" }));
}

TEST_F(FrameManagerTest, AGoneDirectoryOrAGoneSceneIsNamedAndNothingIsTouched)
{
    Render({ 1 }, TFrameKind::Alpha);
    ASSERT_TRUE(QDir(Directory.filePath(QStringLiteral("rgb"))).removeRecursively());
    ASSERT_TRUE(QDir(Directory.filePath(QStringLiteral("alpha"))).removeRecursively());
    Open();
    EXPECT_FALSE(Window.PanelNoFrames->isHidden());
    EXPECT_FALSE(Window.LabelProblem->isHidden());
    EXPECT_TRUE(
        Window.LabelProblem->text().contains(Directory.filePath(QStringLiteral("rgb")) + " is not there"));

    // The scene leaves the queue (a Remote's command in a tick) while the window is open.
    ASSERT_TRUE(QDir(Directory.path()).mkpath(QStringLiteral("alpha")));
    Render({ 1 }, TFrameKind::Alpha);
    Window.Update();
    EXPECT_EQ(Window.ListedFrames(), QList<qint64>({ 1 }));
    // Frames of the other kind are listed; the gone directory is still named.
    EXPECT_TRUE(Window.LabelProblem->text().contains(QStringLiteral("is not there")));
    const QString alpha = Name(1, TFrameKind::Alpha);
    Farm.Scenes.Remove(0);
    Window.ButtonDelete->click();
    EXPECT_TRUE(QFile::exists(alpha));
    EXPECT_TRUE(Window.ListedFrames().isEmpty());
    EXPECT_FALSE(Window.ButtonDelete->isEnabled());
    EXPECT_EQ(Window.LabelProblem->text(), QStringLiteral("This scene is no longer in the queue."));
    ASSERT_GE(Farm.Events.Count(), 1);
    const TEvent& event = Farm.Events.Item(Farm.Events.Count() - 1);
    EXPECT_EQ(event.Type, QStringLiteral("Scenes Frame Manager"));
    EXPECT_TRUE(event.Comment.contains(QStringLiteral("has left the queue")));
}

TEST(FrameManagerMenu, OpensTheWindowForEachMarkedSceneAndLogsIt)
{
    QTemporaryDir directory;
    qputenv("TMPDIR", directory.path().toLocal8Bit());
    TOptions options(directory.filePath(QStringLiteral("Farm.ini")));
    options.Load();
    options.Master = true;
    options.ScreamerDirectory = directory.path();
    options.ScreamerName = QStringLiteral("Falcon");
    TManualClock clock;
    TFormKestrion window(options, clock);
    window.SplashOnFirstShow = false;
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Started(); }, 5000));
    EXPECT_TRUE(window.Menus().ScenesFrameManager->isEnabled());
    for (const QString name : { "one.lws", "two.lws" }) {
        auto scene = std::make_unique<TScene>();
        scene->Filename = directory.filePath(name);
        scene->KestrionFilename = NoneText;
        window.Farm().Scenes.Add(std::move(scene), true);
    }
    window.Farm().ScenesChanged();
    window.RefreshViews();
    window.GridScenes().SelectRows(0, 1);

    QStringList shown;
    std::function<void()> answer = [&] {
        auto* frames = qobject_cast<TFormScenesFrames*>(QApplication::activeModalWidget());
        if (!frames) {
            QTimer::singleShot(10, &window, answer);
            return;
        }
        shown << frames->LabelSceneName->text() + u' ' + frames->PanelNoFrames->text();
        frames->ButtonQuit->click();
        if (shown.size() < 2)
            QTimer::singleShot(10, &window, answer);
    };
    QTimer::singleShot(0, &window, answer);
    window.Menus().ScenesFrameManager->trigger();
    EXPECT_EQ(
        shown, QStringList({ "one.lws No rendered frames found...", "two.lws No rendered frames found..." }));
    QStringList logged;
    for (int i = 0; i < window.Farm().Events.Count(); ++i)
        if (window.Farm().Events.Item(i).Type == QStringLiteral("Scenes Frame Manager"))
            logged << window.Farm().Events.Item(i).Comment;
    EXPECT_EQ(logged, QStringList({ directory.filePath("one.lws"), directory.filePath("two.lws") }));
    window.ForceClose = true;
    window.close();
}

} // namespace
