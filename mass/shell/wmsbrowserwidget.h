// WMSBrowserWidget: the dataset browser dock. It shows the dataset of the
// mass item the host hands it as a tree (injections; under each a
// "Functions" and a "Traces" group; under each function or trace the plots
// the item shows of it) and turns the user's choices into commands for the
// host: plot visibility, deleting a plot, the active function, a new
// chromatogram or spectrum, and pointing the item at another dataset file.
// Its own commands set skipRefresh, so that the refresh they cause leaves
// the tree as the user sees it.
#pragma once

#include "wplugindockwidget.h"

#include <QIcon>
#include <QPixmap>
#include <QUuid>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TCanvasMass;
class TChromatogramDataObj;
class TCommand;
class TKSChromatogram;
class TKSFunction;
class TKSMassSpectrum;
class TKSTrace;
class TMassDataObj;
class TMassDataServerHandler;

class WMSBrowserWidget : public WPluginDockWidget {
    Q_OBJECT

public:
    // Tree item types.
    enum ItemType { InjectionItem = 0, FunctionsGroupItem = 1, FunctionItem = 2, TracesGroupItem = 3, TraceItem = 4,
                    PlotItem = 5 };
    // Data roles of column 0: the index, the information text, the plot id.
    enum Role { IndexRole = Qt::UserRole, InfoRole = Qt::UserRole + 1, PlotIdRole = Qt::UserRole + 2 };

    WMSBrowserWidget(TMassDataServerHandler* dataServer, IPluginHost* host);

    void setItem(TCanvasItem* item) override;
    void refresh() override;
    bool acceptsItem(TCanvasItem* item) override;

    // The shown mass item: found by its id among the host's items, else
    // the kept pointer while the host still lists it; null otherwise.
    TCanvasMass* massItem();

    static QString functionInfoText(TKSFunction* function);
    static QString chromatogramInfoText(const TKSChromatogram& chromatogram);
    static QString spectrumInfoText(const TKSMassSpectrum& spectrum);
    static QString traceInfoText(TKSTrace* trace);
    // "MS Dataset (*.<suffix>);;All Files (*.*)", or the second part alone
    // for a path without suffix.
    static QString datasetFileFilter(const QString& path);

    const QUuid& itemId() const { return m_itemId; }
    bool skipRefresh() const { return m_skipRefresh; }
    int visiblePlotCount() const { return m_visiblePlotCount; }

private slots:
    void on_treeWidget_currentItemChanged(QTreeWidgetItem* aCurItm);
    void on_treeWidget_itemChanged(QTreeWidgetItem* aItem, int aColumn);
    void on_btnFile_clicked();
    void on_btnChrom_clicked();
    void on_btnSpec_clicked();
    void on_btnDel_clicked();
    void on_btnActive_clicked();

private:
    void setupForm();
    void setupInfoPanel();
    void rebuildTree();
    void addPlotItems(QTreeWidgetItem* parent, TCanvasMass* mass, int injection, int index, bool byFunction);
    QTreeWidgetItem* addPlotItem(QTreeWidgetItem* parent, TMassDataObj* object, bool visible);
    void addChromatogramPlot(TChromatogramDataObj* object, QTreeWidgetItem* parent, TCommand* leading);
    // The current function item (a plot under a function gives the
    // function), or null.
    QTreeWidgetItem* currentFunctionItem() const;
    // Hands one of the browser's own commands to the host.
    void execute(TCommand* command);

    QPixmap m_okPixmap;
    QPixmap m_missingPixmap;
    QIcon m_activeIcon;
    QGroupBox* gbSource = nullptr;
    QLineEdit* leFile = nullptr;
    QLabel* lbFileStatus = nullptr;
    QPushButton* btnFile = nullptr;
    QGroupBox* gbBrowser = nullptr;
    QFrame* frmToolbar = nullptr;
    QToolButton* btnChrom = nullptr;
    QToolButton* btnSpec = nullptr;
    QToolButton* btnActive = nullptr;
    QToolButton* btnDel = nullptr;
    QTreeWidget* treeWidget = nullptr;
    QGroupBox* gbInfo = nullptr;
    TMassDataServerHandler* m_dataServer;
    QUuid m_itemId;
    TCanvasItem* m_item = nullptr;
    bool m_skipRefresh = false;
    int m_visiblePlotCount = 0;
    QScrollArea* m_infoScroll = nullptr;
    QLabel* m_infoLabel = nullptr;
};
