#include "tmassspectrumpropertiesbag.h"

#include "t1dmassplot.h"
#include "tcanvasmass.h"
#include "tdatastream.h"
#include "tplotpropertiesbag.h"
#include "tstreambytes.h"

namespace {

TCanvasMass* massItem(TCanvasItem* item)
{
    return item && item->rtti() == MassSpectrumItemType ? static_cast<TCanvasMass*>(item) : nullptr;
}

}  // namespace

TMassSpectrumPropertiesBag::TMassSpectrumPropertiesBag(TCanvasItem* item) : TItemPropertiesBag(item)
{
    readFromItem(false);
}

// For both mass bags: the registered maker tells them apart and reads the
// changed flag itself.
TCommand* TMassSpectrumPropertiesBag::apply(TCanvasItem* item)
{
    const TBagCommandMaker maker = bagCommandMaker();
    return maker ? maker(*this, item) : nullptr;
}

TMassSpectrumPropertiesBag::~TMassSpectrumPropertiesBag()
{
    clearPlotBags();
}

void TMassSpectrumPropertiesBag::clearPlotBags()
{
    qDeleteAll(m_plotBags);
    m_plotBags.clear();
}

void TMassSpectrumPropertiesBag::readFromItem(bool flag)
{
    Q_UNUSED(flag);
    TCanvasItem* it = item();
    // A template's own bag is the template's properties: it keeps them.
    if (it && it->rtti() == LayoutTemplateItemType && it->properties()->bagOfType(MassSpectrum) == this)
        return;
    m_currentIndex = -1;
    clearPlotBags();
    if (TCanvasMass* mass = massItem(it)) {
        for (TBasePlot* p : mass->plots()) {
            if (!p->visible() || p->type() != 1)
                continue;
            if (p == mass->currentPlot())
                m_currentIndex = m_plotBags.size();
            auto* bag = new TMassPlotPropertiesBag(static_cast<T1DMassPlot*>(p));
            bag->assignFromPlot();
            m_plotBags.append(bag);
        }
    } else if (it && it->rtti() == LayoutTemplateItemType) {
        if (TItemPropertiesBag* own = it->properties()->bagOfType(MassSpectrum)) {
            QByteArray bytes;
            {
                TDataStream out(&bytes, QIODevice::WriteOnly);
                own->write(out);
            }
            TDataStream in(&bytes, QIODevice::ReadOnly);
            read(in);
        }
    }
}

void TMassSpectrumPropertiesBag::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << qint32(m_plotBags.size()) << m_currentIndex;
    for (const TMassPlotPropertiesBag* bag : m_plotBags)
        bag->write(s);
    s.endBlock();
}

void TMassSpectrumPropertiesBag::read(TDataStream& s)
{
    clearPlotBags();
    m_currentIndex = -1;
    s.skipBlock();
    readBlock(s, BlockLength::Checked, [&] {
        qint32 index = -1;
        // A plot bag takes at least its block lengths.
        const qint32 count = s.readCount(4);
        s >> index;
        for (qint32 i = 0; i < count && s.ok(); ++i) {
            auto* bag = new TMassPlotPropertiesBag();
            if (!bag->read(s) || !s.ok()) {
                delete bag;
                break;
            }
            m_plotBags.append(bag);
        }
        if (index >= 0 && index < m_plotBags.size())
            m_currentIndex = index;
    });
}

QString TMassSpectrumPropertiesBag::plotDescription(const QUuid& plotId) const
{
    const TCanvasMass* mass = massItem(item());
    const TMassDataObj* o = mass ? mass->dataObject(plotId) : nullptr;
    return o ? o->description() : QString();
}

void TMassSpectrumPropertiesBag::applyToItem(TCanvasMass* mass) const
{
    if (!mass || mass->visiblePlotCount() != m_plotBags.size())
        return;
    int k = 0;
    for (TBasePlot* p : mass->plots())
        if (p->visible())
            m_plotBags.at(k++)->applyTo(p);
}

TMultiMassSpectrumPropertiesBag::TMultiMassSpectrumPropertiesBag(TCanvasItem* item, const QList<TCanvasItem*>& items)
    : TMassSpectrumPropertiesBag(item)
{
    for (TCanvasItem* it : items)
        if (massItem(it))
            if (TItemPropertiesBag* bag = it->properties()->bagOfType(MassSpectrum))
                m_itemBags.append(TItemPropertiesBagPtr(bag));
}

void TMultiMassSpectrumPropertiesBag::readFromItem(bool flag)
{
    for (const TItemPropertiesBagPtr& bag : m_itemBags)
        bag->readFromItem(flag);
    TMassSpectrumPropertiesBag::readFromItem(flag);
}

int comparePlotPropertiesBags(const TMassPlotPropertiesBag& a, const TMassPlotPropertiesBag& b)
{
    const QByteArray x = propertiesBagToByteArray(a);
    const QByteArray y = propertiesBagToByteArray(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    for (int i = 0; i < x.size(); ++i) {
        const auto p = static_cast<unsigned char>(x.at(i)), q = static_cast<unsigned char>(y.at(i));
        if (p != q)
            return p < q ? -1 : 1;
    }
    return 0;
}

void copyPlotPropertiesBag(const TMassPlotPropertiesBag& from, TMassPlotPropertiesBag& to)
{
    propertiesBagFromByteArray(propertiesBagToByteArray(from), to);
}
