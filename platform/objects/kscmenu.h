// CMenu: a menu model with the MFC-like operations the components use to
// build provider popups and read them back: menus and popup menus by
// handle, string items with command identifiers and item data, separators,
// sub-menus, item text by position, and replacing an item by a popup.
// Menus live in a process-wide handle table: a destroyed menu's handle
// simply stops working (every call on it fails), it never dangles.
// A popup appended or inserted into a menu belongs to that menu and is
// destroyed with it; destroying a CMenu destroys the menu it holds unless
// it was detached.
#pragma once

#include "kscstring.h"

struct HMENU__;
using HMENU = HMENU__*;
using UINT_PTR = uintptr_t;

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_DATA = 0x0020;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_FTYPE = 0x0100;

constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_SEPARATOR = 0x0800;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_CHECKED = 0x0008;

struct MENUITEMINFOW {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    void* hbmpChecked;
    void* hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPWSTR dwTypeData;  // text in (MIIM_STRING) or buffer out
    UINT cch;           // buffer size out; characters copied back
    void* hbmpItem;
};
using MENUITEMINFO = MENUITEMINFOW;

class KS_PLATFORM_API CMenu {
public:
    HMENU m_hMenu = nullptr;

    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    virtual ~CMenu();

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // Destroys the menu and every popup it holds.
    BOOL DestroyMenu();
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }
    // The CMenu holding a handle, or a temporary one owned by the menu.
    static CMenu* FromHandle(HMENU hMenu);
    static BOOL IsMenu(HMENU hMenu);

    // nFlags: MF_STRING, MF_SEPARATOR or MF_POPUP (nIDNewItem is then the
    // popup's handle), with MF_GRAYED/MF_CHECKED.
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const wchar_t* lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, const wchar_t* lpszNewItem = nullptr);
    // Replaces an item (MF_BYPOSITION or MF_BYCOMMAND in nFlags), keeping
    // its item data; a popup the item held before is destroyed.
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, const wchar_t* lpszNewItem = nullptr);
    // Removes an item; DeleteMenu also destroys its popup.
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);

    // -1 (as UINT) for a dead menu.
    UINT GetMenuItemCount() const;
    // The command id at a position; 0xFFFFFFFF for a popup or a bad position.
    UINT GetMenuItemID(int nPos) const;
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    // Characters copied; 0 when the item is missing.
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, LPWSTR lpString, int nMaxCount, UINT nFlags) const;
    // The popup at a position, or null.
    CMenu* GetSubMenu(int nPos) const;
    // By command identifier (searching popups too) or by position.
    BOOL GetMenuItemInfo(UINT uItem, MENUITEMINFOW* info, BOOL fByPos = FALSE) const;
    BOOL SetMenuItemInfo(UINT uItem, const MENUITEMINFOW* info, BOOL fByPos = FALSE);

private:
    bool m_temporary = false;
    friend struct CMenuAccess;
};
