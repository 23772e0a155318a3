#pragma once

#include "LoudnessMeter.h"
#include "StereoAnalysisResult.h"

#include <juce_dsp/juce_dsp.h>

/**
    Measures the stereo image of a signal fed to it block by block: levels, balance, mid and side,
    phase correlation overall and on both sides of a Linkwitz-Riley crossover, correlation over time
    in fixed windows, and a bounded set of sample pairs to draw a goniometer from.
*/
class StereoAnalysis
{
public:
    static constexpr double defaultSplitHz = 120.0;
    static constexpr double windowSeconds = 0.4;
    static constexpr size_t maxPoints = 65536;

    /** splitHz must lie between 0 and half the sample rate. */
    StereoAnalysis (double sampleRate, double splitHz = defaultSplitHz, bool measureLoudness = true);

    void addBlock (const float* left, const float* right, int numSamples);

    /** The figures for everything fed so far. */
    StereoAnalysisResult getResult() const;

private:
    struct ChannelPairSums
    {
        double ll = 0.0, rr = 0.0, lr = 0.0;

        void add (double l, double r) noexcept
        {
            ll += l * l;
            rr += r * r;
            lr += l * r;
        }

        std::optional<double> correlation() const noexcept;
    };

    void finishWindow();
    void keepPoint (float left, float right);

    double sampleRate, splitHz;
    juce::dsp::LinkwitzRileyFilter<double> crossover;

    juce::int64 numSamples = 0, measuredSamples = 0, nonFiniteLeft = 0, nonFiniteRight = 0;
    float peakLeft = 0.0f, peakRight = 0.0f;
    ChannelPairSums full, low, high;
    double midSum = 0.0, sideSum = 0.0;

    int windowLength, windowFill = 0;
    ChannelPairSums window;
    juce::int64 negativeSamples = 0;
    std::vector<std::optional<float>> windowCorrelations;

    // Every pointStride-th sample pair is kept; when the list is full, every other one is dropped
    // and the stride doubles, so the points stay evenly spread over the whole signal.
    std::vector<std::pair<float, float>> points;
    juce::int64 pointStride = 1;

    std::unique_ptr<LoudnessMeter> loudness;
};
