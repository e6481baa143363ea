#include "farm/housekeeping.h"

#include "farm/discovery.h"
#include "farm/farm.h"
#include "farm/node_launch.h"
#include "farm/saver_thread.h"
#include "options/options.h"
#include "support/people.h"

#include <QScopedValueRollback>
#include <algorithm>

QString IdleTimeText(int idleSeconds)
{
    return QStringLiteral("Idle Time ") + QString::number(idleSeconds);
}

bool PeriodOver(qint64& ticks, int minutes)
{
    if (ticks <= qint64 { std::max(minutes, 0) } * 60) {
        ++ticks;
        return false;
    }
    ticks = 0;
    return true;
}

THousekeeping::THousekeeping(TFarm& farm, TDiscovery& discovery, TIdleCounters& idle)
    : FFarm(farm)
    , FDiscovery(discovery)
    , FIdle(idle)
{ }

void THousekeeping::TimerGeneralTimer()
{
    FFarm.People.SetInfoMark(FFarm.Options.InfoVisible);
    // A waiting Master has no nodes of its own to watch yet.
    if (FFarm.Driving || !FFarm.IsMaster())
        FDiscovery.CheckNodeProcesses();
    ShowIdle();
    DorezoDizaz();
    ClearOldEvents();
    CountReportTicks();
}

void THousekeeping::ShowIdle()
{
    const int percentage = FFarm.Options.SaverPercentage;
    FIdle.Percentage = percentage;
    const TIdleFigures figures { FIdle.IdleSeconds, FIdle.BestLoops, FIdle.LastLoops, percentage };
    // The Master's panel names its mode; the info window shows its idle time.
    if (!FFarm.IsMaster())
        FFarm.People.SetStatus(TStatusPanel::Mode, IdleTimeText(figures.IdleSeconds));
    FFarm.Idle = figures;
    FFarm.People.ShowIdle(figures);
}

void THousekeeping::DorezoDizaz()
{
    const TOptions& options = FFarm.Options;
    if (!options.SaverEnabled)
        return;
    const qint64 idle = FIdle.IdleSeconds;
    const qint64 limit = options.SaverSeconds;
    // Two beeps, one a tick, before the start.
    if (options.SaverNoise && limit - 2 < idle && idle <= limit)
        FFarm.People.Beep();
    if (idle > limit)
        StartIdleNode();
}

void THousekeeping::StartIdleNode()
{
    if (FStarting || (FFarm.IsMaster() && !FFarm.Driving))
        return;
    if (Update)
        Update();
    TScreamerList& screamers = FFarm.Screamers;
    // With no local node the count goes on, and so does the update.
    if (screamers.Count() == 0)
        return;
    FIdle.IdleSeconds = 0;
    for (int i = 0; i < screamers.Count(); ++i) {
        TScreamer& screamer = screamers.Item(i);
        if (!screamer.Started && FFarm.Computers.NumberFree(screamer.Number)) {
            Start(screamer);
            return;
        }
    }
}

void THousekeeping::Start(TScreamer& screamer)
{
    const QScopedValueRollback starting(FStarting, true);
    const TOptions& options = FFarm.Options;
    // A failed start is said by Launch; the entry counts as started and is not tried again.
    if (Launch(FFarm, screamer)) {
        FFarm.Events.AddEvent(1, options.ScreamerName, QStringLiteral("DorezoDizaz"),
            QStringLiteral("Screamer %1 started after %2 seconds of inactivity.")
                .arg(screamer.Number)
                .arg(options.SaverSeconds));
        FDiscovery.Rescan();
        if (!FFarm.IsMaster())
            FFarm.People.ShowSplash();
    }
    FFarm.People.Refresh(TView::Computers);
}

void THousekeeping::ClearOldEvents()
{
    const TOptions& options = FFarm.Options;
    if (!options.EventsClearMajor && !options.EventsClearMinor)
        return;
    const TDateTime now = FFarm.Now();
    const qint64 majorLimit = qint64 { options.EventsClearTimeMajor } * 3600 * 1000;
    const qint64 minorLimit = qint64 { options.EventsClearTimeMinor } * 60 * 1000;
    const QString programMarker = LevelMarker(0);
    FFarm.Events.DeleteEvents([&](const TEvent& event) {
        if (event.Marker.isEmpty())
            return options.EventsClearMinor && EventOlderThan(event, now, minorLimit);
        return event.Marker != programMarker && options.EventsClearMajor
            && EventOlderThan(event, now, majorLimit);
    });
}

void THousekeeping::CountReportTicks()
{
    // While the report is off the count keeps its value. An interval below a minute, which only
    // a hand-edited file holds, would mail every two seconds.
    const int minutes = std::max(FFarm.Options.CommunicationInterval, 1);
    if (FFarm.Options.CommunicationEmail && PeriodOver(FReportTicks, minutes) && SendReport)
        SendReport();
}
