// Internal to the engine: the file format (README.md, "The file format").
// Byte-level writing and bounds-checked reading, the preamble, the chunk
// tags and the serialisation of every chunk, shared by the loader, the
// builder and the writers.
#pragma once

#include "rawmodel.h"

#include <cstring>
#include <string>
#include <vector>

namespace rawengine::format {

constexpr size_t kPreambleSize = 32;
constexpr uint16_t kPreambleMagic = 0xA101;
// "Pardinel" as eight UTF-16LE characters at bytes 2 to 17.
constexpr char kSignature[] = "Pardinel";
constexpr size_t kSignatureSize = 2 + 2 * (sizeof kSignature - 1);
constexpr size_t kChunkHeaderSize = 8;
// The whole file is loaded into memory: a file loads when it is smaller
// than this (2 GiB); a writer never lets its file reach it.
constexpr uint64_t kMaxFileSize = uint64_t(1) << 31;
constexpr int kMaxControllers = 256;

constexpr uint32_t tag(const char (&t)[5])
{
    return uint32_t(uint8_t(t[0])) | uint32_t(uint8_t(t[1])) << 8 | uint32_t(uint8_t(t[2])) << 16 |
           uint32_t(uint8_t(t[3])) << 24;
}
constexpr uint32_t kTagInfo = tag("INFO");
constexpr uint32_t kTagSeqRow = tag("SEQR");
constexpr uint32_t kTagMethods = tag("METH");
constexpr uint32_t kTagController = tag("CTRL");
constexpr uint32_t kTagRunHeader = tag("RHDR");
constexpr uint32_t kTagInstrument = tag("INST");
constexpr uint32_t kTagErrorLog = tag("ERRL");
constexpr uint32_t kTagGenericHeader = tag("GHDR");
constexpr uint32_t kTagGenericRecord = tag("GREC");
constexpr uint32_t kTagMethodEvents = tag("MEVT");
constexpr uint32_t kTagScanData = tag("SDAT");
constexpr uint32_t kTagScanIndex = tag("SIDX");
constexpr uint32_t kTagUVScanIndex = tag("UIDX");
constexpr uint32_t kTagScanEvent = tag("SEVT");
constexpr uint32_t kTagLabels = tag("SLAB");
constexpr uint32_t kTagNoise = tag("SNOI");
constexpr uint32_t kTagEnd = tag("END ");
std::string tagText(uint32_t tag);

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t floatBits(float v);
uint64_t doubleBits(double v);

// Appends fields little-endian.
class Writer {
public:
    void u8(uint8_t v) { m_bytes.push_back(char(v)); }
    void i8(int8_t v) { u8(uint8_t(v)); }
    void u16(uint16_t v);
    void i16(int16_t v) { u16(uint16_t(v)); }
    void u32(uint32_t v);
    void i32(int32_t v) { u32(uint32_t(v)); }
    void u64(uint64_t v);
    void f32(float v);
    void f64(double v);
    void raw(const void* data, size_t size) { m_bytes.append(static_cast<const char*>(data), size); }
    // Counted UTF-16LE text: u32 code units, then the units.
    void str(const std::wstring& text);
    // A chunk written in place: its tag and a length patched by endChunk.
    size_t beginChunk(uint32_t tag);
    void endChunk(size_t at);

    const std::string& bytes() const { return m_bytes; }
    std::string take() { return std::move(m_bytes); }
    size_t size() const { return m_bytes.size(); }

private:
    void little(uint64_t v, size_t n);

    std::string m_bytes;
};

// Thrown by Reader (and the chunk readers) for bytes that cannot be what
// they claim; the loader turns it into kErrDamaged.
struct FormatError {
    std::string reason;
};

// Reads fields little-endian from a bounded range; never past its end.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_p(data), m_end(data + size) {}

    uint8_t u8();
    int8_t i8() { return int8_t(u8()); }
    uint16_t u16();
    int16_t i16() { return int16_t(u16()); }
    uint32_t u32();
    int32_t i32() { return int32_t(u32()); }
    uint64_t u64();
    float f32();
    double f64();
    const uint8_t* raw(size_t size);
    std::wstring str();
    // A count of elements of at least `minSize` bytes each that must fit in
    // what is left: the only way a stored count may size anything.
    uint32_t count(size_t minSize, const char* what);

    size_t left() const { return size_t(m_end - m_p); }

private:
    void need(size_t n, const char* what = "field") const;
    uint64_t little(size_t n);

    const uint8_t* m_p;
    const uint8_t* m_end;
};

// UTF-16 text <-> wide text (UTF-32); unpaired surrogates read as U+FFFD.
std::wstring fromUtf16(const uint8_t* data, size_t units);
void appendUtf16(std::string& out, const std::wstring& text);

std::string preamble(uint16_t version, uint32_t flags);
// True when the first bytes of a file (up to the preamble's 32) agree with
// the signature as far as they go: empty bytes never do, a file cut inside
// its signature does (and is truncated, not foreign).
bool hasSignature(const uint8_t* bytes, size_t size);
// The reason given for a file without the signature.
extern const char kNotRawFileReason[];
// The chunk: tag, payload length, payload.
std::string chunk(uint32_t tag, const std::string& payload);

// Chunk payloads, written into a Writer (put...) or as a string (...Payload,
// for single chunks). Controller-scoped chunks start with the controller's
// index in file order.
void putInfo(Writer& w, const FileInfo& info);
void putSeqRow(Writer& w, const CSeqRow& row, const std::array<std::wstring, 5>& userLabels);
void putMethods(Writer& w, const MethodNode& root);
void putController(Writer& w, uint32_t index, int32_t kind);
void putRunHeader(Writer& w, uint32_t ctrl, const RunHeaderFields& rh);
void putInstrument(Writer& w, uint32_t ctrl, const CInstID& inst);
void putErrorLog(Writer& w, uint32_t ctrl, const CErrorLogItem& item);
void putGenericHeader(Writer& w, uint32_t ctrl, GenericLogKind which, const CGenericDataHeader& header);
void putGenericRecord(Writer& w, uint32_t ctrl, GenericLogKind which, const GenericRecord& record);
void putMethodEvents(Writer& w, uint32_t ctrl, const CMSScanEvents& events);
void putScanData(Writer& w, uint32_t ctrl, uint32_t position, uint32_t packetType, const std::string& data);
void putScanIndex(Writer& w, uint32_t ctrl, uint32_t position, const ScanIndex& index);
void putUvScanIndex(Writer& w, uint32_t ctrl, uint32_t position, const UVScanIndex& index);
void putScanEvent(Writer& w, uint32_t ctrl, uint32_t position, const CScanEvent& event);
void putLabels(Writer& w, uint32_t ctrl, uint32_t position, const std::vector<LabelPeak>& labels);
void putNoise(Writer& w, uint32_t ctrl, uint32_t position, const std::vector<NoiseRecord>& noise);

// The payloads as strings.
template <class Put, class... Args>
std::string payload(Put put, const Args&... args)
{
    Writer w;
    put(w, args...);
    return w.take();
}
inline std::string infoPayload(const FileInfo& info) { return payload(putInfo, info); }
inline std::string seqRowPayload(const CSeqRow& row, const std::array<std::wstring, 5>& userLabels)
{
    return payload(putSeqRow, row, userLabels);
}
inline std::string methodsPayload(const MethodNode& root) { return payload(putMethods, root); }
inline std::string controllerPayload(uint32_t index, int32_t kind) { return payload(putController, index, kind); }
inline std::string runHeaderPayload(uint32_t ctrl, const RunHeaderFields& rh)
{
    return payload(putRunHeader, ctrl, rh);
}
inline std::string instrumentPayload(uint32_t ctrl, const CInstID& inst) { return payload(putInstrument, ctrl, inst); }
inline std::string errorLogPayload(uint32_t ctrl, const CErrorLogItem& item)
{
    return payload(putErrorLog, ctrl, item);
}
inline std::string genericHeaderPayload(uint32_t ctrl, GenericLogKind which, const CGenericDataHeader& header)
{
    return payload(putGenericHeader, ctrl, which, header);
}
inline std::string genericRecordPayload(uint32_t ctrl, GenericLogKind which, const GenericRecord& record)
{
    return payload(putGenericRecord, ctrl, which, record);
}
inline std::string methodEventsPayload(uint32_t ctrl, const CMSScanEvents& events)
{
    return payload(putMethodEvents, ctrl, events);
}
inline std::string scanDataPayload(uint32_t ctrl, uint32_t position, uint32_t packetType, const std::string& data)
{
    return payload(putScanData, ctrl, position, packetType, data);
}
inline std::string scanIndexPayload(uint32_t ctrl, uint32_t position, const ScanIndex& index)
{
    return payload(putScanIndex, ctrl, position, index);
}
inline std::string uvScanIndexPayload(uint32_t ctrl, uint32_t position, const UVScanIndex& index)
{
    return payload(putUvScanIndex, ctrl, position, index);
}
inline std::string scanEventPayload(uint32_t ctrl, uint32_t position, const CScanEvent& event)
{
    return payload(putScanEvent, ctrl, position, event);
}
inline std::string labelsPayload(uint32_t ctrl, uint32_t position, const std::vector<LabelPeak>& labels)
{
    return payload(putLabels, ctrl, position, labels);
}
inline std::string noisePayload(uint32_t ctrl, uint32_t position, const std::vector<NoiseRecord>& noise)
{
    return payload(putNoise, ctrl, position, noise);
}

// Scan data in its stored layout: packets of points, or readings.
void putPackets(Writer& w, const std::vector<ScanPacket>& packets);
uint64_t packetsSize(const std::vector<ScanPacket>& packets);
std::string packetBytes(const std::vector<ScanPacket>& packets);
std::string readingBytes(const std::vector<double>& readings);
void putPoint(Writer& w, const DataPeak& p);
void putEvent(Writer& w, const CScanEvent& e);
// Decoders of the same layouts; FormatError on bytes that are not one.
std::vector<ScanPacket> decodePackets(const uint8_t* data, size_t size);
std::vector<double> decodeReadings(const uint8_t* data, size_t size);
CScanEvent readEvent(Reader& r);

// Every chunk of a whole file in the order the builder writes them (no
// preamble, no end chunk).
std::string fileChunks(const FileData& data);

// Creates (or empties) the regular file at `path` for writing, never
// waiting on a FIFO: the descriptor, or -1 with errno set (EINVAL for a
// name that is not a regular file).
int createRegularFile(const std::string& path);
// Writes all bytes at an offset; false with errno set on failure.
bool writeAllAt(int fd, const std::string& bytes, int64_t offset);

// Loads a whole file image into `data`. Errors and warnings go to the
// three outputs; answers whether it loaded.
struct LoadStatus {
    int32_t code = kErrNone;
    std::string message;
    std::string warning;
    bool isNew = false;  // a writer made it and has written no controller yet
};
bool loadImage(const uint8_t* bytes, size_t size, FileData& data, LoadStatus& status);

}  // namespace rawengine::format
