// TMassMolMatchTable: the results of the current mass item's last molecule
// match, in the matcher's order: the molecule (painted by its page item),
// its formula, weight, whether it matched, the scores and the peak it
// matched. Selecting a matched row selects that result through a command;
// the report puts a copy of each selected row's molecule and a small table
// of its values on the page.
#pragma once

#include "tcelldelegates.h"
#include "tmasstablewidgettable.h"

#include <QIcon>

#include <functional>

class IMoleculePlugin;
class TMolecule;

// Role of the result index on a row's first cell. Role 32 also carries the
// formula's HTML and the match text, so the index keeps a role of its own:
// a moved Formula or Match column never makes a row select result 0.
constexpr int ResultIndexRole = Qt::UserRole + 3;

class TMassMolMatchTable : public TMassTableWidgetTable, public IGetMoleculeItem {
    Q_OBJECT

public:
    // The molecule peer may be null (formulas then read "N/A").
    TMassMolMatchTable(TEmptyPlugin* plugin, IMoleculePlugin* moleculePlugin, QAction* reportAction,
                       QAction* copyAction, QAction* matchAction, QAction* matchModeAction, QAction* optionsAction);

    // Run by the factory right after construction: the view, the three
    // host actions before the separator, no Delete.
    void setupView();

    void setItem(TCanvasItem* item) override;
    void refresh() override;
    QString columnName(int id) override;
    QString reportName() override;
    const char* settingsKey() override { return "MolMatch"; }
    int resultCount() override;
    QList<int> defaultColumnIds() override;
    void formatDefaultColumns() override;
    void fillCell(int row, int column, QTableWidgetItem* item) override;

    // IGetMoleculeItem: the first page item showing the molecule.
    QtCanvasItem* getMoleculeItem(const QUuid& moleculeId) override;

    bool skipNextRefresh() const { return m_skipNextRefresh; }
    TMoleculeItemDelegate* moleculeDelegate() const { return m_moleculeDelegate; }
    TRichTextDelegate* formulaDelegate() const { return m_formulaDelegate; }

public slots:
    void onDelete() override {}
    void onReport() override;
    void onMolMatchResultChanged(int row);

private:
    TMolecule* moleculeOf(const QUuid& moleculeId);

    bool m_skipNextRefresh = false;
    IMoleculePlugin* m_moleculePlugin;
    QIcon m_applyIcon;
    QIcon m_cancelIcon;
    TMoleculeItemDelegate* m_moleculeDelegate;
    TRichTextDelegate* m_formulaDelegate;
    QAction* m_matchAction;
    QAction* m_matchModeAction;
    QAction* m_optionsAction;
};
