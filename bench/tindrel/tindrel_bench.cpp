// The host core-library stand-in against the data-service reads it makes,
// on a generated 5,000-spectrum text dataset (written at start into a
// temporary folder, removed at exit; KSProviderServer and KSTextProvider
// registered with ksregsvr into a registry of that folder):
//   - TIC through TKSMSCollection against the function's own TICDirect;
//   - a mass chromatogram over every spectrum against reading every
//     spectrum through SpectrumDirect (its floor);
//   - chromatogram peak detection of the TIC (twenty elution peaks);
//   - reading the file's bytes (the floor under both);
//   - elemental composition of the [M+H]+ m/z of 10,000 random formulas
//     with the default constraints, and of single heavy queries (what the
//     composition mouse mode runs on a click);
//   - a molecule match of 36 molfiles against a generated run of the test
//     provider (ks_tindrel_test_provider, registered too).
#include "benchsummary.h"

#include <algorithm>
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
        for (const char* module : {"KSProviderServer.so", "KSTextProvider.so", "ks_tindrel_test_provider.so"}) {
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


// --- elemental composition ---------------------------------------------------

TKSElementTable& elementTable()
{
    static TKSElementTable table = [] {
        TKSElementTable t;
        if (!t.initialize(L"" KS_BIN_DIR "/KSElements.ini"))
            std::abort();
        return t;
    }();
    return table;
}

// [M+H]+ of random formulas within the default ranges.
std::vector<double> randomIons(int count)
{
    TKSIsotopeCluster cluster;
    cluster.setElementTable(&elementTable());
    std::vector<double> out;
    uint32_t x = 20240611;
    auto next = [&x](int n) {
        x = x * 1664525u + 1013904223u;
        return static_cast<int>((x >> 8) % static_cast<uint32_t>(n));
    };
    while (static_cast<int>(out.size()) < count) {
        const int c = 1 + next(40);
        const std::wstring formula = L"C" + std::to_wstring(c) + L"H" + std::to_wstring(next(2 * c + 3)) + L"N" +
                                     std::to_wstring(next(5)) + L"O" + std::to_wstring(next(7)) + L"S" +
                                     std::to_wstring(next(2));
        TKSMassSpectrum s;
        if (cluster.compute(formula, L"H", 1, 0.3, true, s))
            out.push_back(s.getMZValues()[0]);
    }
    return out;
}

void BM_Composition10000RandomFormulas(benchmark::State& state)
{
    const std::vector<double> ions = randomIons(10000);
    TKSCompositionCalculator calculator;
    calculator.setElementTable(&elementTable());
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (double mz : ions) {
            if (!calculator.compute(mz))
                state.SkipWithError("compute failed");
            found += calculator.getResults().size();
        }
    }
    state.counters["queries"] = static_cast<double>(ions.size());
    state.counters["candidates per query"] = static_cast<double>(found) / static_cast<double>(ions.size());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ions.size()));
}
BENCHMARK(BM_Composition10000RandomFormulas)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// One click of the composition mouse mode at a heavy m/z, the default
// constraints, the candidates scored against a spectrum.
void BM_CompositionSingleQuery(benchmark::State& state)
{
    const double mz = static_cast<double>(state.range(0)) + 0.2468;
    TKSMassSpectrum spectrum;
    std::vector<double> x, y;
    for (int i = 0; i < 2000; ++i) {
        x.push_back(100 + i * 0.45);
        y.push_back(100 + (i * 7919) % 1000);
    }
    x.push_back(mz);
    y.push_back(50000);
    std::sort(x.begin(), x.end());
    spectrum.setPoints(x, y);
    spectrum.setCentroid(true);
    TKSCompositionCalculator calculator;
    calculator.setElementTable(&elementTable());
    calculator.setSpectrum(spectrum);
    size_t found = 0;
    for (auto _ : state) {
        if (!calculator.compute(mz))
            state.SkipWithError("compute failed");
        found = calculator.getResults().size();
    }
    state.counters["candidates"] = static_cast<double>(found);
}
BENCHMARK(BM_CompositionSingleQuery)->Arg(300)->Arg(600)->Arg(1000)->Arg(1500)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- molecule matching ------------------------------------------------------------

// A molfile of a chain of `carbons` carbons with oxygens and nitrogens at
// the given positions (1 = first carbon), each bonded to its carbon.
std::string chainMolfile(int carbons, const std::vector<int>& oxygens, const std::vector<int>& nitrogens)
{
    const int atoms = carbons + static_cast<int>(oxygens.size() + nitrogens.size());
    char line[128];
    std::string s = "chain\n  bench\n\n";
    std::snprintf(line, sizeof line, "%3d%3d  0  0  0  0  0  0  0  0999 V2000\n", atoms, atoms - 1);
    s += line;
    auto atom = [&](const char* symbol, int i) {
        std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f %-3s 0  0  0  0  0  0  0  0  0  0  0  0\n", i * 1.3, 0.0,
                      0.0, symbol);
        s += line;
    };
    for (int i = 0; i < carbons; ++i)
        atom("C", i);
    for (size_t k = 0; k < oxygens.size(); ++k)
        atom("O", oxygens[k]);
    for (size_t k = 0; k < nitrogens.size(); ++k)
        atom("N", nitrogens[k]);
    for (int i = 1; i < carbons; ++i) {
        std::snprintf(line, sizeof line, "%3d%3d  1  0\n", i, i + 1);
        s += line;
    }
    int index = carbons;
    for (int p : oxygens) {
        std::snprintf(line, sizeof line, "%3d%3d  1  0\n", p, ++index);
        s += line;
    }
    for (int p : nitrogens) {
        std::snprintf(line, sizeof line, "%3d%3d  1  0\n", p, ++index);
        s += line;
    }
    return s + "M  END\n";
}

struct MatchRun {
    std::filesystem::path path;
    std::vector<std::wstring> molfiles;
    std::vector<std::wstring> ids;

    MatchRun()
    {
        dataset();  // the registry
        path = dataset().folder / "match.run";
        // 36 molecules: chains of 6 to 17 carbons with one, two or three
        // heteroatoms; every third elutes as [M+H]+ with its MS/MS
        // fragments, every fourth as [M-H]-.
        TKSIsotopeCluster cluster;
        cluster.setElementTable(&elementTable());
        std::string run = "kestrom-run 1\nrun seed=5\ninjection name=\"Bench\"\n"
                          "function name=\"MS+\" type=1 polarity=1 scans=600 start=0 step=0.01 low=100 high=1000 "
                          "noise=200 noisepeaks=60\n"
                          "function name=\"MS/MS+\" type=2 polarity=1 order=2 msms=2 scans=600 start=0.005 step=0.01 "
                          "low=50 high=1000 noise=50 noisepeaks=10\n"
                          "function name=\"MS-\" type=1 polarity=2 scans=600 start=0 step=0.01 low=100 high=1000 "
                          "noise=200 noisepeaks=60\n";
        for (int k = 0; k < 36; ++k) {
            const int carbons = 6 + k % 12;
            std::vector<int> o{1}, n;
            if (k >= 12)
                o.push_back(carbons);
            if (k >= 24)
                n.push_back(carbons / 2);
            const std::string text = chainMolfile(carbons, o, n);
            molfiles.emplace_back(text.begin(), text.end());
            ids.push_back(L"molecule " + std::to_wstring(k + 1));
            TKSMolecule m;
            if (!m.readMolfile(text, elementTable()))
                std::abort();
            const double apex = 0.2 + k * 0.15;
            TKSMassSpectrum s;
            char line[256];
            if (k % 3 == 0 && cluster.compute(m.getFormula(), L"H", 1, 0.3, true, s)) {
                std::snprintf(line, sizeof line,
                              "compound function=1 apex=%.3f width=0.02 height=50000 cluster=%.5f/1:%.2f,%.2f,%.2f\n",
                              apex, s.getMZValues()[0], s.getIntensities()[0], s.getIntensities()[1],
                              s.getCount() > 2 ? s.getIntensities()[2] : 0.0);
                run += line;
                std::snprintf(line, sizeof line,
                              "compound function=2 apex=%.3f width=0.02 height=5000 peaks=%.4f:100,%.4f:60\n", apex,
                              s.getMZValues()[0] - 18.0106, s.getMZValues()[0] - 28.0313);
                run += line;
            }
            if (k % 4 == 0 && cluster.compute(m.getFormula(), L"H", -1, 0.3, true, s)) {
                std::snprintf(line, sizeof line,
                              "compound function=3 apex=%.3f width=0.02 height=30000 cluster=%.5f/1:%.2f,%.2f\n", apex,
                              s.getMZValues()[0], s.getIntensities()[0], s.getIntensities()[1]);
                run += line;
            }
        }
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            std::abort();
        std::fwrite(run.data(), 1, run.size(), f);
        std::fclose(f);
    }
};

void BM_MoleculeMatch36Molfiles(benchmark::State& state)
{
    static MatchRun match;
    TKSDataServer server;
    const std::string p = match.path.string();
    std::unique_ptr<TKSDataset> run(server.openDataset(std::wstring(p.begin(), p.end()),
                                                       L"{25DEF092-05A5-4401-A622-8A662B7591BD}"));
    std::unique_ptr<TKSInjections> injections(run ? run->getInjections() : nullptr);
    std::unique_ptr<TKSInjection> injection(injections ? injections->getItem(0) : nullptr);
    std::unique_ptr<TKSFunctions> functions(injection ? injection->getFunctions() : nullptr);
    if (!functions || functions->getCount() != 3) {
        state.SkipWithError("open failed");
        return;
    }
    std::unique_ptr<TKSMSCollection> collections[3];
    for (int f = 0; f < 3; ++f) {
        std::unique_ptr<TKSFunction> function(functions->getItem(f));
        collections[f].reset(function->getSpectrumCollection());
    }
    TKSMoleculeMatcher2 matcher;
    matcher.setElementTable(&elementTable());
    int matched = 0;
    for (auto _ : state) {
        matcher.setSpectra(collections[0].get(), collections[1].get(), collections[2].get(), nullptr);
        if (!matcher.matchMolecules(match.molfiles, match.ids))
            state.SkipWithError("match failed");
        matched = 0;
        for (const TKSMoleculeMatchResult2& r : matcher.getResults())
            matched += r.getIsMatched() ? 1 : 0;
    }
    state.counters["molecules"] = static_cast<double>(match.molfiles.size());
    state.counters["matched"] = matched;
}
BENCHMARK(BM_MoleculeMatch36Molfiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    ksbench::registerControl("BM_TindrelMassChromatogram_again", BM_TindrelMassChromatogram)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return ksbench::runWithSummary(
        argc, argv,
        {{"TIC, dataset open / TICDirect", "BM_TindrelTIC", "BM_TICDirect",
          "getTICChromatogram of the stand-in's collection", "the data server's function: get_TICDirect", 1.1},
         {"TIC of a dataset opened afresh / Open + TICDirect", "BM_TindrelTICFreshOpen", "BM_TICDirectFreshOpen",
          "openDataset (the provider looked up in the provider server's list), tree, getTICChromatogram",
          "the text data server's Open, then get_TICDirect", 1.1},
         {"mass chromatogram over 5,000 spectra / SpectrumDirect", "BM_TindrelMassChromatogram",
          "BM_EverySpectrumDirect", "getMassChromatogram(550) of the collection",
          "every get_SpectrumDirect of the function into one record (what the chromatogram reads)", 1.1},
         {"chromatogram peak detection of the TIC", "BM_TindrelTICPeakDetection", nullptr,
          "TKSChromatogramPeakDetect::detect (twenty elution peaks)"},
         {"the dataset file's bytes (35 MB, page cache)", "BM_FileBytes", nullptr,
          "fread of the file in 1 MiB pieces: the floor under the reads above"},
         {"elemental composition of 10,000 random formulas", "BM_Composition10000RandomFormulas", nullptr,
          "[M+H]+ m/z of each, default constraints, no spectrum"},
         {"one composition query, m/z 300", "BM_CompositionSingleQuery/300", nullptr,
          "scored against a 2,000-peak spectrum (the composition mouse mode's click)", nullptr, 0, 100},
         {"one composition query, m/z 1500", "BM_CompositionSingleQuery/1500", nullptr, nullptr, nullptr, 0, 100},
         {"molecule match of 36 molfiles", "BM_MoleculeMatch36Molfiles", nullptr,
          "against a generated run of the test provider (1,800 scans)"},
         {"control: mass chromatogram / again", "BM_TindrelMassChromatogram", "BM_TindrelMassChromatogram_again"}});
}
