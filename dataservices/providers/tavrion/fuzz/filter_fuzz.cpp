// Scan-filter texts and data-source strings, as a raw file or a caller
// may hand them over: any text (bytes taken as Latin-1 characters) parses
// or is refused without a crash, and what the parser answers holds
// together.
#include "tavriondatasource.h"
#include "tavrionscanfilter.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "kstextutil.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkFilter(const std::wstring& text)
{
    TavrionScanFilter filter;
    const bool parses = filter.Parse(text);
    check(filter.m_nPrecursorCount >= 0 && filter.m_nPrecursorCount <= TavrionScanFilter::kMaxPrecursors);
    check(parses == (text.find(L'@') == std::wstring::npos || filter.m_nMSOrder == filter.m_nPrecursorCount + 1));
    for (int i = filter.m_nPrecursorCount; i < TavrionScanFilter::kMaxPrecursors; ++i)
        check(filter.m_Precursors[i] == 0.0);
    const bool zoom = filter.m_nScanMode == TavrionScanModeZoom;
    check(filter.m_nFunctionType == (filter.m_nMSOrder == 1 ? (zoom ? 3 : 1) : (zoom ? 4 : 2)));
    check(filter.m_nPolarity >= -1 && filter.m_nPolarity <= 1);
    std::wstring lower = filter.m_Key;
    check(ToLower(lower) == filter.m_Key);
    check(filter.m_Key.find(L"ms") != std::wstring::npos);
    // Only a dependent scan's text loses its first precursor token, in one
    // piece.
    if (parses && filter.m_bDependent && text.find(L'@') != std::wstring::npos) {
        check(filter.m_DisplayText.size() < text.size());
        size_t head = 0;
        while (head < filter.m_DisplayText.size() && filter.m_DisplayText[head] == text[head])
            ++head;
        const size_t cut = text.size() - filter.m_DisplayText.size();
        check(text.compare(head + cut, std::wstring::npos, filter.m_DisplayText, head, std::wstring::npos) == 0);
    } else {
        check(filter.m_DisplayText == text);
    }
    // The same text reads the same way again.
    TavrionScanFilter again;
    check(again.Parse(text) == parses && again.m_Key == filter.m_Key && again.m_nMSOrder == filter.m_nMSOrder);
}

void checkDataSource(const std::wstring& text)
{
    std::wstring path = L"unchanged";
    if (ParseTavrionDataSource(text, path)) {
        check(!path.empty() && path.size() <= 258 && path.find(L';') == std::wstring::npos);
        std::wstring again;
        check(ParseTavrionDataSource(MakeTavrionDataSource(path), again) && again == path);
    } else {
        check(path == L"unchanged");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i)
        text.push_back(static_cast<wchar_t>(data[i]));
    checkFilter(text);
    checkDataSource(text);
    return 0;
}
