#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** A header made in memory followed by a range of another stream: gives a reader a plain file where the
    original's layout is one the reader cannot follow. */
class SplicedInputStream : public juce::InputStream
{
public:
    SplicedInputStream (juce::MemoryBlock header, std::unique_ptr<juce::InputStream> source, juce::int64 sourceStart, juce::int64 sourceLength);

    juce::int64 getTotalLength() override;
    bool isExhausted() override;
    int read (void* destBuffer, int maxBytesToRead) override;
    juce::int64 getPosition() override;
    bool setPosition (juce::int64 newPosition) override;

private:
    juce::MemoryBlock header;
    std::unique_ptr<juce::InputStream> source;
    juce::int64 sourceStart, sourceLength, position = 0;
};
