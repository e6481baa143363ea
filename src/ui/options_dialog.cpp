#include "ui/options_dialog.h"

#include "options/options.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/text_routines.h"
#include "ui/dialog_buttons.h"
#include "ui/directory_box.h"
#include "ui/help.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <limits>

namespace {

const QString HelpTopic = QStringLiteral("IDH_StartOptions");
const QString ScreamerFileFilter = QStringLiteral("Screamer File (*)");
const QString EventsFileFilter = QStringLiteral("LogFile (*.log)");
constexpr int Max = std::numeric_limits<int>::max();

// Node programs here carry no extension to filter by: the dialog lists what can be run.
class TExecutableFiles : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

QLineEdit* NumberEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000000000")) + 12);
    return edit;
}

// The caption of a field; it greys with its field.
QLabel* Caption(const QString& text, QWidget* field)
{
    auto* label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

QFrame* Line(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// A page's grid: captions in column 0, fields in column 1, "..." buttons in column 2; room
// left over goes to the right of short fields, or into the fields when `wideFields`.
QGridLayout* PageGrid(QWidget* page, bool wideFields)
{
    auto* grid = new QGridLayout(page);
    grid->setColumnStretch(wideFields ? 1 : 3, 1);
    return grid;
}

void EndPage(QGridLayout* grid)
{
    grid->setRowStretch(grid->rowCount(), 1);
}

void Disable(std::initializer_list<QWidget*> widgets)
{
    for (QWidget* widget : widgets)
        widget->setEnabled(false);
}

QString NumberText(int number)
{
    return QString::number(number);
}

// "(none)" stands for no path: a file dialog starts where it likes instead.
QString StartPath(const QString& text)
{
    return text == NoneText ? QString() : text;
}

QPixmap Swatch(TColorRef colour)
{
    QPixmap swatch(64, 24);
    swatch.fill(ToQColor(colour));
    return swatch;
}

} // namespace

TFormOptions::TFormOptions(TOptions& options, QWidget* parent)
    : QDialog(parent)
    , Tabs(new QTabWidget(this))
    , ButtonOk(new QPushButton(QStringLiteral("&Ok"), this))
    , ButtonCancel(new QPushButton(QStringLiteral("&Cancel"), this))
    , ButtonHelp(new QPushButton(QStringLiteral("&Help"), this))
    , FOptions(options)
    , FFormDirectory(new TFormDirectory(this))
{
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    TabMaster = BuildMaster();
    TabRemote = BuildRemote();
    TabScreamer = BuildScreamer();
    TabEvents = BuildEvents();
    TabDorezoDizaz = BuildDorezoDizaz();
    TabCommunication = BuildCommunication();
    TabLook = BuildLook();
    Tabs->addTab(TabMaster, QStringLiteral("Master"));
    Tabs->addTab(TabRemote, QStringLiteral("Remote"));
    Tabs->addTab(TabScreamer, QStringLiteral("Screamer"));
    Tabs->addTab(TabEvents, QStringLiteral("Events"));
    Tabs->addTab(TabDorezoDizaz, QStringLiteral("DorezoDizaz"));
    Tabs->addTab(TabCommunication, QStringLiteral("Communication"));
    Tabs->addTab(TabLook, QStringLiteral("Look"));

    PlacePagesAndButtons(*this, Tabs, ButtonOk, ButtonCancel, ButtonHelp);

    ChooseDirectory = [this](QString& directory) { return FFormDirectory->Choose(directory); };
    ConnectRules();
}

QWidget* TFormOptions::BuildMaster()
{
    auto* page = new QWidget(this);
    QGridLayout* grid = PageGrid(page, false);
    EditMasterScreamerComputers = NumberEdit(page);
    EditMasterScreamerFrames = NumberEdit(page);
    EditMasterRenderInterval = NumberEdit(page);
    CheckBoxMasterScreamerOldstyle
        = new QCheckBox(QStringLiteral("  Old style Screamer (before Lightwave 5.5 252)"), page);
    CheckBoxScenesRemove
        = new QCheckBox(QStringLiteral("  Remove rendered scenes from scenelist (after ... minutes)"), page);
    EditScenesRemove = NumberEdit(page);
    CheckBoxScenesVerify = new QCheckBox(
        QStringLiteral("  When all scenes are at 100%, verify, though not all Screamers might be finished"),
        page);
    CheckBoxMasterScanRemote = new QCheckBox(QStringLiteral(" Check for remote file commands"), page);
    CheckBoxMasterScanTCPIP = new QCheckBox(QStringLiteral(" Check for remote TCP/IP commands"), page);
    grid->addWidget(
        Caption(QStringLiteral("Highest number of Screamer in the network"), EditMasterScreamerComputers), 0,
        0);
    grid->addWidget(EditMasterScreamerComputers, 0, 1);
    grid->addWidget(
        Caption(QStringLiteral("Number of frames sent at a time"), EditMasterScreamerFrames), 1, 0);
    grid->addWidget(EditMasterScreamerFrames, 1, 1);
    grid->addWidget(
        Caption(QStringLiteral("Check interval for Screamer and remote commands ( ... milliseconds)"),
            EditMasterRenderInterval),
        2, 0);
    grid->addWidget(EditMasterRenderInterval, 2, 1);
    grid->addWidget(CheckBoxMasterScreamerOldstyle, 3, 0, 1, 4);
    grid->addWidget(CheckBoxScenesRemove, 4, 0);
    grid->addWidget(EditScenesRemove, 4, 1);
    grid->addWidget(CheckBoxScenesVerify, 5, 0, 1, 4);
    grid->addWidget(CheckBoxMasterScanRemote, 6, 0, 1, 4);
    grid->addWidget(CheckBoxMasterScanTCPIP, 7, 0, 1, 4);
    EndPage(grid);
    Disable({ CheckBoxScenesRemove, CheckBoxMasterScanTCPIP });
    return page;
}

QWidget* TFormOptions::BuildRemote()
{
    auto* page = new QWidget(this);
    QGridLayout* grid = PageGrid(page, false);
    CheckBoxRemoteUpdateCommands = new QCheckBox(QStringLiteral("  Update after every command"), page);
    CheckBoxRemoteUpdateAutomatic
        = new QCheckBox(QStringLiteral("  Update automatically every ... minutes"), page);
    EditRemoteUpdateAutomatic = NumberEdit(page);
    CheckBoxRemoteAllowCopy = new QCheckBox(
        QStringLiteral("  Allow the computer to copy/import frames when a scene is rendered"), page);
    RadioButtonRemoteSendFile = new QRadioButton(QStringLiteral(" Send file commands to Master"), page);
    RadioButtonRemoteSendTCPIP = new QRadioButton(QStringLiteral(" Send TCP/IP commands to Master"), page);
    EditRemoteSendTCPIPMaster = new QLineEdit(page);
    grid->addWidget(CheckBoxRemoteUpdateCommands, 0, 0, 1, 4);
    grid->addWidget(CheckBoxRemoteUpdateAutomatic, 1, 0);
    grid->addWidget(EditRemoteUpdateAutomatic, 1, 1);
    grid->addWidget(CheckBoxRemoteAllowCopy, 2, 0, 1, 4);
    grid->addWidget(Line(page), 3, 0, 1, 4);
    grid->addWidget(RadioButtonRemoteSendFile, 4, 0, 1, 4);
    grid->addWidget(RadioButtonRemoteSendTCPIP, 5, 0, 1, 4);
    grid->addWidget(
        Caption(QStringLiteral("IP address of Master computer"), EditRemoteSendTCPIPMaster), 6, 0);
    grid->addWidget(EditRemoteSendTCPIPMaster, 6, 1, 1, 2);
    EndPage(grid);
    Disable({ RadioButtonRemoteSendTCPIP });
    return page;
}

QWidget* TFormOptions::BuildScreamer()
{
    auto* page = new QWidget(this);
    QGridLayout* grid = PageGrid(page, true);
    const auto path = [&](int row, const QString& caption, QLineEdit*& edit, QPushButton*& button) {
        edit = new QLineEdit(page);
        button = DotsButton(page);
        grid->addWidget(Caption(caption, edit), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(button, row, 2);
    };
    path(0, QStringLiteral("Commands directory"), EditScreamerDirectory, ButtonScreamerDirectory);
    path(1, QStringLiteral("Screamer file"), EditScreamerFilename, ButtonScreamerFilename);
    path(2, QStringLiteral("Screamer config file or directory"), EditScreamerConfig, ButtonScreamerConfig);
    EditConfigNumber = NumberEdit(page);
    EditScreamerNumbers = new QLineEdit(page);
    EditScreamerName = new QLineEdit(page);
    EditScreamerInterval = NumberEdit(page);
    CheckBoxScreamerHide = new QCheckBox(QStringLiteral("  Hide Screamer window"), page);
    CheckBoxScreamerPriorityIdle = new QCheckBox(
        QStringLiteral("  Give Screamer lowest possible priority (so you can keep working while rendering)"),
        page);
    Button1 = new QPushButton(QStringLiteral("Overview of current Screamers"), page);
    grid->addWidget(Caption(QStringLiteral("Config Number"), EditConfigNumber), 3, 0);
    grid->addWidget(EditConfigNumber, 3, 1, Qt::AlignLeft);
    grid->addWidget(Caption(QStringLiteral("Screamer processor number(s)"), EditScreamerNumbers), 4, 0);
    grid->addWidget(EditScreamerNumbers, 4, 1);
    grid->addWidget(Caption(QStringLiteral("Screamer name"), EditScreamerName), 5, 0);
    grid->addWidget(EditScreamerName, 5, 1);
    grid->addWidget(Caption(QStringLiteral("Screamer check interval (seconds)"), EditScreamerInterval), 6, 0);
    grid->addWidget(EditScreamerInterval, 6, 1, Qt::AlignLeft);
    grid->addWidget(CheckBoxScreamerHide, 7, 0, 1, 3);
    grid->addWidget(CheckBoxScreamerPriorityIdle, 8, 0, 1, 3);
    grid->addWidget(Button1, 9, 0, Qt::AlignLeft);
    EndPage(grid);
    Disable({ EditScreamerInterval });
    return page;
}

QWidget* TFormOptions::BuildEvents()
{
    auto* page = new QWidget(this);
    QGridLayout* grid = PageGrid(page, true);
    CheckBoxEventsFile = new QCheckBox(QStringLiteral("  Log events in file"), page);
    EditEventsFile = new QLineEdit(page);
    ButtonEventsFile = DotsButton(page);
    CheckBoxEventsClearMajor = new QCheckBox(QStringLiteral("  Remove major events (after ... hours)"), page);
    EditEventsClearMajor = NumberEdit(page);
    CheckBoxEventsClearMinor
        = new QCheckBox(QStringLiteral("  Clear minor events (after ... minutes)"), page);
    EditEventsClearMinor = NumberEdit(page);
    // The file gets a row of its own, wide enough for a path on a share.
    grid->addWidget(CheckBoxEventsFile, 0, 0, 1, 3);
    grid->addWidget(EditEventsFile, 1, 0, 1, 2);
    grid->addWidget(ButtonEventsFile, 1, 2);
    grid->addWidget(CheckBoxEventsClearMajor, 2, 0);
    grid->addWidget(EditEventsClearMajor, 2, 1, Qt::AlignLeft);
    grid->addWidget(CheckBoxEventsClearMinor, 3, 0);
    grid->addWidget(EditEventsClearMinor, 3, 1, Qt::AlignLeft);
    EndPage(grid);
    return page;
}

QWidget* TFormOptions::BuildDorezoDizaz()
{
    auto* page = new QWidget(this);
    QGridLayout* grid = PageGrid(page, false);
    CheckBoxSaverEnabled = new QCheckBox(QStringLiteral("  Start DorezoDizaz after ... seconds"), page);
    EditSaverSeconds = NumberEdit(page);
    EditSaverPercentage = NumberEdit(page);
    CheckBoxSaverNoise = new QCheckBox(QStringLiteral("  Make noise when saver is about to start"), page);
    grid->addWidget(CheckBoxSaverEnabled, 0, 0);
    grid->addWidget(EditSaverSeconds, 0, 1);
    grid->addWidget(Caption(QStringLiteral("Idle time percentage"), EditSaverPercentage), 1, 0);
    grid->addWidget(EditSaverPercentage, 1, 1);
    grid->addWidget(CheckBoxSaverNoise, 2, 0, 1, 4);
    EndPage(grid);
    return page;
}

QWidget* TFormOptions::BuildCommunication()
{
    auto* page = new QWidget(this);
    QGridLayout* grid = PageGrid(page, true);
    EditCommunicationInterval = NumberEdit(page);
    CheckBoxCommunicationEmail = new QCheckBox(QStringLiteral("  E-mail"), page);
    CheckBoxCommunicationEmailDial = new QCheckBox(QStringLiteral("    Dial account"), page);
    EditCommunicationEmailAccount = new QLineEdit(page);
    EditCommunicationEmailSmtp = new QLineEdit(page);
    EditCommunicationEmailAddress = new QLineEdit(page);
    ButtonCommunicationEmailTest = new QPushButton(QStringLiteral("Test"), page);
    CheckBoxCommunicationFax = new QCheckBox(QStringLiteral("  Fax"), page);
    EditCommunicationFax = new QLineEdit(page);
    ButtonCommunicationFaxSetup = DotsButton(page);
    ButtonCommunicationFaxTest = new QPushButton(QStringLiteral("Test"), page);
    CheckBoxCommunicationPager = new QCheckBox(QStringLiteral("  Pager"), page);
    EditCommunicationPager = new QLineEdit(page);
    ButtonCommunicationPagerTest = new QPushButton(QStringLiteral("Test"), page);
    grid->addWidget(
        Caption(QStringLiteral("Send status and warnigs (every ... minutes)"), EditCommunicationInterval), 0,
        0);
    grid->addWidget(EditCommunicationInterval, 0, 1, Qt::AlignLeft);
    grid->addWidget(Line(page), 1, 0, 1, 4);
    grid->addWidget(CheckBoxCommunicationEmail, 2, 0);
    grid->addWidget(ButtonCommunicationEmailTest, 2, 3);
    grid->addWidget(CheckBoxCommunicationEmailDial, 3, 0);
    grid->addWidget(EditCommunicationEmailAccount, 3, 1, 1, 2);
    grid->addWidget(Caption(QStringLiteral("SMTP server"), EditCommunicationEmailSmtp), 4, 0);
    grid->addWidget(EditCommunicationEmailSmtp, 4, 1, 1, 2);
    grid->addWidget(Caption(QStringLiteral("E-mail address"), EditCommunicationEmailAddress), 5, 0);
    grid->addWidget(EditCommunicationEmailAddress, 5, 1, 1, 2);
    grid->addWidget(Line(page), 6, 0, 1, 4);
    grid->addWidget(CheckBoxCommunicationFax, 7, 0);
    grid->addWidget(EditCommunicationFax, 7, 1);
    grid->addWidget(ButtonCommunicationFaxSetup, 7, 2);
    grid->addWidget(ButtonCommunicationFaxTest, 7, 3);
    grid->addWidget(CheckBoxCommunicationPager, 8, 0);
    grid->addWidget(Caption(QStringLiteral("Number to dial"), EditCommunicationPager), 9, 0);
    grid->addWidget(EditCommunicationPager, 9, 1, 1, 2);
    grid->addWidget(ButtonCommunicationPagerTest, 9, 3);
    EndPage(grid);
    // Fax and pager never worked; they show where they always stood and stay greyed.
    Disable({ CheckBoxCommunicationFax, EditCommunicationFax, ButtonCommunicationFaxSetup,
        ButtonCommunicationFaxTest, CheckBoxCommunicationPager, EditCommunicationPager,
        ButtonCommunicationPagerTest });
    return page;
}

QWidget* TFormOptions::BuildLook()
{
    auto* page = new QWidget(this);
    QGridLayout* grid = PageGrid(page, false);
    PanelLookColor = new QPushButton(QStringLiteral("Main interface color"), page);
    PanelLookColor->setIconSize(Swatch(0).size());
    CheckBoxLookTray = new QCheckBox(QStringLiteral("  Minimize Kestrion to system tray icon"), page);
    grid->addWidget(PanelLookColor, 0, 0, Qt::AlignLeft);
    grid->addWidget(CheckBoxLookTray, 1, 0, 1, 4);
    EndPage(grid);
    return page;
}

void TFormOptions::ConnectRules()
{
    for (QCheckBox* box : { CheckBoxScenesRemove, CheckBoxRemoteUpdateAutomatic, CheckBoxEventsFile,
             CheckBoxEventsClearMajor, CheckBoxEventsClearMinor, CheckBoxSaverEnabled,
             CheckBoxCommunicationEmail, CheckBoxCommunicationEmailDial })
        connect(box, &QCheckBox::toggled, this, &TFormOptions::UpdateEnabling);
    connect(RadioButtonRemoteSendTCPIP, &QRadioButton::toggled, this, &TFormOptions::UpdateEnabling);
    // Copying frames needs the automatic updates that notice a scene is rendered.
    connect(CheckBoxRemoteUpdateAutomatic, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            CheckBoxRemoteAllowCopy->setChecked(false);
    });
    connect(CheckBoxRemoteAllowCopy, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            CheckBoxRemoteUpdateAutomatic->setChecked(true);
    });
    connect(ButtonScreamerDirectory, &QPushButton::clicked, this,
        [this] { PickDirectory(EditScreamerDirectory); });
    connect(ButtonScreamerConfig, &QPushButton::clicked, this, [this] { PickDirectory(EditScreamerConfig); });
    connect(ButtonScreamerFilename, &QPushButton::clicked, this, &TFormOptions::PickScreamerFile);
    connect(ButtonEventsFile, &QPushButton::clicked, this, &TFormOptions::PickEventsFile);
    connect(PanelLookColor, &QPushButton::clicked, this, &TFormOptions::PickColour);
    connect(ButtonCommunicationEmailTest, &QPushButton::clicked, this, &TFormOptions::SendTestMail);
    connect(Button1, &QPushButton::clicked, this, [this] {
        if (ShowScreamers)
            ShowScreamers();
    });
    connect(ButtonHelp, &QPushButton::clicked, this, [] { OpenHelp(HelpTopic); });
}

void TFormOptions::UpdateEnabling()
{
    EditScenesRemove->setEnabled(CheckBoxScenesRemove->isChecked());
    EditRemoteUpdateAutomatic->setEnabled(CheckBoxRemoteUpdateAutomatic->isChecked());
    const bool tcpip = RadioButtonRemoteSendTCPIP->isChecked();
    EditRemoteSendTCPIPMaster->setEnabled(tcpip);
    CheckBoxRemoteUpdateCommands->setEnabled(!tcpip);
    EditEventsFile->setEnabled(CheckBoxEventsFile->isChecked());
    ButtonEventsFile->setEnabled(CheckBoxEventsFile->isChecked());
    EditEventsClearMajor->setEnabled(CheckBoxEventsClearMajor->isChecked());
    EditEventsClearMinor->setEnabled(CheckBoxEventsClearMinor->isChecked());
    const bool saver = CheckBoxSaverEnabled->isChecked();
    for (QWidget* widget : { static_cast<QWidget*>(EditSaverSeconds),
             static_cast<QWidget*>(EditSaverPercentage), static_cast<QWidget*>(CheckBoxSaverNoise) })
        widget->setEnabled(saver);
    const bool mail = CheckBoxCommunicationEmail->isChecked();
    for (QWidget* widget : { static_cast<QWidget*>(CheckBoxCommunicationEmailDial),
             static_cast<QWidget*>(EditCommunicationEmailSmtp),
             static_cast<QWidget*>(EditCommunicationEmailAddress) })
        widget->setEnabled(mail);
    EditCommunicationEmailAccount->setEnabled(mail && CheckBoxCommunicationEmailDial->isChecked());
    ButtonCommunicationEmailTest->setEnabled(mail && TestMail);
    Button1->setEnabled(bool(ShowScreamers));
    for (QLabel* caption : findChildren<QLabel*>())
        if (caption->buddy())
            caption->setEnabled(caption->buddy()->isEnabled());
}

void TFormOptions::ShowModePages()
{
    QWidget* mine = FOptions.Master ? TabMaster : TabRemote;
    QWidget* other = FOptions.Master ? TabRemote : TabMaster;
    if (Tabs->currentWidget() == other)
        Tabs->setCurrentWidget(mine);
    Tabs->setTabVisible(Tabs->indexOf(mine), true);
    Tabs->setTabVisible(Tabs->indexOf(other), false);
}

void TFormOptions::ShowOptions()
{
    const TOptions& o = FOptions;
    ShowModePages();
    EditMasterScreamerComputers->setText(NumberText(o.MasterScreamerComputers));
    EditMasterScreamerFrames->setText(NumberText(o.MasterScreamerFrames));
    EditMasterRenderInterval->setText(NumberText(o.MasterRenderInterval));
    CheckBoxMasterScreamerOldstyle->setChecked(o.MasterScreamerOldStyle);
    CheckBoxScenesRemove->setChecked(o.MasterScenesRemove);
    EditScenesRemove->setText(NumberText(o.MasterScenesRemoveTime));
    CheckBoxScenesVerify->setChecked(o.MasterScenesVerify);
    CheckBoxMasterScanRemote->setChecked(o.MasterScanRemote);
    CheckBoxMasterScanTCPIP->setChecked(o.MasterScanTCPIP);

    CheckBoxRemoteUpdateCommands->setChecked(o.RemoteUpdateCommands);
    CheckBoxRemoteUpdateAutomatic->setChecked(o.RemoteUpdateAutomatic);
    EditRemoteUpdateAutomatic->setText(NumberText(o.RemoteUpdateAutomaticTime));
    CheckBoxRemoteAllowCopy->setChecked(o.RemoteAllowCopy);
    (o.RemoteSendTCPIP ? RadioButtonRemoteSendTCPIP : RadioButtonRemoteSendFile)->setChecked(true);
    EditRemoteSendTCPIPMaster->setText(o.RemoteSendTCPIPMaster);

    EditScreamerDirectory->setText(o.ScreamerDirectory);
    EditScreamerFilename->setText(o.ScreamerFilename);
    EditScreamerNumbers->setText(o.ScreamerNumbers);
    EditScreamerName->setText(o.ScreamerName);
    EditScreamerConfig->setText(o.ScreamerConfig);
    EditConfigNumber->setText(o.ConfigNumber);
    EditScreamerInterval->setText(NumberText(o.ScreamerInterval));
    CheckBoxScreamerHide->setChecked(o.ScreamerHide);
    CheckBoxScreamerPriorityIdle->setChecked(o.ScreamerPriorityIdle);

    CheckBoxEventsFile->setChecked(o.EventsFile);
    EditEventsFile->setText(o.EventsFileName);
    CheckBoxEventsClearMajor->setChecked(o.EventsClearMajor);
    EditEventsClearMajor->setText(NumberText(o.EventsClearTimeMajor));
    CheckBoxEventsClearMinor->setChecked(o.EventsClearMinor);
    EditEventsClearMinor->setText(NumberText(o.EventsClearTimeMinor));

    CheckBoxSaverEnabled->setChecked(o.SaverEnabled);
    EditSaverSeconds->setText(NumberText(o.SaverSeconds));
    EditSaverPercentage->setText(NumberText(o.SaverPercentage));
    CheckBoxSaverNoise->setChecked(o.SaverNoise);

    EditCommunicationInterval->setText(NumberText(o.CommunicationInterval));
    CheckBoxCommunicationEmail->setChecked(o.CommunicationEmail);
    CheckBoxCommunicationEmailDial->setChecked(o.CommunicationEmailDial);
    EditCommunicationEmailAccount->setText(o.CommunicationEmailAccount);
    EditCommunicationEmailSmtp->setText(o.CommunicationEmailSmtp);
    EditCommunicationEmailAddress->setText(o.CommunicationEmailAddress);

    SetPanelColor(ColorRef(o.LookColorR, o.LookColorG, o.LookColorB));
    CheckBoxLookTray->setChecked(o.LookTray);
    // A box already in its loaded state sends no toggle: every rule runs once more.
    UpdateEnabling();
}

void TFormOptions::TakeOptions()
{
    TOptions& o = FOptions;
    ChangeInteger(EditMasterScreamerComputers->text(), 1, Max, o.MasterScreamerComputers);
    ChangeInteger(EditMasterScreamerFrames->text(), 1, Max, o.MasterScreamerFrames);
    ChangeInteger(EditMasterRenderInterval->text(), 100, Max, o.MasterRenderInterval);
    o.MasterScreamerOldStyle = CheckBoxMasterScreamerOldstyle->isChecked();
    o.MasterScenesRemove = CheckBoxScenesRemove->isChecked();
    ChangeInteger(EditScenesRemove->text(), 1, Max, o.MasterScenesRemoveTime);
    o.MasterScenesVerify = CheckBoxScenesVerify->isChecked();
    o.MasterScanRemote = CheckBoxMasterScanRemote->isChecked();
    o.MasterScanTCPIP = CheckBoxMasterScanTCPIP->isChecked();

    o.RemoteUpdateCommands = CheckBoxRemoteUpdateCommands->isChecked();
    o.RemoteUpdateAutomatic = CheckBoxRemoteUpdateAutomatic->isChecked();
    ChangeInteger(EditRemoteUpdateAutomatic->text(), 1, Max, o.RemoteUpdateAutomaticTime);
    o.RemoteAllowCopy = CheckBoxRemoteAllowCopy->isChecked();
    o.RemoteSendTCPIP = RadioButtonRemoteSendTCPIP->isChecked();
    o.RemoteSendTCPIPMaster = EditRemoteSendTCPIPMaster->text();

    o.ScreamerDirectory = EditScreamerDirectory->text();
    o.ScreamerFilename = EditScreamerFilename->text();
    o.ScreamerNumbers = CleanNumberList(EditScreamerNumbers->text());
    o.ScreamerName = EditScreamerName->text();
    o.ScreamerConfig = EditScreamerConfig->text();
    o.ConfigNumber = EditConfigNumber->text();
    ChangeInteger(EditScreamerInterval->text(), 1, Max, o.ScreamerInterval);
    o.ScreamerHide = CheckBoxScreamerHide->isChecked();
    o.ScreamerPriorityIdle = CheckBoxScreamerPriorityIdle->isChecked();

    o.EventsFile = CheckBoxEventsFile->isChecked();
    o.EventsFileName = EditEventsFile->text();
    o.EventsClearMajor = CheckBoxEventsClearMajor->isChecked();
    ChangeInteger(EditEventsClearMajor->text(), 1, Max, o.EventsClearTimeMajor);
    o.EventsClearMinor = CheckBoxEventsClearMinor->isChecked();
    ChangeInteger(EditEventsClearMinor->text(), 1, Max, o.EventsClearTimeMinor);

    o.SaverEnabled = CheckBoxSaverEnabled->isChecked();
    ChangeInteger(EditSaverSeconds->text(), 10, Max, o.SaverSeconds);
    ChangeInteger(EditSaverPercentage->text(), 0, 100, o.SaverPercentage);
    o.SaverNoise = CheckBoxSaverNoise->isChecked();

    ChangeInteger(EditCommunicationInterval->text(), 1, Max, o.CommunicationInterval);
    o.CommunicationEmail = CheckBoxCommunicationEmail->isChecked();
    o.CommunicationEmailDial = CheckBoxCommunicationEmailDial->isChecked();
    o.CommunicationEmailAccount = EditCommunicationEmailAccount->text();
    o.CommunicationEmailSmtp = EditCommunicationEmailSmtp->text();
    o.CommunicationEmailAddress = EditCommunicationEmailAddress->text();

    SplitColour(FPanelColor, o.LookColorR, o.LookColorG, o.LookColorB);
    o.LookTray = CheckBoxLookTray->isChecked();

    // LightWave's configuration usually lies beside the node program. A program named without
    // a directory names none, and the setting stays "(none)" rather than empty.
    const QString programDirectory = ExtractDirectory(o.ScreamerFilename);
    if (o.ScreamerConfig == NoneText && !programDirectory.isEmpty())
        o.ScreamerConfig = programDirectory;
}

bool TFormOptions::Execute()
{
    ShowOptions();
    // Ticks run while the dialog is open: the options change only now, on Ok.
    if (exec() != QDialog::Accepted)
        return false;
    TakeOptions();
    return true;
}

void TFormOptions::SetPanelColor(TColorRef colour)
{
    FPanelColor = colour & 0xFFFFFF;
    PanelLookColor->setIcon(Swatch(FPanelColor));
}

void TFormOptions::PickDirectory(QLineEdit* edit)
{
    QString directory = edit->text();
    if (ChooseDirectory(directory))
        edit->setText(directory);
}

void TFormOptions::PickScreamerFile()
{
    QFileDialog dialog(
        this, QString(), ExtractDirectory(StartPath(EditScreamerFilename->text())), ScreamerFileFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Only Qt's own dialog takes a filter by file permissions.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new TExecutableFiles(&dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString program = dialog.selectedFiles().front();
    EditScreamerFilename->setText(program);
    EditScreamerConfig->setText(ExtractDirectory(program));
}

void TFormOptions::PickEventsFile()
{
    // Events are appended: a file that is not there yet may be named, one that is is not replaced.
    const QString path = QFileDialog::getSaveFileName(this, QString(), StartPath(EditEventsFile->text()),
        EventsFileFilter, nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        EditEventsFile->setText(path);
}

void TFormOptions::PickColour()
{
    const QColor colour = QColorDialog::getColor(ToQColor(FPanelColor), this);
    if (colour.isValid())
        SetPanelColor(ColorRef(colour.red(), colour.green(), colour.blue()));
}

void TFormOptions::SendTestMail()
{
    if (TestMail)
        TestMail(CheckBoxCommunicationEmailDial->isChecked(), EditCommunicationEmailAccount->text(),
            EditCommunicationEmailSmtp->text(), EditCommunicationEmailAddress->text());
}

// Tinted each time it shows, as every window is, so a changed colour reaches it.
void TFormOptions::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
}
