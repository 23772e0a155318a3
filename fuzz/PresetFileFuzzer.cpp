// The preset file reader on any bytes: plain files, compressed bodies built from the input, and raw bytes
// behind the compressed header. A tree that reads back must survive a write and a second read unchanged.
#include "FuzzHelpers.h"
#include "presets/PresetFile.h"

#include <cstdint>
#include <cstring>

namespace
{
fuzzing::ScratchHome& scratch()
{
    static fuzzing::ScratchHome home;
    return home;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    const auto file = scratch().folder.getChildFile ("input.q7p");
    const auto mode = data[0] % 3;
    const auto* body = data + 1;
    const auto bodySize = size - 1;

    juce::MemoryBlock bytes;
    {
        juce::MemoryOutputStream out (bytes, false);

        if (mode == 0)
        {
            // The bytes are the whole file.
            out.write (body, bodySize);
        }
        else
        {
            // The compressed header, then either the bytes zlib-compressed (so the reader's XML side sees
            // them) or the bytes as a corrupt compressed stream.
            out.write (PresetFile::headerMagic, std::strlen (PresetFile::headerMagic));
            out.writeByte ('c');
            out.writeByte (0);

            if (mode == 1)
            {
                juce::GZIPCompressorOutputStream zipped (out, 1);
                zipped.write (body, bodySize);
                zipped.flush();
            }
            else
            {
                out.write (body, bodySize);
            }
        }
    }

    fuzzing::check (file.replaceWithData (bytes.getData(), bytes.getSize()), "scratch file written");

    const auto tree = PresetFile::read (file);

    if (tree.isValid())
    {
        const auto copy = scratch().folder.getChildFile ("copy.q7p");
        fuzzing::check (PresetFile::write (tree, copy, mode != 0), "a tree that was read can be written");
        const auto again = PresetFile::read (copy);
        fuzzing::check (again.isValid(), "a written tree reads back");

        if (! again.isEquivalentTo (tree))
        {
            std::fprintf (stderr, "read:\n%s\nwritten and read again:\n%s\n", tree.toXmlString().toRawUTF8(), again.toXmlString().toRawUTF8());
            fuzzing::fail ("a written tree reads back unchanged");
        }
    }

    return 0;
}
