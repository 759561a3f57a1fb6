// The component IonTrapAnalysis.so: one class, the analysis, registered
// by class identifier.
#include "iontrapobjects.h"
#include "ksclassfactory.h"
#include "ksregistrar.h"

namespace {

const ks::ObjectEntryRegistrar kAnalysisEntry(CLSID_IonTrapAnalysis, &iontrap::createAnalysis,
                                              &iontrap::updateAnalysisRegistry);

HRESULT registerServer() { return ks::registerServer(); }
HRESULT unregisterServer() { return ks::unregisterServer(); }

}  // namespace

KS_IMPLEMENT_COMPONENT_ENTRY_POINTS(registerServer, unregisterServer)
