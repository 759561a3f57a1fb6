// TValueRange and TValueRangeList: closed intervals of axis values and
// ordered lists of them. A plot keeps one list per axis: the displayed
// segments, the parts of the axis' full range that have not been cut away.
// Cutting subtracts a range from the list, restoring adds it back, and the
// gaps between the segments are the cut ranges.
//
// A default range is (-DBL_MAX, +DBL_MAX); it doubles as "no range at
// all" (the intersection of ranges that do not overlap).
//
// The list operations keep the ranges sorted and disjoint (neighbours may
// touch) and keep `length`, the summed length, up to date as they go. A
// list read from stored bytes may be neither sorted nor disjoint, and its
// bounds may be NaN or infinite: every operation still ends (each walk
// visits every range at most once) and divides by nothing stored.
//
// Stream form: a range is two doubles (from, to); a list is an empty
// header block, then a main block holding the double length, a qint32
// count and the ranges.
#pragma once

#include <QVector>

#include <limits>

class TDataStream;

class TValueRange {
public:
    TValueRange() = default;
    TValueRange(double a, double b) { set(a, b); }

    double from() const { return m_from; }
    double to() const { return m_to; }
    double length() const { return m_to - m_from; }

    void set(double a, double b);
    // Change one end when the order stays (from <= to); else nothing.
    void setFrom(double v);
    void setTo(double v);

    // Both ends equal those of the default range.
    bool isNull() const;
    // -1 below, 0 inside (ends included), 1 above.
    int position(double v) const;
    // from <= v <= to (never for NaN).
    bool holds(double v) const { return m_from <= v && v <= m_to; }

    // How this range A lies against B:
    enum Relation {
        Contains = 0,      // A.from < B.from and A.to > B.to
        After = 1,         // A.from >= B.from and A.from > B.to
        StartsInside = 2,  // B.from <= A.from <= B.to and A.to >= B.to
        EndsInside = 3,    // A.from < B.from <= A.to <= B.to
        Before = 4,        // A.from < B.from and A.to < B.from
        Inside = 5,        // B.from <= A.from and A.to < B.to
    };
    int relation(const TValueRange& other) const;

    // The overlap, or the default range when they do not overlap (touching
    // ends count as none).
    TValueRange intersected(const TValueRange& other) const;

    bool operator==(const TValueRange& o) const { return m_from == o.m_from && m_to == o.m_to; }
    bool operator!=(const TValueRange& o) const { return !(*this == o); }

private:
    double m_from = -std::numeric_limits<double>::max();
    double m_to = std::numeric_limits<double>::max();
};

TDataStream& operator<<(TDataStream& s, const TValueRange& r);
TDataStream& operator>>(TDataStream& s, TValueRange& r);

class TValueRangeList {
public:
    TValueRangeList() = default;
    TValueRangeList(double a, double b);

    double length() const { return m_length; }
    // Sum of log10(to / from) over the ranges whose ends are both positive
    // (a logarithmic axis has no place for values <= 0); 0 when empty.
    double logLength() const;
    int count() const { return m_ranges.size(); }
    bool isEmpty() const { return m_ranges.isEmpty(); }
    const TValueRange& at(int i) const { return m_ranges.at(i); }
    const TValueRange& first() const { return m_ranges.first(); }
    const TValueRange& last() const { return m_ranges.last(); }

    bool contains(double v) const;
    void set(const TValueRange& range);
    // Appends without merging.
    void append(const TValueRange& range);
    // Unites a range with the list (a range after every range is not added).
    void add(const TValueRange& range);
    // Subtracts a range from the list.
    void remove(const TValueRange& range);
    // The span (a, b) with the list's former inner gaps cut out of it.
    void limitTo(double a, double b);
    // The gaps between neighbours.
    TValueRangeList innerGaps() const;
    // The gaps within (a, b): before the first range, between the ranges
    // and after the last. An empty list gives the one gap (a, b).
    TValueRangeList complement(double a, double b) const;
    // The overlaps of each range with (a, b), in list order.
    TValueRangeList intersected(double a, double b) const;
    // v moved out of a gap between two ranges: to its lower edge with mode
    // 0, to its upper edge with any other mode; v itself when in no gap.
    double snapOutOfGap(double v, int mode) const;
    QVector<TValueRange> toVector() const { return m_ranges; }

    void write(TDataStream& s) const;
    // Reads the stored length as it is and the ranges one by one, stopping
    // after the range that reaches the end of the data; nothing is reserved
    // by the stored count. False when the stream failed (the list is then
    // what could be read whole).
    bool read(TDataStream& s);

    bool operator==(const TValueRangeList& o) const { return m_length == o.m_length && m_ranges == o.m_ranges; }
    bool operator!=(const TValueRangeList& o) const { return !(*this == o); }

private:
    void absorbAfter(int index);

    QVector<TValueRange> m_ranges;
    double m_length = 0;
};
