// Audit and history files as anyone could hand them in: the file is a
// SQLCipher database keyed with the library's fixed password, so a file
// of any content can be made. The bytes decode into such a file (which
// tables exist and in which order, their columns and how they are
// declared, rows of every storage class: null, integer, real including NaN
// and infinities, text of any bytes and length, blob, with any row ids),
// written with the engine directly. The library then opens it and reads
// everything a caller can: the table type, the record count, records by
// index, the whole table walked both ways with every field and date part,
// and an append of the file into a new database. Whatever the file holds,
// each call answers or raises CDaoException, within bounds of the file.
#include "daoexception.h"
#include "ksdialogrunner.h"
#include "ksfiles.h"
#include "ksfuzz.h"
#include "qeldatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

const char kPassword[] = "602815DoorVelk";

const std::vector<std::string> kAuditColumns = {"Time & Date", "User ID", "User Name", "Computer Name", "Event",
                                                "User Response", "Message", "Context", "Application"};
const std::vector<std::string> kHistoryColumns = {
    "Time & Date", "User ID",  "User Name", "Computer Name", "Change Type", "Old Row",  "New Row", "Item being changed",
    "Old value",   "New value", "data ID1", "data ID2",      "data ID3",    "data ID4", "data ID5"};

// Message boxes of the library are answered at once.
class SilentRunner : public ks::dialogs::DialogRunner {
public:
    ks::dialogs::FileDialogResult fileDialog(const ks::dialogs::FileDialogRequest&) override { return {}; }
    INT messageBox(const ks::dialogs::MessageBoxRequest&) override { return IDOK; }
    INT runModal(ks::dialogs::DialogModel&) override { return IDCANCEL; }
};

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool more() const { return m_at < m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    uint64_t u64()
    {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v |= static_cast<uint64_t>(byte()) << (8 * i);
        return v;
    }
    size_t longTextBudget = 256 * 1024;

    std::string text(size_t n)
    {
        n = std::min(n, m_size - m_at);
        std::string s(reinterpret_cast<const char*>(m_data + m_at), n);
        m_at += n;
        return s;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

struct Table {
    std::string name;
    std::vector<std::string> columns;
};

void exec(sqlite3* db, const std::string& sql)
{
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// One value of the row from the bytes, bound to parameter `param`.
void bindValue(sqlite3_stmt* s, int param, Bytes& in)
{
    switch (in.byte() % 6) {
    case 0:
        sqlite3_bind_null(s, param);
        break;
    case 1:
        sqlite3_bind_int64(s, param, static_cast<sqlite3_int64>(in.u64()));
        break;
    case 2: {
        const uint64_t bits = in.u64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        sqlite3_bind_double(s, param, d);
        break;
    }
    case 3: {
        const std::string t = in.text(in.byte());
        sqlite3_bind_text(s, param, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        break;
    }
    case 4: {
        const std::string b = in.text(in.byte());
        sqlite3_bind_blob(s, param, b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        // A long text of one character, up to 64 KiB, while the input's
        // budget of 256 KiB of long texts lasts (the file stays a size a
        // run can read many times over).
        size_t n = (static_cast<size_t>(in.byte()) + 1) * 256;
        n = std::min(n, in.longTextBudget);
        in.longTextBudget -= n;
        const std::string t(n, static_cast<char>(in.byte()));
        sqlite3_bind_text(s, param, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

// Writes the keyed database the bytes describe.
bool writeDatabase(const std::string& path, Bytes& in)
{
    ::unlink(path.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    sqlite3_key(db, kPassword, static_cast<int>(std::strlen(kPassword)));
    exec(db, "BEGIN");

    const uint8_t shape = in.byte();
    std::vector<Table> tables;
    if (shape & 0x08)  // another table first: the type is taken from the first
        tables.push_back({in.text(in.byte() % 24), {"Time & Date", "x"}});
    switch (shape & 3) {
    case 0: tables.push_back({"AuditLogTable", kAuditColumns}); break;
    case 1: tables.push_back({"HistoryLogTable", kHistoryColumns}); break;
    case 2:
        tables.push_back({"AuditLogTable", kAuditColumns});
        tables.push_back({"HistoryLogTable", kHistoryColumns});
        break;
    default:
        // Names the library looks for, in another case.
        tables.push_back({"auditlogtable", kAuditColumns});
        break;
    }
    for (Table& t : tables) {
        if ((shape & 0x10) && t.columns.size() > 1)
            t.columns.erase(t.columns.begin() + in.byte() % t.columns.size());
        if (shape & 0x20)
            t.columns.push_back(in.text(in.byte() % 16));
        std::string sql = "CREATE TABLE " + quoted(t.name) + " (";
        for (size_t i = 0; i < t.columns.size(); ++i) {
            sql += (i ? ", " : "") + quoted(t.columns[i]);
            if (shape & 0x40)
                sql += i == 0 ? " REAL" : " TEXT";
        }
        exec(db, sql + ")");
    }

    // Rows: a header byte picks the table and whether the row id is given.
    for (int row = 0; row < 200 && in.more(); ++row) {
        const uint8_t head = in.byte();
        const Table& t = tables[head % tables.size()];
        std::string sql = "INSERT INTO " + quoted(t.name) + " (";
        std::string marks;
        if (head & 0x80) {
            sql += "rowid";
            marks = "?";
        }
        for (size_t i = 0; i < t.columns.size(); ++i) {
            sql += ((i || (head & 0x80)) ? ", " : "") + quoted(t.columns[i]);
            marks += (i || (head & 0x80)) ? ", ?" : "?";
        }
        sql += ") VALUES (" + marks + ")";
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            sqlite3_finalize(s);
            continue;
        }
        int param = 1;
        if (head & 0x80)
            sqlite3_bind_int64(s, param++, static_cast<sqlite3_int64>(in.u64()));
        for (size_t i = 0; i < t.columns.size(); ++i)
            bindValue(s, param++, in);
        sqlite3_step(s);
        sqlite3_finalize(s);
    }
    exec(db, "COMMIT");
    sqlite3_close_v2(db);
    return true;
}

void touchDate(const COleDateTime& d)
{
    if (d.GetStatus() != COleDateTime::valid)
        return;
    const int parts[] = {d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(), d.GetMinute(), d.GetSecond()};
    // Parts are -1 together (outside the years 100 to 9999) or in range.
    check((parts[0] == -1) == (parts[5] == -1));
    if (parts[0] != -1)
        check(parts[0] >= 100 && parts[0] <= 9999 && parts[1] >= 1 && parts[1] <= 12 && parts[2] >= 1 &&
              parts[2] <= 31 && parts[3] >= 0 && parts[3] <= 23 && parts[4] >= 0 && parts[4] <= 59 &&
              parts[5] >= 0 && parts[5] <= 59);
}

size_t touch(CAuditLogSet& s)
{
    touchDate(s.DateTime());
    return static_cast<size_t>(s.UserID().GetLength() + s.Username().GetLength() + s.ComputerName().GetLength() +
                               s.Event().GetLength() + s.UserResponse().GetLength() + s.Message().GetLength() +
                               s.Contex().GetLength() + s.Application().GetLength());
}

size_t touch(CHistoryLogSet& s)
{
    touchDate(s.DateTime());
    return static_cast<size_t>(s.UserID().GetLength() + s.Username().GetLength() + s.ComputerName().GetLength() +
                               s.ChangeType().GetLength() + s.OldRow().GetLength() + s.NewRow().GetLength() +
                               s.ItemChanged().GetLength() + s.OldVale().GetLength() + s.NewValue().GetLength() +
                               s.DataID1().GetLength() + s.DataID2().GetLength() + s.DataID3().GetLength() +
                               s.DataID4().GetLength() + s.DataID5().GetLength());
}

// The whole table forwards and backwards; a walk never takes more steps
// than the table has rows (at most the 200 written).
template <class Set>
void walk(Set* set)
{
    std::unique_ptr<Set> owned(set);
    if (!owned || !owned->IsOpen())
        return;
    int steps = 0;
    while (!owned->IsEOF()) {
        touch(*owned);
        owned->MoveNext();
        check(++steps <= 200);
    }
    if (owned->GetRecordCount() == 0)
        return;
    owned->MoveLast();
    steps = 0;
    while (!owned->IsBOF()) {
        touch(*owned);
        owned->MovePrev();
        check(++steps <= 200);
    }
}

template <class Set, class Get>
void byIndex(LONG count, Get get)
{
    for (LONG i : {LONG(-1), LONG(0), LONG(1), count - 1, count, count + 1}) {
        std::unique_ptr<Set> set(get(i));
        if (set && set->IsOpen() && !set->IsEOF() && !set->IsBOF())
            touch(*set);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ks::fuzz::quietStdio();
    // Key derivation with few iterations for every connection of the
    // process (the writer's and the library's): the files stay keyed, and
    // each run is not spent deriving keys.
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    exec(db, "PRAGMA cipher_default_kdf_iter = 2");
    sqlite3_close(db);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentRunner runner;
    static ks::dialogs::ScopedDialogRunner scope(runner);
    const std::string path = ks::fuzz::tempDir() + "/input.mdb";
    const std::string copyPath = ks::fuzz::tempDir() + "/copy.mdb";
    Bytes in(data, size);
    if (!writeDatabase(path, in))
        return 0;

    {
        CqelDatabase db;
        db.SetFixUpFileName(false);
        if (db.openDatabase(CString(ks::wideFromFileName(path).c_str()), eNoTable, false)) {
            const eTableType type = db.GetTypeOfDatabase();
            const LONG count = db.GetNumberOfRecords();
            check(count >= 0 && count <= 200);
            byIndex<CAuditLogSet>(count, [&](LONG i) { return db.GetAuditRecord(i); });
            byIndex<CHistoryLogSet>(count, [&](LONG i) { return db.GetHistoryRecord(i); });
            try {
                walk(db.GetAllAuditRecords());
            } catch (const CDaoException&) {
            }
            try {
                walk(db.GetAllHistoryRecords());
            } catch (const CDaoException&) {
            }
            if (type == eAuditTable || type == eHistoryTable) {
                ::unlink(copyPath.c_str());
                CqelDatabase copy;
                copy.SetFixUpFileName(false);
                if (copy.openDatabase(CString(ks::wideFromFileName(copyPath).c_str()), type, true)) {
                    try {
                        copy.AppendDatabase(&db);
                    } catch (const CDaoException&) {
                    }
                    check(copy.GetNumberOfRecords() <= count);
                }
            }
        }
    }
    ::unlink(path.c_str());
    ::unlink(copyPath.c_str());
    return 0;
}
