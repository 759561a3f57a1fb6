// LumatraWindow: the desktop host. One document of one page (a chunked
// canvas that owns its items), a view of the page at its scale, the undo
// stack that owns the plug-ins' commands, docks made by name from the
// plug-ins' factories, actions, menus, tool bars and context menus from
// their UI descriptions, the host's mouse modes, the item properties
// dialog, the molecule and drawing-tools peers, a script engine, and the
// NMR library's host object. It implements IPluginHost for every plug-in
// it loads.
//
// Failures of the steps main() runs (load, import, molecule, open, save,
// script) answer false with a message naming the file and the reason; the
// document and the window stay as they were.
//
// Ownership: the page owns its items; the undo stack owns the commands
// (newest deleted first when the window goes, before the page); the
// history context's records are the window's; named script objects are
// the window's; dock factories and script factories stay the plug-in's.
#pragma once

#include "ipluginhost.h"
#include "lumatrahost.h"
#include "qtcanvas.h"
#include "tcanvasitem.h"
#include "tcommand.h"

#include <QJsonObject>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QRegion>
#include <QUuid>

#include <memory>

class IDataProcLib;
class QActionGroup;
class QDockWidget;
#include <QMenu>
class QPlainTextEdit;
class QPluginLoader;
class QUndoStack;

namespace lumatra {

class HostDrawingPeer;
class HostMoleculePeer;
class LumatraWindow;
class PageView;
class ScriptHost;
struct UiDescription;

// The text of the host's log object (one per process).
QString& hostLogBuffer();

// The document's page: owns the items on it (deletes them when it goes),
// tells the window about items leaving it and chunks to repaint.
class PageCanvas : public QtCanvas {
public:
    PageCanvas(LumatraWindow& host, int width, int height);
    ~PageCanvas() override;

    void setChangedChunk(int column, int row) override;
    void removeItem(QtCanvasItem* item) override;
    void placeNewItems(const QtCanvasItemList& items) override;
    void update() override;

    // Page items, lowest z first.
    TCanvasItemList itemsByZ() const;
    // Deletes every item on the page (the chunks emptied first).
    void deleteAllItems();

private:
    LumatraWindow& m_host;
};

class LumatraWindow : public QMainWindow, public IPluginHost {
    Q_OBJECT

public:
    // An A4 page at 300 per inch.
    LumatraWindow();
    ~LumatraWindow() override;

    // ---- steps -----------------------------------------------------------
    // Loads a plug-in module with QPluginLoader and registers it.
    bool loadPlugin(const QString& path, QString& error);
    // libYarbex.so when present: setupDataProcLib with the NMR host object.
    void loadNmrLibrary(const QString& path);
    // Through the plug-ins' IPluginImport, direct (a file the user chose).
    bool importFile(const QString& path, QString& error);
    bool addMolecule(const QString& path, QString& error);
    bool openDocument(const QString& path, QString& error);
    // The same from the bytes of a document (the path stays as it was).
    bool openDocumentData(const QByteArray& bytes, QString& error);
    bool saveDocument(const QString& path, QString& error);
    // Runs a script file; script errors are reported (standard error and the
    // log) and the run goes on; false when any occurred.
    bool runScript(const QString& path, QString& error);
    QJsonObject stateDump();
    bool saveScreenshot(const QString& path, QString& error);

    // ---- for the view, the script host and tests --------------------------
    PageCanvas& page() { return *m_page; }
    PageView* view() const { return m_view; }
    TCanvasItemList pageItems() const;
    QObject* massPlugin() const { return m_mass; }
    QUndoStack* undoStack() const { return m_undo; }
    QAction* action(const QString& name) const;
    QDockWidget* dock(const QString& name) const { return m_docks.value(name); }
    QMenu* lastContextMenu() const { return m_contextMenu; }
    const QString& documentPath() const { return m_documentPath; }
    // The host's mouse modes by identifier (null: no mode).
    void chooseMouseMode(const QUuid& mode);
    // The item properties dialog for the item (bag kind 5 of its plug-in
    // with the plug-in's page); a changed bag goes through its command.
    void showItemProperties(TCanvasItem* item);
    // The first selected item, else null.
    TCanvasItem* activeItem() const;
    // Menus and action states, then every open dock.
    void refreshState();
    void appendLog(const QString& line);
    // Paints the page (items, then the plug-ins' drawing) into the painter
    // set to page units.
    void paintPage(QPainter& painter, const QRectF& pageRect);
    double viewScale() const { return m_scale; }
    QPoint viewOrigin() const { return m_origin; }
    // The page item under a page point (topmost), or null.
    TCanvasItem* itemAt(const QPointF& pagePoint) const;
    void routeViewEvent(QEvent* event);
    // The context menu of a view position (the plug-ins' name, else none).
    void showContextMenu(const QPoint& viewPosition);
    void forgetItem(const QtCanvasItem* item);
    void chunkChanged(int column, int row);
    void afterCanvasUpdate();

    // ---- IPluginHost -----------------------------------------------------
    void repaintItem(TCanvasItem* item, int flags) override;
    QPoint mapPoint(const QPoint& point, int from, int to) override;
    QRectF viewRect() override;
    THostView currentView() override;
    QWidget* dialogParent() override;
    QObject* findPlugin(const QUuid& id, int flags) override;
    TPluginLog* log() override;
    void executeCommand(TCommand* command) override;
    TCanvasItemList selectedItems(int flags) override;
    TCanvasItemList allItems() override;
    QtCanvas* canvas() override;
    void addScriptFactories(TScriptObjectFactory* first, TScriptObjectFactory* second,
                            TScriptObjectFactory* third) override;
    void setScriptObject(const QString& name, QObject* object, bool add) override;
    void setCursor(const QCursor& cursor) override;
    void restoreCursor() override;
    void setMouseMode(const QUuid& mode, const QUuid& owner, int flags) override;
    QUuid currentMouseMode() override;
    void showDock(const QString& name, bool show) override;
    bool isDockVisible(const QString& name) override;
    WPluginDockWidget* dockByName(const QString& name) override;
    void refreshDock(const QString& name) override;
    void addFactory(TPluginDockWidgetFactory* factory) override;
    void registerAction(QAction* action, const QString& caption) override;
    QAction* actionByName(const QString& name) override;
    void takeItems(const TCanvasItemList& items, int kind, int flags) override;
    void setSelectedItems(const TCanvasItemList& items) override;
    void itemsChanged() override;
    TItemPropertiesBag* createPropertiesBag(int type, const QUuid& pluginId) override;

    const QList<TScriptObjectFactory*>& scriptFactories() const { return m_scriptFactories; }
    const QMap<QString, QObject*>& scriptObjects() const { return m_scriptObjects; }
    QStringList undoHistory() const;
    bool nmrLibraryLoaded() const { return m_nmr != nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildHostMenus();
    void buildPluginUi(QObject* plugin);
    void applyActionStates();
    void refreshDocks();
    QDockWidget* makeDock(const QString& name);
    void addPageItems(const TCanvasItemList& items, bool select);
    void clearDocument();
    void dropCommands();
    TCanvasItem* makeItem(int type, const QUuid& pluginId);
    QString importFilterText() const;
    void openFileDialog();
    void saveFileDialog();
    void importFileDialog();

    std::unique_ptr<PageCanvas> m_page;
    PageView* m_view = nullptr;
    double m_scale = 0.3;
    QPoint m_origin{20, 20};
    QRegion m_dirty;

    QList<QPluginLoader*> m_loaders;
    QObject* m_mass = nullptr;
    QList<QObject*> m_plugins;
    QMap<QUuid, QPointer<QObject>> m_pluginsById;
    HostMoleculePeer* m_molecule = nullptr;
    HostDrawingPeer* m_drawing = nullptr;

    QUndoStack* m_undo = nullptr;
    THistoryContext m_history;
    TCanvasItemList m_selection;

    QList<TPluginDockWidgetFactory*> m_factories;
    QMap<QString, QDockWidget*> m_docks;
    QList<TScriptObjectFactory*> m_scriptFactories;
    QMap<QString, QObject*> m_scriptObjects;
    QMap<QString, QPointer<QAction>> m_registered;
    QMap<QString, QAction*> m_actions;
    QList<std::shared_ptr<UiDescription>> m_uis;
    QMap<QString, QMenu*> m_contextMenus;
    QPointer<QMenu> m_contextMenu;
    QList<QCursor> m_cursors;
    QUuid m_mouseMode;
    QActionGroup* m_modeGroup = nullptr;
    QPlainTextEdit* m_logView = nullptr;
    QString m_documentPath;
    bool m_refreshing = false;

    std::unique_ptr<ScriptHost> m_script;

    void* m_nmrHandle = nullptr;
    IDataProcLib* m_nmr = nullptr;
    Host m_nmrHost;
};

}  // namespace lumatra
