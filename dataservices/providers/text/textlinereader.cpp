#include "textlinereader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace ks_text {

LineReader::LineReader(int fd) : m_fd(fd), m_Buffer(kInitialSize) {}

bool LineReader::Next(const char*& line, size_t& length)
{
    FoldHole();
    for (;;) {
        const char* base = m_Buffer.data();
        const char* nl = nullptr;
        if (m_nScanned < m_nFill)
            nl = static_cast<const char*>(memchr(base + m_nScanned, '\n', m_nFill - m_nScanned));
        if (nl) {
            HandCurrent(static_cast<size_t>(nl - base), line, length);
            m_nPos = static_cast<size_t>(nl - base) + 1;
            m_nScanned = m_nPos;
            return true;
        }
        m_nScanned = m_nFill;
        if (m_bEnd) {
            if (m_nPos >= m_nFill && m_nHole == 0)
                return false;
            HandCurrent(m_nFill, line, length);
            m_nPos = m_nFill;
            m_nScanned = m_nFill;
            return true;
        }
        BoundCurrentLine();
        Fill();
    }
}

void LineReader::Seek(int64_t offset)
{
    FoldHole();
    if (offset >= m_nBufferOffset && offset <= m_nBufferOffset + static_cast<int64_t>(m_nFill)) {
        m_nPos = static_cast<size_t>(offset - m_nBufferOffset);
        m_nScanned = m_nPos;
        return;
    }
    m_nBufferOffset = offset;
    m_nPos = m_nFill = m_nScanned = 0;
    m_bEnd = false;
    if (lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        m_bEnd = true;
        m_bFailed = true;
    }
}

void LineReader::Trim()
{
    FoldHole();
    if (m_Buffer.size() > kInitialSize && m_nFill - m_nPos <= kInitialSize) {
        std::vector<char> small(kInitialSize);
        memcpy(small.data(), m_Buffer.data() + m_nPos, m_nFill - m_nPos);
        m_nBufferOffset += static_cast<int64_t>(m_nPos);
        m_nFill -= m_nPos;
        m_nScanned -= m_nPos;
        m_nPos = 0;
        m_Buffer.swap(small);
    }
}

// Hands out the line from m_nPos to end (the line feed's index, or the end
// of the data): its kept part when its tail was dropped.
void LineReader::HandCurrent(size_t end, const char*& line, size_t& length)
{
    const char* begin = m_Buffer.data() + m_nPos;
    size_t n = end - m_nPos;
    if (m_nKeep != kNoCut) {
        // The line's real end (and any carriage return) was dropped.
        n = std::min(n, m_nKeep);
        m_nKeep = kNoCut;
    } else if (n > 0 && begin[n - 1] == '\r') {
        --n;
    }
    if (const void* zero = memchr(begin, '\0', n))
        n = static_cast<size_t>(static_cast<const char*>(zero) - begin);
    line = begin;
    length = n;
}

// Called while the line from m_nPos has no line feed yet: drops what the
// line cannot use (past its first zero byte or kMaxLineBytes), keeping
// count of the dropped bytes for the file offsets.
void LineReader::BoundCurrentLine()
{
    const size_t held = m_nFill - m_nPos;
    size_t keep = m_nKeep;
    if (keep == kNoCut) {
        const void* zero = memchr(m_Buffer.data() + m_nPos, '\0', held);
        keep = zero ? static_cast<size_t>(static_cast<const char*>(zero) - (m_Buffer.data() + m_nPos))
                    : std::min(held, kMaxLineBytes);
        if (keep == held && held < kMaxLineBytes)
            return;  // nothing to drop yet
    }
    if (held > keep) {
        m_nHole += held - keep;
        m_nFill = m_nPos + keep;
        m_nScanned = m_nFill;
    }
    m_nKeep = keep;
}

// What follows the cut line moves to the front.
void LineReader::CloseHole()
{
    memmove(m_Buffer.data(), m_Buffer.data() + m_nPos, m_nFill - m_nPos);
    m_nBufferOffset += static_cast<int64_t>(m_nPos + m_nHole);
    m_nFill -= m_nPos;
    m_nScanned -= m_nPos;
    m_nPos = 0;
    m_nHole = 0;
}

void LineReader::Fill()
{
    if (m_nPos > 0) {
        memmove(m_Buffer.data(), m_Buffer.data() + m_nPos, m_nFill - m_nPos);
        m_nBufferOffset += static_cast<int64_t>(m_nPos);
        m_nFill -= m_nPos;
        m_nScanned -= m_nPos;
        m_nPos = 0;
    }
    if (m_nFill == m_Buffer.size())
        m_Buffer.resize(m_Buffer.size() * 2);  // a long line, within kMaxLineBytes
    for (;;) {
        const ssize_t n = ::read(m_fd, m_Buffer.data() + m_nFill, m_Buffer.size() - m_nFill);
        if (n > 0) {
            m_nFill += static_cast<size_t>(n);
            return;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            m_bFailed = true;
        m_bEnd = true;
        return;
    }
}

}  // namespace ks_text
