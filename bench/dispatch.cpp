// How long one Master dispatch tick takes with every node "Ready" and a long queue whose scenes
// each take only a few nodes, against the bare file work of that tick (per node one ack read
// and delete and one job write). Usage: bench_dispatch [smoke] [DIRECTORY]
// The scratch files go below DIRECTORY, by default a memory file system where there is one:
// a job file is written safely (flushed to the disk), and on a disk that flush alone takes
// milliseconds per node and drowns out the work of the tick itself.
#include "bench_tools.h"
#include "farm/controller.h"
#include "model/node_channel.h"
#include "options/options.h"
#include "support/people.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Nodes per scene and share of the farm per scene: each scene takes two nodes, so the nodes
// spread over many scenes and choosing one walks far down the queue.
constexpr int ComputersPerScene = 2;
constexpr int PercentagePerScene = 50;

struct TFigures
{
    int Served = 0;
    double Tick = 0;
    double TickWithLists = 0;
    double Bare = 0;
};

class TBench
{
public:
    TBench(const QString& directory, int nodes, int scenes)
        : FController(FOptions, FPeople, FClock)
    {
        FOptions.Master = true;
        FOptions.ScreamerDirectory = JoinDirectory(directory, QStringLiteral("commands"));
        FOptions.MasterScreamerFrames = 1;
        FOptions.ContentDirectory = directory;
        // Dispatch never opens the scene files: they need not exist.
        const QString sceneDirectory = JoinDirectory(directory, QStringLiteral("scenes"));
        TFarm& farm = FController.Farm();
        for (int i = 0; i < scenes; ++i)
            farm.Scenes.Add(MakeScene(sceneDirectory, i), true);
        for (int i = 0; i < nodes; ++i)
            farm.Computers.Add(MakeNode(i));
    }

    bool Ready() const { return QDir().mkpath(FOptions.ScreamerDirectory); }

    TFigures Measure(int rounds)
    {
        TFigures figures;
        std::vector<double> ticks, ticksWithLists, bares;
        // Round 0 only warms up: the first job files are created, later ones replaced.
        for (int round = 0; round <= rounds; ++round) {
            FOptions.MasterScanRemote = false;
            const double tick = TimeTick(figures.Served);
            FOptions.MasterScanRemote = true;
            int served = 0;
            const double tickWithLists = TimeTick(served);
            const double bare = TimeBare();
            if (round == 0 && tick >= 0 && tickWithLists >= 0 && bare >= 0)
                continue;
            ticks.push_back(tick);
            ticksWithLists.push_back(tickWithLists);
            bares.push_back(bare);
        }
        figures.Tick = Median(ticks);
        figures.TickWithLists = Median(ticksWithLists);
        figures.Bare = Median(bares);
        return figures;
    }

private:
    static QString JoinDirectory(const QString& directory, const QString& name)
    {
        return directory + u'/' + name;
    }

    std::unique_ptr<TScene> MakeScene(const QString& directory, int index)
    {
        auto scene = std::make_unique<TScene>(FOptions.ContentDirectory);
        const QString base = directory + QStringLiteral("/scene%1").arg(index, 4, 10, QLatin1Char('0'));
        scene->Filename = base + QStringLiteral(".lws");
        scene->KestrionFilename = base + u'.' + SceneCopyExtension;
        TSceneSettings& settings = scene->Settings;
        settings.Range = true;
        settings.CurrentFirst = 1;
        settings.CurrentLast = 1000000000;
        settings.CurrentStep = 1;
        settings.PlatformRenderComputers = true;
        settings.PlatformRenderComputersValue = ComputersPerScene;
        settings.PlatformRenderPercentage = true;
        settings.PlatformRenderPercentageValue = PercentagePerScene;
        scene->Reset(NowDateTime());
        return scene;
    }

    static std::unique_ptr<TComputer> MakeNode(int index)
    {
        auto node = std::make_unique<TComputer>();
        node->Number = index + 1;
        // Two nodes to a computer, as on a farm of dual-processor machines.
        node->Name = QStringLiteral("render%1").arg(index / 2);
        node->Processors = 2;
        node->Memory = 4096;
        node->StateString = AckReady;
        return node;
    }

    // Every node back to "Ready" with no piece and no scene, and its "Ready" on the share.
    bool PrepareRound()
    {
        TFarm& farm = FController.Farm();
        for (int i = 0; i < farm.Computers.Count(); ++i) {
            TComputer& node = farm.Computers.Item(i);
            node.StateString = AckReady;
            node.Frames.clear();
            node.SceneString.clear();
            node.SceneLoadFile.clear();
            node.SceneId = 0;
            node.SceneStamp = 0;
            // As a node writes it: plainly, without the Master's safe replace.
            QFile ack(AckFileName(FOptions, node.Number));
            if (!ack.open(QIODevice::WriteOnly) || ack.write("Ready\r\n\r\n") < 0)
                return false;
        }
        FController.Dispatch().RescanCounter = 0;
        return true;
    }

    double TimeTick(int& served)
    {
        if (!PrepareRound())
            return -1;
        const double time = Milliseconds([&] { FController.Dispatch().TimerMasterTimer(); });
        const TComputerList& nodes = FController.Farm().Computers;
        served = 0;
        for (int i = 0; i < nodes.Count(); ++i)
            served += nodes.Item(i).StateString == StateNextFrame ? 1 : 0;
        return time;
    }

    double TimeBare()
    {
        if (!PrepareRound())
            return -1;
        const TComputerList& nodes = FController.Farm().Computers;
        return Milliseconds([&] {
            for (int i = 0; i < nodes.Count(); ++i) {
                const int number = nodes.Item(i).Number;
                TAck ack;
                ReadAck(FOptions, number, ack);
                DeleteAck(FOptions, number);
                WriteJob(FOptions, number, JobContent, FOptions.ContentDirectory);
            }
        });
    }

    TOptions FOptions { QStringLiteral("bench-dispatch.ini") };
    TSilentPeople FPeople;
    TManualClock FClock;
    TController FController;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool smoke = arguments.removeAll(QStringLiteral("smoke")) > 0;
    const QString parent = ScratchParent(arguments);
    const std::vector<int> nodeCounts = smoke ? std::vector<int> { 9 } : std::vector<int> { 9, 100, 1000 };
    const std::vector<int> sceneCounts = smoke ? std::vector<int> { 10 } : std::vector<int> { 10, 1000 };
    const int rounds = smoke ? 1 : 7;

    std::printf(
        "one dispatch tick, every node \"Ready\", each scene at most %d nodes and %d%% of the farm;\n",
        ComputersPerScene, PercentagePerScene);
    std::printf("median of %d rounds; bare: per node one ack read and delete and one job write\n", rounds);
    std::printf("scratch files below %s\n\n", qPrintable(parent));
    std::printf("%6s %7s %7s %10s %12s %10s %7s\n", "nodes", "scenes", "served", "tick ms", "+lists ms",
        "bare ms", "ratio");
    double targetRatio = -1;
    for (int nodes : nodeCounts)
        for (int scenes : sceneCounts) {
            QTemporaryDir dir(parent + QStringLiteral("/bench-dispatch-XXXXXX"));
            if (!dir.isValid()) {
                std::fprintf(stderr, "cannot make a scratch directory\n");
                return 1;
            }
            TBench bench(dir.path(), nodes, scenes);
            if (!bench.Ready()) {
                std::fprintf(stderr, "cannot make the scratch directories\n");
                return 1;
            }
            const TFigures figures = bench.Measure(rounds);
            if (figures.Tick < 0 || figures.TickWithLists < 0 || figures.Bare < 0) {
                std::fprintf(stderr, "cannot write the ack files\n");
                return 1;
            }
            const double ratio = figures.Bare > 0 ? figures.Tick / figures.Bare : 0.0;
            if (nodes == 1000 && scenes == 1000)
                targetRatio = ratio;
            std::printf("%6d %7d %7d %10.2f %12.2f %10.2f %7.2f\n", nodes, scenes, figures.Served,
                figures.Tick, figures.TickWithLists, figures.Bare, ratio);
        }
    std::printf("\nratio: tick / bare, MasterScanRemote off; +lists: the same tick storing the lists for "
                "Remotes\n");
    if (targetRatio >= 0)
        std::printf("target: ratio at most 3 at 1000 nodes x 1000 scenes; here %.2f\n", targetRatio);
    return 0;
}
