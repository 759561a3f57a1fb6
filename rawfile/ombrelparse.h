// The reader's two text parsers, shared by the mass-list, averaging and
// chromatogram methods. Both go through the engine's filter grammar.
#pragma once

#include "rawfilter.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ombrel {

// A new engine filter of a scan-filter text at a mass precision; null for
// a null or empty text and for text that does not parse (the callers
// answer 7). Nothing of a text that does not parse is used.
std::unique_ptr<rawengine::CFilter> ParseScanFilter(const wchar_t* text, int precision);

// Mass ranges written "low-high, low-high" (the text is read as a bracketed
// range list). On success the list holds the ranges in the order written;
// on failure it is left as it was.
bool ParseMassRanges(const wchar_t* text, std::vector<std::pair<double, double>>& ranges);

}  // namespace ombrel
