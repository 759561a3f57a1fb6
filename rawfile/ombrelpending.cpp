// Methods whose behaviour is not built yet: each answers 2 (the engine
// failed) and writes nothing.
#include "ombrelobject.h"

HRESULT COmbrel::GetChros(LONG, double*, double*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) { return kOmbrelEngineFailed; }
