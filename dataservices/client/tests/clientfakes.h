// Counting fakes for the client-library tests. Each fake is a plain object
// on the test's stack that starts with one reference (the test's own) and
// is never deleted by Release, so its count can be read after every call.
// Every interface member answers `result` and logs its call.
#pragma once

#include "kscontract.h"
#include "ksdataservices.h"

#include <string>
#include <type_traits>
#include <vector>

template <class I>
class CountingUnknown : public I {
public:
    LONG refs = 1;
    // Interfaces answered by QueryInterface besides IUnknown (and IDispatch
    // for a dispatch interface).
    std::vector<IID> answers;
    HRESULT result = S_OK;
    std::vector<std::string> calls;

    CountingUnknown() { answers.push_back(KS_IID(I)); }
    virtual ~CountingUnknown() = default;

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        bool known = riid == IID_IUnknown || (std::is_base_of_v<IDispatch, I> && riid == IID_IDispatch);
        for (const IID& iid : answers)
            known = known || riid == iid;
        if (!known)
            return E_NOINTERFACE;
        *ppv = static_cast<I*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG Release() override { return static_cast<ULONG>(--refs); }

protected:
    HRESULT Log(const std::string& call)
    {
        calls.push_back(call);
        return result;
    }
};

template <class I>
class CountingFake : public CountingUnknown<I> {
public:
    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
};

// A spectrum object of the outside library, as far as the wrappers see it.
class FakeSpectrumObject : public CountingFake<IDispatch> {};

class FakeDataset : public CountingFake<IKSMSDataset2> {
public:
    VARIANT_BOOL hasTIC = VARIANT_TRUE;
    VARIANT_BOOL hasBaseSpectra = VARIANT_TRUE;
    VARIANT_BOOL hasTraces = VARIANT_TRUE;
    LONG count = 0;
    // Offers IKSMSDataset only (no IKSMSDataset2) when false.
    explicit FakeDataset(bool second = true)
    {
        answers = {IID_IKSMSDataset};
        if (second)
            answers.push_back(IID_IKSMSDataset2);
    }

    HRESULT get_HasTIC(VARIANT_BOOL* p) override { return Flag(p, hasTIC, "HasTIC"); }
    HRESULT get_HasBaseSpectra(VARIANT_BOOL* p) override { return Flag(p, hasBaseSpectra, "HasBaseSpectra"); }
    HRESULT get_HasAuxiliarySpectra(VARIANT_BOOL* p) override { return Flag(p, VARIANT_FALSE, "HasAux"); }
    HRESULT get_SupportsMassChromatograms(VARIANT_BOOL* p) override { return Flag(p, VARIANT_FALSE, "Supports"); }
    HRESULT get_HasTraces(VARIANT_BOOL* p) override { return Flag(p, hasTraces, "HasTraces"); }
    HRESULT get_BaseSpectrumCount(LONG* p) override { return Count(p, "BaseSpectrumCount"); }
    HRESULT get_AuxiliarySpectrumCount(LONG* p) override { return Count(p, "AuxiliarySpectrumCount"); }
    HRESULT get_TraceCount(LONG* p) override { return Count(p, "TraceCount"); }
    HRESULT GetBaseSpectrum(LONG i, IDispatch* ms) override { return Object("GetBaseSpectrum", i, 0, ms); }
    HRESULT GetBaseSpectrumRange(LONG a, LONG b, IDispatch* ms) override
    {
        return Object("GetBaseSpectrumRange", a, b, ms);
    }
    HRESULT GetAuxiliarySpectrum(LONG i, IDispatch* ms) override { return Object("GetAuxiliarySpectrum", i, 0, ms); }
    HRESULT GetAuxiliarySpectrumRange(LONG a, LONG b, IDispatch* ms) override
    {
        return Object("GetAuxiliarySpectrumRange", a, b, ms);
    }
    HRESULT GetTIC(IDispatch* cm) override { return Object("GetTIC", 0, 0, cm); }
    HRESULT GetTrace(LONG i, IDispatch* cm) override { return Object("GetTrace", i, 0, cm); }
    HRESULT GetBasePeakChromatogram(IDispatch* cm) override { return Object("GetBasePeakChromatogram", 0, 0, cm); }
    HRESULT GetBaseSpectrumDirect(LONG i, ULONG_PTR p) override { return Direct("GetBaseSpectrumDirect", i, 0, p); }
    HRESULT GetBaseSpectrumRangeDirect(LONG a, LONG b, ULONG_PTR p) override
    {
        return Direct("GetBaseSpectrumRangeDirect", a, b, p);
    }
    HRESULT GetAuxiliarySpectrumDirect(LONG i, ULONG_PTR p) override
    {
        return Direct("GetAuxiliarySpectrumDirect", i, 0, p);
    }
    HRESULT GetAuxiliarySpectrumRangeDirect(LONG a, LONG b, ULONG_PTR p) override
    {
        return Direct("GetAuxiliarySpectrumRangeDirect", a, b, p);
    }
    HRESULT GetTICDirect(ULONG_PTR p) override { return Direct("GetTICDirect", 0, 0, p); }
    HRESULT GetTraceDirect(LONG i, ULONG_PTR p) override { return Direct("GetTraceDirect", i, 0, p); }
    HRESULT GetBasePeakChromatogramDirect(ULONG_PTR p) override
    {
        return Direct("GetBasePeakChromatogramDirect", 0, 0, p);
    }

    IDispatch* lastObject = nullptr;
    ULONG_PTR lastAddress = 0;

private:
    HRESULT Flag(VARIANT_BOOL* p, VARIANT_BOOL value, const char* name)
    {
        *p = value;
        return Log(name);
    }
    HRESULT Count(LONG* p, const char* name)
    {
        *p = count;
        return Log(name);
    }
    HRESULT Object(const char* name, LONG a, LONG b, IDispatch* object)
    {
        lastObject = object;
        return Log(std::string(name) + " " + std::to_string(a) + " " + std::to_string(b));
    }
    HRESULT Direct(const char* name, LONG a, LONG b, ULONG_PTR address)
    {
        lastAddress = address;
        return Log(std::string(name) + " " + std::to_string(a) + " " + std::to_string(b));
    }
};

class FakeDatasetReader : public CountingFake<IKSMSDatasetReader> {
public:
    // What ReadDataset hands out (with a reference counted for the caller).
    IKSMSDataset* dataset = nullptr;
    std::wstring lastSource;

    HRESULT ReadDatasetInteractive(IKSMSDataset** pp) override { return HandOut(pp, "ReadDatasetInteractive"); }
    HRESULT ReadDataset(BSTR source, IKSMSDataset** pp) override
    {
        lastSource = source ? source : L"";
        return HandOut(pp, "ReadDataset");
    }
    HRESULT get_DataSourceDescription(BSTR* p) override
    {
        *p = SUCCEEDED(result) ? SysAllocString(L"Fake dataset") : nullptr;
        return Log("DataSourceDescription");
    }

private:
    HRESULT HandOut(IKSMSDataset** pp, const char* name)
    {
        *pp = nullptr;
        if (SUCCEEDED(result) && dataset) {
            dataset->AddRef();
            *pp = dataset;
        }
        return Log(name);
    }
};

class FakeDatasetWriter : public CountingFake<IKSMSDatasetWriter> {
public:
    IKSMSDataset* leave = nullptr;   // what WriteDatasetInteractive leaves (counted)
    IKSMSDataset* passed = nullptr;  // what WriteDataset found at the address

    HRESULT WriteDatasetInteractive(IKSMSDataset** pp) override
    {
        passed = *pp;
        if (leave) {
            leave->AddRef();
            *pp = leave;
        }
        return Log("WriteDatasetInteractive");
    }
    HRESULT WriteDataset(BSTR, IKSMSDataset** pp) override
    {
        passed = pp ? *pp : nullptr;
        return Log("WriteDataset");
    }
    HRESULT get_DataSourceDescription(BSTR* p) override
    {
        *p = nullptr;
        return Log("DataSourceDescription");
    }
};

class FakeSpectrumReader : public CountingFake<IKSSpectrumReader2> {
public:
    FakeSpectrumReader() { answers.push_back(IID_IKSSpectrumReader); }
    std::wstring lastSource;
    ULONG_PTR lastAddress = 0;

    HRESULT ReadSpectrumInteractive(IDispatch*) override { return Log("ReadSpectrumInteractive"); }
    HRESULT ReadSpectrum(BSTR source, IDispatch*) override
    {
        lastSource = source ? source : L"";
        return Log("ReadSpectrum");
    }
    HRESULT get_DataSourceDescription(BSTR* p) override
    {
        *p = SUCCEEDED(result) ? SysAllocString(L"Fake spectrum") : nullptr;
        return Log("DataSourceDescription");
    }
    HRESULT ReadSpectrumInteractiveDirect(ULONG_PTR p) override
    {
        lastAddress = p;
        return Log("ReadSpectrumInteractiveDirect");
    }
    HRESULT ReadSpectrumDirect(BSTR source, ULONG_PTR p) override
    {
        lastSource = source ? source : L"";
        lastAddress = p;
        return Log("ReadSpectrumDirect");
    }
};

class FakeSpectrumWriter : public CountingFake<IKSSpectrumWriter2> {
public:
    FakeSpectrumWriter() { answers.push_back(IID_IKSSpectrumWriter); }
    std::wstring lastSource;
    ULONG_PTR lastAddress = 0;

    HRESULT WriteSpectrumInteractive(IDispatch*) override { return Log("WriteSpectrumInteractive"); }
    HRESULT WriteSpectrum(BSTR source, IDispatch*) override
    {
        lastSource = source ? source : L"";
        return Log("WriteSpectrum");
    }
    HRESULT put_DataSourceDescription(BSTR) override { return Log("DataSourceDescription"); }
    HRESULT WriteSpectrumInteractiveDirect(ULONG_PTR p) override
    {
        lastAddress = p;
        return Log("WriteSpectrumInteractiveDirect");
    }
    HRESULT WriteSpectrumDirect(BSTR source, ULONG_PTR p) override
    {
        lastSource = source ? source : L"";
        lastAddress = p;
        return Log("WriteSpectrumDirect");
    }
};
