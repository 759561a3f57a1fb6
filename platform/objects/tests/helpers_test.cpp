#include "kscomerror.h"
#include "kscomptr.h"

#include "../../types/tests/counted.h"

#include <gtest/gtest.h>

using kstest::Counted;

TEST(ComPtr, CountsAndReleases)
{
    bool gone = false;
    auto* obj = new Counted(&gone);
    {
        ks::ComPtr<IDispatch> a(obj);
        EXPECT_EQ(obj->refs, 2u);
        ks::ComPtr<IDispatch> b = a;
        EXPECT_EQ(obj->refs, 3u);
        ks::ComPtr<IDispatch> c = std::move(b);
        EXPECT_EQ(obj->refs, 3u);
        EXPECT_FALSE(b);
        c = a;  // same object: count unchanged afterwards
        EXPECT_EQ(obj->refs, 3u);
        ks::ComPtr<IUnknown> u;
        ASSERT_EQ(a.queryInterface(u), S_OK);
        EXPECT_EQ(obj->refs, 4u);
        IDispatch* raw = a.detach();
        EXPECT_EQ(obj->refs, 4u);
        a.attach(raw);
    }
    EXPECT_EQ(obj->refs, 1u);
    obj->Release();
    EXPECT_TRUE(gone);
}

TEST(BstrHolder, OwnsAndCopies)
{
    ks::Bstr a(L"hello");
    ks::Bstr b = a;
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(b.str(), L"hello");
    ks::Bstr empty;
    EXPECT_STREQ(empty.c_str(), L"");
    EXPECT_EQ(empty.length(), 0u);
    BSTR out = a.copy();
    EXPECT_STREQ(out, L"hello");
    SysFreeString(out);
    // As an out parameter: frees what it held.
    BSTR* slot = &b;
    *slot = SysAllocString(L"replaced");
    EXPECT_EQ(b.str(), L"replaced");
    ksTestFailNextBstrAllocations(1);
    ks::Bstr failed(L"x");
    EXPECT_TRUE(failed.allocationFailed());
    EXPECT_EQ(failed.get(), nullptr);
}

TEST(VariantHolder, HoldsAndFrees)
{
    bool gone = false;
    auto* obj = new Counted(&gone);
    {
        ks::Variant v(static_cast<IDispatch*>(obj));
        EXPECT_EQ(obj->refs, 2u);
        ks::Variant copy = v;
        EXPECT_EQ(obj->refs, 3u);
        ks::Variant text(L"12");
        ASSERT_EQ(text.changeType(VT_I4), S_OK);
        EXPECT_EQ(text.lVal, 12);
        VARIANT raw;
        copy.detach(&raw);
        EXPECT_EQ(copy.vt, VT_EMPTY);
        VariantClear(&raw);
        EXPECT_EQ(obj->refs, 2u);
    }
    EXPECT_EQ(obj->refs, 1u);
    obj->Release();
    EXPECT_TRUE(gone);
}

TEST(SafeArrayHolder, DestroysEvenWhenStillAccessed)
{
    ks::SafeArray a(VT_R8, 1, 4);
    ASSERT_TRUE(a);
    EXPECT_EQ(a.count(), 4u);
    {
        ks::SafeArrayAccess<double> data(a);
        ASSERT_EQ(data.result(), S_OK);
        data[3] = 2.5;
    }
    EXPECT_EQ(a.get()->cLocks, 0u);
    LONG i = 4;
    double v = 0;
    SafeArrayGetElement(a, &i, &v);
    EXPECT_EQ(v, 2.5);
    void* p;
    SafeArrayAccessData(a, &p);  // forgotten: the holder unlocks before destroying
    ks::Variant holder;
    holder.attachArray(a.detach(), VT_R8);
    EXPECT_EQ(holder.vt, VT_ARRAY | VT_R8);
    SafeArrayUnaccessData(holder.parray);
}

TEST(ComError, CarriesTheResultAndInterface)
{
    try {
        _com_issue_errorex(E_POINTER, nullptr, IID_IDispatch);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_POINTER);
        EXPECT_EQ(e.InterfaceId(), IID_IDispatch);
        EXPECT_STREQ(e.ErrorMessage(), L"E_POINTER (0x80004003)");
    }
    EXPECT_THROW(_com_issue_error(E_FAIL), _com_error);
    _com_error other(static_cast<HRESULT>(0x80041234u));
    EXPECT_STREQ(other.ErrorMessage(), L"Unknown error 0x80041234");
}
