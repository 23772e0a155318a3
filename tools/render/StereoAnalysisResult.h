#pragma once

#include "LoudnessResult.h"

#include <juce_core/juce_core.h>

#include <limits>
#include <optional>
#include <utility>
#include <vector>

/** What StereoAnalysis measured in one stereo signal. Levels are in dB and may be minus or plus
    infinity (silence); values that do not exist for the signal (the correlation of silence) are empty.
    Nothing here is ever NaN.
*/
struct StereoAnalysisResult
{
    static constexpr double minusInfinity = -std::numeric_limits<double>::infinity();

    double sampleRate = 0.0;
    double splitHz = 0.0;
    juce::int64 numSamples = 0;

    /** NaN or infinite samples per channel; a frame holding one is left out of every figure. */
    juce::int64 nonFiniteLeft = 0, nonFiniteRight = 0;

    /** dBFS; minus infinity for a silent channel. */
    double peakLeftDb = minusInfinity, peakRightDb = minusInfinity;
    double rmsLeftDb = minusInfinity, rmsRightDb = minusInfinity;

    /** Power of R against power of L; empty when both are silent. */
    std::optional<double> balanceDb;

    /** RMS of (L + R) / 2 and of (L - R) / 2, dBFS. */
    double midRmsDb = minusInfinity, sideRmsDb = minusInfinity;
    /** Side power against mid power; empty when both are silent. */
    std::optional<double> sideToMidDb;

    /** Phase correlation from -1 to +1 over the whole signal and in the bands below and above splitHz;
        empty when either channel (of that band) is silent. */
    std::optional<double> correlation, correlationLow, correlationHigh;

    /** Share (0 to 1) of the duration spent in windows whose correlation is negative; empty for an
        empty signal. */
    std::optional<double> negativeCorrelationShare;

    /** Power of (L + R) / 2 against the power of the louder channel: 0 dB for identical channels,
        -6.02 dB for one channel alone, minus infinity for opposite channels; empty for silence. */
    std::optional<double> monoSumDb;

    /** Correlation of each consecutive window of windowSeconds; empty for a window with a silent channel. */
    double windowSeconds = 0.0;
    std::vector<std::optional<float>> windowCorrelations;

    /** Evenly spaced (left, right) sample pairs for drawing, at most StereoAnalysis::maxPoints. */
    std::vector<std::pair<float, float>> points;

    /** EBU R128 loudness; empty when it was not measured. */
    std::optional<LoudnessResult> loudness;

    /** The larger of the two channel peaks, linear. */
    float largestPeak = 0.0f;

    double getSeconds() const noexcept { return sampleRate > 0.0 ? (double) numSamples / sampleRate : 0.0; }
};
