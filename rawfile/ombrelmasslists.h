// The numeric steps of the mass lists, shared by the single-scan, the
// segmented and the averaged lists.
#pragma once

#include "kstypes.h"

#include <cstddef>
#include <vector>

namespace ombrel {

struct MassPoint {
    double mz;
    double intensity;
};

// Keeps the points among the first `count` that pass the cut-off, moved
// to the front in their order; answers how many. Type 1 keeps intensities
// at or above `value`; type 2 those at or above `value` percent of the
// span from the smallest intensity (0 when that is above 0) to the
// largest, above the smallest (everything when the span is 0); any other
// type keeps nothing. A count below 1 gives 0.
size_t ApplyIntensityCutoff(std::vector<MassPoint>& points, size_t count, LONG type, LONG value);

// The `limit` most intense of the first `count` points, moved to the
// front in ascending m/z (of equal intensities the earlier first).
void KeepMostIntense(std::vector<MassPoint>& points, size_t count, size_t limit);

// The order in which the scans of an average are added: positions in
// the list of `count` scans, the apex first, then its neighbours outward,
// the earlier of each pair first.
std::vector<size_t> AverageOrder(size_t apex, size_t count);

}  // namespace ombrel
