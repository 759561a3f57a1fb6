// The automation objects of the ion-trap stand-in, for the component's
// object map and for programs that serve the class in process (the
// reader's fuzz target registers it with ksRegisterClassObject).
#pragma once

#include "iontrapanalysis.h"

namespace iontrap {

// Creates an analysis object (no aggregation) answering riid.
HRESULT createAnalysis(IUnknown* outer, REFIID riid, void** ppv);

// Writes or removes the class's registry entries: class identifier only
// (InprocServer32, "Apartment"; no ProgID, no type library), as the
// outside component is created.
HRESULT updateAnalysisRegistry(bool registering);

}  // namespace iontrap
