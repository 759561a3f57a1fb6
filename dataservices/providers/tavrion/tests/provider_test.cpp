// The provider object of the KSTavrionProvider component, registered with
// the raw-file reader into the test case's registry: description and
// registration, the dataset reader, the dataset over raw scan numbers, scan
// types and scan information, the raw-file dialog through the dialog
// service.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>

#include "coadd.h"
#include "ksdialogrunner.h"
#include "readersettings.h"
#include "rawtesthooks.h"
#include "tavriontest.h"

using namespace tavriontest;
using namespace ks::dialogs;

namespace {

const wchar_t kProviderKey[] = L"Software\\Kestrom\\Data Services\\{4696FE7A-939D-4556-97AD-1641B42E7FC4}";
const wchar_t kSourcePathKey[] =
    L"Software\\Kestrom\\Data Services\\{4696FE7A-939D-4556-97AD-1641B42E7FC4}\\Applications\\KSTavrionProvider\\"
    L"Source Path";
const std::wstring kId = L"KSTavrionProvider.KSTavrionProvider";

std::wstring SourcePathSetting()
{
    std::wstring text;
    ReadRegistryText(HKEY_CURRENT_USER, kSourcePathKey, text);
    return text;
}

std::wstring RegistryText(HKEY root, const std::wstring& path)
{
    std::wstring text;
    EXPECT_TRUE(ReadRegistryText(root, path, text)) << ks::reg::utf8FromWide(path);
    return text;
}

// The default value of a key.
std::wstring DefaultValue(HKEY root, const std::wstring& key)
{
    HKEY h = nullptr;
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    EXPECT_EQ(RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS) << ks::reg::utf8FromWide(key);
    if (h) {
        EXPECT_EQ(RegQueryValueExW(h, L"", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
        RegCloseKey(h);
    }
    return buffer;
}

// The provider's "Source Path" as another program would store it.
void StoreSourcePath(const std::wstring& text)
{
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, kSourcePathKey, text));
}

class TavrionProvider : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegisterAll());
        m_provider = Create<IKSDataProvider>(CLSID_KSTavrionProvider);
        ASSERT_TRUE(m_provider);
        m_reader = Query<IKSMSDatasetReader>(m_provider.get());
        ASSERT_TRUE(m_reader);
    }
    void TearDown() override { testhook::ClearInjectedFailures(); }

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
    ks::ComPtr<IKSMSDataset2> Dataset(const std::string& path)
    {
        ks::ComPtr<IKSMSDataset> dataset;
        EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(MakeTavrionDataSource(W(path))), &dataset), S_OK);
        return Query<IKSMSDataset2>(dataset.get());
    }
    static Points Scan(IKSMSDataset2* ds, LONG first, LONG last)
    {
        CKSMassSpectrum handle;
        EXPECT_EQ(ds->GetBaseSpectrumRangeDirect(first, last, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        return Read(handle);
    }

    ks::ComPtr<IKSDataProvider> m_provider;
    ks::ComPtr<IKSMSDatasetReader> m_reader;
};

TEST_F(TavrionProvider, DescribesAndRegistersItself)
{
    struct Text {
        HRESULT (IKSDataProvider::*get)(BSTR*);
        const wchar_t* expected;
    } texts[] = {
        {&IKSDataProvider::get_ClassID, L"{4696FE7A-939D-4556-97AD-1641B42E7FC4}"},
        {&IKSDataProvider::get_ClassName, L"KSTavrionProvider.KSTavrionProvider"},
        {&IKSDataProvider::get_MenuName, L"Tavrion"},
        {&IKSDataProvider::get_Supplier, L"Kestrom, Inc."},
        {&IKSDataProvider::get_Version, L"1.00"},
        {&IKSDataProvider::get_Path, L""},
    };
    for (const Text& t : texts) {
        ks::Bstr value;
        EXPECT_EQ((m_provider.get()->*t.get)(&value), S_OK);
        EXPECT_EQ(value.str(), t.expected);
    }
    ks::Bstr copyright;
    EXPECT_EQ(m_provider->get_Copyright(&copyright), S_OK);
    EXPECT_FALSE(copyright.empty());
    LONG flags = 0;
    EXPECT_EQ(m_provider->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, MSDatasetReader);
    ks::Bstr server, filter;
    EXPECT_EQ(Query<IKSDataProvider2>(m_provider.get())->get_DataServerClassID(&server), S_OK);
    EXPECT_EQ(server.str(), L"{099490ff-078b-4806-8540-262e686f6e3d}");
    EXPECT_EQ(Query<IKSDataProvider3>(m_provider.get())->get_FilterString(&filter), S_OK);
    EXPECT_EQ(filter.str(), L"Corvane Tavrion (*.raw)");
    VARIANT_BOOL supported = VARIANT_FALSE;
    EXPECT_EQ(m_provider->SupportsService(ks::Bstr(L"KSMSDatasetReader"), &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_TRUE);
    EXPECT_EQ(m_provider->SupportsService(ks::Bstr(L"KSSpectrumReader"), &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_FALSE);
    ks::ComPtr<IDispatch> service;
    EXPECT_EQ(m_provider->GetService(ks::Bstr(L"KSMSDatasetReader"), &service), S_OK);
    EXPECT_EQ(Query<IUnknown>(service.get()).get(), Query<IUnknown>(m_provider.get()).get());

    // The interfaces it answers; IKSMSDataset is IKSMSDataset2's pointer.
    EXPECT_TRUE(Query<IKSTavrionProvider>(m_provider.get()));
    EXPECT_TRUE(Query<IKSTavrionDataset>(m_provider.get()));
    EXPECT_TRUE(Query<IKSScanInfoProvider>(m_provider.get()));
    auto two = Query<IKSMSDataset2>(m_provider.get());
    auto one = Query<IKSMSDataset>(m_provider.get());
    ASSERT_TRUE(one && two);
    EXPECT_EQ(static_cast<IKSMSDataset*>(two.get()), one.get());
    EXPECT_EQ(Query<IDispatch>(m_provider.get()).get(),
              static_cast<IDispatch*>(Query<IKSTavrionProvider>(m_provider.get()).get()));
    EXPECT_FALSE(Query<IKSMSDataset3>(m_provider.get()));
    EXPECT_FALSE(Query<IKSSpectrumReader>(m_provider.get()));
    EXPECT_FALSE(Query<IKSTavrionDataServer>(m_provider.get()));

    for (const auto& [progId, clsid] : std::vector<std::pair<const wchar_t*, CLSID>>{
             {L"KSTavrionProvider.KSTavrionProvider", CLSID_KSTavrionProvider},
             {L"KSTavrionProvider.KSTavrionProvider.1", CLSID_KSTavrionProvider},
             {L"KSTavrionProvider.KSTavrionDataServer", CLSID_KSTavrionDataServer},
             {L"KSTavrionProvider.KSTavrionDataServer.1", CLSID_KSTavrionDataServer}}) {
        CLSID found{};
        EXPECT_EQ(CLSIDFromProgID(progId, &found), S_OK);
        EXPECT_TRUE(found == clsid);
    }
    for (const wchar_t* clsid :
         {L"{4696FE7A-939D-4556-97AD-1641B42E7FC4}", L"{099490FF-078B-4806-8540-262E686F6E3D}"}) {
        const std::wstring key = std::wstring(L"CLSID\\") + clsid;
        EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, key + L"\\InprocServer32\\ThreadingModel"), L"Apartment");
        EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, key + L"\\TypeLib"), L"{5E3F1427-B8B4-4412-ACAE-37DEA0EAEA08}");
    }
    EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, L"TypeLib\\{5E3F1427-B8B4-4412-ACAE-37DEA0EAEA08}\\1.0"),
              L"KSTavrionProvider 1.0 Type Library");
    // The provider server lists it.
    const std::wstring key = kProviderKey;
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key + L"\\Menu Name"), L"Tavrion");
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key + L"\\Class Name"), L"KSTavrionProvider.KSTavrionProvider");
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key + L"\\DataServer Class ID"),
              L"{099490ff-078b-4806-8540-262e686f6e3d}");
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, key + L"\\File Filter"), L"Corvane Tavrion (*.raw)");
}

TEST_F(TavrionProvider, ScanInformationIsConstant)
{
    auto info = Query<IKSScanInfoProvider>(m_provider.get());
    ASSERT_TRUE(info);
    auto check = [&] {
        DatasetScanInfoType type = DatasetScanInfoTypeContinuous;
        double value = -1;
        EXPECT_EQ(info->GetScanType(&type), S_OK);
        EXPECT_EQ(type, DatasetScanInfoTypeLinear);
        EXPECT_EQ(info->GetScanTime(&value), S_OK);
        EXPECT_EQ(value, 0.0);
        EXPECT_EQ(info->GetScanStartMass(&value), S_OK);
        EXPECT_EQ(value, 100.0);
        EXPECT_EQ(info->GetScanEndMass(&value), S_OK);
        EXPECT_EQ(value, 1000.0);
        EXPECT_EQ(info->GetInterscanTime(&value), S_OK);
        EXPECT_EQ(value, 0.0);
    };
    check();  // before any file is open
    EXPECT_EQ(info->GetScanType(nullptr), E_POINTER);
    EXPECT_EQ(info->GetScanTime(nullptr), E_POINTER);
    EXPECT_EQ(info->GetScanStartMass(nullptr), E_POINTER);
    EXPECT_EQ(info->GetScanEndMass(nullptr), E_POINTER);
    EXPECT_EQ(info->GetInterscanTime(nullptr), E_POINTER);
    ASSERT_TRUE(Dataset(SampleFile()));
    check();
}

TEST_F(TavrionProvider, ReadDatasetByDataSource)
{
    const std::string sample = SampleFile();
    EXPECT_EQ(Description(), L"");
    ks::ComPtr<IKSMSDataset> out;
    EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(kId), nullptr), E_POINTER);

    // A plain path names no provider.
    EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(W(sample)), &out), E_ACCESSDENIED);
    EXPECT_FALSE(out);
    EXPECT_EQ(SourcePathSetting(), L"");

    // The identifier in any letter case.
    for (const std::wstring id : {L"KSTAVRIONPROVIDER.KSTAVRIONPROVIDER", L"kstavrionprovider.kstavrionprovider"}) {
        ASSERT_EQ(m_reader->ReadDataset(ks::Bstr(id + L"; " + W(sample)), &out), S_OK);
        EXPECT_EQ(Query<IUnknown>(out.get()).get(), Query<IUnknown>(m_provider.get()).get());  // the provider
    }
    EXPECT_EQ(Path(), W(sample));
    EXPECT_EQ(Description(), kId + L"; " + W(sample));
    EXPECT_EQ(SourcePathSetting(), W(sample));

    // Without ".raw": the file with it.
    const std::string stem = sample.substr(0, sample.size() - 4);
    ASSERT_EQ(m_reader->ReadDataset(ks::Bstr(kId + L"; " + W(stem)), &out), S_OK);
    EXPECT_EQ(Path(), W(sample));
    LONG count = 0;
    EXPECT_EQ(Query<IKSMSDataset>(m_provider.get())->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 30);

    // A path field beyond 258 characters does not parse.
    const std::wstring longPath = L"/" + std::wstring(258, L'x') + L".raw";
    EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(kId + L"; " + longPath), &out), E_ACCESSDENIED);
    EXPECT_FALSE(out);
    // A failed read closes what was open; the setting and the description
    // keep the last success.
    EXPECT_EQ(Query<IKSMSDataset>(m_provider.get())->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(SourcePathSetting(), W(sample));
    EXPECT_EQ(Description(), kId + L"; " + W(sample));
}

TEST_F(TavrionProvider, FilesThatDoNotOpen)
{
    const std::string dir = ks::test::tempDir();
    const std::string bytes = ks::test::readFile(SampleFile());
    ks::test::writeFile(dir + "/damaged.raw", bytes.substr(0, bytes.size() - 10));
    ks::test::writeFile(dir + "/text.raw", "not a raw file");
    ASSERT_EQ(mkdir((dir + "/folder.raw").c_str(), 0755), 0);
    for (const std::string name : {"damaged.raw", "text.raw", "folder.raw", "missing.raw"}) {
        ks::ComPtr<IKSMSDataset> out;
        EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(MakeTavrionDataSource(W(dir + "/" + name))), &out),
                  E_ACCESSDENIED)
            << name;
        EXPECT_FALSE(out);
    }
    EXPECT_EQ(SourcePathSetting(), L"");
    EXPECT_EQ(Path(), L"");
}

TEST_F(TavrionProvider, DatasetOfTheSample)
{
    auto ds = Query<IKSMSDataset2>(m_provider.get());
    VARIANT_BOOL has = VARIANT_TRUE;
    LONG count = -1;
    // Nothing open yet.
    EXPECT_EQ(ds->get_HasTIC(&has), S_OK);
    EXPECT_EQ(has, VARIANT_FALSE);
    EXPECT_EQ(ds->get_HasBaseSpectra(&has), S_OK);
    EXPECT_EQ(has, VARIANT_FALSE);
    EXPECT_EQ(ds->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    CKSMassSpectrum handle;
    EXPECT_EQ(ds->GetBaseSpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), E_INVALIDARG);
    EXPECT_EQ(ds->GetTICDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_OUTOFMEMORY);

    ds = Dataset(SampleFile());
    ASSERT_TRUE(ds);
    const struct {
        HRESULT (IKSMSDataset::*get)(VARIANT_BOOL*);
        VARIANT_BOOL expected;
    } flags[] = {{&IKSMSDataset::get_HasTIC, VARIANT_TRUE},
                 {&IKSMSDataset::get_HasBaseSpectra, VARIANT_TRUE},
                 {&IKSMSDataset::get_HasAuxiliarySpectra, VARIANT_FALSE},
                 {&IKSMSDataset::get_SupportsMassChromatograms, VARIANT_TRUE},
                 {&IKSMSDataset::get_HasTraces, VARIANT_TRUE}};
    for (const auto& f : flags) {
        has = VARIANT_FALSE + 1;
        EXPECT_EQ((ds.get()->*f.get)(&has), S_OK);
        EXPECT_EQ(has, f.expected);
        EXPECT_EQ((ds.get()->*f.get)(nullptr), E_POINTER);
    }
    const struct {
        HRESULT (IKSMSDataset::*get)(LONG*);
        LONG expected;
    } counts[] = {{&IKSMSDataset::get_BaseSpectrumCount, 30},
                  {&IKSMSDataset::get_AuxiliarySpectrumCount, 0},
                  {&IKSMSDataset::get_TraceCount, 6}};
    for (const auto& c : counts) {
        EXPECT_EQ((ds.get()->*c.get)(&count), S_OK);
        EXPECT_EQ(count, c.expected);
        EXPECT_EQ((ds.get()->*c.get)(nullptr), E_POINTER);
    }
}

// Spectra by raw scan number: the scan's points, time, number and filter.
TEST_F(TavrionProvider, BaseSpectraByRawScanNumber)
{
    const FileData model = MakeSampleFile();
    auto ds = Dataset(SampleFile());
    ASSERT_TRUE(ds);
    for (LONG scan = 1; scan <= 30; ++scan) {
        SCOPED_TRACE(scan);
        const ScanRecord& record = model.controllers[0].scans[size_t(scan - 1)];
        const Points p = Scan(ds.get(), scan, scan);
        EXPECT_EQ(p.firstScan, scan);
        EXPECT_EQ(p.lastScan, scan);
        EXPECT_DOUBLE_EQ(p.startRT, record.index.startTime);
        EXPECT_DOUBLE_EQ(p.endRT, record.index.startTime);
        double sum = 0;
        for (double y : p.y)
            sum += y;
        EXPECT_NEAR(sum, record.index.tic, 1e-9 * record.index.tic);
        EXPECT_EQ(p.msOrder, record.hasEvent ? record.event.msOrder : 1);
        EXPECT_EQ(p.polarity, FunctionPolarityPositive);
    }
    // The MS2 scan of the first cycle, as an object: its own points.
    auto spectrum = Create<IKSMassSpectrum>(CLSID_KSMassSpectrum);
    ASSERT_EQ(ds->GetBaseSpectrum(2, spectrum.get()), S_OK);
    const Points p = Read(spectrum.get());
    std::vector<double> mz, intensity;
    for (const DataPeak& d : model.controllers[0].scans[1].packets[0].points) {
        mz.push_back(d.position);
        intensity.push_back(d.intensity);
    }
    EXPECT_EQ(p.x, mz);
    EXPECT_EQ(p.y, intensity);
    EXPECT_TRUE(p.centroid);
    EXPECT_EQ(p.msOrder, 2);
    EXPECT_EQ(p.title, L"ITMS + c ESI d Full ms2 500.75@35.00 [135.00-1000.00]");
    double precursor = 0;
    EXPECT_EQ(spectrum->get_PrecursorMass(&precursor), S_OK);
    EXPECT_DOUBLE_EQ(precursor, 500.75);
    EXPECT_EQ(Description(), MakeTavrionDataSource(W(ks::test::tempDir() + "/sample.raw")));

    // Indexes outside 1 to the count, null targets, objects of other kinds.
    for (LONG bad : {0, -1, 31}) {
        EXPECT_EQ(ds->GetBaseSpectrum(bad, spectrum.get()), E_INVALIDARG) << bad;
        CKSMassSpectrum handle;
        EXPECT_EQ(ds->GetBaseSpectrumDirect(bad, reinterpret_cast<ULONG_PTR>(&handle)), E_INVALIDARG) << bad;
    }
    EXPECT_EQ(ds->GetBaseSpectrum(1, nullptr), E_POINTER);
    EXPECT_EQ(ds->GetBaseSpectrumDirect(1, 0), E_POINTER);
    auto chromatogram = Create<IDispatch>(CLSID_KSChromatogram);
    EXPECT_EQ(ds->GetBaseSpectrum(1, chromatogram.get()), E_NOINTERFACE);
    EXPECT_EQ(ds->GetAuxiliarySpectrum(1, spectrum.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetAuxiliarySpectrum(1, nullptr), E_POINTER);
    EXPECT_EQ(ds->GetAuxiliarySpectrumRange(1, 2, spectrum.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetAuxiliarySpectrumDirect(1, 0), E_POINTER);
    EXPECT_EQ(ds->GetAuxiliarySpectrumRangeDirect(1, 2, 1), E_NOTIMPL);
}

// A range co-adds exactly its scans (0.1 Da) and is labelled with them.
TEST_F(TavrionProvider, BaseSpectrumRangeCoAddsItsScans)
{
    // Scan k: a peak of its own at 100 + k, and 500 with intensity k.
    std::vector<ScanSpec> scans;
    for (int k = 1; k <= 10; ++k)
        scans.push_back({{}, 0.1 * k, {{100.0 + k, 1000.0 * k}, {500.0, double(k)}}});
    auto ds = Dataset(WriteModel(MakeRun({MSController(scans)}), "ten.raw"));
    ASSERT_TRUE(ds);
    const Points range = Scan(ds.get(), 5, 7);
    EXPECT_EQ(range.x, (std::vector<double>{105.0, 106.0, 107.0, 500.0}));
    EXPECT_EQ(range.y, (std::vector<double>{5000.0, 6000.0, 7000.0, 18.0}));
    EXPECT_EQ(range.firstScan, 5);
    EXPECT_EQ(range.lastScan, 7);
    EXPECT_DOUBLE_EQ(range.startRT, 0.5);
    EXPECT_DOUBLE_EQ(range.endRT, 0.7);
    EXPECT_EQ(Path(), W(ks::test::tempDir() + "/ten.raw"));

    // As an object too.
    auto spectrum = Create<IKSMassSpectrum>(CLSID_KSMassSpectrum);
    ASSERT_EQ(ds->GetBaseSpectrumRange(5, 7, spectrum.get()), S_OK);
    EXPECT_EQ(Read(spectrum.get()).y, range.y);
    EXPECT_EQ(Read(spectrum.get()).lastScan, 7);

    // One scan; a range ending at the last scan.
    const Points one = Scan(ds.get(), 5, 5);
    EXPECT_EQ(one.y, (std::vector<double>{5000.0, 5.0}));
    EXPECT_EQ(one.firstScan, 5);
    EXPECT_EQ(Scan(ds.get(), 9, 10).y, (std::vector<double>{9000.0, 10000.0, 19.0}));
    for (const auto& [first, last] : std::vector<std::pair<LONG, LONG>>{{0, 3}, {4, 3}, {9, 11}, {11, 11}}) {
        CKSMassSpectrum handle;
        EXPECT_EQ(ds->GetBaseSpectrumRangeDirect(first, last, reinterpret_cast<ULONG_PTR>(&handle)), E_INVALIDARG);
        EXPECT_EQ(ds->GetBaseSpectrumRange(first, last, spectrum.get()), E_INVALIDARG);
    }
    EXPECT_EQ(ds->GetBaseSpectrumRange(5, 7, nullptr), E_POINTER);
}

// On the sample's profile and centroid scans the range is what the
// framework's co-adding of the scans read one by one gives.
TEST_F(TavrionProvider, BaseSpectrumRangeOfTheSample)
{
    auto ds = Dataset(SampleFile());
    ASSERT_TRUE(ds);
    CMassSpectrum sum;
    for (LONG scan = 5; scan <= 7; ++scan) {
        CKSMassSpectrum handle;
        ASSERT_EQ(ds->GetBaseSpectrumDirect(scan, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        if (scan == 5)
            sum = *handle.get();
        else
            CoAddSpectra(true, 0.1, *handle.get(), sum);
    }
    const Points range = Scan(ds.get(), 5, 7);
    EXPECT_EQ(range.x, Read(sum).x);
    EXPECT_EQ(range.y, Read(sum).y);
    EXPECT_EQ(Scan(ds.get(), 28, 30).lastScan, 30);
}

// The chromatograms and traces as x/y spectra: times as m/z, a profile.
TEST_F(TavrionProvider, ChromatogramsAndTraces)
{
    const FileData model = MakeSampleFile();
    auto ds = Dataset(SampleFile());
    ASSERT_TRUE(ds);
    std::vector<double> times, tics, basePeaks;
    for (const ScanRecord& s : model.controllers[0].scans) {
        times.push_back(s.index.startTime);
        tics.push_back(s.index.tic);
        basePeaks.push_back(s.index.basePeakIntensity);
    }
    CKSMassSpectrum tic;
    ASSERT_EQ(ds->GetTICDirect(reinterpret_cast<ULONG_PTR>(&tic)), S_OK);
    Points p = Read(tic);
    EXPECT_EQ(p.x, times);
    ASSERT_EQ(p.y.size(), tics.size());
    for (size_t i = 0; i < tics.size(); ++i)
        EXPECT_NEAR(p.y[i], tics[i], 1e-9 * tics[i]) << i;
    EXPECT_FALSE(p.centroid);

    auto object = Create<IKSMassSpectrum>(CLSID_KSMassSpectrum);
    ASSERT_EQ(ds->GetBasePeakChromatogram(object.get()), S_OK);
    p = Read(object.get());
    EXPECT_EQ(p.x, times);
    EXPECT_EQ(p.y, basePeaks);
    EXPECT_FALSE(p.centroid);

    // Traces 1 to 6 as the data server names them; the unlabelled UV
    // channel is trace 2.
    ASSERT_EQ(ds->GetTrace(2, object.get()), S_OK);
    p = Read(object.get());
    ASSERT_EQ(p.count, 40);
    for (size_t k = 0; k < 40; ++k) {
        EXPECT_DOUBLE_EQ(p.x[k], model.controllers[1].scans[k].uvIndex.startTime);
        EXPECT_DOUBLE_EQ(p.y[k], model.controllers[1].scans[k].readings[1]);
    }
    CKSMassSpectrum trace;
    ASSERT_EQ(ds->GetTraceDirect(6, reinterpret_cast<ULONG_PTR>(&trace)), S_OK);
    EXPECT_EQ(Read(trace).count, 30);
    for (LONG bad : {0, 7, -3}) {
        EXPECT_EQ(ds->GetTrace(bad, object.get()), E_OUTOFMEMORY) << bad;
        EXPECT_EQ(ds->GetTraceDirect(bad, reinterpret_cast<ULONG_PTR>(&trace)), E_OUTOFMEMORY) << bad;
    }
    EXPECT_EQ(ds->GetTIC(nullptr), E_POINTER);
    EXPECT_EQ(ds->GetTraceDirect(1, 0), E_POINTER);
    EXPECT_EQ(ds->GetBasePeakChromatogramDirect(0), E_POINTER);
}

TEST_F(TavrionProvider, ScanTypes)
{
    // The sample's scans 1 to 5: survey, MS2, MS3, zoom, SIM; then a
    // dependent MS3 whose filter does not parse.
    FileData model = MakeSampleFile();
    EventSpec ms3;
    ms3.analyzer = Analyzer::ITMS;
    ms3.order = 3;
    ms3.dependent = Tri::On;
    ms3.reactions = {Precursor(500.0, Activation::CID), Precursor(300.0, Activation::CID)};
    const ControllerData extra = MSController({{ms3, 3.0, {{150.0, 1.0}}}});
    ScanRecord odd = extra.scans[0];
    odd.index.scanNumber = 31;
    model.controllers[0].scans.push_back(odd);
    auto ds = Dataset(WriteModel(model, "scantypes.raw"));
    ASSERT_TRUE(ds);
    auto types = Query<IKSTavrionDataset>(ds.get());
    ASSERT_TRUE(types);
    struct Case {
        LONG scan;
        bool zoom, full, dependent;
    } cases[] = {{1, false, true, false}, {2, false, true, true}, {3, false, true, true},
                 {4, true, false, false}, {5, false, false, false}, {31, false, false, false}};
    for (const Case& c : cases) {
        VARIANT_BOOL zoom = VARIANT_TRUE, full = VARIANT_TRUE, dependent = VARIANT_TRUE;
        EXPECT_EQ(types->get_IsZoomScan(c.scan, &zoom), S_OK);
        EXPECT_EQ(types->get_IsFullScan(c.scan, &full), S_OK);
        EXPECT_EQ(types->get_IsDependentScan(c.scan, &dependent), S_OK);
        EXPECT_EQ(zoom != VARIANT_FALSE, c.zoom) << c.scan;
        EXPECT_EQ(full != VARIANT_FALSE, c.full) << c.scan;
        EXPECT_EQ(dependent != VARIANT_FALSE, c.dependent) << c.scan;
    }
    for (LONG bad : {0, 32}) {
        VARIANT_BOOL answer = VARIANT_TRUE;
        EXPECT_EQ(types->get_IsDependentScan(bad, &answer), E_INVALIDARG);
        EXPECT_EQ(answer, VARIANT_FALSE);
    }
    EXPECT_EQ(types->get_IsZoomScan(1, nullptr), E_POINTER);

    // Late bound, by name.
    IDispatch* late = types.get();
    LPOLESTR member = const_cast<LPOLESTR>(L"IsZoomScan");
    DISPID id = 0;
    ASSERT_EQ(late->GetIDsOfNames(IID_NULL, &member, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 1);
    ks::Variant index(LONG(4));
    DISPPARAMS params{&index, nullptr, 1, 0};
    ks::Variant result;
    ASSERT_EQ(late->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
}

TEST_F(TavrionProvider, ScanThatDoesNotRead)
{
    auto ds = Dataset(SampleFile());
    ASSERT_TRUE(ds);
    CKSMassSpectrum handle;
    testhook::FailNextCall("GetScan");
    EXPECT_EQ(ds->GetBaseSpectrumDirect(3, reinterpret_cast<ULONG_PTR>(&handle)), E_OUTOFMEMORY);
    testhook::FailNextCall("GetScan", 1);  // the second scan of the range
    EXPECT_EQ(ds->GetBaseSpectrumRangeDirect(3, 5, reinterpret_cast<ULONG_PTR>(&handle)), E_OUTOFMEMORY);
    EXPECT_EQ(ds->GetBaseSpectrumRangeDirect(3, 5, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
}

// The raw-file dialog: its texts and flags, where it starts, and what its
// answer opens.
TEST_F(TavrionProvider, RawFileDialog)
{
    const std::string sample = SampleFile();
    const std::string dir = ks::test::tempDir();
    ScriptedDialogRunner runner;
    ScopedDialogRunner scoped(runner);
    ks::ComPtr<IKSMSDataset> out;

    EXPECT_EQ(m_reader->ReadDatasetInteractive(nullptr), E_POINTER);
    EXPECT_TRUE(runner.log().empty());

    // Nothing stored, nothing read: no start folder; cancelled.
    runner.answerCancel();
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&out), E_ABORT);
    ASSERT_EQ(runner.log().size(), 1u);
    const DialogLogEntry first = runner.log()[0];
    EXPECT_EQ(first.kind, DialogKind::FileOpen);
    EXPECT_EQ(first.title, L"Open Corvane Pardinel Tavrion File");
    EXPECT_EQ(first.filter, L"Tavrion Files (*.raw)|*.raw|All Files (*.*)|*.*||");
    EXPECT_EQ(first.defaultExtension, L"raw");
    EXPECT_EQ(first.initialFolder, L"");
    const DWORD flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_LONGNAMES;
    EXPECT_EQ(first.flags & flags, flags);

    runner.answerFile(W(sample));
    ASSERT_EQ(m_reader->ReadDatasetInteractive(&out), S_OK);
    EXPECT_EQ(Query<IUnknown>(out.get()).get(), Query<IUnknown>(m_provider.get()).get());
    EXPECT_EQ(SourcePathSetting(), W(sample));
    EXPECT_EQ(Description(), MakeTavrionDataSource(W(sample)));

    // The next dialog starts in the stored file's folder.
    runner.answerCancel();
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&out), E_ABORT);
    std::wstring folder = runner.log().back().initialFolder;
    while (folder.size() > 1 && folder.back() == L'/')
        folder.pop_back();
    EXPECT_EQ(folder, W(dir));

    // A stored folder is the start folder itself; a stored path that no
    // longer exists gives none.
    ASSERT_EQ(mkdir((dir + "/runs").c_str(), 0755), 0);
    StoreSourcePath(W(dir + "/runs"));
    runner.answerCancel();
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&out), E_ABORT);
    EXPECT_EQ(runner.log().back().initialFolder, W(dir + "/runs"));
    StoreSourcePath(W(dir + "/gone/x.raw"));
    runner.answerCancel();
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&out), E_ABORT);
    EXPECT_EQ(runner.log().back().initialFolder, L"");

    // A chosen file that is no raw file does not open; a path longer than
    // the dialog's name buffer answers as cancelled.
    ks::test::writeFile(dir + "/text.raw", "text");
    runner.answerFile(W(dir + "/text.raw"));
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&out), E_ACCESSDENIED);
    EXPECT_FALSE(out);
    runner.answerFile(L"/" + std::wstring(259, L'x'));
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&out), E_ABORT);
    EXPECT_TRUE(runner.errors().empty());
    EXPECT_EQ(runner.pending(), 0u);
}

// Without the raw-file reader registered every open fails cleanly.
TEST(TavrionWithoutReader, ProviderOpensNothing)
{
    ASSERT_TRUE(RegisterWithoutReader());
    const std::string sample = SampleFile();
    auto reader = Create<IKSMSDatasetReader>(CLSID_KSTavrionProvider);
    ASSERT_TRUE(reader);
    ks::ComPtr<IKSMSDataset> out;
    EXPECT_EQ(reader->ReadDataset(ks::Bstr(MakeTavrionDataSource(W(sample))), &out), E_ACCESSDENIED);
    EXPECT_FALSE(out);
    auto ds = Query<IKSMSDataset2>(reader.get());
    LONG count = -1;
    EXPECT_EQ(ds->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    CKSMassSpectrum handle;
    EXPECT_EQ(ds->GetTICDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_OUTOFMEMORY);
    double mass = 0;
    EXPECT_EQ(Query<IKSScanInfoProvider>(reader.get())->GetScanStartMass(&mass), S_OK);
    EXPECT_EQ(mass, 100.0);
}

}  // namespace
