// TPlotAxis: the record of one plot axis (full and visible ranges,
// orientation, caption, tick and label layout), shared by plots, painters,
// property bags and the script interface. A plain value.
//
// Stream form: a header of three nested levels (23 bytes) holding, outer
// to inner, bool captionVisible, qint32 decimals, qint8 logScale and
// qint8 labelSide; then a main block: type, horizontal, reversed (qint32),
// visible (bool), crossValue (double), atEdge (bool), fullFrom, fullTo,
// visibleFrom, visibleTo, tickStep (doubles), autoTickStep (bool), caption
// (QString), captionAlignment (qint32). A header of an older writer keeps
// the current values of the levels it lacks. Damaged bytes leave the
// stream failed and the axis as it was.
#pragma once

#include <QString>

#include <cstdint>
#include <limits>

class TDataStream;

class TPlotAxis {
public:
    // 0 for axis 1, 1 for axis 2; 3 (an axis of another kind) shows no
    // caption and 3 decimals.
    explicit TPlotAxis(int type = 0);

    double clampToFull(double v) const;
    // From high to low sets `reversed`; equal values change nothing. The
    // visible range stays.
    void setFullRange(double a, double b);
    // Clamped into the full range and ordered; equal values change nothing.
    void setVisibleRange(double a, double b);
    void showFullRange();
    void scale(double factor);

    void setCaption(const QString& text) { caption = text; }
    void setCaptionVisible(bool on) { captionVisible = on; }
    void setDecimals(int n) { decimals = n; }
    void setVisible(bool on) { visible = on; }
    void setLogScale(bool on) { logScale = on ? 1 : 0; }
    bool isLogScale() const { return logScale == 1; }

    // The device coordinate of v when the values from..to span the device
    // range lo..hi. On a logarithmic axis a value, or a value range, that
    // is not positive has no place: the answer is NaN.
    double valueToDevice(double v, double from, double to, double lo, double hi) const;
    // Device coordinates fall as values grow.
    bool runsAgainstDevice() const;

    void write(TDataStream& s) const;
    // False when the stream failed; the axis then keeps what it held.
    bool read(TDataStream& s);

    int32_t type;
    int32_t horizontal;
    int32_t reversed = 0;
    bool visible = true;
    double crossValue = 0.0;
    bool atEdge = true;
    double fullFrom = -std::numeric_limits<double>::max();
    double fullTo = std::numeric_limits<double>::max();
    double visibleFrom = -std::numeric_limits<double>::max();
    double visibleTo = std::numeric_limits<double>::max();
    double tickStep = 0.0;
    bool autoTickStep = true;
    QString caption;
    int32_t captionAlignment = 132;  // Qt::AlignCenter
    bool captionVisible;
    int32_t decimals;
    int32_t logScale = 0;
    int32_t labelSide = 0;
};
