// Helpers of the plot-model tests: bytes written through a block stream,
// committed golden hex files, and a plot holding its own axes.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kstest.h"
#include "streamtest.h"
#include "tbaseplot.h"
#include "tbaseplotter.h"
#include "tdatastream.h"
#include "tplotproperties.h"

namespace plottest {

using streamtest::hex;
using streamtest::written;

// Compares bytes with FOLDER/NAME.hex (hex pairs, any white space).
// With KS_WRITE_GOLDEN set in the environment the file is written instead.
inline void expectGoldenIn(const std::string& folder, const QByteArray& bytes, const std::string& name)
{
    const std::string path = folder + "/" + name + ".hex";
    if (std::getenv("KS_WRITE_GOLDEN")) {
        std::string text;
        const std::string h = QString::fromLatin1(bytes.toHex()).toStdString();
        for (size_t i = 0; i < h.size(); i += 2) {
            text += h.substr(i, 2);
            text += (i / 2 % 16 == 15) ? "\n" : " ";
        }
        if (!text.empty() && text.back() == ' ')
            text.back() = '\n';
        ks::test::writeFile(path, text);
        return;
    }
    const std::string stored = ks::test::readFile(path);
    ASSERT_FALSE(stored.empty()) << "missing golden file " << path;
    EXPECT_EQ(hex(bytes), hex(QByteArray::fromHex(QByteArray::fromStdString(stored)))) << name;
}

inline void expectGolden(const QByteArray& bytes, const std::string& name)
{
    expectGoldenIn(std::string(KS_SOURCE_DIR) + "/data", bytes, name);
}

// The painter of the test plots: the base plotter as it stands.
class ModelPlotter : public TBasePlotter {
public:
    using TBasePlotter::TBasePlotter;
    const QUuid& typeId() const override
    {
        static const QUuid id("{0f6c2d1e-7a55-4b1a-9e0d-3c2b1a090807}");
        return id;
    }
};

// A one-dimensional plot as the model sees it: two axes, two segment lists
// and a property group; its painter draws no traces.
class ModelPlot : public TBasePlot {
public:
    ModelPlot() : TBasePlot(1, QUuid("{11111111-2222-3333-4444-555555555555}")), m_axis1(0), m_axis2(1) {}

    // Full ranges set and shown whole, every cut restored.
    ModelPlot(double from1, double to1, double from2, double to2) : ModelPlot()
    {
        setFullRange(1, from1, to1);
        setFullRange(2, from2, to2);
        fullZoomOut(3);
        restoreAllRanges(3);
    }

    TPlotAxis& axis1() override { return m_axis1; }
    TPlotAxis& axis2() override { return m_axis2; }
    TValueRangeList& segments1() override { return m_segments1; }
    TValueRangeList& segments2() override { return m_segments2; }
    const TPlotAxis& axis1() const override { return m_axis1; }
    const TPlotAxis& axis2() const override { return m_axis2; }
    const TValueRangeList& segments1() const override { return m_segments1; }
    const TValueRangeList& segments2() const override { return m_segments2; }
    const TBasePlotProperties& properties() const override { return m_properties; }
    void setProperties(const TBasePlotProperties& p) override { m_properties.assign(p); }
    void write(TDataStream& s) const override
    {
        m_axis1.write(s);
        m_axis2.write(s);
    }
    void read(TDataStream& s) override { loadAxes(s); }
    void zoomIntensity(bool) override {}
    void fitIntensityToHeight() override {}
    void writeVerticalRanges(TDataStream& s) const override
    {
        s << m_axis2.fullFrom << m_axis2.fullTo << m_axis2.visibleFrom << m_axis2.visibleTo;
    }
    void readVerticalRanges(TDataStream&) override {}
    TBasePlotter& plotter() override { return m_plotter; }
    const TBasePlotter& plotter() const override { return m_plotter; }
    void draw(QPainter*) override {}

    T1DPlotProperties& look() { return m_properties; }

private:
    TPlotAxis m_axis1, m_axis2;
    TValueRangeList m_segments1{0, 1}, m_segments2{0, 1};
    T1DPlotProperties m_properties;
    ModelPlotter m_plotter{*this};
};

using Ranges = std::vector<std::pair<double, double>>;

inline Ranges rangesOf(const TValueRangeList& l)
{
    Ranges out;
    for (int i = 0; i < l.count(); ++i)
        out.emplace_back(l.at(i).from(), l.at(i).to());
    return out;
}

}  // namespace plottest
