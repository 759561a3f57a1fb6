// The MassLynx header handling: whatever the bytes, the first-line check
// of "_header.txt" reads at most its 999 bytes, and the ionisation and
// polarity of functions 0 to 3 come out of the bytes as a header text
// (each byte one character, as the header class hands it out) with a
// polarity of 1 or 2. The same text is read as a data-source string and
// as a scan text, which callers hand in.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "masslynxformat.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    const bool header = IsMassLynxHeaderLine(bytes, size);
    // Only the first 999 bytes count.
    if (size > 999)
        check(header == IsMassLynxHeaderLine(bytes, 999));

    std::wstring text(size, L'\0');
    for (size_t i = 0; i < size; ++i)
        text[i] = static_cast<wchar_t>(data[i]);
    for (LONG n = 0; n < 4; ++n) {
        std::wstring ionisation;
        LONG polarity = 0;
        FindIonisation(text, n, ionisation, polarity);
        check(polarity == 1 || polarity == 2);
        check(ionisation.size() <= text.size() || ionisation == L"Unknown");
        for (wchar_t c : ionisation)
            check(c > 32 && c != L'+' && c != L'-');
    }

    std::wstring path, scanText;
    LONG function = 0;
    if (ParseMassLynxDataSource(text, path, function, scanText)) {
        check(!path.empty() && path.size() <= 258);
        // What was read is made again into a string that reads the same.
        std::wstring again, scanAgain;
        LONG functionAgain = 0;
        check(ParseMassLynxDataSource(MakeMassLynxDataSource(path, function), again, functionAgain, scanAgain));
        check(again == path && functionAgain == function && scanAgain.empty());
    }
    LONG scan = 0;
    if (ParseScanText(text, scan)) {
        LONG again = 0;
        check(ParseScanText(MakeScanText(scan, true), again) && again == scan);
    }

    // Where a scan's points start, over the bytes as masses.
    std::vector<double> masses(data, data + size);
    const LONG first = FirstRisingPoint(masses.data(), static_cast<LONG>(masses.size()));
    check(first >= 0 && (size == 0 || static_cast<size_t>(first) < size));
    return 0;
}
