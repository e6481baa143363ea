#include "web/web_stream.h"

#include "farm/farm.h"
#include "views/farm_json.h"
#include "web/web_api.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QByteArray Compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray JoinedArray(const QList<QByteArray>& items)
{
    QByteArray text = "[";
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += ',';
        text += items[i];
    }
    return text + ']';
}

QByteArray NumberArray(const QList<int>& numbers)
{
    QList<QByteArray> items;
    items.reserve(numbers.size());
    for (const int number : numbers)
        items.append(QByteArray::number(number));
    return JoinedArray(items);
}

// The events from index `first` on.
QByteArray EventsMessage(const TEventLog& events, int first)
{
    return TWebStream::Message(
        "events", "{\"events\":" + QJsonDocument(EventsJson(events, first)).toJson(QJsonDocument::Compact) + '}');
}

} // namespace

TWebStream::TWebStream(const TFarm& farm)
    : FFarm(farm)
{ }

QByteArray TWebStream::Message(const char* event, const QByteArray& data)
{
    return QByteArrayLiteral("event: ") + event + QByteArrayLiteral("\ndata: ") + data + "\n\n";
}

template <typename Build> QByteArray TWebStream::ListChanges(TListPicture& picture, int count, Build build)
{
    QHash<int, QByteArray> items;
    items.reserve(count);
    QList<int> order;
    order.reserve(count);
    QList<QByteArray> changed;
    for (int index = 0; index < count; ++index) {
        auto [key, json] = build(index);
        // A damaged list may hold a key twice; the page keeps the first.
        if (items.contains(key))
            continue;
        const auto before = picture.Items.constFind(key);
        if (before == picture.Items.cend() || *before != json)
            changed.append(json);
        items.insert(key, json);
        order.append(key);
    }
    QList<int> removed;
    for (auto item = picture.Items.cbegin(); item != picture.Items.cend(); ++item)
        if (!items.contains(item.key()))
            removed.append(item.key());
    const bool reordered = order != picture.Order;
    picture.Items = std::move(items);
    picture.Order = std::move(order);
    if (changed.isEmpty() && removed.isEmpty() && !reordered)
        return {};
    QByteArray data = "{\"changed\":" + JoinedArray(changed) + ",\"removed\":" + NumberArray(removed);
    if (reordered)
        data += ",\"order\":" + NumberArray(picture.Order);
    return data + '}';
}

QByteArray TWebStream::ListSnapshot(const TListPicture& picture)
{
    QList<QByteArray> items;
    items.reserve(picture.Order.size());
    for (const int key : picture.Order)
        items.append(picture.Items.value(key));
    return "{\"changed\":" + JoinedArray(items) + ",\"removed\":[],\"order\":" + NumberArray(picture.Order) + '}';
}

QByteArray TWebStream::Changes()
{
    QByteArray messages;
    const QByteArray farm = Compact(WebFarmJson(FFarm));
    if (farm != FFarmJson) {
        FFarmJson = farm;
        messages += Message("farm", farm);
    }
    if (!FLooked || FRevision != FFarm.Revision) {
        FLooked = true;
        FRevision = FFarm.Revision;
        const TSceneList& scenes = FFarm.Scenes;
        const TComputerList& computers = FFarm.Computers;
        const QByteArray sceneChanges = ListChanges(FScenes, scenes.Count(), [&](int index) {
            const TScene& scene = scenes.Item(index);
            return std::pair(scene.ID, SceneJsonText(scene, computers));
        });
        if (!sceneChanges.isEmpty())
            messages += Message("scenes", sceneChanges);
        const QByteArray computerChanges = ListChanges(FComputers, computers.Count(), [&](int index) {
            const TComputer& computer = computers.Item(index);
            return std::pair(computer.Number, ComputerJsonText(computer, scenes));
        });
        if (!computerChanges.isEmpty())
            messages += Message("computers", computerChanges);
    }
    const TEventLog& events = FFarm.Events;
    if (events.Count() > 0 && events.Item(events.Count() - 1).Number > FLastEvent) {
        const int first = FirstEventAfter(events, FLastEvent);
        FLastEvent = events.Item(events.Count() - 1).Number;
        messages += EventsMessage(events, first);
    }
    return messages;
}

QByteArray TWebStream::Snapshot() const
{
    const TEventLog& events = FFarm.Events;
    const int first = FirstEventAfter(events, FLastEvent) - WebRecentEvents;
    return Message("farm", FFarmJson) + Message("scenes", ListSnapshot(FScenes))
        + Message("computers", ListSnapshot(FComputers))
        + EventsMessage(events, first);
}
