#pragma once

#include <juce_core/juce_core.h>

/** The only characters a user-typed preset name may hold. */
inline const juce::String presetNameCharacters {
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890 _-!+#%&"
};
