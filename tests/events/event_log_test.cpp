#include "events/event_log.h"

#include "options/options.h"
#include "scripted_people.h"
#include "support/clock.h"

#include "test_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TEventLogFixture
{
    TEventLogFixture() { EncodeDateTime(2026, 12, 8, 23, 10, 4, 0, Clock.Moment); }

    QStringList Comments() const
    {
        QStringList comments;
        for (int i = 0; i < Log.Count(); ++i)
            comments << Log.Item(i).Comment;
        return comments;
    }

    TOptions Options;
    TManualClock Clock;
    TScriptedPeople People;
    TEventLog Log { Options, Clock, People };
};

const QString FileFailure
    = QStringLiteral("I Could not create the events-file.\n"
                     "Check whether the options are properly set (Program - Options - Events).");

} // namespace

TEST(EventLog, ClearingKeepsProgramAndMajorEvents)
{
    TEventLogFixture f;
    int changes = 0;
    f.Log.Changed = [&] { ++changes; };
    f.Log.AddEvent(0, "Program", "", "Started.");
    f.Log.AddEvent(3, "Kes", "Scenes Add ", "a.lws");
    f.Log.AddEvent(1, "Master", "Scenes Verify", "b.lws");
    f.Log.AddEvent(3, "Kes", "Scenes Remove", "c.lws");
    f.Log.AddEvent(2, "Master", "x", "d");

    f.Log.ClearMinor();
    EXPECT_EQ(f.Comments(), QStringList({ "Started.", "b.lws", "d" }));
    EXPECT_TRUE(f.People.Asked.isEmpty());
    EXPECT_EQ(changes, 1);

    f.People.Answer = false;
    EXPECT_FALSE(f.Log.ClearAll());
    EXPECT_EQ(f.Log.Count(), 3);
    f.People.Answer = true;
    EXPECT_TRUE(f.Log.ClearAll());
    EXPECT_EQ(f.Comments(), QStringList({ "Started." }));
    EXPECT_EQ(f.People.Asked, QStringList(2, QStringLiteral("Are you sure the eventlist can be cleared?")));
    f.Log.DeleteEvent(1);
    f.Log.DeleteEvent(0);
    EXPECT_EQ(f.Log.Count(), 0);
}

TEST(EventLog, DebugEventsOnlyInDebugMode)
{
    TEventLogFixture f;
    int added = 0;
    f.Log.Added = [&](const TEvent&) { ++added; };
    f.Log.AddEvent(9, "Master", "Debug", "hidden");
    EXPECT_EQ(f.Log.Count(), 0);
    EXPECT_EQ(added, 0);

    f.Options.Debug = true;
    f.Log.AddEvent(9, "Master", "Debug", "shown");
    ASSERT_EQ(f.Log.Count(), 1);
    EXPECT_EQ(f.Log.Item(0).Marker, "D");
    EXPECT_EQ(f.Log.Item(0).Time, "2026-12-08 23:10:04");
    EXPECT_EQ(added, 1);
    EXPECT_EQ(EventLine(f.Log.Item(0)), "2026-12-08 23:10:04 D   Master | Debug | shown");
}

TEST(EventLog, EventsFileGetsFiveLinesPerEventOrAMessage)
{
    TEventLogFixture f;
    QTemporaryDir dir;
    f.Options.EventsFile = true;
    f.Options.EventsFileName = dir.filePath("events.txt");
    WriteBytes(f.Options.EventsFileName, "old\r\n");

    f.Log.AddEvent(0, "Program", "", "Started.");
    f.Clock.AdvanceSeconds(61);
    // A line break inside a field must not shift the lines of later events.
    f.Log.AddEvent(3, "Kes", "Event Message", "two\r\nlines");
    EXPECT_EQ(ReadBytes(f.Options.EventsFileName),
        "old\r\n"
        "2026-12-08 23:10:04\r\n...\r\nProgram\r\n\r\nStarted.\r\n"
        "2026-12-08 23:11:05\r\n\r\nKes\r\nEvent Message\r\ntwo  lines\r\n");
    EXPECT_EQ(f.Log.Item(1).Comment, "two\r\nlines");
    EXPECT_TRUE(f.People.Asked.isEmpty());

    // Every failure is reported; the events stay.
    f.Options.EventsFileName = dir.filePath("missing/events.txt");
    f.Log.AddEvent(1, "Automatic", "Crash/Quit", "Screamer 1 crashed or has quit");
    f.Log.AddEvent(3, "Kes", "Scenes Add ", "a.lws");
    EXPECT_EQ(f.Log.Count(), 4);
    EXPECT_EQ(f.People.Asked, QStringList(2, FileFailure));
}

TEST(EventLog, TimeTextRoundTrip)
{
    TDateTime moment = 0;
    ASSERT_TRUE(EncodeDateTime(2026, 3, 29, 2, 30, 7, 900, moment));
    const QString text = EventTimeText(moment);
    EXPECT_EQ(text, "2026-03-29 02:30:07");
    TDateTime back = 0;
    ASSERT_TRUE(EventTimeFromText(text, back));
    EXPECT_EQ(EventTimeText(back), text);
    EXPECT_NEAR(back, moment, 1.0 / 86400);
    EXPECT_LE(back, moment);

    for (const char* bad :
        { "", "2026-03-29", "2026-13-01 00:00:00", "2026-03-29T02:30:07", "29.03.2026 02:30:07" })
        EXPECT_FALSE(EventTimeFromText(bad, back)) << bad;
}
