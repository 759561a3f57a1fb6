// The KSBrukerProvider component end to end: the data server's object
// tree, and dataset access choosing the XMASS data server for the real
// time-of-flight experiment.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "brukertest.h"
#include "ksbrukerprovider.h"
#include "providertest.h"

using namespace xmass;

namespace {

class BrukerComponent : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSControls", "KSBrukerProvider"}));
    }
};

ks::ComPtr<IKSFunctions> Functions(IKSDataServer* server)
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
    return functions;
}

ks::ComPtr<IKSFunction> Function(IKSFunctions* functions, LONG index)
{
    ks::ComPtr<IKSFunction> function;
    EXPECT_EQ(functions->get_Item(index, &function), S_OK);
    return function;
}

// What a client sees of an open dataset: its type and, per function, the
// name, type, MS/MS type and number of spectra.
struct Listing {
    std::wstring type;
    std::vector<std::wstring> names;
    std::vector<FunctionType> types;
    std::vector<FunctionMSMSType> msms;
    std::vector<LONG> counts;
};

Listing Describe(IKSDataServer* server)
{
    Listing tree;
    ks::Bstr type;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    tree.type = type.str();
    auto functions = Functions(server);
    LONG count = 0;
    EXPECT_EQ(functions->get_Count(&count), S_OK);
    for (LONG f = 1; f <= count; ++f) {
        auto function = Function(functions.get(), f);
        ks::Bstr name;
        FunctionType ft = FunctionTypeUnknown;
        FunctionMSMSType msms = FunctionMSMSTypeNone;
        LONG spectra = -1;
        EXPECT_EQ(function->get_Name(&name), S_OK);
        EXPECT_EQ(function->get_Type(&ft), S_OK);
        EXPECT_EQ(function->get_MSMSType(&msms), S_OK);
        EXPECT_EQ(function->get_Count(&spectra), S_OK);
        tree.names.push_back(name.str());
        tree.types.push_back(ft);
        tree.msms.push_back(msms);
        tree.counts.push_back(spectra);
    }
    return tree;
}

TEST_F(BrukerComponent, DataServerTree)
{
    const Tree t = StandardDataset();
    auto server = Create<IKSDataServer>(CLSID_KSBrukerDataServer);
    ASSERT_TRUE(server);
    LONG valid = -1;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(t.WRoot()), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(t.WPath("1/pdata/1/1r")), &valid), S_OK);
    EXPECT_EQ(valid, 0);
    ASSERT_EQ(server->Open(ks::Bstr(t.WPath("2/pdata/1"))), S_OK);
    const Listing two = Describe(server.get());
    EXPECT_EQ(two.type, L"KSBrukerProvider");
    EXPECT_EQ(two.names, std::vector<std::wstring>{L"2:  2024-01-03 10:00:00"});
    EXPECT_EQ(two.types, std::vector<FunctionType>{FunctionTypeMSn});
    EXPECT_EQ(two.msms, std::vector<FunctionMSMSType>{FunctionMSMSTypeProduct});

    ASSERT_EQ(server->Open(ks::Bstr(t.WRoot())), S_OK);
    EXPECT_EQ(Describe(server.get()).counts, (std::vector<LONG>{1, 1, 3, 1}));
    auto functions = Functions(server.get());
    auto series = Function(functions.get(), 3);
    CKSMassSpectrum spectrum;
    ASSERT_EQ(series->get_SpectrumByRTDirect(2.1 / 60, FunctionRTProximityClosest,
                                             reinterpret_cast<ULONG_PTR>(&spectrum)),
              S_OK);
    EXPECT_EQ(Read(spectrum).intensity, (std::vector<double>{11, 12, 13, 14}));
    ks::ComPtr<IKSChromatogram> tic;
    EXPECT_EQ(series->get_TIC(0, &tic), CO_E_NOT_SUPPORTED);
    EXPECT_EQ(series->get_TIC(1, &tic), S_OK);
    ASSERT_EQ(Function(functions.get(), 1)->get_SpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&spectrum)), S_OK);
    EXPECT_EQ(Read(spectrum).intensity, (std::vector<double>{10, 20, 30, 40}));

    EXPECT_EQ(server->Open(ks::Bstr(t.WPath("3"))), E_FAIL);  // no processing
    EXPECT_EQ(server->Open(ks::Bstr(t.WPath("2/fdi"))), E_FAIL);
}

TEST_F(BrukerComponent, DatasetAccessRefusesAMissingPathInsideADataset)
{
    const Tree t = StandardDataset();
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(access->OpenDataset(ks::Bstr(t.WPath("2/fid")), &server), S_OK);
    ks::Bstr type;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    EXPECT_EQ(type.str(), L"KSBrukerProvider");
    server = nullptr;
    // Without the refusal a parent folder's dataset would be handed out for
    // a path that does not exist.
    const HRESULT hr = access->OpenDataset(ks::Bstr(t.WPath("2/fdi")), &server);
    EXPECT_TRUE(FAILED(hr));
}

// Dataset access asks every data server to open a path none accepted: only
// paths inside an experiment may open the XMASS dataset around them, never
// a file or folder beside it (which would show another dataset's spectra
// under its name).
TEST_F(BrukerComponent, DatasetAccessOpensOnlyPathsInsideAnExperiment)
{
    Tree projects("projects");
    projects.Experiment("run1", {{"$TD", "4"}, {"$BYTORDA", "0"}}, "icr", Int32s({1, 2, 3, 4}));
    projects.Processing("run1", "1", {{"$SI", "4"}, {"$BYTORDP", "0"}}, "", Int32s({5, 6, 7, 8}));
    projects.File("notes/2024/minutes.doc", "minutes");
    const std::string flex =
        ks::test::realData("xmass/readBrukerFlexData-2010_05_19_Gibb_C8_A1/0_A1/1/1SLin");
    const struct {
        const char* name;
        std::string path;
        bool opens;
    } cases[] = {
        {"the experiment", projects.Path("run1"), true},
        {"its processed data", projects.Path("run1/pdata/1/1r"), true},
        {"a sibling folder", projects.Path("notes"), false},
        {"a file two folders beside", projects.Path("notes/2024/minutes.doc"), false},
        {"a flex fid (acqu, no acqus) four folders below another dataset", flex + "/fid", false},
        {"its folder", flex, false},
    };
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    for (const auto& c : cases) {
        ks::ComPtr<IKSDataServer> server;
        const HRESULT hr = access->OpenDataset(ks::Bstr(W(c.path)), &server);
        EXPECT_EQ(SUCCEEDED(hr), c.opens) << c.name;
        if (c.opens)
            EXPECT_EQ(Describe(server.get()).names, std::vector<std::wstring>{L"run1:  "}) << c.name;
    }
}

TEST_F(BrukerComponent, RealTimeOfFlightExperimentThroughDatasetAccess)
{
    const std::string path = ks::test::realData("xmass/openms-XMassFile_test");
    std::vector<std::pair<double, double>> expected;
    {
        std::ifstream in(ks::test::realData("xmass/openms-XMassFile_test_data.txt"));
        double mz = 0, intensity = 0;
        char comma = 0;
        while (in >> mz >> comma >> intensity)
            expected.emplace_back(mz, intensity);
    }
    ASSERT_EQ(expected.size(), 80478u);

    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(access->OpenDataset(ks::Bstr(W(path)), &server), S_OK);
    const Listing tree = Describe(server.get());
    EXPECT_EQ(tree.type, L"KSBrukerProvider");
    EXPECT_EQ(tree.names, std::vector<std::wstring>{L"openms-XMassFile_test:  2009-10-21 12:51:09"});
    EXPECT_EQ(tree.types, std::vector<FunctionType>{FunctionTypeMS});
    EXPECT_EQ(tree.counts, std::vector<LONG>{1});
    auto function = Function(Functions(server.get()).get(), 1);

    CKSMassSpectrum spectrum;
    ASSERT_EQ(function->get_SpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&spectrum)), S_OK);
    const Points p = Read(spectrum);
    ASSERT_EQ(p.mz.size(), expected.size());
    double largest = 0;
    for (size_t i = 0; i < p.mz.size(); ++i) {
        largest = std::max(largest, std::fabs(p.mz[i] - expected[i].first));
        ASSERT_EQ(p.intensity[i], expected[i].second) << i;
    }
    EXPECT_LT(largest, 5e-4);
}

}  // namespace
