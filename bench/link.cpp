// How long a Remote connected over TCP/IP waits for the Master's lists: from its "ProgramUpdate"
// until its own lists hold the Master's queue and computers, both ends in this process on
// loopback. Beside it the size of the "Lists" message, the Master's time to build it and the
// Remote's time to read it, so a slower round trip shows which side grew.
// Usage: bench_link [smoke] [DIRECTORY]
#include "bench_farm.h"
#include "farm/controller.h"
#include "farm/master_command.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/message_assembler.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double TargetSeconds = 0.25;

void EmptyLists(TFarm& farm)
{
    TSceneList scenes;
    TComputerList computers(farm.Clock);
    farm.Scenes.ReplaceWith(scenes);
    farm.Computers.ReplaceWith(computers);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const TFarmBenchRun run(application.arguments().mid(1));
    const int sceneCount = run.Scenes;
    const int computerCount = run.Computers;
    const int rounds = run.Rounds;

    const auto dir = run.ScratchDirectory(QStringLiteral("bench-link"));
    if (!dir)
        return 1;
    const quint16 port = FreePort();
    const auto master = BusyMaster(dir->path(), port, sceneCount, computerCount);
    if (!master)
        return 1;
    TFarm& masterFarm = master->Farm();

    TInstallation remote(dir->path(), false, port);
    remote.controller->TimerRemoteTimer();
    TFarm& remoteFarm = remote.Farm();
    const auto loaded = [&] {
        return remoteFarm.Scenes.Count() == sceneCount && remoteFarm.Computers.Count() == computerCount;
    };
    // The first lists come on connecting; the rounds start from there.
    if (!WaitFor(loaded)) {
        std::fprintf(stderr, "the Remote never got the Master's lists\n");
        return 1;
    }

    std::vector<double> roundTrips, builds, parses;
    qsizetype bytes = 0;
    for (int round = 0; round < rounds; ++round) {
        EmptyLists(remoteFarm);
        QElapsedTimer timer;
        timer.start();
        remoteFarm.Send(ProgramUpdate);
        if (!WaitFor(loaded)) {
            std::fprintf(stderr, "the Remote's lists were not loaded again in round %d\n", round + 1);
            return 1;
        }
        roundTrips.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        TCommand lists;
        builds.push_back(Milliseconds([&] { lists = ListsCommand(masterFarm); }));
        bytes = MessageBytes(lists).size();
        TSceneList scenes;
        TComputerList computers(remoteFarm.Clock);
        bool parsed = false;
        parses.push_back(Milliseconds([&] { parsed = LoadState(scenes, lists.Arguments, computers); }));
        if (!parsed || scenes.Count() != sceneCount || computers.Count() != computerCount) {
            std::fprintf(stderr, "the Lists command does not read back\n");
            return 1;
        }
    }

    std::printf("Lists over TCP/IP on loopback: %d scenes, %d computers, %d rounds\n", sceneCount,
        computerCount, rounds);
    std::printf("ProgramUpdate until the Remote's lists are loaded: median %8.2f ms  max %8.2f ms  "
                "(target at most %.0f ms at 1000 scenes, 100 computers)\n",
        Median(roundTrips), Max(roundTrips), TargetSeconds * 1000);
    std::printf(
        "Lists message:                                     %lld bytes\n", static_cast<long long>(bytes));
    std::printf("building the Lists command on the Master:          median %8.2f ms  max %8.2f ms\n",
        Median(builds), Max(builds));
    std::printf("reading it on the Remote (LoadState):              median %8.2f ms  max %8.2f ms\n",
        Median(parses), Max(parses));
    return 0;
}
