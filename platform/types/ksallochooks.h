// Internal: the allocation-failure counters behind the test hooks.
#pragma once

namespace ks::detail {
bool failBstrAllocation();
bool failSafeArrayAllocation();
bool failConnectionGrowth();
}  // namespace ks::detail
