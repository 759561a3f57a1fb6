// TMassPeaksTable: the peaks of the current plot of the current mass item,
// chromatogram peaks (retention time, scan, type, height, area, shares of
// the totals, start and end) or spectrum peaks (m/z, intensity, relative
// abundance). The mode follows the plot at every refresh; each mode keeps
// its own sort column and direction.
#pragma once

#include "tmasstablewidgettable.h"
#include "tmspeak.h"

#include <QVector>

class TMassPeaksTable : public TMassTableWidgetTable {
public:
    enum Mode { ChromatogramMode = 1, SpectrumMode = 2 };

    TMassPeaksTable(TEmptyPlugin* plugin, QAction* reportAction, QAction* copyAction);

    // Run by the factory right after construction: the view, no Delete.
    void setupView();

    void refresh() override;
    QString columnName(int id) override;
    QString reportName() override;
    const char* settingsKey() override { return "MassPeaks"; }
    int resultCount() override;
    QList<int> defaultColumnIds() override;
    void formatDefaultColumns() override;
    void fillCell(int row, int column, QTableWidgetItem* item) override;
    void onDelete() override {}

    int mode() const { return m_mode; }
    double totalArea() const { return m_totalArea; }
    double referenceHeight() const { return m_referenceHeight; }

    // Short text and tooltip of a chromatogram peak type code.
    static QString peakTypeText(int type);
    static QString peakTypeToolTip(int type);

protected:
    // Reads the current plot's peaks into the lists the cells are filled
    // from; refresh runs it once, so cells do not fetch the list each.
    void fetchPeaks();

private:
    void fillChromatogramCell(const TMSChromPeak& peak, const TTableColumn& column, QTableWidgetItem* item);
    void fillSpectrumCell(const TMSPeak& peak, const TTableColumn& column, QTableWidgetItem* item);

    int m_mode = ChromatogramMode;
    int m_lastMode = ChromatogramMode;
    double m_totalArea = 0;
    double m_referenceHeight = 0;
    int m_chromatogramSortSection = 0;
    int m_spectrumSortSection = 0;
    int m_chromatogramSortOrder = 0;
    int m_spectrumSortOrder = 0;
    QVector<TMSChromPeak> m_chromatogramPeaks;
    QVector<TMSPeak> m_spectrumPeaks;
};
