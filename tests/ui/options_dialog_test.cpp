#include "ui/options_dialog.h"

#include "options/ini_file.h"
#include "options/options.h"
#include "ui/look.h"

#include "modal_dialog.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// The options of a first start, as a new options file gives them.
struct TOptionsFixture
{
    TOptionsFixture()
        : Options(Dir.filePath(QStringLiteral("Options.ini")))
    {
        Options.Load();
    }
    // Every setting, as the options file would hold it.
    QStringList Settings() const
    {
        TIniFile ini;
        Options.WriteSettings(ini);
        return ini.Lines();
    }
    // Opens the dialog: `work` runs once it is up and closes it.
    bool Run(TFormOptions& dialog, const std::function<void()>& work)
    {
        QTimer::singleShot(0, &dialog, work);
        return dialog.Execute();
    }

    QTemporaryDir Dir;
    TOptions Options;
};

} // namespace

TEST(OptionsDialog, NumbersOutOfTheirBoundsKeepTheOldSettingTextsAreTakenAsTyped)
{
    TOptionsFixture f;
    TFormOptions dialog(f.Options);
    dialog.ShowOptions();
    dialog.EditMasterRenderInterval->setText(QStringLiteral("50"));
    dialog.EditSaverSeconds->setText(QStringLiteral("5"));
    dialog.EditSaverPercentage->setText(QStringLiteral("101"));
    dialog.EditMasterScreamerFrames->setText(QStringLiteral("three"));
    dialog.EditMasterScreamerComputers->setText(QStringLiteral("2147483648"));
    dialog.EditEventsClearMajor->setText(QStringLiteral("0"));
    dialog.EditRemoteUpdateAutomatic->setText(QStringLiteral("12"));
    dialog.EditScreamerNumbers->setText(QStringLiteral(" 3,  5  7 "));
    dialog.EditRemoteSendTCPIPMaster->clear();
    dialog.TakeOptions();
    EXPECT_EQ(f.Options.MasterRenderInterval, 1000);
    EXPECT_EQ(f.Options.SaverSeconds, 300);
    EXPECT_EQ(f.Options.SaverPercentage, 95);
    EXPECT_EQ(f.Options.MasterScreamerFrames, 1);
    EXPECT_EQ(f.Options.MasterScreamerComputers, 9);
    EXPECT_EQ(f.Options.EventsClearTimeMajor, 24);
    EXPECT_EQ(f.Options.RemoteUpdateAutomaticTime, 12);
    EXPECT_EQ(f.Options.ScreamerNumbers, QStringLiteral("3 5 7"));
    EXPECT_EQ(f.Options.RemoteSendTCPIPMaster, QString());

    // The bounds themselves are allowed.
    dialog.EditMasterRenderInterval->setText(QStringLiteral("100"));
    dialog.EditSaverSeconds->setText(QStringLiteral("10"));
    dialog.EditSaverPercentage->setText(QStringLiteral("0"));
    dialog.TakeOptions();
    EXPECT_EQ(f.Options.MasterRenderInterval, 100);
    EXPECT_EQ(f.Options.SaverSeconds, 10);
    EXPECT_EQ(f.Options.SaverPercentage, 0);
}

TEST(OptionsDialog, OkTakesEveryFieldBackAndShowingAgainShowsThem)
{
    TOptionsFixture f;
    TFormOptions dialog(f.Options);
    dialog.ShowOptions();
    dialog.CheckBoxScenesVerify->setChecked(false);
    dialog.CheckBoxEventsFile->setChecked(true);
    dialog.EditEventsFile->setText(QStringLiteral("/farm/events.log"));
    dialog.EditScreamerName->setText(QStringLiteral("Osprey"));
    dialog.CheckBoxLookTray->setChecked(false);
    dialog.SetPanelColor(ColorRef(10, 20, 30));
    dialog.TakeOptions();
    const QStringList taken = f.Settings();
    EXPECT_FALSE(f.Options.MasterScenesVerify);
    EXPECT_TRUE(f.Options.EventsFile);
    EXPECT_EQ(f.Options.EventsFileName, QStringLiteral("/farm/events.log"));
    EXPECT_EQ(f.Options.ScreamerName, QStringLiteral("Osprey"));
    EXPECT_FALSE(f.Options.LookTray);
    EXPECT_EQ(f.Options.LookColorR, 10);
    EXPECT_EQ(f.Options.LookColorG, 20);
    EXPECT_EQ(f.Options.LookColorB, 30);

    // A dialog that shows the options and takes them back unchanged changes none.
    TFormOptions again(f.Options);
    again.ShowOptions();
    again.TakeOptions();
    EXPECT_EQ(f.Settings(), taken);
}

TEST(OptionsDialog, CopyingFramesNeedsAutomaticUpdates)
{
    TOptionsFixture f;
    TFormOptions dialog(f.Options);
    dialog.ShowOptions();
    ASSERT_FALSE(dialog.CheckBoxRemoteUpdateAutomatic->isChecked());
    EXPECT_FALSE(dialog.EditRemoteUpdateAutomatic->isEnabled());
    dialog.CheckBoxRemoteAllowCopy->click();
    EXPECT_TRUE(dialog.CheckBoxRemoteUpdateAutomatic->isChecked());
    EXPECT_TRUE(dialog.EditRemoteUpdateAutomatic->isEnabled());
    dialog.CheckBoxRemoteUpdateAutomatic->click();
    EXPECT_FALSE(dialog.CheckBoxRemoteAllowCopy->isChecked());

    // Options that allow copying without updates are shown, and taken back, with both.
    f.Options.RemoteAllowCopy = true;
    f.Options.RemoteUpdateAutomatic = false;
    dialog.ShowOptions();
    EXPECT_TRUE(dialog.CheckBoxRemoteAllowCopy->isChecked());
    EXPECT_TRUE(dialog.CheckBoxRemoteUpdateAutomatic->isChecked());
    dialog.TakeOptions();
    EXPECT_TRUE(f.Options.RemoteUpdateAutomatic);
}

TEST(OptionsDialog, FieldsAreEnabledByTheirBoxesAndTheGreyedOnesStayGreyed)
{
    TOptionsFixture f;
    f.Options.MasterScanTCPIP = true;
    f.Options.RemoteSendTCPIP = true;
    f.Options.MasterScenesRemove = true;
    f.Options.CommunicationEmail = true;
    f.Options.CommunicationEmailDial = false;
    TFormOptions dialog(f.Options);
    dialog.ShowOptions();
    // Loaded values show even where the user cannot change them.
    EXPECT_TRUE(dialog.CheckBoxMasterScanTCPIP->isChecked());
    EXPECT_TRUE(dialog.RadioButtonRemoteSendTCPIP->isChecked());
    EXPECT_TRUE(dialog.EditScenesRemove->isEnabled());
    EXPECT_TRUE(dialog.EditRemoteSendTCPIPMaster->isEnabled());
    EXPECT_TRUE(dialog.EditMasterTCPIPAllow->isEnabled());
    EXPECT_TRUE(dialog.RadioButtonRemoteSendTCPIP->isEnabled());
    EXPECT_FALSE(dialog.CheckBoxRemoteUpdateCommands->isEnabled());
    EXPECT_TRUE(dialog.EditCommunicationEmailSmtp->isEnabled());
    EXPECT_FALSE(dialog.EditCommunicationEmailAccount->isEnabled());
    // Without a mail sender or a screamers dialog their buttons do nothing, so they are greyed.
    EXPECT_FALSE(dialog.ButtonCommunicationEmailTest->isEnabled());
    EXPECT_FALSE(dialog.Button1->isEnabled());

    dialog.RadioButtonRemoteSendFile->click();
    EXPECT_FALSE(dialog.EditRemoteSendTCPIPMaster->isEnabled());
    EXPECT_TRUE(dialog.CheckBoxRemoteUpdateCommands->isEnabled());
    dialog.RadioButtonRemoteSendTCPIP->click();
    EXPECT_TRUE(dialog.EditRemoteSendTCPIPMaster->isEnabled());
    dialog.RadioButtonRemoteSendFile->click();
    dialog.CheckBoxMasterScanTCPIP->click();
    EXPECT_FALSE(dialog.EditMasterTCPIPAllow->isEnabled());
    for (QLabel* caption : dialog.findChildren<QLabel*>())
        EXPECT_TRUE(caption->buddy() != dialog.EditMasterTCPIPAllow || !caption->isEnabled());
    dialog.CheckBoxMasterScanTCPIP->click();
    EXPECT_TRUE(dialog.EditMasterTCPIPAllow->isEnabled());
    dialog.CheckBoxCommunicationEmailDial->click();
    EXPECT_TRUE(dialog.EditCommunicationEmailAccount->isEnabled());
    dialog.CheckBoxCommunicationEmail->click();
    EXPECT_FALSE(dialog.EditCommunicationEmailAccount->isEnabled());
    EXPECT_FALSE(dialog.EditCommunicationEmailAddress->isEnabled());
    for (QLabel* caption : dialog.findChildren<QLabel*>())
        EXPECT_TRUE(caption->buddy() != dialog.EditCommunicationEmailAddress || !caption->isEnabled());
    dialog.CheckBoxSaverEnabled->click();
    EXPECT_FALSE(dialog.EditSaverPercentage->isEnabled());
    EXPECT_FALSE(dialog.CheckBoxSaverNoise->isEnabled());
    dialog.CheckBoxEventsFile->click();
    EXPECT_TRUE(dialog.ButtonEventsFile->isEnabled());

    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (box->isEnabled())
            box->click();
    for (QWidget* greyed :
        std::initializer_list<QWidget*> { dialog.CheckBoxScenesRemove, dialog.EditScreamerInterval,
            dialog.CheckBoxCommunicationFax, dialog.EditCommunicationFax, dialog.ButtonCommunicationFaxSetup,
            dialog.ButtonCommunicationFaxTest, dialog.CheckBoxCommunicationPager,
            dialog.EditCommunicationPager, dialog.ButtonCommunicationPagerTest })
        EXPECT_FALSE(greyed->isEnabled()) << greyed->metaObject()->className();
    dialog.TakeOptions();
    // Every enabled box was clicked once more.
    EXPECT_FALSE(f.Options.MasterScanTCPIP);
    EXPECT_FALSE(f.Options.RemoteSendTCPIP);
}

TEST(OptionsDialog, OkKeepsTheDialogOpenOnAnAllowListItCannotRead)
{
    TOptionsFixture f;
    f.Options.Master = true;
    const QStringList before = f.Settings();
    TFormOptions dialog(f.Options);
    QStringList told;
    dialog.Inform = [&told](const QString& text) { told << text; };
    bool stayed = false;
    bool onMasterPage = false;
    const bool ok = f.Run(dialog, [&] {
        dialog.Tabs->setCurrentWidget(dialog.TabLook);
        dialog.CheckBoxMasterScanTCPIP->click();
        dialog.EditMasterTCPIPAllow->setText(QStringLiteral("192.168.1.0/24, render-07"));
        dialog.ButtonOk->click();
        stayed = dialog.isVisible();
        onMasterPage = dialog.Tabs->currentWidget() == dialog.TabMaster;
        // Nothing is taken while the dialog stays open.
        EXPECT_EQ(f.Settings(), before);
        dialog.EditMasterTCPIPAllow->setText(QStringLiteral("192.168.1.0/24, 10.0.0.7"));
        dialog.ButtonOk->click();
    });
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(onMasterPage);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("\"render-07\""))) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains(QStringLiteral("192.168.1.7"))) << told[0].toStdString();
    EXPECT_TRUE(ok);
    EXPECT_TRUE(f.Options.MasterScanTCPIP);
    EXPECT_EQ(f.Options.MasterTCPIPAllow, QStringLiteral("192.168.1.0/24, 10.0.0.7"));

    // Shown again as stored.
    TFormOptions again(f.Options);
    again.ShowOptions();
    EXPECT_EQ(again.EditMasterTCPIPAllow->text(), QStringLiteral("192.168.1.0/24, 10.0.0.7"));
}

TEST(OptionsDialog, TheStatusPageHasAPortAnAddressAndTheAllowList)
{
    TOptionsFixture f;
    f.Options.Master = true;
    TFormOptions dialog(f.Options);
    QStringList told;
    dialog.Inform = [&told](const QString& text) { told << text; };
    const bool ok = f.Run(dialog, [&] {
        dialog.ShowOptions();
        EXPECT_EQ(dialog.EditMasterWebPort->text(), QStringLiteral("0"));
        EXPECT_FALSE(dialog.EditMasterWebAddress->isEnabled()) << "no page, no address";
        EXPECT_FALSE(dialog.EditMasterTCPIPAllow->isEnabled());
        // A port opens the address and the allow-list, which applies to the page as well.
        dialog.EditMasterWebPort->setText(QStringLiteral("8080"));
        EXPECT_TRUE(dialog.EditMasterWebAddress->isEnabled());
        EXPECT_TRUE(dialog.EditMasterTCPIPAllow->isEnabled());
        dialog.EditMasterWebAddress->setText(QStringLiteral("render-master"));
        dialog.ButtonOk->click();
        EXPECT_TRUE(dialog.isVisible()) << "a name is no address to listen on";
        dialog.EditMasterWebAddress->setText(QStringLiteral(" 0.0.0.0 "));
        dialog.ButtonOk->click();
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(QStringLiteral("0.0.0.0"))) << told[0].toStdString();
    EXPECT_EQ(f.Options.MasterWebPort, 8080);
    EXPECT_EQ(f.Options.MasterWebAddress, QStringLiteral("0.0.0.0"));
}

TEST(OptionsDialog, AnAllowListTheUserCannotMendThereDoesNotHoldOkUp)
{
    // Switched off: kept as typed for later, the Master reads it when the port opens.
    TOptionsFixture f;
    f.Options.Master = true;
    f.Options.MasterTCPIPAllow = QStringLiteral("render-07");
    TFormOptions dialog(f.Options);
    int told = 0;
    dialog.Inform = [&told](const QString&) { ++told; };
    EXPECT_TRUE(f.Run(dialog, [&] { dialog.ButtonOk->click(); }));
    EXPECT_EQ(told, 0);
    EXPECT_EQ(f.Options.MasterTCPIPAllow, QStringLiteral("render-07"));

    // A Remote's dialog hides the Master's page.
    f.Options.Master = false;
    f.Options.MasterScanTCPIP = true;
    EXPECT_TRUE(f.Run(dialog, [&] { dialog.ButtonOk->click(); }));
    EXPECT_EQ(told, 0);
    EXPECT_TRUE(f.Options.MasterScanTCPIP);

    // An empty list is everyone, and fine.
    f.Options.Master = true;
    f.Options.MasterTCPIPAllow.clear();
    EXPECT_TRUE(f.Run(dialog, [&] { dialog.ButtonOk->click(); }));
    EXPECT_EQ(told, 0);
}

TEST(OptionsDialog, ShowsThePageOfItsMode)
{
    TOptionsFixture f;
    f.Options.Master = true;
    TFormOptions dialog(f.Options);
    dialog.ShowOptions();
    EXPECT_TRUE(dialog.Tabs->isTabVisible(dialog.Tabs->indexOf(dialog.TabMaster)));
    EXPECT_FALSE(dialog.Tabs->isTabVisible(dialog.Tabs->indexOf(dialog.TabRemote)));
    EXPECT_EQ(dialog.Tabs->currentWidget(), dialog.TabMaster);

    // A page of both modes stays open; the other mode's page gives way to this one's.
    dialog.Tabs->setCurrentWidget(dialog.TabLook);
    f.Options.Master = false;
    dialog.ShowOptions();
    EXPECT_EQ(dialog.Tabs->currentWidget(), dialog.TabLook);
    EXPECT_TRUE(dialog.Tabs->isTabVisible(dialog.Tabs->indexOf(dialog.TabRemote)));
    EXPECT_FALSE(dialog.Tabs->isTabVisible(dialog.Tabs->indexOf(dialog.TabMaster)));
    dialog.Tabs->setCurrentWidget(dialog.TabRemote);
    f.Options.Master = true;
    dialog.ShowOptions();
    EXPECT_EQ(dialog.Tabs->currentWidget(), dialog.TabMaster);
}

TEST(OptionsDialog, ConfigDirectoryFollowsTheNodeProgram)
{
    TOptionsFixture f;
    TFormOptions dialog(f.Options);
    dialog.ShowOptions();
    ASSERT_EQ(dialog.EditScreamerConfig->text(), NoneText);
    dialog.EditScreamerFilename->setText(QStringLiteral("C:\\LW\\Programs\\lwsn.exe"));
    dialog.TakeOptions();
    EXPECT_EQ(f.Options.ScreamerConfig, QStringLiteral("C:\\LW\\Programs"));

    // A program without a directory names no configuration directory either.
    f.Options.ScreamerConfig = NoneText;
    dialog.ShowOptions();
    dialog.EditScreamerFilename->setText(QStringLiteral("lwsn"));
    dialog.TakeOptions();
    EXPECT_EQ(f.Options.ScreamerConfig, NoneText);

    // Picking the program fills both fields; the picker lists programs and directories only.
    const QString program = f.Dir.filePath(QStringLiteral("lwsn"));
    for (const QString& path : { program, f.Dir.filePath(QStringLiteral("notes.txt")) }) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    dialog.EditScreamerFilename->setText(f.Dir.filePath(QStringLiteral("old")));
    QStringList listed;
    QTimer::singleShot(0, &dialog, [&] {
        auto* files = WaitForModal<QFileDialog>();
        if (!files)
            return;
        QAbstractItemModel* model = files->proxyModel();
        const auto names = [&] {
            listed.clear();
            const QModelIndex directory = files->proxyModel()->mapFromSource(
                files->findChild<QFileSystemModel*>()->index(f.Dir.path()));
            for (int row = 0; row < model->rowCount(directory); ++row)
                listed << model->index(row, 0, directory).data().toString();
            return !listed.isEmpty();
        };
        EXPECT_TRUE(QTest::qWaitFor(names, 5000));
        // Typed, as selectFile does not reach the view through the filter.
        if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(QStringLiteral("lwsn"));
        static_cast<QDialog*>(files)->accept();
        if (files->isVisible())
            static_cast<QDialog*>(files)->reject();
    });
    dialog.ButtonScreamerFilename->click();
    EXPECT_EQ(listed, QStringList { QStringLiteral("lwsn") });
    EXPECT_EQ(dialog.EditScreamerFilename->text(), program);
    EXPECT_EQ(dialog.EditScreamerConfig->text(), f.Dir.path());
}

TEST(OptionsDialog, PickersColourTestAndScreamersButtons)
{
    TOptionsFixture f;
    TFormOptions dialog(f.Options);
    QStringList offered;
    dialog.ChooseDirectory = [&offered](QString& directory) {
        offered << directory;
        directory = QStringLiteral("/farm/commands");
        return true;
    };
    int screamers = 0;
    dialog.ShowScreamers = [&screamers] { ++screamers; };
    dialog.ShowOptions();
    dialog.ButtonScreamerDirectory->click();
    EXPECT_EQ(dialog.EditScreamerDirectory->text(), QStringLiteral("/farm/commands"));
    EXPECT_EQ(offered, QStringList { NoneText });
    dialog.Button1->click();
    EXPECT_EQ(screamers, 1);

    QTimer::singleShot(0, &dialog, [] {
        if (auto* colours = WaitForModal<QColorDialog>()) {
            colours->setCurrentColor(QColor(200, 100, 50));
            static_cast<QDialog*>(colours)->accept();
        }
    });
    dialog.PanelLookColor->click();
    EXPECT_EQ(dialog.PanelColor(), ColorRef(200, 100, 50));
    dialog.TakeOptions();
    EXPECT_EQ(f.Options.LookColorR, 200);
    EXPECT_EQ(f.Options.LookColorG, 100);
    EXPECT_EQ(f.Options.LookColorB, 50);
}

TEST(OptionsDialog, CancelAfterTestChangesNothing)
{
    TOptionsFixture f;
    const QStringList before = f.Settings();
    TFormOptions dialog(f.Options);
    QStringList mailed;
    dialog.TestMail = [&mailed](
                          bool dial, const QString& account, const QString& smtp, const QString& address) {
        mailed << (dial ? QStringLiteral("dial") : QStringLiteral("no dial")) << account << smtp << address;
    };
    const bool ok = f.Run(dialog, [&dialog] {
        dialog.CheckBoxCommunicationEmail->click();
        dialog.CheckBoxCommunicationEmailDial->click();
        dialog.EditCommunicationEmailSmtp->setText(QStringLiteral("mail.example.org"));
        dialog.EditCommunicationEmailAddress->setText(QStringLiteral("farm@example.org"));
        dialog.EditMasterRenderInterval->setText(QStringLiteral("250"));
        EXPECT_TRUE(dialog.ButtonCommunicationEmailTest->isEnabled());
        dialog.ButtonCommunicationEmailTest->click();
        dialog.ButtonCancel->click();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(mailed,
        (QStringList { QStringLiteral("no dial"), NoneText, QStringLiteral("mail.example.org"),
            QStringLiteral("farm@example.org") }));
    EXPECT_EQ(f.Settings(), before);
}

TEST(OptionsDialog, TakesTheColourSchemeWhenShown)
{
    SetLookColor(ColorRef(40, 80, 120));
    TOptionsFixture f;
    TFormOptions dialog(f.Options);
    QDialog reference;
    ApplyLook(&reference);
    dialog.ShowOptions();
    dialog.show();
    EXPECT_EQ(dialog.palette().color(QPalette::Window), reference.palette().color(QPalette::Window));
    dialog.hide();
}
