#include <gtest/gtest.h>

#include <climits>

#include "protocol/decimal_argument.h"

TEST(DecimalArgument, ReadsLikeScanfPercentD)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42},          {"  -17xyz", -17},        {"+5", 5},        {"\t\n\v\f\r 8", 8},
        {"007", 7},          {"12.9", 12},             {"0x10", 0},      {"-0", 0},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
    };
    for (const auto& c : cases) {
        int value = 12345;
        EXPECT_TRUE(ReadDecimal(c.text, &value)) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
    }
}

TEST(DecimalArgument, TextWithoutANumberLeavesTheValueAlone)
{
    for (const char* text : {"", "abc", "-", "+", "- 5", " ", "\xe9" "5"}) {
        int value = 12345;
        EXPECT_FALSE(ReadDecimal(text, &value)) << text;
        EXPECT_EQ(value, 12345) << text;
    }
}

TEST(DecimalArgument, OutOfRangeSaturates)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"2147483648", INT_MAX},
        {"99999999999999999999999999", INT_MAX},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) {
        int value = 0;
        EXPECT_TRUE(ReadDecimal(c.text, &value)) << c.text;
        EXPECT_EQ(value, c.expected) << c.text;
    }
}
