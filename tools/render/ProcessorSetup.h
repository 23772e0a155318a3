#pragma once

#include <juce_core/juce_core.h>

class WydenzaAudioProcessor;

/** Puts a processor into the state the command line asks for, as the host or the editor would. Every
    refusal throws RenderError with a message that says what is accepted. */
class ProcessorSetup
{
public:
    static constexpr const char* demoPresetName = "GROUP Stereo 150% + SafeBass";

    /** Loads a factory preset, or a user preset from the presets folder, by its exact name. */
    static void applyPreset (WydenzaAudioProcessor&, const juce::String& name);

    /** Applies "Name=value" and returns "Name = shown value". Width, pan, gains and crossover take
        the texts their boxes accept; switches and choices take normalised values. */
    static juce::String applySetting (WydenzaAudioProcessor&, const juce::String& setting);
};
