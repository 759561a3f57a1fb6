// The virtual raw-file writers' automation interfaces: IZylVirMS (class
// ZylVirMS) writes a raw file of one mass-spectrometer controller,
// IZylVirUV (class ZylVirUV) one of a UV detector. Both are dual; their
// callers are programs outside the system, which create them by ProgID
// ("Ombrel2.ZylVirMS", "Ombrel2.ZylVirUV").
//
// Every member answers an HRESULT and lets no exception out: S_OK;
// E_POINTER for a missing required pointer; E_INVALIDARG for an empty file
// name or error text, a BSTR output that already holds a string, an index
// or count outside what it addresses (negative counts, an item beyond the
// header, more ranges, precursors or fragmentation values than an
// MS_ScanEvent holds); E_FAIL when the engine throws or refuses a write
// (the object stays usable) or a file cannot be finished; the writers'
// own codes of kswinerror.h (KSRAW_E_MS_NOWRITER ... KSRAW_E_NOSCANEVENTS).
//
// Strings typed LPWSTR are plain wide strings, not BSTRs; the caller keeps
// them. Records and byte buffers are the caller's and only read (except
// InitializeScanEvent, which fills the caller's record). A record's layout
// is pinned below: callers on other platforms lay them out the same way.
//
// A file is written beside its name and appears under it only when it is
// finished (Close, Create of another file, or the object's release), so a
// file in progress, or one whose writer died, is never read as finished.
//
// Late-bound callers find every member by name and DISPID (1 to 29 for the
// MS writer, 1 to 11 for the UV writer). A record or byte buffer travels
// there as a byte array (VT_ARRAY | VT_UI1, by value or in a VARIANT by
// reference) holding the record's bytes as laid out below; InitializeScanEvent
// takes a VARIANT by reference and fills the 1696-byte array it holds, or
// puts a new one into it when it is empty.
#pragma once

#include "ksdispatch.h"
#include "ksguid.h"
#include "ksinterfaces.h"

#include <cstddef>

inline constexpr CLSID CLSID_ZylVirMS = ks::guid("281748DC-D278-4303-9888-767BAD540E80");
inline constexpr CLSID CLSID_ZylVirUV = ks::guid("20AF91E1-FBCB-40F5-B4D4-98F1291EDEF0");

// ---------------------------------------------------------------- enums

enum MS_ScanData : LONG { MS_Centroid = 0, MS_Profile = 1, MS_AcceptAnyScanData = 2 };
enum MS_Polarity : LONG { MS_Negative = 0, MS_Positive = 1, MS_AnyPolarity = 2 };
enum MS_MSOrder : LONG {
    MS_AcceptAnyMSorder = 0,
    MS_ms = 1,
    MS_ms2 = 2,
    MS_ms3 = 3,
    MS_ms4 = 4,
    MS_ms5 = 5,
    MS_ms6 = 6,
    MS_ms7 = 7,
    MS_ms8 = 8,
    MS_ms9 = 9,
    MS_ms10 = 10,
    MS_par = 16,
    MS_ng = 24,
    MS_nl = 32,
};
enum MS_Dep : LONG { MS_NotDependent = 0, MS_Dependent = 1, MS_AcceptAnyDep = 2 };
enum MS_Wideband : LONG { MS_WidebandOff = 0, MS_WidebandOn = 1, MS_AcceptAnyWideband = 2 };
enum MS_SourceCID : LONG { MS_SourceCIDon = 0, MS_SourceCIDoff = 1, MS_AcceptAnySourceCID = 2 };
enum MS_ScanType : LONG {
    MS_Fullsc = 0,
    MS_Zoomsc = 1,
    MS_SIMsc = 2,
    MS_SRMsc = 3,
    MS_CRMsc = 4,
    MS_AcceptAnyScanType = 5,
    MS_Q1MSsc = 6,
    MS_Q3MSsc = 7,
};
enum MS_TurboScan : LONG { MS_TurboScanOn = 0, MS_TurboScanOff = 1, MS_AcceptAnyTurboScan = 2 };
enum MS_IonizationMode : LONG {
    MS_ElectronImpact = 0,
    MS_ChemicalIonization = 1,
    MS_FastAtomBombardment = 2,
    MS_Electrospray = 3,
    MS_AtmosphericPressureChemicalIonization = 4,
    MS_Nanospray = 5,
    MS_Thermospray = 6,
    MS_FieldDesorption = 7,
    MS_MatrixAssistedLaserDesorptionIonization = 8,
    MS_GlowDischarge = 9,
    MS_AcceptAnyIonizationMode = 10,
};
enum MS_Corona : LONG { MS_CoronaOn = 0, MS_CoronaOff = 1, MS_AcceptAnyCorona = 2 };
enum MS_Detector : LONG { MS_DetectorValid = 0, MS_AcceptAnyDetector = 1 };
enum MS_SourceCIDType : LONG {
    MS_SourceCIDTypeNoValue = 0,
    MS_SourceCIDTypeSingleValue = 1,
    MS_SourceCIDTypeRamp = 2,
    MS_SourceCIDTypeSIM = 3,
    MS_AcceptAnySourceCIDType = 4,
};

enum MS_PacketTypes : LONG {
    MS_PacketTypes_PROF_SP_TYPE = 0,
    MS_PacketTypes_LR_SP_TYPE = 1,
    MS_PacketTypes_HR_SP_TYPE = 2,
    MS_PacketTypes_PROF_INDEX_TYPE = 3,
    MS_PacketTypes_COMP_ACC_SP_TYPE = 4,
    MS_PacketTypes_STD_ACC_SP_TYPE = 5,
    MS_PacketTypes_STD_UNCAL_SP_TYPE = 6,
    MS_PacketTypes_ACC_MASS_PROF_SP_TYPE = 7,
    MS_PacketTypes_DG_xAQR_TYPE = 8,
    MS_PacketTypes_DG_xAQR_INDEX_TYPE = 9,
    MS_PacketTypes_DG_xASR_TYPE = 10,
    MS_PacketTypes_DG_xASR_INDEX_TYPE = 11,
    MS_PacketTypes_CHANNEL_UV_TYPE = 12,
    MS_PacketTypes_MS_ANALOG_TYPE = 13,
    MS_PacketTypes_PROF_SP_TYPE2 = 14,
    MS_PacketTypes_LR_SP_TYPE2 = 15,
    MS_PacketTypes_PROF_SP_TYPE3 = 16,
    MS_PacketTypes_LR_SP_TYPE3 = 17,
};

enum MS_DataTypes : LONG {
    MS_DataTypes_NULL = 0,
    MS_DataTypes_CHAR = 1,
    MS_DataTypes_TRUEFALSE = 2,
    MS_DataTypes_YESNO = 3,
    MS_DataTypes_ONOFF = 4,
    MS_DataTypes_UCHAR = 5,
    MS_DataTypes_SHORT = 6,
    MS_DataTypes_USHORT = 7,
    MS_DataTypes_LONG = 8,
    MS_DataTypes_ULONG = 9,
    MS_DataTypes_FLOAT = 10,
    MS_DataTypes_DOUBLE = 11,
    MS_DataTypes_CHAR_STRING = 12,
    MS_DataTypes_WCHAR_STRING = 13,
};

inline constexpr LONG MS_MAX_NUM_MASS_RANGES = 50;
inline constexpr LONG MS_MAX_MS_ORDER = 10;
inline constexpr LONG MS_TRAILER_NOT_AVAILABLE = 16;
inline constexpr LONG MS_SCAN_TYPE_NOT_SPECIFIED = 16;
// Capacities of an MS_ScanEvent beside its mass ranges.
inline constexpr LONG MS_MAX_NUM_PRECURSORS = 10;
inline constexpr LONG MS_MAX_NUM_SOURCE_FRAGMENTATION_ENERGIES = 50;

// ---------------------------------------------------------------- records

struct MS_MassRange {
    double dLowMass;
    double dHighMass;
};

struct MS_ScanEvent {
    LONG bIsValid;
    MS_ScanData eScanData;
    MS_Polarity ePolarity;
    MS_MSOrder eMSOrder;
    MS_Dep eDependent;
    MS_Wideband eWideband;
    LONG bCustom;
    MS_SourceCID eSourceCID;
    MS_ScanType eScanType;
    MS_TurboScan eTurboScan;
    MS_IonizationMode eIonizationMode;
    MS_Corona eCorona;
    MS_Detector eDetector;
    double dDetectorValue;
    MS_SourceCIDType eSourceCIDType;
    LONG nlScanTypeIndex;
    LONG nNumMassRanges;
    MS_MassRange arrMassRanges[MS_MAX_NUM_MASS_RANGES];
    LONG nNumPrecursorMasses;
    double arrPrecursorMasses[MS_MAX_NUM_PRECURSORS];
    double arrPrecursorEnergies[MS_MAX_NUM_PRECURSORS];
    LONG arrPrecursorEnergiesValid[MS_MAX_NUM_PRECURSORS];
    LONG nNumSourceFragmentationEnergies;
    double arrSourceFragmentationEnergies[MS_MAX_NUM_SOURCE_FRAGMENTATION_ENERGIES];
    LONG arrSourceFragmentationEnergiesValid[MS_MAX_NUM_SOURCE_FRAGMENTATION_ENERGIES];
};

struct MS_ScanIndex {
    ULONG nDataOffset;
    LONG nTrailerOffset;
    LONG nScanTypeIndex;
    LONG nScanNumber;
    LONG nPacketType;
    LONG nNumberPackets;
    double dStartTime;
    double dTIC;
    double dBasePeakIntensity;
    double dBasePeakMass;
    double dLowMass;
    double dHighMass;
};

struct MS_DataPeak {
    double dIntensity;
    double dPosition;
    float fBasePeak;
    LONG nScan;
};

struct MS_UVScanIndex {
    LONG nPacketType;
    LONG nNumberOfChannels;
    double dStartTime;
    double dTIC;
};

// What the reader's GetPrecursorInfoFromScanNum hands out per level, as a
// byte array of these records.
struct MS_PrecursorInfo {
    double dMonoIsoMZ;
    double dIsolationMZ;
    LONG nChargeState;
    LONG nScanNumber;
};

static_assert(sizeof(MS_MassRange) == 16 && offsetof(MS_MassRange, dHighMass) == 8, "MS_MassRange layout");
static_assert(sizeof(MS_ScanEvent) == 1696, "MS_ScanEvent size");
static_assert(offsetof(MS_ScanEvent, eScanData) == 4 && offsetof(MS_ScanEvent, ePolarity) == 8 &&
                  offsetof(MS_ScanEvent, eMSOrder) == 12 && offsetof(MS_ScanEvent, eDependent) == 16 &&
                  offsetof(MS_ScanEvent, eWideband) == 20 && offsetof(MS_ScanEvent, bCustom) == 24 &&
                  offsetof(MS_ScanEvent, eSourceCID) == 28 && offsetof(MS_ScanEvent, eScanType) == 32 &&
                  offsetof(MS_ScanEvent, eTurboScan) == 36 && offsetof(MS_ScanEvent, eIonizationMode) == 40 &&
                  offsetof(MS_ScanEvent, eCorona) == 44 && offsetof(MS_ScanEvent, eDetector) == 48 &&
                  offsetof(MS_ScanEvent, dDetectorValue) == 56 && offsetof(MS_ScanEvent, eSourceCIDType) == 64 &&
                  offsetof(MS_ScanEvent, nlScanTypeIndex) == 68 && offsetof(MS_ScanEvent, nNumMassRanges) == 72 &&
                  offsetof(MS_ScanEvent, arrMassRanges) == 80 && offsetof(MS_ScanEvent, nNumPrecursorMasses) == 880 &&
                  offsetof(MS_ScanEvent, arrPrecursorMasses) == 888 &&
                  offsetof(MS_ScanEvent, arrPrecursorEnergies) == 968 &&
                  offsetof(MS_ScanEvent, arrPrecursorEnergiesValid) == 1048 &&
                  offsetof(MS_ScanEvent, nNumSourceFragmentationEnergies) == 1088 &&
                  offsetof(MS_ScanEvent, arrSourceFragmentationEnergies) == 1096 &&
                  offsetof(MS_ScanEvent, arrSourceFragmentationEnergiesValid) == 1496,
              "MS_ScanEvent offsets");
static_assert(sizeof(MS_ScanIndex) == 72 && offsetof(MS_ScanIndex, nTrailerOffset) == 4 &&
                  offsetof(MS_ScanIndex, nScanTypeIndex) == 8 && offsetof(MS_ScanIndex, nScanNumber) == 12 &&
                  offsetof(MS_ScanIndex, nPacketType) == 16 && offsetof(MS_ScanIndex, nNumberPackets) == 20 &&
                  offsetof(MS_ScanIndex, dStartTime) == 24 && offsetof(MS_ScanIndex, dTIC) == 32 &&
                  offsetof(MS_ScanIndex, dBasePeakIntensity) == 40 && offsetof(MS_ScanIndex, dBasePeakMass) == 48 &&
                  offsetof(MS_ScanIndex, dLowMass) == 56 && offsetof(MS_ScanIndex, dHighMass) == 64,
              "MS_ScanIndex layout");
static_assert(sizeof(MS_DataPeak) == 24 && offsetof(MS_DataPeak, dPosition) == 8 &&
                  offsetof(MS_DataPeak, fBasePeak) == 16 && offsetof(MS_DataPeak, nScan) == 20,
              "MS_DataPeak layout");
static_assert(sizeof(MS_UVScanIndex) == 24 && offsetof(MS_UVScanIndex, nNumberOfChannels) == 4 &&
                  offsetof(MS_UVScanIndex, dStartTime) == 8 && offsetof(MS_UVScanIndex, dTIC) == 16,
              "MS_UVScanIndex layout");
static_assert(sizeof(MS_PrecursorInfo) == 24 && offsetof(MS_PrecursorInfo, dIsolationMZ) == 8 &&
                  offsetof(MS_PrecursorInfo, nChargeState) == 16 && offsetof(MS_PrecursorInfo, nScanNumber) == 20,
              "MS_PrecursorInfo layout");

// ---------------------------------------------------------------- interfaces

// DISPIDs 1 to 29, in this order.
struct IZylVirMS : public IDispatch {
    virtual HRESULT Create(LPWSTR szFileName) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT GetFileName(BSTR* pbstrFileName) = 0;
    virtual HRESULT get_IsError(LONG* pbIsError) = 0;
    virtual HRESULT get_ErrorCode(LONG* pnErrorCode) = 0;
    virtual HRESULT get_IsValid(LONG* pbIsValid) = 0;
    virtual HRESULT WriteInstID(LPWSTR szName, LPWSTR szModel, LPWSTR szSerialNumber, LPWSTR szSoftwareRev,
                                LPWSTR ExpType) = 0;
    virtual HRESULT WriteRunHeaderInfo(double dExpectedRunTime, double dMassResolution, LPWSTR szComment1,
                                       LPWSTR szComment2) = 0;
    virtual HRESULT WriteInstData(unsigned char* pcData, LONG nDataSize, MS_PacketTypes eType) = 0;
    virtual HRESULT SetTrailerHeaderNumFields(LONG nFields) = 0;
    virtual HRESULT SetTrailerHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision) = 0;
    virtual HRESULT WriteTrailerHeader() = 0;
    virtual HRESULT SetStatusLogHeaderNumFields(LONG nFields) = 0;
    virtual HRESULT SetStatusLogHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision) = 0;
    virtual HRESULT WriteStatusLogHeader() = 0;
    virtual HRESULT SetTuneDataHeaderNumFields(LONG nFields) = 0;
    virtual HRESULT SetTuneDataHeaderField(LONG nIdx, LPWSTR szLabel, MS_DataTypes eDataType, LONG nPrecision) = 0;
    virtual HRESULT WriteTuneDataHeader() = 0;
    virtual HRESULT WriteTuneData(unsigned char* pcData) = 0;
    virtual HRESULT WriteStatusLog(float fTime, unsigned char* pcData) = 0;
    virtual HRESULT WriteTrailer(unsigned char* pcData) = 0;
    virtual HRESULT InitializeScanEvent(MS_ScanEvent* pScanEvent) = 0;
    virtual HRESULT InitMethodScanEvents() = 0;
    virtual HRESULT SetMethodScanEvent(LONG nSegment, LONG nScanEvent, MS_ScanEvent* pScanEvent) = 0;
    virtual HRESULT WriteMethodScanEvents() = 0;
    virtual HRESULT WriteScanIndex(MS_ScanIndex* pScanIndex, MS_ScanEvent* pScanEvent) = 0;
    virtual HRESULT WriteInstData2(LONG nNumPkts, MS_DataPeak* pPackets) = 0;
    virtual HRESULT InitializeScanIndex(LONG nScanIndexPosition, MS_PacketTypes eType) = 0;
    virtual HRESULT WriteScanIndex2(MS_ScanIndex* pScanIndex) = 0;
};

// DISPIDs 1 to 11, in this order.
struct IZylVirUV : public IDispatch {
    virtual HRESULT Create(LPWSTR szFileName) = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT GetFileName(BSTR* pbstrFileName) = 0;
    virtual HRESULT get_IsError(LONG* pbIsError) = 0;
    virtual HRESULT get_ErrorCode(LONG* pnErrorCode) = 0;
    virtual HRESULT get_IsValid(LONG* pbIsValid) = 0;
    virtual HRESULT WriteErrorLog(float fTime, LPWSTR szError) = 0;
    virtual HRESULT WriteInstID(LPWSTR szName, LPWSTR szModel, LPWSTR szSerialNumber, LPWSTR szSoftwareRev,
                                LPWSTR szLabel1, LPWSTR szLabel2, LPWSTR szLabel3, LPWSTR szLabel4) = 0;
    virtual HRESULT WriteRunHeaderInfo(double dExpectedRunTime) = 0;
    virtual HRESULT WriteInstData(unsigned char* pcData, LONG nDataSize, MS_PacketTypes eType, LONG nDataLen) = 0;
    virtual HRESULT WriteScanIndex(MS_UVScanIndex* pScanIndex) = 0;
};

KS_DECLARE_INTERFACE(IZylVirMS, IDispatch, "55EA38B7-5419-4BE4-9198-3E4D78E6A532")
KS_DECLARE_INTERFACE(IZylVirUV, IDispatch, "1A2BF13F-4E2F-4E7D-9D67-435D5998312B")
inline constexpr IID IID_IZylVirMS = KS_IID(IZylVirMS);
inline constexpr IID IID_IZylVirUV = KS_IID(IZylVirUV);

KS_DECLARE_DISPATCH_TABLE(IZylVirMS)
KS_DECLARE_DISPATCH_TABLE(IZylVirUV)
