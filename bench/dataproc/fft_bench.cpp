// The library's transform on 65536 points beside numpy's ifft and scipy's
// hilbert in one Python process (numpy_fft.py through Debian's
// /usr/bin/python3, allocator tuned so that numpy is not timed paging):
// ours through ctypes and a small shim, theirs as Python calls them, in
// alternating blocks, with a control row (ours against ours). Ours called
// from C++ (forward, forward and inverse, Hilbert reconstruction) is timed
// in this program too, without a peer. Every figure is CPU time per call,
// minimum and median of five blocks or repetitions.
#include "numeric.h"

#include "benchsummary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr uint32_t kPoints = 65536;

std::vector<double> input(uint32_t n)
{
    std::vector<double> v(2 * size_t(n));
    uint64_t s = n;
    for (double& x : v) {
        s = (s * 1103515245u + 12345u) & 0x7FFFFFFFu;
        x = double(s >> 8) / 8388608.0 - 0.5;
    }
    return v;
}

void BM_Forward(benchmark::State& state)
{
    const uint32_t n = uint32_t(state.range(0));
    std::vector<double> z = input(n);
    for (auto _ : state) {
        yarbex::fft(n, z.data(), 0);
        benchmark::DoNotOptimize(z.data());
        benchmark::ClobberMemory();
    }
}

void BM_ForwardInverse(benchmark::State& state)
{
    const uint32_t n = uint32_t(state.range(0));
    std::vector<double> z = input(n);
    for (auto _ : state) {
        yarbex::fft(n, z.data(), 0);
        yarbex::fft(n, z.data(), 1);
        benchmark::DoNotOptimize(z.data());
        benchmark::ClobberMemory();
    }
}

void BM_Hilbert(benchmark::State& state)
{
    const uint32_t n = uint32_t(state.range(0));
    std::vector<double> z = input(n);
    for (auto _ : state) {
        yarbex::hilbertImaginary(n, z.data());
        benchmark::DoNotOptimize(z.data());
        benchmark::ClobberMemory();
    }
}

// numpy keeps its result arrays in the heap with this setting instead of
// mapping and unmapping them on every call (without it, it is timed
// page-faulting).
const char kAllocatorSetting[] =
    "GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=268435456";

// Runs numpy_fft.py (ours through ctypes beside numpy and scipy, in one
// Python process) and adds its blocks' CPU time per call as runs named
// "py:<case>"; false when Python did not answer.
bool runPython(ksbench::SummaryReporter& reporter)
{
    const std::string command = std::string(kAllocatorSetting) + " /usr/bin/python3 '" KS_SOURCE_DIR
                                "/numpy_fft.py' '" KS_LIB_DIR "/libyarbex_fft_shim.so'";
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return false;
    char line[4096];
    bool any = false;
    while (std::fgets(line, sizeof line, p)) {
        char* save = nullptr;
        const char* name = strtok_r(line, " \n", &save);
        if (!name)
            continue;
        std::vector<double> seconds;
        while (const char* v = strtok_r(nullptr, " \n", &save))
            seconds.push_back(std::atof(v));
        reporter.addRuns(std::string("py:") + name, seconds);
        any = any || !seconds.empty();
    }
    return pclose(p) == 0 && any;
}

}  // namespace

BENCHMARK(BM_Forward)->Arg(kPoints)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ForwardInverse)->Arg(kPoints)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hilbert)->Arg(kPoints)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (!ksbench::initialize(argc, argv))
        return 1;
    const std::string loadBefore = ksbench::loadAverage();
    ksbench::SummaryReporter reporter(ksbench::Clock::Cpu);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!runPython(reporter))
        std::printf("(no Python figures: /usr/bin/python3 with numpy and scipy did not answer)\n");
    const char* through = "yarbex::fft(65536, z, 0) in place on split arrays, called from Python through ctypes";
    reporter.printSummary(
        ksbench::programName(argv[0]),
        {{"forward, centred unitary / numpy ifft (bare)", "py:ours_forward", "py:numpy_ifft", through,
          "numpy.fft.ifft(x) of the same 65536 complex points (numpy's scaling, zero frequency first)"},
         {"forward, centred unitary / numpy, the same work", "py:ours_forward", "py:numpy_centred_unitary",
          through, "numpy.fft.fftshift(numpy.sqrt(n) * numpy.fft.ifft(x)): scaled and centred as ours", 1.5},
         {"Hilbert reconstruction / scipy.signal.hilbert", "py:ours_hilbert", "py:scipy_hilbert",
          "yarbex::hilbertImaginary(65536, z): the dispersion half of a real spectrum, through ctypes",
          "scipy.signal.hilbert(real) of the same 65536 real points", 1.5},
         {"control: forward / forward again (Python)", "py:ours_forward", "py:ours_forward_again"},
         {"forward, called from C++ (before the Python rounds)", "BM_Forward/65536", nullptr,
          "yarbex::fft in this program, no ctypes"},
         {"forward then inverse, called from C++", "BM_ForwardInverse/65536", nullptr},
         {"Hilbert reconstruction, called from C++", "BM_Hilbert/65536", nullptr}},
        loadBefore);
    benchmark::Shutdown();
    return 0;
}
