#include "AudioDataChunk.h"

namespace
{
// A file with more chunks before its audio than this is not worth reading.
constexpr int maxChunks = 4096;

bool isId (const char* bytes, const char* id)
{
    return std::memcmp (bytes, id, 4) == 0;
}

std::optional<juce::int64> findInWav (juce::FileInputStream& in, juce::int64 fileSize, bool isRf64)
{
    std::optional<juce::int64> rf64DataSize;
    juce::int64 position = 12;

    for (int i = 0; i < maxChunks && position + 8 <= fileSize; ++i)
    {
        char id[4];
        if (! in.setPosition (position) || in.read (id, 4) != 4)
            return {};

        const auto size = (juce::int64) (juce::uint32) in.readInt();
        const auto start = position + 8;

        if (isId (id, "ds64") && size >= 16)
        {
            in.readInt64(); // the RIFF size
            rf64DataSize = in.readInt64();
        }
        else if (isId (id, "data"))
        {
            const auto claimed = isRf64 && size == 0xffffffff && rf64DataSize.has_value() ? *rf64DataSize : size;
            return juce::jlimit ((juce::int64) 0, fileSize - start, claimed);
        }

        position = start + size + (size & 1);
    }

    return {};
}

std::optional<juce::int64> findInAiff (juce::FileInputStream& in, juce::int64 fileSize)
{
    juce::int64 position = 12;

    for (int i = 0; i < maxChunks && position + 8 <= fileSize; ++i)
    {
        char id[4];
        if (! in.setPosition (position) || in.read (id, 4) != 4)
            return {};

        const auto size = (juce::int64) (juce::uint32) in.readIntBigEndian();

        if (isId (id, "SSND"))
        {
            // An offset and a block size come before the samples.
            const auto offset = (juce::int64) (juce::uint32) in.readIntBigEndian();
            const auto start = position + 16 + offset;
            return juce::jlimit ((juce::int64) 0, juce::jmax ((juce::int64) 0, fileSize - start), size - 8 - offset);
        }

        position += 8 + size + (size & 1);
    }

    return {};
}
} // namespace

std::optional<juce::int64> AudioDataChunk::findAudioBytes (const juce::File& file)
{
    juce::FileInputStream in (file);
    char header[12];

    if (! in.openedOk() || in.read (header, 12) != 12)
        return {};

    const auto fileSize = in.getTotalLength();

    if ((isId (header, "RIFF") || isId (header, "RF64")) && isId (header + 8, "WAVE"))
        return findInWav (in, fileSize, isId (header, "RF64"));

    if (isId (header, "FORM") && (isId (header + 8, "AIFF") || isId (header + 8, "AIFC")))
        return findInAiff (in, fileSize);

    return {};
}
