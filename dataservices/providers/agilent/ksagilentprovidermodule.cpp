// The KSAgilentProvider component: the ChemStation and ion-trap provider
// classes, the data servers' object trees over CLCMSDDataServerImpl and
// CAgilentIonTrapDataServerImpl, the registration that announces both
// providers to the provider server, and the application name of the
// deliverable's reader settings.
#include "ksagilentprovider.h"

#include "iontrapdataserver.h"

#include "ksclassfactory.h"
#include "ksdataservertree.h"
#include "ksregistrar.h"
#include "lcmsddataserver.h"
#include "providerregistration.h"
#include "readersettings.h"

// The provider's remembered folder ("Source Path") belongs to this
// deliverable, from the moment it loads.
KS_SETTINGS_APP_NAME(KS_AGILENT_SETTINGS_APP);

namespace {

class CKSLCMSDTrace : public CKSTraceTemplate<CKSLCMSDTrace, CLCMSDDataServerImpl, &LIBID_KSAGILENTPROVIDERLib> {};
class CKSLCMSDTraces : public CKSTracesTemplate<CKSLCMSDTraces, CLCMSDDataServerImpl, CKSLCMSDTrace,
                                                &LIBID_KSAGILENTPROVIDERLib> {};
class CKSLCMSDFunction
    : public CKSFunctionTemplate<CKSLCMSDFunction, CLCMSDDataServerImpl, &LIBID_KSAGILENTPROVIDERLib> {};
class CKSLCMSDFunctions : public CKSFunctionsTemplate<CKSLCMSDFunctions, CLCMSDDataServerImpl, CKSLCMSDFunction,
                                                      &LIBID_KSAGILENTPROVIDERLib> {};
class CKSLCMSDInjection : public CKSInjectionTemplate<CKSLCMSDInjection, CLCMSDDataServerImpl, CKSLCMSDFunctions,
                                                      CKSLCMSDTraces, &LIBID_KSAGILENTPROVIDERLib> {};
class CKSLCMSDInjections : public CKSInjectionsTemplate<CKSLCMSDInjections, CLCMSDDataServerImpl,
                                                        CKSLCMSDInjection, &LIBID_KSAGILENTPROVIDERLib> {};

// Answers IKSDataServer, IKSDataServer3 and IDispatch, not IKSDataServer2.
class CKSLCMSDDataServer
    : public CKSDataServerTemplate<CKSLCMSDDataServer, CLCMSDDataServerImpl, CKSLCMSDInjections,
                                   &CLSID_KSLCMSDDataServer, &LIBID_KSAGILENTPROVIDERLib> {
public:
    KS_DECLARE_REGISTRY(L"KSAgilentProvider", L"KSLCMSDDataServer", CLSID_KSLCMSDDataServer,
                        &LIBID_KSAGILENTPROVIDERLib)
};

using IonTrapReader = CAgilentIonTrapDataServerImpl;
class CKSAgilentIonTrapTrace
    : public CKSTraceTemplate<CKSAgilentIonTrapTrace, IonTrapReader, &LIBID_KSAGILENTPROVIDERLib> {};
class CKSAgilentIonTrapTraces : public CKSTracesTemplate<CKSAgilentIonTrapTraces, IonTrapReader,
                                                         CKSAgilentIonTrapTrace, &LIBID_KSAGILENTPROVIDERLib> {};
class CKSAgilentIonTrapFunction
    : public CKSFunctionTemplate<CKSAgilentIonTrapFunction, IonTrapReader, &LIBID_KSAGILENTPROVIDERLib> {};
class CKSAgilentIonTrapFunctions
    : public CKSFunctionsTemplate<CKSAgilentIonTrapFunctions, IonTrapReader, CKSAgilentIonTrapFunction,
                                  &LIBID_KSAGILENTPROVIDERLib> {};
class CKSAgilentIonTrapInjection
    : public CKSInjectionTemplate<CKSAgilentIonTrapInjection, IonTrapReader, CKSAgilentIonTrapFunctions,
                                  CKSAgilentIonTrapTraces, &LIBID_KSAGILENTPROVIDERLib> {};
class CKSAgilentIonTrapInjections
    : public CKSInjectionsTemplate<CKSAgilentIonTrapInjections, IonTrapReader, CKSAgilentIonTrapInjection,
                                   &LIBID_KSAGILENTPROVIDERLib> {};

// Answers IKSDataServer, IKSDataServer3 and IDispatch, not IKSDataServer2.
class CKSAgilentIonTrapDataServer
    : public CKSDataServerTemplate<CKSAgilentIonTrapDataServer, IonTrapReader, CKSAgilentIonTrapInjections,
                                   &CLSID_KSAgilentIonTrapDataServer, &LIBID_KSAGILENTPROVIDERLib> {
public:
    KS_DECLARE_REGISTRY(L"KSAgilentProvider", L"KSAgilentIonTrapDataServer", CLSID_KSAgilentIonTrapDataServer,
                        &LIBID_KSAGILENTPROVIDERLib)
};

KS_OBJECT_ENTRY(CLSID_KSLCMSDProvider, CKSLCMSDProvider);
KS_OBJECT_ENTRY(CLSID_KSLCMSDDataServer, CKSLCMSDDataServer);
KS_OBJECT_ENTRY(CLSID_KSAgilentIonTrapProvider, CKSAgilentIonTrapProvider);
KS_OBJECT_ENTRY(CLSID_KSAgilentIonTrapDataServer, CKSAgilentIonTrapDataServer);

// Both providers are announced, the ChemStation one first.
const CLSID kProviderClasses[] = {CLSID_KSLCMSDProvider, CLSID_KSAgilentIonTrapProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSAGILENTPROVIDERLib, 1, 0, 0, L"KSAgilentProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
