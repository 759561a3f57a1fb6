// The storage engine under the database classes: one SQLCipher connection
// on one database file, keyed with the database password. Every failure
// raises CDaoException (std::bad_alloc when the engine runs out of memory).
#pragma once

#include "daoexception.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace aldoven {

// A field value: missing (null), an automation date or a text.
struct FieldValue {
    enum Kind { Null, Date, Text } kind = Null;
    double date = 0.0;
    std::wstring text;
};

// A column of a new table: dbDate (8) or dbText (10) with its size in
// characters.
struct FieldDef {
    std::wstring name;
    short type = 0;
    LONG size = 0;
};

class Connection {
public:
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Makes a new, empty database file keyed with `password` and opens it
    // exclusively. The file must not exist.
    static std::unique_ptr<Connection> create(const std::wstring& path, const std::wstring& password);
    // Opens an existing file. The file is read through entirely, so a
    // wrong key or a damaged page is refused here.
    static std::unique_ptr<Connection> open(const std::wstring& path, const std::wstring& password, bool exclusive,
                                            bool readOnly);

    // The path of the file as opened.
    const std::wstring& path() const { return m_path; }

    // The names of the file's tables, oldest first.
    std::vector<std::wstring> tableNames();
    std::vector<std::wstring> columnNames(const std::wstring& table);
    void createTable(const std::wstring& table, const std::vector<FieldDef>& fields);

    std::vector<int64_t> rowIds(const std::wstring& table);
    LONG count(const std::wstring& table);
    // The values of `columns` of the row, in that order.
    std::vector<FieldValue> fetch(const std::wstring& table, const std::vector<std::wstring>& columns, int64_t rowId);
    // Adds a row and returns its id.
    int64_t insert(const std::wstring& table, const std::vector<std::wstring>& columns,
                     const std::vector<FieldValue>& values);

private:
    Connection(sqlite3* db, std::wstring path);
    [[noreturn]] void fail(int rc, const char* what);
    void exec(const char* sql);

    sqlite3* m_db;
    std::wstring m_path;
};

// Maps the system's path forms onto this one ('\' separators become '/').
std::wstring nativePath(const std::wstring& path);

}  // namespace aldoven
