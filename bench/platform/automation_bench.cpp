// BSTR and SAFEARRAY against std::wstring and std::vector: creation and
// element access as the data services use them (titles and paths, m/z and
// intensity arrays of a spectrum).
#include "ksoleauto.h"

#include "benchsummary.h"

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

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_BstrCreate_again", BM_BstrCreate);
    return ksbench::runWithSummary(
        argc, argv,
        {{"create and free a 58-character BSTR / std::wstring", "BM_BstrCreate", "BM_WstringCreate",
          "SysAllocString, SysFreeString", "std::wstring made from the same text and destroyed (heap too)"},
         {"length of a BSTR / std::wstring::size", "BM_BstrLength", "BM_WstringLength", "SysStringLen",
          "size()"},
         {"create 1,000 doubles: SAFEARRAY / std::vector", "BM_SafeArrayCreate/1000", "BM_VectorCreate/1000",
          "SafeArrayCreateVector(VT_R8), SafeArrayDestroy", "std::vector<double>(1000), zeroed, destroyed"},
         {"create 100,000 doubles: SAFEARRAY / std::vector", "BM_SafeArrayCreate/100000", "BM_VectorCreate/100000"},
         {"write and read 1,000 doubles: Put/GetElement / vector", "BM_SafeArrayPutGetElement/1000",
          "BM_VectorAccess/1000", "SafeArrayPutElement then SafeArrayGetElement of each",
          "the same through operator[]"},
         {"the same through SafeArrayAccessData / vector", "BM_SafeArrayAccessData/1000", "BM_VectorAccess/1000",
          "SafeArrayAccessData, the same loops on the pointer, SafeArrayUnaccessData", "the same through operator[]"},
         {"100 BSTRs into and out of a SAFEARRAY / wstrings", "BM_BstrArrayPutGet/100", "BM_WstringVectorPutGet/100",
          "SafeArrayPutElement (copies) and SafeArrayGetElement (copies, freed) of a 38-character text",
          "std::vector<std::wstring>: assign and copy out"},
         {"control: BSTR create / again", "BM_BstrCreate", "BM_BstrCreate_again"}});
}
