// Raw-file engine stand-in: reading a raw file.
//
//   rawengine::CRawfile file(L"/data/run.raw");
//   if (file.IsError()) ...  GetErrorCode(), GetErrorMessage()
//   CVirtualData* c = file.SetVirtualDataObject(kDeviceMS, 1);
//   auto* ms = dynamic_cast<CVirtualMS*>(c);   // kind 0; CVirtualUV for 1 to 4
//   std::unique_ptr<CRawScan> scan = c->GetScan(c->FirstScan());
//
// CRawfile loads the whole file when it is built and holds no file open
// afterwards. Loading never throws for a file that is missing, foreign,
// damaged, truncated or of a newer format: the object then answers
// IsError() with an ErrorCode and a message naming the path and the place
// of the damage, and holds no controllers. A file that a writer has
// created and not yet given a controller is loaded without error and
// flagged IsNewFile(). A file still being written (acquisition flags set)
// loads up to its last complete chunk; ReMapViewOfFile reads it again.
//
// Ownership: CRawfile owns its controller views; the pointers it hands
// out stay valid until ReMapViewOfFile or its destruction. Scans are
// handed out as new objects the caller owns. Method storages come as new
// references (IStorage) the caller releases.
//
// Scan numbers run from a controller's FirstScan to LastScan; scan n is
// its (n - FirstScan)-th index entry. Every accessor given a scan, an
// index or a controller that is not there throws EngineError; so does
// every operation armed by the test hook (rawtesthooks.h), under its
// method name.
#pragma once

#include "rawchro.h"
#include "rawfilter.h"
#include "rawmodel.h"
#include "rawscan.h"

#include "ksdate.h"
#include "ksstorage.h"

#include <memory>
#include <string>
#include <vector>

namespace rawengine {

// A controller's run header: what is stored and what the engine derives.
struct CRunHeader : RunHeaderFields {
    int32_t deviceKind = 0;
    int32_t deviceNumber = 0;    // from 1 among the controllers of its kind
    int32_t numSpectra = 0;
    int32_t lastScanNumber = 0;  // firstScanNumber + numSpectra - 1
    double startTime = 0.0;      // first and last scan's start times (0 without scans)
    double endTime = 0.0;
    double lowMass = 0.0;        // lowest low mass (limit) and highest high mass of the scans
    double highMass = 0.0;
    double maxIntegratedIntensity = 0.0;  // largest total intensity of a scan
    int32_t maxIntensity = 0;             // largest base-peak intensity (total intensity off the MS)
    int32_t numStatusLog = 0;
    int32_t numErrorLog = 0;
    int32_t numTuneData = 0;
    int32_t numTrailerExtra = 0;
};

// The instrument methods of a file: one sub-storage per method, each with
// a "Text" stream of UTF-16LE text.
class RAWENGINE_API CMethodStg {
public:
    explicit CMethodStg(const MethodNode& root);
    ~CMethodStg();
    CMethodStg(const CMethodStg&) = delete;
    CMethodStg& operator=(const CMethodStg&) = delete;

    // Names of the sub-storages, in stored order.
    const std::vector<std::wstring>& GetNames() const { return m_names; }
    int NumMethods() const { return int(m_names.size()); }
    // The method storage, read-only (opening an element for writing is
    // STG_E_ACCESSDENIED); a new reference. E_POINTER for null,
    // E_OUTOFMEMORY when it cannot be built.
    HRESULT GetStorage(IStorage** ppstg) const;
    // The "Text" stream of method `i` as text; EngineError when the method
    // or its stream is missing.
    std::wstring GetMethodText(int i) const;

private:
    MethodNode m_root;
    std::vector<std::wstring> m_names;
    std::vector<const MethodNode*> m_methods;  // the sub-storage of each name, in m_root
};

// One controller of an open file. Kinds 0 (CVirtualMS) and 1 to 4
// (CVirtualUV) have their own classes; kind 5 is this class alone.
class RAWENGINE_API CVirtualData {
public:
    CVirtualData(const ControllerData& data, int32_t index, int32_t number);
    virtual ~CVirtualData();
    CVirtualData(const CVirtualData&) = delete;
    CVirtualData& operator=(const CVirtualData&) = delete;

    int32_t ControllerIndex() const { return m_index; }  // in file order, from 0
    int32_t DeviceKind() const { return m_data.kind; }
    int32_t DeviceNumber() const { return m_runHeader.deviceNumber; }
    const CRunHeader& GetRunHeader() const;
    const CInstID& GetInstID() const;

    int32_t NumSpectra() const { return m_runHeader.numSpectra; }
    int32_t FirstScan() const { return m_runHeader.firstScanNumber; }
    int32_t LastScan() const { return m_runHeader.lastScanNumber; }
    bool IsValidScan(int32_t scan) const;
    double ScanStartTime(int32_t scan) const;
    uint32_t ScanPacketType(int32_t scan) const;
    // Packets of a spectral scan; 1 for a channel scan with readings, else 0.
    int32_t ScanPacketCount(int32_t scan) const;
    std::unique_ptr<CRawScan> GetScan(int32_t scan) const;

    // The scan whose start time is nearest the time (of equally near ones
    // the earlier); -1 without scans or for a time that is not a number.
    int32_t FindScanPosition(double time) const;
    // The first scan after `scan` (the last before it) that passes the
    // filter (null: every scan); -1 when there is none. A filter on a
    // controller that is no mass spectrometer throws EngineError.
    int32_t GetNextScanIndex(int32_t scan, const CFilter* filter) const;
    int32_t GetPrevScanIndex(int32_t scan, const CFilter* filter) const;
    // Fills the chromatograms over the scans firstScan to lastScan (cut to
    // the controller's scans) in one pass (rawchro.h).
    void GetChro(const std::vector<CRawChro*>& chros, int32_t firstScan, int32_t lastScan) const;

    int32_t NumErrorLog() const { return int32_t(m_data.errorLog.size()); }
    const CErrorLogItem& GetErrorLog(int32_t i) const;

    bool HasStatusLogHeader() const { return m_data.statusLog.hasHeader; }
    const CGenericDataHeader& GetStatusLogHeader() const;
    int32_t NumStatusLog() const { return int32_t(m_data.statusLog.records.size()); }
    float GetStatusLogTime(int32_t i) const;
    const GenericRecord& GetStatusLogRecord(int32_t i) const;
    // The status-log record at a time: the latest at or before it (of equal
    // times the later), else the first; -1 without records.
    int32_t GetStatusLogAtTime(double time) const;
    // The same record as labels and texts with its time; false without
    // records or for a damaged record.
    bool GetStatusLogAtTime(double time, std::vector<std::wstring>& labels, std::vector<std::wstring>& values,
                            float& recordTime) const;
    // Labels and item positions of the status log's plottable items; false
    // without a status-log header.
    bool StatusLogPlottable(std::vector<std::wstring>& labels, std::vector<uint32_t>& positions) const;

    const ControllerData& Data() const { return m_data; }

protected:
    const ScanRecord& record(int32_t scan, const char* what) const;
    // A mass-spectrometer scan's event (its own, its method's or a new
    // one); null off the mass spectrometer.
    const CScanEvent* eventFor(const ScanRecord& s) const;
    bool passes(int32_t scan, const CFilter* filter) const;
    void checkFilter(const CFilter* filter) const;

    const ControllerData& m_data;
    int32_t m_index;
    CRunHeader m_runHeader;
};

class RAWENGINE_API CVirtualMS : public CVirtualData {
public:
    using CVirtualData::CVirtualData;

    const ScanIndex& GetScanIndex(int32_t scan) const;
    // The scan's own event; else the method event its index names
    // (scanTypeIndex as the key); else a new (invalid) event.
    CScanEvent GetScanEvent(int32_t scan) const;
    const CMSScanEvents& GetMethodScanEvents() const { return m_data.methodEvents; }
    // The scan's filter (CFilter::FromScanEvent) with the run header's
    // filter mass precision.
    CFilter GetFilter(int32_t scan) const;
    // The distinct filters of the scans first to last (-1, -1: every
    // scan), in order of first appearance; two filters are one when their
    // texts at the filter mass precision are.
    std::vector<CFilter> GetFilters(int32_t first, int32_t last) const;

    bool HasTrailerExtraHeader() const { return m_data.trailer.hasHeader; }
    const CGenericDataHeader& GetTrailerExtraHeader() const;
    int32_t NumTrailerExtra() const { return int32_t(m_data.trailer.records.size()); }
    const GenericRecord& GetTrailerExtraRecord(int32_t i) const;
    // The trailer record of a scan (its position among the scans) as labels
    // and texts; false when there is none or it is damaged.
    bool GetTrailerExtraDataAtScan(int32_t scan, std::vector<std::wstring>& labels,
                                   std::vector<std::wstring>& values) const;

    bool HasTuneDataHeader() const { return m_data.tune.hasHeader; }
    const CGenericDataHeader& GetTuneDataHeader() const;
    int32_t NumTuneData() const { return int32_t(m_data.tune.records.size()); }
    const GenericRecord& GetTuneDataRecord(int32_t i) const;
    // The tune record of a segment (from 0) as labels and texts; false when
    // there is none or it is damaged.
    bool GetTuneDataAtSegment(int32_t segment, std::vector<std::wstring>& labels,
                              std::vector<std::wstring>& values) const;
};

class RAWENGINE_API CVirtualUV : public CVirtualData {
public:
    using CVirtualData::CVirtualData;

    const UVScanIndex& GetUVScanIndex(int32_t scan) const;
};

class RAWENGINE_API CRawfile {
public:
    // Loads the file; `flags` must be 0 (no other mode exists). Backslashes
    // in the path count as separators.
    explicit CRawfile(const std::wstring& path, uint32_t flags = 0);
    ~CRawfile();
    CRawfile(const CRawfile&) = delete;
    CRawfile& operator=(const CRawfile&) = delete;

    bool IsError() const;
    int32_t GetErrorCode() const;
    std::wstring GetErrorMessage() const;
    std::wstring GetWarningMessage() const;  // what loading skipped or ignored, "" when nothing
    bool IsNewFile() const;
    const std::wstring& GetFileName() const { return m_path; }

    uint16_t GetVersion() const;
    FILETIME GetCreationTime() const;
    std::wstring WhoCreatedId() const;
    uint32_t GetAcquisitionFlags() const;
    bool InAcquisition() const;  // either acquisition flag set
    bool HasExpMethod() const;
    // A mass-spectrometer controller with at least one scan.
    bool IsThereMSData() const;

    // Loads the file again (a file being written has grown). The current
    // controller is cleared and every view handed out before is gone.
    void ReMapViewOfFile();

    const CSeqRow& GetSeqRow() const;
    const std::wstring& UserLabel(int32_t i) const;  // 0 to 4
    // The method storage, or null when the file has none.
    const CMethodStg* GetMethodStorage() const;

    int32_t NumberOfVirtualControllers() const;
    // Controllers of one kind; -1 counts every controller.
    int32_t NumberOfVirtualControllersOfType(int32_t kind) const;
    struct ControllerId {
        int32_t kind;
        int32_t number;  // from 1 within its kind
    };
    ControllerId VirtualControllerData(int32_t index) const;
    int32_t ControllerIndexToNumber(int32_t index) const;
    // Makes controller (kind, number) current and answers it; null (and no
    // current controller) when the file has no such controller.
    CVirtualData* SetVirtualDataObject(int32_t kind, int32_t number);
    CVirtualData* GetCurrentController() const { return m_current; }
    const CVirtualData& Controller(int32_t index) const;

    // The loaded model.
    const FileData& Data() const { return m_data; }

private:
    void load();

    std::wstring m_path;
    FileData m_data;
    int32_t m_errorCode = kErrNone;
    std::wstring m_errorMessage;
    std::wstring m_warning;
    bool m_isNew = false;
    std::vector<std::unique_ptr<CVirtualData>> m_controllers;
    std::unique_ptr<CMethodStg> m_methods;
    CVirtualData* m_current = nullptr;
};

}  // namespace rawengine
