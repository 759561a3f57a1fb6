// The fake data servers of fakeservers.h.
#include "fakeservers.h"

#include "kscontract.h"
#include "kstestfakes.h"
#include "ksregistrar.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::atomic<int> g_instances{0};

std::wstring scriptKey(int slot)
{
    return std::wstring(kFakeScriptKey) + L"\\Server" + std::to_wstring(slot);
}

DWORD scriptNumber(int slot, const wchar_t* name, DWORD fallback)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, scriptKey(slot).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    DWORD value = 0, size = sizeof value, type = 0;
    const LONG err = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return err == ERROR_SUCCESS && type == REG_DWORD ? value : fallback;
}

std::wstring scriptText(int slot, const wchar_t* name, const std::wstring& fallback)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, scriptKey(slot).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    wchar_t buf[1024] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    const LONG err = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return err == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buf) : fallback;
}

void logEvent(const char* event, int slot, int instance, BSTR path = nullptr)
{
    const char* dir = std::getenv("TMPDIR");
    const std::string file = std::string(dir ? dir : ".") + "/fakeservers.log";
    if (FILE* f = std::fopen(file.c_str(), "a")) {
        std::string text;
        for (const wchar_t* p = path; p && *p; ++p)
            text += static_cast<char>(*p < 128 ? *p : '?');
        std::fprintf(f, "%s %d %d%s%s\n", event, slot, instance, path ? " " : "", text.c_str());
        std::fclose(f);
    }
}

// Creations of a slot so far in this test's log.
int loggedCreations(int slot)
{
    const char* dir = std::getenv("TMPDIR");
    const std::string file = std::string(dir ? dir : ".") + "/fakeservers.log";
    FILE* f = std::fopen(file.c_str(), "r");
    if (!f)
        return 0;
    const std::string wanted = "create " + std::to_string(slot) + " ";
    int count = 0;
    char line[512];
    while (std::fgets(line, sizeof line, f))
        if (std::string(line).rfind(wanted, 0) == 0)
            ++count;
    std::fclose(f);
    return count;
}

HRESULT copyText(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

struct FunctionSpec {
    std::wstring name;
    LONG type = 0;
    LONG order = 0;
    LONG polarity = 0;
};

std::vector<FunctionSpec> parseFunctions(const std::wstring& text)
{
    std::vector<FunctionSpec> list;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring item = text.substr(start, end - start);
        FunctionSpec spec;
        size_t p1 = item.find(L','), p2 = item.find(L',', p1 + 1), p3 = item.find(L',', p2 + 1);
        spec.name = item.substr(0, p1);
        if (p3 != std::wstring::npos) {
            spec.type = std::stol(item.substr(p1 + 1, p2 - p1 - 1));
            spec.order = std::stol(item.substr(p2 + 1, p3 - p2 - 1));
            spec.polarity = std::stol(item.substr(p3 + 1));
        }
        list.push_back(spec);
        start = end + 1;
    }
    return list;
}

// The shared stub, described by a parsed spec.
class FakeFunction : public ks::test::StubFunction {
public:
    void init(const FunctionSpec& spec, LONG functionIndex, bool failName)
    {
        name = spec.name;
        type = spec.type;
        order = spec.order;
        polarity = spec.polarity;
        index = functionIndex;
        nameFails = failName;
    }
};

template <class T>
HRESULT newObject(T** pp)
{
    HRESULT hr = ks::createObject(pp);
    if (SUCCEEDED(hr))
        (*pp)->AddRef();
    return hr;
}

class FakeFunctions : public ks::Object<ks::Dual<IKSFunctions>> {
public:
    void init(int slot) { m_slot = slot; }
    HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT get_Item(LONG Index, IKSFunction** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        const std::vector<FunctionSpec> list = functions();
        if (Index < 1 || Index > static_cast<LONG>(list.size()))
            return DISP_E_BADINDEX;
        if (static_cast<DWORD>(Index) == scriptNumber(m_slot, L"FailItem", 0))
            return E_FAIL;
        FakeFunction* f = nullptr;
        HRESULT hr = newObject(&f);
        if (FAILED(hr))
            return hr;
        f->init(list[Index - 1], Index, static_cast<DWORD>(Index) == scriptNumber(m_slot, L"FailName", 0));
        *pp = f;
        return S_OK;
    }
    HRESULT get_Count(LONG* p) override
    {
        return p ? (*p = static_cast<LONG>(functions().size()), S_OK) : E_POINTER;
    }

private:
    std::vector<FunctionSpec> functions() const
    {
        return parseFunctions(scriptText(m_slot, L"Functions", L"MS,1,1,1"));
    }
    int m_slot = 0;
};

class FakeInjection : public ks::Object<ks::Dual<IKSInjection>> {
public:
    void init(int slot, LONG index)
    {
        m_slot = slot;
        m_index = index;
    }
    HRESULT get_Functions(IKSFunctions** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        const HRESULT scripted = static_cast<HRESULT>(scriptNumber(m_slot, L"FunctionsResult", S_OK));
        if (FAILED(scripted))
            return scripted;
        FakeFunctions* f = nullptr;
        HRESULT hr = newObject(&f);
        if (FAILED(hr))
            return hr;
        f->init(m_slot);
        *pp = f;
        return S_OK;
    }
    HRESULT get_Traces(IKSTraces**) override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR* p) override { return copyText(L"Injection " + std::to_wstring(m_index), p); }
    HRESULT get_Index(LONG* p) override { return p ? (*p = m_index, S_OK) : E_POINTER; }

private:
    int m_slot = 0;
    LONG m_index = 0;
};

class FakeInjections : public ks::Object<ks::Dual<IKSInjections>> {
public:
    void init(int slot) { m_slot = slot; }
    HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT get_Item(LONG Index, IKSInjection** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        if (Index < 1 || Index > static_cast<LONG>(scriptNumber(m_slot, L"Injections", 1)))
            return DISP_E_BADINDEX;
        FakeInjection* inj = nullptr;
        HRESULT hr = newObject(&inj);
        if (FAILED(hr))
            return hr;
        inj->init(m_slot, Index);
        *pp = inj;
        return S_OK;
    }
    HRESULT get_Count(LONG* p) override
    {
        return p ? (*p = static_cast<LONG>(scriptNumber(m_slot, L"Injections", 1)), S_OK) : E_POINTER;
    }

private:
    int m_slot = 0;
};

// The parts every slot shares.
template <int Slot, class... Extra>
class FakeServerBase : public ks::Object<ks::Dual<IKSDataServer>, ks::Dual<IKSDataServer3>, Extra...> {
public:
    HRESULT FinalConstruct() override
    {
        HRESULT scripted = static_cast<HRESULT>(scriptNumber(Slot, L"CreateResult", S_OK));
        if (FAILED(scripted))
            return scripted;
        const DWORD limit = scriptNumber(Slot, L"CreateLimit", 0);
        if (limit && loggedCreations(Slot) >= static_cast<int>(limit))
            return E_OUTOFMEMORY;
        m_instance = ++g_instances;
        logEvent("create", Slot, m_instance);
        return S_OK;
    }
    void FinalRelease() override
    {
        if (m_instance)
            logEvent("release", Slot, m_instance);
    }

    HRESULT CurrentDataset(BSTR* p) override { return copyText(m_path, p); }
    HRESULT DatasetType(BSTR* p) override { return copyText(L"Fake " + std::to_wstring(Slot), p); }
    HRESULT IsValidDataset(BSTR Path, LONG* p) override
    {
        logEvent("valid", Slot, m_instance, Path);
        if (!p)
            return E_POINTER;
        *p = 0;
        const HRESULT scripted = static_cast<HRESULT>(scriptNumber(Slot, L"ValidResult", S_OK));
        if (FAILED(scripted))
            return scripted;
        *p = static_cast<LONG>(scriptNumber(Slot, L"Valid", 0));
        return S_OK;
    }
    HRESULT Open(BSTR Path) override
    {
        logEvent("open", Slot, m_instance, Path);
        const HRESULT scripted = static_cast<HRESULT>(scriptNumber(Slot, L"OpenResult", S_OK));
        if (SUCCEEDED(scripted)) {
            m_path.assign(Path ? Path : L"", SysStringLen(Path));
            m_open = true;
        }
        return scripted;
    }
    HRESULT Close() override
    {
        m_open = false;
        return S_OK;
    }
    HRESULT get_Injections(IKSInjections** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        if (!m_open)
            return E_FAIL;
        FakeInjections* injs = nullptr;
        HRESULT hr = newObject(&injs);
        if (FAILED(hr))
            return hr;
        injs->init(Slot);
        *pp = injs;
        return S_OK;
    }
    HRESULT get_InjectionCountFromPath(BSTR Path, LONG* p) override
    {
        logEvent("count", Slot, m_instance, Path);
        return p ? (*p = static_cast<LONG>(scriptNumber(Slot, L"Injections", 1)), S_OK) : E_POINTER;
    }
    HRESULT get_ClassID(BSTR* p) override { return copyText(ks::guidToString(fakeServerClsid(Slot)), p); }

    static HRESULT UpdateRegistry(bool registering)
    {
        return ks::updateClassRegistry(
            registering, ks::classRegistration(L"KSDataAccessTest", L"Server" + std::to_wstring(Slot),
                                               fakeServerClsid(Slot)));
    }

protected:
    int m_instance = 0;
    std::wstring m_path;
    bool m_open = false;
};

template <int Slot>
class FakeServer : public FakeServerBase<Slot> {};

template <int Slot>
class FakeStorageServer : public FakeServerBase<Slot, ks::Dual<IKSDataServer2>> {
public:
    HRESULT OpenFromStorage(IUnknown* stg, BSTR name) override
    {
        logEvent("storage", Slot, this->m_instance, name);
        if (!stg)
            return E_INVALIDARG;
        const HRESULT scripted = static_cast<HRESULT>(scriptNumber(Slot, L"OpenResult", S_OK));
        if (SUCCEEDED(scripted)) {
            this->m_path.assign(name ? name : L"", SysStringLen(name));
            this->m_open = true;
        }
        return scripted;
    }
};

KS_OBJECT_ENTRY(fakeServerClsid(1), FakeServer<1>);
KS_OBJECT_ENTRY(fakeServerClsid(2), FakeServer<2>);
KS_OBJECT_ENTRY(fakeServerClsid(3), FakeServer<3>);
KS_OBJECT_ENTRY(fakeServerClsid(4), FakeServer<4>);
KS_OBJECT_ENTRY(fakeServerClsid(5), FakeServer<5>);
KS_OBJECT_ENTRY(fakeServerClsid(6), FakeServer<6>);
KS_OBJECT_ENTRY(fakeServerClsid(7), FakeStorageServer<7>);
KS_OBJECT_ENTRY(fakeServerClsid(8), FakeStorageServer<8>);

HRESULT registerServer()
{
    return ks::registerServer();
}

HRESULT unregisterServer()
{
    return ks::unregisterServer();
}

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
