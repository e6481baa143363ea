#include "model/estimate.h"

#include "model/computer.h"
#include "model/scene.h"
#include "support/record_text.h"

#include <algorithm>

namespace {

// The frames of a piece text ("first last step"); a step of 0 counts as 1.
qint64 PieceFrameCount(const QString& piece)
{
    QString rest = piece;
    const qint64 first = TakeNumber(rest);
    const qint64 last = TakeNumber(rest);
    qint64 step = TakeNumber(rest);
    if (step == 0)
        step = 1;
    const qint64 count = (last - first) / step + 1;
    return std::max<qint64>(count, 0);
}

} // namespace

TSceneEstimate EstimateScene(const TScene& scene, const TComputerList& computers)
{
    TSceneEstimate estimate;
    qint64 inPieces = 0;
    for (int i = 0; i < computers.Count(); ++i) {
        const TComputer& node = computers.Item(i);
        // The Master knows the scene a node works for; a Remote's lists name only its file.
        const bool onScene = node.SceneId != 0 ? node.SceneId == scene.ID : node.SceneString == scene.Filename;
        if (node.HoldsPiece() && onScene) {
            ++estimate.Nodes;
            inPieces += PieceFrameCount(node.Frames);
        }
    }
    estimate.FramesTotal = scene.TotalFrames();
    const qint64 notDone = std::min(scene.FramesLeft() + inPieces, estimate.FramesTotal);
    estimate.FramesDone = estimate.FramesTotal - notDone;

    if (estimate.Nodes > 0)
        estimate.State = TSceneState::Rendering;
    else if (!scene.IsFinished())
        estimate.State = TSceneState::Waiting;
    else if (scene.Verified)
        estimate.State = TSceneState::Verified;
    else if (scene.Settings.AutomaticVerify && scene.VerifyTimes >= scene.Settings.AutomaticVerifyTimes)
        estimate.State = TSceneState::FramesMissing;
    else
        estimate.State = TSceneState::Finished;

    if (notDone == 0)
        estimate.SecondsLeft = 0;
    else if (scene.Statistics.RenderFramesCount > 0)
        estimate.SecondsLeft = scene.Statistics.AverageFrameTime() * 86400.0 * double(notDone)
            / std::max(estimate.Nodes, 1);
    return estimate;
}

QString SceneStateText(TSceneState state)
{
    switch (state) {
    case TSceneState::Waiting:
        return QStringLiteral("waiting");
    case TSceneState::Rendering:
        return QStringLiteral("rendering");
    case TSceneState::Finished:
        return QStringLiteral("finished");
    case TSceneState::Verified:
        return QStringLiteral("verified");
    case TSceneState::FramesMissing:
        return QStringLiteral("frames missing");
    }
    return QString();
}

QString TimeLeftText(double seconds)
{
    return seconds < 0 ? QString() : DurationText(seconds / 86400.0);
}
