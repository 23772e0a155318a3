#pragma once

#include <juce_core/juce_core.h>

/** The order user presets are listed and stepped through, the one file managers show: letters without
    regard to case, runs of digits by their number ("Preset 9" before "Preset 10"), and names that are still
    equal then by their exact characters, so the order is the same on every machine and file system.
*/
class PresetNameOrder
{
public:
    /** Negative, zero or positive as a sorts before, equal to or after b. Zero only for identical names. */
    static int compare (const juce::String& a, const juce::String& b) noexcept;

    static bool lessThan (const juce::String& a, const juce::String& b) noexcept { return compare (a, b) < 0; }

    /** Sorts the names in place. */
    static void sort (juce::StringArray& names);

private:
    PresetNameOrder() = delete;
};
