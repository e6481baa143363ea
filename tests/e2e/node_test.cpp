// kestrion-node as a real process, driven by a scripted Master through the farm's own job and
// ack files.
#include "model/node_channel.h"
#include "options/options.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <utility>

namespace {

constexpr int Node = 1;
constexpr int Patience = 15000;

class NodeProcess : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("commands")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("content")));
        options.ScreamerDirectory = dir.filePath(QStringLiteral("commands"));
        content = dir.filePath(QStringLiteral("content"));
        scene = dir.filePath(QStringLiteral("shot.lns"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KESTRION_TEST_DATA "/scenes/plain.lws"), scene));
    }

    void TearDown() override
    {
        node.kill();
        node.waitForFinished();
    }

    void StartNode(const QString& switches, const QStringList& interval = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KESTRION_NODE_OPTIONS"), switches);
        node.setProcessEnvironment(environment);
        node.setProcessChannelMode(QProcess::MergedChannels);
        node.start(QStringLiteral(KESTRION_NODE_EXE),
            QStringList { QStringLiteral("-2"), QStringLiteral("-c") + dir.path() } + interval
                + QStringList { JobFileName(options, Node), AckFileName(options, Node) });
        ASSERT_TRUE(node.waitForStarted());
    }

    // Lets time pass while collecting what the node says.
    void Pump()
    {
        if (!node.waitForReadyRead(5))
            QThread::msleep(5);
        output += node.readAll();
    }

    // Takes the next acknowledgement the way the Master does: read, then delete.
    QString TakeAck()
    {
        QDeadlineTimer deadline(Patience);
        TAck ack;
        while (!ReadAck(options, Node, ack) && !deadline.hasExpired())
            Pump();
        DeleteAck(options, Node);
        return deadline.hasExpired() ? QStringLiteral("<no ack>") : ack.State + u'|' + ack.Platform;
    }

    // The node says one line per job it acts on.
    bool ActedOn(const QByteArray& line, int times)
    {
        QDeadlineTimer deadline(Patience);
        while (output.count("kestrion-node: " + line + '\n') < times && !deadline.hasExpired())
            Pump();
        return !deadline.hasExpired();
    }

    bool Appears(const QString& path)
    {
        QDeadlineTimer deadline(Patience);
        while (!QFileInfo::exists(path) && !deadline.hasExpired())
            Pump();
        return !deadline.hasExpired();
    }

    QString Frame(const char* name) const
    {
        return content + QStringLiteral("/Images/") + QLatin1String(name);
    }

    QTemporaryDir dir;
    TOptions options;
    QString content;
    QString scene;
    QProcess node;
    QByteArray output;
};

TEST_F(NodeProcess, FollowsTheMasterThroughAPieceAndQuits)
{
    StartNode(QStringLiteral("--frame-time 20 --poll 10 --platform Alpha"));
    WriteJob(options, Node, JobInit);
    EXPECT_EQ(TakeAck(), QStringLiteral("Initializing|Alpha"));
    WriteJob(options, Node, JobWait);
    EXPECT_EQ(TakeAck(), QStringLiteral("Ready|Alpha"));
    // A second "wait" is a new job, but a node that is ready says so once.
    WriteJob(options, Node, JobWait);
    ASSERT_TRUE(ActedOn("wait", 2));
    WriteJob(options, Node, JobContent, content);
    EXPECT_EQ(TakeAck(), QStringLiteral("Setting content directory|Alpha"));
    WriteJob(options, Node, JobLoad, scene);
    EXPECT_EQ(TakeAck(), QStringLiteral("Loading|Alpha"));

    // A slow Master: the whole piece is rendered before it takes the first acknowledgement, and
    // still sees the render begin, its latest frame, and its end.
    WriteJob(options, Node, JobRender, QStringLiteral("3 9 2"));
    ASSERT_TRUE(Appears(Frame("teapot_alpha009.tga")));
    EXPECT_EQ(TakeAck(), QStringLiteral("Rendering frame 3|Alpha"));
    EXPECT_EQ(TakeAck(), QStringLiteral("Rendering frame 9|Alpha"));
    EXPECT_EQ(TakeAck(), QStringLiteral("Ready|Alpha"));
    for (const char* name : { "teapot003.tga", "teapot005.tga", "teapot007.tga", "teapot009.tga",
             "teapot_alpha003.tga", "teapot_alpha005.tga", "teapot_alpha007.tga", "teapot_alpha009.tga" })
        EXPECT_EQ(QFileInfo(Frame(name)).size(), 18 + 8 * 8 * 3) << name;
    EXPECT_FALSE(QFileInfo::exists(Frame("teapot004.tga")));
    EXPECT_EQ(QDir(content + QStringLiteral("/Images")).entryList(QDir::Files).size(), 8);

    // "quit" in the middle of a long piece ends it at once.
    WriteJob(options, Node, JobRender, QStringLiteral("1000 1 -1"));
    EXPECT_EQ(TakeAck(), QStringLiteral("Rendering frame 1000|Alpha"));
    WriteJob(options, Node, JobQuit);
    ASSERT_TRUE(node.waitForFinished(Patience));
    EXPECT_EQ(node.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(node.exitCode(), 0);
    EXPECT_EQ(TakeAck(), QStringLiteral("Offline|Alpha"));
    EXPECT_FALSE(QFileInfo::exists(Frame("teapot001.tga")));
}

TEST_F(NodeProcess, CrashAfterDiesWithoutAWord)
{
    options.MasterScreamerOldStyle = true;
    // The farm passes whatever interval its options hold; one of 0 must not keep the node from starting.
    StartNode(QStringLiteral("--frame-time 20 --poll 10 --crash-after 2"), { QStringLiteral("-t0") });
    WriteJob(options, Node, JobContent, content);
    EXPECT_EQ(TakeAck(), QStringLiteral("Setting content directory|x86"));
    WriteJob(options, Node, JobLoad, scene);
    EXPECT_EQ(TakeAck(), QStringLiteral("Loading|x86"));
    WriteJob(options, Node, JobRender, QStringLiteral("1 5 1"));
    ASSERT_TRUE(node.waitForFinished(Patience));
    EXPECT_NE(node.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(Frame("teapot_alpha002.tga")));
    EXPECT_FALSE(QFileInfo::exists(Frame("teapot003.tga")));
    // Whatever it last said, it was not that the piece was done or that it left.
    TAck ack;
    ack.State = QStringLiteral("Rendering frame (none written)");
    ReadAck(options, Node, ack);
    EXPECT_TRUE(ack.State.startsWith(QStringLiteral("Rendering frame "))) << ack.State.toStdString();
}

} // namespace

namespace {

struct TRun
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

TRun RunProgram(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    TRun run;
    if (!process.waitForFinished(Patience) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.ExitCode = process.exitCode();
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The programs without windows answer --help and --version and refuse a switch they do not
// know with their usage on standard error, before they touch any farm.
TEST(ProgramSwitches, HelpVersionAndUnknownSwitches)
{
    for (const auto& [program, name] : { std::pair { QStringLiteral(KESTRION_NODE_EXE), "kestrion-node" },
             std::pair { QStringLiteral(KESTRION_DAEMON_EXE), "kestriond" } }) {
        const QString usage = QStringLiteral("usage: ") + QLatin1StringView(name);
        const TRun help = RunProgram(program, { QStringLiteral("--help") });
        EXPECT_EQ(help.ExitCode, 0) << name;
        EXPECT_TRUE(help.Out.startsWith(usage)) << help.Out.toStdString();
        const TRun version = RunProgram(program, { QStringLiteral("--version") });
        EXPECT_EQ(version.ExitCode, 0) << name;
        EXPECT_TRUE(version.Out.startsWith(QLatin1StringView(name) + QStringLiteral(" 4.")))
            << version.Out.toStdString();
        const TRun unknown = RunProgram(program, { QStringLiteral("--frobnicate") });
        EXPECT_EQ(unknown.ExitCode, 2) << name;
        EXPECT_TRUE(unknown.Out.isEmpty()) << name;
        EXPECT_TRUE(unknown.Err.contains(QStringLiteral("--frobnicate"))) << unknown.Err.toStdString();
        EXPECT_TRUE(unknown.Err.contains(usage)) << unknown.Err.toStdString();
    }
}

} // namespace
