// The virtual UV writer: the identity with its channel labels, the run
// time, the error log, the scan index and the channel readings, handed to
// the engine's UV writer after the writer's own checks.
#include "zylviruv.h"

#include "zylvirbytes.h"
#include "zylvirconvert.h"

#include "rawmodel.h"

using namespace rawengine;
using zylvir::guarded;

CZylVirUV::CZylVirUV() : m_file(KSRAW_E_UV_NOWRITER, KSRAW_E_UV_WRITERALLOC) {}

CZylVirUV::~CZylVirUV() = default;

HRESULT CZylVirUV::Create(LPWSTR szFileName)
{
    return m_file.create(szFileName, [](const std::wstring& path) {
        return std::unique_ptr<CVirtualWriter>(new CVirtualUVWriter(path, kDeviceUV, -1, 0));
    });
}

HRESULT CZylVirUV::Close() { return m_file.close(); }
HRESULT CZylVirUV::GetFileName(BSTR* pbstrFileName) { return m_file.getFileName(pbstrFileName); }
HRESULT CZylVirUV::get_IsError(LONG* pbIsError) { return m_file.isError(pbIsError); }
HRESULT CZylVirUV::get_ErrorCode(LONG* pnErrorCode) { return m_file.errorCode(pnErrorCode); }
HRESULT CZylVirUV::get_IsValid(LONG* pbIsValid) { return m_file.isValid(pbIsValid); }

HRESULT CZylVirUV::WriteErrorLog(float fTime, LPWSTR szError)
{
    if (!m_file.open())
        return KSRAW_E_UV_NOWRITER;
    if (!szError)
        return E_POINTER;
    if (!*szError)
        return E_INVALIDARG;
    return guarded([&] {
        CErrorLogItem item;
        item.time = double(fTime);
        item.message = szError;
        m_file.writer().WriteErrorLog(item);
        return S_OK;
    });
}

HRESULT CZylVirUV::WriteInstID(LPWSTR szName, LPWSTR szModel, LPWSTR szSerialNumber, LPWSTR szSoftwareRev,
                               LPWSTR szLabel1, LPWSTR szLabel2, LPWSTR szLabel3, LPWSTR szLabel4)
{
    if (!m_file.open())
        return KSRAW_E_UV_NOWRITER;
    return guarded([&] {
        CInstID id = zylvir::identity(szName, szModel, szSerialNumber, szSoftwareRev);
        // The labels given, in order, the empty ones left out: labels 1
        // and 3 make a list of two.
        for (const wchar_t* label : {szLabel1, szLabel2, szLabel3, szLabel4})
            if (zylvir::given(label))
                id.channelLabels.emplace_back(label);
        m_file.writer().WriteInstIDData(id);
        return S_OK;
    });
}

HRESULT CZylVirUV::WriteRunHeaderInfo(double dExpectedRunTime)
{
    if (!m_file.open())
        return KSRAW_E_UV_NOWRITER;
    return guarded([&] {
        m_file.writer().WriteInstExpectedRunTime(dExpectedRunTime);  // as given, no threshold
        return S_OK;
    });
}

HRESULT CZylVirUV::writeInstData(const uint8_t* data, LONG size, MS_PacketTypes type, LONG count, size_t available)
{
    if (!m_file.open())
        return KSRAW_E_UV_NOWRITER;
    if (size < 0 || count < 0)
        return E_INVALIDARG;
    if (!data && size > 0)
        return E_POINTER;
    if (size_t(size) > available)
        return E_INVALIDARG;
    // One 8-byte reading per channel: a size that says otherwise would be
    // read past or short.
    if (int64_t(size) != int64_t(count) * 8)
        return E_FAIL;
    return guarded([&] {
        static_cast<CVirtualUVWriter&>(m_file.writer())
            .WriteInstData(data, uint32_t(size), uint32_t(type), count, 1);
        return S_OK;
    });
}

HRESULT CZylVirUV::WriteInstData(unsigned char* pcData, LONG nDataSize, MS_PacketTypes eType, LONG nDataLen)
{
    return writeInstData(pcData, nDataSize, eType, nDataLen, SIZE_MAX);
}

HRESULT CZylVirUV::WriteScanIndex(MS_UVScanIndex* pScanIndex)
{
    if (!m_file.open())
        return KSRAW_E_UV_NOWRITER;
    if (!pScanIndex)
        return E_POINTER;
    if (pScanIndex->nNumberOfChannels < 0)
        return E_INVALIDARG;
    return guarded([&] {
        const bool written =
            static_cast<CVirtualUVWriter&>(m_file.writer()).WriteInstScanIndex(zylvir::toEngineUVIndex(*pScanIndex));
        return written ? S_OK : E_FAIL;
    });
}

HRESULT CZylVirUV::WriteInstDataFromArray(VARIANT data, LONG nDataSize, MS_PacketTypes eType, LONG nDataLen)
{
    return m_file.withBytes(data, [&](const uint8_t* bytes, size_t size) {
        return writeInstData(bytes, nDataSize, eType, nDataLen, size);
    });
}

HRESULT CZylVirUV::WriteScanIndexFromArray(VARIANT index)
{
    if (!m_file.open())
        return KSRAW_E_UV_NOWRITER;
    MS_UVScanIndex entry;
    const HRESULT hr = zylvir::ByteArg(index).record(entry);
    return FAILED(hr) ? hr : WriteScanIndex(&entry);
}
