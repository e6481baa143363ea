#include "options/ini_file.h"
#include "options/lightwave_config.h"
#include "options/options.h"

#include "test_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString CrLf(QStringList lines)
{
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

TEST(Options, FirstStartRunsOnDefaultsAndSavesThemInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Kestrion4Options.ini"));
    TOptions options(path);
    EXPECT_EQ(options.MemorySize, MemoryFigure(2) / 1024 + 1);
    EXPECT_EQ(options.SaverSeconds, 0);
    EXPECT_TRUE(options.ScreamerName.isEmpty());
    EXPECT_FALSE(options.LookTray);

    options.Load();
    EXPECT_FALSE(options.Master);
    EXPECT_EQ(options.ScreamerDirectory, QStringLiteral("(none)"));
    EXPECT_TRUE(options.SaverEnabled);
    EXPECT_EQ(options.SaverSeconds, 300);
    EXPECT_EQ(options.SaverPercentage, 95);
    EXPECT_EQ(options.ScreamerName, options.SystemInfo.ComputerName);
    EXPECT_FALSE(options.ScreamerName.isEmpty());
    EXPECT_EQ(options.ContentDirectory, QStringLiteral("(none)"));
    EXPECT_TRUE(options.ImageSavers.isEmpty());
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(options.Save());
    EXPECT_EQ(QString::fromUtf8(ReadBytes(path)),
        CrLf({ "[Options]", "Master=0", "InfoVisible=1", "Debug=0", "FramesRendered=0",
            "MasterScreamerOldStyle=0", "MasterScreamerComputers=9", "MasterScreamerFrames=1",
            "MasterScenesRemove=0", "MasterScenesRemoveTime=30", "MasterScenesVerify=1",
            "MasterRenderInterval=1000", "MasterWatchAcks=1", "MasterScanRemote=1", "MasterScanTCPIP=0",
            "MasterTCPIPPort=1234", "MasterTCPIPAllow=", "MasterWebPort=0",
            "MasterWebAddress=127.0.0.1", "RemoteUpdateCommands=1", "RemoteUpdateAutomatic=0",
            "RemoteUpdateAutomaticTime=5", "RemoteAllowCopy=0", "RemoteCommandsMaster=1", "RemoteSendTCPIP=0",
            "RemoteSendTCPIPMaster=127.0.0.1", "ScreamerDirectory=(none)", "ScreamerFilename=(none)",
            "ScreamerConfig=(none)", "ConfigNumber=(none)", "ScreamerName=" + options.ScreamerName,
            "ScreamerNumbers=1", "ScreamerInterval=1", "ScreamerHide=0", "ScreamerPriorityIdle=0",
            "EventsFile=0", "EventsFileName=(none)", "EventsClearMajor=0", "EventsClearTimeMajor=24",
            "EventsClearMinor=0", "EventsClearTimeMinor=60", "SaverEnabled=1", "SaverSeconds=300",
            "SaverNoise=1", "SaverPercentage=95", "CommunicationInterval=120", "CommunicationEmail=0",
            "CommunicationEmailDial=1", "CommunicationEmailAccount=(none)", "CommunicationEmailSmtp=(none)",
            "CommunicationEmailAddress=(none)", "LookColorR=90", "LookColorG=110", "LookColorB=90",
            "LookTray=1", "", "[SceneDefault]", "SceneDefaultCount=0" }));
}

TEST(Options, LoadReadsEveryKeyAndSaveKeepsTheRestOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("farm.ini"));
    const QString text = CrLf({ "; hand notes", "[Options]", "Master=1", "InfoVisible=0", "Debug=1",
        "FramesRendered=1234", "MasterScreamerOldStyle=1", "MasterScreamerComputers=31",
        "MasterScreamerFrames=4", "MasterScenesRemove=1", "MasterScenesRemoveTime=45", "MasterScenesVerify=0",
        "MasterRenderInterval=2500", "MasterWatchAcks=0", "MasterScanRemote=0", "MasterScanTCPIP=1",
        "MasterTCPIPPort=4321", "MasterTCPIPAllow=192.168.1.0/24; 10.0.0.7 , fd00::/8", "MasterWebPort=8080",
        "MasterWebAddress=0.0.0.0",
        "RemoteUpdateCommands=0", "RemoteUpdateAutomatic=1", "RemoteUpdateAutomaticTime=7",
        "RemoteAllowCopy=1", "RemoteCommandsMaster=0", "RemoteSendTCPIP=1", "RemoteSendTCPIPMaster=10.0.0.9",
        "FutureSetting=keep me", "ScreamerDirectory=/farm/commands", "ScreamerFilename=/lw/bin/lwsn",
        "ScreamerConfig=/lw/config", "ConfigNumber=3", "ScreamerName=render-07", "ScreamerNumbers=2 5",
        "ScreamerInterval=3", "ScreamerHide=1", "ScreamerPriorityIdle=1", "EventsFile=1",
        "EventsFileName=/farm/events.log", "EventsClearMajor=1", "EventsClearTimeMajor=48",
        "EventsClearMinor=1", "EventsClearTimeMinor=15", "SaverEnabled=0", "SaverSeconds=600", "SaverNoise=0",
        "SaverPercentage=80", "CommunicationInterval=30", "CommunicationEmail=1", "CommunicationEmailDial=0",
        "CommunicationEmailAccount=office", "CommunicationEmailSmtp=mail.example.org",
        "CommunicationEmailAddress=farm@example.org", "LookColorR=10", "LookColorG=20", "LookColorB=30",
        "LookTray=0", "", "[Elsewhere]", "Master=0", "", "[SceneDefault]", "SceneDefaultCount=2",
        "Line1=Priority=5", "Line2=" });
    WriteBytes(path, text.toUtf8());
    TOptions options(path);
    options.Load();

    EXPECT_TRUE(options.Master);
    EXPECT_FALSE(options.InfoVisible);
    EXPECT_TRUE(options.Debug);
    EXPECT_EQ(options.FramesRendered, 1234);
    EXPECT_TRUE(options.MasterScreamerOldStyle);
    EXPECT_EQ(options.MasterScreamerComputers, 31);
    EXPECT_EQ(options.MasterScreamerFrames, 4);
    EXPECT_TRUE(options.MasterScenesRemove);
    EXPECT_EQ(options.MasterScenesRemoveTime, 45);
    EXPECT_FALSE(options.MasterScenesVerify);
    EXPECT_EQ(options.MasterRenderInterval, 2500);
    EXPECT_FALSE(options.MasterWatchAcks);
    EXPECT_FALSE(options.MasterScanRemote);
    EXPECT_TRUE(options.MasterScanTCPIP);
    EXPECT_EQ(options.MasterTCPIPPort, 4321);
    EXPECT_EQ(options.MasterTCPIPAllow, QStringLiteral("192.168.1.0/24; 10.0.0.7 , fd00::/8"));
    EXPECT_EQ(options.MasterWebPort, 8080);
    EXPECT_EQ(options.MasterWebAddress, QStringLiteral("0.0.0.0"));
    EXPECT_FALSE(options.RemoteUpdateCommands);
    EXPECT_TRUE(options.RemoteUpdateAutomatic);
    EXPECT_EQ(options.RemoteUpdateAutomaticTime, 7);
    EXPECT_TRUE(options.RemoteAllowCopy);
    EXPECT_FALSE(options.RemoteCommandsMaster);
    EXPECT_TRUE(options.RemoteSendTCPIP);
    EXPECT_EQ(options.RemoteSendTCPIPMaster, QStringLiteral("10.0.0.9"));
    EXPECT_EQ(options.ScreamerDirectory, QStringLiteral("/farm/commands"));
    EXPECT_EQ(options.ScreamerFilename, QStringLiteral("/lw/bin/lwsn"));
    EXPECT_EQ(options.ScreamerConfig, QStringLiteral("/lw/config"));
    EXPECT_EQ(options.ConfigNumber, QStringLiteral("3"));
    EXPECT_EQ(options.ScreamerName, QStringLiteral("render-07"));
    EXPECT_EQ(options.ScreamerNumbers, QStringLiteral("2 5"));
    EXPECT_EQ(options.ScreamerInterval, 3);
    EXPECT_TRUE(options.ScreamerHide);
    EXPECT_TRUE(options.ScreamerPriorityIdle);
    EXPECT_TRUE(options.EventsFile);
    EXPECT_EQ(options.EventsFileName, QStringLiteral("/farm/events.log"));
    EXPECT_TRUE(options.EventsClearMajor);
    EXPECT_EQ(options.EventsClearTimeMajor, 48);
    EXPECT_TRUE(options.EventsClearMinor);
    EXPECT_EQ(options.EventsClearTimeMinor, 15);
    EXPECT_FALSE(options.SaverEnabled);
    EXPECT_EQ(options.SaverSeconds, 600);
    EXPECT_FALSE(options.SaverNoise);
    EXPECT_EQ(options.SaverPercentage, 80);
    EXPECT_EQ(options.CommunicationInterval, 30);
    EXPECT_TRUE(options.CommunicationEmail);
    EXPECT_FALSE(options.CommunicationEmailDial);
    EXPECT_EQ(options.CommunicationEmailAccount, QStringLiteral("office"));
    EXPECT_EQ(options.CommunicationEmailSmtp, QStringLiteral("mail.example.org"));
    EXPECT_EQ(options.CommunicationEmailAddress, QStringLiteral("farm@example.org"));
    EXPECT_EQ(options.LookColorR, 10);
    EXPECT_EQ(options.LookColorG, 20);
    EXPECT_EQ(options.LookColorB, 30);
    EXPECT_FALSE(options.LookTray);
    EXPECT_EQ(options.SceneDefault, QStringList({ "Priority=5", "" }));
    EXPECT_EQ(options.PluginConfigName, QStringLiteral("lwext3.cfg"));

    // Nothing changed: the file is written back as it was.
    ASSERT_TRUE(options.Save());
    EXPECT_EQ(QString::fromUtf8(ReadBytes(path)), text);

    // A changed value is replaced where it stands.
    options.FramesRendered = 1235;
    ASSERT_TRUE(options.Save());
    QString changed = text;
    changed.replace(QStringLiteral("FramesRendered=1234"), QStringLiteral("FramesRendered=1235"));
    EXPECT_EQ(QString::fromUtf8(ReadBytes(path)), changed);
}

TEST(Options, ValuesThatDoNotConvertReadAsDefaults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("farm.ini"));
    WriteBytes(path,
        "[Options]\nMaster=yes\nInfoVisible=maybe\nMasterRenderInterval=fast\n"
        "SaverSeconds= 120 \nLookColorR=0x10\n");
    TOptions options(path);
    options.Load();
    EXPECT_FALSE(options.Master);
    EXPECT_TRUE(options.InfoVisible);
    EXPECT_EQ(options.MasterRenderInterval, 1000);
    EXPECT_EQ(options.SaverSeconds, 120);
    EXPECT_EQ(options.LookColorR, 90);
}

// One report names what could not be used; a file whose settings were lost behind a line
// that cannot be read is not written over, one with bad values gets the defaults.
TEST(Options, AFileWithFaultsIsReportedAndKeptWhenSettingsWereLost)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("farm.ini"));
    const QByteArray broken = "[Options]\r\nMaster 1\r\nMasterRenderInterval=fast\r\nScreamerName=Lead\r\n"
                              "[SceneDefault]\r\nSceneDefaultCount=two\r\n";
    WriteBytes(path, broken);
    TOptions options(path);
    options.Load();
    EXPECT_FALSE(options.Master);
    EXPECT_EQ(options.MasterRenderInterval, 1000);
    EXPECT_EQ(options.ScreamerName, QStringLiteral("Lead"));
    const QString report = options.LoadReport();
    EXPECT_TRUE(report.startsWith(QStringLiteral("The options file %1 has lines").arg(path)))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("line 2 \"Master 1\"")));
    EXPECT_TRUE(report.contains(QStringLiteral("MasterRenderInterval=fast, SceneDefaultCount=two")));
    EXPECT_TRUE(report.contains(QStringLiteral("at their defaults: Master, InfoVisible,")));
    EXPECT_TRUE(report.contains(QStringLiteral("not written at shutdown")));
    EXPECT_TRUE(options.KeepsFile());
    options.FramesRendered = 5;
    EXPECT_TRUE(options.Save());
    EXPECT_EQ(ReadBytes(path), broken);

    WriteBytes(path, "[Options]\nMaster=1\nMasterRenderInterval=fast\n");
    options.Load();
    EXPECT_EQ(options.LoadReport(),
        QStringLiteral(
            "The options file %1 has values that are no whole number: MasterRenderInterval=fast, so "
            "these keep their defaults.")
            .arg(path));
    EXPECT_FALSE(options.KeepsFile());
    EXPECT_TRUE(options.Save());
    EXPECT_TRUE(ReadBytes(path).contains("MasterRenderInterval=1000\r\n"));
    options.Load();
    EXPECT_TRUE(options.LoadReport().isEmpty());
    EXPECT_TRUE(options.Master);

    // A stray line that hides no setting is named, and the file is written as ever.
    WriteBytes(path, ReadBytes(path) + "just a note\r\n");
    options.Load();
    EXPECT_TRUE(options.LoadReport().contains(QStringLiteral("\"just a note\"")));
    EXPECT_FALSE(options.KeepsFile());

    // A file of garbage is named by its first lines.
    WriteBytes(path, QByteArray("[Options]\n") + QByteArray("garbage\n").repeated(12));
    options.Load();
    EXPECT_TRUE(options.LoadReport().contains(QStringLiteral("line 11 \"garbage\" and 2 more.")));

    // One that cannot be read at all keeps every default and is left alone.
    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    TOptions unreadable(folder);
    unreadable.Load();
    EXPECT_TRUE(unreadable.LoadReport().contains(QStringLiteral("could not be read")));
    EXPECT_TRUE(unreadable.KeepsFile());
    EXPECT_TRUE(unreadable.Save());
}

TEST(Options, SceneDefaultList)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("farm.ini"));
    TOptions options(path);
    options.Load();

    // A shorter list leaves the lines of the longer one in the file.
    options.SceneDefault = QStringList({ "a", "b", "c", "d", "e" });
    ASSERT_TRUE(options.Save());
    options.SceneDefault = QStringList({ "x", "y" });
    ASSERT_TRUE(options.Save());
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(path))
                    .endsWith(CrLf({ "[SceneDefault]", "SceneDefaultCount=2", "Line1=x", "Line2=y", "Line3=c",
                        "Line4=d", "Line5=e" })));
    options.Load();
    EXPECT_EQ(options.SceneDefault, QStringList({ "x", "y" }));

    // Counts edited by hand: negative, far too large, or past a missing line.
    WriteBytes(path, "[SceneDefault]\nSceneDefaultCount=-3\nLine1=a\n");
    options.Load();
    EXPECT_TRUE(options.SceneDefault.isEmpty());
    WriteBytes(path, "[SceneDefault]\nSceneDefaultCount=2000000000\nLine1=a\nLine2=b\n");
    QElapsedTimer timer;
    timer.start();
    options.Load();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(options.SceneDefault, QStringList({ "a", "b" }));
    WriteBytes(path, "[SceneDefault]\nSceneDefaultCount=3\nLine1=a\nLine3=c\n");
    options.Load();
    EXPECT_EQ(options.SceneDefault, QStringList({ "a" }));
}

TEST(Options, ReadsLightWaveConfiguration)
{
    TOptions options;
    options.ScreamerConfig = QStringLiteral(KESTRION_TEST_DATA "/lwconfig");
    options.ConfigNumber = QStringLiteral("3");
    options.ReadLightWaveConfig();
    EXPECT_EQ(options.ContentDirectory, QStringLiteral("D:\\Farm\\Content"));
    EXPECT_EQ(options.ImageSavers, QStringList({ "LW_TGA24(.tga)", "LW_BMP(.bmp)", "LW_IFF24(.iff)" }));
    EXPECT_EQ(options.PluginConfigName, QStringLiteral("lwext3.cfg"));

    options.ConfigNumber = QStringLiteral("(none)");
    options.ReadLightWaveConfig();
    EXPECT_EQ(options.ContentDirectory, QStringLiteral("(none)"));
    EXPECT_TRUE(options.ImageSavers.isEmpty());
    EXPECT_EQ(options.PluginConfigName, QStringLiteral("lwext(none).cfg"));
}

TEST(LightWaveConfig, ContentDirectoryLines)
{
    QString directory = QStringLiteral("(none)");
    EXPECT_TRUE(ContentDirectoryFromConfig({ "ContentDirectory=D:\\Content" }, directory));
    EXPECT_EQ(directory, QStringLiteral("D:\\Content"));
    directory.clear();
    EXPECT_TRUE(ContentDirectoryFromConfig({ "ContentDirectory D:\\Content" }, directory));
    EXPECT_EQ(directory, QStringLiteral("D:\\Content"));
    directory = QStringLiteral("(none)");
    EXPECT_FALSE(ContentDirectoryFromConfig({ "ContentDirectoryX", "contentdirectory D:\\x" }, directory));
    EXPECT_EQ(directory, QStringLiteral("(none)"));
    EXPECT_TRUE(
        ContentDirectoryFromConfig({ "ContentDirectory A", "Other B", "ContentDirectory C" }, directory));
    EXPECT_EQ(directory, QStringLiteral("C"));
}

TEST(LightWaveConfig, ImageSaverLines)
{
    const QString saver = QStringLiteral("  Class \"ImageSaver\"");
    EXPECT_EQ(ImageSaversFromConfig({ saver, "  Name \"LW_TGA24(.tga)\" trailing", "  Class \"ImageSaver\" ",
                  "  Name \"Ignored(.x)\"" }),
        QStringList({ "LW_TGA24(.tga)" }));
    // No ")" or no quote: the saver is there but its name cannot be read.
    EXPECT_EQ(ImageSaversFromConfig({ saver, "  Name \"LW_RAW\"", saver, "  Name LW_PNG(.png)" }),
        QStringList({ "", "" }));
    // The ")" counts only after the quote.
    EXPECT_EQ(
        ImageSaversFromConfig({ saver, "  Name(x) \"LW_JPG(.jpg)\"" }), QStringList({ "LW_JPG(.jpg)" }));
    // A class line that ends the file names nothing.
    EXPECT_EQ(ImageSaversFromConfig({ saver, "  Name \"A(.a)\"", saver }), QStringList({ "A(.a)" }));
    EXPECT_TRUE(ImageSaversFromConfig({ saver }).isEmpty());
}

TEST(Options, SmallQueries)
{
    TOptions options;
    options.ImageSavers = QStringList({ "A(.a)", "B(.b)" });
    QString name = QStringLiteral("kept");
    options.ImageSaver(-1, name);
    EXPECT_EQ(name, QStringLiteral("kept"));
    options.ImageSaver(2, name);
    EXPECT_EQ(name, QStringLiteral("kept"));
    options.ImageSaver(1, name);
    EXPECT_EQ(name, QStringLiteral("B(.b)"));

    for (int bits = 0; bits < 8; ++bits) {
        options.Master = (bits & 1) != 0;
        options.MasterScanTCPIP = (bits & 2) != 0;
        options.RemoteSendTCPIP = (bits & 4) != 0;
        const bool expected = options.Master ? options.MasterScanTCPIP : options.RemoteSendTCPIP;
        EXPECT_EQ(options.TcpIpInUse(), expected) << bits;
    }

    options.ScreamerDirectory = QStringLiteral("/farm/commands");
    EXPECT_EQ(options.StateScenesFile(), QStringLiteral("/farm/commands/StateScenes.lst"));
    EXPECT_EQ(options.StateComputersFile(), QStringLiteral("/farm/commands/StateComputers.lst"));
    EXPECT_EQ(options.StateOverviewFile(), QStringLiteral("/farm/commands/StateOverview.lst"));
}

TEST(Options, FileNames)
{
    const QString configDirectory = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    EXPECT_EQ(OptionsFilePath(QStringLiteral("Farm2.ini")), configDirectory + QStringLiteral("/Farm2.ini"));
    EXPECT_EQ(OptionsFilePath(QStringLiteral("/srv/farm/Farm2.ini")), QStringLiteral("/srv/farm/Farm2.ini"));
    EXPECT_EQ(OptionsFilePath(QStringLiteral("conf\\Farm2.ini")), QStringLiteral("conf\\Farm2.ini"));
    EXPECT_EQ(TOptions().FileName(), QStringLiteral("Kestrion4Options.ini"));

    // Saving creates the directory; a place that cannot hold a file is reported.
    QTemporaryDir dir;
    TOptions options(dir.filePath(QStringLiteral("new/sub/farm.ini")));
    options.Load();
    EXPECT_TRUE(options.Save());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("new/sub/farm.ini"))));
    WriteBytes(dir.filePath(QStringLiteral("plain")), "x");
    options.SetFileName(dir.filePath(QStringLiteral("plain/farm.ini")));
    EXPECT_FALSE(options.Save());
}
