#include "tmassplottitleparser.h"

#include "massutils.h"
#include "tmassdataobj.h"

#include <memory>

TMassPlotTitleParser::TMassPlotTitleParser(const TKSDataset* dataset, const IMassPlotData* data,
                                           const QString& fileName, int decimals)
    : m_dataset(dataset), m_data(data), m_fileName(fileName), m_decimals(decimals)
{
}

TMassPlotTitleParser::~TMassPlotTitleParser() = default;

const TMacroMap& TMassPlotTitleParser::macros() const
{
    // Made on first use, after the application has installed its
    // translators, and shared by every title parser.
    static const TMacroMap list = buildMacroList();
    return list;
}

QString TMassPlotTitleParser::expandMacro(const QString& name, const QStringList& arguments)
{
    if (name == QLatin1String("file"))
        return formatString(arguments, m_fileName);
    // Every other macro describes the data object.
    if (!m_data)
        return QString();
    if (name == QLatin1String("funcI")) {
        const int trace = m_data->getTraceIndex();
        return formatInteger(arguments, trace >= 0 ? trace : m_data->getFunctionIndex());
    }
    if (name == QLatin1String("funcN"))
        return formatString(arguments, functionOrTraceName());
    if (name == QLatin1String("injI"))
        return formatInteger(arguments, m_data->getInjectionIndex());
    if (name == QLatin1String("injN"))
        return formatString(arguments, injectionName());
    if (name == QLatin1String("desc"))
        return formatString(arguments, m_data->description());
    const TMassSpecDataObj* spectrum = TMassSpecDataObj::cast(m_data);
    if (name == QLatin1String("rt_ranges")) {
        if (!spectrum)
            return QString();
        // The title's decimals come from a document: bounded as well.
        int precision = m_decimals;
        firstInteger(arguments, precision);
        return timeRangesText(spectrum->spectrum(), secondCharacter(arguments, 'f'), boundedPrecision(precision));
    }
    if (name == QLatin1String("scan_ranges"))
        return spectrum ? scanRangesText(spectrum->spectrum()) : QString();
    return QString();
}

TMacroMap TMassPlotTitleParser::buildMacroList()
{
    enum Kind { NoArguments, Integer, Real, String };
    struct Entry {
        const char* name;
        const char* title;
        const char* help;
        Kind kind;
    };
    const Entry entries[] = {
        {"desc", QT_TR_NOOP("Description"), QT_TR_NOOP("The description as shown in the ZU Vodezu"), String},
        {"file", QT_TR_NOOP("File"), QT_TR_NOOP("The dataset path name"), String},
        {"funcI", QT_TR_NOOP("Function Index"), QT_TR_NOOP("Current function index"), Integer},
        {"funcN", QT_TR_NOOP("Function Name"), QT_TR_NOOP("Current function name"), String},
        {"injI", QT_TR_NOOP("Injection Index"), QT_TR_NOOP("Current injection index"), Integer},
        {"injN", QT_TR_NOOP("Injection Name"), QT_TR_NOOP("Current injection name"), String},
        {"rt_ranges", QT_TR_NOOP("RT ranges"), QT_TR_NOOP("The spectrum retention time ranges"), Real},
        {"scan_ranges", QT_TR_NOOP("Scan ranges"), QT_TR_NOOP("The spectrum scan ranges"), NoArguments},
    };
    TMacroMap list;
    for (const Entry& e : entries) {
        TMacroParameterList parameters;
        switch (e.kind) {
        case Integer: parameters = integerParameters(); break;
        case Real: parameters = realParameters(); break;
        case String: parameters = stringParameters(); break;
        case NoArguments: break;
        }
        list.insert(QLatin1String(e.name), {tr(e.title), tr(e.help), parameters});
    }
    return list;
}

QString TMassPlotTitleParser::functionOrTraceName() const
{
    const int injection = m_data->getInjectionIndex();
    const int trace = m_data->getTraceIndex();
    if (trace < 0) {
        std::unique_ptr<TKSFunction> function(datasetFunction(m_dataset, injection, m_data->getFunctionIndex()));
        return function ? QString::fromStdWString(function->getName()) : QString();
    }
    std::unique_ptr<TKSTrace> found(datasetTrace(m_dataset, injection, trace));
    return found ? QString::fromStdWString(found->getName()) : QString();
}

QString TMassPlotTitleParser::injectionName() const
{
    std::unique_ptr<TKSInjection> injection(datasetInjection(m_dataset, m_data->getInjectionIndex()));
    return injection ? QString::fromStdWString(injection->getName()) : QString();
}
