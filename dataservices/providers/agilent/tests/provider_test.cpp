// The ChemStation provider object of the KSAgilentProvider component,
// registered with ksregsvr into the test case's registry: its description,
// the data-source string, the dataset services through spectrum objects
// and handles, co-adding, the file dialog and the reader settings.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "ksdialogrunner.h"
#include "providertest.h"
#include "readersettings.h"

using namespace agilentfix;
using namespace agilentprov;
using namespace ks::dialogs;

namespace {

const wchar_t kClassName[] = L"KSAgilentProvider.KSLCMSDProvider";

// Five scans 6 s apart; scan i holds m/z 100 with abundance 10 x (i + 1)
// and m/z 300 with 7. The last scan's total is beyond single precision.
MsdFile FiveScans()
{
    MsdFile f;
    f.sampleName = "five";
    for (int i = 0; i < 5; ++i)
        f.scans.push_back(MakeScan(6000 * (i + 1), {{100, static_cast<uint16_t>(10 * (i + 1))}, {300, 7}}));
    f.scans[4].tic = 16777217;
    f.runEndMs = 36000;
    return f;
}

class LCMSDProvider : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSControls", "KSAgilentProvider"}));
        m_provider = Create<IKSDataProvider>(CLSID_KSLCMSDProvider);
        ASSERT_TRUE(m_provider);
        m_reader = Query<IKSMSDatasetReader>(m_provider.get());
        m_dataset = Query<IKSMSDataset3>(m_provider.get());
        ASSERT_TRUE(m_reader && m_dataset);
        m_folder = Folder("five.D");
        ks::test::writeFile(Join(m_folder, "MSD1.MS"), BuildMsd(FiveScans()));
    }

    HRESULT ReadSource(const std::wstring& source)
    {
        ks::ComPtr<IKSMSDataset> dataset;
        const HRESULT hr = m_reader->ReadDataset(ks::Bstr(source), &dataset);
        EXPECT_EQ(static_cast<bool>(dataset), hr == S_OK) << Narrow(source);
        if (dataset) {
            // The dataset handed out is the provider object itself.
            EXPECT_EQ(Query<IUnknown>(dataset.get()).get(), Query<IUnknown>(m_provider.get()).get());
        }
        return hr;
    }
    HRESULT ReadPath(const std::string& path) { return ReadSource(std::wstring(kClassName) + L"; " + Wide(path) + L";"); }

    ks::ComPtr<IKSMassSpectrum> NewSpectrum() { return Create<IKSMassSpectrum>(CLSID_KSMassSpectrum); }

    LONG Count()
    {
        LONG count = -1;
        m_dataset->get_BaseSpectrumCount(&count);
        return count;
    }
    std::wstring Description()
    {
        ks::Bstr text;
        EXPECT_EQ(m_reader->get_DataSourceDescription(&text), S_OK);
        return text.str();
    }
    static std::wstring SourcePath()
    {
        std::wstring text;
        ReadRegistryText(HKEY_CURRENT_USER,
                         L"Software\\Kestrom\\Data Services\\{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}"
                         L"\\Applications\\KSAgilentProvider\\Source Path",
                         text);
        return text;
    }
    static std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

    ks::ComPtr<IKSDataProvider> m_provider;
    ks::ComPtr<IKSMSDatasetReader> m_reader;
    ks::ComPtr<IKSMSDataset3> m_dataset;
    std::string m_folder;
};

}  // namespace

TEST_F(LCMSDProvider, DescribesItself)
{
    const struct {
        HRESULT (IKSDataProvider::*get)(BSTR*);
        const wchar_t* expected;
    } cases[] = {
        {&IKSDataProvider::get_ClassID, L"{BDE6E083-7747-4417-938D-A8BD8D3A5BBC}"},
        {&IKSDataProvider::get_ClassName, L"KSAgilentProvider.KSLCMSDProvider"},
        {&IKSDataProvider::get_MenuName, L"Agilent ChemStation"},
        {&IKSDataProvider::get_Supplier, L"Kestrom, Inc."},
        {&IKSDataProvider::get_Version, L"1.00"},
        {&IKSDataProvider::get_Copyright, L"Copyright (c) Kestrom, Inc."},
    };
    for (const auto& c : cases) {
        ks::Bstr text;
        EXPECT_EQ((m_provider.get()->*c.get)(&text), S_OK);
        EXPECT_EQ(text.str(), c.expected);
    }
    LONG flags = 0;
    EXPECT_EQ(m_provider->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, 4);
    ks::Bstr server;
    EXPECT_EQ(Query<IKSDataProvider2>(m_provider.get())->get_DataServerClassID(&server), S_OK);
    EXPECT_EQ(server.str(), L"{02e12864-a8c5-4c40-88f9-63bc1d93b96e}");
    ks::Bstr filter;
    EXPECT_EQ(Query<IKSDataProvider3>(m_provider.get())->get_FilterString(&filter), S_OK);
    EXPECT_EQ(filter.str(), L"Agilent ChemStation (*.ms)");

    VARIANT_BOOL supported = VARIANT_FALSE;
    EXPECT_EQ(m_provider->SupportsService(ks::Bstr(L"KSMSDatasetReader"), &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_TRUE);
    ks::ComPtr<IDispatch> service;
    EXPECT_EQ(m_provider->GetService(ks::Bstr(L"KSMSDatasetReader"), &service), S_OK);
    EXPECT_TRUE(Query<IKSMSDatasetReader>(service.get()));
    for (REFIID iid : {IID_IKSLCMSDProvider, IID_IDispatch, IID_IKSDataProvider, IID_IKSDataProvider2,
                       IID_IKSDataProvider3, IID_IKSMSDataset, IID_IKSMSDataset2, IID_IKSMSDataset3,
                       IID_IKSMSDatasetReader}) {
        ks::ComPtr<IUnknown> p;
        EXPECT_EQ(m_provider->QueryInterface(iid, reinterpret_cast<void**>(&p)), S_OK);
    }
}

// Before a read every dataset member is refused; null out pointers come
// first, and out values are cleared.
TEST_F(LCMSDProvider, NothingBeforeARead)
{
    VARIANT_BOOL flag = VARIANT_TRUE;
    for (auto get : {&IKSMSDataset::get_HasTIC, &IKSMSDataset::get_HasBaseSpectra,
                     &IKSMSDataset::get_HasAuxiliarySpectra, &IKSMSDataset::get_SupportsMassChromatograms,
                     &IKSMSDataset::get_HasTraces}) {
        flag = VARIANT_TRUE;
        EXPECT_EQ((m_dataset.get()->*get)(&flag), E_ACCESSDENIED);
        EXPECT_EQ(flag, VARIANT_FALSE);
        EXPECT_EQ((m_dataset.get()->*get)(nullptr), E_POINTER);
    }
    flag = VARIANT_TRUE;
    EXPECT_EQ(m_dataset->get_HasDataDependentScans(&flag), E_ACCESSDENIED);
    EXPECT_EQ(flag, VARIANT_FALSE);
    LONG count = 9;
    for (auto get : {&IKSMSDataset::get_BaseSpectrumCount, &IKSMSDataset::get_AuxiliarySpectrumCount,
                     &IKSMSDataset::get_TraceCount}) {
        count = 9;
        EXPECT_EQ((m_dataset.get()->*get)(&count), E_ACCESSDENIED);
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(m_dataset->get_DependentScanCount(1, &count), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->get_DependentScanCount(1, nullptr), E_POINTER);

    auto spectrum = NewSpectrum();
    CKSMassSpectrum handle;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    EXPECT_EQ(m_dataset->GetBaseSpectrum(1, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetBaseSpectrum(1, nullptr), E_POINTER);
    EXPECT_EQ(m_dataset->GetBaseSpectrumRange(1, 1, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetTIC(spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetTIC(nullptr), E_POINTER);
    EXPECT_EQ(m_dataset->GetBasePeakChromatogram(spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetBaseSpectrumDirect(1, address), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetBaseSpectrumDirect(1, 0), E_POINTER);
    EXPECT_EQ(m_dataset->GetBaseSpectrumRangeDirect(1, 1, address), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetTICDirect(address), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetBasePeakChromatogramDirect(address), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetBasePeakChromatogramDirect(0), E_POINTER);
    ks::Bstr description;
    EXPECT_EQ(m_reader->get_DataSourceDescription(&description), E_ACCESSDENIED);
    EXPECT_EQ(m_reader->get_DataSourceDescription(nullptr), E_POINTER);
    EXPECT_EQ(m_reader->ReadDataset(ks::Bstr(L"x"), nullptr), E_POINTER);
    EXPECT_EQ(m_reader->ReadDatasetInteractive(nullptr), E_POINTER);
}

// The data-source string, read by its length: text before the class name
// is ignored, the final ";" may be missing, the path is trimmed.
TEST_F(LCMSDProvider, DataSourceStrings)
{
    const std::wstring name = kClassName;
    const std::wstring folder = Wide(m_folder);
    const std::wstring file = Wide(Join(m_folder, "MSD1.MS"));
    const struct {
        std::wstring source;
        HRESULT result;
    } cases[] = {
        {name + L"; " + folder + L";", S_OK},
        {L"Provider=" + name + L";\t " + folder + L"  ", S_OK},
        {name + L";" + file + L"; Function: 1;", S_OK},
        {name + L"  ;" + folder, S_OK},
        {L"", E_INVALIDARG},
        {folder, E_INVALIDARG},
        {name, E_INVALIDARG},
        {name + L";", E_INVALIDARG},
        {L"ksagilentprovider.kslcmsdprovider; " + folder + L";", E_INVALIDARG},
        {L"KSAgilentProvider.KSLCMSD; " + folder + L";", E_INVALIDARG},
        {name + L"; " + folder + L"/missing;", E_FAIL},
        {name + L"; ;", E_FAIL},
        {name + L"; " + std::wstring(5000, L'x') + L";", E_FAIL},
        {name + std::wstring(1, L'\0') + L"; " + folder + L";", S_OK},
        {name + L"; " + folder + std::wstring(1, L'\0') + L";", E_FAIL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadSource(c.source), c.result) << Narrow(c.source);

    // A dataset path with a ";" cannot be named: the path ends there.
    EXPECT_EQ(ReadSource(name + L"; " + folder + L";x"), S_OK);
}

// Each successful read replaces the dataset, and path, description and
// "Source Path" follow it; a failed parse leaves the dataset open, a
// failed open closes it.
TEST_F(LCMSDProvider, ReadsFollowEachOther)
{
    MsdFile other;
    other.sampleName = "other";
    other.scans.push_back(MakeScan(1000, {{50, 1}}));
    const std::string second = Join(Folder("nested/other.D"), "DATA.MS");
    ks::test::writeFile(second, BuildMsd(other));

    ASSERT_EQ(ReadPath(m_folder), S_OK);
    EXPECT_EQ(Count(), 5);
    EXPECT_EQ(Description(), std::wstring(kClassName) + L"; " + Wide(m_folder) + L";");
    ks::Bstr path;
    EXPECT_EQ(m_provider->get_Path(&path), S_OK);
    EXPECT_EQ(path.str(), Wide(m_folder));

    // The folder the dataset lies in, kept under the deliverable's own
    // application name.
    EXPECT_EQ(SourcePath(), Wide(ks::test::tempDir()));

    const std::wstring secondSource = L"x " + std::wstring(kClassName) + L"; " + Wide(second);
    ASSERT_EQ(ReadSource(secondSource), S_OK);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Description(), secondSource);
    EXPECT_EQ(SourcePath(), Wide(Join(ks::test::tempDir(), "nested/other.D")));

    EXPECT_EQ(ReadSource(L"nothing to parse"), E_INVALIDARG);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Description(), secondSource);

    EXPECT_EQ(ReadPath(m_folder + "/missing.D"), E_FAIL);
    LONG count = 7;
    EXPECT_EQ(m_dataset->get_BaseSpectrumCount(&count), E_ACCESSDENIED);
    ks::Bstr text;
    EXPECT_EQ(m_reader->get_DataSourceDescription(&text), E_ACCESSDENIED);
    EXPECT_EQ(SourcePath(), Wide(Join(ks::test::tempDir(), "nested/other.D")));
}

TEST_F(LCMSDProvider, DatasetMembers)
{
    ASSERT_EQ(ReadPath(m_folder), S_OK);
    const struct {
        HRESULT (IKSMSDataset::*get)(VARIANT_BOOL*);
        VARIANT_BOOL expected;
    } flags[] = {
        {&IKSMSDataset::get_HasTIC, VARIANT_TRUE},
        {&IKSMSDataset::get_HasBaseSpectra, VARIANT_TRUE},
        {&IKSMSDataset::get_HasAuxiliarySpectra, VARIANT_FALSE},
        {&IKSMSDataset::get_SupportsMassChromatograms, VARIANT_FALSE},
        {&IKSMSDataset::get_HasTraces, VARIANT_FALSE},
    };
    for (const auto& f : flags) {
        VARIANT_BOOL value = 5;
        EXPECT_EQ((m_dataset.get()->*f.get)(&value), S_OK);
        EXPECT_EQ(value, f.expected);
    }
    LONG count = -1;
    EXPECT_EQ(m_dataset->get_AuxiliarySpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(m_dataset->get_TraceCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    VARIANT_BOOL dependent = VARIANT_TRUE;
    EXPECT_EQ(m_dataset->get_HasDataDependentScans(&dependent), S_OK);
    EXPECT_EQ(dependent, VARIANT_FALSE);
    EXPECT_EQ(m_dataset->get_DependentScanCount(2, &count), S_OK);
    EXPECT_EQ(count, 0);
    // Through the first interface as through the third.
    auto first = Query<IKSMSDataset>(m_provider.get());
    EXPECT_EQ(first->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 5);

    // Not offered.
    auto spectrum = NewSpectrum();
    CKSMassSpectrum handle;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    EXPECT_EQ(m_dataset->GetAuxiliarySpectrum(1, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetAuxiliarySpectrum(1, nullptr), E_POINTER);
    EXPECT_EQ(m_dataset->GetAuxiliarySpectrumRange(1, 2, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetTrace(1, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetTrace(1, nullptr), E_POINTER);
    EXPECT_EQ(m_dataset->GetAuxiliarySpectrumDirect(1, address), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetAuxiliarySpectrumRangeDirect(1, 1, 0), E_POINTER);
    EXPECT_EQ(m_dataset->GetTraceDirect(1, address), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetDependentSpectrum(1, 1, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetDependentSpectrum(1, 1, nullptr), E_POINTER);
}

TEST_F(LCMSDProvider, Spectra)
{
    ASSERT_EQ(ReadPath(m_folder), S_OK);
    auto spectrum = NewSpectrum();
    ASSERT_EQ(m_dataset->GetBaseSpectrum(2, spectrum.get()), S_OK);
    Points p = Read(spectrum.get());
    EXPECT_EQ(p.x, (std::vector<double>{100, 300}));
    EXPECT_EQ(p.y, (std::vector<double>{20, 7}));
    EXPECT_EQ(p.firstScan, 2);
    EXPECT_EQ(p.lastScan, 2);
    EXPECT_DOUBLE_EQ(p.startRT, 0.2);
    EXPECT_DOUBLE_EQ(p.endRT, 0.3);

    CKSMassSpectrum handle;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    ASSERT_EQ(m_dataset->GetBaseSpectrumDirect(5, address), S_OK);
    p = Read(handle);
    EXPECT_EQ(p.y, (std::vector<double>{50, 7}));
    EXPECT_EQ(p.firstScan, 5);
    EXPECT_DOUBLE_EQ(p.endRT, 0.6);  // the run end

    for (LONG bad : {0, 6, -1}) {
        EXPECT_EQ(m_dataset->GetBaseSpectrum(bad, spectrum.get()), E_ACCESSDENIED) << bad;
        EXPECT_EQ(m_dataset->GetBaseSpectrumDirect(bad, address), E_ACCESSDENIED) << bad;
    }
    // An object without the spectrum interface.
    EXPECT_EQ(m_dataset->GetBaseSpectrum(1, Query<IDispatch>(m_provider.get()).get()), E_NOINTERFACE);
    EXPECT_EQ(m_dataset->GetTIC(Query<IDispatch>(m_provider.get()).get()), E_NOINTERFACE);
}

TEST_F(LCMSDProvider, SpectrumRanges)
{
    ASSERT_EQ(ReadPath(m_folder), S_OK);
    auto spectrum = NewSpectrum();
    // One scan: scan 3 alone, ending where scan 4 starts.
    ASSERT_EQ(m_dataset->GetBaseSpectrumRange(3, 3, spectrum.get()), S_OK);
    Points p = Read(spectrum.get());
    EXPECT_EQ(p.y, (std::vector<double>{30, 7}));
    EXPECT_EQ(p.firstScan, 3);
    EXPECT_EQ(p.lastScan, 3);
    EXPECT_DOUBLE_EQ(p.startRT, 0.3);
    EXPECT_DOUBLE_EQ(p.endRT, 0.4);

    // Scans 2 to 4 co-added: from scan 2's start to scan 4's retention time.
    CKSMassSpectrum handle;
    ASSERT_EQ(m_dataset->GetBaseSpectrumRangeDirect(2, 4, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    p = Read(handle);
    EXPECT_EQ(p.x, (std::vector<double>{100, 300}));
    EXPECT_EQ(p.y, (std::vector<double>{90, 21}));
    EXPECT_EQ(p.firstScan, 2);
    EXPECT_EQ(p.lastScan, 4);
    EXPECT_DOUBLE_EQ(p.startRT, 0.2);
    EXPECT_DOUBLE_EQ(p.endRT, 0.4);

    for (const auto& [first, last] : std::vector<std::pair<LONG, LONG>>{{2, 1}, {0, 1}, {1, 6}, {6, 6}})
        EXPECT_EQ(m_dataset->GetBaseSpectrumRange(first, last, spectrum.get()), E_ACCESSDENIED)
            << first << "-" << last;
}

// Peaks within 0.1 Da of each other join; farther ones stay apart.
TEST_F(LCMSDProvider, CoAddingAtATenthOfADalton)
{
    MsdFile f;
    f.scans.push_back(MakeScan(1000, {{100.0, 10}, {200.0, 5}}));
    f.scans.push_back(MakeScan(2000, {{100.05, 30}, {200.2, 5}}));
    f.runEndMs = 3000;
    const std::string path = Join(Folder("coadd.D"), "MSD1.MS");
    ks::test::writeFile(path, BuildMsd(f));
    ASSERT_EQ(ReadPath(path), S_OK);
    CKSMassSpectrum handle;
    ASSERT_EQ(m_dataset->GetBaseSpectrumRangeDirect(1, 2, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    const Points p = Read(handle);
    ASSERT_EQ(p.count, 3);
    EXPECT_NEAR(p.x[0], 100.0375, 1e-9);  // intensity-weighted
    EXPECT_EQ(p.y[0], 40);
    EXPECT_EQ(p.x[1], 200.0);
    EXPECT_EQ(p.x[2], 200.2);
}

// One point per scan: retention times as m/z values, the directory's
// totals and base peaks, rounded to single precision, as a profile.
TEST_F(LCMSDProvider, Chromatograms)
{
    ASSERT_EQ(ReadPath(m_folder), S_OK);
    const std::vector<double> times{0.1, 0.2, 0.3, 0.4, 0.5};
    auto tic = NewSpectrum();
    ASSERT_EQ(m_dataset->GetTIC(tic.get()), S_OK);
    Points p = Read(tic.get());
    EXPECT_EQ(p.count, 5);
    EXPECT_EQ(p.x, times);
    EXPECT_EQ(p.y, (std::vector<double>{17, 27, 37, 47, 16777216}));
    EXPECT_FALSE(p.centroid);

    auto bpc = NewSpectrum();
    ASSERT_EQ(m_dataset->GetBasePeakChromatogram(bpc.get()), S_OK);
    EXPECT_EQ(Read(bpc.get()).y, (std::vector<double>{10, 20, 30, 40, 50}));

    CKSMassSpectrum handle;
    handle.SetCentroid(true);
    ASSERT_EQ(m_dataset->GetTICDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    p = Read(handle);
    EXPECT_EQ(p.x, times);
    EXPECT_EQ(p.y.back(), 16777216);
    EXPECT_FALSE(p.centroid);
    ASSERT_EQ(m_dataset->GetBasePeakChromatogramDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(Read(handle).y, (std::vector<double>{10, 20, 30, 40, 50}));

    // A file of no scans: empty chromatograms.
    MsdFile empty;
    const std::string path = Join(Folder("empty.D"), "MSD1.MS");
    ks::test::writeFile(path, BuildMsd(empty));
    ASSERT_EQ(ReadPath(path), S_OK);
    ASSERT_EQ(m_dataset->GetTIC(tic.get()), S_OK);
    EXPECT_EQ(Read(tic.get()).count, 0);
    ASSERT_EQ(m_dataset->GetTICDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(Read(handle).count, 0);
}

TEST_F(LCMSDProvider, FileDialog)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerCancel();
    ks::ComPtr<IKSMSDataset> dataset;
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&dataset), E_INVALIDARG);
    EXPECT_FALSE(dataset);

    const std::string file = Join(m_folder, "MSD1.MS");
    runner.answerFile(Wide(file));
    ASSERT_EQ(m_reader->ReadDatasetInteractive(&dataset), S_OK);
    EXPECT_TRUE(dataset);
    EXPECT_EQ(Count(), 5);
    EXPECT_EQ(Description(), std::wstring(kClassName) + L"; " + Wide(file) + L";");

    // The next dialog starts in the folder of the file read.
    runner.answerFile(Wide(Join(m_folder, "none.ms")));
    EXPECT_EQ(m_reader->ReadDatasetInteractive(&dataset), E_FAIL);

    const auto log = runner.log();
    ASSERT_EQ(log.size(), 3u);
    for (const auto& entry : log) {
        EXPECT_EQ(entry.kind, DialogKind::FileOpen);
        EXPECT_EQ(entry.filter, L"");
        EXPECT_EQ(entry.defaultExtension, L"");
        EXPECT_EQ(entry.title, L"");
        EXPECT_EQ(entry.flags, OFN_HIDEREADONLY);
    }
    EXPECT_EQ(log[0].initialFolder, L"");
    EXPECT_EQ(log[2].initialFolder, Wide(m_folder));
    EXPECT_TRUE(runner.errors().empty());
}

// A file damaged after it was read: that call fails, the provider stays
// usable.
TEST_F(LCMSDProvider, FileDamagedAfterTheRead)
{
    // Scans of 4,000 points: more than the reader keeps of the file at once.
    MsdFile big;
    for (int i = 0; i < 5; ++i) {
        std::vector<std::pair<double, uint16_t>> points;
        for (int k = 0; k < 4000; ++k)
            points.emplace_back(100 + 0.05 * k, static_cast<uint16_t>(1 + k));
        big.scans.push_back(MakeScan(6000 * (i + 1), points));
    }
    big.runEndMs = 36000;
    const std::string path = Join(Folder("big.D"), "MSD1.MS");
    ks::test::writeFile(path, BuildMsd(big));
    ASSERT_EQ(ReadPath(path), S_OK);
    ASSERT_EQ(truncate(path.c_str(), 20000), 0);
    auto spectrum = NewSpectrum();
    EXPECT_EQ(m_dataset->GetBaseSpectrum(5, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetBaseSpectrumRange(4, 5, spectrum.get()), E_ACCESSDENIED);
    EXPECT_EQ(m_dataset->GetTIC(spectrum.get()), S_OK);  // from the directory read at the open
    ASSERT_EQ(ReadPath(m_folder), S_OK);
    EXPECT_EQ(m_dataset->GetBaseSpectrum(5, spectrum.get()), S_OK);
}
