#pragma once

#include "OutputFormat.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

/**
    Turns float samples into what the file holds, and counts what does not fit.

    Integer depths: each sample becomes the nearest whole step of the file's depth, left-aligned in 32 bits
    as the framework's integer writers take them. A sample already on a step is kept as it is, so a render
    that changes nothing gives back the input's samples. Elsewhere, at 16 bits and below, TPDF dither is
    added before rounding: two independent uniform values of +/-0.5 step each, from a fixed seed, drawn for
    every sample so that the noise of a sample never depends on its neighbours. Beyond full scale the
    samples are clipped and counted.

    Float: the samples are written as they are; those beyond full scale are counted (most players clip them).

    A NaN or infinite sample is written as 0 (silence) in every depth, and counted.
*/
class OutputRounding
{
public:
    explicit OutputRounding (OutputFormat::Depth);

    /** Integer depths fill integers[channel][0 .. numSamples); float output is cleaned in place. */
    void apply (juce::AudioBuffer<float>& block, int numSamples, int* const* integers) noexcept;

    bool dithers() const noexcept { return dither; }
    bool writesIntegers() const noexcept { return integer; }

    /** Samples clipped (integer output) or beyond full scale (float output), per channel. */
    const std::array<juce::int64, 2>& getClipped() const noexcept { return clipped; }
    const std::array<juce::int64, 2>& getNonFinite() const noexcept { return nonFinite; }

private:
    double stepsPerUnit = 1.0, lowest = 0.0, highest = 0.0, alignment = 1.0;
    bool integer = false, dither = false;
    juce::Random random { 0x57594452 };
    std::array<juce::int64, 2> clipped {}, nonFinite {};
};
