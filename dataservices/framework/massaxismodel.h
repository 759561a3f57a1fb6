// Model of a profile spectrum's m/z axis: the spacing to the next point
// above and below as smooth functions of m/z, so that points can be placed
// beyond the ends of an axis and inside its omitted zero stretches.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "kstypes.h"
#include "massspectrum.h"
#include "polynomialfit.h"

class CMassAxisModel {
public:
    static constexpr double kMinimumSpacing = 1e-6;

    CMassAxisModel();

    // Fitted spacing at x, never below the minimum spacing.
    double SpacingAbove(double x) const;
    double SpacingBelow(double x) const;
    double GetMinimumSpacing() const { return m_dMinSpacing; }
    const CPolynomialFit* GetAboveFit() const { return m_pAbove.get(); }
    const CPolynomialFit* GetBelowFit() const { return m_pBelow.get(); }

    // Discards both fits and fits the spectrum's axis anew; answers the
    // number of spacing samples taken.
    LONG Build(const CMassSpectrum& spectrum);
    // True when the axis has a jump in its spacing (omitted zero stretches).
    static bool HasSpacingJumps(const CMassSpectrum& spectrum);

    // Samples the spacings of the whole axis m[0..n] (n = count - 1);
    // answers the number of samples. Nothing is sampled for n < 1.
    LONG FitWhole(const double* m, LONG n);
    // Samples the spacings inside the signal segments (first and last index
    // of each); answers the number of samples.
    LONG FitSegments(const double* m, LONG n, const std::vector<std::pair<LONG, LONG>>& segments);

private:
    std::unique_ptr<CPolynomialFit> m_pAbove;
    std::unique_ptr<CPolynomialFit> m_pBelow;
    double m_dMinSpacing;
};
