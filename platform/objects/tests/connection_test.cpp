#include "kscomptr.h"
#include "ksconnection.h"
#include "ksdispatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct _ISampleEvents : public IDispatch {};
struct IServer : public IUnknown {
    virtual HRESULT Change() = 0;
};
}  // namespace
KS_DECLARE_INTERFACE(_ISampleEvents, IDispatch, "0B8C1D0E-1A3B-4C5D-8E9F-101112131430")
KS_DECLARE_INTERFACE(IServer, IUnknown, "0B8C1D0E-1A3B-4C5D-8E9F-101112131431")

namespace {

std::vector<int> g_calls;  // sink numbers in call order
int g_servers = 0;

// A listener: answers the event interface and records its calls.
class CSink : public ks::Object<_ISampleEvents> {
public:
    int number = 0;
    DISPID lastId = 0;
    WORD lastFlags = 0;
    UINT lastArgs = 99;
    HRESULT answer = S_OK;
    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        lastId = id;
        lastFlags = flags;
        lastArgs = p ? p->cArgs : 99;
        g_calls.push_back(number);
        return answer;
    }
};

// Answers IDispatch but not the event interface.
class CStranger : public ks::Object<IServer> {
public:
    HRESULT Change() override { return S_OK; }
};

class CServer : public ks::Object<IServer, ks::ConnectionPointContainer> {
public:
    CServer() { ++g_servers; }
    ~CServer() override { --g_servers; }
    ks::ConnectionPoint& events = addConnectionPoint(KS_IID(_ISampleEvents));
    HRESULT Change() override
    {
        events.fire(1);
        return S_OK;
    }
};

struct Sinks {
    std::vector<CSink*> raw;
    std::vector<ks::ComPtr<IUnknown>> refs;
    explicit Sinks(int n)
    {
        for (int i = 0; i < n; ++i) {
            CSink* s = nullptr;
            ks::createObject(&s);
            s->number = i + 1;
            raw.push_back(s);
            refs.emplace_back(s->GetUnknown());
        }
    }
};

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        CServer* s = nullptr;
        ASSERT_EQ(ks::createObject(&s), S_OK);
        server = s;
        impl = s;
        ks::ComPtr<IConnectionPointContainer> cpc;
        ASSERT_EQ(cpc.queryFrom(server.get()), S_OK);
        ASSERT_EQ(cpc->FindConnectionPoint(KS_IID(_ISampleEvents), &cp), S_OK);
    }
    ks::ComPtr<IServer> server;
    CServer* impl = nullptr;
    ks::ComPtr<IConnectionPoint> cp;
};

}  // namespace

TEST_F(ConnectionTest, CookiesAcrossGrowthFromFourToEightPlaces)
{
    Sinks sinks(5);
    EXPECT_EQ(impl->events.places(), 4u);
    for (int i = 0; i < 5; ++i) {
        DWORD cookie = 0;
        ASSERT_EQ(cp->Advise(sinks.refs[i], &cookie), S_OK);
        EXPECT_EQ(cookie, DWORD(i + 1));
    }
    EXPECT_EQ(impl->events.places(), 8u);
    EXPECT_EQ(sinks.raw[0]->RefCount(), 2u);  // the list holds one reference

    // A freed place is reused first.
    ASSERT_EQ(cp->Unadvise(2), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(cp->Advise(sinks.refs[1], &cookie), S_OK);
    EXPECT_EQ(cookie, 2u);

    // Firing calls every listener in place order with DISPID 1, no
    // arguments and the method flag; failures do not stop it.
    sinks.raw[0]->answer = E_FAIL;
    ASSERT_EQ(server->Change(), S_OK);
    EXPECT_EQ(g_calls, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(sinks.raw[4]->lastId, 1);
    EXPECT_EQ(sinks.raw[4]->lastFlags, DISPATCH_METHOD);
    EXPECT_EQ(sinks.raw[4]->lastArgs, 0u);

    // The connections enumerate as (listener, cookie) pairs.
    ks::ComPtr<IEnumConnections> e;
    ASSERT_EQ(cp->EnumConnections(&e), S_OK);
    CONNECTDATA cd[8];
    ULONG fetched = 0;
    ASSERT_EQ(e->Next(8, cd, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 5u);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(cd[i].dwCookie, i + 1);
        ks::ComPtr<IUnknown> id;
        ASSERT_EQ(id.queryFrom(cd[i].pUnk), S_OK);
        EXPECT_EQ(id.get(), sinks.refs[i].get());
        cd[i].pUnk->Release();
    }
}

TEST_F(ConnectionTest, TheThreeErrors)
{
    ks::ComPtr<IServer> stranger;
    ASSERT_EQ(ks::createInstance<CStranger>(nullptr, KS_IID(IServer), stranger.out()), S_OK);
    DWORD cookie = 77;
    EXPECT_EQ(cp->Advise(stranger, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);

    Sinks sinks(5);
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(cp->Advise(sinks.refs[i], &cookie), S_OK);
    ksTestFailNextConnectionGrowths(1);
    EXPECT_EQ(cp->Advise(sinks.refs[4], &cookie), CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(sinks.raw[4]->RefCount(), 1u);  // not kept
    EXPECT_EQ(impl->events.places(), 4u);

    EXPECT_EQ(cp->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(cp->Unadvise(5), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(cp->Unadvise(4), S_OK);
    EXPECT_EQ(cp->Unadvise(4), CONNECT_E_NOCONNECTION);

    ks::ComPtr<IConnectionPointContainer> cpc;
    ASSERT_EQ(cp->GetConnectionPointContainer(&cpc), S_OK);
    ks::ComPtr<IConnectionPoint> none;
    EXPECT_EQ(cpc->FindConnectionPoint(KS_IID(IServer), &none), CONNECT_E_NOCONNECTION);
    IID iid;
    ASSERT_EQ(cp->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, KS_IID(_ISampleEvents));
}

TEST_F(ConnectionTest, ContainerLifetimeAndEnumeration)
{
    Sinks sinks(1);
    DWORD cookie = 0;
    ASSERT_EQ(cp->Advise(sinks.refs[0], &cookie), S_OK);
    ks::ComPtr<IConnectionPointContainer> cpc;
    ASSERT_EQ(cpc.queryFrom(server.get()), S_OK);
    ks::ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(cpc->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* got[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(got[0], cp.get());
    got[0]->Release();

    // The connection point keeps its container alive.
    server.reset();
    cpc.reset();
    points.reset();
    EXPECT_EQ(g_servers, 1);
    EXPECT_EQ(sinks.raw[0]->RefCount(), 2u);
    cp.reset();
    EXPECT_EQ(g_servers, 0);
    EXPECT_EQ(sinks.raw[0]->RefCount(), 1u);  // released with the container
}
