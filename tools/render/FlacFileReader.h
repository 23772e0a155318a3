#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <deque>
#include <vector>

/**
    Reads a FLAC stream and says how much of it could really be decoded. The framework's reader puts the
    frames that decode one after another, so a frame lost to damage shifts all that follows, and it fills
    whatever is missing at the end with silence. This one decodes the whole stream once first: each frame
    carries its place in the stream, so a lost or corrupt frame leaves a gap of silence where it was and
    the rest keeps its time, and the length ends with the last frame that decoded. The stream is decoded a
    second time as it is read, front to back, so memory stays the same for any length.
*/
class FlacFileReader : public juce::AudioFormatReader
{
public:
    /** Takes the stream; check isValid() before use. */
    explicit FlacFileReader (juce::InputStream* stream);
    ~FlacFileReader() override;

    /** The stream info was read and at least its header is usable. */
    bool isValid() const noexcept { return valid; }

    /** What the stream info says the stream holds (the decoded length when it does not say). */
    juce::int64 getClaimedFrames() const noexcept { return claimedFrames; }

    /** Frames within the decoded length that could not be decoded (rendered as silence). */
    juce::int64 getDamagedFrames() const noexcept { return damagedFrames; }

    bool readSamples (int* const* destChannels, int numDestChannels, int startOffsetInDestBuffer, juce::int64 startSampleInFile, int numSamples) override;

private:
    /** The library's FLAC__StreamDecoder, whose type cannot be declared ahead. */
    void* decoder = nullptr;
    bool valid = false, scanning = false;
    /** Decoder errors whose frames have not come yet: the library gives a lost or corrupt frame as
        silence of its length. */
    int pendingErrors = 0;
    juce::int64 claimedFrames = 0, damagedFrames = 0;
    unsigned int minBlockSize = 0;

    // While scanning: the end of the last good frame and the frames decoded.
    juce::int64 decodedEnd = 0, decodedFrames = 0;

    // While reading: the frames decoded and not yet passed (a step of the decoder can give more than
    // one after it lost the sync), the end of the last one passed and of the last one taken.
    struct DecodedFrame
    {
        juce::int64 start = 0, length = 0;
        std::vector<std::vector<int>> samples;
    };
    std::deque<DecodedFrame> frames;
    juce::int64 passedEnd = 0, takenEnd = 0;

    bool restart();
    bool decodeNextFrame();
    void takeFrame (juce::int64 start, juce::int64 length, unsigned int channels, unsigned int bits, const int* const* buffer);

    friend struct FlacDecoderCallbacks;
};
