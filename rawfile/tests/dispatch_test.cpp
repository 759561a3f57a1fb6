// The reader as automation clients see it: every method by name and
// DISPID, late-bound calls whose status comes back unchanged, the
// component's registration, and creation by ProgID in another process.
#include "ombreltest.h"

using namespace ombreltest;

namespace {

// The methods in DISPID order, 1 to 130.
const wchar_t* const kMethods[] = {
    L"Open", L"Close", L"GetFileName", L"GetCreatorID", L"GetVersionNumber", L"GetCreationDate", L"IsError",
    L"IsNewFile", L"GetErrorCode", L"GetErrorMessage", L"GetWarningMessage", L"GetSeqRowNumber",
    L"GetSeqRowSampleType", L"GetSeqRowDataPath", L"GetSeqRowRawFileName", L"GetSeqRowSampleName",
    L"GetSeqRowSampleID", L"GetSeqRowComment", L"GetSeqRowLevelName", L"GetSeqRowUserText",
    L"GetSeqRowInstrumentMethod", L"GetSeqRowProcessingMethod", L"GetSeqRowCalibrationFile", L"GetSeqRowVial",
    L"GetSeqRowInjectionVolume", L"GetSeqRowSampleWeight", L"GetSeqRowSampleVolume", L"GetSeqRowISTDAmount",
    L"GetSeqRowDilutionFactor", L"GetSeqRowUserLabel", L"InAcquisition", L"GetNumberOfControllers",
    L"GetControllerType", L"SetCurrentController", L"GetCurrentController", L"GetNumSpectra", L"GetNumStatusLog",
    L"GetNumErrorLog", L"GetNumTuneData", L"GetMassResolution", L"GetExpectedRunTime", L"GetNumTrailerExtra",
    L"GetLowMass", L"GetHighMass", L"GetStartTime", L"GetEndTime", L"GetMaxIntegratedIntensity", L"GetMaxIntensity",
    L"GetFirstSpectrumNumber", L"GetLastSpectrumNumber", L"GetInstrumentID", L"GetInletID", L"GetErrorFlag",
    L"GetSampleVolume", L"GetSampleWeight", L"GetVialNumber", L"GetInjectionVolume", L"GetFlags",
    L"GetAcquisitionFileName", L"GetInstrumentDescription", L"GetAcquisitionDate", L"GetOperator", L"GetComment1",
    L"GetComment2", L"GetSampleAmountUnits", L"GetInjectionAmountUnits", L"GetSampleVolumeUnits", L"GetFilters",
    L"ScanNumFromRT", L"RTFromScanNum", L"GetFilterForScanNum", L"GetFilterForScanRT", L"GetMassListFromScanNum",
    L"GetMassListFromRT", L"GetNextMassListFromScanNum", L"GetPrevMassListFromScanNum", L"IsProfileScanForScanNum",
    L"IsCentroidScanForScanNum", L"GetScanHeaderInfoForScanNum", L"GetStatusLogForScanNum", L"GetStatusLogForRT",
    L"GetStatusLogLabelsForScanNum", L"GetStatusLogLabelsForRT", L"GetStatusLogValueForScanNum",
    L"GetStatusLogValueForRT", L"GetTrailerExtraForScanNum", L"GetTrailerExtraForRT",
    L"GetTrailerExtraLabelsForScanNum", L"GetTrailerExtraLabelsForRT", L"GetTrailerExtraValueForScanNum",
    L"GetTrailerExtraValueForRT", L"GetErrorLogItem", L"GetTuneData", L"GetNumInstMethods", L"GetInstMethod",
    L"GetChroData", L"RefreshViewOfFile", L"GetTuneDataValue", L"GetTuneDataLabels", L"GetInstName", L"GetInstModel",
    L"GetInstSerialNumber", L"GetInstSoftwareVersion", L"GetInstHardwareVersion", L"GetInstFlags",
    L"GetInstNumChannelLabels", L"GetInstChannelLabel", L"GetNumberOfControllersOfType", L"GetAverageMassList",
    L"IsThereMSData", L"HasExpMethod", L"GetFilterMassPrecision", L"GetStatusLogForPos",
    L"GetStatusLogPlottableIndex", L"GetInstMethodNames", L"SetMassTolerance", L"GetChros", L"GetLabelData",
    L"GetNoiseData", L"GetSegmentedMassListFromRT", L"GetSegmentedMassListFromScanNum", L"GetScanEventForScanNum",
    L"GetSeqRowUserTextEx", L"GetSeqRowBarcode", L"GetSeqRowBarcodeStatus", L"GetMassListRangeFromScanNum",
    L"GetMassListRangeFromRT", L"GetNextMassListRangeFromScanNum", L"GetPrevMassListRangeFromScanNum",
    L"GetPrecursorInfoFromScanNum",
};

DISPID idOf(IDispatch* d, const wchar_t* name)
{
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << narrow(name);
    return id;
}

}  // namespace

TEST_F(OmbrelTest, EveryMethodIsReachedByNameInDispidOrder)
{
    static_assert(std::size(kMethods) == 130);
    ks::ComPtr<IDispatch> d = ks::test::Query<IDispatch>(reader.get());
    ASSERT_TRUE(d);
    for (size_t i = 0; i < std::size(kMethods); ++i)
        EXPECT_EQ(idOf(d.get(), kMethods[i]), DISPID(i + 1)) << narrow(kMethods[i]);
    EXPECT_EQ(idOf(d.get(), L"getprecursorinfofromscannum"), 130);
    // The three interfaces are one object.
    EXPECT_TRUE(ks::test::Query<IOmbrel>(reader.get()));
    EXPECT_TRUE(ks::test::Query<IOmbrel2>(reader.get()));
    UINT count = 7;
    EXPECT_EQ(d->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(OmbrelTest, LateBoundCallsHandBackTheStatusUnchanged)
{
    ks::ComPtr<IDispatch> d = ks::test::Query<IDispatch>(reader.get());
    ASSERT_TRUE(d);
    auto invoke = [&](DISPID id, std::vector<VARIANT> args) {
        std::reverse(args.begin(), args.end());  // rgvarg holds the last argument first
        DISPPARAMS params{args.data(), nullptr, UINT(args.size()), 0};
        Var result;
        EXCEPINFO info{};
        UINT bad = 0;
        return d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result.v, &info, &bad);
    };
    auto byRef = [](LONG* p) {
        VARIANT v;
        v.vt = VT_BYREF | VT_I4;
        v.plVal = p;
        return v;
    };
    auto value = [](LONG n) {
        VARIANT v;
        v.vt = VT_I4;
        v.lVal = n;
        return v;
    };
    Text path(wide(sample));
    VARIANT name;
    name.vt = VT_BSTR;
    name.bstrVal = path.b;

    LONG spectra = -1;
    EXPECT_EQ(invoke(idOf(d.get(), L"GetNumSpectra"), {byRef(&spectra)}), kOmbrelNoFile);
    ASSERT_EQ(invoke(idOf(d.get(), L"Open"), {name}), kOmbrelDone);
    EXPECT_EQ(invoke(idOf(d.get(), L"GetNumSpectra"), {byRef(&spectra)}), kOmbrelNoController);
    EXPECT_EQ(invoke(idOf(d.get(), L"SetCurrentController"), {value(0), value(1)}), kOmbrelDone);
    EXPECT_EQ(invoke(idOf(d.get(), L"GetNumSpectra"), {byRef(&spectra)}), kOmbrelDone);
    EXPECT_EQ(spectra, 30);
    EXPECT_EQ(invoke(idOf(d.get(), L"SetCurrentController"), {value(7), value(1)}), kOmbrelBadArgument);
    LONG flag = -1;
    EXPECT_EQ(invoke(idOf(d.get(), L"HasExpMethod"), {byRef(&flag)}), kOmbrelDone);
    EXPECT_EQ(flag, 1);

    // A script's GetChros: the parameter array by value (a total-ion trace
    // over the whole run, every other element left empty), the times and
    // the outputs by reference.
    Var params, sizes, data, flags;
    params.v.vt = VT_ARRAY | VT_VARIANT;
    params.v.parray = SafeArrayCreateVector(VT_VARIANT, 0, 11);
    const LONG first = 0;
    VARIANT tic = value(1);
    ASSERT_EQ(SafeArrayPutElement(params.v.parray, &first, &tic), S_OK);
    double start = 0, end = 0;
    auto realRef = [](double* p) {
        VARIANT v;
        v.vt = VT_BYREF | VT_R8;
        v.pdblVal = p;
        return v;
    };
    auto variantRef = [](VARIANT* p) {
        VARIANT v;
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = p;
        return v;
    };
    EXPECT_EQ(invoke(idOf(d.get(), L"GetChros"), {value(1), realRef(&start), realRef(&end), params.v,
                                                   variantRef(&sizes.v), variantRef(&data.v), variantRef(&flags.v)}),
              kOmbrelDone);
    ASSERT_EQ(sizes.v.vt, VT_ARRAY | VT_I4);
    LONG points = 0;
    ASSERT_EQ(SafeArrayGetElement(sizes.v.parray, &first, &points), S_OK);
    EXPECT_EQ(points, 30);
    EXPECT_EQ(data.v.vt, VT_ARRAY | VT_VARIANT);
    EXPECT_EQ(flags.v.vt, VT_EMPTY);
    EXPECT_GT(end, start);

    EXPECT_EQ(invoke(idOf(d.get(), L"Close"), {}), kOmbrelDone);
    EXPECT_EQ(invoke(idOf(d.get(), L"Close"), {}), kOmbrelNoFile);
}

TEST_F(OmbrelTest, RegistrationNamesTheClassWithoutATypeLibrary)
{
    const auto dump = ks::test::run({std::string(KS_BIN_DIR) + "/ksreg", "dump", "HKCR"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const std::string& out = dump.out;
    const std::string clsid = "[HKEY_CLASSES_ROOT\\CLSID\\{5FE970B2-29C3-11D3-811D-00104B304896}";
    const std::string lib = "[HKEY_CLASSES_ROOT\\TypeLib\\{5FE970A2-29C3-11D3-811D-00104B304896}";
    for (const std::string& expected : std::vector<std::string>{
             clsid + "]\n@=sz:\"Ombrel Class\\0\"\n", clsid + "\\InprocServer32]\n",
          "\"ThreadingModel\"=sz:\"Apartment\\0\"\n", clsid + "\\ProgID]\n@=sz:\"Ombrel.Ombrel.1\\0\"\n",
          clsid + "\\VersionIndependentProgID]\n@=sz:\"Ombrel.Ombrel\\0\"\n", clsid + "\\Programmable]\n",
          std::string("[HKEY_CLASSES_ROOT\\Ombrel.Ombrel\\CLSID]\n@=sz:\"{5FE970B2-29C3-11D3-811D-00104B304896}\\0\"\n"),
          std::string("[HKEY_CLASSES_ROOT\\Ombrel.Ombrel\\CurVer]\n@=sz:\"Ombrel.Ombrel.1\\0\"\n"),
          lib + "\\1.0]\n@=sz:\"Ombrel2 1.0 Type Library\\0\"\n"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n---\n" << out;
    EXPECT_EQ(out.find(clsid + "\\TypeLib]"), std::string::npos) << out;
}

TEST_F(OmbrelTest, CreatedByProgIdInAnotherProcess)
{
    const auto probe = ks::test::run({std::string(KS_BIN_DIR) + "/ombrel_progid_probe", sample});
    ASSERT_EQ(probe.exitCode, 0) << probe.err;
    EXPECT_EQ(probe.out, "Open 0, SetCurrentController 0, GetNumSpectra 0: 30\n");
}
