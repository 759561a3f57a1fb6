// The library's transform on 65536 points (forward, inverse, Hilbert
// reconstruction). Compare with numpy_fft.py on the same machine.
#include "numeric.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

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
    const std::vector<double> original = input(n);
    std::vector<double> z = original;
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
    const std::vector<double> original = input(n);
    std::vector<double> z = original;
    for (auto _ : state) {
        yarbex::hilbertImaginary(n, z.data());
        benchmark::DoNotOptimize(z.data());
        benchmark::ClobberMemory();
    }
}

}  // namespace

BENCHMARK(BM_Forward)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ForwardInverse)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hilbert)->Arg(65536)->Unit(benchmark::kMicrosecond);
