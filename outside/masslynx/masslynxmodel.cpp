#include "masslynxmodel.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <mutex>
#include <set>

#include "ksfiles.h"
#include "vkfolder.h"

namespace masslynx {

namespace {

using vendorkit::ArrayForm;
using vendorkit::FieldKind;
using vendorkit::FieldRule;
using vendorkit::ParseStatus;

FieldRule Array(const char* name)
{
    FieldRule r{name, FieldKind::Array, true};
    r.form = ArrayForm::R4;  // the classes hand out single-precision arrays
    return r;
}

FieldRule Integer(const char* name, bool required, LONG min)
{
    FieldRule r{name, FieldKind::Integer, required};
    r.min = min;
    return r;
}

const vendorkit::Schema& TheSchema()
{
    static const vendorkit::Schema schema = [] {
        vendorkit::Schema s;
        s.records.push_back({"function",
                             {{"type", FieldKind::Text, true},
                              {"value", FieldKind::Number},
                              Integer("scans", false, 0)}});
        s.records.push_back({"scan",
                             {{"time", FieldKind::Number, true},
                              Integer("continuum", false, INT32_MIN),
                              Array("masses"),
                              Array("intensities"),
                              Integer("count", false, INT32_MIN)}});
        s.records.push_back({"chromatogram",
                             {{"name", FieldKind::Text, true},
                              Integer("function", false, 1),
                              Array("times"),
                              Array("intensities"),
                              Integer("count", false, INT32_MIN)}});
        s.records.push_back({"analog", {Integer("channels", true, 0)}, 0, 1});
        s.withFaults(operations());
        return s;
    }();
    return schema;
}

LONG Clamp(size_t n)
{
    return static_cast<LONG>(std::min<size_t>(n, INT32_MAX));
}

// The point count of a record with two arrays: "count" when given, else
// the arrays' common length (arrays of different lengths are a line cut
// short, not a smaller record).
ParseStatus PointCount(const vendorkit::Record& r, const char* first, const vendorkit::ArrayValues& a,
                       const vendorkit::ArrayValues& b, LONG& count)
{
    if (r.has("count")) {
        count = r.integer("count");
        return ParseStatus();
    }
    if (a.values.size() != b.values.size())
        return ParseStatus::failure(r.find("intensities")->line,
                                    "[" + r.type + "] with " + std::to_string(a.values.size()) + " " + first +
                                        " and " + std::to_string(b.values.size()) + " intensities, and no \"count\"");
    count = Clamp(a.values.size());
    return ParseStatus();
}

ParseStatus Interpret(const vendorkit::Manifest& m, Raw& out)
{
    Raw raw;
    // Scans belong to the function above them; a stated scan count is
    // kept apart from the scans listed.
    std::vector<bool> countGiven;
    for (const vendorkit::Record& r : m.records) {
        if (r.type == "function") {
            Function f;
            f.type = r.text("type");
            f.value = r.number("value");
            f.scanCount = r.integer("scans");
            raw.functions.push_back(std::move(f));
            countGiven.push_back(r.has("scans"));
        } else if (r.type == "scan") {
            if (raw.functions.empty())
                return ParseStatus::failure(r.line, "[scan] before the first [function]");
            Scan s;
            s.minutes = r.number("time");
            // The scan-statistics class answers the time as a float.
            if (std::fabs(s.minutes) > FLT_MAX)
                return ParseStatus::failure(r.find("time")->line, "time outside the single-precision range");
            s.continuum = r.integer("continuum");
            s.masses = r.array("masses");
            s.intensities = r.array("intensities");
            const ParseStatus c = PointCount(r, "masses", s.masses, s.intensities, s.count);
            if (!c.ok)
                return c;
            raw.functions.back().scans.push_back(std::move(s));
        } else if (r.type == "chromatogram") {
            Chromatogram c;
            c.name = r.text("name");
            c.function = r.integer("function");
            c.times = r.array("times");
            c.intensities = r.array("intensities");
            const ParseStatus p = PointCount(r, "times", c.times, c.intensities, c.count);
            if (!p.ok)
                return p;
            raw.chromatograms.push_back(std::move(c));
        } else if (r.type == "analog") {
            raw.hasAnalog = true;
            raw.analogChannels = r.integer("channels");
        }
    }
    for (size_t i = 0; i < raw.functions.size(); ++i)
        if (!countGiven[i])
            raw.functions[i].scanCount = Clamp(raw.functions[i].scans.size());
    // Chromatograms are checked once every function is known; the index
    // finds a name and function at once, so neither this check nor a read
    // walks every chromatogram.
    size_t k = 0;
    for (const vendorkit::Record* r : m.all("chromatogram")) {
        const Chromatogram& c = raw.chromatograms[k];
        if (static_cast<size_t>(c.function) > raw.functions.size())
            return ParseStatus::failure(r->find("function")->line,
                                        "[chromatogram] \"" + c.name + "\" of function " +
                                            std::to_string(c.function) + ", but the manifest lists " +
                                            std::to_string(raw.functions.size()) + " functions");
        if (!raw.index.emplace(std::make_pair(c.name, c.function), k).second)
            return ParseStatus::failure(r->line, "a second [chromatogram] \"" + c.name + "\"" +
                                                     (c.function ? " of function " + std::to_string(c.function)
                                                                 : std::string(" of every function")));
        ++k;
    }
    // Each analog channel is a chromatogram "An<n>" of the manifest, so the
    // channel count the class answers is one the manifest backs: a count
    // alone never makes traces.
    if (raw.hasAnalog) {
        std::set<std::string> names;
        for (const Chromatogram& c : raw.chromatograms)
            names.insert(c.name);
        for (LONG n = 1; n <= raw.analogChannels; ++n) {
            const std::string name = "An" + std::to_string(n);
            if (!names.count(name))
                return ParseStatus::failure(m.all("analog").front()->find("channels")->line,
                                            "[analog] channels " + std::to_string(raw.analogChannels) +
                                                ", but no [chromatogram] \"" + name + "\"");
        }
    }
    raw.faults = vendorkit::manifestFaults(m);
    out = std::move(raw);
    return ParseStatus();
}

// The same file, unchanged since it was read.
bool Same(const struct stat& a, const struct stat& b)
{
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The manifest read last by any object of this process.
struct SharedRead {
    std::mutex lock;
    std::string path;
    struct stat st {};
    std::shared_ptr<const Raw> raw;
};

SharedRead& LastRead()
{
    static SharedRead shared;
    return shared;
}

}  // namespace

const Chromatogram* Raw::findChromatogram(const std::string& name, LONG function) const
{
    // One standing for this function wins over one standing for every
    // function.
    for (LONG f : {function, LONG(0)}) {
        const auto it = index.find(std::make_pair(name, f));
        if (it != index.end())
            return &chromatograms[it->second];
    }
    return nullptr;
}

const std::vector<std::string>& operations()
{
    static const std::vector<std::string> ops = {
        "RawCheck.Check",     "Header.Read",       "Header.Text",        "FunctionInfo.Count",
        "FunctionInfo.Select", "FunctionInfo.Function", "Analog.Read",    "Analog.Channels",
        "Chromatogram.Read",  "Chromatogram.Data", "Spectrum.Read",      "Spectrum.Data",
        "ScanStats.Read",     "ScanStats.Stats",
    };
    return ops;
}

ParseStatus readRaw(std::string_view text, Raw& out)
{
    out = Raw();
    vendorkit::Manifest m;
    const ParseStatus s = vendorkit::readManifest(text, kMagic, TheSchema(), m);
    return s.ok ? Interpret(m, out) : s;
}

Found RawCache::load(const std::string& folder, std::shared_ptr<const Raw>& raw, ParseStatus& status)
{
    raw.reset();
    status = ParseStatus();
    // The manifest read last, unchanged: one look at the file, not at the
    // folder and its names (a reader asks once per function and scan).
    struct stat st {};
    if (m_raw && folder == m_folder && ::stat(m_path.c_str(), &st) == 0 && Same(st, m_stat)) {
        raw = m_raw;
        return Found::Yes;
    }
    if (folder.empty() || !ks::isFolder(folder)) {
        status = ParseStatus::failure(0, "no raw directory");
        return Found::Missing;
    }
    const std::optional<std::string> path = vendorkit::findInFolder(folder, kManifestName);
    if (!path) {
        status = ParseStatus::failure(0, std::string("no ") + kManifestName);
        return Found::Missing;
    }
    const bool known = ::stat(path->c_str(), &st) == 0;
    if (known && m_raw && *path == m_path && Same(st, m_stat)) {
        m_folder = folder;
        raw = m_raw;
        return Found::Yes;
    }
    // The seven classes read the same run: what one of them read is the
    // others' too while the file is unchanged.
    SharedRead& shared = LastRead();
    {
        std::lock_guard<std::mutex> hold(shared.lock);
        if (known && shared.raw && *path == shared.path && Same(st, shared.st)) {
            m_folder = folder;
            m_path = *path;
            m_stat = st;
            m_raw = shared.raw;
            raw = m_raw;
            return Found::Yes;
        }
    }
    m_raw.reset();
    vendorkit::Manifest m;
    status = vendorkit::readManifestFile(*path, kMagic, TheSchema(), m);
    auto read = std::make_shared<Raw>();
    if (status.ok)
        status = Interpret(m, *read);
    if (!status.ok)
        return Found::Damaged;
    m_folder = folder;
    m_path = *path;
    m_stat = st;
    m_raw = read;
    if (known) {
        std::lock_guard<std::mutex> hold(shared.lock);
        shared.path = *path;
        shared.st = st;
        shared.raw = read;
    }
    raw = std::move(read);
    return Found::Yes;
}

Found readHeaderFile(const std::string& folder, std::string& bytes, std::string& why)
{
    bytes.clear();
    why.clear();
    const std::optional<std::string> path =
        folder.empty() ? std::nullopt : vendorkit::findInFolder(folder, kHeaderName);
    if (!path) {
        why = std::string("no ") + kHeaderName;
        return Found::Missing;
    }
    const ParseStatus s = vendorkit::readTextFile(*path, kMaxHeaderBytes, bytes);
    if (!s.ok) {
        bytes.clear();
        why = std::string(kHeaderName) + ": " + s.message();
        return Found::Damaged;
    }
    return Found::Yes;
}

}  // namespace masslynx
