// Text, enum, range, unit and geometry helpers.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>

#include "massutils.h"

namespace {

TEST(MassUtils, EnumTexts)
{
    struct Case {
        QString (*text)(int);
        int value;
        const char* expected;
    };
    const Case cases[] = {
        {msTypeText, 0, "Unknown"}, {msTypeText, 1, "MS"}, {msTypeText, 2, "MS^n"},
        {msTypeText, 3, "MS zoom"}, {msTypeText, 4, "MS^n zoom"},
        {msTypeText, 5, "MS-mode selected ion monitoring"}, {msTypeText, 6, "MS^n-mode selected ion monitoring"},
        {msTypeText, 7, ""}, {msTypeText, -1, ""},
        {msmsTypeText, 0, "None"}, {msmsTypeText, 1, "Precursor"}, {msmsTypeText, 2, "Product"},
        {msmsTypeText, 3, "Neutral loss"}, {msmsTypeText, 4, ""},
        {polarityText, 0, "Unknown"}, {polarityText, 1, "Positive"}, {polarityText, 2, "Negative"},
        {polarityText, 3, "Both"}, {polarityText, 4, ""},
        {analyzerText, 0, "Unknown"}, {analyzerText, 1, "Quad & ion trap"}, {analyzerText, 2, "Time of flight"},
        {analyzerText, 3, "Sector analyzer"}, {analyzerText, 4, "FTMS"}, {analyzerText, 100, "Other"},
        {analyzerText, 5, ""}, {analyzerText, 99, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.text(c.value), c.expected);
    }
}

TEST(MassUtils, RangeTexts)
{
    EXPECT_EQ(scanRangeText({12, 12}), "12");
    EXPECT_EQ(scanRangeText({12, 15}), "12..15");
    EXPECT_EQ(timeRangeText({1.5, 1.5}, 'f', 2), "1.50");
    EXPECT_EQ(timeRangeText({1.5, 2.24}, 'f', 1), "1.5..2.2");
    EXPECT_EQ(timeRangeText({0.000123, 12.5}, 'g', 3), "0.000123..12.5");

    TKSMassSpectrum s;
    EXPECT_EQ(scanRangesText(s), "");
    EXPECT_EQ(timeRangesText(s, 'f', 2), "");
    s.setScanRanges({{34, 40}}, {{0.5, 0.625}});
    s.setBackgroundRanges({{10, 12}}, {{0.1, 0.1}});
    EXPECT_EQ(scanRangesText(s), " 34..40 - 10..12");
    EXPECT_EQ(timeRangesText(s, 'f', 3), " 0.500..0.625 - 0.100");
    s.setScanRanges({{1, 1}, {5, 9}}, {{0, 0}, {1, 2}});
    s.setBackgroundRanges({}, {});
    EXPECT_EQ(scanRangesText(s), " 1 5..9");
    EXPECT_EQ(timeRangesText(s, 'g', 6), " 0 1..2");
}

TEST(MassUtils, Units)
{
    struct Case {
        double value;
        int from, to;
        double expected;
    };
    const Case cases[] = {
        {1, UnitInches, UnitPixels, 300},
        {25.4, UnitMillimetres, UnitInches, 1},
        {1, UnitInches, UnitMillimetres, 25.4},
        {300, UnitPixels, UnitInches, 1},
        {118.11023622047244, UnitPixels, UnitMillimetres, 10},
        {10, UnitMillimetres, UnitPixels, 118.11023622047244},
        {7.5, UnitMillimetres, UnitMillimetres, 7.5},
        {7.5, UnitPixels, UnitPixels, 7.5},
        {1, UnitInches, 2, 0},
        {1, 2, UnitInches, 0},
        {1, -2, -2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " from " << c.from << " to " << c.to);
        EXPECT_DOUBLE_EQ(convertLength(c.value, c.from, c.to), c.expected);
    }
    EXPECT_DOUBLE_EQ(mmToPixels(25.4), 300);
    EXPECT_DOUBLE_EQ(pixelsToMm(300), 25.4);
    EXPECT_DOUBLE_EQ(percentOf(25, 80.0), 20.0);
    EXPECT_DOUBLE_EQ(percentOf(-50, 3.0), -1.5);
    EXPECT_DOUBLE_EQ(degreesToRadians(180), 3.141592653589793);
}

TEST(MassUtils, Matrices)
{
    const QTransform r = rotationMatrix(QPointF(10, 20), degreesToRadians(90));
    const QPointF p = r.map(QPointF(11, 20));
    EXPECT_NEAR(p.x(), 10, 1e-12);
    EXPECT_NEAR(p.y(), 21, 1e-12);
    EXPECT_EQ(r.map(QPointF(10, 20)), QPointF(10, 20));

    const QTransform m = rectMappingMatrix(QRectF(10, 20, 100, 50), QRectF(0, 0, 200, 25));
    EXPECT_EQ(m.map(QPointF(10, 20)), QPointF(0, 0));
    EXPECT_EQ(m.map(QPointF(110, 70)), QPointF(200, 25));
    EXPECT_EQ(m.m11(), 2.0);
    EXPECT_EQ(m.m22(), 0.5);
    // A source without width counts as width 1.
    const QTransform z = rectMappingMatrix(QRectF(5, 0, 0, 10), QRectF(0, 0, 4, 10));
    EXPECT_EQ(z.m11(), 4.0);
    EXPECT_EQ(z.dx(), -20.0);
}

TEST(MassUtils, FitAspectRect)
{
    struct Case {
        const char* name;
        QRectF source, target, expected;
    };
    const Case cases[] = {
        {"wide target", {0, 0, 100, 50}, {10, 10, 400, 100}, {10, 10, 200, 100}},
        {"tall target", {0, 0, 100, 50}, {10, 10, 100, 300}, {10, 10, 100, 50}},
        {"same aspect", {0, 0, 2, 1}, {0, 0, 20, 10}, {0, 0, 20, 10}},
        {"zero source width", {0, 0, 0, 50}, {1, 2, 30, 40}, {1, 2, 30, 40}},
        {"zero source height", {0, 0, 50, 0}, {1, 2, 30, 40}, {1, 2, 30, 40}},
        {"empty source", {}, {1, 2, 30, 40}, {1, 2, 30, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fitAspectRect(c.source, c.target), c.expected);
    }
}

TEST(MassUtils, ClampToRect)
{
    struct Case {
        QPointF in;
        bool inside;
        QPointF out;
    };
    const QRectF rect(10, 20, 100, 50);
    const Case cases[] = {
        {{50, 30}, true, {50, 30}},   {{10, 20}, true, {10, 20}},   {{110, 70}, true, {110, 70}},
        {{5, 30}, false, {10, 30}},   {{120, 30}, false, {110, 30}}, {{50, 0}, false, {50, 20}},
        {{50, 90}, false, {50, 70}},  {{0, 100}, false, {10, 70}},
    };
    for (const Case& c : cases) {
        QPointF p = c.in;
        EXPECT_EQ(clampToRect(rect, p), c.inside);
        EXPECT_EQ(p, c.out);
    }
}

TEST(MassUtils, ElideText)
{
    const QString ten = "abcdefghij";
    struct Case {
        const char* name;
        QString text;
        int maximum, mode;
        const char* expected;
    };
    const Case cases[] = {
        {"mode 0 cuts", ten, 7, 0, "abcdefg"},
        {"mode 1 keeps the end", ten, 7, 1, "...ghij"},
        {"mode 2 keeps the start", ten, 7, 2, "abcd..."},
        {"mode 3 keeps both ends", ten, 7, 3, "ab...ij"},
        {"other modes as 3", ten, 8, 9, "ab...hij"},
        {"short enough", ten, 10, 1, "abcdefghij"},
        {"maximum 3", ten, 3, 3, "..."},
        // Below 3 characters there is no room for "...": cut.
        {"maximum 2", ten, 2, 1, "ab"},
        {"maximum 1", ten, 1, 3, "a"},
        {"maximum 0", ten, 0, 2, ""},
        {"negative maximum", ten, -4, 1, ""},
        {"empty text", "", -1, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(elideText(c.text, c.maximum, c.mode), c.expected);
    }
}

TEST(MassUtils, FormulaToHtml)
{
    EXPECT_EQ(formulaToHtml("C12H22O11", false), "C<sub>12</sub>H<sub>22</sub>O<sub>11</sub>");
    EXPECT_EQ(formulaToHtml("C12H22O11", true), "C<sup>12</sup>H<sup>22</sup>O<sup>11</sup>");
    EXPECT_EQ(formulaToHtml("13C2H5", true), "<sup>13</sup>C<sup>2</sup>H<sup>5</sup>");
    EXPECT_EQ(formulaToHtml("NaCl", false), "NaCl");
    EXPECT_EQ(formulaToHtml("", false), "");
}

TEST(MassUtils, Painting)
{
    EXPECT_TRUE(isTransparent(QBrush(QColor(10, 20, 30, 0))));
    EXPECT_FALSE(isTransparent(QBrush(QColor(10, 20, 30, 1))));
    EXPECT_TRUE(isTransparent(QBrush(Qt::transparent)));

    QFont font;
    font.setPointSizeF(12);
    const QFont px = pixelSizedFont(font);
    EXPECT_EQ(px.pixelSize(), QFontInfo(font).pixelSize());
    EXPECT_GT(px.pixelSize(), 0);
    EXPECT_EQ(px.family(), font.family());
}

}  // namespace
