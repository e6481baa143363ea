#include "farm/controller.h"
#include "model/node_channel.h"
#include "options/options.h"

#include "scripted_people.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

namespace {

// What the tick shows and sounds, besides the questions.
class TTickPeople : public TScriptedPeople
{
public:
    void Beep() override { ++Beeps; }
    void SetStatus(TStatusPanel panel, const QString& text) override
    {
        if (panel == TStatusPanel::Mode)
            Status = text;
    }
    void SetInfoMark(bool checked) override { InfoMark = checked; }
    void ShowIdle(const TIdleFigures& figures) override { Idle = figures; }
    void ShowSplash() override { ++Splashes; }
    bool Ask(const QString& text, bool isQuestion) override
    {
        if (During)
            During();
        return TScriptedPeople::Ask(text, isQuestion);
    }

    // Runs while a message box is open, as a tick would.
    std::function<void()> During;
    int Beeps = 0;
    int Splashes = 0;
    bool InfoMark = false;
    QString Status;
    TIdleFigures Idle;
};

// A driving Master's housekeeping, ticked by hand; no idle thread runs, the test sets the count.
class Housekeeping : public testing::Test
{
protected:
    Housekeeping()
        : Options(Directory.filePath(QStringLiteral("Farm.ini")))
    {
        Options.Load();
        Options.Master = true;
        Options.ScreamerDirectory = Directory.path();
        Options.MasterScreamerComputers = 4;
        Options.ScreamerName = QStringLiteral("Owl");
        Options.ScreamerFilename = QStringLiteral("/bin/true");
        Options.ScreamerHide = true;
        Options.SaverEnabled = true;
        Options.SaverNoise = true;
        Options.SaverSeconds = 300;
        Controller = std::make_unique<TController>(Options, People, Clock);
        Farm().Driving = true;
    }

    TFarm& Farm() { return Controller->Farm(); }
    void Tick() { Controller->TimerGeneralTimer(); }
    void TickAt(int idleSeconds)
    {
        Controller->Idle().IdleSeconds = idleSeconds;
        Tick();
    }
    void LocalNodes(const QString& numbers) { Farm().Screamers.Sync(numbers); }
    // The comments of the events of `type`, or of all events.
    QStringList Comments(const QString& type = QString()) const
    {
        QStringList comments;
        const TEventLog& events = Controller->Farm().Events;
        for (int i = 0; i < events.Count(); ++i)
            if (type.isNull() || events.Item(i).Type == type)
                comments << events.Item(i).Comment;
        return comments;
    }

    QTemporaryDir Directory;
    TOptions Options;
    TTickPeople People;
    TManualClock Clock;
    std::unique_ptr<TController> Controller;
};

TEST_F(Housekeeping, BeepsAtTheLastTwoSecondsAndStartsANodeAfterThem)
{
    LocalNodes(QStringLiteral("1 2"));
    TickAt(298);
    EXPECT_EQ(People.Beeps, 0);
    TickAt(299);
    TickAt(300);
    EXPECT_EQ(People.Beeps, 2);
    EXPECT_TRUE(Comments(QStringLiteral("DorezoDizaz")).isEmpty());

    TickAt(301);
    EXPECT_EQ(People.Beeps, 2);
    EXPECT_EQ(Comments(QStringLiteral("DorezoDizaz")),
        QStringList { QStringLiteral("Screamer 1 started after 300 seconds of inactivity.") });
    EXPECT_TRUE(Farm().Screamers.Item(0).Started);
    EXPECT_FALSE(Farm().Screamers.Item(1).Started);
    EXPECT_EQ(Controller->Idle().IdleSeconds, 0);
    // The Master looks for the new node at once; a Master shows no splash.
    EXPECT_TRUE(QFileInfo::exists(JobFileName(Options, 3)));
    EXPECT_TRUE(Controller->TimerMasterRescan.isActive());
    EXPECT_EQ(People.Splashes, 0);
}

TEST_F(Housekeeping, OneNodeATriggerTheFirstThatIsFreeAndNotStarted)
{
    LocalNodes(QStringLiteral("1 2"));
    Farm().Screamers.Item(0).Started = true;
    auto registered = std::make_unique<TComputer>();
    registered->Number = 2;
    Farm().Computers.Add(std::move(registered));
    // All taken: nothing starts, and the count starts again all the same.
    TickAt(500);
    EXPECT_TRUE(Comments(QStringLiteral("DorezoDizaz")).isEmpty());
    EXPECT_EQ(Controller->Idle().IdleSeconds, 0);

    LocalNodes(QStringLiteral("1 2 3 4"));
    TickAt(301);
    EXPECT_EQ(Comments(QStringLiteral("DorezoDizaz")),
        QStringList { QStringLiteral("Screamer 3 started after 300 seconds of inactivity.") });
    EXPECT_FALSE(Farm().Screamers.Item(3).Started);
}

TEST_F(Housekeeping, WithoutLocalNodesTheCountGoesOnAndSoDoesTheUpdate)
{
    int updates = 0;
    Controller->Housekeeping().Update = [&] { ++updates; };
    TickAt(301);
    Tick();
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(Controller->Idle().IdleSeconds, 301);

    // A Master still waiting for its commands directory starts nothing.
    LocalNodes(QStringLiteral("1"));
    Farm().Driving = false;
    Tick();
    EXPECT_FALSE(Farm().Screamers.Item(0).Started);
}

TEST_F(Housekeeping, ARemoteStartAsksTheMasterToRescanAndShowsTheSplash)
{
    Options.Master = false;
    LocalNodes(QStringLiteral("4"));
    TickAt(1000);
    EXPECT_EQ(Comments(QStringLiteral("Computers Rescan")),
        QStringList { QStringLiteral("Rescan request sent to master.") });
    EXPECT_EQ(People.Splashes, 1);
}

// The message box of a failed start lets ticks run: they start nothing more meanwhile.
TEST_F(Housekeeping, AFailedStartIsSaidOnceAndNotLoggedAsStarted)
{
    Options.ScreamerFilename = Directory.filePath(QStringLiteral("missing"));
    LocalNodes(QStringLiteral("1 2"));
    People.During = [this] { TickAt(1000); };
    TickAt(1000);
    EXPECT_EQ(People.Asked, QStringList { ScreamerMissingText });
    EXPECT_FALSE(Farm().Screamers.Item(1).Started);
    EXPECT_TRUE(Comments(QStringLiteral("DorezoDizaz")).isEmpty());
}

TEST_F(Housekeeping, ShowsTheIdleFiguresAndHandsThePercentageToTheThread)
{
    Options.InfoVisible = true;
    Options.SaverPercentage = 100;
    TickAt(42);
    EXPECT_TRUE(People.InfoMark);
    // The Master's panel keeps naming its mode; a Remote's shows the idle time.
    EXPECT_TRUE(People.Status.isEmpty());
    Options.Master = false;
    TickAt(42);
    EXPECT_EQ(People.Status, QStringLiteral("Idle Time 42"));
    EXPECT_EQ(People.Idle.IdleSeconds, 42);
    EXPECT_EQ(People.Idle.SaverPercentage, 100);
    EXPECT_EQ(Controller->Idle().Percentage, 100);
}

TEST_F(Housekeeping, EventsGoWhenOlderThanTheirLimitByTheTimeShown)
{
    Options.SaverEnabled = false;
    Options.EventsClearMajor = true;
    Options.EventsClearTimeMajor = 2;
    Options.EventsClearMinor = true;
    Options.EventsClearTimeMinor = 30;
    ASSERT_TRUE(EncodeDateTime(2026, 1, 14, 9, 0, 0, 0, Clock.Moment));
    TEventLog& events = Farm().Events;
    events.AddEvent(0, QStringLiteral("Program"), QString(), QStringLiteral("Started."));
    events.AddEvent(1, QStringLiteral("Automatic"), QStringLiteral("Crash/Quit"), QStringLiteral("major"));
    // The time shown has no milliseconds: the age counts from it.
    Clock.AdvanceSeconds(0.9);
    events.AddEvent(3, QStringLiteral("Owl"), QStringLiteral("Scenes Add "), QStringLiteral("minor"));
    int changes = 0;
    events.Changed = [&] { ++changes; };

    Clock.AdvanceSeconds(30 * 60 - 0.9);
    Tick();
    EXPECT_EQ(Comments(), QStringList({ "Started.", "major", "minor" }));
    // Nothing went: the view is not redrawn (nor scrolled) every second.
    EXPECT_EQ(changes, 0);
    Clock.AdvanceSeconds(1);
    Tick();
    EXPECT_EQ(Comments(), QStringList({ "Started.", "major" }));

    Clock.AdvanceSeconds(90 * 60 - 1);
    Tick();
    EXPECT_EQ(events.Count(), 2);
    Clock.AdvanceSeconds(1);
    Tick();
    EXPECT_EQ(Comments(), QStringList({ "Started." }));

    // Program start and end never go by age, however long the limit is passed.
    Options.EventsClearTimeMajor = std::numeric_limits<int>::max();
    Clock.AdvanceSeconds(10 * 365 * 86400.0);
    Tick();
    EXPECT_EQ(Comments(), QStringList({ "Started." }));
}

TEST_F(Housekeeping, TheReportGoesIntervalMinutesAndTwoSecondsApart)
{
    Options.SaverEnabled = false;
    Options.CommunicationEmail = true;
    Options.CommunicationInterval = 1;
    int reports = 0;
    Controller->Housekeeping().SendReport = [&] { ++reports; };
    for (int tick = 1; tick <= 61; ++tick)
        Tick();
    EXPECT_EQ(reports, 0);
    Tick();
    EXPECT_EQ(reports, 1);
    for (int tick = 1; tick <= 62; ++tick)
        Tick();
    EXPECT_EQ(reports, 2);

    // Switched off, the count keeps its value.
    for (int tick = 1; tick <= 5; ++tick)
        Tick();
    Options.CommunicationEmail = false;
    for (int tick = 1; tick <= 100; ++tick)
        Tick();
    EXPECT_EQ(Controller->Housekeeping().ReportTicks(), 5);
    EXPECT_EQ(reports, 2);

    // No interval below a minute, whatever the file says.
    Options.CommunicationEmail = true;
    Options.CommunicationInterval = -1;
    for (int tick = 1; tick <= 57; ++tick)
        Tick();
    EXPECT_EQ(reports, 3);
    for (int tick = 1; tick <= 61; ++tick)
        Tick();
    EXPECT_EQ(reports, 3);
}

TEST(Period, ExtremeIntervalsStayInBounds)
{
    qint64 ticks = std::numeric_limits<int>::max() * qint64 { 60 };
    EXPECT_FALSE(PeriodOver(ticks, std::numeric_limits<int>::max()));
    EXPECT_TRUE(PeriodOver(ticks, std::numeric_limits<int>::max()));
    EXPECT_EQ(ticks, 0);
    // Less than nothing counts as nothing: two ticks.
    EXPECT_FALSE(PeriodOver(ticks, -1));
    EXPECT_TRUE(PeriodOver(ticks, std::numeric_limits<int>::min()));
}

TEST(SaverThread, StartsWithAnIdleSecondAndEndsWhenStopped)
{
    TIdleCounters counters;
    counters.IdleSeconds = 7;
    int samples = 0;
    TSaverThread thread(counters, [&samples](TProcessorTimes& times) {
        ++samples;
        times = { 0, 0 };
        return true;
    });
    thread.Start();
    EXPECT_TRUE(thread.Running());
    EXPECT_EQ(counters.IdleSeconds, 8);
    EXPECT_EQ(counters.BestLoops, 1);
    EXPECT_EQ(counters.LastLoops, 0);
    thread.Start();
    thread.Stop();
    EXPECT_FALSE(thread.Running());
    thread.Stop();
    EXPECT_LE(samples, 2);
}

// The idle thread runs from the start until closing, which writes the options after it ended.
TEST_F(Housekeeping, TheControllerRunsTheIdleThreadFromStartToClose)
{
    Farm().Driving = false;
    Controller->Start();
    EXPECT_TRUE(Controller->Saver().Running());
    EXPECT_TRUE(Controller->Close());
    EXPECT_FALSE(Controller->Saver().Running());
    EXPECT_TRUE(QFileInfo::exists(Options.FileName()));
    // Destroyed without closing, it ends its thread first.
    Controller->Start();
    EXPECT_TRUE(Controller->Saver().Running());
    Controller.reset();
}

} // namespace
