#include "PluginStateXml.h"

#include "presets/BoundedXml.h"

void PluginStateXml::pack (const juce::XmlElement& element, juce::MemoryBlock& destData)
{
    juce::AudioProcessor::copyXmlToBinary (element, destData);
}

std::unique_ptr<juce::XmlElement> PluginStateXml::unpack (const void* data, int sizeInBytes)
{
    constexpr juce::uint32 magicXmlNumber = 0x21324356;

    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != magicXmlNumber)
        return {};

    const auto storedLength = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));

    if (storedLength <= 0)
        return {};

    const auto* text = static_cast<const char*> (data) + 8;
    auto element = BoundedXml::parse (text, (size_t) juce::jmin (sizeInBytes - 8, storedLength));

    if (element == nullptr || ! element->hasTagName (tagName))
        return {};

    return element;
}
