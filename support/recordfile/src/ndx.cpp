// Key index files: a B-tree of 512-byte blocks mapping keys to record
// numbers, walked through a path of up to 32 levels whose changed nodes
// are handed on ("written") when a level moves to another node or at
// closing. An open index keeps nodes as the file is to hold them in a
// bounded cache: a descent reads the file only for nodes it has not met,
// and changed nodes reach the file when they leave the cache or the index
// closes, in block order.
#include "ksfiles.h"
#include "zinternal.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zentar {
namespace {

constexpr int kBlock = 512;
constexpr int kLevels = 32;
constexpr int kSlots = 10;
constexpr uint8_t kChanged = 0x1E;
constexpr int kMaxExpression = 449;

enum class Cursor { At, BeforeFirst, AfterLast };

// Node cache. Its budget is the module's limit in 512-byte nodes, its
// bookkeeping included; it starts at kCacheFirst nodes and doubles as the
// index grows. A node is kept compact: its count and the entries it uses,
// a leaf's entries without their zero child numbers (a 1,000,000-key
// numeric index takes 13 MB instead of 25). A node whose unused bytes are
// not all zero, as another writer may leave them, is kept whole, so the
// file gets back exactly the bytes it would have got. Nodes are found by
// block in an open-addressing table whose entries say where a node lies.
// Places come in 16-byte units from lists by size, else from the free end
// of the arena; when neither has one and a sixteenth of the arena is free
// in pieces, the nodes are moved together; otherwise a clock hand over the
// table finds a node not used since it last passed, which gives way.
constexpr uint32_t kMinCacheNodes = 4;    // below this there is no cache
constexpr uint32_t kCacheFirst = 64;
constexpr uint32_t kUnit = 16;
constexpr uint32_t kMaxUnits = kBlock / kUnit;
constexpr uint32_t kBudgetPerNode = 256;   // bytes of budget per node the table can hold
constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr uint32_t kRunBlocks = 64;        // blocks written per call when changes are written
constexpr uint32_t kReadAhead = 8;         // blocks read per miss while the cache has room
uint32_t g_cacheLimit = kNodeCacheDefault;

enum : uint8_t { kWhole, kLeafForm, kInteriorForm };
enum : uint8_t { kNodeChanged = 1, kNodeUsed = 2 };

struct CachedNode {
    uint32_t block;    // 0: an empty entry
    uint32_t offset;   // place in the arena, in units
    uint16_t units;
    uint8_t form;
    uint8_t flags;     // changed: not yet in the file; used since the hand passed
};
static_assert(sizeof(CachedNode) == 12, "cache entries stay small");

struct NodeCache {
    uint32_t limit = 0;        // the module's limit when the index was opened
    uint8_t* mem = nullptr;    // one block: table, order, arena
    uint32_t nodes = 0;        // budget in 512-byte nodes
    CachedNode* table = nullptr;
    uint32_t mask = 0;
    int shift = 32;
    uint32_t used = 0, most = 0;   // nodes held, and at most (half the table)
    uint32_t hand = 0;
    uint32_t* order = nullptr;     // room for `most` entry numbers, for moving nodes together
    uint8_t* arena = nullptr;
    uint32_t arenaUnits = 0, bump = 0, liveUnits = 0;
    uint32_t freeAt[kMaxUnits + 1] = {};   // first free place of each size, kNone when none
    uint32_t changed = 0;      // nodes not yet in the file
    NdxCacheStats stats;
};

struct Level {
    uint32_t block = 0;   // 0: nothing loaded
    int idx = 0;          // 1-based entry index
    uint8_t flags = 0;
    uint8_t* node = nullptr;
};

struct NdxSlot {
    int fd = -1;
    uint8_t inUse = 0;
    uint32_t root0 = 0, next0 = 0;
    uint32_t root = 0, next = 0;
    int keyLen = 0, entrySize = 0, maxEntries = 0;
    bool numeric = false;
    Level path[kLevels];
    int cursorLevel = 0;
    Cursor cursor = Cursor::BeforeFirst;
    FileId file;
    NodeCache cache;
};

NdxSlot g_ndx[kSlots];

NdxSlot* slotOf(DBHANDLE h)
{
    for (auto& s : g_ndx)
        if (h == &s && s.inUse)
            return &s;
    return nullptr;
}

// Node access; the in-memory count of an interior node includes its last,
// keyless child.
uint32_t count(const uint8_t* node) { return getU32(node); }
void setCount(uint8_t* node, uint32_t n) { putU32(node, n); }
uint8_t* entry(const NdxSlot* s, uint8_t* node, uint32_t i) { return node + 4 + size_t(i) * size_t(s->entrySize); }
uint32_t childOf(const uint8_t* e) { return getU32(e); }
uint32_t recordOf(const uint8_t* e) { return getU32(e + 4); }
const uint8_t* keyOf(const uint8_t* e) { return e + 8; }
bool isLeaf(const NdxSlot* s, uint8_t* node) { return count(node) == 0 || childOf(entry(s, node, 0)) == 0; }
uint32_t capacity(const NdxSlot* s) { return uint32_t((kBlock - 4) / s->entrySize); }

int compare(const NdxSlot* s, const uint8_t* a, const uint8_t* b)
{
    if (s->numeric) {
        double x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    return std::memcmp(a, b, size_t(s->keyLen));
}

bool allZero(const uint8_t* p, size_t n)
{
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        if (w)
            return false;
    }
    for (; n > 0; ++p, --n)
        if (*p)
            return false;
    return true;
}

// The compact form of a node as the file holds it (disk count): its form
// and size in bytes.
uint32_t compactSize(const NdxSlot* s, const uint8_t* disk, uint8_t* form)
{
    const uint32_t n = count(disk), cap = capacity(s);
    const size_t es = size_t(s->entrySize);
    if (n <= cap && childOf(disk + 4) == 0) {
        bool leaf = allZero(disk + 4 + n * es, kBlock - 4 - n * es);
        for (uint32_t i = 1; i < n && leaf; ++i)
            leaf = childOf(disk + 4 + i * es) == 0;
        if (leaf) {
            *form = kLeafForm;
            return uint32_t(4 + n * (es - 4));
        }
    } else if (n < cap && childOf(disk + 4) != 0 && allZero(disk + 4 + (n + 1) * es, kBlock - 4 - (n + 1) * es)) {
        *form = kInteriorForm;
        return uint32_t(4 + (n + 1) * es);
    }
    *form = kWhole;
    return kBlock;
}

// A leaf's entries without (pack) or with (unpack) their child numbers;
// numeric keys (12 bytes kept of 16) get a copy of fixed size.
template <size_t Kept>
void packEntries(const uint8_t* disk, uint32_t n, size_t kept, uint8_t* out)
{
    const size_t len = Kept ? Kept : kept;
    for (uint32_t i = 0; i < n; ++i)
        std::memcpy(out + i * len, disk + i * (len + 4) + 4, len);
}

template <size_t Kept>
void unpackEntries(const uint8_t* in, uint32_t n, size_t kept, uint8_t* disk)
{
    const size_t len = Kept ? Kept : kept;
    for (uint32_t i = 0; i < n; ++i) {
        std::memset(disk + i * (len + 4), 0, 4);
        std::memcpy(disk + i * (len + 4) + 4, in + i * len, len);
    }
}

void packNode(const NdxSlot* s, const uint8_t* disk, uint8_t form, uint32_t size, uint8_t* out)
{
    if (form != kLeafForm) {
        std::memcpy(out, disk, size);
        return;
    }
    const size_t kept = size_t(s->entrySize) - 4;
    const uint32_t n = count(disk);
    std::memcpy(out, disk, 4);
    if (kept == 12)
        packEntries<12>(disk + 4, n, kept, out + 4);
    else
        packEntries<0>(disk + 4, n, kept, out + 4);
}

void unpackNode(const NdxSlot* s, const CachedNode& r, const uint8_t* in, uint8_t* disk)
{
    if (r.form == kWhole) {
        std::memcpy(disk, in, kBlock);
        return;
    }
    const size_t es = size_t(s->entrySize);
    const uint32_t n = getU32(in);
    const size_t used = 4 + (r.form == kInteriorForm ? n + 1 : n) * es;
    if (r.form == kInteriorForm) {
        std::memcpy(disk, in, used);
    } else {
        std::memcpy(disk, in, 4);
        if (es == 16)
            unpackEntries<12>(in + 4, n, es - 4, disk + 4);
        else
            unpackEntries<0>(in + 4, n, es - 4, disk + 4);
    }
    std::memset(disk + used, 0, kBlock - used);
}

uint8_t* placeOf(const NodeCache* c, const CachedNode& n) { return c->arena + size_t(n.offset) * kUnit; }

uint32_t hashOf(const NodeCache* c, uint32_t block)
{
    // Fibonacci hashing: the top bits of the product spread consecutive
    // blocks evenly.
    return c->shift >= 32 ? 0 : uint32_t((block * 0x9E3779B9u) >> c->shift);
}

// The table entry of `block`, or kNone.
uint32_t findCached(const NodeCache* c, uint32_t block)
{
    if (!c->mem)
        return kNone;
    for (uint32_t i = hashOf(c, block);; i = (i + 1) & c->mask) {
        if (c->table[i].block == block)
            return i;
        if (c->table[i].block == 0)
            return kNone;
    }
}

void givePlace(NodeCache* c, uint32_t offset, uint32_t units)
{
    std::memcpy(c->arena + size_t(offset) * kUnit, &c->freeAt[units], 4);
    c->freeAt[units] = offset;
}

uint32_t takePlace(NodeCache* c, uint32_t units)
{
    uint32_t off = c->freeAt[units];
    if (off != kNone) {
        std::memcpy(&c->freeAt[units], c->arena + size_t(off) * kUnit, 4);
        return off;
    }
    if (c->arenaUnits - c->bump >= units) {
        off = c->bump;
        c->bump += units;
        return off;
    }
    for (uint32_t u = units + 1; u <= kMaxUnits; ++u) {   // the smallest larger piece
        off = c->freeAt[u];
        if (off == kNone)
            continue;
        std::memcpy(&c->freeAt[u], c->arena + size_t(off) * kUnit, 4);
        givePlace(c, off + units, u - units);
        return off;
    }
    return kNone;
}

// Moves every node to the start of the arena, in place order: all free
// units become the free end.
void compactArena(NodeCache* c)
{
    uint32_t k = 0;
    for (uint32_t i = 0; i <= c->mask; ++i)
        if (c->table[i].block != 0)
            c->order[k++] = i;
    const CachedNode* t = c->table;
    std::sort(c->order, c->order + k, [t](uint32_t a, uint32_t b) { return t[a].offset < t[b].offset; });
    uint32_t to = 0;
    for (uint32_t j = 0; j < k; ++j) {
        CachedNode& n = c->table[c->order[j]];
        if (n.offset != to)
            std::memmove(c->arena + size_t(to) * kUnit, c->arena + size_t(n.offset) * kUnit, size_t(n.units) * kUnit);
        n.offset = to;
        to += n.units;
    }
    c->bump = to;
    std::fill(std::begin(c->freeAt), std::end(c->freeAt), kNone);
}

// Takes entry i out of the cache (its node is not written).
void removeEntry(NodeCache* c, uint32_t i)
{
    givePlace(c, c->table[i].offset, c->table[i].units);
    c->liveUnits -= c->table[i].units;
    if (c->table[i].flags & kNodeChanged)
        --c->changed;
    // Backward shift: later members of the probe run move up into the gap.
    for (uint32_t j = (i + 1) & c->mask; c->table[j].block != 0; j = (j + 1) & c->mask) {
        const uint32_t home = hashOf(c, c->table[j].block);
        if (((j - home) & c->mask) >= ((j - i) & c->mask)) {
            c->table[i] = c->table[j];
            i = j;
        }
    }
    c->table[i] = CachedNode{};
    if (--c->used == 0) {
        // Nothing held: the whole arena is free again, in one piece.
        c->bump = 0;
        c->liveUnits = 0;
        std::fill(std::begin(c->freeAt), std::end(c->freeAt), kNone);
    }
}

bool writeNodeAt(NdxSlot* s, uint32_t block, const uint8_t* disk)
{
    return zPwrite(s->fd, disk, kBlock, int64_t(block) * kBlock);
}

// Lets a node not used since the hand last passed go, written first when
// it is changed; false when a write failed or nothing is held.
bool evictOne(NdxSlot* s)
{
    NodeCache* c = &s->cache;
    if (c->used == 0)
        return false;
    for (;;) {
        const uint32_t i = c->hand;
        CachedNode& n = c->table[i];
        if (n.block != 0) {
            if (n.flags & kNodeUsed) {
                n.flags &= uint8_t(~kNodeUsed);
            } else {
                if (n.flags & kNodeChanged) {
                    uint8_t disk[kBlock];
                    unpackNode(s, n, placeOf(c, n), disk);
                    if (!writeNodeAt(s, n.block, disk))
                        return false;
                }
                ++c->stats.evictions;
                removeEntry(c, i);   // the hand stays: an entry may have moved here
                return true;
            }
        }
        c->hand = (i + 1) & c->mask;
    }
}

// Enters a node (disk form); false when there is no room.
bool enterNode(NdxSlot* s, uint32_t block, const uint8_t* disk, uint8_t form, uint32_t size, uint8_t flags,
               bool used = true)
{
    NodeCache* c = &s->cache;
    const uint32_t units = (size + kUnit - 1) / kUnit;
    uint32_t off = kNone;
    for (;;) {
        if (c->used < c->most) {
            if ((off = takePlace(c, units)) != kNone)
                break;
            if (c->arenaUnits - c->liveUnits >= units + c->arenaUnits / 16) {
                compactArena(c);
                continue;
            }
        }
        if (!evictOne(s))
            return false;
    }
    uint32_t i = hashOf(c, block);
    while (c->table[i].block != 0)
        i = (i + 1) & c->mask;
    CachedNode& n = c->table[i];
    n = CachedNode{block, off, uint16_t(units), form, uint8_t(used ? flags | kNodeUsed : flags)};
    packNode(s, disk, form, size, placeOf(c, n));
    ++c->used;
    c->liveUnits += units;
    if (flags & kNodeChanged)
        ++c->changed;
    return true;
}

// An empty cache for a budget of `nodes` nodes, or false without memory.
bool makeCache(NodeCache* c, uint32_t nodes)
{
    const size_t budget = size_t(nodes) * kBlock;
    uint32_t table = 16;
    int shift = 28;
    while (table < 2 * std::max<size_t>(8, budget / kBudgetPerNode)) {
        table *= 2;
        --shift;
    }
    const size_t meta =
        (size_t(table) * sizeof(CachedNode) + size_t(table / 2) * sizeof(uint32_t) + kUnit - 1) / kUnit * kUnit;
    if (budget < meta + kBlock)
        return false;
    auto* mem = static_cast<uint8_t*>(zAlloc(budget));   // zero-filled: every entry empty
    if (!mem)
        return false;
    c->mem = mem;
    c->nodes = nodes;
    c->table = reinterpret_cast<CachedNode*>(mem);
    c->mask = table - 1;
    c->shift = shift;
    c->used = 0;
    c->most = table / 2;
    c->hand = 0;
    c->order = reinterpret_cast<uint32_t*>(mem + size_t(table) * sizeof(CachedNode));
    c->arena = mem + meta;
    c->arenaUnits = uint32_t((budget - meta) / kUnit);
    c->bump = 0;
    c->liveUnits = 0;
    std::fill(std::begin(c->freeAt), std::end(c->freeAt), kNone);
    c->changed = 0;
    return true;
}

void dropCache(NodeCache* c)
{
    zFree(c->mem);
    const NodeCache kept = *c;
    *c = NodeCache();
    c->limit = kept.limit;
    c->stats = kept.stats;
}

// Sizes the cache for the index's blocks: it doubles up to the limit,
// keeping what it holds. Without memory it stays as it is.
void sizeCache(NdxSlot* s)
{
    NodeCache* c = &s->cache;
    uint32_t want = c->nodes ? c->nodes : kCacheFirst;
    while (want < s->next && want < c->limit)
        want *= 2;
    while (want > c->limit)
        want /= 2;
    if (want < kMinCacheNodes || (c->mem && want <= c->nodes))
        return;
    NodeCache grown;
    grown.limit = c->limit;
    grown.stats = c->stats;
    if (!makeCache(&grown, want))
        return;
    NodeCache old = *c;
    *c = grown;
    uint8_t disk[kBlock];
    for (uint32_t i = 0; old.mem && i <= old.mask; ++i) {
        const CachedNode& n = old.table[i];
        if (n.block == 0)
            continue;
        unpackNode(s, n, placeOf(&old, n), disk);
        if (!enterNode(s, n.block, disk, n.form, n.units * kUnit, n.flags) && (n.flags & kNodeChanged))
            writeNodeAt(s, n.block, disk);
    }
    zFree(old.mem);
}

// Keeps a copy of `block` as the file is to hold it (disk form), changed
// when the file does not hold it yet. False when it could not be kept.
bool cacheNode(NdxSlot* s, uint32_t block, const uint8_t* disk, bool changed)
{
    NodeCache* c = &s->cache;
    if (block == 0 || c->limit < kMinCacheNodes)
        return false;   // 0 marks an empty entry
    if (!c->mem || (c->nodes < s->next && c->nodes < c->limit))
        sizeCache(s);
    if (!c->mem)
        return false;
    uint8_t form;
    const uint32_t size = compactSize(s, disk, &form);
    const uint32_t units = (size + kUnit - 1) / kUnit;
    uint8_t flags = changed ? kNodeChanged : 0;
    const uint32_t i = findCached(c, block);
    if (i != kNone) {
        CachedNode& n = c->table[i];
        if (n.units == units) {
            n.form = form;
            packNode(s, disk, form, size, placeOf(c, n));
            if (changed && !(n.flags & kNodeChanged))
                ++c->changed;
            n.flags |= flags | kNodeUsed;
            return true;
        }
        flags |= n.flags & kNodeChanged;
        removeEntry(c, i);
    }
    return enterNode(s, block, disk, form, size, flags);
}

void forgetNode(NdxSlot* s, uint32_t block)
{
    const uint32_t i = findCached(&s->cache, block);
    if (i != kNone)
        removeEntry(&s->cache, i);
}

// Writes every changed node of the cache to the file, in block order and
// runs of neighbouring blocks per call; they stay cached. False when a
// write failed (the nodes not written stay changed).
bool writeChanges(NdxSlot* s)
{
    NodeCache* c = &s->cache;
    if (!c->mem || c->changed == 0)
        return true;
    auto* order = static_cast<uint32_t*>(zAllocArray(c->changed, sizeof(uint32_t)));
    auto* run = static_cast<uint8_t*>(zAlloc(size_t(kRunBlocks) * kBlock));
    ZBlockRelease releaseOrder{reinterpret_cast<uint8_t*>(order)}, releaseRun{run};
    if (!order || !run) {
        // Without memory for the runs: node by node.
        uint8_t one[kBlock];
        for (uint32_t i = 0; i <= c->mask; ++i) {
            CachedNode& n = c->table[i];
            if (n.block == 0 || !(n.flags & kNodeChanged))
                continue;
            unpackNode(s, n, placeOf(c, n), one);
            if (!writeNodeAt(s, n.block, one))
                return false;
            n.flags &= uint8_t(~kNodeChanged);
            --c->changed;
        }
        return true;
    }
    uint32_t k = 0;
    for (uint32_t i = 0; i <= c->mask && k < c->changed; ++i)
        if (c->table[i].block != 0 && (c->table[i].flags & kNodeChanged))
            order[k++] = i;
    const CachedNode* t = c->table;
    std::sort(order, order + k, [t](uint32_t a, uint32_t b) { return t[a].block < t[b].block; });
    for (uint32_t i = 0; i < k;) {
        const uint32_t first = t[order[i]].block;
        uint32_t j = i;
        for (; j < k && j - i < kRunBlocks && t[order[j]].block == first + (j - i); ++j)
            unpackNode(s, t[order[j]], placeOf(c, t[order[j]]), run + size_t(j - i) * kBlock);
        if (!zPwrite(s->fd, run, size_t(j - i) * kBlock, int64_t(first) * kBlock))
            return false;
        for (; i < j; ++i) {
            c->table[order[i]].flags &= uint8_t(~kNodeChanged);
            --c->changed;
        }
    }
    return true;
}

// Before reading the file: changes that other handles of it hold go to
// the file first.
void writeOthersChanges(NdxSlot* s)
{
    for (auto& other : g_ndx)
        if (other.inUse && &other != s && other.file == s->file && other.cache.changed)
            writeChanges(&other);
}

// Reads block `block` as the file is to hold it, from the cache when it is
// there.
bool readBlock(NdxSlot* s, uint32_t block, uint8_t* node)
{
    NodeCache* c = &s->cache;
    const uint32_t i = findCached(c, block);
    if (i != kNone) {
        ++c->stats.hits;
        c->table[i].flags |= kNodeUsed;
        unpackNode(s, c->table[i], placeOf(c, c->table[i]), node);
        return true;
    }
    ++c->stats.misses;
    writeOthersChanges(s);
    if (!c->mem || c->used + kReadAhead > c->most || c->arenaUnits - c->bump < kReadAhead * kMaxUnits) {
        if (zPread(s->fd, node, kBlock, int64_t(block) * kBlock) != kBlock)
            return false;
        cacheNode(s, block, node, false);
        return true;
    }
    // While the cache has room, a miss reads the aligned group of blocks
    // around the node (4 KiB) and keeps its neighbours too, as not yet used.
    uint8_t group[kReadAhead * kBlock];
    const uint32_t first = std::max<uint32_t>(1, block & ~(kReadAhead - 1));
    const uint32_t end = std::min<uint32_t>((block | (kReadAhead - 1)) + 1, s->next);
    const int64_t got = zPread(s->fd, group, size_t(end - first) * kBlock, int64_t(first) * kBlock);
    if (got < int64_t(block - first + 1) * kBlock)
        return false;
    std::memcpy(node, group + size_t(block - first) * kBlock, kBlock);
    cacheNode(s, block, node, false);
    for (uint32_t b = first; b < end && int64_t(b - first + 1) * kBlock <= got; ++b) {
        if (b == block || findCached(c, b) != kNone)
            continue;
        const uint8_t* disk = group + size_t(b - first) * kBlock;
        uint8_t form;
        const uint32_t size = compactSize(s, disk, &form);
        if (!enterNode(s, b, disk, form, size, 0, false))
            break;
    }
    return true;
}

// Hands a changed node (in-memory count) to the cache, or writes it to the
// file when the cache cannot keep it.
int writeBlock(NdxSlot* s, uint32_t block, uint8_t* node, int seekErr, int writeErr)
{
    const bool interior = !isLeaf(s, node);
    const uint32_t n = count(node);
    if (interior)
        setCount(node, n - 1);   // the last child is not counted on disk
    // Other handles of this file read the block anew from now on.
    for (auto& other : g_ndx)
        if (other.inUse && &other != s && other.file == s->file)
            forgetNode(&other, block);
    bool ok = cacheNode(s, block, node, true);
    if (!ok) {
        forgetNode(s, block);
        ok = writeNodeAt(s, block, node);
    }
    if (interior)
        setCount(node, n);
    (void)seekErr;
    return ok ? 0 : fail(writeErr, 4);
}

int flushLevel(NdxSlot* s, int L, int seekErr, int writeErr)
{
    Level& lv = s->path[L];
    if (!lv.node || lv.block == 0 || !(lv.flags & kChanged))
        return 0;
    int rc = writeBlock(s, lv.block, lv.node, seekErr, writeErr);
    if (rc == 0)
        lv.flags &= uint8_t(~kChanged);
    return rc;
}

// After a failure: changed nodes are written if they can be, buffers go,
// the cursor is before the first key.
void emptyPath(NdxSlot* s)
{
    for (int L = kLevels - 1; L >= 0; --L) {
        Level& lv = s->path[L];
        if (lv.node && lv.block && (lv.flags & kChanged))
            writeBlock(s, lv.block, lv.node, 0, 0);
        zFree(lv.node);
        lv = Level();
    }
    s->cursor = Cursor::BeforeFirst;
}

int failPath(NdxSlot* s, int detail, int code)
{
    int saved = detail;
    emptyPath(s);
    g_errno = saved;
    return code;
}

// Reads block `block` into a 512-byte buffer and checks that it is a node
// that fits its block. The count becomes the in-memory count.
int readNode(NdxSlot* s, uint32_t block, uint8_t* node, int seekErr, int readErr)
{
    if (block == 0 || block >= s->next)
        return fail(2706, 1);
    (void)seekErr;
    if (!readBlock(s, block, node))
        return fail(readErr, 1);
    uint32_t n = count(node);
    if (n > capacity(s))
        return fail(2707, 1);
    // An interior node may hold only its last child: count 0 on disk.
    if (childOf(entry(s, node, 0)) != 0) {
        if (n + 1 > capacity(s))
            return fail(2707, 1);
        setCount(node, n + 1);
    }
    return 0;
}

// Loads node `block` into level L (writing the changed node it held) and
// refuses a block already on the path above it.
int loadNode(NdxSlot* s, int L, uint32_t block)
{
    if (L >= kLevels)
        return fail(2708, 1);
    for (int up = 0; up < L; ++up)
        if (s->path[up].block == block)
            return fail(2708, 1);
    Level& lv = s->path[L];
    if (lv.node && lv.block == block) {
        lv.idx = 1;
        return 0;
    }
    if (int rc = flushLevel(s, L, 2701, 2702))
        return rc;
    if (!lv.node) {
        lv.node = static_cast<uint8_t*>(zAlloc(kBlock));
        if (!lv.node)
            return fail(2703, 1);
    }
    lv.block = 0;
    if (int rc = readNode(s, block, lv.node, 2704, 2705))
        return rc;
    lv.block = block;
    lv.idx = 1;
    lv.flags &= uint8_t(~kChanged);
    return 0;
}

// Levels below L hold nothing of the current tree any more.
void forgetBelow(NdxSlot* s, int L)
{
    for (int k = L + 1; k < kLevels; ++k) {
        zFree(s->path[k].node);
        s->path[k] = Level();
    }
}

void returnEntry(NdxSlot* s, uint8_t* e, char* key, int32_t* record)
{
    if (key)
        std::memcpy(key, keyOf(e), size_t(s->keyLen));
    if (record)
        *record = int32_t(recordOf(e));
}

// Descends from level L (node already loaded) always into the first (or
// last) child, down to a leaf. Returns the leaf level or -1.
int descendEdge(NdxSlot* s, int L, bool last, int emptyErr, int emptyCode, int* rc)
{
    for (;;) {
        Level& lv = s->path[L];
        uint32_t n = count(lv.node);
        if (n == 0) {
            *rc = fail(emptyErr, emptyCode);
            return -1;
        }
        lv.idx = last ? int(n) : 1;
        if (isLeaf(s, lv.node))
            return L;
        uint32_t child = childOf(entry(s, lv.node, uint32_t(lv.idx - 1)));
        if ((*rc = loadNode(s, L + 1, child)) != 0)
            return -1;
        ++L;
    }
}

// Moves the path from the leaf at level L to the next leaf at the same
// level. 0, 9 when there is none, or a failure.
int moveToNextLeaf(NdxSlot* s, int L)
{
    int U = L - 1;
    while (U >= 0 && s->path[U].idx >= int(count(s->path[U].node)))
        --U;
    if (U < 0)
        return 9;
    ++s->path[U].idx;
    for (int V = U + 1; V <= L; ++V) {
        Level& up = s->path[V - 1];
        uint8_t* e = entry(s, up.node, uint32_t(up.idx - 1));
        if (isLeaf(s, up.node))
            return fail(2708, 1);
        if (int rc = loadNode(s, V, childOf(e)))
            return rc;
        if (V < L && isLeaf(s, s->path[V].node))
            return fail(2708, 1);
    }
    return isLeaf(s, s->path[L].node) ? 0 : fail(2708, 1);
}

// The node at level L got a new last entry: the keys that name it above
// follow, up to the first entry that is not its node's last.
void propagateLastKey(NdxSlot* s, int L)
{
    uint8_t* node = s->path[L].node;
    const uint8_t* key = keyOf(entry(s, node, count(node) - 1));
    for (int U = L - 1; U >= 0; --U) {
        Level& up = s->path[U];
        uint32_t q = uint32_t(up.idx - 1);
        std::memcpy(entry(s, up.node, q) + 8, key, size_t(s->keyLen));
        up.flags |= kChanged;
        if (q + 1 != count(up.node))
            break;
    }
}

// The largest key below an interior node's last child, walked on disk.
int largestKeyBelow(NdxSlot* s, uint32_t block, uint8_t* scratch, uint8_t* key)
{
    for (int depth = 0;; ++depth) {
        if (depth >= kLevels)
            return fail(2708, 1);
        if (int rc = readNode(s, block, scratch, 1631, 1632))
            return rc;
        uint32_t n = count(scratch);
        if (n == 0)
            return fail(1632, 1);
        uint8_t* last = entry(s, scratch, n - 1);
        if (isLeaf(s, scratch)) {
            std::memcpy(key, keyOf(last), size_t(s->keyLen));
            return 0;
        }
        block = childOf(last);
    }
}

int insertAt(NdxSlot* s, int L, uint32_t pos, const uint8_t* newEntry)
{
    const size_t es = size_t(s->entrySize);
    const uint32_t maxEntries = uint32_t(s->maxEntries);
    uint8_t ent[kBlock];
    std::memcpy(ent, newEntry, es);

    // The memory of a whole cascade of splits is taken before any node
    // changes, so that running out of it leaves the tree as it was.
    uint8_t* work = nullptr;
    uint8_t* rootBuf = nullptr;
    struct Release {
        uint8_t** a;
        uint8_t** b;
        ~Release()
        {
            zFree(*a);
            zFree(*b);
        }
    } release{&work, &rootBuf};
    if (count(s->path[L].node) >= maxEntries) {
        work = static_cast<uint8_t*>(zAlloc(3 * kBlock + es));
        if (!work)
            return fail(1602, 1);
        int top = L;
        while (top > 0 && count(s->path[top - 1].node) >= maxEntries)
            --top;
        if (top == 0) {
            if (L + 1 >= kLevels)
                return fail(2708, 1);
            rootBuf = static_cast<uint8_t*>(zAlloc(kBlock));
            if (!rootBuf)
                return fail(1609, 1);
        }
    }

    for (;;) {
        Level& lv = s->path[L];
        uint8_t* node = lv.node;
        const uint32_t n = count(node);
        if (n < maxEntries) {
            std::memmove(entry(s, node, pos + 1), entry(s, node, pos), (n - pos) * es);
            std::memcpy(entry(s, node, pos), ent, es);
            setCount(node, n + 1);
            lv.flags |= kChanged;
            if (pos == n && L > 0)
                propagateLastKey(s, L);
            return 0;
        }

        // Split: all = the node's entries with the new one at pos; the
        // node keeps the first half, the rest goes to a new node.
        uint8_t* all = work;                  // up to capacity + 1 entries
        uint8_t* right = work + kBlock + es;  // the new node
        uint8_t* scratch = right + kBlock;
        std::memcpy(all, entry(s, node, 0), pos * es);
        std::memcpy(all + pos * es, ent, es);
        std::memcpy(all + (pos + 1) * es, entry(s, node, pos), (n - pos) * es);
        const uint32_t e = n;
        uint32_t l = e / 2;
        if (e % 2 == 1 && pos + 1 > l + 1)
            ++l;
        const uint32_t leftCount = pos <= l ? l + 1 : l;
        const uint32_t rightCount = e + 1 - leftCount;
        const bool interior = !isLeaf(s, node);

        std::memset(right, 0, kBlock);
        setCount(right, rightCount);
        std::memcpy(right + 4, all + leftCount * es, rightCount * es);
        uint8_t leftKey[kBlock], rightKey[kBlock];
        std::memcpy(leftKey, all + (leftCount - 1) * es + 8, size_t(s->keyLen));
        if (interior) {
            if (int rc = largestKeyBelow(s, childOf(entry(s, right, rightCount - 1)), scratch, rightKey))
                return rc;
        } else {
            std::memcpy(rightKey, keyOf(entry(s, right, rightCount - 1)), size_t(s->keyLen));
        }

        std::memset(node + 4, 0, kBlock - 4);
        setCount(node, leftCount);
        std::memcpy(node + 4, all, leftCount * es);
        const uint32_t newBlock = s->next++;
        if (writeBlock(s, newBlock, right, 1605, 1606) != 0 ||
            writeBlock(s, lv.block, node, 1607, 1608) != 0)
            return 4;
        lv.flags &= uint8_t(~kChanged);

        if (L == 0) {
            // A new root over the old root and the new node.
            const uint32_t rootBlock = s->next++;
            setCount(rootBuf, 2);
            uint8_t* r0 = entry(s, rootBuf, 0);
            putU32(r0, lv.block);
            std::memcpy(r0 + 8, leftKey, size_t(s->keyLen));
            uint8_t* r1 = entry(s, rootBuf, 1);
            putU32(r1, newBlock);
            std::memcpy(r1 + 8, rightKey, size_t(s->keyLen));
            if (writeBlock(s, rootBlock, rootBuf, 1605, 1606) != 0)
                return 4;
            zFree(s->path[kLevels - 1].node);   // below the tree: nothing of it
            for (int k = kLevels - 1; k > 0; --k)
                s->path[k] = s->path[k - 1];
            s->path[0] = Level();
            s->path[0].node = rootBuf;
            s->path[0].block = rootBlock;
            s->path[0].idx = pos <= l ? 1 : 2;
            rootBuf = nullptr;   // the path owns it now
            s->root = rootBlock;
            return 0;
        }
        Level& up = s->path[L - 1];
        const uint32_t q = uint32_t(up.idx - 1);
        std::memcpy(entry(s, up.node, q) + 8, leftKey, size_t(s->keyLen));
        up.flags |= kChanged;
        std::memset(ent, 0, es);
        putU32(ent, newBlock);
        std::memcpy(ent + 8, rightKey, size_t(s->keyLen));
        pos = q + 1;
        --L;
    }
}

void resetIndex(NdxSlot* s)
{
    s->root = 1;
    s->next = 2;
    forgetBelow(s, 0);
    Level& lv = s->path[0];
    std::memset(lv.node, 0, kBlock);
    lv.block = 1;
    lv.idx = 1;
    lv.flags |= kChanged;
}

int removeAt(NdxSlot* s, int L, uint32_t i)
{
    const size_t es = size_t(s->entrySize);
    for (;;) {
        Level& lv = s->path[L];
        uint8_t* node = lv.node;
        const uint32_t n = count(node);
        if (n > 1 || L == 0) {
            std::memmove(entry(s, node, i), entry(s, node, i + 1), (n - i - 1) * es);
            std::memset(entry(s, node, n - 1), 0, es);
            setCount(node, n - 1);
            lv.flags |= kChanged;
            if (L > 0) {
                if (i == n - 1)
                    propagateLastKey(s, L);
                return 0;
            }
            if (n - 1 == 0) {
                resetIndex(s);
                return 0;
            }
            // An interior root with only its last child hands over to it.
            while (count(s->path[0].node) == 1 && !isLeaf(s, s->path[0].node)) {
                uint32_t child = childOf(entry(s, s->path[0].node, 0));
                if (!s->path[1].node || s->path[1].block != child) {
                    if (int rc = loadNode(s, 1, child))
                        return rc;
                }
                zFree(s->path[0].node);
                for (int k = 0; k < kLevels - 1; ++k)
                    s->path[k] = s->path[k + 1];
                s->path[kLevels - 1] = Level();
                s->root = child;
            }
            return 0;
        }
        // A non-root node that empties is dropped from its parent.
        lv.block = 0;
        lv.flags &= uint8_t(~kChanged);
        i = uint32_t(s->path[L - 1].idx - 1);
        --L;
    }
}

// Shared descent of search, insert and delete: the first entry whose key
// is not below `key` in each interior node, down to a leaf.
int descendFor(NdxSlot* s, const uint8_t* key, int* leafLevel)
{
    uint32_t block = s->root;
    for (int L = 0;; ++L) {
        if (int rc = loadNode(s, L, block))
            return rc;
        Level& lv = s->path[L];
        uint32_t n = count(lv.node);
        if (n == 0 || isLeaf(s, lv.node)) {
            *leafLevel = L;
            return 0;
        }
        uint32_t i = 0;
        while (i + 1 < n && compare(s, keyOf(entry(s, lv.node, i)), key) < 0)
            ++i;
        lv.idx = int(i) + 1;
        block = childOf(entry(s, lv.node, i));
    }
}

int openRecordCheck(DBHANDLE file, DBHANDLE index, int fileErr, int indexErr, NdxSlot** s)
{
    if (!dbIsOpen(file))
        return fail(fileErr, 1);
    *s = slotOf(index);
    if (!*s)
        return fail(indexErr, 1);
    return 0;
}

// Ends a step of the cursor to `leaf` (found by a descent that left its
// code in rc): on a leaf the cursor stands at its current entry, which is
// returned; otherwise the step's failure is.
int settleAt(NdxSlot* s, int leaf, int rc, char* key, int32_t* record)
{
    if (leaf < 0)
        return rc == 7 ? rc : failPath(s, g_errno, rc);
    s->cursorLevel = leaf;
    s->cursor = Cursor::At;
    Level& lv = s->path[leaf];
    returnEntry(s, entry(s, lv.node, uint32_t(lv.idx - 1)), key, record);
    return 0;
}

}  // namespace

int ndxCreate(const char* path, const char* expression, int keyLength, char type)
{
    if (!path || !expression)
        return fail(391, 1);
    bool numeric;
    switch (type) {
    case 'C': case 'c': numeric = false; break;
    case 'D': case 'd': case 'N': case 'n': numeric = true; keyLength = 8; break;
    default: return fail(1301, 1);
    }
    if (keyLength < 1 || keyLength > 100)
        return fail(1302, 1);
    auto* b = static_cast<uint8_t*>(zAlloc(2 * kBlock));
    if (!b)
        return fail(1303, 1);
    ZBlockRelease release{b};
    const int entrySize = keyLength + 8;
    putU32(b, 1);
    putU32(b + 4, 2);
    putU16(b + 12, uint16_t(keyLength));
    putU16(b + 14, uint16_t(504 / entrySize));
    putU16(b + 16, numeric ? 1 : 0);
    putU16(b + 18, uint16_t(entrySize));
    size_t len = strnlen(expression, kMaxExpression + 1);
    if (len < 1 || len > kMaxExpression)
        return fail(1304, 6);
    std::memcpy(b + 24, expression, len);
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return fail(1305, 1);
    bool ok = zWrite(fd, b, 2 * kBlock);
    close(fd);
    return ok ? 0 : fail(1306, 4);
}

int ndxOpen(const char* path, DBHANDLE* out)
{
    if (!path || !out)
        return fail(391, 1);
    NdxSlot* s = nullptr;
    for (auto& slot : g_ndx)
        if (!slot.inUse) {
            s = &slot;
            break;
        }
    if (!s)
        return fail(1401, 1);
    int fd = ks::openRegularFile(path, O_RDWR);
    if (fd < 0)
        return fail(1402, 1);
    auto* h = static_cast<uint8_t*>(zAlloc(kBlock));
    if (!h) {
        close(fd);
        return fail(1403, 1);
    }
    auto bail = [&](int detail, int code) {
        zFree(h);
        close(fd);
        return fail(detail, code);
    };
    if (zRead(fd, h, kBlock) != kBlock)
        return bail(1404, 1);
    if (h[16] > 1)
        return bail(1405, 5);
    const uint32_t root = getU32(h), next = getU32(h + 4);
    const int keyLen = h[12], maxEntries = h[14], entrySize = h[18];
    const bool numeric = h[16] == 1;
    const int64_t size = zFileSize(fd);
    // Values that would let a node reach outside its block or the file.
    if (keyLen < 1 || keyLen > 100 || (numeric && keyLen != 8) || entrySize != keyLen + 8 ||
        maxEntries < 2 || maxEntries * entrySize > 504 || root < 1 || next <= root ||
        size < int64_t(next) * kBlock)
        return bail(1406, 5);
    zFree(h);
    *s = NdxSlot();
    s->fd = fd;
    s->inUse = 1;
    zFileId(fd, &s->file);
    s->cache.limit = g_cacheLimit;
    s->root0 = s->root = root;
    s->next0 = s->next = next;
    s->keyLen = keyLen;
    s->entrySize = entrySize;
    s->maxEntries = maxEntries;
    s->numeric = numeric;
    s->cursor = Cursor::BeforeFirst;
    *out = s;
    return 0;
}

int ndxClose(DBHANDLE index)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    int rc = 0, detail = 0;
    for (int L = kLevels - 1; L >= 0; --L) {
        if (flushLevel(s, L, 2801, 2802) != 0 && rc == 0) {
            rc = 4;
            detail = 2802;
        }
    }
    if (!writeChanges(s) && rc == 0) {
        rc = 4;
        detail = 2802;
    }
    if (s->root != s->root0 || s->next != s->next0) {
        uint8_t h[8];
        putU32(h, s->root);
        putU32(h + 4, s->next);
        if (!zPwrite(s->fd, h, 8, 0) && rc == 0) {
            rc = 4;
            detail = 1503;
        }
    }
    for (auto& lv : s->path)
        zFree(lv.node);
    dropCache(&s->cache);
    if (close(s->fd) != 0 && rc == 0) {
        rc = 1;
        detail = 1504;
    }
    *s = NdxSlot();
    if (rc)
        g_errno = detail;
    return rc;
}

int ndxFirst(DBHANDLE index)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    s->cursor = Cursor::BeforeFirst;
    return 0;
}

int ndxLast(DBHANDLE index)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    s->cursor = Cursor::AfterLast;
    return 0;
}

int ndxCurrent(DBHANDLE index, char* key, int32_t* record)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    if (s->cursor == Cursor::BeforeFirst)
        return fail(1901, 11);
    if (s->cursor == Cursor::AfterLast)
        return fail(1902, 9);
    Level& lv = s->path[s->cursorLevel];
    returnEntry(s, entry(s, lv.node, uint32_t(lv.idx - 1)), key, record);
    return 0;
}

int ndxNext(DBHANDLE index, char* key, int32_t* record)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    if (s->cursor == Cursor::AfterLast)
        return fail(2010, 9);
    int rc = 0;
    int leaf;
    if (s->cursor == Cursor::BeforeFirst) {
        if ((rc = loadNode(s, 0, s->root)) != 0)
            return failPath(s, g_errno, rc);
        leaf = descendEdge(s, 0, false, 2020, 7, &rc);
    } else {
        leaf = s->cursorLevel;
        Level& lv = s->path[leaf];
        if (lv.idx < int(count(lv.node))) {
            ++lv.idx;
        } else {
            int U = leaf - 1;
            while (U >= 0 && s->path[U].idx >= int(count(s->path[U].node)))
                --U;
            if (U < 0) {
                s->cursor = Cursor::AfterLast;
                return fail(2010, 9);
            }
            Level& up = s->path[U];
            ++up.idx;
            if ((rc = loadNode(s, U + 1, childOf(entry(s, up.node, uint32_t(up.idx - 1))))) != 0)
                return failPath(s, g_errno, rc);
            leaf = descendEdge(s, U + 1, false, 2020, 7, &rc);
        }
    }
    return settleAt(s, leaf, rc, key, record);
}

int ndxPrevious(DBHANDLE index, char* key, int32_t* record)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    if (s->cursor == Cursor::BeforeFirst)
        return fail(1810, 11);
    int rc = 0;
    int leaf;
    if (s->cursor == Cursor::AfterLast) {
        if ((rc = loadNode(s, 0, s->root)) != 0)
            return failPath(s, g_errno, rc);
        leaf = descendEdge(s, 0, true, 1820, 7, &rc);
    } else {
        leaf = s->cursorLevel;
        Level& lv = s->path[leaf];
        if (lv.idx > 1) {
            --lv.idx;
        } else {
            int U = leaf - 1;
            while (U >= 0 && s->path[U].idx <= 1)
                --U;
            if (U < 0) {
                s->cursor = Cursor::BeforeFirst;
                return fail(1810, 11);
            }
            Level& up = s->path[U];
            --up.idx;
            if ((rc = loadNode(s, U + 1, childOf(entry(s, up.node, uint32_t(up.idx - 1))))) != 0)
                return failPath(s, g_errno, rc);
            leaf = descendEdge(s, U + 1, true, 1820, 7, &rc);
        }
    }
    return settleAt(s, leaf, rc, key, record);
}

int ndxInsert(DBHANDLE index, const char* key, int32_t record)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    if (!key)
        return fail(391, 1);
    if (record < 1)
        return fail(1601, 3);
    s->cursor = Cursor::BeforeFirst;
    const auto* k = reinterpret_cast<const uint8_t*>(key);
    int L;
    if (int rc = descendFor(s, k, &L))
        return failPath(s, g_errno, rc);
    uint32_t pos;
    for (;;) {
        Level& lv = s->path[L];
        const uint32_t n = count(lv.node);
        pos = 0;
        while (pos < n) {
            uint8_t* e = entry(s, lv.node, pos);
            int c = compare(s, keyOf(e), k);
            if (c > 0 || (c == 0 && recordOf(e) > uint32_t(record)))
                break;
            if (c == 0 && recordOf(e) == uint32_t(record))
                return 0;   // indexed already
            ++pos;
        }
        // Equal keys may go on in the next leaf.
        if (pos < n || n == 0 || compare(s, keyOf(entry(s, lv.node, n - 1)), k) != 0)
            break;
        int rc = moveToNextLeaf(s, L);
        if (rc == 9)
            break;
        if (rc != 0)
            return failPath(s, g_errno, rc);
        const uint8_t* first = entry(s, s->path[L].node, 0);
        if (compare(s, keyOf(first), k) != 0 || recordOf(first) > uint32_t(record)) {
            pos = 0;
            break;
        }
    }
    uint8_t ent[kBlock] = {};
    putU32(ent + 4, uint32_t(record));
    std::memcpy(ent + 8, key, size_t(s->keyLen));
    int rc = insertAt(s, L, pos, ent);
    if (rc != 0)
        return failPath(s, g_errno, rc);
    return 0;
}

int ndxDelete(DBHANDLE index, const char* key, int32_t record)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    if (!key)
        return fail(391, 1);
    s->cursor = Cursor::BeforeFirst;
    const auto* k = reinterpret_cast<const uint8_t*>(key);
    int L;
    if (int rc = descendFor(s, k, &L))
        return failPath(s, g_errno, rc);
    if (count(s->path[L].node) == 0)
        return fail(1701, 7);
    for (;;) {
        Level& lv = s->path[L];
        const uint32_t n = count(lv.node);
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t* e = entry(s, lv.node, i);
            int c = compare(s, keyOf(e), k);
            if (c > 0)
                return fail(1702, 7);
            if (c == 0 && recordOf(e) == uint32_t(record)) {
                int rc = removeAt(s, L, i);
                if (rc != 0)
                    return failPath(s, g_errno, rc);
                s->cursor = Cursor::BeforeFirst;
                return 0;
            }
        }
        if (n == 0 || compare(s, keyOf(entry(s, lv.node, n - 1)), k) != 0)
            return fail(1702, 7);
        int rc = moveToNextLeaf(s, L);
        if (rc == 9)
            return fail(1702, 7);
        if (rc != 0)
            return failPath(s, g_errno, rc);
    }
}

int ndxKeyInfo(DBHANDLE index, char* type, char* expression, int32_t* expressionLength, char* keyLength)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    if (!type || !expression || !expressionLength || !keyLength)
        return fail(391, 1);
    auto* h = static_cast<uint8_t*>(zAlloc(kBlock));
    if (!h)
        return fail(2502, 1);
    ZBlockRelease release{h};
    if (zPread(s->fd, h, kBlock, 0) != kBlock)
        return fail(2503, 1);
    size_t len = strnlen(reinterpret_cast<const char*>(h + 24), kMaxExpression);
    if (len > 349)
        return fail(2504, 5);
    *type = h[16] == 1 ? 'N' : 'C';
    std::memcpy(expression, h + 24, len);
    expression[len] = '\0';
    *expressionLength = int32_t(len);
    *keyLength = char(h[12]);
    return 0;
}

uint32_t ndxSetCacheLimit(uint32_t nodes)
{
    uint32_t old = g_cacheLimit;
    g_cacheLimit = nodes;
    return old;
}

bool ndxCacheInfo(DBHANDLE index, uint32_t* nodes, NdxCacheStats* stats)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return false;
    *nodes = s->cache.nodes;
    *stats = s->cache.stats;
    return true;
}

int ndxDepth(DBHANDLE index)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return 0;
    uint8_t node[kBlock];
    uint32_t block = s->root;
    for (int depth = 1; depth <= kLevels; ++depth) {
        // Changed nodes of the path are newer than the file.
        bool fromPath = false;
        for (auto& lv : s->path)
            if (lv.node && lv.block == block) {
                std::memcpy(node, lv.node, kBlock);
                fromPath = true;
                break;
            }
        if (!fromPath && readNode(s, block, node, 0, 0) != 0)
            return 0;
        if (isLeaf(s, node))
            return depth;
        block = childOf(entry(s, node, 0));
    }
    return 0;
}

int ndxNextRecord(DBHANDLE file, DBHANDLE index, char* record, char* deleted, int32_t* recno)
{
    NdxSlot* s;
    if (int rc = openRecordCheck(file, index, 2301, 2302, &s))
        return rc;
    int32_t n = 0;
    if (int rc = ndxNext(index, nullptr, &n))
        return rc;
    int32_t size = 0;
    dBsize(file, &size);
    if (n > size)
        return fail(2303, 10);
    if (recno)
        *recno = n;
    return dBgetr(file, n, record, deleted);
}

int ndxPreviousRecord(DBHANDLE file, DBHANDLE index, char* record, char* deleted, int32_t* recno)
{
    NdxSlot* s;
    if (int rc = openRecordCheck(file, index, 2101, 2102, &s))
        return rc;
    int32_t n = 0;
    if (int rc = ndxPrevious(index, nullptr, &n))
        return rc;
    int32_t size = 0;
    dBsize(file, &size);
    if (n > size)
        return fail(2103, 10);
    if (recno)
        *recno = n;
    return dbGetrEnding(file, n, record, deleted);
}

int ndxReadByKey(DBHANDLE file, DBHANDLE index, const char* key, char* record, char* deleted)
{
    NdxSlot* s;
    if (int rc = openRecordCheck(file, index, 2201, 2202, &s))
        return rc;
    int32_t n = 0;
    int rc = dBtkey(index, key, &n);
    if (rc >= 7 && rc <= 9)
        return 7;
    if (rc != 0)
        return rc;
    int32_t size = 0;
    dBsize(file, &size);
    if (n > size)
        return fail(2203, 10);
    return dBgetr(file, n, record, deleted);
}

int ndxPutByKey(DBHANDLE file, DBHANDLE index, const char* key, const char* record)
{
    NdxSlot* s;
    if (int rc = openRecordCheck(file, index, 2401, 2402, &s))
        return rc;
    int32_t n = 0;
    int rc = dBtkey(index, key, &n);
    int32_t size = 0;
    dBsize(file, &size);
    if (rc == 0) {
        if (n > size)
            return fail(2403, 10);
        return dBupdr(file, n, record);
    }
    if (rc < 7 || rc > 9)
        return rc;
    if ((rc = dBputr(file, size + 1, record)) != 0)
        return rc;
    return ndxInsert(index, key, size + 1);
}

}  // namespace zentar

using namespace zentar;

extern "C" ZENTAR_EXPORT int dBtkey(DBHANDLE index, const char* key, int32_t* record)
{
    NdxSlot* s = slotOf(index);
    if (!s)
        return fail(1590, 1);
    if (!key || !record)
        return fail(391, 1);
    s->cursor = Cursor::BeforeFirst;
    const auto* k = reinterpret_cast<const uint8_t*>(key);
    int L;
    if (int rc = descendFor(s, k, &L))
        return failPath(s, g_errno, rc);
    Level& lv = s->path[L];
    const uint32_t n = count(lv.node);
    if (n == 0)
        return fail(2601, 7);
    uint32_t i = 0;
    while (i < n && compare(s, keyOf(entry(s, lv.node, i)), k) < 0)
        ++i;
    lv.idx = int(i) + 1;
    s->cursorLevel = L;
    if (i == n) {
        s->cursor = Cursor::AfterLast;
        return fail(2603, 9);
    }
    s->cursor = Cursor::At;
    uint8_t* e = entry(s, lv.node, i);
    *record = int32_t(recordOf(e));
    if (compare(s, keyOf(e), k) == 0)
        return 0;
    return fail(2602, 8);
}
