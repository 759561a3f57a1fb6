// The composition and molecule-match objects of a mass item over the
// bundled text dataset (its first compound is protonated caffeine at
// 195.0877): constraints and settings read and written on the item's
// calculator and matcher, the matcher's setter order through a recording
// double, results of real computations by the core library, odd values,
// and objects kept past their item.
#include "scripttest.h"

#include <QFile>

#include <limits>

#include "tbaseplot.h"
#include "tkselements.h"
#include "tmassdataobj.h"
#include "tmasselementcomposition.h"
#include "tmassmolmatchwrapper.h"

using namespace scripttest;

namespace {

std::wstring molfileText(const char* name)
{
    QFile f(QStringLiteral(KS_SOURCE_DIR "/../../outside/tindrel/data/molfiles/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return QString::fromLatin1(f.readAll()).toStdWString();
}

// Records the order of the setter calls the settings object makes.
struct RecordingMatcher {
    QStringList calls;
    void setAdducts(const std::vector<TKSMoleculeMatcher2::CIonSpec>& p,
                    const std::vector<TKSMoleculeMatcher2::CIonSpec>& n)
    {
        calls << QString("setAdducts(%1,%2)").arg(p.size()).arg(n.size());
    }
    void setMaximumChargeStates(int p, int n) { calls << QString("setMaximumChargeStates(%1,%2)").arg(p).arg(n); }
    void setEnableDimers(bool on) { calls << QString("setEnableDimers(%1)").arg(on); }
    void setScoreThreshold(double t) { calls << QString("setScoreThreshold(%1)").arg(t); }
    void setMaximumMatchesPerMolecule(int c) { calls << QString("setMaximumMatchesPerMolecule(%1)").arg(c); }
    void setMaximumMatchesPerSpectrum(int c) { calls << QString("setMaximumMatchesPerSpectrum(%1)").arg(c); }
    void setMZTolerance(double ms, double msms, bool da)
    {
        calls << QString("setMZTolerance(%1,%2,%3)").arg(ms).arg(msms).arg(da);
    }
};

}  // namespace

class ScriptAnalysis : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        item = import(bundledTextDataset(), kTextProviderId);
        publish("x", item);
        run("var it = MassItem(x); var ec = it.elementalComp; var es = ec.settings; var mm = it.molMatch; "
            "var ms = mm.settings");
        ASSERT_TRUE(table.initialize(elementTableFilePath().toStdWString()));
    }
    TKSCompositionCalculator& calculator() { return item->elementComposition().calculator(); }
    const TKSCompositionConstraints& constraints() { return calculator().getConstraints(); }
    TKSMoleculeMatcher2& matcher() { return item->moleculeMatch().matcher(); }
    const TMassSpecDataObj* spectrum() const
    {
        for (TBasePlot* p : item->plots())
            if (const TMassSpecDataObj* s = TMassSpecDataObj::cast(item->dataObject(p->id())))
                return s;
        return nullptr;
    }

    TCanvasMass* item = nullptr;
    TKSElementTable table;
};

TEST_F(ScriptAnalysis, CompositionConstraintsReadAndWritten)
{
    EXPECT_EQ(run("[ec.objectName, es.objectName, it.elementalComp === it.elementalComp].join()").toString(),
              "MassElemComposition,MassElCompSettings,false");
    EXPECT_EQ(run("it.elementalComp.objectName").toString(), "MassElemComposition");
    EXPECT_EQ(run("es.elements.map(function (e) { return e.symbol + e.min + '-' + e.max; }).join()").toString(),
              "C0-100,H0-200,N0-10,O0-10,S0-5");
    EXPECT_EQ(run("es.elements[0].objectName").toString(), "MassElementConstraint");
    EXPECT_EQ(run("[es.dbe.min, es.dbe.max, es.maxResults, es.tolerance.units, es.tolerance.value, "
                  "es.electronMode, es.chargeState, es.fitnessTheshold, es.adduct].join()")
                  .toString(),
              "-0.5,20,-1,ppm,5,All,1,0,H");

    run("es.dbe = {min: 1.5, max: '9'}; es.maxResults = 7; es.tolerance = {units: ' Da ', value: 3}; "
        "es.electronMode = ' Odd '; es.chargeState = -2; es.fitnessTheshold = 0.25; es.adduct = 'Na'");
    const TKSCompositionConstraints& c = constraints();
    EXPECT_EQ(c.getDBEMinimum(), 1.5f);
    EXPECT_EQ(c.getDBEMaximum(), 20.0f);
    EXPECT_EQ(c.getMaximumResultCount(), 7);
    EXPECT_TRUE(c.getUseToleranceInDa());
    EXPECT_EQ(c.getTolerance(), 3);
    EXPECT_EQ(c.getElectronMode(), 2);
    EXPECT_EQ(c.getChargeState(), -2);
    EXPECT_EQ(c.getFitnessThreshold(), 0.25f);
    EXPECT_EQ(c.getAdduct(), L"Na");
    EXPECT_EQ(run("[es.tolerance.units, es.electronMode].join()").toString(), "Da,Odd");
    // "da" selects ppm; a tolerance with only a value keeps the units.
    run("es.tolerance = {units: 'da', value: 3}");
    EXPECT_FALSE(constraints().getUseToleranceInDa());
    run("es.tolerance = {units: 'Da'}; es.tolerance = {value: 10}");
    EXPECT_TRUE(constraints().getUseToleranceInDa());
    EXPECT_EQ(constraints().getTolerance(), 10);
    struct Mode {
        const char* text;
        int stored;
        const char* read;
    };
    for (const Mode& m : {Mode{"even", 3, "All"}, Mode{"Even", 1, "Even"}, Mode{" Odd ", 2, "Odd"}, Mode{"x", 3, "All"}}) {
        run(QString("es.electronMode = '%1'").arg(m.text));
        EXPECT_EQ(constraints().getElectronMode(), m.stored) << m.text;
        EXPECT_EQ(run("es.electronMode").toString(), m.read) << m.text;
    }

    // Element constraints: copies until assigned back; members carried
    // over from the previous element; non-objects left out.
    run("var els = es.elements; els[0].max = 30");
    EXPECT_EQ(constraints().getElementConstraints()[0].getMaximumCount(), 100);
    run("es.elements = els");
    EXPECT_EQ(constraints().getElementConstraints()[0].getMaximumCount(), 30);
    run("es.elements = [{symbol: 'C', min: 1, max: 30}, 5, {symbol: 'Cl'}]");
    ASSERT_EQ(constraints().getElementConstraints().size(), 2u);
    EXPECT_EQ(constraints().getElementConstraints()[1],
              TKSElementConstraint(L"Cl", 1, 30));
    run("es.elements = {0: {symbol: 'N'}, length: 1}");
    EXPECT_EQ(constraints().getElementConstraints().size(), 2u);
    // A sparse array whose length runs to billions is walked by what it holds.
    run("var sparse = []; sparse[2147483646] = {symbol: 'O', min: 0, max: 4}; es.elements = sparse");
    ASSERT_EQ(constraints().getElementConstraints().size(), 1u);
    EXPECT_EQ(constraints().getElementConstraints()[0], TKSElementConstraint(L"O", 0, 4));
    run("es.elements = []");
    EXPECT_TRUE(constraints().getElementConstraints().empty());

    // A whole settings object at once; read-only results untouched.
    run("ec.settings = {maxResults: 3, adduct: 'K', dbe: {min: 0}}; ec.results = 5");
    EXPECT_EQ(constraints().getMaximumResultCount(), 3);
    EXPECT_EQ(constraints().getAdduct(), L"K");
    EXPECT_EQ(constraints().getDBEMinimum(), 0.0f);
    EXPECT_EQ(run("ec.results.length").toInt32(), 0);
}

TEST_F(ScriptAnalysis, CompositionResultsOfARealComputation)
{
    EXPECT_EQ(run("ec.results.length").toInt32(), 0);
    run("es.elements = [{symbol: 'C', min: 0, max: 12}, {symbol: 'H', min: 0, max: 20}, "
        "{symbol: 'N', min: 0, max: 6}, {symbol: 'O', min: 0, max: 4}]; es.maxResults = 5");
    ASSERT_NE(spectrum(), nullptr);
    calculator().setElementTable(&table);
    calculator().setSpectrum(spectrum()->spectrum());
    ASSERT_TRUE(calculator().compute(195.0877));
    const auto& results = calculator().getResults();
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(run("ec.results.length").toInt32(), int(results.size()));
    EXPECT_EQ(run("ec.results.map(function (r) { return r.formula; }).indexOf('C8H10N4O2') >= 0").toBool(), true);
    run("var r = ec.results[0]");
    EXPECT_EQ(run("r.formula").toString(), QString::fromStdWString(results[0].getFormula()));
    struct Member {
        const char* script;
        double value;
    };
    for (const Member& m : {Member{"r.mass", results[0].getCalculatedMass()},
                            Member{"r.dbe", results[0].getDoubleBondEquivalent()},
                            Member{"r.absErr", results[0].getAbsoluteError()},
                            Member{"r.mDaErr", results[0].getmDaError()}, Member{"r.ppmErr", results[0].getppmError()},
                            Member{"r.fitness", results[0].getFitness()}})
        EXPECT_EQ(run(m.script).toNumber(), m.value) << m.script;
    // A new array on every read.
    EXPECT_EQ(run("var rs = ec.results; rs[0] = 1; typeof ec.results[0]").toString(), "object");
}

TEST_F(ScriptAnalysis, OddConstraintsStoredUncheckedAndSearchedSafely)
{
    calculator().setElementTable(&table);
    calculator().setSpectrum(spectrum()->spectrum());
    const char* odd[] = {
        "es.tolerance = {value: NaN}",
        "es.tolerance = {value: -5}",
        "es.elements = [{symbol: 'C', min: 50, max: 3}]",
        "es.dbe = {min: NaN}",
        "es.dbe = {min: 30, max: -30}",
        "es.fitnessTheshold = NaN",
        "es.elements = [{symbol: 'C', min: -4, max: 2000000000}]",
        "es.chargeState = 2000000000",
    };
    for (const char* script : odd) {
        const TKSCompositionConstraints saved = constraints();
        run(script);
        EXPECT_FALSE(constraints() == saved) << script;
        EXPECT_FALSE(calculator().compute(195.0877)) << script;
        EXPECT_TRUE(calculator().getResults().empty()) << script;
        EXPECT_EQ(run("ec.results.length").toInt32(), 0) << script;
        calculator().setConstraints(saved);
    }
}

TEST_F(ScriptAnalysis, MatchSettingsReadWrittenAndAppliedInOrder)
{
    EXPECT_EQ(run("[mm.objectName, ms.objectName].join()").toString(), "MassMolMatch,MassMolMatchSettings");
    EXPECT_EQ(run("[JSON.stringify(ms.adductsPos), JSON.stringify(ms.adductsNeg), ms.maxChargePos, ms.maxChargeNeg, "
                  "ms.enableDimers, ms.scoreThreshold, ms.maxMatchesPerMolecule, ms.maxMatchesPerSpectrum, "
                  "ms.msTolerance, ms.msmsTolerance, ms.toleranceUnits].join('|')")
                  .toString(),
              "[{\"adduct\":\"H+\",\"loss\":\"\"}]|[{\"adduct\":\"\",\"loss\":\"H+\"}]|1|1|false|0.5|1|1|5|10|ppm");
    run("ms.adductsPos = [{adduct: 'H+'}, {adduct: 'Na+', loss: 'H2O'}]; ms.maxChargePos = 3; ms.maxChargeNeg = 2; "
        "ms.enableDimers = true; ms.scoreThreshold = 0.7; ms.maxMatchesPerMolecule = 4; "
        "ms.maxMatchesPerSpectrum = 6; ms.msTolerance = 0.01; ms.msmsTolerance = 0.02; ms.toleranceUnits = 'DA'");
    EXPECT_EQ(run("ms.adductsPos.map(function (a) { return a.adduct + '/' + a.loss; }).join()").toString(),
              "H+/,Na+/H2O");
    std::vector<TKSMoleculeMatcher2::CIonSpec> positive, negative;
    matcher().getAdducts(positive, negative);
    ASSERT_EQ(positive.size(), 2u);
    EXPECT_EQ(positive[1].adduct, L"Na+");
    EXPECT_EQ(positive[1].loss, L"H2O");
    int chargePos = 0, chargeNeg = 0;
    matcher().getMaximumChargeStates(chargePos, chargeNeg);
    EXPECT_EQ(chargePos, 3);
    EXPECT_EQ(chargeNeg, 2);
    EXPECT_TRUE(matcher().getEnableDimers());
    EXPECT_EQ(matcher().getScoreThreshold(), 0.7);
    EXPECT_EQ(matcher().getMaximumMatchesPerMolecule(), 4);
    EXPECT_EQ(matcher().getMaximumMatchesPerSpectrum(), 6);
    double msTol = 0, msmsTol = 0;
    bool inDa = false;
    matcher().getMZTolerance(msTol, msmsTol, inDa);
    EXPECT_EQ(msTol, 0.01);
    EXPECT_EQ(msmsTol, 0.02);
    EXPECT_TRUE(inDa);
    run("ms.toleranceUnits = 'mmu'");
    EXPECT_EQ(run("ms.toleranceUnits").toString(), "Da");
    run("ms.toleranceUnits = 'PPM'");
    matcher().getMZTolerance(msTol, msmsTol, inDa);
    EXPECT_FALSE(inDa);

    // Odd lists: a string gives none, a number an entry of empty texts.
    run("ms.adductsNeg = 'H+'");
    EXPECT_EQ(run("ms.adductsNeg.length").toInt32(), 0);
    run("ms.adductsNeg = [5]");
    EXPECT_EQ(run("JSON.stringify(ms.adductsNeg)").toString(), "[{\"adduct\":\"\",\"loss\":\"\"}]");
    run("var big = []; big[2147483646] = {adduct: 'Cl-'}; ms.adductsNeg = big");
    EXPECT_EQ(run("JSON.stringify(ms.adductsNeg)").toString(), "[{\"adduct\":\"Cl-\",\"loss\":\"\"}]");

    // The record read when the object was made goes back with every write.
    matcher().setMaximumChargeStates(9, 9);
    run("ms.scoreThreshold = 0.6");
    matcher().getMaximumChargeStates(chargePos, chargeNeg);
    EXPECT_EQ(chargePos, 3);
    EXPECT_EQ(chargeNeg, 2);

    // The order of the matcher's setters.
    RecordingMatcher recorder;
    applyMolMatchSettings(TMolMatchSettings(), recorder);
    EXPECT_EQ(recorder.calls, QStringList({"setAdducts(1,1)", "setMaximumChargeStates(1,1)", "setEnableDimers(0)",
                                           "setScoreThreshold(0.5)", "setMaximumMatchesPerMolecule(1)",
                                           "setMaximumMatchesPerSpectrum(1)", "setMZTolerance(5,10,0)"}));
}

TEST_F(ScriptAnalysis, OddMatchSettingsReachTheMatcherWhichRefusesThem)
{
    TCanvasMass* run1 = caffeineRun();
    publish("y", run1);
    run("var rm = MassItem(y).molMatch; var rms = rm.settings");
    TKSMoleculeMatcher2& m = run1->moleculeMatch().matcher();
    run1->setMatcherSpectra();
    m.setElementTable(&table);
    for (const char* script : {"rms.msTolerance = NaN", "rms.msmsTolerance = -1", "rms.scoreThreshold = NaN"}) {
        run(script);
        EXPECT_FALSE(m.matchMolecules({molfileText("caffeine.mol")}, {L"caffeine"})) << script;
        EXPECT_EQ(run("rm.results.length").toInt32(), 0) << script;
        run("rms.msTolerance = 5; rms.msmsTolerance = 10; rms.scoreThreshold = 0.5");
    }
    // Caps below 1 and huge charges are the matcher's to read as it will.
    run("rms.maxMatchesPerMolecule = -3; rms.maxMatchesPerSpectrum = 0; rms.maxChargePos = 2000000000; "
        "rms.adductsPos = [{adduct: 'Xx+'}, 7]");
    m.matchMolecules({molfileText("caffeine.mol")}, {L"caffeine"});
    EXPECT_EQ(run("rm.results.length").toInt32(), int(m.getResults().size()));
}

TEST_F(ScriptAnalysis, MatchResultsOfARealMatch)
{
    EXPECT_EQ(run("mm.results.length").toInt32(), 0);
    // A run whose MS function is positive: the matcher's input.
    item = caffeineRun();
    publish("y", item);
    run("var mm = MassItem(y).molMatch");
    item->setMatcherSpectra();
    matcher().setElementTable(&table);
    ASSERT_TRUE(matcher().matchMolecules({molfileText("caffeine.mol"), molfileText("nicotine.mol")},
                                         {L"{caffeine}", L"{nicotine}"}));
    const auto& results = matcher().getResults();
    ASSERT_EQ(results.size(), 2u);
    ASSERT_TRUE(results[0].getIsMatched());
    ASSERT_FALSE(results[1].getIsMatched());
    run("var r = mm.results");
    EXPECT_EQ(run("[r.length, r[0].moleculeId, r[0].matched, r[1].moleculeId].join()").toString(),
              "2,{caffeine},true,{nicotine}");
    EXPECT_EQ(run("Object.keys(r[1]).join()").toString(), "moleculeId,matched");
    struct Member {
        const char* script;
        double value;
    };
    const TKSMoleculeMatchResult2& m = results[0];
    for (const Member& e : {Member{"r[0].score", m.getMatchScore()}, Member{"r[0].similarity", m.getSimilarityScore()},
                            Member{"r[0].purity", m.getPurityScore()},
                            Member{"r[0].retTime", m.getChromatogramPeak().apexRT},
                            Member{"r[0].scan", double(m.getChromatogramPeak().scan + 1)}})
        EXPECT_EQ(run(e.script).toNumber(), e.value) << e.script;
    EXPECT_NEAR(run("r[0].retTime").toNumber(), 0.35, 0.06);
    run("mm.results = []; r[0] = 1");
    EXPECT_EQ(run("mm.results.length").toInt32(), 2);
    EXPECT_EQ(run("typeof mm.results[0]").toString(), "object");
}

TEST_F(ScriptAnalysis, ObjectsKeptPastTheirItem)
{
    run("var els = es.elements");
    delete item;
    item = nullptr;
    engine->collectGarbage();
    struct Read {
        const char* script;
        QString answer;
    };
    const Read reads[] = {
        {"ec.settings", "undefined"},  {"ec.results", "undefined"},  {"es.dbe", "undefined"},
        {"es.maxResults = 4; es.maxResults", "0"}, {"es.elements = els; es.elements", "undefined"},
        {"es.tolerance", "undefined"}, {"es.electronMode", ""},      {"es.adduct", ""},
        {"es.fitnessTheshold", "0"},   {"mm.settings", "undefined"}, {"mm.results", "undefined"},
        {"ms.scoreThreshold = 0.9; ms.scoreThreshold", "0.9"}, {"els[0].symbol", "C"},
        {"ec.settings = {maxResults: 2}; it.isValid()", "false"},
    };
    for (const Read& r : reads)
        EXPECT_EQ(run(r.script).toString(), r.answer) << r.script;
    EXPECT_EQ(error("it.elementalComp"), "Invalid Object");
    EXPECT_EQ(error("it.molMatch"), "Invalid Object");
    engine->collectGarbage();
    // A composition object of a MassItem without an item.
    EXPECT_EQ(run("var none = MassItem({}); none.isValid()").toString(), "false");
    EXPECT_EQ(error("none.elementalComp"), "Invalid Object");
}
