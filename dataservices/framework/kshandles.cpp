#include "kshandles.h"

#include <algorithm>
#include <typeinfo>

CKSMassSpectrum::CKSMassSpectrum()
    : m_pSpectrum(new CMassSpectrum), m_dwReserved1(0), m_dwReserved2(0), m_dwReserved3(0), m_bOwns(true)
{
}

CKSMassSpectrum::~CKSMassSpectrum()
{
    if (m_bOwns)
        delete m_pSpectrum;
}

void CKSMassSpectrum::Adopt(CMassSpectrum* spectrum)
{
    // Adopting the spectrum already held must not delete it under itself.
    if (spectrum == m_pSpectrum)
        return;
    if (m_bOwns)
        delete m_pSpectrum;
    m_pSpectrum = spectrum;
    m_bOwns = false;
}

bool CKSMassSpectrum::TakeContents(CMassSpectrum& source)
{
    if (!m_pSpectrum || typeid(*m_pSpectrum) != typeid(CMassSpectrum) || typeid(source) != typeid(CMassSpectrum))
        return false;
    return m_pSpectrum->SwapContents(source);
}

void CKSMassSpectrum::SetCount(LONG n)
{
    if (m_pSpectrum && n != m_pSpectrum->GetCount())
        m_pSpectrum->Resize(n);
}

bool CKSMassSpectrum::SetMasses(const double* values)
{
    if (!values || !m_pSpectrum || m_pSpectrum->GetCount() <= 0 || !m_pSpectrum->Masses())
        return false;
    double* target = m_pSpectrum->Masses();
    std::copy(values, values + m_pSpectrum->GetCount(), target);
    m_pSpectrum->Invalidate();
    return true;
}

bool CKSMassSpectrum::SetIntensities(const double* values)
{
    if (!values || !m_pSpectrum || m_pSpectrum->GetCount() <= 0 || !m_pSpectrum->Intensities())
        return false;
    double* target = m_pSpectrum->Intensities();
    std::copy(values, values + m_pSpectrum->GetCount(), target);
    m_pSpectrum->Invalidate();
    return true;
}

#define KS_FORWARD(call)   \
    do {                   \
        if (m_pSpectrum)   \
            m_pSpectrum->call; \
    } while (0)

void CKSMassSpectrum::SetTitle(const std::wstring& title) { KS_FORWARD(SetTitle(title)); }
void CKSMassSpectrum::SetCentroid(bool centroid) { KS_FORWARD(SetCentroid(centroid)); }
void CKSMassSpectrum::SetMSOrder(SHORT order) { KS_FORWARD(SetMSOrder(order)); }
void CKSMassSpectrum::SetPrecursorMass(double mz) { KS_FORWARD(SetPrecursorMass(mz)); }
void CKSMassSpectrum::SetSpare16(SHORT value) { KS_FORWARD(SetSpare16(value)); }
void CKSMassSpectrum::SetPolarity(LONG polarity) { KS_FORWARD(SetPolarity(polarity)); }
void CKSMassSpectrum::SetStartRT(double rt) { KS_FORWARD(SetStartRT(rt)); }
void CKSMassSpectrum::SetEndRT(double rt) { KS_FORWARD(SetEndRT(rt)); }
void CKSMassSpectrum::SetFirstScan(LONG scan) { KS_FORWARD(SetFirstScan(scan)); }
void CKSMassSpectrum::SetLastScan(LONG scan) { KS_FORWARD(SetLastScan(scan)); }
void CKSMassSpectrum::SetFunctionType(LONG type) { KS_FORWARD(SetFunctionType(type)); }
void CKSMassSpectrum::SetText2(const std::wstring& text) { KS_FORWARD(SetText2(text)); }
void CKSMassSpectrum::SetPrecursorMZ(LONG level, double value) { KS_FORWARD(SetPrecursorMZ(level, value)); }
void CKSMassSpectrum::SetPrecursorMZ2(LONG level, double value) { KS_FORWARD(SetPrecursorMZ2(level, value)); }

#undef KS_FORWARD

LONG CKSMassSpectrum::GetCount() const { return m_pSpectrum ? m_pSpectrum->GetCount() : 0; }
bool CKSMassSpectrum::IsCentroid() const { return m_pSpectrum ? m_pSpectrum->IsCentroid() : true; }
SHORT CKSMassSpectrum::GetMSOrder() const { return m_pSpectrum ? m_pSpectrum->GetMSOrder() : SHORT(1); }
double CKSMassSpectrum::GetPrecursorMass() const { return m_pSpectrum ? m_pSpectrum->GetPrecursorMass() : 0.0; }
SHORT CKSMassSpectrum::GetSpare16() const { return m_pSpectrum ? m_pSpectrum->GetSpare16() : SHORT(0); }
LONG CKSMassSpectrum::GetPolarity() const
{
    return m_pSpectrum ? m_pSpectrum->GetPolarity() : LONG(FunctionPolarityPositive);
}
double CKSMassSpectrum::GetStartRT() const { return m_pSpectrum ? m_pSpectrum->GetStartRT() : 0.0; }
double CKSMassSpectrum::GetEndRT() const { return m_pSpectrum ? m_pSpectrum->GetEndRT() : 0.0; }
LONG CKSMassSpectrum::GetFirstScan() const { return m_pSpectrum ? m_pSpectrum->GetFirstScan() : 0; }
LONG CKSMassSpectrum::GetLastScan() const { return m_pSpectrum ? m_pSpectrum->GetLastScan() : 0; }
std::wstring CKSMassSpectrum::GetTitle() const { return m_pSpectrum ? m_pSpectrum->GetTitle() : std::wstring(); }
const double* CKSMassSpectrum::GetMasses() const { return m_pSpectrum ? m_pSpectrum->Masses() : nullptr; }
const double* CKSMassSpectrum::GetIntensities() const
{
    return m_pSpectrum ? m_pSpectrum->Intensities() : nullptr;
}

void CKSChromatogram::SetSize(LONG n)
{
    if (m_pChromatogram)
        m_pChromatogram->SetSize(n);
}

void CKSChromatogram::SetTimes(const double* values)
{
    if (m_pChromatogram)
        m_pChromatogram->SetTimes(values);
}

void CKSChromatogram::SetIntensities(const double* values)
{
    if (m_pChromatogram)
        m_pChromatogram->SetIntensities(values);
}

void CKSChromatogram::SetName(const std::wstring& name)
{
    if (m_pChromatogram)
        m_pChromatogram->SetName(name);
}

CKSMSCollection::CKSMSCollection(std::vector<CMassSpectrum>* spectra) : m_pSpectra(spectra) {}

CKSMSCollection::~CKSMSCollection()
{
    for (CKSMassSpectrum* view : m_Views)
        delete view;
}

LONG CKSMSCollection::GetCount() const
{
    return m_pSpectra ? static_cast<LONG>(m_pSpectra->size()) : 0;
}

void CKSMSCollection::SetCount(LONG n)
{
    if (!m_pSpectra || n < 0)
        return;
    if (static_cast<size_t>(n) != m_pSpectra->size())
        m_pSpectra->resize(static_cast<size_t>(n));
    Resynchronise();
}

// Drops the views beyond the spectrum count and re-points every remaining
// view at the spectrum now at its index: growing the array may have moved
// the spectra.
void CKSMSCollection::Resynchronise()
{
    const size_t count = m_pSpectra ? m_pSpectra->size() : 0;
    for (size_t i = count; i < m_Views.size(); ++i)
        delete m_Views[i];
    m_Views.resize(count, nullptr);
    for (size_t i = 0; i < count; ++i) {
        if (m_Views[i])
            m_Views[i]->Adopt(&(*m_pSpectra)[i]);
    }
}

CKSMassSpectrum* CKSMSCollection::GetSpectrum(LONG i)
{
    if (!m_pSpectra)
        return nullptr;
    if (m_Views.size() != m_pSpectra->size())
        Resynchronise();
    if (i < 0 || static_cast<size_t>(i) >= m_Views.size())
        return nullptr;
    CKSMassSpectrum*& view = m_Views[static_cast<size_t>(i)];
    if (!view)
        view = new CKSMassSpectrum;
    // The creator may have resized its array directly; keep the view on the
    // spectrum now at its index.
    view->Adopt(&(*m_pSpectra)[static_cast<size_t>(i)]);
    return view;
}
