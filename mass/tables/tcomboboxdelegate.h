// TComboBoxDelegate: edits one row, one column or every cell of a view with
// a combo box of fixed choices; the other cells get the standard editors,
// spin boxes limited to a range.
#pragma once

#include "tvaluerange.h"

#include <QItemDelegate>
#include <QStringList>

class TComboBoxDelegate : public QItemDelegate {
    Q_OBJECT

public:
    // mode 0: the combo box is for row `index`; 1: for column `index`;
    // any other value: for every cell.
    TComboBoxDelegate(const QStringList& items, int mode, int index, const TValueRange& range,
                      QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    bool isComboCell(const QModelIndex& index) const;

private:
    QStringList m_items;
    int m_index;
    TValueRange m_range;
    int m_mode;
};
