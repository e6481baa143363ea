#include "web/web_api.h"

#include "farm/farm.h"
#include "options/options.h"
#include "views/farm_json.h"

#include <QFile>
#include <QJsonDocument>
#include <QUrlQuery>
#include <algorithm>

namespace {

const QByteArray JsonType = QByteArrayLiteral("application/json; charset=utf-8");
const QByteArray TextType = QByteArrayLiteral("text/plain; charset=utf-8");

TWebAnswer Json(const QJsonObject& object)
{
    return { 200, JsonType, QJsonDocument(object).toJson(QJsonDocument::Compact) };
}

TWebAnswer Text(int status, const QString& text)
{
    return { status, TextType, text.toUtf8() + '\n' };
}

QJsonObject Versioned(const char* key, const QJsonValue& value)
{
    return QJsonObject { { QStringLiteral("version"), FarmJsonVersion }, { QLatin1String(key), value } };
}

// A whole number of at most nine digits, nothing else; -1 otherwise.
int SmallNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 9)
        return -1;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return -1;
    return text.toInt();
}

} // namespace

int FirstEventAfter(const TEventLog& events, qint64 since)
{
    int low = 0;
    int high = events.Count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (events.Item(middle).Number <= since)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

namespace {

TWebAnswer Events(const TFarm& farm, const QUrlQuery& query)
{
    const TEventLog& events = farm.Events;
    int first = events.Count() - WebRecentEvents;
    if (query.hasQueryItem(QStringLiteral("since"))) {
        const int since = SmallNumber(query.queryItemValue(QStringLiteral("since")));
        if (since < 0)
            return Text(400, QStringLiteral("since= wants the number of an event, such as since=120."));
        first = FirstEventAfter(events, since);
    } else if (query.hasQueryItem(QStringLiteral("last"))) {
        const int last = SmallNumber(query.queryItemValue(QStringLiteral("last")));
        if (last < 0)
            return Text(400, QStringLiteral("last= wants a number of events, such as last=50."));
        first = events.Count() - last;
    }
    return Json(Versioned("events", EventsJson(events, first)));
}

// The page's own files, from the program's resources.
TWebAnswer PageFile(const QByteArray& path)
{
    static const struct {
        const char* Path;
        const char* Resource;
        const char* Type;
    } files[] = {
        { "/", ":/web/index.html", "text/html; charset=utf-8" },
        { "/index.html", ":/web/index.html", "text/html; charset=utf-8" },
        { "/app.js", ":/web/app.js", "text/javascript; charset=utf-8" },
        { "/style.css", ":/web/style.css", "text/css; charset=utf-8" },
        { "/favicon.png", ":/web/favicon.png", "image/png" },
    };
    for (const auto& file : files) {
        if (path != file.Path)
            continue;
        QFile resource(QString::fromLatin1(file.Resource));
        if (!resource.open(QIODevice::ReadOnly))
            break;
        return { 200, file.Type, resource.readAll() };
    }
    return Text(404, QStringLiteral("Nothing here. The status page is at /, the farm's JSON under /api/."));
}

} // namespace

QJsonObject WebFarmJson(const TFarm& farm)
{
    const TOptions& options = farm.Options;
    QJsonObject object = FarmSummaryJson(
        { options.ScreamerName, QStringLiteral("master"), QStringLiteral("local") }, farm.Scenes, farm.Computers);
    object.insert(QStringLiteral("idle"), IdleJson(farm.Idle));
    object.insert(QStringLiteral("colours"),
        ColoursJson(ColorRef(options.LookColorR, options.LookColorG, options.LookColorB)));
    return object;
}

QByteArray WebPath(const QByteArray& target)
{
    const qsizetype query = target.indexOf('?');
    return query < 0 ? target : target.left(query);
}

TWebAnswer AnswerWebRequest(const TFarm& farm, const QByteArray& method, const QByteArray& target)
{
    if (method != "GET" && method != "HEAD")
        return Text(405, QStringLiteral("The status page only reads: GET or HEAD."));
    const QByteArray path = WebPath(target);
    const QUrlQuery query(QString::fromUtf8(target.mid(path.size() + 1)));
    if (path == "/api/farm")
        return Json(Versioned("farm", WebFarmJson(farm)));
    if (path == "/api/scenes")
        return Json(Versioned("scenes", ScenesJson(farm.Scenes, farm.Computers)));
    if (path == "/api/computers")
        return Json(Versioned("computers", ComputersJson(farm.Computers, farm.Scenes)));
    if (path == "/api/events")
        return Events(farm, query);
    return PageFile(path);
}
