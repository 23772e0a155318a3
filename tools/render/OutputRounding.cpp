#include "OutputRounding.h"

OutputRounding::OutputRounding (int bitsPerSample)
    : integer (bitsPerSample < 32), dither (bitsPerSample <= 16)
{
    if (integer)
    {
        step = std::ldexp (1.0f, 1 - bitsPerSample);
        halfStep = 0.5f * step;
    }
}

void OutputRounding::apply (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    if (! integer)
        return;

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);

        for (int i = 0; i < numSamples; ++i)
        {
            auto offset = halfStep;

            if (dither)
                offset += (random.nextFloat() + random.nextFloat() - 1.0f) * step;

            samples[i] += offset;
        }
    }
}
