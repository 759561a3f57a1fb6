// The KSTavrionProvider component: the provider class, the data server's
// object tree over CTavrionDataServerImpl with the data server's own
// IKSTavrionDataServer, the registration that announces the provider to
// the provider server, and the application name of the deliverable's
// reader settings.
#include "kstavrionprovider.h"

#include "ksclassfactory.h"
#include "ksdataservertree.h"
#include "ksnothrow.h"
#include "ksregistrar.h"
#include "providerregistration.h"
#include "readersettings.h"
#include "tavriondataserver.h"

// The provider's remembered file ("Source Path") belongs to this
// deliverable, from the moment it loads.
KS_SETTINGS_APP_NAME(KS_TAVRION_SETTINGS_APP);

KS_DISPATCH_TABLE(IKSTavrionDataServer)
{
    static const ks::DispTable table{{
        ks::dispGet(L"Ombrel", 1, &IKSTavrionDataServer::get_Ombrel),
    }};
    return table;
}

namespace {

using Reader = CTavrionDataServerImpl;
class CKSTavrionTrace : public CKSTraceTemplate<CKSTavrionTrace, Reader, &LIBID_KSTAVRIONPROVIDERLib> {};
class CKSTavrionTraces
    : public CKSTracesTemplate<CKSTavrionTraces, Reader, CKSTavrionTrace, &LIBID_KSTAVRIONPROVIDERLib> {};
class CKSTavrionFunction : public CKSFunctionTemplate<CKSTavrionFunction, Reader, &LIBID_KSTAVRIONPROVIDERLib> {};
class CKSTavrionFunctions
    : public CKSFunctionsTemplate<CKSTavrionFunctions, Reader, CKSTavrionFunction, &LIBID_KSTAVRIONPROVIDERLib> {};
class CKSTavrionInjection : public CKSInjectionTemplate<CKSTavrionInjection, Reader, CKSTavrionFunctions,
                                                        CKSTavrionTraces, &LIBID_KSTAVRIONPROVIDERLib> {};
class CKSTavrionInjections : public CKSInjectionsTemplate<CKSTavrionInjections, Reader, CKSTavrionInjection,
                                                          &LIBID_KSTAVRIONPROVIDERLib> {};

using DataServerBase = CKSDataServerTemplate<class CKSTavrionDataServer, Reader, CKSTavrionInjections,
                                             &CLSID_KSTavrionDataServer, &LIBID_KSTAVRIONPROVIDERLib>;

// Answers IKSDataServer (also as IDispatch), IKSDataServer3 and
// IKSTavrionDataServer, not IKSDataServer2. The template lists only the
// data-server interfaces; IKSTavrionDataServer is a further base of this
// class, answered through QueryInterfaceExtra with the object's own
// IUnknown, so every interface of the object shares one identity and one
// count.
class CKSTavrionDataServer : public DataServerBase, public ks::Dual<IKSTavrionDataServer> {
public:
    KS_DECLARE_REGISTRY(L"KSTavrionProvider", L"KSTavrionDataServer", CLSID_KSTavrionDataServer,
                        &LIBID_KSTAVRIONPROVIDERLib)

    // IUnknown of IKSTavrionDataServer: the object's.
    HRESULT QueryInterface(REFIID riid, void** ppv) override { return DataServerBase::QueryInterface(riid, ppv); }
    ULONG AddRef() override { return DataServerBase::AddRef(); }
    ULONG Release() override { return DataServerBase::Release(); }

    HRESULT get_Ombrel(IDispatch** ppiDisp) override
    {
        return ks::noThrow([&] {
            if (!ppiDisp)
                return E_POINTER;
            *ppiDisp = nullptr;
            IOmbrel* reader = GetReader()->IO().GetReader();
            if (!reader)
                return E_POINTER;
            return reader->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ppiDisp));
        }, ppiDisp);
    }

protected:
    HRESULT QueryInterfaceExtra(REFIID riid, void** ppv) override
    {
        if (riid != IID_IKSTavrionDataServer)
            return E_NOINTERFACE;
        IKSTavrionDataServer* extra = this;
        extra->AddRef();
        *ppv = extra;
        return S_OK;
    }
};

KS_OBJECT_ENTRY(CLSID_KSTavrionProvider, CKSTavrionProvider);
KS_OBJECT_ENTRY(CLSID_KSTavrionDataServer, CKSTavrionDataServer);

const CLSID kProviderClasses[] = {CLSID_KSTavrionProvider};
const ks::TypeLibRegistration kTypeLib{LIBID_KSTAVRIONPROVIDERLib, 1, 0, 0, L"KSTavrionProvider 1.0 Type Library"};

}  // namespace

KS_IMPLEMENT_PROVIDER_ENTRY_POINTS(&kTypeLib, kProviderClasses)
