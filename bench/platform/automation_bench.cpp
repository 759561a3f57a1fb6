// BSTR and SAFEARRAY against std::wstring and std::vector: creation and
// element access as the data services use them (titles and paths, m/z and
// intensity arrays of a spectrum).
#include "ksoleauto.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const wchar_t kText[] = L"KSTextProvider.KSTextProvider; /data/spectra/run 0001.txt;";

void BM_BstrCreate(benchmark::State& state)
{
    for (auto _ : state) {
        BSTR b = SysAllocString(kText);
        benchmark::DoNotOptimize(b);
        SysFreeString(b);
    }
}
BENCHMARK(BM_BstrCreate);

void BM_WstringCreate(benchmark::State& state)
{
    for (auto _ : state) {
        std::wstring s(kText);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(BM_WstringCreate);

void BM_BstrLength(benchmark::State& state)
{
    BSTR b = SysAllocString(kText);
    for (auto _ : state)
        benchmark::DoNotOptimize(SysStringLen(b));
    SysFreeString(b);
}
BENCHMARK(BM_BstrLength);

void BM_WstringLength(benchmark::State& state)
{
    std::wstring s(kText);
    for (auto _ : state) {
        benchmark::DoNotOptimize(s);
        benchmark::DoNotOptimize(s.size());
    }
}
BENCHMARK(BM_WstringLength);

void BM_SafeArrayCreate(benchmark::State& state)
{
    const ULONG n = static_cast<ULONG>(state.range(0));
    for (auto _ : state) {
        SAFEARRAY* psa = SafeArrayCreateVector(VT_R8, 1, n);
        benchmark::DoNotOptimize(psa);
        SafeArrayDestroy(psa);
    }
}
BENCHMARK(BM_SafeArrayCreate)->Arg(16)->Arg(1000)->Arg(100000);

void BM_VectorCreate(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        std::vector<double> v(n);
        benchmark::DoNotOptimize(v.data());
    }
}
BENCHMARK(BM_VectorCreate)->Arg(16)->Arg(1000)->Arg(100000);

void BM_SafeArrayPutGetElement(benchmark::State& state)
{
    const LONG n = static_cast<LONG>(state.range(0));
    SAFEARRAY* psa = SafeArrayCreateVector(VT_R8, 1, static_cast<ULONG>(n));
    for (auto _ : state) {
        double sum = 0;
        for (LONG i = 1; i <= n; ++i) {
            double v = i * 0.5;
            SafeArrayPutElement(psa, &i, &v);
        }
        for (LONG i = 1; i <= n; ++i) {
            double v;
            SafeArrayGetElement(psa, &i, &v);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    SafeArrayDestroy(psa);
    state.SetItemsProcessed(state.iterations() * n * 2);
}
BENCHMARK(BM_SafeArrayPutGetElement)->Arg(1000);

void BM_SafeArrayAccessData(benchmark::State& state)
{
    const LONG n = static_cast<LONG>(state.range(0));
    SAFEARRAY* psa = SafeArrayCreateVector(VT_R8, 1, static_cast<ULONG>(n));
    for (auto _ : state) {
        double* data = nullptr;
        SafeArrayAccessData(psa, reinterpret_cast<void**>(&data));
        for (LONG i = 0; i < n; ++i)
            data[i] = i * 0.5;
        double sum = 0;
        for (LONG i = 0; i < n; ++i)
            sum += data[i];
        SafeArrayUnaccessData(psa);
        benchmark::DoNotOptimize(sum);
    }
    SafeArrayDestroy(psa);
    state.SetItemsProcessed(state.iterations() * n * 2);
}
BENCHMARK(BM_SafeArrayAccessData)->Arg(1000);

void BM_VectorAccess(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<double> v(n);
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i)
            v[i] = static_cast<double>(i) * 0.5;
        double sum = 0;
        for (size_t i = 0; i < n; ++i)
            sum += v[i];
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n) * 2);
}
BENCHMARK(BM_VectorAccess)->Arg(1000);

void BM_BstrArrayPutGet(benchmark::State& state)
{
    const LONG n = static_cast<LONG>(state.range(0));
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(n));
    BSTR text = SysAllocString(L"FTMS + p ESI Full ms [100.00-1500.00]");
    for (auto _ : state) {
        for (LONG i = 0; i < n; ++i)
            SafeArrayPutElement(psa, &i, text);
        for (LONG i = 0; i < n; ++i) {
            BSTR out = nullptr;
            SafeArrayGetElement(psa, &i, &out);
            benchmark::DoNotOptimize(out);
            SysFreeString(out);
        }
    }
    SysFreeString(text);
    SafeArrayDestroy(psa);
    state.SetItemsProcessed(state.iterations() * n * 2);
}
BENCHMARK(BM_BstrArrayPutGet)->Arg(100);

void BM_WstringVectorPutGet(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    std::vector<std::wstring> v(n);
    const std::wstring text = L"FTMS + p ESI Full ms [100.00-1500.00]";
    for (auto _ : state) {
        for (size_t i = 0; i < n; ++i)
            v[i] = text;
        for (size_t i = 0; i < n; ++i) {
            std::wstring out = v[i];
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n) * 2);
}
BENCHMARK(BM_WstringVectorPutGet)->Arg(100);

}  // namespace
