// The component MassLynxRaw.so: the seven reading classes, each registered
// by class identifier.
#include "ksclassfactory.h"
#include "ksregistrar.h"
#include "masslynxobjects.h"

namespace {

const bool kEntries = [] {
    for (const masslynx::ClassEntry& c : masslynx::classes())
        ks::module().addClass(*c.clsid, c.create, c.updateRegistry);
    return true;
}();

HRESULT registerServer() { return ks::registerServer(); }
HRESULT unregisterServer() { return ks::unregisterServer(); }

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
