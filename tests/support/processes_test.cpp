#include "support/processes.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Kills the started node and whatever it started, whichever way the test ends.
struct TNodeGuard
{
    TProcessInformation Info;
    ~TNodeGuard()
    {
        if (Info.ProcessId > 0 && ProcessRunning(Info)) {
            const pid_t group = getpgid(static_cast<pid_t>(Info.ProcessId));
            kill(group > 1 ? -group : static_cast<pid_t>(Info.ProcessId), SIGKILL);
        }
    }
};

bool EndsSoon(const TProcessInformation& info)
{
    QDeadlineTimer deadline(5000);
    while (ProcessRunning(info)) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

std::string ProcLink(qint64 pid, const char* name)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/" + name;
    char target[4096];
    const ssize_t size = readlink(path.c_str(), target, sizeof target);
    return size < 0 ? std::string() : std::string(target, static_cast<size_t>(size));
}

QList<QByteArray> ProcStrings(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    bytes.chop(1);
    return bytes.split('\0');
}

} // namespace

TEST(Processes, StartedNodeRunsDetachedUntilItEnds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TNodeGuard node;
    ASSERT_TRUE(StartProcess(QStringLiteral("/bin/sleep"), QStringLiteral("\"my node\" 30"), dir.path(), true,
        node.Info, TShowMode::Normal, QStringLiteral("Kestrion Screamer 3")));
    const pid_t pid = static_cast<pid_t>(node.Info.ProcessId);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(ProcessRunning(node.Info));

    EXPECT_NE(getsid(pid), getsid(0));
    EXPECT_EQ(ProcStrings(pid, "cmdline"), (QList<QByteArray> { "my node", "30" }));
    EXPECT_TRUE(ProcStrings(pid, "environ").contains("KESTRION_WINDOW_TITLE=Kestrion Screamer 3"));
    EXPECT_EQ(ProcLink(pid, "cwd"), QFileInfo(dir.path()).canonicalFilePath().toStdString());
    EXPECT_EQ(ProcLink(pid, "fd/0"), "/dev/null");
    EXPECT_EQ(ProcLink(pid, "fd/1"), ProcLink(getpid(), "fd/1"));
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(pid)), getpriority(PRIO_PROCESS, 0));
    EXPECT_EQ(sched_getscheduler(pid), SCHED_OTHER);

    // The same id with another start time is some later process.
    TProcessInformation recycled = node.Info;
    ++recycled.StartTicks;
    EXPECT_FALSE(ProcessRunning(recycled));

    ASSERT_EQ(kill(pid, SIGKILL), 0);
    EXPECT_TRUE(EndsSoon(node.Info));
    EXPECT_FALSE(ProcessRunning(TProcessInformation()));
}

TEST(Processes, HiddenIdleNodeWritesNowhereAndYields)
{
    // A file of ours open without close-on-exec, as a library might leave one.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray ours = QFile::encodeName(dir.filePath(QStringLiteral("ours")));
    const int ourFile = open(ours.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(ourFile, 0);
    TNodeGuard node;
    ASSERT_TRUE(StartProcess(QStringLiteral("/bin/sleep"), QStringLiteral("sleep 30"), QString(), false,
        node.Info, TShowMode::Hidden, QString()));
    const pid_t pid = static_cast<pid_t>(node.Info.ProcessId);
    EXPECT_EQ(ProcLink(pid, "fd/1"), "/dev/null");
    EXPECT_EQ(ProcLink(pid, "fd/2"), "/dev/null");
    EXPECT_EQ(ProcLink(pid, "cwd"), QDir::current().canonicalPath().toStdString());
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(pid)), 19);
    EXPECT_EQ(sched_getscheduler(pid), SCHED_IDLE);
    // None of our own open files go with it. (The program may hold files of its own for a
    // moment while it starts, so the test looks for ours rather than counting.)
    const QStringList fds
        = QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString& fd : fds)
        EXPECT_NE(ProcLink(pid, ("fd/" + fd.toStdString()).c_str()), ours.toStdString())
            << "fd " << fd.toStdString();
    close(ourFile);
}

TEST(Processes, NodeThatEndsIsNoLongerRunning)
{
    TNodeGuard node;
    ASSERT_TRUE(StartProcess(QStringLiteral("/bin/sh"), QStringLiteral("sh -c \"exit 0\""), QString(), true,
        node.Info, TShowMode::Hidden, QString()));
    EXPECT_TRUE(EndsSoon(node.Info));
}

TEST(Processes, StartFailsWhenTheProgramCannotRun)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TProcessInformation info { 7, 7 };
    EXPECT_FALSE(StartProcess(dir.filePath(QStringLiteral("missing")), QStringLiteral("missing -2"),
        QString(), true, info, TShowMode::Hidden, QString()));
    EXPECT_EQ(info.ProcessId, 0);
    EXPECT_FALSE(ProcessRunning(info));

    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(
        StartProcess(text, QStringLiteral("notes"), QString(), true, info, TShowMode::Hidden, QString()));
    EXPECT_FALSE(StartProcess(QStringLiteral("/bin/sleep"), QStringLiteral("sleep 30"),
        dir.filePath(QStringLiteral("no such directory")), true, info, TShowMode::Hidden, QString()));
    EXPECT_FALSE(StartProcess(QString(), QString(), QString(), true, info, TShowMode::Hidden, QString()));
}

TEST(Processes, RunAndWaitReturnsTheExitCode)
{
    const QString shell = QStringLiteral("sh");
    EXPECT_EQ(RunAndWait(shell, { QStringLiteral("-c"), QStringLiteral("exit 3") }, TShowMode::Hidden), 3);
    EXPECT_EQ(RunAndWait(QStringLiteral("/bin/true"), {}, TShowMode::Normal), 0);
    EXPECT_EQ(RunAndWait(QStringLiteral("/nonexistent/pon"), { QStringLiteral("provider") }, TShowMode::Normal), -1);
    EXPECT_EQ(RunAndWait(QString(), {}, TShowMode::Normal), -1);
    EXPECT_EQ(RunAndWait(shell, { QStringLiteral("-c"), QStringLiteral("kill -9 $$") }, TShowMode::Hidden), -1);
    // An argument with quotes and spaces arrives as one, untouched.
    const QString account = QStringLiteral("Office\" nodetach \"x");
    EXPECT_EQ(RunAndWait(shell, { QStringLiteral("-c"), QStringLiteral("[ \"$0\" = '%1' ]").arg(account), account },
                  TShowMode::Hidden),
        0);
    // A command that hangs is ended once its time is up.
    EXPECT_EQ(RunAndWait(QStringLiteral("sleep"), { QStringLiteral("30") }, TShowMode::Hidden, 100), -1);
}

TEST(Processes, RunAndWaitKeepsEventsFlowing)
{
    bool ticked = false;
    QObject context;
    QTimer::singleShot(0, &context, [&ticked] { ticked = true; });
    EXPECT_EQ(RunAndWait(QStringLiteral("sleep"), { QStringLiteral("0.2") }, TShowMode::Hidden), 0);
    EXPECT_TRUE(ticked);
}
