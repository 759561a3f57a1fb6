#include "sample.h"

#include "kscomptr.h"

#include <gtest/gtest.h>

using sample::CSample;

namespace {

struct IOuterOnly : public IUnknown {
    virtual HRESULT Outer(LONG* p) = 0;
};
}  // namespace
KS_DECLARE_INTERFACE(IOuterOnly, IUnknown, "0B8C1D0E-1A3B-4C5D-8E9F-101112131418")

namespace {

int g_inner = 0;
int g_outer = 0;

class CInner : public ks::Object<IOther> {
public:
    static constexpr bool kAggregatable = true;
    CInner() { ++g_inner; }
    ~CInner() override { --g_inner; }
    HRESULT Ping(LONG* p) override
    {
        *p = 99;
        return S_OK;
    }
};

class COuter : public ks::Object<IOuterOnly> {
public:
    COuter() { ++g_outer; }
    ~COuter() override { --g_outer; }
    HRESULT FinalConstruct() override
    {
        return ks::createInstance<CInner>(GetControllingUnknown(), IID_IUnknown, m_inner.out());
    }
    void FinalRelease() override { m_inner.reset(); }
    HRESULT Outer(LONG* p) override
    {
        *p = 5;
        return S_OK;
    }

protected:
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) override { return m_inner->QueryInterface(riid, ppv); }

private:
    ks::ComPtr<IUnknown> m_inner;
};

class CFailing : public ks::Object<IOther> {
public:
    HRESULT FinalConstruct() override { return E_ACCESSDENIED; }
    HRESULT Ping(LONG*) override { return S_OK; }
};

int g_registrations = 0;

class CRegistered : public ks::Object<IOther> {
public:
    static HRESULT UpdateRegistry(bool registering)
    {
        g_registrations += registering ? 1 : -1;
        return S_OK;
    }
    HRESULT Ping(LONG*) override { return S_OK; }
};

constexpr CLSID kSampleClsid = ks::guid("6D1A2B3C-0000-4000-8000-0000000000A1");
constexpr CLSID kRegisteredClsid = ks::guid("6D1A2B3C-0000-4000-8000-0000000000A3");
KS_OBJECT_ENTRY(kRegisteredClsid, CRegistered);
constexpr CLSID kMappedClsid = ks::guid("6D1A2B3C-0000-4000-8000-0000000000A2");
KS_OBJECT_ENTRY(kMappedClsid, CSample);

}  // namespace

TEST(Object, QueryInterfaceIdentityAndFirstDispatch)
{
    ks::ComPtr<ISample2> s2;
    ASSERT_EQ(ks::createInstance<CSample>(nullptr, KS_IID(ISample2), s2.out()), S_OK);
    ks::ComPtr<IUnknown> u1, u2;
    ASSERT_EQ(s2.queryInterface(u1), S_OK);
    ks::ComPtr<IOther> other;
    ASSERT_EQ(s2.queryInterface(other), S_OK);
    ASSERT_EQ(other.queryInterface(u2), S_OK);
    EXPECT_EQ(u1.get(), u2.get());  // one identity whatever is asked

    // IDispatch is the first listed interface; its base ISample resolves
    // to the same object part.
    ks::ComPtr<IDispatch> d;
    ASSERT_EQ(other.queryInterface(d), S_OK);
    EXPECT_EQ(static_cast<void*>(d.get()), static_cast<void*>(static_cast<IDispatch*>(s2.get())));
    ks::ComPtr<ISample> s1;
    ASSERT_EQ(other.queryInterface(s1), S_OK);
    EXPECT_EQ(static_cast<void*>(s1.get()), static_cast<void*>(static_cast<ISample*>(s2.get())));

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(s2->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(s2->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(Object, CreatedAtCountZeroAndDeletedWithTheLastRelease)
{
    int before = sample::g_alive;
    LONG locks = ks::module().lockCount();
    CSample* raw = nullptr;
    ASSERT_EQ(ks::createObject(&raw), S_OK);
    EXPECT_EQ(raw->RefCount(), 0u);
    EXPECT_EQ(ks::module().lockCount(), locks + 1);  // a living object keeps its module
    ISample* s = nullptr;
    ASSERT_EQ(raw->QueryInterface(KS_IID(ISample), reinterpret_cast<void**>(&s)), S_OK);
    EXPECT_EQ(raw->RefCount(), 1u);
    EXPECT_EQ(sample::g_alive, before + 1);
    EXPECT_EQ(s->Release(), 0u);
    EXPECT_EQ(sample::g_alive, before);
    EXPECT_EQ(ks::module().lockCount(), locks);

    IOther* o = reinterpret_cast<IOther*>(1);
    EXPECT_EQ(ks::createInstance<CFailing>(nullptr, KS_IID(IOther), reinterpret_cast<void**>(&o)), E_ACCESSDENIED);
    EXPECT_EQ(o, nullptr);
    EXPECT_EQ(ks::module().lockCount(), locks);
}

TEST(Object, AggregationDelegatesAndKeepsTheOuterIdentity)
{
    {
        ks::ComPtr<IOuterOnly> outer;
        ASSERT_EQ(ks::createInstance<COuter>(nullptr, KS_IID(IOuterOnly), outer.out()), S_OK);
        EXPECT_EQ(g_inner, 1);

        // The outer answers the inner's interface through delegation ...
        ks::ComPtr<IOther> other;
        ASSERT_EQ(outer.queryInterface(other), S_OK);
        LONG v = 0;
        other->Ping(&v);
        EXPECT_EQ(v, 99);
        // ... and the inner's interface reports the outer's identity and
        // interfaces.
        ks::ComPtr<IUnknown> fromInner, fromOuter;
        ASSERT_EQ(other.queryInterface(fromInner), S_OK);
        ASSERT_EQ(outer.queryInterface(fromOuter), S_OK);
        EXPECT_EQ(fromInner.get(), fromOuter.get());
        ks::ComPtr<IOuterOnly> back;
        ASSERT_EQ(other.queryInterface(back), S_OK);
        EXPECT_EQ(back.get(), outer.get());
        // Counting goes to the outer object.
        ULONG afterAdd = other->AddRef();
        EXPECT_EQ(other->Release(), afterAdd - 1);
        ks::ComPtr<IClassFactory> nothing;
        EXPECT_EQ(other.queryInterface(nothing), E_NOINTERFACE);
    }
    EXPECT_EQ(g_inner, 0);
    EXPECT_EQ(g_outer, 0);
}

TEST(Object, AggregationRules)
{
    CSample* host = nullptr;
    ASSERT_EQ(ks::createObject(&host), S_OK);
    host->InternalAddRef();
    IUnknown* outer = host->GetUnknown();
    void* p = reinterpret_cast<void*>(1);
    // A class that is not aggregatable refuses an outer unknown.
    EXPECT_EQ(ks::createInstance<CSample>(outer, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
    // An aggregatable one must be asked for IUnknown.
    EXPECT_EQ(ks::createInstance<CInner>(outer, KS_IID(IOther), &p), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(ks::createInstance<CInner>(outer, IID_IUnknown, &p), S_OK);
    auto* inner = static_cast<IUnknown*>(p);
    ks::ComPtr<IOther> o;
    ASSERT_EQ(o.queryFrom(inner), S_OK);  // the inner unknown answers for itself
    o.reset();
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(g_inner, 0);
    host->InternalRelease();
}

TEST(Object, ClassFactoryModuleAndClassTable)
{
    ks::Module& m = ks::module();
    ks::ComPtr<IClassFactory> factory;
    EXPECT_EQ(m.getClassObject(kSampleClsid, IID_IClassFactory, factory.out()), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(m.getClassObject(kMappedClsid, IID_IClassFactory, factory.out()), S_OK);

    LONG locks = m.lockCount();
    ks::ComPtr<ISample> s;
    ks::ComPtr<IUnknown> someOuter;
    ASSERT_EQ(factory->CreateInstance(nullptr, KS_IID(ISample), s.out()), S_OK);
    EXPECT_EQ(m.canUnloadNow(), S_FALSE);
    ASSERT_EQ(s.queryInterface(someOuter), S_OK);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(someOuter, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(p, nullptr);
    s.reset();
    someOuter.reset();
    EXPECT_EQ(m.lockCount(), locks);  // the factory itself holds no lock
    factory->LockServer(TRUE);
    EXPECT_EQ(m.lockCount(), locks + 1);
    factory->LockServer(FALSE);
    EXPECT_EQ(m.lockCount(), locks);

    p = nullptr;
    EXPECT_EQ(ksGetRegisteredClassObject(kMappedClsid, IID_IClassFactory, &p), REGDB_E_CLASSNOTREG);
    ASSERT_EQ(m.registerClassObjects(), S_OK);
    ks::ComPtr<IClassFactory> registered;
    ASSERT_EQ(ksGetRegisteredClassObject(kMappedClsid, IID_IClassFactory, registered.out()), S_OK);
    ks::ComPtr<IOther> viaTable;
    ASSERT_EQ(registered->CreateInstance(nullptr, KS_IID(IOther), viaTable.out()), S_OK);
    viaTable.reset();
    registered.reset();
    m.revokeClassObjects();
    p = nullptr;
    EXPECT_EQ(ksGetRegisteredClassObject(kMappedClsid, IID_IClassFactory, &p), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(ksRevokeClassObject(12345), E_INVALIDARG);
}

TEST(Object, ObjectMapCarriesTheRegistrars)
{
    const ks::Module::ClassEntry* plain = ks::module().findClass(kMappedClsid);
    const ks::Module::ClassEntry* registered = ks::module().findClass(kRegisteredClsid);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(plain->updateRegistry, nullptr);
    ASSERT_NE(registered->updateRegistry, nullptr);
    EXPECT_EQ(registered->updateRegistry(true), S_OK);
    EXPECT_EQ(g_registrations, 1);
    EXPECT_EQ(registered->updateRegistry(false), S_OK);
    EXPECT_EQ(g_registrations, 0);
    EXPECT_EQ(ks::module().findClass(kSampleClsid), nullptr);
}
