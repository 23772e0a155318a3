#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Shown in the editor's place when the host pairs this binary's editor with the DSP of another installed
    copy of the plug-in: the two share no memory, so no editor is made at all.
*/
class Lv2ForeignInstanceNotice : public juce::Component
{
public:
    Lv2ForeignInstanceNotice();

    void paint (juce::Graphics& g) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Lv2ForeignInstanceNotice)
};
