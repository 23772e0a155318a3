#pragma once

#include "CvxQ7VuMeter.h"

#include <memory>

/**
    A stereo level meter: two bars with a decibel read-out under each. Levels above full scale
    turn the bar and its read-out orange.
*/
class CvxQ7StereoVuMeterComponent : public juce::Component,
                                    public juce::SettableTooltipClient
{
public:
    CvxQ7StereoVuMeterComponent (float maxLevel, juce::Colour backgroundColourToUse);
    ~CvxQ7StereoVuMeterComponent() override;

    /** Shows the two channels' linear peak amplitudes (1.0 = full scale); levels below 1e-6
        read "-INF". Ignored while the component is invisible. Message thread only. */
    void setLevels (float leftLevel, float rightLevel);

    const CvxQ7VuMeter& getLeftMeter() const noexcept { return *leftMeter; }
    const CvxQ7VuMeter& getRightMeter() const noexcept { return *rightMeter; }
    const juce::Label& getLeftLabel() const noexcept { return leftLabel; }
    const juce::Label& getRightLabel() const noexcept { return rightLabel; }

    void paint (juce::Graphics&) override;
    void resized() override;
    juce::String getTooltip() override;

    /** The space kept free between the two read-outs, as a share of the component's width. */
    static constexpr float readOutGap = 0.06f;

    /** Levels below this (-120 dB) count as silence. */
    static constexpr float silenceThreshold = 1.0e-6f;

private:
    void showLevel (CvxQ7VuMeter&, juce::Label&, float level);

    std::unique_ptr<CvxQ7VuMeter> leftMeter, rightMeter;
    juce::Label leftLabel, rightLabel;
    juce::Colour backgroundColour;
    float widthF = 0.0f, heightF = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CvxQ7StereoVuMeterComponent)
};
