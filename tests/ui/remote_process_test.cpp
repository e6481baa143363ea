// A Remote as a user runs it, "kestrion R" in a process of its own, linked over TCP/IP to a
// Master in this process: it connects, starts its own node when the Master asks, and closes
// without its question on Close All.
#include "farm/controller.h"
#include "options/options.h"
#include "remote/tcp_link.h"
#include "support/text_file.h"

#include "scripted_people.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString FileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(RemoteProcess, ConnectsStartsItsNodeOnRequestAndClosesOnCloseAll)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const quint16 port = FreePort();
    const QString commands = dir.filePath(QStringLiteral("commands"));
    ASSERT_TRUE(QDir().mkpath(commands));

    TOptions master;
    master.Master = true;
    master.ScreamerDirectory = commands;
    master.ScreamerName = QStringLiteral("master");
    master.MasterScreamerComputers = 8;
    master.MasterScanTCPIP = true;
    master.MasterTCPIPPort = port;
    TScriptedPeople people;
    TClock clock;
    TController controller(master, people, clock);
    controller.Start();
    controller.TimerMaster.stop();
    controller.TimerMaster.setInterval(100);
    controller.TimerMaster.start();

    const QString remoteName = dir.filePath(QStringLiteral("Remote"));
    const QString events = dir.filePath(QStringLiteral("remote-events.txt"));
    TOptions remote(remoteName + QStringLiteral(".ini"));
    remote.Master = false;
    remote.ScreamerDirectory = commands;
    remote.ScreamerName = QStringLiteral("render-4");
    remote.ScreamerNumbers = QStringLiteral("4");
    remote.ScreamerFilename = QStringLiteral("/bin/true");
    remote.ScreamerConfig = dir.path();
    remote.RemoteSendTCPIP = true;
    remote.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(port);
    remote.EventsFile = true;
    remote.EventsFileName = events;
    remote.SaverEnabled = false;
    remote.InfoVisible = false;
    ASSERT_TRUE(remote.Save());

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TMPDIR"), dir.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KESTRION_APP_EXE), { QStringLiteral("R"), remoteName });
    ASSERT_TRUE(program.waitForStarted(10000));

    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.Link().Connections().size() == 1; }, 30000))
        << qPrintable(QString::fromUtf8(program.readAllStandardError()) + FileText(events)
               + FileText(remoteName + QStringLiteral(".ini")));

    // Only the Remote's own number, and only while no node of that number is registered.
    EXPECT_EQ(controller.Link().StartOther(QStringLiteral("4 5")), QStringLiteral("4 5"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return FileText(events).contains(QStringLiteral("Screamer 4 started")); }, 20000));
    // Having started a node, the Remote asks the Master to look for it.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (int i = 0; i < controller.Farm().Events.Count(); ++i)
                if (controller.Farm().Events.Item(i).Type == QStringLiteral("Computers Rescan"))
                    return true;
            return false;
        },
        20000))
        << qPrintable(FileText(events));
    EXPECT_FALSE(FileText(events).contains(QStringLiteral("Screamer 5 started")));

    controller.Link().CloseAllRemotes();
    // The event loop must turn for the message to leave this process.
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(FileText(events).contains(QStringLiteral("Ended")));
    controller.Close();
}

} // namespace
