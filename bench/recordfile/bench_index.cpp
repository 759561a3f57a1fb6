// Index throughput: 1,000,000 numeric keys inserted in random order into a
// key index, then each searched once; reports the tree depth.
#include "zinternal.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kKeys = 1000000;

std::string benchPath(const char* name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}

std::vector<double> shuffledKeys()
{
    std::vector<double> keys(kKeys);
    std::iota(keys.begin(), keys.end(), 1.0);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(12345));
    return keys;
}

void BM_IndexInsert(benchmark::State& state)
{
    const auto keys = shuffledKeys();
    const std::string p = benchPath("zentar32_bench.ndx");
    int depth = 0;
    for (auto _ : state) {
        zentar::ndxCreate(p.c_str(), "KEY", 8, 'N');
        DBHANDLE h = nullptr;
        zentar::ndxOpen(p.c_str(), &h);
        for (int i = 0; i < kKeys; ++i)
            if (zentar::ndxInsert(h, reinterpret_cast<const char*>(&keys[size_t(i)]), i + 1) != 0) {
                state.SkipWithError("insert failed");
                break;
            }
        depth = zentar::ndxDepth(h);
        zentar::ndxClose(h);
    }
    state.counters["keys_per_s"] =
        benchmark::Counter(double(kKeys) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["depth"] = depth;
}
BENCHMARK(BM_IndexInsert)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_IndexSearch(benchmark::State& state)
{
    const auto keys = shuffledKeys();
    const std::string p = benchPath("zentar32_bench.ndx");
    DBHANDLE h = nullptr;
    if (zentar::ndxOpen(p.c_str(), &h) != 0) {
        state.SkipWithError("run BM_IndexInsert first");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < kKeys; ++i) {
            int32_t rec = 0;
            if (dBtkey(h, reinterpret_cast<const char*>(&keys[size_t(i)]), &rec) != 0 || rec != i + 1) {
                state.SkipWithError("search failed");
                break;
            }
        }
    }
    state.counters["searches_per_s"] =
        benchmark::Counter(double(kKeys) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["depth"] = zentar::ndxDepth(h);
    zentar::ndxClose(h);
    std::remove(p.c_str());
}
BENCHMARK(BM_IndexSearch)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
