#include "StereoComponent.h"

#include "CvxQ7LookAndFeelV1.h"
#include "FittedText.h"
#include "Palette.h"

namespace
{
float stageWidthFor (float widthValue) noexcept
{
    return 0.99f * widthValue + 0.01f;
}
} // namespace

StereoComponent::StereoComponent (const juce::Font* fontToUse)
    : font (fontToUse)
{
}

StereoComponent::~StereoComponent() = default;

void StereoComponent::setWidthValue (float newWidthValue)
{
    if (widthValue == newWidthValue)
        return;

    widthValue = newWidthValue;
    repaint();
}

void StereoComponent::setPanValue (float newPanValue)
{
    if (panValue == newPanValue)
        return;

    panValue = newPanValue;
    repaint();
}

void StereoComponent::setBypassed (bool shouldBeBypassed)
{
    if (bypassed == shouldBeBypassed)
        return;

    bypassed = shouldBeBypassed;
    repaint();
}

void StereoComponent::setMutedAll (bool shouldBeMutedAll)
{
    if (mutedAll == shouldBeMutedAll)
        return;

    mutedAll = shouldBeMutedAll;
    repaint();
}

void StereoComponent::setScopeShown (bool shouldBeShown)
{
    if (scopeShown == shouldBeShown)
        return;

    scopeShown = shouldBeShown;
    repaint();
}

juce::Rectangle<float> StereoComponent::getCorrelationMeterArea (float width, float height) noexcept
{
    const auto field = getFieldArea (width, height);
    return { field.getX(), 0.91f * height, field.getWidth(), 0.03f * height };
}

juce::Rectangle<float> StereoComponent::getFieldArea (float width, float height) noexcept
{
    return juce::Rectangle<float> (width, height).reduced (0.1f * height);
}

StereoComponent::Stage StereoComponent::computeStage (juce::Rectangle<float> field, float widthValue, float panValue) noexcept
{
    const auto s = stageWidthFor (widthValue);
    const auto centreX = field.getCentreX();
    const auto bottom = field.getBottom();
    const auto stageY = field.getY() + 0.6f * s * field.getHeight();

    const juce::Point<float> apex (centreX, bottom);
    const auto rotation = juce::AffineTransform::rotation ((panValue - 0.5f) * juce::MathConstants<float>::pi,
                                                           apex.x,
                                                           apex.y);

    const auto place = [&] (juce::Point<float> p)
    {
        p = p.transformedBy (rotation);
        return juce::Point<float> (juce::jlimit (field.getX(), field.getRight(), p.x), juce::jmin (p.y, bottom));
    };

    return { place ({ field.getX() + (1.0f - s) * field.getWidth() * 0.5f, stageY }),
             place ({ centreX + s * field.getWidth() * 0.5f, stageY }),
             apex };
}

juce::Colour StereoComponent::getStageColour (float widthValue) noexcept
{
    const auto s = stageWidthFor (widthValue);

    if (s > 0.5f)
        return juce::Colours::grey.overlaidWith (paletteBlue.withAlpha ((s - 0.5f) * 2.0f));

    return juce::Colours::grey;
}

void StereoComponent::paint (juce::Graphics& g)
{
    const auto parentHeight = getParentComponent() != nullptr ? getParentHeight()
                                                              : CvxQ7LookAndFeelV1::getMainDisplayHeight();
    const auto cornerSize = 0.01f * (float) parentHeight;
    const juce::Rectangle<float> bounds (widthF, heightF);

    if (font != nullptr)
        g.setFont (font->withHeight (0.1f * heightF));

    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (bounds, cornerSize);

    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.fillRoundedRectangle (bounds.reduced (0.05f * heightF), cornerSize);

    if (bypassed)
    {
        drawCaption (g, "BYPASS", paletteOrange);
        return;
    }

    if (mutedAll)
    {
        drawCaption (g, "MUTE ALL", paletteBlue);
        return;
    }

    const auto field = getFieldArea (widthF, heightF);

    if (heightF > 0.0f)
    {
        const float dashes[] = { 0.03f * heightF, 0.015f * heightF };
        g.setColour (juce::Colours::darkgrey);
        g.drawDashedLine ({ field.getCentreX(), field.getY(), field.getCentreX(), field.getBottom() },
                          dashes,
                          juce::numElementsInArray (dashes),
                          1.0f);
    }

    // Over the centre line, which would hide a mono signal, and under the stage, which stays on top
    // and unchanged.
    if (scopeShown)
    {
        scope.drawDots (g, field.toNearestInt());
        scope.drawCorrelationMeter (g, getCorrelationMeterArea (widthF, heightF));
    }

    const auto stage = computeStage (field, widthValue, panValue);

    juce::Path triangle;
    triangle.addTriangle (stage.left, stage.right, stage.apex);

    g.setColour (getStageColour (widthValue));
    g.strokePath (triangle, juce::PathStrokeType (0.02f * heightF, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    const auto area = [this] (float x, float y, float w, float h)
    {
        return juce::Rectangle<float> (x * widthF, y * heightF, w * widthF, h * heightF);
    };

    // A caption wider than its box is squeezed to fit rather than cut off: the embedded face is less
    // condensed than the one these boxes were drawn for.
    const auto caption = [this, &g] (const char* text, juce::Rectangle<float> box, juce::Justification justification)
    {
        FittedText::draw (g, *this, text, box.toNearestInt().toFloat(), justification, 1, 0.5f);
    };

    g.setColour (juce::Colours::darkgrey);
    caption ("LEFT", area (0.05f, 0.8f, 0.2f, 0.1f), juce::Justification::left);
    caption ("RIGHT", area (0.75f, 0.8f, 0.2f, 0.1f), juce::Justification::right);
    caption ("STEREO WIDTH:", area (0.05f, 0.07f, 0.28f, 0.1f), juce::Justification::left);
    caption ("PAN:", area (0.65f, 0.07f, 0.3f, 0.1f), juce::Justification::right);
}

void StereoComponent::drawCaption (juce::Graphics& g, const juce::String& text, juce::Colour colour) const
{
    g.setColour (colour);
    g.setFont (g.getCurrentFont().withHeight (0.35f * heightF));
    // Squeezed sideways rather than cut when the face is too wide for the field ("MUTE ALL").
    FittedText::draw (g, *this, text, juce::Rectangle<float> (0.1f * widthF, 0.15f * heightF, 0.8f * widthF, 0.7f * heightF).toNearestInt().toFloat(), juce::Justification::centred, 1, 0.5f);
}

void StereoComponent::resized()
{
    widthF = (float) getWidth();
    heightF = (float) getHeight();
}

juce::String StereoComponent::getTooltip()
{
    return "this shows the stereo field";
}
