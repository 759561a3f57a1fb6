// The seven reading classes of the MassLynx stand-in, for the component's
// object map and for programs that serve them in process (the reader's
// fuzz target registers them with ksRegisterClassObject).
#pragma once

#include <vector>

#include "masslynxclasses.h"

namespace masslynx {

struct ClassEntry {
    const CLSID* clsid;
    // Creates an object of the class (no aggregation) answering riid.
    HRESULT (*create)(IUnknown* outer, REFIID riid, void** ppv);
    // Writes or removes the class's registry entries: class identifier
    // only (InprocServer32, "Apartment"; no ProgID, no type library), as
    // the installation's classes are created.
    HRESULT (*updateRegistry)(bool registering);
};

// The seven, in the order of masslynxclasses.h.
const std::vector<ClassEntry>& classes();

}  // namespace masslynx
