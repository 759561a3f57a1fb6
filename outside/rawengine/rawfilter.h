// Raw-file engine stand-in: scan filters, their text and their matching.
//
// A CFilter is ScanFields (rawevent.h) in which "Any" means "not stated",
// with the mass precision it was written or parsed with. A scan passes a
// filter when every stated field equals the scan event's (an event whose
// field is "any" does not satisfy a stated one); "ms" states MS order 1
// exactly. Reactions of the filter must match the event's first reactions
// in order, precursor masses within half a unit of the filter's mass
// precision (0.005 at 2 decimals), energies within 0.005 when the filter
// states one and the activation when it names one; stated mass ranges must
// match the event's ranges one for one within the same half unit.
//
// Filter text (README.md, "Filter grammar"): whitespace-separated tokens
// matched without regard to case, each field at most once, then an
// optional bracketed list of mass ranges, for example
//     FTMS + p ESI d Full ms2 500.00@35.00 [135.00-1000.00]
// GetFilterString writes the canonical text: the stated fields in a fixed
// order, masses with the precision's decimals, energies with
// `energyDecimals` (2); parsing that text and writing it again gives the
// same text. ParseFilter refuses what is not the grammar as a whole: no
// partial filter comes out of a text that does not parse.
//
// Values; no operation throws except for what rawtesthooks.h injects.
#pragma once

#include "rawevent.h"

#include <optional>
#include <string>
#include <vector>

namespace rawengine {

class RAWENGINE_API CFilter {
public:
    // Accepts every scan; precision 2.
    CFilter();
    CFilter(const ScanFields& fields, int precision);
    // The filter of a scan: its event's fields, with the switches that are
    // off (dependent, wideband, turbo, corona, source CID, custom) left
    // open, so the filter of a scan that is not dependent selects
    // dependent scans of its kind too.
    static CFilter FromScanEvent(const CScanEvent& event, int precision);

    bool Matches(const CScanEvent& event) const;
    // Canonical text; `maxReactions` -1 writes every reaction.
    std::wstring GetFilterString(int precision, int maxReactions = -1, int energyDecimals = 2) const;
    int GetMassRangeN() const { return int(fields.massRanges.size()); }
    const std::vector<MassRange>& GetMassRanges() const { return fields.massRanges; }

    ScanFields fields;
    int precision = 2;
};

// The text of `fields` in the grammar: the fields stated, a switch that is
// off as "!" and its word.
RAWENGINE_API std::wstring FieldsToText(const ScanFields& fields, int precision, int maxReactions, int energyDecimals);

// Parses filter text. Nothing, with the reason and the character position
// in `why` when given, for text that is not a filter. Empty or blank text
// is the filter that accepts everything.
struct FilterParseError {
    std::string reason;
    size_t position = 0;
};
RAWENGINE_API std::optional<CFilter> ParseFilter(const std::wstring& text, int precision,
                                                 FilterParseError* why = nullptr);

// Largest number of decimals masses are written with.
constexpr int kMaxMassPrecision = 10;

}  // namespace rawengine
