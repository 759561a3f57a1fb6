// Internal to the registry: the in-memory form of a hive, its text format
// and the hive files (cache by file status, locked atomic rewrites).
#pragma once

#include "kstypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ks::reg {

// Case-insensitive comparison key of a name: ks::foldCase (independent of
// the process locale) written as capitals, which keeps the subkey order.
std::wstring foldName(const std::wstring& name);

// Deepest key path (names below a hive root) and longest key name.
constexpr size_t kMaxKeyDepth = 512;
constexpr size_t kMaxKeyName = 255;

// Largest hive file read (64 MiB, some hundred thousand keys beyond any
// real registry): a larger one is refused with ERROR_CANTREAD and left as
// it is, so memory stays bounded whatever the file holds.
constexpr size_t kMaxHiveBytes = size_t(64) << 20;

struct Value {
    std::wstring name;
    std::wstring folded;
    DWORD type = 0;
    std::string data;  // the bytes exactly as written
};

struct Key {
    std::wstring name;
    std::wstring folded;
    std::vector<Value> values;                 // first-written order
    std::vector<std::unique_ptr<Key>> subkeys;  // sorted by folded name

    Key* findSubkey(const std::wstring& folded) const;
    // Finds or inserts (in order); `created` tells which.
    Key* ensureSubkey(const std::wstring& name, bool* created = nullptr);
    bool removeSubkey(const std::wstring& folded);
    Value* findValue(const std::wstring& folded);
    const Value* findValue(const std::wstring& folded) const;
    void setValue(const std::wstring& name, DWORD type, std::string data);
    bool removeValue(const std::wstring& folded);
};

// Text form of a hive. A line that cannot be read loses only itself
// (after a damaged key line, the values up to the next key line, which
// have no key to go to): everything else is loaded, keys in any order in
// one pass. A zero character in a key or value name is damage (no call can
// make one).
struct ParseStatus {
    bool complete = true;
    size_t line = 0;          // the first damaged line (1-based) when incomplete
    std::string reason;       // why that line is damaged
    size_t damagedLines = 0;  // lines skipped in all
};
ParseStatus parseHive(const std::string& text, Key& root);
std::string formatHive(const Key& root, const std::string& hiveName);

// Escaped text of single items, as they appear in the hive format (used by
// the ksreg tool for its output as well).
std::string quoteText(const std::wstring& text);
std::string formatKeyPath(const std::vector<std::wstring>& path);
std::string formatValueLine(const Value& value);
std::string utf8FromWide(const std::wstring& text);
// Decodes UTF-8 (invalid sequences become U+FFFD).
std::wstring wideFromUtf8(const std::string& text);

// The folder of the hive files, from the environment of this call.
std::string registryFolder();

// One hive file. All functions are called with the registry's process lock
// held.
class HiveStore {
public:
    // The current content of the hive file, re-read only when the file's
    // status changed. Null (with `err` set) when the file cannot be read.
    static const Key* read(const std::string& file, LONG& err);

    // Locks the hive, re-reads it, applies `change` and, when it reports a
    // change, replaces the file atomically. Returns change's result or an
    // I/O error.
    using Change = std::function<LONG(Key& root, bool& changed)>;
    static LONG write(const std::string& file, const std::string& hiveName, const Change& change);
};

}  // namespace ks::reg
