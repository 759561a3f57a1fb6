// Fixtures of the writers' tests: the component registered into the test
// case's registry, writers created by their ProgIDs, the reader to read
// back, and the bytes callers hand the writers (scan packets, generic
// records, readings) built from the engine's documented layouts.
#pragma once

#include "ombreltest.h"
#include "zylvir.h"

#include "kscomptr.h"
#include "kswinerror.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace writertest {

using namespace ombreltest;

// A writer of the class a ProgID names; the test fails when it cannot be
// made.
template <class I>
ks::ComPtr<I> createByProgId(const wchar_t* progId)
{
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << "ProgID " << narrow(progId);
    ks::ComPtr<I> writer;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, KS_IID(I), reinterpret_cast<void**>(&writer)),
              S_OK);
    return writer;
}

// Little-endian bytes, as callers lay out their buffers.
class Bytes {
public:
    Bytes& u8(uint8_t v) { return raw(&v, 1); }
    Bytes& i16(int16_t v) { return raw(&v, 2); }
    Bytes& i32(int32_t v) { return raw(&v, 4); }
    Bytes& u32(uint32_t v) { return raw(&v, 4); }
    Bytes& f32(float v) { return raw(&v, 4); }
    Bytes& f64(double v) { return raw(&v, 8); }
    // 16-bit text in a field of `capacity` characters, zero-filled.
    Bytes& wtext(const std::wstring& s, size_t capacity)
    {
        for (size_t i = 0; i < capacity; ++i)
            i16(int16_t(i < s.size() ? s[i] : 0));
        return *this;
    }
    Bytes& raw(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        m_bytes.insert(m_bytes.end(), b, b + n);
        return *this;
    }
    unsigned char* data() { return m_bytes.data(); }
    LONG size() const { return LONG(m_bytes.size()); }
    const std::vector<uint8_t>& vec() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

using Points = std::vector<std::pair<double, double>>;  // (m/z, intensity)

// The raw form of MS scan data: one packet (low and high mass, point
// count, 0) and its 32-byte points.
inline Bytes packetBytes(double low, double high, const Points& points)
{
    Bytes b;
    b.f64(low).f64(high).u32(uint32_t(points.size())).u32(0);
    for (const auto& [mz, intensity] : points) {
        b.f64(intensity).f64(mz).f32(0.0f).i32(0).u8(0);
        for (int i = 0; i < 7; ++i)
            b.u8(0);
    }
    return b;
}

// A scan event as InitializeScanEvent leaves it, arrays zeroed.
inline MS_ScanEvent initialEvent(IZylVirMS* w)
{
    MS_ScanEvent e;
    std::memset(&e, 0, sizeof e);
    EXPECT_EQ(w->InitializeScanEvent(&e), S_OK);
    return e;
}

// An index entry; its scan number must not be 0 (an entry without a scan)
// and its packet type says how the reader takes the data.
inline MS_ScanIndex scanIndex(double startTime, LONG scanTypeIndex, double tic, double low, double high,
                              LONG scanNumber = 1, MS_PacketTypes type = MS_PacketTypes_LR_SP_TYPE)
{
    MS_ScanIndex i;
    std::memset(&i, 0, sizeof i);
    i.nScanNumber = scanNumber;
    i.nPacketType = type;
    i.nScanTypeIndex = scanTypeIndex;
    i.dStartTime = startTime;
    i.dTIC = tic;
    i.dLowMass = low;
    i.dHighMass = high;
    return i;
}

// The pairs of a 2 x n list (m/z or time, then intensity, alternating in
// memory).
inline Points pairsOf(const VARIANT& v, LONG count)
{
    Points out;
    EXPECT_EQ(v.vt, VT_ARRAY | VT_R8);
    if (v.vt != (VT_ARRAY | VT_R8))
        return out;
    double* d = nullptr;
    EXPECT_EQ(SafeArrayAccessData(v.parray, reinterpret_cast<void**>(&d)), S_OK);
    for (LONG j = 0; j < count; ++j)
        out.emplace_back(d[2 * j], d[2 * j + 1]);
    SafeArrayUnaccessData(v.parray);
    return out;
}

// A text out of the reader, or the status when it fails.
template <class F>
std::wstring readText(F&& call)
{
    Text t;
    const HRESULT hr = call(&t.b);
    return hr == kOmbrelDone ? t.str() : L"<status " + std::to_wstring(hr) + L">";
}

class WriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"Ombrel2"}));
        reader = ks::test::Create<IOmbrel3>(CLSID_Ombrel);
        ASSERT_TRUE(reader);
    }
    void TearDown() override { testhook::ClearInjectedFailures(); }

    static std::string path(const std::string& name) { return ks::test::tempDir() + "/" + name; }
    static std::wstring wpath(const std::string& name) { return wide(path(name)); }

    HRESULT open(const std::string& file)
    {
        Text name(wide(file));
        return reader->Open(name.b);
    }

    ks::ComPtr<IOmbrel3> reader;
};

}  // namespace writertest
