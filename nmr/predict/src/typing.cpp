// Atom typing: provisional types from the element numbers, copied into the
// atom types.
#include "common.h"
#include "routines.h"
#include "units.h"

namespace velmar {

void hybrid()
{
    for (int i = 1; i <= geom.natoms; ++i) {
        geom.itype(i) = geom.iatno(i);
        if (geom.itype(i) == 14 || geom.itype(i) == 15)
            writef(12, "(5X,22HUNPARAMETRISED ATOM NO,I3,5X,5HAT NO,I3)", {i, geom.itype(i)});
    }
    if (huch.nchat > 0)
        writef(12, "(5X,30HUNPARAMETRISED CHARGED SPECIES)");
}

}  // namespace velmar
