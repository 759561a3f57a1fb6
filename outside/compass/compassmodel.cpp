#include "compassmodel.h"

#include <algorithm>

#include "ksfiles.h"
#include "vkfolder.h"

namespace compass {

namespace {

using vendorkit::FieldKind;
using vendorkit::ParseStatus;

const vendorkit::Schema& TheSchema()
{
    static const vendorkit::Schema schema = [] {
        vendorkit::Schema s;
        s.records.push_back({"analysis", {{"description", FieldKind::Text}}, 0, 1});
        vendorkit::RecordRule spectrum{"spectrum", {}, 0, INT32_MAX};
        spectrum.fields = {
            {"time", FieldKind::Number, true},
            {"level", FieldKind::Integer, true},
            {"polarity", FieldKind::Integer},
            {"masses", FieldKind::Array, true},
            {"intensities", FieldKind::Array, true},
            {"count", FieldKind::Integer},
        };
        s.records.push_back(std::move(spectrum));
        s.withFaults(operations());
        return s;
    }();
    return schema;
}

ParseStatus Interpret(const vendorkit::Manifest& m, Analysis& out)
{
    Analysis a;
    if (const vendorkit::Record* r = m.find("analysis"))
        a.description = r->text("description");
    for (const vendorkit::Record* r : m.all("spectrum")) {
        Spectrum sp;
        sp.seconds = r->number("time");
        sp.level = r->integer("level");
        sp.hasPolarity = r->has("polarity");
        sp.polarity = r->integer("polarity");
        sp.masses = r->array("masses");
        sp.intensities = r->array("intensities");
        // Without a stated count, both arrays must hold one value a point:
        // a line cut short is damage, not a spectrum of another size.
        if (r->has("count")) {
            sp.count = r->integer("count");
        } else if (sp.masses.values.size() != sp.intensities.values.size()) {
            return ParseStatus::failure(r->find("intensities")->line,
                                        "[spectrum] with " + std::to_string(sp.masses.values.size()) +
                                            " masses and " + std::to_string(sp.intensities.values.size()) +
                                            " intensities, and no \"count\"");
        } else {
            sp.count = static_cast<LONG>(std::min<size_t>(sp.masses.values.size(), INT32_MAX));
        }
        a.spectra.push_back(std::move(sp));
    }
    a.faults = vendorkit::manifestFaults(m);
    out = std::move(a);
    return ParseStatus();
}

}  // namespace

const std::vector<std::string>& operations()
{
    static const std::vector<std::string> ops = {
        "Analysis.Open", "Analysis.Spectra", "Analysis.Description", "Spectra.Count", "Spectra.Item",
        "Spectrum.Data", "Spectrum.Level",   "Spectrum.Time",        "Spectrum.Polarity",
    };
    return ops;
}

ParseStatus readAnalysis(std::string_view text, Analysis& out)
{
    out = Analysis();
    vendorkit::Manifest m;
    const ParseStatus s = vendorkit::readManifest(text, kMagic, TheSchema(), m);
    return s.ok ? Interpret(m, out) : s;
}

bool isAnalysisFolder(const std::string& folder)
{
    return !folder.empty() && ks::isFolder(folder) && vendorkit::findInFolder(folder, kManifestName).has_value();
}

ParseStatus readAnalysisFolder(const std::string& folder, Analysis& out)
{
    out = Analysis();
    const std::optional<std::string> path = vendorkit::findInFolder(folder, kManifestName);
    if (!path)
        return ParseStatus::failure(0, std::string("no ") + kManifestName);
    vendorkit::Manifest m;
    const ParseStatus s = vendorkit::readManifestFile(*path, kMagic, TheSchema(), m);
    return s.ok ? Interpret(m, out) : s;
}

}  // namespace compass
