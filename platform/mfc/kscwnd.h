// A window stand-in for code that reads dialogs: a dialog owns child
// controls by identifier, each with its text, enabled state and check
// state. Tests (and hosts without real windows) build the dialog with
// AddDlgItem and set the controls as a user would.
#pragma once

#include "kscobject.h"
#include "kscstring.h"
#include "kstypes.h"

#include <memory>
#include <vector>

// Button check states.
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Adds a child control (replacing one of the same identifier) and
    // returns it; the window owns it.
    CWnd* AddDlgItem(int nID, LPCWSTR lpszText = L"");
    // The child control of that identifier, null when there is none.
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const { return m_nID; }

    void SetWindowText(LPCWSTR lpszString);
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCWSTR lpszString);
    // The text of a child control (empty when there is none) and its length.
    int GetDlgItemText(int nID, CString& rString) const;

    // Returns non-zero when the window was disabled before.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const { return m_bEnabled ? TRUE : FALSE; }

    // Check state of a button control.
    void SetCheck(int nCheck) { m_nCheck = nCheck; }
    int GetCheck() const { return m_nCheck; }
    // Check state of a child button, 0 when there is none.
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    // Checks nIDCheckButton and clears the other buttons of the range.
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    // The first checked button from nIDFirstButton to nIDLastButton (in
    // identifier order), 0 when
    // none is checked.
    int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;

private:
    int m_nID = 0;
    CString m_strText;
    bool m_bEnabled = true;
    int m_nCheck = BST_UNCHECKED;
    std::vector<std::unique_ptr<CWnd>> m_children;
};
