// The window's user interface: its own menus (file, edit, view entries
// calling the plug-ins' zoom, intensity and cut interfaces, the mouse
// modes), the actions, tool bars, menus and context menus of the plug-ins'
// UI descriptions with their states, the docks made from the plug-ins'
// factories, the item properties dialog and the state dump.
#include "hostwindow.h"

#include "iplugins.h"
#include "pageview.h"
#include "scripthost.h"
#include "titemproperties.h"
#include "plugindocks.h"
#include "tupdateitem.h"
#include "uidescription.h"
#include "wpropertieswidget.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QCryptographicHash>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QJsonArray>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include "tdatastream.h"

namespace lumatra {

namespace {

// The host's mouse modes: object name, text, identifier (null: none).
struct HostMode {
    const char* name;
    const char* text;
    const char* id;
};
const HostMode kModes[] = {
    {"modeNone", "&Select", nullptr},
    {"modeRectZoom", "&Zoom Rectangle", "{5042ea2a-4b57-4940-a51e-48f7e2bcfd4e}"},
    {"modeClickZoom", "Zoom &Out by Click", "{c2a41a4e-75e6-44c9-bb72-9b5f7476c895}"},
    {"modeExpansion", "&Expansion", "{f14ded40-6e09-11dd-ad8b-0800200c9a66}"},
    {"modePan", "&Pan", "{a6d2472c-87fa-40c3-b3e0-e329783e4034}"},
    {"modeCut", "&Cut Range", "{fbbacb4f-dc3d-4462-a962-ac6c0a8cf3a0}"},
    {"modeRestoreCut", "&Restore Range", "{05d90524-b709-4d0d-aa3d-dce18343d53a}"},
    {"modeSpectrumSelection", "Spectrum Se&lection", "{3d4a0a12-3f9c-49da-8638-cda5e15e7140}"},
    {"modeElementComposition", "Elemental C&omposition", "{543e9223-4ebf-412c-89b3-fe9bf1299465}"},
};

QString dropMnemonic(QString text)
{
    return text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove('&').replace('\x01', '&');
}

// Rows of the first item view of a dock widget (a table's rows, a tree's
// top-level entries), -1 without one.
int rowsOf(QWidget* widget)
{
    if (!widget)
        return -1;
    const auto views = widget->findChildren<QAbstractItemView*>();
    for (QAbstractItemView* v : views)
        if (v->model())
            return v->model()->rowCount();
    return -1;
}

}  // namespace

// ---- host menus ------------------------------------------------------------

void LumatraWindow::buildHostMenus()
{
    auto add = [this](QMenu* menu, const QString& name, const QString& text, auto slot) {
        auto* a = new QAction(text, this);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        menu->addAction(a);
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    add(file, QStringLiteral("fileOpen"), QStringLiteral("&Open..."), [this] { openFileDialog(); });
    add(file, QStringLiteral("fileSave"), QStringLiteral("&Save As..."), [this] { saveFileDialog(); });
    add(file, QStringLiteral("fileImport"), QStringLiteral("&Import..."), [this] { importFileDialog(); });
    file->addSeparator();
    add(file, QStringLiteral("fileQuit"), QStringLiteral("&Quit"), [this] { close(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    QAction* undo = m_undo->createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("editUndo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = m_undo->createRedoAction(this, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("editRedo"));
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    add(edit, QStringLiteral("editProperties"), QStringLiteral("&Properties..."),
        [this] { showItemProperties(activeItem()); });

    // The host's zoom, intensity and cut entries reach the plug-in's item
    // through its three small interfaces.
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    auto forPlugins = [this](auto call) {
        for (QObject* p : m_plugins)
            call(p);
        refreshState();
    };
    add(view, QStringLiteral("viewManualZoom"), QStringLiteral("&Manual Zoom..."), [this, forPlugins] {
        forPlugins([](QObject* p) {
            if (auto* z = pluginInterface<IPluginItemZoom>(p, IPluginItemZoom_iid))
                z->manualZoom();
        });
    });
    add(view, QStringLiteral("viewFullZoomOut"), QStringLiteral("&Full Zoom Out"), [this, forPlugins] {
        forPlugins([](QObject* p) {
            if (auto* z = pluginInterface<IPluginItemZoom>(p, IPluginItemZoom_iid))
                z->fullZoomOut();
        });
    });
    view->addSeparator();
    add(view, QStringLiteral("viewFitToHeight"), QStringLiteral("Fit to &Height"), [this, forPlugins] {
        forPlugins([](QObject* p) {
            if (auto* i = pluginInterface<IPluginItemIntensity>(p, IPluginItemIntensity_iid))
                i->fitToHeight();
        });
    });
    add(view, QStringLiteral("viewIncreaseIntensity"), QStringLiteral("&Increase Intensity"), [this, forPlugins] {
        forPlugins([](QObject* p) {
            if (auto* i = pluginInterface<IPluginItemIntensity>(p, IPluginItemIntensity_iid))
                i->increaseIntensity();
        });
    });
    add(view, QStringLiteral("viewDecreaseIntensity"), QStringLiteral("&Decrease Intensity"), [this, forPlugins] {
        forPlugins([](QObject* p) {
            if (auto* i = pluginInterface<IPluginItemIntensity>(p, IPluginItemIntensity_iid))
                i->decreaseIntensity();
        });
    });
    view->addSeparator();
    add(view, QStringLiteral("viewRestoreAllCuts"), QStringLiteral("&Restore All Cuts"), [this, forPlugins] {
        forPlugins([](QObject* p) {
            if (auto* c = pluginInterface<IPluginItemCuts>(p, IPluginItemCuts_iid))
                c->restoreAllCuts();
        });
    });
    view->addSeparator();
    QMenu* docks = view->addMenu(QStringLiteral("&Docks"));
    docks->setObjectName(QStringLiteral("menuDocks"));
    connect(docks, &QMenu::aboutToShow, this, [this, docks] {
        docks->clear();
        for (TPluginDockWidgetFactory* f : m_factories)
            for (const QString& name : factoryDockNames(f)) {
                const QString title = factoryDockTitle(f, name);
                QAction* a = docks->addAction(title.isEmpty() ? name : title);
                a->setCheckable(true);
                a->setChecked(isDockVisible(name));
                connect(a, &QAction::toggled, this, [this, name](bool on) { showDock(name, on); });
            }
    });

    QMenu* modes = menuBar()->addMenu(QStringLiteral("&Mode"));
    modes->setObjectName(QStringLiteral("menuMode"));
    m_modeGroup = new QActionGroup(this);
    for (const HostMode& m : kModes) {
        auto* a = new QAction(QString::fromLatin1(m.text), m_modeGroup);
        a->setObjectName(QString::fromLatin1(m.name));
        a->setCheckable(true);
        a->setData(m.id ? QUuid(m.id) : QUuid());
        connect(a, &QAction::triggered, this, [this, a] { chooseMouseMode(a->data().toUuid()); });
        modes->addAction(a);
    }
    m_modeGroup->actions().first()->setChecked(true);
}

QAction* LumatraWindow::action(const QString& name) const
{
    if (QAction* a = m_actions.value(name))
        return a;
    if (QAction* a = m_registered.value(name).data())
        return a;
    const auto all = findChildren<QAction*>(name);
    return all.isEmpty() ? nullptr : all.first();
}

// ---- the plug-ins' UI descriptions -----------------------------------------

void LumatraWindow::buildPluginUi(QObject* plugin)
{
    auto* actions = pluginInterface<IPluginActions>(plugin, IPluginActions_iid);
    if (!actions)
        return;
    auto ui = std::make_shared<UiDescription>();
    QString error;
    if (!parseUiDescription(actions->uiDescription(), *ui, error)) {
        appendLog(QStringLiteral("%1: the UI description does not read: %2").arg(plugin->objectName(), error));
        return;
    }
    m_uis.append(ui);
    actions->prepareActions();
    auto dropped = [actions](const QString& invalidator) {
        return !invalidator.isEmpty() && actions->isInvalidated(invalidator);
    };
    for (const UiActionDef& def : ui->actions) {
        if (dropped(def.invalidator) || m_actions.contains(def.name))
            continue;
        auto* a = new QAction(def.text, this);
        a->setObjectName(def.name);
        a->setToolTip(def.toolTip.isEmpty() ? dropMnemonic(def.text) : def.toolTip);
        a->setCheckable(def.checkable);
        if (!def.icon.isEmpty())
            a->setIcon(actions->icon(def.icon));
        const QString name = def.name;
        connect(a, &QAction::triggered, this, [this, actions, name] {
            // A checkable entry shows the plug-in's state, not the click.
            actions->executeAction(name);
            refreshState();
        });
        m_actions.insert(def.name, a);
    }
    // Entries into a menu; a drop-down becomes a submenu there.
    std::function<void(QMenu*, const QList<UiEntry>&)> fill = [&](QMenu* menu, const QList<UiEntry>& entries) {
        for (const UiEntry& e : entries) {
            if (dropped(e.invalidator))
                continue;
            if (e.kind == UiEntry::Separator) {
                menu->addSeparator();
            } else if (e.kind == UiEntry::Action) {
                if (QAction* a = m_actions.value(e.name))
                    menu->addAction(a);
            } else {
                QMenu* sub = menu->addMenu(e.kind == UiEntry::Dropdown ? e.text : e.name);
                sub->setObjectName(e.name);
                fill(sub, e.children);
            }
        }
    };
    for (const UiContainer& c : ui->menus) {
        if (dropped(c.invalidator))
            continue;
        QMenu* menu = menuBar()->addMenu(c.name);
        menu->setObjectName(c.name);
        fill(menu, c.entries);
    }
    for (const UiContainer& c : ui->toolBars) {
        if (dropped(c.invalidator))
            continue;
        QToolBar* bar = addToolBar(c.name);
        bar->setObjectName(c.name);
        bar->show();
        for (const UiEntry& e : c.entries) {
            if (dropped(e.invalidator))
                continue;
            if (e.kind == UiEntry::Separator) {
                bar->addSeparator();
            } else if (e.kind == UiEntry::Action) {
                if (QAction* a = m_actions.value(e.name))
                    bar->addAction(a);
            } else {
                auto* button = new QToolButton(bar);
                button->setObjectName(e.name);
                button->setToolTip(e.text);
                auto* menu = new QMenu(e.text, button);
                fill(menu, e.children);
                button->setMenu(menu);
                button->setPopupMode(QToolButton::MenuButtonPopup);
                if (QAction* d = m_actions.value(e.defaultAction))
                    button->setDefaultAction(d);
                bar->addWidget(button);
            }
        }
    }
    for (const UiContainer& c : ui->contextMenus) {
        if (dropped(c.invalidator) || m_contextMenus.contains(c.name))
            continue;
        auto* menu = new QMenu(c.title);
        menu->setObjectName(c.name);
        menu->setTitle(c.title);
        fill(menu, c.entries);
        m_contextMenus.insert(c.name, menu);
    }
}

void LumatraWindow::applyActionStates()
{
    for (QObject* plugin : m_plugins) {
        auto* actions = pluginInterface<IPluginActions>(plugin, IPluginActions_iid);
        if (!actions)
            continue;
        QList<TUpdateItem*> states;
        actions->updateActions(states);
        for (TUpdateItem* s : states) {
            if (!s)
                continue;
            if (QAction* a = m_actions.value(s->name)) {
                a->setEnabled(s->enabled);
                if (s->kind() == 1 && a->isCheckable())
                    a->setChecked(static_cast<TUpdateAction*>(s)->checked);
            }
        }
        qDeleteAll(states);
    }
}

void LumatraWindow::refreshState()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    applyActionStates();
    for (QAction* a : m_modeGroup->actions())
        if (a->data().toUuid() == m_mouseMode)
            a->setChecked(true);
    refreshDocks();
    if (m_logView && m_logView->property("logLength").toInt() != hostLogBuffer().size()) {
        m_logView->setPlainText(hostLogBuffer());
        m_logView->setProperty("logLength", hostLogBuffer().size());
    }
    m_refreshing = false;
}

// ---- docks -----------------------------------------------------------------

QDockWidget* LumatraWindow::makeDock(const QString& name)
{
    for (TPluginDockWidgetFactory* f : m_factories) {
        if (!factoryDockNames(f).contains(name))
            continue;
        QWidget* widget = createFactoryDock(f, name);
        if (!widget)
            continue;
        const QString title = factoryDockTitle(f, name);
        auto* dock = new QDockWidget(title.isEmpty() ? name : title, this);
        dock->setObjectName(name);
        dock->setWidget(widget);
        connect(dock, SIGNAL(visibilityChanged(bool)), widget, SLOT(onVisibilityChanged(bool)));
        addDockWidget(name.contains(QLatin1String("Browser")) ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea,
                      dock);
        // Beside a page at its scale in a 1600-wide window: the browser on
        // the left, the result tables on the right with their first columns.
        const bool left = name.contains(QLatin1String("Browser"));
        resizeDocks({dock}, {left ? 340 : 460}, Qt::Horizontal);
        dock->hide();
        m_docks.insert(name, dock);
        return dock;
    }
    return nullptr;
}

void LumatraWindow::showDock(const QString& name, bool show)
{
    QDockWidget* dock = m_docks.value(name);
    if (!dock && show)
        dock = makeDock(name);
    if (!dock)
        return;
    dock->setVisible(show);
    if (show)
        refreshDock(name);
    refreshState();
}

bool LumatraWindow::isDockVisible(const QString& name)
{
    QDockWidget* dock = m_docks.value(name);
    return dock && !dock->isHidden();
}

WPluginDockWidget* LumatraWindow::dockByName(const QString& name)
{
    QDockWidget* dock = m_docks.value(name);
    return dock ? asPluginDock(dock->widget()) : nullptr;
}

void LumatraWindow::refreshDock(const QString& name)
{
    QDockWidget* dock = m_docks.value(name);
    if (!dock || dock->isHidden())
        return;
    showItemInDock(dock->widget(), activeItem());
}

void LumatraWindow::refreshDocks()
{
    for (auto it = m_docks.constBegin(); it != m_docks.constEnd(); ++it)
        refreshDock(it.key());
}

void LumatraWindow::addFactory(TPluginDockWidgetFactory* factory)
{
    if (factory && !m_factories.contains(factory))
        m_factories.append(factory);
}

void LumatraWindow::registerAction(QAction* action, const QString& caption)
{
    if (!action)
        return;
    m_registered.insert(action->objectName(), action);
    const QString title = caption.isEmpty() ? QStringLiteral("Tools") : caption;
    QMenu* menu = menuBar()->findChild<QMenu*>(QStringLiteral("caption:") + title);
    if (!menu) {
        menu = menuBar()->addMenu(title);
        menu->setObjectName(QStringLiteral("caption:") + title);
    }
    menu->addAction(action);
}

QAction* LumatraWindow::actionByName(const QString& name)
{
    return action(name);
}

// ---- mouse modes, events, context menu -------------------------------------

void LumatraWindow::chooseMouseMode(const QUuid& mode)
{
    if (m_mouseMode != mode) {
        for (QObject* p : m_plugins)
            if (auto* e = pluginInterface<IPluginEvent>(p, IPluginEvent_iid))
                e->mouseModeLeft();
    }
    m_mouseMode = mode;
    for (QObject* p : m_plugins)
        if (auto* e = pluginInterface<IPluginEvent>(p, IPluginEvent_iid))
            e->setMouseMode(mode, 0, 0);
    if (m_view && m_cursors.isEmpty())
        m_view->unsetCursor();
    refreshState();
}

void LumatraWindow::routeViewEvent(QEvent* event)
{
    bool handled = false;
    for (QObject* p : m_plugins) {
        auto* e = pluginInterface<IPluginEvent>(p, IPluginEvent_iid);
        if (e && e->handleEvent(event)) {
            handled = true;
            break;
        }
    }
    auto* mouse = dynamic_cast<QMouseEvent*>(event);
    if (!mouse)
        return;
    const QPointF pagePoint = (QPointF(mouse->pos()) - QPointF(m_origin)) / m_scale;
    // The cursor of the plug-in serving the current mode over the item.
    if (m_cursors.isEmpty() && m_view) {
        TCanvasItem* under = itemAt(pagePoint);
        int id = 0;
        for (QObject* p : m_plugins) {
            auto* e = pluginInterface<IPluginEvent>(p, IPluginEvent_iid);
            TPluginCursor cursor;
            if (e && e->supportsMouseMode(0, under, cursor)) {
                id = cursor.id;
                break;
            }
        }
        if (id)
            m_view->setCursor(cursorShapeForId(id));
        else
            m_view->unsetCursor();
    }
    if (handled)
        return;
    if (event->type() == QEvent::MouseButtonPress && m_mouseMode.isNull()) {
        TCanvasItem* under = itemAt(pagePoint);
        if (mouse->button() == Qt::LeftButton || (under && !m_selection.contains(under))) {
            setSelectedItems(under ? TCanvasItemList(under) : TCanvasItemList());
            refreshState();
        }
        if (mouse->button() == Qt::RightButton)
            showContextMenu(mouse->pos());
    } else if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::RightButton) {
        showContextMenu(mouse->pos());
    } else if (event->type() == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton) {
        if (TCanvasItem* under = itemAt(pagePoint))
            showItemProperties(under);
    }
}

void LumatraWindow::showContextMenu(const QPoint& viewPosition)
{
    QString name;
    for (QObject* p : m_plugins) {
        auto* actions = pluginInterface<IPluginActions>(p, IPluginActions_iid);
        if (actions)
            name = actions->contextMenu(viewPosition);
        if (!name.isEmpty())
            break;
    }
    refreshState();
    QMenu* menu = m_contextMenus.value(name);
    if (!menu)
        return;
    m_contextMenu = menu;
    // popup, not exec: a batch run never waits in a menu.
    menu->popup(m_view ? m_view->mapToGlobal(viewPosition) : viewPosition);
}

// ---- item properties -------------------------------------------------------

void LumatraWindow::showItemProperties(TCanvasItem* item)
{
    if (!item)
        return;
    auto* maker = pluginInterface<IPluginCanvasItem>(m_pluginsById.value(item->pluginId()).data(),
                                                     IPluginCanvasItem_iid);
    TItemPropertiesBag* bag = item->properties() ? item->properties()->bagOfType(5) : nullptr;
    QWidget* widget = maker && bag ? maker->createPropertiesWidget(5) : nullptr;
    if (!widget) {
        QMessageBox::information(this, QStringLiteral("Properties"),
                                 QStringLiteral("This item has no properties page."));
        return;
    }
    // The page of bag kind 5 is a WPropertiesWidget (the page contract).
    auto* page = static_cast<WPropertiesWidget*>(widget);
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("itemPropertiesDialog"));
    dialog.setWindowTitle(QStringLiteral("Item Properties"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    bag->readFromItem(false);
    page->setItems(bag);
    tabs->addTab(page, page->pageTitle());
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The item may have gone while the dialog was open.
    if (!pageItems().contains(item))
        return;
    page->propertiesBag(bag);
    if (bag->isChanged())
        executeCommand(bag->apply(item));
}

// ---- file dialogs ----------------------------------------------------------

QString LumatraWindow::importFilterText() const
{
    QStringList filters;
    for (QObject* p : m_plugins)
        if (auto* import = pluginInterface<IPluginImport>(p, IPluginImport_iid))
            filters += import->importFilters();
    filters << QStringLiteral("All files (*)");
    return filters.join(QStringLiteral(";;"));
}

void LumatraWindow::importFileDialog()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Import"), QString(), importFilterText());
    QString error;
    if (!path.isEmpty() && !importFile(path, error))
        QMessageBox::warning(this, QStringLiteral("Import"), QStringLiteral("%1: %2").arg(path, error));
}

void LumatraWindow::openFileDialog()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(),
                                                      QStringLiteral("Lumatra documents (*.lmd);;All files (*)"));
    QString error;
    if (!path.isEmpty() && !openDocument(path, error))
        QMessageBox::warning(this, QStringLiteral("Open"), QStringLiteral("%1: %2").arg(path, error));
}

void LumatraWindow::saveFileDialog()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save As"), m_documentPath,
                                                      QStringLiteral("Lumatra documents (*.lmd)"));
    QString error;
    if (!path.isEmpty() && !saveDocument(path, error))
        QMessageBox::warning(this, QStringLiteral("Save"), QStringLiteral("%1: %2").arg(path, error));
}

// ---- state dump ------------------------------------------------------------

QJsonObject LumatraWindow::stateDump()
{
    refreshState();
    QJsonObject state;
    state.insert(QStringLiteral("document"), m_documentPath);
    state.insert(QStringLiteral("window"), QJsonArray{width(), height()});

    QJsonArray plugins;
    for (QObject* p : m_plugins) {
        QJsonObject o;
        if (auto* info = pluginInterface<IPluginInfo>(p, IPluginInfo_iid)) {
            o.insert(QStringLiteral("name"), info->name());
            o.insert(QStringLiteral("id"), info->id().toString());
        }
        plugins.append(o);
    }
    state.insert(QStringLiteral("plugins"), plugins);
    QJsonObject nmr;
    nmr.insert(QStringLiteral("loaded"), m_nmr != nullptr);
    nmr.insert(QStringLiteral("hostObject"), m_nmr ? QStringLiteral("lumatrahost") : QString());
    state.insert(QStringLiteral("nmrLibrary"), nmr);

    QJsonArray visible, tables;
    QJsonObject rows;
    for (auto it = m_docks.constBegin(); it != m_docks.constEnd(); ++it) {
        if (!it.value()->isHidden())
            visible.append(it.key());
        rows.insert(it.key(), rowsOf(it.value()->widget()));
    }
    state.insert(QStringLiteral("visibleDocks"), visible);
    state.insert(QStringLiteral("tableRows"), rows);

    QJsonArray history, redo;
    for (const QString& n : undoHistory())
        history.append(n);
    for (int i = m_undo->index(); i < m_undo->count(); ++i)
        redo.append(m_undo->command(i)->text());
    state.insert(QStringLiteral("undoHistory"), history);
    state.insert(QStringLiteral("redoHistory"), redo);

    QJsonObject actions;
    for (auto it = m_actions.constBegin(); it != m_actions.constEnd(); ++it) {
        QJsonObject a;
        a.insert(QStringLiteral("enabled"), it.value()->isEnabled());
        a.insert(QStringLiteral("checked"), it.value()->isChecked());
        actions.insert(it.key(), a);
    }
    state.insert(QStringLiteral("actions"), actions);
    state.insert(QStringLiteral("mouseMode"), m_mouseMode.isNull() ? QString() : m_mouseMode.toString());

    QJsonArray items;
    for (TCanvasItem* item : m_page->itemsByZ()) {
        QJsonObject o;
        o.insert(QStringLiteral("type"), item->rtti());
        o.insert(QStringLiteral("typeName"), item->type());
        o.insert(QStringLiteral("subtype"), item->subtype());
        o.insert(QStringLiteral("plugin"), item->pluginId().toString());
        o.insert(QStringLiteral("selected"), m_selection.contains(item));
        const QRectF r = item->geometry().boundingRect();
        o.insert(QStringLiteral("rect"), QJsonArray{r.x(), r.y(), r.width(), r.height()});
        QByteArray data;
        {
            TDataStream s(&data, QIODevice::WriteOnly);
            item->writePluginData(s);
        }
        o.insert(QStringLiteral("pluginDataBytes"), data.size());
        o.insert(QStringLiteral("pluginDataSha1"),
                 QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex()));
        const QJsonArray plots = m_script->plotsOf(item);
        if (!plots.isEmpty())
            o.insert(QStringLiteral("plots"), plots);
        items.append(o);
    }
    state.insert(QStringLiteral("items"), items);
    return state;
}

}  // namespace lumatra
