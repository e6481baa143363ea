#include "farm/master_lock.h"
#include "support/paths.h"
#include "support/text_file.h"

#include "test_files.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString LockPath(const QTemporaryDir& dir)
{
    return dir.filePath(MasterLockFileName);
}

TMasterLockHolder ReadHolder(const QString& path)
{
    QStringList lines;
    ReadTextLines(path, lines);
    return TMasterLockHolder::FromLines(lines);
}

// A lock file as another Master wrote it, its last heartbeat `age` seconds ago by the file
// system's clock.
void WriteForeignLock(const QString& path, const QString& computer, qint64 process, int age)
{
    TMasterLockHolder holder;
    holder.Computer = computer;
    holder.Name = QStringLiteral("Elsewhere");
    holder.Process = process;
    holder.Session = QStringLiteral("foreign");
    holder.Heartbeat = 7;
    ASSERT_TRUE(WriteTextLines(path, holder.ToLines()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QDateTime written = file.fileTime(QFileDevice::FileModificationTime);
    ASSERT_TRUE(file.setFileTime(written.addSecs(-age), QFileDevice::FileModificationTime));
}

// A process id that is certainly not running: a child that has ended and been reaped.
qint64 EndedProcess()
{
    QProcess process;
    process.start(QStringLiteral("/bin/true"), {});
    process.waitForFinished();
    return process.processId() > 0 ? process.processId() : 999999;
}

TEST(MasterLock, OneHolderAtATimeAndTheLockNamesIt)
{
    QTemporaryDir dir;
    TMasterLock first;
    ASSERT_EQ(first.Take(dir.path(), QStringLiteral("studio-3"), QStringLiteral("Lead")),
        TMasterLock::TResult::Taken);
    const TMasterLockHolder written = ReadHolder(LockPath(dir));
    EXPECT_EQ(written.Computer, QStringLiteral("studio-3"));
    EXPECT_EQ(written.Name, QStringLiteral("Lead"));
    EXPECT_EQ(written.Process, QCoreApplication::applicationPid());
    EXPECT_EQ(written.Heartbeat, 1);

    // A live heartbeat keeps a second Master out, even one of the same process.
    TMasterLock second;
    EXPECT_EQ(second.Take(dir.path(), QStringLiteral("studio-4"), QStringLiteral("Other")),
        TMasterLock::TResult::Held);
    EXPECT_FALSE(second.Held());
    EXPECT_TRUE(second.Holder().Text().contains(QStringLiteral("Lead on computer studio-3")));
    EXPECT_TRUE(second.Reason().contains(QStringLiteral("seconds old")));

    EXPECT_TRUE(first.Heartbeat());
    EXPECT_EQ(ReadHolder(LockPath(dir)).Heartbeat, 2);
    // The second one's end leaves the holder's lock alone; the holder's own end frees it.
    second.Release();
    EXPECT_TRUE(QFile::exists(LockPath(dir)));
    first.Release();
    EXPECT_FALSE(QFile::exists(LockPath(dir)));
    EXPECT_EQ(second.Take(dir.path(), QStringLiteral("studio-4"), QStringLiteral("Other")),
        TMasterLock::TResult::Taken);
}

TEST(MasterLock, AStoppedHeartbeatIsTakenOver)
{
    QTemporaryDir dir;
    // Another computer's lock: only its age by the file system's clock tells.
    WriteForeignLock(LockPath(dir), QStringLiteral("far-away"), 1, 10);
    TMasterLock lock;
    EXPECT_EQ(
        lock.Take(dir.path(), QStringLiteral("here"), QStringLiteral("Lead")), TMasterLock::TResult::Held);

    WriteForeignLock(LockPath(dir), QStringLiteral("far-away"), 1, 3600);
    ASSERT_EQ(lock.Take(dir.path(), QStringLiteral("here"), QStringLiteral("Lead")),
        TMasterLock::TResult::TakenOver);
    EXPECT_TRUE(lock.Holder().Text().contains(QStringLiteral("far-away")));
    EXPECT_TRUE(lock.Reason().contains(QStringLiteral("heartbeat stopped")));
    EXPECT_EQ(ReadHolder(LockPath(dir)).Computer, QStringLiteral("here"));

    // On this computer a fresh lock of a process that has ended is taken over at once.
    lock.Release();
    WriteForeignLock(LockPath(dir), QStringLiteral("here"), EndedProcess(), 0);
    TMasterLock again;
    ASSERT_EQ(again.Take(dir.path(), QStringLiteral("HERE"), QStringLiteral("Lead")),
        TMasterLock::TResult::TakenOver);
    EXPECT_EQ(again.Reason(), QStringLiteral("its process has ended"));

    // Nobody's name in an unreadable lock; a fresh one still keeps others out.
    again.Release();
    WriteBytes(LockPath(dir), QByteArray("\x00\xff garbage", 10));
    TMasterLock third;
    EXPECT_EQ(
        third.Take(dir.path(), QStringLiteral("here"), QStringLiteral("Lead")), TMasterLock::TResult::Held);
    EXPECT_EQ(third.Holder().Text(), QStringLiteral("a Master whose lock names nobody"));
}

TEST(MasterLock, AHeartbeatFindsTheLockTakenAndAShareAwayIsNoLoss)
{
    QTemporaryDir dir;
    const QString commands = dir.filePath(QStringLiteral("commands"));
    ASSERT_TRUE(QDir().mkpath(commands));
    TMasterLock lock;
    ASSERT_EQ(
        lock.Take(commands, QStringLiteral("here"), QStringLiteral("Lead")), TMasterLock::TResult::Taken);

    // Removed by hand: written again.
    QFile::remove(JoinPath(commands, MasterLockFileName));
    EXPECT_TRUE(lock.Heartbeat());
    EXPECT_EQ(ReadHolder(JoinPath(commands, MasterLockFileName)).Computer, QStringLiteral("here"));

    // The share away for a moment: the lock is still this Master's.
    ASSERT_TRUE(QDir().rename(commands, dir.filePath(QStringLiteral("away"))));
    EXPECT_TRUE(lock.Heartbeat());
    EXPECT_TRUE(lock.Held());
    ASSERT_TRUE(QDir().rename(dir.filePath(QStringLiteral("away")), commands));

    WriteForeignLock(JoinPath(commands, MasterLockFileName), QStringLiteral("far-away"), 1, 0);
    EXPECT_FALSE(lock.Heartbeat());
    EXPECT_FALSE(lock.Held());
    EXPECT_TRUE(lock.Holder().Text().contains(QStringLiteral("far-away")));
    // Not its own any more: giving it back leaves the other's lock in place.
    lock.Release();
    EXPECT_EQ(ReadHolder(JoinPath(commands, MasterLockFileName)).Computer, QStringLiteral("far-away"));
}

TEST(MasterLock, CommandsDirectoryProblemsNameThePathAndTheOption)
{
    QTemporaryDir dir;
    EXPECT_TRUE(CommandsDirectoryProblem(dir.path()).isEmpty());
    // Its test of writing leaves nothing behind.
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    EXPECT_EQ(CommandsDirectoryProblem(QStringLiteral("(none)")),
        QStringLiteral("No commands directory is set (option ScreamerDirectory)."));
    const QString missing = dir.filePath(QStringLiteral("share"));
    EXPECT_EQ(CommandsDirectoryProblem(missing),
        QStringLiteral("The commands directory %1 does not exist (option ScreamerDirectory): mount the "
                       "share or correct the option.")
            .arg(missing));
    WriteBytes(missing, "a file");
    EXPECT_TRUE(CommandsDirectoryProblem(missing).contains(QStringLiteral("is not a directory")));

    // Root writes into any directory of a disk, but not into the kernel's.
    const QString locked
        = ::geteuid() == 0 ? QStringLiteral("/proc") : dir.filePath(QStringLiteral("locked"));
    if (::geteuid() != 0) {
        ASSERT_TRUE(QDir().mkpath(locked));
        ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QString problem = CommandsDirectoryProblem(locked);
    QFile::setPermissions(
        dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(problem.contains(locked + QStringLiteral(" cannot be written (option ScreamerDirectory)")))
        << problem.toStdString();
}

} // namespace
