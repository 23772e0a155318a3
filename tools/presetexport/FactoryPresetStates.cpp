#include "FactoryPresetStates.h"

#include "presets/FactoryPresets.h"
#include "processor/PluginStateXml.h"
#include "processor/WydenzaAudioProcessor.h"

juce::Array<FactoryPresetStates::Entry> FactoryPresetStates::collect()
{
    juce::Array<Entry> entries;

    for (int i = 0; i < FactoryPresets::numPresets; ++i)
    {
        WydenzaAudioProcessor processor;
        processor.selectFactoryPreset (i);

        juce::MemoryBlock full;
        processor.getStateInformation (full);
        auto xml = PluginStateXml::unpack (full.getData(), (int) full.getSize());

        if (xml == nullptr)
            continue;

        for (auto* attribute : { "channelName", "defaultEditorHeight", "lastEditorHeight" })
            xml->removeAttribute (attribute);

        Entry entry { processor.getPresetDisplayName(), {} };
        PluginStateXml::pack (*xml, entry.chunk);
        entries.add (std::move (entry));
    }

    return entries;
}
