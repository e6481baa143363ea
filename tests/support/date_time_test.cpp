#include "support/date_time.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

QDateTime Local(int year, int month, int day, int hour, int minute, int second = 0, int ms = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms));
}

} // namespace

TEST(DateTime, EncodeCountsDaysFromZeroDate)
{
    TDateTime moment = 99;
    ASSERT_TRUE(EncodeDateTime(1899, 12, 30, 0, 0, 0, 0, moment));
    EXPECT_EQ(moment, 0.0);
    ASSERT_TRUE(EncodeDateTime(1899, 12, 31, 12, 0, 0, 0, moment));
    EXPECT_EQ(moment, 1.5);
    // Before day zero the whole part is the day and the fraction still runs forward.
    ASSERT_TRUE(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0, moment));
    EXPECT_EQ(moment, -1.25);
    ASSERT_TRUE(EncodeDateTime(1900, 1, 1, 0, 0, 0, 0, moment));
    EXPECT_EQ(moment, 2.0);

    moment = 99;
    EXPECT_FALSE(EncodeDateTime(2001, 2, 29, 0, 0, 0, 0, moment));
    EXPECT_FALSE(EncodeDateTime(2001, 1, 1, 24, 0, 0, 0, moment));
    EXPECT_FALSE(EncodeDateTime(0, 1, 1, 0, 0, 0, 0, moment));
    EXPECT_FALSE(EncodeDateTime(10000, 1, 1, 0, 0, 0, 0, moment));
    EXPECT_FALSE(EncodeDateTime(2001, 1, 1, 0, 0, 0, -1, moment));
    EXPECT_EQ(moment, 99);
}

TEST(DateTime, DecodeFollowsSignConvention)
{
    QDate date;
    QTime time;
    ASSERT_TRUE(DecodeDateTime(-1.25, date, time));
    EXPECT_EQ(date, QDate(1899, 12, 29));
    EXPECT_EQ(time, QTime(6, 0));
    ASSERT_TRUE(DecodeDateTime(-0.25, date, time));
    EXPECT_EQ(date, QDate(1899, 12, 30));
    EXPECT_EQ(time, QTime(6, 0));
    // Rounding up to midnight moves to the next calendar day on both sides of zero.
    ASSERT_TRUE(DecodeDateTime(1.9999999999, date, time));
    EXPECT_EQ(date, QDate(1900, 1, 1));
    EXPECT_EQ(time, QTime(0, 0));
    ASSERT_TRUE(DecodeDateTime(-1.9999999999, date, time));
    EXPECT_EQ(date, QDate(1899, 12, 30));
    EXPECT_EQ(time, QTime(0, 0));

    for (const double bad :
        { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
            -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2958466.0, -693594.0 })
        EXPECT_FALSE(DecodeDateTime(bad, date, time)) << bad;
}

TEST(DateTime, ConvertsToAndFromQt)
{
    const QDateTime local = Local(2024, 7, 1, 13, 45, 30, 250);
    const TDateTime moment = DateTimeFromQt(local);
    EXPECT_EQ(DateTimeToQt(moment), local);
    EXPECT_EQ(DateTimeFromQt(local.toUTC()), moment); // always counted in local time
    EXPECT_EQ(DateTimeFromQt(Local(1899, 12, 29, 6, 0)), -1.25);
    EXPECT_EQ(DateTimeToQt(-1.25), Local(1899, 12, 29, 6, 0));

    EXPECT_EQ(DateTimeFromQt(QDateTime()), 0.0);
    EXPECT_FALSE(DateTimeToQt(std::numeric_limits<double>::quiet_NaN()).isValid());
    EXPECT_FALSE(DateTimeToQt(-std::numeric_limits<double>::infinity()).isValid());
    EXPECT_FALSE(DateTimeToQt(1e300).isValid());

    const TDateTime before = DateTimeFromQt(QDateTime::currentDateTime());
    const TDateTime now = NowDateTime();
    EXPECT_GE(now, before);
    EXPECT_LT(now - before, 1.0 / 24);
}
