#pragma once

#include <juce_core/juce_core.h>

#include <optional>

/** Finds the samples of an uncompressed file among its chunks, so that only bytes really in the file
    count as audio: a header may claim more than the file holds, and other chunks are never audio. */
class AudioDataChunk
{
public:
    /** Where a WAV's format and samples are. */
    struct WavLayout
    {
        /** -1 for a chunk not found. */
        juce::int64 formatStart = -1, formatSize = 0, dataStart = -1;
        /** The sample bytes that lie within the file, and what the data chunk's size claims. */
        juce::int64 dataBytes = 0, claimedBytes = 0;
        /** The data chunk's size is 0 or 0xFFFFFFFF, as a writer into a pipe leaves it: the samples run to
            the end of the file. */
        bool streaming = false;
        /** The framework's reader would not find the samples where they are (a chunk of odd size without
            its pad byte, data before the format, a RIFF size that ends before the data); the file is
            read through a plain header made for it. */
        bool needsPlainHeader = false;

        bool isComplete() const noexcept { return formatStart >= 0 && dataStart >= 0; }
    };

    /** The chunks of a WAV (RIFF or RF64) where a tolerant reader finds them: walked with the pad byte
        after odd-sized chunks and, when that finds no audio, without it. Nothing when the stream is no WAV. */
    static std::optional<WavLayout> findWav (juce::InputStream&);

    /** Whether the framework's WAV reader would misread the chunks: a chunk other than the audio that
        claims more bytes than the file holds (the reader allocates some, bext or smpl, at the size they
        claim: a few bytes could make it ask for gigabytes), or a second format chunk (the reader takes
        the last one, which the walk here does not). */
    static bool misleadsTheWavReader (juce::InputStream&);

    /** Where an AIFF's format (COMM) and samples are. */
    struct AiffLayout
    {
        juce::int64 formatStart = -1, formatSize = 0, soundStart = -1;
        /** The sample bytes that lie within the file. */
        juce::int64 soundBytes = 0;
    };

    /** The COMM chunk and the samples of an AIFF or AIFF-C; nothing when the stream is neither. */
    static std::optional<AiffLayout> findAiff (juce::InputStream&);
};
