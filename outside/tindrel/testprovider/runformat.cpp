#include "runformat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace tindrelrun {

namespace {

// Limits: a description stays small and every spectrum computable.
const size_t kMaxLineLength = 65536;
const size_t kMaxInjections = 100;
const size_t kMaxFunctions = 100;
const size_t kMaxTraces = 100;
const size_t kMaxCompounds = 10000;
const size_t kMaxPeaks = 1000;
const int kMaxScans = 1000000;
const int kMaxTracePoints = 1000000;
const long long kMaxProfilePoints = 2000000;
const int kMaxNoisePeaks = 100000;
const double kMaxValue = 1e12;

struct Fields {
    std::map<std::string, std::string> values;
    std::string keyword;
};

// Splits a line into its keyword and key=value fields.
bool splitLine(const std::string& line, Fields& fields, std::string& reason)
{
    size_t p = 0;
    auto skipBlanks = [&] {
        while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
            ++p;
    };
    skipBlanks();
    while (p < line.size() && line[p] != ' ' && line[p] != '\t')
        fields.keyword += line[p++];
    for (;;) {
        skipBlanks();
        if (p >= line.size())
            return true;
        std::string key;
        while (p < line.size() && line[p] != '=' && line[p] != ' ' && line[p] != '\t')
            key += line[p++];
        if (p >= line.size() || line[p] != '=') {
            reason = "\"" + key + "\" is not key=value";
            return false;
        }
        ++p;
        std::string value;
        if (p < line.size() && line[p] == '"') {
            const size_t close = line.find('"', p + 1);
            if (close == std::string::npos) {
                reason = "unterminated quote in " + key;
                return false;
            }
            value = line.substr(p + 1, close - p - 1);
            p = close + 1;
        } else {
            while (p < line.size() && line[p] != ' ' && line[p] != '\t')
                value += line[p++];
        }
        if (key.empty() || !fields.values.emplace(key, value).second) {
            reason = key.empty() ? "empty key" : "repeated key " + key;
            return false;
        }
    }
}

bool parseDouble(const std::string& text, double& value)
{
    if (text.empty() || text.size() > 64)
        return false;
    const std::string copy(text);
    char* end = nullptr;
    errno = 0;
    value = std::strtod(copy.c_str(), &end);
    return end && *end == 0 && errno == 0 && std::isfinite(value) && std::fabs(value) <= kMaxValue;
}

bool parseInt(const std::string& text, long long& value)
{
    if (text.empty() || text.size() > 20)
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return end && *end == 0 && errno == 0;
}

std::wstring latin1(const std::string& text)
{
    std::wstring out;
    for (unsigned char c : text)
        out += static_cast<wchar_t>(c);
    return out;
}

// Reads the fields of one line, each through its own parser; any field
// left over is unknown.
class LineReader {
public:
    LineReader(Fields& fields, std::string& reason) : m_fields(fields), m_reason(reason) {}

    bool number(const char* key, double& value, double low, double high, bool required = false)
    {
        auto it = m_fields.values.find(key);
        if (it == m_fields.values.end())
            return !required || fail(std::string("missing ") + key);
        double v = 0;
        if (!parseDouble(it->second, v) || v < low || v > high)
            return fail(std::string("bad ") + key + " \"" + it->second + "\"");
        value = v;
        m_fields.values.erase(it);
        return true;
    }
    bool integer(const char* key, int& value, long long low, long long high, bool required = false)
    {
        auto it = m_fields.values.find(key);
        if (it == m_fields.values.end())
            return !required || fail(std::string("missing ") + key);
        long long v = 0;
        if (!parseInt(it->second, v) || v < low || v > high)
            return fail(std::string("bad ") + key + " \"" + it->second + "\"");
        value = static_cast<int>(v);
        m_fields.values.erase(it);
        return true;
    }
    bool text(const char* key, std::string& value)
    {
        auto it = m_fields.values.find(key);
        if (it == m_fields.values.end())
            return false;
        value = it->second;
        m_fields.values.erase(it);
        return true;
    }
    bool has(const char* key) const { return m_fields.values.count(key) != 0; }
    bool done()
    {
        if (m_fields.values.empty())
            return true;
        return fail("unknown key " + m_fields.values.begin()->first);
    }
    bool fail(const std::string& reason)
    {
        if (m_reason.empty())
            m_reason = reason;
        return false;
    }

private:
    Fields& m_fields;
    std::string& m_reason;
};

// Comma-separated items, each split by `parseItem`.
bool parseList(const std::string& text, const std::function<bool(const std::string&)>& parseItem)
{
    size_t p = 0;
    size_t count = 0;
    for (;;) {
        const size_t comma = text.find(',', p);
        const std::string item = text.substr(p, comma == std::string::npos ? std::string::npos : comma - p);
        if (++count > kMaxPeaks || !parseItem(item))
            return false;
        if (comma == std::string::npos)
            return true;
        p = comma + 1;
    }
}

bool parsePeaks(const std::string& text, Compound& c)
{
    return parseList(text, [&c](const std::string& item) {
        const size_t colon = item.find(':');
        double mz = 0, rel = 0;
        if (colon == std::string::npos || !parseDouble(item.substr(0, colon), mz) ||
            !parseDouble(item.substr(colon + 1), rel) || mz <= 0 || rel < 0)
            return false;
        c.peaks.emplace_back(mz, rel);
        return true;
    });
}

// mono/charge:rel,rel,... with peaks 1.003355/charge apart.
bool parseCluster(const std::string& text, Compound& c)
{
    const double kNeutronSpacing = 1.003355;
    const size_t slash = text.find('/');
    const size_t colon = text.find(':');
    double mono = 0;
    long long charge = 0;
    if (slash == std::string::npos || colon == std::string::npos || colon < slash ||
        !parseDouble(text.substr(0, slash), mono) || !parseInt(text.substr(slash + 1, colon - slash - 1), charge) ||
        mono <= 0 || charge < 1 || charge > 100)
        return false;
    int k = 0;
    return parseList(text.substr(colon + 1), [&](const std::string& item) {
        double rel = 0;
        if (!parseDouble(item, rel) || rel < 0)
            return false;
        c.peaks.emplace_back(mono + k++ * kNeutronSpacing / double(charge), rel);
        return true;
    });
}

bool parseTracePeaks(const std::string& text, Trace& t)
{
    return parseList(text, [&t](const std::string& item) {
        const size_t a = item.find(':');
        const size_t b = a == std::string::npos ? a : item.find(':', a + 1);
        TracePeak p;
        if (b == std::string::npos || !parseDouble(item.substr(0, a), p.apex) ||
            !parseDouble(item.substr(a + 1, b - a - 1), p.width) || !parseDouble(item.substr(b + 1), p.height) ||
            p.width <= 0 || p.height < 0)
            return false;
        t.peaks.push_back(p);
        return true;
    });
}

bool parseFunction(LineReader& r, int position, Function& f)
{
    std::string name = "Function " + std::to_string(position);
    r.text("name", name);
    f.name = latin1(name);
    bool ok = r.integer("type", f.type, 0, 6) && r.integer("polarity", f.polarity, 0, 3);
    const bool msn = f.type == 2 || f.type == 4 || f.type == 6;
    f.order = msn ? 2 : 1;
    f.msmsType = msn ? 2 : 0;
    ok = ok && r.integer("order", f.order, 1, 10) && r.integer("msms", f.msmsType, 0, 5) &&
         r.number("precursor", f.precursor, 0, kMaxValue) && r.integer("scans", f.scans, 1, kMaxScans, true) &&
         r.number("start", f.start, -kMaxValue, kMaxValue) && r.number("step", f.step, 1e-9, kMaxValue) &&
         r.number("low", f.low, 0, kMaxValue) && r.number("high", f.high, 0, kMaxValue) &&
         r.number("fwhm", f.fwhm, 1e-9, kMaxValue) && r.number("noise", f.noise, 0, kMaxValue) &&
         r.integer("noisepeaks", f.noisePeaks, 0, kMaxNoisePeaks) &&
         r.integer("claimed", f.claimed, 0, 2147483647);
    if (!ok)
        return false;
    if (r.has("profile")) {
        f.profile = true;
        if (!r.number("profile", f.spacing, 1e-9, kMaxValue))
            return false;
    }
    if (!(f.low < f.high))
        return r.fail("low must be below high");
    if (f.profile && f.profilePoints() > kMaxProfilePoints)
        return r.fail("too many profile points");
    return r.done();
}

bool parseCompound(LineReader& r, Injection& injection)
{
    int function = 0;
    Compound c;
    if (!r.integer("function", function, 1, static_cast<long long>(injection.functions.size()), true) ||
        !r.number("apex", c.apex, -kMaxValue, kMaxValue, true) ||
        !r.number("width", c.width, 1e-9, kMaxValue, true) || !r.number("height", c.height, 0, kMaxValue, true))
        return false;
    std::string peaks, cluster;
    const bool hasPeaks = r.text("peaks", peaks);
    const bool hasCluster = r.text("cluster", cluster);
    if (hasPeaks == hasCluster)
        return r.fail("a compound needs either peaks or cluster");
    if (hasPeaks ? !parsePeaks(peaks, c) : !parseCluster(cluster, c))
        return r.fail(hasPeaks ? "bad peaks" : "bad cluster");
    if (!r.done())
        return false;
    Function& f = injection.functions[static_cast<size_t>(function - 1)];
    if (f.compounds.size() >= kMaxCompounds)
        return r.fail("too many compounds");
    f.compounds.push_back(std::move(c));
    return true;
}

bool parseTrace(LineReader& r, int position, Trace& t)
{
    std::string name = "Trace " + std::to_string(position);
    r.text("name", name);
    t.name = latin1(name);
    std::string peaks;
    if (!r.number("start", t.start, -kMaxValue, kMaxValue) || !r.number("step", t.step, 1e-9, kMaxValue) ||
        !r.integer("points", t.points, 1, kMaxTracePoints, true) ||
        !r.number("baseline", t.baseline, -kMaxValue, kMaxValue))
        return false;
    if (r.text("peaks", peaks) && !parseTracePeaks(peaks, t))
        return r.fail("bad peaks");
    return r.done();
}

// A generator of 32-bit values: the same sequence on every machine.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : m_state(seed) {}
    double next()  // [0, 1)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state / 4294967296.0;
    }

private:
    uint32_t m_state;
};

uint32_t mix(uint32_t h, uint32_t v)
{
    h ^= v + 0x9E3779B9u + (h << 6) + (h >> 2);
    return h;
}

}  // namespace

long long Function::profilePoints() const
{
    if (!profile || !(spacing > 0))
        return 0;
    const double n = std::floor((high - low) / spacing) + 1;
    return n > double(kMaxProfilePoints) * 2 ? kMaxProfilePoints * 2 : static_cast<long long>(n);
}

bool parseRun(const std::string& text, Run& run, ParseError& error)
{
    run = Run();
    error = ParseError();
    size_t p = 0;
    int lineNumber = 0;
    while (p <= text.size()) {
        size_t end = text.find('\n', p);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(p, end - p);
        p = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        auto failed = [&](const std::string& reason) {
            error.line = lineNumber;
            error.reason = reason;
            run = Run();
            return false;
        };
        if (line.size() > kMaxLineLength)
            return failed("line too long");
        if (lineNumber == 1) {
            if (line != kRunSignature)
                return failed(std::string("not a run description (first line \"") + kRunSignature + "\")");
            continue;
        }
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        Fields fields;
        std::string reason;
        if (!splitLine(line, fields, reason))
            return failed(reason);
        LineReader r(fields, reason);
        if (fields.keyword == "run") {
            int seed = 1;
            if (!r.integer("seed", seed, 0, 0x7FFFFFFF) || !r.done())
                return failed(reason);
            run.seed = static_cast<uint32_t>(seed);
        } else if (fields.keyword == "injection") {
            if (run.injections.size() >= kMaxInjections)
                return failed("too many injections");
            Injection injection;
            std::string name = "Injection " + std::to_string(run.injections.size() + 1);
            r.text("name", name);
            injection.name = latin1(name);
            if (!r.done())
                return failed(reason);
            run.injections.push_back(std::move(injection));
        } else if (run.injections.empty()) {
            return failed(fields.keyword + " before the first injection");
        } else if (fields.keyword == "function") {
            Injection& injection = run.injections.back();
            if (injection.functions.size() >= kMaxFunctions)
                return failed("too many functions");
            Function f;
            if (!parseFunction(r, static_cast<int>(injection.functions.size()) + 1, f))
                return failed(reason);
            injection.functions.push_back(std::move(f));
        } else if (fields.keyword == "compound") {
            if (!parseCompound(r, run.injections.back()))
                return failed(reason);
        } else if (fields.keyword == "trace") {
            Injection& injection = run.injections.back();
            if (injection.traces.size() >= kMaxTraces)
                return failed("too many traces");
            Trace t;
            if (!parseTrace(r, static_cast<int>(injection.traces.size()) + 1, t))
                return failed(reason);
            injection.traces.push_back(std::move(t));
        } else {
            return failed("unknown keyword \"" + fields.keyword + "\"");
        }
    }
    if (lineNumber == 0 || run.injections.empty()) {
        error.line = 0;
        error.reason = "no injection";
        run = Run();
        return false;
    }
    return true;
}

double scanTime(const Function& function, int scan)
{
    return function.start + scan * function.step;
}

void computeSpectrum(const Run& run, int injection, int function, int scan, std::vector<double>& mz,
                     std::vector<double>& intensity)
{
    mz.clear();
    intensity.clear();
    const Function& f = run.injections[static_cast<size_t>(injection)].functions[static_cast<size_t>(function)];
    const double t = scanTime(f, scan);
    Lcg random(mix(mix(mix(run.seed, static_cast<uint32_t>(injection)), static_cast<uint32_t>(function)),
                   static_cast<uint32_t>(scan)));

    // The compounds' peaks at this time, inside the acquired range.
    std::vector<std::pair<double, double>> peaks;
    for (const Compound& c : f.compounds) {
        const double z = (t - c.apex) / c.width;
        const double profile = std::exp(-0.5 * z * z);
        if (profile < 1e-6)
            continue;
        for (const auto& peak : c.peaks)
            if (peak.first >= f.low && peak.first <= f.high && peak.second > 0)
                peaks.emplace_back(peak.first, c.height * peak.second / 100 * profile);
    }

    if (!f.profile) {
        for (int k = 0; k < f.noisePeaks; ++k) {
            const double m = std::round((f.low + random.next() * (f.high - f.low)) * 1e4) / 1e4;
            peaks.emplace_back(m, random.next() * f.noise);
        }
        std::sort(peaks.begin(), peaks.end());
        for (const auto& p : peaks) {
            if (!mz.empty() && mz.back() == p.first) {
                intensity.back() += p.second;
                continue;
            }
            mz.push_back(p.first);
            intensity.push_back(p.second);
        }
        return;
    }

    const long long n = f.profilePoints();
    mz.resize(static_cast<size_t>(n));
    intensity.resize(static_cast<size_t>(n));
    for (long long k = 0; k < n; ++k) {
        mz[static_cast<size_t>(k)] = f.low + double(k) * f.spacing;
        intensity[static_cast<size_t>(k)] = f.noise > 0 ? random.next() * f.noise : 0;
    }
    // Gaussian lines of the given full width at half height, within four
    // widths of their centre.
    const double c = 4 * std::log(2.0) / (f.fwhm * f.fwhm);
    for (const auto& p : peaks) {
        const long long from = std::max<long long>(0, static_cast<long long>(std::ceil((p.first - 4 * f.fwhm - f.low) / f.spacing)));
        const long long to = std::min<long long>(n - 1, static_cast<long long>(std::floor((p.first + 4 * f.fwhm - f.low) / f.spacing)));
        for (long long k = from; k <= to; ++k) {
            const double d = mz[static_cast<size_t>(k)] - p.first;
            intensity[static_cast<size_t>(k)] += p.second * std::exp(-c * d * d);
        }
    }
}

void computeTrace(const Trace& trace, std::vector<double>& times, std::vector<double>& intensity)
{
    times.resize(static_cast<size_t>(trace.points));
    intensity.resize(static_cast<size_t>(trace.points));
    for (int k = 0; k < trace.points; ++k) {
        const double t = trace.start + k * trace.step;
        double y = trace.baseline;
        for (const TracePeak& p : trace.peaks) {
            const double z = (t - p.apex) / p.width;
            y += p.height * std::exp(-0.5 * z * z);
        }
        times[static_cast<size_t>(k)] = t;
        intensity[static_cast<size_t>(k)] = y;
    }
}

}  // namespace tindrelrun
