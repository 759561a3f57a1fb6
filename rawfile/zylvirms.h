// CZylVirMS: the object behind the class ZylVirMS. It owns the engine's MS
// writer of the open file (through WriterFile), and builds the three
// generic data headers (trailer, status log, tune data) and the method
// scan events field by field until they are written. See zylvir.h for the
// codes; every member answers an HRESULT and lets no exception out.
//
// Apartment-threaded: no locks of its own. Releasing the object finishes
// an open file and discards what was under construction.
#pragma once

#include "ombrel.h"
#include "zylvir.h"
#include "zylvirwriterfile.h"

#include "ksobject.h"
#include "ksregistrar.h"
#include "rawevent.h"
#include "rawgeneric.h"
#include "rawmodel.h"

#include <cstdint>
#include <memory>
#include <optional>

class CZylVirMS : public ks::Object<ks::Dual<IZylVirMS>> {
public:
    KS_DECLARE_REGISTRY(L"Ombrel2", L"ZylVirMS", CLSID_ZylVirMS, &LIBID_OMBREL2Lib)

    CZylVirMS();
    ~CZylVirMS() override;

    // A header larger than this is refused (E_INVALIDARG): its size is a
    // caller's count that sizes memory at once.
    static constexpr LONG kMaxHeaderItems = 65535;
    // Points of one peak-form write the engine can take (a raw file holds
    // at most 2 GiB).
    static constexpr LONG kMaxPeaksPerWrite = LONG((uint64_t(1) << 31) / sizeof(rawengine::DataPeak));

    // IZylVirMS
    HRESULT Create(LPWSTR szFileName) override;
    HRESULT Close() override;
    HRESULT GetFileName(BSTR* pbstrFileName) override;
    HRESULT get_IsError(LONG* pbIsError) override;
    HRESULT get_ErrorCode(LONG* pnErrorCode) override;
    HRESULT get_IsValid(LONG* pbIsValid) override;
    HRESULT WriteInstID(LPWSTR szName, LPWSTR szModel, LPWSTR szSerialNumber, LPWSTR szSoftwareRev,
                        LPWSTR ExpType) override;
    HRESULT WriteRunHeaderInfo(double dExpectedRunTime, double dMassResolution, LPWSTR szComment1,
                               LPWSTR szComment2) override;
    HRESULT WriteInstData(unsigned char* pcData, LONG nDataSize, MS_PacketTypes eType) override;
    HRESULT SetTrailerHeaderNumFields(LONG nFields) override;
    HRESULT SetTrailerHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision) override;
    HRESULT WriteTrailerHeader() override;
    HRESULT SetStatusLogHeaderNumFields(LONG nFields) override;
    HRESULT SetStatusLogHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision) override;
    HRESULT WriteStatusLogHeader() override;
    HRESULT SetTuneDataHeaderNumFields(LONG nFields) override;
    HRESULT SetTuneDataHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision) override;
    HRESULT WriteTuneDataHeader() override;
    HRESULT WriteTuneData(unsigned char* pcData) override;
    HRESULT WriteStatusLog(float fTime, unsigned char* pcData) override;
    HRESULT WriteTrailer(unsigned char* pcData) override;
    HRESULT InitializeScanEvent(MS_ScanEvent* pScanEvent) override;
    HRESULT InitMethodScanEvents() override;
    HRESULT SetMethodScanEvent(LONG nSegment, LONG nScanEvent, MS_ScanEvent* pScanEvent) override;
    HRESULT WriteMethodScanEvents() override;
    HRESULT WriteScanIndex(MS_ScanIndex* pScanIndex, MS_ScanEvent* pScanEvent) override;
    HRESULT WriteInstData2(LONG nNumPkts, MS_DataPeak* pPackets) override;
    HRESULT InitializeScanIndex(LONG nScanIndexPosition, MS_PacketTypes eType) override;
    HRESULT WriteScanIndex2(MS_ScanIndex* pScanIndex) override;

    // The late-bound forms of the members that take records or buffers
    // (the member table calls these): byte arrays, see zylvirbytes.h. A
    // buffer shorter than what the call reads is E_INVALIDARG.
    HRESULT WriteInstDataFromArray(VARIANT data, LONG nDataSize, MS_PacketTypes eType);
    HRESULT WriteTuneDataFromArray(VARIANT data);
    HRESULT WriteStatusLogFromArray(float fTime, VARIANT data);
    HRESULT WriteTrailerFromArray(VARIANT data);
    HRESULT InitializeScanEventInArray(VARIANT* event);
    HRESULT SetMethodScanEventFromArray(LONG nSegment, LONG nScanEvent, VARIANT event);
    HRESULT WriteScanIndexFromArrays(VARIANT index, VARIANT event);
    HRESULT WriteInstData2FromArray(LONG nNumPkts, VARIANT peaks);
    HRESULT WriteScanIndex2FromArray(VARIANT index);

private:
    // Bytes a caller's buffer holds when the call does not know (a raw
    // pointer through the interface).
    static constexpr size_t kUnknownLength = SIZE_MAX;

    struct HeaderSlot {
        rawengine::GenericLogKind log;
        HRESULT missing;  // the code for "no header under construction"
        std::unique_ptr<rawengine::CGenericDataHeader> building;
        std::optional<uint64_t> recordSize;  // of the header last written to the file
    };

    HRESULT setHeaderNumFields(HeaderSlot& slot, LONG nFields);
    HRESULT setHeaderField(HeaderSlot& slot, LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision);
    HRESULT writeHeader(HeaderSlot& slot);
    HRESULT writeRecord(HeaderSlot& slot, float time, const uint8_t* data, size_t available);
    HRESULT writeInstData(const uint8_t* data, LONG size, MS_PacketTypes type, size_t available);
    HRESULT writeInstData2(LONG count, const uint8_t* peaks, size_t available);
    HRESULT writeScanIndex(const MS_ScanIndex* index, const MS_ScanEvent* event, bool withEvent);
    rawengine::CVirtualMSWriter& ms() const;

    zylvir::WriterFile m_file;
    HeaderSlot m_trailer{rawengine::kLogTrailer, KSRAW_E_NOTRAILERHEADER, nullptr, std::nullopt};
    HeaderSlot m_statusLog{rawengine::kLogStatus, KSRAW_E_NOSTATUSLOGHEADER, nullptr, std::nullopt};
    HeaderSlot m_tune{rawengine::kLogTune, KSRAW_E_NOTUNEHEADER, nullptr, std::nullopt};
    std::unique_ptr<rawengine::CMSScanEvents> m_events;
    // Where the engine writes the next scan-index entry, and how many the
    // file holds, so a position outside is refused before the engine.
    int64_t m_indexPosition = 0;
    int64_t m_indexEntries = 0;
};
