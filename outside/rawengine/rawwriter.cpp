// The writers: one core that owns the growing file (preamble, chunks
// appended with a running checksum, the end), and the MS and UV faces.
#include "rawwriter.h"

#include "rawformat.h"
#include "rawtesthooks.h"

#include "ksdate.h"
#include "kshive.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

#include <unistd.h>

namespace rawengine {

using detail::checkpoint;

namespace detail {

// Generic records larger than this are no header a writer accepts.
constexpr uint64_t kMaxRecordSize = uint64_t(1) << 24;

class WriterCore {
public:
    WriterCore(const std::wstring& path, int32_t kind, const wchar_t* creator);
    ~WriterCore();

    bool isError() const { return m_errorCode != kErrNone; }
    int32_t errorCode() const { return m_errorCode; }
    const std::wstring& errorMessage() const { return m_errorMessage; }
    const std::wstring& path() const { return m_path; }

    // Appends one chunk; a controller-scoped one adds the controller first.
    void append(uint32_t tag, const std::string& payload);
    void appendForController(uint32_t tag, const std::string& payload);
    void writeRunHeader() { appendForController(format::kTagRunHeader, format::runHeaderPayload(0, m_runHeader)); }
    // Sets a run-header field and writes the run header; the field keeps
    // its old value when the write fails.
    template <class T>
    void writeRunHeaderField(T RunHeaderFields::*field, const T& value)
    {
        const T old = m_runHeader.*field;
        m_runHeader.*field = value;
        try {
            writeRunHeader();
        } catch (...) {
            m_runHeader.*field = old;
            throw;
        }
    }
    void finish();

    RunHeaderFields m_runHeader;
    int32_t m_kind;
    // Scans: times of the index entries written, data records written.
    std::vector<double> m_times;
    uint32_t m_nextIndex = 0;
    uint32_t m_dataCount = 0;
    uint32_t m_peakPacketType = kPacketLrSp;
    // Generic headers written, and whether records followed.
    CGenericDataHeader m_headers[3];
    bool m_hasHeader[3] = {};
    bool m_hasRecords[3] = {};
    // UV data of the scan being written.
    std::string m_pending;
    int32_t m_pendingCount = 0;

private:
    void writeAll(const std::string& bytes, off_t at);
    [[noreturn]] void ioFailure(const char* what);

    std::wstring m_path;
    int m_fd = -1;
    off_t m_end = 0;
    uint32_t m_crc = 0;
    bool m_hasController = false;
    bool m_finished = false;
    int32_t m_errorCode = kErrNone;
    std::wstring m_errorMessage;
};

namespace {
uint64_t nowTicks()
{
    using namespace std::chrono;
    constexpr uint64_t kEpochTicks = 116444736000000000ull;  // 1601 to 1970 in 100 ns
    return kEpochTicks + uint64_t(duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100);
}
}  // namespace

WriterCore::WriterCore(const std::wstring& path, int32_t kind, const wchar_t* creator) : m_kind(kind), m_path(path)
{
    std::wstring p = path;
    std::replace(p.begin(), p.end(), L'\\', L'/');
    const std::string file = ks::reg::utf8FromWide(p);
    m_fd = file.empty() ? -1 : format::createRegularFile(file);
    if (m_fd < 0) {
        const int err = file.empty() ? ENOENT : errno;
        m_errorCode = err == EINVAL ? kErrNotRegular : kErrCannotOpen;
        m_errorMessage =
            path + (err == EINVAL ? std::wstring(L": not a regular file")
                                  : L": cannot be created (" + ks::reg::wideFromUtf8(std::strerror(err)) + L")");
        return;
    }
    FileInfo info;
    info.creationTime = nowTicks();
    info.creatorId = creator;
    try {
        writeAll(format::preamble(kFormatVersion, kAcqWriting | kAcqRunActive), 0);
        m_end = off_t(format::kPreambleSize);
        append(format::kTagInfo, format::infoPayload(info));
        append(format::kTagSeqRow, format::seqRowPayload(CSeqRow(), {}));
    } catch (const EngineError&) {
        // The error state says it.
    }
}

WriterCore::~WriterCore()
{
    try {
        finish();
    } catch (...) {
        // A destructor reports nothing; the file stays flagged as being written.
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

void WriterCore::ioFailure(const char* what)
{
    const int err = errno;
    m_errorCode = kErrWrite;
    m_errorMessage = m_path + L": " + ks::reg::wideFromUtf8(std::string(what) + " failed (" + std::strerror(err) + ")");
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    throw EngineError(ks::reg::utf8FromWide(m_errorMessage));
}

void WriterCore::writeAll(const std::string& bytes, off_t at)
{
    if (!format::writeAllAt(m_fd, bytes, at))
        ioFailure("writing");
}

void WriterCore::append(uint32_t tag, const std::string& payload)
{
    if (m_fd < 0)
        throw EngineError(m_finished ? "the file is finished"
                                     : "no file to write: " + ks::reg::utf8FromWide(m_errorMessage));
    const std::string bytes = format::chunk(tag, payload);
    // The finished file, end chunk included, stays below what loads.
    const uint64_t endChunk = tag == format::kTagEnd ? 0 : format::kChunkHeaderSize + 4;
    if (uint64_t(m_end) + bytes.size() + endChunk >= format::kMaxFileSize)
        throw EngineError("the file would grow beyond what a raw file may hold");
    writeAll(bytes, m_end);
    m_end += off_t(bytes.size());
    m_crc = format::crc32(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), m_crc);
}

void WriterCore::appendForController(uint32_t tag, const std::string& payload)
{
    if (!m_hasController) {
        append(format::kTagController, format::controllerPayload(0, m_kind));
        m_hasController = true;
        if (tag != format::kTagRunHeader)
            writeRunHeader();
    }
    append(tag, payload);
}

void WriterCore::finish()
{
    if (m_fd < 0)
        return;
    checkpoint("Finish");
    format::Writer crc;
    crc.u32(m_crc);
    append(format::kTagEnd, crc.bytes());
    writeAll(format::preamble(kFormatVersion, 0), 0);
    if (::fdatasync(m_fd) != 0 && errno != EINVAL)
        ioFailure("syncing");
    if (::close(m_fd) != 0) {
        m_fd = -1;
        ioFailure("closing");
    }
    m_fd = -1;
    m_finished = true;
}

}  // namespace detail

namespace {

void checkNumber(int32_t number, uint32_t flags)
{
    if (number != -1 && number != 1)
        throw EngineError("a written file holds one controller, number 1 (not " + std::to_string(number) + ")");
    if (flags != 0)
        throw EngineError("unknown writer flags " + std::to_string(flags));
}

std::string checkedPackets(const uint8_t* bytes, uint32_t size, uint32_t packetType, std::vector<ScanPacket>* out)
{
    if (!IsSpectralPacket(packetType))
        throw EngineError("packet type " + std::to_string(packetType) + " holds no packets of points");
    if (!bytes && size > 0)
        throw EngineError("no data");
    try {
        std::vector<ScanPacket> packets = format::decodePackets(bytes, size);
        if (out)
            *out = std::move(packets);
    } catch (const format::FormatError& e) {
        throw EngineError("scan data that are no packets: " + e.reason);
    }
    return std::string(reinterpret_cast<const char*>(bytes), size);
}

// Where an index entry may go: the times around it must not fall.
bool fitsInTime(const std::vector<double>& times, uint32_t position, double t)
{
    if (!std::isfinite(t))
        return false;
    if (position > 0 && t < times[position - 1])
        return false;
    if (position + 1 < times.size() && t > times[position + 1])
        return false;
    return true;
}

void placeTime(std::vector<double>& times, uint32_t position, double t)
{
    if (position == times.size())
        times.push_back(t);
    else
        times[position] = t;
}

}  // namespace

// ---------------------------------------------------------------- both

CVirtualWriter::CVirtualWriter(const std::wstring& path, int32_t kind, const wchar_t* creator)
    : m_core(std::make_unique<detail::WriterCore>(path, kind, creator))
{
}

CVirtualWriter::~CVirtualWriter() = default;

bool CVirtualWriter::IsError() const
{
    checkpoint("IsError");
    return m_core->isError();
}

int32_t CVirtualWriter::GetErrorCode() const
{
    checkpoint("GetErrorCode");
    return m_core->errorCode();
}

std::wstring CVirtualWriter::GetErrorMessage() const { return m_core->errorMessage(); }

const std::wstring& CVirtualWriter::GetFileName() const
{
    checkpoint("GetFileName");
    return m_core->path();
}

void CVirtualWriter::WriteInstIDData(const CInstID& id)
{
    checkpoint("WriteInstIDData");
    m_core->appendForController(format::kTagInstrument, format::instrumentPayload(0, id));
}

void CVirtualWriter::WriteInstExpectedRunTime(double minutes)
{
    checkpoint("WriteInstExpectedRunTime");
    m_core->writeRunHeaderField(&RunHeaderFields::expectedRunTime, minutes);
}

void CVirtualWriter::WriteErrorLog(const CErrorLogItem& item)
{
    checkpoint("WriteErrorLog");
    m_core->appendForController(format::kTagErrorLog, format::errorLogPayload(0, item));
}

void CVirtualWriter::Finish() { m_core->finish(); }

// ---------------------------------------------------------------- MS

// The checks of a writer's arguments, before its file is made.
static int32_t checkedKind(const char* writer, int32_t kind, int32_t lowest, int32_t number, uint32_t flags)
{
    checkpoint(writer);
    if (kind < lowest || kind > kDeviceUV)
        throw EngineError(std::string(writer) + " for controller kind " + std::to_string(kind));
    checkNumber(number, flags);
    return kind;
}

CVirtualMSWriter::CVirtualMSWriter(const std::wstring& path, int32_t number, uint32_t flags)
    : CVirtualWriter(path, checkedKind("CVirtualMSWriter", kDeviceMS, kDeviceMS, number, flags), L"Virtual MS writer")
{
}

CVirtualMSWriter::~CVirtualMSWriter() = default;

void CVirtualMSWriter::WriteInstMassResolution(double value)
{
    checkpoint("WriteInstMassResolution");
    m_core->writeRunHeaderField(&RunHeaderFields::massResolution, value);
}

void CVirtualMSWriter::WriteInstComment(int which, const std::wstring& text)
{
    checkpoint("WriteInstComment");
    if (which != 1 && which != 2)
        throw EngineError("run headers hold comments 1 and 2 (not " + std::to_string(which) + ")");
    m_core->writeRunHeaderField(which == 1 ? &RunHeaderFields::comment1 : &RunHeaderFields::comment2, text);
}

void CVirtualMSWriter::WriteInstData(const uint8_t* bytes, uint32_t size, uint32_t packetType)
{
    checkpoint("WriteInstData");
    const std::string data = checkedPackets(bytes, size, packetType, nullptr);
    m_core->appendForController(format::kTagScanData,
                                format::scanDataPayload(0, m_core->m_dataCount, packetType, data));
    ++m_core->m_dataCount;
}

void CVirtualMSWriter::WriteInstData(const DataPeak* peaks, int32_t count)
{
    checkpoint("WriteInstData");
    if (count < 0 || (count > 0 && !peaks))
        throw EngineError("peak-form data of " + std::to_string(count) + " points");
    if (uint64_t(count) * sizeof(DataPeak) > format::kMaxFileSize)
        throw EngineError("more points than a raw file may hold");
    ScanPacket packet;
    packet.points.assign(peaks, peaks + count);
    if (count > 0) {
        packet.lowMass = INFINITY;
        packet.highMass = -INFINITY;
        for (const DataPeak& p : packet.points) {
            packet.lowMass = std::fmin(packet.lowMass, p.position);
            packet.highMass = std::fmax(packet.highMass, p.position);
        }
        if (!std::isfinite(packet.lowMass) || !std::isfinite(packet.highMass))
            packet.lowMass = packet.highMass = 0.0;
    }
    m_core->appendForController(format::kTagScanData,
                                format::scanDataPayload(0, m_core->m_dataCount, m_core->m_peakPacketType,
                                                        format::packetBytes({packet})));
    ++m_core->m_dataCount;
}

namespace {
void writeHeader(detail::WriterCore& core, GenericLogKind which, const CGenericDataHeader& header)
{
    if (core.m_hasRecords[which])
        throw EngineError("a generic header cannot change after records were written under it");
    if (header.RecordSize() > detail::kMaxRecordSize)
        throw EngineError("generic records of " + std::to_string(header.RecordSize()) + " bytes");
    core.appendForController(format::kTagGenericHeader, format::genericHeaderPayload(0, which, header));
    core.m_headers[which] = header;
    core.m_hasHeader[which] = true;
}

void writeRecord(detail::WriterCore& core, GenericLogKind which, float time, const uint8_t* bytes)
{
    if (!core.m_hasHeader[which])
        throw EngineError("a generic record before its header");
    GenericRecord record;
    record.time = time;
    const uint64_t size = core.m_headers[which].RecordSize();
    if (size > 0 && !bytes)
        throw EngineError("no record bytes");
    record.bytes.assign(bytes, bytes + size);
    core.appendForController(format::kTagGenericRecord, format::genericRecordPayload(0, which, record));
    core.m_hasRecords[which] = true;
}
}  // namespace

void CVirtualMSWriter::WriteTrailerHeader(const CGenericDataHeader& header)
{
    checkpoint("WriteTrailerHeader");
    writeHeader(*m_core, kLogTrailer, header);
}

void CVirtualMSWriter::WriteStatusLogHeader(const CGenericDataHeader& header)
{
    checkpoint("WriteStatusLogHeader");
    writeHeader(*m_core, kLogStatus, header);
}

void CVirtualMSWriter::WriteTuneDataHeader(const CGenericDataHeader& header)
{
    checkpoint("WriteTuneDataHeader");
    writeHeader(*m_core, kLogTune, header);
}

void CVirtualMSWriter::WriteTrailerExtraData(const uint8_t* bytes)
{
    checkpoint("WriteTrailerExtraData");
    writeRecord(*m_core, kLogTrailer, 0.0f, bytes);
}

void CVirtualMSWriter::WriteStatusLog(float time, const uint8_t* bytes)
{
    checkpoint("WriteStatusLog");
    writeRecord(*m_core, kLogStatus, time, bytes);
}

void CVirtualMSWriter::WriteTuneData(const uint8_t* bytes)
{
    checkpoint("WriteTuneData");
    writeRecord(*m_core, kLogTune, 0.0f, bytes);
}

void CVirtualMSWriter::WriteScanEventData(const CMSScanEvents& events)
{
    checkpoint("WriteScanEventData");
    for (const auto& [key, event] : events.Events())
        if (event.reactions.size() > kMaxReactions || event.massRanges.size() > kMaxMassRanges)
            throw EngineError("a scan event beyond what an event holds");
    m_core->appendForController(format::kTagMethodEvents, format::methodEventsPayload(0, events));
}

namespace {
bool writeIndex(detail::WriterCore& core, const ScanIndex& index, const CScanEvent* event)
{
    if (event && (event->reactions.size() > kMaxReactions || event->massRanges.size() > kMaxMassRanges))
        throw EngineError("a scan event beyond what an event holds");
    const uint32_t position = core.m_nextIndex;
    if (!fitsInTime(core.m_times, position, index.startTime))
        return false;
    core.appendForController(format::kTagScanIndex, format::scanIndexPayload(0, position, index));
    placeTime(core.m_times, position, index.startTime);
    core.m_nextIndex = position + 1;
    if (event)
        core.appendForController(format::kTagScanEvent, format::scanEventPayload(0, position, *event));
    return true;
}
}  // namespace

bool CVirtualMSWriter::WriteInstScanIndex(const ScanIndex& index, const CScanEvent& event)
{
    checkpoint("WriteInstScanIndex");
    return writeIndex(*m_core, index, &event);
}

bool CVirtualMSWriter::WriteInstScanIndex(const ScanIndex& index)
{
    checkpoint("WriteInstScanIndex");
    return writeIndex(*m_core, index, nullptr);
}

void CVirtualMSWriter::InitializeScanIndex(int32_t position, uint32_t packetType)
{
    checkpoint("InitializeScanIndex");
    if (position < 0 || size_t(position) > m_core->m_times.size())
        throw EngineError("scan index position " + std::to_string(position) + " with " +
                          std::to_string(m_core->m_times.size()) + " entries written");
    if (!IsSpectralPacket(packetType))
        throw EngineError("packet type " + std::to_string(packetType) + " is no mass-spectrometer type");
    m_core->m_nextIndex = uint32_t(position);
    m_core->m_peakPacketType = packetType;
}

// ---------------------------------------------------------------- UV

CVirtualUVWriter::CVirtualUVWriter(const std::wstring& path, int32_t kind, int32_t number, uint32_t flags)
    : CVirtualWriter(path, checkedKind("CVirtualUVWriter", kind, kDeviceAnalog, number, flags), L"Virtual UV writer")
{
}

CVirtualUVWriter::~CVirtualUVWriter() = default;

void CVirtualUVWriter::WriteInstData(const uint8_t* bytes, uint32_t size, uint32_t packetType, int32_t count,
                                     int32_t complete)
{
    checkpoint("WriteInstData");
    detail::WriterCore& core = *m_core;
    if (count < 0)
        throw EngineError("data of " + std::to_string(count) + " values");
    if (core.m_kind == kDevicePDA) {
        std::vector<ScanPacket> packets;
        checkedPackets(bytes, size, packetType, &packets);
        if (packets.size() != size_t(count))
            throw EngineError("PDA data of " + std::to_string(packets.size()) + " packets announced as " +
                              std::to_string(count));
    } else {
        if (!IsChannelPacket(packetType))
            throw EngineError("packet type " + std::to_string(packetType) + " holds no channel readings");
        if (uint64_t(count) * 8 != size || (size > 0 && !bytes))
            throw EngineError(std::to_string(count) + " readings in " + std::to_string(size) + " bytes");
    }
    if (core.m_pending.size() + size > format::kMaxFileSize)
        throw EngineError("more data than a raw file may hold");
    if (size > 0)
        core.m_pending.append(reinterpret_cast<const char*>(bytes), size);
    core.m_pendingCount += count;
    if (complete != 0) {
        core.appendForController(format::kTagScanData,
                                 format::scanDataPayload(0, core.m_dataCount, packetType, core.m_pending));
        ++core.m_dataCount;
        core.m_pending.clear();
        core.m_pendingCount = 0;
    }
}

bool CVirtualUVWriter::WriteInstScanIndex(const UVScanIndex& index)
{
    checkpoint("WriteInstScanIndex");
    detail::WriterCore& core = *m_core;
    const uint32_t position = uint32_t(core.m_times.size());
    if (!fitsInTime(core.m_times, position, index.startTime))
        return false;
    core.appendForController(format::kTagUVScanIndex, format::uvScanIndexPayload(0, position, index));
    placeTime(core.m_times, position, index.startTime);
    return true;
}


}  // namespace rawengine
