#include "tcmdlist.h"

#include <algorithm>

TCmdList::TCmdList(const char* name) : TCommand(name) {}

TCmdList::~TCmdList()
{
    while (!commands.isEmpty())
        delete commands.takeLast();
}

void TCmdList::insert(TCommand* command, int index)
{
    if (!command)
        return;
    if (index == -1)
        commands.append(command);
    else
        commands.insert(std::clamp(index, 0, commands.size()), command);
}

void TCmdList::recordHistory(THistoryContext* context)
{
    for (TCommand* c : commands)
        c->recordHistory(context);
}

void TCmdList::removeHistory(THistoryContext* context)
{
    for (TCommand* c : commands)
        c->removeHistory(context);
}

void TCmdList::restoreHistory(THistoryContext* context)
{
    for (TCommand* c : commands)
        c->restoreHistory(context);
}

void TCmdList::doRedo()
{
    for (TCommand* c : commands)
        c->redo();
}

void TCmdList::doUndo()
{
    for (int i = commands.size() - 1; i >= 0; --i)
        commands.at(i)->undo();
}
