#include "SourceOpener.h"

#include "AudioDataChunk.h"
#include "FlacFileReader.h"
#include "RenderError.h"
#include "SplicedInputStream.h"

namespace
{
constexpr double longestSeconds = 24.0 * 60.0 * 60.0;
constexpr juce::int64 largestFormatChunk = 1 << 16;

bool startsWith (const char* bytes, const char* id)
{
    return std::memcmp (bytes, id, 4) == 0;
}

juce::String needsStereo (const juce::String& name, int channels)
{
    const auto fileName = name.fromLastOccurrenceOf ("/", false, false);
    if (channels == 1)
        return fileName + " is mono (1 channel); Wydenza needs stereo, 2 channels: a mono file has no stereo image to widen";
    return fileName + " has " + juce::String (channels) + " channels; Wydenza needs stereo, 2 channels (mix it down to stereo first)";
}

/** The name of a WAV encoding the framework's reader does not take, or nothing for one it does. */
std::optional<juce::String> unreadableEncoding (const juce::MemoryBlock& format)
{
    const auto* bytes = static_cast<const juce::uint8*> (format.getData());
    auto tag = (int) juce::ByteOrder::littleEndianShort (bytes);
    const auto bits = (int) juce::ByteOrder::littleEndianShort (bytes + 14);

    // WAVE_FORMAT_EXTENSIBLE: the real tag opens the sub-format's GUID.
    if (tag == 0xfffe && format.getSize() >= 40)
        tag = (int) juce::ByteOrder::littleEndianShort (bytes + 24);

    switch (tag)
    {
        case 1:
            if (bits == 8 || bits == 16 || bits == 24 || bits == 32)
                return {};
            return juce::String (bits) + "-bit integer samples";
        case 3:
            if (bits == 32)
                return {};
            return juce::String (bits) + "-bit float samples";
        case 2:
            return juce::String ("ADPCM samples");
        case 0x11:
            return juce::String ("IMA ADPCM samples");
        case 6:
            return juce::String ("A-law samples");
        case 7:
            return juce::String (juce::CharPointer_UTF8 ("\xc2\xb5-law samples"));
        case 0x55:
            return juce::String ("MP3 data");
        default:
            return "samples in encoding 0x" + juce::String::toHexString (tag).paddedLeft ('0', 4);
    }
}

/** A WAV as the framework reads it: through its own header where the file's layout would mislead it. */
FileRenderer::Source openWav (const juce::String& name, const SourceOpener::StreamSource& streams)
{
    auto in = streams();
    const auto layout = AudioDataChunk::findWav (*in);
    const auto cannotRead = "cannot read " + name + ": ";

    if (! layout.has_value() || layout->formatStart < 0)
        throw RenderError (cannotRead + "a WAV file without a format chunk");

    if (layout->formatSize < 16 || layout->formatSize > largestFormatChunk)
        throw RenderError (cannotRead + "a WAV file with a damaged format chunk");

    juce::MemoryBlock format;
    if (! in->setPosition (layout->formatStart) || in->readIntoMemoryBlock (format, (ssize_t) layout->formatSize) != (size_t) layout->formatSize)
        throw RenderError (cannotRead + "a WAV file with a damaged format chunk");

    // Refused before the framework's reader, which works through every channel a header names.
    if (const auto channels = (int) juce::ByteOrder::littleEndianShort (static_cast<const char*> (format.getData()) + 2); channels != 2)
        throw RenderError (needsStereo (name, channels));

    if (const auto encoding = unreadableEncoding (format))
        throw RenderError (cannotRead + "a WAV file of " + *encoding + ", which the renderer does not read (it reads 8 to 32-bit integer and 32-bit float)");

    if (layout->dataStart < 0)
        throw RenderError (cannotRead + "the audio could not be found (a WAV file without a data chunk)");

    FileRenderer::Source source;
    const auto plainBytes = juce::jmin (layout->dataBytes, (juce::int64) 0xfff00000);

    const auto spliced = layout->needsPlainHeader || AudioDataChunk::misleadsTheWavReader (*in);

    if (spliced)
    {
        juce::MemoryBlock header;
        juce::MemoryOutputStream out (header, false);
        const auto paddedFormat = (juce::uint32) ((format.getSize() + 1) & ~(size_t) 1);
        out.write ("RIFF", 4);
        out.writeInt ((int) (juce::uint32) (4 + 8 + paddedFormat + 8 + plainBytes));
        out.write ("WAVEfmt ", 8);
        out.writeInt ((int) format.getSize());
        out << format;
        if (paddedFormat != format.getSize())
            out.writeByte (0);
        out.write ("data", 4);
        out.writeInt ((int) (juce::uint32) plainBytes);
        out.flush();

        in.reset();
        source.reader.reset (juce::WavAudioFormat().createReaderFor (new SplicedInputStream (header, streams(), layout->dataStart, plainBytes), true));
    }
    else
    {
        in->setPosition (0);
        source.reader.reset (juce::WavAudioFormat().createReaderFor (in.release(), true));
    }

    if (source.reader == nullptr)
        throw RenderError (cannotRead + "a damaged WAV file");

    const auto bytesPerFrame = (juce::int64) source.reader->numChannels * juce::jmax (1, (int) source.reader->bitsPerSample / 8);
    source.reader->lengthInSamples = (spliced ? plainBytes : layout->dataBytes) / bytesPerFrame;
    source.claimedFrames = layout->claimedBytes / bytesPerFrame;
    return source;
}

/** An AIFF through a plain header of its COMM and sound chunks alone: the framework's reader would also
    read every marker, comment and instrument chunk, which any bytes can make enormous. */
FileRenderer::Source openAiff (const juce::String& name, const SourceOpener::StreamSource& streams, const char* formType)
{
    const auto layout = AudioDataChunk::findAiff (*streams());
    const auto cannotRead = "cannot read " + name + ": ";

    if (! layout.has_value() || layout->formatStart < 0 || layout->formatSize < 18 || layout->formatSize > largestFormatChunk)
        throw RenderError (cannotRead + "an AIFF file without a usable format chunk");

    if (layout->soundStart < 0)
        throw RenderError (cannotRead + "the audio could not be found (an AIFF file without a sound chunk)");

    juce::MemoryBlock format;
    {
        auto in = streams();
        if (! in->setPosition (layout->formatStart) || in->readIntoMemoryBlock (format, (ssize_t) layout->formatSize) != (size_t) layout->formatSize)
            throw RenderError (cannotRead + "an AIFF file with a damaged format chunk");
    }

    if (const auto channels = (int) juce::ByteOrder::bigEndianShort (format.getData()); channels != 2)
        throw RenderError (needsStereo (name, channels));

    const auto bits = (int) juce::ByteOrder::bigEndianShort (static_cast<const char*> (format.getData()) + 6);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw RenderError (cannotRead + "an AIFF file of " + juce::String (bits) + "-bit samples, which the renderer does not read (it reads 8, 16, 24 and 32-bit)");

    const auto soundBytes = juce::jmin (layout->soundBytes, (juce::int64) 0xfff00000);
    const auto paddedFormat = (juce::uint32) ((format.getSize() + 1) & ~(size_t) 1);
    juce::MemoryBlock header;
    {
        juce::MemoryOutputStream out (header, false);
        out.write ("FORM", 4);
        out.writeIntBigEndian ((int) (juce::uint32) (4 + 8 + paddedFormat + 16 + soundBytes));
        out.write (formType, 4);
        out.write ("COMM", 4);
        out.writeIntBigEndian ((int) format.getSize());
        out << format;
        if (paddedFormat != format.getSize())
            out.writeByte (0);
        out.write ("SSND", 4);
        out.writeIntBigEndian ((int) (juce::uint32) (8 + soundBytes));
        out.writeIntBigEndian (0);
        out.writeIntBigEndian (0);
    }

    FileRenderer::Source source;
    source.reader.reset (juce::AiffAudioFormat().createReaderFor (new SplicedInputStream (header, streams(), layout->soundStart, soundBytes), true));

    if (source.reader == nullptr)
        throw RenderError (cannotRead + "a damaged AIFF file, or one of an encoding the renderer does not read");

    // The frames the COMM chunk claims, and those the sound chunk really holds.
    source.claimedFrames = juce::jmax ((juce::int64) 0, (juce::int64) (juce::uint32) juce::ByteOrder::bigEndianInt (static_cast<const char*> (format.getData()) + 2));
    const auto bytesPerFrame = (juce::int64) source.reader->numChannels * (bits / 8);
    source.reader->lengthInSamples = juce::jmin (source.claimedFrames, soundBytes / bytesPerFrame);
    return source;
}

FileRenderer::Source openFlac (const juce::String& name, const SourceOpener::StreamSource& streams)
{
    auto reader = std::make_unique<FlacFileReader> (streams().release());

    if (! reader->isValid())
        throw RenderError ("cannot read " + name + ": a FLAC file with a damaged header");

    FileRenderer::Source source;
    source.claimedFrames = reader->getClaimedFrames();
    source.damagedFrames = reader->getDamagedFrames();
    source.reader = std::move (reader);
    return source;
}
} // namespace

FileRenderer::Source SourceOpener::open (const juce::File& file)
{
    const auto name = file.getFullPathName();

    if (file.isDirectory())
        throw RenderError ("cannot read " + name + ": it is a folder");

    if (! file.existsAsFile())
        throw RenderError ("cannot read " + name + ": no such file");

    // Opened once here so that a file that cannot be read says why.
    {
        juce::FileInputStream in (file);
        if (! in.openedOk())
        {
            const auto reason = in.getStatus().getErrorMessage();
            throw RenderError ("cannot read " + name + ": " + reason.substring (0, 1).toLowerCase() + reason.substring (1));
        }
    }

    return open (name, [file]
                 { return std::make_unique<juce::FileInputStream> (file); });
}

FileRenderer::Source SourceOpener::open (const juce::String& name, const StreamSource& streams)
{
    char magic[12] {};
    {
        auto in = streams();
        if (in == nullptr || in->read (magic, 12) < 4)
            throw RenderError ("cannot read " + name + ": not a WAV, FLAC, AIFF or Ogg Vorbis file");
    }

    FileRenderer::Source source;

    if ((startsWith (magic, "RIFF") || startsWith (magic, "RF64")) && startsWith (magic + 8, "WAVE"))
        source = openWav (name, streams);
    else if (startsWith (magic, "RIFX"))
        throw RenderError ("cannot read " + name + ": a big-endian WAV file (RIFX), which the renderer does not read");
    else if (startsWith (magic, "FORM") && (startsWith (magic + 8, "AIFF") || startsWith (magic + 8, "AIFC")))
        source = openAiff (name, streams, startsWith (magic + 8, "AIFC") ? "AIFC" : "AIFF");
    else if (startsWith (magic, "fLaC"))
        source = openFlac (name, streams);
    else if (startsWith (magic, "OggS"))
    {
        source.reader.reset (juce::OggVorbisAudioFormat().createReaderFor (streams().release(), true));
        if (source.reader == nullptr)
            throw RenderError ("cannot read " + name + ": an Ogg file without Vorbis audio, or a damaged one");
        source.reader->lengthInSamples = juce::jmax ((juce::int64) 0, source.reader->lengthInSamples);
        source.claimedFrames = source.reader->lengthInSamples;
        source.isLossy = true;
    }
    else
        throw RenderError ("cannot read " + name + ": not a WAV, FLAC, AIFF or Ogg Vorbis file");

    const auto& reader = *source.reader;
    const auto fileName = name.fromLastOccurrenceOf ("/", false, false);

    if (reader.numChannels != 2)
        throw RenderError (needsStereo (name, (int) reader.numChannels));

    if (! (reader.sampleRate >= 1000.0 && reader.sampleRate <= 1000000.0))
        throw RenderError (fileName + " has an unusable sample rate (" + juce::String (reader.sampleRate) + " Hz)");

    if ((double) reader.lengthInSamples > longestSeconds * reader.sampleRate)
        throw RenderError (fileName + " is longer than 24 hours");

    return source;
}
