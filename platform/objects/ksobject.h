// Automation object templates.
//
//   class CSample : public ks::Object<ks::Dual<ISample>, ISampleOther> { ... };
//
// ks::Object implements IUnknown for every listed interface: reference
// counting, QueryInterface over the listed interfaces and the interfaces
// they derive from (declared with KS_DECLARE_INTERFACE), IDispatch resolving
// to the first listed interface that derives from it, and aggregation (an
// outer unknown that the object delegates to, with a separate
// non-delegating inner unknown). Objects are created at count 0 by
// ks::createObject (the first reference is taken by the caller's query)
// or counted by ks::createInstance, which also applies the aggregation
// rules that class factories need. A class that may be aggregated says so
// with `static constexpr bool kAggregatable = true;`.
//
// Each component has its own ks::Module (lock count and object map), since
// components are built with hidden visibility; ks::ClassFactory serves one
// class of the map. The process-wide class table of ksclasstable.h lets
// in-process classes be found without the registry.
#pragma once

#include "ksinterfaces.h"

#include <atomic>
#include <new>
#include <tuple>
#include <utility>
#include <type_traits>
#include <vector>

namespace ks {

// The interface a list entry of ks::Object implements: the entry itself, or
// what an implementation mixin (ks::Dual<I>, ks::ConnectionPointContainer)
// names as KsImplementedInterface.
template <class T, class = void>
struct ImplementedInterface {
    using type = T;
};
template <class T>
struct ImplementedInterface<T, std::void_t<typename T::KsImplementedInterface>> {
    using type = typename T::KsImplementedInterface;
};

namespace detail {
// The address of interface I (or of one it derives from, below IDispatch)
// whose IID is riid, or null.
template <class I>
void* castToIid(I* p, REFIID riid)
{
    if constexpr (std::is_same_v<I, IUnknown> || std::is_same_v<I, IDispatch> || std::is_same_v<I, void>) {
        (void)p;
        (void)riid;
        return nullptr;
    } else {
        if (riid == InterfaceTraits<I>::iid)
            return p;
        using B = typename InterfaceTraits<I>::Base;
        return castToIid<B>(static_cast<B*>(p), riid);
    }
}
}  // namespace detail

// Lock count and object map of one component (or of the executable).
class Module {
public:
    using Creator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);
    // Writes (true) or removes (false) a class's registry entries; the
    // registration services call it for every class of the map.
    using Registrar = HRESULT (*)(bool registering);
    struct ClassEntry {
        CLSID clsid;
        Creator create;
        Registrar updateRegistry;  // null when the class registers nothing
    };

    LONG lock() { return ++m_locks; }
    LONG unlock() { return --m_locks; }
    LONG lockCount() const { return m_locks.load(); }

    // Adds a creatable class to the object map.
    void addClass(REFCLSID clsid, Creator create, Registrar updateRegistry = nullptr)
    {
        m_classes.push_back(ClassEntry{clsid, create, updateRegistry});
    }
    const std::vector<ClassEntry>& classes() const { return m_classes; }
    const ClassEntry* findClass(REFCLSID clsid) const
    {
        for (const ClassEntry& e : m_classes)
            if (e.clsid == clsid)
                return &e;
        return nullptr;
    }

    // DllGetClassObject: a new class factory for a class of the map;
    // CLASS_E_CLASSNOTAVAILABLE for any other class. (This and the class
    // table functions below are defined in ksclassfactory.h.)
    HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** ppv);
    // DllCanUnloadNow: S_OK when no object or lock is outstanding.
    HRESULT canUnloadNow() const { return m_locks.load() == 0 ? S_OK : S_FALSE; }
    // Puts the factories of every mapped class into the process-wide class
    // table (for classes linked into a program); revoke takes them out.
    HRESULT registerClassObjects();
    void revokeClassObjects();

private:
    std::atomic<LONG> m_locks{0};
    std::vector<ClassEntry> m_classes;
    std::vector<DWORD> m_cookies;
};

// The module of the calling component (one per shared library built with
// hidden visibility; one for ksplatform and the programs that link it).
inline Module& module()
{
    static Module instance;
    return instance;
}

template <class... Entries>
class Object : public Entries... {
    static_assert(sizeof...(Entries) > 0, "an object answers at least one interface");

public:
    static constexpr bool kAggregatable = false;
    static constexpr bool kLocksModule = true;

    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // IUnknown of every listed interface: delegates to the outer unknown
    // when aggregated.
    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        return m_outer ? m_outer->QueryInterface(riid, ppv) : InternalQueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return m_outer ? m_outer->AddRef() : InternalAddRef(); }
    ULONG Release() override { return m_outer ? m_outer->Release() : InternalRelease(); }

    // Non-delegating IUnknown.
    HRESULT InternalQueryInterface(REFIID riid, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        void* p = nullptr;
        if (riid == IID_IUnknown)
            p = m_outer ? static_cast<IUnknown*>(&m_inner) : GetUnknown();
        else if (riid == IID_IDispatch)
            p = firstDispatch<Entries...>();
        else
            p = findListed<Entries...>(riid);
        if (!p)
            return QueryInterfaceExtra(riid, ppv);
        static_cast<IUnknown*>(p)->AddRef();
        *ppv = p;
        return S_OK;
    }
    ULONG InternalAddRef() { return ++m_refs; }
    ULONG InternalRelease()
    {
        ULONG r = --m_refs;
        if (r == 0) {
            m_refs = kDestroying;  // calls back during FinalRelease do not delete twice
            FinalRelease();
            delete this;
        }
        return r;
    }

    // Identity: the first listed interface as IUnknown (never the outer).
    IUnknown* GetUnknown()
    {
        using First = std::tuple_element_t<0, std::tuple<Entries...>>;
        using I = typename ImplementedInterface<First>::type;
        return static_cast<IUnknown*>(static_cast<I*>(static_cast<First*>(this)));
    }
    // The unknown that identifies the object to clients: the outer one when
    // aggregated.
    IUnknown* GetControllingUnknown() { return m_outer ? m_outer : GetUnknown(); }
    // The non-delegating unknown an aggregator holds.
    IUnknown* GetInnerUnknown() { return &m_inner; }
    bool IsAggregated() const { return m_outer != nullptr; }
    ULONG RefCount() const { return m_refs.load(); }

    // Called once after construction (count held at 1 meanwhile); a
    // failure destroys the object and is the creation result.
    virtual HRESULT FinalConstruct() { return S_OK; }
    // Called before the object is deleted.
    virtual void FinalRelease() {}

    // Internal: set by the creation functions.
    void ksSetOuter(IUnknown* outer) { m_outer = outer; }
    void ksReleaseConstructionRef() { --m_refs; }
    void ksSetLocksModule(bool locks)
    {
        m_locksModule = locks;
        if (locks)
            module().lock();
    }

protected:
    virtual ~Object()
    {
        if (m_locksModule)
            module().unlock();
    }
    // Interfaces beyond the list (tear-offs, an aggregated inner object).
    // *ppv is null on entry; answer E_NOINTERFACE when nothing fits.
    virtual HRESULT QueryInterfaceExtra(REFIID, void**) { return E_NOINTERFACE; }

private:
    static constexpr ULONG kDestroying = 0x40000000u;

    struct InnerUnknown final : public IUnknown {
        Object* self;
        explicit InnerUnknown(Object* s) : self(s) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override { return self->InternalQueryInterface(riid, ppv); }
        ULONG AddRef() override { return self->InternalAddRef(); }
        ULONG Release() override { return self->InternalRelease(); }
    };

    template <class E, class... Rest>
    void* firstDispatch()
    {
        using I = typename ImplementedInterface<E>::type;
        if constexpr (std::is_base_of_v<IDispatch, I>)
            return static_cast<IDispatch*>(static_cast<I*>(static_cast<E*>(this)));
        else if constexpr (sizeof...(Rest) > 0)
            return firstDispatch<Rest...>();
        else
            return nullptr;
    }

    template <class E, class... Rest>
    void* findListed(REFIID riid)
    {
        using I = typename ImplementedInterface<E>::type;
        if (void* p = detail::castToIid<I>(static_cast<I*>(static_cast<E*>(this)), riid))
            return p;
        if constexpr (sizeof...(Rest) > 0)
            return findListed<Rest...>(riid);
        else
            return nullptr;
    }

    std::atomic<ULONG> m_refs{0};
    IUnknown* m_outer = nullptr;
    InnerUnknown m_inner{this};
    bool m_locksModule = false;
};

// Creates an object at count 0 (FinalConstruct done). The caller takes the
// first reference with QueryInterface or AddRef.
template <class T, class... Args>
HRESULT createObject(T** pp, Args&&... args)
{
    if (!pp)
        return E_POINTER;
    *pp = nullptr;
    T* p = new (std::nothrow) T(std::forward<Args>(args)...);
    if (!p)
        return E_OUTOFMEMORY;
    p->ksSetLocksModule(T::kLocksModule);
    p->InternalAddRef();
    HRESULT hr = p->FinalConstruct();
    if (FAILED(hr)) {
        p->InternalRelease();  // deletes
        return hr;
    }
    // Back to 0 without deleting.
    p->ksReleaseConstructionRef();
    *pp = p;
    return S_OK;
}

// Creates an object and answers the interface asked for, as a class
// factory does: with an outer unknown, only aggregatable classes and only
// for IID_IUnknown (else CLASS_E_NOAGGREGATION), answering the inner
// unknown. A failed query destroys the new object.
template <class T>
HRESULT createInstance(IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (outer && (!T::kAggregatable || riid != IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    T* p = new (std::nothrow) T();
    if (!p)
        return E_OUTOFMEMORY;
    p->ksSetOuter(outer);
    p->ksSetLocksModule(T::kLocksModule);
    p->InternalAddRef();
    HRESULT hr = p->FinalConstruct();
    if (FAILED(hr)) {
        p->InternalRelease();
        return hr;
    }
    hr = p->InternalQueryInterface(riid, ppv);
    // Drops the construction reference; deletes when the query failed.
    p->InternalRelease();
    return hr;
}

}  // namespace ks
