// File, sequence-row, run-header and instrument values: one stored value
// per method, in four shapes (a number or a text of the file, a number or
// a text of the current controller), and the instrument methods.
#include "ombrelobject.h"
#include "ombreloutputs.h"

#include "ksdate.h"
#include "kscomptr.h"

#include <array>

using namespace rawengine;

namespace {

// A number of the file: no file 3; null output 6.
template <class T, class Get>
HRESULT fileNumber(const CRawfile* file, T* out, Get&& get)
{
    if (!file)
        return kOmbrelNoFile;
    if (!out)
        return kOmbrelBadArgument;
    const T value = static_cast<T>(get(*file));
    *out = value;
    return kOmbrelDone;
}

// A text of the file: no file 3; the BSTR rule 6.
template <class Get>
HRESULT fileText(const CRawfile* file, BSTR* out, Get&& get)
{
    if (!file)
        return kOmbrelNoFile;
    if (!ombrel::bstrOutOk(out))
        return kOmbrelBadArgument;
    return ombrel::newText(get(*file), out);
}

// One of the texts of a list by index; outside the list 6.
template <size_t N>
HRESULT indexedText(const CRawfile* file, LONG index, BSTR* out, const std::array<std::wstring, N>& (*list)(const CRawfile&))
{
    if (!file)
        return kOmbrelNoFile;
    if (!ombrel::bstrOutOk(out) || index < 0 || index >= LONG(N))
        return kOmbrelBadArgument;
    return ombrel::newText(list(*file)[size_t(index)], out);
}

const std::array<std::wstring, 5>& userTexts(const CRawfile& f) { return f.GetSeqRow().userText; }
const std::array<std::wstring, 15>& userTextsEx(const CRawfile& f) { return f.GetSeqRow().userTextEx; }
const std::array<std::wstring, 5>& userLabels(const CRawfile& f) { return f.Data().userLabels; }

}  // namespace

// A number of the current controller: 3, 4, (5 for the mass spectrometer's
// own values), null output 6.
template <class T, class Get>
HRESULT COmbrel::controllerNumber(T* out, bool msOnly, Get&& get)
{
    if (const HRESULT hr = msOnly ? needMS() : needController())
        return hr;
    if (!out)
        return kOmbrelBadArgument;
    const T value = static_cast<T>(get(m_current->GetRunHeader()));
    *out = value;
    return kOmbrelDone;
}

template <class Get>
HRESULT COmbrel::controllerText(BSTR* out, Get&& get)
{
    if (const HRESULT hr = needController())
        return hr;
    if (!ombrel::bstrOutOk(out))
        return kOmbrelBadArgument;
    return ombrel::newText(get(*m_current), out);
}

#define OMBREL_FILE_NUMBER(Method, T, expr)                                                           \
    HRESULT COmbrel::Method(T* out)                                                                   \
    {                                                                                                 \
        return ombrel::member([&]() -> HRESULT {                                                      \
            return fileNumber(m_file.get(), out, [](const CRawfile& f) { return (expr); });           \
        });                                                                                           \
    }
#define OMBREL_FILE_TEXT(Method, expr)                                                                \
    HRESULT COmbrel::Method(BSTR* out)                                                                \
    {                                                                                                 \
        return ombrel::member(                                                                        \
            [&]() -> HRESULT {                                                                        \
                return fileText(m_file.get(), out, [](const CRawfile& f) { return std::wstring(expr); }); \
            },                                                                                        \
            out);                                                                                     \
    }
#define OMBREL_RUN_NUMBER(Method, T, msOnly, expr)                                                    \
    HRESULT COmbrel::Method(T* out)                                                                   \
    {                                                                                                 \
        return ombrel::member([&]() -> HRESULT {                                                      \
            return controllerNumber(out, msOnly, [](const CRunHeader& h) { return (expr); });         \
        });                                                                                           \
    }
#define OMBREL_CONTROLLER_TEXT(Method, expr)                                                          \
    HRESULT COmbrel::Method(BSTR* out)                                                                \
    {                                                                                                 \
        return ombrel::member(                                                                        \
            [&]() -> HRESULT {                                                                        \
                return controllerText(out, [](const CVirtualData& c) { return std::wstring(expr); }); \
            },                                                                                        \
            out);                                                                                     \
    }

// ---------------------------------------------------------------- the file

OMBREL_FILE_TEXT(GetFileName, f.GetFileName())
OMBREL_FILE_TEXT(GetCreatorID, f.WhoCreatedId())
OMBREL_FILE_NUMBER(GetVersionNumber, LONG, LONG(f.GetVersion()))
OMBREL_FILE_NUMBER(IsError, LONG, f.IsError() ? 1 : 0)
OMBREL_FILE_NUMBER(IsNewFile, LONG, f.IsNewFile() ? 1 : 0)
OMBREL_FILE_NUMBER(GetErrorCode, LONG, LONG(f.GetErrorCode()))
OMBREL_FILE_TEXT(GetErrorMessage, f.GetErrorMessage())
OMBREL_FILE_TEXT(GetWarningMessage, f.GetWarningMessage())
OMBREL_FILE_NUMBER(InAcquisition, LONG, f.InAcquisition() ? 1 : 0)
OMBREL_FILE_NUMBER(IsThereMSData, LONG, f.IsThereMSData() ? 1 : 0)

HRESULT COmbrel::GetCreationDate(DATE* pCreationDate)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (!pCreationDate)
            return kOmbrelBadArgument;
        // The file time as it is, without a change of time zone.
        const FILETIME ft = m_file->GetCreationTime();
        SYSTEMTIME st{};
        DATE date = 0.0;
        if (!FileTimeToSystemTime(&ft, &st) || !SystemTimeToVariantTime(&st, &date))
            return kOmbrelEngineFailed;
        *pCreationDate = date;
        return kOmbrelDone;
    });
}

HRESULT COmbrel::HasExpMethod(LONG* pbMethod)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (!pbMethod)
            return kOmbrelBadArgument;
        const bool has = m_file->HasExpMethod();
        *pbMethod = has ? 1 : 0;
        return has ? kOmbrelDone : kOmbrelNothing;
    });
}

// ---------------------------------------------------------------- the sequence row

OMBREL_FILE_NUMBER(GetSeqRowNumber, LONG, LONG(f.GetSeqRow().rowNumber))
OMBREL_FILE_NUMBER(GetSeqRowSampleType, LONG, LONG(f.GetSeqRow().sampleType))
OMBREL_FILE_NUMBER(GetSeqRowBarcodeStatus, LONG, LONG(f.GetSeqRow().barcodeStatus))
OMBREL_FILE_TEXT(GetSeqRowDataPath, f.GetSeqRow().dataPath)
OMBREL_FILE_TEXT(GetSeqRowRawFileName, f.GetSeqRow().rawFileName)
OMBREL_FILE_TEXT(GetSeqRowSampleName, f.GetSeqRow().sampleName)
OMBREL_FILE_TEXT(GetSeqRowSampleID, f.GetSeqRow().sampleId)
OMBREL_FILE_TEXT(GetSeqRowComment, f.GetSeqRow().comment)
OMBREL_FILE_TEXT(GetSeqRowLevelName, f.GetSeqRow().levelName)
OMBREL_FILE_TEXT(GetSeqRowInstrumentMethod, f.GetSeqRow().instrumentMethod)
OMBREL_FILE_TEXT(GetSeqRowProcessingMethod, f.GetSeqRow().processingMethod)
OMBREL_FILE_TEXT(GetSeqRowCalibrationFile, f.GetSeqRow().calibrationFile)
OMBREL_FILE_TEXT(GetSeqRowVial, f.GetSeqRow().vial)
OMBREL_FILE_TEXT(GetSeqRowBarcode, f.GetSeqRow().barcode)
OMBREL_FILE_NUMBER(GetSeqRowInjectionVolume, double, f.GetSeqRow().injectionVolume)
OMBREL_FILE_NUMBER(GetSeqRowSampleWeight, double, f.GetSeqRow().sampleWeight)
OMBREL_FILE_NUMBER(GetSeqRowSampleVolume, double, f.GetSeqRow().sampleVolume)
OMBREL_FILE_NUMBER(GetSeqRowISTDAmount, double, f.GetSeqRow().istdAmount)
OMBREL_FILE_NUMBER(GetSeqRowDilutionFactor, double, f.GetSeqRow().dilutionFactor)

HRESULT COmbrel::GetSeqRowUserText(LONG nIndex, BSTR* pbstrUserText)
{
    return ombrel::member([&]() { return indexedText(m_file.get(), nIndex, pbstrUserText, &userTexts); },
                          pbstrUserText);
}

HRESULT COmbrel::GetSeqRowUserTextEx(LONG nIndex, BSTR* pbstrUserText)
{
    return ombrel::member([&]() { return indexedText(m_file.get(), nIndex, pbstrUserText, &userTextsEx); },
                          pbstrUserText);
}

HRESULT COmbrel::GetSeqRowUserLabel(LONG nIndex, BSTR* pbstrUserLabel)
{
    return ombrel::member([&]() { return indexedText(m_file.get(), nIndex, pbstrUserLabel, &userLabels); },
                          pbstrUserLabel);
}

// ---------------------------------------------------------------- the run header

OMBREL_RUN_NUMBER(GetNumSpectra, LONG, false, LONG(h.numSpectra))
OMBREL_RUN_NUMBER(GetNumStatusLog, LONG, false, LONG(h.numStatusLog))
OMBREL_RUN_NUMBER(GetNumErrorLog, LONG, false, LONG(h.numErrorLog))
OMBREL_RUN_NUMBER(GetMaxIntensity, LONG, false, LONG(h.maxIntensity))
OMBREL_RUN_NUMBER(GetFirstSpectrumNumber, LONG, false, LONG(h.firstScanNumber))
OMBREL_RUN_NUMBER(GetLastSpectrumNumber, LONG, false, LONG(h.lastScanNumber))
OMBREL_RUN_NUMBER(GetInstrumentID, LONG, false, LONG(h.instrumentId))
OMBREL_RUN_NUMBER(GetFilterMassPrecision, LONG, false, LONG(h.filterMassPrecision))
// 16-bit values widened with their sign.
OMBREL_RUN_NUMBER(GetInletID, LONG, false, LONG(h.inletId))
OMBREL_RUN_NUMBER(GetErrorFlag, LONG, false, LONG(h.errorFlag))
OMBREL_RUN_NUMBER(GetVialNumber, LONG, false, LONG(h.vialNumber))
OMBREL_RUN_NUMBER(GetNumTuneData, LONG, true, LONG(h.numTuneData))
OMBREL_RUN_NUMBER(GetNumTrailerExtra, LONG, true, LONG(h.numTrailerExtra))
OMBREL_RUN_NUMBER(GetMassResolution, double, false, h.massResolution)
OMBREL_RUN_NUMBER(GetExpectedRunTime, double, false, h.expectedRunTime)
OMBREL_RUN_NUMBER(GetLowMass, double, false, h.lowMass)
OMBREL_RUN_NUMBER(GetHighMass, double, false, h.highMass)
OMBREL_RUN_NUMBER(GetStartTime, double, false, h.startTime)
OMBREL_RUN_NUMBER(GetEndTime, double, false, h.endTime)
OMBREL_RUN_NUMBER(GetMaxIntegratedIntensity, double, false, h.maxIntegratedIntensity)
OMBREL_RUN_NUMBER(GetSampleVolume, double, false, h.sampleVolume)
OMBREL_RUN_NUMBER(GetSampleWeight, double, false, h.sampleWeight)
OMBREL_RUN_NUMBER(GetInjectionVolume, double, false, h.injectionVolume)
OMBREL_CONTROLLER_TEXT(GetAcquisitionFileName, c.GetRunHeader().acquisitionFileName)
OMBREL_CONTROLLER_TEXT(GetInstrumentDescription, c.GetRunHeader().instrumentDescription)
OMBREL_CONTROLLER_TEXT(GetAcquisitionDate, c.GetRunHeader().acquisitionDate)
OMBREL_CONTROLLER_TEXT(GetOperator, c.GetRunHeader().operatorName)
OMBREL_CONTROLLER_TEXT(GetComment1, c.GetRunHeader().comment1)
OMBREL_CONTROLLER_TEXT(GetComment2, c.GetRunHeader().comment2)
OMBREL_CONTROLLER_TEXT(GetSampleAmountUnits, c.GetRunHeader().sampleAmountUnits)
OMBREL_CONTROLLER_TEXT(GetInjectionAmountUnits, c.GetRunHeader().injectionAmountUnits)
OMBREL_CONTROLLER_TEXT(GetSampleVolumeUnits, c.GetRunHeader().sampleVolumeUnits)

// The eight flag bytes as eight characters, ending at the first zero byte.
OMBREL_CONTROLLER_TEXT(GetFlags, [&c] {
    std::wstring text;
    for (uint8_t b : c.GetRunHeader().flags) {
        if (b == 0)
            break;
        text.push_back(wchar_t(b));
    }
    return text;
}())

// ---------------------------------------------------------------- the instrument

OMBREL_CONTROLLER_TEXT(GetInstName, c.GetInstID().name)
OMBREL_CONTROLLER_TEXT(GetInstModel, c.GetInstID().model)
OMBREL_CONTROLLER_TEXT(GetInstSerialNumber, c.GetInstID().serialNumber)
OMBREL_CONTROLLER_TEXT(GetInstSoftwareVersion, c.GetInstID().softwareVersion)
OMBREL_CONTROLLER_TEXT(GetInstHardwareVersion, c.GetInstID().hardwareVersion)
OMBREL_CONTROLLER_TEXT(GetInstFlags, c.GetInstID().flags)

HRESULT COmbrel::GetInstNumChannelLabels(LONG* pnInstNumChannelLabels)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        if (!pnInstNumChannelLabels)
            return kOmbrelBadArgument;
        // A 16-bit count.
        const size_t count = m_current->GetInstID().channelLabels.size();
        *pnInstNumChannelLabels = LONG(int16_t(std::min<size_t>(count, 0x7FFF)));
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetInstChannelLabel(LONG nChannelLabelNumber, BSTR* pbstrInstChannelLabel)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needController())
                return hr;
            const std::vector<std::wstring>& labels = m_current->GetInstID().channelLabels;
            if (!ombrel::bstrOutOk(pbstrInstChannelLabel) || nChannelLabelNumber < 0 ||
                size_t(nChannelLabelNumber) >= std::min<size_t>(labels.size(), 0x7FFF))
                return kOmbrelBadArgument;
            return ombrel::newText(labels[size_t(nChannelLabelNumber)], pbstrInstChannelLabel);
        },
        pbstrInstChannelLabel);
}

// ---------------------------------------------------------------- instrument methods

// Methods exist only in files with an experiment method, from format
// version 25 on.
bool COmbrel::methodsKept() const
{
    return m_file->HasExpMethod() && m_file->GetVersion() >= kFirstMethodVersion;
}

HRESULT COmbrel::GetNumInstMethods(LONG* pnNumInstMethods)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needFile())
            return hr;
        if (!methodsKept())
            return kOmbrelNothing;
        if (!pnNumInstMethods)
            return kOmbrelBadArgument;
        const CMethodStg* methods = m_file->GetMethodStorage();
        if (!methods)
            return kOmbrelNothing;
        *pnNumInstMethods = methods->NumMethods();
        return kOmbrelDone;
    });
}

HRESULT COmbrel::GetInstMethod(LONG nInstMethodItem, BSTR* pbstrInstMethod)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (const HRESULT hr = needFile())
                return hr;
            if (!methodsKept())
                return kOmbrelNothing;
            if (!ombrel::bstrOutOk(pbstrInstMethod) || nInstMethodItem < 0)
                return kOmbrelBadArgument;
            const CMethodStg* methods = m_file->GetMethodStorage();
            if (!methods)
                return kOmbrelNothing;
            if (nInstMethodItem >= methods->NumMethods())
                return kOmbrelBadArgument;
            ks::ComPtr<IStorage> root;
            if (FAILED(methods->GetStorage(reinterpret_cast<IStorage**>(&root))) || !root)
                return kOmbrelEngineFailed;
            ks::ComPtr<IStorage> method;
            const std::wstring& name = methods->GetNames()[size_t(nInstMethodItem)];
            if (FAILED(root->OpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                         reinterpret_cast<IStorage**>(&method))) ||
                !method)
                return kOmbrelNothing;
            ks::ComPtr<IStream> text;
            if (FAILED(method->OpenStream(L"Text", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                          reinterpret_cast<IStream**>(&text))) ||
                !text)
                return kOmbrelNothing;
            LARGE_INTEGER zero{};
            ULARGE_INTEGER end{};
            if (FAILED(text->Seek(zero, STREAM_SEEK_END, &end)) || FAILED(text->Seek(zero, STREAM_SEEK_SET, nullptr)))
                return kOmbrelNothing;
            if (end.QuadPart > 0x7FFFFFFEu)
                return kOmbrelEngineFailed;
            // UTF-16 characters: length / 2 of them.
            std::vector<uint8_t> bytes(size_t(end.QuadPart));
            ULONG read = 0;
            if (!bytes.empty() && (FAILED(text->Read(bytes.data(), ULONG(bytes.size()), &read)) ||
                                   read != bytes.size()))
                return kOmbrelNothing;
            std::wstring out(bytes.size() / 2, L'\0');
            for (size_t i = 0; i < out.size(); ++i)
                out[i] = wchar_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
            return ombrel::newText(out, pbstrInstMethod);
        },
        pbstrInstMethod);
}

HRESULT COmbrel::GetInstMethodNames(LONG* pnNumInstMethods, VARIANT* pvarNames)
{
    return ombrel::member(
        [&]() -> HRESULT {
            if (pnNumInstMethods)
                *pnNumInstMethods = 0;
            if (const HRESULT hr = needFile())
                return hr;
            if (!pnNumInstMethods)
                return kOmbrelBadArgument;
            if (!methodsKept())
                return kOmbrelNothing;
            if (!ombrel::variantOutOk(pvarNames))
                return kOmbrelBadArgument;
            const CMethodStg* methods = m_file->GetMethodStorage();
            if (!methods)
                return kOmbrelEngineFailed;
            return ombrel::textArray(methods->GetNames(), pvarNames, pnNumInstMethods);
        },
        pvarNames);
}
