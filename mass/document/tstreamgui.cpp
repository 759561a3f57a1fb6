#include "tstreamgui.h"

#include "tdatastream.h"

#include <QGradient>
#include <QVector>

namespace {

constexpr qint64 kColorBytes = 11;  // spec (qint8), alpha, red, green, blue, pad (quint16 each)

bool corrupt(TDataStream& s)
{
    s.fail(QDataStream::ReadCorruptData);
    return false;
}

bool readStops(TDataStream& s, QGradientStops& stops)
{
    stops.clear();
    const qint32 n = s.readCount(8 + kColorBytes);
    for (qint32 i = 0; i < n && s.ok(); ++i) {
        double position = 0;
        QColor color;
        s >> position;
        if (!readColor(s, color))
            break;
        // Qt files a stop at NaN in front of the others in reverse order of
        // reading: such a gradient would not read back as it was written.
        if (position == position)
            stops.append(QGradientStop(position, color));
    }
    return s.ok();
}

}  // namespace

bool readColor(TDataStream& s, QColor& color)
{
    if (!s.ok())
        return false;
    // Peek at the colour spec: Qt takes any byte as a spec, and code that
    // converts such a colour meets a spec it has no branch for.
    QIODevice* d = s.device();
    const QByteArray head = d ? d->peek(1) : QByteArray();
    if (head.size() == 1 && (qint8(head[0]) < QColor::Invalid || qint8(head[0]) > QColor::ExtendedRgb))
        return corrupt(s);
    QColor c;
    s >> c;
    if (!s.ok())
        return false;
    color = c;
    return true;
}

bool readBrush(TDataStream& s, QBrush& brush)
{
    if (!s.ok())
        return false;
    quint8 style = 0;
    QColor color;
    s >> style;
    if (!readColor(s, color))
        return false;
    if (style <= Qt::DiagCrossPattern) {
        brush = QBrush(color, Qt::BrushStyle(style));
        return true;
    }
    if (style != Qt::LinearGradientPattern && style != Qt::RadialGradientPattern &&
        style != Qt::ConicalGradientPattern)
        return corrupt(s);
    qint32 type = 0;
    QGradientStops stops;
    s >> type;
    if (!readStops(s, stops))
        return false;
    QPointF a, b;
    double value = 0;
    QBrush made;
    switch (type) {
    case QGradient::LinearGradient: {
        s >> a >> b;
        QLinearGradient g(a, b);
        g.setStops(stops);
        made = QBrush(g);
        break;
    }
    case QGradient::RadialGradient: {
        s >> a >> b >> value;
        // The setters keep the stored focal point; the constructor would
        // move one outside the circle onto it, and not the same way twice.
        QRadialGradient g;
        g.setCenter(a);
        g.setRadius(value);
        g.setFocalPoint(b);
        g.setStops(stops);
        made = QBrush(g);
        break;
    }
    case QGradient::ConicalGradient: {
        s >> a >> value;
        QConicalGradient g(a, value);
        g.setStops(stops);
        made = QBrush(g);
        break;
    }
    default:
        return corrupt(s);
    }
    if (!s.ok())
        return false;
    brush = made;
    return true;
}

bool readPen(TDataStream& s, QPen& pen)
{
    if (!s.ok())
        return false;
    quint8 bits = 0;
    double width = 0, miterLimit = 2;
    QBrush brush;
    s >> bits >> width;
    if (!readBrush(s, brush))
        return false;
    s >> miterLimit;
    QVector<double> dashes;
    if (!readVector(s, dashes))
        return false;
    const int style = bits & Qt::MPenStyle;
    const int cap = bits & Qt::MPenCapStyle;
    const int join = bits & Qt::MPenJoinStyle;
    if (style > Qt::CustomDashLine || cap == Qt::MPenCapStyle || (join != Qt::MiterJoin && join != Qt::BevelJoin &&
                                                                   join != Qt::RoundJoin))
        return corrupt(s);
    QPen p(brush, width, Qt::PenStyle(style), Qt::PenCapStyle(cap), Qt::PenJoinStyle(join));
    p.setMiterLimit(miterLimit);
    if (style == Qt::CustomDashLine)
        p.setDashPattern(dashes);
    pen = p;
    return true;
}

bool readFont(TDataStream& s, QFont& font)
{
    if (!s.ok())
        return false;
    // The family's length is checked before Qt's reader allocates for it;
    // the rest of the version-7 form has a fixed size (point size, pixel
    // size, style hint, strategy, a spare byte, weight, bits).
    QIODevice* d = s.device();
    const QByteArray head = d ? d->peek(4) : QByteArray();
    if (head.size() < 4) {
        s.fail();
        return false;
    }
    const quint32 bytes = (quint32(quint8(head[0])) << 24) | (quint32(quint8(head[1])) << 16) |
                          (quint32(quint8(head[2])) << 8) | quint32(quint8(head[3]));
    const qint64 fixed = 8 + 4 + 1 + 1 + 1 + 1 + 1;
    if (bytes != 0xFFFFFFFFu) {
        if (bytes & 1u)
            return corrupt(s);
        if (qint64(bytes) + 4 + fixed > s.remaining()) {
            s.fail();
            return false;
        }
    } else if (4 + fixed > s.remaining()) {
        s.fail();
        return false;
    }
    QFont f;
    s >> f;
    if (!s.ok())
        return false;
    font = f;
    return true;
}
