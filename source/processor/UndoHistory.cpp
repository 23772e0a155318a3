#include "UndoHistory.h"

void UndoHistory::endStep()
{
    manager.beginNewTransaction();
    publish();
}

void UndoHistory::undo()
{
    manager.undo();
}

void UndoHistory::redo()
{
    manager.redo();
}

void UndoHistory::clear()
{
    manager.clearUndoHistory();
    publish();
}

void UndoHistory::publish()
{
    undoAvailable.store (manager.canUndo());
    redoAvailable.store (manager.canRedo());
    updatePending.store (true);
}
