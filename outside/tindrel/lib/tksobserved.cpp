#include "tksobserved.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>

#include "tkspeakdetect.h"

namespace tindrel {

void PeakList::fromSpectrum(const TKSMassSpectrum& spectrum)
{
    mz.clear();
    intensity.clear();
    halfWidth = 0;
    TKSMassSpectrum centroids;
    const TKSMassSpectrum* source = &spectrum;
    if (!spectrum.isCentroid() && spectrum.getCount() > 1) {
        TKSMSPeakDetect detect;
        detect.setAutoPeakParameters(true);
        if (detect.detectPeaks(spectrum, centroids)) {
            source = &centroids;
            halfWidth = detect.getPeakWidth() / 2;
        }
    }
    const std::vector<double>& x = source->getMZValues();
    const std::vector<double>& y = source->getIntensities();
    std::vector<size_t> order;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::isfinite(x[i]) && std::isfinite(y[i]) && y[i] > 0)
            order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&x](size_t a, size_t b) { return x[a] < x[b]; });
    for (size_t i : order) {
        mz.push_back(x[i]);
        intensity.push_back(y[i]);
    }
}

double PeakList::sumWithin(double lo, double hi) const
{
    double sum = 0;
    for (auto it = std::lower_bound(mz.begin(), mz.end(), lo); it != mz.end() && *it <= hi; ++it)
        sum += intensity[static_cast<size_t>(it - mz.begin())];
    return sum;
}

int PeakList::strongestWithin(double lo, double hi) const
{
    int best = -1;
    for (auto it = std::lower_bound(mz.begin(), mz.end(), lo); it != mz.end() && *it <= hi; ++it) {
        const int i = static_cast<int>(it - mz.begin());
        if (best < 0 || intensity[static_cast<size_t>(i)] > intensity[static_cast<size_t>(best)])
            best = i;
    }
    return best;
}

std::vector<ClusterLine> nominalCluster(const Counts& ion, int charge, const ElementData& table, double prune)
{
    // Peaks of different nominal shifts never merge: an unbounded width
    // gives one line per nominal mass.
    std::vector<ClusterPeak> peaks = isotopeDistribution(ion, table, std::numeric_limits<double>::infinity());
    double highest = 0;
    for (const ClusterPeak& p : peaks)
        highest = std::max(highest, p.p);
    const double z = charge == 0 ? 1.0 : std::abs(charge);
    const double shift = charge * kElectronMass;
    std::vector<ClusterLine> lines;
    for (const ClusterPeak& p : peaks) {
        if (highest <= 0 || p.p < highest * prune)
            continue;
        lines.push_back(
            ClusterLine{(p.mass - shift) / z, (p.lo - shift) / z, (p.hi - shift) / z, p.p / highest, p.shift});
    }
    return lines;
}

double observedIntensity(const ClusterLine& line, const PeakList& peaks, double window)
{
    return peaks.sumWithin(line.lo - window, line.hi + window);
}

double clusterFit(const std::vector<ClusterLine>& cluster, const PeakList& peaks, double window,
                  std::vector<double>* observed)
{
    std::vector<double> o(cluster.size(), 0);
    double sumO = 0, sumT = 0;
    for (size_t i = 0; i < cluster.size(); ++i) {
        o[i] = observedIntensity(cluster[i], peaks, window);
        sumO += o[i];
        sumT += cluster[i].share;
    }
    if (observed)
        *observed = o;
    if (sumO <= 0 || sumT <= 0)
        return 0;
    double difference = 0;
    for (size_t i = 0; i < cluster.size(); ++i)
        difference += std::fabs(o[i] / sumO - cluster[i].share / sumT);
    return std::clamp(1 - difference / 2, 0.0, 1.0);
}

double isotopeRatioFit(const std::vector<ClusterLine>& cluster, const PeakList& peaks, double window)
{
    const ClusterLine* line[3] = {nullptr, nullptr, nullptr};
    for (const ClusterLine& l : cluster)
        if (l.shift >= 0 && l.shift <= 2)
            line[l.shift] = &l;
    if (!line[0] || !(line[0]->share > 0))
        return 0;
    const double observed0 = observedIntensity(*line[0], peaks, window);
    if (!(observed0 > 0))
        return 0;
    double chiSquare = 0;
    for (int k = 1; k <= 2; ++k) {
        if (!line[k])
            continue;  // no isotopologue there (a cluster without M+2)
        const double expected = line[k]->share / line[0]->share;
        const double observed = observedIntensity(*line[k], peaks, window) / observed0;
        const double sigma = kRatioNoise * std::max(expected, observed) + kRatioFloor;
        const double d = (observed - expected) / sigma;
        chiSquare += d * d;
    }
    return std::exp(-chiSquare / 2);
}

}  // namespace tindrel
