#pragma once

#include <juce_core/juce_core.h>

class WydenzaAudioProcessor;

/** Writes the LV2 bundle's description (manifest.ttl, dsp.ttl, ui.ttl) from the processor's own parameter
    table, so that the ports hosts see are the ones the binary serves. The presets are added afterwards.
*/
class Lv2BundleTurtle
{
public:
    Lv2BundleTurtle (juce::File bundleFolder, juce::String binaryFileName);

    /** Writes the three files; an error message, or empty on success. */
    juce::String write (WydenzaAudioProcessor& processor) const;

    /** The plug-in's own description: ports, features, version. */
    static juce::String describePlugin (WydenzaAudioProcessor& processor);

private:
    juce::String describeManifest() const;
    static juce::String describeUi();

    juce::File bundle;
    juce::String binaryName;
};
