#include "ksvariant.h"
#include "ksfiles.h"
#include "ksunknown.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <limits>
#include <string>

namespace {

bool isScalarType(VARTYPE t)
{
    switch (t) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_DECIMAL:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

// A VARTYPE that a VARIANT may hold.
bool isValidVariantType(VARTYPE vt)
{
    VARTYPE base = vt & VT_TYPEMASK;
    if (vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF))
        return false;
    if (vt & (VT_ARRAY | VT_BYREF)) {
        if (base == VT_EMPTY || base == VT_NULL)
            return false;
        return base == VT_VARIANT || isScalarType(base);
    }
    return isScalarType(base);
}

// Size of the value a by-reference VARIANT points at.
size_t valueSize(VARTYPE base)
{
    switch (base) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    default:
        return 8;
    }
}

// A source value reduced to one of a few kinds.
struct Value {
    enum Kind { Empty, Null, Signed, Unsigned, Real, Bool, Text, Interface, Other } kind = Other;
    int64_t i = 0;
    uint64_t u = 0;
    double d = 0;
    const OLECHAR* text = nullptr;
    UINT textLen = 0;
    IUnknown* unk = nullptr;
};

Value classify(const VARIANT& v)
{
    Value r;
    switch (v.vt) {
    case VT_EMPTY: r.kind = Value::Empty; break;
    case VT_NULL: r.kind = Value::Null; break;
    case VT_I1: r.kind = Value::Signed; r.i = static_cast<int8_t>(v.cVal); break;
    case VT_I2: r.kind = Value::Signed; r.i = v.iVal; break;
    case VT_I4: r.kind = Value::Signed; r.i = v.lVal; break;
    case VT_INT: r.kind = Value::Signed; r.i = v.intVal; break;
    case VT_I8: r.kind = Value::Signed; r.i = v.llVal; break;
    case VT_UI1: r.kind = Value::Unsigned; r.u = v.bVal; break;
    case VT_UI2: r.kind = Value::Unsigned; r.u = v.uiVal; break;
    case VT_UI4: r.kind = Value::Unsigned; r.u = v.ulVal; break;
    case VT_UINT: r.kind = Value::Unsigned; r.u = v.uintVal; break;
    case VT_UI8: r.kind = Value::Unsigned; r.u = v.ullVal; break;
    case VT_R4: r.kind = Value::Real; r.d = v.fltVal; break;
    case VT_R8: r.kind = Value::Real; r.d = v.dblVal; break;
    case VT_DATE: r.kind = Value::Real; r.d = v.date; break;
    case VT_BOOL: r.kind = Value::Bool; r.i = v.boolVal ? -1 : 0; break;
    case VT_BSTR: r.kind = Value::Text; r.text = v.bstrVal; r.textLen = SysStringLen(v.bstrVal); break;
    case VT_UNKNOWN:
    case VT_DISPATCH: r.kind = Value::Interface; r.unk = v.punkVal; break;
    default: r.kind = Value::Other; break;
    }
    return r;
}

bool isSpace(OLECHAR c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

bool equalsNoCase(const std::wstring& a, const char* b)
{
    size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (ks::foldCase(a[i]) != static_cast<wchar_t>(ks::foldCase(static_cast<char32_t>(static_cast<unsigned char>(b[i])))))
            return false;
    return true;
}

// Parses number text in the "C" locale (white space around it allowed,
// optional sign, decimal point and exponent). Integer text is kept exact.
bool parseNumber(const OLECHAR* text, UINT len, Value* out)
{
    UINT a = 0, b = len;
    while (a < b && isSpace(text[a]))
        ++a;
    while (b > a && isSpace(text[b - 1]))
        --b;
    if (a == b)
        return false;
    std::string s;
    for (UINT i = a; i < b; ++i) {
        OLECHAR c = text[i];
        if (c > 0x7F)
            return false;
        s.push_back(static_cast<char>(c));
    }
    const char* p = s.c_str();
    const char* end = p + s.size();
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    if (p == end)
        return false;
    uint64_t mag = 0;
    auto ir = std::from_chars(p, end, mag);
    if (ir.ec == std::errc() && ir.ptr == end) {
        if (!negative) {
            out->kind = Value::Unsigned;
            out->u = mag;
        } else if (mag <= uint64_t(std::numeric_limits<int64_t>::max()) + 1) {
            out->kind = Value::Signed;
            out->i = static_cast<int64_t>(0 - mag);
        } else {
            out->kind = Value::Real;
            out->d = -static_cast<double>(mag);
        }
        return true;
    }
    double d = 0;
    auto dr = std::from_chars(p, end, d, std::chars_format::general);
    if (dr.ptr != end || (dr.ec != std::errc() && dr.ec != std::errc::result_out_of_range))
        return false;
    if (dr.ec == std::errc::result_out_of_range && std::fabs(d) > 1)
        d = std::numeric_limits<double>::infinity();
    out->kind = Value::Real;
    out->d = negative ? -d : d;
    return true;
}

// Rounds half to even, whatever the current rounding mode.
double roundEven(double d)
{
    int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(d);
    std::fesetround(mode);
    return r;
}

// The value as an integer in [lo, hi]; DISP_E_OVERFLOW outside.
HRESULT toSigned(const Value& v, int64_t lo, int64_t hi, int64_t* out)
{
    switch (v.kind) {
    case Value::Signed:
    case Value::Bool:
        if (v.i < lo || v.i > hi)
            return DISP_E_OVERFLOW;
        *out = v.i;
        return S_OK;
    case Value::Unsigned:
        if (v.u > uint64_t(hi))
            return DISP_E_OVERFLOW;
        *out = static_cast<int64_t>(v.u);
        return S_OK;
    case Value::Real: {
        if (!std::isfinite(v.d))
            return DISP_E_OVERFLOW;
        double r = roundEven(v.d);
        if (r < static_cast<double>(lo) || r >= static_cast<double>(hi) + 1.0)
            return DISP_E_OVERFLOW;
        // hi + 1.0 may round to hi for 64 bits: guard the exact edge.
        if (hi == std::numeric_limits<int64_t>::max() && r >= 9223372036854775808.0)
            return DISP_E_OVERFLOW;
        *out = static_cast<int64_t>(r);
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT toUnsigned(const Value& v, uint64_t hi, uint64_t* out)
{
    switch (v.kind) {
    case Value::Signed:
    case Value::Bool:
        if (v.i < 0 || uint64_t(v.i) > hi)
            return DISP_E_OVERFLOW;
        *out = static_cast<uint64_t>(v.i);
        return S_OK;
    case Value::Unsigned:
        if (v.u > hi)
            return DISP_E_OVERFLOW;
        *out = v.u;
        return S_OK;
    case Value::Real: {
        if (!std::isfinite(v.d))
            return DISP_E_OVERFLOW;
        double r = roundEven(v.d);
        if (r < 0 || r >= 18446744073709551616.0 || r > static_cast<double>(hi) + 0.5)
            return DISP_E_OVERFLOW;
        uint64_t u = static_cast<uint64_t>(r);
        if (u > hi)
            return DISP_E_OVERFLOW;
        *out = u;
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

double asReal(const Value& v)
{
    switch (v.kind) {
    case Value::Signed:
    case Value::Bool: return static_cast<double>(v.i);
    case Value::Unsigned: return static_cast<double>(v.u);
    default: return v.d;
    }
}

bool isZero(const Value& v)
{
    switch (v.kind) {
    case Value::Signed:
    case Value::Bool: return v.i == 0;
    case Value::Unsigned: return v.u == 0;
    default: return v.d == 0;
    }
}

BSTR textOf(const Value& v, VARTYPE srcVt, USHORT flags)
{
    char buf[64];
    char* end = buf;
    switch (v.kind) {
    case Value::Bool:
        if (flags & VARIANT_ALPHABOOL)
            return SysAllocString(v.i ? L"True" : L"False");
        end = std::to_chars(buf, buf + sizeof buf, v.i).ptr;
        break;
    case Value::Signed: end = std::to_chars(buf, buf + sizeof buf, v.i).ptr; break;
    case Value::Unsigned: end = std::to_chars(buf, buf + sizeof buf, v.u).ptr; break;
    case Value::Real: {
        // 15 significant digits for doubles, 7 for singles, as the
        // automation runtime writes them; exponent in upper case.
        int precision = (srcVt == VT_R4) ? 7 : 15;
        if (std::isnan(v.d))
            return SysAllocString(L"NaN");
        if (std::isinf(v.d))
            return SysAllocString(v.d > 0 ? L"Infinity" : L"-Infinity");
        double d = (srcVt == VT_R4) ? static_cast<double>(static_cast<float>(v.d)) : v.d;
        end = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, precision).ptr;
        for (char* p = buf; p != end; ++p)
            if (*p == 'e')
                *p = 'E';
        break;
    }
    default: return nullptr;
    }
    OLECHAR wide[64];
    UINT n = 0;
    for (char* p = buf; p != end; ++p)
        wide[n++] = static_cast<unsigned char>(*p);
    return SysAllocStringLen(wide, n);
}

// Valid automation dates: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0;

HRESULT convert(VARIANT* out, const VARIANT& src, USHORT flags, VARTYPE vt)
{
    Value v = classify(src);
    if (v.kind == Value::Other)
        return DISP_E_TYPEMISMATCH;  // VT_ERROR, VT_CY, VT_DECIMAL: not converted here
    if (v.kind == Value::Text) {
        if (vt == VT_BOOL) {
            std::wstring t(v.text ? v.text : L"", v.textLen);
            size_t a = 0, b = t.size();
            while (a < b && isSpace(t[a]))
                ++a;
            while (b > a && isSpace(t[b - 1]))
                --b;
            t = t.substr(a, b - a);
            if (equalsNoCase(t, "true")) {
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_TRUE;
                return S_OK;
            }
            if (equalsNoCase(t, "false")) {
                out->vt = VT_BOOL;
                out->boolVal = VARIANT_FALSE;
                return S_OK;
            }
        }
        if (vt == VT_DATE || vt == VT_UNKNOWN || vt == VT_DISPATCH || vt == VT_NULL || vt == VT_EMPTY ||
            vt == VT_ERROR)
            return DISP_E_TYPEMISMATCH;
        Value parsed;
        if (!parseNumber(v.text ? v.text : L"", v.textLen, &parsed))
            return DISP_E_TYPEMISMATCH;
        v = parsed;
    }
    if (v.kind == Value::Empty) {
        // Empty is 0, "" or false.
        v.kind = Value::Signed;
        v.i = 0;
        if (vt == VT_BSTR) {
            out->vt = VT_BSTR;
            out->bstrVal = SysAllocStringLen(L"", 0);
            return out->bstrVal ? S_OK : E_OUTOFMEMORY;
        }
    }
    if (v.kind == Value::Null)
        return DISP_E_TYPEMISMATCH;

    if (v.kind == Value::Interface) {
        if (vt != VT_UNKNOWN && vt != VT_DISPATCH)
            return DISP_E_TYPEMISMATCH;
        out->vt = vt;
        out->punkVal = nullptr;
        if (!v.unk)
            return S_OK;
        void* p = nullptr;
        HRESULT hr = v.unk->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
        if (FAILED(hr) || !p)
            return DISP_E_TYPEMISMATCH;
        if (vt == VT_DISPATCH)
            out->pdispVal = static_cast<IDispatch*>(p);
        else
            out->punkVal = static_cast<IUnknown*>(p);
        return S_OK;
    }

    // From here on v is numeric.
    int64_t i = 0;
    uint64_t u = 0;
    HRESULT hr = S_OK;
    switch (vt) {
    case VT_I1:
        if (SUCCEEDED(hr = toSigned(v, INT8_MIN, INT8_MAX, &i))) out->cVal = static_cast<CHAR>(i);
        break;
    case VT_I2:
        if (SUCCEEDED(hr = toSigned(v, INT16_MIN, INT16_MAX, &i))) out->iVal = static_cast<SHORT>(i);
        break;
    case VT_I4:
        if (SUCCEEDED(hr = toSigned(v, INT32_MIN, INT32_MAX, &i))) out->lVal = static_cast<LONG>(i);
        break;
    case VT_INT:
        if (SUCCEEDED(hr = toSigned(v, INT32_MIN, INT32_MAX, &i))) out->intVal = static_cast<INT>(i);
        break;
    case VT_I8:
        if (SUCCEEDED(hr = toSigned(v, INT64_MIN, INT64_MAX, &i))) out->llVal = i;
        break;
    case VT_UI1:
        if (SUCCEEDED(hr = toUnsigned(v, UINT8_MAX, &u))) out->bVal = static_cast<BYTE>(u);
        break;
    case VT_UI2:
        if (SUCCEEDED(hr = toUnsigned(v, UINT16_MAX, &u))) out->uiVal = static_cast<USHORT>(u);
        break;
    case VT_UI4:
        if (SUCCEEDED(hr = toUnsigned(v, UINT32_MAX, &u))) out->ulVal = static_cast<ULONG>(u);
        break;
    case VT_UINT:
        if (SUCCEEDED(hr = toUnsigned(v, UINT32_MAX, &u))) out->uintVal = static_cast<UINT>(u);
        break;
    case VT_UI8:
        if (SUCCEEDED(hr = toUnsigned(v, UINT64_MAX, &u))) out->ullVal = u;
        break;
    case VT_R4: {
        double d = asReal(v);
        if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
            hr = DISP_E_OVERFLOW;
        else
            out->fltVal = static_cast<float>(d);
        break;
    }
    case VT_R8: out->dblVal = asReal(v); break;
    case VT_DATE: {
        if (src.vt == VT_BSTR)
            return DISP_E_TYPEMISMATCH;
        double d = asReal(v);
        if (!(d >= kMinDate && d < kMaxDate))
            hr = DISP_E_OVERFLOW;
        else
            out->date = d;
        break;
    }
    case VT_BOOL: out->boolVal = isZero(v) ? VARIANT_FALSE : VARIANT_TRUE; break;
    case VT_BSTR:
        if (src.vt == VT_DATE)
            return DISP_E_TYPEMISMATCH;
        out->bstrVal = textOf(v, src.vt, flags);
        if (!out->bstrVal)
            hr = E_OUTOFMEMORY;
        break;
    case VT_EMPTY:
    case VT_NULL:
    case VT_ERROR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
        return DISP_E_TYPEMISMATCH;
    default:
        return DISP_E_BADVARTYPE;
    }
    if (SUCCEEDED(hr))
        out->vt = vt;
    return hr;
}

}  // namespace

void VariantInit(VARIANT* pvarg)
{
    if (!pvarg)
        return;
    pvarg->vt = VT_EMPTY;
    pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
    pvarg->llVal = 0;
}

HRESULT VariantClear(VARIANT* pvarg)
{
    if (!pvarg)
        return E_INVALIDARG;
    VARTYPE vt = pvarg->vt;
    if (!isValidVariantType(vt))
        return DISP_E_BADVARTYPE;
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            if (pvarg->parray) {
                HRESULT hr = SafeArrayDestroy(pvarg->parray);
                if (FAILED(hr))
                    return hr;
            }
        } else if (vt == VT_BSTR) {
            SysFreeString(pvarg->bstrVal);
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            if (pvarg->punkVal)
                pvarg->punkVal->Release();
        }
    }
    VariantInit(pvarg);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (dest == src)
        return S_OK;
    if (!isValidVariantType(src->vt))
        return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    VARIANT tmp = *src;
    VARTYPE vt = src->vt;
    if (!(vt & VT_BYREF)) {
        if (vt & VT_ARRAY) {
            hr = SafeArrayCopy(src->parray, &tmp.parray);
            if (FAILED(hr))
                return hr;
        } else if (vt == VT_BSTR) {
            if (src->bstrVal) {
                tmp.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
                if (!tmp.bstrVal)
                    return E_OUTOFMEMORY;
            }
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            if (tmp.punkVal)
                tmp.punkVal->AddRef();
        }
    }
    *dest = tmp;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!(src->vt & VT_BYREF))
        return VariantCopy(dest, src);
    if (!isValidVariantType(src->vt) || !src->byref)
        return src->byref ? DISP_E_BADVARTYPE : E_INVALIDARG;
    VARTYPE target = src->vt & ~VT_BYREF;
    if (target == VT_VARIANT) {
        const VARIANT* inner = src->pvarVal;
        if (inner->vt == (VT_BYREF | VT_VARIANT))
            return E_INVALIDARG;  // the platform refuses nested by-reference variants
        VARIANT copy;
        VariantInit(&copy);
        HRESULT hr = VariantCopyInd(&copy, inner);
        if (FAILED(hr))
            return hr;
        if (dest != src)
            VariantClear(dest);
        *dest = copy;
        return S_OK;
    }
    VARIANT view;
    VariantInit(&view);
    view.vt = target;
    if (target & VT_ARRAY)
        view.parray = *src->pparray;
    else
        std::memcpy(&view.llVal, src->byref, valueSize(target));
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = VariantCopy(&copy, &view);
    if (FAILED(hr))
        return hr;
    if (dest != src)
        VariantClear(dest);
    *dest = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT wFlags, VARTYPE vt)
{
    if (!dest || !src)
        return E_INVALIDARG;
    if (!isValidVariantType(src->vt))
        return DISP_E_BADVARTYPE;
    if (vt & VT_BYREF)
        return DISP_E_TYPEMISMATCH;
    if (vt != VT_EMPTY && !isValidVariantType(vt))
        return DISP_E_BADVARTYPE;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, src);
    if (FAILED(hr))
        return hr;
    VARIANT result;
    VariantInit(&result);
    if (value.vt == vt) {
        result = value;
        VariantInit(&value);
    } else if ((vt & VT_ARRAY) || (value.vt & VT_ARRAY)) {
        hr = DISP_E_TYPEMISMATCH;
    } else if (vt == VT_EMPTY) {
        hr = DISP_E_TYPEMISMATCH;
    } else {
        hr = convert(&result, value, wFlags, vt);
    }
    VariantClear(&value);
    if (FAILED(hr))
        return hr;
    if (dest == src || dest->vt != VT_EMPTY) {
        HRESULT clear = VariantClear(dest);
        if (FAILED(clear)) {
            VariantClear(&result);
            return clear;
        }
    }
    *dest = result;
    return S_OK;
}

HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID, USHORT wFlags, VARTYPE vt)
{
    return VariantChangeType(dest, src, wFlags, vt);
}
