#include "massspectrum.h"

#include <algorithm>
#include <cfloat>

CMassSpectrum::CMassSpectrum()
    : m_nCount(0),
      m_bHasFlags(false),
      m_bHasAnnotations(false),
      m_bHasObjects(false),
      m_bCentroid(true),
      m_bStatsStale(true),
      m_dTIC(0),
      m_dBasePeakMZ(0),
      m_dBasePeakIntensity(0),
      m_dMinIntensity(0),
      m_nBasePeakIndex(0),
      m_nMSOrder(1),
      m_dPrecursorMZ(0),
      m_nSpare16(0),
      m_nPolarity(FunctionPolarityPositive),
      m_nFunctionType(FunctionTypeUnknown),
      m_dStartRT(0),
      m_dEndRT(0),
      m_nFirstScan(0),
      m_nLastScan(0),
      m_pfnRelease(nullptr),
      m_ReleaseUser(0),
      m_pfnMerge(nullptr),
      m_MergeUser(0),
      m_pfnClone(nullptr),
      m_CloneUser(0)
{
}

CMassSpectrum::CMassSpectrum(const CMassSpectrum& other)
    : m_nCount(other.m_nCount),
      m_bHasFlags(other.m_bHasFlags),
      m_bHasAnnotations(other.m_bHasAnnotations),
      m_bHasObjects(other.m_bHasObjects),
      m_Title(other.m_Title),
      m_bCentroid(other.m_bCentroid),
      m_bStatsStale(other.m_bStatsStale),
      m_dTIC(other.m_dTIC),
      m_dBasePeakMZ(other.m_dBasePeakMZ),
      m_dBasePeakIntensity(other.m_dBasePeakIntensity),
      m_dMinIntensity(other.m_dMinIntensity),
      m_nBasePeakIndex(other.m_nBasePeakIndex),
      m_nMSOrder(other.m_nMSOrder),
      m_dPrecursorMZ(other.m_dPrecursorMZ),
      m_nSpare16(other.m_nSpare16),
      m_nPolarity(other.m_nPolarity),
      m_Masses(other.m_Masses),
      m_Intensities(other.m_Intensities),
      m_Flags(other.m_Flags),
      m_Annotations(other.m_Annotations),
      m_PrecursorLevels(other.m_PrecursorLevels),
      m_nFunctionType(other.m_nFunctionType),
      m_dStartRT(other.m_dStartRT),
      m_dEndRT(other.m_dEndRT),
      m_nFirstScan(other.m_nFirstScan),
      m_nLastScan(other.m_nLastScan),
      m_pfnRelease(other.m_pfnRelease),
      m_ReleaseUser(other.m_ReleaseUser),
      m_pfnMerge(other.m_pfnMerge),
      m_MergeUser(other.m_MergeUser),
      m_pfnClone(other.m_pfnClone),
      m_CloneUser(other.m_CloneUser),
      m_Text2(other.m_Text2)
{
    CloneObjectsFrom(other);
}

// Moving hands the peak objects over without cloning; the source keeps no
// points, so it releases nothing.
CMassSpectrum::CMassSpectrum(CMassSpectrum&& other) noexcept
    : m_nCount(other.m_nCount),
      m_bHasFlags(other.m_bHasFlags),
      m_bHasAnnotations(other.m_bHasAnnotations),
      m_bHasObjects(other.m_bHasObjects),
      m_Title(std::move(other.m_Title)),
      m_bCentroid(other.m_bCentroid),
      m_bStatsStale(other.m_bStatsStale),
      m_dTIC(other.m_dTIC),
      m_dBasePeakMZ(other.m_dBasePeakMZ),
      m_dBasePeakIntensity(other.m_dBasePeakIntensity),
      m_dMinIntensity(other.m_dMinIntensity),
      m_nBasePeakIndex(other.m_nBasePeakIndex),
      m_nMSOrder(other.m_nMSOrder),
      m_dPrecursorMZ(other.m_dPrecursorMZ),
      m_nSpare16(other.m_nSpare16),
      m_nPolarity(other.m_nPolarity),
      m_Masses(std::move(other.m_Masses)),
      m_Intensities(std::move(other.m_Intensities)),
      m_Flags(std::move(other.m_Flags)),
      m_Objects(std::move(other.m_Objects)),
      m_Annotations(std::move(other.m_Annotations)),
      m_PrecursorLevels(std::move(other.m_PrecursorLevels)),
      m_nFunctionType(other.m_nFunctionType),
      m_dStartRT(other.m_dStartRT),
      m_dEndRT(other.m_dEndRT),
      m_nFirstScan(other.m_nFirstScan),
      m_nLastScan(other.m_nLastScan),
      m_pfnRelease(other.m_pfnRelease),
      m_ReleaseUser(other.m_ReleaseUser),
      m_pfnMerge(other.m_pfnMerge),
      m_MergeUser(other.m_MergeUser),
      m_pfnClone(other.m_pfnClone),
      m_CloneUser(other.m_CloneUser),
      m_Text2(std::move(other.m_Text2))
{
    other.m_Masses.clear();
    other.m_Intensities.clear();
    other.m_Flags.clear();
    other.m_Objects.clear();
    other.m_Annotations.clear();
    other.m_nCount = 0;
    other.m_bStatsStale = true;
}

// Assignment keeps this spectrum's own hooks: its peak objects go through
// its release hook, the copies come from the source's clone hook.
CMassSpectrum& CMassSpectrum::operator=(const CMassSpectrum& other)
{
    if (this == &other)
        return *this;
    ReleaseObjectsFrom(0);
    m_Objects.clear();

    m_bHasFlags = other.m_bHasFlags;
    m_bHasAnnotations = other.m_bHasAnnotations;
    m_bHasObjects = other.m_bHasObjects;
    m_Title = other.m_Title;
    m_bCentroid = other.m_bCentroid;
    m_bStatsStale = other.m_bStatsStale;
    m_dTIC = other.m_dTIC;
    m_dBasePeakMZ = other.m_dBasePeakMZ;
    m_dBasePeakIntensity = other.m_dBasePeakIntensity;
    m_dMinIntensity = other.m_dMinIntensity;
    m_nBasePeakIndex = other.m_nBasePeakIndex;
    m_nMSOrder = other.m_nMSOrder;
    m_dPrecursorMZ = other.m_dPrecursorMZ;
    m_nSpare16 = other.m_nSpare16;
    m_nPolarity = other.m_nPolarity;
    m_Masses = other.m_Masses;
    m_Intensities = other.m_Intensities;
    m_Flags = other.m_Flags;
    m_Annotations = other.m_Annotations;
    m_PrecursorLevels = other.m_PrecursorLevels;
    m_nFunctionType = other.m_nFunctionType;
    m_dStartRT = other.m_dStartRT;
    m_dEndRT = other.m_dEndRT;
    m_nFirstScan = other.m_nFirstScan;
    m_nLastScan = other.m_nLastScan;
    m_Text2 = other.m_Text2;
    CloneObjectsFrom(other);
    m_nCount = static_cast<LONG>(m_Masses.size());
    return *this;
}

// The constructor's values.
void CMassSpectrum::RenewKeepingPoints()
{
    ReleaseObjectsFrom(0);
    m_Objects.clear();
    m_Flags.clear();
    m_Annotations.clear();
    m_bHasFlags = false;
    m_bHasAnnotations = false;
    m_bHasObjects = false;
    m_Title.clear();
    m_bCentroid = true;
    m_bStatsStale = true;
    m_dTIC = 0;
    m_dBasePeakMZ = 0;
    m_dBasePeakIntensity = 0;
    m_dMinIntensity = 0;
    m_nBasePeakIndex = 0;
    m_nMSOrder = 1;
    m_dPrecursorMZ = 0;
    m_nSpare16 = 0;
    m_nPolarity = FunctionPolarityPositive;
    m_PrecursorLevels.clear();
    m_nFunctionType = FunctionTypeUnknown;
    m_dStartRT = 0;
    m_dEndRT = 0;
    m_nFirstScan = 0;
    m_nLastScan = 0;
    m_Text2.clear();
}

bool CMassSpectrum::SwapContents(CMassSpectrum& other) noexcept
{
    auto bare = [](const CMassSpectrum& s) {
        return !s.m_bHasFlags && !s.m_bHasObjects && !s.m_bHasAnnotations && s.m_Flags.empty() &&
               s.m_Objects.empty() && s.m_Annotations.empty();
    };
    if (this == &other || !bare(*this) || !bare(other))
        return false;
    using std::swap;
    swap(m_nCount, other.m_nCount);
    swap(m_Title, other.m_Title);
    swap(m_bCentroid, other.m_bCentroid);
    swap(m_bStatsStale, other.m_bStatsStale);
    swap(m_dTIC, other.m_dTIC);
    swap(m_dBasePeakMZ, other.m_dBasePeakMZ);
    swap(m_dBasePeakIntensity, other.m_dBasePeakIntensity);
    swap(m_dMinIntensity, other.m_dMinIntensity);
    swap(m_nBasePeakIndex, other.m_nBasePeakIndex);
    swap(m_nMSOrder, other.m_nMSOrder);
    swap(m_dPrecursorMZ, other.m_dPrecursorMZ);
    swap(m_nSpare16, other.m_nSpare16);
    swap(m_nPolarity, other.m_nPolarity);
    m_Masses.swap(other.m_Masses);
    m_Intensities.swap(other.m_Intensities);
    m_PrecursorLevels.swap(other.m_PrecursorLevels);
    swap(m_nFunctionType, other.m_nFunctionType);
    swap(m_dStartRT, other.m_dStartRT);
    swap(m_dEndRT, other.m_dEndRT);
    swap(m_nFirstScan, other.m_nFirstScan);
    swap(m_nLastScan, other.m_nLastScan);
    swap(m_Text2, other.m_Text2);
    return true;
}

CMassSpectrum::~CMassSpectrum()
{
    ReleaseObjectsFrom(0);
}

void CMassSpectrum::ReleasePeakObject(void* peak) const
{
    if (m_pfnRelease && peak)
        m_pfnRelease(peak, m_ReleaseUser);
}

void CMassSpectrum::ReleaseObjectsFrom(size_t first)
{
    if (!m_pfnRelease)
        return;
    for (size_t i = first; i < m_Objects.size(); ++i) {
        void* peak = m_Objects[i];
        m_Objects[i] = nullptr;
        ReleasePeakObject(peak);
    }
}

// A spectrum with peak objects must carry a clone hook; without one the
// copy gets empty slots rather than sharing objects that both would release.
void CMassSpectrum::CloneObjectsFrom(const CMassSpectrum& source)
{
    m_Objects.assign(source.m_Objects.size(), nullptr);
    if (!source.m_pfnClone)
        return;
    for (size_t i = 0; i < source.m_Objects.size(); ++i) {
        if (source.m_Objects[i])
            m_Objects[i] = source.m_pfnClone(source.m_Objects[i], source.m_CloneUser);
    }
}

bool CMassSpectrum::SetSize(LONG n, bool withFlags, bool withObjects, bool withAnnotations)
{
    if (n < 0)
        return false;
    if (n == 0) {
        Clear();
        return true;
    }
    const size_t size = static_cast<size_t>(n);
    // New points are value-initialised (0.0): the form the compiler turns
    // into one memset, where an explicit fill value is a loop.
    m_Masses.resize(size);
    m_Intensities.resize(size);
    if (withFlags)
        m_Flags.resize(size, 0);
    else
        m_Flags.clear();
    if (withAnnotations)
        m_Annotations.resize(size, 0);
    else
        m_Annotations.clear();
    if (withObjects) {
        if (size < m_Objects.size())
            ReleaseObjectsFrom(size);
        m_Objects.resize(size, nullptr);
    } else {
        ReleaseObjectsFrom(0);
        m_Objects.clear();
    }
    m_bHasFlags = withFlags;
    m_bHasObjects = withObjects;
    m_bHasAnnotations = withAnnotations;
    m_nCount = n;
    m_bStatsStale = true;
    return true;
}

void CMassSpectrum::Clear()
{
    ReleaseObjectsFrom(0);
    m_Masses.clear();
    m_Intensities.clear();
    m_Flags.clear();
    m_Objects.clear();
    m_Annotations.clear();
    m_nCount = 0;
    m_bStatsStale = true;
}

// A negative count would leave the arrays and the count disagreeing, so it
// changes nothing.
bool CMassSpectrum::Resize(LONG n)
{
    if (n < 0)
        return false;
    if (n != m_nCount && !SetSize(n, m_bHasFlags, m_bHasObjects, m_bHasAnnotations))
        return false;
    m_nCount = n;
    m_bStatsStale = true;
    return true;
}

void CMassSpectrum::EnablePeakFlags(bool on)
{
    if (on && m_nCount > 0)
        m_Flags.resize(static_cast<size_t>(m_nCount), 0);
    else
        m_Flags.clear();
    m_bHasFlags = on;
}

void CMassSpectrum::EnableAnnotations(bool on)
{
    if (on && m_nCount > 0)
        m_Annotations.resize(static_cast<size_t>(m_nCount), 0);
    else
        m_Annotations.clear();
    m_bHasAnnotations = on;
}

void CMassSpectrum::EnablePeakObjects(bool on)
{
    if (on && m_nCount > 0) {
        const size_t size = static_cast<size_t>(m_nCount);
        if (size < m_Objects.size())
            ReleaseObjectsFrom(size);
        m_Objects.resize(size, nullptr);
    } else {
        ReleaseObjectsFrom(0);
        m_Objects.clear();
    }
    m_bHasObjects = on;
}

namespace {
double& scratchValue()
{
    thread_local double scratch;
    scratch = 0.0;
    return scratch;
}
}  // namespace

double& CMassSpectrum::MassAt(LONG i)
{
    m_bStatsStale = true;
    if (i < 0 || static_cast<size_t>(i) >= m_Masses.size())
        return scratchValue();
    return m_Masses[static_cast<size_t>(i)];
}

double& CMassSpectrum::IntensityAt(LONG i)
{
    m_bStatsStale = true;
    if (i < 0 || static_cast<size_t>(i) >= m_Intensities.size())
        return scratchValue();
    return m_Intensities[static_cast<size_t>(i)];
}

void CMassSpectrum::SetPrecursorMZ(LONG level, double value)
{
    if (level < 2 || level > m_nMSOrder)
        return;
    if (m_PrecursorLevels.size() < static_cast<size_t>(level - 1))
        m_PrecursorLevels.resize(static_cast<size_t>(level - 1), {0.0, 0.0});
    m_PrecursorLevels[static_cast<size_t>(level - 2)].first = value;
}

void CMassSpectrum::SetPrecursorMZ2(LONG level, double value)
{
    if (level < 2 || level > m_nMSOrder)
        return;
    if (m_PrecursorLevels.size() < static_cast<size_t>(level - 1))
        m_PrecursorLevels.resize(static_cast<size_t>(level - 1), {0.0, 0.0});
    m_PrecursorLevels[static_cast<size_t>(level - 2)].second = value;
}

double CMassSpectrum::GetPrecursorMZ(LONG level) const
{
    if (level < 2 || level > m_nMSOrder || static_cast<size_t>(level - 1) > m_PrecursorLevels.size())
        return 0.0;
    return m_PrecursorLevels[static_cast<size_t>(level - 2)].first;
}

double CMassSpectrum::GetPrecursorMZ2(LONG level) const
{
    if (level < 2 || level > m_nMSOrder || static_cast<size_t>(level - 1) > m_PrecursorLevels.size())
        return 0.0;
    return m_PrecursorLevels[static_cast<size_t>(level - 2)].second;
}

void CMassSpectrum::UpdateStatistics() const
{
    if (!m_bStatsStale)
        return;
    m_bStatsStale = false;
    m_dTIC = 0;
    m_dBasePeakMZ = 0;
    m_dBasePeakIntensity = 0;
    m_dMinIntensity = 0;
    m_nBasePeakIndex = 0;
    if (m_Masses.empty() || m_Intensities.empty() || m_nCount <= 0)
        return;
    const size_t n = std::min({static_cast<size_t>(m_nCount), m_Masses.size(), m_Intensities.size()});
    double total = 0;
    double smallest = DBL_MAX;
    double largest = -DBL_MAX;
    double baseMZ = 0;
    LONG baseIndex = 0;
    for (size_t i = 0; i < n; ++i) {
        const double v = m_Intensities[i];
        total += v;
        if (v < smallest)
            smallest = v;
        if (v > largest) {
            largest = v;
            baseIndex = static_cast<LONG>(i);
            baseMZ = m_Masses[i];
        }
    }
    m_dTIC = total;
    m_dBasePeakMZ = baseMZ;
    m_dBasePeakIntensity = largest;
    m_dMinIntensity = smallest;
    m_nBasePeakIndex = baseIndex;
}

double CMassSpectrum::GetTIC() const
{
    UpdateStatistics();
    return m_dTIC;
}

double CMassSpectrum::GetBasePeakMass() const
{
    UpdateStatistics();
    return m_dBasePeakMZ;
}

double CMassSpectrum::GetBasePeakIntensity() const
{
    UpdateStatistics();
    return m_dBasePeakIntensity;
}

double CMassSpectrum::GetMinIntensity() const
{
    UpdateStatistics();
    return m_dMinIntensity;
}

LONG CMassSpectrum::GetBasePeakIndex() const
{
    UpdateStatistics();
    return m_nBasePeakIndex;
}

double CMassSpectrum::GetBasePeakInRange(double low, double high) const
{
    const size_t n = std::min({static_cast<size_t>(std::max<LONG>(m_nCount, 0)), m_Masses.size(),
                               m_Intensities.size()});
    if (n == 0)
        return 0.0;
    const double* m = m_Masses.data();
    if (m[0] > high || m[n - 1] < low)
        return 0.0;
    // First index not below low; last index not above high.
    const ptrdiff_t i0 = std::lower_bound(m, m + n, low) - m;
    const ptrdiff_t i1 = (std::upper_bound(m, m + n, high) - m) - 1;
    if (i1 < i0)
        return 0.0;
    const size_t first = static_cast<size_t>(std::max<ptrdiff_t>(i0, 0));
    const size_t last = std::min(static_cast<size_t>(i1), n - 1);
    double best = m_Intensities[first];
    for (size_t i = first + 1; i <= last; ++i) {
        if (m_Intensities[i] > best)
            best = m_Intensities[i];
    }
    return best;
}
