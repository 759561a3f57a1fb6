// Half-height weighted centroids of a profile spectrum, shared by the
// spectrum-object stand-in (IKSPeakDetection) and the host core-library
// stand-in (its MS peak detection). Plain C++, no automation types.
#pragma once

#include <cstddef>
#include <vector>

namespace kscontrols {

struct Peak {
    double mz;         // intensity-weighted mean of the points first..last
    double intensity;  // apex height
    size_t first;      // the points taken into the mean: the apex (or plateau)
    size_t last;       // and its neighbours at or above half height, falling away
};

// Centroids a profile spectrum: every local maximum above zero is a peak,
// its m/z the intensity-weighted mean of the points around the apex that
// stay at or above half the apex height while falling away from it, its
// intensity the apex height. A plateau is one peak. False (nothing found)
// when the m/z values do not ascend or the arrays differ in length.
bool detectPeaks(const std::vector<double>& mz, const std::vector<double>& intensity, std::vector<Peak>* peaks);

}  // namespace kscontrols
