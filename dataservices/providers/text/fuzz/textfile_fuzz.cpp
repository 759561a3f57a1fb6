// Text spectrum files: whatever the bytes, the one-spectrum read and the
// dataset view (count, every spectrum by position, the total-ion
// chromatogram) answer without crashing or hanging; a spectrum that was
// read writes and reads back with the same points.
#include "ksfuzz.h"
#include "massspectrum.h"
#include "textdataio.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

std::wstring widePath(const std::string& path)
{
    return std::wstring(path.begin(), path.end());
}

bool allFinite(const CMassSpectrum& s)
{
    for (LONG i = 0; i < s.GetCount(); ++i)
        if (!std::isfinite(s.Masses()[i]) || !std::isfinite(s.Intensities()[i]))
            return false;
    return true;
}

void writeAndReadBack(CTextDataIO& io, const CMassSpectrum& s)
{
    const std::wstring out = widePath(ks::fuzz::tempDir() + "/written.txt");
    check(io.WriteSpectrum(out, s));
    CMassSpectrum again;
    check(io.ReadSpectrum(out, again));
    check(again.GetCount() == s.GetCount() && again.IsCentroid() == s.IsCentroid());
    for (LONG i = 0; i < s.GetCount(); ++i) {
        // Six decimals are written.
        const double m = s.Masses()[i], y = s.Intensities()[i];
        check(std::fabs(again.Masses()[i] - m) <= 1e-6 + 1e-15 * std::fabs(m));
        check(std::fabs(again.Intensities()[i] - y) <= 1e-6 + 1e-15 * std::fabs(y));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::wstring path = widePath(ks::fuzz::writeInput(data, size, "spectrum.txt"));

    CTextDataIO io;
    CMassSpectrum whole;
    if (io.ReadSpectrum(path, whole) && allFinite(whole))
        writeAndReadBack(io, whole);

    CTextDataIO dataset;
    if (!dataset.Open(path))
        return 0;
    const LONG count = dataset.SpectrumCount();
    check(count >= 1);
    LONG points = 0;
    for (LONG n = 1; n <= count; ++n) {
        CMassSpectrum s;
        if (dataset.ReadDatasetSpectrum(n, s))
            points += s.GetCount();
    }
    // Every point belongs to at most one spectrum of the dataset.
    check(points <= whole.GetCount() || whole.GetCount() == 0);
    CMassSpectrum outside;
    check(!dataset.ReadDatasetSpectrum(count + 1, outside));
    check(!dataset.ReadDatasetSpectrum(0, outside));
    LONG ticCount = 0;
    std::vector<double> times, sums;
    if (dataset.ReadTIC(ticCount, times, sums))
        check(ticCount >= 0 && ticCount <= count && times.size() == size_t(ticCount) &&
              sums.size() == size_t(ticCount));
    dataset.Close();
    return 0;
}
