// The component CompassAnalysis.so: one class, the analysis, registered
// by class identifier.
#include "compassobjects.h"
#include "ksclassfactory.h"
#include "ksregistrar.h"

namespace {

const ks::ObjectEntryRegistrar kAnalysisEntry(CLSID_CompassAnalysis, &compass::createAnalysis,
                                              &compass::updateAnalysisRegistry);

HRESULT registerServer() { return ks::registerServer(); }
HRESULT unregisterServer() { return ks::unregisterServer(); }

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
