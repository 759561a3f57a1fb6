// Raw-file engine stand-in: generic records, the labelled records a raw
// file keeps beside its scans (status log, trailer extra, tune data).
//
// A CGenericDataHeader lists the items of one kind of record: a label, a
// DataKind and a precision each. A record is the items' bytes packed in
// header order, little-endian, with these sizes: kDataNull 0; CHAR,
// TRUEFALSE, YESNO, ONOFF, UCHAR 1; SHORT, USHORT 2; LONG, ULONG, FLOAT 4;
// DOUBLE 8; CHAR_STRING `precision` bytes and WCHAR_STRING 2 x `precision`
// bytes (the capacity; the text ends at its first zero character or at the
// capacity). An item of a kind the engine does not know takes no bytes
// and converts to nothing (its conversion fails; the rest of the record
// reads). The precision of FLOAT and DOUBLE items is the number of
// decimals of their text form.
//
// A GenericRecord holds its bytes as stored. A record whose size is not
// the header's record size is damaged: converting it fails (EngineError),
// without touching the other records. The status log adds its time (a
// 32-bit real, minutes) in front of the items.
#pragma once

#include "rawtypes.h"

#include <string>
#include <vector>

namespace rawengine {

struct GenericItem {
    std::wstring label;
    uint32_t kind = kDataNull;
    uint32_t precision = 0;
};

struct GenericRecord {
    float time = 0.0f;            // status-log records only
    std::vector<uint8_t> bytes;   // the items
};

class RAWENGINE_API CGenericDataHeader {
public:
    int NumItems() const { return int(m_items.size()); }
    // Sizes the item list, keeping the items that stay; new ones are
    // kDataNull with an empty label.
    void SetNumItems(int count);
    // Sets item `index`; EngineError outside 0 to NumItems()-1.
    void ItemData(int index, const std::wstring& label, uint32_t kind, uint32_t precision);
    const GenericItem& Item(int index) const;  // EngineError outside
    const std::vector<GenericItem>& Items() const { return m_items; }

    // Bytes item `index` takes in a record and where it starts.
    uint64_t ItemSize(int index) const;
    uint64_t ItemOffset(int index) const;
    uint64_t RecordSize() const;
    // The first item whose label equals `label` without regard to case,
    // or -1.
    int FindItem(const std::wstring& label) const;

    static uint64_t KindSize(uint32_t kind, uint32_t precision);

private:
    void layout() const;

    std::vector<GenericItem> m_items;
    mutable std::vector<uint64_t> m_offsets;  // one more than items: the last is the record size
    mutable bool m_laidOut = false;
};

}  // namespace rawengine
