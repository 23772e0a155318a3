#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

/** Packing and unpacking of the plug-in state chunk: one "Q7PLUGINSETTINGS" element in the framework's
    binary XML wrapper (magic number, text length, UTF-8 text, zero byte).
*/
class PluginStateXml
{
public:
    static constexpr const char* tagName = "Q7PLUGINSETTINGS";

    static void pack (const juce::XmlElement& element, juce::MemoryBlock& destData);

    /** The "Q7PLUGINSETTINGS" element held by the chunk, or null when the chunk is not in the packed XML
        form, its text is refused by BoundedXml, or it holds another element. Never reads beyond sizeInBytes.
    */
    static std::unique_ptr<juce::XmlElement> unpack (const void* data, int sizeInBytes);

private:
    PluginStateXml() = delete;
};
