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
std::string firstReason;
}

void rejectMolecule(const std::string& reason)
{
    cryst.ErrorFlag = 1;
    if (rejected)
        return;  // the first reason is the one reported
    rejected = true;
    firstReason = reason;
    writef(6, "(/,/,3X,A)", {"MOLECULE REJECTED: " + reason});
    writef(12, "(/,/,3X,A)", {"MOLECULE REJECTED: " + reason});
}

bool moleculeRejected()
{
    return rejected;
}

const std::string& rejectionReason()
{
    return firstReason;
}

void clearMoleculeRejected()
{
    rejected = false;
    firstReason.clear();
}

}  // namespace velmar
