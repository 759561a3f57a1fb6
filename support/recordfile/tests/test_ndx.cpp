// Key index files: byte fixtures, searches, walks, a randomised insert and
// delete sequence against a set, record operations in key order, the real
// sample index and damaged indexes.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

#include <random>
#include <algorithm>
#include <functional>
#include <set>

using namespace zt;
using namespace zentar;

namespace {

std::string ckey(const std::string& s, size_t len) { return pad(s, len); }
std::string nkey(double v) { return std::string(reinterpret_cast<const char*>(&v), 8); }
double dkey(const char* k)
{
    double v;
    std::memcpy(&v, k, 8);
    return v;
}

struct Index {
    DBHANDLE h = nullptr;
    explicit Index(const std::string& p) { EXPECT_EQ(ndxOpen(p.c_str(), &h), 0) << dBerrno(); }
    ~Index()
    {
        if (h)
            ndxClose(h);
    }
    int close()
    {
        int rc = ndxClose(h);
        h = nullptr;
        return rc;
    }
};

using Pairs = std::vector<std::pair<std::string, int32_t>>;

Pairs walk(DBHANDLE h, size_t keyLen, bool forward, size_t limit = 1000000)
{
    Pairs out;
    forward ? ndxFirst(h) : ndxLast(h);
    std::string key(keyLen, '\0');
    int32_t rec = 0;
    while (out.size() <= limit) {
        int rc = forward ? ndxNext(h, &key[0], &rec) : ndxPrevious(h, &key[0], &rec);
        if (rc != 0) {
            if (out.empty() && rc == 7)
                break;   // an empty index
            EXPECT_EQ(rc, forward ? 9 : 11) << "detail " << dBerrno();
            break;
        }
        out.emplace_back(key, rec);
    }
    if (!forward)
        std::reverse(out.begin(), out.end());
    return out;
}

}  // namespace

TEST(IndexCreate, CharacterIndexIsA1024ByteFile)
{
    std::string p = path("c.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "UPPER(NAME)", 10, 'c'), 0);
    std::string b = bytes(p);
    std::string want(1024, '\0');
    setU32(want, 0, 1);
    setU32(want, 4, 2);
    want[12] = 10;
    want[14] = 28;
    want[16] = 0;
    want[18] = 18;
    std::memcpy(&want[24], "UPPER(NAME)", 11);
    EXPECT_EQ(b, want);

    ASSERT_EQ(ndxCreate(p.c_str(), "BIRTH", 3, 'D'), 0);
    b = bytes(p);
    EXPECT_EQ(b[12], 8);
    EXPECT_EQ(b[14], 31);
    EXPECT_EQ(b[16], 1);
    EXPECT_EQ(b[18], 16);
}

TEST(IndexCreate, Refusals)
{
    std::string p = path("bad.ndx");
    struct Case {
        const char* expr;
        int len;
        char type;
        int rc, detail;
    };
    std::string e449(449, 'E'), e450(450, 'E');
    const Case cases[] = {
        {"X", 10, 'X', 1, 1301}, {"X", 0, 'C', 1, 1302},    {"X", 101, 'C', 1, 1302},
        {"", 10, 'C', 6, 1304},  {e450.c_str(), 10, 'C', 6, 1304},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ndxCreate(p.c_str(), c.expr, c.len, c.type), c.rc) << c.detail;
        EXPECT_EQ(dBerrno(), c.detail);
    }
    EXPECT_EQ(ndxCreate(p.c_str(), e449.c_str(), 100, 'C'), 0);
    EXPECT_EQ(ndxCreate((ks::test::tempDir() + "/no/x.ndx").c_str(), "X", 5, 'C'), 1);
    EXPECT_EQ(dBerrno(), 1305);
    Index ix(p);
    char type = 0, klen = 0;
    char expr[400];
    int32_t elen = 0;
    EXPECT_EQ(ndxKeyInfo(ix.h, &type, expr, &elen, &klen), 5) << "449 characters are too long to report";
    EXPECT_EQ(dBerrno(), 2504);
}

TEST(IndexSearch, CodesSevenEightNine)
{
    std::string p = path("s.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "K", 4, 'C'), 0);
    Index ix(p);
    int32_t rec = 0;
    EXPECT_EQ(dBtkey(ix.h, "AAAA", &rec), 7);
    EXPECT_EQ(dBerrno(), 2601);
    ASSERT_EQ(ndxInsert(ix.h, "BBBB", 2), 0);
    ASSERT_EQ(ndxInsert(ix.h, "DDDD", 4), 0);
    ASSERT_EQ(ndxInsert(ix.h, "FFFF", 6), 0);
    EXPECT_EQ(dBtkey(ix.h, "DDDD", &rec), 0);
    EXPECT_EQ(rec, 4);
    EXPECT_EQ(dBtkey(ix.h, "CCCC", &rec), 8);
    EXPECT_EQ(dBerrno(), 2602);
    EXPECT_EQ(rec, 4);
    EXPECT_EQ(dBtkey(ix.h, "ZZZZ", &rec), 9);
    EXPECT_EQ(dBerrno(), 2603);
    char key[5] = {};
    EXPECT_EQ(ndxCurrent(ix.h, key, &rec), 9);
    EXPECT_EQ(ndxPrevious(ix.h, key, &rec), 0) << "after the last key comes the last";
    EXPECT_STREQ(key, "FFFF");
    // Next and previous continue from the key found.
    EXPECT_EQ(dBtkey(ix.h, "CCCC", &rec), 8);
    EXPECT_EQ(ndxCurrent(ix.h, key, &rec), 0);
    EXPECT_STREQ(key, "DDDD");
    EXPECT_EQ(ndxNext(ix.h, key, &rec), 0);
    EXPECT_STREQ(key, "FFFF");
    EXPECT_EQ(ndxNext(ix.h, key, &rec), 9);
    EXPECT_EQ(dBerrno(), 2010);
    EXPECT_EQ(dBtkey(ix.h, "CCCC", &rec), 8);
    EXPECT_EQ(ndxPrevious(ix.h, key, &rec), 0);
    EXPECT_STREQ(key, "BBBB");
    EXPECT_EQ(ndxPrevious(ix.h, key, &rec), 11);
    EXPECT_EQ(dBerrno(), 1810);
    EXPECT_EQ(ndxCurrent(ix.h, key, &rec), 11);
    EXPECT_EQ(dBerrno(), 1901);
    int local;
    EXPECT_EQ(dBtkey(&local, "AAAA", &rec), 1);
    EXPECT_EQ(dBerrno(), 1590);
}

TEST(IndexInsert, EqualKeysInRecordOrderAndPairsOnce)
{
    std::string p = path("e.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "K", 3, 'C'), 0);
    Index ix(p);
    for (int r : {5, 3, 9})
        ASSERT_EQ(ndxInsert(ix.h, "KEY", r), 0);
    ASSERT_EQ(ndxInsert(ix.h, "KEY", 5), 0);
    EXPECT_EQ(ndxInsert(ix.h, "KEY", 0), 3);
    EXPECT_EQ(dBerrno(), 1601);
    Pairs want = {{"KEY", 3}, {"KEY", 5}, {"KEY", 9}};
    EXPECT_EQ(walk(ix.h, 3, true), want);
    EXPECT_EQ(walk(ix.h, 3, false), want);
    EXPECT_EQ(ndxDelete(ix.h, "KEY", 7), 7);
    EXPECT_EQ(dBerrno(), 1702);
}

TEST(IndexInsert, EqualKeysAcrossLeaves)
{
    // Four entries per node: a run of one key spans several leaves.
    std::string p = path("run.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "K", 100, 'C'), 0);
    Index ix(p);
    const std::string k = ckey("SAME", 100), a = ckey("AAAA", 100), z = ckey("ZZZZ", 100);
    ASSERT_EQ(ndxInsert(ix.h, a.c_str(), 50), 0);
    ASSERT_EQ(ndxInsert(ix.h, z.c_str(), 51), 0);
    for (int r : {20, 2, 18, 4, 16, 6, 14, 8, 12, 10})
        ASSERT_EQ(ndxInsert(ix.h, k.c_str(), r), 0);
    for (int r : {2, 10, 20, 11, 1, 21, 14})   // present ones change nothing
        ASSERT_EQ(ndxInsert(ix.h, k.c_str(), r), 0);
    EXPECT_GE(ndxDepth(ix.h), 2);
    Pairs want = {{a, 50}};
    for (int r : {1, 2, 4, 6, 8, 10, 11, 12, 14, 16, 18, 20, 21})
        want.emplace_back(k, r);
    want.emplace_back(z, 51);
    EXPECT_EQ(walk(ix.h, 100, true), want);
    EXPECT_EQ(walk(ix.h, 100, false), want);
    int32_t rec = 0;
    EXPECT_EQ(dBtkey(ix.h, k.c_str(), &rec), 0);
    EXPECT_EQ(rec, 1) << "the search finds the first of the run";
    for (int r : {21, 1, 12})
        ASSERT_EQ(ndxDelete(ix.h, k.c_str(), r), 0) << r;
    EXPECT_EQ(ndxDelete(ix.h, k.c_str(), 3), 7);
    EXPECT_EQ(walk(ix.h, 100, true).size(), want.size() - 3);
}

TEST(IndexInsert, RootSplitAndDeleteAllReset)
{
    std::string p = path("split.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "NAME", 10, 'C'), 0);
    {
        Index ix(p);
        for (int i = 1; i <= 28; ++i) {
            char k[16];
            std::snprintf(k, sizeof k, "K%02d", i);
            ASSERT_EQ(ndxInsert(ix.h, ckey(k, 10).c_str(), i), 0);
        }
        ASSERT_EQ(ix.close(), 0);
        std::string b = bytes(p);
        EXPECT_EQ(b.size(), 1024u);
        EXPECT_EQ(u32(b, 512), 28u);
    }
    {
        Index ix(p);
        ASSERT_EQ(ndxInsert(ix.h, ckey("K29", 10).c_str(), 29), 0);
        EXPECT_EQ(ndxDepth(ix.h), 2);
        ASSERT_EQ(ix.close(), 0);
    }
    std::string b = bytes(p);
    ASSERT_EQ(b.size(), 4u * 512);
    EXPECT_EQ(u32(b, 0), 3u) << "root";
    EXPECT_EQ(u32(b, 4), 4u) << "next free";
    // Block 1 keeps the first 14 entries, block 2 the other 15.
    EXPECT_EQ(u32(b, 512), 14u);
    EXPECT_EQ(b.substr(512 + 4 + 13 * 18 + 8, 10), ckey("K14", 10));
    EXPECT_EQ(u32(b, 1024), 15u);
    EXPECT_EQ(u32(b, 1024 + 4), 0u);
    EXPECT_EQ(u32(b, 1024 + 8), 15u);
    EXPECT_EQ(b.substr(1024 + 12, 10), ckey("K15", 10));
    // Block 3: one key (left's largest, child 1) and the last child 2.
    EXPECT_EQ(u32(b, 1536), 1u);
    EXPECT_EQ(u32(b, 1536 + 4), 1u);
    EXPECT_EQ(u32(b, 1536 + 8), 0u);
    EXPECT_EQ(b.substr(1536 + 12, 10), ckey("K14", 10));
    EXPECT_EQ(u32(b, 1536 + 4 + 18), 2u);

    Index ix(p);
    int32_t rec = 0;
    EXPECT_EQ(dBtkey(ix.h, ckey("K20", 10).c_str(), &rec), 0);
    EXPECT_EQ(rec, 20);
    for (int i = 29; i >= 1; --i) {
        char k[16];
        std::snprintf(k, sizeof k, "K%02d", i);
        ASSERT_EQ(ndxDelete(ix.h, ckey(k, 10).c_str(), i), 0) << i;
    }
    EXPECT_EQ(ndxDelete(ix.h, ckey("K01", 10).c_str(), 1), 7);
    EXPECT_EQ(dBerrno(), 1701);
    ASSERT_EQ(ix.close(), 0);
    b = bytes(p);
    EXPECT_EQ(u32(b, 0), 1u);
    EXPECT_EQ(u32(b, 4), 2u);
    EXPECT_EQ(b.substr(512, 512), std::string(512, '\0')) << "block 1 an empty leaf";
}

// Random inserts and deletes checked against a set of pairs, walking the
// whole index both ways; narrow nodes make deep trees.
class IndexRandom : public ::testing::TestWithParam<int> {};

TEST_P(IndexRandom, MatchesASetOfPairs)
{
    const int keyLen = GetParam();   // 8: numeric, else character
    const bool numeric = keyLen == 8;
    std::string p = path("rand.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "EXPR", keyLen, numeric ? 'N' : 'C'), 0);
    DBHANDLE h = nullptr;
    ASSERT_EQ(ndxOpen(p.c_str(), &h), 0);
    std::set<std::pair<std::string, int32_t>> model;
    std::mt19937 rng(uint32_t(keyLen) * 31u + 7u);
    auto makeKey = [&](uint32_t v) {
        if (numeric)
            return nkey(double(int(v) - 300) / 4);
        char t[16];
        std::snprintf(t, sizeof t, "%05u", v);
        return ckey(t, size_t(keyLen));
    };
    auto sorted = [&]() {
        Pairs out(model.begin(), model.end());
        if (numeric)
            std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
                double x = dkey(a.first.data()), y = dkey(b.first.data());
                return x < y || (x == y && a.second < b.second);
            });
        return out;
    };
    for (int step = 1; step <= 20000; ++step) {
        const uint32_t kv = rng() % 600;
        const int32_t rec = 1 + int32_t(rng() % 40);
        std::string k = makeKey(kv);
        if (rng() % 100 < 60 || model.empty()) {
            ASSERT_EQ(ndxInsert(h, k.c_str(), rec), 0) << step << " detail " << dBerrno();
            model.insert({k, rec});
        } else {
            // Mostly pairs that are there, sometimes ones that are not.
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            std::pair<std::string, int32_t> victim = rng() % 5 ? *it : std::make_pair(k, rec);
            int rc = ndxDelete(h, victim.first.c_str(), victim.second);
            ASSERT_EQ(rc, model.count(victim) ? 0 : 7) << step;
            model.erase(victim);
        }
        if (step % 500 == 0) {
            Pairs want = sorted();
            ASSERT_EQ(walk(h, size_t(keyLen), true), want) << step;
            ASSERT_EQ(walk(h, size_t(keyLen), false), want) << step;
            // The search finds the first pair of a key.
            auto it = model.lower_bound({k, 0});
            int32_t got = 0;
            int rc = dBtkey(h, k.c_str(), &got);
            if (!numeric && it != model.end() && it->first == k) {
                EXPECT_EQ(rc, 0);
                EXPECT_EQ(got, it->second);
            }
            ASSERT_EQ(ndxClose(h), 0);
            ASSERT_EQ(ndxOpen(p.c_str(), &h), 0);
        }
    }
    if (keyLen == 100) {
        EXPECT_GE(ndxDepth(h), 5) << "four entries per node";
    }
    while (!model.empty()) {
        auto v = *model.begin();
        ASSERT_EQ(ndxDelete(h, v.first.c_str(), v.second), 0);
        model.erase(model.begin());
    }
    ASSERT_EQ(ndxClose(h), 0);
    std::string b = bytes(p);
    EXPECT_EQ(u32(b, 0), 1u);
    EXPECT_EQ(u32(b, 4), 2u);
}

INSTANTIATE_TEST_SUITE_P(KeyLengths, IndexRandom, ::testing::Values(8, 6, 100));

TEST(IndexRecords, RecordOperationsInKeyOrder)
{
    FieldDesc f[2] = {field("CODE", 'C', 4), field("QTY", 'N', 5)};
    std::string dp = path("items.dbf"), ip = path("items.ndx");
    ASSERT_EQ(dBcreat(dp.c_str(), 2, f), 0);
    ASSERT_EQ(ndxCreate(ip.c_str(), "CODE", 4, 'C'), 0);
    DBHANDLE db = nullptr;
    ASSERT_EQ(dBopen(dp.c_str(), &db), 0);
    Index ix(ip);
    const char* codes[] = {"PEAR", "APPL", "PLUM", "FIG ", "KIWI"};
    for (int i = 0; i < 5; ++i) {
        std::string rec = std::string(codes[i]) + "    " + char('0' + i);
        ASSERT_EQ(ndxPutByKey(db, ix.h, codes[i], rec.c_str()), 0);
    }
    ASSERT_EQ(ndxPutByKey(db, ix.h, "PLUM", "PLUM   99"), 0) << "an existing key updates";
    int32_t size = 0;
    ASSERT_EQ(dBsize(db, &size), 0);
    EXPECT_EQ(size, 5);
    char rec[10] = {};
    char del = 0;
    int32_t n = 0;
    std::vector<std::string> forward, backward;
    ndxFirst(ix.h);
    while (ndxNextRecord(db, ix.h, rec, &del, &n) == 0)
        forward.emplace_back(rec, 9);
    ndxLast(ix.h);
    while (ndxPreviousRecord(db, ix.h, rec, &del, &n) == 0)
        backward.insert(backward.begin(), std::string(rec, 9));
    std::vector<std::string> want = {"APPL    1", "FIG     3", "KIWI    4", "PEAR    0", "PLUM   99"};
    EXPECT_EQ(forward, want);
    EXPECT_EQ(backward, want);
    EXPECT_EQ(ndxReadByKey(db, ix.h, "KIWI", rec, &del), 0);
    EXPECT_EQ(std::string(rec, 9), "KIWI    4");
    EXPECT_EQ(ndxReadByKey(db, ix.h, "LIME", rec, &del), 7);
    EXPECT_EQ(ndxReadByKey(db, ix.h, "ZZZZ", rec, &del), 7);

    // An index entry beyond the record file.
    ASSERT_EQ(ndxInsert(ix.h, "ZERO", 77), 0);
    EXPECT_EQ(ndxPutByKey(db, ix.h, "ZERO", "ZERO    1"), 10);
    EXPECT_EQ(dBerrno(), 2403);
    EXPECT_EQ(ndxReadByKey(db, ix.h, "ZERO", rec, &del), 10);
    ndxLast(ix.h);
    EXPECT_EQ(ndxPreviousRecord(db, ix.h, rec, &del, &n), 10);

    int local;
    EXPECT_EQ(ndxNextRecord(&local, ix.h, rec, &del, &n), 1);
    EXPECT_EQ(dBerrno(), 2301);
    EXPECT_EQ(ndxNextRecord(db, &local, rec, &del, &n), 1);
    EXPECT_EQ(dBerrno(), 2302);
    EXPECT_EQ(ndxPreviousRecord(&local, ix.h, rec, &del, &n), 1);
    EXPECT_EQ(dBerrno(), 2101);
    EXPECT_EQ(ndxReadByKey(db, &local, "KIWI", rec, &del), 1);
    EXPECT_EQ(dBerrno(), 2202);
    EXPECT_EQ(ndxPutByKey(&local, ix.h, "KIWI", rec), 1);
    EXPECT_EQ(dBerrno(), 2401);
    ASSERT_EQ(dBclose(db), 0);
}

TEST(IndexReal, GeometryTestIndex)
{
    std::string p = copyReal("dbase3/altemiq-geometry/test.ndx", "test.ndx");
    const std::string raw = bytes(p);
    EXPECT_EQ(u32(raw, 0), 1u) << "root";
    EXPECT_EQ(u32(raw, 4), 2u) << "next free";
    EXPECT_EQ(u16(raw, 12), 8) << "key length";
    EXPECT_EQ(u16(raw, 14), 31) << "keys per node";
    EXPECT_EQ(u16(raw, 18), 16) << "entry size";
    Index ix(p);
    ASSERT_TRUE(ix.h);
    char type = 0, klen = 0;
    char expr[400];
    int32_t elen = 0;
    ASSERT_EQ(ndxKeyInfo(ix.h, &type, expr, &elen, &klen), 0);
    EXPECT_EQ(type, 'N');
    EXPECT_STREQ(expr, "ID ");
    EXPECT_EQ(elen, 3);
    EXPECT_EQ(klen, 8);
    EXPECT_EQ(ndxDepth(ix.h), 1);
    Pairs want = {{nkey(1.0), 1}, {nkey(2.0), 2}, {nkey(3.0), 3}};
    EXPECT_EQ(walk(ix.h, 8, true), want);
    EXPECT_EQ(walk(ix.h, 8, false), want);
    int32_t rec = 0;
    EXPECT_EQ(dBtkey(ix.h, nkey(2.0).c_str(), &rec), 0);
    EXPECT_EQ(rec, 2);
    EXPECT_EQ(dBtkey(ix.h, nkey(2.5).c_str(), &rec), 8);
    EXPECT_EQ(rec, 3);
    // The library's own keys go into it in order.
    ASSERT_EQ(ndxInsert(ix.h, nkey(0.5).c_str(), 4), 0);
    ASSERT_EQ(ix.close(), 0);
    std::string b = bytes(p);
    EXPECT_EQ(u32(b, 512), 4u);
    EXPECT_EQ(b.substr(512 + 4, 16), std::string("\0\0\0\0\4\0\0\0", 8) + nkey(0.5));
    EXPECT_EQ(b.substr(24, 4), std::string("ID \0", 4)) << "the header's other bytes stay";
}

TEST(IndexDamage, RefusedNeverHangs)
{
    // A two-level index to damage: 40 numeric keys, 31 per node.
    std::string p = path("d.ndx");
    ASSERT_EQ(ndxCreate(p.c_str(), "N", 8, 'N'), 0);
    {
        Index ix(p);
        for (int i = 1; i <= 40; ++i)
            ASSERT_EQ(ndxInsert(ix.h, nkey(i).c_str(), i), 0);
        ASSERT_EQ(ix.close(), 0);
    }
    const std::string good = bytes(p);
    const uint32_t root = u32(good, 0);
    ASSERT_EQ(root, 3u);
    struct Case {
        const char* what;
        std::function<void(std::string&)> change;
        int openRc;   // 0: opens, then walking and searching must fail
    };
    std::vector<Case> cases = {
        {"child points at its parent", [&](std::string& b) { setU32(b, root * 512 + 4, root); }, 0},
        {"last child points at block 0", [&](std::string& b) { setU32(b, root * 512 + 4 + 16, 0); }, 0},
        {"child beyond next free", [&](std::string& b) { setU32(b, root * 512 + 4 + 16, 99); }, 0},
        {"leaf count past the block", [&](std::string& b) { setU32(b, 512, 40); }, 0},
        {"huge count", [&](std::string& b) { setU32(b, 512, 0xFFFFFFFFu); }, 0},
        {"interior count past the block", [&](std::string& b) { setU32(b, root * 512, 31); }, 0},
        {"next free beyond the file", [](std::string& b) { setU32(b, 4, 9); }, 5},
        {"root at next free", [](std::string& b) { setU32(b, 0, 4); }, 5},
        {"root 0", [](std::string& b) { setU32(b, 0, 0); }, 5},
        {"key type 2", [](std::string& b) { b[16] = 2; }, 5},
        {"entry size", [](std::string& b) { b[18] = 30; }, 5},
        {"zero entries per node", [](std::string& b) { b[14] = 0; }, 5},
        {"short header", [](std::string& b) { b.resize(300); }, 1},
    };
    for (const auto& c : cases) {
        std::string b = good;
        c.change(b);
        ks::test::writeFile(p, b);
        DBHANDLE h = nullptr;
        int rc = ndxOpen(p.c_str(), &h);
        ASSERT_EQ(rc, c.openRc) << c.what << " detail " << dBerrno();
        if (rc != 0)
            continue;
        // Walking forward meets the damage and reports it.
        int walkRc = 0, walkDetail = 0;
        char key[8];
        int32_t rec = 0;
        ndxFirst(h);
        for (int i = 0; i < 200 && walkRc == 0; ++i)
            walkRc = ndxNext(h, key, &rec);
        walkDetail = dBerrno();
        if (walkRc == 9) {
            ndxLast(h);   // the damage sits in the second child
            for (int i = 0; i < 200 && walkRc == 9; ++i)
                walkRc = ndxPrevious(h, key, &rec);
            walkDetail = dBerrno();
        }
        EXPECT_EQ(walkRc, 1) << c.what;
        EXPECT_TRUE(walkDetail >= 2706 && walkDetail <= 2708) << c.what << " " << walkDetail;
        // Searches, inserts and deletes end, with a result.
        for (int i = 0; i <= 41; ++i) {
            dBtkey(h, nkey(i).c_str(), &rec);
            ndxInsert(h, nkey(i + 0.5).c_str(), 1);
            ndxDelete(h, nkey(i).c_str(), i);
        }
        ndxClose(h);
    }
    ks::test::writeFile(p, good);
    EXPECT_EQ(zLiveBlocks(), 0u);
}
