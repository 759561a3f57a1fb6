// The KSTextProvider component end to end: registration announcing the
// provider to the provider server, the data server's object tree over a
// text dataset, stale child indexes after a re-open, and dataset access
// choosing the text provider for the bundled sample.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "kshandles.h"
#include "providertest.h"
#include "textdataserver.h"

using namespace textprov;

namespace {

std::wstring Text(HRESULT (IKSProviderDescription::*get)(BSTR*), IKSProviderDescription* d)
{
    ks::Bstr text;
    EXPECT_EQ((d->*get)(&text), S_OK);
    return text.str();
}

// The description the provider server keeps for the text provider, or
// null.
ks::ComPtr<IKSProviderDescription> TextDescription()
{
    auto server = Create<IKSProviderServer>(CLSID_KSProviderServer);
    if (!server)
        return {};
    LONG count = 0;
    EXPECT_EQ(server->get_Count(&count), S_OK);
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSProviderDescription> d;
        EXPECT_EQ(server->get_Item(i, &d), S_OK);
        if (d && Text(&IKSProviderDescription::get_ClassName, d.get()) == L"KSTextProvider.KSTextProvider")
            return d;
    }
    return {};
}

TEST(TextProviderComponent, RegistrationAnnouncesTheProvider)
{
    Register({"KSProviderServer.so", "KSTextProvider.so"});
    for (const wchar_t* progId : {L"KSTextProvider.KSTextProvider", L"KSTextProvider.KSTextProvider.1",
                                  L"KSTextProvider.KSTextDataServer", L"KSTextProvider.KSTextDataServer.1"}) {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
        EXPECT_TRUE(clsid == (std::wstring(progId).find(L"DataServer") != std::wstring::npos ? CLSID_KSTextDataServer
                                                                                               : CLSID_KSTextProvider));
    }
    for (const wchar_t* key : {L"CLSID\\{127AC576-D36A-11D3-91D9-00400536072C}\\InprocServer32",
                               L"CLSID\\{02A12D80-06F6-46B5-9617-577DD9D135E8}\\InprocServer32"}) {
        std::wstring model;
        EXPECT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT, std::wstring(key) + L"\\ThreadingModel", model));
        EXPECT_EQ(model, L"Apartment");
    }
    auto d = TextDescription();
    ASSERT_TRUE(d);
    EXPECT_EQ(Text(&IKSProviderDescription::get_ClassID, d.get()), L"{127AC576-D36A-11D3-91D9-00400536072C}");
    EXPECT_EQ(Text(&IKSProviderDescription::get_MenuName, d.get()), L"Text File");
    EXPECT_EQ(Text(&IKSProviderDescription::get_Supplier, d.get()), L"Kestrom, Inc.");
    EXPECT_EQ(Text(&IKSProviderDescription::get_Version, d.get()), L"1.00");
    LONG flags = 0;
    EXPECT_EQ(d->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, 3);
    auto d2 = Query<IKSProviderDescription2>(d.get());
    ASSERT_TRUE(d2);
    ks::Bstr server;
    EXPECT_EQ(d2->get_DataServerClassID(&server), S_OK);
    EXPECT_EQ(server.str(), L"{02a12d80-06f6-46b5-9617-577dd9d135e8}");
    auto d3 = Query<IKSProviderDescription3>(d.get());
    if (d3) {
        ks::Bstr filter;
        EXPECT_EQ(d3->get_FilterString(&filter), S_OK);
        EXPECT_EQ(filter.str(), L"");
    }

    const ks::test::RunResult r = ks::test::run(
        {std::string(KS_BIN_DIR) + "/ksregsvr", "-u", std::string(KS_LIB_DIR) + "/KSTextProvider.so"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(TextDescription());
    CLSID clsid{};
    EXPECT_NE(CLSIDFromProgID(L"KSTextProvider.KSTextProvider", &clsid), S_OK);
}

TEST(TextProviderComponent, RegistersWithoutTheProviderServer)
{
    Register({"KSTextProvider.so"});
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"KSTextProvider.KSTextDataServer", &clsid), S_OK);
}

class TextDataServer : public testing::Test {
protected:
    void SetUp() override
    {
        Register({"KSControls.so", "KSTextProvider.so"});
        m_server = Create<IKSDataServer>(CLSID_KSTextDataServer);
        ASSERT_TRUE(m_server);
    }

    ks::ComPtr<IKSFunction> Function()
    {
        ks::ComPtr<IKSInjections> injections;
        EXPECT_EQ(m_server->get_Injections(&injections), S_OK);
        ks::ComPtr<IKSInjection> injection;
        EXPECT_EQ(injections->get_Item(1, &injection), S_OK);
        ks::ComPtr<IKSFunctions> functions;
        EXPECT_EQ(injection->get_Functions(&functions), S_OK);
        ks::ComPtr<IKSFunction> function;
        EXPECT_EQ(functions->get_Item(1, &function), S_OK);
        return function;
    }

    ks::ComPtr<IKSDataServer> m_server;
};

TEST_F(TextDataServer, InterfacesAndType)
{
    ks::ComPtr<IUnknown> p;
    EXPECT_EQ(m_server->QueryInterface(IID_IKSDataServer2, reinterpret_cast<void**>(&p)), E_NOINTERFACE);
    auto three = Query<IKSDataServer3>(m_server.get());
    ASSERT_TRUE(three);
    ks::Bstr id;
    EXPECT_EQ(three->get_ClassID(&id), S_OK);
    EXPECT_EQ(id.str(), L"{02A12D80-06F6-46B5-9617-577DD9D135E8}");
    LONG valid = -1;
    EXPECT_EQ(m_server->IsValidDataset(ks::Bstr(L"/somewhere/RUN.TXT"), &valid), S_OK);
    EXPECT_EQ(valid, 1);
    EXPECT_EQ(m_server->IsValidDataset(ks::Bstr(L"/somewhere/run.txt.gz"), &valid), S_OK);
    EXPECT_EQ(valid, 0);

    ASSERT_EQ(m_server->Open(ks::Bstr(Wide(kSample))), S_OK);
    ks::Bstr type;
    EXPECT_EQ(m_server->DatasetType(&type), S_OK);
    EXPECT_EQ(type.str(), L"KSTextProvider");
    auto function = Function();
    ASSERT_TRUE(function);
    ks::Bstr name;
    EXPECT_EQ(function->get_Name(&name), S_OK);
    EXPECT_EQ(name.str(), L"Function 1");
    LONG count = 0;
    EXPECT_EQ(function->get_Count(&count), S_OK);
    EXPECT_EQ(count, 24);
    // A spectrum by retention time computes the chromatogram first.
    CKSMassSpectrum handle;
    ASSERT_EQ(function->get_SpectrumByRTDirect(0.2, FunctionRTProximityClosest, reinterpret_cast<ULONG_PTR>(&handle)),
              S_OK);
    EXPECT_EQ(handle.GetFirstScan(), 3);
}

// A function taken before a re-open on a smaller dataset keeps its indexes:
// the reader answers from the new file and refuses what it no longer holds.
TEST_F(TextDataServer, ChildOutlivesAReopenOnASmallerDataset)
{
    ASSERT_EQ(m_server->Open(ks::Bstr(Wide(kSample))), S_OK);
    auto function = Function();
    ASSERT_TRUE(function);
    const std::string small = ks::test::tempDir() + "/small.txt";
    ks::test::writeFile(small, "Scan 1, retention time = 1.0\r\n100 1\r\nScan 2, retention time = 2.0\r\n200 2\r\n");
    ASSERT_EQ(m_server->Open(ks::Bstr(Wide(small))), S_OK);
    LONG count = 0;
    EXPECT_EQ(function->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    CKSMassSpectrum handle;
    EXPECT_EQ(function->get_SpectrumDirect(24, reinterpret_cast<ULONG_PTR>(&handle)), DISP_E_BADINDEX);
    ASSERT_EQ(function->get_SpectrumDirect(2, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    ASSERT_EQ(handle.GetCount(), 1);
    EXPECT_EQ(handle.GetMasses()[0], 200);
    ks::ComPtr<IKSChromatogram> tic;
    ASSERT_EQ(function->get_TIC(1, &tic), S_OK);
    LONG points = 0;
    EXPECT_EQ(tic->get_Count(&points), S_OK);
    EXPECT_EQ(points, 2);

    // Closed: the same child reads nothing.
    ASSERT_EQ(m_server->Close(), S_OK);
    EXPECT_EQ(function->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(function->get_SpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), DISP_E_BADINDEX);
}

// Two profile spectra far apart on the m/z axis (one point at an absurd
// m/z is enough) co-add through the tree into a result of about their own
// size: the extension toward the far point is bounded.
TEST_F(TextDataServer, HostileSpectrumRangeEndsInBoundedMemory)
{
    std::string text = "Scan 1, retention time = 1.0\ncontinuum\n";
    for (int i = 0; i < 40; ++i)
        text += std::to_string(1000000 + 0.001 * i) + " " + (i % 4 == 1 ? "7" : "0") + "\n";
    text += "Scan 2, retention time = 2.0\ncontinuum\n1 3\n";
    for (int i = 0; i < 40; ++i)
        text += std::to_string(1000000 + 0.001 * i) + " " + (i % 4 == 1 ? "7" : "0") + "\n";
    text += "1000000000000 5\n";
    const std::string path = ks::test::tempDir() + "/hostile.txt";
    ks::test::writeFile(path, text);
    ASSERT_EQ(m_server->Open(ks::Bstr(Wide(path))), S_OK);
    auto function = Function();
    ASSERT_TRUE(function);
    CKSMassSpectrum handle;
    ASSERT_EQ(function->get_SpectrumRangeDirect(1, 2, 1, 0.1, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_GT(handle.GetCount(), 40);
    EXPECT_LT(handle.GetCount(), 200);
    double sum = 0;
    for (LONG i = 0; i < handle.GetCount(); ++i)
        sum += handle.GetIntensities()[i];
    EXPECT_DOUBLE_EQ(sum, 2 * 70.0 + 8);
    ks::ComPtr<IKSMassSpectrum> object;
    EXPECT_EQ(function->get_SpectrumRange(1, 2, 1, 0.1, &object), S_OK);
}

// The reader itself refuses injection and function indexes other than the
// file's one function, whatever the tree passes.
TEST(TextReaderIndexes, ForeignInjectionAndFunctionIndexes)
{
    CTextDataServerImpl reader;
    ASSERT_EQ(reader.Open(CString(Wide(kSample))), S_OK);
    ASSERT_EQ(reader.SpectrumCount(0, 0), 24);
    CMassSpectrum spectrum;
    CChromatogram chromatogram;
    const int bad[][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& b : bad) {
        EXPECT_EQ(reader.SpectrumCount(b[0], b[1]), 0);
        EXPECT_EQ(reader.Spectrum(b[0], b[1], 0, spectrum), E_FAIL);
        EXPECT_EQ(reader.TIC(true, b[0], b[1], chromatogram), E_FAIL);
        EXPECT_EQ(reader.SpectrumIndexByRT(b[0], b[1], 0.2, FunctionRTProximityClosest), -1);
        EXPECT_EQ(reader.BPC(true, b[0], b[1], chromatogram), S_OK);
        EXPECT_EQ(chromatogram.GetCount(), 0);
        EXPECT_EQ(reader.TraceCount(b[0]), 0);
    }
    // The right ones still work after all that.
    EXPECT_EQ(reader.Spectrum(0, 0, 23, spectrum), S_OK);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 0, 0.2, FunctionRTProximityClosest), 2);
}

// Provider server and text provider registered into the registry: dataset
// access picks the text data server for the sample, and the tree's
// chromatogram is the sum of each spectrum's intensities.
TEST(TextProviderEndToEnd, DataAccessOpensTheSampleWithTheTextProvider)
{
    Register({"KSControls.so", "KSProviderServer.so", "KSTextProvider.so"});
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(access->OpenDataset(ks::Bstr(Wide(kSample)), &server), S_OK);
    ASSERT_TRUE(server);
    auto three = Query<IKSDataServer3>(server.get());
    ASSERT_TRUE(three);
    ks::Bstr id;
    EXPECT_EQ(three->get_ClassID(&id), S_OK);
    EXPECT_EQ(id.str(), L"{02A12D80-06F6-46B5-9617-577DD9D135E8}");
    ks::Bstr current;
    EXPECT_EQ(server->CurrentDataset(&current), S_OK);
    EXPECT_EQ(current.str(), Wide(kSample));

    ks::ComPtr<IKSInjections> injections;
    ASSERT_EQ(server->get_Injections(&injections), S_OK);
    ks::ComPtr<IKSInjection> injection;
    ASSERT_EQ(injections->get_Item(1, &injection), S_OK);
    ks::ComPtr<IKSFunctions> functions;
    ASSERT_EQ(injection->get_Functions(&functions), S_OK);
    ks::ComPtr<IKSFunction> function;
    ASSERT_EQ(functions->get_Item(1, &function), S_OK);
    LONG count = 0;
    ASSERT_EQ(function->get_Count(&count), S_OK);
    ASSERT_EQ(count, 24);

    ks::ComPtr<IKSChromatogram> tic;
    ASSERT_EQ(function->get_TIC(1, &tic), S_OK);
    LONG points = 0;
    ASSERT_EQ(tic->get_Count(&points), S_OK);
    ASSERT_EQ(points, count);
    ks::Variant times;
    ks::Variant sums;
    ASSERT_EQ(tic->get_Times(&times), S_OK);
    ASSERT_EQ(tic->get_Intensities(&sums), S_OK);
    const std::vector<double> t = Doubles(times);
    const std::vector<double> s = Doubles(sums);
    ASSERT_EQ(t.size(), 24u);
    ASSERT_EQ(s.size(), 24u);
    double total = 0;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSMassSpectrum> spectrum;
        ASSERT_EQ(function->get_Spectrum(i, &spectrum), S_OK);
        const Points p = Read(spectrum.get());
        ASSERT_GT(p.count, 0) << i;
        const double sum = std::accumulate(p.intensities.begin(), p.intensities.end(), 0.0);
        EXPECT_EQ(s[i - 1], sum) << i;
        EXPECT_EQ(t[i - 1], p.startRT) << i;
        total += sum;
    }
    EXPECT_GT(total, 0);
}

}  // namespace
