#include "iontrapmodel.h"

#include <algorithm>

#include "vkfolder.h"

namespace iontrap {

namespace {

using vendorkit::FieldKind;
using vendorkit::ParseStatus;

const vendorkit::Schema& TheSchema()
{
    static const vendorkit::Schema schema = [] {
        vendorkit::Schema s;
        s.records.push_back({"analysis", {{"name", FieldKind::Text}}, 0, 1});
        vendorkit::RecordRule spectrum{"spectrum", {}, 0, INT32_MAX};
        spectrum.fields = {
            {"time", FieldKind::Number, true},
            {"level", FieldKind::Integer, true},
            {"masses", FieldKind::Array, true},
            {"intensities", FieldKind::Array, true},
            {"count", FieldKind::Integer},
            {"precursors", FieldKind::Array},
            {"precursor-count", FieldKind::Integer},
            {"param", FieldKind::Texts, false, true, 3},
        };
        s.records.push_back(std::move(spectrum));
        s.withFaults(operations());
        return s;
    }();
    return schema;
}

}  // namespace

const std::vector<std::string>& operations()
{
    static const std::vector<std::string> ops = {
        "Analysis.Spectra", "Analysis.Open",       "Analysis.Name",       "Spectra.Count",
        "Spectra.Item",     "Spectrum.Data",       "Spectrum.Level",      "Spectrum.Time",
        "Spectrum.Precursors", "Spectrum.Parameters", "Parameters.Count", "Parameters.Item",
        "Parameter.Group",  "Parameter.Name",      "Parameter.Value",
    };
    return ops;
}

namespace {

ParseStatus Interpret(const vendorkit::Manifest& m, Analysis& out)
{
    Analysis a;
    if (const vendorkit::Record* r = m.find("analysis")) {
        a.hasName = r->has("name");
        a.name = r->text("name");
    }
    for (const vendorkit::Record* r : m.all("spectrum")) {
        Spectrum sp;
        sp.seconds = r->number("time");
        sp.level = r->integer("level");
        sp.masses = r->array("masses");
        sp.intensities = r->array("intensities");
        sp.precursors = r->array("precursors");
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
        sp.precursorCount = r->has("precursor-count")
                                ? r->integer("precursor-count")
                                : static_cast<LONG>(std::min<size_t>(sp.precursors.values.size(), INT32_MAX));
        for (const vendorkit::Field* p : r->all("param"))
            sp.parameters.push_back(Parameter{p->values[0], p->values[1], p->values[2]});
        a.spectra.push_back(std::move(sp));
    }
    a.faults = vendorkit::manifestFaults(m);
    out = std::move(a);
    return ParseStatus();
}

}  // namespace

ParseStatus readAnalysis(std::string_view text, Analysis& out)
{
    out = Analysis();
    vendorkit::Manifest m;
    const ParseStatus s = vendorkit::readManifest(text, kMagic, TheSchema(), m);
    return s.ok ? Interpret(m, out) : s;
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

}  // namespace iontrap
