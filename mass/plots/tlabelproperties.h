// The small property records of a mass plot: how its peak labels look and
// what they show (TMSPeakProperties), whether and how its macro title is
// shown (TMSTitleProperties), both on the label base (colour, font,
// decimals), and the colour of its highlighted area
// (TMSHighlightProperties).
//
// Stream forms (block stream):
//   label:     an empty header block, a main block: color (QColor), font
//              (QFont), decimals (qint32);
//   title:     the label form, an empty header block, a main block:
//              visible (qint8), format (QString);
//   peak:      the label form, an empty header block, a main block:
//              peakFlags, secondLineDecimals (qint32), threshold (double);
//   highlight: one block holding an empty block, color (QColor) and
//              boxVisible (qint32).
// A main block of length 0 keeps the current values; damaged bytes leave
// the stream failed and the record as it was.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cstdint>

class TDataStream;

class TLabelProperties {
public:
    TLabelProperties(const QColor& color, int pointSize, int decimals);
    TLabelProperties(const QColor& color, int decimals) : TLabelProperties(color, 24, decimals) {}
    TLabelProperties(const TLabelProperties&) = default;
    TLabelProperties& operator=(const TLabelProperties&) = default;

    virtual void write(TDataStream& s) const;
    // False when the stream failed; the record then keeps what it held.
    virtual bool read(TDataStream& s);

    QColor color;
    QFont font;
    int32_t decimals;

protected:
    ~TLabelProperties() = default;
};

class TMSTitleProperties : public TLabelProperties {
public:
    static const char* const kDefaultFormat;  // "{file,32,m} {injN,32,m} {funcN,32,m} {desc}"

    TMSTitleProperties();
    virtual ~TMSTitleProperties() = default;
    TMSTitleProperties(const TMSTitleProperties&) = default;
    TMSTitleProperties& operator=(const TMSTitleProperties&) = default;

    void write(TDataStream& s) const override;
    bool read(TDataStream& s) override;

    bool visible = true;
    QString format;
};

class TMSPeakProperties : public TLabelProperties {
public:
    enum Flag {
        LabelsVisible = 0x01,
        SecondLineIntensity = 0x02,
        SecondLineAbundance = 0x04,
        SecondLineArea = 0x08,
        SecondLineHeight = 0x10,
        SecondLineMask = 0x1e,
        Wedges = 0x20,
        PeakBaseline = 0x40,
    };

    TMSPeakProperties();
    virtual ~TMSPeakProperties() = default;
    TMSPeakProperties(const TMSPeakProperties&) = default;
    TMSPeakProperties& operator=(const TMSPeakProperties&) = default;

    void write(TDataStream& s) const override;
    bool read(TDataStream& s) override;

    // The second label line as the script interface sees it: visible when
    // any of its bits is set; switching it on without a bit shows the
    // height, switching it off clears them all.
    bool secondLineVisible() const { return peakFlags & SecondLineMask; }
    void setSecondLineVisible(bool on);
    // "intensity", "height", "area" or "abundance" (tested in that order);
    // empty when the line is off.
    QString secondLineValue() const;

    int32_t peakFlags = LabelsVisible | Wedges | PeakBaseline;  // 97
    int32_t secondLineDecimals = 2;
    double threshold = 0.05;
};

class TMSHighlightProperties {
public:
    TMSHighlightProperties() = default;
    TMSHighlightProperties(const TMSHighlightProperties&) = default;
    TMSHighlightProperties& operator=(const TMSHighlightProperties&) = default;

    // With `withAlpha` the colour's own alpha, else the current one kept.
    void setColor(const QColor& c, bool withAlpha);
    // 100 is opaque.
    void setOpacity(double percent);
    // The alpha as a percentage, rounded.
    int opacity() const;

    void write(TDataStream& s) const;
    bool read(TDataStream& s);

    QColor color = QColor(0, 128, 128, 192);
    int32_t boxVisible = 1;
};
