// TBaseTable: the dock widget every result table derives from. It keeps
// the title, the tool bar (Report, Copy, Delete, Setup), the presentation
// settings with their storage under "<group> Tables/<key>", the keyboard
// handling of the view, the page item shown, and builds the HTML report and
// clipboard text of the rows (tbasetablereport.cpp). Model and view belong
// to the subclass and are reached through the virtual operations.
#pragma once

#include "ttablesettings.h"
#include "wplugindockwidget.h"

#include <QAction>
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QUuid>
#include <QVector>

class IDrawingTools;
class QAbstractItemView;
class QHeaderView;
class QMimeData;
class QToolBar;
class TEmptyPlugin;

class TBaseTable : public WPluginDockWidget {
    Q_OBJECT

public:
    TBaseTable(TEmptyPlugin* plugin, const QString& title, const QByteArray& group, QAction* reportAction,
               QAction* copyAction);

    void setItem(TCanvasItem* item) override;
    void refresh() override;

    virtual void setSettings(const TTableSettings& settings);
    virtual QString columnName(int id) = 0;
    virtual QString customText() { return QString(); }
    virtual QString reportName() = 0;
    virtual QStringList rowLabels() { return QStringList(); }
    virtual QAbstractItemView* view() = 0;
    virtual QList<int> selectedRows() = 0;
    virtual void formatDefaultColumns() = 0;
    virtual int currentSettingsIndex() { return 0; }
    virtual void addClipboardFormats(QMimeData*) {}
    virtual TTableSettings currentSettings();
    virtual const char* settingsKey() = 0;
    virtual int resultCount() = 0;
    virtual int rowCount() = 0;
    virtual int subRowCount(int row) = 0;
    virtual QString cellText(int row, int column, int subRow) = 0;
    virtual int columnCount() = 0;
    virtual bool compactSubRows() { return false; }
    virtual QList<QStringList> headerGroups() { return {}; }
    virtual bool allowsNumbering() { return true; }
    virtual bool skipsColumn(int) { return false; }
    virtual int settingsSetCount() { return 1; }
    virtual QHeaderView* headerView() = 0;
    virtual void setHeaderLabels(const QStringList& labels) = 0;
    virtual void setColumnHidden(int column, bool hidden) = 0;
    virtual QList<int> defaultColumnIds() = 0;

    // The page item shown: looked up by its id among the host's items, else
    // the kept pointer while it is still one of them; null otherwise.
    TCanvasItem* item();
    const QUuid& itemId() const { return m_itemId; }

    bool loadSettings();
    void saveSettings();
    void resetSettings();
    void resetColumns();
    void applySettingsToView();
    QStringList defaultColumnNames();
    int defaultColumnCount() { return defaultColumnIds().size(); }
    void removeToolBarAction(QAction* action);
    // "<group> Tables/<settingsKey>".
    QString settingsPath();

    // Reports and clipboard.
    void askSelectedOnly(const QString& verb);
    QString reportHtml();
    QString clipboardText();
    void sendReportToDrawingTools(const QString& html);
    QString fontTemplate(bool bold);
    static void escapeHtml(QString& text);
    static QString alignmentName(int alignment);
    int reportLineCount();
    static QList<int> blockSizes(int lines);
    QString headerHtml(int columnSpan, const QStringList& names);
    QString rowHtml(int row, const QStringList& rowLabels);

    const QString& title() const { return m_title; }
    const QByteArray& group() const { return m_group; }
    TEmptyPlugin* plugin() const { return m_plugin; }
    IDrawingTools* drawingTools() const { return m_drawingTools; }
    QToolBar* toolBar() const { return m_toolBar; }
    QAction* reportAction() const { return m_reportAction; }
    QAction* copyAction() const { return m_copyAction; }
    QAction* deleteAction() const { return m_deleteAction; }
    QAction* setupAction() const { return m_setupAction; }
    QAction* toolBarSeparator() const { return m_toolBarSeparator; }
    const QVector<TTableSettings>& settingsSets() const { return m_settingsSets; }

    QSize sizeHint() const override { return QSize(300, 285); }

public slots:
    virtual void onDelete() = 0;
    virtual void onReport();
    void onCopyToClipboard();
    // The Setup dialog: on OK the edited settings are applied and stored.
    void onShowSettings();
    void onShowMenu();

protected:
    // Once the subclass has made its view: tool bar, layout, key filter,
    // settings loaded or made from the defaults.
    void setupTable();

private:
    IPluginHost* m_host;
    IDrawingTools* m_drawingTools = nullptr;
    TEmptyPlugin* m_plugin;
    QToolBar* m_toolBar = nullptr;
    QAction* m_reportAction;
    QAction* m_deleteAction = nullptr;
    QAction* m_copyAction;
    QAction* m_toolBarSeparator = nullptr;
    QAction* m_setupAction = nullptr;
    QString m_title;
    QUuid m_itemId;
    QVector<TTableSettings> m_settingsSets;
    QByteArray m_group;
    TCanvasItem* m_itemPointer = nullptr;
};

// The key filter of a table's view: the Delete key, Control then C (one
// copy, the key press swallowed) and the context-menu key. The key
// sequence is shared by the filters of all tables.
class TCaptureWidgetEvents : public QObject {
    Q_OBJECT

public:
    explicit TCaptureWidgetEvents(TBaseTable* table);
    bool eventFilter(QObject* object, QEvent* event) override;

    static QList<int>& keySequence();

private:
    TBaseTable* m_table;
};
