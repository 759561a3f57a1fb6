// The dataset information objects: a read-only tree of script objects that
// shows a dataset's injections and, per injection, its functions (scan
// series with their acquisition codes) and traces (detector signals).
//
// The tree is built in one go by the constructors from the core library's
// dataset objects and keeps copies of names and numbers only: every
// core-library object a getter hands out is deleted by the constructor
// that asked for it, once its values and sub-lists are taken. Every object
// but the root is a child of the one that made it.
//
// Object names: root "MassItemInfo", collections "MassInjectionsInfo",
// "MassFunctionsInfo", "MassTracesInfo", entries "MassInjectionInfo",
// "MassFunctionInfo"; a trace entry has none. Collections hand out their
// entries, and entries their collections, without passing ownership (the
// same object on every read); getItem on an empty collection is undefined
// whatever the arguments, else one number within 0 to count - 1 (outside:
// undefined; a wrong count or type: codes 1 and 2).
#pragma once

#include <QObject>
#include <QScriptValue>
#include <QScriptable>
#include <QString>
#include <QVector>

class TKSDataset;
class TKSFunction;
class TKSFunctions;
class TKSInjection;
class TKSInjections;
class TKSTrace;
class TKSTraces;

class TMassInfoItem : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(bool valid READ valid)
    Q_PROPERTY(int index READ index)
    Q_PROPERTY(QString name READ name)

public:
    explicit TMassInfoItem(QObject* parent);

    bool valid() const { return m_index >= 0; }
    int index() const { return m_index; }
    QString name() const { return m_name; }

protected:
    int m_index = -1;
    QString m_name;
};

class TMassInfoBaseCollection : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(int count READ count)

public:
    explicit TMassInfoBaseCollection(QObject* parent) : QObject(parent) {}

    virtual int count() const = 0;

public slots:
    virtual QScriptValue getItem() = 0;

protected:
    // The checks of getItem; null when it answers without an entry (value
    // holds that answer).
    QObject* checkedEntry(int size, QScriptValue& answer);
    virtual QObject* entryAt(int position) const = 0;
};

// A collection of entries of one class, built from a core-library list.
template <class Entry>
class TMassInfoCollection : public TMassInfoBaseCollection {
public:
    template <class List>
    TMassInfoCollection(const List* list, const char* name, QObject* parent) : TMassInfoBaseCollection(parent)
    {
        setObjectName(QString::fromLatin1(name));
        const int n = list ? list->getCount() : 0;
        for (int i = 0; i < n; ++i)
            m_entries.append(new Entry(list->getItem(i), this));
    }

    int count() const override { return m_entries.size(); }
    QScriptValue getItem() override
    {
        QScriptValue answer;
        checkedEntry(m_entries.size(), answer);
        return answer;
    }

protected:
    QObject* entryAt(int position) const override { return m_entries.value(position); }

private:
    QVector<Entry*> m_entries;
};

class TMassFunctionWrapper : public TMassInfoItem {
    Q_OBJECT
    Q_PROPERTY(int msType READ msType)
    Q_PROPERTY(int order READ order)
    Q_PROPERTY(int analyzerType READ analyzerType)
    Q_PROPERTY(int polarity READ polarity)
    Q_PROPERTY(int msmsType READ msmsType)
    Q_PROPERTY(int count READ count)

public:
    // Takes the function's values and deletes it.
    TMassFunctionWrapper(TKSFunction* function, QObject* parent);

    int msType() const { return m_msType; }
    int order() const { return m_order; }
    int analyzerType() const { return m_analyzerType; }
    int polarity() const { return m_polarity; }
    int msmsType() const { return m_msmsType; }
    int count() const { return m_count; }

private:
    int m_msType = 0;
    int m_order = 0;
    int m_analyzerType = 0;
    int m_polarity = 0;
    int m_msmsType = 0;
    int m_count = 0;
};

class TMassTraceWrapper : public TMassInfoItem {
    Q_OBJECT

public:
    // Takes the trace's values and deletes it.
    TMassTraceWrapper(TKSTrace* trace, QObject* parent);
};

class TMassFunctionsWrapper : public TMassInfoCollection<TMassFunctionWrapper> {
public:
    // Deletes the list.
    TMassFunctionsWrapper(TKSFunctions* list, QObject* parent);
};

class TMassTracesWrapper : public TMassInfoCollection<TMassTraceWrapper> {
public:
    // Deletes the list.
    TMassTracesWrapper(TKSTraces* list, QObject* parent);
};

class TMassInjectionWrapper : public TMassInfoItem {
    Q_OBJECT
    Q_PROPERTY(QScriptValue functions READ functions)
    Q_PROPERTY(QScriptValue traces READ traces)

public:
    // Takes the injection's values and lists and deletes it.
    TMassInjectionWrapper(TKSInjection* injection, QObject* parent);

    QScriptValue functions() const;
    QScriptValue traces() const;
    TMassFunctionsWrapper* functionList() const { return m_functions; }
    TMassTracesWrapper* traceList() const { return m_traces; }

private:
    TMassFunctionsWrapper* m_functions = nullptr;
    TMassTracesWrapper* m_traces = nullptr;
};

class TMassInjectionsWrapper : public TMassInfoCollection<TMassInjectionWrapper> {
public:
    // Deletes the list.
    TMassInjectionsWrapper(TKSInjections* list, QObject* parent);
};

class TMassItemInfoWrapper : public QObject, protected QScriptable {
    Q_OBJECT
    Q_PROPERTY(bool valid READ valid)
    Q_PROPERTY(QScriptValue injections READ injections)

public:
    // The dataset stays the caller's; null gives an invalid root.
    explicit TMassItemInfoWrapper(const TKSDataset* dataset, QObject* parent = nullptr);

    bool valid() const;
    // The collection, or null when there was no dataset.
    QScriptValue injections() const;
    TMassInjectionsWrapper* injectionList() const { return m_injections; }

private:
    TMassInjectionsWrapper* m_injections = nullptr;
};
