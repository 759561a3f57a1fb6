#include "tpluginfactories.h"

#include "ipluginhost.h"
#include "tcanvasitem.h"
#include "wplugindockwidget.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>

TPluginDockWidgetFactory::TPluginDockWidgetFactory(QObject* parent, IPluginHost* host, const QString& caption)
    : QObject(parent)
    , m_host(host)
    , m_caption(caption)
{
}

void TPluginDockWidgetFactory::registerDock(const char* name, const char* title, int firstFlags, int secondFlags,
                                            const QString& group, int kind, const QString& extra)
{
    TDockDescription d;
    d.title = QString::fromLatin1(title);
    d.firstFlags = firstFlags;
    d.secondFlags = secondFlags;
    d.extra = extra;
    d.group = group;
    d.kind = kind;
    m_docks.insert(QString::fromLatin1(name), d);
}

TBaseTableFactory::TBaseTableFactory(QObject* parent, IPluginHost* host, const QString& caption,
                                     const QString& dockName)
    : TPluginDockWidgetFactory(parent, host, caption)
    , m_dockName(dockName)
{
    m_reportAction = new QAction(QIcon(":/images/table.png"), tr("Report"), this);
    m_reportAction->setObjectName(dockName + "::action_Report");
    if (host)
        host->registerAction(m_reportAction, caption);
    connect(m_reportAction, &QAction::triggered, this, &TBaseTableFactory::onReport);

    m_copyAction = new QAction(QIcon(":/images/report-copy.png"), tr("Copy"), this);
    m_copyAction->setObjectName(dockName + "::action_CopyToClipboard");
    m_copyAction->setShortcut(QKeySequence(tr("Ctrl+C")));
    m_copyAction->setShortcutContext(Qt::WidgetShortcut);
    if (host)
        host->registerAction(m_copyAction, caption);
    connect(m_copyAction, &QAction::triggered, this, &TBaseTableFactory::onCopyToClipboard);
}

TCanvasItem* TBaseTableFactory::activeItem()
{
    return host() ? host()->selectedItems(0).activeItem() : nullptr;
}

void TBaseTableFactory::updateActions()
{
    if (host() && host()->dockByName(m_dockName))
        return;
    const bool enabled = activeItem() != nullptr;
    m_reportAction->setEnabled(enabled);
    m_copyAction->setEnabled(enabled);
}

WPluginDockWidget* TBaseTableFactory::temporaryTable()
{
    WPluginDockWidget* d = createDockWidget(m_dockName);
    if (!d)
        return nullptr;
    d->setVisible(false);
    if (TCanvasItem* item = activeItem()) {
        d->setItem(item);
        d->refresh();
    }
    return d;
}

TBaseTableFactory* TBaseTableFactory::factoryForReportName(const QList<TBaseTableFactory*>& factories,
                                                           const QString& name, TCanvasItem* item)
{
    for (TBaseTableFactory* f : factories)
        if (f && f->reportName(item) == name)
            return f;
    return nullptr;
}

WPluginDockWidget* TBaseTableFactory::tableFor(const QList<TBaseTableFactory*>& factories, const QString& name,
                                               TCanvasItem* item, bool& temporary)
{
    temporary = false;
    TBaseTableFactory* f = factoryForReportName(factories, name, item);
    if (!f)
        return nullptr;
    if (f->host())
        if (WPluginDockWidget* dock = f->host()->dockByName(f->dockName()))
            return dock;
    temporary = true;
    return f->temporaryTable();
}

void TBaseTableFactory::runOnTable(const char* slot)
{
    WPluginDockWidget* d = host() ? host()->dockByName(m_dockName) : nullptr;
    const bool temporary = d == nullptr;
    if (temporary)
        d = temporaryTable();
    if (!d)
        return;
    QMetaObject::invokeMethod(d, slot, Qt::DirectConnection);
    if (temporary)
        delete d;
}

void TBaseTableFactory::onReport()
{
    runOnTable("onReport");
}

void TBaseTableFactory::onCopyToClipboard()
{
    runOnTable("onCopyToClipboard");
}
