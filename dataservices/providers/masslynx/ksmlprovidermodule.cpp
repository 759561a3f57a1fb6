// The KSMLProvider_4_1 component: the provider class, the data server's
// object tree over CMLDataServerImpl, the registration that announces the
// provider to the provider server, and the application name of the
// deliverable's reader settings.
#include "ksmlprovider.h"

#include "ksclassfactory.h"
#include "ksdataservertree.h"
#include "ksregistrar.h"
#include "mldataserver.h"
#include "providerregistration.h"
#include "readersettings.h"

// The provider's remembered folder ("Source Path") belongs to this
// deliverable, from the moment it loads.
KS_SETTINGS_APP_NAME(KS_MASSLYNX_SETTINGS_APP);

namespace {

class CKSMLTrace : public CKSTraceTemplate<CKSMLTrace, CMLDataServerImpl, &LIBID_KSMLPROVIDERLib> {};
class CKSMLTraces
    : public CKSTracesTemplate<CKSMLTraces, CMLDataServerImpl, CKSMLTrace, &LIBID_KSMLPROVIDERLib> {};
class CKSMLFunction : public CKSFunctionTemplate<CKSMLFunction, CMLDataServerImpl, &LIBID_KSMLPROVIDERLib> {};
class CKSMLFunctions
    : public CKSFunctionsTemplate<CKSMLFunctions, CMLDataServerImpl, CKSMLFunction, &LIBID_KSMLPROVIDERLib> {};
class CKSMLInjection : public CKSInjectionTemplate<CKSMLInjection, CMLDataServerImpl, CKSMLFunctions, CKSMLTraces,
                                                   &LIBID_KSMLPROVIDERLib> {};
class CKSMLInjections
    : public CKSInjectionsTemplate<CKSMLInjections, CMLDataServerImpl, CKSMLInjection, &LIBID_KSMLPROVIDERLib> {};

// Answers IKSDataServer, IKSDataServer3 and IDispatch.
class CKSMLDataServer : public CKSDataServerTemplate<CKSMLDataServer, CMLDataServerImpl, CKSMLInjections,
                                                     &CLSID_KSMLDataServer, &LIBID_KSMLPROVIDERLib> {
public:
    KS_DECLARE_REGISTRY(L"KSMLProvider", L"KSMLDataServer", CLSID_KSMLDataServer, &LIBID_KSMLPROVIDERLib)
};

KS_OBJECT_ENTRY(CLSID_KSMLProvider, CKSMLProvider);
KS_OBJECT_ENTRY(CLSID_KSMLDataServer, CKSMLDataServer);

const CLSID kProviderClasses[] = {CLSID_KSMLProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSMLPROVIDERLib, 1, 0, 0, L"KSMLProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
