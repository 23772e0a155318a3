#include "CvxQ7StereoVuMeterComponent.h"

#include "Palette.h"
#include "processor/LevelText.h"

CvxQ7StereoVuMeterComponent::CvxQ7StereoVuMeterComponent (float maxLevel, juce::Colour backgroundColourToUse)
    : leftMeter (std::make_unique<CvxQ7VuMeter> (maxLevel)),
      rightMeter (std::make_unique<CvxQ7VuMeter> (maxLevel)),
      backgroundColour (backgroundColourToUse)
{
    addAndMakeVisible (*leftMeter);
    addAndMakeVisible (*rightMeter);
    addAndMakeVisible (leftLabel);
    addAndMakeVisible (rightLabel);

    leftLabel.setJustificationType (juce::Justification::left);
    rightLabel.setJustificationType (juce::Justification::right);
}

CvxQ7StereoVuMeterComponent::~CvxQ7StereoVuMeterComponent() = default;

void CvxQ7StereoVuMeterComponent::setLevels (float leftLevel, float rightLevel)
{
    if (! isVisible())
        return;

    showLevel (*leftMeter, leftLabel, leftLevel);
    showLevel (*rightMeter, rightLabel, rightLevel);
}

void CvxQ7StereoVuMeterComponent::showLevel (CvxQ7VuMeter& meter, juce::Label& label, float level)
{
    // Also maps a NaN from a misbehaving signal chain to silence.
    if (! (level >= silenceThreshold))
        level = 0.0f;

    meter.setLevel (level);
    label.setText (levelToDecibelText (level), juce::dontSendNotification);
    label.setColour (juce::Label::textColourId, level > 1.0f ? paletteOrange : juce::Colours::black);
}

void CvxQ7StereoVuMeterComponent::paint (juce::Graphics& g)
{
    g.setColour (backgroundColour);
    g.fillRoundedRectangle (0.0f, 0.0f, widthF, heightF, 0.02f * heightF);
}

void CvxQ7StereoVuMeterComponent::resized()
{
    widthF = (float) getWidth();
    heightF = (float) getHeight();

    leftMeter->setBoundsRelative (0.15f, 0.05f, 0.2f, 0.83f);
    rightMeter->setBoundsRelative (0.65f, 0.05f, 0.2f, 0.83f);
    // The read-outs share the strip under the bars, one from each end; a gap in its middle keeps two
    // numbers from reading as one, and a number too wide for its half is squeezed or made smaller.
    const auto half = 0.35f - 0.5f * readOutGap;
    leftLabel.setBoundsRelative (0.15f, 0.9f, half, 0.1f);
    rightLabel.setBoundsRelative (0.85f - half, 0.9f, half, 0.1f);
}

juce::String CvxQ7StereoVuMeterComponent::getTooltip()
{
    return "Stereo VU Meter";
}
