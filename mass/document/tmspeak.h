// TMSPeak, TMSChromPeak: the peak records of the data objects' peak lists,
// values with a virtual table that write and read themselves in the block
// stream's nested chain shape.
//
// TMSPeak (32 bytes): a chain of one level: length 28, the empty
// terminator, position x and y (doubles), attribute, peak class (qint32).
// TMSChromPeak (100 bytes): its TMSPeak record, then a chain of two
// levels: level-1 length 64, level-2 length 12, the terminator, scan and
// peak type (level 2), start x, start y, end x, end y, height and area
// (level 1).
//
// A reader meeting an absent record or an older writer's shorter chain
// keeps the defaults of what it did not reach; one meeting damaged bytes
// leaves the stream failed and the record at its defaults.
#pragma once

#include "tdatastream.h"

#include <QPointF>
#include <QVector>

#include <cstdint>

class TMSPeak {
public:
    // Attribute of a default record (bit 0: the peak gets no label).
    static constexpr int32_t kDefaultAttribute = -2147483647;
    // The fewest bytes a stored record takes (an absent chain).
    static constexpr qint64 kMinStoredBytes = 4;

    TMSPeak() = default;
    // A spectrum peak at a point (attribute 0, class 0).
    explicit TMSPeak(const QPointF& point) : position(point), attribute(0) {}
    virtual ~TMSPeak() = default;
    TMSPeak(const TMSPeak&) = default;
    TMSPeak& operator=(const TMSPeak&) = default;

    virtual void write(TDataStream& s) const;
    virtual void read(TDataStream& s);
    // Stored nowhere and read by nothing here; answered unchanged.
    virtual int query() const { return 0; }

    // m/z (or retention time) and intensity; for a chromatogram peak the apex.
    QPointF position;
    int32_t attribute = kDefaultAttribute;
    // 0 spectrum peak, 1 chromatogram peak.
    int32_t peakClass = 0;
};

// ChromatogramPeakType.
enum ChromatogramPeakType {
    PeakUnknown = 0,
    PeakBB = 1,
    PeakBV = 2,
    PeakVB = 3,
    PeakVV = 4,
    PeakShoulder = 5,
};

class TMSChromPeak : public TMSPeak {
public:
    static constexpr qint64 kMinStoredBytes = 8;

    TMSChromPeak() { peakClass = 1; }

    void write(TDataStream& s) const override;
    void read(TDataStream& s) override;
    virtual int chromatogramQuery() const { return 1; }

    QPointF start;
    QPointF end;
    double height = 0;
    double area = 0;
    int32_t scan = -1;
    int32_t peakType = PeakUnknown;
};

// Peak records through their own write and read operations.
TDataStream& operator<<(TDataStream& s, const TMSPeak& peak);
TDataStream& operator>>(TDataStream& s, TMSPeak& peak);

// A peak list: a qint32 count, then the records.
template <class P>
void writePeakList(TDataStream& s, const QVector<P>& peaks)
{
    s << static_cast<qint32>(peaks.size());
    for (const P& p : peaks)
        p.write(s);
}

// Reads a peak list written by writePeakList: emptied first; a count the
// remaining bytes cannot hold (each record takes at least its first level
// length) fails the stream, and any failure leaves the list empty.
template <class P>
bool readPeakList(TDataStream& s, QVector<P>& peaks)
{
    peaks.clear();
    const qint32 n = s.readCount(P::kMinStoredBytes);
    for (qint32 i = 0; i < n && s.ok(); ++i) {
        P p;
        p.read(s);
        if (s.ok())
            peaks.append(p);
    }
    if (!s.ok()) {
        peaks.clear();
        return false;
    }
    return true;
}
