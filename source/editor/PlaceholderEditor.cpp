#include "PlaceholderEditor.h"

#include "processor/WydenzaAudioProcessor.h"

PlaceholderEditor::PlaceholderEditor (WydenzaAudioProcessor& processorToEdit)
    : juce::AudioProcessorEditor (processorToEdit)
{
    const auto height = juce::jmax (100, processorToEdit.lastEditorHeight);
    setSize (juce::roundToInt (1.5 * height), height);
}

void PlaceholderEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff333333));
    g.setColour (juce::Colours::white);
    g.setFont ((float) getHeight() * 0.08f);
    g.drawText ("Wydenza", getLocalBounds(), juce::Justification::centred);
}
