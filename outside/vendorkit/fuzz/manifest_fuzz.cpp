// The manifest of the vendor stand-ins: whatever the bytes, parsing and the
// schema check end with a manifest or a status naming a line within the
// text; what they accept builds its arrays and fault plan without failing.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ksvariant.h"
#include "vkarray.h"
#include "vkfault.h"
#include "vkmanifest.h"

namespace {

constexpr std::string_view kMagic = "ks-vendorkit-fuzz 1";

const std::vector<std::string>& Operations()
{
    static const std::vector<std::string> ops = {"Analysis.Open", "Spectrum.Data", "Spectra.Item"};
    return ops;
}

// One rule of every kind, in the shapes the stand-ins use.
const vendorkit::Schema& TheSchema()
{
    static const vendorkit::Schema schema = [] {
        using vendorkit::FieldKind;
        vendorkit::Schema s;
        s.records.push_back({"analysis", {{"name", FieldKind::Text}, {"count", FieldKind::Integer, false, false, 1, 0}},
                             0, 1});
        vendorkit::RecordRule spectrum{"spectrum", {}, 0, INT32_MAX};
        spectrum.fields = {
            {"time", FieldKind::Number, true},
            {"level", FieldKind::Integer, false, false, 1, -1, 99},
            {"masses", FieldKind::Array, true},
            {"intensities", FieldKind::Array, true, false, 1, INT32_MIN, INT32_MAX, vendorkit::ArrayForm::R4},
            {"points", FieldKind::Numbers},
            {"param", FieldKind::Texts, false, true, 3},
        };
        s.records.push_back(std::move(spectrum));
        s.withFaults(Operations());
        return s;
    }();
    return schema;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vendorkit::Manifest manifest;
    const vendorkit::ParseStatus status = vendorkit::readManifest(text, kMagic, TheSchema(), manifest);
    if (!status.ok) {
        // A failure names a line of the text (or none) and leaves nothing.
        const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
        if (status.line < 0 || static_cast<size_t>(status.line) > lines || status.reason.empty() ||
            !manifest.records.empty())
            std::abort();
        return 0;
    }
    for (const vendorkit::Record& record : manifest.records)
        for (const vendorkit::Field& field : record.fields) {
            if (field.name != "masses" && field.name != "intensities")
                continue;
            VARIANT v;
            // Accepted values always fit their form.
            if (FAILED(vendorkit::makeArray(record.array(field.name), &v)))
                std::abort();
            VariantClear(&v);
        }
    vendorkit::FaultPlan plan(Operations());
    plan.setManifestFaults(vendorkit::manifestFaults(manifest));
    for (int i = 0; i < 3; ++i)
        for (const std::string& op : Operations())
            if (plan.call(op) == S_OK && plan.calls(op) != i + 1)
                std::abort();
    return 0;
}
