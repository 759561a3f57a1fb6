#include "massutils.h"

#include <QFontInfo>

#include <cmath>
#include <memory>

namespace {

template <class R, class F>
QString rangesText(const std::vector<R>& acquired, const std::vector<R>& background, F text)
{
    QString out;
    for (const R& r : acquired)
        out += QLatin1Char(' ') + text(r);
    for (const R& r : background)
        out += QLatin1String(" - ") + text(r);
    return out;
}

}  // namespace

QString msTypeText(int functionType)
{
    switch (functionType) {
    case 0: return QStringLiteral("Unknown");
    case 1: return QStringLiteral("MS");
    case 2: return QStringLiteral("MS^n");
    case 3: return QStringLiteral("MS zoom");
    case 4: return QStringLiteral("MS^n zoom");
    case 5: return QStringLiteral("MS-mode selected ion monitoring");
    case 6: return QStringLiteral("MS^n-mode selected ion monitoring");
    default: return QString();
    }
}

QString msmsTypeText(int msmsType)
{
    switch (msmsType) {
    case 0: return QStringLiteral("None");
    case 1: return QStringLiteral("Precursor");
    case 2: return QStringLiteral("Product");
    case 3: return QStringLiteral("Neutral loss");
    default: return QString();
    }
}

QString polarityText(int polarity)
{
    switch (polarity) {
    case 0: return QStringLiteral("Unknown");
    case 1: return QStringLiteral("Positive");
    case 2: return QStringLiteral("Negative");
    case 3: return QStringLiteral("Both");
    default: return QString();
    }
}

QString analyzerText(int analyzerType)
{
    switch (analyzerType) {
    case 0: return QStringLiteral("Unknown");
    case 1: return QStringLiteral("Quad & ion trap");
    case 2: return QStringLiteral("Time of flight");
    case 3: return QStringLiteral("Sector analyzer");
    case 4: return QStringLiteral("FTMS");
    case 100: return QStringLiteral("Other");
    default: return QString();
    }
}

QString scanRangeText(const TKSScanRange& range)
{
    if (range.first == range.last)
        return QString::number(range.first);
    return QStringLiteral("%1..%2").arg(range.first).arg(range.last);
}

QString timeRangeText(const TKSTimeRange& range, char format, int precision)
{
    const QString start = QString::number(range.start, format, precision);
    if (range.start == range.end)
        return start;
    return start + QLatin1String("..") + QString::number(range.end, format, precision);
}

QString scanRangesText(const TKSMassSpectrum& spectrum)
{
    return rangesText(spectrum.getScanRanges(), spectrum.getBackgroundScanRanges(),
                      [](const TKSScanRange& r) { return scanRangeText(r); });
}

QString timeRangesText(const TKSMassSpectrum& spectrum, char format, int precision)
{
    return rangesText(spectrum.getTimeRanges(), spectrum.getBackgroundTimeRanges(),
                      [&](const TKSTimeRange& r) { return timeRangeText(r, format, precision); });
}

TKSInjection* datasetInjection(const TKSDataset* dataset, int injection)
{
    if (!dataset)
        return nullptr;
    std::unique_ptr<TKSInjections> injections(dataset->getInjections());
    return injections ? injections->getItem(injection) : nullptr;
}

TKSFunctions* injectionFunctions(const TKSDataset* dataset, int injection)
{
    std::unique_ptr<TKSInjection> inj(datasetInjection(dataset, injection));
    return inj ? inj->getFunctions() : nullptr;
}

int functionCount(const TKSDataset* dataset, int injection)
{
    std::unique_ptr<TKSFunctions> functions(injectionFunctions(dataset, injection));
    return functions ? functions->getCount() : -1;
}

TKSFunction* datasetFunction(const TKSDataset* dataset, int injection, int function)
{
    std::unique_ptr<TKSFunctions> functions(injectionFunctions(dataset, injection));
    return functions ? functions->getItem(function) : nullptr;
}

TKSTrace* datasetTrace(const TKSDataset* dataset, int injection, int trace)
{
    std::unique_ptr<TKSInjection> inj(datasetInjection(dataset, injection));
    if (!inj)
        return nullptr;
    std::unique_ptr<TKSTraces> traces(inj->getTraces());
    return traces ? traces->getItem(trace) : nullptr;
}

TKSMSCollection* functionCollection(const TKSDataset* dataset, int injection, int function)
{
    std::unique_ptr<TKSFunction> fn(datasetFunction(dataset, injection, function));
    return fn ? fn->getSpectrumCollection() : nullptr;
}

double mmToPixels(double mm)
{
    return mm * kPixelsPerMm;
}

double pixelsToMm(double pixels)
{
    return pixels / kPixelsPerMm;
}

double convertLength(double value, int fromUnit, int toUnit)
{
    const auto known = [](int u) { return u == UnitPixels || u == UnitMillimetres || u == UnitInches; };
    if (!known(fromUnit) || !known(toUnit))
        return 0.0;
    if (fromUnit == toUnit)
        return value;
    switch (fromUnit) {
    case UnitPixels:
        return toUnit == UnitMillimetres ? value / kPixelsPerMm : value / kPixelsPerInch;
    case UnitMillimetres:
        return toUnit == UnitPixels ? value * kPixelsPerMm : value / kMmPerInch;
    default:  // inches
        return toUnit == UnitPixels ? value * kPixelsPerInch : value * kMmPerInch;
    }
}

double percentOf(int percent, double value)
{
    return percent * value / 100.0;
}

double degreesToRadians(double degrees)
{
    return degrees * 3.141592653589793 / 180.0;
}

QTransform rotationMatrix(const QPointF& centre, double radians)
{
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(radians * 180.0 / 3.141592653589793);
    t.translate(-centre.x(), -centre.y());
    return t;
}

QTransform rectMappingMatrix(const QRectF& source, const QRectF& target)
{
    const double sw = source.width() != 0 ? source.width() : 1.0;
    const double sh = source.height() != 0 ? source.height() : 1.0;
    const double sx = target.width() / sw;
    const double sy = target.height() / sh;
    return QTransform(sx, 0, 0, sy, target.x() - source.x() * sx, target.y() - source.y() * sy);
}

QRectF fitAspectRect(const QRectF& source, const QRectF& target)
{
    const double sw = source.width(), sh = source.height();
    // A source without extent has no aspect ratio: dividing by it would
    // give an infinite or undefined rectangle.
    if (sw == 0 || sh == 0 || !std::isfinite(sw) || !std::isfinite(sh))
        return target;
    QRectF r = target;
    if (std::fabs(target.height() / sh) < std::fabs(target.width() / sw))
        r.setWidth(target.height() * sw / sh);
    else
        r.setHeight(sh * target.width() / sw);
    return r;
}

bool clampToRect(const QRectF& rect, QPointF& point)
{
    const double left = rect.x(), right = rect.x() + rect.width();
    const double top = rect.y(), bottom = rect.y() + rect.height();
    bool inside = true;
    if (point.x() > right) {
        point.setX(right);
        inside = false;
    } else if (point.x() < left) {
        point.setX(left);
        inside = false;
    }
    if (point.y() > bottom) {
        point.setY(bottom);
        inside = false;
    } else if (point.y() < top) {
        point.setY(top);
        inside = false;
    }
    return inside;
}

bool isTransparent(const QBrush& brush)
{
    return brush.color().alpha() == 0;
}

QFont pixelSizedFont(const QFont& font)
{
    QFont f(font);
    const int px = QFontInfo(font).pixelSize();
    if (px > 0)
        f.setPixelSize(px);
    return f;
}

QString elideText(const QString& text, int maximum, int mode)
{
    if (text.size() <= maximum)
        return text;
    if (maximum <= 0)
        return QString();
    // Below 3 characters there is no room for "..." and a part of the text.
    if (mode == 0 || maximum < 3)
        return text.left(maximum);
    const int keep = maximum - 3;
    const QString dots = QStringLiteral("...");
    switch (mode) {
    case 1: return dots + text.right(keep);
    case 2: return text.left(keep) + dots;
    default: {
        const int head = keep / 2;
        return text.left(head) + dots + text.right(keep - head);
    }
    }
}

QString formulaToHtml(const QString& formula, bool superscript)
{
    const QString tag = superscript ? QStringLiteral("sup") : QStringLiteral("sub");
    const QString open = QLatin1Char('<') + tag + QLatin1Char('>');
    const QString close = QLatin1String("</") + tag + QLatin1Char('>');
    QString out;
    for (const QChar c : formula) {
        if (c.isDigit())
            out += open + c + close;
        else
            out += c;
    }
    return out.remove(close + open);
}
