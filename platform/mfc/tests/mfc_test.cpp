#include "kscoblist.h"
#include "ksoledatetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace {

class Thing : public CObject {
    DECLARE_DYNAMIC(Thing)
public:
    explicit Thing(int v) : value(v) {}
    int value;
};
IMPLEMENT_DYNAMIC(Thing, CObject)

TEST(RuntimeClass, NamesBaseAndKind)
{
    Thing t(1);
    EXPECT_STREQ(t.GetRuntimeClass()->m_lpszClassName, "Thing");
    EXPECT_EQ(t.GetRuntimeClass()->m_nObjectSize, static_cast<int>(sizeof(Thing)));
    EXPECT_EQ(Thing::_GetBaseClass(), RUNTIME_CLASS(CObject));
    EXPECT_TRUE(t.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_TRUE(t.IsKindOf(RUNTIME_CLASS(Thing)));
    EXPECT_FALSE(t.IsKindOf(RUNTIME_CLASS(CObList)));
    CObList list;
    EXPECT_FALSE(list.IsKindOf(RUNTIME_CLASS(Thing)));
    EXPECT_TRUE(list.IsKindOf(nullptr) == false);
}

TEST(ObList, OrderPositionsAndRemoval)
{
    Thing a(1), b(2), c(3), d(4);
    CObList list(10);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    list.AddTail(&b);
    list.AddTail(&c);
    list.AddHead(&a);
    POSITION pc = list.Find(&c);
    ASSERT_NE(pc, nullptr);
    list.InsertAfter(pc, &d);
    ASSERT_EQ(list.GetCount(), 4);

    std::vector<int> seen;
    for (POSITION p = list.GetHeadPosition(); p;)
        seen.push_back(static_cast<Thing*>(list.GetNext(p))->value);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));

    list.RemoveAt(list.FindIndex(1));
    EXPECT_EQ(static_cast<Thing*>(list.GetAt(list.FindIndex(1)))->value, 3);
    EXPECT_EQ(list.FindIndex(3), nullptr);
    EXPECT_EQ(static_cast<Thing*>(list.RemoveHead())->value, 1);
    EXPECT_EQ(static_cast<Thing*>(list.RemoveTail())->value, 4);
    EXPECT_EQ(list.GetHead(), &c);
    EXPECT_EQ(list.GetTail(), &c);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_THROW(list.GetHead(), std::out_of_range);
    EXPECT_THROW(list.RemoveHead(), std::out_of_range);
}

struct DateCase {
    DATE date;
    int y, mo, d, h, mi, s;
};

TEST(OleDateTime, PartsOfKnownDates)
{
    // Negative dates count days back, with the time of day still forward.
    const DateCase cases[] = {
        {0.0, 1899, 12, 30, 0, 0, 0},      {1.0, 1899, 12, 31, 0, 0, 0},
        {-1.0, 1899, 12, 29, 0, 0, 0},     {-1.25, 1899, 12, 29, 6, 0, 0},
        {2.5, 1900, 1, 1, 12, 0, 0},       {36526.0, 2000, 1, 1, 0, 0, 0},
        {36585.75, 2000, 2, 29, 18, 0, 0}, {2958465.0, 9999, 12, 31, 0, 0, 0},
        {-657434.0, 100, 1, 1, 0, 0, 0},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.date);
        COleDateTime t(c.date);
        EXPECT_EQ(t.GetYear(), c.y);
        EXPECT_EQ(t.GetMonth(), c.mo);
        EXPECT_EQ(t.GetDay(), c.d);
        EXPECT_EQ(t.GetHour(), c.h);
        EXPECT_EQ(t.GetMinute(), c.mi);
        EXPECT_EQ(t.GetSecond(), c.s);
        COleDateTime back(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_EQ(back.GetStatus(), COleDateTime::valid);
        EXPECT_DOUBLE_EQ(static_cast<DATE>(back), c.date);
    }
}

TEST(OleDateTime, RoundsToTheSecondAcrossMidnight)
{
    COleDateTime almost(1.0 - 1e-9);
    EXPECT_EQ(almost.GetDay(), 31);
    EXPECT_EQ(almost.GetHour(), 0);
    COleDateTime t(2000, 1, 1, 23, 59, 59);
    EXPECT_EQ(COleDateTime(static_cast<DATE>(t) + 0.4 / 86400).GetSecond(), 59);
}

TEST(OleDateTime, InvalidPartsAndRanges)
{
    const int bad[][6] = {{2001, 2, 29, 0, 0, 0}, {99, 1, 1, 0, 0, 0},   {10000, 1, 1, 0, 0, 0},
                          {2000, 13, 1, 0, 0, 0}, {2000, 1, 0, 0, 0, 0}, {2000, 1, 1, 24, 0, 0},
                          {2000, 1, 1, 0, 60, 0}, {2000, 1, 1, 0, 0, 60}};
    for (const auto& b : bad) {
        COleDateTime t(b[0], b[1], b[2], b[3], b[4], b[5]);
        EXPECT_EQ(t.GetStatus(), COleDateTime::invalid) << b[0] << "-" << b[1] << "-" << b[2];
        EXPECT_EQ(t.GetYear(), -1);
    }
    EXPECT_EQ(COleDateTime(2958466.5).GetYear(), -1);
    EXPECT_EQ(COleDateTime(std::nan("")).GetYear(), -1);
    EXPECT_EQ(COleDateTime(2000, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::valid);
}

TEST(OleDateTime, CurrentTimeIsLocalNow)
{
    const std::time_t before = std::time(nullptr);
    COleDateTime now = COleDateTime::GetCurrentTime();
    std::tm local{};
    localtime_r(&before, &local);
    EXPECT_EQ(now.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(now.GetYear(), local.tm_year + 1900);
    EXPECT_EQ(now.GetMonth(), local.tm_mon + 1);
    // Whole seconds only: rebuilding from the parts gives the same value.
    COleDateTime rebuilt(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour(), now.GetMinute(),
                         now.GetSecond());
    EXPECT_EQ(rebuilt, now);
}

}  // namespace
