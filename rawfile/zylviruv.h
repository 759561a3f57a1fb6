// CZylVirUV: the object behind the class ZylVirUV. It owns the engine's
// UV writer of the open file (through WriterFile); it builds nothing of
// its own. See zylvir.h for the codes; every member answers an HRESULT and
// lets no exception out.
//
// Apartment-threaded: no locks of its own. Releasing the object finishes
// an open file.
#pragma once

#include "ombrel.h"
#include "zylvir.h"
#include "zylvirwriterfile.h"

#include "ksobject.h"
#include "ksregistrar.h"

#include <cstdint>

class CZylVirUV : public ks::Object<ks::Dual<IZylVirUV>> {
public:
    KS_DECLARE_REGISTRY(L"Ombrel2", L"ZylVirUV", CLSID_ZylVirUV, &LIBID_OMBREL2Lib)

    CZylVirUV();
    ~CZylVirUV() override;

    // IZylVirUV
    HRESULT Create(LPWSTR szFileName) override;
    HRESULT Close() override;
    HRESULT GetFileName(BSTR* pbstrFileName) override;
    HRESULT get_IsError(LONG* pbIsError) override;
    HRESULT get_ErrorCode(LONG* pnErrorCode) override;
    HRESULT get_IsValid(LONG* pbIsValid) override;
    HRESULT WriteErrorLog(float fTime, LPWSTR szError) override;
    HRESULT WriteInstID(LPWSTR szName, LPWSTR szModel, LPWSTR szSerialNumber, LPWSTR szSoftwareRev, LPWSTR szLabel1,
                        LPWSTR szLabel2, LPWSTR szLabel3, LPWSTR szLabel4) override;
    HRESULT WriteRunHeaderInfo(double dExpectedRunTime) override;
    HRESULT WriteInstData(unsigned char* pcData, LONG nDataSize, MS_PacketTypes eType, LONG nDataLen) override;
    HRESULT WriteScanIndex(MS_UVScanIndex* pScanIndex) override;

    // The late-bound forms of the members that take a buffer or a record
    // (the member table calls these): byte arrays, see zylvirbytes.h.
    HRESULT WriteInstDataFromArray(VARIANT data, LONG nDataSize, MS_PacketTypes eType, LONG nDataLen);
    HRESULT WriteScanIndexFromArray(VARIANT index);

private:
    HRESULT writeInstData(const uint8_t* data, LONG size, MS_PacketTypes type, LONG count, size_t available);

    zylvir::WriterFile m_file;
};
