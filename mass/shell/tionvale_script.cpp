// The plug-in's script side: object factories, what the plug-in script
// object asks of the plug-in, and the named object "mass" it hands to the
// host while active.
#include "tionvale.h"

#include "ipluginhost.h"
#include "tionvaleobjectfactory.h"
#include "tionvalewrapper.h"

namespace {

// The plug-in as its script object sees it (the script library sits below
// the shell and knows the plug-in only as TEmptyPlugin).
class TIonvaleServices : public TIonvaleScriptServices {
public:
    explicit TIonvaleServices(TIonvale* plugin) : TIonvaleScriptServices(plugin), m_plugin(plugin) {}

    TCanvasItem* activeMassItem() override { return m_plugin->activeMassItem(); }
    bool ensureElementTable() override { return m_plugin->ensureElementTable(); }
    const TKSElementTable* elementTable() override { return &m_plugin->elementTable(); }
    TMassDataServerHandler* dataServer() override { return &m_plugin->dataServer(); }
    IMoleculePlugin* moleculePlugin() override { return m_plugin->moleculePlugin(); }

private:
    TIonvale* m_plugin;
};

}  // namespace

void TIonvale::registerScriptFactories()
{
    addIonvaleScriptFactories(host(), this);
    if (!scriptServicesOf(this))
        new TIonvaleServices(this);
}

void TIonvale::activate()
{
    TBasePlugin::activate();
    // The host takes the wrapper; deactivation withdraws it.
    if (host())
        host()->setScriptObject(objectName(), new TIonvaleWrapper(this), true);
}
