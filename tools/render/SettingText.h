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

    /** A plain decimal number ("-3", "+1.5", ".5"): no hex, no exponent, no words, nothing after it. */
    static std::optional<double> parseNumber (const juce::String& text);
};
