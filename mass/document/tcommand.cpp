#include "tcommand.h"

#include "tdatastream.h"
#include "tstreambytes.h"

THistoryParameter::THistoryParameter(const char* parameterName) : name(parameterName) {}

THistoryParameter::~THistoryParameter() = default;

void THistoryParameter::setValue(const char* text)
{
    value = QByteArray(text);
}

void THistoryParameter::write(TDataStream& s) const
{
    s.beginBlock();
    s.endBlock();
    s.beginBlock();
    s << name << value;
    s.endBlock();
}

void THistoryParameter::read(TDataStream& s)
{
    s.skipBlock();
    s.readBlockSize();
    QByteArray n, v;
    if (!readByteArray(s, n) || !readByteArray(s, v))
        return;
    name = n;
    value = v;
}

THistoryRecord::THistoryRecord(const char* recordName, const QUuid& id, const QString& recordText)
    : name(recordName), itemId(id), time(QDateTime::currentDateTime()), text(recordText)
{
}

THistoryRecord::~THistoryRecord()
{
    while (!parameters.isEmpty())
        delete parameters.takeLast();
}

void THistoryRecord::addParameter(THistoryParameter* parameter)
{
    if (parameter)
        parameters.append(parameter);
}

void THistoryContext::addRecord(THistoryRecord* record)
{
    if (!record)
        return;
    records.append(record);
    // The key goes through its text form, as the host's own entries do.
    byItem.insert(QUuid(record->itemId.toString()), record);
}

void THistoryContext::removeRecord(THistoryRecord* record)
{
    if (!record)
        return;
    records.removeAll(record);
    for (auto it = byItem.lowerBound(record->itemId); it != byItem.end(); ++it) {
        if (it.value() == record) {
            byItem.erase(it);
            return;
        }
    }
}

TCommand::TCommand(const char* commandName) : name(commandName), time(QDateTime::currentDateTime()) {}

TCommand::~TCommand()
{
    for (THistoryRecord* record : ownRecords)
        if (records.contains(record))
            delete record;
}

void TCommand::keepRecord(THistoryRecord* record, THistoryContext* context)
{
    records.append(record);
    if (context)
        context->addRecord(record);
    else
        ownRecords.append(record);
}

void TCommand::recordHistory(THistoryContext* context)
{
    keepRecord(new THistoryRecord(name.constData(), QUuid(), QString()), context);
}

void TCommand::removeHistory(THistoryContext* context)
{
    if (!context)
        return;
    for (THistoryRecord* record : records) {
        context->removeRecord(record);
        if (!ownRecords.contains(record))
            ownRecords.append(record);
    }
}

void TCommand::restoreHistory(THistoryContext* context)
{
    if (!context)
        return;
    for (THistoryRecord* record : records) {
        context->addRecord(record);
        ownRecords.removeAll(record);
    }
}

void TCommand::redo()
{
    doRedo();
    if (!(flags & NotApplied))
        flags |= Done;
}

void TCommand::undo()
{
    doUndo();
    flags &= ~Done;
}
