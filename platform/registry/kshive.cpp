#include "kshive.h"

#include "ksfiles.h"
#include "kswinerror.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ks::reg {

// ---------------------------------------------------------------- names

std::wstring foldName(const std::wstring& name)
{
    // The platform's one fold decides which names are equal; the capital
    // of each folded letter keeps the order subkeys always had ("_" after
    // the letters).
    // ASCII, which nearly every name is, is folded here: every registry
    // call folds the names of its path.
    std::wstring out(name);
    for (auto& c : out) {
        if (c >= 0 && c < 0x80) {
            if (c >= L'a' && c <= L'z')
                c -= L'a' - L'A';
        } else {
            c = ks::upperCase(ks::foldCase(c));
        }
    }
    return out;
}

Key* Key::findSubkey(const std::wstring& f) const
{
    auto it = std::lower_bound(subkeys.begin(), subkeys.end(), f,
                               [](const std::unique_ptr<Key>& k, const std::wstring& x) { return k->folded < x; });
    return (it != subkeys.end() && (*it)->folded == f) ? it->get() : nullptr;
}

Key* Key::ensureSubkey(const std::wstring& n, bool* created)
{
    std::wstring f = foldName(n);
    auto it = std::lower_bound(subkeys.begin(), subkeys.end(), f,
                               [](const std::unique_ptr<Key>& k, const std::wstring& x) { return k->folded < x; });
    if (it != subkeys.end() && (*it)->folded == f) {
        if (created)
            *created = false;
        return it->get();
    }
    auto k = std::make_unique<Key>();
    k->name = n;
    k->folded = std::move(f);
    Key* raw = k.get();
    subkeys.insert(it, std::move(k));
    if (created)
        *created = true;
    return raw;
}

bool Key::removeSubkey(const std::wstring& f)
{
    auto it = std::lower_bound(subkeys.begin(), subkeys.end(), f,
                               [](const std::unique_ptr<Key>& k, const std::wstring& x) { return k->folded < x; });
    if (it == subkeys.end() || (*it)->folded != f)
        return false;
    subkeys.erase(it);
    return true;
}

Value* Key::findValue(const std::wstring& f)
{
    for (auto& v : values)
        if (v.folded == f)
            return &v;
    return nullptr;
}

const Value* Key::findValue(const std::wstring& f) const
{
    for (auto& v : values)
        if (v.folded == f)
            return &v;
    return nullptr;
}

void Key::setValue(const std::wstring& n, DWORD type, std::string data)
{
    std::wstring f = foldName(n);
    if (Value* v = findValue(f)) {
        // The name keeps the case it was first written with, like the
        // value keeps its place.
        v->type = type;
        v->data = std::move(data);
        return;
    }
    Value v;
    v.name = n;
    v.folded = std::move(f);
    v.type = type;
    v.data = std::move(data);
    values.push_back(std::move(v));
}

bool Key::removeValue(const std::wstring& f)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        if (it->folded == f) {
            values.erase(it);
            return true;
        }
    return false;
}

// ---------------------------------------------------------------- text

namespace {

bool validCodePoint(uint32_t u)
{
    return u <= 0x10FFFF && !(u >= 0xD800 && u <= 0xDFFF);
}

void appendUtf8(std::string& out, uint32_t u)
{
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 character at s[i]; false on an invalid sequence.
bool decodeUtf8(const std::string& s, size_t& i, uint32_t& u)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int n;
    uint32_t min;
    if (c < 0x80) {
        u = c;
        ++i;
        return true;
    } else if ((c & 0xE0) == 0xC0) {
        n = 1;
        u = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 2;
        u = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 3;
        u = c & 0x07;
        min = 0x10000;
    } else {
        return false;
    }
    if (i + static_cast<size_t>(n) >= s.size())
        return false;
    for (int k = 1; k <= n; ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
        if ((d & 0xC0) != 0x80)
            return false;
        u = (u << 6) | (d & 0x3F);
    }
    if (u < min || !validCodePoint(u))
        return false;
    i += static_cast<size_t>(n) + 1;
    return true;
}

void appendHexEscape(std::string& out, char lead, uint32_t u)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "%cx{%x}", lead, static_cast<unsigned>(u));
    out += buf;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads "{hex}" at s[i] (1 to 8 digits).
bool readBracedHex(const std::string& s, size_t& i, uint32_t& u)
{
    if (i >= s.size() || s[i] != '{')
        return false;
    ++i;
    u = 0;
    int digits = 0;
    while (i < s.size() && s[i] != '}') {
        const int d = hexDigit(s[i]);
        if (d < 0 || ++digits > 8)
            return false;
        u = (u << 4) | static_cast<uint32_t>(d);
        ++i;
    }
    if (i >= s.size() || digits == 0)
        return false;
    ++i;
    return true;
}

// Parses a quoted text starting at s[i] (the opening quote).
bool readQuoted(const std::string& s, size_t& i, std::wstring& out)
{
    if (i >= s.size() || s[i] != '"')
        return false;
    ++i;
    out.clear();
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c == '\\') {
            ++i;
            if (i >= s.size())
                return false;
            const char e = s[i++];
            switch (e) {
            case '\\': out += L'\\'; break;
            case '"': out += L'"'; break;
            case '0': out += L'\0'; break;
            case 'n': out += L'\n'; break;
            case 'r': out += L'\r'; break;
            case 't': out += L'\t'; break;
            case 'x': {
                uint32_t u;
                if (!readBracedHex(s, i, u))
                    return false;
                out += static_cast<wchar_t>(u);
                break;
            }
            default:
                return false;
            }
            continue;
        }
        uint32_t u;
        if (!decodeUtf8(s, i, u))
            return false;
        if (u < 0x20)
            return false;
        out += static_cast<wchar_t>(u);
    }
    return false;
}

struct TypeName {
    DWORD type;
    const char* name;
};
const TypeName kTypeNames[] = {
    {0, "none"}, {1, "sz"}, {2, "expand_sz"}, {3, "binary"}, {4, "dword"}, {7, "multi_sz"}, {11, "qword"},
};

std::string typeName(DWORD type)
{
    for (const auto& t : kTypeNames)
        if (t.type == type)
            return t.name;
    char buf[32];
    std::snprintf(buf, sizeof buf, "type(%u)", static_cast<unsigned>(type));
    return buf;
}

bool parseTypeName(const std::string& s, DWORD& type)
{
    for (const auto& t : kTypeNames)
        if (s == t.name) {
            type = t.type;
            return true;
        }
    if (s.size() > 6 && s.compare(0, 5, "type(") == 0 && s.back() == ')') {
        uint64_t v = 0;
        for (size_t k = 5; k + 1 < s.size(); ++k) {
            if (s[k] < '0' || s[k] > '9' || k > 15)
                return false;
            v = v * 10 + static_cast<uint64_t>(s[k] - '0');
        }
        if (v > 0xFFFFFFFFu)
            return false;
        type = static_cast<DWORD>(v);
        return true;
    }
    return false;
}

bool isStringType(DWORD t)
{
    return t == 1 || t == 2 || t == 7;
}

std::string wideBytes(const std::wstring& w)
{
    return std::string(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
}

}  // namespace

std::string utf8FromWide(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        const uint32_t u = static_cast<uint32_t>(c);
        appendUtf8(out, validCodePoint(u) ? u : 0xFFFDu);
    }
    return out;
}

std::wstring wideFromUtf8(const std::string& text)
{
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        uint32_t u;
        if (decodeUtf8(text, i, u)) {
            out += static_cast<wchar_t>(u);
        } else {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
        }
    }
    return out;
}

std::string quoteText(const std::wstring& text)
{
    std::string out = "\"";
    for (wchar_t c : text) {
        const uint32_t u = static_cast<uint32_t>(c);
        switch (u) {
        case '\\': out += "\\\\"; continue;
        case '"': out += "\\\""; continue;
        case 0: out += "\\0"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        default: break;
        }
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || !validCodePoint(u))
            appendHexEscape(out, '\\', u);
        else
            appendUtf8(out, u);
    }
    out += '"';
    return out;
}

std::string formatKeyPath(const std::vector<std::wstring>& path)
{
    std::string out;
    for (size_t k = 0; k < path.size(); ++k) {
        if (k)
            out += '\\';
        for (wchar_t c : path[k]) {
            const uint32_t u = static_cast<uint32_t>(c);
            if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == '%' || !validCodePoint(u))
                appendHexEscape(out, '%', u);
            else
                appendUtf8(out, u);
        }
    }
    return out;
}

std::string formatValueLine(const Value& v)
{
    std::string out = v.name.empty() ? std::string("@") : quoteText(v.name);
    out += '=';
    out += typeName(v.type);
    out += ':';
    char buf[40];
    if (isStringType(v.type) && v.data.size() % sizeof(wchar_t) == 0) {
        std::wstring w(v.data.size() / sizeof(wchar_t), L'\0');
        if (!w.empty())
            std::memcpy(&w[0], v.data.data(), v.data.size());
        out += quoteText(w);
    } else if (v.type == 4 && v.data.size() == 4) {
        uint32_t d;
        std::memcpy(&d, v.data.data(), 4);
        std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(d));
        out += buf;
    } else if (v.type == 11 && v.data.size() == 8) {
        uint64_t q;
        std::memcpy(&q, v.data.data(), 8);
        std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(q));
        out += buf;
    } else {
        out += "hex:";
        for (size_t k = 0; k < v.data.size(); ++k) {
            std::snprintf(buf, sizeof buf, k ? ",%02x" : "%02x", static_cast<unsigned char>(v.data[k]));
            out += buf;
        }
    }
    return out;
}

namespace {

const char kEndLine[] = "; end";

void formatKey(const Key& key, std::vector<std::wstring>& path, std::string& out)
{
    if (!path.empty() || !key.values.empty()) {
        out += "\n[";
        out += formatKeyPath(path);
        out += "]\n";
        for (const auto& v : key.values) {
            out += formatValueLine(v);
            out += '\n';
        }
    }
    for (const auto& sub : key.subkeys) {
        path.push_back(sub->name);
        formatKey(*sub, path, out);
        path.pop_back();
    }
}

bool parseKeyPath(const std::string& s, std::vector<std::wstring>& path)
{
    path.clear();
    if (s.empty())
        return true;  // the hive's root
    std::wstring cur;
    size_t i = 0;
    while (i <= s.size()) {
        if (i == s.size() || s[i] == '\\') {
            if (cur.empty() || cur.size() > kMaxKeyName || path.size() >= kMaxKeyDepth)
                return false;
            path.push_back(cur);
            cur.clear();
            ++i;
            if (i > s.size())
                break;
            continue;
        }
        if (s[i] == '%') {
            ++i;
            uint32_t u;
            if (i >= s.size() || s[i] != 'x')
                return false;
            ++i;
            // No call can make a zero character in a name: it is damage.
            if (!readBracedHex(s, i, u) || u == '\\' || u == 0)
                return false;
            cur += static_cast<wchar_t>(u);
            continue;
        }
        uint32_t u;
        if (!decodeUtf8(s, i, u) || u < 0x20)
            return false;
        cur += static_cast<wchar_t>(u);
    }
    return true;
}

bool parseHexDigits(const std::string& s, size_t count, uint64_t& v)
{
    if (s.size() != count)
        return false;
    v = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<uint64_t>(d);
    }
    return true;
}

// Parses `name=type:data`; an empty error means success.
std::string parseValueLine(const std::string& line, Value& v)
{
    size_t i = 0;
    std::wstring name;
    if (line[0] == '@') {
        i = 1;
    } else if (!readQuoted(line, i, name)) {
        return "bad value name";
    } else if (name.find(L'\0') != std::wstring::npos) {
        return "zero character in a value name";
    }
    if (i >= line.size() || line[i] != '=')
        return "'=' expected after the value name";
    ++i;
    const size_t colon = line.find(':', i);
    if (colon == std::string::npos)
        return "value type expected";
    DWORD type;
    if (!parseTypeName(line.substr(i, colon - i), type))
        return "unknown value type";
    i = colon + 1;
    std::string data;
    if (i < line.size() && line[i] == '"') {
        std::wstring w;
        if (!readQuoted(line, i, w))
            return "bad quoted data";
        if (i != line.size())
            return "text after the data";
        data = wideBytes(w);
    } else if (line.compare(i, 4, "hex:") == 0) {
        i += 4;
        while (i < line.size()) {
            if (i + 2 > line.size())
                return "bad hex data";
            const int a = hexDigit(line[i]), b = hexDigit(line[i + 1]);
            if (a < 0 || b < 0)
                return "bad hex data";
            data += static_cast<char>(a * 16 + b);
            i += 2;
            if (i < line.size()) {
                if (line[i] != ',' || i + 1 == line.size())
                    return "bad hex data";
                ++i;
            }
        }
    } else if (type == 4) {
        uint64_t d;
        if (!parseHexDigits(line.substr(i), 8, d))
            return "bad dword data";
        const uint32_t d32 = static_cast<uint32_t>(d);
        data.assign(reinterpret_cast<const char*>(&d32), 4);
    } else if (type == 11) {
        uint64_t q;
        if (!parseHexDigits(line.substr(i), 16, q))
            return "bad qword data";
        data.assign(reinterpret_cast<const char*>(&q), 8);
    } else {
        return "bad data";
    }
    v.name = std::move(name);
    v.folded = foldName(v.name);
    v.type = type;
    v.data = std::move(data);
    return {};
}

}  // namespace

std::string formatHive(const Key& root, const std::string& hiveName)
{
    std::string out = "; Kestrom registry hive " + hiveName + "\n";
    std::vector<std::wstring> path;
    formatKey(root, path, out);
    out += '\n';
    out += kEndLine;
    out += '\n';
    return out;
}

namespace {

// Subkeys met while parsing. Keys written by the registry come in order,
// so a parent's subkeys stay sorted while each new name sorts after the
// last: found by binary search, appended at the end. The first name that
// does not gives that parent a hash index of its subkeys, used from then
// on, and its subkeys are sorted once at the end: keys in any order load
// in one pass, and keys in order cost no more than they always did.
using NameIndex = std::unordered_map<std::wstring, Key*>;
using UnorderedParents = std::unordered_map<Key*, NameIndex>;

Key* childWhileParsing(Key* parent, const std::wstring& name, UnorderedParents& unordered)
{
    std::wstring folded = foldName(name);
    auto& subs = parent->subkeys;
    if (!subs.empty() && subs.back()->folded == folded)
        return subs.back().get();
    auto u = unordered.find(parent);
    if (u == unordered.end() && !subs.empty() && folded < subs.back()->folded) {
        const auto it = std::lower_bound(
            subs.begin(), subs.end(), folded,
            [](const std::unique_ptr<Key>& k, const std::wstring& x) { return k->folded < x; });
        if ((*it)->folded == folded)
            return it->get();
        u = unordered.emplace(parent, NameIndex()).first;
        for (const auto& k : subs)
            u->second.emplace(k->folded, k.get());
    } else if (u != unordered.end()) {
        const auto found = u->second.find(folded);
        if (found != u->second.end())
            return found->second;
    }
    auto k = std::make_unique<Key>();
    k->name = name;
    k->folded = folded;
    Key* raw = k.get();
    subs.push_back(std::move(k));
    if (u != unordered.end())
        u->second.emplace(std::move(folded), raw);
    return raw;
}

}  // namespace

ParseStatus parseHive(const std::string& text, Key& root)
{
    ParseStatus st;
    UnorderedParents unordered;
    Key* current = nullptr;
    // After a damaged key line its values have no key to go to: they are
    // skipped up to the next key line.
    bool skippingKey = false;
    std::unordered_set<std::wstring> seen;  // folded value names of `current`
    bool ended = false;
    size_t pos = 0, lineNo = 0;
    // A damaged line loses only itself: the first one is reported, every
    // one is counted, and reading goes on.
    auto damage = [&](const std::string& why) {
        if (st.complete) {
            st.complete = false;
            st.line = lineNo;
            st.reason = why;
        }
        ++st.damagedLines;
    };
    auto child = [&](Key* parent, const std::wstring& name) { return childWhileParsing(parent, name, unordered); };
    while (pos < text.size()) {
        ++lineNo;
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (ended) {
            // Whatever follows the end line is read as well, but the file
            // as a whole is damaged.
            damage("text after the end line");
            ended = false;
        }
        if (line[0] == ';') {
            if (line == kEndLine)
                ended = true;
            continue;
        }
        if (line[0] == '[') {
            std::vector<std::wstring> path;
            if (line.back() != ']' || !parseKeyPath(line.substr(1, line.size() - 2), path)) {
                damage(line.back() != ']' ? "bad key line" : "bad key name");
                current = nullptr;
                skippingKey = true;
                continue;
            }
            skippingKey = false;
            current = &root;
            for (const auto& n : path)
                current = child(current, n);
            seen.clear();
            for (const auto& v : current->values)
                seen.insert(v.folded);
            continue;
        }
        if (!current) {
            if (skippingKey)
                ++st.damagedLines;
            else
                damage("value outside a key");
            continue;
        }
        Value v;
        const std::string why = parseValueLine(line, v);
        if (!why.empty()) {
            damage(why);
            continue;
        }
        if (!seen.insert(v.folded).second) {
            damage("value listed twice");
            continue;
        }
        current->values.push_back(std::move(v));
    }
    if (!ended && !text.empty()) {
        ++lineNo;
        damage("the file ends early");
    }
    for (auto& entry : unordered)
        std::sort(entry.first->subkeys.begin(), entry.first->subkeys.end(),
                  [](const std::unique_ptr<Key>& a, const std::unique_ptr<Key>& b) { return a->folded < b->folded; });
    return st;
}

// ---------------------------------------------------------------- files

std::string registryFolder()
{
    if (const char* e = std::getenv("KESTROM_REGISTRY"); e && *e)
        return e;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        return std::string(x) + "/kestrom/registry";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const passwd* pw = getpwuid(getuid()))
        home = pw->pw_dir ? pw->pw_dir : "";
    return home + "/.config/kestrom/registry";
}

namespace {

struct FileStatus {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    bool operator==(const FileStatus& o) const
    {
        if (exists != o.exists)
            return false;
        if (!exists)
            return true;
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
               ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

FileStatus statusOf(const struct stat& st)
{
    FileStatus s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    return s;
}

struct CachedHive {
    FileStatus status;
    std::unique_ptr<Key> root;
};

std::map<std::string, CachedHive>& cache()
{
    static std::map<std::string, CachedHive> c;
    return c;
}

// Writes a warning about a hive file once for each version of the file: the
// hive is loaded again before every write, and the same damage would
// otherwise be told at each load. A version is the file's status, so a file
// changed or replaced since is told about again.
void warnOnce(const std::string& file, const FileStatus& status, const std::string& text)
{
    static std::unordered_map<std::string, std::pair<FileStatus, std::string>> lastTold;
    auto told = lastTold.find(file);
    if (told != lastTold.end() && told->second.first == status && told->second.second == text)
        return;
    lastTold[file] = {status, text};
    std::fprintf(stderr, "%s\n", text.c_str());
}

// The status of the file a path names (following links), empty when none.
FileStatus statusOfPath(const std::string& file)
{
    struct stat st;
    return ::stat(file.c_str(), &st) == 0 ? statusOf(st) : FileStatus{};
}

// Reads an open file whole; false on a read error or when it holds more
// than kMaxHiveBytes (a file that grew after its size was checked).
bool readAll(int fd, std::string& out)
{
    out.clear();
    char buf[65536];
    for (;;) {
        if (out.size() > kMaxHiveBytes)
            return false;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        out.append(buf, static_cast<size_t>(n));
    }
}

struct Loaded {
    FileStatus status;
    std::unique_ptr<Key> root;
    std::string raw;
    bool damaged = false;
};

// Loads the hive file; a damaged file loads as far as it can be read and
// is reported on standard error (once per version of the file).
LONG loadFile(const std::string& file, Loaded& out)
{
    out.root = std::make_unique<Key>();
    out.damaged = false;
    out.raw.clear();
    // Only a regular file is a hive: a FIFO would block every call and a
    // device (a link to /dev/zero) would feed bytes without end.
    const int fd = ks::openRegularFile(file);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            out.status = FileStatus{};
            return ERROR_SUCCESS;
        }
        if (errno == EINVAL || errno == EISDIR)
            warnOnce(file, statusOfPath(file), "ksplatform: the registry hive " + file + " is not a regular file");
        return ERROR_CANTOPEN;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return ERROR_CANTREAD;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxHiveBytes) {
        ::close(fd);
        warnOnce(file, statusOf(st),
                 "ksplatform: the registry hive " + file + " is larger than " + std::to_string(kMaxHiveBytes) +
                     " bytes; it is not read");
        return ERROR_CANTREAD;
    }
    out.status = statusOf(st);
    const bool readOk = readAll(fd, out.raw);
    ::close(fd);
    if (!readOk && out.raw.size() > kMaxHiveBytes)
        return ERROR_CANTREAD;
    ParseStatus ps = parseHive(out.raw, *out.root);
    if (!readOk && ps.complete) {
        ps.complete = false;
        ps.reason = "read error";
    }
    if (!ps.complete) {
        out.damaged = true;
        warnOnce(file, out.status,
                 "ksplatform: the registry hive " + file + " is damaged at line " + std::to_string(ps.line) + " (" +
                     ps.reason + "); " + std::to_string(ps.damagedLines) +
                     " damaged line(s) were skipped, the rest was loaded");
    }
    return ERROR_SUCCESS;
}

bool ensureFolder(const std::string& folder)
{
    std::string cur;
    size_t i = 0;
    while (i <= folder.size()) {
        const size_t slash = folder.find('/', i);
        const size_t end = slash == std::string::npos ? folder.size() : slash;
        cur = folder.substr(0, end);
        if (!cur.empty() && ::mkdir(cur.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
        i = slash + 1;
    }
    struct stat st;
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string folderOf(const std::string& file)
{
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : file.substr(0, slash));
}

bool writeAllFd(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Keeps the raw bytes of a damaged hive beside it before it is rewritten.
bool keepDamagedCopy(const std::string& file, const std::string& raw)
{
    char stamp[32];
    const time_t now = std::time(nullptr);
    struct tm tmv;
    gmtime_r(&now, &tmv);
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tmv);
    for (int n = 0; n < 1000; ++n) {
        std::string copy = file + ".damaged-" + stamp;
        if (n)
            copy += "-" + std::to_string(n);
        const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool ok = writeAllFd(fd, raw) && ::fsync(fd) == 0;
        ::close(fd);
        if (ok)
            std::fprintf(stderr, "ksplatform: the damaged registry hive %s was kept as %s\n", file.c_str(),
                         copy.c_str());
        return ok;
    }
    return false;
}

// Removes temporary files of the hive that a writer which died before its
// rename left behind. Called with the hive locked: no live writer has one.
void removeStaleTemporaries(const std::string& folder, const std::string& file)
{
    const std::string base = file.substr(file.rfind('/') + 1) + ".tmp-";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* e = ::readdir(dir))
        if (std::strncmp(e->d_name, base.c_str(), base.size()) == 0)
            ::unlink((folder + "/" + e->d_name).c_str());
    ::closedir(dir);
}

timespec later(const timespec& a, const timespec& b)
{
    return (a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec)) ? a : b;
}

class HiveLock {
public:
    explicit HiveLock(const std::string& file)
    {
        fd_ = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0)
            return;
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~HiveLock()
    {
        if (fd_ >= 0)
            ::close(fd_);  // releases the lock
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace

const Key* HiveStore::read(const std::string& file, LONG& err)
{
    err = ERROR_SUCCESS;
    FileStatus now;
    struct stat st;
    if (::stat(file.c_str(), &st) == 0)
        now = statusOf(st);
    else if (errno != ENOENT && errno != ENOTDIR) {
        err = ERROR_CANTREAD;
        return nullptr;
    }
    auto& c = cache();
    auto it = c.find(file);
    if (it != c.end() && it->second.root && it->second.status == now)
        return it->second.root.get();
    Loaded l;
    err = loadFile(file, l);
    if (err != ERROR_SUCCESS)
        return nullptr;
    CachedHive& h = c[file];
    h.status = l.status;
    h.root = std::move(l.root);
    return h.root.get();
}

LONG HiveStore::write(const std::string& file, const std::string& hiveName, const Change& change)
{
    const std::string folder = folderOf(file);
    if (!ensureFolder(folder))
        return ERROR_CANTWRITE;
    HiveLock lock(file);
    if (!lock.held())
        return ERROR_CANTWRITE;

    // Under the lock the file is current: no other writer can replace it.
    Loaded l;
    LONG err = loadFile(file, l);
    if (err != ERROR_SUCCESS)
        return err;
    bool changed = false;
    const LONG result = change(*l.root, changed);
    if (result != ERROR_SUCCESS || !changed) {
        // Nothing to write; still the freshest view of the hive.
        CachedHive& h = cache()[file];
        h.status = l.status;
        h.root = std::move(l.root);
        return result;
    }
    if (l.damaged && !keepDamagedCopy(file, l.raw))
        return ERROR_CANTWRITE;

    removeStaleTemporaries(folder, file);
    const std::string text = formatHive(*l.root, hiveName);
    std::string tmpl = file + ".tmp-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return ERROR_CANTWRITE;
    bool ok = writeAllFd(fd, text);
    // Every version of the file gets a later modification time than the
    // one it replaces, so the status check of readers always sees a change
    // even when a new file reuses the old one's inode within one clock tick.
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (l.status.exists) {
        timespec next = l.status.mtime;
        if (++next.tv_nsec >= 1000000000) {
            next.tv_nsec = 0;
            ++next.tv_sec;
        }
        now = later(now, next);
    }
    const timespec times[2] = {now, now};
    ok = ok && ::futimens(fd, times) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    struct stat st;
    if (!ok || ::rename(name.data(), file.c_str()) != 0 || ::stat(file.c_str(), &st) != 0) {
        ::unlink(name.data());
        return ERROR_CANTWRITE;
    }
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    CachedHive& h = cache()[file];
    h.status = statusOf(st);
    h.root = std::move(l.root);
    return ERROR_SUCCESS;
}

}  // namespace ks::reg
