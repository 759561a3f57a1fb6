// Raw-file engine stand-in: scan events, what an instrument was told to do
// for a scan.
//
// ScanFields are the properties a scan filter can select on (rawfilter.h);
// every field has an "Any" state, which a filter uses for "not stated".
// A CScanEvent is the fields of one scan (or of a method's scan event)
// with the event's own extras: its class byte, its validity and, through
// DependencyByte, the dependent state as a number. A raw file keeps one
// event per scan where the acquisition wrote one, else its scan index
// names a method scan event (CMSScanEvents) by key.
//
// Values are plain data, copied freely. GetReaction throws EngineError for
// an index outside the reactions.
#pragma once

#include "rawtypes.h"

#include <map>
#include <string>
#include <vector>

namespace rawengine {

enum class Tri : int8_t { Any = -1, Off = 0, On = 1 };
enum class Analyzer : int8_t { Any = -1, FTMS = 0, ITMS = 1, TQMS = 2, SQMS = 3, TOFMS = 4, SECTOR = 5 };
enum class Polarity : int8_t { Any = -1, Negative = 0, Positive = 1 };
enum class DataForm : int8_t { Any = -1, Centroid = 0, Profile = 1 };
// Numbered as the writers' ionization modes.
enum class Ionization : int8_t {
    Any = -1, EI = 0, CI = 1, FAB = 2, ESI = 3, APCI = 4, NSI = 5, TSP = 6, FD = 7, MALDI = 8, GD = 9
};
// Full to CRM numbered as the writers' scan types.
enum class ScanType : int8_t { Any = -1, Full = 0, Zoom = 1, SIM = 2, SRM = 3, CRM = 4, Q1MS = 5, Q3MS = 6 };
enum class Activation : int8_t { Any = -1, CID = 0, HCD = 1, ETD = 2, ECD = 3, PQD = 4, MPD = 5 };

// MS orders besides 1 to 10 (stored as a signed byte); 0 is "any" and
// only a filter holds it.
constexpr int8_t kOrderAny = 0;
constexpr int8_t kOrderNeutralLoss = -1;
constexpr int8_t kOrderNeutralGain = -2;
constexpr int8_t kOrderParent = -3;
constexpr int8_t kMaxMSOrder = 10;
// Limits of one event, as the writers' records hold them.
constexpr size_t kMaxReactions = 10;
constexpr size_t kMaxMassRanges = 50;

struct Reaction {
    double precursorMass = 0.0;
    bool energyValid = false;
    double energy = 0.0;
    Activation activation = Activation::Any;
};

struct MassRange {
    double low = 0.0;
    double high = 0.0;
};

struct ScanFields {
    Analyzer analyzer = Analyzer::Any;
    Polarity polarity = Polarity::Any;
    DataForm dataForm = DataForm::Any;
    Ionization ionization = Ionization::Any;
    Tri corona = Tri::Any;
    Tri sourceCID = Tri::Any;
    bool sourceCIDValueValid = false;  // a source-CID energy is given
    double sourceCIDValue = 0.0;
    Tri turbo = Tri::Any;
    Tri dependent = Tri::Any;
    Tri wideband = Tri::Any;
    Tri custom = Tri::Any;
    ScanType scanType = ScanType::Any;
    int8_t msOrder = kOrderAny;
    std::vector<Reaction> reactions;    // in order, the first is the MS2 precursor
    std::vector<MassRange> massRanges;  // in order
};

// Event classes (the class byte): 4 marks an event whose peaks choose the
// precursors of further dependent scans; the others only describe.
enum EventClass : uint8_t {
    kEventPlain = 0,
    kEventSurvey = 1,
    kEventZoom = 2,
    kEventTargeted = 3,
    kEventPrecursorSource = 4,
};

class RAWENGINE_API CScanEvent : public ScanFields {
public:
    // A new event: positive, centroid, full scan, MS order 1, the switches
    // off, not valid.
    CScanEvent();

    int MSOrder() const { return msOrder; }
    // The dependent state as a number: 0 off, 1 on, 2 any.
    uint8_t DependencyByte() const;
    uint8_t ClassByte() const { return eventClass; }
    int NumReactions() const { return int(reactions.size()); }
    const Reaction& GetReaction(int i) const;  // EngineError outside 0 to count-1
    // The event as text in the filter grammar (rawfilter.h): every switch
    // stated ("d" on, "!d" off), masses with `precision` decimals.
    std::wstring GetScanEventString(int precision, int maxReactions = -1, int energyDecimals = 2) const;

    uint8_t eventClass = kEventPlain;
    bool valid = false;
};

// Key of a method scan event: event number in the high 16 bits, segment
// in the low 16 bits (the low 16 bits of each are kept).
constexpr uint32_t ScanEventKey(int32_t segment, int32_t event)
{
    return (uint32_t(event) & 0xFFFFu) << 16 | (uint32_t(segment) & 0xFFFFu);
}

// The scan events of an instrument method, by key.
class RAWENGINE_API CMSScanEvents {
public:
    // Adds or replaces the event under the key.
    void Insert(const CScanEvent& event, uint32_t key);
    const CScanEvent* Find(uint32_t key) const;  // null when there is none
    size_t Count() const { return m_events.size(); }
    const std::map<uint32_t, CScanEvent>& Events() const { return m_events; }

private:
    std::map<uint32_t, CScanEvent> m_events;
};

}  // namespace rawengine
