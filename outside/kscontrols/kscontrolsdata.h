// Plain helpers of the spectrum-object stand-in: number arrays in and out
// of VARIANTs, and centroiding of a profile spectrum.
#pragma once

#include "ksoleauto.h"

#include <vector>

namespace kscontrols {

// Reads a one-dimensional SAFEARRAY of doubles (VT_ARRAY | VT_R8, also by
// reference or inside a VARIANT by reference) that must hold exactly
// `expected` values. An empty VARIANT or a null array counts as no values.
// DISP_E_TYPEMISMATCH for anything but doubles in one dimension,
// E_INVALIDARG for a different number of values.
HRESULT doublesFromVariant(const VARIANT& v, LONG expected, std::vector<double>* out);

// A VARIANT holding a one-dimensional SAFEARRAY of the values, lower bound
// 1 (zero values give an empty array). E_OUTOFMEMORY when it cannot be made.
HRESULT variantFromDoubles(const std::vector<double>& values, VARIANT* out);

struct Peak {
    double mz;
    double intensity;
};

// Centroids a profile spectrum: every local maximum above zero is a peak,
// its m/z the intensity-weighted mean of the points around the apex that
// stay at or above half the apex height while falling away from it, its
// intensity the apex height. False (nothing found) when the m/z values do
// not ascend or the arrays differ in length.
bool detectPeaks(const std::vector<double>& mz, const std::vector<double>& intensity, std::vector<Peak>* peaks);

}  // namespace kscontrols
