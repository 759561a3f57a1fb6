#include "kscmenu.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct CMenuAccess {
    static void makeTemporary(CMenu* m) { m->m_temporary = true; }
    static bool temporary(const CMenu* m) { return m->m_temporary; }
};

namespace {

struct Item {
    UINT type = MFT_STRING;  // MFT_STRING or MFT_SEPARATOR
    UINT state = 0;
    UINT id = 0;
    HMENU sub = nullptr;
    ULONG_PTR data = 0;
    std::wstring text;
};

struct MenuNode {
    std::vector<Item> items;
    CMenu* attached = nullptr;             // the CMenu holding this handle
    std::unique_ptr<CMenu> temporary;      // wrapper handed out by FromHandle
};

// Never destroyed, so menus held by static objects can still be destroyed
// at exit.
std::recursive_mutex& g_mutex = *new std::recursive_mutex;
std::map<uintptr_t, std::unique_ptr<MenuNode>>& g_menus = *new std::map<uintptr_t, std::unique_ptr<MenuNode>>;
uintptr_t g_nextMenuHandle = 0x1000;

MenuNode* node(HMENU h)
{
    auto it = g_menus.find(reinterpret_cast<uintptr_t>(h));
    return it == g_menus.end() ? nullptr : it->second.get();
}

HMENU newMenu()
{
    uintptr_t h = g_nextMenuHandle;
    g_nextMenuHandle += 0x10;
    g_menus[h] = std::make_unique<MenuNode>();
    return reinterpret_cast<HMENU>(h);
}

void destroyMenu(HMENU h)
{
    auto it = g_menus.find(reinterpret_cast<uintptr_t>(h));
    if (it == g_menus.end())
        return;
    std::unique_ptr<MenuNode> n = std::move(it->second);
    g_menus.erase(it);
    if (n->attached && !CMenuAccess::temporary(n->attached))
        n->attached->m_hMenu = nullptr;
    for (const Item& item : n->items)
        if (item.sub)
            destroyMenu(item.sub);
    // The temporary wrapper dies with the node (it does not destroy).
}

// Finds an item by position, or by command identifier in this menu and
// its popups (depth first).
Item* findItem(MenuNode* n, UINT which, bool byPosition, MenuNode** owner = nullptr, size_t* index = nullptr)
{
    if (!n)
        return nullptr;
    if (byPosition) {
        if (which >= n->items.size())
            return nullptr;
        if (owner)
            *owner = n;
        if (index)
            *index = which;
        return &n->items[which];
    }
    for (size_t i = 0; i < n->items.size(); ++i) {
        Item& item = n->items[i];
        if (!item.sub && item.type != MFT_SEPARATOR && item.id == which) {
            if (owner)
                *owner = n;
            if (index)
                *index = i;
            return &item;
        }
        if (item.sub)
            if (Item* found = findItem(node(item.sub), which, false, owner, index))
                return found;
    }
    return nullptr;
}

bool makeItem(UINT flags, UINT_PTR idOrMenu, const wchar_t* text, Item* out)
{
    Item item;
    item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
    if (flags & MF_SEPARATOR) {
        item.type = MFT_SEPARATOR;
    } else if (flags & MF_POPUP) {
        HMENU sub = reinterpret_cast<HMENU>(idOrMenu);
        if (!node(sub))
            return false;
        item.sub = sub;
        item.text = text ? text : L"";
    } else {
        item.id = static_cast<UINT>(idOrMenu);
        item.text = text ? text : L"";
    }
    *out = item;
    return true;
}

}  // namespace

CMenu::~CMenu()
{
    if (!m_temporary)
        DestroyMenu();
}

BOOL CMenu::CreateMenu()
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (m_hMenu)
        return FALSE;
    m_hMenu = newMenu();
    node(m_hMenu)->attached = this;
    return TRUE;
}

BOOL CMenu::CreatePopupMenu()
{
    return CreateMenu();
}

BOOL CMenu::DestroyMenu()
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    if (!m_hMenu)
        return FALSE;
    HMENU h = m_hMenu;
    m_hMenu = nullptr;
    if (!node(h))
        return FALSE;
    destroyMenu(h);
    return TRUE;
}

BOOL CMenu::Attach(HMENU hMenu)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* n = node(hMenu);
    if (!n || m_hMenu)
        return FALSE;
    m_hMenu = hMenu;
    n->attached = this;
    return TRUE;
}

HMENU CMenu::Detach()
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    HMENU h = m_hMenu;
    if (MenuNode* n = node(h))
        if (n->attached == this)
            n->attached = nullptr;
    m_hMenu = nullptr;
    return h;
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* n = node(hMenu);
    if (!n)
        return nullptr;
    if (n->attached)
        return n->attached;
    if (!n->temporary) {
        n->temporary = std::make_unique<CMenu>();
        CMenuAccess::makeTemporary(n->temporary.get());
        n->temporary->m_hMenu = hMenu;
    }
    return n->temporary.get();
}

BOOL CMenu::IsMenu(HMENU hMenu)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    return node(hMenu) != nullptr;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* n = node(m_hMenu);
    Item item;
    if (!n || !makeItem(nFlags, nIDNewItem, lpszNewItem, &item) || item.sub == m_hMenu)
        return FALSE;
    n->items.push_back(item);
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* n = node(m_hMenu);
    Item item;
    if (!n || !makeItem(nFlags, nIDNewItem, lpszNewItem, &item) || item.sub == m_hMenu)
        return FALSE;
    if (nFlags & MF_BYPOSITION) {
        size_t at = std::min<size_t>(nPosition, n->items.size());  // beyond the end appends
        n->items.insert(n->items.begin() + at, item);
        return TRUE;
    }
    MenuNode* owner = nullptr;
    size_t index = 0;
    if (!findItem(n, nPosition, false, &owner, &index))
        return FALSE;
    owner->items.insert(owner->items.begin() + index, item);
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* n = node(m_hMenu);
    Item* target = findItem(n, nPosition, (nFlags & MF_BYPOSITION) != 0);
    Item item;
    if (!target || !makeItem(nFlags, nIDNewItem, lpszNewItem, &item) || item.sub == m_hMenu)
        return FALSE;
    item.data = target->data;
    HMENU old = target->sub;
    *target = item;
    if (old && old != item.sub)
        destroyMenu(old);
    return TRUE;
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* owner = nullptr;
    size_t index = 0;
    if (!findItem(node(m_hMenu), nPosition, (nFlags & MF_BYPOSITION) != 0, &owner, &index))
        return FALSE;
    owner->items.erase(owner->items.begin() + index);
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* owner = nullptr;
    size_t index = 0;
    if (!findItem(node(m_hMenu), nPosition, (nFlags & MF_BYPOSITION) != 0, &owner, &index))
        return FALSE;
    HMENU sub = owner->items[index].sub;
    owner->items.erase(owner->items.begin() + index);
    if (sub)
        destroyMenu(sub);
    return TRUE;
}

UINT CMenu::GetMenuItemCount() const
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    MenuNode* n = node(m_hMenu);
    return n ? static_cast<UINT>(n->items.size()) : 0xFFFFFFFFu;
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Item* item = nPos < 0 ? nullptr : findItem(node(m_hMenu), static_cast<UINT>(nPos), true);
    if (!item || item->sub)
        return 0xFFFFFFFFu;
    return item->type == MFT_SEPARATOR ? 0 : item->id;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Item* item = findItem(node(m_hMenu), nID, (nFlags & MF_BYPOSITION) != 0);
    if (!item)
        return 0xFFFFFFFFu;
    UINT state = item->state | item->type;
    if (item->sub) {
        MenuNode* sub = node(item->sub);
        state |= MF_POPUP | ((sub ? static_cast<UINT>(sub->items.size()) : 0) << 8);
    }
    return state;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Item* item = findItem(node(m_hMenu), nIDItem, (nFlags & MF_BYPOSITION) != 0);
    rString.Empty();
    if (!item)
        return 0;
    rString = item->text.c_str();
    return rString.GetLength();
}

int CMenu::GetMenuString(UINT nIDItem, LPWSTR lpString, int nMaxCount, UINT nFlags) const
{
    CString text;
    int n = GetMenuString(nIDItem, text, nFlags);
    if (!lpString || nMaxCount <= 0)
        return n;
    int copied = std::min(n, nMaxCount - 1);
    std::wmemcpy(lpString, text.GetString(), size_t(copied));
    lpString[copied] = L'\0';
    return copied;
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Item* item = nPos < 0 ? nullptr : findItem(node(m_hMenu), static_cast<UINT>(nPos), true);
    if (!item || !item->sub)
        return nullptr;
    return FromHandle(item->sub);
}

BOOL CMenu::GetMenuItemInfo(UINT uItem, MENUITEMINFOW* info, BOOL fByPos) const
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Item* item = findItem(node(m_hMenu), uItem, fByPos != FALSE);
    if (!item || !info)
        return FALSE;
    if (info->fMask & MIIM_FTYPE)
        info->fType = item->type;
    if (info->fMask & MIIM_STATE)
        info->fState = item->state;
    if (info->fMask & MIIM_ID)
        info->wID = item->id;
    if (info->fMask & MIIM_SUBMENU)
        info->hSubMenu = item->sub;
    if (info->fMask & MIIM_DATA)
        info->dwItemData = item->data;
    if (info->fMask & MIIM_STRING) {
        UINT len = static_cast<UINT>(item->text.size());
        if (info->dwTypeData && info->cch > 0) {
            UINT copied = std::min(len, info->cch - 1);
            std::wmemcpy(info->dwTypeData, item->text.c_str(), copied);
            info->dwTypeData[copied] = L'\0';
            info->cch = copied;
        } else {
            info->cch = len;
        }
    }
    return TRUE;
}

BOOL CMenu::SetMenuItemInfo(UINT uItem, const MENUITEMINFOW* info, BOOL fByPos)
{
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Item* item = findItem(node(m_hMenu), uItem, fByPos != FALSE);
    if (!item || !info)
        return FALSE;
    if ((info->fMask & MIIM_SUBMENU) && info->hSubMenu && !node(info->hSubMenu))
        return FALSE;
    if (info->fMask & MIIM_FTYPE)
        item->type = info->fType & MFT_SEPARATOR;
    if (info->fMask & MIIM_STATE)
        item->state = info->fState;
    if (info->fMask & MIIM_ID)
        item->id = info->wID;
    if (info->fMask & MIIM_SUBMENU)
        item->sub = info->hSubMenu;
    if (info->fMask & MIIM_DATA)
        item->data = info->dwItemData;
    if (info->fMask & MIIM_STRING)
        item->text = info->dwTypeData ? info->dwTypeData : L"";
    return TRUE;
}
