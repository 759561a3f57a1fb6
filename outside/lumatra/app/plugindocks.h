// The calls the window makes on the plug-ins' dock factories and dock
// widgets. Their classes live in the plug-in's libraries, which the host
// does not link: it reaches them through their headers and virtual
// operations only, so this one file is compiled without the sanitizers'
// vptr check (it would need those classes' type information in the host).
#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class TCanvasItem;
class TPluginDockWidgetFactory;
class WPluginDockWidget;

namespace lumatra {

// The dock names a factory describes, and the title of one.
QStringList factoryDockNames(TPluginDockWidgetFactory* factory);
QString factoryDockTitle(TPluginDockWidgetFactory* factory, const QString& name);
// A new dock widget of that name (the caller owns it), or null.
QWidget* createFactoryDock(TPluginDockWidgetFactory* factory, const QString& name);
// The dock widget a widget made by createFactoryDock is.
WPluginDockWidget* asPluginDock(QWidget* widget);
// Points the dock widget at the item (null: none) and refreshes it.
void showItemInDock(QWidget* widget, TCanvasItem* item, bool refresh = true);

}  // namespace lumatra
