#include "WidgetTestHelpers.h"

#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/Palette.h"

#include <cmath>

using namespace widgettests;

namespace
{
/** Checks the bar's top and its colour just below it, and black just above it. */
void expectBar (const juce::Image& image, const CvxQ7VuMeter& bar, float fill, juce::Colour colour)
{
    const auto b = bar.getBounds();
    const auto top = (float) b.getHeight() * (1.0f - fill);
    EXPECT_NEAR (bar.getBarTop(), top, 1.0e-3f);

    const auto y = b.getY() + juce::roundToInt (top);
    EXPECT_TRUE (y + 2 >= b.getBottom() || isNear (image.getPixelAt (b.getCentreX(), y + 2), colour)) << fill;
    EXPECT_TRUE (y - 2 < b.getY() || isNear (image.getPixelAt (b.getCentreX(), y - 2), juce::Colours::black)) << fill;
}
} // namespace

TEST (VuMeter, BarsTextsAndColoursPerChannel)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    CvxQ7StereoVuMeterComponent meter (1.0f, juce::Colours::black.withAlpha (0.07f));
    meter.setLookAndFeel (&lookAndFeel);
    meter.setBounds (0, 0, 200, 300);
    meter.setVisible (true);

    struct Case
    {
        float left, right, leftFill, rightFill;
        const char* leftText;
        const char* rightText;
    };
    for (const auto& c : { Case { 1.0f, 0.25f, 1.0f, 0.5f, "0.0", "-12.0" },
                           Case { 0.01f, 0.5f, 0.1f, std::sqrt (0.5f), "-40.0", "-6.0" },
                           Case { 1.01f, 1.0f, 1.0f, 1.0f, "0.1", "0.0" },
                           Case { 0.0000005f, NAN, 0.0f, 0.0f, "-INF", "-INF" } })
    {
        meter.setLevels (c.left, c.right);
        const auto image = render (meter);
        const auto colourFor = [] (float level)
        { return level > 1.0f ? paletteOrange : juce::Colours::black; };

        expectBar (image, meter.getLeftMeter(), c.leftFill, c.left > 1.0f ? paletteOrange : paletteBlue);
        expectBar (image, meter.getRightMeter(), c.rightFill, paletteBlue);
        EXPECT_EQ (meter.getLeftLabel().getText(), c.leftText);
        EXPECT_EQ (meter.getRightLabel().getText(), c.rightText);
        EXPECT_EQ (meter.getLeftLabel().findColour (juce::Label::textColourId), colourFor (c.left));
        EXPECT_EQ (meter.getRightLabel().findColour (juce::Label::textColourId), juce::Colours::black);
        EXPECT_EQ (countPixels (image, near (paletteOrange, 30), meter.getLeftLabel().getBounds()) > 10, c.left > 1.0f);
    }

    // While hidden, updates change nothing.
    meter.setLevels (0.25f, 1.5f);
    meter.setVisible (false);
    meter.setLevels (0.0f, 0.01f);
    EXPECT_EQ (meter.getLeftMeter().getLevel(), 0.25f);
    EXPECT_EQ (meter.getRightLabel().getText(), "3.5");
    EXPECT_EQ (meter.getRightLabel().findColour (juce::Label::textColourId), paletteOrange);

    meter.setVisible (true);
    meter.setTooltip ("something else");
    EXPECT_EQ (meter.getTooltip(), "Stereo VU Meter");
    saveAtTwoSizes (meter, "stereo-vu-meter", { 80, 200 }, { 200, 500 });
    meter.setLookAndFeel (nullptr);
}

TEST (VuMeter, HiddenBarIgnoresLevelsAndMaxLevelFillsTheHeight)
{
    CvxQ7VuMeter bar (2.0f);
    bar.setSize (20, 100);
    bar.setLevel (0.5f);
    EXPECT_EQ (bar.getLevel(), 0.0f);

    bar.setVisible (true);
    bar.setLevel (0.5f);
    EXPECT_FLOAT_EQ (bar.getBarTop(), 50.0f);
    bar.setLevel (8.0f);
    EXPECT_FLOAT_EQ (bar.getBarTop(), 0.0f);
    EXPECT_EQ (countPixels (render (bar), near (paletteOrange)), 20 * 100);
    EXPECT_EQ (bar.getTooltip(), "Stereo VU Meter");
}
