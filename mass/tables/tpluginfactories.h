// Dock factories the plug-in hands the host: TPluginDockWidgetFactory makes
// dock widgets by name and describes its docks; TBaseTableFactory adds a
// result table's Report and Copy actions, shared with every table it makes,
// and reports or copies through the host's dock of the table or, without
// one, through a hidden table made for that one call.
#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class IPluginHost;
class QAction;
class TCanvasItem;
class WPluginDockWidget;

struct TDockDescription {
    QString title;
    int firstFlags = 0;
    int secondFlags = 0;
    QString extra;
    QString group;
    int kind = 0;
};

class TPluginDockWidgetFactory : public QObject {
    Q_OBJECT

public:
    TPluginDockWidgetFactory(QObject* parent, IPluginHost* host, const QString& caption);

    // A new dock widget for the name (the caller owns it), or null.
    virtual WPluginDockWidget* createDockWidget(const QString& name) = 0;

    void registerDock(const char* name, const char* title, int firstFlags, int secondFlags, const QString& group,
                      int kind, const QString& extra);
    const QMap<QString, TDockDescription>& docks() const { return m_docks; }
    IPluginHost* host() const { return m_host; }
    const QString& caption() const { return m_caption; }

private:
    QMap<QString, TDockDescription> m_docks;
    IPluginHost* m_host;
    QString m_caption;
};

class TBaseTableFactory : public TPluginDockWidgetFactory {
    Q_OBJECT

public:
    TBaseTableFactory(QObject* parent, IPluginHost* host, const QString& caption, const QString& dockName);

    // Without the table's dock: both actions enabled exactly when there is
    // an active item. With it the table's refresh governs them.
    virtual void updateActions();
    virtual QString reportName(TCanvasItem* item) = 0;
    // The first selected item with the active flag, else the first.
    virtual TCanvasItem* activeItem();

    // A hidden table for one call, pointed at the active item; the caller
    // deletes it. Null when the factory makes no such dock.
    WPluginDockWidget* temporaryTable();

    static TBaseTableFactory* factoryForReportName(const QList<TBaseTableFactory*>& factories, const QString& name,
                                                   TCanvasItem* item);
    // The host's dock of the named table, else a temporary table (then
    // `temporary` is set and the caller deletes it).
    static WPluginDockWidget* tableFor(const QList<TBaseTableFactory*>& factories, const QString& name,
                                       TCanvasItem* item, bool& temporary);

    QAction* reportAction() const { return m_reportAction; }
    QAction* copyAction() const { return m_copyAction; }
    const QString& dockName() const { return m_dockName; }

public slots:
    virtual void onReport();
    virtual void onCopyToClipboard();

private:
    // The host's dock, else a temporary table; runs the table's slot.
    void runOnTable(const char* slot);

    QAction* m_reportAction;
    QAction* m_copyAction;
    QString m_dockName;
};
