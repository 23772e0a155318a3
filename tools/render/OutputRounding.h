#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/**
    Readies float samples for one of the framework's integer writers. Those scale to 32 bits and then
    shift down to the file's depth, which truncates; adding half a step first makes it round to the
    nearest step, so a render that changes nothing gives back the input's samples. At 16 bits and below
    TPDF dither is added too: two independent uniform values of +/-0.5 step each. The dither's seed is
    fixed, so the same render writes the same file. Float output (32 bits) is left alone.
*/
class OutputRounding
{
public:
    explicit OutputRounding (int bitsPerSample);

    void apply (juce::AudioBuffer<float>&, int numSamples) noexcept;

    bool dithers() const noexcept { return dither; }

private:
    float step = 0.0f, halfStep = 0.0f;
    bool integer = false, dither = false;
    juce::Random random { 0x57594452 };
};
