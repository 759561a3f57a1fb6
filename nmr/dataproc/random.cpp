// Minimal standard generator with a shuffle table, and polar-method
// Gaussian deviates. The runtime's rand() provides the start value and is
// never seeded here, so an unseeded process always gets the same sequence.
#include "numeric.h"

#include <cmath>
#include <cstdlib>

namespace yarbex {

namespace {

constexpr int32_t kMultiplier = 16807;
constexpr int32_t kModulus = 2147483647;
constexpr int32_t kQuotient = 127773;  // modulus / multiplier
constexpr int32_t kRemainder = 2836;   // modulus % multiplier
constexpr int kTableSize = 32;
constexpr int32_t kDivisor = 1 + (kModulus - 1) / kTableSize;

struct UniformState {
    bool initialised = false;
    int32_t value = 0;
    int32_t last = 0;
    int32_t table[kTableSize] = {};
} g_uniform;

struct GaussianState {
    bool initialised = false;
    bool cached = false;
    double value = 0.0;
} g_gaussian;

// value := 16807 * value mod (2^31 - 1) without overflow (Schrage).
int32_t step(int32_t v)
{
    const int32_t k = v / kQuotient;
    v = kMultiplier * (v - k * kQuotient) - kRemainder * k;
    if (v < 0)
        v += kModulus;
    return v;
}

}  // namespace

double uniformRandom()
{
    UniformState& s = g_uniform;
    if (!s.initialised) {
        s.value = std::rand() / 2 + 1;
        for (int j = kTableSize + 7; j >= 0; --j) {
            s.value = step(s.value);
            if (j < kTableSize)
                s.table[j] = s.value;
        }
        s.last = s.table[0];
        s.initialised = true;
    }
    s.value = step(s.value);
    const int j = s.last / kDivisor;
    s.last = s.table[j];
    s.table[j] = s.value;
    const double r = s.last * 4.656612875245797e-10;
    return r < 0.9999999999999997 ? r : 0.9999999999999997;
}

double gaussianRandom()
{
    GaussianState& g = g_gaussian;
    if (!g.initialised) {
        g.cached = false;
        g.initialised = true;
    }
    if (g.cached) {
        g.cached = false;
        return g.value;
    }
    double p, q, r;
    do {
        p = 2.0 * uniformRandom() - 1.0;
        q = 2.0 * uniformRandom() - 1.0;
        r = p * p + q * q;
    } while (!(r > 0.0 && r < 1.0));
    const double f = std::sqrt(-2.0 * std::log(r) / r);
    g.value = p * f;
    g.cached = true;
    return q * f;
}

double gaussian(double mean, double sigma)
{
    return mean + sigma * gaussianRandom();
}

}  // namespace yarbex
