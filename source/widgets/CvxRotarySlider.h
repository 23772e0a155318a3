#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class PluginParameter;

/**
    The knob for a continuous parameter: vertical drag over 350 pixels for the full range, fine
    adjustment while Shift is held, reset to the double-click value on Ctrl-click, and a hidden
    pointer during the drag that reappears where the button was pressed. Texts are converted by
    the bound parameter's own rules.
*/
class CvxRotarySlider : public juce::Slider
{
public:
    /** The parameter may be null; the knob then shows and reads plain numbers. */
    explicit CvxRotarySlider (const PluginParameter* parameterToUse);
    ~CvxRotarySlider() override;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

    juce::String getTextFromValue (double value) override;
    double getValueFromText (const juce::String& text) override;

    /** Reduces typed text to a bare number: blanks and leading "+" signs go, "," becomes ".",
        and only digits, ".", "," and "-" remain ("+12,5 dB" gives "12.5"). */
    static juce::String cleanTypedText (const juce::String& text);

private:
    const PluginParameter* parameter;
    juce::Point<int> dragStartScreenPosition;
    bool pressStartedDrag = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CvxRotarySlider)
};
