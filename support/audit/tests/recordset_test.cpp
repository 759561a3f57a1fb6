#include "audittest.h"

using namespace audittest;

namespace {

class RecordSet : public AuditTest {};

TEST_F(RecordSet, FreshSetsAreEmptyAtTheZeroDate)
{
    CAuditLogSet audit;
    CHistoryLogSet history;
    EXPECT_FALSE(audit.IsOpen());
    EXPECT_EQ(audit.m_nFields, 9);
    EXPECT_EQ(history.m_nFields, 15);
    EXPECT_EQ(audit.m_nDefaultType, dbOpenDynaset);
    EXPECT_EQ(history.m_nDefaultType, dbOpenDynaset);
    for (const COleDateTime& d : {audit.DateTime(), history.DateTime()}) {
        EXPECT_EQ(d.GetStatus(), COleDateTime::valid);
        EXPECT_EQ(static_cast<DATE>(d), 0.0);
        EXPECT_EQ(d.GetYear(), 1899);
        EXPECT_EQ(d.GetMonth(), 12);
        EXPECT_EQ(d.GetDay(), 30);
        EXPECT_EQ(d.GetHour(), 0);
        EXPECT_EQ(d.GetMinute(), 0);
    }
    for (const CString& s : {audit.UserID(), audit.Username(), audit.ComputerName(), audit.Event(),
                             audit.UserResponse(), audit.Message(), audit.Contex(), audit.Application()})
        EXPECT_TRUE(s.IsEmpty());
    for (const CString& s : {history.UserID(), history.Username(), history.ComputerName(), history.ChangeType(),
                             history.OldRow(), history.NewRow(), history.ItemChanged(), history.OldVale(),
                             history.NewValue(), history.DataID1(), history.DataID2(), history.DataID3(),
                             history.DataID4(), history.DataID5()})
        EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(narrow(audit.GetDefaultDBName()), "Tabledefs.mdb");
    EXPECT_EQ(narrow(history.GetDefaultDBName()), "Tabledefs.mdb");
    EXPECT_EQ(narrow(audit.GetDefaultSQL()), "[AuditLogTable]");
    EXPECT_EQ(narrow(history.GetDefaultSQL()), "[HistoryLogTable]");
}

TEST_F(RecordSet, RuntimeClassNamesTheBase)
{
    CAuditLogSet audit;
    CHistoryLogSet history;
    EXPECT_STREQ(audit.GetRuntimeClass()->m_lpszClassName, "CAuditLogSet");
    EXPECT_STREQ(history.GetRuntimeClass()->m_lpszClassName, "CHistoryLogSet");
    EXPECT_EQ(CAuditLogSet::_GetBaseClass(), RUNTIME_CLASS(CDaoRecordset));
    EXPECT_EQ(CHistoryLogSet::_GetBaseClass(), RUNTIME_CLASS(CDaoRecordset));
    EXPECT_TRUE(audit.IsKindOf(RUNTIME_CLASS(CDaoRecordset)));
    EXPECT_TRUE(audit.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(audit.IsKindOf(RUNTIME_CLASS(CHistoryLogSet)));
}

TEST_F(RecordSet, AccessorsKeepTheirValues)
{
    CAuditLogSet a;
    a.DateTime(COleDateTime(2024, 2, 29, 13, 14, 15));
    a.UserID(L"1");
    a.UserName(L"2");
    a.ComputerName(L"3");
    a.Event(L"4");
    a.UserResponse(L"5");
    a.Message(L"6");
    a.Contex(L"7");
    a.Application(L"8");
    EXPECT_EQ(a.DateTime().GetDay(), 29);
    EXPECT_EQ(narrow(a.UserID() + a.Username() + a.ComputerName() + a.Event() + a.UserResponse() + a.Message() +
                     a.Contex() + a.Application()),
              "12345678");
    CHistoryLogSet h;
    h.UserID(L"a");
    h.Username(L"b");
    h.ComputerName(L"c");
    h.ChangeType(L"d");
    h.OldRow(L"e");
    h.NewRow(L"f");
    h.ItemChanged(L"g");
    h.OldVale(L"h");
    h.NewValue(L"i");
    h.DataID1(L"j");
    h.DataID2(L"k");
    h.DataID3(L"l");
    h.DataID4(L"m");
    h.DataID5(L"n");
    EXPECT_EQ(narrow(h.UserID() + h.Username() + h.ComputerName() + h.ChangeType() + h.OldRow() + h.NewRow() +
                     h.ItemChanged() + h.OldVale() + h.NewValue() + h.DataID1() + h.DataID2() + h.DataID3() +
                     h.DataID4() + h.DataID5()),
              "abcdefghijklmn");
}

TEST_F(RecordSet, AssignmentCopiesValuesNotState)
{
    CqelDatabase db(wfile("h"), eHistoryTable);
    for (const wchar_t* item : {L"one", L"two", L"three"})
        ASSERT_TRUE(db.AppendHistoryRecordLight(L"c", L"or", L"nr", item, L"ov", L"nv", L"1", L"2", L"3", L"4", L"5"));

    CHistoryLogSet open(db.GetDaoDatabase());
    open.Open(dbOpenTable);
    open.MoveNext();
    ASSERT_EQ(narrow(open.ItemChanged()), "two");

    CHistoryLogSet closed;
    closed.DateTime(COleDateTime(1.5));
    closed.UserID(L"u");
    closed.Username(L"n");
    closed.ComputerName(L"p");
    closed.ChangeType(L"ct");
    closed.OldRow(L"r0");
    closed.NewRow(L"r1");
    closed.ItemChanged(L"it");
    closed.OldVale(L"v0");
    closed.NewValue(L"v1");
    closed.DataID1(L"i1");
    closed.DataID2(L"i2");
    closed.DataID3(L"i3");
    closed.DataID4(L"i4");
    closed.DataID5(L"i5");

    open = closed;
    EXPECT_TRUE(open.IsOpen());
    EXPECT_EQ(static_cast<DATE>(open.DateTime()), 1.5);
    EXPECT_EQ(narrow(open.UserID() + open.Username() + open.ComputerName() + open.ChangeType() + open.OldRow() +
                     open.NewRow() + open.ItemChanged() + open.OldVale() + open.NewValue() + open.DataID1() +
                     open.DataID2() + open.DataID3() + open.DataID4() + open.DataID5()),
              "unpctr0r1itv0v1i1i2i3i4i5");
    // Still on the second record: the next one is the third.
    open.MoveNext();
    EXPECT_EQ(narrow(open.ItemChanged()), "three");

    CHistoryLogSet other;
    open.MovePrev();
    other = open;
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(narrow(other.ItemChanged()), "two");
    EXPECT_EQ(narrow(other.DataID5()), "5");
}

TEST_F(RecordSet, NavigationStopsAtTheEnds)
{
    CqelDatabase db(wfile("a"), eAuditTable);
    CAuditLogSet set(db.GetDaoDatabase());
    set.Open();
    // An empty table: BOF and EOF, and no movement.
    EXPECT_TRUE(set.IsBOF());
    EXPECT_TRUE(set.IsEOF());
    EXPECT_EQ(set.GetRecordCount(), 0);
    EXPECT_THROW(set.MoveNext(), CDaoException);
    EXPECT_THROW(set.MoveFirst(), CDaoException);
    EXPECT_THROW(set.Move(0), CDaoException);

    for (const wchar_t* e : {L"a", L"b", L"c"}) {
        set.AddNew();
        EXPECT_TRUE(set.Event().IsEmpty());
        set.Event(e);
        set.Update();
    }
    // The set stays where it was before the additions: at the end.
    EXPECT_TRUE(set.IsEOF());
    EXPECT_EQ(set.GetRecordCount(), 3);
    set.MoveFirst();
    EXPECT_EQ(narrow(set.Event()), "a");
    set.Move(2);
    EXPECT_EQ(narrow(set.Event()), "c");
    set.Move(10);
    EXPECT_TRUE(set.IsEOF());
    EXPECT_TRUE(set.Event().IsEmpty());
    EXPECT_THROW(set.MoveNext(), CDaoException);
    set.MoveLast();
    set.Move(-5);
    EXPECT_TRUE(set.IsBOF());
    EXPECT_THROW(set.MovePrev(), CDaoException);

    // Update without AddNew, and a cancelled addition.
    set.MoveFirst();
    EXPECT_THROW(set.Update(), CDaoException);
    set.AddNew();
    set.Event(L"dropped");
    set.CancelUpdate();
    EXPECT_EQ(narrow(set.Event()), "a");
    EXPECT_EQ(set.GetRecordCount(), 3);
    set.Close();
    EXPECT_FALSE(set.IsOpen());
    EXPECT_THROW(set.GetRecordCount(), CDaoException);
}

TEST_F(RecordSet, OpeningAWrongTableOrNoDatabaseFails)
{
    CqelDatabase audit(wfile("a"), eAuditTable);
    CHistoryLogSet history(audit.GetDaoDatabase());
    EXPECT_THROW(history.Open(), CDaoException);
    EXPECT_FALSE(history.IsOpen());
    CAuditLogSet misnamed(audit.GetDaoDatabase());
    EXPECT_THROW(misnamed.Open(dbOpenTable, L"[NoSuchTable]"), CDaoException);
    EXPECT_THROW(misnamed.Open(99), CDaoException);

    // Without a database the set looks for its default file, which is not
    // there.
    CAuditLogSet alone;
    EXPECT_THROW(alone.Open(), CDaoException);
    EXPECT_FALSE(alone.IsOpen());

    audit.closeDatabase();
    CAuditLogSet closed(audit.GetDaoDatabase());
    EXPECT_THROW(closed.Open(), CDaoException);
}

TEST_F(RecordSet, SnapshotsCannotBeAddedTo)
{
    CqelDatabase audit(wfile("a"), eAuditTable);
    CAuditLogSet snapshot(audit.GetDaoDatabase());
    snapshot.Open(dbOpenSnapshot);
    EXPECT_THROW(snapshot.AddNew(), CDaoException);
}

TEST_F(RecordSet, SetOutlivingItsDatabaseIsClosedSafely)
{
    auto db = std::make_unique<CqelDatabase>(wfile("a"), eAuditTable);
    ASSERT_TRUE(db->AppendAuditRecordLight(L"e", L"", L"", L"", L""));
    std::unique_ptr<CAuditLogSet> set(db->GetAllAuditRecords());
    ASSERT_TRUE(set->IsOpen());
    db.reset();
    EXPECT_FALSE(set->IsOpen());
    EXPECT_EQ(set->m_pDatabase, nullptr);
    EXPECT_EQ(narrow(set->Event()), "e");
}

TEST_F(RecordSet, CheckStrings)
{
    CAuditVal v;
    EXPECT_EQ(narrow(v.CheckStrings(5)), "enabled");
    EXPECT_EQ(narrow(v.CheckStrings(1)), "enabled");
    EXPECT_EQ(narrow(v.CheckStrings(-1)), "enabled");
    EXPECT_EQ(narrow(v.CheckStrings(0)), "disabled");
    v.CheckStrings(L"on", 7);
    EXPECT_EQ(narrow(v.CheckStrings(1)), "on");
    EXPECT_EQ(narrow(v.CheckStrings(0)), "disabled");
    v.CheckStrings(L"off", 0);
    EXPECT_EQ(narrow(v.CheckStrings(0)), "off");
}

TEST_F(RecordSet, AuditValDefaultsAndAssignment)
{
    CAuditVal d;
    EXPECT_EQ(d.VarID(), 0);
    EXPECT_TRUE(d.Name().IsEmpty());
    EXPECT_TRUE(d.Value().IsEmpty());
    EXPECT_EQ(d.VarType(), eTextVar);
    EXPECT_TRUE(d.ChangeType().IsEmpty());
    EXPECT_TRUE(d.RowNumber().IsEmpty());

    CAuditVal v(42, L"name", L"value", eCheckVar, L"change", L"row");
    v.CheckStrings(L"yes", 1);
    v.CheckStrings(L"no", 0);
    d = v;
    EXPECT_EQ(d.VarID(), 42);
    EXPECT_EQ(narrow(d.Name() + d.Value() + d.ChangeType() + d.RowNumber()), "namevaluechangerow");
    EXPECT_EQ(d.VarType(), eCheckVar);
    EXPECT_EQ(narrow(d.CheckStrings(1) + d.CheckStrings(0)), "yesno");

    d.VarID(7);
    d.Name(L"n");
    d.Value(L"v");
    d.VarType(eTextVar);
    d.ChangeType(L"c");
    d.RowNumber(L"r");
    EXPECT_EQ(d.VarID(), 7);
    EXPECT_EQ(narrow(d.Name() + d.Value() + d.ChangeType() + d.RowNumber()), "nvcr");
    EXPECT_EQ(narrow(v.Name()), "name");
}

}  // namespace
