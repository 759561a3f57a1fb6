// Peak detection in mass spectra (centroiding) and chromatograms.
#pragma once

#include <vector>

#include "tindrelglobal.h"
#include "tksvalues.h"

// Centroids profile spectra. A peak's m/z is the intensity-weighted mean of
// the points around its apex at or above half its height, its intensity
// the apex height. Without automatic parameters every local maximum is a
// peak (the half-height rule shared with the spectrum-object stand-in,
// which stops where the signal rises again). With them, only apexes that
// stand out of the spectrum's noise are peaks (the same rule as the
// chromatogram detector's, README), and the half-height walk passes over
// noise on the flanks. The peak width is the median full width at half
// height of the peaks found.
class TINDREL_EXPORT TKSMSPeakDetect {
public:
    TKSMSPeakDetect();

    void setAutoPeakParameters(bool on) { m_auto = on; }
    bool getAutoPeakParameters() const { return m_auto; }

    // A centroid spectrum of `in` into `out` (source, order, polarity,
    // precursor and ranges copied). A centroid input is copied unchanged.
    // False, `out` untouched, for an empty spectrum, m/z values that do not
    // ascend or intensities that are not numbers.
    bool detectPeaks(const TKSMassSpectrum& in, TKSMassSpectrum& out);
    // Of the last successful detection of a profile spectrum; 0 before.
    double getPeakWidth() const { return m_peakWidth; }

private:
    bool m_auto;
    double m_peakWidth;
};

// ChromatogramPeakType.
enum TKSChromatogramPeakType {
    PeakTypeUnknown = 0,
    PeakTypeBB = 1,   // baseline to baseline
    PeakTypeBV = 2,   // baseline to valley
    PeakTypeVB = 3,   // valley to baseline
    PeakTypeVV = 4,   // valley to valley
    PeakTypeShoulder = 5,
};

struct TKSChromatogramPeak {
    double startRT = 0, startIntensity = 0;
    double apexRT = 0, apexIntensity = 0;
    double endRT = 0, endIntensity = 0;
    // Index of the apex point (for a chromatogram of a collection: the
    // spectrum index there).
    int scan = -1;
    // Above the straight baseline from start to end point.
    double height = 0;
    // Between signal and that baseline (trapezoids), intensity x minutes.
    double area = 0;
    int type = PeakTypeUnknown;
};

// Finds chromatographic peaks: apexes that stand out by more than the noise
// level, bounded where the signal returns to the baseline or at the lowest
// point between two neighbouring peaks (a valley). The README states the
// rules and the noise level.
class TINDREL_EXPORT TKSChromatogramPeakDetect {
public:
    // The number of peaks found (0: none, also for an unusable chromatogram:
    // times that do not ascend or values that are not finite).
    int detect(const TKSChromatogram& chromatogram);
    const std::vector<TKSChromatogramPeak>& getPeaks() const { return m_peaks; }

private:
    std::vector<TKSChromatogramPeak> m_peaks;
};
