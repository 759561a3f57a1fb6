// Raw-file engine stand-in: writing a raw file of one controller, as the
// virtual MS and UV writers of the raw-file library do.
//
//   rawengine::CVirtualMSWriter w(L"/data/out.raw");
//   if (w.IsError()) ...                         // the file could not be made
//   w.WriteInstIDData(id);  w.WriteTrailerHeader(header);
//   w.WriteInstData(peaks, n);  w.WriteInstScanIndex(index, event);
//   w.Finish();                                  // or let the destructor do it
//
// A writer creates its file at once (replacing a regular file of that
// name) and appends every write to it as it comes, so the file grows while
// it is written and a reader sees what is there (the acquisition flags are
// set until it is finished). The first write that belongs to the
// controller adds the controller itself; until then a reader finds the
// file new. Finish (or the destructor) adds the end chunk with the
// file's checksum and clears the acquisition flags.
//
// Errors: a file that cannot be created leaves the writer in an error
// state (IsError, GetErrorCode: kErrCannotOpen or kErrNotRegular) and
// every write throws EngineError. A write the engine refuses (an argument
// outside what the file can hold, a record before its header, data that do
// not decode as their packet type) throws EngineError and writes nothing;
// a failing write to the disk throws and puts the writer in the error
// state kErrWrite. The scan-index writes answer false, writing nothing,
// for an entry the index cannot take (below). The destructor never throws.
//
// Scan data, by packet type (README.md, "Scan data"):
// - spectral types (0 to 11, 14 to 17): packets, each a header (low mass
//   f64, high mass f64, point count u32, 0 u32) and its 32-byte points;
// - channel types (12 UV, 13 analog): one little-endian f64 reading per
//   channel.
// The n-th data write of a controller is the data of its n-th scan; the
// data offset and packet count of an index entry are the engine's.
#pragma once

#include "rawmodel.h"

#include <memory>
#include <string>

namespace rawengine {

namespace detail {
class WriterCore;
}

// What both writers do.
class RAWENGINE_API CVirtualWriter {
public:
    virtual ~CVirtualWriter();
    CVirtualWriter(const CVirtualWriter&) = delete;
    CVirtualWriter& operator=(const CVirtualWriter&) = delete;

    bool IsError() const;
    int32_t GetErrorCode() const;
    std::wstring GetErrorMessage() const;
    const std::wstring& GetFileName() const;

    void WriteInstIDData(const CInstID& id);
    void WriteInstExpectedRunTime(double minutes);
    void WriteErrorLog(const CErrorLogItem& item);

    // Adds the end chunk and clears the acquisition flags; writes after
    // it throw. Throws EngineError when the end cannot be written.
    void Finish();

protected:
    CVirtualWriter(const std::wstring& path, int32_t kind, const wchar_t* creator);

    std::unique_ptr<detail::WriterCore> m_core;
};

class RAWENGINE_API CVirtualMSWriter : public CVirtualWriter {
public:
    // `number` -1 (the default) or 1: a written file holds one controller;
    // `flags` must be 0. Other values throw EngineError.
    explicit CVirtualMSWriter(const std::wstring& path, int32_t number = -1, uint32_t flags = 0);
    ~CVirtualMSWriter() override;

    void WriteInstMassResolution(double value);
    // Comment 1 or 2 of the run header (`which` 1 or 2).
    void WriteInstComment(int which, const std::wstring& text);

    // The raw form: `size` bytes of packets of a spectral type.
    void WriteInstData(const uint8_t* bytes, uint32_t size, uint32_t packetType);
    // The peak form: `count` points as one packet spanning their lowest to
    // highest position, of the packet type InitializeScanIndex last named
    // (kPacketLrSp until then).
    void WriteInstData(const DataPeak* peaks, int32_t count);

    // Headers of the generic records; a header cannot change once records
    // were written under it.
    void WriteTrailerHeader(const CGenericDataHeader& header);
    void WriteStatusLogHeader(const CGenericDataHeader& header);
    void WriteTuneDataHeader(const CGenericDataHeader& header);
    // One record: the header's record size of bytes is taken from `bytes`.
    void WriteTrailerExtraData(const uint8_t* bytes);
    void WriteStatusLog(float time, const uint8_t* bytes);
    void WriteTuneData(const uint8_t* bytes);

    // The method scan events (replacing those written before).
    void WriteScanEventData(const CMSScanEvents& events);

    // Writes the index entry at the current position (the next one, or
    // where InitializeScanIndex put it), with the scan's own event when
    // given, and moves on. False for a start time that is not a number or
    // would put the scan before the one before it (or after the one after
    // it); the scans stay in time order.
    bool WriteInstScanIndex(const ScanIndex& index, const CScanEvent& event);
    bool WriteInstScanIndex(const ScanIndex& index);
    // Moves the index position (0 to the entries written, replacing an
    // entry below that) and names the packet type of the peak-form data
    // writes that follow. EngineError for a position outside or a type
    // that is not spectral.
    void InitializeScanIndex(int32_t position, uint32_t packetType);
};

class RAWENGINE_API CVirtualUVWriter : public CVirtualWriter {
public:
    // `kind` 1 to 4 (the UV detector by default); `number` -1 or 1; `flags`
    // 0. Other values throw EngineError.
    explicit CVirtualUVWriter(const std::wstring& path, int32_t kind = kDeviceUV, int32_t number = -1,
                              uint32_t flags = 0);
    ~CVirtualUVWriter() override;

    // Data of the current scan: for a channel controller `count` readings
    // of a channel type (`size` = 8 x `count`), for a PDA `count` packets
    // of a spectral type. When `complete` is non-zero, what was written
    // since the last complete write is the scan's data and the next write
    // starts the next scan.
    void WriteInstData(const uint8_t* bytes, uint32_t size, uint32_t packetType, int32_t count, int32_t complete);

    // The next index entry; false (writing nothing) for a start time that
    // is not a number or lies before the previous entry's.
    bool WriteInstScanIndex(const UVScanIndex& index);
};

}  // namespace rawengine
