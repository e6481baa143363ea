#include "web/web_api.h"
#include "web/web_server.h"
#include "web/web_service.h"
#include "web/web_stream.h"

#include "farm/farm.h"
#include "options/options.h"
#include "remote/tcp_link.h"
#include "support/clock.h"

#include "scripted_people.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A Master with two scenes and two nodes, the first scene half rendered.
class Web : public ::testing::Test
{
protected:
    Web()
    {
        Options.Master = true;
        Options.ScreamerName = QStringLiteral("render-master");
        Options.LookColorR = 40;
        Options.LookColorG = 80;
        Options.LookColorB = 120;
        AddScene(11, QStringLiteral("/scenes/shot.lws"), 20).NextFrames(10);
        AddScene(22, QStringLiteral("/scenes/<b>&amp;\".lws"), 4);
        for (const int number : { 1, 2 }) {
            auto node = std::make_unique<TComputer>();
            node->Number = number;
            node->Name = QStringLiteral("render-%1").arg(number);
            node->StateString = QStringLiteral("Ready");
            Farm.Computers.Add(std::move(node));
        }
    }

    TScene& AddScene(int id, const QString& file, int frames)
    {
        auto scene = std::make_unique<TScene>();
        scene->Filename = file;
        scene->Settings.Range = true;
        scene->Settings.CurrentFirst = 1;
        scene->Settings.CurrentLast = frames;
        scene->ResetFrames();
        scene->ID = id;
        return Farm.Scenes.Append(std::move(scene));
    }

    QJsonObject Get(const QByteArray& target, int status = 200)
    {
        const TWebAnswer answer = AnswerWebRequest(Farm, "GET", target);
        EXPECT_EQ(answer.Status, status) << target.constData();
        return QJsonDocument::fromJson(answer.Body).object();
    }

    void AddEvents(int count)
    {
        for (int i = 0; i < count; ++i)
            Farm.MasterEvent(QStringLiteral("Test"), QStringLiteral("event %1").arg(i));
    }

    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
    TFarm Farm { Options, People, Clock };
};

// The stream's messages as (event, data) pairs.
QList<std::pair<QByteArray, QJsonObject>> Messages(const QByteArray& bytes)
{
    QList<std::pair<QByteArray, QJsonObject>> messages;
    for (const QByteArray& block : bytes.split('\n')) {
        if (block.startsWith("event: "))
            messages.append({ block.mid(7), {} });
        else if (block.startsWith("data: ") && !messages.isEmpty())
            messages.last().second = QJsonDocument::fromJson(block.mid(6)).object();
    }
    return messages;
}

} // namespace

TEST_F(Web, EndpointsServeTheClientsSchema)
{
    const QJsonObject farm = Get("/api/farm");
    EXPECT_EQ(farm.value("version").toInt(), 1);
    const QJsonObject header = farm.value("farm").toObject();
    EXPECT_EQ(header.value("name").toString(), QStringLiteral("render-master"));
    EXPECT_EQ(header.value("mode").toString(), QStringLiteral("master"));
    EXPECT_EQ(header.value("transport").toString(), QStringLiteral("local"));
    EXPECT_EQ(header.value("scenes").toInt(), 2);
    EXPECT_EQ(header.value("framesTotal").toInt(), 24);
    EXPECT_TRUE(header.value("idle").toObject().contains("idleSeconds"));
    const QJsonObject colours = header.value("colours").toObject();
    EXPECT_EQ(colours.value("base").toString(), QStringLiteral("#285078"));
    EXPECT_EQ(colours.value("half").toString(), QStringLiteral("#14283c"));
    EXPECT_EQ(colours.value("states").toObject().value("ready").toString(), QStringLiteral("#145a3c"));

    const QJsonArray scenes = Get("/api/scenes").value("scenes").toArray();
    ASSERT_EQ(scenes.size(), 2);
    EXPECT_EQ(scenes[0].toObject().value("id").toInt(), 11);
    EXPECT_EQ(scenes[0].toObject().value("framesDone").toInt(), 10);
    EXPECT_EQ(scenes[1].toObject().value("name").toString(), QStringLiteral("<b>&amp;\".lws"));

    const QJsonArray computers = Get("/api/computers?ignored=1").value("computers").toArray();
    ASSERT_EQ(computers.size(), 2);
    EXPECT_EQ(computers[1].toObject().value("stateCode").toString(), QStringLiteral("ready"));
}

TEST_F(Web, EventsLastOrSinceOne)
{
    AddEvents(150);
    QJsonArray events = Get("/api/events").value("events").toArray();
    ASSERT_EQ(events.size(), WebRecentEvents) << "the recent ones when nobody asks for a number";
    EXPECT_EQ(events.last().toObject().value("comment").toString(), QStringLiteral("event 149"));
    const qint64 last = events.last().toObject().value("number").toInteger();

    events = Get("/api/events?last=3").value("events").toArray();
    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[0].toObject().value("number").toInteger(), last - 2) << "oldest first";
    EXPECT_EQ(Get("/api/events?last=0").value("events").toArray().size(), 0);
    EXPECT_EQ(Get("/api/events?last=999999").value("events").toArray().size(), 150);

    // Deleted events leave gaps; "since" still finds the first after the number asked for.
    Farm.Events.DeleteEvents([&](const TEvent& event) { return event.Number % 2 == 0; });
    AddEvents(1);
    events = Get("/api/events?since=" + QByteArray::number(last - 3)).value("events").toArray();
    ASSERT_EQ(events.size(), 2) << "of last - 2 to last + 1, the odd ones";
    for (const QJsonValue event : events)
        EXPECT_GT(event.toObject().value("number").toInteger(), last - 3);
    EXPECT_EQ(Get("/api/events?since=" + QByteArray::number(last + 1)).value("events").toArray().size(), 0);

    for (const QByteArray target : { "/api/events?last=-1", "/api/events?last=ten", "/api/events?since=1e3",
             "/api/events?since=99999999999999", "/api/events?last=" })
        EXPECT_EQ(AnswerWebRequest(Farm, "GET", target).Status, 400) << target.constData();
}

TEST_F(Web, PageFilesUnknownPathsAndOtherMethods)
{
    const TWebAnswer page = AnswerWebRequest(Farm, "GET", "/");
    EXPECT_EQ(page.Status, 200);
    EXPECT_TRUE(page.ContentType.startsWith("text/html"));
    EXPECT_TRUE(page.Body.contains("app.js"));
    EXPECT_EQ(AnswerWebRequest(Farm, "HEAD", "/app.js").ContentType, "text/javascript; charset=utf-8");
    EXPECT_EQ(AnswerWebRequest(Farm, "GET", "/favicon.png").ContentType, "image/png");
    for (const QByteArray target : { "/api", "/api/", "/api/scenes/11", "/../etc/passwd", "//", "/index.html/",
             "/API/FARM", "" })
        EXPECT_EQ(AnswerWebRequest(Farm, "GET", target).Status, 404) << target.constData();
    for (const QByteArray method : { "POST", "PUT", "DELETE", "OPTIONS", "get", "" })
        EXPECT_EQ(AnswerWebRequest(Farm, method, "/api/scenes").Status, 405) << method.constData();
}

TEST_F(Web, StreamSendsAPictureThenOnlyWhatChanged)
{
    AddEvents(1);
    TWebStream stream(Farm);
    auto messages = Messages(stream.Changes());
    ASSERT_EQ(messages.size(), 4) << "farm, scenes, computers and the events at first";
    EXPECT_EQ(messages[1].first, "scenes");
    EXPECT_EQ(messages[1].second.value("changed").toArray().size(), 2);
    EXPECT_EQ(messages[1].second.value("order").toArray(), (QJsonArray { 11, 22 }));
    EXPECT_TRUE(stream.Changes().isEmpty()) << "nothing changed, nothing said";

    // A booked frame: one scene changes, the order stays.
    Farm.Scenes.Item(0).NextFrames(1);
    Farm.ScenesChanged();
    messages = Messages(stream.Changes());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].first, "farm") << "the counts moved";
    const QJsonObject scenes = messages[1].second;
    ASSERT_EQ(scenes.value("changed").toArray().size(), 1);
    EXPECT_EQ(scenes.value("changed").toArray()[0].toObject().value("framesDone").toInt(), 11);
    EXPECT_FALSE(scenes.contains("order"));

    // A scene gone and the nodes' order changed; new events only.
    Farm.Scenes.Remove(0);
    Farm.ScenesChanged();
    AddEvents(2);
    messages = Messages(stream.Changes());
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[1].second.value("removed").toArray(), (QJsonArray { 11 }));
    EXPECT_EQ(messages[1].second.value("order").toArray(), (QJsonArray { 22 }));
    EXPECT_EQ(messages[2].first, "events");
    EXPECT_EQ(messages[2].second.value("events").toArray().size(), 2);

    // A newcomer's picture holds everything as it stands, the recent events with it.
    messages = Messages(stream.Snapshot());
    ASSERT_EQ(messages.size(), 4);
    EXPECT_EQ(messages[1].second.value("changed").toArray().size(), 1);
    EXPECT_EQ(messages[2].second.value("order").toArray(), (QJsonArray { 1, 2 }));
    EXPECT_EQ(messages[3].second.value("events").toArray().size(), 3);
}

namespace {

// A raw client, so requests can be as wrong as a test likes; the server runs in this thread,
// so every wait turns the event loop.
struct TClient
{
    explicit TClient(quint16 port, const QString& from = QStringLiteral("127.0.0.1"))
    {
        Socket.bind(QHostAddress(from));
        Socket.connectToHost(QHostAddress::LocalHost, port);
        QObject::connect(&Socket, &QTcpSocket::readyRead, [this] { Received += Socket.readAll(); });
    }
    // Waits until the answer is whole (by its length) or the connection is closed.
    QByteArray Exchange(const QByteArray& request)
    {
        Socket.write(request);
        const bool head = request.startsWith("HEAD ");
        (void)QTest::qWaitFor(
            [&] { return Whole(head) || Socket.state() == QAbstractSocket::UnconnectedState; }, 5000);
        return Received;
    }
    bool Whole(bool head) const
    {
        const qsizetype end = Received.indexOf("\r\n\r\n");
        if (end < 0 || head)
            return end >= 0;
        const qsizetype length = Received.indexOf("Content-Length: ");
        return length >= 0 && Received.size() - end - 4 >= Received.mid(length + 16).split('\r')[0].toLongLong();
    }
    QTcpSocket Socket;
    QByteArray Received;
};

} // namespace

TEST_F(Web, ServerAnswersOverHttpAndFeedsTheStream)
{
    TWebServer server(Farm);
    QString error;
    ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, FreePort(), error)) << error.toStdString();

    TClient scenes(server.Port());
    const QByteArray answer = scenes.Exchange("GET /api/scenes HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 200 OK\r\n")) << answer.left(200).constData();
    EXPECT_TRUE(answer.contains("\"id\":11"));
    scenes.Received.clear();
    EXPECT_TRUE(scenes.Exchange("HEAD / HTTP/1.1\r\nHost: x\r\n\r\n").endsWith("\r\n\r\n")) << "no body";
    scenes.Received.clear();
    EXPECT_TRUE(scenes.Exchange("DELETE /api/scenes HTTP/1.1\r\nHost: x\r\n\r\n").startsWith("HTTP/1.1 405"));

    TClient stream(server.Port());
    stream.Socket.write("GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return stream.Received.contains("event: events"); }, 5000));
    EXPECT_TRUE(stream.Received.contains("Content-Type: text/event-stream"));
    EXPECT_EQ(server.Streams(), 1);
    stream.Received.clear();
    Farm.Scenes.Item(0).NextFrames(2);
    Farm.ScenesChanged();
    ASSERT_TRUE(QTest::qWaitFor([&] { return stream.Received.contains("event: scenes"); }, 5000));
    EXPECT_TRUE(stream.Received.contains("\"framesDone\":12"));

    stream.Socket.abort();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Streams() == 0; }, 5000));
}

TEST_F(Web, ServerClosesOrAnswersBadRequests)
{
    TWebServer server(Farm);
    QString error;
    ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, FreePort(), error)) << error.toStdString();

    TClient huge(server.Port());
    EXPECT_TRUE(huge.Exchange("GET / HTTP/1.1\r\nX-Big: " + QByteArray(300000, 'a') + "\r\n\r\n")
                    .startsWith("HTTP/1.1 431"));
    TClient body(server.Port());
    EXPECT_TRUE(body.Exchange("POST / HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n" + QByteArray(200000, 'x'))
                    .startsWith("HTTP/1.1 431"));
    TClient garbage(server.Port());
    garbage.Exchange(QByteArray("\0\1\2 nonsense\r\n\r\n", 17));
    TClient upgrade(server.Port());
    EXPECT_TRUE(upgrade
                    .Exchange("GET /api/farm HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                              "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n")
                    .startsWith("HTTP/1.1 200"))
        << "no WebSocket here: an answer like any other";
    TClient fine(server.Port());
    EXPECT_TRUE(fine.Exchange("GET /api/farm HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 200")) << "still serving";

    // More connections than the limit: the rest are told to come back, the farm goes on.
    const int before = server.Connections();
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < TWebServer::ConnectionLimit + 20; ++i) {
        crowd.push_back(std::make_unique<QTcpSocket>());
        crowd.back()->connectToHost(QHostAddress::LocalHost, server.Port());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.Connections() >= TWebServer::ConnectionLimit; }, 10000))
        << server.Connections();
    TClient late(server.Port());
    EXPECT_TRUE(late.Exchange("GET / HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 503"));
    EXPECT_LE(server.Connections(), TWebServer::ConnectionLimit);
    crowd.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.Connections() == before; }, 10000)) << server.Connections();
}

TEST_F(Web, ServiceFollowsTheOptionsAndTheAllowList)
{
    const quint16 port = FreePort();
    TWebService service(Farm);
    EXPECT_EQ(service.Server(), nullptr) << "port 0 serves nothing";
    Options.MasterWebPort = port;
    service.Follow();
    EXPECT_EQ(service.Server(), nullptr) << "nothing before the farm has started";
    Farm.Started = true;

    Options.MasterWebPort = port;
    Options.MasterWebAddress = QStringLiteral("127.0.0.1");
    Options.MasterTCPIPAllow = QStringLiteral("127.0.0.1");
    service.Follow();
    ASSERT_NE(service.Server(), nullptr);
    EXPECT_EQ(Farm.Events.Item(Farm.Events.Count() - 1).Comment,
        QStringLiteral("The status page is at http://127.0.0.1:%1/").arg(port));

    TClient inside(port);
    EXPECT_TRUE(inside.Exchange("GET /api/farm HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 200"));
    TClient outside(port, QStringLiteral("127.0.0.2"));
    EXPECT_TRUE(outside.Exchange("GET /api/farm HTTP/1.1\r\n\r\n").isEmpty());
    EXPECT_EQ(outside.Socket.state(), QAbstractSocket::UnconnectedState) << "closed without an answer";
    EXPECT_EQ(Farm.Events.Item(Farm.Events.Count() - 1).Comment,
        QStringLiteral("Refused the status page to 127.0.0.2: not in the allowed addresses (MasterTCPIPAllow)."));

    // Not a Master, or one that does not drive: nothing served.
    Farm.Driving = false;
    service.Follow();
    EXPECT_EQ(service.Server(), nullptr);
    Farm.Driving = true;

    // A wrong address or a port in use is said once, naming the option.
    Options.MasterWebAddress = QStringLiteral("render-master");
    const int before = Farm.Events.Count();
    service.Follow();
    service.Follow();
    EXPECT_EQ(service.Server(), nullptr);
    ASSERT_EQ(Farm.Events.Count(), before + 1);
    EXPECT_TRUE(Farm.Events.Item(before).Comment.contains(QStringLiteral("MasterWebAddress")));

    TWebServer other(Farm);
    QString error;
    ASSERT_TRUE(other.Listen(QHostAddress::LocalHost, 0, error));
    Options.MasterWebAddress = QStringLiteral("127.0.0.1");
    Options.MasterWebPort = other.Port();
    service.Follow();
    service.Follow();
    EXPECT_EQ(service.Server(), nullptr);
    EXPECT_TRUE(Farm.Events.Item(Farm.Events.Count() - 1).Comment.contains(QStringLiteral("Check that no other program uses the port")));
}
