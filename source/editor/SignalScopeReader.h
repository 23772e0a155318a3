#pragma once

#include "processor/CorrelationAverage.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

class SignalScopeFeed;
class StereoComponent;

/**
    Carries the processor's output into the stereo field display's signal scope while it is shown: 30
    times a second it takes the frames and the correlation sums the audio thread handed over, and
    repaints the stereo field alone, and only when its picture changed. While the scope is hidden the
    feed is idle and nothing runs. Message thread only.
*/
class SignalScopeReader : private juce::Timer
{
public:
    static constexpr int timerHz = 30;
    /** Without new frames for this long (the host stopped playing) the dots and the reading go. */
    static constexpr double staleSeconds = 0.15;

    SignalScopeReader (SignalScopeFeed&, StereoComponent&);
    ~SignalScopeReader() override;

    void setShown (bool shouldBeShown);
    bool isShown() const noexcept { return shown; }

    /** One tick: what the timer does. */
    void update();

private:
    void timerCallback() override { update(); }

    SignalScopeFeed& feed;
    StereoComponent& stereoField;
    CorrelationAverage correlation;
    std::vector<float> left, right;
    double lastFramesTime = 0.0;
    bool shown = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SignalScopeReader)
};
