#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzing
{
/** A throw-away home for the process, so that settings and presets never land in the user's. */
inline juce::File makeScratchHome()
{
    const auto shm = juce::File ("/dev/shm");
    const auto base = shm.isDirectory() ? shm : juce::File::getSpecialLocation (juce::File::tempDirectory);
    auto home = base.getNonexistentChildFile ("wydenza-fuzz", "", false);
    home.createDirectory();
    ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    ::setenv ("XDG_CONFIG_HOME", home.getChildFile (".config").getFullPathName().toRawUTF8(), 1);
    return home;
}

/** Removes the scratch home when the process ends normally. */
struct ScratchHome
{
    ScratchHome() : folder (makeScratchHome()) {}
    ~ScratchHome() { folder.deleteRecursively(); }
    const juce::File folder;
};

/** A broken property: the fuzzer reports it as a crash with this message. */
[[noreturn]] inline void fail (const char* what)
{
    std::fprintf (stderr, "property failed: %s\n", what);
    std::abort();
}

inline void check (bool condition, const char* what)
{
    if (! condition)
        fail (what);
}
/** A state chunk from a fuzz input: the first byte's low bit puts the chunk header in front of the rest,
    so that the XML reader sees it; otherwise the rest is the whole chunk. The input holds at least a byte.
*/
inline juce::MemoryBlock chunkFromInput (const uint8_t* data, size_t size)
{
    juce::MemoryBlock chunk;

    if ((data[0] & 1) != 0)
    {
        juce::MemoryOutputStream out (chunk, false);
        out.writeInt (0x21324356);
        out.writeInt ((int) size - 1);
        out.write (data + 1, size - 1);
    }
    else
    {
        chunk.append (data + 1, size - 1);
    }

    return chunk;
}
} // namespace fuzzing
