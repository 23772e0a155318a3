#pragma once

#include <juce_core/juce_core.h>

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
} // namespace fuzzing
