// The raw-file engine at scale, each beside a plain pass over the same
// data in the same process (like with like):
//
// - loading a file whose method storage holds n names (each checked once
//   against its siblings) beside a pass that folds the case of every name
//   of the loaded model;
// - the distinct filters of a run whose every scan has a filter of its own
//   (GetFilters) beside the filter text of every scan;
// - a 300 MB file that is no raw file (sparse: it takes no disk) opened by
//   the engine, and by dataset access (every provider registered, so the
//   fallback makes every data server but the text one try it), beside the
//   same opens of a path that does not exist. A file's cost is its own
//   size's business only: such a file is to be turned away well under a
//   second.
//
// The argument is n (names or scans); the figures for 10,000 and 100,000
// show how each grows. A control row repeats the largest load.
#include "benchsummary.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksfiles.h"
#include "rawbuilder.h"
#include "rawfile.h"
#include "rawformat.h"

using namespace rawengine;

namespace {

// The benchmark's own folder (registry and files), removed at the end.
std::string& scratchFolder()
{
    static std::string folder = [] {
        std::string f = std::filesystem::temp_directory_path().string() + "/ks_rawengine_bench_XXXXXX";
        return mkdtemp(f.data()) ? f : std::string();
    }();
    return folder;
}

void removeScratchFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(scratchFolder(), ec);
}

// The paths of the large foreign file and of a missing one, made once.
const std::string& foreignFile()
{
    static const std::string path = [] {
        const std::string p = scratchFolder() + "/disk.img";
        std::FILE* f = std::fopen(p.c_str(), "wb");
        if (f)
            std::fclose(f);
        std::error_code ec;
        std::filesystem::resize_file(p, uint64_t(300) << 20, ec);
        return p;
    }();
    return path;
}

std::string missingFile() { return scratchFolder() + "/missing.img"; }

// The bytes of a file of n method names, made once per n.
const std::string& manyMethodsBytes(int64_t n)
{
    static std::map<int64_t, std::string> made;
    auto it = made.find(n);
    if (it == made.end())
        it = made.emplace(n, SerializeRawFile(MakeManyMethodsFile(int32_t(n)))).first;
    return it->second;
}

bool load(const std::string& bytes, FileData& data)
{
    format::LoadStatus st;
    return format::loadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), data, st);
}

void BM_LoadManyMethods(benchmark::State& state)
{
    const std::string& bytes = manyMethodsBytes(state.range(0));
    for (auto _ : state) {
        FileData data;
        if (!load(bytes, data)) {
            state.SkipWithError("the file does not load");
            return;
        }
        benchmark::DoNotOptimize(data.methods->children.size());
    }
}

void BM_FoldEveryName(benchmark::State& state)
{
    FileData data;
    if (!load(manyMethodsBytes(state.range(0)), data)) {
        state.SkipWithError("the file does not load");
        return;
    }
    for (auto _ : state) {
        size_t total = 0;
        for (const MethodNode& m : data.methods->children)
            total += ks::foldCase(m.name).size();
        benchmark::DoNotOptimize(total);
    }
}

// The loaded model of a run of n scans with a filter each, made once per n.
const FileData& distinctFilters(int64_t n)
{
    static std::map<int64_t, FileData> made;
    auto it = made.find(n);
    if (it == made.end()) {
        it = made.emplace(n, FileData()).first;
        load(SerializeRawFile(MakeDistinctFiltersFile(int32_t(n))), it->second);
    }
    return it->second;
}

void BM_GetFilters(benchmark::State& state)
{
    const CVirtualMS ms(distinctFilters(state.range(0)).controllers.at(0), 0, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(ms.GetFilters(-1, -1).size());
}

void BM_FilterOfEveryScan(benchmark::State& state)
{
    const CVirtualMS ms(distinctFilters(state.range(0)).controllers.at(0), 0, 1);
    for (auto _ : state) {
        size_t total = 0;
        for (int32_t s = ms.FirstScan(); s <= ms.LastScan(); ++s)
            total += CFilter::FromScanEvent(ms.GetScanEvent(s), 2).GetFilterString(2).size();
        benchmark::DoNotOptimize(total);
    }
}

void BM_EngineOpenForeign(benchmark::State& state)
{
    const std::wstring path = ks::wideFromFileName(foreignFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(CRawfile(path).GetErrorCode());
}

void BM_EngineOpenMissing(benchmark::State& state)
{
    const std::wstring path = ks::wideFromFileName(missingFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(CRawfile(path).GetErrorCode());
}

// Every component registered into the benchmark's registry, once.
bool registered()
{
    static const bool ok = [] {
        setenv("KESTROM_REGISTRY", (scratchFolder() + "/registry").c_str(), 1);
        std::stringstream list(KS_COMPONENTS);
        bool all = true;
        for (std::string c; std::getline(list, c, ',');)
            all = ksbench::runQuiet({std::string(KS_BIN_DIR) + "/ksregsvr", std::string(KS_LIB_DIR) + "/" + c + ".so"})
                  && all;
        return all;
    }();
    return ok;
}

void openThroughAccess(benchmark::State& state, const std::string& path)
{
    ks::ComPtr<IKSDataAccess> access;
    if (!registered() || FAILED(CoCreateInstance(CLSID_KSDataAccess, nullptr, CLSCTX_ALL, IID_IKSDataAccess,
                                                 access.out()))) {
        state.SkipWithError("dataset access cannot be made");
        return;
    }
    const ks::Bstr name(ks::wideFromFileName(path));
    // The outside components say why they refuse on standard error: not
    // for every iteration.
    const int savedErr = dup(2);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    bool opened = false;
    for (auto _ : state) {
        ks::ComPtr<IKSDataServer> server;
        if (SUCCEEDED(access->OpenDataset(name, &server))) {
            opened = true;
            break;
        }
    }
    dup2(savedErr, 2);
    close(savedErr);
    close(null);
    if (opened)
        state.SkipWithError("a provider opened it");
}

void BM_AccessOpenForeign(benchmark::State& state) { openThroughAccess(state, foreignFile()); }
void BM_AccessOpenMissing(benchmark::State& state) { openThroughAccess(state, missingFile()); }

template <class Fn>
void add(const char* name, Fn fn, std::vector<int64_t> args)
{
    auto* b = benchmark::RegisterBenchmark(name, fn);
    for (int64_t a : args)
        b->Arg(a);
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(ksbench::kRepetitions);
}

}  // namespace

int main(int argc, char** argv)
{
    if (scratchFolder().empty())
        return 1;
    std::atexit(removeScratchFolder);
    add("BM_LoadManyMethods", BM_LoadManyMethods, {10000, 100000});
    add("BM_FoldEveryName", BM_FoldEveryName, {10000, 100000});
    add("BM_GetFilters", BM_GetFilters, {10000, 100000});
    add("BM_FilterOfEveryScan", BM_FilterOfEveryScan, {10000, 100000});
    add("BM_EngineOpenForeign", BM_EngineOpenForeign, {});
    add("BM_EngineOpenMissing", BM_EngineOpenMissing, {});
    add("BM_AccessOpenForeign", BM_AccessOpenForeign, {});
    add("BM_AccessOpenMissing", BM_AccessOpenMissing, {});
    ksbench::registerControl("BM_LoadManyMethods_again", BM_LoadManyMethods)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(ksbench::kRepetitions);
    const char* fold = "ks::foldCase of every method name of the same file, loaded beforehand";
    const char* everyFilter = "the filter text of every scan (a CFilter made from its scan event), nothing compared";
    // Turned away well under a second, whatever the file's size.
    const double foreignMs = 1000;
    return ksbench::runWithSummary(
        argc, argv,
        {
            {"method storage of 10,000 names: load / fold", "BM_LoadManyMethods/10000", "BM_FoldEveryName/10000",
             "format::loadImage of the file's bytes in memory, every name checked once against its "
             "siblings",
             fold},
            {"method storage of 100,000 names: load / fold", "BM_LoadManyMethods/100000", "BM_FoldEveryName/100000",
             "the same, 100,000 names (7 MB)", fold},
            {"10,000 distinct filters: GetFilters / every scan's", "BM_GetFilters/10000", "BM_FilterOfEveryScan/10000",
             "GetFilters of the whole run, every scan with a filter of its own (the distinct texts in order)",
             everyFilter},
            {"100,000 distinct filters: GetFilters / every scan's", "BM_GetFilters/100000",
             "BM_FilterOfEveryScan/100000", "the same, 100,000 scans", everyFilter},
            {"300 MB foreign file: engine open / missing", "BM_EngineOpenForeign", "BM_EngineOpenMissing",
             "CRawfile of a sparse 300 MB file without the signature: the preamble read and the file refused",
             "CRawfile of a path that does not exist", 0, foreignMs},
            {"300 MB foreign file: dataset access / missing", "BM_AccessOpenForeign", "BM_AccessOpenMissing",
             "OpenDataset of the same file: every registered provider asked in turn, then every data server but "
             "the text one tries to open it; all refuse",
             "OpenDataset of a path that does not exist", 0, foreignMs},
            {"control: 100,000 names / again", "BM_LoadManyMethods/100000", "BM_LoadManyMethods_again/100000"},
        });
}
