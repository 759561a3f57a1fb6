// Helpers shared by the provider-server tests: registering components into
// the test's registry, provider servers, event listeners and in-process
// providers built from the framework's templates.
#pragma once

#include "dataproviderimpl.h"
#include "ksactivation.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "ksregistry.h"
#include "kstest.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace servertest {

inline std::string libPath(const std::string& name)
{
    return std::string(KS_LIB_DIR) + "/" + name + ".so";
}
inline const std::string kServerModule = "KSProviderServer";
inline const std::string kTestProviderModule = "ks_providerserver_test_provider";

// ksregsvr [-u] on a component of the build.
inline ks::test::RunResult regsvr(const std::string& module, bool unregister = false,
                                  const std::vector<std::string>& env = {})
{
    std::vector<std::string> argv{std::string(KS_BIN_DIR) + "/ksregsvr"};
    if (unregister)
        argv.push_back("-u");
    argv.push_back(libPath(module));
    return ks::test::run(argv, env);
}

inline void registerModule(const std::string& module)
{
    const ks::test::RunResult r = regsvr(module);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
}

inline ks::test::RunResult ksreg(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{std::string(KS_BIN_DIR) + "/ksreg"};
    argv.insert(argv.end(), args.begin(), args.end());
    return ks::test::run(argv);
}

inline ks::ComPtr<IKSProviderServer> newServer()
{
    ks::ComPtr<IKSProviderServer> server;
    const HRESULT hr = CoCreateInstance(CLSID_KSProviderServer, nullptr, CLSCTX_INPROC_SERVER, IID_IKSProviderServer,
                                        server.out());
    EXPECT_EQ(hr, S_OK);
    return server;
}

inline LONG countOf(IKSProviderServer* server)
{
    LONG n = -1;
    EXPECT_EQ(server->get_Count(&n), S_OK);
    return n;
}

inline std::wstring text(HRESULT hr, BSTR b)
{
    ks::Bstr owned;
    owned.attach(b);
    EXPECT_EQ(hr, S_OK);
    return owned.str();
}

// What a description answers, all nine members.
struct DescriptionValues {
    std::wstring classID, className, copyright, menuName, supplier, version, dataServerClassID, filter;
    LONG flags = 0;
    bool operator==(const DescriptionValues& o) const
    {
        return classID == o.classID && className == o.className && copyright == o.copyright &&
               menuName == o.menuName && supplier == o.supplier && version == o.version &&
               dataServerClassID == o.dataServerClassID && filter == o.filter && flags == o.flags;
    }
};

inline DescriptionValues describe(IKSProviderDescription* d)
{
    DescriptionValues v;
    BSTR b = nullptr;
    HRESULT hr = d->get_ClassID(&b);
    v.classID = text(hr, b);
    hr = d->get_ClassName(&b);
    v.className = text(hr, b);
    hr = d->get_Copyright(&b);
    v.copyright = text(hr, b);
    hr = d->get_MenuName(&b);
    v.menuName = text(hr, b);
    hr = d->get_Supplier(&b);
    v.supplier = text(hr, b);
    hr = d->get_Version(&b);
    v.version = text(hr, b);
    EXPECT_EQ(d->get_ProviderFlags(&v.flags), S_OK);
    ks::ComPtr<IKSProviderDescription2> d2;
    EXPECT_EQ(d2.queryFrom(d), S_OK);
    if (d2) {
        hr = d2->get_DataServerClassID(&b);
        v.dataServerClassID = text(hr, b);
    }
    ks::ComPtr<IKSProviderDescription3> d3;
    EXPECT_EQ(d3.queryFrom(d), S_OK);
    if (d3) {
        hr = d3->get_FilterString(&b);
        v.filter = text(hr, b);
    }
    return v;
}

inline ks::ComPtr<IKSProviderDescription> item(IKSProviderServer* server, LONG index)
{
    ks::ComPtr<IKSProviderDescription> d;
    EXPECT_EQ(server->get_Item(index, &d), S_OK);
    return d;
}

// Every description of a server, in list order.
inline std::vector<DescriptionValues> listOf(IKSProviderServer* server)
{
    std::vector<DescriptionValues> all;
    const LONG n = countOf(server);
    for (LONG i = 1; i <= n; ++i) {
        ks::ComPtr<IKSProviderDescription> d = item(server, i);
        if (d)
            all.push_back(describe(d));
    }
    return all;
}

inline std::vector<std::wstring> classNamesOf(IKSProviderServer* server)
{
    std::vector<std::wstring> names;
    for (const DescriptionValues& v : listOf(server))
        names.push_back(v.className);
    return names;
}

// A listener of _IKSProviderServerEvents that counts the events.
class CEventCounter : public ks::Object<ks::Dual<IKSProviderServerEventsSink>> {
public:
    HRESULT ProvidersChanged() override
    {
        ++calls;
        return S_OK;
    }
    int calls = 0;
};

inline ks::ComPtr<IConnectionPoint> eventsOf(IKSProviderServer* server)
{
    ks::ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(container.queryFrom(server), S_OK);
    ks::ComPtr<IConnectionPoint> point;
    if (container) {
        EXPECT_EQ(container->FindConnectionPoint(IID__IKSProviderServerEvents, &point), S_OK);
    }
    return point;
}

// Connects a new counter to the server's events.
struct Listener {
    ks::ComPtr<CEventCounter> counter;
    ks::ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    int calls() const { return counter->calls; }
};

inline Listener listen(IKSProviderServer* server)
{
    Listener l;
    CEventCounter* c = nullptr;
    EXPECT_EQ(ks::createObject(&c), S_OK);
    l.counter = c;
    l.point = eventsOf(server);
    if (l.point) {
        EXPECT_EQ(l.point->Advise(c->GetUnknown(), &l.cookie), S_OK);
    }
    return l;
}

// An in-process provider built from the templates, with every field set
// by the test and any member made to fail.
template <class Derived, class... More>
class CFakeProviderBase : public ks::Object<IKSDataProviderImpl<Derived>, More...> {
public:
    void setDescription(const std::wstring& classID, const std::wstring& className, const std::wstring& copyright,
                        const std::wstring& menuName, const std::wstring& supplier, const std::wstring& version,
                        LONG flags)
    {
        this->m_strClassID = classID;
        this->m_strClassName = className;
        this->m_strCopyright = copyright;
        this->m_strMenuName = menuName;
        this->m_strSupplier = supplier;
        this->m_strVersion = version;
        this->m_lProviderFlags = flags;
    }
    void addService(const wchar_t* name, REFIID iid) { this->AddService(name, iid); }
    // The named member (its property name) answers hr.
    void failMember(const std::wstring& member, HRESULT hr)
    {
        m_failing = member;
        m_failure = hr;
    }

    HRESULT get_ClassID(BSTR* p) override { return fails(L"ClassID") ? m_failure : Base::get_ClassID(p); }
    HRESULT get_ClassName(BSTR* p) override { return fails(L"ClassName") ? m_failure : Base::get_ClassName(p); }
    HRESULT get_Copyright(BSTR* p) override { return fails(L"Copyright") ? m_failure : Base::get_Copyright(p); }
    HRESULT get_MenuName(BSTR* p) override { return fails(L"MenuName") ? m_failure : Base::get_MenuName(p); }
    HRESULT get_Supplier(BSTR* p) override { return fails(L"Supplier") ? m_failure : Base::get_Supplier(p); }
    HRESULT get_Version(BSTR* p) override { return fails(L"Version") ? m_failure : Base::get_Version(p); }
    HRESULT get_ProviderFlags(LONG* p) override
    {
        return fails(L"ProviderFlags") ? m_failure : Base::get_ProviderFlags(p);
    }

protected:
    using Base = IKSDataProviderImpl<Derived>;
    bool fails(const wchar_t* member) const { return m_failing == member; }
    std::wstring m_failing;
    HRESULT m_failure = S_OK;
};

// Answers IKSDataProvider only.
class CPlainFake : public CFakeProviderBase<CPlainFake> {};

// Answers IKSDataProvider, IKSDataProvider2 and IKSDataProvider3.
class CFullFake : public CFakeProviderBase<CFullFake, IKSDataProvider2Impl<CFullFake>, IKSDataProvider3Impl<CFullFake>> {
public:
    void setLater(const std::wstring& dataServerClassID, const std::wstring& filter)
    {
        m_strDataServerClassID = dataServerClassID;
        m_strFilterString = filter;
    }
    HRESULT get_DataServerClassID(BSTR* p) override
    {
        return fails(L"DataServerClassID") ? m_failure : IKSDataProvider2Impl<CFullFake>::get_DataServerClassID(p);
    }
    HRESULT get_FilterString(BSTR* p) override
    {
        return fails(L"FilterString") ? m_failure : IKSDataProvider3Impl<CFullFake>::get_FilterString(p);
    }
};

template <class T>
ks::ComPtr<T> make()
{
    T* p = nullptr;
    EXPECT_EQ(ks::createObject(&p), S_OK);
    return ks::ComPtr<T>(p);
}

inline ks::ComPtr<CFullFake> fullFake(const std::wstring& classID, const std::wstring& className)
{
    ks::ComPtr<CFullFake> p = make<CFullFake>();
    p->setDescription(classID, className, L"(c) " + className, L"Menu " + className, L"Supplier " + className,
                      L"1.0", 4);
    p->setLater(L"{00000000-0000-0000-0000-0000000000D5}", className + L" (*.x)");
    return p;
}

inline IKSDataProvider* asProvider(IUnknown* p)
{
    IKSDataProvider* dp = nullptr;
    EXPECT_EQ(p->QueryInterface(IID_IKSDataProvider, reinterpret_cast<void**>(&dp)), S_OK);
    if (dp)
        dp->Release();  // the caller holds the object
    return dp;
}

// Registry access for writing provider keys by hand.
inline const std::wstring kRoot = L"Software\\Kestrom\\Data Services";

struct RawValue {
    DWORD type;
    std::string bytes;
};
inline RawValue sz(const std::wstring& s, bool terminated = true)
{
    std::string bytes(reinterpret_cast<const char*>(s.c_str()), (s.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    return RawValue{REG_SZ, bytes};
}
inline RawValue dword(DWORD v)
{
    return RawValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&v), sizeof(v))};
}

inline void writeKey(const std::wstring& path, const std::vector<std::pair<std::wstring, RawValue>>& values)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, value] : values)
        ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                                 static_cast<DWORD>(value.bytes.size())),
                  ERROR_SUCCESS);
    RegCloseKey(key);
}

// The eight values of a well-formed provider key.
inline std::vector<std::pair<std::wstring, RawValue>> goodValues(const std::wstring& className)
{
    return {
        {L"Class Name", sz(className)},
        {L"Copyright", sz(L"(c) " + className)},
        {L"Menu Name", sz(L"Menu " + className)},
        {L"Supplier", sz(L"Supplier " + className)},
        {L"Version", sz(L"1.0")},
        {L"DataServer Class ID", sz(L"{00000000-0000-0000-0000-0000000000D5}")},
        {L"File Filter", sz(className + L" (*.x)")},
        {L"Provider Flags", dword(4)},
    };
}

inline bool keyExists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

}  // namespace servertest
