// The analysis states of a mass item: the elemental-composition state and
// its constraints, the molecule-match state, its settings and result
// objects. Golden bytes from make_states.py (data/states/*.hex), the
// Parts' edge bytes, stored settings in the case's own settings, damaged
// input and every prefix of every fixture.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>
#include <QSettings>

#include <functional>
#include <memory>

#include "doctest.h"
#include "kstestqt.h"
#include "tmasselementcomposition.h"
#include "tmassmoleculematch.h"

using doctest::fromHex;
using doctest::hex;
using doctest::written;

namespace {

QByteArray stateFixture(const char* name)
{
    const std::string text =
        ks::test::readFile(std::string(KS_SOURCE_DIR) + "/data/states/" + name + ".hex");
    EXPECT_FALSE(text.empty()) << "missing fixture " << name;
    return QByteArray::fromHex(QByteArray(text.data(), static_cast<int>(text.size())).simplified());
}

// A spectrum data object that counts the ones alive, so that tests see
// every replaced or dropped result object deleted.
class CountedSpectrum : public TMassSpecDataObj {
public:
    CountedSpectrum() { ++alive; }
    ~CountedSpectrum() override { --alive; }
    static int alive;
};
int CountedSpectrum::alive = 0;

QByteArray stateBytes(const TMassElementComposition& c)
{
    return written([&](TDataStream& s) { c.save(s); });
}

QByteArray stateBytes(const TMassMoleculeMatch& m)
{
    return written([&](TDataStream& s) { m.save(s); });
}

QByteArray stateBytes(const TMolMatchSettings& settings)
{
    return molMatchSettingsToByteArray(settings);
}

// Reads `bytes` into `value` and answers the stream's status and what the
// reader left unread.
template <class T>
std::pair<QDataStream::Status, qint64> loadState(T& value, QByteArray bytes)
{
    TDataStream s(&bytes, QIODevice::ReadOnly, 0);
    value.load(s);
    return {s.status(), s.remaining()};
}

void expectSameSettings(const TMolMatchSettings& a, const TMolMatchSettings& b)
{
    EXPECT_EQ(a.positiveAdductList, b.positiveAdductList);
    EXPECT_EQ(a.negativeAdductList, b.negativeAdductList);
    EXPECT_EQ(a.maxChargePositive, b.maxChargePositive);
    EXPECT_EQ(a.maxChargeNegative, b.maxChargeNegative);
    EXPECT_EQ(a.enableDimers, b.enableDimers);
    EXPECT_EQ(a.scoreThreshold, b.scoreThreshold);
    EXPECT_EQ(a.maxMatchesPerMolecule, b.maxMatchesPerMolecule);
    EXPECT_EQ(a.maxMatchesPerSpectrum, b.maxMatchesPerSpectrum);
    EXPECT_EQ(a.msTolerance, b.msTolerance);
    EXPECT_EQ(a.msmsTolerance, b.msmsTolerance);
    EXPECT_EQ(a.toleranceInDa, b.toleranceInDa);
}

std::vector<std::wstring> symbols(const TKSCompositionConstraints& c)
{
    std::vector<std::wstring> out;
    for (const TKSElementConstraint& e : c.getElementConstraints())
        out.push_back(e.getSymbol());
    return out;
}

TKSCompositionConstraints customConstraints()
{
    TKSCompositionConstraints c;
    c.setElementConstraints({});
    c.setDBEMinimum(1.5f);
    c.setDBEMaximum(-2.0f);
    c.setUseToleranceInDa(true);
    c.setTolerance(0.25);
    c.setElectronMode(2);
    c.setChargeState(-3);
    c.setAdduct(L"");
    c.setFitnessThreshold(0.75f);
    c.setMaximumResultCount(7);
    return c;
}

TMolMatchSettings customSettings()
{
    TMolMatchSettings s;
    s.positiveAdductList = {{"Na+", ""}, {"H+", "H2O"}};
    s.negativeAdductList.clear();
    s.maxChargePositive = 2;
    s.maxChargeNegative = 3;
    s.enableDimers = true;
    s.scoreThreshold = 0.65;
    s.maxMatchesPerMolecule = 4;
    s.maxMatchesPerSpectrum = 5;
    s.msTolerance = 0.01;
    s.msmsTolerance = 0.02;
    s.toleranceInDa = true;
    return s;
}

// Overwrites the big-endian qint32 at `at`.
QByteArray withInt(QByteArray bytes, int at, qint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((static_cast<quint32>(value) >> (24 - 8 * i)) & 0xff);
    return bytes;
}

// The bytes with their outer block's length set to what follows it.
QByteArray reblocked(const QByteArray& bytes)
{
    return withInt(bytes, 0, bytes.size() - 4);
}

class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override { m_file = ks::test::useCaseSettings(); }
    QString m_file;
};

}  // namespace

// ---- elemental composition ----------------------------------------------------------

TEST(CompositionState, DefaultsAndGoldenBytes)
{
    const TKSCompositionConstraints defaults = defaultCompositionConstraints();
    EXPECT_EQ(symbols(defaults), (std::vector<std::wstring>{L"C", L"H", L"N", L"O", L"S"}));
    const std::pair<int, int> ranges[] = {{0, 100}, {0, 200}, {0, 10}, {0, 10}, {0, 5}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(defaults.getElementConstraints()[i].getMinimumCount(), ranges[i].first);
        EXPECT_EQ(defaults.getElementConstraints()[i].getMaximumCount(), ranges[i].second);
    }
    EXPECT_EQ(defaults.getDBEMinimum(), -0.5f);
    EXPECT_EQ(defaults.getDBEMaximum(), 20.0f);
    EXPECT_EQ(defaults.getAdduct(), L"H");
    EXPECT_EQ(defaults.getElectronMode(), 3);
    EXPECT_FALSE(defaults.getUseToleranceInDa());
    EXPECT_EQ(defaults.getTolerance(), 5.0);
    EXPECT_EQ(defaults.getChargeState(), 1);
    EXPECT_EQ(defaults.getMaximumResultCount(), -1);
    EXPECT_EQ(defaults.getFitnessThreshold(), 0.0f);

    EXPECT_EQ(hex(elementConstraintsToByteArray(defaults)), hex(stateFixture("constraints_default")));
    EXPECT_EQ(hex(elementConstraintsToByteArray(customConstraints())), hex(stateFixture("constraints_custom")));

    TMassElementComposition state;
    EXPECT_TRUE(state.spectrumId().isNull());
    EXPECT_TRUE(state.calculator().getConstraints() == defaults);
    EXPECT_EQ(hex(stateBytes(state)), hex(stateFixture("composition_default")));
    EXPECT_EQ(elementTableFilePath(), QCoreApplication::applicationDirPath() + "/KSElements.ini");
}

TEST(CompositionState, GoldenStateReadsAndWritesBack)
{
    TMassElementComposition state;
    const auto [status, left] = loadState(state, stateFixture("composition"));
    EXPECT_EQ(status, QDataStream::Ok);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(state.spectrumId(), QUuid("{3f2504e0-4f89-11d3-9a0c-0305e82c3301}"));
    const TKSCompositionCalculator& calc = state.calculator();
    EXPECT_EQ(symbols(calc.getConstraints()), (std::vector<std::wstring>{L"C", L"H", L"O"}));
    EXPECT_EQ(calc.getConstraints().getElementConstraints()[0].getMinimumCount(), 1);
    EXPECT_TRUE(calc.getConstraints().getUseToleranceInDa());
    EXPECT_EQ(calc.getConstraints().getAdduct(), L"Na");
    EXPECT_EQ(calc.getConstraints().getChargeState(), -1);
    EXPECT_EQ(calc.getConstraints().getMaximumResultCount(), 10);
    EXPECT_EQ(calc.getMZ(), 181.0707);
    EXPECT_EQ(calc.getSpectrum().getCount(), 3);
    ASSERT_EQ(calc.getResults().size(), 2u);
    EXPECT_EQ(calc.getResults()[0].getFormula(), L"C6H12O6");
    EXPECT_EQ(calc.getResults()[1].getFitness(), 0.5);
    EXPECT_EQ(hex(stateBytes(state)), hex(stateFixture("composition")));

    // The state with its results travels through a second state whole.
    TMassElementComposition copy;
    loadState(copy, stateBytes(state));
    EXPECT_EQ(hex(stateBytes(copy)), hex(stateFixture("composition")));
}

TEST(CompositionState, EdgeBytes)
{
    // Eight zero bytes: empty first and second block, the core library's
    // default-constructed constraints.
    bool ok = false;
    TKSCompositionConstraints c = elementConstraintsFromByteArray(QByteArray(8, '\0'), &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(c == TKSCompositionConstraints());

    // An empty element list stays empty; -1 results and the unit byte.
    QByteArray custom = stateFixture("constraints_custom");
    c = elementConstraintsFromByteArray(custom, &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(c == customConstraints());
    EXPECT_TRUE(c.getElementConstraints().empty());
    TKSCompositionConstraints unlimited = customConstraints();
    unlimited.setMaximumResultCount(-1);
    EXPECT_EQ(elementConstraintsFromByteArray(elementConstraintsToByteArray(unlimited)).getMaximumResultCount(), -1);

    // The tolerance-in-Da byte: 8 + 4 (list's empty block) + 4 + 4 (its
    // block and count) + 8 (two floats) into the bytes.
    const int inDaAt = 4 + 4 + 4 + 4 + 4 + 8;
    ASSERT_EQ(custom[inDaAt], '\x01');
    for (char b : {'\x02', '\xff'}) {
        custom[inDaAt] = b;
        EXPECT_TRUE(elementConstraintsFromByteArray(custom).getUseToleranceInDa());
    }
    custom[inDaAt] = '\0';
    EXPECT_FALSE(elementConstraintsFromByteArray(custom).getUseToleranceInDa());

    // One element constraint whose second block is empty is the default
    // element constraint.
    QByteArray one = written([](TDataStream& s) {
        s << qint32(0) << qint32(0);
    });
    TDataStream in(&one, QIODevice::ReadOnly, 0);
    const TKSElementConstraint e = readElementConstraint(in);
    EXPECT_TRUE(in.ok());
    EXPECT_TRUE(e == TKSElementConstraint());

    // A state block of length 0: four bytes read, nothing changed.
    TMassElementComposition state;
    loadState(state, stateFixture("composition"));
    const QByteArray before = stateBytes(state);
    QByteArray zero = fromHex("00000000 0000002a");
    TDataStream s(&zero, QIODevice::ReadOnly, 0);
    state.load(s);
    EXPECT_TRUE(s.ok());
    qint32 next = 0;
    s >> next;
    EXPECT_EQ(next, 42);
    EXPECT_EQ(hex(stateBytes(state)), hex(before));
}

TEST(CompositionState, DamagedInput)
{
    const QByteArray good = stateFixture("composition");
    const int imageLength = 8;  // state block length, empty block
    struct Case {
        const char* name;
        QByteArray bytes;
        QDataStream::Status status;
        bool changed;
    };
    QByteArray badChecksum = good;
    badChecksum[imageLength + 4 + 20] = static_cast<char>(badChecksum[imageLength + 4 + 20] ^ 0x40);
    QByteArray newer = good;
    newer.insert(good.size(), QByteArray::fromHex("0102030405"));
    newer = withInt(newer, 0, good.size() - 4 + 5);
    const Case cases[] = {
        {"negative state length", withInt(good, 0, -8), QDataStream::ReadPastEnd, false},
        {"state length beyond the data", withInt(good, 0, good.size()), QDataStream::ReadPastEnd, false},
        {"header block beyond the data", withInt(good, 4, 0x7fffffff), QDataStream::ReadPastEnd, false},
        {"image length beyond the data", withInt(good, imageLength, 0x7ffffff0), QDataStream::ReadPastEnd, false},
        // A null image is refused by the core library: the identifier is
        // taken, the calculator stays.
        {"null image", reblocked(withInt(good, imageLength, -1).left(imageLength + 4) + good.right(16)),
         QDataStream::Ok, true},
        {"state block shorter than its fields", withInt(good, 0, 30), QDataStream::ReadCorruptData, false},
        // The image is refused by the core library: the identifier is
        // taken, the calculator stays.
        {"image with a wrong checksum", badChecksum, QDataStream::Ok, true},
        // A newer writer's field after the known ones is passed over.
        {"newer field in the block", newer, QDataStream::Ok, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMassElementComposition state;
        const QByteArray before = stateBytes(state);
        doctest::LargestAllocation largest;
        const auto [status, left] = loadState(state, c.bytes);
        EXPECT_EQ(status, c.status);
        EXPECT_LT(largest.bytes(), 64u * 1024u);
        EXPECT_EQ(state.spectrumId().isNull(), !c.changed);
        if (status == QDataStream::Ok) {
            EXPECT_EQ(left, 0);
        }
        if (!c.changed) {
            EXPECT_EQ(hex(stateBytes(state)), hex(before));
        }
    }
    // The newer block reads like the golden one.
    TMassElementComposition state;
    loadState(state, newer);
    EXPECT_EQ(hex(stateBytes(state)), hex(good));
}

TEST(CompositionState, DamagedConstraints)
{
    const QByteArray good = stateFixture("constraints_default");
    // Offsets: 0 header, 4 block, 8 list header, 12 list block, 16 count.
    struct Case {
        const char* name;
        QByteArray bytes;
        bool ok;
        size_t elements;
    };
    const Case cases[] = {
        // The list reader goes on at the end of its block.
        {"negative element count", withInt(good, 16, -3), true, 0},
        {"zero element count", withInt(good, 16, 0), true, 0},
        // Failures give the default-constructed constraints (C, H, N, O, S).
        {"element count beyond the data", withInt(good, 16, 0x40000000), false, 5},
        {"symbol of odd length", withInt(good, 20 + 8, 3), false, 5},
        {"list block beyond the data", withInt(good, 12, 0x7fffffff), false, 5},
        {"four zero bytes", QByteArray(4, '\0'), false, 5},
        {"trailing bytes", good + QByteArray(3, '\x7f'), true, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = true;
        doctest::LargestAllocation largest;
        const TKSCompositionConstraints read = elementConstraintsFromByteArray(c.bytes, &ok);
        EXPECT_EQ(ok, c.ok);
        EXPECT_LT(largest.bytes(), 64u * 1024u);
        EXPECT_EQ(read.getElementConstraints().size(), c.elements);
        if (!c.ok) {
            EXPECT_TRUE(read == TKSCompositionConstraints());
        }
    }
}

TEST_F(StoredSettings, CompositionConstraints)
{
    // Nothing stored: the built-in defaults.
    TMassElementComposition fresh;
    fresh.loadSavedConstraints();
    EXPECT_TRUE(fresh.calculator().getConstraints() == defaultCompositionConstraints());
    EXPECT_EQ(symbols(fresh.calculator().getConstraints()), (std::vector<std::wstring>{L"C", L"H", L"N", L"O", L"S"}));

    saveCompositionConstraints(customConstraints());
    EXPECT_TRUE(QFile::exists(m_file));
    EXPECT_EQ(QSettings().value("Mass/Elemental Composition/Constraints").toByteArray(),
              stateFixture("constraints_custom"));
    EXPECT_TRUE(loadCompositionConstraints() == customConstraints());
    TMassElementComposition stored;
    stored.loadSavedConstraints();
    EXPECT_TRUE(stored.calculator().getConstraints() == customConstraints());

    // A damaged stored value counts as nothing stored; so does an empty one.
    for (const QByteArray& bytes : {stateFixture("constraints_custom").left(40), QByteArray(4, '\0'), QByteArray()}) {
        QSettings().setValue("Mass/Elemental Composition/Constraints", bytes);
        EXPECT_TRUE(loadCompositionConstraints() == defaultCompositionConstraints());
    }
}

// ---- molecule match -----------------------------------------------------------------

TEST(MatchSettings, DefaultsAndConversions)
{
    const TMolMatchSettings defaults;
    ASSERT_EQ(defaults.positiveAdductList.size(), 1);
    EXPECT_EQ(defaults.positiveAdductList[0], TAdductPair("H+", ""));
    ASSERT_EQ(defaults.negativeAdductList.size(), 1);
    EXPECT_EQ(defaults.negativeAdductList[0], TAdductPair("", "H+"));
    EXPECT_EQ(defaults.maxChargePositive, 1);
    EXPECT_EQ(defaults.maxChargeNegative, 1);
    EXPECT_FALSE(defaults.enableDimers);
    EXPECT_EQ(defaults.scoreThreshold, 0.5);
    EXPECT_EQ(defaults.maxMatchesPerMolecule, 1);
    EXPECT_EQ(defaults.maxMatchesPerSpectrum, 1);
    EXPECT_EQ(defaults.msTolerance, 5.0);
    EXPECT_EQ(defaults.msmsTolerance, 10.0);
    EXPECT_FALSE(defaults.toleranceInDa);
    // The core library's matcher has the same defaults.
    expectSameSettings(TMolMatchSettings(TKSMoleculeMatcher2()), defaults);

    EXPECT_EQ(hex(stateBytes(defaults)), hex(stateFixture("settings_default")));
    EXPECT_EQ(hex(stateBytes(customSettings())), hex(stateFixture("settings_custom")));

    // Adducts keep their order; the list is emptied first.
    const std::vector<TKSMoleculeMatcher2::CIonSpec> specs = {{L"Na+", L""}, {L"H+", L"H2O"}, {L"", L"Cl-"}};
    TAdductList list = {{"old", "entry"}};
    ionSpecsToAdductList(specs, list);
    EXPECT_EQ(list, (TAdductList{{"Na+", ""}, {"H+", "H2O"}, {"", "Cl-"}}));
    const std::vector<TKSMoleculeMatcher2::CIonSpec> back = adductListToIonSpecs(list);
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back[i].adduct, specs[i].adduct);
        EXPECT_EQ(back[i].loss, specs[i].loss);
    }
    ionSpecsToAdductList({}, list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(adductListToIonSpecs({}).empty());

    // applySettings hands every field to the matcher; settings reads them
    // back.
    TMassMoleculeMatch match;
    match.applySettings(customSettings());
    expectSameSettings(match.settings(), customSettings());
    std::vector<TKSMoleculeMatcher2::CIonSpec> positive, negative;
    match.matcher().getAdducts(positive, negative);
    ASSERT_EQ(positive.size(), 2u);
    EXPECT_EQ(positive[1].loss, L"H2O");
    EXPECT_TRUE(negative.empty());
    double ms = 0, msms = 0;
    bool inDa = false;
    match.matcher().getMZTolerance(ms, msms, inDa);
    EXPECT_EQ(ms, 0.01);
    EXPECT_EQ(msms, 0.02);
    EXPECT_TRUE(inDa);
}

TEST(MatchSettings, EdgeBytesAndDamage)
{
    // Four zero bytes leave the record unchanged.
    TMolMatchSettings settings = customSettings();
    EXPECT_TRUE(molMatchSettingsFromByteArray(QByteArray(4, '\0'), settings));
    expectSameSettings(settings, customSettings());

    // Empty adduct lists write two counts of 0 and read back empty.
    TMolMatchSettings none = customSettings();
    none.positiveAdductList.clear();
    QByteArray bytes = molMatchSettingsToByteArray(none);
    EXPECT_EQ(bytes.mid(8, 8), fromHex("00000000 00000000"));
    TMolMatchSettings read;
    EXPECT_TRUE(molMatchSettingsFromByteArray(bytes, read));
    EXPECT_TRUE(read.positiveAdductList.isEmpty());
    EXPECT_TRUE(read.negativeAdductList.isEmpty());
    expectSameSettings(read, none);

    const QByteArray good = stateFixture("settings_custom");
    // 0 block, 4 header, 8 positive count.
    struct Case {
        const char* name;
        QByteArray bytes;
        bool ok;
        TMolMatchSettings expected;  // when ok
    };
    QByteArray twoDa = good;
    twoDa[good.size() - 1] = '\x02';
    TMolMatchSettings noNegative = customSettings();
    noNegative.negativeAdductList.clear();
    noNegative.positiveAdductList.clear();
    const Case cases[] = {
        {"negative adduct count", withInt(molMatchSettingsToByteArray(noNegative), 8, -1), true, noNegative},
        {"adduct count beyond the data", withInt(good, 8, 0x10000000), false, {}},
        {"adduct of odd length", withInt(good, 12, 5), false, {}},
        {"settings block beyond the data", withInt(good, 0, 0x7fffffff), false, {}},
        {"settings block shorter than its fields", withInt(good, 0, 20), false, {}},
        {"unit byte 2", twoDa, true, customSettings()},
        {"newer field in the block", reblocked(good + QByteArray(6, '\x11')), true, customSettings()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMolMatchSettings record;
        record.positiveAdductList = {{"A", ""}, {"B", ""}};
        const TMolMatchSettings before = record;
        doctest::LargestAllocation largest;
        EXPECT_EQ(molMatchSettingsFromByteArray(c.bytes, record), c.ok);
        EXPECT_LT(largest.bytes(), 64u * 1024u);
        expectSameSettings(record, c.ok ? c.expected : before);
    }
}

TEST_F(StoredSettings, MatchSettings)
{
    // Nothing stored: the core library's matcher defaults.
    expectSameSettings(loadMolMatchSettings(), TMolMatchSettings());

    saveMolMatchSettings(customSettings());
    EXPECT_TRUE(QFile::exists(m_file));
    EXPECT_EQ(QSettings().value("Mass/Molecule Match/Settings").toByteArray(), stateFixture("settings_custom"));
    expectSameSettings(loadMolMatchSettings(), customSettings());
    TMassMoleculeMatch match;
    match.loadSavedSettings();
    expectSameSettings(match.settings(), customSettings());

    for (const QByteArray& bytes : {stateFixture("settings_custom").left(30), QByteArray(4, '\0'), QByteArray()}) {
        QSettings().setValue("Mass/Molecule Match/Settings", bytes);
        expectSameSettings(loadMolMatchSettings(), TMolMatchSettings());
    }
}

TEST(MatchState, NewStateAndInputFunctions)
{
    TMassMoleculeMatch match;
    EXPECT_TRUE(match.resultObjects().isEmpty());
    EXPECT_EQ(match.selectedResult(), -1);
    EXPECT_EQ(match.injection(), -1);
    EXPECT_EQ(match.inputFunctions(), QVector<int>({-1, -1, -1, -1}));
    EXPECT_EQ(hex(stateBytes(match)), hex(stateFixture("match_default")));

    // Arguments: MS+, MS/MS+, MS-, MS/MS-; stored MS+, MS-, MS/MS+, MS/MS-.
    match.setInputFunctions(3, 10, 11, 12, 13);
    EXPECT_EQ(match.injection(), 3);
    EXPECT_EQ(match.inputFunctions(), QVector<int>({10, 12, 11, 13}));
    EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSMSPositive), 11);
    EXPECT_EQ(match.inputFunction(TMassMoleculeMatch::MSNegative), 12);

    EXPECT_FALSE(match.isValidResultIndex(-1));
    EXPECT_FALSE(match.isValidResultIndex(0));
    ASSERT_EQ(loadState(match, stateFixture("match")).first, QDataStream::Ok);
    ASSERT_EQ(match.matcher().getResults().size(), 2u);
    EXPECT_TRUE(match.isValidResultIndex(0));
    EXPECT_TRUE(match.isValidResultIndex(1));
    EXPECT_FALSE(match.isValidResultIndex(2));
    EXPECT_FALSE(match.isValidResultIndex(-1));
}

TEST(MatchState, GoldenStateReadsAndWritesBack)
{
    TMassMoleculeMatch match;
    const auto [status, left] = loadState(match, stateFixture("match"));
    EXPECT_EQ(status, QDataStream::Ok);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(match.selectedResult(), 0);
    EXPECT_EQ(match.injection(), 1);
    EXPECT_EQ(match.inputFunctions(), QVector<int>({2, 3, -1, 5}));
    const std::vector<TKSMoleculeMatchResult2>& results = match.matcher().getResults();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].getMoleculeId(), L"caffeine");
    EXPECT_TRUE(results[0].getIsMatched());
    EXPECT_EQ(results[0].getIonDescription(), L"[M+H]+");
    EXPECT_EQ(results[0].getChromatogramPeak().scan, 18);
    TKSMassSpectrum cluster;
    EXPECT_TRUE(results[0].getIsoClusterPosSpectrum(cluster));
    EXPECT_EQ(cluster.getCount(), 2);
    EXPECT_FALSE(results[0].getMSMSPosSpectrum(cluster));
    EXPECT_EQ(results[1].getMolfileError(), L"line 4: no atom");
    TMolMatchSettings settings = match.settings();
    EXPECT_TRUE(settings.enableDimers);
    EXPECT_EQ(settings.positiveAdductList.size(), 3);
    EXPECT_EQ(settings.negativeAdductList[1], TAdductPair("Cl-", ""));

    ASSERT_EQ(match.resultObjects().keys(), QList<int>({0, 3}));
    EXPECT_EQ(match.resultObject(0)->kind(), TMassDataObj::MassSpectrum);
    EXPECT_EQ(match.resultObject(0)->subtype(), 2);
    EXPECT_EQ(match.resultObject(3)->kind(), TMassDataObj::Chromatogram);
    EXPECT_EQ(match.resultObject(1), nullptr);
    EXPECT_EQ(hex(stateBytes(match)), hex(stateFixture("match")));

    // The result objects alone, as the select and hide commands keep them.
    EXPECT_EQ(hex(written([&](TDataStream& s) { match.saveResultObjects(s); })), hex(stateFixture("result_objects")));
    TMassMoleculeMatch other;
    QByteArray objects = stateFixture("result_objects");
    TDataStream s(&objects, QIODevice::ReadOnly, 0);
    other.loadResultObjects(s);
    EXPECT_TRUE(s.ok());
    EXPECT_EQ(other.resultObjects().keys(), QList<int>({0, 3}));
    EXPECT_EQ(hex(written([&](TDataStream& w) { other.saveResultObjects(w); })), hex(stateFixture("result_objects")));

    // No result objects: an empty block and a count of 0.
    other.clearResultObjects();
    EXPECT_EQ(hex(written([&](TDataStream& w) { other.saveResultObjects(w); })), "00 00 00 00 00 00 00 00");
}

TEST(MatchState, ResultObjectsReplacedAndDropped)
{
    CountedSpectrum::alive = 0;
    {
        TMassMoleculeMatch match;
        CountedSpectrum* a = new CountedSpectrum;
        CountedSpectrum* b = new CountedSpectrum;
        match.setResultObject(0, a);
        match.setResultObject(0, a);  // the same object: kept
        EXPECT_EQ(CountedSpectrum::alive, 2);
        EXPECT_EQ(match.resultObject(0), a);
        match.setResultObject(0, b);  // replaced: deleted
        EXPECT_EQ(CountedSpectrum::alive, 1);
        match.setResultObject(1, new CountedSpectrum);
        match.setResultObject(2, b);  // one object under two keys
        match.setResultObject(0, nullptr);  // b stays under key 2
        EXPECT_EQ(CountedSpectrum::alive, 2);
        EXPECT_EQ(match.resultObjects().keys(), QList<int>({1, 2}));
        match.setResultObject(3, b);
        match.clearResultObjects();  // b deleted once
        EXPECT_EQ(CountedSpectrum::alive, 0);
        EXPECT_TRUE(match.resultObjects().isEmpty());

        // Loading result objects deletes those it replaces.
        match.setResultObject(0, new CountedSpectrum);
        match.setResultObject(5, new CountedSpectrum);
        QByteArray objects = stateFixture("result_objects");
        TDataStream s(&objects, QIODevice::ReadOnly, 0);
        match.loadResultObjects(s);
        EXPECT_EQ(CountedSpectrum::alive, 0);
        EXPECT_EQ(match.resultObjects().keys(), QList<int>({0, 3}));

        // So does loading a state, and the undo path (clear, then load).
        match.setResultObject(7, new CountedSpectrum);
        loadState(match, stateFixture("match_default"));
        EXPECT_EQ(CountedSpectrum::alive, 0);
        EXPECT_TRUE(match.resultObjects().isEmpty());
        match.setResultObject(1, new CountedSpectrum);
        match.clearResultObjects();
        loadState(match, stateFixture("match"));
        EXPECT_EQ(match.resultObjects().size(), 2);

        // The destructor deletes what is left.
        match.setResultObject(9, new CountedSpectrum);
        EXPECT_EQ(CountedSpectrum::alive, 1);
    }
    EXPECT_EQ(CountedSpectrum::alive, 0);
}

TEST(MatchState, DamagedInput)
{
    const QByteArray good = stateFixture("match");
    // Offsets: 0 state block, 4 header, 8 image length, then the image.
    const qint32 imageSize = static_cast<qint32>(qFromBigEndian<quint32>(good.constData() + 8));
    const int selectedAt = 12 + imageSize;
    const int functionsAt = selectedAt + 8;
    const int objectsAt = functionsAt + 4 + 16;
    const int countAt = objectsAt + 4;
    const int firstKindAt = countAt + 8;

    struct Case {
        const char* name;
        QByteArray bytes;
        QDataStream::Status status;
        QVector<int> functions;  // empty: the state is unchanged
        QList<int> keys;
    };
    QByteArray twoFunctions = withInt(good, functionsAt, 2);
    twoFunctions.remove(functionsAt + 12, 8);
    QByteArray noFunctions = withInt(good, functionsAt, -1);
    noFunctions.remove(functionsAt + 4, 16);
    QByteArray sixFunctions = withInt(good, functionsAt, 6);
    sixFunctions.insert(functionsAt + 20, fromHex("00000007 00000008"));
    const Case cases[] = {
        // Callers index four functions: -1 where one is missing, extra
        // ones dropped.
        {"negative function count", reblocked(noFunctions), QDataStream::Ok, {-1, -1, -1, -1}, {0, 3}},
        {"two functions", reblocked(twoFunctions), QDataStream::Ok, {2, 3, -1, -1}, {0, 3}},
        {"six functions", reblocked(sixFunctions), QDataStream::Ok, {2, 3, -1, 5}, {0, 3}},
        {"function count beyond the data", withInt(good, functionsAt, 0x20000000), QDataStream::ReadPastEnd, {},
         {}},
        {"negative result count", withInt(good, countAt, -5), QDataStream::Ok, {2, 3, -1, 5}, {}},
        {"result count beyond the data", withInt(good, countAt, 0x7fffffff), QDataStream::ReadPastEnd, {}, {}},
        {"unknown kind of the first entry", withInt(good, firstKindAt, 7), QDataStream::Ok, {2, 3, -1, 5}, {}},
        {"image length beyond the data", withInt(good, 8, 0x7ffffff0), QDataStream::ReadPastEnd, {}, {}},
        {"state block beyond the data", withInt(good, 0, good.size() + 100), QDataStream::ReadPastEnd, {}, {}},
        {"state block shorter than its fields", withInt(good, 0, selectedAt), QDataStream::ReadCorruptData, {}, {}},
        {"negative state length", withInt(good, 0, -1), QDataStream::ReadPastEnd, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMassMoleculeMatch match;
        match.setResultObject(4, new TMassSpecDataObj);
        const QByteArray before = stateBytes(match);
        doctest::LargestAllocation largest;
        QByteArray bytes = c.bytes + fromHex("0000002a");
        TDataStream s(&bytes, QIODevice::ReadOnly, 0);
        match.load(s);
        EXPECT_EQ(s.status(), c.status);
        EXPECT_LT(largest.bytes(), 64u * 1024u);
        if (c.functions.isEmpty()) {
            EXPECT_EQ(hex(stateBytes(match)), hex(before));
            continue;
        }
        EXPECT_EQ(match.inputFunctions(), c.functions);
        EXPECT_EQ(match.resultObjects().keys(), c.keys);
        EXPECT_EQ(match.matcher().getResults().size(), 2u);
        // The reader stands at the end of the state block.
        qint32 next = 0;
        s >> next;
        EXPECT_EQ(next, 42);
    }

    // A key stored twice: the later object stands, the earlier is deleted
    // (LeakSanitizer watches).
    TMassMoleculeMatch match;
    QByteArray twice = written([](TDataStream& s) {
        s << qint32(0) << qint32(2);
        for (int i = 0; i < 2; ++i) {
            s << qint32(6);
            TMassSpecDataObj object(QUuid(), TKSMassSpectrum(), i);
            TMassDataObj::writeToStream(s, object);
        }
    });
    TDataStream s(&twice, QIODevice::ReadOnly, 0);
    match.loadResultObjects(s);
    EXPECT_TRUE(s.ok());
    ASSERT_EQ(match.resultObjects().keys(), QList<int>({6}));
    EXPECT_EQ(match.resultObject(6)->subtype(), 1);

    // Alone, an unknown kind ends the entries at the end of the data.
    QByteArray unknown = withInt(stateFixture("result_objects"), 12, 9);
    TDataStream u(&unknown, QIODevice::ReadOnly, 0);
    match.loadResultObjects(u);
    EXPECT_TRUE(u.ok());
    EXPECT_EQ(u.remaining(), 0);
    EXPECT_TRUE(match.resultObjects().isEmpty());
}

// Every prefix of every fixture, read by every reader, ends without a
// crash or leak; short of the whole, the fixture's own reader fails and
// leaves its value as it was.
TEST(States, EveryPrefix)
{
    enum Reader { Composition, Match, Settings, Constraints, ResultObjects };
    const std::pair<const char*, Reader> fixtures[] = {
        {"composition_default", Composition}, {"composition", Composition}, {"match_default", Match},
        {"match", Match}, {"settings_default", Settings}, {"settings_custom", Settings},
        {"result_objects", ResultObjects}, {"constraints_default", Constraints}, {"constraints_custom", Constraints},
    };
    for (const auto& [name, own] : fixtures) {
        SCOPED_TRACE(name);
        const QByteArray whole = stateFixture(name);
        for (int n = 0; n < whole.size(); ++n) {
            const QByteArray cut = whole.left(n);
            TMassElementComposition composition;
            const QByteArray compositionBefore = stateBytes(composition);
            const QDataStream::Status compositionStatus = loadState(composition, cut).first;

            TMassMoleculeMatch match;
            match.setResultObject(1, new TMassSpecDataObj);
            const QByteArray matchBefore = stateBytes(match);
            const QDataStream::Status matchStatus = loadState(match, cut).first;

            TMolMatchSettings settings = customSettings();
            const bool settingsRead = molMatchSettingsFromByteArray(cut, settings);

            bool constraintsRead = true;
            const TKSCompositionConstraints constraints = elementConstraintsFromByteArray(cut, &constraintsRead);

            TMassMoleculeMatch objectsRead;
            QByteArray objects = cut;
            TDataStream s(&objects, QIODevice::ReadOnly, 0);
            objectsRead.loadResultObjects(s);

            switch (own) {
            case Composition:
                EXPECT_NE(compositionStatus, QDataStream::Ok);
                EXPECT_EQ(stateBytes(composition), compositionBefore);
                break;
            case Match:
                EXPECT_NE(matchStatus, QDataStream::Ok);
                EXPECT_EQ(stateBytes(match), matchBefore);
                break;
            case Settings:
                EXPECT_FALSE(settingsRead);
                expectSameSettings(settings, customSettings());
                break;
            case Constraints:
                EXPECT_FALSE(constraintsRead);
                EXPECT_TRUE(constraints == TKSCompositionConstraints());
                break;
            case ResultObjects:
                EXPECT_FALSE(s.ok());
                break;
            }
        }
    }
}
