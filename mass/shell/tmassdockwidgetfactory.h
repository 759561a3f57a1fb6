// TMassDockWidgetFactory: the factory of the plug-in's one dock that is not
// a result table, the dataset browser ("MSBrowserWidget").
#pragma once

#include "tpluginfactories.h"

class TIonvale;

class TMassDockWidgetFactory : public TPluginDockWidgetFactory {
    Q_OBJECT

public:
    // The plug-in object is the parent; its dataset server handler and host
    // go to every browser made.
    explicit TMassDockWidgetFactory(TIonvale* plugin);

    static const char* dockName() { return "MSBrowserWidget"; }
    // A new browser for "MSBrowserWidget" (the caller owns it), else null.
    WPluginDockWidget* createDockWidget(const QString& name) override;

private:
    TIonvale* m_plugin;
};
