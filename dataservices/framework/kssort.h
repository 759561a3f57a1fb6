// Sorting of parallel arrays by the values of the first one.
#pragma once

#include "kstypes.h"

// Key element types.
enum KSSortKeyType : int {
    KSSortInt8 = 1,
    KSSortUInt8 = 2,
    KSSortInt16 = 3,
    KSSortUInt16 = 4,
    KSSortInt32 = 5,
    KSSortUInt32 = 6,
    KSSortFloat = 7,
    KSSortDouble = 8,
    KSSortText = 9,   // zero-terminated 8-bit text inside each element
    KSSortBytes = 10  // byte block of the key element size
};

constexpr int KSSortMaxArrays = 49;
constexpr int KSSortMaxElementSize = 8;

// Sorts `count` elements of `arrayCount` parallel arrays by the first one.
// The variable arguments are arrayCount pairs (int element size in bytes,
// void* array start); the first pair is the key array, a null start is
// skipped. Equal keys end in no particular order; floating-point keys that
// do not compare (NaN) count as equal. Answers nothing: more than 1000
// elements without heap memory print "ksSortArrays: out of memory\n" on
// standard error and leave the arrays unchanged, as do an unknown key type,
// an array count outside 1..KSSortMaxArrays, an element size outside 1..8 on
// any pair (a skipped null one included), a null key array and a key
// element narrower than its type.
void ksSortArrays(int type, int ascending, LONG count, int arrayCount, ...);
