#include "demo_processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

QByteArray ReadProcFile(qint64 pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1StringView(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QStringList CommandLine(qint64 pid)
{
    QStringList words;
    for (const QByteArray& word : ReadProcFile(pid, "cmdline").split('\0'))
        if (!word.isEmpty())
            words.append(QString::fromLocal8Bit(word));
    return words;
}

// The node's ack file is its last argument: ".../Ack<number>".
int NodeNumber(const QStringList& words)
{
    static const QRegularExpression ackFile(QStringLiteral("[/\\\\]Ack(\\d+)$"));
    const QRegularExpressionMatch match
        = words.isEmpty() ? QRegularExpressionMatch() : ackFile.match(words.last());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The fields of /proc/<pid>/stat from the state on: the command name before it, in parentheses,
// may itself hold blanks.
QList<QByteArray> StatFields(qint64 pid)
{
    const QByteArray stat = ReadProcFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return {};
    return stat.mid(close + 2).split(' ');
}

} // namespace

bool ProcessAlive(qint64 pid)
{
    const QList<QByteArray> fields = StatFields(pid);
    return !fields.isEmpty() && fields[0] != "Z" && fields[0] != "X";
}

double ProcessCpuSeconds(qint64 pid)
{
    // User and system time are the 14th and 15th fields; the state is the 3rd.
    constexpr qsizetype UserTime = 14 - 3;
    const QList<QByteArray> fields = StatFields(pid);
    const long ticks = ::sysconf(_SC_CLK_TCK);
    if (fields.size() <= UserTime + 1 || ticks <= 0)
        return 0;
    return double(fields[UserTime].toLongLong() + fields[UserTime + 1].toLongLong()) / double(ticks);
}

std::vector<TFarmProcess> FarmProcesses(const QString& farmRoot, qint64 except)
{
    std::vector<TFarmProcess> found;
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber || pid == self || pid == except)
            continue;
        const QStringList words = CommandLine(pid);
        if (!words.join(u' ').contains(farmRoot) || !ProcessAlive(pid))
            continue;
        found.push_back({ pid, NodeNumber(words) });
    }
    return found;
}

void SendSignal(qint64 pid, int signalNumber)
{
    ::kill(static_cast<pid_t>(pid), signalNumber);
}
