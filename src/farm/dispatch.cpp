#include "farm/dispatch.h"

#include "farm/command_executor.h"
#include "farm/discovery.h"
#include "farm/farm.h"
#include "farm/verification.h"
#include "model/node_channel.h"
#include "options/options.h"
#include "support/files.h"
#include "support/number_list.h"
#include "support/paths.h"
#include "support/people.h"
#include "support/record_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

TDispatch::TDispatch(TFarm& farm, TDiscovery& discovery)
    : FFarm(farm)
    , FDiscovery(discovery)
{ }

void TDispatch::TimerMasterTimer()
{
    FFarm.People.SetStatus(TStatusPanel::Clock, QStringLiteral("Time ") + ClockText(FFarm.Now()));
    PeriodicRescan();
    UpdateOwnOverviewEntry();
    ReadRemoteCommand();
    VerifyFinishedScenes();
    RemoveOfflineNodes();
    ServeNodes();
    // Also what passes between ticks changed: the Remotes' lists are stored once a tick.
    if (FScenesChanged)
        FFarm.ScenesChanged();
    if (FComputersChanged)
        FFarm.ComputersChanged();
    FScenesChanged = false;
    FComputersChanged = false;
}

namespace {

// The nodes whose ack file is in the directory, from one listing of it.
QSet<int> NodesWithAckFiles(const QString& directory)
{
    QSet<int> numbers;
    for (const QString& name : QDir(directory).entryList(QDir::Files | QDir::System))
        if (const int number = AckFileNumber(name))
            numbers.insert(number);
    return numbers;
}

} // namespace

bool TDispatch::ServeAnswers()
{
    const QSet<int> answering = NodesWithAckFiles(FFarm.Options.ScreamerDirectory);
    if (answering.isEmpty())
        return false;
    FUnfinished = false;
    // What this pass changes is shown now; with what earlier passes changed, it is stored on the tick.
    const bool scenesBefore = std::exchange(FScenesChanged, false);
    const bool computersBefore = std::exchange(FComputersChanged, false);
    ServeNodes(&answering);
    if (FScenesChanged)
        FFarm.People.Refresh(TView::Scenes);
    if (FComputersChanged)
        FFarm.People.Refresh(TView::Computers);
    FFarm.ListsChanged = FFarm.ListsChanged || FScenesChanged || FComputersChanged;
    FScenesChanged = FScenesChanged || scenesBefore;
    FComputersChanged = FComputersChanged || computersBefore;
    return FUnfinished;
}

namespace {

// Whether another node holds a frame of `piece` of `scene`: the nodes are told apart by the scene
// they work for, so a duplicate of the same file is not held up by the original's nodes.
bool HeldByOthers(
    const QString& piece, const TScene& scene, const TSceneList& scenes, const TComputerList& nodes)
{
    QString held;
    for (int i = 0; i < nodes.Count(); ++i) {
        const TComputer& node = nodes.Item(i);
        if (node.HoldsPiece() && scenes.SceneOfNode(node) == &scene)
            held = AddNewNumbers(held, PieceFrames(node.Frames));
    }
    if (held.isEmpty())
        return false;
    const QString frames = PieceFrames(piece);
    return WithoutNumbers(frames, held) != CleanNumberList(frames);
}

} // namespace

void TDispatch::PeriodicRescan()
{
    const unsigned interval = static_cast<unsigned>(std::max(FFarm.Options.MasterRenderInterval, 1));
    if (300000u / interval < static_cast<unsigned>(RescanCounter)) {
        RescanCounter = 0;
        FDiscovery.Rescan();
    } else {
        ++RescanCounter;
    }
}

void TDispatch::UpdateOwnOverviewEntry()
{
    const TOptions& options = FFarm.Options;
    if (FFarm.IdentifyInstallation(options.ScreamerName, options.ScreamerNumbers, options.MemorySize))
        FComputersChanged = true;
}

void TDispatch::ReadRemoteCommand()
{
    if (!FFarm.Options.MasterScanRemote)
        return;
    TCommand command;
    if (ReadRemoteCommandFile(FFarm.Options, command))
        ExecuteRemoteCommand(FFarm, FDiscovery, command, FScenesChanged, FComputersChanged);
}

void TDispatch::VerifyFinishedScenes()
{
    for (int i = 0; i < FFarm.Scenes.Count(); ++i) {
        TScene& scene = FFarm.Scenes.Item(i);
        // A verified scene has nothing left to find; skipping it spares a walk over every node.
        if (scene.Verified || !scene.Settings.AutomaticVerify
            || scene.VerifyTimes >= scene.Settings.AutomaticVerifyTimes || !scene.IsFinished())
            continue;
        // Only nodes still holding a piece of the scene keep it from being verified; an idle node
        // that merely loaded it last does not.
        const QString held = FFarm.Computers.HeldFrames(scene.Filename);
        if (!held.isEmpty() && !(FFarm.Options.MasterScenesVerify && FFarm.Scenes.AllFinished()))
            continue;
        const bool wasVerified = scene.Verified;
        const TVerifyResult result
            = VerifyScene(scene, true, FFarm.People, FFarm.Options.ContentDirectory, held);
        // Remotes must see the verified mark too.
        FScenesChanged = FScenesChanged || scene.Verified != wasVerified;
        if (scene.Verified && !wasVerified)
            FFarm.SceneVerified(scene);
        if (result.Missing.isEmpty() || !result.QueueChanged)
            continue;
        FFarm.MasterEvent(QStringLiteral("Scenes Verify"),
            ExtractName(scene.Filename) + QStringLiteral(" verified and ")
                + QString::number(CountNumbers(result.Missing))
                + QStringLiteral(" missing frames added to renderlist."));
        FScenesChanged = true;
    }
}

void TDispatch::RemoveOfflineNodes()
{
    for (int i = FFarm.Computers.Count() - 1; i >= 0; --i) {
        TComputer& node = FFarm.Computers.Item(i);
        if (node.StateCode() != TNodeState::Offline)
            continue;
        // Whatever road the node left by, an unbooked piece goes back to its scene.
        if (node.HoldsPiece()) {
            FFarm.HandBackPiece(node);
            FScenesChanged = true;
        }
        WriteJob(FFarm.Options, node.Number, JobDelete);
        FFarm.Computers.Delete(i);
        FComputersChanged = true;
    }
}

void TDispatch::ServeNodes(const QSet<int>* answering)
{
    FChoice.CountNodes(FFarm.Computers);
    for (int i = 0; i < FFarm.Computers.Count(); ++i) {
        TComputer& node = FFarm.Computers.Item(i);
        // An "Offline" node waits for the tick to take it out of the list, as between ticks
        // before: whatever its number answers meanwhile is the next rescan's.
        if (answering && (!answering->contains(node.Number) || node.StateCode() == TNodeState::Offline))
            continue;
        // A job file that cannot be written (a busy file on the share) ends this node's turn;
        // the others are still served, and the node is tried again on the next tick.
        try {
            const TAnswer answer = TakeAcknowledgement(node);
            FUnfinished = FUnfinished || answer == TAnswer::Unfinished;
            // Between ticks a node that said nothing new gets nothing: not even the "wait" of a
            // rendering node, whose write would only wake the watch again.
            if (answering && answer != TAnswer::Taken)
                continue;
            switch (node.StateCode()) {
            case TNodeState::Ready:
                ServeReady(node);
                break;
            case TNodeState::SettingContent:
                ServeSettingContent(node);
                break;
            case TNodeState::Loading:
                ServeLoading(node);
                break;
            default:
                break;
            }
            if (node.StateCode() == TNodeState::Rendering)
                WriteJob(FFarm.Options, node.Number, JobWait);
            FFailingNodes.remove(node.Number);
        } catch (const EInOutError& error) {
            ReportJobFailure(node, QString::fromLocal8Bit(error.what()));
        }
    }
}

TDispatch::TAnswer TDispatch::TakeAcknowledgement(TComputer& node)
{
    TAck ack;
    if (!ReadAck(FFarm.Options, node.Number, ack))
        return TAnswer::Unfinished;
    // Taken as a state, garbage would make the next "Ready" book nothing and send the piece round
    // again; deleted, it could take a half-written answer with it.
    if (!IsNodeAnswer(ack.State))
        return TAnswer::Unfinished;
    // The node has not read its new job yet: the old "Ready" stays until it has.
    if (node.StateCode() == TNodeState::NextFrame && ack.State == AckReady)
        return TAnswer::None;
    DeleteAck(FFarm.Options, node.Number);
    // A node being killed must neither get new work nor lose its "quit": only its "Offline" counts.
    if (node.StateString == StateDying && ack.State != AckOffline)
        return TAnswer::None;
    if (node.StateCode() == TNodeState::Rendering && ack.State == AckReady)
        BookPiece(node);
    node.StateString = ack.State;
    FComputersChanged = true;
    return TAnswer::Taken;
}

bool TDispatch::PiecesOut(const TScene& scene) const
{
    for (int i = 0; i < FFarm.Computers.Count(); ++i) {
        const TComputer& node = FFarm.Computers.Item(i);
        if (node.HoldsPiece() && FFarm.Scenes.SceneOfNode(node) == &scene)
            return true;
    }
    return false;
}

void TDispatch::BookPiece(TComputer& node)
{
    // The clock may be set back during a render; a piece never took negative time.
    const TDateTime duration = std::max(0.0, FFarm.Now() - node.RenderStart);
    TScene* scene = node.Frames.isEmpty() ? nullptr : FFarm.Scenes.SceneOfNode(node);
    if (scene) {
        scene->Statistics.AddFrameTime(duration);
        FScenesChanged = true;
    }
    ++node.RenderCount;
    node.LastRenderTime = duration;
    node.Frames.clear();
    // Once all is handed out, the last piece to come back is the scene's last frame.
    if (scene && scene->IsFinished() && !PiecesOut(*scene))
        FFarm.SceneBooked(*scene);
}

void TDispatch::ServeReady(TComputer& node)
{
    // A piece taken but never rendered (the node came back to "Ready" before "Rendering").
    if (node.HoldsPiece()) {
        FFarm.HandBackPiece(node);
        FScenesChanged = true;
    }
    TScene* scene = FChoice.ChooseScene(FFarm.Scenes, node);
    if (!scene)
        return;
    const TSceneSettings before = scene->Settings;
    const QString frames = scene->NextFramesText(FFarm.Options.MasterScreamerFrames);
    if (frames.isEmpty())
        return;
    // A scene started over while nodes render it would hand their frames out again: those wait
    // until the nodes have booked or handed back their pieces.
    if (HeldByOthers(frames, *scene, FFarm.Scenes, FFarm.Computers)) {
        scene->Settings = before;
        return;
    }
    // Content and load are skipped only for the very scene the node holds: the same private
    // copy in the same version.
    const bool holdsScene = node.SceneLoadFile == scene->KestrionFilename && node.SceneStamp == scene->Edited;
    // A scene without a content directory of its own renders in the Master's, where
    // verification looks for its frames.
    const QString content = scene->ContentDirectoryOr(FFarm.Options.ContentDirectory);
    try {
        if (holdsScene)
            WriteJob(FFarm.Options, node.Number, JobRender, frames);
        else
            WriteJob(FFarm.Options, node.Number, JobContent, content);
    } catch (const EInOutError&) {
        scene->Settings = before;
        throw;
    }
    if (!holdsScene)
        node.ContentDirectory = content;
    node.Frames = frames;
    FChoice.MoveNode(node, *scene);
    node.StateString = StateNextFrame;
    ++FFarm.Options.FramesRendered;
    node.RenderStart = FFarm.Now();
    if (scene->Statistics.RenderStarted == 0) {
        scene->Statistics.RenderStarted = node.RenderStart;
        FFarm.SceneStarted(*scene);
    }
    WriteRenderLog(*scene, node);
    FScenesChanged = true;
    FComputersChanged = true;
}

void TDispatch::ServeSettingContent(TComputer& node)
{
    TScene* scene = node.Frames.isEmpty() ? nullptr : FFarm.Scenes.SceneOfNode(node);
    if (!scene) {
        // The scene was removed while the node set its content directory: its piece is void.
        WriteJob(FFarm.Options, node.Number, JobWait);
        node.SceneString.clear();
        node.SceneLoadFile.clear();
        node.SceneStamp = 0;
        TFarm::ClosePiece(node);
        FChoice.CountNodes(FFarm.Computers);
        FComputersChanged = true;
        return;
    }
    if (node.SceneLoadFile == scene->KestrionFilename && node.SceneStamp == scene->Edited)
        return;
    WriteJob(FFarm.Options, node.Number, JobLoad, scene->KestrionFilename);
    node.SceneLoadFile = scene->KestrionFilename;
    node.SceneStamp = scene->Edited;
    FComputersChanged = true;
}

void TDispatch::ServeLoading(TComputer& node)
{
    if (node.Frames.isEmpty())
        WriteJob(FFarm.Options, node.Number, JobWait);
    else
        WriteJob(FFarm.Options, node.Number, JobRender, node.Frames);
}

void TDispatch::WriteRenderLog(const TScene& scene, const TComputer& node)
{
    if (!scene.Settings.Log)
        return;
    QString path = scene.Settings.LogFilename;
    if (QFileInfo(path).isRelative())
        path = JoinPath(ExtractDirectory(scene.Filename), path);
    const QString line = EventTimeText(FFarm.Now()) + QStringLiteral(" - ") + node.Frames
        + QStringLiteral(" - ") + node.Name + QStringLiteral("\r\n");
    QFile file(path);
    if (file.open(QIODevice::Append) && file.write(line.toLocal8Bit()) >= 0 && file.flush())
        return;
    // The log is a record, not the work: the tick goes on for the other nodes.
    FFarm.MasterEvent(QStringLiteral("Render Log"),
        QStringLiteral("I could not write the render log ") + path + QStringLiteral(": ")
            + file.errorString());
}

void TDispatch::ReportJobFailure(const TComputer& node, const QString& error)
{
    if (FFailingNodes.contains(node.Number))
        return;
    FFailingNodes.insert(node.Number);
    FFarm.MasterEvent(
        QStringLiteral("Job File"), QStringLiteral("Screamer %1: %2").arg(node.Number).arg(error));
}
