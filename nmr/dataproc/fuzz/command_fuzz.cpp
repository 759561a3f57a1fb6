// The command entry point as a host drives it: a processing instance made
// by module command 16, its parameter block, sizes, data kind and data
// arrays filled from the bytes (the arrays as large as the sizes say, as a
// host's own buffers are), then a sequence of instance commands, then
// command 17. Whatever the parameters, every command answers a code
// without crashing, hanging or leaking, and only within the host's arrays.
#include "dpi.h"
#include "ksfuzz.h"
#include "peak.h"
#include "yarbex.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The bytes, from the front; zeros once they run out.
class Decoder {
public:
    Decoder(const uint8_t* data, size_t size) : m_p(data), m_end(data + size) {}
    bool empty() const { return m_p == m_end; }
    uint8_t byte() { return m_p < m_end ? *m_p++ : 0; }
    template <class T>
    T raw()
    {
        T v{};
        const size_t n = std::min(sizeof(T), size_t(m_end - m_p));
        std::memcpy(&v, m_p, n);
        m_p += n;
        return v;
    }
    // A double: small integers and simple fractions from one byte (what
    // settings usually are), any bit pattern from eight.
    double number()
    {
        const uint8_t t = byte();
        if (t < 0x80)
            return double(int(t) - 32);
        if (t < 0xC0)
            return double(int(t) - 0xA0) / 16.0;
        return raw<double>();
    }
    // A data point: a small value from one byte, any float from four.
    float point()
    {
        const uint8_t t = byte();
        if (t != 0xFF)
            return float(int(t) - 100);
        return raw<float>();
    }

private:
    const uint8_t* m_p;
    const uint8_t* m_end;
};

uint32_t report(uint32_t event, void* data)
{
    // Failures are reported to the host, which shows nothing.
    if (event == NotifyBeforeReport && data)
        *static_cast<uint32_t*>(data) |= yarbex::RcReported;
    return 0;
}

const uint32_t kCommands[] = {32,  33,  49,  50,  51,  64,  65,  66,  67,  68,    69,    70,    71,   72,
                              73,  74,  75,  112, 113, 114, 115, 116, 117, 118,   119,   131,   132,  161,
                              163, 10011, 10012, 10013, 10014, 0xFFFFFFFFu, 12345};

// The most points a fuzzed instance holds: enough for every rule, small
// enough that each command stays fast.
constexpr uint32_t kMaxPoints = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ks::fuzz::quietStdio();
    static const bool initialised = [] {
        FrameInitRecord init{nullptr, 0, report, 0};
        return VqDllCommand(FrameInit, &init) == 0;
    }();
    if (!initialised)
        std::abort();

    Decoder in(data, size);
    DPI* dpi = nullptr;
    if (VqDllCommand(ModuleCreateInstance, &dpi) != 0 || !dpi)
        std::abort();

    // Shape: up to three dimensions whose product is the point count.
    const uint8_t kindByte = in.byte();
    const uint32_t kind = (kindByte & 3) == 0 ? yarbex::KindReal : (kindByte & 3) == 1 ? yarbex::KindComplex
                                                                                         : uint32_t(kindByte >> 2);
    dpi->mode = in.raw<uint32_t>();
    dpi->cache = in.raw<uint32_t>();
    const uint8_t dims = in.byte() % 4;
    uint32_t n = dims ? 1 : 0;
    for (uint8_t d = 0; d < 5; ++d) {
        uint32_t s = 0;
        if (d < dims) {
            s = in.raw<uint16_t>() % 257;
            if (s && uint64_t(n) * s > kMaxPoints)
                s = 1;
            n *= s ? s : 1;
        }
        dpi->sizes[d] = s;
    }
    DpiBlock& p = *dpi->parameters;
    p.slot[yarbex::InKind].words.first = kind;
    p.slot[yarbex::InDomain].words.second = in.byte() % 4;
    // A point count of the host's own (no larger than its arrays), or 0 to
    // have it computed from the sizes, with a dimension count.
    const uint8_t countMode = in.byte();
    p.slot[yarbex::InPoints].words.first = (countMode & 1) && n ? (in.raw<uint16_t>() % n) + 1 : 0;
    p.slot[yarbex::InPoints].words.second = countMode >> 5;
    p.slot[yarbex::InIntParams].words.first = uintptr_t(uint32_t(in.raw<int32_t>()));
    for (uint32_t k = 0; k < 3; ++k)
        p.slot[yarbex::InIntParams + k].words.second = in.raw<uint32_t>();
    // With refinement, integer parameter 0 is the number of passes over all
    // lines: the host's to choose, each pass a full refit. A host asks for
    // a few; four billion would run for days, so the decoder keeps it small.
    if (dpi->mode & ModeRefine)
        p.slot[yarbex::InIntParams].words.second %= 65;
    const uint8_t doubles = in.byte() % 61;
    for (uint32_t k = 0; k < doubles; ++k)
        p.slot[yarbex::InDoubles + k].value = in.number();

    // The data: interleaved pairs for complex data, else one value per
    // point; a separate imaginary array when the host has one.
    const size_t values = size_t(n) * (kind == yarbex::KindComplex ? 2 : 1);
    std::vector<float> real(values + 1), imag(size_t(n) + 1);
    for (size_t i = 0; i < values; ++i)
        real[i] = in.point();
    const uint8_t arrays = in.byte();
    dpi->realData = (arrays & 1) ? nullptr : real.data();
    dpi->imagData = (arrays & 2) ? imag.data() : nullptr;
    if (arrays & 2)
        for (uint32_t i = 0; i < n; ++i)
            imag[i] = in.point();

    // The line that command 163 draws.
    yarbex::_TPeak1D line{};
    line.kind = in.byte();
    line.position = in.number();
    line.width = in.number();
    line.amplitude = in.number();
    line.phase = in.number();
    line.lineShape = in.byte();
    for (double& s : line.shape)
        s = in.number();
    line.extentStart = in.raw<int16_t>();
    line.extentEnd = in.raw<int16_t>();

    for (int c = 0; c < 8 && !in.empty(); ++c) {
        const uint32_t command = kCommands[in.byte() % (sizeof kCommands / sizeof kCommands[0])];
        if (command == 163)
            p.slot[yarbex::InPeakRecord].words.first = (in.byte() & 1) ? yarbex::pointerWord(&line) : 0;
        else if (command == 0xFFFFFFFFu)
            p.slot[yarbex::InDoubles].value = double(in.raw<uint16_t>() % 10020);
        VqDllCommand(int32_t(command), dpi);
        // What a host reads back: the output floats of the points and kind
        // the work block names.
        if (dpi->realOutput) {
            const DpiBlock& w = *dpi->results;
            const size_t m = size_t(yarbex::wordCount(w.slot[yarbex::WkPoints].words.first)) *
                             (w.slot[yarbex::WkKind].words.first == yarbex::KindComplex ? 2 : 1);
            volatile float sum = 0;
            for (size_t i = 0; i < m; ++i)
                sum = sum + dpi->realOutput[i];
        }
        // A host may change its parameters between commands.
        if (in.byte() & 1)
            p.slot[yarbex::InDoubles + (in.byte() % 60)].value = in.number();
    }
    if (VqDllCommand(ModuleDestroyInstance, &dpi) != 0 || dpi)
        std::abort();
    return 0;
}
