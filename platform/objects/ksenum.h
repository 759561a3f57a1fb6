// Enumerators over a snapshot: IEnumVARIANT (collections' _NewEnum),
// IEnumConnections and IEnumConnectionPoints. The items are copied into a
// shared snapshot when the enumerator is made, so later changes of the
// source do not affect it; the enumerator (and every clone) holds a
// reference to its owner, so the owner lives as long as any enumerator.
// Next hands out copies (VARIANTs deep-copied, interfaces AddRef'ed) and
// answers S_FALSE when fewer than asked remain; Skip past the end answers
// S_FALSE and stops at the end.
#pragma once

#include "ksobject.h"

#include <memory>
#include <vector>

namespace ks {

struct VariantCopyPolicy {
    static HRESULT copy(VARIANT* dst, const VARIANT* src)
    {
        VariantInit(dst);
        return VariantCopy(dst, src);
    }
    static void destroy(VARIANT* p) { VariantClear(p); }
};

struct ConnectDataCopyPolicy {
    static HRESULT copy(CONNECTDATA* dst, const CONNECTDATA* src)
    {
        *dst = *src;
        if (dst->pUnk)
            dst->pUnk->AddRef();
        return S_OK;
    }
    static void destroy(CONNECTDATA* p)
    {
        if (p->pUnk)
            p->pUnk->Release();
        p->pUnk = nullptr;
    }
};

template <class I>
struct InterfaceCopyPolicy {
    static HRESULT copy(I** dst, I* const* src)
    {
        *dst = *src;
        if (*dst)
            (*dst)->AddRef();
        return S_OK;
    }
    static void destroy(I** p)
    {
        if (*p)
            (*p)->Release();
        *p = nullptr;
    }
};

// Items owned by a snapshot; destroyed with it.
template <class Item, class Policy>
struct Snapshot {
    std::vector<Item> items;
    Snapshot() = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot()
    {
        for (Item& item : items)
            Policy::destroy(&item);
    }
};

template <class IEnum, class Item, class Policy>
class EnumOnSnapshot : public Object<IEnum> {
public:
    using Items = Snapshot<Item, Policy>;

    // owner may be null; items become the enumerator's (not copied again).
    static HRESULT create(IUnknown* owner, std::shared_ptr<Items> items, IEnum** ppEnum, size_t position = 0)
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        EnumOnSnapshot* e = nullptr;
        HRESULT hr = createObject(&e);
        if (FAILED(hr))
            return hr;
        e->m_owner = owner;
        if (owner)
            owner->AddRef();
        e->m_items = std::move(items);
        e->m_pos = position;
        return e->InternalQueryInterface(KS_IID(IEnum), reinterpret_cast<void**>(ppEnum));
    }

    HRESULT Next(ULONG celt, Item* rgelt, ULONG* pceltFetched) override
    {
        if (pceltFetched)
            *pceltFetched = 0;
        if (!rgelt || (celt != 1 && !pceltFetched))
            return E_POINTER;
        const std::vector<Item>& items = m_items->items;
        size_t available = items.size() - m_pos;
        ULONG n = celt < available ? celt : static_cast<ULONG>(available);
        for (ULONG i = 0; i < n; ++i) {
            HRESULT hr = Policy::copy(&rgelt[i], &items[m_pos + i]);
            if (FAILED(hr)) {
                for (ULONG j = 0; j < i; ++j)
                    Policy::destroy(&rgelt[j]);
                return hr;
            }
        }
        m_pos += n;
        if (pceltFetched)
            *pceltFetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG celt) override
    {
        size_t available = m_items->items.size() - m_pos;
        if (celt > available) {
            m_pos = m_items->items.size();
            return S_FALSE;
        }
        m_pos += celt;
        return S_OK;
    }
    HRESULT Reset() override
    {
        m_pos = 0;
        return S_OK;
    }
    HRESULT Clone(IEnum** ppEnum) override { return create(m_owner, m_items, ppEnum, m_pos); }

protected:
    ~EnumOnSnapshot() override
    {
        m_items.reset();
        if (m_owner)
            m_owner->Release();
    }

private:
    IUnknown* m_owner = nullptr;
    std::shared_ptr<Items> m_items;
    size_t m_pos = 0;
};

using EnumVariant = EnumOnSnapshot<IEnumVARIANT, VARIANT, VariantCopyPolicy>;
using EnumConnections = EnumOnSnapshot<IEnumConnections, CONNECTDATA, ConnectDataCopyPolicy>;
using EnumConnectionPoints =
    EnumOnSnapshot<IEnumConnectionPoints, IConnectionPoint*, InterfaceCopyPolicy<IConnectionPoint>>;

// An IEnumVARIANT over items (their ownership moves into the snapshot),
// answered as IUnknown, as a collection's _NewEnum does. owner (may be
// null) is kept alive by the enumerator.
inline HRESULT createVariantEnum(std::vector<VARIANT>&& items, IUnknown* owner, IUnknown** ppUnk)
{
    if (!ppUnk)
        return E_POINTER;
    *ppUnk = nullptr;
    auto snapshot = std::make_shared<EnumVariant::Items>();
    snapshot->items = std::move(items);
    items.clear();
    IEnumVARIANT* e = nullptr;
    HRESULT hr = EnumVariant::create(owner, std::move(snapshot), &e);
    if (FAILED(hr))
        return hr;
    *ppUnk = e;  // IEnumVARIANT derives from IUnknown alone
    return S_OK;
}

}  // namespace ks
