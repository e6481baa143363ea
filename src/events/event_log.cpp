#include "events/event_log.h"

#include "options/options.h"
#include "support/clock.h"
#include "support/people.h"
#include "support/text_routines.h"

#include <QFile>
#include <cmath>

namespace {

const QString ProgramMarker = QStringLiteral("...");

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("hh:mm:ss");
constexpr qsizetype EventTimeLength = 19; // "yyyy-MM-dd hh:mm:ss"

QByteArray EventsFileBytes(const TEvent& event)
{
    QByteArray bytes;
    for (const QString* field : { &event.Time, &event.Marker, &event.Origin, &event.Type, &event.Comment })
        bytes += OneLine(*field).toUtf8() + "\r\n";
    return bytes;
}

} // namespace

QString LevelMarker(int level)
{
    switch (level) {
    case 0:
        return ProgramMarker;
    case 1:
        return QStringLiteral("..");
    case 2:
        return QStringLiteral(".");
    case 9:
        return QStringLiteral("D");
    default:
        return QString();
    }
}

QString EventTimeText(TDateTime moment)
{
    // Date and time apart, never as one QDateTime, so a moment in a daylight-saving gap is
    // written as it was stored.
    QDate date;
    QTime time;
    if (!DecodeDateTime(moment, date, time))
        return QString();
    return date.toString(DateFormat) + u' ' + time.toString(TimeFormat);
}

bool EventTimeFromText(const QString& text, TDateTime& moment)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() != EventTimeLength || trimmed[10] != u' ')
        return false;
    const QDate date = QDate::fromString(trimmed.first(10), DateFormat);
    const QTime time = QTime::fromString(trimmed.sliced(11), TimeFormat);
    if (!date.isValid() || !time.isValid())
        return false;
    return EncodeDateTime(
        date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(), 0, moment);
}

bool EventOlderThan(const TEvent& event, TDateTime now, qint64 milliseconds)
{
    TDateTime added = 0;
    if (!EventTimeFromText(event.Time, added))
        return false;
    // In whole milliseconds: an event exactly as old as the limit is not older.
    return std::llround((now - added) * 86400000.0) > milliseconds;
}

QString EventLine(const TEvent& event)
{
    return OneLine(
        QStringLiteral("%1 %2 %3 | %4 | %5")
            .arg(event.Time, event.Marker.leftJustified(3), event.Origin, event.Type, event.Comment));
}

TEventLog::TEventLog(const TOptions& options, const TClock& clock, TPeople& people)
    : FOptions(options)
    , FClock(clock)
    , FPeople(people)
{ }

void TEventLog::AddEvent(int level, const QString& origin, const QString& type, const QString& comment)
{
    if (level == 9 && !FOptions.Debug)
        return;
    FEvents.push_back(
        TEvent { level, LevelMarker(level), EventTimeText(FClock.Now()), origin, type, comment, ++FAdded });
    // A copy: a message box runs its own event loop, whose timers may add events meanwhile.
    const TEvent event = FEvents.back();
    if (FOptions.EventsFile && !AppendToEventsFile(event))
        FPeople.Ask(QStringLiteral("I Could not create the events-file.") + u'\n'
                + QStringLiteral("Check whether the options are properly set (Program - Options - Events)."),
            false);
    if (Added)
        Added(event);
}

void TEventLog::DeleteEvent(int index)
{
    if (index < 0 || index >= Count())
        return;
    FEvents.erase(FEvents.begin() + index);
    NotifyChanged();
}

void TEventLog::DeleteEvents(const std::function<bool(const TEvent&)>& doomed)
{
    // Clearing by age asks every second; a view that changed nothing is not redrawn.
    if (std::erase_if(FEvents, doomed) > 0)
        NotifyChanged();
}

bool TEventLog::ClearAll()
{
    if (!FPeople.Ask(QStringLiteral("Are you sure the eventlist can be cleared?"), true))
        return false;
    DeleteEvents([](const TEvent& event) { return event.Marker != ProgramMarker; });
    return true;
}

void TEventLog::ClearMinor()
{
    DeleteEvents([](const TEvent& event) { return event.Marker.isEmpty(); });
}

bool TEventLog::AppendToEventsFile(const TEvent& event) const
{
    // Opened and closed for every event, so the file is complete whenever the program stops.
    QFile file(FOptions.EventsFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = EventsFileBytes(event);
    return file.write(bytes) == bytes.size() && file.flush();
}

void TEventLog::NotifyChanged()
{
    if (Changed)
        Changed();
}
