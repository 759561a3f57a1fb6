// The dialog service without a QApplication: filters, names, message-box
// answers, the scripted runner and the headless answers.
#include "ksdialogrunner.h"
#include "ksdialogs.h"
#include "kstest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace ks::dialogs;
namespace fs = std::filesystem;

namespace {

const std::wstring kTextFilter = L"ASCII Spectrum (*.txt)|*.txt|All Files (*.*)|*.*||";

std::wstring wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

// A small model with the behaviours a browse dialog has: it is filled
// when it opens, refuses OK until something is chosen (saying so in a
// message box) and learns how it ended.
class PickModel : public DialogModel {
public:
    std::wstring title() const override { return L"Select Dataset"; }
    void initialize() override
    {
        ++initialized;
        choices = {L"alpha", L"beta", L"gamma"};
    }
    bool accept() override
    {
        ++accepts;
        if (chosen < 0) {
            messageBox(L"Nothing has been selected", L"Select Dataset", MB_OK | MB_ICONSTOP);
            return false;
        }
        return true;
    }
    void finish(INT r) override { finished = r; }

    std::vector<std::wstring> choices;
    int chosen = -1;
    int initialized = 0;
    int accepts = 0;
    INT finished = 0;
};

class OtherModel : public DialogModel {
public:
    std::wstring title() const override { return L"Other"; }
};

}  // namespace

// ---------------------------------------------------------------------------
// Filters

TEST(FileFilter, ParsesPairsUpToTheEmptyField)
{
    struct Case {
        std::wstring filter;
        std::vector<std::wstring> descriptions;
        std::vector<std::vector<std::wstring>> patterns;
    };
    const Case cases[] = {
        {kTextFilter, {L"ASCII Spectrum (*.txt)", L"All Files (*.*)"}, {{L"*.txt"}, {L"*.*"}}},
        {L"Tavrion Files (*.raw)|*.raw|All Files (*.*)|*.*||", {L"Tavrion Files (*.raw)", L"All Files (*.*)"},
         {{L"*.raw"}, {L"*.*"}}},
        // Several patterns, blanks around them; no terminator.
        {L"Data|*.dat; *.idx ;*.inf", {L"Data"}, {{L"*.dat", L"*.idx", L"*.inf"}}},
        // NUL separators as in a raw filter buffer.
        {std::wstring(L"A\0*.a\0B\0*.b\0\0", 14), {L"A", L"B"}, {{L"*.a"}, {L"*.b"}}},
        // Everything after the empty field is ignored.
        {L"A|*.a||B|*.b||", {L"A"}, {{L"*.a"}}},
        // A description without patterns at the end is dropped.
        {L"A|*.a|B", {L"A"}, {{L"*.a"}}},
        {L"", {}, {}},
        {L"||", {}, {}},
    };
    for (const auto& c : cases) {
        const auto parsed = parseFileFilter(c.filter);
        ASSERT_EQ(parsed.size(), c.descriptions.size()) << std::string(c.filter.begin(), c.filter.end());
        for (size_t i = 0; i < parsed.size(); ++i) {
            EXPECT_EQ(parsed[i].description, c.descriptions[i]);
            EXPECT_EQ(parsed[i].patterns, c.patterns[i]);
        }
    }
}

TEST(FileFilter, QtNameFiltersCarryTheRealPatterns)
{
    EXPECT_EQ(qtNameFilters(kTextFilter),
              (std::vector<std::wstring>{L"ASCII Spectrum (*.txt)", L"All Files (*)"}));
    // The shown pattern list is replaced by what the filter really selects.
    EXPECT_EQ(qtNameFilters(L"Waters MassLynx (*.dat *.idx *.inf)|*.dat;*.idx|"),
              (std::vector<std::wstring>{L"Waters MassLynx (*.dat *.idx)"}));
    // Without a shown pattern list one is added.
    EXPECT_EQ(qtNameFilters(L"Spectra|*.txt;*.csv||"), (std::vector<std::wstring>{L"Spectra (*.txt *.csv)"}));
    EXPECT_EQ(qtNameFilters(L"|*.x||"), std::vector<std::wstring>{});  // empty first field ends the list
    EXPECT_TRUE(qtNameFilters(L"").empty());
}

// ---------------------------------------------------------------------------
// Names and folders

TEST(FileNames, DefaultExtensionOnlyForNamesWithoutOne)
{
    struct Case {
        std::wstring path, ext, expected;
    };
    const Case cases[] = {
        {L"/d/out", L"txt", L"/d/out.txt"},
        {L"/d/out.csv", L"txt", L"/d/out.csv"},
        {L"/d.x/out", L"txt", L"/d.x/out.txt"},      // a dot in the folder does not count
        {L"C:\\d.x\\out", L"raw", L"C:\\d.x\\out.raw"},  // neither with backslashes
        {L"/d/out", L".txt", L"/d/out.txt"},
        {L"/d/out", L"", L"/d/out"},
        {L"/d/", L"txt", L"/d/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withDefaultExtension(c.path, c.ext), c.expected);
}

TEST(FileNames, InitialLocation)
{
    const std::string dir = ks::test::tempDir() + "/spectra";
    fs::create_directories(dir);
    const std::wstring wdir = wide(dir);

    struct Case {
        std::wstring folder, name, expectFolder, expectName;
    };
    const Case cases[] = {
        {L"/data", L"", L"/data", L""},
        {L"/data", L"run.txt", L"/data", L"run.txt"},
        // A folder in the name wins, in either separator style.
        {L"/other", L"/data/run.txt", L"/data", L"run.txt"},
        {L"", L"\\data\\run.txt", L"/data", L"run.txt"},
        {L"", L"/run.txt", L"/", L"run.txt"},
        // A pattern is no name.
        {L"", wdir + L"\\*.txt", wdir, L""},
        {L"", wdir + L"/", wdir, L""},
        // A name that is an existing folder (the save dialog is given the
        // folder without its trailing separator) is where the dialog starts.
        {L"", wdir, wdir, L""},
        {wide(ks::test::tempDir()), L"spectra", wdir, L""},
        // A name that is not a folder stays a name.
        {L"", wdir + L"x", wide(ks::test::tempDir()), L"spectrax"},
    };
    for (const auto& c : cases) {
        FileDialogRequest r;
        r.initialFolder = c.folder;
        r.initialName = c.name;
        const InitialLocation loc = resolveInitialLocation(r);
        EXPECT_EQ(loc.folder, c.expectFolder) << std::string(c.name.begin(), c.name.end());
        EXPECT_EQ(loc.name, c.expectName) << std::string(c.name.begin(), c.name.end());
    }
}

TEST(FileNames, ResultFolder)
{
    FileDialogResult r;
    EXPECT_EQ(r.path(), L"");
    EXPECT_EQ(r.folder(), L"");
    r.paths = {L"/data/a/run.txt", L"/data/a/b.txt"};
    EXPECT_EQ(r.path(), L"/data/a/run.txt");
    EXPECT_EQ(r.folder(), L"/data/a");
    r.paths = {L"/run.txt"};
    EXPECT_EQ(r.folder(), L"/");
}

// ---------------------------------------------------------------------------
// Message-box answers

TEST(MessageBoxAnswers, CancelAndValidAnswersPerButtonSet)
{
    struct Case {
        UINT flags;
        INT cancel;
        std::vector<INT> valid;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONSTOP, IDOK, {IDOK}},
        {MB_OKCANCEL, IDCANCEL, {IDOK, IDCANCEL}},
        {MB_ABORTRETRYIGNORE, IDABORT, {IDABORT, IDRETRY, IDIGNORE}},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL, {IDYES, IDNO, IDCANCEL}},
        {MB_YESNO | MB_ICONQUESTION, IDNO, {IDYES, IDNO}},
        {MB_RETRYCANCEL, IDCANCEL, {IDRETRY, IDCANCEL}},
        {MB_CANCELTRYCONTINUE, IDCANCEL, {IDCANCEL, IDTRYAGAIN, IDCONTINUE}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cancelAnswer(c.flags), c.cancel) << c.flags;
        for (INT id = 0; id <= 12; ++id) {
            const bool expected = std::find(c.valid.begin(), c.valid.end(), id) != c.valid.end();
            EXPECT_EQ(isValidAnswer(c.flags, id), expected) << "flags " << c.flags << " answer " << id;
        }
    }
}

// ---------------------------------------------------------------------------
// Scripted runner

TEST(ScriptedRunner, AnswersFileOpenAndLogsTheQuestion)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerFile(L"/data/spectra/run1", 2);

    FileDialogRequest r;
    r.title = L"Source Spectrum";
    r.filter = kTextFilter;
    r.defaultExtension = L"txt";
    r.initialName = L"/data/spectra/*.txt";
    r.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES;
    const FileDialogResult res = fileDialog(r);

    EXPECT_TRUE(res.accepted);
    // The default extension is added as the dialog adds it to a typed name.
    EXPECT_EQ(res.paths, std::vector<std::wstring>{L"/data/spectra/run1.txt"});
    EXPECT_EQ(res.filterIndex, 2u);
    EXPECT_EQ(res.folder(), L"/data/spectra");

    const auto log = runner.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, DialogKind::FileOpen);
    EXPECT_EQ(log[0].title, L"Source Spectrum");
    EXPECT_EQ(log[0].filter, kTextFilter);
    EXPECT_EQ(log[0].defaultExtension, L"txt");
    EXPECT_EQ(log[0].initialName, L"/data/spectra/*.txt");
    EXPECT_EQ(log[0].filterIndex, 1u);
    EXPECT_EQ(log[0].flags, r.flags);
    EXPECT_EQ(log[0].answer, IDOK);
    EXPECT_EQ(log[0].paths, res.paths);
    EXPECT_EQ(log[0].resultFilterIndex, 2u);
    EXPECT_TRUE(runner.errors().empty());
    EXPECT_EQ(runner.pending(), 0u);
}

TEST(ScriptedRunner, AnswersFileSaveAndCancel)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerFile(L"/out/spectrum.csv");
    runner.answerCancel();

    FileDialogRequest r;
    r.save = true;
    r.title = L"Destination Spectrum";
    r.filter = kTextFilter;
    r.defaultExtension = L"txt";
    r.initialName = L"/out";
    r.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    FileDialogResult res = fileDialog(r);
    EXPECT_TRUE(res.accepted);
    EXPECT_EQ(res.path(), L"/out/spectrum.csv");  // has an extension: kept
    EXPECT_EQ(res.filterIndex, 1u);                // the requested one is kept

    r.filterIndex = 2;
    res = fileDialog(r);
    EXPECT_FALSE(res.accepted);
    EXPECT_TRUE(res.paths.empty());
    EXPECT_EQ(res.filterIndex, 2u);

    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, DialogKind::FileSave);
    EXPECT_EQ(log[0].title, L"Destination Spectrum");
    EXPECT_EQ(log[0].initialName, L"/out");
    EXPECT_EQ(log[0].flags, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    EXPECT_EQ(log[1].answer, IDCANCEL);
    EXPECT_TRUE(runner.errors().empty());
}

TEST(ScriptedRunner, FileDialogWithoutFilterHasIndexZero)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerFile(L"/data/run.ms");
    FileDialogRequest r;
    r.initialFolder = L"/data";
    r.flags = OFN_HIDEREADONLY;
    const FileDialogResult res = fileDialog(r);
    EXPECT_TRUE(res.accepted);
    EXPECT_EQ(res.path(), L"/data/run.ms");
    EXPECT_EQ(res.filterIndex, 0u);
    EXPECT_EQ(runner.log()[0].initialFolder, L"/data");
}

TEST(ScriptedRunner, MultiSelectOnlyWhenAsked)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerFiles({L"/d/a.txt", L"/d/b.txt"});
    runner.answerFiles({L"/d/a.txt", L"/d/b.txt"});

    FileDialogRequest r;
    r.filter = kTextFilter;
    r.flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
    FileDialogResult res = fileDialog(r);
    EXPECT_TRUE(res.accepted);
    EXPECT_EQ(res.paths.size(), 2u);

    testing::internal::CaptureStderr();
    r.flags = OFN_FILEMUSTEXIST;
    res = fileDialog(r);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(res.accepted);
    EXPECT_EQ(runner.errors().size(), 1u);
    EXPECT_NE(err.find("several files"), std::string::npos) << err;
}

TEST(ScriptedRunner, FilterIndexBeyondTheFilterIsAScriptFault)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerFile(L"/d/a.txt", 3);
    FileDialogRequest r;
    r.filter = kTextFilter;
    testing::internal::CaptureStderr();
    const FileDialogResult res = fileDialog(r);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(res.accepted);
    ASSERT_EQ(runner.errors().size(), 1u);
    EXPECT_NE(runner.errors()[0].find("filter index 3"), std::string::npos);
}

TEST(ScriptedRunner, AnswersMessageBoxes)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerMessage(IDNO);
    runner.answerMessage(IDOK);

    EXPECT_EQ(messageBox(L"Replace the file?", L"Save", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(messageBox(L"Database already Exists and Is Open."), IDOK);

    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, DialogKind::MessageBox);
    EXPECT_EQ(log[0].title, L"Save");
    EXPECT_EQ(log[0].text, L"Replace the file?");
    EXPECT_EQ(log[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(log[0].answer, IDNO);
    EXPECT_EQ(log[1].text, L"Database already Exists and Is Open.");
    EXPECT_EQ(log[1].title, L"");
    EXPECT_EQ(log[1].flags, MB_OK);
    EXPECT_TRUE(runner.errors().empty());
}

TEST(ScriptedRunner, ImpossibleButtonIsAScriptFault)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerMessage(IDYES);  // an OK/Cancel box has no Yes
    testing::internal::CaptureStderr();
    EXPECT_EQ(messageBox(L"Continue?", L"", MB_OKCANCEL), IDCANCEL);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(runner.errors().size(), 1u);
    EXPECT_EQ(runner.log()[0].answer, IDCANCEL);
}

TEST(ScriptedRunner, ModelDialogSetByTheScript)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerModalAs<PickModel>([](PickModel& m) {
        ASSERT_EQ(m.choices.size(), 3u);  // the model was filled before the answer
        m.chosen = 1;
    });

    PickModel model;
    EXPECT_EQ(runModal(model), IDOK);
    EXPECT_EQ(model.chosen, 1);
    EXPECT_EQ(model.initialized, 1);
    EXPECT_EQ(model.accepts, 1);
    EXPECT_EQ(model.finished, IDOK);

    const auto log = runner.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, DialogKind::Modal);
    EXPECT_EQ(log[0].title, L"Select Dataset");
    EXPECT_EQ(log[0].answer, IDOK);
}

TEST(ScriptedRunner, RefusedOkKeepsTheDialogOpen)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerModal([](DialogModel&) {});  // OK with nothing chosen
    runner.answerMessage(IDOK);                // the model's complaint
    runner.answerModalAs<PickModel>([](PickModel& m) { m.chosen = 2; });

    PickModel model;
    EXPECT_EQ(runModal(model), IDOK);
    EXPECT_EQ(model.accepts, 2);
    EXPECT_EQ(model.chosen, 2);
    EXPECT_EQ(model.initialized, 1);
    EXPECT_EQ(model.finished, IDOK);

    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, DialogKind::Modal);  // opened first, answered last
    EXPECT_EQ(log[0].answer, IDOK);
    EXPECT_EQ(log[1].kind, DialogKind::MessageBox);
    EXPECT_EQ(log[1].text, L"Nothing has been selected");
    EXPECT_EQ(log[1].flags, MB_OK | MB_ICONSTOP);
    EXPECT_TRUE(runner.errors().empty());
}

TEST(ScriptedRunner, ModelDialogCancelled)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerModalAs<PickModel>([](PickModel& m) { m.chosen = 0; }, IDCANCEL);
    runner.answerCancel();

    PickModel model;
    EXPECT_EQ(runModal(model), IDCANCEL);
    EXPECT_EQ(model.accepts, 0);  // OK was never pressed
    EXPECT_EQ(model.finished, IDCANCEL);
    PickModel second;
    EXPECT_EQ(runModal(second), IDCANCEL);
    EXPECT_EQ(second.finished, IDCANCEL);
    EXPECT_TRUE(runner.errors().empty());
}

TEST(ScriptedRunner, ScriptFaultsAreCancelledAndReported)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerModalAs<PickModel>([](PickModel& m) { m.chosen = 0; });

    testing::internal::CaptureStderr();
    // Wrong kind: the modal answer stays queued for the dialog after it.
    EXPECT_EQ(messageBox(L"Proceed?", L"Q", MB_YESNO), IDNO);
    EXPECT_EQ(runner.pending(), 1u);
    // Wrong model class.
    OtherModel other;
    EXPECT_EQ(runModal(other), IDCANCEL);
    // Nothing left.
    FileDialogRequest r;
    r.title = L"Open Corvane Pardinel Tavrion File";
    EXPECT_FALSE(fileDialog(r).accepted);
    const std::string err = testing::internal::GetCapturedStderr();

    const auto errors = runner.errors();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_NE(errors[0].find("not a message-box answer"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("another dialog class"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("no scripted answer left"), std::string::npos) << errors[2];
    EXPECT_NE(err.find("Open Corvane Pardinel Tavrion File"), std::string::npos) << err;
}

TEST(ScriptedRunner, ScopedInstallRestoresThePreviousRunner)
{
    ScriptedDialogRunner outer;
    ScriptedDialogRunner inner;
    ScopedDialogRunner a(outer);
    {
        ScopedDialogRunner b(inner);
        EXPECT_EQ(dialogRunner(), &inner);
        messageBox(L"x");
    }
    EXPECT_EQ(dialogRunner(), &outer);
    EXPECT_EQ(inner.log().size(), 1u);
    EXPECT_EQ(outer.log().size(), 0u);
}

TEST(ScriptedRunner, DestroyedRunnerUninstallsItself)
{
    {
        ScriptedDialogRunner runner;
        setDialogRunner(&runner);
    }
    EXPECT_EQ(dialogRunner(), nullptr);
}

// ---------------------------------------------------------------------------
// Neither runner nor QApplication

TEST(Headless, QuestionsAreCancelledAndWrittenToStandardError)
{
    ASSERT_EQ(dialogRunner(), nullptr);

    testing::internal::CaptureStderr();
    FileDialogRequest r;
    r.title = L"Source Spectrum";
    r.filter = kTextFilter;
    r.filterIndex = 2;
    r.initialName = L"/data/*.txt";
    const FileDialogResult file = fileDialog(r);
    const std::string fileErr = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(file.accepted);
    EXPECT_TRUE(file.paths.empty());
    EXPECT_EQ(file.filterIndex, 2u);
    EXPECT_NE(fileErr.find("file-open dialog \"Source Spectrum\""), std::string::npos) << fileErr;
    EXPECT_NE(fileErr.find("ASCII Spectrum (*.txt)|*.txt"), std::string::npos) << fileErr;
    EXPECT_NE(fileErr.find("/data/*.txt"), std::string::npos) << fileErr;
    EXPECT_NE(fileErr.find("cancelled"), std::string::npos) << fileErr;

    struct Case {
        UINT flags;
        INT answer;
    };
    for (const Case c : {Case{MB_OK, IDOK}, Case{MB_OKCANCEL, IDCANCEL}, Case{MB_YESNO, IDNO},
                         Case{MB_YESNOCANCEL, IDCANCEL}, Case{MB_ABORTRETRYIGNORE, IDABORT}}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(messageBox(L"Could not get the TableDef name.", L"Audit", c.flags), c.answer);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("message box \"Audit\": \"Could not get the TableDef name.\""), std::string::npos)
            << err;
    }

    PickModel model;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runModal(model), IDCANCEL);
    const std::string modalErr = testing::internal::GetCapturedStderr();
    EXPECT_NE(modalErr.find("dialog \"Select Dataset\""), std::string::npos) << modalErr;
    // The dialog never opened.
    EXPECT_EQ(model.initialized, 0);
    EXPECT_EQ(model.finished, 0);
}

TEST(Headless, NonAsciiTextReachesStandardErrorAsUtf8)
{
    testing::internal::CaptureStderr();
    messageBox(L"Fl\u00e4che \u00b5m", L"T");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Fl\xc3\xa4" "che \xc2\xb5m"), std::string::npos) << err;
}

TEST(Headless, WaitCursorCountsWithoutQt)
{
    EXPECT_EQ(WaitCursor::depth(), 0);
    {
        WaitCursor outer;
        EXPECT_EQ(WaitCursor::depth(), 1);
        {
            WaitCursor inner;
            EXPECT_EQ(WaitCursor::depth(), 2);
            inner.restore();
            EXPECT_EQ(WaitCursor::depth(), 1);
        }
        EXPECT_EQ(WaitCursor::depth(), 1);  // a restored cursor is not restored twice
    }
    EXPECT_EQ(WaitCursor::depth(), 0);
}

// ---------------------------------------------------------------------------
// A caller with hidden visibility, as components are built

extern "C" int ksDialogsHiddenCaller(int* modelValue);

TEST(ComponentCaller, ReachesTheRunnerTheProgramInstalled)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner install(runner);
    runner.answerMessage(IDYES);
    // A typed answer for another class is refused, not mis-cast.
    runner.answerModalAs<PickModel>([](PickModel& m) { m.chosen = 1; });

    int value = 0;
    testing::internal::CaptureStderr();
    const int result = ksDialogsHiddenCaller(&value);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, IDYES * 100 + IDCANCEL);
    EXPECT_EQ(value, 11);  // opened (1) and finished (+10)
    EXPECT_EQ(WaitCursor::depth(), 0);

    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].text, L"From a component");
    EXPECT_EQ(log[0].answer, IDYES);
    EXPECT_EQ(log[1].title, L"Hidden Model");
    ASSERT_EQ(runner.errors().size(), 1u);
    EXPECT_NE(runner.errors()[0].find("another dialog class"), std::string::npos);

    runner.answerMessage(IDNO);
    runner.answerModal([](DialogModel& m) { EXPECT_EQ(m.title(), L"Hidden Model"); });
    EXPECT_EQ(ksDialogsHiddenCaller(&value), IDNO * 100 + IDOK);
    EXPECT_EQ(runner.pending(), 0u);
}
