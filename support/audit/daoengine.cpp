#include "daoengine.h"

#include "utf8text.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <new>

CDaoException::CDaoException(LONG errorCode, std::wstring description)
    : m_lErrorCode(errorCode), m_strDescription(std::move(description)), m_what(aldoven::toUtf8(m_strDescription))
{
}

CDaoException::~CDaoException() = default;

const char* CDaoException::what() const noexcept
{
    return m_what.c_str();
}

namespace aldoven {

namespace {

std::string quoted(const std::wstring& name)
{
    std::string out = "\"";
    for (char c : toUtf8(name)) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

// RAII holder of a prepared statement.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql, int& rc) { rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

bool fileStatus(const std::wstring& path, struct stat& st)
{
    return ::stat(toUtf8(path).c_str(), &st) == 0;
}

}  // namespace

std::wstring nativePath(const std::wstring& path)
{
    std::wstring out = path;
    for (wchar_t& c : out) {
        if (c == L'\\')
            c = L'/';
    }
    return out;
}

Connection::Connection(sqlite3* db, std::wstring path) : m_db(db), m_path(std::move(path)) {}

Connection::~Connection()
{
    sqlite3_close_v2(m_db);
}

void Connection::fail(int rc, const char* what)
{
    const int primary = rc & 0xFF;
    if (primary == SQLITE_NOMEM)
        throw std::bad_alloc();
    std::wstring detail = fromUtf8(std::string(sqlite3_errmsg(m_db)));
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw CDaoException(kDaoErrFileInUse, L"Could not use '" + m_path + L"'; file already in use.");
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        throw CDaoException(kDaoErrFormat,
                            L"Unrecognized database format '" + m_path + L"' (damaged, or keyed otherwise).");
    case SQLITE_CONSTRAINT:
        throw CDaoException(kDaoErrFieldTooSmall,
                            L"The field is too small to accept the amount of data you attempted to add.");
    case SQLITE_CANTOPEN:
        throw CDaoException(kDaoErrFileNotFound, L"Could not open file '" + m_path + L"'.");
    default:
        throw CDaoException(kDaoErrGeneral, fromUtf8(std::string(what)) + L": " + detail);
    }
}

void Connection::exec(const char* sql)
{
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc, sql);
}

namespace {

// Opens the connection object and keys it; the file itself is read later.
sqlite3* openHandle(const std::wstring& path, int flags, const std::wstring& password)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(toUtf8(nativePath(path)).c_str(), &db, flags | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        if ((rc & 0xFF) == SQLITE_NOMEM)
            throw std::bad_alloc();
        throw CDaoException(kDaoErrFileNotFound, L"Could not open file '" + path + L"'.");
    }
    const std::string key = toUtf8(password);
    if (!key.empty() && sqlite3_key(db, key.data(), static_cast<int>(key.size())) != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw CDaoException(kDaoErrGeneral, L"The database key could not be set.");
    }
    return db;
}

}  // namespace

std::unique_ptr<Connection> Connection::create(const std::wstring& path, const std::wstring& password)
{
    struct stat st;
    if (fileStatus(nativePath(path), st))
        throw CDaoException(kDaoErrAlreadyExists, L"Database '" + path + L"' already exists.");
    std::unique_ptr<Connection> c(new Connection(
        openHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, password), path));
    // Writing the header makes the (keyed) file; the exclusive lock is
    // then held until the connection closes.
    c->exec("PRAGMA locking_mode=EXCLUSIVE");
    c->exec("BEGIN EXCLUSIVE");
    c->exec("PRAGMA user_version=0");
    c->exec("COMMIT");
    return c;
}

std::unique_ptr<Connection> Connection::open(const std::wstring& path, const std::wstring& password, bool exclusive,
                                             bool readOnly)
{
    struct stat st;
    if (!fileStatus(nativePath(path), st) || !S_ISREG(st.st_mode))
        throw CDaoException(kDaoErrFileNotFound, L"Could not find file '" + path + L"'.");
    // The engine would take an empty file for a new, empty database.
    if (st.st_size == 0)
        throw CDaoException(kDaoErrFormat, L"Unrecognized database format '" + path + L"'.");
    std::unique_ptr<Connection> c(
        new Connection(openHandle(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, password), path));
    if (exclusive) {
        // Read-only, the lock taken by the first read is kept: other
        // readers may still open the file, no writer can.
        c->exec("PRAGMA locking_mode=EXCLUSIVE");
        c->exec(readOnly ? "BEGIN" : "BEGIN EXCLUSIVE");
    } else {
        c->exec("BEGIN");
    }
    // Reading every page checks the key and each page's integrity.
    int rc;
    {
        Statement check(c->m_db, "PRAGMA quick_check", rc);
        if (rc != SQLITE_OK)
            c->fail(rc, "PRAGMA quick_check");
        rc = sqlite3_step(check.get());
        if (rc != SQLITE_ROW)
            c->fail(rc, "PRAGMA quick_check");
        const unsigned char* verdict = sqlite3_column_text(check.get(), 0);
        if (!verdict || std::string(reinterpret_cast<const char*>(verdict)) != "ok")
            throw CDaoException(kDaoErrFormat, L"Unrecognized database format '" + path + L"' (damaged).");
    }
    c->exec("COMMIT");
    return c;
}

std::vector<std::wstring> Connection::tableNames()
{
    int rc;
    Statement s(m_db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid", rc);
    if (rc != SQLITE_OK)
        fail(rc, "tables");
    std::vector<std::wstring> names;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0));
        names.push_back(fromUtf8(text, text ? static_cast<size_t>(sqlite3_column_bytes(s.get(), 0)) : 0));
    }
    if (rc != SQLITE_DONE)
        fail(rc, "tables");
    return names;
}

std::vector<std::wstring> Connection::columnNames(const std::wstring& table)
{
    int rc;
    Statement s(m_db, "PRAGMA table_info(" + quoted(table) + ")", rc);
    if (rc != SQLITE_OK)
        fail(rc, "columns");
    std::vector<std::wstring> names;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1));
        names.push_back(fromUtf8(text, text ? static_cast<size_t>(sqlite3_column_bytes(s.get(), 1)) : 0));
    }
    if (rc != SQLITE_DONE)
        fail(rc, "columns");
    if (names.empty())
        throw CDaoException(kDaoErrTableNotFound, L"The table '" + table + L"' does not exist.");
    return names;
}

void Connection::createTable(const std::wstring& table, const std::vector<FieldDef>& fields)
{
    if (fields.empty())
        throw CDaoException(kDaoErrGeneral, L"The table '" + table + L"' has no fields.");
    std::string sql = "CREATE TABLE " + quoted(table) + " (";
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        if (i)
            sql += ", ";
        sql += quoted(f.name);
        if (f.type == 8) {
            // An automation date: days since 30 December 1899.
            sql += " REAL";
        } else if (f.type == 10) {
            // Text fields hold at most their size in characters.
            sql += " TEXT CHECK (length(" + quoted(f.name) + ") <= " + std::to_string(f.size) + ")";
        } else {
            throw CDaoException(kDaoErrGeneral, L"The field '" + f.name + L"' has a type the engine does not keep.");
        }
    }
    sql += ")";
    exec(sql.c_str());
}

std::vector<int64_t> Connection::rowIds(const std::wstring& table)
{
    int rc;
    Statement s(m_db, "SELECT rowid FROM " + quoted(table) + " ORDER BY rowid", rc);
    if (rc != SQLITE_OK)
        fail(rc, "rows");
    std::vector<int64_t> ids;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(s.get(), 0));
    if (rc != SQLITE_DONE)
        fail(rc, "rows");
    return ids;
}

LONG Connection::count(const std::wstring& table)
{
    int rc;
    Statement s(m_db, "SELECT count(*) FROM " + quoted(table), rc);
    if (rc != SQLITE_OK)
        fail(rc, "count");
    rc = sqlite3_step(s.get());
    if (rc != SQLITE_ROW)
        fail(rc, "count");
    return static_cast<LONG>(sqlite3_column_int64(s.get(), 0));
}

std::vector<FieldValue> Connection::fetch(const std::wstring& table, const std::vector<std::wstring>& columns,
                                          int64_t rowId)
{
    std::string sql = "SELECT ";
    for (size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + quoted(columns[i]);
    sql += " FROM " + quoted(table) + " WHERE rowid = ?";
    int rc;
    Statement s(m_db, sql, rc);
    if (rc != SQLITE_OK)
        fail(rc, "read");
    sqlite3_bind_int64(s.get(), 1, rowId);
    rc = sqlite3_step(s.get());
    if (rc == SQLITE_DONE)
        throw CDaoException(kDaoErrNoCurrentRecord, L"No current record.");
    if (rc != SQLITE_ROW)
        fail(rc, "read");
    std::vector<FieldValue> values(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        const int col = static_cast<int>(i);
        switch (sqlite3_column_type(s.get(), col)) {
        case SQLITE_NULL:
            break;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            values[i].kind = FieldValue::Date;
            values[i].date = sqlite3_column_double(s.get(), col);
            break;
        default: {
            values[i].kind = FieldValue::Text;
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), col));
            values[i].text = fromUtf8(text, text ? static_cast<size_t>(sqlite3_column_bytes(s.get(), col)) : 0);
            break;
        }
        }
    }
    return values;
}

int64_t Connection::insert(const std::wstring& table, const std::vector<std::wstring>& columns,
                           const std::vector<FieldValue>& values)
{
    std::string sql = "INSERT INTO " + quoted(table) + " (";
    std::string marks;
    for (size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + quoted(columns[i]);
        marks += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + marks + ")";
    int rc;
    Statement s(m_db, sql, rc);
    if (rc != SQLITE_OK)
        fail(rc, "append");
    std::vector<std::string> texts(values.size());
    for (size_t i = 0; i < values.size() && i < columns.size(); ++i) {
        const int param = static_cast<int>(i) + 1;
        const FieldValue& v = values[i];
        if (v.kind == FieldValue::Date) {
            rc = sqlite3_bind_double(s.get(), param, v.date);
        } else if (v.kind == FieldValue::Text) {
            texts[i] = toUtf8(v.text);
            rc = sqlite3_bind_text(s.get(), param, texts[i].data(), static_cast<int>(texts[i].size()), SQLITE_STATIC);
        } else {
            rc = sqlite3_bind_null(s.get(), param);
        }
        if (rc != SQLITE_OK)
            fail(rc, "append");
    }
    rc = sqlite3_step(s.get());
    if (rc != SQLITE_DONE)
        fail(rc, "append");
    return sqlite3_last_insert_rowid(m_db);
}

}  // namespace aldoven
