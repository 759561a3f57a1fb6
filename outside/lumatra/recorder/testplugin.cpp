#include "testplugin.h"

#include "ipluginhost.h"

#include <QCursor>

namespace lumatra {

TestPlugin::TestPlugin()
    : m_name(QStringLiteral("Test")),
      m_id(QUuid(LUMATRA_TEST_PLUGIN_ID)),
      m_version(QStringLiteral("1.0")),
      m_date(2009, 10, 9)
{
    setObjectName(QStringLiteral("test"));
}

void TestPlugin::registerPlugin(IPluginHost* host)
{
    setHost(host);
}

TCanvasItem* TestPlugin::createItem(int)
{
    return nullptr;
}

TItemPropertiesBag* TestPlugin::createPropertiesBag(int)
{
    return nullptr;
}

QWidget* TestPlugin::createPropertiesWidget(int)
{
    return nullptr;
}

TItemPropertiesBag* TestPlugin::createMultiPropertiesBag(int, quintptr, const TCanvasItemList&)
{
    return nullptr;
}

TCanvasItem* TestPlugin::createTemplateItem(TItemProperties*, TCanvasItem*)
{
    return nullptr;
}

void TestPlugin::beginWait()
{
    if (host())
        host()->setCursor(QCursor(Qt::WaitCursor));
}

void TestPlugin::endWait()
{
    if (host())
        host()->restoreCursor();
}

}  // namespace lumatra
