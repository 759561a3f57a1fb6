#include "tmassmoleculematch.h"

#include <QSet>
#include <QSettings>
#include <QVariant>

#include "tcoreimage.h"
#include "tstreambytes.h"

const char* const kMolMatchSettingsKey = "Mass/Molecule Match/Settings";

namespace {

// The fewest bytes of a stored adduct pair (two strings) and of a stored
// result-object entry (its key and the object's kind).
constexpr qint64 kMinPairBytes = 8;
constexpr qint64 kMinEntryBytes = 8;
constexpr int kInputFunctionCount = 4;

bool readAdductList(TDataStream& s, TAdductList& list)
{
    list.clear();
    const qint32 n = s.readCount(kMinPairBytes);
    for (qint32 i = 0; i < n; ++i) {
        TAdductPair pair;
        if (!s.readString(pair.first) || !s.readString(pair.second))
            break;
        list.append(pair);
    }
    return s.ok();
}

void writeEmptyBlock(TDataStream& s)
{
    s.beginBlock();
    s.endBlock();
}

}  // namespace

// --- TMolMatchSettings -----------------------------------------------------------------

TMolMatchSettings::TMolMatchSettings()
    : maxChargePositive(1),
      maxChargeNegative(1),
      enableDimers(false),
      scoreThreshold(0.5),
      maxMatchesPerMolecule(1),
      maxMatchesPerSpectrum(1),
      msTolerance(5.0),
      msmsTolerance(10.0),
      toleranceInDa(false)
{
    // Converted as the matcher's lists are, so that the default record and
    // one read from a default matcher write the same bytes.
    ionSpecsToAdductList({TKSMoleculeMatcher2::CIonSpec(L"H+", L"")}, positiveAdductList);
    ionSpecsToAdductList({TKSMoleculeMatcher2::CIonSpec(L"", L"H+")}, negativeAdductList);
}

TMolMatchSettings::TMolMatchSettings(const TKSMoleculeMatcher2& matcher) : TMolMatchSettings()
{
    std::vector<TKSMoleculeMatcher2::CIonSpec> positive;
    std::vector<TKSMoleculeMatcher2::CIonSpec> negative;
    matcher.getAdducts(positive, negative);
    ionSpecsToAdductList(positive, positiveAdductList);
    ionSpecsToAdductList(negative, negativeAdductList);
    enableDimers = matcher.getEnableDimers();
    matcher.getMaximumChargeStates(maxChargePositive, maxChargeNegative);
    maxMatchesPerMolecule = matcher.getMaximumMatchesPerMolecule();
    maxMatchesPerSpectrum = matcher.getMaximumMatchesPerSpectrum();
    matcher.getMZTolerance(msTolerance, msmsTolerance, toleranceInDa);
    scoreThreshold = matcher.getScoreThreshold();
}

std::vector<TKSMoleculeMatcher2::CIonSpec> TMolMatchSettings::positiveAdducts() const
{
    return adductListToIonSpecs(positiveAdductList);
}

std::vector<TKSMoleculeMatcher2::CIonSpec> TMolMatchSettings::negativeAdducts() const
{
    return adductListToIonSpecs(negativeAdductList);
}

void TMolMatchSettings::save(TDataStream& s) const
{
    s.beginBlock();
    writeEmptyBlock(s);
    s << positiveAdductList << negativeAdductList;
    s << qint32(maxChargePositive) << qint32(maxChargeNegative);
    s << enableDimers;
    s << scoreThreshold;
    s << qint32(maxMatchesPerMolecule) << qint32(maxMatchesPerSpectrum);
    s << msTolerance << msmsTolerance;
    s << toleranceInDa;
    s.endBlock();
}

void TMolMatchSettings::load(TDataStream& s)
{
    TMolMatchSettings read(*this);
    const bool whole = readBlock(s, BlockLength::Checked, [&] {
        s.skipBlock();
        if (!readAdductList(s, read.positiveAdductList) || !readAdductList(s, read.negativeAdductList))
            return;
        qint32 chargePositive = 0, chargeNegative = 0, perMolecule = 0, perSpectrum = 0;
        s >> chargePositive >> chargeNegative >> read.enableDimers >> read.scoreThreshold >> perMolecule >>
            perSpectrum >> read.msTolerance >> read.msmsTolerance >> read.toleranceInDa;
        read.maxChargePositive = chargePositive;
        read.maxChargeNegative = chargeNegative;
        read.maxMatchesPerMolecule = perMolecule;
        read.maxMatchesPerSpectrum = perSpectrum;
    });
    if (whole)
        *this = read;
}

// --- conversions and stored settings ----------------------------------------------------

void ionSpecsToAdductList(const std::vector<TKSMoleculeMatcher2::CIonSpec>& specs, TAdductList& list)
{
    list.clear();
    for (const TKSMoleculeMatcher2::CIonSpec& spec : specs)
        list.append(TAdductPair(QString::fromStdWString(spec.adduct), QString::fromStdWString(spec.loss)));
}

std::vector<TKSMoleculeMatcher2::CIonSpec> adductListToIonSpecs(const TAdductList& list)
{
    std::vector<TKSMoleculeMatcher2::CIonSpec> specs;
    specs.reserve(static_cast<size_t>(list.size()));
    for (const TAdductPair& pair : list)
        specs.emplace_back(pair.first.toStdWString(), pair.second.toStdWString());
    return specs;
}

QByteArray molMatchSettingsToByteArray(const TMolMatchSettings& settings)
{
    QByteArray bytes;
    TDataStream s(&bytes, QIODevice::WriteOnly, 0);
    settings.save(s);
    return bytes;
}

bool molMatchSettingsFromByteArray(const QByteArray& bytes, TMolMatchSettings& settings)
{
    QByteArray buffer = bytes;
    TDataStream s(&buffer, QIODevice::ReadOnly, 0);
    settings.load(s);
    return s.ok();
}

void saveMolMatchSettings(const TMolMatchSettings& settings)
{
    QSettings().setValue(QLatin1String(kMolMatchSettingsKey), molMatchSettingsToByteArray(settings));
}

TMolMatchSettings loadMolMatchSettings()
{
    const TKSMoleculeMatcher2 fresh;
    TMolMatchSettings settings(fresh);
    const QByteArray bytes = QSettings().value(QLatin1String(kMolMatchSettingsKey), QByteArray()).toByteArray();
    if (!bytes.isEmpty())
        molMatchSettingsFromByteArray(bytes, settings);  // damaged bytes leave the matcher's defaults
    return settings;
}

// --- TMassMoleculeMatch ----------------------------------------------------------------

TMassMoleculeMatch::TMassMoleculeMatch()
    : m_selectedResult(-1), m_injection(-1), m_inputFunctions(kInputFunctionCount, -1)
{
}

TMassMoleculeMatch::~TMassMoleculeMatch()
{
    deleteObjects(m_resultObjects);
}

TMolMatchSettings TMassMoleculeMatch::settings() const
{
    return TMolMatchSettings(m_matcher);
}

void TMassMoleculeMatch::applySettings(const TMolMatchSettings& settings)
{
    m_matcher.setAdducts(settings.positiveAdducts(), settings.negativeAdducts());
    m_matcher.setMaximumChargeStates(settings.maxChargePositive, settings.maxChargeNegative);
    m_matcher.setEnableDimers(settings.enableDimers);
    m_matcher.setScoreThreshold(settings.scoreThreshold);
    m_matcher.setMaximumMatchesPerMolecule(settings.maxMatchesPerMolecule);
    m_matcher.setMaximumMatchesPerSpectrum(settings.maxMatchesPerSpectrum);
    m_matcher.setMZTolerance(settings.msTolerance, settings.msmsTolerance, settings.toleranceInDa);
}

void TMassMoleculeMatch::loadSavedSettings()
{
    applySettings(loadMolMatchSettings());
}

void TMassMoleculeMatch::setInputFunctions(int injection, int msPositive, int msmsPositive, int msNegative,
                                           int msmsNegative)
{
    m_injection = injection;
    m_inputFunctions = {msPositive, msNegative, msmsPositive, msmsNegative};
}

bool TMassMoleculeMatch::isValidResultIndex(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_matcher.getResults().size();
}

void TMassMoleculeMatch::setResultObject(int key, TMassDataObj* object)
{
    TMassDataObj* old = m_resultObjects.value(key, nullptr);
    if (object)
        m_resultObjects.insert(key, object);
    else
        m_resultObjects.remove(key);
    if (old && old != object && !m_resultObjects.values().contains(old))
        delete old;
}

void TMassMoleculeMatch::deleteObjects(QMap<int, TMassDataObj*>& objects)
{
    // One object may stand under two keys; it is deleted once.
    const QList<TMassDataObj*> values = objects.values();
    const QSet<TMassDataObj*> distinct(values.begin(), values.end());
    objects.clear();
    qDeleteAll(distinct);
}

void TMassMoleculeMatch::takeResultObjects(QMap<int, TMassDataObj*>& objects)
{
    const QList<TMassDataObj*> incoming = objects.values();
    for (TMassDataObj* old : QSet<TMassDataObj*>(m_resultObjects.cbegin(), m_resultObjects.cend())) {
        if (!incoming.contains(old))
            delete old;
    }
    m_resultObjects = objects;
    objects.clear();
}

void TMassMoleculeMatch::clearResultObjects()
{
    deleteObjects(m_resultObjects);
}

void TMassMoleculeMatch::saveResultObjects(TDataStream& s) const
{
    writeEmptyBlock(s);
    s << qint32(m_resultObjects.size());
    for (auto it = m_resultObjects.cbegin(); it != m_resultObjects.cend(); ++it) {
        s << qint32(it.key());
        TMassDataObj::writeToStream(s, *it.value());
    }
}

TMassMoleculeMatch::EntryEnd TMassMoleculeMatch::readResultObjects(TDataStream& s, QMap<int, TMassDataObj*>& out)
{
    s.skipBlock();
    const qint32 n = s.readCount(kMinEntryBytes);
    for (qint32 i = 0; i < n; ++i) {
        qint32 key = 0;
        s >> key;
        if (!s.ok())
            break;
        TMassDataObj* object = TMassDataObj::createFromStream(s);
        if (!object) {
            if (s.ok())
                return EntryEnd::UnknownKind;
            break;
        }
        // A key stored twice: the later object stands.
        delete out.value(key, nullptr);
        out.insert(key, object);
    }
    return EntryEnd::Data;
}

void TMassMoleculeMatch::loadResultObjects(TDataStream& s)
{
    QMap<int, TMassDataObj*> read;
    // Entries after an unknown kind no longer line up: stop at the end of
    // the data, which holds nothing but the result objects.
    if (readResultObjects(s, read) == EntryEnd::UnknownKind)
        s.device()->seek(s.device()->size());
    takeResultObjects(read);
}

void TMassMoleculeMatch::save(TDataStream& s) const
{
    s.beginBlock();
    writeEmptyBlock(s);
    s << coreImageBytes(m_matcher);
    s << qint32(m_selectedResult) << qint32(m_injection);
    s << m_inputFunctions;
    saveResultObjects(s);
    s.endBlock();
}

void TMassMoleculeMatch::load(TDataStream& s)
{
    QByteArray image;
    qint32 selected = -1, injection = -1;
    QVector<int> functions;
    QMap<int, TMassDataObj*> objects;
    const bool whole = readBlock(s, BlockLength::Checked, [&] {
        s.skipBlock();
        if (!readByteArray(s, image))
            return;
        s >> selected >> injection;
        if (readVector(s, functions, 4))
            readResultObjects(s, objects);  // an unknown kind ends them; the block's end follows
    });
    if (!whole) {
        deleteObjects(objects);
        return;
    }
    // Callers index the four functions: a damaged count gives -1 where
    // an index is missing, and extra ones are dropped.
    const int stored = functions.size();
    functions.resize(kInputFunctionCount);
    for (int i = stored; i < kInputFunctionCount; ++i)
        functions[i] = -1;
    m_selectedResult = selected;
    m_injection = injection;
    m_inputFunctions = functions;
    coreImageRead(m_matcher, image);  // a refused image leaves the matcher as it was
    takeResultObjects(objects);
}
