#pragma once

#include "ParameterDisplayKind.h"

#include <juce_core/juce_core.h>

#include <atomic>

/** One automatable parameter: a normalised value 0..1 (stored unclamped), its name and display kind.
    The value may be written and read from any thread; each access is a single relaxed float.
*/
class PluginParameter
{
public:
    PluginParameter (int indexInSet, const juce::String& parameterName, float defaultNormalisedValue, ParameterDisplayKind kind);

    float getValue() const noexcept { return value.load (std::memory_order_relaxed); }
    void setValue (float newValue) noexcept { value.store (newValue, std::memory_order_relaxed); }

    /** The live value, for readers that must see changes made during a block. */
    const std::atomic<float>& getValueSource() const noexcept { return value; }

    /** Display text of v by this parameter's kind ("100 %", "L30", "-3.5dB", "150Hz", "SWAP ACTIVE"...). */
    juce::String getTextForValue (float v) const;

    /** Normalised value for a text typed by the user. */
    float getValueForText (const juce::String& text) const;

    const int index;
    const float defaultValue;
    const juce::String name;
    const ParameterDisplayKind displayKind;

private:
    std::atomic<float> value;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginParameter)
};
