#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/**
    The editor's drawing style: shadowed knobs in a thin arc track, glass-sphere toggle buttons,
    the embedded display face on labels and buttons, and a two-headed arrow as resize corner.
    Everything not overridden here is drawn as LookAndFeel_V3 draws it.
*/
class CvxQ7LookAndFeelV1 : public juce::LookAndFeel_V3
{
public:
    CvxQ7LookAndFeelV1();
    ~CvxQ7LookAndFeelV1() override;

    //==============================================================================
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    /** Centred in at most two lines, squeezed sideways down to half width, then made smaller rather
        than cut off. */
    void drawButtonText (juce::Graphics&, juce::TextButton&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    /** The display face at 0.8 x the button height. */
    juce::Font getTextButtonFont (juce::TextButton&, int buttonHeight) override;

    void drawToggleButton (juce::Graphics&, juce::ToggleButton&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    /** The display face at 2.5 % of the main display's height, never below 27 pixels. */
    juce::Font getPopupMenuFont() override;

    /** Text only: no background and no outline, also while the label's editor is open. */
    void drawLabel (juce::Graphics&, juce::Label&) override;

    /** The display face at 0.9 x the label height. */
    juce::Font getLabelFont (juce::Label&) override;

    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;

    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;

    /** A white horizontal bar with a black centre line, suited to vertical sliders. */
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height, float sliderPos, float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle, juce::Slider&) override;

    /** The knob is always laid out in the square (x, y, width, width); height only sets the
        pointer's thickness. A disabled knob has neither shadow nor pointer. */
    void drawRotarySlider (juce::Graphics&, int x, int y, int width, int height, float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle, juce::Slider&) override;

    /** A centred label, edited on double-click, that discards the edit when it loses focus. */
    juce::Label* createSliderTextBox (juce::Slider&) override;

    void drawCornerResizer (juce::Graphics&, int w, int h, bool isMouseOver, bool isMouseDragging) override;

    //==============================================================================
    /** Returns the embedded display face at the given height in pixels. */
    juce::Font getCustomFont (float height) const;

    /** The colour-scheme colour; the main panel sets it when it applies a scheme. Only the
        resize corner uses it. */
    juce::Colour schemeColour { 0xFFFF2222 };

    /** Height in pixels of the main display's total area, or 1080 when the desktop lists no
        display. */
    static int getMainDisplayHeight();

private:
    void drawButtonShape (juce::Graphics&, const juce::Path& outline, juce::Colour baseColour, float height);

    std::unique_ptr<juce::Font> customFont;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CvxQ7LookAndFeelV1)
};
