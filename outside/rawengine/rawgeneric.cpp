// Generic data headers: item layout and lookup.
#include "rawgeneric.h"
#include "rawtesthooks.h"

#include "rawformat.h"

#include "ksfiles.h"
#include "kshive.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

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

// ---------------------------------------------------------------- conversions

namespace {

// The item's bytes in a record, after the record's checks.
const uint8_t* itemBytes(const CGenericDataHeader& h, const GenericRecord& record, int index)
{
    if (record.bytes.size() != h.RecordSize())
        throw EngineError("a generic record of " + std::to_string(record.bytes.size()) +
                          " bytes where its header lays out " + std::to_string(h.RecordSize()));
    const GenericItem& item = h.Item(index);
    if (item.kind >= kDataKindCount)
        throw EngineError("generic item '" + ks::reg::utf8FromWide(item.label) + "' of unknown kind " +
                          std::to_string(item.kind));
    return record.bytes.data() + h.ItemOffset(index);
}

uint64_t little(const uint8_t* p, size_t n)
{
    uint64_t v = 0;
    for (size_t i = n; i > 0; --i)
        v = v << 8 | p[i - 1];
    return v;
}

float floatAt(const uint8_t* p)
{
    const uint32_t bits = uint32_t(little(p, 4));
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

double doubleAt(const uint8_t* p)
{
    const uint64_t bits = little(p, 8);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

// Text of a string item up to its first zero character.
std::wstring stringAt(const uint8_t* p, uint32_t kind, uint64_t size)
{
    std::wstring s;
    if (kind == kDataCharString) {
        for (uint64_t i = 0; i < size && p[i]; ++i)
            s.push_back(wchar_t(p[i]));  // Latin-1
        return s;
    }
    size_t units = 0;
    while (2 * units + 1 < size && (p[2 * units] || p[2 * units + 1]))
        ++units;
    return format::fromUtf16(p, units);
}

}  // namespace

bool IsPlottableKind(uint32_t kind)
{
    switch (kind) {
    case kDataChar:
    case kDataUChar:
    case kDataShort:
    case kDataUShort:
    case kDataLong:
    case kDataULong:
    case kDataFloat:
    case kDataDouble:
        return true;
    default:
        return false;
    }
}

std::wstring NumberToString(double value, int decimals)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, std::clamp(decimals, 0, 15));
    return std::wstring(buf, r.ptr);
}

std::wstring GenericItemToText(const CGenericDataHeader& h, const GenericRecord& record, int index)
{
    detail::checkpoint("GenericItemToText");
    const uint8_t* p = itemBytes(h, record, index);
    const GenericItem& item = h.Item(index);
    switch (item.kind) {
    case kDataNull:
        return std::wstring();
    case kDataChar:
        return std::to_wstring(int8_t(p[0]));
    case kDataTrueFalse:
        return p[0] ? L"True" : L"False";
    case kDataYesNo:
        return p[0] ? L"Yes" : L"No";
    case kDataOnOff:
        return p[0] ? L"On" : L"Off";
    case kDataUChar:
        return std::to_wstring(p[0]);
    case kDataShort:
        return std::to_wstring(int16_t(little(p, 2)));
    case kDataUShort:
        return std::to_wstring(uint16_t(little(p, 2)));
    case kDataLong:
        return std::to_wstring(int32_t(little(p, 4)));
    case kDataULong:
        return std::to_wstring(uint32_t(little(p, 4)));
    case kDataFloat:
        return NumberToString(floatAt(p), int(item.precision));
    case kDataDouble:
        return NumberToString(doubleAt(p), int(item.precision));
    default:
        return stringAt(p, item.kind, h.ItemSize(index));
    }
}

void GenericDataItemToVariant(const CGenericDataHeader& h, const GenericRecord& record, int index, VARIANT* out)
{
    detail::checkpoint("GenericDataItemToVariant");
    if (!out)
        throw EngineError("no VARIANT to convert into");
    const uint8_t* p = itemBytes(h, record, index);
    const GenericItem& item = h.Item(index);
    VARIANT v;
    VariantInit(&v);
    switch (item.kind) {
    case kDataNull:
        break;
    case kDataChar:
        v.vt = VT_I1;
        v.cVal = char(p[0]);
        break;
    case kDataTrueFalse:
    case kDataYesNo:
    case kDataOnOff:
        v.vt = VT_BOOL;
        v.boolVal = p[0] ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case kDataUChar:
        v.vt = VT_UI1;
        v.bVal = p[0];
        break;
    case kDataShort:
        v.vt = VT_I2;
        v.iVal = int16_t(little(p, 2));
        break;
    case kDataUShort:
        v.vt = VT_UI2;
        v.uiVal = uint16_t(little(p, 2));
        break;
    case kDataLong:
        v.vt = VT_I4;
        v.lVal = int32_t(little(p, 4));
        break;
    case kDataULong:
        v.vt = VT_UI4;
        v.ulVal = uint32_t(little(p, 4));
        break;
    case kDataFloat:
        v.vt = VT_R4;
        v.fltVal = floatAt(p);
        break;
    case kDataDouble:
        v.vt = VT_R8;
        v.dblVal = doubleAt(p);
        break;
    default: {
        const std::wstring s = stringAt(p, item.kind, h.ItemSize(index));
        v.bstrVal = SysAllocStringLen(s.data(), UINT(s.size()));
        if (!v.bstrVal)
            throw std::bad_alloc();
        v.vt = VT_BSTR;
    }
    }
    *out = v;
}

bool GenericRecordToText(const CGenericDataHeader& h, const GenericRecord& record, std::vector<std::wstring>& labels,
                         std::vector<std::wstring>& values)
{
    detail::checkpoint("GenericRecordToText");
    labels.clear();
    values.clear();
    if (record.bytes.size() != h.RecordSize())
        return false;
    for (int i = 0; i < h.NumItems(); ++i) {
        labels.push_back(h.Item(i).label);
        // An item of a kind the engine does not know reads as no text.
        values.push_back(h.Item(i).kind < kDataKindCount ? GenericItemToText(h, record, i) : std::wstring());
    }
    return true;
}

}  // namespace rawengine
