#include "support/system_info.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

#include <algorithm>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace {

// The value in kilobytes of a "Key:   1234 kB" line of a /proc file; -1 when it is not there.
qint64 ProcKilobytes(const QString& path, const QByteArray& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = key + ':';
    const QList<QByteArray> lines = file.read(256 * 1024).split('\n');
    for (const QByteArray& line : lines) {
        if (!line.startsWith(prefix))
            continue;
        bool ok = false;
        const qint64 value = line.mid(prefix.size()).simplified().split(' ').value(0).toLongLong(&ok);
        return ok ? value : -1;
    }
    return -1;
}

// The size of the user part of the address space: what the architecture gives a process, or the
// address-space limit when that is lower.
qint64 VirtualTotalKilobytes()
{
#if defined(__aarch64__)
    qint64 bytes = qint64(1) << 48;
#elif defined(__x86_64__) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 8)
    qint64 bytes = qint64(1) << 47;
#else
    qint64 bytes = qint64(3) << 30;
#endif
    rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && limit.rlim_cur < static_cast<rlim_t>(bytes))
        bytes = static_cast<qint64>(limit.rlim_cur);
    return bytes / 1024;
}

} // namespace

qint64 MemoryFigure(int selector)
{
    if (selector < 1 || selector > 7)
        return 0;
    if (selector >= 6) {
        const qint64 total = VirtualTotalKilobytes();
        if (selector == 6)
            return total;
        return std::max<qint64>(
            0, total - std::max<qint64>(0, ProcKilobytes(QStringLiteral("/proc/self/status"), "VmSize")));
    }

    struct sysinfo info
    {
    };
    if (sysinfo(&info) != 0)
        return 0;
    const qint64 unit = info.mem_unit == 0 ? 1 : info.mem_unit;
    const auto kilobytes = [unit](unsigned long amount) { return static_cast<qint64>(amount) * unit / 1024; };
    const qint64 total = kilobytes(info.totalram);
    qint64 available = ProcKilobytes(QStringLiteral("/proc/meminfo"), "MemAvailable");
    // Kernels before 3.14 do not report it; free memory and buffers come close.
    if (available < 0)
        available = kilobytes(info.freeram) + kilobytes(info.bufferram);
    available = std::min(available, total);

    switch (selector) {
    case 1:
        return total > 0 ? (total - available) * 100 / total : 0;
    case 2:
        return total;
    case 3:
        return available;
    case 4:
        return total + kilobytes(info.totalswap);
    default:
        return available + kilobytes(info.freeswap);
    }
}

QString KernelVersionText(const QString& release)
{
    static const QRegularExpression numbers(QStringLiteral("^([0-9]+)\\.([0-9]+)(?:\\.([0-9]+))?(.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = numbers.match(release);
    if (!match.hasMatch())
        return release;
    const QString patch = match.captured(3).isEmpty() ? QStringLiteral("0") : match.captured(3);
    return QStringLiteral("%1.%2 (%3.%4)")
        .arg(match.captured(1), match.captured(2), patch, match.captured(4));
}

TSystemInfo::TSystemInfo()
{
    ComputerName = QSysInfo::machineHostName();
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        UserName = QString::fromLocal8Bit(entry->pw_name);
    if (UserName.isEmpty())
        UserName = qEnvironmentVariable("USER");
    VersionText = KernelVersionText(QSysInfo::kernelVersion());
    PlatformName = QSysInfo::prettyProductName();
}
