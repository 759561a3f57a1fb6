// The provider object of the KSBrukerProvider component, registered with
// ksregsvr into the test case's registry: description and registration,
// the spectrum reader, the dataset reader and the dataset, the browse
// dialog through the dialog service.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "brukerbrowse.h"
#include "brukerdataio.h"
#include "brukertest.h"
#include "ksbrukerprovider.h"
#include "ksdialogrunner.h"
#include "providertest.h"
#include "readersettings.h"

using namespace xmass;
using namespace ks::dialogs;

namespace {

const wchar_t kSourcePathKey[] =
    L"Software\\Kestrom\\Data Services\\{6A3CE9D2-0A56-11d4-9BB7-00D0B7069669}\\Applications\\KSBrukerProvider\\"
    L"Source Path";

std::wstring SourcePathSetting()
{
    std::wstring text;
    ReadRegistryText(HKEY_CURRENT_USER, kSourcePathKey, text);
    return text;
}

class BrukerProvider : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSControls", "KSBrukerProvider"}));
        m_provider = Create<IKSDataProvider>(CLSID_KSBrukerProvider);
        ASSERT_TRUE(m_provider);
        m_reader = Query<IKSSpectrumReader2>(m_provider.get());
        m_datasetReader = Query<IKSMSDatasetReader>(m_provider.get());
        ASSERT_TRUE(m_reader && m_datasetReader);
    }

    ks::ComPtr<IKSMassSpectrum> NewSpectrum() { return Create<IKSMassSpectrum>(CLSID_KSMassSpectrum); }

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
    // The dataset of a data source, opened in the provider object.
    ks::ComPtr<IKSMSDataset2> Dataset(const std::wstring& source)
    {
        ks::ComPtr<IKSMSDataset> dataset;
        EXPECT_EQ(m_datasetReader->ReadDataset(ks::Bstr(source), &dataset), S_OK);
        return Query<IKSMSDataset2>(dataset.get());
    }

    ks::ComPtr<IKSDataProvider> m_provider;
    ks::ComPtr<IKSSpectrumReader2> m_reader;
    ks::ComPtr<IKSMSDatasetReader> m_datasetReader;
};

TEST_F(BrukerProvider, DescribesAndRegistersItself)
{
    struct Text {
        HRESULT (IKSDataProvider::*get)(BSTR*);
        const wchar_t* expected;
    } texts[] = {
        {&IKSDataProvider::get_ClassID, L"{6A3CE9D2-0A56-11d4-9BB7-00D0B7069669}"},
        {&IKSDataProvider::get_ClassName, L"KSBrukerProvider.KSBrukerProvider"},
        {&IKSDataProvider::get_MenuName, L"Bruker XMASS"},
        {&IKSDataProvider::get_Supplier, L"Kestrom, Inc."},
        {&IKSDataProvider::get_Version, L"1.00"},
    };
    for (const Text& t : texts) {
        ks::Bstr value;
        EXPECT_EQ((m_provider.get()->*t.get)(&value), S_OK);
        EXPECT_EQ(value.str(), t.expected);
    }
    LONG flags = 0;
    EXPECT_EQ(m_provider->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, 5);
    auto two = Query<IKSDataProvider2>(m_provider.get());
    auto three = Query<IKSDataProvider3>(m_provider.get());
    ASSERT_TRUE(two && three);
    ks::Bstr server, filter;
    EXPECT_EQ(two->get_DataServerClassID(&server), S_OK);
    EXPECT_EQ(server.str(), L"{ccd1e475-68e1-456e-8577-ada7ad45d93a}");
    EXPECT_EQ(three->get_FilterString(&filter), S_OK);
    EXPECT_EQ(filter.str(), L"Bruker XMass (fid)");
    for (const auto& [service, supported] :
         std::vector<std::pair<const wchar_t*, bool>>{{L"KSSpectrumReader", true},
                                                      {L"KSMSDatasetReader", true},
                                                      {L"KSSpectrumWriter", false}}) {
        VARIANT_BOOL answer = VARIANT_FALSE;
        EXPECT_EQ(m_provider->SupportsService(ks::Bstr(service), &answer), S_OK);
        EXPECT_EQ(answer != VARIANT_FALSE, supported);
    }
    EXPECT_TRUE(Query<IKSBrukerProvider>(m_provider.get()));
    EXPECT_TRUE(Query<IKSMSDataset2>(m_provider.get()));
    EXPECT_FALSE(Query<IKSSpectrumWriter>(m_provider.get()));

    for (const auto& [progId, clsid] : std::vector<std::pair<const wchar_t*, CLSID>>{
             {L"KSBrukerProvider.KSBrukerProvider", CLSID_KSBrukerProvider},
             {L"KSBrukerProvider.KSBrukerProvider.1", CLSID_KSBrukerProvider},
             {L"KSBrukerProvider.KSBrukerDataServer", CLSID_KSBrukerDataServer},
             {L"KSBrukerProvider.KSBrukerDataServer.1", CLSID_KSBrukerDataServer}}) {
        CLSID found{};
        EXPECT_EQ(CLSIDFromProgID(progId, &found), S_OK);
        EXPECT_TRUE(found == clsid);
    }
    std::wstring model;
    EXPECT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT,
                                 L"CLSID\\{CCD1E475-68E1-456E-8577-ADA7AD45D93A}\\InprocServer32\\ThreadingModel", model));
    EXPECT_EQ(model, L"Apartment");
    // The provider server lists it.
    std::wstring menu;
    EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER,
                                 L"Software\\Kestrom\\Data Services\\{6A3CE9D2-0A56-11d4-9BB7-00D0B7069669}\\Menu Name",
                                 menu));
    EXPECT_EQ(menu, L"Bruker XMASS");
}

TEST_F(BrukerProvider, ReadSpectrumReadsScanOne)
{
    const Tree t = StandardDataset();
    auto spectrum = NewSpectrum();
    EXPECT_EQ(Description(), L"");
    const std::wstring source = FormatDataSource(t.WRoot(), L"1", L"1");
    ASSERT_EQ(m_reader->ReadSpectrum(ks::Bstr(source), spectrum.get()), S_OK);
    const Points p = Read(spectrum.get());
    EXPECT_EQ(p.mz, (std::vector<double>{100, 200, 300, 400}));
    EXPECT_EQ(p.intensity, (std::vector<double>{10, 20, 30, 40}));
    EXPECT_FALSE(p.centroid);
    EXPECT_EQ(Description(), source);
    EXPECT_EQ(Path(), t.WRoot());
    EXPECT_EQ(SourcePathSetting(), t.WRoot());

    // Only the class name and a folder: the folder is the experiment, its
    // raw data read.
    CKSMassSpectrum direct;
    const std::wstring twoFields = std::wstring(kBrukerClassName) + L"; " + t.WPath("1");
    ASSERT_EQ(m_reader->ReadSpectrumDirect(ks::Bstr(twoFields), reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
    EXPECT_EQ(Read(direct).mz, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Read(direct).intensity, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Description(), twoFields + L"; ; ");
}

TEST_F(BrukerProvider, FailedSpectrumReads)
{
    const Tree t = StandardDataset();
    auto spectrum = NewSpectrum();
    const std::wstring good = FormatDataSource(t.WRoot(), L"1", L"1");
    ASSERT_EQ(m_reader->ReadSpectrum(ks::Bstr(good), spectrum.get()), S_OK);
    for (const std::wstring& bad : {std::wstring(L"KSTextProvider.KSTextProvider; ") + t.WRoot() + L"; 1; 1",
                                    FormatDataSource(t.WRoot(), L"3", L"1"), FormatDataSource(t.WRoot(), L"9", L""),
                                    std::wstring()}) {
        EXPECT_EQ(m_reader->ReadSpectrum(ks::Bstr(bad), spectrum.get()), E_OUTOFMEMORY);
        CKSMassSpectrum direct;
        EXPECT_EQ(m_reader->ReadSpectrumDirect(ks::Bstr(bad), reinterpret_cast<ULONG_PTR>(&direct)), E_OUTOFMEMORY);
    }
    EXPECT_EQ(Description(), good);  // a failed read changes nothing
    EXPECT_EQ(m_reader->ReadSpectrum(ks::Bstr(good), nullptr), E_POINTER);
    EXPECT_EQ(m_reader->ReadSpectrumDirect(ks::Bstr(good), 0), E_POINTER);
    // An object that is no spectrum: its answer to the query.
    auto chromatogram = Create<IDispatch>(CLSID_KSChromatogram);
    EXPECT_EQ(m_reader->ReadSpectrum(ks::Bstr(good), chromatogram.get()), E_NOINTERFACE);
}

TEST_F(BrukerProvider, DatasetOfASeries)
{
    const Tree t = StandardDataset();
    ks::ComPtr<IKSMSDataset> out;
    ASSERT_EQ(m_datasetReader->ReadDataset(ks::Bstr(FormatDataSource(t.WRoot(), L"4", L"1")), &out), S_OK);
    EXPECT_TRUE(Query<IKSDataProvider>(out.get()).get() == m_provider.get());  // the provider itself
    auto ds = Query<IKSMSDataset2>(out.get());
    ASSERT_TRUE(ds);
    VARIANT_BOOL has = VARIANT_FALSE;
    EXPECT_EQ(ds->get_HasTIC(&has), S_OK);
    EXPECT_EQ(has, VARIANT_TRUE);
    for (auto get : {&IKSMSDataset::get_HasBaseSpectra, &IKSMSDataset::get_HasAuxiliarySpectra,
                     &IKSMSDataset::get_SupportsMassChromatograms, &IKSMSDataset::get_HasTraces}) {
        has = VARIANT_TRUE;
        EXPECT_EQ((ds.get()->*get)(&has), S_OK);
        EXPECT_EQ(has, VARIANT_FALSE);
    }
    LONG count = 0;
    EXPECT_EQ(ds->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(ds->get_AuxiliarySpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);

    auto spectrum = NewSpectrum();
    ASSERT_EQ(ds->GetBaseSpectrum(2, spectrum.get()), S_OK);
    EXPECT_EQ(Read(spectrum.get()).intensity, (std::vector<double>{11, 12, 13, 14}));
    for (LONG bad : {0, 4, -1})
        EXPECT_EQ(ds->GetBaseSpectrum(bad, spectrum.get()), E_INVALIDARG);
    CKSMassSpectrum direct;
    ASSERT_EQ(ds->GetBaseSpectrumDirect(3, reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
    EXPECT_EQ(Read(direct).intensity, (std::vector<double>{21, 22, 23, 24}));
    EXPECT_EQ(direct.GetFirstScan(), 3);

    for (auto [first, last] : std::vector<std::pair<LONG, LONG>>{{0, 1}, {2, 1}, {1, 4}, {-3, 2}})
        EXPECT_EQ(ds->GetBaseSpectrumRange(first, last, spectrum.get()), E_INVALIDARG);

    auto tic = NewSpectrum();
    ASSERT_EQ(ds->GetTIC(tic.get()), S_OK);
    Points chromatogram = Read(tic.get());
    EXPECT_EQ(chromatogram.intensity, (std::vector<double>{10, 50, 90}));
    ASSERT_EQ(chromatogram.mz.size(), 3u);
    EXPECT_DOUBLE_EQ(chromatogram.mz[1], 2.0 / 60);
    EXPECT_FALSE(chromatogram.centroid);
    ASSERT_EQ(ds->GetTICDirect(reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
    EXPECT_EQ(Read(direct).intensity, (std::vector<double>{10, 50, 90}));
    EXPECT_FALSE(direct.IsCentroid());

    EXPECT_EQ(ds->GetAuxiliarySpectrum(1, spectrum.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetAuxiliarySpectrumRange(1, 2, spectrum.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetTrace(1, spectrum.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetBasePeakChromatogram(spectrum.get()), E_NOTIMPL);
    EXPECT_EQ(ds->GetAuxiliarySpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&direct)), E_NOTIMPL);
    EXPECT_EQ(ds->GetTraceDirect(1, reinterpret_cast<ULONG_PTR>(&direct)), E_NOTIMPL);
    EXPECT_EQ(ds->GetBasePeakChromatogram(nullptr), E_POINTER);
    EXPECT_EQ(ds->GetTraceDirect(1, 0), E_POINTER);
    EXPECT_EQ(ds->GetBaseSpectrum(1, nullptr), E_POINTER);
    EXPECT_EQ(ds->get_BaseSpectrumCount(nullptr), E_POINTER);
}

// A spectrum read opens and closes a reader of its own: the dataset this
// provider handed out before keeps its experiment, counts and values, and
// the description follows the last successful read of either kind.
TEST_F(BrukerProvider, SpectrumReadsLeaveTheDatasetOpen)
{
    const Tree t = StandardDataset();
    const std::wstring series = FormatDataSource(t.WRoot(), L"4", L"1");
    auto ds = Dataset(series);
    ASSERT_TRUE(ds);
    auto values = [&] {
        LONG count = -1;
        EXPECT_EQ(ds->get_BaseSpectrumCount(&count), S_OK);
        VARIANT_BOOL has = VARIANT_FALSE;
        EXPECT_EQ(ds->get_HasTIC(&has), S_OK);
        std::vector<double> all{static_cast<double>(count), has == VARIANT_TRUE ? 1.0 : 0.0};
        CKSMassSpectrum direct;
        for (LONG scan = 1; scan <= 3; ++scan) {
            EXPECT_EQ(ds->GetBaseSpectrumDirect(scan, reinterpret_cast<ULONG_PTR>(&direct)), S_OK) << scan;
            for (double v : Read(direct).intensity)
                all.push_back(v);
        }
        EXPECT_EQ(ds->GetTICDirect(reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
        for (double v : Read(direct).intensity)
            all.push_back(v);
        return all;
    };
    const std::vector<double> before = values();
    EXPECT_EQ(before, (std::vector<double>{3, 1, 1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24, 10, 50, 90}));

    auto spectrum = NewSpectrum();
    const std::wstring other = FormatDataSource(t.WRoot(), L"1", L"1");
    ASSERT_EQ(m_reader->ReadSpectrum(ks::Bstr(other), spectrum.get()), S_OK);
    EXPECT_EQ(Read(spectrum.get()).intensity, (std::vector<double>{10, 20, 30, 40}));
    EXPECT_EQ(Description(), other);
    EXPECT_EQ(values(), before);
    // A failed spectrum read leaves it open too.
    EXPECT_EQ(m_reader->ReadSpectrum(ks::Bstr(FormatDataSource(t.WRoot(), L"9", L"1")), spectrum.get()),
              E_OUTOFMEMORY);
    EXPECT_EQ(values(), before);
    EXPECT_EQ(Description(), series);  // dataset reads describe their source again
}

TEST_F(BrukerProvider, RangesOfScansAreCoAdded)
{
    // Profile spectra of 12 points (the co-adding leaves shorter ones as
    // they are): scan 1 holds 1 to 12, scan 2 101 to 112, scan 3 201 to 212.
    Tree t("ds");
    t.Experiment("5.ser", {{"$TD", "12"}, {"$NF", "3"}, {"$BYTORDA", "0"}, {"$Calmet", "2"}, {"$ML2", "11"},
                           {"$ML3", "100"}, {"$GCT", "1"}},
                 "icr", Int32s(std::vector<int32_t>(36, 0)));
    std::vector<int32_t> rows;
    for (int scan = 0; scan < 3; ++scan)
        for (int i = 1; i <= 12; ++i)
            rows.push_back(100 * scan + i);
    t.Processing("5.ser", "1", {{"$SI", "12"}, {"$XDIM", "12"}, {"$BYTORDP", "0"}}, "", Int32s(rows));
    t.Params("5.ser/pdata/1/proc2", {});
    t.Params("5.ser/pdata/1/proc2s", {{"$XDIM", "1"}});
    auto ds = Dataset(FormatDataSource(t.WRoot(), L"5", L"1"));
    ASSERT_TRUE(ds);
    auto spectrum = NewSpectrum();
    ASSERT_EQ(ds->GetBaseSpectrumRange(1, 3, spectrum.get()), S_OK);
    const Points sum = Read(spectrum.get());
    ASSERT_EQ(sum.mz.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_DOUBLE_EQ(sum.mz[i], 100.0 + i);
        EXPECT_DOUBLE_EQ(sum.intensity[i], 303.0 + 3 * i);
    }
    CKSMassSpectrum direct;
    ASSERT_EQ(ds->GetBaseSpectrumRangeDirect(2, 3, reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
    ASSERT_EQ(Read(direct).intensity.size(), 12u);
    EXPECT_DOUBLE_EQ(Read(direct).intensity[0], 302);
    EXPECT_EQ(direct.GetFirstScan(), 2);
    EXPECT_EQ(direct.GetLastScan(), 3);
    EXPECT_DOUBLE_EQ(direct.GetStartRT(), 1.0 / 60);
    EXPECT_DOUBLE_EQ(direct.GetEndRT(), 2.0 / 60);
}

TEST_F(BrukerProvider, RejectedDataSourceAndNothingOpen)
{
    const Tree t = StandardDataset();
    auto ds = Query<IKSMSDataset2>(m_provider.get());
    auto spectrum = NewSpectrum();
    CKSMassSpectrum direct;
    // Nothing read yet: no chromatogram (E_FAIL for both forms) and no scans.
    EXPECT_EQ(ds->GetTIC(spectrum.get()), E_FAIL);
    EXPECT_EQ(ds->GetTICDirect(reinterpret_cast<ULONG_PTR>(&direct)), E_FAIL);
    EXPECT_EQ(ds->GetBaseSpectrum(1, spectrum.get()), E_INVALIDARG);
    VARIANT_BOOL has = VARIANT_TRUE;
    EXPECT_EQ(ds->get_HasTIC(&has), S_OK);
    EXPECT_EQ(has, VARIANT_FALSE);

    ks::ComPtr<IKSMSDataset> out;
    EXPECT_EQ(m_datasetReader->ReadDataset(ks::Bstr(FormatDataSource(t.WRoot(), L"1", L"1")), &out), S_OK);
    for (const std::wstring& bad : {std::wstring(L"Other; ") + t.WRoot() + L"; 1; 1", FormatDataSource(t.WRoot(), L"3", L"1"),
                                    FormatDataSource(t.WRoot(), L"1", L"7")}) {
        EXPECT_EQ(m_datasetReader->ReadDataset(ks::Bstr(bad), &out), E_ACCESSDENIED);
        EXPECT_FALSE(out);
    }
    // The experiment that was open is closed by the rejected read.
    EXPECT_EQ(ds->get_HasTIC(&has), S_OK);
    EXPECT_EQ(has, VARIANT_FALSE);
    EXPECT_EQ(m_datasetReader->ReadDataset(ks::Bstr(L"x"), nullptr), E_POINTER);
}

TEST_F(BrukerProvider, ScansThatCannotBeReadAfterOpening)
{
    const Tree t = StandardDataset();
    auto ds = Dataset(FormatDataSource(t.WRoot(), L"4", L"1"));
    ASSERT_TRUE(ds);
    ASSERT_EQ(::truncate(t.Path("4.ser/pdata/1/2rr").c_str(), 40), 0);  // scan 3 is cut
    auto spectrum = NewSpectrum();
    CKSMassSpectrum direct;
    EXPECT_EQ(ds->GetBaseSpectrum(2, spectrum.get()), S_OK);
    EXPECT_EQ(ds->GetBaseSpectrum(3, spectrum.get()), E_OUTOFMEMORY);
    EXPECT_EQ(ds->GetBaseSpectrumRange(1, 3, spectrum.get()), E_OUTOFMEMORY);
    EXPECT_EQ(ds->GetBaseSpectrumDirect(3, reinterpret_cast<ULONG_PTR>(&direct)), E_OUTOFMEMORY);
    EXPECT_EQ(ds->GetTIC(spectrum.get()), E_FAIL);
    EXPECT_EQ(ds->GetTICDirect(reinterpret_cast<ULONG_PTR>(&direct)), E_FAIL);
}

// The model as the component made it: its own code is reached through
// the virtual members.
CBrukerInputDialog& Model(DialogModel& m)
{
    EXPECT_EQ(m.title(), L"Select Bruker Dataset");
    return static_cast<CBrukerInputDialog&>(m);
}

TEST_F(BrukerProvider, InteractiveReads)
{
    const Tree t = StandardDataset();
    ScriptedDialogRunner runner;
    ScopedDialogRunner scoped(runner);
    auto spectrum = NewSpectrum();

    // Nothing stored, nothing read: the dialog starts nowhere in particular.
    runner.answerModal(
        [&](DialogModel& m) {
            EXPECT_EQ(Model(m).InitialFolder(), L"");
            EXPECT_TRUE(Model(m).SpectrumMode());
        },
        IDCANCEL);
    EXPECT_EQ(m_reader->ReadSpectrumInteractive(spectrum.get()), E_ABORT);

    runner.answerModal([&](DialogModel& m) {
        CBrukerInputDialog& d = Model(m);
        d.SetFolder(W(ks::test::tempDir()));
        d.SelectEntryNamed(L"ds");
        d.SelectExperiment(2);
        d.SetScanText(L"3");
    });
    ASSERT_EQ(m_reader->ReadSpectrumInteractive(spectrum.get()), S_OK);
    EXPECT_EQ(Read(spectrum.get()).intensity, (std::vector<double>{21, 22, 23, 24}));
    EXPECT_EQ(SourcePathSetting(), t.WRoot());

    // The next dialog starts beside the stored dataset folder.
    runner.answerModal([&](DialogModel& m) {
        CBrukerInputDialog& d = Model(m);
        EXPECT_FALSE(d.SpectrumMode());
        EXPECT_EQ(d.CurrentFolder(), W(ks::test::tempDir()));
        d.SelectEntryNamed(L"ds");
        d.SelectProcessing(1);
    });
    ks::ComPtr<IKSMSDataset> out;
    ASSERT_EQ(m_datasetReader->ReadDatasetInteractive(&out), S_OK);
    ASSERT_TRUE(out);
    EXPECT_EQ(Description(), FormatDataSource(t.WRoot(), L"1", L"2"));
    runner.answerModal([](DialogModel&) {}, IDCANCEL);
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(&out), E_ABORT);
    EXPECT_FALSE(out);

    CKSMassSpectrum direct;
    runner.answerModal([&](DialogModel& m) {
        CBrukerInputDialog& d = Model(m);
        d.SetFolder(W(ks::test::tempDir()));
        d.SelectEntryNamed(L"ds");
    });
    ASSERT_EQ(m_reader->ReadSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&direct)), S_OK);
    EXPECT_EQ(Read(direct).intensity, (std::vector<double>{10, 20, 30, 40}));
    EXPECT_EQ(m_reader->ReadSpectrumInteractiveDirect(0), E_POINTER);
    EXPECT_EQ(m_reader->ReadSpectrumInteractive(nullptr), E_POINTER);
    EXPECT_TRUE(runner.errors().empty());
    EXPECT_EQ(runner.pending(), 0u);
}

// An exception inside a member (here from the dialog) stops at the
// interface: the caller gets a failure code, no out pointer, and the
// provider still reads.
TEST_F(BrukerProvider, ExceptionsStopAtTheInterface)
{
    const Tree t = StandardDataset();
    ScriptedDialogRunner runner;
    ScopedDialogRunner scoped(runner);
    auto spectrum = NewSpectrum();
    CKSMassSpectrum direct;

    runner.answerModal([](DialogModel&) { throw std::runtime_error("dialog failed"); });
    EXPECT_EQ(m_reader->ReadSpectrumInteractive(spectrum.get()), E_FAIL);
    runner.answerModal([](DialogModel&) { throw std::bad_alloc(); });
    EXPECT_EQ(m_reader->ReadSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&direct)), E_OUTOFMEMORY);
    runner.answerModal([](DialogModel&) { throw std::runtime_error("dialog failed"); });
    IKSMSDataset* out = reinterpret_cast<IKSMSDataset*>(&direct);  // whatever the caller left there
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(&out), E_FAIL);
    EXPECT_EQ(out, nullptr);

    EXPECT_EQ(m_reader->ReadSpectrum(ks::Bstr(FormatDataSource(t.WRoot(), L"1", L"1")), spectrum.get()), S_OK);
    EXPECT_EQ(Read(spectrum.get()).intensity, (std::vector<double>{10, 20, 30, 40}));
}

}  // namespace
