// Raw files written by the virtual MS and UV writers of Ombrel2 (through
// the example program virtualraw, run in the test case's registry) read
// back through the data server and the provider.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavriontest.h"

using namespace tavriontest;

namespace {

class TavrionWrittenFiles : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegisterAll());
        m_ms = ks::test::tempDir() + "/virtual-ms.raw";
        m_uv = ks::test::tempDir() + "/virtual-uv.raw";
        const ks::test::RunResult r = ks::test::run({std::string(KS_BIN_DIR) + "/virtualraw", m_ms, m_uv});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }

    static ks::ComPtr<IKSInjection> Opened(const std::string& path, ks::ComPtr<IKSDataServer>& server)
    {
        auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
        EXPECT_EQ(access->OpenDataset(ks::Bstr(W(path)), &server), S_OK);
        ks::ComPtr<IKSInjections> injections;
        EXPECT_EQ(server->get_Injections(&injections), S_OK);
        ks::ComPtr<IKSInjection> injection;
        EXPECT_EQ(injections->get_Item(1, &injection), S_OK);
        return injection;
    }

    std::string m_ms, m_uv;
};

// Three cycles of a survey (0.1, 0.3, 0.5 minutes) and a dependent MS2 on
// its precursor (0.05 later; 305, 309, 313).
TEST_F(TavrionWrittenFiles, MSRunAsTwoFunctions)
{
    ks::ComPtr<IKSDataServer> server;
    auto injection = Opened(m_ms, server);
    ks::ComPtr<IKSFunctions> functions;
    ASSERT_EQ(injection->get_Functions(&functions), S_OK);
    LONG count = 0;
    EXPECT_EQ(functions->get_Count(&count), S_OK);
    ASSERT_EQ(count, 2);
    struct Expected {
        const wchar_t* name;
        FunctionType type;
        std::vector<double> times;
        std::vector<double> precursors;
    } expected[] = {
        {L"+ c ESI d Full ms2  [100.00-310.00]", FunctionTypeMSn, {0.15, 0.35, 0.55}, {305.0, 309.0, 313.0}},
        {L"+ p ESI Full ms [300.00-320.00]", FunctionTypeMS, {0.1, 0.3, 0.5}, {}},
    };
    for (LONG f = 1; f <= 2; ++f) {
        const Expected& e = expected[f - 1];
        ks::ComPtr<IKSFunction> function;
        ASSERT_EQ(functions->get_Item(f, &function), S_OK);
        ks::Bstr name;
        function->get_Name(&name);
        EXPECT_EQ(name.str(), e.name);
        FunctionType type = FunctionTypeUnknown;
        function->get_Type(&type);
        EXPECT_EQ(type, e.type);
        LONG spectra = 0;
        function->get_Count(&spectra);
        ASSERT_EQ(spectra, 3);
        CChromatogram tic;
        CKSChromatogram handle(&tic);
        ASSERT_EQ(function->get_TICDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        ASSERT_EQ(tic.GetCount(), 3);
        for (LONG i = 1; i <= 3; ++i) {
            EXPECT_NEAR(Times(tic)[size_t(i - 1)], e.times[size_t(i - 1)], 1e-12);
            CKSMassSpectrum spectrum;
            ASSERT_EQ(function->get_SpectrumDirect(i, reinterpret_cast<ULONG_PTR>(&spectrum)), S_OK);
            const CMassSpectrum& s = *spectrum.get();
            EXPECT_EQ(s.GetFirstScan(), i);
            EXPECT_NEAR(s.GetStartRT(), e.times[size_t(i - 1)], 1e-12);
            double sum = 0;
            for (LONG k = 0; k < s.GetCount(); ++k)
                sum += s.Intensities()[k];
            EXPECT_NEAR(sum, Values(tic)[size_t(i - 1)], 1e-9 * sum);
            if (!e.precursors.empty()) {
                EXPECT_DOUBLE_EQ(s.GetPrecursorMZ(2), e.precursors[size_t(i - 1)]);
            }
        }
    }

    // The provider's view of the same file: raw scans 1 to 6.
    auto reader = Create<IKSMSDatasetReader>(CLSID_KSTavrionProvider);
    ks::ComPtr<IKSMSDataset> dataset;
    ASSERT_EQ(reader->ReadDataset(ks::Bstr(MakeTavrionDataSource(W(m_ms))), &dataset), S_OK);
    LONG scans = 0;
    EXPECT_EQ(dataset->get_BaseSpectrumCount(&scans), S_OK);
    EXPECT_EQ(scans, 6);
    auto types = Query<IKSTavrionDataset>(dataset.get());
    VARIANT_BOOL dependent = VARIANT_FALSE, full = VARIANT_FALSE;
    EXPECT_EQ(types->get_IsDependentScan(2, &dependent), S_OK);
    EXPECT_EQ(dependent, VARIANT_TRUE);
    EXPECT_EQ(types->get_IsFullScan(1, &full), S_OK);
    EXPECT_EQ(full, VARIANT_TRUE);
    VARIANT_BOOL traces = VARIANT_TRUE;
    EXPECT_EQ(dataset->get_HasTraces(&traces), S_OK);
    EXPECT_EQ(traces, VARIANT_FALSE);
}

TEST_F(TavrionWrittenFiles, UVRunAsTraces)
{
    ks::ComPtr<IKSDataServer> server;
    auto injection = Opened(m_uv, server);
    ks::ComPtr<IKSFunctions> functions;
    ASSERT_EQ(injection->get_Functions(&functions), S_OK);
    LONG count = -1;
    EXPECT_EQ(functions->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    ks::ComPtr<IKSTraces> traces;
    ASSERT_EQ(injection->get_Traces(&traces), S_OK);
    EXPECT_EQ(traces->get_Count(&count), S_OK);
    ASSERT_EQ(count, 2);
    const wchar_t* names[] = {L"254 nm", L"280 nm"};
    for (LONG t = 1; t <= 2; ++t) {
        ks::ComPtr<IKSTrace> trace;
        ASSERT_EQ(traces->get_Item(t, &trace), S_OK);
        ks::Bstr name;
        trace->get_Name(&name);
        EXPECT_EQ(name.str(), names[t - 1]);
        CChromatogram c;
        CKSChromatogram handle(&c);
        ASSERT_EQ(trace->get_ChromatogramDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        EXPECT_EQ(c.GetCount(), 40);
    }
}

}  // namespace
