// Plain helpers of the spectrum-object stand-in: number arrays in and out
// of VARIANTs; centroiding of a profile spectrum is in peakcentroid.h.
#pragma once

#include "ksoleauto.h"
#include "peakcentroid.h"

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

}  // namespace kscontrols
