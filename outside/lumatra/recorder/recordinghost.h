// RecordingHost: the host application as the plug-in's tests see it. It
// implements IPluginHost over one page (a chunked canvas, RecordingCanvas)
// and keeps a journal of every call made into it and into its two peer
// plug-ins, one line per call ("operation(arguments) -> answer"), items
// written as their type codes ("[112, 110]").
//
// What it keeps (README.md, "Recording host"): the page and its items
// (owned), the selection (items leaving the page leave it too), the log
// object (one per process, as the plug-in keeps the first one for good),
// the plug-in objects it knows by identifier (not owned) and the two
// peers (owned, removable), the undo stack of the commands handed to
// executeCommand with the document's history context (below), the dock
// factories, script factories and named script objects, registered
// actions, the cursor stack and the current mouse mode.
//
// Undo stack: executeCommand ignores null; otherwise it drops and deletes
// the commands undone so far, runs the new one (redo, then recordHistory
// with the history context) and keeps it. undo() runs the newest done
// command's undo and removeHistory, redo() the oldest undone one's redo and
// restoreHistory. The stack owns its commands and deletes them when the
// host goes, before the page; the history context owns the records in it.
//
// View: a fixed transform between the spaces of mapPoint: the page origin
// sits at `origin` of the view widget (space 0) and page units are scaled
// by `scale`; space 2 is the view's contents (widget point minus origin),
// space 3 the page (contents divided by scale). The widget is `viewSize`
// large. Defaults: scale 0.25, origin (20, 20), 800 x 600.
#pragma once

#include "ipluginhost.h"
#include "peers.h"
#include "recordingcanvas.h"
#include "tcanvasitem.h"
#include "tcommand.h"

#include <QAction>
#include <QCursor>
#include <QMap>
#include <QPointF>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace lumatra {

// "112", "null", "[112, 110]".
QString describeItem(const TCanvasItem* item);
QString describeItems(const TCanvasItemList& items);

class RecordingHost : public IPluginHost {
public:
    // An A4 page at 300 per inch by default.
    explicit RecordingHost(int pageWidth = 2480, int pageHeight = 3508, int chunkSize = 16);
    ~RecordingHost() override;
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    // IPluginHost (each call journaled).
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

    // The journal.
    const QStringList& journal() const { return m_journal; }
    // The lines of one operation ("setSelectedItems", "molecule.createMoleculeItem").
    QStringList calls(const QString& operation) const;
    void clearJournal() { m_journal.clear(); }
    void record(const QString& line) { m_journal.append(line); }

    // The page. Items put on it belong to it (not journaled).
    RecordingCanvas& page() { return *m_page; }
    void addItem(TCanvasItem* item);
    // An item left the page (called by the page).
    void forgetItem(const QtCanvasItem* item);
    int itemsChangedCount() const { return m_itemsChanged; }

    // Plug-in objects by their IPluginInfo identifier (not owned). load
    // also registers the plug-in with this host.
    void addPlugin(QObject* plugin);
    void loadPlugin(QObject* plugin);
    void removePlugin(QObject* plugin);
    // The peers; a removed peer is deleted and findPlugin answers null.
    MoleculePeer* moleculePeer() const { return m_molecule; }
    DrawingPeer* drawingPeer() const { return m_drawing; }
    void removeMoleculePeer();
    void removeDrawingPeer();

    // The view of mapPoint, viewRect and currentView.
    void setView(double scale, const QPointF& origin, const QSize& viewSize);
    void setDialogParent(QWidget* parent) { m_dialogParent = parent; }

    // The undo stack, oldest first; the first doneCount() of them are done.
    const QList<TCommand*>& commands() const { return m_commands; }
    int doneCount() const { return m_done; }
    // False when there is nothing to undo (redo).
    bool undo();
    bool redo();
    THistoryContext& history() { return m_history; }

    // What the plug-in handed over.
    QList<TPluginDockWidgetFactory*> factories() const { return m_factories; }
    QList<TScriptObjectFactory*> scriptFactories() const { return m_scriptFactories; }
    QObject* scriptObject(const QString& name) const { return m_scriptObjects.value(name); }
    QAction* registeredAction(const QString& name) const { return m_actions.value(name); }
    // A host action of that object name (owned by the host).
    QAction* addHostAction(const QString& name);
    // A dock the host shows under the name (not owned).
    void setDock(const QString& name, WPluginDockWidget* dock) { m_docks.insert(name, dock); }
    int cursorDepth() const { return m_cursors.size(); }
    QCursor currentCursor() const { return m_cursors.isEmpty() ? QCursor() : m_cursors.last(); }

    // The process-wide log object and what was written into it.
    static TPluginLog* processLog();
    static QString logText();
    static void clearLog();

private:
    std::unique_ptr<RecordingCanvas> m_page;
    QStringList m_journal;
    TCanvasItemList m_selection;
    int m_itemsChanged = 0;
    QMap<QUuid, QPointer<QObject>> m_plugins;
    MoleculePeer* m_molecule = nullptr;
    DrawingPeer* m_drawing = nullptr;
    double m_scale = 0.25;
    QPointF m_origin{20, 20};
    QSize m_viewSize{800, 600};
    QPointer<QWidget> m_dialogParent;
    QList<TCommand*> m_commands;
    int m_done = 0;
    THistoryContext m_history;
    QList<TPluginDockWidgetFactory*> m_factories;
    QList<TScriptObjectFactory*> m_scriptFactories;
    QMap<QString, QObject*> m_scriptObjects;
    QMap<QString, QPointer<QAction>> m_actions;
    QMap<QString, QAction*> m_hostActions;
    QMap<QString, bool> m_dockVisible;
    QMap<QString, WPluginDockWidget*> m_docks;
    QList<QCursor> m_cursors;
    QUuid m_mouseMode;
};

}  // namespace lumatra
