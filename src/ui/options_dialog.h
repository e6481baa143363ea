#pragma once
// The options dialog: every setting a user changes by hand, on seven pages. It reads the options
// when it opens and writes them only on Ok, so ticks running meanwhile lose nothing on Cancel.

#include "ui/look.h"

#include <QDialog>
#include <QSize>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TFormDirectory;
class TOptions;

class TFormOptions : public QDialog
{
    Q_OBJECT
public:
    explicit TFormOptions(TOptions& options, QWidget* parent = nullptr);

    // Shows the options modally; true when closed with Ok, the options then hold the fields.
    bool Execute();
    // The fields from the options, on the pages of this installation's mode.
    void ShowOptions();
    // The fields back into the options; a number that does not convert or lies out of its
    // bounds keeps the setting it had.
    void TakeOptions();

    TColorRef PanelColor() const { return FPanelColor; }
    void SetPanelColor(TColorRef colour);

    // Sends a test report to the fields' account, server and address. Its button is greyed
    // while nobody provides it; so is Button1's without ShowScreamers.
    std::function<void(bool dial, const QString& account, const QString& smtpHost, const QString& address)>
        TestMail;
    // The overview of this computer's Screamers, none preselected.
    std::function<void()> ShowScreamers;
    // The directory picker: true and the chosen directory when closed with Ok. Tests replace it.
    std::function<bool(QString& directory)> ChooseDirectory;
    // Tells the user why Ok did not close the dialog; the question box unless replaced.
    std::function<void(const QString& text)> Inform;

    QTabWidget* Tabs;
    QWidget* TabMaster;
    QWidget* TabRemote;
    QWidget* TabScreamer;
    QWidget* TabEvents;
    QWidget* TabDorezoDizaz;
    QWidget* TabCommunication;
    QWidget* TabLook;

    QLineEdit* EditMasterScreamerComputers;
    QLineEdit* EditMasterScreamerFrames;
    QLineEdit* EditMasterRenderInterval;
    QCheckBox* CheckBoxMasterScreamerOldstyle;
    QCheckBox* CheckBoxScenesRemove;
    QLineEdit* EditScenesRemove;
    QCheckBox* CheckBoxScenesVerify;
    QCheckBox* CheckBoxMasterScanRemote;
    QCheckBox* CheckBoxMasterScanTCPIP;
    QLineEdit* EditMasterTCPIPAllow;
    QLineEdit* EditMasterWebPort;
    QLineEdit* EditMasterWebAddress;

    QCheckBox* CheckBoxRemoteUpdateCommands;
    QCheckBox* CheckBoxRemoteUpdateAutomatic;
    QLineEdit* EditRemoteUpdateAutomatic;
    QCheckBox* CheckBoxRemoteAllowCopy;
    QRadioButton* RadioButtonRemoteSendFile;
    QRadioButton* RadioButtonRemoteSendTCPIP;
    QLineEdit* EditRemoteSendTCPIPMaster;

    QLineEdit* EditScreamerDirectory;
    QPushButton* ButtonScreamerDirectory;
    QLineEdit* EditScreamerFilename;
    QPushButton* ButtonScreamerFilename;
    QLineEdit* EditScreamerNumbers;
    QLineEdit* EditScreamerName;
    QLineEdit* EditScreamerConfig;
    QPushButton* ButtonScreamerConfig;
    QLineEdit* EditConfigNumber;
    QLineEdit* EditScreamerInterval;
    QCheckBox* CheckBoxScreamerHide;
    QCheckBox* CheckBoxScreamerPriorityIdle;
    QPushButton* Button1;

    QCheckBox* CheckBoxEventsFile;
    QLineEdit* EditEventsFile;
    QPushButton* ButtonEventsFile;
    QCheckBox* CheckBoxEventsClearMajor;
    QLineEdit* EditEventsClearMajor;
    QCheckBox* CheckBoxEventsClearMinor;
    QLineEdit* EditEventsClearMinor;

    QCheckBox* CheckBoxSaverEnabled;
    QLineEdit* EditSaverSeconds;
    QLineEdit* EditSaverPercentage;
    QCheckBox* CheckBoxSaverNoise;

    QLineEdit* EditCommunicationInterval;
    QCheckBox* CheckBoxCommunicationEmail;
    QCheckBox* CheckBoxCommunicationEmailDial;
    QLineEdit* EditCommunicationEmailAccount;
    QLineEdit* EditCommunicationEmailSmtp;
    QLineEdit* EditCommunicationEmailAddress;
    QPushButton* ButtonCommunicationEmailTest;
    QCheckBox* CheckBoxCommunicationFax;
    QLineEdit* EditCommunicationFax;
    QPushButton* ButtonCommunicationFaxSetup;
    QPushButton* ButtonCommunicationFaxTest;
    QCheckBox* CheckBoxCommunicationPager;
    QLineEdit* EditCommunicationPager;
    QPushButton* ButtonCommunicationPagerTest;

    QPushButton* PanelLookColor;
    // The colour the panel shows, as a swatch of this size.
    static constexpr QSize SwatchSize { 64, 24 };
    QCheckBox* CheckBoxLookTray;

    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    QPushButton* ButtonHelp;

    // Ok: closes only when the fields can be taken as they are.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildMaster();
    QWidget* BuildRemote();
    QWidget* BuildScreamer();
    QWidget* BuildEvents();
    QWidget* BuildDorezoDizaz();
    QWidget* BuildCommunication();
    QWidget* BuildLook();
    void ConnectRules();
    void UpdateEnabling();
    void ShowModePages();
    void PickDirectory(QLineEdit* edit);
    void PickScreamerFile();
    void PickEventsFile();
    void PickColour();
    void SendTestMail();
    bool CheckAllowList();
    bool CheckWebAddress();
    // The status page has a port, so the allow-list applies to it.
    bool ServesWebPage() const;

    TOptions& FOptions;
    TFormDirectory* FFormDirectory;
    TColorRef FPanelColor = 0;
};
