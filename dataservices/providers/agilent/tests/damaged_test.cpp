// Real files cut short end in an error or a result, never in a crash, a
// read outside the data or a hang: signal files at every byte of their
// first 8 KB and at a stride beyond, MSD files at every byte of the
// header, the directory and the first and last scan record and at a
// stride elsewhere. (Every prefix of the larger files is left to the fuzz
// run.)
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "chtrace.h"
#include "kstest.h"
#include "massspectrum.h"
#include "msdfile.h"

using namespace agilentfix;
namespace fs = std::filesystem;

namespace {

constexpr size_t kEveryByte = 8192;
constexpr size_t kStride = 61;
constexpr size_t kMsdStride = 4099;

void CutSignalFile(const std::string& relative)
{
    const std::string bytes = ks::test::readFile(ks::test::realData(relative));
    ASSERT_FALSE(bytes.empty()) << relative;
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
    CChromatogram whole;
    ASSERT_EQ(DecodeSignalFile(data, bytes.size(), whole), S_OK) << relative;
    // Exact copies of the cut bytes, so that the sanitizer sees a read
    // past the cut.
    for (size_t cut = 0; cut < bytes.size(); cut += cut < kEveryByte ? 1 : kStride) {
        const std::vector<uint8_t> prefix(data, data + cut);
        CChromatogram c;
        const HRESULT hr = DecodeSignalFile(prefix.data(), prefix.size(), c);
        ASSERT_TRUE(hr == S_OK || hr == E_FAIL) << relative << " cut at " << cut;
        if (hr == S_OK)
            ASSERT_LE(c.GetCount(), whole.GetCount()) << relative << " cut at " << cut;
        else
            ASSERT_EQ(c.GetCount(), 1) << relative << " cut at " << cut;
    }
}

void CutMsdFile(const std::string& relative)
{
    const std::string source = ks::test::realData(relative);
    CMSDFile msd;
    ASSERT_EQ(msd.Open(Wide(source), 1), S_OK) << relative;
    const LONGLONG size = static_cast<LONGLONG>(fs::file_size(source));
    std::set<LONGLONG> cuts;
    auto every = [&](LONGLONG from, LONGLONG to) {
        for (LONGLONG c = std::max<LONGLONG>(from, 0); c <= std::min(to, size); ++c)
            cuts.insert(c);
    };
    every(0, 512);
    const MSDScanEntry& first = msd.Entries().front();
    const MSDScanEntry& last = msd.Entries().back();
    every(first.nHeaderOffset, first.nHeaderOffset + 28 + 4 * first.nPoints);
    every(last.nHeaderOffset, last.nHeaderOffset + 28 + 4 * last.nPoints);
    // The directory follows the last scan record.
    const LONGLONG directory = last.nHeaderOffset + 28 + 4 * last.nPoints;
    every(directory, directory + 12 * msd.ScanCount());
    for (LONGLONG c = 0; c < size; c += kMsdStride)
        cuts.insert(c);
    const LONG scans = msd.ScanCount();
    msd.Close();

    // One writable copy, cut shorter and shorter.
    const std::string copy = Join(ks::test::tempDir(), "cut.ms");
    fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
    int opened = 0;
    for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
        ASSERT_EQ(truncate(copy.c_str(), *it), 0);
        CMSDFile cut;
        const HRESULT hr = cut.Open(Wide(copy), 1);
        ASSERT_TRUE(hr == S_OK || hr == E_FAIL) << relative << " cut at " << *it;
        if (hr != S_OK) {
            ASSERT_FALSE(cut.IsOpen());
            continue;
        }
        ++opened;
        ASSERT_EQ(cut.ScanCount(), scans);
        CMassSpectrum s;
        for (LONG i = 0; i < cut.ScanCount(); ++i)
            ASSERT_TRUE(cut.ReadSpectrum(i, s)) << relative << " cut at " << *it << " scan " << i;
    }
    // Only cuts in the bytes after the directory leave a file that opens.
    EXPECT_GE(opened, 1) << relative;
}

}  // namespace

TEST(CutRealFiles, SignalFiles)
{
    for (const char* f : {"chemstation-ch/entab/test_fid.ch", "chemstation-ch/entab/test_179_fid.ch",
                          "chemstation-ch/entab/chemstation_mwd.d/mwd1A.ch", "chemstation-ch/rainbow-orange.D/ADC1A.CH",
                          "chemstation-ch/chromConverterExtraTests-chemstation_181.D/FID1A.ch"})
        CutSignalFile(f);
}

TEST(CutRealFiles, MsdFiles)
{
    for (const char* f : {"chemstation-ms/entab-carotenoid_extract.d/MSD1.MS", "chemstation-ms/rainbow-orange.D/MSD1.MS",
                          "chemstation-ms/rainbow-yellow.D/dataSim.ms"})
        CutMsdFile(f);
}
