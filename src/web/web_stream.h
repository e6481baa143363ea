#pragma once
// The messages of the status page's event stream: a whole picture of the farm for a reader that
// comes, then only what changed. Free of sockets; the server sends the bytes.

#include <QByteArray>
#include <QHash>
#include <QList>

class TFarm;

class TWebStream
{
public:
    explicit TWebStream(const TFarm& farm);

    // What changed since the last call as stream messages ("farm", "scenes", "computers",
    // "events"), empty when nothing did. The lists are looked at only when the farm's revision
    // moved.
    QByteArray Changes();
    // Everything as the last Changes() saw it, for a reader that has just come.
    QByteArray Snapshot() const;

    static QByteArray Message(const char* event, const QByteArray& data);
    // Keeps a quiet connection open through proxies and tells a dead reader soon.
    static QByteArray KeepAlive() { return QByteArrayLiteral(": keep-alive\n\n"); }

private:
    // One list's last picture: each item's JSON by its key, and the keys in order.
    struct TListPicture
    {
        QHash<int, QByteArray> Items;
        QList<int> Order;
    };
    template <typename Build> QByteArray ListChanges(TListPicture& picture, int count, Build build);
    static QByteArray ListSnapshot(const TListPicture& picture);

    const TFarm& FFarm;
    bool FLooked = false;
    quint64 FRevision = 0;
    QByteArray FFarmJson;
    TListPicture FScenes;
    TListPicture FComputers;
    qint64 FLastEvent = 0;
};
