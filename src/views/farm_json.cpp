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
#include <QTimeZone>
#include <algorithm>

namespace {

// Moments as ISO 8601 local time with its offset; empty for the zero moment, "never".
QString MomentText(TDateTime moment)
{
    if (moment == 0)
        return {};
    // Qt's own reading of the zone: the C library's stats the zone file again for every moment,
    // which made a long queue's document slow.
    static const QTimeZone zone = QTimeZone::systemTimeZone();
    QDate date;
    QTime time;
    if (!DecodeDateTime(moment, date, time))
        return {};
    const QDateTime local(date, time, zone);
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

namespace {

// The objects' fields are described once, for two writers: a QJsonObject, and compact text
// written straight away, which a page of ten thousand scenes needs for speed.
struct TObjectWriter
{
    template <typename Value> void Add(QLatin1StringView key, const Value& value) { Object.insert(key, value); }
    void Null(QLatin1StringView key) { Object.insert(key, QJsonValue::Null); }
    QJsonObject Object;
};

struct TTextWriter
{
    void Add(QLatin1StringView key, const QString& value)
    {
        Key(key);
        AppendJsonString(Text, value);
    }
    void Add(QLatin1StringView key, qint64 value)
    {
        Key(key);
        Text += QByteArray::number(value);
    }
    void Add(QLatin1StringView key, int value) { Add(key, qint64(value)); }
    void Add(QLatin1StringView key, bool value)
    {
        Key(key);
        Text += value ? "true" : "false";
    }
    void Null(QLatin1StringView key)
    {
        Key(key);
        Text += "null";
    }
    void Key(QLatin1StringView key)
    {
        Text += Text.isEmpty() ? "{\"" : ",\"";
        Text += QByteArrayView(key.data(), key.size());
        Text += "\":";
    }
    QByteArray Finished() { return Text.isEmpty() ? QByteArray("{}") : Text + '}'; }
    QByteArray Text;
};

template <typename Writer> void DescribeScene(Writer& out, const TScene& scene, const TComputerList& computers)
{
    const TSceneEstimate estimate = EstimateScene(scene, computers);
    out.Add(QLatin1StringView("id"), scene.ID);
    out.Add(QLatin1StringView("file"), scene.Filename);
    out.Add(QLatin1StringView("name"), ExtractName(scene.Filename));
    out.Add(QLatin1StringView("priority"), scene.Settings.Priority);
    out.Add(QLatin1StringView("priorityName"), PriorityName(scene.Settings.Priority));
    out.Add(QLatin1StringView("state"), SceneStateText(estimate.State));
    out.Add(QLatin1StringView("framesDone"), estimate.FramesDone);
    out.Add(QLatin1StringView("framesTotal"), estimate.FramesTotal);
    out.Add(QLatin1StringView("nodes"), estimate.Nodes);
    if (estimate.SecondsLeft < 0) {
        out.Null(QLatin1StringView("secondsLeft"));
        out.Null(QLatin1StringView("timeLeft"));
    } else {
        out.Add(QLatin1StringView("secondsLeft"), qint64(estimate.SecondsLeft + 0.5));
        out.Add(QLatin1StringView("timeLeft"), TimeLeftText(estimate.SecondsLeft));
    }
    out.Add(QLatin1StringView("verified"), scene.Verified);
    out.Add(QLatin1StringView("verifyTimes"), scene.VerifyTimes);
    out.Add(QLatin1StringView("automaticVerify"), scene.Settings.AutomaticVerify);
    out.Add(QLatin1StringView("owner"), scene.Comment);
    const QString added = MomentText(scene.Statistics.TimeAdd);
    if (added.isEmpty())
        out.Null(QLatin1StringView("added"));
    else
        out.Add(QLatin1StringView("added"), added);
}

template <typename Writer> void DescribeComputer(Writer& out, const TComputer& computer, const TSceneList& scenes)
{
    out.Add(QLatin1StringView("number"), computer.Number);
    out.Add(QLatin1StringView("name"), computer.Name);
    out.Add(QLatin1StringView("state"), computer.StateString);
    out.Add(QLatin1StringView("stateCode"), NodeStateName(computer.StateCode()));
    const int id = NodeSceneID(computer, scenes);
    if (id > 0)
        out.Add(QLatin1StringView("sceneId"), id);
    else
        out.Null(QLatin1StringView("sceneId"));
    out.Add(QLatin1StringView("scene"), computer.HoldsPiece() ? computer.SceneString : QString());
    out.Add(QLatin1StringView("frames"), PieceText(computer.Frames));
    out.Add(QLatin1StringView("framesRendered"), computer.RenderCount);
    out.Add(QLatin1StringView("memory"), computer.Memory);
    out.Add(QLatin1StringView("processors"), computer.Processors);
}

} // namespace

void AppendJsonString(QByteArray& text, const QString& value)
{
    static const char hex[] = "0123456789abcdef";
    text += '"';
    for (const char c : value.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte < 0x20) {
            text += "\\u00";
            text += hex[byte >> 4];
            text += hex[byte & 15];
        } else {
            text += c;
        }
    }
    text += '"';
}

QJsonObject SceneJson(const TScene& scene, const TComputerList& computers)
{
    TObjectWriter writer;
    DescribeScene(writer, scene, computers);
    return writer.Object;
}

QByteArray SceneJsonText(const TScene& scene, const TComputerList& computers)
{
    TTextWriter writer;
    DescribeScene(writer, scene, computers);
    return writer.Finished();
}

QJsonObject ComputerJson(const TComputer& computer, const TSceneList& scenes)
{
    TObjectWriter writer;
    DescribeComputer(writer, computer, scenes);
    return writer.Object;
}

QByteArray ComputerJsonText(const TComputer& computer, const TSceneList& scenes)
{
    TTextWriter writer;
    DescribeComputer(writer, computer, scenes);
    return writer.Finished();
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
