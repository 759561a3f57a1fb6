// The component Ombrel2: its class map (the reader and the two writers),
// its registration and the engine's initialisation when the component is
// loaded.
#include "ombrelobject.h"
#include "zylvirms.h"
#include "zylviruv.h"

#include "ksregistrar.h"
#include "rawtypes.h"

namespace {

KS_OBJECT_ENTRY(CLSID_Ombrel, COmbrel);
KS_OBJECT_ENTRY(CLSID_ZylVirMS, CZylVirMS);
KS_OBJECT_ENTRY(CLSID_ZylVirUV, CZylVirUV);

const ks::TypeLibRegistration kTypeLib{LIBID_OMBREL2Lib, 1, 0, 0, L"Ombrel2 1.0 Type Library"};

HRESULT registerServer() { return ks::registerServer(&kTypeLib); }
HRESULT unregisterServer() { return ks::unregisterServer(&kTypeLib); }

// The engine's file and global libraries are initialised once, when the
// component is loaded (before any class factory is asked).
struct EngineInitialisation {
    EngineInitialisation()
    {
        rawengine::FIO_Init();
        rawengine::FG_Init();
    }
} g_engineInitialisation;

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
