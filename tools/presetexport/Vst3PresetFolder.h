#pragma once

#include "FactoryPresetStates.h"

/** Writes the factory presets as VST3 preset files (".vstpreset"), one per preset and named after it,
    into the folder layout VST3 hosts search: <root>/<company>/<plug-in name>/. Each file holds the
    plug-in component's state, which the VST3 wrapper passes to the plug-in's own state restore.
*/
class Vst3PresetFolder
{
public:
    explicit Vst3PresetFolder (juce::File rootFolder);

    /** Writes every file; an error message, or empty on success. */
    juce::String write (const juce::Array<FactoryPresetStates::Entry>& presets) const;

    /** The audio processor component's class ID as the preset file holds it: 32 hexadecimal digits. */
    static juce::String componentClassId();

    juce::File getPresetFolder() const;

private:
    static juce::MemoryBlock makePresetFile (const juce::MemoryBlock& componentState);

    juce::File root;
};
