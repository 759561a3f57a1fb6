#include "audittest.h"
#include "qeldifferencer.h"

using namespace audittest;

namespace {

// Control identifiers of the stand-in dialog.
enum : int {
    kName = 100,
    kComment = 101,
    kAutoSave = 110,
    kModeA = 200,
    kModeB = 201,
    kModeC = 202,
    kUnitX = 300,
    kUnitY = 301,
};

struct HistoryRow {
    std::string userID, userName, computer, changeType, oldRow, newRow, item, oldValue, newValue, id1, id2, id3, id4,
        id5;
    bool operator==(const HistoryRow& o) const
    {
        return std::tie(userID, userName, computer, changeType, oldRow, newRow, item, oldValue, newValue, id1, id2,
                        id3, id4, id5) == std::tie(o.userID, o.userName, o.computer, o.changeType, o.oldRow,
                                                   o.newRow, o.item, o.oldValue, o.newValue, o.id1, o.id2, o.id3,
                                                   o.id4, o.id5);
    }
};

std::ostream& operator<<(std::ostream& os, const HistoryRow& r)
{
    return os << r.userID << "|" << r.userName << "|" << r.computer << "|" << r.changeType << "|" << r.oldRow << "|"
              << r.newRow << "|" << r.item << "|" << r.oldValue << "|" << r.newValue << "|" << r.id1 << "|" << r.id2
              << "|" << r.id3 << "|" << r.id4 << "|" << r.id5;
}

class Differencer : public AuditTest {
protected:
    void SetUp() override
    {
        AuditTest::SetUp();
        dialog.AddDlgItem(kName, L"Sample 1");
        dialog.AddDlgItem(kComment, L"first run");
        dialog.AddDlgItem(kAutoSave, L"&Auto save")->SetCheck(BST_CHECKED);
        dialog.AddDlgItem(kModeA, L"&Fast");
        dialog.AddDlgItem(kModeB, L"&Normal")->SetCheck(BST_CHECKED);
        dialog.AddDlgItem(kModeC, L"&Careful");
        dialog.AddDlgItem(kUnitX, L"m&/z")->SetCheck(BST_CHECKED);
        dialog.AddDlgItem(kUnitY, L"&Time");
        differ.SetUserInformation(L"jd", L"Jane Doe", L"LAB-PC");
        differ.SetDataIDValues(L"d1", L"d2", L"d3", L"d4", L"d5");
    }

    void useHistory()
    {
        db = std::make_unique<CqelDatabase>(wfile("history"), eHistoryTable);
        differ.Database(db.get());
    }
    void useAudit()
    {
        db = std::make_unique<CqelDatabase>(wfile("audit"), eAuditTable);
        differ.Database(db.get());
    }

    std::vector<HistoryRow> history()
    {
        std::vector<HistoryRow> rows;
        std::unique_ptr<CHistoryLogSet> set(db->GetAllHistoryRecords());
        for (; !set->IsEOF(); set->MoveNext())
            rows.push_back({narrow(set->UserID()), narrow(set->Username()), narrow(set->ComputerName()),
                            narrow(set->ChangeType()), narrow(set->OldRow()), narrow(set->NewRow()),
                            narrow(set->ItemChanged()), narrow(set->OldVale()), narrow(set->NewValue()),
                            narrow(set->DataID1()), narrow(set->DataID2()), narrow(set->DataID3()),
                            narrow(set->DataID4()), narrow(set->DataID5())});
        return rows;
    }

    HistoryRow row(const std::string& changeType, const std::string& oldRow, const std::string& newRow,
                   const std::string& item, const std::string& oldValue, const std::string& newValue)
    {
        return {"jd", "Jane Doe", "LAB-PC", changeType, oldRow, newRow, item, oldValue, newValue,
                "d1", "d2",       "d3",     "d4",       "d5"};
    }

    CWnd dialog;
    CqelDifferencer differ;
    std::unique_ptr<CqelDatabase> db;
};

TEST_F(Differencer, EditFormWritesChangedValuesWithDefaults)
{
    useHistory();
    int ids[] = {kName, kComment};
    CString names[] = {L"Sample &name", L"Comment"};
    differ.AddEdit(&dialog, 2, ids, names, L"");
    dialog.SetDlgItemText(kName, L"Sample 2 & more");
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, L""));
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "NA", "NA", "Sample name", "Sample 1", "Sample 2 & more")}));
    // The edit list is emptied: nothing more to compare.
    dialog.SetDlgItemText(kComment, L"changed");
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, L""));
    EXPECT_EQ(db->GetNumberOfRecords(), 1);
}

TEST_F(Differencer, EditFormWithRowAndPrefix)
{
    useHistory();
    int ids[] = {kName, kComment};
    CString names[] = {L"Name", L"Comment"};
    differ.AddEdit(&dialog, 2, ids, names, L"3");
    differ.Prefix(L"Peak table");
    dialog.SetDlgItemText(kName, L"x");
    dialog.SetDlgItemText(kComment, L"y");
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, L"4"));
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "4", "NA", "Peak table : Name", "Sample 1", "x"),
                                                  row("Edit", "4", "NA", "Peak table : Comment", "first run", "y")}));
}

TEST_F(Differencer, EditFormWithoutChangeReturnsFalseAndEmpties)
{
    useHistory();
    int ids[] = {kName};
    CString names[] = {L"Name"};
    differ.AddEdit(&dialog, 1, ids, names, L"");
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, L""));
    dialog.SetDlgItemText(kName, L"changed later");
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, L""));
    EXPECT_EQ(db->GetNumberOfRecords(), 0);
}

TEST_F(Differencer, CheckBoxEntryWritesCheckStrings)
{
    useHistory();
    CAuditVal box(kAutoSave, L"&Auto save", L"enabled", eCheckVar);
    differ.Add(&box, eEditCtrl);
    CAuditVal stays(kAutoSave, L"Same", L"disabled", eCheckVar);
    differ.Add(&stays, eEditCtrl);
    dialog.CheckDlgButton(kAutoSave, BST_UNCHECKED);
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, L""));
    auto rows = history();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], row("Edit", "NA", "NA", "Auto save", "enabled", "disabled"));
}

TEST_F(Differencer, RadioGroupsByRanges)
{
    useHistory();
    int first[] = {kModeA, kUnitX};
    int last[] = {kModeC, kUnitY};
    CString names[] = {L"&Mode", L"Unit"};
    differ.AddRB(&dialog, 2, first, last, names);

    dialog.CheckRadioButton(kModeA, kModeC, kModeC);
    dialog.CheckRadioButton(kUnitX, kUnitY, kUnitY);
    // A disabled group is skipped with its entry.
    dialog.GetDlgItem(kUnitX)->EnableWindow(FALSE);
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, 2, first, last));
    // The stored value is the cleaned caption of the button checked then.
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "NA", "NA", "Mode", "Normal", "Careful")}));

    // The snapshot is kept: a second comparison writes again.
    dialog.GetDlgItem(kUnitX)->EnableWindow(TRUE);
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, 2, first, last));
    auto rows = history();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], row("Edit", "NA", "NA", "Unit", "m/z", "Time"));

    // More groups than entries: the rest is skipped; unchanged: false.
    dialog.CheckRadioButton(kModeA, kModeC, kModeB);
    dialog.CheckRadioButton(kUnitX, kUnitY, kUnitX);
    int moreFirst[] = {kModeA, kUnitX, kModeA};
    int moreLast[] = {kModeC, kUnitY, kModeC};
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, 3, moreFirst, moreLast));
    EXPECT_EQ(db->GetNumberOfRecords(), 3);
}

TEST_F(Differencer, RadioGroupWithNothingChecked)
{
    useHistory();
    dialog.CheckRadioButton(kModeA, kModeC, 0);
    int first[] = {kModeA};
    int last[] = {kModeC};
    CString names[] = {L"Mode"};
    differ.AddRB(&dialog, 1, first, last, names);
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, 1, first, last));
    dialog.CheckRadioButton(kModeA, kModeC, kModeA);
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, 1, first, last));
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "NA", "NA", "Mode", "", "Fast")}));
}

TEST_F(Differencer, RadioGroupByButtons)
{
    useHistory();
    // The entry of a group whose first button was checked at the snapshot.
    dialog.CheckRadioButton(kModeA, kModeC, kModeA);
    int first[] = {kModeA};
    int last[] = {kModeC};
    CString groupName[] = {L"Mode"};
    differ.AddRB(&dialog, 1, first, last, groupName);

    int ids[] = {kModeA, kModeB, kModeC};
    CString names[] = {L"fast", L"normal", L"careful"};
    dialog.CheckRadioButton(kModeA, kModeC, kModeC);
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, ids, 3, names));
    // Without names the caption counts.
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, ids, 3, nullptr));
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "NA", "NA", "Mode", "Fast", "careful"),
                                                  row("Edit", "NA", "NA", "Mode", "Fast", "Careful")}));
    // Entries of another first button, or a disabled one, take no part.
    int others[] = {kModeB, kModeC};
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, others, 2, nullptr));
    dialog.GetDlgItem(kModeA)->EnableWindow(FALSE);
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, ids, 3, names));
    EXPECT_EQ(db->GetNumberOfRecords(), 2);
}

TEST_F(Differencer, AuditDatabaseGetsEmptyAuditTexts)
{
    useAudit();
    int ids[] = {kName, kComment};
    CString names[] = {L"Name", L"Comment"};
    differ.AddEdit(&dialog, 2, ids, names, L"");
    dialog.SetDlgItemText(kName, L"a");
    dialog.SetDlgItemText(kComment, L"b");
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, L""));
    std::unique_ptr<CAuditLogSet> set(db->GetAllAuditRecords());
    int count = 0;
    for (; !set->IsEOF(); set->MoveNext(), ++count) {
        EXPECT_EQ(narrow(set->UserID()), "jd");
        EXPECT_EQ(narrow(set->Username()), "Jane Doe");
        EXPECT_EQ(narrow(set->ComputerName()), "LAB-PC");
        for (const CString& s : {set->Event(), set->UserResponse(), set->Message(), set->Contex(), set->Application()})
            EXPECT_TRUE(s.IsEmpty());
    }
    EXPECT_EQ(count, 2);
}

TEST_F(Differencer, RowChangeRecords)
{
    useHistory();
    CAuditVal empty(1, L"Row", L"", eTextVar, L"", L"2");
    EXPECT_TRUE(differ.AddRecordToDatabase(eHistoryTable, &empty, L"5", eRowChange));
    CAuditVal valued(1, L"Row", L"old", eTextVar, L"Insert", L"2");
    EXPECT_TRUE(differ.AddRecordToDatabase(eHistoryTable, &valued, L"6", eRowChange));
    // Neither kind of change: nothing is written.
    EXPECT_FALSE(differ.AddRecordToDatabase(eHistoryTable, &valued, L"7", static_cast<eControlType>(5)));
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "2", "5", "Row", "NA", "NA"),
                                                  row("Insert", "2", "6", "Row", "old", "NA")}));
}

TEST_F(Differencer, FailedAppendIsReported)
{
    useHistory();
    // A new value longer than the field: the record is not written, and
    // the write says so.
    CAuditVal v(kName, L"Name", L"short");
    EXPECT_FALSE(differ.AddRecordToDatabase(eHistoryTable, &v, CString(std::wstring(256, L'z').c_str()),
                                            eValueChange));
    EXPECT_FALSE(differ.WriteToDatabase(&v, CString(std::wstring(300, L'z').c_str()), eValueChange));
    EXPECT_EQ(db->GetNumberOfRecords(), 0);
    EXPECT_TRUE(differ.WriteToDatabase(&v, L"fits", eValueChange));

    useAudit();
    differ.SetUserInformation(CString(std::wstring(256, L'u').c_str()), L"n", L"c");
    EXPECT_FALSE(differ.AddRecordToDatabase(eAuditTable, &v, L"x", eValueChange));
    EXPECT_EQ(db->GetNumberOfRecords(), 0);
}

TEST_F(Differencer, NoDatabaseOrUnknownTable)
{
    CAuditVal v(kName, L"Name", L"a");
    EXPECT_FALSE(differ.WriteToDatabase(&v, L"b", eValueChange));
    int ids[] = {kName};
    CString names[] = {L"Name"};
    differ.AddEdit(&dialog, 1, ids, names, L"");
    dialog.SetDlgItemText(kName, L"new");
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, L""));

    expectMessage();
    EXPECT_FALSE(differ.AddRecordToDatabase(eNoTable, &v, L"b", eValueChange));
    EXPECT_EQ(messages(), (std::vector<std::string>{"No matching Tables found in database."}));

    // A database that lost its table type.
    useHistory();
    db->closeDatabase();
    expectMessage();
    expectMessage();
    EXPECT_FALSE(differ.WriteToDatabase(&v, L"b", eValueChange));
    EXPECT_EQ(messages().back(), "No matching Tables found in database.");
}

TEST_F(Differencer, WriteListsInStep)
{
    useHistory();
    CObList entries;
    entries.AddTail(new CAuditVal(1, L"A", L"a0"));
    entries.AddTail(new CAuditVal(2, L"B", L"b0"));
    entries.AddTail(new CAuditVal(3, L"C", L"c0"));
    CStringList values;
    values.AddTail(L"a1");
    values.AddTail(L"b1");
    // One value short: the last entry is not written.
    EXPECT_TRUE(differ.WriteToDatabase(&entries, &values, eValueChange));
    EXPECT_TRUE(entries.IsEmpty());
    EXPECT_TRUE(values.IsEmpty());
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "NA", "NA", "A", "a0", "a1"),
                                                  row("Edit", "NA", "NA", "B", "b0", "b1")}));
    entries.AddTail(new CAuditVal(4, L"D", L"d0"));
    EXPECT_FALSE(differ.WriteToDatabase(&entries, nullptr, eValueChange));
    EXPECT_TRUE(entries.IsEmpty());
    EXPECT_FALSE(differ.WriteToDatabase(nullptr, &values, eValueChange));
}

TEST_F(Differencer, TextHelpers)
{
    EXPECT_EQ(narrow(CqelDifferencer::CleanString(L"&File")), "File");
    EXPECT_EQ(narrow(CqelDifferencer::CleanString(L"Save && Exit")), "Save & Exit");
    EXPECT_EQ(narrow(CqelDifferencer::CleanString(L"plain")), "plain");
    EXPECT_EQ(narrow(CqelDifferencer::CleanString(L"")), "");
    EXPECT_EQ(narrow(differ.AddPrefixToString(L"N")), "N");
    differ.Prefix(L"P");
    EXPECT_EQ(narrow(differ.Prefix()), "P");
    EXPECT_EQ(narrow(differ.AddPrefixToString(L"N")), "P : N");
    EXPECT_EQ(narrow(differ.AddPrefixToString(L"")), "");
}

TEST_F(Differencer, RadioQueries)
{
    int ids[] = {kModeA, kModeB, kModeC};
    CString names[] = {L"a", L"b", L"c"};
    EXPECT_EQ(narrow(differ.FindRadioButtonChecked(dialog, ids, 3, names)), "b");
    EXPECT_EQ(narrow(differ.FindRadioButtonChecked(dialog, ids, 3, nullptr)), "Normal");
    EXPECT_EQ(differ.FindRadioButtonIDChecked(dialog, ids, 3), kModeB);
    // Several checked: the last in the array wins.
    dialog.CheckDlgButton(kModeC, BST_CHECKED);
    EXPECT_EQ(narrow(differ.FindRadioButtonChecked(dialog, ids, 3, names)), "c");
    EXPECT_EQ(differ.FindRadioButtonIDChecked(dialog, ids, 3), kModeC);
    dialog.CheckRadioButton(kModeA, kModeC, 0);
    EXPECT_EQ(narrow(differ.FindRadioButtonChecked(dialog, ids, 3, names)), "");
    EXPECT_EQ(differ.FindRadioButtonIDChecked(dialog, ids, 3), 0);
}

TEST_F(Differencer, UserInformation)
{
    CString name, id, computer;
    differ.GetUserInformation(name, id, computer);
    EXPECT_EQ(narrow(name + L"/" + id + L"/" + computer), "Jane Doe/jd/LAB-PC");
    differ.SetUserInformation();
    CString n2, i2;
    differ.GetUserInformation(n2, i2);
    EXPECT_EQ(narrow(n2 + L"/" + i2), "Unknown/Unknown");
    CqelDifferencer fresh;
    fresh.GetUserInformation(name, id, computer);
    EXPECT_TRUE(name.IsEmpty() && id.IsEmpty() && computer.IsEmpty());
    EXPECT_TRUE(fresh.Prefix().IsEmpty());
    EXPECT_EQ(fresh.Database(), nullptr);
}

TEST_F(Differencer, DataIdentifiersOneByOne)
{
    useHistory();
    differ.DataID1(L"x1");
    differ.DataID3(L"x3");
    differ.DataID5(L"x5");
    differ.DataID2(L"x2");
    differ.DataID4(L"x4");
    CAuditVal v(1, L"N", L"a");
    EXPECT_TRUE(differ.WriteToDatabase(&v, L"b", eValueChange));
    auto rows = history();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id1 + rows[0].id2 + rows[0].id3 + rows[0].id4 + rows[0].id5, "x1x2x3x4x5");
}

TEST_F(Differencer, CopiesAreDeep)
{
    useHistory();
    int ids[] = {kName};
    CString names[] = {L"&&Name"};
    differ.AddEdit(&dialog, 1, ids, names, L"");
    differ.Prefix(L"P");
    auto copy = std::make_unique<CqelDifferencer>(differ);
    CqelDifferencer assigned;
    int other[] = {kComment};
    assigned.AddEdit(&dialog, 1, other, names, L"");
    assigned = *copy;

    dialog.SetDlgItemText(kName, L"changed");
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, L""));
    // The copy's entry survives the original's write and names pass the
    // cleaning once more.
    EXPECT_TRUE(copy->WriteChangeToDatabase(dialog, L""));
    copy.reset();
    EXPECT_TRUE(assigned.WriteChangeToDatabase(dialog, L""));
    auto rows = history();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].item, "P : &Name");
    EXPECT_EQ(rows[1].item, "P : Name");
    EXPECT_EQ(rows[2].item, "P : Name");
    EXPECT_EQ(rows[2].userID, "jd");
    EXPECT_EQ(rows[2].id5, "d5");
}

TEST_F(Differencer, AddIgnoresNullAndUnknownKinds)
{
    useHistory();
    differ.Add(nullptr, eEditCtrl);
    CAuditVal v(kName, L"Name", L"old");
    differ.Add(&v, static_cast<eCtrlType>(9));
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, L""));
    differ.Add(&v, eRadioCtrl);
    differ.EmptyLists();
    int first[] = {kName};
    int last[] = {kName};
    EXPECT_FALSE(differ.WriteChangeToDatabase(dialog, 1, first, last));
    // A control the dialog does not have reads as empty text.
    CAuditVal missing(999, L"Gone", L"was");
    differ.Add(&missing, eEditCtrl);
    EXPECT_TRUE(differ.WriteChangeToDatabase(dialog, L""));
    EXPECT_EQ(history(), (std::vector<HistoryRow>{row("Edit", "NA", "NA", "Gone", "was", "")}));
}

}  // namespace
