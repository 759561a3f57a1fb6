// ksreg: prints and edits the registry.
#include "kshive.h"
#include "ksfiles.h"
#include "ksregistry.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <string>
#include <vector>

using ks::reg::utf8FromWide;
using ks::reg::wideFromUtf8;

namespace {

const char kUsage[] =
    "usage: ksreg dump [KEY]\n"
    "       ksreg query KEY [NAME]\n"
    "       ksreg set KEY NAME TYPE [DATA...]\n"
    "       ksreg delete KEY [NAME]\n"
    "       ksreg folder\n"
    "KEY is HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT (or HKCU,\n"
    "HKLM, HKCR), optionally followed by \\ and a key path. NAME \"\" is the\n"
    "default value. TYPE is sz, expand_sz, multi_sz (one DATA per string),\n"
    "dword, qword (decimal or 0x hex), binary or none (hex bytes, e.g. 01,ff).\n"
    "Strings are stored with their terminating zero. delete without NAME\n"
    "deletes the key with everything below it. folder prints the registry\n"
    "folder: KESTROM_REGISTRY, else $XDG_CONFIG_HOME/kestrom/registry, else\n"
    "~/.config/kestrom/registry. Exit status 0 on success, 1 on a registry\n"
    "error, 2 on bad arguments.\n";

struct Root {
    const char* name;
    const char* shortName;
    HKEY key;
};
const Root kRoots[] = {
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
};

struct KeyArg {
    const Root* root = nullptr;
    std::wstring path;
};

// An argument as the user typed it, in quotes, on one line.
std::string quoted(const std::string& arg)
{
    return "\"" + ks::printableText(arg) + "\"";
}

// A bad argument: one line naming it and what is allowed; the full usage
// is for --help.
int badArgument(const std::string& message)
{
    std::fprintf(stderr, "ksreg: %s\n", message.c_str());
    return 2;
}

bool parseKeyArg(const std::string& s, KeyArg& out)
{
    const size_t sep = s.find('\\');
    const std::string head = s.substr(0, sep);
    for (const auto& r : kRoots)
        if (ks::equalNoCaseUtf8(head, r.name) || ks::equalNoCaseUtf8(head, r.shortName))
            out.root = &r;
    if (!out.root) {
        badArgument("unknown root " + quoted(head) + " in KEY " + quoted(s) +
                    "; allowed: HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT (or HKCU, HKLM, HKCR)");
        return false;
    }
    out.path = sep == std::string::npos ? std::wstring() : wideFromUtf8(s.substr(sep + 1));
    while (!out.path.empty() && out.path.back() == L'\\')
        out.path.pop_back();
    return true;
}

int fail(const std::string& what, LONG err)
{
    std::fprintf(stderr, "ksreg: %s: %s (error %d)\n", what.c_str(),
                 err == ERROR_FILE_NOT_FOUND  ? "not found"
                 : err == ERROR_ACCESS_DENIED ? "access denied"
                 : err == ERROR_KEY_DELETED   ? "key deleted"
                                              : "failed",
                 static_cast<int>(err));
    return 1;
}

std::string displayPath(const KeyArg& k)
{
    std::string s = k.root->name;
    if (!k.path.empty())
        s += "\\" + utf8FromWide(k.path);
    return s;
}

// All values of an open key, in their order.
LONG readValues(HKEY key, std::vector<ks::reg::Value>& out)
{
    DWORD count = 0, maxName = 0, maxData = 0;
    LONG r = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData,
                              nullptr, nullptr);
    if (r != ERROR_SUCCESS)
        return r;
    for (DWORD i = 0;; ++i) {
        std::vector<wchar_t> name(maxName + 1);
        std::vector<BYTE> data(maxData + 1);
        DWORD cch = maxName + 1, cb = maxData + 1, type = 0;
        r = RegEnumValueW(key, i, name.data(), &cch, nullptr, &type, data.data(), &cb);
        if (r == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (r == ERROR_MORE_DATA) {
            // Changed meanwhile by another process: start again.
            RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData,
                             nullptr, nullptr);
            out.clear();
            i = static_cast<DWORD>(-1);
            continue;
        }
        if (r != ERROR_SUCCESS)
            return r;
        ks::reg::Value v;
        v.name.assign(name.data(), cch);
        v.type = type;
        v.data.assign(reinterpret_cast<const char*>(data.data()), cb);
        out.push_back(std::move(v));
    }
}

LONG subkeyNames(HKEY key, std::vector<std::wstring>& out)
{
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD cch = 256;
        const LONG r = RegEnumKeyExW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
        if (r != ERROR_SUCCESS)
            return r;
        out.emplace_back(name, cch);
    }
}

LONG dumpKey(HKEY key, const std::string& shown)
{
    std::vector<ks::reg::Value> values;
    LONG r = readValues(key, values);
    if (r != ERROR_SUCCESS)
        return r;
    std::printf("[%s]\n", shown.c_str());
    for (const auto& v : values)
        std::printf("%s\n", ks::reg::formatValueLine(v).c_str());
    std::printf("\n");
    std::vector<std::wstring> subs;
    r = subkeyNames(key, subs);
    if (r != ERROR_SUCCESS)
        return r;
    for (const auto& s : subs) {
        HKEY sub;
        r = RegOpenKeyExW(key, s.c_str(), 0, KEY_READ, &sub);
        if (r == ERROR_FILE_NOT_FOUND)
            continue;  // deleted meanwhile
        if (r != ERROR_SUCCESS)
            return r;
        r = dumpKey(sub, shown + "\\" + ks::reg::formatKeyPath({s}));
        RegCloseKey(sub);
        if (r != ERROR_SUCCESS)
            return r;
    }
    return ERROR_SUCCESS;
}

int cmdDump(const std::vector<std::string>& args)
{
    std::vector<KeyArg> keys;
    if (args.empty()) {
        keys.resize(2);
        keys[0].root = &kRoots[0];
        keys[1].root = &kRoots[1];
    } else {
        KeyArg k;
        if (args.size() != 1)
            return badArgument("dump takes at most one KEY; got " + std::to_string(args.size()) + " arguments");
        if (!parseKeyArg(args[0], k))
            return 2;
        keys.push_back(k);
    }
    for (const auto& k : keys) {
        HKEY h;
        LONG r = RegOpenKeyExW(k.root->key, k.path.c_str(), 0, KEY_READ, &h);
        if (r != ERROR_SUCCESS)
            return fail(displayPath(k), r);
        r = dumpKey(h, displayPath(k));
        RegCloseKey(h);
        if (r != ERROR_SUCCESS)
            return fail(displayPath(k), r);
    }
    return 0;
}

int cmdQuery(const std::vector<std::string>& args)
{
    KeyArg k;
    if (args.empty() || args.size() > 2)
        return badArgument("query takes KEY [NAME]; got " + std::to_string(args.size()) + " arguments");
    if (!parseKeyArg(args[0], k))
        return 2;
    HKEY h;
    LONG r = RegOpenKeyExW(k.root->key, k.path.c_str(), 0, KEY_READ, &h);
    if (r != ERROR_SUCCESS)
        return fail(displayPath(k), r);
    std::vector<ks::reg::Value> values;
    r = readValues(h, values);
    RegCloseKey(h);
    if (r != ERROR_SUCCESS)
        return fail(displayPath(k), r);
    if (args.size() == 2) {
        const std::wstring f = ks::reg::foldName(wideFromUtf8(args[1]));
        for (const auto& v : values)
            if (ks::reg::foldName(v.name) == f) {
                std::printf("%s\n", ks::reg::formatValueLine(v).c_str());
                return 0;
            }
        return fail(displayPath(k) + " value \"" + args[1] + "\"", ERROR_FILE_NOT_FOUND);
    }
    for (const auto& v : values)
        std::printf("%s\n", ks::reg::formatValueLine(v).c_str());
    return 0;
}

bool parseNumber(const std::string& s, uint64_t max, uint64_t& v)
{
    if (s.empty() || s[0] == '-' || s[0] == '+')
        return false;
    errno = 0;
    char* end = nullptr;
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    const unsigned long long x = std::strtoull(s.c_str(), &end, hex ? 16 : 10);
    if (errno || *end || x > max)
        return false;
    v = x;
    return true;
}

// Hex bytes of every argument into out; the first argument that is not
// pairs of hex digits in *bad.
bool parseHexBytes(const std::vector<std::string>& args, std::string& out, const std::string** bad)
{
    for (const auto& a : args) {
        *bad = &a;
        std::string digits;
        for (char c : a)
            if (c != ',' && c != ' ')
                digits += c;
        if (digits.size() % 2)
            return false;
        for (size_t i = 0; i < digits.size(); i += 2) {
            char* end = nullptr;
            const std::string two = digits.substr(i, 2);
            const long b = std::strtol(two.c_str(), &end, 16);
            if (*end || !std::isxdigit(static_cast<unsigned char>(two[0])))
                return false;
            out += static_cast<char>(b);
        }
    }
    return true;
}

int cmdSet(const std::vector<std::string>& args)
{
    KeyArg k;
    if (args.size() < 3)
        return badArgument("set takes KEY NAME TYPE [DATA...]; got " + std::to_string(args.size()) + " arguments");
    if (!parseKeyArg(args[0], k))
        return 2;
    const std::wstring name = wideFromUtf8(args[1]);
    const std::string& type = args[2];
    const std::vector<std::string> data(args.begin() + 3, args.end());
    DWORD regType;
    std::string bytes;
    auto appendText = [&](const std::string& utf8) {
        std::wstring w = wideFromUtf8(utf8);
        w += L'\0';
        bytes.append(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
    };
    auto oneData = [&](const char* what) {
        return badArgument(type + " takes one DATA (" + what + "); got " + std::to_string(data.size()));
    };
    if (type == "sz" || type == "expand_sz") {
        regType = type == "sz" ? REG_SZ : REG_EXPAND_SZ;
        if (data.size() != 1)
            return oneData("the text");
        appendText(data[0]);
    } else if (type == "multi_sz") {
        regType = REG_MULTI_SZ;
        for (const auto& s : data)
            appendText(s);
        appendText(std::string());
    } else if (type == "dword" || type == "qword") {
        regType = type == "dword" ? REG_DWORD : REG_QWORD;
        if (data.size() != 1)
            return oneData("a number");
        uint64_t v = 0;
        if (!parseNumber(data[0], regType == REG_DWORD ? 0xFFFFFFFFu : ~uint64_t(0), v))
            return badArgument("bad " + type + " DATA " + quoted(data[0]) + "; allowed: 0 to " +
                               (regType == REG_DWORD ? "4294967295 (0xFFFFFFFF)"
                                                     : "18446744073709551615 (0xFFFFFFFFFFFFFFFF)") +
                               ", decimal or 0x hex");
        if (regType == REG_DWORD) {
            const uint32_t d = static_cast<uint32_t>(v);
            bytes.assign(reinterpret_cast<const char*>(&d), 4);
        } else {
            bytes.assign(reinterpret_cast<const char*>(&v), 8);
        }
    } else if (type == "binary" || type == "none") {
        regType = type == "binary" ? REG_BINARY : REG_NONE;
        const std::string* bad = nullptr;
        if (!parseHexBytes(data, bytes, &bad))
            return badArgument("bad " + type + " DATA " + quoted(*bad) +
                               "; allowed: pairs of hex digits, bytes separated by commas or not (01,ff or 01ff)");
    } else {
        return badArgument("unknown TYPE " + quoted(type) +
                           "; allowed: sz, expand_sz, multi_sz, dword, qword, binary, none");
    }
    HKEY h;
    LONG r = RegCreateKeyExW(k.root->key, k.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                             nullptr, &h, nullptr);
    if (r != ERROR_SUCCESS)
        return fail(displayPath(k), r);
    r = RegSetValueExW(h, name.c_str(), 0, regType, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    RegCloseKey(h);
    if (r != ERROR_SUCCESS)
        return fail(displayPath(k) + " value \"" + args[1] + "\"", r);
    return 0;
}

int cmdDelete(const std::vector<std::string>& args)
{
    KeyArg k;
    if (args.empty() || args.size() > 2)
        return badArgument("delete takes KEY [NAME]; got " + std::to_string(args.size()) + " arguments");
    if (!parseKeyArg(args[0], k))
        return 2;
    if (args.size() == 2) {
        HKEY h;
        LONG r = RegOpenKeyExW(k.root->key, k.path.c_str(), 0, KEY_SET_VALUE, &h);
        if (r != ERROR_SUCCESS)
            return fail(displayPath(k), r);
        r = RegDeleteValueW(h, wideFromUtf8(args[1]).c_str());
        RegCloseKey(h);
        return r == ERROR_SUCCESS ? 0 : fail(displayPath(k) + " value \"" + args[1] + "\"", r);
    }
    if (k.path.empty()) {
        std::fprintf(stderr, "ksreg: %s: a root key cannot be deleted\n", k.root->name);
        return 1;
    }
    const LONG r = RegDeleteTreeW(k.root->key, k.path.c_str());
    return r == ERROR_SUCCESS ? 0 : fail(displayPath(k), r);
}

// The registry folder of this environment, absolute (a relative
// KESTROM_REGISTRY names a folder below the current one).
int cmdFolder(const std::vector<std::string>& args)
{
    if (!args.empty())
        return badArgument("folder takes no arguments; got " + std::to_string(args.size()));
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(ks::reg::registryFolder(), ec);
    std::printf("%s\n", ec ? ks::reg::registryFolder().c_str() : folder.lexically_normal().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string cmd = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (cmd == "dump")
        return cmdDump(args);
    if (cmd == "query")
        return cmdQuery(args);
    if (cmd == "set")
        return cmdSet(args);
    if (cmd == "delete")
        return cmdDelete(args);
    if (cmd == "folder")
        return cmdFolder(args);
    if (cmd == "-h" || cmd == "--help" || cmd == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    return badArgument("unknown command " + quoted(cmd) + "; allowed: dump, query, set, delete, folder, --help");
}
