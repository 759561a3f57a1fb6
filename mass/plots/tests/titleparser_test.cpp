// The title macros of mass plots over a generated run of the core
// library's test provider and the bundled text dataset, both opened
// through the data services registered into each case's registry.
#include <gtest/gtest.h>

#include <QUuid>

#include <memory>
#include <string>

#include "kstest.h"
#include "macrotest.h"
#include "massutils.h"
#include "tmassdataobj.h"
#include "tmassplottitleparser.h"

namespace {

const std::wstring kRunProvider = L"{25DEF092-05A5-4401-A622-8A662B7591BD}";
const std::wstring kTextProvider = L"{127AC576-D36A-11D3-91D9-00400536072C}";

const char* const kRun =
    "kestrom-run 1\n"
    "run seed=5\n"
    "injection name=\"Injection A\"\n"
    "function name=\"MS+\" type=1 polarity=1 scans=60 start=0 step=0.02 low=100 high=700 noise=150 noisepeaks=15\n"
    "function name=\"MS/MS-\" type=2 polarity=2 order=2 precursor=195.0877 scans=60 start=0 step=0.02 low=50 high=300\n"
    "compound function=1 apex=0.7 width=0.05 height=48000 cluster=195.0877/1:100,9.7,1.2\n"
    "compound function=2 apex=0.7 width=0.05 height=9000 peaks=138.0662:100,110.0713:40\n"
    "trace name=\"UV 254\" start=0 step=0.005 points=240 baseline=2 peaks=0.7:0.03:1000\n"
    "trace name=\"UV 280\" start=0 step=0.005 points=240 baseline=1\n"
    "trace name=\"Column pressure\" start=0 step=0.01 points=120 baseline=180\n"
    "injection name=\"Second injection of the run, with a long name\"\n"
    "function name=\"MS-\" type=1 polarity=2 scans=10 start=0 step=0.02 low=140 high=320\n";

std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

class TitleMacros : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ks::test::registerComponents({"KSProviderServer", "KSTextProvider", "ks_tindrel_test_provider"}));
        const std::string path = ks::test::tempDir() + "/titles.run";
        ks::test::writeFile(path, kRun);
        TKSDataServer server;
        m_dataset.reset(server.openDataset(wide(path), kRunProvider));
        ASSERT_TRUE(m_dataset);
    }

    std::unique_ptr<TKSDataset> m_dataset;
};

// The one macro list: names in order, titles, help texts and the
// parameters of each kind.
TEST(TitleMacroList, Entries)
{
    struct Entry {
        const char* name;
        const char* title;
        const char* help;
        TMacroParameterList parameters;
    };
    const TMacroParameterList integer = TMacroParser::integerParameters();
    const TMacroParameterList real = TMacroParser::realParameters();
    const TMacroParameterList string = TMacroParser::stringParameters();
    const Entry entries[] = {
        {"desc", "Description", "The description as shown in the ZU Vodezu", string},
        {"file", "File", "The dataset path name", string},
        {"funcI", "Function Index", "Current function index", integer},
        {"funcN", "Function Name", "Current function name", string},
        {"injI", "Injection Index", "Current injection index", integer},
        {"injN", "Injection Name", "Current injection name", string},
        {"rt_ranges", "RT ranges", "The spectrum retention time ranges", real},
        {"scan_ranges", "Scan ranges", "The spectrum scan ranges", {}},
    };
    TMassPlotTitleParser parser(nullptr, nullptr, QString());
    const TMacroMap& list = parser.macros();
    ASSERT_EQ(list.size(), int(std::size(entries)));
    auto it = list.constBegin();
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(it.key(), e.name);
        EXPECT_EQ(it->title, e.title);
        EXPECT_EQ(it->help, e.help);
        EXPECT_EQ(it->parameters, e.parameters);
        ++it;
    }
    // Shared by every title parser.
    EXPECT_EQ(&TMassPlotTitleParser(nullptr, nullptr, QString()).macros(), &list);
}

TEST_F(TitleMacros, Expansions)
{
    const TKSDataset* d = m_dataset.get();
    std::unique_ptr<TKSMSCollection> ms(functionCollection(d, 0, 0));
    std::unique_ptr<TKSMSCollection> msms(functionCollection(d, 0, 1));
    std::unique_ptr<TKSMSCollection> second(functionCollection(d, 1, 0));
    std::unique_ptr<TKSTrace> trace(datasetTrace(d, 0, 2));
    ASSERT_TRUE(ms && msms && second && trace);

    TKSChromatogram pressure, tic, secondTic;
    ASSERT_TRUE(trace->getChromatogram(pressure));
    ASSERT_TRUE(msms->getTICChromatogram(tic));
    ASSERT_TRUE(second->getTICChromatogram(secondTic));
    const TChromatogramDataObj pressureObject(QUuid::createUuid(), pressure, 6);
    const TChromatogramDataObj ticObject(QUuid::createUuid(), tic, 1);
    const TChromatogramDataObj secondObject(QUuid::createUuid(), secondTic, 1);

    // Scans 34 to 40 lie at 0.66 to 0.78 minutes, 11 to 13 at 0.20 to 0.24.
    TKSMSCollectionSelection selection;
    TKSMassSpectrum selected, subtracted;
    ASSERT_TRUE(ms->select(0.655, 0.785, false, selection, selected));
    const TMassSpecDataObj spectrum(QUuid::createUuid(), selected, 1);
    ASSERT_TRUE(ms->select(0.195, 0.245, true, selection, subtracted));
    const TMassSpecDataObj background(QUuid::createUuid(), subtracted, 1);

    // A spectrum whose injection the dataset does not hold.
    TKSMassSpectrum stray;
    ASSERT_TRUE(stray.setPoints({100.0, 200.0}, {1.0, 2.0}));
    stray.setSource(5, 0);
    const TMassSpecDataObj strayObject(QUuid::createUuid(), stray, 1);

    struct Case {
        const char* name;
        const IMassPlotData* data;
        const char* format;
        const char* expected;
    };
    const Case cases[] = {
        {"detector trace: its index and name", &pressureObject, "{funcI}|{funcN}|{injI}|{injN}",
         "2|Column pressure|0|Injection A"},
        {"trace index as integer bases 0 and 1", &pressureObject, "{funcI,0}{funcI,1}{funcI,2}", "2210"},
        {"chromatogram: no ranges", &pressureObject, "[{rt_ranges}][{rt_ranges,2,e}][{scan_ranges}]", "[][][]"},
        {"chromatogram description", &ticObject, "{desc} {desc,2} $desc$", "TIC TI TIC"},
        {"function of a chromatogram", &ticObject, "{funcI}: {funcN}", "1: MS/MS-"},
        {"spectrum with the title's decimals", &spectrum, "{rt_ranges}|{scan_ranges}", " 0.660..0.780| 34..40"},
        {"spectrum, precision and format", &spectrum, "{rt_ranges,1}|{rt_ranges,2,e}|{rt_ranges,x,g}",
         " 0.7..0.8| 6.60e-01..7.80e-01| 0.66..0.78"},
        {"spectrum names", &spectrum, "{injN} / {funcN} / {desc}", "Injection A / MS+ / MS + spectrum 34..40"},
        {"background ranges", &background, "{scan_ranges}|{rt_ranges,2}", " 34..40 - 11..13| 0.66..0.78 - 0.20..0.24"},
        {"second injection", &secondObject, "{injI} {injN,32,m}|{funcN}",
         "1 Second injecti...ith a long name|MS-"},
        {"injection not in the dataset", &strayObject, "[{injN}][{funcN}] {injI} {funcI}", "[][] 5 0"},
        {"unknown and repeated references", &ticObject, "{funcN} {nosuch} {funcN}", "MS/MS- {nosuch} MS/MS-"},
    };
    for (const Case& c : cases) {
        TMassPlotTitleParser parser(d, c.data, QStringLiteral("titles.run"));
        EXPECT_EQ(parser.expand(QString::fromUtf8(c.format)), QString::fromUtf8(c.expected)) << c.name;
    }
}

TEST_F(TitleMacros, FileNamesAndTheDefaultFormat)
{
    std::unique_ptr<TKSMSCollection> ms(functionCollection(m_dataset.get(), 0, 0));
    ASSERT_TRUE(ms);
    TKSMassSpectrum one;
    ASSERT_TRUE(ms->getSpectrum(4, one));
    const TMassSpecDataObj spectrum(QUuid::createUuid(), one, 1);

    const QString fileName = QStringLiteral("/data/runs/2026-12-11/sample_0001234.run");
    ASSERT_EQ(fileName.size(), 40);
    TMassPlotTitleParser parser(m_dataset.get(), &spectrum, fileName);
    const QString file = parser.expand(QStringLiteral("{file,32,m}"));
    EXPECT_EQ(file, fileName.left(14) + "..." + fileName.right(15));
    EXPECT_EQ(file.size(), 32);
    EXPECT_EQ(parser.expand(QStringLiteral("{file}")), fileName);
    EXPECT_EQ(parser.expand(QStringLiteral("{file,32,m} {injN,32,m} {funcN,32,m} {desc}")),
              file + " Injection A MS+ MS + spectrum 5");
}

// Without a data object every macro but {file} is empty; without a dataset
// the names are, the indexes and description still show.
TEST_F(TitleMacros, NullDatasetOrDataObject)
{
    TKSChromatogram tic;
    std::unique_ptr<TKSMSCollection> ms(functionCollection(m_dataset.get(), 0, 0));
    ASSERT_TRUE(ms && ms->getTICChromatogram(tic));
    const TChromatogramDataObj ticObject(QUuid::createUuid(), tic, 1);
    const QString all = QStringLiteral("{file}|{funcI}|{funcN}|{injI}|{injN}|{desc}|{rt_ranges}|{scan_ranges}");

    EXPECT_EQ(TMassPlotTitleParser(m_dataset.get(), nullptr, "f.run").expand(all), "f.run|||||||");
    EXPECT_EQ(TMassPlotTitleParser(nullptr, nullptr, "f.run").expand(all), "f.run|||||||");
    EXPECT_EQ(TMassPlotTitleParser(nullptr, &ticObject, "f.run").expand(all), "f.run|0||0||TIC||");
}

// The title's decimals are the default precision of the retention times,
// kept within the bounds of every precision.
TEST_F(TitleMacros, Decimals)
{
    std::unique_ptr<TKSMSCollection> ms(functionCollection(m_dataset.get(), 0, 0));
    TKSMSCollectionSelection selection;
    TKSMassSpectrum selected;
    ASSERT_TRUE(ms && ms->select(0.655, 0.785, false, selection, selected));
    const TMassSpecDataObj spectrum(QUuid::createUuid(), selected, 1);
    auto ranges = [&](int decimals, const char* format) {
        return TMassPlotTitleParser(m_dataset.get(), &spectrum, QString(), decimals).expand(format);
    };
    EXPECT_EQ(ranges(1, "{rt_ranges}"), " 0.7..0.8");
    EXPECT_EQ(ranges(1, "{rt_ranges,4}"), " 0.6600..0.7800");
    EXPECT_EQ(ranges(-4, "{rt_ranges}"), " 1..1");
    // " " and two numbers of "0." and the largest precision, "..".
    EXPECT_EQ(ranges(2000000000, "{rt_ranges}").size(), 1 + 2 * (2 + TMacroParser::kMaxPrecision) + 2);
    EXPECT_EQ(ranges(3, "{rt_ranges,2147483647}").size(), 1 + 2 * (2 + TMacroParser::kMaxPrecision) + 2);
}

// The bundled text dataset through the text provider: one injection, one
// function, spectra with their scans and times.
TEST_F(TitleMacros, TextDataset)
{
    TKSDataServer server;
    std::unique_ptr<TKSDataset> text(
        server.openDataset(wide(std::string(KS_TEXT_SAMPLES_DIR) + "/text_dataset.txt"), kTextProvider));
    ASSERT_TRUE(text);
    std::unique_ptr<TKSMSCollection> spectra(functionCollection(text.get(), 0, 0));
    ASSERT_TRUE(spectra);
    TKSMassSpectrum first;
    ASSERT_TRUE(spectra->getSpectrum(0, first));
    const TMassSpecDataObj spectrum(QUuid::createUuid(), first, 1);
    const QString name = QString::fromStdWString(text->getDatasetName());
    TMassPlotTitleParser parser(text.get(), &spectrum, name);
    EXPECT_EQ(parser.expand(QStringLiteral("{file,0}|{injI}:{funcI}|{scan_ranges}|{rt_ranges}")),
              name + "|0:0| 1| 0.100");
    std::unique_ptr<TKSInjection> injection(datasetInjection(text.get(), 0));
    std::unique_ptr<TKSFunction> function(datasetFunction(text.get(), 0, 0));
    ASSERT_TRUE(injection && function);
    EXPECT_EQ(parser.expand(QStringLiteral("{injN}/{funcN}")),
              QString::fromStdWString(injection->getName()) + "/" + QString::fromStdWString(function->getName()));
    EXPECT_FALSE(parser.expand(QStringLiteral("{injN}{funcN}")).isEmpty());
}

}  // namespace
