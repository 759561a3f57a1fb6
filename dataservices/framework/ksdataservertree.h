// The data-server object tree: seven class templates that expose one
// CDataServerImpl reader as automation objects. A provider derives one
// concrete class from each, named after itself:
//
//   class CKSTextDataServer;   // and the six children below
//   class CKSTextTrace : public CKSTraceTemplate<CKSTextTrace, CTextReader, &LIBID_X> {};
//   class CKSTextTraces : public CKSTracesTemplate<CKSTextTraces, CTextReader, CKSTextTrace, &LIBID_X> {};
//   class CKSTextFunction : public CKSFunctionTemplate<CKSTextFunction, CTextReader, &LIBID_X> {};
//   class CKSTextFunctions
//       : public CKSFunctionsTemplate<CKSTextFunctions, CTextReader, CKSTextFunction, &LIBID_X> {};
//   class CKSTextInjection : public CKSInjectionTemplate<CKSTextInjection, CTextReader, CKSTextFunctions,
//                                                        CKSTextTraces, &LIBID_X> {};
//   class CKSTextInjections
//       : public CKSInjectionsTemplate<CKSTextInjections, CTextReader, CKSTextInjection, &LIBID_X> {};
//   class CKSTextDataServer : public CKSDataServerTemplate<CKSTextDataServer, CTextReader,
//                                                          CKSTextInjections, &CLSID_X, &LIBID_X> {
//   public:
//       KS_DECLARE_REGISTRY(...)
//   };
//
// The data server creates the reader (new Reader) when it is constructed;
// every child object shares it through a boost::shared_ptr copied from its
// parent, so the reader is deleted only when the data server and the last
// child taken from it have been released. Nothing here calls the reader's
// Close on destruction.
//
// Indexes are 1-based at the interfaces and 0-based at the reader: the
// tree subtracts 1 before every reader call. It checks an index only where
// it creates a child or reads a spectrum by index; a child that outlives a
// re-open passes its old indexes on (see dataserverimpl.h).
//
// Result codes, in the order they are checked: E_POINTER for a null out
// pointer (object out pointers are then set to null), E_FAIL where an open
// dataset is needed and none is, DISP_E_BADINDEX for an index outside 1 to
// the count, then the reader's and the conversion's results unchanged.
// The Direct members report a null handle (E_POINTER) only after the
// reader was called, and their index check comes before that.
//
// Flags typed LONG (bCalculateIfNecessary, bToleranceInDa) are true only
// when they equal 1.
//
// No exception leaves a member: each runs inside ks::noThrow, so a reader,
// co-adding or a conversion that throws answers E_OUTOFMEMORY
// (std::bad_alloc) or E_FAIL, with the object out argument released and
// null.
#pragma once

#include <boost/shared_ptr.hpp>

#include <type_traits>
#include <utility>
#include <vector>

#include "dataserverimpl.h"
#include "ksconvert.h"
#include "kscontract.h"
#include "ksenum.h"
#include "ksguid.h"
#include "ksnothrow.h"

namespace ks_tree {

inline HRESULT CopyText(const CString& text, BSTR* out)
{
    *out = SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

inline CString TextOf(BSTR text)
{
    return CString(text ? text : L"", static_cast<int>(SysStringLen(text)));
}

// Steps 2 to 4 of creating a child: a new object at count 0, the parent's
// reader and the indexes, then the query for the child interface into *pp
// (already null). A failed query destroys the child.
template <class Child, class I, class Reader, class... Indexes>
HRESULT CreateChild(const boost::shared_ptr<Reader>& reader, I** pp, Indexes... indexes)
{
    Child* child = nullptr;
    HRESULT hr = ks::createObject(&child);
    if (FAILED(hr))
        return hr;
    child->InitTreeObject(reader, indexes...);
    child->InternalAddRef();
    hr = child->InternalQueryInterface(KS_IID(I), reinterpret_cast<void**>(pp));
    child->InternalRelease();
    return hr;
}

// _NewEnum of a collection: asks the collection's own Count and Item(1) to
// Item(Count) in turn and hands out an enumerator over that snapshot (the
// snapshot owns the children). The first failing call is the answer.
template <class Collection, class ChildI>
HRESULT NewEnum(Collection* collection, IUnknown** ppEnum)
{
    if (!ppEnum)
        return E_POINTER;
    *ppEnum = nullptr;
    LONG count = 0;
    HRESULT hr = collection->get_Count(&count);
    if (FAILED(hr))
        return hr;
    // Grown with the children taken: the count may be a file's claim.
    std::vector<VARIANT> items;
    for (LONG i = 1; i <= count; ++i) {
        ChildI* child = nullptr;
        hr = collection->get_Item(i, &child);
        if (FAILED(hr))
            break;
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_DISPATCH;
        v.pdispVal = child;  // the child interfaces are dual: its IDispatch
        items.push_back(v);
    }
    if (FAILED(hr)) {
        for (VARIANT& v : items)
            VariantClear(&v);
        return hr;
    }
    return ks::createVariantEnum(std::move(items), nullptr, ppEnum);
}

template <bool bStorage>
using DataServerObject =
    std::conditional_t<bStorage,
                       ks::Object<ks::Dual<IKSDataServer>, ks::Dual<IKSDataServer3>, ks::Dual<IKSDataServer2>>,
                       ks::Object<ks::Dual<IKSDataServer>, ks::Dual<IKSDataServer3>>>;

}  // namespace ks_tree

// ---------------------------------------------------------------------------
// Data server. bAnswersStorage lists IKSDataServer2; every data server
// implements OpenFromStorage, but only such a class answers the interface.

template <class T, class Reader, class Injections, const CLSID* pclsid, const GUID* plibid,
          bool bAnswersStorage = false>
class CKSDataServerTemplate : public ks_tree::DataServerObject<bAnswersStorage> {
public:
    using ReaderPtr = boost::shared_ptr<Reader>;

    CKSDataServerTemplate() : m_pReader(new Reader) {}

    static const CLSID& GetObjectCLSID() { return *pclsid; }
    static const GUID& GetTypeLibID() { return *plibid; }

    // The reader, for members a provider adds to its own class.
    Reader* GetReader() const { return m_pReader.get(); }
    const ReaderPtr& GetReaderPtr() const { return m_pReader; }
    bool IsOpen() const { return m_bOpen; }

    HRESULT CurrentDataset(BSTR* pPath) override
    {
        return ks::noThrow([&] {
            if (!pPath)
                return E_POINTER;
            *pPath = nullptr;
            if (!m_bOpen)
                return E_FAIL;
            return ks_tree::CopyText(m_Path, pPath);
        }, pPath);
    }
    HRESULT DatasetType(BSTR* pType) override
    {
        return ks::noThrow([&] {
            if (!pType)
                return E_POINTER;
            *pType = nullptr;
            if (!m_bOpen)
                return E_FAIL;
            return ks_tree::CopyText(m_pReader->DatasetType(), pType);
        }, pType);
    }
    HRESULT IsValidDataset(BSTR Path, LONG* pbIsValid) override
    {
        return ks::noThrow([&] {
            if (!pbIsValid)
                return E_POINTER;
            *pbIsValid = m_pReader->IsValidDataset(ks_tree::TextOf(Path)) ? 1 : 0;
            return S_OK;
        });
    }
    // An open dataset is closed first (that result is not examined); when
    // that close fails, the previous path stays unless this open succeeds.
    HRESULT Open(BSTR Path) override
    {
        return ks::noThrow([&] {
            if (m_bOpen)
                Close();
            const CString path = ks_tree::TextOf(Path);
            HRESULT hr = m_pReader->Open(path);
            if (SUCCEEDED(hr)) {
                m_Path = path;
                m_bOpen = true;
            }
            return hr;
        });
    }
    // A failing reader close leaves the server open with its path.
    HRESULT Close() override
    {
        return ks::noThrow([&] {
            if (!m_bOpen)
                return S_OK;
            HRESULT hr = m_pReader->Close();
            if (SUCCEEDED(hr)) {
                m_Path = CString();
                m_bOpen = false;
            }
            return hr;
        });
    }
    HRESULT get_Injections(IKSInjections** ppInjections) override
    {
        return ks::noThrow([&] {
            if (!ppInjections)
                return E_POINTER;
            *ppInjections = nullptr;
            if (!m_bOpen)
                return E_FAIL;
            return ks_tree::CreateChild<Injections>(m_pReader, ppInjections);
        }, ppInjections);
    }
    HRESULT get_InjectionCountFromPath(BSTR Path, LONG* pCount) override
    {
        return ks::noThrow([&] {
            if (!pCount)
                return E_POINTER;
            *pCount = m_pReader->InjectionCountFromPath(ks_tree::TextOf(Path));
            return S_OK;
        });
    }
    // The substorage name becomes the current path.
    HRESULT OpenFromStorage(IUnknown* piParentStg, BSTR substorageName)
    {
        return ks::noThrow([&] {
            if (m_bOpen)
                Close();
            const CString name = ks_tree::TextOf(substorageName);
            HRESULT hr = m_pReader->OpenFromStorage(piParentStg, name);
            if (SUCCEEDED(hr)) {
                m_Path = name;
                m_bOpen = true;
            }
            return hr;
        });
    }
    // IKSDataServer3: the class identifier as braced registry text.
    HRESULT get_ClassID(BSTR* pCLSIDString) override
    {
        return ks::noThrow([&] {
            if (!pCLSIDString)
                return E_POINTER;
            *pCLSIDString = nullptr;
            wchar_t text[64];
            if (StringFromGUID2(*pclsid, text, 64) == 0)
                return E_FAIL;
            *pCLSIDString = SysAllocString(text);
            return *pCLSIDString ? S_OK : E_OUTOFMEMORY;
        }, pCLSIDString);
    }

protected:
    ReaderPtr m_pReader;
    bool m_bOpen = false;
    CString m_Path;
};

// ---------------------------------------------------------------------------
// Children. Each is created only by its parent (InitTreeObject hands it the
// shared reader and its 1-based indexes).

template <class T, class Reader, class Injection, const GUID* plibid>
class CKSInjectionsTemplate : public ks::Object<ks::Dual<IKSInjections>> {
public:
    void InitTreeObject(const boost::shared_ptr<Reader>& reader) { m_pReader = reader; }

    HRESULT get__NewEnum(IUnknown** ppEnum) override

    {

        return ks::noThrow([&] { return ks_tree::NewEnum<T, IKSInjection>(static_cast<T*>(this), ppEnum); }, ppEnum);

    }
    HRESULT get_Item(LONG Index, IKSInjection** ppInjection) override
    {
        return ks::noThrow([&] {
            if (!ppInjection)
                return E_POINTER;
            *ppInjection = nullptr;
            if (Index < 1 || Index > m_pReader->InjectionCount())
                return DISP_E_BADINDEX;
            return ks_tree::CreateChild<Injection>(m_pReader, ppInjection, Index);
        }, ppInjection);
    }
    HRESULT get_Count(LONG* pCount) override
    {
        return ks::noThrow([&] {
            if (!pCount)
                return E_POINTER;
            *pCount = m_pReader->InjectionCount();
            return S_OK;
        });
    }

protected:
    boost::shared_ptr<Reader> m_pReader;
};

template <class T, class Reader, class Functions, class Traces, const GUID* plibid>
class CKSInjectionTemplate : public ks::Object<ks::Dual<IKSInjection>> {
public:
    void InitTreeObject(const boost::shared_ptr<Reader>& reader, LONG injection)
    {
        m_pReader = reader;
        m_nInjection = injection;
    }

    HRESULT get_Functions(IKSFunctions** ppFunctions) override
    {
        return ks::noThrow([&] {
            if (!ppFunctions)
                return E_POINTER;
            *ppFunctions = nullptr;
            return ks_tree::CreateChild<Functions>(m_pReader, ppFunctions, m_nInjection);
        }, ppFunctions);
    }
    HRESULT get_Traces(IKSTraces** ppTraces) override
    {
        return ks::noThrow([&] {
            if (!ppTraces)
                return E_POINTER;
            *ppTraces = nullptr;
            return ks_tree::CreateChild<Traces>(m_pReader, ppTraces, m_nInjection);
        }, ppTraces);
    }
    HRESULT get_Name(BSTR* pName) override
    {
        return ks::noThrow([&] {
            if (!pName)
                return E_POINTER;
            *pName = nullptr;
            return ks_tree::CopyText(m_pReader->InjectionName(m_nInjection - 1), pName);
        }, pName);
    }
    HRESULT get_Index(LONG* pIdx) override
    {
        return ks::noThrow([&] {
            if (!pIdx)
                return E_POINTER;
            *pIdx = m_nInjection;
            return S_OK;
        });
    }

protected:
    boost::shared_ptr<Reader> m_pReader;
    LONG m_nInjection = 0;
};

template <class T, class Reader, class Function, const GUID* plibid>
class CKSFunctionsTemplate : public ks::Object<ks::Dual<IKSFunctions>> {
public:
    void InitTreeObject(const boost::shared_ptr<Reader>& reader, LONG injection)
    {
        m_pReader = reader;
        m_nInjection = injection;
    }

    HRESULT get__NewEnum(IUnknown** ppEnum) override

    {

        return ks::noThrow([&] { return ks_tree::NewEnum<T, IKSFunction>(static_cast<T*>(this), ppEnum); }, ppEnum);

    }
    HRESULT get_Item(LONG Index, IKSFunction** ppFunction) override
    {
        return ks::noThrow([&] {
            if (!ppFunction)
                return E_POINTER;
            *ppFunction = nullptr;
            if (Index < 1 || Index > m_pReader->FunctionCount(m_nInjection - 1))
                return DISP_E_BADINDEX;
            return ks_tree::CreateChild<Function>(m_pReader, ppFunction, m_nInjection, Index);
        }, ppFunction);
    }
    HRESULT get_Count(LONG* pCount) override
    {
        return ks::noThrow([&] {
            if (!pCount)
                return E_POINTER;
            *pCount = m_pReader->FunctionCount(m_nInjection - 1);
            return S_OK;
        });
    }

protected:
    boost::shared_ptr<Reader> m_pReader;
    LONG m_nInjection = 0;
};

template <class T, class Reader, const GUID* plibid>
class CKSFunctionTemplate : public ks::Object<ks::Dual<IKSFunction>, ks::Dual<IKSFunction2>> {
public:
    void InitTreeObject(const boost::shared_ptr<Reader>& reader, LONG injection, LONG function)
    {
        m_pReader = reader;
        m_nInjection = injection;
        m_nFunction = function;
    }

    HRESULT get_Name(BSTR* pName) override
    {
        return ks::noThrow([&] {
            if (!pName)
                return E_POINTER;
            *pName = nullptr;
            return ks_tree::CopyText(m_pReader->FunctionName(I(), F()), pName);
        }, pName);
    }
    HRESULT get_Type(FunctionType* pType) override
    {
        return ks::noThrow([&] {
            if (!pType)
                return E_POINTER;
            *pType = m_pReader->FunctionType(I(), F());
            return S_OK;
        });
    }
    HRESULT get_MSMSType(FunctionMSMSType* pMSMSType) override
    {
        return ks::noThrow([&] {
            if (!pMSMSType)
                return E_POINTER;
            *pMSMSType = m_pReader->FunctionMSMSType(I(), F());
            return S_OK;
        });
    }
    HRESULT get_Polarity(FunctionPolarity* pPolarity) override
    {
        return ks::noThrow([&] {
            if (!pPolarity)
                return E_POINTER;
            *pPolarity = m_pReader->FunctionPolarity(I(), F());
            return S_OK;
        });
    }

    HRESULT get_BPC(LONG bCalculateIfNecessary, IKSChromatogram** ppBPC) override
    {
        return ks::noThrow([&] {
            return ChromatogramObject(ppBPC, [&](CChromatogram& c) {
                return m_pReader->BPC(bCalculateIfNecessary == 1, I(), F(), c);
            });
        }, ppBPC);
    }
    HRESULT get_BPCWithRange(double lowMass, double highMass, LONG bCalculateIfNecessary,
                             IKSChromatogram** ppBPC) override
    {
        return ks::noThrow([&] {
            return ChromatogramObject(ppBPC, [&](CChromatogram& c) {
                return m_pReader->BPCWithRange(lowMass, highMass, bCalculateIfNecessary == 1, I(), F(), c);
            });
        }, ppBPC);
    }
    HRESULT get_BPCDirect(LONG bCalculateIfNecessary, ULONG_PTR pBPC) override
    {
        return ks::noThrow([&] {
            return ChromatogramDirect(pBPC, [&](CChromatogram& c) {
                return m_pReader->BPC(bCalculateIfNecessary == 1, I(), F(), c);
            });
        });
    }
    HRESULT get_BPCWithRangeDirect(double lowMass, double highMass, LONG bCalculateIfNecessary,
                                   ULONG_PTR pBPC) override
    {
        return ks::noThrow([&] {
            return ChromatogramDirect(pBPC, [&](CChromatogram& c) {
                return m_pReader->BPCWithRange(lowMass, highMass, bCalculateIfNecessary == 1, I(), F(), c);
            });
        });
    }
    HRESULT get_TIC(LONG bCalculateIfNecessary, IKSChromatogram** ppTIC) override
    {
        return ks::noThrow([&] {
            return ChromatogramObject(ppTIC, [&](CChromatogram& c) {
                return m_pReader->TIC(bCalculateIfNecessary == 1, I(), F(), c);
            });
        }, ppTIC);
    }
    HRESULT get_TICDirect(LONG bCalculateIfNecessary, ULONG_PTR pTIC) override
    {
        return ks::noThrow([&] {
            return ChromatogramDirect(pTIC, [&](CChromatogram& c) {
                return m_pReader->TIC(bCalculateIfNecessary == 1, I(), F(), c);
            });
        });
    }

    HRESULT get_Spectrum(LONG Index, IKSMassSpectrum** ppSpec) override
    {
        return ks::noThrow([&] {
            if (!ppSpec)
                return E_POINTER;
            *ppSpec = nullptr;
            if (!IndexInRange(Index))
                return DISP_E_BADINDEX;
            return SpectrumObject(ppSpec,
                                  [&](CMassSpectrum& s) { return m_pReader->Spectrum(I(), F(), Index - 1, s); });
        }, ppSpec);
    }
    HRESULT get_SpectrumDirect(LONG Index, ULONG_PTR pSpec) override
    {
        return ks::noThrow([&] {
            if (!IndexInRange(Index))
                return DISP_E_BADINDEX;
            return SpectrumDirect(pSpec, true,
                                  [&](CMassSpectrum& s) { return m_pReader->Spectrum(I(), F(), Index - 1, s); });
        });
    }
    HRESULT get_SpectrumByRT(double retentionTime, FunctionRTProximity prox, IKSMassSpectrum** ppSpec) override
    {
        return ks::noThrow([&] {
            if (!ppSpec)
                return E_POINTER;
            *ppSpec = nullptr;
            const int k = m_pReader->SpectrumIndexByRT(I(), F(), retentionTime, prox);
            if (k < 0)
                return E_FAIL;
            return SpectrumObject(ppSpec, [&](CMassSpectrum& s) { return m_pReader->Spectrum(I(), F(), k, s); });
        }, ppSpec);
    }
    HRESULT get_SpectrumByRTDirect(double retentionTime, FunctionRTProximity prox, ULONG_PTR pSpec) override
    {
        return ks::noThrow([&] {
            const int k = m_pReader->SpectrumIndexByRT(I(), F(), retentionTime, prox);
            if (k < 0)
                return E_FAIL;
            return SpectrumDirect(pSpec, true, [&](CMassSpectrum& s) { return m_pReader->Spectrum(I(), F(), k, s); });
        });
    }
    HRESULT get_SpectrumRange(LONG first, LONG last, LONG bToleranceInDa, double tolerance,
                              IKSMassSpectrum** ppSpec) override
    {
        return ks::noThrow([&] {
            if (!ppSpec)
                return E_POINTER;
            *ppSpec = nullptr;
            if (!RangeInRange(first, last))
                return DISP_E_BADINDEX;
            return SpectrumObject(ppSpec, [&](CMassSpectrum& s) {
                return m_pReader->SpectrumRange(I(), F(), first - 1, last - 1, bToleranceInDa == 1, tolerance, s);
            });
        }, ppSpec);
    }
    HRESULT get_SpectrumRangeDirect(LONG first, LONG last, LONG bToleranceInDa, double tolerance,
                                    ULONG_PTR pSpec) override
    {
        return ks::noThrow([&] {
            if (!RangeInRange(first, last))
                return DISP_E_BADINDEX;
            return SpectrumDirect(pSpec, false, [&](CMassSpectrum& s) {
                return m_pReader->SpectrumRange(I(), F(), first - 1, last - 1, bToleranceInDa == 1, tolerance, s);
            });
        });
    }
    // An end time that selects an earlier spectrum than the start time is
    // passed on as it is.
    HRESULT get_SpectrumRangeByRT(double startRT, FunctionRTProximity startProx, double endRT,
                                  FunctionRTProximity endProx, LONG bToleranceInDa, double tolerance,
                                  IKSMassSpectrum** ppSpec) override
    {
        return ks::noThrow([&] {
            if (!ppSpec)
                return E_POINTER;
            *ppSpec = nullptr;
            const int k1 = m_pReader->SpectrumIndexByRT(I(), F(), startRT, startProx);
            const int k2 = m_pReader->SpectrumIndexByRT(I(), F(), endRT, endProx);
            if (k1 < 0 || k2 < 0)
                return E_FAIL;
            return SpectrumObject(ppSpec, [&](CMassSpectrum& s) {
                return m_pReader->SpectrumRange(I(), F(), k1, k2, bToleranceInDa == 1, tolerance, s);
            });
        }, ppSpec);
    }
    HRESULT get_SpectrumRangeByRTDirect(double startRT, FunctionRTProximity startProx, double endRT,
                                        FunctionRTProximity endProx, LONG bToleranceInDa, double tolerance,
                                        ULONG_PTR pSpec) override
    {
        return ks::noThrow([&] {
            const int k1 = m_pReader->SpectrumIndexByRT(I(), F(), startRT, startProx);
            const int k2 = m_pReader->SpectrumIndexByRT(I(), F(), endRT, endProx);
            if (k1 < 0 || k2 < 0)
                return E_FAIL;
            return SpectrumDirect(pSpec, false, [&](CMassSpectrum& s) {
                return m_pReader->SpectrumRange(I(), F(), k1, k2, bToleranceInDa == 1, tolerance, s);
            });
        });
    }
    HRESULT get_Count(LONG* pCount) override
    {
        return ks::noThrow([&] {
            if (!pCount)
                return E_POINTER;
            *pCount = m_pReader->SpectrumCount(I(), F());
            return S_OK;
        });
    }
    HRESULT get_SpectrumCollection(IKSMSCollection** ppColl) override
    {
        return ks::noThrow([&] {
            if (!ppColl)
                return E_POINTER;
            return CreateSpectrumCollection(*m_pReader, I(), F(), ppColl);
        }, ppColl);
    }
    HRESULT get_SpectrumCollectionDirect(ULONG_PTR pColl) override
    {
        return ks::noThrow([&] {
            return SpectrumCollectionToDirect(*m_pReader, I(), F(), reinterpret_cast<CKSMSCollection*>(pColl));
        });
    }
    HRESULT get_Index(LONG* pIdx) override
    {
        return ks::noThrow([&] {
            if (!pIdx)
                return E_POINTER;
            *pIdx = m_nFunction;
            return S_OK;
        });
    }
    HRESULT get_MSOrder(LONG* pOrder) override
    {
        return ks::noThrow([&] {
            if (!pOrder)
                return E_POINTER;
            *pOrder = m_pReader->MSOrder(I(), F());
            return S_OK;
        });
    }
    // IKSFunction2
    HRESULT get_SpectrumCollectionCentroid(IKSPeakDetection* pPD, IKSMSCollection** ppColl) override
    {
        return ks::noThrow([&] {
            if (!ppColl)
                return E_POINTER;
            *ppColl = nullptr;
            if (!pPD)
                return E_POINTER;
            return CreateCentroidedCollection(*m_pReader, I(), F(), pPD, ppColl);
        }, ppColl);
    }

protected:
    int I() const { return static_cast<int>(m_nInjection - 1); }
    int F() const { return static_cast<int>(m_nFunction - 1); }
    bool IndexInRange(LONG index) const { return index >= 1 && index <= m_pReader->SpectrumCount(I(), F()); }
    bool RangeInRange(LONG first, LONG last) const
    {
        return first >= 1 && first <= last && last <= m_pReader->SpectrumCount(I(), F());
    }

    // Fresh record, reader call, conversion on success.
    template <class Read>
    HRESULT ChromatogramObject(IKSChromatogram** pp, Read read)
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        CChromatogram chromatogram;
        HRESULT hr = read(chromatogram);
        if (SUCCEEDED(hr))
            hr = CreateChromatogramObject(pp, chromatogram);
        return hr;
    }
    template <class Read>
    HRESULT ChromatogramDirect(ULONG_PTR handle, Read read)
    {
        CChromatogram chromatogram;
        HRESULT hr = read(chromatogram);
        if (SUCCEEDED(hr))
            hr = ChromatogramToDirect(reinterpret_cast<CKSChromatogram*>(handle), chromatogram);
        return hr;
    }
    template <class Read>
    HRESULT SpectrumObject(IKSMassSpectrum** pp, Read read)
    {
        CMassSpectrum spectrum;
        HRESULT hr = read(spectrum);
        if (SUCCEEDED(hr))
            hr = CreateSpectrumObject(spectrum, pp);
        return hr;
    }
    // The Direct path reads into a scratch record of this object, reset to
    // a new record's state before each read (the reader sees a fresh
    // record), and on success hands it to the caller's handle by exchange
    // (MoveSpectrumToDirect): the points are written once, by the reader,
    // and the handle's old arrays become the scratch's, so an in-process
    // client pays no copy and no allocation per spectrum. A handle that
    // cannot take the exchange gets the copy, as before; a failed read
    // leaves it untouched. For one spectrum read by a reader that writes
    // every point (WritesEveryPoint), the scratch keeps the points of its
    // last read to be written over rather than zeroed.
    template <class Read>
    HRESULT SpectrumDirect(ULONG_PTR handle, bool oneSpectrum, Read read)
    {
        if (oneSpectrum && m_pReader->WritesEveryPoint()) {
            m_DirectScratch.RenewKeepingPoints();
        } else {
            static const CMassSpectrum fresh;
            m_DirectScratch = fresh;
        }
        HRESULT hr = read(m_DirectScratch);
        if (SUCCEEDED(hr))
            hr = MoveSpectrumToDirect(m_DirectScratch, reinterpret_cast<CKSMassSpectrum*>(handle));
        return hr;
    }

    boost::shared_ptr<Reader> m_pReader;
    LONG m_nInjection = 0;
    LONG m_nFunction = 0;
    CMassSpectrum m_DirectScratch;
};

template <class T, class Reader, class Trace, const GUID* plibid>
class CKSTracesTemplate : public ks::Object<ks::Dual<IKSTraces>> {
public:
    void InitTreeObject(const boost::shared_ptr<Reader>& reader, LONG injection)
    {
        m_pReader = reader;
        m_nInjection = injection;
    }

    HRESULT get__NewEnum(IUnknown** ppEnum) override

    {

        return ks::noThrow([&] { return ks_tree::NewEnum<T, IKSTrace>(static_cast<T*>(this), ppEnum); }, ppEnum);

    }
    HRESULT get_Item(LONG Index, IKSTrace** ppTrace) override
    {
        return ks::noThrow([&] {
            if (!ppTrace)
                return E_POINTER;
            *ppTrace = nullptr;
            if (Index < 1 || Index > m_pReader->TraceCount(m_nInjection - 1))
                return DISP_E_BADINDEX;
            return ks_tree::CreateChild<Trace>(m_pReader, ppTrace, m_nInjection, Index);
        }, ppTrace);
    }
    HRESULT get_Count(LONG* pCount) override
    {
        return ks::noThrow([&] {
            if (!pCount)
                return E_POINTER;
            *pCount = m_pReader->TraceCount(m_nInjection - 1);
            return S_OK;
        });
    }

protected:
    boost::shared_ptr<Reader> m_pReader;
    LONG m_nInjection = 0;
};

template <class T, class Reader, const GUID* plibid>
class CKSTraceTemplate : public ks::Object<ks::Dual<IKSTrace>> {
public:
    void InitTreeObject(const boost::shared_ptr<Reader>& reader, LONG injection, LONG trace)
    {
        m_pReader = reader;
        m_nInjection = injection;
        m_nTrace = trace;
    }

    HRESULT get_Name(BSTR* pName) override
    {
        return ks::noThrow([&] {
            if (!pName)
                return E_POINTER;
            *pName = nullptr;
            return ks_tree::CopyText(m_pReader->TraceName(m_nInjection - 1, m_nTrace - 1), pName);
        }, pName);
    }
    HRESULT get_Chromatogram(IKSChromatogram** ppChrom) override
    {
        return ks::noThrow([&] {
            if (!ppChrom)
                return E_POINTER;
            *ppChrom = nullptr;
            CChromatogram chromatogram;
            HRESULT hr = m_pReader->Trace(m_nInjection - 1, m_nTrace - 1, chromatogram);
            if (SUCCEEDED(hr))
                hr = CreateChromatogramObject(ppChrom, chromatogram);
            return hr;
        }, ppChrom);
    }
    HRESULT get_ChromatogramDirect(ULONG_PTR pChrom) override
    {
        return ks::noThrow([&] {
            CChromatogram chromatogram;
            HRESULT hr = m_pReader->Trace(m_nInjection - 1, m_nTrace - 1, chromatogram);
            if (SUCCEEDED(hr))
                hr = ChromatogramToDirect(reinterpret_cast<CKSChromatogram*>(pChrom), chromatogram);
            return hr;
        });
    }
    HRESULT get_Index(LONG* pIdx) override
    {
        return ks::noThrow([&] {
            if (!pIdx)
                return E_POINTER;
            *pIdx = m_nTrace;
            return S_OK;
        });
    }

protected:
    boost::shared_ptr<Reader> m_pReader;
    LONG m_nInjection = 0;
    LONG m_nTrace = 0;
};
