// The virtual writers fed what a caller may hand them: the bytes are a
// program of member calls (make_seeds.py writes the same encoding) with
// their numbers, texts, records and buffers, run through the late-bound
// forms that know how long each buffer is. Every member answers without
// crashing; every file a writer finished (Close answered S_OK) loads
// without error, with its scans' events readable.
//
// Encoding: byte 0 chooses the writer (even MS, odd UV); then each call is
// an operation byte and its arguments; what the input lacks reads as 0.
#include "zylvirconvert.h"
#include "zylvirms.h"
#include "zylviruv.h"

#include "ksfuzz.h"
#include "kshive.h"
#include "rawfile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace rawengine;

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_pos >= m_size; }
    uint8_t u8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    template <class T>
    T value()
    {
        T v{};
        unsigned char raw[sizeof(T)] = {};
        for (size_t i = 0; i < sizeof(T); ++i)
            raw[i] = u8();
        std::memcpy(&v, raw, sizeof(T));
        return v;
    }
    // Up to 255 bytes.
    std::vector<uint8_t> blob()
    {
        std::vector<uint8_t> out(u8());
        for (uint8_t& b : out)
            b = u8();
        return out;
    }
    // A record: `base` with its first bytes (a count that follows) taken
    // from the input.
    template <class Record>
    std::vector<uint8_t> record(const Record& base)
    {
        std::vector<uint8_t> out(sizeof(Record));
        std::memcpy(out.data(), &base, sizeof(Record));
        const size_t n = value<uint16_t>() % (sizeof(Record) + 1);
        for (size_t i = 0; i < n; ++i)
            out[i] = u8();
        return out;
    }
    // Up to 15 wide characters; 0xFF as the length stands for no text.
    std::wstring text(bool* missing = nullptr)
    {
        const uint8_t n = u8();
        if (missing)
            *missing = n == 0xFF;
        std::wstring out;
        for (uint8_t i = 0; i < (n & 0x0F); ++i)
            out += wchar_t(value<uint16_t>() % 0xD800);  // no surrogates: they are no text of their own
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

struct Array {
    VARIANT v;
    explicit Array(const std::vector<uint8_t>& bytes)
    {
        VariantInit(&v);
        v.vt = VT_ARRAY | VT_UI1;
        v.parray = SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.size()));
        void* p = nullptr;
        if (v.parray && SUCCEEDED(SafeArrayAccessData(v.parray, &p))) {
            if (!bytes.empty())
                std::memcpy(p, bytes.data(), bytes.size());
            SafeArrayUnaccessData(v.parray);
        }
    }
    ~Array() { VariantClear(&v); }
};

// A finished file loads and each scan's event reads.
void checkFinished(const std::wstring& path)
{
    const CRawfile f(path);
    if (f.IsError())
        std::abort();
    for (int32_t i = 0; i < f.NumberOfVirtualControllers(); ++i) {
        const CVirtualData& c = f.Controller(i);
        if (const auto* ms = dynamic_cast<const CVirtualMS*>(&c))
            for (int32_t s = c.FirstScan(); s <= c.LastScan(); ++s)
                ms->GetScanEvent(s).GetScanEventString(2);
    }
}

LPWSTR ptr(std::wstring& s, bool missing) { return missing ? nullptr : s.data(); }

MS_ScanEvent initialEvent()
{
    MS_ScanEvent e;
    std::memset(&e, 0, sizeof e);
    zylvir::initializeScanEvent(e);
    return e;
}

void runMS(Input& in, const std::wstring& path)
{
    CZylVirMS* w = nullptr;
    if (FAILED(ks::createObject(&w)))
        return;
    w->AddRef();
    std::wstring name = path;
    w->Create(name.data());
    HRESULT (CZylVirMS::*const sizes[])(LONG) = {&CZylVirMS::SetTrailerHeaderNumFields,
                                                 &CZylVirMS::SetStatusLogHeaderNumFields,
                                                 &CZylVirMS::SetTuneDataHeaderNumFields};
    HRESULT (CZylVirMS::*const fields[])(LONG, LPWSTR, MS_DataTypes, LONG) = {
        &CZylVirMS::SetTrailerHeaderField, &CZylVirMS::SetStatusLogHeaderField, &CZylVirMS::SetTuneDataHeaderField};
    HRESULT (CZylVirMS::*const headers[])() = {&CZylVirMS::WriteTrailerHeader, &CZylVirMS::WriteStatusLogHeader,
                                               &CZylVirMS::WriteTuneDataHeader};
    while (!in.done()) {
        switch (in.u8() % 16) {
        case 0: {
            bool m[5];
            std::wstring t[5];
            for (int i = 0; i < 5; ++i)
                t[i] = in.text(&m[i]);
            w->WriteInstID(ptr(t[0], m[0]), ptr(t[1], m[1]), ptr(t[2], m[2]), ptr(t[3], m[3]), ptr(t[4], m[4]));
            break;
        }
        case 1: {
            const double runTime = in.value<double>(), resolution = in.value<double>();
            bool m1 = false, m2 = false;
            std::wstring c1 = in.text(&m1), c2 = in.text(&m2);
            w->WriteRunHeaderInfo(runTime, resolution, ptr(c1, m1), ptr(c2, m2));
            break;
        }
        case 2: {
            const Array data(in.blob());
            const LONG size = in.value<int32_t>();
            w->WriteInstDataFromArray(data.v, size, MS_PacketTypes(in.u8()));
            break;
        }
        case 3: {
            const uint8_t which = in.u8() % 3;
            (w->*sizes[which])(in.value<int16_t>());
            break;
        }
        case 4: {
            const uint8_t which = in.u8() % 3;
            const LONG index = in.value<int8_t>();
            bool missing = false;
            std::wstring label = in.text(&missing);
            const MS_DataTypes kind = MS_DataTypes(in.u8());
            (w->*fields[which])(index, ptr(label, missing), kind, in.value<int8_t>());
            break;
        }
        case 5:
            (w->*headers[in.u8() % 3])();
            break;
        case 6: {
            const uint8_t which = in.u8() % 3;
            const float time = in.value<float>();
            const Array record(in.blob());
            if (which == 0)
                w->WriteTrailerFromArray(record.v);
            else if (which == 1)
                w->WriteStatusLogFromArray(time, record.v);
            else
                w->WriteTuneDataFromArray(record.v);
            break;
        }
        case 7:
            w->InitMethodScanEvents();
            break;
        case 8: {
            const LONG segment = in.value<int32_t>(), event = in.value<int32_t>();
            const Array record(in.record(initialEvent()));
            w->SetMethodScanEventFromArray(segment, event, record.v);
            break;
        }
        case 9:
            w->WriteMethodScanEvents();
            break;
        case 10: {
            const Array index(in.record(MS_ScanIndex{}));
            const Array event(in.record(initialEvent()));
            w->WriteScanIndexFromArrays(index.v, event.v);
            break;
        }
        case 11: {
            const Array index(in.record(MS_ScanIndex{}));
            w->WriteScanIndex2FromArray(index.v);
            break;
        }
        case 12: {
            const LONG count = in.u8();
            const Array peaks(in.blob());
            w->WriteInstData2FromArray(count, peaks.v);
            break;
        }
        case 13: {
            const LONG position = in.value<int8_t>();
            w->InitializeScanIndex(position, MS_PacketTypes(in.u8()));
            break;
        }
        case 14:
            if (w->Close() == S_OK)
                checkFinished(path);
            w->Create(name.data());
            break;
        default: {
            LONG v = 0;
            BSTR b = nullptr;
            w->get_IsError(&v);
            w->get_ErrorCode(&v);
            w->get_IsValid(&v);
            if (SUCCEEDED(w->GetFileName(&b)))
                SysFreeString(b);
            break;
        }
        }
    }
    if (w->Close() == S_OK)
        checkFinished(path);
    w->Release();
}

void runUV(Input& in, const std::wstring& path)
{
    CZylVirUV* w = nullptr;
    if (FAILED(ks::createObject(&w)))
        return;
    w->AddRef();
    std::wstring name = path;
    w->Create(name.data());
    while (!in.done()) {
        switch (in.u8() % 6) {
        case 0: {
            const float time = in.value<float>();
            bool missing = false;
            std::wstring message = in.text(&missing);
            w->WriteErrorLog(time, ptr(message, missing));
            break;
        }
        case 1: {
            bool m[8];
            std::wstring t[8];
            for (int i = 0; i < 8; ++i)
                t[i] = in.text(&m[i]);
            w->WriteInstID(ptr(t[0], m[0]), ptr(t[1], m[1]), ptr(t[2], m[2]), ptr(t[3], m[3]), ptr(t[4], m[4]),
                           ptr(t[5], m[5]), ptr(t[6], m[6]), ptr(t[7], m[7]));
            break;
        }
        case 2:
            w->WriteRunHeaderInfo(in.value<double>());
            break;
        case 3: {
            const Array data(in.blob());
            const LONG size = in.value<int16_t>();
            const MS_PacketTypes type = MS_PacketTypes(in.u8());
            w->WriteInstDataFromArray(data.v, size, type, in.value<int16_t>());
            break;
        }
        case 4: {
            const Array index(in.record(MS_UVScanIndex{}));
            w->WriteScanIndexFromArray(index.v);
            break;
        }
        default:
            if (w->Close() == S_OK)
                checkFinished(path);
            w->Create(name.data());
            break;
        }
    }
    if (w->Close() == S_OK)
        checkFinished(path);
    w->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::wstring path = ks::reg::wideFromUtf8(ks::fuzz::tempDir() + "/written.raw");
    Input in(data, size);
    if (in.u8() % 2 == 0)
        runMS(in, path);
    else
        runUV(in, path);
    return 0;
}
