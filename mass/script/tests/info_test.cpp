// The dataset information tree of a mass item's dataset: the bundled text
// dataset, the real one-spectrum text file and (with its provider) a real
// ChemStation run; collections, object names, getItem's rules, copies.
#include "scripttest.h"

#include <QFile>
#include <QTextStream>

#include "kstest.h"
#include "tmassinfowrapper.h"

using namespace scripttest;

namespace {

// Scans of a text dataset, counted from the file: one "Scan" line each.
int scansInFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    int n = 0;
    QTextStream in(&file);
    while (!in.atEnd())
        n += in.readLine().startsWith("Scan ");
    return n;
}

}  // namespace

class DatasetInfo : public ScriptTest {
protected:
    void use(TCanvasMass* item)
    {
        publish("x", item);
        run("var it = MassItem(x); var info = it.info");
    }
};

TEST_F(DatasetInfo, BundledTextDataset)
{
    use(import(bundledTextDataset(), kTextProviderId));
    struct Read {
        const char* script;
        QString answer;
    };
    const Read reads[] = {
        {"info.valid", "true"},
        {"info.objectName", "MassItemInfo"},
        {"info.injections.objectName", "MassInjectionsInfo"},
        {"info.injections.count", "1"},
        {"info.injections.getItem(0).objectName", "MassInjectionInfo"},
        {"info.injections.getItem(0).valid", "true"},
        {"info.injections.getItem(0).index", "0"},
        {"info.injections.getItem(0).functions.objectName", "MassFunctionsInfo"},
        {"info.injections.getItem(0).functions.count", "1"},
        {"info.injections.getItem(0).traces.objectName", "MassTracesInfo"},
        {"info.injections.getItem(0).traces.count", "0"},
        {"var f = info.injections.getItem(0).functions.getItem(0); f.objectName", "MassFunctionInfo"},
        {"f.valid", "true"},
        {"f.index", "0"},
        {"f.count", QString::number(scansInFile(bundledTextDataset()))},
        {"info.injections.getItem(0).name", "Injection 1"},
        {"f.name", "Function 1"},
        // A text file carries no acquisition type: the core library's codes
        // as the text reader gives them.
        {"f.msType == MassItem.FunctionMSType.Unknown", "true"},
        {"f.order", "1"},
        {"f.analyzerType == MassItem.MSAnalyzer.Unknown", "true"},
        {"f.polarity", "0"},
        {"f.msmsType == MassItem.FunctionMSMSType.None", "true"},
    };
    for (const Read& r : reads)
        EXPECT_EQ(run(r.script).toString(), r.answer) << r.script;
    EXPECT_EQ(scansInFile(bundledTextDataset()), 24);
    // Read-only: writes are ignored.
    EXPECT_EQ(run("f.count = 3; f.index = 5; f.name = 'n'; f.count").toInt32(), 24);
}

TEST_F(DatasetInfo, GetItemRules)
{
    use(import(bundledTextDataset(), kTextProviderId));
    run("var injections = info.injections; var traces = injections.getItem(0).traces");
    // An empty collection answers undefined whatever the arguments.
    for (const char* script : {"traces.getItem()", "traces.getItem('a')", "traces.getItem(0)", "traces.getItem(0, 1)"})
        EXPECT_TRUE(run(script).isUndefined()) << script;
    for (const char* script : {"injections.getItem(1)", "injections.getItem(-1)", "injections.getItem(2147483647)",
                               "injections.getItem(4294967296)", "injections.getItem(1e300)"})
        EXPECT_TRUE(run(script).isUndefined()) << script;
    EXPECT_EQ(error("injections.getItem()"), "Number of arguments is incorrect.");
    EXPECT_EQ(error("injections.getItem(0, 0)"), "Number of arguments is incorrect.");
    EXPECT_EQ(error("injections.getItem('0')"), "Incorrect Arguments");
    EXPECT_EQ(error("injections.getItem({})"), "Incorrect Arguments");
    // The last entry, the same object on repeated reads, as are the
    // collections of an entry and of the root.
    EXPECT_EQ(run("injections.getItem(injections.count - 1)").toQObject(),
              run("injections.getItem(0)").toQObject());
    EXPECT_EQ(run("info.injections").toQObject(), run("injections").toQObject());
    EXPECT_EQ(run("injections.getItem(0).functions").toQObject(), run("injections.getItem(0).functions").toQObject());
    // Two reads of info: two trees.
    EXPECT_NE(run("it.info").toQObject(), run("it.info").toQObject());
    EXPECT_NE(run("it.info.injections").toQObject(), run("info.injections").toQObject());
    // The tree outlives garbage collection of the entries' script values.
    engine->collectGarbage();
    EXPECT_EQ(run("info.injections.getItem(0).functions.getItem(0).count").toInt32(), 24);
}

TEST_F(DatasetInfo, RealOneSpectrumTextFile)
{
    use(import(QString::fromStdString(ks::test::realData("xmass/openms-XMassFile_test_data.txt")), kTextProviderId));
    EXPECT_TRUE(run("info.valid").toBool());
    EXPECT_EQ(run("info.injections.count").toInt32(), 1);
    EXPECT_EQ(run("info.injections.getItem(0).functions.count").toInt32(), 1);
    EXPECT_EQ(run("info.injections.getItem(0).functions.getItem(0).count").toInt32(), 1);
    EXPECT_EQ(run("info.injections.getItem(0).traces.count").toInt32(), 0);
}

TEST_F(DatasetInfo, RealChemStationRun)
{
    if (!QFile::exists(QStringLiteral(KS_LIB_DIR "/KSAgilentProvider.so")))
        GTEST_SKIP() << "the ChemStation provider module is not in the build's lib folder";
    ASSERT_TRUE(ks::test::registerComponents({"KSAgilentProvider"}));
    use(import(QString::fromStdString(ks::test::realData("chemstation-ms/rainbow-orange.D")), kChemStationProviderId));
    EXPECT_TRUE(run("info.valid").toBool());
    EXPECT_EQ(run("info.injections.count").toInt32(), 1);
    EXPECT_EQ(run("info.injections.getItem(0).functions.count").toInt32(), 1);
    // 469 scans, as the independent reader's expected output lists them.
    EXPECT_EQ(run("info.injections.getItem(0).functions.getItem(0).count").toInt32(), 469);
    EXPECT_EQ(run("info.injections.getItem(0).functions.getItem(0).msType").toInt32(), 1);
}

TEST_F(DatasetInfo, MissingDataset)
{
    use(emptyItem());
    EXPECT_FALSE(run("info.valid").toBool());
    EXPECT_TRUE(run("info.injections").isNull());
    EXPECT_EQ(run("info.objectName").toString(), "MassItemInfo");

    // An item whose dataset did not open.
    use(import(QString::fromStdString(ks::test::tempDir() + "/missing.txt"), kTextProviderId));
    EXPECT_FALSE(run("info.valid").toBool());
    EXPECT_TRUE(run("info.injections").isNull());
}

TEST_F(DatasetInfo, EntriesWithoutCoreObjects)
{
    // Built from nothing: invalid entries, empty names, empty collections.
    TMassItemInfoWrapper root(nullptr);
    EXPECT_FALSE(root.valid());
    EXPECT_EQ(root.injectionList(), nullptr);
    QObject parent;
    auto* injection = new TMassInjectionWrapper(nullptr, &parent);
    EXPECT_FALSE(injection->valid());
    EXPECT_EQ(injection->index(), -1);
    EXPECT_EQ(injection->functionList()->count(), 0);
    EXPECT_EQ(injection->traceList()->count(), 0);
    auto* function = new TMassFunctionWrapper(nullptr, &parent);
    EXPECT_FALSE(function->valid());
    EXPECT_EQ(function->objectName(), "MassFunctionInfo");
    EXPECT_EQ(function->count(), 0);
    auto* trace = new TMassTraceWrapper(nullptr, &parent);
    EXPECT_FALSE(trace->valid());
    EXPECT_EQ(trace->objectName(), "");
    EXPECT_EQ(trace->name(), "");
}
