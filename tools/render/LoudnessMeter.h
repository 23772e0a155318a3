#pragma once

#include "LoudnessResult.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

#include <ebur128.h>

/**
    Measures the EBU R128 loudness of a stereo signal fed to it block by block, with libebur128: integrated
    loudness, loudness range, the highest momentary and short-term loudness, the true peak of each channel
    and the integrated loudness of the mono fold-down. A NaN or infinite sample counts as silence, so that
    one bad sample cannot spoil the filters' state.
*/
class LoudnessMeter
{
public:
    explicit LoudnessMeter (double sampleRate);
    ~LoudnessMeter();

    void addBlock (const float* left, const float* right, int numSamples);

    /** The figures for everything fed so far. */
    LoudnessResult getResult() const;

    /** Frames of a stereo block interleaved for libebur128, with NaN and infinite samples as 0; as the
        mono fold-down (L + R) / 2 when mono is set. */
    static void interleave (const float* left, const float* right, int numSamples, bool mono, std::vector<float>& frames);

private:
    void feed (const float* left, const float* right, int numSamples);
    void readWindows();

    ebur128_state *stereo = nullptr, *mono = nullptr;
    std::vector<float> stereoFrames, monoFrames;

    // Momentary and short-term loudness are read at the end of every 100 ms of signal, once their window
    // is full.
    juce::int64 numSamples = 0, hop, untilReading, momentaryFrames, shortTermFrames;
    std::optional<double> maxMomentary, maxShortTerm;

    JUCE_DECLARE_NON_COPYABLE (LoudnessMeter)
};
