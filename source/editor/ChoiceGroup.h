#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/**
    A radio group of toggles for one choice parameter, whose values are 0.0, 0.1 and 0.2 in toggle
    order. A value shows as the toggle of its tenth (below 0.1 the first, and so on; beyond the last
    tenth the last toggle).
*/
class ChoiceGroup : public juce::Component
{
public:
    struct Choice
    {
        juce::String text, tooltip;
    };

    ChoiceGroup (const juce::String& nameOfGroup, int radioGroupId, const std::vector<Choice>& choices, juce::Button::Listener&);
    ~ChoiceGroup() override;

    /** Turns exactly the toggle for the value on, without click notifications. */
    void showValue (float value);

    /** The parameter value a toggle stands for, or -1 for a button that is not one of this group's. */
    float valueOf (const juce::Button&) const noexcept;

    /** Index of the toggle that shows a value. */
    int toggleIndexFor (float value) const noexcept;

    int getNumToggles() const noexcept { return toggles.size(); }
    juce::ToggleButton& getToggle (int i) const noexcept { return *toggles.getUnchecked (i); }

    void resized() override;

private:
    juce::OwnedArray<juce::ToggleButton> toggles;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChoiceGroup)
};
