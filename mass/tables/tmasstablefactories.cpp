#include "tmasstablefactories.h"

#include "ipluginhost.h"
#include "tcanvasitem.h"
#include "temptyplugin.h"
#include "tmasselementcompositiontable.h"
#include "tmassmolmatchtable.h"
#include "tmasspeakstable.h"

#include <QAction>

TMassTableFactory::TMassTableFactory(TEmptyPlugin* plugin, const QString& caption, const QString& dockName)
    : TBaseTableFactory(plugin, plugin ? plugin->host() : nullptr, caption, dockName)
    , m_plugin(plugin)
{
}

void TMassTableFactory::describe(const char* title, const char* reportTip, const char* copyTip)
{
    const QByteArray name = dockName().toLatin1();
    registerDock(name.constData(), title, 17, 3, "Mass", 1, QString());
    reportAction()->setToolTip(TBaseTableFactory::tr(reportTip));
    copyAction()->setToolTip(TBaseTableFactory::tr(copyTip));
}

QString TMassTableFactory::reportNameOf(const char* prefix, TCanvasItem* item)
{
    return item ? QString::fromLatin1(prefix) + item->subtype() : QString();
}

TCanvasItem* TMassTableFactory::activeItem()
{
    if (!host())
        return nullptr;
    if (TCanvasItem* mass = host()->selectedItems(0).activeOfType(MassSpectrumItemType))
        return mass;
    return host()->selectedItems(0).activeOfType(MoleculeItemType);
}

// ---- elemental composition ------------------------------------------------

TMassElementCompositionTableFactory::TMassElementCompositionTableFactory(
    TEmptyPlugin* plugin, std::function<const TKSElementTable*()> elementTable)
    : TMassTableFactory(plugin, tr("Elemental Composition Table"), "MassElementCompositionTable")
    , m_elementTable(std::move(elementTable))
{
    describe("Elemental Composition", QT_TRANSLATE_NOOP("TBaseTableFactory", "Report Mass Elemental Composition"),
             QT_TRANSLATE_NOOP("TBaseTableFactory", "Copy Mass Elemental Composition"));
}

WPluginDockWidget* TMassElementCompositionTableFactory::createDockWidget(const QString& name)
{
    if (name != dockName())
        return nullptr;
    QAction* constraints = host() ? host()->actionByName("massElCompConstraints") : nullptr;
    auto* table = new TMassElementCompositionTable(plugin(), m_elementTable, reportAction(), copyAction(), constraints);
    table->setupView();
    return table;
}

QString TMassElementCompositionTableFactory::reportName(TCanvasItem* item)
{
    return reportNameOf("Elem.Comp.,", item);
}

// ---- molecule match ---------------------------------------------------------

TMassMolMatchTableFactory::TMassMolMatchTableFactory(TEmptyPlugin* plugin,
                                                     std::function<IMoleculePlugin*()> moleculePlugin)
    : TMassTableFactory(plugin, tr("Molecule Match Table"), "MassMolMatchTable")
    , m_moleculePlugin(std::move(moleculePlugin))
{
    describe("Molecule Match", QT_TRANSLATE_NOOP("TBaseTableFactory", "Report Mass Molecule Match"),
             QT_TRANSLATE_NOOP("TBaseTableFactory", "Copy Mass Molecule Match"));
}

WPluginDockWidget* TMassMolMatchTableFactory::createDockWidget(const QString& name)
{
    if (name != dockName())
        return nullptr;
    IPluginHost* h = host();
    auto* table = new TMassMolMatchTable(plugin(), m_moleculePlugin ? m_moleculePlugin() : nullptr, reportAction(),
                                         copyAction(), h ? h->actionByName("massMoleculeMatch") : nullptr,
                                         h ? h->actionByName("massMoleculeMatchMode") : nullptr,
                                         h ? h->actionByName("massMolMatchOpts") : nullptr);
    table->setupView();
    return table;
}

QString TMassMolMatchTableFactory::reportName(TCanvasItem* item)
{
    return reportNameOf("Mol.Match,", item);
}

// ---- peaks ------------------------------------------------------------------

TMassPeaksTableFactory::TMassPeaksTableFactory(TEmptyPlugin* plugin)
    : TMassTableFactory(plugin, tr("Mass Peaks Table"), "MassPeaksTable")
{
    describe("Mass Peaks", QT_TRANSLATE_NOOP("TBaseTableFactory", "Report Chromatogram Peaks"),
             QT_TRANSLATE_NOOP("TBaseTableFactory", "Copy Chromatogram Peaks"));
}

WPluginDockWidget* TMassPeaksTableFactory::createDockWidget(const QString& name)
{
    if (name != dockName())
        return nullptr;
    auto* table = new TMassPeaksTable(plugin(), reportAction(), copyAction());
    table->setupView();
    return table;
}

QString TMassPeaksTableFactory::reportName(TCanvasItem* item)
{
    return reportNameOf("Mass.Peaks,", item);
}
