#pragma once

#include <juce_core/juce_core.h>

class PluginParameter;
class WydenzaAudioProcessor;

/** Puts a processor into the state the command line asks for, as the host or the editor would. Every
    refusal throws RenderError with a message that says what is accepted. */
class ProcessorSetup
{
public:
    static constexpr const char* demoPresetName = "GROUP Stereo 150% + SafeBass";

    /** Loads a factory preset, or a user preset from the presets folder, by its exact name. */
    static void applyPreset (WydenzaAudioProcessor&, const juce::String& name);

    /** Applies "Name=value" and returns "Name = value" as textForValue() gives it. Width, pan, gains
        and crossover take the texts their boxes accept; switches and choices their names or values. */
    static juce::String applySetting (WydenzaAudioProcessor&, const juce::String& setting);

    /** The value a --set text gives the parameter; throws RenderError saying what is accepted. */
    static float valueForText (const PluginParameter&, const juce::String& text);

    /** The value as a text that valueForText() reads back as exactly that value: the plug-in's own text
        where it is exact, else the number with as many digits as it takes ("87.5 %", "79.58Hz"). */
    static juce::String textForValue (const PluginParameter&, float value);

    /** "Name = value" for every parameter away from its default, in the parameters' order. */
    static juce::StringArray describeChangedSettings (const WydenzaAudioProcessor&);
};
