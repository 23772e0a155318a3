#include "OutputFormat.h"

#include "RenderError.h"

namespace
{
const juce::StringArray writtenExtensions { ".wav", ".flac", ".aif", ".aiff" };
}

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

std::optional<int> OutputFormat::parseBitDepth (const juce::String& text)
{
    if (text == "16")
        return 16;
    if (text == "24")
        return 24;
    if (text == "32f")
        return 32;
    return {};
}

juce::String OutputFormat::describeBitDepth (int bits)
{
    return bits == 32 ? "32-bit float" : juce::String (bits) + "-bit";
}

int OutputFormat::chooseBitDepth (juce::AudioFormat& format, int sourceBits, std::optional<int> requested)
{
    const auto possible = format.getPossibleBitDepths();

    if (requested.has_value())
    {
        if (! possible.contains (*requested))
        {
            juce::StringArray names;
            for (auto bits : possible)
                if (parseBitDepth (bits == 32 ? "32f" : juce::String (bits)).has_value())
                    names.add (bits == 32 ? "32f" : juce::String (bits));

            throw RenderError (format.getFormatName() + " cannot hold " + describeBitDepth (*requested)
                               + " samples (--bits " + names.joinIntoString (" or ") + ")");
        }

        return *requested;
    }

    int best = 0;

    for (auto bits : possible)
    {
        const auto distance = std::abs (bits - sourceBits), bestDistance = std::abs (best - sourceBits);
        if (best == 0 || distance < bestDistance || (distance == bestDistance && bits > best))
            best = bits;
    }

    if (best == 0)
        throw RenderError ("cannot write " + format.getFormatName());

    return best;
}
