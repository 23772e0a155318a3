#include "OutputRounding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct RoundingCase
{
    int bits;
    double expectedVariance; // of the error, in steps squared
    double largestError; // in steps
    double amplitude; // of the noise rounded: fine enough that the float input is not on a coarser grid
};

void PrintTo (const RoundingCase& c, std::ostream* out)
{
    *out << c.bits << " bits";
}

class OutputRoundingByDepth : public ::testing::TestWithParam<RoundingCase>
{
};

// Plain rounding leaves an error of 1/12 step squared; TPDF dither of +/-1 step adds 1/6.
const RoundingCase roundingCases[] = {
    { 8, 0.25, 1.5, 0.9 },
    { 16, 0.25, 1.5, 0.9 },
    { 24, 1.0 / 12.0, 0.5, 0.009 },
    { 32, 1.0 / 12.0, 0.5, 1.0e-4 },
};

struct Rounded
{
    juce::AudioBuffer<float> input;
    std::vector<int> left, right;
};

/** Every fourth sample lies on the depth's grid, the others anywhere between. */
Rounded roundNoise (int bits, int n, double amplitude)
{
    Rounded r { juce::AudioBuffer<float> (2, n), std::vector<int> ((size_t) n), std::vector<int> ((size_t) n) };
    juce::Random random (1);
    const auto steps = std::ldexp (1.0, bits - 1);

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < n; ++i)
        {
            const auto x = amplitude * (2.0 * random.nextDouble() - 1.0);
            r.input.setSample (channel, i, (float) (i % 4 == 0 ? std::round (x * steps) / steps : x));
        }

    auto copy = r.input;
    int* integers[] = { r.left.data(), r.right.data() };
    OutputRounding (OutputFormat::Depth { bits, false }).apply (copy, n, integers);
    return r;
}
} // namespace

TEST_P (OutputRoundingByDepth, KeepsSamplesOnTheGridAndDithersTheOthersAtSixteenBitsAndBelow)
{
    const auto& c = GetParam();
    const auto steps = std::ldexp (1.0, c.bits - 1), alignment = std::ldexp (1.0, 32 - c.bits);
    constexpr int n = 100000;
    const auto r = roundNoise (c.bits, n, c.amplitude);
    EXPECT_EQ (OutputRounding (OutputFormat::Depth { c.bits, false }).dithers(), c.bits <= 16);

    double sum = 0.0, sumOfSquares = 0.0, largest = 0.0;
    int offGrid = 0;
    for (int i = 0; i < n; ++i)
    {
        const auto written = r.left[(size_t) i] / alignment, wanted = r.input.getSample (0, i) * steps;

        if (i % 4 == 0)
        {
            ASSERT_EQ (written, wanted) << "a sample on the grid is written as it is, at " << i;
            continue;
        }

        const auto error = written - wanted;
        ++offGrid;
        sum += error;
        sumOfSquares += error * error;
        largest = std::max (largest, std::abs (error));
    }

    EXPECT_NEAR (sum / offGrid, 0.0, 0.01);
    EXPECT_NEAR (sumOfSquares / offGrid, c.expectedVariance, 0.01);
    EXPECT_LE (largest, c.largestError);

    if (c.bits <= 16)
        EXPECT_GT (largest, 1.3) << "the dither reaches close to 1.5 steps";
}

INSTANTIATE_TEST_SUITE_P (Depths, OutputRoundingByDepth, ::testing::ValuesIn (roundingCases), [] (const auto& info)
                          { return "bits" + std::to_string (info.param.bits); });

TEST (OutputRounding, TheSameRenderGetsTheSameDitherAndTheChannelsGetTheirOwn)
{
    const auto a = roundNoise (16, 1000, 0.9), b = roundNoise (16, 1000, 0.9);
    EXPECT_EQ (a.left, b.left);
    EXPECT_EQ (a.right, b.right);

    // Half a step in both channels: each goes up or down by chance, on its own.
    juce::AudioBuffer<float> same (2, 1000);
    for (int channel = 0; channel < 2; ++channel)
        juce::FloatVectorOperations::fill (same.getWritePointer (channel), std::ldexp (1.0f, -16), 1000);
    std::vector<int> left (1000), right (1000);
    int* integers[] = { left.data(), right.data() };
    OutputRounding (OutputFormat::Depth { 16, false }).apply (same, 1000, integers);

    int differentChannels = 0;
    for (int i = 0; i < 1000; ++i)
        differentChannels += left[(size_t) i] != right[(size_t) i] ? 1 : 0;
    EXPECT_GT (differentChannels, 400);
}

TEST (OutputRounding, FloatIsKeptAndNonFiniteSamplesBecomeSilence)
{
    juce::AudioBuffer<float> block (2, 4);
    const float left[] = { 0.25f, 1.5f, std::numeric_limits<float>::quiet_NaN(), -1.0f };
    const float right[] = { -2.0f, std::numeric_limits<float>::infinity(), 1e-3f, 1.0f };
    block.copyFrom (0, 0, left, 4);
    block.copyFrom (1, 0, right, 4);

    OutputRounding rounding (OutputFormat::float32);
    rounding.apply (block, 4, nullptr);

    const float expectedLeft[] = { 0.25f, 1.5f, 0.0f, -1.0f }, expectedRight[] = { -2.0f, 0.0f, 1e-3f, 1.0f };
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ (block.getSample (0, i), expectedLeft[i]);
        EXPECT_EQ (block.getSample (1, i), expectedRight[i]);
    }

    EXPECT_EQ (rounding.getNonFinite(), (std::array<juce::int64, 2> { 1, 1 }));
    EXPECT_EQ (rounding.getClipped(), (std::array<juce::int64, 2> { 1, 1 })) << "beyond full scale";
}
