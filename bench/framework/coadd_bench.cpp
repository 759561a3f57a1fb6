// Co-adding speed: 100 profile spectra of 100,000 points and 100 centroid
// spectra of 2,000 peaks into one accumulator. The global allocator is
// wrapped to count calls, bytes and the time spent inside it, reported as
// counters next to each figure.
#include "benchsummary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "coadd.h"

// The replaced global operators pair malloc with free themselves; GCC sees
// the inlined free() against operator new and warns wrongly.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

struct AllocStats {
    long long calls = 0;
    long long bytes = 0;
    long long nanos = 0;
};
AllocStats g_alloc;
bool g_counting = false;

inline long long nowNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void* operator new(std::size_t size)
{
    if (!g_counting) {
        if (void* p = std::malloc(size ? size : 1))
            return p;
        throw std::bad_alloc();
    }
    const long long t0 = nowNanos();
    void* p = std::malloc(size ? size : 1);
    g_alloc.nanos += nowNanos() - t0;
    ++g_alloc.calls;
    g_alloc.bytes += static_cast<long long>(size);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void operator delete(void* p) noexcept
{
    if (!g_counting) {
        std::free(p);
        return;
    }
    const long long t0 = nowNanos();
    std::free(p);
    g_alloc.nanos += nowNanos() - t0;
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

CMassSpectrum makeSpectrum(const std::vector<double>& mz, const std::vector<double>& y, bool centroid)
{
    CMassSpectrum s;
    s.SetCentroid(centroid);
    s.SetSize(static_cast<LONG>(mz.size()), false, false, false);
    for (size_t i = 0; i < mz.size(); ++i) {
        s.Masses()[i] = mz[i];
        s.Intensities()[i] = y[i];
    }
    s.Invalidate();
    return s;
}

// Time-of-flight-like axis (spacing grows with the square root of m/z),
// Gaussian peaks about three spacings wide; each scan starts a little
// differently. Gapped spectra leave out the zero stretches but keep one zero
// on each side of a signal.
// Gapped spectra get denser peaks and a longer raw axis so that they too
// store about `points` points.
std::vector<CMassSpectrum> profileSpectra(int count, int points, bool gapped)
{
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<std::pair<double, double>> peaks;
    const int rawPoints = gapped ? points * 3 / 2 : points;
    for (int k = 0; k < (gapped ? 12000 : 400); ++k)
        peaks.emplace_back(100 + 1900 * u(rng), 1000 * u(rng));
    std::sort(peaks.begin(), peaks.end());
    std::vector<CMassSpectrum> out;
    for (int s = 0; s < count; ++s) {
        const int first = static_cast<int>(200 * u(rng));
        std::vector<double> mz, y;
        mz.reserve(static_cast<size_t>(points));
        y.reserve(static_cast<size_t>(points));
        size_t lowPeak = 0;  // peaks are sorted: only neighbours count
        for (int i = first; i < first + rawPoints; ++i) {
            const double t = 10.0 + 0.00035 * i;
            const double m = t * t;
            const double width = 3 * 2 * 0.00035 * t;
            while (lowPeak < peaks.size() && peaks[lowPeak].first < m - 6 * width)
                ++lowPeak;
            double v = 0;
            for (size_t k = lowPeak; k < peaks.size() && peaks[k].first < m + 6 * width; ++k) {
                const double d = (m - peaks[k].first) / width;
                v += peaks[k].second * (0.8 + 0.4 * u(rng)) * std::exp(-0.5 * d * d);
            }
            mz.push_back(m);
            y.push_back(v < 0.01 ? 0.0 : v);
        }
        if (gapped) {
            std::vector<double> gm, gy;
            for (size_t i = 0; i < mz.size(); ++i) {
                if (y[i] != 0 || (i > 0 && y[i - 1] != 0) || (i + 1 < y.size() && y[i + 1] != 0)) {
                    gm.push_back(mz[i]);
                    gy.push_back(y[i]);
                }
            }
            mz.swap(gm);
            y.swap(gy);
        }
        out.push_back(makeSpectrum(mz, y, false));
    }
    return out;
}

std::vector<CMassSpectrum> centroidSpectra(int count, int peaks)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 1);
    // Peaks recur across scans with a little m/z jitter, as real ions do.
    std::vector<double> ions(static_cast<size_t>(peaks));
    for (double& m : ions)
        m = 100 + 1900 * u(rng);
    std::vector<CMassSpectrum> out;
    for (int s = 0; s < count; ++s) {
        std::vector<double> mz, y;
        for (double m : ions) {
            mz.push_back(m + 0.02 * (u(rng) - 0.5));
            y.push_back(1 + 1000 * u(rng));
        }
        CMassSpectrum spectrum = makeSpectrum(mz, y, true);
        SortSpectrumByMass(0, spectrum);
        out.push_back(spectrum);
    }
    return out;
}

void reportAllocation(benchmark::State& state, const AllocStats& a, long long wallNanos)
{
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(a.calls), benchmark::Counter::kAvgIterations);
    state.counters["alloc_MB"] =
        benchmark::Counter(static_cast<double>(a.bytes) / 1e6, benchmark::Counter::kAvgIterations);
    state.counters["alloc_share_%"] = wallNanos > 0 ? 100.0 * static_cast<double>(a.nanos) / wallNanos : 0.0;
}

void runCoAdd(benchmark::State& state, const std::vector<CMassSpectrum>& spectra, bool inDaltons, double tol)
{
    LONG points = 0;
    AllocStats total;
    long long wall = 0;
    for (auto _ : state) {
        state.PauseTiming();  // the fresh accumulator is not part of co-adding
        CMassSpectrum acc = spectra[0];
        state.ResumeTiming();
        g_alloc = AllocStats();
        g_counting = true;
        const long long t0 = nowNanos();
        for (size_t k = 1; k < spectra.size(); ++k)
            points = CoAddSpectra(inDaltons, tol, spectra[k], acc);
        wall += nowNanos() - t0;
        g_counting = false;
        total.calls += g_alloc.calls;
        total.bytes += g_alloc.bytes;
        total.nanos += g_alloc.nanos;
        benchmark::DoNotOptimize(acc.GetTIC());
    }
    state.counters["result_points"] = points;
    reportAllocation(state, total, wall);
}

void BM_CoAddProfileRegular(benchmark::State& state)
{
    static const std::vector<CMassSpectrum> spectra = profileSpectra(100, 100000, false);
    runCoAdd(state, spectra, true, 0.5);
}

void BM_CoAddProfileGapped(benchmark::State& state)
{
    static const std::vector<CMassSpectrum> spectra = profileSpectra(100, 100000, true);
    state.counters["source_points"] = static_cast<double>(spectra[1].GetCount());
    runCoAdd(state, spectra, true, 0.5);
}

void BM_CoAddCentroid(benchmark::State& state)
{
    static const std::vector<CMassSpectrum> spectra = centroidSpectra(100, 2000);
    runCoAdd(state, spectra, true, 0.1);
}

BENCHMARK(BM_CoAddProfileRegular)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CoAddProfileGapped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CoAddCentroid)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_CoAddProfileRegular_again", BM_CoAddProfileRegular)->Unit(benchmark::kMillisecond);
    return ksbench::runWithSummary(
        argc, argv,
        {{"co-add 99 profile spectra of 100,000 points", "BM_CoAddProfileRegular", nullptr,
          "CoAddSpectra of each into one accumulator (0.5 Da), the accumulator copied before the clock starts"},
         {"the same, gapped profile spectra", "BM_CoAddProfileGapped", nullptr},
         {"co-add 99 centroid spectra of 2,000 peaks", "BM_CoAddCentroid", nullptr, "the same at 0.1 Da"},
         {"control: profile / again", "BM_CoAddProfileRegular", "BM_CoAddProfileRegular_again"}});
}
