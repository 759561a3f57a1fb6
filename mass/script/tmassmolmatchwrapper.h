// The molecule-match script objects of a mass item: TMassMolMatchWrapper
// ("MassMolMatch": `settings`, `results`) and its settings object
// TMassMolMatchSettingsWrapper ("MassMolMatchSettings").
//
// The settings object keeps a settings record of its own, read from the
// item's matcher when it is made; reads answer the record, and every write
// stores the value there and hands the whole record to the matcher in a
// fixed order (applyMolMatchSettings). Nothing is matched, stored in the
// settings or recorded as a command; values are stored unchecked.
//
// Both keep the mass item, never the matcher, and resolve it on every
// access: once the item is gone `settings` and `results` read undefined
// and writes reach no matcher.
#pragma once

#include <QObject>
#include <QScriptValue>
#include <QScriptable>

#include "tmassmoleculematch.h"

class TCanvasMass;
class TMassMolMatchSettingsWrapper;

// The matcher of a live mass item, or null.
TKSMoleculeMatcher2* liveMatcher(TCanvasMass* item);

// The record handed to a matcher: adducts (positive, then negative), the
// maximum charges, dimers, score threshold, matches per molecule and per
// spectrum, then the tolerances with their unit.
template <class Matcher>
void applyMolMatchSettings(const TMolMatchSettings& s, Matcher& matcher)
{
    matcher.setAdducts(s.positiveAdducts(), s.negativeAdducts());
    matcher.setMaximumChargeStates(s.maxChargePositive, s.maxChargeNegative);
    matcher.setEnableDimers(s.enableDimers);
    matcher.setScoreThreshold(s.scoreThreshold);
    matcher.setMaximumMatchesPerMolecule(s.maxMatchesPerMolecule);
    matcher.setMaximumMatchesPerSpectrum(s.maxMatchesPerSpectrum);
    matcher.setMZTolerance(s.msTolerance, s.msmsTolerance, s.toleranceInDa);
}

class TMassMolMatchSettingsWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(QScriptValue adductsPos READ adductsPos WRITE setAdductsPos)
    Q_PROPERTY(QScriptValue adductsNeg READ adductsNeg WRITE setAdductsNeg)
    Q_PROPERTY(int maxChargePos READ maxChargePos WRITE setMaxChargePos)
    Q_PROPERTY(int maxChargeNeg READ maxChargeNeg WRITE setMaxChargeNeg)
    Q_PROPERTY(bool enableDimers READ enableDimers WRITE setEnableDimers)
    Q_PROPERTY(double scoreThreshold READ scoreThreshold WRITE setScoreThreshold)
    Q_PROPERTY(int maxMatchesPerMolecule READ maxMatchesPerMolecule WRITE setMaxMatchesPerMolecule)
    Q_PROPERTY(int maxMatchesPerSpectrum READ maxMatchesPerSpectrum WRITE setMaxMatchesPerSpectrum)
    Q_PROPERTY(double msTolerance READ msTolerance WRITE setMsTolerance)
    Q_PROPERTY(double msmsTolerance READ msmsTolerance WRITE setMsmsTolerance)
    Q_PROPERTY(QString toleranceUnits READ toleranceUnits WRITE setToleranceUnits)

public:
    TMassMolMatchSettingsWrapper(TCanvasMass* item, QObject* parent);

    QScriptValue adductsPos() const { return adducts(m_values.positiveAdductList); }
    void setAdductsPos(const QScriptValue& value);
    QScriptValue adductsNeg() const { return adducts(m_values.negativeAdductList); }
    void setAdductsNeg(const QScriptValue& value);
    int maxChargePos() const { return m_values.maxChargePositive; }
    void setMaxChargePos(int value);
    int maxChargeNeg() const { return m_values.maxChargeNegative; }
    void setMaxChargeNeg(int value);
    bool enableDimers() const { return m_values.enableDimers; }
    void setEnableDimers(bool on);
    double scoreThreshold() const { return m_values.scoreThreshold; }
    void setScoreThreshold(double value);
    int maxMatchesPerMolecule() const { return m_values.maxMatchesPerMolecule; }
    void setMaxMatchesPerMolecule(int value);
    int maxMatchesPerSpectrum() const { return m_values.maxMatchesPerSpectrum; }
    void setMaxMatchesPerSpectrum(int value);
    double msTolerance() const { return m_values.msTolerance; }
    void setMsTolerance(double value);
    double msmsTolerance() const { return m_values.msmsTolerance; }
    void setMsmsTolerance(double value);
    QString toleranceUnits() const;
    // "da" or "ppm" in any case; any other value changes nothing.
    void setToleranceUnits(const QString& text);

    const TMolMatchSettings& values() const { return m_values; }

private:
    QScriptValue adducts(const TAdductList& list) const;
    // The record handed to the item's matcher, when the item is there.
    void apply();

    TCanvasMass* m_item;
    TMolMatchSettings m_values;
};

class TMassMolMatchWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(QScriptValue settings READ settings WRITE setSettings)
    Q_PROPERTY(QScriptValue results READ results)

public:
    TMassMolMatchWrapper(TCanvasMass* item, QObject* parent);

    QScriptValue settings() const;
    void setSettings(const QScriptValue& value);
    // moleculeId and matched; for a match also score, similarity, purity,
    // retTime and scan (the apex's scan index + 1).
    QScriptValue results() const;
    TMassMolMatchSettingsWrapper* settingsObject() const { return m_settings; }

private:
    TCanvasMass* m_item;
    TMassMolMatchSettingsWrapper* m_settings;
};

// An adduct list from a script value: one entry per element an array
// holds (its "adduct" and "loss" when they are strings, else empty
// texts); empty for anything else.
TAdductList adductListFromScript(const QScriptValue& value);
