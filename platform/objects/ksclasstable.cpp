#include "ksclasstable.h"

#include <mutex>
#include <vector>

namespace {
struct Registration {
    CLSID clsid;
    IUnknown* factory;
    DWORD cookie;
};
std::mutex g_mutex;
std::vector<Registration> g_table;
DWORD g_nextCookie = 1;
}  // namespace

HRESULT ksRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD* cookie)
{
    if (!factory || !cookie)
        return E_INVALIDARG;
    factory->AddRef();
    std::lock_guard<std::mutex> lock(g_mutex);
    *cookie = g_nextCookie++;
    g_table.push_back(Registration{clsid, factory, *cookie});
    return S_OK;
}

HRESULT ksRevokeClassObject(DWORD cookie)
{
    IUnknown* factory = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (auto it = g_table.begin(); it != g_table.end(); ++it) {
            if (it->cookie == cookie) {
                factory = it->factory;
                g_table.erase(it);
                break;
            }
        }
    }
    if (!factory)
        return E_INVALIDARG;
    factory->Release();
    return S_OK;
}

HRESULT ksGetRegisteredClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    IUnknown* factory = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const Registration& r : g_table) {
            if (r.clsid == clsid) {
                factory = r.factory;
                factory->AddRef();
                break;
            }
        }
    }
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}
