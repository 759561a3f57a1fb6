// Methods whose behaviour is not built yet: each answers 2 (the engine
// failed) and writes nothing.
#include "ombrelobject.h"

HRESULT COmbrel::GetChroData(LONG, LONG, LONG, BSTR, BSTR, BSTR, double, double*, double*, LONG, LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetChros(LONG, double*, double*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) { return kOmbrelEngineFailed; }
