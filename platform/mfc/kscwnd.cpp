#include "kscwnd.h"

IMPLEMENT_DYNAMIC(CWnd, CObject)

CWnd::CWnd() = default;
CWnd::~CWnd() = default;

CWnd* CWnd::AddDlgItem(int nID, LPCWSTR lpszText)
{
    auto control = std::make_unique<CWnd>();
    control->m_nID = nID;
    control->m_strText = CString(lpszText ? lpszText : L"");
    for (auto& child : m_children) {
        if (child->m_nID == nID) {
            child = std::move(control);
            return child.get();
        }
    }
    m_children.push_back(std::move(control));
    return m_children.back().get();
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    for (const auto& child : m_children) {
        if (child->m_nID == nID)
            return child.get();
    }
    return nullptr;
}

void CWnd::SetWindowText(LPCWSTR lpszString)
{
    m_strText = CString(lpszString ? lpszString : L"");
}

void CWnd::GetWindowText(CString& rString) const
{
    rString = m_strText;
}

int CWnd::GetWindowTextLength() const
{
    return m_strText.GetLength();
}

void CWnd::SetDlgItemText(int nID, LPCWSTR lpszString)
{
    if (CWnd* control = GetDlgItem(nID))
        control->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    if (const CWnd* control = GetDlgItem(nID)) {
        control->GetWindowText(rString);
        return rString.GetLength();
    }
    rString = CString(L"");
    return 0;
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    const bool wasDisabled = !m_bEnabled;
    m_bEnabled = bEnable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

UINT CWnd::IsDlgButtonChecked(int nIDButton) const
{
    const CWnd* button = GetDlgItem(nIDButton);
    return button ? static_cast<UINT>(button->m_nCheck) : 0u;
}

void CWnd::CheckDlgButton(int nIDButton, UINT nCheck)
{
    if (CWnd* button = GetDlgItem(nIDButton))
        button->m_nCheck = static_cast<int>(nCheck);
}

void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton)
{
    for (auto& child : m_children) {
        if (child->m_nID >= nIDFirstButton && child->m_nID <= nIDLastButton)
            child->m_nCheck = child->m_nID == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED;
    }
}

int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const
{
    // The lowest identifier of the range whose button is checked.
    int found = 0;
    bool any = false;
    for (const auto& child : m_children) {
        const int id = child->m_nID;
        if (id >= nIDFirstButton && id <= nIDLastButton && child->m_nCheck != BST_UNCHECKED && (!any || id < found)) {
            found = id;
            any = true;
        }
    }
    return any ? found : 0;
}
