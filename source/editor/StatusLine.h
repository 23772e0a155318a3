#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The panel's status line: help texts (the tooltip under the mouse, short notes) and important
    messages (results, rejected input). Help texts cannot overwrite an important message while it
    shows; each kind clears itself after a while. Times are passed in, so the caller owns the clock.
*/
class StatusLine
{
public:
    explicit StatusLine (juce::Label& labelToUse);

    void setText (const juce::String& text, bool important, juce::Time now);

    /** Clears the text once it has outlived its kind's time; nothing happens while resizing. */
    void expire (juce::Time now, bool resizing);

    bool isImportantMessageShowing() const noexcept { return importantMessageShowing; }
    juce::String getText() const { return label.getText(); }

    static constexpr double importantMessageSeconds = 3.0;
    static constexpr double helpTextSeconds = 6.0;

private:
    juce::Label& label;
    juce::Time normalMessageTime, importantMessageTime;
    bool importantMessageShowing = false;
};
