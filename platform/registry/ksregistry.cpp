// Registry calls over the hive files: handles, access checks and the
// wide/narrow forms.
#include "ksregistry.h"

#include "kshive.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>

using namespace ks::reg;

namespace {

constexpr int kHiveMachine = 0;
constexpr int kHiveUser = 1;
const char* const kHiveNames[2] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};

// Longest value name the registry accepts.
constexpr size_t kMaxValueName = 16383;

// Rights that change a key; refused on a read-only hive.
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

struct HandleData {
    int hive = kHiveUser;
    std::string file;                  // the hive file the key lives in
    std::vector<std::wstring> path;    // from the hive root, as stored
    std::vector<std::wstring> folded;  // the same, folded
    REGSAM access = 0;
    bool predefined = false;  // a root key: exists even when its path does not yet
    bool deleted = false;     // the key was seen deleted: stays so
};

std::mutex& registryMutex()
{
    static std::mutex m;
    return m;
}

std::unordered_map<uintptr_t, HandleData>& handles()
{
    static std::unordered_map<uintptr_t, HandleData> h;
    return h;
}

// Above every root key value (0x8000000x), so the two never meet.
uintptr_t g_nextHandle = uintptr_t(1) << 32;
std::atomic<bool> g_readOnly[2];

std::string hiveFile(int hive)
{
    return registryFolder() + "/" + kHiveNames[hive] + ".hive";
}

int hiveOfName(const std::string& n)
{
    if (n == "HKEY_LOCAL_MACHINE" || n == "HKLM" || n == "HKEY_CLASSES_ROOT" || n == "HKCR")
        return kHiveMachine;
    if (n == "HKEY_CURRENT_USER" || n == "HKCU")
        return kHiveUser;
    return -1;
}

bool hiveReadOnly(int hive)
{
    if (g_readOnly[hive].load())
        return true;
    const char* e = std::getenv("KESTROM_REGISTRY_READONLY");
    if (!e || !*e)
        return false;
    std::string s(e);
    size_t i = 0;
    while (i <= s.size()) {
        size_t j = s.find_first_of(",; ", i);
        if (j == std::string::npos)
            j = s.size();
        if (hiveOfName(s.substr(i, j - i)) == hive)
            return true;
        i = j + 1;
    }
    return false;
}

std::optional<HandleData> predefined(HKEY h)
{
    HandleData d;
    d.predefined = true;
    d.access = KEY_ALL_ACCESS;
    if (h == HKEY_CURRENT_USER) {
        d.hive = kHiveUser;
    } else if (h == HKEY_LOCAL_MACHINE) {
        d.hive = kHiveMachine;
    } else if (h == HKEY_CLASSES_ROOT) {
        d.hive = kHiveMachine;
        d.path = {L"Software", L"Classes"};
        d.folded = {L"SOFTWARE", L"CLASSES"};
    } else {
        return std::nullopt;
    }
    d.file = hiveFile(d.hive);
    return d;
}

// The handle's data: a copy for a root key, the table entry otherwise.
HandleData* resolve(HKEY h, HandleData& tmp)
{
    if (auto p = predefined(h)) {
        tmp = std::move(*p);
        return &tmp;
    }
    auto& t = handles();
    auto it = t.find(reinterpret_cast<uintptr_t>(h));
    return it == t.end() ? nullptr : &it->second;
}

HKEY newHandle(HandleData d)
{
    const uintptr_t id = g_nextHandle;
    g_nextHandle += 0x10;  // never reused: a stale handle stays invalid
    handles().emplace(id, std::move(d));
    return reinterpret_cast<HKEY>(id);
}

std::wstring fromLatin1(LPCSTR s)
{
    std::wstring w;
    if (s)
        for (const char* p = s; *p; ++p)
            w += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return w;
}

char toLatin1(wchar_t c)
{
    const uint32_t u = static_cast<uint32_t>(c);
    return u <= 0xFF ? static_cast<char>(u) : '?';
}

bool isStringType(DWORD t)
{
    return t == REG_SZ || t == REG_EXPAND_SZ || t == REG_MULTI_SZ;
}

// String data as a narrow caller sees it: one Latin-1 byte per character.
std::string narrowData(const std::string& wideBytes)
{
    const size_t n = wideBytes.size() / sizeof(wchar_t);
    std::string out(n, '\0');
    for (size_t k = 0; k < n; ++k) {
        wchar_t c;
        std::memcpy(&c, wideBytes.data() + k * sizeof(wchar_t), sizeof c);
        out[k] = toLatin1(c);
    }
    return out;
}

std::string widenData(const BYTE* data, DWORD cb)
{
    std::string out(static_cast<size_t>(cb) * sizeof(wchar_t), '\0');
    for (DWORD k = 0; k < cb; ++k) {
        const wchar_t c = static_cast<wchar_t>(data[k]);
        std::memcpy(&out[k * sizeof(wchar_t)], &c, sizeof c);
    }
    return out;
}

// A key path below a handle; empty components are refused except one
// trailing separator.
LONG splitPath(const std::wstring& s, std::vector<std::wstring>& out)
{
    out.clear();
    size_t i = 0;
    while (i < s.size()) {
        size_t j = s.find(L'\\', i);
        if (j == std::wstring::npos)
            j = s.size();
        if (j == i || j - i > kMaxKeyName)
            return ERROR_BAD_PATHNAME;
        out.push_back(s.substr(i, j - i));
        i = j + 1;
    }
    return ERROR_SUCCESS;
}

const Key* walk(const Key* k, const std::vector<std::wstring>& folded)
{
    for (const auto& f : folded) {
        k = k->findSubkey(f);
        if (!k)
            return nullptr;
    }
    return k;
}

Key* walk(Key* k, const std::vector<std::wstring>& folded)
{
    return const_cast<Key*>(walk(static_cast<const Key*>(k), folded));
}

// Every handle in the process on `path` or below it is now deleted.
void markDeleted(const std::string& file, const std::vector<std::wstring>& folded, bool includeKey)
{
    for (auto& [id, d] : handles()) {
        if (d.file != file || d.folded.size() < folded.size())
            continue;
        if (!includeKey && d.folded.size() == folded.size())
            continue;
        if (std::equal(folded.begin(), folded.end(), d.folded.begin()))
            d.deleted = true;
    }
}

const Key& emptyKey()
{
    static const Key k;
    return k;
}

// Runs `f` on the handle's key as it is now.
template <class F>
LONG readKey(HKEY h, REGSAM need, F f)
{
    std::lock_guard<std::mutex> lock(registryMutex());
    HandleData tmp;
    HandleData* d = resolve(h, tmp);
    if (!d)
        return ERROR_INVALID_HANDLE;
    if (d->deleted)
        return ERROR_KEY_DELETED;
    if ((d->access & need) != need)
        return ERROR_ACCESS_DENIED;
    LONG err;
    const Key* root = HiveStore::read(d->file, err);
    if (!root)
        return err;
    const Key* k = walk(root, d->folded);
    if (!k) {
        if (!d->predefined) {
            d->deleted = true;
            return ERROR_KEY_DELETED;
        }
        k = &emptyKey();
    }
    return f(*k, *d);
}

// The handle's key in a hive being rewritten. A predefined root key that is
// not written yet is made (`made` is then set); null when the key is deleted.
Key* keyToWrite(Key& root, const HandleData& d, bool& made)
{
    Key* k = walk(&root, d.folded);
    if (k)
        return k;
    if (!d.predefined)
        return nullptr;
    k = &root;
    for (const auto& n : d.path)
        k = k->ensureSubkey(n);
    made = true;
    return k;
}

// Runs `f` on the handle's key inside a locked rewrite of its hive.
template <class F>
LONG writeKey(HKEY h, REGSAM need, F f)
{
    std::lock_guard<std::mutex> lock(registryMutex());
    HandleData tmp;
    HandleData* d = resolve(h, tmp);
    if (!d)
        return ERROR_INVALID_HANDLE;
    if (d->deleted)
        return ERROR_KEY_DELETED;
    if ((d->access & need) != need || hiveReadOnly(d->hive))
        return ERROR_ACCESS_DENIED;
    bool gone = false;
    const LONG r = HiveStore::write(d->file, kHiveNames[d->hive], [&](Key& root, bool& changed) -> LONG {
        bool made = false;
        Key* k = keyToWrite(root, *d, made);
        if (!k) {
            gone = true;
            return ERROR_KEY_DELETED;
        }
        return f(root, *k, *d, changed);
    });
    if (gone)
        d->deleted = true;
    return r;
}

LONG deliverData(const std::string& bytes, LPBYTE data, LPDWORD cb)
{
    if (data && !cb)
        return ERROR_INVALID_PARAMETER;
    if (!cb)
        return ERROR_SUCCESS;
    const DWORD need = static_cast<DWORD>(bytes.size());
    if (data) {
        if (*cb < need) {
            *cb = need;
            return ERROR_MORE_DATA;
        }
        if (need)
            std::memcpy(data, bytes.data(), need);
    }
    *cb = need;
    return ERROR_SUCCESS;
}

// A name into a caller's wide or narrow buffer of *cch characters.
struct NameOut {
    wchar_t* w = nullptr;
    char* a = nullptr;
    bool given() const { return w || a; }
};

LONG deliverName(const std::wstring& name, NameOut out, LPDWORD cch)
{
    if (*cch <= name.size())
        return ERROR_MORE_DATA;
    for (size_t k = 0; k < name.size(); ++k) {
        if (out.w)
            out.w[k] = name[k];
        else
            out.a[k] = toLatin1(name[k]);
    }
    if (out.w)
        out.w[name.size()] = L'\0';
    else
        out.a[name.size()] = '\0';
    *cch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Keys carry no class text; an empty one is reported.
LONG deliverEmptyClass(NameOut cls, LPDWORD cch)
{
    if (cls.given()) {
        if (!cch)
            return ERROR_INVALID_PARAMETER;
        return deliverName(std::wstring(), cls, cch);
    }
    if (cch)
        *cch = 0;
    return ERROR_SUCCESS;
}

void zeroTime(PFILETIME ft)
{
    if (ft)
        *ft = FILETIME{0, 0};
}

std::string valueBytes(const Value& v, bool narrow)
{
    return (narrow && isStringType(v.type)) ? narrowData(v.data) : v.data;
}

// ---------------------------------------------------------------- calls

LONG openKey(HKEY h, const std::wstring* sub, REGSAM sam, PHKEY out)
{
    if (!out)
        return ERROR_INVALID_PARAMETER;
    *out = nullptr;
    std::vector<std::wstring> names;
    if (sub && splitPath(*sub, names) != ERROR_SUCCESS)
        return ERROR_BAD_PATHNAME;
    std::lock_guard<std::mutex> lock(registryMutex());
    HandleData tmp;
    HandleData* d = resolve(h, tmp);
    if (!d)
        return ERROR_INVALID_HANDLE;
    if (d->deleted)
        return ERROR_KEY_DELETED;
    if ((sam & kWriteRights) && hiveReadOnly(d->hive))
        return ERROR_ACCESS_DENIED;
    LONG err;
    const Key* root = HiveStore::read(d->file, err);
    if (!root)
        return err;
    const Key* k = walk(root, d->folded);
    HandleData nd;
    nd.hive = d->hive;
    nd.file = d->file;
    nd.path = d->path;
    nd.folded = d->folded;
    nd.access = sam;
    if (!k) {
        if (!d->predefined) {
            d->deleted = true;
            return ERROR_KEY_DELETED;
        }
        if (!names.empty())
            return ERROR_FILE_NOT_FOUND;
        nd.predefined = true;  // a root key not written yet
    }
    for (const auto& n : names) {
        k = k->findSubkey(foldName(n));
        if (!k)
            return ERROR_FILE_NOT_FOUND;
        nd.path.push_back(k->name);
        nd.folded.push_back(k->folded);
    }
    *out = newHandle(std::move(nd));
    return ERROR_SUCCESS;
}

LONG createKey(HKEY h, const std::wstring* sub, REGSAM sam, PHKEY out, LPDWORD disposition)
{
    if (!out)
        return ERROR_INVALID_PARAMETER;
    *out = nullptr;
    if (!sub)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::wstring> names;
    if (splitPath(*sub, names) != ERROR_SUCCESS)
        return ERROR_BAD_PATHNAME;
    std::vector<std::wstring> foldedNames;
    for (const auto& n : names)
        foldedNames.push_back(foldName(n));

    std::lock_guard<std::mutex> lock(registryMutex());
    HandleData tmp;
    HandleData* d = resolve(h, tmp);
    if (!d)
        return ERROR_INVALID_HANDLE;
    if (d->deleted)
        return ERROR_KEY_DELETED;
    if (d->path.size() + names.size() > kMaxKeyDepth)
        return ERROR_BAD_PATHNAME;
    const bool readOnly = hiveReadOnly(d->hive);
    if ((sam & kWriteRights) && readOnly)
        return ERROR_ACCESS_DENIED;

    HandleData nd;
    nd.hive = d->hive;
    nd.file = d->file;
    nd.access = sam;
    auto finish = [&](const Key* parent, const Key* k, bool created) {
        nd.path = d->path;
        nd.folded = d->folded;
        for (const auto& f : foldedNames) {
            parent = parent->findSubkey(f);
            nd.path.push_back(parent->name);
            nd.folded.push_back(parent->folded);
        }
        (void)k;
        if (disposition)
            *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        *out = newHandle(std::move(nd));
    };

    // An existing key is only opened.
    LONG err;
    const Key* root = HiveStore::read(d->file, err);
    if (!root)
        return err;
    const Key* base = walk(root, d->folded);
    if (!base && !d->predefined) {
        d->deleted = true;
        return ERROR_KEY_DELETED;
    }
    if (base) {
        const Key* k = walk(base, foldedNames);
        if (k) {
            finish(base, k, false);
            return ERROR_SUCCESS;
        }
    } else if (names.empty()) {
        // A root key that is not written yet.
        nd.predefined = true;
        nd.path = d->path;
        nd.folded = d->folded;
        if (disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        *out = newHandle(std::move(nd));
        return ERROR_SUCCESS;
    }
    if (readOnly || !(d->access & KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;

    bool gone = false;
    const LONG r = HiveStore::write(d->file, kHiveNames[d->hive], [&](Key& rootW, bool& changed) -> LONG {
        bool made = false;
        Key* b = keyToWrite(rootW, *d, made);
        if (!b) {
            gone = true;
            return ERROR_KEY_DELETED;
        }
        if (made)
            changed = true;
        Key* k = b;
        bool created = false;
        for (const auto& n : names) {
            k = k->ensureSubkey(n, &created);
            changed = changed || created;
        }
        finish(b, k, created);
        return ERROR_SUCCESS;
    });
    if (gone)
        d->deleted = true;
    if (r != ERROR_SUCCESS && *out) {
        handles().erase(reinterpret_cast<uintptr_t>(*out));
        *out = nullptr;
    }
    return r;
}

LONG queryValue(HKEY h, const std::wstring& name, LPDWORD type, LPBYTE data, LPDWORD cb, bool narrow)
{
    if (data && !cb)
        return ERROR_INVALID_PARAMETER;
    const std::wstring f = foldName(name);
    return readKey(h, KEY_QUERY_VALUE, [&](const Key& k, HandleData&) -> LONG {
        const Value* v = k.findValue(f);
        if (!v)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = v->type;
        return deliverData(valueBytes(*v, narrow), data, cb);
    });
}

LONG setValue(HKEY h, const std::wstring& name, DWORD type, const BYTE* data, DWORD cb, bool narrow)
{
    if (!data && cb)
        return ERROR_INVALID_PARAMETER;
    if (name.size() > kMaxValueName)
        return ERROR_INVALID_PARAMETER;
    std::string bytes;
    if (narrow && isStringType(type))
        bytes = widenData(data, cb);
    else if (cb)
        bytes.assign(reinterpret_cast<const char*>(data), cb);
    const std::wstring f = foldName(name);
    return writeKey(h, KEY_SET_VALUE, [&](Key&, Key& k, HandleData&, bool& changed) -> LONG {
        const Value* v = k.findValue(f);
        if (v && v->type == type && v->data == bytes)
            return ERROR_SUCCESS;
        k.setValue(name, type, bytes);
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG deleteValue(HKEY h, const std::wstring& name)
{
    const std::wstring f = foldName(name);
    return writeKey(h, KEY_SET_VALUE, [&](Key&, Key& k, HandleData&, bool& changed) -> LONG {
        if (!k.removeValue(f))
            return ERROR_FILE_NOT_FOUND;
        changed = true;
        return ERROR_SUCCESS;
    });
}

enum class Removal { Leaf, Tree, Contents };

// Deletes the key `sub` below the handle's key (the handle's own key for
// an empty name): a leaf only, or with everything below it; or empties
// the handle's key.
LONG removeKey(HKEY h, const std::wstring& sub, Removal mode)
{
    std::vector<std::wstring> names;
    if (splitPath(sub, names) != ERROR_SUCCESS)
        return ERROR_BAD_PATHNAME;
    std::vector<std::wstring> foldedNames;
    for (const auto& n : names)
        foldedNames.push_back(foldName(n));
    std::string file;
    std::vector<std::wstring> target;
    const REGSAM need = mode == Removal::Contents ? KEY_SET_VALUE : 0;
    const LONG r = writeKey(h, need, [&](Key& root, Key& k, HandleData& d, bool& changed) -> LONG {
        file = d.file;
        target = d.folded;
        if (mode == Removal::Contents) {
            changed = !k.values.empty() || !k.subkeys.empty();
            k.values.clear();
            k.subkeys.clear();
            return ERROR_SUCCESS;
        }
        target.insert(target.end(), foldedNames.begin(), foldedNames.end());
        if (target.empty() || (names.empty() && d.predefined))
            return ERROR_ACCESS_DENIED;  // root keys stay
        const std::vector<std::wstring> parentPath(target.begin(), target.end() - 1);
        Key* parent = walk(&root, parentPath);
        Key* victim = parent ? parent->findSubkey(target.back()) : nullptr;
        if (!victim)
            return ERROR_FILE_NOT_FOUND;
        if (mode == Removal::Leaf && !victim->subkeys.empty())
            return ERROR_ACCESS_DENIED;
        parent->removeSubkey(target.back());
        changed = true;
        return ERROR_SUCCESS;
    });
    if (r == ERROR_SUCCESS) {
        std::lock_guard<std::mutex> lock(registryMutex());
        markDeleted(file, target, mode != Removal::Contents);
    }
    return r;
}

LONG enumKey(HKEY h, DWORD index, NameOut name, LPDWORD cch, NameOut cls, LPDWORD cchClass, PFILETIME ft)
{
    if (!name.given() || !cch)
        return ERROR_INVALID_PARAMETER;
    return readKey(h, KEY_ENUMERATE_SUB_KEYS, [&](const Key& k, HandleData&) -> LONG {
        if (index >= k.subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        if (cls.given() && !cchClass)
            return ERROR_INVALID_PARAMETER;
        const LONG r = deliverName(k.subkeys[index]->name, name, cch);
        if (r != ERROR_SUCCESS)
            return r;
        zeroTime(ft);
        return deliverEmptyClass(cls, cchClass);
    });
}

LONG enumValue(HKEY h, DWORD index, NameOut name, LPDWORD cch, LPDWORD type, LPBYTE data, LPDWORD cb, bool narrow)
{
    if (!name.given() || !cch || (data && !cb))
        return ERROR_INVALID_PARAMETER;
    return readKey(h, KEY_QUERY_VALUE, [&](const Key& k, HandleData&) -> LONG {
        if (index >= k.values.size())
            return ERROR_NO_MORE_ITEMS;
        const Value& v = k.values[index];
        const LONG r = deliverName(v.name, name, cch);
        if (r != ERROR_SUCCESS)
            return r;
        if (type)
            *type = v.type;
        return deliverData(valueBytes(v, narrow), data, cb);
    });
}

LONG queryInfo(HKEY h, NameOut cls, LPDWORD cchClass, LPDWORD subKeys, LPDWORD maxSubKeyLen, LPDWORD maxClassLen,
               LPDWORD values, LPDWORD maxValueNameLen, LPDWORD maxValueLen, LPDWORD secDesc, PFILETIME ft,
               bool narrow)
{
    if (cls.given() && !cchClass)
        return ERROR_INVALID_PARAMETER;
    return readKey(h, KEY_QUERY_VALUE, [&](const Key& k, HandleData&) -> LONG {
        const LONG r = deliverEmptyClass(cls, cchClass);
        if (r != ERROR_SUCCESS)
            return r;
        DWORD maxSub = 0, maxName = 0, maxData = 0;
        for (const auto& s : k.subkeys)
            maxSub = std::max(maxSub, static_cast<DWORD>(s->name.size()));
        for (const auto& v : k.values) {
            maxName = std::max(maxName, static_cast<DWORD>(v.name.size()));
            maxData = std::max(maxData, static_cast<DWORD>(valueBytes(v, narrow).size()));
        }
        if (subKeys)
            *subKeys = static_cast<DWORD>(k.subkeys.size());
        if (maxSubKeyLen)
            *maxSubKeyLen = maxSub;
        if (maxClassLen)
            *maxClassLen = 0;
        if (values)
            *values = static_cast<DWORD>(k.values.size());
        if (maxValueNameLen)
            *maxValueNameLen = maxName;
        if (maxValueLen)
            *maxValueLen = maxData;
        if (secDesc)
            *secDesc = 0;
        zeroTime(ft);
        return ERROR_SUCCESS;
    });
}

std::wstring wideArg(LPCWSTR s)
{
    return s ? std::wstring(s) : std::wstring();
}

}  // namespace

// ---------------------------------------------------------------- exports

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    const std::wstring sub = wideArg(lpSubKey);
    return openKey(hKey, &sub, samDesired, phkResult);
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult)
{
    const std::wstring sub = fromLatin1(lpSubKey);
    return openKey(hKey, &sub, samDesired, phkResult);
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPCWSTR, DWORD, REGSAM samDesired, LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition)
{
    const std::wstring sub = wideArg(lpSubKey);
    return createKey(hKey, lpSubKey ? &sub : nullptr, samDesired, phkResult, lpdwDisposition);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPCSTR, DWORD, REGSAM samDesired, LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition)
{
    const std::wstring sub = fromLatin1(lpSubKey);
    return createKey(hKey, lpSubKey ? &sub : nullptr, samDesired, phkResult, lpdwDisposition);
}

LONG RegCloseKey(HKEY hKey)
{
    if (predefined(hKey))
        return ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(registryMutex());
    return handles().erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    return queryValue(hKey, wideArg(lpValueName), lpType, lpData, lpcbData, false);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    return queryValue(hKey, fromLatin1(lpValueName), lpType, lpData, lpcbData, true);
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    return setValue(hKey, wideArg(lpValueName), dwType, lpData, cbData, false);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    return setValue(hKey, fromLatin1(lpValueName), dwType, lpData, cbData, true);
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    return deleteValue(hKey, wideArg(lpValueName));
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    return deleteValue(hKey, fromLatin1(lpValueName));
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    return removeKey(hKey, lpSubKey, Removal::Leaf);
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    return removeKey(hKey, fromLatin1(lpSubKey), Removal::Leaf);
}

LONG RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey)
{
    if (!lpSubKey)
        return removeKey(hKey, std::wstring(), Removal::Contents);
    return removeKey(hKey, lpSubKey, Removal::Tree);
}

LONG RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey)
{
    if (!lpSubKey)
        return removeKey(hKey, std::wstring(), Removal::Contents);
    return removeKey(hKey, fromLatin1(lpSubKey), Removal::Tree);
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                   LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    NameOut name, cls;
    name.w = lpName;
    cls.w = lpClass;
    return enumKey(hKey, dwIndex, name, lpcchName, cls, lpcchClass, lpftLastWriteTime);
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR lpClass,
                   LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    NameOut name, cls;
    name.a = lpName;
    cls.a = lpClass;
    return enumKey(hKey, dwIndex, name, lpcchName, cls, lpcchClass, lpftLastWriteTime);
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD, LPDWORD lpType,
                   LPBYTE lpData, LPDWORD lpcbData)
{
    NameOut name;
    name.w = lpValueName;
    return enumValue(hKey, dwIndex, name, lpcchValueName, lpType, lpData, lpcbData, false);
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD, LPDWORD lpType,
                   LPBYTE lpData, LPDWORD lpcbData)
{
    NameOut name;
    name.a = lpValueName;
    return enumValue(hKey, dwIndex, name, lpcchValueName, lpType, lpData, lpcbData, true);
}

LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      PFILETIME lpftLastWriteTime)
{
    NameOut cls;
    cls.w = lpClass;
    return queryInfo(hKey, cls, lpcchClass, lpcSubKeys, lpcbMaxSubKeyLen, lpcbMaxClassLen, lpcValues,
                     lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor, lpftLastWriteTime, false);
}

LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      PFILETIME lpftLastWriteTime)
{
    NameOut cls;
    cls.a = lpClass;
    return queryInfo(hKey, cls, lpcchClass, lpcSubKeys, lpcbMaxSubKeyLen, lpcbMaxClassLen, lpcValues,
                     lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor, lpftLastWriteTime, true);
}

LONG KsRegSetHiveReadOnly(HKEY hKey, BOOL readOnly)
{
    int hive;
    if (hKey == HKEY_CURRENT_USER)
        hive = kHiveUser;
    else if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CLASSES_ROOT)
        hive = kHiveMachine;
    else
        return ERROR_INVALID_HANDLE;
    g_readOnly[hive].store(readOnly != 0);
    return ERROR_SUCCESS;
}
