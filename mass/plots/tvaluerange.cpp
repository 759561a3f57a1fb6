#include "tvaluerange.h"

#include "tdatastream.h"

#include <cmath>

// ---- TValueRange ----

void TValueRange::set(double a, double b)
{
    if (b < a) {
        m_from = b;
        m_to = a;
    } else {
        m_from = a;
        m_to = b;
    }
}

void TValueRange::setFrom(double v)
{
    if (v <= m_to)
        m_from = v;
}

void TValueRange::setTo(double v)
{
    if (v >= m_from)
        m_to = v;
}

bool TValueRange::isNull() const
{
    return *this == TValueRange();
}

int TValueRange::position(double v) const
{
    if (v < m_from)
        return -1;
    if (v > m_to)
        return 1;
    return 0;
}

int TValueRange::relation(const TValueRange& b) const
{
    if (m_from < b.m_from) {
        if (m_to < b.m_from)
            return Before;
        if (m_to <= b.m_to)
            return EndsInside;
        return Contains;
    }
    if (m_from > b.m_to)
        return After;
    if (m_to >= b.m_to)
        return StartsInside;
    return Inside;
}

TValueRange TValueRange::intersected(const TValueRange& b) const
{
    if (isNull())
        return TValueRange();
    if (m_from > b.m_from) {
        if (m_from >= b.m_to)
            return TValueRange();
        return m_to < b.m_to ? *this : TValueRange(m_from, b.m_to);
    }
    if (m_to <= b.m_from)
        return TValueRange();
    return m_to < b.m_to ? TValueRange(b.m_from, m_to) : b;
}

TDataStream& operator<<(TDataStream& s, const TValueRange& r)
{
    s << r.from() << r.to();
    return s;
}

TDataStream& operator>>(TDataStream& s, TValueRange& r)
{
    double a = 0, b = 0;
    s >> a >> b;
    if (s.ok())
        r.set(a, b);
    return s;
}

// ---- TValueRangeList ----

TValueRangeList::TValueRangeList(double a, double b)
{
    m_ranges.append(TValueRange(a, b));
    m_length = std::fabs(b - a);
}

double TValueRangeList::logLength() const
{
    double sum = 0;
    for (const TValueRange& r : m_ranges) {
        if (r.from() > 0 && r.to() > 0)
            sum += std::log10(r.to() / r.from());
    }
    return sum;
}

bool TValueRangeList::contains(double v) const
{
    for (const TValueRange& r : m_ranges) {
        if (r.position(v) == 0)
            return true;
    }
    return false;
}

void TValueRangeList::set(const TValueRange& range)
{
    m_ranges = {range};
    m_length = range.length();
}

void TValueRangeList::append(const TValueRange& range)
{
    m_ranges.append(range);
    m_length += range.length();
}

void TValueRangeList::add(const TValueRange& b)
{
    for (int i = 0; i < m_ranges.size(); ++i) {
        TValueRange& a = m_ranges[i];
        switch (a.relation(b)) {
        case TValueRange::Before:
            continue;
        case TValueRange::After:
            m_ranges.insert(i, b);
            m_length += b.length();
            return;
        case TValueRange::Contains:
            return;
        case TValueRange::StartsInside:
            m_length += a.from() - b.from();
            a = TValueRange(b.from(), a.to());
            return;
        case TValueRange::EndsInside:
            m_length += b.to() - a.to();
            a = TValueRange(a.from(), b.to());
            absorbAfter(i);
            return;
        default:  // Inside
            m_length -= a.length();
            m_length += b.length();
            a = b;
            absorbAfter(i);
            return;
        }
    }
}

void TValueRangeList::absorbAfter(int index)
{
    int i = index + 1;
    while (i < m_ranges.size()) {
        TValueRange& a = m_ranges[index];
        const TValueRange r = m_ranges[i];
        const int code = a.relation(r);
        if (code == TValueRange::Contains) {
            m_length -= r.length();
            m_ranges.remove(i);
        } else if (code == TValueRange::EndsInside) {
            m_length += r.to() - a.to();
            a = TValueRange(a.from(), r.to());
            m_length -= r.length();
            m_ranges.remove(i);
            return;
        } else if (code == TValueRange::Before) {
            return;
        } else {
            ++i;
        }
    }
}

void TValueRangeList::remove(const TValueRange& b)
{
    int i = 0;
    while (i < m_ranges.size()) {
        TValueRange& a = m_ranges[i];
        switch (a.relation(b)) {
        case TValueRange::Before:
            ++i;
            continue;
        case TValueRange::After:
            return;
        case TValueRange::StartsInside:
            m_length -= b.to() - a.from();
            a = TValueRange(b.to(), a.to());
            return;
        case TValueRange::EndsInside:
            m_length -= a.to() - b.from();
            a = TValueRange(a.from(), b.from());
            ++i;
            continue;
        case TValueRange::Inside:
            m_length -= a.length();
            m_ranges.remove(i);
            continue;
        default: {  // Contains: split
            const double end = a.to();
            a = TValueRange(a.from(), b.from());
            m_ranges.insert(i + 1, TValueRange(b.to(), end));
            m_length -= b.to() - b.from();
            return;
        }
        }
    }
}

void TValueRangeList::limitTo(double a, double b)
{
    const TValueRangeList gaps = innerGaps();
    set(TValueRange(a, b));
    for (const TValueRange& g : gaps.m_ranges)
        remove(g);
}

TValueRangeList TValueRangeList::innerGaps() const
{
    TValueRangeList gaps;
    for (int i = 0; i + 1 < m_ranges.size(); ++i)
        gaps.append(TValueRange(m_ranges[i].to(), m_ranges[i + 1].from()));
    return gaps;
}

TValueRangeList TValueRangeList::complement(double a, double b) const
{
    TValueRangeList gaps;
    if (m_ranges.isEmpty()) {
        gaps.append(TValueRange(a, b));
        return gaps;
    }
    if (a < m_ranges.first().from())
        gaps.append(TValueRange(a, m_ranges.first().from()));
    for (int i = 1; i < m_ranges.size(); ++i)
        gaps.append(TValueRange(m_ranges[i - 1].to(), m_ranges[i].from()));
    if (b > m_ranges.last().to())
        gaps.append(TValueRange(m_ranges.last().to(), b));
    return gaps;
}

TValueRangeList TValueRangeList::intersected(double a, double b) const
{
    const TValueRange window(a, b);
    TValueRangeList out;
    for (const TValueRange& r : m_ranges) {
        const TValueRange overlap = r.intersected(window);
        if (!overlap.isNull())
            out.append(overlap);
    }
    return out;
}

double TValueRangeList::snapOutOfGap(double v, int mode) const
{
    for (int i = 0; i + 1 < m_ranges.size(); ++i) {
        const TValueRange& p = m_ranges[i];
        const TValueRange& n = m_ranges[i + 1];
        if (p.to() < v && v < n.from())
            return mode == 0 ? p.to() : n.from();
    }
    return v;
}

void TValueRangeList::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << m_length << static_cast<qint32>(m_ranges.size());
    for (const TValueRange& r : m_ranges)
        s << r;
    s.endBlock();
}

bool TValueRangeList::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    s.skipBlock();
    s.readBlockSize();
    double length = 0;
    qint32 n = 0;
    s >> length >> n;
    if (!s.ok())
        return false;
    m_length = length;
    m_ranges.clear();
    // The count is only an upper bound: ranges are read while the data
    // lasts, and none is reserved for.
    for (qint32 i = 0; i < n; ++i) {
        double a = 0, b = 0;
        s >> a >> b;
        if (!s.ok())
            return false;
        m_ranges.append(TValueRange(a, b));
        if (s.remaining() == 0)
            break;
    }
    return true;
}
