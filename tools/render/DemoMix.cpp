#include "DemoMix.h"

#include <cmath>

juce::AudioBuffer<float> DemoMix::make()
{
    const auto seconds = 6.0;
    const auto n = (int) (seconds * sampleRate);
    juce::AudioBuffer<float> mix (2, n);
    juce::Random random (7);
    constexpr auto twoPi = juce::MathConstants<double>::twoPi;

    for (int i = 0; i < n; ++i)
    {
        const auto t = i / sampleRate;

        // Voice: a vowel-like set of harmonics with a slow vibrato, in the centre.
        const auto f0 = 220.0 * (1.0 + 0.006 * std::sin (twoPi * 5.5 * t));
        double voice = 0.0;
        for (int h = 1; h <= 8; ++h)
            voice += std::sin (twoPi * f0 * h * t) * (h == 3 || h == 4 ? 0.5 : 0.25) / h;
        voice *= 0.35 * (0.6 + 0.4 * std::sin (twoPi * 0.5 * t));

        // A plucked tone every half second, mostly left.
        const auto pluckTime = std::fmod (t, 0.5);
        const auto pluckNote = 330.0 * std::pow (2.0, (double) ((int) (t / 0.5) % 4) / 12.0 * 3.0);
        const auto pluck = 0.3 * std::exp (-6.0 * pluckTime) * (std::sin (twoPi * pluckNote * t) + 0.3 * std::sin (twoPi * 2 * pluckNote * t));

        // A soft pad with a little noise, mostly right.
        const auto pad = 0.12 * (std::sin (twoPi * 440.0 * t) + std::sin (twoPi * 554.37 * t) + std::sin (twoPi * 659.25 * t))
                         + 0.01 * (random.nextDouble() * 2.0 - 1.0);

        // A low bass line in the centre.
        const auto bassNote = (int) (t / 1.5) % 2 == 0 ? 55.0 : 41.2;
        const auto bass = 0.3 * std::sin (twoPi * bassNote * t);

        mix.setSample (0, i, (float) (voice + 0.8 * pluck + 0.25 * pad + bass));
        mix.setSample (1, i, (float) (voice + 0.25 * pluck + 0.8 * pad + bass));
    }

    return mix;
}

std::unique_ptr<juce::AudioFormatReader> DemoMix::createReader()
{
    const auto mix = make();
    juce::MemoryBlock wavData;
    juce::WavAudioFormat wav;

    {
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (new juce::MemoryOutputStream (wavData, false), sampleRate, 2, 32, {}, 0));
        writer->writeFromAudioSampleBuffer (mix, 0, mix.getNumSamples());
    }

    return std::unique_ptr<juce::AudioFormatReader> (wav.createReaderFor (new juce::MemoryInputStream (wavData, true), true));
}
