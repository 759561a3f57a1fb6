// The file format's bytes: fields, text, preamble, chunks and every chunk
// payload. The loader (rawloader.cpp) reads what these write.
#include "rawformat.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rawengine::format {

// ---------------------------------------------------------------- bytes

std::string tagText(uint32_t t)
{
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const char c = char((t >> (8 * i)) & 0xFF);
        s += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return s;
}

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t floatBits(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return bits;
}

uint64_t doubleBits(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return bits;
}

void Writer::little(uint64_t v, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        u8(uint8_t(v >> (8 * i)));
}
void Writer::u16(uint16_t v) { little(v, 2); }
void Writer::u32(uint32_t v) { little(v, 4); }
void Writer::u64(uint64_t v) { little(v, 8); }
void Writer::f32(float v) { u32(floatBits(v)); }
void Writer::f64(double v) { u64(doubleBits(v)); }
void Writer::str(const std::wstring& text)
{
    uint32_t units = 0;
    for (wchar_t c : text)
        units += (uint32_t(c) >= 0x10000 && uint32_t(c) <= 0x10FFFF) ? 2 : 1;
    u32(units);
    appendUtf16(m_bytes, text);
}

size_t Writer::beginChunk(uint32_t t)
{
    u32(t);
    const size_t at = size();
    u32(0);
    return at;
}

void Writer::endChunk(size_t at)
{
    const uint32_t length = uint32_t(size() - at - 4);
    for (int i = 0; i < 4; ++i)
        m_bytes[at + size_t(i)] = char(length >> (8 * i));
}

void Reader::need(size_t n, const char* what) const
{
    if (left() < n)
        throw FormatError{std::string(what) + " runs past the end of its chunk"};
}
uint8_t Reader::u8()
{
    need(1);
    return *m_p++;
}
uint64_t Reader::little(size_t n)
{
    need(n);
    uint64_t v = 0;
    for (size_t i = n; i > 0; --i)
        v = v << 8 | m_p[i - 1];
    m_p += n;
    return v;
}
uint16_t Reader::u16() { return uint16_t(little(2)); }
uint32_t Reader::u32() { return uint32_t(little(4)); }
uint64_t Reader::u64() { return little(8); }
float Reader::f32()
{
    const uint32_t bits = u32();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}
double Reader::f64()
{
    const uint64_t bits = u64();
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}
const uint8_t* Reader::raw(size_t size)
{
    need(size, "data");
    const uint8_t* p = m_p;
    m_p += size;
    return p;
}
std::wstring Reader::str()
{
    const uint32_t units = count(2, "text");
    return fromUtf16(raw(size_t(units) * 2), units);
}
uint32_t Reader::count(size_t minSize, const char* what)
{
    const uint32_t n = u32();
    if (minSize > 0 && uint64_t(n) * minSize > left())
        throw FormatError{std::string("count of ") + what + " (" + std::to_string(n) +
                          ") exceeds the bytes of its chunk"};
    return n;
}

std::wstring fromUtf16(const uint8_t* data, size_t units)
{
    std::wstring out;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = uint32_t(data[2 * i] | data[2 * i + 1] << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            const uint32_t lo = uint32_t(data[2 * i + 2] | data[2 * i + 3] << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                out.push_back(wchar_t(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00)));
                ++i;
                continue;
            }
        }
        out.push_back(u >= 0xD800 && u < 0xE000 ? wchar_t(0xFFFD) : wchar_t(u));
    }
    return out;
}

void appendUtf16(std::string& out, const std::wstring& text)
{
    auto unit = [&](uint32_t u) {
        out.push_back(char(u & 0xFF));
        out.push_back(char(u >> 8));
    };
    for (wchar_t wc : text) {
        const uint32_t c = uint32_t(wc);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            unit(0xFFFD);
        } else {
            unit(c);
        }
    }
}

// The magic number and the signature letters: the preamble's first bytes.
static const std::string& signatureBytes()
{
    static const std::string bytes = [] {
        Writer w;
        w.u16(kPreambleMagic);
        for (const char* c = kSignature; *c; ++c)
            w.u16(uint16_t(*c));
        return w.take();
    }();
    return bytes;
}

std::string preamble(uint16_t version, uint32_t flags)
{
    Writer w;
    w.raw(signatureBytes().data(), signatureBytes().size());
    w.u16(version);
    w.u32(flags);
    w.u32(0);
    w.u32(crc32(reinterpret_cast<const uint8_t*>(w.bytes().data()), w.size()));
    return w.take();
}

bool hasSignature(const uint8_t* bytes, size_t size)
{
    const std::string& signature = signatureBytes();
    return size > 0 && std::memcmp(bytes, signature.data(), std::min(size, signature.size())) == 0;
}

const char kNotRawFileReason[] = "not a raw file (no raw-file signature)";

std::string chunk(uint32_t t, const std::string& payload)
{
    Writer w;
    w.u32(t);
    w.u32(uint32_t(payload.size()));
    w.raw(payload.data(), payload.size());
    return w.take();
}

int createRegularFile(const std::string& path)
{
    // Non-blocking, so a FIFO of that name cannot hold the open; anything
    // but a regular file is refused before a byte is written.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        // A FIFO without a reader, a socket or a device answers ENXIO.
        if (errno == ENXIO)
            errno = EINVAL;
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int fl = fcntl(fd, F_GETFL);
    if (fl < 0 || fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0 || ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

bool writeAllAt(int fd, const std::string& bytes, int64_t offset)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// ---------------------------------------------------------------- payloads

void putInfo(Writer& w, const FileInfo& info)
{
    w.u64(info.creationTime);
    w.str(info.creatorId);
    w.u8(info.hasExpMethod ? 1 : 0);
}

void putSeqRow(Writer& w, const CSeqRow& row, const std::array<std::wstring, 5>& userLabels)
{
    w.i32(row.rowNumber);
    w.i32(row.sampleType);
    for (const std::wstring* s : {&row.dataPath, &row.rawFileName, &row.sampleName, &row.sampleId, &row.comment,
                                  &row.levelName})
        w.str(*s);
    for (const std::wstring& s : row.userText)
        w.str(s);
    for (const std::wstring* s : {&row.instrumentMethod, &row.processingMethod, &row.calibrationFile, &row.vial})
        w.str(*s);
    for (double v : {row.injectionVolume, row.sampleWeight, row.sampleVolume, row.istdAmount, row.dilutionFactor})
        w.f64(v);
    for (const std::wstring& s : row.userTextEx)
        w.str(s);
    w.str(row.barcode);
    w.i32(row.barcodeStatus);
    for (const std::wstring& s : userLabels)
        w.str(s);
}

namespace {
void putNode(Writer& w, const MethodNode& node)
{
    w.str(node.name);
    w.u8(node.isStorage ? 1 : 0);
    if (node.isStorage) {
        w.u32(uint32_t(node.children.size()));
        for (const MethodNode& c : node.children)
            putNode(w, c);
    } else {
        w.u32(uint32_t(node.bytes.size()));
        w.raw(node.bytes.data(), node.bytes.size());
    }
}
}  // namespace

void putMethods(Writer& w, const MethodNode& root)
{
    putNode(w, root);
}

void putController(Writer& w, uint32_t index, int32_t kind)
{
    w.u32(index);
    w.i32(kind);
}

void putRunHeader(Writer& w, uint32_t ctrl, const RunHeaderFields& rh)
{
    w.u32(ctrl);
    w.i32(rh.firstScanNumber);
    w.f64(rh.expectedRunTime);
    w.f64(rh.massResolution);
    w.i32(rh.filterMassPrecision);
    w.i32(rh.instrumentId);
    w.i16(rh.inletId);
    w.i16(rh.errorFlag);
    w.i16(rh.vialNumber);
    w.f64(rh.sampleVolume);
    w.f64(rh.sampleWeight);
    w.f64(rh.injectionVolume);
    w.raw(rh.flags.data(), rh.flags.size());
    for (const std::wstring* s : {&rh.acquisitionFileName, &rh.instrumentDescription, &rh.acquisitionDate,
                                  &rh.operatorName, &rh.comment1, &rh.comment2, &rh.sampleAmountUnits,
                                  &rh.injectionAmountUnits, &rh.sampleVolumeUnits})
        w.str(*s);
}

void putInstrument(Writer& w, uint32_t ctrl, const CInstID& inst)
{
    w.u32(ctrl);
    for (const std::wstring* s : {&inst.name, &inst.model, &inst.serialNumber, &inst.softwareVersion,
                                  &inst.hardwareVersion, &inst.experimentType, &inst.flags})
        w.str(*s);
    w.u32(uint32_t(inst.channelLabels.size()));
    for (const std::wstring& s : inst.channelLabels)
        w.str(s);
}

void putErrorLog(Writer& w, uint32_t ctrl, const CErrorLogItem& item)
{
    w.u32(ctrl);
    w.f64(item.time);
    w.str(item.message);
}

void putGenericHeader(Writer& w, uint32_t ctrl, GenericLogKind which, const CGenericDataHeader& header)
{
    w.u32(ctrl);
    w.u32(which);
    w.u32(uint32_t(header.NumItems()));
    for (const GenericItem& item : header.Items()) {
        w.str(item.label);
        w.u32(item.kind);
        w.u32(item.precision);
    }
}

void putGenericRecord(Writer& w, uint32_t ctrl, GenericLogKind which, const GenericRecord& record)
{
    w.u32(ctrl);
    w.u32(which);
    w.f32(record.time);
    w.u32(uint32_t(record.bytes.size()));
    w.raw(record.bytes.data(), record.bytes.size());
}

void putEvent(Writer& w, const CScanEvent& e)
{
    for (int8_t v : {int8_t(e.analyzer), int8_t(e.polarity), int8_t(e.dataForm), int8_t(e.ionization),
                     int8_t(e.corona), int8_t(e.sourceCID), int8_t(e.turbo), int8_t(e.dependent),
                     int8_t(e.wideband), int8_t(e.custom), int8_t(e.scanType), e.msOrder})
        w.i8(v);
    w.u8(e.eventClass);
    w.u8(e.valid ? 1 : 0);
    w.u8(e.sourceCIDValueValid ? 1 : 0);
    w.f64(e.sourceCIDValue);
    w.u32(uint32_t(e.reactions.size()));
    for (const Reaction& r : e.reactions) {
        w.f64(r.precursorMass);
        w.u8(r.energyValid ? 1 : 0);
        w.f64(r.energy);
        w.i8(int8_t(r.activation));
    }
    w.u32(uint32_t(e.massRanges.size()));
    for (const MassRange& m : e.massRanges) {
        w.f64(m.low);
        w.f64(m.high);
    }
}

namespace {
template <class E>
E enumIn(int8_t v, int8_t last, const char* what)
{
    if (v < -1 || v > last)
        throw FormatError{std::string("scan event with an unknown ") + what + " (" + std::to_string(v) + ")"};
    return E(v);
}
bool flag(uint8_t v, const char* what)
{
    if (v > 1)
        throw FormatError{std::string("flag ") + what + " is neither 0 nor 1"};
    return v == 1;
}
}  // namespace

CScanEvent readEvent(Reader& r)
{
    CScanEvent e;
    e.analyzer = enumIn<Analyzer>(r.i8(), int8_t(Analyzer::SECTOR), "analyser");
    e.polarity = enumIn<Polarity>(r.i8(), 1, "polarity");
    e.dataForm = enumIn<DataForm>(r.i8(), 1, "data form");
    e.ionization = enumIn<Ionization>(r.i8(), int8_t(Ionization::GD), "ionisation");
    Tri* tris[] = {&e.corona, &e.sourceCID, &e.turbo, &e.dependent, &e.wideband, &e.custom};
    for (Tri* t : tris)
        *t = enumIn<Tri>(r.i8(), 1, "switch state");
    e.scanType = enumIn<ScanType>(r.i8(), int8_t(ScanType::Q3MS), "scan type");
    e.msOrder = r.i8();
    if (e.msOrder < kOrderParent || e.msOrder > kMaxMSOrder)
        throw FormatError{"scan event with MS order " + std::to_string(e.msOrder)};
    e.eventClass = r.u8();
    e.valid = flag(r.u8(), "valid");
    e.sourceCIDValueValid = flag(r.u8(), "source-CID value");
    e.sourceCIDValue = r.f64();
    const uint32_t nr = r.count(18, "reactions");
    if (nr > kMaxReactions)
        throw FormatError{"scan event with " + std::to_string(nr) + " reactions"};
    for (uint32_t i = 0; i < nr; ++i) {
        Reaction x;
        x.precursorMass = r.f64();
        x.energyValid = flag(r.u8(), "energy valid");
        x.energy = r.f64();
        x.activation = enumIn<Activation>(r.i8(), int8_t(Activation::MPD), "activation");
        e.reactions.push_back(x);
    }
    const uint32_t nm = r.count(16, "mass ranges");
    if (nm > kMaxMassRanges)
        throw FormatError{"scan event with " + std::to_string(nm) + " mass ranges"};
    for (uint32_t i = 0; i < nm; ++i) {
        MassRange m;
        m.low = r.f64();
        m.high = r.f64();
        e.massRanges.push_back(m);
    }
    return e;
}

void putMethodEvents(Writer& w, uint32_t ctrl, const CMSScanEvents& events)
{
    w.u32(ctrl);
    w.u32(uint32_t(events.Count()));
    for (const auto& [key, event] : events.Events()) {
        w.u32(key);
        putEvent(w, event);
    }
}

void putPoint(Writer& w, const DataPeak& p)
{
    w.f64(p.intensity);
    w.f64(p.position);
    w.f32(p.basePeak);
    w.i32(p.scan);
    w.u8(p.flags);
    w.raw(p.reserved, sizeof p.reserved);
}

void putPackets(Writer& w, const std::vector<ScanPacket>& packets)
{
    for (const ScanPacket& p : packets) {
        w.f64(p.lowMass);
        w.f64(p.highMass);
        w.u32(uint32_t(p.points.size()));
        w.u32(0);
        for (const DataPeak& d : p.points)
            putPoint(w, d);
    }
}

uint64_t packetsSize(const std::vector<ScanPacket>& packets)
{
    uint64_t n = 0;
    for (const ScanPacket& p : packets)
        n += 24 + 32 * uint64_t(p.points.size());
    return n;
}

std::string packetBytes(const std::vector<ScanPacket>& packets)
{
    Writer w;
    putPackets(w, packets);
    return w.take();
}

std::string readingBytes(const std::vector<double>& readings)
{
    Writer w;
    for (double v : readings)
        w.f64(v);
    return w.take();
}

std::vector<ScanPacket> decodePackets(const uint8_t* data, size_t size)
{
    std::vector<ScanPacket> packets;
    Reader r(data, size);
    while (r.left() > 0) {
        ScanPacket p;
        p.lowMass = r.f64();
        p.highMass = r.f64();
        const uint32_t n = r.count(0, "points");
        if (r.u32() != 0)
            throw FormatError{"packet header with a non-zero reserved field"};
        if (uint64_t(n) * sizeof(DataPeak) > r.left())
            throw FormatError{"packet of " + std::to_string(n) + " points exceeds the scan's data"};
        p.points.resize(n);
        for (DataPeak& d : p.points) {
            d.intensity = r.f64();
            d.position = r.f64();
            d.basePeak = r.f32();
            d.scan = r.i32();
            d.flags = r.u8();
            std::memcpy(d.reserved, r.raw(sizeof d.reserved), sizeof d.reserved);
        }
        packets.push_back(std::move(p));
    }
    return packets;
}

std::vector<double> decodeReadings(const uint8_t* data, size_t size)
{
    if (size % 8 != 0)
        throw FormatError{"channel readings of " + std::to_string(size) + " bytes (not a multiple of 8)"};
    std::vector<double> out(size / 8);
    Reader r(data, size);
    for (double& v : out)
        v = r.f64();
    return out;
}

void putScanDataHead(Writer& w, uint32_t ctrl, uint32_t position, uint32_t packetType, uint64_t size)
{
    w.u32(ctrl);
    w.u32(position);
    w.u32(packetType);
    w.u32(uint32_t(size));
}

void putScanData(Writer& w, uint32_t ctrl, uint32_t position, uint32_t packetType, const std::string& data)
{
    putScanDataHead(w, ctrl, position, packetType, data.size());
    w.raw(data.data(), data.size());
}

void putScanIndex(Writer& w, uint32_t ctrl, uint32_t position, const ScanIndex& x)
{
    w.u32(ctrl);
    w.u32(position);
    w.u32(x.dataOffset);
    w.i32(x.trailerOffset);
    w.i32(x.scanTypeIndex);
    w.i32(x.scanNumber);
    w.u32(x.packetType);
    w.u32(x.numPackets);
    for (double v : {x.startTime, x.tic, x.basePeakIntensity, x.basePeakMass, x.lowMass, x.highMass})
        w.f64(v);
}

void putUvScanIndex(Writer& w, uint32_t ctrl, uint32_t position, const UVScanIndex& x)
{
    w.u32(ctrl);
    w.u32(position);
    w.u32(x.packetType);
    w.u32(x.numberOfChannels);
    for (double v : {x.startTime, x.tic, x.lowLimit, x.highLimit, x.frequency})
        w.f64(v);
    w.u32(x.uniformTime);
}

void putScanEvent(Writer& w, uint32_t ctrl, uint32_t position, const CScanEvent& event)
{
    w.u32(ctrl);
    w.u32(position);
    putEvent(w, event);
}

void putLabels(Writer& w, uint32_t ctrl, uint32_t position, const std::vector<LabelPeak>& labels)
{
    w.u32(ctrl);
    w.u32(position);
    w.u32(uint32_t(labels.size()));
    for (const LabelPeak& l : labels) {
        w.f64(l.mass);
        for (float v : {l.intensity, l.resolution, l.baseline, l.noise})
            w.f32(v);
        w.i8(l.charge);
        w.u8(l.flags);
        w.raw(l.reserved, sizeof l.reserved);
    }
}

void putNoise(Writer& w, uint32_t ctrl, uint32_t position, const std::vector<NoiseRecord>& noise)
{
    w.u32(ctrl);
    w.u32(position);
    w.u32(uint32_t(noise.size()));
    for (const NoiseRecord& n : noise) {
        w.f64(n.mass);
        w.f32(n.noise);
        w.f32(n.baseline);
    }
}

// ---------------------------------------------------------------- whole file

std::string fileChunks(const FileData& data)
{
    // One buffer: each chunk is written in place and its length patched.
    Writer w;
    auto in = [&w](uint32_t t, const auto& body) {
        const size_t at = w.beginChunk(t);
        body();
        w.endChunk(at);
    };
    in(kTagInfo, [&] { putInfo(w, data.info); });
    in(kTagSeqRow, [&] { putSeqRow(w, data.seqRow, data.userLabels); });
    if (data.methods)
        in(kTagMethods, [&] { putMethods(w, *data.methods); });
    for (size_t ci = 0; ci < data.controllers.size(); ++ci) {
        const ControllerData& c = data.controllers[ci];
        const uint32_t ctrl = uint32_t(ci);
        in(kTagController, [&] { putController(w, ctrl, c.kind); });
        in(kTagRunHeader, [&] { putRunHeader(w, ctrl, c.runHeader); });
        in(kTagInstrument, [&] { putInstrument(w, ctrl, c.instrument); });
        for (const CErrorLogItem& e : c.errorLog)
            in(kTagErrorLog, [&] { putErrorLog(w, ctrl, e); });
        const std::pair<GenericLogKind, const GenericLog*> logs[] = {
            {kLogStatus, &c.statusLog}, {kLogTrailer, &c.trailer}, {kLogTune, &c.tune}};
        for (const auto& [which, log] : logs) {
            if (log->hasHeader)
                in(kTagGenericHeader, [&, which = which, log = log] { putGenericHeader(w, ctrl, which, log->header); });
            for (const GenericRecord& r : log->records)
                in(kTagGenericRecord, [&, which = which] { putGenericRecord(w, ctrl, which, r); });
        }
        if (c.methodEvents.Count() > 0)
            in(kTagMethodEvents, [&] { putMethodEvents(w, ctrl, c.methodEvents); });
        const bool spectral = IsSpectralKind(c.kind);
        uint64_t offset = 0;
        for (size_t si = 0; si < c.scans.size(); ++si) {
            const ScanRecord& s = c.scans[si];
            const uint32_t pos = uint32_t(si);
            if (c.kind == kDeviceMS) {
                const uint64_t size = packetsSize(s.packets);
                in(kTagScanData, [&] {
                    putScanDataHead(w, ctrl, pos, s.index.packetType, size);
                    putPackets(w, s.packets);
                });
                // Offset and packet count are the engine's, whatever the model says.
                ScanIndex index = s.index;
                index.dataOffset = uint32_t(offset);
                index.numPackets = uint32_t(s.packets.size());
                offset += size;
                in(kTagScanIndex, [&] { putScanIndex(w, ctrl, pos, index); });
                if (s.hasEvent)
                    in(kTagScanEvent, [&] { putScanEvent(w, ctrl, pos, s.event); });
                if (!s.labels.empty())
                    in(kTagLabels, [&] { putLabels(w, ctrl, pos, s.labels); });
                if (!s.noise.empty())
                    in(kTagNoise, [&] { putNoise(w, ctrl, pos, s.noise); });
            } else {
                in(kTagScanData, [&] {
                    if (spectral) {
                        putScanDataHead(w, ctrl, pos, s.uvIndex.packetType, packetsSize(s.packets));
                        putPackets(w, s.packets);
                    } else {
                        putScanDataHead(w, ctrl, pos, s.uvIndex.packetType, 8 * uint64_t(s.readings.size()));
                        for (double v : s.readings)
                            w.f64(v);
                    }
                });
                in(kTagUVScanIndex, [&] { putUvScanIndex(w, ctrl, pos, s.uvIndex); });
            }
        }
    }
    return w.take();
}

}  // namespace rawengine::format
