// Importing a dataset through the plug-in's converter (valid-dataset test,
// open into a mass item handed to the host, the TIC, the spectrum at the
// highest TIC point), beside the same open and reads through the core
// library directly. Datasets: the bundled text dataset, the real
// one-spectrum text file and, when its provider is built, the real orange
// ChemStation run. Components are registered into a registry folder of the
// benchmark's own.
#include "benchsummary.h"

#include <QApplication>

#include <filesystem>
#include <memory>

#include "massutils.h"
#include "recordinghost.h"
#include "tbaseconverter.h"
#include "tcanvasmass.h"
#include "tionvale.h"
#include "tkscollection.h"
#include "tksdataserver.h"

namespace {

struct Dataset {
    std::string name;
    std::string path;
};

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

bool registered(const char* module)
{
    const std::string path = std::string(KS_LIB_DIR) + "/" + module + ".so";
    return std::filesystem::exists(path) && ksbench::runQuiet({std::string(KS_BIN_DIR) + "/ksregsvr", path});
}

const std::vector<Dataset>& datasets()
{
    static const std::vector<Dataset> all = [] {
        std::vector<Dataset> v;
        std::string folder = std::filesystem::temp_directory_path().string() + "/ks_import_bench_XXXXXX";
        if (!mkdtemp(folder.data()))
            return v;
        scratchFolder() = folder;
        std::atexit(removeScratchFolder);
        setenv("KESTROM_REGISTRY", (folder + "/registry").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
        if (!registered("KSProviderServer") || !registered("KSTextProvider"))
            return v;
        v.push_back({"bundled text", std::string(KS_SOURCE_DIR) +
                                         "/../../dataservices/providers/text/samples/text_dataset.txt"});
        v.push_back({"real one-spectrum text", std::string(KS_REALDATA_DIR) + "/xmass/openms-XMassFile_test_data.txt"});
        if (registered("KSAgilentProvider"))
            v.push_back({"real ChemStation orange", std::string(KS_REALDATA_DIR) + "/chemstation-ms/rainbow-orange.D"});
        return v;
    }();
    return all;
}

// Index of the highest point.
int highest(const std::vector<double>& values)
{
    return values.empty() ? -1 : static_cast<int>(std::max_element(values.begin(), values.end()) - values.begin());
}

struct Plugin {
    lumatra::RecordingHost host;
    TIonvale* plugin = new TIonvale;
    Plugin() { host.loadPlugin(plugin); }
    ~Plugin() { delete plugin; }
};

void BM_ThroughTheConverter(benchmark::State& state)
{
    const Dataset& d = datasets().at(static_cast<size_t>(state.range(0)));
    Plugin p;
    int points = 0;
    for (auto _ : state) {
        const QString path = QString::fromStdString(d.path);
        TBaseConverter* found = nullptr;
        for (TBaseConverter* c : p.plugin->converters()) {
            QString candidate = path;
            if (c->canImport(candidate)) {
                found = c;
                break;
            }
        }
        if (!found || found->runImport(path, 0) != 0 || found->items().size() != 1) {
            state.SkipWithError("the converter does not import the dataset");
            return;
        }
        auto* item = static_cast<TCanvasMass*>(found->items().first());
        TKSMSCollection* collection = item->msCollection(0, 0);
        TKSChromatogram tic;
        TKSMassSpectrum spectrum;
        if (!collection || !collection->getTICChromatogram(tic) ||
            !collection->getSpectrum(highest(tic.getIntensities()), spectrum)) {
            state.SkipWithError("no TIC or spectrum");
            return;
        }
        points = spectrum.getCount();
        delete item;
    }
    state.counters["points"] = points;
}

void BM_ThroughTheCoreLibrary(benchmark::State& state)
{
    const Dataset& d = datasets().at(static_cast<size_t>(state.range(0)));
    TKSDataServer server;
    const std::vector<std::wstring> providers = server.getDatasetProviderIDs();
    int points = 0;
    for (auto _ : state) {
        std::unique_ptr<TKSDataset> dataset;
        for (const std::wstring& provider : providers) {
            std::wstring path = QString::fromStdString(d.path).toStdWString();
            if (server.isValidDataset(path, provider)) {
                dataset.reset(server.openDataset(path, provider));
                break;
            }
        }
        std::unique_ptr<TKSMSCollection> collection(dataset ? functionCollection(dataset.get(), 0, 0) : nullptr);
        TKSChromatogram tic;
        TKSMassSpectrum spectrum;
        if (!collection || !collection->getTICChromatogram(tic) ||
            !collection->getSpectrum(highest(tic.getIntensities()), spectrum)) {
            state.SkipWithError("the dataset does not open or read");
            return;
        }
        points = spectrum.getCount();
    }
    state.counters["points"] = points;
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const auto& all = datasets();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Kestrom");
    QCoreApplication::setApplicationName("Lumatra");
    std::vector<std::string> names(all.size() * 3);
    std::vector<ksbench::Pair> pairs;
    for (size_t i = 0; i < all.size(); ++i) {
        benchmark::RegisterBenchmark("BM_ThroughTheConverter", BM_ThroughTheConverter)
            ->Arg(static_cast<int64_t>(i))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(ksbench::kRepetitions);
        benchmark::RegisterBenchmark("BM_ThroughTheCoreLibrary", BM_ThroughTheCoreLibrary)
            ->Arg(static_cast<int64_t>(i))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(ksbench::kRepetitions);
        names[3 * i] = all[i].name;
        names[3 * i + 1] = "BM_ThroughTheConverter/" + std::to_string(i);
        names[3 * i + 2] = "BM_ThroughTheCoreLibrary/" + std::to_string(i);
    }
    for (size_t i = 0; i < all.size(); ++i)
        pairs.push_back({names[3 * i].c_str(), names[3 * i + 1].c_str(), names[3 * i + 2].c_str(),
                         i == 0 ? "the plug-in's converter: valid-dataset test, open into a mass item handed to "
                                  "the host, the TIC, the spectrum at the highest TIC point, the item deleted"
                                : nullptr,
                         "the core library in this process: the first provider that finds the dataset valid "
                         "opens it, function collection, the TIC, the same spectrum"});
    if (!all.empty()) {
        ksbench::registerControl("BM_ThroughTheConverter_again", BM_ThroughTheConverter)
            ->Arg(0)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(ksbench::kRepetitions);
        pairs.push_back({"control: converter, first dataset / again", "BM_ThroughTheConverter/0",
                         "BM_ThroughTheConverter_again/0"});
    }
    return ksbench::runWithSummary(argc, argv, pairs);
}
