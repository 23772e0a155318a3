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
    const auto length = BoundedXml::lengthUpToZero (text, (size_t) juce::jmin (sizeInBytes - 8, storedLength));

    if (length == 0 || ! BoundedXml::isValidUtf8 (text, length) || ! BoundedXml::hasSafeStructure (text, length))
        return {};

    // The framework's reader takes over once the text is known to be sound; it sees a clean copy that ends
    // where the text ends, so it never decodes bytes past the first zero or the end of the data.
    juce::MemoryBlock clean;
    {
        juce::MemoryOutputStream out (clean, false);
        out.writeInt ((int) magicXmlNumber);
        out.writeInt ((int) length);
        out.write (text, length);
        out.writeByte (0);
    }

    auto element = juce::AudioProcessor::getXmlFromBinary (clean.getData(), (int) clean.getSize());

    if (element == nullptr || ! element->hasTagName (tagName))
        return {};

    return element;
}
