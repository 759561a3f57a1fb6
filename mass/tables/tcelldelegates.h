// Cell delegates of the mass tables: a molecule painted by the page item
// that shows it, and HTML text (formulas with subscripts).
#pragma once

#include <QItemDelegate>
#include <QUuid>

class QtCanvasItem;

// Finds the page item that shows a molecule.
class IGetMoleculeItem {
public:
    virtual ~IGetMoleculeItem() = default;
    // The page item showing the molecule with that object id, or null.
    virtual QtCanvasItem* getMoleculeItem(const QUuid& moleculeId) = 0;
};

// Role of a cell's molecule id (QUuid text).
constexpr int MoleculeIdRole = Qt::UserRole + 2;

// Paints the molecule of a cell's role 34 through its page item, fitted
// into the cell with the item's aspect ratio; nothing when the item is gone.
class TMoleculeItemDelegate : public QItemDelegate {
    Q_OBJECT

public:
    TMoleculeItemDelegate(QObject* parent, IGetMoleculeItem* moleculeSource);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    IGetMoleculeItem* m_moleculeSource;
};

// Paints the HTML of a cell's role 32, vertically centred, with the
// alignment of its role 7.
class TRichTextDelegate : public QItemDelegate {
    Q_OBJECT

public:
    explicit TRichTextDelegate(QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
