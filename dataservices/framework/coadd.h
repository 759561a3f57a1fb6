// Spectrum co-adding: centroid spectra merge as peak lists within a
// tolerance; profile spectra merge onto the accumulator's own m/z axis,
// extended by a model of its spacing where the source reaches beyond it or
// into omitted zero stretches.
//
// Bounds: an extension beyond the accumulator's ends takes model steps only
// while their number stays within KSExtensionLimit(accumulator count,
// source count); a source lying farther away (a point at an absurd m/z)
// joins with its own m/z values as axis points instead, as an island of its
// own with the gap between left without points. Steps across a gap of the
// accumulator's axis are computed in leaps where more than KSWalkSteps of
// them would be walked. Work and memory of a merge stay proportional to the
// two spectra's point counts.
#pragma once

#include <vector>

#include "kstypes.h"
#include "massaxismodel.h"
#include "massspectrum.h"

// Merged centroid intensities stop at the largest single-precision value.
constexpr double KSMaxMergedIntensity = 3.4028234663852886e+38;

// Most model steps generated at one end of the accumulator: eight per point
// of the two spectra, and at least 4096.
inline size_t KSExtensionLimit(LONG accumulatorCount, LONG sourceCount)
{
    const size_t points = static_cast<size_t>(accumulatorCount > 0 ? accumulatorCount : 0) +
                          static_cast<size_t>(sourceCount > 0 ? sourceCount : 0);
    return 8 * points + 4096;
}

// Steps walked one at a time across a gap before the rest is leapt.
constexpr double KSWalkSteps = 1024;

// Adds source into accumulator. Answers the accumulator's new point count,
// 0 when nothing was done (centroid against profile). The tolerance is in
// daltons or, with inDaltons false, in parts per million; peaks join within
// half of it above the current peak centre.
LONG CoAddSpectra(bool inDaltons, double tolerance, const CMassSpectrum& source, CMassSpectrum& accumulator);

// The centroid path. The accumulator keeps only its centroid flag and
// polarity (and hooks): every other field becomes that of a new spectrum,
// for the caller to set afterwards.
LONG MergeCentroidLists(bool inDaltons, double tolerance, const CMassSpectrum& source,
                        CMassSpectrum& accumulator);

// Combines the peaks of one m/z-ordered spectrum in place into
// intensity-weighted peaks; groups whose intensity sums to 0 or less are
// dropped. Answers the new count.
LONG MergeCentroidPeaks(bool inDaltons, double tolerance, CMassSpectrum& spectrum);

// Sorts one spectrum's points: order 0 by m/z ascending, 1 by m/z
// descending, 2 by intensity ascending, 3 by intensity descending, carrying
// the other array and the per-peak arrays along. True for an empty
// spectrum and after sorting; false when an array is missing or the order
// is unknown.
bool SortSpectrumByMass(int order, CMassSpectrum& spectrum);

// The state of one profile merge.
class CProfileMerger {
public:
    CProfileMerger();

    // Merges source into accumulator; reset asks for the accumulator's axis
    // to be analysed again. Answers the accumulator's new count.
    LONG Merge(const CMassSpectrum& source, CMassSpectrum& accumulator, bool reset);

    // Regular axis: extends the accumulator to cover the source, then
    // distributes the source onto it.
    LONG ExtendAndDistribute(const CMassSpectrum& source, CMassSpectrum& accumulator);
    // Axis with omitted zero stretches (the model is built from the
    // accumulator): writes a merged axis with points in the gaps the source
    // reaches into, then distributes the source onto it.
    LONG MergeOntoGappedAxis(const CMassSpectrum& source, CMassSpectrum& accumulator);

    // Splits each source intensity linearly between the two axis points
    // around its m/z. Stops at the first source point above the axis end
    // and answers the number of source points consumed.
    static LONG DistributeOntoAxis(const double* srcMz, const double* srcIntensity, LONG srcCount,
                                   const double* axisMz, double* axisIntensity, LONG axisCount);
    // Drops interior zero points of zero stretches narrower than 4.0 m/z
    // among the points from index first on; the first and last of them are
    // kept, and every signal keeps one zero neighbour on each side.
    static void CompactZeroRuns(std::vector<double>& mz, std::vector<double>& intensity, size_t first);

    const CMassAxisModel& Model() const { return m_Model; }
    bool IsGapped() const { return m_bGapped; }

private:
    // Points below the first and above the last accumulator m/z that reach
    // to the source's first and last m/z (below: in descending order). False
    // with `out` empty when more than `limit` points would be needed.
    bool PointsBelow(double from, double target, size_t limit, std::vector<double>& out) const;
    bool PointsAbove(double from, double target, size_t limit, std::vector<double>& out) const;
    // The extension of an axis below `from` (descending) or above it
    // (ascending) toward the source's points beyond it: model steps within
    // the limit, else the source's own m/z values beyond `from`.
    void ExtensionBelow(double from, const double* srcMz, LONG srcCount, size_t limit,
                        std::vector<double>& out) const;
    void ExtensionAbove(double from, const double* srcMz, LONG srcCount, size_t limit,
                        std::vector<double>& out) const;
    // x advanced by whole model steps toward target (x < target) while more
    // than KSWalkSteps steps remain, leaving about half of them to walk.
    double LeapAbove(double x, double target) const;

    bool m_bReanalyse;
    bool m_bGapped;
    bool m_bModelStale;
    CMassAxisModel m_Model;
};
