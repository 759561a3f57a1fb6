// The host core-library stand-in against the data-service reads it makes,
// on a generated 5,000-spectrum text dataset (written at start into a
// temporary folder, removed at exit; KSProviderServer and KSTextProvider
// registered with ksregsvr into a registry of that folder):
//   - TIC through TKSMSCollection against the function's own TICDirect;
//   - a mass chromatogram over every spectrum against reading every
//     spectrum through SpectrumDirect (its floor);
//   - chromatogram peak detection of the TIC (twenty elution peaks);
//   - reading the file's bytes (the floor under both).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "chromatogram.h"
#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "kshandles.h"
#include "tindrel.h"

namespace {

const int kSpectra = 5000;
const int kPoints = 400;
const int kElutionPeaks = 20;
const wchar_t kTextProviderId[] = L"{127AC576-D36A-11D3-91D9-00400536072C}";
const CLSID kTextDataServer = ks::guid("02A12D80-06F6-46B5-9617-577DD9D135E8");

struct Dataset {
    std::filesystem::path folder;
    std::string path;
    int64_t bytes = 0;

    Dataset()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tindrelbench.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        folder = pattern;
        path = (folder / "dataset.txt").string();
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            std::abort();
        std::string out;
        uint32_t x = 12345;
        char number[64];
        for (int n = 1; n <= kSpectra; ++n) {
            // Twenty elution peaks, 12 scans wide, raise every point of the
            // spectra they elute in, so that the TIC has peaks to detect.
            double elution = 0;
            for (int k = 0; k < kElutionPeaks; ++k) {
                const double z = (n - (k + 0.5) * kSpectra / kElutionPeaks) / 12.0;
                elution += 200000 * std::exp(-0.5 * z * z);
            }
            out += "Scan " + std::to_string(n) + ", retention time = " + std::to_string(n * 0.01) + "\r\n";
            out += "Generated spectrum\r\n";
            double mz = 100;
            for (int i = 0; i < kPoints; ++i) {
                x = x * 1664525u + 1013904223u;
                mz += 0.5 + (x >> 8) * (1.0 / 16777216.0);
                auto r = std::to_chars(number, number + sizeof number, mz, std::chars_format::fixed, 4);
                out.append(number, r.ptr);
                out += '\t';
                x = x * 1664525u + 1013904223u;
                r = std::to_chars(number, number + sizeof number, elution + (x >> 8) * (100000.0 / 16777216.0),
                                  std::chars_format::fixed, 2);
                out.append(number, r.ptr);
                out += "\r\n";
            }
            if (out.size() > (1 << 20)) {
                std::fwrite(out.data(), 1, out.size(), f);
                bytes += static_cast<int64_t>(out.size());
                out.clear();
            }
        }
        std::fwrite(out.data(), 1, out.size(), f);
        bytes += static_cast<int64_t>(out.size());
        std::fclose(f);

        setenv("KESTROM_REGISTRY", (folder / "registry").c_str(), 1);
        for (const char* module : {"KSProviderServer.so", "KSTextProvider.so"}) {
            const std::string command =
                std::string("'" KS_BIN_DIR "/ksregsvr' '" KS_LIB_DIR "/") + module + "' > /dev/null";
            if (std::system(command.c_str()) != 0)
                std::abort();
        }
    }
    ~Dataset()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Dataset& dataset()
{
    static Dataset d;
    return d;
}

std::wstring widePath()
{
    const std::string& p = dataset().path;
    return std::wstring(p.begin(), p.end());
}

struct Opened {
    std::unique_ptr<TKSDataset> dataset;
    std::unique_ptr<TKSMSCollection> collection;
};

Opened openThroughTindrel()
{
    Opened o;
    TKSDataServer server;
    o.dataset.reset(server.openDataset(widePath(), kTextProviderId));
    if (!o.dataset)
        return o;
    std::unique_ptr<TKSInjections> injections(o.dataset->getInjections());
    std::unique_ptr<TKSInjection> injection(injections ? injections->getItem(0) : nullptr);
    std::unique_ptr<TKSFunctions> functions(injection ? injection->getFunctions() : nullptr);
    std::unique_ptr<TKSFunction> function(functions ? functions->getItem(0) : nullptr);
    if (function)
        o.collection.reset(function->getSpectrumCollection());
    return o;
}

ks::ComPtr<IKSFunction> openDirect()
{
    ks::ComPtr<IKSDataServer> server;
    const ks::Bstr path(widePath());
    if (CoCreateInstance(kTextDataServer, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataServer, server.out()) != S_OK ||
        server->Open(path) != S_OK)
        return {};
    ks::ComPtr<IKSInjections> injections;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunctions> functions;
    ks::ComPtr<IKSFunction> function;
    server->get_Injections(&injections);
    injections->get_Item(1, &injection);
    injection->get_Functions(&functions);
    functions->get_Item(1, &function);
    return function;
}

void BM_FileBytes(benchmark::State& state)
{
    dataset();  // generated before the first measurement
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        FILE* f = std::fopen(dataset().path.c_str(), "rb");
        size_t total = 0, n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            total += n;
        std::fclose(f);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_FileBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TICDirect(benchmark::State& state)
{
    ks::ComPtr<IKSFunction> function = openDirect();
    if (!function) {
        state.SkipWithError("open failed");
        return;
    }
    for (auto _ : state) {
        CChromatogram c;
        CKSChromatogram handle(&c);
        function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle));
        if (c.GetCount() != kSpectra)
            state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_TICDirect)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TindrelTIC(benchmark::State& state)
{
    Opened o = openThroughTindrel();
    if (!o.collection) {
        state.SkipWithError("open failed");
        return;
    }
    for (auto _ : state) {
        TKSChromatogram tic;
        if (!o.collection->getTICChromatogram(tic) || tic.getCount() != kSpectra)
            state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_TindrelTIC)->Unit(benchmark::kMillisecond)->UseRealTime();

// The TIC of a dataset opened afresh (the reader computes it from the file
// then, instead of answering the one it kept): the data server's open and
// TICDirect, against the stand-in's open (which looks the provider up in
// the provider server's list first) and TIC.
void BM_TICDirectFreshOpen(benchmark::State& state)
{
    for (auto _ : state) {
        ks::ComPtr<IKSFunction> function = openDirect();
        CChromatogram c;
        CKSChromatogram handle(&c);
        if (!function || FAILED(function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle))) ||
            c.GetCount() != kSpectra)
            state.SkipWithError("wrong count");
    }
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_TICDirectFreshOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TindrelTICFreshOpen(benchmark::State& state)
{
    for (auto _ : state) {
        Opened o = openThroughTindrel();
        TKSChromatogram tic;
        if (!o.collection || !o.collection->getTICChromatogram(tic) || tic.getCount() != kSpectra)
            state.SkipWithError("wrong count");
    }
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_TindrelTICFreshOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EverySpectrumDirect(benchmark::State& state)
{
    ks::ComPtr<IKSFunction> function = openDirect();
    if (!function) {
        state.SkipWithError("open failed");
        return;
    }
    double check = 0;
    for (auto _ : state) {
        CKSMassSpectrum s;
        for (LONG n = 1; n <= kSpectra; ++n) {
            function->get_SpectrumDirect(n, reinterpret_cast<ULONG_PTR>(&s));
            check += s.GetCount();
        }
    }
    benchmark::DoNotOptimize(check);
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_EverySpectrumDirect)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TindrelMassChromatogram(benchmark::State& state)
{
    Opened o = openThroughTindrel();
    if (!o.collection) {
        state.SkipWithError("open failed");
        return;
    }
    for (auto _ : state) {
        TKSChromatogram mic;
        if (!o.collection->getMassChromatogram(550.0, mic) || mic.getCount() != kSpectra)
            state.SkipWithError("wrong count");
    }
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_TindrelMassChromatogram)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TindrelTICPeakDetection(benchmark::State& state)
{
    Opened o = openThroughTindrel();
    TKSChromatogram tic;
    if (!o.collection || !o.collection->getTICChromatogram(tic)) {
        state.SkipWithError("open failed");
        return;
    }
    int peaks = 0;
    for (auto _ : state) {
        TKSChromatogramPeakDetect detector;
        peaks = detector.detect(tic);
        benchmark::DoNotOptimize(peaks);
    }
    state.counters["peaks"] = peaks;
}
BENCHMARK(BM_TindrelTICPeakDetection)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
