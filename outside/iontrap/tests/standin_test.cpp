// The ion-trap stand-in: registered by class identifier, it opens a data
// folder's "Analysis.yep" and answers every slot from it (the unused slots
// E_NOTIMPL), refuses what it does not understand with E_FAIL, and fails
// the calls its faults name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "iontrapanalysis.h"
#include "iontrapmodel.h"
#include "ksactivation.h"
#include "kscomptr.h"
#include "kstest.h"

namespace {

// Two spectra; Manifest() closes it.
const char kSpectra[] =
    "ks-iontrap-analysis 1\n"
    "[analysis]\n"
    "name \"Run 7\"\n"
    "[spectrum]\n"
    "time 90\n"
    "level 0\n"
    "masses 100.5 200.25\n"
    "intensities 10 20\n"
    "intensities-type i2\n"
    "param Mode \"Ion Polarity\" Negative\n"
    "param Scan \"Mass Range Mode\" Std/Maximum\n"
    "[spectrum]\n"
    "time 91.5\n"
    "level 2\n"
    "masses 300\n"
    "intensities 5\n"
    "precursors 500.2 300.1\n";

std::string Manifest(const std::string& more = std::string())
{
    return kSpectra + more + "[end]\n";
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

std::string DataFolder(const std::string& name, const std::string& manifest, const char* file = "Analysis.yep")
{
    const std::string folder = ks::test::tempDir() + "/" + name;
    std::filesystem::create_directories(folder);
    ks::test::writeFile(folder + "/" + file, manifest);
    return folder;
}

ks::ComPtr<IIonTrapAnalysis> NewAnalysis()
{
    ks::ComPtr<IIonTrapAnalysis> analysis;
    EXPECT_EQ(CoCreateInstance(CLSID_IonTrapAnalysis, nullptr, 0x17, IID_IIonTrapAnalysis, analysis.out()), S_OK);
    return analysis;
}

HRESULT Open(IIonTrapAnalysis* analysis, const std::string& path)
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
        VARIANT element;
        VariantInit(&element);
        double d = 0;
        switch (v.vt & VT_TYPEMASK) {
        case VT_R8: SafeArrayGetElement(v.parray, &i, &d); break;
        case VT_I2: {
            SHORT s = 0;
            SafeArrayGetElement(v.parray, &i, &s);
            d = s;
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

TEST(IonTrapStandIn, RegisteredByClassIdentifier)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    LPOLESTR progId = nullptr;
    EXPECT_NE(ProgIDFromCLSID(CLSID_IonTrapAnalysis, &progId), S_OK);  // none
    auto analysis = NewAnalysis();
    ASSERT_TRUE(analysis);
    // Nothing open yet.
    ks::ComPtr<IIonTrapSpectra> spectra;
    EXPECT_EQ(analysis->get_Spectra(&spectra), E_FAIL);
    ks::Bstr name;
    EXPECT_EQ(analysis->get_Name(&name), E_FAIL);
    EXPECT_EQ(analysis->Reserved(), E_NOTIMPL);
}

TEST(IonTrapStandIn, EverySlotFromTheManifest)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    // The manifest's name in another case, the folder with "\".
    std::string folder = DataFolder("run.d", Manifest(), "ANALYSIS.yep");
    auto analysis = NewAnalysis();
    std::string backslashed = folder;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    ASSERT_EQ(Open(analysis.get(), backslashed), S_OK);

    ks::Bstr name;
    ASSERT_EQ(analysis->get_Name(&name), S_OK);
    EXPECT_EQ(name.str(), L"Run 7");
    ks::ComPtr<IIonTrapSpectra> spectra;
    ASSERT_EQ(analysis->get_Spectra(&spectra), S_OK);
    LONG count = 0;
    ASSERT_EQ(spectra->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    ks::ComPtr<IUnknown> enumerator;
    EXPECT_EQ(spectra->get__NewEnum(&enumerator), E_NOTIMPL);
    ks::ComPtr<IIonTrapSpectrum> spectrum;
    for (LONG bad : {0, 3, -1})
        EXPECT_EQ(spectra->get_Item(bad, &spectrum), E_INVALIDARG) << bad;
    ASSERT_EQ(spectra->get_Item(1, &spectrum), S_OK);

    ks::Variant masses, intensities;
    LONG points = -1;
    EXPECT_EQ(spectrum->GetData(2, &masses, &intensities, &points), E_INVALIDARG);
    EXPECT_EQ(spectrum->GetData(1, &masses, &intensities, nullptr), E_POINTER);
    ASSERT_EQ(spectrum->GetData(1, &masses, &intensities, &points), S_OK);
    EXPECT_EQ(points, 2);
    EXPECT_EQ(masses.vt, VT_ARRAY | VT_R8);
    EXPECT_EQ(Doubles(masses), (std::vector<double>{100.5, 200.25}));
    EXPECT_EQ(intensities.vt, VT_ARRAY | VT_I2);
    EXPECT_EQ(Doubles(intensities), (std::vector<double>{10, 20}));
    LONG level = -1;
    ASSERT_EQ(spectrum->get_MSLevel(&level), S_OK);
    EXPECT_EQ(level, 0);
    double seconds = 0;
    ASSERT_EQ(spectrum->get_RetentionTime(&seconds), S_OK);
    EXPECT_EQ(seconds, 90);
    ks::Variant precursors;
    LONG n = -1;
    ASSERT_EQ(spectrum->GetPrecursors(&precursors, &n), S_OK);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(precursors.vt, VT_ARRAY | VT_R8);

    ks::ComPtr<IIonTrapParameters> parameters;
    ASSERT_EQ(spectrum->get_Parameters(&parameters), S_OK);
    ASSERT_EQ(parameters->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);
    ks::ComPtr<IIonTrapParameter> parameter;
    EXPECT_EQ(parameters->get_Item(ks::Variant(LONG{3}), &parameter), E_INVALIDARG);
    EXPECT_EQ(parameters->get_Item(ks::Variant(1.0), &parameter), E_INVALIDARG);  // only VT_I4
    ASSERT_EQ(parameters->get_Item(ks::Variant(LONG{2}), &parameter), S_OK);
    ks::Bstr group, key;
    ks::Variant value;
    ASSERT_EQ(parameter->get_Group(&group), S_OK);
    ASSERT_EQ(parameter->get_Name(&key), S_OK);
    ASSERT_EQ(parameter->get_Value(&value), S_OK);
    EXPECT_EQ(group.str(), L"Scan");
    EXPECT_EQ(key.str(), L"Mass Range Mode");
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(value.bstrVal), L"Std/Maximum");

    ASSERT_EQ(spectra->get_Item(2, &spectrum), S_OK);
    precursors.clear();  // an out VARIANT is the caller's to free
    ASSERT_EQ(spectrum->GetPrecursors(&precursors, &n), S_OK);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(Doubles(precursors), (std::vector<double>{500.2, 300.1}));

    // Objects taken before a new open keep answering from their analysis.
    ASSERT_EQ(Open(analysis.get(), DataFolder("other.d", "ks-iontrap-analysis 1\n[end]\n")), S_OK);
    EXPECT_EQ(spectrum->get_MSLevel(&level), S_OK);
    EXPECT_EQ(level, 2);
    EXPECT_EQ(analysis->get_Name(&name), E_FAIL);  // the new manifest names none
    ks::ComPtr<IIonTrapSpectra> none;
    ASSERT_EQ(analysis->get_Spectra(&none), S_OK);
    ASSERT_EQ(none->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
}

// Anything but a folder with a readable manifest: E_FAIL, nothing open.
TEST(IonTrapStandIn, RefusesWhatItDoesNotUnderstand)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string dir = ks::test::tempDir();
    const std::string good = DataFolder("good.d", Manifest());
    const std::string fifo = ks::test::tempDir() + "/fifo.d";
    std::filesystem::create_directories(fifo);
    ASSERT_EQ(mkfifo((fifo + "/Analysis.yep").c_str(), 0600), 0);
    const std::string folderManifest = ks::test::tempDir() + "/folder.d";
    std::filesystem::create_directories(folderManifest + "/Analysis.yep");
    std::string cut = Manifest();
    cut.resize(cut.find("precursors"));
    // Callers ask the component to open any path a user opens: only a
    // manifest that exists and cannot be read is worth a line on standard
    // error, and the line names it.
    const struct {
        const char* name;
        std::string path;
        const char* says;  // what follows "IonTrapAnalysis: <folder>: Analysis.yep: "; null: silent
    } cases[] = {
        {"empty path", "", nullptr},
        {"no such folder", dir + "/missing.d", nullptr},
        {"the manifest's own path", good + "/Analysis.yep", nullptr},
        {"folder without a manifest", DataFolder("plain.d", "x", "other.txt"), nullptr},
        {"foreign manifest", DataFolder("foreign.d", "ks-iontrap-analysis 2\n[end]\n"), "line 1: "},
        {"manifest of another stand-in", DataFolder("kit.d", "ks-vendorkit-fuzz 1\n[end]\n"), "line 1: "},
        {"unknown field",
         DataFolder("field.d", "ks-iontrap-analysis 1\n[spectrum]\ntime 1\nlevel 0\nmasses\n"
                               "intensities\npolarity 1\n[end]\n"),
         "line 7: "},
        {"cut manifest", DataFolder("cut.d", cut), "line "},
        {"arrays of two sizes without a count",
         DataFolder("sizes.d", "ks-iontrap-analysis 1\n[spectrum]\ntime 1\nlevel 0\nmasses 1 2\nintensities 1\n[end]\n"),
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
            EXPECT_EQ(said.rfind("IonTrapAnalysis: " + c.path + ": Analysis.yep: " + c.says, 0), 0u)
                << c.name << ": " << said;
        else
            EXPECT_EQ(said, "") << c.name;
        ks::ComPtr<IIonTrapSpectra> spectra;
        EXPECT_EQ(analysis->get_Spectra(&spectra), E_FAIL) << c.name << ": nothing stays open";
    }
    auto analysis = NewAnalysis();
    EXPECT_EQ(analysis->Open(nullptr), E_FAIL);
}

TEST(IonTrapStandIn, InjectedFaults)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string folder =
        DataFolder("faults.d", Manifest("[fault]\noperation Spectrum.Level\ncall 2\nresult 0x80070005\n"
                                        "[fault]\noperation Parameter.Value\ncall 1\nresult E_OUTOFMEMORY\n"));
    {
        // The variable's faults count from the analysis's creation, over
        // all its objects.
        const Faults faults("Spectra.Item:2:DISP_E_BADINDEX,Analysis.Open:2:E_ACCESSDENIED");
        auto analysis = NewAnalysis();
        ASSERT_EQ(Open(analysis.get(), folder), S_OK);
        EXPECT_EQ(Open(analysis.get(), folder), E_ACCESSDENIED);
        ASSERT_EQ(Open(analysis.get(), folder), S_OK);
        ks::ComPtr<IIonTrapSpectra> spectra;
        ASSERT_EQ(analysis->get_Spectra(&spectra), S_OK);
        ks::ComPtr<IIonTrapSpectrum> one, two;
        ASSERT_EQ(spectra->get_Item(1, &one), S_OK);
        EXPECT_EQ(spectra->get_Item(2, &two), DISP_E_BADINDEX);
        EXPECT_FALSE(two);
        ASSERT_EQ(spectra->get_Item(2, &two), S_OK);
        LONG level = -1;
        EXPECT_EQ(one->get_MSLevel(&level), S_OK);
        EXPECT_EQ(two->get_MSLevel(&level), static_cast<HRESULT>(0x80070005));  // the manifest's fault
        EXPECT_EQ(two->get_MSLevel(&level), S_OK);
        ks::ComPtr<IIonTrapParameters> parameters;
        ASSERT_EQ(one->get_Parameters(&parameters), S_OK);
        ks::ComPtr<IIonTrapParameter> parameter;
        ASSERT_EQ(parameters->get_Item(ks::Variant(LONG{1}), &parameter), S_OK);
        ks::Variant value;
        EXPECT_EQ(parameter->get_Value(&value), E_OUTOFMEMORY);
        EXPECT_EQ(value.vt, VT_EMPTY);
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
TEST(IonTrapStandIn, ThroughIDispatch)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string folder = DataFolder("dispatch.d", Manifest());
    auto analysis = NewAnalysis();
    IDispatch* dispatch = analysis.get();
    DISPID open = 0, name = 0;
    LPOLESTR openName = const_cast<LPOLESTR>(L"open");
    LPOLESTR nameName = const_cast<LPOLESTR>(L"Name");
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &openName, 1, 0, &open), S_OK);
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &nameName, 1, 0, &name), S_OK);
    ks::Variant path(Wide(folder).c_str());
    DISPPARAMS args{&path, nullptr, 1, 0};
    ASSERT_EQ(dispatch->Invoke(open, IID_NULL, 0, DISPATCH_METHOD, &args, nullptr, nullptr, nullptr), S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ks::Variant result;
    ASSERT_EQ(dispatch->Invoke(name, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(result.bstrVal), L"Run 7");
}

// The manifest cut at any byte before its last line end is refused, never
// read as a smaller analysis.
TEST(IonTrapManifest, EveryPrefix)
{
    const std::string text = Manifest("[fault]\noperation Spectrum.Data\ncall 1\nresult E_FAIL\n");
    for (size_t n = 0; n + 1 < text.size(); ++n) {
        iontrap::Analysis analysis;
        EXPECT_FALSE(iontrap::readAnalysis(text.substr(0, n), analysis).ok) << n;
        EXPECT_TRUE(analysis.spectra.empty()) << n;
    }
    iontrap::Analysis analysis;
    ASSERT_TRUE(iontrap::readAnalysis(text, analysis).ok);
    ASSERT_EQ(analysis.spectra.size(), 2u);
    EXPECT_EQ(analysis.spectra[1].precursorCount, 2);
    ASSERT_EQ(analysis.faults.size(), 1u);
    EXPECT_EQ(analysis.faults[0].operation, "Spectrum.Data");
}

// A count of our own stands beside arrays of any length: the reader, not
// the stand-in, must refuse the disagreement.
TEST(IonTrapManifest, StatedCounts)
{
    iontrap::Analysis analysis;
    const vendorkit::ParseStatus s = iontrap::readAnalysis(
        "ks-iontrap-analysis 1\n[spectrum]\ntime 0\nlevel 1\nmasses 1 2 3\nintensities 4\ncount 2\n"
        "precursors 1\nprecursor-count 5\n[end]\n",
        analysis);
    ASSERT_TRUE(s.ok) << s.message();
    EXPECT_EQ(analysis.spectra[0].count, 2);
    EXPECT_EQ(analysis.spectra[0].precursorCount, 5);
    EXPECT_FALSE(analysis.hasName);
}
