#include "wplugindockwidget.h"

#include "ipluginhost.h"

WPluginDockWidget::WPluginDockWidget(IPluginHost* host)
    : QWidget(host ? host->dialogParent() : nullptr, Qt::WindowFlags())
    , m_host(host)
{
}

bool WPluginDockWidget::acceptsItem(TCanvasItem*)
{
    return true;
}

void WPluginDockWidget::onVisibilityChanged(bool)
{
}
