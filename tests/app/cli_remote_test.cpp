#include "app/cli_remote.h"

#include "farm/master_lock.h"
#include "farm/scene_commands.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "remote/command_file.h"
#include "remote/tcp_link.h"
#include "support/paths.h"
#include "support/text_file.h"


#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct TCommandsDirectory
{
    TCommandsDirectory()
    {
        Options.ScreamerDirectory = Dir.path();
        Options.ScreamerName = QStringLiteral("cli");
    }
    QTemporaryDir Dir;
    TOptions Options;
};

} // namespace

// Through the commands directory a command counts as sent only once the Master has taken it; a
// file another Remote left there, or a Master that never takes ours, ends the wait with what to check.
TEST(CliRemote, ACommandFileCountsOnceTheMasterTookIt)
{
    TCommandsDirectory commands;
    TCliRemote remote(commands.Options, 1);
    const QString file = RemoteCommandFile(commands.Options);
    const auto rescan = [](TFarm& farm) {
        farm.Send(ComputersRescan);
        return true;
    };

    // Nobody takes it: it waits there, and the client says so.
    EXPECT_FALSE(remote.Deliver(rescan));
    EXPECT_TRUE(remote.Error.contains(QStringLiteral("no Master took it within 1 s")))
        << qPrintable(remote.Error);
    EXPECT_TRUE(QFile::exists(file));

    // Another command waits there for the whole time: ours is not sent.
    TCliRemote other(commands.Options, 1);
    EXPECT_FALSE(other.Deliver(rescan));
    EXPECT_TRUE(other.Error.contains(QStringLiteral("still holds another command")))
        << qPrintable(other.Error);

    // A Master takes the waiting file, then ours.
    QTimer master;
    QList<int> taken;
    QObject::connect(&master, &QTimer::timeout, [&] {
        TCommand command;
        if (ReadRemoteCommandFile(commands.Options, command))
            taken << command.Command;
    });
    master.start(100);
    TCliRemote third(commands.Options, 5);
    EXPECT_TRUE(third.Deliver(rescan)) << qPrintable(third.Error);
    EXPECT_EQ(taken, (QList<int> { ComputersRescan, ComputersRescan }));

    // A command that had nothing to send is no success.
    EXPECT_FALSE(third.Deliver([](TFarm&) { return false; }));
}

// The lists come whole from the state files, the Master's name from its lock; a wait goes on
// while the lock is there.
TEST(CliRemote, ListsAndTheMastersNameFromTheCommandsDirectory)
{
    TCommandsDirectory commands;
    TSceneList scenes;
    auto scene = std::make_unique<TScene>();
    scene->Filename = QStringLiteral("/scenes/a.lws");
    scenes.Add(std::move(scene), true);
    ASSERT_TRUE(SaveSceneList(scenes, commands.Options.StateScenesFile()));
    TMasterLockHolder holder;
    holder.Name = QStringLiteral("studio");
    ASSERT_TRUE(WriteTextLines(JoinPath(commands.Dir.path(), MasterLockFileName), holder.ToLines()));

    TCliRemote remote(commands.Options, 1);
    ASSERT_TRUE(remote.Read()) << qPrintable(remote.Error);
    EXPECT_EQ(remote.MasterName(), QStringLiteral("studio"));
    EXPECT_EQ(remote.Farm().Scenes.Count(), 1);
    EXPECT_TRUE(remote.Refresh());

    // Stored anew, cut short: the wait ends and says which file.
    QStringList lines;
    ASSERT_TRUE(ReadTextLines(commands.Options.StateScenesFile(), lines));
    ASSERT_TRUE(WriteTextLines(commands.Options.StateScenesFile(), lines.mid(0, 4)));
    EXPECT_FALSE(remote.Refresh());
    EXPECT_TRUE(remote.Error.contains(QStringLiteral("StateScenes.lst could not be read whole")))
        << qPrintable(remote.Error);
}

// Over TCP/IP: lists that do not parse whole, and a Master that never answers, end the read with
// what went wrong, within the timeout.
TEST(CliRemote, DamagedOrMissingListsOverTcpIp)
{
    const quint16 port = FreePort();
    TServerLink master(port);
    QString error;
    ASSERT_TRUE(master.Listen(error)) << qPrintable(error);
    bool answer = true;
    master.Received = [&](const TCommand&, const QString&) {
        if (!answer)
            return;
        TCommand lists(Lists);
        lists.SenderName = QStringLiteral("studio");
        lists.Arguments = { QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("[Scene0]") };
        master.Broadcast(lists);
    };

    TCommandsDirectory commands;
    commands.Options.RemoteSendTCPIP = true;
    commands.Options.RemoteSendTCPIPMaster = QStringLiteral("127.0.0.1:%1").arg(port);
    TCliRemote damaged(commands.Options, 5);
    EXPECT_FALSE(damaged.Read());
    EXPECT_TRUE(damaged.Error.contains(QStringLiteral("could not be read whole")))
        << qPrintable(damaged.Error);
    EXPECT_EQ(damaged.Farm().Scenes.Count(), 0);

    answer = false;
    TCliRemote silent(commands.Options, 1);
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(silent.Read());
    EXPECT_LT(waited.elapsed(), 3000);
    EXPECT_TRUE(silent.Error.contains(QStringLiteral("No answer within 1 s"))) << qPrintable(silent.Error);
}
