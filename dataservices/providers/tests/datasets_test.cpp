// Every bundled dataset and every real one opens through dataset access with
// its own provider, and every spectrum reads through the tree; no data
// server answers a failure for a path it does not recognise, so that none
// can end the search and hide the others.
#include "providerstest.h"

#include <sys/stat.h>

#include <algorithm>
#include <cwctype>

using namespace provtest;

namespace {

void ExpectOpensWithItsProvider(const std::string& path, const wchar_t* type, LONG spectra = -1, LONG points = -1)
{
    SCOPED_TRACE(path);
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    LONG valid = -1;
    ASSERT_EQ(Query<IKSDataAccess5>(access.get())->IsValidDataset(ks::Bstr(Wide(path)), &valid), S_OK);
    ks::ComPtr<IKSDataServer> server;
    ASSERT_EQ(access->OpenDataset(ks::Bstr(Wide(path)), &server), S_OK);
    EXPECT_EQ(TypeOf(server.get()), type);
    const Provider* provider = ProviderOfType(type);
    ASSERT_TRUE(provider);
    std::wstring upper = provider->serverClassId;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(std::towupper(c));
    EXPECT_EQ(ClassIdOf(server.get()), upper);
    const Walked w = WalkEverySpectrum(server.get());
    EXPECT_GT(w.functions, 0);
    EXPECT_GT(w.spectra, 0);
    EXPECT_EQ(w.unread, 0);
    if (spectra >= 0) {
        EXPECT_EQ(w.spectra, spectra);
    }
    if (points >= 0) {
        EXPECT_EQ(w.points, points);
    }
}

}  // namespace

// One bundled dataset of every kind, as the main job writes and shows them.
TEST(ProviderDatasets, BundledOpenWithTheirProvider)
{
    ASSERT_TRUE(RegisterEverything());
    for (const Bundled& b : BundledKinds()) {
        SCOPED_TRACE(b.name);
        const std::string path = WriteBundled(b.kind);
        ASSERT_FALSE(path.empty());
        ExpectOpensWithItsProvider(path, b.datasetType);
    }
}

// The real datasets the providers read: the carotenoid and orange
// ChemStation folders, the GC SIM file by its own path and the OpenMS
// XMASS experiment. Counts of spectra and points from the files' sources.
TEST(ProviderDatasets, RealOpenWithTheirProvider)
{
    ASSERT_TRUE(RegisterEverything());
    ExpectOpensWithItsProvider(ks::test::realData("chemstation-ms/entab-carotenoid_extract.d"), L"KSLCMSDProvider",
                               2534, 95471);
    ExpectOpensWithItsProvider(ks::test::realData("chemstation-ms/rainbow-orange.D"), L"KSLCMSDProvider", 469, 282512);
    ExpectOpensWithItsProvider(ks::test::realData("chemstation-ms/rainbow-yellow.D/dataSim.ms"), L"KSLCMSDProvider",
                               1309, 2618);
    ExpectOpensWithItsProvider(ks::test::realData("xmass/openms-XMassFile_test"), L"KSBrukerProvider", 1);
    ExpectOpensWithItsProvider(ks::test::realData("xmass/openms-XMassFile_test/fid"), L"KSBrukerProvider", 1);
}

// IsValidDataset of every data server over every bundled dataset and over
// paths that are no dataset at all: always S_OK, 1 only for what the
// server reads. A FIFO stands for a file that cannot be read (the tests
// run as root, for whom no permission bit makes a file unreadable): a
// server that opened it to look inside would wait for ever.
TEST(ProviderDatasets, NoServerAnswersAFailure)
{
    ASSERT_TRUE(RegisterEverything());
    struct Case {
        std::string path;
        std::vector<std::wstring> acceptedBy;
    };
    std::vector<Case> cases;
    for (const Bundled& b : BundledKinds()) {
        const std::string path = WriteBundled(b.kind);
        ASSERT_FALSE(path.empty()) << b.name;
        std::vector<std::wstring> by{b.datasetType};
        // Compass data are allowed to be any Bruker spectrometer folder.
#ifdef KS_HAVE_COMPASS
        if (b.kind == Kind::Xmass)
            by.push_back(L"KSBrukerCompassProvider");
#endif
        cases.push_back({path, by});
    }
    cases.push_back({ks::test::realData("xmass/openms-XMassFile_test"),
                     {L"KSBrukerProvider",
#ifdef KS_HAVE_COMPASS
                      L"KSBrukerCompassProvider"
#endif
                     }});
    cases.push_back({ks::test::realData("chemstation-ms/rainbow-orange.D"), {L"KSLCMSDProvider"}});

    const std::string root = Path("bad");
    std::filesystem::create_directories(root + "/empty folder");
    std::filesystem::create_directories(root + "/folder.raw");
    std::filesystem::create_directories(root + "/folder.ms");
    std::filesystem::create_directories(root + "/names/MSD1.MS");
    std::filesystem::create_directories(root + "/names/Analysis.yep");
    std::filesystem::create_directories(root + "/names/analysis.baf");
    std::filesystem::create_directories(root + "/names/SPTYPE");
    std::filesystem::create_directories(root + "/names.raw/_header.txt");
    std::filesystem::create_directories(root + "/fifos.raw");
    for (const char* name : {"empty", "empty.raw", "empty.ms", "empty.RAW"})
        ks::test::writeFile(root + "/" + name, "");
    for (const char* name : {"fifo.raw", "fifo.ms", "fifo.MS", "fifo", "fifos.raw/MSD1.MS", "fifos.raw/Analysis.yep",
                             "fifos.raw/analysis.baf", "fifos.raw/_header.txt", "fifos.raw/_manifest.txt",
                             "fifos.raw/acqus", "fifos.raw/SPTYPE"})
        ASSERT_EQ(mkfifo((root + "/" + name).c_str(), 0600), 0) << name;
    // Damaged files of each kind: cut short, or of another kind.
    std::filesystem::create_directories(root + "/short.d");
    ks::test::writeFile(root + "/short.d/MSD1.MS", std::string("\x01\x32\x00\x00\x11MSD Spectral File", 22));
    ks::test::writeFile(root + "/short.raw", std::string("\x01\xa1P\0a\0r\0", 8));
    ks::test::writeFile(root + "/other.raw", std::string(64, 'x'));
    std::filesystem::create_directories(root + "/header.raw");
    ks::test::writeFile(root + "/header.raw/_header.txt", "no version here\n$$ Version: 4.1\n");
    std::filesystem::create_directories(root + "/sptype");
    ks::test::writeFile(root + "/sptype/SPTYPE", "to");
    ks::test::writeFile(root + "/file", "text");
    const std::string tooLong = root + "/" + std::string(300, 'n') + "/" + std::string(5000, 'm') + ".raw";

    for (const std::string& path :
         {root + "/empty folder", root + "/folder.raw", root + "/folder.ms", root + "/names.raw", root + "/empty", root + "/empty.raw", root + "/empty.ms", root + "/empty.RAW",
          root + "/fifo.raw", root + "/fifo.ms", root + "/fifo.MS", root + "/fifo", root + "/fifos.raw/MSD1.MS",
          root + "/short.d", root + "/short.raw", root + "/other.raw", root + "/header.raw", root + "/sptype",
          root + "/missing", root + "/missing.raw", root + "/missing.ms", root + "/missing/fid",
          root + "/missing/analysis.baf", root + "/file/below", root + "/file/below.raw", root + "/file",
          std::string(), std::string("/"), std::string("\\"), std::string("fid"), std::string("analysis.baf"),
          std::string(".raw"), std::string("//"), tooLong, ks::test::realData("text-spectra/openms/DTAFile_test.dta"),
          ks::test::realData("chemstation-ch/entab/test_fid.ch")})
        cases.push_back({path, {}});
    // Folders taken by the names they hold, whatever those are: the
    // ion-trap server takes an "Analysis.yep" that is no folder, the Compass
    // server any "analysis.baf" (their data servers then refuse to open them).
    cases.push_back({root + "/fifos.raw",
                     {L"KSAgilentIonTrapProvider",
#ifdef KS_HAVE_COMPASS
                      L"KSBrukerCompassProvider"
#endif
                     }});
    cases.push_back({root + "/names",
                     {
#ifdef KS_HAVE_COMPASS
                         L"KSBrukerCompassProvider"
#endif
                     }});
    // Names the text server takes without looking inside.
    for (const std::string& path : {root + "/empty.txt", root + "/folder.txt", root + "/fifo.txt", root + "/x.TXT"})
        cases.push_back({path, {L"KSTextProvider"}});
    ks::test::writeFile(root + "/empty.txt", "");
    std::filesystem::create_directories(root + "/folder.txt");
    ASSERT_EQ(mkfifo((root + "/fifo.txt").c_str(), 0600), 0);

    for (const Provider& p : Providers()) {
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromString(p.serverClassId, &clsid), S_OK);
        auto server = Create<IKSDataServer>(clsid);
        ASSERT_TRUE(server);
        for (const Case& c : cases) {
            LONG valid = -1;
            EXPECT_EQ(server->IsValidDataset(ks::Bstr(Wide(c.path)), &valid), S_OK)
                << Narrow(p.className) << " on " << c.path.substr(0, 200);
            const bool accepted =
                std::find(c.acceptedBy.begin(), c.acceptedBy.end(), p.datasetType) != c.acceptedBy.end();
            EXPECT_EQ(valid, accepted ? 1 : 0) << Narrow(p.className) << " on " << c.path.substr(0, 200);
        }
        // A null path is an empty one.
        LONG valid = -1;
        EXPECT_EQ(server->IsValidDataset(nullptr, &valid), S_OK) << Narrow(p.className);
        EXPECT_EQ(valid, 0) << Narrow(p.className);
    }

    // Dataset access asks all of them: a path none accepts ends in E_FAIL.
    auto access = Create<IKSDataAccess>(CLSID_KSDataAccess);
    for (const Case& c : cases) {
        if (!c.acceptedBy.empty() || c.path.find("fifo") != std::string::npos)
            continue;  // a FIFO that a reader tries to open waits for a writer
        ks::ComPtr<IKSDataServer> server;
        EXPECT_EQ(access->OpenDataset(ks::Bstr(Wide(c.path)), &server), E_FAIL) << c.path.substr(0, 200);
    }
}
