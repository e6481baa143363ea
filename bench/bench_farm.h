#pragma once
// What the benchmarks of whole farms share: a busy farm's queue, a Master and a Remote in this
// process whose timers run only when called, and waiting with the event loop turning.

#include "bench_tools.h"
#include "farm/controller.h"
#include "options/options.h"
#include "remote/tcp_link.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>

inline constexpr qint64 GiveUpMilliseconds = 30000;

// What a whole-farm benchmark is asked for: 1000 scenes and 100 nodes over nine rounds, or with
// "smoke" a small farm twice, only to keep it working; the scratch directory's parent.
struct TFarmBenchRun
{
    explicit TFarmBenchRun(QStringList arguments)
        : Smoke(arguments.removeAll(QStringLiteral("smoke")) > 0)
        , Scenes(Smoke ? 20 : 1000)
        , Computers(Smoke ? 5 : 100)
        , Rounds(Smoke ? 2 : 9)
        , Parent(ScratchParent(arguments))
    { }
    // A scratch directory "NAME-XXXXXX" under Parent; none, with the reason printed, when it cannot be made.
    std::unique_ptr<QTemporaryDir> ScratchDirectory(const QString& name) const
    {
        auto dir = std::make_unique<QTemporaryDir>(Parent + u'/' + name + QStringLiteral("-XXXXXX"));
        if (dir->isValid())
            return dir;
        std::fprintf(stderr, "cannot make a scratch directory under %s\n", qPrintable(Parent));
        return nullptr;
    }
    bool Smoke;
    int Scenes;
    int Computers;
    int Rounds;
    QString Parent;
};

// A queue as a busy farm has it: pieces handed out, frames found missing, render times kept.
inline std::unique_ptr<TScene> MakeScene(int index)
{
    auto scene = std::make_unique<TScene>();
    scene->Filename
        = QStringLiteral("/farm/shots/sq%1/shot%2.lws").arg(index / 100).arg(index, 5, 10, QLatin1Char('0'));
    scene->KestrionFilename = scene->Filename.chopped(3) + SceneCopyExtension;
    scene->Data.SaveRGBImagesPrefix
        = QStringLiteral("//server/frames/sq%1/shot%2_").arg(index / 100).arg(index);
    scene->Data.SaveAlphaImagesPrefix
        = QStringLiteral("//server/frames/sq%1/alpha%2_").arg(index / 100).arg(index);
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

// The Master of a busy farm in `directory`, serving TCP/IP on `port`, with `scenes` scenes
// (IDs from 1000) and `computers` nodes; none, with the reason printed, when it cannot listen.
inline std::unique_ptr<TInstallation> BusyMaster(
    const QString& directory, quint16 port, int scenes, int computers)
{
    auto master = std::make_unique<TInstallation>(directory, true, port);
    master->controller->TimerMasterTimer();
    if (!master->controller->Link().Serving()) {
        std::fprintf(stderr, "the Master cannot listen on port %u\n", port);
        return nullptr;
    }
    TFarm& farm = master->Farm();
    for (int i = 0; i < scenes; ++i)
        farm.Scenes.Append(MakeScene(i)).ID = 1000 + i;
    farm.Scenes.Renumber();
    for (int i = 0; i < computers; ++i)
        farm.Computers.Add(MakeComputer(i));
    return master;
}
