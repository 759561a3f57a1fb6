// TCanvasMass: the page item of the mass plug-in, item type 112 ("Mass
// Spectrum"). One item stands for one opened dataset: it keeps the key
// under which the dataset server handler holds the dataset (one counted
// use for the item's lifetime), the dataset's name and provider for when
// the dataset is not open, and the data objects it shows (owned, by
// QUuid), each in the plot of the same QUuid. It is the data source of its
// plots (IMassPlotable) and carries the item's elemental-composition and
// molecule-match states, the spectrum selection mode, behaviour flags,
// the active function of each injection and two m/z tolerances.
//
// Plug-in data (block stream):
//   header block { the spectrum item's plug-in data (TCanvasSpectrum) }
//   outer block {
//     block { empty block, active functions (qint32 count, qint32 each) }
//     block { dataset name (QString), provider (QUuid), selection mode
//             (qint8), behaviour flags (qint32), chromatogram and merge
//             tolerances (double), tolerance units (qint8),
//             block { qint32 count, data objects in key order (kind, object) },
//             element composition state, molecule match state } }
// Reading is for a fresh item only (no plots, no data objects): a
// non-empty item passes over the data and stays as it was. The stored
// dataset is opened again through the handler; the new key replaces (and
// then releases) the one the item held. A dataset that no longer opens
// leaves an item without data that keeps its name and provider; its stored
// objects and plots are shown all the same. Damaged bytes end in a failed
// stream with what was read kept consistent: no plot without its data
// object, the current plot one of the plots.
#pragma once

#include <QMap>
#include <QString>
#include <QUuid>
#include <QVector>

#include "imassplotable.h"
#include "tcanvasspectrum.h"
#include "tmasselementcomposition.h"
#include "tmassmoleculematch.h"

class IMassDataServer;
class IMassPlotData;
class IProgress;
class T1DMassPlot;
class TKSDataset;
class TKSMSCollection;
class TMassDataObj;

class TCanvasMass : public TCanvasSpectrum, public IMassPlotable {
public:
    enum SelectionMode { SelectManual = 0, SelectPeak = 1, SelectPeakSubtract = 2 };
    enum BehaviourFlag { AppendSpectra = 0x1 };
    enum ToleranceUnit { ChromatogramToleranceInDa = 0x1, MergeToleranceInDa = 0x2 };

    // With the dataset of the key (null: an empty item, as the plug-in's
    // item factory makes) from the server, which must be given; progress
    // may be null. An opened dataset starts the item with its TIC and the
    // spectrum at the TIC's highest peak.
    TCanvasMass(const QUuid& key, quintptr ownerTag, IMassDataServer* server, IProgress* progress);
    ~TCanvasMass() override;

    // Replaced operations.
    QString type() const override;
    QString subtype() const override;
    void writePluginData(TDataStream& s) const override;
    void readPluginData(TDataStream& s) override;
    void drawShape(QPainter& painter) override;
    void layoutPlots(const QRectF& rect, QList<QRectF>& rects) const override;
    TBasePlot* createPlot(int type, const QUuid& id) override;

    // IMassPlotable.
    IMassPlotData* plotData(const QUuid& plotId) override { return dataObject(plotId); }
    QString plotTitle(const QUuid& plotId, const QString& format, int decimals) override;

    // Dataset links.
    const QUuid& datasetKey() const { return m_key; }
    IMassDataServer* dataServer() const { return m_server; }
    TKSDataset* dataset() const;
    TKSMSCollection* msCollection(int injection, int function) const;
    QString datasetName() const;
    QUuid providerId() const;

    // Active functions: -1 for an injection the item does not know, and
    // for a stored index outside the open dataset's functions.
    int activeFunction(int injection);
    bool setActiveFunction(int injection, int function);
    const QVector<int>& activeFunctions() const { return m_activeFunctions; }

    int selectionMode() const { return m_selectionMode; }
    void setSelectionMode(int mode) { m_selectionMode = mode; }
    int behaviourFlags() const { return m_behaviourFlags; }
    void setBehaviourFlags(int flags) { m_behaviourFlags = flags; }
    double chromatogramTolerance() const { return m_chromatogramTolerance; }
    double mergeTolerance() const { return m_mergeTolerance; }
    int toleranceUnits() const { return m_toleranceUnits; }
    void setChromatogramTolerance(double value, bool inDa);
    void setMergeTolerance(double value, bool inDa);

    IMassPlotData* isotopeClusterSpectrum() const { return m_isotopeCluster; }
    // Deletes the current one and keeps the new one (may be null).
    void setIsotopeClusterSpectrum(IMassPlotData* object);

    TMassElementComposition& elementComposition() { return m_composition; }
    TMassMoleculeMatch& moleculeMatch() { return m_match; }
    const TMassMoleculeMatch& moleculeMatch() const { return m_match; }

    // Data objects.
    const QMap<QUuid, TMassDataObj*>& dataObjects() const { return m_plotData; }
    TMassDataObj* dataObject(const QUuid& id) const { return m_plotData.value(id, nullptr); }
    TMassDataObj* currentDataObject() const;
    bool isSpectrumPlot(const QUuid& id) const;
    bool isChromatogramPlot(const QUuid& id) const;
    // The acquired spectrum (TIC) of the injection and function: the first
    // in key order whose plot is visible, else the first; null when none.
    QUuid datasetSpectrumId(int injection, int function) const;
    QUuid datasetChromatogramId(int injection, int function) const;
    bool dataObjectsOf(int injection, int index, QVector<TMassDataObj*>& out, bool byFunction) const;
    // The current injection's spectrum collections to the matcher.
    void setMatcherSpectra();

    // Plots and drawing.
    // A new plot for the object, with this item as its data source.
    static T1DMassPlot* newPlot(TMassDataObj* object, IMassPlotable* source);
    // Enters the object and a plot for it (a new one when none is given)
    // at that position of the plot list (-1: appended).
    void addPlotObject(TMassDataObj* object, TBasePlot* plot = nullptr, int position = -1);
    void refreshPlot(TBasePlot* plot, TMassDataObj* object);
    void refreshPlotFor(TBasePlot* plot);
    // The object replaced (the caller owns it), or null.
    TMassDataObj* replaceDataObject(TMassDataObj* object);
    void removePlotObject(const QUuid& id, TMassDataObj** outObject = nullptr, TBasePlot** outPlot = nullptr);
    // The data point of the current plot nearest to x within 5 % of the
    // data's x extent.
    bool pointNear(double x, QPointF& point) const;

protected:
    bool holdsContent() const override { return !plots().isEmpty() || !m_plotData.isEmpty(); }

private:
    void makeDefaultObjects();
    void fillActiveFunctions();
    // The MS order of a function, 0 when it is not there.
    int msOrder(int injection, int function) const;
    void readMassData(TDataStream& s);
    // Drops plots without their data object and objects without a plot.
    void dropUnpairedPlots();
    void drawMatchOverlay(QPainter& painter);

    QUuid m_key;
    IMassDataServer* m_server;
    QString m_name;
    QUuid m_provider;
    QMap<QUuid, TMassDataObj*> m_plotData;
    TMassElementComposition m_composition;
    IMassPlotData* m_isotopeCluster = nullptr;
    TMassMoleculeMatch m_match;
    qint32 m_selectionMode = SelectManual;
    qint32 m_behaviourFlags = 0;
    QVector<int> m_activeFunctions;
    double m_chromatogramTolerance = 0.25;
    double m_mergeTolerance = 0.1;
    quint8 m_toleranceUnits = ChromatogramToleranceInDa | MergeToleranceInDa;
};
