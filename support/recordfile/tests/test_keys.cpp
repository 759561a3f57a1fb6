// Key text <-> key value conversions of the index files.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace zentar;

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (reference
// computation, independent of the library's tables).
int64_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

double valueOf(const unsigned char v[8])
{
    double d;
    std::memcpy(&d, v, 8);
    return d;
}

}  // namespace

TEST(DateKeys, EveryDayOfTheCenturyRoundTrips)
{
    static const int monthLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int days = 0;
    for (int y = 1900; y <= 1999; ++y)
        for (int m = 1; m <= 12; ++m) {
            int last = monthLength[m - 1] + (m == 2 && isLeapYear(y));
            for (int d = 1; d <= last; ++d) {
                char text[16];
                std::snprintf(text, sizeof text, "%04d%02d%02d", y, m, d);
                unsigned char v[8];
                ASSERT_EQ(keyTextToValue(text, 'D', v), 0) << text;
                const double julian = double(daysFromCivil(y, m, d) + 2440588);
                ASSERT_EQ(valueOf(v), julian) << text;
                char back[16] = "x";
                ASSERT_EQ(keyValueToText(v, 0, 'd', back), 0) << text;
                ASSERT_STREQ(back, text);
                ++days;
            }
        }
    EXPECT_EQ(days, 36524);
}

TEST(DateKeys, EdgesAndRefusals)
{
    unsigned char v[8];
    ASSERT_EQ(keyTextToValue("19040229", 'D', v), 0);
    EXPECT_EQ(valueOf(v), 2416540.0);
    ASSERT_EQ(keyTextToValue("19000101", 'D', v), 0);
    EXPECT_EQ(valueOf(v), 2415021.0);
    ASSERT_EQ(keyTextToValue("19991231", 'D', v), 0);
    EXPECT_EQ(valueOf(v), 2451544.0);
    ASSERT_EQ(keyTextToValue("20050101", 'D', v), 0) << "only YY is read: 1905";
    EXPECT_EQ(valueOf(v), double(daysFromCivil(1905, 1, 1) + 2440588));

    const char* refused[] = {"19000229", "19010229", "19040230", "19990431", "19990631", "19990931",
                             "19991131", "19991301", "19990001", "19990100", "19990132", "19x90101",
                             "1999010", "", "1999 101"};
    for (const char* t : refused) {
        std::memset(v, 0xAB, sizeof v);
        EXPECT_EQ(keyTextToValue(t, 'D', v), 1) << t;
        EXPECT_EQ(v[0], 0xAB) << "output untouched for " << t;
    }

    char text[16] = "x";
    double out = 2451545;   // 1 January 2000
    std::memcpy(v, &out, 8);
    EXPECT_EQ(keyValueToText(v, 0, 'D', text), 1);
    EXPECT_STREQ(text, "");
    out = 2415020;
    std::memcpy(v, &out, 8);
    EXPECT_EQ(keyValueToText(v, 0, 'D', text), 1);
    out = 2416540.75;   // truncated to the day
    std::memcpy(v, &out, 8);
    EXPECT_EQ(keyValueToText(v, 0, 'D', text), 0);
    EXPECT_STREQ(text, "19040229");
    EXPECT_EQ(julianToDateText(2416481, text), 0);
    EXPECT_STREQ(text, "19040101") << "remainder 0 in a leap year";
    EXPECT_EQ(julianToDateText(2416846, text), 0);
    EXPECT_STREQ(text, "19041231") << "day 0 of January after a leap year";
    EXPECT_EQ(julianToDateText(2416512, text), 0);
    EXPECT_STREQ(text, "19040201") << "day 32 of January in a leap year";
}

TEST(NumericKeys, TextToValue)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"42", 42}, {" \t-12.5", -12.5}, {"+007.25x", 7.25}, {"", 0}, {"abc", 0}, {"3.", 3}, {"-0.125", -0.125},
    };
    for (const auto& c : cases) {
        unsigned char v[8];
        EXPECT_EQ(keyTextToValue(c.text, 'N', v), 0) << c.text;
        EXPECT_DOUBLE_EQ(valueOf(v), c.value) << c.text;
    }
}

TEST(NumericKeys, ValueToText)
{
    struct Case {
        double value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {9.996, 2, "10.00"}, {0.009, 2, "0.01"},  {0.0001, 2, "0.00"}, {0, 3, "0.000"},
        {0, 0, "0"},         {-3.5, 0, "-4"},     {123.456, 60, "123.46"}, {1.0, 0, "1"},
        {2.0, 3, "2.000"},   {-0.25, 1, "-0.3"},  {99.95, 1, "100.0"},  {1234567.0, 2, "1234567.00"},
        {0.5, 0, "1"},
    };
    for (const auto& c : cases) {
        unsigned char v[8];
        std::memcpy(v, &c.value, 8);
        char text[80] = "x";
        EXPECT_EQ(keyValueToText(v, c.decimals, 'N', text), 0) << c.value;
        EXPECT_STREQ(text, c.text) << c.value << " with " << c.decimals;
    }
    double huge = 1e63;
    unsigned char v[8];
    std::memcpy(v, &huge, 8);
    char text[80];
    EXPECT_EQ(keyValueToText(v, 2, 'N', text), 1);
}
