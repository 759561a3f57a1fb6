// The data-services type library as code: identifiers, coclasses and every
// interface of the family, each declared in its function-table order (the
// IUnknown and IDispatch methods, then the interface's own members, a
// property's get before its put, derived interfaces appending). Each dual
// interface has its member table for the table-driven IDispatch (names,
// DISPIDs, kinds; help strings in kscontractinfo.h), so an implementation
// lists ks::Dual<I> among its interfaces and overrides the members:
//
//   class CMyTrace : public ks::Object<ks::Dual<IKSTrace>> {
//       HRESULT get_Name(BSTR* pName) override;
//       ...
//   };
//
// Addresses passed to the Direct members are pointer-sized (ULONG_PTR,
// VT_UI8 through IDispatch): the address of a caller-owned CKSMassSpectrum,
// CKSChromatogram or CKSMSCollection in the same process.
#pragma once

#include "kscontractenums.h"
#include "kscontrols.h"
#include "ksdispatch.h"
#include "ksobject.h"

// Type library
inline constexpr GUID LIBID_KSPROVIDERSERVERLib = ks::guid("23469379-D825-11D3-91DF-00400536072C");
inline constexpr WORD KSPROVIDERSERVERLib_MajorVersion = 1;
inline constexpr WORD KSPROVIDERSERVERLib_MinorVersion = 0;
inline constexpr LCID KSPROVIDERSERVERLib_Lcid = 1033;

// The identifier of the ProviderFlagT alias.
inline constexpr GUID UUID_ProviderFlagT = ks::guid("114CE0AA-D91D-11D3-91E0-00400536072C");

// Coclasses
inline constexpr CLSID CLSID_KSProviderServer = ks::guid("155AC305-D288-11D3-91D8-00400536072C");
inline constexpr CLSID CLSID_KSProviderDescription = ks::guid("155AC308-D288-11D3-91D8-00400536072C");
inline constexpr CLSID CLSID_KSDataProvider = ks::guid("7AC0F26B-D3A5-11D3-91D9-00400536072C");
inline constexpr CLSID CLSID_KSScanInfoProvider = ks::guid("12E1B220-A9CF-4BBD-9807-C4DB9C3B8AE7");
inline constexpr CLSID CLSID_KSDataAccess = ks::guid("AD885838-E7C4-4472-AECD-0113336D0C98");

// Programmatic identifiers of the two registered classes.
inline constexpr const wchar_t* PROGID_KSProviderServer = L"KSDataServices.KSProviderServer.1";
inline constexpr const wchar_t* PROGID_KSProviderServer_VersionIndependent = L"KSDataServices.KSProviderServer";
inline constexpr const wchar_t* PROGID_KSDataAccess = L"KSProviderServer.KSDataAccess.1";
inline constexpr const wchar_t* PROGID_KSDataAccess_VersionIndependent = L"KSProviderServer.KSDataAccess";

struct IKSProviderDescription;
struct IKSDataServer;
struct IKSInjections;
struct IKSInjection;
struct IKSFunctions;
struct IKSFunction;
struct IKSTraces;
struct IKSTrace;
struct IKSMSDataset;
struct IKSStorage;
struct IKSInjectionsWriter;
struct IKSInjectionWriter;
struct IKSFunctionsWriter;
struct IKSFunctionWriter;
struct IKSTracesWriter;
struct IKSTraceWriter;

// ---------------------------------------------------------------------------
// Providers, provider server, descriptions, dataset access

struct IKSDataProvider : public IDispatch {
    virtual HRESULT get_ClassID(BSTR* pClassID) = 0;
    virtual HRESULT get_ClassName(BSTR* pClassName) = 0;
    virtual HRESULT get_Copyright(BSTR* pCopyright) = 0;
    virtual HRESULT get_MenuName(BSTR* pMenuName) = 0;
    virtual HRESULT get_Supplier(BSTR* pSupplier) = 0;
    virtual HRESULT get_Version(BSTR* pVersion) = 0;
    virtual HRESULT get_ProviderFlags(LONG* pFlags) = 0;
    virtual HRESULT get_Path(BSTR* pPath) = 0;
    virtual HRESULT put_Path(BSTR path) = 0;
    virtual HRESULT GetService(BSTR ServiceName, IDispatch** ppService) = 0;
    virtual HRESULT SupportsService(BSTR ServiceName, VARIANT_BOOL* pSupported) = 0;
};

struct IKSDataProvider2 : public IDispatch {
    virtual HRESULT get_DataServerClassID(BSTR* pClassID) = 0;
};

struct IKSDataProvider3 : public IDispatch {
    virtual HRESULT get_FilterString(BSTR* pFilter) = 0;
};

struct IKSProviderServer : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Item(LONG Index, IKSProviderDescription** ppDescription) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT UnregisterDataProvider(IKSDataProvider* pProvider) = 0;
    virtual HRESULT RegisterDataProvider(IKSDataProvider* pProvider) = 0;
    virtual HRESULT GetProvider(BSTR providerName, IKSDataProvider** ppProvider) = 0;
    virtual HRESULT SupportsProvider(BSTR providerName, VARIANT_BOOL* pSupported) = 0;
};

// The event interface of the provider server: a pure dispatch interface,
// so sources reach its members only through Invoke (DISPIDs below).
struct _IKSProviderServerEvents : public IDispatch {
};
inline constexpr DISPID DISPID_ProvidersChanged = 1;

// What a listener implements: list ks::Dual<IKSProviderServerEventsSink>
// among the object's interfaces and override ProvidersChanged. It answers
// QueryInterface for _IKSProviderServerEvents.
struct IKSProviderServerEventsSink : public _IKSProviderServerEvents {
    virtual HRESULT ProvidersChanged() = 0;
};

struct IKSProviderDescription : public IDispatch {
    virtual HRESULT get_ClassID(BSTR* pClassID) = 0;
    virtual HRESULT get_ClassName(BSTR* pClassName) = 0;
    virtual HRESULT get_Copyright(BSTR* pCopyright) = 0;
    virtual HRESULT get_MenuName(BSTR* pMenuName) = 0;
    virtual HRESULT get_Supplier(BSTR* pSupplier) = 0;
    virtual HRESULT get_Version(BSTR* pVersion) = 0;
    virtual HRESULT get_ProviderFlags(LONG* pFlags) = 0;
};

struct IKSProviderDescription2 : public IDispatch {
    virtual HRESULT get_DataServerClassID(BSTR* pClassID) = 0;
};

struct IKSProviderDescription3 : public IDispatch {
    virtual HRESULT get_FilterString(BSTR* pFilter) = 0;
};

struct IKSDataAccess : public IDispatch {
    virtual HRESULT OpenDataset(BSTR Path, IKSDataServer** ppServer) = 0;
    virtual HRESULT OpenInjection(BSTR Path, LONG injection, IKSDataServer** ppServer,
                                  IKSInjection** ppInjection) = 0;
    virtual HRESULT OpenFunction(BSTR Path, LONG injection, LONG function, IKSDataServer** pServer,
                                 IKSInjection** ppInjection, IKSFunction** ppFcn) = 0;
    virtual HRESULT BrowseInjection(IKSDataServer** ppServer, IKSInjection** ppInjection) = 0;
    virtual HRESULT BrowseFunction(IKSDataServer** ppServer, IKSInjection** ppInjection, IKSFunction** ppFcn) = 0;
    virtual HRESULT BrowseCombo(IKSFunction** ppFcn1, IKSFunction** ppFcn2, IKSFunction** ppFcn3,
                                IKSFunction** ppFcn4, IKSInjection** ppInjection, IKSDataServer** ppServer) = 0;
    virtual HRESULT put_SmartExpansionBoxes(LONG value) = 0;
    virtual HRESULT put_ShowTextFiles(LONG value) = 0;
    virtual HRESULT AddComboFilter(BSTR title, FunctionType fcnType, LONG order) = 0;
};

struct IKSDataAccess2 : public IDispatch {
    virtual HRESULT BrowseInjectionFunctions(BSTR Path, LONG injection, IKSDataServer** pServer,
                                             IKSInjection** ppInjection, IKSFunction** ppFcn) = 0;
};

struct IKSDataAccess3 : public IDispatch {
    virtual HRESULT AddComboFilter3(BSTR title, FunctionType fcnType, LONG order, FunctionPolarity Polarity) = 0;
    virtual HRESULT BrowseCombo3(IKSFunction** ppFcn1, IKSFunction** ppFcn2, IKSFunction** ppFcn3,
                                 IKSFunction** ppFcn4, IKSFunction** ppFcn5, IKSFunction** ppFcn6,
                                 IKSFunction** ppFcn7, IKSFunction** ppFcn8, IKSInjection** ppInjection,
                                 IKSDataServer** ppServer) = 0;
};

struct IKSDataAccess4 : public IDispatch {
    virtual HRESULT OpenDatasetFromStorage(IUnknown* piParentStg, BSTR substorageName, IKSDataServer** ppServer) = 0;
    virtual HRESULT OpenInjectionFromStorage(IUnknown* piParentStg, BSTR substorageName, LONG injection,
                                             IKSDataServer** ppServer, IKSInjection** ppInjection) = 0;
    virtual HRESULT OpenFunctionFromStorage(IUnknown* piParentStg, BSTR substorageName, LONG injection,
                                            LONG function, IKSDataServer** pServer, IKSInjection** ppInjection,
                                            IKSFunction** ppFcn) = 0;
};

struct IKSDataAccess5 : public IDispatch {
    virtual HRESULT IsValidDataset(BSTR Path, LONG* pbIsValid) = 0;
};

// ---------------------------------------------------------------------------
// Data-server tree

struct IKSDataServer : public IDispatch {
    virtual HRESULT CurrentDataset(BSTR* pPath) = 0;
    virtual HRESULT DatasetType(BSTR* pType) = 0;
    virtual HRESULT IsValidDataset(BSTR Path, LONG* pbIsValid) = 0;
    virtual HRESULT Open(BSTR Path) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT get_Injections(IKSInjections** ppInjections) = 0;
    virtual HRESULT get_InjectionCountFromPath(BSTR Path, LONG* pCount) = 0;
};

struct IKSDataServer2 : public IDispatch {
    virtual HRESULT OpenFromStorage(IUnknown* piParentStg, BSTR substorageName) = 0;
};

struct IKSDataServer3 : public IDispatch {
    virtual HRESULT get_ClassID(BSTR* pCLSIDString) = 0;
};

struct IKSInjections : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Item(LONG Index, IKSInjection** ppInjection) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
};

struct IKSInjection : public IDispatch {
    virtual HRESULT get_Functions(IKSFunctions** ppFunctions) = 0;
    virtual HRESULT get_Traces(IKSTraces** ppTraces) = 0;
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT get_Index(LONG* pIdx) = 0;
};

struct IKSFunctions : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Item(LONG Index, IKSFunction** ppFunction) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
};

// The Direct members are property gets that return nothing through a
// parameter: everything goes into the caller's object at the address.
struct IKSFunction : public IDispatch {
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT get_Type(FunctionType* pType) = 0;
    virtual HRESULT get_MSMSType(FunctionMSMSType* pMSMSType) = 0;
    virtual HRESULT get_Polarity(FunctionPolarity* pPolarity) = 0;
    virtual HRESULT get_BPC(LONG bCalculateIfNecessary, IKSChromatogram** ppBPC) = 0;
    virtual HRESULT get_BPCWithRange(double lowMass, double highMass, LONG bCalculateIfNecessary,
                                     IKSChromatogram** ppBPC) = 0;
    virtual HRESULT get_BPCDirect(LONG bCalculateIfNecessary, ULONG_PTR pBPC) = 0;
    virtual HRESULT get_BPCWithRangeDirect(double lowMass, double highMass, LONG bCalculateIfNecessary,
                                           ULONG_PTR pBPC) = 0;
    virtual HRESULT get_TIC(LONG bCalculateIfNecessary, IKSChromatogram** ppTIC) = 0;
    virtual HRESULT get_TICDirect(LONG bCalculateIfNecessary, ULONG_PTR pTIC) = 0;
    virtual HRESULT get_Spectrum(LONG Index, IKSMassSpectrum** ppSpec) = 0;
    virtual HRESULT get_SpectrumDirect(LONG Index, ULONG_PTR pSpec) = 0;
    virtual HRESULT get_SpectrumByRT(double retentionTime, FunctionRTProximity prox, IKSMassSpectrum** ppSpec) = 0;
    virtual HRESULT get_SpectrumByRTDirect(double retentionTime, FunctionRTProximity prox, ULONG_PTR pSpec) = 0;
    virtual HRESULT get_SpectrumRange(LONG first, LONG last, LONG bToleranceInDa, double tolerance,
                                      IKSMassSpectrum** ppSpec) = 0;
    virtual HRESULT get_SpectrumRangeDirect(LONG first, LONG last, LONG bToleranceInDa, double tolerance,
                                            ULONG_PTR pSpec) = 0;
    virtual HRESULT get_SpectrumRangeByRT(double startRT, FunctionRTProximity startProx, double endRT,
                                          FunctionRTProximity endProx, LONG bToleranceInDa, double tolerance,
                                          IKSMassSpectrum** ppSpec) = 0;
    virtual HRESULT get_SpectrumRangeByRTDirect(double startRT, FunctionRTProximity startProx, double endRT,
                                                FunctionRTProximity endProx, LONG bToleranceInDa, double tolerance,
                                                ULONG_PTR pSpec) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT get_SpectrumCollection(IKSMSCollection** ppColl) = 0;
    virtual HRESULT get_SpectrumCollectionDirect(ULONG_PTR pColl) = 0;
    virtual HRESULT get_Index(LONG* pIdx) = 0;
    virtual HRESULT get_MSOrder(LONG* pOrder) = 0;
};

struct IKSFunction2 : public IDispatch {
    virtual HRESULT get_SpectrumCollectionCentroid(IKSPeakDetection* pPD, IKSMSCollection** ppColl) = 0;
};

struct IKSTraces : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Item(LONG Index, IKSTrace** ppTrace) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
};

struct IKSTrace : public IDispatch {
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT get_Chromatogram(IKSChromatogram** ppChrom) = 0;
    virtual HRESULT get_ChromatogramDirect(ULONG_PTR pChrom) = 0;
    virtual HRESULT get_Index(LONG* pIdx) = 0;
};

// ---------------------------------------------------------------------------
// Dataset services, spectrum reader and writer, scan information

// Spectrum and chromatogram parameters typed IDispatch are caller-created
// spectrum objects (IKSMassSpectrum) that the provider fills.
struct IKSMSDataset : public IDispatch {
    virtual HRESULT get_HasTIC(VARIANT_BOOL* pHas) = 0;
    virtual HRESULT get_HasBaseSpectra(VARIANT_BOOL* pHas) = 0;
    virtual HRESULT get_HasAuxiliarySpectra(VARIANT_BOOL* pHas) = 0;
    virtual HRESULT get_SupportsMassChromatograms(VARIANT_BOOL* pSupports) = 0;
    virtual HRESULT get_HasTraces(VARIANT_BOOL* pHas) = 0;
    virtual HRESULT get_BaseSpectrumCount(LONG* pCount) = 0;
    virtual HRESULT get_AuxiliarySpectrumCount(LONG* pCount) = 0;
    virtual HRESULT get_TraceCount(LONG* pCount) = 0;
    virtual HRESULT GetBaseSpectrum(LONG Index, IDispatch* pidMS) = 0;
    virtual HRESULT GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS) = 0;
    virtual HRESULT GetAuxiliarySpectrum(LONG Index, IDispatch* pidMS) = 0;
    virtual HRESULT GetAuxiliarySpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* pidMS) = 0;
    virtual HRESULT GetTIC(IDispatch* pidCM) = 0;
    virtual HRESULT GetTrace(LONG Index, IDispatch* pidCM) = 0;
    virtual HRESULT GetBasePeakChromatogram(IDispatch* pidCM) = 0;
};

// The Direct members fill a caller-owned CKSMassSpectrum (chromatograms
// with retention times in place of m/z values).
struct IKSMSDataset2 : public IKSMSDataset {
    virtual HRESULT GetBaseSpectrumDirect(LONG Index, ULONG_PTR piMS) = 0;
    virtual HRESULT GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS) = 0;
    virtual HRESULT GetAuxiliarySpectrumDirect(LONG Index, ULONG_PTR piMS) = 0;
    virtual HRESULT GetAuxiliarySpectrumRangeDirect(LONG scanStart, LONG scanEnd, ULONG_PTR piMS) = 0;
    virtual HRESULT GetTICDirect(ULONG_PTR piCM) = 0;
    virtual HRESULT GetTraceDirect(LONG Index, ULONG_PTR piCM) = 0;
    virtual HRESULT GetBasePeakChromatogramDirect(ULONG_PTR piCM) = 0;
};

struct IKSMSDataset3 : public IKSMSDataset2 {
    virtual HRESULT get_HasDataDependentScans(VARIANT_BOOL* pHas) = 0;
    virtual HRESULT get_DependentScanCount(LONG parentScanIndex, LONG* pCount) = 0;
    virtual HRESULT GetDependentSpectrum(LONG parentScanIndex, LONG dependentScanIndex, IDispatch* pidMS) = 0;
};

struct IKSMSDatasetReader : public IDispatch {
    virtual HRESULT ReadDatasetInteractive(IKSMSDataset** ppiDS) = 0;
    virtual HRESULT ReadDataset(BSTR dataSource, IKSMSDataset** ppiDS) = 0;
    virtual HRESULT get_DataSourceDescription(BSTR* pDescription) = 0;
};

// Declared only: nothing implements it. The dataset parameters are in
// parameters of type pointer to an IKSMSDataset pointer.
struct IKSMSDatasetWriter : public IDispatch {
    virtual HRESULT WriteDatasetInteractive(IKSMSDataset** ppiDS) = 0;
    virtual HRESULT WriteDataset(BSTR dataSource, IKSMSDataset** ppiDS) = 0;
    virtual HRESULT get_DataSourceDescription(BSTR* pDescription) = 0;
};

struct IKSSpectrumReader : public IDispatch {
    virtual HRESULT ReadSpectrumInteractive(IDispatch* piMS) = 0;
    virtual HRESULT ReadSpectrum(BSTR dataSource, IDispatch* piMS) = 0;
    virtual HRESULT get_DataSourceDescription(BSTR* pDescription) = 0;
};

struct IKSSpectrumReader2 : public IKSSpectrumReader {
    virtual HRESULT ReadSpectrumInteractiveDirect(ULONG_PTR piMS) = 0;
    virtual HRESULT ReadSpectrumDirect(BSTR dataSource, ULONG_PTR piMS) = 0;
};

// DataSourceDescription is write-only here.
struct IKSSpectrumWriter : public IDispatch {
    virtual HRESULT WriteSpectrumInteractive(IDispatch* piMS) = 0;
    virtual HRESULT WriteSpectrum(BSTR dataSource, IDispatch* piMS) = 0;
    virtual HRESULT put_DataSourceDescription(BSTR description) = 0;
};

struct IKSSpectrumWriter2 : public IKSSpectrumWriter {
    virtual HRESULT WriteSpectrumInteractiveDirect(ULONG_PTR piMS) = 0;
    virtual HRESULT WriteSpectrumDirect(BSTR dataSource, ULONG_PTR piMS) = 0;
};

struct IKSScanInfoProvider : public IDispatch {
    virtual HRESULT GetScanType(DatasetScanInfoType* pType) = 0;
    virtual HRESULT GetScanTime(double* pTime) = 0;
    virtual HRESULT GetScanStartMass(double* pMass) = 0;
    virtual HRESULT GetScanEndMass(double* pMass) = 0;
    virtual HRESULT GetInterscanTime(double* pTime) = 0;
};

// ---------------------------------------------------------------------------
// Storage and writer tree: declared only, nothing implements them.

// The class identifiers are passed by value; through IDispatch, which
// carries no records, they travel as braced text.
struct IKSStorage : public IDispatch {
    virtual HRESULT OpenStorageFile(BSTR Path, ModeType mode, BSTR signature, GUID clsid, LONG versionNumber) = 0;
    virtual HRESULT OpenStorage(IUnknown* piParent, BSTR substorageName, ModeType mode, BSTR signature, GUID clsid,
                                LONG versionNumber) = 0;
    virtual HRESULT OpenSubstorage(BSTR substorageName, ModeType mode, BSTR signature, GUID clsid,
                                   LONG versionNumber, IKSStorage** ppiStorage) = 0;
    virtual HRESULT OpenMSStorageFile(BSTR Path, IKSInjectionsWriter** ppiInjs) = 0;
    virtual HRESULT OpenMSStorage(IUnknown* piParent, BSTR substorageName, IKSInjectionsWriter** ppiInjs) = 0;
    virtual HRESULT get_Handler(IDispatch** ppiHandlerDisp) = 0;
    virtual HRESULT get_IStorage(IUnknown** ppiStorage) = 0;
};

struct IKSInjectionsWriter : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Item(LONG Index, IKSInjectionWriter** ppInjection) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Add(IKSInjectionWriter** ppInjection) = 0;
    virtual HRESULT Remove(LONG Index) = 0;
    virtual HRESULT Clear() = 0;
};

struct IKSInjectionWriter : public IDispatch {
    virtual HRESULT get_Functions(IKSFunctionsWriter** ppFunctions) = 0;
    virtual HRESULT get_Traces(IKSTracesWriter** ppTraces) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
};

struct IKSFunctionsWriter : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Item(LONG Index, IKSFunctionWriter** ppFunction) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Add(IKSFunctionWriter** ppFunction) = 0;
    virtual HRESULT Remove(LONG Index) = 0;
    virtual HRESULT Clear() = 0;
};

struct IKSFunctionWriter : public IDispatch {
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT put_Type(FunctionType type) = 0;
    virtual HRESULT put_MSOrder(LONG order) = 0;
    virtual HRESULT put_MSMSType(FunctionMSMSType type) = 0;
    virtual HRESULT put_Polarity(FunctionPolarity polarity) = 0;
    virtual HRESULT put_LowMZ(double mz) = 0;
    virtual HRESULT put_HighMZ(double mz) = 0;
    virtual HRESULT put_StartTime(DATE start, VARIANT_BOOL bLocalTime) = 0;
    virtual HRESULT put_EndTime(DATE end, VARIANT_BOOL bLocalTime) = 0;
    virtual HRESULT put_Spectrum(LONG Index, IKSMassSpectrum* piSpec) = 0;
    virtual HRESULT Add(IKSMassSpectrum* piSpec) = 0;
    virtual HRESULT Remove(LONG Index) = 0;
    virtual HRESULT Clear() = 0;
    virtual HRESULT get_Traces(IKSTracesWriter** ppTraces) = 0;
    virtual HRESULT put_PolynomialSpectrum(LONG Index, IKSMassSpectrum* piSpec, double t0, double tDelta, double c0,
                                           double c1, double c2, double c3, double c4, double c5) = 0;
    virtual HRESULT AddPolynomial(IKSMassSpectrum* piSpec, double t0, double tDelta, double c0, double c1, double c2,
                                  double c3, double c4, double c5) = 0;
};

struct IKSTracesWriter : public IDispatch {
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    virtual HRESULT get_Item(LONG Index, IKSTraceWriter** ppTrace) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT Add(IKSTraceWriter** ppTrace) = 0;
    virtual HRESULT Remove(LONG Index) = 0;
    virtual HRESULT Clear() = 0;
};

struct IKSTraceWriter : public IDispatch {
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT put_Description(BSTR description) = 0;
    virtual HRESULT put_Chromatogram(IKSChromatogram* piChrom) = 0;
    virtual HRESULT put_Type(TraceType type) = 0;
};

// ---------------------------------------------------------------------------
// Identifiers

KS_DECLARE_INTERFACE(IKSDataProvider, IDispatch, "BDFCEFD2-D2BC-11D3-91D8-00400536072C")
KS_DECLARE_INTERFACE(IKSDataProvider2, IDispatch, "2FEB503A-995F-4BAB-8A29-D51DA792BCF8")
KS_DECLARE_INTERFACE(IKSDataProvider3, IDispatch, "3577671A-435D-4376-93D0-B1CB46765C59")
KS_DECLARE_INTERFACE(IKSProviderServer, IDispatch, "155AC304-D288-11D3-91D8-00400536072C")
KS_DECLARE_INTERFACE(_IKSProviderServerEvents, IDispatch, "155AC306-D288-11D3-91D8-00400536072C")
KS_DECLARE_INTERFACE(IKSProviderServerEventsSink, _IKSProviderServerEvents, "155AC306-D288-11D3-91D8-00400536072C")
KS_DECLARE_INTERFACE(IKSProviderDescription, IDispatch, "155AC307-D288-11D3-91D8-00400536072C")
KS_DECLARE_INTERFACE(IKSProviderDescription2, IDispatch, "3C94A435-8351-4F18-A502-743CA17AF04A")
KS_DECLARE_INTERFACE(IKSProviderDescription3, IDispatch, "CBA4BC37-F898-49CD-BB77-2F9F4C5FB8FC")
KS_DECLARE_INTERFACE(IKSDataAccess, IDispatch, "E1D0E23B-CEE2-4AA2-8DDA-B5470828BA26")
KS_DECLARE_INTERFACE(IKSDataAccess2, IDispatch, "3A2942C8-EA0C-41EC-96B6-A53BEC2D16C7")
KS_DECLARE_INTERFACE(IKSDataAccess3, IDispatch, "E0F7265C-A91F-4867-9BA4-CEA6F1F88C7D")
KS_DECLARE_INTERFACE(IKSDataAccess4, IDispatch, "FE5BB710-7679-4C21-A644-706D7F89FBDB")
KS_DECLARE_INTERFACE(IKSDataAccess5, IDispatch, "3BE432BF-9CF4-4E07-909A-A7D09B295D94")
KS_DECLARE_INTERFACE(IKSDataServer, IDispatch, "E24439CA-4A84-4D5A-9721-09BC2C25C47A")
KS_DECLARE_INTERFACE(IKSDataServer2, IDispatch, "A5E14800-C0F1-4D76-B18E-7AC57876EA70")
KS_DECLARE_INTERFACE(IKSDataServer3, IDispatch, "79B6425A-D286-4FC6-84A0-9176870599F9")
KS_DECLARE_INTERFACE(IKSInjections, IDispatch, "C48097C4-D7CB-434A-A2A6-6F13F27FBD07")
KS_DECLARE_INTERFACE(IKSInjection, IDispatch, "8A76FADD-4409-41D0-8BBD-B5253427B073")
KS_DECLARE_INTERFACE(IKSFunctions, IDispatch, "ED142148-CBBC-4B72-9858-C2B4CB0CDA74")
KS_DECLARE_INTERFACE(IKSFunction, IDispatch, "FA38E838-3B8D-4C13-A232-9EE67CAD14B6")
KS_DECLARE_INTERFACE(IKSFunction2, IDispatch, "829FFB3F-49F9-4A3E-A067-AE3CF6F94336")
KS_DECLARE_INTERFACE(IKSTraces, IDispatch, "95605890-46F8-437E-9337-697BC4C2395C")
KS_DECLARE_INTERFACE(IKSTrace, IDispatch, "8B6FD530-270B-4541-969A-8F83621DB630")
KS_DECLARE_INTERFACE(IKSMSDataset, IDispatch, "CB6F5400-494C-11D4-9246-00400536072C")
KS_DECLARE_INTERFACE(IKSMSDataset2, IKSMSDataset, "D2F364A1-3C33-4153-9E5F-C2C42CBE3732")
KS_DECLARE_INTERFACE(IKSMSDataset3, IKSMSDataset2, "C1301642-CA9C-450A-BB76-44F0FAB552AA")
KS_DECLARE_INTERFACE(IKSMSDatasetReader, IDispatch, "78FF091C-3818-11D4-9239-00400536072C")
KS_DECLARE_INTERFACE(IKSMSDatasetWriter, IDispatch, "76EB48BC-4889-11D4-9245-00400536072C")
KS_DECLARE_INTERFACE(IKSSpectrumReader, IDispatch, "B5F76319-D7F9-11D3-91DF-00400536072C")
KS_DECLARE_INTERFACE(IKSSpectrumReader2, IKSSpectrumReader, "BF2AE241-E12C-4C06-B846-1B013F55C7C1")
KS_DECLARE_INTERFACE(IKSSpectrumWriter, IDispatch, "B5F7631B-D7F9-11D3-91DF-00400536072C")
KS_DECLARE_INTERFACE(IKSSpectrumWriter2, IKSSpectrumWriter, "88F1F1E7-A944-4163-A9CF-4592EFC0F83F")
KS_DECLARE_INTERFACE(IKSScanInfoProvider, IDispatch, "97DCAF27-F1D2-43D5-A1AC-DBC6B8D976F4")
KS_DECLARE_INTERFACE(IKSStorage, IDispatch, "FF3D457A-7CFB-43C9-BB6E-A35A9328A5FE")
KS_DECLARE_INTERFACE(IKSInjectionsWriter, IDispatch, "A019BBA1-B30B-4BB0-9AD1-071182914D43")
KS_DECLARE_INTERFACE(IKSInjectionWriter, IDispatch, "8038E7C7-8953-49FE-B6A4-22C66D78073E")
KS_DECLARE_INTERFACE(IKSFunctionsWriter, IDispatch, "30D1C521-B7E3-4863-8FDE-C5FDD845D4E2")
KS_DECLARE_INTERFACE(IKSFunctionWriter, IDispatch, "1DA99BCA-2E21-4A57-8B80-E8BF65FD7A6F")
KS_DECLARE_INTERFACE(IKSTracesWriter, IDispatch, "F86F416C-7186-4968-8046-847B712990BD")
KS_DECLARE_INTERFACE(IKSTraceWriter, IDispatch, "CF116288-B862-4AA2-BA22-8FE34BB780EE")

#define KS_CONTRACT_IID(I) inline constexpr IID IID_##I = KS_IID(I);
KS_CONTRACT_IID(IKSDataProvider)
KS_CONTRACT_IID(IKSDataProvider2)
KS_CONTRACT_IID(IKSDataProvider3)
KS_CONTRACT_IID(IKSProviderServer)
KS_CONTRACT_IID(_IKSProviderServerEvents)
KS_CONTRACT_IID(IKSProviderDescription)
KS_CONTRACT_IID(IKSProviderDescription2)
KS_CONTRACT_IID(IKSProviderDescription3)
KS_CONTRACT_IID(IKSDataAccess)
KS_CONTRACT_IID(IKSDataAccess2)
KS_CONTRACT_IID(IKSDataAccess3)
KS_CONTRACT_IID(IKSDataAccess4)
KS_CONTRACT_IID(IKSDataAccess5)
KS_CONTRACT_IID(IKSDataServer)
KS_CONTRACT_IID(IKSDataServer2)
KS_CONTRACT_IID(IKSDataServer3)
KS_CONTRACT_IID(IKSInjections)
KS_CONTRACT_IID(IKSInjection)
KS_CONTRACT_IID(IKSFunctions)
KS_CONTRACT_IID(IKSFunction)
KS_CONTRACT_IID(IKSFunction2)
KS_CONTRACT_IID(IKSTraces)
KS_CONTRACT_IID(IKSTrace)
KS_CONTRACT_IID(IKSMSDataset)
KS_CONTRACT_IID(IKSMSDataset2)
KS_CONTRACT_IID(IKSMSDataset3)
KS_CONTRACT_IID(IKSMSDatasetReader)
KS_CONTRACT_IID(IKSMSDatasetWriter)
KS_CONTRACT_IID(IKSSpectrumReader)
KS_CONTRACT_IID(IKSSpectrumReader2)
KS_CONTRACT_IID(IKSSpectrumWriter)
KS_CONTRACT_IID(IKSSpectrumWriter2)
KS_CONTRACT_IID(IKSScanInfoProvider)
KS_CONTRACT_IID(IKSStorage)
KS_CONTRACT_IID(IKSInjectionsWriter)
KS_CONTRACT_IID(IKSInjectionWriter)
KS_CONTRACT_IID(IKSFunctionsWriter)
KS_CONTRACT_IID(IKSFunctionWriter)
KS_CONTRACT_IID(IKSTracesWriter)
KS_CONTRACT_IID(IKSTraceWriter)
#undef KS_CONTRACT_IID

// Member tables of the table-driven IDispatch.
KS_DECLARE_DISPATCH_TABLE(IKSDataProvider)
KS_DECLARE_DISPATCH_TABLE(IKSDataProvider2)
KS_DECLARE_DISPATCH_TABLE(IKSDataProvider3)
KS_DECLARE_DISPATCH_TABLE(IKSProviderServer)
KS_DECLARE_DISPATCH_TABLE(IKSProviderServerEventsSink)
KS_DECLARE_DISPATCH_TABLE(IKSProviderDescription)
KS_DECLARE_DISPATCH_TABLE(IKSProviderDescription2)
KS_DECLARE_DISPATCH_TABLE(IKSProviderDescription3)
KS_DECLARE_DISPATCH_TABLE(IKSDataAccess)
KS_DECLARE_DISPATCH_TABLE(IKSDataAccess2)
KS_DECLARE_DISPATCH_TABLE(IKSDataAccess3)
KS_DECLARE_DISPATCH_TABLE(IKSDataAccess4)
KS_DECLARE_DISPATCH_TABLE(IKSDataAccess5)
KS_DECLARE_DISPATCH_TABLE(IKSDataServer)
KS_DECLARE_DISPATCH_TABLE(IKSDataServer2)
KS_DECLARE_DISPATCH_TABLE(IKSDataServer3)
KS_DECLARE_DISPATCH_TABLE(IKSInjections)
KS_DECLARE_DISPATCH_TABLE(IKSInjection)
KS_DECLARE_DISPATCH_TABLE(IKSFunctions)
KS_DECLARE_DISPATCH_TABLE(IKSFunction)
KS_DECLARE_DISPATCH_TABLE(IKSFunction2)
KS_DECLARE_DISPATCH_TABLE(IKSTraces)
KS_DECLARE_DISPATCH_TABLE(IKSTrace)
KS_DECLARE_DISPATCH_TABLE(IKSMSDataset)
KS_DECLARE_DISPATCH_TABLE(IKSMSDataset2)
KS_DECLARE_DISPATCH_TABLE(IKSMSDataset3)
KS_DECLARE_DISPATCH_TABLE(IKSMSDatasetReader)
KS_DECLARE_DISPATCH_TABLE(IKSMSDatasetWriter)
KS_DECLARE_DISPATCH_TABLE(IKSSpectrumReader)
KS_DECLARE_DISPATCH_TABLE(IKSSpectrumReader2)
KS_DECLARE_DISPATCH_TABLE(IKSSpectrumWriter)
KS_DECLARE_DISPATCH_TABLE(IKSSpectrumWriter2)
KS_DECLARE_DISPATCH_TABLE(IKSScanInfoProvider)
KS_DECLARE_DISPATCH_TABLE(IKSStorage)
KS_DECLARE_DISPATCH_TABLE(IKSInjectionsWriter)
KS_DECLARE_DISPATCH_TABLE(IKSInjectionWriter)
KS_DECLARE_DISPATCH_TABLE(IKSFunctionsWriter)
KS_DECLARE_DISPATCH_TABLE(IKSFunctionWriter)
KS_DECLARE_DISPATCH_TABLE(IKSTracesWriter)
KS_DECLARE_DISPATCH_TABLE(IKSTraceWriter)
