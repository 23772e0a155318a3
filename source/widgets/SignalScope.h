#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>
#include <vector>

/**
    The live picture of the output for the stereo field display: a goniometer (the last 80 ms of
    samples as dots turned 45 degrees, mid up, left and right on the diagonals, newer dots brighter)
    and a correlation meter from -1 to +1. The goniometer's gain follows the level slowly and stops at
    a fixed maximum, so silence stays dark instead of being blown up into noise. Message thread only.
*/
class SignalScope
{
public:
    static constexpr double historySeconds = 0.08;
    /** 80 ms at 192 kHz fits. */
    static constexpr int maxHistoryFrames = 16384;
    /** The quietest level drawn at full size (about -34 dBFS): quieter signals stay small. */
    static constexpr float quietestFullSizeLevel = 0.02f;
    /** How fast the gain's level follows a louder and a quieter signal. */
    static constexpr double levelRiseSeconds = 0.25, levelFallSeconds = 2.0;

    SignalScope();
    ~SignalScope();

    /** Appends frames of output; the oldest beyond historySeconds are dropped. */
    void addFrames (const float* left, const float* right, int numFrames, double sampleRate);
    /** Forgets the dots (the gain's level stays). */
    void clear() noexcept { numFrames = 0; }
    /** False when the history holds only silence (or nothing), which draws no dot. */
    bool hasVisibleDots() const noexcept { return framesSinceVisible < numFrames; }

    /** The correlation to show, or nothing for no reading. */
    void setCorrelation (std::optional<float> newCorrelation) noexcept { correlation = newCorrelation; }
    std::optional<float> getCorrelation() const noexcept { return correlation; }

    /** The level drawn at the goniometer's edge, linear. */
    float getLevel() const noexcept { return level; }

    /** The dots alone on a transparent image. An odd width puts identical channels on the middle
        column alone.
    */
    juce::Image renderDots (int width, int height) const;

    /** The dots in the largest square centred in the area. */
    void drawDots (juce::Graphics&, juce::Rectangle<int> area);

    /** A strip from -1 (left end) to +1 (right end) with a mark at 0; the reading is a bar from the mark,
        blue above 0 and orange-red below. No bar without a reading.
    */
    void drawCorrelationMeter (juce::Graphics&, juce::Rectangle<float> area) const;

    static juce::Colour getDotColour() noexcept;

private:
    void plotDots (juce::Image& image) const;
    void followLevel (float peak, double seconds) noexcept;

    std::vector<float> leftHistory, rightHistory;
    int writePosition = 0, numFrames = 0, framesSinceVisible = maxHistoryFrames;
    float level = quietestFullSizeLevel;
    std::optional<float> correlation;
    juce::Image dotImage;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SignalScope)
};
