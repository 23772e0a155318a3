#pragma once

#include <juce_core/juce_core.h>

/**
    Removes the files being written when SIGINT or SIGTERM ends the process, then lets the signal end it
    as usual, so that the shell sees 130 or 143 and no half-written file is left for the next batch. The
    handler only unlinks the paths registered here, which is safe inside a signal handler.
*/
class InterruptCleanup
{
public:
    /** Installs the handlers for SIGINT and SIGTERM, and ignores SIGXFSZ; once per process. */
    static void install();

    /** Registers a path to remove if interrupted; returns its slot, or -1 when all slots are taken. */
    static int add (const juce::File& path);

    /** Forgets a slot from add(). */
    static void remove (int slot);
};
