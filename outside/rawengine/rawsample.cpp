// The standard sample: a small, deterministic file that shows every part
// of the format (README.md, "The standard sample").
#include "rawbuilder.h"
#include "rawformat.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <type_traits>

namespace rawengine {

namespace {

constexpr int kCycles = 6;
constexpr double kScanSpacing = 0.05;  // minutes between scans
constexpr double kFirstTime = 0.5;
constexpr double kIsotopeStep = 1.00335;
constexpr double kWater = 18.010565;

// One precursor per cycle: monoisotopic m/z and charge.
struct Precursor {
    double mono;
    int charge;
};
constexpr Precursor kPrecursors[kCycles] = {{500.2452, 2}, {622.3011, 1}, {500.2452, 2},
                                            {445.1203, 1}, {622.3011, 1}, {733.4021, 3}};
// Ions of every survey scan besides the precursor's cluster.
constexpr double kBackground[] = {150.0913, 301.1410, 850.5012};

// Event numbers within a cycle.
enum { kEvFull = 1, kEvMS2 = 2, kEvMS3 = 3, kEvZoom = 4, kEvSIM = 5 };
constexpr int kSegment = 1;

double round2(double v) { return std::round(v * 100.0) / 100.0; }

DataPeak point(double mz, double intensity)
{
    DataPeak p;
    p.position = mz;
    p.intensity = intensity;
    return p;
}

// A profile peak: eleven points 0.01 apart around its centre.
void addProfilePeak(std::vector<DataPeak>& points, double centre, double height)
{
    for (int k = -5; k <= 5; ++k) {
        const double d = k * 0.01;
        points.push_back(point(centre + d, height * std::exp(-d * d / (2 * 0.015 * 0.015))));
    }
}

void sortPoints(std::vector<DataPeak>& points)
{
    std::sort(points.begin(), points.end(),
              [](const DataPeak& a, const DataPeak& b) { return a.position < b.position; });
}

// Fills the index entry from the scan's points.
void summarise(ScanRecord& s, double low, double high)
{
    s.index.lowMass = low;
    s.index.highMass = high;
    s.index.tic = 0;
    s.index.basePeakIntensity = 0;
    for (const ScanPacket& p : s.packets) {
        for (const DataPeak& d : p.points) {
            s.index.tic += d.intensity;
            if (d.intensity > s.index.basePeakIntensity) {
                s.index.basePeakIntensity = d.intensity;
                s.index.basePeakMass = d.position;
            }
        }
    }
}

CScanEvent baseEvent(Analyzer analyzer, DataForm form, ScanType type, int8_t order)
{
    CScanEvent e;
    e.analyzer = analyzer;
    e.polarity = Polarity::Positive;
    e.dataForm = form;
    e.ionization = Ionization::ESI;
    e.scanType = type;
    e.msOrder = order;
    e.valid = true;
    return e;
}

Reaction reaction(double mass)
{
    Reaction r;
    r.precursorMass = mass;
    r.energyValid = true;
    r.energy = 35.0;
    return r;
}

// Trailer items (the precursor chain reads the first four).
CGenericDataHeader trailerHeader()
{
    CGenericDataHeader h;
    const GenericItem items[] = {
        {L"Scan Event:", kDataLong, 0},          {L"Master Index:", kDataLong, 0},
        {L"Charge State:", kDataShort, 0},       {L"Monoisotopic M/Z:", kDataDouble, 4},
        {L"Ion Injection Time (ms):", kDataFloat, 2}, {L"Micro Scan Count:", kDataUShort, 0},
        {L"Scan Description:", kDataWCharString, 16},
    };
    h.SetNumItems(int(std::size(items)));
    for (int i = 0; i < int(std::size(items)); ++i)
        h.ItemData(i, items[i].label, items[i].kind, items[i].precision);
    return h;
}

// Writes item values into a record laid out by `h`.
class RecordBuilder {
public:
    explicit RecordBuilder(const CGenericDataHeader& h) : m_h(h), m_bytes(size_t(h.RecordSize()), 0) {}
    // Little-endian, whatever the host.
    template <class T>
    RecordBuilder& set(int item, T value)
    {
        uint64_t bits = 0;
        if constexpr (std::is_same_v<T, float>)
            bits = format::floatBits(value);
        else if constexpr (std::is_same_v<T, double>)
            bits = format::doubleBits(value);
        else
            bits = uint64_t(std::make_unsigned_t<T>(value));
        const size_t at = size_t(m_h.ItemOffset(item));
        for (size_t i = 0; i < sizeof(T); ++i)
            m_bytes[at + i] = uint8_t(bits >> (8 * i));
        return *this;
    }
    RecordBuilder& text(int item, const std::string& s)  // 8-bit
    {
        const size_t at = size_t(m_h.ItemOffset(item));
        for (size_t i = 0; i < s.size() && i < m_h.ItemSize(item); ++i)
            m_bytes[at + i] = uint8_t(s[i]);
        return *this;
    }
    RecordBuilder& wtext(int item, const std::wstring& s)  // UTF-16LE
    {
        const size_t at = size_t(m_h.ItemOffset(item));
        for (size_t i = 0; i < s.size() && 2 * i + 1 < m_h.ItemSize(item); ++i) {
            m_bytes[at + 2 * i] = uint8_t(s[i]);
            m_bytes[at + 2 * i + 1] = uint8_t(uint32_t(s[i]) >> 8);
        }
        return *this;
    }
    GenericRecord record(float time = 0.0f) const { return GenericRecord{time, m_bytes}; }

private:
    const CGenericDataHeader& m_h;
    std::vector<uint8_t> m_bytes;
};

GenericRecord trailerRecord(const CGenericDataHeader& h, int32_t event, int32_t master, int16_t charge, double mono,
                            const std::wstring& description)
{
    return RecordBuilder(h)
        .set(0, event)
        .set(1, master)
        .set(2, charge)
        .set(3, mono)
        .set(4, float(12.5f + event))
        .set(5, uint16_t(1))
        .wtext(6, description)
        .record();
}

// The status log shows every data kind.
CGenericDataHeader statusHeader()
{
    CGenericDataHeader h;
    const GenericItem items[] = {
        {L"API SOURCE", kDataNull, 0},
        {L"Source Voltage (kV):", kDataFloat, 2},
        {L"Capillary Temp (C):", kDataDouble, 1},
        {L"Sheath Gas Flow Rate:", kDataShort, 0},
        {L"Aux Gas Flow Rate:", kDataUShort, 0},
        {L"Ion Gauge (counts):", kDataLong, 0},
        {L"Turbo Pump Speed (Hz):", kDataULong, 0},
        {L"Drift (ppm):", kDataChar, 0},
        {L"Tune Index:", kDataUChar, 0},
        {L"Interlock:", kDataTrueFalse, 0},
        {L"Vacuum OK:", kDataYesNo, 0},
        {L"Vent Valve:", kDataOnOff, 0},
        {L"Instrument Status:", kDataCharString, 12},
        {L"Operator Note:", kDataWCharString, 12},
    };
    h.SetNumItems(int(std::size(items)));
    for (int i = 0; i < int(std::size(items)); ++i)
        h.ItemData(i, items[i].label, items[i].kind, items[i].precision);
    return h;
}

CGenericDataHeader tuneHeader()
{
    CGenericDataHeader h;
    const GenericItem items[] = {
        {L"Spray Voltage (kV):", kDataFloat, 2},
        {L"Capillary Temp (C):", kDataDouble, 1},
        {L"Tube Lens (V):", kDataDouble, 2},
        {L"Scan Mode:", kDataCharString, 8},
    };
    h.SetNumItems(int(std::size(items)));
    for (int i = 0; i < int(std::size(items)); ++i)
        h.ItemData(i, items[i].label, items[i].kind, items[i].precision);
    return h;
}

ControllerData massSpectrometer()
{
    ControllerData c;
    c.kind = kDeviceMS;
    RunHeaderFields& rh = c.runHeader;
    rh.expectedRunTime = 5.0;
    rh.massResolution = 0.5;
    rh.instrumentId = 1;
    rh.inletId = 1;
    rh.vialNumber = 3;
    rh.sampleVolume = 10.0;
    rh.sampleWeight = 0.5;
    rh.injectionVolume = 5.0;
    rh.flags = {'D', 'D', 'A', 0, 0, 0, 0, 0};
    rh.acquisitionFileName = L"sample.raw";
    rh.instrumentDescription = L"Hybrid trap mass spectrometer";
    rh.acquisitionDate = L"2024-03-14 10:22";
    rh.operatorName = L"analyst";
    rh.comment1 = L"Standard sample";
    rh.comment2 = L"Made by tavrion-rawfile";
    rh.sampleAmountUnits = L"mg";
    rh.injectionAmountUnits = L"uL";
    rh.sampleVolumeUnits = L"mL";
    c.instrument.name = L"Tavrion Hybrid";
    c.instrument.model = L"TH-1";
    c.instrument.serialNumber = L"SN0001";
    c.instrument.softwareVersion = L"2.1";
    c.instrument.hardwareVersion = L"1.0";
    c.instrument.experimentType = L"DDA";
    c.instrument.flags = L"TIM=ON";
    c.errorLog = {{0.75, L"Source current low"}, {1.62, L"Lock mass not found"}};

    // Method events of the survey, zoom and SIM scans; the dependent scans
    // carry their own (their precursors are chosen while acquiring).
    CScanEvent full = baseEvent(Analyzer::FTMS, DataForm::Profile, ScanType::Full, 1);
    full.massRanges = {{100.0, 1000.0}};
    full.eventClass = kEventSurvey;
    CScanEvent sim = baseEvent(Analyzer::FTMS, DataForm::Profile, ScanType::SIM, 1);
    sim.massRanges = {{400.0, 410.0}};
    sim.eventClass = kEventTargeted;
    c.methodEvents.Insert(full, ScanEventKey(kSegment, kEvFull));
    c.methodEvents.Insert(sim, ScanEventKey(kSegment, kEvSIM));

    c.trailer.hasHeader = true;
    c.trailer.header = trailerHeader();
    const CGenericDataHeader& th = c.trailer.header;

    for (int cycle = 0; cycle < kCycles; ++cycle) {
        const Precursor& pre = kPrecursors[cycle];
        const double iso = pre.mono + kIsotopeStep / pre.charge;  // isolated on the second isotope
        const int32_t firstOfCycle = int32_t(c.scans.size()) + 1;

        // Survey: two segments of profile peaks, with labels and noise.
        ScanRecord ms1;
        std::vector<DataPeak> points;
        std::vector<std::pair<double, std::pair<double, int>>> ions;  // centre, height, charge
        for (int k = 0; k < 3; ++k)
            ions.push_back(
                {pre.mono + k * kIsotopeStep / pre.charge, {4.0e6 * (1.0 - 0.3 * k) * (1 + 0.2 * cycle), pre.charge}});
        for (size_t b = 0; b < std::size(kBackground); ++b)
            ions.push_back({kBackground[b], {8.0e5 * (b + 1), 0}});
        for (const auto& ion : ions) {
            addProfilePeak(points, ion.first, ion.second.first);
            LabelPeak l;
            l.mass = ion.first;
            l.intensity = float(ion.second.first);
            l.resolution = 60000.0f;
            l.baseline = 100.0f;
            l.noise = 50.0f;
            l.charge = int8_t(ion.second.second);
            l.flags = ion.second.second > 0 ? uint8_t(kLabelFragmented) : uint8_t(kLabelReference);
            ms1.labels.push_back(l);
        }
        sortPoints(points);
        std::sort(ms1.labels.begin(), ms1.labels.end(),
                  [](const LabelPeak& a, const LabelPeak& b) { return a.mass < b.mass; });
        ScanPacket lowSeg{100.0, 550.0, {}}, highSeg{550.0, 1000.0, {}};
        for (const DataPeak& d : points)
            (d.position < 550.0 ? lowSeg : highSeg).points.push_back(d);
        ms1.packets = {lowSeg, highSeg};
        for (int k = 1; k <= 9; ++k)
            ms1.noise.push_back({100.0 * k + 50.0, float(50 + k), 100.0f});
        ms1.index.packetType = kPacketProfSp;
        ms1.index.scanTypeIndex = int32_t(ScanEventKey(kSegment, kEvFull));
        summarise(ms1, 100.0, 1000.0);
        c.trailer.records.push_back(trailerRecord(th, kEvFull, 0, 0, 0.0, L"survey"));
        c.scans.push_back(ms1);

        // MS2 on the precursor, centroid, with labels for the MS3 below.
        ScanRecord ms2;
        ms2.hasEvent = true;
        ms2.event = baseEvent(Analyzer::ITMS, DataForm::Centroid, ScanType::Full, 2);
        ms2.event.dependent = Tri::On;
        ms2.event.eventClass = kEventPrecursorSource;
        ms2.event.reactions = {reaction(round2(iso))};
        const double low2 = std::floor(iso * 0.27);
        const double singly = pre.mono * pre.charge - (pre.charge - 1) * 1.00727663;
        const double high2 = singly < 1200.0 ? 1000.0 : 2000.0;
        ms2.event.massRanges = {{low2, high2}};
        const double top = round2(singly * 0.64);  // the fragment the MS3 takes
        std::vector<DataPeak> frags = {point(round2(singly * 0.30), 2.1e4), point(round2(singly * 0.45), 5.5e4),
                                       point(top, 9.0e4), point(round2(singly * 0.80), 3.2e4),
                                       point(round2(iso - kWater / pre.charge), 1.5e4)};
        sortPoints(frags);
        ms2.packets = {{low2, high2, frags}};
        for (const DataPeak& f : frags) {
            LabelPeak l;
            l.mass = f.position;
            l.intensity = float(f.intensity);
            l.charge = 1;
            ms2.labels.push_back(l);
        }
        ms2.index.packetType = kPacketLrSp;
        ms2.index.scanTypeIndex = int32_t(ScanEventKey(kSegment, kEvMS2));
        summarise(ms2, low2, high2);
        c.trailer.records.push_back(trailerRecord(th, kEvMS2, kEvFull, int16_t(pre.charge), pre.mono, L"dependent"));
        c.scans.push_back(ms2);

        // MS3 on the top fragment; its trailer knows no charge or mass.
        ScanRecord ms3;
        ms3.hasEvent = true;
        ms3.event = baseEvent(Analyzer::ITMS, DataForm::Centroid, ScanType::Full, 3);
        ms3.event.dependent = Tri::On;
        ms3.event.reactions = {reaction(round2(iso)), reaction(top)};
        const double low3 = std::floor(top * 0.27);
        ms3.event.massRanges = {{low3, std::ceil(top + 20.0)}};
        std::vector<DataPeak> frags3 = {point(round2(top * 0.5), 4.0e3), point(round2(top * 0.7), 7.5e3),
                                        point(round2(top - kWater), 2.5e3)};
        sortPoints(frags3);
        ms3.packets = {{low3, std::ceil(top + 20.0), frags3}};
        ms3.index.packetType = kPacketLrSp;
        ms3.index.scanTypeIndex = int32_t(ScanEventKey(kSegment, kEvMS3));
        summarise(ms3, low3, std::ceil(top + 20.0));
        c.trailer.records.push_back(trailerRecord(th, kEvMS3, kEvMS2, 0, 0.0, L"dependent"));
        c.scans.push_back(ms3);

        // Zoom on the precursor's cluster.
        ScanRecord zoom;
        zoom.hasEvent = true;
        zoom.event = baseEvent(Analyzer::FTMS, DataForm::Profile, ScanType::Zoom, 1);
        zoom.event.eventClass = kEventZoom;
        zoom.event.massRanges = {{std::floor(pre.mono) - 5.0, std::floor(pre.mono) + 5.0}};
        std::vector<DataPeak> zp;
        for (int k = 0; k < 3; ++k)
            addProfilePeak(zp, pre.mono + k * kIsotopeStep / pre.charge, 3.0e6 * (1.0 - 0.3 * k));
        sortPoints(zp);
        zoom.packets = {{std::floor(pre.mono) - 5.0, std::floor(pre.mono) + 5.0, zp}};
        zoom.index.packetType = kPacketProfSp;
        zoom.index.scanTypeIndex = int32_t(ScanEventKey(kSegment, kEvZoom));
        summarise(zoom, std::floor(pre.mono) - 5.0, std::floor(pre.mono) + 5.0);
        c.trailer.records.push_back(trailerRecord(th, kEvZoom, 0, 0, 0.0, L"zoom"));
        c.scans.push_back(zoom);

        // SIM of a fixed window (its method event).
        ScanRecord simScan;
        std::vector<DataPeak> sp;
        addProfilePeak(sp, 404.2101, 6.0e5 * (1 + cycle));
        simScan.packets = {{400.0, 410.0, sp}};
        simScan.index.packetType = kPacketProfSp;
        simScan.index.scanTypeIndex = int32_t(ScanEventKey(kSegment, kEvSIM));
        summarise(simScan, 400.0, 410.0);
        c.trailer.records.push_back(trailerRecord(th, kEvSIM, 0, 0, 0.0, L"SIM"));
        c.scans.push_back(simScan);

        for (int k = 0; k < 5; ++k) {
            ScanRecord& s = c.scans[size_t(firstOfCycle - 1 + k)];
            s.index.scanNumber = firstOfCycle + k;
            s.index.startTime = kFirstTime + kScanSpacing * (firstOfCycle - 1 + k);
        }
    }

    c.statusLog.hasHeader = true;
    c.statusLog.header = statusHeader();
    for (int k = 0; k < 4; ++k) {
        c.statusLog.records.push_back(RecordBuilder(c.statusLog.header)
                                          .set(1, float(3.5f + 0.1f * k))
                                          .set(2, 275.0 + k)
                                          .set(3, int16_t(40 - k))
                                          .set(4, uint16_t(10 + k))
                                          .set(5, int32_t(-12 + 5 * k))
                                          .set(6, uint32_t(3000000000u + k))
                                          .set(7, int8_t(-3 + k))
                                          .set(8, uint8_t(200 + k))
                                          .set(9, uint8_t(k % 2))
                                          .set(10, uint8_t(1))
                                          .set(11, uint8_t(k == 3 ? 1 : 0))
                                          .text(12, k == 3 ? "Standby" : "Ready")
                                          .wtext(13, k == 0 ? L"start" : L"")
                                          .record(float(0.5 * (k + 1))));
    }

    c.tune.hasHeader = true;
    c.tune.header = tuneHeader();
    c.tune.records.push_back(
        RecordBuilder(c.tune.header).set(0, 3.5f).set(1, 275.0).set(2, 95.25).text(3, "Full").record());
    c.tune.records.push_back(
        RecordBuilder(c.tune.header).set(0, 4.0f).set(1, 300.0).set(2, 110.5).text(3, "SIM").record());
    return c;
}

// The UV detector: three channels, the second without a label.
ControllerData uvDetector()
{
    ControllerData c;
    c.kind = kDeviceUV;
    c.runHeader.expectedRunTime = 5.0;
    c.instrument.name = L"UV Detector";
    c.instrument.model = L"UVD-3";
    c.instrument.serialNumber = L"UV0007";
    c.instrument.softwareVersion = L"1.4";
    c.instrument.channelLabels = {L"UV 254 nm", L"", L"UV 280 nm"};
    c.errorLog = {{1.1, L"Lamp intensity low"}};
    for (int k = 0; k < 40; ++k) {
        ScanRecord s;
        const double t = kFirstTime + kScanSpacing * k;
        const double band = std::exp(-(t - 1.2) * (t - 1.2) / (2 * 0.1 * 0.1));
        s.readings = {5.0 + 120.0 * band, 2.0 + 30.0 * band, 4.0 + 80.0 * band};
        s.uvIndex.packetType = kPacketChannelUV;
        s.uvIndex.numberOfChannels = 3;
        s.uvIndex.startTime = t;
        s.uvIndex.tic = s.readings[0] + s.readings[1] + s.readings[2];
        s.uvIndex.lowLimit = 0.0;
        s.uvIndex.highLimit = 2000.0;
        s.uvIndex.frequency = 20.0;
        s.uvIndex.uniformTime = 1;
        c.scans.push_back(s);
    }
    return c;
}

ControllerData pdaDetector()
{
    ControllerData c;
    c.kind = kDevicePDA;
    c.runHeader.expectedRunTime = 5.0;
    c.instrument.name = L"PDA Detector";
    c.instrument.model = L"PDA-101";
    for (int k = 0; k < 20; ++k) {
        ScanRecord s;
        const double t = kFirstTime + kScanSpacing * k;
        const double band = std::exp(-(t - 1.0) * (t - 1.0) / (2 * 0.15 * 0.15));
        ScanPacket p{200.0, 400.0, {}};
        for (int w = 0; w <= 100; ++w) {
            const double nm = 200.0 + 2.0 * w;
            p.points.push_back(point(nm, 1.0 + band * (50.0 * std::exp(-(nm - 254) * (nm - 254) / 200.0) +
                                                       20.0 * std::exp(-(nm - 280) * (nm - 280) / 150.0))));
        }
        s.packets = {p};
        s.uvIndex.packetType = kPacketProfSp;
        s.uvIndex.numberOfChannels = 101;
        s.uvIndex.startTime = t;
        for (const DataPeak& d : p.points)
            s.uvIndex.tic += d.intensity;
        s.uvIndex.lowLimit = 200.0;
        s.uvIndex.highLimit = 400.0;
        s.uvIndex.frequency = 1.0;
        s.uvIndex.uniformTime = 1;
        c.scans.push_back(s);
    }
    return c;
}

ControllerData analogInput()
{
    ControllerData c;
    c.kind = kDeviceAnalog;
    c.runHeader.expectedRunTime = 5.0;
    c.instrument.name = L"Pump Pressure";
    c.instrument.channelLabels = {L"Pressure (bar)"};
    for (int k = 0; k < 30; ++k) {
        ScanRecord s;
        const double t = kFirstTime + 0.1 * k;
        s.readings = {180.0 + 2.5 * k};
        s.uvIndex.packetType = kPacketMSAnalog;
        s.uvIndex.numberOfChannels = 1;
        s.uvIndex.startTime = t;
        s.uvIndex.tic = s.readings[0];
        s.uvIndex.highLimit = 400.0;
        s.uvIndex.frequency = 10.0;
        s.uvIndex.uniformTime = 1;
        c.scans.push_back(s);
    }
    return c;
}

MethodNode textMethod(const std::wstring& name, const std::wstring& text)
{
    MethodNode m;
    m.name = name;
    MethodNode stream;
    stream.name = L"Text";
    stream.isStorage = false;
    for (wchar_t ch : text) {
        stream.bytes.push_back(uint8_t(ch));
        stream.bytes.push_back(uint8_t(uint32_t(ch) >> 8));
    }
    m.children.push_back(stream);
    return m;
}

}  // namespace

FileData MakeSampleFile()
{
    FileData f;
    f.info.creationTime = 133548853200000000ull;  // 2024-03-14 10:22:00
    f.info.creatorId = L"tavrion-rawfile";
    f.info.hasExpMethod = true;
    CSeqRow& row = f.seqRow;
    row.rowNumber = 3;
    row.sampleType = 1;
    row.dataPath = L"D:\\Data";
    row.rawFileName = L"sample.raw";
    row.sampleName = L"Angiotensin digest";
    row.sampleId = L"S-0042";
    row.comment = L"standard sample";
    row.levelName = L"Level 1";
    row.userText = {L"Study A", L"Batch 7", L"", L"", L"Column C18"};
    row.instrumentMethod = L"Hybrid DDA";
    row.processingMethod = L"Peptide ID";
    row.calibrationFile = L"cal.xml";
    row.vial = L"1:A,3";
    row.injectionVolume = 5.0;
    row.sampleWeight = 0.5;
    row.sampleVolume = 10.0;
    row.istdAmount = 1.25;
    row.dilutionFactor = 2.0;
    row.userTextEx[0] = L"Extended 1";
    row.userTextEx[14] = L"Extended 15";
    row.barcode = L"BC123456";
    row.barcodeStatus = 1;
    f.userLabels = {L"Study", L"Batch", L"Column", L"Gradient", L"Notes"};

    MethodNode root;
    root.name = L"Methods";
    root.children.push_back(textMethod(L"LC Pump", L"Flow 0.300 mL/min\r\nGradient 5-40% B in 30 min\r\n"));
    MethodNode ms = textMethod(L"MS Method", L"Top-1 data-dependent MS2 and MS3\r\nZoom and SIM every cycle\r\n");
    MethodNode data;
    data.name = L"Data";
    data.isStorage = false;
    data.bytes = {1, 2, 3, 4};
    ms.children.push_back(data);
    root.children.push_back(ms);
    f.methods = root;

    f.controllers = {massSpectrometer(), uvDetector(), pdaDetector(), analogInput()};
    return f;
}

FileData MakeManyMethodsFile(int32_t methods)
{
    FileData f = MakeSampleFile();
    f.methods->children.clear();
    for (int32_t i = 1; i <= methods; ++i)
        f.methods->children.push_back(textMethod(L"Method " + std::to_wstring(i), L"Step " + std::to_wstring(i)));
    return f;
}

FileData MakeDistinctFiltersFile(int32_t scans)
{
    FileData f;
    f.info.creatorId = L"tavrion-rawfile";
    ControllerData c;
    c.kind = kDeviceMS;
    c.instrument.name = L"Tavrion Hybrid";
    c.scans.resize(size_t(std::max(scans, 0)));
    for (size_t i = 0; i < c.scans.size(); ++i) {
        ScanRecord& s = c.scans[i];
        s.hasEvent = true;
        s.event = baseEvent(Analyzer::ITMS, DataForm::Centroid, ScanType::Full, 2);
        s.event.dependent = Tri::On;
        s.event.reactions = {reaction(round2(100.0 + double(i) / 100.0))};
        s.event.massRanges = {{50.0, 2000.0}};
        s.packets = {{50.0, 2000.0, {point(60.0 + double(i % 1000), 1000.0 + double(i % 7))}}};
        s.index.packetType = kPacketLrSp;
        s.index.scanNumber = int32_t(i) + 1;
        s.index.startTime = kFirstTime + double(i) * 0.0005;
        summarise(s, 50.0, 2000.0);
    }
    f.controllers = {std::move(c)};
    return f;
}

}  // namespace rawengine
