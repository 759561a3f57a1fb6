// The library's transform on 65536 points (forward, forward and inverse,
// Hilbert reconstruction), then numpy's ifft and scipy's hilbert on the
// same size in the same run (numpy_fft.py through Debian's
// /usr/bin/python3, allocator tuned so that numpy is not timed paging),
// and a closing table of ours, the reference and the ratio. Every figure
// is CPU time per call, minimum and median of five repetitions.
#include "numeric.h"

#include "benchsummary.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr uint32_t kPoints = 65536;
constexpr int kRepetitions = 5;

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

struct Figure {
    double min = 0.0;     // microseconds
    double median = 0.0;
};

Figure summarise(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    Figure f;
    if (v.empty())
        return f;
    f.min = v.front();
    const size_t m = v.size() / 2;
    f.median = v.size() % 2 ? v[m] : 0.5 * (v[m - 1] + v[m]);
    return f;
}

// The console output as usual, and each repetition's CPU time kept.
class CapturingReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, as the library's own reporter does.
    CapturingReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                m_micros[r.run_name.function_name].push_back(r.GetAdjustedCPUTime() * 1e6 /
                                                             benchmark::GetTimeUnitMultiplier(r.time_unit));
        ConsoleReporter::ReportRuns(runs);
    }
    Figure figure(const std::string& name) const
    {
        const auto it = m_micros.find(name);
        return it == m_micros.end() ? Figure{} : summarise(it->second);
    }

private:
    std::map<std::string, std::vector<double>> m_micros;
};

// numpy keeps its result arrays in the heap with this setting instead of
// mapping and unmapping them on every call (without it, it is timed
// page-faulting).
const char kAllocatorSetting[] =
    "GLIBC_TUNABLES=glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=268435456";

std::map<std::string, Figure> runReferences()
{
    const std::string command =
        std::string(kAllocatorSetting) + " /usr/bin/python3 '" KS_SOURCE_DIR "/numpy_fft.py'";
    std::map<std::string, Figure> refs;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return refs;
    char name[64];
    Figure f;
    while (std::fscanf(p, "%63s %lf %lf", name, &f.min, &f.median) == 3)
        refs[name] = f;
    pclose(p);
    return refs;
}

void printRow(const char* what, const Figure& ours, const char* refName, const Figure& ref)
{
    if (ref.min <= 0.0 || ours.min <= 0.0) {
        std::printf("%-34s %8.1f %8.1f   %-22s (not measured)\n", what, ours.min, ours.median, refName);
        return;
    }
    std::printf("%-34s %8.1f %8.1f   %-22s %8.1f %8.1f   %5.2fx %5.2fx\n", what, ours.min, ours.median, refName,
                ref.min, ref.median, ours.min / ref.min, ours.median / ref.median);
}

}  // namespace

BENCHMARK(BM_Forward)->Arg(kPoints)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ForwardInverse)->Arg(kPoints)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hilbert)->Arg(kPoints)->Repetitions(kRepetitions)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const std::string loadBefore = ksbench::loadAverage();
    CapturingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::map<std::string, Figure> refs = runReferences();
    std::printf("\nCPU time per call in us, 65536 points (min, median of %d); ratio = ours / reference\n"
                "references: %s /usr/bin/python3 numpy_fft.py\n"
                "cores %s of %ld; load average before: %s, after: %s\n",
                kRepetitions, kAllocatorSetting, ksbench::allowedCores().c_str(), sysconf(_SC_NPROCESSORS_ONLN),
                loadBefore.c_str(), ksbench::loadAverage().c_str());
    std::printf("%-34s %8s %8s   %-22s %8s %8s   %6s %6s\n", "ours", "min", "median", "reference", "min",
                "median", "min", "median");
    const Figure forward = reporter.figure("BM_Forward");
    printRow("forward, centred unitary", forward, "numpy ifft", refs["numpy_ifft"]);
    printRow("forward, centred unitary", forward, "numpy same (fftshift)", refs["numpy_centred_unitary"]);
    printRow("Hilbert reconstruction", reporter.figure("BM_Hilbert"), "scipy.signal.hilbert",
             refs["scipy_hilbert"]);
    if (refs.empty())
        std::printf("(no reference: /usr/bin/python3 with numpy and scipy did not answer)\n");
    return 0;
}
