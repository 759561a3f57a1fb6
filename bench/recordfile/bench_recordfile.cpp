// Record file throughput on a file of 1,000,000 records of 10 fields
// (101 MB): every record read through the library, beside cat and dd of
// the same file (the floor) and the independent python3-dbfread reader;
// appending every record is timed as well. Reports the read system calls.
#include "benchsummary.h"
#include "zinternal.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 1000000;
constexpr int kFields = 10;
constexpr int kFieldLen = 10;
constexpr size_t kRecLen = kFields * kFieldLen + 1;

const std::string& filePath()
{
    static const std::string p = ksbench::benchPath("zentar32_bench.dbf");
    return p;
}

// Writes the file through the library: true when every record went in.
bool writeFile(const std::string& p)
{
    std::vector<FieldDesc> fields(kFields);
    for (int i = 0; i < kFields; ++i) {
        std::snprintf(fields[i].name, sizeof fields[i].name, "F%d", i);
        fields[i].type = i % 2 ? 'N' : 'C';
        fields[i].length = kFieldLen;
        fields[i].decimals = i % 2 ? 2 : 0;
    }
    if (dBcreat(p.c_str(), kFields, fields.data()) != 0)
        return false;
    DBHANDLE h = nullptr;
    if (dBopen(p.c_str(), &h) != 0)
        return false;
    std::vector<char> rec(kFields * kFieldLen, ' ');
    bool ok = true;
    for (int n = 1; n <= kRecords && ok; ++n) {
        std::snprintf(rec.data(), kFieldLen + 1, "%-9d", n);
        rec[kFieldLen - 1] = ' ';
        ok = dBputr(h, n, rec.data()) == 0;
    }
    return dBclose(h) == 0 && ok;
}

// The file every reader reads, written once.
bool haveFile()
{
    static const bool ok = [] {
        bool written = writeFile(filePath());
        std::atexit([] { std::remove(filePath().c_str()); });
        return written;
    }();
    return ok;
}

void BM_ReadEveryRecord(benchmark::State& state)
{
    if (!haveFile())
        return state.SkipWithError("the record file could not be written");
    std::vector<char> back(kFields * kFieldLen);
    uint64_t calls = 0;
    for (auto _ : state) {
        const uint64_t before = zentar::zReadCalls();
        bool ok = true;
        double s = ksbench::timed([&] {
            DBHANDLE h = nullptr;
            ok = dBopen(filePath().c_str(), &h) == 0;
            char del = 0;
            for (int n = 1; n <= kRecords && ok; ++n) {
                ok = dBgetr(h, n, back.data(), &del) == 0;
                benchmark::DoNotOptimize(back.data());
            }
            ok = dBclose(h) == 0 && ok;
        });
        if (!ok)
            return state.SkipWithError("reading failed");
        calls = zentar::zReadCalls() - before;
        state.SetIterationTime(s);
    }
    state.counters["read_calls"] = double(calls);
    state.counters["MB"] = double(kRecords * kRecLen) / 1e6;
}
BENCHMARK(BM_ReadEveryRecord)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(ksbench::kRepetitions)
    ->UseManualTime();

// A whole program reading the same file.
void timeProgram(benchmark::State& state, const std::vector<std::string>& argv)
{
    if (!haveFile())
        return state.SkipWithError("the record file could not be written");
    for (auto _ : state) {
        bool ok = true;
        double s = ksbench::timed([&] { ok = ksbench::runQuiet(argv); });
        if (!ok)
            return state.SkipWithError(("could not run " + argv[0]).c_str());
        state.SetIterationTime(s);
    }
}

void BM_Cat(benchmark::State& state) { timeProgram(state, {"cat", filePath()}); }
BENCHMARK(BM_Cat)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(ksbench::kRepetitions)->UseManualTime();

void BM_DdOneMegabyteBlocks(benchmark::State& state)
{
    timeProgram(state, {"dd", "if=" + filePath(), "of=/dev/null", "bs=1M", "status=none"});
}
BENCHMARK(BM_DdOneMegabyteBlocks)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(ksbench::kRepetitions)
    ->UseManualTime();

void BM_DbfreadRaw(benchmark::State& state)
{
    timeProgram(state, {"/usr/bin/python3", std::string(KS_SOURCE_DIR) + "/dbfread_all.py", filePath(),
                        std::to_string(kRecords)});
}
BENCHMARK(BM_DbfreadRaw)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(ksbench::kRepetitions)
    ->UseManualTime();

void BM_AppendEveryRecord(benchmark::State& state)
{
    const std::string p = ksbench::benchPath("zentar32_bench_append.dbf");
    for (auto _ : state) {
        bool ok = true;
        double s = ksbench::timed([&] { ok = writeFile(p); });
        if (!ok)
            return state.SkipWithError("appending failed");
        state.SetIterationTime(s);
    }
    std::remove(p.c_str());
    state.counters["MB"] = double(kRecords * kRecLen) / 1e6;
}
BENCHMARK(BM_AppendEveryRecord)->Unit(benchmark::kMillisecond)->Iterations(1)->UseManualTime();

}  // namespace

int main(int argc, char** argv)
{
    return ksbench::runWithSummary(argc, argv,
                                  {{"read 1,000,000 records (101 MB) / cat", "BM_ReadEveryRecord", "BM_Cat"},
                                   {"read 1,000,000 records / dd bs=1M", "BM_ReadEveryRecord",
                                    "BM_DdOneMegabyteBlocks"},
                                   {"read 1,000,000 records / python3-dbfread raw", "BM_ReadEveryRecord",
                                    "BM_DbfreadRaw"}});
}
