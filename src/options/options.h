#pragma once
// Every setting of the installation, kept in one ini file, plus what LightWave's own
// configuration says about its content directory and image savers.

#include "support/system_info.h"

#include <QString>
#include <QStringList>

class TIniFile;

// Stands for an absent path, saver or copy.
inline const QString NoneText = QStringLiteral("(none)");

inline const QString DefaultOptionsFileName = QStringLiteral("Kestrion4Options.ini");

// Where the options file of that name lives: a bare name in the user's configuration directory
// for Kestrion, a name with a directory part as it is.
QString OptionsFilePath(const QString& fileName);

class TOptions
{
public:
    // Every setting is zero, false or empty until Load runs.
    explicit TOptions(const QString& fileName = DefaultOptionsFileName);

    // The name as given (see OptionsFilePath); Load and Save use it.
    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& fileName) { FFileName = fileName; }

    // Reads every setting from the options file (a missing file gives the defaults), then
    // LightWave's configuration.
    void Load();
    // Writes every setting into the options file, keeping whatever else it holds; creates
    // the file and its directory when needed. False when the file could not be written.
    // A file that Load could not read, or whose settings it could not find because of lines
    // it could not read, is left as it is (LoadReport says so).
    bool Save() const;
    // What Load found wrong with the options file, in the farm's words; empty when nothing.
    QString LoadReport() const;
    bool KeepsFile() const;

    // The settings part of Load and Save, without files. Reading notes what it could not use.
    void ReadSettings(const TIniFile& ini);
    void WriteSettings(TIniFile& ini) const;

    // ContentDirectory and ImageSavers from LightWave's configuration files in ScreamerConfig;
    // missing files leave "(none)" and no savers.
    void ReadLightWaveConfig();
    // LightWave's main configuration file, which names the content directory.
    QString LightWaveConfigFile() const;

    // Sets `name` to saver `index` (from 0); leaves it alone for an index out of range.
    void ImageSaver(int index, QString& name) const;
    // Whether this installation's commands travel over TCP/IP.
    bool TcpIpInUse() const;
    QString StateScenesFile() const;
    QString StateComputersFile() const;
    QString StateOverviewFile() const;

    bool Master = false;
    bool InfoVisible = false;
    bool Debug = false;
    int FramesRendered = 0;
    TSystemInfo SystemInfo;
    QString ContentDirectory;
    QStringList ImageSavers;
    int MasterScreamerComputers = 0;
    int MasterScreamerFrames = 0;
    bool MasterScanRemote = false;
    bool MasterScreamerOldStyle = false;
    bool MasterScanTCPIP = false;
    // The port the Master listens on; a Remote names another than 1234 as "host:port".
    int MasterTCPIPPort = 0;
    // The computers the TCP/IP port lets in, as typed (remote/allow_list reads it); empty: everyone.
    QString MasterTCPIPAllow;
    // The status page and its JSON on this port (0: none), on the address of this computer it
    // names; MasterTCPIPAllow applies to it as well.
    int MasterWebPort = 0;
    QString MasterWebAddress;
    // The address as typed, this computer alone when nothing is.
    static QString WebAddress(const QString& typed)
    {
        const QString address = typed.trimmed();
        return address.isEmpty() ? QStringLiteral("127.0.0.1") : address;
    }
    bool MasterScenesRemove = false;
    bool MasterScenesVerify = false;
    int MasterScenesRemoveTime = 0;
    int MasterRenderInterval = 0;
    // The Master takes a node's ack as soon as the file system tells of it, not only on its tick.
    bool MasterWatchAcks = false;
    bool RemoteUpdateCommands = false;
    bool RemoteUpdateAutomatic = false;
    bool RemoteAllowCopy = false;
    bool RemoteCommandsMaster = false; // kept in the file only; nothing reads it
    bool RemoteSendTCPIP = false;
    QString RemoteSendTCPIPMaster;
    int RemoteUpdateAutomaticTime = 0;
    QString ScreamerDirectory;
    QString ScreamerFilename;
    QString ScreamerConfig;
    QString ScreamerName;
    QString PluginConfigName; // LightWave's plug-in file, "lwext" + ConfigNumber + ".cfg"
    QString ConfigNumber;
    QString ScreamerNumbers;
    int ScreamerInterval = 0;
    int MemorySize = 0; // physical memory in megabytes plus one
    bool ScreamerHide = false;
    bool ScreamerPriorityIdle = false;
    bool EventsFile = false;
    bool EventsClearMajor = false;
    bool EventsClearMinor = false;
    QString EventsFileName;
    int EventsClearTimeMajor = 0;
    int EventsClearTimeMinor = 0;
    bool SaverEnabled = false;
    bool SaverNoise = false;
    int SaverSeconds = 0;
    int SaverPercentage = 0;
    int CommunicationInterval = 0;
    bool CommunicationEmail = false;
    bool CommunicationEmailDial = false;
    QString CommunicationEmailAccount;
    QString CommunicationEmailSmtp;
    QString CommunicationEmailAddress;
    int LookColorR = 0;
    int LookColorG = 0;
    int LookColorB = 0;
    bool LookTray = false;
    QStringList SceneDefault; // the initial scene options: scene-record lines

private:
    // What reading the options file could not use.
    struct TReadNotes
    {
        bool ReadFailed = false;
        QStringList Lines; // the first lines the ini layer reads as nothing, as the report names them
        qsizetype LineCount = 0; // all of them
        QStringList Values; // "Key=value" of numbers and flags that do not convert
        QStringList Missing; // keys of section "Options" the file does not hold
    };

    QString FFileName;
    TReadNotes FNotes;
};
