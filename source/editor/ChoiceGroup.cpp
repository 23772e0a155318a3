#include "ChoiceGroup.h"

ChoiceGroup::ChoiceGroup (const juce::String& nameOfGroup, int radioGroupId, const std::vector<Choice>& choices, juce::Button::Listener& listener)
    : juce::Component (nameOfGroup)
{
    for (const auto& choice : choices)
    {
        auto* toggle = toggles.add (new juce::ToggleButton (choice.text));
        toggle->setName (choice.text);
        toggle->setTooltip (choice.tooltip);
        toggle->setClickingTogglesState (true);
        toggle->setRadioGroupId (radioGroupId, juce::sendNotification);
        toggle->addListener (&listener);
        addAndMakeVisible (toggle);
    }

    if (! toggles.isEmpty())
        toggles.getFirst()->setToggleState (true, juce::dontSendNotification);
}

ChoiceGroup::~ChoiceGroup() = default;

int ChoiceGroup::toggleIndexFor (float value) const noexcept
{
    // Thresholds in single precision: 0.1f itself counts as the second choice.
    auto i = 0;

    while (i + 1 < toggles.size() && value >= 0.1f * (float) (i + 1))
        ++i;

    return i;
}

void ChoiceGroup::showValue (float value)
{
    const auto on = toggleIndexFor (value);

    // Off first, then on, without notifications: the radio logic never sends a click to a listener here.
    for (auto i = 0; i < toggles.size(); ++i)
        if (i != on)
            toggles.getUnchecked (i)->setToggleState (false, juce::dontSendNotification);

    toggles.getUnchecked (on)->setToggleState (true, juce::dontSendNotification);
}

float ChoiceGroup::valueOf (const juce::Button& button) const noexcept
{
    for (auto i = 0; i < toggles.size(); ++i)
        if (toggles.getUnchecked (i) == &button)
            return 0.1f * (float) i;

    return -1.0f;
}

void ChoiceGroup::resized()
{
    const auto n = toggles.size();

    for (auto i = 0; i < n; ++i)
    {
        const auto y = n == 3 ? 0.0625f + 0.3125f * (float) i : 0.1666667f + 0.4166666f * (float) i;
        toggles.getUnchecked (i)->setBoundsRelative (0.05f, y, 0.92f, 0.25f);
    }
}
