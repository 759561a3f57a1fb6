// Every bundled dataset (written by each provider's own sample script or
// tool) and every real one (beside the repository, KS_REALDATA_DIR): opened
// through dataset access, every spectrum of every function read through the
// tree into a caller's handle (SpectrumDirect); beside it the same open and
// reads through the provider's reader directly, so the table shows what
// probing, creation and the tree add to a reader's own work. The argument
// of both benchmarks is the dataset's place in the list printed first.
#include "benchsummary.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "brukerdataserver.h"
#include "iontrapdataserver.h"
#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "kshandles.h"
#include "lcmsddataserver.h"
#include "tavriondataserver.h"
#include "textdataserver.h"
#ifdef KS_HAVE_COMPASS
#include "brukercompassdataserver.h"
#endif
#ifdef KS_HAVE_MASSLYNX
#include "mldataserver.h"
#endif

namespace {

struct Dataset {
    std::string name;
    std::string path;
    std::function<std::unique_ptr<CDataServerImpl>()> reader;
};

template <class Reader>
std::unique_ptr<CDataServerImpl> make()
{
    return std::make_unique<Reader>();
}

bool run(const std::string& command)
{
    return std::system((command + " > /dev/null").c_str()) == 0;
}

std::string scriptOf(const char* relative)
{
    return std::string(KS_PYTHON3) + " " + KS_PROVIDERS_DIR + "/" + relative;
}

// The benchmark's own folder, removed when the program ends.
std::string& scratchFolder()
{
    static std::string folder;
    return folder;
}

void removeScratchFolder()
{
    std::error_code ec;
    if (!scratchFolder().empty())
        std::filesystem::remove_all(scratchFolder(), ec);
}

// The registry and the bundled datasets, made once in a folder of the
// benchmark's own; the list of datasets that could be written or found.
const std::vector<Dataset>& datasets()
{
    static const std::vector<Dataset> all = [] {
        std::vector<Dataset> v;
        std::string folder = std::filesystem::temp_directory_path().string() + "/ks_providers_bench_XXXXXX";
        if (!mkdtemp(folder.data()))
            return v;
        scratchFolder() = folder;
        std::atexit(removeScratchFolder);
        setenv("KESTROM_REGISTRY", (folder + "/registry").c_str(), 1);
        const std::string lib = KS_LIB_DIR;
        for (const char* module : {"KSProviderServer", "KSControls", "Ombrel2", "IonTrapAnalysis",
#ifdef KS_HAVE_COMPASS
                                   "CompassAnalysis", "KSBrukerCompassProvider",
#endif
#ifdef KS_HAVE_MASSLYNX
                                   "MassLynxRaw", "KSMLProvider_4_1",
#endif
                                   "KSTextProvider", "KSAgilentProvider", "KSTavrionProvider", "KSBrukerProvider"})
            if (!run(std::string(KS_BIN_DIR) + "/ksregsvr " + lib + "/" + module + ".so"))
                std::fprintf(stderr, "providers_bench: %s did not register\n", module);

        const std::string text = std::string(KS_PROVIDERS_DIR) + "/text/samples/text_dataset.txt";
        v.push_back({"bundled text", text, make<CTextDataServerImpl>});
        if (run(scriptOf("agilent/samples/make_iontrap_sample.py") + " " + folder + "/iontrap.d"))
            v.push_back({"bundled ion trap", folder + "/iontrap.d", make<CAgilentIonTrapDataServerImpl>});
        if (run(std::string(KS_BIN_DIR) + "/tavrion-rawfile make-sample " + folder + "/sample.raw"))
            v.push_back({"bundled Tavrion", folder + "/sample.raw", make<CTavrionDataServerImpl>});
#ifdef KS_HAVE_MASSLYNX
        if (run(scriptOf("masslynx/samples/make_sample.py") + " " + folder + "/caffeine-es.raw"))
            v.push_back({"bundled MassLynx", folder + "/caffeine-es.raw", make<CMLDataServerImpl>});
#endif
        if (run(scriptOf("bruker/samples/make_sample.py") + " " + folder))
            v.push_back({"bundled XMASS", folder + "/xmass_sample", make<CBrukerDataServerImpl>});
        if (run(scriptOf("agilent/samples/make_sample.py") + " " + folder + "/caffeine.D"))
            v.push_back({"bundled ChemStation", folder + "/caffeine.D", make<CLCMSDDataServerImpl>});
#ifdef KS_HAVE_COMPASS
        if (run(scriptOf("brukercompass/samples/make_compass_sample.py") + " " + folder + "/compass.d"))
            v.push_back({"bundled Compass", folder + "/compass.d", make<CBrukerCompassDataServerImpl>});
#endif
        const std::string real = KS_REALDATA_DIR;
        const std::vector<Dataset> reals{
            {"real ChemStation carotenoid", real + "/chemstation-ms/entab-carotenoid_extract.d",
             make<CLCMSDDataServerImpl>},
            {"real ChemStation orange", real + "/chemstation-ms/rainbow-orange.D", make<CLCMSDDataServerImpl>},
            {"real ChemStation dataSim.ms", real + "/chemstation-ms/rainbow-yellow.D/dataSim.ms",
             make<CLCMSDDataServerImpl>},
            {"real XMASS OpenMS", real + "/xmass/openms-XMassFile_test", make<CBrukerDataServerImpl>},
        };
        for (const Dataset& d : reals)
            if (std::filesystem::exists(d.path))
                v.push_back(d);
        for (size_t i = 0; i < v.size(); ++i)
            std::printf("dataset %zu: %s (%s)\n", i, v[i].name.c_str(), v[i].path.c_str());
        return v;
    }();
    return all;
}

const Dataset* datasetAt(benchmark::State& state)
{
    const auto& all = datasets();
    const size_t at = static_cast<size_t>(state.range(0));
    if (at >= all.size()) {
        state.SkipWithError("no such dataset here (its script failed or the real-data folder is missing)");
        return nullptr;
    }
    return &all[at];
}

// Opens through a new dataset access and reads every spectrum of injection
// 1 through the tree; the spectra read, or -1.
LONG throughAccess(const std::string& path)
{
    ks::ComPtr<IKSDataAccess> access;
    if (FAILED(CoCreateInstance(CLSID_KSDataAccess, nullptr, CLSCTX_ALL, IID_IKSDataAccess, access.out())))
        return -1;
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    if (FAILED(access->OpenInjection(ks::Bstr(std::wstring(path.begin(), path.end())), 1, &server, &injection)))
        return -1;
    ks::ComPtr<IKSFunctions> functions;
    LONG count = 0;
    if (FAILED(injection->get_Functions(&functions)) || FAILED(functions->get_Count(&count)))
        return -1;
    CKSMassSpectrum handle;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    LONG read = 0;
    for (LONG f = 1; f <= count; ++f) {
        ks::ComPtr<IKSFunction> function;
        LONG spectra = 0;
        if (FAILED(functions->get_Item(f, &function)) || FAILED(function->get_Count(&spectra)))
            return -1;
        for (LONG i = 1; i <= spectra; ++i) {
            if (FAILED(function->get_SpectrumDirect(i, address)))
                return -1;
            ++read;
        }
    }
    return read;
}

// The same through the provider's reader: open, then every spectrum of
// every function of injection 0.
LONG throughReader(const Dataset& d)
{
    std::unique_ptr<CDataServerImpl> reader = d.reader();
    const std::wstring path(d.path.begin(), d.path.end());
    if (FAILED(reader->Open(CString(path.c_str()))))
        return -1;
    CMassSpectrum spectrum;
    LONG read = 0;
    const int functions = reader->FunctionCount(0);
    for (int f = 0; f < functions; ++f) {
        const int spectra = reader->SpectrumCount(0, f);
        for (int i = 0; i < spectra; ++i) {
            if (FAILED(reader->Spectrum(0, f, i, spectrum)))
                return -1;
            ++read;
        }
    }
    reader->Close();
    return read;
}

void BM_ThroughDataAccess(benchmark::State& state)
{
    const Dataset* d = datasetAt(state);
    if (!d)
        return;
    LONG read = 0;
    for (auto _ : state) {
        read = throughAccess(d->path);
        if (read < 0) {
            state.SkipWithError("the dataset does not open or read through dataset access");
            return;
        }
    }
    state.counters["spectra"] = static_cast<double>(read);
    state.SetItemsProcessed(state.iterations() * read);
}

void BM_ThroughTheReader(benchmark::State& state)
{
    const Dataset* d = datasetAt(state);
    if (!d)
        return;
    LONG read = 0;
    for (auto _ : state) {
        read = throughReader(*d);
        if (read < 0) {
            state.SkipWithError("the dataset does not open or read through its reader");
            return;
        }
    }
    state.counters["spectra"] = static_cast<double>(read);
    state.SetItemsProcessed(state.iterations() * read);
}

constexpr int kMaxDatasets = 12;

void registerAll()
{
    const auto& all = datasets();
    for (int i = 0; i < static_cast<int>(all.size()) && i < kMaxDatasets; ++i) {
        benchmark::RegisterBenchmark("BM_ThroughDataAccess", BM_ThroughDataAccess)
            ->Arg(i)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(ksbench::kRepetitions);
        benchmark::RegisterBenchmark("BM_ThroughTheReader", BM_ThroughTheReader)
            ->Arg(i)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(ksbench::kRepetitions);
    }
    if (!all.empty())
        ksbench::registerControl("BM_ThroughDataAccess_again", BM_ThroughDataAccess)
            ->Arg(0)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(ksbench::kRepetitions);
}

}  // namespace

int main(int argc, char** argv)
{
    registerAll();
    const auto& all = datasets();
    std::vector<std::string> names(all.size() * 3);
    std::vector<ksbench::Pair> pairs;
    for (size_t i = 0; i < all.size(); ++i) {
        names[3 * i] = all[i].name;
        names[3 * i + 1] = "BM_ThroughDataAccess/" + std::to_string(i);
        names[3 * i + 2] = "BM_ThroughTheReader/" + std::to_string(i);
    }
    for (size_t i = 0; i < all.size(); ++i)
        pairs.push_back({names[3 * i].c_str(), names[3 * i + 1].c_str(), names[3 * i + 2].c_str(),
                         i == 0 ? "dataset access opens the path (each registered provider asked in turn), "
                                  "every spectrum of every function of injection 1 read through the tree "
                                  "(get_SpectrumDirect into one handle)"
                                : nullptr,
                         "the provider's reader in this process: Open, every Spectrum of every function, "
                         "Close"});
    if (!all.empty())
        pairs.push_back({"control: bundled text through dataset access / again", "BM_ThroughDataAccess/0",
                         "BM_ThroughDataAccess_again/0"});
    return ksbench::runWithSummary(argc, argv, pairs);
}
