#include "counted.h"
#include "ksoleauto.h"

#include "kstest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

using kstest::Counted;

TEST(SafeArray, TwoByNIsColumnMajor)
{
    const LONG n = 5;
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {static_cast<ULONG>(n), 0}};
    SAFEARRAY* psa = SafeArrayCreate(VT_R8, 2, bounds);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayGetDim(psa), 2u);
    EXPECT_EQ(SafeArrayGetElemsize(psa), 8u);
    for (LONG j = 0; j < n; ++j) {
        LONG mz[2] = {0, j};
        LONG in[2] = {1, j};
        double a = 100.0 + j, b = 1000.0 + j;
        ASSERT_EQ(SafeArrayPutElement(psa, mz, &a), S_OK);
        ASSERT_EQ(SafeArrayPutElement(psa, in, &b), S_OK);
    }
    double* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(psa, reinterpret_cast<void**>(&data)), S_OK);
    for (LONG j = 0; j < n; ++j) {
        EXPECT_EQ(data[2 * j], 100.0 + j) << j;       // m/z
        EXPECT_EQ(data[2 * j + 1], 1000.0 + j) << j;  // intensity
    }
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);

    LONG lo = -1, hi = -1;
    EXPECT_EQ(SafeArrayGetLBound(psa, 1, &lo), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(psa, 1, &hi), S_OK);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 1);
    EXPECT_EQ(SafeArrayGetUBound(psa, 2, &hi), S_OK);
    EXPECT_EQ(hi, n - 1);
    EXPECT_EQ(SafeArrayGetUBound(psa, 0, &hi), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(psa, 3, &hi), DISP_E_BADINDEX);
    // The descriptor lists the dimensions last first.
    EXPECT_EQ(psa->rgsabound[0].cElements, static_cast<ULONG>(n));
    EXPECT_EQ(psa->rgsabound[1].cElements, 2u);

    LONG outside[2] = {2, 0};
    double v = 0;
    EXPECT_EQ(SafeArrayGetElement(psa, outside, &v), DISP_E_BADINDEX);
    LONG back[2] = {1, 3};
    EXPECT_EQ(SafeArrayGetElement(psa, back, &v), S_OK);
    EXPECT_EQ(v, 1003.0);
    VARTYPE vt = VT_EMPTY;
    EXPECT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
    EXPECT_EQ(vt, VT_R8);

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    EXPECT_EQ(SafeArrayGetDim(copy), 2u);
    EXPECT_EQ(SafeArrayGetUBound(copy, 2, &hi), S_OK);
    EXPECT_EQ(hi, n - 1);
    EXPECT_EQ(std::memcmp(copy->pvData, psa->pvData, 2 * n * sizeof(double)), 0);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, BoundsOfAVectorWithLowerBoundOne)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_I4, 1, 3);
    ASSERT_NE(psa, nullptr);
    LONG lo = 0, hi = 0;
    SafeArrayGetLBound(psa, 1, &lo);
    SafeArrayGetUBound(psa, 1, &hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);
    LONG value = 7;
    struct Case { LONG index; HRESULT hr; } cases[] = {{0, DISP_E_BADINDEX}, {1, S_OK}, {3, S_OK}, {4, DISP_E_BADINDEX}};
    for (const Case& c : cases)
        EXPECT_EQ(SafeArrayPutElement(psa, &c.index, &value), c.hr) << c.index;
    SafeArrayDestroy(psa);
}

TEST(SafeArray, ZeroLengthArrayIsUsable)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_R8, 0, 0);
    ASSERT_NE(psa, nullptr);
    LONG lo = 5, hi = 5;
    EXPECT_EQ(SafeArrayGetLBound(psa, 1, &lo), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(psa, 1, &hi), S_OK);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, -1);
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    EXPECT_NE(data, nullptr);
    SafeArrayUnaccessData(psa);
    LONG index = 0;
    double v = 1;
    EXPECT_EQ(SafeArrayPutElement(psa, &index, &v), DISP_E_BADINDEX);
    SAFEARRAY* copy = nullptr;
    EXPECT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);

    SAFEARRAYBOUND twoByZero[2] = {{2, 0}, {0, 0}};
    psa = SafeArrayCreate(VT_R8, 2, twoByZero);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayGetUBound(psa, 2, &hi), S_OK);
    EXPECT_EQ(hi, -1);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, DestroyIsRefusedWhileLocked)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 2);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayLock(psa), S_OK);
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    EXPECT_EQ(psa->cLocks, 2u);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = psa;
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_BSTR);  // still holds it
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayUnlock(psa), S_OK);
    EXPECT_EQ(SafeArrayUnlock(psa), E_UNEXPECTED);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST(SafeArray, BstrElementsAreOwnedAndCopiedDeep)
{
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 2);
    BSTR text = SysAllocString(L"filter");
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(psa, &i, text), S_OK);
    SysFreeString(text);  // the array holds its own copy
    BSTR x = SysAllocString(L"x");
    ASSERT_EQ(SafeArrayPutElement(psa, &i, x), S_OK);  // replaces and frees "filter"
    SysFreeString(x);
    BSTR* slots = static_cast<BSTR*>(psa->pvData);
    EXPECT_STREQ(slots[0], L"x");

    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    EXPECT_NE(static_cast<BSTR*>(copy->pvData)[0], slots[0]);
    BSTR out = nullptr;
    ASSERT_EQ(SafeArrayGetElement(copy, &i, &out), S_OK);
    EXPECT_STREQ(out, L"x");
    SysFreeString(out);
    LONG second = 1;
    ASSERT_EQ(SafeArrayGetElement(copy, &second, &out), S_OK);
    EXPECT_EQ(out, nullptr);  // never set: a null BSTR
    SafeArrayDestroy(psa);
    SafeArrayDestroy(copy);
}

TEST(SafeArray, InterfaceAndVariantElementsAreReleased)
{
    bool gone = false;
    auto* obj = new Counted(&gone);
    SAFEARRAY* units = SafeArrayCreateVector(VT_DISPATCH, 0, 1);
    LONG i = 0;
    ASSERT_EQ(SafeArrayPutElement(units, &i, static_cast<IDispatch*>(obj)), S_OK);
    EXPECT_EQ(obj->refs, 2u);
    SAFEARRAY* vars = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = obj;
    ASSERT_EQ(SafeArrayPutElement(vars, &i, &v), S_OK);
    EXPECT_EQ(obj->refs, 3u);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(vars, &copy), S_OK);
    EXPECT_EQ(obj->refs, 4u);
    SafeArrayDestroy(copy);
    SafeArrayDestroy(units);
    SafeArrayDestroy(vars);
    EXPECT_EQ(obj->refs, 1u);
    obj->Release();
    EXPECT_TRUE(gone);
}

TEST(SafeArray, CreationRefusals)
{
    SAFEARRAYBOUND b{4, 0};
    EXPECT_EQ(SafeArrayCreate(VT_EMPTY, 1, &b), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_NULL, 1, &b), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_R8, 0, &b), nullptr);
    SAFEARRAYBOUND huge[2] = {{0xFFFFFFFFu, 0}, {0xFFFFFFFFu, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_R8, 2, huge), nullptr);
    EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 0, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(SafeArrayDestroy(nullptr), E_INVALIDARG);
}

TEST(SafeArray, FailureHookCoversCreationAndCopies)
{
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(SafeArrayCreateVector(VT_R8, 1, 3), nullptr);
    SAFEARRAY* psa = SafeArrayCreateVector(VT_R8, 1, 3);
    ASSERT_NE(psa, nullptr);

    ksTestFailNextSafeArrayAllocations(1);
    SAFEARRAY* copy = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(SafeArrayCopy(psa, &copy), E_OUTOFMEMORY);
    EXPECT_EQ(copy, nullptr);

    VARIANT src, dst;
    VariantInit(&src);
    VariantInit(&dst);
    src.vt = VT_ARRAY | VT_R8;
    src.parray = psa;
    ksTestFailNextSafeArrayAllocations(1);
    EXPECT_EQ(VariantCopy(&dst, &src), E_OUTOFMEMORY);
    EXPECT_EQ(dst.vt, VT_EMPTY);

    // A BSTR array whose element copy fails is not leaked half-made.
    SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
    LONG i = 1;
    BSTR t = SysAllocString(L"t");
    SafeArrayPutElement(texts, &i, t);
    SysFreeString(t);
    ksTestFailNextBstrAllocations(1);
    EXPECT_EQ(SafeArrayCopy(texts, &copy), E_OUTOFMEMORY);
    EXPECT_EQ(copy, nullptr);
    SafeArrayDestroy(texts);
    VariantClear(&src);
}

// numpy's Fortran order as the reference for the memory order of any
// number of dimensions.
TEST(SafeArray, MemoryOrderMatchesNumpyFortranOrder)
{
    const char* script =
        "import numpy as np\n"
        "a = np.arange(24).reshape((2, 3, 4))\n"
        "print(' '.join(str(int(x)) for x in a.flatten(order='F')))\n";
    auto r = ks::test::run({"/usr/bin/python3", "-c", script});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    SAFEARRAYBOUND b[3] = {{2, 0}, {3, 1}, {4, -2}};  // lower bounds do not change the order
    SAFEARRAY* psa = SafeArrayCreate(VT_I4, 3, b);
    ASSERT_NE(psa, nullptr);
    for (LONG i = 0; i < 2; ++i)
        for (LONG j = 0; j < 3; ++j)
            for (LONG k = 0; k < 4; ++k) {
                LONG idx[3] = {i, j + 1, k - 2};
                LONG value = i * 12 + j * 4 + k;  // C-order number of (i, j, k)
                ASSERT_EQ(SafeArrayPutElement(psa, idx, &value), S_OK);
            }
    std::istringstream in(r.out);
    const LONG* data = static_cast<const LONG*>(psa->pvData);
    for (int n = 0; n < 24; ++n) {
        LONG expected = -1;
        in >> expected;
        EXPECT_EQ(data[n], expected) << n;
    }
    SafeArrayDestroy(psa);
}
