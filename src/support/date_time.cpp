#include "support/date_time.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 MsPerDay = 24 * 60 * 60 * 1000;

QDate ZeroDate()
{
    return QDate(1899, 12, 30);
}

bool InYearRange(QDate date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

TDateTime Combine(QDate date, QTime time)
{
    const double days = static_cast<double>(ZeroDate().daysTo(date));
    const double fraction = static_cast<double>(time.msecsSinceStartOfDay()) / MsPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

} // namespace

bool EncodeDateTime(
    int year, int month, int day, int hour, int minute, int second, int millisecond, TDateTime& moment)
{
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, millisecond);
    if (!InYearRange(date) || !time.isValid())
        return false;
    moment = Combine(date, time);
    return true;
}

bool DecodeDateTime(TDateTime moment, QDate& date, QTime& time)
{
    // A wide margin around years 1..9999 keeps the integer conversion defined; the year check
    // below draws the exact line.
    if (!std::isfinite(moment) || std::fabs(moment) > 1e7)
        return false;
    const double whole = std::trunc(moment);
    qint64 days = static_cast<qint64>(whole);
    qint64 ms = std::llround(std::fabs(moment - whole) * MsPerDay);
    if (ms >= MsPerDay) {
        // Rounded up to midnight: the next calendar day, whichever side of zero we are on.
        ms = 0;
        ++days;
    }
    const QDate decoded = ZeroDate().addDays(days);
    if (!InYearRange(decoded))
        return false;
    date = decoded;
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    return true;
}

TDateTime DateTimeFromQt(const QDateTime& moment)
{
    if (!moment.isValid())
        return 0;
    const QDateTime local = moment.toLocalTime();
    return Combine(local.date(), local.time());
}

QDateTime DateTimeToQt(TDateTime moment)
{
    QDate date;
    QTime time;
    if (!DecodeDateTime(moment, date, time))
        return QDateTime();
    return QDateTime(date, time);
}

TDateTime NowDateTime()
{
    return DateTimeFromQt(QDateTime::currentDateTime());
}

QString ClockText(TDateTime moment)
{
    return DateTimeToQt(moment).time().toString(u"hh:mm:ss");
}

QString DurationText(TDateTime duration)
{
    // Beyond any real render time, and far inside what qint64 seconds can hold.
    constexpr double LongestDays = 1.0e6;
    if (!(duration > 0))
        duration = 0;
    const qint64 seconds = std::llround(std::min(duration, LongestDays) * 86400.0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
