// Protects the number readings used for reply items and field texts.
#include "text/Numbers.h"

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

TEST(Numbers, OverflowSaturatesInsteadOfWrapping)
{
    EXPECT_EQ(strictInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(leadingInt("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(strictInt("2147483647"), INT_MAX);
    EXPECT_EQ(strictInt("-2147483648"), INT_MIN);
}
