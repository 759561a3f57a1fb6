// The dataset reader every data system's reader derives from. The data-server
// object tree holds one reader per data server and turns each automation call
// into one of the operations below.
//
// Indexes count from 0 here (injection, function, trace, spectrum); the tree
// subtracts 1 from the 1-based automation indexes before every call.
//
// Index checking: the tree checks an index against the counts only when it
// creates a child object. A child taken before a re-open on a smaller
// dataset keeps its old indexes and passes them on afterwards. Every
// derived reader therefore checks injection, function and trace indexes
// against its current state in each of its own operations and answers an
// out-of-range one safely (an error code, a neutral count or name), never
// by touching memory it does not hold. The defaults below check nothing:
// they only call the reader's own operations, so a reader whose
// SpectrumCount and Spectrum are safe makes them safe too.
//
// Texts are the platform's CString, returned by value.
#pragma once

#include <vector>

#include "chromatogram.h"
#include "kscstring.h"
#include "ksenums.h"
#include "ksunknown.h"
#include "massspectrum.h"

class CDataServerImpl {
public:
    CDataServerImpl() = default;
    CDataServerImpl(const CDataServerImpl&) = delete;
    CDataServerImpl& operator=(const CDataServerImpl&) = delete;

    // Releases nothing: the framework never calls Close on destruction, so a
    // reader that holds open files closes them in its own destructor.
    virtual ~CDataServerImpl();

    // The reader's type name (the data server's DatasetType).
    virtual CString DatasetType() = 0;
    // Whether the path holds a dataset of this reader's kind, without
    // opening it. Asked at any time, open or not.
    virtual bool IsValidDataset(const CString& path) = 0;
    virtual HRESULT Open(const CString& path) = 0;
    virtual HRESULT Close() = 0;
    // E_NOTIMPL.
    virtual HRESULT OpenFromStorage(IUnknown* parentStorage, const CString& name);

    // 1.
    virtual int InjectionCount();
    // 1. Asked at any time, open or not.
    virtual int InjectionCountFromPath(const CString& path);
    // "Injection 1" whatever the index.
    virtual CString InjectionName(int injection);
    // 1.
    virtual int FunctionCount(int injection);
    // "Function <function + 1>".
    virtual CString FunctionName(int injection, int function);
    virtual ::FunctionType FunctionType(int injection, int function);           // FunctionTypeUnknown
    virtual ::FunctionMSMSType FunctionMSMSType(int injection, int function);   // FunctionMSMSTypeNone
    virtual ::FunctionPolarity FunctionPolarity(int injection, int function);   // FunctionPolarityUnknown
    // 2 when this reader's FunctionType answers MSn or zoom MSn, else 1.
    virtual int MSOrder(int injection, int function);
    virtual int SpectrumCount(int injection, int function) = 0;

    // Base-peak chromatogram over every m/z: BPCWithRange from the most
    // negative to the largest finite double.
    virtual HRESULT BPC(bool calculate, int injection, int function, CChromatogram& chromatogram);
    // Computed from the spectra: point i is spectrum i's retention-time range
    // start and its base-peak intensity within [low, high]. CO_E_NOT_SUPPORTED
    // (chromatogram untouched) when calculate is false. The chromatogram
    // grows with the spectra read, never sized by the spectrum count ahead
    // of them (a count may be a file's claim); a failed read stops there and
    // is the result, the chromatogram then holding the points of the
    // spectra before it. A negative spectrum count counts as 0.
    virtual HRESULT BPCWithRange(double low, double high, bool calculate, int injection, int function,
                                 CChromatogram& chromatogram);
    // As BPCWithRange, with each spectrum's total intensity.
    virtual HRESULT TIC(bool calculate, int injection, int function, CChromatogram& chromatogram);

    // Reads one spectrum. The defaults reuse one scratch spectrum for every
    // index, so an implementation sets the point count and every field it
    // knows on each call: points, centroid flag, title, MS order, precursor
    // values, polarity, function type, retention-time range (minutes) and
    // the 1-based scan range.
    virtual HRESULT Spectrum(int injection, int function, int index, CMassSpectrum& spectrum) = 0;
    // Whether Spectrum, on success, writes every point of the count it sets
    // (beyond setting the count and every field it fills, as it must). The
    // object tree's Direct reads of one spectrum then hand it a record whose
    // fields are all a new record's except the points of an earlier read,
    // which it writes over instead of the tree zeroing them first. False.
    virtual bool WritesEveryPoint();
    // The spectrum chosen by time (minutes) and proximity; negative when
    // none qualifies. Readers with one start time per scan answer with
    // FindIndexByRetentionTime.
    virtual int SpectrumIndexByRT(int injection, int function, double retentionTime,
                                  FunctionRTProximity proximity) = 0;
    // Spectra first to last co-added into spectrum (CoAddSpectra with the
    // tolerance in daltons or ppm). A failed read stops the co-adding and is
    // the result; whatever happened, the scan range becomes first + 1 to
    // last + 1 and the retention-time range runs from the first spectrum's
    // start to the start of the last spectrum read successfully.
    virtual HRESULT SpectrumRange(int injection, int function, int first, int last, bool toleranceInDaltons,
                                  double tolerance, CMassSpectrum& spectrum);

    // 0.
    virtual int TraceCount(int injection);
    // "Trace <trace + 1>".
    virtual CString TraceName(int injection, int trace);
    // E_NOTIMPL.
    virtual HRESULT Trace(int injection, int trace, CChromatogram& chromatogram);

private:
    enum class Measure { BasePeak, Total };
    HRESULT CalculateChromatogram(Measure measure, double low, double high, bool calculate, int injection,
                                  int function, CChromatogram& chromatogram);
};

// The index in an ascending vector of retention times that a time selects:
// Less the last entry before t (the one before an exact hit too), Greater
// the first entry at or after t, Closest the nearer of the two with a tie
// going to the later one; an exact hit on the first entry answers 0 for
// each of them. -1 when none qualifies, for an empty vector, a NaN time or
// a proximity outside the enum.
int FindIndexByRetentionTime(const std::vector<double>& times, double retentionTime, FunctionRTProximity proximity);
