// The VARIANT arrays of the vendor stand-ins: every element type with its
// values read back element by element, the shapes a reader must refuse,
// which values fit which form, and failed allocations.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "ksbstr.h"
#include "vkarray.h"

using namespace vendorkit;

namespace {

// Element i of a one-dimensional array as a double (through
// SafeArrayGetElement, which copies BSTRs and VARIANTs out).
double Element(SAFEARRAY* array, VARTYPE vt, LONG i)
{
    union {
        CHAR c;
        BYTE b;
        SHORT s;
        USHORT us;
        LONG l;
        ULONG ul;
        LONGLONG ll;
        ULONGLONG ull;
        FLOAT f;
        DOUBLE d;
        BSTR text;
        VARIANT v;
    } u;
    std::memset(&u, 0, sizeof u);
    EXPECT_EQ(SafeArrayGetElement(array, &i, &u), S_OK);
    switch (vt) {
    case VT_I1: return u.c;
    case VT_UI1: return u.b;
    case VT_I2:
    case VT_BOOL: return u.s;
    case VT_UI2: return u.us;
    case VT_I4: return u.l;
    case VT_UI4: return u.ul;
    case VT_I8: return static_cast<double>(u.ll);
    case VT_UI8: return static_cast<double>(u.ull);
    case VT_R4: return u.f;
    case VT_R8: return u.d;
    case VT_BSTR: {
        const double d = std::wcstod(u.text, nullptr);
        SysFreeString(u.text);
        return d;
    }
    case VT_VARIANT: {
        EXPECT_EQ(u.v.vt, VT_R8);
        const double d = u.v.dblVal;
        VariantClear(&u.v);
        return d;
    }
    default: ADD_FAILURE() << "element type " << vt; return 0;
    }
}

}  // namespace

TEST(VendorArrays, EveryElementType)
{
    const struct {
        ArrayForm form;
        VARTYPE vt;
        std::vector<double> values;
        std::vector<double> readBack;
    } cases[] = {
        {ArrayForm::I1, VT_I1, {-128, 0, 127}, {-128, 0, 127}},
        {ArrayForm::UI1, VT_UI1, {0, 255}, {0, 255}},
        {ArrayForm::I2, VT_I2, {-32768, 32767}, {-32768, 32767}},
        {ArrayForm::UI2, VT_UI2, {65535}, {65535}},
        {ArrayForm::I4, VT_I4, {-2147483648.0, 2147483647.0}, {-2147483648.0, 2147483647.0}},
        {ArrayForm::UI4, VT_UI4, {4294967295.0}, {4294967295.0}},
        {ArrayForm::I8, VT_I8, {-9007199254740993.0, 4e18}, {-9007199254740993.0, 4e18}},
        {ArrayForm::UI8, VT_UI8, {1.8e19}, {1.8e19}},
        {ArrayForm::R4, VT_R4, {0.1, -3.5}, {static_cast<float>(0.1), -3.5}},
        {ArrayForm::R8, VT_R8, {0.1, 1e300}, {0.1, 1e300}},
        {ArrayForm::Bool, VT_BOOL, {1, 0}, {-1, 0}},
        {ArrayForm::Bstr, VT_BSTR, {0.1, 500.2}, {0.1, 500.2}},
        {ArrayForm::Variant, VT_VARIANT, {7.5, -1}, {7.5, -1}},
        {ArrayForm::R8, VT_R8, {}, {}},
    };
    for (const auto& c : cases) {
        VARIANT v;
        ASSERT_EQ(makeArray(c.form, c.values, &v), S_OK) << formName(c.form);
        EXPECT_EQ(v.vt, VT_ARRAY | c.vt) << formName(c.form);
        ASSERT_NE(v.parray, nullptr);
        EXPECT_EQ(SafeArrayGetDim(v.parray), 1u);
        VARTYPE element = VT_EMPTY;
        SafeArrayGetVartype(v.parray, &element);
        EXPECT_EQ(element, c.vt);
        LONG lower = -1, upper = -2;
        SafeArrayGetLBound(v.parray, 1, &lower);
        SafeArrayGetUBound(v.parray, 1, &upper);
        EXPECT_EQ(lower, 0);
        EXPECT_EQ(upper, static_cast<LONG>(c.values.size()) - 1);
        for (LONG i = 0; i < static_cast<LONG>(c.values.size()); ++i)
            EXPECT_EQ(Element(v.parray, c.vt, i), c.readBack[static_cast<size_t>(i)]) << formName(c.form) << " " << i;
        EXPECT_EQ(VariantClear(&v), S_OK);
    }
}

TEST(VendorArrays, ShapesAReaderRefuses)
{
    VARIANT v;
    ASSERT_EQ(makeArray(ArrayForm::Matrix, {1, 2, 3}, &v), S_OK);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_R8);
    EXPECT_EQ(SafeArrayGetDim(v.parray), 2u);
    LONG upper = -1;
    SafeArrayGetUBound(v.parray, 1, &upper);
    EXPECT_EQ(upper, 0);
    SafeArrayGetUBound(v.parray, 2, &upper);
    EXPECT_EQ(upper, 2);
    VariantClear(&v);

    ASSERT_EQ(makeArray(ArrayForm::Scalar, {4.5}, &v), S_OK);
    EXPECT_EQ(v.vt, VT_R8);
    EXPECT_EQ(v.dblVal, 4.5);

    ASSERT_EQ(makeArray(ArrayForm::Empty, {}, &v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);

    ASSERT_EQ(makeArray(ArrayForm::Null, {}, &v), S_OK);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_R8);
    EXPECT_EQ(v.parray, nullptr);
    EXPECT_EQ(VariantClear(&v), S_OK);

    // Labelled doubles, holding 32-bit integers.
    ASSERT_EQ(makeArray(ArrayForm::Mislabelled, {7, -8}, &v), S_OK);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_R8);
    VARTYPE element = VT_EMPTY;
    SafeArrayGetVartype(v.parray, &element);
    EXPECT_EQ(element, VT_I4);
    EXPECT_EQ(SafeArrayGetElemsize(v.parray), 4u);
    EXPECT_EQ(Element(v.parray, VT_I4, 1), -8);
    VariantClear(&v);
}

TEST(VendorArrays, WhatFitsWhichForm)
{
    const struct {
        ArrayForm form;
        std::vector<double> values;
        bool fits;
    } cases[] = {
        {ArrayForm::I1, {-129}, false},       {ArrayForm::UI1, {-1}, false},   {ArrayForm::UI1, {256}, false},
        {ArrayForm::I2, {32768}, false},      {ArrayForm::I2, {1.5}, false},   {ArrayForm::UI2, {-0.5}, false},
        {ArrayForm::I4, {2147483648.0}, false}, {ArrayForm::UI4, {-1}, false}, {ArrayForm::I8, {9.3e18}, false},
        {ArrayForm::UI8, {-1}, false},        {ArrayForm::UI8, {1.9e19}, false}, {ArrayForm::Bool, {2}, false},
        {ArrayForm::R4, {3.5e38}, false},     {ArrayForm::R4, {3.4e38}, true}, {ArrayForm::Scalar, {}, false},
        {ArrayForm::Scalar, {1, 2}, false},   {ArrayForm::Empty, {1}, false},  {ArrayForm::Null, {1}, false},
        {ArrayForm::Mislabelled, {0.5}, false}, {ArrayForm::Matrix, {}, true}, {ArrayForm::R8, {-0.0}, true},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(valuesFit(c.form, c.values, &why), c.fits) << formName(c.form);
        EXPECT_EQ(why.empty(), c.fits) << formName(c.form);
        VARIANT v;
        v.vt = VT_I4;
        EXPECT_EQ(makeArray(c.form, c.values, &v), c.fits ? S_OK : E_INVALIDARG) << formName(c.form);
        if (!c.fits) {
            EXPECT_EQ(v.vt, VT_EMPTY);
        }
        VariantClear(&v);
    }
    EXPECT_EQ(makeArray(ArrayForm::R8, {1}, nullptr), E_POINTER);
}

TEST(VendorArrays, NamesOfTheForms)
{
    const char* names[] = {"i1", "ui1", "i2",  "ui2",  "i4",      "ui4",    "i8",     "ui8",   "r4",
                           "r8", "bool", "bstr", "variant", "matrix", "scalar", "empty", "null", "mislabelled"};
    for (const char* name : names) {
        ArrayForm form = ArrayForm::Empty;
        ASSERT_TRUE(formFromName(name, form)) << name;
        EXPECT_STREQ(formName(form), name);
    }
    ArrayForm form = ArrayForm::R8;
    EXPECT_FALSE(formFromName("R8", form));
    EXPECT_FALSE(formFromName("", form));
}

TEST(VendorArrays, FailedAllocations)
{
    VARIANT v;
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(makeArray(ArrayForm::R8, {1, 2}, &v), E_OUTOFMEMORY);
    EXPECT_EQ(v.vt, VT_EMPTY);
    // A text that cannot be made: the array goes with it.
    ksTestFailNextBstrAllocations(1);
    EXPECT_EQ(makeArray(ArrayForm::Bstr, {1, 2}, &v), E_OUTOFMEMORY);
    EXPECT_EQ(v.vt, VT_EMPTY);
}
