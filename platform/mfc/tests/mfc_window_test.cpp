#include "kscstringlist.h"
#include "kscwnd.h"

#include <gtest/gtest.h>

namespace {

TEST(Wnd, ControlsByIdentifier)
{
    CWnd dialog;
    EXPECT_EQ(dialog.GetDlgItem(1), nullptr);
    CWnd* edit = dialog.AddDlgItem(1, L"text");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(dialog.GetDlgItem(1), edit);
    EXPECT_EQ(edit->GetDlgCtrlID(), 1);
    CString text;
    edit->GetWindowText(text);
    EXPECT_TRUE(text == L"text");
    EXPECT_EQ(edit->GetWindowTextLength(), 4);
    dialog.SetDlgItemText(1, L"changed");
    EXPECT_EQ(dialog.GetDlgItemText(1, text), 7);
    EXPECT_TRUE(text == L"changed");
    EXPECT_EQ(dialog.GetDlgItemText(2, text), 0);
    EXPECT_TRUE(text.IsEmpty());
    dialog.SetDlgItemText(2, L"nowhere");
    // Adding an identifier again replaces the control.
    CWnd* again = dialog.AddDlgItem(1, nullptr);
    EXPECT_EQ(dialog.GetDlgItem(1), again);
    EXPECT_EQ(again->GetWindowTextLength(), 0);
    EXPECT_TRUE(dialog.IsKindOf(RUNTIME_CLASS(CWnd)));
}

TEST(Wnd, EnabledState)
{
    CWnd dialog;
    CWnd* button = dialog.AddDlgItem(5);
    EXPECT_TRUE(button->IsWindowEnabled());
    EXPECT_FALSE(button->EnableWindow(FALSE));
    EXPECT_FALSE(button->IsWindowEnabled());
    EXPECT_TRUE(button->EnableWindow(TRUE));
    EXPECT_TRUE(button->IsWindowEnabled());
}

TEST(Wnd, CheckStatesAndRadioRanges)
{
    CWnd dialog;
    for (int id = 10; id <= 13; ++id)
        dialog.AddDlgItem(id);
    EXPECT_EQ(dialog.GetCheckedRadioButton(10, 13), 0);
    dialog.CheckRadioButton(10, 12, 12);
    EXPECT_EQ(dialog.IsDlgButtonChecked(12), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(dialog.GetCheckedRadioButton(10, 12), 12);
    EXPECT_EQ(dialog.GetCheckedRadioButton(10, 11), 0);
    dialog.CheckRadioButton(10, 12, 11);
    EXPECT_EQ(dialog.IsDlgButtonChecked(12), 0u);
    EXPECT_EQ(dialog.GetCheckedRadioButton(10, 12), 11);
    // Several checked: the lowest identifier of the range.
    dialog.CheckDlgButton(13, BST_CHECKED);
    dialog.CheckDlgButton(10, BST_CHECKED);
    EXPECT_EQ(dialog.GetCheckedRadioButton(10, 13), 10);
    EXPECT_EQ(dialog.GetCheckedRadioButton(11, 13), 11);
    EXPECT_EQ(dialog.IsDlgButtonChecked(99), 0u);
    dialog.CheckDlgButton(99, BST_CHECKED);
    dialog.GetDlgItem(13)->SetCheck(BST_UNCHECKED);
    EXPECT_EQ(dialog.GetDlgItem(13)->GetCheck(), BST_UNCHECKED);
    // A huge range costs nothing.
    EXPECT_EQ(dialog.GetCheckedRadioButton(-2147483647 - 1, 2147483647), 10);
}

TEST(StringList, KeepsCopiesInOrder)
{
    CStringList list;
    CString a(L"alpha");
    list.AddTail(a);
    a = L"changed";
    list.AddTail(CString(L"beta"));
    list.AddHead(CString(L"zero"));
    ASSERT_EQ(list.GetCount(), 3);
    POSITION p = list.GetHeadPosition();
    EXPECT_TRUE(list.GetNext(p) == L"zero");
    EXPECT_TRUE(list.GetNext(p) == L"alpha");
    EXPECT_TRUE(list.GetNext(p) == L"beta");
    EXPECT_EQ(p, nullptr);
    EXPECT_NE(list.Find(CString(L"beta")), nullptr);
    EXPECT_EQ(list.Find(CString(L"changed")), nullptr);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(list.IsKindOf(RUNTIME_CLASS(CObject)));
}

}  // namespace
