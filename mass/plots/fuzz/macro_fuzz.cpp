// Title formats as users type them, documents store them and scripts set
// them. The input (UTF-8) is expanded by a parser with one macro of every
// argument kind and by the mass plot title parser over a spectrum with
// acquired and background ranges. Expansion must end, and what it cannot
// change must come back as it was:
// - a text without "{" or "$" is returned unchanged;
// - a parser whose list is empty returns every text unchanged;
// - the result is built from the text's pieces and values of bounded
//   size, so it stays within a fixed multiple of the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QString>
#include <QUuid>

#include "tmassdataobj.h"
#include "tmassplottitleparser.h"

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "macro fuzz: %s\n", what);
        std::abort();
    }
}

// Values of every kind, through the base class's formatters.
class KindsParser : public TMacroParser {
public:
    KindsParser()
    {
        m_list.insert(QStringLiteral("i"), {QStringLiteral("I"), QString(), integerParameters()});
        m_list.insert(QStringLiteral("r"), {QStringLiteral("R"), QString(), realParameters()});
        m_list.insert(QStringLiteral("s"), {QStringLiteral("S"), QString(), stringParameters()});
        m_list.insert(QStringLiteral("p"), {QStringLiteral("P"), QString(), stringParameters()});
        m_list.insert(QStringLiteral("a"), {QStringLiteral("A"), QString(), {}});
    }
    const TMacroMap& macros() const override { return m_list; }
    QString expandMacro(const QString& name, const QStringList& arguments) override
    {
        if (name == QLatin1String("i"))
            return formatInteger(arguments, -26);
        if (name == QLatin1String("r"))
            return formatReal(arguments, -1.25e-300);
        if (name == QLatin1String("s"))
            return formatString(arguments, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
        if (name == QLatin1String("p"))
            return formatFilePath(arguments, QStringLiteral("/data/runs/2026/sample.run"));
        return arguments.join(QLatin1Char('|'));
    }

private:
    TMacroMap m_list;
};

class EmptyParser : public TMacroParser {
public:
    const TMacroMap& macros() const override { return m_list; }
    QString expandMacro(const QString&, const QStringList&) override
    {
        check(false, "a macro expanded from an empty list");
        return QString();
    }

private:
    TMacroMap m_list;
};

const TMassSpecDataObj& spectrum()
{
    static const TMassSpecDataObj object = [] {
        TKSMassSpectrum s;
        s.setPoints({100.0, 150.5, 201.25}, {10.0, 1000.0, 5.0});
        s.setSource(0, 1);
        s.setScanRanges({{3, 9}, {12, 12}}, {{0.0625, 0.1875}, {0.25, 0.25}});
        s.setBackgroundRanges({{1, 2}}, {{0.01, 0.03}});
        return TMassSpecDataObj(QUuid(), s, 1);
    }();
    return object;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));

    KindsParser kinds;
    const QString expanded = kinds.expand(text);
    // The longest values for their references: a real of the largest
    // precision ("{r,99,e}", 106 characters) and an integer in base 2
    // ("{i,2}", 64); joined arguments are shorter than their reference.
    check(expanded.size() <= 16 * qMax(1, text.size()), "result out of bounds");
    if (!text.contains(QLatin1Char('{')) && !text.contains(QLatin1Char('$')))
        check(expanded == text, "a text without references changed");

    EmptyParser empty;
    check(empty.expand(text) == text, "a text changed without macros");

    TMassPlotTitleParser title(nullptr, &spectrum(), QStringLiteral("/data/runs/2026/sample.run"), 3);
    title.expand(text);
    TMassPlotTitleParser bare(nullptr, nullptr, text, 2000000000);
    bare.expand(text);
    return 0;
}
