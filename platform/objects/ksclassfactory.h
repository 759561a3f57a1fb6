// Class factory over one creation function of a module's object map, and
// the module functions that hand factories out.
#pragma once

#include "ksclasstable.h"
#include "ksobject.h"

namespace ks {

class ClassFactory : public Object<IClassFactory> {
public:
    // Factories do not keep their module loaded; LockServer does.
    static constexpr bool kLocksModule = false;

    explicit ClassFactory(Module::Creator create) : m_create(create) {}

    // CLASS_E_NOAGGREGATION for an outer unknown when the class is not
    // aggregatable (the creation function decides).
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        return m_create(outer, riid, ppv);
    }
    HRESULT LockServer(BOOL fLock) override
    {
        if (fLock)
            module().lock();
        else
            module().unlock();
        return S_OK;
    }

private:
    Module::Creator m_create;
};

inline HRESULT Module::getClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    const ClassEntry* entry = findClass(clsid);
    if (!entry)
        return CLASS_E_CLASSNOTAVAILABLE;
    ClassFactory* factory = nullptr;
    HRESULT hr = createObject(&factory, entry->create);
    if (FAILED(hr))
        return hr;
    factory->InternalAddRef();
    hr = factory->InternalQueryInterface(riid, ppv);
    factory->InternalRelease();
    return hr;
}

inline HRESULT Module::registerClassObjects()
{
    for (const ClassEntry& e : m_classes) {
        void* factory = nullptr;
        HRESULT hr = getClassObject(e.clsid, IID_IUnknown, &factory);
        if (FAILED(hr))
            return hr;
        DWORD cookie = 0;
        hr = ksRegisterClassObject(e.clsid, static_cast<IUnknown*>(factory), &cookie);
        static_cast<IUnknown*>(factory)->Release();
        if (FAILED(hr))
            return hr;
        m_cookies.push_back(cookie);
    }
    return S_OK;
}

inline void Module::revokeClassObjects()
{
    for (DWORD cookie : m_cookies)
        ksRevokeClassObject(cookie);
    m_cookies.clear();
}

// Adds a class to the module's object map when the library is loaded:
//   KS_OBJECT_ENTRY(CLSID_Sample, CSample)
// A class with `static HRESULT UpdateRegistry(bool registering)` has it
// recorded as its registrar.
struct ObjectEntryRegistrar {
    ObjectEntryRegistrar(REFCLSID clsid, Module::Creator create, Module::Registrar updateRegistry)
    {
        module().addClass(clsid, create, updateRegistry);
    }
};

template <class T, class = void>
struct RegistrarOf {
    static constexpr Module::Registrar value = nullptr;
};
template <class T>
struct RegistrarOf<T, std::void_t<decltype(&T::UpdateRegistry)>> {
    static constexpr Module::Registrar value = &T::UpdateRegistry;
};

}  // namespace ks

#define KS_OBJECT_ENTRY_CAT2(a, b) a##b
#define KS_OBJECT_ENTRY_CAT(a, b) KS_OBJECT_ENTRY_CAT2(a, b)
#define KS_OBJECT_ENTRY(clsid, Class)                                                    \
    static ::ks::ObjectEntryRegistrar KS_OBJECT_ENTRY_CAT(ksObjectEntry_, __LINE__)(     \
        clsid, &::ks::createInstance<Class>, ::ks::RegistrarOf<Class>::value)

// Defines a component's DllGetClassObject and DllCanUnloadNow over its
// module (registration entry points come with the activation services).
#define KS_IMPLEMENT_CLASS_OBJECT_ENTRY_POINTS()                                                        \
    extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, \
                                                                                 void** ppv)             \
    {                                                                                                   \
        return ::ks::module().getClassObject(clsid, riid, ppv);                                         \
    }                                                                                                   \
    extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow()                         \
    {                                                                                                   \
        return ::ks::module().canUnloadNow();                                                           \
    }
