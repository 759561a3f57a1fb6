#include "tbasetable.h"

#include "ipeers.h"
#include "ipluginhost.h"
#include "tcanvasitem.h"
#include "temptyplugin.h"
#include "wtablesettingsdialog.h"

#include <QAbstractItemView>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QSettings>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const char* const kDrawingToolsId = "{BB281D8B-A70C-4dca-844F-0BC5A7E8CA55}";
}

TBaseTable::TBaseTable(TEmptyPlugin* plugin, const QString& title, const QByteArray& group, QAction* reportAction,
                       QAction* copyAction)
    : WPluginDockWidget(plugin ? plugin->host() : nullptr)
    , m_host(plugin ? plugin->host() : nullptr)
    , m_plugin(plugin)
    , m_reportAction(reportAction)
    , m_copyAction(copyAction)
    , m_title(title)
    , m_group(group)
{
    if (m_host) {
        if (QObject* peer = m_host->findPlugin(QUuid(kDrawingToolsId), 0))
            m_drawingTools = static_cast<IDrawingTools*>(peer->qt_metacast(IDrawingTools_iid));
    }
}

void TBaseTable::setupTable()
{
    setWindowTitle(m_title);
    m_toolBar = new QToolBar(this);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    if (m_reportAction)
        m_toolBar->addAction(m_reportAction);
    if (m_copyAction)
        m_toolBar->addAction(m_copyAction);
    m_toolBarSeparator = m_toolBar->addSeparator();
    m_deleteAction = new QAction(QIcon(":/images/delete.png"), tr("Delete"), m_toolBar);
    m_deleteAction->setObjectName("action_Delete");
    m_deleteAction->setShortcut(QKeySequence(tr("Del")));
    m_deleteAction->setShortcutContext(Qt::WidgetShortcut);
    m_toolBar->addAction(m_deleteAction);
    m_setupAction = new QAction(QIcon(":/images/table-setup.png"), tr("Setup..."), m_toolBar);
    m_setupAction->setObjectName("action_ShowSettings");
    m_toolBar->addSeparator();
    m_toolBar->addAction(m_setupAction);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout->addWidget(m_toolBar, 0);
    if (QAbstractItemView* v = view())
        v->installEventFilter(new TCaptureWidgetEvents(this));
    connect(m_deleteAction, &QAction::triggered, this, &TBaseTable::onDelete);
    connect(m_setupAction, &QAction::triggered, this, &TBaseTable::onShowSettings);
    if (!loadSettings())
        resetSettings();
}

void TBaseTable::setItem(TCanvasItem* item)
{
    if (item && acceptsItem(item)) {
        m_itemId = item->ownId();
        m_itemPointer = item;
    }
}

TCanvasItem* TBaseTable::item()
{
    if (!m_host)
        return nullptr;
    const TCanvasItemList items = m_host->allItems();
    if (TCanvasItem* found = items.findItem(m_itemId))
        return found;
    return items.contains(m_itemPointer) ? m_itemPointer : nullptr;
}

void TBaseTable::refresh()
{
    for (QAction* a : {m_deleteAction, m_reportAction, m_copyAction, m_setupAction})
        if (a)
            a->setEnabled(false);
    const int columns = currentSettings().columns.size();
    const int defaults = defaultColumnCount();
    if (columns > 0 && defaults != 0 && columns != defaults)
        resetSettings();
}

void TBaseTable::setSettings(const TTableSettings& settings)
{
    if (settings.columns.isEmpty())
        return;
    const int i = currentSettingsIndex();
    if (i < 0 || i >= m_settingsSets.size())
        return;
    m_settingsSets[i] = settings;
}

TTableSettings TBaseTable::currentSettings()
{
    return m_settingsSets.value(currentSettingsIndex());
}

QStringList TBaseTable::defaultColumnNames()
{
    QStringList names;
    for (int id : defaultColumnIds())
        names.append(columnName(id));
    return names;
}

void TBaseTable::resetSettings()
{
    m_settingsSets.clear();
    m_settingsSets.resize(qMax(1, settingsSetCount()));
    resetColumns();
}

void TBaseTable::resetColumns()
{
    const int i = currentSettingsIndex();
    if (i < 0 || i >= m_settingsSets.size())
        return;
    m_settingsSets[i].setColumns(defaultColumnIds(), defaultColumnNames());
    if (!m_settingsSets.at(i).columns.isEmpty())
        formatDefaultColumns();
}

void TBaseTable::applySettingsToView()
{
    const TTableSettings s = currentSettings();
    if (QAbstractItemView* v = view())
        v->setFont(s.report.font);
    if (defaultColumnIds().isEmpty() || s.columns.isEmpty())
        return;
    setHeaderLabels(s.columnNames());
    for (int i = 0; i < s.columns.size(); ++i)
        setColumnHidden(i, s.columns.at(i).hidden);
}

QString TBaseTable::settingsPath()
{
    return QString("%1 Tables/%2").arg(QString::fromLatin1(m_group), QString::fromLatin1(settingsKey()));
}

void TBaseTable::saveSettings()
{
    QSettings().setValue(settingsPath(), writeTableSettings(m_settingsSets));
}

bool TBaseTable::loadSettings()
{
    const QByteArray value = QSettings().value(settingsPath(), QByteArray()).toByteArray();
    if (value.isEmpty())
        return false;
    QVector<TTableSettings> sets;
    readTableSettings(value, sets);
    // A damaged value that leaves no set where the table looks gives the
    // defaults instead.
    const int i = currentSettingsIndex();
    if (i < 0 || i >= sets.size())
        return false;
    m_settingsSets = sets;
    return true;
}

void TBaseTable::removeToolBarAction(QAction* action)
{
    if (m_toolBar)
        m_toolBar->removeAction(action);
}

void TBaseTable::onShowSettings()
{
    WTableSettingsDialog dialog(this, currentSettings());
    dialog.setWindowTitle(dialog.windowTitle().arg(m_title));
    if (dialog.exec() != QDialog::Accepted)
        return;
    dialog.apply();
    saveSettings();
}

void TBaseTable::onShowMenu()
{
    if (resultCount() == 0 || !m_toolBar)
        return;
    QMenu menu(this);
    menu.addActions(m_toolBar->actions());
    menu.exec(QCursor::pos());
}

// ---- key filter -----------------------------------------------------------

TCaptureWidgetEvents::TCaptureWidgetEvents(TBaseTable* table)
    : QObject(table)
    , m_table(table)
{
}

QList<int>& TCaptureWidgetEvents::keySequence()
{
    static QList<int> keys;
    return keys;
}

bool TCaptureWidgetEvents::eventFilter(QObject* object, QEvent* event)
{
    QList<int>& keys = keySequence();
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            m_table->onDelete();
            event->accept();
            keys.clear();
            break;
        }
        if (keys.size() == 1) {
            if (key == Qt::Key_C) {
                m_table->onCopyToClipboard();
                event->accept();
                keys.append(Qt::Key_C);
            } else {
                keys.clear();
            }
        }
        if (keys.isEmpty() && key == Qt::Key_Control)
            keys.append(Qt::Key_Control);
        break;
    }
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_C && keys.size() == 2) {
            event->accept();
            keys.clear();
            return true;
        }
        break;
    case QEvent::ContextMenu:
        m_table->onShowMenu();
        event->accept();
        break;
    default:
        break;
    }
    return QObject::eventFilter(object, event);
}
