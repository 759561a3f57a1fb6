// Scan-filter and mass-range texts through the engine's filter grammar.
#include "ombrelparse.h"

namespace ombrel {

std::unique_ptr<rawengine::CFilter> ParseScanFilter(const wchar_t* text, int precision)
{
    if (!text || !*text)
        return nullptr;
    std::optional<rawengine::CFilter> parsed = rawengine::ParseFilter(std::wstring(text), precision);
    if (!parsed)
        return nullptr;
    return std::make_unique<rawengine::CFilter>(std::move(*parsed));
}

bool ParseMassRanges(const wchar_t* text, std::vector<std::pair<double, double>>& ranges)
{
    const std::wstring bracketed = L"[" + std::wstring(text ? text : L"") + L"]";
    const std::optional<rawengine::CFilter> parsed = rawengine::ParseFilter(bracketed, rawengine::kMaxMassPrecision);
    if (!parsed)
        return false;
    std::vector<std::pair<double, double>> read;
    for (const rawengine::MassRange& r : parsed->GetMassRanges())
        read.emplace_back(r.low, r.high);
    ranges = std::move(read);
    return true;
}

}  // namespace ombrel
