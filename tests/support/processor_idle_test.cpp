#include "support/processor_idle.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(ProcessorIdle, TimesComeFromTheLineOfAllProcessors)
{
    TProcessorTimes times;
    // Guest time is part of user time already; iowait is idle.
    ASSERT_TRUE(ParseProcessorTimes("cpu  100 5 50 800 40 3 2 0 7 0\ncpu0 1 2 3 4\nintr 99\n", times));
    EXPECT_EQ(times.Idle, 840u);
    EXPECT_EQ(times.Total, 1000u);
    // Old kernels give four counters.
    ASSERT_TRUE(ParseProcessorTimes("cpu 1 2 3 4\r\n", times));
    EXPECT_EQ(times.Idle, 4u);
    EXPECT_EQ(times.Total, 10u);

    // Nothing else is taken, and a refused text leaves the times as they were.
    for (const char* text : { "", "cpu", "cpu 1 2 3", "cpu0 1 2 3 4 5", "cpux 1 2 3 4", " cpu 1 2 3 4",
             "cpu 1 2 -3 4", "cpu 1 2 3 4x", "intr 1\ncpu 1 2 3 4", "cpu 18446744073709551616 1 1 1",
             "cpu 18446744073709551615 1 1 1" })
        EXPECT_FALSE(ParseProcessorTimes(text, times)) << text;
    EXPECT_EQ(times.Total, 10u);
}

TEST(ProcessorIdle, LoopsAreTheIdleShareOfTheSecond)
{
    EXPECT_EQ(IdleLoops({ 100, 1000 }, { 600, 2000 }), FullLoops / 2);
    // Counters that stood still or went back prove nothing idle.
    EXPECT_EQ(IdleLoops({ 100, 1000 }, { 100, 1000 }), 0);
    EXPECT_EQ(IdleLoops({ 100, 1000 }, { 50, 2000 }), 0);
    // More idle than time passed (counters read a moment apart) is a wholly idle second.
    EXPECT_EQ(IdleLoops({ 0, 0 }, { 5000, 1000 }), FullLoops);
}

TEST(ProcessorIdle, TheFirstTwoSecondsCalibrate)
{
    TIdleCount count;
    CountSecond(count, 0, 95);
    CountSecond(count, 400, 95);
    EXPECT_EQ(count.IdleSeconds, 2);
    EXPECT_EQ(count.BestLoops, 400);
    EXPECT_EQ(count.LastLoops, 400);
    EXPECT_EQ(count.CalibrationSeconds, 2);
    // 95 % of 400 is 380: a second must make more.
    CountSecond(count, 381, 95);
    EXPECT_EQ(count.IdleSeconds, 3);
    CountSecond(count, 380, 95);
    EXPECT_EQ(count.IdleSeconds, 0);
    EXPECT_EQ(count.CalibrationSeconds, 3);
    EXPECT_EQ(count.LastLoops, 380);
}

TEST(ProcessorIdle, PercentagesAtAndBeyondTheirEnds)
{
    // 0: every second with any loops is idle; one with none is not.
    TIdleCount count { 5, 1000, 0, 2 };
    CountSecond(count, 1, 0);
    EXPECT_EQ(count.IdleSeconds, 6);
    CountSecond(count, 0, 0);
    EXPECT_EQ(count.IdleSeconds, 0);
    // Below 0 counts as 0.
    CountSecond(count, 0, -1);
    EXPECT_EQ(count.IdleSeconds, 0);

    // 100: only a second that beats the best; above 100 counts as 100.
    count = { 5, 1000, 0, 2 };
    CountSecond(count, 1000, 100);
    EXPECT_EQ(count.IdleSeconds, 0);
    CountSecond(count, 1001, 100);
    EXPECT_EQ(count.IdleSeconds, 1);
    EXPECT_EQ(count.BestLoops, 1001);
    CountSecond(count, 1001, std::numeric_limits<int>::max());
    EXPECT_EQ(count.IdleSeconds, 0);
}

TEST(ProcessorIdle, CountsStayBounded)
{
    // Past the limit the count starts again, even with an idle second.
    TIdleCount count { IdleSecondsLimit, FullLoops, 0, 5 };
    CountSecond(count, FullLoops, 0);
    EXPECT_EQ(count.IdleSeconds, IdleSecondsLimit + 1);
    CountSecond(count, FullLoops, 0);
    EXPECT_EQ(count.IdleSeconds, 0);
    EXPECT_EQ(count.LastLoops, 0);

    count = { 3, FullLoops, 0, std::numeric_limits<int>::max() };
    CountSecond(count, FullLoops, 0);
    EXPECT_EQ(count.CalibrationSeconds, std::numeric_limits<int>::max());
    EXPECT_EQ(count.IdleSeconds, 4);
}

TEST(ProcessorIdle, BarsStayInTheirFrame)
{
    EXPECT_EQ(ActivityBarWidth({ 0, 1000, 250, 95 }, 200), 150);
    EXPECT_EQ(ThresholdBarWidth({ 0, 1000, 250, 95 }, 200), 10);
    EXPECT_EQ(ThresholdBarWidth({ 0, 1, 0, -1 }, 200), 200);
    EXPECT_EQ(ThresholdBarWidth({ 0, 1, 0, 250 }, 200), 0);
    EXPECT_EQ(ActivityBarWidth({ 0, 0, 0, 0 }, 200), 0);
    EXPECT_EQ(ActivityBarWidth({ 0, 100, 300, 0 }, 200), 0);
    EXPECT_EQ(
        ActivityBarWidth({ 0, std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 0 }, 200),
        200);
}

} // namespace
