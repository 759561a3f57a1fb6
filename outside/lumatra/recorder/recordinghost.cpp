#include "recordinghost.h"

#include <QSet>

#include "iplugins.h"
#include "tpluginlog.h"

#include <QAction>

#include <cmath>

namespace lumatra {

namespace {

QString uuidText(const QUuid& id)
{
    return id.toString();
}

QString boolText(bool yes)
{
    return yes ? QStringLiteral("true") : QStringLiteral("false");
}

QString quoted(const QString& text)
{
    return '"' + text + '"';
}

}  // namespace

QString describeItem(const TCanvasItem* item)
{
    return item ? QString::number(item->rtti()) : QStringLiteral("null");
}

QString describeItems(const TCanvasItemList& items)
{
    QStringList parts;
    for (const TCanvasItem* i : items)
        parts << describeItem(i);
    return '[' + parts.join(QStringLiteral(", ")) + ']';
}

RecordingHost::RecordingHost(int pageWidth, int pageHeight, int chunkSize)
    : m_page(std::make_unique<RecordingCanvas>(*this, pageWidth, pageHeight, chunkSize)),
      m_molecule(new MoleculePeer(*this)),
      m_drawing(new DrawingPeer(*this))
{
    addPlugin(m_molecule);
    addPlugin(m_drawing);
}

RecordingHost::~RecordingHost()
{
    // Commands first (removed items they hold are deleted, items they
    // refer to are still on the page), newest first; then the records the
    // history holds (each once); then the items (they may refer to the
    // peers and plug-ins) and what the host was handed.
    while (!m_commands.isEmpty())
        delete m_commands.takeLast();
    const QList<THistoryRecord*> records = m_history.records;
    m_history.records.clear();
    m_history.byItem.clear();
    for (THistoryRecord* r : QSet<THistoryRecord*>(records.begin(), records.end()))
        delete r;
    m_page.reset();
    delete m_molecule;
    delete m_drawing;
    qDeleteAll(m_scriptObjects);
    qDeleteAll(m_hostActions);
}

// ---- IPluginHost -----------------------------------------------------------

void RecordingHost::repaintItem(TCanvasItem* item, int flags)
{
    record(QStringLiteral("repaintItem(%1, %2)").arg(describeItem(item)).arg(flags));
    // Repaints the item's chunks; its pixmap cache stays (the item did not
    // change, something is painted over it).
    if (item)
        item->changeChunks();
}

QPoint RecordingHost::mapPoint(const QPoint& point, int from, int to)
{
    // Through the widget space: 0 widget, 2 contents, 3 page.
    QPointF p(point);
    if (from == 2)
        p += m_origin;
    else if (from == 3)
        p = p * m_scale + m_origin;
    if (to == 2)
        p -= m_origin;
    else if (to == 3)
        p = (p - m_origin) / m_scale;
    const QPoint mapped = p.toPoint();
    record(QStringLiteral("mapPoint((%1, %2), %3, %4) -> (%5, %6)")
               .arg(point.x())
               .arg(point.y())
               .arg(from)
               .arg(to)
               .arg(mapped.x())
               .arg(mapped.y()));
    return mapped;
}

QRectF RecordingHost::viewRect()
{
    record(QStringLiteral("viewRect()"));
    return QRectF(-m_origin / m_scale, QSizeF(m_viewSize) / m_scale);
}

THostView RecordingHost::currentView()
{
    record(QStringLiteral("currentView()"));
    THostView view;
    view.owner = quintptr(m_page.get());
    view.worldMatrix = QTransform(m_scale, 0, 0, m_scale, m_origin.x(), m_origin.y());
    return view;
}

QWidget* RecordingHost::dialogParent()
{
    record(QStringLiteral("dialogParent()"));
    return m_dialogParent.data();
}

QObject* RecordingHost::findPlugin(const QUuid& id, int flags)
{
    QObject* plugin = m_plugins.value(id).data();
    record(QStringLiteral("findPlugin(%1, %2) -> %3")
               .arg(uuidText(id))
               .arg(flags)
               .arg(plugin ? plugin->objectName() : QStringLiteral("null")));
    return plugin;
}

TPluginLog* RecordingHost::log()
{
    record(QStringLiteral("log()"));
    return processLog();
}

void RecordingHost::executeCommand(TCommand* command)
{
    record(QStringLiteral("executeCommand(%1)").arg(command ? QStringLiteral("command") : QStringLiteral("null")));
    if (!command)
        return;
    while (m_commands.size() > m_done)
        delete m_commands.takeLast();
    m_commands.append(command);
    command->redo();
    command->recordHistory(&m_history);
    m_done = m_commands.size();
}

bool RecordingHost::undo()
{
    if (m_done == 0)
        return false;
    TCommand* command = m_commands.at(--m_done);
    record(QStringLiteral("undo(%1)").arg(QString::fromLatin1(command->name)));
    command->undo();
    command->removeHistory(&m_history);
    return true;
}

bool RecordingHost::redo()
{
    if (m_done == m_commands.size())
        return false;
    TCommand* command = m_commands.at(m_done++);
    record(QStringLiteral("redo(%1)").arg(QString::fromLatin1(command->name)));
    command->redo();
    command->restoreHistory(&m_history);
    return true;
}

TCanvasItemList RecordingHost::selectedItems(int flags)
{
    record(QStringLiteral("selectedItems(%1) -> %2").arg(flags).arg(describeItems(m_selection)));
    return m_selection;
}

TCanvasItemList RecordingHost::allItems()
{
    TCanvasItemList items;
    for (QtCanvasItem* i : m_page->allItems())
        items.append(static_cast<TCanvasItem*>(i));
    record(QStringLiteral("allItems() -> %1").arg(describeItems(items)));
    return items;
}

QtCanvas* RecordingHost::canvas()
{
    record(QStringLiteral("canvas()"));
    return m_page.get();
}

void RecordingHost::addScriptFactories(TScriptObjectFactory* first, TScriptObjectFactory* second,
                                       TScriptObjectFactory* third)
{
    record(QStringLiteral("addScriptFactories(3)"));
    m_scriptFactories << first << second << third;
}

void RecordingHost::setScriptObject(const QString& name, QObject* object, bool add)
{
    record(QStringLiteral("setScriptObject(%1, %2, %3)")
               .arg(quoted(name), object ? QStringLiteral("object") : QStringLiteral("null"), boolText(add)));
    // The host owns the named objects: a replaced or withdrawn one goes.
    QObject* old = m_scriptObjects.take(name);
    if (old != object)
        delete old;
    if (add && object)
        m_scriptObjects.insert(name, object);
}

void RecordingHost::setCursor(const QCursor& cursor)
{
    record(QStringLiteral("setCursor(%1)").arg(int(cursor.shape())));
    m_cursors.append(cursor);
}

void RecordingHost::restoreCursor()
{
    record(QStringLiteral("restoreCursor()"));
    if (!m_cursors.isEmpty())
        m_cursors.removeLast();
}

void RecordingHost::setMouseMode(const QUuid& mode, const QUuid& owner, int flags)
{
    record(QStringLiteral("setMouseMode(%1, %2, %3)").arg(uuidText(mode), uuidText(owner)).arg(flags));
    m_mouseMode = mode;
}

QUuid RecordingHost::currentMouseMode()
{
    record(QStringLiteral("currentMouseMode() -> %1").arg(uuidText(m_mouseMode)));
    return m_mouseMode;
}

void RecordingHost::showDock(const QString& name, bool show)
{
    record(QStringLiteral("showDock(%1, %2)").arg(quoted(name), boolText(show)));
    m_dockVisible.insert(name, show);
}

bool RecordingHost::isDockVisible(const QString& name)
{
    const bool visible = m_dockVisible.value(name, false);
    record(QStringLiteral("isDockVisible(%1) -> %2").arg(quoted(name), boolText(visible)));
    return visible;
}

WPluginDockWidget* RecordingHost::dockByName(const QString& name)
{
    WPluginDockWidget* dock = m_docks.value(name, nullptr);
    record(QStringLiteral("dockByName(%1) -> %2").arg(quoted(name), dock ? QStringLiteral("dock") : QStringLiteral("null")));
    return dock;
}

void RecordingHost::refreshDock(const QString& name)
{
    record(QStringLiteral("refreshDock(%1)").arg(quoted(name)));
}

void RecordingHost::addFactory(TPluginDockWidgetFactory* factory)
{
    record(QStringLiteral("addFactory(%1)").arg(factory ? QStringLiteral("factory") : QStringLiteral("null")));
    if (factory)
        m_factories.append(factory);
}

void RecordingHost::registerAction(QAction* action, const QString& caption)
{
    record(QStringLiteral("registerAction(%1, %2)")
               .arg(quoted(action ? action->objectName() : QString()), quoted(caption)));
    if (action)
        m_actions.insert(action->objectName(), action);
}

QAction* RecordingHost::actionByName(const QString& name)
{
    QAction* action = m_hostActions.value(name, nullptr);
    if (!action)
        action = m_actions.value(name).data();
    record(QStringLiteral("actionByName(%1) -> %2").arg(quoted(name), action ? QStringLiteral("action") : QStringLiteral("null")));
    return action;
}

void RecordingHost::takeItems(const TCanvasItemList& items, int kind, int flags)
{
    record(QStringLiteral("takeItems(%1, %2, %3)").arg(describeItems(items)).arg(kind).arg(flags));
    for (TCanvasItem* i : items)
        if (i && i->canvas() != m_page.get())
            i->setCanvas(m_page.get());
}

void RecordingHost::setSelectedItems(const TCanvasItemList& items)
{
    record(QStringLiteral("setSelectedItems(%1)").arg(describeItems(items)));
    for (TCanvasItem* i : m_selection)
        if (i && !items.contains(i))
            i->setSelected(false);
    m_selection.clear();
    for (TCanvasItem* i : items)
        if (i && !m_selection.contains(i)) {
            m_selection.append(i);
            i->setSelected(true);
        }
}

void RecordingHost::itemsChanged()
{
    record(QStringLiteral("itemsChanged()"));
    ++m_itemsChanged;
}

TItemPropertiesBag* RecordingHost::createPropertiesBag(int type, const QUuid& pluginId)
{
    auto* maker = pluginInterface<IPluginCanvasItem>(m_plugins.value(pluginId).data(), IPluginCanvasItem_iid);
    TItemPropertiesBag* bag = maker ? maker->createPropertiesBag(type) : nullptr;
    record(QStringLiteral("createPropertiesBag(%1, %2) -> %3")
               .arg(type)
               .arg(uuidText(pluginId), bag ? QStringLiteral("bag") : QStringLiteral("null")));
    return bag;
}

// ---- Test side -------------------------------------------------------------

QStringList RecordingHost::calls(const QString& operation) const
{
    QStringList lines;
    const QString prefix = operation + '(';
    for (const QString& line : m_journal)
        if (line.startsWith(prefix))
            lines << line;
    return lines;
}

void RecordingHost::addItem(TCanvasItem* item)
{
    if (item)
        item->setCanvas(m_page.get());
}

void RecordingHost::forgetItem(const QtCanvasItem* item)
{
    // Compared by address: the item may be half destroyed.
    const void* gone = item;
    for (int i = m_selection.size() - 1; i >= 0; --i)
        if (static_cast<const void*>(m_selection.at(i)) == gone)
            m_selection.removeAt(i);
}

void RecordingHost::addPlugin(QObject* plugin)
{
    const auto* info = pluginInterface<IPluginInfo>(plugin, IPluginInfo_iid);
    if (info)
        m_plugins.insert(info->id(), plugin);
}

void RecordingHost::loadPlugin(QObject* plugin)
{
    addPlugin(plugin);
    if (auto* info = pluginInterface<IPluginInfo>(plugin, IPluginInfo_iid))
        info->registerPlugin(this);
}

void RecordingHost::removePlugin(QObject* plugin)
{
    for (auto it = m_plugins.begin(); it != m_plugins.end();)
        it = it.value() == plugin ? m_plugins.erase(it) : std::next(it);
}

void RecordingHost::removeMoleculePeer()
{
    removePlugin(m_molecule);
    delete m_molecule;
    m_molecule = nullptr;
}

void RecordingHost::removeDrawingPeer()
{
    removePlugin(m_drawing);
    delete m_drawing;
    m_drawing = nullptr;
}

void RecordingHost::setView(double scale, const QPointF& origin, const QSize& viewSize)
{
    if (std::isfinite(scale) && scale > 0)
        m_scale = scale;
    m_origin = origin;
    m_viewSize = viewSize;
}

QAction* RecordingHost::addHostAction(const QString& name)
{
    QAction*& action = m_hostActions[name];
    if (!action) {
        action = new QAction(name, nullptr);
        action->setObjectName(name);
    }
    return action;
}

namespace {

QString& logBuffer()
{
    static QString text;
    return text;
}

}  // namespace

TPluginLog* RecordingHost::processLog()
{
    // Never deleted: the plug-in keeps the first log object for the life
    // of the process.
    static TPluginLog* log = new TPluginLog(&logBuffer());
    return log;
}

QString RecordingHost::logText()
{
    return logBuffer();
}

void RecordingHost::clearLog()
{
    logBuffer().clear();
}

}  // namespace lumatra
