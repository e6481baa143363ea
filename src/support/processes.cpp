#include "support/processes.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// What the helper processes tell the parent through the start pipe.
struct TStartMessage
{
    char Kind; // 'p': the node's process id, 'e': errno of a failed step
    int Value;
};

struct TProcStat
{
    char State = 0;
    quint64 StartTicks = 0;
};

// Reads the state and start time of /proc/<pid>/stat. The command name may hold spaces and
// parentheses, so the fields are counted after the last ')'.
bool ReadProcStat(qint64 pid, TProcStat& stat)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.read(4096);
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = text.mid(close + 1).simplified().split(' ');
    // fields[0] is the third field (state), so the 22nd (start time) is fields[19].
    if (fields.size() < 20 || fields[0].size() != 1)
        return false;
    bool ok = false;
    stat.StartTicks = fields[19].toULongLong(&ok);
    stat.State = fields[0][0];
    return ok;
}

// Text handed to execve: the bytes and the null-terminated pointer array, both built before fork.
class TExecStrings
{
public:
    explicit TExecStrings(const QStringList& texts)
    {
        for (const QString& text : texts)
            Bytes.push_back(QFile::encodeName(text));
        for (QByteArray& bytes : Bytes)
            Pointers.push_back(bytes.data());
        Pointers.push_back(nullptr);
    }
    char* const* Data() { return Pointers.data(); }

private:
    std::vector<QByteArray> Bytes;
    std::vector<char*> Pointers;
};

void Report(int fd, char kind, int value)
{
    const TStartMessage message { kind, value };
    while (write(fd, &message, sizeof message) < 0 && errno == EINTR) { }
}

// Runs in the node's process before it executes: only async-signal-safe calls.
bool PrepareNode(const char* workingDirectory, bool normalPriority, TShowMode showMode)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);

    const int null = open("/dev/null", O_RDWR);
    if (null < 0 || dup2(null, STDIN_FILENO) < 0)
        return false;
    if (showMode == TShowMode::Hidden && (dup2(null, STDOUT_FILENO) < 0 || dup2(null, STDERR_FILENO) < 0))
        return false;
    if (null > STDERR_FILENO)
        close(null);

    if (!normalPriority) {
        // Nice 19 also lowers the node's share of the disk; SCHED_IDLE where the system allows it.
        setpriority(PRIO_PROCESS, 0, 19);
        const sched_param parameter {};
        sched_setscheduler(0, SCHED_IDLE, &parameter);
    }
    if (workingDirectory[0] != '\0' && chdir(workingDirectory) != 0)
        return false;
#ifdef CLOSE_RANGE_CLOEXEC
    // The node keeps none of Kestrion's files or sockets open once it runs.
    close_range(STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
    return true;
}

} // namespace

bool StartProcess(const QString& application, const QString& commandLine, const QString& workingDirectory,
    bool normalPriority, TProcessInformation& processInfo, TShowMode showMode, const QString& windowTitle)
{
    processInfo = TProcessInformation();

    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        words.append(application);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KESTRION_WINDOW_TITLE"), windowTitle);

    // Resolved here: the child changes its directory before it executes.
    const QByteArray program
        = QFile::encodeName(application.isEmpty() ? QString() : QFileInfo(application).absoluteFilePath());
    const QByteArray directory = QFile::encodeName(workingDirectory);
    TExecStrings argv(words);
    TExecStrings envp(environment.toStringList());

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        // The intermediate child: a new session without a controlling terminal, then gone, so the
        // node is nobody's child here and lives on after Kestrion ends.
        close(report[0]);
        if (setsid() < 0) {
            Report(report[1], 'e', errno);
            _exit(1);
        }
        const pid_t node = fork();
        if (node < 0) {
            Report(report[1], 'e', errno);
            _exit(1);
        }
        if (node == 0) {
            if (PrepareNode(directory.constData(), normalPriority, showMode))
                execve(program.constData(), argv.Data(), envp.Data());
            Report(report[1], 'e', errno);
            _exit(127);
        }
        Report(report[1], 'p', node);
        _exit(0);
    }

    close(report[1]);
    // The pipe closes once the intermediate child has gone and the node has executed (or failed to).
    pid_t node = 0;
    bool failed = false;
    TStartMessage message {};
    for (;;) {
        const ssize_t got = read(report[0], &message, sizeof message);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != sizeof message)
            break;
        if (message.Kind == 'p')
            node = message.Value;
        else
            failed = true;
    }
    close(report[0]);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }
    if (failed || node <= 0)
        return false;

    processInfo.ProcessId = node;
    TProcStat stat;
    if (ReadProcStat(node, stat))
        processInfo.StartTicks = stat.StartTicks;
    return true;
}

bool ProcessRunning(const TProcessInformation& processInfo)
{
    if (processInfo.ProcessId <= 0)
        return false;
    TProcStat stat;
    if (!ReadProcStat(processInfo.ProcessId, stat))
        return false;
    if (stat.State == 'Z' || stat.State == 'X' || stat.State == 'x')
        return false;
    return stat.StartTicks == processInfo.StartTicks;
}

int RunAndWait(const QString& program, const QStringList& arguments, TShowMode showMode, int timeoutMs)
{
    if (program.isEmpty())
        return -1;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (showMode == TShowMode::Hidden) {
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        process.setProcessChannelMode(QProcess::ForwardedChannels);
    }

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    process.start();
    if (!process.waitForStarted(-1))
        return -1;
    if (process.state() != QProcess::NotRunning) {
        if (timeoutMs >= 0)
            timeout.start(timeoutMs);
        loop.exec();
    }
    if (process.state() != QProcess::NotRunning) {
        // The loop also ends on the timeout and when the application quits; the command ends with it.
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}
