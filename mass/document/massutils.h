// Stateless helpers of the mass plug-in: display texts of the function
// enums, scan and retention-time range texts of a spectrum, walking a
// dataset tree of the core library to one injection, function, trace or
// spectrum collection, page-unit conversions and small geometry, font and
// text functions.
//
// Page units are pixels at 300 per inch (11.811023622047244 per
// millimetre). Length unit codes: -1 pixels, 0 millimetres, 1 inches.
//
// Navigation takes a dataset that may be null and answers null (or -1 for
// a count) when anything on the way is missing; every intermediate object
// is deleted before it returns, and the result is new and the caller's.
#pragma once

#include <QBrush>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include "tindrel.h"

constexpr double kPixelsPerMm = 11.811023622047244;
constexpr double kPixelsPerInch = 300.0;
constexpr double kMmPerInch = 25.4;

enum LengthUnit {
    UnitPixels = -1,
    UnitMillimetres = 0,
    UnitInches = 1,
};

// Enum texts; a value not listed gives an empty text.
QString msTypeText(int functionType);
QString msmsTypeText(int msmsType);
QString polarityText(int polarity);
QString analyzerText(int analyzerType);

// "12" for {12, 12}, "12..15" for {12, 15}.
QString scanRangeText(const TKSScanRange& range);
// The start alone when both ends are equal, else "start..end", numbers
// written with QString::number(value, format, precision).
QString timeRangeText(const TKSTimeRange& range, char format, int precision);
// " " and the range text for each acquired range, then " - " and the range
// text for each background range; empty without ranges.
QString scanRangesText(const TKSMassSpectrum& spectrum);
QString timeRangesText(const TKSMassSpectrum& spectrum, char format, int precision);

// Dataset navigation (indexes from 0).
TKSInjection* datasetInjection(const TKSDataset* dataset, int injection);
TKSFunctions* injectionFunctions(const TKSDataset* dataset, int injection);
int functionCount(const TKSDataset* dataset, int injection);
TKSFunction* datasetFunction(const TKSDataset* dataset, int injection, int function);
TKSTrace* datasetTrace(const TKSDataset* dataset, int injection, int trace);
TKSMSCollection* functionCollection(const TKSDataset* dataset, int injection, int function);

// Units and geometry.
double mmToPixels(double mm);
double pixelsToMm(double pixels);
// Between the unit codes above; an unknown code gives 0.
double convertLength(double value, int fromUnit, int toUnit);
double percentOf(int percent, double value);
double degreesToRadians(double degrees);
// Rotation by `radians` about `centre`.
QTransform rotationMatrix(const QPointF& centre, double radians);
// Maps `source` onto `target` (a zero source extent counts as 1).
QTransform rectMappingMatrix(const QRectF& source, const QRectF& target);
// `target` with its top-left kept and its width or height reduced to the
// aspect ratio of `source`; unchanged when `source` has no extent.
QRectF fitAspectRect(const QRectF& source, const QRectF& target);
// True when `point` lies inside `rect` or on its edges; otherwise moves
// each coordinate outside to the nearer edge and answers false.
bool clampToRect(const QRectF& rect, QPointF& point);

// Painting and text.
bool isTransparent(const QBrush& brush);
// A copy of `font` with the pixel size it resolves to, so that it paints at
// the same size on any device (needs a QGuiApplication).
QFont pixelSizedFont(const QFont& font);
// `text` shortened to `maximum` characters: mode 0 cuts, 1 keeps the end
// behind "...", 2 keeps the start before "...", any other mode keeps both
// ends around "..." in the middle. A maximum below 3 cuts.
QString elideText(const QString& text, int maximum, int mode);
// Digits as subscripts (superscripts with the flag), one tag per run.
QString formulaToHtml(const QString& formula, bool superscript);
