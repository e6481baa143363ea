#include "support/record_text.h"

#include <gtest/gtest.h>
#include <limits>

TEST(RecordText, TextToIntegerTakesSignAndDigitsOnly)
{
    int number = 0;
    EXPECT_TRUE(TextToInteger(u"+5", number));
    EXPECT_EQ(number, 5);
    EXPECT_TRUE(TextToInteger(u"-007", number));
    EXPECT_EQ(number, -7);
    EXPECT_TRUE(TextToInteger(u"2147483647", number));
    EXPECT_EQ(number, std::numeric_limits<int>::max());
    EXPECT_TRUE(TextToInteger(u"-2147483648", number));
    EXPECT_EQ(number, std::numeric_limits<int>::min());

    number = 42;
    for (const char16_t* bad : { u"", u"+", u"-", u" 5", u"5 ", u"0x10", u"1e3", u"12a", u"2147483648",
             u"-2147483649", u"99999999999999999999999", u"\u0663", u"--1" })
        EXPECT_FALSE(TextToInteger(bad, number)) << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(number, 42);
}

TEST(RecordText, ReadKeyValueMatchesKeyAndOneSeparator)
{
    QString value = QStringLiteral("old");
    EXPECT_TRUE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral("Priority=5"), value));
    EXPECT_EQ(value, QStringLiteral("5"));
    EXPECT_TRUE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral("Priority 5"), value));
    EXPECT_EQ(value, QStringLiteral("5"));
    EXPECT_TRUE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral("Priority"), value));
    EXPECT_EQ(value, QString());
    // Only the one separator goes; the rest is kept as it stands.
    EXPECT_TRUE(ReadKeyValue(QStringLiteral("Comment"), QStringLiteral("Comment=  a = b "), value));
    EXPECT_EQ(value, QStringLiteral("  a = b "));
    EXPECT_TRUE(
        ReadKeyValue(QStringLiteral("Content Directory"), QStringLiteral("ContentDirectory=C:\\x"), value));
    EXPECT_EQ(value, QStringLiteral("C:\\x"));

    value = QStringLiteral("old");
    EXPECT_FALSE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral("Priority5"), value));
    EXPECT_FALSE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral("PriorityX=5"), value));
    EXPECT_FALSE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral("priority=5"), value));
    EXPECT_FALSE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral(" Priority=5"), value));
    EXPECT_FALSE(ReadKeyValue(QStringLiteral("Priority"), QStringLiteral("Prio"), value));
    EXPECT_EQ(value, QStringLiteral("old"));
}

TEST(RecordText, ReadKeyIntegerAndBooleanNeedWholeNumbers)
{
    int number = 9;
    EXPECT_TRUE(ReadKeyInteger(QStringLiteral("Priority"), QStringLiteral("Priority=-3"), number));
    EXPECT_EQ(number, -3);
    EXPECT_FALSE(ReadKeyInteger(QStringLiteral("Priority"), QStringLiteral("Priority"), number));
    EXPECT_FALSE(ReadKeyInteger(QStringLiteral("Priority"), QStringLiteral("Priority= 5"), number));
    EXPECT_FALSE(ReadKeyInteger(QStringLiteral("Priority"), QStringLiteral("Priority=5x"), number));
    EXPECT_EQ(number, -3);

    bool flag = false;
    EXPECT_TRUE(ReadKeyBoolean(QStringLiteral("Range"), QStringLiteral("Range=1"), flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(ReadKeyBoolean(QStringLiteral("Range"), QStringLiteral("Range 0"), flag));
    EXPECT_FALSE(flag);
    EXPECT_FALSE(ReadKeyBoolean(QStringLiteral("Range"), QStringLiteral("Range=2"), flag));
    EXPECT_FALSE(ReadKeyBoolean(QStringLiteral("Range"), QStringLiteral("Range=-1"), flag));
    EXPECT_FALSE(ReadKeyBoolean(QStringLiteral("Range"), QStringLiteral("Range=yes"), flag));
    EXPECT_FALSE(flag);
}

TEST(RecordText, TakeNumberCutsLeadingToken)
{
    QString text = QStringLiteral("12 x  -4");
    EXPECT_EQ(TakeNumber(text), 12);
    EXPECT_EQ(text, QStringLiteral("x  -4"));
    EXPECT_EQ(TakeNumber(text), 1); // a bad token counts as 1
    EXPECT_EQ(text, QStringLiteral(" -4"));
    EXPECT_EQ(TakeNumber(text), 1); // a leading space makes the whole rest one token
    EXPECT_EQ(text, QString());
    EXPECT_EQ(TakeNumber(text), 0);

    text = QStringLiteral("-4");
    EXPECT_EQ(TakeNumber(text), -4);
    EXPECT_TRUE(text.isEmpty());
}

TEST(RecordText, TakeNumberStaysLinearOnLongLists)
{
    QStringList numbers;
    for (int i = 0; i < 300'000; ++i)
        numbers.append(QString::number(i % 1000));
    QString text = numbers.join(u' ');
    qint64 sum = 0;
    int count = 0;
    while (!text.isEmpty()) {
        sum += TakeNumber(text);
        ++count;
    }
    EXPECT_EQ(count, 300'000);
    EXPECT_EQ(sum, qint64(1000) * 999 / 2 * 300);
}

TEST(RecordText, DateTimeWrittenAsSevenNumbers)
{
    TDateTime moment = 0;
    ASSERT_TRUE(EncodeDateTime(1999, 3, 7, 14, 5, 0, 120, moment));
    EXPECT_EQ(DateTimeToRecordText(moment), QStringLiteral("1999 3 7 14 5 0 120"));
    // Durations are moments near day zero.
    EXPECT_EQ(DateTimeToRecordText(90.0 / (24 * 60)), QStringLiteral("1899 12 30 1 30 0 0"));
    EXPECT_EQ(DateTimeToRecordText(26.0 / 24), QStringLiteral("1899 12 31 2 0 0 0"));
    EXPECT_EQ(DateTimeToRecordText(-1.25), QStringLiteral("1899 12 29 6 0 0 0"));
    // What is no moment still writes a text that reads back.
    EXPECT_EQ(
        DateTimeToRecordText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("1899 12 30 0 0 0 0"));
    EXPECT_EQ(DateTimeToRecordText(std::numeric_limits<double>::infinity()),
        QStringLiteral("9999 12 31 23 59 59 999"));
    EXPECT_EQ(DateTimeToRecordText(-1e300), QStringLiteral("1 1 1 0 0 0 0"));
}

TEST(RecordText, RecordTextToDateTimeReadsOrRefuses)
{
    TDateTime moment = 0;
    TDateTime expected = 0;
    ASSERT_TRUE(EncodeDateTime(1999, 3, 7, 14, 5, 1, 120, expected));
    EXPECT_TRUE(RecordTextToDateTime(QStringLiteral("1999 3 7 14 5 x 120"), moment));
    EXPECT_EQ(moment, expected);

    // Numbers that make no moment leave it as it was instead of failing loudly.
    for (const char* bad : { "", "1999 13 1 0 0 0 0", "1999 2 30 0 0 0 0", "1999 1 40 0 0 0 0",
             "1999 1 1 25 0 0 0", "1999 1 1 0 60 0 0", "1999 1 1 0 0 0 1000", "-5 1 1 0 0 0 0",
             "0 1 1 0 0 0 0", "10000 1 1 0 0 0 0", "1999 -1 1 0 0 0 0" })
        EXPECT_FALSE(RecordTextToDateTime(QString::fromLatin1(bad), moment)) << bad;
    EXPECT_EQ(moment, expected);

    EXPECT_TRUE(ReadKeyDateTime(QStringLiteral("TimeAdd"), QStringLiteral("TimeAdd="), moment));
    EXPECT_TRUE(
        ReadKeyDateTime(QStringLiteral("TimeAdd"), QStringLiteral("TimeAdd=1999 99 1 0 0 0 0"), moment));
    EXPECT_EQ(moment, expected);
    EXPECT_TRUE(ReadKeyDateTime(QStringLiteral("Edited"), QStringLiteral("Edited 2001 1 2 3 4 5 6"), moment));
    EXPECT_EQ(DateTimeToRecordText(moment), QStringLiteral("2001 1 2 3 4 5 6"));
}

TEST(RecordText, MillisecondsSurviveRoundTrip)
{
    const int days[][3]
        = { { 1, 1, 1 }, { 1899, 12, 29 }, { 1899, 12, 30 }, { 2024, 2, 29 }, { 9999, 12, 31 } };
    for (const auto& day : days) {
        for (int ms = 0; ms < 1000; ms += 7) {
            for (const int hour : { 0, 23 }) {
                TDateTime moment = 0;
                ASSERT_TRUE(EncodeDateTime(day[0], day[1], day[2], hour, 59, 59, ms, moment));
                const QString text = DateTimeToRecordText(moment);
                EXPECT_EQ(text,
                    QStringLiteral("%1 %2 %3 %4 59 59 %5")
                        .arg(day[0])
                        .arg(day[1])
                        .arg(day[2])
                        .arg(hour)
                        .arg(ms));
                TDateTime back = 0;
                ASSERT_TRUE(RecordTextToDateTime(text, back));
                EXPECT_EQ(back, moment) << text.toStdString();
            }
        }
    }
}

TEST(RecordText, SceneLinesAndFlags)
{
    EXPECT_EQ(BooleanText(true), QStringLiteral("1"));
    EXPECT_EQ(BooleanText(false), QStringLiteral("0"));
    EXPECT_EQ(SceneLine(QStringLiteral("Frame Size"), QStringLiteral(" 640 480")),
        QStringLiteral("FrameSize  640 480"));
    EXPECT_EQ(SceneLineInteger(QStringLiteral("First Frame"), -3), QStringLiteral("FirstFrame -3"));
    EXPECT_EQ(
        SceneLineBoolean(QStringLiteral("Ray Trace Shadows"), true), QStringLiteral("RayTraceShadows 1"));
}
