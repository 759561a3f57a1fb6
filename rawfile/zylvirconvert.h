// The writers' records turned into the engine's: scan events, scan-index
// entries and peaks. Plain functions without state, so the rules can be
// tested on their own.
//
// A scan event keeps only what the engine's event can say, and some of
// that lossily, as callers of the original writer saw it:
// - positive only for MS_Positive (MS_AnyPolarity becomes negative);
//   profile only for MS_Profile;
// - ionisation only for electrospray, APCI (with its corona setting) and
//   nanospray; every other mode leaves the engine's "any";
// - source fragmentation only when it is on with exactly one valid value;
// - the switches turbo (MS_TurboScanOn), dependent, wideband and custom
//   are on or off, never "any";
// - scan types full to CRM, MS orders 1 to 10 and -1 to -3 (neutral loss,
//   neutral gain, parent); other values keep the engine's full scan and
//   MS order 1;
// - nlScanTypeIndex, eDetector, dDetectorValue and eSourceCIDType are not
//   carried.
#pragma once

#include "zylvir.h"

#include "rawevent.h"
#include "rawmodel.h"
#include "rawtypes.h"

namespace zylvir {

// The defaults InitializeScanEvent writes: every field "any", valid, no
// ranges, precursors or fragmentation values (their validity flags
// cleared; the other arrays keep what they held).
void initializeScanEvent(MS_ScanEvent& event);

// The engine event of a record. E_INVALIDARG, leaving `out` alone, when a
// count lies outside what the record holds (0 to 50 mass ranges, 0 to 10
// precursors, 0 to 50 fragmentation values).
HRESULT toEngineEvent(const MS_ScanEvent& in, rawengine::CScanEvent& out);

// A text the caller may leave out: null or empty keeps the default.
inline bool given(const wchar_t* text) { return text && *text; }

// An instrument identity holding the texts given (the others empty).
rawengine::CInstID identity(const wchar_t* name, const wchar_t* model, const wchar_t* serialNumber,
                            const wchar_t* softwareVersion);

rawengine::ScanIndex toEngineIndex(const MS_ScanIndex& in);
rawengine::UVScanIndex toEngineUVIndex(const MS_UVScanIndex& in);
rawengine::DataPeak toEnginePeak(const MS_DataPeak& in);

}  // namespace zylvir
