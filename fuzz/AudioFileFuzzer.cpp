// A render's input on any bytes, from memory: format detection by content, the WAV chunk walk with its
// plain-header splice, the framework's WAV and AIFF readers, the FLAC reader that counts damage, and the
// length checks. What opens must keep its promises: a length within what the header claims, damage
// within the length, and every frame readable.
#include "FuzzHelpers.h"
#include "RenderError.h"
#include "SourceOpener.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    const auto streams = [data, size]
    { return std::make_unique<juce::MemoryInputStream> (data, size, false); };

    FileRenderer::Source source;

    try
    {
        source = SourceOpener::open ("input", streams);
    }
    catch (const RenderError& error)
    {
        fuzzing::check (error.getReason().isNotEmpty(), "a refusal gives a reason");
        return 0;
    }

    auto& reader = *source.reader;
    fuzzing::check (reader.numChannels == 2 && reader.sampleRate >= 1000.0, "an opened source is stereo at a usable rate");
    fuzzing::check (reader.lengthInSamples >= 0 && reader.lengthInSamples <= source.claimedFrames, "the length lies within the claim");
    fuzzing::check (source.damagedFrames >= 0 && source.damagedFrames <= reader.lengthInSamples, "damage lies within the length");

    // A few bytes of FLAC can describe millions of frames: the start and the end are read, in blocks as a
    // render reads them.
    constexpr int blockSize = 512;
    constexpr juce::int64 framesRead = 8 * blockSize;
    juce::AudioBuffer<float> block (2, blockSize);

    for (const auto from : { (juce::int64) 0, juce::jmax ((juce::int64) 0, reader.lengthInSamples - framesRead) })
        for (auto start = from; start < juce::jmin (reader.lengthInSamples, from + framesRead); start += blockSize)
        {
            const auto num = (int) juce::jmin ((juce::int64) blockSize, reader.lengthInSamples - start);
            fuzzing::check (reader.read (&block, 0, num, start, true, true), "every frame within the length reads");
        }

    return 0;
}
