// The KSBrukerCompassProvider component: the provider class, the data
// server's object tree over CBrukerCompassDataServerImpl with the data
// server's own IKSBrukerCompassDataServer, the registration that announces
// the provider to the provider server, and the application name of the
// deliverable's reader settings.
#include "ksbrukercompassprovider.h"

#include "brukercompassdataserver.h"
#include "ksclassfactory.h"
#include "ksdataservertree.h"
#include "ksnothrow.h"
#include "ksregistrar.h"
#include "providerregistration.h"
#include "readersettings.h"

// Reader settings of this deliverable are its own, from the moment it
// loads.
KS_SETTINGS_APP_NAME(KS_BRUKERCOMPASS_SETTINGS_APP);

KS_DISPATCH_TABLE(IKSBrukerCompassDataServer)
{
    static const ks::DispTable table{{
        ks::dispGet(L"MSAnalysis", 1, &IKSBrukerCompassDataServer::get_MSAnalysis),
    }};
    return table;
}

namespace {

using Reader = CBrukerCompassDataServerImpl;
constexpr const GUID* kLib = &LIBID_KSBrukerCompassProviderLib;
class CKSBrukerCompassTrace : public CKSTraceTemplate<CKSBrukerCompassTrace, Reader, kLib> {};
class CKSBrukerCompassTraces
    : public CKSTracesTemplate<CKSBrukerCompassTraces, Reader, CKSBrukerCompassTrace, kLib> {};
class CKSBrukerCompassFunction : public CKSFunctionTemplate<CKSBrukerCompassFunction, Reader, kLib> {};
class CKSBrukerCompassFunctions
    : public CKSFunctionsTemplate<CKSBrukerCompassFunctions, Reader, CKSBrukerCompassFunction, kLib> {};
class CKSBrukerCompassInjection
    : public CKSInjectionTemplate<CKSBrukerCompassInjection, Reader, CKSBrukerCompassFunctions,
                                  CKSBrukerCompassTraces, kLib> {};
class CKSBrukerCompassInjections
    : public CKSInjectionsTemplate<CKSBrukerCompassInjections, Reader, CKSBrukerCompassInjection, kLib> {};

// The only data server of the system that answers IKSDataServer2 (its
// OpenFromStorage stays the framework's E_NOTIMPL).
using DataServerBase = CKSDataServerTemplate<class CKSBrukerCompassDataServer, Reader, CKSBrukerCompassInjections,
                                             &CLSID_KSBrukerCompassDataServer, kLib, true>;

// Answers IKSDataServer (also as IDispatch), IKSDataServer2, IKSDataServer3
// and IKSBrukerCompassDataServer. The template lists only the data-server
// interfaces; IKSBrukerCompassDataServer is a further base of this class,
// answered through QueryInterfaceExtra with the object's own IUnknown, so
// every interface of the object shares one identity and one count.
class CKSBrukerCompassDataServer : public DataServerBase, public ks::Dual<IKSBrukerCompassDataServer> {
public:
    KS_DECLARE_REGISTRY(L"KSBrukerCompassProvider", L"KSBrukerCompassDataServer", CLSID_KSBrukerCompassDataServer,
                        kLib)

    // IUnknown of IKSBrukerCompassDataServer: the object's.
    HRESULT QueryInterface(REFIID riid, void** ppv) override { return DataServerBase::QueryInterface(riid, ppv); }
    ULONG AddRef() override { return DataServerBase::AddRef(); }
    ULONG Release() override { return DataServerBase::Release(); }

    HRESULT get_MSAnalysis(IDispatch** ppiDisp) override
    {
        return ks::noThrow(
            [&] {
                if (!ppiDisp)
                    return E_POINTER;
                *ppiDisp = nullptr;
                ICompassAnalysis* analysis = GetReader()->Analysis();
                if (!analysis)
                    return E_POINTER;
                return analysis->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ppiDisp));
            },
            ppiDisp);
    }

protected:
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) override
    {
        if (riid != IID_IKSBrukerCompassDataServer)
            return E_NOINTERFACE;
        IKSBrukerCompassDataServer* extra = this;
        extra->AddRef();
        *ppv = extra;
        return S_OK;
    }
};

KS_OBJECT_ENTRY(CLSID_KSBrukerCompassProvider, CKSBrukerCompassProvider);
KS_OBJECT_ENTRY(CLSID_KSBrukerCompassDataServer, CKSBrukerCompassDataServer);

const CLSID kProviderClasses[] = {CLSID_KSBrukerCompassProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSBrukerCompassProviderLib, 1, 0, 0,
                                       L"KSBrukerCompassProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
