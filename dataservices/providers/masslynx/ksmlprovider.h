// The KSMLProvider_4_1 component: identifiers of its type library and
// classes, the provider's default interface and the provider class.
//
// The provider object describes the MassLynx reader to the provider
// registry, reads single spectra of a function (with the MassLynx data
// browser, or from a data-source string) and offers one function of a raw
// directory as its own dataset; the data server (KSMLDataServer) shows a
// raw directory as the standard object tree. Both read through a
// CMassLynxDataIO of their own.
#pragma once

#include <string>

#include "dataproviderimpl.h"
#include "kscontract.h"
#include "ksregistrar.h"
#include "masslynxdataio.h"
#include "massspectrum.h"

inline constexpr GUID LIBID_KSMLPROVIDERLib = ks::guid("68A5DFE5-D9A4-11D3-9B79-00D0B7069669");

inline constexpr CLSID CLSID_KSMLProvider = ks::guid("68A5DFF5-D9A4-11D3-9B79-00D0B7069669");
inline constexpr CLSID CLSID_KSMLDataServer = ks::guid("9E2EA952-4C83-489B-8E0B-A0FFEDD70CA2");
// The tree's children are created by their parents only; their classes are
// not registered.
inline constexpr CLSID CLSID_KSMLInjections = ks::guid("D66D14D6-C2DB-4246-A3E9-BBA9ECF6F9D1");
inline constexpr CLSID CLSID_KSMLInjection = ks::guid("FB22E11D-5354-4BDE-B752-ADAB3D8BCCC5");
inline constexpr CLSID CLSID_KSMLFunctions = ks::guid("E0CEF704-59D2-446C-BBBF-1FFEB498F9D5");
inline constexpr CLSID CLSID_KSMLFunction = ks::guid("AD118F30-2FFE-4B34-95C7-BC3E59504948");
inline constexpr CLSID CLSID_KSMLTraces = ks::guid("852004DF-6AB2-4833-848F-7D95F38766DE");
inline constexpr CLSID CLSID_KSMLTrace = ks::guid("80582870-719C-46B8-BD66-DD14385A0626");

inline constexpr const wchar_t* PROGID_KSMLProvider = L"KSMLProvider.KSMLProvider";
inline constexpr const wchar_t* PROGID_KSMLDataServer = L"KSMLProvider.KSMLDataServer";

// The name the deliverable keeps its reader settings under.
inline constexpr const wchar_t* KS_MASSLYNX_SETTINGS_APP = L"KSMLProvider_4_1";

// The provider's default interface: dual, no members of its own.
struct IKSMLProvider : public IDispatch {
};
KS_DECLARE_INTERFACE(IKSMLProvider, IDispatch, "68A5DFF4-D9A4-11D3-9B79-00D0B7069669")
KS_DECLARE_DISPATCH_TABLE(IKSMLProvider)
inline constexpr IID IID_IKSMLProvider = KS_IID(IKSMLProvider);

// Answers, in this order, IKSMLProvider, IDispatch, IKSDataProvider to
// IKSDataProvider3, IKSSpectrumReader2 and IKSSpectrumReader (one
// pointer), IKSMSDataset2 and IKSMSDataset (one pointer),
// IKSMSDatasetReader and IKSScanInfoProvider; no spectrum writer.
//
// Results: E_POINTER for a null out pointer, object or address (before
// anything else; an object is then asked for the spectrum interface and a
// failing query is the answer); reading services: E_ABORT for a cancelled
// spectrum browse, E_FAIL for a cancelled dataset browse, E_OUTOFMEMORY
// for a spectrum that cannot be read, E_ACCESSDENIED for a data source
// that does not open; the dataset: E_INVALIDARG for a scan outside 1 to
// BaseSpectrumCount and for auxiliary spectra, E_OUTOFMEMORY for a scan
// that cannot be read, E_FAIL for a chromatogram or trace that cannot be
// read, E_NOTIMPL for auxiliary ranges and base-peak chromatograms. No
// exception leaves a member (ks::noThrow): E_OUTOFMEMORY for a failed
// allocation, E_FAIL otherwise, the out pointer null.
class CKSMLProvider
    : public ks::Object<ks::Dual<IKSMLProvider>, IKSDataProviderImpl<CKSMLProvider>,
                        IKSDataProvider2Impl<CKSMLProvider>, IKSDataProvider3Impl<CKSMLProvider>,
                        ks::Dual<IKSSpectrumReader2>, ks::Dual<IKSMSDataset2>, ks::Dual<IKSMSDatasetReader>,
                        ks::Dual<IKSScanInfoProvider>> {
public:
    KS_DECLARE_REGISTRY(L"KSMLProvider", L"KSMLProvider", CLSID_KSMLProvider, &LIBID_KSMLPROVIDERLib)

    // Creates the provider's own reader and its MassLynx objects.
    CKSMLProvider();
    ~CKSMLProvider() override;

    // IKSSpectrumReader, IKSSpectrumReader2. A data-source string may
    // carry a fourth field, "; <scan text>" (as the description of an
    // interactive read ends); without it scan 1 is read.
    HRESULT ReadSpectrumInteractive(IDispatch* piMS) override;
    HRESULT ReadSpectrum(BSTR dataSource, IDispatch* piMS) override;
    HRESULT ReadSpectrumInteractiveDirect(ULONG_PTR piMS) override;
    HRESULT ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS) override;
    // Also IKSMSDatasetReader's: the description of the last read ("" at
    // first).
    HRESULT get_DataSourceDescription(BSTR* pDescription) override;

    // IKSMSDatasetReader: the raw directory stays open in this object,
    // which is handed out as the dataset, until the next read or its
    // release.
    HRESULT ReadDatasetInteractive(IKSMSDataset** ppiDS) override;
    HRESULT ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS) override;

    // IKSMSDataset: the current function of the open raw directory, scans
    // from 1.
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

    // IKSScanInfoProvider: linear scans, no mass range, no scan or
    // interscan time (0.0: nothing in a raw directory says them).
    HRESULT GetScanType(DatasetScanInfoType* pType) override;
    HRESULT GetScanTime(double* pTime) override;
    HRESULT GetScanStartMass(double* pMass) override;
    HRESULT GetScanEndMass(double* pMass) override;
    HRESULT GetInterscanTime(double* pTime) override;

private:
    // Where the browser starts: the "Source Path" setting, else Path.
    std::wstring StartPath();
    // The spectrum read of a data source and a scan text into the target
    // (fill converts); interactive reads also store the setting.
    template <class Fill>
    HRESULT ReadInto(const std::wstring& dataSource, const std::wstring& scanText, bool interactive, Fill fill);
    HRESULT OpenDataset(const std::wstring& dataSource, IKSMSDataset** ppiDS);
    // Scan `start`, or scans start to end co-added; E_INVALIDARG unless
    // 1 <= start <= end <= the scan count, E_OUTOFMEMORY for a failed read.
    HRESULT ReadScans(LONG start, LONG end, CMassSpectrum& spectrum);
    // ReadScans converted into the caller's target (convert); Path and the
    // description are set only when both succeed.
    template <class Convert>
    HRESULT ScansInto(LONG start, LONG end, Convert convert);
    HRESULT ScansToObject(LONG start, LONG end, IDispatch* object);
    HRESULT ScansToDirect(LONG start, LONG end, ULONG_PTR address);
    // A chromatogram (read(chromatogram) answers whether it was read) into
    // the caller's object or handle.
    template <class Read>
    HRESULT ChromatogramToObject(IDispatch* object, Read read);
    template <class Read>
    HRESULT ChromatogramToDirect(ULONG_PTR address, Read read);

    std::wstring m_strDescription;
    CMassLynxDataIO m_IO;
};
