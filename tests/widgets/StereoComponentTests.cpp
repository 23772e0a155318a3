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

/** Turns p about the pivot by the angle, clockwise on screen. */
juce::Point<float> turned (juce::Point<float> p, juce::Point<float> pivot, double angle)
{
    const auto dx = (double) (p.x - pivot.x), dy = (double) (p.y - pivot.y);
    return { pivot.x + (float) (dx * std::cos (angle) - dy * std::sin (angle)),
             pivot.y + (float) (dx * std::sin (angle) + dy * std::cos (angle)) };
}

juce::Colour pixelAt (const juce::Image& image, juce::Point<float> p)
{
    return image.getPixelAt (juce::roundToInt (p.x), juce::roundToInt (p.y));
}
} // namespace

TEST (StereoComponent, StagePointsForWidthAndPan)
{
    // The component of 240 x 240 less 0.1 x its height on every side.
    const juce::Rectangle<float> field (24.0f, 24.0f, 192.0f, 192.0f);
    EXPECT_EQ (StereoComponent::getFieldArea (240.0f, 240.0f), field);

    // Normal width: s = 0.505, the middle half of the field at 30.3 % of its height.
    auto stage = StereoComponent::computeStage (field, 0.5f, 0.5f);
    expectPoint (stage.left, 24.0f + 0.2475f * 192.0f, 24.0f + 0.303f * 192.0f);
    expectPoint (stage.right, 24.0f + 0.7525f * 192.0f, 24.0f + 0.303f * 192.0f);
    expectPoint (stage.apex, 120.0f, 216.0f);

    // Double width: the whole field width at 60 % of its height.
    stage = StereoComponent::computeStage (field, 1.0f, 0.5f);
    expectPoint (stage.left, 24.0f, 24.0f + 0.6f * 192.0f);
    expectPoint (stage.right, 216.0f, 24.0f + 0.6f * 192.0f);

    // Mono, pan hard left: a needle 0.994 x 192 long, cut at the field's left edge; the other
    // stage point swings below the apex and is lifted back to it. Hard right mirrors it.
    stage = StereoComponent::computeStage (field, 0.0f, 0.0f);
    expectPoint (stage.right, 24.0f, 216.0f - 0.005f * 192.0f);
    expectPoint (stage.left, 24.0f, 216.0f);
    stage = StereoComponent::computeStage (field, 0.0f, 1.0f);
    expectPoint (stage.left, 216.0f, 216.0f - 0.005f * 192.0f);
    expectPoint (stage.right, 216.0f, 216.0f);

    // A wide field, width 1, pan 0.8: the left point rises above the field and is not cut, the
    // right one swings below the apex and is lifted to it.
    const juce::Rectangle<float> wide (20.0f, 20.0f, 400.0f, 200.0f);
    const auto angle = 0.3 * juce::MathConstants<double>::pi;
    stage = StereoComponent::computeStage (wide, 1.0f, 0.8f);
    const auto expectedLeft = turned ({ 20.0f, 140.0f }, { 220.0f, 220.0f }, angle);
    const auto expectedRight = turned ({ 420.0f, 140.0f }, { 220.0f, 220.0f }, angle);
    ASSERT_LT (expectedLeft.y, wide.getY());
    ASSERT_GT (expectedRight.y, 220.0f);
    expectPoint (stage.left, expectedLeft.x, expectedLeft.y);
    expectPoint (stage.right, expectedRight.x, 220.0f);
}

TEST (StereoComponent, StageColourTurnsBlueBeyondNormalWidth)
{
    EXPECT_EQ (StereoComponent::getStageColour (0.0f), juce::Colours::grey);
    EXPECT_EQ (StereoComponent::getStageColour (0.49f), juce::Colours::grey);
    EXPECT_EQ (StereoComponent::getStageColour (0.5f), juce::Colours::grey.overlaidWith (paletteBlue.withAlpha (0.01f)));
    EXPECT_EQ (StereoComponent::getStageColour (1.0f), paletteBlue);
}

TEST (StereoComponent, PaintsTheStrokedTriangleWhereTheStageIs)
{
    StereoComponent display (nullptr);
    display.setBounds (0, 0, 240, 240);
    const auto field = StereoComponent::getFieldArea (240.0f, 240.0f);

    display.setWidthValue (1.0f);
    auto image = render (display);
    auto stage = StereoComponent::computeStage (field, 1.0f, 0.5f);
    EXPECT_TRUE (isNear (pixelAt (image, stage.left + (stage.right - stage.left) * 0.25f), paletteBlue));
    EXPECT_TRUE (isNear (pixelAt (image, (stage.left + stage.apex) * 0.5f), paletteBlue));

    display.setWidthValue (0.5f);
    const auto unpanned = StereoComponent::computeStage (field, 0.5f, 0.5f);
    const auto unpannedPoint = unpanned.left + (unpanned.right - unpanned.left) * 0.25f;
    EXPECT_TRUE (isNear (pixelAt (render (display), unpannedPoint), StereoComponent::getStageColour (0.5f)));

    display.setPanValue (0.75f);
    image = render (display);
    stage = StereoComponent::computeStage (field, 0.5f, 0.75f);
    EXPECT_TRUE (isNear (pixelAt (image, (stage.left + stage.right) * 0.5f), StereoComponent::getStageColour (0.5f)));
    EXPECT_FALSE (isNear (pixelAt (image, unpannedPoint), StereoComponent::getStageColour (0.5f), 20));

    // Opaque black frame, translucent white inner panel, rounded by 1 % of the screen height.
    EXPECT_EQ (image.getPixelAt (5, 120), juce::Colours::black);
    EXPECT_TRUE (isNear (image.getPixelAt (100, 30), juce::Colours::black.overlaidWith (juce::Colours::white.withAlpha (0.1f))));
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0);

    // Captions in dark grey.
    const auto isCaption = near (juce::Colours::darkgrey, 40);
    EXPECT_GT (countPixels (image, { 12, 192, 48, 24 }, isCaption), 5);     // LEFT
    EXPECT_GT (countPixels (image, { 180, 192, 48, 24 }, isCaption), 5);    // RIGHT
}

TEST (StereoComponent, BypassWinsOverMuteAll)
{
    StereoComponent display (nullptr);
    display.setBounds (0, 0, 240, 240);
    const auto stage = StereoComponent::computeStage (StereoComponent::getFieldArea (240.0f, 240.0f), 0.5f, 0.5f);
    const auto stagePoint = stage.left + (stage.right - stage.left) * 0.25f;

    display.setBypassed (true);
    display.setMutedAll (true);
    auto image = render (display);
    EXPECT_GT (countPixels (image, near (paletteOrange, 10)), 200);
    EXPECT_EQ (countPixels (image, near (paletteBlue, 10)), 0);
    EXPECT_FALSE (isNear (pixelAt (image, stagePoint), StereoComponent::getStageColour (0.5f), 20));

    display.setBypassed (false);
    image = render (display);
    EXPECT_GT (countPixels (image, near (paletteBlue, 10)), 200);
    EXPECT_EQ (countPixels (image, near (paletteOrange, 10)), 0);
    EXPECT_FALSE (isNear (pixelAt (image, stagePoint), StereoComponent::getStageColour (0.5f), 20));

    display.setMutedAll (false);
    EXPECT_TRUE (isNear (pixelAt (render (display), stagePoint), StereoComponent::getStageColour (0.5f)));
}

TEST (StereoComponent, CornersFollowTheParentHeightAndTooltipIsFixed)
{
    StereoComponent display (nullptr);
    display.setBounds (0, 0, 240, 240);
    EXPECT_GT (render (display).getPixelAt (4, 4).getAlpha(), 200);   // 1 % of a 1080 screen

    juce::Component parent;
    parent.setSize (240, 3000);
    parent.addAndMakeVisible (display);
    EXPECT_EQ (render (display).getPixelAt (6, 6).getAlpha(), 0);      // 1 % of 3000

    display.setTooltip ("something else");
    EXPECT_EQ (display.getTooltip(), "this shows the stereo field");
}

TEST (StereoComponent, RendersItsPicturesAtTwoSizes)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    const auto font = lookAndFeel.getCustomFont (40.0f);
    StereoComponent display (&font);

    struct Picture { const char* name; float width, pan; bool bypassed, muted; juce::Colour textColour; };
    for (const auto& p : { Picture { "normal", 0.5f, 0.5f, false, false, juce::Colours::darkgrey },
                           Picture { "wide-panned", 0.9f, 0.7f, false, false, juce::Colours::darkgrey },
                           Picture { "mono-left", 0.0f, 0.0f, false, false, juce::Colours::darkgrey },
                           Picture { "bypass", 0.5f, 0.5f, true, true, paletteOrange },
                           Picture { "mute-all", 0.5f, 0.5f, false, true, paletteBlue } })
    {
        display.setWidthValue (p.width);
        display.setPanValue (p.pan);
        display.setBypassed (p.bypassed);
        display.setMutedAll (p.muted);
        saveAtTwoSizes (display, juce::String ("stereo-field-") + p.name, { 0, 0, 180, 120 }, { 0, 0, 540, 360 });

        const auto image = render (display);
        EXPECT_GT (countPixels (image, near (p.textColour, 10)), 20) << p.name;
    }
}
