#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/** A few seconds of a small stereo mix to render when no file is given: a centred voice-like tone, two
    instruments apart and a bass. */
class DemoMix
{
public:
    static constexpr double sampleRate = 48000.0;

    static juce::AudioBuffer<float> make();

    /** The mix as a 32-bit float source, read like any file. */
    static std::unique_ptr<juce::AudioFormatReader> createReader();
};
