// What the tree tests and the fixture component share: the component's
// identifiers and the control interface through which a test sets the
// fixture reader's failures and reads its call log and lifetime counts.
#pragma once

#include "kscontract.h"

inline constexpr CLSID CLSID_TreeFixtureDataServer = ks::guid("6A0D2C51-3B8E-4F7A-9C14-2E5B7D90A1C3");
inline constexpr CLSID CLSID_TreeFixtureControl = ks::guid("6A0D2C52-3B8E-4F7A-9C14-2E5B7D90A1C3");
// The same data server listing IKSDataServer2 as well.
inline constexpr CLSID CLSID_TreeFixtureStorageServer = ks::guid("6A0D2C54-3B8E-4F7A-9C14-2E5B7D90A1C3");
inline constexpr GUID LIBID_TreeFixture = ks::guid("6A0D2C50-3B8E-4F7A-9C14-2E5B7D90A1C3");

// The fixture dataset (paths beginning with "fixture:"):
//   injection 1: function 1 profile MS, 10 spectra of 8 points, start
//                times 0.1 to 1.0 min, scans 1 to 10 (spectrum 6 without
//                a title);
//                function 2 centroid MSn of MS order 3, 4 spectra of 3
//                points with precursor values on levels 2 and 3;
//                trace 1 "UV 254" (5 points), trace 2 without data
//                (the reader's default E_NOTIMPL);
//   injection 2: function 1 profile MS, 3 spectra; no traces.
// While closed every count is 0 and every read E_FAIL.
struct ITreeFixtureControl : public IUnknown {
    virtual LONG ReadersAlive() = 0;
    virtual LONG ReadersDestroyed() = 0;
    virtual void SetOpenResult(HRESULT hr) = 0;
    virtual void SetCloseResult(HRESULT hr) = 0;
    // Spectrum fails with E_UNEXPECTED for this 0-based index (-1: never).
    virtual void SetFailingSpectrum(LONG index) = 0;
    // One line per reader call ("Open <path>", "Close", "Spectrum i f k",
    // "SpectrumRange i f first last da", "TIC calc", "BPCWithRange calc",
    // "Trace i t", ...); taking it empties it.
    virtual BSTR TakeLog() = 0;
};
KS_DECLARE_INTERFACE(ITreeFixtureControl, IUnknown, "6A0D2C53-3B8E-4F7A-9C14-2E5B7D90A1C3")
