// Methods whose behaviour is not built yet: each answers 2 (the engine
// failed) and writes nothing.
#include "ombrelobject.h"

HRESULT COmbrel::GetStatusLogForScanNum(LONG, double*, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogForRT(double*, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogLabelsForScanNum(LONG, double*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogLabelsForRT(double*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogValueForScanNum(LONG, BSTR, double*, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogValueForRT(double*, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraForScanNum(LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraForRT(double*, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraLabelsForScanNum(LONG, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraLabelsForRT(double*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraValueForScanNum(LONG, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTrailerExtraValueForRT(double*, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetErrorLogItem(LONG, double*, BSTR*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTuneData(LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetChroData(LONG, LONG, LONG, BSTR, BSTR, BSTR, double, double*, double*, LONG, LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTuneDataValue(LONG, BSTR, VARIANT*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetTuneDataLabels(LONG, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogForPos(LONG, VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetStatusLogPlottableIndex(VARIANT*, VARIANT*, LONG*) { return kOmbrelEngineFailed; }
HRESULT COmbrel::GetChros(LONG, double*, double*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) { return kOmbrelEngineFailed; }
