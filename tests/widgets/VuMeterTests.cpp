#include "WidgetTestHelpers.h"

#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/Palette.h"

#include <cmath>

using namespace widgettests;

namespace
{
struct StereoMeterFixture : public ::testing::Test
{
    StereoMeterFixture()
    {
        meter.setLookAndFeel (&lookAndFeel);
        meter.setBounds (0, 0, 200, 300);
        meter.setVisible (true);
    }

    ~StereoMeterFixture() override { meter.setLookAndFeel (nullptr); }

    /** The meter bar's colour just below and just above where its top should be. */
    static void expectBar (const juce::Image& image, const CvxQ7VuMeter& bar, float fill, juce::Colour colour)
    {
        const auto b = bar.getBounds();
        const auto expectedTop = (float) b.getHeight() * (1.0f - fill);
        EXPECT_NEAR (bar.getBarTop(), expectedTop, 1.0e-3f);

        const auto x = b.getCentreX();
        const auto top = b.getY() + juce::roundToInt (expectedTop);

        if (top + 2 < b.getBottom())
            EXPECT_TRUE (isNear (image.getPixelAt (x, top + 2), colour)) << "fill " << fill;
        if (top - 2 >= b.getY())
            EXPECT_TRUE (isNear (image.getPixelAt (x, top - 2), juce::Colours::black)) << "fill " << fill;
    }

    CvxQ7LookAndFeelV1 lookAndFeel;
    CvxQ7StereoVuMeterComponent meter { 1.0f, juce::Colours::black.withAlpha (0.07f) };
};
} // namespace

TEST_F (StereoMeterFixture, BarsUseASquareRootScale)
{
    struct Case { float level, fill; const char* text; };

    for (const auto& c : { Case { 1.0f, 1.0f, "0.0" }, Case { 0.25f, 0.5f, "-12.0" },
                           Case { 0.01f, 0.1f, "-40.0" }, Case { 0.5f, std::sqrt (0.5f), "-6.0" } })
    {
        meter.setLevels (c.level, c.level);
        const auto image = render (meter);

        expectBar (image, meter.getLeftMeter(), c.fill, paletteBlue);
        expectBar (image, meter.getRightMeter(), c.fill, paletteBlue);
        EXPECT_EQ (meter.getLeftLabel().getText(), c.text);
        EXPECT_EQ (meter.getRightLabel().getText(), c.text);
        EXPECT_EQ (meter.getLeftLabel().findColour (juce::Label::textColourId), juce::Colours::black);
    }
}

TEST_F (StereoMeterFixture, OverFullScaleTurnsOnlyItsOwnChannelOrange)
{
    meter.setLevels (1.01f, 1.0f);
    const auto image = render (meter);

    expectBar (image, meter.getLeftMeter(), 1.0f, paletteOrange);
    expectBar (image, meter.getRightMeter(), 1.0f, paletteBlue);
    EXPECT_EQ (meter.getLeftLabel().getText(), "0.1");
    EXPECT_EQ (meter.getRightLabel().getText(), "0.0");
    EXPECT_EQ (meter.getLeftLabel().findColour (juce::Label::textColourId), paletteOrange);
    EXPECT_EQ (meter.getRightLabel().findColour (juce::Label::textColourId), juce::Colours::black);

    // The read-outs are drawn in their colours under the bars.
    EXPECT_GT (countPixels (image, meter.getLeftLabel().getBounds(), near (paletteOrange, 30)), 10);
    EXPECT_EQ (countPixels (image, meter.getRightLabel().getBounds(), near (paletteOrange, 30)), 0);
}

TEST_F (StereoMeterFixture, LevelsBelowAMillionthReadMinusInfinity)
{
    meter.setLevels (0.0000005f, std::numeric_limits<float>::quiet_NaN());
    const auto image = render (meter);

    for (auto* bar : { &meter.getLeftMeter(), &meter.getRightMeter() })
    {
        EXPECT_EQ (bar->getLevel(), 0.0f);
        expectBar (image, *bar, 0.0f, juce::Colours::black);
        EXPECT_EQ (countPixels (image, bar->getBounds(), near (paletteBlue, 30)), 0);
    }

    EXPECT_EQ (meter.getLeftLabel().getText(), "-INF");
    EXPECT_EQ (meter.getRightLabel().getText(), "-INF");

    meter.setLevels (0.000001f, 0.0f);
    EXPECT_EQ (meter.getLeftLabel().getText(), "-120.0");
}

TEST_F (StereoMeterFixture, UpdatesAreDroppedWhileInvisible)
{
    meter.setLevels (0.25f, 1.5f);
    meter.setVisible (false);
    meter.setLevels (0.0f, 0.01f);

    EXPECT_EQ (meter.getLeftMeter().getLevel(), 0.25f);
    EXPECT_EQ (meter.getRightMeter().getLevel(), 1.5f);
    EXPECT_EQ (meter.getLeftLabel().getText(), "-12.0");
    EXPECT_EQ (meter.getRightLabel().findColour (juce::Label::textColourId), paletteOrange);

    CvxQ7VuMeter bar (1.0f);
    bar.setVisible (true);
    bar.setLevel (0.5f);
    EXPECT_EQ (bar.getLevel(), 0.5f);
    bar.setVisible (false);
    bar.setLevel (0.9f);
    EXPECT_EQ (bar.getLevel(), 0.5f);
}

TEST_F (StereoMeterFixture, TooltipIsFixedAndRendersAtTwoSizes)
{
    meter.setTooltip ("something else");
    EXPECT_EQ (meter.getTooltip(), "Stereo VU Meter");

    CvxQ7VuMeter bar (1.0f);
    bar.setTooltip ("something else");
    EXPECT_EQ (bar.getTooltip(), "Stereo VU Meter");

    meter.setLevels (0.3f, 1.2f);
    saveAtTwoSizes (meter, "stereo-vu-meter", { 0, 0, 80, 200 }, { 0, 0, 200, 500 });
}

TEST (VuMeter, MaxLevelFillsTheWholeHeight)
{
    CvxQ7VuMeter bar (2.0f);
    bar.setSize (20, 100);
    bar.setVisible (true);

    bar.setLevel (2.0f);
    EXPECT_FLOAT_EQ (bar.getBarTop(), 0.0f);
    bar.setLevel (0.5f);
    EXPECT_FLOAT_EQ (bar.getBarTop(), 50.0f);
    bar.setLevel (8.0f);
    EXPECT_FLOAT_EQ (bar.getBarTop(), 0.0f);
    EXPECT_EQ (countPixels (render (bar), near (paletteOrange)), 20 * 100);
}
