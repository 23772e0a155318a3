#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** Finds the samples of an uncompressed file among its chunks, so that only bytes really in the file
    count as audio: a header may claim more than the file holds, and other chunks are never audio. */
class AudioDataChunk
{
public:
    /** The bytes of a WAV (RIFF or RF64) data chunk or an AIFF sound chunk that lie within the file;
        nothing when the file is neither or holds no such chunk. */
    static std::optional<juce::int64> findAudioBytes (const juce::File&);
};
