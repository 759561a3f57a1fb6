// The KSAgilentProvider component end to end: registration into the test
// case's registry (classes, type library, the provider key the provider
// server writes), the data server created by its ProgID walking fixtures
// and the real folders through the object tree, and dataset access
// choosing the ChemStation data server.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "providertest.h"
#include "readersettings.h"

using namespace agilentfix;
using namespace agilentprov;

namespace {

const wchar_t kProviderKey[] = L"Software\\Kestrom\\Data Services\\{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}";

// The data server, created as a client would: by its ProgID.
ks::ComPtr<IKSDataServer> NewDataServer()
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"KSAgilentProvider.KSLCMSDDataServer", &clsid), S_OK);
    return Create<IKSDataServer>(clsid);
}

MsdFile MsdRun(const std::string& sample, int scans)
{
    MsdFile f;
    f.sampleName = sample;
    for (int i = 0; i < scans; ++i)
        f.scans.push_back(MakeScan(3000 * (i + 1), {{150, static_cast<uint16_t>(1000 + i)}, {151, 0x4100}}));
    f.runEndMs = 3000 * (scans + 1);
    return f;
}

}  // namespace

TEST(AgilentComponent, Registration)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSAgilentProvider"}));
    ExpectRegisteredClass(PROGID_KSLCMSDProvider, CLSID_KSLCMSDProvider);
    ExpectRegisteredClass(PROGID_KSLCMSDDataServer, CLSID_KSLCMSDDataServer);
    EXPECT_EQ(Value(HKEY_CLASSES_ROOT, L"TypeLib\\{2B0B0D9E-7516-495C-8243-90AEFFAE5B02}\\1.0"),
              L"KSAgilentProvider 1.0 Type Library");
    // The children are created by their parents only.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\{275067F5-5502-4C48-9C98-CF5CD93CBD15}"));

    // The provider key the provider server wrote when the provider
    // announced itself.
    const std::wstring key = kProviderKey;
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Class Name"), L"KSAgilentProvider.KSLCMSDProvider");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Menu Name"), L"Agilent ChemStation");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Supplier"), L"Kestrom, Inc.");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Version"), L"1.00");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\Copyright"), L"Copyright (c) Kestrom, Inc.");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\DataServer Class ID"), L"{02e12864-a8c5-4c40-88f9-63bc1d93b96e}");
    EXPECT_EQ(Text(HKEY_CURRENT_USER, key + L"\\File Filter"), L"Agilent ChemStation (*.ms)");
    EXPECT_EQ(Number(HKEY_CURRENT_USER, key, L"Provider Flags"), 4u);

    const ks::test::RunResult r = ks::test::run(
        {std::string(KS_BIN_DIR) + "/ksregsvr", "-u", std::string(KS_LIB_DIR) + "/KSAgilentProvider.so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    CLSID clsid{};
    EXPECT_NE(CLSIDFromProgID(L"KSAgilentProvider.KSLCMSDDataServer", &clsid), S_OK);
}

TEST(AgilentComponent, DataServerTreeOfTwoFunctions)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "KSAgilentProvider"}));
    const std::string folder = Folder("two.D");
    ks::test::writeFile(Join(folder, "MSD1.MS"), BuildMsd(MsdRun("sample one", 3)));
    ks::test::writeFile(Join(folder, "msd2.ms"), BuildMsd(MsdRun("", 2)));
    std::filesystem::create_directories(Join(folder, "RUN.M"));
    ks::test::writeFile(Join(folder, "RUN.M/ACQ.MS"), "Polarity=0\r\nPolarity 2=1\r\n");
    ks::test::writeFile(Join(folder, "ADC1B.ch"), BuildSignal(130, 0, 60000, Blocks({{0x1002, 1, 1}})));

    auto server = NewDataServer();
    ASSERT_TRUE(server);
    LONG valid = 0;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(Wide(folder)), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    ASSERT_EQ(server->Open(ks::Bstr(Wide(folder))), S_OK);
    ks::Bstr type;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    EXPECT_EQ(type.str(), L"KSLCMSDProvider");
    auto three = Query<IKSDataServer3>(server.get());
    ks::Bstr id;
    EXPECT_EQ(three->get_ClassID(&id), S_OK);
    EXPECT_EQ(id.str(), L"{02E12864-A8C5-4C40-88F9-63BC1D93B96E}");

    auto injection = Injection(server.get());
    ASSERT_TRUE(injection);
    const auto functions = Functions(injection.get());
    ASSERT_EQ(functions.size(), 2u);
    EXPECT_EQ(functions[0].name, L"Function 1 (sample one)");
    EXPECT_EQ(functions[1].name, L"Function 2");
    EXPECT_EQ(functions[0].type, FunctionTypeMS);
    EXPECT_EQ(functions[0].polarity, FunctionPolarityPositive);
    EXPECT_EQ(functions[1].polarity, FunctionPolarityNegative);
    EXPECT_EQ(functions[0].count, 3);
    EXPECT_EQ(Values(functions[0].tic), (std::vector<double>{3048, 3049, 3050}));
    EXPECT_EQ(Times(functions[1].tic), (std::vector<double>{0.05, 0.1}));
    EXPECT_EQ(Traces(injection.get()), (std::vector<std::pair<std::wstring, LONG>>{{L"ADC1B", 2}}));

    // A spectrum through a library object.
    ks::ComPtr<IKSFunctions> list;
    injection->get_Functions(&list);
    ks::ComPtr<IKSFunction> second;
    ASSERT_EQ(list->get_Item(2, &second), S_OK);
    ks::ComPtr<IKSMassSpectrum> spectrum;
    ASSERT_EQ(second->get_Spectrum(2, &spectrum), S_OK);
    const Points p = Read(spectrum.get());
    EXPECT_EQ(p.x, (std::vector<double>{150, 151}));
    EXPECT_EQ(p.y, (std::vector<double>{1001, 2048}));
    EXPECT_EQ(p.firstScan, 2);
    LONG polarity = 0;
    spectrum->get_Polarity(&polarity);
    EXPECT_EQ(polarity, FunctionPolarityNegative);
}

// When MSD file 1 does not open, the server answers its error and holds
// nothing open.
TEST(AgilentComponent, DataServerWithoutFileOne)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "KSAgilentProvider"}));
    const std::string folder = Folder("nofile1.D");
    std::string damaged = BuildMsd(MsdRun("one", 2));
    damaged.resize(300);
    ks::test::writeFile(Join(folder, "MSD1.MS"), damaged);
    ks::test::writeFile(Join(folder, "MSD2.MS"), BuildMsd(MsdRun("two", 2)));
    auto server = NewDataServer();
    EXPECT_EQ(server->Open(ks::Bstr(Wide(folder))), E_FAIL);
    ks::ComPtr<IKSInjections> injections;
    EXPECT_EQ(server->get_Injections(&injections), E_FAIL);
}

TEST(AgilentComponent, RealFoldersThroughTheTree)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "KSAgilentProvider"}));
    auto server = NewDataServer();
    ASSERT_TRUE(server);

    // Carotenoid: one function; its TIC is the directory's totals.
    ASSERT_EQ(server->Open(ks::Bstr(Wide(ks::test::realData("chemstation-ms/entab-carotenoid_extract.d")))), S_OK);
    auto injection = Injection(server.get());
    auto functions = Functions(injection.get());
    ASSERT_EQ(functions.size(), 1u);
    EXPECT_EQ(functions[0].name, L"Function 1 (MHL 7M F7)");
    EXPECT_EQ(functions[0].type, FunctionTypeMS);
    EXPECT_EQ(functions[0].polarity, FunctionPolarityPositive);
    EXPECT_EQ(functions[0].count, 2534);
    const std::vector<double> tic = Values(functions[0].tic);
    ASSERT_EQ(tic.size(), 2534u);
    EXPECT_EQ(tic.front(), 13924);
    EXPECT_EQ(tic.back(), 3147);
    double total = 0;
    for (double v : tic)
        total += v;
    EXPECT_EQ(total, 17703817);
    EXPECT_DOUBLE_EQ(Times(functions[0].tic).front(), 4750 / 60000.0);
    EXPECT_TRUE(Traces(injection.get()).empty());

    // The GC SIM file by its file path.
    ASSERT_EQ(server->Open(ks::Bstr(Wide(ks::test::realData("chemstation-ms/rainbow-yellow.D/dataSim.ms")))), S_OK);
    functions = Functions(Injection(server.get()).get());
    ASSERT_EQ(functions.size(), 1u);
    EXPECT_EQ(functions[0].name, L"Function 1");
    EXPECT_EQ(functions[0].count, 1309);

    // Orange: its MSD file and signal file lie in two folders, joined here.
    const std::string joined = Folder("rainbow-orange.D");
    std::filesystem::create_symlink(ks::test::realData("chemstation-ms/rainbow-orange.D/MSD1.MS"),
                                    Join(joined, "MSD1.MS"));
    std::filesystem::create_symlink(ks::test::realData("chemstation-ch/rainbow-orange.D/ADC1A.CH"),
                                    Join(joined, "ADC1A.CH"));
    ASSERT_EQ(server->Open(ks::Bstr(Wide(joined))), S_OK);
    injection = Injection(server.get());
    functions = Functions(injection.get());
    ASSERT_EQ(functions.size(), 1u);
    EXPECT_EQ(functions[0].name, L"Function 1 (blank)");
    EXPECT_EQ(functions[0].count, 469);
    EXPECT_EQ(Traces(injection.get()), (std::vector<std::pair<std::wstring, LONG>>{{L"ADC1A", 1787}}));
}

// Dataset access asks the registered data servers and picks this one.
TEST(AgilentComponent, DataAccessOpensChemStationFolders)
{
    ASSERT_TRUE(ks::test::registerComponents({"KSControls", "KSProviderServer", "KSAgilentProvider"}));
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    for (const char* path : {"chemstation-ms/entab-carotenoid_extract.d", "chemstation-ms/rainbow-yellow.D/dataSim.ms"}) {
        ks::ComPtr<IKSDataServer> server;
        ASSERT_EQ(access->OpenDataset(ks::Bstr(Wide(ks::test::realData(path))), &server), S_OK) << path;
        ks::Bstr type;
        EXPECT_EQ(server->DatasetType(&type), S_OK);
        EXPECT_EQ(type.str(), L"KSLCMSDProvider");
    }
}
