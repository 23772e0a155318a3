#include "Lv2ForeignInstanceNotice.h"

Lv2ForeignInstanceNotice::Lv2ForeignInstanceNotice()
{
    setSize (600, 200);
}

void Lv2ForeignInstanceNotice::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff202124));
    g.setColour (juce::Colours::white);
    g.setFont (15.0f);
    g.drawFittedText ("Wydenza cannot open its editor here: the host paired it with the audio part of "
                      "another installed copy of Wydenza.\n\n"
                      "Keep one copy of Wydenza.lv2 (for example remove the one in your home folder, "
                      "or the wydenza package), then restart the host.",
                      getLocalBounds().reduced (24),
                      juce::Justification::centred,
                      8);
}
