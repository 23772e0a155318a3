#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>

/** A pale red strip along the bottom of the standalone window's content that tells of a fault the user
    should know about (the audio server gone, settings that are not saved). Each fault has a key of its
    own: setting a text shows it, an empty text takes it away, and the strip is shown while any text is.
    The OK button hides the texts shown until one of them changes.

    It is a child of the window, laid over the content rather than beside it, because the framework's
    window sizes its content to the editor and its own feedback banner (at the top, so this one is not).
*/
class WindowNotice : public juce::Component,
                     private juce::ComponentListener
{
public:
    static constexpr int height = 30;
    static const juce::Colour background;

    explicit WindowNotice (juce::ResizableWindow& window);
    ~WindowNotice() override;

    /** Shows text under key; an empty text removes the key's text. */
    void setText (const juce::String& key, const juce::String& text);

    /** All the texts now shown, one a line. */
    juce::String getText() const;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    void update();
    void placeOverContent();
    void componentMovedOrResized (juce::Component&, bool, bool) override;
    void componentChildrenChanged (juce::Component&) override;

    juce::ResizableWindow& window;
    std::map<juce::String, juce::String> texts;
    bool dismissed = false;
    juce::Label label;
    juce::TextButton dismissButton { "OK" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WindowNotice)
};
