#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/**
    The true peak of one channel: the largest magnitude of the signal oversampled 4x below 96 kHz and 2x
    below 192 kHz (higher rates are fine enough as they are), with a Hann-windowed sinc interpolator of 12
    taps a phase, and never below the largest sample. Each phase runs as one pass over a block, which the
    compiler vectorises: this costs a fraction of interpolating sample by sample.
*/
class TruePeakMeter
{
public:
    explicit TruePeakMeter (double sampleRate);

    /** Samples must be finite. */
    void addBlock (const float* samples, int numSamples);

    /** The largest magnitude so far, linear. */
    float getPeak() const noexcept { return peak; }

    int getOversampling() const noexcept { return factor; }

private:
    int factor = 1;
    static constexpr int tapsPerPhase = 12;
    /** The filter's taps of each phase, reversed, so that each output is a plain dot product. */
    std::vector<std::vector<float>> phases;
    /** The last tapsPerPhase - 1 samples of the previous block, then the block; and one phase's output. */
    std::vector<float> history, sum;
    float peak = 0.0f;

    JUCE_DECLARE_NON_COPYABLE (TruePeakMeter)
};
