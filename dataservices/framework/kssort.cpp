#include "kssort.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Shared with the comparators: qsort gives them no context. One sort runs
// at a time per thread.
thread_local const unsigned char* g_keyBase = nullptr;
thread_local size_t g_keySize = 0;
thread_local size_t g_keyOffset = 0;

template <typename T>
int compareValues(const void* a, const void* b)
{
    T x, y;
    std::memcpy(&x, a, sizeof(T));
    std::memcpy(&y, b, sizeof(T));
    // Unordered floating-point values (NaN) compare equal.
    if (x > y)
        return 1;
    if (x < y)
        return -1;
    return 0;
}

int compareText(const void* a, const void* b)
{
    const size_t n = g_keySize > g_keyOffset ? g_keySize - g_keyOffset : 0;
    return std::strncmp(static_cast<const char*>(a), static_cast<const char*>(b), n);
}

int compareBytes(const void* a, const void* b)
{
    const size_t n = g_keySize > g_keyOffset ? g_keySize - g_keyOffset : 0;
    return std::memcmp(a, b, n);
}

using KeyCompare = int (*)(const void*, const void*);

// Comparator table entry for one key type: element access by the flags
// (field offset, through the index array) and direction.
template <KeyCompare Cmp, bool Descending, bool Offset, bool Indirect>
int tableEntry(const void* a, const void* b)
{
    const unsigned char* pa;
    const unsigned char* pb;
    if (Indirect) {
        int32_t ia, ib;
        std::memcpy(&ia, a, sizeof ia);
        std::memcpy(&ib, b, sizeof ib);
        pa = g_keyBase + static_cast<size_t>(ia) * g_keySize;
        pb = g_keyBase + static_cast<size_t>(ib) * g_keySize;
    } else {
        pa = static_cast<const unsigned char*>(a);
        pb = static_cast<const unsigned char*>(b);
    }
    if (Offset) {
        pa += g_keyOffset;
        pb += g_keyOffset;
    }
    const int r = Cmp(pa, pb);
    return Descending ? -r : r;
}

// Eight entries per key type, in the order: plain, offset, indirect,
// offset + indirect, then the same four descending.
#define KS_SORT_ENTRIES(cmp)                                                         \
    tableEntry<cmp, false, false, false>, tableEntry<cmp, false, true, false>,       \
        tableEntry<cmp, false, false, true>, tableEntry<cmp, false, true, true>,     \
        tableEntry<cmp, true, false, false>, tableEntry<cmp, true, true, false>,     \
        tableEntry<cmp, true, false, true>, tableEntry<cmp, true, true, true>

// Entry k of the table (1-based) is g_comparators[k - 1].
const KeyCompare g_comparators[80] = {
    KS_SORT_ENTRIES(compareValues<int8_t>),   KS_SORT_ENTRIES(compareValues<uint8_t>),
    KS_SORT_ENTRIES(compareValues<int16_t>),  KS_SORT_ENTRIES(compareValues<uint16_t>),
    KS_SORT_ENTRIES(compareValues<int32_t>),  KS_SORT_ENTRIES(compareValues<uint32_t>),
    KS_SORT_ENTRIES(compareValues<float>),    KS_SORT_ENTRIES(compareValues<double>),
    KS_SORT_ENTRIES(compareText),             KS_SORT_ENTRIES(compareBytes),
};

#undef KS_SORT_ENTRIES

size_t natural_key_size(int type)
{
    switch (type) {
    case KSSortInt8:
    case KSSortUInt8:
        return 1;
    case KSSortInt16:
    case KSSortUInt16:
        return 2;
    case KSSortInt32:
    case KSSortUInt32:
    case KSSortFloat:
        return 4;
    case KSSortDouble:
        return 8;
    default:
        return 0;  // text and byte blocks use the element size
    }
}

constexpr LONG kStackIndexes = 1000;

struct SortArray {
    size_t size;
    unsigned char* start;
};

void outOfMemory()
{
    std::fputs("ksSortArrays: out of memory\n", stderr);
}

}  // namespace

void ksSortArrays(int type, int ascending, LONG count, int arrayCount, ...)
{
    // Comparisons always go through the index array, without field offset.
    const int entry = ascending ? 8 * type - 5 : 8 * type - 1;
    if (entry < 1 || entry > 80 || arrayCount < 1 || arrayCount > KSSortMaxArrays)
        return;

    SortArray arrays[KSSortMaxArrays];
    int used = 0;
    bool valid = true;
    va_list args;
    va_start(args, arrayCount);
    for (int k = 0; k < arrayCount; ++k) {
        const int size = va_arg(args, int);
        void* start = va_arg(args, void*);
        if (size < 1 || size > KSSortMaxElementSize)
            valid = false;
        if (k == 0 && !start)
            valid = false;
        if (start)
            arrays[used++] = {static_cast<size_t>(size), static_cast<unsigned char*>(start)};
    }
    va_end(args);
    // A key element narrower than its type would be read past its end.
    if (!valid || arrays[0].size < natural_key_size(type))
        return;
    if (count < 2)
        return;

    const KeyCompare compare = g_comparators[entry - 1];
    g_keyBase = arrays[0].start;
    g_keySize = arrays[0].size;
    g_keyOffset = 0;

    int32_t stackIndex[kStackIndexes];
    int32_t stackInverse[kStackIndexes];
    int32_t* index = stackIndex;
    int32_t* inverse = stackInverse;
    const size_t n = static_cast<size_t>(count);
    if (count > kStackIndexes) {
        index = static_cast<int32_t*>(std::malloc(n * sizeof(int32_t)));
        if (!index) {
            outOfMemory();
            return;
        }
    }
    for (size_t i = 0; i < n; ++i)
        index[i] = static_cast<int32_t>(i);
    std::qsort(index, n, sizeof(int32_t), compare);

    if (count > kStackIndexes) {
        inverse = static_cast<int32_t*>(std::malloc(n * sizeof(int32_t)));
        if (!inverse) {
            std::free(index);
            outOfMemory();
            return;
        }
    }
    for (size_t i = 0; i < n; ++i)
        inverse[index[i]] = static_cast<int32_t>(i);

    // Position i receives the element that was at index[i]. Each cycle saves
    // its first elements, pulls every later one into place and ends at the
    // position that the saved elements belong to (inverse of the start).
    unsigned char saved[KSSortMaxArrays][KSSortMaxElementSize];
    for (size_t s = 0; s < n; ++s) {
        if (index[s] < 0)
            continue;
        for (int a = 0; a < used; ++a)
            std::memcpy(saved[a], arrays[a].start + s * arrays[a].size, arrays[a].size);
        const size_t end = static_cast<size_t>(inverse[s]);
        size_t j = s;
        while (j != end) {
            const size_t from = static_cast<size_t>(index[j]);
            for (int a = 0; a < used; ++a)
                std::memcpy(arrays[a].start + j * arrays[a].size, arrays[a].start + from * arrays[a].size,
                            arrays[a].size);
            index[j] = -1;
            j = from;
        }
        for (int a = 0; a < used; ++a)
            std::memcpy(arrays[a].start + j * arrays[a].size, saved[a], arrays[a].size);
        index[j] = -1;
    }

    if (count > kStackIndexes) {
        std::free(index);
        std::free(inverse);
    }
}
