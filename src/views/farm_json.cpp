#include "views/farm_json.h"

#include "events/event_log.h"
#include "model/computer.h"
#include "model/estimate.h"
#include "model/scene_list.h"
#include "support/paths.h"
#include "support/processor_idle.h"
#include "views/farm_tables.h"

#include <QDateTime>
#include <QJsonDocument>
#include <algorithm>

namespace {

// Moments as ISO 8601 local time with its offset; the zero moment stands for "never".
QJsonValue MomentJson(TDateTime moment)
{
    if (moment == 0)
        return QJsonValue::Null;
    const QDateTime local = DateTimeToQt(moment);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

QString NodeStateName(TNodeState state)
{
    switch (state) {
    case TNodeState::Initializing:
        return QStringLiteral("initializing");
    case TNodeState::Ready:
        return QStringLiteral("ready");
    case TNodeState::NextFrame:
        return QStringLiteral("next frame");
    case TNodeState::SettingContent:
        return QStringLiteral("setting content");
    case TNodeState::Loading:
        return QStringLiteral("loading");
    case TNodeState::Rendering:
        return QStringLiteral("rendering");
    case TNodeState::Offline:
        return QStringLiteral("offline");
    case TNodeState::Other:
        break;
    }
    return QStringLiteral("other");
}

} // namespace

QJsonObject SceneJson(const TScene& scene, const TComputerList& computers)
{
    const TSceneEstimate estimate = EstimateScene(scene, computers);
    QJsonObject object;
    object.insert(QStringLiteral("id"), scene.ID);
    object.insert(QStringLiteral("file"), scene.Filename);
    object.insert(QStringLiteral("name"), ExtractName(scene.Filename));
    object.insert(QStringLiteral("priority"), scene.Settings.Priority);
    object.insert(QStringLiteral("priorityName"), PriorityName(scene.Settings.Priority));
    object.insert(QStringLiteral("state"), SceneStateText(estimate.State));
    object.insert(QStringLiteral("framesDone"), estimate.FramesDone);
    object.insert(QStringLiteral("framesTotal"), estimate.FramesTotal);
    object.insert(QStringLiteral("nodes"), estimate.Nodes);
    if (estimate.SecondsLeft < 0) {
        object.insert(QStringLiteral("secondsLeft"), QJsonValue::Null);
        object.insert(QStringLiteral("timeLeft"), QJsonValue::Null);
    } else {
        object.insert(QStringLiteral("secondsLeft"), qint64(estimate.SecondsLeft + 0.5));
        object.insert(QStringLiteral("timeLeft"), TimeLeftText(estimate.SecondsLeft));
    }
    object.insert(QStringLiteral("verified"), scene.Verified);
    object.insert(QStringLiteral("verifyTimes"), scene.VerifyTimes);
    object.insert(QStringLiteral("automaticVerify"), scene.Settings.AutomaticVerify);
    object.insert(QStringLiteral("owner"), scene.Comment);
    object.insert(QStringLiteral("added"), MomentJson(scene.Statistics.TimeAdd));
    return object;
}

QJsonObject ComputerJson(const TComputer& computer, const TSceneList& scenes)
{
    QJsonObject object;
    object.insert(QStringLiteral("number"), computer.Number);
    object.insert(QStringLiteral("name"), computer.Name);
    object.insert(QStringLiteral("state"), computer.StateString);
    object.insert(QStringLiteral("stateCode"), NodeStateName(computer.StateCode()));
    const int id = NodeSceneID(computer, scenes);
    object.insert(QStringLiteral("sceneId"), id > 0 ? QJsonValue(id) : QJsonValue(QJsonValue::Null));
    object.insert(QStringLiteral("scene"), computer.HoldsPiece() ? computer.SceneString : QString());
    object.insert(QStringLiteral("frames"), PieceText(computer.Frames));
    object.insert(QStringLiteral("framesRendered"), computer.RenderCount);
    object.insert(QStringLiteral("memory"), computer.Memory);
    object.insert(QStringLiteral("processors"), computer.Processors);
    return object;
}

QJsonArray ScenesJson(const TSceneList& scenes, const TComputerList& computers)
{
    QJsonArray array;
    for (int index = 0; index < scenes.Count(); ++index)
        array.append(SceneJson(scenes.Item(index), computers));
    return array;
}

QJsonArray ComputersJson(const TComputerList& computers, const TSceneList& scenes)
{
    QJsonArray array;
    for (int index = 0; index < computers.Count(); ++index)
        array.append(ComputerJson(computers.Item(index), scenes));
    return array;
}

QJsonObject EventJson(const TEvent& event)
{
    return QJsonObject { { QStringLiteral("number"), event.Number }, { QStringLiteral("time"), event.Time },
        { QStringLiteral("level"), event.Level }, { QStringLiteral("origin"), event.Origin },
        { QStringLiteral("type"), event.Type }, { QStringLiteral("comment"), event.Comment } };
}

QJsonArray EventsJson(const TEventLog& events, int first)
{
    QJsonArray array;
    for (int index = std::max(first, 0); index < events.Count(); ++index)
        array.append(EventJson(events.Item(index)));
    return array;
}

QJsonObject IdleJson(const TIdleFigures& figures)
{
    return QJsonObject { { QStringLiteral("idleSeconds"), figures.IdleSeconds },
        { QStringLiteral("bestLoops"), figures.BestLoops }, { QStringLiteral("lastLoops"), figures.LastLoops },
        { QStringLiteral("saverPercentage"), figures.SaverPercentage } };
}

QJsonObject ColoursJson(TColorRef base)
{
    const TLookShades shades = LookShades(base);
    QJsonObject states;
    for (const TNodeState state : { TNodeState::Initializing, TNodeState::Ready, TNodeState::NextFrame,
             TNodeState::SettingContent, TNodeState::Loading, TNodeState::Rendering, TNodeState::Offline,
             TNodeState::Other })
        states.insert(NodeStateName(state), ColourHex(StateSquareRef(base, state)));
    return QJsonObject { { QStringLiteral("base"), ColourHex(shades.Base) },
        { QStringLiteral("bright"), ColourHex(shades.Bright) }, { QStringLiteral("light"), ColourHex(shades.Light) },
        { QStringLiteral("pale"), ColourHex(shades.Pale) }, { QStringLiteral("half"), ColourHex(shades.Half) },
        { QStringLiteral("third"), ColourHex(shades.Third) }, { QStringLiteral("alert"), ColourHex(shades.Alert) },
        { QStringLiteral("states"), states } };
}

QJsonObject FarmSummaryJson(
    const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers)
{
    int rendering = 0;
    for (int index = 0; index < computers.Count(); ++index)
        if (computers.Item(index).HoldsPiece())
            ++rendering;
    return QJsonObject { { QStringLiteral("name"), header.Name }, { QStringLiteral("mode"), header.Mode },
        { QStringLiteral("transport"), header.Transport }, { QStringLiteral("scenes"), scenes.Count() },
        { QStringLiteral("computers"), computers.Count() }, { QStringLiteral("rendering"), rendering },
        { QStringLiteral("framesTotal"), scenes.TotalFrames() },
        { QStringLiteral("framesLeft"), scenes.FramesLeft() } };
}

QJsonObject FarmJson(const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers,
    const TEventLog* events)
{
    QJsonObject document { { QStringLiteral("version"), FarmJsonVersion },
        { QStringLiteral("farm"), FarmSummaryJson(header, scenes, computers) },
        { QStringLiteral("scenes"), ScenesJson(scenes, computers) },
        { QStringLiteral("computers"), ComputersJson(computers, scenes) } };
    if (events)
        document.insert(QStringLiteral("events"), EventsJson(*events));
    return document;
}

QByteArray FarmJsonText(const TFarmHeader& header, const TSceneList& scenes, const TComputerList& computers,
    const TEventLog* events)
{
    return QJsonDocument(FarmJson(header, scenes, computers, events)).toJson(QJsonDocument::Indented);
}
