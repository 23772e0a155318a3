#include "WidgetTestHelpers.h"

#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/Palette.h"
#include "widgets/StereoComponent.h"

#include <cmath>

using namespace widgettests;

namespace
{
void expectPoint (juce::Point<float> actual, float x, float y)
{
    EXPECT_NEAR (actual.x, x, 1.0e-3f);
    EXPECT_NEAR (actual.y, y, 1.0e-3f);
}

juce::Colour pixelAt (const juce::Image& image, juce::Point<float> p)
{
    return image.getPixelAt (juce::roundToInt (p.x), juce::roundToInt (p.y));
}
} // namespace

TEST (StereoComponent, StagePointsAndColour)
{
    // A 240 x 240 component less 0.1 x its height on every side.
    const juce::Rectangle<float> field (24.0f, 24.0f, 192.0f, 192.0f);
    EXPECT_EQ (StereoComponent::getFieldArea (240.0f, 240.0f), field);

    auto stage = StereoComponent::computeStage (field, 0.5f, 0.5f); // s = 0.505
    expectPoint (stage.left, 24.0f + 0.2475f * 192.0f, 24.0f + 0.303f * 192.0f);
    expectPoint (stage.right, 24.0f + 0.7525f * 192.0f, 24.0f + 0.303f * 192.0f);
    expectPoint (stage.apex, 120.0f, 216.0f);
    stage = StereoComponent::computeStage (field, 1.0f, 0.5f);
    expectPoint (stage.left, 24.0f, 24.0f + 0.6f * 192.0f);
    expectPoint (stage.right, 216.0f, 24.0f + 0.6f * 192.0f);

    // Mono panned hard left: a needle 0.994 x 192 long cut at the left edge, the other point
    // lifted back to the apex line; hard right mirrors it.
    stage = StereoComponent::computeStage (field, 0.0f, 0.0f);
    expectPoint (stage.right, 24.0f, 216.0f - 0.005f * 192.0f);
    expectPoint (stage.left, 24.0f, 216.0f);
    stage = StereoComponent::computeStage (field, 0.0f, 1.0f);
    expectPoint (stage.left, 216.0f, 216.0f - 0.005f * 192.0f);
    expectPoint (stage.right, 216.0f, 216.0f);

    // Wide field, pan 0.8 (0.3 pi clockwise): the left point rises above the field uncut.
    stage = StereoComponent::computeStage ({ 20.0f, 20.0f, 400.0f, 200.0f }, 1.0f, 0.8f);
    const auto angle = 0.3 * juce::MathConstants<double>::pi;
    expectPoint (stage.left, 220.0f + (float) (-200.0 * std::cos (angle) + 80.0 * std::sin (angle)), 220.0f + (float) (-200.0 * std::sin (angle) - 80.0 * std::cos (angle)));
    EXPECT_LT (stage.left.y, 20.0f);
    expectPoint (stage.right, 220.0f + (float) (200.0 * std::cos (angle) + 80.0 * std::sin (angle)), 220.0f);

    EXPECT_EQ (StereoComponent::getStageColour (0.49f), juce::Colours::grey);
    EXPECT_EQ (StereoComponent::getStageColour (0.5f), juce::Colours::grey.overlaidWith (paletteBlue.withAlpha (0.01f)));
    EXPECT_EQ (StereoComponent::getStageColour (1.0f), paletteBlue);
}

TEST (StereoComponent, PaintsTriangleCaptionsAndBypassOverMute)
{
    StereoComponent display (nullptr);
    display.setBounds (0, 0, 240, 240);
    const auto field = StereoComponent::getFieldArea (240.0f, 240.0f);
    const auto stagePoint = [&] (float width, float pan)
    {
        const auto s = StereoComponent::computeStage (field, width, pan);
        return s.left + (s.right - s.left) * 0.25f;
    };

    display.setWidthValue (1.0f);
    EXPECT_TRUE (isNear (pixelAt (render (display), stagePoint (1.0f, 0.5f)), paletteBlue));

    display.setWidthValue (0.5f);
    display.setPanValue (0.75f);
    auto image = render (display);
    const auto grey = StereoComponent::getStageColour (0.5f);
    EXPECT_TRUE (isNear (pixelAt (image, stagePoint (0.5f, 0.75f)), grey));
    EXPECT_FALSE (isNear (pixelAt (image, stagePoint (0.5f, 0.5f)), grey, 20));
    EXPECT_GT (countPixels (image, near (juce::Colours::darkgrey, 40), { 12, 192, 48, 24 }), 5); // "LEFT"
    EXPECT_EQ (image.getPixelAt (5, 120), juce::Colours::black);
    EXPECT_EQ (display.getTooltip(), "this shows the stereo field");

    display.setBypassed (true);
    display.setMutedAll (true);
    image = render (display);
    EXPECT_GT (countPixels (image, near (paletteOrange, 10)), 200);
    EXPECT_EQ (countPixels (image, near (paletteBlue, 10)) + countPixels (image, near (grey, 20)), 0);

    display.setBypassed (false);
    image = render (display);
    EXPECT_GT (countPixels (image, near (paletteBlue, 10)), 200);
    EXPECT_EQ (countPixels (image, near (paletteOrange, 10)) + countPixels (image, near (grey, 20)), 0);
}

TEST (StereoComponent, RendersItsPicturesAtTwoSizes)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    const auto font = lookAndFeel.getCustomFont (40.0f);
    StereoComponent display (&font);

    struct Picture
    {
        const char* name;
        float width, pan;
        bool bypassed, muted;
    };
    for (const auto& p : { Picture { "normal", 0.5f, 0.5f, false, false }, Picture { "wide-panned", 0.9f, 0.7f, false, false }, Picture { "mono-left", 0.0f, 0.0f, false, false }, Picture { "bypass", 0.5f, 0.5f, true, true } })
    {
        display.setWidthValue (p.width);
        display.setPanValue (p.pan);
        display.setBypassed (p.bypassed);
        display.setMutedAll (p.muted);
        saveAtTwoSizes (display, juce::String ("stereo-field-") + p.name, { 180, 120 }, { 540, 360 });
    }
}
