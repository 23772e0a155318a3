#pragma once

#include "FactoryPresetStates.h"

/** Writes the factory presets into a built LV2 bundle: their states go to presets.ttl, and the
    bundle's manifest.ttl lists them (replacing any it listed before), so
    hosts find them when they scan. Preset URIs are the framework's own pattern, "<plug-in URI>:presetN".
*/
class Lv2PresetBundle
{
public:
    Lv2PresetBundle (juce::File bundleFolder, juce::String pluginUri);

    /** Writes both files; an error message, or empty on success. */
    juce::String write (const juce::Array<FactoryPresetStates::Entry>& presets) const;

private:
    juce::String presetUri (int index) const;

    juce::File bundle;
    juce::String uri;
};
