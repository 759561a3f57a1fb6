// The verification score: a record the host fills and runs repeatedly.
#pragma once

#include "hostobjects.h"
#include "resultcode.h"

#include <cstdint>

namespace yarbex {
class cVqNmrVerification;
}

// What the host reads and writes; pointer-sized where the original kept
// addresses in 32-bit words.
struct VerificationRecord {
    uint32_t mode;                       // 0: 0 nothing, 1 equal sub-regions, 2 given boundaries
    uint32_t flags;                      // 1: 0x800 weights, 0x1000 every pair
    uint32_t word2;                      // 2
    const double* params;                // 3
    uint32_t word4;                      // 4
    IHostSpectraStack* stack;            // 5
    uint32_t words6to9[4];               // 6 .. 9
    uint32_t* counts;                    // 10: three counts, one per mode
    double** results;                    // 11: three buffers, one per mode
    uint32_t word12;                     // 12: 256
    uint32_t word13;                     // 13: 2
    double word14;                       // 14, 15: 1.0
    uint32_t word16;                     // 16: 0
    uint32_t word17;                     // 17
    double word18;                       // 18, 19: 0
    double word20;                       // 20, 21: 0
    yarbex::cVqNmrVerification* owner;   // 22
    uint32_t word23;                     // 23
    uint32_t argument;                   // 24
    uint32_t capacity;                   // 25: 1000
};

namespace yarbex {

class cVqScoringSystem {
public:
    explicit cVqScoringSystem(uint32_t value) : field(value) {}
    virtual ~cVqScoringSystem() = default;

    uint32_t field;
};

class cVqNmrVerification : public cVqScoringSystem {
public:
    enum : uint32_t { Capacity = 1000, Modes = 3 };

    explicit cVqNmrVerification(uint32_t argument);
    ~cVqNmrVerification() override;
    cVqNmrVerification(const cVqNmrVerification&) = delete;
    cVqNmrVerification& operator=(const cVqNmrVerification&) = delete;

    // Whether construction completed (both arrays made).
    bool valid() const { return record.counts && record.results; }
    uint32_t run();

    VerificationRecord record;
};

}  // namespace yarbex
