// kestriond coming up on a real commands directory: one Master per directory, a stale lock
// taken over, a share that is mounted only after the Master started.
#include "farm/master_lock.h"
#include "farm_fixture.h"

#include <QSysInfo>

namespace {

class MasterStart : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure())
            farm.PrintDiagnostics();
        farm.Shutdown();
    }

    bool LogSays(const QString& text)
    {
        return farm.WaitFor([&] { return farm.MasterLog().contains(text); }, 20000);
    }

    TMasterLockHolder LockHolder() const
    {
        QStringList lines;
        ReadTextLines(JoinPath(farm.Commands, MasterLockFileName), lines);
        return TMasterLockHolder::FromLines(lines);
    }

    TScratchFarm farm;
};

TEST_F(MasterStart, ASecondMasterOnTheCommandsDirectoryNamesTheFirstAndEnds)
{
    ASSERT_TRUE(farm.StartMaster(QString(), false));
    ASSERT_TRUE(LogSays(QStringLiteral("Started.")));
    EXPECT_EQ(LockHolder().Process, farm.MasterProcess->processId());

    // Its own options and its own temporary directory, so only the commands directory is shared.
    TOptions options(JoinPath(farm.Root, QStringLiteral("second.ini")));
    options.Load();
    options.ScreamerDirectory = farm.Commands;
    options.ScreamerName = QStringLiteral("Second");
    ASSERT_TRUE(options.Save());
    const QString temporary = JoinPath(farm.Root, QStringLiteral("tmp2"));
    ASSERT_TRUE(QDir().mkpath(temporary));
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(KESTRION_DAEMON_EXE), { options.FileName() });
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    const QString said = QString::fromUtf8(second.readAllStandardError());
    EXPECT_TRUE(
        said.contains(QStringLiteral("is driven by another Master: TestMaster on computer %1, process %2")
                          .arg(QSysInfo::machineHostName())
                          .arg(farm.MasterProcess->processId())))
        << said.toStdString();
    EXPECT_FALSE(QString::fromUtf8(second.readAllStandardOutput()).contains(QStringLiteral("Started.")));

    // The first drives on, and its lock goes with it.
    EXPECT_TRUE(farm.MasterRunning());
    EXPECT_EQ(LockHolder().Process, farm.MasterProcess->processId());
    ASSERT_TRUE(farm.StopMaster());
    EXPECT_FALSE(QFileInfo::exists(JoinPath(farm.Commands, MasterLockFileName)));
}

TEST_F(MasterStart, AStaleLockIsTakenOverWithAnEvent)
{
    TMasterLockHolder gone;
    gone.Computer = QStringLiteral("old-master");
    gone.Name = QStringLiteral("Gone");
    gone.Process = 1;
    gone.Session = QStringLiteral("long-ago");
    const QString lock = JoinPath(farm.Commands, MasterLockFileName);
    ASSERT_TRUE(WriteTextLines(lock, gone.ToLines()));
    QFile file(lock);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(
        file.fileTime(QFileDevice::FileModificationTime).addSecs(-600), QFileDevice::FileModificationTime));
    file.close();

    ASSERT_TRUE(farm.StartMaster(QString(), false));
    ASSERT_TRUE(LogSays(QStringLiteral("Took the commands directory %1 over from Gone on computer old-master")
                            .arg(farm.Commands)));
    ASSERT_TRUE(LogSays(QStringLiteral("Started.")));
    EXPECT_EQ(LockHolder().Process, farm.MasterProcess->processId());
    EXPECT_TRUE(farm.StopMaster());
}

// The share is mounted after the Master started: it waits, says so once, and then carries on
// with the queue the share holds instead of storing empty lists over it.
TEST_F(MasterStart, AMasterStartedBeforeItsCommandsDirectoryKeepsTheQueueThatAppears)
{
    const QString scene = farm.WriteScene(QStringLiteral("shot.lws"), 1, 10);
    TSceneList queue;
    auto stored = std::make_unique<TScene>(farm.Master.ContentDirectory);
    stored->ReadSceneFile(scene);
    stored->Comment = QStringLiteral("from the share");
    queue.Add(std::move(stored), true);
    ASSERT_TRUE(SaveSceneList(queue, farm.Master.StateScenesFile()));
    const QString unmounted = JoinPath(farm.Root, QStringLiteral("unmounted"));
    ASSERT_TRUE(QDir().rename(farm.Commands, unmounted));

    ASSERT_TRUE(farm.StartMaster(QString(), false));
    ASSERT_TRUE(LogSays(QStringLiteral("The commands directory %1 does not exist (option ScreamerDirectory)")
                            .arg(farm.Commands)));
    ASSERT_TRUE(LogSays(QStringLiteral("Started.")));
    // A few of its ticks pass, and nothing is written where the share will be.
    QThread::msleep(1000);
    EXPECT_FALSE(QFileInfo::exists(farm.Commands));

    ASSERT_TRUE(QDir().rename(unmounted, farm.Commands));
    ASSERT_TRUE(LogSays(QStringLiteral("The commands directory %1 can be used now").arg(farm.Commands)));
    ASSERT_TRUE(farm.StopMaster());
    EXPECT_EQ(farm.MasterLog().count(QStringLiteral("does not exist (option ScreamerDirectory)")), 1);
    const TSceneList after = farm.Scenes();
    const TScene* kept = TScratchFarm::FindScene(after, scene);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->Comment, QStringLiteral("from the share"));
}

} // namespace
