// A chromatogram the mass tests share: two Gaussian peaks over a flat
// baseline, at 1.0 min (1000 high) and 3.0 min (400 high), sampled every
// 0.01 min from 0 to 3.99, which the core library's detection finds as
// two peaks.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tmassdataobj.h"

namespace tictest {

inline TKSChromatogram twoPeaks()
{
    std::vector<double> t, y;
    for (int i = 0; i < 400; ++i) {
        const double time = i * 0.01;
        t.push_back(time);
        y.push_back(10 + 1000 * std::exp(-0.5 * std::pow((time - 1.0) / 0.05, 2)) +
                    400 * std::exp(-0.5 * std::pow((time - 3.0) / 0.05, 2)));
    }
    TKSChromatogram c;
    EXPECT_TRUE(c.setPoints(std::move(t), std::move(y)));
    return c;
}

}  // namespace tictest
