#include "support/processor_idle.h"

#include <QFile>
#include <algorithm>
#include <limits>

namespace {

// user, nice, system, idle, iowait, irq, softirq, steal; guest time is counted in user already.
constexpr int CountedFields = 8;
constexpr int IdleField = 3;
constexpr int IoWaitField = 4;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The decimal number at `text[at]`, moving `at` past it; false for no digits or too many.
bool TakeCounter(QByteArrayView text, qsizetype& at, quint64& value)
{
    const qsizetype start = at;
    value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const quint64 digit = static_cast<quint64>(text[at] - '0');
        if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return at > start;
}

} // namespace

bool ParseProcessorTimes(QByteArrayView text, TProcessorTimes& times)
{
    const qsizetype end = text.indexOf('\n');
    const QByteArrayView line = end < 0 ? text : text.first(end);
    if (!line.startsWith("cpu") || line.size() < 4 || !IsBlank(line[3]))
        return false;
    TProcessorTimes read;
    qsizetype at = 3;
    int fields = 0;
    while (fields < CountedFields) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at == line.size() || line[at] == '\r')
            break;
        quint64 value = 0;
        if (!TakeCounter(line, at, value) || (at < line.size() && !IsBlank(line[at]) && line[at] != '\r'))
            return false;
        if (read.Total > std::numeric_limits<quint64>::max() - value)
            return false;
        read.Total += value;
        if (fields == IdleField || fields == IoWaitField)
            read.Idle += value;
        ++fields;
    }
    if (fields <= IdleField)
        return false;
    times = read;
    return true;
}

bool ReadProcessorTimes(TProcessorTimes& times)
{
    QFile file(QStringLiteral("/proc/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The line of all processors comes first; the rest can be long on a large machine.
    return ParseProcessorTimes(file.read(4096), times);
}

int IdleLoops(const TProcessorTimes& before, const TProcessorTimes& after)
{
    if (after.Total <= before.Total || after.Idle < before.Idle)
        return 0;
    const quint64 total = after.Total - before.Total;
    const quint64 idle = std::min(after.Idle - before.Idle, total);
    return static_cast<int>(static_cast<double>(idle) / static_cast<double>(total) * FullLoops);
}

void CountSecond(TIdleCount& count, int loops, int percentage)
{
    if (count.IdleSeconds > IdleSecondsLimit)
        loops = 0;
    count.LastLoops = loops;
    const qint64 threshold = qint64 { count.BestLoops } * std::clamp(percentage, 0, 100) / 100;
    if (count.CalibrationSeconds < 2 || loops > threshold) {
        ++count.IdleSeconds;
        if (count.CalibrationSeconds < std::numeric_limits<int>::max())
            ++count.CalibrationSeconds;
    } else
        count.IdleSeconds = 0;
    count.BestLoops = std::max(count.BestLoops, loops);
}

int ActivityBarWidth(const TIdleFigures& figures, int width)
{
    if (figures.BestLoops <= 0)
        return 0;
    const qint64 shortfall = qint64 { figures.BestLoops } - figures.LastLoops;
    return static_cast<int>(std::clamp<qint64>(shortfall * width / figures.BestLoops, 0, std::max(width, 0)));
}

int ThresholdBarWidth(const TIdleFigures& figures, int width)
{
    return static_cast<int>(
        (100 - std::clamp(figures.SaverPercentage, 0, 100)) * qint64 { std::max(width, 0) } / 100);
}
