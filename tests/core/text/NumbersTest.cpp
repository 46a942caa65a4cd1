// Protects the number readings used for reply items and field texts.
#include "text/Numbers.h"

#include <QString>

#include <gtest/gtest.h>

#include <climits>

using namespace kvmt;

TEST(Numbers, StrictNeedsTheWholeText)
{
    EXPECT_EQ(strictInt("42"), 42);
    EXPECT_EQ(strictInt("-7"), -7);
    EXPECT_EQ(strictInt("+7"), 7);
    EXPECT_FALSE(strictInt(""));
    EXPECT_FALSE(strictInt("1 "));
    EXPECT_FALSE(strictInt(" 1"));
    EXPECT_FALSE(strictInt("1a"));
    EXPECT_FALSE(strictInt("-"));
}

TEST(Numbers, LeadingTakesTheDigitsAtTheStart)
{
    EXPECT_EQ(leadingInt("12abc"), 12);
    EXPECT_EQ(leadingInt("  -3;"), -3);
    EXPECT_FALSE(leadingInt("abc"));
    EXPECT_FALSE(leadingInt(""));
    EXPECT_EQ(leadingIntOr0("x"), 0);
    qsizetype used = 0;
    EXPECT_EQ(leadingInt(" 1.44", &used), 1);
    EXPECT_EQ(used, 2);
}

TEST(Numbers, OutOfRangeOrMalformedIsNoNumber)
{
    EXPECT_FALSE(strictInt("99999999999999999999"));
    EXPECT_FALSE(leadingInt("-99999999999999999999"));
    EXPECT_FALSE(strictInt("2147483648"));
    EXPECT_EQ(strictInt("2147483647"), INT_MAX);
    EXPECT_EQ(strictInt("-2147483648"), INT_MIN);
    // Field texts: the same rule, and the decimal reader of the coordinates.
    for (const char16_t *text : {u"99999999999", u"1e2", u" 500", u"500 ", u"５"})
        EXPECT_FALSE(strictInt(QStringView(text))) << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(strictInt(QStringView(u"-500")), -500);
    EXPECT_EQ(decimalNumber(u"-55.75"), -55.75);
    EXPECT_EQ(decimalNumber(u"7."), 7.0);
    for (const char16_t *text : {u"1e2", u" 50", u"12,5", u".", u"1.2.3", u""})
        EXPECT_FALSE(decimalNumber(text)) << QString::fromUtf16(text).toStdString();
    EXPECT_FALSE(decimalNumber(QString(400, u'9'))) << "beyond a double";
}
