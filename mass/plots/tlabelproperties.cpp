#include "tlabelproperties.h"

#include "tdatastream.h"
#include "tstreamgui.h"

#include <cmath>

// ---- TLabelProperties ----

TLabelProperties::TLabelProperties(const QColor& c, int pointSize, int d) : color(c), decimals(d)
{
    font.setPointSize(pointSize);
}

void TLabelProperties::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << color << font << static_cast<qint32>(decimals);
    s.endBlock();
}

bool TLabelProperties::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    s.skipBlock();
    if (s.readBlockSize() == 0)
        return s.ok();
    QColor c;
    QFont f;
    qint32 d = 0;
    readColor(s, c);
    readFont(s, f);
    s >> d;
    if (!s.ok())
        return false;
    color = c;
    font = f;
    decimals = d;
    return true;
}

// ---- TMSTitleProperties ----

const char* const TMSTitleProperties::kDefaultFormat = "{file,32,m} {injN,32,m} {funcN,32,m} {desc}";

TMSTitleProperties::TMSTitleProperties() : TLabelProperties(Qt::black, 30, 3), format(QLatin1String(kDefaultFormat)) {}

void TMSTitleProperties::write(TDataStream& s) const
{
    TLabelProperties::write(s);
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << static_cast<qint8>(visible ? 1 : 0) << format;
    s.endBlock();
}

bool TMSTitleProperties::read(TDataStream& s)
{
    TMSTitleProperties t(*this);
    if (!t.TLabelProperties::read(s))
        return false;
    s.skipBlock();
    if (s.readBlockSize() != 0) {
        qint8 v = 0;
        s >> v;
        t.visible = v != 0;
        s.readString(t.format);
    }
    if (!s.ok())
        return false;
    *this = t;
    return true;
}

// ---- TMSPeakProperties ----

TMSPeakProperties::TMSPeakProperties() : TLabelProperties(Qt::darkBlue, 24, 3) {}

void TMSPeakProperties::write(TDataStream& s) const
{
    TLabelProperties::write(s);
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << static_cast<qint32>(peakFlags) << static_cast<qint32>(secondLineDecimals) << threshold;
    s.endBlock();
}

bool TMSPeakProperties::read(TDataStream& s)
{
    TMSPeakProperties p(*this);
    if (!p.TLabelProperties::read(s))
        return false;
    s.skipBlock();
    if (s.readBlockSize() != 0) {
        qint32 flags = 0, d = 0;
        s >> flags >> d >> p.threshold;
        p.peakFlags = flags;
        p.secondLineDecimals = d;
    }
    if (!s.ok())
        return false;
    *this = p;
    return true;
}

void TMSPeakProperties::setSecondLineVisible(bool on)
{
    if (!on)
        peakFlags &= ~SecondLineMask;
    else if (!secondLineVisible())
        peakFlags |= SecondLineHeight;
}

QString TMSPeakProperties::secondLineValue() const
{
    if (peakFlags & SecondLineIntensity)
        return QStringLiteral("intensity");
    if (peakFlags & SecondLineHeight)
        return QStringLiteral("height");
    if (peakFlags & SecondLineArea)
        return QStringLiteral("area");
    if (peakFlags & SecondLineAbundance)
        return QStringLiteral("abundance");
    return QString();
}

// ---- TMSHighlightProperties ----

void TMSHighlightProperties::setColor(const QColor& c, bool withAlpha)
{
    const int alpha = color.alpha();
    color = c;
    if (!withAlpha)
        color.setAlpha(alpha);
}

void TMSHighlightProperties::setOpacity(double percent)
{
    // Out of range or not a number: Qt would round it into an int unchecked.
    if (!(percent >= 0))
        percent = 0;
    if (percent > 100)
        percent = 100;
    color.setAlphaF(percent * 0.01);
}

int TMSHighlightProperties::opacity() const
{
    return static_cast<int>(std::lround(color.alphaF() * 100));
}

void TMSHighlightProperties::write(TDataStream& s) const
{
    s.beginBlock();
    s.beginBlock();
    s.endBlock();
    s << color << static_cast<qint32>(boxVisible);
    s.endBlock();
}

bool TMSHighlightProperties::read(TDataStream& s)
{
    if (!s.ok())
        return false;
    if (s.readBlockSize() == 0)
        return s.ok();
    s.skipBlock();
    QColor c;
    qint32 box = 0;
    readColor(s, c);
    s >> box;
    if (!s.ok())
        return false;
    color = c;
    boxVisible = box;
    return true;
}
