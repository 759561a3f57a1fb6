#include "ksdataaccess.h"

#include "ksactivation.h"
#include "ksbrowsedialogs.h"
#include "kscomptr.h"
#include "ksnothrow.h"
#include "ksdialogs.h"
#include "readersettings.h"

#include <cstring>

namespace {

// The provider whose data server is probed after all others.
const wchar_t kMassLynxProviderName[] = L"KSMLProvider.KSMLProvider";
// The data server the fallback never tries: it would take any text file.
const wchar_t kTextDataServerProgId[] = L"KSTextProvider.KSTextDataServer";
// Length of a class identifier in braces.
const UINT kClassIdLength = 38;

HRESULT createServer(REFCLSID clsid, IKSDataServer** ppServer)
{
    return CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IKSDataServer, reinterpret_cast<void**>(ppServer));
}

// Item(index) of the collection the owner answers through getItems
// (a server's injections, an injection's functions) into ppItem.
template <class Owner, class Items, class Item>
HRESULT openItemOf(Owner* owner, HRESULT (Owner::*getItems)(Items**), LONG index, Item** ppItem)
{
    if (!owner)
        return E_FAIL;
    ks::ComPtr<Items> items;
    HRESULT hr = (owner->*getItems)(&items);
    if (FAILED(hr))
        return hr;
    if (!items)
        return E_FAIL;
    return items->get_Item(index, ppItem);
}

HRESULT openInjectionOf(IKSDataServer* server, LONG injection, IKSInjection** ppInjection)
{
    return openItemOf(server, &IKSDataServer::get_Injections, injection, ppInjection);
}

HRESULT openFunctionOf(IKSInjection* injection, LONG function, IKSFunction** ppFcn)
{
    return openItemOf(injection, &IKSInjection::get_Functions, function, ppFcn);
}

}  // namespace

KS_OBJECT_ENTRY(CLSID_KSDataAccess, CKSDataAccess);

HRESULT CKSDataAccess::FinalConstruct()
{
    return ks::noThrow([&] {
        BuildProbingList();
        return S_OK;
    });
}

void CKSDataAccess::FinalRelease()
{
    ReleaseProbingList();
}

void CKSDataAccess::ReleaseProbingList()
{
    std::vector<IKSDataServer*> servers;
    servers.swap(m_servers);
    m_classIds.clear();
    for (IKSDataServer* server : servers)
        server->Release();
}

void CKSDataAccess::AppendServer(REFCLSID clsid)
{
    IKSDataServer* server = nullptr;
    if (FAILED(createServer(clsid, &server)) || !server)
        return;
    m_servers.push_back(server);
    m_classIds.push_back(clsid);
}

void CKSDataAccess::BuildProbingList()
{
    ReleaseProbingList();

    ks::ComPtr<IKSProviderServer> providers;
    if (FAILED(CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_ALL, IID_IKSProviderServer, providers.out())) ||
        !providers)
        return;
    LONG count = 0;
    if (FAILED(providers->get_Count(&count)))
        return;

    std::vector<CLSID> probedLast;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSProviderDescription> description;
        if (FAILED(providers->get_Item(i, &description)) || !description)
            continue;
        ks::Bstr className;
        if (FAILED(description->get_ClassName(&className)))
            continue;
        ks::ComPtr<IKSProviderDescription2> description2;
        if (FAILED(description2.queryFrom(description.get())) || !description2)
            continue;
        ks::Bstr classId;
        if (FAILED(description2->get_DataServerClassID(&classId)))
            continue;
        if (classId.length() != kClassIdLength)
            continue;
        CLSID clsid = CLSID_NULL;
        if (FAILED(CLSIDFromString(classId.c_str(), &clsid)))
            continue;
        if (className.str() == kMassLynxProviderName)
            probedLast.push_back(clsid);
        else
            AppendServer(clsid);
    }
    for (const CLSID& clsid : probedLast)
        AppendServer(clsid);
}

HRESULT CKSDataAccess::OpenDataset(BSTR Path, IKSDataServer** ppServer)
{
    return ks::noThrow([&] {
        if (!ppServer)
            return E_POINTER;
        *ppServer = nullptr;

        // A failing validity check ends the search: the server could not tell,
        // and guessing another reader for the path would hide that.
        for (size_t i = 0; i < m_servers.size(); ++i) {
            LONG valid = 0;
            const HRESULT hr = m_servers[i]->IsValidDataset(Path, &valid);
            if (FAILED(hr))
                return hr;
            if (valid == 0)
                continue;
            IKSDataServer* server = nullptr;
            const HRESULT created = createServer(m_classIds[i], &server);
            if (FAILED(created) || !server) {
                *ppServer = nullptr;
                return FAILED(created) ? created : E_FAIL;
            }
            // The server stays with the caller even when Open fails.
            *ppServer = server;
            return server->Open(Path);
        }

        CLSID textServer = CLSID_NULL;
        if (FAILED(CLSIDFromProgID(kTextDataServerProgId, &textServer)))
            textServer = CLSID_NULL;
        for (const CLSID& clsid : m_classIds) {
            if (std::memcmp(&clsid, &textServer, sizeof(CLSID)) == 0)
                continue;
            IKSDataServer* server = nullptr;
            const HRESULT created = createServer(clsid, &server);
            if (FAILED(created) || !server) {
                *ppServer = nullptr;
                return FAILED(created) ? created : E_FAIL;
            }
            *ppServer = server;
            if (SUCCEEDED(server->Open(Path)))
                return S_OK;
            ks::releaseAndNull(ppServer);
        }
        return E_FAIL;
    }, ppServer);
}

HRESULT CKSDataAccess::OpenInjection(BSTR Path, LONG injection, IKSDataServer** ppServer, IKSInjection** ppInjection)
{
    return ks::noThrow([&] {
        if (!ppServer || !ppInjection)
            return E_POINTER;
        HRESULT hr = OpenDataset(Path, ppServer);
        if (FAILED(hr))
            return hr;
        return openInjectionOf(*ppServer, injection, ppInjection);
    }, ppServer, ppInjection);
}

HRESULT CKSDataAccess::OpenFunction(BSTR Path, LONG injection, LONG function, IKSDataServer** pServer,
                                    IKSInjection** ppInjection, IKSFunction** ppFcn)
{
    return ks::noThrow([&] {
        if (!pServer || !ppInjection || !ppFcn)
            return E_POINTER;
        HRESULT hr = OpenInjection(Path, injection, pServer, ppInjection);
        if (FAILED(hr))
            return hr;
        return openFunctionOf(*ppInjection, function, ppFcn);
    }, pServer, ppInjection, ppFcn);
}

HRESULT CKSDataAccess::OpenDatasetFromStorage(IUnknown* piParentStg, BSTR substorageName, IKSDataServer** ppServer)
{
    return ks::noThrow([&] {
        if (!ppServer)
            return E_POINTER;
        *ppServer = nullptr;
        if (!piParentStg)
            return E_INVALIDARG;

        // No probing: the data cannot be asked for before a server opened it.
        const CLSID* chosen = nullptr;
        for (size_t i = 0; i < m_servers.size() && !chosen; ++i) {
            ks::ComPtr<IKSDataServer2> storageServer;
            if (SUCCEEDED(storageServer.queryFrom(m_servers[i])) && storageServer)
                chosen = &m_classIds[i];
        }
        if (!chosen)
            return E_FAIL;

        IKSDataServer* server = nullptr;
        const HRESULT created = createServer(*chosen, &server);
        if (FAILED(created) || !server)
            return FAILED(created) ? created : E_FAIL;
        *ppServer = server;
        ks::ComPtr<IKSDataServer2> storageServer;
        const HRESULT hr = storageServer.queryFrom(server);
        if (FAILED(hr) || !storageServer)
            return FAILED(hr) ? hr : E_NOINTERFACE;
        return storageServer->OpenFromStorage(piParentStg, substorageName);
    }, ppServer);
}

HRESULT CKSDataAccess::OpenInjectionFromStorage(IUnknown* piParentStg, BSTR substorageName, LONG injection,
                                                IKSDataServer** ppServer, IKSInjection** ppInjection)
{
    return ks::noThrow([&] {
        if (!ppServer || !ppInjection)
            return E_POINTER;
        HRESULT hr = OpenDatasetFromStorage(piParentStg, substorageName, ppServer);
        if (FAILED(hr))
            return hr;
        return openInjectionOf(*ppServer, injection, ppInjection);
    }, ppServer, ppInjection);
}

HRESULT CKSDataAccess::OpenFunctionFromStorage(IUnknown* piParentStg, BSTR substorageName, LONG injection,
                                               LONG function, IKSDataServer** pServer, IKSInjection** ppInjection,
                                               IKSFunction** ppFcn)
{
    return ks::noThrow([&] {
        if (!pServer || !ppInjection || !ppFcn)
            return E_POINTER;
        HRESULT hr = OpenInjectionFromStorage(piParentStg, substorageName, injection, pServer, ppInjection);
        if (FAILED(hr))
            return hr;
        return openFunctionOf(*ppInjection, function, ppFcn);
    }, pServer, ppInjection, ppFcn);
}

HRESULT CKSDataAccess::IsValidDataset(BSTR Path, LONG* pbIsValid)
{
    return ks::noThrow([&] {
        return FindDataset(Path, pbIsValid, nullptr);
    });
}

HRESULT CKSDataAccess::FindDataset(BSTR Path, LONG* pbIsValid, bool* pMultipleInjections)
{
    if (!pbIsValid)
        return E_POINTER;
    *pbIsValid = 0;
    if (pMultipleInjections)
        *pMultipleInjections = false;
    // Unlike OpenDataset, only an exact 1 counts and a failing server is
    // passed over: the question is only whether some reader takes the path.
    for (IKSDataServer* server : m_servers) {
        LONG valid = 0;
        if (FAILED(server->IsValidDataset(Path, &valid)) || valid != 1)
            continue;
        *pbIsValid = 1;
        if (pMultipleInjections) {
            LONG injections = 0;
            if (SUCCEEDED(server->get_InjectionCountFromPath(Path, &injections)))
                *pMultipleInjections = injections > 1;
        }
        break;
    }
    return S_OK;
}

HRESULT CKSDataAccess::put_SmartExpansionBoxes(LONG value)
{
    return ks::noThrow([&] {
        m_smartExpansionBoxes = value == 1;
        return S_OK;
    });
}

HRESULT CKSDataAccess::put_ShowTextFiles(LONG value)
{
    return ks::noThrow([&] {
        m_showTextFiles = value == 1;
        return S_OK;
    });
}

HRESULT CKSDataAccess::AddComboFilter(BSTR title, FunctionType fcnType, LONG order)
{
    return ks::noThrow([&] {
        return AddComboFilter3(title, fcnType, order, FunctionPolarityUnknown);
    });
}

HRESULT CKSDataAccess::AddComboFilter3(BSTR title, FunctionType fcnType, LONG order, FunctionPolarity Polarity)
{
    return ks::noThrow([&] {
        if (m_filters.size() >= kMaxComboFilters)
            return DISP_E_BADINDEX;
        KSComboFilter filter;
        filter.title.assign(title ? title : L"", SysStringLen(title));
        filter.type = fcnType;
        filter.order = order;
        filter.polarity = Polarity;
        m_filters.push_back(std::move(filter));
        return S_OK;
    });
}

HRESULT CKSDataAccess::BrowseInjection(IKSDataServer** ppServer, IKSInjection** ppInjection)
{
    return ks::noThrow([&] {
        if (!ppServer || !ppInjection)
            return E_POINTER;
        *ppServer = nullptr;
        *ppInjection = nullptr;

        std::wstring start;
        ReadSourcePath(kBrowserSettingsKey, start);
        COpenDialog dialog(this, ppServer, ppInjection, COpenDialog::ModeInjection, m_smartExpansionBoxes,
                           m_showTextFiles, {}, start);
        if (ks::dialogs::runModal(dialog) == IDOK) {
            // OK is enabled on a dataset node even when opening it failed; an
            // injection that did not open is no answer.
            if (!*ppInjection) {
                ks::releaseAndNull(ppInjection);
                ks::releaseAndNull(ppServer);
                return E_FAIL;
            }
            WriteSourcePath(kBrowserSettingsKey, dialog.ResultPath());
            return S_OK;
        }
        ks::releaseAndNull(ppInjection);
        ks::releaseAndNull(ppServer);
        return S_FALSE;
    }, ppServer, ppInjection);
}

HRESULT CKSDataAccess::BrowseFunction(IKSDataServer** ppServer, IKSInjection** ppInjection, IKSFunction** ppFcn)
{
    return ks::noThrow([&] {
        if (!ppServer || !ppInjection || !ppFcn)
            return E_POINTER;
        *ppServer = nullptr;
        *ppInjection = nullptr;
        *ppFcn = nullptr;

        std::wstring start;
        ReadSourcePath(kBrowserSettingsKey, start);
        COpenDialog dialog(this, ppServer, ppInjection, COpenDialog::ModeFunction, m_smartExpansionBoxes,
                           m_showTextFiles, {}, start);
        HRESULT hr = S_FALSE;
        if (ks::dialogs::runModal(dialog) == IDOK) {
            // The chosen function may belong to an injection that then failed
            // to open: no injection, no function.
            hr = *ppInjection ? openFunctionOf(*ppInjection, dialog.ResultFunction(), ppFcn) : E_FAIL;
            if (SUCCEEDED(hr)) {
                WriteSourcePath(kBrowserSettingsKey, dialog.ResultPath());
                return hr;
            }
        }
        ks::releaseAndNull(ppFcn);
        ks::releaseAndNull(ppInjection);
        ks::releaseAndNull(ppServer);
        return hr;
    }, ppServer, ppInjection, ppFcn);
}

HRESULT CKSDataAccess::BrowseCombo(IKSFunction** ppFcn1, IKSFunction** ppFcn2, IKSFunction** ppFcn3,
                                   IKSFunction** ppFcn4, IKSInjection** ppInjection, IKSDataServer** ppServer)
{
    return ks::noThrow([&] {
        IKSFunction* extra[4] = {nullptr, nullptr, nullptr, nullptr};
        const HRESULT hr = BrowseCombo3(ppFcn1, ppFcn2, ppFcn3, ppFcn4, &extra[0], &extra[1], &extra[2], &extra[3],
                                        ppInjection, ppServer);
        for (IKSFunction*& fcn : extra)
            ks::releaseAndNull(&fcn);
        return hr;
    }, ppFcn1, ppFcn2, ppFcn3, ppFcn4, ppInjection, ppServer);
}

HRESULT CKSDataAccess::BrowseCombo3(IKSFunction** ppFcn1, IKSFunction** ppFcn2, IKSFunction** ppFcn3,
                                    IKSFunction** ppFcn4, IKSFunction** ppFcn5, IKSFunction** ppFcn6,
                                    IKSFunction** ppFcn7, IKSFunction** ppFcn8, IKSInjection** ppInjection,
                                    IKSDataServer** ppServer)
{
    return ks::noThrow([&] {
        if (!ppFcn1 || !ppInjection || !ppServer)
            return E_POINTER;
        if (m_filters.empty())
            return E_FAIL;

        // Each combo answers into the pointer of its own position; a position
        // beyond the filters, or not given, receives nothing.
        IKSFunction** given[kMaxComboFilters] = {ppFcn1, ppFcn2, ppFcn3, ppFcn4, ppFcn5, ppFcn6, ppFcn7, ppFcn8};
        std::vector<IKSFunction**> outputs(m_filters.size(), nullptr);
        for (size_t k = 0; k < m_filters.size(); ++k) {
            outputs[k] = given[k];
            if (outputs[k])
                *outputs[k] = nullptr;
        }
        *ppInjection = nullptr;
        *ppServer = nullptr;

        std::wstring start;
        ReadSourcePath(kBrowserSettingsKey, start);
        // The combos choose the functions; the function list stays out of it.
        COpenDialog dialog(this, ppServer, ppInjection, COpenDialog::ModeInjection, m_smartExpansionBoxes,
                           m_showTextFiles, m_filters, start);
        HRESULT hr = S_FALSE;
        if (ks::dialogs::runModal(dialog) == IDOK && *ppInjection) {
            ks::dialogs::WaitCursor wait;
            ks::ComPtr<IKSFunctions> functions;
            hr = (*ppInjection)->get_Functions(&functions);
            if (SUCCEEDED(hr) && !functions)
                hr = E_FAIL;
            if (SUCCEEDED(hr)) {
                bool stored = false;
                HRESULT last = S_OK;
                for (size_t k = 0; k < outputs.size(); ++k) {
                    const LONG n = dialog.ResultComboFunction(k);
                    if (n <= 0 || !outputs[k])
                        continue;
                    last = functions->get_Item(n, outputs[k]);
                    if (FAILED(last))
                        break;
                    stored = true;
                }
                if (stored) {
                    hr = last;
                    if (SUCCEEDED(hr))
                        WriteSourcePath(kBrowserSettingsKey, dialog.ResultPath());
                } else {
                    hr = S_FALSE;
                }
            }
        }
        if (FAILED(hr)) {
            // A failure hands nothing back, not even the functions of the
            // combos that did open.
            for (IKSFunction** out : outputs)
                ks::releaseAndNull(out);
        }
        if (FAILED(hr) || hr == S_FALSE) {
            ks::releaseAndNull(ppInjection);
            ks::releaseAndNull(ppServer);
        }
        return hr;
    }, ppFcn1, ppFcn2, ppFcn3, ppFcn4, ppFcn5, ppFcn6, ppFcn7, ppFcn8, ppInjection, ppServer);
}

HRESULT CKSDataAccess::BrowseInjectionFunctions(BSTR Path, LONG injection, IKSDataServer** pServer,
                                                IKSInjection** ppInjection, IKSFunction** ppFcn)
{
    return ks::noThrow([&] {
        if (!pServer || !ppInjection || !ppFcn)
            return E_POINTER;
        *ppInjection = nullptr;
        *ppFcn = nullptr;

        HRESULT hr = OpenInjection(Path, injection, pServer, ppInjection);
        if (FAILED(hr))
            return hr;
        if (!*ppInjection)
            return E_FAIL;
        ks::ComPtr<IKSFunctions> functions;
        hr = (*ppInjection)->get_Functions(&functions);
        if (FAILED(hr))
            return hr;
        if (!functions)
            return E_FAIL;

        CFunctionDialog dialog(functions.get());
        // The chosen entry's own function number: counting positions would
        // pick the wrong function after one whose name could not be read.
        if (ks::dialogs::runModal(dialog) == IDOK && dialog.ResultPosition() != -1) {
            ks::dialogs::WaitCursor wait;
            return functions->get_Item(dialog.ResultFunction(), ppFcn);
        }
        return S_FALSE;
    }, pServer, ppInjection, ppFcn);
}
