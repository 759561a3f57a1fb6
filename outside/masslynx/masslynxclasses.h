// The seven reading classes of the MassLynx installation, as their callers
// see them: each is created by its class identifier for the interface
// listed here, takes the path of a raw directory and answers what it
// found there.
//
// The order of the members is each class's slot order after the IDispatch
// methods and is what binds: the reader calls slots, not names. Every
// member answers an HRESULT; a read that the class understood but that
// found nothing answers S_OK with a negative status, a call it could not
// understand (a damaged manifest, an argument it does not take) a failure
// code. Out BSTRs and VARIANTs belong to the caller. The stand-in lives in
// outside/masslynx (component MassLynxRaw, README.md there).
#pragma once

#include "ksdispatch.h"

// The context the reader creates the classes with (any server).
inline constexpr DWORD KS_MASSLYNX_CLASS_CONTEXT = 0x17;

inline constexpr CLSID CLSID_MassLynxRawCheck = ks::guid("111A3111-8A5C-11D5-809C-00508B5FFEC8");
inline constexpr CLSID CLSID_MassLynxHeader = ks::guid("95339EF2-8650-11D5-8095-00508B5FFEC8");
inline constexpr CLSID CLSID_MassLynxFunctionInfo = ks::guid("63E4A0C2-5684-11D5-8063-00508B5FFEC8");
inline constexpr CLSID CLSID_MassLynxAnalog = ks::guid("3D9244D1-599A-11D5-8066-00508B5FFEC8");
inline constexpr CLSID CLSID_MassLynxChromatogram = ks::guid("42BAE6E6-3D52-11D5-8043-00508B5FFEC8");
inline constexpr CLSID CLSID_MassLynxSpectrum = ks::guid("42BAE6E4-3D52-11D5-8043-00508B5FFEC8");
inline constexpr CLSID CLSID_MassLynxScanStats = ks::guid("0D0678C2-3A1B-11D5-8040-00508B5FFEC8");

// Accepts or rejects a raw path.
struct IMassLynxRawCheck : public IDispatch {
    // Slot 1: status 0 for a raw directory the installation reads,
    // negative otherwise.
    virtual HRESULT Check(BSTR path, LONG* pStatus) = 0;
};

// The header text of a raw directory.
struct IMassLynxHeader : public IDispatch {
    // Slot 1: reads the header; status 0 when its text is available.
    virtual HRESULT Read(BSTR path, LONG* pStatus) = 0;
    // Slot 2: the whole text of the header read last.
    virtual HRESULT get_Text(BSTR* pText) = 0;
};

// Function count, and type name and scan count of one function.
struct IMassLynxFunctionInfo : public IDispatch {
    // Slot 1: the number of functions, numbered from 1.
    virtual HRESULT GetFunctionCount(BSTR path, LONG* pCount) = 0;
    // Slot 2: selects function `function`; status 0 when it exists.
    virtual HRESULT Select(BSTR path, LONG function, LONG* pStatus) = 0;
    // Slot 3: the selected function's type name ("Scan", "Diode Array",
    // ...), scan count and a value of the installation's own.
    virtual HRESULT GetFunction(BSTR* pTypeName, LONG* pScanCount, double* pValue) = 0;
};

// The analog channels of a raw directory.
struct IMassLynxAnalog : public IDispatch {
    // Slot 1: status 0 when the channel count below is valid.
    virtual HRESULT Read(BSTR path, LONG* pStatus) = 0;
    // Slot 2.
    virtual HRESULT get_ChannelCount(LONG* pCount) = 0;
};

// A named chromatogram of a function ("TIC", "An1", ...).
struct IMassLynxChromatogram : public IDispatch {
    // Slot 1: the system always passes process 0, mass range 0.0 to 0.0
    // and mode 0. Status 0 when the chromatogram exists.
    virtual HRESULT Read(BSTR path, LONG function, LONG process, double low, double high, LONG mode, BSTR name,
                         LONG* pStatus) = 0;
    // Slot 2: the point count and two arrays (times in minutes,
    // intensities) of the chromatogram read last.
    virtual HRESULT GetData(LONG* pCount, VARIANT* pTimes, VARIANT* pIntensities) = 0;
};

// The points of one scan.
struct IMassLynxSpectrum : public IDispatch {
    // Slot 1: scan `scan` (from 1) of function `function`, process 0.
    // Status 0 when the scan exists.
    virtual HRESULT Read(BSTR path, LONG function, LONG process, LONG scan, LONG* pStatus) = 0;
    // Slot 2: the point count and two arrays (masses, intensities) of the
    // scan read last.
    virtual HRESULT GetData(LONG* pCount, VARIANT* pMasses, VARIANT* pIntensities) = 0;
};

// Retention time and data form of one scan.
struct IMassLynxScanStats : public IDispatch {
    // Slot 1: as IMassLynxSpectrum::Read.
    virtual HRESULT Read(BSTR path, LONG function, LONG process, LONG scan, LONG* pStatus) = 0;
    // Slot 2: the retention time (minutes) and the continuum flag (other
    // than 0 for profile data) of the scan read last.
    virtual HRESULT GetStats(float* pRetentionTime, LONG* pContinuum) = 0;
};

KS_DECLARE_INTERFACE(IMassLynxRawCheck, IDispatch, "111A3110-8A5C-11D5-809C-00508B5FFEC8")
KS_DECLARE_INTERFACE(IMassLynxHeader, IDispatch, "95339EF1-8650-11D5-8095-00508B5FFEC8")
KS_DECLARE_INTERFACE(IMassLynxFunctionInfo, IDispatch, "63E4A0C1-5684-11D5-8063-00508B5FFEC8")
KS_DECLARE_INTERFACE(IMassLynxAnalog, IDispatch, "3D9244D0-599A-11D5-8066-00508B5FFEC8")
KS_DECLARE_INTERFACE(IMassLynxChromatogram, IDispatch, "42BAE6E5-3D52-11D5-8043-00508B5FFEC8")
KS_DECLARE_INTERFACE(IMassLynxSpectrum, IDispatch, "42BAE6E3-3D52-11D5-8043-00508B5FFEC8")
KS_DECLARE_INTERFACE(IMassLynxScanStats, IDispatch, "0D0678C1-3A1B-11D5-8040-00508B5FFEC8")

KS_DECLARE_DISPATCH_TABLE(IMassLynxRawCheck)
KS_DECLARE_DISPATCH_TABLE(IMassLynxHeader)
KS_DECLARE_DISPATCH_TABLE(IMassLynxFunctionInfo)
KS_DECLARE_DISPATCH_TABLE(IMassLynxAnalog)
KS_DECLARE_DISPATCH_TABLE(IMassLynxChromatogram)
KS_DECLARE_DISPATCH_TABLE(IMassLynxSpectrum)
KS_DECLARE_DISPATCH_TABLE(IMassLynxScanStats)

inline constexpr IID IID_IMassLynxRawCheck = KS_IID(IMassLynxRawCheck);
inline constexpr IID IID_IMassLynxHeader = KS_IID(IMassLynxHeader);
inline constexpr IID IID_IMassLynxFunctionInfo = KS_IID(IMassLynxFunctionInfo);
inline constexpr IID IID_IMassLynxAnalog = KS_IID(IMassLynxAnalog);
inline constexpr IID IID_IMassLynxChromatogram = KS_IID(IMassLynxChromatogram);
inline constexpr IID IID_IMassLynxSpectrum = KS_IID(IMassLynxSpectrum);
inline constexpr IID IID_IMassLynxScanStats = KS_IID(IMassLynxScanStats);
