// Savitzky-Golay smoothing and derivatives, and the Resolution Booster.
#pragma once

#include "resultcode.h"

#include <cstdint>

namespace yarbex {

// Largest polynomial order and, relative to the data, window that the
// filters accept from a caller (see README.md).
constexpr uint32_t kMaxSmoothingOrder = 30;

// `points` coefficients (free with std::free), or null when an allocation
// fails or the window cannot carry the polynomial.
double* savitzkyGolayCoefficients(uint32_t derivative, uint32_t points, uint32_t order, double shift,
                                  double* noiseFactor);
uint32_t smoothingWindow(uint32_t derivative, double r, uint32_t* order);
ResultCode savitzkyGolay(uint32_t n, const double* in, double* out, double r, uint32_t derivative, uint32_t* order,
                         uint32_t* points, double* noiseFactor, uint32_t mode);
ResultCode savitzkyGolayReal(uint32_t n, const double* in, double* out, double r, uint32_t derivative,
                             uint32_t* order, uint32_t* points, double* noiseFactor, uint32_t mode);
ResultCode resolutionBooster(uint32_t n, const double* in, double* out, double r, double sigma, double floorFactor,
                             uint32_t kind, uint32_t* order, uint32_t* points, double* noiseFactor, uint32_t mode);

}  // namespace yarbex
