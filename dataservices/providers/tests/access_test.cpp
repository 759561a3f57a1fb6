// Dataset access over every registered provider: the provider list as the
// registry, the provider server and ksdata show it, the probing order seen
// through datasets that two providers accept, the choice between XMASS and
// Compass, the fallback without the text data server, unregistering, and
// opening from storage.
#include "providerstest.h"

#include <algorithm>
#include <cwctype>
#include <sstream>
#include <stdexcept>

#include "ksstorage.h"

using namespace provtest;

namespace {

// The data server of a provider, created by its class identifier as dataset
// access creates it.
ks::ComPtr<IKSDataServer> NewServer(const Provider& p)
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromString(p.serverClassId, &clsid), S_OK);
    return Create<IKSDataServer>(clsid);
}

const Provider& ProviderNamed(const wchar_t* datasetType)
{
    const Provider* p = ProviderOfType(datasetType);
    if (!p)
        throw std::logic_error("no provider of that dataset type in this build");
    return *p;
}

std::wstring Upper(std::wstring s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return s;
}

// The data-server class identifier as IKSDataServer3 reports it.
std::wstring ServerIdOf(const wchar_t* datasetType)
{
    return Upper(ProviderNamed(datasetType).serverClassId);
}

LONG ValidFor(const wchar_t* datasetType, const std::string& path)
{
    auto server = NewServer(ProviderNamed(datasetType));
    LONG valid = -1;
    EXPECT_EQ(server->IsValidDataset(ks::Bstr(Wide(path)), &valid), S_OK) << path;
    return valid;
}

void Copy(const std::string& from, const std::string& to)
{
    std::filesystem::copy(from, to,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

// Every "SPTYPE" file below a folder rewritten to `text`.
void SetSpectrometerType(const std::string& folder, const std::string& text)
{
    int found = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() == "SPTYPE") {
            ks::test::writeFile(entry.path().string(), text);
            ++found;
        }
    ASSERT_GT(found, 0) << folder;
}

}  // namespace

// The seven providers (those of this build) under "Data Services", listed
// by the provider server in the registry's order, with their flags and
// data servers.
TEST(InstalledProviders, ProviderServerListsEveryProvider)
{
    ASSERT_TRUE(RegisterEverything());
    auto server = Create<IKSProviderServer>(CLSID_KSProviderServer);
    ASSERT_TRUE(server);
    LONG count = 0;
    ASSERT_EQ(server->get_Count(&count), S_OK);
    ASSERT_EQ(count, static_cast<LONG>(Providers().size()));
    for (LONG i = 1; i <= count; ++i) {
        const Provider& p = Providers()[static_cast<size_t>(i - 1)];
        ks::ComPtr<IKSProviderDescription> d;
        ASSERT_EQ(server->get_Item(i, &d), S_OK);
        ks::Bstr classId, className, menuName, serverId;
        LONG flags = -1;
        d->get_ClassID(&classId);
        d->get_ClassName(&className);
        d->get_MenuName(&menuName);
        d->get_ProviderFlags(&flags);
        Query<IKSProviderDescription2>(d.get())->get_DataServerClassID(&serverId);
        EXPECT_EQ(classId.str(), p.classId) << i;
        EXPECT_EQ(className.str(), p.className) << i;
        EXPECT_EQ(menuName.str(), p.menuName) << i;
        EXPECT_EQ(flags, p.flags) << Narrow(p.className);
        EXPECT_EQ(serverId.str(), p.serverClassId) << Narrow(p.className);
    }
}

TEST(InstalledProviders, KsdataAndKsregShowEveryProvider)
{
    ASSERT_TRUE(RegisterEverything());
    const ks::test::RunResult listed = Tool("ksdata", {"providers"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = listed.out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(listed.out.substr(at, end - at));
    ASSERT_EQ(lines.size(), Providers().size() + 1) << listed.out;
    EXPECT_EQ(lines[0], std::to_string(Providers().size()) + " registered providers");
    for (size_t i = 0; i < Providers().size(); ++i) {
        const Provider& p = Providers()[i];
        const std::string head = std::to_string(i) + "  " + Narrow(p.className) + "  \"" + Narrow(p.menuName) +
                                 "\"  flags " + std::to_string(p.flags) + "  ";
        const std::string& line = lines[i + 1];
        ASSERT_EQ(line.compare(0, head.size(), head), 0) << line;
        // A provider of flags 0 offers no service and is listed all the same.
        if (p.flags == 0)
            EXPECT_EQ(line.substr(head.size()), "no services") << line;
        else
            EXPECT_NE(line.substr(head.size()), "no services") << line;
    }

    const ks::test::RunResult dump = Tool("ksreg", {"dump", "HKCU\\Software\\Kestrom\\Data Services"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    size_t keys = 0;
    for (size_t at = 0; (at = dump.out.find("[HKEY_CURRENT_USER\\Software\\Kestrom\\Data Services\\", at)) !=
                        std::string::npos;
         ++at)
        ++keys;
    EXPECT_EQ(keys, Providers().size()) << dump.out;
    for (const Provider& p : Providers()) {
        const std::string key = "[HKEY_CURRENT_USER\\Software\\Kestrom\\Data Services\\" + Narrow(p.classId) + "]";
        EXPECT_NE(dump.out.find(key), std::string::npos) << key;
    }
}

// A dataset that two providers accept goes to the one probed first: the
// provider list's order, with MassLynx after every other. Each case checks
// first that both data servers accept the path on their own.
TEST(DatasetAccess, FirstOfTwoAcceptingServersOpens)
{
    ASSERT_TRUE(RegisterEverything());
    const std::string iontrap = WriteBundled(Kind::IonTrap);
    const std::string chem = WriteBundled(Kind::ChemStation);
    const std::string xmass = WriteBundled(Kind::Xmass);
    ASSERT_FALSE(iontrap.empty() || chem.empty() || xmass.empty());

    struct Case {
        std::string path;
        const wchar_t* first;
        const wchar_t* second;
    };
    std::vector<Case> cases;
    // Text before the ion trap: a folder named like a text file (the text
    // server cannot open it, and keeps the open).
    Copy(iontrap, Path("folder.txt"));
    cases.push_back({Path("folder.txt"), L"KSTextProvider", L"KSAgilentIonTrapProvider"});
    // The ion trap before ChemStation.
    Copy(iontrap, Path("both-a.d"));
    Copy(chem + "/MSD1.MS", Path("both-a.d/MSD1.MS"));
    cases.push_back({Path("both-a.d"), L"KSAgilentIonTrapProvider", L"KSLCMSDProvider"});
    // XMASS before ChemStation.
    Copy(xmass, Path("both-b"));
    Copy(chem + "/MSD1.MS", Path("both-b/MSD1.MS"));
    cases.push_back({Path("both-b"), L"KSBrukerProvider", L"KSLCMSDProvider"});
#ifdef KS_HAVE_COMPASS
    const std::string compass = WriteBundled(Kind::Compass);
    ASSERT_FALSE(compass.empty());
    // ChemStation before Compass.
    Copy(chem, Path("both-c.d"));
    Copy(compass + "/analysis.baf", Path("both-c.d/analysis.baf"));
    cases.push_back({Path("both-c.d"), L"KSLCMSDProvider", L"KSBrukerCompassProvider"});
#endif
#ifdef KS_HAVE_MASSLYNX
    // MassLynx, listed before XMASS, ChemStation and Compass, probed last.
    Copy(chem, Path("both-d.raw"));
    WriteMassLynxRaw(Path("both-d.raw"));
    cases.push_back({Path("both-d.raw"), L"KSLCMSDProvider", L"KSMLProvider"});
    Copy(xmass, Path("both-e.raw"));
    WriteMassLynxRaw(Path("both-e.raw"));
    cases.push_back({Path("both-e.raw"), L"KSBrukerProvider", L"KSMLProvider"});
#ifdef KS_HAVE_COMPASS
    Copy(compass, Path("both-f.raw"));
    WriteMassLynxRaw(Path("both-f.raw"));
    cases.push_back({Path("both-f.raw"), L"KSBrukerCompassProvider", L"KSMLProvider"});
#endif
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ValidFor(c.first, c.path), 1);
        EXPECT_EQ(ValidFor(c.second, c.path), 1);
        const Opened o = OpenThroughAccess(c.path);
        ASSERT_TRUE(o.server);
        EXPECT_EQ(ClassIdOf(o.server.get()), ServerIdOf(c.first));
        if (SUCCEEDED(o.hr)) {
            EXPECT_EQ(TypeOf(o.server.get()), c.first);
        }
    }
    // The text server takes the folder, cannot open it, and the open ends
    // there with its failure.
    EXPECT_TRUE(FAILED(OpenThroughAccess(Path("folder.txt")).hr));
    EXPECT_EQ(OpenThroughAccess(Path("both-a.d")).hr, S_OK);
}

// Both Bruker providers recognise spectrometer folders; XMASS is probed
// first and takes "tof" and "icr", Compass alone takes "psd" and analysis
// folders.
TEST(DatasetAccess, XmassOrCompass)
{
    ASSERT_TRUE(RegisterEverything());
    const std::string icr = WriteBundled(Kind::Xmass, "icr");
    ASSERT_FALSE(icr.empty());
    const std::string tof = Path("tof/xmass_sample");
    Copy(icr, tof);
    SetSpectrometerType(tof, "tof\n");
    struct Case {
        std::string path;
        const wchar_t* type;
        LONG xmassValid;
    };
    std::vector<Case> cases{
        {icr, L"KSBrukerProvider", 1},
        {tof, L"KSBrukerProvider", 1},
        {ks::test::realData("xmass/openms-XMassFile_test"), L"KSBrukerProvider", 1},
    };
    // An XMASS folder of type "psd" holds no analysis: Compass takes it
    // and cannot open it.
    std::string psd;
#ifdef KS_HAVE_COMPASS
    psd = Path("psd/xmass_sample");
    Copy(icr, psd);
    SetSpectrometerType(psd, "psd\n");
    const std::string analysis = WriteBundled(Kind::Compass);
    const std::string psdAnalysis = Path("psd-analysis.d");
    ASSERT_EQ(ks::test::run({KS_PYTHON3, std::string(KS_PROVIDERS_DIR) + "/brukercompass/samples/make_compass_sample.py",
                             psdAnalysis, "--sptype", "psd"})
                  .exitCode,
              0);
    cases.push_back({psd, L"KSBrukerCompassProvider", 0});
    cases.push_back({analysis, L"KSBrukerCompassProvider", 0});
    cases.push_back({analysis + "/analysis.baf", L"KSBrukerCompassProvider", 0});
    cases.push_back({psdAnalysis, L"KSBrukerCompassProvider", 0});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ValidFor(L"KSBrukerProvider", c.path), c.xmassValid);
#ifdef KS_HAVE_COMPASS
        EXPECT_EQ(ValidFor(L"KSBrukerCompassProvider", c.path), 1);
#endif
        const Opened o = OpenThroughAccess(c.path);
        ASSERT_TRUE(o.server);
        EXPECT_EQ(ClassIdOf(o.server.get()), ServerIdOf(c.type));
        if (c.path != psd) {
            EXPECT_EQ(o.hr, S_OK);
            EXPECT_EQ(TypeOf(o.server.get()), c.type);
        }
    }
}

// When no server accepts a path, every server but the text one tries to
// open it, in probing order: a text spectrum not named ".txt" opens with
// none, although the text data server itself would open it.
TEST(DatasetAccess, FallbackLeavesOutTheTextServer)
{
    ASSERT_TRUE(RegisterEverything());
    const std::string dta = WriteBundled(Kind::Text, "spectra.dta");
    auto text = NewServer(ProviderNamed(L"KSTextProvider"));
    EXPECT_EQ(text->Open(ks::Bstr(Wide(dta))), S_OK);

    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    LONG valid = -1;
    ASSERT_EQ(Query<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(Wide(dta)), &valid), S_OK);
    EXPECT_EQ(valid, 0);
    ks::ComPtr<IKSDataServer> server;
    EXPECT_EQ(access->OpenDataset(ks::Bstr(Wide(dta)), &server), E_FAIL);
    EXPECT_FALSE(server);
}

// A path that no server accepts but one opens (a folder inside a dataset,
// which the XMASS and Compass readers climb out of) goes to that server.
TEST(DatasetAccess, FallbackOpensPathsInsideADataset)
{
    ASSERT_TRUE(RegisterEverything());
    const std::string xmass = WriteBundled(Kind::Xmass);
    ASSERT_FALSE(xmass.empty());
    std::vector<std::pair<std::string, const wchar_t*>> cases{
        {xmass + "/1/pdata/1", L"KSBrukerProvider"},
        {xmass + "/2/pdata", L"KSBrukerProvider"},
    };
#ifdef KS_HAVE_COMPASS
    const std::string compass = WriteBundled(Kind::Compass);
    std::filesystem::create_directories(compass + "/inside/deeper");
    cases.emplace_back(compass + "/inside/deeper", L"KSBrukerCompassProvider");
#endif
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    for (const auto& [path, type] : cases) {
        SCOPED_TRACE(path);
        LONG valid = -1;
        ASSERT_EQ(Query<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(Wide(path)), &valid), S_OK);
        EXPECT_EQ(valid, 0);
        ks::ComPtr<IKSDataServer> server;
        ASSERT_EQ(access->OpenDataset(ks::Bstr(Wide(path)), &server), S_OK);
        EXPECT_EQ(TypeOf(server.get()), type);
        EXPECT_GT(WalkEverySpectrum(server.get()).spectra, 0);
    }
}

// A path that does not exist opens nothing, not even inside a folder that
// holds an XMASS dataset or a Compass analysis, whose readers climb out of
// paths that exist: not through the accepting server, not through the
// fallback, not through a server asked directly.
TEST(DatasetAccess, MissingPathsOpenNothing)
{
    ASSERT_TRUE(RegisterEverything());
    const std::string xmass = WriteBundled(Kind::Xmass);
    const std::string chem = WriteBundled(Kind::ChemStation);
    const std::string iontrap = WriteBundled(Kind::IonTrap);
    ASSERT_FALSE(xmass.empty() || chem.empty() || iontrap.empty());
    std::vector<std::string> cases{
        xmass + "/missing",
        xmass + "/1/missing",
        xmass + "/1/pdata/1/missing",
        xmass + "/9/fid",
        xmass + "/1/missing/fid",
        ks::test::realData("xmass/openms-XMassFile_test") + "/missing",
        ks::test::realData("xmass/openms-XMassFile_test") + "/pdata/missing/1r",
        chem + "/missing",
        chem + "/MSD9.MS",
        iontrap + "/missing",
        Path("nowhere") + "/missing.raw",
    };
#ifdef KS_HAVE_COMPASS
    const std::string compass = WriteBundled(Kind::Compass);
    cases.push_back(compass + "/missing");
    cases.push_back(compass + "/missing/analysis.baf");
    std::filesystem::create_directories(compass + "/inside");
    cases.push_back(compass + "/inside/missing");
#endif
#ifdef KS_HAVE_MASSLYNX
    const std::string raw = WriteBundled(Kind::MassLynx);
    cases.push_back(raw + "/missing");
    cases.push_back(raw + "/_FUNC001.DAT");
#endif
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        ASSERT_FALSE(std::filesystem::exists(path));
        ks::ComPtr<IKSDataServer> server;
        EXPECT_EQ(access->OpenDataset(ks::Bstr(Wide(path)), &server), E_FAIL);
        EXPECT_FALSE(server);
        for (const Provider& p : Providers()) {
            auto direct = NewServer(p);
            LONG valid = -1;
            EXPECT_EQ(direct->IsValidDataset(ks::Bstr(Wide(path)), &valid), S_OK) << Narrow(p.className);
            EXPECT_EQ(valid, 0) << Narrow(p.className);
            if (p.datasetType != std::wstring(L"KSTextProvider")) {
                EXPECT_TRUE(FAILED(direct->Open(ks::Bstr(Wide(path))))) << Narrow(p.className);
            }
        }
    }
}

// Unregistering a provider takes it out of the next dataset access's
// probing list: the dataset goes to the next provider that accepts it, or
// to none.
TEST(DatasetAccess, UnregisteringRemovesTheProviderFromTheNextProbingList)
{
    ASSERT_TRUE(RegisterEverything());
    const std::string xmass = WriteBundled(Kind::Xmass);
    const std::string chem = WriteBundled(Kind::ChemStation);
    const std::string text = WriteBundled(Kind::Text);
    ASSERT_FALSE(xmass.empty() || chem.empty());
    EXPECT_EQ(TypeOf(OpenThroughAccess(xmass).server.get()), L"KSBrukerProvider");

    ASSERT_NO_FATAL_FAILURE(Unregister("KSBrukerProvider"));
    auto server = Create<IKSProviderServer>(CLSID_KSProviderServer);
    LONG count = 0;
    server->get_Count(&count);
    EXPECT_EQ(count, static_cast<LONG>(Providers().size()) - 1);
    const ks::test::RunResult listed = Tool("ksdata", {"providers"});
    EXPECT_EQ(listed.out.find("Bruker XMASS"), std::string::npos) << listed.out;
    const Opened xmassNow = OpenThroughAccess(xmass);
#ifdef KS_HAVE_COMPASS
    // Compass recognises the FT-ICR experiments too, and finds no analysis.
    ASSERT_TRUE(xmassNow.server);
    EXPECT_EQ(ClassIdOf(xmassNow.server.get()), ServerIdOf(L"KSBrukerCompassProvider"));
    EXPECT_TRUE(FAILED(xmassNow.hr));
#else
    EXPECT_EQ(xmassNow.hr, E_FAIL);
    EXPECT_FALSE(xmassNow.server);
#endif

    // Both Agilent providers go with their component; the others stay.
    ASSERT_NO_FATAL_FAILURE(Unregister("KSAgilentProvider"));
    const Opened chemNow = OpenThroughAccess(chem);
    EXPECT_EQ(chemNow.hr, E_FAIL);
    EXPECT_FALSE(chemNow.server);
    EXPECT_EQ(TypeOf(OpenThroughAccess(text).server.get()), L"KSTextProvider");
    server = Create<IKSProviderServer>(CLSID_KSProviderServer);
    server->get_Count(&count);
    EXPECT_EQ(count, static_cast<LONG>(Providers().size()) - 3);

    // Registered again, it is probed again.
    ASSERT_EQ(Tool("ksregsvr", {std::string(KS_LIB_DIR) + "/KSAgilentProvider.so"}).exitCode, 0);
    EXPECT_EQ(TypeOf(OpenThroughAccess(chem).server.get()), L"KSLCMSDProvider");
}

// Opening from storage asks no server about the data: it goes to the first
// server answering IKSDataServer2, the Compass one, which does not open
// from storage.
TEST(DatasetAccess, StorageGoesToTheCompassServer)
{
    ASSERT_TRUE(RegisterEverything());
    auto access = Query<IKSDataAccess4>(Create<IKSDataAccess>(CLSID_KSDataAccess).get());
    ASSERT_TRUE(access);
    ks::ComPtr<IStorage> storage;
    ASSERT_EQ(ks::createMemoryStorage(&storage), S_OK);
    ks::ComPtr<IKSDataServer> server;
    EXPECT_EQ(access->OpenDatasetFromStorage(nullptr, ks::Bstr(L"analysis"), &server), E_INVALIDARG);
    EXPECT_FALSE(server);
#ifdef KS_HAVE_COMPASS
    EXPECT_EQ(access->OpenDatasetFromStorage(storage.get(), ks::Bstr(L"analysis"), &server), E_NOTIMPL);
    ASSERT_TRUE(server);
    EXPECT_EQ(ClassIdOf(server.get()), ServerIdOf(L"KSBrukerCompassProvider"));
    server = nullptr;
    ks::ComPtr<IKSInjection> injection;
    EXPECT_EQ(access->OpenInjectionFromStorage(storage.get(), ks::Bstr(L"analysis"), 1, &server, &injection),
              E_NOTIMPL);
    EXPECT_FALSE(injection);
    server = nullptr;

    // Without Compass no registered server opens from storage.
    ASSERT_NO_FATAL_FAILURE(Unregister("KSBrukerCompassProvider"));
    access = Query<IKSDataAccess4>(Create<IKSDataAccess>(CLSID_KSDataAccess).get());
#endif
    EXPECT_EQ(access->OpenDatasetFromStorage(storage.get(), ks::Bstr(L"analysis"), &server), E_FAIL);
    EXPECT_FALSE(server);
}

// A path no provider accepts or opens: E_FAIL from dataset access, and
// ksdata exits 1 naming the call on standard error, where no stand-in
// asked by the fallback says anything. Paths beside an XMASS experiment
// are among them: only paths inside one climb to its dataset.
TEST(DatasetAccess, NoProviderKsdataNamesTheFailingCall)
{
    ASSERT_TRUE(RegisterEverything());
    const std::string dta = WriteBundled(Kind::Text, "spectra.dta");
    const std::string xmass = WriteBundled(Kind::Xmass);
    ASSERT_FALSE(xmass.empty());
    std::filesystem::create_directories(xmass + "/notes/2024");
    ks::test::writeFile(xmass + "/notes/2024/minutes.doc", "minutes");
    const std::string flex = ks::test::realData("xmass/readBrukerFlexData-2010_05_19_Gibb_C8_A1/0_A1/1/1SLin");
    const std::vector<std::string> paths{dta,
                                         ks::test::realData("text-spectra/openms/DTAFile_test.dta"),
                                         ks::test::realData("chemstation-ch/entab/test_fid.ch"),
                                         xmass + "/notes/2024/minutes.doc",
                                         xmass + "/notes",
                                         flex + "/fid",
                                         flex};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const Opened o = OpenThroughAccess(path);
        EXPECT_EQ(o.hr, E_FAIL);
        EXPECT_FALSE(o.server);
        for (const char* command : {"tree", "spectrum"}) {
            std::vector<std::string> args{command, path};
            if (std::string(command) == "spectrum")
                args.insert(args.end(), {"1", "1"});
            const ks::test::RunResult r = Tool("ksdata", args);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_TRUE(r.out.empty()) << r.out;
            EXPECT_EQ(r.err.rfind("ksdata: " + path, 0), 0u) << r.err;  // folders add " (a folder)"
            EXPECT_NE(r.err.find(": no registered provider accepts this dataset"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("ksdata: IKSDataAccess::OpenDataset failed: E_FAIL (0x80004005)\n"),
                      std::string::npos)
                << r.err;
            std::istringstream lines(r.err);
            for (std::string line; std::getline(lines, line);)
                EXPECT_EQ(line.rfind("ksdata: ", 0), 0u) << line;
        }
    }
}

// A large file that is no dataset (a disk image, a video), under names each
// provider looks at more closely: every data server asked about it and
// made to open it looks at its own few header bytes and refuses (a server
// may recognise a name, as Compass does "analysis.baf", and still refuse
// to open), and dataset access, whose fallback makes every server but the
// text one try, fails; nothing reads the file whole. The files are sparse
// (300 MB that take no disk); what the test sees is the bytes the process
// read.
TEST(DatasetAccess, LargeFileOfNoDatasetIsRefusedByItsHeaders)
{
    ASSERT_TRUE(RegisterEverything());
    constexpr uint64_t kSize = uint64_t(300) << 20;
    // Far below the file; above any header a reader looks at.
    constexpr uint64_t kHeaderBytes = uint64_t(1) << 20;
    std::vector<std::string> paths;
    for (const char* name : {"disk.img", "video.raw", "MSD1.MS", "data.ms", "fid", "1r", "analysis.baf",
                             "_FUNC001.DAT", "run.raw/_FUNCTNS.INF"}) {
        paths.push_back(Path(name));
        ks::test::writeSparseFile(paths.back(), std::string("\0\0\0\x20" "ftypisom", 12), kSize);
    }
    // One row per provider: its data server's validity check and open.
    for (const Provider& p : Providers()) {
        const bool text = p.datasetType == std::wstring(L"KSTextProvider");
        for (const std::string& path : paths) {
            SCOPED_TRACE(Narrow(p.className) + " " + path);
            auto server = NewServer(p);
            ASSERT_TRUE(server);
            const uint64_t before = ks::test::bytesReadSoFar();
            LONG valid = -1;
            EXPECT_EQ(server->IsValidDataset(ks::Bstr(Wide(path)), &valid), S_OK);
            if (!text) {
                EXPECT_TRUE(FAILED(server->Open(ks::Bstr(Wide(path)))));
            }
            EXPECT_LE(ks::test::bytesReadSoFar() - before, kHeaderBytes);
        }
    }
    // The whole probing list and its fallback.
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const uint64_t before = ks::test::bytesReadSoFar();
        ks::ComPtr<IKSDataServer> server;
        EXPECT_TRUE(FAILED(access->OpenDataset(ks::Bstr(Wide(path)), &server)));
        EXPECT_LE(ks::test::bytesReadSoFar() - before, kHeaderBytes);
    }
}
