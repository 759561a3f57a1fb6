// The elemental-composition script objects of a mass item:
// TMassElemCompWrapper ("MassElemComposition": `settings`, `results`), its
// settings object TMassElCompSettingsWrapper ("MassElCompSettings": the
// calculator's constraints) and TMassElementConstraintWrapper
// ("MassElementConstraint": a copy of one element constraint).
//
// The objects read the item's calculator at each access and hand changed
// constraints straight to it (a copy changed and set back); nothing is
// recomputed, stored in the settings or recorded as a command. Values are
// stored unchecked (the calculator refuses what it cannot search).
//
// They keep the mass item, never the calculator, and resolve it on every
// access: once the item is gone they read as invalid (`settings`,
// `results` and the object-valued settings undefined, numbers 0, texts
// empty) and writes do nothing.
#pragma once

#include <QObject>
#include <QScriptValue>
#include <QScriptable>
#include <QVector>

#include "tindrel.h"

class TCanvasMass;
class TKSCompositionCalculator;
class TMassElCompSettingsWrapper;

// The calculator of a live mass item, or null.
TKSCompositionCalculator* liveCalculator(TCanvasMass* item);

class TMassElementConstraintWrapper : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol WRITE setSymbol)
    Q_PROPERTY(int min READ min WRITE setMin)
    Q_PROPERTY(int max READ max WRITE setMax)

public:
    explicit TMassElementConstraintWrapper(const TKSElementConstraint& constraint, QObject* parent = nullptr);

    QString symbol() const { return QString::fromStdWString(m_constraint.getSymbol()); }
    void setSymbol(const QString& symbol) { m_constraint.setSymbol(symbol.toStdWString()); }
    int min() const { return m_constraint.getMinimumCount(); }
    void setMin(int count) { m_constraint.setMinimumCount(count); }
    int max() const { return m_constraint.getMaximumCount(); }
    void setMax(int count) { m_constraint.setMaximumCount(count); }
    const TKSElementConstraint& constraint() const { return m_constraint; }

private:
    TKSElementConstraint m_constraint;
};

class TMassElCompSettingsWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(QScriptValue dbe READ dbe WRITE setDbe)
    Q_PROPERTY(int maxResults READ maxResults WRITE setMaxResults)
    Q_PROPERTY(QScriptValue tolerance READ tolerance WRITE setTolerance)
    Q_PROPERTY(QString electronMode READ electronMode WRITE setElectronMode)
    Q_PROPERTY(int chargeState READ chargeState WRITE setChargeState)
    // The system's own spelling.
    Q_PROPERTY(double fitnessTheshold READ fitnessTheshold WRITE setFitnessTheshold)
    Q_PROPERTY(QString adduct READ adduct WRITE setAdduct)
    Q_PROPERTY(QScriptValue elements READ elements WRITE setElements)

public:
    TMassElCompSettingsWrapper(TCanvasMass* item, QObject* parent);

    QScriptValue dbe() const;
    void setDbe(const QScriptValue& value);
    int maxResults() const;
    void setMaxResults(int count);
    QScriptValue tolerance() const;
    void setTolerance(const QScriptValue& value);
    QString electronMode() const;
    void setElectronMode(const QString& text);
    int chargeState() const;
    void setChargeState(int charge);
    double fitnessTheshold() const;
    void setFitnessTheshold(double threshold);
    QString adduct() const;
    void setAdduct(const QString& adduct);
    QScriptValue elements() const;
    void setElements(const QScriptValue& value);

private:
    const TKSCompositionConstraints* constraints() const;
    // The calculator's constraints copied, changed and handed back.
    template <class Change>
    void change(Change change);

    TCanvasMass* m_item;
};

class TMassElemCompWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(QScriptValue settings READ settings WRITE setSettings)
    Q_PROPERTY(QScriptValue results READ results)

public:
    TMassElemCompWrapper(TCanvasMass* item, QObject* parent);

    QScriptValue settings() const;
    void setSettings(const QScriptValue& value);
    // formula, mass, dbe, absErr, mDaErr, ppmErr, fitness per result.
    QScriptValue results() const;
    TMassElCompSettingsWrapper* settingsObject() const { return m_settings; }

private:
    TCanvasMass* m_item;
    TMassElCompSettingsWrapper* m_settings;
};

// The positions of the elements an array holds below its length, in
// order: a sparse array with a huge length is walked by what it holds.
QVector<quint32> scriptArrayIndexes(const QScriptValue& array, qint32 length);
