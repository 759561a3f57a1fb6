// The framework's count-driven reads over a reader whose counts and spectra
// come from the bytes: the computed TIC and base-peak chromatograms, the
// co-added range and the Direct spectrum collection cost what the reader
// can read, whatever spectrum count it claims (up to 2^31 - 1), and hold
// exactly the spectra read.
//
// Bytes: the claimed spectrum count (int32, little-endian), a range's
// first and last index (two uint16) and the two m/z bounds of the ranged
// base peak (two uint16); then spectra, each a point count (one byte), a
// time and that many m/z and intensity pairs (float32 each). A spectrum cut
// short, and any index past the last whole one, fails to read.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dataserverimpl.h"
#include "ksconvert.h"
#include "kshandles.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    template <class T>
    bool read(T& value)
    {
        if (m_size - m_at < sizeof(T))
            return false;
        std::memcpy(&value, m_data + m_at, sizeof(T));
        m_at += sizeof(T);
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

struct Scan {
    double time = 0;
    std::vector<double> mz;
    std::vector<double> intensity;
};

class BytesReader : public CDataServerImpl {
public:
    BytesReader(int32_t claimed, std::vector<Scan> scans) : m_claimed(claimed), m_scans(std::move(scans)) {}

    CString DatasetType() override { return CString(L"Bytes"); }
    bool IsValidDataset(const CString&) override { return true; }
    HRESULT Open(const CString&) override { return S_OK; }
    HRESULT Close() override { return S_OK; }
    int SpectrumCount(int, int) override { return m_claimed; }
    HRESULT Spectrum(int, int, int index, CMassSpectrum& spectrum) override
    {
        ++m_reads;
        if (index < 0 || static_cast<size_t>(index) >= m_scans.size())
            return E_FAIL;
        const Scan& s = m_scans[static_cast<size_t>(index)];
        const LONG n = static_cast<LONG>(s.mz.size());
        check(spectrum.SetSize(n, false, false, false));
        for (LONG i = 0; i < n; ++i) {
            spectrum.MassAt(i) = s.mz[static_cast<size_t>(i)];
            spectrum.IntensityAt(i) = s.intensity[static_cast<size_t>(i)];
        }
        spectrum.SetCentroid(true);
        spectrum.SetStartRT(s.time);
        spectrum.SetEndRT(s.time);
        spectrum.SetFirstScan(index + 1);
        spectrum.SetLastScan(index + 1);
        spectrum.Invalidate();
        return S_OK;
    }
    int SpectrumIndexByRT(int, int, double, FunctionRTProximity) override { return -1; }

    size_t Reads() const { return m_reads; }
    size_t Readable() const { return m_scans.size(); }

private:
    int32_t m_claimed;
    std::vector<Scan> m_scans;
    size_t m_reads = 0;
};

// How many spectra a walk from the first reads: the claimed count, or the
// spectra held when they are fewer.
size_t Expected(const BytesReader& r, int32_t claimed)
{
    return claimed <= 0 ? 0 : std::min(static_cast<size_t>(claimed), r.Readable());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    int32_t claimed = 0;
    uint16_t first = 0, last = 0, low = 0, high = 0;
    if (!in.read(claimed) || !in.read(first) || !in.read(last) || !in.read(low) || !in.read(high))
        return 0;
    std::vector<Scan> scans;
    for (uint8_t n = 0; in.read(n);) {
        Scan s;
        float t = 0;
        bool whole = in.read(t);
        for (uint8_t i = 0; whole && i < n; ++i) {
            float mz = 0, y = 0;
            whole = in.read(mz) && in.read(y);
            // Ascending m/z, as readers deliver it; non-finite values skipped.
            if (whole && std::isfinite(mz) && std::isfinite(y) && (s.mz.empty() || mz > s.mz.back())) {
                s.mz.push_back(mz);
                s.intensity.push_back(y);
            }
        }
        if (!whole || !std::isfinite(t))
            break;
        s.time = t;
        scans.push_back(std::move(s));
    }

    BytesReader r(claimed, scans);
    const size_t expected = Expected(r, claimed);
    const bool complete = claimed <= 0 || static_cast<size_t>(claimed) <= r.Readable();
    CChromatogram tic, bpc, ranged;
    const HRESULT t = r.TIC(true, 0, 0, tic);
    const HRESULT b = r.BPC(true, 0, 0, bpc);
    const HRESULT w = r.BPCWithRange(low, high, true, 0, 0, ranged);
    for (const CChromatogram* c : {&tic, &bpc, &ranged})
        check(static_cast<size_t>(c->GetCount()) == expected && c->GetValueCount() == c->GetCount());
    check(SUCCEEDED(t) == complete && SUCCEEDED(b) == complete && SUCCEEDED(w) == complete);
    // Each walk reads what it keeps and at most one more.
    check(r.Reads() <= 3 * (expected + 1));
    for (size_t i = 0; i < expected; ++i) {
        check(tic.Times()[i] == scans[i].time && bpc.Times()[i] == scans[i].time);
        CMassSpectrum s;
        check(SUCCEEDED(r.Spectrum(0, 0, static_cast<int>(i), s)));
        const double total = s.GetTIC();
        check(tic.Intensities()[i] == total || (std::isnan(total) && std::isnan(tic.Intensities()[i])));
    }

    // A co-added range within the claimed count stops at the first read
    // that fails.
    const size_t before = r.Reads();
    if (claimed > 0 && first <= last && last < claimed) {
        CMassSpectrum range;
        r.SpectrumRange(0, 0, first, last, true, 0.5, range);
        check(range.GetFirstScan() == first + 1 && range.GetLastScan() == last + 1);
        check(r.Reads() - before <= static_cast<size_t>(last - first) + 1);
    }

    // The caller's collection grows with the spectra read.
    std::vector<CMassSpectrum> spectra;
    CKSMSCollection collection(&spectra);
    const HRESULT c = SpectrumCollectionToDirect(r, 0, 0, &collection);
    check(SUCCEEDED(c) == complete && spectra.size() >= expected && spectra.size() <= 2 * expected + 16);
    return 0;
}
