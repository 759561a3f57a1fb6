// The pair arrays of the raw-file reader: read only when they hold what
// their count says.
#include <gtest/gtest.h>

#include <vector>

#include "kscomptr.h"
#include "tavrionpairs.h"

namespace {

// An array of doubles with the given dimensions (first index fastest),
// filled 1, 2, 3, ...
ks::Variant Doubles(std::vector<ULONG> dims, VARTYPE vt = VT_R8)
{
    std::vector<SAFEARRAYBOUND> bounds;
    ULONG total = 1;
    for (ULONG d : dims) {
        bounds.push_back({d, 0});
        total *= d;
    }
    ks::Variant v;
    SAFEARRAY* array = SafeArrayCreate(vt, UINT(bounds.size()), bounds.data());
    EXPECT_TRUE(array);
    if (vt == VT_R8) {
        double* data = nullptr;
        SafeArrayAccessData(array, reinterpret_cast<void**>(&data));
        for (ULONG i = 0; i < total; ++i)
            data[i] = double(i + 1);
        SafeArrayUnaccessData(array);
    }
    v.vt = VT_ARRAY | vt;
    v.parray = array;
    return v;
}

struct Read {
    bool answer = false;
    bool called = false;
    std::vector<double> values;
};

Read Pairs(const VARIANT& v, LONG count)
{
    Read r;
    r.answer = WithReaderPairs(v, count, [&](LONG n, const double* pairs) {
        r.called = true;
        r.values.assign(pairs, pairs + 2 * n);
        return true;
    });
    return r;
}

TEST(TavrionReaderPairs, ReadOnlyAsFarAsTheArrayReaches)
{
    const ks::Variant twoByThree = Doubles({2, 3});
    const ks::Variant flat = Doubles({6});
    const ks::Variant none = Doubles({2, 0});
    struct Case {
        const VARIANT* v;
        LONG count;
        bool answer;
        std::vector<double> values;
    } cases[] = {
        {&twoByThree, 3, true, {1, 2, 3, 4, 5, 6}},
        {&twoByThree, 2, true, {1, 2, 3, 4}},
        {&twoByThree, 0, true, {}},
        {&twoByThree, 4, false, {}},
        {&twoByThree, -1, false, {}},
        {&twoByThree, 0x7fffffff, false, {}},
        {&flat, 3, true, {1, 2, 3, 4, 5, 6}},
        {&none, 0, true, {}},
        {&none, 1, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const Read r = Pairs(*c.v, c.count);
        EXPECT_EQ(r.answer, c.answer);
        EXPECT_EQ(r.called, c.answer);
        EXPECT_EQ(r.values, c.values);
    }
}

TEST(TavrionReaderPairs, OnlyArraysOfDoubles)
{
    ks::Variant empty;
    EXPECT_FALSE(Pairs(empty, 0).called);
    ks::Variant scalar(2.5);
    EXPECT_FALSE(Pairs(scalar, 0).called);
    const ks::Variant longs = Doubles({2, 3}, VT_I4);
    EXPECT_FALSE(Pairs(longs, 1).called);
    // What write answers is the answer.
    const ks::Variant twoByThree = Doubles({2, 3});
    EXPECT_FALSE(WithReaderPairs(twoByThree, 1, [](LONG, const double*) { return false; }));
}

}  // namespace
