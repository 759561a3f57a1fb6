// Generated runs read through the library as a user's dataset is: the bytes
// as a run file opened with the test provider through the data services,
// then every function's collection (spectra, mass chromatograms, the
// acquired range, selections, peaks) and a molecule match. Whatever the
// run claims, the work and memory follow what it holds: a count the data
// server reports (`claimed`) sizes nothing.
//
// Inputs that describe much work (many scans of many points) are passed
// by: their cost is real work, not a claim.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ksfuzz.h"
#include "runformat.h"
#include "runprovider.h"
#include "tindrel.h"

extern char** environ;

namespace {

const long long kMaxWork = 200000;   // spectrum points over all scans held
const int kMaxHeldScans = 2000;      // per function

void registerModule(const char* module)
{
    const char* argv[] = {KS_REGSVR, module, nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    const bool spawned = posix_spawn(&pid, KS_REGSVR, &quiet, nullptr, const_cast<char* const*>(argv), environ) == 0;
    posix_spawn_file_actions_destroy(&quiet);
    if (!spawned || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::abort();  // the target tests nothing without its provider
}

std::string readFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const TKSElementTable* g_table = nullptr;
std::wstring g_caffeine;

// Points one spectrum of the function can hold.
long long pointsPerScan(const tindrelrun::Function& f)
{
    if (f.profile)
        return f.profilePoints();
    long long n = f.noisePeaks;
    for (const tindrelrun::Compound& c : f.compounds)
        n += static_cast<long long>(c.peaks.size());
    return n;
}

bool worthReading(const tindrelrun::Run& run)
{
    long long work = 0;
    for (const tindrelrun::Injection& injection : run.injections) {
        for (const tindrelrun::Trace& trace : injection.traces)
            work += trace.points;
        for (const tindrelrun::Function& f : injection.functions) {
            const int held = std::min(f.scans, f.reportedScans());
            if (held > kMaxHeldScans)
                return false;
            work += static_cast<long long>(held) * (pointsPerScan(f) + 1);
        }
    }
    return run.injections.size() <= 4 && work <= kMaxWork;
}

void readCollection(TKSMSCollection& c)
{
    TKSMassSpectrum s;
    const int n = c.getCount();
    c.getSpectrum(0, s);
    c.getSpectrum(n - 1, s);
    c.getSpectrum(n, s);
    int first = 0, last = 0;
    c.getSpectrumIndexRange(first, last);
    double low = 0, high = 0;
    const bool range = c.getAcquiredMassRange(low, high);
    TKSChromatogram mic;
    c.getMassChromatogram(range ? (low + high) / 2 : 100, mic);
    c.getMassChromatogram(low, high, mic);
    c.setMergeTolerance(false, 20);
    c.getMassChromatogram(high, mic);
    TKSChromatogram tic;
    if (!c.getTICChromatogram(tic) || tic.getCount() == 0)
        return;
    c.getBPChromatogram(mic);
    TKSChromatogramPeakDetect detect;
    detect.detect(tic);
    const double start = tic.getRTValues().front(), end = tic.getRTValues().back();
    TKSMSCollectionSelection selection, background;
    c.select(start, end, false, selection, s);
    c.select((start + end) / 2, false, background, s);
    c.select(start, TKSMSCollection::PeakSelectPeakSubtract, tic, selection, s);
    c.select(start, end, TKSMSCollection::PeakSelectPeak, tic, selection, s);
    TKSMSPeakDetect centroids;
    centroids.setAutoPeakParameters(true);
    TKSMassSpectrum out;
    centroids.detectPeaks(s, out);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ks::fuzz::tempDir();  // the registry of this process
    registerModule(KS_PROVIDER_SERVER);
    registerModule(KS_RUN_PROVIDER);
    static TKSElementTable table;
    const std::string elements = TINDREL_ELEMENTS;
    if (!table.initialize(std::wstring(elements.begin(), elements.end())))
        std::abort();
    g_table = &table;
    const std::string caffeine = readFile(TINDREL_CAFFEINE);
    g_caffeine.assign(caffeine.begin(), caffeine.end());  // Latin-1
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tindrelrun::Run run;
    tindrelrun::ParseError error;
    if (!tindrelrun::parseRun(std::string(reinterpret_cast<const char*>(data), size), run, error) ||
        !worthReading(run))
        return 0;
    const std::string path = ks::fuzz::writeInput(data, size, "input.run");
    std::wstring widePath(path.begin(), path.end());
    TKSDataServer server;
    if (!server.isValidDataset(widePath, kTindrelTestProviderClassId))
        return 0;
    std::unique_ptr<TKSDataset> dataset(server.openDataset(widePath, kTindrelTestProviderClassId));
    if (!dataset)
        return 0;
    std::unique_ptr<TKSInjections> injections(dataset->getInjections());
    for (int i = 0; injections && i < injections->getCount(); ++i) {
        std::unique_ptr<TKSInjection> injection(injections->getItem(i));
        if (!injection)
            continue;
        std::unique_ptr<TKSTraces> traces(injection->getTraces());
        for (int t = 0; traces && t < traces->getCount(); ++t) {
            std::unique_ptr<TKSTrace> trace(traces->getItem(t));
            TKSChromatogram c;
            if (trace)
                trace->getChromatogram(c);
        }
        std::unique_ptr<TKSFunctions> functions(injection->getFunctions());
        std::vector<std::unique_ptr<TKSMSCollection>> collections;
        for (int f = 0; functions && f < functions->getCount(); ++f) {
            std::unique_ptr<TKSFunction> function(functions->getItem(f));
            if (!function)
                continue;
            std::unique_ptr<TKSMSCollection> c(function->getSpectrumCollection());
            if (!c)
                continue;
            readCollection(*c);
            collections.push_back(std::move(c));
        }
        if (collections.empty())
            continue;
        TKSMoleculeMatcher2 matcher;
        matcher.setElementTable(g_table);
        matcher.setSpectra(collections[0].get(), collections.size() > 1 ? collections[1].get() : nullptr,
                           collections.size() > 2 ? collections[2].get() : nullptr, nullptr);
        matcher.matchMolecules({g_caffeine}, {L"caffeine"});
    }
    return 0;
}
