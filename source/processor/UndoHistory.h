#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <atomic>

/**
    The undo history of the changes made in the editor: the undo manager that records them in the current
    preset, and whether undo and redo are possible, published as atomics so that the editor's timer can
    pick a change up without touching the manager. The manager itself belongs to the message thread.
*/
class UndoHistory
{
public:
    juce::UndoManager& getManager() noexcept { return manager; }

    /** Closes the current step, so that the next change begins a new one. */
    void endStep();

    /** Undo and redo of one step in the manager; the caller re-applies the preset the step changed. */
    void undo();
    void redo();
    void clear();

    /** Publishes whether undo and redo are possible and marks the news for the editor. */
    void publish();
    /** True once after each publication. */
    bool takeUpdate() noexcept { return updatePending.exchange (false); }
    bool canUndo() const noexcept { return undoAvailable.load(); }
    bool canRedo() const noexcept { return redoAvailable.load(); }

private:
    juce::UndoManager manager;
    std::atomic<bool> undoAvailable { false }, redoAvailable { false }, updatePending { false };
};
