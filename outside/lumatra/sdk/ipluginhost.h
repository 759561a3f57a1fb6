// IPluginHost: the host application's object that a plug-in receives when
// it registers (IPluginInfo::registerPlugin). Every call a plug-in, its
// items, bags, tables and dialogs make into the host goes through it.
//
// The operations carry the numbers by which the plug-in's description
// knows them (their place in the host's interface); the three without a
// number are the document operations the page-item commands and the
// property bags use.
//
// Types: the classes named here are declared only. TCanvasItem,
// TCanvasItemList, TItemPropertiesBag, TPluginLog and (later) TCommand are
// the shared classes that host and plug-in both compile (ionvale_common);
// the dock, factory and script classes belong to the plug-in's shell and
// script parts. A caller of an operation includes their headers.
//
// Ownership: what the plug-in hands over (commands, items given to
// takeItems, named script objects, factories) belongs to the host from
// then on, except the factories, which stay children of the plug-in
// object and are only used by the host. What the host answers (items,
// the canvas, the log, docks, actions, plug-in objects) stays the host's.
#pragma once

#include <QList>
#include <QPoint>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QUuid>

class QAction;
class QCursor;
class QObject;
class QWidget;

class QtCanvas;
class TCanvasItem;
class TCanvasItemList;
class TCommand;
class TItemPropertiesBag;
class TPluginDockWidgetFactory;
class TPluginLog;
class TScriptObjectFactory;
class WPluginDockWidget;

// Codes of TCanvasItem::queryObject that host items answer: a layout
// template item (type 108) hands out its template properties (the
// TItemProperties its items are made from).
enum THostObjectQuery : qint32 { TemplatePropertiesQuery = 0x4C54 };

// What the host tells about its current view (operation 15).
struct THostView {
    // Owner value for items made for this view: the view's page canvas
    // taken as an owner tag (QtCanvasItem::setOwnerTag), 0 without a page.
    quintptr owner = 0;
    // Page coordinates (canvas space 3) to the view widget (space 0).
    QTransform worldMatrix;
};

class IPluginHost {
public:
    virtual ~IPluginHost() = default;

    // 7: repaint an item (the second argument is 0 at every call).
    virtual void repaintItem(TCanvasItem* item, int flags) = 0;
    // 11: a point from one coordinate space into another: 0 the view
    // widget, 2 the view's contents, 3 the canvas (page units).
    virtual QPoint mapPoint(const QPoint& point, int from, int to) = 0;
    // 14: the part of the page the view shows, in page units.
    virtual QRectF viewRect() = 0;
    // 15: the current view.
    virtual THostView currentView() = 0;
    // 16: the parent widget for the plug-in's dialogs, or null.
    virtual QWidget* dialogParent() = 0;
    // 19: the plug-in object with that identifier (the second argument is
    // 0 at every call), or null when no such plug-in is loaded.
    virtual QObject* findPlugin(const QUuid& id, int flags) = 0;
    // 20: the host's log object, or null.
    virtual TPluginLog* log() = 0;
    // 23: the host takes the command (null is accepted and ignored), runs
    // it, keeps it on its undo stack and refreshes its docks.
    virtual void executeCommand(TCommand* command) = 0;
    // 26: the selected page items, in the host's order (argument 0).
    virtual TCanvasItemList selectedItems(int flags) = 0;
    // 28: every page item of the document.
    virtual TCanvasItemList allItems() = 0;
    // 31: the canvas of the current page.
    virtual QtCanvas* canvas() = 0;
    // 36: the plug-in's three script object factories, in one call.
    virtual void addScriptFactories(TScriptObjectFactory* first, TScriptObjectFactory* second,
                                    TScriptObjectFactory* third) = 0;
    // 37: publishes (add true) or withdraws (object null, add false) a
    // named object of the host's script engine; the host takes the object.
    virtual void setScriptObject(const QString& name, QObject* object, bool add) = 0;
    // 43, 44: a cursor over the host's windows, and back.
    virtual void setCursor(const QCursor& cursor) = 0;
    virtual void restoreCursor() = 0;
    // 45: makes a mouse mode current (mode, the plug-in that asks or null,
    // 1 at every call); 46: the current mode, null when none.
    virtual void setMouseMode(const QUuid& mode, const QUuid& owner, int flags) = 0;
    virtual QUuid currentMouseMode() = 0;
    // 47 to 50: the docks the host made from the plug-in's factories.
    virtual void showDock(const QString& name, bool show) = 0;
    virtual bool isDockVisible(const QString& name) = 0;
    virtual WPluginDockWidget* dockByName(const QString& name) = 0;
    virtual void refreshDock(const QString& name) = 0;
    // 51: a dock factory; the host keeps it and creates docks by name.
    virtual void addFactory(TPluginDockWidgetFactory* factory) = 0;
    // 55: an action of the plug-in shown under the caption.
    virtual void registerAction(QAction* action, const QString& caption) = 0;
    // 61: the host's action of that object name, or null.
    virtual QAction* actionByName(const QString& name) = 0;
    // 62: the host inserts the items into the document and owns them
    // (the plug-in passes 5 and 1).
    virtual void takeItems(const TCanvasItemList& items, int kind, int flags) = 0;

    // The selection becomes these items (an empty list clears it).
    virtual void setSelectedItems(const TCanvasItemList& items) = 0;
    // Items were added to or taken from the document.
    virtual void itemsChanged() = 0;
    // A new property bag of the given type of the plug-in with that
    // identifier (stored with the bag in documents), or null when no such
    // plug-in is loaded or it makes no bag of that type.
    virtual TItemPropertiesBag* createPropertiesBag(int type, const QUuid& pluginId) = 0;
};
