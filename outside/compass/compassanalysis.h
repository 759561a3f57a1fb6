// Interfaces of the outside Compass analysis component, as its callers see
// them: an analysis (opened on an analysis folder) hands out its spectrum
// collection and its description, each spectrum its points, MS level,
// retention time and polarity.
//
// The order of the members is the component's slot order after the
// IDispatch methods and is what binds: the reader calls slots, not names.
// Every member answers an HRESULT; out interfaces, BSTRs and VARIANTs
// belong to the caller.
//
// Class {012A4BEB-99EC-4A65-A4AF-7D09A20B5034} creates the analysis
// (interface {401AFF6A-C542-4B50-8723-58C14BBABE06}); the other objects
// are created by their parents. The stand-in lives in outside/compass.
#pragma once

#include "ksdispatch.h"

inline constexpr CLSID CLSID_CompassAnalysis = ks::guid("012A4BEB-99EC-4A65-A4AF-7D09A20B5034");

struct ICompassSpectra;
struct ICompassSpectrum;

struct ICompassAnalysis : public IDispatch {
    // Slot 1: opens the analysis of an analysis folder; a result that is
    // not negative means open.
    virtual HRESULT Open(BSTR path) = 0;
    // Slot 2: every spectrum of the open analysis.
    virtual HRESULT get_Spectra(ICompassSpectra** ppSpectra) = 0;
    // Slot 3: the analysis description, a free text that may be empty.
    virtual HRESULT get_Description(BSTR* pDescription) = 0;
};

struct ICompassSpectra : public IDispatch {
    // Slot 1.
    virtual HRESULT get_Count(LONG* pCount) = 0;
    // Slot 2: spectrum `index`, from 1.
    virtual HRESULT get_Item(LONG index, ICompassSpectrum** ppSpectrum) = 0;
};

struct ICompassSpectrum : public IDispatch {
    // Slot 1: the points for `kind` (the system always asks for 1): two
    // one-dimensional VARIANT arrays and the point count.
    virtual HRESULT GetData(LONG kind, VARIANT* pMasses, VARIANT* pIntensities, LONG* pCount) = 0;
    // Slot 2: 1 for MS, 2 and above for MSn.
    virtual HRESULT get_MSLevel(LONG* pLevel) = 0;
    // Slot 3: seconds.
    virtual HRESULT get_RetentionTime(double* pSeconds) = 0;
    // Slot 4: 1 means negative. A spectrum without polarity information
    // answers without writing the value, so callers preset it.
    virtual HRESULT get_Polarity(LONG* pPolarity) = 0;
};

KS_DECLARE_INTERFACE(ICompassAnalysis, IDispatch, "401AFF6A-C542-4B50-8723-58C14BBABE06")
KS_DECLARE_INTERFACE(ICompassSpectra, IDispatch, "7B3E9C14-2F6A-4D81-9C05-E8A1D4F63B27")
KS_DECLARE_INTERFACE(ICompassSpectrum, IDispatch, "C4D81A6E-93B2-47F5-8E1C-5A07B2E9F318")

KS_DECLARE_DISPATCH_TABLE(ICompassAnalysis)
KS_DECLARE_DISPATCH_TABLE(ICompassSpectra)
KS_DECLARE_DISPATCH_TABLE(ICompassSpectrum)

inline constexpr IID IID_ICompassAnalysis = KS_IID(ICompassAnalysis);
