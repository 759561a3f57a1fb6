// Field text conversions and the number formatters.
#include "ztest.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace zt;

TEST(FieldText, AtofldCases)
{
    struct Case {
        const char* text;
        int width, decimals;
        const char* field;   // nullptr: refused, field untouched
    };
    const Case cases[] = {
        {"12.5", 8, 2, "   12.50"},
        {"-3.14159", 8, 3, "  -3.141"},
        {"0", 5, 2, " 0.00"},
        {"12.7", 4, 0, "  12"},
        {"1234567", 5, 0, nullptr},
        {"12", 4, 2, nullptr},
        {"  +42", 6, 1, "  42.0"},
        {"-0.00", 6, 2, "  0.00"},
        {"000", 3, 0, "  0"},
        {"-", 4, 0, "   0"},
        {"+", 4, 1, " 0.0"},
        {"007.25", 7, 1, "    7.2"},
        {"0.5", 5, 2, " 0.50"},
        {"00.5", 5, 2, " 0.50"},
        {"-0.5", 5, 2, "-0.50"},
        {"-007", 5, 0, " -007"},
        {"5.", 5, 2, " 5.00"},
        {"99999", 5, 0, "99999"},
        {"12345", 8, 2, "12345.00"},
        {"123456", 8, 2, nullptr},
        {"", 5, 0, nullptr},
        {"    ", 5, 0, nullptr},
        {"1.2.3", 8, 2, nullptr},
        {"--1", 5, 0, nullptr},
        {"++1", 5, 0, nullptr},
        {"-.5", 5, 2, nullptr},
        {".5", 5, 2, nullptr},
        {"12 ", 5, 0, nullptr},
        {"\t12", 5, 0, nullptr},
        {"1x", 5, 0, nullptr},
        {"1-", 5, 0, nullptr},
        {"-+1", 5, 0, nullptr},
        {"+-5", 4, 0, "  -5"},
        {"7", 0, 0, nullptr},
        {"7", 5, -1, nullptr},
        {"7", 3, 2, nullptr},   // width below decimals + 2
    };
    for (const auto& c : cases) {
        char field[40];
        std::memset(field, '#', sizeof field);
        int rc = dBatofld(c.text, c.width, c.decimals, field);
        if (c.field) {
            EXPECT_EQ(rc, 0) << '"' << c.text << '"';
            EXPECT_EQ(std::string(field, size_t(c.width)), c.field) << '"' << c.text << '"';
        } else {
            EXPECT_EQ(rc, 1) << '"' << c.text << '"';
            EXPECT_EQ(std::string(field, sizeof field), std::string(sizeof field, '#'))
                << "field untouched for \"" << c.text << '"';
        }
        EXPECT_EQ(field[c.width > 0 ? c.width : 0], '#') << "nothing past the width";
    }
}

TEST(FieldText, AtofldLooksAtSixtyFourCharacters)
{
    char field[80];
    std::string t64 = std::string(60, ' ') + "1234";
    EXPECT_EQ(dBatofld(t64.c_str(), 6, 0, field), 0);
    EXPECT_EQ(std::string(field, 6), "  1234");
    std::string t65 = std::string(61, ' ') + "1234";
    EXPECT_EQ(dBatofld(t65.c_str(), 6, 0, field), 1);
}

TEST(FieldText, FldtoaSkipsLeadingBlanks)
{
    char text[16] = "untouched";
    EXPECT_EQ(dBfldtoa("   AB", 5, text), 0);
    EXPECT_STREQ(text, "AB");
    EXPECT_EQ(dBfldtoa(" A B  ", 6, text), 0);
    EXPECT_STREQ(text, "A B  ") << "trailing blanks stay";
    std::strcpy(text, "untouched");
    EXPECT_EQ(dBfldtoa("     ", 5, text), 1);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(dBfldtoa("AB", 0, text), 1);
    EXPECT_EQ(dBfldtoa("AB", -3, text), 1);
    EXPECT_STREQ(text, "untouched");
}

TEST(FieldText, StrcpyJustifies)
{
    char f[8];
    std::memset(f, '#', sizeof f);
    dBstrcpy(f, 'r', 3, "ABCDE");
    EXPECT_EQ(std::string(f, 4), "CDE#");
    dBstrcpy(f, 'l', 3, "ABCDE");
    EXPECT_EQ(std::string(f, 4), "ABC#");
    dBstrcpy(f, 'R', 5, "AB");
    EXPECT_EQ(std::string(f, 6), "   AB#");
    dBstrcpy(f, 'x', 5, "AB");
    EXPECT_EQ(std::string(f, 6), "AB   #");
}

TEST(NumberText, Ftoa)
{
    char t[40];
    EXPECT_STREQ(ftoa(7, t, 0), "7");
    EXPECT_STREQ(ftoa(1234.5678, t, -1), "1234.567800");
    EXPECT_STREQ(ftoa(-2.5, t, 2), "-2.50");
    EXPECT_STREQ(ftoa(0.125, t, 1), "0.1") << "printf rounding, half to even on the binary value";
    EXPECT_STREQ(ftoa(1e40, t, 2), "1000000000000000030378602842700") << "cut to 31 characters";
    EXPECT_EQ(std::strlen(ftoa(-1.5e300, t, 10)), 31u);
    EXPECT_STREQ(ftoa(std::nan(""), t, 0), "nan");
}

TEST(NumberText, FormattersIgnoreTheCallersLocale)
{
    std::string why;
    const std::string comma = ks::test::makeCommaLocale(&why);
    if (comma.empty())
        GTEST_SKIP() << "no locale with a decimal comma: " << why;
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    ASSERT_NE(std::setlocale(LC_NUMERIC, comma.c_str()), nullptr);
    struct Restore {
        std::string locale;
        ~Restore() { std::setlocale(LC_NUMERIC, locale.c_str()); }
    } restore{saved};
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    char t[40];
    EXPECT_STREQ(ftoa(1.5, t, 2), "1.50");
    EXPECT_STREQ(etoa(1500, t, 1), "1.5e3");
    EXPECT_STREQ(gtoa(0.5, 3, t), "0.500");
    EXPECT_STREQ(gtoa(1234567, 3, t), "1.23e6");
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
}

TEST(NumberText, EtoaAndGtoa)
{
    struct Case {
        char kind;
        double value;
        int n;
        const char* text;
    };
    const Case cases[] = {
        {'e', 0, 2, "0.00e0"},
        {'e', 12345.678, 3, "1.235e4"},
        {'e', 0.00123, 1, "1.2e-3"},
        {'e', -12345.678, 3, "-1.235e4"},
        {'e', 9.9999, 2, "10.00e0"},   // the mantissa is formatted as it comes
        {'e', 1.5e-300, 1, "1.5e-300"},
        {'e', 42, -1, "4.200000e1"},
        {'g', 123.456, 5, "123.46"},
        {'g', 100, 5, "100"},
        {'g', 0.00001234, 3, "1.23e-5"},
        {'g', 1234567, 3, "1.23e6"},
        {'g', 0, 4, "0"},
        {'g', 0.5, 3, "0.500"},
        {'g', -2.25, 2, "-2.2"},
        {'g', 12.5, 1, "1e1"},   // above `digits` powers of ten: exponent form
        {'g', 5, 0, "5e0"},
        {'g', 7.5, 1, "8"},
        {'g', 123, 0, "1e2"},
    };
    for (const auto& c : cases) {
        char t[48];
        if (c.kind == 'e')
            etoa(c.value, t, c.n);
        else
            gtoa(c.value, c.n, t);
        EXPECT_STREQ(t, c.text) << c.kind << " " << c.value << " " << c.n;
    }
}
