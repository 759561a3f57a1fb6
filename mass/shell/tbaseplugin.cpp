#include "tbaseplugin.h"

#include "ipluginhost.h"
#include "tbaseconverter.h"
#include "tcanvasitem.h"
#include "tpluginlog.h"

#include <QCursor>
#include <QEvent>
#include <QFile>

TBasePlugin::TBasePlugin() = default;

TBasePlugin::~TBasePlugin()
{
    qDeleteAll(m_converters);
}

void TBasePlugin::registerPlugin(IPluginHost* host)
{
    setHost(host);
    TPluginLog::setInstance(host ? host->log() : nullptr);
    if (TPluginLog::instance()) {
        const int category = TPluginLog::registerCategory(m_name);
        TPluginLog::log(category, QString("%1 %2 id:%3 has been registered").arg(m_name, m_version, m_id.toString()));
    }
    afterRegistration();
}

void TBasePlugin::activate()
{
    m_active = true;
}

void TBasePlugin::deactivate()
{
    m_active = false;
}

TCanvasItem* TBasePlugin::createItem(int)
{
    return nullptr;
}

TItemPropertiesBag* TBasePlugin::createPropertiesBag(int)
{
    return nullptr;
}

QWidget* TBasePlugin::createPropertiesWidget(int)
{
    return nullptr;
}

TItemPropertiesBag* TBasePlugin::createMultiPropertiesBag(int, quintptr, const TCanvasItemList&)
{
    return nullptr;
}

TCanvasItem* TBasePlugin::createTemplateItem(TItemProperties*, TCanvasItem*)
{
    return nullptr;
}

int TBasePlugin::importFile(const QString& path, int value, const QString& filter, bool direct,
                            QStringList& imported)
{
    if (m_converters.isEmpty())
        return 50;
    for (TBaseConverter* c : m_converters) {
        if (!filter.isEmpty() && !c->importFormats().contains(filter))
            continue;
        QString p = path;
        if (!c->canImport(p))
            continue;
        if (imported.contains(p))
            return direct ? 50 : 0;
        if (!((!direct && p != path) || (direct && p == path)))
            continue;
        const int r = c->runImport(p, value);
        if (r < 0)
            return r;
        if (r == 0) {
            imported.append(p);
            return 0;
        }
    }
    return 50;
}

QStringList TBasePlugin::importFilters()
{
    QStringList filters;
    for (TBaseConverter* c : m_converters)
        filters += c->importFormats();
    return filters;
}

QStringList TBasePlugin::exportFilters()
{
    QStringList filters;
    const TCanvasItemList items = host() ? host()->selectedItems(0) : TCanvasItemList();
    for (TBaseConverter* c : m_converters)
        if (c->acceptsItems(items))
            filters += c->exportFormats();
    return filters;
}

int TBasePlugin::exportItems(const QString& path, const QString& filter)
{
    const TCanvasItemList items = host() ? host()->selectedItems(0).withChildItems() : TCanvasItemList();
    for (TBaseConverter* c : m_converters) {
        bool listed = false;
        for (const QString& f : c->exportFormats())
            listed = listed || f.contains(filter, Qt::CaseInsensitive);
        if (listed && c->acceptsItems(items))
            return c->exportFile(items, path);
    }
    return 50;
}

void TBasePlugin::beginWait()
{
    if (host())
        host()->setCursor(QCursor(Qt::WaitCursor));
}

void TBasePlugin::endWait()
{
    if (host())
        host()->restoreCursor();
}

QString TBasePlugin::readTextFile()
{
    QFile file(m_uiDescriptionPath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(file.readAll());
}

QIcon TBasePlugin::iconFromResource(const QString& path)
{
    if (!path.startsWith("::/"))
        return QIcon();
    return QIcon(path.mid(1));
}

bool TBasePlugin::dispatchEvent(QEvent* event)
{
    if (!event)
        return false;
    switch (event->type()) {
    case QEvent::Wheel:
        return wheelEvent(event);
    case QEvent::MouseButtonPress:
        return mousePressEvent(event);
    case QEvent::MouseButtonRelease:
        return mouseReleaseEvent(event);
    case QEvent::MouseMove:
        return mouseMoveEvent(event);
    case QEvent::KeyPress:
        return keyPressEvent(event);
    case QEvent::KeyRelease:
        return keyReleaseEvent(event);
    case QEvent::DragEnter:
        return dragEnterEvent(event);
    case QEvent::DragMove:
        return dragMoveEvent(event);
    case QEvent::Drop:
        return dropEvent(event);
    default:
        return false;
    }
}
