// The in-memory structured storage: nested storages, streams, seek, stat,
// listing and the result codes callers branch on.
#include "kscomptr.h"
#include "ksstorage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRW = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;

ks::ComPtr<IStorage> newRoot()
{
    ks::ComPtr<IStorage> root;
    EXPECT_EQ(ks::createMemoryStorage(&root), S_OK);
    return root;
}

void writeText(IStorage* stg, const wchar_t* name, const std::string& bytes)
{
    ks::ComPtr<IStream> s;
    ASSERT_EQ(stg->CreateStream(name, kRW | STGM_CREATE, 0, 0, &s), S_OK);
    ULONG written = 0;
    ASSERT_EQ(s->Write(bytes.data(), ULONG(bytes.size()), &written), S_OK);
    EXPECT_EQ(written, bytes.size());
}

std::string readAll(IStream* s)
{
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    EXPECT_EQ(s->Seek(zero, STREAM_SEEK_END, &end), S_OK);
    EXPECT_EQ(s->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    std::string out(size_t(end.QuadPart), '\0');
    ULONG read = 0;
    EXPECT_EQ(s->Read(out.data(), ULONG(out.size()), &read), S_OK);
    EXPECT_EQ(read, out.size());
    return out;
}

std::vector<std::pair<std::wstring, DWORD>> list(IStorage* stg)
{
    std::vector<std::pair<std::wstring, DWORD>> out;
    ks::ComPtr<IEnumSTATSTG> e;
    EXPECT_EQ(stg->EnumElements(0, nullptr, 0, &e), S_OK);
    STATSTG st;
    ULONG got = 0;
    while (e && e->Next(1, &st, &got) == S_OK) {
        out.emplace_back(st.pwcsName, st.type);
        std::free(st.pwcsName);
    }
    return out;
}

LARGE_INTEGER offset(LONGLONG v)
{
    LARGE_INTEGER li;
    li.QuadPart = v;
    return li;
}

}  // namespace

TEST(MemoryStorage, NestedStoragesHoldStreamsFoundWithoutRegardToCase)
{
    ks::ComPtr<IStorage> root = newRoot();
    ks::ComPtr<IStorage> methods, lc;
    ASSERT_EQ(root->CreateStorage(L"Methods", kRW, 0, 0, &methods), S_OK);
    ASSERT_EQ(methods->CreateStorage(L"LC Pump", kRW, 0, 0, &lc), S_OK);
    writeText(lc.get(), L"Text", "flow 0.3");
    lc.reset();
    methods.reset();  // the tree lives on in the root

    ks::ComPtr<IStorage> again, pump;
    ASSERT_EQ(root->OpenStorage(L"METHODS", nullptr, kRead, nullptr, 0, &again), S_OK);
    ASSERT_EQ(again->OpenStorage(L"lc pump", nullptr, kRead, nullptr, 0, &pump), S_OK);
    ks::ComPtr<IStream> text;
    ASSERT_EQ(pump->OpenStream(L"TEXT", nullptr, kRead, 0, &text), S_OK);
    EXPECT_EQ(readAll(text.get()), "flow 0.3");

    STATSTG st;
    ASSERT_EQ(pump->Stat(&st, STATFLAG_DEFAULT), S_OK);
    EXPECT_STREQ(st.pwcsName, L"LC Pump");  // the case it was created with
    EXPECT_EQ(st.type, DWORD(STGTY_STORAGE));
    std::free(st.pwcsName);
    ASSERT_EQ(text->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.pwcsName, nullptr);
    EXPECT_EQ(st.type, DWORD(STGTY_STREAM));
    EXPECT_EQ(st.cbSize.QuadPart, 8u);
}

TEST(MemoryStorage, NotFoundAndNameCodes)
{
    ks::ComPtr<IStorage> root = newRoot();
    ks::ComPtr<IStorage> sub;
    ASSERT_EQ(root->CreateStorage(L"Sub", kRW, 0, 0, &sub), S_OK);
    writeText(root.get(), L"Data", "x");

    ks::ComPtr<IStream> s;
    ks::ComPtr<IStorage> g;
    EXPECT_EQ(root->OpenStream(L"Missing", nullptr, kRead, 0, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(root->OpenStorage(L"Missing", nullptr, kRead, nullptr, 0, &g), STG_E_FILENOTFOUND);
    // An element of the other type is not found either.
    EXPECT_EQ(root->OpenStream(L"Sub", nullptr, kRead, 0, &s), STG_E_FILENOTFOUND);
    EXPECT_EQ(root->OpenStorage(L"Data", nullptr, kRead, nullptr, 0, &g), STG_E_FILENOTFOUND);
    EXPECT_EQ(root->DestroyElement(L"Missing"), STG_E_FILENOTFOUND);
    EXPECT_EQ(root->RenameElement(L"Missing", L"Other"), STG_E_FILENOTFOUND);
    EXPECT_FALSE(s);
    EXPECT_FALSE(g);

    EXPECT_EQ(root->CreateStream(L"data", kRW, 0, 0, &s), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(root->RenameElement(L"Data", L"SUB"), STG_E_FILEALREADYEXISTS);
    const wchar_t* bad[] = {L"", L"a/b", L"a\\b", L"a:b", L"a!b", L"12345678901234567890123456789012"};
    for (const wchar_t* name : bad)
        EXPECT_EQ(root->CreateStream(name, kRW, 0, 0, &s), STG_E_INVALIDNAME) << std::wstring(name).size();
    EXPECT_EQ(root->CreateStream(nullptr, kRW, 0, 0, &s), STG_E_INVALIDNAME);
    EXPECT_EQ(root->CreateStream(L"1234567890123456789012345678901", kRW, 0, 0, &s), S_OK);
    EXPECT_EQ(root->OpenStream(L"Data", nullptr, kRead, 0, nullptr), STG_E_INVALIDPOINTER);
}

TEST(MemoryStorage, SeekReadWriteAndSize)
{
    ks::ComPtr<IStorage> root = newRoot();
    ks::ComPtr<IStream> s;
    ASSERT_EQ(root->CreateStream(L"S", kRW, 0, 0, &s), S_OK);
    ASSERT_EQ(s->Write("abcdef", 6, nullptr), S_OK);

    ULARGE_INTEGER pos{};
    struct Case {
        LONGLONG move;
        DWORD origin;
        HRESULT hr;
        ULONGLONG pos;
    } cases[] = {
        {2, STREAM_SEEK_SET, S_OK, 2},     {1, STREAM_SEEK_CUR, S_OK, 3},
        {-1, STREAM_SEEK_END, S_OK, 5},    {0, STREAM_SEEK_END, S_OK, 6},
        {-7, STREAM_SEEK_END, STG_E_INVALIDFUNCTION, 6}, {-1, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 6},
        {0, 3, STG_E_INVALIDFUNCTION, 6},  {10, STREAM_SEEK_SET, S_OK, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(s->Seek(offset(c.move), c.origin, &pos), c.hr) << c.move << " " << c.origin;
        ULARGE_INTEGER now{};
        ASSERT_EQ(s->Seek(offset(0), STREAM_SEEK_CUR, &now), S_OK);
        EXPECT_EQ(now.QuadPart, c.pos) << c.move << " " << c.origin;
    }
    // A write past the end fills the gap with zeros.
    ASSERT_EQ(s->Write("Z", 1, nullptr), S_OK);
    EXPECT_EQ(readAll(s.get()), std::string("abcdef\0\0\0\0Z", 11));

    // A short read answers S_FALSE with what was there.
    ASSERT_EQ(s->Seek(offset(9), STREAM_SEEK_SET, nullptr), S_OK);
    char buf[8] = {};
    ULONG read = 0;
    EXPECT_EQ(s->Read(buf, 8, &read), S_FALSE);
    EXPECT_EQ(read, 2u);
    EXPECT_EQ(s->Read(buf, 8, &read), S_FALSE);
    EXPECT_EQ(read, 0u);

    ULARGE_INTEGER size;
    size.QuadPart = 3;
    ASSERT_EQ(s->SetSize(size), S_OK);
    EXPECT_EQ(readAll(s.get()), "abc");
    size.QuadPart = ULONGLONG(1) << 40;
    EXPECT_EQ(s->SetSize(size), STG_E_MEDIUMFULL);  // refused, nothing allocated
    ASSERT_EQ(s->Seek(offset(LONGLONG(1) << 31), STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
}

TEST(MemoryStorage, HandlesShareTheElementAndCloneKeepsPosition)
{
    ks::ComPtr<IStorage> root = newRoot();
    writeText(root.get(), L"S", "0123456789");
    ks::ComPtr<IStream> a, b;
    ASSERT_EQ(root->OpenStream(L"S", nullptr, kRW, 0, &a), S_OK);
    ASSERT_EQ(root->OpenStream(L"S", nullptr, kRead, 0, &b), S_OK);
    ASSERT_EQ(a->Seek(offset(4), STREAM_SEEK_SET, nullptr), S_OK);
    ks::ComPtr<IStream> c;
    ASSERT_EQ(a->Clone(&c), S_OK);
    ASSERT_EQ(a->Write("xy", 2, nullptr), S_OK);
    char buf[3] = {};
    ASSERT_EQ(c->Read(buf, 2, nullptr), S_OK);  // the clone starts where a was
    EXPECT_STREQ(buf, "xy");
    EXPECT_EQ(readAll(b.get()), "0123xy6789");
    EXPECT_EQ(b->Write("q", 1, nullptr), STG_E_ACCESSDENIED);

    ks::ComPtr<IStream> copy;
    ASSERT_EQ(root->CreateStream(L"Copy", kRW, 0, 0, &copy), S_OK);
    ASSERT_EQ(b->Seek(offset(2), STREAM_SEEK_SET, nullptr), S_OK);
    ULARGE_INTEGER cb, rd, wr;
    cb.QuadPart = 5;
    ASSERT_EQ(b->CopyTo(copy.get(), cb, &rd, &wr), S_OK);
    EXPECT_EQ(rd.QuadPart, 5u);
    EXPECT_EQ(wr.QuadPart, 5u);
    EXPECT_EQ(readAll(copy.get()), "23xy6");
}

TEST(MemoryStorage, ListingRenameDestroyAndReverted)
{
    ks::ComPtr<IStorage> root = newRoot();
    ks::ComPtr<IStorage> sub;
    ASSERT_EQ(root->CreateStorage(L"Zeta", kRW, 0, 0, &sub), S_OK);
    writeText(root.get(), L"alpha", "a");
    writeText(root.get(), L"Mid", "m");
    using E = std::vector<std::pair<std::wstring, DWORD>>;
    EXPECT_EQ(list(root.get()), (E{{L"Zeta", STGTY_STORAGE}, {L"alpha", STGTY_STREAM}, {L"Mid", STGTY_STREAM}}));

    ASSERT_EQ(root->RenameElement(L"ALPHA", L"Alpha2"), S_OK);
    ks::ComPtr<IStream> mid;
    ASSERT_EQ(root->OpenStream(L"Mid", nullptr, kRead, 0, &mid), S_OK);
    ASSERT_EQ(root->DestroyElement(L"mid"), S_OK);
    EXPECT_EQ(list(root.get()), (E{{L"Zeta", STGTY_STORAGE}, {L"Alpha2", STGTY_STREAM}}));
    char c;
    EXPECT_EQ(mid->Read(&c, 1, nullptr), STG_E_REVERTED);

    // Destroying a storage reverts handles below it too.
    ks::ComPtr<IStream> inner;
    ASSERT_EQ(sub->CreateStream(L"Inner", kRW, 0, 0, &inner), S_OK);
    ASSERT_EQ(root->DestroyElement(L"Zeta"), S_OK);
    EXPECT_EQ(inner->Write("x", 1, nullptr), STG_E_REVERTED);
    ks::ComPtr<IStream> s;
    EXPECT_EQ(sub->CreateStream(L"More", kRW, 0, 0, &s), STG_E_REVERTED);

    // STGM_CREATE replaces an element in place.
    writeText(root.get(), L"Alpha2", "replaced");
    ks::ComPtr<IStream> r;
    ASSERT_EQ(root->OpenStream(L"alpha2", nullptr, kRead, 0, &r), S_OK);
    EXPECT_EQ(readAll(r.get()), "replaced");
}

TEST(MemoryStorage, ReadOnlyHandlesRefuseChanges)
{
    ks::ComPtr<IStorage> root = newRoot();
    ks::ComPtr<IStorage> sub;
    ASSERT_EQ(root->CreateStorage(L"Sub", kRW, 0, 0, &sub), S_OK);
    writeText(sub.get(), L"Text", "t");
    ks::ComPtr<IStorage> ro;
    ASSERT_EQ(root->OpenStorage(L"Sub", nullptr, kRead, nullptr, 0, &ro), S_OK);
    ks::ComPtr<IStream> s;
    EXPECT_EQ(ro->CreateStream(L"New", kRW, 0, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(ro->OpenStream(L"Text", nullptr, kRW, 0, &s), STG_E_ACCESSDENIED);
    EXPECT_EQ(ro->DestroyElement(L"Text"), STG_E_ACCESSDENIED);
    EXPECT_EQ(ro->RenameElement(L"Text", L"T2"), STG_E_ACCESSDENIED);
    EXPECT_EQ(ro->SetClass(CLSID_NULL), STG_E_ACCESSDENIED);
    ASSERT_EQ(ro->OpenStream(L"Text", nullptr, kRead, 0, &s), S_OK);
    EXPECT_EQ(readAll(s.get()), "t");
}

TEST(MemoryStorage, CopyAndMoveBetweenStorages)
{
    ks::ComPtr<IStorage> a = newRoot(), b = newRoot();
    ks::ComPtr<IStorage> m;
    ASSERT_EQ(a->CreateStorage(L"Method", kRW, 0, 0, &m), S_OK);
    writeText(m.get(), L"Text", "abc");
    writeText(a.get(), L"Skip", "s");
    const CLSID cls{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    ASSERT_EQ(m->SetClass(cls), S_OK);

    OLECHAR skip[] = L"skip";
    OLECHAR* exclude[] = {skip, nullptr};
    ASSERT_EQ(a->CopyTo(0, nullptr, exclude, b.get()), S_OK);
    using E = std::vector<std::pair<std::wstring, DWORD>>;
    EXPECT_EQ(list(b.get()), (E{{L"Method", STGTY_STORAGE}}));
    ks::ComPtr<IStorage> bm;
    ASSERT_EQ(b->OpenStorage(L"Method", nullptr, kRead, nullptr, 0, &bm), S_OK);
    STATSTG st;
    ASSERT_EQ(bm->Stat(&st, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(st.clsid, cls);

    ASSERT_EQ(a->MoveElementTo(L"Method", b.get(), L"Moved", STGMOVE_MOVE), S_OK);
    EXPECT_EQ(list(a.get()), (E{{L"Skip", STGTY_STREAM}}));
    ks::ComPtr<IStorage> moved;
    ASSERT_EQ(b->OpenStorage(L"Moved", nullptr, kRW, nullptr, 0, &moved), S_OK);
    ks::ComPtr<IStream> t;
    ASSERT_EQ(moved->OpenStream(L"Text", nullptr, kRead, 0, &t), S_OK);
    EXPECT_EQ(readAll(t.get()), "abc");
    EXPECT_EQ(a->MoveElementTo(L"Method", b.get(), L"X", STGMOVE_MOVE), STG_E_FILENOTFOUND);

    // Copying a storage into its own subtree ends with an error.
    ks::ComPtr<IStorage> inner;
    ASSERT_EQ(moved->CreateStorage(L"Inner", kRW, 0, 0, &inner), S_OK);
    EXPECT_EQ(b->CopyTo(0, nullptr, nullptr, inner.get()), STG_E_ACCESSDENIED);
}

TEST(MemoryStorage, EnumeratorCloneSkipAndReset)
{
    ks::ComPtr<IStorage> root = newRoot();
    for (const wchar_t* n : {L"A", L"B", L"C"})
        writeText(root.get(), n, "x");
    ks::ComPtr<IEnumSTATSTG> e;
    ASSERT_EQ(root->EnumElements(0, nullptr, 0, &e), S_OK);
    ASSERT_EQ(e->Skip(1), S_OK);
    ks::ComPtr<IEnumSTATSTG> c;
    ASSERT_EQ(e->Clone(&c), S_OK);
    STATSTG st[3];
    ULONG got = 0;
    EXPECT_EQ(c->Next(3, st, &got), S_FALSE);
    ASSERT_EQ(got, 2u);
    EXPECT_STREQ(st[0].pwcsName, L"B");
    EXPECT_STREQ(st[1].pwcsName, L"C");
    for (ULONG i = 0; i < got; ++i)
        std::free(st[i].pwcsName);
    EXPECT_EQ(e->Skip(5), S_FALSE);
    ASSERT_EQ(e->Reset(), S_OK);
    ASSERT_EQ(e->Next(1, st, nullptr), S_OK);
    EXPECT_STREQ(st[0].pwcsName, L"A");
    std::free(st[0].pwcsName);
}
