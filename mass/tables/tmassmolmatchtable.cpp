#include "tmassmolmatchtable.h"

#include "ipeers.h"
#include "ipluginhost.h"
#include "massutils.h"
#include "qtcanvas.h"
#include "tcanvasmass.h"
#include "tcmdanalysis.h"
#include "tcmdplotobject.h"
#include "tmolecule.h"

#include <QMap>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr int kMatchColumns = 9;
const char* const kMatchTitles[kMatchColumns] = {
    QT_TRANSLATE_NOOP("TMassMolMatchTable", "Molecule"),   QT_TRANSLATE_NOOP("TMassMolMatchTable", "Formula"),
    QT_TRANSLATE_NOOP("TMassMolMatchTable", "Molecular Weight"), QT_TRANSLATE_NOOP("TMassMolMatchTable", "Match"),
    QT_TRANSLATE_NOOP("TMassMolMatchTable", "Match Score"), QT_TRANSLATE_NOOP("TMassMolMatchTable", "Similarity"),
    QT_TRANSLATE_NOOP("TMassMolMatchTable", "MS Purity"),  QT_TRANSLATE_NOOP("TMassMolMatchTable", "RT"),
    QT_TRANSLATE_NOOP("TMassMolMatchTable", "Scan")};

// The template filled once every other placeholder is: a "%" in a value
// stays as it is.
QString fillTemplate(const QString& templ, const QString& text)
{
    QString out = templ;
    return out.replace("%1", text);
}

}  // namespace

TMassMolMatchTable::TMassMolMatchTable(TEmptyPlugin* plugin, IMoleculePlugin* moleculePlugin, QAction* reportAction,
                                       QAction* copyAction, QAction* matchAction, QAction* matchModeAction,
                                       QAction* optionsAction)
    : TMassTableWidgetTable(plugin, tr("Molecule Match"), reportAction, copyAction)
    , m_moleculePlugin(moleculePlugin)
    , m_applyIcon(":/images/apply.png")
    , m_cancelIcon(":/images/cancel.png")
    , m_moleculeDelegate(new TMoleculeItemDelegate(this, this))
    , m_formulaDelegate(new TRichTextDelegate(this))
    , m_matchAction(matchAction)
    , m_matchModeAction(matchModeAction)
    , m_optionsAction(optionsAction)
{
    setObjectName("MassMolMatchTable");
}

void TMassMolMatchTable::setupView()
{
    createView();
    for (QAction* a : {m_matchAction, m_matchModeAction, m_optionsAction})
        if (a)
            toolBar()->insertAction(toolBarSeparator(), a);
    removeToolBarAction(deleteAction());
    removeToolBarAction(toolBarSeparator());
    connect(tableWidget(), SIGNAL(currentCellChanged(int, int, int, int)), this, SLOT(onMolMatchResultChanged(int)));
}

void TMassMolMatchTable::setItem(TCanvasItem* item)
{
    // A refresh skipped for the previous item's command must not hold back
    // the first refresh of another item.
    if (item && acceptsItem(item) && item->ownId() != itemId())
        m_skipNextRefresh = false;
    TMassTableWidgetTable::setItem(item);
}

void TMassMolMatchTable::refresh()
{
    if (m_skipNextRefresh) {
        m_skipNextRefresh = false;
        return;
    }
    TMassTableWidgetTable::refresh();
    TTableWidget* view = tableWidget();
    if (!view)
        return;
    const TTableSettings s = currentSettings();
    for (int c = 0; c < s.columns.size(); ++c) {
        const int id = s.columns.at(c).id;
        if (id == 0)
            view->setItemDelegateForColumn(c, m_moleculeDelegate);
        else if (id == 1)
            view->setItemDelegateForColumn(c, m_formulaDelegate);
        else if (view->itemDelegateForColumn(c))
            view->setItemDelegateForColumn(c, nullptr);
    }
    view->resizeColumnsToContents();
    view->resizeRowsToContents();
}

QString TMassMolMatchTable::columnName(int id)
{
    return id >= 0 && id < kMatchColumns ? tr(kMatchTitles[id]) : QString();
}

QString TMassMolMatchTable::reportName()
{
    TCanvasMass* m = massItem();
    return m ? "Mol.Match," + m->subtype() : QString();
}

int TMassMolMatchTable::resultCount()
{
    TCanvasMass* m = massItem();
    return m ? static_cast<int>(m->moleculeMatch().matcher().getResults().size()) : 0;
}

QList<int> TMassMolMatchTable::defaultColumnIds()
{
    if (!massItem())
        return {};
    QList<int> ids;
    for (int id = 0; id < kMatchColumns; ++id)
        ids.append(id);
    return ids;
}

void TMassMolMatchTable::formatDefaultColumns()
{
    if (!massItem())
        return;
    TTableSettings s = currentSettings();
    const QMap<int, int> decimals{{2, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 2}};
    for (auto it = decimals.begin(); it != decimals.end(); ++it) {
        const int i = s.indexOfColumnId(it.key());
        if (i < 0)
            continue;
        s.columns[i].decimals = it.value();
        s.columns[i].numeric = true;
    }
    setSettings(s);
}

QtCanvasItem* TMassMolMatchTable::getMoleculeItem(const QUuid& moleculeId)
{
    return host() ? host()->allItems().itemByObjectId(moleculeId) : nullptr;
}

TMolecule* TMassMolMatchTable::moleculeOf(const QUuid& moleculeId)
{
    if (!m_moleculePlugin)
        return nullptr;
    QtCanvasItem* item = getMoleculeItem(moleculeId);
    // The peer is asked only about items that exist.
    return item ? m_moleculePlugin->moleculeOfItem(static_cast<TCanvasItem*>(item)) : nullptr;
}

void TMassMolMatchTable::fillCell(int row, int column, QTableWidgetItem* item)
{
    TCanvasMass* m = massItem();
    if (!m)
        return;
    const auto& results = m->moleculeMatch().matcher().getResults();
    if (row < 0 || row >= static_cast<int>(results.size()))
        return;
    const TKSMoleculeMatchResult2& r = results[static_cast<size_t>(row)];
    const TTableSettings s = currentSettings();
    if (column < 0 || column >= s.columns.size())
        return;
    const TTableColumn& c = s.columns.at(column);
    const QUuid moleculeId(QString::fromStdWString(r.getMoleculeId()));
    const bool matched = r.getIsMatched();
    if (column == 0) {
        item->setData(ResultIndexRole, row);
        if (c.id != 1 && c.id != 3)
            item->setData(Qt::UserRole, row);
    }
    switch (c.id) {
    case 0:
        item->setData(MoleculeIdRole, moleculeId.toString());
        break;
    case 1: {
        const TMolecule* molecule = moleculeOf(moleculeId);
        const QString formula = molecule ? molecule->formula() : tr("N/A");
        item->setText(formula);
        item->setData(Qt::UserRole, formulaToHtml(formula, false));
        item->setData(Qt::TextAlignmentRole, c.alignment);
        break;
    }
    case 2:
        if (const TMolecule* molecule = moleculeOf(moleculeId))
            TTableWidgetItem::setNumber(item, molecule->molecularWeight(), c.decimals);
        break;
    case 3:
        item->setData(Qt::UserRole, matched ? tr("Yes") : tr("No"));
        item->setIcon(matched ? m_applyIcon : m_cancelIcon);
        break;
    case 4:
        TTableWidgetItem::setNumber(item, matched ? r.getMatchScore() : 0.0, c.decimals);
        break;
    case 5:
        TTableWidgetItem::setNumber(item, matched ? r.getSimilarityScore() : 0.0, c.decimals);
        break;
    case 6:
        TTableWidgetItem::setNumber(item, matched ? r.getPurityScore() : 0.0, c.decimals);
        break;
    case 7:
        if (matched)
            TTableWidgetItem::setNumber(item, r.getChromatogramPeak().apexRT, c.decimals);
        break;
    case 8:
        if (matched)
            TTableWidgetItem::setNumber(item, r.getChromatogramPeak().scan + 1);
        break;
    default:
        break;
    }
    if (!matched && c.id > 3)
        item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
}

void TMassMolMatchTable::onMolMatchResultChanged(int row)
{
    TTableWidget* view = tableWidget();
    TCanvasMass* m = massItem();
    if (!m || !view || row < 0 || row >= view->rowCount())
        return;
    const QTableWidgetItem* cell = view->item(row, 0);
    bool ok = false;
    const int index = cell ? cell->data(ResultIndexRole).toInt(&ok) : -1;
    const auto& results = m->moleculeMatch().matcher().getResults();
    if (!ok || index < 0 || index >= static_cast<int>(results.size()))
        return;
    if (!results[static_cast<size_t>(index)].getIsMatched())
        return;
    auto* command = new TCmdSelectMolMatchResult(index, m);
    m_skipNextRefresh = true;
    if (host())
        host()->executeCommand(command);
    else
        delete command;
}

void TMassMolMatchTable::onReport()
{
    TTableWidget* view = tableWidget();
    if (!view || !host())
        return;
    askSelectedOnly(tr("report"));
    QModelIndexList selected = view->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        view->selectAll();
        selected = view->selectionModel()->selectedIndexes();
    }
    if (selected.isEmpty())
        return;
    const TTableSettings s = currentSettings();
    QList<QPair<int, int>> cells;
    for (const QModelIndex& index : selected) {
        if (index.row() < 0 || index.column() < 0 || !index.model())
            continue;
        if (index.column() >= s.columns.size() || s.columns.at(index.column()).hidden)
            continue;
        cells.append({index.row(), index.column()});
    }
    std::sort(cells.begin(), cells.end());

    const int moleculeColumn = s.indexOfColumnId(0);
    const QString nameTemplate = fontTemplate(s.report.boldHeaders);
    const QString valueTemplate = fontTemplate(false);
    QtCanvas* canvas = host()->canvas();
    QList<TCanvasItemList> rows;
    for (int k = 0; k < cells.size();) {
        const int row = cells.at(k).first;
        TCanvasItemList rowItems;
        QString rowText;
        for (; k < cells.size() && cells.at(k).first == row; ++k) {
            const int column = cells.at(k).second;
            const QTableWidgetItem* cell = view->item(row, column);
            if (!cell)
                continue;
            const int id = s.columns.at(column).id;
            if (column == moleculeColumn) {
                // A molecule whose page item is gone gets no copy.
                const TMolecule* molecule = moleculeOf(QUuid(cell->data(MoleculeIdRole).toString()));
                TCanvasItem* copy = molecule ? m_moleculePlugin->createMoleculeItem(molecule, canvas) : nullptr;
                if (copy) {
                    if (canvas)
                        canvas->placeNewItems(QtCanvasItemList{copy});
                    rowItems.prepend(copy);
                }
                continue;
            }
            QString value;
            if (id == 1)
                value = cell->data(Qt::UserRole).toString();
            else {
                value = id == 3 ? cell->data(Qt::UserRole).toString() : cell->text();
                escapeHtml(value);
            }
            QString name = s.columns.at(column).name;
            escapeHtml(name);
            rowText += QString("<tr><td>%1:</td><td>%2</td></tr>")
                           .arg(fillTemplate(nameTemplate, name), fillTemplate(valueTemplate, value));
        }
        if (!rowText.isEmpty() && drawingTools()) {
            const QString html = QString("<div border=\"%1\">").arg(s.report.frame ? 1 : 0) +
                                 QString("<table border=\"%1\" cellspacing=\"0\" cellpadding=\"2\">")
                                     .arg(s.report.borders ? 1 : 0) +
                                 rowText + "</table></div>";
            TCanvasItem* text = drawingTools()->createTextItem(html, QString::fromLatin1(group()) + " Table",
                                                               reportName(), true, QPoint(0, 0), false);
            if (text) {
                text->setOwnerTag(host()->currentView().owner);
                rowItems.append(text);
            }
        }
        rows.append(rowItems);
    }

    // Each row a column of items, left to right from the view's corner.
    QPointF at = host()->viewRect().topLeft();
    TCanvasItemList all;
    for (const TCanvasItemList& rowItems : rows) {
        double moleculeHeight = 0;
        double width = 0;
        for (TCanvasItem* i : rowItems)
            if (i->rtti() == MoleculeItemType) {
                i->move(at.x(), at.y());
                moleculeHeight = i->boundingRect().height();
            }
        for (TCanvasItem* i : rowItems) {
            if (i->rtti() == TextItemType)
                i->move(at.x(), at.y() + moleculeHeight);
            width = std::max(width, double(i->boundingRect().width()));
        }
        at.rx() += width;
        all.append(rowItems);
    }
    host()->executeCommand(new TCmdCreateItem(TCmdCreateItem::Create, all, host(), false));
}
