// The plug-in's dock and table factories, registered with the host.
#include "tionvale.h"

#include "ipluginhost.h"

#include "tmassdockwidgetfactory.h"
#include "tmasstablefactories.h"

void TIonvale::registerFactories()
{
    // The table factories in the order composition, molecule match, peaks.
    // The element table is loaded when a cluster first needs it; the
    // molecule peer is looked up after this step, so the match factory asks
    // for it whenever it makes a table.
    addTableFactory(new TMassElementCompositionTableFactory(
        this, [this]() -> const TKSElementTable* { return ensureElementTable() ? &m_elementTable : nullptr; }));
    addTableFactory(new TMassMolMatchTableFactory(this, [this] { return m_moleculePlugin; }));
    addTableFactory(new TMassPeaksTableFactory(this));
    // The dataset browser's factory goes to the host directly; it is no
    // table factory.
    if (host())
        host()->addFactory(new TMassDockWidgetFactory(this));
}
