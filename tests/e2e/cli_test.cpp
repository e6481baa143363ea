// kestrion-cli as a user runs it, against kestriond and its stand-in nodes: through the command
// file and over TCP/IP, scenes submitted and waited for, the lists as JSON against the state
// files, an ambiguous name refused, a wait that ends when its scene is removed, and a Master
// that is not there.
#include "farm_fixture.h"

#include "remote/tcp_link.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString QuickNodes = QStringLiteral("--frame-time 50 --poll 20");

struct TCliResult
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

class CliEndToEnd : public FarmEndToEnd
{
protected:
    // The client's own options: a Remote of the scratch farm, through the command file or over TCP/IP.
    void WriteClientOptions(quint16 port = 0)
    {
        Client.SetFileName(JoinPath(farm.Root, QStringLiteral("cli.ini")));
        Client.ScreamerDirectory = farm.Commands;
        Client.ScreamerName = QStringLiteral("CliRemote");
        Client.ScreamerNumbers = QStringLiteral("9");
        Client.RemoteSendTCPIP = port != 0;
        Client.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(port);
        ASSERT_TRUE(Client.Save());
    }

    void Start(const QStringList& arguments)
    {
        Process = std::make_unique<QProcess>();
        Process->start(QStringLiteral(KESTRION_CLI_EXE),
            QStringList { QStringLiteral("--options"), Client.FileName(), QStringLiteral("--timeout"),
                QStringLiteral("10") }
                + arguments);
        ASSERT_TRUE(Process->waitForStarted());
    }

    TCliResult Finish(int milliseconds = FarmPatience)
    {
        TCliResult result;
        if (!Process->waitForFinished(milliseconds)) {
            Process->kill();
            Process->waitForFinished();
        }
        result.ExitCode = Process->exitStatus() == QProcess::NormalExit ? Process->exitCode() : -1;
        result.Out = QString::fromUtf8(Process->readAllStandardOutput());
        result.Err = QString::fromUtf8(Process->readAllStandardError());
        return result;
    }

    TCliResult Run(const QStringList& arguments)
    {
        Start(arguments);
        return Finish();
    }

    // The scenes of `status --json`, checked against the state file the Master stored.
    void ExpectJsonMatchesStateFiles()
    {
        const TCliResult status = Run({ QStringLiteral("status"), QStringLiteral("--json") });
        ASSERT_EQ(status.ExitCode, 0) << qPrintable(status.Err);
        QJsonParseError parsed;
        const QJsonObject document = QJsonDocument::fromJson(status.Out.toUtf8(), &parsed).object();
        ASSERT_EQ(parsed.error, QJsonParseError::NoError) << qPrintable(status.Out);
        const TSceneList stored = farm.Scenes();
        const QJsonArray scenes = document.value(QStringLiteral("scenes")).toArray();
        ASSERT_EQ(scenes.size(), stored.Count());
        for (int index = 0; index < stored.Count(); ++index) {
            const QJsonObject scene = scenes[index].toObject();
            EXPECT_EQ(scene.value(QStringLiteral("id")).toInt(), stored.Item(index).ID);
            EXPECT_EQ(scene.value(QStringLiteral("file")).toString(), stored.Item(index).Filename);
            EXPECT_EQ(scene.value(QStringLiteral("verified")).toBool(), stored.Item(index).Verified);
        }
        EXPECT_EQ(document.value(QStringLiteral("computers")).toArray().size(), farm.Computers().Count());
        EXPECT_EQ(document.value(QStringLiteral("farm")).toObject().value(QStringLiteral("name")).toString(),
            QStringLiteral("TestMaster"));
    }

    TOptions Client;
    std::unique_ptr<QProcess> Process;
};

} // namespace

TEST_F(CliEndToEnd, SubmitWaitStatusAndRemoveThroughTheCommandFile)
{
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    ASSERT_TRUE(farm.WaitFor([&] { return farm.Computers().Count() == FarmNodes; }));
    WriteClientOptions();
    const QString shot = farm.WriteScene(QStringLiteral("shot.lws"), 1, 9);

    const TCliResult submitted = Run({ QStringLiteral("submit"), shot, QStringLiteral("--wait") });
    ASSERT_EQ(submitted.ExitCode, 0) << qPrintable(submitted.Out + submitted.Err);
    EXPECT_TRUE(submitted.Out.contains(QStringLiteral("Queued: "))) << qPrintable(submitted.Out);
    EXPECT_TRUE(submitted.Out.contains(QStringLiteral("Verified: every frame is on disk.")));
    EXPECT_TRUE(farm.MissingFrameFiles(shot).isEmpty());
    ExpectJsonMatchesStateFiles();

    // A second scene file of the same name, in another directory: the name alone is refused.
    QDir().mkpath(JoinPath(farm.Content, QStringLiteral("Scenes/take2")));
    const QString again = farm.WriteScene(QStringLiteral("take2/shot.lws"), 1, 400);
    Start({ QStringLiteral("submit"), again, QStringLiteral("--wait") });
    while (!Process->canReadLine() && Process->waitForReadyRead(FarmPatience)) { }
    ASSERT_TRUE(Process->canReadLine());
    const QString queued = QString::fromUtf8(Process->readLine());
    ASSERT_TRUE(queued.startsWith(QStringLiteral("Queued: "))) << qPrintable(queued);
    const QString id = queued.section(u' ', 1, 1);

    auto waiting = std::move(Process);
    const TCliResult ambiguous = Run({ QStringLiteral("remove"), QStringLiteral("shot.lws") });
    EXPECT_EQ(ambiguous.ExitCode, 1);
    EXPECT_TRUE(ambiguous.Err.contains(QStringLiteral("names 2 scenes"))) << qPrintable(ambiguous.Err);
    EXPECT_TRUE(ambiguous.Err.contains(id + QStringLiteral(" (") + again + u')'));
    EXPECT_EQ(farm.Scenes().Count(), 2) << "nothing was removed";

    // Removed by its ID while the first client waits for it: that wait ends with exit code 1.
    const TCliResult removed = Run({ QStringLiteral("remove"), id });
    EXPECT_EQ(removed.ExitCode, 0) << qPrintable(removed.Err);
    Process = std::move(waiting);
    const TCliResult ended = Finish();
    EXPECT_EQ(ended.ExitCode, 1);
    EXPECT_TRUE(ended.Err.contains(QStringLiteral("was removed from the Master's queue")))
        << qPrintable(ended.Err);
}

TEST_F(CliEndToEnd, SubmitOwnFramesAndWaitOverTcpIp)
{
    const quint16 port = FreePort();
    farm.Master.MasterScanTCPIP = true;
    farm.Master.MasterTCPIPPort = port;
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    ASSERT_TRUE(farm.WaitFor([&] { return farm.Computers().Count() == FarmNodes; }));
    WriteClientOptions(port);
    const QString shot = farm.WriteScene(QStringLiteral("shot.lws"), 1, 20);

    const TCliResult submitted
        = Run({ QStringLiteral("submit"), shot, QStringLiteral("--frames"), QStringLiteral("4-10x2"),
            QStringLiteral("--priority"), QStringLiteral("top"), QStringLiteral("--wait") });
    ASSERT_EQ(submitted.ExitCode, 0) << qPrintable(submitted.Out + submitted.Err);
    for (const int frame : { 4, 6, 8, 10 })
        EXPECT_TRUE(QFileInfo::exists(farm.FramePath(shot, frame, TFrameKind::RGB))) << frame;
    for (const int frame : { 1, 3, 5, 12 })
        EXPECT_FALSE(QFileInfo::exists(farm.FramePath(shot, frame, TFrameKind::RGB)))
            << "frame " << frame << " lies outside the frames asked for";
    const TSceneList stored = farm.Scenes();
    ASSERT_EQ(stored.Count(), 1);
    EXPECT_EQ(stored.Item(0).Settings.Priority, 4);
    EXPECT_FALSE(stored.Item(0).Settings.PlatformRenderComputers)
        << "taken by nodes again once its range came";
    ExpectJsonMatchesStateFiles();

    const TCliResult nodes = Run({ QStringLiteral("nodes") });
    EXPECT_EQ(nodes.ExitCode, 0);
    EXPECT_EQ(nodes.Out.count(u'\n'), 1 + FarmNodes);
}

// No Master at all: every way of reaching one says what to check and ends with exit code 1 at once.
TEST(CliWithoutMaster, SaysWhatToCheck)
{
    QTemporaryDir directory;
    TOptions options;
    options.SetFileName(JoinPath(directory.path(), QStringLiteral("cli.ini")));
    options.ScreamerDirectory = JoinPath(directory.path(), QStringLiteral("nowhere"));
    ASSERT_TRUE(options.Save());
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral(KESTRION_CLI_EXE),
            QStringList { QStringLiteral("--options"), options.FileName(), QStringLiteral("--timeout"),
                QStringLiteral("1") }
                + arguments);
        process.waitForFinished(20000);
        return std::make_pair(process.exitCode(), QString::fromUtf8(process.readAllStandardError()));
    };
    auto [code, error] = run({ QStringLiteral("status") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("The commands directory"))) << qPrintable(error);
    EXPECT_EQ(error.count(u'\n'), 1) << "said once";

    QDir().mkpath(options.ScreamerDirectory);
    // Lists a Master left behind are shown, with word that they are old.
    TSceneList none;
    ASSERT_TRUE(SaveSceneList(none, options.StateScenesFile()));
    ASSERT_TRUE(TComputerList().SaveToFile(options.StateComputersFile()));
    std::tie(code, error) = run({ QStringLiteral("status") });
    EXPECT_EQ(code, 0) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("No Master holds the commands directory"))) << qPrintable(error);
    QFile::remove(options.StateScenesFile());
    QFile::remove(options.StateComputersFile());
    std::tie(code, error) = run({ QStringLiteral("rescan") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("no Master took it within 1 s"))) << qPrintable(error);
    // The client speaks for no node: the Master would rename node 1 (the default) after it.
    QStringList waiting;
    ASSERT_TRUE(ReadTextLines(JoinPath(options.ScreamerDirectory, QStringLiteral("Remote.Msg")), waiting));
    ASSERT_GT(waiting.size(), 4);
    EXPECT_EQ(waiting[4], QString());

    options.RemoteSendTCPIP = true;
    options.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(FreePort());
    ASSERT_TRUE(options.Save());
    std::tie(code, error) = run({ QStringLiteral("status") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("MasterScanTCPIP=1"))) << qPrintable(error);

    std::tie(code, error) = run({ QStringLiteral("status"), QStringLiteral("--bogus") });
    EXPECT_EQ(code, 2);
    std::tie(code, error) = run({ QStringLiteral("--options"),
        JoinPath(directory.path(), QStringLiteral("none")), QStringLiteral("status") });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(error.contains(QStringLiteral("The options file"))) << qPrintable(error);
}
