// Reading every spectrum of a 5,000-scan dataset: straight from the reader,
// through the object tree into the caller's handle (SpectrumDirect), and
// through the object tree as spectrum objects of the library (Spectrum).
// Five interleaved runs of each; the program ends with the tree beside the
// reader alone (CPU time: in-process rounds on a shared machine).
//
// Two readers of the same data: one copies spectra held in memory (the
// cheapest possible reader, so the tree's own cost shows fully), one parses
// them from text held in memory ("m/z intensity" lines, as a text-format
// reader does, without the file I/O). Argument 0 or 1 chooses the reader.
#include "benchsummary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ksactivation.h"
#include "kscomptr.h"
#include "ksdataservertree.h"

namespace {

constexpr int kScans = 5000;
constexpr LONG kPoints = 400;

inline constexpr CLSID CLSID_BenchDataServer = ks::guid("0F3C2A61-5D7E-4B18-A9C0-3E6D5B4A2F10");
inline constexpr GUID LIBID_Bench = ks::guid("0F3C2A60-5D7E-4B18-A9C0-3E6D5B4A2F10");

struct Dataset {
    std::vector<std::vector<double>> masses;
    std::vector<std::vector<double>> intensities;
    std::vector<std::string> text;
    Dataset()
    {
        masses.resize(kScans);
        intensities.resize(kScans);
        text.resize(kScans);
        char line[64];
        for (int k = 0; k < kScans; ++k) {
            masses[k].resize(kPoints);
            intensities[k].resize(kPoints);
            for (LONG p = 0; p < kPoints; ++p) {
                masses[k][p] = 100.0 + 0.5 * p + 0.001 * k;
                intensities[k][p] = static_cast<double>((p * 37 + k * 11) % 1000);
                std::snprintf(line, sizeof line, "%.4f %.1f\n", masses[k][p], intensities[k][p]);
                text[k] += line;
            }
        }
    }
};

// 0: copy from memory; 1: parse text.
int g_readerKind = 0;

const Dataset& Data()
{
    static const Dataset data;
    return data;
}

class CBenchReader : public CDataServerImpl {
public:
    CString DatasetType() override { return CString(L"KSBench"); }
    bool IsValidDataset(const CString&) override { return true; }
    HRESULT Open(const CString&) override { return S_OK; }
    HRESULT Close() override { return S_OK; }
    int SpectrumCount(int, int) override { return kScans; }
    HRESULT Spectrum(int, int, int index, CMassSpectrum& spectrum) override
    {
        if (index < 0 || index >= kScans)
            return E_FAIL;
        const Dataset& d = Data();
        spectrum.Resize(kPoints);
        if (g_readerKind == 0) {
            std::copy(d.masses[index].begin(), d.masses[index].end(), spectrum.Masses());
            std::copy(d.intensities[index].begin(), d.intensities[index].end(), spectrum.Intensities());
        } else {
            const char* p = d.text[index].c_str();
            double* masses = spectrum.Masses();
            double* intensities = spectrum.Intensities();
            for (LONG i = 0; i < kPoints; ++i) {
                char* end = nullptr;
                masses[i] = std::strtod(p, &end);
                intensities[i] = std::strtod(end, &end);
                p = end;
            }
        }
        spectrum.Invalidate();
        spectrum.SetCentroid(false);
        spectrum.SetTitle(L"Scan");
        spectrum.SetMSOrder(1);
        spectrum.SetPolarity(FunctionPolarityPositive);
        spectrum.SetFunctionType(FunctionTypeMS);
        spectrum.SetStartRT(0.01 * index);
        spectrum.SetEndRT(0.01 * index);
        spectrum.SetFirstScan(index + 1);
        spectrum.SetLastScan(index + 1);
        return S_OK;
    }
    int SpectrumIndexByRT(int, int, double, FunctionRTProximity) override { return -1; }
    // Both readers size the spectrum and write each of its points.
    bool WritesEveryPoint() override { return true; }
};

class CBenchTrace : public CKSTraceTemplate<CBenchTrace, CBenchReader, &LIBID_Bench> {};
class CBenchTraces : public CKSTracesTemplate<CBenchTraces, CBenchReader, CBenchTrace, &LIBID_Bench> {};
class CBenchFunction : public CKSFunctionTemplate<CBenchFunction, CBenchReader, &LIBID_Bench> {};
class CBenchFunctions : public CKSFunctionsTemplate<CBenchFunctions, CBenchReader, CBenchFunction, &LIBID_Bench> {};
class CBenchInjection
    : public CKSInjectionTemplate<CBenchInjection, CBenchReader, CBenchFunctions, CBenchTraces, &LIBID_Bench> {};
class CBenchInjections
    : public CKSInjectionsTemplate<CBenchInjections, CBenchReader, CBenchInjection, &LIBID_Bench> {};
class CBenchDataServer : public CKSDataServerTemplate<CBenchDataServer, CBenchReader, CBenchInjections,
                                                      &CLSID_BenchDataServer, &LIBID_Bench> {};

// The first function of the opened bench dataset.
ks::ComPtr<IKSFunction> OpenFunction(ks::ComPtr<IKSDataServer>& server)
{
    CBenchDataServer* raw = nullptr;
    ks::createObject(&raw);
    server = raw;
    ks::Bstr path(L"bench");
    server->Open(path);
    ks::ComPtr<IKSInjections> injections;
    server->get_Injections(&injections);
    ks::ComPtr<IKSInjection> injection;
    injections->get_Item(1, &injection);
    ks::ComPtr<IKSFunctions> functions;
    injection->get_Functions(&functions);
    ks::ComPtr<IKSFunction> function;
    functions->get_Item(1, &function);
    return function;
}

// The spectrum-object library goes into a registry folder of the bench's
// own under the temporary directory.
bool RegisterLibrary()
{
    static int result = [] {
        std::string folder = std::filesystem::temp_directory_path().string() + "/ks_tree_bench_XXXXXX";
        if (!mkdtemp(folder.data()))
            return 1;
        setenv("KESTROM_REGISTRY", (folder + "/registry").c_str(), 1);
        const std::string command = std::string(KS_BIN_DIR) + "/ksregsvr " + KS_LIB_DIR + "/KSControls.so > /dev/null";
        return std::system(command.c_str());
    }();
    return result == 0;
}

void BM_ReaderDirectly(benchmark::State& state)
{
    Data();
    g_readerKind = static_cast<int>(state.range(0));
    CBenchReader reader;
    CMassSpectrum spectrum;
    for (auto _ : state) {
        for (int k = 0; k < kScans; ++k) {
            HRESULT hr = reader.Spectrum(0, 0, k, spectrum);
            benchmark::DoNotOptimize(hr);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kScans);
}

void BM_TreeSpectrumDirect(benchmark::State& state)
{
    Data();
    g_readerKind = static_cast<int>(state.range(0));
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSFunction> function = OpenFunction(server);
    CKSMassSpectrum handle;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    for (auto _ : state) {
        for (LONG k = 1; k <= kScans; ++k) {
            HRESULT hr = function->get_SpectrumDirect(k, address);
            benchmark::DoNotOptimize(hr);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kScans);
}

void BM_TreeSpectrumObject(benchmark::State& state)
{
    Data();
    g_readerKind = static_cast<int>(state.range(0));
    if (!RegisterLibrary()) {
        state.SkipWithError("KSControls could not be registered");
        return;
    }
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSFunction> function = OpenFunction(server);
    for (auto _ : state) {
        for (LONG k = 1; k <= kScans; ++k) {
            IKSMassSpectrum* object = nullptr;
            HRESULT hr = function->get_Spectrum(k, &object);
            if (FAILED(hr) || !object) {
                state.SkipWithError("Spectrum failed");
                return;
            }
            object->Release();
        }
    }
    state.SetItemsProcessed(state.iterations() * kScans);
}

}  // namespace

#define KS_TREE_BENCH(fn) \
    BENCHMARK(fn)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(ksbench::kRepetitions)
KS_TREE_BENCH(BM_ReaderDirectly);
KS_TREE_BENCH(BM_TreeSpectrumDirect);
KS_TREE_BENCH(BM_TreeSpectrumObject);

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_TreeSpectrumDirect_again", BM_TreeSpectrumDirect)
        ->Arg(0)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(ksbench::kRepetitions);
    const char* direct = "the dataset opened through the framework's data server, every get_SpectrumDirect of the "
                         "first function into the caller's handle";
    const char* objects = "the same through get_Spectrum: a spectrum object of the registered library per scan";
    const char* reader = "the same reader alone in this process: every spectrum read into one record";
    return ksbench::runWithSummary(
        argc, argv,
        {{"SpectrumDirect / reader alone, copying from memory", "BM_TreeSpectrumDirect/0", "BM_ReaderDirectly/0",
          direct, reader, 1.2},
         {"SpectrumDirect / reader alone, parsing text", "BM_TreeSpectrumDirect/1", "BM_ReaderDirectly/1", direct,
          reader, 1.2},
         {"Spectrum (objects) / reader alone, copying", "BM_TreeSpectrumObject/0", "BM_ReaderDirectly/0", objects,
          reader},
         {"Spectrum (objects) / reader alone, parsing", "BM_TreeSpectrumObject/1", "BM_ReaderDirectly/1", objects,
          reader},
         {"control: SpectrumDirect, copying / again", "BM_TreeSpectrumDirect/0", "BM_TreeSpectrumDirect_again/0"}},
        ksbench::Clock::Cpu);
}
