#include "ui/options_dialog.h"

#include "options/options.h"
#include "remote/allow_list.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/text_routines.h"
#include "ui/dialog_buttons.h"
#include "ui/directory_box.h"
#include "ui/help.h"
#include "ui/question_box.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHostAddress>
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
    QPixmap swatch(TFormOptions::SwatchSize);
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
    Inform = [this](const QString& text) { TFormQuestion(this).Ask(text, false); };
    ConnectRules();
}

void TFormOptions::ConnectRules()
{
    for (QCheckBox* box : { CheckBoxScenesRemove, CheckBoxRemoteUpdateAutomatic, CheckBoxEventsFile,
             CheckBoxEventsClearMajor, CheckBoxEventsClearMinor, CheckBoxSaverEnabled,
             CheckBoxCommunicationEmail, CheckBoxCommunicationEmailDial, CheckBoxMasterScanTCPIP })
        connect(box, &QCheckBox::toggled, this, &TFormOptions::UpdateEnabling);
    connect(RadioButtonRemoteSendTCPIP, &QRadioButton::toggled, this, &TFormOptions::UpdateEnabling);
    connect(EditMasterWebPort, &QLineEdit::textChanged, this, &TFormOptions::UpdateEnabling);
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
    EditMasterTCPIPAllow->setEnabled(CheckBoxMasterScanTCPIP->isChecked() || ServesWebPage());
    EditMasterWebAddress->setEnabled(ServesWebPage());
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
    EditMasterTCPIPAllow->setText(o.MasterTCPIPAllow);
    EditMasterWebPort->setText(NumberText(o.MasterWebPort));
    EditMasterWebAddress->setText(o.MasterWebAddress);

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
    o.MasterTCPIPAllow = EditMasterTCPIPAllow->text();
    ChangeInteger(EditMasterWebPort->text(), 0, 65535, o.MasterWebPort);
    o.MasterWebAddress = TOptions::WebAddress(EditMasterWebAddress->text());

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

void TFormOptions::accept()
{
    if (CheckAllowList() && CheckWebAddress())
        QDialog::accept();
}

// Checked only where the user can mend it: a list typed in but switched off, or on the page of
// the other mode, is kept as typed, and the Master lets nobody in by a list it cannot read.
bool TFormOptions::CheckAllowList()
{
    if (!Tabs->isTabVisible(Tabs->indexOf(TabMaster))
        || (!CheckBoxMasterScanTCPIP->isChecked() && !ServesWebPage()))
        return true;
    TAllowList list;
    QString error;
    if (list.Parse(EditMasterTCPIPAllow->text(), error))
        return true;
    Tabs->setCurrentWidget(TabMaster);
    EditMasterTCPIPAllow->setFocus();
    EditMasterTCPIPAllow->selectAll();
    if (Inform)
        Inform(QStringLiteral("The computers allowed TCP/IP connections cannot be read. %1 "
                              "Leave the field empty to allow every computer.")
                   .arg(error));
    return false;
}

bool TFormOptions::ServesWebPage() const
{
    return EditMasterWebPort->text().trimmed().toInt() > 0;
}

bool TFormOptions::CheckWebAddress()
{
    if (!Tabs->isTabVisible(Tabs->indexOf(TabMaster)) || !ServesWebPage()
        || !QHostAddress(TOptions::WebAddress(EditMasterWebAddress->text())).isNull())
        return true;
    Tabs->setCurrentWidget(TabMaster);
    EditMasterWebAddress->setFocus();
    EditMasterWebAddress->selectAll();
    if (Inform)
        Inform(QStringLiteral("The status page's address is no IP address of this computer. Write 127.0.0.1 "
                              "for this computer alone, or 0.0.0.0 for every network."));
    return false;
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
