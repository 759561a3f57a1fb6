#include "tkscollection.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "coadd.h"
#include "kshandles.h"
#include "tkscore.h"
#include "tksdataserver.h"
#include "tkspeakdetect.h"

namespace tindrel {

// The state behind one TKSMSCollection: its function, merge tolerance and
// what was read once and kept (scan times, acquired mass range).
class CollectionCore {
public:
    CollectionCore(std::shared_ptr<DatasetCore> dataset, ks::ComPtr<IKSFunction> function, int injection, int index)
        : m_dataset(std::move(dataset)), m_function(std::move(function)), m_injection(injection), m_index(index)
    {
    }

    int count() const
    {
        LONG n = 0;
        if (FAILED(m_function->get_Count(&n)) || n < 0)
            return 0;
        return static_cast<int>(n);
    }
    int injection() const { return m_injection; }
    int index() const { return m_index; }

    bool inDa() const { return m_inDa; }
    double tolerance() const { return m_tolerance; }
    bool setTolerance(bool inDa, double tolerance)
    {
        if (!std::isfinite(tolerance) || tolerance < 0)
            return false;
        m_inDa = inDa;
        m_tolerance = tolerance;
        return true;
    }
    // Half-width of the window around mz.
    double window(double mz) const { return m_inDa ? m_tolerance : std::fabs(mz) * m_tolerance * 1e-6; }

    bool spectrum(int index, TKSMassSpectrum& out);
    bool acquiredMassRange(double& low, double& high);
    bool chromatogram(bool basePeak, TKSChromatogram& out);
    // Per spectrum, the summed intensity of the points the test accepts.
    template <class Accept>
    bool massChromatogram(Accept accept, TKSChromatogram& out);

    bool select(double from, double to, bool subtract, TKSMSCollectionSelection& selection, TKSMassSpectrum& out);
    bool selectPeak(double from, double to, TKSMSCollection::ePeakSelectMode mode, const TKSChromatogram& chromatogram,
                    TKSMSCollectionSelection& selection, TKSMassSpectrum& out);

private:
    // The start time of every spectrum (the TIC's times), read once.
    const std::vector<double>* times();
    // Scans (0-based indexes) with a time in [from, to]; for from == to the
    // nearest scan. False when none.
    bool scansIn(double from, double to, int& first, int& last);
    TKSScanRange rangeOf(int first, int last) { return TKSScanRange{first + 1, last + 1}; }
    TKSTimeRange timesOf(const TKSScanRange& r) { return TKSTimeRange{(*m_times)[r.first - 1], (*m_times)[r.last - 1]}; }
    // The ranges co-added into `sum`; `scans` counts the scans read.
    bool coadd(const std::vector<TKSScanRange>& ranges, CMassSpectrum& sum, long long& scans);
    bool compute(const TKSMSCollectionSelection& selection, TKSMassSpectrum& out);
    void subtract(CMassSpectrum& acquired, const CMassSpectrum& background, double scale) const;

    std::shared_ptr<DatasetCore> m_dataset;
    ks::ComPtr<IKSFunction> m_function;
    int m_injection;
    int m_index;
    bool m_inDa = true;
    double m_tolerance = 0.1;
    CKSMassSpectrum m_scratch;
    std::vector<double> m_timeValues;
    const std::vector<double>* m_times = nullptr;
    bool m_haveMassRange = false;
    double m_low = 0, m_high = 0;
};

namespace {

void copyInto(const CMassSpectrum& s, int injection, int function, TKSMassSpectrum& out)
{
    const LONG n = s.GetCount();
    std::vector<double> mz, intensity;
    if (n > 0 && s.Masses() && s.Intensities()) {
        mz.assign(s.Masses(), s.Masses() + n);
        intensity.assign(s.Intensities(), s.Intensities() + n);
    }
    out.clearPoints();
    out.setPoints(std::move(mz), std::move(intensity));
    out.setCentroid(s.IsCentroid());
    out.setMSOrder(s.GetMSOrder());
    out.setPolarity(s.GetPolarity());
    double precursor = s.GetPrecursorMass();
    if (precursor == 0 && s.GetMSOrder() >= 2)
        precursor = s.GetPrecursorMZ(s.GetMSOrder());
    out.setPrecursorMZ(precursor);
    out.setSource(injection, function);
}

// The chromatogram of the data services into the caller's value.
void copyInto(const CChromatogram& c, TKSChromatogram& out)
{
    const LONG n = c.GetCount();
    if (n > 0 && c.Times() && c.Intensities())
        out.setPoints(std::vector<double>(c.Times(), c.Times() + n),
                      std::vector<double>(c.Intensities(), c.Intensities() + n));
}

bool badTime(double t)
{
    return !std::isfinite(t);
}

}  // namespace

const std::vector<double>* CollectionCore::times()
{
    if (m_times)
        return m_times;
    CChromatogram tic;
    CKSChromatogram handle(&tic);
    if (FAILED(m_function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle))))
        return nullptr;
    const LONG n = std::min<LONG>(tic.GetCount(), count());
    if (n <= 0 || !tic.Times())
        return nullptr;
    m_timeValues.assign(tic.Times(), tic.Times() + n);
    m_times = &m_timeValues;
    return m_times;
}

bool CollectionCore::scansIn(double from, double to, int& first, int& last)
{
    const std::vector<double>* t = times();
    if (!t || badTime(from) || badTime(to) || from > to)
        return false;
    if (from == to) {
        // The nearest scan; the earlier of two equally near ones.
        const auto p = std::lower_bound(t->begin(), t->end(), from);
        size_t k = static_cast<size_t>(p - t->begin());
        if (k == t->size() || (k > 0 && from - (*t)[k - 1] <= (*t)[k] - from))
            k = k > 0 ? k - 1 : 0;
        first = last = static_cast<int>(k);
        return true;
    }
    const auto lo = std::lower_bound(t->begin(), t->end(), from);
    const auto hi = std::upper_bound(t->begin(), t->end(), to);
    if (lo >= hi)
        return false;
    first = static_cast<int>(lo - t->begin());
    last = static_cast<int>(hi - t->begin()) - 1;
    return true;
}

bool CollectionCore::spectrum(int index, TKSMassSpectrum& out)
{
    if (index < 0 || index >= count())
        return false;
    if (FAILED(m_function->get_SpectrumDirect(index + 1, reinterpret_cast<ULONG_PTR>(&m_scratch))) ||
        !m_scratch.get())
        return false;
    copyInto(*m_scratch.get(), m_injection, m_index, out);
    const double t = m_scratch.GetStartRT();
    out.setScanRanges({TKSScanRange{index + 1, index + 1}}, {TKSTimeRange{t, t}});
    return true;
}

bool CollectionCore::acquiredMassRange(double& low, double& high)
{
    if (!m_haveMassRange) {
        bool any = false;
        double lo = 0, hi = 0;
        const int n = count();
        for (int i = 1; i <= n; ++i) {
            if (FAILED(m_function->get_SpectrumDirect(i, reinterpret_cast<ULONG_PTR>(&m_scratch))))
                return false;
            const LONG points = m_scratch.GetCount();
            const double* mz = m_scratch.GetMasses();
            for (LONG k = 0; mz && k < points; ++k) {
                if (!std::isfinite(mz[k]))
                    continue;
                if (!any || mz[k] < lo)
                    lo = mz[k];
                if (!any || mz[k] > hi)
                    hi = mz[k];
                any = true;
            }
        }
        if (!any)
            return false;
        m_low = lo;
        m_high = hi;
        m_haveMassRange = true;
    }
    low = m_low;
    high = m_high;
    return true;
}

bool CollectionCore::chromatogram(bool basePeak, TKSChromatogram& out)
{
    out.clearPoints();
    out.setSource(m_injection, m_index, -1);
    CChromatogram c;
    CKSChromatogram handle(&c);
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    const HRESULT hr = basePeak ? m_function->get_BPCDirect(1, address) : m_function->get_TICDirect(1, address);
    if (FAILED(hr))
        return false;
    copyInto(c, out);
    return true;
}

template <class Accept>
bool CollectionCore::massChromatogram(Accept accept, TKSChromatogram& out)
{
    out.clearPoints();
    out.setSource(m_injection, m_index, -1);
    // The count is what the reader claims (a damaged file's header may say
    // billions): the points grow with the spectra actually read, and the
    // first that cannot be read ends the loop.
    const int n = count();
    std::vector<double> t, y;
    for (int i = 0; i < n; ++i) {
        if (FAILED(m_function->get_SpectrumDirect(i + 1, reinterpret_cast<ULONG_PTR>(&m_scratch))))
            return false;
        const LONG points = m_scratch.GetCount();
        const double* mz = m_scratch.GetMasses();
        const double* intensity = m_scratch.GetIntensities();
        double sum = 0;
        for (LONG k = 0; mz && intensity && k < points; ++k)
            if (accept(mz[k]))
                sum += intensity[k];
        t.push_back(m_scratch.GetStartRT());
        y.push_back(sum);
    }
    out.setPoints(std::move(t), std::move(y));
    return true;
}

bool CollectionCore::coadd(const std::vector<TKSScanRange>& ranges, CMassSpectrum& sum, long long& scans)
{
    scans = 0;
    bool first = true;
    const int n = count();
    for (const TKSScanRange& r : ranges) {
        if (r.first < 1 || r.last < r.first || r.last > n)
            return false;
        const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&m_scratch);
        const HRESULT hr = r.first == r.last
                               ? m_function->get_SpectrumDirect(r.first, address)
                               : m_function->get_SpectrumRangeDirect(r.first, r.last, m_inDa ? 1 : 0, m_tolerance, address);
        if (FAILED(hr) || !m_scratch.get())
            return false;
        if (first) {
            sum = *m_scratch.get();
            first = false;
        } else if (m_scratch.GetCount() > 0) {
            if (sum.GetCount() == 0)
                sum = *m_scratch.get();
            else if (CoAddSpectra(m_inDa, m_tolerance, *m_scratch.get(), sum) == 0)
                return false;  // centroid and profile scans do not add up
        }
        scans += r.last - r.first + 1;
    }
    return !first;
}

void CollectionCore::subtract(CMassSpectrum& acquired, const CMassSpectrum& background, double scale) const
{
    // The background sorted by m/z, NaN left out.
    std::vector<std::pair<double, double>> bg;
    const LONG nb = background.GetCount();
    for (LONG k = 0; k < nb && background.Masses() && background.Intensities(); ++k)
        if (std::isfinite(background.Masses()[k]) && std::isfinite(background.Intensities()[k]))
            bg.emplace_back(background.Masses()[k], background.Intensities()[k]);
    std::sort(bg.begin(), bg.end());

    const LONG n = acquired.GetCount();
    const double* mz = acquired.Masses();
    const double* y = acquired.Intensities();
    std::vector<double> outMz, outY;
    outMz.reserve(static_cast<size_t>(n));
    outY.reserve(static_cast<size_t>(n));
    const bool centroid = acquired.IsCentroid();
    for (LONG k = 0; k < n && mz && y; ++k) {
        double level = 0;
        if (centroid) {
            // Background peaks within the merge window of this peak.
            const double w = window(mz[k]);
            auto p = std::lower_bound(bg.begin(), bg.end(), std::make_pair(mz[k] - w, -HUGE_VAL));
            for (; p != bg.end() && p->first <= mz[k] + w; ++p)
                level += p->second;
        } else {
            // The background profile interpolated at this m/z; 0 outside it.
            auto p = std::lower_bound(bg.begin(), bg.end(), std::make_pair(mz[k], -HUGE_VAL));
            if (p != bg.end() && p->first == mz[k])
                level = p->second;
            else if (p != bg.end() && p != bg.begin()) {
                const auto& a = *(p - 1);
                const auto& b = *p;
                level = a.second + (b.second - a.second) * (mz[k] - a.first) / (b.first - a.first);
            }
        }
        const double value = y[k] - scale * level;
        if (centroid && !(value > 0))
            continue;  // a peak the background explains is gone
        outMz.push_back(mz[k]);
        outY.push_back(value > 0 ? value : 0);
    }
    acquired.Resize(static_cast<LONG>(outMz.size()));
    for (size_t k = 0; k < outMz.size(); ++k) {
        acquired.MassAt(static_cast<LONG>(k)) = outMz[k];
        acquired.IntensityAt(static_cast<LONG>(k)) = outY[k];
    }
}

bool CollectionCore::compute(const TKSMSCollectionSelection& selection, TKSMassSpectrum& out)
{
    CMassSpectrum acquired;
    long long nAcquired = 0;
    if (!coadd(selection.getScanRanges(), acquired, nAcquired))
        return false;
    if (!selection.getBackgroundScanRanges().empty()) {
        CMassSpectrum background;
        long long nBackground = 0;
        if (!coadd(selection.getBackgroundScanRanges(), background, nBackground) || nBackground <= 0)
            return false;
        subtract(acquired, background, double(nAcquired) / double(nBackground));
    }
    if (acquired.GetCount() <= 0)
        return false;
    copyInto(acquired, m_injection, m_index, out);
    out.setScanRanges(selection.getScanRanges(), selection.getTimeRanges());
    out.setBackgroundRanges(selection.getBackgroundScanRanges(), selection.getBackgroundTimeRanges());
    return true;
}

bool CollectionCore::select(double from, double to, bool subtract, TKSMSCollectionSelection& selection,
                            TKSMassSpectrum& out)
{
    out.clearPoints();
    int first = 0, last = 0;
    if (!scansIn(from, to, first, last))
        return false;
    TKSMSCollectionSelection next;
    if (subtract) {
        if (selection.isEmpty() || selection.getInjectionIndex() != m_injection ||
            selection.getFunctionIndex() != m_index)
            return false;
        next = selection;
        next.m_backgroundScans.push_back(rangeOf(first, last));
        next.m_backgroundTimes.push_back(timesOf(next.m_backgroundScans.back()));
        // The acquired times follow this collection's scans.
        next.m_times.clear();
        for (const TKSScanRange& r : next.m_scans) {
            if (r.first < 1 || r.last < r.first || r.last > static_cast<int>(m_times->size()))
                return false;
            next.m_times.push_back(timesOf(r));
        }
    } else {
        next.m_injection = m_injection;
        next.m_function = m_index;
        next.m_scans.push_back(rangeOf(first, last));
        next.m_times.push_back(timesOf(next.m_scans.back()));
    }
    TKSMassSpectrum spectrum;
    if (!compute(next, spectrum))
        return false;
    selection = std::move(next);
    out = std::move(spectrum);
    return true;
}

bool CollectionCore::selectPeak(double from, double to, TKSMSCollection::ePeakSelectMode mode,
                                const TKSChromatogram& chromatogram, TKSMSCollectionSelection& selection,
                                TKSMassSpectrum& out)
{
    out.clearPoints();
    if (mode != TKSMSCollection::PeakSelectPeak && mode != TKSMSCollection::PeakSelectPeakSubtract)
        return select(from, to, false, selection, out);
    if (badTime(from) || badTime(to) || from > to || !times())
        return false;

    // The peak: for a time, the one whose span holds it (the nearer apex
    // where two meet at a valley); for a range, the highest whose apex lies
    // in it, else the one holding the middle of the range.
    TKSChromatogramPeakDetect detector;
    detector.detect(chromatogram);
    const TKSChromatogramPeak* peak = nullptr;
    const double middle = from + (to - from) / 2;
    for (const TKSChromatogramPeak& p : detector.getPeaks()) {
        if (from < to && p.apexRT >= from && p.apexRT <= to) {
            if (!peak || p.height > peak->height)
                peak = &p;
        }
    }
    if (!peak) {
        for (const TKSChromatogramPeak& p : detector.getPeaks()) {
            if (middle < p.startRT || middle > p.endRT)
                continue;
            if (!peak || std::fabs(p.apexRT - middle) < std::fabs(peak->apexRT - middle))
                peak = &p;
        }
    }
    if (!peak)
        return select(from, to, false, selection, out);  // no peak there: as the manual mode

    // The upper half of the peak: the points around the apex whose signal
    // above the peak's baseline is at least half its height.
    const std::vector<double>& t = chromatogram.getRTValues();
    const std::vector<double>& y = chromatogram.getIntensities();
    const double slope =
        peak->endRT > peak->startRT ? (peak->endIntensity - peak->startIntensity) / (peak->endRT - peak->startRT) : 0;
    auto above = [&](size_t k) {
        return t[k] >= peak->startRT && t[k] <= peak->endRT &&
               y[k] - (peak->startIntensity + slope * (t[k] - peak->startRT)) >= peak->height / 2;
    };
    size_t lo = static_cast<size_t>(peak->scan), hi = lo;
    while (lo > 0 && above(lo - 1))
        --lo;
    while (hi + 1 < t.size() && above(hi + 1))
        ++hi;
    int first = 0, last = 0;
    if (!scansIn(t[lo], t[hi], first, last) && !scansIn(peak->apexRT, peak->apexRT, first, last))
        return false;

    TKSMSCollectionSelection next;
    next.m_injection = m_injection;
    next.m_function = m_index;
    next.m_scans.push_back(rangeOf(first, last));
    next.m_times.push_back(timesOf(next.m_scans.back()));
    if (mode == TKSMSCollection::PeakSelectPeakSubtract) {
        // The flanks: on each side, the scans within half the selected
        // width outside the peak's start and end (at least the nearest
        // one), never a scan of the selection itself.
        const double reach = (t[hi] - t[lo]) / 2;
        int a = 0, b = 0;
        if (scansIn(peak->startRT - reach, peak->startRT, a, b) || scansIn(peak->startRT, peak->startRT, a, b)) {
            b = std::min(b, first - 1);
            if (a <= b)
                next.m_backgroundScans.push_back(rangeOf(a, b));
        }
        if (scansIn(peak->endRT, peak->endRT + reach, a, b) || scansIn(peak->endRT, peak->endRT, a, b)) {
            a = std::max(a, last + 1);
            if (a <= b)
                next.m_backgroundScans.push_back(rangeOf(a, b));
        }
        for (const TKSScanRange& r : next.m_backgroundScans)
            next.m_backgroundTimes.push_back(timesOf(r));
    }
    TKSMassSpectrum spectrum;
    if (!compute(next, spectrum))
        return false;
    selection = std::move(next);
    out = std::move(spectrum);
    return true;
}

}  // namespace tindrel

using tindrel::CollectionCore;

// --- TKSMSCollectionSelection ------------------------------------------------

TKSMSCollectionSelection::TKSMSCollectionSelection() : m_injection(-1), m_function(-1) {}

bool TKSMSCollectionSelection::fromSpectrum(const TKSMassSpectrum& spectrum)
{
    clear();
    if (spectrum.getScanRanges().empty() || spectrum.getInjectionIndex() < 0 || spectrum.getFunctionIndex() < 0)
        return false;
    m_injection = spectrum.getInjectionIndex();
    m_function = spectrum.getFunctionIndex();
    m_scans = spectrum.getScanRanges();
    m_times = spectrum.getTimeRanges();
    m_backgroundScans = spectrum.getBackgroundScanRanges();
    m_backgroundTimes = spectrum.getBackgroundTimeRanges();
    return true;
}

void TKSMSCollectionSelection::clear()
{
    *this = TKSMSCollectionSelection();
}

// --- TKSMSCollection ---------------------------------------------------------

TKSMSCollection* TKSFunction::getSpectrumCollection() const
{
    return new TKSMSCollection(
        std::make_unique<CollectionCore>(m_node->core, m_node->function, m_node->injectionIndex, m_node->index));
}

TKSMSCollection::TKSMSCollection(std::unique_ptr<CollectionCore> core) : m_core(std::move(core)) {}
TKSMSCollection::~TKSMSCollection() = default;

int TKSMSCollection::getCount() const
{
    return m_core->count();
}

bool TKSMSCollection::getSpectrumIndexRange(int& first, int& last) const
{
    const int n = m_core->count();
    if (n <= 0)
        return false;
    first = 0;
    last = n - 1;
    return true;
}

bool TKSMSCollection::getSpectrum(int index, TKSMassSpectrum& spectrum) const
{
    return m_core->spectrum(index, spectrum);
}

bool TKSMSCollection::getAcquiredMassRange(double& low, double& high) const
{
    return m_core->acquiredMassRange(low, high);
}

bool TKSMSCollection::getTICChromatogram(TKSChromatogram& chromatogram) const
{
    return m_core->chromatogram(false, chromatogram);
}

bool TKSMSCollection::getBPChromatogram(TKSChromatogram& chromatogram) const
{
    return m_core->chromatogram(true, chromatogram);
}

bool TKSMSCollection::getMassChromatogram(double mz, TKSChromatogram& chromatogram) const
{
    if (!std::isfinite(mz)) {
        chromatogram.clearPoints();
        return false;
    }
    const double low = mz - m_core->window(mz);
    const double high = mz + m_core->window(mz);
    return m_core->massChromatogram([low, high](double m) { return m >= low && m <= high; }, chromatogram);
}

bool TKSMSCollection::getMassChromatogram(double from, double to, TKSChromatogram& chromatogram) const
{
    if (!std::isfinite(from) || !std::isfinite(to) || from > to) {
        chromatogram.clearPoints();
        return false;
    }
    return m_core->massChromatogram([from, to](double m) { return m >= from && m <= to; }, chromatogram);
}

bool TKSMSCollection::select(double time, bool subtract, TKSMSCollectionSelection& selection,
                             TKSMassSpectrum& spectrum)
{
    return m_core->select(time, time, subtract, selection, spectrum);
}

bool TKSMSCollection::select(double from, double to, bool subtract, TKSMSCollectionSelection& selection,
                             TKSMassSpectrum& spectrum)
{
    return m_core->select(from, to, subtract, selection, spectrum);
}

bool TKSMSCollection::select(double time, ePeakSelectMode mode, const TKSChromatogram& chromatogram,
                             TKSMSCollectionSelection& selection, TKSMassSpectrum& spectrum)
{
    return m_core->selectPeak(time, time, mode, chromatogram, selection, spectrum);
}

bool TKSMSCollection::select(double from, double to, ePeakSelectMode mode, const TKSChromatogram& chromatogram,
                             TKSMSCollectionSelection& selection, TKSMassSpectrum& spectrum)
{
    return m_core->selectPeak(from, to, mode, chromatogram, selection, spectrum);
}

double TKSMSCollection::getMergeTolerance() const
{
    return m_core->tolerance();
}

bool TKSMSCollection::getMergeToleranceInDa() const
{
    return m_core->inDa();
}

bool TKSMSCollection::setMergeTolerance(bool inDa, double tolerance)
{
    return m_core->setTolerance(inDa, tolerance);
}

int TKSMSCollection::getInjectionIndex() const
{
    return m_core->injection();
}

int TKSMSCollection::getFunctionIndex() const
{
    return m_core->index();
}
