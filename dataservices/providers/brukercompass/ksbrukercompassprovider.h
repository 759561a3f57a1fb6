// The KSBrukerCompassProvider component: identifiers of its type library
// and classes, the data server's IKSBrukerCompassDataServer and the
// provider class.
//
// The provider object only describes the provider (no reading or writing
// services); Compass analyses are read through its data server
// (KSBrukerCompassDataServer), which shows one analysis as the standard
// object tree over CBrukerCompassDataServerImpl.
#pragma once

#include "dataproviderimpl.h"
#include "kscontract.h"
#include "ksregistrar.h"

inline constexpr GUID LIBID_KSBrukerCompassProviderLib = ks::guid("07F8DC46-6EF9-4AD5-98CF-6E5484382DF2");

inline constexpr CLSID CLSID_KSBrukerCompassProvider = ks::guid("D3BF73AA-AA0D-46E7-B1A9-FC955EE1ED83");
inline constexpr CLSID CLSID_KSBrukerCompassDataServer = ks::guid("5EEAEB68-09F2-4F89-8A5E-339865772961");
// The tree's children are created by their parents only; their classes are
// not registered.
inline constexpr CLSID CLSID_KSBrukerCompassInjections = ks::guid("AD3108C9-7D97-484E-9F3A-9494CB65B11C");
inline constexpr CLSID CLSID_KSBrukerCompassInjection = ks::guid("2AA33EED-5615-40BD-994F-CCCD21FA5AFB");
inline constexpr CLSID CLSID_KSBrukerCompassFunctions = ks::guid("235C46C4-E2E1-496E-98E0-6C17157E4078");
inline constexpr CLSID CLSID_KSBrukerCompassFunction = ks::guid("6072A10F-4F6B-4851-B296-44ADEFAA4251");
inline constexpr CLSID CLSID_KSBrukerCompassTraces = ks::guid("5D455D71-360C-4F24-8105-242F0DAE1624");
inline constexpr CLSID CLSID_KSBrukerCompassTrace = ks::guid("70EC1447-7420-4D43-AC57-A1BE594215BF");

inline constexpr const wchar_t* PROGID_KSBrukerCompassProvider = L"KSBrukerCompassProvider.KSBrukerCompassProvider";
inline constexpr const wchar_t* PROGID_KSBrukerCompassDataServer =
    L"KSBrukerCompassProvider.KSBrukerCompassDataServer";

// The name the deliverable keeps its reader settings under.
inline constexpr const wchar_t* KS_BRUKERCOMPASS_SETTINGS_APP = L"KSBrukerCompassProvider";

// On the data server (derived from IDispatch, not dual): the analysis
// object of the outside Compass component that the server reads with, as
// its IDispatch (one reference for the caller), so a client can call it
// directly. E_POINTER for a null out pointer and while the server has no
// analysis object (before its first open, after a close, or when the
// component could not be created); an open that failed after creating it
// leaves it there. Late-bound callers reach the property by its name,
// "MSAnalysis" (DISPID 1), through this interface's own IDispatch.
struct IKSBrukerCompassDataServer : public IDispatch {
    virtual HRESULT get_MSAnalysis(IDispatch** ppiDisp) = 0;
};
KS_DECLARE_INTERFACE(IKSBrukerCompassDataServer, IDispatch, "55FACDAC-2450-4006-AB07-70983DF89ED0")
KS_DECLARE_DISPATCH_TABLE(IKSBrukerCompassDataServer)
inline constexpr IID IID_IKSBrukerCompassDataServer = KS_IID(IKSBrukerCompassDataServer);

// Answers IKSDataProvider (also as IDispatch), IKSDataProvider2 and
// IKSDataProvider3. Flags 0 and no services: GetService answers S_OK with
// no object for every name.
class CKSBrukerCompassProvider
    : public ks::Object<IKSDataProviderImpl<CKSBrukerCompassProvider>,
                        IKSDataProvider2Impl<CKSBrukerCompassProvider>,
                        IKSDataProvider3Impl<CKSBrukerCompassProvider>> {
public:
    KS_DECLARE_REGISTRY(L"KSBrukerCompassProvider", L"KSBrukerCompassProvider", CLSID_KSBrukerCompassProvider,
                        &LIBID_KSBrukerCompassProviderLib)

    CKSBrukerCompassProvider();
};
