#include "WindowNotice.h"

const juce::Colour WindowNotice::background { 0xffffe4e1 };

WindowNotice::WindowNotice (juce::ResizableWindow& windowToUse)
    : window (windowToUse)
{
    setOpaque (true);
    label.setColour (juce::Label::textColourId, juce::Colours::black);
    label.setMinimumHorizontalScale (0.7f);
    dismissButton.onClick = [this]
    {
        dismissed = true;
        update();
    };
    addAndMakeVisible (label);
    addAndMakeVisible (dismissButton);
    setAlwaysOnTop (true);
    static_cast<juce::Component&> (window).addChildComponent (*this);
    window.addComponentListener (this);
    placeOverContent();
}

WindowNotice::~WindowNotice()
{
    window.removeComponentListener (this);
    static_cast<juce::Component&> (window).removeChildComponent (this);
}

void WindowNotice::setText (const juce::String& key, const juce::String& text)
{
    const auto old = texts.find (key);
    const auto oldText = old != texts.end() ? old->second : juce::String();

    if (oldText == text)
        return;

    if (text.isEmpty())
        texts.erase (key);
    else
        texts[key] = text;

    dismissed = false;
    update();
}

juce::String WindowNotice::getText() const
{
    juce::StringArray lines;
    for (const auto& [key, text] : texts)
        lines.add (text);
    return lines.joinIntoString ("\n");
}

void WindowNotice::update()
{
    const auto text = getText();
    label.setText (text, juce::dontSendNotification);
    label.setTooltip (text);
    setVisible (text.isNotEmpty() && ! dismissed);
    placeOverContent();
}

void WindowNotice::placeOverContent()
{
    if (auto* content = window.getContentComponent())
    {
        const auto lines = juce::jmax (1, static_cast<int> (texts.size()));
        const auto area = content->getBounds();
        const auto strip = height + (lines - 1) * height / 2;
        setBounds (area.withTop (area.getBottom() - strip));
    }

    if (isVisible() && window.getIndexOfChildComponent (this) != window.getNumChildComponents() - 1)
        toFront (false);
}

void WindowNotice::paint (juce::Graphics& g)
{
    auto area = getLocalBounds();
    g.setColour (juce::Colours::darkred);
    g.fillRect (area.removeFromTop (1));
    g.setColour (background);
    g.fillRect (area);
}

void WindowNotice::resized()
{
    auto area = getLocalBounds().reduced (5);
    dismissButton.setBounds (area.removeFromRight (40).withSizeKeepingCentre (40, juce::jmin (area.getHeight(), height - 10)));
    label.setBounds (area);
}

void WindowNotice::componentMovedOrResized (juce::Component&, bool, bool wasResized)
{
    if (wasResized)
        placeOverContent();
}

void WindowNotice::componentChildrenChanged (juce::Component&)
{
    placeOverContent();
}
