#include "support/number_list.h"

#include <gtest/gtest.h>

TEST(NumberList, CleanKeepsDigitsAndSingleSpaces)
{
    EXPECT_EQ(CleanNumberList(QStringLiteral("  3,  5 ,7  ")), QStringLiteral("3 5 7"));
    EXPECT_EQ(CleanNumberList(QStringLiteral("3, 5, 7")), QStringLiteral("3 5 7"));
    // Other characters vanish without ending the number they sit in.
    EXPECT_EQ(CleanNumberList(QStringLiteral("12a3")), QStringLiteral("123"));
    EXPECT_EQ(CleanNumberList(QStringLiteral("5,,6")), QStringLiteral("56"));
    EXPECT_EQ(CleanNumberList(QStringLiteral("-4 x 9")), QStringLiteral("4 9"));
    EXPECT_EQ(CleanNumberList(QString::fromUtf16(u"\u0663 4\t5")), QStringLiteral("45"));
    EXPECT_EQ(CleanNumberList(QStringLiteral("abc")), QString());
    EXPECT_EQ(CleanNumberList(QString()), QString());
}

TEST(NumberList, CountNumbersCountsSpaces)
{
    EXPECT_EQ(CountNumbers(QString()), 0);
    EXPECT_EQ(CountNumbers(QStringLiteral("17")), 1);
    EXPECT_EQ(CountNumbers(QStringLiteral("3 5 7")), 3);
}

TEST(NumberList, NumberInListMatchesWholeNumbers)
{
    EXPECT_TRUE(NumberInList(5, QStringLiteral("3 5 7")));
    EXPECT_FALSE(NumberInList(5, QStringLiteral("3 15 7")));
    EXPECT_TRUE(NumberInList(5, QStringLiteral("5")));
    EXPECT_TRUE(NumberInList(7, QStringLiteral("3 5 7")));
    EXPECT_TRUE(NumberInList(3, QStringLiteral("3 5 7")));
    EXPECT_TRUE(NumberInList(5, QStringLiteral("55 15 51 5")));
    EXPECT_FALSE(NumberInList(5, QStringLiteral("55 15 51")));
    EXPECT_FALSE(NumberInList(5, QString()));
    EXPECT_TRUE(NumberInList(-2, QStringLiteral("1 -2")));
}
