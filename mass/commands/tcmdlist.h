// TCmdList: several commands run as one undo step. The list owns its
// children; redo runs them first to last, undo last to first, and the
// history operations pass the context on to each child (the list makes no
// record of its own). A builder that finds count() 0 deletes the list
// instead of handing it to the host.
#pragma once

#include <QList>

#include "tcommand.h"

class TCmdList : public TCommand {
    Q_OBJECT
public:
    explicit TCmdList(const char* name);
    ~TCmdList() override;

    // Null is ignored; index -1 appends, any other index inserts before
    // that position (clamped into the list).
    void insert(TCommand* command, int index = -1);
    int count() const { return commands.size(); }

    void recordHistory(THistoryContext* context) override;
    void removeHistory(THistoryContext* context) override;
    void restoreHistory(THistoryContext* context) override;
    void doRedo() override;
    void doUndo() override;

    QList<TCommand*> commands;
};
