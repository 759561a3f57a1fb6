// Interfaces of the outside ion-trap analysis component, as its callers
// see them: an analysis (opened on a data folder) hands out its spectrum
// collection, each spectrum its points, MS level, retention time,
// precursors and acquisition parameters.
//
// The order of the members is the component's slot order after the
// IDispatch methods and is what binds: the reader calls slots, not names.
// Members marked "not called" are slots the system never uses; the
// stand-in answers E_NOTIMPL there. Every member answers an HRESULT; out
// interfaces, BSTRs and VARIANTs belong to the caller.
//
// Class {0CF561E0-6BD0-47EB-BCF9-C29C02E3E0DD} creates the analysis
// (interface {42C93514-76D7-4A1E-A01C-4C885EE55198}); the other objects
// are created by their parents. The stand-in lives in outside/iontrap.
#pragma once

#include "ksdispatch.h"

inline constexpr CLSID CLSID_IonTrapAnalysis = ks::guid("0CF561E0-6BD0-47EB-BCF9-C29C02E3E0DD");

struct IIonTrapSpectra;
struct IIonTrapSpectrum;
struct IIonTrapParameters;
struct IIonTrapParameter;

struct IIonTrapAnalysis : public IDispatch {
    // Slot 1: the spectra of the open analysis.
    virtual HRESULT get_Spectra(IIonTrapSpectra** ppSpectra) = 0;
    // Slot 2: opens the analysis of a data folder.
    virtual HRESULT Open(BSTR path) = 0;
    // Slot 3: not called.
    virtual HRESULT Reserved() = 0;
    // Slot 4: the analysis name.
    virtual HRESULT get_Name(BSTR* pName) = 0;
};

struct IIonTrapSpectra : public IDispatch {
    // Slot 1.
    virtual HRESULT get_Count(LONG* pCount) = 0;
    // Slot 2: not called.
    virtual HRESULT get__NewEnum(IUnknown** ppEnum) = 0;
    // Slot 3: spectrum `index`, from 1.
    virtual HRESULT get_Item(LONG index, IIonTrapSpectrum** ppSpectrum) = 0;
};

struct IIonTrapSpectrum : public IDispatch {
    // Slot 1: the points for `kind` (the system always asks for 1): two
    // VARIANT arrays and the point count.
    virtual HRESULT GetData(LONG kind, VARIANT* pMasses, VARIANT* pIntensities, LONG* pCount) = 0;
    // Slot 2: the MS level counted from 0 (0 is MS, 1 MS/MS).
    virtual HRESULT get_MSLevel(LONG* pLevel) = 0;
    // Slot 3: the retention time in seconds.
    virtual HRESULT get_RetentionTime(double* pSeconds) = 0;
    // Slot 4: the precursor m/z values, first level first, and their count.
    virtual HRESULT GetPrecursors(VARIANT* pMasses, LONG* pCount) = 0;
    // Slot 5: the acquisition parameters of the spectrum.
    virtual HRESULT get_Parameters(IIonTrapParameters** ppParameters) = 0;
};

struct IIonTrapParameters : public IDispatch {
    // Slot 1.
    virtual HRESULT get_Count(LONG* pCount) = 0;
    // Slot 2: parameter `index`, a VT_I4 from 1.
    virtual HRESULT get_Item(VARIANT index, IIonTrapParameter** ppParameter) = 0;
};

struct IIonTrapParameter : public IDispatch {
    // Slot 1: the group ("Mode", ...).
    virtual HRESULT get_Group(BSTR* pGroup) = 0;
    // Slot 2: the name within the group ("Ion Polarity", ...).
    virtual HRESULT get_Name(BSTR* pName) = 0;
    // Slot 3: the value, a VARIANT holding a BSTR.
    virtual HRESULT get_Value(VARIANT* pValue) = 0;
};

KS_DECLARE_INTERFACE(IIonTrapAnalysis, IDispatch, "42C93514-76D7-4A1E-A01C-4C885EE55198")
KS_DECLARE_INTERFACE(IIonTrapSpectra, IDispatch, "5C0E8D31-7A2B-4F63-9E1D-3B8A6F0C2D41")
KS_DECLARE_INTERFACE(IIonTrapSpectrum, IDispatch, "8E4F2A17-C35D-4B09-A6E2-71D9C0B45F83")
KS_DECLARE_INTERFACE(IIonTrapParameters, IDispatch, "B2D76E90-4F1A-4C38-8D5B-E09A3C61F7A4")
KS_DECLARE_INTERFACE(IIonTrapParameter, IDispatch, "D9A14C52-6B3E-47F0-B8C1-25E7F4A09D6C")

KS_DECLARE_DISPATCH_TABLE(IIonTrapAnalysis)
KS_DECLARE_DISPATCH_TABLE(IIonTrapSpectra)
KS_DECLARE_DISPATCH_TABLE(IIonTrapSpectrum)
KS_DECLARE_DISPATCH_TABLE(IIonTrapParameters)
KS_DECLARE_DISPATCH_TABLE(IIonTrapParameter)

inline constexpr IID IID_IIonTrapAnalysis = KS_IID(IIonTrapAnalysis);
