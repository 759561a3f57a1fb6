// TTableWidgetTable: a result table shown in a TTableWidget. The concrete
// table gives the result count, the columns and how one cell is filled;
// filling, sorting (kept across refreshes) and selection are done here.
#pragma once

#include "tbasetable.h"
#include "ttablewidget.h"

class TTableWidgetTable : public TBaseTable {
    Q_OBJECT

public:
    TTableWidgetTable(TEmptyPlugin* plugin, const QString& title, const QByteArray& group, QAction* reportAction,
                      QAction* copyAction);

    void refresh() override;
    QAbstractItemView* view() override { return m_tableWidget; }
    QList<int> selectedRows() override;
    int rowCount() override;
    int subRowCount(int) override { return 0; }
    QString cellText(int row, int column, int subRow) override;
    int columnCount() override;
    QHeaderView* headerView() override;
    void setHeaderLabels(const QStringList& labels) override;
    void setColumnHidden(int column, bool hidden) override;
    // The value of result `row` for view column `column` (the position in
    // the current settings' columns).
    virtual void fillCell(int row, int column, QTableWidgetItem* item) = 0;

    void applyColumnAlignment();
    TTableWidget* tableWidget() const { return m_tableWidget; }
    bool sortable() const { return m_sortable; }
    void setSortable(bool on) { m_sortable = on; }

public slots:
    void onSelectionChanged();

protected:
    // Makes the view, then the base's tool bar and settings; the concrete
    // table's view setup calls this.
    void createView();
    // The header's sort indicator, also for the next refresh, whose new
    // column count would otherwise move it.
    void setSortIndicator(int section, Qt::SortOrder order);

private:
    bool m_pendingSort = false;
    int m_pendingSortSection = 0;
    Qt::SortOrder m_pendingSortOrder = Qt::AscendingOrder;
    TTableWidget* m_tableWidget = nullptr;
    bool m_sortable = true;
};
