#include "ksdataservices.h"

#include "kscomerror.h"
#include "kscomptr.h"

namespace {

template <class I>
void AddRefIf(I* p)
{
    if (p)
        p->AddRef();
}

template <class I>
void ReleaseIf(I* p)
{
    if (p)
        p->Release();
}

// Shares other's interface with a reference of its own.
template <class I>
void Share(I*& held, I* other)
{
    if (other == held)
        return;
    AddRefIf(other);
    ReleaseIf(held);
    held = other;
}

ULONG_PTR AddressOf(CKSMassSpectrum& spectrum)
{
    return reinterpret_cast<ULONG_PTR>(&spectrum);
}

std::wstring TextOrEmpty(HRESULT hr, const ks::Bstr& text)
{
    return SUCCEEDED(hr) ? text.str() : std::wstring();
}

}  // namespace

// ---------------------------------------------------------------------------
// CKSMSDataset

CKSMSDataset::CKSMSDataset(IKSMSDataset2* dataset) : m_pDataset(dataset) {}

CKSMSDataset::CKSMSDataset(const CKSMSDataset& other) : m_pDataset(other.m_pDataset)
{
    AddRefIf(m_pDataset);
}

CKSMSDataset::~CKSMSDataset()
{
    ReleaseIf(m_pDataset);
}

CKSMSDataset& CKSMSDataset::operator=(const CKSMSDataset& other)
{
    Share(m_pDataset, other.m_pDataset);
    return *this;
}

CKSMSDataset& CKSMSDataset::operator=(IKSMSDataset2* dataset)
{
    Share(m_pDataset, dataset);
    return *this;
}

CKSMSDataset& CKSMSDataset::operator=(IKSMSDataset* dataset)
{
    IKSMSDataset2* dataset2 = nullptr;
    if (dataset && FAILED(dataset->QueryInterface(IID_IKSMSDataset2, reinterpret_cast<void**>(&dataset2))))
        dataset2 = nullptr;
    ReleaseIf(m_pDataset);
    m_pDataset = dataset2;
    return *this;
}

CKSMSDataset::operator IDispatch*() const
{
    AddRefIf(m_pDataset);
    return m_pDataset;
}

namespace {

bool IsTrue(IKSMSDataset2* dataset, HRESULT (IKSMSDataset::*get)(VARIANT_BOOL*))
{
    if (!dataset)
        return false;
    VARIANT_BOOL answer = VARIANT_FALSE;
    return SUCCEEDED((dataset->*get)(&answer)) && answer == VARIANT_TRUE;
}

// The call's result is not examined: a failing call that still left a
// count gives that count.
LONG CountOf(IKSMSDataset2* dataset, HRESULT (IKSMSDataset::*get)(LONG*))
{
    if (!dataset)
        return 0;
    LONG count = 0;
    (dataset->*get)(&count);
    return count;
}

// A spectrum object handed over by the caller: one of its references is
// given back once the provider filled it.
bool Filled(HRESULT hr, IKSMSDataset2* dataset, IDispatch* spectrum)
{
    if (FAILED(hr))
        _com_issue_errorex(hr, dataset, IID_IKSMSDataset);
    spectrum->Release();
    return true;
}

bool FilledDirect(HRESULT hr, IKSMSDataset2* dataset)
{
    if (FAILED(hr))
        _com_issue_errorex(hr, dataset, IID_IKSMSDataset2);
    return true;
}

}  // namespace

bool CKSMSDataset::HasTIC() const
{
    return IsTrue(m_pDataset, &IKSMSDataset::get_HasTIC);
}

bool CKSMSDataset::HasBasePeakChromatogram() const
{
    return IsTrue(m_pDataset, &IKSMSDataset::get_HasBaseSpectra);
}

bool CKSMSDataset::HasTraces() const
{
    return IsTrue(m_pDataset, &IKSMSDataset::get_HasTraces);
}

LONG CKSMSDataset::GetTraceCount() const
{
    return CountOf(m_pDataset, &IKSMSDataset::get_TraceCount);
}

LONG CKSMSDataset::GetBaseSpectrumCount() const
{
    return CountOf(m_pDataset, &IKSMSDataset::get_BaseSpectrumCount);
}

LONG CKSMSDataset::GetAuxiliarySpectrumCount() const
{
    return CountOf(m_pDataset, &IKSMSDataset::get_AuxiliarySpectrumCount);
}

bool CKSMSDataset::GetBaseSpectrum(LONG index, IDispatch* spectrum) const
{
    if (!m_pDataset || !spectrum)
        return false;
    return Filled(m_pDataset->GetBaseSpectrum(index, spectrum), m_pDataset, spectrum);
}

bool CKSMSDataset::GetBaseSpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* spectrum) const
{
    if (!m_pDataset || !spectrum)
        return false;
    return Filled(m_pDataset->GetBaseSpectrumRange(scanStart, scanEnd, spectrum), m_pDataset, spectrum);
}

bool CKSMSDataset::GetAuxiliarySpectrum(LONG index, IDispatch* spectrum) const
{
    if (!m_pDataset || !spectrum)
        return false;
    return Filled(m_pDataset->GetAuxiliarySpectrum(index, spectrum), m_pDataset, spectrum);
}

bool CKSMSDataset::GetAuxiliarySpectrumRange(LONG scanStart, LONG scanEnd, IDispatch* spectrum) const
{
    if (!m_pDataset || !spectrum)
        return false;
    return Filled(m_pDataset->GetAuxiliarySpectrumRange(scanStart, scanEnd, spectrum), m_pDataset, spectrum);
}

bool CKSMSDataset::GetTIC(IDispatch* chromatogram) const
{
    if (!m_pDataset || !chromatogram)
        return false;
    return Filled(m_pDataset->GetTIC(chromatogram), m_pDataset, chromatogram);
}

bool CKSMSDataset::GetBasePeakChromatogram(IDispatch* chromatogram) const
{
    if (!m_pDataset || !chromatogram)
        return false;
    return Filled(m_pDataset->GetBasePeakChromatogram(chromatogram), m_pDataset, chromatogram);
}

bool CKSMSDataset::GetTrace(LONG index, IDispatch* chromatogram) const
{
    if (!m_pDataset || !chromatogram)
        return false;
    return Filled(m_pDataset->GetTrace(index, chromatogram), m_pDataset, chromatogram);
}

bool CKSMSDataset::GetBaseSpectrumDirect(LONG index, CKSMassSpectrum& spectrum) const
{
    if (!m_pDataset)
        return false;
    return FilledDirect(m_pDataset->GetBaseSpectrumDirect(index, AddressOf(spectrum)), m_pDataset);
}

bool CKSMSDataset::GetBaseSpectrumRangeDirect(LONG scanStart, LONG scanEnd, CKSMassSpectrum& spectrum) const
{
    if (!m_pDataset)
        return false;
    return FilledDirect(m_pDataset->GetBaseSpectrumRangeDirect(scanStart, scanEnd, AddressOf(spectrum)),
                        m_pDataset);
}

bool CKSMSDataset::GetAuxiliarySpectrumDirect(LONG index, CKSMassSpectrum& spectrum) const
{
    if (!m_pDataset)
        return false;
    return FilledDirect(m_pDataset->GetAuxiliarySpectrumDirect(index, AddressOf(spectrum)), m_pDataset);
}

bool CKSMSDataset::GetAuxiliarySpectrumRangeDirect(LONG scanStart, LONG scanEnd, CKSMassSpectrum& spectrum) const
{
    if (!m_pDataset)
        return false;
    return FilledDirect(m_pDataset->GetAuxiliarySpectrumRangeDirect(scanStart, scanEnd, AddressOf(spectrum)),
                        m_pDataset);
}

bool CKSMSDataset::GetTICDirect(CKSMassSpectrum& chromatogram) const
{
    if (!m_pDataset)
        return false;
    return FilledDirect(m_pDataset->GetTICDirect(AddressOf(chromatogram)), m_pDataset);
}

bool CKSMSDataset::GetBasePeakChromatogramDirect(CKSMassSpectrum& chromatogram) const
{
    if (!m_pDataset)
        return false;
    return FilledDirect(m_pDataset->GetBasePeakChromatogramDirect(AddressOf(chromatogram)), m_pDataset);
}

bool CKSMSDataset::GetTraceDirect(LONG index, CKSMassSpectrum& chromatogram) const
{
    if (!m_pDataset)
        return false;
    return FilledDirect(m_pDataset->GetTraceDirect(index, AddressOf(chromatogram)), m_pDataset);
}

// ---------------------------------------------------------------------------
// CKSMSDatasetReader

CKSMSDatasetReader::CKSMSDatasetReader(IKSMSDatasetReader* reader) : m_pReader(reader)
{
    AddRefIf(m_pReader);
}

CKSMSDatasetReader::CKSMSDatasetReader(const CKSMSDatasetReader& other) : CKSMSDatasetReader(other.m_pReader) {}

CKSMSDatasetReader& CKSMSDatasetReader::operator=(const CKSMSDatasetReader& other)
{
    Share(m_pReader, other.m_pReader);
    return *this;
}

CKSMSDatasetReader::~CKSMSDatasetReader()
{
    ReleaseIf(m_pReader);
}

bool CKSMSDatasetReader::Read(const std::wstring& dataSource, CKSMSDataset& dataset)
{
    ks::Bstr source(dataSource);
    if (source.allocationFailed())
        return false;
    IKSMSDataset* result = nullptr;
    const HRESULT hr = m_pReader ? m_pReader->ReadDataset(source, &result) : E_POINTER;
    if (FAILED(hr)) {
        dataset = static_cast<IKSMSDataset*>(nullptr);
        return false;
    }
    dataset = result;
    ReleaseIf(result);
    return true;
}

bool CKSMSDatasetReader::ReadInteractive(CKSMSDataset& dataset)
{
    IKSMSDataset* result = nullptr;
    const HRESULT hr = m_pReader ? m_pReader->ReadDatasetInteractive(&result) : E_POINTER;
    if (FAILED(hr))
        return false;
    dataset = result;
    ReleaseIf(result);
    return true;
}

std::wstring CKSMSDatasetReader::GetDataSourceDescription() const
{
    ks::Bstr description;
    return TextOrEmpty(m_pReader ? m_pReader->get_DataSourceDescription(&description) : E_POINTER, description);
}

// ---------------------------------------------------------------------------
// CKSMSDatasetWriter

CKSMSDatasetWriter::CKSMSDatasetWriter(IKSMSDatasetWriter* writer) : m_pWriter(writer)
{
    AddRefIf(m_pWriter);
}

CKSMSDatasetWriter::CKSMSDatasetWriter(const CKSMSDatasetWriter& other) : CKSMSDatasetWriter(other.m_pWriter) {}

CKSMSDatasetWriter& CKSMSDatasetWriter::operator=(const CKSMSDatasetWriter& other)
{
    Share(m_pWriter, other.m_pWriter);
    return *this;
}

CKSMSDatasetWriter::~CKSMSDatasetWriter()
{
    ReleaseIf(m_pWriter);
}

bool CKSMSDatasetWriter::Write(const std::wstring& dataSource, IKSMSDataset* dataset)
{
    if (!dataset)
        return false;
    HRESULT hr = E_OUTOFMEMORY;
    ks::Bstr source(dataSource);
    if (!source.allocationFailed()) {
        // The writer gets the address of a pointer of its own, so the
        // reference handed over is the one released below.
        IKSMSDataset* passed = dataset;
        hr = m_pWriter ? m_pWriter->WriteDataset(source, &passed) : E_POINTER;
    }
    dataset->Release();
    return SUCCEEDED(hr);
}

bool CKSMSDatasetWriter::WriteInteractive(CKSMSDataset& dataset)
{
    IKSMSDataset* result = nullptr;
    const HRESULT hr = m_pWriter ? m_pWriter->WriteDatasetInteractive(&result) : E_POINTER;
    if (FAILED(hr))
        return false;
    dataset = result;
    ReleaseIf(result);
    return true;
}

// ---------------------------------------------------------------------------
// CKSSpectrumReader

CKSSpectrumReader::CKSSpectrumReader(IKSSpectrumReader2* reader) : m_pReader(reader)
{
    AddRefIf(m_pReader);
}

CKSSpectrumReader::CKSSpectrumReader(const CKSSpectrumReader& other) : CKSSpectrumReader(other.m_pReader) {}

CKSSpectrumReader& CKSSpectrumReader::operator=(const CKSSpectrumReader& other)
{
    Share(m_pReader, other.m_pReader);
    return *this;
}

CKSSpectrumReader::~CKSSpectrumReader()
{
    ReleaseIf(m_pReader);
}

bool CKSSpectrumReader::ReadInteractive(IDispatch* spectrum)
{
    if (!spectrum)
        return false;
    const HRESULT hr = m_pReader ? m_pReader->ReadSpectrumInteractive(spectrum) : E_POINTER;
    spectrum->Release();
    return SUCCEEDED(hr);
}

bool CKSSpectrumReader::Read(const std::wstring& dataSource, IDispatch* spectrum)
{
    if (!spectrum)
        return false;
    HRESULT hr = E_OUTOFMEMORY;
    ks::Bstr source(dataSource);
    if (!source.allocationFailed())
        hr = m_pReader ? m_pReader->ReadSpectrum(source, spectrum) : E_POINTER;
    spectrum->Release();
    return SUCCEEDED(hr);
}

bool CKSSpectrumReader::ReadInteractiveDirect(CKSMassSpectrum& spectrum)
{
    return m_pReader && SUCCEEDED(m_pReader->ReadSpectrumInteractiveDirect(AddressOf(spectrum)));
}

bool CKSSpectrumReader::ReadDirect(const std::wstring& dataSource, CKSMassSpectrum& spectrum)
{
    ks::Bstr source(dataSource);
    if (source.allocationFailed() || !m_pReader)
        return false;
    return SUCCEEDED(m_pReader->ReadSpectrumDirect(source, AddressOf(spectrum)));
}

std::wstring CKSSpectrumReader::GetDataSourceDescription() const
{
    ks::Bstr description;
    return TextOrEmpty(m_pReader ? m_pReader->get_DataSourceDescription(&description) : E_POINTER, description);
}

// ---------------------------------------------------------------------------
// CKSSpectrumWriter

CKSSpectrumWriter::CKSSpectrumWriter(IKSSpectrumWriter2* writer) : m_pWriter(writer)
{
    AddRefIf(m_pWriter);
}

CKSSpectrumWriter::CKSSpectrumWriter(const CKSSpectrumWriter& other) : CKSSpectrumWriter(other.m_pWriter) {}

CKSSpectrumWriter& CKSSpectrumWriter::operator=(const CKSSpectrumWriter& other)
{
    Share(m_pWriter, other.m_pWriter);
    return *this;
}

CKSSpectrumWriter::~CKSSpectrumWriter()
{
    ReleaseIf(m_pWriter);
}

bool CKSSpectrumWriter::WriteInteractive(IDispatch* spectrum)
{
    if (!spectrum)
        return false;
    const HRESULT hr = m_pWriter ? m_pWriter->WriteSpectrumInteractive(spectrum) : E_POINTER;
    spectrum->Release();
    return SUCCEEDED(hr);
}

bool CKSSpectrumWriter::Write(const std::wstring& dataSource, IDispatch* spectrum)
{
    if (!spectrum)
        return false;
    HRESULT hr = E_OUTOFMEMORY;
    ks::Bstr source(dataSource);
    if (!source.allocationFailed())
        hr = m_pWriter ? m_pWriter->WriteSpectrum(source, spectrum) : E_POINTER;
    spectrum->Release();
    return SUCCEEDED(hr);
}

bool CKSSpectrumWriter::WriteInteractiveDirect(CKSMassSpectrum& spectrum)
{
    return m_pWriter && SUCCEEDED(m_pWriter->WriteSpectrumInteractiveDirect(AddressOf(spectrum)));
}

bool CKSSpectrumWriter::WriteDirect(const std::wstring& dataSource, CKSMassSpectrum& spectrum)
{
    ks::Bstr source(dataSource);
    if (source.allocationFailed() || !m_pWriter)
        return false;
    return SUCCEEDED(m_pWriter->WriteSpectrumDirect(source, AddressOf(spectrum)));
}
