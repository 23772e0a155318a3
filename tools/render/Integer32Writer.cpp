#include "Integer32Writer.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr int channels = 2, bytesPerFrame = 8;

juce::String containerName (Integer32Writer::Container container)
{
    return container == Integer32Writer::Container::wav ? "WAV file" : "AIFF file";
}

/** AIFF's sample rate: an 80-bit IEEE extended number. */
void writeExtended (juce::OutputStream& out, double value)
{
    int exponent = 0;
    const auto fraction = std::frexp (value, &exponent);
    out.writeShortBigEndian ((short) (value > 0.0 ? 16383 + exponent - 1 : 0));
    out.writeInt64BigEndian ((juce::int64) (juce::uint64) std::ldexp (fraction, 64));
}
} // namespace

Integer32Writer::Integer32Writer (juce::OutputStream* out, double rate, Container c)
    : juce::AudioFormatWriter (out, containerName (c), rate, (unsigned int) channels, 32), container (c)
{
    writeHeader();
}

Integer32Writer::~Integer32Writer()
{
    if (output != nullptr && output->setPosition (0))
        writeHeader();
}

bool Integer32Writer::write (const int** samples, int numSamples)
{
    if (failed)
        return false;

    const auto bytes = (size_t) numSamples * bytesPerFrame;
    if (bytes > scratchSize)
    {
        scratch.realloc (bytes);
        scratchSize = bytes;
    }

    auto* data = scratch.get();
    for (int i = 0; i < numSamples; ++i)
        for (int channel = 0; channel < channels; ++channel, data += 4)
        {
            const auto value = (juce::uint32) samples[channel][i];
            const auto stored = container == Container::wav ? juce::ByteOrder::swapIfBigEndian (value) : juce::ByteOrder::swapIfLittleEndian (value);
            std::memcpy (data, &stored, 4);
        }

    // The sizes are unsigned 32-bit fields: stop before they overflow.
    if (framesWritten + numSamples > (juce::int64) 0xfff00000 / bytesPerFrame || ! output->write (scratch.get(), bytes))
    {
        failed = true;
        return false;
    }

    framesWritten += numSamples;
    return true;
}

void Integer32Writer::writeHeader()
{
    const auto dataBytes = (juce::uint32) (framesWritten * bytesPerFrame);
    auto& out = *output;

    if (container == Container::wav)
    {
        // WAVE_FORMAT_EXTENSIBLE, as a WAV with more than 16 bits per sample should be.
        out.write ("RIFF", 4);
        out.writeInt ((int) (4 + 8 + 40 + 8 + dataBytes));
        out.write ("WAVEfmt ", 8);
        out.writeInt (40);
        out.writeShort ((short) (juce::uint16) 0xfffe);
        out.writeShort (channels);
        out.writeInt ((int) sampleRate);
        out.writeInt ((int) (sampleRate * bytesPerFrame));
        out.writeShort (bytesPerFrame);
        out.writeShort (32);
        out.writeShort (22);
        out.writeShort (32);
        out.writeInt (3); // front left and right
        const juce::uint8 pcmSubFormat[] = { 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };
        out.write (pcmSubFormat, sizeof (pcmSubFormat));
        out.write ("data", 4);
        out.writeInt ((int) dataBytes);
    }
    else
    {
        out.write ("FORM", 4);
        out.writeIntBigEndian ((int) (4 + 8 + 18 + 8 + 8 + dataBytes));
        out.write ("AIFFCOMM", 8);
        out.writeIntBigEndian (18);
        out.writeShortBigEndian (channels);
        out.writeIntBigEndian ((int) framesWritten);
        out.writeShortBigEndian (32);
        writeExtended (out, sampleRate);
        out.write ("SSND", 4);
        out.writeIntBigEndian ((int) (8 + dataBytes));
        out.writeIntBigEndian (0);
        out.writeIntBigEndian (0);
    }
}
