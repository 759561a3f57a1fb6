// The bytes of index files after fixed runs of operations, and the answers
// given along the way, as digests. The digests were taken from the index
// code that wrote every changed node through to the file when its path
// moved on; whatever the cache holds and whenever it writes, the files and
// answers stay those.
#include "ztest.h"
#include "zinternal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace zt;
using namespace zentar;

namespace {

// FNV-1a, 64 bits.
struct Digest {
    uint64_t h = 0xcbf29ce484222325ull;
    void add(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i)
            h = (h ^ b[i]) * 0x100000001b3ull;
    }
    void add(int32_t v) { add(&v, sizeof v); }
};

enum class Order { Random, Ascending, Descending, FillThenEmpty };

struct Script {
    const char* name;
    char type;      // 'N' or 'C'
    int keyLen;     // character keys
    Order order;
    int operations;
    uint64_t fileDigest, answerDigest;
};

// Key number v as the index stores it. Numeric runs meet a NaN and a
// negative zero now and then: their places follow the comparison as it is.
std::string keyFor(const Script& sc, uint32_t v, std::mt19937& rng)
{
    if (sc.type == 'N') {
        double d = double(int(v) - 1000) / 8;
        const uint32_t odd = rng() % 997;
        if (odd == 0)
            d = std::numeric_limits<double>::quiet_NaN();
        else if (odd == 1)
            d = -0.0;
        return std::string(reinterpret_cast<const char*>(&d), 8);
    }
    char t[16];
    std::snprintf(t, sizeof t, "%07u", v);
    return pad(t, size_t(sc.keyLen));
}

struct Outcome {
    uint64_t file, answers;
};

// Runs the script on a new index opened with the given cache limit,
// closing and reopening it now and then; the digests of the closed file
// and of every answer.
Outcome run(const Script& sc, uint32_t cacheNodes)
{
    const uint32_t oldLimit = ndxSetCacheLimit(cacheNodes);
    const std::string p = path(std::string(sc.name) + ".ndx");
    std::remove(p.c_str());
    EXPECT_EQ(ndxCreate(p.c_str(), "KEY", sc.keyLen, sc.type), 0);
    DBHANDLE h = nullptr;
    EXPECT_EQ(ndxOpen(p.c_str(), &h), 0);
    Digest answers;
    std::mt19937 rng(uint32_t(sc.operations) * 7u + uint32_t(sc.keyLen));
    const uint32_t range = uint32_t(sc.operations) / 2 + 1;
    std::vector<std::pair<std::string, int32_t>> inserted;
    const size_t keyLen = sc.type == 'N' ? 8 : size_t(sc.keyLen);
    for (int step = 0; step < sc.operations && h; ++step) {
        uint32_t v = 0;
        bool insert = true;
        switch (sc.order) {
        case Order::Random: v = rng() % range; insert = rng() % 100 < 65 || inserted.empty(); break;
        case Order::Ascending: v = uint32_t(step); break;
        case Order::Descending: v = uint32_t(sc.operations - step); break;
        case Order::FillThenEmpty: v = rng() % range; insert = step < sc.operations * 2 / 3; break;
        }
        const int32_t rec = 1 + int32_t(rng() % 50);
        if (insert) {
            const std::string k = keyFor(sc, v, rng);
            answers.add(ndxInsert(h, k.c_str(), rec));
            inserted.emplace_back(k, rec);
        } else if (!inserted.empty()) {
            const size_t at = rng() % inserted.size();
            answers.add(ndxDelete(h, inserted[at].first.c_str(), inserted[at].second));
            inserted[at] = inserted.back();
            inserted.pop_back();
        }
        if (step % 7 == 0) {
            int32_t found = 0;
            const std::string k = keyFor(sc, rng() % range, rng);
            answers.add(dBtkey(h, k.c_str(), &found));
            answers.add(found);
            std::string key(keyLen, '\0');
            for (int i = 0; i < 3; ++i) {
                answers.add(ndxNext(h, &key[0], &found));
                answers.add(found);
                answers.add(key.data(), key.size());
            }
        }
        if (step % 4999 == 4998) {
            answers.add(ndxDepth(h));
            answers.add(ndxClose(h));
            h = nullptr;
            EXPECT_EQ(ndxOpen(p.c_str(), &h), 0);
        }
    }
    // The whole index both ways.
    std::string key(keyLen, '\0');
    int32_t rec = 0;
    ndxFirst(h);
    while (ndxNext(h, &key[0], &rec) == 0) {
        answers.add(key.data(), key.size());
        answers.add(rec);
    }
    ndxLast(h);
    int walked = 0;
    while (ndxPrevious(h, &key[0], &rec) == 0)
        ++walked;
    answers.add(walked);
    answers.add(ndxDepth(h));
    answers.add(ndxClose(h));
    ndxSetCacheLimit(oldLimit);
    Digest file;
    const std::string b = bytes(p);
    file.add(b.data(), b.size());
    return {file.h, answers.h};
}

const Script kScripts[] = {
    {"numeric_random", 'N', 8, Order::Random, 40000, 0xfece1fc62411b30cull, 0x879316c02f796c84ull},
    {"numeric_ascending", 'N', 8, Order::Ascending, 20000, 0xca1dc80e27ae042aull, 0x182193e8de4e4f1bull},
    {"numeric_descending", 'N', 8, Order::Descending, 20000, 0x72aee9fd11f5f493ull, 0x3c792dbbd0275da6ull},
    {"numeric_fill_empty", 'N', 8, Order::FillThenEmpty, 30000, 0xc3ac16c53d4b4c0dull, 0xab5f3f04f36c8ad5ull},
    {"char6_random", 'C', 6, Order::Random, 40000, 0x1c8bf7a67e335282ull, 0xc7b9e93a073d695full},
    {"char100_random", 'C', 100, Order::Random, 12000, 0x72babb8b2e5565f3ull, 0x05510bf9d4440ef7ull},
    {"char100_fill_empty", 'C', 100, Order::FillThenEmpty, 9000, 0xffca9a7a29e9543full, 0xaa359241d5e2abb0ull},
};

}  // namespace

// Without a cache, with one of 8 nodes that gives way all the time, and
// with the default one that holds the whole index.
TEST(IndexBytes, FilesAndAnswersOfTheWriteThroughIndex)
{
    for (const Script& sc : kScripts) {
        for (uint32_t nodes : {0u, 8u, kNodeCacheDefault}) {
            const Outcome got = run(sc, nodes);
            EXPECT_EQ(got.file, sc.fileDigest) << sc.name << " cache " << nodes;
            EXPECT_EQ(got.answers, sc.answerDigest) << sc.name << " cache " << nodes;
        }
    }
    EXPECT_EQ(zLiveBlocks(), 0u);
}
