#include "daodb.h"

#include "daoengine.h"
#include "daotabledef.h"
#include "ksfiles.h"

#include <algorithm>
#include <cwctype>

IMPLEMENT_DYNAMIC(CDaoDatabase, CObject)
IMPLEMENT_DYNAMIC(CDaoRecordset, CObject)

namespace {

std::wstring str(LPCWSTR s)
{
    return s ? std::wstring(s) : std::wstring();
}

std::wstring str(const CString& s)
{
    return std::wstring(s.GetString(), static_cast<size_t>(s.GetLength()));
}

// The value of "pwd=" in a connect or locale string of ';'-separated
// parts (the key compared without regard to case).
std::wstring passwordOf(LPCWSTR connect)
{
    const std::wstring text = str(connect);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L';', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring part = text.substr(start, end - start);
        if (part.size() >= 4 && ks::equalNoCase(part.substr(0, 4), L"pwd="))
            return part.substr(4);
        start = end + 1;
    }
    return std::wstring();
}

// "[Name]" or "Name" gives Name.
std::wstring unbracketed(std::wstring name)
{
    const auto notSpace = [](wchar_t c) { return !std::iswspace(c); };
    name.erase(name.begin(), std::find_if(name.begin(), name.end(), notSpace));
    name.erase(std::find_if(name.rbegin(), name.rend(), notSpace).base(), name.end());
    if (name.size() >= 2 && name.front() == L'[' && name.back() == L']')
        name = name.substr(1, name.size() - 2);
    return name;
}

CDaoException notOpen()
{
    return CDaoException(kDaoErrNotOpen, L"Operation is not allowed when the object is closed.");
}

}  // namespace

// ---------------------------------------------------------------- database

CDaoDatabase::CDaoDatabase() = default;

CDaoDatabase::~CDaoDatabase()
{
    Close();
    // Record sets that outlive the database no longer point at it.
    for (CDaoRecordset* set : std::vector<CDaoRecordset*>(m_recordsets))
        set->detachDatabase();
}

void CDaoDatabase::Create(LPCWSTR lpszName, LPCWSTR lpszLocale, int dwOptions)
{
    if (IsOpen())
        Close();
    // Every file of this engine is encrypted; dbEncrypt is the only form.
    (void)dwOptions;
    m_connection = aldoven::Connection::create(str(lpszName), passwordOf(lpszLocale));
}

void CDaoDatabase::Open(LPCWSTR lpszName, BOOL bExclusive, BOOL bReadOnly, LPCWSTR lpszConnect)
{
    if (IsOpen())
        Close();
    m_connection = aldoven::Connection::open(str(lpszName), passwordOf(lpszConnect), bExclusive, bReadOnly);
}

void CDaoDatabase::Close()
{
    for (CDaoRecordset* set : std::vector<CDaoRecordset*>(m_recordsets)) {
        if (set->IsOpen())
            set->Close();
    }
    m_connection.reset();
}

BOOL CDaoDatabase::IsOpen() const
{
    return m_connection != nullptr;
}

aldoven::Connection& CDaoDatabase::openConnection()
{
    if (!m_connection)
        throw notOpen();
    return *m_connection;
}

CString CDaoDatabase::GetName()
{
    return CString(openConnection().path().c_str());
}

short CDaoDatabase::GetTableDefCount()
{
    return static_cast<short>(openConnection().tableNames().size());
}

void CDaoDatabase::GetTableDefInfo(int nIndex, CDaoTableDefInfo& tabledefinfo, DWORD)
{
    const std::vector<std::wstring> names = openConnection().tableNames();
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= names.size())
        throw CDaoException(kDaoErrNotFound, L"Item not found in this collection.");
    tabledefinfo.m_strName = CString(names[static_cast<size_t>(nIndex)].c_str());
    tabledefinfo.m_lAttributes = 0;
}

// ---------------------------------------------------------------- table definition

CDaoTableDef::CDaoTableDef(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase) {}

CDaoTableDef::~CDaoTableDef() = default;

void CDaoTableDef::Create(LPCWSTR lpszName, LONG)
{
    if (!m_pDatabase || !m_pDatabase->IsOpen())
        throw notOpen();
    m_name = str(lpszName);
    m_fields.clear();
    m_bOpen = true;
}

void CDaoTableDef::CreateField(LPCWSTR lpszName, short nType, LONG lSize, LONG)
{
    if (!m_bOpen)
        throw notOpen();
    m_fields.push_back(aldoven::FieldDef{str(lpszName), nType, lSize});
}

void CDaoTableDef::Append()
{
    if (!m_bOpen || !m_pDatabase || !m_pDatabase->connection())
        throw notOpen();
    m_pDatabase->connection()->createTable(m_name, m_fields);
}

void CDaoTableDef::Close()
{
    m_bOpen = false;
    m_fields.clear();
}

// ---------------------------------------------------------------- field exchange

CDaoFieldExchange::CDaoFieldExchange() = default;
CDaoFieldExchange::~CDaoFieldExchange() = default;

void CDaoFieldExchange::SetFieldType(UINT nFieldType)
{
    m_nFieldType = nFieldType;
}

void DFX_DateTime(CDaoFieldExchange* pFX, LPCWSTR lpszName, COleDateTime& value, DWORD)
{
    if (!pFX || pFX->m_nFieldType != CDaoFieldExchange::outputColumn)
        return;
    CDaoFieldExchange::Binding b;
    b.column = unbracketed(str(lpszName));
    b.date = &value;
    pFX->m_bindings.push_back(b);
}

void DFX_Text(CDaoFieldExchange* pFX, LPCWSTR lpszName, CString& value, int nPreAllocSize, DWORD)
{
    if (!pFX || pFX->m_nFieldType != CDaoFieldExchange::outputColumn)
        return;
    CDaoFieldExchange::Binding b;
    b.column = unbracketed(str(lpszName));
    b.text = &value;
    b.size = nPreAllocSize;
    pFX->m_bindings.push_back(b);
}

// ---------------------------------------------------------------- record set

struct CDaoRecordset::State {
    int type = dbOpenDynaset;
    std::wstring table;
    std::vector<CDaoFieldExchange::Binding> bindings;
    std::vector<std::wstring> columns;
    std::vector<int64_t> keys;
    // Index of the current record; -1 is BOF, keys.size() is EOF.
    ptrdiff_t position = 0;
    bool adding = false;
    ptrdiff_t positionBeforeAdd = 0;
};

CDaoRecordset::CDaoRecordset(CDaoDatabase* pDatabase) : m_pDatabase(pDatabase)
{
    if (m_pDatabase)
        m_pDatabase->m_recordsets.push_back(this);
}

CDaoRecordset::~CDaoRecordset()
{
    m_state.reset();
    if (m_pDatabase) {
        auto& sets = m_pDatabase->m_recordsets;
        sets.erase(std::remove(sets.begin(), sets.end(), this), sets.end());
    }
}

void CDaoRecordset::detachDatabase()
{
    m_state.reset();
    m_pDatabase = nullptr;
}

CString CDaoRecordset::GetDefaultDBName()
{
    return CString();
}

CString CDaoRecordset::GetDefaultSQL()
{
    return CString();
}

void CDaoRecordset::DoFieldExchange(CDaoFieldExchange*) {}

void CDaoRecordset::Open(int nOpenType, LPCWSTR lpszSQL, int)
{
    if (IsOpen())
        Close();
    if (nOpenType == AFX_DAO_USE_DEFAULT_TYPE)
        nOpenType = m_nDefaultType;
    if (nOpenType != dbOpenTable && nOpenType != dbOpenDynaset && nOpenType != dbOpenSnapshot)
        throw CDaoException(kDaoErrGeneral, L"Invalid record-set type.");

    CDaoDatabase* db = m_pDatabase;
    if (!db) {
        // No database given: the record set opens its default file itself.
        if (!m_ownDatabase)
            m_ownDatabase = std::make_unique<CDaoDatabase>();
        if (!m_ownDatabase->IsOpen())
            m_ownDatabase->Open(GetDefaultDBName());
        db = m_ownDatabase.get();
    }
    aldoven::Connection& connection = db->openConnection();

    auto state = std::make_unique<State>();
    state->type = nOpenType;
    state->table = unbracketed(lpszSQL ? std::wstring(lpszSQL) : str(GetDefaultSQL()));
    if (state->table.empty())
        throw CDaoException(kDaoErrGeneral, L"No table was named for the record set.");

    CDaoFieldExchange fx;
    DoFieldExchange(&fx);
    state->bindings = fx.bindings();
    if (m_nFields != 0 && static_cast<size_t>(m_nFields) != state->bindings.size())
        throw CDaoException(kDaoErrGeneral, L"The record set binds a different number of fields than it declares.");

    const std::vector<std::wstring> columns = connection.columnNames(state->table);
    for (const CDaoFieldExchange::Binding& b : state->bindings) {
        if (std::find(columns.begin(), columns.end(), b.column) == columns.end())
            throw CDaoException(kDaoErrNotFound, L"Item not found in this collection: '" + b.column + L"'.");
        state->columns.push_back(b.column);
    }
    state->keys = connection.rowIds(state->table);
    state->position = 0;
    if (m_pDatabase && std::find(m_pDatabase->m_recordsets.begin(), m_pDatabase->m_recordsets.end(), this) ==
                           m_pDatabase->m_recordsets.end())
        m_pDatabase->m_recordsets.push_back(this);
    m_state = std::move(state);
    load();
}

void CDaoRecordset::Close()
{
    m_state.reset();
    if (m_ownDatabase)
        m_ownDatabase->Close();
}

BOOL CDaoRecordset::IsOpen() const
{
    return m_state != nullptr;
}

void CDaoRecordset::requireOpen() const
{
    if (!m_state)
        throw notOpen();
}

BOOL CDaoRecordset::IsBOF() const
{
    requireOpen();
    return m_state->keys.empty() || m_state->position < 0;
}

BOOL CDaoRecordset::IsEOF() const
{
    requireOpen();
    return m_state->keys.empty() || m_state->position >= static_cast<ptrdiff_t>(m_state->keys.size());
}

LONG CDaoRecordset::GetRecordCount()
{
    requireOpen();
    if (m_state->type == dbOpenTable) {
        CDaoDatabase* db = m_pDatabase ? m_pDatabase : m_ownDatabase.get();
        return db->openConnection().count(m_state->table);
    }
    return static_cast<LONG>(m_state->keys.size());
}

void CDaoRecordset::clearFields()
{
    for (const CDaoFieldExchange::Binding& b : m_state->bindings) {
        if (b.date) {
            b.date->m_dt = 0.0;
            b.date->SetStatus(COleDateTime::null);
        } else if (b.text) {
            b.text->Empty();
        }
    }
}

// Reads the current record into the bound members (empties them at BOF
// or EOF).
void CDaoRecordset::load()
{
    const State& s = *m_state;
    if (s.position < 0 || s.position >= static_cast<ptrdiff_t>(s.keys.size())) {
        clearFields();
        return;
    }
    CDaoDatabase* db = m_pDatabase ? m_pDatabase : m_ownDatabase.get();
    const std::vector<aldoven::FieldValue> values =
        db->openConnection().fetch(s.table, s.columns, s.keys[static_cast<size_t>(s.position)]);
    for (size_t i = 0; i < s.bindings.size(); ++i) {
        const CDaoFieldExchange::Binding& b = s.bindings[i];
        const aldoven::FieldValue& v = values[i];
        if (b.date) {
            if (v.kind == aldoven::FieldValue::Date) {
                *b.date = COleDateTime(v.date);
            } else {
                b.date->m_dt = 0.0;
                b.date->SetStatus(COleDateTime::null);
            }
        } else if (b.text) {
            *b.text = CString(v.kind == aldoven::FieldValue::Text ? v.text.c_str() : L"");
        }
    }
}

void CDaoRecordset::Move(LONG lRows)
{
    requireOpen();
    if (IsBOF() || IsEOF())
        throw CDaoException(kDaoErrNoCurrentRecord, L"No current record.");
    const ptrdiff_t size = static_cast<ptrdiff_t>(m_state->keys.size());
    ptrdiff_t target = m_state->position + static_cast<ptrdiff_t>(lRows);
    if (target < 0)
        target = -1;
    else if (target > size)
        target = size;
    m_state->adding = false;
    m_state->position = target;
    load();
}

void CDaoRecordset::MoveNext()
{
    Move(1);
}

void CDaoRecordset::MovePrev()
{
    Move(-1);
}

void CDaoRecordset::MoveFirst()
{
    requireOpen();
    if (m_state->keys.empty())
        throw CDaoException(kDaoErrNoCurrentRecord, L"No current record.");
    m_state->adding = false;
    m_state->position = 0;
    load();
}

void CDaoRecordset::MoveLast()
{
    requireOpen();
    if (m_state->keys.empty())
        throw CDaoException(kDaoErrNoCurrentRecord, L"No current record.");
    m_state->adding = false;
    m_state->position = static_cast<ptrdiff_t>(m_state->keys.size()) - 1;
    load();
}

void CDaoRecordset::AddNew()
{
    requireOpen();
    if (m_state->type == dbOpenSnapshot)
        throw CDaoException(kDaoErrNotUpdatable, L"Database or object is read-only.");
    m_state->adding = true;
    m_state->positionBeforeAdd = m_state->position;
    clearFields();
}

void CDaoRecordset::Update()
{
    requireOpen();
    State& s = *m_state;
    if (!s.adding)
        throw CDaoException(kDaoErrNotUpdatable, L"Update without AddNew.");
    std::vector<aldoven::FieldValue> values(s.bindings.size());
    for (size_t i = 0; i < s.bindings.size(); ++i) {
        const CDaoFieldExchange::Binding& b = s.bindings[i];
        if (b.date) {
            if (b.date->GetStatus() == COleDateTime::valid) {
                values[i].kind = aldoven::FieldValue::Date;
                values[i].date = b.date->m_dt;
            }
        } else if (b.text) {
            values[i].kind = aldoven::FieldValue::Text;
            values[i].text = str(*b.text);
        }
    }
    CDaoDatabase* db = m_pDatabase ? m_pDatabase : m_ownDatabase.get();
    const int64_t key = db->openConnection().insert(s.table, s.columns, values);
    // A failed append keeps the new record for another try or a cancel.
    const bool wasAtEnd = s.positionBeforeAdd >= static_cast<ptrdiff_t>(s.keys.size());
    s.keys.push_back(key);
    s.adding = false;
    s.position = wasAtEnd ? static_cast<ptrdiff_t>(s.keys.size()) : s.positionBeforeAdd;
    load();
}

void CDaoRecordset::CancelUpdate()
{
    requireOpen();
    if (!m_state->adding)
        return;
    m_state->adding = false;
    m_state->position = m_state->positionBeforeAdd;
    load();
}
