// Measurements of a spectrum: statistics, noise, line width, and the
// streaming extremum tracker.
#pragma once

#include "resultcode.h"

#include <cstdint>

namespace yarbex {

struct ArrayStatistics {
    double maximum;
    double minimum;
    uint32_t maximumPoint;
    uint32_t minimumPoint;
    double peak;
    double range;
    double mean;
    double rms;
    double variance;
    double variation;
};

ResultCode arrayStatistics(uint32_t n, const double* x, ArrayStatistics* out);
// Robust noise standard deviation from the central part of the sorted
// lag-1 and lag-2 differences; 1 for n <= 2.
ResultCode noiseEstimate(uint32_t n, const double* x, double* sigma);
// Decay time of the time signal (from a spectrum of n split complex
// points when fromSpectrum is set); 1 for silent or unusable data.
ResultCode decayTime(uint32_t n, const double* data, uint32_t fromSpectrum, double* t);
ResultCode meanLineWidth(uint32_t n, const double* data, uint32_t fromSpectrum, double* width);

// Streaming detector of maxima and minima with a hysteresis.
struct ExtremumTracker {
    enum : uint32_t { FoundMinimum = 0x1, FoundMaximum = 0x2, Flush = 0xFFFFFFFFu };

    struct Point {
        uint32_t point;
        double value;
    };

    Point foundMinimum;
    Point foundMaximum;
    double delta;
    uint32_t lastPoint;
    // Maximum side.
    Point candidateMax, lowest, referenceMax;
    // Minimum side.
    Point candidateMin, highest, referenceMin;

    static ExtremumTracker* create(double delta);
    static void destroy(ExtremumTracker* tracker);
    uint32_t feed(uint32_t point, double value);
};

}  // namespace yarbex
