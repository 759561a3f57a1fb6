#include "tmasselementcompositiontable.h"

#include "ipluginhost.h"
#include "tcanvasmass.h"
#include "tmassdataobj.h"

#include <QToolBar>

namespace {

constexpr int kCompositionColumns = 7;
const char* const kCompositionTitles[kCompositionColumns] = {
    QT_TRANSLATE_NOOP("TMassElementCompositionTable", "Formula"),
    QT_TRANSLATE_NOOP("TMassElementCompositionTable", "Calculated Mass"),
    QT_TRANSLATE_NOOP("TMassElementCompositionTable", "Double Bond Equivalence"),
    QT_TRANSLATE_NOOP("TMassElementCompositionTable", "Absolute Error (ppm)"),
    QT_TRANSLATE_NOOP("TMassElementCompositionTable", "Error (mDa)"),
    QT_TRANSLATE_NOOP("TMassElementCompositionTable", "Error (ppm)"),
    QT_TRANSLATE_NOOP("TMassElementCompositionTable", "Fitness")};
// Default decimals of the numeric ids 1 to 6.
const int kCompositionDecimals[kCompositionColumns] = {0, 5, 1, 2, 2, 2, 3};

double compositionValue(const TKSCompositionResult& r, int id)
{
    switch (id) {
    case 1: return r.getCalculatedMass();
    case 2: return r.getDoubleBondEquivalent();
    case 3: return r.getAbsoluteError();
    case 4: return r.getmDaError();
    case 5: return r.getppmError();
    default: return r.getFitness();
    }
}

}  // namespace

TMassElementCompositionTable::TMassElementCompositionTable(TEmptyPlugin* plugin, ElementTableSource elementTable,
                                                           QAction* reportAction, QAction* copyAction,
                                                           QAction* constraintsAction)
    : TMassTableWidgetTable(plugin, tr("Elemental Composition"), reportAction, copyAction)
    , m_elementTable(std::move(elementTable))
    , m_constraintsAction(constraintsAction)
{
    setObjectName("MassElementCompositionTable");
}

void TMassElementCompositionTable::setupView()
{
    createView();
    if (m_constraintsAction)
        toolBar()->insertAction(toolBarSeparator(), m_constraintsAction);
    removeToolBarAction(deleteAction());
    removeToolBarAction(toolBarSeparator());
    connect(tableWidget(), SIGNAL(currentCellChanged(int, int, int, int)), this,
            SLOT(onElementCompositionChanged(int)));
}

QString TMassElementCompositionTable::columnName(int id)
{
    return id >= 0 && id < kCompositionColumns ? tr(kCompositionTitles[id]) : QString();
}

QString TMassElementCompositionTable::reportName()
{
    TCanvasMass* m = massItem();
    return m ? "Elem.Comp.," + m->subtype() : QString();
}

int TMassElementCompositionTable::resultCount()
{
    TCanvasMass* m = massItem();
    return m ? static_cast<int>(m->elementComposition().calculator().getResults().size()) : 0;
}

QList<int> TMassElementCompositionTable::defaultColumnIds()
{
    if (!massItem())
        return {};
    return {0, 1, 2, 3, 4, 5, 6};
}

void TMassElementCompositionTable::formatDefaultColumns()
{
    if (!massItem())
        return;
    TTableSettings s = currentSettings();
    for (int id = 1; id < kCompositionColumns; ++id) {
        const int i = s.indexOfColumnId(id);
        if (i < 0)
            continue;
        s.columns[i].decimals = kCompositionDecimals[id];
        s.columns[i].numeric = true;
    }
    setSettings(s);
}

void TMassElementCompositionTable::fillCell(int row, int column, QTableWidgetItem* item)
{
    TCanvasMass* m = massItem();
    if (!m)
        return;
    const auto& results = m->elementComposition().calculator().getResults();
    if (row < 0 || row >= static_cast<int>(results.size()))
        return;
    const TTableSettings s = currentSettings();
    if (column < 0 || column >= s.columns.size())
        return;
    const TTableColumn& c = s.columns.at(column);
    if (column == 0)
        item->setData(Qt::UserRole, row);
    const TKSCompositionResult& r = results[static_cast<size_t>(row)];
    if (c.id == 0)
        item->setText(QString::fromStdWString(r.getFormula()));
    else if (c.id > 0 && c.id < kCompositionColumns)
        TTableWidgetItem::setNumber(item, compositionValue(r, c.id), c.decimals);
}

void TMassElementCompositionTable::onElementCompositionChanged(int row)
{
    TCanvasMass* m = massItem();
    if (!m)
        return;
    TTableWidget* view = tableWidget();
    if (row < 0 || !view || row >= view->rowCount()) {
        m->setIsotopeClusterSpectrum(nullptr);
        return;
    }
    const TMassElementComposition& state = m->elementComposition();
    const auto& results = state.calculator().getResults();
    const QTableWidgetItem* cell = view->item(row, 0);
    bool ok = false;
    const int index = cell ? cell->data(Qt::UserRole).toInt(&ok) : -1;
    if (!ok || index < 0 || index >= static_cast<int>(results.size())) {
        m->setIsotopeClusterSpectrum(nullptr);
        return;
    }
    // The id names a spectrum object when the composition ran; a
    // chromatogram found under it is not read as a spectrum.
    TMassSpecDataObj* spectrum = TMassSpecDataObj::cast(m->dataObject(state.spectrumId()));
    if (!spectrum) {
        m->setIsotopeClusterSpectrum(nullptr);
        return;
    }
    TKSIsotopeCluster cluster;
    cluster.setElementTable(m_elementTable ? m_elementTable() : nullptr);
    TKSMassSpectrum clusterSpectrum;
    const TKSCompositionConstraints& constraints = state.calculator().getConstraints();
    if (!cluster.compute(results[static_cast<size_t>(index)].getFormula(), constraints.getAdduct(),
                         constraints.getChargeState(), spectrum->peakWidth(), true, clusterSpectrum))
        return;
    m->setIsotopeClusterSpectrum(new TMassSpecDataObj(spectrum->id(), clusterSpectrum, 2));
    if (host())
        host()->repaintItem(m, 0);
}
