#include "StatusLine.h"

StatusLine::StatusLine (juce::Label& labelToUse)
    : label (labelToUse)
{
}

void StatusLine::setText (const juce::String& text, bool important, juce::Time now)
{
    if (important)
    {
        importantMessageShowing = true;
        importantMessageTime = now;
    }
    else if (importantMessageShowing)
    {
        return;
    }
    else
    {
        normalMessageTime = now;
    }

    label.setText (text, juce::dontSendNotification);
}

void StatusLine::expire (juce::Time now, bool resizing)
{
    if (resizing || label.getText().isEmpty())
        return;

    if (importantMessageShowing)
    {
        if (now > importantMessageTime + juce::RelativeTime::seconds (importantMessageSeconds))
        {
            label.setText ({}, juce::dontSendNotification);
            importantMessageShowing = false;
        }
    }
    else if (now > normalMessageTime + juce::RelativeTime::seconds (helpTextSeconds))
    {
        label.setText ({}, juce::dontSendNotification);
    }
}
