#include "peakcentroid.h"

namespace kscontrols {

bool detectPeaks(const std::vector<double>& mz, const std::vector<double>& intensity, std::vector<Peak>* peaks)
{
    peaks->clear();
    const size_t n = mz.size();
    if (intensity.size() != n)
        return false;
    for (size_t i = 1; i < n; ++i)
        if (!(mz[i] > mz[i - 1]))
            return false;
    for (size_t i = 0; i < n; ++i) {
        const double apex = intensity[i];
        if (!(apex > 0))
            continue;
        // Rising into the apex (the first point of a plateau) and not rising after it.
        bool left = i == 0 || intensity[i - 1] < apex;
        size_t end = i;
        while (end + 1 < n && intensity[end + 1] == apex)
            ++end;
        bool right = end + 1 == n || intensity[end + 1] < apex;
        if (!left || !right)
            continue;
        const double half = apex / 2;
        size_t lo = i, hi = end;
        while (lo > 0 && intensity[lo - 1] >= half && intensity[lo - 1] <= intensity[lo])
            --lo;
        while (hi + 1 < n && intensity[hi + 1] >= half && intensity[hi + 1] <= intensity[hi])
            ++hi;
        double sum = 0, weighted = 0;
        for (size_t k = lo; k <= hi; ++k) {
            sum += intensity[k];
            weighted += intensity[k] * mz[k];
        }
        peaks->push_back(Peak{weighted / sum, apex, lo, hi});
        i = end;
    }
    return true;
}

}  // namespace kscontrols
