// Scan events and method scan events.
#include "rawevent.h"
#include "rawtesthooks.h"

namespace rawengine {

CScanEvent::CScanEvent()
{
    polarity = Polarity::Positive;
    dataForm = DataForm::Centroid;
    sourceCID = Tri::Off;
    turbo = Tri::Off;
    dependent = Tri::Off;
    wideband = Tri::Off;
    custom = Tri::Off;
    scanType = ScanType::Full;
    msOrder = 1;
}

uint8_t CScanEvent::DependencyByte() const
{
    return dependent == Tri::Off ? 0 : dependent == Tri::On ? 1 : 2;
}

const Reaction& CScanEvent::GetReaction(int i) const
{
    detail::checkpoint("GetReaction");
    if (i < 0 || i >= int(reactions.size()))
        throw EngineError("reaction " + std::to_string(i) + " of a scan event with " +
                          std::to_string(reactions.size()));
    return reactions[size_t(i)];
}

void CMSScanEvents::Insert(const CScanEvent& event, uint32_t key)
{
    detail::checkpoint("Insert");
    m_events[key] = event;
}

const CScanEvent* CMSScanEvents::Find(uint32_t key) const
{
    auto it = m_events.find(key);
    return it == m_events.end() ? nullptr : &it->second;
}

}  // namespace rawengine
