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

// One line of an ion's isotope cluster grouped by nominal mass: its mean
// m/z, the m/z of its lightest and heaviest isotopologue, and its share
// of the highest line (1 for the highest).
struct ClusterLine {
    double mz = 0;
    double lo = 0;
    double hi = 0;
    double share = 0;
};
// Lines below `prune` of the highest are left out.
std::vector<ClusterLine> nominalCluster(const Counts& ion, int charge, const ElementData& table,
                                        double prune = 1e-3);

// How well observed peaks follow a cluster: 1 - (half the summed absolute
// difference of the two normalised patterns), where a line's observed
// intensity is the sum of the peaks within `window` (m/z) outside its
// isotopologues' span. 0 when no line is observed. `observed` receives
// each line's observed intensity.
double clusterFit(const std::vector<ClusterLine>& cluster, const PeakList& peaks, double window,
                  std::vector<double>* observed = nullptr);

}  // namespace tindrel
