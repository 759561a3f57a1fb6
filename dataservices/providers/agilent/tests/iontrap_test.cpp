// CAgilentIonTrapDataServerImpl, the reader behind the ion-trap data
// server, over the registered stand-in of the outside analysis component:
// functions by polarity, zoom and level in order of first appearance, their
// names and types, spectra (points, single-precision intensities, minutes,
// precursors), the traces of the folder's signal files, recognition, the
// arrays it refuses, injected failures and a component that is not there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "agilentfixtures.h"
#include "iontrapdataserver.h"
#include "iontrapfixtures.h"
#include "ksclassfactory.h"
#include "ksclasstable.h"
#include "kstest.h"

using namespace agilentfix;
using namespace iontrapfix;

namespace {

// Positive and negative MS and MS/MS scans, alternating.
std::string Alternating()
{
    return Manifest("Run 7", Spectrum(1, 1, true) + Spectrum(2, 2, true) + Spectrum(3, 1, false) +
                                 Spectrum(4, 2, false) + Spectrum(5, 1, true) + Spectrum(6, 2, false) +
                                 Spectrum(7, 2, true));
}

HRESULT Open(CAgilentIonTrapDataServerImpl& reader, const std::string& folder)
{
    return reader.Open(CString(Wide(folder)));
}

std::vector<double> Masses(const CMassSpectrum& s)
{
    return s.GetCount() ? std::vector<double>(s.Masses(), s.Masses() + s.GetCount()) : std::vector<double>();
}

std::vector<double> Intensities(const CMassSpectrum& s)
{
    return s.GetCount() ? std::vector<double>(s.Intensities(), s.Intensities() + s.GetCount())
                        : std::vector<double>();
}

void ExpectClosed(CAgilentIonTrapDataServerImpl& reader, const std::string& what)
{
    EXPECT_EQ(reader.FunctionCount(0), 0) << what;
    EXPECT_EQ(reader.TraceCount(0), 0) << what;
    CMassSpectrum s;
    EXPECT_EQ(reader.Spectrum(0, 0, 0, s), E_FAIL) << what;
}

}  // namespace

TEST(IonTrapReader, FunctionsInOrderOfFirstAppearance)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string folder = DataFolder("alternating.d", Alternating());
    CAgilentIonTrapDataServerImpl reader;
    EXPECT_EQ(reader.DatasetType(), CString(L"KSAgilentIonTrapProvider"));
    ASSERT_EQ(Open(reader, folder), S_OK);
    EXPECT_EQ(reader.InjectionCount(), 1);
    EXPECT_EQ(reader.InjectionName(0), CString(L"Injection 1"));
    ASSERT_EQ(reader.FunctionCount(0), 4);
    const struct {
        const wchar_t* name;
        FunctionType type;
        FunctionMSMSType msms;
        FunctionPolarity polarity;
        int order;
        int spectra;
    } expected[] = {
        {L"Run 7, + MS", FunctionTypeMS, FunctionMSMSTypeNone, FunctionPolarityPositive, 1, 2},
        {L"Run 7, + MS/MS", FunctionTypeMSn, FunctionMSMSTypePrecursor, FunctionPolarityPositive, 2, 2},
        {L"Run 7, - MS", FunctionTypeMS, FunctionMSMSTypeNone, FunctionPolarityNegative, 1, 1},
        {L"Run 7, - MS/MS", FunctionTypeMSn, FunctionMSMSTypePrecursor, FunctionPolarityNegative, 2, 2},
    };
    for (int f = 0; f < 4; ++f) {
        const auto& e = expected[f];
        EXPECT_EQ(reader.FunctionName(0, f), CString(e.name)) << f;
        EXPECT_EQ(reader.FunctionType(0, f), e.type) << f;
        EXPECT_EQ(reader.FunctionMSMSType(0, f), e.msms) << f;
        EXPECT_EQ(reader.FunctionPolarity(0, f), e.polarity) << f;
        EXPECT_EQ(reader.MSOrder(0, f), e.order) << f;
        EXPECT_EQ(reader.SpectrumCount(0, f), e.spectra) << f;
    }
    // Function 4 holds scans 4 and 6, in minutes; chosen by time.
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 3, 6.0 / 60, FunctionRTProximityLess), 0);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 3, 5.1 / 60, FunctionRTProximityClosest), 1);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 3, 6.5 / 60, FunctionRTProximityGreater), -1);
    CMassSpectrum s;
    ASSERT_EQ(reader.Spectrum(0, 3, 1, s), S_OK);
    EXPECT_DOUBLE_EQ(s.GetStartRT(), 0.1);
    EXPECT_EQ(s.GetFirstScan(), 2);
    EXPECT_EQ(s.GetLastScan(), 2);

    // Indexes that do not exist answer neutrally.
    EXPECT_EQ(reader.FunctionName(0, 4), CString());
    EXPECT_EQ(reader.FunctionType(0, -1), FunctionTypeUnknown);
    EXPECT_EQ(reader.FunctionPolarity(0, 4), FunctionPolarityUnknown);
    EXPECT_EQ(reader.MSOrder(1, 0), 0);
    EXPECT_EQ(reader.SpectrumCount(0, 9), 0);
    EXPECT_EQ(reader.SpectrumIndexByRT(0, 9, 0, FunctionRTProximityClosest), -1);
    EXPECT_EQ(reader.Spectrum(0, 0, 2, s), E_FAIL);
    EXPECT_EQ(reader.Spectrum(1, 0, 0, s), E_FAIL);

    ASSERT_EQ(reader.Close(), S_OK);
    ExpectClosed(reader, "after Close");
    EXPECT_EQ(reader.FunctionName(0, 0), CString());
}

// Zoom and level from the parameters: zoom MS 3, zoom MSn 4, unknown 0 for
// the level below 1; parameters of other groups or values are no flags.
TEST(IonTrapReader, ZoomLevelsAndParameters)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string records =
        Spectrum(1, 1, true, true) + Spectrum(2, 2, false, true) + Spectrum(3, 0) + Spectrum(4, 3) +
        // No parameters at all: positive, not zoom, joins the + MS function
        // of a later plain scan.
        "[spectrum]\ntime 5\nlevel 0\nmasses\nintensities\n" +
        // Flags are read from the group "Mode" only, and only the exact
        // values count; the last one given wins.
        "[spectrum]\ntime 6\nlevel 0\nmasses\nintensities\n"
        "param Scan \"Ion Polarity\" Negative\nparam Mode \"Mass Range Mode\" std/maximum\n"
        "param Mode \"Ion Polarity\" Negative\nparam Mode \"Ion Polarity\" Positive\n" +
        "[spectrum]\ntime 7\nlevel 0\nmasses\nintensities\nparam Mode \"Ion Polarity\" negative\n";
    CAgilentIonTrapDataServerImpl reader;
    ASSERT_EQ(Open(reader, DataFolder("zoom.d", Manifest("Z", records))), S_OK);
    const struct {
        const wchar_t* name;
        FunctionType type;
        int order;
        int spectra;
    } expected[] = {
        {L"Z, + Zoom MS", FunctionTypeZoomMS, 1, 1},  {L"Z, - Zoom MS/MS", FunctionTypeZoomMSn, 2, 1},
        {L"Z, + MS", FunctionTypeUnknown, 0, 1},       {L"Z, + MS3", FunctionTypeMSn, 3, 1},
        {L"Z, + MS", FunctionTypeMS, 1, 2},            {L"Z, - MS", FunctionTypeMS, 1, 1},
    };
    ASSERT_EQ(reader.FunctionCount(0), 6);
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(reader.FunctionName(0, f), CString(expected[f].name)) << f;
        EXPECT_EQ(reader.FunctionType(0, f), expected[f].type) << f;
        EXPECT_EQ(reader.MSOrder(0, f), expected[f].order) << f;
        EXPECT_EQ(reader.SpectrumCount(0, f), expected[f].spectra) << f;
    }
    EXPECT_EQ(reader.FunctionMSMSType(0, 3), FunctionMSMSTypePrecursor);
    EXPECT_EQ(reader.FunctionMSMSType(0, 2), FunctionMSMSTypeNone);
}

TEST(IonTrapReader, SpectrumValues)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string records =
        Spectrum(90, 3, false, false, "150.25 300.5 500.2", "0.1 1e40 -3", "precursors 500.2 300.1\n") +
        Spectrum(120, 1, true, false, "100.125", "16777217", "intensities-type i4\n") +
        Spectrum(150, 2, true, false, "", "", "");
    CAgilentIonTrapDataServerImpl reader;
    ASSERT_EQ(Open(reader, DataFolder("values.d", Manifest("V", records))), S_OK);

    CMassSpectrum s;
    ASSERT_EQ(reader.Spectrum(0, 0, 0, s), S_OK);
    EXPECT_EQ(Masses(s), (std::vector<double>{150.25, 300.5, 500.2}));
    // Intensities rounded to single precision (and kept finite).
    EXPECT_EQ(Intensities(s), (std::vector<double>{static_cast<float>(0.1), 3.4028234663852886e38, -3}));
    EXPECT_DOUBLE_EQ(s.GetStartRT(), 1.5);
    EXPECT_DOUBLE_EQ(s.GetEndRT(), 1.5);
    EXPECT_EQ(s.GetMSOrder(), 3);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeMSn);
    EXPECT_EQ(s.GetPrecursorMZ(2), 500.2);
    EXPECT_EQ(s.GetPrecursorMZ2(2), 500.2);
    EXPECT_EQ(s.GetPrecursorMZ(3), 300.1);
    EXPECT_EQ(s.GetPrecursorMZ2(3), 300.1);
    EXPECT_EQ(s.GetPrecursorMass(), 300.1);  // the last one
    EXPECT_EQ(s.GetPolarity(), FunctionPolarityNegative);
    EXPECT_FALSE(s.IsCentroid());
    EXPECT_EQ(s.GetFirstScan(), 1);

    // The same record read next for an MS scan keeps nothing of the MS3.
    ASSERT_EQ(reader.Spectrum(0, 1, 0, s), S_OK);
    EXPECT_EQ(Intensities(s), (std::vector<double>{16777216}));
    EXPECT_EQ(s.GetMSOrder(), 1);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeMS);
    EXPECT_EQ(s.GetPrecursorMass(), 0);
    EXPECT_EQ(s.GetPolarity(), FunctionPolarityPositive);
    EXPECT_DOUBLE_EQ(s.GetStartRT(), 2);

    // MS/MS without precursors: no precursor m/z; no points at all.
    ASSERT_EQ(reader.Spectrum(0, 2, 0, s), S_OK);
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.GetMSOrder(), 2);
    EXPECT_EQ(s.GetPrecursorMass(), 0);
}

// A name the component cannot give leaves the function names empty.
TEST(IonTrapReader, NamesWithoutAnAnalysisName)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    CAgilentIonTrapDataServerImpl reader;
    ASSERT_EQ(Open(reader, DataFolder("noname.d", Manifest("", Spectrum(1, 1)))), S_OK);
    EXPECT_EQ(reader.FunctionName(0, 0), CString());
    const std::string named = DataFolder("named.d", Manifest("N", Spectrum(1, 1)));
    {
        const Faults faults("Analysis.Name:2:E_UNEXPECTED");
        ASSERT_EQ(Open(reader, named), S_OK);
        EXPECT_EQ(reader.FunctionName(0, 0), CString(L"N, + MS"));
        EXPECT_EQ(reader.FunctionName(0, 0), CString());
        EXPECT_EQ(reader.FunctionName(0, 0), CString(L"N, + MS"));
    }
}

TEST(IonTrapReader, TracesFromSignalFiles)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string folder = DataFolder("traces.d", Manifest("T", Spectrum(1, 1)));
    ks::test::writeFile(Join(folder, "DAD1A.ch"), BuildSignal(130, 0, 60000, Blocks({{0x1003, 100, 0xFFF6, 5}})));
    ks::test::writeFile(Join(folder, "ADC1B.CH"), BuildSignal(30, 0, 60000, std::string(7, '\x10')));
    CAgilentIonTrapDataServerImpl reader;
    // Opened through a path with "\" and a final separator.
    std::string path = folder + "/";
    std::replace(path.begin(), path.end(), '/', '\\');
    ASSERT_EQ(Open(reader, path), S_OK);
    ASSERT_EQ(reader.TraceCount(0), 2);
    EXPECT_EQ(reader.TraceName(0, 0), CString(L"ADC1B"));
    EXPECT_EQ(reader.TraceName(0, 1), CString(L"DAD1A"));
    CChromatogram c;
    EXPECT_EQ(reader.Trace(0, 0, c), E_FAIL);  // damaged
    ASSERT_EQ(reader.Trace(0, 1, c), S_OK);
    ASSERT_EQ(c.GetCount(), 3);
    EXPECT_EQ(c.Intensities()[2], 95);
    EXPECT_EQ(c.Times()[2], 1);
    EXPECT_EQ(reader.Trace(0, 2, c), E_INVALIDARG);
    EXPECT_EQ(reader.Trace(1, 0, c), E_INVALIDARG);
    EXPECT_EQ(reader.TraceName(1, 0), CString());
}

TEST(IonTrapReader, Recognition)
{
    const std::string good = DataFolder("good.d", Manifest("G", ""));
    const std::string lower = Folder("lower.d");
    ks::test::writeFile(Join(lower, "analysis.YEP"), "anything");
    const std::string folderManifest = Folder("folder.d");
    std::filesystem::create_directories(Join(folderManifest, "Analysis.yep"));
    const std::string empty = Folder("empty.d");
    ks::test::writeFile(Join(empty, "Analysis.yep.bak"), "");
    const struct {
        std::string path;
        bool valid;
    } cases[] = {
        {good, true},
        {good + "/", true},
        {lower, true},
        {Join(good, "Analysis.yep"), false},
        {folderManifest, false},
        {empty, false},
        {Join(good, "missing.d"), false},
        {"", false},
    };
    CAgilentIonTrapDataServerImpl reader;
    for (const auto& c : cases)
        EXPECT_EQ(reader.IsValidDataset(CString(Wide(c.path))), c.valid) << c.path;
}

// Arrays of the wrong element type or count: E_INVALIDARG; no array:
// E_POINTER; the read fails and the reader stays open.
TEST(IonTrapReader, ArraysItRefuses)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const struct {
        const char* name;
        std::string more;  // lines of the spectrum record
        HRESULT result;
    } cases[] = {
        {"m/z as i2", "masses-type i2\n", S_OK},
        {"m/z as ui1", "masses-type ui1\n", S_OK},
        {"intensities as r4", "intensities-type r4\n", S_OK},
        {"intensities as i4", "intensities-type i4\n", S_OK},
        {"m/z as i1", "masses-type i1\n", E_INVALIDARG},
        {"m/z as ui2", "masses-type ui2\n", E_INVALIDARG},
        {"m/z as i8", "masses-type i8\n", E_INVALIDARG},
        {"m/z as texts", "masses-type bstr\n", E_INVALIDARG},
        {"m/z as variants", "masses-type variant\n", E_INVALIDARG},
        {"intensities as booleans", "intensities-type bool\n", E_INVALIDARG},
        {"intensities in two dimensions", "intensities-type matrix\n", E_INVALIDARG},
        {"intensities mislabelled", "intensities-type mislabelled\n", E_INVALIDARG},
        {"a count above the arrays", "count 3\n", E_INVALIDARG},
        {"a count below the arrays", "count 1\n", E_INVALIDARG},
        {"the largest count", "count 2147483647\n", E_INVALIDARG},
        {"a negative count", "count -1\n", E_INVALIDARG},
        {"precursors as texts", "precursors 5 6\nprecursors-type bstr\n", E_INVALIDARG},
        {"more precursors counted", "precursors 5\nprecursor-count 4\n", E_INVALIDARG},
    };
    for (const auto& c : cases) {
        const std::string folder =
            DataFolder("arrays.d", Manifest("A", Spectrum(60, 2, true, false, "1 2", "1 0", c.more)));
        CAgilentIonTrapDataServerImpl reader;
        ASSERT_EQ(Open(reader, folder), S_OK) << c.name;
        CMassSpectrum s;
        EXPECT_EQ(reader.Spectrum(0, 0, 0, s), c.result) << c.name;
        if (c.result == S_OK) {
            EXPECT_EQ(Masses(s), (std::vector<double>{1, 2})) << c.name;
            EXPECT_EQ(Intensities(s), (std::vector<double>{1, 0})) << c.name;
        }
        EXPECT_EQ(reader.FunctionCount(0), 1) << c.name;
    }
    // No arrays at all.
    for (const char* form : {"null", "empty", "scalar"}) {
        const std::string values = std::string(form) == "scalar" ? "7" : "";
        const std::string more = std::string("count 0\nmasses-type ") + form + "\n";
        const std::string folder =
            DataFolder("none.d", Manifest("A", Spectrum(60, 1, true, false, values, "", more)));
        CAgilentIonTrapDataServerImpl reader;
        ASSERT_EQ(Open(reader, folder), S_OK) << form;
        CMassSpectrum s;
        EXPECT_EQ(reader.Spectrum(0, 0, 0, s), std::string(form) == "null" ? E_POINTER : E_INVALIDARG) << form;
    }
}

// A failing call of the component ends the open (the reader closed) or the
// read (the spectrum unread) with its result.
TEST(IonTrapReader, InjectedFailures)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string folder =
        DataFolder("faults.d", Manifest("F", Spectrum(1, 1) + Spectrum(2, 3, false, false, "5", "6",
                                                                       "precursors 9 8\n")));
    ks::test::writeFile(Join(folder, "DAD1A.ch"), BuildSignal(130, 0, 60000, Blocks({{0x1001, 1}})));
    const struct {
        const char* faults;
        HRESULT result;
    } opens[] = {
        {"Analysis.Open:1:0x80070005", static_cast<HRESULT>(0x80070005)},
        {"Analysis.Spectra:1:E_OUTOFMEMORY", E_OUTOFMEMORY},
        {"Spectra.Count:1:E_UNEXPECTED", E_UNEXPECTED},
        {"Spectra.Item:2:DISP_E_BADINDEX", DISP_E_BADINDEX},
        {"Spectrum.Level:2:E_FAIL", E_FAIL},
        {"Spectrum.Time:1:E_ABORT", E_ABORT},
        {"Spectrum.Parameters:2:E_NOTIMPL", E_NOTIMPL},
        {"Parameters.Count:1:E_ACCESSDENIED", E_ACCESSDENIED},
        {"Parameters.Item:3:E_INVALIDARG", E_INVALIDARG},
        {"Parameter.Group:4:E_POINTER", E_POINTER},
        {"Parameter.Name:2:0x80004021", static_cast<HRESULT>(0x80004021)},
        {"Parameter.Value:4:E_OUTOFMEMORY", E_OUTOFMEMORY},
        {"Spectra.Count:x:E_FAIL", E_FAIL},  // an unreadable list fails everything
    };
    for (const auto& o : opens) {
        const Faults faults(o.faults);
        CAgilentIonTrapDataServerImpl reader;
        EXPECT_EQ(Open(reader, folder), o.result) << o.faults;
        ExpectClosed(reader, o.faults);
    }
    // Failures during a read leave the reader open. Opening takes one
    // collection, two items and their parameters; reading spectrum 2 takes
    // the second collection and third item.
    const struct {
        const char* faults;
        HRESULT result;
    } reads[] = {
        {"Analysis.Spectra:2:E_OUTOFMEMORY", E_OUTOFMEMORY},
        {"Spectra.Item:3:DISP_E_BADINDEX", DISP_E_BADINDEX},
        {"Spectrum.Data:1:E_FAIL", E_FAIL},
        {"Spectrum.Time:3:E_ABORT", E_ABORT},
        {"Spectrum.Precursors:1:E_UNEXPECTED", E_UNEXPECTED},
    };
    for (const auto& r : reads) {
        const Faults faults(r.faults);
        CAgilentIonTrapDataServerImpl reader;
        ASSERT_EQ(Open(reader, folder), S_OK) << r.faults;
        CMassSpectrum s;
        EXPECT_EQ(reader.Spectrum(0, 1, 0, s), r.result) << r.faults;
        EXPECT_EQ(reader.FunctionCount(0), 2) << r.faults;
        EXPECT_EQ(reader.TraceCount(0), 1) << r.faults;
        EXPECT_EQ(reader.Spectrum(0, 1, 0, s), S_OK) << r.faults << ": the next read";
    }
    // A failed open also closes what was open before.
    CAgilentIonTrapDataServerImpl reader;
    ASSERT_EQ(Open(reader, folder), S_OK);
    EXPECT_EQ(Open(reader, Folder("nothing.d")), E_FAIL);
    ExpectClosed(reader, "after a failed open");
}

TEST(IonTrapReader, ComponentNotRegistered)
{
    CAgilentIonTrapDataServerImpl reader;
    const std::string folder = DataFolder("unregistered.d", Manifest("U", Spectrum(1, 1)));
    EXPECT_TRUE(reader.IsValidDataset(CString(Wide(folder))));
    EXPECT_EQ(Open(reader, folder), REGDB_E_CLASSNOTREG);
    ExpectClosed(reader, "unregistered");
}

namespace {

// An analysis component that answers success without handing out its
// spectrum collection.
class HollowAnalysis : public ks::Object<IIonTrapAnalysis> {
public:
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT get_Spectra(IIonTrapSpectra** ppSpectra) override
    {
        *ppSpectra = nullptr;
        return S_OK;
    }
    HRESULT Open(BSTR) override { return S_OK; }
    HRESULT Reserved() override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR* pName) override
    {
        *pName = nullptr;
        return S_OK;
    }
};

}  // namespace

// A component that answers success without the object asked for: the open
// fails with E_POINTER instead of calling through a null pointer.
TEST(IonTrapReader, ComponentWithoutItsObjects)
{
    ks::ClassFactory* factory = nullptr;
    ASSERT_EQ(ks::createObject(&factory, &ks::createInstance<HollowAnalysis>), S_OK);
    ks::ComPtr<IClassFactory> held(factory);
    DWORD cookie = 0;
    ASSERT_EQ(ksRegisterClassObject(CLSID_IonTrapAnalysis, held.get(), &cookie), S_OK);
    CAgilentIonTrapDataServerImpl reader;
    EXPECT_EQ(Open(reader, DataFolder("hollow.d", Manifest("H", Spectrum(1, 1)))), E_POINTER);
    ExpectClosed(reader, "hollow");
    ksRevokeClassObject(cookie);
}

// Levels at the ends of the 32-bit range: the highest stays the highest
// (and the spectrum's 16-bit MS order stops at its own highest), the
// lowest is an unknown function.
TEST(IonTrapReader, ExtremeLevels)
{
    ASSERT_TRUE(ks::test::registerComponents({"IonTrapAnalysis"}));
    const std::string records = "[spectrum]\ntime 1\nlevel 2147483647\nmasses 1\nintensities 2\n"
                                "[spectrum]\ntime 2\nlevel -2147483648\nmasses 1\nintensities 2\n";
    CAgilentIonTrapDataServerImpl reader;
    ASSERT_EQ(Open(reader, DataFolder("levels.d", Manifest("L", records))), S_OK);
    ASSERT_EQ(reader.FunctionCount(0), 2);
    EXPECT_EQ(reader.MSOrder(0, 0), 2147483647);
    EXPECT_EQ(reader.FunctionName(0, 0), CString(L"L, + MS2147483647"));
    EXPECT_EQ(reader.MSOrder(0, 1), -2147483647);
    EXPECT_EQ(reader.FunctionType(0, 1), FunctionTypeUnknown);
    EXPECT_EQ(reader.FunctionName(0, 1), CString(L"L, + MS"));
    CMassSpectrum s;
    ASSERT_EQ(reader.Spectrum(0, 0, 0, s), S_OK);
    EXPECT_EQ(s.GetMSOrder(), 32767);
    ASSERT_EQ(reader.Spectrum(0, 1, 0, s), S_OK);
    EXPECT_EQ(s.GetFunctionType(), FunctionTypeMSn);
    EXPECT_EQ(s.GetMSOrder(), -32768);
}
