// Text and path helpers of the readers.
#include "kstextutil.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

int sign(int x)
{
    return (x > 0) - (x < 0);
}

const size_t npos = std::wstring::npos;

}  // namespace

TEST(TextUtil, JoinPath)
{
    struct Case {
        const wchar_t* base;
        const wchar_t* part;
        const wchar_t* joined;
    } const cases[] = {
        {L"C:\\data\\\\", L"\\\\sub", L"C:\\data/sub"},
        {L"C:\\data\\\\", L"", L"C:\\data"},
        {L"/data//", L"//sub/x", L"/data/sub/x"},
        {L"/data", L"sub", L"/data/sub"},
        {L"/", L"sub", L"//sub"},  // the first character always stays
        {L"\\", L"", L"\\"},
        {L"", L"sub", L"/sub"},
        {L"", L"", L""},
        {L"/data", L"/", L"/data/"},  // a part of separators only adds the separator
    };
    for (const auto& c : cases) {
        std::wstring base = c.base;
        std::wstring& r = JoinPath(base, c.part);
        EXPECT_EQ(&r, &base);
        EXPECT_EQ(base, c.joined) << "base " << c.base << " part " << c.part;
    }
}

TEST(TextUtil, CompareNoCase)
{
    struct Case {
        std::wstring a, b;
        int sign;
    } const cases[] = {
        {L"abc", L"ABD", -1},
        {L"ab", L"AB", 0},
        {L"ab", L"abc", -1},
        {L"abc", L"ab", 1},
        {L"", L"", 0},
        {L"", L"a", -1},
        {L"b", L"A", 1},
        {L"Data", L"dATA", 0},
        {std::wstring(L"ab\0", 3), L"ab", 1},  // an embedded zero still orders the texts
        {L"a", L"a\x10FFFF", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sign(CompareNoCase(c.a, c.b)), c.sign) << c.a << " / " << c.b;
    // The difference of the upper-cased characters is the answer.
    EXPECT_EQ(CompareNoCase(L"abc", L"ABD"), L'C' - L'D');
    EXPECT_EQ(CompareNoCase(L"abc", L"ab"), L'c');
    EXPECT_EQ(CompareNoCase(L"ab", L"abc"), -L'c');
}

// Accented capitals fold and convert the same in every process locale
// (the "C" locale of a program that never calls setlocale included).
TEST(TextUtil, CaseOfNonAsciiLettersInEveryLocale)
{
    for (const char* loc : {"C", "C.UTF-8"}) {
        if (!std::setlocale(LC_ALL, loc))
            continue;
        EXPECT_EQ(CompareNoCase(L"\u00E9t\u00E9", L"\u00C9T\u00C9"), 0) << loc;
        EXPECT_EQ(CompareNoCase(L"\u0436", L"\u0416"), 0) << loc;
        EXPECT_LT(CompareNoCase(L"\u00E9", L"\u00FF"), 0) << loc;
        std::wstring t = L"d\u00E9j\u00E0 vu";
        EXPECT_EQ(ToUpper(t), L"D\u00C9J\u00C0 VU") << loc;
        EXPECT_EQ(ToLower(t), L"d\u00E9j\u00E0 vu") << loc;
    }
    std::setlocale(LC_ALL, "C");
}

TEST(TextUtil, ToWideZeroExtends)
{
    std::wstring out = L"old";
    EXPECT_EQ(&ToWide("\xE9t\xE9", out), &out);
    EXPECT_EQ(out, (std::wstring{wchar_t(0xE9), L't', wchar_t(0xE9)}));
    const char all[] = "\x01\x7f\x80\xff";
    ToWide(all, out);
    EXPECT_EQ(out, (std::wstring{wchar_t(0x01), wchar_t(0x7F), wchar_t(0x80), wchar_t(0xFF)}));

    struct Case {
        int count;
        const wchar_t* expected;
    } const cases[] = {{-1, L"abc"}, {0, L""}, {2, L"ab"}, {3, L"abc"}, {10, L"abc"}};
    const char text[] = "abc\0def";  // never past the terminator
    for (const auto& c : cases)
        EXPECT_EQ(ToWide(text, out, c.count), c.expected) << c.count;
    // Counted input needs no terminator within the count.
    const char unterminated[2] = {'x', 'y'};
    EXPECT_EQ(ToWide(unterminated, out, 2), L"xy");
    EXPECT_EQ(ToWide(nullptr, out), L"");
}

TEST(TextUtil, WideToNarrow)
{
    char buffer[16];
    std::memset(buffer, 'z', sizeof buffer);
    const std::wstring text = {L'a', wchar_t(0xE9), wchar_t(0x141), L'b'};
    EXPECT_EQ(WideToNarrow(text, buffer), buffer);
    EXPECT_EQ(std::string(buffer), "a\xE9\x41" "b");  // the low byte of each character
    std::memset(buffer, 'z', sizeof buffer);
    WideToNarrow(text, buffer, 2);
    EXPECT_EQ(std::string(buffer, 3), std::string("a\xE9\0", 3));
    EXPECT_EQ(buffer[3], 'z');
    WideToNarrow(text, buffer, 0);
    EXPECT_EQ(buffer[0], '\0');
    WideToNarrow(L"ab", buffer, 10);  // at most the text
    EXPECT_EQ(std::string(buffer), "ab");
}

TEST(TextUtil, Tokenize)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* delimiters;
        std::vector<std::wstring> tokens;
    } const cases[] = {
        {L"a,,b", L",", {L"a", L"b"}},
        {L",a", L",", {L"", L"a"}},
        {L",,a", L",", {L"", L"a"}},
        {L"a,", L",", {L"a"}},
        {L"a", L",", {L"a"}},
        {L"x y\tz", L" \t", {L"x", L"y", L"z"}},
        {L"abc", L"", {L"abc"}},
        {L",", L",", {L""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        size_t position = 0;
        std::wstring token;
        std::vector<std::wstring> got;
        while (Tokenize(c.text, c.delimiters, position, token) && got.size() < 10)
            got.push_back(token);
        EXPECT_EQ(got, c.tokens);
    }
    std::wstring token = L"keep";
    size_t position = 0;
    EXPECT_FALSE(Tokenize(L"", L",", position, token));
    EXPECT_EQ(token, L"keep");
    position = 4;
    EXPECT_FALSE(Tokenize(L"abc", L",", position, token));
    // At the end of the text: an empty token, then false.
    position = 3;
    ASSERT_TRUE(Tokenize(L"abc", L",", position, token));
    EXPECT_EQ(token, L"");
    EXPECT_EQ(position, 4u);
    EXPECT_FALSE(Tokenize(L"abc", L",", position, token));
    // Starting in the middle.
    position = 2;
    ASSERT_TRUE(Tokenize(L"a,bc,d", L",", position, token));
    EXPECT_EQ(token, L"bc");
    EXPECT_EQ(position, 5u);
}

TEST(TextUtil, Trim)
{
    struct Case {
        std::wstring text;
        std::wstring trimmed;
    } const cases[] = {
        {L"  a b \t\r\n", L"a b"},
        {L"a", L"a"},
        {L" \t\n ", L""},
        {L"", L""},
        {std::wstring(L"\0 a ", 4), std::wstring(L"\0 a", 3)},  // leading scan stops at the zero
        {std::wstring(L" \0a", 3), std::wstring(L"\0a", 2)},
    };
    for (const auto& c : cases) {
        std::wstring t = c.text;
        EXPECT_EQ(Trim(t), c.trimmed.size());
        EXPECT_EQ(t, c.trimmed);
    }
}

TEST(TextUtil, CaseMapping)
{
    std::wstring t = L"Spec.Txt 1";
    EXPECT_EQ(&ToUpper(t), &t);
    EXPECT_EQ(t, L"SPEC.TXT 1");
    EXPECT_EQ(ToLower(t), L"spec.txt 1");
}

TEST(TextUtil, FindNoCase)
{
    struct Case {
        std::wstring text, pattern;
        size_t start;
        size_t found;
    } const cases[] = {
        {L"xxAbCx", L"abc", 0, 2},
        {L"aaab", L"aab", 0, 1},  // overlapping partial match
        {L"ababac", L"abac", 0, 2},
        {L"aXaXaXb", L"aXaXb", 0, 2},
        {L"abcabc", L"ABC", 1, 3},
        {L"abcabc", L"abc", 3, 3},
        {L"abcabc", L"abc", 4, npos},
        {L"abc", L"abc", 3, npos},   // start at the end
        {L"abc", L"abc", 99, npos},
        {L"ab", L"abc", 0, npos},
        {L"abc", L"", 0, npos},
        {L"", L"a", 0, npos},
        {L"\xE9t\xC9", L"\xC9", 0, 2},  // only ASCII letters are folded
        {L"\xE9t", L"\xC9", 0, npos},
        {L"data.TXT", L".txt", 0, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindNoCase(c.text, c.pattern, c.start), c.found)
            << c.text << " / " << c.pattern << " from " << c.start;
}

TEST(TextUtil, SwapBytes4)
{
    const unsigned char in[4] = {0x01, 0x02, 0x03, 0x04};
    unsigned char src[4], dst[4] = {0, 0, 0, 0};
    std::memcpy(src, in, 4);
    SwapBytes4(src, dst);
    EXPECT_EQ(0, std::memcmp(src, in, 4));
    const unsigned char swapped[4] = {0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(0, std::memcmp(dst, swapped, 4));
    SwapBytes4(src);
    EXPECT_EQ(0, std::memcmp(src, swapped, 4));
    // Unaligned source and destination.
    unsigned char buffer[9] = {0, 1, 2, 3, 4, 0, 0, 0, 0};
    SwapBytes4(buffer + 1, buffer + 5);
    EXPECT_EQ(buffer[5], 4);
    EXPECT_EQ(buffer[8], 1);
}

TEST(TextUtil, ClampToFloat)
{
    const double fmax = 3.4028234663852886e+38;
    EXPECT_EQ(static_cast<double>(ClampToFloat(1e39)), fmax);
    EXPECT_EQ(static_cast<double>(ClampToFloat(-1e39)), -fmax);
    EXPECT_EQ(static_cast<double>(ClampToFloat(std::numeric_limits<double>::infinity())), fmax);
    EXPECT_EQ(static_cast<double>(ClampToFloat(fmax)), fmax);
    EXPECT_EQ(ClampToFloat(0.1), 0.1f);
    EXPECT_NE(static_cast<double>(ClampToFloat(0.1)), 0.1);  // rounded to single precision
    EXPECT_TRUE(std::isnan(ClampToFloat(std::numeric_limits<double>::quiet_NaN())));
}

TEST(TextUtil, FormatWide)
{
    std::wstring out = L"old";
    EXPECT_EQ(FormatWide(out, L"%ls-%d-%.2f", L"a\xE9", 42, 1.5), 10);
    EXPECT_EQ(out, L"a\xE9-42-1.50");
    // Longer results are cut at 1024 characters.
    const std::wstring big(5000, L'x');
    EXPECT_EQ(FormatWide(out, L"<%ls>", big.c_str()), 1024);
    EXPECT_EQ(out, L"<" + std::wstring(1023, L'x'));
    EXPECT_EQ(FormatWide(out, L"%ls", std::wstring(1024, L'y').c_str()), 1024);
    EXPECT_EQ(FormatWide(out, L""), 0);
    EXPECT_EQ(out, L"");
}
