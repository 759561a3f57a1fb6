// Reading a 104 MB multi-spectrum text dataset (generated at start into a
// temporary folder and removed at exit) through the text format's dataset
// view, through the text provider component (its data server's object tree
// and the provider object's own dataset, registered with ksregsvr into a
// registry of that temporary folder), beside two references in this
// process over the same file in the same run: a one-pass std::from_chars
// loop over its lines (the two numbers of each point line converted and
// added up, header lines skipped after one failed conversion: the least any
// reader of these numbers does) and a plain read() loop over its bytes.
// Five interleaved runs each and a control row; the program ends with ours
// beside the references. Throughput is the file size per second.
#include "benchsummary.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

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
const int kRuns = ksbench::kRepetitions;
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
BENCHMARK(BM_DatasetEverySpectrum)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRuns);

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
BENCHMARK(BM_ProviderTreeEverySpectrum)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRuns);

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
BENCHMARK(BM_ProviderDatasetEverySpectrum)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRuns);

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
BENCHMARK(BM_DatasetTIC)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRuns);

// Reference: one pass with std::from_chars over the lines. The file is read
// in 1 MiB pieces; a line whose first field converts is a point line, and
// its second number is converted after the blanks, tabs or comma between
// them (two conversions, nothing more); any other line costs one failed
// conversion. The numbers are added up.
void BM_FromCharsLoop(benchmark::State& state)
{
    std::vector<char> buffer(1 << 20);
    double check = 0;
    int64_t numbers = 0;
    for (auto _ : state) {
        const int fd = open(dataset().path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("open failed");
            break;
        }
        size_t held = 0;
        double sum = 0;
        numbers = 0;
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data() + held, buffer.size() - held);
            if (n <= 0)
                break;
            held += static_cast<size_t>(n);
            const char* p = buffer.data();
            const char* const end = p + held;
            while (const char* nl = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)))) {
                double mz, intensity;
                std::from_chars_result r = std::from_chars(p, nl, mz);
                if (r.ec == std::errc()) {
                    p = r.ptr;
                    while (p < nl && (*p == ' ' || *p == '\t' || *p == ','))
                        ++p;
                    r = std::from_chars(p, nl, intensity);
                    if (r.ec == std::errc()) {
                        sum += mz + intensity;
                        numbers += 2;
                    }
                }
                p = nl + 1;
            }
            held = static_cast<size_t>(end - p);
            memmove(buffer.data(), p, held);
        }
        close(fd);
        check += sum;
    }
    benchmark::DoNotOptimize(check);
    if (numbers != 2 * int64_t(kSpectra) * kPoints)
        state.SkipWithError("wrong number count");
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_FromCharsLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRuns);

// Reference: the file's bytes read in this process, 1 MiB at a time.
void BM_ReadLoop(benchmark::State& state)
{
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int fd = open(dataset().path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            state.SkipWithError("open failed");
            break;
        }
        int64_t total = 0;
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
            total += n;
        close(fd);
        if (total != dataset().bytes)
            state.SkipWithError("short read");
    }
    state.SetBytesProcessed(state.iterations() * dataset().bytes);
}
BENCHMARK(BM_ReadLoop)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(kRuns);

}  // namespace

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_DatasetEverySpectrum_again", BM_DatasetEverySpectrum)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(kRuns);
    const char* loop = "open, read() in 1 MiB pieces, std::from_chars of the two numbers of every point line "
                       "(one failed call on the other lines), sum, close";
    return ksbench::runWithSummary(
        argc, argv,
        {{"every spectrum, CTextDataIO / from_chars loop", "BM_DatasetEverySpectrum", "BM_FromCharsLoop",
          "CTextDataIO: open (index of the scans), TIC, every spectrum in order", loop, 1.3},
         {"every spectrum, data server's tree / from_chars", "BM_ProviderTreeEverySpectrum", "BM_FromCharsLoop",
          "the registered text data server: open, function's TICDirect, every SpectrumDirect", loop},
         {"every spectrum, provider's dataset / from_chars", "BM_ProviderDatasetEverySpectrum", "BM_FromCharsLoop",
          "the provider's dataset (scripted file dialog): TIC, every GetBaseSpectrumDirect", loop},
         {"open and chromatogram only / from_chars loop", "BM_DatasetTIC", "BM_FromCharsLoop",
          "CTextDataIO: open and TIC", loop},
         {"every spectrum, CTextDataIO / read() of the bytes", "BM_DatasetEverySpectrum", "BM_ReadLoop",
          "as above", "open, read() in 1 MiB pieces to the end, close"},
         {"control: CTextDataIO / again", "BM_DatasetEverySpectrum", "BM_DatasetEverySpectrum_again"}});
}
