#include "demo_watch.h"

#include "demo_processes.h"
#include "support/paths.h"

#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

namespace {

constexpr double SecondsPerDay = 86400.0;

QString FrameList(const QList<qint64>& frames)
{
    QStringList numbers;
    for (const qint64 frame : frames)
        numbers.append(QString::number(frame));
    return numbers.join(u' ');
}

// The moment the last piece of any node was booked: its start plus its time.
TDateTime LastPieceEnd(const TComputerList& nodes)
{
    TDateTime end = 0;
    for (int i = 0; i < nodes.Count(); ++i) {
        const TComputer& node = nodes.Item(i);
        if (node.RenderCount > 0)
            end = std::max(end, node.RenderStart + node.LastRenderTime);
    }
    return end;
}

// The earliest piece start the nodes show now; 0 for none.
TDateTime FirstPieceStart(const TComputerList& nodes)
{
    TDateTime first = 0;
    for (int i = 0; i < nodes.Count(); ++i) {
        const TDateTime start = nodes.Item(i).RenderStart;
        if (start > 0 && (first == 0 || start < first))
            first = start;
    }
    return first;
}

// The frames of the range alone: frames queued again after a verification are not more work done.
int RangeFrameCount(const TScene& scene)
{
    return static_cast<int>(
        (qint64(scene.Settings.CurrentLast) - scene.Settings.CurrentFirst) / scene.RangeStep() + 1);
}

bool AnyNodeHoldsFrames(const TComputerList& nodes)
{
    for (int i = 0; i < nodes.Count(); ++i)
        if (!nodes.Item(i).Frames.isEmpty())
            return true;
    return false;
}

QString SceneSuffix(const TScene& scene, const TComputerList& nodes)
{
    if (!scene.IsFinished())
        return QString();
    if (scene.Verified)
        return QStringLiteral("  verified");
    return AnyNodeHoldsFrames(nodes) ? QStringLiteral("  last frames rendering")
                                     : QStringLiteral("  verifying");
}

} // namespace

TDemoWatch::TDemoWatch(const TDemoFarm& farm, QProcess& master, TStatusDisplay& display)
    : FFarm(farm)
    , FMaster(master)
    , FDisplay(display)
    , FRemote(farm)
{
    LoadMasterOptions(farm, FOptions);
}

bool TDemoWatch::Run()
{
    FSinceStart.start();
    FSinceChange.start();
    while (Step())
        Wait();
    return FPhase == TPhase::Done;
}

bool TDemoWatch::Step()
{
    if (Interrupted)
        return Fail(QStringLiteral("Interrupted."));
    if (!CheckMaster() || !CheckNodeProcesses())
        return false;
    TFarmState state;
    ReadFarmState(FOptions, state);
    RememberNodes(state.Computers);
    if (FPhase == TPhase::StartingNodes)
        StartingNodes(state);
    else
        Rendering(state);
    if (FPhase == TPhase::Done || !Failure.isEmpty())
        return false;
    if (FSinceStart.elapsed() > DemoLimitMilliseconds)
        return Fail(QStringLiteral("The demo took more than four minutes. ") + StallText());
    return true;
}

bool TDemoWatch::Fail(const QString& text)
{
    Failure = text;
    return false;
}

bool TDemoWatch::CheckMaster()
{
    if (FMaster.state() != QProcess::NotRunning)
        return true;
    if (FMaster.exitStatus() == QProcess::CrashExit)
        return Fail(QStringLiteral("kestriond died (it crashed or was killed)."));
    return Fail(QStringLiteral("kestriond ended by itself with exit code %1.").arg(FMaster.exitCode()));
}

// A node the demo has seen must stay: the Master would hand its piece to the others, but the demo
// is there to show that nothing is lost.
bool TDemoWatch::CheckNodeProcesses()
{
    std::map<int, qint64> seen;
    for (const TFarmProcess& process : FarmProcesses(FFarm.Root, FMaster.processId()))
        if (process.Node >= 0)
            seen[process.Node] = process.Pid;
    QStringList vanished;
    for (const auto& [number, pid] : NodeProcesses)
        if (!seen.contains(number))
            vanished.append(QStringLiteral("render node %1 (process %2, last seen: %3)")
                                .arg(number)
                                .arg(pid)
                                .arg(FLastNodeLines.value(number, QStringLiteral("-"))));
    NodeProcesses = seen;
    if (vanished.isEmpty())
        return true;
    return Fail(QStringLiteral("Lost ") + vanished.join(QStringLiteral(", ")) + u'.');
}

void TDemoWatch::RememberNodes(const TComputerList& nodes)
{
    const QStringList lines = NodeLines(nodes);
    for (int i = 0; i < nodes.Count(); ++i)
        FLastNodeLines[nodes.Item(i).Number] = lines[i].simplified().section(u' ', 2);
}

void TDemoWatch::StartingNodes(const TFarmState& state)
{
    const int ready = CountNodesInState(state.Computers, TNodeState::Ready);
    const QStringList lines = QStringList {
        QStringLiteral("  Starting the render nodes: %1 of %2 ready").arg(ready).arg(DemoNodeCount)
    } + NodeLines(state.Computers);
    FDisplay.Show(lines);
    if (ready < DemoNodeCount) {
        CheckStall(lines);
        return;
    }
    FRemote.AddScene(FFarm.ScenePath);
    FSinceSent.start();
    FSinceChange.start();
    FPhase = TPhase::Rendering;
    FDisplay.Message(QStringLiteral("Sent %1 to the Master as the Remote \"DemoRemote\" (frames %2 to %3).")
                         .arg(ExtractName(FFarm.ScenePath))
                         .arg(DemoFirstFrame)
                         .arg(DemoLastFrame));
}

void TDemoWatch::Rendering(const TFarmState& state)
{
    FRemote.Flush();
    const TScene* scene = FindScene(state.Scenes, FFarm.ScenePath);
    if (!scene) {
        QString waiting = QStringLiteral("  Waiting for the Master to take the scene");
        if (!FRemote.LastError().isEmpty())
            waiting += QStringLiteral(" (") + FRemote.LastError() + u')';
        const QStringList lines = QStringList { waiting } + NodeLines(state.Computers);
        FDisplay.Show(lines);
        CheckStall(lines);
        return;
    }
    FollowScene(*scene, state);
}

void TDemoWatch::FollowScene(const TScene& scene, const TFarmState& state)
{
    const TDateTime first = FirstPieceStart(state.Computers);
    if (first > 0 && (FFirstPiece == 0 || first < FFirstPiece))
        FFirstPiece = first;
    const int total = RangeFrameCount(scene);
    const int missing
        = static_cast<int>(MissingFrameFiles(scene, TFrameKind::RGB, FFarm.ContentDirectory).size());
    const QStringList lines
        = QStringList { ProgressLine(total - missing, total) + SceneSuffix(scene, state.Computers) }
        + NodeLines(state.Computers);
    FDisplay.Show(lines);
    if (scene.IsFinished() && scene.Verified)
        Finish(scene, state);
    else
        CheckStall(lines, scene.VerifyTimes);
}

void TDemoWatch::Finish(const TScene& scene, const TFarmState& state)
{
    const QList<qint64> rgb = MissingFrameFiles(scene, TFrameKind::RGB, FFarm.ContentDirectory);
    const QList<qint64> alpha = MissingFrameFiles(scene, TFrameKind::Alpha, FFarm.ContentDirectory);
    if (!rgb.isEmpty() || !alpha.isEmpty()) {
        Fail(
            QStringLiteral("The Master verified the scene, yet frame files are missing (RGB: %1; alpha: %2).")
                .arg(rgb.isEmpty() ? QStringLiteral("none") : FrameList(rgb),
                    alpha.isEmpty() ? QStringLiteral("none") : FrameList(alpha)));
        return;
    }
    Figures.Frames = RangeFrameCount(scene);
    Figures.FrameFiles = 2 * Figures.Frames;
    Figures.WallSeconds = FSinceSent.elapsed() / 1000.0;
    Figures.AverageFrameSeconds = scene.Statistics.AverageFrameTime() * SecondsPerDay;
    Figures.RenderSeconds = scene.Statistics.RenderTimeTotal * SecondsPerDay;
    if (FFirstPiece > 0)
        Figures.SpanSeconds = (LastPieceEnd(state.Computers) - FFirstPiece) * SecondsPerDay;
    Figures.MasterCpuSeconds = ProcessCpuSeconds(FMaster.processId());
    Figures.MasterSeconds = FSinceStart.elapsed() / 1000.0;
    FPhase = TPhase::Done;
}

void TDemoWatch::CheckStall(const QStringList& lines, int verifyTimes)
{
    if (lines != FLastLines || verifyTimes != FLastVerifyTimes) {
        FLastLines = lines;
        FLastVerifyTimes = verifyTimes;
        FSinceChange.start();
        return;
    }
    if (FSinceChange.elapsed() > DemoStallMilliseconds)
        Fail(QStringLiteral("Stalled: nothing moved for a minute. ") + StallText());
}

QString TDemoWatch::StallText() const
{
    static const QRegularExpression bar(QStringLiteral("^\\[[#-]*\\] *"));
    QStringList lines = FLastLines;
    for (QString& line : lines)
        line = line.simplified().remove(bar);
    QString text = QStringLiteral("Last seen: ") + lines.join(QStringLiteral("; ")) + u'.';
    if (FPhase == TPhase::StartingNodes)
        text.prepend(QStringLiteral("The render nodes did not all come up. "));
    if (FLastVerifyTimes > 0)
        text += QStringLiteral(" The Master found frames missing %1 times.").arg(FLastVerifyTimes);
    return text;
}

void TDemoWatch::Wait()
{
    QEventLoop loop;
    QTimer::singleShot(DemoPollMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
