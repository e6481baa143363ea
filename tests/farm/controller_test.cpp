#include "farm/controller.h"
#include "model/scene_record.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/text_file.h"

#include "scripted_people.h"
#include "test_files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Closing stores what starting loads: the queue, the nodes and the options.
TEST(Controller, CloseStoresWhatStartLoads)
{
    QTemporaryDir directory;
    TOptions options(directory.filePath(QStringLiteral("Farm.ini")));
    options.Load();
    options.Master = true;
    options.ScreamerDirectory = directory.path();
    options.MasterScreamerComputers = 3;
    TScriptedPeople people;
    TManualClock clock;
    {
        TController controller(options, people, clock);
        controller.Start();
        EXPECT_TRUE(controller.TimerMaster.isActive());
        EXPECT_FALSE(controller.TimerRemote.isActive());
        EXPECT_EQ(controller.Farm().Overview.ItemCount(), 3);
        EXPECT_EQ(controller.Farm().Events.Item(controller.Farm().Events.Count() - 1).Comment,
            QStringLiteral("Started."));
        auto scene = std::make_unique<TScene>();
        scene->Filename = QStringLiteral("/scenes/a.lws");
        controller.Farm().Scenes.Add(std::move(scene), true);
        auto node = std::make_unique<TComputer>();
        node->Number = 2;
        node->Frames = QStringLiteral("4 5 1");
        controller.Farm().Computers.Add(std::move(node));
        EXPECT_TRUE(controller.Close());
        EXPECT_FALSE(controller.TimerMaster.isActive());
        EXPECT_FALSE(controller.TimerGeneral.isActive());
        EXPECT_EQ(controller.Farm().Events.Item(controller.Farm().Events.Count() - 1).Comment,
            QStringLiteral("Ended"));
    }
    EXPECT_TRUE(QFileInfo::exists(options.FileName()));
    TController again(options, people, clock);
    again.Start();
    ASSERT_EQ(again.Farm().Scenes.Count(), 1);
    ASSERT_EQ(again.Farm().Computers.Count(), 1);
    EXPECT_EQ(again.Farm().Computers.Item(0).Frames, QStringLiteral("4 5 1"));

    // A Remote runs no dispatch and stores nothing of the Master's.
    options.Master = false;
    TController remote(options, people, clock);
    remote.Start();
    EXPECT_FALSE(remote.TimerMaster.isActive());
    EXPECT_TRUE(remote.TimerRemote.isActive());
    QFile::remove(options.StateScenesFile());
    remote.Close();
    EXPECT_FALSE(QFileInfo::exists(options.StateScenesFile()));
}

} // namespace

namespace {

int CountEvents(const TEventLog& events, const QString& part)
{
    int count = 0;
    for (int i = 0; i < events.Count(); ++i)
        count += events.Item(i).Comment.contains(part) ? 1 : 0;
    return count;
}

QString LastComment(const TEventLog& events)
{
    return events.Count() > 0 ? events.Item(events.Count() - 1).Comment : QString();
}

class ControllerStart : public testing::Test
{
protected:
    ControllerStart()
        : Options(Dir.filePath(QStringLiteral("Farm.ini")))
    {
        Options.Load();
        Options.Master = true;
        Options.ScreamerDirectory = Dir.filePath(QStringLiteral("share"));
        Options.ScreamerName = QStringLiteral("Lead");
    }

    QString Share() const { return Options.ScreamerDirectory; }

    // The queue a share holds, stored there by an earlier run.
    void StoreQueue(const QString& directory, const QString& sceneFile)
    {
        ASSERT_TRUE(QDir().mkpath(directory));
        TSceneList queue;
        auto scene = std::make_unique<TScene>();
        scene->Filename = sceneFile;
        queue.Add(std::move(scene), true);
        ASSERT_TRUE(SaveSceneList(queue, JoinPath(directory, QStringLiteral("StateScenes.lst"))));
    }

    QTemporaryDir Dir;
    TOptions Options;
    TScriptedPeople People;
    TManualClock Clock;
};

// A share mounted after the Master started: nothing is driven or stored meanwhile, and the
// queue on the share is the one the Master carries on with.
TEST_F(ControllerStart, AMasterWaitsForItsCommandsDirectoryAndKeepsTheQueueThatAppears)
{
    const QString staging = Dir.filePath(QStringLiteral("staging"));
    StoreQueue(staging, QStringLiteral("/scenes/real.lws"));
    TController controller(Options, People, Clock);
    controller.Start();
    EXPECT_FALSE(controller.Driving());
    EXPECT_TRUE(controller.TimerMaster.isActive());
    EXPECT_EQ(LastComment(controller.Farm().Events), QStringLiteral("Started."));
    const QString missing = Share() + QStringLiteral(" does not exist (option ScreamerDirectory)");
    for (int i = 0; i < 3; ++i)
        controller.TimerMasterTimer();
    controller.TimerMasterRescanTimer();
    controller.TimerGeneralTimer();
    EXPECT_EQ(CountEvents(controller.Farm().Events, missing), 1);
    EXPECT_EQ(CountEvents(controller.Farm().Events, QStringLiteral("drives no node and stores nothing")), 1);
    EXPECT_FALSE(QFileInfo::exists(Share()));

    ASSERT_TRUE(QDir().rename(staging, Share()));
    // A user's command in the moment before the next tick changes the waiting Master's empty
    // lists; they are not stored over the queue on the share.
    controller.Farm().Options.MasterScanRemote = true;
    controller.Farm().ScenesChanged();
    controller.Farm().ComputersChanged();
    EXPECT_FALSE(QFileInfo::exists(controller.Farm().Options.StateComputersFile()));
    controller.TimerMasterTimer();
    EXPECT_TRUE(controller.Driving());
    ASSERT_EQ(controller.Farm().Scenes.Count(), 1);
    EXPECT_EQ(controller.Farm().Scenes.Item(0).Filename, QStringLiteral("/scenes/real.lws"));
    EXPECT_EQ(CountEvents(controller.Farm().Events, QStringLiteral("can be used now")), 1);
    EXPECT_TRUE(QFileInfo::exists(JoinPath(Share(), MasterLockFileName)));

    EXPECT_TRUE(controller.Close());
    EXPECT_FALSE(QFileInfo::exists(JoinPath(Share(), MasterLockFileName)));
    TSceneList stored;
    ASSERT_TRUE(LoadSceneList(stored, Options.StateScenesFile()));
    ASSERT_EQ(stored.Count(), 1);
    EXPECT_EQ(stored.Item(0).Filename, QStringLiteral("/scenes/real.lws"));
}

// A commands directory changed on a running Master: its lock moves along before it drives
// there, and the queue it holds stays.
TEST_F(ControllerStart, AMasterMovedToAnotherCommandsDirectoryTakesItsLockAlong)
{
    ASSERT_TRUE(QDir().mkpath(Share()));
    TController controller(Options, People, Clock);
    controller.Start();
    controller.TimerMasterTimer();
    ASSERT_TRUE(controller.Driving());
    auto scene = std::make_unique<TScene>();
    scene->Filename = QStringLiteral("/scenes/a.lws");
    controller.Farm().Scenes.Add(std::move(scene), true);
    const QString old = Share();

    Options.ScreamerDirectory = Dir.filePath(QStringLiteral("other"));
    controller.CommandsDirectoryChanged();
    EXPECT_FALSE(controller.Driving());
    EXPECT_FALSE(QFileInfo::exists(JoinPath(old, MasterLockFileName)));
    EXPECT_EQ(CountEvents(controller.Farm().Events, QStringLiteral("other does not exist")), 1);

    ASSERT_TRUE(QDir().mkpath(Share()));
    controller.TimerMasterTimer();
    EXPECT_TRUE(controller.Driving());
    EXPECT_TRUE(QFileInfo::exists(JoinPath(Share(), MasterLockFileName)));
    EXPECT_EQ(controller.Farm().Scenes.Count(), 1);
    EXPECT_TRUE(controller.Close());
}

// A Remote started without its share and then made the Master reads the share's queue when it
// appears, rather than storing the empty lists it had.
TEST_F(ControllerStart, ARemoteMadeMasterBeforeTheShareAppearsReadsItsQueue)
{
    Options.Master = false;
    TController controller(Options, People, Clock);
    controller.Start();
    Options.Master = true;
    controller.ApplyMode();
    EXPECT_FALSE(controller.Driving());
    StoreQueue(Share(), QStringLiteral("/scenes/real.lws"));
    controller.TimerMasterTimer();
    ASSERT_TRUE(controller.Driving());
    EXPECT_EQ(controller.Farm().Scenes.Count(), 1);
    EXPECT_TRUE(controller.Close());
    TSceneList stored;
    ASSERT_TRUE(LoadSceneList(stored, Options.StateScenesFile()));
    EXPECT_EQ(stored.Count(), 1);
}

TEST_F(ControllerStart, AMasterClosedWhileWaitingStoresNothing)
{
    TController controller(Options, People, Clock);
    controller.Start();
    // The share comes back only after closing: nothing of the waiting run may be on it.
    EXPECT_TRUE(controller.Close());
    EXPECT_FALSE(QFileInfo::exists(Share()));
    EXPECT_TRUE(QFileInfo::exists(Options.FileName()));

    // A plain file where the directory should be is said as such, and waited out too.
    WriteBytes(Share(), "not a directory");
    TController again(Options, People, Clock);
    again.Start();
    EXPECT_FALSE(again.Driving());
    EXPECT_EQ(CountEvents(again.Farm().Events, Share() + QStringLiteral(" is not a directory")), 1);
    EXPECT_TRUE(again.Close());
    EXPECT_EQ(ReadBytes(Share()), QByteArray("not a directory"));
}

// Another Master's live lock: this one drives nothing, runs as a Remote and keeps its stored
// mode.
TEST_F(ControllerStart, AMasterGivesWayToALiveLock)
{
    StoreQueue(Share(), QStringLiteral("/scenes/theirs.lws"));
    TMasterLock other;
    ASSERT_EQ(
        other.Take(Share(), QStringLiteral("studio-9"), QStringLiteral("Boss")), TMasterLock::TResult::Taken);
    {
        TController controller(Options, People, Clock);
        QString told;
        controller.AnotherMasterFound = [&told](const QString& text) { told = text; };
        controller.Start();
        EXPECT_TRUE(controller.GaveWay());
        EXPECT_FALSE(controller.Driving());
        EXPECT_FALSE(Options.Master);
        EXPECT_FALSE(controller.TimerMaster.isActive());
        EXPECT_TRUE(controller.TimerRemote.isActive());
        EXPECT_TRUE(told.contains(QStringLiteral("Boss on computer studio-9")));
        EXPECT_EQ(CountEvents(controller.Farm().Events, told), 1);
        // As a Remote it shows the other Master's queue.
        EXPECT_EQ(controller.Farm().Scenes.Count(), 1);
        EXPECT_TRUE(controller.Close());
    }
    EXPECT_TRUE(Options.Master);
    TOptions stored(Options.FileName());
    stored.Load();
    EXPECT_TRUE(stored.Master);
    EXPECT_TRUE(QFileInfo::exists(JoinPath(Share(), MasterLockFileName)));
}

// The lock taken from under a driving Master (its heartbeat stalled, another took it over):
// it stops driving at its next heartbeat.
TEST_F(ControllerStart, AMasterWhoseLockWasTakenGivesWay)
{
    ASSERT_TRUE(QDir().mkpath(Share()));
    TController controller(Options, People, Clock);
    QString told;
    controller.AnotherMasterFound = [&told](const QString& text) { told = text; };
    controller.Start();
    ASSERT_TRUE(controller.Driving());
    EXPECT_TRUE(controller.TimerMasterLock.isActive());
    controller.TimerMasterLockTimer();
    EXPECT_TRUE(controller.Driving());

    TMasterLockHolder newcomer;
    newcomer.Computer = QStringLiteral("studio-9");
    newcomer.Name = QStringLiteral("Boss");
    newcomer.Process = 77;
    newcomer.Session = QStringLiteral("theirs");
    ASSERT_TRUE(WriteTextLines(JoinPath(Share(), MasterLockFileName), newcomer.ToLines()));
    controller.TimerMasterLockTimer();
    EXPECT_FALSE(controller.Driving());
    EXPECT_TRUE(controller.GaveWay());
    EXPECT_TRUE(controller.TimerRemote.isActive());
    EXPECT_FALSE(controller.TimerMasterLock.isActive());
    EXPECT_TRUE(told.contains(QStringLiteral("Boss on computer studio-9, process 77")));
    // What it has is not stored over the new Master's lists.
    EXPECT_TRUE(controller.Close());
    EXPECT_FALSE(QFileInfo::exists(Options.StateScenesFile()));
}

TEST_F(ControllerStart, StartSaysWhatTheMasterCannotWorkWithout)
{
    ASSERT_TRUE(QDir().mkpath(Share()));
    Options.ScreamerConfig = Dir.filePath(QStringLiteral("lw"));
    Options.ConfigNumber = QStringLiteral("3");
    Options.ScreamerFilename = Dir.filePath(QStringLiteral("lwsn"));
    TController controller(Options, People, Clock);
    controller.Start();
    const TEventLog& events = controller.Farm().Events;
    EXPECT_EQ(CountEvents(events,
                  QStringLiteral("LightWave's configuration %1 was not found (options ScreamerConfig and "
                                 "ConfigNumber)")
                      .arg(Dir.filePath(QStringLiteral("lw/lw3.cfg")))),
        1);
    controller.StartLocalNodes();
    EXPECT_EQ(CountEvents(events,
                  QStringLiteral("The node program %1 was not found (option ScreamerFilename). No node of "
                                 "this computer is started.")
                      .arg(Options.ScreamerFilename)),
        1);
    EXPECT_EQ(CountEvents(events, QStringLiteral("Screamer 1 started.")), 0);
    EXPECT_TRUE(People.Asked.isEmpty());
}

TEST_F(ControllerStart, AnOptionsFileWithFaultsIsOneEvent)
{
    WriteBytes(Options.FileName(), "[Options]\nMasterRenderInterval=fast\n");
    Options.Load();
    TController controller(Options, People, Clock);
    controller.Start();
    EXPECT_EQ(CountEvents(controller.Farm().Events, QStringLiteral("MasterRenderInterval=fast")), 1);
}

} // namespace
