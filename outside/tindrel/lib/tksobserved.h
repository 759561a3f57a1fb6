// Inside the library: a spectrum's peaks as the composition calculator and
// the matcher compare them with isotope clusters.
#pragma once

#include <vector>

#include "tkschem.h"
#include "tksvalues.h"

namespace tindrel {

// The peaks of a spectrum, ascending m/z, only positive finite intensities.
// A profile spectrum is centroided first (automatic peak detection), and
// `halfWidth` is then half its peak width; 0 for centroid spectra.
struct PeakList {
    std::vector<double> mz;
    std::vector<double> intensity;
    double halfWidth = 0;

    void fromSpectrum(const TKSMassSpectrum& spectrum);
    bool empty() const { return mz.empty(); }
    // The summed intensity of the peaks with lo <= m/z <= hi.
    double sumWithin(double lo, double hi) const;
    // The index of the strongest peak with lo <= m/z <= hi, -1 when none.
    int strongestWithin(double lo, double hi) const;
};

// One line of an ion's isotope cluster grouped by nominal mass: its nominal
// shift (0 for M+0), its mean m/z, the m/z of its lightest and heaviest
// isotopologue, and its share of the highest line (1 for the highest).
struct ClusterLine {
    double mz = 0;
    double lo = 0;
    double hi = 0;
    double share = 0;
    int shift = 0;
};
// Lines below `prune` of the highest are left out.
std::vector<ClusterLine> nominalCluster(const Counts& ion, int charge, const ElementData& table,
                                        double prune = 1e-3);

// The observed intensity of a line: the sum of the peaks within `window`
// (m/z) outside its isotopologues' span.
double observedIntensity(const ClusterLine& line, const PeakList& peaks, double window);

// How well observed peaks follow a cluster: 1 - (half the summed absolute
// difference of the two normalised patterns). 0 when no line is observed.
// `observed` receives each line's observed intensity. The molecule
// matcher's similarity.
double clusterFit(const std::vector<ClusterLine>& cluster, const PeakList& peaks, double window,
                  std::vector<double>* observed = nullptr);

// The composition calculator's fitness: how well the observed M+1/M and
// M+2/M intensity ratios follow the cluster's, exp(-chi^2 / 2) with each
// ratio's deviation in units of its expected scatter (kRatioNoise of the
// larger of the two ratios plus kRatioFloor of M+0). 0 when M+0 is not
// observed. The README gives the reasons.
constexpr double kRatioNoise = 0.12;
constexpr double kRatioFloor = 0.005;
double isotopeRatioFit(const std::vector<ClusterLine>& cluster, const PeakList& peaks, double window);

}  // namespace tindrel
