// Lines of a text file through one buffer. A line is handed out without its
// line feed and without a carriage return in front of it; like the C string
// it was, it ends at its first zero byte. Memory stays bounded whatever the
// file holds: of a line only what it can use is kept (up to its first zero
// byte, at most kMaxLineBytes), the rest is scanned to the line feed and
// dropped, so a sparse file of zeros or a file without line feeds costs no
// more than that.
//
// The reader does not own the file descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "textnumber.h"

namespace ks_text {

class LineReader {
public:
    // Far beyond any title or number (a number needs a few hundred
    // characters), and beyond the megabyte lines some writers produce.
    static constexpr size_t kMaxLineBytes = 4 * 1024 * 1024;

    explicit LineReader(int fd);

    // The next line; false at the end of the file (or after a read error,
    // see Failed).
    bool Next(const char*& line, size_t& length);

    // Takes the plain point lines from here on, the shape of nearly every
    // line of a data file: blanks or tabs, one or two short decimals
    // (ReadShortDecimal: no sign, no exponent) with blanks, tabs or commas
    // around them, then the line end. Each is taken with its point as the
    // format's line grammar reads it ((x, 1.0) for one number), in one look
    // at each byte, and handed to sink(x, y). Stops before the first other
    // line, before a line whose end is not in the buffer yet (Next hands
    // either out) and after a point for which the sink answers false; true
    // when a sink stopped it. Without kWantX the sink is handed 0 for x
    // (and lines whose first number has more than 15 digits are left to
    // Next).
    template <bool kWantX = true, class Sink>
    bool TakePlainPoints(Sink&& sink)
    {
        FoldHole();
        const char* const base = m_Buffer.data();
        const char* p = base + m_nPos;
        const char* const end = base + m_nFill;
        bool stopped = false;
        for (;;) {
            double x = 0, y = 1.0;
            const char* q = p;
            while (q < end && (*q == ' ' || *q == '\t'))
                ++q;
            if (q == end || !IsDigit(static_cast<unsigned char>(*q)))
                break;
            q = kWantX ? ReadShortDecimal(q, end, false, x) : SkipShortDecimal(q, end);
            if (!q)
                break;
            SkipSeparators(q, end);
            if (q < end && IsDigit(static_cast<unsigned char>(*q))) {
                if (!(q = ReadShortDecimal(q, end, false, y)))
                    break;
                SkipSeparators(q, end);
            }
            if (q < end && *q == '\r')
                ++q;
            if (q == end || *q != '\n')
                break;
            p = q + 1;
            if (!sink(x, y)) {
                stopped = true;
                break;
            }
        }
        m_nPos = static_cast<size_t>(p - base);
        m_nScanned = m_nPos;
        return stopped;
    }

    // Offset in the file just after the line last handed out.
    int64_t Offset() const
    {
        return m_nBufferOffset + static_cast<int64_t>(m_nPos) + static_cast<int64_t>(m_nHole);
    }

    void Seek(int64_t offset);
    bool Failed() const { return m_bFailed; }
    // Keeps no large buffer once a long line has been read.
    void Trim();

private:
    static constexpr size_t kInitialSize = 256 * 1024;
    static constexpr size_t kNoCut = static_cast<size_t>(-1);

    static void SkipSeparators(const char*& p, const char* end)
    {
        while (p < end && (*p == ' ' || *p == '\t' || *p == ','))
            ++p;
    }

    void HandCurrent(size_t end, const char*& line, size_t& length);
    void BoundCurrentLine();
    // Once a cut line has been handed out, the buffer again maps onto the
    // file without a gap.
    void FoldHole()
    {
        if (m_nHole != 0 && m_nKeep == kNoCut)
            CloseHole();
    }
    void CloseHole();
    void Fill();

    int m_fd;
    std::vector<char> m_Buffer;
    int64_t m_nBufferOffset = 0;  // file offset of the buffer's first byte
    size_t m_nPos = 0;            // start of the next line
    size_t m_nFill = 0;           // bytes held
    size_t m_nScanned = 0;        // searched for a line feed up to here
    size_t m_nKeep = kNoCut;      // bytes kept of a line whose tail is dropped
    size_t m_nHole = 0;           // bytes dropped after the kept part
    bool m_bEnd = false;
    bool m_bFailed = false;
};

}  // namespace ks_text
