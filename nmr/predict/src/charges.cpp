// Atomic charges: preparation of the hydrogen counts and small-ring marks,
// then the pi charges added to the charges of every non-dummy atom.
#include "common.h"
#include "huckel.h"
#include "routines.h"

namespace velmar {

// nhyd and nsring of every atom.
void prepareCharges()
{
    const int n = geom.natoms;
    for (int i = 1; i <= n; ++i) {
        int t = geom.itype(i);
        geom.nhyd(i) = 0;
        if ((t == 1 || t == 9) && geom.ibet(i, 1) > 0) {
            int same = 0;
            for (int k = 2; k <= geom.ibet(i, 1) + 1; ++k)
                same += geom.itype(geom.ibet(i, k)) == t;
            geom.nhyd(i) = 1 + same;
        } else if ((t == 6 || t == 7 || t == 8 || t == 16 || (t >= 55 && t <= 58)) && geom.ialf(i, 1) > 0) {
            for (int k = 2; k <= geom.ialf(i, 1) + 1; ++k)
                geom.nhyd(i) += geom.itype(geom.ialf(i, k)) == 1;
        }
    }
    for (int i = 1; i <= n; ++i) {
        geom.nsring(i) = 0;
        for (int ka = 2; ka <= geom.ialf(i, 1) + 1; ++ka) {
            int a = geom.ialf(i, ka);
            for (int kb = 2; kb <= geom.ialf(a, 1) + 1; ++kb) {
                int b = geom.ialf(a, kb);
                if (b == i)
                    continue;
                for (int kc = 2; kc <= geom.ialf(b, 1) + 1; ++kc)
                    if (geom.ialf(b, kc) == i)
                        geom.nsring(i) = 3;
            }
        }
    }
}

void edens()
{
    prepareCharges();
    huckel();
    for (int i = 1; i <= geom.natoms; ++i)
        if (geom.itype(i) != 2)
            geom.charge(i) += huch.piexs(i);
}

}  // namespace velmar
