// Small database classes of the library: a database file, the record set
// that maps a table's rows onto the members of a derived class, and the
// field exchange through which a derived class names its columns. The
// engine behind them is SQLCipher; every file is keyed.
#pragma once

#include "aldovenapi.h"
#include "daoexception.h"
#include "kscobject.h"
#include "kscstring.h"
#include "ksoledatetime.h"
#include "kstypes.h"

#include <memory>
#include <vector>

// Record-set open types.
#define dbOpenTable 1
#define dbOpenDynaset 2
#define dbOpenSnapshot 4
#define AFX_DAO_USE_DEFAULT_TYPE (-1)

// Field types of table definitions.
#define dbDate 8
#define dbText 10

// Database creation option: an encrypted file.
#define dbEncrypt 2

// The general sort order. A password for the new file may follow as
// ";pwd=...".
#define dbLangGeneral L";LANGID=0x0409;CP=1252;COUNTRY=0"

// Field binding options and text sizes.
#define AFX_DAO_ENABLE_FIELD_CACHE 0x01
#define AFX_DAO_TEXT_DEFAULT_SIZE 255

// Which table information GetTableDefInfo reads.
#define AFX_DAO_PRIMARY_INFO 0x00000001u

namespace aldoven {
class Connection;
}
class CDaoRecordset;
class CDaoFieldExchange;

struct CDaoTableDefInfo {
    CString m_strName;
    LONG m_lAttributes = 0;
};

class ALDOVEN_API CDaoDatabase : public CObject {
    DECLARE_DYNAMIC(CDaoDatabase)
public:
    CDaoDatabase();
    ~CDaoDatabase() override;
    CDaoDatabase(const CDaoDatabase&) = delete;
    CDaoDatabase& operator=(const CDaoDatabase&) = delete;

    // Makes a new database file and leaves it open exclusively. The file
    // is keyed with the password that lpszLocale carries as ";pwd=...";
    // dwOptions takes dbEncrypt. Raises CDaoException when the file
    // exists or cannot be made.
    void Create(LPCWSTR lpszName, LPCWSTR lpszLocale = dbLangGeneral, int dwOptions = 0);
    // Opens an existing file with the password of lpszConnect
    // (";pwd=..."). Exclusive: no other opener, in this or another
    // process, until Close. Raises CDaoException for a missing, damaged,
    // foreign or otherwise keyed file, or one held by another opener.
    void Open(LPCWSTR lpszName, BOOL bExclusive = FALSE, BOOL bReadOnly = FALSE, LPCWSTR lpszConnect = L"");
    // Closes the file and every record set still open on it.
    void Close();
    BOOL IsOpen() const;

    // The path of the open file.
    CString GetName();
    short GetTableDefCount();
    // Information of the nth table (oldest first).
    void GetTableDefInfo(int nIndex, CDaoTableDefInfo& tabledefinfo, DWORD dwInfoOptions = AFX_DAO_PRIMARY_INFO);

    // The engine connection of the open file (null when closed).
    aldoven::Connection* connection() const { return m_connection.get(); }

private:
    friend class CDaoRecordset;
    aldoven::Connection& openConnection();

    std::unique_ptr<aldoven::Connection> m_connection;
    std::vector<CDaoRecordset*> m_recordsets;
};

class ALDOVEN_API CDaoRecordset : public CObject {
    DECLARE_DYNAMIC(CDaoRecordset)
public:
    explicit CDaoRecordset(CDaoDatabase* pDatabase = nullptr);
    ~CDaoRecordset() override;
    CDaoRecordset(const CDaoRecordset&) = delete;
    CDaoRecordset& operator=(const CDaoRecordset&) = delete;

    // The file opened when the record set has no database of its own.
    virtual CString GetDefaultDBName();
    // The table to open when Open is given none ("[Table]").
    virtual CString GetDefaultSQL();
    // Names the bound columns of a derived class.
    virtual void DoFieldExchange(CDaoFieldExchange* pFX);

    // Opens the record set over one table: lpszSQL (or the default SQL)
    // names it, with or without brackets. The first record becomes
    // current; an empty table leaves the set at BOF and EOF.
    virtual void Open(int nOpenType = AFX_DAO_USE_DEFAULT_TYPE, LPCWSTR lpszSQL = nullptr, int nOptions = 0);
    virtual void Close();

    BOOL IsOpen() const;
    BOOL IsBOF() const;
    BOOL IsEOF() const;
    // Table type: the records in the table now; otherwise the records of
    // the set (those there at Open and those added through it).
    LONG GetRecordCount();

    // Movement needs a current record; moving past either end stops at
    // BOF or EOF. Raises CDaoException on an empty set.
    void Move(LONG lRows);
    void MoveNext();
    void MovePrev();
    void MoveFirst();
    void MoveLast();

    // Starts a new record (the bound members become empty); Update
    // appends it and makes the record current before AddNew current again.
    void AddNew();
    void Update();
    void CancelUpdate();

    CDaoDatabase* m_pDatabase;
    int m_nFields = 0;
    int m_nDefaultType = dbOpenDynaset;

private:
    friend class CDaoDatabase;
    struct State;

    void requireOpen() const;
    void load();
    void clearFields();
    void detachDatabase();

    std::unique_ptr<State> m_state;
    std::unique_ptr<CDaoDatabase> m_ownDatabase;
};

// The field exchange: DoFieldExchange of a derived class names its output
// columns with SetFieldType and the DFX_ functions, in column order.
class ALDOVEN_API CDaoFieldExchange {
public:
    enum FieldType { none = 0, param = 1, outputColumn = 2 };

    CDaoFieldExchange();
    ~CDaoFieldExchange();
    void SetFieldType(UINT nFieldType);

    struct Binding {
        std::wstring column;
        COleDateTime* date = nullptr;
        CString* text = nullptr;
        int size = 0;
    };
    const std::vector<Binding>& bindings() const { return m_bindings; }

private:
    friend ALDOVEN_API void DFX_DateTime(CDaoFieldExchange*, LPCWSTR, COleDateTime&, DWORD);
    friend ALDOVEN_API void DFX_Text(CDaoFieldExchange*, LPCWSTR, CString&, int, DWORD);
    UINT m_nFieldType = none;
    std::vector<Binding> m_bindings;
};

// Binds a date/time column (name with or without brackets).
ALDOVEN_API void DFX_DateTime(CDaoFieldExchange* pFX, LPCWSTR lpszName, COleDateTime& value,
                              DWORD dwBindOptions = AFX_DAO_ENABLE_FIELD_CACHE);
// Binds a text column of at most nPreAllocSize characters.
ALDOVEN_API void DFX_Text(CDaoFieldExchange* pFX, LPCWSTR lpszName, CString& value,
                          int nPreAllocSize = AFX_DAO_TEXT_DEFAULT_SIZE,
                          DWORD dwBindOptions = AFX_DAO_ENABLE_FIELD_CACHE);
