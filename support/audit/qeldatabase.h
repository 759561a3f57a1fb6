// The audit and history database: one keyed database file holding either
// the history table or the audit table.
#pragma once

#include "aldovenapi.h"
#include "auditlogset.h"
#include "daodb.h"

#include <memory>
#include <new>

enum eTableType : int32_t {
    eNoTable = 0,       // no table, or a table of another name
    eHistoryTable = 1,  // "HistoryLogTable"
    eAuditTable = 2,    // "AuditLogTable"
};
static_assert(sizeof(eTableType) == 4, "eTableType is 32 bits");

class ALDOVEN_API CqelDatabase {
public:
    // Opens (creating when missing) the named file when a name is given.
    CqelDatabase(CString name = szEmptyText, eTableType type = eNoTable);
    // Copies share the one database object; it is closed and released
    // when the last of them lets it go.
    CqelDatabase(const CqelDatabase& other);
    CqelDatabase& operator=(const CqelDatabase& other);
    ~CqelDatabase();

    // Opens the file exclusively; creates it with the table of `type` when
    // it is missing and `create` is set. An empty name takes a fresh
    // temporary file name. Closes what was open first.
    bool openDatabase(CString name, eTableType type, bool create);
    void closeDatabase();

    eTableType GetTypeOfDatabase();
    LONG GetNumberOfRecords();

    bool AppendHistoryRecord(CString userID, CString userName, CString computerName, CString changeType,
                             CString oldRow, CString newRow, CString itemChanged, CString oldValue, CString newValue,
                             CString dataID1, CString dataID2, CString dataID3, CString dataID4, CString dataID5);
    bool AppendHistoryRecordLight(CString changeType, CString oldRow, CString newRow, CString itemChanged,
                                  CString oldValue, CString newValue, CString dataID1, CString dataID2,
                                  CString dataID3, CString dataID4, CString dataID5);
    bool AppendAuditRecord(CString userID, CString userName, CString computerName, CString event,
                           CString userResponse, CString message, CString context, CString application);
    bool AppendAuditRecordLight(CString event, CString userResponse, CString message, CString context,
                                CString application);

    // Appends every record of another file of the same kind. Engine errors
    // other than those of opening the two record sets reach the caller.
    bool AppendDatabase(CqelDatabase* other);

    // Record sets for the caller, who closes and deletes them.
    CAuditLogSet* GetAuditRecord(LONG index);
    // Raises CDaoException when the table cannot be opened.
    CAuditLogSet* GetAllAuditRecords();
    CHistoryLogSet* GetHistoryRecord(LONG index);
    CHistoryLogSet* GetAllHistoryRecords();

    int DeleteDatabase();
    int FileExists(CString name);

    const CString& GetDatabaseFilename() const { return m_strFilename; }
    bool GetFixUpFileName() const { return m_bFixUpFileName; }
    void SetFixUpFileName(bool fixUp) { m_bFixUpFileName = fixUp; }
    CDaoDatabase* GetDaoDatabase() { return m_pDatabase.get(); }

private:
    bool createDatabase(CString name, eTableType type);
    void OpenHistoryRecordset(CHistoryLogSet* set);
    void OpenAuditRecordset(CAuditLogSet* set);
    int GetLastError(int& code, CString& text);
    void DaoExceptionHandler(const CDaoException& e);
    void MemoryExceptionHandler(const std::bad_alloc& e);
    void release();

    std::shared_ptr<CDaoDatabase> m_pDatabase;
    CString m_strFilename;
    bool m_bFixUpFileName = true;
};
