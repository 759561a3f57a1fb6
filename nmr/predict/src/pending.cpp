// Per-molecule steps that are not built yet: they leave the molecule as
// the earlier steps left it.
#include "routines.h"

namespace velmar {

void calcj() {}

}  // namespace velmar
