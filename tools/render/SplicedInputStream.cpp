#include "SplicedInputStream.h"

SplicedInputStream::SplicedInputStream (juce::MemoryBlock h, std::unique_ptr<juce::InputStream> s, juce::int64 start, juce::int64 length)
    : header (std::move (h)), source (std::move (s)), sourceStart (start), sourceLength (length)
{
}

juce::int64 SplicedInputStream::getTotalLength()
{
    return (juce::int64) header.getSize() + sourceLength;
}

bool SplicedInputStream::isExhausted()
{
    return position >= getTotalLength();
}

juce::int64 SplicedInputStream::getPosition()
{
    return position;
}

bool SplicedInputStream::setPosition (juce::int64 newPosition)
{
    position = juce::jlimit ((juce::int64) 0, getTotalLength(), newPosition);
    return true;
}

int SplicedInputStream::read (void* destBuffer, int maxBytesToRead)
{
    auto* dest = static_cast<char*> (destBuffer);
    int done = 0;
    const auto headerSize = (juce::int64) header.getSize();

    if (position < headerSize && maxBytesToRead > 0)
    {
        const auto n = (int) juce::jmin ((juce::int64) maxBytesToRead, headerSize - position);
        std::memcpy (dest, static_cast<const char*> (header.getData()) + position, (size_t) n);
        done += n;
        position += n;
    }

    const auto wanted = (int) juce::jmin ((juce::int64) (maxBytesToRead - done), getTotalLength() - position);

    if (wanted > 0 && source->setPosition (sourceStart + position - headerSize))
    {
        const auto got = juce::jmax (0, source->read (dest + done, wanted));
        done += got;
        position += got;
    }

    return done;
}
