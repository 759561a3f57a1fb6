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
//
// Text forms: kDataNull ""; CHAR, UCHAR, SHORT, USHORT, LONG, ULONG their
// decimal value; TRUEFALSE "True"/"False", YESNO "Yes"/"No", ONOFF
// "On"/"Off" (any byte but 0 is true); FLOAT and DOUBLE fixed with the
// item's precision in decimals, in the "C" form whatever the process
// locale; the strings their text. VARIANT forms: VT_EMPTY; VT_I1, VT_UI1,
// VT_I2, VT_UI2, VT_I4, VT_UI4; VT_BOOL for the three switches; VT_R4,
// VT_R8; VT_BSTR (new, the caller's). Plottable items are the numbers
// (CHAR to ULONG, FLOAT, DOUBLE).
#pragma once

#include "rawtypes.h"

#include "ksvariant.h"

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

// Item `index` of a record as text, or as a VARIANT written into `out`
// (which must hold nothing owned). EngineError for a damaged record, an
// index outside the header or a kind the engine does not know.
RAWENGINE_API std::wstring GenericItemToText(const CGenericDataHeader& header, const GenericRecord& record, int index);
RAWENGINE_API void GenericDataItemToVariant(const CGenericDataHeader& header, const GenericRecord& record, int index,
                                            VARIANT* out);
// Every item's label and text; items of unknown kinds read as "". False
// (both lists empty) for a damaged record.
RAWENGINE_API bool GenericRecordToText(const CGenericDataHeader& header, const GenericRecord& record,
                                       std::vector<std::wstring>& labels, std::vector<std::wstring>& values);
RAWENGINE_API bool IsPlottableKind(uint32_t kind);
// A number as fixed text with `decimals` (0 to 15), in the "C" form.
RAWENGINE_API std::wstring NumberToString(double value, int decimals);

}  // namespace rawengine
