#include "tmassdockwidgetfactory.h"

#include "tionvale.h"
#include "wmsbrowserwidget.h"

TMassDockWidgetFactory::TMassDockWidgetFactory(TIonvale* plugin)
    : TPluginDockWidgetFactory(plugin, plugin ? plugin->host() : nullptr, tr("MS Browser"))
    , m_plugin(plugin)
{
    registerDock(dockName(), "MS Browser", 17, 3, "Mass", 2, QString());
}

WPluginDockWidget* TMassDockWidgetFactory::createDockWidget(const QString& name)
{
    if (name != QLatin1String(dockName()) || !m_plugin)
        return nullptr;
    return new WMSBrowserWidget(&m_plugin->dataServer(), m_plugin->host());
}
