// The growable arrays of the MFC-like helpers.
#include "ksmfcarray.h"

#include <gtest/gtest.h>

TEST(MfcArray, GrowsShrinksInsertsAndRemoves)
{
    CArray<int> a;
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_EQ(a.Add(1), 0);
    EXPECT_EQ(a.Add(2), 1);
    a.InsertAt(1, 9, 2);  // 1 9 9 2
    ASSERT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a.GetUpperBound(), 3);
    EXPECT_EQ(a[1], 9);
    EXPECT_EQ(a[3], 2);
    a.RemoveAt(1, 2);  // 1 2
    EXPECT_EQ(a.GetCount(), 2);
    a.SetSize(4);  // new elements are zero
    EXPECT_EQ(a[3], 0);
    a.SetSize(1);
    EXPECT_EQ(a.GetSize(), 1);
    a.SetAtGrow(3, 7);
    EXPECT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a.GetAt(3), 7);
    a.ElementAt(2) = 5;
    EXPECT_EQ(a.GetData()[2], 5);
    a.InsertAt(6, 8);  // past the end: grows first
    EXPECT_EQ(a.GetSize(), 7);
    EXPECT_EQ(a[6], 8);

    CArray<int> b;
    b.Copy(a);
    EXPECT_EQ(b.GetSize(), 7);
    EXPECT_EQ(b.Append(a), 7);
    EXPECT_EQ(b.Append(b), 14);
    EXPECT_EQ(b.GetSize(), 28);
    b.InsertAt(0, &a);
    EXPECT_EQ(b.GetSize(), 35);
    b.RemoveAll();
    EXPECT_TRUE(b.IsEmpty());
}

TEST(MfcArray, OutOfRangeRaisesInsteadOfCorrupting)
{
    CArray<int> a;
    a.Add(1);
    EXPECT_THROW(a.GetAt(1), std::out_of_range);
    EXPECT_THROW(a.GetAt(-1), std::out_of_range);
    EXPECT_THROW(a[5] = 1, std::out_of_range);
    EXPECT_THROW(a.SetAt(1, 2), std::out_of_range);
    EXPECT_THROW(a.SetSize(-1), std::out_of_range);
    EXPECT_THROW(a.RemoveAt(0, 2), std::out_of_range);
    EXPECT_THROW(a.RemoveAt(-1), std::out_of_range);
    EXPECT_THROW(a.InsertAt(-1, 3), std::out_of_range);
    EXPECT_THROW(a.SetAtGrow(-1, 3), std::out_of_range);
    EXPECT_EQ(a.GetSize(), 1);
}

TEST(MfcArray, StringAndWordArrays)
{
    CStringArray s;
    EXPECT_EQ(s.Add(L"one"), 0);
    EXPECT_EQ(s.Add(CString(L"two")), 1);
    EXPECT_EQ(s.Add(static_cast<const wchar_t*>(nullptr)), 2);
    EXPECT_EQ(s[0], L"one");
    EXPECT_EQ(s[2], L"");
    s.SetAt(2, L"three");
    CStringArray t;
    t.Copy(s);
    t[0] = L"changed";
    EXPECT_EQ(s[0], L"one");
    EXPECT_EQ(t.GetAt(2), L"three");

    CWordArray w;
    w.Add(0xFFFF);
    w.Add(1);
    EXPECT_EQ(w[0], 0xFFFF);
    EXPECT_EQ(sizeof(w[0]), 2u);
}
