#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** Reads and writes ".q7p" preset files: the header "ZELVORA Preset File:::::", an optional "c" that marks a
    zlib-compressed body, a zero byte, then the preset tree's XML document as zero-terminated UTF-8 text.
*/
class PresetFile
{
public:
    static constexpr const char* headerMagic = "ZELVORA Preset File:::::";
    static constexpr const char* fileExtension = ".q7p";

    /** Larger files are not presets; this keeps a scan of a folder cheap and bounded. */
    static constexpr juce::int64 maxFileBytes = 1024 * 1024;
    /** A body that decompresses beyond this is not a preset. */
    static constexpr juce::int64 maxBodyBytes = 4 * 1024 * 1024;

    /** The preset tree held by the file, or an invalid tree when the file cannot be read or is not a preset
        (wrong header, too large, truncated or corrupt compressed data, text that is not UTF-8 or not XML).
    */
    static juce::ValueTree read (const juce::File& file);

    /** Writes the tree to a temporary file beside the target and moves it over the target. Returns true when
        the file was written and moved into place; on failure an existing target is left untouched.
    */
    static bool write (const juce::ValueTree& tree, const juce::File& target, bool compress);

    /** True for a plain file that can be opened without blocking (not a folder, pipe or device). */
    static bool isRegularFile (const juce::File& file);

private:
    PresetFile() = delete;
};
