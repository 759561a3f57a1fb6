// The title macros of mass plots: the file name, the injection, function
// or trace of the plot's data object, its description and, for spectra,
// its retention-time and scan ranges.
//
// The parser reads the dataset and the data object it is given (neither
// is owned; either may be null) and the navigation objects it asks the
// core library for are deleted after use. A macro that needs the data
// object, or an object the dataset does not hold, expands to empty text;
// {file} needs neither.
#pragma once

#include "tmacroparser.h"

class IMassPlotData;
class TKSDataset;

class TMassPlotTitleParser : public TMacroParser {
    Q_OBJECT
public:
    TMassPlotTitleParser(const TKSDataset* dataset, const IMassPlotData* data, const QString& fileName,
                         int decimals = 3);
    ~TMassPlotTitleParser() override;

    // The one macro list of every title parser, in name order: desc, file,
    // funcI, funcN, injI, injN, rt_ranges, scan_ranges.
    const TMacroMap& macros() const override;
    QString expandMacro(const QString& name, const QStringList& arguments) override;

private:
    static TMacroMap buildMacroList();
    QString functionOrTraceName() const;
    QString injectionName() const;

    const TKSDataset* m_dataset;
    const IMassPlotData* m_data;
    QString m_fileName;
    int m_decimals;
};
