// File, sequence-row, run-header and instrument values: one stored value
// per method.
#include "ombrelobject.h"
#include "ombreloutputs.h"

using namespace rawengine;

HRESULT COmbrel::GetNumSpectra(LONG* pnNumberOfSpectra)
{
    return ombrel::member([&]() -> HRESULT {
        if (const HRESULT hr = needController())
            return hr;
        if (!pnNumberOfSpectra)
            return kOmbrelBadArgument;
        *pnNumberOfSpectra = m_current->GetRunHeader().numSpectra;
        return kOmbrelDone;
    });
}
