#include "tksisotope.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tkschem.h"

namespace tindrel {

namespace {

// Exactly equal masses merge even when the width is 0.
constexpr double kSameMass = 1e-9;

bool lighter(const ClusterPeak& l, const ClusterPeak& r)
{
    return l.shift != r.shift ? l.shift < r.shift : l.mass < r.mass;
}

std::vector<ClusterPeak> convolve(const std::vector<ClusterPeak>& a, const std::vector<ClusterPeak>& b,
                                  double mergeWidth)
{
    std::vector<ClusterPeak> out;
    out.reserve(a.size() * b.size());
    for (const ClusterPeak& x : a)
        for (const ClusterPeak& y : b)
            out.push_back(ClusterPeak{x.mass + y.mass, x.p * y.p, x.lo + y.lo, x.hi + y.hi, x.shift + y.shift});
    std::sort(out.begin(), out.end(), lighter);
    mergePeaks(out, mergeWidth);
    double highest = 0;
    for (const ClusterPeak& p : out)
        highest = std::max(highest, p.p);
    out.erase(std::remove_if(out.begin(), out.end(),
                             [highest](const ClusterPeak& p) { return p.p < highest * kClusterPrune; }),
              out.end());
    return out;
}

}  // namespace

void mergePeaks(std::vector<ClusterPeak>& peaks, double width)
{
    // By the spacing of neighbours, not the distance from a group's first
    // peak: a fine structure wider than the width but finer than it
    // everywhere stays one peak, and a peak width of a whole m/z unit at a
    // high charge still keeps M+0 apart from M+1 (their 15N and 13C
    // isotopologues lie either side of 1/z).
    const double w = std::max(width, kSameMass);
    std::vector<ClusterPeak> merged;
    merged.reserve(peaks.size());
    size_t i = 0;
    while (i < peaks.size()) {
        ClusterPeak group = peaks[i];
        double weighted = peaks[i].mass * peaks[i].p;
        double last = peaks[i].mass;
        ++i;
        while (i < peaks.size() && peaks[i].shift == group.shift && peaks[i].mass - last <= w) {
            weighted += peaks[i].mass * peaks[i].p;
            group.p += peaks[i].p;
            group.lo = std::min(group.lo, peaks[i].lo);
            group.hi = std::max(group.hi, peaks[i].hi);
            last = peaks[i].mass;
            ++i;
        }
        group.mass = group.p > 0 ? weighted / group.p : group.mass;
        merged.push_back(group);
    }
    peaks.swap(merged);
}

std::vector<ClusterPeak> isotopeDistribution(const Counts& counts, const ElementData& table, double mergeWidth)
{
    std::vector<ClusterPeak> result{ClusterPeak{0, 1, 0, 0, 0}};
    for (size_t k = 0; k < counts.size() && k < table.elements.size(); ++k) {
        int n = counts[k];
        if (n <= 0)
            continue;
        const Element& element = table.elements[k];
        const long long monoNumber = std::llround(element.monoMass());
        std::vector<ClusterPeak> base;
        for (const Isotope& iso : element.isotopes)
            base.push_back(ClusterPeak{iso.mass, iso.fraction, iso.mass, iso.mass,
                                       static_cast<int>(std::llround(iso.mass) - monoNumber)});
        std::vector<ClusterPeak> power{ClusterPeak{0, 1, 0, 0, 0}};
        while (n > 0) {
            if (n & 1)
                power = convolve(power, base, mergeWidth);
            n >>= 1;
            if (n > 0)
                base = convolve(base, base, mergeWidth);
        }
        result = convolve(result, power, mergeWidth);
    }
    return result;
}

bool ionFormula(const Counts& neutral, const Counts& adduct, int charge, Counts& ion)
{
    ion = neutral;
    if (charge == 0)
        return true;
    return addCounts(ion, adduct, charge);
}

double ionMZ(const Counts& ion, int charge, const ElementData& table)
{
    const double mass = monoisotopicMass(ion, table) - charge * kElectronMass;
    return charge == 0 ? mass : mass / std::abs(charge);
}

}  // namespace tindrel

TKSIsotopeCluster::TKSIsotopeCluster() = default;
TKSIsotopeCluster::~TKSIsotopeCluster() = default;

void TKSIsotopeCluster::setElementTable(const TKSElementTable* table)
{
    m_table = table ? *table : TKSElementTable();
}

bool TKSIsotopeCluster::compute(const std::wstring& formula, const std::wstring& adduct, int charge,
                                double peakWidth, bool relative, TKSMassSpectrum& spectrum) const
{
    spectrum.clearPoints();
    const tindrel::ElementTablePtr table = m_table.data();
    if (!table || charge < -100 || charge > 100 || !(peakWidth >= 0) || !std::isfinite(peakWidth))
        return false;
    tindrel::Counts neutral, ion;
    tindrel::IonText add;
    if (!tindrel::parseFormula(formula, *table, neutral) || !tindrel::parseIonText(adduct, *table, add) ||
        !tindrel::ionFormula(neutral, add.counts, charge, ion) || tindrel::isEmpty(ion))
        return false;
    const int z = std::abs(charge);
    const double scale = z == 0 ? 1.0 : z;
    std::vector<tindrel::ClusterPeak> peaks = tindrel::isotopeDistribution(ion, *table, peakWidth * scale);
    // Ascending m/z even where the fine structures of neighbouring nominal
    // masses would interleave (formulas of thousands of atoms).
    std::stable_sort(peaks.begin(), peaks.end(),
                     [](const tindrel::ClusterPeak& l, const tindrel::ClusterPeak& r) { return l.mass < r.mass; });
    double highest = 0;
    for (const tindrel::ClusterPeak& p : peaks)
        highest = std::max(highest, p.p);
    std::vector<double> mz, intensity;
    for (const tindrel::ClusterPeak& p : peaks) {
        if (p.p < highest * tindrel::kSpectrumPrune)
            continue;
        mz.push_back((p.mass - charge * tindrel::kElectronMass) / scale);
        intensity.push_back(relative ? 100.0 * p.p / highest : p.p);
    }
    spectrum.setPoints(std::move(mz), std::move(intensity));
    spectrum.setCentroid(true);
    spectrum.setMSOrder(1);
    spectrum.setPolarity(charge > 0 ? 1 : charge < 0 ? 2 : 0);
    spectrum.setPrecursorMZ(0);
    spectrum.setSource(-1, -1);
    return true;
}
