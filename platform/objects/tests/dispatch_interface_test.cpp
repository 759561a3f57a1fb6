// Interfaces through table-built IDispatch::Invoke: passed in, returned as
// results and by reference, and released when a method fails after setting
// its result. The objects passed around count their references.
#include "kscomptr.h"
#include "ksdispatch.h"
#include "ksenum.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A plain interface (travels as VT_UNKNOWN) and a dispatch one (VT_DISPATCH).
struct IToken : public IUnknown {
    virtual HRESULT get_Value(LONG* p) = 0;
};
struct IBadge : public IDispatch {
    virtual HRESULT get_Number(LONG* p) = 0;
};

struct IHolder : public IDispatch {
    virtual HRESULT Keep(IToken* token) = 0;
    virtual HRESULT Weigh(IUnknown* any, LONG* pValue) = 0;
    virtual HRESULT Show(IBadge* badge, LONG* pNumber) = 0;
    virtual HRESULT Touch(IDispatch* d, LONG* pNumber) = 0;
    virtual HRESULT putref_Badge(IBadge* badge) = 0;
    virtual HRESULT get_Badge(IBadge** ppBadge) = 0;
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Kept(IToken** ppToken) = 0;
    virtual HRESULT Detach(IToken** ppToken) = 0;
    virtual HRESULT get_Broken(IUnknown** ppItem) = 0;
    virtual HRESULT Mangle(VARIANT* pOut) = 0;
    virtual HRESULT Scrawl(BSTR* pText) = 0;
    virtual HRESULT Garble(BSTR* pText, IToken** ppToken) = 0;
    virtual HRESULT Stamp(ULONG_PTR address) = 0;
};

}  // namespace

KS_DECLARE_INTERFACE(IToken, IUnknown, "0B8C1D0E-1A3B-4C5D-8E9F-101112131460")
KS_DECLARE_INTERFACE(IBadge, IDispatch, "0B8C1D0E-1A3B-4C5D-8E9F-101112131461")
KS_DECLARE_INTERFACE(IHolder, IDispatch, "0B8C1D0E-1A3B-4C5D-8E9F-101112131462")
KS_DECLARE_DISPATCH_TABLE(IHolder)

KS_DISPATCH_TABLE(IHolder)
{
    static const ks::DispTable table{{
        ks::dispMethod(L"Keep", 1, &IHolder::Keep),
        ks::dispMethodRet(L"Weigh", 2, &IHolder::Weigh),
        ks::dispMethodRet(L"Show", 3, &IHolder::Show),
        ks::dispMethodRet(L"Touch", 4, &IHolder::Touch),
        ks::dispPutRef(L"Badge", 5, &IHolder::putref_Badge),
        ks::dispGet(L"Badge", 5, &IHolder::get_Badge),
        ks::dispGet(L"_NewEnum", DISPID_NEWENUM, &IHolder::get__NewEnum),
        ks::dispGet(L"Kept", 6, &IHolder::get_Kept),
        ks::dispMethod(L"Detach", 7, &IHolder::Detach),
        ks::dispGet(L"Broken", 8, &IHolder::get_Broken),
        ks::dispMethodRet(L"Mangle", 9, &IHolder::Mangle),
        ks::dispMethodRet(L"Scrawl", 10, &IHolder::Scrawl),
        ks::dispMethod(L"Garble", 11, &IHolder::Garble),
    }};
    return table;
}

namespace {

// Lives on the test's stack; counts references instead of deleting itself.
// Its IToken and IBadge pointers differ, so a pointer passed without
// QueryInterface shows up.
class CountedToken : public IToken, public IBadge {
public:
    explicit CountedToken(LONG v) : value(v) {}
    ~CountedToken() { EXPECT_EQ(refs, 1u) << "references left or lost"; }

    ULONG refs = 1;  // the test's own
    LONG value;

    IUnknown* identity() { return static_cast<IToken*>(this); }
    IToken* token() { return this; }
    IBadge* badge() { return this; }

    HRESULT QueryInterface(REFIID iid, void** pp) override
    {
        if (!pp)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == KS_IID(IToken)) {
            *pp = static_cast<IToken*>(this);
        } else if (iid == IID_IDispatch || iid == KS_IID(IBadge)) {
            *pp = static_cast<IBadge*>(this);
        } else {
            *pp = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        EXPECT_GT(refs, 1u) << "released more often than referenced";
        return --refs;
    }
    HRESULT get_Value(LONG* p) override
    {
        *p = value;
        return S_OK;
    }
    HRESULT get_Number(LONG* p) override
    {
        *p = value * 10;
        return S_OK;
    }
    HRESULT GetTypeInfoCount(UINT* p) override
    {
        *p = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

int g_holders = 0;

class CHolder : public ks::Object<ks::Dual<IHolder>> {
public:
    CHolder() { ++g_holders; }
    ~CHolder() override
    {
        if (kept)
            kept->Release();
        if (badge)
            badge->Release();
        --g_holders;
    }

    IToken* kept = nullptr;
    IBadge* badge = nullptr;
    IUnknown* weighed = nullptr;          // what Weigh was given (not kept)
    IToken* spoiler = nullptr;            // what the failing members hand out
    bool detachSawNull = false;           // Detach's out value was null on entry
    HRESULT detachResult = S_OK;

    HRESULT Keep(IToken* token) override
    {
        if (token)
            token->AddRef();
        if (kept)
            kept->Release();
        kept = token;
        return S_OK;
    }
    HRESULT Weigh(IUnknown* any, LONG* pValue) override
    {
        weighed = any;
        ks::ComPtr<IToken> t;
        if (!any || FAILED(t.queryFrom(any)))
            return E_INVALIDARG;
        return t->get_Value(pValue);
    }
    HRESULT Show(IBadge* b, LONG* pNumber) override { return b ? b->get_Number(pNumber) : E_POINTER; }
    HRESULT Touch(IDispatch* d, LONG* pNumber) override
    {
        ks::ComPtr<IBadge> b;
        if (!d || FAILED(b.queryFrom(d)))
            return E_INVALIDARG;
        return b->get_Number(pNumber);
    }
    HRESULT putref_Badge(IBadge* b) override
    {
        if (b)
            b->AddRef();
        if (badge)
            badge->Release();
        badge = b;
        return S_OK;
    }
    HRESULT get_Badge(IBadge** pp) override
    {
        *pp = badge;
        if (badge)
            badge->AddRef();
        return S_OK;
    }
    HRESULT get__NewEnum(IUnknown** pp) override
    {
        std::vector<VARIANT> items;
        if (kept) {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_UNKNOWN;
            v.punkVal = kept;
            kept->AddRef();
            items.push_back(v);
        }
        return ks::createVariantEnum(std::move(items), GetUnknown(), pp);
    }
    HRESULT get_Kept(IToken** pp) override
    {
        *pp = kept;
        if (!kept)
            return E_UNEXPECTED;
        kept->AddRef();
        return S_OK;
    }
    HRESULT Detach(IToken** pp) override
    {
        if (!pp)
            return E_POINTER;
        detachSawNull = *pp == nullptr;
        *pp = kept;  // hands over the holder's reference
        kept = nullptr;
        return detachResult;
    }
    HRESULT get_Broken(IUnknown** pp) override
    {
        *pp = spoiler;
        spoiler->AddRef();
        return E_FAIL;
    }
    HRESULT Mangle(VARIANT* pOut) override
    {
        pOut->vt = VT_UNKNOWN;
        pOut->punkVal = spoiler;
        spoiler->AddRef();
        return E_ACCESSDENIED;
    }
    HRESULT Scrawl(BSTR* pText) override
    {
        *pText = SysAllocString(L"never seen");
        return E_FAIL;
    }
    HRESULT Garble(BSTR* pText, IToken** ppToken) override
    {
        SysFreeString(*pText);
        *pText = SysAllocString(L"garbled");
        *ppToken = spoiler;
        spoiler->AddRef();
        return E_FAIL;
    }
    HRESULT Stamp(ULONG_PTR) override { return S_OK; }
};

VARIANT i4Arg(LONG x)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = x;
    return v;
}

VARIANT unknownArg(IUnknown* p)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = p;
    if (p)
        p->AddRef();
    return v;
}

VARIANT dispatchArg(IDispatch* p)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = p;
    if (p)
        p->AddRef();
    return v;
}

VARIANT refTo(VARIANT* target)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = target;
    return v;
}

class DispatchInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ks::createInstance<CHolder>(nullptr, IID_IDispatch, disp.out()), S_OK);
        holder = static_cast<CHolder*>(static_cast<IHolder*>(disp.get()));
        holder->spoiler = spoiler.token();
    }
    void TearDown() override
    {
        disp.reset();
        EXPECT_EQ(g_holders, 0);
    }
    // Calls with arguments in declaration order; the arguments are the
    // caller's and are cleared afterwards.
    HRESULT call(DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr,
                 UINT* argErr = nullptr, EXCEPINFO* info = nullptr)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID putId = DISPID_PROPERTYPUT;
        bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        DISPPARAMS dp{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
        HRESULT hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, info, argErr);
        for (VARIANT& v : reversed)
            VariantClear(&v);
        return hr;
    }

    CountedToken token{4};
    CountedToken spoiler{9};
    ks::ComPtr<IDispatch> disp;
    CHolder* holder = nullptr;
};

}  // namespace

TEST_F(DispatchInterfaceTest, InterfacesPassedInStayTheCallers)
{
    // A specific interface asked for from whatever the caller passed: the
    // IDispatch side of the object still reaches Keep as its IToken.
    ASSERT_EQ(call(1, DISPATCH_METHOD, {dispatchArg(token.badge())}), S_OK);
    EXPECT_EQ(holder->kept, token.token());
    EXPECT_EQ(token.refs, 2u);  // the test's and the holder's own
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(token.identity())}), S_OK);
    EXPECT_EQ(holder->kept, token.token());
    EXPECT_EQ(token.refs, 2u);

    // By reference, and null.
    IUnknown* unk = token.identity();
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_UNKNOWN;
    byRef.ppunkVal = &unk;
    ASSERT_EQ(call(1, DISPATCH_METHOD, {byRef}), S_OK);
    EXPECT_EQ(holder->kept, token.token());
    EXPECT_EQ(unk, token.identity());
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(nullptr)}), S_OK);
    EXPECT_EQ(holder->kept, nullptr);
    EXPECT_EQ(token.refs, 1u);

    // IUnknown* gets the object's identity, IDispatch* its dispatch side,
    // a dispatch interface its own pointer.
    ks::Variant result;
    ASSERT_EQ(call(2, DISPATCH_METHOD, {dispatchArg(token.badge())}, &result), S_OK);
    EXPECT_EQ(holder->weighed, token.identity());
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 4);
    result.clear();
    ASSERT_EQ(call(3, DISPATCH_METHOD, {unknownArg(token.identity())}, &result), S_OK);
    EXPECT_EQ(result.lVal, 40);
    result.clear();
    ASSERT_EQ(call(4, DISPATCH_METHOD, {unknownArg(token.identity())}, &result), S_OK);
    EXPECT_EQ(result.lVal, 40);
    result.clear();
    EXPECT_EQ(token.refs, 1u);

    // An object without the interface, or no interface at all, is refused
    // and named.
    UINT argErr = 99;
    ks::ComPtr<IUnknown> other;
    ASSERT_EQ(disp->QueryInterface(IID_IUnknown, other.out()), S_OK);
    EXPECT_EQ(call(1, DISPATCH_METHOD, {unknownArg(other.get())}, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(holder->kept, nullptr);
    argErr = 99;
    EXPECT_EQ(call(3, DISPATCH_METHOD, {i4Arg(3)}, &result, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
    EXPECT_EQ(result.vt, VT_EMPTY);
}

TEST_F(DispatchInterfaceTest, PutRefAndInterfaceResults)
{
    ASSERT_EQ(call(5, DISPATCH_PROPERTYPUTREF, {dispatchArg(token.badge())}), S_OK);
    EXPECT_EQ(holder->badge, token.badge());
    EXPECT_EQ(token.refs, 2u);

    // The result VARIANT owns one reference.
    ks::Variant result;
    ASSERT_EQ(call(5, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_DISPATCH);
    EXPECT_EQ(result.pdispVal, static_cast<IDispatch*>(token.badge()));
    EXPECT_EQ(token.refs, 3u);
    result.clear();
    EXPECT_EQ(token.refs, 2u);

    // A plain interface result travels as VT_UNKNOWN.
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(token.identity())}), S_OK);
    ASSERT_EQ(call(6, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_UNKNOWN);
    EXPECT_EQ(result.punkVal, static_cast<IUnknown*>(token.token()));
    EXPECT_EQ(token.refs, 4u);
    result.clear();

    // Results nobody asked for are released.
    ASSERT_EQ(call(6, DISPATCH_PROPERTYGET, {}), S_OK);
    ASSERT_EQ(call(5, DISPATCH_PROPERTYGET, {}), S_OK);
    EXPECT_EQ(token.refs, 3u);

    disp.reset();
    EXPECT_EQ(token.refs, 1u);
}

TEST_F(DispatchInterfaceTest, NewEnumGivesASnapshotEnumeratorAsIUnknown)
{
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(token.identity())}), S_OK);
    ks::Variant result;
    ASSERT_EQ(call(DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, &result), S_OK);
    ASSERT_EQ(result.vt, VT_UNKNOWN);
    ks::ComPtr<IEnumVARIANT> items;
    ASSERT_EQ(items.queryFrom(result.punkVal), S_OK);
    result.clear();
    EXPECT_EQ(token.refs, 3u);  // the test's, the holder's, the snapshot's

    // The enumerator keeps its collection alive.
    holder = nullptr;
    disp.reset();
    EXPECT_EQ(g_holders, 1);

    VARIANT item;
    VariantInit(&item);
    ULONG fetched = 0;
    ASSERT_EQ(items->Next(1, &item, &fetched), S_OK);
    EXPECT_EQ(item.vt, VT_UNKNOWN);
    EXPECT_EQ(item.punkVal, static_cast<IUnknown*>(token.token()));
    VariantClear(&item);
    EXPECT_EQ(items->Next(1, &item, &fetched), S_FALSE);

    items.reset();
    EXPECT_EQ(g_holders, 0);
    EXPECT_EQ(token.refs, 1u);

    // Without a result VARIANT the enumerator is released again.
    ASSERT_EQ(ks::createInstance<CHolder>(nullptr, IID_IDispatch, disp.out()), S_OK);
    ASSERT_EQ(call(DISPID_NEWENUM, DISPATCH_PROPERTYGET, {}), S_OK);
    disp.reset();
    EXPECT_EQ(g_holders, 0);
}

TEST_F(DispatchInterfaceTest, InterfaceOutParametersByReference)
{
    // An exact reference receives the holder's reference.
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(token.identity())}), S_OK);
    IUnknown* out = nullptr;
    VARIANT exact;
    VariantInit(&exact);
    exact.vt = VT_BYREF | VT_UNKNOWN;
    exact.ppunkVal = &out;
    ASSERT_EQ(call(7, DISPATCH_METHOD, {exact}), S_OK);
    EXPECT_TRUE(holder->detachSawNull);
    EXPECT_EQ(out, static_cast<IUnknown*>(token.token()));
    EXPECT_EQ(holder->kept, nullptr);
    EXPECT_EQ(token.refs, 2u);
    out->Release();

    // A VARIANT by reference: its old value is cleared, not passed in.
    CountedToken old{1};
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(token.identity())}), S_OK);
    VARIANT holderVar = unknownArg(old.identity());
    ASSERT_EQ(call(7, DISPATCH_METHOD, {refTo(&holderVar)}), S_OK);
    EXPECT_TRUE(holder->detachSawNull);
    EXPECT_EQ(old.refs, 1u);
    EXPECT_EQ(holderVar.vt, VT_UNKNOWN);
    EXPECT_EQ(holderVar.punkVal, static_cast<IUnknown*>(token.token()));
    EXPECT_EQ(token.refs, 2u);
    VariantClear(&holderVar);

    // An old text is freed (the leak checker watches).
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(token.identity())}), S_OK);
    holderVar.vt = VT_BSTR;
    holderVar.bstrVal = SysAllocString(L"old text");
    ASSERT_EQ(call(7, DISPATCH_METHOD, {refTo(&holderVar)}), S_OK);
    EXPECT_EQ(holderVar.vt, VT_UNKNOWN);
    VariantClear(&holderVar);
    EXPECT_EQ(token.refs, 1u);

    // A failing Detach hands nothing out and the caller's value stays.
    ASSERT_EQ(call(1, DISPATCH_METHOD, {unknownArg(token.identity())}), S_OK);
    holder->detachResult = E_FAIL;  // Detach gives up the holder's reference and fails
    holderVar = unknownArg(old.identity());
    EXCEPINFO info{};
    EXPECT_EQ(call(7, DISPATCH_METHOD, {refTo(&holderVar)}, nullptr, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_FAIL);
    EXPECT_EQ(holderVar.punkVal, old.identity());
    EXPECT_EQ(old.refs, 2u);
    EXPECT_EQ(token.refs, 1u);
    VariantClear(&holderVar);

    // References of another type are refused.
    LONG number = 0;
    VARIANT wrong;
    VariantInit(&wrong);
    wrong.vt = VT_BYREF | VT_I4;
    wrong.plVal = &number;
    UINT argErr = 99;
    EXPECT_EQ(call(7, DISPATCH_METHOD, {wrong}, nullptr, &argErr), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argErr, 0u);
}

TEST_F(DispatchInterfaceTest, FailingMethodsDoNotLeakWhatTheySet)
{
    ks::Variant result;
    EXCEPINFO info{};

    // Interface retval.
    EXPECT_EQ(call(8, DISPATCH_PROPERTYGET, {}, &result, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_FAIL);
    EXPECT_EQ(result.vt, VT_EMPTY);
    EXPECT_EQ(spoiler.refs, 1u);
    EXPECT_EQ(call(8, DISPATCH_PROPERTYGET, {}), DISP_E_EXCEPTION);
    EXPECT_EQ(spoiler.refs, 1u);

    // VARIANT retval.
    EXPECT_EQ(call(9, DISPATCH_METHOD, {}, &result, nullptr, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_ACCESSDENIED);
    EXPECT_EQ(result.vt, VT_EMPTY);
    EXPECT_EQ(spoiler.refs, 1u);

    // Text retval (the leak checker watches).
    EXPECT_EQ(call(10, DISPATCH_METHOD, {}, &result), DISP_E_EXCEPTION);
    EXPECT_EQ(result.vt, VT_EMPTY);

    // Outputs through VARIANTs by reference keep the caller's values.
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"kept");
    VARIANT item;
    VariantInit(&item);
    EXPECT_EQ(call(11, DISPATCH_METHOD, {refTo(&text), refTo(&item)}), DISP_E_EXCEPTION);
    EXPECT_EQ(text.vt, VT_BSTR);
    EXPECT_STREQ(text.bstrVal, L"kept");
    EXPECT_EQ(item.vt, VT_EMPTY);
    EXPECT_EQ(spoiler.refs, 1u);
    VariantClear(&text);

    // An exact interface reference stays null.
    IUnknown* out = nullptr;
    VARIANT exact;
    VariantInit(&exact);
    exact.vt = VT_BYREF | VT_UNKNOWN;
    exact.ppunkVal = &out;
    EXPECT_EQ(call(11, DISPATCH_METHOD, {refTo(&text), exact}), DISP_E_EXCEPTION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(spoiler.refs, 1u);
    VariantClear(&text);
}

// A hand-written member (a table entry with its own call) that fills the
// result and fails: the result is released by the dispatch layer.
TEST(DispatchInterface, HandWrittenMemberFailingWithAResult)
{
    CountedToken spoiler{2};
    ks::DispTable table;
    ks::DispMember m{L"Spoil", 1, ks::DispKind::Method, {}, VT_UNKNOWN, {}};
    m.call = [&spoiler](IDispatch*, VARIANT**, VARIANT* result, UINT*) -> HRESULT {
        result->vt = VT_UNKNOWN;
        result->punkVal = spoiler.identity();
        spoiler.AddRef();
        return E_FAIL;
    };
    table.members.push_back(m);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant result;
    EXPECT_EQ(ks::dispInvoke(table, nullptr, 1, IID_NULL, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(result.vt, VT_EMPTY);
    EXPECT_EQ(spoiler.refs, 1u);
}

TEST(DispatchInterface, InterfaceTypeOverridesMustFit)
{
    // An IUnknown-only interface cannot travel as VT_DISPATCH, and an
    // interface is never a number (nor a number an interface).
    EXPECT_DEATH(ks::dispGet(L"KeptAsDispatch", 6, &IHolder::get_Kept, {VT_DISPATCH}), "KeptAsDispatch");
    EXPECT_DEATH(ks::dispMethod(L"KeepAsNumber", 1, &IHolder::Keep, {VT_UI8}), "KeepAsNumber");
    EXPECT_DEATH(ks::dispMethod(L"AddressAsInterface", 12, &IHolder::Stamp, {VT_UNKNOWN}), "AddressAsInterface");
    // A dispatch interface may travel as plain VT_UNKNOWN.
    ks::DispMember m = ks::dispGet(L"BadgeAsUnknown", 5, &IHolder::get_Badge, {VT_UNKNOWN});
    EXPECT_EQ(m.result, VT_UNKNOWN);
}
