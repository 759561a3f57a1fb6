// The ion-trap classes of the KSAgilentProvider component end to end: both
// providers of the deliverable registering (classes, ProgIDs, provider
// keys), the ion-trap provider's description, the data server created by
// its ProgID walking a folder through the object tree over the registered
// stand-in, dataset access choosing it, and the bundled sample.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "iontrapfixtures.h"
#include "providertest.h"

using namespace agilentfix;
using namespace agilentprov;
using namespace iontrapfix;

namespace {

const wchar_t kIonTrapKey[] = L"Software\\Kestrom\\Data Services\\{2d7fc2cd-1b59-4c3f-b4ba-b585a519a9df}";
const wchar_t kChemStationKey[] = L"Software\\Kestrom\\Data Services\\{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}";

ks::ComPtr<IKSDataServer> NewIonTrapServer()
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"KSAgilentProvider.KSAgilentIonTrapDataServer", &clsid), S_OK);
    return Create<IKSDataServer>(clsid);
}

// Three positive MS scans and two negative MS3 scans, and a UV trace.
std::string ThreeFunctionFolder(const std::string& name)
{
    const std::string folder = DataFolder(
        name, Manifest("Tree", Spectrum(60, 1, true, false, "100 200", "10 20") +
                                   Spectrum(90, 3, false, false, "150 250", "1 3", "precursors 500.2 300.1\n") +
                                   Spectrum(120, 1, true, false, "100 200", "30 40") +
                                   Spectrum(150, 3, false, false, "150", "2", "count 1\nprecursors 500.2 300.1\n") +
                                   Spectrum(180, 1, true, true, "101", "5")));
    ks::test::writeFile(Join(folder, "DAD1A.ch"), BuildSignal(130, 0, 60000, Blocks({{0x1002, 7, 1}})));
    return folder;
}

}  // namespace

TEST(IonTrapComponent, BothProvidersRegister)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSAgilentProvider"}));
    ExpectRegisteredClass(PROGID_KSAgilentIonTrapProvider, CLSID_KSAgilentIonTrapProvider);
    ExpectRegisteredClass(PROGID_KSAgilentIonTrapDataServer, CLSID_KSAgilentIonTrapDataServer);
    ExpectRegisteredClass(PROGID_KSLCMSDProvider, CLSID_KSLCMSDProvider);
    // The tree's children are created by their parents only.
    for (const wchar_t* child : {L"CLSID\\{A6AE766B-F819-4406-B0BD-C857F6F19463}",
                                 L"CLSID\\{B5C9BBBC-B2C7-4A4C-9337-97B4266A983F}",
                                 L"CLSID\\{8A5EAE7B-F7B4-414D-842A-66BAA5D1DB85}"})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, child));

    // Both providers announced themselves.
    const std::wstring key = kIonTrapKey;
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Class Name"), L"KSAgilentProvider.KSAgilentIonTrapProvider");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Menu Name"), L"AgilentIonTrap");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Supplier"), L"Kestrom, Inc.");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Version"), L"1.00");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Copyright"), L"Copyright (c) Kestrom, Inc.");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\DataServer Class ID"), L"{282e6320-a2a0-44b3-ac02-8ca8fa1da51c}");
    EXPECT_EQ(Number(HKEY_CURRENT_USER, key, L"Provider Flags"), 0u);
    EXPECT_EQ(Number(HKEY_CURRENT_USER, kChemStationKey, L"Provider Flags"), 4u);

    const ks::test::RunResult r = ks::test::run(
        {std::string(KS_BIN_DIR) + "/ksregsvr", "-u", std::string(KS_LIB_DIR) + "/KSAgilentProvider.so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kChemStationKey));
}

TEST(IonTrapComponent, ProviderDescribesItself)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSAgilentProvider"}));
    auto provider = Create<IKSDataProvider>(CLSID_KSAgilentIonTrapProvider);
    ASSERT_TRUE(provider);
    const struct {
        HRESULT (IKSDataProvider::*get)(BSTR*);
        const wchar_t* value;
    } texts[] = {
        {&IKSDataProvider::get_ClassID, L"{2d7fc2cd-1b59-4c3f-b4ba-b585a519a9df}"},
        {&IKSDataProvider::get_ClassName, L"KSAgilentProvider.KSAgilentIonTrapProvider"},
        {&IKSDataProvider::get_MenuName, L"AgilentIonTrap"},
        {&IKSDataProvider::get_Supplier, L"Kestrom, Inc."},
        {&IKSDataProvider::get_Version, L"1.00"},
        {&IKSDataProvider::get_Copyright, L"Copyright (c) Kestrom, Inc."},
    };
    for (const auto& t : texts) {
        ks::Bstr text;
        EXPECT_EQ((provider.get()->*t.get)(&text), S_OK);
        EXPECT_EQ(text.str(), t.value);
    }
    LONG flags = -1;
    EXPECT_EQ(provider->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, 0);
    auto two = Query<IKSDataProvider2>(provider.get());
    ASSERT_TRUE(two);
    ks::Bstr server;
    EXPECT_EQ(two->get_DataServerClassID(&server), S_OK);
    EXPECT_EQ(server.str(), L"{282e6320-a2a0-44b3-ac02-8ca8fa1da51c}");
    // No file filter, no services.
    EXPECT_FALSE(Query<IKSDataProvider3>(provider.get()));
    EXPECT_FALSE(Query<IKSMSDatasetReader>(provider.get()));
    ks::ComPtr<IDispatch> service;
    EXPECT_EQ(provider->GetService(ks::Bstr(L"KSMSDatasetReader"), &service), S_OK);
    EXPECT_FALSE(service);
    VARIANT_BOOL supported = VARIANT_TRUE;
    EXPECT_EQ(provider->SupportsService(ks::Bstr(L"KSMSDatasetReader"), &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_FALSE);
    // Its IDispatch is IKSDataProvider's.
    auto dispatch = Query<IDispatch>(provider.get());
    LPOLESTR name = const_cast<LPOLESTR>(L"MenuName");
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
}

TEST(IonTrapComponent, DataServerTree)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "IonTrapAnalysis", "KSAgilentProvider"}));
    const std::string folder = ThreeFunctionFolder("tree.d");
    auto server = NewIonTrapServer();
    ASSERT_TRUE(server);
    LONG valid = 0;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(Wide(folder)), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    ASSERT_EQ(server->Open(ks::Bstr(Wide(folder))), S_OK);
    ks::Bstr type;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    EXPECT_EQ(type.str(), L"KSAgilentIonTrapProvider");
    auto three = Query<IKSDataServer3>(server.get());
    ASSERT_TRUE(three);
    ks::Bstr id;
    EXPECT_EQ(three->get_ClassID(&id), S_OK);
    EXPECT_EQ(id.str(), L"{282E6320-A2A0-44B3-AC02-8CA8FA1DA51C}");
    EXPECT_FALSE(Query<IKSDataServer2>(server.get()));

    auto injection = Injection(server.get());
    ASSERT_TRUE(injection);
    const auto functions = Functions(injection.get(), 1);
    ASSERT_EQ(functions.size(), 3u);
    EXPECT_EQ(functions[0].name, L"Tree, + MS");
    EXPECT_EQ(functions[1].name, L"Tree, - MS3");
    EXPECT_EQ(functions[2].name, L"Tree, + Zoom MS");
    EXPECT_EQ(functions[1].type, FunctionTypeMSn);
    EXPECT_EQ(functions[1].msmsType, FunctionMSMSTypePrecursor);
    EXPECT_EQ(functions[1].msOrder, 3);
    EXPECT_EQ(functions[1].polarity, FunctionPolarityNegative);
    EXPECT_EQ(functions[2].type, FunctionTypeZoomMS);
    EXPECT_EQ(functions[0].count, 2);
    // The total-ion chromatogram computed from the spectra (minutes).
    EXPECT_EQ(Values(functions[0].tic), (std::vector<double>{30, 70}));
    EXPECT_EQ(Times(functions[0].tic), (std::vector<double>{1, 2}));
    EXPECT_EQ(Traces(injection.get()), (std::vector<std::pair<std::wstring, LONG>>{{L"DAD1A", 2}}));

    // An MS3 spectrum through a library object: the per-level values land
    // one level up there (level + 1), the precursor m/z is the last one.
    ks::ComPtr<IKSFunctions> list;
    injection->get_Functions(&list);
    ks::ComPtr<IKSFunction> ms3;
    ASSERT_EQ(list->get_Item(2, &ms3), S_OK);
    ks::ComPtr<IKSMassSpectrum> spectrum;
    ASSERT_EQ(ms3->get_Spectrum(1, &spectrum), S_OK);
    const Points p = Read(spectrum.get());
    EXPECT_EQ(p.x, (std::vector<double>{150, 250}));
    EXPECT_EQ(p.y, (std::vector<double>{1, 3}));
    EXPECT_DOUBLE_EQ(p.startRT, 1.5);
    EXPECT_EQ(p.firstScan, 1);
    EXPECT_FALSE(p.centroid);
    SHORT order = 0;
    spectrum->get_MSOrder(&order);
    EXPECT_EQ(order, 3);
    double precursor = 0;
    spectrum->get_PrecursorMass(&precursor);
    EXPECT_EQ(precursor, 300.1);
    auto two = Query<IKSMassSpectrum2>(spectrum.get());
    double level = 0;
    two->get_PrecursorMZ(3, &level);
    EXPECT_EQ(level, 500.2);
    two->get_PrecursorMZ(4, &level);
    EXPECT_EQ(level, 300.1);
    LONG polarity = 0;
    spectrum->get_Polarity(&polarity);
    EXPECT_EQ(polarity, FunctionPolarityNegative);

    // The second MS3 scan says one point and holds one: read by handle.
    CKSMassSpectrum handle;
    ASSERT_EQ(ms3->get_SpectrumDirect(2, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(Read(handle).x, (std::vector<double>{150}));
    EXPECT_EQ(Read(handle).lastScan, 2);
}

TEST(IonTrapComponent, DataServerFailures)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "IonTrapAnalysis", "KSAgilentProvider"}));
    auto server = NewIonTrapServer();
    const std::string damaged = DataFolder("damaged.d", "ks-iontrap-analysis 1\n[spectrum]\ntime 1\n[end]\n");
    EXPECT_EQ(server->Open(ks::Bstr(Wide(damaged))), E_FAIL);
    ks::ComPtr<IKSInjections> injections;
    EXPECT_EQ(server->get_Injections(&injections), E_FAIL);
    {
        // A spectrum that fails: its code through the tree, nothing handed out.
        const Faults faults("Spectrum.Data:1:E_ACCESSDENIED");
        ASSERT_EQ(server->Open(ks::Bstr(Wide(ThreeFunctionFolder("faults.d")))), S_OK);
        ks::ComPtr<IKSFunctions> list;
        Injection(server.get())->get_Functions(&list);
        ks::ComPtr<IKSFunction> function;
        ASSERT_EQ(list->get_Item(1, &function), S_OK);
        ks::ComPtr<IKSMassSpectrum> spectrum;
        EXPECT_EQ(function->get_Spectrum(1, &spectrum), E_ACCESSDENIED);
        EXPECT_FALSE(spectrum);
        EXPECT_EQ(function->get_Spectrum(1, &spectrum), S_OK);
    }
}

// Without the stand-in registered, the open answers its creation error.
TEST(IonTrapComponent, ComponentNotRegistered)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "KSAgilentProvider"}));
    auto server = NewIonTrapServer();
    EXPECT_EQ(server->Open(ks::Bstr(Wide(ThreeFunctionFolder("unregistered.d")))), REGDB_E_CLASSNOTREG);
}

// Dataset access asks the registered data servers and picks this one for
// an ion-trap folder, the ChemStation one for a ChemStation folder.
TEST(IonTrapComponent, DataAccessOpensIonTrapFolders)
{
    ASSERT_TRUE(
        ks::test::registerComponents({"KSControls", "KSProviderServer", "IonTrapAnalysis", "KSAgilentProvider"}));
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    const struct {
        std::string path;
        const wchar_t* type;
    } cases[] = {
        {ThreeFunctionFolder("access.d"), L"KSAgilentIonTrapProvider"},
        {ks::test::realData("chemstation-ms/entab-carotenoid_extract.d"), L"KSLCMSDProvider"},
    };
    for (const auto& c : cases) {
        ks::ComPtr<IKSDataServer> server;
        ASSERT_EQ(access->OpenDataset(ks::Bstr(Wide(c.path)), &server), S_OK) << c.path;
        ks::Bstr type;
        EXPECT_EQ(server->DatasetType(&type), S_OK);
        EXPECT_EQ(type.str(), c.type);
    }
}

// The main job's sample, written by the project's script.
TEST(IonTrapComponent, BundledSample)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "IonTrapAnalysis", "KSAgilentProvider"}));
    const std::string folder = Join(ks::test::tempDir(), "caffeine-iontrap.d");
    const ks::test::RunResult r =
        ks::test::run({KS_PYTHON3, std::string(KS_SOURCE_DIR) + "/../samples/make_iontrap_sample.py", folder});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto server = NewIonTrapServer();
    ASSERT_EQ(server->Open(ks::Bstr(Wide(folder))), S_OK);
    auto injection = Injection(server.get());
    const auto functions = Functions(injection.get(), 1);
    const std::vector<std::wstring> names = {
        L"Caffeine, ion trap, + MS", L"Caffeine, ion trap, + MS/MS", L"Caffeine, ion trap, - MS",
        L"Caffeine, ion trap, - MS/MS", L"Caffeine, ion trap, + Zoom MS"};
    ASSERT_EQ(functions.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(functions[i].name, names[i]);
        EXPECT_EQ(functions[i].count, 8);
    }
    EXPECT_EQ(functions[4].type, FunctionTypeZoomMS);
    EXPECT_EQ(Traces(injection.get()), (std::vector<std::pair<std::wstring, LONG>>{{L"DAD1A", 157}}));
}
