// Scalar routines, allocation helpers, random numbers and the Fourier
// transform shared by the array operations, measurements and fitting.
// Complex arrays of n points are split: n real parts, then n imaginary
// parts.
#pragma once

#include "resultcode.h"

#include <cstdint>

namespace yarbex {

bool roundToUnsigned(double x, uint32_t* out, uint32_t low, uint32_t high);
bool roundToSigned(double x, int32_t* out, int32_t low, int32_t high);

// Phase of re + i im in (-pi, pi]; 0 for (0, 0).
double phase(double re, double im);
double integerPower(double x, uint32_t k);
double factorial(uint32_t k);

// Vertex of the parabola through three points; returns twice its
// quadratic coefficient (the curvature).
double parabolaVertex(double x0, double x1, double x2, double y0, double y1, double y2, double* xv, double* yv);

double* heapSort(double* a, uint32_t n);

double uniformRandom();
double gaussianRandom();
double gaussian(double mean, double sigma);

// Null for n = 0, for a byte count beyond 32 bits and on failure.
// Free with freeAndClear or std::free.
double* allocDoubles(uint32_t n);
double* allocDoublesZeroed(uint32_t n);
uint32_t* allocWordsZeroed(uint32_t n);
void freeAndClear(void** p);
template <typename T> inline void freeAndClear(T** p) { freeAndClear(reinterpret_cast<void**>(p)); }

// Unitary transform of a split complex array, centred spectrum:
// forward X[k] = n^-1/2 sum x[j] e^(+2 pi i j k / n) delivered with the
// zero frequency at n/2. 1 when n is 0 or not a power of two (z
// unchanged). Twiddle tables are computed once per size and scratch is
// kept per thread, so repeated calls allocate nothing.
ResultCode fft(uint32_t n, double* z, uint32_t inverse);
// The same transform in place by radix-2 steps, needing no memory beyond
// z: what fft runs up to 4 points, beyond 2^24 points and when its scratch
// cannot be had.
ResultCode fftInPlace(uint32_t n, double* z, uint32_t inverse);
// Exchanges d[i] and d[i + (n+1)/2] for i < n/2.
void swapHalves(uint32_t n, double* a);
// Spectrum to causal time signal.
ResultCode causalFold(uint32_t n, double* z);
// Gives a real spectrum (real half of z) its dispersion part in the
// imaginary half; the real half is kept as it is. 1 when n is not a power
// of two (z unchanged), 0x40000003 when scratch space is missing.
ResultCode hilbertImaginary(uint32_t n, double* z);

bool isPowerOfTwo(uint32_t n);

}  // namespace yarbex
