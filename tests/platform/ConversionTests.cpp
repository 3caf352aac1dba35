#include "platform/Conversions.h"

#include <gtest/gtest.h>

#include <limits>

TEST(StringConversions, FloatValueReadsTheLeadingNumber)
{
    EXPECT_FLOAT_EQ(floatValue("5.1.1"), 5.1f);
    EXPECT_FLOAT_EQ(floatValue("7.1.2"), 7.1f);
    EXPECT_FLOAT_EQ(floatValue("8.0"), 8.0f);
    EXPECT_FLOAT_EQ(floatValue("10.3"), 10.3f);
    EXPECT_FLOAT_EQ(floatValue("  6"), 6.0f);
    EXPECT_FLOAT_EQ(floatValue("-2.5x"), -2.5f);
    EXPECT_FLOAT_EQ(floatValue(".5"), 0.5f);
    EXPECT_FLOAT_EQ(floatValue("beta 9"), 0.0f);
    EXPECT_FLOAT_EQ(floatValue(""), 0.0f);
    EXPECT_FLOAT_EQ(floatValue("."), 0.0f);
    EXPECT_FLOAT_EQ(floatValue("1e2"), 100.0f);
    EXPECT_FLOAT_EQ(floatValue("3e"), 3.0f);
    EXPECT_FLOAT_EQ(floatValue("nan"), 0.0f);
}

TEST(StringConversions, IntValueTakesTheLeadingDecimalAndSaturates)
{
    EXPECT_EQ(intValue("7"), 7);
    EXPECT_EQ(intValue("  -12abc"), -12);
    EXPECT_EQ(intValue("+007"), 7);
    EXPECT_EQ(intValue("2.9"), 2);
    EXPECT_EQ(intValue("abc"), 0);
    EXPECT_EQ(intValue("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(intValue("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(intValue("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(StringConversions, BoolValueLooksAtTheFirstSignificantCharacter)
{
    for (const char* yes : { "YES", "yes", "true", "T", "1", " 007", "+3", "-5", "9", "y" })
        EXPECT_TRUE(boolValue(yes)) << yes;
    for (const char* no : { "NO", "no", "false", "0", "-0", "000", "", " ", "abc", "F" })
        EXPECT_FALSE(boolValue(no)) << no;
}

TEST(RealConversions, TruncateTowardZeroAndSaturate)
{
    EXPECT_EQ(intValueOfReal(2.9), 2);
    EXPECT_EQ(intValueOfReal(4.7), 4);
    EXPECT_EQ(intValueOfReal(-2.9), -2);
    EXPECT_EQ(intValueOfReal(1e12), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(intValueOfReal(-1e12), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(intValueOfReal(std::numeric_limits<double>::quiet_NaN()), 0);
}
