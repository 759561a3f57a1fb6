// Record file throughput on a file of 1,000,000 records of 10 fields
// (101 MB, in the page cache), two ways of the same kind each:
//   - in this process: every record through the library (dBopen, dBgetr
//     of each, dBclose) beside a plain read() loop over the same bytes in
//     1 MiB pieces (open, read to the end, close);
//   - as whole programs, started and waited for: zentar32_readall (every
//     record through the library) beside cat of the file and beside
//     python3-dbfread reading every record raw.
// Control rows repeat ours. Appending every record is timed as well (no
// peer). Reports the read system calls of the library.
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

// The same bytes read by a plain loop in this process.
void BM_ReadLoop(benchmark::State& state)
{
    if (!haveFile())
        return state.SkipWithError("the record file could not be written");
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        int64_t total = 0;
        bool ok = true;
        double s = ksbench::timed([&] {
            const int fd = ::open(filePath().c_str(), O_RDONLY | O_CLOEXEC);
            ok = fd >= 0;
            ssize_t got;
            while (ok && (got = ::read(fd, buffer.data(), buffer.size())) > 0) {
                total += got;
                benchmark::DoNotOptimize(buffer.data());
            }
            ok = ok && ::close(fd) == 0;
        });
        if (!ok || total < int64_t(kRecords * kRecLen))
            return state.SkipWithError("reading failed");
        state.SetIterationTime(s);
    }
}

void BM_ReadAllProgram(benchmark::State& state)
{
    if (!haveFile())
        return state.SkipWithError("the record file could not be written");
    ksbench::timeProgram(state, {KS_BIN_DIR "/zentar32_readall", filePath(), std::to_string(kRecords)});
}

void BM_Cat(benchmark::State& state)
{
    if (!haveFile())
        return state.SkipWithError("the record file could not be written");
    ksbench::timeProgram(state, {"cat", filePath()});
}

void BM_DbfreadRaw(benchmark::State& state)
{
    if (!haveFile())
        return state.SkipWithError("the record file could not be written");
    ksbench::timeProgram(state, {"/usr/bin/python3", std::string(KS_SOURCE_DIR) + "/dbfread_all.py", filePath(),
                                 std::to_string(kRecords)});
}

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

}  // namespace

int main(int argc, char** argv)
{
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_ReadEveryRecord", BM_ReadEveryRecord));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_ReadLoop", BM_ReadLoop));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_ReadAllProgram", BM_ReadAllProgram));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_Cat", BM_Cat));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_DbfreadRaw", BM_DbfreadRaw));
    ksbench::timedOnce(benchmark::RegisterBenchmark("BM_AppendEveryRecord", BM_AppendEveryRecord));
    ksbench::timedOnce(ksbench::registerControl("BM_ReadEveryRecord_again", BM_ReadEveryRecord));
    ksbench::timedOnce(ksbench::registerControl("BM_ReadAllProgram_again", BM_ReadAllProgram));
    return ksbench::runWithSummary(
        argc, argv,
        {{"read 1,000,000 records (101 MB), in process / read()", "BM_ReadEveryRecord", "BM_ReadLoop",
          "dBopen, dBgetr of every record into one buffer, dBclose",
          "open, read() of the same file in 1 MiB pieces to its end, close", 2.0},
         {"the same as whole programs / cat", "BM_ReadAllProgram", "BM_Cat",
          "zentar32_readall FILE: a program reading every record through libZentar32.so",
          "cat FILE > /dev/null", 2.0},
         {"the same as whole programs / python3-dbfread", "BM_ReadAllProgram", "BM_DbfreadRaw",
          "zentar32_readall FILE", "python3 dbfread_all.py FILE: every record with DBF(raw=True)"},
         {"append 1,000,000 records (101 MB)", "BM_AppendEveryRecord", nullptr,
          "dBcreat, dBopen, dBputr of every record at the end, dBclose"},
         {"control: in process / again", "BM_ReadEveryRecord", "BM_ReadEveryRecord_again"},
         {"control: whole program / again", "BM_ReadAllProgram", "BM_ReadAllProgram_again"}});
}
