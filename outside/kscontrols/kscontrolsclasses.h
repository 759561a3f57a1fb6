// Classes of the spectrum-object library stand-in. The spectrum,
// chromatogram and collection classes are the library's own identifiers
// (kscontrols.h in the contract); the peak-detection class is the
// stand-in's, since clients supply their own peak detection.
#pragma once

#include "kscontrols.h"

inline constexpr CLSID CLSID_KSPeakDetection = ks::guid("228D5B64-BFD7-4B91-88C0-BD973F8E99BD");
