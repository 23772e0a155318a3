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

        // A host's preset holds no editor setting, so applying one leaves the editor as the user set it.
        for (auto* attribute : { "channelName", "defaultEditorHeight", "lastEditorHeight", "colourSchemeBrightnessAsDouble", "expertModeAsDouble" })
            xml->removeAttribute (attribute);

        Entry entry { processor.getPresetDisplayName(), {}, {} };
        PluginStateXml::pack (*xml, entry.chunk);

        for (int p = 0; p < processor.getParameterSet().size(); ++p)
            entry.parameterValues.add ({ processor.getParameterID (p), processor.getParameter (p) });

        entries.add (std::move (entry));
    }

    return entries;
}
