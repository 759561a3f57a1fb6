// The provider object of the KSTextProvider component, registered with
// ksregsvr into the test case's registry: description, interfaces and
// services, the spectrum reader and writer with the file dialogs, the
// dataset reader and the dataset.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "ksdialogrunner.h"
#include "ksconvert.h"
#include "kshandles.h"
#include "providertest.h"

using namespace textprov;
using namespace ks::dialogs;

namespace {

class TextProvider : public testing::Test {
protected:
    void SetUp() override
    {
        Register({"KSControls.so", "KSTextProvider.so"});
        m_provider = Create<IKSDataProvider>(CLSID_KSTextProvider);
        ASSERT_TRUE(m_provider);
        m_reader = Query<IKSSpectrumReader2>(m_provider.get());
        m_writer = Query<IKSSpectrumWriter2>(m_provider.get());
        m_datasetReader = Query<IKSMSDatasetReader>(m_provider.get());
        ASSERT_TRUE(m_reader && m_writer && m_datasetReader);
    }

    ks::ComPtr<IKSMassSpectrum> NewSpectrum() { return Create<IKSMassSpectrum>(CLSID_KSMassSpectrum); }

    std::wstring Path()
    {
        ks::Bstr path;
        EXPECT_EQ(m_provider->get_Path(&path), S_OK);
        return path.str();
    }
    std::wstring Description()
    {
        ks::Bstr text;
        EXPECT_EQ(m_reader->get_DataSourceDescription(&text), S_OK);
        return text.str();
    }
    std::wstring Dir() { return Wide(ks::test::tempDir()); }
    std::wstring File(const std::string& name, const std::string& bytes)
    {
        ks::test::writeFile(ks::test::tempDir() + "/" + name, bytes);
        return Dir() + L"/" + Wide(name);
    }

    ks::ComPtr<IKSDataProvider> m_provider;
    ks::ComPtr<IKSSpectrumReader2> m_reader;
    ks::ComPtr<IKSSpectrumWriter2> m_writer;
    ks::ComPtr<IKSMSDatasetReader> m_datasetReader;
};

// ---------------------------------------------------------------------------
// Description, interfaces, services

TEST_F(TextProvider, DescribesItself)
{
    struct Case {
        HRESULT (IKSDataProvider::*get)(BSTR*);
        const wchar_t* expected;
    };
    const Case cases[] = {
        {&IKSDataProvider::get_ClassID, L"{127AC576-D36A-11D3-91D9-00400536072C}"},
        {&IKSDataProvider::get_ClassName, L"KSTextProvider.KSTextProvider"},
        {&IKSDataProvider::get_MenuName, L"Text File"},
        {&IKSDataProvider::get_Supplier, L"Kestrom, Inc."},
        {&IKSDataProvider::get_Version, L"1.00"},
        {&IKSDataProvider::get_Path, L""},
    };
    for (const Case& c : cases) {
        ks::Bstr text;
        EXPECT_EQ((m_provider.get()->*c.get)(&text), S_OK);
        EXPECT_EQ(text.str(), c.expected);
    }
    ks::Bstr copyright;
    EXPECT_EQ(m_provider->get_Copyright(&copyright), S_OK);
    EXPECT_NE(copyright.str().find(L"Kestrom"), std::wstring::npos);
    LONG flags = 0;
    EXPECT_EQ(m_provider->get_ProviderFlags(&flags), S_OK);
    EXPECT_EQ(flags, 3);
    auto two = Query<IKSDataProvider2>(m_provider.get());
    ASSERT_TRUE(two);
    ks::Bstr server;
    EXPECT_EQ(two->get_DataServerClassID(&server), S_OK);
    EXPECT_EQ(server.str(), L"{02a12d80-06f6-46b5-9617-577dd9d135e8}");
    EXPECT_EQ(Description(), L"");
}

TEST_F(TextProvider, AnswersItsInterfacesAndNoFilter)
{
    ks::ComPtr<IUnknown> identity = Query<IUnknown>(m_provider.get());
    auto own = Query<IKSTextProvider>(m_provider.get());
    auto dispatch = Query<IDispatch>(m_provider.get());
    ASSERT_TRUE(own && dispatch);
    EXPECT_EQ(static_cast<IDispatch*>(own.get()), dispatch.get());
    for (const IID& iid : {IID_IKSDataProvider, IID_IKSDataProvider2, IID_IKSSpectrumReader, IID_IKSSpectrumReader2,
                           IID_IKSSpectrumWriter, IID_IKSSpectrumWriter2, IID_IKSMSDataset, IID_IKSMSDataset2,
                           IID_IKSMSDatasetReader}) {
        ks::ComPtr<IUnknown> p;
        EXPECT_EQ(identity->QueryInterface(iid, reinterpret_cast<void**>(&p)), S_OK);
    }
    for (const IID& iid : {IID_IKSDataProvider3, IID_IKSMSDataset3, IID_IKSMSDatasetWriter, IID_IKSDataServer}) {
        ks::ComPtr<IUnknown> p;
        EXPECT_EQ(identity->QueryInterface(iid, reinterpret_cast<void**>(&p)), E_NOINTERFACE);
    }
    // Each older interface is its version 2.
    EXPECT_EQ(static_cast<IKSSpectrumReader*>(m_reader.get()), Query<IKSSpectrumReader>(m_provider.get()).get());
    EXPECT_EQ(static_cast<IKSSpectrumWriter*>(m_writer.get()), Query<IKSSpectrumWriter>(m_provider.get()).get());
    EXPECT_EQ(static_cast<IKSMSDataset*>(Query<IKSMSDataset2>(m_provider.get()).get()),
              Query<IKSMSDataset>(m_provider.get()).get());
}

TEST_F(TextProvider, ServicesAreTheReaderAndTheWriter)
{
    ks::ComPtr<IDispatch> service;
    EXPECT_EQ(m_provider->GetService(ks::Bstr(L"KSSpectrumReader"), &service), S_OK);
    EXPECT_EQ(service.get(), static_cast<IDispatch*>(m_reader.get()));
    EXPECT_EQ(m_provider->GetService(ks::Bstr(L"KSSpectrumWriter"), &service), S_OK);
    EXPECT_EQ(service.get(), static_cast<IDispatch*>(m_writer.get()));
    // The dataset reader is there, but it is not offered as a service.
    EXPECT_EQ(m_provider->GetService(ks::Bstr(L"KSMSDatasetReader"), &service), S_OK);
    EXPECT_FALSE(service);
    VARIANT_BOOL supported = 0;
    EXPECT_EQ(m_provider->SupportsService(ks::Bstr(L"KSSpectrumWriter"), &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_TRUE);
    EXPECT_EQ(m_provider->SupportsService(ks::Bstr(L"kSSpectrumWriter"), &supported), S_OK);
    EXPECT_EQ(supported, VARIANT_FALSE);
}

// ---------------------------------------------------------------------------
// Spectrum reader

TEST_F(TextProvider, ReadsAPlainPathIntoAnObject)
{
    const std::wstring file = File("one.txt", "Sample A\r\nRun 3\r\ncontinuum\r\n100 5\r\n101.5,7\r\n");
    auto spectrum = NewSpectrum();
    ASSERT_EQ(m_reader->ReadSpectrum(ks::Bstr(file), spectrum.get()), S_OK);
    const Points p = Read(spectrum.get());
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.masses, (std::vector<double>{100, 101.5}));
    EXPECT_EQ(p.intensities, (std::vector<double>{5, 7}));
    EXPECT_EQ(p.title, L"Sample ARun 3");
    EXPECT_EQ(p.centroid, VARIANT_FALSE);
    EXPECT_EQ(Path(), Dir() + L"/");
    EXPECT_EQ(Description(), L"KSTextProvider.KSTextProvider; " + file);
    // Only the interactive form keeps a setting.
    EXPECT_EQ(Setting(L"Source Path"), L"");
}

// Late-bound clients reach the reader through its dispatch interface.
TEST_F(TextProvider, ReadSpectrumThroughIDispatch)
{
    const std::wstring file = File("one.txt", "100 5\n");
    auto spectrum = NewSpectrum();
    IDispatch* reader = m_reader.get();
    LPOLESTR name = const_cast<LPOLESTR>(L"readspectrum");
    DISPID id = 0;
    ASSERT_EQ(reader->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    ks::Bstr path(file);
    VARIANT args[2];
    VariantInit(&args[0]);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = spectrum.get();
    VariantInit(&args[1]);
    args[1].vt = VT_BSTR;
    args[1].bstrVal = path.get();
    DISPPARAMS params{args, nullptr, 2, 0};
    EXCEPINFO info{};
    UINT bad = 0;
    ASSERT_EQ(reader->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &info, &bad), S_OK);
    EXPECT_EQ(Read(spectrum.get()).intensities, std::vector<double>{5});
    // A failure comes back as an exception carrying its code.
    ks::Bstr missing(Dir() + L"/missing.txt");
    args[1].bstrVal = missing.get();
    EXPECT_EQ(reader->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &info, &bad), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, E_OUTOFMEMORY);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
}

TEST_F(TextProvider, FailedReadsAnswerOutOfMemoryAndChangeNothing)
{
    const std::wstring file = File("one.txt", "100 5\n");
    auto spectrum = NewSpectrum();
    const std::wstring inputs[] = {
        L"KSTextProvider.KSTextProvider; " + file,  // a data-source string is not a path
        Dir() + L"/missing.txt",
        Dir(),  // a folder
        L"",
    };
    for (const std::wstring& input : inputs) {
        EXPECT_EQ(m_reader->ReadSpectrum(ks::Bstr(input), spectrum.get()), E_OUTOFMEMORY) << Narrow(input);
        CKSMassSpectrum handle;
        EXPECT_EQ(m_reader->ReadSpectrumDirect(ks::Bstr(input), reinterpret_cast<ULONG_PTR>(&handle)),
                  E_OUTOFMEMORY);
    }
    EXPECT_EQ(Path(), L"");
    EXPECT_EQ(Description(), L"");
}

TEST_F(TextProvider, TargetsAreCheckedFirst)
{
    const std::wstring file = File("one.txt", "100 5\n");
    EXPECT_EQ(m_reader->ReadSpectrum(ks::Bstr(file), nullptr), E_POINTER);
    EXPECT_EQ(m_reader->ReadSpectrumDirect(ks::Bstr(file), 0), E_POINTER);
    EXPECT_EQ(m_writer->WriteSpectrum(ks::Bstr(file), nullptr), E_POINTER);
    EXPECT_EQ(m_writer->WriteSpectrumDirect(ks::Bstr(file), 0), E_POINTER);
    // An object that is no spectrum fails the query, before any dialog.
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    for (HRESULT hr : {m_reader->ReadSpectrum(ks::Bstr(file), m_provider.get()),
                       m_reader->ReadSpectrumInteractive(m_provider.get()),
                       m_writer->WriteSpectrum(ks::Bstr(Dir() + L"/w.txt"), m_provider.get()),
                       m_writer->WriteSpectrumInteractive(m_provider.get())})
        EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_TRUE(runner.log().empty());
    EXPECT_FALSE(ks::test::readFile(ks::test::tempDir() + "/w.txt").size());
}

TEST_F(TextProvider, ReadsDirectIntoTheCallersSpectrum)
{
    const std::wstring file = File("one.txt", "Title\n100 5\n200\n");
    CKSMassSpectrum handle;
    ASSERT_EQ(m_reader->ReadSpectrumDirect(ks::Bstr(file), reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    ASSERT_EQ(handle.GetCount(), 2);
    EXPECT_EQ(handle.GetMasses()[1], 200);
    EXPECT_EQ(handle.GetIntensities()[1], 1.0);
    EXPECT_EQ(handle.GetTitle(), L"Title");
    EXPECT_EQ(Description(), L"KSTextProvider.KSTextProvider; " + file);
}

TEST_F(TextProvider, InteractiveReadStartsAtTheSettingAndKeepsTheFolder)
{
    const std::string sub = ks::test::tempDir() + "/spectra";
    ASSERT_TRUE(std::filesystem::create_directories(sub));
    ks::test::writeFile(sub + "/a.txt", "100 5\n");
    const std::wstring settingPath = SettingPath(L"Source Path");
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, settingPath, Dir()));

    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerCancel();
    runner.answerFile(Wide(sub) + L"/a.txt");
    auto spectrum = NewSpectrum();
    EXPECT_EQ(m_reader->ReadSpectrumInteractive(spectrum.get()), E_ABORT);
    EXPECT_EQ(Setting(L"Source Path"), Dir());
    EXPECT_EQ(Description(), L"");
    ASSERT_EQ(m_reader->ReadSpectrumInteractive(spectrum.get()), S_OK);
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].title, L"Source Spectrum");
    EXPECT_EQ(log[0].initialName, Dir() + L"/*.txt");
    EXPECT_EQ(Read(spectrum.get()).masses, std::vector<double>{100});
    EXPECT_EQ(Path(), Wide(sub) + L"/");
    EXPECT_EQ(Setting(L"Source Path"), Wide(sub) + L"/");
    EXPECT_EQ(Description(), L"KSTextProvider.KSTextProvider; " + Wide(sub) + L"/a.txt");

    // A failed read keeps the setting as it was.
    runner.answerFile(Dir() + L"/missing.txt");
    CKSMassSpectrum handle;
    EXPECT_EQ(m_reader->ReadSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_OUTOFMEMORY);
    EXPECT_EQ(Setting(L"Source Path"), Wide(sub) + L"/");
    EXPECT_EQ(m_reader->ReadSpectrumInteractiveDirect(0), E_POINTER);
    EXPECT_TRUE(runner.errors().empty());
}

// ---------------------------------------------------------------------------
// Spectrum writer

TEST_F(TextProvider, WritesObjectsAndHandlesByteForByte)
{
    auto spectrum = NewSpectrum();
    ASSERT_EQ(spectrum->put_Count(2), S_OK);
    ks::SafeArray masses(MakeSafeArray(VT_R8, 2, std::vector<double>{100, 101.5}.data()));
    ks::SafeArray intensities(MakeSafeArray(VT_R8, 2, std::vector<double>{5, 7}.data()));
    VARIANT vm;
    VariantInit(&vm);
    vm.vt = VT_ARRAY | VT_R8;
    vm.parray = masses.get();
    VARIANT vi;
    VariantInit(&vi);
    vi.vt = VT_ARRAY | VT_R8;
    vi.parray = intensities.get();
    ASSERT_EQ(spectrum->put_Masses(vm), S_OK);
    ASSERT_EQ(spectrum->put_Intensities(vi), S_OK);
    ASSERT_EQ(spectrum->put_Centroid(VARIANT_FALSE), S_OK);
    const std::wstring out = Dir() + L"/out.txt";
    ASSERT_EQ(m_writer->WriteSpectrum(ks::Bstr(out), spectrum.get()), S_OK);
    EXPECT_EQ(ks::test::readFile(Narrow(out)), "continuum\r\n100.000000\t5.000000\r\n101.500000\t7.000000\r\n");
    EXPECT_EQ(Path(), Dir() + L"/");
    EXPECT_EQ(Description(), L"KSTextProvider.KSTextProvider; " + out);
    EXPECT_EQ(Setting(L"Destination Path"), L"");

    CKSMassSpectrum handle;
    handle.SetCount(1);
    const double mz = 0.5;
    const double in = 1e6;
    handle.SetMasses(&mz);
    handle.SetIntensities(&in);
    handle.SetCentroid(true);
    const std::wstring direct = Dir() + L"/direct.txt";
    ASSERT_EQ(m_writer->WriteSpectrumDirect(ks::Bstr(direct), reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(ks::test::readFile(Narrow(direct)), "0.500000\t1000000.000000\r\n");

    // Written and read back: the same points.
    auto back = NewSpectrum();
    ASSERT_EQ(m_reader->ReadSpectrum(ks::Bstr(out), back.get()), S_OK);
    EXPECT_EQ(Read(back.get()).intensities, (std::vector<double>{5, 7}));
    EXPECT_EQ(Read(back.get()).centroid, VARIANT_FALSE);
}

TEST_F(TextProvider, DescriptionPutIsKept)
{
    EXPECT_EQ(m_writer->put_DataSourceDescription(ks::Bstr(L"my spectrum")), S_OK);
    EXPECT_EQ(Description(), L"my spectrum");
    EXPECT_EQ(m_reader->get_DataSourceDescription(nullptr), E_POINTER);
}

TEST_F(TextProvider, WriteFailureAnswersCantSave)
{
    auto spectrum = NewSpectrum();
    const std::wstring out = Dir() + L"/no/such/folder/out.txt";
    EXPECT_EQ(m_writer->WriteSpectrum(ks::Bstr(out), spectrum.get()), STG_E_CANTSAVE);
    CKSMassSpectrum handle;
    EXPECT_EQ(m_writer->WriteSpectrumDirect(ks::Bstr(out), reinterpret_cast<ULONG_PTR>(&handle)), STG_E_CANTSAVE);

    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerFile(out);
    EXPECT_EQ(m_writer->WriteSpectrumInteractive(spectrum.get()), STG_E_CANTSAVE);
    EXPECT_EQ(Setting(L"Destination Path"), L"");
    EXPECT_EQ(Path(), L"");
    EXPECT_EQ(Description(), L"");
}

TEST_F(TextProvider, CancelledWriteLeavesNoFileNoSettingNoChange)
{
    const std::wstring settingPath = SettingPath(L"Destination Path");
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, settingPath, Dir()));
    ASSERT_EQ(m_writer->put_DataSourceDescription(ks::Bstr(L"before")), S_OK);

    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerCancel();
    runner.answerCancel();
    auto spectrum = NewSpectrum();
    EXPECT_EQ(m_writer->WriteSpectrumInteractive(spectrum.get()), E_ABORT);
    CKSMassSpectrum handle;
    EXPECT_EQ(m_writer->WriteSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_ABORT);
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, DialogKind::FileSave);
    EXPECT_EQ(log[0].title, L"Destination Spectrum");
    EXPECT_EQ(log[0].initialName, Dir());  // started at the setting
    EXPECT_EQ(Path(), L"");                // and Path stays as it was
    EXPECT_EQ(Description(), L"before");
    EXPECT_EQ(Setting(L"Destination Path"), Dir());
    // Nothing was written anywhere in the test's folder.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ks::test::tempDir()))
        EXPECT_NE(entry.path().extension(), ".txt") << entry.path();
}

TEST_F(TextProvider, SourceAndDestinationPathsAreKeptForTheNextObject)
{
    const std::string in = ks::test::tempDir() + "/in";
    const std::string out = ks::test::tempDir() + "/out";
    ASSERT_TRUE(std::filesystem::create_directories(in));
    ASSERT_TRUE(std::filesystem::create_directories(out));
    ks::test::writeFile(in + "/a.txt", "100 5\n");
    {
        ScriptedDialogRunner runner;
        ScopedDialogRunner scope(runner);
        runner.answerFile(Wide(in) + L"/a.txt");
        runner.answerFile(Wide(out) + L"/b");
        CKSMassSpectrum handle;
        ASSERT_EQ(m_reader->ReadSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        ASSERT_EQ(m_writer->WriteSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        EXPECT_EQ(ks::test::readFile(out + "/b.txt"), "100.000000\t5.000000\r\n");
        // The provider's one Path follows the last operation.
        EXPECT_EQ(Path(), Wide(out) + L"/");
    }
    EXPECT_EQ(Setting(L"Source Path"), Wide(in) + L"/");
    EXPECT_EQ(Setting(L"Destination Path"), Wide(out) + L"/");
    // Kept under the component's own application name, never the shared
    // default every other program would read.
    std::wstring shared;
    EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER,
                                  std::wstring(L"\\Software\\Kestrom\\Data Services\\") + kClassID +
                                      L"\\Applications\\DefaultApp\\Source Path",
                                  shared));

    // A new provider object starts each dialog in its own kept folder.
    auto fresh = Create<IKSDataProvider>(CLSID_KSTextProvider);
    auto freshReader = Query<IKSSpectrumReader2>(fresh.get());
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    runner.answerCancel();
    CKSMassSpectrum handle;
    EXPECT_EQ(freshReader->ReadSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_ABORT);
    auto freshWriter = Query<IKSSpectrumWriter2>(fresh.get());
    auto other = Create<IKSDataProvider>(CLSID_KSTextProvider);
    auto otherWriter = Query<IKSSpectrumWriter2>(other.get());
    runner.answerCancel();
    EXPECT_EQ(otherWriter->WriteSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_ABORT);
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].initialName, Wide(in) + L"/*.txt");
    EXPECT_EQ(log[1].initialName, Wide(out));
    (void)freshWriter;
}

// ---------------------------------------------------------------------------
// Dataset reader and dataset

TEST_F(TextProvider, ReadDatasetByNameIsNotOffered)
{
    ks::ComPtr<IKSMSDataset> dataset;
    EXPECT_EQ(m_datasetReader->ReadDataset(ks::Bstr(Wide(kSample)), &dataset), E_FAIL);
    EXPECT_FALSE(dataset);
    EXPECT_EQ(m_datasetReader->ReadDataset(ks::Bstr(Wide(kSample)), nullptr), E_POINTER);
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(nullptr), E_POINTER);
}

TEST_F(TextProvider, DatasetBeforeAnyFileIsOpen)
{
    auto dataset = Query<IKSMSDataset2>(m_provider.get());
    VARIANT_BOOL has = VARIANT_TRUE;
    EXPECT_EQ(dataset->get_HasTIC(&has), S_OK);
    EXPECT_EQ(has, VARIANT_FALSE);
    LONG count = -1;
    EXPECT_EQ(dataset->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    auto spectrum = NewSpectrum();
    EXPECT_EQ(dataset->GetBaseSpectrum(1, spectrum.get()), E_INVALIDARG);
    CKSMassSpectrum handle;
    EXPECT_EQ(dataset->GetBaseSpectrumDirect(1, reinterpret_cast<ULONG_PTR>(&handle)), E_INVALIDARG);
    EXPECT_EQ(dataset->GetTIC(spectrum.get()), E_FAIL);
    EXPECT_EQ(dataset->GetTICDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_FAIL);
}

TEST_F(TextProvider, InteractiveDatasetReadAndTheDataset)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    ks::ComPtr<IKSMSDataset> dataset;
    runner.answerCancel();
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), E_FAIL);
    EXPECT_FALSE(dataset);
    runner.answerFile(Dir() + L"/missing.txt");
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), E_ACCESSDENIED);
    EXPECT_EQ(Setting(L"Source Path"), L"");

    runner.answerFile(Wide(kSample));
    ASSERT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), S_OK);
    ASSERT_TRUE(dataset);
    // The provider object is its own dataset.
    EXPECT_EQ(Query<IUnknown>(dataset.get()).get(), Query<IUnknown>(m_provider.get()).get());
    const std::wstring folder = Wide(kSample.substr(0, kSample.rfind('/') + 1));
    EXPECT_EQ(Setting(L"Source Path"), folder);
    EXPECT_EQ(Path(), folder);
    EXPECT_EQ(Description(), L"KSTextProvider.KSTextProvider; " + Wide(kSample));
    EXPECT_TRUE(runner.errors().empty());

    struct Flag {
        HRESULT (IKSMSDataset::*get)(VARIANT_BOOL*);
        VARIANT_BOOL expected;
    };
    for (const Flag& f : {Flag{&IKSMSDataset::get_HasTIC, VARIANT_TRUE},
                          Flag{&IKSMSDataset::get_HasBaseSpectra, VARIANT_FALSE},
                          Flag{&IKSMSDataset::get_HasAuxiliarySpectra, VARIANT_FALSE},
                          Flag{&IKSMSDataset::get_SupportsMassChromatograms, VARIANT_FALSE},
                          Flag{&IKSMSDataset::get_HasTraces, VARIANT_FALSE}}) {
        VARIANT_BOOL value = 1;
        EXPECT_EQ((dataset.get()->*f.get)(&value), S_OK);
        EXPECT_EQ(value, f.expected);
        EXPECT_EQ((dataset.get()->*f.get)(nullptr), E_POINTER);
    }
    LONG count = 0;
    EXPECT_EQ(dataset->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 24);
    LONG zero = -1;
    EXPECT_EQ(dataset->get_AuxiliarySpectrumCount(&zero), S_OK);
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(dataset->get_TraceCount(&zero), S_OK);
    EXPECT_EQ(zero, 0);

    auto spectrum = NewSpectrum();
    for (LONG bad : {0, -1, 25, 0x7FFFFFFF})
        EXPECT_EQ(dataset->GetBaseSpectrum(bad, spectrum.get()), E_INVALIDARG) << bad;
    EXPECT_EQ(dataset->GetBaseSpectrum(1, nullptr), E_POINTER);
    ASSERT_EQ(dataset->GetBaseSpectrum(24, spectrum.get()), S_OK);
    const Points last = Read(spectrum.get());
    EXPECT_GT(last.count, 0);
    EXPECT_EQ(last.firstScan, 24);
    EXPECT_NEAR(last.startRT, 0.1 + 23 * 0.05, 1e-9);

    // The chromatogram: header times and the sum of each spectrum's
    // intensities, exactly.
    auto tic = NewSpectrum();
    ASSERT_EQ(dataset->GetTIC(tic.get()), S_OK);
    const Points chromatogram = Read(tic.get());
    ASSERT_EQ(chromatogram.count, 24);
    EXPECT_EQ(chromatogram.centroid, VARIANT_FALSE);
    auto two = Query<IKSMSDataset2>(m_provider.get());
    CKSMassSpectrum ticHandle;
    ASSERT_EQ(two->GetTICDirect(reinterpret_cast<ULONG_PTR>(&ticHandle)), S_OK);
    ASSERT_EQ(ticHandle.GetCount(), 24);
    EXPECT_FALSE(ticHandle.get()->IsCentroid());
    for (LONG i = 1; i <= 24; ++i) {
        CKSMassSpectrum handle;
        ASSERT_EQ(two->GetBaseSpectrumDirect(i, reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
        const double sum = std::accumulate(handle.GetIntensities(), handle.GetIntensities() + handle.GetCount(), 0.0);
        EXPECT_EQ(chromatogram.intensities[i - 1], sum) << i;
        EXPECT_EQ(ticHandle.GetIntensities()[i - 1], sum) << i;
        EXPECT_EQ(chromatogram.masses[i - 1], handle.GetStartRT()) << i;
        EXPECT_EQ(ticHandle.GetMasses()[i - 1], handle.GetStartRT()) << i;
    }
    EXPECT_EQ(two->GetBaseSpectrumDirect(1, 0), E_POINTER);
    EXPECT_EQ(two->GetTICDirect(0), E_POINTER);
    EXPECT_EQ(dataset->GetTIC(nullptr), E_POINTER);
    EXPECT_EQ(dataset->GetTIC(m_provider.get()), E_NOINTERFACE);
}

// Where each source dialog starts: the spectrum dialog prefers Path, the
// dataset dialog the setting.
TEST_F(TextProvider, StartFoldersOfTheSourceDialogs)
{
    const std::string a = ks::test::tempDir() + "/a";
    const std::string b = ks::test::tempDir() + "/b";
    ASSERT_TRUE(std::filesystem::create_directories(a));
    ASSERT_TRUE(std::filesystem::create_directories(b));
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    ks::ComPtr<IKSMSDataset> dataset;
    CKSMassSpectrum handle;

    ASSERT_EQ(m_provider->put_Path(ks::Bstr(Wide(a))), S_OK);
    runner.answerCancel();
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), E_FAIL);  // no setting: Path
    const std::wstring settingPath = SettingPath(L"Source Path");
    ASSERT_TRUE(WriteRegistryText(HKEY_CURRENT_USER, settingPath, Wide(b)));
    runner.answerCancel();
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), E_FAIL);  // the setting wins
    runner.answerCancel();
    EXPECT_EQ(m_reader->ReadSpectrumInteractiveDirect(reinterpret_cast<ULONG_PTR>(&handle)), E_ABORT);  // Path wins
    const auto log = runner.log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].initialName, Wide(a) + L"/*.txt");
    EXPECT_EQ(log[1].initialName, Wide(b) + L"/*.txt");
    EXPECT_EQ(log[2].initialName, Wide(a) + L"/*.txt");
    EXPECT_EQ(Path(), Wide(a));
    EXPECT_EQ(Setting(L"Source Path"), Wide(b));
}

TEST_F(TextProvider, UnofferedDatasetMembers)
{
    auto two = Query<IKSMSDataset2>(m_provider.get());
    auto spectrum = NewSpectrum();
    IDispatch* target = spectrum.get();
    CKSMassSpectrum handle;
    const ULONG_PTR address = reinterpret_cast<ULONG_PTR>(&handle);
    struct Case {
        HRESULT withTarget;
        HRESULT withNull;
        HRESULT expected;
    };
    const Case cases[] = {
        {two->GetAuxiliarySpectrum(1, target), two->GetAuxiliarySpectrum(1, nullptr), E_INVALIDARG},
        {two->GetAuxiliarySpectrumDirect(1, address), two->GetAuxiliarySpectrumDirect(1, 0), E_INVALIDARG},
        {two->GetBaseSpectrumRange(1, 2, target), two->GetBaseSpectrumRange(1, 2, nullptr), E_NOTIMPL},
        {two->GetBaseSpectrumRangeDirect(1, 2, address), two->GetBaseSpectrumRangeDirect(1, 2, 0), E_NOTIMPL},
        {two->GetAuxiliarySpectrumRange(1, 2, target), two->GetAuxiliarySpectrumRange(1, 2, nullptr), E_NOTIMPL},
        {two->GetAuxiliarySpectrumRangeDirect(1, 2, address), two->GetAuxiliarySpectrumRangeDirect(1, 2, 0),
         E_NOTIMPL},
        {two->GetTrace(1, target), two->GetTrace(1, nullptr), E_NOTIMPL},
        {two->GetTraceDirect(1, address), two->GetTraceDirect(1, 0), E_NOTIMPL},
        {two->GetBasePeakChromatogram(target), two->GetBasePeakChromatogram(nullptr), E_NOTIMPL},
        {two->GetBasePeakChromatogramDirect(address), two->GetBasePeakChromatogramDirect(0), E_NOTIMPL},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].withTarget, cases[i].expected) << i;
        EXPECT_EQ(cases[i].withNull, E_POINTER) << i;
    }
}

TEST_F(TextProvider, AFailedDatasetOpenLeavesNoFileOpen)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    ks::ComPtr<IKSMSDataset> dataset;
    runner.answerFile(Wide(kSample));
    ASSERT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), S_OK);
    runner.answerFile(Dir() + L"/missing.txt");
    EXPECT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), E_ACCESSDENIED);
    EXPECT_FALSE(dataset);
    auto own = Query<IKSMSDataset>(m_provider.get());
    VARIANT_BOOL has = VARIANT_TRUE;
    EXPECT_EQ(own->get_HasTIC(&has), S_OK);
    EXPECT_EQ(has, VARIANT_FALSE);
    LONG count = -1;
    EXPECT_EQ(own->get_BaseSpectrumCount(&count), S_OK);
    EXPECT_EQ(count, 0);
}

// An empty dataset (its first block holds no point) has an empty
// chromatogram, in both forms.
TEST_F(TextProvider, ChromatogramOfADatasetWithoutPoints)
{
    ScriptedDialogRunner runner;
    ScopedDialogRunner scope(runner);
    ks::ComPtr<IKSMSDataset> dataset;
    runner.answerFile(File("empty.txt", "Scan 1, retention time = 0.5\r\nno points\r\n"));
    ASSERT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), S_OK);
    auto tic = NewSpectrum();
    ASSERT_EQ(tic->put_Count(3), S_OK);
    EXPECT_EQ(dataset->GetTIC(tic.get()), S_OK);
    EXPECT_EQ(Read(tic.get()).count, 0);
    CKSMassSpectrum handle;
    handle.SetCount(3);
    EXPECT_EQ(Query<IKSMSDataset2>(dataset.get())->GetTICDirect(reinterpret_cast<ULONG_PTR>(&handle)), S_OK);
    EXPECT_EQ(handle.GetCount(), 0);
    // Its one spectrum has no points: a failed read.
    EXPECT_EQ(dataset->GetBaseSpectrum(1, tic.get()), E_OUTOFMEMORY);
}

// Damaged files through every reading path of the provider object: an
// error or an empty result, never a crash (the tests run under the
// sanitizers).
TEST_F(TextProvider, DamagedFilesThroughTheProvider)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    static const char kZero[] = "Scan 1, retention time = 0.1\n100\0 5\n";
    const std::string cases[] = {
        garbage,
        std::string(1 << 20, '7'),
        "retention time = 1e999\n1e999 1e999\n-1e400 5\n100 1e-400\n",
        std::string(kZero, sizeof kZero - 1) + "retention time =\n\n\r\r\n",
        "retention time = 0.1\nretention time = 0.2\n",
    };
    int n = 0;
    for (const std::string& bytes : cases) {
        const std::wstring file = File("damaged" + std::to_string(n++) + ".txt", bytes);
        auto spectrum = NewSpectrum();
        const HRESULT read = m_reader->ReadSpectrum(ks::Bstr(file), spectrum.get());
        EXPECT_TRUE(read == S_OK || read == E_OUTOFMEMORY) << n;

        ScriptedDialogRunner runner;
        ScopedDialogRunner scope(runner);
        runner.answerFile(file);
        ks::ComPtr<IKSMSDataset> dataset;
        ASSERT_EQ(m_datasetReader->ReadDatasetInteractive(&dataset), S_OK) << n;
        LONG count = 0;
        EXPECT_EQ(dataset->get_BaseSpectrumCount(&count), S_OK);
        EXPECT_GE(count, 1);
        const HRESULT tic = dataset->GetTIC(spectrum.get());
        EXPECT_TRUE(tic == S_OK || tic == E_FAIL) << n;
        // The chromatogram may have cut the count to the spectra it read.
        for (LONG i = 1; i <= count && i <= 3; ++i) {
            const HRESULT hr = dataset->GetBaseSpectrum(i, spectrum.get());
            EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY || hr == E_INVALIDARG) << n << " " << i;
        }
    }
}

}  // namespace
