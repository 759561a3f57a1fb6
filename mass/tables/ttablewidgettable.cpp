#include "ttablewidgettable.h"

#include <QHeaderView>
#include <QLayout>

#include <algorithm>

TTableWidgetTable::TTableWidgetTable(TEmptyPlugin* plugin, const QString& title, const QByteArray& group,
                                     QAction* reportAction, QAction* copyAction)
    : TBaseTable(plugin, title, group, reportAction, copyAction)
{
}

void TTableWidgetTable::createView()
{
    m_tableWidget = new TTableWidget(this);
    m_tableWidget->setAlternatingRowColors(true);
    setupTable();
    m_tableWidget->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tableWidget->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tableWidget->horizontalHeader()->setSectionsMovable(false);
    // Results come in their own order until the user sorts (a new header
    // would sort column 0 descending).
    m_tableWidget->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    layout()->addWidget(m_tableWidget);
    connect(m_tableWidget, &QTableWidget::itemSelectionChanged, this, &TTableWidgetTable::onSelectionChanged);
}

void TTableWidgetTable::refresh()
{
    TBaseTable::refresh();
    if (!m_tableWidget)
        return;
    m_tableWidget->setSortingEnabled(false);
    // The sort indicator as it stands now: changing the column count below
    // moves or drops it inside the header.
    QHeaderView* header = m_tableWidget->horizontalHeader();
    int sortSection = header->sortIndicatorSection();
    Qt::SortOrder sortOrder = header->sortIndicatorOrder();
    if (m_pendingSort) {
        sortSection = m_pendingSortSection;
        sortOrder = m_pendingSortOrder;
        m_pendingSort = false;
    }
    TTableSettings s = currentSettings();
    if (!defaultColumnIds().isEmpty() && s.columns.isEmpty()) {
        resetColumns();
        s = currentSettings();
    }
    const int columns = s.columns.size();
    const int results = resultCount();
    m_tableWidget->clear();
    if (m_tableWidget->columnCount() != columns)
        m_tableWidget->setColumnCount(0);
    m_tableWidget->setColumnCount(results == 0 ? 0 : columns);
    m_tableWidget->setRowCount(results);

    const bool rows = m_tableWidget->rowCount() > 0;
    if (reportAction())
        reportAction()->setEnabled(rows);
    if (copyAction())
        copyAction()->setEnabled(reportAction() ? reportAction()->isEnabled() : rows);
    if (setupAction())
        setupAction()->setEnabled(rows);

    applySettingsToView();
    const bool blocked = m_tableWidget->blockSignals(true);
    if (results > 0) {
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < results; ++r) {
                auto* item = new TTableWidgetItem(c);
                item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
                item->setData(SortKeyRole, r);
                m_tableWidget->setItem(r, c, item);
                fillCell(r, c, item);
            }
    }
    applyColumnAlignment();
    m_tableWidget->blockSignals(blocked);
    header->setSortIndicator(sortSection, sortOrder);
    if (m_sortable) {
        m_tableWidget->setSortingEnabled(true);
        m_tableWidget->sortItems(sortSection, sortOrder);
    }
    m_tableWidget->resizeColumnsToContents();
    m_tableWidget->resizeRowsToContents();
}

void TTableWidgetTable::setSortIndicator(int section, Qt::SortOrder order)
{
    m_pendingSort = true;
    m_pendingSortSection = section;
    m_pendingSortOrder = order;
    if (m_tableWidget)
        m_tableWidget->horizontalHeader()->setSortIndicator(section, order);
}

void TTableWidgetTable::applyColumnAlignment()
{
    if (!m_tableWidget)
        return;
    const TTableSettings s = currentSettings();
    const int results = resultCount();
    for (int c = 0; c < s.columns.size(); ++c)
        for (int r = 0; r < results; ++r)
            if (QTableWidgetItem* item = m_tableWidget->item(r, c))
                item->setTextAlignment(s.columns[c].alignment | Qt::AlignVCenter);
}

void TTableWidgetTable::onSelectionChanged()
{
    if (deleteAction() && m_tableWidget)
        deleteAction()->setEnabled(!m_tableWidget->selectedItems().isEmpty());
}

QList<int> TTableWidgetTable::selectedRows()
{
    QList<int> rows;
    if (!m_tableWidget || !m_tableWidget->selectionModel())
        return rows;
    for (const QModelIndex& index : m_tableWidget->selectionModel()->selectedIndexes())
        if (index.row() >= 0 && index.column() >= 0 && index.model() && !rows.contains(index.row()))
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TTableWidgetTable::rowCount()
{
    return m_tableWidget ? m_tableWidget->rowCount() : 0;
}

QString TTableWidgetTable::cellText(int row, int column, int)
{
    const QTableWidgetItem* item = m_tableWidget ? m_tableWidget->item(row, column) : nullptr;
    return item ? item->text() : QString();
}

int TTableWidgetTable::columnCount()
{
    return m_tableWidget ? m_tableWidget->columnCount() : 0;
}

QHeaderView* TTableWidgetTable::headerView()
{
    return m_tableWidget ? m_tableWidget->horizontalHeader() : nullptr;
}

void TTableWidgetTable::setHeaderLabels(const QStringList& labels)
{
    if (m_tableWidget)
        m_tableWidget->setHorizontalHeaderLabels(labels);
}

void TTableWidgetTable::setColumnHidden(int column, bool hidden)
{
    if (m_tableWidget)
        m_tableWidget->setColumnHidden(column, hidden);
}
