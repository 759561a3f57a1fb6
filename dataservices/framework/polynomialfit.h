// Least-squares polynomial fit with bounded memory, solved through an LU
// decomposition of the normal equations.
#pragma once

#include <vector>

#include "kstypes.h"

class CPolynomialFit {
public:
    // Keeps at most `capacity` points (0: every point).
    explicit CPolynomialFit(LONG capacity = 0);

    // Offers a point. A bounded fit keeps every stride-th point offered and,
    // when full, thins its points to every second one and doubles the stride.
    void Add(double x, double y);
    // Fits a polynomial of the given order; false when fewer than order + 1
    // points are kept.
    bool Fit(LONG order);
    // The fitted value at x; 0 without a fit.
    double Evaluate(double x) const;

    LONG GetPointCount() const { return static_cast<LONG>(m_X.size()); }
    const std::vector<double>& GetX() const { return m_X; }
    const std::vector<double>& GetY() const { return m_Y; }
    const std::vector<double>& GetCoefficients() const { return m_Coefficients; }  // constant term first
    LONG GetStride() const { return m_nStride; }
    double GetXOffset() const { return m_dXOffset; }
    double GetYOffset() const { return m_dYOffset; }

private:
    std::vector<double> m_X;
    std::vector<double> m_Y;
    std::vector<double> m_Coefficients;
    double m_dXOffset;
    double m_dYOffset;
    LONG m_nCapacity;
    LONG m_nStride;
    LONG m_nAdded;
};

// Crout's LU decomposition with implicit scaling and partial pivoting of the
// n x n row-major matrix a, in place. perm receives the row permutation,
// parity +1 or -1. A row of zeros prints "Singular matrix in routine
// LUDecomposition" on standard output and the decomposition goes on.
void LUDecomposition(double* a, int n, int* perm, double* parity);
// Solves a x = b with the decomposition above; b is replaced by x.
void LUBackSubstitution(const double* a, int n, const int* perm, double* b);
