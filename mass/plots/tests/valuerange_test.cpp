// Value ranges and range lists: ordering, relations, intersections, the
// list operations with their edge rows, and the stored form.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "plottest.h"
#include "tvaluerange.h"

using plottest::written;

namespace {

constexpr double kMax = std::numeric_limits<double>::max();

using plottest::Ranges;
using plottest::rangesOf;

TValueRangeList listOf(const Ranges& ranges)
{
    TValueRangeList l;
    for (const auto& [a, b] : ranges)
        l.append(TValueRange(a, b));
    return l;
}


TEST(ValueRange, OrderAndEnds)
{
    const TValueRange r(5, 2);
    EXPECT_EQ(r.from(), 2);
    EXPECT_EQ(r.to(), 5);
    TValueRange a(2, 5);
    a.setFrom(7);
    EXPECT_EQ(a, TValueRange(2, 5));
    a.setTo(1);
    EXPECT_EQ(a, TValueRange(2, 5));
    a.setFrom(5);
    EXPECT_EQ(a, TValueRange(5, 5));
    EXPECT_TRUE(TValueRange().isNull());
    EXPECT_EQ(TValueRange().from(), -kMax);
    EXPECT_EQ(TValueRange().to(), kMax);
    EXPECT_FALSE(TValueRange(0, kMax).isNull());
    EXPECT_EQ(a.position(4.9), -1);
    EXPECT_EQ(a.position(5), 0);
    EXPECT_EQ(a.position(5.1), 1);
}

TEST(ValueRange, Relation)
{
    struct Case {
        TValueRange a, b;
        int code;
    };
    const Case cases[] = {
        {{0, 10}, {2, 3}, 0},  {{5, 8}, {0, 4}, 1},   {{5, 8}, {5, 8}, 2},  {{5, 9}, {2, 8}, 2},
        {{0, 5}, {2, 8}, 3},   {{0, 8}, {2, 8}, 3},   {{0, 1}, {2, 8}, 4},  {{3, 4}, {2, 8}, 5},
        {{2, 4}, {2, 8}, 5},   {{5, 8}, {0, 5}, 2},   {{0, 2}, {2, 8}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.a.from() << ", " << c.a.to() << ") against (" << c.b.from()
                                        << ", " << c.b.to() << ")");
        EXPECT_EQ(c.a.relation(c.b), c.code);
    }
}

TEST(ValueRange, Intersected)
{
    struct Case {
        TValueRange a, b, expected;
    };
    const Case cases[] = {
        {{0, 10}, {10, 20}, TValueRange()},  // touching ends: none
        {{0, 10}, {5, 20}, {5, 10}},
        {{0, 10}, {2, 3}, {2, 3}},
        {{5, 20}, {0, 10}, {5, 10}},
        {{3, 4}, {0, 10}, {3, 4}},
        {{20, 30}, {0, 10}, TValueRange()},
        {TValueRange(), {0, 10}, TValueRange()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.a.intersected(c.b), c.expected);
}

TEST(ValueRangeList, AddAndRemove)
{
    struct Case {
        const char* name;
        Ranges start;
        bool add;
        TValueRange range;
        Ranges expected;
        double length;
    };
    const Case cases[] = {
        {"remove a middle piece", {{0, 10}}, false, {4, 6}, {{0, 4}, {6, 10}}, 8},
        {"remove everything", {{0, 10}}, false, {0, 10}, {{10, 10}}, 0},
        {"remove over a gap", {{0, 4}, {6, 10}}, false, {3, 7}, {{0, 3}, {7, 10}}, 6},
        {"remove a whole range", {{0, 4}, {6, 10}, {12, 14}}, false, {5, 11}, {{0, 4}, {12, 14}}, 6},
        {"remove before everything", {{5, 10}}, false, {0, 2}, {{5, 10}}, 5},
        {"add back", {{0, 4}, {6, 10}}, true, {4, 6}, {{0, 10}}, 10},
        {"add after every range", {{0, 10}}, true, {12, 14}, {{0, 10}}, 10},
        {"add before", {{5, 10}}, true, {0, 2}, {{0, 2}, {5, 10}}, 7},
        {"add inside", {{0, 10}}, true, {2, 3}, {{0, 10}}, 10},
        {"add over several", {{0, 2}, {4, 6}, {8, 10}, {12, 14}}, true, {1, 9}, {{0, 10}, {12, 14}}, 12},
        {"add extending the start", {{5, 10}}, true, {3, 7}, {{3, 10}}, 7},
        {"add to an empty list", {}, true, {0, 1}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TValueRangeList l = listOf(c.start);
        if (c.add)
            l.add(c.range);
        else
            l.remove(c.range);
        EXPECT_EQ(rangesOf(l), c.expected);
        EXPECT_DOUBLE_EQ(l.length(), c.length);
    }
}

TEST(ValueRangeList, GapsAndSnapping)
{
    const TValueRangeList l = listOf({{2, 4}, {6, 8}});
    const TValueRangeList c = l.complement(0, 20);
    EXPECT_EQ(rangesOf(c), (Ranges{{0, 2}, {4, 6}, {8, 20}}));
    EXPECT_EQ(c.length(), 16);
    EXPECT_EQ(rangesOf(l.complement(3, 7)), (Ranges{{4, 6}}));
    EXPECT_EQ(rangesOf(TValueRangeList().complement(1, 5)), (Ranges{{1, 5}}));
    EXPECT_EQ(rangesOf(l.innerGaps()), (Ranges{{4, 6}}));
    EXPECT_TRUE(TValueRangeList(1, 2).innerGaps().isEmpty());

    const TValueRangeList s = listOf({{0, 4}, {6, 10}});
    EXPECT_EQ(s.snapOutOfGap(5, 0), 4);
    EXPECT_EQ(s.snapOutOfGap(5, 1), 6);
    EXPECT_EQ(s.snapOutOfGap(5, 7), 6);
    EXPECT_EQ(s.snapOutOfGap(3, 0), 3);
    EXPECT_EQ(s.snapOutOfGap(4, 1), 4);
    EXPECT_EQ(s.snapOutOfGap(12, 0), 12);
    EXPECT_EQ(TValueRangeList(0, 1).snapOutOfGap(5, 0), 5);

    const TValueRangeList i = s.intersected(2, 8);
    EXPECT_EQ(rangesOf(i), (Ranges{{2, 4}, {6, 8}}));
    EXPECT_EQ(i.length(), 4);
    EXPECT_TRUE(s.intersected(4, 6).isEmpty());  // touching ends only

    EXPECT_TRUE(s.contains(4));
    EXPECT_FALSE(s.contains(5));
    EXPECT_EQ(TValueRangeList(5, 2).length(), 3);
    EXPECT_EQ(rangesOf(TValueRangeList(5, 2)), (Ranges{{2, 5}}));
}

TEST(ValueRangeList, LimitTo)
{
    TValueRangeList l = listOf({{0, 4}, {6, 10}, {12, 20}});
    l.limitTo(2, 15);
    EXPECT_EQ(rangesOf(l), (Ranges{{2, 4}, {6, 10}, {12, 15}}));
    EXPECT_DOUBLE_EQ(l.length(), 9);
    // The cut (4, 6) straddles the new start: 5 to 6 stays cut.
    l.limitTo(30, 5);
    EXPECT_EQ(rangesOf(l), (Ranges{{6, 10}, {12, 30}}));
    EXPECT_DOUBLE_EQ(l.length(), 22);
}

TEST(ValueRangeList, LogLength)
{
    EXPECT_EQ(TValueRangeList().logLength(), 0);
    EXPECT_DOUBLE_EQ(listOf({{1, 10}, {100, 10000}}).logLength(), 3);
    // Ranges reaching 0 or below have no place on a logarithmic axis.
    EXPECT_DOUBLE_EQ(listOf({{-5, 10}, {0, 1}, {10, 100}}).logLength(), 1);
}

// Stored lists may be anything: every operation ends and nothing divides.
TEST(ValueRangeList, DamagedListsEnd)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    TValueRangeList lists[] = {
        listOf({{8, 10}, {0, 4}, {2, 9}}),
        listOf({{nan, 1}, {0, nan}, {nan, nan}}),
        listOf({{-inf, inf}, {0, 1}}),
        listOf({{0, 1}, {0, 1}, {0, 1}}),
    };
    for (TValueRangeList& l : lists) {
        TValueRangeList a = l, b = l, c = l;
        a.add(TValueRange(3, 5));
        b.remove(TValueRange(3, 5));
        c.limitTo(-1, 20);
        l.complement(-1, 20);
        l.snapOutOfGap(3.5, 0);
        l.intersected(nan, 5);
        l.logLength();
    }
}

TEST(ValueRangeList, StoredForm)
{
    const TValueRangeList l = listOf({{0, 4}, {6, 10}, {12, 20}});
    const QByteArray bytes = written([&](TDataStream& s) { l.write(s); });
    plottest::expectGolden(bytes, "range_list");
    EXPECT_EQ(bytes.size(), 4 + 4 + 8 + 4 + 3 * 16);

    QByteArray copy = bytes;
    TDataStream r(&copy, QIODevice::ReadOnly, 0);
    TValueRangeList back;
    EXPECT_TRUE(back.read(r));
    EXPECT_EQ(back, l);

    // Cut after the second of three ranges: two ranges, the stored length.
    QByteArray cut = bytes.left(bytes.size() - 16);
    TDataStream c(&cut, QIODevice::ReadOnly, 0);
    TValueRangeList two;
    EXPECT_TRUE(two.read(c));
    EXPECT_EQ(rangesOf(two), (Ranges{{0, 4}, {6, 10}}));
    EXPECT_EQ(two.length(), 16);

    // A huge count over a short list: what is there, nothing reserved.
    QByteArray huge = bytes;
    huge[16] = 0x7f;
    TDataStream h(&huge, QIODevice::ReadOnly, 0);
    TValueRangeList some;
    EXPECT_TRUE(some.read(h));
    EXPECT_EQ(some.count(), 3);

    // Every prefix reads without a crash; cuts inside a range fail.
    for (int n = 0; n < bytes.size(); ++n) {
        QByteArray p = bytes.left(n);
        TDataStream s(&p, QIODevice::ReadOnly, 0);
        TValueRangeList x;
        const bool ok = x.read(s);
        EXPECT_EQ(ok, n >= 36 && (n - 20) % 16 == 0) << n;
    }

    // Ranges: two doubles.
    EXPECT_EQ(plottest::hex(written([](TDataStream& s) { s << TValueRange(1, 2); })),
              "3f f0 00 00 00 00 00 00 40 00 00 00 00 00 00 00");
}

}  // namespace
