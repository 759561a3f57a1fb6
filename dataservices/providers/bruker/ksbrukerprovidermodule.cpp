// The KSBrukerProvider component: the provider class, the data server's
// object tree over CBrukerDataServerImpl, and the registration that
// announces the provider to the provider server.
#include "ksbrukerprovider.h"

#include "brukerdataserver.h"
#include "ksclassfactory.h"
#include "ksdataservertree.h"
#include "ksregistrar.h"
#include "providerregistration.h"
#include "readersettings.h"

// The provider's remembered folders belong to this deliverable.
KS_SETTINGS_APP_NAME(L"KSBrukerProvider");

namespace {

class CKSBrukerTrace : public CKSTraceTemplate<CKSBrukerTrace, CBrukerDataServerImpl, &LIBID_KSBrukerProviderLib> {};
class CKSBrukerTraces : public CKSTracesTemplate<CKSBrukerTraces, CBrukerDataServerImpl, CKSBrukerTrace,
                                                 &LIBID_KSBrukerProviderLib> {};
class CKSBrukerFunction
    : public CKSFunctionTemplate<CKSBrukerFunction, CBrukerDataServerImpl, &LIBID_KSBrukerProviderLib> {};
class CKSBrukerFunctions : public CKSFunctionsTemplate<CKSBrukerFunctions, CBrukerDataServerImpl, CKSBrukerFunction,
                                                       &LIBID_KSBrukerProviderLib> {};
class CKSBrukerInjection
    : public CKSInjectionTemplate<CKSBrukerInjection, CBrukerDataServerImpl, CKSBrukerFunctions, CKSBrukerTraces,
                                  &LIBID_KSBrukerProviderLib> {};
class CKSBrukerInjections : public CKSInjectionsTemplate<CKSBrukerInjections, CBrukerDataServerImpl,
                                                         CKSBrukerInjection, &LIBID_KSBrukerProviderLib> {};

class CKSBrukerDataServer
    : public CKSDataServerTemplate<CKSBrukerDataServer, CBrukerDataServerImpl, CKSBrukerInjections,
                                   &CLSID_KSBrukerDataServer, &LIBID_KSBrukerProviderLib> {
public:
    KS_DECLARE_REGISTRY(L"KSBrukerProvider", L"KSBrukerDataServer", CLSID_KSBrukerDataServer,
                        &LIBID_KSBrukerProviderLib)
};

KS_OBJECT_ENTRY(CLSID_KSBrukerProvider, CKSBrukerProvider);
KS_OBJECT_ENTRY(CLSID_KSBrukerDataServer, CKSBrukerDataServer);

const CLSID kProviderClasses[] = {CLSID_KSBrukerProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSBrukerProviderLib, 1, 0, 0, L"KSBrukerProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
