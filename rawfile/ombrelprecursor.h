// The steps of the precursor information, on their own for testing.
#pragma once

#include "rawfile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ombrel {

// The label window: m/z x kWindowPpm x 0.000001 x kWindowFactor on each
// side (30 ppm).
constexpr double kWindowPpm = 7.5;
constexpr double kWindowFactor = 4.0;
// Trailer mono and isolation m/z agree within kAgreement / charge.
constexpr double kAgreement = 5.0;

// The working record of one scan of the chain.
struct PrecursorRecord {
    double monoMz = 0.0;
    double isolationMz = 0.0;
    int32_t scan = 0;
    int32_t masterScan = 0;
    int32_t msOrder = 0;
    int32_t charge = 0;
    bool monoValid = false;
    bool class4Event = false;
    bool masterClass4Event = false;
};

// One level as the method hands it out (24 bytes, packed).
struct PrecursorInfo {
    double monoIsoMz;
    double isolationMz;
    int32_t chargeState;
    int32_t scanNumber;  // the master scan
};
static_assert(sizeof(PrecursorInfo) == 24 && offsetof(PrecursorInfo, chargeState) == 16 &&
                  offsetof(PrecursorInfo, scanNumber) == 20,
              "PrecursorInfo layout");

// The best label around a target among labels sorted by m/z: within the
// window, the highest score exp(-(m/z - t)^2 x 2 x ppm^2) + intensity /
// the window's largest intensity; of equal scores the first (lower m/z).
// labels.size() when the window holds none.
size_t SelectBestLabelPeak(const std::vector<rawengine::LabelPeak>& labels, double target, double ppm,
                           double widthFactor);

// z x m - (z - 1) x proton mass for z >= 1, else m.
double NeutralMassFromMz(double mz, int charge);

// A trailer item by its label (first match, case ignored) as an integer:
// 1-byte items (as unsigned with `byteUnsigned`), 2-byte ones and, with
// `fourBytes`, 4-byte ones; anything else, or no such item, is 0.
int32_t TrailerInteger(const rawengine::CGenericDataHeader& header, const rawengine::GenericRecord& record,
                       const wchar_t* label, bool byteUnsigned, bool fourBytes);
// A 4- or 8-byte real item by its label; anything else is 0.0.
double TrailerReal(const rawengine::CGenericDataHeader& header, const rawengine::GenericRecord& record,
                   const wchar_t* label);

}  // namespace ombrel
