#include "common.h"

#include "units.h"

namespace velmar {

Cryst cryst;
int32_t cbforder = 0;
Micro micro;
Huch huch;
Geom geom;

namespace {
bool rejected = false;
}

void rejectMolecule(const std::string& reason)
{
    cryst.ErrorFlag = 1;
    if (rejected)
        return;  // the first reason is the one reported
    rejected = true;
    writef(6, "(/,/,3X,A)", {"MOLECULE REJECTED: " + reason});
    writef(12, "(/,/,3X,A)", {"MOLECULE REJECTED: " + reason});
}

bool moleculeRejected()
{
    return rejected;
}

void clearMoleculeRejected()
{
    rejected = false;
}

}  // namespace velmar
