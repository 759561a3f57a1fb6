// Number arrays that outside reading components hand out as VARIANTs,
// converted to doubles for the readers built on them (the ion-trap and
// Compass readers).
//
// Accepted: a VARIANT of type VT_ARRAY | t, t one of VT_I2, VT_I4, VT_R4,
// VT_R8 and VT_UI1, holding a one-dimensional SAFEARRAY of t elements
// (any lower bound) whose element count equals the expected count.
//
//   E_POINTER      no VARIANT, or VT_ARRAY set without an array
//   E_INVALIDARG   a VARIANT that is no array (VT_EMPTY, a scalar, VT_BYREF),
//                  another element type, an array whose own element type
//                  or size disagrees with the VARIANT's, more than one
//                  dimension, another element count, a negative count
//   E_OUTOFMEMORY  no destination for a count above 0
//   E_FAIL         the array's data cannot be locked
//
// Nothing is written to the destination unless the answer is S_OK.
#pragma once

#include "kstypes.h"
#include "ksvariant.h"

// Checks an array as VariantArrayToDoubles does, without a destination:
// the same answers, S_OK where it would convert. A reader checks both
// arrays of a spectrum before it sizes the spectrum by the count the
// component reported, so a count that no array backs allocates nothing.
HRESULT CheckVariantArray(const VARIANT* array, LONG count);

// Converts the count elements of the array into destination[0..count).
HRESULT VariantArrayToDoubles(const VARIANT* array, LONG count, double* destination);
