#include "tplotproperties.h"

#include "tdatastream.h"
#include "tstreamgui.h"

namespace {

QPen makePen(const QColor& color, Qt::PenCapStyle cap)
{
    return QPen(QBrush(color), 2.5, Qt::SolidLine, cap, Qt::BevelJoin);
}

QFont defaultFont()
{
    QFont f;
    f.setPointSize(30);
    return f;
}

}  // namespace

// ---- TBasePlotProperties ----

TBasePlotProperties::TBasePlotProperties()
    : m_background(QColor(Qt::transparent), Qt::SolidPattern),
      m_axesPen(makePen(Qt::black, Qt::SquareCap)),
      m_gridPen(makePen(Qt::lightGray, Qt::FlatCap)),
      m_framePen(makePen(Qt::lightGray, Qt::FlatCap)),
      m_font(defaultFont())
{
}

void TBasePlotProperties::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << m_outerInset << m_margin << m_breakGap << m_background << m_axesPen << m_gridPen << m_framePen << m_font
      << static_cast<qint32>(m_frameSides) << static_cast<qint8>(m_textOrientation)
      << static_cast<qint32>(m_tickParameter) << static_cast<qint16>(m_flags);
    s.endBlock();
}

bool TBasePlotProperties::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    s.skipBlock();
    if (s.readBlockSize() == 0)
        return s.ok();
    TBasePlotProperties p(*this);
    qint32 sides = 0, tick = 0;
    quint8 orientation = 0;
    quint16 flags = 0;
    s >> p.m_outerInset >> p.m_margin >> p.m_breakGap;
    readBrush(s, p.m_background);
    readPen(s, p.m_axesPen);
    readPen(s, p.m_gridPen);
    readPen(s, p.m_framePen);
    readFont(s, p.m_font);
    s >> sides >> orientation >> tick >> flags;
    if (!s.ok())
        return false;
    p.m_frameSides = sides;
    p.m_textOrientation = orientation;
    p.m_tickParameter = tick;
    p.m_flags = flags;
    m_outerInset = p.m_outerInset;
    m_margin = p.m_margin;
    m_breakGap = p.m_breakGap;
    m_background = p.m_background;
    m_axesPen = p.m_axesPen;
    m_gridPen = p.m_gridPen;
    m_framePen = p.m_framePen;
    m_font = p.m_font;
    m_frameSides = p.m_frameSides;
    m_textOrientation = p.m_textOrientation;
    m_tickParameter = p.m_tickParameter;
    m_flags = p.m_flags;
    return true;
}

bool TBasePlotProperties::equals(const TBasePlotProperties& other) const
{
    QByteArray a, b;
    {
        TDataStream sa(&a, QIODevice::WriteOnly, 0);
        write(sa);
        TDataStream sb(&b, QIODevice::WriteOnly, 0);
        other.write(sb);
    }
    return a == b;
}

void TBasePlotProperties::assign(const TBasePlotProperties& other)
{
    assignBase(other);
}

// ---- T1DPlotProperties ----

const QPen& T1DPlotProperties::defaultTracePen()
{
    static const QPen pen = makePen(Qt::darkRed, Qt::SquareCap);
    return pen;
}

T1DPlotProperties::T1DPlotProperties() : m_tracePen(defaultTracePen())
{
    m_tracePen.setCapStyle(Qt::FlatCap);
    m_typeTag = 0;
}

T1DPlotProperties::T1DPlotProperties(const TBasePlotProperties& base, const QPen& tracePen)
    : TBasePlotProperties(base), m_tracePen(tracePen)
{
    m_typeTag = 0;
}

void T1DPlotProperties::write(TDataStream& s) const
{
    s.beginBlock();
    TBasePlotProperties::write(s);
    s.endBlock();
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << m_tracePen << static_cast<qint8>(m_lineStyle);
    s.endBlock();
}

bool T1DPlotProperties::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    T1DPlotProperties p(*this);
    s.readBlockSize();
    if (!p.TBasePlotProperties::read(s))
        return false;
    s.skipBlock();
    if (s.readBlockSize() != 0) {
        qint8 style = 0;
        readPen(s, p.m_tracePen);
        s >> style;
        p.m_lineStyle = style;
    }
    if (!s.ok())
        return false;
    *this = p;
    return true;
}

void T1DPlotProperties::assign(const TBasePlotProperties& other)
{
    if (const auto* one = dynamic_cast<const T1DPlotProperties*>(&other)) {
        *this = *one;
        return;
    }
    assignBase(other);
}
