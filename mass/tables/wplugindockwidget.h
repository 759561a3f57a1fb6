// WPluginDockWidget: the base of every widget the plug-in hands the host
// for a dock (result tables, the dataset browser). The host points it at a
// page item and asks it to refresh; it connects the visibility slot itself.
#pragma once

#include <QWidget>

class IPluginHost;
class TCanvasItem;

class WPluginDockWidget : public QWidget {
    Q_OBJECT

public:
    // The parent is the host's dialog parent widget (none without a host).
    explicit WPluginDockWidget(IPluginHost* host);

    virtual void setItem(TCanvasItem* item) = 0;
    virtual void refresh() = 0;
    // Whether the widget can show the item; every item, null included.
    virtual bool acceptsItem(TCanvasItem* item);

    IPluginHost* host() const { return m_host; }

public slots:
    // For the host to connect; nothing here.
    virtual void onVisibilityChanged(bool visible);

private:
    IPluginHost* m_host;
};
