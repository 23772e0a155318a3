#include "OutputRounding.h"

#include <cmath>

OutputRounding::OutputRounding (OutputFormat::Depth depth)
    : integer (! depth.isFloat), dither (! depth.isFloat && depth.bits <= 16)
{
    if (integer)
    {
        stepsPerUnit = std::ldexp (1.0, depth.bits - 1);
        lowest = -stepsPerUnit;
        highest = stepsPerUnit - 1.0;
        alignment = std::ldexp (1.0, 32 - depth.bits);
    }
}

void OutputRounding::apply (juce::AudioBuffer<float>& block, int numSamples, int* const* integers) noexcept
{
    for (int channel = 0; channel < juce::jmin (2, block.getNumChannels()); ++channel)
    {
        auto* samples = block.getWritePointer (channel);

        for (int i = 0; i < numSamples; ++i)
        {
            // Drawn for every sample, in the same order as ever, so the dither of real processing repeats.
            const auto offset = dither ? (double) (random.nextFloat() + random.nextFloat() - 1.0f) : 0.0;

            if (! std::isfinite (samples[i]))
            {
                ++nonFinite[(size_t) channel];
                samples[i] = 0.0f;
            }

            if (! integer)
            {
                clipped[(size_t) channel] += std::abs (samples[i]) > 1.0f ? 1 : 0;
                continue;
            }

            const auto steps = (double) samples[i] * stepsPerUnit;
            auto rounded = steps == std::floor (steps) ? steps : std::floor (steps + 0.5 + offset);

            if (rounded < lowest || rounded > highest)
            {
                ++clipped[(size_t) channel];
                rounded = juce::jlimit (lowest, highest, rounded);
            }

            integers[channel][i] = (int) (rounded * alignment);
        }
    }
}
