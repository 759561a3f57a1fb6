// The KSTextProvider component: the provider class, the data server's
// object tree over CTextDataServerImpl, and the registration that announces
// the provider to the provider server.
#include "kstextprovider.h"

#include "ksclassfactory.h"
#include "ksdataservertree.h"
#include "ksregistrar.h"
#include "providerregistration.h"
#include "readersettings.h"
#include "textdataserver.h"

// The provider's remembered folders belong to this deliverable.
KS_SETTINGS_APP_NAME(L"KSTextProvider");

namespace {

class CKSTextTrace : public CKSTraceTemplate<CKSTextTrace, CTextDataServerImpl, &LIBID_KSTEXTPROVIDERLib> {};
class CKSTextTraces
    : public CKSTracesTemplate<CKSTextTraces, CTextDataServerImpl, CKSTextTrace, &LIBID_KSTEXTPROVIDERLib> {};
class CKSTextFunction
    : public CKSFunctionTemplate<CKSTextFunction, CTextDataServerImpl, &LIBID_KSTEXTPROVIDERLib> {};
class CKSTextFunctions : public CKSFunctionsTemplate<CKSTextFunctions, CTextDataServerImpl, CKSTextFunction,
                                                     &LIBID_KSTEXTPROVIDERLib> {};
class CKSTextInjection : public CKSInjectionTemplate<CKSTextInjection, CTextDataServerImpl, CKSTextFunctions,
                                                     CKSTextTraces, &LIBID_KSTEXTPROVIDERLib> {};
class CKSTextInjections : public CKSInjectionsTemplate<CKSTextInjections, CTextDataServerImpl, CKSTextInjection,
                                                       &LIBID_KSTEXTPROVIDERLib> {};

// Answers IKSDataServer, IKSDataServer3 and IDispatch, not IKSDataServer2.
class CKSTextDataServer
    : public CKSDataServerTemplate<CKSTextDataServer, CTextDataServerImpl, CKSTextInjections,
                                   &CLSID_KSTextDataServer, &LIBID_KSTEXTPROVIDERLib> {
public:
    KS_DECLARE_REGISTRY(L"KSTextProvider", L"KSTextDataServer", CLSID_KSTextDataServer, &LIBID_KSTEXTPROVIDERLib)
};

KS_OBJECT_ENTRY(CLSID_KSTextProvider, CKSTextProvider);
KS_OBJECT_ENTRY(CLSID_KSTextDataServer, CKSTextDataServer);

const CLSID kProviderClasses[] = {CLSID_KSTextProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSTEXTPROVIDERLib, 1, 0, 0, L"KSTextProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
