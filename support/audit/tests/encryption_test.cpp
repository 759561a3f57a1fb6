// The file as other programs see it: keyed, unreadable without the key,
// holding exactly the expected table; and what openDatabase refuses.
#include "audittest.h"

#include <filesystem>
#include <sstream>

using namespace audittest;
namespace fs = std::filesystem;

namespace {

const char kNeedle[] = "needle-text-4711";

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// The column names of PRAGMA table_info output ("cid|name|type|...").
std::vector<std::string> columnNames(const std::string& output)
{
    std::vector<std::string> out;
    for (const std::string& line : lines(output)) {
        const size_t a = line.find('|');
        const size_t b = line.find('|', a + 1);
        if (a != std::string::npos && b != std::string::npos)
            out.push_back(line.substr(a + 1, b - a - 1));
    }
    return out;
}

class Encryption : public AuditTest {
protected:
    // An audit file with a record holding the needle, closed again.
    std::string makeAudit(const std::string& name, int extraRecords = 0)
    {
        CqelDatabase db;
        EXPECT_TRUE(db.openDatabase(wfile(name), eAuditTable, true));
        EXPECT_TRUE(db.AppendAuditRecord(L"uid", L"name", L"pc", CString(widen(kNeedle).c_str()), L"resp", L"msg",
                                         L"ctx", L"app"));
        const CString filler(std::wstring(200, L'f').c_str());
        for (int i = 0; i < extraRecords; ++i)
            EXPECT_TRUE(db.AppendAuditRecord(filler, filler, filler, filler, filler, filler, filler, filler));
        return narrow(db.GetDatabaseFilename());
    }

    void expectRefused(const std::string& path)
    {
        SCOPED_TRACE(path);
        CqelDatabase db;
        EXPECT_FALSE(db.openDatabase(CString(widen(path).c_str()), eAuditTable, true));
        ASSERT_NE(db.GetDaoDatabase(), nullptr);
        EXPECT_FALSE(db.GetDaoDatabase()->IsOpen());
        EXPECT_FALSE(db.AppendAuditRecordLight(L"e", L"r", L"m", L"c", L"a"));
    }
};

TEST_F(Encryption, FileShowsNoHeaderNoTableNameAndNoRecordText)
{
    const std::string path = makeAudit("a.mdb");
    const std::string bytes = ks::test::readFile(path);
    ASSERT_GE(bytes.size(), 1024u);
    EXPECT_NE(bytes.compare(0, 16, std::string("SQLite format 3\0", 16)), 0);
    for (const char* plain : {kNeedle, "AuditLogTable", "Time & Date", "User Response", "CREATE TABLE"})
        EXPECT_EQ(bytes.find(plain), std::string::npos) << plain;
    // Nothing is left beside the file (no journal).
    EXPECT_EQ(std::distance(fs::directory_iterator(ks::test::tempDir()), fs::directory_iterator()), 4);
}

TEST_F(Encryption, SqlcipherWithTheKeyShowsExactlyTheTables)
{
    const std::string audit = makeAudit("a.mdb");
    auto r = sqlcipher(audit, kPassword, "SELECT name FROM sqlite_master;");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{"AuditLogTable"}));
    r = sqlcipher(audit, kPassword, "PRAGMA table_info('AuditLogTable');");
    EXPECT_EQ(columnNames(r.out),
              (std::vector<std::string>{"Time & Date", "User ID", "User Name", "Computer Name", "Event",
                                        "User Response", "Message", "Context", "Application"}));
    r = sqlcipher(audit, kPassword, "SELECT \"Event\", typeof(\"Time & Date\") FROM AuditLogTable;");
    EXPECT_EQ(lines(r.out), (std::vector<std::string>{std::string(kNeedle) + "|real"}));

    {
        CqelDatabase db(wfile("h.mdb"), eHistoryTable);
    }
    r = sqlcipher(file("h.mdb"), kPassword, "SELECT name FROM sqlite_master; PRAGMA table_info('HistoryLogTable');");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], "HistoryLogTable");
    EXPECT_EQ(columnNames(r.out),
              (std::vector<std::string>{"Time & Date", "User ID", "User Name", "Computer Name", "Change Type",
                                        "Old Row", "New Row", "Item being changed", "Old value", "New value",
                                        "data ID1", "data ID2", "data ID3", "data ID4", "data ID5"}));
}

TEST_F(Encryption, NoKeyOrWrongKeyCannotRead)
{
    const std::string path = makeAudit("a.mdb");
    for (const std::string& key : {std::string(), std::string("wrong"), std::string("602815doorvelk")}) {
        SCOPED_TRACE(key);
        const auto r = sqlcipher(path, key, "SELECT count(*) FROM sqlite_master;");
        EXPECT_NE(r.exitCode, 0);
        EXPECT_NE(r.err.find("not a database"), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("1"), std::string::npos);
    }
    // A plain SQLite reader.
    const auto py = ks::test::run({kPython, "-c",
                                   "import sqlite3, sys\n"
                                   "c = sqlite3.connect(sys.argv[1])\n"
                                   "print(c.execute('select name from sqlite_master').fetchall())\n",
                                   path});
    EXPECT_NE(py.exitCode, 0);
    EXPECT_NE(py.err.find("not a database"), std::string::npos) << py.err;
}

TEST_F(Encryption, PlainOrOtherwiseKeyedFilesAreRefused)
{
    // The same table in a plain SQLite file.
    const auto py = ks::test::run(
        {kPython, "-c",
         "import sqlite3, sys\n"
         "c = sqlite3.connect(sys.argv[1])\n"
         "c.execute('CREATE TABLE AuditLogTable (\"Time & Date\" REAL, \"User ID\" TEXT, \"User Name\" TEXT, "
         "\"Computer Name\" TEXT, \"Event\" TEXT, \"User Response\" TEXT, \"Message\" TEXT, \"Context\" TEXT, "
         "\"Application\" TEXT)')\n"
         "c.commit()\n",
         file("plain.mdb")});
    ASSERT_EQ(py.exitCode, 0) << py.err;
    expectRefused(file("plain.mdb"));

    const auto r = sqlcipher(file("other.mdb"), "another key",
                             "CREATE TABLE AuditLogTable (\"Time & Date\" REAL, \"User ID\" TEXT);");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectRefused(file("other.mdb"));
    // The refusals left both files as they were.
    EXPECT_EQ(sqlcipher(file("other.mdb"), "another key", "SELECT count(*) FROM AuditLogTable;").out, "0\n");
}

TEST_F(Encryption, DamagedFilesAreRefused)
{
    const std::string good = ks::test::readFile(makeAudit("good.mdb", 30));
    ASSERT_GE(good.size(), 4096u);
    struct Damage {
        std::string name;
        std::string bytes;
    };
    std::vector<Damage> damaged;
    damaged.push_back({"empty.mdb", std::string()});
    damaged.push_back({"short.mdb", good.substr(0, 100)});
    damaged.push_back({"half.mdb", good.substr(0, good.size() / 2)});
    damaged.push_back({"noise.mdb", std::string(4096, '\x5a')});
    for (size_t offset : {size_t(0), size_t(20), size_t(600), size_t(1030), good.size() - 1000, good.size() / 2 + 7}) {
        std::string bytes = good;
        bytes[offset] = static_cast<char>(bytes[offset] ^ 0x40);
        damaged.push_back({"flip" + std::to_string(offset) + ".mdb", bytes});
    }
    for (const Damage& d : damaged) {
        ks::test::writeFile(file(d.name), d.bytes);
        expectRefused(file(d.name));
    }
    // The good file still opens.
    CqelDatabase db;
    EXPECT_TRUE(db.openDatabase(wfile("good.mdb"), eAuditTable, false));
    EXPECT_EQ(db.GetNumberOfRecords(), 31);
}

TEST_F(Encryption, FolderIsRefused)
{
    fs::create_directories(file("dir.mdb"));
    expectRefused(file("dir.mdb"));
}

TEST_F(Encryption, SecondOpenerInAnotherProcessIsRefused)
{
    const std::string probe = std::string(KS_BIN_DIR) + "/aldoven_open_probe";
    CqelDatabase db(wfile("held"), eAuditTable);
    ASSERT_TRUE(db.GetDaoDatabase()->IsOpen());
    auto r = ks::test::run({probe, file("held.mdb")});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_EQ(r.out, "refused\n");
    // The reference reader is kept out as well.
    const auto cli = sqlcipher(file("held.mdb"), kPassword, "SELECT count(*) FROM AuditLogTable;");
    EXPECT_NE(cli.exitCode, 0);
    EXPECT_NE(cli.err.find("locked"), std::string::npos) << cli.err;

    db.closeDatabase();
    r = ks::test::run({probe, file("held.mdb")});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "opened\n");
}

TEST_F(Encryption, OnlyPublicClassesAreExported)
{
    const auto r = ks::test::run({"/usr/bin/nm", "-DC", "--defined-only", std::string(KS_LIB_DIR) + "/libAldoven.so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("sqlite3"), std::string::npos);
    EXPECT_EQ(r.out.find("aldoven::"), std::string::npos);
    EXPECT_EQ(r.out.find("CDaoTableDef::"), std::string::npos);
    for (const char* name : {"CqelDatabase::openDatabase", "CqelDifferencer::WriteChangeToDatabase",
                             "CAuditLogSet::classCAuditLogSet", "CHistoryLogSet::DoFieldExchange",
                             "CAuditVal::CAuditVal", "typeinfo for CDaoException", "szUnknownText"})
        EXPECT_NE(r.out.find(name), std::string::npos) << name;
}

}  // namespace
