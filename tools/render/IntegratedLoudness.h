#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

#include <ebur128.h>

/** The integrated loudness of a stereo signal alone, with libebur128: what a render matched in loudness
    needs from its first pass, at a fraction of the cost of every figure. */
class IntegratedLoudness
{
public:
    explicit IntegratedLoudness (double sampleRate);
    ~IntegratedLoudness();

    void addBlock (const float* left, const float* right, int numSamples);

    /** LUFS; empty for silence, less than 400 ms, or a sample rate below LoudnessMeter::lowestSampleRate. */
    std::optional<double> getLufs() const;

private:
    ebur128_state* state = nullptr;
    std::vector<float> frames;

    JUCE_DECLARE_NON_COPYABLE (IntegratedLoudness)
};
