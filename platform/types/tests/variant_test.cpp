#include "counted.h"
#include "ksoleauto.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <sstream>

#include <clocale>
#include <cmath>
#include <string>

using kstest::Counted;

namespace {

VARIANT make(VARTYPE vt)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    return v;
}
VARIANT i4(LONG x) { VARIANT v = make(VT_I4); v.lVal = x; return v; }
VARIANT r8(double x) { VARIANT v = make(VT_R8); v.dblVal = x; return v; }
VARIANT r4(float x) { VARIANT v = make(VT_R4); v.fltVal = x; return v; }
VARIANT boolean(bool x) { VARIANT v = make(VT_BOOL); v.boolVal = x ? VARIANT_TRUE : VARIANT_FALSE; return v; }
VARIANT text(const wchar_t* s) { VARIANT v = make(VT_BSTR); v.bstrVal = SysAllocString(s); return v; }
VARIANT ui8(ULONGLONG x) { VARIANT v = make(VT_UI8); v.ullVal = x; return v; }
VARIANT i8(LONGLONG x) { VARIANT v = make(VT_I8); v.llVal = x; return v; }
VARIANT date(double x) { VARIANT v = make(VT_DATE); v.date = x; return v; }

}  // namespace

TEST(Variant, ClearReleasesWhatItHolds)
{
    bool gone = false;
    auto* obj = new Counted(&gone);
    VARIANT v = make(VT_DISPATCH);
    v.pdispVal = obj;
    obj->AddRef();
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(obj->refs, 1u);

    // An array of VARIANTs holding the object: clearing the outer VARIANT
    // destroys the array, which releases the element.
    SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    VARIANT element = make(VT_UNKNOWN);
    element.punkVal = obj;
    LONG i = 1;
    SafeArrayPutElement(psa, &i, &element);
    EXPECT_EQ(obj->refs, 2u);
    VARIANT arr = make(VT_ARRAY | VT_VARIANT);
    arr.parray = psa;
    EXPECT_EQ(VariantClear(&arr), S_OK);
    EXPECT_EQ(obj->refs, 1u);

    // By-reference values are not owned.
    VARIANT ref = make(VT_BYREF | VT_DISPATCH);
    IDispatch* held = obj;
    ref.ppdispVal = &held;
    EXPECT_EQ(VariantClear(&ref), S_OK);
    EXPECT_EQ(obj->refs, 1u);

    VARIANT s = text(L"freed by clear");
    EXPECT_EQ(VariantClear(&s), S_OK);  // a leak would show under ASan

    VARIANT bad = make(0x0FFF);
    EXPECT_EQ(VariantClear(&bad), DISP_E_BADVARTYPE);
    obj->Release();
    EXPECT_TRUE(gone);
}

TEST(Variant, CopyIsDeep)
{
    bool gone = false;
    auto* obj = new Counted(&gone);
    VARIANT src = text(L"abc");
    VARIANT dst = make(VT_DISPATCH);
    dst.pdispVal = obj;  // dst owns this reference; copy must release it
    obj->AddRef();
    ASSERT_EQ(VariantCopy(&dst, &src), S_OK);
    EXPECT_EQ(obj->refs, 1u);
    EXPECT_NE(dst.bstrVal, src.bstrVal);
    EXPECT_STREQ(dst.bstrVal, L"abc");
    VariantClear(&src);
    VariantClear(&dst);

    VARIANT unk = make(VT_UNKNOWN);
    unk.punkVal = obj;
    VARIANT second;
    VariantInit(&second);
    ASSERT_EQ(VariantCopy(&second, &unk), S_OK);
    EXPECT_EQ(obj->refs, 2u);
    VariantClear(&second);

    LONG n = 42;
    VARIANT ref = make(VT_BYREF | VT_I4);
    ref.plVal = &n;
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(VariantCopyInd(&value, &ref), S_OK);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 42);

    VARIANT t = text(L"x");
    VARIANT out = i4(1);
    ksTestFailNextBstrAllocations(1);
    EXPECT_EQ(VariantCopy(&out, &t), E_OUTOFMEMORY);
    EXPECT_EQ(out.vt, VT_EMPTY);
    VariantClear(&t);
    obj->Release();
    EXPECT_TRUE(gone);
}

namespace {
struct Conversion {
    const char* name;
    VARIANT src;
    VARTYPE to;
    HRESULT hr;
    double number;             // expected numeric value (when no text)
    const wchar_t* textValue;  // expected text for VT_BSTR results
};
double numberOf(const VARIANT& v)
{
    switch (v.vt) {
    case VT_I1: return v.cVal;
    case VT_UI1: return v.bVal;
    case VT_I2: return v.iVal;
    case VT_UI2: return v.uiVal;
    case VT_I4: return v.lVal;
    case VT_UI4: return v.ulVal;
    case VT_INT: return v.intVal;
    case VT_UINT: return v.uintVal;
    case VT_I8: return static_cast<double>(v.llVal);
    case VT_UI8: return static_cast<double>(v.ullVal);
    case VT_R4: return v.fltVal;
    case VT_R8: return v.dblVal;
    case VT_DATE: return v.date;
    case VT_BOOL: return v.boolVal;
    default: return NAN;
    }
}
}  // namespace

TEST(Variant, ChangeTypeConversionsAndRefusals)
{
    Conversion cases[] = {
        {"i4 to text", i4(-123), VT_BSTR, S_OK, 0, L"-123"},
        {"half to even down", r8(2.5), VT_I4, S_OK, 2, nullptr},
        {"half to even up", r8(3.5), VT_I4, S_OK, 4, nullptr},
        {"negative half", r8(-2.5), VT_I2, S_OK, -2, nullptr},
        {"i4 overflow", r8(3e9), VT_I4, DISP_E_OVERFLOW, 0, nullptr},
        {"i1 overflow after rounding", r8(127.5), VT_I1, DISP_E_OVERFLOW, 0, nullptr},
        {"ui1 negative", i4(-1), VT_UI1, DISP_E_OVERFLOW, 0, nullptr},
        {"nan", r8(NAN), VT_I4, DISP_E_OVERFLOW, 0, nullptr},
        {"r4 overflow", r8(1e300), VT_R4, DISP_E_OVERFLOW, 0, nullptr},
        {"text with blanks", text(L"  42 "), VT_I4, S_OK, 42, nullptr},
        {"text exponent", text(L"1.5E3"), VT_R8, S_OK, 1500, nullptr},
        {"text signed", text(L"-7"), VT_I2, S_OK, -7, nullptr},
        {"text not a number", text(L"4x"), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"empty text", text(L""), VT_R8, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"null text", make(VT_BSTR), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"text true", text(L"TRUE"), VT_BOOL, S_OK, VARIANT_TRUE, nullptr},
        {"text false", text(L"false"), VT_BOOL, S_OK, VARIANT_FALSE, nullptr},
        {"text number to bool", text(L"0"), VT_BOOL, S_OK, VARIANT_FALSE, nullptr},
        {"bool to i4", boolean(true), VT_I4, S_OK, -1, nullptr},
        {"i4 to bool", i4(5), VT_BOOL, S_OK, VARIANT_TRUE, nullptr},
        {"bool to text", boolean(true), VT_BSTR, S_OK, 0, L"-1"},
        {"r8 to text", r8(0.1), VT_BSTR, S_OK, 0, L"0.1"},
        {"r8 big to text", r8(1e20), VT_BSTR, S_OK, 0, L"1E+20"},
        {"r8 15 digits", r8(1.0 / 3.0), VT_BSTR, S_OK, 0, L"0.333333333333333"},
        {"r4 to text", r4(0.1f), VT_BSTR, S_OK, 0, L"0.1"},
        {"address through ui8", ui8(0x00007FFF12345678ull), VT_I8, S_OK, static_cast<double>(0x00007FFF12345678ull), nullptr},
        {"i8 to ui8", i8(0x00007FFF12345678ll), VT_UI8, S_OK, static_cast<double>(0x00007FFF12345678ull), nullptr},
        {"negative i8 to ui8", i8(-1), VT_UI8, DISP_E_OVERFLOW, 0, nullptr},
        {"ui8 max to text", ui8(UINT64_MAX), VT_BSTR, S_OK, 0, L"18446744073709551615"},
        {"ui8 max to i8", ui8(UINT64_MAX), VT_I8, DISP_E_OVERFLOW, 0, nullptr},
        {"empty to i4", make(VT_EMPTY), VT_I4, S_OK, 0, nullptr},
        {"empty to text", make(VT_EMPTY), VT_BSTR, S_OK, 0, L""},
        {"null to i4", make(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"i4 to dispatch", i4(1), VT_DISPATCH, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"date to text", date(1.5), VT_BSTR, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"text to date", text(L"1.5"), VT_DATE, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"r8 to date", r8(36526.5), VT_DATE, S_OK, 36526.5, nullptr},
        {"r8 outside dates", r8(3e6), VT_DATE, DISP_E_OVERFLOW, 0, nullptr},
        {"unknown target", i4(1), 0x0FFF, DISP_E_BADVARTYPE, 0, nullptr},
        {"error code", make(VT_ERROR), VT_I4, DISP_E_TYPEMISMATCH, 0, nullptr},
        {"unknown source", make(0x0FFF), VT_I4, DISP_E_BADVARTYPE, 0, nullptr},
    };
    for (Conversion& c : cases) {
        VARIANT out;
        VariantInit(&out);
        HRESULT hr = VariantChangeType(&out, &c.src, 0, c.to);
        EXPECT_EQ(hr, c.hr) << c.name;
        if (SUCCEEDED(hr) && hr == c.hr) {
            EXPECT_EQ(out.vt, c.to) << c.name;
            if (c.textValue)
                EXPECT_STREQ(out.bstrVal ? out.bstrVal : L"<null>", c.textValue) << c.name;
            else
                EXPECT_EQ(numberOf(out), c.number) << c.name;
        } else {
            EXPECT_EQ(out.vt, VT_EMPTY) << c.name;  // untouched on failure
        }
        VariantClear(&out);
        VariantClear(&c.src);
    }
}

TEST(Variant, ChangeTypeInPlaceAndThroughReferences)
{
    VARIANT v = text(L"17");
    ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_I4), S_OK);  // frees the text
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 17);

    double d = 2.75;
    VARIANT ref = make(VT_BYREF | VT_R8);
    ref.pdblVal = &d;
    VARIANT out;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &ref, 0, VT_BSTR), S_OK);
    EXPECT_STREQ(out.bstrVal, L"2.75");
    VariantClear(&out);

    VARIANT b = boolean(false);
    ASSERT_EQ(VariantChangeType(&out, &b, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
    EXPECT_STREQ(out.bstrVal, L"False");
    VariantClear(&out);

    // Arrays convert only to their own type.
    VARIANT arr = make(VT_ARRAY | VT_R8);
    arr.parray = SafeArrayCreateVector(VT_R8, 0, 2);
    EXPECT_EQ(VariantChangeType(&out, &arr, 0, VT_ARRAY | VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(&out, &arr, 0, VT_R8), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(VariantChangeType(&out, &arr, 0, VT_ARRAY | VT_R8), S_OK);
    EXPECT_NE(out.parray, arr.parray);
    VariantClear(&out);
    VariantClear(&arr);

    ksTestFailNextBstrAllocations(1);
    VARIANT n = i4(5);
    EXPECT_EQ(VariantChangeType(&out, &n, 0, VT_BSTR), E_OUTOFMEMORY);
    EXPECT_EQ(out.vt, VT_EMPTY);
}

TEST(Variant, ChangeTypeInterfacesByQuery)
{
    auto* plain = new kstest::PlainUnknown;
    VARIANT u = make(VT_UNKNOWN);
    u.punkVal = plain;
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(VariantChangeType(&out, &u, 0, VT_DISPATCH), DISP_E_TYPEMISMATCH);
    bool gone = false;
    auto* disp = new Counted(&gone);
    VARIANT d = make(VT_UNKNOWN);
    d.punkVal = disp;
    ASSERT_EQ(VariantChangeType(&out, &d, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(out.pdispVal, disp);
    EXPECT_EQ(disp->refs, 2u);
    VariantClear(&out);
    VariantClear(&d);
    VariantClear(&u);
    EXPECT_TRUE(gone);
}

TEST(Variant, TextConversionsIgnoreTheProcessLocale)
{
    std::string why;
    const std::string comma = ks::test::makeCommaLocale(&why);
    if (comma.empty())
        GTEST_SKIP() << "no locale with a decimal comma: " << why;
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    ASSERT_NE(std::setlocale(LC_ALL, comma.c_str()), nullptr);
    struct Restore {
        std::string locale;
        ~Restore() { std::setlocale(LC_ALL, locale.c_str()); }
    } restore{saved};
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    VARIANT v = r8(2.5), out;
    VariantInit(&out);
    ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_BSTR), S_OK);
    EXPECT_STREQ(out.bstrVal, L"2.5");
    VARIANT back;
    VariantInit(&back);
    ASSERT_EQ(VariantChangeType(&back, &out, 0, VT_R8), S_OK);
    EXPECT_EQ(back.dblVal, 2.5);
    VariantClear(&out);
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
}

// Python's "%.15G" (and "%.7G" for singles) as the reference for the text
// of reals, over many magnitudes.
TEST(Variant, RealToTextAgreesWithPrintfFormatting)
{
    const char* script =
        "import random, struct\n"
        "random.seed(11)\n"
        "for _ in range(300):\n"
        "    x = random.uniform(-1, 1) * 10 ** random.randint(-20, 20)\n"
        "    f = struct.unpack('f', struct.pack('f', x))[0]\n"
        "    print(repr(x), '%.15G' % x, repr(f), '%.7G' % f)\n";
    auto r = ks::test::run({"/usr/bin/python3", "-c", script});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream in(r.out);
    std::string xs, xt, fs, ft;
    int count = 0;
    while (in >> xs >> xt >> fs >> ft) {
        VARIANT src = r8(std::stod(xs));
        VARIANT out;
        VariantInit(&out);
        ASSERT_EQ(VariantChangeType(&out, &src, 0, VT_BSTR), S_OK);
        EXPECT_EQ(std::wstring(out.bstrVal), std::wstring(xt.begin(), xt.end())) << xs;
        VariantClear(&out);
        src = r4(std::stof(fs));
        ASSERT_EQ(VariantChangeType(&out, &src, 0, VT_BSTR), S_OK);
        EXPECT_EQ(std::wstring(out.bstrVal), std::wstring(ft.begin(), ft.end())) << fs;
        // And back: the text converts to the same double.
        VARIANT back;
        VariantInit(&back);
        VARIANT text = make(VT_BSTR);
        text.bstrVal = SysAllocString(std::wstring(xt.begin(), xt.end()).c_str());
        ASSERT_EQ(VariantChangeType(&back, &text, 0, VT_R8), S_OK);
        EXPECT_EQ(back.dblVal, std::stod(xt));
        VariantClear(&text);
        VariantClear(&out);
        ++count;
    }
    EXPECT_EQ(count, 300);
}
