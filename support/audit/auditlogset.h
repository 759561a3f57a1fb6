// The record sets of the audit and history tables, and the watched dialog
// value of the change differencer.
#pragma once

#include "aldovenapi.h"
#include "daodb.h"

// The kind of a watched value.
enum eVarType : int32_t {
    eTextVar = 0,   // a text taken from a window, such as an edit box
    eCheckVar = 3,  // a check box: one of the two check strings
};
static_assert(sizeof(eVarType) == 4, "eVarType is 32 bits");

// A row of "AuditLogTable".
class ALDOVEN_API CAuditLogSet : public CDaoRecordset {
    DECLARE_DYNAMIC(CAuditLogSet)
public:
    explicit CAuditLogSet(CDaoDatabase* pDatabase = nullptr);
    ~CAuditLogSet() override;

    CString GetDefaultDBName() override;
    CString GetDefaultSQL() override;
    void DoFieldExchange(CDaoFieldExchange* pFX) override;

    COleDateTime DateTime() const { return m_DateTime; }
    void DateTime(COleDateTime value) { m_DateTime = value; }
    CString UserID() const { return m_UserID; }
    void UserID(CString value) { m_UserID = value; }
    CString Username() const { return m_UserName; }
    void UserName(CString value) { m_UserName = value; }
    CString ComputerName() const { return m_ComputerName; }
    void ComputerName(CString value) { m_ComputerName = value; }
    CString Event() const { return m_Event; }
    void Event(CString value) { m_Event = value; }
    CString UserResponse() const { return m_UserResponse; }
    void UserResponse(CString value) { m_UserResponse = value; }
    CString Message() const { return m_Message; }
    void Message(CString value) { m_Message = value; }
    CString Contex() const { return m_Context; }
    void Contex(CString value) { m_Context = value; }
    CString Application() const { return m_Application; }
    void Application(CString value) { m_Application = value; }

    // Copies the bound values of another record set; its own state (open,
    // position) stays as it is.
    void copy_object(const CAuditLogSet& other);
    CAuditLogSet& operator=(const CAuditLogSet& other);

private:
    COleDateTime m_DateTime;
    CString m_UserID;
    CString m_UserName;
    CString m_ComputerName;
    CString m_Event;
    CString m_UserResponse;
    CString m_Message;
    CString m_Context;
    CString m_Application;
};

// A row of "HistoryLogTable".
class ALDOVEN_API CHistoryLogSet : public CDaoRecordset {
    DECLARE_DYNAMIC(CHistoryLogSet)
public:
    explicit CHistoryLogSet(CDaoDatabase* pDatabase = nullptr);
    ~CHistoryLogSet() override;

    CString GetDefaultDBName() override;
    CString GetDefaultSQL() override;
    void DoFieldExchange(CDaoFieldExchange* pFX) override;

    COleDateTime DateTime() const { return m_DateTime; }
    void DateTime(COleDateTime value) { m_DateTime = value; }
    CString UserID() const { return m_UserID; }
    void UserID(CString value) { m_UserID = value; }
    CString Username() const { return m_UserName; }
    void Username(CString value) { m_UserName = value; }
    CString ComputerName() const { return m_ComputerName; }
    void ComputerName(CString value) { m_ComputerName = value; }
    CString ChangeType() const { return m_ChangeType; }
    void ChangeType(CString value) { m_ChangeType = value; }
    CString OldRow() const { return m_OldRow; }
    void OldRow(CString value) { m_OldRow = value; }
    CString NewRow() const { return m_NewRow; }
    void NewRow(CString value) { m_NewRow = value; }
    CString ItemChanged() const { return m_ItemChanged; }
    void ItemChanged(CString value) { m_ItemChanged = value; }
    CString OldVale() const { return m_OldValue; }
    void OldVale(CString value) { m_OldValue = value; }
    CString NewValue() const { return m_NewValue; }
    void NewValue(CString value) { m_NewValue = value; }
    CString DataID1() const { return m_DataID1; }
    void DataID1(CString value) { m_DataID1 = value; }
    CString DataID2() const { return m_DataID2; }
    void DataID2(CString value) { m_DataID2 = value; }
    CString DataID3() const { return m_DataID3; }
    void DataID3(CString value) { m_DataID3 = value; }
    CString DataID4() const { return m_DataID4; }
    void DataID4(CString value) { m_DataID4 = value; }
    CString DataID5() const { return m_DataID5; }
    void DataID5(CString value) { m_DataID5 = value; }

    void copy_object(const CHistoryLogSet& other);
    CHistoryLogSet& operator=(const CHistoryLogSet& other);

private:
    COleDateTime m_DateTime;
    CString m_UserID;
    CString m_UserName;
    CString m_ComputerName;
    CString m_ChangeType;
    CString m_OldRow;
    CString m_NewRow;
    CString m_ItemChanged;
    CString m_OldValue;
    CString m_NewValue;
    CString m_DataID1;
    CString m_DataID2;
    CString m_DataID3;
    CString m_DataID4;
    CString m_DataID5;
};

// One watched dialog value: its control, name, value at the snapshot, kind,
// the change type and row to record, and the two check strings of a check
// box.
class ALDOVEN_API CAuditVal : public CObject {
public:
    CAuditVal(int nVarID = 0, CString name = szEmptyText, CString value = szEmptyText, eVarType type = eTextVar,
              CString changeType = szEmptyText, CString row = szEmptyText);
    ~CAuditVal() override;

    int VarID() const { return m_VarID; }
    void VarID(int value) { m_VarID = value; }
    CString Name() const { return m_Name; }
    void Name(CString value) { m_Name = value; }
    CString Value() const { return m_Value; }
    void Value(CString value) { m_Value = value; }
    eVarType VarType() const { return m_VarType; }
    void VarType(eVarType value) { m_VarType = value; }
    CString ChangeType() const { return m_ChangeType; }
    void ChangeType(CString value) { m_ChangeType = value; }
    CString RowNumber() const { return m_RowNumber; }
    void RowNumber(CString value) { m_RowNumber = value; }

    // The check string of a checked (index non-zero) or unchecked (zero)
    // box: "enabled" and "disabled" unless set otherwise.
    const CString& CheckStrings(int index) const { return m_CheckStrings[index ? 1 : 0]; }
    void CheckStrings(const wchar_t* text, int index) { m_CheckStrings[index ? 1 : 0] = CString(text); }

    CAuditVal& operator=(const CAuditVal& other);

private:
    void copy_object(const CAuditVal& other);

    int m_VarID;
    CString m_Name;
    CString m_Value;
    eVarType m_VarType;
    CString m_ChangeType;
    CString m_RowNumber;
    CString m_CheckStrings[2];
};
