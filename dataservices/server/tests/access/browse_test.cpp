// The browse members of the dataset access, driven through the scripted
// dialog runner: the dialog models they run, the remembered path of
// "Dataset browser", the results and what the caller is left holding.
#include "accesstest.h"

#include "ksbrowsedialogs.h"
#include "ksdialogrunner.h"

using namespace accesstest;
using ks::dialogs::DialogModel;
using ks::dialogs::ScopedDialogRunner;
using ks::dialogs::ScriptedDialogRunner;

namespace {

// The models live in the component; they are reached through their
// virtual operations (no run-time type information crosses the module).
COpenDialog& openDialog(DialogModel& model)
{
    EXPECT_EQ(L"Select Dataset", model.title());
    return static_cast<COpenDialog&>(model);
}

CFunctionDialog& functionDialog(DialogModel& model)
{
    EXPECT_EQ(L"Select Function", model.title());
    return static_cast<CFunctionDialog&>(model);
}

class Browse : public AccessTest {
protected:
    void SetUp() override
    {
        AccessTest::SetUp();
        addProviderOfSlot(1, 1);
        addProviderOfSlot(2, 2);
        script(1, L"Valid", 1);
        script(1, L"Injections", 2);
        scriptText(1, L"Functions", L"Full,1,1,1;Daughter,2,2,1;Scan,0,0,0");
        // A second provider whose server never accepts a path.
        script(2, L"Valid", 0);
        access = createAccess();
        ASSERT_TRUE(access);
    }

    std::wstring rememberedPath() const { return readText(HKEY_CURRENT_USER, kBrowserPathValue); }
    void setRememberedPath(const std::wstring& path)
    {
        const std::wstring full = kBrowserPathValue;
        const size_t cut = full.rfind(L'\\');
        setText(HKEY_CURRENT_USER, full.substr(0, cut), full.substr(cut + 1).c_str(), path);
    }

    ks::ComPtr<IKSDataAccess> access;
    ScriptedDialogRunner runner;
};

TEST_F(Browse, InjectionStartsAtTheRememberedPathAndRemembersTheChoice)
{
    setRememberedPath(L"/data/last");
    ScopedDialogRunner scoped(runner);
    std::wstring start;
    bool okAtStart = true;
    runner.answerModal([&](DialogModel& m) {
        COpenDialog& d = openDialog(m);
        start = d.StartPath();
        okAtStart = d.OkEnabled();
        EXPECT_EQ(COpenDialog::ModeInjection, d.DialogMode());
        EXPECT_TRUE(d.Filters().empty());
        EXPECT_EQ(S_OK, d.SelectInjection(L"/data/run7", 2));
    });
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    ASSERT_EQ(S_OK, access->BrowseInjection(&server, &injection));
    EXPECT_EQ(L"/data/last", start);
    EXPECT_FALSE(okAtStart);
    EXPECT_EQ(1, slotOf(server.get()));
    LONG index = 0;
    ASSERT_EQ(S_OK, injection->get_Index(&index));
    EXPECT_EQ(2, index);
    EXPECT_EQ(L"/data/run7", rememberedPath());
    EXPECT_TRUE(runner.errors().empty());
}

TEST_F(Browse, CancelledInjectionReleasesWhatTheDialogOpened)
{
    setRememberedPath(L"/data/last");
    ScopedDialogRunner scoped(runner);
    runner.answerModal([&](DialogModel& m) { openDialog(m).SelectInjection(L"/data/run8", 1); }, IDCANCEL);
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    EXPECT_EQ(S_FALSE, access->BrowseInjection(&server, &injection));
    EXPECT_EQ(nullptr, server);
    EXPECT_EQ(nullptr, injection);
    EXPECT_EQ(L"/data/last", rememberedPath());
    // Every server made for the dialog is gone again; only the kept ones live.
    EXPECT_EQ(events("create").size() - 2, events("release").size());
}

// A dataset node whose injection does not open still enables OK.
TEST_F(Browse, OkWithoutAnOpenedInjectionIsAFailure)
{
    script(1, L"OpenResult", static_cast<DWORD>(E_ACCESSDENIED));
    ScopedDialogRunner scoped(runner);
    HRESULT opened = S_OK;
    runner.answerModal([&](DialogModel& m) { opened = openDialog(m).SelectInjection(L"/data/bad", 1); });
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    EXPECT_EQ(E_FAIL, access->BrowseInjection(&server, &injection));
    EXPECT_EQ(E_ACCESSDENIED, opened);
    EXPECT_EQ(nullptr, server);
    EXPECT_EQ(nullptr, injection);
    EXPECT_EQ(L"<none>", rememberedPath());
    EXPECT_EQ(events("create").size() - 2, events("release").size());
}

TEST_F(Browse, OkIsRefusedWhileNothingIsSelected)
{
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel&) {});  // OK at once: refused, the dialog stays
    runner.answerModal([](DialogModel& m) { openDialog(m).SelectOther(); });
    runner.answerModal([](DialogModel&) {}, IDCANCEL);
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    EXPECT_EQ(S_FALSE, access->BrowseInjection(&server, &injection));
    EXPECT_EQ(0u, runner.pending());
}

TEST_F(Browse, WithoutARunnerOrDisplayTheBrowseIsCancelled)
{
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunction> fcn;
    EXPECT_EQ(S_FALSE, access->BrowseInjection(&server, &injection));
    EXPECT_EQ(S_FALSE, access->BrowseFunction(&server, &injection, &fcn));
    EXPECT_EQ(E_POINTER, access->BrowseInjection(&server, nullptr));
    EXPECT_EQ(E_POINTER, access->BrowseFunction(nullptr, &injection, &fcn));
    EXPECT_FALSE(server);
}

TEST_F(Browse, FunctionOpensTheChosenFunction)
{
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        COpenDialog& d = openDialog(m);
        EXPECT_EQ(COpenDialog::ModeFunction, d.DialogMode());
        d.SelectInjection(L"/data/run9", 1);
        EXPECT_FALSE(d.OkEnabled());
        d.ChooseFunction(2);
        EXPECT_TRUE(d.OkEnabled());
    });
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunction> fcn;
    ASSERT_EQ(S_OK, access->BrowseFunction(&server, &injection, &fcn));
    ks::Bstr name;
    ASSERT_EQ(S_OK, fcn->get_Name(&name));
    EXPECT_EQ(L"Daughter", name.str());
    EXPECT_TRUE(server);
    EXPECT_TRUE(injection);
    EXPECT_EQ(L"/data/run9", rememberedPath());
}

TEST_F(Browse, FunctionThatFailsToOpenLeavesNothing)
{
    script(1, L"FailItem", 2);
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        openDialog(m).SelectInjection(L"/data/run9", 1);
        openDialog(m).ChooseFunction(2);
    });
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    IKSFunction* fcn = nullptr;
    EXPECT_EQ(E_FAIL, access->BrowseFunction(&server, &injection, &fcn));
    EXPECT_EQ(nullptr, server);
    EXPECT_EQ(nullptr, injection);
    EXPECT_EQ(nullptr, fcn);
    EXPECT_EQ(L"<none>", rememberedPath());
}

TEST_F(Browse, ComboNeedsAFilterAndItsPointers)
{
    IKSFunction* f[8] = {};
    IKSInjection* injection = nullptr;
    IKSDataServer* server = nullptr;
    auto access3 = as<IKSDataAccess3>(access.get());
    EXPECT_EQ(E_FAIL, access3->BrowseCombo3(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &injection,
                                            &server));
    EXPECT_EQ(E_FAIL, access->BrowseCombo(&f[0], &f[1], &f[2], &f[3], &injection, &server));
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"MS"), FunctionTypeMS, 0));
    EXPECT_EQ(E_POINTER, access3->BrowseCombo3(nullptr, &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7],
                                               &injection, &server));
    EXPECT_EQ(E_POINTER, access3->BrowseCombo3(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], nullptr,
                                               &server));
    EXPECT_EQ(E_POINTER, access3->BrowseCombo3(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7],
                                               &injection, nullptr));
}

TEST_F(Browse, ComboFillsOneFunctionPerChosenCombo)
{
    auto access3 = as<IKSDataAccess3>(access.get());
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"Survey"), FunctionTypeMS, 1));
    ASSERT_EQ(S_OK, access3->AddComboFilter3(ks::Bstr(L"Daughters"), FunctionTypeMSn, 2, FunctionPolarityPositive));
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"Any"), FunctionTypeUnknown, 0));
    ASSERT_EQ(S_OK, access->put_SmartExpansionBoxes(1));
    ASSERT_EQ(S_OK, access->put_ShowTextFiles(-1));  // only 1 switches it on
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        COpenDialog& d = openDialog(m);
        ASSERT_EQ(3u, d.Filters().size());
        EXPECT_EQ(L"Daughters", d.Filters()[1].title);
        EXPECT_EQ(FunctionTypeMSn, d.Filters()[1].type);
        EXPECT_EQ(2, d.Filters()[1].order);
        EXPECT_EQ(FunctionPolarityPositive, d.Filters()[1].polarity);
        EXPECT_EQ(FunctionPolarityUnknown, d.Filters()[0].polarity);
        EXPECT_TRUE(d.SmartExpansionBoxes());
        EXPECT_FALSE(d.ShowTextFiles());
        d.SelectInjection(L"/data/combo", 2);
        d.ChooseComboFunction(0, 1);
        d.ChooseComboFunction(2, 3);
    });
    IKSFunction* f[8] = {};
    // Pointers beyond the filters are not touched.
    IKSFunction* const untouched = reinterpret_cast<IKSFunction*>(&f);
    f[3] = untouched;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access3->BrowseCombo3(&f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &injection,
                                          &server));
    ASSERT_NE(nullptr, f[0]);
    EXPECT_EQ(nullptr, f[1]);
    ASSERT_NE(nullptr, f[2]);
    EXPECT_EQ(untouched, f[3]);
    LONG i0 = 0, i2 = 0;
    EXPECT_EQ(S_OK, f[0]->get_Index(&i0));
    EXPECT_EQ(S_OK, f[2]->get_Index(&i2));
    EXPECT_EQ(1, i0);
    EXPECT_EQ(3, i2);
    f[0]->Release();
    f[2]->Release();
    LONG inj = 0;
    ASSERT_EQ(S_OK, injection->get_Index(&inj));
    EXPECT_EQ(2, inj);
    EXPECT_EQ(L"/data/combo", rememberedPath());
}

// Each combo answers into its own position's pointer, also when a caller
// leaves out an earlier one.
TEST_F(Browse, ComboWithAMissingPointerKeepsPositions)
{
    auto access3 = as<IKSDataAccess3>(access.get());
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"F"), FunctionTypeUnknown, 0));
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        openDialog(m).SelectInjection(L"/data/combo", 1);
        openDialog(m).ChooseComboFunction(1, 2);
        openDialog(m).ChooseComboFunction(2, 3);
    });
    ks::ComPtr<IKSFunction> f1, f3;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access3->BrowseCombo3(&f1, nullptr, &f3, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          &injection, &server));
    EXPECT_FALSE(f1);
    ASSERT_TRUE(f3);
    LONG index = 0;
    EXPECT_EQ(S_OK, f3->get_Index(&index));
    EXPECT_EQ(3, index);
}

TEST_F(Browse, ComboWithoutAChosenFunctionIsNoAnswer)
{
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"MS"), FunctionTypeMS, 0));
    ScopedDialogRunner scoped(runner);
    // OK with an injection but no combo choice, then OK on a dataset that
    // did not open.
    runner.answerModal([](DialogModel& m) {
        EXPECT_EQ(COpenDialog::ModeInjection, openDialog(m).DialogMode());
        openDialog(m).SelectInjection(L"/data/combo", 1);
    });
    runner.answerModal([](DialogModel& m) {
        script(1, L"OpenResult", static_cast<DWORD>(E_FAIL));
        EXPECT_EQ(E_FAIL, openDialog(m).SelectInjection(L"/data/combo", 1));
        openDialog(m).ChooseComboFunction(0, 1);
    });
    for (int round = 0; round < 2; ++round) {
        IKSFunction* f[4] = {};
        IKSInjection* injection = nullptr;
        IKSDataServer* server = nullptr;
        EXPECT_EQ(S_FALSE, access->BrowseCombo(&f[0], &f[1], &f[2], &f[3], &injection, &server)) << round;
        EXPECT_EQ(nullptr, f[0]);
        EXPECT_EQ(nullptr, injection);
        EXPECT_EQ(nullptr, server);
    }
    EXPECT_EQ(L"<none>", rememberedPath());
    EXPECT_EQ(events("create").size() - 2, events("release").size());
}

// The second combo's function cannot be opened: the first, already
// opened, is not handed back either.
TEST_F(Browse, ComboFailureReleasesEveryOutput)
{
    script(1, L"FailItem", 2);
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"A"), FunctionTypeUnknown, 0));
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"B"), FunctionTypeUnknown, 0));
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        openDialog(m).SelectInjection(L"/data/combo", 1);
        openDialog(m).ChooseComboFunction(0, 1);
        openDialog(m).ChooseComboFunction(1, 2);
    });
    IKSFunction* f[4] = {};
    IKSInjection* injection = nullptr;
    IKSDataServer* server = nullptr;
    EXPECT_EQ(E_FAIL, access->BrowseCombo(&f[0], &f[1], &f[2], &f[3], &injection, &server));
    for (IKSFunction* p : f)
        EXPECT_EQ(nullptr, p);
    EXPECT_EQ(nullptr, injection);
    EXPECT_EQ(nullptr, server);
    EXPECT_EQ(L"<none>", rememberedPath());
}

TEST_F(Browse, ComboFunctionsFailingIsReturned)
{
    script(1, L"FunctionsResult", static_cast<DWORD>(E_OUTOFMEMORY));
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"A"), FunctionTypeUnknown, 0));
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        openDialog(m).SelectInjection(L"/data/combo", 1);
        openDialog(m).ChooseComboFunction(0, 1);
    });
    IKSFunction* f[4] = {};
    IKSInjection* injection = nullptr;
    IKSDataServer* server = nullptr;
    EXPECT_EQ(E_OUTOFMEMORY, access->BrowseCombo(&f[0], &f[1], &f[2], &f[3], &injection, &server));
    EXPECT_EQ(nullptr, f[0]);
    EXPECT_EQ(nullptr, injection);
    EXPECT_EQ(nullptr, server);
}

// BrowseCombo offers four places; the functions of combos five to eight
// are released.
TEST_F(Browse, ComboWithMoreFiltersThanPlacesFillsFour)
{
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"F"), FunctionTypeUnknown, 0));
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        COpenDialog& d = openDialog(m);
        EXPECT_EQ(6u, d.Filters().size());
        d.SelectInjection(L"/data/combo", 1);
        for (size_t k = 0; k < 6; ++k)
            d.ChooseComboFunction(k, 1 + static_cast<LONG>(k % 3));
    });
    ks::ComPtr<IKSFunction> f1, f2, f3, f4;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access->BrowseCombo(&f1, &f2, &f3, &f4, &injection, &server));
    EXPECT_TRUE(f1 && f2 && f3 && f4);
}

TEST_F(Browse, ComboWithTwoFiltersFillsTwo)
{
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"A"), FunctionTypeMS, 0));
    ASSERT_EQ(S_OK, access->AddComboFilter(ks::Bstr(L"B"), FunctionTypeMSn, 0));
    ScopedDialogRunner scoped(runner);
    runner.answerModal([](DialogModel& m) {
        COpenDialog& d = openDialog(m);
        d.SelectInjection(L"/data/combo", 1);
        d.ChooseComboFunction(0, 1);
        d.ChooseComboFunction(1, 2);
        d.ChooseComboFunction(2, 3);  // no such combo
    });
    ks::ComPtr<IKSFunction> f1, f2, f3, f4;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(S_OK, access->BrowseCombo(&f1, &f2, &f3, &f4, &injection, &server));
    EXPECT_TRUE(f1 && f2);
    EXPECT_FALSE(f3);
    EXPECT_FALSE(f4);
}

TEST_F(Browse, InjectionFunctionsListsNamesAndNeverTouchesTheRememberedPath)
{
    setRememberedPath(L"/data/last");
    auto access2 = as<IKSDataAccess2>(access.get());
    ScopedDialogRunner scoped(runner);
    std::vector<std::wstring> names;
    runner.answerModal([&](DialogModel& m) {
        CFunctionDialog& d = functionDialog(m);
        names = d.Names();
        d.Select(2);
    });
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunction> fcn;
    ASSERT_EQ(S_OK, access2->BrowseInjectionFunctions(ks::Bstr(L"/data/run3"), 2, &server, &injection, &fcn));
    EXPECT_EQ((std::vector<std::wstring>{L"Full", L"Daughter", L"Scan"}), names);
    ks::Bstr name;
    ASSERT_EQ(S_OK, fcn->get_Name(&name));
    EXPECT_EQ(L"Scan", name.str());
    EXPECT_EQ(L"/data/last", rememberedPath());

    // Cancelled, or OK without a selection: S_FALSE, server and injection stay.
    runner.answerModal([](DialogModel& m) { functionDialog(m).Select(1); }, IDCANCEL);
    runner.answerModal([](DialogModel&) {});
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(S_FALSE, access2->BrowseInjectionFunctions(ks::Bstr(L"/data/run3"), 1, &server, &injection, &fcn));
        EXPECT_TRUE(server);
        EXPECT_TRUE(injection);
        EXPECT_FALSE(fcn);
    }
    EXPECT_EQ(L"/data/last", rememberedPath());
}

// A function whose name cannot be read is not listed; the entries after it
// still open their own functions.
TEST_F(Browse, InjectionFunctionsOpensTheChosenEntryAfterAnUnreadableName)
{
    script(1, L"FailName", 2);
    auto access2 = as<IKSDataAccess2>(access.get());
    ScopedDialogRunner scoped(runner);
    std::vector<std::wstring> names;
    runner.answerModal([&](DialogModel& m) {
        names = functionDialog(m).Names();
        functionDialog(m).Select(1);
    });
    ks::ComPtr<IKSDataServer> server;
    ks::ComPtr<IKSInjection> injection;
    ks::ComPtr<IKSFunction> fcn;
    ASSERT_EQ(S_OK, access2->BrowseInjectionFunctions(ks::Bstr(L"/data/run3"), 1, &server, &injection, &fcn));
    EXPECT_EQ((std::vector<std::wstring>{L"Full", L"Scan"}), names);
    LONG index = 0;
    ASSERT_EQ(S_OK, fcn->get_Index(&index));
    EXPECT_EQ(3, index);
}

TEST_F(Browse, InjectionFunctionsPassesOnOpeningFailures)
{
    auto access2 = as<IKSDataAccess2>(access.get());
    ScopedDialogRunner scoped(runner);
    IKSDataServer* server = nullptr;
    IKSInjection* injection = nullptr;
    IKSFunction* fcn = nullptr;
    EXPECT_EQ(DISP_E_BADINDEX, access2->BrowseInjectionFunctions(ks::Bstr(L"/data/run3"), 3, &server, &injection, &fcn));
    ASSERT_NE(nullptr, server);
    server->Release();
    EXPECT_EQ(nullptr, injection);
    EXPECT_EQ(E_POINTER, access2->BrowseInjectionFunctions(ks::Bstr(L"/data/run3"), 1, &server, &injection, nullptr));
    EXPECT_TRUE(runner.log().empty());
}

}  // namespace
