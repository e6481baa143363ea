#include "support/text_routines.h"

#include <gtest/gtest.h>

namespace {

int TenPixels(const QString& text)
{
    return static_cast<int>(text.size()) * 10;
}

// Growing one character at a time, as the cut is defined.
QString FitTextByGrowing(const TTextWidth& textWidth, const QString& text, int width)
{
    qsizetype length = 1;
    while (length < text.size() && textWidth(text.left(length)) <= width)
        ++length;
    if (length >= text.size())
        return text;
    return text.left(qMax<qsizetype>(length - 3, 0)) + QStringLiteral("...");
}

} // namespace

TEST(TextRoutines, ZeroPaddedPutsSignBeforeZeros)
{
    EXPECT_EQ(ZeroPadded(7, 3), QStringLiteral("007"));
    EXPECT_EQ(ZeroPadded(1234, 3), QStringLiteral("1234"));
    EXPECT_EQ(ZeroPadded(0, 0), QStringLiteral("0"));
    EXPECT_EQ(ZeroPadded(-7, 3), QStringLiteral("-07"));
    EXPECT_EQ(ZeroPadded(-7, 1), QStringLiteral("-7"));
    EXPECT_EQ(ZeroPadded(-1234, 3), QStringLiteral("-1234"));
}

TEST(TextRoutines, ChangeIntegerStoresOnlyNewValuesInRange)
{
    int current = 5;
    EXPECT_TRUE(ChangeInteger(QStringLiteral("10"), 1, 10, current));
    EXPECT_EQ(current, 10);
    EXPECT_TRUE(ChangeInteger(QStringLiteral("1"), 1, 10, current));
    EXPECT_EQ(current, 1);
    EXPECT_FALSE(ChangeInteger(QStringLiteral("1"), 1, 10, current));
    EXPECT_FALSE(ChangeInteger(QStringLiteral("0"), 1, 10, current));
    EXPECT_FALSE(ChangeInteger(QStringLiteral("11"), 1, 10, current));
    EXPECT_FALSE(ChangeInteger(QStringLiteral("4x"), 1, 10, current));
    EXPECT_FALSE(ChangeInteger(QString(), 1, 10, current));
    EXPECT_EQ(current, 1);
}

TEST(TextRoutines, FitTextCutsWithEllipsis)
{
    const QString text = QStringLiteral("Hello World"); // 110 pixels
    EXPECT_EQ(FitText(TenPixels, text, 110), text);
    EXPECT_EQ(FitText(TenPixels, text, 109), text); // only the whole text is too wide
    EXPECT_EQ(FitText(TenPixels, text, 60), QStringLiteral("Hell..."));
    EXPECT_EQ(FitText(TenPixels, text, 35), QStringLiteral("H..."));
    // Narrower than the ellipsis itself: nothing of the text is left, never a negative cut.
    EXPECT_EQ(FitText(TenPixels, text, 25), QStringLiteral("..."));
    EXPECT_EQ(FitText(TenPixels, text, 5), QStringLiteral("..."));
    EXPECT_EQ(FitText(TenPixels, text, -10), QStringLiteral("..."));
    EXPECT_EQ(FitText(TenPixels, QString(), -10), QString());

    for (const QString& sample : { QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("abcd"), text })
        for (int width = -20; width < 130; ++width)
            EXPECT_EQ(FitText(TenPixels, sample, width), FitTextByGrowing(TenPixels, sample, width))
                << sample.toStdString() << " " << width;
}

TEST(TextRoutines, FitTextMeasuresHugeTextFewTimes)
{
    const QString text(1'000'000, u'x');
    int measured = 0;
    const TTextWidth counting = [&measured](const QString& part) {
        ++measured;
        return TenPixels(part);
    };
    EXPECT_EQ(FitText(counting, text, 1000), QString(98, u'x') + QStringLiteral("..."));
    EXPECT_LT(measured, 40);
}
