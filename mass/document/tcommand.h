// TCommand: the base of every undoable change the plug-in makes to a
// document. The part of the plug-in that wants a change builds the command
// and hands it to the host (IPluginHost::executeCommand), whose undo stack
// owns it and runs it: redo, undo and redo again, and the three history
// operations with the host's history context, then deletes it. The layout
// of TCommand and the order of its virtual operations are shared with the
// host, which compiles this class too.
//
// Flags: bit 0 done (set by redo unless bit 2 is set, cleared by undo),
// bit 1 step command (set by some view commands, read by nobody here),
// bit 2 not applied (set by a doRedo that found nothing to do; never
// cleared).
//
// History: every command leaves records (THistoryRecord) in the host's
// history context. While a record is in the context the context holds it;
// a record the command made while no context was given, or took out again
// with removeHistory, is the command's own, and the command deletes it when
// it goes (an undone command dropped by the undo stack thus leaks nothing).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUuid>

class TDataStream;
class THistoryRecord;

// A named value of a history record. Stream form: an empty header block,
// then a block holding name and value as Qt byte arrays.
class THistoryParameter {
public:
    explicit THistoryParameter(const char* name);
    virtual ~THistoryParameter();
    virtual void setValue(const char* text);
    virtual void write(TDataStream& s) const;
    // Skips the header block by its length; a stream that fails leaves the
    // parameter as it was.
    virtual void read(TDataStream& s);

    QByteArray name;
    QByteArray value;
};

// One entry of a document's history; owns its parameters.
class THistoryRecord {
public:
    THistoryRecord(const char* name, const QUuid& itemId, const QString& text);
    ~THistoryRecord();
    THistoryRecord(const THistoryRecord&) = delete;
    THistoryRecord& operator=(const THistoryRecord&) = delete;

    void addParameter(THistoryParameter* parameter);

    QByteArray name;
    QUuid itemId;
    QString note;
    QDateTime time;
    QString text;
    QList<THistoryParameter*> parameters;
};

// The host's history of one document: every record in the order added,
// then a multi-map from item id to record. The host creates and owns it
// (and the records in it); the plug-in adds and removes records with the
// two operations below.
class THistoryContext {
public:
    // Appends; one further map entry under the record's item id.
    void addRecord(THistoryRecord* record);
    // Every list entry of the record, and its first map entry at or after
    // its item id; a record the context does not hold changes nothing.
    void removeRecord(THistoryRecord* record);
    bool holds(const THistoryRecord* record) const { return records.contains(const_cast<THistoryRecord*>(record)); }

    QList<THistoryRecord*> records;
    QMultiMap<QUuid, THistoryRecord*> byItem;
};

class TCommand : public QObject {
    Q_OBJECT
public:
    enum Flag { Done = 0x1, Step = 0x2, NotApplied = 0x4 };

    explicit TCommand(const char* name);
    // Deletes only the records that no context holds (see above).
    ~TCommand() override;

    virtual void recordHistory(THistoryContext* context);
    virtual void removeHistory(THistoryContext* context);
    virtual void restoreHistory(THistoryContext* context);
    virtual void doRedo() {}
    virtual void doUndo() {}

    void redo();
    void undo();

    bool isDone() const { return flags & Done; }
    bool isApplied() const { return !(flags & NotApplied); }

    QByteArray name;
    QDateTime time;
    qint32 flags = 0;
    QList<THistoryRecord*> records;

protected:
    // A record of this command enters the context (or, without one, stays
    // the command's own).
    void keepRecord(THistoryRecord* record, THistoryContext* context);
    // Records no context holds; the destructor deletes them.
    QList<THistoryRecord*> ownRecords;
};
