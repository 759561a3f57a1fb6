// Interface arguments through IDispatch: objects passed in arrive as the
// interface the member declares (or the call is refused), objects passed
// out reach the caller through exact references, VARIANT references and
// results, and every reference is balanced (the leak checker sees the rest).
#include "kscontractinfo.h"

#include "kscomptr.h"

#include <gtest/gtest.h>

namespace {

int g_alive = 0;

struct Counted {
    Counted() { ++g_alive; }
    ~Counted() { --g_alive; }
};

class CServer : public ks::Object<ks::Dual<IKSDataServer>>, Counted {
public:
    HRESULT CurrentDataset(BSTR* p) override
    {
        *p = SysAllocString(L"/data/run1");
        return S_OK;
    }
    HRESULT DatasetType(BSTR*) override { return E_NOTIMPL; }
    HRESULT IsValidDataset(BSTR, LONG*) override { return E_NOTIMPL; }
    HRESULT Open(BSTR) override { return E_NOTIMPL; }
    HRESULT Close() override { return E_NOTIMPL; }
    HRESULT get_Injections(IKSInjections**) override { return E_NOTIMPL; }
    HRESULT get_InjectionCountFromPath(BSTR, LONG*) override { return E_NOTIMPL; }
};

class CInjection : public ks::Object<ks::Dual<IKSInjection>>, Counted {
public:
    LONG index = 0;
    HRESULT get_Functions(IKSFunctions**) override { return E_NOTIMPL; }
    HRESULT get_Traces(IKSTraces**) override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_Index(LONG* p) override
    {
        *p = index;
        return S_OK;
    }
};

// Opens "from storage": records the storage object it was given and hands
// out a server and an injection.
class CAccess : public ks::Object<ks::Dual<IKSDataAccess4>>, Counted {
public:
    IUnknown* storage = nullptr;
    bool fail = false;
    HRESULT OpenDatasetFromStorage(IUnknown*, BSTR, IKSDataServer**) override { return E_NOTIMPL; }
    HRESULT OpenInjectionFromStorage(IUnknown* stg, BSTR, LONG injection, IKSDataServer** ppServer,
                                     IKSInjection** ppInjection) override
    {
        storage = stg;
        CServer* server = nullptr;
        CInjection* inj = nullptr;
        ks::createObject(&server);
        ks::createObject(&inj);
        inj->index = injection;
        server->AddRef();
        inj->AddRef();
        *ppServer = server;
        *ppInjection = inj;
        return fail ? E_FAIL : S_OK;
    }
    HRESULT OpenFunctionFromStorage(IUnknown*, BSTR, LONG, LONG, IKSDataServer**, IKSInjection**,
                                    IKSFunction**) override
    {
        return E_NOTIMPL;
    }
};

// A trace writer keeping the chromatogram it is given.
class CTraceWriter : public ks::Object<ks::Dual<IKSTraceWriter>>, Counted {
public:
    ks::ComPtr<IKSChromatogram> chromatogram;
    HRESULT put_Name(BSTR) override { return S_OK; }
    HRESULT put_Description(BSTR) override { return S_OK; }
    HRESULT put_Chromatogram(IKSChromatogram* p) override
    {
        chromatogram = p;
        return S_OK;
    }
    HRESULT put_Type(TraceType) override { return S_OK; }
};

class CChromatogram : public ks::Object<ks::Dual<IKSChromatogram>>, Counted {
public:
    HRESULT get_Count(LONG* p) override
    {
        *p = 0;
        return S_OK;
    }
    HRESULT put_Count(LONG) override { return S_OK; }
    HRESULT get_Times(VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Times(const double*) override { return S_OK; }
    HRESULT get_Intensities(VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Intensities(const double*) override { return S_OK; }
    HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_Name(BSTR) override { return S_OK; }
};

class CInjections : public ks::Object<ks::Dual<IKSInjections>>, Counted {
public:
    HRESULT get__NewEnum(IUnknown** pp) override
    {
        CServer* any = nullptr;  // any object will do as the enumerator here
        ks::createObject(&any);
        return any->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(pp));
    }
    HRESULT get_Item(LONG, IKSInjection**) override { return DISP_E_BADINDEX; }
    HRESULT get_Count(LONG* p) override
    {
        *p = 0;
        return S_OK;
    }
};

template <class T>
T* make()
{
    T* p = nullptr;
    EXPECT_EQ(ks::createObject(&p), S_OK);
    p->AddRef();
    return p;
}

HRESULT invokeArgs(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> argsLastFirst, VARIANT* result,
               UINT* argErr = nullptr, EXCEPINFO* ex = nullptr)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{argsLastFirst.data(), nullptr, static_cast<UINT>(argsLastFirst.size()), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    UINT dummy = 0;
    return d->Invoke(id, IID_NULL, 0, flags, &params, result, ex, argErr ? argErr : &dummy);
}

TEST(ContractInterfaceArgs, ObjectsPassedInArriveAsTheDeclaredInterface)
{
    {
        ks::ComPtr<CTraceWriter> writer;
        writer.attach(make<CTraceWriter>());
        ks::ComPtr<CChromatogram> chrom;
        chrom.attach(make<CChromatogram>());

        ks::Variant asDispatch(static_cast<IDispatch*>(chrom.get()));
        EXPECT_EQ(invokeArgs(writer.get(), 3, DISPATCH_PROPERTYPUT, {asDispatch}, nullptr), S_OK);
        EXPECT_EQ(writer->chromatogram.get(), static_cast<IKSChromatogram*>(chrom.get()));
        // Also by reference put (the put of an object property may come as either).
        EXPECT_EQ(invokeArgs(writer.get(), 3, DISPATCH_PROPERTYPUTREF, {asDispatch}, nullptr), S_OK);

        // An object that is no chromatogram is refused, naming the argument.
        ks::ComPtr<CServer> server;
        server.attach(make<CServer>());
        ks::Variant wrong(static_cast<IDispatch*>(server.get()));
        UINT argErr = 99;
        EXPECT_EQ(invokeArgs(writer.get(), 3, DISPATCH_PROPERTYPUT, {wrong}, nullptr, &argErr), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(argErr, 0u);
        EXPECT_EQ(writer->chromatogram.get(), static_cast<IKSChromatogram*>(chrom.get()));

        // Nothing is null.
        VARIANT nothing;
        VariantInit(&nothing);
        nothing.vt = VT_DISPATCH;
        EXPECT_EQ(invokeArgs(writer.get(), 3, DISPATCH_PROPERTYPUT, {nothing}, nullptr), S_OK);
        EXPECT_EQ(writer->chromatogram.get(), nullptr);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(ContractInterfaceArgs, ObjectsPassedOutReachTheCaller)
{
    {
        ks::ComPtr<CAccess> access;
        access.attach(make<CAccess>());
        ks::ComPtr<CChromatogram> storage;  // stands for the parent storage
        storage.attach(make<CChromatogram>());

        ks::Variant stg(static_cast<IDispatch*>(storage.get()));
        ks::Variant name(L"sub");
        ks::Variant injection(static_cast<LONG>(2));

        // Out server through an exact reference, the injection as the result.
        IDispatch* server = nullptr;
        VARIANT serverRef;
        VariantInit(&serverRef);
        serverRef.vt = VT_BYREF | VT_DISPATCH;
        serverRef.ppdispVal = &server;
        ks::Variant result;
        EXPECT_EQ(invokeArgs(access.get(), 2, DISPATCH_METHOD, {serverRef, injection, name, stg}, &result), S_OK);
        EXPECT_EQ(access->storage, static_cast<IUnknown*>(static_cast<IDispatch*>(storage.get())));
        ASSERT_NE(server, nullptr);
        ASSERT_EQ(result.vt, VT_DISPATCH);
        IKSInjection* inj = nullptr;
        ASSERT_EQ(result.pdispVal->QueryInterface(IID_IKSInjection, reinterpret_cast<void**>(&inj)), S_OK);
        LONG index = 0;
        EXPECT_EQ(inj->get_Index(&index), S_OK);
        EXPECT_EQ(index, 2);
        inj->Release();
        server->Release();
        result.clear();

        // Out server into a VARIANT by reference (which held something before).
        ks::Variant holder(static_cast<LONG>(7));
        VARIANT variantRef;
        VariantInit(&variantRef);
        variantRef.vt = VT_BYREF | VT_VARIANT;
        variantRef.pvarVal = &holder;
        EXPECT_EQ(invokeArgs(access.get(), 2, DISPATCH_METHOD, {variantRef, injection, name, stg}, &result), S_OK);
        EXPECT_EQ(holder.vt, VT_DISPATCH);
        IKSDataServer* typed = nullptr;
        ASSERT_EQ(holder.pdispVal->QueryInterface(IID_IKSDataServer, reinterpret_cast<void**>(&typed)), S_OK);
        typed->Release();
        result.clear();

        // A failing call hands nothing out and leaks nothing.
        access->fail = true;
        server = nullptr;
        EXCEPINFO ex{};
        EXPECT_EQ(invokeArgs(access.get(), 2, DISPATCH_METHOD, {serverRef, injection, name, stg}, &result, nullptr, &ex),
                  DISP_E_EXCEPTION);
        EXPECT_EQ(ex.scode, E_FAIL);
        EXPECT_EQ(server, nullptr);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(ContractInterfaceArgs, NewEnumReturnsAnUnknown)
{
    {
        ks::ComPtr<CInjections> coll;
        coll.attach(make<CInjections>());
        ks::Variant result;
        EXPECT_EQ(invokeArgs(coll.get(), DISPID_NEWENUM, DISPATCH_PROPERTYGET, {}, &result), S_OK);
        EXPECT_EQ(result.vt, VT_UNKNOWN);
        EXPECT_NE(result.punkVal, nullptr);
    }
    EXPECT_EQ(g_alive, 0);
}

}  // namespace
