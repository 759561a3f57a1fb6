#include "kscomptr.h"
#include "ksenum.h"

#include <gtest/gtest.h>

namespace {

int g_collections = 0;

struct ICollection : public IUnknown {
    virtual HRESULT NewEnum(IUnknown** pp) = 0;
};
}  // namespace
KS_DECLARE_INTERFACE(ICollection, IUnknown, "0B8C1D0E-1A3B-4C5D-8E9F-101112131420")

namespace {

// A collection whose _NewEnum hands out a snapshot of three numbers and
// is kept alive by it.
class CCollection : public ks::Object<ICollection> {
public:
    CCollection() { ++g_collections; }
    ~CCollection() override { --g_collections; }
    HRESULT NewEnum(IUnknown** pp) override
    {
        std::vector<VARIANT> items;
        for (LONG i = 1; i <= 3; ++i) {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocString(std::to_wstring(i * 10).c_str());
            items.push_back(v);
        }
        return ks::createVariantEnum(std::move(items), GetUnknown(), pp);
    }
};

ks::ComPtr<IEnumVARIANT> newEnum()
{
    ks::ComPtr<ICollection> coll;
    EXPECT_EQ(ks::createInstance<CCollection>(nullptr, KS_IID(ICollection), coll.out()), S_OK);
    ks::ComPtr<IUnknown> unk;
    EXPECT_EQ(coll->NewEnum(&unk), S_OK);
    ks::ComPtr<IEnumVARIANT> e;
    EXPECT_EQ(e.queryFrom(unk.get()), S_OK);
    return e;  // the collection's last outside reference goes here
}

}  // namespace

TEST(EnumVariant, NextSkipResetClone)
{
    ks::ComPtr<IEnumVARIANT> e = newEnum();
    EXPECT_EQ(g_collections, 1);  // the owner lives on

    VARIANT items[5];
    for (VARIANT& v : items)
        VariantInit(&v);
    ULONG fetched = 99;
    ASSERT_EQ(e->Next(2, items, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_STREQ(items[0].bstrVal, L"10");
    EXPECT_STREQ(items[1].bstrVal, L"20");

    ks::ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(e->Clone(&clone), S_OK);  // at the same position

    ASSERT_EQ(e->Next(5, items + 2, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_STREQ(items[2].bstrVal, L"30");
    EXPECT_EQ(e->Next(1, items + 3, nullptr), S_FALSE);
    EXPECT_EQ(e->Next(2, items + 3, nullptr), E_POINTER);

    ASSERT_EQ(clone->Next(1, items + 3, nullptr), S_OK);
    EXPECT_STREQ(items[3].bstrVal, L"30");

    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(2), S_OK);
    ASSERT_EQ(e->Next(1, items + 4, &fetched), S_OK);
    EXPECT_STREQ(items[4].bstrVal, L"30");
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(4), S_FALSE);
    EXPECT_EQ(e->Next(1, items + 4, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    for (VARIANT& v : items)
        VariantClear(&v);

    e.reset();
    EXPECT_EQ(g_collections, 1);  // the clone still holds the owner
    clone.reset();
    EXPECT_EQ(g_collections, 0);
}

TEST(EnumVariant, FailedCopyHandsOutNothing)
{
    ks::ComPtr<IEnumVARIANT> e = newEnum();
    VARIANT items[3];
    for (VARIANT& v : items)
        VariantInit(&v);
    ULONG fetched = 7;
    ksTestFailNextBstrAllocations(1);
    // The first copy fails: nothing is handed out and the position stays.
    EXPECT_EQ(e->Next(3, items, &fetched), E_OUTOFMEMORY);
    EXPECT_EQ(fetched, 0u);
    ASSERT_EQ(e->Next(3, items, &fetched), S_OK);
    EXPECT_STREQ(items[0].bstrVal, L"10");
    for (VARIANT& v : items)
        VariantClear(&v);
}
