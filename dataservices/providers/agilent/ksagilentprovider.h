// The KSAgilentProvider component: identifiers of its type library, its
// ChemStation and ion-trap classes, the ChemStation provider's default
// interface and both provider classes.
//
// The ChemStation provider object describes itself to the provider
// registry and reads the first MSD file of a data directory (or one ".ms"
// file) as its own dataset (IKSMSDataset to IKSMSDataset3); its data server
// (KSLCMSDDataServer) shows a whole data directory as the object tree. The
// ion-trap provider only describes itself; its data server
// (KSAgilentIonTrapDataServer) shows an ion-trap data folder as the tree.
#pragma once

#include <string>

#include "dataproviderimpl.h"
#include "kscontract.h"
#include "ksregistrar.h"
#include "msdfile.h"

inline constexpr GUID LIBID_KSAGILENTPROVIDERLib = ks::guid("2B0B0D9E-7516-495C-8243-90AEFFAE5B02");

inline constexpr CLSID CLSID_KSLCMSDProvider = ks::guid("BDE6E083-7747-4417-938D-A8BD8D3A5BBC");
inline constexpr CLSID CLSID_KSLCMSDDataServer = ks::guid("02E12864-A8C5-4C40-88F9-63BC1D93B96E");
// The tree's children are created by their parents only; their classes are
// not registered.
inline constexpr CLSID CLSID_KSLCMSDInjections = ks::guid("EECA69AE-FAF8-4A07-B359-8AC4D8A54C9D");
inline constexpr CLSID CLSID_KSLCMSDInjection = ks::guid("04138414-DF1D-4532-96BE-9F66F3CCA1D3");
inline constexpr CLSID CLSID_KSLCMSDFunctions = ks::guid("0D43A9BF-6AF7-4FCC-80AA-1E99C8CDD63E");
inline constexpr CLSID CLSID_KSLCMSDFunction = ks::guid("275067F5-5502-4C48-9C98-CF5CD93CBD15");
inline constexpr CLSID CLSID_KSLCMSDTraces = ks::guid("64DD11C0-FEEC-4C06-AB2C-548C88FB023B");
inline constexpr CLSID CLSID_KSLCMSDTrace = ks::guid("65539FF3-FC80-4337-AD3F-649168E1A9AA");

inline constexpr const wchar_t* PROGID_KSLCMSDProvider = L"KSAgilentProvider.KSLCMSDProvider";
inline constexpr const wchar_t* PROGID_KSLCMSDDataServer = L"KSAgilentProvider.KSLCMSDDataServer";

inline constexpr CLSID CLSID_KSAgilentIonTrapProvider = ks::guid("2D7FC2CD-1B59-4C3F-B4BA-B585A519A9DF");
inline constexpr CLSID CLSID_KSAgilentIonTrapDataServer = ks::guid("282E6320-A2A0-44B3-AC02-8CA8FA1DA51C");
inline constexpr CLSID CLSID_KSAgilentIonTrapInjections = ks::guid("A6AE766B-F819-4406-B0BD-C857F6F19463");
inline constexpr CLSID CLSID_KSAgilentIonTrapInjection = ks::guid("D4469660-5F08-469D-B593-63BF19DF943A");
inline constexpr CLSID CLSID_KSAgilentIonTrapFunctions = ks::guid("AC1B2283-A5EA-422E-8CBB-C02B786D386E");
inline constexpr CLSID CLSID_KSAgilentIonTrapFunction = ks::guid("B5C9BBBC-B2C7-4A4C-9337-97B4266A983F");
inline constexpr CLSID CLSID_KSAgilentIonTrapTraces = ks::guid("B498C3B8-6EEB-46F2-8330-76CB202BD8C4");
inline constexpr CLSID CLSID_KSAgilentIonTrapTrace = ks::guid("8A5EAE7B-F7B4-414D-842A-66BAA5D1DB85");

inline constexpr const wchar_t* PROGID_KSAgilentIonTrapProvider = L"KSAgilentProvider.KSAgilentIonTrapProvider";
inline constexpr const wchar_t* PROGID_KSAgilentIonTrapDataServer = L"KSAgilentProvider.KSAgilentIonTrapDataServer";

// The name the deliverable keeps its reader settings under.
inline constexpr const wchar_t* KS_AGILENT_SETTINGS_APP = L"KSAgilentProvider";

// The provider's default interface: dual, no members of its own.
struct IKSLCMSDProvider : public IDispatch {
};
KS_DECLARE_INTERFACE(IKSLCMSDProvider, IDispatch, "16C18023-DC23-4007-BD7F-F799D12100E6")
KS_DECLARE_DISPATCH_TABLE(IKSLCMSDProvider)
inline constexpr IID IID_IKSLCMSDProvider = KS_IID(IKSLCMSDProvider);

// The data-source string names one dataset: the class name, "; ", the path
// and ";". Reading one: the class name is found anywhere in the text
// (exact case; what stands before it is ignored), the path is the text
// between the first ";" after it and the next ";" (or the end), trimmed.
// E_INVALIDARG for an empty text, a missing class name or ";", or nothing
// after the ";". The text is read by its length only.
HRESULT ParseLCMSDDataSource(const std::wstring& dataSource, std::wstring& path);
std::wstring MakeLCMSDDataSource(const std::wstring& path);

// Answers IKSLCMSDProvider, IDispatch, IKSDataProvider to IKSDataProvider3,
// IKSMSDataset to IKSMSDataset3 and IKSMSDatasetReader.
//
// Dataset methods answer E_POINTER for a null out or object argument (an
// out value is set to FALSE or 0 first), then E_ACCESSDENIED while no
// dataset is read, for a scan outside 1 to the scan count, a range with
// its last scan before its first, a failed spectrum read, and for what the
// provider does not offer (auxiliary spectra, traces, dependent scans).
class CKSLCMSDProvider
    : public ks::Object<ks::Dual<IKSLCMSDProvider>, IKSDataProviderImpl<CKSLCMSDProvider>,
                        IKSDataProvider2Impl<CKSLCMSDProvider>, IKSDataProvider3Impl<CKSLCMSDProvider>,
                        ks::Dual<IKSMSDataset3>, ks::Dual<IKSMSDatasetReader>> {
public:
    KS_DECLARE_REGISTRY(L"KSAgilentProvider", L"KSLCMSDProvider", CLSID_KSLCMSDProvider,
                        &LIBID_KSAGILENTPROVIDERLib)

    CKSLCMSDProvider();
    ~CKSLCMSDProvider() override;

    // IKSMSDatasetReader
    HRESULT ReadDatasetInteractive(IKSMSDataset** ppiDS) override;
    HRESULT ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS) override;
    // The data-source string of the last successful read.
    HRESULT get_DataSourceDescription(BSTR* pDescription) override;

    // IKSMSDataset
    HRESULT get_HasTIC(VARIANT_BOOL* pHas) override;
    HRESULT get_HasBaseSpectra(VARIANT_BOOL* pHas) override;
    HRESULT get_HasAuxiliarySpectra(VARIANT_BOOL* pHas) override;
    HRESULT get_SupportsMassChromatograms(VARIANT_BOOL* pSupports) override;
    HRESULT get_HasTraces(VARIANT_BOOL* pHas) override;
    HRESULT get_BaseSpectrumCount(LONG* pCount) override;
    HRESULT get_AuxiliarySpectrumCount(LONG* pCount) override;
    HRESULT get_TraceCount(LONG* pCount) override;
    HRESULT GetBaseSpectrum(LONG Index, IDispatch* pidMS) override;
    HRESULT GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS) override;
    HRESULT GetAuxiliarySpectrum(LONG Index, IDispatch* pidMS) override;
    HRESULT GetAuxiliarySpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS) override;
    HRESULT GetTIC(IDispatch* pidCM) override;
    HRESULT GetTrace(LONG Index, IDispatch* pidCM) override;
    HRESULT GetBasePeakChromatogram(IDispatch* pidCM) override;

    // IKSMSDataset2
    HRESULT GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS) override;
    HRESULT GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS) override;
    HRESULT GetAuxiliarySpectrumDirect(LONG Index, ULONG_PTR piMS) override;
    HRESULT GetAuxiliarySpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS) override;
    HRESULT GetTICDirect(ULONG_PTR piCM) override;
    HRESULT GetTraceDirect(LONG Index, ULONG_PTR piCM) override;
    HRESULT GetBasePeakChromatogramDirect(ULONG_PTR piCM) override;

    // IKSMSDataset3
    HRESULT get_HasDataDependentScans(VARIANT_BOOL* pHas) override;
    HRESULT get_DependentScanCount(LONG parentScanIndex, LONG* pCount) override;
    HRESULT GetDependentSpectrum(LONG parentScanIndex, LONG dependentScanIndex, IDispatch* pidMS) override;

private:
    enum class Measure { BasePeak, Total };
    HRESULT Read(const std::wstring& dataSource, IKSMSDataset** ppiDS);
    // An out value of an open dataset: E_POINTER for a null pointer; while
    // nothing is read the value is cleared and E_ACCESSDENIED answered.
    template <class T>
    HRESULT Answer(T* out, T value);
    HRESULT AnswerFlag(VARIANT_BOOL* out, bool value);
    // Scan `index` (from 1), or scans first to last co-added at 0.1 Da.
    HRESULT ReadScan(LONG index, CMassSpectrum& spectrum);
    HRESULT ReadRange(LONG first, LONG last, CMassSpectrum& spectrum);
    // A spectrum that `fill` reads from the open file, into the caller's
    // spectrum object or handle.
    template <class Fill>
    HRESULT ToObject(IDispatch* object, Fill fill);
    template <class Fill>
    HRESULT ToDirect(ULONG_PTR address, Fill fill);
    // One point per scan: retention time, abundance rounded to single
    // precision.
    void ChromatogramPoints(Measure measure, std::vector<double>& times, std::vector<double>& values) const;
    HRESULT ChromatogramToObject(Measure measure, IDispatch* object);
    HRESULT ChromatogramToDirect(Measure measure, ULONG_PTR address);

    std::wstring m_strDataSource;   // of the last read
    std::wstring m_strDescription;  // of the last successful read
    CMSDFile m_File;
};

// The ion-trap provider: a description only (flags 0, no services, no file
// filter). Answers IKSDataProvider (its IDispatch) and IKSDataProvider2.
class CKSAgilentIonTrapProvider
    : public ks::Object<IKSDataProviderImpl<CKSAgilentIonTrapProvider>,
                        IKSDataProvider2Impl<CKSAgilentIonTrapProvider>> {
public:
    KS_DECLARE_REGISTRY(L"KSAgilentProvider", L"KSAgilentIonTrapProvider", CLSID_KSAgilentIonTrapProvider,
                        &LIBID_KSAGILENTPROVIDERLib)

    CKSAgilentIonTrapProvider();
};
