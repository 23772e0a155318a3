// The state chunk's reader on any bytes, without a processor: many times the speed of the state fuzzer,
// which restores every input through a whole processor. Inputs are the state fuzzer's. What is read must
// survive the framework's writer and a second read unchanged: the root's attributes (all a restore uses)
// and the whole document as a tree (the form presets take).
#include "FuzzHelpers.h"
#include "presets/BoundedXml.h"
#include "processor/PluginStateXml.h"

#include <juce_data_structures/juce_data_structures.h>

#include <cstdint>

namespace
{
int depthOf (const juce::XmlElement& element)
{
    auto deepest = 0;

    for (auto* child : element.getChildIterator())
        deepest = juce::jmax (deepest, depthOf (*child));

    return deepest + 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;

    const auto chunk = fuzzing::chunkFromInput (data, size);

    const auto xml = PluginStateXml::unpack (chunk.getData(), (int) chunk.getSize());

    if (xml == nullptr)
        return 0;

    fuzzing::check (depthOf (*xml) <= BoundedXml::maxNestingDepth, "nesting stays within the bound");

    juce::XmlElement attributes (xml->getTagName());

    for (auto i = 0; i < xml->getNumAttributes(); ++i)
        attributes.setAttribute (xml->getAttributeName (i), xml->getAttributeValue (i));

    juce::MemoryBlock saved;
    PluginStateXml::pack (attributes, saved);
    const auto again = PluginStateXml::unpack (saved.getData(), (int) saved.getSize());
    fuzzing::check (again != nullptr && again->isEquivalentTo (&attributes, false), "the root's attributes read back unchanged");

    const auto tree = juce::ValueTree::fromXml (*xml);
    const auto text = tree.toXmlString();
    const auto reread = BoundedXml::parse (text.toRawUTF8(), text.getNumBytesAsUTF8());
    fuzzing::check (reread != nullptr && juce::ValueTree::fromXml (*reread).isEquivalentTo (tree), "the tree reads back unchanged");

    return 0;
}
