// Settings numbers: the forms sscanf's "%d" and "%d, %d" accept, with a
// defined result for numbers that do not fit an int.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/number_parse.h"

namespace {

struct PairCase {
    const char* text;
    int count;
    int first;
    int second;
};

}  // namespace

TEST(NumberScanPair, AcceptsWhatTheSettingsFormatAccepts)
{
    const PairCase cases[] = {
        {"4, 4", 2, 4, 4},       {"4,4", 2, 4, 4},           {"10,   12 and more", 2, 10, 12},
        {"-3, 500", 2, -3, 500}, {" \t+7,\r\n-8", 2, 7, -8}, {"007, 010", 2, 7, 10},
        {"4 , 4", 1, 4, 0},  // a space before the comma ends the match
        {"12", 1, 12, 0},        {"12,", 1, 12, 0},          {"4,,4", 1, 4, 0},
        {"4, +", 1, 4, 0},       {"4, - 4", 1, 4, 0},        {"", 0, 0, 0},
        {"   ", 0, 0, 0},        {"abc", 0, 0, 0},           {"-", 0, 0, 0},
        {"- 4, 4", 0, 0, 0},     {"+-4, 4", 0, 0, 0},        {"x4, 4", 0, 0, 0},
    };
    for (const PairCase& c : cases) {
        int first = 0, second = 0;
        EXPECT_EQ(c.count, NumberScanPair(c.text, &first, &second)) << '"' << c.text << '"';
        if (c.count >= 1) {
            EXPECT_EQ(c.first, first) << '"' << c.text << '"';
        }
        if (c.count == 2) {
            EXPECT_EQ(c.second, second) << '"' << c.text << '"';
        }
    }
}

TEST(NumberScanPair, SaturatesNumbersBeyondTheIntRange)
{
    int first = 0, second = 0;
    EXPECT_EQ(2, NumberScanPair("99999999999, -99999999999", &first, &second));
    EXPECT_EQ(INT_MAX, first);
    EXPECT_EQ(INT_MIN, second);
    EXPECT_EQ(2, NumberScanPair("2147483647,-2147483648", &first, &second));
    EXPECT_EQ(INT_MAX, first);
    EXPECT_EQ(INT_MIN, second);
    EXPECT_EQ(2, NumberScanPair("2147483648,-2147483649", &first, &second));
    EXPECT_EQ(INT_MAX, first);
    EXPECT_EQ(INT_MIN, second);
    // A run of digits far longer than any integer type, then the comma.
    const std::string huge = std::string(1000, '9') + ", " + std::string(1000, '0') + "5";
    EXPECT_EQ(2, NumberScanPair(huge.c_str(), &first, &second));
    EXPECT_EQ(INT_MAX, first);
    EXPECT_EQ(5, second);
}

TEST(NumberScanInt, ReadsOneLeadingNumber)
{
    int value = -1;
    EXPECT_EQ(1, NumberScanInt("1", &value));
    EXPECT_EQ(1, value);
    EXPECT_EQ(1, NumberScanInt("  -0012abc", &value));
    EXPECT_EQ(-12, value);
    EXPECT_EQ(1, NumberScanInt("7, 8", &value));
    EXPECT_EQ(7, value);
    EXPECT_EQ(1, NumberScanInt("+0", &value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(1, NumberScanInt("-99999999999999999999999", &value));
    EXPECT_EQ(INT_MIN, value);
    value = 42;
    EXPECT_EQ(0, NumberScanInt("yes", &value));
    EXPECT_EQ(0, NumberScanInt("", &value));
    EXPECT_EQ(0, NumberScanInt("+", &value));
    EXPECT_EQ(0, NumberScanInt(nullptr, &value));
    EXPECT_EQ(42, value);  // untouched when nothing was read
}
