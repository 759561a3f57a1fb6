// Shared set-up of the dataset-access tests: the KSProviderServer component
// and the fake data servers registered with ksregsvr into the test's own
// registry, fake provider keys written the way the provider server reads
// them, the fake servers' script and their log.
#pragma once

#include "fakeservers.h"

#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksregistry.h"
#include "kstest.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace accesstest {

inline const wchar_t* kProvidersKey = L"Software\\Kestrom\\Data Services";
inline const wchar_t* kBrowserPathValue =
    L"Software\\Kestrom\\Data Services\\Dataset browser\\Applications\\KSProviderServer\\Source Path";

inline std::string providerServerModule()
{
    return std::string(KS_LIB_DIR) + "/KSProviderServer.so";
}

inline std::string fakeServersModule()
{
    return std::string(KS_LIB_DIR) + "/ks_dataaccess_test_servers.so";
}

inline void registerModule(const std::string& module)
{
    const ks::test::RunResult r = ks::test::run({std::string(KS_BIN_DIR) + "/ksregsvr", module});
    ASSERT_EQ(0, r.exitCode) << r.err;
}

inline void setNumber(HKEY root, const std::wstring& path, const wchar_t* name, DWORD value)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value));
    RegCloseKey(key);
}

// REG_SZ with its terminator.
inline void setText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
    RegCloseKey(key);
}

// A value's text (any string type, up to its first zero), or "<none>".
inline std::wstring readText(HKEY root, const std::wstring& pathAndValue)
{
    const size_t cut = pathAndValue.rfind(L'\\');
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, pathAndValue.substr(0, cut).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"<none>";
    wchar_t buf[2048] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    const LONG err = RegQueryValueExW(key, pathAndValue.substr(cut + 1).c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return err == ERROR_SUCCESS ? std::wstring(buf) : L"<none>";
}

inline std::wstring slotText(int slot)
{
    return ks::guidToString(fakeServerClsid(slot));
}

// Provider class identifiers sort in the order of n, which is the order in
// which the provider server lists them.
inline std::wstring providerId(int n)
{
    wchar_t buf[64];
    swprintf(buf, 64, L"{A11CE000-0000-4000-8000-%012X}", n);
    return buf;
}

// A provider key with the six required values and, when given, its
// "DataServer Class ID".
inline void addProvider(int n, const std::wstring& className, const std::wstring* dataServerClassId)
{
    const std::wstring key = std::wstring(kProvidersKey) + L"\\" + providerId(n);
    setText(HKEY_CURRENT_USER, key, L"Class Name", className);
    setText(HKEY_CURRENT_USER, key, L"Copyright", L"(c)");
    setText(HKEY_CURRENT_USER, key, L"Menu Name", L"Provider " + std::to_wstring(n));
    setText(HKEY_CURRENT_USER, key, L"Supplier", L"Test");
    setText(HKEY_CURRENT_USER, key, L"Version", L"1.0");
    setNumber(HKEY_CURRENT_USER, key, L"Provider Flags", 4);
    if (dataServerClassId)
        setText(HKEY_CURRENT_USER, key, L"DataServer Class ID", *dataServerClassId);
}

inline void addProviderOfSlot(int n, int slot, const std::wstring& className = std::wstring())
{
    const std::wstring id = slotText(slot);
    addProvider(n, className.empty() ? L"Provider" + std::to_wstring(n) : className, &id);
}

inline std::wstring scriptKey(int slot)
{
    return std::wstring(kFakeScriptKey) + L"\\Server" + std::to_wstring(slot);
}

inline void script(int slot, const wchar_t* name, DWORD value)
{
    setNumber(HKEY_CURRENT_USER, scriptKey(slot), name, value);
}

inline void scriptText(int slot, const wchar_t* name, const std::wstring& text)
{
    setText(HKEY_CURRENT_USER, scriptKey(slot), name, text);
}

// The text data server's ProgID names a fake class.
inline void makeTextDataServer(int slot)
{
    setText(HKEY_CLASSES_ROOT, L"KSTextProvider.KSTextDataServer\\CLSID", L"", slotText(slot));
}

struct LogLine {
    std::string event;
    int slot = 0;
    int instance = 0;
    std::string path;
};

inline std::vector<LogLine> fakeLog()
{
    std::vector<LogLine> lines;
    std::istringstream in(ks::test::readFile(ks::test::tempDir() + "/tmp/fakeservers.log"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        LogLine l;
        fields >> l.event >> l.slot >> l.instance;
        std::getline(fields >> std::ws, l.path);
        lines.push_back(l);
    }
    return lines;
}

// "event slot" for every line of one kind (or all), in order.
inline std::vector<std::string> events(const std::string& kind = std::string())
{
    std::vector<std::string> out;
    for (const LogLine& l : fakeLog())
        if (kind.empty() || l.event == kind)
            out.push_back(l.event + " " + std::to_string(l.slot));
    return out;
}

// The fake class behind a server, as its slot (0 when unknown).
inline int slotOf(IUnknown* server)
{
    ks::ComPtr<IKSDataServer3> s3;
    if (!server || FAILED(s3.queryFrom(server)))
        return 0;
    ks::Bstr id;
    if (FAILED(s3->get_ClassID(&id)))
        return 0;
    for (int slot = 1; slot <= kFakeServerSlots; ++slot)
        if (id.str() == slotText(slot))
            return slot;
    return 0;
}

// Instance number of a server (from its creation line), 0 when unknown:
// the instance a test holds is the last one created of its slot.
inline int lastInstanceOf(int slot)
{
    int instance = 0;
    for (const LogLine& l : fakeLog())
        if (l.event == "create" && l.slot == slot)
            instance = l.instance;
    return instance;
}

class AccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerModule(providerServerModule());
        registerModule(fakeServersModule());
    }

    // A new dataset access created by its class identifier.
    ks::ComPtr<IKSDataAccess> createAccess()
    {
        ks::ComPtr<IKSDataAccess> access;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_KSDataAccess, nullptr, CLSCTX_INPROC_SERVER, IID_IKSDataAccess,
                                         access.out()));
        return access;
    }

    template <class I>
    static ks::ComPtr<I> as(IUnknown* p)
    {
        ks::ComPtr<I> q;
        EXPECT_EQ(S_OK, q.queryFrom(p));
        return q;
    }
};

}  // namespace accesstest
