// One function's spectra (TKSMSCollection) and what a selection of them
// chose (TKSMSCollectionSelection).
//
// Spectra are read through the data services (SpectrumDirect,
// SpectrumRangeDirect, TICDirect, BPCDirect); mass chromatograms, spectrum
// selections with background subtraction and the acquired mass range are
// computed here. The collection keeps its dataset alive.
//
// Scans are numbered from 1 in the order of the function's spectra
// (spectrum index + 1); a spectrum made here carries the scan and time
// ranges it was made from, which TKSMSCollectionSelection::fromSpectrum
// reads back.
//
// The merge tolerance (0.1 Da when new) is the window of a single-m/z mass
// chromatogram (m/z +- tolerance) and the tolerance with which co-added
// scans merge their peaks, in daltons or in ppm of the m/z.
#pragma once

#include <memory>
#include <vector>

#include "tindrelglobal.h"
#include "tksvalues.h"

class TKSChromatogram;
class TKSMassSpectrum;

namespace tindrel {
struct TreeNode;
class CollectionCore;
}  // namespace tindrel

class TINDREL_EXPORT TKSMSCollectionSelection {
public:
    TKSMSCollectionSelection();

    // Takes the source and the ranges a spectrum carries (acquired and
    // background). False, and the selection emptied, for a spectrum without
    // acquired scans or source.
    bool fromSpectrum(const TKSMassSpectrum& spectrum);
    void clear();
    bool isEmpty() const { return m_scans.empty(); }

    int getInjectionIndex() const { return m_injection; }
    int getFunctionIndex() const { return m_function; }
    const std::vector<TKSScanRange>& getScanRanges() const { return m_scans; }
    const std::vector<TKSTimeRange>& getTimeRanges() const { return m_times; }
    const std::vector<TKSScanRange>& getBackgroundScanRanges() const { return m_backgroundScans; }
    const std::vector<TKSTimeRange>& getBackgroundTimeRanges() const { return m_backgroundTimes; }

private:
    friend class tindrel::CollectionCore;

    int m_injection;
    int m_function;
    std::vector<TKSScanRange> m_scans;
    std::vector<TKSTimeRange> m_times;
    std::vector<TKSScanRange> m_backgroundScans;
    std::vector<TKSTimeRange> m_backgroundTimes;
};

class TINDREL_EXPORT TKSMSCollection {
public:
    // How a selection uses a chromatogram peak (the item's spectrum
    // selection mode).
    enum ePeakSelectMode {
        PeakSelectManual = 0,          // the scans at the time or in the range
        PeakSelectPeak = 1,            // the upper half of the chromatogram peak there
        PeakSelectPeakSubtract = 2,    // the same, less the peak's flanks as background
    };

    ~TKSMSCollection();
    TKSMSCollection(const TKSMSCollection&) = delete;
    TKSMSCollection& operator=(const TKSMSCollection&) = delete;

    int getCount() const;
    // 0 and count - 1; false (the outputs untouched) for an empty collection.
    bool getSpectrumIndexRange(int& first, int& last) const;
    // The spectrum at index 0 .. count - 1, with its scan and time.
    bool getSpectrum(int index, TKSMassSpectrum& spectrum) const;
    // The lowest and highest m/z over every spectrum (read once, then
    // kept); false (the outputs untouched) when no spectrum has a point.
    bool getAcquiredMassRange(double& low, double& high) const;

    bool getTICChromatogram(TKSChromatogram& chromatogram) const;
    bool getBPChromatogram(TKSChromatogram& chromatogram) const;
    // Per spectrum, the summed intensity within mz +- the merge tolerance.
    bool getMassChromatogram(double mz, TKSChromatogram& chromatogram) const;
    // Per spectrum, the summed intensity with from <= m/z <= to.
    bool getMassChromatogram(double from, double to, TKSChromatogram& chromatogram) const;

    // The four selections. Each fills the selection and the spectrum and
    // answers whether the spectrum has points; on false the selection is
    // unchanged and the spectrum empty. A single time selects the nearest
    // scan, a range the scans within it (none: false). With `subtract`
    // false the selection starts afresh; with true the range is added as
    // background to the selection given (which must hold acquired scans of
    // this collection, for example from fromSpectrum), and the spectrum is
    // its acquired scans less the scaled background. A peak mode selects
    // by the chromatogram's peaks (see ePeakSelectMode; outside any peak it
    // selects as the manual mode does).
    bool select(double time, bool subtract, TKSMSCollectionSelection& selection, TKSMassSpectrum& spectrum);
    bool select(double from, double to, bool subtract, TKSMSCollectionSelection& selection,
                TKSMassSpectrum& spectrum);
    bool select(double time, ePeakSelectMode mode, const TKSChromatogram& chromatogram,
                TKSMSCollectionSelection& selection, TKSMassSpectrum& spectrum);
    bool select(double from, double to, ePeakSelectMode mode, const TKSChromatogram& chromatogram,
                TKSMSCollectionSelection& selection, TKSMassSpectrum& spectrum);

    double getMergeTolerance() const;
    bool getMergeToleranceInDa() const;
    // False (nothing changes) for a negative or non-finite value.
    bool setMergeTolerance(bool inDa, double tolerance);

    int getInjectionIndex() const;
    int getFunctionIndex() const;

private:
    friend class TKSFunction;
    explicit TKSMSCollection(std::unique_ptr<tindrel::CollectionCore> core);
    std::unique_ptr<tindrel::CollectionCore> m_core;
};
