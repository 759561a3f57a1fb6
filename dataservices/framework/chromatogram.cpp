#include "chromatogram.h"

#include <algorithm>

CChromatogram::CChromatogram() : m_bHasFlags(false), m_bHasAnnotations(false), m_bSpare(false)
{
    SetSize(1);
}

bool CChromatogram::SetSize(LONG n)
{
    if (n < 0)
        return false;
    const size_t size = static_cast<size_t>(n);
    m_Times.resize(size, 0.0);
    m_Intensities.resize(size, 0.0);
    m_Values.resize(size, 0);
    if (m_bHasFlags)
        m_Flags.resize(size, 0);
    if (m_bHasAnnotations)
        m_Annotations.resize(size, 0);
    return true;
}

void CChromatogram::SetTimes(const double* values)
{
    if (!values || values == m_Times.data() || m_Times.empty())
        return;
    std::copy(values, values + m_Times.size(), m_Times.begin());
}

void CChromatogram::SetIntensities(const double* values)
{
    if (!values || values == m_Intensities.data() || m_Intensities.empty())
        return;
    std::copy(values, values + m_Intensities.size(), m_Intensities.begin());
}

void CChromatogram::SetTime(LONG i, double value)
{
    if (i >= 0 && static_cast<size_t>(i) < m_Times.size())
        m_Times[static_cast<size_t>(i)] = value;
}

void CChromatogram::SetIntensity(LONG i, double value)
{
    if (i >= 0 && static_cast<size_t>(i) < m_Intensities.size())
        m_Intensities[static_cast<size_t>(i)] = value;
}

void CChromatogram::EnableFlags(bool on)
{
    m_bHasFlags = on;
    if (on)
        m_Flags.resize(m_Times.size(), 0);
    else
        m_Flags.clear();
}

void CChromatogram::EnableAnnotations(bool on)
{
    m_bHasAnnotations = on;
    if (on)
        m_Annotations.resize(m_Times.size(), 0);
    else
        m_Annotations.clear();
}
