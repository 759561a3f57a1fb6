#include "ksconvert.h"

#include <algorithm>
#include <cstring>

#include "dataserverimpl.h"
#include "ksactivation.h"
#include "kscomptr.h"

namespace {

// A VARIANT holding an array the caller keeps and destroys itself.
VARIANT ArrayVariant(SAFEARRAY* array)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_R8;
    v.parray = array;
    return v;
}

// The SAFEARRAY of doubles a VARIANT holds (directly or by reference);
// null when it holds none.
SAFEARRAY* HeldArray(const VARIANT& v)
{
    if ((v.vt & VT_ARRAY) == 0)
        return nullptr;
    if (v.vt & VT_BYREF)
        return v.pparray ? *v.pparray : nullptr;
    return v.parray;
}

// Element count of a one-dimensional array of doubles; -1 for any other
// array.
LONG DoubleCount(SAFEARRAY* array)
{
    VARTYPE vt = VT_EMPTY;
    if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetVartype(array, &vt)) || vt != VT_R8)
        return -1;
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
        return -1;
    const long long n = static_cast<long long>(upper) - lower + 1;
    return n < 0 || n > 0x7fffffff ? -1 : static_cast<LONG>(n);
}

// Reads a collection item by its 1-based index.
HRESULT CollectionItem(IKSMSCollection* collection, LONG index, ks::ComPtr<IKSMassSpectrum2>& item)
{
    HRESULT hr = collection->get_Item(index, &item);
    if (SUCCEEDED(hr) && !item)
        hr = E_POINTER;
    return hr;
}

// Creates a collection and writes its count (the function's spectrum
// count, a negative one taken as 0).
// The collection object and the number of spectra the reader claims. The
// collection starts empty and grows with the spectra actually read
// (GrowCollection): the count may come from a file's headers alone, and a
// file of header lines must not size a huge collection before the first
// spectrum fails to read.
HRESULT CreateEmptyCollection(CDataServerImpl& reader, int injection, int function,
                              ks::ComPtr<IKSMSCollection>& collection, LONG& count)
{
    HRESULT hr = CoCreateInstance(CLSID_KSMSCollection, nullptr, KS_CONTROLS_CLASS_CONTEXT, IID_IKSMSCollection,
                                  collection.out());
    if (FAILED(hr))
        return hr;
    count = std::max(0, reader.SpectrumCount(injection, function));
    return collection->put_Count(0);
}

// Room for `needed` spectra: the size doubles (from 16) and never passes
// the claimed count, so growing costs no more than one sizing would.
LONG GrownSize(LONG size, LONG needed, LONG count)
{
    if (needed <= size)
        return size;
    const LONG doubled = size <= count / 2 ? std::max<LONG>(16, size * 2) : count;
    return std::min(count, std::max(needed, doubled));
}

HRESULT GrowCollection(IKSMSCollection* collection, LONG& size, LONG needed, LONG count)
{
    const LONG next = GrownSize(size, needed, count);
    if (next == size)
        return S_OK;
    const HRESULT hr = collection->put_Count(next);
    if (SUCCEEDED(hr))
        size = next;
    return hr;
}

}  // namespace

SAFEARRAY* MakeSafeArray(VARTYPE vt, LONG count, const double* values)
{
    if (vt != VT_R8 || count <= 0 || !values)
        return nullptr;
    SAFEARRAY* array = SafeArrayCreateVector(vt, 1, static_cast<ULONG>(count));
    if (!array)
        return nullptr;
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
        std::memcpy(data, values, sizeof(double) * static_cast<size_t>(count));
        SafeArrayUnaccessData(array);
    }
    return array;
}

HRESULT SpectrumToObject(const CMassSpectrum& spectrum, IKSMassSpectrum2* object)
{
    if (!object)
        return E_POINTER;
    const LONG count = spectrum.GetCount();
    SAFEARRAY* masses = MakeSafeArray(VT_R8, count, spectrum.Masses());
    if (!masses && count != 0)
        return E_OUTOFMEMORY;
    SAFEARRAY* intensities = MakeSafeArray(VT_R8, count, spectrum.Intensities());
    if (!intensities && count != 0) {
        SafeArrayDestroy(masses);
        return E_OUTOFMEMORY;
    }

    ks::ComPtr<IKSMassSpectrum> base;
    HRESULT hr = base.queryFrom(object);
    if (FAILED(hr)) {
        SafeArrayDestroy(masses);
        SafeArrayDestroy(intensities);
        return hr;
    }
    ks::Bstr title(spectrum.GetTitle());
    base->put_Count(count);
    base->put_Masses(ArrayVariant(masses));
    base->put_Intensities(ArrayVariant(intensities));
    base->put_Title(title);
    base->put_Centroid(spectrum.IsCentroid() ? VARIANT_TRUE : VARIANT_FALSE);
    base->put_MSOrder(spectrum.GetMSOrder());
    base->put_PrecursorMass(spectrum.GetPrecursorMass());
    base->put_Spare(spectrum.GetSpare16());
    base->put_Polarity(spectrum.GetPolarity());
    object->put_StartRT(spectrum.GetStartRT());
    object->put_EndRT(spectrum.GetEndRT());
    // Scan numbers are 32-bit throughout; nothing is cut to 16 bits.
    object->put_FirstScan(spectrum.GetFirstScan());
    object->put_LastScan(spectrum.GetLastScan());

    base.reset();
    SafeArrayDestroy(masses);
    SafeArrayDestroy(intensities);
    return S_OK;
}

HRESULT PointsToSpectrumObject(IKSMassSpectrum* object, LONG count, const double* x, const double* y)
{
    if (!object)
        return E_POINTER;
    ks::SafeArray masses(MakeSafeArray(VT_R8, count, x));
    ks::SafeArray intensities(MakeSafeArray(VT_R8, count, y));
    if (count > 0 && (!masses || !intensities))
        return E_OUTOFMEMORY;
    VARIANT vMasses;
    VariantInit(&vMasses);
    VARIANT vIntensities;
    VariantInit(&vIntensities);
    if (count > 0) {
        vMasses = ArrayVariant(masses.get());
        vIntensities = ArrayVariant(intensities.get());
    }
    HRESULT hr = object->put_Count(count);
    if (SUCCEEDED(hr))
        hr = object->put_Masses(vMasses);
    if (SUCCEEDED(hr))
        hr = object->put_Intensities(vIntensities);
    if (SUCCEEDED(hr))
        hr = object->put_Centroid(VARIANT_FALSE);
    return hr;
}

HRESULT SpectrumToObjectWithPrecursors(const CMassSpectrum& spectrum, IKSMassSpectrum2* object)
{
    if (!object)
        return E_POINTER;
    // The library numbers the levels one above the record (see the header).
    for (LONG level = 2; level <= spectrum.GetMSOrder(); ++level) {
        object->put_PrecursorMZ(level + 1, spectrum.GetPrecursorMZ(level));
        object->put_PrecursorMZ2(level + 1, spectrum.GetPrecursorMZ2(level));
    }
    object->put_FunctionType(spectrum.GetFunctionType());
    ks::ComPtr<IKSMassSpectrum3> newest;
    HRESULT hr = newest.queryFrom(object);
    if (FAILED(hr))
        return hr;
    return SpectrumToObject(spectrum, newest.get());
}

HRESULT CreateSpectrumObject(const CMassSpectrum& spectrum, IKSMassSpectrum** ppSpectrum)
{
    if (!ppSpectrum)
        return E_POINTER;
    *ppSpectrum = nullptr;
    ks::ComPtr<IKSMassSpectrum2> object;
    HRESULT hr = CoCreateInstance(CLSID_KSMassSpectrum, nullptr, KS_CONTROLS_CLASS_CONTEXT, IID_IKSMassSpectrum2,
                                  object.out());
    if (FAILED(hr))
        return hr;
    hr = SpectrumToObjectWithPrecursors(spectrum, object.get());
    if (SUCCEEDED(hr))
        object->QueryInterface(IID_IKSMassSpectrum, reinterpret_cast<void**>(ppSpectrum));
    return hr;
}

HRESULT CreateChromatogramObject(IKSChromatogram** ppChromatogram, const CChromatogram& chromatogram)
{
    if (!ppChromatogram)
        return E_POINTER;
    *ppChromatogram = nullptr;
    ks::ComPtr<IKSChromatogram> object;
    HRESULT hr = CoCreateInstance(CLSID_KSChromatogram, nullptr, KS_CONTROLS_CLASS_CONTEXT, IID_IKSChromatogram,
                                  object.out());
    if (FAILED(hr))
        return hr;
    // A failed count write leaves nothing in the caller's hands.
    hr = object->put_Count(chromatogram.GetCount());
    if (FAILED(hr))
        return hr;
    object->put_Times(chromatogram.Times());
    object->put_Intensities(chromatogram.Intensities());
    ks::Bstr name(chromatogram.GetName());
    object->put_Name(name);
    *ppChromatogram = object.detach();
    return S_OK;
}

HRESULT CopySpectrumToDirect(const CMassSpectrum& spectrum, CKSMassSpectrum& handle)
{
    handle.SetCount(spectrum.GetCount());
    handle.SetMasses(spectrum.Masses());
    handle.SetIntensities(spectrum.Intensities());
    handle.SetTitle(spectrum.GetTitle());
    handle.SetCentroid(spectrum.IsCentroid());
    handle.SetMSOrder(spectrum.GetMSOrder());
    handle.SetPrecursorMass(spectrum.GetPrecursorMass());
    handle.SetSpare16(spectrum.GetSpare16());
    handle.SetPolarity(spectrum.GetPolarity());
    handle.SetStartRT(spectrum.GetStartRT());
    handle.SetEndRT(spectrum.GetEndRT());
    handle.SetFirstScan(spectrum.GetFirstScan());
    handle.SetLastScan(spectrum.GetLastScan());
    // The MS order is set above, so the handle accepts these levels.
    for (LONG level = 2; level <= spectrum.GetMSOrder(); ++level) {
        handle.SetPrecursorMZ(level, spectrum.GetPrecursorMZ(level));
        handle.SetPrecursorMZ2(level, spectrum.GetPrecursorMZ2(level));
    }
    handle.SetFunctionType(spectrum.GetFunctionType());
    handle.SetText2(spectrum.GetText2());
    return S_OK;
}

HRESULT QuerySpectrumObject(IDispatch* object, ks::ComPtr<IKSMassSpectrum3>& spectrum)
{
    if (!object)
        return E_POINTER;
    return object->QueryInterface(IID_IKSMassSpectrum3, reinterpret_cast<void**>(&spectrum));
}

HRESULT PointsToSpectrumDirect(CKSMassSpectrum& handle, LONG count, const double* x, const double* y)
{
    handle.SetCount(count);
    if (handle.GetCount() != count)
        return E_OUTOFMEMORY;
    if (count > 0) {
        handle.SetMasses(x);
        handle.SetIntensities(y);
    }
    handle.SetCentroid(false);
    return S_OK;
}

HRESULT SpectrumToDirect(const CMassSpectrum& spectrum, CKSMassSpectrum* handle)
{
    if (!handle)
        return E_POINTER;
    return CopySpectrumToDirect(spectrum, *handle);
}

HRESULT MoveSpectrumToDirect(CMassSpectrum& spectrum, CKSMassSpectrum* handle)
{
    if (!handle)
        return E_POINTER;
    if (handle->TakeContents(spectrum))
        return S_OK;
    return CopySpectrumToDirect(spectrum, *handle);
}

HRESULT ChromatogramToDirect(CKSChromatogram* handle, const CChromatogram& chromatogram)
{
    if (!handle)
        return E_POINTER;
    handle->SetSize(chromatogram.GetCount());
    handle->SetTimes(chromatogram.Times());
    handle->SetIntensities(chromatogram.Intensities());
    handle->SetName(chromatogram.GetName());
    return S_OK;
}

HRESULT CopySpectrumFromDirect(const CKSMassSpectrum& handle, CMassSpectrum& spectrum)
{
    const LONG count = handle.GetCount();
    spectrum.Resize(count);
    const double* masses = handle.GetMasses();
    const double* intensities = handle.GetIntensities();
    if (masses && intensities && count > 0 && spectrum.GetCount() == count) {
        std::copy(masses, masses + count, spectrum.Masses());
        std::copy(intensities, intensities + count, spectrum.Intensities());
        spectrum.Invalidate();
    }
    spectrum.SetTitle(handle.GetTitle());
    spectrum.SetCentroid(handle.IsCentroid());
    spectrum.SetMSOrder(handle.GetMSOrder());
    spectrum.SetPrecursorMass(handle.GetPrecursorMass());
    spectrum.SetSpare16(handle.GetSpare16());
    spectrum.SetPolarity(handle.GetPolarity());
    spectrum.SetStartRT(handle.GetStartRT());
    spectrum.SetEndRT(handle.GetEndRT());
    spectrum.SetFirstScan(handle.GetFirstScan());
    spectrum.SetLastScan(handle.GetLastScan());
    return S_OK;
}

HRESULT SpectrumFromObject(IKSMassSpectrum2* object, CMassSpectrum& spectrum)
{
    if (!object)
        return E_POINTER;
    ks::ComPtr<IKSMassSpectrum> base;
    HRESULT hr = base.queryFrom(object);
    if (FAILED(hr))
        return hr;

    ks::Bstr title;
    if (SUCCEEDED(base->get_Title(&title)))
        spectrum.SetTitle(title.str());
    VARIANT_BOOL centroid = VARIANT_FALSE;
    base->get_Centroid(&centroid);
    // Only -1 is true here; a 1 from a careless object means profile.
    spectrum.SetCentroid(centroid == VARIANT_TRUE);

    SHORT order = 0;
    double precursor = 0;
    SHORT spare = 0;
    LONG polarity = 0;
    double startRT = 0;
    double endRT = 0;
    LONG firstScan = 0;
    LONG lastScan = 0;
    if (FAILED(hr = base->get_MSOrder(&order)))
        return hr;
    spectrum.SetMSOrder(order);
    if (FAILED(hr = base->get_PrecursorMass(&precursor)))
        return hr;
    spectrum.SetPrecursorMass(precursor);
    if (FAILED(hr = base->get_Spare(&spare)))
        return hr;
    spectrum.SetSpare16(spare);
    if (FAILED(hr = base->get_Polarity(&polarity)))
        return hr;
    spectrum.SetPolarity(polarity);
    if (FAILED(hr = object->get_StartRT(&startRT)))
        return hr;
    spectrum.SetStartRT(startRT);
    if (FAILED(hr = object->get_EndRT(&endRT)))
        return hr;
    spectrum.SetEndRT(endRT);
    if (FAILED(hr = object->get_FirstScan(&firstScan)))
        return hr;
    spectrum.SetFirstScan(firstScan);
    if (FAILED(hr = object->get_LastScan(&lastScan)))
        return hr;
    spectrum.SetLastScan(lastScan);

    ks::Variant masses;
    base->get_Masses(&masses);
    SAFEARRAY* massArray = HeldArray(masses);
    if (!massArray)
        return S_OK;
    ks::Variant intensities;
    base->get_Intensities(&intensities);
    SAFEARRAY* intensityArray = HeldArray(intensities);
    if (!intensityArray)
        return S_OK;
    LONG count = 0;
    base->get_Count(&count);
    // The count is the object's claim; copy no further than both arrays
    // reach, and refuse anything that is not an array of doubles.
    const LONG massCount = DoubleCount(massArray);
    const LONG intensityCount = DoubleCount(intensityArray);
    if (count < 0 || massCount < 0 || intensityCount < 0 || count > massCount || count > intensityCount)
        return E_INVALIDARG;
    void* massData = nullptr;
    if (FAILED(hr = SafeArrayAccessData(massArray, &massData)))
        return hr;
    void* intensityData = nullptr;
    if (FAILED(hr = SafeArrayAccessData(intensityArray, &intensityData))) {
        SafeArrayUnaccessData(massArray);
        return hr;
    }
    if (spectrum.Resize(count) && count > 0) {
        std::memcpy(spectrum.Masses(), massData, sizeof(double) * static_cast<size_t>(count));
        std::memcpy(spectrum.Intensities(), intensityData, sizeof(double) * static_cast<size_t>(count));
        spectrum.Invalidate();
    }
    SafeArrayUnaccessData(intensityArray);
    SafeArrayUnaccessData(massArray);
    return S_OK;
}

HRESULT CreateSpectrumCollection(CDataServerImpl& reader, int injection, int function, IKSMSCollection** ppColl)
{
    if (!ppColl)
        return E_POINTER;
    *ppColl = nullptr;
    ks::ComPtr<IKSMSCollection> collection;
    LONG count = 0;
    LONG size = 0;
    HRESULT hr = CreateEmptyCollection(reader, injection, function, collection, count);
    CMassSpectrum scratch;
    for (LONG k = 0; k < count && SUCCEEDED(hr); ++k) {
        hr = reader.Spectrum(injection, function, k, scratch);
        if (SUCCEEDED(hr))
            hr = GrowCollection(collection.get(), size, k + 1, count);
        ks::ComPtr<IKSMassSpectrum2> item;
        if (SUCCEEDED(hr))
            hr = CollectionItem(collection.get(), k + 1, item);
        if (SUCCEEDED(hr))
            hr = SpectrumToObject(scratch, item.get());
    }
    if (SUCCEEDED(hr))
        *ppColl = collection.detach();
    return hr;
}

HRESULT CreateCentroidedCollection(CDataServerImpl& reader, int injection, int function,
                                   IKSPeakDetection* detector, IKSMSCollection** ppColl)
{
    if (!ppColl)
        return E_POINTER;
    *ppColl = nullptr;
    if (!detector)
        return E_POINTER;
    ks::ComPtr<IKSMSCollection> collection;
    LONG count = 0;
    LONG size = 0;
    HRESULT hr = CreateEmptyCollection(reader, injection, function, collection, count);
    if (FAILED(hr))
        return hr;
    ks::ComPtr<IKSMassSpectrum3> profile;
    hr = CoCreateInstance(CLSID_KSMassSpectrum, nullptr, KS_CONTROLS_CLASS_CONTEXT, IID_IKSMassSpectrum3,
                          profile.out());
    CMassSpectrum scratch;
    for (LONG k = 0; k < count && SUCCEEDED(hr); ++k) {
        hr = reader.Spectrum(injection, function, k, scratch);
        if (SUCCEEDED(hr))
            hr = GrowCollection(collection.get(), size, k + 1, count);
        ks::ComPtr<IKSMassSpectrum2> item;
        if (SUCCEEDED(hr))
            hr = CollectionItem(collection.get(), k + 1, item);
        if (FAILED(hr))
            break;
        if (scratch.IsCentroid()) {
            hr = SpectrumToObject(scratch, item.get());
            continue;
        }
        // Detect in the profile object, copy it whole into the item (its
        // attributes), then let the detector replace the item's points.
        hr = SpectrumToObject(scratch, profile.get());
        if (SUCCEEDED(hr))
            hr = detector->DetectPeaks(profile.get());
        if (SUCCEEDED(hr))
            hr = item->CopyFrom(profile.get());
        if (SUCCEEDED(hr))
            hr = detector->WritePeaks(item.get());
    }
    if (SUCCEEDED(hr))
        *ppColl = collection.detach();
    return hr;
}

HRESULT SpectrumCollectionToDirect(CDataServerImpl& reader, int injection, int function, CKSMSCollection* collection)
{
    if (!collection)
        return E_POINTER;
    const LONG count = std::max(0, reader.SpectrumCount(injection, function));
    // Grown with the spectra read, as the object collections are.
    LONG size = 0;
    collection->SetCount(0);
    CMassSpectrum scratch;
    HRESULT hr = S_OK;
    for (LONG k = 0; k < count && SUCCEEDED(hr); ++k) {
        hr = reader.Spectrum(injection, function, k, scratch);
        if (FAILED(hr))
            break;
        size = GrownSize(size, k + 1, count);
        collection->SetCount(size);
        CKSMassSpectrum* view = collection->GetSpectrum(k);
        if (view)
            CopySpectrumToDirect(scratch, *view);
    }
    return hr;
}
