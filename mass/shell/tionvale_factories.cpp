// The plug-in's dock and table factories, registered with the host.
#include "tionvale.h"

void TIonvale::registerFactories()
{
}
