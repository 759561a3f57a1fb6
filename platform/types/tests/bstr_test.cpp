#include "ksbstr.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Bstr, NullAndEmptyAreEquivalent)
{
    BSTR empty = SysAllocString(L"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(empty), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    EXPECT_EQ(empty[0], L'\0');
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(empty);
    SysFreeString(nullptr);  // no-op
}

TEST(Bstr, LengthsCountCharactersAndRealBytes)
{
    const wchar_t text[] = {L'a', L'\0', L'b'};
    BSTR b = SysAllocStringLen(text, 3);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 3u);
    EXPECT_EQ(SysStringByteLen(b), 3 * sizeof(wchar_t));
    EXPECT_EQ(b[1], L'\0');
    EXPECT_EQ(b[2], L'b');
    EXPECT_EQ(b[3], L'\0');  // terminated
    SysFreeString(b);

    BSTR zeros = SysAllocStringLen(nullptr, 5);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(SysStringLen(zeros), 5u);
    for (int i = 0; i <= 5; ++i)
        EXPECT_EQ(zeros[i], L'\0');
    SysFreeString(zeros);

    BSTR bytes = SysAllocStringByteLen("abcde", 5);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(SysStringByteLen(bytes), 5u);
    EXPECT_EQ(SysStringLen(bytes), 5u / sizeof(wchar_t));
    EXPECT_EQ(std::memcmp(bytes, "abcde", 5), 0);
    SysFreeString(bytes);
}

TEST(Bstr, ReallocationMayReuseItsOwnText)
{
    BSTR b = SysAllocString(L"hello world");
    ASSERT_TRUE(SysReAllocStringLen(&b, b + 6, 5));
    EXPECT_STREQ(b, L"world");
    EXPECT_EQ(SysStringLen(b), 5u);
    ASSERT_TRUE(SysReAllocString(&b, b + 1));
    EXPECT_STREQ(b, L"orld");
    ASSERT_TRUE(SysReAllocString(&b, nullptr));
    EXPECT_EQ(b, nullptr);
    EXPECT_FALSE(SysReAllocString(nullptr, L"x"));
}

TEST(Bstr, FailureHookFailsExactlyTheNextAllocations)
{
    ksTestFailNextBstrAllocations(2);
    EXPECT_EQ(SysAllocString(L"a"), nullptr);
    EXPECT_EQ(SysAllocStringLen(L"a", 1), nullptr);
    BSTR ok = SysAllocString(L"kept");
    ASSERT_NE(ok, nullptr);

    ksTestFailNextBstrAllocations(1);
    EXPECT_FALSE(SysReAllocString(&ok, L"replacement"));
    EXPECT_STREQ(ok, L"kept");  // unchanged on failure
    SysFreeString(ok);

    ksTestFailNextBstrAllocations(5);
    ksTestFailNextBstrAllocations(0);  // switched off again
    BSTR again = SysAllocString(L"x");
    EXPECT_NE(again, nullptr);
    SysFreeString(again);
}
