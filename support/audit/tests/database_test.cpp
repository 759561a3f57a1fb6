#include "audittest.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

using namespace audittest;
namespace fs = std::filesystem;

namespace {

class Database : public AuditTest {
protected:
    // A new file of the given type holding `records` records.
    void makeAudit(const std::string& name, int records)
    {
        CqelDatabase db;
        ASSERT_TRUE(db.openDatabase(wfile(name), eAuditTable, true));
        for (int i = 0; i < records; ++i) {
            const CString n(widen(std::to_string(i)).c_str());
            ASSERT_TRUE(db.AppendAuditRecord(L"uid" + n, L"user" + n, L"pc" + n, L"event" + n, L"resp" + n,
                                             L"msg" + n, L"ctx" + n, L"app" + n));
        }
    }
    void makeHistory(const std::string& name, int records)
    {
        CqelDatabase db;
        ASSERT_TRUE(db.openDatabase(wfile(name), eHistoryTable, true));
        for (int i = 0; i < records; ++i) {
            const CString n(widen(std::to_string(i)).c_str());
            ASSERT_TRUE(db.AppendHistoryRecordLight(L"ct" + n, L"or" + n, L"nr" + n, L"item" + n, L"ov" + n,
                                                    L"nv" + n, L"d1" + n, L"d2" + n, L"d3" + n, L"d4" + n,
                                                    L"d5" + n));
        }
    }
    bool isOpen(CqelDatabase& db) { return db.GetDaoDatabase() && db.GetDaoDatabase()->IsOpen(); }
};

TEST_F(Database, CreatesMissingFileWithExtensionAndLeavesItOpen)
{
    CqelDatabase db;
    EXPECT_TRUE(db.GetFixUpFileName());
    EXPECT_FALSE(isOpen(db));
    ASSERT_TRUE(db.openDatabase(wfile("audit"), eAuditTable, true));
    EXPECT_EQ(narrow(db.GetDatabaseFilename()), file("audit.mdb"));
    EXPECT_TRUE(fs::exists(file("audit.mdb")));
    EXPECT_FALSE(fs::exists(file("audit")));
    EXPECT_TRUE(isOpen(db));
    EXPECT_EQ(db.GetTypeOfDatabase(), eAuditTable);
    EXPECT_EQ(db.GetNumberOfRecords(), 0);
    EXPECT_TRUE(messages().empty());

    CqelDatabase history(wfile("history.mdb"), eHistoryTable);
    EXPECT_TRUE(isOpen(history));
    EXPECT_EQ(history.GetTypeOfDatabase(), eHistoryTable);
}

TEST_F(Database, ResolvesNamesByFixUpFlag)
{
    struct Case {
        std::string given;
        bool fixUp;
        std::string resolved;
    };
    const Case cases[] = {
        {"a.MDB", true, "a.MDB"},         {"b.txt", true, "b.mdb"},       {"c.txt", false, "c.txt"},
        {"d", true, "d.mdb"},             {"e.", true, "e.mdb"},          {"f.tar.gz", true, "f.tar.mdb"},
        {"g.Mdb", true, "g.Mdb"},         {"h.mdbx", true, "h.mdb"},      {"sub.dir/i", true, "sub.dir/i.mdb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        CqelDatabase db;
        db.SetFixUpFileName(c.fixUp);
        // A missing file without create: the name is resolved, nothing opens.
        EXPECT_TRUE(db.openDatabase(wfile(c.given), eAuditTable, false));
        EXPECT_EQ(narrow(db.GetDatabaseFilename()), file(c.resolved));
        EXPECT_FALSE(isOpen(db));
        EXPECT_EQ(db.GetFixUpFileName(), c.fixUp);
    }
    // Nothing was created.
    EXPECT_EQ(std::distance(fs::directory_iterator(ks::test::tempDir()), fs::directory_iterator()), 3);
}

TEST_F(Database, BackslashesSeparateFolders)
{
    fs::create_directories(file("sub"));
    CqelDatabase db;
    const std::string given = ks::test::tempDir() + "\\sub\\x.y";
    ASSERT_TRUE(db.openDatabase(CString(widen(given).c_str()), eHistoryTable, true));
    EXPECT_EQ(narrow(db.GetDatabaseFilename()), ks::test::tempDir() + "\\sub\\x.mdb");
    EXPECT_TRUE(fs::exists(file("sub/x.mdb")));
}

TEST_F(Database, EmptyNameTakesFreshTemporaryName)
{
    CqelDatabase db;
    ASSERT_TRUE(db.openDatabase(L"", eHistoryTable, true));
    const fs::path made = narrow(db.GetDatabaseFilename());
    EXPECT_EQ(made.parent_path(), fs::path(ks::test::tempDir()) / "tmp");
    EXPECT_EQ(made.filename().string().rfind("XCL", 0), 0u) << made;
    EXPECT_EQ(made.extension(), ".tmp");
    EXPECT_TRUE(fs::exists(made));
    EXPECT_FALSE(db.GetFixUpFileName());
    EXPECT_EQ(db.GetTypeOfDatabase(), eHistoryTable);

    // The flag stays cleared: a later name keeps its extension.
    ASSERT_TRUE(db.openDatabase(wfile("later.txt"), eAuditTable, true));
    EXPECT_EQ(narrow(db.GetDatabaseFilename()), file("later.txt"));
    EXPECT_FALSE(db.GetFixUpFileName());

    CqelDatabase other;
    ASSERT_TRUE(other.openDatabase(L"", eAuditTable, true));
    EXPECT_NE(other.GetDatabaseFilename(), CString(made.wstring().c_str()));
}

TEST_F(Database, MissingFileWithoutTableOrCreateIsNotMade)
{
    CqelDatabase db;
    EXPECT_TRUE(db.openDatabase(wfile("nothing"), eAuditTable, false));
    EXPECT_FALSE(isOpen(db));
    EXPECT_FALSE(db.openDatabase(wfile("notable"), eNoTable, true));
    EXPECT_FALSE(isOpen(db));
    EXPECT_FALSE(fs::exists(file("notable.mdb")));
    EXPECT_FALSE(fs::exists(file("nothing.mdb")));
    // A folder that does not exist cannot take a new file.
    EXPECT_FALSE(db.openDatabase(wfile("no/such/folder/a"), eAuditTable, true));
    EXPECT_FALSE(isOpen(db));
}

TEST_F(Database, AppendsAndReadsHistoryRecordsInArgumentOrder)
{
    CqelDatabase db(wfile("h"), eHistoryTable);
    const COleDateTime before = COleDateTime::GetCurrentTime();
    ASSERT_TRUE(db.AppendHistoryRecord(L"uid", L"name", L"pc", L"change", L"old row", L"new row", L"item",
                                       L"old value", L"new value", L"id1", L"id2", L"id3", L"id4", L"id5"));
    ASSERT_TRUE(db.AppendHistoryRecordLight(L"c2", L"or2", L"nr2", L"it2", L"ov2", L"nv2", L"a", L"b", L"c", L"d",
                                            L"e"));
    const COleDateTime after = COleDateTime::GetCurrentTime();
    EXPECT_EQ(db.GetNumberOfRecords(), 2);

    std::unique_ptr<CHistoryLogSet> first(db.GetHistoryRecord(0));
    ASSERT_TRUE(first);
    const std::vector<CString> got = {first->UserID(),      first->Username(),   first->ComputerName(),
                                      first->ChangeType(),  first->OldRow(),     first->NewRow(),
                                      first->ItemChanged(), first->OldVale(),    first->NewValue(),
                                      first->DataID1(),     first->DataID2(),    first->DataID3(),
                                      first->DataID4(),     first->DataID5()};
    const std::vector<CString> want = {L"uid",   L"name",      L"pc",        L"change", L"old row",
                                       L"new row", L"item",    L"old value", L"new value", L"id1",
                                       L"id2",   L"id3",       L"id4",       L"id5"};
    EXPECT_EQ(got, want);
    EXPECT_GE(static_cast<DATE>(first->DateTime()), static_cast<DATE>(before));
    EXPECT_LE(static_cast<DATE>(first->DateTime()), static_cast<DATE>(after));

    std::unique_ptr<CHistoryLogSet> second(db.GetHistoryRecord(1));
    ASSERT_TRUE(second);
    EXPECT_EQ(narrow(second->UserID()), "Unknown");
    EXPECT_EQ(narrow(second->Username()), "Unknown");
    EXPECT_EQ(narrow(second->ComputerName()), "Unknown");
    EXPECT_EQ(narrow(second->ChangeType()), "c2");
    EXPECT_EQ(narrow(second->DataID5()), "e");
    EXPECT_TRUE(messages().empty());
}

TEST_F(Database, AuditLightWritesUnknownUser)
{
    CqelDatabase db(wfile("a"), eAuditTable);
    ASSERT_TRUE(db.AppendAuditRecordLight(L"ev", L"resp", L"msg", L"ctx", L"app"));
    std::unique_ptr<CAuditLogSet> rec(db.GetAuditRecord(0));
    ASSERT_TRUE(rec);
    EXPECT_EQ(narrow(rec->UserID()), "Unknown");
    EXPECT_EQ(narrow(rec->Username()), "Unknown");
    EXPECT_EQ(narrow(rec->ComputerName()), "Unknown");
    EXPECT_EQ(narrow(rec->Event()), "ev");
    EXPECT_EQ(narrow(rec->UserResponse()), "resp");
    EXPECT_EQ(narrow(rec->Message()), "msg");
    EXPECT_EQ(narrow(rec->Contex()), "ctx");
    EXPECT_EQ(narrow(rec->Application()), "app");
}

TEST_F(Database, RecordIndexPositionsTheSet)
{
    makeAudit("a.mdb", 3);
    CqelDatabase db(wfile("a.mdb"), eAuditTable);
    std::unique_ptr<CAuditLogSet> first(db.GetAuditRecord(0));
    ASSERT_TRUE(first);
    EXPECT_EQ(narrow(first->Event()), "event0");
    std::unique_ptr<CAuditLogSet> third(db.GetAuditRecord(2));
    ASSERT_TRUE(third);
    EXPECT_EQ(narrow(third->Event()), "event2");
    third->MoveNext();
    EXPECT_TRUE(third->IsEOF());
    // Past the end: the set stands at EOF.
    std::unique_ptr<CAuditLogSet> beyond(db.GetAuditRecord(5));
    ASSERT_TRUE(beyond);
    EXPECT_TRUE(beyond->IsEOF());
    // The wrong table for the file: null.
    EXPECT_EQ(db.GetHistoryRecord(0), nullptr);
    EXPECT_THROW(delete db.GetAllHistoryRecords(), CDaoException);
    // No record at all: null.
    CqelDatabase empty(wfile("e.mdb"), eAuditTable);
    EXPECT_EQ(empty.GetAuditRecord(0), nullptr);
}

TEST_F(Database, AllRecordsSetWalksEveryRecord)
{
    makeHistory("h.mdb", 4);
    CqelDatabase db(wfile("h.mdb"), eHistoryTable);
    std::unique_ptr<CHistoryLogSet> all(db.GetAllHistoryRecords());
    ASSERT_TRUE(all);
    std::vector<std::string> items;
    for (; !all->IsEOF(); all->MoveNext())
        items.push_back(narrow(all->ItemChanged()));
    EXPECT_EQ(items, (std::vector<std::string>{"item0", "item1", "item2", "item3"}));
    // The caller's set survives the database being closed under it.
    db.closeDatabase();
    EXPECT_FALSE(all->IsOpen());
    EXPECT_THROW(delete db.GetAllAuditRecords(), CDaoException);
}

TEST_F(Database, TextsLongerThan255CharactersAreRefused)
{
    CqelDatabase db(wfile("a"), eAuditTable);
    const CString longest(std::wstring(255, L'x').c_str());
    const CString tooLong(std::wstring(256, L'y').c_str());
    EXPECT_TRUE(db.AppendAuditRecord(longest, L"", L"", L"", L"", L"", L"", longest));
    EXPECT_FALSE(db.AppendAuditRecord(L"", L"", L"", L"", L"", tooLong, L"", L""));
    // Characters, not bytes, count.
    const CString wide(std::wstring(255, L'\u00e9').c_str());
    EXPECT_TRUE(db.AppendAuditRecord(wide, L"", L"", L"", L"", L"", L"", L""));
    EXPECT_EQ(db.GetNumberOfRecords(), 2);

    CqelDatabase history(wfile("h"), eHistoryTable);
    EXPECT_FALSE(history.AppendHistoryRecordLight(L"", L"", L"", L"", L"", L"", L"", L"", L"", L"", tooLong));
    EXPECT_EQ(history.GetNumberOfRecords(), 0);

    std::unique_ptr<CAuditLogSet> rec(db.GetAuditRecord(1));
    ASSERT_TRUE(rec);
    EXPECT_TRUE(rec->UserID() == wide);
}

TEST_F(Database, DeletedDatabaseHasNoTypeAndNoRecords)
{
    CqelDatabase db(wfile("a"), eAuditTable);
    ASSERT_TRUE(db.AppendAuditRecordLight(L"e", L"r", L"m", L"c", L"a"));
    EXPECT_NE(db.DeleteDatabase(), 0);
    EXPECT_FALSE(fs::exists(file("a.mdb")));
    EXPECT_EQ(db.GetDaoDatabase(), nullptr);
    EXPECT_TRUE(db.GetDatabaseFilename().IsEmpty());

    expectMessage();
    EXPECT_EQ(db.GetTypeOfDatabase(), eNoTable);
    expectMessage();
    EXPECT_EQ(db.GetNumberOfRecords(), 0);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Could not get the TableDef name.", "Could not get the TableDef name."}));
    for (const auto& shown : runner.log())
        EXPECT_EQ(shown.flags, static_cast<DWORD>(MB_OK));
    EXPECT_FALSE(db.AppendAuditRecordLight(L"e", L"r", L"m", L"c", L"a"));
    EXPECT_EQ(db.GetAuditRecord(0), nullptr);
    EXPECT_EQ(db.DeleteDatabase(), 0);

    // A later open makes a new database object.
    ASSERT_TRUE(db.openDatabase(wfile("b"), eHistoryTable, true));
    EXPECT_EQ(db.GetTypeOfDatabase(), eHistoryTable);
}

TEST_F(Database, ClosedDatabaseAnswersWithoutEngine)
{
    CqelDatabase db(wfile("a"), eAuditTable);
    db.closeDatabase();
    db.closeDatabase();
    expectMessage();
    EXPECT_EQ(db.GetTypeOfDatabase(), eNoTable);
    EXPECT_FALSE(db.AppendAuditRecordLight(L"e", L"r", L"m", L"c", L"a"));
    EXPECT_EQ(db.GetAuditRecord(0), nullptr);
    // Deleting a closed database cannot name its file: nothing is deleted.
    EXPECT_EQ(db.DeleteDatabase(), 0);
    EXPECT_TRUE(fs::exists(file("a.mdb")));
}

TEST_F(Database, AppendDatabaseCarriesEveryRecordAcross)
{
    makeHistory("source.mdb", 5);
    makeHistory("target.mdb", 2);
    CqelDatabase source(wfile("source.mdb"), eHistoryTable);
    CqelDatabase target(wfile("target.mdb"), eHistoryTable);
    ASSERT_TRUE(target.AppendDatabase(&source));
    EXPECT_EQ(target.GetNumberOfRecords(), 7);
    EXPECT_EQ(source.GetNumberOfRecords(), 5);

    std::unique_ptr<CHistoryLogSet> from(source.GetAllHistoryRecords());
    std::unique_ptr<CHistoryLogSet> to(target.GetHistoryRecord(2));
    ASSERT_TRUE(from && to);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(from->IsEOF());
        ASSERT_FALSE(to->IsEOF());
        // The date is carried bit for bit.
        EXPECT_EQ(static_cast<DATE>(from->DateTime()), static_cast<DATE>(to->DateTime()));
        const std::vector<CString> a = {from->UserID(),     from->Username(), from->ComputerName(), from->ChangeType(),
                                        from->OldRow(),     from->NewRow(),   from->ItemChanged(),  from->OldVale(),
                                        from->NewValue(),   from->DataID1(),  from->DataID2(),      from->DataID3(),
                                        from->DataID4(),    from->DataID5()};
        const std::vector<CString> b = {to->UserID(),   to->Username(), to->ComputerName(), to->ChangeType(),
                                        to->OldRow(),   to->NewRow(),   to->ItemChanged(),  to->OldVale(),
                                        to->NewValue(), to->DataID1(),  to->DataID2(),      to->DataID3(),
                                        to->DataID4(),  to->DataID5()};
        EXPECT_EQ(a, b);
        from->MoveNext();
        to->MoveNext();
    }
    EXPECT_TRUE(to->IsEOF());
}

TEST_F(Database, AppendDatabaseKeepsExactDates)
{
    CqelDatabase target(wfile("t"), eAuditTable);
    CqelDatabase source(wfile("s"), eAuditTable);
    // Dates that are not whole seconds, negative ones and the zero date.
    const DATE dates[] = {45678.123456789012, -2.75, 0.0, 1e-300, 2958465.999};
    {
        CAuditLogSet set(source.GetDaoDatabase());
        set.Open(dbOpenTable);
        for (DATE d : dates) {
            set.AddNew();
            set.DateTime(COleDateTime(d));
            set.Event(L"e");
            set.Update();
        }
        set.Close();
    }
    ASSERT_TRUE(target.AppendDatabase(&source));
    std::unique_ptr<CAuditLogSet> all(target.GetAllAuditRecords());
    for (DATE d : dates) {
        ASSERT_FALSE(all->IsEOF());
        EXPECT_EQ(static_cast<DATE>(all->DateTime()), d);
        all->MoveNext();
    }
}

TEST_F(Database, AppendDatabaseEdges)
{
    CqelDatabase target(wfile("t"), eAuditTable);
    ASSERT_TRUE(target.AppendAuditRecordLight(L"e", L"", L"", L"", L""));
    EXPECT_FALSE(target.AppendDatabase(nullptr));

    CqelDatabase empty(wfile("empty"), eAuditTable);
    EXPECT_TRUE(target.AppendDatabase(&empty));
    EXPECT_EQ(target.GetNumberOfRecords(), 1);

    // A file of the other table: nothing to copy from.
    CqelDatabase history(wfile("h"), eHistoryTable);
    ASSERT_TRUE(history.AppendHistoryRecordLight(L"", L"", L"", L"", L"", L"", L"", L"", L"", L"", L""));
    EXPECT_FALSE(target.AppendDatabase(&history));
    EXPECT_EQ(target.GetNumberOfRecords(), 1);

    // A file appended to itself doubles once.
    EXPECT_TRUE(target.AppendDatabase(&target));
    EXPECT_EQ(target.GetNumberOfRecords(), 2);

    // A target without a table type.
    target.closeDatabase();
    expectMessage();
    expectMessage();
    EXPECT_FALSE(target.AppendDatabase(&empty));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Could not get the TableDef name.",
                                                    "Failed to Append Database - Table Type does not exist."}));
    // A closed source.
    CqelDatabase open(wfile("o"), eAuditTable);
    empty.closeDatabase();
    EXPECT_FALSE(open.AppendDatabase(&empty));
}

TEST_F(Database, CopiesShareTheOpenDatabase)
{
    auto original = std::make_unique<CqelDatabase>(wfile("a"), eAuditTable);
    {
        CqelDatabase copy(*original);
        EXPECT_EQ(copy.GetDaoDatabase(), original->GetDaoDatabase());
        EXPECT_TRUE(copy.GetDatabaseFilename() == original->GetDatabaseFilename());
        EXPECT_TRUE(copy.AppendAuditRecordLight(L"from copy", L"", L"", L"", L""));
    }
    // The copy's end leaves the original open.
    EXPECT_TRUE(original->GetDaoDatabase()->IsOpen());
    EXPECT_EQ(original->GetNumberOfRecords(), 1);

    CqelDatabase assigned;
    assigned = *original;
    original.reset();
    EXPECT_EQ(assigned.GetNumberOfRecords(), 1);
    assigned = assigned;
    EXPECT_EQ(assigned.GetNumberOfRecords(), 1);

    // The last owner closes the file: it can be opened again.
    assigned = CqelDatabase();
    CqelDatabase again;
    EXPECT_TRUE(again.openDatabase(wfile("a.mdb"), eAuditTable, false));
    EXPECT_TRUE(again.GetDaoDatabase()->IsOpen());
}

TEST_F(Database, FileExistsReadsStatus)
{
    CqelDatabase db;
    EXPECT_EQ(db.FileExists(wfile("none")), 0);
    ks::test::writeFile(file("there"), "x");
    EXPECT_NE(db.FileExists(wfile("there")), 0);
    EXPECT_NE(db.FileExists(CString(widen(ks::test::tempDir()).c_str())), 0);
}

TEST_F(Database, SecondOpenerInThisProcessIsRefused)
{
    CqelDatabase first(wfile("a"), eAuditTable);
    ASSERT_TRUE(first.GetDaoDatabase()->IsOpen());
    CqelDatabase second;
    EXPECT_FALSE(second.openDatabase(wfile("a"), eAuditTable, true));
    EXPECT_FALSE(second.GetDaoDatabase()->IsOpen());
    first.closeDatabase();
    EXPECT_TRUE(second.openDatabase(wfile("a"), eAuditTable, true));
    EXPECT_TRUE(second.GetDaoDatabase()->IsOpen());
    // And now the first is the second opener.
    EXPECT_FALSE(first.openDatabase(wfile("a"), eAuditTable, true));
}

}  // namespace

namespace {

class ForeignContent : public AuditTest {};

TEST_F(ForeignContent, TableWithMissingColumnsIsNotUsed)
{
    // Keyed right, named right, but not the expected columns.
    const auto r = sqlcipher(file("odd.mdb"), kPassword,
                             "CREATE TABLE AuditLogTable (\"Time & Date\" REAL, \"User ID\" TEXT);"
                             "INSERT INTO AuditLogTable VALUES (1.0, 'x');");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    CqelDatabase db;
    ASSERT_TRUE(db.openDatabase(wfile("odd.mdb"), eAuditTable, true));
    EXPECT_EQ(db.GetTypeOfDatabase(), eAuditTable);
    EXPECT_EQ(db.GetNumberOfRecords(), 0);
    EXPECT_FALSE(db.AppendAuditRecordLight(L"e", L"r", L"m", L"c", L"a"));
    EXPECT_EQ(db.GetAuditRecord(0), nullptr);
    EXPECT_THROW(delete db.GetAllAuditRecords(), CDaoException);
    CqelDatabase target(wfile("t"), eAuditTable);
    EXPECT_FALSE(target.AppendDatabase(&db));
}

TEST_F(ForeignContent, OddValuesReadWithoutFailing)
{
    {
        CqelDatabase db(wfile("a"), eAuditTable);
    }
    // Values another writer could leave: invalid UTF-8, numbers in text
    // columns, text in the date column, nulls.
    const auto r = sqlcipher(file("a.mdb"), kPassword,
                             "INSERT INTO AuditLogTable VALUES ('not a date', CAST(X'41FFC3' AS TEXT), 42, NULL, "
                             "CAST(X'E282' AS TEXT), '', 'm', 'c', 'a');"
                             "INSERT INTO AuditLogTable VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    CqelDatabase db(wfile("a"), eAuditTable);
    EXPECT_EQ(db.GetNumberOfRecords(), 2);
    std::unique_ptr<CAuditLogSet> set(db.GetAuditRecord(0));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->DateTime().GetStatus(), COleDateTime::null);
    EXPECT_TRUE(set->UserID() == CString(L"A\uFFFD\uFFFD"));
    // A number in a text column reads as its text.
    EXPECT_EQ(narrow(set->Username()), "42");
    EXPECT_TRUE(set->Event() == CString(L"\uFFFD"));
    EXPECT_EQ(narrow(set->Message()), "m");
    set->MoveNext();
    EXPECT_EQ(set->DateTime().GetStatus(), COleDateTime::null);
    EXPECT_TRUE(set->Application().IsEmpty());
    // Such records are copied as they are read.
    CqelDatabase target(wfile("t"), eAuditTable);
    EXPECT_TRUE(target.AppendDatabase(&db));
    EXPECT_EQ(target.GetNumberOfRecords(), 2);
}

}  // namespace
