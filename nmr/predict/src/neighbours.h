// Small read-only accessors of the atom types and neighbour lists in the
// shared records, for the routines that walk bonds. Atom numbers start at 1.
#pragma once

#include "common.h"

namespace velmar {
namespace nbr {

// Type of atom x; 0 for a missing atom (x < 1).
inline int T(int x)
{
    return x >= 1 ? geom.itype(x) : 0;
}
// Number of bonded neighbours of x.
inline int nbn(int x)
{
    return geom.ialf(x, 1);
}
// The k-th bonded neighbour of x, k from 1.
inline int nb(int x, int k)
{
    return geom.ialf(x, k + 1);
}
// y is bonded to x.
inline bool bonded(int x, int y)
{
    for (int k = 1; k <= nbn(x); ++k)
        if (nb(x, k) == y)
            return true;
    return false;
}
// x is two bonds away from i.
inline bool inBeta(int i, int x)
{
    for (int k = 2; k <= geom.ibet(i, 1) + 1; ++k)
        if (geom.ibet(i, k) == x)
            return true;
    return false;
}
// x is three bonds away from i.
inline bool inGamma(int i, int x)
{
    for (int k = 2; k <= geom.igam(i, 1) + 1; ++k)
        if (geom.igam(i, k) == x)
            return true;
    return false;
}

}  // namespace nbr
}  // namespace velmar
