// Reading a 100 MB multi-spectrum text dataset (generated at start into a
// temporary folder and removed at exit) through the text provider component
// (its data server's object tree and the provider object's own dataset,
// registered with ksregsvr into a registry of that temporary folder) and
// through the text format's dataset view underneath, against two floors
// over the same file: `wc -l` and a plain strtod loop over every number.
// Throughput is the file size per second.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "chromatogram.h"
#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksdialogrunner.h"
#include "kshandles.h"
#include "kstextprovider.h"
#include "massspectrum.h"
#include "textdataio.h"

namespace {

const int kSpectra = 5000;
const int kPoints = 1100;

struct Dataset {
    std::filesystem::path folder;
    std::string path;
    int64_t bytes = 0;

    Dataset()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kstextbench.XXXXXX").string();
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
            out += "Scan " + std::to_string(n) + ", retention time = " + std::to_string(n * 0.01) + "\r\n";
            out += "Generated spectrum\r\n";
            double mz = 100;
            for (int i = 0; i < kPoints; ++i) {
                x = x * 1664525u + 1013904223u;
                mz += 0.05 + (x >> 8) * (1.0 / 16777216.0);
                auto r = std::to_chars(number, number + sizeof number, mz, std::chars_format::fixed, 4);
                out.append(number, r.ptr);
                out += '\t';
                x = x * 1664525u + 1013904223u;
                r = std::to_chars(number, number + sizeof number, (x >> 8) * (100000.0 / 16777216.0),
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

        // The component, registered into a registry of its own.
        setenv("KESTROM_REGISTRY", (folder / "registry").c_str(), 1);
        const std::string command =
            std::string("'" KS_BIN_DIR "/ksregsvr' '" KS_LIB_DIR "/KSTextProvider.so' > /dev/null");
        if (std::system(command.c_str()) != 0)
            std::abort();
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

// Everything a client of the dataset reads: count, chromatogram, every
// spectrum in order.
void BM_DatasetEverySpectrum(benchmark::State& state)
{
    const std::wstring path = widePath();
    double check = 0;
    for (auto _ : state) {
        CTextDataIO io;
        if (!io.Open(path))
            state.SkipWithError("open failed");
        const LONG count = io.SpectrumCount();
        LONG ticCount = 0;
        std::vector<double> times, sums;
        io.ReadTIC(ticCount, times, sums);
        CMassSpectrum s;
        for (LONG n = 1; n <= count; ++n) {
            io.ReadDatasetSpectrum(n, s);
            check += s.GetCount();
        }
        if (count != kSpectra || ticCount != kSpectra)
            state.SkipWithError("wrong count");
    }
    benchmark::DoNotOptimize(check);
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
    state.counters["file_MB"] = static_cast<double>(dataset().bytes) / 1e6;
}
BENCHMARK(BM_DatasetEverySpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same through the registered data server's object tree, as a client
// of dataset access reads it: the function's count, TICDirect and every
// SpectrumDirect into the caller's own spectrum.
void BM_ProviderTreeEverySpectrum(benchmark::State& state)
{
    const ks::Bstr path(widePath());
    double check = 0;
    for (auto _ : state) {
        ks::ComPtr<IKSDataServer> server;
        if (CoCreateInstance(CLSID_KSTextDataServer, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataServer,
                             reinterpret_cast<void**>(&server)) != S_OK ||
            server->Open(path) != S_OK) {
            state.SkipWithError("open failed");
            break;
        }
        ks::ComPtr<IKSInjections> injections;
        ks::ComPtr<IKSInjection> injection;
        ks::ComPtr<IKSFunctions> functions;
        ks::ComPtr<IKSFunction> function;
        server->get_Injections(&injections);
        injections->get_Item(1, &injection);
        injection->get_Functions(&functions);
        functions->get_Item(1, &function);
        LONG count = 0;
        function->get_Count(&count);
        CChromatogram chromatogram;
        CKSChromatogram tic(&chromatogram);
        function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&tic));
        CKSMassSpectrum s;
        for (LONG n = 1; n <= count; ++n) {
            function->get_SpectrumDirect(n, reinterpret_cast<ULONG_PTR>(&s));
            check += s.GetCount();
        }
        if (count != kSpectra || chromatogram.GetCount() != kSpectra)
            state.SkipWithError("wrong count");
    }
    benchmark::DoNotOptimize(check);
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_ProviderTreeEverySpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();

// The provider object's own dataset, opened through its (scripted) file
// dialog: BaseSpectrumCount, GetTICDirect and every GetBaseSpectrumDirect.
void BM_ProviderDatasetEverySpectrum(benchmark::State& state)
{
    const std::wstring path = widePath();  // generates and registers first
    ks::dialogs::ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scope(runner);
    double check = 0;
    for (auto _ : state) {
        ks::ComPtr<IKSMSDatasetReader> reader;
        if (CoCreateInstance(CLSID_KSTextProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IKSMSDatasetReader,
                             reinterpret_cast<void**>(&reader)) != S_OK) {
            state.SkipWithError("no provider");
            break;
        }
        runner.answerFile(path);
        ks::ComPtr<IKSMSDataset> dataset;
        if (reader->ReadDatasetInteractive(&dataset) != S_OK) {
            state.SkipWithError("open failed");
            break;
        }
        ks::ComPtr<IKSMSDataset2> two;
        dataset->QueryInterface(IID_IKSMSDataset2, reinterpret_cast<void**>(&two));
        LONG count = 0;
        two->get_BaseSpectrumCount(&count);
        CKSMassSpectrum tic;
        two->GetTICDirect(reinterpret_cast<ULONG_PTR>(&tic));
        CKSMassSpectrum s;
        for (LONG n = 1; n <= count; ++n) {
            two->GetBaseSpectrumDirect(n, reinterpret_cast<ULONG_PTR>(&s));
            check += s.GetCount();
        }
        if (count != kSpectra || tic.GetCount() != kSpectra)
            state.SkipWithError("wrong count");
    }
    benchmark::DoNotOptimize(check);
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_ProviderDatasetEverySpectrum)->Unit(benchmark::kMillisecond)->UseRealTime();

// Open and chromatogram only: one pass over the file.
void BM_DatasetTIC(benchmark::State& state)
{
    const std::wstring path = widePath();
    for (auto _ : state) {
        CTextDataIO io;
        io.Open(path);
        LONG count = 0;
        std::vector<double> times, sums;
        io.ReadTIC(count, times, sums);
        if (count != kSpectra)
            state.SkipWithError("wrong count");
    }
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_DatasetTIC)->Unit(benchmark::kMillisecond)->UseRealTime();

// Floor 1: counting the lines.
void BM_WcL(benchmark::State& state)
{
    const std::string command = "wc -l < '" + dataset().path + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("wc failed");
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_WcL)->Unit(benchmark::kMillisecond)->UseRealTime();

// Floor 2: read the file and strtod every number, skipping what is none.
void BM_StrtodLoop(benchmark::State& state)
{
    std::vector<char> buffer(1 << 20);
    double check = 0;
    for (auto _ : state) {
        FILE* f = std::fopen(dataset().path.c_str(), "rb");
        std::string data;
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            data.append(buffer.data(), n);
        std::fclose(f);
        const char* p = data.c_str();
        const char* end = p + data.size();
        double sum = 0;
        while (p < end) {
            char* next;
            const double v = std::strtod(p, &next);
            if (next == p) {
                ++p;
            } else {
                sum += v;
                p = next;
            }
        }
        check += sum;
    }
    benchmark::DoNotOptimize(check);
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_StrtodLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
