#include "OutputFormat.h"

#include "RenderError.h"

namespace
{
const juce::StringArray writtenExtensions { ".wav", ".flac", ".aif", ".aiff" };

bool isUncompressed (juce::AudioFormat& format)
{
    return dynamic_cast<juce::WavAudioFormat*> (&format) != nullptr || dynamic_cast<juce::AiffAudioFormat*> (&format) != nullptr;
}
} // namespace

juce::AudioFormat* OutputFormat::forFile (const juce::File& file, juce::AudioFormatManager& formats)
{
    const auto extension = file.getFileExtension().toLowerCase();

    // The manager also knows formats the renderer does not write (Ogg Vorbis).
    return writtenExtensions.contains (extension) ? formats.findFormatForFileExtension (extension) : nullptr;
}

juce::String OutputFormat::extensionForName (const juce::String& name)
{
    const auto extension = "." + name.toLowerCase();
    return extension != ".aif" && writtenExtensions.contains (extension) ? extension : juce::String();
}

std::optional<OutputFormat::Depth> OutputFormat::parseBitDepth (const juce::String& text)
{
    if (text == "16")
        return Depth { 16, false };
    if (text == "24")
        return Depth { 24, false };
    if (text == "32f")
        return float32;
    return {};
}

OutputFormat::Depth OutputFormat::depthOf (const juce::AudioFormatReader& reader)
{
    return { (int) reader.bitsPerSample, reader.usesFloatingPointData };
}

juce::Array<OutputFormat::Depth> OutputFormat::possibleDepths (juce::AudioFormat& format)
{
    juce::Array<Depth> depths;

    // The framework's writers take 32 bits as float.
    for (auto bits : format.getPossibleBitDepths())
        depths.add ({ bits, bits == 32 });

    if (isUncompressed (format))
        depths.addIfNotAlreadyThere ({ 32, false });

    return depths;
}

juce::String OutputFormat::describeBitDepth (Depth depth)
{
    return juce::String (depth.bits) + "-bit" + (depth.isFloat ? " float" : "");
}

juce::String OutputFormat::nameOf (Depth depth)
{
    return juce::String (depth.bits) + (depth.isFloat ? "f" : "");
}

OutputFormat::Depth OutputFormat::chooseBitDepth (juce::AudioFormat& format, Depth source, std::optional<Depth> requested)
{
    const auto possible = possibleDepths (format);

    if (requested.has_value())
    {
        if (! possible.contains (*requested))
        {
            juce::StringArray names;
            for (const auto& name : { "16", "24", "32f" })
                if (possible.contains (*parseBitDepth (name)))
                    names.add (name);

            throw RenderError (format.getFormatName() + " cannot hold " + describeBitDepth (*requested)
                               + " samples (--bits " + names.joinIntoString (" or ") + ")");
        }

        return *requested;
    }

    if (possible.contains (source))
        return source;

    // 32-bit float carries a 24-bit mantissa; a decoder that reports fewer bits (Ogg Vorbis) keeps them.
    const auto sourceBits = source.isFloat && source.bits >= 32 ? 24 : source.bits;
    std::optional<Depth> best;

    for (const auto& depth : possible)
    {
        if (depth.isFloat)
            continue;

        const auto distance = std::abs (depth.bits - sourceBits);
        const auto bestDistance = best.has_value() ? std::abs (best->bits - sourceBits) : 0;

        if (! best.has_value() || distance < bestDistance || (distance == bestDistance && depth.bits > best->bits))
            best = depth;
    }

    if (! best.has_value())
        throw RenderError ("cannot write " + format.getFormatName());

    return *best;
}
