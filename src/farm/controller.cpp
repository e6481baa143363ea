#include "farm/controller.h"

#include "farm/remote_update.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/files.h"
#include "support/people.h"

TController::TController(TOptions& options, TPeople& people, const TClock& clock)
    : FFarm(options, people, clock)
    , FDiscovery(FFarm)
    , FDispatch(FFarm, FDiscovery)
{
    TimerMasterRescan.setSingleShot(true);
    TimerMasterRescan.setInterval(3000);
    TimerRemote.setInterval(1000);
    TimerRemoteUpdateAutomatic.setSingleShot(true);
    TimerRemoteUpdateAutomatic.setInterval(3000);
    TimerGeneral.setInterval(1000);
    connect(&TimerMaster, &QTimer::timeout, this, &TController::TimerMasterTimer);
    connect(&TimerMasterRescan, &QTimer::timeout, this, &TController::TimerMasterRescanTimer);
    connect(&TimerGeneral, &QTimer::timeout, this, &TController::TimerGeneralTimer);
    connect(&TimerRemote, &QTimer::timeout, this, &TController::TimerRemoteTimer);
    connect(
        &TimerRemoteUpdateAutomatic, &QTimer::timeout, this, &TController::TimerRemoteUpdateAutomaticTimer);
    FDiscovery.ArmRescanTimer = [this] { TimerMasterRescan.start(); };
    FFarm.RequestRemoteUpdate = [this] { TimerRemoteUpdateAutomatic.start(); };
}

void TController::Start()
{
    TOptions& options = FFarm.Options;
    // Missing list files are no error: the lists start empty.
    LoadSceneList(FFarm.Scenes, options.StateScenesFile());
    FFarm.Computers.LoadFromFile(options.StateComputersFile());
    FFarm.Screamers.Sync(options.ScreamerNumbers);
    if (FFarm.IsMaster()) {
        if (FFarm.Overview.Load(options.StateOverviewFile()) == TComputerOverview::TLoadResult::Outdated)
            FFarm.People.Ask(OverviewOutdatedText, false);
        FFarm.Overview.SetItemCount(options.MasterScreamerComputers);
    }
    FDispatch.RescanCounter = 0;
    ApplyMode();
    FFarm.Events.AddEvent(0, QStringLiteral("Program"), QString(), QStringLiteral("Started."));
}

bool TController::Close()
{
    FFarm.Events.AddEvent(0, QStringLiteral("Program"), QString(), QStringLiteral("Ended"));
    bool written = true;
    if (FFarm.IsMaster()) {
        if (!SaveSceneList(FFarm.Scenes, FFarm.Options.StateScenesFile())) {
            FFarm.People.Ask(SceneListWriteError, false);
            written = false;
        }
        if (!FFarm.Computers.SaveToFile(FFarm.Options.StateComputersFile())) {
            FFarm.People.Ask(ComputerListWriteError, false);
            written = false;
        }
    }
    TimerGeneral.stop();
    TimerMaster.stop();
    TimerRemote.stop();
    TimerMasterRescan.stop();
    TimerRemoteUpdateAutomatic.stop();
    return FFarm.Options.Save() && written;
}

void TController::ApplyMode()
{
    if (FFarm.IsMaster()) {
        TimerMaster.setInterval(std::max(FFarm.Options.MasterRenderInterval, 1));
        TimerMaster.start();
        TimerRemote.stop();
    } else {
        TimerMaster.stop();
        TimerRemote.start();
    }
    TimerGeneral.start();
}

template <typename Work> void TController::Guarded(QString& lastError, Work work)
{
    try {
        work();
        lastError.clear();
    } catch (const EInOutError& error) {
        const QString text = QString::fromLocal8Bit(error.what());
        if (text != lastError)
            FFarm.Events.AddEvent(1, QStringLiteral("Master"), QStringLiteral("Error"), text);
        lastError = text;
    }
}

void TController::TimerMasterTimer()
{
    Guarded(FMasterError, [this] { FDispatch.TimerMasterTimer(); });
}

void TController::TimerMasterRescanTimer()
{
    TimerMasterRescan.stop();
    Guarded(FRescanError, [this] { FDiscovery.TimerMasterRescanTimer(); });
}

void TController::TimerGeneralTimer()
{
    Guarded(FGeneralError, [this] {
        FDiscovery.CheckNodeProcesses();
        // Commands wait in the outbox until the Master has taken the one before.
        FFarm.Outbox.Flush(FFarm.Options);
    });
}

bool TController::StartScreamer(int index)
{
    bool started = false;
    Guarded(FCommandError, [&] { started = ::StartScreamer(FFarm, FDiscovery, index); });
    return started;
}

void TController::Rescan()
{
    Guarded(FCommandError, [this] { FDiscovery.Rescan(); });
}

bool TController::MarkCrashed(const QList<int>& numbers)
{
    bool done = false;
    Guarded(FCommandError, [&] { done = FDiscovery.MarkCrashed(numbers); });
    return done;
}

bool TController::Kill(const QList<int>& numbers)
{
    bool done = false;
    Guarded(FCommandError, [&] { done = FDiscovery.Kill(numbers); });
    return done;
}

void TController::Update()
{
    if (!FFarm.IsMaster())
        UpdateFromMaster(FFarm);
}

void TController::TimerRemoteUpdateAutomaticTimer()
{
    TimerRemoteUpdateAutomatic.stop();
    if (FFarm.Options.RemoteUpdateCommands && !FFarm.Options.TcpIpInUse())
        Update();
}

void TController::TimerRemoteTimer()
{
    // The TCP/IP link's steps and copying finished frames come with the link.
    if (!FFarm.Options.RemoteUpdateAutomatic)
        return;
    if (FRemoteTicks <= qint64 { FFarm.Options.RemoteUpdateAutomaticTime } * 60) {
        ++FRemoteTicks;
        return;
    }
    FRemoteTicks = 0;
    Update();
}
