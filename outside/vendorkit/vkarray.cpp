#include "vkarray.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace vendorkit {

namespace {

struct FormInfo {
    ArrayForm form;
    const char* name;
    VARTYPE element;  // of the array's elements; VT_EMPTY for no array
};

constexpr FormInfo kForms[] = {
    {ArrayForm::I1, "i1", VT_I1},         {ArrayForm::UI1, "ui1", VT_UI1},
    {ArrayForm::I2, "i2", VT_I2},         {ArrayForm::UI2, "ui2", VT_UI2},
    {ArrayForm::I4, "i4", VT_I4},         {ArrayForm::UI4, "ui4", VT_UI4},
    {ArrayForm::I8, "i8", VT_I8},         {ArrayForm::UI8, "ui8", VT_UI8},
    {ArrayForm::R4, "r4", VT_R4},         {ArrayForm::R8, "r8", VT_R8},
    {ArrayForm::Bool, "bool", VT_BOOL},   {ArrayForm::Bstr, "bstr", VT_BSTR},
    {ArrayForm::Variant, "variant", VT_VARIANT},
    {ArrayForm::Matrix, "matrix", VT_R8}, {ArrayForm::Scalar, "scalar", VT_EMPTY},
    {ArrayForm::Empty, "empty", VT_EMPTY}, {ArrayForm::Null, "null", VT_EMPTY},
    {ArrayForm::Mislabelled, "mislabelled", VT_I4},
};

const FormInfo& info(ArrayForm form)
{
    for (const FormInfo& f : kForms)
        if (f.form == form)
            return f;
    return kForms[9];  // r8
}

// Integers of the range [low, high] that doubles hold exactly.
bool integersWithin(const std::vector<double>& values, double low, double high, std::string* why)
{
    for (double v : values)
        if (!(v >= low && v <= high) || v != std::floor(v)) {
            if (why) {
                char text[96];
                std::snprintf(text, sizeof text, "%.17g is no integer from %.17g to %.17g", v, low, high);
                *why = text;
            }
            return false;
        }
    return true;
}

bool countIs(const std::vector<double>& values, size_t n, const char* what, std::string* why)
{
    if (values.size() == n)
        return true;
    if (why)
        *why = std::string("takes ") + what;
    return false;
}

template <class T>
void store(void* data, size_t i, double v)
{
    const T value = static_cast<T>(v);
    std::memcpy(static_cast<char*>(data) + i * sizeof(T), &value, sizeof(T));
}

// Writes value i of the form's element type into the locked data.
HRESULT storeElement(ArrayForm form, void* data, size_t i, double v)
{
    switch (form) {
    case ArrayForm::I1: store<CHAR>(data, i, v); break;
    case ArrayForm::UI1: store<BYTE>(data, i, v); break;
    case ArrayForm::I2: store<SHORT>(data, i, v); break;
    case ArrayForm::UI2: store<USHORT>(data, i, v); break;
    case ArrayForm::I4:
    case ArrayForm::Mislabelled: store<LONG>(data, i, v); break;
    case ArrayForm::UI4: store<ULONG>(data, i, v); break;
    case ArrayForm::I8: store<LONGLONG>(data, i, v); break;
    case ArrayForm::UI8: store<ULONGLONG>(data, i, v); break;
    case ArrayForm::R4: store<FLOAT>(data, i, v); break;
    case ArrayForm::R8:
    case ArrayForm::Matrix: store<DOUBLE>(data, i, v); break;
    case ArrayForm::Bool: store<VARIANT_BOOL>(data, i, v != 0 ? VARIANT_TRUE : VARIANT_FALSE); break;
    case ArrayForm::Bstr: {
        wchar_t text[40];
        std::swprintf(text, sizeof text / sizeof text[0], L"%.17g", v);
        BSTR b = SysAllocString(text);
        if (!b)
            return E_OUTOFMEMORY;
        static_cast<BSTR*>(data)[i] = b;
        break;
    }
    case ArrayForm::Variant: {
        VARIANT& element = static_cast<VARIANT*>(data)[i];
        element.vt = VT_R8;
        element.dblVal = v;
        break;
    }
    default:
        return E_INVALIDARG;
    }
    return S_OK;
}

}  // namespace

const char* formName(ArrayForm form)
{
    return info(form).name;
}

bool formFromName(std::string_view name, ArrayForm& out)
{
    for (const FormInfo& f : kForms)
        if (name == f.name) {
            out = f.form;
            return true;
        }
    return false;
}

bool valuesFit(ArrayForm form, const std::vector<double>& values, std::string* why)
{
    // The largest integers below 2^63 and 2^64 that doubles hold.
    constexpr double kMaxI8 = 9223372036854774784.0;
    constexpr double kMaxUI8 = 18446744073709549568.0;
    switch (form) {
    case ArrayForm::I1: return integersWithin(values, -128, 127, why);
    case ArrayForm::UI1: return integersWithin(values, 0, 255, why);
    case ArrayForm::I2: return integersWithin(values, -32768, 32767, why);
    case ArrayForm::UI2: return integersWithin(values, 0, 65535, why);
    case ArrayForm::I4:
    case ArrayForm::Mislabelled: return integersWithin(values, -2147483648.0, 2147483647.0, why);
    case ArrayForm::UI4: return integersWithin(values, 0, 4294967295.0, why);
    case ArrayForm::I8: return integersWithin(values, -9223372036854775808.0, kMaxI8, why);
    case ArrayForm::UI8: return integersWithin(values, 0, kMaxUI8, why);
    case ArrayForm::Bool: return integersWithin(values, 0, 1, why);
    case ArrayForm::R4:
        for (double v : values)
            if (!(std::fabs(v) <= std::numeric_limits<float>::max())) {
                if (why)
                    *why = "a value beyond the single-precision range";
                return false;
            }
        return true;
    case ArrayForm::Scalar: return countIs(values, 1, "exactly one value", why);
    case ArrayForm::Empty:
    case ArrayForm::Null: return countIs(values, 0, "no values", why);
    case ArrayForm::R8:
    case ArrayForm::Matrix:
    case ArrayForm::Bstr:
    case ArrayForm::Variant:
        for (double v : values)
            if (!std::isfinite(v)) {
                if (why)
                    *why = "a value that is no finite number";
                return false;
            }
        return true;
    }
    return false;
}

HRESULT makeArray(ArrayForm form, const std::vector<double>& values, VARIANT* out)
{
    if (!out)
        return E_POINTER;
    VariantInit(out);
    if (!valuesFit(form, values))
        return E_INVALIDARG;
    if (values.size() > std::numeric_limits<LONG>::max())
        return E_OUTOFMEMORY;
    const ULONG n = static_cast<ULONG>(values.size());
    switch (form) {
    case ArrayForm::Empty:
        return S_OK;
    case ArrayForm::Null:
        out->vt = VT_ARRAY | VT_R8;
        out->parray = nullptr;
        return S_OK;
    case ArrayForm::Scalar:
        out->vt = VT_R8;
        out->dblVal = values.front();
        return S_OK;
    default:
        break;
    }
    SAFEARRAY* array = nullptr;
    if (form == ArrayForm::Matrix) {
        // Dimensions in creation order: 1 row of n.
        const SAFEARRAYBOUND bounds[2] = {{1, 0}, {n, 0}};
        array = SafeArrayCreate(VT_R8, 2, bounds);
    } else {
        array = SafeArrayCreateVector(info(form).element, 0, n);
    }
    if (!array)
        return E_OUTOFMEMORY;
    void* data = nullptr;
    HRESULT hr = SafeArrayAccessData(array, &data);
    for (size_t i = 0; SUCCEEDED(hr) && i < values.size(); ++i)
        hr = storeElement(form, data, i, values[i]);
    if (data)
        SafeArrayUnaccessData(array);
    if (FAILED(hr)) {
        SafeArrayDestroy(array);
        return hr;
    }
    out->vt = static_cast<VARTYPE>(VT_ARRAY | (form == ArrayForm::Mislabelled ? static_cast<VARTYPE>(VT_R8) : info(form).element));
    out->parray = array;
    return S_OK;
}

}  // namespace vendorkit
