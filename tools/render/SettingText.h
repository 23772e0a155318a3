#pragma once

#include "processor/ParameterDisplayKind.h"

#include <juce_core/juce_core.h>

#include <optional>

/**
    The renderer's reading of a typed value. The plug-in's own rule reads the leading number of any text
    and limits it silently, which suits a text box but not a command line: here the whole text must be one
    of the accepted forms and lie in the range, or it is refused with both in the message.
*/
class SettingText
{
public:
    /** The value the text means, as a text the parameter's own rule reads exactly; throws RenderError. */
    static juce::String check (const juce::String& name, ParameterDisplayKind, const juce::String& text);

    /** The stored value of a switch (on or off, 1 or 0) or a choice (an option's name as the editor shows
        it, in any case, spaces optional, or exactly its stored value: 0, 0.1, 0.2). The plug-in's own rule
        reads any value by ranges, but the signal chain takes a choice by its exact value: only those
        values give what the name says. Throws RenderError listing the accepted forms. */
    static float checkChoice (const juce::String& name, ParameterDisplayKind, const juce::String& text);

    /** A plain decimal number ("-3", "+1.5", ".5"): no hex, no exponent, no words, nothing after it. */
    static std::optional<double> parseNumber (const juce::String& text);
};
