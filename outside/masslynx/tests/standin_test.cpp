// The MassLynx stand-in's seven classes: registered by class identifier,
// each answers from the raw directory's manifest (the header class from
// "_header.txt"), a directory without one with status -1, a damaged one
// with E_FAIL; the calls its faults name fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "ksactivation.h"
#include "kscomptr.h"
#include "kstest.h"
#include "masslynxclasses.h"
#include "masslynxfixture.h"
#include "masslynxmodel.h"

using namespace mlfixture;

namespace {

template <class I>
ks::ComPtr<I> New(REFCLSID clsid)
{
    ks::ComPtr<I> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, KS_MASSLYNX_CLASS_CONTEXT, KS_IID(I), object.out()), S_OK);
    return object;
}

ks::Bstr Path(const std::string& path)
{
    return ks::Bstr(std::wstring(path.begin(), path.end()));
}

std::string StandardRaw(const std::string& name = "run.raw")
{
    return WriteRaw(ks::test::tempDir() + "/" + name, StandardRun(), StandardHeader());
}

// The elements of a one-dimensional VT_R4 or VT_R8 array.
std::vector<double> Values(const VARIANT& v)
{
    std::vector<double> out;
    const VARTYPE type = v.vt & VT_TYPEMASK;
    if (!(v.vt & VT_ARRAY) || !v.parray || (type != VT_R4 && type != VT_R8)) {
        ADD_FAILURE() << "no array of floats or doubles: vt " << v.vt;
        return out;
    }
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        if (type == VT_R4) {
            float f = 0;
            SafeArrayGetElement(v.parray, &i, &f);
            out.push_back(f);
        } else {
            double d = 0;
            SafeArrayGetElement(v.parray, &i, &d);
            out.push_back(d);
        }
    }
    return out;
}

// What a GetData call answers.
struct Points {
    HRESULT hr = E_UNEXPECTED;
    LONG count = 0;
    VARTYPE type = VT_EMPTY;  // of the first array
    std::vector<double> x, y;
};

template <class I>
Points GetPoints(I* object)
{
    Points p;
    ks::Variant x, y;
    p.hr = object->GetData(&p.count, &x, &y);
    p.type = x.vt;
    if (SUCCEEDED(p.hr)) {
        p.x = Values(x);
        p.y = Values(y);
    } else {
        EXPECT_EQ(x.vt, VT_EMPTY);
        EXPECT_EQ(y.vt, VT_EMPTY);
    }
    return p;
}

// Sets KS_VENDORKIT_FAULTS for one scope (before the objects are made).
struct Faults {
    explicit Faults(const char* text) { setenv("KS_VENDORKIT_FAULTS", text, 1); }
    ~Faults() { unsetenv("KS_VENDORKIT_FAULTS"); }
};

class MassLynxStandIn : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ks::test::registerComponents({"MassLynxRaw"})); }
};

}  // namespace

TEST_F(MassLynxStandIn, EveryClassRegisteredByClassIdentifierOnly)
{
    const CLSID classes[] = {CLSID_MassLynxRawCheck,     CLSID_MassLynxHeader,   CLSID_MassLynxFunctionInfo,
                             CLSID_MassLynxAnalog,       CLSID_MassLynxChromatogram, CLSID_MassLynxSpectrum,
                             CLSID_MassLynxScanStats};
    for (const CLSID& clsid : classes) {
        ks::ComPtr<IDispatch> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, KS_MASSLYNX_CLASS_CONTEXT, IID_IDispatch, object.out()), S_OK);
        LPOLESTR progId = nullptr;
        EXPECT_NE(ProgIDFromCLSID(clsid, &progId), S_OK);
    }
    // Each class for its own interface only.
    ks::ComPtr<IMassLynxSpectrum> wrong;
    EXPECT_EQ(CoCreateInstance(CLSID_MassLynxHeader, nullptr, KS_MASSLYNX_CLASS_CONTEXT, IID_IMassLynxSpectrum,
                               wrong.out()),
              E_NOINTERFACE);
}

TEST_F(MassLynxStandIn, RawCheckAcceptsOnlyAFolderWithItsManifest)
{
    const std::string raw = StandardRaw();
    std::filesystem::create_directories(ks::test::tempDir() + "/empty.raw");
    ks::test::writeFile(ks::test::tempDir() + "/file.raw", "x");
    auto check = New<IMassLynxRawCheck>(CLSID_MassLynxRawCheck);
    struct Case {
        std::string path;
        LONG status;
    };
    const std::vector<Case> cases = {
        {raw, 0},
        {raw + "/", 0},
        {ks::test::tempDir() + "\\run.raw", 0},  // either separator
        {ks::test::tempDir() + "/run", -1},       // the name as it is, no extension added
        {ks::test::tempDir() + "/empty.raw", -1},
        {ks::test::tempDir() + "/file.raw", -1},
        {ks::test::tempDir() + "/missing.raw", -1},
        {"", -1},
    };
    for (const Case& c : cases) {
        LONG status = 99;
        EXPECT_EQ(check->Check(Path(c.path), &status), S_OK) << c.path;
        EXPECT_EQ(status, c.status) << c.path;
    }
    EXPECT_EQ(check->Check(Path(raw), nullptr), E_POINTER);
}

TEST_F(MassLynxStandIn, ManifestFoundWithoutRegardToCase)
{
    const std::string raw = StandardRaw();
    std::filesystem::rename(raw + "/_manifest.txt", raw + "/_MANIFEST.TXT");
    std::filesystem::rename(raw + "/_header.txt", raw + "/_HEADER.TXT");
    auto header = New<IMassLynxHeader>(CLSID_MassLynxHeader);
    LONG status = -5;
    ASSERT_EQ(header->Read(Path(raw), &status), S_OK);
    EXPECT_EQ(status, 0);
    ks::Bstr text;
    ASSERT_EQ(header->get_Text(&text), S_OK);
    EXPECT_EQ(text.str().substr(0, 15), L"$$ Version: 4.1");
}

TEST_F(MassLynxStandIn, HeaderTextIsTheFileAsEightBitText)
{
    const std::string raw = StandardRaw();
    ks::test::writeFile(raw + "/_header.txt", "$$ Version\r\nName caf\xE9 \x01\r\n");
    auto header = New<IMassLynxHeader>(CLSID_MassLynxHeader);
    ks::Bstr text;
    EXPECT_EQ(header->get_Text(&text), E_FAIL);  // nothing read yet
    LONG status = -5;
    ASSERT_EQ(header->Read(Path(raw), &status), S_OK);
    ASSERT_EQ(header->get_Text(&text), S_OK);
    EXPECT_EQ(text.str(), std::wstring(L"$$ Version\r\nName caf\u00E9 \x01\r\n"));

    // Without a header file: status -1 and nothing to answer.
    std::filesystem::remove(raw + "/_header.txt");
    ASSERT_EQ(header->Read(Path(raw), &status), S_OK);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(header->get_Text(&text), E_FAIL);
}

TEST_F(MassLynxStandIn, HeaderThatIsNoRegularFileOrTooLargeIsRefused)
{
    const std::string raw = StandardRaw();
    auto header = New<IMassLynxHeader>(CLSID_MassLynxHeader);
    std::filesystem::remove(raw + "/_header.txt");
    ASSERT_EQ(mkfifo((raw + "/_header.txt").c_str(), 0600), 0);
    LONG status = 0;
    EXPECT_EQ(header->Read(Path(raw), &status), E_FAIL);  // never waits on the FIFO
    std::filesystem::remove(raw + "/_header.txt");
    ks::test::writeFile(raw + "/_header.txt", std::string(masslynx::kMaxHeaderBytes + 1, 'x'));
    EXPECT_EQ(header->Read(Path(raw), &status), E_FAIL);
    ks::test::writeFile(raw + "/_header.txt", std::string(masslynx::kMaxHeaderBytes, 'x'));
    EXPECT_EQ(header->Read(Path(raw), &status), S_OK);
    EXPECT_EQ(status, 0);
}

TEST_F(MassLynxStandIn, FunctionsAnswerTypeNameScanCountAndValue)
{
    RawSpec run = StandardRun();
    run.functions[0].extra = "value 2.5\n";
    run.functions[1].type = "TOF MS";
    run.functions[1].extra = "scans 9\n";  // the count reported, not the scans listed
    const std::string raw = WriteRaw(ks::test::tempDir() + "/f.raw", run, StandardHeader());
    auto info = New<IMassLynxFunctionInfo>(CLSID_MassLynxFunctionInfo);
    LONG count = 0;
    ASSERT_EQ(info->GetFunctionCount(Path(raw), &count), S_OK);
    EXPECT_EQ(count, 3);

    ks::Bstr type;
    LONG scans = -1;
    double value = -1;
    EXPECT_EQ(info->GetFunction(&type, &scans, &value), E_FAIL);  // none selected
    struct Case {
        LONG function;
        const wchar_t* type;
        LONG scans;
        double value;
    };
    for (const Case& c : {Case{1, L"Scan", 3, 2.5}, Case{2, L"TOF MS", 9, 0}, Case{3, L"Diode Array", 2, 0}}) {
        LONG status = -5;
        ASSERT_EQ(info->Select(Path(raw), c.function, &status), S_OK);
        EXPECT_EQ(status, 0);
        ASSERT_EQ(info->GetFunction(&type, &scans, &value), S_OK);
        EXPECT_EQ(type.str(), c.type);
        EXPECT_EQ(scans, c.scans);
        EXPECT_EQ(value, c.value);
    }
    for (LONG function : {0, 4, -1}) {
        LONG status = 0;
        ASSERT_EQ(info->Select(Path(raw), function, &status), S_OK);
        EXPECT_EQ(status, -1) << function;
        EXPECT_EQ(info->GetFunction(&type, &scans, &value), E_FAIL);
    }
    ASSERT_EQ(info->GetFunctionCount(Path(ks::test::tempDir()), &count), S_OK);
    EXPECT_EQ(count, -1);  // no raw directory
}

TEST_F(MassLynxStandIn, AnalogChannelsOnlyWhenTheManifestSaysSo)
{
    RawSpec run = StandardRun();
    const std::string with = WriteRaw(ks::test::tempDir() + "/a.raw", run, StandardHeader());
    run.analogChannels = -1;
    run.records.clear();
    const std::string without = WriteRaw(ks::test::tempDir() + "/b.raw", run, StandardHeader());
    auto analog = New<IMassLynxAnalog>(CLSID_MassLynxAnalog);
    LONG status = -5;
    LONG channels = -1;
    ASSERT_EQ(analog->Read(Path(with), &status), S_OK);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(analog->get_ChannelCount(&channels), S_OK);
    EXPECT_EQ(channels, 2);
    ASSERT_EQ(analog->Read(Path(without), &status), S_OK);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(analog->get_ChannelCount(&channels), E_FAIL);
}

TEST_F(MassLynxStandIn, ChromatogramsByNameAndFunction)
{
    const std::string raw = StandardRaw();
    auto chro = New<IMassLynxChromatogram>(CLSID_MassLynxChromatogram);
    ks::Bstr tic(L"TIC");
    LONG status = -5;
    ASSERT_EQ(chro->Read(Path(raw), 2, 0, 0.0, 0.0, 0, tic, &status), S_OK);
    EXPECT_EQ(status, 0);
    Points p = GetPoints(chro.get());
    ASSERT_EQ(p.hr, S_OK);
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.type, VT_ARRAY | VT_R4);  // single precision unless the manifest says otherwise
    EXPECT_EQ(p.x, (std::vector<double>{0.15f, 0.25f, 0.35f}));
    EXPECT_EQ(p.y, (std::vector<double>{10, 11, 15}));

    // An analog channel stands for every function.
    for (LONG function : {1, 3}) {
        ASSERT_EQ(chro->Read(Path(raw), function, 0, 0.0, 0.0, 0, ks::Bstr(L"An2"), &status), S_OK);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(GetPoints(chro.get()).y, (std::vector<double>{50, 60}));
    }
    // Names match exactly; an unknown name or function finds nothing.
    for (const auto& [function, name] : {std::pair<LONG, const wchar_t*>{1, L"tic"}, {1, L"An3"}, {4, L"TIC"},
                                         {0, L"An1"}, {1, L"TIC\u00E9"}}) {
        ASSERT_EQ(chro->Read(Path(raw), function, 0, 0.0, 0.0, 0, ks::Bstr(name), &status), S_OK);
        EXPECT_EQ(status, -1) << function;
        EXPECT_EQ(GetPoints(chro.get()).hr, E_FAIL);
    }
    // Arguments it was not made for.
    EXPECT_EQ(chro->Read(Path(raw), 1, 1, 0.0, 0.0, 0, tic, &status), E_INVALIDARG);
    EXPECT_EQ(chro->Read(Path(raw), 1, 0, 100.0, 200.0, 0, tic, &status), E_INVALIDARG);
    EXPECT_EQ(chro->Read(Path(raw), 1, 0, 0.0, 0.0, 1, tic, &status), E_INVALIDARG);
}

TEST_F(MassLynxStandIn, ScansAnswerPointsTimeAndContinuum)
{
    RawSpec run = StandardRun();
    run.functions[0].scans[1].extra = "masses-type r8\ncount 7\n";
    const std::string raw = WriteRaw(ks::test::tempDir() + "/s.raw", run, StandardHeader());
    auto spectrum = New<IMassLynxSpectrum>(CLSID_MassLynxSpectrum);
    auto stats = New<IMassLynxScanStats>(CLSID_MassLynxScanStats);
    LONG status = -5;
    ASSERT_EQ(spectrum->Read(Path(raw), 2, 0, 1, &status), S_OK);
    EXPECT_EQ(status, 0);
    Points p = GetPoints(spectrum.get());
    ASSERT_EQ(p.hr, S_OK);
    EXPECT_EQ(p.count, 4);
    EXPECT_EQ(p.x, (std::vector<double>{500, 400, 100, 101}));
    EXPECT_EQ(p.y, (std::vector<double>{1, 2, 3, 4}));
    // The count as stated, the masses in the form stated.
    ASSERT_EQ(spectrum->Read(Path(raw), 1, 0, 2, &status), S_OK);
    p = GetPoints(spectrum.get());
    ASSERT_EQ(p.hr, S_OK);
    EXPECT_EQ(p.count, 7);
    EXPECT_EQ(p.type, VT_ARRAY | VT_R8);

    float minutes = -1;
    LONG continuum = -1;
    EXPECT_EQ(stats->GetStats(&minutes, &continuum), E_FAIL);
    ASSERT_EQ(stats->Read(Path(raw), 1, 0, 3, &status), S_OK);
    ASSERT_EQ(stats->GetStats(&minutes, &continuum), S_OK);
    EXPECT_EQ(minutes, 0.30f);
    EXPECT_EQ(continuum, 1);

    for (const auto& [function, scan] : {std::pair<LONG, LONG>{1, 0}, {1, 4}, {4, 1}, {0, 1}}) {
        ASSERT_EQ(spectrum->Read(Path(raw), function, 0, scan, &status), S_OK);
        EXPECT_EQ(status, -1);
        EXPECT_EQ(GetPoints(spectrum.get()).hr, E_FAIL);
        ASSERT_EQ(stats->Read(Path(raw), function, 0, scan, &status), S_OK);
        EXPECT_EQ(status, -1);
    }
    EXPECT_EQ(spectrum->Read(Path(raw), 1, 2, 1, &status), E_INVALIDARG);
    EXPECT_EQ(stats->Read(Path(raw), 1, 2, 1, &status), E_INVALIDARG);
}

TEST_F(MassLynxStandIn, DamagedManifestFailsEveryRead)
{
    const std::string raw = StandardRaw();
    std::string text = ManifestText(StandardRun());
    text.insert(text.find("[scan]"), "[scan]\ntime 0.5\nmasses 1\n");  // intensities missing
    ks::test::writeFile(raw + "/_manifest.txt", text);
    LONG status = 0;
    LONG count = 0;
    EXPECT_EQ(New<IMassLynxRawCheck>(CLSID_MassLynxRawCheck)->Check(Path(raw), &status), E_FAIL);
    EXPECT_EQ(New<IMassLynxHeader>(CLSID_MassLynxHeader)->Read(Path(raw), &status), E_FAIL);
    EXPECT_EQ(New<IMassLynxFunctionInfo>(CLSID_MassLynxFunctionInfo)->GetFunctionCount(Path(raw), &count), E_FAIL);
    EXPECT_EQ(New<IMassLynxAnalog>(CLSID_MassLynxAnalog)->Read(Path(raw), &status), E_FAIL);
    EXPECT_EQ(New<IMassLynxSpectrum>(CLSID_MassLynxSpectrum)->Read(Path(raw), 1, 0, 1, &status), E_FAIL);

    // A manifest that is a folder or a FIFO is refused at once.
    std::filesystem::remove(raw + "/_manifest.txt");
    std::filesystem::create_directory(raw + "/_manifest.txt");
    EXPECT_EQ(New<IMassLynxRawCheck>(CLSID_MassLynxRawCheck)->Check(Path(raw), &status), E_FAIL);
    std::filesystem::remove(raw + "/_manifest.txt");
    ASSERT_EQ(mkfifo((raw + "/_manifest.txt").c_str(), 0600), 0);
    EXPECT_EQ(New<IMassLynxRawCheck>(CLSID_MassLynxRawCheck)->Check(Path(raw), &status), E_FAIL);
}

TEST_F(MassLynxStandIn, ChangedManifestIsReadAgain)
{
    const std::string raw = StandardRaw();
    auto info = New<IMassLynxFunctionInfo>(CLSID_MassLynxFunctionInfo);
    LONG count = 0;
    ASSERT_EQ(info->GetFunctionCount(Path(raw), &count), S_OK);
    EXPECT_EQ(count, 3);
    RawSpec run = StandardRun();
    run.functions.pop_back();
    ks::test::writeFile(raw + "/_manifest.txt", ManifestText(run) + "# longer\n");
    ASSERT_EQ(info->GetFunctionCount(Path(raw), &count), S_OK);
    EXPECT_EQ(count, 2);
    // Objects share what one of them read of an unchanged file, never an
    // older one; a removed manifest is missing at once.
    auto other = New<IMassLynxFunctionInfo>(CLSID_MassLynxFunctionInfo);
    ASSERT_EQ(other->GetFunctionCount(Path(raw), &count), S_OK);
    EXPECT_EQ(count, 2);
    ks::test::writeFile(raw + "/_manifest.txt", ManifestText(StandardRun()) + "# longer still\n");
    ASSERT_EQ(other->GetFunctionCount(Path(raw), &count), S_OK);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(info->GetFunctionCount(Path(raw), &count), S_OK);
    EXPECT_EQ(count, 3);
    std::filesystem::remove(raw + "/_manifest.txt");
    ASSERT_EQ(info->GetFunctionCount(Path(raw), &count), S_OK);
    EXPECT_EQ(count, -1);
}

TEST_F(MassLynxStandIn, FaultsOfTheManifestFailTheCallsTheyName)
{
    RawSpec run = StandardRun();
    run.records.push_back("[fault]\noperation Spectrum.Data\ncall 2\nresult E_OUTOFMEMORY\n");
    run.records.push_back("[fault]\noperation ScanStats.Read\ncall 1\nresult 0x80070005\n");
    const std::string raw = WriteRaw(ks::test::tempDir() + "/faults.raw", run, StandardHeader());
    auto spectrum = New<IMassLynxSpectrum>(CLSID_MassLynxSpectrum);
    LONG status = 0;
    ASSERT_EQ(spectrum->Read(Path(raw), 1, 0, 1, &status), S_OK);
    EXPECT_EQ(GetPoints(spectrum.get()).hr, S_OK);
    EXPECT_EQ(GetPoints(spectrum.get()).hr, E_OUTOFMEMORY);
    EXPECT_EQ(GetPoints(spectrum.get()).hr, S_OK);
    // The first call of the object that reads the manifest is already
    // subject to it.
    EXPECT_EQ(New<IMassLynxScanStats>(CLSID_MassLynxScanStats)->Read(Path(raw), 1, 0, 1, &status),
              static_cast<HRESULT>(0x80070005));
}

TEST_F(MassLynxStandIn, FaultsOfTheEnvironmentCountPerObject)
{
    const std::string raw = StandardRaw();
    LONG status = 0;
    {
        Faults faults("RawCheck.Check:2:E_ACCESSDENIED");
        auto check = New<IMassLynxRawCheck>(CLSID_MassLynxRawCheck);
        auto other = New<IMassLynxRawCheck>(CLSID_MassLynxRawCheck);
        EXPECT_EQ(check->Check(Path(raw), &status), S_OK);
        EXPECT_EQ(check->Check(Path(raw), &status), E_ACCESSDENIED);
        EXPECT_EQ(check->Check(Path(raw), &status), S_OK);
        EXPECT_EQ(other->Check(Path(raw), &status), S_OK);
    }
    {
        // An unreadable list fails every call of the objects made under it.
        Faults faults("Nothing.Such:1:E_FAIL");
        auto check = New<IMassLynxRawCheck>(CLSID_MassLynxRawCheck);
        EXPECT_EQ(check->Check(Path(raw), &status), E_FAIL);
    }
}

TEST(MassLynxManifest, DamageIsRefusedWithLineAndReason)
{
    struct Case {
        const char* what;
        std::string text;
        int line;
        const char* reason;  // a part of it
    };
    const std::string head = "ks-masslynx-raw 1\n";
    const std::vector<Case> cases = {
        {"foreign first line", "ks-iontrap-analysis 1\n[end]\n", 1, ""},
        {"cut short", head + "[function]\ntype Scan\n", 3, "[end]"},
        {"scan before a function", head + "[scan]\ntime 1\nmasses 1\nintensities 1\n[end]\n", 2, "before the first"},
        {"arrays of different lengths", head + "[function]\ntype Scan\n[scan]\ntime 1\nmasses 1 2\nintensities 1\n[end]\n",
         7, "no \"count\""},
        {"time beyond a float", head + "[function]\ntype Scan\n[scan]\ntime 1e39\nmasses 1\nintensities 1\n[end]\n", 5,
         "single-precision"},
        {"chromatogram of a missing function",
         head + "[function]\ntype Scan\n[chromatogram]\nname TIC\nfunction 2\ntimes 1\nintensities 1\n[end]\n", 6,
         "lists 1 functions"},
        {"second chromatogram of a name",
         head + "[function]\ntype Scan\n" + Chromatogram("An1", 0, {1}, {1}) + Chromatogram("An1", 0, {2}, {2}) +
             "[end]\n",
         8, "second [chromatogram]"},
        {"two analog records", head + "[analog]\nchannels 1\n[analog]\nchannels 2\n[end]\n", 4, ""},
        // A channel count is backed by a chromatogram of each channel.
        {"channels without chromatograms", head + "[analog]\nchannels 2147483647\n[end]\n", 3,
         "no [chromatogram] \"An1\""},
        {"a channel missing", head + "[function]\ntype Scan\n" + Chromatogram("An1", 0, {1}, {1}) +
                                  Chromatogram("An3", 1, {1}, {1}) + "[analog]\nchannels 3\n[end]\n",
         14, "channels 3, but no [chromatogram] \"An2\""},
        {"negative scan count", head + "[function]\ntype Scan\nscans -1\n[end]\n", 4, ""},
        {"mass beyond a float", head + "[function]\ntype Scan\n[scan]\ntime 1\nmasses 1e39\nintensities 1\n[end]\n", 6,
         ""},
        {"unknown fault operation", head + "[fault]\noperation Spectrum.Open\ncall 1\nresult E_FAIL\n[end]\n", 3, ""},
    };
    for (const Case& c : cases) {
        masslynx::Raw raw;
        const vendorkit::ParseStatus s = masslynx::readRaw(c.text, raw);
        EXPECT_FALSE(s.ok) << c.what;
        EXPECT_EQ(s.line, c.line) << c.what << ": " << s.message();
        EXPECT_NE(s.reason.find(c.reason), std::string::npos) << c.what << ": " << s.message();
        EXPECT_TRUE(raw.functions.empty()) << c.what;
    }
}

TEST(MassLynxManifest, EveryPrefixOfTheStandardRunIsRefused)
{
    const std::string text = ManifestText(StandardRun());
    masslynx::Raw raw;
    ASSERT_TRUE(masslynx::readRaw(text, raw).ok);
    ASSERT_EQ(raw.functions.size(), 3u);
    EXPECT_EQ(raw.functions[2].scanCount, 2);
    EXPECT_EQ(raw.chromatograms.size(), 5u);  // three TICs, two analog channels
    // "[end]" is on the last line: every shorter text lacks it.
    const size_t end = text.rfind("[end]");
    for (size_t n = 0; n < end + 5; ++n)
        EXPECT_FALSE(masslynx::readRaw(text.substr(0, n), raw).ok) << n;
}
