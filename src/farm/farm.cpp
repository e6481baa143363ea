#include "farm/farm.h"

#include "model/scene_record.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/people.h"

TFarm::TFarm(TOptions& options, TPeople& people, const TClock& clock)
    : Options(options)
    , People(people)
    , Clock(clock)
    , Computers(clock)
    , Events(options, clock, people)
{ }

bool TFarm::IsMaster() const
{
    return Options.Master;
}

bool TFarm::StoresLists() const
{
    return IsMaster() && Driving && Options.MasterScanRemote;
}

void TFarm::UserEvent(const QString& type, const QString& comment)
{
    Events.AddEvent(3, Options.ScreamerName, type, comment);
}

void TFarm::MasterEvent(const QString& type, const QString& comment)
{
    Events.AddEvent(1, QStringLiteral("Master"), type, comment);
}

void TFarm::SceneStarted(const TScene& scene)
{
    MasterEvent(
        QStringLiteral("Scenes Render"), ExtractName(scene.Filename) + QStringLiteral(" started rendering"));
}

void TFarm::SceneBooked(const TScene& scene)
{
    MasterEvent(
        QStringLiteral("Scenes Render"), ExtractName(scene.Filename) + QStringLiteral(": last frame booked"));
}

void TFarm::SceneVerified(const TScene& scene)
{
    const qint64 frames = scene.TotalFrames();
    QString text = ExtractName(scene.Filename) + QStringLiteral(" verified: %1 frame").arg(frames);
    if (frames != 1)
        text += u's';
    // A scene from before the farm kept its start, or one never handed out, has no time to tell.
    if (scene.Statistics.RenderStarted > 0)
        text += QStringLiteral(" in ") + DurationText(Now() - scene.Statistics.RenderStarted);
    MasterEvent(QStringLiteral("Scenes Verify"), text);
}

void TFarm::ScenesChanged()
{
    ListsChanged = true;
    ++Revision;
    People.Refresh(TView::Scenes);
    if (StoresLists() && !SaveSceneList(Scenes, Options.StateScenesFile()))
        People.Ask(SceneListWriteError, false);
}

void TFarm::ComputersChanged()
{
    ListsChanged = true;
    ++Revision;
    People.Refresh(TView::Computers);
    if (StoresLists() && !Computers.SaveToFile(Options.StateComputersFile()))
        People.Ask(ComputerListWriteError, false);
}

void TFarm::OptionsChanged()
{
    UserEvent(QStringLiteral("Program Options"), QStringLiteral("Changed"));
    Options.ReadLightWaveConfig();
    if (IsMaster())
        Overview.SetItemCount(Options.MasterScreamerComputers);
}

bool TFarm::IdentifyInstallation(const QString& name, const QString& screamers, int memory)
{
    std::vector<int> changed;
    if (!IdentifySender(Overview, name, screamers, memory, changed))
        return false;
    bool computersChanged = false;
    for (const int number : changed) {
        TComputer* computer = Computers.FindByNumber(number);
        if (!computer || (computer->Name == name && computer->Memory == memory))
            continue;
        computer->Name = name;
        computer->Memory = memory;
        computersChanged = true;
    }
    Overview.SaveIfModified(Options.StateOverviewFile());
    return computersChanged;
}

void TFarm::AddScreamerGroup(const QString& name, const QString& numbers)
{
    if (!IsMaster())
        return;
    Overview.AddGroup(name, numbers);
    SaveOverview();
}

void TFarm::DeleteScreamerGroup(int index)
{
    if (!IsMaster())
        return;
    Overview.DeleteGroup(index);
    SaveOverview();
}

void TFarm::SaveOverview()
{
    if (!Overview.SaveIfModified(Options.StateOverviewFile()))
        People.Ask(OverviewWriteError, false);
}

void TFarm::ReadOverview()
{
    if (!IsMaster())
        Overview.Load(Options.StateOverviewFile());
}

void TFarm::Send(int code, const QStringList& arguments)
{
    TCommand command = MakeCommand(code, Options);
    command.Arguments = arguments;
    Outbox.Send(command);
    FlushOutbox();
}

void TFarm::FlushOutbox()
{
    if (!Options.RemoteSendTCPIP)
        Outbox.Flush(Options);
    else if (LinkTransport)
        Outbox.Flush(*LinkTransport);
}

void TFarm::HandBackPiece(TComputer& node)
{
    Scenes.AddCrashedFrames(node);
    ClosePiece(node);
}
