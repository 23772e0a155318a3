#include "CvxQ7LookAndFeelV1.h"

#include "BinaryData.h"
#include "FittedText.h"
#include "Palette.h"

CvxQ7LookAndFeelV1::CvxQ7LookAndFeelV1()
{
    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf,
                                                             (size_t) BinaryData::kenyan_coffee_rg_ttfSize);

    // Should the embedded face ever fail to load, the default face keeps every size and colour.
    customFont = typeface != nullptr ? std::make_unique<juce::Font> (typeface)
                                     : std::make_unique<juce::Font>();
    customFont->setHeight (40.0f);
}

CvxQ7LookAndFeelV1::~CvxQ7LookAndFeelV1() = default;

juce::Font CvxQ7LookAndFeelV1::getCustomFont (float height) const
{
    return customFont->withHeight (height);
}

//==============================================================================
void CvxQ7LookAndFeelV1::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour, bool, bool shouldDrawButtonAsDown)
{
    const auto baseColour = shouldDrawButtonAsDown ? backgroundColour.darker (0.4f) : backgroundColour;

    const auto width = (float) button.getWidth() - 1.0f;
    const auto height = (float) button.getHeight() - 1.0f;

    if (! (width > 0.0f && height > 0.0f))
        return;

    const auto flatOnLeft = button.isConnectedOnLeft();
    const auto flatOnRight = button.isConnectedOnRight();
    const auto flatOnTop = button.isConnectedOnTop();
    const auto flatOnBottom = button.isConnectedOnBottom();

    juce::Path outline;
    outline.addRoundedRectangle (0.5f, 0.5f, width, height, 4.0f, 4.0f, ! (flatOnLeft || flatOnTop), ! (flatOnRight || flatOnTop), ! (flatOnLeft || flatOnBottom), ! (flatOnRight || flatOnBottom));

    drawButtonShape (g, outline, baseColour, height);
}

void CvxQ7LookAndFeelV1::drawButtonShape (juce::Graphics& g, const juce::Path& outline, juce::Colour baseColour, float height)
{
    const auto brightness = baseColour.getBrightness();
    const auto alpha = baseColour.getFloatAlpha();

    g.setGradientFill (juce::ColourGradient::vertical (baseColour.brighter (0.2f), 0.0f, baseColour.darker (0.25f), height));
    g.fillPath (outline);

    g.setColour (juce::Colours::white.withAlpha (0.4f * alpha * brightness * brightness));
    g.strokePath (outline, juce::PathStrokeType (1.0f), juce::AffineTransform::translation (0.0f, 1.0f).scaled (1.0f, (height - 1.6f) / height));

    g.setColour (juce::Colours::black.withAlpha (0.4f * alpha));
    g.strokePath (outline, juce::PathStrokeType (1.0f));
}

juce::Font CvxQ7LookAndFeelV1::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return getCustomFont (0.8f * (float) buttonHeight);
}

void CvxQ7LookAndFeelV1::drawButtonText (juce::Graphics& g, juce::TextButton& button, bool, bool)
{
    const auto font = getTextButtonFont (button, button.getHeight());
    g.setFont (font);
    g.setColour (button.findColour (button.getToggleState() ? juce::TextButton::textColourOnId : juce::TextButton::textColourOffId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.5f));

    const auto yIndent = juce::jmin (4, button.proportionOfHeight (0.3f));
    const auto cornerSize = juce::jmin (button.getHeight(), button.getWidth()) / 2;
    const auto fontHeight = juce::roundToInt (font.getHeight() * 0.6f);
    const auto leftIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnLeft() ? 4 : 2));
    const auto rightIndent = juce::jmin (fontHeight, 2 + cornerSize / (button.isConnectedOnRight() ? 4 : 2));
    const auto textWidth = button.getWidth() - leftIndent - rightIndent;

    if (textWidth > 0)
        FittedText::draw (g, button, button.getButtonText(), juce::Rectangle<int> (leftIndent, yIndent, textWidth, button.getHeight() - yIndent * 2).toFloat(), juce::Justification::centred, 2, 0.5f);
}

void CvxQ7LookAndFeelV1::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button, bool, bool)
{
    const auto width = (float) button.getWidth();
    const auto height = (float) button.getHeight();
    const auto tickWidth = 0.8f * height;
    const auto diameter = 0.7f * tickWidth;

    const auto sphereColour = button.getToggleState() ? paletteBlue : paletteDarkGrey.brighter (0.65f);
    drawGlassSphere (g, 0.0f, (height - diameter) * 0.5f, diameter, sphereColour, 1.1f);

    g.setColour (juce::Colours::black);
    g.setFont (getCustomFont (height));
    // A text longer than the space is squeezed sideways rather than cut ("PAN LAW -0 dB" in a narrow group).
    FittedText::draw (g,
                      button,
                      button.getButtonText(),
                      juce::Rectangle<int> ((int) tickWidth, 0, juce::jmax (0, (int) width - (int) tickWidth - 2), (int) height).toFloat(),
                      juce::Justification::centredLeft,
                      1,
                      0.5f);
}

int CvxQ7LookAndFeelV1::getMainDisplayHeight()
{
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;
    return displays.isEmpty() ? 1080 : displays.getReference (0).totalArea.getHeight();
}

juce::Font CvxQ7LookAndFeelV1::getPopupMenuFont()
{
    return getCustomFont ((float) juce::jmax (27, juce::roundToInt (0.025 * getMainDisplayHeight())));
}

void CvxQ7LookAndFeelV1::drawLabel (juce::Graphics& g, juce::Label& label)
{
    const auto labelFont = getLabelFont (label);
    const auto labelHeight = (float) label.getHeight();
    const auto maxLines = labelFont.getHeight() > 0.0f ? juce::jmax (1, (int) (labelHeight / labelFont.getHeight()))
                                                       : 1;

    g.setFont (labelFont.withHeight (labelHeight));
    g.setColour (label.findColour (juce::Label::textColourId));
    FittedText::draw (g, label, label.getText(), label.getLocalBounds().toFloat(), label.getJustificationType(), maxLines, label.getMinimumHorizontalScale());
}

juce::Font CvxQ7LookAndFeelV1::getLabelFont (juce::Label& label)
{
    return getCustomFont (0.9f * (float) label.getHeight());
}

//==============================================================================
void CvxQ7LookAndFeelV1::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos, float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style, juce::Slider& slider)
{
    drawLinearSliderBackground (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
    drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
}

void CvxQ7LookAndFeelV1::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height, float sliderPos, float minSliderPos, float maxSliderPos, juce::Slider::SliderStyle style, juce::Slider& slider)
{
    LookAndFeel_V3::drawLinearSliderBackground (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
}

void CvxQ7LookAndFeelV1::drawLinearSliderThumb (juce::Graphics& g, int x, int, int width, int height, float sliderPos, float, float, juce::Slider::SliderStyle, juce::Slider&)
{
    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle ((float) x, sliderPos - 0.1f * (float) height, (float) width, 0.2f * (float) height, 5.0f);

    g.setColour (juce::Colours::black);
    g.drawHorizontalLine ((int) sliderPos, (float) x, (float) (x + width));
}

void CvxQ7LookAndFeelV1::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPosProportional, float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider)
{
    const auto background = slider.findColour (juce::Slider::backgroundColourId);
    const auto size = (float) width;
    const auto radius = size * 0.5f;
    const juce::Rectangle<float> square ((float) x, (float) y, size, size);
    const auto centre = square.getCentre();
    const auto angle = rotaryStartAngle + sliderPosProportional * (rotaryEndAngle - rotaryStartAngle);
    const auto enabled = slider.isEnabled();

    juce::Path body;
    body.addEllipse (square.reduced (0.2f * radius));

    if (enabled)
        juce::DropShadow (juce::Colours::black, (int) (0.2f * radius), { (int) (0.13f * radius), (int) (0.13f * radius) }).drawForPath (g, body);

    juce::Path track;
    track.addPieSegment (square, rotaryStartAngle, rotaryEndAngle, 0.7f);
    g.setColour (juce::Colours::black.overlaidWith (paletteBlue.withAlpha (0.05f)));
    g.fillPath (track);

    // A zero-length segment would still leave a hairline sliver, so an empty arc is skipped.
    if (angle != rotaryStartAngle)
    {
        juce::Path valueArc;
        valueArc.addPieSegment (square.reduced (0.03f * radius), rotaryStartAngle, angle, 0.7f);
        g.setColour (paletteBlue);
        g.fillPath (valueArc);
    }

    g.setGradientFill (juce::ColourGradient (background.brighter (1.0f), square.getTopLeft(), background.darker (1.0f), square.getBottomRight(), false));
    g.fillPath (body);

    g.setColour (background.brighter (0.4f).withAlpha (1.0f));
    g.drawEllipse (square.reduced (0.25f * radius), 0.05f * radius);

    if (enabled)
    {
        juce::Path pointer;
        pointer.startNewSubPath (0.0f, -0.15f * radius);
        pointer.lineTo (0.0f, -0.6f * radius);

        g.setColour (juce::Colours::white);
        g.strokePath (pointer,
                      juce::PathStrokeType ((float) height / 25.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded),
                      juce::AffineTransform::rotation (angle).translated (centre));
    }
}

juce::Label* CvxQ7LookAndFeelV1::createSliderTextBox (juce::Slider& slider)
{
    auto* label = new juce::Label();

    label->setJustificationType (juce::Justification::centred);
    label->setEditable (false, true, true);

    const auto textColour = slider.findColour (juce::Slider::textBoxTextColourId);
    const auto outlineColour = slider.findColour (juce::Slider::textBoxOutlineColourId);

    label->setColour (juce::Label::textColourId, textColour);
    label->setColour (juce::TextEditor::textColourId, textColour);
    label->setColour (juce::TextEditor::backgroundColourId, slider.findColour (juce::Slider::textBoxBackgroundColourId));
    label->setColour (juce::Label::outlineColourId, outlineColour);
    label->setColour (juce::Label::outlineWhenEditingColourId, outlineColour);
    label->setColour (juce::TextEditor::outlineColourId, outlineColour);
    label->setColour (juce::TextEditor::highlightColourId, slider.findColour (juce::Slider::textBoxHighlightColourId));

    return label;
}

void CvxQ7LookAndFeelV1::drawCornerResizer (juce::Graphics& g, int w, int h, bool isMouseOver, bool isMouseDragging)
{
    const auto width = (float) w;
    const auto height = (float) h;

    if (isMouseDragging)
        g.setColour (juce::Colours::black);
    else if (isMouseOver)
        g.setColour (paletteOrange);
    else
        g.setColour (schemeColour.darker (0.4f));

    const auto thickness = 0.24f * width;
    const auto headSize = 0.44f * width;

    g.drawArrow ({ 0.585f * width, 0.585f * height, 0.9f * width, height - 0.1f * width },
                 thickness,
                 headSize,
                 headSize);

    const auto tip = 0.2f * height + 0.1f * width;
    g.drawArrow ({ 0.59f * width, 0.59f * height, tip, tip }, thickness, headSize, headSize);
}
