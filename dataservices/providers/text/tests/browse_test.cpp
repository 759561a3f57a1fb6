// The provider's file dialogs, answered by the scripted dialog runner.
#include <gtest/gtest.h>

#include <string>

#include "ksdialogrunner.h"
#include "textbrowse.h"
#include "textfixtures.h"

using kstext::fixture;
using kstext::wide;
using namespace ks::dialogs;

namespace {

const std::wstring kFilter = L"ASCII Spectrum (*.txt)|*.txt|All Files (*.*)|*.*||";

TEST(TextBrowse, SourceDialogAndItsAnswer)
{
    const std::wstring file = fixture("spec.txt", "100 5\n");
    const std::wstring folder = wide(ks::test::tempDir());
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerFile(file);
    CTextBrowse browse;
    std::wstring path;
    ASSERT_TRUE(browse.BrowseSource(folder, path));
    EXPECT_EQ(path, file);
    EXPECT_EQ(browse.GetFolder(), folder + L"/");
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, DialogKind::FileOpen);
    EXPECT_EQ(log[0].title, L"Source Spectrum");
    EXPECT_EQ(log[0].filter, kFilter);
    EXPECT_EQ(log[0].defaultExtension, L"txt");
    EXPECT_EQ(log[0].initialName, folder + L"/*.txt");
    EXPECT_EQ(log[0].flags, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES);
    EXPECT_TRUE(runner.errors().empty());
}

TEST(TextBrowse, DestinationDialogAndItsAnswer)
{
    const std::wstring folder = wide(ks::test::tempDir());
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerFile(folder + L"/out");
    CTextBrowse browse;
    std::wstring path;
    ASSERT_TRUE(browse.BrowseDestination(folder + L"/", path));
    EXPECT_EQ(path, folder + L"/out.txt");  // the default extension
    EXPECT_EQ(browse.GetFolder(), L"");     // only the source dialog remembers
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, DialogKind::FileSave);
    EXPECT_EQ(log[0].title, L"Destination Spectrum");
    EXPECT_EQ(log[0].filter, kFilter);
    EXPECT_EQ(log[0].defaultExtension, L"txt");
    EXPECT_EQ(log[0].initialName, folder);  // without its trailing separator
    EXPECT_EQ(log[0].flags, OFN_OVERWRITEPROMPT | OFN_LONGNAMES);
}

// The start folder is offered when it or its parent exists.
TEST(TextBrowse, StartFolderRules)
{
    const std::wstring temp = wide(ks::test::tempDir());
    struct Case {
        std::wstring start;
        std::wstring sourceName;
        std::wstring destinationName;
    };
    const Case cases[] = {
        {L"", L"", L""},
        {temp + L"/", temp + L"/*.txt", temp},
        {temp + L"/new", temp + L"/new/*.txt", temp + L"/new"},  // parent exists
        {temp + L"/no/such", L"", L""},
    };
    for (const auto& c : cases) {
        ScriptedDialogRunner runner;
        ScopedDialogRunner scope(runner);
        runner.answerCancel();
        runner.answerCancel();
        CTextBrowse browse;
        std::wstring path;
        EXPECT_FALSE(browse.BrowseSource(c.start, path));
        EXPECT_FALSE(browse.BrowseDestination(c.start, path));
        const auto log = runner.log();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0].initialName, c.sourceName);
        EXPECT_EQ(log[1].initialName, c.destinationName);
    }
}

TEST(TextBrowse, CancelKeepsEverything)
{
    const std::wstring file = fixture("spec.txt", "100 5\n");
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerFile(file);
    runner.answerCancel();
    runner.answerCancel();
    CTextBrowse browse;
    std::wstring path;
    ASSERT_TRUE(browse.BrowseSource(L"", path));
    const std::wstring folder = browse.GetFolder();
    std::wstring other = L"unchanged";
    EXPECT_FALSE(browse.BrowseSource(L"", other));
    EXPECT_FALSE(browse.BrowseDestination(L"", other));
    EXPECT_EQ(other, L"unchanged");
    EXPECT_EQ(browse.GetFolder(), folder);
}

// A chosen path that does not fit the dialogs' 512-character buffer.
TEST(TextBrowse, OverlongPathIsNotTaken)
{
    const std::wstring folder = wide(ks::test::tempDir());
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerFile(folder + L"/" + std::wstring(600, L'a') + L".txt");
    CTextBrowse browse;
    std::wstring path;
    EXPECT_FALSE(browse.BrowseDestination(folder, path));
    EXPECT_TRUE(path.empty());
}

}  // namespace
