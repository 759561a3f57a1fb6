// Interfaces and identifiers of the outside spectrum-object library that the
// data-services contract takes its spectrum, chromatogram, collection and
// peak-detection types from. Only the operations the data services call are
// declared, plus the getters a client needs to read back what a provider
// filled; the library itself is outside the system (a stand-in lives under
// outside/kscontrols).
#pragma once

#include "ksdispatch.h"

inline constexpr GUID LIBID_KSControls = ks::guid("C32674B1-77B9-11D1-8F9F-00400536072C");

inline constexpr CLSID CLSID_KSMassSpectrum = ks::guid("32543AF8-D9ED-11D1-9005-00400536072C");
inline constexpr CLSID CLSID_KSChromatogram = ks::guid("F7DFEC85-66D8-4A4D-BF00-492024B5B1C0");
inline constexpr CLSID CLSID_KSMSCollection = ks::guid("9B33459D-2000-48DA-8379-8CF3EB960F92");

struct IKSMassSpectrum2;
struct IKSMassSpectrum3;

// One mass spectrum: m/z and intensity arrays with title and acquisition
// attributes. Writing Count first fixes the number of points; the arrays
// travel as VARIANTs holding one-dimensional SAFEARRAYs of doubles and are
// copied by the object.
struct IKSMassSpectrum : public IDispatch {
    virtual HRESULT get_Title(BSTR* pTitle) = 0;
    virtual HRESULT put_Title(BSTR title) = 0;
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT put_Count(LONG count) = 0;
    virtual HRESULT get_Masses(VARIANT* pMasses) = 0;
    virtual HRESULT put_Masses(VARIANT masses) = 0;
    virtual HRESULT get_Intensities(VARIANT* pIntensities) = 0;
    virtual HRESULT put_Intensities(VARIANT intensities) = 0;
    virtual HRESULT get_Centroid(VARIANT_BOOL* pCentroid) = 0;
    virtual HRESULT put_Centroid(VARIANT_BOOL centroid) = 0;
    virtual HRESULT get_MSOrder(SHORT* pOrder) = 0;
    virtual HRESULT put_MSOrder(SHORT order) = 0;
    virtual HRESULT get_PrecursorMass(double* pMass) = 0;
    virtual HRESULT put_PrecursorMass(double mass) = 0;
    virtual HRESULT get_Spare(SHORT* pValue) = 0;
    virtual HRESULT put_Spare(SHORT value) = 0;
    virtual HRESULT get_Polarity(LONG* pPolarity) = 0;
    virtual HRESULT put_Polarity(LONG polarity) = 0;
};

// Retention-time range, scan range, per-level precursor values and the
// function type; CopyFrom makes the object a full copy of another.
struct IKSMassSpectrum2 : public IKSMassSpectrum {
    virtual HRESULT get_StartRT(double* pRT) = 0;
    virtual HRESULT put_StartRT(double rt) = 0;
    virtual HRESULT get_EndRT(double* pRT) = 0;
    virtual HRESULT put_EndRT(double rt) = 0;
    virtual HRESULT get_FirstScan(LONG* pScan) = 0;
    virtual HRESULT put_FirstScan(LONG scan) = 0;
    virtual HRESULT get_LastScan(LONG* pScan) = 0;
    virtual HRESULT put_LastScan(LONG scan) = 0;
    virtual HRESULT get_PrecursorMZ(LONG level, double* pValue) = 0;
    virtual HRESULT put_PrecursorMZ(LONG level, double value) = 0;
    virtual HRESULT get_PrecursorMZ2(LONG level, double* pValue) = 0;
    virtual HRESULT put_PrecursorMZ2(LONG level, double value) = 0;
    virtual HRESULT get_FunctionType(LONG* pType) = 0;
    virtual HRESULT put_FunctionType(LONG type) = 0;
    virtual HRESULT CopyFrom(IKSMassSpectrum3* source) = 0;
};

// The newest spectrum interface; adds nothing the data services use.
struct IKSMassSpectrum3 : public IKSMassSpectrum2 {
};

// One chromatogram. Times and intensities are written as the address of
// Count doubles (copied during the call); through IDispatch they travel as
// a SAFEARRAY of doubles instead, since a late-bound caller has no address.
struct IKSChromatogram : public IDispatch {
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT put_Count(LONG count) = 0;
    virtual HRESULT get_Times(VARIANT* pTimes) = 0;
    virtual HRESULT put_Times(const double* times) = 0;
    virtual HRESULT get_Intensities(VARIANT* pIntensities) = 0;
    virtual HRESULT put_Intensities(const double* intensities) = 0;
    virtual HRESULT get_Name(BSTR* pName) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
};

// A collection of spectra: writing Count creates that many spectrum
// objects, reachable as Item(1) to Item(Count).
struct IKSMSCollection : public IDispatch {
    virtual HRESULT get_Count(LONG* pCount) = 0;
    virtual HRESULT put_Count(LONG count) = 0;
    virtual HRESULT get_Item(LONG Index, IKSMassSpectrum2** ppSpectrum) = 0;
};

// Centroids a profile spectrum: DetectPeaks takes the spectrum to detect
// in, WritePeaks writes the peaks found into a target spectrum.
struct IKSPeakDetection : public IDispatch {
    virtual HRESULT DetectPeaks(IKSMassSpectrum* pSpectrum) = 0;
    virtual HRESULT WritePeaks(IKSMassSpectrum* pTarget) = 0;
};

KS_DECLARE_INTERFACE(IKSMassSpectrum, IDispatch, "32543AF7-D9ED-11D1-9005-00400536072C")
KS_DECLARE_INTERFACE(IKSMassSpectrum2, IKSMassSpectrum, "BEA7018B-1A03-4D16-B595-66BEFE1CEA9A")
KS_DECLARE_INTERFACE(IKSMassSpectrum3, IKSMassSpectrum2, "1AB5C38D-319B-425E-8156-1B96792C2D65")
KS_DECLARE_INTERFACE(IKSChromatogram, IDispatch, "3370F06D-D846-4733-B57C-C2BB8CC1309D")
KS_DECLARE_INTERFACE(IKSMSCollection, IDispatch, "A813374A-A64B-454C-9DB2-9A0ABBC84F30")
KS_DECLARE_INTERFACE(IKSPeakDetection, IDispatch, "56585435-C473-11D3-9B63-00D0B7069669")

KS_DECLARE_DISPATCH_TABLE(IKSMassSpectrum)
KS_DECLARE_DISPATCH_TABLE(IKSMassSpectrum2)
KS_DECLARE_DISPATCH_TABLE(IKSMassSpectrum3)
KS_DECLARE_DISPATCH_TABLE(IKSChromatogram)
KS_DECLARE_DISPATCH_TABLE(IKSMSCollection)
KS_DECLARE_DISPATCH_TABLE(IKSPeakDetection)

inline constexpr IID IID_IKSMassSpectrum = KS_IID(IKSMassSpectrum);
inline constexpr IID IID_IKSMassSpectrum2 = KS_IID(IKSMassSpectrum2);
inline constexpr IID IID_IKSMassSpectrum3 = KS_IID(IKSMassSpectrum3);
inline constexpr IID IID_IKSChromatogram = KS_IID(IKSChromatogram);
inline constexpr IID IID_IKSMSCollection = KS_IID(IKSMSCollection);
inline constexpr IID IID_IKSPeakDetection = KS_IID(IKSPeakDetection);
