// The writers as late-bound callers see them: every member by name and
// DISPID, and whole files written through Invoke with records and buffers
// as byte arrays, read back; arrays that are short, of the wrong size or no
// arrays at all.
#include "writertest.h"

#include <functional>
#include <initializer_list>

using namespace writertest;

namespace {

const wchar_t* const kMSMembers[] = {
    L"Create", L"Close", L"GetFileName", L"IsError", L"ErrorCode", L"IsValid", L"WriteInstID",
    L"WriteRunHeaderInfo", L"WriteInstData", L"SetTrailerHeaderNumFields", L"SetTrailerHeaderField",
    L"WriteTrailerHeader", L"SetStatusLogHeaderNumFields", L"SetStatusLogHeaderField", L"WriteStatusLogHeader",
    L"SetTuneDataHeaderNumFields", L"SetTuneDataHeaderField", L"WriteTuneDataHeader", L"WriteTuneData",
    L"WriteStatusLog", L"WriteTrailer", L"InitializeScanEvent", L"InitMethodScanEvents", L"SetMethodScanEvent",
    L"WriteMethodScanEvents", L"WriteScanIndex", L"WriteInstData2", L"InitializeScanIndex", L"WriteScanIndex2",
};
const wchar_t* const kUVMembers[] = {
    L"Create", L"Close", L"GetFileName", L"IsError", L"ErrorCode", L"IsValid", L"WriteErrorLog", L"WriteInstID",
    L"WriteRunHeaderInfo", L"WriteInstData", L"WriteScanIndex",
};

// One argument of a late-bound call, owned.
struct Arg {
    VARIANT v;
    Arg() { VariantInit(&v); }
    Arg(LONG n) : Arg() { v.vt = VT_I4, v.lVal = n; }
    Arg(double d) : Arg() { v.vt = VT_R8, v.dblVal = d; }
    Arg(const wchar_t* s) : Arg() { v.vt = VT_BSTR, v.bstrVal = SysAllocString(s); }
    Arg(const std::vector<uint8_t>& bytes) : Arg()
    {
        v.vt = VT_ARRAY | VT_UI1;
        v.parray = SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.size()));
        void* p = nullptr;
        SafeArrayAccessData(v.parray, &p);
        if (!bytes.empty())
            std::memcpy(p, bytes.data(), bytes.size());
        SafeArrayUnaccessData(v.parray);
    }
    static Arg byRef(VARIANT* target)
    {
        Arg a;
        a.v.vt = VT_BYREF | VT_VARIANT;
        a.v.pvarVal = target;
        return a;
    }
    ~Arg() { VariantClear(&v); }
    Arg(Arg&& o) noexcept : v(o.v) { VariantInit(&o.v); }
    Arg(const Arg&) = delete;
};

template <class T>
std::vector<uint8_t> bytesOf(const T& record)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return std::vector<uint8_t>(p, p + sizeof record);
}

class LateBound : public WriterTest {
protected:
    // Calls a member by name; the member's own failure comes back as its
    // code (the scode of DISP_E_EXCEPTION).
    HRESULT call(IDispatch* d, const wchar_t* name, std::vector<Arg> args, VARIANT* result = nullptr,
                 WORD flags = DISPATCH_METHOD)
    {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << narrow(name);
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            reversed.push_back(it->v);
        DISPPARAMS params{reversed.data(), nullptr, UINT(reversed.size()), 0};
        EXCEPINFO info{};
        UINT argErr = 0;
        const HRESULT hr = d->Invoke(id, IID_NULL, 0, flags, &params, result, &info, &argErr);
        return hr == DISP_E_EXCEPTION ? info.scode : hr;
    }
    LONG property(IDispatch* d, const wchar_t* name, HRESULT expected = S_OK)
    {
        Var out;
        EXPECT_EQ(call(d, name, {}, &out.v, DISPATCH_PROPERTYGET), expected) << narrow(name);
        return out.v.vt == VT_I4 ? out.v.lVal : -1;
    }
};

std::vector<Arg> args(std::initializer_list<std::function<Arg()>> makers)
{
    std::vector<Arg> out;
    for (const auto& m : makers)
        out.push_back(m());
    return out;
}

TEST_F(LateBound, EveryMemberIsReachedByNameInDispidOrder)
{
    ks::ComPtr<IZylVirMS> ms = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
    ks::ComPtr<IZylVirUV> uv = createByProgId<IZylVirUV>(L"Ombrel2.ZylVirUV");
    const std::pair<IDispatch*, std::vector<const wchar_t*>> tables[] = {
        {ms.get(), {std::begin(kMSMembers), std::end(kMSMembers)}},
        {uv.get(), {std::begin(kUVMembers), std::end(kUVMembers)}},
    };
    for (const auto& [d, members] : tables) {
        for (size_t i = 0; i < members.size(); ++i) {
            LPOLESTR names[] = {const_cast<LPOLESTR>(members[i])};
            DISPID id = DISPID_UNKNOWN;
            EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << narrow(members[i]);
            EXPECT_EQ(id, DISPID(i + 1)) << narrow(members[i]);
        }
    }
    EXPECT_EQ(std::size(kMSMembers), 29u);
    // The IDispatch of each object is its writer interface.
    EXPECT_EQ(property(ms.get(), L"IsValid"), 0);
    EXPECT_EQ(property(ms.get(), L"IsError", KSRAW_E_MS_NOWRITER), -1);
    EXPECT_EQ(property(uv.get(), L"ErrorCode", KSRAW_E_UV_NOWRITER), -1);
}

// A writer without a file answers its "no writer" code before it looks at
// its arguments: a number where a byte array belongs is not reached.
TEST_F(LateBound, NoFileIsAnsweredBeforeTheByteArrays)
{
    ks::ComPtr<IZylVirMS> ms = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
    ks::ComPtr<IZylVirUV> uv = createByProgId<IZylVirUV>(L"Ombrel2.ZylVirUV");
    const auto notBytes = [] { return Arg(LONG(7)); };
    const auto number = [] { return Arg(LONG(1)); };
    const struct Row {
        IDispatch* writer;
        const wchar_t* member;
        std::vector<std::function<Arg()>> args;
        HRESULT noWriter;
    } rows[] = {
        {ms.get(), L"WriteInstData", {notBytes, number, number}, KSRAW_E_MS_NOWRITER},
        {ms.get(), L"WriteTuneData", {notBytes}, KSRAW_E_MS_NOWRITER},
        {ms.get(), L"WriteStatusLog", {[] { return Arg(0.5); }, notBytes}, KSRAW_E_MS_NOWRITER},
        {ms.get(), L"WriteTrailer", {notBytes}, KSRAW_E_MS_NOWRITER},
        {ms.get(), L"WriteScanIndex", {notBytes, notBytes}, KSRAW_E_MS_NOWRITER},
        {ms.get(), L"WriteInstData2", {number, notBytes}, KSRAW_E_MS_NOWRITER},
        {ms.get(), L"WriteScanIndex2", {notBytes}, KSRAW_E_MS_NOWRITER},
        {uv.get(), L"WriteInstData", {notBytes, number, number, number}, KSRAW_E_UV_NOWRITER},
        {uv.get(), L"WriteScanIndex", {notBytes}, KSRAW_E_UV_NOWRITER},
    };
    for (const Row& row : rows) {
        std::vector<Arg> given;
        for (const auto& make : row.args)
            given.push_back(make());
        EXPECT_EQ(call(row.writer, row.member, std::move(given)), row.noWriter) << narrow(row.member);
    }
}

TEST_F(LateBound, AnMSFileWrittenWithByteArraysReadsBack)
{
    ks::ComPtr<IZylVirMS> w = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
    IDispatch* d = w.get();
    const std::wstring file = wpath("late.raw");
    ASSERT_EQ(call(d, L"Create", args({[&] { return Arg(file.c_str()); }})), S_OK);
    EXPECT_EQ(property(d, L"IsValid"), 1);
    EXPECT_EQ(property(d, L"IsError"), 0);
    ASSERT_EQ(call(d, L"WriteInstID", args({[] { return Arg(L"Script MS"); }, [] { return Arg(); },
                                             [] { return Arg(); }, [] { return Arg(L"1.0"); }, [] { return Arg(); }})),
              S_OK);
    ASSERT_EQ(call(d, L"SetTrailerHeaderNumFields", args({[] { return Arg(LONG(1)); }})), S_OK);
    ASSERT_EQ(call(d, L"SetTrailerHeaderField", args({[] { return Arg(LONG(0)); }, [] { return Arg(L"Scan Event:"); },
                                                       [] { return Arg(LONG(MS_DataTypes_LONG)); },
                                                       [] { return Arg(LONG(0)); }})),
              S_OK);
    ASSERT_EQ(call(d, L"WriteTrailerHeader", {}), S_OK);

    // A method event from the defaults InitializeScanEvent puts into an
    // empty VARIANT, then changed byte by byte.
    Var event;
    ASSERT_EQ(call(d, L"InitializeScanEvent", args({[&] { return Arg::byRef(&event.v); }})), S_OK);
    ASSERT_EQ(event.v.vt, VT_ARRAY | VT_UI1);
    ASSERT_EQ(event.v.parray->rgsabound[0].cElements, sizeof(MS_ScanEvent));
    MS_ScanEvent e;
    void* p = nullptr;
    ASSERT_EQ(SafeArrayAccessData(event.v.parray, &p), S_OK);
    std::memcpy(&e, p, sizeof e);
    EXPECT_EQ(e.bIsValid, 1);
    EXPECT_EQ(e.nlScanTypeIndex, -1);
    e.ePolarity = MS_Positive;
    e.eScanData = MS_Profile;
    e.eIonizationMode = MS_Electrospray;
    std::memcpy(p, &e, sizeof e);
    SafeArrayUnaccessData(event.v.parray);
    // Filled again in place: the changes go, the array stays.
    SAFEARRAY* same = event.v.parray;
    ASSERT_EQ(call(d, L"InitializeScanEvent", args({[&] { return Arg::byRef(&event.v); }})), S_OK);
    EXPECT_EQ(event.v.parray, same);
    const std::vector<uint8_t> eventBytes = bytesOf(e);

    ASSERT_EQ(call(d, L"InitMethodScanEvents", {}), S_OK);
    ASSERT_EQ(call(d, L"SetMethodScanEvent", args({[] { return Arg(LONG(1)); }, [] { return Arg(LONG(1)); },
                                                    [&] { return Arg(eventBytes); }})),
              S_OK);
    ASSERT_EQ(call(d, L"WriteMethodScanEvents", {}), S_OK);

    // Scan 1: peaks, an index naming the method event, a trailer record.
    const MS_DataPeak peaks[] = {{10.0, 100.5, 0.0f, 0}, {20.0, 101.5, 0.0f, 0}};
    std::vector<uint8_t> peakBytes = bytesOf(peaks);
    ASSERT_EQ(call(d, L"InitializeScanIndex", args({[] { return Arg(LONG(0)); },
                                                     [] { return Arg(LONG(MS_PacketTypes_PROF_SP_TYPE)); }})),
              S_OK);
    EXPECT_EQ(call(d, L"WriteInstData2", args({[] { return Arg(LONG(3)); }, [&] { return Arg(peakBytes); }})),
              E_INVALIDARG);
    ASSERT_EQ(call(d, L"WriteInstData2", args({[] { return Arg(LONG(2)); }, [&] { return Arg(peakBytes); }})), S_OK);
    MS_ScanIndex i1 = scanIndex(0.25, LONG(1) << 16 | 1, 30.0, 100.0, 102.0, 1, MS_PacketTypes_PROF_SP_TYPE);
    std::vector<uint8_t> indexBytes = bytesOf(i1);
    std::vector<uint8_t> shortIndex(indexBytes.begin(), indexBytes.end() - 1);
    EXPECT_EQ(call(d, L"WriteScanIndex2", args({[&] { return Arg(shortIndex); }})), E_INVALIDARG);
    ASSERT_EQ(call(d, L"WriteScanIndex2", args({[&] { return Arg(indexBytes); }})), S_OK);
    Bytes trailer;
    trailer.i32(1);
    std::vector<uint8_t> shortTrailer = {1, 0, 0};
    EXPECT_EQ(call(d, L"WriteTrailer", args({[&] { return Arg(shortTrailer); }})), E_INVALIDARG);
    EXPECT_EQ(call(d, L"WriteTrailer", args({[] { return Arg(LONG(1)); }})), E_INVALIDARG);
    EXPECT_EQ(call(d, L"WriteTrailer", args({[] { return Arg(); }})), E_POINTER);
    ASSERT_EQ(call(d, L"WriteTrailer", args({[&] { return Arg(trailer.vec()); }})), S_OK);

    // Scan 2: raw packets and an index with its own event.
    Bytes packet = packetBytes(199.0, 201.0, {{200.0, 7.0}});
    EXPECT_EQ(call(d, L"WriteInstData", args({[&] { return Arg(packet.vec()); }, [&] { return Arg(packet.size() + 1); },
                                               [] { return Arg(LONG(MS_PacketTypes_LR_SP_TYPE)); }})),
              E_INVALIDARG);
    ASSERT_EQ(call(d, L"WriteInstData", args({[&] { return Arg(packet.vec()); }, [&] { return Arg(packet.size()); },
                                               [] { return Arg(LONG(MS_PacketTypes_LR_SP_TYPE)); }})),
              S_OK);
    MS_ScanIndex i2 = scanIndex(0.5, 0, 7.0, 199.0, 201.0, 2);
    std::vector<uint8_t> index2 = bytesOf(i2);
    std::vector<uint8_t> shortEvent(eventBytes.begin(), eventBytes.begin() + 100);
    EXPECT_EQ(call(d, L"WriteScanIndex", args({[&] { return Arg(index2); }, [&] { return Arg(shortEvent); }})),
              E_INVALIDARG);
    ASSERT_EQ(call(d, L"WriteScanIndex", args({[&] { return Arg(index2); }, [&] { return Arg(eventBytes); }})),
              S_OK);
    ASSERT_EQ(call(d, L"WriteTrailer", args({[&] { return Arg(trailer.vec()); }})), S_OK);
    ASSERT_EQ(call(d, L"Close", {}), S_OK);
    EXPECT_EQ(call(d, L"Close", {}), KSRAW_E_MS_NOWRITER);

    ASSERT_EQ(open(path("late.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelMS, 1), kOmbrelDone);
    LONG n = -1;
    EXPECT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstName(b); }), L"Script MS");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetInstSoftwareVersion(b); }), L"1.0");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetFilterForScanNum(1, b); }), L"+ p ESI Full ms");
    EXPECT_EQ(readText([&](BSTR* b) { return reader->GetFilterForScanNum(2, b); }), L"+ p ESI Full ms");
    Var list;
    LONG s = 1, size = 0;
    double width = 0;
    ASSERT_EQ(reader->GetMassListFromScanNum(&s, nullptr, 0, 0, 0, 0, &width, &list.v, nullptr, &size), kOmbrelDone);
    EXPECT_EQ(pairsOf(list.v, size), (Points{{100.5, 10.0}, {101.5, 20.0}}));
    EXPECT_EQ(reader->GetNumTrailerExtra(&n), kOmbrelDone);
    EXPECT_EQ(n, 2);
}

TEST_F(LateBound, InitializeScanEventFillsAByteArrayOfEitherKindInPlace)
{
    ks::ComPtr<IZylVirMS> w = createByProgId<IZylVirMS>(L"Ombrel2.ZylVirMS");
    struct Case {
        VARTYPE element;
        bool byRef;
        ULONG count;
        HRESULT hr;
    };
    const Case cases[] = {
        {VT_UI1, false, sizeof(MS_ScanEvent), S_OK},
        {VT_I1, false, sizeof(MS_ScanEvent), S_OK},
        {VT_UI1, true, sizeof(MS_ScanEvent), S_OK},
        {VT_I1, true, sizeof(MS_ScanEvent), S_OK},
        {VT_UI1, false, sizeof(MS_ScanEvent) - 1, E_INVALIDARG},
        {VT_I1, true, sizeof(MS_ScanEvent) + 1, E_INVALIDARG},
        {VT_I4, false, sizeof(MS_ScanEvent) / 4, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "element " << c.element << " byRef " << c.byRef << " count " << c.count);
        SAFEARRAY* array = SafeArrayCreateVector(c.element, 0, c.count);
        ASSERT_NE(array, nullptr);
        void* p = nullptr;
        ASSERT_EQ(SafeArrayAccessData(array, &p), S_OK);
        std::memset(p, 0xAB, c.count * SafeArrayGetElemsize(array));
        SafeArrayUnaccessData(array);
        Var holder;  // owns a by-value array; a by-reference one is ours
        if (c.byRef) {
            holder.v.vt = VT_BYREF | VT_ARRAY | c.element;
            holder.v.pparray = &array;
        } else {
            holder.v.vt = VT_ARRAY | c.element;
            holder.v.parray = array;
        }
        EXPECT_EQ(call(w.get(), L"InitializeScanEvent", args({[&] { return Arg::byRef(&holder.v); }})), c.hr);
        if (c.hr == S_OK) {
            MS_ScanEvent e;
            ASSERT_EQ(SafeArrayAccessData(array, &p), S_OK);
            std::memcpy(&e, p, sizeof e);
            SafeArrayUnaccessData(array);
            EXPECT_EQ(e.bIsValid, 1);
            EXPECT_EQ(e.eIonizationMode, MS_AcceptAnyIonizationMode);
            EXPECT_EQ(e.nNumMassRanges, 0);
            // The value arrays keep what the caller's array held.
            const auto* kept = reinterpret_cast<const uint8_t*>(&e.arrMassRanges[0]);
            EXPECT_EQ(kept[0], 0xAB);
        }
        if (c.byRef)
            SafeArrayDestroy(array);
    }
}

TEST_F(LateBound, AUVFileWrittenWithByteArraysReadsBack)
{
    ks::ComPtr<IZylVirUV> w = createByProgId<IZylVirUV>(L"Ombrel2.ZylVirUV");
    IDispatch* d = w.get();
    const std::wstring file = wpath("late-uv.raw");
    ASSERT_EQ(call(d, L"Create", args({[&] { return Arg(file.c_str()); }})), S_OK);
    Var name;
    ASSERT_EQ(call(d, L"GetFileName", args({[&] { return Arg::byRef(&name.v); }})), S_OK);
    EXPECT_EQ(name.v.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(name.v.bstrVal), file);
    ASSERT_EQ(call(d, L"WriteErrorLog", args({[] { return Arg(0.5); }, [] { return Arg(L"late error"); }})), S_OK);
    Bytes readings;
    readings.f64(1.5).f64(2.5);
    MS_UVScanIndex index{MS_PacketTypes_CHANNEL_UV_TYPE, 2, 0.1, 4.0};
    std::vector<uint8_t> indexBytes = bytesOf(index);
    EXPECT_EQ(call(d, L"WriteInstData", args({[&] { return Arg(readings.vec()); }, [] { return Arg(LONG(24)); },
                                               [] { return Arg(LONG(MS_PacketTypes_CHANNEL_UV_TYPE)); },
                                               [] { return Arg(LONG(3)); }})),
              E_INVALIDARG);  // more than the array holds
    ASSERT_EQ(call(d, L"WriteInstData", args({[&] { return Arg(readings.vec()); }, [] { return Arg(LONG(16)); },
                                               [] { return Arg(LONG(MS_PacketTypes_CHANNEL_UV_TYPE)); },
                                               [] { return Arg(LONG(2)); }})),
              S_OK);
    EXPECT_EQ(call(d, L"WriteScanIndex", args({[] { return Arg(std::vector<uint8_t>(56)); }})), E_INVALIDARG);
    ASSERT_EQ(call(d, L"WriteScanIndex", args({[&] { return Arg(indexBytes); }})), S_OK);
    ASSERT_EQ(call(d, L"Close", {}), S_OK);

    ASSERT_EQ(open(path("late-uv.raw")), kOmbrelDone);
    ASSERT_EQ(reader->SetCurrentController(kOmbrelUV, 1), kOmbrelDone);
    LONG n = -1;
    EXPECT_EQ(reader->GetNumSpectra(&n), kOmbrelDone);
    EXPECT_EQ(n, 1);
    double t = 0;
    Text message;
    EXPECT_EQ(reader->GetErrorLogItem(0, &t, &message.b), kOmbrelDone);
    EXPECT_EQ(message.str(), L"late error");
}

}  // namespace
