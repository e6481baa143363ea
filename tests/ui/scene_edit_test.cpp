#include "ui/scene_edit.h"

#include "farm/farm.h"
#include "farm/scene_commands.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command_file.h"
#include "support/text_file.h"
#include "ui/look.h"

#include "scripted_people.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct TEditFarm
{
    explicit TEditFarm(bool master = true)
    {
        Options.Master = master;
        Options.ScreamerName = QStringLiteral("Here");
        Options.ScreamerDirectory = Options.ContentDirectory = Dir.path();
        for (const QString& name : { QStringLiteral("a.lws"), QStringLiteral("b.lws") }) {
            const QString path = Dir.filePath(name);
            QFile::copy(QStringLiteral(KESTRION_TEST_DATA "/scenes/plain.lws"), path);
            AddSceneFromFile(Farm, path, TSceneSettings(), Options.ScreamerName);
        }
    }
    TScene& Scene(int index) { return Farm.Scenes.Item(index); }
    void Select(std::initializer_list<int> indexes)
    {
        for (int index : indexes)
            Scene(index).Selected = true;
    }
    // Edits the selected scenes: `work` fills the fields once the dialog is up, then Ok.
    bool Edit(const std::function<void(TFormSceneEdit&)>& work)
    {
        TFormSceneEdit dialog(Options);
        QTimer::singleShot(0, &dialog, [&] {
            work(dialog);
            dialog.ButtonOk->click();
        });
        return dialog.EditScenes(Farm);
    }
    TCommand Sent()
    {
        TCommand command;
        if (!ReadRemoteCommandFile(Options, command))
            command.Command = NoCommand;
        Farm.Outbox.Flush(Options);
        return command;
    }

    QTemporaryDir Dir;
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };
};

QString LineOf(const QString& path, const QString& key)
{
    QStringList lines;
    ReadTextLines(path, lines);
    for (const QString& line : lines)
        if (line.startsWith(key + u' '))
            return line;
    return QString();
}

} // namespace

TEST(SceneEdit, OneSceneTakesItsFieldsByTheirRules)
{
    TEditFarm f;
    f.Select({ 0 });
    const int first = f.Scene(0).Settings.CurrentFirst;
    QString caption;
    ASSERT_TRUE(f.Edit([&](TFormSceneEdit& d) {
        caption = d.windowTitle();
        d.CheckBoxRange->setChecked(true);
        d.EditFirst->setText(QStringLiteral("-5"));
        d.EditStep->setText(QStringLiteral("0"));
        d.CheckBoxSingles->setChecked(true);
        d.EditSinglesList->setText(QStringLiteral("3,5,7"));
        d.CheckBoxOutputRGB->setChecked(false);
    }));
    EXPECT_EQ(caption, QStringLiteral("Edit: a.lws"));
    const TScene& scene = f.Scene(0);
    EXPECT_EQ(scene.Settings.CurrentStep, 1);
    EXPECT_EQ(scene.Settings.CurrentFirst, first);
    EXPECT_EQ(scene.Settings.SinglesList, QStringLiteral("357"));
    EXPECT_EQ(scene.Data.SaveRGBImagesPrefix, NoneText);
    EXPECT_TRUE(scene.WarningsText().contains(QStringLiteral("No RGB image output")));
    // The private copy no longer saves RGB images.
    EXPECT_FALSE(LineOf(scene.KestrionFilename, QStringLiteral("SaveRGBImagesPrefix")).contains(u'/'));
    // The singles list changed while on: the scene starts over with the cleaned list.
    EXPECT_EQ(scene.Settings.SinglesToDo, QStringLiteral("357"));

    f.Select({ 0 });
    const int recursion = f.Scene(0).Data.RayRecursionLimit;
    ASSERT_TRUE(f.Edit([](TFormSceneEdit& d) {
        d.EditFramesMissing->setText(QStringLiteral("x 9  4 y"));
        d.EditRenderModeRecursion->setText(QStringLiteral("many"));
    }));
    EXPECT_EQ(f.Scene(0).Settings.MissingList, QStringLiteral("9 4"));
    EXPECT_EQ(f.Scene(0).Data.RayRecursionLimit, recursion);

    ASSERT_TRUE(f.Edit([](TFormSceneEdit& d) { d.EditSinglesList->setText(QStringLiteral("3 5 7")); }));
    EXPECT_EQ(f.Scene(0).Settings.SinglesList, QStringLiteral("3 5 7"));
}

TEST(SceneEdit, TwoScenesShareTheCommonOptionsAndBothCopiesAreRewritten)
{
    TEditFarm f;
    f.Clock.AdvanceSeconds(60);
    f.Select({ 0, 1 });
    const int lastOfB = f.Scene(1).Settings.CurrentLast;
    bool rangeShown = true;
    QString caption;
    ASSERT_TRUE(f.Edit([&](TFormSceneEdit& d) {
        caption = d.windowTitle();
        rangeShown = d.GroupRange->isVisibleTo(&d);
        d.RadioWireframe->setChecked(true);
        d.RadioTop->setChecked(true);
        d.EditLast->setText(QStringLiteral("3"));
    }));
    EXPECT_EQ(caption, QStringLiteral("Edit multiple scenes"));
    EXPECT_FALSE(rangeShown);
    for (int index : { 0, 1 }) {
        const TScene& scene = f.Scene(index);
        EXPECT_EQ(scene.Data.RenderMode, 0);
        EXPECT_EQ(scene.Settings.Priority, 4);
        EXPECT_EQ(scene.Edited, f.Clock.Now());
        EXPECT_EQ(
            LineOf(scene.KestrionFilename, QStringLiteral("RenderMode")), QStringLiteral("RenderMode 0"));
    }
    EXPECT_EQ(f.Scene(1).Settings.CurrentLast, lastOfB);
}

TEST(SceneEdit, SceneRemovedWhileTheDialogIsOpenIsSkipped)
{
    TEditFarm f;
    f.Select({ 0 });
    const int id = f.Scene(0).ID;
    EXPECT_FALSE(f.Edit([&](TFormSceneEdit&) { RemoveScene(f.Farm, 0); }));
    EXPECT_EQ(f.Farm.Scenes.Count(), 1);
    const TEvent& last = f.Farm.Events.Item(f.Farm.Events.Count() - 1);
    EXPECT_EQ(last.Type, SceneEventEdit);
    EXPECT_EQ(last.Comment, SceneGoneText.arg(id));

    // With nothing selected the dialog says so and does not open.
    for (int index = 0; index < f.Farm.Scenes.Count(); ++index)
        f.Scene(index).Selected = false;
    TFormSceneEdit dialog(f.Options);
    EXPECT_FALSE(dialog.EditScenes(f.Farm));
    EXPECT_EQ(f.People.Asked.value(0), QStringLiteral("No Scenes are currently selected"));
}

TEST(SceneEdit, InitialOptionsOpenOnTheOptionsTab)
{
    TEditFarm f;
    TScene initial = InitialOptions(f.Options);
    TFormSceneEdit dialog(f.Options);
    bool renderShown = true;
    int tab = -1;
    QTimer::singleShot(0, &dialog, [&] {
        renderShown = dialog.Tabs->isTabVisible(0);
        tab = dialog.Tabs->currentIndex();
        dialog.RadioLow->setChecked(true);
        dialog.ButtonSaveDefault->click();
        dialog.ButtonOk->click();
    });
    ASSERT_TRUE(dialog.EditInitialOptions(initial));
    EXPECT_FALSE(renderShown);
    EXPECT_EQ(tab, 2);
    EXPECT_EQ(initial.Settings.Priority, 1);
    EXPECT_EQ(InitialOptions(f.Options).Settings.Priority, 1);
}

// A Remote edits its view of the scenes and sends kinds 1, 4 and 7 for the Master to apply.
TEST(SceneEdit, RemoteSendsAddEditAndReload)
{
    TEditFarm f(false);
    f.Farm.Outbox.Flush(f.Options);
    const QString copy = f.Scene(0).KestrionFilename;
    const QString before = LineOf(copy, QStringLiteral("RenderMode"));
    f.Select({ 0 });
    const int id = f.Scene(0).ID;
    ASSERT_TRUE(f.Edit([](TFormSceneEdit& d) { d.RadioQuickshade->setChecked(true); }));
    TCommand sent = f.Sent();
    EXPECT_EQ(sent.Command, ScenesEdit);
    EXPECT_EQ(sent.Arguments.mid(0, 2), (QStringList { QStringLiteral("1"), QString::number(id) }));
    TScene record;
    qsizetype index = 2;
    ReadRecord(record, sent.Arguments, index);
    EXPECT_EQ(record.Data.RenderMode, 1);
    // The Master owns the private copy.
    EXPECT_EQ(LineOf(copy, QStringLiteral("RenderMode")), before);

    TScene initial = InitialOptions(f.Options);
    initial.Settings.Priority = 3;
    ASSERT_TRUE(ReloadScenes(f.Farm, { id }, initial));
    sent = f.Sent();
    EXPECT_EQ(sent.Command, ScenesReload);
    EXPECT_EQ(sent.Arguments.value(0), QString::number(id));
    EXPECT_EQ(f.Farm.Events.Item(f.Farm.Events.Count() - 1).Type, SceneEventRemove);

    ASSERT_TRUE(AddScenes(f.Farm, { f.Scene(1).Filename }, initial));
    sent = f.Sent();
    EXPECT_EQ(sent.Command, ScenesAdd);
    EXPECT_EQ(sent.Arguments.mid(0, 2), (QStringList { QStringLiteral("1"), f.Scene(1).Filename }));
}

TEST(SceneEditLook, TheDialogTakesTheColourSchemeWhenShown)
{
    SetLookColor(ColorRef(40, 80, 120));
    TOptions options;
    TFormSceneEdit dialog(options);
    QDialog reference;
    ApplyLook(&reference);
    dialog.show();
    EXPECT_EQ(dialog.palette().color(QPalette::Window), reference.palette().color(QPalette::Window));
    dialog.hide();
}
