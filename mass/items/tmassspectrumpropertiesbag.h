// The property bags of mass items (bag type 5): TMassSpectrumPropertiesBag
// holds one plot-properties bag per visible plot of its mass item, in plot
// order, and the position of the item's current plot among them (-1 when
// none is current or it is hidden); TMultiMassSpectrumPropertiesBag stands
// for several selected items and refreshes each item's mass bag before its
// own.
//
// Stream form (the bag's own fields inside its bag frame): an empty header
// block; a main block { qint32 count, qint32 current index, each
// plot-properties bag }. Reading deletes the plot bags first; a main block
// of length 0 leaves the bag without plot bags; damaged bytes end in a
// failed stream with the plot bags read whole until then (the current
// index is kept only when it names one of them).
#pragma once

#include <QList>
#include <QString>
#include <QUuid>

#include "titemproperties.h"

class TCanvasItem;
class TCanvasMass;
class TMassPlotPropertiesBag;

class TMassSpectrumPropertiesBag : public TItemPropertiesBag {
public:
    // Filled from the item (null: empty).
    explicit TMassSpectrumPropertiesBag(TCanvasItem* item);
    ~TMassSpectrumPropertiesBag() override;

    void readFromItem(bool flag) override;
    int bagType() const override { return MassSpectrum; }
    // When changed: the plot properties command for a mass item, the
    // template properties command for a layout template, else none; the
    // bag over several items gives one "Set Selected Mass Spectra
    // Properties" list of the selected items whose plot properties differ
    // from its own, or none.
    TCommand* apply(TCanvasItem* item) override;
    void read(TDataStream& s) override;
    void write(TDataStream& s) const override;

    const QList<TMassPlotPropertiesBag*>& plotBags() const { return m_plotBags; }
    int currentIndex() const { return m_currentIndex; }
    // The description of the plot's data object when the bag's item is a
    // mass item holding it, else empty.
    QString plotDescription(const QUuid& plotId) const;
    // Applies the plot bags to the item's visible plots in order, only
    // when there are exactly as many of them.
    void applyToItem(TCanvasMass* item) const;

protected:
    void clearPlotBags();

private:
    QList<TMassPlotPropertiesBag*> m_plotBags;
    qint32 m_currentIndex = -1;
};

class TMultiMassSpectrumPropertiesBag : public TMassSpectrumPropertiesBag {
public:
    // The mass bags of the items (mass items only; references are held so
    // that a bag outlives an item that goes).
    TMultiMassSpectrumPropertiesBag(TCanvasItem* item, const QList<TCanvasItem*>& items);

    // Every selected item's mass bag, then this bag from its own item.
    void readFromItem(bool flag) override;

    const QList<TItemPropertiesBagPtr>& itemBags() const { return m_itemBags; }

private:
    QList<TItemPropertiesBagPtr> m_itemBags;
};

// By their written bytes: -1 when a's are shorter, 1 when longer, else
// the sign of the first differing byte (unsigned), 0 when equal.
int comparePlotPropertiesBags(const TMassPlotPropertiesBag& a, const TMassPlotPropertiesBag& b);
void copyPlotPropertiesBag(const TMassPlotPropertiesBag& from, TMassPlotPropertiesBag& to);
