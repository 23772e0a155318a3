#include "StereoAnalysis.h"

#include <cmath>

namespace
{
double powerToDecibels (double power) noexcept
{
    return power > 0.0 ? 10.0 * std::log10 (power) : StereoAnalysisResult::minusInfinity;
}

/** Ratio of two powers in dB: +/- infinity when one is zero, nothing when both are. */
std::optional<double> powerRatioDecibels (double numerator, double denominator) noexcept
{
    if (numerator <= 0.0 && denominator <= 0.0)
        return {};

    if (denominator <= 0.0)
        return -StereoAnalysisResult::minusInfinity;

    return powerToDecibels (numerator / denominator);
}
} // namespace

std::optional<double> StereoAnalysis::ChannelPairSums::correlation() const noexcept
{
    if (ll <= 0.0 || rr <= 0.0)
        return {};

    return juce::jlimit (-1.0, 1.0, lr / std::sqrt (ll * rr));
}

StereoAnalysis::StereoAnalysis (double rate, double split, bool measureLoudness)
    : sampleRate (rate), splitHz (split), windowLength (juce::jmax (1, juce::roundToInt (windowSeconds * rate)))
{
    jassert (split > 0.0 && split < rate * 0.5);
    crossover.prepare ({ rate, 4096, 2 });
    crossover.setCutoffFrequency (split);
    points.reserve (maxPoints);

    if (measureLoudness)
        loudness = std::make_unique<LoudnessMeter> (rate);
}

void StereoAnalysis::addBlock (const float* left, const float* right, int num)
{
    // The crossover's state decays towards denormals in silence. The framework's snapToZero() would
    // also cut small values at each block's end and make the result depend on the block size.
    juce::ScopedNoDenormals noDenormals;

    if (loudness != nullptr)
        loudness->addBlock (left, right, num);

    for (int i = 0; i < num; ++i)
    {
        const auto l = left[i], r = right[i];

        // A frame with a NaN or an infinity would spoil every sum and the crossover's state: it is counted
        // and left out, while the time it covers still counts.
        if (! std::isfinite (l) || ! std::isfinite (r))
        {
            nonFiniteLeft += std::isfinite (l) ? 0 : 1;
            nonFiniteRight += std::isfinite (r) ? 0 : 1;
            ++numSamples;

            if (++windowFill == windowLength)
                finishWindow();

            continue;
        }

        ++measuredSamples;
        peakLeft = juce::jmax (peakLeft, std::abs (l));
        peakRight = juce::jmax (peakRight, std::abs (r));
        full.add (l, r);
        window.add (l, r);

        // Halving each channel before the sum and difference keeps identical channels' side exactly 0.
        const auto mid = 0.5 * l + 0.5 * r, side = 0.5 * l - 0.5 * r;
        midSum += mid * mid;
        sideSum += side * side;

        double lowL, highL, lowR, highR;
        crossover.processSample (0, l, lowL, highL);
        crossover.processSample (1, r, lowR, highR);
        low.add (lowL, lowR);
        high.add (highL, highR);

        if (numSamples % pointStride == 0)
            keepPoint (l, r);

        ++numSamples;

        if (++windowFill == windowLength)
            finishWindow();
    }
}

void StereoAnalysis::finishWindow()
{
    const auto c = window.correlation();
    windowCorrelations.push_back (c.has_value() ? std::optional<float> ((float) *c) : std::nullopt);

    if (c.has_value() && *c < 0.0)
        negativeSamples += windowFill;

    window = {};
    windowFill = 0;
}

void StereoAnalysis::keepPoint (float left, float right)
{
    if (points.size() == maxPoints)
    {
        for (size_t i = 0; i < maxPoints / 2; ++i)
            points[i] = points[2 * i];

        points.resize (maxPoints / 2);
        pointStride *= 2;

        if (numSamples % pointStride != 0)
            return;
    }

    points.emplace_back (left, right);
}

StereoAnalysisResult StereoAnalysis::getResult() const
{
    StereoAnalysisResult result;
    result.sampleRate = sampleRate;
    result.splitHz = splitHz;
    result.numSamples = numSamples;
    result.windowSeconds = windowSeconds;

    result.peakLeftDb = juce::Decibels::gainToDecibels ((double) peakLeft, StereoAnalysisResult::minusInfinity);
    result.peakRightDb = juce::Decibels::gainToDecibels ((double) peakRight, StereoAnalysisResult::minusInfinity);
    result.largestPeak = juce::jmax (peakLeft, peakRight);

    result.nonFiniteLeft = nonFiniteLeft;
    result.nonFiniteRight = nonFiniteRight;

    const auto n = (double) juce::jmax ((juce::int64) 1, measuredSamples);
    result.rmsLeftDb = powerToDecibels (full.ll / n);
    result.rmsRightDb = powerToDecibels (full.rr / n);
    result.balanceDb = powerRatioDecibels (full.rr, full.ll);

    result.midRmsDb = powerToDecibels (midSum / n);
    result.sideRmsDb = powerToDecibels (sideSum / n);
    result.sideToMidDb = powerRatioDecibels (sideSum, midSum);

    result.correlation = full.correlation();
    result.correlationLow = low.correlation();
    result.correlationHigh = high.correlation();

    if (full.ll > 0.0 || full.rr > 0.0)
        result.monoSumDb = powerToDecibels (midSum / juce::jmax (full.ll, full.rr));

    // The window still filling counts for the time it covers.
    result.windowCorrelations = windowCorrelations;
    auto negative = negativeSamples;

    if (windowFill > 0)
    {
        const auto c = window.correlation();
        result.windowCorrelations.push_back (c.has_value() ? std::optional<float> ((float) *c) : std::nullopt);

        if (c.has_value() && *c < 0.0)
            negative += windowFill;
    }

    if (numSamples > 0)
        result.negativeCorrelationShare = (double) negative / (double) numSamples;

    result.points = points;

    if (loudness != nullptr)
        result.loudness = loudness->getResult();

    return result;
}
