// Decoding every spectrum of the real carotenoid MSD file (2,534 scans,
// 95,471 points, 485 kB) with CMSDFile, against the floor of reading the
// same bytes: in this process (open, read, close) and with `cat`.
// Throughput is the file size per second. The file is read from the
// real-data folder beside the repository (KS_REALDATA_DIR).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "massspectrum.h"
#include "msdfile.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = std::string(KS_REALDATA_DIR) + "/chemstation-ms/entab-carotenoid_extract.d";
    return folder;
}

const std::string& File()
{
    static const std::string file = Folder() + "/MSD1.MS";
    return file;
}

int64_t FileBytes()
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(File(), ec);
    return ec ? 0 : static_cast<int64_t>(size);
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// Every spectrum of an open file, one spectrum record reused.
void DecodeAll(CMSDFile& msd, benchmark::State& state)
{
    CMassSpectrum spectrum;
    int64_t points = 0;
    for (LONG i = 0; i < msd.ScanCount(); ++i) {
        if (!msd.ReadSpectrum(i, spectrum)) {
            state.SkipWithError("a spectrum did not read");
            return;
        }
        points += spectrum.GetCount();
    }
    benchmark::DoNotOptimize(points);
}

void BM_OpenAndDecodeEverySpectrum(benchmark::State& state)
{
    for (auto _ : state) {
        CMSDFile msd;
        if (FAILED(msd.Open(Wide(Folder()), 1))) {
            state.SkipWithError("the carotenoid file does not open (KS_REALDATA_DIR?)");
            return;
        }
        DecodeAll(msd, state);
    }
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_OpenAndDecodeEverySpectrum)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DecodeEverySpectrum(benchmark::State& state)
{
    CMSDFile msd;
    if (FAILED(msd.Open(Wide(Folder()), 1))) {
        state.SkipWithError("the carotenoid file does not open (KS_REALDATA_DIR?)");
        return;
    }
    for (auto _ : state)
        DecodeAll(msd, state);
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_DecodeEverySpectrum)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The floor inside the process: open, read every byte, close.
void BM_ReadTheBytes(benchmark::State& state)
{
    std::vector<char> buffer(static_cast<size_t>(FileBytes()) + 1);
    for (auto _ : state) {
        const int fd = ::open(File().c_str(), O_RDONLY);
        if (fd < 0) {
            state.SkipWithError("cannot open the carotenoid file");
            return;
        }
        ssize_t total = 0;
        ssize_t got;
        while ((got = ::read(fd, buffer.data() + total, buffer.size() - static_cast<size_t>(total))) > 0)
            total += got;
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_ReadTheBytes)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The floor as a program: `cat` of the file (process start included).
void BM_Cat(benchmark::State& state)
{
    const std::string command = "cat '" + File() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cat failed");
    state.SetBytesProcessed(state.iterations() * FileBytes());
}
BENCHMARK(BM_Cat)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
