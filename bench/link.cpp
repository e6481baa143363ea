// How long a Remote connected over TCP/IP waits for the Master's lists: from its "ProgramUpdate"
// until its own lists hold the Master's queue and computers, both ends in this process on
// loopback. Beside it the size of the "Lists" message, the Master's time to build it and the
// Remote's time to read it, so a slower round trip shows which side grew.
// Usage: bench_link [smoke] [DIRECTORY]
#include "bench_tools.h"
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
constexpr qint64 GiveUpMilliseconds = 30000;

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A queue as a busy farm has it: pieces handed out, frames found missing, render times kept.
std::unique_ptr<TScene> MakeScene(int index)
{
    auto scene = std::make_unique<TScene>();
    scene->Filename
        = QStringLiteral("/farm/shots/sq%1/shot%2.lws").arg(index / 100).arg(index, 5, 10, QLatin1Char('0'));
    scene->KestrionFilename = scene->Filename.chopped(3) + SceneCopyExtension;
    scene->Data.SaveRGBImagesPrefix = QStringLiteral("//server/frames/sq%1/shot%2_").arg(index / 100).arg(index);
    scene->Data.SaveAlphaImagesPrefix = QStringLiteral("//server/frames/sq%1/alpha%2_").arg(index / 100).arg(index);
    scene->Data.RGBImageSaver = QStringLiteral("LW_TGA24(.tga)");
    TSceneSettings& settings = scene->Settings;
    settings.Priority = 1 + index % 5;
    settings.Range = true;
    settings.CurrentFirst = 1 + index % 7;
    settings.CurrentLast = 250 + index % 50;
    settings.Singles = index % 3 == 0;
    settings.SinglesList = QStringLiteral("300 310 320 330");
    settings.AutomaticCopy = index % 2 == 0;
    settings.AutomaticCopyDirectory = QStringLiteral("/archive/sq%1").arg(index / 100);
    scene->Reset(NowDateTime());
    settings.RangeLast = index % 251;
    settings.RenderLast = static_cast<int>(settings.RangeLast);
    if (index % 4 == 0)
        settings.MissingList = QStringLiteral("17 18 19 42 97 98 99 100 101 180");
    scene->VerifyTimes = index % 3;
    scene->Statistics.RenderFramesCount = static_cast<int>(settings.RangeLast);
    scene->Statistics.RenderTimeTotal = settings.RangeLast * (3.5 / 24 / 60);
    scene->Statistics.TimeAdd = NowDateTime() - 1.25;
    scene->Comment = index % 5 == 0 ? QStringLiteral("client review friday") : QString();
    return scene;
}

// A farm in this process whose timers run only when called.
struct TInstallation
{
    TInstallation(const QString& directory, bool master, quint16 port)
    {
        options.Master = master;
        options.ScreamerDirectory = directory;
        options.ScreamerName = master ? QStringLiteral("master") : QStringLiteral("remote");
        options.MasterScanTCPIP = master;
        // Only the link: the Master stores no lists for Remotes of the command file.
        options.MasterScanRemote = false;
        options.MasterTCPIPPort = port;
        options.RemoteSendTCPIP = !master;
        options.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(port);
        controller = std::make_unique<TController>(options, people, clock);
        controller->Start();
        for (QTimer* timer : { &controller->TimerMaster, &controller->TimerRemote, &controller->TimerGeneral,
                 &controller->TimerMasterLock })
            timer->stop();
    }
    ~TInstallation() { controller->Close(); }
    TFarm& Farm() { return controller->Farm(); }

    TOptions options { QStringLiteral("bench-link.ini") };
    TSilentPeople people;
    TManualClock clock;
    std::unique_ptr<TController> controller;
};

// Runs the event loop until `done` or the give-up time; false when it gave up.
template <typename Done> bool WaitFor(Done done)
{
    QElapsedTimer waited;
    waited.start();
    // Wakes the loop now and then, so a wait that nothing ends still gives up.
    QTimer wake;
    wake.start(20);
    while (!done()) {
        if (waited.elapsed() > GiveUpMilliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

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
    QStringList arguments = application.arguments().mid(1);
    const bool smoke = arguments.removeAll(QStringLiteral("smoke")) > 0;
    const QString parent = ScratchParent(arguments);
    const int sceneCount = smoke ? 20 : 1000;
    const int computerCount = smoke ? 5 : 100;
    const int rounds = smoke ? 2 : 9;

    QTemporaryDir dir(parent + QStringLiteral("/bench-link-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch directory\n");
        return 1;
    }
    const quint16 port = FreePort();
    TInstallation master(dir.path(), true, port);
    master.controller->TimerMasterTimer();
    if (!master.controller->Link().Serving()) {
        std::fprintf(stderr, "the Master cannot listen on port %u\n", port);
        return 1;
    }
    TFarm& masterFarm = master.Farm();
    for (int i = 0; i < sceneCount; ++i)
        masterFarm.Scenes.Append(MakeScene(i));
    masterFarm.Scenes.Renumber();
    for (int i = 0; i < computerCount; ++i)
        masterFarm.Computers.Add(MakeComputer(i));

    TInstallation remote(dir.path(), false, port);
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
    std::printf("Lists message:                                     %lld bytes\n", static_cast<long long>(bytes));
    std::printf("building the Lists command on the Master:          median %8.2f ms  max %8.2f ms\n",
        Median(builds), Max(builds));
    std::printf("reading it on the Remote (LoadState):              median %8.2f ms  max %8.2f ms\n",
        Median(parses), Max(parses));
    return 0;
}
