// Per-molecule steps that are not built yet: they leave the molecule as
// the reader left it.
#include "routines.h"

namespace velmar {

void getmat() {}
void getmnd() {}
void getcsr() {}
void getinp() {}
void getsdf() {}
void identy() {}
void coord() {}
void betgam() {}
void testin() {}
bool chtest(int32_t) { return false; }
void hybrid() {}
void arings() {}
void rincur() {}
void edens() {}
void dipole() {}
void calcsh() {}
void calcj() {}
void outmat() {}
void outmnd() {}
void outcsr() {}

}  // namespace velmar
