#include "farm/controller.h"

#include "farm/mail.h"
#include "farm/remote_update.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/files.h"
#include "support/people.h"

#include <QFileInfo>
#include <QScopedValueRollback>

TController::TController(TOptions& options, TPeople& people, const TClock& clock)
    : FFarm(options, people, clock)
    , FDiscovery(FFarm)
    , FDispatch(FFarm, FDiscovery)
    , FLink(FFarm, FDiscovery)
    , FHousekeeping(FFarm, FDiscovery, FIdle)
    , FSaver(FIdle)
{
    TimerMasterRescan.setSingleShot(true);
    TimerMasterRescan.setInterval(3000);
    TimerRemote.setInterval(1000);
    TimerRemoteUpdateAutomatic.setSingleShot(true);
    TimerRemoteUpdateAutomatic.setInterval(3000);
    TimerGeneral.setInterval(1000);
    TimerMasterLock.setInterval(TMasterLock::HeartbeatMilliseconds);
    connect(&TimerMasterLock, &QTimer::timeout, this, &TController::TimerMasterLockTimer);
    connect(&TimerMaster, &QTimer::timeout, this, &TController::TimerMasterTimer);
    connect(&TimerMasterRescan, &QTimer::timeout, this, &TController::TimerMasterRescanTimer);
    connect(&TimerGeneral, &QTimer::timeout, this, &TController::TimerGeneralTimer);
    connect(&TimerRemote, &QTimer::timeout, this, &TController::TimerRemoteTimer);
    connect(
        &TimerRemoteUpdateAutomatic, &QTimer::timeout, this, &TController::TimerRemoteUpdateAutomaticTimer);
    // A Master drives only once its commands directory and its lock are there.
    FFarm.Driving = false;
    FDiscovery.ArmRescanTimer = [this] { TimerMasterRescan.start(); };
    FAckWatch.Pass = [this] { AckPass(); };
    FFarm.RequestRemoteUpdate = [this] { TimerRemoteUpdateAutomatic.start(); };
    FHousekeeping.Update = [this] { Update(); };
    // The report goes out from a moment of its own: a timer whose slot waits for a mail never
    // fires meanwhile, and the housekeeping must go on. One report at a time.
    FHousekeeping.SendReport = [this] {
        if (FReporting)
            return;
        FReporting = true;
        QTimer::singleShot(0, this, [this] {
            if (!FFarm.Closing)
                SendPeriodicReport(FFarm);
            FReporting = false;
        });
    };
}

void TController::Start()
{
    TOptions& options = FFarm.Options;
    if (const QString report = options.LoadReport(); !report.isEmpty())
        FFarm.Events.AddEvent(1, QStringLiteral("Program"), QStringLiteral("Options"), report);
    FFarm.Screamers.Sync(options.ScreamerNumbers);
    FDispatch.RescanCounter = 0;
    if (FFarm.IsMaster()) {
        CheckLightWaveConfig();
        // Lists read before the commands directory is there would be stored empty over the
        // queue: a Master reads them once it can drive.
        FListsPending = true;
    } else
        LoadLists(false);
    ApplyMode();
    FFarm.Events.AddEvent(0, QStringLiteral("Program"), QString(), QStringLiteral("Started."));
    FFarm.Started = true;
    FIdle.Percentage = options.SaverPercentage;
    FSaver.Start();
}

void TController::LoadLists(bool master)
{
    TOptions& options = FFarm.Options;
    // Missing list files are no error: the lists start empty.
    LoadSceneList(FFarm.Scenes, options.StateScenesFile());
    FFarm.Computers.LoadFromFile(options.StateComputersFile());
    if (master) {
        if (FFarm.Overview.Load(options.StateOverviewFile()) == TComputerOverview::TLoadResult::Outdated)
            FFarm.People.Ask(OverviewOutdatedText, false);
        FFarm.Overview.SetItemCount(options.MasterScreamerComputers);
    }
    FFarm.People.Refresh(TView::Scenes);
    FFarm.People.Refresh(TView::Computers);
    // Lists of a directory that is not there yet are read again once a Master can drive.
    FListsPending = !QFileInfo(options.ScreamerDirectory).isDir();
}

void TController::CheckLightWaveConfig()
{
    const TOptions& options = FFarm.Options;
    if (options.ScreamerConfig == NoneText)
        FFarm.MasterEvent(QStringLiteral("Start"),
            QStringLiteral("LightWave's configuration directory is not set (option ScreamerConfig): the "
                           "content directory is unknown."));
    else if (!QFileInfo(options.LightWaveConfigFile()).isFile())
        FFarm.MasterEvent(QStringLiteral("Start"),
            QStringLiteral("LightWave's configuration %1 was not found (options ScreamerConfig and "
                           "ConfigNumber): the content directory is unknown.")
                .arg(options.LightWaveConfigFile()));
}

bool TController::ReadyToDrive()
{
    if (FFarm.Driving)
        return true;
    if (!FFarm.IsMaster())
        return false;
    const TOptions& options = FFarm.Options;
    const QString directory = options.ScreamerDirectory;
    const auto wait = [this](const QString& problem) {
        if (problem != FWaitingFor)
            FFarm.MasterEvent(QStringLiteral("Start"),
                problem + QStringLiteral(" Until then this Master drives no node and stores nothing."));
        FWaitingFor = problem;
        return false;
    };
    if (const QString problem = CommandsDirectoryProblem(directory); !problem.isEmpty())
        return wait(problem);
    switch (FLock.Take(directory, options.SystemInfo.ComputerName, options.ScreamerName)) {
    case TMasterLock::TResult::Held: {
        QString holder = FLock.Holder().Text();
        if (!FLock.Reason().isEmpty())
            holder += QStringLiteral(" (") + FLock.Reason() + u')';
        GiveWay(QStringLiteral("The commands directory %1 is driven by another Master: %2. This one drives "
                               "no node and runs as a Remote until it is closed.")
                    .arg(directory, holder));
        return false;
    }
    case TMasterLock::TResult::Failed:
        return wait(
            QStringLiteral("The lock file %1 cannot be written: %2.").arg(FLock.Path(), FLock.Reason()));
    case TMasterLock::TResult::TakenOver:
        FFarm.MasterEvent(QStringLiteral("Master"),
            QStringLiteral("Took the commands directory %1 over from %2: %3.")
                .arg(directory, FLock.Holder().Text(), FLock.Reason()));
        break;
    case TMasterLock::TResult::Taken:
        break;
    }
    if (!FWaitingFor.isEmpty())
        FFarm.MasterEvent(QStringLiteral("Start"),
            QStringLiteral("The commands directory %1 can be used now: this Master drives the nodes.")
                .arg(directory));
    FWaitingFor.clear();
    FFarm.Driving = true;
    FGaveWay = false;
    TimerMasterLock.start();
    if (FListsPending)
        LoadLists(true);
    if (FStartNodesPending)
        StartNodesNow();
    return true;
}

void TController::GiveWay(const QString& text)
{
    FGaveWay = true;
    FFarm.Options.Master = false;
    FAckWatch.Stop();
    // Remotes must not drive a Master that drives nothing.
    FLink.MasterTick(false);
    FFarm.MasterEvent(QStringLiteral("Master"), text);
    // As a Remote it shows the other Master's lists.
    if (FListsPending)
        LoadLists(false);
    if (AnotherMasterFound)
        AnotherMasterFound(text);
}

bool TController::Close()
{
    FFarm.Closing = true;
    for (TMailTransfer* mail : FFarm.MailsOnTheirWay)
        mail->Cancel();
    FFarm.Events.AddEvent(0, QStringLiteral("Program"), QString(), QStringLiteral("Ended"));
    bool written = true;
    // A Master that never drove has no lists of its own: storing them would empty the queue.
    if (FFarm.IsMaster() && FFarm.Driving) {
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
    TimerMasterLock.stop();
    FAckWatch.Stop();
    FSaver.Stop();
    FLock.Release();
    FFarm.Driving = false;
    // Running as a Remote because another Master held the directory changes no stored mode.
    if (FGaveWay)
        FFarm.Options.Master = true;
    return FFarm.Options.Save() && written;
}

void TController::ApplyMode()
{
    if (FFarm.IsMaster())
        ReadyToDrive();
    else if (FFarm.Driving) {
        FFarm.Driving = false;
        TimerMasterLock.stop();
        FLock.Release();
    }
    if (FFarm.IsMaster()) {
        TimerMaster.setInterval(std::max(FFarm.Options.MasterRenderInterval, 1));
        TimerMaster.start();
        TimerRemote.stop();
    } else {
        TimerMaster.stop();
        FAckWatch.Stop();
        TimerRemote.start();
    }
    TimerGeneral.start();
}

void TController::CommandsDirectoryChanged()
{
    if (FFarm.Driving) {
        FFarm.Driving = false;
        TimerMasterLock.stop();
        FLock.Release();
    }
    FAckWatch.Stop();
    FWaitingFor.clear();
    ApplyMode();
}

void TController::StartLocalNodes()
{
    if (const QString problem = NodeProgramProblem(FFarm.Options); !problem.isEmpty()) {
        FFarm.MasterEvent(
            QStringLiteral("Start"), problem + QStringLiteral(" No node of this computer is started."));
        return;
    }
    FStartNodesPending = true;
    if (FFarm.Driving || !FFarm.IsMaster())
        StartNodesNow();
}

void TController::StartNodesNow()
{
    FStartNodesPending = false;
    const TStartMenus menus = StartMenus();
    for (int i = 0; i < StartMenuEntries; ++i)
        if (menus.Entries[static_cast<size_t>(i)].Enabled)
            StartScreamer(i);
}

template <typename Work> void TController::Guarded(QString& lastError, Work work)
{
    try {
        work();
        lastError.clear();
    } catch (const EInOutError& error) {
        const QString text = QString::fromLocal8Bit(error.what());
        if (text != lastError)
            FFarm.MasterEvent(QStringLiteral("Error"), text);
        lastError = text;
    }
}

void TController::TimerMasterTimer()
{
    // A pass's message box is open: the next tick comes soon enough.
    if (FServing)
        return;
    {
        const QScopedValueRollback serving(FServing, true);
        if (!ReadyToDrive()) {
            FAckWatch.Stop();
            // Remotes would get the lists of a Master that holds none.
            FLink.MasterTick(false);
            if (!FFarm.IsMaster())
                ApplyMode();
            return;
        }
        FollowCommandsDirectory();
        FLink.MasterTick(true);
        Guarded(FMasterError, [this] { FDispatch.TimerMasterTimer(); });
        FLink.BroadcastChangedLists();
    }
    PassIfWanted();
}

void TController::PassIfWanted()
{
    if (!FPassWanted)
        return;
    FPassWanted = false;
    FAckWatch.PassSoon();
}

void TController::FollowCommandsDirectory()
{
    const QString directory = FFarm.Options.ScreamerDirectory;
    if (!FFarm.Options.MasterWatchAcks) {
        FAckWatch.Stop();
        return;
    }
    if (FAckWatch.Follow(directory) || !QFileInfo(directory).isDir()) {
        FUnwatched.clear();
        return;
    }
    if (directory != FUnwatched)
        FFarm.MasterEvent(QStringLiteral("Start"),
            QStringLiteral("The file system gives no notice of changes in %1: nodes are served on the "
                           "Master's tick only.")
                .arg(directory));
    FUnwatched = directory;
}

void TController::AckPass()
{
    if (FServing) {
        FPassWanted = true;
        return;
    }
    if (!FFarm.IsMaster() || !FFarm.Driving || FFarm.Closing)
        return;
    bool unfinished = false;
    {
        const QScopedValueRollback serving(FServing, true);
        Guarded(FMasterError, [&] { unfinished = FDispatch.ServeAnswers(); });
        FLink.BroadcastChangedLists();
    }
    PassIfWanted();
    // An ack caught while its node still wrote it gets a few more looks before the tick.
    if (unfinished && FPassRetries < PassRetries) {
        ++FPassRetries;
        FAckWatch.PassLater();
    } else if (!unfinished) {
        FPassRetries = 0;
    }
}

void TController::TimerMasterRescanTimer()
{
    TimerMasterRescan.stop();
    if (FFarm.Driving)
        Guarded(FRescanError, [this] { FDiscovery.TimerMasterRescanTimer(); });
}

void TController::TimerMasterLockTimer()
{
    if (!FFarm.Driving || FLock.Heartbeat())
        return;
    FFarm.Driving = false;
    TimerMasterLock.stop();
    GiveWay(QStringLiteral("Another Master has taken the commands directory %1 over: %2. This one drives no "
                           "node from now on and runs as a Remote until it is closed.")
                .arg(FFarm.Options.ScreamerDirectory, FLock.Holder().Text()));
    ApplyMode();
}

void TController::TimerGeneralTimer()
{
    Guarded(FGeneralError, [this] {
        FHousekeeping.TimerGeneralTimer();
        // Commands wait in the outbox until the Master has taken the one before, or the link is up.
        FFarm.FlushOutbox();
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
    if (FFarm.IsMaster())
        return;
    UpdateFromMaster(FFarm);
    if (QFileInfo(FFarm.Options.ScreamerDirectory).isDir())
        FListsPending = false;
}

void TController::TimerRemoteUpdateAutomaticTimer()
{
    TimerRemoteUpdateAutomatic.stop();
    if (FFarm.Options.RemoteUpdateCommands && !FFarm.Options.TcpIpInUse())
        Update();
}

void TController::TimerRemoteTimer()
{
    FLink.RemoteTick();
    if (!FFarm.Options.RemoteUpdateAutomatic)
        return;
    if (PeriodOver(FRemoteTicks, FFarm.Options.RemoteUpdateAutomaticTime)) {
        Update();
        CopyFinishedScenes(FFarm);
    }
}
