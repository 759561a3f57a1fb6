// MSD data file: whatever the bytes, recognition answers, opening ends in
// an error or an open file, and every spectrum of an open file reads or
// fails; the directory's answers agree with the spectra read, and all the
// spectra together hold no more points than the file has room for.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ksfilestat.h"
#include "ksfuzz.h"
#include "massspectrum.h"
#include "msdfile.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = [] {
        const std::string f = ks::fuzz::tempDir() + "/data.d";
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring folder = Wide(Folder());
    const std::string file = ks::fuzz::writeInput(data, size, "data.d/MSD1.MS");
    IsMSDDataset(Wide(file));
    IsMSDDataset(folder);
    CMSDFile msd;
    if (FAILED(msd.Open(folder, 1)))
        return 0;
    CMassSpectrum spectrum;
    size_t points = 0;
    for (LONG i = 0; i < msd.ScanCount(); ++i) {
        if (!msd.ReadSpectrum(i, spectrum))
            std::abort();  // every point was checked to lie within the file
        points += static_cast<size_t>(spectrum.GetCount());
        if (points > size / 4)
            std::abort();  // scans share bytes: decoding costs more than the file holds
        if (spectrum.GetCount() != msd.Entries()[static_cast<size_t>(i)].nPoints ||
            spectrum.GetStartRT() != msd.ScanRT(i))
            std::abort();
        const double* mz = spectrum.Masses();
        for (LONG k = 1; k < spectrum.GetCount(); ++k)
            if (mz[k - 1] > mz[k])
                std::abort();  // not sorted
    }
    msd.ReadSpectrum(msd.ScanCount(), spectrum);
    msd.ReadSpectrum(-1, spectrum);
    msd.IndexByRT(0.5, FunctionRTProximityClosest);
    msd.IndexByRT(1e9, FunctionRTProximityLess);
    return 0;
}
