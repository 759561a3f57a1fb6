// The Compass stand-in: registered by class identifier, it opens an
// analysis folder's "analysis.baf" and answers every slot from it, refuses
// what it does not understand with E_FAIL, and fails the calls its faults
// name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "compassanalysis.h"
#include "compassmodel.h"
#include "ksactivation.h"
#include "kscomptr.h"
#include "kstest.h"

namespace {

// Three spectra; Manifest() closes it.
const char kSpectra[] =
    "ks-compass-analysis 1\n"
    "[analysis]\n"
    "description \"  Caffeine, infusion \"\n"
    "[spectrum]\n"
    "time 12.5\n"
    "level 1\n"
    "polarity 0\n"
    "masses 100.5 200.25\n"
    "intensities 10 20\n"
    "intensities-type i4\n"
    "[spectrum]\n"
    "time 0\n"
    "level 2\n"
    "polarity 1\n"
    "masses 300\n"
    "intensities 5\n"
    "[spectrum]\n"
    "time 30\n"
    "level 1\n"
    "masses\n"
    "intensities\n";

std::string Manifest(const std::string& more = std::string())
{
    return kSpectra + more + "[end]\n";
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::string AnalysisFolder(const std::string& name, const std::string& manifest, const char* file = "analysis.baf")
{
    const std::string folder = ks::test::tempDir() + "/" + name;
    std::filesystem::create_directories(folder);
    ks::test::writeFile(folder + "/" + file, manifest);
    return folder;
}

ks::ComPtr<ICompassAnalysis> NewAnalysis()
{
    ks::ComPtr<ICompassAnalysis> analysis;
    EXPECT_EQ(CoCreateInstance(CLSID_CompassAnalysis, nullptr, 0x17, IID_ICompassAnalysis, analysis.out()), S_OK);
    return analysis;
}

HRESULT Open(ICompassAnalysis* analysis, const std::string& path)
{
    return analysis->Open(ks::Bstr(Wide(path)));
}

std::vector<double> Doubles(const VARIANT& v)
{
    std::vector<double> out;
    if (!(v.vt & VT_ARRAY) || !v.parray)
        return out;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        double d = 0;
        switch (v.vt & VT_TYPEMASK) {
        case VT_R8: SafeArrayGetElement(v.parray, &i, &d); break;
        case VT_I4: {
            LONG l = 0;
            SafeArrayGetElement(v.parray, &i, &l);
            d = l;
            break;
        }
        default: ADD_FAILURE() << "element type " << (v.vt & VT_TYPEMASK);
        }
        out.push_back(d);
    }
    return out;
}

// Sets KS_VENDORKIT_FAULTS for one scope.
struct Faults {
    explicit Faults(const char* text) { setenv("KS_VENDORKIT_FAULTS", text, 1); }
    ~Faults() { unsetenv("KS_VENDORKIT_FAULTS"); }
};

}  // namespace

TEST(CompassStandIn, RegisteredByClassIdentifier)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    LPOLESTR progId = nullptr;
    EXPECT_NE(ProgIDFromCLSID(CLSID_CompassAnalysis, &progId), S_OK);  // none
    auto analysis = NewAnalysis();
    ASSERT_TRUE(analysis);
    // Nothing open yet.
    ks::ComPtr<ICompassSpectra> spectra;
    EXPECT_EQ(analysis->get_Spectra(&spectra), E_FAIL);
    ks::Bstr description;
    EXPECT_EQ(analysis->get_Description(&description), E_FAIL);
    EXPECT_EQ(analysis->get_Description(nullptr), E_POINTER);
}

TEST(CompassStandIn, EverySlotFromTheManifest)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    // The manifest's name in another case, the folder with "\" and a
    // final separator.
    const std::string folder = AnalysisFolder("run.d", Manifest(), "Analysis.BAF");
    auto analysis = NewAnalysis();
    std::string backslashed = folder + "/";
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    ASSERT_EQ(Open(analysis.get(), backslashed), S_OK);

    ks::Bstr description;
    ASSERT_EQ(analysis->get_Description(&description), S_OK);
    EXPECT_EQ(description.str(), L"  Caffeine, infusion ");  // as written; the reader trims
    ks::ComPtr<ICompassSpectra> spectra;
    ASSERT_EQ(analysis->get_Spectra(&spectra), S_OK);
    LONG count = 0;
    ASSERT_EQ(spectra->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    ks::ComPtr<ICompassSpectrum> spectrum;
    for (LONG bad : {0, 4, -1})
        EXPECT_EQ(spectra->get_Item(bad, &spectrum), E_INVALIDARG) << bad;
    ASSERT_EQ(spectra->get_Item(1, &spectrum), S_OK);

    ks::Variant masses, intensities;
    LONG points = -1;
    EXPECT_EQ(spectrum->GetData(0, &masses, &intensities, &points), E_INVALIDARG);
    EXPECT_EQ(spectrum->GetData(1, &masses, &intensities, nullptr), E_POINTER);
    ASSERT_EQ(spectrum->GetData(1, &masses, &intensities, &points), S_OK);
    EXPECT_EQ(points, 2);
    EXPECT_EQ(masses.vt, VT_ARRAY | VT_R8);
    EXPECT_EQ(Doubles(masses), (std::vector<double>{100.5, 200.25}));
    EXPECT_EQ(intensities.vt, VT_ARRAY | VT_I4);
    EXPECT_EQ(Doubles(intensities), (std::vector<double>{10, 20}));

    // Level, time and polarity of each spectrum; the third says no
    // polarity and leaves the caller's value.
    const struct {
        LONG level;
        double seconds;
        LONG polarity;
    } expected[] = {{1, 12.5, 0}, {2, 0, 1}, {1, 30, 255}};
    for (LONG i = 1; i <= 3; ++i) {
        const auto& e = expected[i - 1];
        ASSERT_EQ(spectra->get_Item(i, &spectrum), S_OK);
        LONG level = -1;
        double seconds = -1;
        LONG polarity = 255;
        EXPECT_EQ(spectrum->get_MSLevel(&level), S_OK);
        EXPECT_EQ(spectrum->get_RetentionTime(&seconds), S_OK);
        EXPECT_EQ(spectrum->get_Polarity(&polarity), S_OK);
        EXPECT_EQ(level, e.level) << i;
        EXPECT_EQ(seconds, e.seconds) << i;
        EXPECT_EQ(polarity, e.polarity) << i;
        EXPECT_EQ(spectrum->get_Polarity(nullptr), E_POINTER);
    }

    // Objects taken before a new open keep answering from their analysis.
    ASSERT_EQ(Open(analysis.get(), AnalysisFolder("other.d", "ks-compass-analysis 1\n[end]\n")), S_OK);
    LONG level = -1;
    EXPECT_EQ(spectrum->get_MSLevel(&level), S_OK);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(analysis->get_Description(&description), S_OK);
    EXPECT_EQ(description.str(), L"");  // the new manifest gives none
    ks::ComPtr<ICompassSpectra> none;
    ASSERT_EQ(analysis->get_Spectra(&none), S_OK);
    ASSERT_EQ(none->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
}

// Anything but an analysis folder with a readable manifest: E_FAIL,
// nothing open. Paths inside an analysis folder are refused too: the
// reader, not the component, climbs.
TEST(CompassStandIn, RefusesWhatItDoesNotUnderstand)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string dir = ks::test::tempDir();
    const std::string good = AnalysisFolder("good.d", Manifest());
    std::filesystem::create_directories(good + "/sub");
    const std::string fifo = dir + "/fifo.d";
    std::filesystem::create_directories(fifo);
    ASSERT_EQ(mkfifo((fifo + "/analysis.baf").c_str(), 0600), 0);
    const std::string folderManifest = dir + "/folder.d";
    std::filesystem::create_directories(folderManifest + "/analysis.baf");
    std::string cut = Manifest();
    cut.resize(cut.find("[spectrum]\ntime 30"));
    // Only a manifest that exists and cannot be read is worth a line on
    // standard error, and the line names it.
    const struct {
        const char* name;
        std::string path;
        const char* says;  // what follows "CompassAnalysis: <folder>: analysis.baf: "; null: silent
    } cases[] = {
        {"empty path", "", nullptr},
        {"no such folder", dir + "/missing.d", nullptr},
        {"the manifest's own path", good + "/analysis.baf", nullptr},
        {"a folder inside the analysis", good + "/sub", nullptr},
        {"folder without a manifest", AnalysisFolder("plain.d", "x", "other.txt"), nullptr},
        {"foreign manifest", AnalysisFolder("foreign.d", "ks-compass-analysis 2\n[end]\n"), "line 1: "},
        {"manifest of the ion-trap stand-in", AnalysisFolder("iontrap.d", "ks-iontrap-analysis 1\n[end]\n"),
         "line 1: "},
        {"unknown field",
         AnalysisFolder("field.d", "ks-compass-analysis 1\n[spectrum]\ntime 1\nlevel 1\nmasses\n"
                                   "intensities\nprecursors 1\n[end]\n"),
         "line 7: "},
        {"polarity that is no integer",
         AnalysisFolder("polarity.d",
                        "ks-compass-analysis 1\n[spectrum]\ntime 1\nlevel 1\npolarity -\nmasses\nintensities\n[end]\n"),
         "line 5: "},
        {"cut manifest", AnalysisFolder("cut.d", cut), "line "},
        {"arrays of two sizes without a count",
         AnalysisFolder("sizes.d", "ks-compass-analysis 1\n[spectrum]\ntime 1\nlevel 1\nmasses 1 2\nintensities 1\n[end]\n"),
         "line 6: "},
        {"manifest that is a folder", folderManifest, "not a regular file"},
        {"manifest that is a FIFO", fifo, "not a regular file"},
    };
    for (const auto& c : cases) {
        auto analysis = NewAnalysis();
        ASSERT_EQ(Open(analysis.get(), good), S_OK);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Open(analysis.get(), c.path), E_FAIL) << c.name;
        const std::string said = testing::internal::GetCapturedStderr();
        if (c.says)
            EXPECT_EQ(said.rfind("CompassAnalysis: " + c.path + ": analysis.baf: " + c.says, 0), 0u)
                << c.name << ": " << said;
        else
            EXPECT_EQ(said, "") << c.name;
        ks::ComPtr<ICompassSpectra> spectra;
        EXPECT_EQ(analysis->get_Spectra(&spectra), E_FAIL) << c.name << ": nothing stays open";
    }
    auto analysis = NewAnalysis();
    EXPECT_EQ(analysis->Open(nullptr), E_FAIL);
}

TEST(CompassStandIn, InjectedFaults)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string folder =
        AnalysisFolder("faults.d", Manifest("[fault]\noperation Spectrum.Level\ncall 2\nresult 0x80070005\n"
                                            "[fault]\noperation Analysis.Description\ncall 1\nresult E_OUTOFMEMORY\n"));
    {
        // The variable's faults count from the analysis's creation, over
        // all its objects.
        const Faults faults("Spectra.Item:2:DISP_E_BADINDEX,Analysis.Open:2:E_ACCESSDENIED,Spectrum.Polarity:1:E_FAIL");
        auto analysis = NewAnalysis();
        ASSERT_EQ(Open(analysis.get(), folder), S_OK);
        EXPECT_EQ(Open(analysis.get(), folder), E_ACCESSDENIED);
        ASSERT_EQ(Open(analysis.get(), folder), S_OK);
        ks::Bstr description;
        EXPECT_EQ(analysis->get_Description(&description), E_OUTOFMEMORY);
        EXPECT_EQ(description.get(), nullptr);
        ks::ComPtr<ICompassSpectra> spectra;
        ASSERT_EQ(analysis->get_Spectra(&spectra), S_OK);
        ks::ComPtr<ICompassSpectrum> one, two;
        ASSERT_EQ(spectra->get_Item(1, &one), S_OK);
        EXPECT_EQ(spectra->get_Item(2, &two), DISP_E_BADINDEX);
        EXPECT_FALSE(two);
        ASSERT_EQ(spectra->get_Item(2, &two), S_OK);
        LONG level = -1;
        EXPECT_EQ(one->get_MSLevel(&level), S_OK);
        EXPECT_EQ(two->get_MSLevel(&level), static_cast<HRESULT>(0x80070005));  // the manifest's fault
        EXPECT_EQ(two->get_MSLevel(&level), S_OK);
        LONG polarity = 255;
        EXPECT_EQ(two->get_Polarity(&polarity), E_FAIL);
        EXPECT_EQ(polarity, 255);
        EXPECT_EQ(two->get_Polarity(&polarity), S_OK);
        EXPECT_EQ(polarity, 1);
    }
    {
        // An unreadable variable fails every call of the new analysis.
        const Faults faults("Spectra.Item:first:E_FAIL");
        auto analysis = NewAnalysis();
        EXPECT_EQ(Open(analysis.get(), folder), E_FAIL);
    }
    auto analysis = NewAnalysis();
    EXPECT_EQ(Open(analysis.get(), folder), S_OK);
}

// Late-bound callers reach the members by name.
TEST(CompassStandIn, ThroughIDispatch)
{
    ASSERT_TRUE(ks::test::registerComponents({"CompassAnalysis"}));
    const std::string folder = AnalysisFolder("dispatch.d", Manifest());
    auto analysis = NewAnalysis();
    IDispatch* dispatch = analysis.get();
    DISPID open = 0, description = 0;
    LPOLESTR openName = const_cast<LPOLESTR>(L"open");
    LPOLESTR descriptionName = const_cast<LPOLESTR>(L"Description");
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &openName, 1, 0, &open), S_OK);
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &descriptionName, 1, 0, &description), S_OK);
    ks::Variant path(Wide(folder).c_str());
    DISPPARAMS args{&path, nullptr, 1, 0};
    ASSERT_EQ(dispatch->Invoke(open, IID_NULL, 0, DISPATCH_METHOD, &args, nullptr, nullptr, nullptr), S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant result;
    ASSERT_EQ(dispatch->Invoke(description, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), L"  Caffeine, infusion ");
}

// The manifest cut at any byte before its last line end is refused, never
// read as a smaller analysis.
TEST(CompassManifest, EveryPrefix)
{
    const std::string text = Manifest("[fault]\noperation Spectrum.Data\ncall 1\nresult E_FAIL\n");
    for (size_t n = 0; n + 1 < text.size(); ++n) {
        compass::Analysis analysis;
        EXPECT_FALSE(compass::readAnalysis(text.substr(0, n), analysis).ok) << n;
        EXPECT_TRUE(analysis.spectra.empty()) << n;
    }
    compass::Analysis analysis;
    ASSERT_TRUE(compass::readAnalysis(text, analysis).ok);
    ASSERT_EQ(analysis.spectra.size(), 3u);
    EXPECT_TRUE(analysis.spectra[1].hasPolarity);
    EXPECT_FALSE(analysis.spectra[2].hasPolarity);
    ASSERT_EQ(analysis.faults.size(), 1u);
    EXPECT_EQ(analysis.faults[0].operation, "Spectrum.Data");
}

// A count of our own stands beside arrays of any length: the reader, not
// the stand-in, must refuse the disagreement.
TEST(CompassManifest, StatedCounts)
{
    compass::Analysis analysis;
    const vendorkit::ParseStatus s = compass::readAnalysis(
        "ks-compass-analysis 1\n[spectrum]\ntime 0\nlevel 1\nmasses 1 2 3\nintensities 4\ncount 2\n[end]\n", analysis);
    ASSERT_TRUE(s.ok) << s.message();
    EXPECT_EQ(analysis.spectra[0].count, 2);
    EXPECT_EQ(analysis.description, "");
}
