#include "polynomialfit.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

CPolynomialFit::CPolynomialFit(LONG capacity)
    : m_dXOffset(0), m_dYOffset(0), m_nCapacity(capacity < 0 ? 0 : capacity), m_nStride(1), m_nAdded(0)
{
    if (m_nCapacity > 0) {
        m_X.reserve(static_cast<size_t>(m_nCapacity) + 1);
        m_Y.reserve(static_cast<size_t>(m_nCapacity) + 1);
    }
}

void CPolynomialFit::Add(double x, double y)
{
    const bool first = m_X.empty() && m_nAdded == 0;
    if (first || x < m_dXOffset)
        m_dXOffset = x;
    if (first || y < m_dYOffset)
        m_dYOffset = y;

    if (m_nCapacity == 0) {
        m_X.push_back(x);
        m_Y.push_back(y);
        return;
    }
    const LONG before = m_nAdded++;
    if (before % m_nStride != 0)
        return;
    m_X.push_back(x);
    m_Y.push_back(y);
    if (static_cast<LONG>(m_X.size()) > m_nCapacity) {
        size_t kept = 0;
        for (size_t i = 0; i < m_X.size(); i += 2, ++kept) {
            m_X[kept] = m_X[i];
            m_Y[kept] = m_Y[i];
        }
        m_X.resize(kept);
        m_Y.resize(kept);
        m_nStride *= 2;
    }
}

bool CPolynomialFit::Fit(LONG order)
{
    m_Coefficients.clear();
    if (order < 0 || static_cast<LONG>(m_X.size()) < order + 1)
        return false;
    const int size = static_cast<int>(order) + 1;

    // Normal equations in coordinates shifted by the offsets.
    std::vector<double> powerSums(static_cast<size_t>(2 * order + 1), 0.0);
    std::vector<double> rhs(static_cast<size_t>(size), 0.0);
    for (size_t i = 0; i < m_X.size(); ++i) {
        const double x = m_X[i] - m_dXOffset;
        const double y = m_Y[i] - m_dYOffset;
        double p = 1.0;
        for (size_t k = 0; k < powerSums.size(); ++k) {
            powerSums[k] += p;
            if (k < rhs.size())
                rhs[k] += y * p;
            p *= x;
        }
    }
    std::vector<double> matrix(static_cast<size_t>(size * size));
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size; ++c)
            matrix[static_cast<size_t>(r * size + c)] = powerSums[static_cast<size_t>(r + c)];

    std::vector<int> perm(static_cast<size_t>(size));
    double parity = 1.0;
    LUDecomposition(matrix.data(), size, perm.data(), &parity);
    LUBackSubstitution(matrix.data(), size, perm.data(), rhs.data());
    m_Coefficients = rhs;
    return true;
}

double CPolynomialFit::Evaluate(double x) const
{
    if (m_Coefficients.empty())
        return 0.0;
    const double t = x - m_dXOffset;
    double value = 0.0;
    for (size_t k = m_Coefficients.size(); k-- > 0;)
        value = value * t + m_Coefficients[k];
    return m_dYOffset + value;
}

void LUDecomposition(double* a, int n, int* perm, double* parity)
{
    constexpr double kTiny = 1e-300;
    std::vector<double> scale(static_cast<size_t>(n));
    auto at = [a, n](int r, int c) -> double& { return a[r * n + c]; };

    *parity = 1.0;
    for (int i = 0; i < n; ++i) {
        double big = 0.0;
        for (int j = 0; j < n; ++j)
            big = std::fmax(big, std::fabs(at(i, j)));
        if (big == 0.0) {
            std::fputs("Singular matrix in routine LUDecomposition", stdout);
            std::fflush(stdout);
            scale[static_cast<size_t>(i)] = std::numeric_limits<double>::infinity();
        } else {
            scale[static_cast<size_t>(i)] = 1.0 / big;
        }
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < j; ++i) {
            double sum = at(i, j);
            for (int k = 0; k < i; ++k)
                sum -= at(i, k) * at(k, j);
            at(i, j) = sum;
        }
        double big = 0.0;
        int imax = j;  // stays on the diagonal when no scaled value compares
        for (int i = j; i < n; ++i) {
            double sum = at(i, j);
            for (int k = 0; k < j; ++k)
                sum -= at(i, k) * at(k, j);
            at(i, j) = sum;
            const double dum = scale[static_cast<size_t>(i)] * std::fabs(sum);
            if (dum >= big) {
                big = dum;
                imax = i;
            }
        }
        if (j != imax) {
            for (int k = 0; k < n; ++k)
                std::swap(at(imax, k), at(j, k));
            *parity = -*parity;
            scale[static_cast<size_t>(imax)] = scale[static_cast<size_t>(j)];
        }
        perm[j] = imax;
        if (at(j, j) == 0.0)
            at(j, j) = kTiny;
        if (j != n - 1) {
            const double dum = 1.0 / at(j, j);
            for (int i = j + 1; i < n; ++i)
                at(i, j) *= dum;
        }
    }
}

void LUBackSubstitution(const double* a, int n, const int* perm, double* b)
{
    auto at = [a, n](int r, int c) { return a[r * n + c]; };
    int first = -1;  // first non-zero entry of the right side
    for (int i = 0; i < n; ++i) {
        const int ip = perm[i];
        double sum = b[ip];
        b[ip] = b[i];
        if (first >= 0) {
            for (int j = first; j < i; ++j)
                sum -= at(i, j) * b[j];
        } else if (sum != 0.0) {
            first = i;
        }
        b[i] = sum;
    }
    for (int i = n - 1; i >= 0; --i) {
        double sum = b[i];
        for (int j = i + 1; j < n; ++j)
            sum -= at(i, j) * b[j];
        b[i] = sum / at(i, i);
    }
}
