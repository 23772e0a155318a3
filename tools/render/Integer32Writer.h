#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

/**
    Writes stereo 32-bit integer WAV or AIFF, which the framework's writers cannot (they take 32 bits as
    float for WAV and do not offer them for AIFF). Takes the samples through write() as 32-bit integers and
    completes the header when destroyed; the stream must be able to seek back to its start.
*/
class Integer32Writer : public juce::AudioFormatWriter
{
public:
    enum class Container
    {
        wav,
        aiff
    };

    /** Takes ownership of the stream. */
    Integer32Writer (juce::OutputStream*, double sampleRate, Container);
    ~Integer32Writer() override;

    bool write (const int** samples, int numSamples) override;

private:
    void writeHeader();

    Container container;
    juce::int64 framesWritten = 0;
    bool failed = false;
    juce::HeapBlock<char> scratch;
    size_t scratchSize = 0;
};
