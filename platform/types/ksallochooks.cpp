#include "ksallochooks.h"
#include "ksbstr.h"

#include <atomic>

namespace {
std::atomic<int> g_failBstr{0};
std::atomic<int> g_failArray{0};
std::atomic<int> g_failGrowth{0};

bool take(std::atomic<int>& counter)
{
    int n = counter.load();
    while (n > 0) {
        if (counter.compare_exchange_weak(n, n - 1))
            return true;
    }
    return false;
}
}  // namespace

namespace ks::detail {
bool failBstrAllocation() { return take(g_failBstr); }
bool failSafeArrayAllocation() { return take(g_failArray); }
bool failConnectionGrowth() { return take(g_failGrowth); }
}  // namespace ks::detail

void ksTestFailNextBstrAllocations(int n) { g_failBstr = n > 0 ? n : 0; }
void ksTestFailNextSafeArrayAllocations(int n) { g_failArray = n > 0 ? n : 0; }
void ksTestFailNextConnectionGrowths(int n) { g_failGrowth = n > 0 ? n : 0; }
