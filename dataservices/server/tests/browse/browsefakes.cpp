#include "browsefakes.h"

#include "ksactivation.h"
#include "kstestfakes.h"
#include "ksclasstable.h"
#include "ksfiles.h"
#include "providerregistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>

const CLSID kFakeBrowseServerClsid = {0x5EC0B120u, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0x0B, 0x01}};

std::vector<FakeFunctionSpec> FakeBrowseServers::functions;
std::vector<std::wstring> FakeBrowseServers::log;
int FakeBrowseServers::alive = 0;

void FakeBrowseServers::reset()
{
    functions = {{L"MS", 1, 1, 1}};
    log.clear();
}

namespace {

const CLSID kFakeProviderClsid = {0x5EC0B120u, 0x7E57, 0x4000, {0x80, 0, 0, 0, 0, 0, 0x0B, 0x02}};

std::wstring lowered(std::wstring s)
{
    return ks::foldCase(s);
}

bool endsWith(const std::wstring& s, const std::wstring& tail)
{
    const std::wstring l = lowered(s);
    return l.size() >= tail.size() && l.compare(l.size() - tail.size(), tail.size(), tail) == 0;
}

std::wstring fileName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Injections a path has for the fake reader; 0: not a dataset.
LONG injectionsOf(const std::wstring& path)
{
    if (endsWith(path, L".ds3"))
        return 3;
    if (endsWith(path, L".ds") || endsWith(path, L".txt"))
        return 1;
    return 0;
}

HRESULT copyText(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

template <class T>
HRESULT newObject(T** pp)
{
    HRESULT hr = ks::createObject(pp);
    if (SUCCEEDED(hr))
        (*pp)->AddRef();
    return hr;
}

// The shared stub, described by a spec of the fake platform.
class FakeFunction : public ks::test::StubFunction {
public:
    void init(const FakeFunctionSpec& spec, LONG functionIndex)
    {
        name = spec.name;
        type = spec.type;
        order = spec.order;
        polarity = spec.polarity;
        index = functionIndex;
        nameFails = spec.fails;
    }
};

class FakeFunctions : public ks::Object<ks::Dual<IKSFunctions>> {
public:
    HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT get_Item(LONG Index, IKSFunction** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        const auto& list = FakeBrowseServers::functions;
        if (Index < 1 || Index > static_cast<LONG>(list.size()))
            return DISP_E_BADINDEX;
        FakeFunction* f = nullptr;
        HRESULT hr = newObject(&f);
        if (FAILED(hr))
            return hr;
        f->init(list[static_cast<size_t>(Index - 1)], Index);
        *pp = f;
        return S_OK;
    }
    HRESULT get_Count(LONG* p) override
    {
        return p ? (*p = static_cast<LONG>(FakeBrowseServers::functions.size()), S_OK) : E_POINTER;
    }
};

const wchar_t* const kInjectionNames[3] = {L"Zeta", L"Alpha", L"Mid"};

class FakeInjection : public ks::Object<ks::Dual<IKSInjection>> {
public:
    LONG index = 0;
    LONG count = 1;
    HRESULT get_Functions(IKSFunctions** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        FakeFunctions* f = nullptr;
        HRESULT hr = newObject(&f);
        if (SUCCEEDED(hr))
            *pp = f;
        return hr;
    }
    HRESULT get_Traces(IKSTraces**) override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR* p) override
    {
        return copyText(count == 3 ? kInjectionNames[index - 1] : L"Injection " + std::to_wstring(index), p);
    }
    HRESULT get_Index(LONG* p) override { return p ? (*p = index, S_OK) : E_POINTER; }
};

class FakeInjections : public ks::Object<ks::Dual<IKSInjections>> {
public:
    std::wstring path;
    LONG count = 1;
    HRESULT get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT get_Item(LONG Index, IKSInjection** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        if (Index < 1 || Index > count)
            return DISP_E_BADINDEX;
        FakeBrowseServers::log.push_back(L"injection " + path + L" " + std::to_wstring(Index));
        FakeInjection* inj = nullptr;
        HRESULT hr = newObject(&inj);
        if (FAILED(hr))
            return hr;
        inj->index = Index;
        inj->count = count;
        *pp = inj;
        return S_OK;
    }
    HRESULT get_Count(LONG* p) override { return p ? (*p = count, S_OK) : E_POINTER; }
};

class FakeBrowseServer : public ks::Object<ks::Dual<IKSDataServer>> {
public:
    HRESULT FinalConstruct() override
    {
        ++FakeBrowseServers::alive;
        return S_OK;
    }
    void FinalRelease() override { --FakeBrowseServers::alive; }

    HRESULT CurrentDataset(BSTR* p) override { return copyText(m_path, p); }
    HRESULT DatasetType(BSTR* p) override { return copyText(L"Fake", p); }
    HRESULT IsValidDataset(BSTR Path, LONG* p) override
    {
        if (!p)
            return E_POINTER;
        *p = injectionsOf(std::wstring(Path ? Path : L"")) > 0 ? 1 : 0;
        return S_OK;
    }
    HRESULT Open(BSTR Path) override
    {
        const std::wstring path(Path ? Path : L"");
        FakeBrowseServers::log.push_back(L"open " + path);
        const std::wstring name = lowered(fileName(path));
        if (injectionsOf(path) == 0 || name == L"bad.ds3" || name == L"fail.ds")
            return E_FAIL;
        m_path = path;
        return S_OK;
    }
    HRESULT Close() override
    {
        m_path.clear();
        return S_OK;
    }
    HRESULT get_Injections(IKSInjections** pp) override
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        if (m_path.empty())
            return E_FAIL;
        FakeInjections* injs = nullptr;
        HRESULT hr = newObject(&injs);
        if (FAILED(hr))
            return hr;
        injs->path = m_path;
        injs->count = injectionsOf(m_path);
        *pp = injs;
        return S_OK;
    }
    HRESULT get_InjectionCountFromPath(BSTR Path, LONG* p) override
    {
        return p ? (*p = injectionsOf(std::wstring(Path ? Path : L"")), S_OK) : E_POINTER;
    }

private:
    std::wstring m_path;
};

}  // namespace

KS_OBJECT_ENTRY(kFakeBrowseServerClsid, FakeBrowseServer);

namespace {

void writeFakeProviderKey()
{
    CKSProviderDescriptionImpl record;
    record.ClassID = ks::guidToString(kFakeProviderClsid);
    record.ClassName = L"KSBrowseTest.Provider";
    record.Copyright = L"test";
    record.MenuName = L"Browse test";
    record.Supplier = L"test";
    record.Version = L"1.0";
    ASSERT_EQ(WriteProviderKey(record, ks::guidToString(kFakeBrowseServerClsid), L""), S_OK);
}

}  // namespace

void setUpFakeProviders()
{
    FakeBrowseServers::reset();
    ASSERT_EQ(ks::module().registerClassObjects(), S_OK);
    writeFakeProviderKey();
}

DWORD setUpFakeServerOnly()
{
    FakeBrowseServers::reset();
    DWORD cookie = 0;
    IUnknown* factory = nullptr;
    EXPECT_EQ(ks::module().getClassObject(kFakeBrowseServerClsid, IID_IUnknown, reinterpret_cast<void**>(&factory)),
              S_OK);
    if (factory) {
        EXPECT_EQ(ksRegisterClassObject(kFakeBrowseServerClsid, factory, &cookie), S_OK);
        factory->Release();
    }
    writeFakeProviderKey();
    return cookie;
}

void tearDownFakeProviders()
{
    ks::module().revokeClassObjects();
}

ks::ComPtr<IKSDataAccess> newDataAccess()
{
    ks::ComPtr<IKSDataAccess> access;
    EXPECT_EQ(CoCreateInstance(CLSID_KSDataAccess, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataAccess, access.out()),
              S_OK);
    return access;
}

CKSDataAccess* accessObject(IKSDataAccess* access)
{
    return static_cast<CKSDataAccess*>(access);
}

// ---------------------------------------------------------------------------

KSNetResource netResource(DWORD displayType, const std::wstring& remoteName, const std::wstring& comment)
{
    KSNetResource r;
    r.scope = KS_RESOURCE_GLOBALNET;
    r.displayType = displayType;
    r.usage = displayType == KS_RESOURCEDISPLAYTYPE_SHARE ? 1 : 2;
    r.remoteName = remoteName;
    r.comment = comment;
    r.provider = L"Fake Network";
    return r;
}

void FakeBrowsePlatform::addFolder(const std::wstring& path)
{
    m_entries.push_back(Entry{path, true});
}

void FakeBrowsePlatform::addFile(const std::wstring& path)
{
    m_entries.push_back(Entry{path, false});
}

std::vector<std::wstring> FakeBrowsePlatform::DriveRoots()
{
    std::vector<std::wstring> roots;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        roots.push_back(std::wstring(1, letter) + L":\\");
    return roots;
}

UINT FakeBrowsePlatform::DriveType(const std::wstring& root)
{
    auto it = drives.find(root.empty() ? L'?' : root[0]);
    return it == drives.end() ? KS_DRIVE_NO_ROOT_DIR : it->second;
}

std::wstring FakeBrowsePlatform::DriveText(const std::wstring& root)
{
    return root.substr(0, 2);
}

namespace {

class FakeNetEnumeration : public KSNetEnumeration {
public:
    FakeNetEnumeration(std::vector<KSNetResource> entries, bool failAfterFirst, std::vector<std::wstring>& calls)
        : m_entries(std::move(entries)), m_fail(failAfterFirst), m_calls(calls)
    {
    }
    DWORD Next(size_t bufferBytes, std::vector<KSNetResource>& out) override
    {
        m_calls.push_back(L"next " + std::to_wstring(bufferBytes));
        if (m_fail && m_batches > 0)
            return 1222;  // the network is not present
        if (m_pos >= m_entries.size())
            return KS_NET_NO_MORE_ITEMS;
        size_t used = 0;
        while (m_pos < m_entries.size()) {
            const size_t need = FakeBrowsePlatform::entryBytes(m_entries[m_pos]);
            if (used + need > bufferBytes && used > 0)
                break;
            used += need;
            out.push_back(m_entries[m_pos++]);
        }
        ++m_batches;
        return KS_NET_NO_ERROR;
    }

private:
    std::vector<KSNetResource> m_entries;
    bool m_fail;
    std::vector<std::wstring>& m_calls;
    size_t m_pos = 0;
    int m_batches = 0;
};

}  // namespace

size_t FakeBrowsePlatform::entryBytes(const KSNetResource& r)
{
    // A fixed record and the four strings with their terminators, as the
    // platform packs them into the buffer.
    return 32 + 2 * (r.localName.size() + r.remoteName.size() + r.comment.size() + r.provider.size() + 4);
}

std::unique_ptr<KSNetEnumeration> FakeBrowsePlatform::OpenNetwork(DWORD scope, const KSNetResource* container)
{
    const std::wstring key = container ? container->remoteName : std::wstring();
    calls.push_back(L"net " + std::to_wstring(scope) + L" " + key);
    if (std::find(networkUnopenable.begin(), networkUnopenable.end(), key) != networkUnopenable.end())
        return nullptr;
    auto it = network.find(key);
    const bool failing = std::find(networkFailing.begin(), networkFailing.end(), key) != networkFailing.end();
    return std::make_unique<FakeNetEnumeration>(it == network.end() ? std::vector<KSNetResource>() : it->second,
                                                failing, calls);
}

bool FakeBrowsePlatform::ListFolder(const std::wstring& folderPath, std::vector<KSFolderEntry>& entries)
{
    calls.push_back(L"list " + folderPath);
    entries.clear();
    const std::wstring folder = lowered(folderPath);
    for (const std::wstring& u : unreadable)
        if (lowered(u) == folder)
            return false;
    // The folder must exist: a drive root, a share or a listed folder.
    bool exists = folder.size() == 3 && folder[1] == L':' ? drives.count(ks::upperCase(folder[0])) != 0 : false;
    for (const Entry& e : m_entries)
        if (e.folder && lowered(e.path) + L"\\" == folder)
            exists = true;
    if (!exists)
        return false;
    entries.push_back(KSFolderEntry{L".", folderPath + L".", true});
    entries.push_back(KSFolderEntry{L"..", folderPath + L"..", true});
    for (const Entry& e : m_entries) {
        const std::wstring p = lowered(e.path);
        if (p.size() <= folder.size() || p.compare(0, folder.size(), folder) != 0)
            continue;
        if (p.find(L'\\', folder.size()) != std::wstring::npos)
            continue;
        entries.push_back(KSFolderEntry{e.path.substr(folder.size()), folderPath + e.path.substr(folder.size()),
                                        e.folder});
    }
    return true;
}

std::vector<std::wstring> FakeBrowsePlatform::SplitStartPath(const std::wstring& path)
{
    return KSSplitAtSeparators(path);
}
