// Linked into every benchmark: says once, before the benchmark library
// prints its context, where that context's DEBUG warning comes from.
#include <cstdio>

namespace {

struct DebugWarningNote {
    DebugWarningNote()
    {
        std::fputs("note: the \"Library was built as DEBUG\" warning below comes from the system's "
                   "benchmark library (Debian builds libbenchmark without NDEBUG), not from this "
                   "build: the code measured here is compiled Release (-O3, no sanitizers), and the "
                   "timing loop is inlined into it.\n",
                   stderr);
    }
};

const DebugWarningNote note;

}  // namespace
