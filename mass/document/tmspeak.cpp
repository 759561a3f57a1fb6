#include "tmspeak.h"

void TMSPeak::write(TDataStream& s) const
{
    s.beginChain(1);
    s << position.x() << position.y() << static_cast<qint32>(attribute) << static_cast<qint32>(peakClass);
    s.endBlock();
}

void TMSPeak::read(TDataStream& s)
{
    TMSPeak fresh;
    fresh.peakClass = peakClass;  // the class is the record's kind until the data says otherwise
    if (s.enterChain(1) >= 1) {
        double x = 0, y = 0;
        qint32 a = 0, c = 0;
        s >> x >> y >> a >> c;
        fresh.position = QPointF(x, y);
        fresh.attribute = a;
        fresh.peakClass = c;
    }
    if (s.ok()) {
        position = fresh.position;
        attribute = fresh.attribute;
        peakClass = fresh.peakClass;
    } else {
        const int32_t kind = peakClass;
        TMSPeak::operator=(TMSPeak());
        peakClass = kind;
    }
}

void TMSChromPeak::write(TDataStream& s) const
{
    TMSPeak::write(s);
    s.beginChain(2);
    s << static_cast<qint32>(scan) << static_cast<qint32>(peakType);
    s.endBlock();
    s << start.x() << start.y() << end.x() << end.y() << height << area;
    s.endBlock();
}

void TMSChromPeak::read(TDataStream& s)
{
    TMSPeak::read(s);
    TMSChromPeak fresh;
    const int reached = s.ok() ? s.enterChain(2) : 0;
    if (reached >= 2) {
        qint32 sc = 0, type = 0;
        s >> sc >> type;
        fresh.scan = sc;
        fresh.peakType = type;
    }
    if (reached >= 1) {
        double sx = 0, sy = 0, ex = 0, ey = 0, h = 0, a = 0;
        s >> sx >> sy >> ex >> ey >> h >> a;
        fresh.start = QPointF(sx, sy);
        fresh.end = QPointF(ex, ey);
        fresh.height = h;
        fresh.area = a;
    }
    if (s.ok()) {
        start = fresh.start;
        end = fresh.end;
        height = fresh.height;
        area = fresh.area;
        scan = fresh.scan;
        peakType = fresh.peakType;
    } else {
        *this = TMSChromPeak();
    }
}

TDataStream& operator<<(TDataStream& s, const TMSPeak& peak)
{
    peak.write(s);
    return s;
}

TDataStream& operator>>(TDataStream& s, TMSPeak& peak)
{
    peak.read(s);
    return s;
}
