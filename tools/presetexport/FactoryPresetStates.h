#pragma once

#include <juce_core/juce_core.h>

#include <utility>

/** The plug-in's state chunk for each factory preset: a fresh processor with the preset chosen as in
    the settings menu. Attributes that belong to the instance rather than to the preset (the channel name
    and the editor heights, which depend on the display of the machine that builds) are left out, so a
    restore keeps the instance's own.
*/
class FactoryPresetStates
{
public:
    struct Entry
    {
        juce::String name;
        juce::MemoryBlock chunk;
        /** Each parameter's ID and normalised value, for hosts that apply a preset's port values. */
        juce::Array<std::pair<juce::String, float>> parameterValues;
    };

    /** One entry per factory preset, in list order; a preset whose state cannot be read back is left out.
        Needs an initialised message manager. */
    static juce::Array<Entry> collect();

private:
    FactoryPresetStates() = delete;
};
