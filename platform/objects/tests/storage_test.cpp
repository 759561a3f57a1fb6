#include "kscomptr.h"
#include "ksobject.h"
#include "ksstorage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// A read-only memory stream: enough of IStream to read a "Text" stream
// the way the raw-file reader does (length by seeking to the end).
class CMemoryStream : public ks::Object<IStream> {
public:
    std::string bytes;
    ULONGLONG pos = 0;

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        ULONGLONG n = std::min<ULONGLONG>(cb, bytes.size() - std::min<ULONGLONG>(pos, bytes.size()));
        std::memcpy(pv, bytes.data() + pos, size_t(n));
        pos += n;
        if (pcbRead)
            *pcbRead = static_cast<ULONG>(n);
        return n == cb ? S_OK : S_FALSE;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override
    {
        LONGLONG base = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? LONGLONG(pos) : LONGLONG(bytes.size());
        LONGLONG target = base + move.QuadPart;
        if (origin > STREAM_SEEK_END)
            return STG_E_INVALIDFUNCTION;
        if (target < 0)
            return STG_E_SEEKERROR;
        pos = ULONGLONG(target);
        if (newPos)
            newPos->QuadPart = pos;
        return S_OK;
    }
    HRESULT SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT Stat(STATSTG* st, DWORD) override
    {
        *st = STATSTG{};
        st->type = STGTY_STREAM;
        st->cbSize.QuadPart = bytes.size();
        return S_OK;
    }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }
};

}  // namespace

TEST(Storage, StreamDeclarationsServeTheReadersPattern)
{
    CMemoryStream* raw = nullptr;
    ASSERT_EQ(ks::createObject(&raw), S_OK);
    raw->bytes = "method text";
    ks::ComPtr<IStream> stream;
    ASSERT_EQ(stream.queryFrom(raw->GetUnknown()), S_OK);
    ks::ComPtr<ISequentialStream> seq;  // the base interface answers too
    ASSERT_EQ(stream.queryInterface(seq), S_OK);

    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_END, &end), S_OK);
    EXPECT_EQ(end.QuadPart, 11u);
    ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    char buf[16] = {};
    ULONG read = 0;
    EXPECT_EQ(seq->Read(buf, 16, &read), S_FALSE);
    EXPECT_EQ(read, 11u);
    EXPECT_STREQ(buf, "method text");
    EXPECT_EQ(KS_IID(IStorage).Data1, 0x0000000Bu);
}
