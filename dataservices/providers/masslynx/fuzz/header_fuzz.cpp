// The MassLynx header handling: whatever the bytes, the first-line check
// of "_header.txt" reads at most its 999 bytes, and the ionisation and
// polarity of functions -1 to 3 and of the numbers the text names come out
// of the bytes as a header text (each byte one character, as the header
// class hands it out) with a polarity of 1 or 2, as a search of the words
// from the start of the header finds them. The same text is read as a data-source string and
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

// FindIonisation as the words read, one search at a time from the start of
// the header: what the index answers for every function.
void CollectValue(const std::wstring& header, size_t at, std::wstring& ionisation, LONG& polarity)
{
    while (at < header.size() && (header[at] == L' ' || header[at] == L'\t'))
        ++at;
    ionisation.clear();
    polarity = 1;
    for (; at < header.size() && static_cast<unsigned long>(header[at]) > 32; ++at) {
        if (header[at] == L'+')
            break;
        if (header[at] == L'-') {
            polarity = 2;
            break;
        }
        ionisation += header[at];
    }
    ionisation = ionisation.substr(0, kMaxIonisationText);
}

void SearchIonisation(const std::wstring& header, LONG n, std::wstring& ionisation, LONG& polarity)
{
    ionisation = L"Unknown";
    polarity = 1;
    const std::wstring heading = L"Instrument Parameters - Function " + std::to_wstring(n) + L":";
    const size_t h = header.find(heading);
    if (h != std::wstring::npos && h > 0) {
        const size_t p = header.find(L"Polarity", h + heading.size());
        if (p != std::wstring::npos)
            return CollectValue(header, p + 8, ionisation, polarity);
    }
    const std::wstring word = L"Function " + std::to_wstring(n);
    for (size_t at = header.find(word); at != std::wstring::npos; at = header.find(word, at + 1)) {
        const size_t end = at + word.size();
        if (at > 0 && end < header.size() && (header[end] == L'\r' || header[end] == L'\n')) {
            const size_t m = header.find(L"Ionization mode:", end + 1);
            if (m != std::wstring::npos)
                CollectValue(header, m + 16, ionisation, polarity);
            return;
        }
    }
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
    // Functions -1 to 3 and each number a header line names (bounded: the
    // reference search is quadratic).
    const CMassLynxIonisationIndex index(text);
    std::vector<LONG> numbers = {-1, 0, 1, 2, 3};
    for (size_t at = text.find(L"Function "); at != std::wstring::npos && numbers.size() < 40;
         at = text.find(L"Function ", at + 1)) {
        size_t i = at + 9;
        LONG n = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && n < 100000)
            n = n * 10 + static_cast<LONG>(text[i++] - L'0');
        numbers.push_back(n);
    }
    for (LONG n : numbers) {
        std::wstring ionisation, expected;
        LONG polarity = 0, expectedPolarity = 0;
        index.Find(n, ionisation, polarity);
        SearchIonisation(text, n, expected, expectedPolarity);
        check(ionisation == expected && polarity == expectedPolarity);
        check(polarity == 1 || polarity == 2);
        check(ionisation.size() <= kMaxIonisationText);
        for (wchar_t c : ionisation)
            check(static_cast<unsigned long>(c) > 32 && c != L'+' && c != L'-');
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
