// The change differencer: snapshots the watched controls of a dialog when
// it opens and, when the user confirms, writes one audit or history record
// for every value that changed.
#pragma once

#include "aldovenapi.h"
#include "auditlogset.h"
#include "kscoblist.h"
#include "kscstringlist.h"
#include "kscwnd.h"
#include "qeldatabase.h"

#include <memory>
#include <new>

// The snapshot list an entry goes into.
enum eCtrlType : int32_t {
    eEditCtrl = 0,   // edit boxes and other values read as text
    eRadioCtrl = 1,  // radio-button groups
};
static_assert(sizeof(eCtrlType) == 4, "eCtrlType is 32 bits");

// The kind of change written to a history table.
enum eControlType : int32_t {
    eValueChange = 0,
    eRowChange = 1,
};
static_assert(sizeof(eControlType) == 4, "eControlType is 32 bits");

class ALDOVEN_API CqelDifferencer {
public:
    CqelDifferencer();
    // Copies are deep: the copy gets its own snapshot entries.
    CqelDifferencer(const CqelDifferencer& other);
    CqelDifferencer& operator=(const CqelDifferencer& other);
    ~CqelDifferencer();

    void Prefix(CString prefix) { m_Prefix = prefix; }
    CString Prefix() const { return m_Prefix; }
    // The database the records go to; the caller keeps it alive and open.
    void Database(CqelDatabase* database) { m_pDatabase = database; }
    CqelDatabase* Database() const { return m_pDatabase; }

    void DataID1(const CString& value) { m_DataID[0] = value; }
    void DataID2(const CString& value) { m_DataID[1] = value; }
    void DataID3(const CString& value) { m_DataID[2] = value; }
    void DataID4(const CString& value) { m_DataID[3] = value; }
    void DataID5(const CString& value) { m_DataID[4] = value; }
    void SetDataIDValues(CString id1, CString id2, CString id3, CString id4, CString id5);

    // Without arguments: "Unknown" for all three.
    void SetUserInformation();
    void SetUserInformation(CString userID, CString userName, CString computerName);
    void GetUserInformation(CString& userName, CString& userID, CString& computerName) const;
    void GetUserInformation(CString& userName, CString& userID) const;

    // Snapshot of edit boxes (their text) and of radio groups (the checked
    // button of each range).
    void AddEdit(CWnd* dialog, int count, int identifiers[], CString names[], CString row);
    void AddRB(CWnd* dialog, int count, int firstIdentifiers[], int lastIdentifiers[], CString names[]);
    // Adds a copy of `value` (its name cleaned) to the list of `kind`.
    void Add(CAuditVal* value, eCtrlType kind);
    // Releases every entry of the list and removes them.
    void Empty(CObList* list);
    void EmptyLists();

    // Compares the edit snapshot with the dialog, writes the changes and
    // empties the edit list.
    bool WriteChangeToDatabase(CWnd& dialog, CString row);
    // Compares the radio snapshot with the checked button among
    // `identifiers` (one group); the snapshot is kept.
    bool WriteChangeToDatabase(CWnd& dialog, int identifiers[], int count, CString names[]);
    // Compares the radio snapshot with each group of buttons first..last;
    // the snapshot is kept.
    bool WriteChangeToDatabase(CWnd& dialog, int count, int firstIdentifiers[], int lastIdentifiers[]);

    bool WriteToDatabase(CAuditVal* entry, CString newValue, eControlType kind);
    // Writes each entry with the value at the same position (entries
    // without a value are not written), then empties both lists.
    bool WriteToDatabase(CObList* entries, CStringList* newValues, eControlType kind);
    // Writes one record into the table of `type`; true when it was written.
    bool AddRecordToDatabase(eTableType type, CAuditVal* entry, CString newValue, eControlType kind);

    CString AddPrefixToString(const CString& text);
    // The text without its first '&' (a caption's mnemonic marker).
    static CString CleanString(CString text);
    // The name (or, without names, the cleaned caption) of the last checked
    // button of the array; empty when none is checked.
    CString FindRadioButtonChecked(CWnd& dialog, int identifiers[], int count, CString names[]);
    // The identifier of the last checked button of the array, 0 when none.
    int FindRadioButtonIDChecked(CWnd& dialog, int identifiers[], int count);

protected:
    void copy_object(const CqelDifferencer& other);

private:
    void MemoryExceptionHandler(const std::bad_alloc& e);

    std::unique_ptr<CObList> m_pEditList;
    std::unique_ptr<CObList> m_pRadioList;
    CqelDatabase* m_pDatabase = nullptr;
    CString m_Prefix;
    CString m_UserID;
    CString m_UserName;
    CString m_ComputerName;
    CString m_DataID[5];
    CString m_Event;
    CString m_UserResponse;
    CString m_Message;
    CString m_Context;
    CString m_Application;
};
