// UTIL32's data browser: BroFileOpen presets the choice from the record,
// runs its model through the dialog service (answered here by the scripted
// runner, and once by hand on the real view) and writes the choice back
// within the fields of the 788-byte record.
#include <gtest/gtest.h>

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <cstring>
#include <filesystem>
#include <string>

#include "ksdialogrunner.h"
#include "kstest.h"
#include "kstestqt.h"
#include "masslynxfixture.h"
#include "util32.h"

using namespace mlfixture;
using ks::dialogs::DialogKind;
using ks::dialogs::ScriptedDialogRunner;

namespace {

const char kTitle[] = "MassLynx Data Browser";

class Util32Browser : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = ks::test::tempDir() + "/data";
        WriteRaw(m_folder + "/Beta.raw", StandardRun(), StandardHeader());
        WriteRaw(m_folder + "/alpha.RAW", StandardRun(), StandardHeader());
        std::filesystem::create_directories(m_folder + "/notes");       // no raw directory
        std::filesystem::create_directories(m_folder + "/.hidden.raw");  // hidden
        ks::test::writeFile(m_folder + "/file.raw", "x");                // no folder
    }

    // A zero-filled record preset with a folder and a name.
    BroFileRecord Record(const std::string& folder, const std::string& name)
    {
        BroFileRecord r;
        std::memset(&r, 0, sizeof r);
        std::memcpy(r.folder, folder.data(), std::min(folder.size(), sizeof r.folder));
        std::memcpy(r.name, name.data(), std::min(name.size(), sizeof r.name));
        return r;
    }

    std::string m_folder;
    ScriptedDialogRunner m_runner;
    ks::dialogs::ScopedDialogRunner m_scope{m_runner};
};

}  // namespace

TEST_F(Util32Browser, DatasetBrowseChoosesADirectoryAndAFunction)
{
    BroFileRecord record = Record(m_folder + "/", "beta");
    record.scan = 77;  // overwritten: no scan for a dataset
    m_runner.answerModalAs<CMassLynxDataBrowser>([](CMassLynxDataBrowser& b) {
        EXPECT_TRUE(b.DatasetOnly());
        EXPECT_EQ(b.RawDirectories(), (std::vector<std::string>{"alpha.RAW", "Beta.raw"}));
        EXPECT_EQ(b.RawSelection(), 1);  // the preset name, without regard to case
        EXPECT_EQ(b.Functions().size(), 3u);
        EXPECT_EQ(b.Functions()[2], L"Function 3: Diode Array, 2 scans");
        EXPECT_EQ(b.Function(), 1);
        b.SelectFunction(2);
        b.SetScan(3);  // ignored when browsing a dataset
    });
    DWORD flags = kBroDatasetOnly;
    ASSERT_EQ(BroFileOpen(nullptr, &record, &flags, kTitle), 1);
    EXPECT_EQ(std::string(record.folder), m_folder + "/");
    EXPECT_EQ(std::string(record.name), "Beta");
    EXPECT_EQ(std::string(record.extension), "raw");
    EXPECT_EQ(record.function, 2);
    EXPECT_EQ(record.scan, 0);
    EXPECT_EQ(flags, kBroDatasetOnly);
    const auto log = m_runner.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, DialogKind::Modal);
    EXPECT_EQ(log[0].title, L"MassLynx Data Browser");
    EXPECT_TRUE(m_runner.errors().empty());
}

TEST_F(Util32Browser, SpectrumBrowseChoosesAScanAndKeepsTheExtensionsCase)
{
    BroFileRecord record = Record(m_folder, "");
    m_runner.answerModalAs<CMassLynxDataBrowser>([](CMassLynxDataBrowser& b) {
        EXPECT_FALSE(b.DatasetOnly());
        EXPECT_EQ(b.RawSelection(), -1);
        ASSERT_TRUE(b.SelectRawNamed("ALPHA.raw"));
        b.SelectFunction(2);
        EXPECT_EQ(b.ScanCount(), 3);
        b.SetScan(3);
    });
    DWORD flags = 0;
    ASSERT_EQ(BroFileOpen(nullptr, &record, &flags, kTitle), 1);
    EXPECT_EQ(std::string(record.name), "alpha");
    EXPECT_EQ(std::string(record.extension), "RAW");
    EXPECT_EQ(record.function, 2);
    EXPECT_EQ(record.scan, 3);
}

TEST_F(Util32Browser, CancelEmptiesTheNameAndNothingElse)
{
    BroFileRecord record = Record(m_folder + "/", "Beta");
    record.function = 5;
    m_runner.answerModal([](ks::dialogs::DialogModel&) {}, IDCANCEL);
    DWORD flags = 0;
    EXPECT_EQ(BroFileOpen(nullptr, &record, &flags, kTitle), 0);
    EXPECT_EQ(record.name[0], '\0');
    EXPECT_EQ(std::string(record.folder), m_folder + "/");
    EXPECT_EQ(record.function, 5);
    // Null record or flags: nothing asked.
    EXPECT_EQ(BroFileOpen(nullptr, nullptr, &flags, kTitle), 0);
    EXPECT_EQ(BroFileOpen(nullptr, &record, nullptr, kTitle), 0);
    EXPECT_EQ(m_runner.log().size(), 1u);
}

TEST_F(Util32Browser, OKIsRefusedUntilTheChoiceIsComplete)
{
    BroFileRecord record = Record(m_folder, "");
    ks::test::writeFile(m_folder + "/alpha.RAW/_manifest.txt", "damaged");
    // No raw directory; then one whose manifest cannot be read; then a scan
    // the function does not have; then a good choice.
    m_runner.answerModal([](ks::dialogs::DialogModel&) {});
    m_runner.answerMessage(IDOK);
    m_runner.answerModalAs<CMassLynxDataBrowser>([](CMassLynxDataBrowser& b) {
        b.SelectRaw(0);
        EXPECT_TRUE(b.Functions().empty());
    });
    m_runner.answerMessage(IDOK);
    m_runner.answerModalAs<CMassLynxDataBrowser>([](CMassLynxDataBrowser& b) {
        b.SelectRaw(1);
        b.SelectFunction(3);
        b.SetScan(3);
    });
    m_runner.answerMessage(IDOK);
    m_runner.answerModalAs<CMassLynxDataBrowser>([](CMassLynxDataBrowser& b) { b.SetScan(2); });
    DWORD flags = 0;
    ASSERT_EQ(BroFileOpen(nullptr, &record, &flags, kTitle), 1);
    EXPECT_EQ(record.function, 3);
    EXPECT_EQ(record.scan, 2);
    std::vector<std::wstring> texts;
    for (const auto& entry : m_runner.log())
        if (entry.kind == DialogKind::MessageBox)
            texts.push_back(entry.text);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Select a MassLynx raw directory.",
                                                L"alpha.RAW is no MassLynx raw directory that can be read.",
                                                L"Function 3 has no scan 3."}));
    EXPECT_TRUE(m_runner.errors().empty());
}

TEST_F(Util32Browser, RecordFieldsAreReadWithinTheirWidths)
{
    // A folder field without its terminator runs into the name field; the
    // browser reads 260 bytes of it, which name no folder, and starts in
    // the current folder.
    BroFileRecord record;
    std::memset(&record, 'a', sizeof record);
    record.function = 0;
    record.scan = 0;
    std::string seen;
    m_runner.answerModalAs<CMassLynxDataBrowser>([&](CMassLynxDataBrowser& b) { seen = b.Folder(); }, IDCANCEL);
    DWORD flags = 0;
    EXPECT_EQ(BroFileOpen(nullptr, &record, &flags, nullptr), 0);
    EXPECT_EQ(seen, std::filesystem::current_path().string());
    EXPECT_EQ(m_runner.log()[0].title, L"");
}

TEST_F(Util32Browser, ChoiceThatDoesNotFitTheRecordIsNoChoice)
{
    std::string deep = m_folder;
    while (deep.size() < 300)
        deep += "/a-rather-long-folder-name";
    WriteRaw(deep + "/x.raw", StandardRun(), StandardHeader());
    BroFileRecord record = Record("", "");
    m_runner.answerModalAs<CMassLynxDataBrowser>([&](CMassLynxDataBrowser& b) {
        ASSERT_TRUE(b.SetFolder(deep));
        ASSERT_TRUE(b.SelectRawNamed("x"));
    });
    DWORD flags = kBroDatasetOnly;
    EXPECT_EQ(BroFileOpen(nullptr, &record, &flags, kTitle), 0);
    EXPECT_EQ(record.name[0], '\0');
    EXPECT_EQ(record.folder[0], '\0');
}

TEST(Util32BrowserView, TheRealDialogChoosesAScan)
{
    const std::string folder = ks::test::tempDir() + "/view";
    WriteRaw(folder + "/run.raw", StandardRun(), StandardHeader());
    ks::test::whenModal([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("MassLynx Data Browser"));
        auto* raws = d->findChild<QListWidget*>(QStringLiteral("rawList"));
        auto* functions = d->findChild<QListWidget*>(QStringLiteral("functionList"));
        auto* scan = d->findChild<QSpinBox*>(QStringLiteral("scanSpin"));
        auto* ok = d->findChild<QPushButton*>(QStringLiteral("okButton"));
        if (!raws || !functions || !scan || !ok) {
            ADD_FAILURE() << "the browser's widgets are missing";
            d->reject();
            return;
        }
        EXPECT_EQ(raws->currentRow(), 0);  // the preset
        EXPECT_EQ(functions->count(), 3);
        functions->setCurrentRow(1);
        EXPECT_EQ(scan->maximum(), 3);
        scan->setValue(2);
        ok->click();
    });
    BroFileRecord record;
    std::memset(&record, 0, sizeof record);
    std::strcpy(record.folder, (folder + "/").c_str());
    std::strcpy(record.name, "run");
    DWORD flags = 0;
    ASSERT_EQ(BroFileOpen(nullptr, &record, &flags, kTitle), 1);
    EXPECT_EQ(record.function, 2);
    EXPECT_EQ(record.scan, 2);
}
