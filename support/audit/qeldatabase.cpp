#include "qeldatabase.h"

#include "daoengine.h"
#include "daotabledef.h"
#include "ksfiles.h"
#include "ksdialogs.h"
#include "utf8text.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>

namespace {

// The password of every audit and history file.
const wchar_t kPassword[] = L"602815DoorVelk";

const wchar_t kHistoryTable[] = L"HistoryLogTable";
const wchar_t kAuditTable[] = L"AuditLogTable";

std::wstring wideOf(const CString& s)
{
    return std::wstring(s.GetString(), static_cast<size_t>(s.GetLength()));
}

CString connectString()
{
    return CString((std::wstring(L";pwd=") + kPassword).c_str());
}

void message(const wchar_t* text)
{
    ks::dialogs::messageBox(text, std::wstring(), MB_OK);
}

// The name with ".mdb" in place of any other (or no) extension. The
// extension starts at the last '.' of the file name part.
std::wstring withDatabaseExtension(const std::wstring& name)
{
    const size_t slash = name.find_last_of(L"/\\");
    const size_t fileStart = slash == std::wstring::npos ? 0 : slash + 1;
    // A drive ("C:") belongs to the folder part.
    const size_t colon = name.find(L':');
    const size_t start = colon != std::wstring::npos && colon + 1 > fileStart ? colon + 1 : fileStart;
    const size_t dot = name.find_last_of(L'.');
    const bool hasExtension = dot != std::wstring::npos && dot >= start;
    const std::wstring base = hasExtension ? name.substr(0, dot) : name;
    if (hasExtension) {
        const std::wstring ext = name.substr(dot);
        if (ext.size() == 4 && ks::equalNoCase(ext, L".mdb"))
            return name;
    }
    return base + L".mdb";
}

// A fresh name "XCL....tmp" in the temporary folder. The file is made to
// reserve the name and removed again so that the name is free.
bool temporaryName(std::wstring& out)
{
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string path = folder + "/XCLXXXXXX.tmp";
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    const int fd = mkstemps(buffer.data(), 4);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(buffer.data());
    out = aldoven::fromUtf8(std::string(buffer.data()));
    return true;
}

}  // namespace

CqelDatabase::CqelDatabase(CString name, eTableType type)
    : m_pDatabase(std::make_shared<CDaoDatabase>()), m_bFixUpFileName(true)
{
    if (!name.IsEmpty())
        openDatabase(name, type, true);
}

CqelDatabase::CqelDatabase(const CqelDatabase& other)
    : m_pDatabase(other.m_pDatabase), m_strFilename(other.m_strFilename), m_bFixUpFileName(other.m_bFixUpFileName)
{
}

CqelDatabase& CqelDatabase::operator=(const CqelDatabase& other)
{
    if (this != &other) {
        release();
        m_pDatabase = other.m_pDatabase;
        m_strFilename = other.m_strFilename;
        m_bFixUpFileName = other.m_bFixUpFileName;
    }
    return *this;
}

CqelDatabase::~CqelDatabase()
{
    release();
}

// Lets go of the database object, closing it when no copy shares it.
void CqelDatabase::release()
{
    if (m_pDatabase.use_count() == 1)
        closeDatabase();
    m_pDatabase.reset();
}

void CqelDatabase::DaoExceptionHandler(const CDaoException&) {}

void CqelDatabase::MemoryExceptionHandler(const std::bad_alloc&) {}

int CqelDatabase::GetLastError(int& code, CString& text)
{
    code = 0;
    text = CString(szUnknownText);
    return 0;
}

bool CqelDatabase::openDatabase(CString name, eTableType type, bool create)
{
    try {
        if (!m_pDatabase)
            m_pDatabase = std::make_shared<CDaoDatabase>();
        if (m_pDatabase->IsOpen())
            m_pDatabase->Close();

        std::wstring resolved;
        if (name.IsEmpty()) {
            if (!temporaryName(resolved))
                return false;
            m_bFixUpFileName = false;
        } else if (m_bFixUpFileName) {
            resolved = withDatabaseExtension(wideOf(name));
        } else {
            resolved = wideOf(name);
        }
        m_strFilename = CString(resolved.c_str());

        if (FileExists(m_strFilename)) {
            try {
                m_pDatabase->Open(m_strFilename, TRUE, FALSE, connectString());
                return true;
            } catch (const CDaoException& e) {
                DaoExceptionHandler(e);
                return false;
            }
        }
        if (create)
            return createDatabase(m_strFilename, type);
        return true;
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
        return false;
    }
}

bool CqelDatabase::createDatabase(CString name, eTableType type)
{
    if (type != eHistoryTable && type != eAuditTable)
        return false;
    if (!m_pDatabase)
        return false;
    if (FileExists(name) && m_pDatabase->IsOpen()) {
        message(L"Database already Exists and Is Open.");
        return false;
    }

    // The file is keyed with the password from the start, so it is never
    // readable without it, not even while it is being made.
    try {
        const std::wstring locale = std::wstring(dbLangGeneral) + L";pwd=" + kPassword;
        m_pDatabase->Create(name, locale.c_str(), dbEncrypt);
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
        return false;
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
        return false;
    }

    bool result = true;
    std::unique_ptr<CDaoTableDef> tableDef;
    try {
        tableDef = std::make_unique<CDaoTableDef>(m_pDatabase.get());
        if (type == eHistoryTable) {
            tableDef->Create(kHistoryTable, 0);
            tableDef->CreateField(L"Time & Date", dbDate, 255, 0);
            for (const wchar_t* field : {L"User ID", L"User Name", L"Computer Name", L"Change Type", L"Old Row",
                                         L"New Row", L"Item being changed", L"Old value", L"New value", L"data ID1",
                                         L"data ID2", L"data ID3", L"data ID4", L"data ID5"})
                tableDef->CreateField(field, dbText, 255, 0);
        } else {
            tableDef->Create(kAuditTable, 0);
            tableDef->CreateField(L"Time & Date", dbDate, 255, 0);
            for (const wchar_t* field : {L"User ID", L"User Name", L"Computer Name", L"Event", L"User Response",
                                         L"Message", L"Context", L"Application"})
                tableDef->CreateField(field, dbText, 255, 0);
        }
        tableDef->Append();
        tableDef->Close();
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
        result = false;
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
        result = false;
    }

    m_pDatabase->Close();
    openDatabase(m_strFilename, eNoTable, true);
    tableDef.reset();
    return result;
}

void CqelDatabase::closeDatabase()
{
    if (m_pDatabase && m_pDatabase->IsOpen())
        m_pDatabase->Close();
}

eTableType CqelDatabase::GetTypeOfDatabase()
{
    CString name;
    try {
        if (m_pDatabase) {
            CDaoTableDefInfo info;
            m_pDatabase->GetTableDefInfo(0, info, AFX_DAO_PRIMARY_INFO);
            name = info.m_strName;
        }
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
    if (name == CString(kHistoryTable))
        return eHistoryTable;
    if (name == CString(kAuditTable))
        return eAuditTable;
    message(L"Could not get the TableDef name.");
    return eNoTable;
}

LONG CqelDatabase::GetNumberOfRecords()
{
    const eTableType type = GetTypeOfDatabase();
    LONG count = 0;
    try {
        std::unique_ptr<CDaoRecordset> set;
        if (type == eHistoryTable)
            set = std::make_unique<CHistoryLogSet>(m_pDatabase.get());
        else if (type == eAuditTable)
            set = std::make_unique<CAuditLogSet>(m_pDatabase.get());
        else
            return 0;
        set->Open(dbOpenTable);
        count = set->GetRecordCount();
        set->Close();
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
        count = 0;
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
        count = 0;
    }
    return count;
}

bool CqelDatabase::AppendHistoryRecord(CString userID, CString userName, CString computerName, CString changeType,
                                       CString oldRow, CString newRow, CString itemChanged, CString oldValue,
                                       CString newValue, CString dataID1, CString dataID2, CString dataID3,
                                       CString dataID4, CString dataID5)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        return false;
    try {
        auto set = std::make_unique<CHistoryLogSet>(m_pDatabase.get());
        set->Open(dbOpenTable, kHistoryTable);
        set->AddNew();
        set->DateTime(COleDateTime::GetCurrentTime());
        set->UserID(userID);
        set->Username(userName);
        set->ComputerName(computerName);
        set->ChangeType(changeType);
        set->OldRow(oldRow);
        set->NewRow(newRow);
        set->ItemChanged(itemChanged);
        set->OldVale(oldValue);
        set->NewValue(newValue);
        set->DataID1(dataID1);
        set->DataID2(dataID2);
        set->DataID3(dataID3);
        set->DataID4(dataID4);
        set->DataID5(dataID5);
        set->Update();
        set->Close();
        return true;
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
    return false;
}

bool CqelDatabase::AppendHistoryRecordLight(CString changeType, CString oldRow, CString newRow, CString itemChanged,
                                            CString oldValue, CString newValue, CString dataID1, CString dataID2,
                                            CString dataID3, CString dataID4, CString dataID5)
{
    return AppendHistoryRecord(szUnknownText, szUnknownText, szUnknownText, changeType, oldRow, newRow, itemChanged,
                               oldValue, newValue, dataID1, dataID2, dataID3, dataID4, dataID5);
}

bool CqelDatabase::AppendAuditRecord(CString userID, CString userName, CString computerName, CString event,
                                     CString userResponse, CString message, CString context, CString application)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        return false;
    try {
        auto set = std::make_unique<CAuditLogSet>(m_pDatabase.get());
        set->Open(dbOpenTable, kAuditTable);
        set->AddNew();
        set->DateTime(COleDateTime::GetCurrentTime());
        set->UserID(userID);
        set->UserName(userName);
        set->ComputerName(computerName);
        set->Event(event);
        set->UserResponse(userResponse);
        set->Message(message);
        set->Contex(context);
        set->Application(application);
        set->Update();
        set->Close();
        return true;
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
    return false;
}

bool CqelDatabase::AppendAuditRecordLight(CString event, CString userResponse, CString message, CString context,
                                          CString application)
{
    return AppendAuditRecord(szUnknownText, szUnknownText, szUnknownText, event, userResponse, message, context,
                             application);
}

void CqelDatabase::OpenHistoryRecordset(CHistoryLogSet* set)
{
    try {
        set->Open(dbOpenTable, kHistoryTable);
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
}

void CqelDatabase::OpenAuditRecordset(CAuditLogSet* set)
{
    try {
        set->Open(dbOpenTable, kAuditTable);
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
}

namespace {

// Copies every record of `source` to the end of `target` and tells
// whether the target grew by exactly that many.
template <class Set>
bool appendAll(Set& target, Set& source)
{
    const LONG before = target.GetRecordCount();
    const LONG count = source.GetRecordCount();
    for (LONG i = 0; i < count; ++i) {
        target.AddNew();
        target = source;
        target.Update();
        source.MoveNext();
    }
    const LONG after = target.GetRecordCount();
    target.Close();
    source.Close();
    return static_cast<int64_t>(before) + count == after;
}

}  // namespace

bool CqelDatabase::AppendDatabase(CqelDatabase* other)
{
    if (!other)
        return false;
    const eTableType type = GetTypeOfDatabase();
    if (type != eHistoryTable && type != eAuditTable) {
        message(L"Failed to Append Database - Table Type does not exist.");
        return false;
    }
    // Neither set may be used unopened: without both there is nothing to
    // copy, and the result is false.
    if (type == eHistoryTable) {
        auto target = std::make_unique<CHistoryLogSet>(m_pDatabase.get());
        OpenHistoryRecordset(target.get());
        if (!target->IsOpen() || !other->m_pDatabase)
            return false;
        auto source = std::make_unique<CHistoryLogSet>(other->m_pDatabase.get());
        OpenHistoryRecordset(source.get());
        if (!source->IsOpen())
            return false;
        return appendAll(*target, *source);
    }
    auto target = std::make_unique<CAuditLogSet>(m_pDatabase.get());
    OpenAuditRecordset(target.get());
    if (!target->IsOpen() || !other->m_pDatabase)
        return false;
    auto source = std::make_unique<CAuditLogSet>(other->m_pDatabase.get());
    OpenAuditRecordset(source.get());
    if (!source->IsOpen())
        return false;
    return appendAll(*target, *source);
}

CAuditLogSet* CqelDatabase::GetAuditRecord(LONG index)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        return nullptr;
    try {
        auto set = std::make_unique<CAuditLogSet>(m_pDatabase.get());
        set->Open(dbOpenTable, kAuditTable);
        set->Move(index);
        return set.release();
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
    return nullptr;
}

CHistoryLogSet* CqelDatabase::GetHistoryRecord(LONG index)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        return nullptr;
    try {
        auto set = std::make_unique<CHistoryLogSet>(m_pDatabase.get());
        set->Open(dbOpenDynaset, kHistoryTable);
        set->Move(index);
        return set.release();
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
    return nullptr;
}

namespace {

// A new set on `db` with the whole of `table` open; throws when there is
// no database.
template <class Set>
Set* openWholeTable(CDaoDatabase* db, const wchar_t* table)
{
    if (!db)
        throw CDaoException(kDaoErrNotOpen, L"Operation is not allowed when the object is closed.");
    auto set = std::make_unique<Set>(db);
    set->Open(dbOpenTable, table);
    return set.release();
}

}  // namespace

CAuditLogSet* CqelDatabase::GetAllAuditRecords()
{
    return openWholeTable<CAuditLogSet>(m_pDatabase.get(), kAuditTable);
}

CHistoryLogSet* CqelDatabase::GetAllHistoryRecords()
{
    return openWholeTable<CHistoryLogSet>(m_pDatabase.get(), kHistoryTable);
}

int CqelDatabase::DeleteDatabase()
{
    if (!m_pDatabase)
        return 0;
    CString name;
    try {
        name = m_pDatabase->GetName();
    } catch (const CDaoException& e) {
        DaoExceptionHandler(e);
    } catch (const std::bad_alloc& e) {
        MemoryExceptionHandler(e);
    }
    m_pDatabase->Close();
    int result = 0;
    if (!name.IsEmpty())
        result = ::unlink(aldoven::toUtf8(aldoven::nativePath(wideOf(name))).c_str()) == 0 ? 1 : 0;
    m_strFilename.Empty();
    m_pDatabase.reset();
    return result;
}

int CqelDatabase::FileExists(CString name)
{
    struct stat st;
    return ::stat(aldoven::toUtf8(aldoven::nativePath(wideOf(name))).c_str(), &st) == 0 ? 1 : 0;
}
