// Memo files: 512-byte blocks, each memo a run of whole blocks from its
// first block, its text ended by two 0x1A bytes. Line ends are stored as
// 0x8D 0x0A; the writer breaks lines longer than 66 characters itself.
#include "ksfiles.h"
#include "zinternal.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zentar {
namespace {

constexpr int kBlock = 512;
constexpr int kSlots = 10;
constexpr int kLineLength = 66;

struct MemoSlot {
    int fd = -1;
    uint8_t inUse = 0;
    uint32_t next0 = 0;
    uint32_t next = 0;
};

MemoSlot g_memo[kSlots];

MemoSlot* slotOf(DBHANDLE h)
{
    for (auto& s : g_memo)
        if (h == &s && s.inUse)
            return &s;
    return nullptr;
}

bool isCR(uint8_t c) { return (c & 0x7F) == 0x0D; }
bool isLF(uint8_t c) { return (c & 0x7F) == 0x0A; }

}  // namespace

int memoCreate(const char* path)
{
    if (!path)
        return fail(391, 1);
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return fail(4001, 1);
    uint8_t block[kBlock] = {};
    putU32(block, 1);
    bool ok = zWrite(fd, block, kBlock);
    close(fd);
    return ok ? 0 : fail(4002, 4);
}

int memoOpen(const char* path, DBHANDLE* out)
{
    if (!path || !out)
        return fail(391, 1);
    MemoSlot* s = nullptr;
    for (auto& slot : g_memo)
        if (!slot.inUse) {
            s = &slot;
            break;
        }
    if (!s)
        return fail(4101, 1);
    int fd = ks::openRegularFile(path, O_RDWR);
    if (fd < 0)
        return fail(4102, 1);
    uint8_t head[4];
    if (zRead(fd, head, 4) != 4) {
        close(fd);
        return fail(4103, 1);
    }
    const uint32_t next = getU32(head);
    // The next free block may lie just past a last block that is not
    // padded, never further, and never on block 0.
    const int64_t size = zFileSize(fd);
    const int64_t blocks = (size + kBlock - 1) / kBlock;
    if (next < 1 || int64_t(next) > blocks) {
        close(fd);
        return fail(4104, 1);
    }
    s->fd = fd;
    s->inUse = 1;
    s->next0 = s->next = next;
    *out = s;
    return 0;
}

int memoClose(DBHANDLE memo)
{
    MemoSlot* s = slotOf(memo);
    if (!s)
        return fail(4290, 1);
    int rc = 0;
    if (s->next != s->next0) {
        uint8_t head[4];
        putU32(head, s->next);
        if (!zPwrite(s->fd, head, 4, 0)) {
            rc = 4;
            g_errno = 4201;
        }
    }
    int fd = s->fd;
    *s = MemoSlot();
    if (close(fd) != 0 && rc == 0)
        rc = fail(4202, 1);
    return rc;
}

int memoWrite(DBHANDLE memo, const char* text, char* field)
{
    MemoSlot* s = slotOf(memo);
    if (!s)
        return fail(4290, 1);
    if (!field)
        return fail(391, 1);
    std::memset(field, ' ', 10);
    const auto* t = reinterpret_cast<const uint8_t*>(text ? text : "");
    if (t[0] == 0 || t[0] == 0x1A)
        return 0;
    const int64_t start = int64_t(s->next) * kBlock;
    if (!zSeek(s->fd, start))
        return fail(4401, 1);
    auto* work = static_cast<uint8_t*>(zAlloc(kBlock + 5));
    if (!work)
        return fail(4406, 1);
    ZBlockRelease release{work};

    size_t used = 0;         // bytes in the work block
    int64_t stored = 0;      // text bytes stored (end bytes not counted)
    int64_t written = 0;     // bytes written to the file
    int line = 0;
    auto flush = [&](bool all) {
        while (used >= kBlock || (all && used > 0)) {
            size_t n = used >= kBlock ? size_t(kBlock) : used;
            if (!zWrite(s->fd, work, n))
                return false;
            written += int64_t(n);
            std::memmove(work, work + n, used - n);
            used -= n;
        }
        return true;
    };
    // Stored text never exceeds what the reader returns, so every memo
    // written reads back whole.
    auto room = [&](int n) { return stored + n <= kMemoMaxText; };
    size_t i = 0;
    while (t[i] != 0) {
        if (t[i] == 0x1A && t[i + 1] == 0x1A)
            break;
        if (isCR(t[i]) && t[i + 1] != 0 && isLF(t[i + 1])) {
            if (!room(2))
                break;
            work[used++] = 0x8D;
            work[used++] = 0x0A;
            stored += 2;
            i += 2;
            line = 0;
        } else {
            if (!room(1))
                break;
            work[used++] = t[i++];
            ++stored;
            if (++line == kLineLength) {
                line = 0;
                const bool lineEndFollows = isCR(t[i]) && t[i + 1] != 0 && isLF(t[i + 1]);
                if (t[i] != 0 && !lineEndFollows && !(t[i] == 0x1A && t[i + 1] == 0x1A)) {
                    if (!room(2))
                        break;
                    work[used++] = 0x8D;
                    work[used++] = 0x0A;
                    stored += 2;
                }
            }
        }
        if (used >= kBlock && !flush(false))
            return fail(4407, 4);
    }
    work[used++] = 0x1A;
    work[used++] = 0x1A;
    if (!flush(true))
        return fail(4407, 4);

    char digits[16];
    int nd = 0;
    for (uint32_t b = s->next; b > 0 && nd < 10; b /= 10)
        digits[nd++] = char('0' + b % 10);
    for (int k = 0; k < nd; ++k)
        field[9 - k] = digits[k];
    s->next += uint32_t((written + kBlock - 1) / kBlock);
    return 0;
}

int memoRead(DBHANDLE memo, const char* field, char* text)
{
    MemoSlot* s = slotOf(memo);
    if (!s)
        return fail(4290, 1);
    if (!field || !text)
        return fail(391, 1);
    uint64_t block = 0;
    bool blank = true;
    for (int i = 0; i < 10; ++i) {
        const char c = field[i];
        if (c == ' ')
            continue;
        if (c < '0' || c > '9')
            return fail(4301, 1);
        blank = false;
        block = block * 10 + uint64_t(c - '0');
    }
    if (blank) {
        text[0] = '\0';   // ten blanks: no memo
        return 0;
    }
    const int64_t size = zFileSize(s->fd);
    if (block == 0 || int64_t(block) * kBlock >= size)
        return fail(4306, 1);
    const int64_t start = int64_t(block) * kBlock;
    auto* buf = static_cast<uint8_t*>(zAlloc(kBlock));
    if (!buf)
        return fail(4303, 1);
    ZBlockRelease release{buf};

    int out = 0;
    bool pendingHighCR = false;   // a 0x8D at the end of the previous block
    for (int64_t at = start;; at += kBlock) {
        int64_t got = zPread(s->fd, buf, kBlock, at);
        if (got < 0)
            return fail(4304, 1);
        if (got == 0)
            break;
        for (int64_t i = 0; i < got; ++i) {
            uint8_t c = buf[i];
            if (pendingHighCR) {
                // 0x8D 0x0A is a stored line end; a lone 0x8D is text.
                text[out - 1] = char(c == 0x0A ? 0x0D : 0x8D);
                pendingHighCR = false;
            }
            if (c == 0x1A) {
                text[out] = '\0';
                return 0;
            }
            text[out++] = char(c);
            if (out == kMemoMaxText + 1) {
                text[out] = '\0';   // terminated even when too long
                return fail(4305, 1);
            }
            if (c == 0x8D)
                pendingHighCR = true;
        }
        if (got < kBlock)
            break;
    }
    text[out] = '\0';
    return 0;
}

}  // namespace zentar
