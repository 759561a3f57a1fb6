#include "qeldifferencer.h"

#include "ksdialogs.h"

namespace {

const wchar_t kNotApplicable[] = L"NA";
const wchar_t kEdit[] = L"Edit";

// The text of a dialog's control; empty when the dialog has no such
// control.
CString controlText(const CWnd& dialog, int id)
{
    CString text;
    if (const CWnd* control = dialog.GetDlgItem(id))
        control->GetWindowText(text);
    return text;
}

}  // namespace

CqelDifferencer::CqelDifferencer() : m_pEditList(std::make_unique<CObList>(10)), m_pRadioList(std::make_unique<CObList>(10))
{
}

CqelDifferencer::CqelDifferencer(const CqelDifferencer& other)
    : m_pEditList(std::make_unique<CObList>(10)), m_pRadioList(std::make_unique<CObList>(10))
{
    copy_object(other);
}

CqelDifferencer& CqelDifferencer::operator=(const CqelDifferencer& other)
{
    if (this != &other)
        copy_object(other);
    return *this;
}

CqelDifferencer::~CqelDifferencer()
{
    EmptyLists();
}

void CqelDifferencer::copy_object(const CqelDifferencer& other)
{
    m_Prefix = other.m_Prefix;
    m_pDatabase = other.m_pDatabase;
    m_UserID = other.m_UserID;
    m_UserName = other.m_UserName;
    m_ComputerName = other.m_ComputerName;
    for (int i = 0; i < 5; ++i)
        m_DataID[i] = other.m_DataID[i];
    m_Event = other.m_Event;
    m_UserResponse = other.m_UserResponse;
    m_Message = other.m_Message;
    m_Context = other.m_Context;
    m_Application = other.m_Application;

    EmptyLists();
    for (POSITION pos = other.m_pEditList->GetHeadPosition(); pos;)
        Add(static_cast<CAuditVal*>(other.m_pEditList->GetNext(pos)), eEditCtrl);
    for (POSITION pos = other.m_pRadioList->GetHeadPosition(); pos;)
        Add(static_cast<CAuditVal*>(other.m_pRadioList->GetNext(pos)), eRadioCtrl);
}

void CqelDifferencer::MemoryExceptionHandler(const std::bad_alloc&) {}

void CqelDifferencer::SetDataIDValues(CString id1, CString id2, CString id3, CString id4, CString id5)
{
    m_DataID[0] = id1;
    m_DataID[1] = id2;
    m_DataID[2] = id3;
    m_DataID[3] = id4;
    m_DataID[4] = id5;
}

void CqelDifferencer::SetUserInformation()
{
    SetUserInformation(szUnknownText, szUnknownText, szUnknownText);
}

void CqelDifferencer::SetUserInformation(CString userID, CString userName, CString computerName)
{
    m_UserID = userID;
    m_UserName = userName;
    m_ComputerName = computerName;
}

void CqelDifferencer::GetUserInformation(CString& userName, CString& userID, CString& computerName) const
{
    userName = m_UserName;
    userID = m_UserID;
    computerName = m_ComputerName;
}

void CqelDifferencer::GetUserInformation(CString& userName, CString& userID) const
{
    userName = m_UserName;
    userID = m_UserID;
}

CString CqelDifferencer::CleanString(CString text)
{
    const int amp = text.Find(L'&');
    if (amp >= 0)
        text.Delete(amp, 1);
    return text;
}

CString CqelDifferencer::AddPrefixToString(const CString& text)
{
    if (text.IsEmpty() || m_Prefix.IsEmpty())
        return text;
    CString out = m_Prefix;
    out += L" : ";
    out += text;
    return out;
}

void CqelDifferencer::Add(CAuditVal* value, eCtrlType kind)
{
    if (!value)
        return;
    CAuditVal* copy = nullptr;
    try {
        copy = new CAuditVal();
        *copy = *value;
        copy->Name(CleanString(copy->Name()));
        if (kind == eEditCtrl)
            m_pEditList->AddTail(copy);
        else if (kind == eRadioCtrl)
            m_pRadioList->AddTail(copy);
        else
            delete copy;
    } catch (const std::bad_alloc& e) {
        delete copy;
        MemoryExceptionHandler(e);
    }
}

void CqelDifferencer::AddEdit(CWnd* dialog, int count, int identifiers[], CString names[], CString row)
{
    if (!dialog || !identifiers)
        return;
    for (int i = 0; i < count; ++i) {
        try {
            const bool inRow = !row.IsEmpty();
            CAuditVal value(identifiers[i], names ? names[i] : CString(), controlText(*dialog, identifiers[i]),
                            eTextVar, inRow ? CString(kEdit) : CString(), inRow ? row : CString());
            Add(&value, eEditCtrl);
        } catch (const std::bad_alloc& e) {
            MemoryExceptionHandler(e);
        }
    }
}

void CqelDifferencer::AddRB(CWnd* dialog, int count, int firstIdentifiers[], int lastIdentifiers[], CString names[])
{
    if (!dialog || !firstIdentifiers || !lastIdentifiers)
        return;
    for (int i = 0; i < count; ++i) {
        try {
            // With no button checked the entry holds identifier 0 and an
            // empty value.
            const int checked = dialog->GetCheckedRadioButton(firstIdentifiers[i], lastIdentifiers[i]);
            CAuditVal value(checked, names ? names[i] : CString(), CleanString(controlText(*dialog, checked)),
                            eTextVar, CString(), CString());
            Add(&value, eRadioCtrl);
        } catch (const std::bad_alloc& e) {
            MemoryExceptionHandler(e);
        }
    }
}

void CqelDifferencer::Empty(CObList* list)
{
    if (!list || list->IsEmpty())
        return;
    for (POSITION pos = list->GetHeadPosition(); pos;)
        delete list->GetNext(pos);
    list->RemoveAll();
}

void CqelDifferencer::EmptyLists()
{
    Empty(m_pEditList.get());
    Empty(m_pRadioList.get());
}

bool CqelDifferencer::WriteChangeToDatabase(CWnd& dialog, CString row)
{
    bool result = false;
    for (POSITION pos = m_pEditList->GetHeadPosition(); pos;) {
        auto* entry = static_cast<CAuditVal*>(m_pEditList->GetNext(pos));
        CString current;
        if (entry->VarType() == eTextVar)
            current = controlText(dialog, entry->VarID());
        else if (entry->VarType() == eCheckVar)
            current = entry->CheckStrings(dialog.IsDlgButtonChecked(entry->VarID()) ? 1 : 0);
        if (entry->Value() != current) {
            if (!row.IsEmpty())
                entry->RowNumber(row);
            result = WriteToDatabase(entry, current, eValueChange);
        }
    }
    Empty(m_pEditList.get());
    return result;
}

bool CqelDifferencer::WriteChangeToDatabase(CWnd& dialog, int identifiers[], int count, CString names[])
{
    bool result = false;
    if (!identifiers || count <= 0)
        return false;
    for (POSITION pos = m_pRadioList->GetHeadPosition(); pos;) {
        auto* entry = static_cast<CAuditVal*>(m_pRadioList->GetNext(pos));
        const CWnd* control = dialog.GetDlgItem(entry->VarID());
        if (!control || !control->IsWindowEnabled() || entry->VarID() != identifiers[0])
            continue;
        const CString now = FindRadioButtonChecked(dialog, identifiers, count, names);
        if (now != entry->Value())
            result = WriteToDatabase(entry, now, eValueChange);
    }
    return result;
}

bool CqelDifferencer::WriteChangeToDatabase(CWnd& dialog, int count, int firstIdentifiers[], int lastIdentifiers[])
{
    bool result = false;
    if (!firstIdentifiers || !lastIdentifiers)
        return false;
    POSITION pos = m_pRadioList->GetHeadPosition();
    for (int k = 0; k < count && pos; ++k) {
        auto* entry = static_cast<CAuditVal*>(m_pRadioList->GetNext(pos));
        const CWnd* first = dialog.GetDlgItem(firstIdentifiers[k]);
        if (!first || !first->IsWindowEnabled())
            continue;
        // No checked button reads as identifier 0 with an empty caption.
        const int checked = dialog.GetCheckedRadioButton(firstIdentifiers[k], lastIdentifiers[k]);
        if (checked != entry->VarID())
            result = WriteToDatabase(entry, CleanString(controlText(dialog, checked)), eValueChange);
    }
    return result;
}

bool CqelDifferencer::WriteToDatabase(CAuditVal* entry, CString newValue, eControlType kind)
{
    if (!m_pDatabase || !entry)
        return false;
    return AddRecordToDatabase(m_pDatabase->GetTypeOfDatabase(), entry, newValue, kind);
}

bool CqelDifferencer::WriteToDatabase(CObList* entries, CStringList* newValues, eControlType kind)
{
    bool result = false;
    if (!entries)
        return false;
    POSITION valuePos = newValues ? newValues->GetHeadPosition() : nullptr;
    for (POSITION pos = entries->GetHeadPosition(); pos && valuePos;) {
        auto* entry = static_cast<CAuditVal*>(entries->GetNext(pos));
        const CString value = newValues->GetNext(valuePos);
        result = WriteToDatabase(entry, value, kind);
    }
    Empty(entries);
    if (newValues)
        newValues->RemoveAll();
    return result;
}

bool CqelDifferencer::AddRecordToDatabase(eTableType type, CAuditVal* entry, CString newValue, eControlType kind)
{
    if (type != eHistoryTable && type != eAuditTable) {
        ks::dialogs::messageBox(L"No matching Tables found in database.", std::wstring(), MB_OK);
        return false;
    }
    if (!m_pDatabase || !entry)
        return false;
    if (type == eAuditTable)
        return m_pDatabase->AppendAuditRecord(m_UserID, m_UserName, m_ComputerName, m_Event, m_UserResponse,
                                              m_Message, m_Context, m_Application);

    const CString item = AddPrefixToString(entry->Name());
    CString changeType = entry->ChangeType();
    if (changeType.IsEmpty())
        changeType = CString(kEdit);
    const CString na(kNotApplicable);
    if (kind == eValueChange) {
        const CString oldRow = entry->RowNumber().IsEmpty() ? na : entry->RowNumber();
        return m_pDatabase->AppendHistoryRecord(m_UserID, m_UserName, m_ComputerName, changeType, oldRow, na, item,
                                                entry->Value(), newValue, m_DataID[0], m_DataID[1], m_DataID[2],
                                                m_DataID[3], m_DataID[4]);
    }
    if (kind == eRowChange) {
        const CString oldValue = entry->Value().IsEmpty() ? na : entry->Value();
        return m_pDatabase->AppendHistoryRecord(m_UserID, m_UserName, m_ComputerName, changeType,
                                                entry->RowNumber(), newValue, item, oldValue, na, m_DataID[0],
                                                m_DataID[1], m_DataID[2], m_DataID[3], m_DataID[4]);
    }
    // No other kind of change is recorded.
    return false;
}

CString CqelDifferencer::FindRadioButtonChecked(CWnd& dialog, int identifiers[], int count, CString names[])
{
    CString result;
    if (!identifiers)
        return result;
    for (int i = 0; i < count; ++i) {
        if (dialog.IsDlgButtonChecked(identifiers[i]))
            result = names ? names[i] : CleanString(controlText(dialog, identifiers[i]));
    }
    return result;
}

int CqelDifferencer::FindRadioButtonIDChecked(CWnd& dialog, int identifiers[], int count)
{
    int result = 0;
    if (!identifiers)
        return 0;
    for (int i = 0; i < count; ++i) {
        if (dialog.IsDlgButtonChecked(identifiers[i]))
            result = identifiers[i];
    }
    return result;
}
