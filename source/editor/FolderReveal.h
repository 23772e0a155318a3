#pragma once

#include <juce_core/juce_core.h>

/** Shows a folder in the desktop's file manager. On Linux the file manager is started through xdg-open
    in a process of its own that is never waited for on the calling thread: when there is no xdg-open,
    nothing happens, and nothing blocks. Returns false when the program could not be started.
*/
bool revealFolderToUser (const juce::File& folder);
