#include "vkmanifest.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

#include "ksfiles.h"

namespace vendorkit {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
}

bool isName(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), isNameChar);
}

std::string quoted(std::string_view s)
{
    return "\"" + ks::printableText(std::string(s)) + "\"";
}

// Splits one line (without its end) into tokens; false with *why on damage.
bool tokenize(std::string_view line, std::vector<std::string>& tokens, std::string* why)
{
    size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            return true;
        std::string token;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    token += c;
                    continue;
                }
                if (i == line.size())
                    break;
                switch (line[i++]) {
                case '\\': token += '\\'; break;
                case '"': token += '"'; break;
                case 't': token += '\t'; break;
                case 'n': token += '\n'; break;
                case 'r': token += '\r'; break;
                default:
                    *why = "unknown escape \\" + ks::printableText(std::string(1, line[i - 1])) + " in a quoted text";
                    return false;
                }
            }
            if (!closed) {
                *why = "quoted text without its closing quote";
                return false;
            }
            if (i < line.size() && !isBlank(line[i])) {
                *why = "text directly after a closing quote";
                return false;
            }
        } else {
            const size_t start = i;
            while (i < line.size() && !isBlank(line[i])) {
                if (line[i] == '"') {
                    *why = "quote inside a value";
                    return false;
                }
                ++i;
            }
            token.assign(line.substr(start, i - start));
        }
        tokens.push_back(std::move(token));
    }
}

const FieldRule* findRule(const RecordRule& rule, std::string_view name)
{
    for (const FieldRule& f : rule.fields)
        if (f.name == name)
            return &f;
    return nullptr;
}

const char* kindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text: return "one text";
    case FieldKind::Texts: return "texts";
    case FieldKind::Integer: return "one integer";
    case FieldKind::Number: return "one number";
    case FieldKind::Numbers: return "numbers";
    case FieldKind::Array: return "numbers";
    case FieldKind::Result: return "one failure code";
    }
    return "values";
}

// Converts the values of one field by its rule; an empty text on success.
std::string convert(Field& field, const FieldRule& rule)
{
    const std::vector<std::string>& v = field.values;
    auto single = [&]() -> std::string {
        if (v.size() != 1)
            return "field \"" + field.name + "\" takes " + kindName(rule.kind) + ", not " +
                   std::to_string(v.size()) + " values";
        return std::string();
    };
    std::string why;
    switch (rule.kind) {
    case FieldKind::Text:
        return single();
    case FieldKind::Texts:
        if (v.size() != static_cast<size_t>(rule.count))
            return "field \"" + field.name + "\" takes " + std::to_string(rule.count) + " texts, not " +
                   std::to_string(v.size());
        return std::string();
    case FieldKind::Integer:
        if (!(why = single()).empty())
            return why;
        if (!parseInteger(v[0], field.integer))
            return "field \"" + field.name + "\": " + quoted(v[0]) + " is no 32-bit integer";
        if (field.integer < rule.min || field.integer > rule.max)
            return "field \"" + field.name + "\": " + v[0] + " is outside " + std::to_string(rule.min) + " to " +
                   std::to_string(rule.max);
        return std::string();
    case FieldKind::Result: {
        if (!(why = single()).empty())
            return why;
        HRESULT hr = S_OK;
        if (!parseFailureCode(v[0], hr))
            return "field \"" + field.name + "\": " + quoted(v[0]) + " is no failure code";
        field.integer = hr;
        return std::string();
    }
    case FieldKind::Number:
        if (!(why = single()).empty())
            return why;
        [[fallthrough]];
    case FieldKind::Numbers:
    case FieldKind::Array:
        field.numbers.clear();
        field.numbers.reserve(v.size());
        for (const std::string& token : v) {
            double d = 0;
            if (!parseNumber(token, d))
                return "field \"" + field.name + "\": " + quoted(token) + " is no finite number";
            field.numbers.push_back(d);
        }
        return std::string();
    }
    return "field \"" + field.name + "\" of an unknown kind";
}

ParseStatus validateRecord(Record& record, const RecordRule& rule)
{
    for (size_t i = 0; i < record.fields.size(); ++i) {
        Field& field = record.fields[i];
        const std::string where = " in [" + record.type + "]";
        const FieldRule* fieldRule = findRule(rule, field.name);
        // "<name>-type" of an Array field that stands before it.
        const std::string suffix = "-type";
        if (!fieldRule && field.name.size() > suffix.size() &&
            field.name.compare(field.name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            const std::string base = field.name.substr(0, field.name.size() - suffix.size());
            const FieldRule* baseRule = findRule(rule, base);
            if (baseRule && baseRule->kind == FieldKind::Array) {
                Field* array = nullptr;
                for (size_t j = i; j-- > 0;)
                    if (record.fields[j].name == base) {
                        array = &record.fields[j];
                        break;
                    }
                if (!array)
                    return ParseStatus::failure(field.line, "field \"" + field.name + "\" before \"" + base + "\"" +
                                                                where);
                if (array->formGiven)
                    return ParseStatus::failure(field.line, "field \"" + field.name + "\" repeated" + where);
                if (field.values.size() != 1 || !formFromName(field.values[0], array->form))
                    return ParseStatus::failure(field.line, "field \"" + field.name +
                                                                "\" takes one array form (r8, i4, ...)");
                array->formGiven = true;
                continue;
            }
        }
        if (!fieldRule)
            return ParseStatus::failure(field.line, "unknown field " + quoted(field.name) + where);
        if (!fieldRule->repeated)
            for (size_t j = 0; j < i; ++j)
                if (record.fields[j].name == field.name)
                    return ParseStatus::failure(field.line, "field \"" + field.name + "\" repeated" + where);
        const std::string why = convert(field, *fieldRule);
        if (!why.empty())
            return ParseStatus::failure(field.line, why);
        if (fieldRule->kind == FieldKind::Array) {
            field.form = fieldRule->form;
            field.formGiven = false;
        }
    }
    // The values must fit the form they are returned in, once every
    // "-type" is known.
    for (const Field& field : record.fields) {
        const FieldRule* fieldRule = findRule(rule, field.name);
        std::string why;
        if (fieldRule && fieldRule->kind == FieldKind::Array && !valuesFit(field.form, field.numbers, &why))
            return ParseStatus::failure(field.line, "field \"" + field.name + "\" as " + formName(field.form) +
                                                        ": " + why);
    }
    for (const FieldRule& f : rule.fields)
        if (f.required && !record.has(f.name))
            return ParseStatus::failure(record.line,
                                        "[" + record.type + "] without its field \"" + f.name + "\"");
    return ParseStatus();
}

}  // namespace

ParseStatus ParseStatus::failure(int line, std::string reason)
{
    ParseStatus s;
    s.ok = false;
    s.line = line;
    s.reason = std::move(reason);
    return s;
}

std::string ParseStatus::message() const
{
    if (ok)
        return "ok";
    return line > 0 ? "line " + std::to_string(line) + ": " + reason : reason;
}

Schema& Schema::withFaults(const std::vector<std::string>& operations)
{
    faultOperations = operations;
    RecordRule fault;
    fault.type = "fault";
    fault.fields = {
        {"operation", FieldKind::Text, true},
        {"call", FieldKind::Integer, true, false, 1, 1, INT32_MAX},
        {"result", FieldKind::Result, true},
    };
    records.push_back(std::move(fault));
    return *this;
}

const RecordRule* Schema::find(std::string_view type) const
{
    for (const RecordRule& r : records)
        if (r.type == type)
            return &r;
    return nullptr;
}

const Field* Record::find(std::string_view name) const
{
    for (const Field& f : fields)
        if (f.name == name)
            return &f;
    return nullptr;
}

std::vector<const Field*> Record::all(std::string_view name) const
{
    std::vector<const Field*> out;
    for (const Field& f : fields)
        if (f.name == name)
            out.push_back(&f);
    return out;
}

std::string Record::text(std::string_view name, const std::string& fallback) const
{
    const Field* f = find(name);
    return f && !f->values.empty() ? f->values.front() : fallback;
}

LONG Record::integer(std::string_view name, LONG fallback) const
{
    const Field* f = find(name);
    return f ? f->integer : fallback;
}

double Record::number(std::string_view name, double fallback) const
{
    const Field* f = find(name);
    return f && !f->numbers.empty() ? f->numbers.front() : fallback;
}

std::vector<double> Record::numbers(std::string_view name) const
{
    const Field* f = find(name);
    return f ? f->numbers : std::vector<double>();
}

ArrayValues Record::array(std::string_view name) const
{
    ArrayValues out;
    if (const Field* f = find(name)) {
        out.values = f->numbers;
        out.form = f->form;
    }
    return out;
}

std::vector<const Record*> Manifest::all(std::string_view type) const
{
    std::vector<const Record*> out;
    for (const Record& r : records)
        if (r.type == type)
            out.push_back(&r);
    return out;
}

const Record* Manifest::find(std::string_view type) const
{
    for (const Record& r : records)
        if (r.type == type)
            return &r;
    return nullptr;
}

ParseStatus parseManifest(std::string_view text, std::string_view magic, Manifest& out)
{
    out.records.clear();
    if (text.find('\0') != std::string_view::npos) {
        const size_t at = text.find('\0');
        return ParseStatus::failure(static_cast<int>(std::count(text.begin(), text.begin() + at, '\n')) + 1,
                                    "a zero byte");
    }
    size_t pos = 0;
    int lineNumber = 0;
    int endLine = 0;  // of "[end]"
    while (pos < text.size() || lineNumber == 0) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNumber == std::numeric_limits<int>::max())
            return ParseStatus::failure(lineNumber, "too many lines");
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != magic)
                return ParseStatus::failure(1, "not a manifest of this kind: the first line is not " +
                                                   quoted(magic));
            continue;
        }
        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && isBlank(line.back()))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (endLine > 0)
            return ParseStatus::failure(lineNumber, "text after [end]");
        if (line == "[end]") {
            endLine = lineNumber;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || !isName(line.substr(1, line.size() - 2)))
                return ParseStatus::failure(lineNumber, "a record line is \"[type]\" with a name of letters, "
                                                        "digits, \"_\", \"-\" or \".\"");
            Record record;
            record.type.assign(line.substr(1, line.size() - 2));
            record.line = lineNumber;
            out.records.push_back(std::move(record));
            continue;
        }
        std::vector<std::string> tokens;
        std::string why;
        if (line.front() == '"')
            return ParseStatus::failure(lineNumber, "bad field name: a field starts with its bare name");
        if (!tokenize(line, tokens, &why))
            return ParseStatus::failure(lineNumber, why);
        if (!isName(tokens.front()))
            return ParseStatus::failure(lineNumber, "bad field name " + quoted(tokens.front()));
        if (out.records.empty())
            return ParseStatus::failure(lineNumber, "field " + quoted(tokens.front()) + " before the first record");
        Field field;
        field.name = std::move(tokens.front());
        field.line = lineNumber;
        field.values.assign(std::make_move_iterator(tokens.begin() + 1), std::make_move_iterator(tokens.end()));
        out.records.back().fields.push_back(std::move(field));
    }
    if (endLine == 0) {
        out.records.clear();
        return ParseStatus::failure(lineNumber, "no [end]: the manifest is cut short");
    }
    return ParseStatus();
}

ParseStatus validate(Manifest& manifest, const Schema& schema)
{
    for (Record& record : manifest.records) {
        const RecordRule* rule = schema.find(record.type);
        if (!rule)
            return ParseStatus::failure(record.line, "unknown record [" + ks::printableText(record.type) + "]");
        const ParseStatus s = validateRecord(record, *rule);
        if (!s.ok)
            return s;
        if (record.type == "fault" && !schema.faultOperations.empty()) {
            const std::string op = record.text("operation");
            if (std::find(schema.faultOperations.begin(), schema.faultOperations.end(), op) ==
                schema.faultOperations.end())
                return ParseStatus::failure(record.find("operation")->line, "unknown operation " + quoted(op));
        }
    }
    for (const RecordRule& rule : schema.records) {
        const std::vector<const Record*> found = manifest.all(rule.type);
        const int n = static_cast<int>(std::min<size_t>(found.size(), INT32_MAX));
        if (n < rule.minCount)
            return ParseStatus::failure(0, "no record [" + rule.type + "]");
        if (n > rule.maxCount)
            return ParseStatus::failure(found[static_cast<size_t>(rule.maxCount)]->line,
                                        "[" + rule.type + "] may stand " + std::to_string(rule.maxCount) +
                                            (rule.maxCount == 1 ? " time" : " times"));
    }
    return ParseStatus();
}

ParseStatus readManifest(std::string_view text, std::string_view magic, const Schema& schema, Manifest& out)
{
    ParseStatus s = parseManifest(text, magic, out);
    if (s.ok)
        s = validate(out, schema);
    if (!s.ok)
        out.records.clear();
    return s;
}

ParseStatus readTextFile(const std::string& path, size_t maxBytes, std::string& text)
{
    text.clear();
    const int fd = ks::openRegularFile(path);
    if (fd < 0)
        return ParseStatus::failure(0, errno == EISDIR || errno == EINVAL ? "not a regular file"
                                                                           : "cannot be opened");
    struct stat st {};
    bool fits = fstat(fd, &st) == 0 && st.st_size >= 0 && static_cast<uint64_t>(st.st_size) <= maxBytes;
    if (fits) {
        text.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, &text[done], text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        text.resize(done);
        // A file that grew past the cap since fstat is refused as well.
        char extra = 0;
        fits = ::read(fd, &extra, 1) == 0;
    }
    ::close(fd);
    if (!fits) {
        text.clear();
        return ParseStatus::failure(0, "larger than " + std::to_string(maxBytes) + " bytes");
    }
    return ParseStatus();
}

ParseStatus readManifestFile(const std::string& path, std::string_view magic, const Schema& schema,
                             Manifest& out)
{
    out.records.clear();
    std::string text;
    const ParseStatus s = readTextFile(path, kMaxManifestBytes, text);
    return s.ok ? readManifest(text, magic, schema, out) : s;
}

bool parseNumber(std::string_view token, double& out)
{
    if (token.empty())
        return false;
    const char* first = token.data();
    const char* last = token.data() + token.size();
    if (*first == '+')
        ++first;
    double d = 0;
    const auto r = std::from_chars(first, last, d, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(d))
        return false;
    out = d;
    return true;
}

bool parseInteger(std::string_view token, LONG& out)
{
    bool negative = false;
    std::string_view digits = token;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty() || digits.front() == '-' || digits.front() == '+' || (base == 16 && negative))
        return false;
    uint64_t value = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size())
        return false;
    if (base == 16 && !negative) {
        // Hexadecimal gives the 32 bits as written (0x80004005).
        if (value > 0xFFFFFFFFu)
            return false;
        out = static_cast<LONG>(static_cast<uint32_t>(value));
        return true;
    }
    if (negative ? value > 0x80000000u : value > 0x7FFFFFFFu)
        return false;
    out = negative ? static_cast<LONG>(-static_cast<int64_t>(value)) : static_cast<LONG>(value);
    return true;
}

bool parseFailureCode(std::string_view token, HRESULT& out)
{
    static const struct {
        const char* name;
        HRESULT code;
    } names[] = {
        {"E_FAIL", E_FAIL},
        {"E_NOTIMPL", E_NOTIMPL},
        {"E_INVALIDARG", E_INVALIDARG},
        {"E_OUTOFMEMORY", E_OUTOFMEMORY},
        {"E_POINTER", E_POINTER},
        {"E_ACCESSDENIED", E_ACCESSDENIED},
        {"E_UNEXPECTED", E_UNEXPECTED},
        {"E_ABORT", E_ABORT},
        {"DISP_E_BADINDEX", DISP_E_BADINDEX},
        {"DISP_E_TYPEMISMATCH", DISP_E_TYPEMISMATCH},
        {"REGDB_E_CLASSNOTREG", REGDB_E_CLASSNOTREG},
    };
    for (const auto& n : names)
        if (token == n.name) {
            out = n.code;
            return true;
        }
    LONG value = 0;
    if (!parseInteger(token, value) || !FAILED(value))
        return false;
    out = value;
    return true;
}

}  // namespace vendorkit
