// Reading a raw file: loading (through the regular-file open), the file
// object, the controller views and the method storage.
#include "rawfile.h"

#include "rawformat.h"
#include "rawtesthooks.h"

#include "kscomptr.h"
#include "ksfiles.h"
#include "kshive.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include <sys/stat.h>
#include <unistd.h>

namespace rawengine {

using detail::checkpoint;

namespace {

std::wstring widen(const std::string& text) { return ks::reg::wideFromUtf8(text); }

// Reads up to `size` bytes at the descriptor's place into `out`; the count
// read (short only at the end of the file), or -1 with errno set.
ssize_t readFully(int fd, char* out, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, out + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;  // the end of the file (it may have shrunk while read: a writer truncated it)
        done += size_t(n);
    }
    return ssize_t(done);
}

// Reads the regular file at `path` whole, once its preamble carries the
// signature: a foreign file is refused having read its first 32 bytes,
// before anything is sized by its length. Answers kErrNone or an error
// code with its reason (the text after the path).
int32_t readRawFile(const std::string& path, std::string& bytes, std::string& reason)
{
    const int fd = ks::openRegularFile(path);
    if (fd < 0) {
        const int err = errno;
        const bool special = err == EISDIR || err == EINVAL;
        reason = std::string(special ? "not a regular file (" : "cannot be read (") + std::strerror(err) + ")";
        return special ? kErrNotRegular : kErrCannotOpen;
    }
    struct stat st {};
    int32_t code = kErrNone;
    char head[format::kPreambleSize];
    ssize_t got = 0;
    if (fstat(fd, &st) != 0 || (got = readFully(fd, head, sizeof head)) < 0) {
        reason = std::string("cannot be read (") + std::strerror(errno) + ")";
        code = kErrRead;
    } else if (!format::hasSignature(reinterpret_cast<const uint8_t*>(head), size_t(got))) {
        reason = format::kNotRawFileReason;
        code = kErrNotRawFile;
    } else if (uint64_t(st.st_size) >= format::kMaxFileSize) {
        reason = "cannot be read (" + std::to_string(st.st_size) + " bytes, not below the " +
                 std::to_string(format::kMaxFileSize) + " the engine loads)";
        code = kErrTooLarge;
    } else {
        try {
            bytes.assign(head, size_t(got));
            bytes.resize(std::max(size_t(st.st_size), size_t(got)));
        } catch (const std::bad_alloc&) {
            reason = "cannot be read (no memory for " + std::to_string(st.st_size) + " bytes)";
            code = kErrTooLarge;
        }
        const ssize_t rest = code == kErrNone ? readFully(fd, bytes.data() + got, bytes.size() - size_t(got)) : 0;
        if (rest < 0) {
            reason = std::string("cannot be read (") + std::strerror(errno) + ")";
            code = kErrRead;
        } else if (code == kErrNone) {
            bytes.resize(size_t(got) + size_t(rest));
        }
    }
    ::close(fd);
    return code;
}

void fillStorage(IStorage* stg, const MethodNode& node)
{
    const DWORD mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    for (const MethodNode& c : node.children) {
        if (c.isStorage) {
            ks::ComPtr<IStorage> sub;
            if (FAILED(stg->CreateStorage(c.name.c_str(), mode, 0, 0, &sub)))
                throw EngineError("method storage cannot hold the element");
            fillStorage(sub, c);
        } else {
            ks::ComPtr<IStream> s;
            if (FAILED(stg->CreateStream(c.name.c_str(), mode, 0, 0, &s)) ||
                (!c.bytes.empty() && FAILED(s->Write(c.bytes.data(), ULONG(c.bytes.size()), nullptr))))
                throw EngineError("method storage cannot hold the element");
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- CMethodStg

CMethodStg::CMethodStg(const MethodNode& root) : m_root(root)
{
    for (const MethodNode& c : m_root.children)
        if (c.isStorage) {
            m_names.push_back(c.name);
            m_methods.push_back(&c);
        }
}

CMethodStg::~CMethodStg() = default;

HRESULT CMethodStg::GetStorage(IStorage** ppstg) const
{
    checkpoint("GetStorage");
    if (!ppstg)
        return E_POINTER;
    *ppstg = nullptr;
    // Built inside a scratch root and opened again read-only: the caller
    // gets a storage it cannot change.
    ks::ComPtr<IStorage> scratch, built;
    HRESULT hr = ks::createMemoryStorage(&scratch);
    if (FAILED(hr))
        return hr;
    const DWORD rw = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    hr = scratch->CreateStorage(L"Methods", rw, 0, 0, &built);
    if (FAILED(hr))
        return hr;
    try {
        fillStorage(built, m_root);
    } catch (const EngineError&) {
        return E_OUTOFMEMORY;
    }
    return scratch->OpenStorage(L"Methods", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, ppstg);
}

std::wstring CMethodStg::GetMethodText(int i) const
{
    checkpoint("GetMethodText");
    if (i < 0 || i >= NumMethods())
        throw EngineError("method " + std::to_string(i) + " of " + std::to_string(NumMethods()));
    for (const MethodNode& s : m_methods[size_t(i)]->children)
        if (!s.isStorage && ks::equalNoCase(s.name, L"Text"))
            return format::fromUtf16(s.bytes.data(), s.bytes.size() / 2);
    throw EngineError("method " + std::to_string(i) + " has no Text stream");
}

// ---------------------------------------------------------------- controllers

CVirtualData::CVirtualData(const ControllerData& data, int32_t index, int32_t number) : m_data(data), m_index(index)
{
    CRunHeader& rh = m_runHeader;
    static_cast<RunHeaderFields&>(rh) = data.runHeader;
    rh.deviceKind = data.kind;
    rh.deviceNumber = number;
    rh.numSpectra = int32_t(data.scans.size());
    rh.lastScanNumber = rh.firstScanNumber + rh.numSpectra - 1;
    rh.numStatusLog = int32_t(data.statusLog.records.size());
    rh.numErrorLog = int32_t(data.errorLog.size());
    rh.numTuneData = int32_t(data.tune.records.size());
    rh.numTrailerExtra = int32_t(data.trailer.records.size());
    if (data.scans.empty())
        return;
    const bool ms = data.kind == kDeviceMS;
    auto time = [&](const ScanRecord& s) { return ms ? s.index.startTime : s.uvIndex.startTime; };
    rh.startTime = time(data.scans.front());
    rh.endTime = time(data.scans.back());
    double low = INFINITY, high = -INFINITY, maxTic = -INFINITY, maxBase = -INFINITY;
    for (const ScanRecord& s : data.scans) {
        const double lo = ms ? s.index.lowMass : s.uvIndex.lowLimit;
        const double hi = ms ? s.index.highMass : s.uvIndex.highLimit;
        const double tic = ms ? s.index.tic : s.uvIndex.tic;
        // fmin and fmax pass over values that are not numbers.
        low = std::fmin(low, lo);
        high = std::fmax(high, hi);
        maxTic = std::fmax(maxTic, tic);
        maxBase = std::fmax(maxBase, ms ? s.index.basePeakIntensity : tic);
    }
    rh.lowMass = std::isfinite(low) ? low : 0.0;
    rh.highMass = std::isfinite(high) ? high : 0.0;
    rh.maxIntegratedIntensity = std::isfinite(maxTic) ? maxTic : 0.0;
    rh.maxIntensity = !std::isfinite(maxBase) ? 0
                      : maxBase >= double(INT32_MAX) ? INT32_MAX
                      : maxBase <= double(INT32_MIN) ? INT32_MIN
                                                     : int32_t(std::lround(maxBase));
}

CVirtualData::~CVirtualData() = default;

const CRunHeader& CVirtualData::GetRunHeader() const
{
    checkpoint("GetRunHeader");
    return m_runHeader;
}

const CInstID& CVirtualData::GetInstID() const
{
    checkpoint("GetInstID");
    return m_data.instrument;
}

bool CVirtualData::IsValidScan(int32_t scan) const
{
    return m_runHeader.numSpectra > 0 && scan >= m_runHeader.firstScanNumber && scan <= m_runHeader.lastScanNumber;
}

const ScanRecord& CVirtualData::record(int32_t scan, const char* what) const
{
    checkpoint(what);
    if (!IsValidScan(scan))
        throw EngineError(std::string(what) + ": scan " + std::to_string(scan) + " is not among scans " +
                          std::to_string(FirstScan()) + " to " + std::to_string(LastScan()));
    return m_data.scans[size_t(scan - m_runHeader.firstScanNumber)];
}

double CVirtualData::ScanStartTime(int32_t scan) const
{
    const ScanRecord& s = record(scan, "ScanStartTime");
    return DeviceKind() == kDeviceMS ? s.index.startTime : s.uvIndex.startTime;
}

uint32_t CVirtualData::ScanPacketType(int32_t scan) const
{
    const ScanRecord& s = record(scan, "ScanPacketType");
    return DeviceKind() == kDeviceMS ? s.index.packetType : s.uvIndex.packetType;
}

int32_t CVirtualData::ScanPacketCount(int32_t scan) const
{
    const ScanRecord& s = record(scan, "ScanPacketCount");
    if (IsSpectralKind(DeviceKind()))
        return int32_t(s.packets.size());
    return s.readings.empty() ? 0 : 1;
}

std::unique_ptr<CRawScan> CVirtualData::GetScan(int32_t scan) const
{
    const ScanRecord& s = record(scan, "GetScan");
    const double resolution = m_runHeader.massResolution > 0 ? m_runHeader.massResolution : kDefaultMassResolution;
    return std::make_unique<CRawScan>(s, DeviceKind(), scan, resolution);
}

const CErrorLogItem& CVirtualData::GetErrorLog(int32_t i) const
{
    checkpoint("GetErrorLog");
    if (i < 0 || i >= NumErrorLog())
        throw EngineError("error-log entry " + std::to_string(i) + " of " + std::to_string(NumErrorLog()));
    return m_data.errorLog[size_t(i)];
}

const CGenericDataHeader& CVirtualData::GetStatusLogHeader() const
{
    checkpoint("GetStatusLogHeader");
    return m_data.statusLog.header;
}

float CVirtualData::GetStatusLogTime(int32_t i) const { return GetStatusLogRecord(i).time; }

const GenericRecord& CVirtualData::GetStatusLogRecord(int32_t i) const
{
    checkpoint("GetStatusLogRecord");
    if (i < 0 || i >= NumStatusLog())
        throw EngineError("status-log record " + std::to_string(i) + " of " + std::to_string(NumStatusLog()));
    return m_data.statusLog.records[size_t(i)];
}

const ScanIndex& CVirtualMS::GetScanIndex(int32_t scan) const { return record(scan, "GetScanIndex").index; }

CScanEvent CVirtualMS::GetScanEvent(int32_t scan) const { return *eventFor(record(scan, "GetScanEvent")); }

const CGenericDataHeader& CVirtualMS::GetTrailerExtraHeader() const
{
    checkpoint("GetTrailerExtraHeader");
    return m_data.trailer.header;
}

const GenericRecord& CVirtualMS::GetTrailerExtraRecord(int32_t i) const
{
    checkpoint("GetTrailerExtraRecord");
    if (i < 0 || i >= NumTrailerExtra())
        throw EngineError("trailer record " + std::to_string(i) + " of " + std::to_string(NumTrailerExtra()));
    return m_data.trailer.records[size_t(i)];
}

const CGenericDataHeader& CVirtualMS::GetTuneDataHeader() const
{
    checkpoint("GetTuneDataHeader");
    return m_data.tune.header;
}

const GenericRecord& CVirtualMS::GetTuneDataRecord(int32_t i) const
{
    checkpoint("GetTuneDataRecord");
    if (i < 0 || i >= NumTuneData())
        throw EngineError("tune record " + std::to_string(i) + " of " + std::to_string(NumTuneData()));
    return m_data.tune.records[size_t(i)];
}

const UVScanIndex& CVirtualUV::GetUVScanIndex(int32_t scan) const { return record(scan, "GetUVScanIndex").uvIndex; }

// ---------------------------------------------------------------- CRawfile

CRawfile::CRawfile(const std::wstring& path, uint32_t flags) : m_path(path)
{
    checkpoint("CRawfile");
    if (flags != 0)
        throw EngineError("CRawfile: unknown open flags " + std::to_string(flags));
    load();
    detail::countRawfile(+1);
}

CRawfile::~CRawfile() { detail::countRawfile(-1); }

void CRawfile::load()
{
    m_current = nullptr;
    m_controllers.clear();
    m_methods.reset();
    m_data = FileData();
    m_errorCode = kErrNone;
    m_errorMessage.clear();
    m_warning.clear();
    m_isNew = false;

    std::wstring p = m_path;
    std::replace(p.begin(), p.end(), L'\\', L'/');
    const std::string path = ks::reg::utf8FromWide(p);
    std::string bytes, reason = "cannot be read (no file name)";
    const int32_t code = path.empty() ? kErrCannotOpen : readRawFile(path, bytes, reason);
    if (code != kErrNone) {
        m_errorCode = code;
        m_errorMessage = m_path + L": " + widen(reason);
        return;
    }
    format::LoadStatus status;
    const bool ok = format::loadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), m_data, status);
    m_warning = widen(status.warning);
    if (!ok) {
        m_errorCode = status.code;
        m_errorMessage = m_path + L": " + widen(status.message);
        return;
    }
    m_isNew = status.isNew;
    if (m_data.methods)
        m_methods = std::make_unique<CMethodStg>(*m_data.methods);
    int32_t numbers[kDeviceKindCount] = {};
    for (size_t i = 0; i < m_data.controllers.size(); ++i) {
        const ControllerData& c = m_data.controllers[i];
        const int32_t number = ++numbers[c.kind];
        if (c.kind == kDeviceMS)
            m_controllers.push_back(std::make_unique<CVirtualMS>(c, int32_t(i), number));
        else if (c.kind == kDeviceOther)
            m_controllers.push_back(std::make_unique<CVirtualData>(c, int32_t(i), number));
        else
            m_controllers.push_back(std::make_unique<CVirtualUV>(c, int32_t(i), number));
    }
}

bool CRawfile::IsError() const
{
    checkpoint("IsError");
    return m_errorCode != kErrNone;
}

int32_t CRawfile::GetErrorCode() const
{
    checkpoint("GetErrorCode");
    return m_errorCode;
}

std::wstring CRawfile::GetErrorMessage() const
{
    checkpoint("GetErrorMessage");
    return m_errorMessage;
}

std::wstring CRawfile::GetWarningMessage() const
{
    checkpoint("GetWarningMessage");
    return m_warning;
}

bool CRawfile::IsNewFile() const
{
    checkpoint("IsNewFile");
    return m_isNew;
}

uint16_t CRawfile::GetVersion() const
{
    checkpoint("GetVersion");
    return m_data.info.version;
}

FILETIME CRawfile::GetCreationTime() const
{
    checkpoint("GetCreationTime");
    return ks::fileTimeFromTicks(m_data.info.creationTime);
}

std::wstring CRawfile::WhoCreatedId() const
{
    checkpoint("WhoCreatedId");
    return m_data.info.creatorId;
}

uint32_t CRawfile::GetAcquisitionFlags() const
{
    checkpoint("GetAcquisitionFlags");
    return m_data.info.acquisitionFlags;
}

bool CRawfile::InAcquisition() const { return GetAcquisitionFlags() != 0; }

bool CRawfile::HasExpMethod() const
{
    checkpoint("HasExpMethod");
    return m_data.info.hasExpMethod;
}

bool CRawfile::IsThereMSData() const
{
    checkpoint("IsThereMSData");
    for (const ControllerData& c : m_data.controllers)
        if (c.kind == kDeviceMS && !c.scans.empty())
            return true;
    return false;
}

void CRawfile::ReMapViewOfFile()
{
    checkpoint("ReMapViewOfFile");
    load();
}

const CSeqRow& CRawfile::GetSeqRow() const
{
    checkpoint("GetSeqRow");
    return m_data.seqRow;
}

const std::wstring& CRawfile::UserLabel(int32_t i) const
{
    checkpoint("UserLabel");
    if (i < 0 || i >= int32_t(m_data.userLabels.size()))
        throw EngineError("user label " + std::to_string(i));
    return m_data.userLabels[size_t(i)];
}

const CMethodStg* CRawfile::GetMethodStorage() const
{
    checkpoint("GetMethodStorage");
    return m_methods.get();
}

int32_t CRawfile::NumberOfVirtualControllers() const
{
    checkpoint("NumberOfVirtualControllers");
    return int32_t(m_controllers.size());
}

int32_t CRawfile::NumberOfVirtualControllersOfType(int32_t kind) const
{
    checkpoint("NumberOfVirtualControllersOfType");
    if (kind == -1)
        return int32_t(m_controllers.size());
    return int32_t(std::count_if(m_controllers.begin(), m_controllers.end(),
                                 [&](const std::unique_ptr<CVirtualData>& c) { return c->DeviceKind() == kind; }));
}

const CVirtualData& CRawfile::Controller(int32_t index) const
{
    if (index < 0 || index >= int32_t(m_controllers.size()))
        throw EngineError("controller " + std::to_string(index) + " of " + std::to_string(m_controllers.size()));
    return *m_controllers[size_t(index)];
}

CRawfile::ControllerId CRawfile::VirtualControllerData(int32_t index) const
{
    checkpoint("VirtualControllerData");
    const CVirtualData& c = Controller(index);
    return ControllerId{c.DeviceKind(), c.DeviceNumber()};
}

int32_t CRawfile::ControllerIndexToNumber(int32_t index) const
{
    checkpoint("ControllerIndexToNumber");
    return Controller(index).DeviceNumber();
}

CVirtualData* CRawfile::SetVirtualDataObject(int32_t kind, int32_t number)
{
    checkpoint("SetVirtualDataObject");
    m_current = nullptr;
    for (const std::unique_ptr<CVirtualData>& c : m_controllers)
        if (c->DeviceKind() == kind && c->DeviceNumber() == number)
            m_current = c.get();
    return m_current;
}

// ---------------------------------------------------------------- navigation

const CScanEvent* CVirtualData::eventFor(const ScanRecord& s) const
{
    if (DeviceKind() != kDeviceMS)
        return nullptr;
    if (s.hasEvent)
        return &s.event;
    if (const CScanEvent* e = m_data.methodEvents.Find(uint32_t(s.index.scanTypeIndex)))
        return e;
    static const CScanEvent none;
    return &none;
}

bool CVirtualData::passes(int32_t scan, const CFilter* filter) const
{
    if (!filter)
        return true;
    const ScanRecord& s = m_data.scans[size_t(scan - FirstScan())];
    return filter->Matches(*eventFor(s));
}

void CVirtualData::checkFilter(const CFilter* filter) const
{
    if (filter && DeviceKind() != kDeviceMS)
        throw EngineError("filters select mass-spectrometer scans only");
}

int32_t CVirtualData::FindScanPosition(double time) const
{
    checkpoint("FindScanPosition");
    const int32_t n = NumSpectra();
    if (n == 0 || std::isnan(time))
        return -1;
    const bool ms = DeviceKind() == kDeviceMS;
    auto timeAt = [&](int32_t i) {
        return ms ? m_data.scans[size_t(i)].index.startTime : m_data.scans[size_t(i)].uvIndex.startTime;
    };
    // First scan at or after the time (start times never fall).
    int32_t lo = 0, hi = n;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (timeAt(mid) < time)
            lo = mid + 1;
        else
            hi = mid;
    }
    int32_t at = lo;
    if (lo == n || (lo > 0 && time - timeAt(lo - 1) <= timeAt(lo) - time)) {
        // The scan before is as near or nearer: the earliest scan of its time.
        at = lo - 1;
        while (at > 0 && timeAt(at - 1) == timeAt(at))
            --at;
    }
    return FirstScan() + at;
}

int32_t CVirtualData::GetNextScanIndex(int32_t scan, const CFilter* filter) const
{
    checkpoint("GetNextScanIndex");
    checkFilter(filter);
    if (NumSpectra() == 0)
        return -1;
    for (int64_t s = std::max<int64_t>(int64_t(scan) + 1, FirstScan()); s <= LastScan(); ++s)
        if (passes(int32_t(s), filter))
            return int32_t(s);
    return -1;
}

int32_t CVirtualData::GetPrevScanIndex(int32_t scan, const CFilter* filter) const
{
    checkpoint("GetPrevScanIndex");
    checkFilter(filter);
    if (NumSpectra() == 0)
        return -1;
    for (int64_t s = std::min<int64_t>(int64_t(scan) - 1, LastScan()); s >= FirstScan(); --s)
        if (passes(int32_t(s), filter))
            return int32_t(s);
    return -1;
}

CFilter CVirtualMS::GetFilter(int32_t scan) const
{
    const ScanRecord& s = record(scan, "GetFilter");
    return CFilter::FromScanEvent(*eventFor(s), m_runHeader.filterMassPrecision);
}

std::vector<CFilter> CVirtualMS::GetFilters(int32_t first, int32_t last) const
{
    checkpoint("GetFilters");
    if (first == -1 && last == -1) {
        first = FirstScan();
        last = LastScan();
    }
    // The texts seen so far beside the output, which keeps the order of
    // first appearance.
    std::vector<CFilter> out;
    std::unordered_set<std::wstring> seen;
    const int32_t precision = m_runHeader.filterMassPrecision;
    for (int64_t scan = std::max(first, FirstScan()); scan <= std::min(last, LastScan()) && NumSpectra() > 0; ++scan) {
        CFilter f = CFilter::FromScanEvent(*eventFor(m_data.scans[size_t(scan - FirstScan())]), precision);
        if (seen.insert(f.GetFilterString(precision)).second)
            out.push_back(std::move(f));
    }
    return out;
}

// ---------------------------------------------------------------- logs

int32_t CVirtualData::GetStatusLogAtTime(double time) const
{
    checkpoint("GetStatusLogAtTime");
    const std::vector<GenericRecord>& records = m_data.statusLog.records;
    if (records.empty())
        return -1;
    // The latest record at or before the time (the later of equal times).
    int32_t best = -1;
    for (size_t i = 0; i < records.size(); ++i)
        if (double(records[i].time) <= time && (best < 0 || records[i].time >= records[size_t(best)].time))
            best = int32_t(i);
    return best < 0 ? 0 : best;
}

bool CVirtualData::GetStatusLogAtTime(double time, std::vector<std::wstring>& labels,
                                      std::vector<std::wstring>& values, float& recordTime) const
{
    const int32_t i = GetStatusLogAtTime(time);
    if (i < 0)
        return false;
    recordTime = m_data.statusLog.records[size_t(i)].time;
    return GenericRecordToText(m_data.statusLog.header, m_data.statusLog.records[size_t(i)], labels, values);
}

bool CVirtualData::StatusLogPlottable(std::vector<std::wstring>& labels, std::vector<uint32_t>& positions) const
{
    checkpoint("StatusLogPlottable");
    labels.clear();
    positions.clear();
    if (!m_data.statusLog.hasHeader)
        return false;
    const CGenericDataHeader& h = m_data.statusLog.header;
    for (int i = 0; i < h.NumItems(); ++i)
        if (IsPlottableKind(h.Item(i).kind)) {
            labels.push_back(h.Item(i).label);
            positions.push_back(uint32_t(i));
        }
    return true;
}

bool CVirtualMS::GetTrailerExtraDataAtScan(int32_t scan, std::vector<std::wstring>& labels,
                                           std::vector<std::wstring>& values) const
{
    checkpoint("GetTrailerExtraDataAtScan");
    const int64_t i = int64_t(scan) - FirstScan();
    if (i < 0 || i >= NumTrailerExtra())
        return false;
    return GenericRecordToText(m_data.trailer.header, m_data.trailer.records[size_t(i)], labels, values);
}

bool CVirtualMS::GetTuneDataAtSegment(int32_t segment, std::vector<std::wstring>& labels,
                                      std::vector<std::wstring>& values) const
{
    checkpoint("GetTuneDataAtSegment");
    if (segment < 0 || segment >= NumTuneData())
        return false;
    return GenericRecordToText(m_data.tune.header, m_data.tune.records[size_t(segment)], labels, values);
}

}  // namespace rawengine
