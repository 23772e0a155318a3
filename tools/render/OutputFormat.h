#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <optional>

/** Which format and sample depth a render writes. */
class OutputFormat
{
public:
    /** A sample depth: 8 to 32-bit integer, or 32-bit float. */
    struct Depth
    {
        int bits = 24;
        bool isFloat = false;

        bool operator== (const Depth& other) const noexcept { return bits == other.bits && isFloat == other.isFloat; }
        bool operator!= (const Depth& other) const noexcept { return ! operator== (other); }
    };

    static constexpr Depth float32 { 32, true };

    /** The format for a file's extension (.wav, .flac, .aif or .aiff, in any case), or nullptr. */
    static juce::AudioFormat* forFile (const juce::File&, juce::AudioFormatManager&);

    /** The extension for a --format name (wav, flac or aiff, in any case), or an empty string. */
    static juce::String extensionForName (const juce::String& name);

    /** 16, 24 or 32-bit float for "16", "24" or "32f"; nothing for anything else. */
    static std::optional<Depth> parseBitDepth (const juce::String& text);

    /** The depth of a source as it is stored. */
    static Depth depthOf (const juce::AudioFormatReader&);

    /** The depths a format is written with: the framework's writers, and 32-bit integer for WAV and
        AIFF, which the renderer writes itself. */
    static juce::Array<Depth> possibleDepths (juce::AudioFormat&);

    /** The requested depth when the format holds it, else the source's where it can, else the integer
        depth nearest to it (the deeper one on a tie; float counts as the 24 bits of its mantissa).
        Throws RenderError when the request cannot be held. */
    static Depth chooseBitDepth (juce::AudioFormat&, Depth source, std::optional<Depth> requested);

    /** "16-bit", "32-bit", "32-bit float" */
    static juce::String describeBitDepth (Depth);

    /** What --bits and JSON call a depth: "16", "32", "32f". */
    static juce::String nameOf (Depth);

    static constexpr const char* acceptedExtensions = ".wav, .flac, .aif or .aiff";
};
