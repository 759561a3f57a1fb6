// The KSBrukerCompassProvider component end to end: registration (classes,
// ProgIDs, the provider's key), the provider's description, the data
// server created by its ProgID walking an analysis through the object tree
// over the registered stand-in, its IKSDataServer2 and
// IKSBrukerCompassDataServer, and dataset access choosing it for analysis
// folders and for "psd" spectrometer folders, never the XMASS server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brukercompassdataserver.h"
#include "chromatogram.h"
#include "compassfixtures.h"
#include "kscomtest.h"
#include "kscontract.h"
#include "kshandles.h"
#include "ksbrukercompassprovider.h"
#include "kstest.h"
#include "readersettings.h"

using namespace compassfix;
using ks::test::Create;
using ks::test::Doubles;
using ks::test::Query;

namespace {

const wchar_t kProviderKey[] = L"Software\\Kestrom\\Data Services\\{d3bf73aa-aa0d-46e7-b1a9-fc955ee1ed83}";

std::wstring Text(HKEY root, const std::wstring& path)
{
    std::wstring text;
    EXPECT_TRUE(ReadRegistryText(root, path, text)) << std::string(path.begin(), path.end());
    return text;
}

DWORD Number(HKEY root, const std::wstring& key, const wchar_t* value)
{
    HKEY h = nullptr;
    DWORD number = 0;
    DWORD size = sizeof number;
    DWORD type = 0;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
        RegCloseKey(h);
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    return number;
}

// A string value of a key ("" for its default value).
std::wstring Value(HKEY root, const std::wstring& key, const wchar_t* value = L"")
{
    HKEY h = nullptr;
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(h);
    }
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << std::string(key.begin(), key.end());
    return buffer;
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::wstring Braced(REFCLSID clsid)
{
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return text;
}

ks::ComPtr<IKSDataServer> NewServer()
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"KSBrukerCompassProvider.KSBrukerCompassDataServer", &clsid), S_OK);
    return Create<IKSDataServer>(clsid);
}

ks::ComPtr<IKSFunction> FirstFunction(IKSDataServer* server)
{
    ks::ComPtr<IKSInjections> injections;
    EXPECT_EQ(server->get_Injections(&injections), S_OK);
    LONG count = 0;
    EXPECT_EQ(injections->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
    ks::ComPtr<IKSInjection> injection;
    EXPECT_EQ(injections->get_Item(1, &injection), S_OK);
    ks::ComPtr<IKSFunctions> functions;
    EXPECT_EQ(injection->get_Functions(&functions), S_OK);
    EXPECT_EQ(functions->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
    ks::ComPtr<IKSTraces> traces;
    EXPECT_EQ(injection->get_Traces(&traces), S_OK);
    EXPECT_EQ(traces->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    ks::ComPtr<IKSFunction> function;
    EXPECT_EQ(functions->get_Item(1, &function), S_OK);
    return function;
}

// MS and MS/MS, one negative, three spectra without a time of their own.
std::string TreeFolder(const std::string& name)
{
    return AnalysisFolder(name, Manifest(" Tree run ", Spectrum(0, 1, 0, "100 200", "10 20") +
                                                         Spectrum(0, 2, 0, "150", "5", "intensities-type r4\n") +
                                                         Spectrum(0, 1, 1, "101 201", "1 2") +
                                                         Spectrum(240, 2, kNoPolarity, "150", "7")));
}

std::wstring TypeOf(IKSDataServer* server)
{
    ks::Bstr type;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    return type.str();
}

}  // namespace

TEST(CompassComponent, Registers)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSBrukerCompassProvider"}));
    for (const auto& [progId, clsid] : {std::pair{PROGID_KSBrukerCompassProvider, CLSID_KSBrukerCompassProvider},
                                        std::pair{PROGID_KSBrukerCompassDataServer, CLSID_KSBrukerCompassDataServer}}) {
        const std::wstring id = progId;
        const std::string shown(id.begin(), id.end());
        for (const std::wstring& name : {id, id + L".1"}) {
            CLSID found{};
            EXPECT_EQ(CLSIDFromProgID(name.c_str(), &found), S_OK) << shown;
            EXPECT_TRUE(found == clsid) << shown;
        }
        const std::wstring key = L"CLSID\\" + Braced(clsid);
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, id + L"\\CurVer"), id + L".1");
        EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32\\ThreadingModel"), L"Apartment") << shown;
        EXPECT_EQ(Value(HKEY_CLASSES_ROOT, key + L"\\TypeLib"), L"{07F8DC46-6EF9-4AD5-98CF-6E5484382DF2}") << shown;
    }
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L"TypeLib\\{07F8DC46-6EF9-4AD5-98CF-6E5484382DF2}\\1.0"),
              L"KSBrukerCompassProvider 1.0 Type Library");
    // The tree's children are created by their parents only.
    for (REFCLSID child : {CLSID_KSBrukerCompassInjections, CLSID_KSBrukerCompassInjection,
                           CLSID_KSBrukerCompassFunctions, CLSID_KSBrukerCompassFunction, CLSID_KSBrukerCompassTraces,
                           CLSID_KSBrukerCompassTrace})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + Braced(child)));

    // The provider announced itself.
    const std::wstring key = kProviderKey;
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Class Name"), L"KSBrukerCompassProvider.KSBrukerCompassProvider");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Menu Name"), L"Bruker Compass");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Supplier"), L"Kestrom, Inc.");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Version"), L"1.00");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Copyright"), L"Copyright (c) Kestrom, Inc.");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\DataServer Class ID"), L"{5eeaeb68-09f2-4f89-8a5e-339865772961}");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\File Filter"), L"Bruker Compass (fid *.baf)");
    EXPECT_EQ(Number(HKEY_CURRENT_USER, key, L"Provider Flags"), 0u);

    const ks::test::RunResult r = ks::test::run(
        {std::string(KS_BIN_DIR) + "/ksregsvr", "-u", std::string(KS_LIB_DIR) + "/KSBrukerCompassProvider.so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + Braced(CLSID_KSBrukerCompassDataServer)));
}

TEST(CompassComponent, ProviderDescribesItself)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSBrukerCompassProvider"}));
    auto provider = Create<IKSDataProvider>(CLSID_KSBrukerCompassProvider);
    ASSERT_TRUE(provider);
    const struct {
        HRESULT (IKSDataProvider::*get)(BSTR*);
        const wchar_t* value;
    } texts[] = {
        {&IKSDataProvider::get_ClassID, L"{d3bf73aa-aa0d-46e7-b1a9-fc955ee1ed83}"},
        {&IKSDataProvider::get_ClassName, L"KSBrukerCompassProvider.KSBrukerCompassProvider"},
        {&IKSDataProvider::get_MenuName, L"Bruker Compass"},
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
    EXPECT_EQ(server.str(), L"{5eeaeb68-09f2-4f89-8a5e-339865772961}");
    auto three = Query<IKSDataProvider3>(provider.get());
    ASSERT_TRUE(three);
    ks::Bstr filter;
    EXPECT_EQ(three->get_FilterString(&filter), S_OK);
    EXPECT_EQ(filter.str(), L"Bruker Compass (fid *.baf)");
    // No services.
    EXPECT_FALSE(Query<IKSMSDatasetReader>(provider.get()));
    for (const wchar_t* name : {L"KSMSDatasetReader", L"KSSpectrumReader"}) {
        ks::ComPtr<IDispatch> service;
        EXPECT_EQ(provider->GetService(ks::Bstr(name), &service), S_OK);
        EXPECT_FALSE(service);
        VARIANT_BOOL supported = VARIANT_TRUE;
        EXPECT_EQ(provider->SupportsService(ks::Bstr(name), &supported), S_OK);
        EXPECT_EQ(supported, VARIANT_FALSE);
    }
    // Its IDispatch is IKSDataProvider's.
    auto dispatch = Query<IDispatch>(provider.get());
    LPOLESTR name = const_cast<LPOLESTR>(L"MenuName");
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
}

TEST(CompassComponent, DataServerTree)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "CompassAnalysis", "KSBrukerCompassProvider"}));
    const std::string folder = TreeFolder("tree.d");
    auto server = NewServer();
    ASSERT_TRUE(server);
    LONG valid = 0;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(Wide(folder)), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    // Opened from a file inside the folder.
    ASSERT_EQ(server->Open(ks::Bstr(Wide(folder + "/analysis.baf"))), S_OK);
    EXPECT_EQ(TypeOf(server.get()), L"KSBrukerCompassProvider");
    auto three = Query<IKSDataServer3>(server.get());
    ASSERT_TRUE(three);
    ks::Bstr id;
    EXPECT_EQ(three->get_ClassID(&id), S_OK);
    EXPECT_EQ(id.str(), L"{5EEAEB68-09F2-4F89-8A5E-339865772961}");

    auto function = FirstFunction(server.get());
    ASSERT_TRUE(function);
    ks::Bstr name;
    EXPECT_EQ(function->get_Name(&name), S_OK);
    EXPECT_EQ(name.str(), L"Tree run");
    FunctionType type = FunctionTypeUnknown;
    FunctionPolarity polarity = FunctionPolarityUnknown;
    FunctionMSMSType msms = FunctionMSMSTypeProduct;
    LONG order = 0, count = 0;
    EXPECT_EQ(function->get_Type(&type), S_OK);
    EXPECT_EQ(function->get_Polarity(&polarity), S_OK);
    EXPECT_EQ(function->get_MSMSType(&msms), S_OK);
    EXPECT_EQ(function->get_MSOrder(&order), S_OK);
    EXPECT_EQ(function->get_Count(&count), S_OK);
    EXPECT_EQ(type, FunctionTypeMS);
    EXPECT_EQ(polarity, FunctionPolarityPositive);
    EXPECT_EQ(msms, FunctionMSMSTypeNone);
    EXPECT_EQ(order, 1);
    EXPECT_EQ(count, 4);

    // The total-ion chromatogram computed from the spectra, in minutes.
    CChromatogram tic;
    CKSChromatogram handle(&tic);
    ASSERT_EQ(function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    ASSERT_EQ(tic.GetCount(), 4);
    EXPECT_EQ(std::vector<double>(tic.Times(), tic.Times() + 4), (std::vector<double>{0, 2, 3, 4}));
    EXPECT_EQ(std::vector<double>(tic.Intensities(), tic.Intensities() + 4), (std::vector<double>{30, 5, 3, 7}));
    EXPECT_EQ(function->get_TICDirect(0, reinterpret_cast<ULONG_PTR>(&handle)), CO_E_NOT_SUPPORTED);

    // The negative spectrum through a library object, the MS/MS one by time
    // into a handle.
    ks::ComPtr<IKSMassSpectrum> spectrum;
    ASSERT_EQ(function->get_Spectrum(3, &spectrum), S_OK);
    ks::Variant masses, intensities;
    spectrum->get_Masses(&masses);
    spectrum->get_Intensities(&intensities);
    EXPECT_EQ(Doubles(masses), (std::vector<double>{101, 201}));
    EXPECT_EQ(Doubles(intensities), (std::vector<double>{1, 2}));
    LONG value = 0;
    spectrum->get_Polarity(&value);
    EXPECT_EQ(value, FunctionPolarityNegative);
    CKSMassSpectrum direct;
    const CMassSpectrum& record = *direct.get();
    ASSERT_EQ(function->get_SpectrumByRTDirect(2, FunctionRTProximityLess, reinterpret_cast<ULONG_PTR>(&direct)),
              S_OK);
    EXPECT_EQ(record.GetFirstScan(), 1);  // Less on an exact hit: the one before
    ASSERT_EQ(function->get_SpectrumByRTDirect(2, FunctionRTProximityClosest, reinterpret_cast<ULONG_PTR>(&direct)),
              S_OK);
    EXPECT_EQ(record.GetFirstScan(), 2);
    EXPECT_EQ(record.GetMSOrder(), 2);
    EXPECT_EQ(record.GetFunctionType(), FunctionTypeMSn);
    EXPECT_DOUBLE_EQ(record.GetStartRT(), 2);
    EXPECT_EQ(function->get_Spectrum(5, &spectrum), DISP_E_BADINDEX);
}

// The data server answers IKSDataServer2 (storage opens are not offered)
// and IKSBrukerCompassDataServer with the analysis object, all on one
// object.
TEST(CompassComponent, DataServerInterfaces)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "CompassAnalysis", "KSBrukerCompassProvider"}));
    auto server = NewServer();
    ASSERT_TRUE(server);
    auto storage = Query<IKSDataServer2>(server.get());
    ASSERT_TRUE(storage);
    EXPECT_EQ(storage->OpenFromStorage(nullptr, ks::Bstr(L"analysis")), E_NOTIMPL);
    ks::Bstr path;
    EXPECT_EQ(server->CurrentDataset(&path), E_FAIL);

    auto compass = Query<IKSBrukerCompassDataServer>(server.get());
    ASSERT_TRUE(compass);
    auto identity = Query<IUnknown>(server.get());
    EXPECT_EQ(Query<IUnknown>(compass.get()).get(), identity.get());
    EXPECT_TRUE(Query<IKSDataServer>(compass.get()));
    ks::ComPtr<IDispatch> analysis;
    EXPECT_EQ(compass->get_MSAnalysis(nullptr), E_POINTER);
    EXPECT_EQ(compass->get_MSAnalysis(&analysis), E_POINTER);  // before any open
    EXPECT_FALSE(analysis);

    const std::string folder = TreeFolder("interfaces.d");
    ASSERT_EQ(server->Open(ks::Bstr(Wide(folder))), S_OK);
    ASSERT_EQ(compass->get_MSAnalysis(&analysis), S_OK);
    ASSERT_TRUE(analysis);
    // The analysis the server reads, callable by the client.
    auto direct = Query<ICompassAnalysis>(analysis.get());
    ASSERT_TRUE(direct);
    ks::Bstr description;
    EXPECT_EQ(direct->get_Description(&description), S_OK);
    EXPECT_EQ(description.str(), L" Tree run ");

    // Late-bound: the property by name through the interface's IDispatch.
    IDispatch* late = compass.get();
    LPOLESTR name = const_cast<LPOLESTR>(L"MSAnalysis");
    DISPID id = 0;
    ASSERT_EQ(late->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant result;
    ASSERT_EQ(late->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    ASSERT_EQ(result.vt, VT_DISPATCH);
    EXPECT_EQ(Query<IUnknown>(result.pdispVal).get(), Query<IUnknown>(analysis.get()).get());

    // A failed open keeps the analysis object; a close releases it.
    EXPECT_EQ(server->Open(ks::Bstr(Wide(folder + "/missing"))), E_FAIL);
    ks::ComPtr<IDispatch> kept;
    EXPECT_EQ(compass->get_MSAnalysis(&kept), S_OK);
    EXPECT_TRUE(kept);
    ks::ComPtr<IKSInjections> injections;
    EXPECT_EQ(server->get_Injections(&injections), E_FAIL);
    ASSERT_EQ(server->Open(ks::Bstr(Wide(folder))), S_OK);
    ASSERT_EQ(server->Close(), S_OK);
    EXPECT_EQ(compass->get_MSAnalysis(&kept), E_POINTER);
}

// Without the stand-in registered, the open answers its creation error.
TEST(CompassComponent, ComponentNotRegistered)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "KSBrukerCompassProvider"}));
    auto server = NewServer();
    EXPECT_EQ(server->Open(ks::Bstr(Wide(TreeFolder("unregistered.d")))), REGDB_E_CLASSNOTREG);
    ks::ComPtr<IDispatch> analysis;
    EXPECT_EQ(Query<IKSBrukerCompassDataServer>(server.get())->get_MSAnalysis(&analysis), E_POINTER);
}

// Dataset access asks the registered data servers in turn: an analysis
// folder and a "psd" spectrometer folder go to this one, a time-of-flight
// folder to the XMASS one; a path inside an analysis folder is opened by
// this one when none claims it, a path that does not exist by none.
TEST(CompassComponent, DataAccessChoosesCompass)
{
    ASSERT_TRUE(ks::test::registerComponents(
        {"KSControls", "KSProviderServer", "CompassAnalysis", "KSBrukerProvider", "KSBrukerCompassProvider"}));
    const std::string plain = TreeFolder("plain.d");
    const std::string psd = TreeFolder("psd");
    ks::test::writeFile(psd + "/SPTYPE", "psd\n");
    Folder("plain.d/inside");
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    const struct {
        std::string path;
        const wchar_t* type;
    } cases[] = {
        {plain, L"KSBrukerCompassProvider"},
        {psd, L"KSBrukerCompassProvider"},
        {plain + "/inside", L"KSBrukerCompassProvider"},
        {ks::test::realData("xmass/openms-XMassFile_test"), L"KSBrukerProvider"},
    };
    for (const auto& c : cases) {
        ks::ComPtr<IKSDataServer> server;
        ASSERT_EQ(access->OpenDataset(ks::Bstr(Wide(c.path)), &server), S_OK) << c.path;
        EXPECT_EQ(TypeOf(server.get()), c.type) << c.path;
    }
    ks::ComPtr<IKSDataServer> none;
    EXPECT_TRUE(FAILED(access->OpenDataset(ks::Bstr(Wide(plain + "/missing")), &none)));
    ks::Bstr path;
    if (none) {
        EXPECT_EQ(none->CurrentDataset(&path), E_FAIL);
    }
}

// The bundled sample: an analysis written by the project's script, and the
// same analysis beside an "SPTYPE" saying "psd".
TEST(CompassComponent, BundledSample)
{
    ASSERT_TRUE(ks::test::registerComponents(
        {"KSControls", "KSProviderServer", "CompassAnalysis", "KSBrukerProvider", "KSBrukerCompassProvider"}));
    const std::string script = std::string(KS_COMPASS_SAMPLES_DIR) + "/make_compass_sample.py";
    const std::string plain = ks::test::tempDir() + "/caffeine-compass.d";
    const std::string psd = ks::test::tempDir() + "/caffeine-psd";
    ASSERT_EQ(ks::test::run({KS_PYTHON3, script, plain}).exitCode, 0);
    ASSERT_EQ(ks::test::run({KS_PYTHON3, script, psd, "--sptype", "psd"}).exitCode, 0);
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    for (const std::string& folder : {plain, psd}) {
        ks::ComPtr<IKSDataServer> server;
        ASSERT_EQ(access->OpenDataset(ks::Bstr(Wide(folder)), &server), S_OK) << folder;
        EXPECT_EQ(TypeOf(server.get()), L"KSBrukerCompassProvider");
        auto function = FirstFunction(server.get());
        ks::Bstr name;
        function->get_Name(&name);
        EXPECT_EQ(name.str(), L"Caffeine, direct infusion");
        LONG count = 0;
        function->get_Count(&count);
        ASSERT_EQ(count, 8);
        CChromatogram tic;
        CKSChromatogram handle(&tic);
        ASSERT_EQ(function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        EXPECT_EQ(std::vector<double>(tic.Times(), tic.Times() + 8), (std::vector<double>{0, 2, 3, 4, 5, 6, 7, 8}));
        std::vector<LONG> polarities;
        std::vector<SHORT> orders;
        for (LONG i = 1; i <= count; ++i) {
            CKSMassSpectrum direct;
            const CMassSpectrum& record = *direct.get();
            ASSERT_EQ(function->get_SpectrumDirect(i, reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
            polarities.push_back(record.GetPolarity());
            orders.push_back(record.GetMSOrder());
        }
        EXPECT_EQ(polarities, (std::vector<LONG>{1, 1, 1, 1, 2, 1, 1, 1}));
        EXPECT_EQ(orders, (std::vector<SHORT>{1, 2, 1, 2, 1, 2, 1, 2}));
    }
}
