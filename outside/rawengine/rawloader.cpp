// Loading a file image: preamble, chunks, then the assembly of each
// controller's scans from the chunks that name their positions. Every
// count is checked against the bytes of its chunk before anything is
// sized by it; every impossible value is an error state, never a throw.
#include "rawformat.h"

#include "ksfiles.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <unordered_set>
#include <variant>

namespace rawengine::format {

namespace {

// The scans of one controller while its chunks arrive.
struct Assembly {
    std::vector<ScanIndex> ms;
    std::vector<UVScanIndex> uv;
    std::vector<std::variant<std::vector<ScanPacket>, std::vector<double>>> data;
    std::map<uint32_t, CScanEvent> events;
    std::map<uint32_t, std::vector<LabelPeak>> labels;
    std::map<uint32_t, std::vector<NoiseRecord>> noise;
};

// A chunk's position must extend its list by one or replace an entry.
template <class T>
void place(std::vector<T>& list, uint32_t position, T&& value, const char* what)
{
    if (position > list.size())
        throw FormatError{std::string(what) + " for position " + std::to_string(position) + " after only " +
                          std::to_string(list.size())};
    if (position == list.size())
        list.push_back(std::move(value));
    else
        list[position] = std::move(value);
}

MethodNode readNode(Reader& r, int depth)
{
    if (depth > kMaxMethodDepth)
        throw FormatError{"method storage nested deeper than " + std::to_string(kMaxMethodDepth)};
    MethodNode node;
    node.name = r.str();
    const uint8_t isStorage = r.u8();
    if (isStorage > 1)
        throw FormatError{"method element that is neither storage nor stream"};
    node.isStorage = isStorage == 1;
    if (node.isStorage) {
        // An element takes at least its name count, type and own count.
        const uint32_t n = r.count(9, "method elements");
        if (n > kMaxMethodElements)
            throw FormatError{"a method storage of " + std::to_string(n) + " elements, more than " +
                              std::to_string(kMaxMethodElements)};
        // Names a storage can hold, once each without regard to case: the
        // folded names seen so far, so each name is checked once.
        std::unordered_set<std::wstring> folded;
        for (uint32_t i = 0; i < n; ++i) {
            MethodNode child = readNode(r, depth + 1);
            const std::wstring& name = child.name;
            if (name.empty() || name.size() > 31 || name.find_first_of(L"\\/:!") != std::wstring::npos)
                throw FormatError{"method element with a name a storage cannot hold"};
            if (!folded.insert(ks::foldCase(name)).second)
                throw FormatError{"two method elements of one name"};
            node.children.push_back(std::move(child));
        }
    } else {
        const uint32_t size = r.count(1, "method stream bytes");
        const uint8_t* p = r.raw(size);
        node.bytes.assign(p, p + size);
    }
    return node;
}

class Loader {
public:
    Loader(FileData& data, LoadStatus& status) : m_data(data), m_status(status) {}

    bool load(const uint8_t* bytes, size_t size);

private:
    bool fail(int32_t code, std::string message)
    {
        m_status.code = code;
        m_status.message = std::move(message);
        m_data = FileData();
        return false;
    }
    void warn(const std::string& text)
    {
        if (!m_status.warning.empty())
            m_status.warning += "; ";
        m_status.warning += text;
    }
    void readChunk(uint32_t tag, Reader& r);
    ControllerData& controller(Reader& r, uint32_t& index);
    void finish();

    FileData& m_data;
    LoadStatus& m_status;
    std::vector<Assembly> m_scans;
    bool m_sawInfo = false;
    std::map<std::string, int> m_unknownTags;
};

ControllerData& Loader::controller(Reader& r, uint32_t& index)
{
    index = r.u32();
    if (index >= m_data.controllers.size())
        throw FormatError{"controller " + std::to_string(index) + " named before its controller chunk"};
    return m_data.controllers[index];
}

void Loader::readChunk(uint32_t t, Reader& r)
{
    uint32_t ci = 0;
    if (t == kTagInfo) {
        m_data.info.creationTime = r.u64();
        m_data.info.creatorId = r.str();
        const uint8_t has = r.u8();
        if (has > 1)
            throw FormatError{"experiment-method flag is neither 0 nor 1"};
        m_data.info.hasExpMethod = has == 1;
        m_sawInfo = true;
    } else if (t == kTagSeqRow) {
        CSeqRow& row = m_data.seqRow;
        row.rowNumber = r.i32();
        row.sampleType = r.i32();
        for (std::wstring* s : {&row.dataPath, &row.rawFileName, &row.sampleName, &row.sampleId, &row.comment,
                                &row.levelName})
            *s = r.str();
        for (std::wstring& s : row.userText)
            s = r.str();
        for (std::wstring* s : {&row.instrumentMethod, &row.processingMethod, &row.calibrationFile, &row.vial})
            *s = r.str();
        for (double* v : {&row.injectionVolume, &row.sampleWeight, &row.sampleVolume, &row.istdAmount,
                          &row.dilutionFactor})
            *v = r.f64();
        for (std::wstring& s : row.userTextEx)
            s = r.str();
        row.barcode = r.str();
        row.barcodeStatus = r.i32();
        for (std::wstring& s : m_data.userLabels)
            s = r.str();
    } else if (t == kTagMethods) {
        MethodNode root = readNode(r, 0);
        if (!root.isStorage)
            throw FormatError{"method storage whose root is a stream"};
        m_data.methods = std::move(root);
    } else if (t == kTagController) {
        const uint32_t index = r.u32();
        const int32_t kind = r.i32();
        if (index != m_data.controllers.size())
            throw FormatError{"controller " + std::to_string(index) + " where controller " +
                              std::to_string(m_data.controllers.size()) + " was due"};
        if (kind < 0 || kind >= kDeviceKindCount)
            throw FormatError{"controller of unknown kind " + std::to_string(kind)};
        if (int(index) >= kMaxControllers)
            throw FormatError{"more than " + std::to_string(kMaxControllers) + " controllers"};
        m_data.controllers.emplace_back();
        m_data.controllers.back().kind = kind;
        m_scans.emplace_back();
    } else if (t == kTagRunHeader) {
        RunHeaderFields& rh = controller(r, ci).runHeader;
        rh.firstScanNumber = r.i32();
        rh.expectedRunTime = r.f64();
        rh.massResolution = r.f64();
        rh.filterMassPrecision = r.i32();
        rh.instrumentId = r.i32();
        rh.inletId = r.i16();
        rh.errorFlag = r.i16();
        rh.vialNumber = r.i16();
        rh.sampleVolume = r.f64();
        rh.sampleWeight = r.f64();
        rh.injectionVolume = r.f64();
        std::memcpy(rh.flags.data(), r.raw(rh.flags.size()), rh.flags.size());
        for (std::wstring* s : {&rh.acquisitionFileName, &rh.instrumentDescription, &rh.acquisitionDate,
                                &rh.operatorName, &rh.comment1, &rh.comment2, &rh.sampleAmountUnits,
                                &rh.injectionAmountUnits, &rh.sampleVolumeUnits})
            *s = r.str();
        if (rh.firstScanNumber < 1)
            throw FormatError{"first scan number " + std::to_string(rh.firstScanNumber)};
        if (rh.filterMassPrecision < 0 || rh.filterMassPrecision > 10)
            throw FormatError{"filter mass precision " + std::to_string(rh.filterMassPrecision)};
    } else if (t == kTagInstrument) {
        CInstID& inst = controller(r, ci).instrument;
        for (std::wstring* s : {&inst.name, &inst.model, &inst.serialNumber, &inst.softwareVersion,
                                &inst.hardwareVersion, &inst.experimentType, &inst.flags})
            *s = r.str();
        const uint32_t n = r.count(4, "channel labels");
        if (n > 0x7FFF)
            throw FormatError{"more channel labels than a 16-bit count holds"};
        inst.channelLabels.clear();
        for (uint32_t i = 0; i < n; ++i)
            inst.channelLabels.push_back(r.str());
    } else if (t == kTagErrorLog) {
        ControllerData& c = controller(r, ci);
        CErrorLogItem item;
        item.time = r.f64();
        item.message = r.str();
        c.errorLog.push_back(std::move(item));
    } else if (t == kTagGenericHeader || t == kTagGenericRecord) {
        ControllerData& c = controller(r, ci);
        const uint32_t which = r.u32();
        if (which > kLogTune)
            throw FormatError{"generic record of unknown log " + std::to_string(which)};
        if (which != kLogStatus && c.kind != kDeviceMS)
            throw FormatError{"trailer or tune data on a controller that is no mass spectrometer"};
        GenericLog& log = which == kLogStatus ? c.statusLog : which == kLogTrailer ? c.trailer : c.tune;
        if (t == kTagGenericHeader) {
            if (!log.records.empty())
                throw FormatError{"generic header after records that were written under another"};
            const uint32_t n = r.count(12, "header items");
            CGenericDataHeader header;
            header.SetNumItems(int(n));
            for (uint32_t i = 0; i < n; ++i) {
                const std::wstring label = r.str();
                const uint32_t kind = r.u32();
                const uint32_t precision = r.u32();
                header.ItemData(int(i), label, kind, precision);
            }
            log.header = std::move(header);
            log.hasHeader = true;
        } else {
            GenericRecord rec;
            rec.time = r.f32();
            const uint32_t size = r.count(1, "record bytes");
            const uint8_t* p = r.raw(size);
            rec.bytes.assign(p, p + size);
            log.records.push_back(std::move(rec));
        }
    } else if (t == kTagMethodEvents) {
        ControllerData& c = controller(r, ci);
        if (c.kind != kDeviceMS)
            throw FormatError{"method scan events on a controller that is no mass spectrometer"};
        const uint32_t n = r.count(35, "method scan events");  // key and an event without reactions or ranges
        CMSScanEvents events;
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t key = r.u32();
            events.Insert(readEvent(r), key);
        }
        c.methodEvents = std::move(events);
    } else if (t == kTagScanData) {
        ControllerData& c = controller(r, ci);
        const uint32_t position = r.u32();
        r.u32();  // the packet type as written; the layout follows the controller's kind
        const uint32_t size = r.count(1, "scan data bytes");
        const uint8_t* p = r.raw(size);
        Assembly& a = m_scans[ci];
        if (IsSpectralKind(c.kind))
            place(a.data, position, decltype(a.data)::value_type(decodePackets(p, size)), "scan data");
        else if (IsChannelKind(c.kind))
            place(a.data, position, decltype(a.data)::value_type(decodeReadings(p, size)), "scan data");
        else
            throw FormatError{"scan data on a controller of kind 5, which has no scans"};
    } else if (t == kTagScanIndex) {
        ControllerData& c = controller(r, ci);
        if (c.kind != kDeviceMS)
            throw FormatError{"mass-spectrometer scan index on a controller of kind " + std::to_string(c.kind)};
        const uint32_t position = r.u32();
        ScanIndex x;
        x.dataOffset = r.u32();
        x.trailerOffset = r.i32();
        x.scanTypeIndex = r.i32();
        x.scanNumber = r.i32();
        x.packetType = r.u32();
        x.numPackets = r.u32();
        for (double* v : {&x.startTime, &x.tic, &x.basePeakIntensity, &x.basePeakMass, &x.lowMass, &x.highMass})
            *v = r.f64();
        place(m_scans[ci].ms, position, std::move(x), "scan index");
    } else if (t == kTagUVScanIndex) {
        ControllerData& c = controller(r, ci);
        if (!IsChannelKind(c.kind) && c.kind != kDevicePDA)
            throw FormatError{"channel scan index on a controller of kind " + std::to_string(c.kind)};
        const uint32_t position = r.u32();
        UVScanIndex x;
        x.packetType = r.u32();
        x.numberOfChannels = r.u32();
        for (double* v : {&x.startTime, &x.tic, &x.lowLimit, &x.highLimit, &x.frequency})
            *v = r.f64();
        x.uniformTime = r.u32();
        place(m_scans[ci].uv, position, std::move(x), "scan index");
    } else if (t == kTagScanEvent || t == kTagLabels || t == kTagNoise) {
        ControllerData& c = controller(r, ci);
        if (c.kind != kDeviceMS)
            throw FormatError{"scan events, labels or noise on a controller that is no mass spectrometer"};
        const uint32_t position = r.u32();
        Assembly& a = m_scans[ci];
        if (t == kTagScanEvent) {
            a.events[position] = readEvent(r);
        } else if (t == kTagLabels) {
            const uint32_t n = r.count(32, "labels");
            std::vector<LabelPeak> labels(n);
            for (LabelPeak& l : labels) {
                l.mass = r.f64();
                for (float* v : {&l.intensity, &l.resolution, &l.baseline, &l.noise})
                    *v = r.f32();
                l.charge = r.i8();
                l.flags = r.u8();
                std::memcpy(l.reserved, r.raw(sizeof l.reserved), sizeof l.reserved);
                if (!std::isfinite(l.mass))
                    throw FormatError{"label whose mass is not a number"};
            }
            a.labels[position] = std::move(labels);
        } else {
            const uint32_t n = r.count(16, "noise records");
            std::vector<NoiseRecord> noise(n);
            for (NoiseRecord& x : noise) {
                x.mass = r.f64();
                x.noise = r.f32();
                x.baseline = r.f32();
            }
            a.noise[position] = std::move(noise);
        }
    } else {
        ++m_unknownTags[tagText(t)];
    }
}

void Loader::finish()
{
    size_t strayData = 0, strayExtras = 0;
    for (size_t ci = 0; ci < m_data.controllers.size(); ++ci) {
        ControllerData& c = m_data.controllers[ci];
        Assembly& a = m_scans[ci];
        const bool ms = c.kind == kDeviceMS;
        const size_t n = ms ? a.ms.size() : a.uv.size();
        if (uint64_t(c.runHeader.firstScanNumber) + n - 1 > uint64_t(INT32_MAX))
            throw FormatError{"scan numbers of controller " + std::to_string(ci) + " exceed 32 bits"};
        c.scans.resize(n);
        uint64_t offset = 0;
        double lastTime = -INFINITY;
        for (size_t p = 0; p < n; ++p) {
            ScanRecord& s = c.scans[p];
            if (p < a.data.size()) {
                if (auto* packets = std::get_if<std::vector<ScanPacket>>(&a.data[p]))
                    s.packets = std::move(*packets);
                else
                    s.readings = std::move(std::get<std::vector<double>>(a.data[p]));
            }
            double time;
            if (ms) {
                s.index = a.ms[p];
                s.index.dataOffset = uint32_t(offset);
                s.index.numPackets = uint32_t(s.packets.size());
                for (const ScanPacket& k : s.packets)
                    offset += 24 + 32 * uint64_t(k.points.size());
                time = s.index.startTime;
            } else {
                s.uvIndex = a.uv[p];
                time = s.uvIndex.startTime;
            }
            // Times must rise for every search by time to hold.
            if (!std::isfinite(time) || time < lastTime)
                throw FormatError{"scan " + std::to_string(p + 1) + " of controller " + std::to_string(ci) +
                                  (std::isfinite(time) ? " starts before the scan before it" : " has no valid time")};
            lastTime = time;
        }
        if (a.data.size() > n)
            strayData += a.data.size() - n;
        for (auto& [pos, event] : a.events) {
            if (pos < n) {
                c.scans[pos].hasEvent = true;
                c.scans[pos].event = std::move(event);
            } else {
                ++strayExtras;
            }
        }
        for (auto& [pos, labels] : a.labels) {
            if (pos < n) {
                std::stable_sort(labels.begin(), labels.end(),
                                 [](const LabelPeak& x, const LabelPeak& y) { return x.mass < y.mass; });
                c.scans[pos].labels = std::move(labels);
            } else {
                ++strayExtras;
            }
        }
        for (auto& [pos, noise] : a.noise) {
            if (pos < n)
                c.scans[pos].noise = std::move(noise);
            else
                ++strayExtras;
        }
    }
    if (strayData)
        warn(std::to_string(strayData) + " scan data records without a scan index entry were ignored");
    if (strayExtras)
        warn(std::to_string(strayExtras) + " scan events, labels or noise lists beyond the last scan were ignored");
    for (const auto& [name, count] : m_unknownTags)
        warn(std::to_string(count) + " chunk(s) of unknown kind '" + name + "' skipped");
}

bool Loader::load(const uint8_t* bytes, size_t size)
{
    m_data = FileData();
    // Signature first: a foreign file is "not a raw file" however short.
    if (!hasSignature(bytes, size))
        return fail(kErrNotRawFile, kNotRawFileReason);
    if (size < kPreambleSize)
        return fail(kErrTruncated, "truncated inside its preamble (" + std::to_string(size) + " bytes)");
    Reader pre(bytes + kSignatureSize, kPreambleSize - kSignatureSize);
    const uint16_t version = pre.u16();
    const uint32_t flags = pre.u32();
    const uint32_t reserved = pre.u32();
    const uint32_t crc = pre.u32();
    if (version > kFormatVersion)
        return fail(kErrNewerVersion, "written in format version " + std::to_string(version) +
                                          ", newer than this engine reads (" + std::to_string(kFormatVersion) + ")");
    if (version < kOldestFormatVersion)
        return fail(kErrOlderVersion, "written in format version " + std::to_string(version) +
                                          ", older than this engine reads (" +
                                          std::to_string(kOldestFormatVersion) + ")");
    if (crc32(bytes, kPreambleSize - 4) != crc)
        return fail(kErrChecksum, "the checksum of the preamble does not match");
    if ((flags & ~kAcqKnownFlags) != 0 || reserved != 0)
        return fail(kErrDamaged, "damaged preamble (unknown flags or reserved bits set)");
    m_data.info.version = version;
    m_data.info.acquisitionFlags = flags;
    const bool writing = (flags & kAcqWriting) != 0;

    size_t pos = kPreambleSize;
    bool sawEnd = false;
    try {
        while (pos < size) {
            if (size - pos < kChunkHeaderSize || Reader(bytes + pos + 4, 4).u32() > size - pos - kChunkHeaderSize) {
                // A writer may be in the middle of this chunk.
                if (writing) {
                    warn("an incomplete chunk at byte " + std::to_string(pos) + " (still being written) was ignored");
                    break;
                }
                return fail(kErrTruncated, "truncated at byte " + std::to_string(size) + " inside the chunk at byte " +
                                               std::to_string(pos));
            }
            Reader head(bytes + pos, kChunkHeaderSize);
            const uint32_t t = head.u32();
            const uint32_t length = head.u32();
            for (int i = 0; i < 4; ++i) {
                const uint8_t c = uint8_t(t >> (8 * i));
                if (c < 0x20 || c > 0x7E)
                    return fail(kErrDamaged, "damaged chunk header at byte " + std::to_string(pos));
            }
            const uint8_t* payload = bytes + pos + kChunkHeaderSize;
            if (t == kTagEnd) {
                if (length != 4)
                    return fail(kErrDamaged, "end chunk of " + std::to_string(length) + " bytes");
                if (crc32(bytes + kPreambleSize, pos - kPreambleSize) != Reader(payload, 4).u32())
                    return fail(kErrChecksum, "the checksum of the file does not match its bytes");
                pos += kChunkHeaderSize + length;
                if (pos != size)
                    return fail(kErrDamaged, std::to_string(size - pos) + " bytes after the end chunk");
                sawEnd = true;
                break;
            }
            try {
                Reader r(payload, length);
                readChunk(t, r);
            } catch (const FormatError& e) {
                return fail(kErrDamaged,
                            "damaged chunk '" + tagText(t) + "' at byte " + std::to_string(pos) + ": " + e.reason);
            }
            pos += kChunkHeaderSize + length;
        }
        if (!sawEnd && !writing)
            return fail(kErrTruncated, "truncated: the file ends at byte " + std::to_string(size) +
                                           " without its end chunk");
        if (!m_sawInfo) {
            if (!writing || !m_data.controllers.empty())
                return fail(kErrDamaged, "no file information chunk");
        }
        finish();
    } catch (const FormatError& e) {
        return fail(kErrDamaged, "damaged: " + e.reason);
    }
    m_status.isNew = writing && m_data.controllers.empty();
    return true;
}

}  // namespace

bool loadImage(const uint8_t* bytes, size_t size, FileData& data, LoadStatus& status)
{
    status = LoadStatus();
    Loader loader(data, status);
    return loader.load(bytes, size);
}

}  // namespace rawengine::format
