// Record file throughput: 1,000,000 records of 10 fields appended and read
// back through the library, beside a plain sequential write and read of a
// file of the same size (what dd does).
#include "zentar32.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRecords = 1000000;
constexpr int kFields = 10;
constexpr int kFieldLen = 10;
constexpr size_t kRecLen = kFields * kFieldLen + 1;

std::string benchPath(const char* name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}

void BM_AppendAndReadRecords(benchmark::State& state)
{
    std::vector<FieldDesc> fields(kFields);
    for (int i = 0; i < kFields; ++i) {
        std::snprintf(fields[i].name, sizeof fields[i].name, "F%d", i);
        fields[i].type = i % 2 ? 'N' : 'C';
        fields[i].length = kFieldLen;
        fields[i].decimals = i % 2 ? 2 : 0;
    }
    const std::string p = benchPath("zentar32_bench.dbf");
    std::vector<char> rec(kFields * kFieldLen, ' ');
    std::vector<char> back(rec.size());
    for (auto _ : state) {
        if (dBcreat(p.c_str(), kFields, fields.data()) != 0)
            state.SkipWithError("dBcreat failed");
        DBHANDLE h = nullptr;
        if (dBopen(p.c_str(), &h) != 0)
            state.SkipWithError("dBopen failed");
        for (int n = 1; n <= kRecords; ++n) {
            std::memcpy(rec.data(), &n, sizeof n);
            if (dBputr(h, n, rec.data()) != 0) {
                state.SkipWithError("dBputr failed");
                break;
            }
        }
        char del = 0;
        for (int n = 1; n <= kRecords; ++n) {
            if (dBgetr(h, n, back.data(), &del) != 0) {
                state.SkipWithError("dBgetr failed");
                break;
            }
            benchmark::DoNotOptimize(back.data());
        }
        dBclose(h);
    }
    std::remove(p.c_str());
    state.counters["records_per_s"] =
        benchmark::Counter(double(kRecords) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["MB"] = double(kRecords * kRecLen) / 1e6;
}
BENCHMARK(BM_AppendAndReadRecords)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reference: write and read the same number of bytes in 1 MiB blocks.
void BM_PlainWriteAndRead(benchmark::State& state)
{
    const std::string p = benchPath("zentar32_bench.raw");
    const size_t total = kRecords * kRecLen;
    std::vector<char> block(1 << 20, 'x');
    for (auto _ : state) {
        int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        for (size_t done = 0; done < total;) {
            size_t n = std::min(block.size(), total - done);
            if (write(fd, block.data(), n) != ssize_t(n))
                state.SkipWithError("write failed");
            done += n;
        }
        close(fd);
        fd = open(p.c_str(), O_RDONLY);
        while (read(fd, block.data(), block.size()) > 0) {
        }
        close(fd);
    }
    std::remove(p.c_str());
    state.counters["MB"] = double(total) / 1e6;
}
BENCHMARK(BM_PlainWriteAndRead)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
