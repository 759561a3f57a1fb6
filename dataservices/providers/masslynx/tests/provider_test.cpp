// The KSMLProvider_4_1 component, registered with the MassLynx stand-in,
// the spectrum-object library and the provider server into the test
// case's registry: registration and description, the spectrum reader and
// the dataset reader (the browse through UTIL32 answered by the scripted
// runner), the dataset over the current function, scan information, the
// data server's tree and dataset access.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "kscomtest.h"
#include "kscontract.h"
#include "ksdialogrunner.h"
#include "kshandles.h"
#include "ksmlprovider.h"
#include "kstest.h"
#include "masslynxfixture.h"
#include "masslynxformat.h"
#include "readersettings.h"
#include "util32.h"

using ks::test::Create;
using ks::test::Doubles;
using ks::test::Query;
using ks::dialogs::ScriptedDialogRunner;
using namespace mlfixture;

namespace {

const wchar_t kProviderKey[] = L"Software\\Kestrom\\Data Services\\{68A5DFF5-D9A4-11D3-9B79-00D0B7069669}";
const wchar_t kSourcePathKey[] =
    L"Software\\Kestrom\\Data Services\\{68A5DFF5-D9A4-11D3-9B79-00D0B7069669}\\Applications\\KSMLProvider_4_1\\"
    L"Source Path";

std::wstring W(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::wstring RegText(HKEY root, const std::wstring& path)
{
    std::wstring text;
    EXPECT_TRUE(ReadRegistryText(root, path, text));
    return text;
}

// What a spectrum object or handle holds.
struct Points {
    LONG count = -1;
    std::vector<double> x;
    std::vector<double> y;
    bool centroid = true;
    double startRT = -1;
    double endRT = -1;
    LONG firstScan = -1;
    LONG lastScan = -1;
    LONG polarity = -1;
};

Points ReadObject(IKSMassSpectrum* spectrum)
{
    Points p;
    spectrum->get_Count(&p.count);
    ks::Variant masses, intensities;
    spectrum->get_Masses(&masses);
    spectrum->get_Intensities(&intensities);
    p.x = Doubles(masses);
    p.y = Doubles(intensities);
    VARIANT_BOOL centroid = VARIANT_TRUE;
    spectrum->get_Centroid(&centroid);
    p.centroid = centroid != VARIANT_FALSE;
    if (auto two = Query<IKSMassSpectrum2>(spectrum)) {
        two->get_StartRT(&p.startRT);
        two->get_EndRT(&p.endRT);
        two->get_FirstScan(&p.firstScan);
        two->get_LastScan(&p.lastScan);
        two->get_Polarity(&p.polarity);
    }
    return p;
}

Points ReadHandle(const CKSMassSpectrum& handle)
{
    Points p;
    const CMassSpectrum* s = handle.get();
    p.count = s->GetCount();
    if (p.count > 0) {
        p.x.assign(s->Masses(), s->Masses() + p.count);
        p.y.assign(s->Intensities(), s->Intensities() + p.count);
    }
    p.centroid = s->IsCentroid();
    p.startRT = s->GetStartRT();
    p.endRT = s->GetEndRT();
    p.firstScan = s->GetFirstScan();
    p.lastScan = s->GetLastScan();
    p.polarity = s->GetPolarity();
    return p;
}

ULONG_PTR Address(CKSMassSpectrum& handle)
{
    return reinterpret_cast<ULONG_PTR>(&handle);
}

// Injection 1 of an open data server; null when it cannot be had.
ks::ComPtr<IKSInjection> FirstInjection(IKSDataServer* server)
{
    ks::ComPtr<IKSInjections> injections;
    ks::ComPtr<IKSInjection> injection;
    EXPECT_EQ(server->get_Injections(&injections), S_OK);
    if (injections) {
        EXPECT_EQ(injections->get_Item(1, &injection), S_OK);
    }
    return injection;
}

// The names of an injection's functions, from 1.
std::vector<std::wstring> FunctionNames(IKSInjection* injection)
{
    std::vector<std::wstring> names;
    ks::ComPtr<IKSFunctions> functions;
    LONG count = 0;
    EXPECT_EQ(injection->get_Functions(&functions), S_OK);
    if (!functions || FAILED(functions->get_Count(&count)))
        return names;
    for (LONG i = 1; i <= count; ++i) {
        ks::ComPtr<IKSFunction> function;
        ks::Bstr name;
        EXPECT_EQ(functions->get_Item(i, &function), S_OK);
        if (function) {
            EXPECT_EQ(function->get_Name(&name), S_OK);
        }
        names.push_back(name.str());
    }
    return names;
}

class MassLynxProvider : public testing::Test {
protected:
    void SetUp() override
    {
        // The ChemStation provider too, for dataset access: one registration
        // serves every case.
        ASSERT_TRUE(ks::test::registerComponents(
            {"KSProviderServer", "KSControls", "MassLynxRaw", "KSMLProvider_4_1", "KSAgilentProvider"}));
        m_folder = ks::test::tempDir() + "/data";
        m_raw = WriteRaw(m_folder + "/Run.raw", StandardRun(), StandardHeader());
        m_provider = Create<IKSDataProvider>(CLSID_KSMLProvider);
        ASSERT_TRUE(m_provider);
        m_reader = Query<IKSMSDatasetReader>(m_provider.get());
        m_spectra = Query<IKSSpectrumReader2>(m_provider.get());
        ASSERT_TRUE(m_reader && m_spectra);
    }

    std::wstring Description()
    {
        ks::Bstr text;
        EXPECT_EQ(m_reader->get_DataSourceDescription(&text), S_OK);
        return text.str();
    }

    std::wstring Path()
    {
        ks::Bstr path;
        EXPECT_EQ(m_provider->get_Path(&path), S_OK);
        return path.str();
    }

    ks::ComPtr<IKSMSDataset2> Dataset(LONG function)
    {
        ks::ComPtr<IKSMSDataset> dataset;
        EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(MakeMassLynxDataSource(W(m_raw), function)), &dataset), S_OK);
        return Query<IKSMSDataset2>(dataset.get());
    }

    ks::ComPtr<IKSMassSpectrum> NewSpectrum() { return Create<IKSMassSpectrum>(CLSID_KSMassSpectrum); }

    std::string m_folder;
    std::string m_raw;
    ks::ComPtr<IKSDataProvider> m_provider;
    ks::ComPtr<IKSMSDatasetReader> m_reader;
    ks::ComPtr<IKSSpectrumReader2> m_spectra;
};

}  // namespace

TEST_F(MassLynxProvider, DescribesAndRegistersItself)
{
    const struct {
        HRESULT (IKSDataProvider::*get)(BSTR*);
        const wchar_t* expected;
    } texts[] = {
        {&IKSDataProvider::get_ClassID, L"{68A5DFF5-D9A4-11D3-9B79-00D0B7069669}"},
        {&IKSDataProvider::get_ClassName, L"KSMLProvider.KSMLProvider"},
        {&IKSDataProvider::get_MenuName, L"MassLynx"},
        {&IKSDataProvider::get_Supplier, L"Kestrom, Inc."},
        {&IKSDataProvider::get_Version, L"1.00"},
        {&IKSDataProvider::get_Path, L""},
    };
    for (const auto& t : texts) {
        ks::Bstr value;
        EXPECT_EQ((m_provider.get()->*t.get)(&value), S_OK);
        EXPECT_EQ(value.str(), t.expected);
    }
    ks::Bstr copyright, server, filter;
    EXPECT_EQ(m_provider->get_Copyright(&copyright), S_OK);
    EXPECT_FALSE(copyright.empty());
    LONG flags = 0;
    EXPECT_EQ(m_provider->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, 5);
    EXPECT_EQ(Query<IKSDataProvider2>(m_provider.get())->get_DataServerClassID(&server), S_OK);
    EXPECT_EQ(server.str(), L"{9e2ea952-4c83-489b-8e0b-a0ffedd70ca2}");
    EXPECT_EQ(Query<IKSDataProvider3>(m_provider.get())->get_FilterString(&filter), S_OK);
    EXPECT_EQ(filter.str(), L"Waters MassLynx (*.dat *.idx *.inf)");
    EXPECT_EQ(Description(), L"");

    // Both services; each is the provider object itself.
    for (const wchar_t* name : {L"KSSpectrumReader", L"KSMSDatasetReader"}) {
        VARIANT_BOOL supported = VARIANT_FALSE;
        EXPECT_EQ(m_provider->SupportsService(ks::Bstr(name), &supported), S_OK);
        EXPECT_EQ(supported, VARIANT_TRUE);
        ks::ComPtr<IDispatch> service;
        EXPECT_EQ(m_provider->GetService(ks::Bstr(name), &service), S_OK);
        EXPECT_EQ(Query<IUnknown>(service.get()).get(), Query<IUnknown>(m_provider.get()).get());
    }
    // The interfaces it answers, one pointer for each pair.
    EXPECT_TRUE(Query<IKSMLProvider>(m_provider.get()));
    EXPECT_TRUE(Query<IKSScanInfoProvider>(m_provider.get()));
    EXPECT_EQ(static_cast<IKSSpectrumReader*>(Query<IKSSpectrumReader2>(m_provider.get()).get()),
              Query<IKSSpectrumReader>(m_provider.get()).get());
    EXPECT_EQ(static_cast<IKSMSDataset*>(Query<IKSMSDataset2>(m_provider.get()).get()),
              Query<IKSMSDataset>(m_provider.get()).get());
    EXPECT_EQ(Query<IDispatch>(m_provider.get()).get(),
              static_cast<IDispatch*>(Query<IKSMLProvider>(m_provider.get()).get()));
    EXPECT_FALSE(Query<IKSSpectrumWriter>(m_provider.get()));
    EXPECT_FALSE(Query<IKSMSDataset3>(m_provider.get()));

    for (const auto& [progId, clsid] : std::vector<std::pair<const wchar_t*, CLSID>>{
             {L"KSMLProvider.KSMLProvider", CLSID_KSMLProvider},
             {L"KSMLProvider.KSMLProvider.1", CLSID_KSMLProvider},
             {L"KSMLProvider.KSMLDataServer", CLSID_KSMLDataServer},
             {L"KSMLProvider.KSMLDataServer.1", CLSID_KSMLDataServer}}) {
        CLSID found{};
        EXPECT_EQ(CLSIDFromProgID(progId, &found), S_OK);
        EXPECT_TRUE(found == clsid);
    }
    for (const wchar_t* clsid :
         {L"{68A5DFF5-D9A4-11D3-9B79-00D0B7069669}", L"{9E2EA952-4C83-489B-8E0B-A0FFEDD70CA2}"}) {
        EXPECT_EQ(RegText(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32\\ThreadingModel"),
                  L"Apartment");
    }
    // The provider server lists it.
    const std::wstring key = kProviderKey;
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, key + L"\\Menu Name"), L"MassLynx");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, key + L"\\Class Name"), L"KSMLProvider.KSMLProvider");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, key + L"\\DataServer Class ID"), L"{9e2ea952-4c83-489b-8e0b-a0ffedd70ca2}");
}

TEST_F(MassLynxProvider, ReadDatasetOpensTheFunctionOfTheDataSource)
{
    auto ds = Dataset(2);
    ASSERT_TRUE(ds);
    EXPECT_EQ(Description(), MakeMassLynxDataSource(W(m_raw), 2));
    EXPECT_EQ(Path(), W(m_raw));
    std::wstring setting;
    EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, kSourcePathKey, setting));
    EXPECT_EQ(setting, W(m_raw));

    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_EQ(ds->get_HasTIC(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    for (auto get : {&IKSMSDataset::get_HasBaseSpectra, &IKSMSDataset::get_HasAuxiliarySpectra,
                     &IKSMSDataset::get_SupportsMassChromatograms, &IKSMSDataset::get_HasTraces}) {
        flag = VARIANT_TRUE;
        EXPECT_EQ((ds.get()->*get)(&flag), S_OK);
        EXPECT_EQ(flag, VARIANT_FALSE);
    }
    LONG count = -1;
    EXPECT_EQ(ds->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(ds->get_AuxiliarySpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ds->get_TraceCount(&count), S_OK);
    EXPECT_EQ(count, 3);

    // Scan 1 of function 2: from 100 on, negative.
    auto spectrum = NewSpectrum();
    ASSERT_EQ(ds->GetBaseSpectrum(1, spectrum.get()), S_OK);
    Points p = ReadObject(spectrum.get());
    EXPECT_EQ(p.x, (std::vector<double>{100, 101}));
    EXPECT_EQ(p.y, (std::vector<double>{3, 4}));
    EXPECT_EQ(p.polarity, FunctionPolarityNegative);
    EXPECT_EQ(p.firstScan, 1);
    CKSMassSpectrum handle;
    ASSERT_EQ(ds->GetBaseSpectrumDirect(2, Address(handle)), S_OK);
    EXPECT_EQ(ReadHandle(handle).x, (std::vector<double>{110, 120}));

    // A data source without its function field, of another provider, of a
    // function or directory that does not exist, or whose manifest is damaged.
    const std::string damaged = WriteRaw(m_folder + "/Damaged.raw", StandardRun(), StandardHeader());
    ks::test::writeFile(damaged + "/_manifest.txt", "ks-masslynx-raw 1\n[scan]\n");
    for (const std::wstring& bad : {MakeMassLynxDataSource(W(damaged), 1),L"KSMLProvider.KSMLProvider; " + W(m_raw), MakeMassLynxDataSource(W(m_raw), 3),
                                    MakeMassLynxDataSource(W(m_folder + "/missing.raw"), 1),
                                    L"KSTextProvider.KSTextProvider; " + W(m_raw) + L"; Function: 1"}) {
        ks::ComPtr<IKSMSDataset> dataset;
        EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(bad), &dataset), E_ACCESSDENIED);
        EXPECT_FALSE(dataset);
    }
    EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(L"x"), nullptr), E_POINTER);
    EXPECT_EQ(m_reader->get_DataSourceDescription(nullptr), E_POINTER);
}

TEST_F(MassLynxProvider, BaseSpectraAndRanges)
{
    auto ds = Dataset(1);
    ASSERT_TRUE(ds);
    auto spectrum = NewSpectrum();
    // (3, 3): scan 3 alone.
    ASSERT_EQ(ds->GetBaseSpectrumRange(3, 3, spectrum.get()), S_OK);
    Points p = ReadObject(spectrum.get());
    EXPECT_EQ(p.x, (std::vector<double>{102, 152, 202}));
    EXPECT_EQ(p.firstScan, 3);
    EXPECT_EQ(p.lastScan, 3);
    EXPECT_FLOAT_EQ(static_cast<float>(p.startRT), 0.3f);
    EXPECT_EQ(p.startRT, p.endRT);
    EXPECT_FALSE(p.centroid);

    // (1, 2): co-added within 0.1 Da, times from the first to the last scan.
    CKSMassSpectrum handle;
    ASSERT_EQ(ds->GetBaseSpectrumRangeDirect(1, 2, Address(handle)), S_OK);
    p = ReadHandle(handle);
    EXPECT_EQ(p.firstScan, 1);
    EXPECT_EQ(p.lastScan, 2);
    EXPECT_FLOAT_EQ(static_cast<float>(p.startRT), 0.1f);
    EXPECT_FLOAT_EQ(static_cast<float>(p.endRT), 0.2f);
    double total = 0;
    for (double y : p.y)
        total += y;
    EXPECT_DOUBLE_EQ(total, 60 + 63);
    EXPECT_EQ(Description(), MakeMassLynxDataSource(W(m_raw), 1));

    const struct {
        LONG start, end;
    } bad[] = {{0, 1}, {2, 1}, {1, 4}, {4, 4}, {-1, -1}};
    for (const auto& b : bad) {
        EXPECT_EQ(ds->GetBaseSpectrumRange(b.start, b.end, spectrum.get()), E_INVALIDARG) << b.start << b.end;
        EXPECT_EQ(ds->GetBaseSpectrumRangeDirect(b.start, b.end, Address(handle)), E_INVALIDARG);
    }
    for (LONG index : {0, 4})
        EXPECT_EQ(ds->GetBaseSpectrum(index, spectrum.get()), E_INVALIDARG);
    EXPECT_EQ(ds->GetBaseSpectrum(1, nullptr), E_POINTER);
    EXPECT_EQ(ds->GetBaseSpectrumDirect(1, 0), E_POINTER);
    EXPECT_EQ(ds->GetBaseSpectrumRange(1, 1, nullptr), E_POINTER);
    EXPECT_EQ(ds->GetBaseSpectrumRangeDirect(1, 1, 0), E_POINTER);
    // An object without the spectrum interface: the query's answer.
    auto notSpectrum = Query<IDispatch>(m_provider.get());
    EXPECT_EQ(ds->GetBaseSpectrum(1, notSpectrum.get()), E_NOINTERFACE);
}

TEST_F(MassLynxProvider, ChromatogramsAndTraces)
{
    auto ds = Dataset(1);
    ASSERT_TRUE(ds);
    auto object = NewSpectrum();
    ASSERT_EQ(ds->GetTIC(object.get()), S_OK);
    Points p = ReadObject(object.get());
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.y, (std::vector<double>{60, 63, 66}));
    EXPECT_FLOAT_EQ(static_cast<float>(p.x[1]), 0.2f);
    EXPECT_FALSE(p.centroid);
    CKSMassSpectrum handle;
    ASSERT_EQ(ds->GetTICDirect(Address(handle)), S_OK);
    EXPECT_EQ(ReadHandle(handle).y, (std::vector<double>{60, 63, 66}));
    EXPECT_FALSE(ReadHandle(handle).centroid);

    // Traces from 1: two analog channels, then the diode array's TIC.
    const std::vector<std::vector<double>> traces = {{5, 6, 7}, {50, 60}, {1900, 2050}};
    for (LONG t = 1; t <= 3; ++t) {
        ASSERT_EQ(ds->GetTrace(t, object.get()), S_OK) << t;
        EXPECT_EQ(ReadObject(object.get()).y, traces[static_cast<size_t>(t - 1)]);
        CKSMassSpectrum h;
        ASSERT_EQ(ds->GetTraceDirect(t, Address(h)), S_OK) << t;
        EXPECT_EQ(ReadHandle(h).y, traces[static_cast<size_t>(t - 1)]);
    }
    for (LONG t : {0, 4}) {
        EXPECT_EQ(ds->GetTrace(t, object.get()), E_FAIL);
        EXPECT_EQ(ds->GetTraceDirect(t, Address(handle)), E_FAIL);
    }
    EXPECT_EQ(ds->GetTIC(nullptr), E_POINTER);
    EXPECT_EQ(ds->GetTICDirect(0), E_POINTER);
    EXPECT_EQ(ds->GetTrace(1, nullptr), E_POINTER);
    EXPECT_EQ(ds->GetTraceDirect(1, 0), E_POINTER);

    // What is not offered.
    EXPECT_EQ(ds->GetAuxiliarySpectrum(1, object.get()), E_INVALIDARG);
    EXPECT_EQ(ds->GetAuxiliarySpectrumDirect(1, Address(handle)), E_INVALIDARG);
    EXPECT_EQ(ds->GetAuxiliarySpectrum(1, nullptr), E_POINTER);
    EXPECT_EQ(ds->GetAuxiliarySpectrumRange(1, 2, object.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetAuxiliarySpectrumRangeDirect(1, 2, Address(handle)), E_NOTIMPL);
    EXPECT_EQ(ds->GetBasePeakChromatogram(object.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetBasePeakChromatogramDirect(Address(handle)), E_NOTIMPL);
    EXPECT_EQ(ds->GetBasePeakChromatogram(nullptr), E_POINTER);
}

// Mend: scan and interscan times answer 0.0.
TEST_F(MassLynxProvider, ScanInformation)
{
    auto info = Query<IKSScanInfoProvider>(m_provider.get());
    ASSERT_TRUE(info);
    for (int round = 0; round < 2; ++round) {
        DatasetScanInfoType type = DatasetScanInfoTypeContinuous;
        EXPECT_EQ(info->GetScanType(&type), S_OK);
        EXPECT_EQ(type, DatasetScanInfoTypeLinear);
        for (auto get : {&IKSScanInfoProvider::GetScanTime, &IKSScanInfoProvider::GetScanStartMass,
                         &IKSScanInfoProvider::GetScanEndMass, &IKSScanInfoProvider::GetInterscanTime}) {
            double value = -1;
            EXPECT_EQ((info.get()->*get)(&value), S_OK);
            EXPECT_EQ(value, 0.0);
            EXPECT_EQ((info.get()->*get)(nullptr), E_POINTER);
        }
        // The same after a scan was read.
        ASSERT_TRUE(Dataset(1));
        auto spectrum = NewSpectrum();
        ASSERT_EQ(Query<IKSMSDataset>(m_provider.get())->GetBaseSpectrum(2, spectrum.get()), S_OK);
    }
}

// Mend: a data-source string alone reads scan 1; a "; <scan text>" field
// names another scan.
TEST_F(MassLynxProvider, ReadSpectrumFromADataSource)
{
    auto object = NewSpectrum();
    const std::wstring source = MakeMassLynxDataSource(W(m_raw), 2);
    ASSERT_EQ(m_spectra->ReadSpectrum(ks::Bstr(source), object.get()), S_OK);
    Points p = ReadObject(object.get());
    EXPECT_EQ(p.x, (std::vector<double>{100, 101}));
    EXPECT_EQ(p.firstScan, 1);
    EXPECT_EQ(Description(), source + L";  1");
    EXPECT_EQ(Path(), W(m_raw));

    // The description of a read names its scan, and reads it again.
    CKSMassSpectrum handle;
    ASSERT_EQ(m_spectra->ReadSpectrumDirect(ks::Bstr(source + L"; History: 3"), Address(handle)), S_OK);
    EXPECT_EQ(ReadHandle(handle).x, (std::vector<double>{130, 140}));
    EXPECT_EQ(Description(), source + L"; History: 3");
    CKSMassSpectrum again;
    ASSERT_EQ(m_spectra->ReadSpectrumDirect(ks::Bstr(Description()), Address(again)), S_OK);
    EXPECT_EQ(ReadHandle(again).x, (std::vector<double>{130, 140}));

    // Whatever fails to read answers as out of memory, a damaged manifest
    // too; the setting is not written.
    const std::string damaged = WriteRaw(m_folder + "/Damaged.raw", StandardRun(), StandardHeader());
    ks::test::writeFile(damaged + "/_manifest.txt", "ks-masslynx-raw 1\n[function]\n[end]\n");
    for (const std::wstring& bad : {MakeMassLynxDataSource(W(damaged), 1),source + L"; History: 4", source + L"; none", MakeMassLynxDataSource(W(m_raw), 3),
                                    std::wstring(L"KSMLProvider.KSMLProvider; ") + W(m_raw), std::wstring()})
        EXPECT_EQ(m_spectra->ReadSpectrum(ks::Bstr(bad), object.get()), E_OUTOFMEMORY);
    std::wstring setting;
    EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, kSourcePathKey, setting));
    EXPECT_EQ(m_spectra->ReadSpectrum(ks::Bstr(source), nullptr), E_POINTER);
    EXPECT_EQ(m_spectra->ReadSpectrumDirect(ks::Bstr(source), 0), E_POINTER);
}

// The browse through UTIL32: the spectrum browse shows flags 0, the
// dataset browse 256, both titled "MassLynx Data Browser"; the choice
// becomes the data source and, for a spectrum, the scan text.
TEST_F(MassLynxProvider, InteractiveReadsBrowseWithTheDataBrowser)
{
    ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scope(runner);
    std::vector<bool> datasetOnly;
    runner.answerModalAs<CMassLynxDataBrowser>([&](CMassLynxDataBrowser& b) {
        datasetOnly.push_back(b.DatasetOnly());
        ASSERT_TRUE(b.SetFolder(m_folder));
        ASSERT_TRUE(b.SelectRawNamed("Run"));
        b.SelectFunction(2);
        b.SetScan(3);
    });
    auto object = NewSpectrum();
    ASSERT_EQ(m_spectra->ReadSpectrumInteractive(object.get()), S_OK);
    EXPECT_EQ(ReadObject(object.get()).x, (std::vector<double>{130, 140}));
    EXPECT_EQ(Description(), MakeMassLynxDataSource(W(m_raw), 2) + L"; History: 3");
    EXPECT_EQ(Path(), W(m_raw));
    std::wstring setting;
    EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, kSourcePathKey, setting));
    EXPECT_EQ(setting, W(m_raw));

    // The dataset browse: no scan, function 2.
    runner.answerModalAs<CMassLynxDataBrowser>([&](CMassLynxDataBrowser& b) {
        datasetOnly.push_back(b.DatasetOnly());
        // The browser starts at the remembered raw directory.
        ASSERT_GE(b.RawSelection(), 0);
        EXPECT_EQ(b.RawDirectories()[static_cast<size_t>(b.RawSelection())], "Run.raw");
        b.SelectFunction(2);
    });
    ks::ComPtr<IKSMSDataset> dataset;
    ASSERT_EQ(m_reader->ReadDatasetInteractive(&dataset), S_OK);
    ASSERT_TRUE(dataset);
    EXPECT_EQ(Description(), MakeMassLynxDataSource(W(m_raw), 2));
    EXPECT_EQ(datasetOnly, (std::vector<bool>{false, true}));
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    for (const auto& entry : log)
        EXPECT_EQ(entry.title, L"MassLynx Data Browser");
    EXPECT_TRUE(runner.errors().empty());
}

// A spectrum browse that chose no scan reads scan 1 with the scan text " 1".
TEST_F(MassLynxProvider, InteractiveDirectReadWithoutAScan)
{
    ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scope(runner);
    runner.answerModalAs<CMassLynxDataBrowser>([&](CMassLynxDataBrowser& b) {
        ASSERT_TRUE(b.SetFolder(m_folder));
        ASSERT_TRUE(b.SelectRawNamed("Run.raw"));
        b.SelectFunction(1);
        b.SetScan(0);
    });
    CKSMassSpectrum handle;
    ASSERT_EQ(m_spectra->ReadSpectrumInteractiveDirect(Address(handle)), S_OK);
    EXPECT_EQ(ReadHandle(handle).x, (std::vector<double>{100, 150.5, 200}));
    EXPECT_EQ(Description(), MakeMassLynxDataSource(W(m_raw), 1) + L";  1");
    EXPECT_EQ(m_spectra->ReadSpectrumInteractiveDirect(0), E_POINTER);
}

TEST_F(MassLynxProvider, CancelledBrowsesAndFailedReads)
{
    ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scope(runner);
    runner.answerModal([](ks::dialogs::DialogModel&) {}, IDCANCEL);
    auto object = NewSpectrum();
    EXPECT_EQ(m_spectra->ReadSpectrumInteractive(object.get()), E_ABORT);
    runner.answerModal([](ks::dialogs::DialogModel&) {}, IDCANCEL);
    CKSMassSpectrum handle;
    EXPECT_EQ(m_spectra->ReadSpectrumInteractiveDirect(Address(handle)), E_ABORT);
    runner.answerModal([](ks::dialogs::DialogModel&) {}, IDCANCEL);
    ks::ComPtr<IKSMSDataset> dataset;
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&dataset), E_FAIL);
    EXPECT_FALSE(dataset);
    EXPECT_EQ(m_reader->ReadDatasetInteractive(nullptr), E_POINTER);
    // The target is asked for the spectrum interface before any dialog.
    EXPECT_EQ(m_spectra->ReadSpectrumInteractive(nullptr), E_POINTER);
    auto notSpectrum = Query<IDispatch>(m_provider.get());
    EXPECT_EQ(m_spectra->ReadSpectrumInteractive(notSpectrum.get()), E_NOINTERFACE);
    EXPECT_EQ(runner.log().size(), 3u);

    // A scan the stand-in fails to read, chosen in the browser.
    RawSpec run = StandardRun();
    run.records.push_back("[fault]\noperation Spectrum.Data\ncall 1\nresult E_FAIL\n");
    const std::string faulty = WriteRaw(m_folder + "/Faulty.raw", run, StandardHeader());
    runner.answerModalAs<CMassLynxDataBrowser>([&](CMassLynxDataBrowser& b) {
        ASSERT_TRUE(b.SetFolder(m_folder));
        ASSERT_TRUE(b.SelectRawNamed("Faulty"));
        b.SelectFunction(1);
        b.SetScan(1);
    });
    EXPECT_EQ(m_spectra->ReadSpectrumInteractive(object.get()), E_OUTOFMEMORY);
    EXPECT_EQ(Description(), L"");
    EXPECT_EQ(Path(), L"");
}

// Mend: "Function: n" of a data-source string is the run's function n, also
// when a diode-array function comes first (functions 2 and 3 are then the
// first and second MS functions): the browser's choice, ReadDataset and
// the descriptions name the same function, the object tree counts MS
// functions only.
TEST_F(MassLynxProvider, FunctionNumbersBehindALeadingDiodeArray)
{
    RawSpec run = StandardRun();
    std::rotate(run.functions.begin(), run.functions.begin() + 2, run.functions.end());
    const std::string raw = WriteRaw(m_folder + "/Diode.raw", run, HeaderText({"", "ES+", "ES-"}));
    const std::wstring path = W(raw);

    ScriptedDialogRunner runner;
    ks::dialogs::ScopedDialogRunner scope(runner);
    const struct {
        LONG function;
        std::vector<double> scan2;
        LONG polarity;
    } interactive[] = {{2, {101, 151, 201}, FunctionPolarityPositive}, {3, {110, 120}, FunctionPolarityNegative}};
    for (const auto& c : interactive) {
        SCOPED_TRACE(c.function);
        runner.answerModalAs<CMassLynxDataBrowser>([&](CMassLynxDataBrowser& b) {
            ASSERT_TRUE(b.SetFolder(m_folder));
            ASSERT_TRUE(b.SelectRawNamed("Diode"));
            b.SelectFunction(c.function);
            b.SetScan(2);
        });
        CKSMassSpectrum handle;
        ASSERT_EQ(m_spectra->ReadSpectrumInteractiveDirect(Address(handle)), S_OK);
        EXPECT_EQ(ReadHandle(handle).x, c.scan2);
        EXPECT_EQ(ReadHandle(handle).polarity, c.polarity);
        const std::wstring description = MakeMassLynxDataSource(path, c.function) + L"; History: 2";
        EXPECT_EQ(Description(), description);
        // The description reads the same spectrum again.
        CKSMassSpectrum again;
        ASSERT_EQ(m_spectra->ReadSpectrumDirect(ks::Bstr(description), Address(again)), S_OK);
        EXPECT_EQ(ReadHandle(again).x, c.scan2);

        ks::ComPtr<IKSMSDataset> dataset;
        ASSERT_EQ(m_reader->ReadDataset(ks::Bstr(MakeMassLynxDataSource(path, c.function)), &dataset), S_OK);
        EXPECT_EQ(Description(), MakeMassLynxDataSource(path, c.function));
        auto ds = Query<IKSMSDataset2>(dataset.get());
        ASSERT_TRUE(ds);
        LONG count = 0;
        EXPECT_EQ(ds->get_BaseSpectrumCount(&count), S_OK);
        EXPECT_EQ(count, 3);
        CKSMassSpectrum scan;
        ASSERT_EQ(ds->GetBaseSpectrumDirect(2, Address(scan)), S_OK);
        EXPECT_EQ(ReadHandle(scan).x, c.scan2);
        EXPECT_EQ(Description(), MakeMassLynxDataSource(path, c.function));
    }
    // The diode array and a function the run does not have are no MS
    // function to read.
    for (LONG function : {1, 4}) {
        ks::ComPtr<IKSMSDataset> dataset;
        EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(MakeMassLynxDataSource(path, function)), &dataset),
                  E_ACCESSDENIED);
        CKSMassSpectrum handle;
        EXPECT_EQ(m_spectra->ReadSpectrumDirect(ks::Bstr(MakeMassLynxDataSource(path, function)), Address(handle)),
                  E_OUTOFMEMORY);
    }

    // The tree counts the MS functions from 1.
    auto server = Create<IKSDataServer>(CLSID_KSMLDataServer);
    ASSERT_TRUE(server);
    ASSERT_EQ(server->Open(ks::Bstr(path)), S_OK);
    auto injection = FirstInjection(server.get());
    ASSERT_TRUE(injection);
    EXPECT_EQ(FunctionNames(injection.get()), (std::vector<std::wstring>{L"ES (+)", L"ES (-)"}));
}

// Mend: a base spectrum sets Path and the description only once the caller
// has it, for one scan as for a range: after a spectrum read of another
// raw directory that opened it and then failed, the dataset reads that
// directory and says so.
TEST_F(MassLynxProvider, BaseSpectraNameTheirDirectory)
{
    const std::string other = WriteRaw(m_folder + "/Other.raw", StandardRun(), StandardHeader());
    for (LONG end : {1, 2}) {
        SCOPED_TRACE(end);
        auto ds = Dataset(1);
        ASSERT_TRUE(ds);
        CKSMassSpectrum handle;
        EXPECT_EQ(m_spectra->ReadSpectrumDirect(ks::Bstr(MakeMassLynxDataSource(W(other), 2) + L"; History: 9"),
                                                Address(handle)),
                  E_OUTOFMEMORY);
        EXPECT_EQ(Path(), W(m_raw));
        ASSERT_EQ(ds->GetBaseSpectrumRangeDirect(1, end, Address(handle)), S_OK);
        EXPECT_EQ(Path(), W(other));
        EXPECT_EQ(Description(), MakeMassLynxDataSource(W(other), 2));
    }
    // A scan outside the function changes neither.
    auto ds = Dataset(1);
    ASSERT_TRUE(ds);
    CKSMassSpectrum handle;
    EXPECT_EQ(ds->GetBaseSpectrumDirect(4, Address(handle)), E_INVALIDARG);
    EXPECT_EQ(Path(), W(m_raw));
    EXPECT_EQ(Description(), MakeMassLynxDataSource(W(m_raw), 1));
}

// The data server walks a raw directory through the object tree.
TEST_F(MassLynxProvider, DataServerTree)
{
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"KSMLProvider.KSMLDataServer", &clsid), S_OK);
    auto server = Create<IKSDataServer>(clsid);
    ASSERT_TRUE(server);
    EXPECT_TRUE(Query<IKSDataServer3>(server.get()));
    LONG valid = 0;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(W(m_raw)), &valid), S_OK);
    EXPECT_NE(valid, 0);
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(W(m_folder)), &valid), S_OK);
    EXPECT_EQ(valid, 0);
    EXPECT_EQ(server->Open(ks::Bstr(W(m_folder))), E_FAIL);
    ASSERT_EQ(server->Open(ks::Bstr(W(m_raw))), S_OK);
    ks::Bstr type;
    EXPECT_EQ(server->DatasetType(&type), S_OK);
    EXPECT_EQ(type.str(), L"KSMLProvider");
    auto injection = FirstInjection(server.get());
    ASSERT_TRUE(injection);
    EXPECT_EQ(FunctionNames(injection.get()), (std::vector<std::wstring>{L"ES (+)", L"ES (-)"}));
    ks::ComPtr<IKSFunctions> functions;
    ASSERT_EQ(injection->get_Functions(&functions), S_OK);
    LONG count = 0;
    for (LONG i = 1; i <= 2; ++i) {
        ks::ComPtr<IKSFunction> function;
        ASSERT_EQ(functions->get_Item(i, &function), S_OK);
        FunctionPolarity polarity = FunctionPolarityUnknown;
        EXPECT_EQ(function->get_Polarity(&polarity), S_OK);
        EXPECT_EQ(polarity, i == 1 ? FunctionPolarityPositive : FunctionPolarityNegative);
    }
    ks::ComPtr<IKSTraces> traces;
    ASSERT_EQ(injection->get_Traces(&traces), S_OK);
    EXPECT_EQ(traces->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    ks::ComPtr<IKSTrace> trace;
    ASSERT_EQ(traces->get_Item(3, &trace), S_OK);
    CChromatogram c;
    CKSChromatogram handle(&c);
    ASSERT_EQ(trace->get_ChromatogramDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(c.GetCount(), 2);
}

// Dataset access probes the MassLynx provider after every other: a folder
// that it and the ChemStation provider both accept opens with the other.
TEST_F(MassLynxProvider, DataAccessProbesItLast)
{
    const std::string both = WriteRaw(ks::test::tempDir() + "/both.raw", StandardRun(), StandardHeader());
    agilentfix::MsdFile msd;
    msd.sampleName = "both";
    msd.scans.push_back(agilentfix::MakeScan(3000, {{150, 1000}}));
    msd.runEndMs = 6000;
    ks::test::writeFile(both + "/MSD1.MS", agilentfix::BuildMsd(msd));
    const std::string only = WriteRaw(ks::test::tempDir() + "/only.raw", StandardRun(), StandardHeader());

    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    ASSERT_TRUE(access);
    const struct {
        std::string path;
        const wchar_t* type;
    } cases[] = {{both, L"KSLCMSDProvider"}, {only, L"KSMLProvider"}};
    for (const auto& c : cases) {
        ks::ComPtr<IKSDataServer> server;
        ASSERT_EQ(access->OpenDataset(ks::Bstr(W(c.path)), &server), S_OK) << c.path;
        ks::Bstr type;
        EXPECT_EQ(server->DatasetType(&type), S_OK);
        EXPECT_EQ(type.str(), c.type);
    }
}
