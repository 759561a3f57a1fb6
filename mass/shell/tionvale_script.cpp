// The plug-in's script side: object factories and the named object it
// hands to the host while active.
#include "tionvale.h"

#include "tionvaleobjectfactory.h"

void TIonvale::registerScriptFactories()
{
    addIonvaleScriptFactories(host(), this);
}

void TIonvale::activate()
{
    TBasePlugin::activate();
}
