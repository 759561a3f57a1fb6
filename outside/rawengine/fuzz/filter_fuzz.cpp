// Filter text: whatever the characters, parsing ends; a text that parses
// writes canonical text that parses and writes the same text again, and
// the filter selects a scan event made of its own fields.
#include "rawfilter.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace rawengine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses the mass precision; the rest is Latin-1 text.
    const int precision = data[0] % (kMaxMassPrecision + 1);
    std::wstring text;
    for (size_t i = 1; i < size; ++i)
        text.push_back(wchar_t(data[i]));
    const std::optional<CFilter> f = ParseFilter(text, precision);
    if (!f)
        return 0;
    const std::wstring once = f->GetFilterString(precision);
    const std::optional<CFilter> again = ParseFilter(once, precision);
    if (!again || again->GetFilterString(precision) != once)
        std::abort();  // the writer wrote text its own reader refuses or changes
    CScanEvent event;
    static_cast<ScanFields&>(event) = f->fields;
    if (!f->Matches(event) || !again->Matches(event))
        std::abort();
    const std::optional<CFilter> own = ParseFilter(event.GetScanEventString(precision), precision);
    if (!own || !own->Matches(event))
        std::abort();
    return 0;
}
