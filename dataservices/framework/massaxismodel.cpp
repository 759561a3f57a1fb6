#include "massaxismodel.h"

#include <algorithm>

CMassAxisModel::CMassAxisModel() : m_dMinSpacing(kMinimumSpacing) {}

namespace {
double spacingFrom(const CPolynomialFit* fit, double x, double minimum)
{
    const double value = fit ? fit->Evaluate(x) : 0.0;
    // A value that does not compare (NaN) is raised like a small one.
    return value >= minimum ? value : minimum;
}
}  // namespace

double CMassAxisModel::SpacingAbove(double x) const
{
    return spacingFrom(m_pAbove.get(), x, m_dMinSpacing);
}

double CMassAxisModel::SpacingBelow(double x) const
{
    return spacingFrom(m_pBelow.get(), x, m_dMinSpacing);
}

bool CMassAxisModel::HasSpacingJumps(const CMassSpectrum& spectrum)
{
    const LONG n = spectrum.GetCount();
    const double* m = spectrum.Masses();
    if (n <= 2 || !m)
        return false;
    for (LONG i = 1; i <= n - 2; ++i) {
        const double d = m[i] - m[i - 1];
        const double b = i == 1 ? d : m[i - 1] - m[i - 2];
        const double ratio = d / b;
        if (ratio <= 0.6) {
            // The spacing drops and stays low up to the spacing before the
            // last one.
            if (i + 1 <= n - 2) {
                bool allLow = true;
                for (LONG k = i + 1; k <= n - 2 && allLow; ++k)
                    allLow = m[k] - m[k - 1] <= 0.6 * b;
                if (allLow)
                    return true;
            }
        } else if (ratio >= 1.6 && i >= 3) {
            // A jump counts only against both earlier spacings; at i == 2 the
            // second one does not exist and the point cannot qualify.
            if (d / (m[i - 2] - m[i - 3]) >= 1.6)
                return true;
        }
    }
    return false;
}

LONG CMassAxisModel::Build(const CMassSpectrum& spectrum)
{
    m_pAbove.reset();
    m_pBelow.reset();
    m_dMinSpacing = kMinimumSpacing;
    const LONG n = spectrum.GetCount();
    const double* m = spectrum.Masses();
    const double* y = spectrum.Intensities();
    if (n <= 0 || !m || !y)
        return 0;

    // Signal segments: a point above 0 opens one at the point before it; a
    // point at or below 0 followed by an exact 0 closes it.
    std::vector<std::pair<LONG, LONG>> segments;
    LONG open = -1;
    for (LONG i = 0; i <= n - 2; ++i) {
        if (y[i] > 0) {
            if (open < 0)
                open = i == 0 ? 0 : i - 1;
        } else if (open >= 0 && y[i + 1] == 0) {
            segments.emplace_back(open, i);
            open = -1;
        }
    }
    if (open >= 0)
        segments.emplace_back(open, n - 2);

    const LONG samples = segments.empty() ? FitWhole(m, n - 1) : FitSegments(m, n - 1, segments);
    if (!m_pAbove || !m_pBelow)
        return samples;
    LONG order = std::min<LONG>(samples / 2, 5);
    for (; order >= 0; --order) {
        const bool above = m_pAbove->Fit(order);
        const bool below = m_pBelow->Fit(order);
        if (above && below)
            break;
    }
    return samples;
}

LONG CMassAxisModel::FitWhole(const double* m, LONG n)
{
    const LONG capacity = std::min<LONG>(n, 1000);
    m_pAbove = std::make_unique<CPolynomialFit>(capacity < 0 ? 0 : capacity);
    m_pBelow = std::make_unique<CPolynomialFit>(capacity < 0 ? 0 : capacity);
    // One point has no spacing to sample (and no mean spacing to divide).
    if (n < 1 || !m)
        return 0;

    double minimum = (m[n] - m[0]) / n;
    const LONG step = (n + 999) / 1000;
    LONG samples = 0;
    // The last spacing of the axis is never sampled.
    for (LONG j = 1; j - 1 < n - 1; j += step) {
        const double e = m[j] - m[j - 1];
        m_pAbove->Add(m[j - 1], e);
        m_pBelow->Add(m[j], e);
        ++samples;
        // A spacing below both neighbours is noise; the first spacing has
        // only its upper neighbour to compare with.
        const double next = m[j + 1] - m[j];
        const bool belowBoth = j >= 2 ? (e < m[j - 1] - m[j - 2] && e < next) : e < next;
        if (e < minimum && !belowBoth)
            minimum = e;
    }
    m_dMinSpacing = std::max(minimum / 2, kMinimumSpacing);
    return samples;
}

LONG CMassAxisModel::FitSegments(const double* m, LONG n, const std::vector<std::pair<LONG, LONG>>& segments)
{
    LONG total = 0;
    for (const auto& s : segments)
        total += s.second - s.first + 1;
    const LONG step = std::max<LONG>((total + 999) / 1000, 3);
    const LONG capacity = std::min<LONG>(total, 1000);
    m_pAbove = std::make_unique<CPolynomialFit>(capacity < 0 ? 0 : capacity);
    m_pBelow = std::make_unique<CPolynomialFit>(capacity < 0 ? 0 : capacity);
    if (n < 1 || !m)
        return 0;

    double minimum = (m[n] - m[0]) / n;
    LONG samples = 0;
    auto sample = [&](LONG left, double e) {
        m_pAbove->Add(m[left], e);
        m_pBelow->Add(m[left + 1], e);
        ++samples;
        if (e < minimum)
            minimum = e;
    };
    for (const auto& s : segments) {
        const LONG first = s.first;
        const LONG last = s.second;
        if (last - first == 2) {
            const double e1 = m[first + 1] - m[first];
            const double e2 = m[first + 2] - m[first + 1];
            if (e2 > e1)
                sample(first + 1, e2);
            else
                sample(first, e1);
        } else if (last - first >= 3) {
            for (LONG p = first; p + 3 <= last; p += step) {
                const double e[3] = {m[p + 1] - m[p], m[p + 2] - m[p + 1], m[p + 3] - m[p + 2]};
                double sorted[3] = {e[0], e[1], e[2]};
                std::sort(sorted, sorted + 3);
                // The median; among equal spacings the first one.
                int q = 0;
                while (q < 2 && e[q] != sorted[1])
                    ++q;
                sample(p + q, e[q]);
            }
        }
    }
    m_dMinSpacing = std::max(minimum / 2, kMinimumSpacing);
    return samples;
}
