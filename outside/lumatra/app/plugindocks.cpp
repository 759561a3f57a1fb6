#include "plugindocks.h"

#include "tpluginfactories.h"
#include "wplugindockwidget.h"

namespace lumatra {

QStringList factoryDockNames(TPluginDockWidgetFactory* factory)
{
    return factory ? factory->docks().keys() : QStringList();
}

QString factoryDockTitle(TPluginDockWidgetFactory* factory, const QString& name)
{
    return factory ? factory->docks().value(name).title : QString();
}

QWidget* createFactoryDock(TPluginDockWidgetFactory* factory, const QString& name)
{
    return factory ? factory->createDockWidget(name) : nullptr;
}

WPluginDockWidget* asPluginDock(QWidget* widget)
{
    return static_cast<WPluginDockWidget*>(widget);
}

void showItemInDock(QWidget* widget, TCanvasItem* item, bool refresh)
{
    WPluginDockWidget* dock = asPluginDock(widget);
    if (!dock)
        return;
    dock->setItem(item);
    if (refresh)
        dock->refresh();
}

}  // namespace lumatra
