// The virtual MS writer: the file's identity, run header, generic headers
// and records, method scan events, scan index and scan data, each handed to
// the engine's MS writer after the writer's own checks.
#include "zylvirms.h"

#include "zylvirbytes.h"
#include "zylvirconvert.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace rawengine;
using zylvir::guarded;

using zylvir::given;

CZylVirMS::CZylVirMS() : m_file(KSRAW_E_MS_NOWRITER, KSRAW_E_MS_WRITERALLOC) {}

CZylVirMS::~CZylVirMS() = default;

CVirtualMSWriter& CZylVirMS::ms() const { return static_cast<CVirtualMSWriter&>(m_file.writer()); }

// ---------------------------------------------------------------- the file

HRESULT CZylVirMS::Create(LPWSTR szFileName)
{
    const HRESULT hr = m_file.create(szFileName, [](const std::wstring& path) {
        return std::unique_ptr<CVirtualWriter>(new CVirtualMSWriter(path, -1, 0));
    });
    if (SUCCEEDED(hr)) {
        m_trailer.recordSize.reset();
        m_statusLog.recordSize.reset();
        m_tune.recordSize.reset();
        m_indexPosition = m_indexEntries = 0;
    }
    return hr;
}

HRESULT CZylVirMS::Close() { return m_file.close(); }
HRESULT CZylVirMS::GetFileName(BSTR* pbstrFileName) { return m_file.getFileName(pbstrFileName); }
HRESULT CZylVirMS::get_IsError(LONG* pbIsError) { return m_file.isError(pbIsError); }
HRESULT CZylVirMS::get_ErrorCode(LONG* pnErrorCode) { return m_file.errorCode(pnErrorCode); }
HRESULT CZylVirMS::get_IsValid(LONG* pbIsValid) { return m_file.isValid(pbIsValid); }

// ---------------------------------------------------------------- identity and run header

HRESULT CZylVirMS::WriteInstID(LPWSTR szName, LPWSTR szModel, LPWSTR szSerialNumber, LPWSTR szSoftwareRev,
                               LPWSTR ExpType)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    return guarded([&] {
        CInstID id = zylvir::identity(szName, szModel, szSerialNumber, szSoftwareRev);
        if (given(ExpType))
            id.experimentType = ExpType;
        ms().WriteInstIDData(id);
        return S_OK;
    });
}

HRESULT CZylVirMS::WriteRunHeaderInfo(double dExpectedRunTime, double dMassResolution, LPWSTR szComment1,
                                      LPWSTR szComment2)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    return guarded([&] {
        // Strictly above 0.01 minutes: a smaller value (or no number)
        // leaves the run time the file has.
        if (dExpectedRunTime > 0.01)
            ms().WriteInstExpectedRunTime(dExpectedRunTime);
        ms().WriteInstMassResolution(dMassResolution);
        if (given(szComment1))
            ms().WriteInstComment(1, szComment1);
        if (given(szComment2))
            ms().WriteInstComment(2, szComment2);
        return S_OK;
    });
}

// ---------------------------------------------------------------- generic headers and records

HRESULT CZylVirMS::setHeaderNumFields(HeaderSlot& slot, LONG nFields)
{
    if (nFields < 0 || nFields > kMaxHeaderItems)
        return E_INVALIDARG;
    return guarded([&] {
        if (nFields == 0)
            slot.building.reset();
        if (!slot.building)
            slot.building = std::make_unique<CGenericDataHeader>();
        slot.building->SetNumItems(nFields);  // keeps the items that stay
        return S_OK;
    });
}

HRESULT CZylVirMS::setHeaderField(HeaderSlot& slot, LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType,
                                  LONG nPrecision)
{
    if (!slot.building)
        return slot.missing;
    if (!szLabel)
        return E_POINTER;
    if (nIdx < 0 || nIdx >= slot.building->NumItems() || nPrecision < 0)
        return E_INVALIDARG;
    return guarded([&] {
        slot.building->ItemData(nIdx, szLabel, uint32_t(eDataType), uint32_t(nPrecision));
        return S_OK;
    });
}

HRESULT CZylVirMS::writeHeader(HeaderSlot& slot)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    if (!slot.building)
        return slot.missing;
    return guarded([&] {
        const CGenericDataHeader& header = *slot.building;
        switch (slot.log) {
        case kLogTrailer:
            ms().WriteTrailerHeader(header);
            break;
        case kLogStatus:
            ms().WriteStatusLogHeader(header);
            break;
        case kLogTune:
            ms().WriteTuneDataHeader(header);
            break;
        }
        slot.recordSize = header.RecordSize();
        slot.building.reset();  // each building is written once
        return S_OK;
    });
}

HRESULT CZylVirMS::writeRecord(HeaderSlot& slot, float time, const uint8_t* data, size_t available)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    if (!data)
        return E_POINTER;
    // The engine reads its header's record size of bytes.
    if (slot.recordSize && available < *slot.recordSize)
        return E_INVALIDARG;
    return guarded([&] {
        switch (slot.log) {
        case kLogTrailer:
            ms().WriteTrailerExtraData(data);
            break;
        case kLogStatus:
            ms().WriteStatusLog(time, data);
            break;
        case kLogTune:
            ms().WriteTuneData(data);
            break;
        }
        return S_OK;
    });
}

HRESULT CZylVirMS::SetTrailerHeaderNumFields(LONG nFields) { return setHeaderNumFields(m_trailer, nFields); }
HRESULT CZylVirMS::SetStatusLogHeaderNumFields(LONG nFields) { return setHeaderNumFields(m_statusLog, nFields); }
HRESULT CZylVirMS::SetTuneDataHeaderNumFields(LONG nFields) { return setHeaderNumFields(m_tune, nFields); }

HRESULT CZylVirMS::SetTrailerHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision)
{
    return setHeaderField(m_trailer, nIdx, szLabel, eDataType, nPrecision);
}
HRESULT CZylVirMS::SetStatusLogHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision)
{
    return setHeaderField(m_statusLog, nIdx, szLabel, eDataType, nPrecision);
}
HRESULT CZylVirMS::SetTuneDataHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision)
{
    return setHeaderField(m_tune, nIdx, szLabel, eDataType, nPrecision);
}

HRESULT CZylVirMS::WriteTrailerHeader() { return writeHeader(m_trailer); }
HRESULT CZylVirMS::WriteStatusLogHeader() { return writeHeader(m_statusLog); }
HRESULT CZylVirMS::WriteTuneDataHeader() { return writeHeader(m_tune); }

HRESULT CZylVirMS::WriteTuneData(unsigned char* pcData) { return writeRecord(m_tune, 0.0f, pcData, kUnknownLength); }
HRESULT CZylVirMS::WriteStatusLog(float fTime, unsigned char* pcData)
{
    return writeRecord(m_statusLog, fTime, pcData, kUnknownLength);
}
HRESULT CZylVirMS::WriteTrailer(unsigned char* pcData) { return writeRecord(m_trailer, 0.0f, pcData, kUnknownLength); }

// ---------------------------------------------------------------- scan events

HRESULT CZylVirMS::InitializeScanEvent(MS_ScanEvent* pScanEvent)
{
    if (!pScanEvent)
        return E_POINTER;
    zylvir::initializeScanEvent(*pScanEvent);
    return S_OK;
}

HRESULT CZylVirMS::InitMethodScanEvents()
{
    return guarded([&] {
        m_events = std::make_unique<CMSScanEvents>();
        return S_OK;
    });
}

HRESULT CZylVirMS::SetMethodScanEvent(LONG nSegment, LONG nScanEvent, MS_ScanEvent* pScanEvent)
{
    if (!m_events)
        return KSRAW_E_NOSCANEVENTS;
    if (!pScanEvent)
        return E_POINTER;
    return guarded([&] {
        CScanEvent event;
        const HRESULT hr = zylvir::toEngineEvent(*pScanEvent, event);
        if (FAILED(hr))
            return hr;
        m_events->Insert(event, ScanEventKey(nSegment, nScanEvent));
        return S_OK;
    });
}

HRESULT CZylVirMS::WriteMethodScanEvents()
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    if (!m_events)
        return KSRAW_E_NOSCANEVENTS;
    return guarded([&] {
        ms().WriteScanEventData(*m_events);
        m_events.reset();
        return S_OK;
    });
}

// ---------------------------------------------------------------- scan index and data

HRESULT CZylVirMS::writeScanIndex(const MS_ScanIndex* index, const MS_ScanEvent* event, bool withEvent)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    if (!index || (withEvent && !event))
        return E_POINTER;
    if (index->nNumberPackets < 0)
        return E_INVALIDARG;
    return guarded([&] {
        const ScanIndex entry = zylvir::toEngineIndex(*index);
        bool written = false;
        if (withEvent) {
            CScanEvent converted;
            const HRESULT hr = zylvir::toEngineEvent(*event, converted);
            if (FAILED(hr))
                return hr;
            written = ms().WriteInstScanIndex(entry, converted);
        } else {
            written = ms().WriteInstScanIndex(entry);
        }
        if (!written)
            return E_FAIL;  // a start time the index cannot take
        ++m_indexPosition;
        m_indexEntries = std::max(m_indexEntries, m_indexPosition);
        return S_OK;
    });
}

HRESULT CZylVirMS::WriteScanIndex(MS_ScanIndex* pScanIndex, MS_ScanEvent* pScanEvent)
{
    return writeScanIndex(pScanIndex, pScanEvent, true);
}

HRESULT CZylVirMS::WriteScanIndex2(MS_ScanIndex* pScanIndex) { return writeScanIndex(pScanIndex, nullptr, false); }

HRESULT CZylVirMS::InitializeScanIndex(LONG nScanIndexPosition, MS_PacketTypes eType)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    if (nScanIndexPosition < 0 || nScanIndexPosition > m_indexEntries)
        return E_INVALIDARG;
    return guarded([&] {
        ms().InitializeScanIndex(nScanIndexPosition, uint32_t(eType));
        m_indexPosition = nScanIndexPosition;
        return S_OK;
    });
}

HRESULT CZylVirMS::writeInstData(const uint8_t* data, LONG size, MS_PacketTypes type, size_t available)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    if (size < 0)
        return E_INVALIDARG;
    if (!data && size > 0)
        return E_POINTER;
    if (size_t(size) > available)
        return E_INVALIDARG;
    return guarded([&] {
        ms().WriteInstData(data, uint32_t(size), uint32_t(type));
        return S_OK;
    });
}

HRESULT CZylVirMS::WriteInstData(unsigned char* pcData, LONG nDataSize, MS_PacketTypes eType)
{
    return writeInstData(pcData, nDataSize, eType, kUnknownLength);
}

HRESULT CZylVirMS::writeInstData2(LONG count, const uint8_t* peaks, size_t available)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    if (count < 0 || count > kMaxPeaksPerWrite)
        return E_INVALIDARG;
    if (!peaks && count > 0)
        return E_POINTER;
    if (available / sizeof(MS_DataPeak) < size_t(count))
        return E_INVALIDARG;
    return guarded([&] {
        // Each 24-byte peak into a zeroed 32-byte engine point.
        std::vector<DataPeak> points(static_cast<size_t>(count));
        for (size_t i = 0; i < points.size(); ++i) {
            MS_DataPeak peak;
            std::memcpy(&peak, peaks + i * sizeof(MS_DataPeak), sizeof peak);
            points[i] = zylvir::toEnginePeak(peak);
        }
        ms().WriteInstData(points.data(), count);
        return S_OK;
    });
}

HRESULT CZylVirMS::WriteInstData2(LONG nNumPkts, MS_DataPeak* pPackets)
{
    return writeInstData2(nNumPkts, reinterpret_cast<const uint8_t*>(pPackets), kUnknownLength);
}

// ---------------------------------------------------------------- late-bound forms

HRESULT CZylVirMS::WriteInstDataFromArray(VARIANT data, LONG nDataSize, MS_PacketTypes eType)
{
    return m_file.withBytes(data, [&](const uint8_t* bytes, size_t size) {
        return writeInstData(bytes, nDataSize, eType, size);
    });
}

HRESULT CZylVirMS::WriteTuneDataFromArray(VARIANT data)
{
    return m_file.withBytes(data, [&](const uint8_t* bytes, size_t size) {
        return writeRecord(m_tune, 0.0f, bytes, size);
    });
}

HRESULT CZylVirMS::WriteStatusLogFromArray(float fTime, VARIANT data)
{
    return m_file.withBytes(data, [&](const uint8_t* bytes, size_t size) {
        return writeRecord(m_statusLog, fTime, bytes, size);
    });
}

HRESULT CZylVirMS::WriteTrailerFromArray(VARIANT data)
{
    return m_file.withBytes(data, [&](const uint8_t* bytes, size_t size) {
        return writeRecord(m_trailer, 0.0f, bytes, size);
    });
}

HRESULT CZylVirMS::InitializeScanEventInArray(VARIANT* event)
{
    if (!event)
        return E_POINTER;
    VARIANT* target = event->vt == (VT_BYREF | VT_VARIANT) ? event->pvarVal : event;
    if (!target)
        return E_POINTER;
    MS_ScanEvent record{};
    const VARTYPE type = target->vt & ~VT_BYREF;
    SAFEARRAY** slot = nullptr;
    if (type == (VT_ARRAY | VT_UI1) || type == (VT_ARRAY | VT_I1))
        slot = (target->vt & VT_BYREF) ? target->pparray : &target->parray;
    if (target->vt == VT_EMPTY) {
        SAFEARRAY* made = SafeArrayCreateVector(VT_UI1, 0, sizeof(MS_ScanEvent));
        if (!made)
            return E_OUTOFMEMORY;
        target->vt = VT_ARRAY | VT_UI1;
        target->parray = made;
        slot = &target->parray;
    } else if (!slot || !*slot) {
        return E_INVALIDARG;
    } else {
        // An array the caller made: its other arrays keep what they hold.
        const HRESULT hr = zylvir::ByteArg(*target).record(record);
        if (FAILED(hr))
            return hr;
    }
    zylvir::initializeScanEvent(record);
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(*slot, &data)))
        return E_FAIL;
    std::memcpy(data, &record, sizeof record);
    SafeArrayUnaccessData(*slot);
    return S_OK;
}

HRESULT CZylVirMS::SetMethodScanEventFromArray(LONG nSegment, LONG nScanEvent, VARIANT event)
{
    if (!m_events)
        return KSRAW_E_NOSCANEVENTS;
    MS_ScanEvent record;
    const HRESULT hr = zylvir::ByteArg(event).record(record);
    return FAILED(hr) ? hr : SetMethodScanEvent(nSegment, nScanEvent, &record);
}

HRESULT CZylVirMS::WriteScanIndexFromArrays(VARIANT index, VARIANT event)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    MS_ScanIndex entry;
    MS_ScanEvent record;
    HRESULT hr = zylvir::ByteArg(index).record(entry);
    if (SUCCEEDED(hr))
        hr = zylvir::ByteArg(event).record(record);
    return FAILED(hr) ? hr : writeScanIndex(&entry, &record, true);
}

HRESULT CZylVirMS::WriteInstData2FromArray(LONG nNumPkts, VARIANT peaks)
{
    return m_file.withBytes(peaks, [&](const uint8_t* bytes, size_t size) {
        return writeInstData2(nNumPkts, bytes, size);
    });
}

HRESULT CZylVirMS::WriteScanIndex2FromArray(VARIANT index)
{
    if (!m_file.open())
        return KSRAW_E_MS_NOWRITER;
    MS_ScanIndex entry;
    const HRESULT hr = zylvir::ByteArg(index).record(entry);
    return FAILED(hr) ? hr : writeScanIndex(&entry, nullptr, false);
}
