#include "ksdataservices.h"

#include "ksactivation.h"
#include "kscomerror.h"
#include "kscomptr.h"

#include <new>

namespace {

HRESULT CreateProviderServer(ks::ComPtr<IKSProviderServer>& server)
{
    return CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_ALL, IID_IKSProviderServer, server.out());
}

// Creates the provider that a description names by its ClassID.
HRESULT CreateFromDescription(IKSProviderDescription* description, IKSDataProvider** ppProvider)
{
    ks::Bstr classID;
    HRESULT hr = description->get_ClassID(&classID);
    if (FAILED(hr))
        return hr;
    CLSID clsid;
    hr = CLSIDFromString(classID.c_str(), &clsid);
    if (FAILED(hr))
        return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IKSDataProvider, reinterpret_cast<void**>(ppProvider));
}

// A new wrapper over the provider's interface I, or null.
template <class Wrapper, class I>
Wrapper* NewWrapper(IKSDataProvider* provider)
{
    if (!provider)
        return nullptr;
    ks::ComPtr<I> service;
    if (FAILED(service.queryFrom(provider)) || !service)
        return nullptr;
    return new (std::nothrow) Wrapper(service.get());
}

}  // namespace

CKSDataProvider::CKSDataProvider() : m_pProvider(nullptr) {}

CKSDataProvider::CKSDataProvider(const CKSDataProvider& other) : m_pProvider(other.m_pProvider)
{
    if (m_pProvider)
        m_pProvider->AddRef();
}

CKSDataProvider& CKSDataProvider::operator=(const CKSDataProvider& other)
{
    if (other.m_pProvider != m_pProvider) {
        if (other.m_pProvider)
            other.m_pProvider->AddRef();
        if (m_pProvider)
            m_pProvider->Release();
        m_pProvider = other.m_pProvider;
    }
    return *this;
}

CKSDataProvider::~CKSDataProvider()
{
    if (m_pProvider)
        m_pProvider->Release();
}

bool CKSDataProvider::Create(UINT position)
{
    ks::ComPtr<IKSProviderServer> server;
    if (FAILED(CreateProviderServer(server)) || !server)
        return false;
    if (m_pProvider) {
        m_pProvider->Release();
        m_pProvider = nullptr;
    }

    LONG count = 0;
    if (FAILED(server->get_Count(&count)))
        return false;
    const LONG signedPosition = static_cast<LONG>(position);
    if (signedPosition >= count)
        return false;
    ks::ComPtr<IKSProviderDescription> description;
    if (FAILED(server->get_Item(signedPosition + 1, &description)) || !description)
        return false;
    return SUCCEEDED(CreateFromDescription(description.get(), &m_pProvider)) && m_pProvider;
}

bool CKSDataProvider::Create(const CString& name)
{
    ks::ComPtr<IKSProviderServer> server;
    if (FAILED(CreateProviderServer(server)) || !server)
        return false;
    if (m_pProvider) {
        m_pProvider->Release();
        m_pProvider = nullptr;
    }

    LONG count = 0;
    if (FAILED(server->get_Count(&count)))
        return false;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSProviderDescription> description;
        if (FAILED(server->get_Item(i, &description)) || !description)
            return false;
        ks::Bstr className;
        if (FAILED(description->get_ClassName(&className)))
            return false;
        if (CString(className.str()) == name)
            return SUCCEEDED(CreateFromDescription(description.get(), &m_pProvider)) && m_pProvider;
    }
    return false;
}

CString CKSDataProvider::GetClassName() const
{
    if (!m_pProvider)
        _com_issue_error(E_POINTER);
    ks::Bstr className;
    const HRESULT hr = m_pProvider->get_ClassName(&className);
    if (FAILED(hr))
        _com_issue_errorex(hr, m_pProvider, IID_IKSDataProvider);
    return CString(className.str());
}

CKSSpectrumReader* CKSDataProvider::GetSpectrumReader() const
{
    return NewWrapper<CKSSpectrumReader, IKSSpectrumReader2>(m_pProvider);
}

CKSSpectrumWriter* CKSDataProvider::GetSpectrumWriter() const
{
    return NewWrapper<CKSSpectrumWriter, IKSSpectrumWriter2>(m_pProvider);
}

CKSMSDatasetReader* CKSDataProvider::GetMSDatasetReader() const
{
    return NewWrapper<CKSMSDatasetReader, IKSMSDatasetReader>(m_pProvider);
}

CKSMSDatasetWriter* CKSDataProvider::GetMSDatasetWriter() const
{
    return NewWrapper<CKSMSDatasetWriter, IKSMSDatasetWriter>(m_pProvider);
}

CString CKSDataProvider::ExtractProviderFromSpec(const CString& spec)
{
    CString text(spec);
    const int p = text.Find(L';');
    if (p >= 0) {
        text = text.Left(p);
        text.Trim();
    }
    return text;
}

CString CKSDataProvider::ExtractPathFromSpec(const CString& spec)
{
    CString text(spec);
    const int p = text.Find(L';');
    if (p > 0) {
        text = text.Mid(p + 1);
        const int q = text.Find(L';');
        if (q > 0)
            text = text.Left(q);
        text.Trim();
    }
    return text;
}

CString CKSDataProvider::RemoveProviderFromSpec(const CString& spec)
{
    CString text(spec);
    const int p = text.Find(L';');
    if (p > 0) {
        text = text.Mid(p + 1);
        text.Trim();
    }
    return text;
}

// ---------------------------------------------------------------------------

CKSDataProviderMenu::CKSDataProviderMenu() = default;
CKSDataProviderMenu::~CKSDataProviderMenu() = default;

namespace {

void DiscardPopup(CMenu* popup)
{
    popup->DestroyMenu();
    delete popup;
}

// Appends the matching providers; false when a server or description
// call fails.
bool FillPopup(CMenu& popup, IKSProviderServer* server, UINT firstCommand, ULONG flags)
{
    LONG count = 0;
    if (FAILED(server->get_Count(&count)))
        return false;
    UINT appended = 0;
    for (LONG i = 0; i < count; ++i) {
        ks::ComPtr<IKSProviderDescription> description;
        if (FAILED(server->get_Item(i + 1, &description)) || !description)
            return false;
        LONG providerFlags = 0;
        if (FAILED(description->get_ProviderFlags(&providerFlags)))
            return false;
        if ((static_cast<ULONG>(providerFlags) & flags) == 0)
            continue;
        ks::Bstr menuName;
        if (FAILED(description->get_MenuName(&menuName)))
            return false;
        popup.AppendMenu(MF_STRING, firstCommand + appended, menuName.c_str());
        // Consecutive commands, while the data keep the provider positions.
        MENUITEMINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA;
        info.dwItemData = static_cast<ULONG_PTR>(i);
        popup.SetMenuItemInfo(popup.GetMenuItemCount() - 1, &info, TRUE);
        ++appended;
    }
    return true;
}

}  // namespace

CMenu* CKSDataProviderMenu::BuildPopup(CMenu* parent, UINT subMenuPos, UINT itemPos, UINT firstCommand,
                                       ULONG flags)
{
    CMenu* popup = new (std::nothrow) CMenu;
    if (!popup)
        return nullptr;
    if (!popup->CreatePopupMenu()) {
        delete popup;
        return nullptr;
    }

    ks::ComPtr<IKSProviderServer> server;
    if (FAILED(CreateProviderServer(server)) || !server)
        return popup;
    if (!FillPopup(*popup, server.get(), firstCommand, flags)) {
        DiscardPopup(popup);
        return nullptr;
    }

    if (parent) {
        if (CMenu* subMenu = parent->GetSubMenu(static_cast<int>(subMenuPos))) {
            CString text;
            subMenu->GetMenuString(itemPos, text, MF_BYPOSITION);
            subMenu->ModifyMenu(itemPos, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup->GetSafeHmenu()),
                                text);
        }
    }
    return popup;
}

LONG CKSDataProviderMenu::GetProviderIndex(CMenu* menu, UINT subMenuPos, UINT popupPos, UINT command)
{
    if (!menu)
        return -1;
    CMenu* subMenu = menu->GetSubMenu(static_cast<int>(subMenuPos));
    if (!subMenu)
        return -1;
    CMenu* popup = subMenu->GetSubMenu(static_cast<int>(popupPos));
    if (!popup)
        return -1;
    MENUITEMINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    if (!popup->GetMenuItemInfo(command, &info, FALSE))
        return 0;
    return static_cast<LONG>(info.dwItemData);
}
