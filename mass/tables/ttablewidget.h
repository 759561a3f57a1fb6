// The view of the table-widget tables and its items. Every item carries a
// sort key in role 33 (its row when made, its number in numeric cells), so
// text columns sort in result order and numeric columns by value.
#pragma once

#include <QTableWidget>
#include <QTableWidgetItem>

// Role of a cell's sort key.
constexpr int SortKeyRole = Qt::UserRole + 1;

class TTableWidget : public QTableWidget {
    Q_OBJECT

public:
    using QTableWidget::QTableWidget;
};

class TTableWidgetItem : public QTableWidgetItem {
public:
    // The tables pass the item's column as its type.
    explicit TTableWidgetItem(int type)
        : QTableWidgetItem(type)
    {
    }

    // By the sort keys when both have one, else by text.
    bool operator<(const QTableWidgetItem& other) const override;

    // Decimal digits as text, the number as sort key; on any item.
    static void setNumber(QTableWidgetItem* item, int value);
    // Fixed notation with `decimals` digits (clamped to the Setup dialog's
    // range) as text, the number as sort key.
    static void setNumber(QTableWidgetItem* item, double value, int decimals);
};
