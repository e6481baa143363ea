// The options dialog's seven pages: their controls and layout. The rules that fill, check
// and take them back live in options_dialog.cpp.
#include "ui/options_dialog.h"

#include "ui/dialog_buttons.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

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

} // namespace

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
    // The list of computers takes a row of its own, wide enough for a few networks.
    EditMasterTCPIPAllow = new QLineEdit(page);
    EditMasterTCPIPAllow->setPlaceholderText(QStringLiteral("for example 192.168.1.0/24, 10.0.0.7"));
    grid->addWidget(Caption(QStringLiteral("Allow TCP/IP connections and the status page only from "
                                           "(addresses or networks, empty: everyone):"),
                        EditMasterTCPIPAllow),
        8, 0, 1, 4);
    grid->addWidget(EditMasterTCPIPAllow, 9, 0, 1, 4);
    EditMasterWebPort = NumberEdit(page);
    grid->addWidget(
        Caption(QStringLiteral("Serve the status page on port (0: no status page)"), EditMasterWebPort), 10, 0);
    grid->addWidget(EditMasterWebPort, 10, 1);
    EditMasterWebAddress = new QLineEdit(page);
    EditMasterWebAddress->setPlaceholderText(QStringLiteral("127.0.0.1"));
    grid->addWidget(Caption(QStringLiteral("The status page's address (127.0.0.1: this computer only, 0.0.0.0: "
                                           "every network)"),
                        EditMasterWebAddress),
        11, 0);
    grid->addWidget(EditMasterWebAddress, 11, 1, 1, 3);
    EndPage(grid);
    Disable({ CheckBoxScenesRemove });
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
    PanelLookColor->setIconSize(SwatchSize);
    CheckBoxLookTray = new QCheckBox(QStringLiteral("  Minimize Kestrion to system tray icon"), page);
    grid->addWidget(PanelLookColor, 0, 0, Qt::AlignLeft);
    grid->addWidget(CheckBoxLookTray, 1, 0, 1, 4);
    EndPage(grid);
    return page;
}
