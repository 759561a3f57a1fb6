// Peak detection (extremum marking, detection flags, candidate lines) and
// line fitting on top of the peak model.
#pragma once

#include "resultcode.h"

#include <cstdint>

namespace yarbex {

// The three process-wide DataProcSettings: NoiseThresholdForPeakPicking,
// NoiseThresholdForPeakDisplay, LabileLinesLinewidthFactor.
double* dataProcSettings();

enum DetectionFlag : uint32_t {
    FlagMaximum = 0x0001,
    FlagMinimum = 0x0002,
    FlagRise = 0x0010,
    FlagFall = 0x0020,
    FlagCurvature = 0x0100,
    FlagCurvaturePositive = 0x0200,
    FlagSecondMaximum = 0x0400,
    FlagCandidate = 0x1000,
    FlagLeft = 0x2000,
    FlagRight = 0x4000
};

enum PeakOrigin : uint32_t { OriginMaximum = 0x10000, OriginRiseFall = 0x20000, OriginCurvature = 0x40000 };

ResultCode markExtrema(uint32_t n, const double* x, int32_t* marks, double sigma, int32_t direction);
ResultCode newExtremaMarks(uint32_t n, const double* x, int32_t** marks, double sigma, int32_t direction);
ResultCode simplePeakPick(uint32_t n, const double* x, double* out, double sigma, int32_t direction,
                          uint32_t* maxima, uint32_t* minima);
// flags: n + 100 words (free with std::free); each array is handed out
// when its pointer is given and freed otherwise.
ResultCode detectPeakFlags(uint32_t n, const double* y, double sigma, double w, uint32_t** flags,
                           double** smoothed, double** firstDerivative, double** secondDerivative);
ResultCode flagTrace(uint32_t n, const double* y, double* out, double sigma, double w, int32_t mode);
double fitCost(uint32_t n, const double* r);

}  // namespace yarbex
