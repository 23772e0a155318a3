#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class WydenzaAudioProcessor;

/** A plain editor window of the final editor's size (3 : 2, height as last used) until the full panel exists. */
class PlaceholderEditor : public juce::AudioProcessorEditor
{
public:
    explicit PlaceholderEditor (WydenzaAudioProcessor& processorToEdit);

    void paint (juce::Graphics& g) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PlaceholderEditor)
};
