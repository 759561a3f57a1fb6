// Generic data headers: item layout and lookup.
#include "rawgeneric.h"
#include "rawtesthooks.h"

#include "ksfiles.h"

namespace rawengine {

uint64_t CGenericDataHeader::KindSize(uint32_t kind, uint32_t precision)
{
    switch (kind) {
    case kDataChar:
    case kDataTrueFalse:
    case kDataYesNo:
    case kDataOnOff:
    case kDataUChar:
        return 1;
    case kDataShort:
    case kDataUShort:
        return 2;
    case kDataLong:
    case kDataULong:
    case kDataFloat:
        return 4;
    case kDataDouble:
        return 8;
    case kDataCharString:
        return precision;
    case kDataWCharString:
        return 2 * uint64_t(precision);
    default:  // kDataNull and kinds the engine does not know
        return 0;
    }
}

void CGenericDataHeader::SetNumItems(int count)
{
    detail::checkpoint("SetNumItems");
    if (count < 0)
        throw EngineError("a header of " + std::to_string(count) + " items");
    m_items.resize(size_t(count));
    m_laidOut = false;
}

void CGenericDataHeader::ItemData(int index, const std::wstring& label, uint32_t kind, uint32_t precision)
{
    detail::checkpoint("ItemData");
    if (index < 0 || index >= NumItems())
        throw EngineError("item " + std::to_string(index) + " of a header of " + std::to_string(NumItems()));
    m_items[size_t(index)] = GenericItem{label, kind, precision};
    m_laidOut = false;
}

const GenericItem& CGenericDataHeader::Item(int index) const
{
    if (index < 0 || index >= NumItems())
        throw EngineError("item " + std::to_string(index) + " of a header of " + std::to_string(NumItems()));
    return m_items[size_t(index)];
}

void CGenericDataHeader::layout() const
{
    if (m_laidOut)
        return;
    m_offsets.assign(m_items.size() + 1, 0);
    for (size_t i = 0; i < m_items.size(); ++i)
        m_offsets[i + 1] = m_offsets[i] + KindSize(m_items[i].kind, m_items[i].precision);
    m_laidOut = true;
}

uint64_t CGenericDataHeader::ItemSize(int index) const
{
    const GenericItem& item = Item(index);
    return KindSize(item.kind, item.precision);
}

uint64_t CGenericDataHeader::ItemOffset(int index) const
{
    Item(index);
    layout();
    return m_offsets[size_t(index)];
}

uint64_t CGenericDataHeader::RecordSize() const
{
    layout();
    return m_offsets.back();
}

int CGenericDataHeader::FindItem(const std::wstring& label) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (ks::equalNoCase(m_items[i].label, label))
            return int(i);
    return -1;
}

}  // namespace rawengine
