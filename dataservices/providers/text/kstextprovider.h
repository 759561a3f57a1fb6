// The text provider component: identifiers of its type library and
// classes, its default interface and the provider class.
//
// The provider object reads and writes single spectra (with or without the
// file dialogs) and opens a multi-spectrum file as its own dataset
// (IKSMSDataset); the data server (KSTextDataServer) exposes such a file as
// the standard object tree.
#pragma once

#include <string>

#include "dataproviderimpl.h"
#include "kscontract.h"
#include "ksregistrar.h"
#include "textdataio.h"

inline constexpr GUID LIBID_KSTEXTPROVIDERLib = ks::guid("127AC566-D36A-11D3-91D9-00400536072C");

inline constexpr CLSID CLSID_KSTextProvider = ks::guid("127AC576-D36A-11D3-91D9-00400536072C");
inline constexpr CLSID CLSID_KSTextDataServer = ks::guid("02A12D80-06F6-46B5-9617-577DD9D135E8");
// The tree's children are created by their parents only; their classes are
// not registered.
inline constexpr CLSID CLSID_KSTextInjections = ks::guid("1F834622-BDB3-4F00-A8D5-38DA09ABF84B");
inline constexpr CLSID CLSID_KSTextInjection = ks::guid("3B0FD6E7-AF58-4F85-8263-A121C1810352");
inline constexpr CLSID CLSID_KSTextFunctions = ks::guid("23C08CD6-2F62-4604-8C88-4A785DA72968");
inline constexpr CLSID CLSID_KSTextFunction = ks::guid("4889E12A-A27A-49CD-99AD-AE13163F4372");
inline constexpr CLSID CLSID_KSTextTraces = ks::guid("778A5D9C-B92E-4E12-BA9E-5537554D5996");
inline constexpr CLSID CLSID_KSTextTrace = ks::guid("B647C3BE-470A-4E07-8073-0697E87540E7");

inline constexpr const wchar_t* PROGID_KSTextProvider = L"KSTextProvider.KSTextProvider";
inline constexpr const wchar_t* PROGID_KSTextDataServer = L"KSTextProvider.KSTextDataServer";

// The provider's default interface: dual, no members of its own.
struct IKSTextProvider : public IDispatch {
};
KS_DECLARE_INTERFACE(IKSTextProvider, IDispatch, "127AC575-D36A-11D3-91D9-00400536072C")
KS_DECLARE_DISPATCH_TABLE(IKSTextProvider)
inline constexpr IID IID_IKSTextProvider = KS_IID(IKSTextProvider);

// Answers IKSTextProvider, IDispatch, IKSDataProvider, IKSDataProvider2, the
// spectrum reader and writer (each version 1 through its version 2),
// IKSMSDataset2, IKSMSDataset and IKSMSDatasetReader; not IKSDataProvider3
// (no file filter).
class CKSTextProvider : public ks::Object<ks::Dual<IKSTextProvider>, IKSDataProviderImpl<CKSTextProvider>,
                                          IKSDataProvider2Impl<CKSTextProvider>, ks::Dual<IKSSpectrumReader2>,
                                          ks::Dual<IKSSpectrumWriter2>, ks::Dual<IKSMSDataset2>,
                                          ks::Dual<IKSMSDatasetReader>> {
public:
    KS_DECLARE_REGISTRY(L"KSTextProvider", L"KSTextProvider", CLSID_KSTextProvider, &LIBID_KSTEXTPROVIDERLib)

    CKSTextProvider();
    ~CKSTextProvider() override;

    // IKSSpectrumReader, IKSSpectrumReader2
    HRESULT ReadSpectrumInteractive(IDispatch* piMS) override;
    HRESULT ReadSpectrum(BSTR dataSource, IDispatch* piMS) override;
    // Also IKSMSDatasetReader's.
    HRESULT get_DataSourceDescription(BSTR* pDescription) override;
    HRESULT ReadSpectrumInteractiveDirect(ULONG_PTR piMS) override;
    HRESULT ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS) override;

    // IKSSpectrumWriter, IKSSpectrumWriter2
    HRESULT WriteSpectrumInteractive(IDispatch* piMS) override;
    HRESULT WriteSpectrum(BSTR dataSource, IDispatch* piMS) override;
    HRESULT put_DataSourceDescription(BSTR description) override;
    HRESULT WriteSpectrumInteractiveDirect(ULONG_PTR piMS) override;
    HRESULT WriteSpectrumDirect(BSTR dataSource, ULONG_PTR piMS) override;

    // IKSMSDatasetReader
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
    // A spectrum read from `path` (a plain path) into the target: step 3 on
    // of the reader's forms. fill answers the conversion's result.
    template <class Fill>
    HRESULT ReadInto(const std::wstring& path, bool interactive, Fill fill);
    template <class Take>
    HRESULT WriteFrom(const std::wstring& path, bool interactive, Take take);
    HRESULT BrowseForSource(std::wstring& path);
    HRESULT BrowseForDestination(std::wstring& path);
    // Spectrum index (from 1) of the open dataset file: E_INVALIDARG outside
    // 1 to BaseSpectrumCount.
    HRESULT ReadBaseSpectrum(LONG index, CMassSpectrum& spectrum);
    void Succeeded(bool setPath);

    std::wstring m_strDescription;
    CTextDataIO m_IO;
};
