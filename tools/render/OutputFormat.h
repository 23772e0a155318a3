#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <optional>

/** Which format and sample depth a render writes. The writers take 32 bits as 32-bit float. */
class OutputFormat
{
public:
    /** The format for a file's extension (.wav, .flac, .aif or .aiff, in any case), or nullptr. */
    static juce::AudioFormat* forFile (const juce::File&, juce::AudioFormatManager&);

    /** The extension for a --format name (wav, flac or aiff, in any case), or an empty string. */
    static juce::String extensionForName (const juce::String& name);

    /** 16, 24 or 32 for "16", "24" or "32f"; nothing for anything else. */
    static std::optional<int> parseBitDepth (const juce::String& text);

    /** The requested depth when the format holds it, else the source's where it can, else the depth
        nearest to it (the deeper one on a tie). Throws RenderError when the request cannot be held. */
    static int chooseBitDepth (juce::AudioFormat&, int sourceBits, std::optional<int> requested);

    /** "16-bit", "32-bit float" */
    static juce::String describeBitDepth (int bits);

    static constexpr const char* acceptedExtensions = ".wav, .flac, .aif or .aiff";
};
