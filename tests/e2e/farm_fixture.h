#pragma once
// A scratch farm with real processes: kestriond as the Master, its kestrion-node render nodes, and
// a Remote that sends commands through "Remote.Msg", all in one temporary directory. Nothing it
// started outlives it.

#include "model/computer.h"
#include "model/node_channel.h"
#include "model/scene.h"
#include "model/scene_list.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command.h"
#include "remote/command_file.h"
#include "support/files.h"
#include "support/paths.h"
#include "support/text_file.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <vector>

inline constexpr int FarmNodes = 3;
inline constexpr int FarmPatience = 60000;

struct TNodeProcess
{
    int Number; // 0: not one of the farm's job files
    qint64 Pid;
};

class TScratchFarm
{
public:
    TScratchFarm()
    {
        Root = Dir.path();
        Commands = JoinPath(Root, QStringLiteral("commands"));
        Config = JoinPath(Root, QStringLiteral("config"));
        Content = JoinPath(Root, QStringLiteral("content"));
        OptionsName = JoinPath(Root, QStringLiteral("master"));
        for (const QString& directory : { Commands, Config, JoinPath(Content, QStringLiteral("Scenes")),
                 JoinPath(Root, QStringLiteral("tmp")) })
            QDir().mkpath(directory);
        WriteConfig();

        Master.SetFileName(OptionsName + QStringLiteral(".ini"));
        Master.Load();
        Master.Master = true;
        Master.ScreamerDirectory = Commands;
        Master.ScreamerConfig = Config;
        Master.ConfigNumber = QStringLiteral("3");
        Master.ScreamerFilename = QStringLiteral(KESTRION_NODE_EXE);
        Master.ScreamerName = QStringLiteral("TestMaster");
        Master.ScreamerNumbers = QStringLiteral("1 2 3");
        Master.ScreamerHide = true;
        Master.ScreamerPriorityIdle = false;
        Master.MasterScreamerComputers = FarmNodes;
        Master.MasterScreamerFrames = 3;
        Master.MasterRenderInterval = 200;
        Master.MasterScanRemote = true;
        Master.ReadLightWaveConfig();

        Remote.ScreamerDirectory = Commands;
        Remote.ScreamerName = QStringLiteral("TestRemote");
        // Outside the Master's overview, so the Remote's name never lands on a node.
        Remote.ScreamerNumbers = QStringLiteral("9");
    }

    ~TScratchFarm() { Shutdown(); }

    // A copy of the plain test scene with this range; its outputs lie in the content directory.
    QString WriteScene(const QString& name, int first, int last)
    {
        QStringList lines;
        ReadTextLines(QStringLiteral(KESTRION_TEST_DATA "/scenes/plain.lws"), lines);
        for (QString& line : lines) {
            if (line.startsWith(QStringLiteral("FirstFrame ")))
                line = QStringLiteral("FirstFrame %1").arg(first);
            else if (line.startsWith(QStringLiteral("LastFrame ")))
                line = QStringLiteral("LastFrame %1").arg(last);
        }
        const QString path = JoinPath(JoinPath(Content, QStringLiteral("Scenes")), name);
        WriteTextLines(path, lines, TTextEncoding::Utf8);
        return path;
    }

    // The initial options a Remote that never changed them sends.
    TSceneSettings DefaultSettings() const { return TScene(Master.ContentDirectory).Settings; }

    // Writes the options and starts kestriond with its own temporary directory (the instance
    // lock lives there) and the node switches in the environment its nodes inherit.
    bool StartMaster(const QString& nodeSwitches, bool startNodes = true)
    {
        if (!Master.Save())
            return false;
        ++FRuns;
        MasterProcess = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), JoinPath(Root, QStringLiteral("tmp")));
        environment.insert(QStringLiteral("KESTRION_NODE_OPTIONS"), nodeSwitches);
        MasterProcess->setProcessEnvironment(environment);
        MasterProcess->setStandardOutputFile(LogPath(FRuns, "out"));
        MasterProcess->setStandardErrorFile(LogPath(FRuns, "err"));
        QStringList arguments;
        if (startNodes)
            arguments << QStringLiteral("--start-nodes");
        arguments << OptionsName;
        MasterProcess->start(QStringLiteral(KESTRION_DAEMON_EXE), arguments);
        return MasterProcess->waitForStarted();
    }

    // A node the test starts itself, with switches of its own; the Master's next rescan finds it.
    bool StartNode(int number, const QString& switches)
    {
        auto node = std::make_unique<QProcess>();
        node->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        node->setStandardOutputFile(QProcess::nullDevice());
        node->start(QStringLiteral(KESTRION_NODE_EXE),
            QStringList { QStringLiteral("-2"), QStringLiteral("-c") + Config }
                + switches.split(u' ', Qt::SkipEmptyParts)
                + QStringList { JobFileName(Master, number), AckFileName(Master, number) });
        const bool started = node->waitForStarted();
        FOwnNodes.push_back(std::move(node));
        return started;
    }

    bool MasterRunning() const { return MasterProcess && MasterProcess->state() != QProcess::NotRunning; }

    // SIGTERM, as a service manager stops it; true when it ended by itself with exit code 0.
    bool StopMaster()
    {
        if (!MasterRunning())
            return false;
        MasterProcess->terminate();
        if (!MasterProcess->waitForFinished(15000)) {
            MasterProcess->kill();
            MasterProcess->waitForFinished();
            return false;
        }
        return MasterProcess->exitStatus() == QProcess::NormalExit && MasterProcess->exitCode() == 0;
    }

    // Polls every 100 ms until `done` or the deadline; gives up early when the Master has ended.
    bool WaitFor(const std::function<bool()>& done, int milliseconds = FarmPatience)
    {
        const QDeadlineTimer deadline(milliseconds);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            if (!MasterRunning())
                QThread::msleep(100);
            else if (MasterProcess->waitForFinished(100))
                return done();
        }
        return true;
    }

    // Sends as a Remote does: through the outbox, which waits while another command is there.
    bool Send(int code, const QStringList& arguments)
    {
        TCommand command = MakeCommand(code, Remote);
        command.Arguments = arguments;
        SendCommand(FOutbox, command, Remote);
        return WaitFor([this] {
            if (FOutbox.Pending() > 0)
                FOutbox.Flush(Remote);
            return FOutbox.Pending() == 0;
        });
    }

    bool AddScene(const QString& path, const TSceneSettings& settings)
    {
        QStringList arguments { QStringLiteral("1"), path };
        TScene initial(Master.ContentDirectory);
        initial.Settings = settings;
        WriteRecord(initial, arguments);
        return Send(ScenesAdd, arguments);
    }

    // The queue and the nodes as the Master last stored them for Remotes.
    TSceneList Scenes() const
    {
        TSceneList scenes;
        LoadSceneList(scenes, Master.StateScenesFile());
        return scenes;
    }
    TComputerList Computers() const
    {
        TComputerList computers;
        computers.LoadFromFile(Master.StateComputersFile());
        return computers;
    }
    // The last queued scene of that file; none while the queue does not hold it.
    static const TScene* FindScene(const TSceneList& scenes, const QString& path)
    {
        for (int i = scenes.Count() - 1; i >= 0; --i)
            if (scenes.Item(i).Filename == path)
                return &scenes.Item(i);
        return nullptr;
    }
    bool SceneVerified(const QString& path) const
    {
        const TSceneList scenes = Scenes();
        const TScene* scene = FindScene(scenes, path);
        return scene && scene->Verified;
    }

    QString FramePath(const QString& scenePath, int frame, TFrameKind kind) const
    {
        TScene scene(Master.ContentDirectory);
        scene.ReadSceneFile(scenePath);
        return scene.FrameFileName(frame, kind, Master.ContentDirectory);
    }
    // RGB and alpha files of every frame of the scene's own range that are not on disk.
    QStringList MissingFrameFiles(const QString& scenePath) const
    {
        TScene scene(Master.ContentDirectory);
        scene.ReadSceneFile(scenePath);
        QStringList missing;
        for (int frame = scene.Data.OriginalFirst; frame <= scene.Data.OriginalLast; ++frame)
            for (const TFrameKind kind : { TFrameKind::RGB, TFrameKind::Alpha }) {
                const QString path = scene.FrameFileName(frame, kind, Master.ContentDirectory);
                if (!QFileInfo::exists(path))
                    missing << ExtractName(path);
            }
        return missing;
    }

    // The live node processes of this farm; a node's number comes from the job file it was given.
    std::vector<TNodeProcess> NodeProcesses() const
    {
        std::vector<TNodeProcess> nodes;
        const QStringList entries
            = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& entry : entries) {
            bool isNumber = false;
            const qint64 pid = entry.toLongLong(&isNumber);
            if (!isNumber || !Alive(pid))
                continue;
            const QList<QByteArray> words = ReadProc(pid, "cmdline").split('\0');
            if (!words.first().endsWith("kestrion-node")
                || !words.join(' ').contains(QFile::encodeName(Root)))
                continue;
            TNodeProcess node { 0, pid };
            for (int number = 1; number <= FarmNodes; ++number)
                if (words.contains(QFile::encodeName(JobFileName(Master, number))))
                    node.Number = number;
            nodes.push_back(node);
        }
        return nodes;
    }
    qint64 NodeProcess(int number) const
    {
        for (const TNodeProcess& node : NodeProcesses())
            if (node.Number == number)
                return node.Pid;
        return 0;
    }

    // Everything this farm started ends: the Master by SIGTERM, then each node by "quit", and
    // whatever still lives of the farm's nodes by SIGKILL.
    void Shutdown()
    {
        if (MasterRunning())
            StopMaster();
        if (NodeProcesses().empty())
            return;
        for (int number = 1; number <= FarmNodes; ++number) {
            try {
                DeleteAck(Master, number);
                WriteJob(Master, number, JobQuit);
            } catch (const EInOutError&) { }
        }
        const QDeadlineTimer deadline(5000);
        while (!NodeProcesses().empty() && !deadline.hasExpired())
            QThread::msleep(50);
        for (const TNodeProcess& node : NodeProcesses())
            ::kill(static_cast<pid_t>(node.Pid), SIGKILL);
        const QDeadlineTimer killed(5000);
        while (!NodeProcesses().empty() && !killed.hasExpired())
            QThread::msleep(50);
        for (const auto& node : FOwnNodes)
            node->waitForFinished(1000);
    }

    // kestriond's standard output of every run so far: one line per event.
    QString MasterLog() const
    {
        QString text;
        for (int run = 1; run <= FRuns; ++run)
            text += QString::fromUtf8(ReadFile(LogPath(run, "out")));
        return text;
    }
    // Standard error of every run; nodes started with ScreamerHide off write there too.
    QString MasterErrors() const
    {
        QString text;
        for (int run = 1; run <= FRuns; ++run)
            text += QString::fromUtf8(ReadFile(LogPath(run, "err")));
        return text;
    }

    // Each frame's count of "render" jobs the nodes took, from the lines shown nodes write on
    // kestriond's standard error (ScreamerHide off).
    std::map<int, int> HandedOut() const
    {
        std::map<int, int> handedOut;
        static const QRegularExpression render(
            QStringLiteral("^kestrion-node: render (\\d+) (\\d+) ([1-9]\\d*)$"),
            QRegularExpression::MultilineOption);
        for (auto match = render.globalMatch(MasterErrors()); match.hasNext();) {
            const QRegularExpressionMatch piece = match.next();
            for (int frame = piece.captured(1).toInt(); frame <= piece.captured(2).toInt();
                 frame += piece.captured(3).toInt())
                ++handedOut[frame];
        }
        return handedOut;
    }

    void PrintDiagnostics() const
    {
        std::printf("--- kestriond output\n%s--- kestriond errors\n%s--- StateComputers.lst\n%s\n",
            qPrintable(MasterLog()), qPrintable(MasterErrors()),
            ReadFile(Master.StateComputersFile()).constData());
        for (int number = 1; number <= FarmNodes; ++number)
            std::printf("--- Job%d: %s--- Ack%d: %s\n", number,
                ReadFile(JobFileName(Master, number)).replace("\r\n", " | ").constData(), number,
                ReadFile(AckFileName(Master, number)).replace("\r\n", " | ").constData());
    }

    QTemporaryDir Dir;
    QString Root;
    QString Commands;
    QString Config;
    QString Content;
    QString OptionsName;
    TOptions Master;
    TOptions Remote;
    std::unique_ptr<QProcess> MasterProcess;

private:
    // LightWave's configuration pair from the test data, pointing at this farm's content.
    void WriteConfig()
    {
        for (const char* name : { "lw3.cfg", "lwext3.cfg" }) {
            QStringList lines;
            ReadTextLines(QStringLiteral(KESTRION_TEST_DATA "/lwconfig/") + QLatin1StringView(name), lines);
            for (QString& line : lines)
                if (line.startsWith(QStringLiteral("ContentDirectory ")))
                    line = QStringLiteral("ContentDirectory ") + Content;
            WriteTextLines(JoinPath(Config, QLatin1StringView(name)), lines, TTextEncoding::Utf8);
        }
    }

    QString LogPath(int run, const char* kind) const
    {
        return JoinPath(Root, QStringLiteral("kestriond%1.%2").arg(run).arg(QLatin1StringView(kind)));
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QByteArray ReadProc(qint64 pid, const char* name)
    {
        return ReadFile(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1StringView(name)));
    }

    // Zombies count as ended: nobody may reap a node once its starter has gone.
    static bool Alive(qint64 pid)
    {
        const QByteArray stat = ReadProc(pid, "stat");
        const qsizetype close = stat.lastIndexOf(')');
        return close >= 0 && close + 2 < stat.size() && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
    }

    int FRuns = 0;
    TCommandOutbox FOutbox;
    std::vector<std::unique_ptr<QProcess>> FOwnNodes;
};

// A whole-farm test: the farm's files and output are printed when it fails, and nothing it started
// outlives it.
class FarmEndToEnd : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure())
            farm.PrintDiagnostics();
        farm.Shutdown();
        EXPECT_TRUE(farm.NodeProcesses().empty());
    }

    bool AllFramesWritten(const QString& scene)
    {
        return farm.WaitFor([&] { return farm.MissingFrameFiles(scene).isEmpty(); });
    }

    TScratchFarm farm;
};
