#include "farm/link.h"

#include "farm/controller.h"
#include "farm/master_command.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/message_assembler.h"
#include "remote/tcp_link.h"

#include "scripted_people.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {

// Remembers the status texts and what the Master ordered.
class TLinkPeople : public TScriptedPeople
{
public:
    void SetStatus(TStatusPanel panel, const QString& text) override
    {
        Panels[panel] = text;
        if (panel == TStatusPanel::LinkStatus)
            History << text;
    }
    void CloseOnMastersOrder() override { ++Closed; }
    void ApplyColours() override { ++Coloured; }
    QString Panel(TStatusPanel panel) const
    {
        const auto found = Panels.find(panel);
        return found == Panels.end() ? QString() : found->second;
    }
    std::map<TStatusPanel, QString> Panels;
    QStringList History;
    int Closed = 0;
    int Coloured = 0;
};

// A farm in this process whose timers the test runs by hand.
struct TInstallation
{
    TInstallation(const QString& directory, bool master)
    {
        options.Master = master;
        options.ScreamerDirectory = directory;
        options.ScreamerName = master ? QStringLiteral("master") : QStringLiteral("remote");
        options.MasterScreamerComputers = 3;
        controller = std::make_unique<TController>(options, people, clock);
        controller->Start();
        for (QTimer* timer : { &controller->TimerMaster, &controller->TimerRemote, &controller->TimerGeneral,
                 &controller->TimerMasterLock })
            timer->stop();
    }
    ~TInstallation() { controller->Close(); }
    TFarm& Farm() { return controller->Farm(); }

    TOptions options;
    TLinkPeople people;
    TManualClock clock;
    std::unique_ptr<TController> controller;
};

class Link : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(commands.isValid());
        port = FreePort();
    }

    std::unique_ptr<TInstallation> StartMaster()
    {
        auto master = std::make_unique<TInstallation>(commands.path(), true);
        master->options.MasterScanTCPIP = true;
        master->options.MasterScanRemote = true;
        master->options.MasterTCPIPPort = port;
        master->controller->TimerMasterTimer();
        return master;
    }

    std::unique_ptr<TInstallation> StartRemote()
    {
        auto remote = std::make_unique<TInstallation>(commands.path(), false);
        remote->options.RemoteSendTCPIP = true;
        remote->options.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(port);
        remote->controller->TimerRemoteTimer();
        return remote;
    }

    static void AddScene(TFarm& farm, const QString& file)
    {
        auto scene = std::make_unique<TScene>();
        scene->Filename = file;
        farm.Scenes.Add(std::move(scene), true);
    }

    QTemporaryDir commands;
    quint16 port = 0;
};

TEST_F(Link, ARemoteShowsTheMastersListsAndItsCommandsAreCarriedOutOnce)
{
    auto master = StartMaster();
    EXPECT_EQ(master->people.Panel(TStatusPanel::Link), QStringLiteral("TCP/IP"));
    EXPECT_EQ(master->people.Panel(TStatusPanel::LinkStatus), QStringLiteral("Listing to Kestrion Remotes"));
    AddScene(master->Farm(), QStringLiteral("/scenes/a.lws"));
    AddScene(master->Farm(), QStringLiteral("/scenes/b.lws"));

    // On connecting the Remote asks for the lists at once.
    auto remote = StartRemote();
    EXPECT_EQ(remote->people.Panel(TStatusPanel::Link), QStringLiteral("TCP/IP"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote->Farm().Scenes.Count() == 2; }));
    EXPECT_TRUE(remote->people.History.contains(QStringLiteral("Connected to: 127.0.0.1")));
    EXPECT_TRUE(remote->people.Panel(TStatusPanel::Clock).startsWith(QStringLiteral("Last Update ")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return master->controller->Link().Connections().size() == 1; }));

    // A second Remote sees the first one's command answered too.
    auto other = StartRemote();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->Farm().Scenes.Count() == 2; }));
    const int id = master->Farm().Scenes.Item(0).ID;
    remote->Farm().Send(ScenesRemove, { QString::number(id) });
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->Farm().Scenes.Count() == 1; }));
    EXPECT_EQ(remote->Farm().Scenes.Count(), 1);
    EXPECT_EQ(master->Farm().Scenes.Count(), 1);
    EXPECT_TRUE(master->people.History.contains(QStringLiteral("Received command of remote")))
        << master->people.History.join(u'|').toStdString();

    // A command the Master takes from the command file is answered over TCP/IP as well.
    TOptions fileRemote;
    fileRemote.ScreamerDirectory = commands.path();
    TCommand remove = MakeCommand(ScenesRemove, fileRemote);
    remove.Arguments << QString::number(master->Farm().Scenes.Item(0).ID);
    TCommandOutbox second;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        master->controller->TimerMasterTimer();
        return SendCommand(second, remove, fileRemote);
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        master->controller->TimerMasterTimer();
        return other->Farm().Scenes.Count() == 0;
    }));

    // Close All closes every Remote without its question.
    master->controller->Link().CloseAllRemotes();
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote->people.Closed == 1 && other->people.Closed == 1; }));
}

TEST_F(Link, AnUnreachableMasterIsDialledAgainEvery31Seconds)
{
    auto remote = StartRemote();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return remote->people.Panel(TStatusPanel::LinkStatus) == QStringLiteral("Error connecting to Master"); }));
    // Commands wait for the link, and the status says how many.
    remote->Farm().Send(EventMessage, { QStringLiteral("first") });
    remote->Farm().Send(EventMessage, { QStringLiteral("second") });
    for (int tick = 0; tick < 3; ++tick)
        remote->controller->TimerRemoteTimer();
    EXPECT_EQ(remote->people.Panel(TStatusPanel::LinkStatus), QStringLiteral("Error connecting to Master (2 waiting)..."));
    for (int tick = 3; tick < 30; ++tick)
        remote->controller->TimerRemoteTimer();
    EXPECT_EQ(remote->people.History.count(QStringLiteral("Connecting to Master")), 1)
        << remote->people.History.join(u'|').toStdString();

    // The Master comes up; the 31st tick dials again and what waited goes out in order.
    auto master = StartMaster();
    remote->people.History.clear();
    remote->controller->TimerRemoteTimer();
    EXPECT_EQ(remote->people.History.value(0), QStringLiteral("Connecting to Master (2 waiting)"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return master->people.Asked.size() == 2; }));
    EXPECT_EQ(master->people.Asked, QStringList({ "first", "second" }));
    EXPECT_EQ(remote->Farm().Outbox.Pending(), 0);
}

TEST_F(Link, ANewMastersAddressDropsTheLinkAndDialsIt)
{
    auto master = StartMaster();
    auto remote = StartRemote();
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote->controller->Link().Connected(); }));
    remote->options.RemoteSendTCPIPMaster = QStringLiteral("localhost:%1").arg(port);
    remote->controller->TimerRemoteTimer();
    EXPECT_FALSE(remote->controller->Link().Connected());
    remote->controller->TimerRemoteTimer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote->controller->Link().Connected(); }));

    // A Master that stopped driving (it gave way to another) carries nothing out.
    master->Farm().Driving = false;
    master->people.History.clear();
    remote->Farm().Send(EventMessage, { QStringLiteral("to nobody") });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return master->people.History.contains(QStringLiteral("Received command of remote")); }));
    EXPECT_TRUE(master->people.Asked.isEmpty());
    master->Farm().Driving = true;

    // Switched off, the Remote drops the link and its panel.
    remote->options.RemoteSendTCPIP = false;
    remote->controller->TimerRemoteTimer();
    EXPECT_FALSE(remote->controller->Link().Connected());
    EXPECT_EQ(remote->people.Panel(TStatusPanel::Link), QString());
    // And so does the Master its server.
    master->options.MasterScanTCPIP = false;
    master->controller->TimerMasterTimer();
    EXPECT_FALSE(master->controller->Link().Serving());
    EXPECT_EQ(master->people.Panel(TStatusPanel::Link), QString());
}

TEST_F(Link, TheMasterSurvivesGarbageAndSaysOnceThatItCannotListen)
{
    auto master = StartMaster();
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(raw.waitForConnected(5000));
    TCommand message = MakeCommand(EventMessage, master->options);
    message.Arguments << QStringLiteral("after the garbage");
    const QByteArray bytes = "\x16\x03\x01 not a command\r\n" + MessageBytes(message);
    // In two pieces, the second inside the command.
    raw.write(bytes.first(30));
    raw.flush();
    QTest::qWait(50);
    raw.write(bytes.sliced(30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return master->people.Asked.contains(QStringLiteral("after the garbage")); }));
    EXPECT_TRUE(std::any_of(master->people.History.cbegin(), master->people.History.cend(),
        [](const QString& text) { return text.startsWith(QStringLiteral("Received invalid command of ")); }));
    // Every command is answered with the lists, also to a sender that is no Remote of ours.
    ASSERT_TRUE(QTest::qWaitFor([&] { return raw.bytesAvailable() > 0; }));
    EXPECT_TRUE(raw.readAll().startsWith("Kestrion Command\r\nLists\r\n"));

    // A second Master on the same port cannot listen: one event, however many ticks.
    QTemporaryDir elsewhere;
    TInstallation second(elsewhere.path(), true);
    second.options.MasterScanTCPIP = true;
    second.options.MasterTCPIPPort = port;
    for (int tick = 0; tick < 3; ++tick)
        second.controller->TimerMasterTimer();
    int said = 0;
    for (int i = 0; i < second.Farm().Events.Count(); ++i)
        said += second.Farm().Events.Item(i).Comment.contains(QStringLiteral("MasterTCPIPPort")) ? 1 : 0;
    EXPECT_EQ(said, 1);
    EXPECT_FALSE(second.controller->Link().Serving());
}

TEST_F(Link, ConnectionsPastTheLimitAreRefusedAndTheRestServed)
{
    auto master = StartMaster();
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < LinkPeerLimit + 20; ++i) {
        crowd.push_back(std::make_unique<QTcpSocket>());
        crowd.back()->connectToHost(QHostAddress::LocalHost, port);
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return master->controller->Link().Connections().size() == LinkPeerLimit; }, 30000));
    const auto refused = [&] {
        return std::count_if(crowd.cbegin(), crowd.cend(),
            [](const auto& socket) { return socket->state() == QAbstractSocket::UnconnectedState; });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused() == 20; }, 30000));
    // A command dripping in byte by byte among them is carried out once whole.
    TCommand message = MakeCommand(EventMessage, master->options);
    message.Arguments << QStringLiteral("slowly");
    const QByteArray bytes = MessageBytes(message);
    QTcpSocket* slow = crowd.front().get();
    for (const char byte : bytes) {
        slow->write(&byte, 1);
        QTest::qWait(1);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return master->people.Asked.contains(QStringLiteral("slowly")); }));
    master->controller->TimerMasterTimer();
    EXPECT_TRUE(master->controller->Link().Serving());
}

TEST_F(Link, AComputerOutsideTheAllowListIsClosedAtOnce)
{
    auto master = std::make_unique<TInstallation>(commands.path(), true);
    master->options.MasterScanTCPIP = true;
    master->options.MasterTCPIPPort = port;
    master->options.MasterTCPIPAllow = QStringLiteral("10.0.0.0/8");
    master->controller->TimerMasterTimer();
    for (int attempt = 0; attempt < 2; ++attempt) {
        QTcpSocket raw;
        raw.connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(QTest::qWaitFor([&] { return raw.state() == QAbstractSocket::UnconnectedState; }));
    }
    EXPECT_EQ(master->people.Panel(TStatusPanel::LinkStatus), QStringLiteral("Refused 127.0.0.1"));
    const TEventLog& events = master->Farm().Events;
    EXPECT_EQ(events.Item(events.Count() - 1).Comment,
        QStringLiteral("Refused the connection of 127.0.0.1: not in the allowed addresses (MasterTCPIPAllow)."));
    EXPECT_EQ(events.Item(events.Count() - 2).Comment, QStringLiteral("Started."));

    // Let in once listed; a list that cannot be read lets nobody in and says so.
    master->options.MasterTCPIPAllow = QStringLiteral("10.0.0.0/8 127.0.0.1");
    master->controller->TimerMasterTimer();
    auto remote = StartRemote();
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote->controller->Link().Connected(); }));
    master->options.MasterTCPIPAllow = QStringLiteral("render-room");
    master->controller->TimerMasterTimer();
    EXPECT_TRUE(events.Item(events.Count() - 1).Comment.startsWith(QStringLiteral("No Remote can connect")));
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.state() == QAbstractSocket::UnconnectedState; }));
}

// What the Master pushes, carried out without a link.
TEST(MasterCommand, ListsColoursAndStarts)
{
    QTemporaryDir directory;
    TOptions options;
    options.Master = false;
    options.ScreamerDirectory = directory.path();
    options.ScreamerName = QStringLiteral("render-2");
    TLinkPeople people;
    TManualClock clock;
    TFarm farm(options, people, clock);
    TDiscovery discovery(farm);

    TFarm master(options, people, clock);
    for (const char* file : { "/s/a.lws", "/s/b.lws" }) {
        auto scene = std::make_unique<TScene>();
        scene->Filename = QString::fromUtf8(file);
        master.Scenes.Add(std::move(scene), true);
    }
    const TCommand lists = ListsCommand(master);
    ASSERT_TRUE(ExecuteMasterCommand(farm, discovery, lists));
    EXPECT_EQ(farm.Scenes.Count(), 2);
    // Lists cut short, or with a line too many, change nothing.
    for (const QStringList& damaged : { lists.Arguments.mid(0, lists.Arguments.size() - 1),
             lists.Arguments + QStringList { "x" }, QStringList { "1", "0" }, QStringList { "abc" } }) {
        TCommand bad(Lists);
        bad.Arguments = damaged;
        EXPECT_FALSE(ExecuteMasterCommand(farm, discovery, bad));
        EXPECT_EQ(farm.Scenes.Count(), 2);
    }

    TCommand surprise(ProgramSurprise);
    surprise.Arguments = QStringList { "10", "abc", "300" };
    ASSERT_TRUE(ExecuteMasterCommand(farm, discovery, surprise));
    EXPECT_EQ(options.LookColorR, 10);
    EXPECT_EQ(options.LookColorG, 128);
    EXPECT_EQ(options.LookColorB, 255);
    EXPECT_EQ(people.Coloured, 1);

    ASSERT_TRUE(ExecuteMasterCommand(farm, discovery, TCommand(ProgramExit)));
    EXPECT_EQ(people.Closed, 1);

    // Whole words only: 12 and 3 start nodes 3 and 12, never 1 or 2.
    options.ScreamerFilename = QStringLiteral("/bin/true");
    options.ScreamerConfig = directory.path();
    farm.Screamers.Sync(QStringLiteral("1 2 3 12"));
    TCommand start(ComputersStart);
    start.Arguments << QStringLiteral("12 3");
    ASSERT_TRUE(ExecuteMasterCommand(farm, discovery, start));
    QStringList started;
    for (int i = 0; i < farm.Screamers.Count(); ++i)
        if (farm.Screamers.Item(i).Started)
            started << QString::number(farm.Screamers.Item(i).Number);
    EXPECT_EQ(started, QStringList({ "3", "12" }));
    EXPECT_EQ(farm.Events.Item(farm.Events.Count() - 1).Comment, QStringLiteral("Rescan request sent to master."));
}

} // namespace
