// The VARIANT arrays that outside reading components hand out, built from
// a list of numbers in a chosen form: every element type a reader accepts,
// other element types, and the invalid shapes a reader must refuse.
//
// Arrays are one-dimensional with lower bound 0 unless the form says
// otherwise. The caller owns what it receives (VariantClear).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ksvariant.h"

namespace vendorkit {

enum class ArrayForm {
    // One-dimensional arrays of that element type (VT_ARRAY | type).
    I1, UI1, I2, UI2, I4, UI4, I8, UI8, R4, R8,
    Bool,     // VARIANT_BOOL: values 0 and 1 (stored as 0 and -1)
    Bstr,     // texts of the numbers ("%.17g")
    Variant,  // VARIANTs holding VT_R8
    // Shapes a reader must refuse:
    Matrix,       // a two-dimensional 1 x n array of doubles
    Scalar,       // VT_R8 holding the one value, no array
    Empty,        // VT_EMPTY, no values
    Null,         // VT_ARRAY | VT_R8 without an array, no values
    Mislabelled,  // VT_ARRAY | VT_R8 holding an array of VT_I4 elements
};

struct ArrayValues {
    ArrayForm form = ArrayForm::R8;
    std::vector<double> values;
};

// The form's name in a manifest ("i1", "ui1", "i2", "ui2", "i4", "ui4",
// "i8", "ui8", "r4", "r8", "bool", "bstr", "variant", "matrix", "scalar",
// "empty", "null", "mislabelled"), and back (false for an unknown name).
const char* formName(ArrayForm form);
bool formFromName(std::string_view name, ArrayForm& out);

// Whether the values can be stored in that form exactly: integers within
// the element type's range for the integer forms (and for Mislabelled,
// whose elements are 32-bit), 0 or 1 for Bool, finite values within the
// single-precision range for R4 (rounded when stored), exactly one value
// for Scalar and none for Empty and Null. *why says what does not fit.
bool valuesFit(ArrayForm form, const std::vector<double>& values, std::string* why = nullptr);

// Builds the VARIANT (initialised first). E_INVALIDARG when the values do
// not fit the form, E_POINTER for a null out, E_OUTOFMEMORY when an array
// or text cannot be made (out then VT_EMPTY).
HRESULT makeArray(ArrayForm form, const std::vector<double>& values, VARIANT* out);
inline HRESULT makeArray(const ArrayValues& array, VARIANT* out)
{
    return makeArray(array.form, array.values, out);
}

}  // namespace vendorkit
