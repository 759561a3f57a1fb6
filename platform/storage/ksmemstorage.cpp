// The in-memory structured storage: a tree of nodes shared by the handles
// that reach them. A handle keeps its node alive; destroying an element
// marks its node (and everything below it) reverted, so handles still held
// answer STG_E_REVERTED instead of touching a detached tree.
#include "ksstorage.h"

#include "ksenum.h"
#include "ksfiles.h"
#include "ksobject.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// Streams stop here: an in-memory element has no business being larger,
// and a caller's size never sizes an allocation unchecked.
constexpr ULONGLONG kMaxStreamSize = ULONGLONG(1) << 30;
constexpr size_t kMaxNameLength = 31;
// A copy into the source's own subtree would never end; real trees are
// far shallower than this.
constexpr int kMaxCopyDepth = 256;

FILETIME now()
{
    using namespace std::chrono;
    // 100-ns ticks between 1601-01-01 and 1970-01-01.
    constexpr ULONGLONG kEpochTicks = 116444736000000000ull;
    const auto ticks = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100;
    return ks::fileTimeFromTicks(kEpochTicks + ULONGLONG(ticks));
}

struct Node {
    std::wstring name;
    DWORD type = STGTY_STREAM;
    std::vector<unsigned char> bytes;               // streams
    std::vector<std::shared_ptr<Node>> children;    // storages, in creation order
    CLSID clsid = CLSID_NULL;
    DWORD stateBits = 0;
    FILETIME ctime{}, mtime{}, atime{};
    bool reverted = false;

    Node(std::wstring n, DWORD t) : name(std::move(n)), type(t) { ctime = mtime = atime = now(); }

    std::vector<std::shared_ptr<Node>>::iterator find(const std::wstring& n)
    {
        return std::find_if(children.begin(), children.end(),
                            [&](const std::shared_ptr<Node>& c) { return ks::equalNoCase(c->name, n); });
    }
    void revert()
    {
        reverted = true;
        for (auto& c : children)
            c->revert();
    }
};

bool writable(DWORD mode) { return (mode & 3) == STGM_WRITE || (mode & 3) == STGM_READWRITE; }
bool readable(DWORD mode) { return (mode & 3) != STGM_WRITE; }

HRESULT checkName(const OLECHAR* name)
{
    if (!name)
        return STG_E_INVALIDNAME;
    const size_t n = std::wcslen(name);
    if (n == 0 || n > kMaxNameLength)
        return STG_E_INVALIDNAME;
    for (size_t i = 0; i < n; ++i)
        if (name[i] == L'\\' || name[i] == L'/' || name[i] == L':' || name[i] == L'!')
            return STG_E_INVALIDNAME;
    return S_OK;
}

// Fills a STATSTG; the name is a malloc'ed copy unless STATFLAG_NONAME.
HRESULT fillStat(const Node& node, DWORD mode, DWORD flag, STATSTG* st)
{
    *st = STATSTG{};
    if (flag != STATFLAG_NONAME) {
        const size_t n = node.name.size() + 1;
        st->pwcsName = static_cast<LPOLESTR>(std::malloc(n * sizeof(OLECHAR)));
        if (!st->pwcsName)
            return STG_E_INSUFFICIENTMEMORY;
        std::wmemcpy(st->pwcsName, node.name.c_str(), n);
    }
    st->type = node.type;
    st->cbSize.QuadPart = node.type == STGTY_STREAM ? node.bytes.size() : 0;
    st->mtime = node.mtime;
    st->ctime = node.ctime;
    st->atime = node.atime;
    st->grfMode = mode;
    st->clsid = node.clsid;
    st->grfStateBits = node.stateBits;
    return S_OK;
}

struct StatCopyPolicy {
    static HRESULT copy(STATSTG* dst, const STATSTG* src)
    {
        *dst = *src;
        if (src->pwcsName) {
            const size_t n = std::wcslen(src->pwcsName) + 1;
            dst->pwcsName = static_cast<LPOLESTR>(std::malloc(n * sizeof(OLECHAR)));
            if (!dst->pwcsName)
                return STG_E_INSUFFICIENTMEMORY;
            std::wmemcpy(dst->pwcsName, src->pwcsName, n);
        }
        return S_OK;
    }
    static void destroy(STATSTG* p)
    {
        std::free(p->pwcsName);
        p->pwcsName = nullptr;
    }
};
using EnumStat = ks::EnumOnSnapshot<IEnumSTATSTG, STATSTG, StatCopyPolicy>;

class CMemoryStream : public ks::Object<IStream> {
public:
    CMemoryStream(std::shared_ptr<Node> node, DWORD mode) : m_node(std::move(node)), m_mode(mode) {}

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (pcbRead)
            *pcbRead = 0;
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        if (!readable(m_mode))
            return STG_E_ACCESSDENIED;
        const std::vector<unsigned char>& b = m_node->bytes;
        const ULONGLONG avail = m_pos < b.size() ? b.size() - m_pos : 0;
        const ULONG n = static_cast<ULONG>(std::min<ULONGLONG>(cb, avail));
        if (n)
            std::memcpy(pv, b.data() + m_pos, n);
        m_pos += n;
        if (pcbRead)
            *pcbRead = n;
        return n == cb ? S_OK : S_FALSE;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (pcbWritten)
            *pcbWritten = 0;
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        if (cb == 0)
            return S_OK;
        const ULONGLONG end = m_pos + cb;
        if (end > kMaxStreamSize)
            return STG_E_MEDIUMFULL;
        std::vector<unsigned char>& b = m_node->bytes;
        try {
            if (end > b.size())
                b.resize(size_t(end));
        } catch (const std::bad_alloc&) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        std::memcpy(b.data() + m_pos, pv, cb);
        m_pos = end;
        m_node->mtime = now();
        if (pcbWritten)
            *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override
    {
        if (m_node->reverted)
            return STG_E_REVERTED;
        LONGLONG base = 0;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = LONGLONG(m_pos); break;
        case STREAM_SEEK_END: base = LONGLONG(m_node->bytes.size()); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        // Positions past the end are allowed (a later write fills the gap
        // with zeros); before the start they are not.
        if (move.QuadPart < 0 ? base < -move.QuadPart : LONGLONG(kMaxStreamSize) - base < move.QuadPart)
            return STG_E_INVALIDFUNCTION;
        m_pos = ULONGLONG(base + move.QuadPart);
        if (newPos)
            newPos->QuadPart = m_pos;
        return S_OK;
    }
    HRESULT SetSize(ULARGE_INTEGER size) override
    {
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        if (size.QuadPart > kMaxStreamSize)
            return STG_E_MEDIUMFULL;
        try {
            m_node->bytes.resize(size_t(size.QuadPart));
        } catch (const std::bad_alloc&) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        m_node->mtime = now();
        return S_OK;
    }
    HRESULT CopyTo(IStream* dest, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override
    {
        if (pcbRead)
            pcbRead->QuadPart = 0;
        if (pcbWritten)
            pcbWritten->QuadPart = 0;
        if (!dest)
            return STG_E_INVALIDPOINTER;
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!readable(m_mode))
            return STG_E_ACCESSDENIED;
        const std::vector<unsigned char>& b = m_node->bytes;
        const ULONGLONG avail = m_pos < b.size() ? b.size() - m_pos : 0;
        ULONGLONG left = std::min<ULONGLONG>(cb.QuadPart, avail);
        ULONGLONG read = 0, written = 0;
        HRESULT hr = S_OK;
        while (left > 0) {
            const ULONG chunk = static_cast<ULONG>(std::min<ULONGLONG>(left, 1u << 20));
            ULONG w = 0;
            // A copy of the chunk: the destination may be this very stream.
            const std::vector<unsigned char> part(b.begin() + ptrdiff_t(m_pos), b.begin() + ptrdiff_t(m_pos + chunk));
            read += chunk;
            m_pos += chunk;
            left -= chunk;
            hr = dest->Write(part.data(), chunk, &w);
            written += w;
            if (FAILED(hr))
                break;
        }
        if (pcbRead)
            pcbRead->QuadPart = read;
        if (pcbWritten)
            pcbWritten->QuadPart = written;
        return FAILED(hr) ? hr : S_OK;
    }
    HRESULT Commit(DWORD) override { return m_node->reverted ? STG_E_REVERTED : S_OK; }
    HRESULT Revert() override { return m_node->reverted ? STG_E_REVERTED : S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT Stat(STATSTG* st, DWORD flag) override
    {
        if (!st)
            return STG_E_INVALIDPOINTER;
        if (m_node->reverted)
            return STG_E_REVERTED;
        return fillStat(*m_node, m_mode, flag, st);
    }
    HRESULT Clone(IStream** pp) override
    {
        if (!pp)
            return STG_E_INVALIDPOINTER;
        *pp = nullptr;
        if (m_node->reverted)
            return STG_E_REVERTED;
        CMemoryStream* s = nullptr;
        HRESULT hr = ks::createObject(&s, m_node, m_mode);
        if (FAILED(hr))
            return hr;
        s->m_pos = m_pos;
        return s->InternalQueryInterface(IID_IStream, reinterpret_cast<void**>(pp));
    }

private:
    std::shared_ptr<Node> m_node;
    DWORD m_mode;
    ULONGLONG m_pos = 0;
};

class CMemoryStorage : public ks::Object<IStorage> {
public:
    CMemoryStorage(std::shared_ptr<Node> node, DWORD mode) : m_node(std::move(node)), m_mode(mode) {}

    static HRESULT open(const std::shared_ptr<Node>& node, DWORD mode, IStorage** pp)
    {
        CMemoryStorage* s = nullptr;
        HRESULT hr = ks::createObject(&s, node, mode);
        if (FAILED(hr))
            return hr;
        return s->InternalQueryInterface(IID_IStorage, reinterpret_cast<void**>(pp));
    }
    static HRESULT openStream(const std::shared_ptr<Node>& node, DWORD mode, IStream** pp)
    {
        CMemoryStream* s = nullptr;
        HRESULT hr = ks::createObject(&s, node, mode);
        if (FAILED(hr))
            return hr;
        return s->InternalQueryInterface(IID_IStream, reinterpret_cast<void**>(pp));
    }

    HRESULT CreateStream(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStream** pp) override
    {
        std::shared_ptr<Node> node;
        HRESULT hr = createElement(name, mode, STGTY_STREAM, pp, node);
        return FAILED(hr) ? hr : openStream(node, mode, pp);
    }
    HRESULT OpenStream(const OLECHAR* name, void*, DWORD mode, DWORD, IStream** pp) override
    {
        std::shared_ptr<Node> node;
        HRESULT hr = findElement(name, mode, STGTY_STREAM, pp, node);
        return FAILED(hr) ? hr : openStream(node, mode, pp);
    }
    HRESULT CreateStorage(const OLECHAR* name, DWORD mode, DWORD, DWORD, IStorage** pp) override
    {
        std::shared_ptr<Node> node;
        HRESULT hr = createElement(name, mode, STGTY_STORAGE, pp, node);
        return FAILED(hr) ? hr : open(node, mode, pp);
    }
    HRESULT OpenStorage(const OLECHAR* name, IStorage*, DWORD mode, SNB, DWORD, IStorage** pp) override
    {
        std::shared_ptr<Node> node;
        HRESULT hr = findElement(name, mode, STGTY_STORAGE, pp, node);
        return FAILED(hr) ? hr : open(node, mode, pp);
    }
    HRESULT CopyTo(DWORD, const IID*, SNB exclude, IStorage* dest) override
    {
        if (!dest)
            return STG_E_INVALIDPOINTER;
        if (m_node->reverted)
            return STG_E_REVERTED;
        // A snapshot of the list: the destination may lie inside this tree.
        const std::vector<std::shared_ptr<Node>> children = m_node->children;
        for (const std::shared_ptr<Node>& c : children) {
            if (excluded(exclude, c->name))
                continue;
            HRESULT hr = copyNode(*c, dest, c->name.c_str(), 0);
            if (FAILED(hr))
                return hr;
        }
        return S_OK;
    }
    HRESULT MoveElementTo(const OLECHAR* name, IStorage* dest, const OLECHAR* newName, DWORD flags) override
    {
        if (!dest)
            return STG_E_INVALIDPOINTER;
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (flags != STGMOVE_MOVE && flags != STGMOVE_COPY)
            return STG_E_INVALIDFLAG;
        HRESULT hr = checkName(name);
        if (FAILED(hr))
            return hr;
        if (flags == STGMOVE_MOVE && !writable(m_mode))
            return STG_E_ACCESSDENIED;
        auto it = m_node->find(name);
        if (it == m_node->children.end())
            return STG_E_FILENOTFOUND;
        std::shared_ptr<Node> node = *it;
        hr = copyNode(*node, dest, newName, 0);
        if (FAILED(hr) || flags == STGMOVE_COPY)
            return hr;
        return DestroyElement(name);
    }
    HRESULT Commit(DWORD) override { return m_node->reverted ? STG_E_REVERTED : S_OK; }
    HRESULT Revert() override { return m_node->reverted ? STG_E_REVERTED : S_OK; }
    HRESULT EnumElements(DWORD, void*, DWORD, IEnumSTATSTG** pp) override
    {
        if (!pp)
            return STG_E_INVALIDPOINTER;
        *pp = nullptr;
        if (m_node->reverted)
            return STG_E_REVERTED;
        auto snapshot = std::make_shared<EnumStat::Items>();
        snapshot->items.reserve(m_node->children.size());
        for (const std::shared_ptr<Node>& c : m_node->children) {
            STATSTG st;
            HRESULT hr = fillStat(*c, 0, STATFLAG_DEFAULT, &st);
            if (FAILED(hr))
                return hr;
            snapshot->items.push_back(st);
        }
        return EnumStat::create(GetUnknown(), std::move(snapshot), pp);
    }
    HRESULT DestroyElement(const OLECHAR* name) override
    {
        if (m_node->reverted)
            return STG_E_REVERTED;
        HRESULT hr = checkName(name);
        if (FAILED(hr))
            return hr;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        auto it = m_node->find(name);
        if (it == m_node->children.end())
            return STG_E_FILENOTFOUND;
        (*it)->revert();
        m_node->children.erase(it);
        m_node->mtime = now();
        return S_OK;
    }
    HRESULT RenameElement(const OLECHAR* oldName, const OLECHAR* newName) override
    {
        if (m_node->reverted)
            return STG_E_REVERTED;
        HRESULT hr = checkName(oldName);
        if (SUCCEEDED(hr))
            hr = checkName(newName);
        if (FAILED(hr))
            return hr;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        auto it = m_node->find(oldName);
        if (it == m_node->children.end())
            return STG_E_FILENOTFOUND;
        auto other = m_node->find(newName);
        if (other != m_node->children.end() && other != it)
            return STG_E_FILEALREADYEXISTS;
        (*it)->name = newName;
        return S_OK;
    }
    HRESULT SetElementTimes(const OLECHAR* name, const FILETIME* pctime, const FILETIME* patime,
                            const FILETIME* pmtime) override
    {
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        Node* node = m_node.get();
        if (name) {  // null names the storage itself
            HRESULT hr = checkName(name);
            if (FAILED(hr))
                return hr;
            auto it = m_node->find(name);
            if (it == m_node->children.end())
                return STG_E_FILENOTFOUND;
            node = it->get();
        }
        if (pctime)
            node->ctime = *pctime;
        if (patime)
            node->atime = *patime;
        if (pmtime)
            node->mtime = *pmtime;
        return S_OK;
    }
    HRESULT SetClass(REFCLSID clsid) override
    {
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        m_node->clsid = clsid;
        return S_OK;
    }
    HRESULT SetStateBits(DWORD bits, DWORD mask) override
    {
        if (m_node->reverted)
            return STG_E_REVERTED;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        m_node->stateBits = (m_node->stateBits & ~mask) | (bits & mask);
        return S_OK;
    }
    HRESULT Stat(STATSTG* st, DWORD flag) override
    {
        if (!st)
            return STG_E_INVALIDPOINTER;
        if (m_node->reverted)
            return STG_E_REVERTED;
        return fillStat(*m_node, m_mode, flag, st);
    }

private:
    // The checks of every call that names an element and hands one out.
    template <class I>
    HRESULT enter(const OLECHAR* name, I** pp) const
    {
        if (!pp)
            return STG_E_INVALIDPOINTER;
        *pp = nullptr;
        if (m_node->reverted)
            return STG_E_REVERTED;
        return checkName(name);
    }
    template <class I>
    HRESULT createElement(const OLECHAR* name, DWORD mode, DWORD type, I** pp, std::shared_ptr<Node>& node)
    {
        HRESULT hr = enter(name, pp);
        if (FAILED(hr))
            return hr;
        if (!writable(m_mode))
            return STG_E_ACCESSDENIED;
        auto it = m_node->find(name);
        try {
            node = std::make_shared<Node>(name, type);
            if (it != m_node->children.end()) {
                if (!(mode & STGM_CREATE))
                    return STG_E_FILEALREADYEXISTS;
                // Replaced in place: the element keeps its position.
                (*it)->revert();
                *it = node;
            } else {
                m_node->children.push_back(node);
            }
        } catch (const std::bad_alloc&) {
            return STG_E_INSUFFICIENTMEMORY;
        }
        m_node->mtime = now();
        return S_OK;
    }
    template <class I>
    HRESULT findElement(const OLECHAR* name, DWORD mode, DWORD type, I** pp, std::shared_ptr<Node>& node)
    {
        HRESULT hr = enter(name, pp);
        if (FAILED(hr))
            return hr;
        auto it = m_node->find(name);
        if (it == m_node->children.end() || (*it)->type != type)
            return STG_E_FILENOTFOUND;
        if (writable(mode) && !writable(m_mode))
            return STG_E_ACCESSDENIED;
        node = *it;
        return S_OK;
    }
    static bool excluded(SNB exclude, const std::wstring& name)
    {
        for (SNB p = exclude; p && *p; ++p)
            if (ks::equalNoCase(*p, name))
                return true;
        return false;
    }
    // Copies one element (recursively) into dest through dest's own
    // interface, so dest may be any implementation.
    static HRESULT copyNode(const Node& node, IStorage* dest, const OLECHAR* name, int depth)
    {
        if (depth > kMaxCopyDepth)
            return STG_E_ACCESSDENIED;
        const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE;
        if (node.type == STGTY_STREAM) {
            IStream* s = nullptr;
            HRESULT hr = dest->CreateStream(name, mode, 0, 0, &s);
            if (FAILED(hr))
                return hr;
            // A copy: the destination may be the source stream itself.
            const std::vector<unsigned char> bytes = node.bytes;
            ULONG written = 0;
            hr = bytes.empty() ? S_OK : s->Write(bytes.data(), ULONG(bytes.size()), &written);
            s->Release();
            return hr;
        }
        IStorage* sub = nullptr;
        HRESULT hr = dest->CreateStorage(name, mode, 0, 0, &sub);
        if (FAILED(hr))
            return hr;
        const std::vector<std::shared_ptr<Node>> children = node.children;
        for (const std::shared_ptr<Node>& c : children) {
            hr = copyNode(*c, sub, c->name.c_str(), depth + 1);
            if (FAILED(hr))
                break;
        }
        if (SUCCEEDED(hr) && node.clsid != CLSID_NULL)
            hr = sub->SetClass(node.clsid);
        sub->Release();
        return hr;
    }

    std::shared_ptr<Node> m_node;
    DWORD m_mode;
};

}  // namespace

namespace ks {

HRESULT createMemoryStorage(IStorage** ppstg)
{
    if (!ppstg)
        return E_POINTER;
    *ppstg = nullptr;
    std::shared_ptr<Node> root;
    try {
        root = std::make_shared<Node>(std::wstring(), STGTY_STORAGE);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return CMemoryStorage::open(root, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, ppstg);
}

}  // namespace ks
