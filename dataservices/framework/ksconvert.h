// Conversions between the framework's spectrum and chromatogram records and
// the two forms clients receive them in: objects of the spectrum-object
// library (KSControls: spectrum, chromatogram, collection), created here by
// class identifier, or the caller's own in-process handles of the Direct
// methods (CKSMassSpectrum, CKSChromatogram, CKSMSCollection), copied into
// without creating any object. The reverse directions serve spectrum
// writers.
//
// Precursor levels: a record keeps its per-level precursor values by MS
// level L (2 up to its MS order). The library object receives them under
// the level number L + 1, a CKSMassSpectrum handle under L itself. Clients
// of the library objects read level L + 1; keep both numberings as they are.
//
// Out pointers are null whenever a function fails.
#pragma once

#include "chromatogram.h"
#include "kscomptr.h"
#include "kscontract.h"
#include "kshandles.h"
#include "kssafearray.h"
#include "massspectrum.h"

class CDataServerImpl;

// Class context the library objects are created with: any server.
inline constexpr DWORD KS_CONTROLS_CLASS_CONTEXT = 23;

// A one-dimensional array of count values (lower bound 1) copied from
// memory. Only VT_R8 is supported. Null when count <= 0, values is null,
// the type is another or the array cannot be created; an array whose data
// cannot be locked is returned unfilled.
SAFEARRAY* MakeSafeArray(VARTYPE vt, LONG count, const double* values);

// Fills a spectrum object: points, title, centroid flag, MS order,
// precursor m/z, spare value, polarity, retention-time range and scan
// range. E_OUTOFMEMORY when an array for a non-empty spectrum cannot be
// made; the object's own write results are not examined.
HRESULT SpectrumToObject(const CMassSpectrum& spectrum, IKSMassSpectrum2* object);
// The per-level precursor values (levels 2 to the MS order written as
// level + 1) and the function type, then SpectrumToObject.
HRESULT SpectrumToObjectWithPrecursors(const CMassSpectrum& spectrum, IKSMassSpectrum2* object);
// A chromatogram carried by a spectrum object, as the dataset services
// hand it out: in this order the point count, the x values as m/z values
// and the y values as intensities (each a VARIANT of VT_ARRAY | VT_R8;
// empty for no point) and a false centroid flag. The first failing call of
// the object is the answer; E_OUTOFMEMORY when an array cannot be made.
HRESULT PointsToSpectrumObject(IKSMassSpectrum* object, LONG count, const double* x, const double* y);
// A new spectrum object filled with SpectrumToObjectWithPrecursors.
HRESULT CreateSpectrumObject(const CMassSpectrum& spectrum, IKSMassSpectrum** ppSpectrum);
// A new chromatogram object holding the record's points and name.
HRESULT CreateChromatogramObject(IKSChromatogram** ppChromatogram, const CChromatogram& chromatogram);

// Copies a record into a caller's handle (peak flags, peak objects and
// annotations are not copied; per-level values keep their level number).
HRESULT CopySpectrumToDirect(const CMassSpectrum& spectrum, CKSMassSpectrum& handle);
// The same, E_POINTER for a null handle.
HRESULT SpectrumToDirect(const CMassSpectrum& spectrum, CKSMassSpectrum* handle);
// SpectrumToDirect of a record the caller no longer needs: the handle
// takes the record's content without a copy of the points where
// CKSMassSpectrum::TakeContents can (the record is then left with the
// handle's old content), and gets the copy otherwise. The handle ends as
// SpectrumToDirect leaves it, except that no per-level value of an earlier
// spectrum stays behind the MS order.
HRESULT MoveSpectrumToDirect(CMassSpectrum& spectrum, CKSMassSpectrum* handle);
// E_POINTER for a null handle; otherwise points and name.
HRESULT ChromatogramToDirect(CKSChromatogram* handle, const CChromatogram& chromatogram);

// What the providers' reading members ask of a caller's object: the
// spectrum interface (E_POINTER for a null object, else the object's own
// answer to the query), and the caller's handle behind a Direct address.
HRESULT QuerySpectrumObject(IDispatch* object, ks::ComPtr<IKSMassSpectrum3>& spectrum);
inline CKSMassSpectrum* DirectSpectrumOf(ULONG_PTR address)
{
    return reinterpret_cast<CKSMassSpectrum*>(address);
}

// PointsToSpectrumObject into a caller's handle: the count, the x values
// as m/z values, the y values as intensities, a false centroid flag;
// E_OUTOFMEMORY when the handle cannot take the points.
HRESULT PointsToSpectrumDirect(CKSMassSpectrum& handle, LONG count, const double* x, const double* y);

// Reverse directions. Neither copies per-level values or the second text;
// CopySpectrumFromDirect copies no function type either.
HRESULT CopySpectrumFromDirect(const CKSMassSpectrum& handle, CMassSpectrum& spectrum);
// Reads a spectrum object into a record. The point count is trusted only
// as far as the two arrays reach: a count beyond either array, a negative
// count or arrays of anything but doubles answer E_INVALIDARG with the
// points of the record untouched. A failing read of a scalar is the answer.
HRESULT SpectrumFromObject(IKSMassSpectrum2* object, CMassSpectrum& spectrum);

// Every spectrum of function (injection, function) of the reader (0-based
// indexes) as a new collection object; items carry neither per-level
// values nor the function type. The first failure ends the filling and is
// the answer (the collection is released). Collections grow with the
// spectra read (doubling, up to the reader's count): the count alone never
// sizes them, since it may be a file's claim.
HRESULT CreateSpectrumCollection(CDataServerImpl& reader, int injection, int function, IKSMSCollection** ppColl);
// The same with every profile spectrum centroided by the caller's peak
// detector; centroid spectra are copied unchanged.
HRESULT CreateCentroidedCollection(CDataServerImpl& reader, int injection, int function,
                                   IKSPeakDetection* detector, IKSMSCollection** ppColl);
// Every spectrum into the caller's CKSMSCollection (E_POINTER for null);
// the first failing read ends the filling and is the answer (the collection
// then holds at least the spectra read, grown as above).
HRESULT SpectrumCollectionToDirect(CDataServerImpl& reader, int injection, int function, CKSMSCollection* collection);
