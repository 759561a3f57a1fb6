// The window as host of its plug-ins (IPluginHost), its page and its
// document steps. Menus, docks, the state dump and the properties dialog
// are in hostui.cpp.
#include "hostwindow.h"

#include "dataproclib.h"
#include "document.h"
#include "hostitems.h"
#include "hostpeers.h"
#include "iplugins.h"
#include "itemrecord.h"
#include "pageview.h"
#include "scripthost.h"
#include "tdatastream.h"
#include "tpluginlog.h"
#include "plugindocks.h"

#include <QBuffer>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPluginLoader>
#include <QScrollArea>
#include <QSet>
#include <QUndoStack>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lumatra {

namespace {

// Owns one TCommand on the undo stack: the first redo runs it and records
// its history; later ones restore it; undo takes it back out.
class CommandAdapter : public QUndoCommand {
public:
    CommandAdapter(TCommand* command, THistoryContext* history)
        : QUndoCommand(QString::fromLatin1(command->name)), m_command(command), m_history(history)
    {
    }
    ~CommandAdapter() override { delete m_command; }

    void redo() override
    {
        if (!m_command)
            return;
        m_command->redo();
        if (m_first)
            m_command->recordHistory(m_history);
        else
            m_command->restoreHistory(m_history);
        m_first = false;
    }
    void undo() override
    {
        if (!m_command)
            return;
        m_command->undo();
        m_command->removeHistory(m_history);
    }
    // Deletes the command now (the window drops its commands newest first).
    void release()
    {
        delete m_command;
        m_command = nullptr;
    }

private:
    TCommand* m_command;
    THistoryContext* m_history;
    bool m_first = true;
};

// The bytes of an input file (at most `limit` bytes, all for -1); false
// with the reason for a missing, unreadable or non-regular file (a folder,
// a pipe that never ends, a device such as /dev/zero that reads for ever).
bool readInput(const QString& path, qint64 limit, QByteArray& bytes, QString& error)
{
    QFile file(path);
    if (!file.exists()) {
        error = QStringLiteral("no such file");
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        error = QStringLiteral("not a regular file");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    bytes = limit < 0 ? file.readAll() : file.read(limit);
    return true;
}

}  // namespace

QString& hostLogBuffer()
{
    static QString text;
    return text;
}

// ---- PageCanvas ------------------------------------------------------------

PageCanvas::PageCanvas(LumatraWindow& host, int width, int height)
    : QtCanvas(width, height, kPageChunkSize), m_host(host)
{
}

PageCanvas::~PageCanvas()
{
    deleteAllItems();
}

void PageCanvas::deleteAllItems()
{
    clearChunkItems();
    while (!allItems().isEmpty())
        delete allItems().first();
}

void PageCanvas::setChangedChunk(int column, int row)
{
    QtCanvas::setChangedChunk(column, row);
    if (validChunk(column, row))
        m_host.chunkChanged(column, row);
}

void PageCanvas::removeItem(QtCanvasItem* item)
{
    QtCanvas::removeItem(item);
    m_host.forgetItem(item);
}

void PageCanvas::placeNewItems(const QtCanvasItemList& items)
{
    double top = 0;
    for (const QtCanvasItem* i : allItems())
        if (std::isfinite(i->z()))
            top = std::max(top, i->z());
    for (QtCanvasItem* i : items) {
        if (!i)
            continue;
        i->setZ(++top);
        i->setOwnerTag(quintptr(this));
    }
}

void PageCanvas::update()
{
    m_host.afterCanvasUpdate();
}

TCanvasItemList PageCanvas::itemsByZ() const
{
    TCanvasItemList items;
    for (QtCanvasItem* i : allItems())
        items.append(static_cast<TCanvasItem*>(i));
    return items.sortByZ(1);
}

// ---- LumatraWindow ---------------------------------------------------------

LumatraWindow::LumatraWindow()
    : m_page(std::make_unique<PageCanvas>(*this, kPageWidth, kPageHeight))
{
    setObjectName(QStringLiteral("LumatraWindow"));
    setWindowTitle(QStringLiteral("Lumatra"));
    m_view = new PageView(*this);
    m_view->setMinimumSize(int(m_page->width() * m_scale) + 2 * m_origin.x(),
                           int(m_page->height() * m_scale) + 2 * m_origin.y());
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("pageScroll"));
    scroll->setWidget(m_view);
    setCentralWidget(scroll);

    m_undo = new QUndoStack(this);
    connect(m_undo, &QUndoStack::indexChanged, this, [this] { refreshState(); });

    m_molecule = new HostMoleculePeer(*this);
    m_drawing = new HostDrawingPeer(*this);
    m_pluginsById.insert(m_molecule->id(), m_molecule);
    m_pluginsById.insert(m_drawing->id(), m_drawing);

    m_logView = new QPlainTextEdit(this);
    m_logView->setReadOnly(true);
    auto* logDock = new QDockWidget(QStringLiteral("Log"), this);
    logDock->setObjectName(QStringLiteral("hostLog"));
    logDock->setWidget(m_logView);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);
    logDock->hide();

    buildHostMenus();
    m_script = std::make_unique<ScriptHost>(*this);
    resize(1600, 1000);
}

LumatraWindow::~LumatraWindow()
{
    // Script wrappers, then the docks (plug-in widgets showing items), then
    // the commands newest first (removed items they hold are deleted while
    // the items they refer to still exist), the history records (each
    // once), the page items, the named objects, and last the plug-ins.
    m_script.reset();
    for (QDockWidget* d : m_docks)
        delete d;
    m_docks.clear();
    dropCommands();
    m_selection.clear();
    m_page.reset();
    qDeleteAll(m_scriptObjects);
    m_scriptObjects.clear();
    qDeleteAll(m_contextMenus);
    m_contextMenus.clear();
    for (QObject* plugin : m_plugins) {
        if (auto* info = pluginInterface<IPluginInfo>(plugin, IPluginInfo_iid))
            info->deactivate();
        qDeleteAll(m_scriptObjects);
        m_scriptObjects.clear();
        delete plugin;
    }
    m_plugins.clear();
    // The modules stay loaded: objects of theirs (meta-types, the log's
    // categories) may be reached until the process ends.
    qDeleteAll(m_loaders);
    delete m_molecule;
    delete m_drawing;
    if (m_nmr)
        m_nmr->release();
}

void LumatraWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
}

// ---- steps -----------------------------------------------------------------

bool LumatraWindow::loadPlugin(const QString& path, QString& error)
{
    if (!QFileInfo::exists(path)) {
        error = QStringLiteral("no such plug-in module");
        return false;
    }
    auto* loader = new QPluginLoader(path);
    QObject* object = loader->instance();
    if (!object) {
        error = loader->errorString();
        delete loader;
        return false;
    }
    auto* info = pluginInterface<IPluginInfo>(object, IPluginInfo_iid);
    if (!info) {
        error = QStringLiteral("the module's object is no plug-in of this host");
        delete loader;
        return false;
    }
    m_loaders.append(loader);
    m_plugins.append(object);
    m_pluginsById.insert(info->id(), object);
    if (!m_mass)
        m_mass = object;
    info->registerPlugin(this);
    info->activate();
    buildPluginUi(object);
    m_script->update();
    refreshState();
    return true;
}

void LumatraWindow::loadNmrLibrary(const QString& path)
{
    if (m_nmr || !QFileInfo::exists(path))
        return;
    m_nmrHandle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_nmrHandle) {
        appendLog(QStringLiteral("NMR library %1 not loaded: %2").arg(path, QString::fromLocal8Bit(dlerror())));
        return;
    }
    using Setup = IDataProcLib* (*)(IDataProcHost*);
    auto setup = reinterpret_cast<Setup>(dlsym(m_nmrHandle, "setupDataProcLib"));
    if (setup)
        m_nmr = setup(&m_nmrHost);
    appendLog(m_nmr ? QStringLiteral("NMR library %1 set up with the host object").arg(path)
                    : QStringLiteral("NMR library %1 has no usable setupDataProcLib").arg(path));
}

bool LumatraWindow::importFile(const QString& path, QString& error)
{
    const QFileInfo file(path);
    if (!file.exists()) {
        error = QStringLiteral("no such file or folder");
        return false;
    }
    int result = 50;
    for (QObject* plugin : m_plugins) {
        auto* import = pluginInterface<IPluginImport>(plugin, IPluginImport_iid);
        if (!import)
            continue;
        QStringList imported;
        // Direct: a file the user chose, taken as it is.
        result = import->importFile(file.absoluteFilePath(), 0, QString(), true, imported);
        if (result != 50)
            break;
    }
    refreshState();
    if (result == 50) {
        error = QStringLiteral("no converter takes this file");
        return false;
    }
    if (result < 0) {
        error = QStringLiteral("the import failed (code %1)").arg(result);
        return false;
    }
    return true;
}

bool LumatraWindow::addMolecule(const QString& path, QString& error)
{
    // Molfiles are small; anything past a megabyte is no molfile.
    QByteArray text;
    if (!readInput(path, 1 << 20, text, error))
        return false;
    HostMoleculeItem* item = m_molecule->itemFromMolfile(text, error);
    if (!item) {
        error = QStringLiteral("not a molfile this host reads: %1").arg(error);
        return false;
    }
    // Beside the items already there, below the first.
    double bottom = 100;
    for (TCanvasItem* i : pageItems())
        bottom = std::max(bottom, i->boundingRect().bottom() + 50.0);
    item->move(100, bottom);
    addPageItems(TCanvasItemList(item), false);
    itemsChanged();
    return true;
}

TCanvasItem* LumatraWindow::makeItem(int type, const QUuid& pluginId)
{
    if (pluginId == m_molecule->id())
        return type == MoleculeItemType ? m_molecule->emptyItem() : nullptr;
    if (pluginId == m_drawing->id()) {
        if (type != TextItemType)
            return nullptr;
        auto* item = new HostTextItem(QString(), QString(), QString(), QRectF(0, 0, 1200, 600));
        item->setOwnerPlugin(m_drawing);
        return item;
    }
    auto* maker = pluginInterface<IPluginCanvasItem>(m_pluginsById.value(pluginId).data(), IPluginCanvasItem_iid);
    return maker ? maker->createItem(type) : nullptr;
}

bool LumatraWindow::openDocument(const QString& path, QString& error)
{
    QByteArray bytes;
    if (!readInput(path, -1, bytes, error) || !openDocumentData(bytes, error))
        return false;
    m_documentPath = QFileInfo(path).absoluteFilePath();
    return true;
}

bool LumatraWindow::openDocumentData(const QByteArray& bytes, QString& error)
{
    DocumentData data;
    if (!parseDocument(bytes, data, error))
        return false;
    TCanvasItemList made;
    int skipped = 0;
    for (int n = 0; n < data.items.size(); ++n) {
        const DocumentItem& entry = data.items.at(n);
        TCanvasItem* item = makeItem(entry.type, entry.pluginId);
        if (!item) {
            ++skipped;
            continue;
        }
        QByteArray record = entry.record;
        TDataStream s(&record, QIODevice::ReadOnly);
        item->read(s);
        if (!s.ok()) {
            delete item;
            qDeleteAll(made);
            error = QStringLiteral("damaged document: the record of item %1 (type %2) does not read")
                        .arg(n + 1)
                        .arg(entry.type);
            return false;
        }
        made.append(item);
    }
    clearDocument();
    addPageItems(made, false);
    if (skipped)
        appendLog(QStringLiteral("%1 items of kinds no loaded plug-in makes were skipped").arg(skipped));
    itemsChanged();
    return true;
}

bool LumatraWindow::saveDocument(const QString& path, QString& error)
{
    DocumentData data;
    data.pageWidth = m_page->width();
    data.pageHeight = m_page->height();
    for (TCanvasItem* item : m_page->itemsByZ()) {
        DocumentItem entry;
        entry.type = item->rtti();
        entry.pluginId = item->pluginId();
        TDataStream s(&entry.record, QIODevice::WriteOnly);
        writeItemRecord(s, *item);
        data.items.append(entry);
    }
    if (!writeFileAtomically(path, serializeDocument(data), error))
        return false;
    m_documentPath = QFileInfo(path).absoluteFilePath();
    return true;
}

bool LumatraWindow::runScript(const QString& path, QString& error)
{
    QByteArray program;
    if (!readInput(path, -1, program, error))
        return false;
    const bool ok = m_script->run(QString::fromUtf8(program), path);
    refreshState();
    if (!ok)
        error = QStringLiteral("the script reported errors");
    return ok;
}

bool LumatraWindow::saveScreenshot(const QString& path, QString& error)
{
    refreshState();
    const QImage image = grab().toImage();
    if (image.isNull()) {
        error = QStringLiteral("the window could not be grabbed");
        return false;
    }
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    return writeFileAtomically(path, png, error);
}

// ---- page ------------------------------------------------------------------

TCanvasItemList LumatraWindow::pageItems() const
{
    TCanvasItemList items;
    for (QtCanvasItem* i : m_page->allItems())
        items.append(static_cast<TCanvasItem*>(i));
    return items;
}

void LumatraWindow::addPageItems(const TCanvasItemList& items, bool select)
{
    TCanvasItemList added;
    for (TCanvasItem* i : items) {
        if (!i)
            continue;
        if (i->canvas() != m_page.get()) {
            m_page->placeNewItems(QtCanvasItemList() << i);
            i->setCanvas(m_page.get());
        }
        i->show();
        added.append(i);
    }
    if (select && !added.isEmpty())
        setSelectedItems(added);
}

void LumatraWindow::dropCommands()
{
    // Newest first: a command holding removed items deletes them while the
    // items it refers to still exist. Then the history's records, each once.
    for (int i = m_undo->count() - 1; i >= 0; --i)
        static_cast<CommandAdapter*>(const_cast<QUndoCommand*>(m_undo->command(i)))->release();
    m_undo->clear();
    const QList<THistoryRecord*> records = m_history.records;
    m_history.records.clear();
    m_history.byItem.clear();
    for (THistoryRecord* r : QSet<THistoryRecord*>(records.begin(), records.end()))
        delete r;
}

void LumatraWindow::clearDocument()
{
    for (QDockWidget* d : m_docks)
        showItemInDock(d->widget(), nullptr, false);
    dropCommands();
    m_selection.clear();
    m_page->deleteAllItems();
    m_documentPath.clear();
}

TCanvasItem* LumatraWindow::activeItem() const
{
    return m_selection.isEmpty() ? nullptr : m_selection.first();
}

TCanvasItem* LumatraWindow::itemAt(const QPointF& pagePoint) const
{
    const TCanvasItemList items = m_page->itemsByZ();
    for (int i = items.size() - 1; i >= 0; --i)
        if (items.at(i)->isVisible() && items.at(i)->areaPoints().containsPoint(pagePoint, Qt::OddEvenFill))
            return items.at(i);
    return nullptr;
}

void LumatraWindow::paintPage(QPainter& painter, const QRectF& pageRect)
{
    for (TCanvasItem* item : m_page->itemsByZ())
        if (item->isVisible() && item->boundingRect().intersects(pageRect.toAlignedRect()))
            item->draw(painter);
    for (QObject* plugin : m_plugins)
        if (auto* draw = pluginInterface<IPluginDraw>(plugin, IPluginDraw_iid))
            draw->draw(&painter);
    m_page->clearChanges();
}

void LumatraWindow::chunkChanged(int column, int row)
{
    const int k = m_page->chunkSize();
    const QRectF chunk(column * k, row * k, k, k);
    const QRect onView = QRectF(chunk.x() * m_scale + m_origin.x(), chunk.y() * m_scale + m_origin.y(),
                                chunk.width() * m_scale, chunk.height() * m_scale)
                             .toAlignedRect()
                             .adjusted(-1, -1, 1, 1);
    if (m_view)
        m_view->update(onView);
}

void LumatraWindow::afterCanvasUpdate()
{
    if (m_view)
        m_view->update();
}

void LumatraWindow::forgetItem(const QtCanvasItem* item)
{
    const void* gone = item;
    for (int i = m_selection.size() - 1; i >= 0; --i)
        if (static_cast<const void*>(m_selection.at(i)) == gone)
            m_selection.removeAt(i);
}

void LumatraWindow::appendLog(const QString& line)
{
    if (m_logView)
        m_logView->appendPlainText(line);
}

// ---- IPluginHost -----------------------------------------------------------

void LumatraWindow::repaintItem(TCanvasItem* item, int)
{
    if (item)
        item->changeChunks();
}

QPoint LumatraWindow::mapPoint(const QPoint& point, int from, int to)
{
    QPointF p(point);
    if (from == 2)
        p += m_origin;
    else if (from == 3)
        p = p * m_scale + QPointF(m_origin);
    if (to == 2)
        p -= m_origin;
    else if (to == 3)
        p = (p - QPointF(m_origin)) / m_scale;
    return p.toPoint();
}

QRectF LumatraWindow::viewRect()
{
    const QSizeF size = m_view ? QSizeF(m_view->size()) : QSizeF(800, 600);
    return QRectF(-QPointF(m_origin) / m_scale, size / m_scale);
}

THostView LumatraWindow::currentView()
{
    THostView view;
    view.owner = quintptr(m_page.get());
    view.worldMatrix = QTransform(m_scale, 0, 0, m_scale, m_origin.x(), m_origin.y());
    return view;
}

QWidget* LumatraWindow::dialogParent()
{
    return this;
}

QObject* LumatraWindow::findPlugin(const QUuid& id, int)
{
    return m_pluginsById.value(id).data();
}

TPluginLog* LumatraWindow::log()
{
    // One per process: the plug-in keeps the first log object it is given.
    static TPluginLog* log = new TPluginLog(&hostLogBuffer());
    return log;
}

void LumatraWindow::executeCommand(TCommand* command)
{
    if (!command)
        return;
    // push runs the command (the adapter's first redo).
    m_undo->push(new CommandAdapter(command, &m_history));
    refreshState();
}

QStringList LumatraWindow::undoHistory() const
{
    QStringList names;
    for (int i = 0; i < m_undo->index(); ++i)
        names << m_undo->command(i)->text();
    return names;
}

TCanvasItemList LumatraWindow::selectedItems(int)
{
    return m_selection;
}

TCanvasItemList LumatraWindow::allItems()
{
    return pageItems();
}

QtCanvas* LumatraWindow::canvas()
{
    return m_page.get();
}

void LumatraWindow::addScriptFactories(TScriptObjectFactory* first, TScriptObjectFactory* second,
                                       TScriptObjectFactory* third)
{
    for (TScriptObjectFactory* f : {first, second, third})
        if (f && !m_scriptFactories.contains(f))
            m_scriptFactories.append(f);
}

void LumatraWindow::setScriptObject(const QString& name, QObject* object, bool add)
{
    QObject* old = m_scriptObjects.take(name);
    if (old != object)
        delete old;
    if (add && object)
        m_scriptObjects.insert(name, object);
    if (m_script) {
        if (add && object)
            m_script->update();
        else
            m_script->engine().globalObject().setProperty(name, QScriptValue());
    }
}

void LumatraWindow::setCursor(const QCursor& cursor)
{
    m_cursors.append(cursor);
    if (m_view)
        m_view->setCursor(cursor);
}

void LumatraWindow::restoreCursor()
{
    if (!m_cursors.isEmpty())
        m_cursors.removeLast();
    if (m_view) {
        if (m_cursors.isEmpty())
            m_view->unsetCursor();
        else
            m_view->setCursor(m_cursors.last());
    }
}

void LumatraWindow::setMouseMode(const QUuid& mode, const QUuid&, int)
{
    chooseMouseMode(mode);
}

QUuid LumatraWindow::currentMouseMode()
{
    return m_mouseMode;
}

void LumatraWindow::takeItems(const TCanvasItemList& items, int, int)
{
    addPageItems(items, true);
    itemsChanged();
}

void LumatraWindow::setSelectedItems(const TCanvasItemList& items)
{
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

void LumatraWindow::itemsChanged()
{
    if (m_view)
        m_view->update();
    refreshState();
}

TItemPropertiesBag* LumatraWindow::createPropertiesBag(int type, const QUuid& pluginId)
{
    auto* maker = pluginInterface<IPluginCanvasItem>(m_pluginsById.value(pluginId).data(), IPluginCanvasItem_iid);
    return maker ? maker->createPropertiesBag(type) : nullptr;
}

}  // namespace lumatra
