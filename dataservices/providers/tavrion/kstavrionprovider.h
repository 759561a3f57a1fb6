// The KSTavrionProvider component: identifiers of its type library and
// classes, its interfaces (the provider's default interface, the scan-type
// questions of IKSTavrionDataset and the data server's IKSTavrionDataServer)
// and the provider class.
//
// The provider object describes itself to the provider registry and opens
// one raw file (by data-source string or through the raw-file dialog) as
// its own dataset, read by raw scan number; the data server
// (KSTavrionDataServer) shows a raw file as the standard object tree with
// functions built from the scan filters. Both read through a raw-file
// reader object of Ombrel2 of their own.
#pragma once

#include <string>

#include "dataproviderimpl.h"
#include "kscontract.h"
#include "ksregistrar.h"
#include "massspectrum.h"
#include "tavrionio.h"

inline constexpr GUID LIBID_KSTAVRIONPROVIDERLib = ks::guid("5E3F1427-B8B4-4412-ACAE-37DEA0EAEA08");

inline constexpr CLSID CLSID_KSTavrionProvider = ks::guid("4696FE7A-939D-4556-97AD-1641B42E7FC4");
inline constexpr CLSID CLSID_KSTavrionDataServer = ks::guid("099490FF-078B-4806-8540-262E686F6E3D");
// The tree's children are created by their parents only; their classes are
// not registered.
inline constexpr CLSID CLSID_KSTavrionInjections = ks::guid("B248201F-EEBE-455D-9C5F-EEC44F398793");
inline constexpr CLSID CLSID_KSTavrionInjection = ks::guid("EF89DAB2-DB7A-4B64-A5A8-8E9BF6E31208");
inline constexpr CLSID CLSID_KSTavrionFunctions = ks::guid("BF1A7F13-88B5-4A75-85E7-934F4AF8BD12");
inline constexpr CLSID CLSID_KSTavrionFunction = ks::guid("03E7B03B-0260-4EBB-AC4D-10F3EF8A357A");
inline constexpr CLSID CLSID_KSTavrionTraces = ks::guid("58C1D686-EACE-467D-BF7A-B7AA3407FEAF");
inline constexpr CLSID CLSID_KSTavrionTrace = ks::guid("E3E9B5A0-3A6C-4195-8D51-880A2908607A");

inline constexpr const wchar_t* PROGID_KSTavrionProvider = kTavrionProgID;
inline constexpr const wchar_t* PROGID_KSTavrionDataServer = L"KSTavrionProvider.KSTavrionDataServer";

// The name the deliverable keeps its reader settings under.
inline constexpr const wchar_t* KS_TAVRION_SETTINGS_APP = L"KSTavrionProvider";

// The provider's default interface: dual, no members of its own.
struct IKSTavrionProvider : public IDispatch {
};
KS_DECLARE_INTERFACE(IKSTavrionProvider, IDispatch, "AB0BB66B-5F87-488F-8F9F-A9B46EB85613")
KS_DECLARE_DISPATCH_TABLE(IKSTavrionProvider)
inline constexpr IID IID_IKSTavrionProvider = KS_IID(IKSTavrionProvider);

// Scan types of the open raw file (dual; DISPIDs 1 to 3). Index: a raw
// scan number from 1 to the scan count. The result is set to
// VARIANT_FALSE first; E_POINTER for a null result, E_INVALIDARG for
// another index. A scan whose filter text is empty or does not parse is
// none of the three.
struct IKSTavrionDataset : public IDispatch {
    virtual HRESULT get_IsZoomScan(LONG index, VARIANT_BOOL* pResult) = 0;
    virtual HRESULT get_IsFullScan(LONG index, VARIANT_BOOL* pResult) = 0;
    virtual HRESULT get_IsDependentScan(LONG index, VARIANT_BOOL* pResult) = 0;
};
KS_DECLARE_INTERFACE(IKSTavrionDataset, IDispatch, "B2830047-A108-4F05-98A1-546C25E3E021")
KS_DECLARE_DISPATCH_TABLE(IKSTavrionDataset)
inline constexpr IID IID_IKSTavrionDataset = KS_IID(IKSTavrionDataset);

// On the data server (derived from IDispatch, not dual): the raw-file
// reader the data server reads with, as its IDispatch (one reference for
// the caller), so a client can call it directly on the file the server has
// open. E_POINTER for a null out pointer and when the server has no reader
// object. Late-bound callers reach the property by its name, "Ombrel"
// (DISPID 1), through this interface's own IDispatch.
struct IKSTavrionDataServer : public IDispatch {
    virtual HRESULT get_Ombrel(IDispatch** ppiDisp) = 0;
};
KS_DECLARE_INTERFACE(IKSTavrionDataServer, IDispatch, "57B83C8E-AA0A-4E7E-A9F8-26E0C0C31F54")
KS_DECLARE_DISPATCH_TABLE(IKSTavrionDataServer)
inline constexpr IID IID_IKSTavrionDataServer = KS_IID(IKSTavrionDataServer);

// Answers IKSTavrionProvider, IDispatch, IKSDataProvider to
// IKSDataProvider3, IKSMSDataset2 and IKSMSDataset (one pointer),
// IKSTavrionDataset, IKSMSDatasetReader and IKSScanInfoProvider.
//
// Results: E_POINTER for a null out pointer, object or address (before
// anything else; an object is then asked for IKSMassSpectrum3 and a
// failing query is the answer); reading services: E_ACCESSDENIED when the
// data source does not open, E_ABORT for a cancelled dialog; the dataset:
// E_INVALIDARG for a scan outside 1 to BaseSpectrumCount, E_OUTOFMEMORY for
// any read that fails (a scan, a chromatogram, a trace, also one outside
// 1 to TraceCount), E_NOTIMPL for auxiliary spectra. No exception leaves a
// member (ks::noThrow): E_OUTOFMEMORY for a failed allocation, E_FAIL
// otherwise, the out pointer null.
class CKSTavrionProvider
    : public ks::Object<ks::Dual<IKSTavrionProvider>, IKSDataProviderImpl<CKSTavrionProvider>,
                        IKSDataProvider2Impl<CKSTavrionProvider>, IKSDataProvider3Impl<CKSTavrionProvider>,
                        ks::Dual<IKSMSDataset2>, ks::Dual<IKSTavrionDataset>, ks::Dual<IKSMSDatasetReader>,
                        ks::Dual<IKSScanInfoProvider>> {
public:
    KS_DECLARE_REGISTRY(L"KSTavrionProvider", L"KSTavrionProvider", CLSID_KSTavrionProvider,
                        &LIBID_KSTAVRIONPROVIDERLib)

    // Creates the provider's own raw-file reader object.
    CKSTavrionProvider();
    ~CKSTavrionProvider() override;

    // IKSMSDatasetReader: the file stays open in this object, which is
    // handed out as the dataset, until the next read or its release.
    HRESULT ReadDatasetInteractive(IKSMSDataset** ppiDS) override;
    HRESULT ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS) override;
    // The data-source string of the last successful read ("" before).
    HRESULT get_DataSourceDescription(BSTR* pDescription) override;

    // IKSMSDataset: the open raw file, scans by raw number from 1.
    HRESULT get_HasTIC(VARIANT_BOOL* pHas) override;
    HRESULT get_HasBaseSpectra(VARIANT_BOOL* pHas) override;
    HRESULT get_HasAuxiliarySpectra(VARIANT_BOOL* pHas) override;
    HRESULT get_SupportsMassChromatograms(VARIANT_BOOL* pSupports) override;
    HRESULT get_HasTraces(VARIANT_BOOL* pHas) override;
    HRESULT get_BaseSpectrumCount(LONG* pCount) override;
    HRESULT get_AuxiliarySpectrumCount(LONG* pCount) override;
    HRESULT get_TraceCount(LONG* pCount) override;
    HRESULT GetBaseSpectrum(LONG Index, IDispatch* pidMS) override;
    // Scans start to end co-added (0.1 Da), first and last scan start and
    // end, the retention-time range from the first scan's to the last's.
    HRESULT GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS) override;
    HRESULT GetAuxiliarySpectrum(LONG Index, IDispatch* pidMS) override;
    HRESULT GetAuxiliarySpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS) override;
    // The chromatograms as spectra (times as m/z values, a profile).
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

    // IKSTavrionDataset
    HRESULT get_IsZoomScan(LONG index, VARIANT_BOOL* pResult) override;
    HRESULT get_IsFullScan(LONG index, VARIANT_BOOL* pResult) override;
    HRESULT get_IsDependentScan(LONG index, VARIANT_BOOL* pResult) override;

    // IKSScanInfoProvider: the same constants whatever is open (linear
    // scans from 100 to 1000, no scan or interscan time).
    HRESULT GetScanType(DatasetScanInfoType* pType) override;
    HRESULT GetScanTime(double* pTime) override;
    HRESULT GetScanStartMass(double* pMass) override;
    HRESULT GetScanEndMass(double* pMass) override;
    HRESULT GetInterscanTime(double* pTime) override;

private:
    HRESULT OpenDataset(const std::wstring& dataSource, IKSMSDataset** ppiDS);
    // Scan `start`, or scans start to end co-added; E_INVALIDARG unless
    // 1 <= start <= end <= the scan count, E_OUTOFMEMORY for a failed read.
    HRESULT ReadScans(LONG start, LONG end, CMassSpectrum& spectrum);
    // A spectrum read into the caller's object or handle.
    template <class Read>
    HRESULT ToObject(IDispatch* object, Read read);
    template <class Read>
    HRESULT ToDirect(ULONG_PTR address, Read read);
    // An x/y trace (read(spectrum) fills it) into the caller's object or
    // handle.
    template <class Read>
    HRESULT TraceToObject(IDispatch* object, Read read);
    template <class Read>
    HRESULT TraceToDirect(ULONG_PTR address, Read read);
    template <class Test>
    HRESULT ScanType(LONG index, VARIANT_BOOL* pResult, Test test);

    std::wstring m_strDescription;  // of the last successful read
    CTavrionIO m_IO;
};
