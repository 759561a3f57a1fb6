// Decoding every spectrum of the real carotenoid MSD file (2,534 scans,
// 95,471 points, 485 kB, in the page cache), two ways of the same kind:
//   - in this process: open the folder with CMSDFile and decode every
//     spectrum, beside reading the file's bytes in this process (open,
//     read, close);
//   - as whole programs, started and waited for: chemstation_decode_all
//     (the same decoding) and `ksdata tree` (dataset access choosing the
//     registered ChemStation provider, which opens the file, and the tree
//     printed), each beside `cat` of the file.
// Control rows repeat ours. The file is read from the real-data folder
// beside the repository (KS_REALDATA_DIR); the components ksdata uses are
// registered into a registry folder of the benchmark's own.
#include "benchsummary.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "massspectrum.h"
#include "msdfile.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = std::string(KS_REALDATA_DIR) + "/chemstation-ms/entab-carotenoid_extract.d";
    return folder;
}

const std::string& File()
{
    static const std::string file = Folder() + "/MSD1.MS";
    return file;
}

int64_t FileBytes()
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(File(), ec);
    return ec ? 0 : static_cast<int64_t>(size);
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// A registry of the benchmark's own with the provider server and the
// ChemStation provider, for ksdata; false when they did not register.
bool Registered()
{
    static const bool ok = [] {
        static std::string folder = std::filesystem::temp_directory_path().string() + "/ks_chemstation_bench_XXXXXX";
        if (!mkdtemp(folder.data()))
            return false;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
        setenv("KESTROM_REGISTRY", (folder + "/registry").c_str(), 1);
        for (const char* module : {"KSProviderServer", "KSAgilentProvider"})
            if (!ksbench::runQuiet({KS_BIN_DIR "/ksregsvr", std::string(KS_LIB_DIR "/") + module + ".so"}))
                return false;
        return true;
    }();
    return ok;
}

// Every spectrum of an open file, one spectrum record reused.
void DecodeAll(CMSDFile& msd, benchmark::State& state)
{
    CMassSpectrum spectrum;
    int64_t points = 0;
    for (LONG i = 0; i < msd.ScanCount(); ++i) {
        if (!msd.ReadSpectrum(i, spectrum)) {
            state.SkipWithError("a spectrum did not read");
            return;
        }
        points += spectrum.GetCount();
    }
    benchmark::DoNotOptimize(points);
}

void BM_OpenAndDecodeEverySpectrum(benchmark::State& state)
{
    for (auto _ : state) {
        CMSDFile msd;
        if (FAILED(msd.Open(Wide(Folder()), 1))) {
            state.SkipWithError("the carotenoid file does not open (KS_REALDATA_DIR?)");
            return;
        }
        DecodeAll(msd, state);
    }
    state.SetBytesProcessed(state.iterations() * FileBytes());
}

// The floor inside the process: open, read every byte, close.
void BM_ReadTheBytes(benchmark::State& state)
{
    std::vector<char> buffer(static_cast<size_t>(FileBytes()) + 1);
    for (auto _ : state) {
        const int fd = ::open(File().c_str(), O_RDONLY);
        if (fd < 0) {
            state.SkipWithError("cannot open the carotenoid file");
            return;
        }
        ssize_t total = 0;
        ssize_t got;
        while ((got = ::read(fd, buffer.data() + total, buffer.size() - static_cast<size_t>(total))) > 0)
            total += got;
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * FileBytes());
}

void BM_DecodeProgram(benchmark::State& state)
{
    ksbench::timeProgram(state, {KS_BIN_DIR "/chemstation_decode_all", Folder()});
}

void BM_KsdataTree(benchmark::State& state)
{
    if (!Registered())
        return state.SkipWithError("the provider server or the ChemStation provider did not register");
    ksbench::timeProgram(state, {KS_BIN_DIR "/ksdata", "tree", Folder()});
}

void BM_Cat(benchmark::State& state)
{
    ksbench::timeProgram(state, {"cat", File()});
}

}  // namespace

int main(int argc, char** argv)
{
    for (auto* b : {benchmark::RegisterBenchmark("BM_OpenAndDecodeEverySpectrum", BM_OpenAndDecodeEverySpectrum),
                    benchmark::RegisterBenchmark("BM_ReadTheBytes", BM_ReadTheBytes),
                    ksbench::registerControl("BM_OpenAndDecodeEverySpectrum_again", BM_OpenAndDecodeEverySpectrum)})
        b->Unit(benchmark::kMicrosecond)->UseRealTime();
    for (auto* b : {benchmark::RegisterBenchmark("BM_DecodeProgram", BM_DecodeProgram),
                    benchmark::RegisterBenchmark("BM_KsdataTree", BM_KsdataTree),
                    benchmark::RegisterBenchmark("BM_Cat", BM_Cat),
                    ksbench::registerControl("BM_Cat_again", BM_Cat)})
        b->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();
    return ksbench::runWithSummary(
        argc, argv,
        {{"open and decode every spectrum (2,534), in process / read", "BM_OpenAndDecodeEverySpectrum",
          "BM_ReadTheBytes", "CMSDFile::Open of the folder, ReadSpectrum of every scan into one spectrum",
          "open, read() of MSD1.MS (485 kB) into one buffer, close"},
         {"the same as whole programs / cat", "BM_DecodeProgram", "BM_Cat",
          "chemstation_decode_all FOLDER: a program doing the same", "cat MSD1.MS > /dev/null"},
         {"ksdata tree of the folder / cat", "BM_KsdataTree", "BM_Cat",
          "ksdata tree FOLDER: dataset access asks the registered providers, the ChemStation provider opens "
          "the file, the tree is printed",
          "cat MSD1.MS > /dev/null"},
         {"control: decode in process / again", "BM_OpenAndDecodeEverySpectrum",
          "BM_OpenAndDecodeEverySpectrum_again"},
         {"control: cat / cat again", "BM_Cat", "BM_Cat_again"}});
}
