#include "tmasspeakstable.h"

#include "tcanvasmass.h"
#include "tmassdataobj.h"

#include <QCoreApplication>
#include <QHeaderView>

namespace {

// The table has no meta-object of its own: its texts are the table
// widget table's.
QString peaksTr(const char* text)
{
    return QCoreApplication::translate("TTableWidgetTable", text);
}

struct PeakColumn {
    const char* title;
    int decimals;  // -1: not numeric, left as it is
};

const PeakColumn kChromatogramColumns[] = {
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "RT"), 3},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Scan"), -1},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Type"), -1},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Height"), 3},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Area"), 3},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Total Height %"), 2},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Total Area %"), 2},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Start time"), 3},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "End time"), 3},
};
const PeakColumn kSpectrumColumns[] = {
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "m/z"), 3},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Intensity"), 3},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Rel. Abundance"), 2},
};
constexpr int kChromatogramColumnCount = 9;
constexpr int kSpectrumColumnCount = 3;

const char* const kPeakTypes[][2] = {
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Un"), QT_TRANSLATE_NOOP("TTableWidgetTable", "Unknown")},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "BB"), QT_TRANSLATE_NOOP("TTableWidgetTable", "Baseline to Baseline")},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "BV"), QT_TRANSLATE_NOOP("TTableWidgetTable", "Baseline to Valley")},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "VB"), QT_TRANSLATE_NOOP("TTableWidgetTable", "Valley to Baseline")},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "VV"), QT_TRANSLATE_NOOP("TTableWidgetTable", "Valley to Valley")},
    {QT_TRANSLATE_NOOP("TTableWidgetTable", "Sh"), QT_TRANSLATE_NOOP("TTableWidgetTable", "Shoulder")},
};

int peakTypeIndex(int type)
{
    return type >= PeakBB && type <= PeakShoulder ? type : 0;
}

// A share in percent, or "N/A" against a zero total.
void setShare(QTableWidgetItem* item, double value, double total, int decimals)
{
    if (total == 0)
        item->setText(peaksTr("N/A"));
    else
        TTableWidgetItem::setNumber(item, value * 100 / total, decimals);
}

}  // namespace

TMassPeaksTable::TMassPeaksTable(TEmptyPlugin* plugin, QAction* reportAction, QAction* copyAction)
    : TMassTableWidgetTable(plugin, peaksTr("Mass Peaks"), reportAction, copyAction)
{
    setObjectName("MassPeaksTable");
}

void TMassPeaksTable::setupView()
{
    createView();
    removeToolBarAction(deleteAction());
    removeToolBarAction(toolBarSeparator());
}

QString TMassPeaksTable::peakTypeText(int type)
{
    return peaksTr(kPeakTypes[peakTypeIndex(type)][0]);
}

QString TMassPeaksTable::peakTypeToolTip(int type)
{
    return peaksTr(kPeakTypes[peakTypeIndex(type)][1]);
}

void TMassPeaksTable::fetchPeaks()
{
    m_chromatogramPeaks.clear();
    m_spectrumPeaks.clear();
    TCanvasMass* m = massItem();
    TMassDataObj* object = m ? m->currentDataObject() : nullptr;
    if (!object)
        return;
    if (m_mode == SpectrumMode)
        object->getSpectrumPeaks(m_spectrumPeaks);
    else
        object->getChromatogramPeaks(m_chromatogramPeaks);
}

void TMassPeaksTable::refresh()
{
    m_totalArea = 0;
    m_referenceHeight = 0;
    TCanvasMass* m = massItem();
    TMassDataObj* object = m ? m->currentDataObject() : nullptr;
    if (object) {
        if (object->kind() != TMassDataObj::Chromatogram) {
            m_mode = SpectrumMode;
            m_referenceHeight = object->getMaximumPeakIntensity();
        } else {
            m_mode = ChromatogramMode;
            QVector<TMSChromPeak> peaks;
            if (object->getChromatogramPeaks(peaks))
                for (const TMSChromPeak& p : peaks) {
                    m_totalArea += p.area;
                    m_referenceHeight += p.height;
                }
        }
        if (m_mode != m_lastMode) {
            QHeaderView* header = headerView();
            if (header) {
                const int section = header->sortIndicatorSection();
                const int order = header->sortIndicatorOrder();
                if (m_lastMode == SpectrumMode) {
                    m_spectrumSortSection = section;
                    m_spectrumSortOrder = order;
                } else {
                    m_chromatogramSortSection = section;
                    m_chromatogramSortOrder = order;
                }
                if (m_mode == SpectrumMode)
                    setSortIndicator(m_spectrumSortSection, Qt::SortOrder(m_spectrumSortOrder));
                else
                    setSortIndicator(m_chromatogramSortSection, Qt::SortOrder(m_chromatogramSortOrder));
            }
            m_lastMode = m_mode;
        }
    }
    fetchPeaks();
    TMassTableWidgetTable::refresh();
    m_chromatogramPeaks.clear();
    m_spectrumPeaks.clear();
}

QString TMassPeaksTable::columnName(int id)
{
    if (m_mode == SpectrumMode)
        return id >= 0 && id < kSpectrumColumnCount ? peaksTr(kSpectrumColumns[id].title) : QString();
    return id >= 0 && id < kChromatogramColumnCount ? peaksTr(kChromatogramColumns[id].title) : QString();
}

QString TMassPeaksTable::reportName()
{
    TCanvasMass* m = massItem();
    return m ? "Mass.Peaks," + m->subtype() : QString();
}

int TMassPeaksTable::resultCount()
{
    TCanvasMass* m = massItem();
    TMassDataObj* object = m ? m->currentDataObject() : nullptr;
    if (!object)
        return 0;
    if (m_mode == SpectrumMode) {
        QVector<TMSPeak> peaks;
        return object->getSpectrumPeaks(peaks) ? peaks.size() : 0;
    }
    QVector<TMSChromPeak> peaks;
    return object->getChromatogramPeaks(peaks) ? peaks.size() : 0;
}

QList<int> TMassPeaksTable::defaultColumnIds()
{
    if (!massItem())
        return {};
    const int count = m_mode == SpectrumMode ? kSpectrumColumnCount : kChromatogramColumnCount;
    QList<int> ids;
    for (int id = 0; id < count; ++id)
        ids.append(id);
    return ids;
}

void TMassPeaksTable::formatDefaultColumns()
{
    if (!massItem())
        return;
    const bool spectrum = m_mode == SpectrumMode;
    const PeakColumn* columns = spectrum ? kSpectrumColumns : kChromatogramColumns;
    const int count = spectrum ? kSpectrumColumnCount : kChromatogramColumnCount;
    TTableSettings s = currentSettings();
    for (int id = 0; id < count; ++id) {
        const int i = s.indexOfColumnId(id);
        if (i < 0 || columns[id].decimals < 0)
            continue;
        s.columns[i].decimals = columns[id].decimals;
        s.columns[i].numeric = true;
    }
    setSettings(s);
}

void TMassPeaksTable::fillCell(int row, int column, QTableWidgetItem* item)
{
    const TTableSettings s = currentSettings();
    if (column < 0 || column >= s.columns.size())
        return;
    const int peaks = m_mode == SpectrumMode ? m_spectrumPeaks.size() : m_chromatogramPeaks.size();
    if (row < 0 || row >= peaks)
        return;
    if (column == 0)
        item->setData(Qt::UserRole, row);
    if (m_mode == SpectrumMode)
        fillSpectrumCell(m_spectrumPeaks.at(row), s.columns.at(column), item);
    else
        fillChromatogramCell(m_chromatogramPeaks.at(row), s.columns.at(column), item);
}

void TMassPeaksTable::fillChromatogramCell(const TMSChromPeak& p, const TTableColumn& column, QTableWidgetItem* item)
{
    switch (column.id) {
    case 0: TTableWidgetItem::setNumber(item, p.position.x(), column.decimals); break;
    case 1:
        if (p.scan < 0)
            item->setText(peaksTr("N/A"));
        else
            TTableWidgetItem::setNumber(item, static_cast<int>(p.scan));
        break;
    case 2:
        item->setText(peakTypeText(p.peakType));
        item->setToolTip(peakTypeToolTip(p.peakType));
        break;
    case 3: TTableWidgetItem::setNumber(item, p.height, column.decimals); break;
    case 4: TTableWidgetItem::setNumber(item, p.area, column.decimals); break;
    case 5: setShare(item, p.height, m_referenceHeight, column.decimals); break;
    case 6: setShare(item, p.area, m_totalArea, column.decimals); break;
    case 7: TTableWidgetItem::setNumber(item, p.start.x(), column.decimals); break;
    case 8: TTableWidgetItem::setNumber(item, p.end.x(), column.decimals); break;
    default: break;
    }
}

void TMassPeaksTable::fillSpectrumCell(const TMSPeak& p, const TTableColumn& column, QTableWidgetItem* item)
{
    switch (column.id) {
    case 0: TTableWidgetItem::setNumber(item, p.position.x(), column.decimals); break;
    case 1: TTableWidgetItem::setNumber(item, p.position.y(), column.decimals); break;
    case 2: setShare(item, p.position.y(), m_referenceHeight, column.decimals); break;
    default: break;
    }
}
