// Connection points: an object that fires events lists
// ks::ConnectionPointContainer among its interfaces and adds one
// ks::ConnectionPoint per event interface in its constructor:
//
//   class CServer : public ks::Object<ks::Dual<IServer>, ks::ConnectionPointContainer> {
//       ks::ConnectionPoint& m_events = addConnectionPoint(KS_IID(_IServerEvents));
//       void fireChanged() { m_events.fire(1); }
//   };
//
// Listener list: four places to start with, doubled when full; Advise puts
// a listener that answers the event interface in the first free place and
// answers that place + 1 as the cookie (CONNECT_E_CANNOTCONNECT for a
// listener without the interface, CONNECT_E_ADVISELIMIT when the list
// cannot grow); Unadvise of an unknown cookie gives CONNECT_E_NOCONNECTION.
// Event interfaces derive from IDispatch: fire() calls each listener's
// Invoke with the DISPID, in place order, and ignores the results. A
// connection point has no reference count of its own: it lives and dies
// with its container.
#pragma once

#include "ksenum.h"

#include <memory>
#include <vector>

// Test hook: the next n enlargements of listener lists fail.
void ksTestFailNextConnectionGrowths(int n);

namespace ks {
namespace detail {
bool failConnectionGrowth();
}

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, REFIID eventIid)
        : m_container(container), m_iid(eventIid), m_sinks(4, nullptr)
    {
    }
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;
    ~ConnectionPoint()
    {
        for (IUnknown*& sink : m_sinks) {
            if (sink)
                sink->Release();
            sink = nullptr;
        }
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IConnectionPoint)
            return E_NOINTERFACE;
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_container->AddRef(); }
    ULONG Release() override { return m_container->Release(); }

    HRESULT GetConnectionInterface(IID* pIID) override
    {
        if (!pIID)
            return E_POINTER;
        *pIID = m_iid;
        return S_OK;
    }
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override
    {
        if (!ppCPC)
            return E_POINTER;
        *ppCPC = m_container;
        m_container->AddRef();
        return S_OK;
    }
    HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override
    {
        if (!pdwCookie)
            return E_POINTER;
        *pdwCookie = 0;
        if (!pUnkSink)
            return E_POINTER;
        void* sink = nullptr;
        if (FAILED(pUnkSink->QueryInterface(m_iid, &sink)) || !sink)
            return CONNECT_E_CANNOTCONNECT;
        size_t place = 0;
        while (place < m_sinks.size() && m_sinks[place])
            ++place;
        if (place == m_sinks.size()) {
            bool grown = false;
            if (!detail::failConnectionGrowth() && m_sinks.size() <= 0x7FFFFFFFu / 2) {
                try {
                    m_sinks.resize(m_sinks.size() * 2, nullptr);
                    grown = true;
                } catch (const std::bad_alloc&) {
                }
            }
            if (!grown) {
                static_cast<IUnknown*>(sink)->Release();
                return CONNECT_E_ADVISELIMIT;
            }
        }
        m_sinks[place] = static_cast<IUnknown*>(sink);
        *pdwCookie = static_cast<DWORD>(place + 1);
        return S_OK;
    }
    HRESULT Unadvise(DWORD dwCookie) override
    {
        if (dwCookie == 0 || dwCookie > m_sinks.size() || !m_sinks[dwCookie - 1])
            return CONNECT_E_NOCONNECTION;
        IUnknown* sink = m_sinks[dwCookie - 1];
        m_sinks[dwCookie - 1] = nullptr;
        sink->Release();
        return S_OK;
    }
    HRESULT EnumConnections(IEnumConnections** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        auto snapshot = std::make_shared<ks::EnumConnections::Items>();
        for (size_t i = 0; i < m_sinks.size(); ++i) {
            if (!m_sinks[i])
                continue;
            m_sinks[i]->AddRef();
            snapshot->items.push_back(CONNECTDATA{m_sinks[i], static_cast<DWORD>(i + 1)});
        }
        return ks::EnumConnections::create(m_container, std::move(snapshot), ppEnum);
    }

    // Calls Invoke(id) on every listener in place order; results ignored.
    void fire(DISPID id, DISPPARAMS* params = nullptr)
    {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        // Listeners may unadvise while being called: work on a counted copy.
        std::vector<IUnknown*> sinks;
        for (IUnknown* s : m_sinks) {
            if (s) {
                s->AddRef();
                sinks.push_back(s);
            }
        }
        for (IUnknown* s : sinks) {
            reinterpret_cast<IDispatch*>(s)->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                    params ? params : &none, nullptr, nullptr, nullptr);
            s->Release();
        }
    }

    // Number of places in the listener list (4, 8, 16, ...).
    size_t places() const { return m_sinks.size(); }
    size_t connectionCount() const
    {
        size_t n = 0;
        for (IUnknown* s : m_sinks)
            n += s != nullptr;
        return n;
    }
    REFIID eventIid() const { return m_iid; }

private:
    IConnectionPointContainer* m_container;
    IID m_iid;
    std::vector<IUnknown*> m_sinks;  // the listeners' event interfaces
};

class ConnectionPointContainer : public IConnectionPointContainer {
public:
    using KsImplementedInterface = IConnectionPointContainer;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        auto snapshot = std::make_shared<ks::EnumConnectionPoints::Items>();
        for (const auto& cp : m_points) {
            cp->AddRef();
            snapshot->items.push_back(cp.get());
        }
        return ks::EnumConnectionPoints::create(this, std::move(snapshot), ppEnum);
    }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override
    {
        if (!ppCP)
            return E_POINTER;
        *ppCP = nullptr;
        ConnectionPoint* cp = connectionPoint(riid);
        if (!cp)
            return CONNECT_E_NOCONNECTION;
        cp->AddRef();
        *ppCP = cp;
        return S_OK;
    }

protected:
    ConnectionPointContainer() = default;
    ~ConnectionPointContainer() = default;

    ConnectionPoint& addConnectionPoint(REFIID eventIid)
    {
        m_points.push_back(std::make_unique<ConnectionPoint>(this, eventIid));
        return *m_points.back();
    }
    ConnectionPoint* connectionPoint(REFIID eventIid) const
    {
        for (const auto& cp : m_points)
            if (cp->eventIid() == eventIid)
                return cp.get();
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<ConnectionPoint>> m_points;
};

}  // namespace ks
