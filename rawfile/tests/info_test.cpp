// The stored values of the file, the sequence row, the run header and the
// instrument, by their four shapes, and the instrument methods.
#include "ombreltest.h"

#include <functional>

using namespace ombreltest;

namespace {

using NumberCall = std::function<HRESULT(IOmbrel3*, LONG*)>;
using RealCall = std::function<HRESULT(IOmbrel3*, double*)>;
using TextCall = std::function<HRESULT(IOmbrel3*, BSTR*)>;

struct Number {
    const char* name;
    NumberCall call;
    LONG expected;
    bool controller;
    bool msOnly;
};
struct Real {
    const char* name;
    RealCall call;
    double expected;
    bool controller;
};
struct Words {
    const char* name;
    TextCall call;
    std::wstring expected;
    bool controller;
};

#define NUM(M, value, controller, msOnly) {#M, [](IOmbrel3* r, LONG* p) { return r->M(p); }, value, controller, msOnly}
#define REAL(M, value, controller) {#M, [](IOmbrel3* r, double* p) { return r->M(p); }, value, controller}
#define TEXT(M, value, controller) {#M, [](IOmbrel3* r, BSTR* p) { return r->M(p); }, value, controller}

}  // namespace

TEST_F(OmbrelTest, StoredValuesInTheirFourShapes)
{
    const FileData& m = model;
    const RunHeaderFields& rh = m.controllers[0].runHeader;
    const CInstID& inst = m.controllers[0].instrument;
    CRawfile engine(wide(sample));
    const CRunHeader& h = engine.Controller(0).GetRunHeader();

    const Number numbers[] = {
        NUM(GetVersionNumber, kFormatVersion, false, false),
        NUM(IsError, 0, false, false),
        NUM(IsNewFile, 0, false, false),
        NUM(GetErrorCode, 0, false, false),
        NUM(InAcquisition, 0, false, false),
        NUM(IsThereMSData, 1, false, false),
        NUM(GetSeqRowNumber, 3, false, false),
        NUM(GetSeqRowSampleType, 1, false, false),
        NUM(GetSeqRowBarcodeStatus, 1, false, false),
        NUM(GetNumSpectra, 30, true, false),
        NUM(GetNumStatusLog, h.numStatusLog, true, false),
        NUM(GetNumErrorLog, 2, true, false),
        NUM(GetMaxIntensity, h.maxIntensity, true, false),
        NUM(GetFirstSpectrumNumber, 1, true, false),
        NUM(GetLastSpectrumNumber, 30, true, false),
        NUM(GetInstrumentID, rh.instrumentId, true, false),
        NUM(GetFilterMassPrecision, rh.filterMassPrecision, true, false),
        NUM(GetInletID, rh.inletId, true, false),
        NUM(GetErrorFlag, rh.errorFlag, true, false),
        NUM(GetVialNumber, rh.vialNumber, true, false),
        NUM(GetNumTuneData, 2, true, true),
        NUM(GetNumTrailerExtra, 30, true, true),
        NUM(GetInstNumChannelLabels, 0, true, false),
    };
    const Real reals[] = {
        REAL(GetSeqRowInjectionVolume, 5.0, false),
        REAL(GetSeqRowSampleWeight, 0.5, false),
        REAL(GetSeqRowSampleVolume, 10.0, false),
        REAL(GetSeqRowISTDAmount, 1.25, false),
        REAL(GetSeqRowDilutionFactor, 2.0, false),
        REAL(GetMassResolution, rh.massResolution, true),
        REAL(GetExpectedRunTime, rh.expectedRunTime, true),
        REAL(GetLowMass, h.lowMass, true),
        REAL(GetHighMass, h.highMass, true),
        REAL(GetStartTime, h.startTime, true),
        REAL(GetEndTime, h.endTime, true),
        REAL(GetMaxIntegratedIntensity, h.maxIntegratedIntensity, true),
        REAL(GetSampleVolume, rh.sampleVolume, true),
        REAL(GetSampleWeight, rh.sampleWeight, true),
        REAL(GetInjectionVolume, rh.injectionVolume, true),
    };
    const Words texts[] = {
        TEXT(GetFileName, wide(sample), false),
        TEXT(GetCreatorID, L"tavrion-rawfile", false),
        TEXT(GetErrorMessage, L"", false),
        TEXT(GetWarningMessage, engine.GetWarningMessage(), false),
        TEXT(GetSeqRowDataPath, L"D:\\Data", false),
        TEXT(GetSeqRowRawFileName, L"sample.raw", false),
        TEXT(GetSeqRowSampleName, L"Angiotensin digest", false),
        TEXT(GetSeqRowSampleID, L"S-0042", false),
        TEXT(GetSeqRowComment, L"standard sample", false),
        TEXT(GetSeqRowLevelName, L"Level 1", false),
        TEXT(GetSeqRowInstrumentMethod, L"Hybrid DDA", false),
        TEXT(GetSeqRowProcessingMethod, L"Peptide ID", false),
        TEXT(GetSeqRowCalibrationFile, L"cal.xml", false),
        TEXT(GetSeqRowVial, L"1:A,3", false),
        TEXT(GetSeqRowBarcode, L"BC123456", false),
        TEXT(GetAcquisitionFileName, rh.acquisitionFileName, true),
        TEXT(GetInstrumentDescription, rh.instrumentDescription, true),
        TEXT(GetAcquisitionDate, rh.acquisitionDate, true),
        TEXT(GetOperator, rh.operatorName, true),
        TEXT(GetComment1, rh.comment1, true),
        TEXT(GetComment2, rh.comment2, true),
        TEXT(GetSampleAmountUnits, rh.sampleAmountUnits, true),
        TEXT(GetInjectionAmountUnits, rh.injectionAmountUnits, true),
        TEXT(GetSampleVolumeUnits, rh.sampleVolumeUnits, true),
        TEXT(GetInstName, inst.name, true),
        TEXT(GetInstModel, inst.model, true),
        TEXT(GetInstSerialNumber, inst.serialNumber, true),
        TEXT(GetInstSoftwareVersion, inst.softwareVersion, true),
        TEXT(GetInstHardwareVersion, inst.hardwareVersion, true),
        TEXT(GetInstFlags, inst.flags, true),
    };

    // No file: 3 for every shape, before a null output.
    for (const Number& n : numbers)
        EXPECT_EQ(n.call(reader.get(), nullptr), kOmbrelNoFile) << n.name;
    for (const Real& n : reals)
        EXPECT_EQ(n.call(reader.get(), nullptr), kOmbrelNoFile) << n.name;
    for (const Words& t : texts)
        EXPECT_EQ(t.call(reader.get(), nullptr), kOmbrelNoFile) << t.name;

    // A file but no controller: the file's values; 4 for the controller's.
    ASSERT_EQ(open(sample), kOmbrelDone);
    auto pass = [&](bool controllerChosen) {
        for (const Number& n : numbers) {
            LONG v = -77;
            const HRESULT want = n.controller && !controllerChosen ? kOmbrelNoController : kOmbrelDone;
            EXPECT_EQ(n.call(reader.get(), &v), want) << n.name;
            EXPECT_EQ(v, want == kOmbrelDone ? n.expected : -77) << n.name;
            if (want == kOmbrelDone) {
                EXPECT_EQ(n.call(reader.get(), nullptr), kOmbrelBadArgument) << n.name;
            }
        }
        for (const Real& n : reals) {
            double v = -77;
            const HRESULT want = n.controller && !controllerChosen ? kOmbrelNoController : kOmbrelDone;
            EXPECT_EQ(n.call(reader.get(), &v), want) << n.name;
            EXPECT_EQ(v, want == kOmbrelDone ? n.expected : -77) << n.name;
        }
        for (const Words& t : texts) {
            Text v;
            const HRESULT want = t.controller && !controllerChosen ? kOmbrelNoController : kOmbrelDone;
            EXPECT_EQ(t.call(reader.get(), &v.b), want) << t.name;
            EXPECT_EQ(v.str(), want == kOmbrelDone ? t.expected : L"") << t.name;
            Text held(L"keep");
            if (want == kOmbrelDone) {
                EXPECT_EQ(t.call(reader.get(), &held.b), kOmbrelBadArgument) << t.name;
                EXPECT_EQ(held.str(), L"keep") << t.name;
            }
        }
    };
    pass(false);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    pass(true);

    // The mass spectrometer's own counts off it: 5.
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    LONG n = 0;
    EXPECT_EQ(reader->GetNumTuneData(&n), kOmbrelNotMS);
    EXPECT_EQ(reader->GetNumTrailerExtra(&n), kOmbrelNotMS);
    EXPECT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 40);
}

TEST_F(OmbrelTest, IndexedTextsFlagsChannelsAndTheCreationDate)
{
    ASSERT_EQ(open(sample), kOmbrelDone);
    Text t;
    EXPECT_EQ(reader->GetSeqRowUserText(4, &t.b), kOmbrelDone);
    EXPECT_EQ(t.str(), L"Column C18");
    Text five;
    EXPECT_EQ(reader->GetSeqRowUserText(5, &five.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetSeqRowUserText(-1, &five.b), kOmbrelBadArgument);
    Text ex;
    EXPECT_EQ(reader->GetSeqRowUserTextEx(14, &ex.b), kOmbrelDone);
    EXPECT_EQ(ex.str(), L"Extended 15");
    EXPECT_EQ(reader->GetSeqRowUserTextEx(15, &five.b), kOmbrelBadArgument);
    Text label;
    EXPECT_EQ(reader->GetSeqRowUserLabel(2, &label.b), kOmbrelDone);
    EXPECT_EQ(label.str(), L"Column");
    EXPECT_EQ(reader->GetSeqRowUserLabel(5, &five.b), kOmbrelBadArgument);
    EXPECT_EQ(five.b, nullptr);

    DATE created = 0;
    EXPECT_EQ(reader->GetCreationDate(&created), kOmbrelDone);
    EXPECT_NEAR(created, 45365.0 + (10 * 60 + 22) / 1440.0, 1e-9);  // 2024-03-14 10:22, no time zone
    EXPECT_EQ(reader->GetCreationDate(nullptr), kOmbrelBadArgument);

    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    LONG count = 0;
    EXPECT_EQ(reader->GetInstNumChannelLabels(&count), kOmbrelDone);
    EXPECT_EQ(count, 3);
    const wchar_t* labels[] = {L"UV 254 nm", L"", L"UV 280 nm"};
    for (LONG i = 0; i < 3; ++i) {
        Text c;
        EXPECT_EQ(reader->GetInstChannelLabel(i, &c.b), kOmbrelDone);
        EXPECT_EQ(c.str(), labels[i]);
    }
    Text none;
    EXPECT_EQ(reader->GetInstChannelLabel(3, &none.b), kOmbrelBadArgument);

    // The run header's flag bytes as characters, ending at the first zero.
    Text flags;
    EXPECT_EQ(reader->GetFlags(&flags.b), kOmbrelDone);
    EXPECT_EQ(flags.str(), L"");
    model.controllers[0].runHeader.flags = {'A', 'b', '1', 0, 'X', 0, 0, 0};
    ASSERT_EQ(open(writeModel(model, "flags.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    Text some;
    EXPECT_EQ(reader->GetFlags(&some.b), kOmbrelDone);
    EXPECT_EQ(some.str(), L"Ab1");
}

TEST_F(OmbrelTest, InstrumentMethods)
{
    LONG count = -1;
    EXPECT_EQ(reader->GetNumInstMethods(&count), kOmbrelNoFile);
    ASSERT_EQ(open(sample), kOmbrelDone);
    LONG has = -1;
    EXPECT_EQ(reader->HasExpMethod(&has), kOmbrelDone);
    EXPECT_EQ(has, 1);
    EXPECT_EQ(reader->GetNumInstMethods(&count), kOmbrelDone);
    EXPECT_EQ(count, 2);
    Text text;
    EXPECT_EQ(reader->GetInstMethod(0, &text.b), kOmbrelDone);
    EXPECT_EQ(text.str(), L"Flow 0.300 mL/min\r\nGradient 5-40% B in 30 min\r\n");
    Text beyond;
    EXPECT_EQ(reader->GetInstMethod(2, &beyond.b), kOmbrelBadArgument);
    EXPECT_EQ(reader->GetInstMethod(-1, &beyond.b), kOmbrelBadArgument);
    Var names;
    EXPECT_EQ(reader->GetInstMethodNames(&count, &names.v), kOmbrelDone);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Texts(names.v), (std::vector<std::wstring>{L"LC Pump", L"MS Method"}));
    Var again;
    EXPECT_EQ(reader->GetInstMethodNames(nullptr, &again.v), kOmbrelBadArgument);
    EXPECT_EQ(reader->HasExpMethod(nullptr), kOmbrelBadArgument);
    EXPECT_EQ(reader->IsThereMSData(nullptr), kOmbrelBadArgument);

    // A method without its "Text" stream: nothing there.
    FileData broken = model;
    broken.methods->children[0].children.clear();
    ASSERT_EQ(open(writeModel(broken, "nostream.raw")), kOmbrelDone);
    Text missing;
    EXPECT_EQ(reader->GetInstMethod(0, &missing.b), kOmbrelNothing);
    EXPECT_EQ(missing.b, nullptr);

    // Format version 24 keeps no methods; nor does a file without an
    // experiment method.
    FileData old = model;
    old.info.version = 24;
    ASSERT_EQ(open(writeModel(old, "v24.raw")), kOmbrelDone);
    EXPECT_EQ(reader->GetInstMethod(0, &missing.b), kOmbrelNothing);
    count = -1;
    EXPECT_EQ(reader->GetNumInstMethods(&count), kOmbrelNothing);
    EXPECT_EQ(reader->GetInstMethodNames(&count, &names.v), kOmbrelNothing);
    EXPECT_EQ(count, 0);
    FileData plain = model;
    plain.info.hasExpMethod = false;
    ASSERT_EQ(open(writeModel(plain, "plain.raw")), kOmbrelDone);
    EXPECT_EQ(reader->HasExpMethod(&has), kOmbrelNothing);
    EXPECT_EQ(has, 0);
    EXPECT_EQ(reader->GetNumInstMethods(&count), kOmbrelNothing);
}
