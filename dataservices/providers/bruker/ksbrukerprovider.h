// The XMASS provider component: identifiers of its type library and
// classes, its default interface and the provider class.
//
// The provider object reads single spectra (by data-source string or
// through the browse dialog) and opens one experiment as its own dataset
// (IKSMSDataset); the data server (KSBrukerDataServer) exposes a whole
// dataset as the standard object tree.
#pragma once

#include <string>

#include "brukerdataio.h"
#include "dataproviderimpl.h"
#include "kscontract.h"
#include "ksregistrar.h"

inline constexpr GUID LIBID_KSBrukerProviderLib = ks::guid("6A3CE9D0-0A56-11D4-9BB7-00D0B7069669");

inline constexpr CLSID CLSID_KSBrukerProvider = ks::guid("6A3CE9D2-0A56-11D4-9BB7-00D0B7069669");
inline constexpr CLSID CLSID_KSBrukerDataServer = ks::guid("CCD1E475-68E1-456E-8577-ADA7AD45D93A");
// The tree's children are created by their parents only; their classes are
// not registered.
inline constexpr CLSID CLSID_KSBrukerInjections = ks::guid("C254D506-F3E1-4C6A-8FC6-7DC46B746FAD");
inline constexpr CLSID CLSID_KSBrukerInjection = ks::guid("6C4DA8E4-7769-46DA-89F0-4466C1D379D8");
inline constexpr CLSID CLSID_KSBrukerFunctions = ks::guid("EC706A4E-CA1F-4CEA-B7FD-7FA6FC49090D");
inline constexpr CLSID CLSID_KSBrukerFunction = ks::guid("9ADBE7B7-FA71-48C3-91D7-DBD92E4C5A2F");
inline constexpr CLSID CLSID_KSBrukerTraces = ks::guid("4DD66F0B-A360-4A1F-8248-231432251705");
inline constexpr CLSID CLSID_KSBrukerTrace = ks::guid("D3FC5328-1378-4132-82EE-C02F7A2889F2");

inline constexpr const wchar_t* PROGID_KSBrukerProvider = L"KSBrukerProvider.KSBrukerProvider";
inline constexpr const wchar_t* PROGID_KSBrukerDataServer = L"KSBrukerProvider.KSBrukerDataServer";

// The provider's default interface: dual, no members of its own.
struct IKSBrukerProvider : public IDispatch {
};
KS_DECLARE_INTERFACE(IKSBrukerProvider, IDispatch, "6A3CE9D1-0A56-11D4-9BB7-00D0B7069669")
KS_DECLARE_DISPATCH_TABLE(IKSBrukerProvider)
inline constexpr IID IID_IKSBrukerProvider = KS_IID(IKSBrukerProvider);

// Answers IKSBrukerProvider, IDispatch, IKSDataProvider (versions 1 to 3),
// IKSSpectrumReader through IKSSpectrumReader2, IKSMSDataset through
// IKSMSDataset2, and IKSMSDatasetReader.
//
// Results: E_POINTER for a null output, object or address (before
// anything else); reading services: E_ABORT for a cancelled dialog,
// E_OUTOFMEMORY for a data source or scan that cannot be read;
// ReadDataset: E_ACCESSDENIED for a data source that cannot be opened;
// the dataset: E_INVALIDARG for a scan outside 1 to BaseSpectrumCount,
// E_OUTOFMEMORY for a scan that cannot be read, E_FAIL for a chromatogram
// while nothing is open or a scan fails, E_NOTIMPL for auxiliary spectra,
// traces and the base-peak chromatogram. No exception leaves a member
// (ks::noThrow): E_OUTOFMEMORY for a failed allocation, E_FAIL otherwise,
// the out pointer null.
class CKSBrukerProvider
    : public ks::Object<ks::Dual<IKSBrukerProvider>, IKSDataProviderImpl<CKSBrukerProvider>,
                        IKSDataProvider2Impl<CKSBrukerProvider>, IKSDataProvider3Impl<CKSBrukerProvider>,
                        ks::Dual<IKSSpectrumReader2>, ks::Dual<IKSMSDataset2>, ks::Dual<IKSMSDatasetReader>> {
public:
    KS_DECLARE_REGISTRY(L"KSBrukerProvider", L"KSBrukerProvider", CLSID_KSBrukerProvider, &LIBID_KSBrukerProviderLib)

    CKSBrukerProvider();
    ~CKSBrukerProvider() override;

    // IKSSpectrumReader, IKSSpectrumReader2: scan 1 of the named
    // experiment, or the scan chosen in the browse dialog.
    HRESULT ReadSpectrumInteractive(IDispatch* piMS) override;
    HRESULT ReadSpectrum(BSTR dataSource, IDispatch* piMS) override;
    // Also IKSMSDatasetReader's: the data source of the last successful
    // read, empty before any.
    HRESULT get_DataSourceDescription(BSTR* pDescription) override;
    HRESULT ReadSpectrumInteractiveDirect(ULONG_PTR piMS) override;
    HRESULT ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS) override;

    // IKSMSDatasetReader: the experiment stays open in this object, which
    // is handed out as the dataset.
    HRESULT ReadDatasetInteractive(IKSMSDataset** ppiDS) override;
    HRESULT ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS) override;

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

private:
    // Opens, reads the scan and closes again; fill writes the spectrum.
    template <class Fill>
    HRESULT ReadFromSource(const std::wstring& dataSource, const std::wstring& scanText, Fill fill);
    // The spectrum browse dialog: E_ABORT when cancelled.
    HRESULT BrowseSpectrum(std::wstring& dataSource, std::wstring& scanText);
    HRESULT OpenDataset(const std::wstring& dataSource, IKSMSDataset** ppiDS);
    std::wstring StartFolder();
    // The chromatogram of the open experiment, handed to write.
    template <class Write>
    HRESULT WriteTIC(Write write);
    // Scans first to last of the open experiment, co-added.
    HRESULT ReadScans(LONG first, LONG last, CMassSpectrum& spectrum);
    // Path, description and the stored source path follow a successful read.
    void Remember(const CBrukerDataIO& read);

    std::wstring m_strDescription;
    // The experiment the last dataset read opened; spectrum reads use a
    // reader of their own.
    CBrukerDataIO m_IO;
};
