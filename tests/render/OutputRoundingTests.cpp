#include "OutputRounding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct RoundingCase
{
    int bits;
    double expectedMean, expectedVariance; // of the added offset, in steps of the file's depth
    double largestOffset; // in steps
};

void PrintTo (const RoundingCase& c, std::ostream* out)
{
    *out << c.bits << " bits";
}

class OutputRoundingByDepth : public ::testing::TestWithParam<RoundingCase>
{
};

// TPDF dither of +/-1 step has a variance of 1/6 step squared; half a step turns the writers'
// truncation into rounding.
const RoundingCase roundingCases[] = {
    { 8, 0.5, 1.0 / 6.0, 1.5 },
    { 16, 0.5, 1.0 / 6.0, 1.5 },
    { 24, 0.5, 0.0, 0.5 },
    { 32, 0.0, 0.0, 0.0 },
};
} // namespace

TEST_P (OutputRoundingByDepth, AddsHalfAStepAndDitherAtSixteenBitsAndBelow)
{
    const auto& c = GetParam();
    const auto step = c.bits < 32 ? std::ldexp (1.0, 1 - c.bits) : 1.0;
    constexpr int n = 100000;
    juce::AudioBuffer<float> buffer (2, n);
    buffer.clear();

    OutputRounding rounding (c.bits);
    EXPECT_EQ (rounding.dithers(), c.bits <= 16);
    rounding.apply (buffer, n);

    double sum = 0.0, sumOfSquares = 0.0, largest = 0.0, smallest = 1.0e9;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < n; ++i)
        {
            const auto offset = buffer.getSample (channel, i) / step;
            sum += offset;
            sumOfSquares += offset * offset;
            largest = std::max (largest, offset);
            smallest = std::min (smallest, offset);
        }

    const auto mean = sum / (2 * n);
    EXPECT_NEAR (mean, c.expectedMean, 0.01);
    EXPECT_NEAR (sumOfSquares / (2 * n) - mean * mean, c.expectedVariance, 0.01);
    EXPECT_LE (largest, c.largestOffset);
    EXPECT_GE (smallest, 2.0 * c.expectedMean - c.largestOffset);

    if (c.bits <= 16)
        EXPECT_GT (largest, 1.3) << "the dither reaches close to +1.5 steps";
}

INSTANTIATE_TEST_SUITE_P (Depths, OutputRoundingByDepth, ::testing::ValuesIn (roundingCases), [] (const auto& info)
                          { return "bits" + std::to_string (info.param.bits); });

TEST (OutputRounding, TheSameRenderGetsTheSameDitherAndTheChannelsGetTheirOwn)
{
    juce::AudioBuffer<float> a (2, 1000), b (2, 1000);
    a.clear();
    b.clear();
    OutputRounding (16).apply (a, 1000);
    OutputRounding (16).apply (b, 1000);

    int differentChannels = 0;
    for (int i = 0; i < 1000; ++i)
    {
        ASSERT_EQ (a.getSample (0, i), b.getSample (0, i));
        ASSERT_EQ (a.getSample (1, i), b.getSample (1, i));
        differentChannels += a.getSample (0, i) != a.getSample (1, i) ? 1 : 0;
    }

    EXPECT_GT (differentChannels, 900);
}
