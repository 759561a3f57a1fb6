// Block allocator of the library. The original took movable, zero-filled
// system blocks and kept (block, address) pairs in a table; here a block
// is ordinary zeroed memory, and the table of live blocks remains so that
// a release finds its block and tests can count what is still held.
#include "zinternal.h"

#include <cstdlib>
#include <cstring>

namespace zentar {

int g_errno = 0;

namespace {
void** g_table = nullptr;   // live blocks, in allocation order
size_t g_count = 0;
int g_okLeft = -1;          // test hook: allocations left before failing

bool hookRefuses()
{
    if (g_okLeft < 0)
        return false;
    if (g_okLeft == 0)
        return true;
    --g_okLeft;
    return false;
}
}  // namespace

void zFailAllocAfter(int okCount) { g_okLeft = okCount < 0 ? -1 : okCount; }

void* zAlloc(size_t n)
{
    if (n == 0 || hookRefuses())
        return nullptr;
    void* p = std::calloc(1, n);
    if (!p)
        return nullptr;
    void** grown = static_cast<void**>(std::realloc(g_table, (g_count + 1) * sizeof(void*)));
    if (!grown) {
        std::free(p);
        return nullptr;
    }
    g_table = grown;
    g_table[g_count++] = p;
    return p;
}

void* zAllocArray(size_t n, size_t m)
{
    if (m != 0 && n > SIZE_MAX / m)
        return nullptr;
    return zAlloc(n * m);
}

void zFree(void* p)
{
    if (!p)
        return;
    for (size_t i = 0; i < g_count; ++i) {
        if (g_table[i] != p)
            continue;
        std::free(p);
        std::memmove(g_table + i, g_table + i + 1, (g_count - i - 1) * sizeof(void*));
        --g_count;
        if (g_count == 0) {
            std::free(g_table);
            g_table = nullptr;
        }
        return;
    }
    // Not one of ours: left alone.
}

size_t zLiveBlocks() { return g_count; }

}  // namespace zentar

extern "C" ZENTAR_EXPORT int dBerrno(void) { return zentar::g_errno; }
