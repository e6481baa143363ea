#include "ui/screamers_dialog.h"

#include "farm/farm.h"
#include "options/options.h"
#include "ui/scene_edit.h"

#include "scripted_people.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct TScreamersFarm
{
    explicit TScreamersFarm(bool master = true)
    {
        Options.Master = master;
        Options.ScreamerDirectory = Dir.path();
        Farm.Overview.SetItemCount(12);
        Farm.Overview.UpdateItem(2, QStringLiteral("RENDER2"), 1, 256);
    }
    // Opens the dialog with `preselected`; `work` runs once it is up and closes it.
    QString Run(const QString& preselected, const std::function<void(TFormScreamers&)>& work)
    {
        QTimer::singleShot(0, &Dialog, [&] { work(Dialog); });
        return Dialog.Execute(preselected);
    }
    QStringList Marked() const
    {
        QStringList rows;
        for (const QListWidgetItem* item : Dialog.ListboxScreamers->selectedItems())
            rows << item->text().left(2);
        rows.sort();
        return rows;
    }

    QTemporaryDir Dir;
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };
    TFormScreamers Dialog { Farm };
};

} // namespace

TEST(ScreamersDialog, ShowsTheOverviewMarksThePreselectionAndReturnsTheChoiceOnOkOnly)
{
    TScreamersFarm f;
    QStringList lines;
    QStringList marked;
    const QString chosen = f.Run(QStringLiteral("3,x 12  40 1"), [&](TFormScreamers& dialog) {
        for (int row = 0; row < dialog.ListboxScreamers->count(); ++row)
            lines << dialog.ListboxScreamers->item(row)->text();
        marked = f.Marked();
        dialog.ListboxScreamers->item(4)->setSelected(true);
        dialog.ButtonOk->click();
    });
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[2], QStringLiteral("03    RENDER2    256mb"));
    EXPECT_EQ(lines[11], QStringLiteral("12    Unknown    1024mb"));
    // A list typed by hand is cleaned first; 40 names no screamer.
    EXPECT_EQ(marked, (QStringList { QStringLiteral("01"), QStringLiteral("03"), QStringLiteral("12") }));
    EXPECT_EQ(chosen, QStringLiteral("1 3 5 12"));

    EXPECT_EQ(f.Run(QStringLiteral("1"), [](TFormScreamers& dialog) { dialog.ButtonCancel->click(); }),
        QString());
    EXPECT_EQ(f.Dialog.result(), QDialog::Rejected);
}

TEST(ScreamersDialog, GroupsAreChosenByClickAndKeptByTheMasterInItsStoredOverview)
{
    TScreamersFarm f;
    f.People.TextAnswer = QStringLiteral("Fast\nones");
    f.Run(QString(), [&](TFormScreamers& dialog) {
        dialog.ButtonAddGroup->click(); // nothing marked yet
        dialog.ListboxScreamers->item(1)->setSelected(true);
        dialog.ListboxScreamers->item(6)->setSelected(true);
        dialog.ButtonAddGroup->click();
        dialog.ListboxScreamers->clearSelection();
        dialog.ListboxScreamers->item(0)->setSelected(true);
        dialog.ListBoxGroups->setCurrentRow(0);
        Q_EMIT dialog.ListBoxGroups->itemClicked(dialog.ListBoxGroups->item(0));
        EXPECT_EQ(dialog.SelectedNumbers(), QStringLiteral("2 7"));
        dialog.ButtonOk->click();
    });
    EXPECT_EQ(f.People.Asked,
        (QStringList { QStringLiteral("No Screamers selected to create a group."), QStringLiteral("Enter name...") }));
    ASSERT_EQ(f.Farm.Overview.GroupCount(), 1);
    EXPECT_EQ(f.Farm.Overview.Group(0).Name, QStringLiteral("Fast ones"));

    // The stored overview holds the group, so Remotes see it.
    TComputerOverview stored;
    ASSERT_EQ(stored.Load(f.Options.StateOverviewFile()), TComputerOverview::TLoadResult::Loaded);
    ASSERT_EQ(stored.GroupCount(), 1);
    EXPECT_EQ(stored.Group(0).Screamers, QStringLiteral("2 7"));

    f.People.Asked.clear();
    f.People.Answer = false;
    f.Run(QString(), [&](TFormScreamers& dialog) {
        dialog.ButtonDeleteGroup->click(); // no group marked
        dialog.ListBoxGroups->setCurrentRow(0);
        dialog.ButtonDeleteGroup->click(); // answered No
        f.People.Answer = true;
        dialog.ButtonDeleteGroup->click();
        dialog.ButtonOk->click();
    });
    EXPECT_EQ(f.People.Asked,
        (QStringList { QStringLiteral("There's no group selected."),
            QStringLiteral("Are you sure you want to delete the selected group?"),
            QStringLiteral("Are you sure you want to delete the selected group?") }));
    EXPECT_EQ(f.Farm.Overview.GroupCount(), 0);
    ASSERT_EQ(stored.Load(f.Options.StateOverviewFile()), TComputerOverview::TLoadResult::Loaded);
    EXPECT_EQ(stored.GroupCount(), 0);
}

TEST(ScreamersDialog, ARemoteShowsTheMastersStoredOverviewAndCannotChangeItsGroups)
{
    TScreamersFarm f(false);
    TComputerOverview master;
    master.SetItemCount(3);
    master.UpdateItem(0, QStringLiteral("MASTERPC"), 2, 2048);
    master.AddGroup(QStringLiteral("All"), QStringLiteral("1 2 3"));
    ASSERT_TRUE(master.Save(f.Options.StateOverviewFile()));

    bool addEnabled = true;
    bool deleteEnabled = true;
    f.Run(QString(), [&](TFormScreamers& dialog) {
        EXPECT_EQ(dialog.ListboxScreamers->count(), 3);
        EXPECT_EQ(dialog.ListboxScreamers->item(0)->text(), QStringLiteral("1    MASTERPC    2048mb"));
        EXPECT_EQ(dialog.ListBoxGroups->count(), 1);
        addEnabled = dialog.ButtonAddGroup->isEnabled();
        deleteEnabled = dialog.ButtonDeleteGroup->isEnabled();
        dialog.ButtonOk->click();
    });
    EXPECT_FALSE(addEnabled);
    EXPECT_FALSE(deleteEnabled);
}

TEST(ScreamersDialog, TheSceneEditDotsPutTheChosenNumbersIntoTheSelectedScreamersField)
{
    TScreamersFarm f;
    TFormSceneEdit edit(f.Options, &f.Dialog);
    edit.EditRenderSelected->setText(QStringLiteral("2"));
    edit.CheckBoxRenderSelected->setChecked(false);
    EXPECT_FALSE(edit.ButtonRenderSelected->isEnabled());
    edit.CheckBoxRenderSelected->setChecked(true);
    EXPECT_TRUE(edit.ButtonRenderSelected->isEnabled());

    QTimer::singleShot(0, &f.Dialog, [&] {
        f.Dialog.ListboxScreamers->item(8)->setSelected(true);
        f.Dialog.ButtonOk->click();
    });
    edit.ButtonRenderSelected->click();
    EXPECT_EQ(edit.EditRenderSelected->text(), QStringLiteral("2 9"));

    QTimer::singleShot(0, &f.Dialog, [&] { f.Dialog.ButtonCancel->click(); });
    edit.ButtonRenderSelected->click();
    EXPECT_EQ(edit.EditRenderSelected->text(), QStringLiteral("2 9"));

    // Without the dialog (the tests' and the initial options' plain use) the dots stay off.
    TFormSceneEdit plain(f.Options);
    plain.CheckBoxRenderSelected->setChecked(true);
    EXPECT_FALSE(plain.ButtonRenderSelected->isEnabled());
}
