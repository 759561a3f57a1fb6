// TMassElementCompositionTable: the candidate formulas of the current mass
// item's last elemental-composition run, in the calculator's order.
// Selecting a row shows that candidate's isotope cluster in the item (set
// directly, not as a command).
#pragma once

#include "tmasstablewidgettable.h"

#include <functional>

class TKSElementTable;

class TMassElementCompositionTable : public TMassTableWidgetTable {
    Q_OBJECT

public:
    // The element table comes through `elementTable`, which loads the
    // plug-in's table when it is first needed (a document read from a
    // file has results before any analysis loaded it); null or an empty
    // table makes every cluster computation fail.
    using ElementTableSource = std::function<const TKSElementTable*()>;
    TMassElementCompositionTable(TEmptyPlugin* plugin, ElementTableSource elementTable, QAction* reportAction,
                                 QAction* copyAction, QAction* constraintsAction);

    // Run by the factory right after construction: the view, the
    // constraints action before the separator, no Delete.
    void setupView();

    QString columnName(int id) override;
    QString reportName() override;
    const char* settingsKey() override { return "ElementComposition"; }
    int resultCount() override;
    QList<int> defaultColumnIds() override;
    void formatDefaultColumns() override;
    void fillCell(int row, int column, QTableWidgetItem* item) override;

public slots:
    void onDelete() override {}
    void onElementCompositionChanged(int row);

private:
    ElementTableSource m_elementTable;
    QAction* m_constraintsAction;
};
