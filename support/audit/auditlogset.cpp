#include "auditlogset.h"

const wchar_t* const szEmptyText = L"";
const wchar_t* const szUnknownText = L"Unknown";

IMPLEMENT_DYNAMIC(CAuditLogSet, CDaoRecordset)
IMPLEMENT_DYNAMIC(CHistoryLogSet, CDaoRecordset)

// ---------------------------------------------------------------- audit

CAuditLogSet::CAuditLogSet(CDaoDatabase* pDatabase) : CDaoRecordset(pDatabase), m_DateTime(0.0)
{
    m_nFields = 9;
    m_nDefaultType = dbOpenDynaset;
}

CAuditLogSet::~CAuditLogSet() = default;

CString CAuditLogSet::GetDefaultDBName()
{
    return CString(L"Tabledefs.mdb");
}

CString CAuditLogSet::GetDefaultSQL()
{
    return CString(L"[AuditLogTable]");
}

void CAuditLogSet::DoFieldExchange(CDaoFieldExchange* pFX)
{
    pFX->SetFieldType(CDaoFieldExchange::outputColumn);
    DFX_DateTime(pFX, L"[Time & Date]", m_DateTime, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[User ID]", m_UserID, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[User Name]", m_UserName, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Computer Name]", m_ComputerName, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Event]", m_Event, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[User Response]", m_UserResponse, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Message]", m_Message, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Context]", m_Context, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Application]", m_Application, 255, AFX_DAO_ENABLE_FIELD_CACHE);
}

void CAuditLogSet::copy_object(const CAuditLogSet& other)
{
    if (&other == this)
        return;
    m_DateTime = other.m_DateTime;
    m_UserID = other.m_UserID;
    m_UserName = other.m_UserName;
    m_ComputerName = other.m_ComputerName;
    m_Event = other.m_Event;
    m_UserResponse = other.m_UserResponse;
    m_Message = other.m_Message;
    m_Context = other.m_Context;
    m_Application = other.m_Application;
}

CAuditLogSet& CAuditLogSet::operator=(const CAuditLogSet& other)
{
    copy_object(other);
    return *this;
}

// ---------------------------------------------------------------- history

CHistoryLogSet::CHistoryLogSet(CDaoDatabase* pDatabase) : CDaoRecordset(pDatabase), m_DateTime(0.0)
{
    m_nFields = 15;
    m_nDefaultType = dbOpenDynaset;
}

CHistoryLogSet::~CHistoryLogSet() = default;

CString CHistoryLogSet::GetDefaultDBName()
{
    return CString(L"Tabledefs.mdb");
}

CString CHistoryLogSet::GetDefaultSQL()
{
    return CString(L"[HistoryLogTable]");
}

void CHistoryLogSet::DoFieldExchange(CDaoFieldExchange* pFX)
{
    pFX->SetFieldType(CDaoFieldExchange::outputColumn);
    DFX_DateTime(pFX, L"[Time & Date]", m_DateTime, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[User ID]", m_UserID, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[User Name]", m_UserName, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Computer Name]", m_ComputerName, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Change Type]", m_ChangeType, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Old Row]", m_OldRow, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[New Row]", m_NewRow, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Item being changed]", m_ItemChanged, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[Old value]", m_OldValue, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[New value]", m_NewValue, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[data ID1]", m_DataID1, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[data ID2]", m_DataID2, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[data ID3]", m_DataID3, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[data ID4]", m_DataID4, 255, AFX_DAO_ENABLE_FIELD_CACHE);
    DFX_Text(pFX, L"[data ID5]", m_DataID5, 255, AFX_DAO_ENABLE_FIELD_CACHE);
}

void CHistoryLogSet::copy_object(const CHistoryLogSet& other)
{
    if (&other == this)
        return;
    m_DateTime = other.m_DateTime;
    m_UserID = other.m_UserID;
    m_UserName = other.m_UserName;
    m_ComputerName = other.m_ComputerName;
    m_ChangeType = other.m_ChangeType;
    m_OldRow = other.m_OldRow;
    m_NewRow = other.m_NewRow;
    m_ItemChanged = other.m_ItemChanged;
    m_OldValue = other.m_OldValue;
    m_NewValue = other.m_NewValue;
    m_DataID1 = other.m_DataID1;
    m_DataID2 = other.m_DataID2;
    m_DataID3 = other.m_DataID3;
    m_DataID4 = other.m_DataID4;
    m_DataID5 = other.m_DataID5;
}

CHistoryLogSet& CHistoryLogSet::operator=(const CHistoryLogSet& other)
{
    copy_object(other);
    return *this;
}

// ---------------------------------------------------------------- watched value

CAuditVal::CAuditVal(int nVarID, CString name, CString value, eVarType type, CString changeType, CString row)
    : m_VarID(nVarID),
      m_Name(name),
      m_Value(value),
      m_VarType(type),
      m_ChangeType(changeType),
      m_RowNumber(row)
{
    m_CheckStrings[0] = CString(L"disabled");
    m_CheckStrings[1] = CString(L"enabled");
}

CAuditVal::~CAuditVal() = default;

void CAuditVal::copy_object(const CAuditVal& other)
{
    if (&other == this)
        return;
    m_VarID = other.m_VarID;
    m_Name = other.m_Name;
    m_Value = other.m_Value;
    m_VarType = other.m_VarType;
    m_ChangeType = other.m_ChangeType;
    m_RowNumber = other.m_RowNumber;
    m_CheckStrings[0] = other.m_CheckStrings[0];
    m_CheckStrings[1] = other.m_CheckStrings[1];
}

CAuditVal& CAuditVal::operator=(const CAuditVal& other)
{
    copy_object(other);
    return *this;
}
