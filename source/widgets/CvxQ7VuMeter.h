#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    One channel's level bar on a square-root scale of the amplitude: blue, or orange above full
    scale. It keeps no history; every update shows the level it is given.
*/
class CvxQ7VuMeter : public juce::Component,
                     public juce::SettableTooltipClient
{
public:
    /** maxLevel is the linear amplitude that fills the whole height. */
    explicit CvxQ7VuMeter (float maxLevelToUse);
    ~CvxQ7VuMeter() override;

    /** Shows a linear amplitude (1.0 = full scale). Ignored while the meter is invisible. */
    void setLevel (float newLevel);

    float getLevel() const noexcept { return level; }

    /** The bar's top edge in pixels from the top for the current level; the meter's height when
        the bar is empty, 0 when it fills the meter. */
    float getBarTop() const noexcept;

    void paint (juce::Graphics&) override;
    juce::String getTooltip() override;

private:
    float maxLevel;
    float level = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CvxQ7VuMeter)
};
