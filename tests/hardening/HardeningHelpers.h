#pragma once

#include "processor/WydenzaAudioProcessor.h"

#include <array>
#include <cmath>

namespace hardening
{
/** The on/off parameters; each is on above 0.5. */
inline const std::array<const char*, 8> switchNames { "Bypass", "SwapLR", "PhaseFlip", "Mono", "MuteAll", "MuteMid", "MuteSide", "SafeBass" };

/** A choice parameter and the number of its exact values 0.0, 0.1, 0.2. */
struct Choice
{
    const char* name;
    int numValues;
};

inline const std::array<Choice, 4> choices { Choice { "PanCurve", 3 }, Choice { "PanLaw", 3 }, Choice { "MsMode", 2 }, Choice { "PanMode", 2 } };

inline int indexOf (WydenzaAudioProcessor& p, const char* name)
{
    return p.getParameterSet().indexOf (name);
}

/** Readies a processor as a host does before the first block. */
inline void prepare (WydenzaAudioProcessor& p, double sampleRate, int blockSize)
{
    p.setRateAndBufferSizeDetails (sampleRate, blockSize);
    p.prepareToPlay (sampleRate, blockSize);
}

/** A stereo signal with different content on each side and some content in the bass. */
inline void fillWithSignal (juce::AudioBuffer<float>& buffer, int startFrame)
{
    for (auto i = 0; i < buffer.getNumSamples(); ++i)
    {
        const auto t = (float) (startFrame + i);
        buffer.setSample (0, i, 0.5f * std::sin (0.013f * t) + 0.2f * std::sin (0.31f * t));
        buffer.setSample (1, i, 0.4f * std::sin (0.017f * t + 1.0f) - 0.3f * std::sin (0.23f * t));
    }
}

inline bool allFinite (const juce::AudioBuffer<float>& buffer)
{
    for (auto c = 0; c < buffer.getNumChannels(); ++c)
        for (auto i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (c, i)))
                return false;

    return true;
}
} // namespace hardening
