#include "AudioDataChunk.h"

namespace
{
// A file with more chunks before its audio than this is not worth reading.
constexpr int maxChunks = 4096;
constexpr juce::int64 streamingSize = 0xffffffff;

bool isId (const char* bytes, const char* id)
{
    return std::memcmp (bytes, id, 4) == 0;
}

struct Walk
{
    juce::int64 formatStart = -1, formatSize = 0, dataStart = -1, dataSize = 0;
    bool dataFirst = false;

    bool isComplete() const noexcept { return formatStart >= 0 && dataStart >= 0; }
};

bool isStreamingSize (juce::int64 size)
{
    return size == streamingSize || size == 0;
}

/** The chunks from the first after the RIFF header, stepping over the pad byte of odd sizes or not. */
Walk walkWav (juce::InputStream& in, juce::int64 fileSize, bool isRf64, bool withPadByte)
{
    Walk walk;
    std::optional<juce::int64> rf64DataSize;
    juce::int64 position = 12;

    for (int i = 0; i < maxChunks && position + 8 <= fileSize; ++i)
    {
        char id[4];
        if (! in.setPosition (position) || in.read (id, 4) != 4)
            break;

        const auto size = (juce::int64) (juce::uint32) in.readInt();
        const auto start = position + 8;

        if (isId (id, "ds64") && size >= 16)
        {
            in.readInt64(); // the RIFF size
            rf64DataSize = in.readInt64();
        }
        else if (isId (id, "fmt ") && walk.formatStart < 0)
        {
            walk.formatStart = start;
            walk.formatSize = size;
        }
        else if (isId (id, "data") && walk.dataStart < 0)
        {
            walk.dataStart = start;
            walk.dataSize = isRf64 && size == streamingSize && rf64DataSize.has_value() ? juce::jmax ((juce::int64) 0, *rf64DataSize) : size;
            walk.dataFirst = walk.formatStart < 0;

            // Nothing can be found beyond data whose size is unknown.
            if (walk.formatStart >= 0 || (isStreamingSize (size) && ! isRf64))
                break;
        }

        position = start + size + (withPadByte ? (size & 1) : 0);
    }

    return walk;
}

/** Whether the bytes at a position look like a chunk's header (four printable characters and a size
    that fits), rather than samples. */
bool looksLikeChunk (juce::InputStream& in, juce::int64 position, juce::int64 fileSize)
{
    char id[4];
    if (position + 8 > fileSize || ! in.setPosition (position) || in.read (id, 4) != 4)
        return false;

    for (auto c : id)
        if (c < 0x20 || c > 0x7e)
            return false;

    return position + 8 + (juce::int64) (juce::uint32) in.readInt() <= fileSize;
}
} // namespace

std::optional<AudioDataChunk::WavLayout> AudioDataChunk::findWav (juce::InputStream& in)
{
    char header[12];
    if (! in.setPosition (0) || in.read (header, 12) != 12)
        return {};

    const auto isRf64 = isId (header, "RF64");
    if (! (isId (header, "RIFF") || isRf64) || ! isId (header + 8, "WAVE"))
        return {};

    const auto fileSize = in.getTotalLength();
    const auto riffEnd = 8 + (juce::int64) juce::ByteOrder::littleEndianInt (header + 4);
    WavLayout layout;

    auto walk = walkWav (in, fileSize, isRf64, true);

    if (! walk.isComplete() || walk.dataFirst)
    {
        layout.needsPlainHeader = true;

        // Some writers leave out the pad byte after a chunk of odd size.
        if (const auto withoutPad = walkWav (in, fileSize, isRf64, false); ! walk.isComplete() && withoutPad.isComplete())
            walk = withoutPad;
    }

    layout.formatStart = walk.formatStart;
    layout.formatSize = walk.formatSize;
    layout.dataStart = walk.dataStart;

    if (walk.dataStart < 0)
        return layout;

    const auto inFile = juce::jmax ((juce::int64) 0, fileSize - walk.dataStart);
    layout.streaming = ! isRf64 && (walk.dataSize == streamingSize || (walk.dataSize == 0 && inFile > 0 && ! looksLikeChunk (in, walk.dataStart, fileSize)));
    layout.claimedBytes = layout.streaming ? inFile : walk.dataSize;
    layout.dataBytes = juce::jmin (layout.claimedBytes, inFile);

    // The framework's reader stops at the end the RIFF size gives, and reads a streaming size as it is.
    if (layout.streaming || (! isRf64 && walk.dataStart - 8 >= riffEnd))
        layout.needsPlainHeader = true;

    return layout;
}

bool AudioDataChunk::misleadsTheWavReader (juce::InputStream& in)
{
    const auto fileSize = in.getTotalLength();
    juce::int64 position = 12;
    int formatChunks = 0;

    for (int i = 0; i < maxChunks && position + 8 <= fileSize; ++i)
    {
        char id[4];
        if (! in.setPosition (position) || in.read (id, 4) != 4)
            return false;

        const auto size = (juce::int64) (juce::uint32) in.readInt();
        const auto isAudio = isId (id, "data");
        const auto beyondTheEnd = position + 8 + size > fileSize;

        if ((isId (id, "fmt ") && ++formatChunks > 1) || (! isAudio && beyondTheEnd))
            return true;

        // The audio's size may be a placeholder (streaming, RF64): nothing after it is walked.
        if (isAudio && beyondTheEnd)
            return false;

        position += 8 + size + (size & 1);
    }

    return false;
}

std::optional<AudioDataChunk::AiffLayout> AudioDataChunk::findAiff (juce::InputStream& in)
{
    char header[12];
    if (! in.setPosition (0) || in.read (header, 12) != 12 || ! isId (header, "FORM") || ! (isId (header + 8, "AIFF") || isId (header + 8, "AIFC")))
        return {};

    const auto fileSize = in.getTotalLength();
    juce::int64 position = 12;
    AiffLayout layout;

    for (int i = 0; i < maxChunks && position + 8 <= fileSize && (layout.formatStart < 0 || layout.soundStart < 0); ++i)
    {
        char id[4];
        if (! in.setPosition (position) || in.read (id, 4) != 4)
            break;

        const auto size = (juce::int64) (juce::uint32) in.readIntBigEndian();

        if (isId (id, "COMM") && layout.formatStart < 0)
        {
            layout.formatStart = position + 8;
            layout.formatSize = size;
        }
        else if (isId (id, "SSND") && layout.soundStart < 0)
        {
            // An offset and a block size come before the samples.
            const auto offset = (juce::int64) (juce::uint32) in.readIntBigEndian();
            layout.soundStart = position + 16 + offset;
            layout.soundBytes = juce::jlimit ((juce::int64) 0, juce::jmax ((juce::int64) 0, fileSize - layout.soundStart), size - 8 - offset);
        }

        position += 8 + size + (size & 1);
    }

    return layout;
}
