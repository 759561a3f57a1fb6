#include "kscmenu.h"
#include "kscstring.h"

#include <gtest/gtest.h>

#include <clocale>

// The data-source string functions of the client library, written with
// the CString operations they use: the first ";" splits provider and path.
namespace {
CString extractProvider(const CString& source)
{
    CString s(source);
    int p = s.Find(L';');
    if (p < 0)
        return s;
    CString left = s.Left(p);
    return left.Trim();
}
CString extractPath(const CString& source)
{
    CString s(source);
    int p = s.Find(L';');
    if (p <= 0)
        return s;
    CString rest = s.Mid(p + 1);
    int q = rest.Find(L';');
    if (q > 0)
        rest = rest.Left(q);
    return rest.Trim();
}
}  // namespace

TEST(CString, OperationsOfTheDataSourceStrings)
{
    CString source(L"KSTextProvider.KSTextProvider; /data/run 1.txt;");
    EXPECT_EQ(extractProvider(source), L"KSTextProvider.KSTextProvider");
    EXPECT_EQ(extractPath(source), L"/data/run 1.txt");
    EXPECT_EQ(extractProvider(CString(L";x")), L"");
    EXPECT_EQ(extractPath(CString(L";x")), L";x");
    EXPECT_EQ(extractProvider(CString(L"  no separator  ")), L"  no separator  ");
}

TEST(CString, SearchSubstringsAndCases)
{
    CString s(L"Hello, World");
    EXPECT_EQ(s.GetLength(), 12);
    EXPECT_EQ(s.Find(L"World"), 7);
    EXPECT_EQ(s.Find(L'o', 5), 8);
    EXPECT_EQ(s.Find(L'o', 50), -1);
    EXPECT_EQ(s.ReverseFind(L'o'), 8);
    EXPECT_EQ(s.Mid(7), L"World");
    EXPECT_EQ(s.Mid(7, 100), L"World");
    EXPECT_EQ(s.Mid(50), L"");
    EXPECT_EQ(s.Left(-3), L"");
    EXPECT_EQ(s.Right(5), L"World");
    EXPECT_EQ(s.CompareNoCase(L"hello, world"), 0);
    EXPECT_NE(s.Compare(L"hello, world"), 0);
    EXPECT_LT(CString(L"abc").CompareNoCase(L"ABD"), 0);
    CString u = s;
    u.MakeUpper();
    EXPECT_EQ(u, L"HELLO, WORLD");
    EXPECT_EQ(u.Replace(L"L", L"l"), 3);
    EXPECT_EQ(u, L"HEllO, WORlD");
    CString t(L"\t x y \r\n");
    EXPECT_EQ(t.Trim(), L"x y");
    CString z(L"xx1xx");
    EXPECT_EQ(z.Trim(L"x"), L"1");
    EXPECT_EQ(CString("caf\xe9"), L"caf\u00e9");  // Latin-1, zero-extended
}

// The same fold in every process locale: É and é are equal in "C" too.
TEST(CString, CaseOfNonAsciiLettersInEveryLocale)
{
    for (const char* loc : {"C", "C.UTF-8"}) {
        if (!std::setlocale(LC_ALL, loc))
            continue;
        EXPECT_EQ(CString(L"\u00C9t\u00E9").CompareNoCase(L"\u00E9T\u00C9"), 0) << loc;
        EXPECT_LT(CString(L"\u00E9").CompareNoCase(L"\u00DE"), 0) << loc;  // é before Þ (þ)
        CString u(L"\u00E9t\u00E9 \u0436");
        u.MakeUpper();
        EXPECT_EQ(u, L"\u00C9T\u00C9 \u0416") << loc;
        u.MakeLower();
        EXPECT_EQ(u, L"\u00E9t\u00E9 \u0436") << loc;
    }
    std::setlocale(LC_ALL, "C");
}

TEST(CString, FormatBuffersAndBstr)
{
    CString s;
    s.Format(L"%d", -42);
    EXPECT_EQ(s, L"-42");
    CString prefix(L"Pre"), text(L"message");
    s.Format(L"%ls : %ls", prefix.GetString(), text.GetString());
    EXPECT_EQ(s, L"Pre : message");
    std::wstring longText(1000, L'a');
    s.Format(L"%ls!", longText.c_str());
    EXPECT_EQ(s.GetLength(), 1001);

    wchar_t* buf = s.GetBuffer(300);
    wcscpy(buf, L"short");
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"short");

    BSTR b = s.AllocSysString();
    EXPECT_EQ(SysStringLen(b), 5u);
    EXPECT_STREQ(b, L"short");
    CString(L"longer text").SetSysString(&b);
    EXPECT_STREQ(b, L"longer text");
    SysFreeString(b);
}

// The provider popup of the client library: items for providers whose
// flags share a bit with the asked flags, consecutive command identifiers,
// provider positions as item data, put in place of an item of a sub-menu.
TEST(CMenu, ProviderPopupReplacesAnItem)
{
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    CMenu file;
    ASSERT_TRUE(file.CreatePopupMenu());
    file.AppendMenu(MF_STRING, 100, L"&Open");
    file.AppendMenu(MF_STRING, 101, L"&Import from");
    file.AppendMenu(MF_SEPARATOR);
    ASSERT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(file.Detach()), L"&File"));

    const LONG flags[] = {4, 1, 5};
    auto* popup = new CMenu;
    ASSERT_TRUE(popup->CreatePopupMenu());
    UINT first = 2000, k = 0;
    for (UINT i = 0; i < 3; ++i) {
        if (!(flags[i] & 4))
            continue;
        std::wstring name = L"Provider " + std::to_wstring(i);
        ASSERT_TRUE(popup->AppendMenu(MF_STRING, first + k, name.c_str()));
        MENUITEMINFO info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        info.dwItemData = i;
        ASSERT_TRUE(popup->SetMenuItemInfo(first + k, &info, FALSE));
        ++k;
    }
    EXPECT_EQ(popup->GetMenuItemCount(), 2u);
    EXPECT_EQ(popup->GetMenuItemID(1), first + 1);

    CMenu* sub = bar.GetSubMenu(0);
    ASSERT_NE(sub, nullptr);
    CString label;
    ASSERT_EQ(sub->GetMenuString(1, label, MF_BYPOSITION), 12);
    ASSERT_TRUE(sub->ModifyMenu(1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup->GetSafeHmenu()),
                                label));
    EXPECT_EQ(sub->GetMenuItemID(1), 0xFFFFFFFFu);  // now a popup
    EXPECT_EQ(sub->GetMenuString(1, label, MF_BYPOSITION), 12);
    EXPECT_EQ(label, L"&Import from");
    popup->Detach();  // the menu bar owns it now
    delete popup;

    // Reading back: menu -> sub-menu -> popup -> data of a command.
    CMenu* found = bar.GetSubMenu(0) ? bar.GetSubMenu(0)->GetSubMenu(1) : nullptr;
    ASSERT_NE(found, nullptr);
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    ASSERT_TRUE(found->GetMenuItemInfo(first + 1, &info, FALSE));
    EXPECT_EQ(info.dwItemData, 2u);
    EXPECT_FALSE(found->GetMenuItemInfo(first + 7, &info, FALSE));  // command not there
    EXPECT_EQ(bar.GetSubMenu(0)->GetSubMenu(2), nullptr);            // a level missing
    // Commands are also found from the top, through the popups.
    ASSERT_TRUE(bar.GetMenuItemInfo(first, &info, FALSE));
    EXPECT_EQ(info.dwItemData, 0u);

    HMENU popupHandle = found->GetSafeHmenu();
    EXPECT_TRUE(CMenu::IsMenu(popupHandle));
    ASSERT_TRUE(bar.DestroyMenu());
    EXPECT_FALSE(CMenu::IsMenu(popupHandle));  // popups go with their menu
    EXPECT_EQ(bar.GetMenuItemCount(), 0xFFFFFFFFu);
}

TEST(CMenu, DeadHandlesFailSafely)
{
    auto* owner = new CMenu;
    owner->CreatePopupMenu();
    owner->AppendMenu(MF_STRING, 1, L"one");
    CMenu parent;
    parent.CreateMenu();
    parent.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(owner->GetSafeHmenu()), L"sub");
    delete owner;  // destroys the popup although the parent still lists it
    EXPECT_EQ(parent.GetSubMenu(0), nullptr);
    CString s;
    EXPECT_EQ(parent.GetMenuString(0, s, MF_BYPOSITION), 3);
    EXPECT_FALSE(parent.AppendMenu(MF_POPUP, 12345, L"bogus"));
    EXPECT_TRUE(parent.DeleteMenu(0, MF_BYPOSITION));
    EXPECT_EQ(parent.GetMenuItemCount(), 0u);
}
