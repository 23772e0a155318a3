#include "WidgetTestHelpers.h"

#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/Palette.h"

using namespace widgettests;

namespace
{
struct Knob
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::Slider slider;

    juce::Image draw (float position, int size = 100)
    {
        slider.setColour (juce::Slider::backgroundColourId, juce::Colours::darkgrey);
        const auto p = slider.getRotaryParameters();
        return widgettests::draw (size, size, [&] (juce::Graphics& g)
                                  { lookAndFeel.drawRotarySlider (g, 0, 0, size, size, position, p.startAngleRadians, p.endAngleRadians, slider); });
    }

    /** The value arc's ring at a fraction of the knob's range (radius 45 of a 100-pixel knob). */
    juce::Colour arc (const juce::Image& image, float fraction) const
    {
        const auto p = slider.getRotaryParameters();
        const auto at = juce::Point<float> (50.0f, 50.0f)
                            .getPointOnCircumference (45.0f, p.startAngleRadians + fraction * (p.endAngleRadians - p.startAngleRadians));
        return image.getPixelAt ((int) at.x, (int) at.y);
    }
};
} // namespace

TEST (LookAndFeel, KnobArcPointerAndShadow)
{
    Knob knob;
    const auto isBlue = near (paletteBlue, 10);
    const auto track = juce::Colours::black.overlaidWith (paletteBlue.withAlpha (0.05f));

    EXPECT_EQ (countPixels (knob.draw (0.0f), isBlue), 0); // empty value arc at the start

    // Position 0.5 points straight up: pointer at (50, 30); the shadow falls below the body,
    // into the track's gap at (55, 94).
    for (auto enabled : { true, false })
    {
        knob.slider.setEnabled (enabled);
        const auto image = knob.draw (0.5f);
        EXPECT_EQ (isNear (image.getPixelAt (50, 30), juce::Colours::white, 8), enabled);
        EXPECT_EQ (image.getPixelAt (55, 94).getAlpha() > 60, enabled);
        EXPECT_TRUE (isBlue (knob.arc (image, 0.05f)) && isBlue (knob.arc (image, 0.45f)));
        EXPECT_TRUE (isNear (knob.arc (image, 0.55f), track) && isNear (knob.arc (image, 0.95f), track));
        for (auto size : { 40, 160 })
            savePng (knob.draw (0.7f, size), juce::String (enabled ? "knob-" : "knob-disabled-") + juce::String (size));
    }

    EXPECT_TRUE (isBlue (knob.arc (knob.draw (1.0f), 0.95f)));
}

TEST (LookAndFeel, ButtonsLabelsAndResizeCorner)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::TextButton button;
    const auto drawButton = [&] (int w, int h, bool down)
    {
        button.setSize (w, h);
        return draw (80, 30, [&] (juce::Graphics& g)
                     { lookAndFeel.drawButtonBackground (g, button, juce::Colours::lightblue, false, down); });
    };
    const auto drawn = [] (juce::Colour c)
    { return c.getAlpha() > 0; };

    EXPECT_EQ (countPixels (drawButton (80, 1, false), drawn), 0);
    EXPECT_EQ (countPixels (drawButton (1, 30, false), drawn), 0);
    button.setConnectedEdges (juce::Button::ConnectedOnLeft);
    const auto up = drawButton (80, 30, false);
    EXPECT_TRUE (drawn (up.getPixelAt (0, 0)) && drawn (up.getPixelAt (0, 29))); // square on the left
    EXPECT_FALSE (drawn (up.getPixelAt (79, 0)) || drawn (up.getPixelAt (79, 29))); // rounded on the right
    EXPECT_LT (drawButton (80, 30, true).getPixelAt (40, 15).getBrightness(), up.getPixelAt (40, 15).getBrightness() - 0.1f);

    // A label is only its text, in the embedded face at the label's full height.
    juce::Label label ({}, "Wide 12");
    label.setBounds (0, 0, 200, 40);
    label.setColour (juce::Label::textColourId, juce::Colours::red);
    label.setColour (juce::Label::backgroundColourId, juce::Colours::lime);
    EXPECT_EQ (lookAndFeel.getLabelFont (label).getTypefaceName(), "Roboto Condensed");
    const auto text = draw (200, 40, [&] (juce::Graphics& g)
                            { lookAndFeel.drawLabel (g, label); });
    const auto expected = draw (200, 40, [&] (juce::Graphics& g)
                                {
        g.setColour (juce::Colours::red);
        g.setFont (lookAndFeel.getCustomFont (40.0f));
        g.drawFittedText ("Wide 12", 0, 0, 200, 40, juce::Justification::centredLeft, 1); });
    EXPECT_EQ (countPixels (text, [] (juce::Colour c)
                            { return c.getGreen() > c.getRed(); }),
               0); // no background
    EXPECT_GT (countPixels (text, near (juce::Colours::red)), 30);
    for (int i = 0; i < 200 * 40; ++i)
        ASSERT_EQ (text.getPixelAt (i % 200, i / 200), expected.getPixelAt (i % 200, i / 200)) << i;

    // The 1080-pixel test screen gives exactly the popup font's 27-pixel floor.
    ASSERT_EQ (CvxQ7LookAndFeelV1::getMainDisplayHeight(), 1080);
    EXPECT_FLOAT_EQ (lookAndFeel.getPopupMenuFont().getHeight(), 27.0f);

    lookAndFeel.schemeColour = juce::Colours::darkgrey.brighter (0.3f);
    const std::pair<juce::Colour, std::pair<bool, bool>> corners[] = {
        { juce::Colours::black, { true, true } }, { paletteOrange, { true, false } }, { lookAndFeel.schemeColour.darker (0.4f), { false, false } }
    };
    for (const auto& [colour, state] : corners)
    {
        const auto image = draw (40, 40, [&] (juce::Graphics& g)
                                 { lookAndFeel.drawCornerResizer (g, 40, 40, state.first, state.second); });
        EXPECT_TRUE (isNear (image.getPixelAt (30, 30), colour) && isNear (image.getPixelAt (16, 16), colour));
        EXPECT_EQ (image.getPixelAt (38, 2).getAlpha(), 0);
    }
}
