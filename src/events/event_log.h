#pragma once
// The farm's event log: what happened, when and by whom, kept in memory for the Events view
// and, when the options say so, appended to a plain-text events file.

#include "support/date_time.h"

#include <QString>
#include <functional>
#include <vector>

class TClock;
class TOptions;
class TPeople;

// One event. Its row number is its position in the log, so it is not stored.
struct TEvent
{
    int Level = 0;
    QString Marker;
    QString Time;
    QString Origin;
    QString Type;
    QString Comment;
    // Counts the events added since the program started, so a reader can ask for those after
    // one it has; not kept in the events file.
    qint64 Number = 0;
};

// Level 0 (program start and end) survives every clearing; 1, 2 and 9 are major events;
// every other level is minor and has no marker.
QString LevelMarker(int level);

// The Time column and the events file use one fixed format, "yyyy-MM-dd hh:mm:ss" in local
// time, so that clearing by age can read it back whatever the regional settings.
QString EventTimeText(TDateTime moment);
// False, with `moment` untouched, for a text not in that format.
bool EventTimeFromText(const QString& text, TDateTime& moment);

// Whether the event is more than `milliseconds` old at `now`, by its time text; one whose time
// cannot be read is not.
bool EventOlderThan(const TEvent& event, TDateTime now, qint64 milliseconds);

// An event on one line for logs: "time marker origin | type | comment", the marker padded to
// three characters so the origins line up, line breaks inside fields turned into spaces, e.g.
// "2026-12-08 23:10:04 ..  Master | Scenes Verify | plain.lws verified and ...".
QString EventLine(const TEvent& event);

class TEventLog
{
public:
    TEventLog(const TOptions& options, const TClock& clock, TPeople& people);

    // Level 9 is kept only in debug mode. An events file that cannot be written is reported
    // every time; the event is kept all the same.
    void AddEvent(int level, const QString& origin, const QString& type, const QString& comment);

    int Count() const { return static_cast<int>(FEvents.size()); }
    // `index` from 0 to Count() - 1.
    const TEvent& Item(int index) const { return FEvents[static_cast<size_t>(index)]; }

    // Later events move up; an index out of range changes nothing.
    void DeleteEvent(int index);
    // Deletes every event `doomed` picks, keeping the order of the rest, with one Changed at the
    // end when any went; for clearing many events at once without shifting the list once per event.
    void DeleteEvents(const std::function<bool(const TEvent&)>& doomed);
    // Asks first; deletes everything but program start and end. True when the user agreed.
    bool ClearAll();
    // Deletes the minor events without asking.
    void ClearMinor();

    // Called after an event was added: the service prints it, the windows show it.
    std::function<void(const TEvent&)> Added;
    // Called after deletions, so that a view can refresh.
    std::function<void()> Changed;

private:
    bool AppendToEventsFile(const TEvent& event) const;
    void NotifyChanged();

    const TOptions& FOptions;
    const TClock& FClock;
    TPeople& FPeople;
    // No limit: clearing by age keeps a long-running farm's log in bounds when it is switched on.
    std::vector<TEvent> FEvents;
    qint64 FAdded = 0;
};
