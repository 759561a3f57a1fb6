// The "Select Bruker Dataset" dialog model, driven directly and through
// the platform's scripted dialog runner.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brukerbrowse.h"
#include "brukerdataio.h"
#include "brukertest.h"
#include "ksdialogrunner.h"

using namespace xmass;
using ks::dialogs::DialogKind;
using ks::dialogs::ScriptedDialogRunner;

namespace {

// root/ds (the standard dataset), root/plain, root/.hidden, root/file.txt.
struct Root {
    Tree ds = StandardDataset("root/ds");
    Tree root{"root"};
    Root()
    {
        root.Folder("plain");
        root.Folder(".hidden");
        root.File("file.txt", "x");
    }
};

TEST(XmassBrowse, InitialFolder)
{
    struct Case {
        std::wstring path;
        std::wstring folder;
    } cases[] = {
        {L"", L""}, {L"/a/b", L"/a"}, {L"/a/b/", L"/a/b"}, {L"name", L"name"}, {L"/a", L""}, {L"C:\\x\\y", L"C:\\x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CBrukerInputDialog(false, c.path).InitialFolder(), c.folder);
}

TEST(XmassBrowse, FolderListShowsFoldersOnly)
{
    const Root r;
    CBrukerInputDialog d(false, r.ds.WRoot());
    d.initialize();
    EXPECT_EQ(d.CurrentFolder(), r.root.WRoot());
    EXPECT_EQ(d.Entries(), (std::vector<std::wstring>{L"ds", L"plain"}));
    EXPECT_EQ(d.EntrySelection(), -1);
    ASSERT_TRUE(d.SelectEntryNamed(L"ds"));
    ASSERT_TRUE(d.Browse());
    EXPECT_EQ(d.CurrentFolder(), r.ds.WRoot());
    EXPECT_EQ(d.Entries(), (std::vector<std::wstring>{L"1", L"2", L"3", L"4.ser", L"7"}));
    EXPECT_FALSE(d.Ready());
    ASSERT_TRUE(d.Up());
    EXPECT_EQ(d.CurrentFolder(), r.root.WRoot());
    EXPECT_FALSE(d.SetFolder(r.root.WPath("file.txt")));
    EXPECT_EQ(d.CurrentFolder(), r.root.WRoot());

    // A start folder that does not exist: the current folder.
    CBrukerInputDialog lost(false, r.root.WPath("missing/x"));
    lost.initialize();
    EXPECT_FALSE(lost.CurrentFolder().empty());
}

TEST(XmassBrowse, SelectingADataset)
{
    const Root r;
    CBrukerInputDialog d(false, r.ds.WRoot());
    d.initialize();
    ASSERT_TRUE(d.SelectEntryNamed(L"ds"));
    // Experiment 3 has no processing and is not listed.
    EXPECT_EQ(d.Experiments(), (std::vector<std::wstring>{L"1:  Sample A  ", L"2:  2024-01-03 10:00:00",
                                                          L"4.ser:  2024-01-04 00:00:00", L"7:  "}));
    EXPECT_TRUE(d.ExperimentListEnabled());
    EXPECT_EQ(d.ExperimentSelection(), 0);
    EXPECT_TRUE(d.Ready());
    EXPECT_TRUE(d.OpenEnabled());
    EXPECT_EQ(d.PathText(), r.ds.WRoot());
    EXPECT_EQ(d.Processings(), (std::vector<std::wstring>{L"1", L"2"}));
    EXPECT_TRUE(d.ProcessingListEnabled());
    EXPECT_EQ(d.Description(), L"1: first");
    d.SelectProcessing(1);
    EXPECT_EQ(d.Description(), L"2: second");
    EXPECT_EQ(d.Procno(), L"2");

    d.SelectExperiment(1);  // one processing, without a title
    EXPECT_EQ(d.Experiment(), L"2");
    EXPECT_EQ(d.Processings(), std::vector<std::wstring>{L"1"});
    EXPECT_FALSE(d.ProcessingListEnabled());
    EXPECT_EQ(d.Procno(), L"1");
    EXPECT_EQ(d.Description(), L"");

    d.SelectExperiment(2);
    EXPECT_EQ(d.Description(), L"series");  // one processing: the title alone
    ASSERT_TRUE(d.accept());
    EXPECT_EQ(d.ResultDataSource(), FormatDataSource(r.ds.WRoot(), L"4.ser", L"1"));

    d.SelectEntry(-1);
    EXPECT_FALSE(d.Ready());
    EXPECT_TRUE(d.Experiments().empty());
    EXPECT_FALSE(d.ExperimentListEnabled());
    EXPECT_FALSE(d.OpenEnabled());
    EXPECT_EQ(d.PathText(), L"");
}

TEST(XmassBrowse, ScanNumberFollowsTheSelectedExperiment)
{
    const Root r;
    CBrukerInputDialog d(true, r.ds.WRoot());
    d.initialize();
    ASSERT_TRUE(d.SelectEntryNamed(L"ds"));
    EXPECT_EQ(d.ScanCount(), 1);
    EXPECT_FALSE(d.ScanEnabled());
    d.SelectExperiment(2);  // the series
    EXPECT_EQ(d.ScanCount(), 3);
    EXPECT_TRUE(d.ScanEnabled());
    EXPECT_EQ(d.ScanMaximum(), 3);
    EXPECT_EQ(d.ScanText(), L"1");
    d.SetScanText(L" 3 ");
    ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scoped(runner);
    ASSERT_TRUE(d.accept());
    EXPECT_EQ(d.ResultScanText(), L"3");
    EXPECT_EQ(d.ResultDataSource(), FormatDataSource(r.ds.WRoot(), L"4.ser", L"1"));
    d.SelectExperiment(0);
    EXPECT_EQ(d.ScanCount(), 1);
    EXPECT_FALSE(d.ScanEnabled());
    EXPECT_EQ(d.ScanText(), L"1");
    EXPECT_TRUE(runner.log().empty());
}

TEST(XmassBrowse, OpenRefusedWithItsMessages)
{
    const Root r;
    ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scoped(runner);
    CBrukerInputDialog d(true, r.ds.WRoot());
    d.initialize();
    struct Step {
        const char* label;
        std::function<void()> act;
        std::wstring text;
        UINT icon;
    } steps[] = {
        {"nothing selected", [&] { d.SelectEntry(-1); }, L"Nothing has been selected", MB_ICONSTOP},
        {"plain folder", [&] { d.SelectEntryNamed(L"plain"); },
         L"<" + r.root.WPath("plain") + L"> is not a valid Bruker dataset", MB_ICONSTOP},
        {"scan above the count",
         [&] {
             d.SelectEntryNamed(L"ds");
             d.SelectExperiment(2);
             d.SetScanText(L"4");
         },
         L"Please enter an integer between 1 and 3.", MB_ICONEXCLAMATION},
        {"scan that is no number", [&] { d.SetScanText(L"x"); }, L"Please enter an integer.", MB_ICONEXCLAMATION},
    };
    for (const Step& s : steps) {
        runner.clear();
        runner.answerMessage(IDOK);
        s.act();
        EXPECT_FALSE(d.accept()) << s.label;
        const auto log = runner.log();
        ASSERT_EQ(log.size(), 1u) << s.label;
        EXPECT_EQ(log[0].kind, DialogKind::MessageBox);
        EXPECT_EQ(log[0].text, s.text) << s.label;
        EXPECT_EQ(log[0].title, L"Select Bruker Dataset");
        EXPECT_EQ(log[0].flags & MB_ICONMASK, s.icon) << s.label;
    }
    EXPECT_TRUE(runner.errors().empty());
}

TEST(XmassBrowse, BrowseThroughTheDialogService)
{
    const Root r;
    ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scoped(runner);
    // "Open" first with a plain folder (refused, the dialog stays), then
    // with the dataset.
    runner.answerModalAs<CBrukerInputDialog>([](CBrukerInputDialog& d) { d.SelectEntryNamed(L"plain"); });
    runner.answerMessage(IDOK);
    runner.answerModalAs<CBrukerInputDialog>([](CBrukerInputDialog& d) {
        d.SelectEntryNamed(L"ds");
        d.SelectProcessing(1);
    });
    CBrukerBrowse browse;
    std::wstring source = L"unchanged";
    ASSERT_TRUE(browse.BrowseDataset(r.ds.WRoot(), source));
    EXPECT_EQ(source, FormatDataSource(r.ds.WRoot(), L"1", L"2"));
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);  // one dialog, answered twice, and the refusal's message
    EXPECT_EQ(log[0].kind, DialogKind::Modal);
    EXPECT_EQ(log[0].title, L"Select Bruker Dataset");
    EXPECT_EQ(log[0].answer, IDOK);
    EXPECT_EQ(log[1].kind, DialogKind::MessageBox);

    runner.clear();
    runner.answerModalAs<CBrukerInputDialog>(
        [](CBrukerInputDialog& d) {
            EXPECT_TRUE(d.SpectrumMode());
            d.SelectEntryNamed(L"ds");
        },
        IDCANCEL);
    std::wstring scan = L"unchanged";
    source = L"unchanged";
    EXPECT_FALSE(browse.BrowseSpectrum(r.ds.WRoot(), source, scan));
    EXPECT_EQ(source, L"unchanged");
    EXPECT_EQ(scan, L"unchanged");
    EXPECT_TRUE(runner.errors().empty());
}

}  // namespace
