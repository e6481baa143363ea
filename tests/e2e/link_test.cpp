// kestriond serving TCP/IP beside the command file, and a Remote in this process that watches and
// drives it over the link: the lists on connecting and after every command of either transport,
// a scene queued once, and the link found again after the Master was restarted.
#include "farm_fixture.h"

#include "farm/controller.h"
#include "remote/tcp_link.h"

#include "scripted_people.h"

#include <QTest>

namespace {

class TLinkRemote
{
public:
    TLinkRemote(const QString& commands, quint16 port)
    {
        Options.Master = false;
        Options.ScreamerDirectory = commands;
        Options.ScreamerName = QStringLiteral("TcpRemote");
        Options.ScreamerNumbers = QStringLiteral("8");
        Options.RemoteSendTCPIP = true;
        Options.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(port);
        Controller = std::make_unique<TController>(Options, People, Clock);
        Controller->Start();
        // Its ticks come ten times a second here, so the 31-tick wait takes three seconds.
        Controller->TimerRemote.setInterval(100);
    }
    ~TLinkRemote() { Controller->Close(); }

    // Waits, with the event loop turning, for the Remote's lists to show `done`.
    bool WaitFor(const std::function<bool(const TFarm&)>& done, int milliseconds = FarmPatience)
    {
        return QTest::qWaitFor([&] { return done(Controller->Farm()); }, milliseconds);
    }

    TOptions Options;
    TScriptedPeople People;
    TClock Clock;
    std::unique_ptr<TController> Controller;
};

const QString QuickNodes = QStringLiteral("--frame-time 50 --poll 20");

TEST_F(FarmEndToEnd, ARemoteOverTcpIpWatchesAndDrivesTheMaster)
{
    const quint16 port = FreePort();
    farm.Master.MasterScanTCPIP = true;
    farm.Master.MasterTCPIPPort = port;
    ASSERT_TRUE(farm.StartMaster(QuickNodes));
    TLinkRemote remote(farm.Commands, port);

    // Connected, it has the Master's nodes at once.
    ASSERT_TRUE(remote.WaitFor([](const TFarm& f) { return f.Computers.Count() == FarmNodes; }));

    // A scene it sends is queued once and renders; its lists follow to the verified end.
    const QString shot = farm.WriteScene(QStringLiteral("shot.lws"), 1, 12);
    QStringList arguments { QStringLiteral("1"), shot };
    TScene initial(farm.Master.ContentDirectory);
    initial.Settings = farm.DefaultSettings();
    WriteRecord(initial, arguments);
    remote.Controller->Farm().Send(ScenesAdd, arguments);
    ASSERT_TRUE(remote.WaitFor(
        [](const TFarm& f) { return f.Scenes.Count() == 1 && f.Scenes.Item(0).Verified; }));
    EXPECT_TRUE(farm.MissingFrameFiles(shot).isEmpty());
    EXPECT_EQ(farm.MasterLog().count(QStringLiteral("Scenes Send")), 1);
    EXPECT_TRUE(farm.MasterLog().contains(QStringLiteral("TCP/IP: Received command of")));

    // Another Remote's command through the command file reaches this one as lists.
    const QString second = farm.WriteScene(QStringLiteral("second.lws"), 1, 3);
    ASSERT_TRUE(farm.AddScene(second, farm.DefaultSettings()));
    ASSERT_TRUE(remote.WaitFor([](const TFarm& f) { return f.Scenes.Count() == 2; }));

    // The Master restarted: the Remote dials again and shows its lists.
    ASSERT_TRUE(farm.StopMaster());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !remote.Controller->Link().Connected(); }, FarmPatience));
    remote.Controller->Farm().Scenes.Clear();
    ASSERT_TRUE(farm.StartMaster(QuickNodes, false));
    ASSERT_TRUE(remote.WaitFor([](const TFarm& f) { return f.Scenes.Count() == 2; }));
    EXPECT_TRUE(remote.Controller->Link().Connected());
}

} // namespace
