#pragma once
// What the status page's server answers: the page's own files and the farm as JSON, in the
// schema of the command-line client. Read only: nothing here changes the farm. Free of sockets,
// so every answer can be tested and fuzzed as it is.

#include <QByteArray>
#include <QJsonObject>

class TEventLog;
class TFarm;

struct TWebAnswer
{
    int Status = 200;
    QByteArray ContentType;
    QByteArray Body;
};

// The farm's header on the Master: its name, mode and counts, its idle figures and its colours.
QJsonObject WebFarmJson(const TFarm& farm);

// `target` is the request's path and query as sent ("/api/events?last=20").
TWebAnswer AnswerWebRequest(const TFarm& farm, const QByteArray& method, const QByteArray& target);

// The index of the first event after the one numbered `since`: numbers rise along the log, also
// after deletions, so a binary search finds it.
int FirstEventAfter(const TEventLog& events, qint64 since);

// The path of a target without its query, for telling the stream from the rest.
QByteArray WebPath(const QByteArray& target);
inline constexpr char WebStreamPath[] = "/api/stream";
// How many events the page and the stream start with when nobody asks for another number.
inline constexpr int WebRecentEvents = 100;
