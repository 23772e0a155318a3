#include "PresetFile.h"

#include "BoundedXml.h"

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
#include <sys/stat.h>
#endif

namespace
{
enum class ReadUntil
{
    zeroByte,
    end
};

/** Reads bytes up to the first zero byte (or only to the end of the stream); false when more than
    maxBytes come first.
*/
bool readBounded (juce::InputStream& in, juce::MemoryBlock& dest, juce::int64 maxBytes, ReadUntil until)
{
    dest.reset();
    char buffer[4096];

    for (;;)
    {
        const auto numRead = in.read (buffer, (int) sizeof (buffer));

        if (numRead <= 0)
            return true;

        const auto length = until == ReadUntil::zeroByte ? BoundedXml::lengthUpToZero (buffer, (size_t) numRead)
                                                         : (size_t) numRead;

        if ((juce::int64) (dest.getSize() + length) > maxBytes)
            return false;

        dest.append (buffer, length);

        if (length < (size_t) numRead)
            return true;
    }
}

juce::uint32 adler32 (const void* data, size_t numBytes) noexcept
{
    constexpr juce::uint32 modulus = 65521;
    juce::uint32 a = 1, b = 0;
    const auto* bytes = static_cast<const juce::uint8*> (data);

    for (size_t i = 0; i < numBytes; ++i)
    {
        a = (a + bytes[i]) % modulus;
        b = (b + a) % modulus;
    }

    return (b << 16) | a;
}

/** True when the file ends with the zlib stream's checksum of the decompressed bytes. The decompressor
    reports a damaged or missing checksum only as the end of the data, so it is checked here: a cut or
    damaged file must not load, even when the text it still yields happens to be whole.
*/
bool endsWithChecksumOf (const juce::MemoryBlock& file, const juce::MemoryBlock& decompressed)
{
    if (file.getSize() < 4)
        return false;

    const auto* stored = static_cast<const juce::uint8*> (file.getData()) + file.getSize() - 4;
    const auto expected = (juce::uint32) stored[0] << 24 | (juce::uint32) stored[1] << 16
                          | (juce::uint32) stored[2] << 8 | (juce::uint32) stored[3];
    return expected == adler32 (decompressed.getData(), decompressed.getSize());
}

/** Reads the header byte by byte so that the stream is left at the first byte of the body. */
bool readHeader (juce::InputStream& in, juce::MemoryBlock& dest, juce::int64 maxBytes)
{
    dest.reset();
    juce::MemoryOutputStream out (dest, false);

    for (;;)
    {
        char c = 0;

        if (in.read (&c, 1) != 1 || c == 0)
            return true;

        if ((juce::int64) out.getDataSize() >= maxBytes)
            return false;

        out.writeByte (c);
    }
}
} // namespace

bool PresetFile::isRegularFile (const juce::File& file)
{
#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
    struct stat info;
    return ::stat (file.getFullPathName().toRawUTF8(), &info) == 0 && S_ISREG (info.st_mode);
#else
    return file.existsAsFile();
#endif
}

juce::ValueTree PresetFile::read (const juce::File& file)
{
    if (! isRegularFile (file) || file.getSize() > maxFileBytes)
        return {};

    juce::MemoryBlock bytes;

    {
        // Everything is read through the one opened file: by the time its length is asked for, its name may
        // belong to another file that a save renamed into place.
        juce::FileInputStream fileStream (file);

        if (! fileStream.openedOk() || ! readBounded (fileStream, bytes, maxFileBytes, ReadUntil::end))
            return {};
    }

    juce::MemoryInputStream in (bytes, false);
    juce::MemoryBlock headerBytes;

    if (! readHeader (in, headerBytes, maxFileBytes))
        return {};

    const auto* headerData = static_cast<const char*> (headerBytes.getData());

    if (! BoundedXml::isValidUtf8 (headerData, headerBytes.getSize()))
        return {};

    const auto header = juce::String::fromUTF8 (headerData, (int) headerBytes.getSize());

    if (! header.startsWith (headerMagic))
        return {};

    juce::MemoryBlock body;
    bool bodyFits = false;

    if (header.endsWithChar ('c'))
    {
        juce::GZIPDecompressorInputStream unzipped (&in, false, juce::GZIPDecompressorInputStream::zlibFormat);
        bodyFits = readBounded (unzipped, body, maxBodyBytes, ReadUntil::end)
                   && endsWithChecksumOf (bytes, body);
        body.setSize (BoundedXml::lengthUpToZero (static_cast<const char*> (body.getData()), body.getSize()));
    }
    else
    {
        bodyFits = readBounded (in, body, maxBodyBytes, ReadUntil::zeroByte);
    }

    if (! bodyFits)
        return {};

    if (auto xml = BoundedXml::parse (static_cast<const char*> (body.getData()), body.getSize()))
        return juce::ValueTree::fromXml (*xml);

    return {};
}

bool PresetFile::write (const juce::ValueTree& tree, const juce::File& target, bool compress)
{
    if (! tree.isValid() || target == juce::File() || target.isDirectory())
        return false;

    const auto text = tree.toXmlString();
    juce::TemporaryFile temporary (target);

    {
        juce::FileOutputStream out (temporary.getFile());

        if (! out.openedOk())
            return false;

        auto header = juce::String (headerMagic);

        if (compress)
            header << "c";

        bool ok = out.writeString (header);

        if (compress)
        {
            juce::GZIPCompressorOutputStream zipped (out, 9);
            ok = zipped.writeString (text) && ok;
            zipped.flush();
        }
        else
        {
            ok = out.writeString (text) && ok;
        }

        out.flush();

        if (! ok || out.getStatus().failed())
            return false;
    }

    return temporary.overwriteTargetFileWithTemporary();
}
