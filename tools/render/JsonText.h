#pragma once

#include <juce_core/juce_core.h>

/** JSON for scripts, written by the framework's writer. That writer gives BEL as "\a", which JSON does
    not have; it is turned into "\u0007", so that every control character comes out as valid JSON. */
class JsonText
{
public:
    static juce::String toString (const juce::var&);
};
