#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Rewords the banner the framework's standalone window shows while the input is muted, so that it says
    where the setting is. The banner is found by its label's component name; the window's content is made
    anew when the user resets the state, so the text is set again whenever the window's children change.
*/
class FeedbackBannerText : private juce::ComponentListener
{
public:
    static constexpr const char* text = "Muted against feedback: untick \"Mute audio input\" in Settings...";

    explicit FeedbackBannerText (juce::Component& standaloneWindow);
    ~FeedbackBannerText() override;

private:
    void setText();
    void componentChildrenChanged (juce::Component&) override;

    juce::Component& window;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FeedbackBannerText)
};
