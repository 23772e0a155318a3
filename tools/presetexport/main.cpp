// Writes the LV2 bundle's description and the factory presets into the built plug-in bundles at build
// time, from the same tables the plug-in uses.
//
// usage: wydenza-preset-export [--lv2 LV2_BUNDLE_FOLDER] [--vst3 VST3_PRESETS_ROOT]
//        wydenza-preset-export --values   (each preset's parameter values as JSON, for host tests)

#include "Lv2BundleTurtle.h"
#include "Lv2PresetBundle.h"
#include "Vst3PresetFolder.h"
#include "presets/FactoryPresets.h"
#include "processor/PluginStateXml.h"
#include "processor/WydenzaAudioProcessor.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace
{
/** The values each preset state holds, by parameter name: what a host must show after applying it. */
juce::String valuesAsJson (const juce::Array<FactoryPresetStates::Entry>& presets)
{
    juce::Array<juce::var> list;

    for (const auto& preset : presets)
    {
        const auto xml = PluginStateXml::unpack (preset.chunk.getData(), (int) preset.chunk.getSize());
        auto* values = new juce::DynamicObject();

        for (auto i = 0; xml != nullptr && i < xml->getNumAttributes(); ++i)
            if (xml->getAttributeName (i) != "programName" && xml->getAttributeName (i) != "stepFactoryPresets")
                values->setProperty (xml->getAttributeName (i), xml->getAttributeValue (i).getDoubleValue());

        auto* entry = new juce::DynamicObject();
        entry->setProperty ("name", preset.name);
        entry->setProperty ("values", juce::var (values));
        list.add (juce::var (entry));
    }

    return juce::JSON::toString (juce::var (list), true);
}
} // namespace

int main (int argc, char** argv)
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    if (args == juce::StringArray ("--values"))
    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;
        std::cout << valuesAsJson (FactoryPresetStates::collect()) << "\n";
        return 0;
    }

    const auto lv2 = args.indexOf ("--lv2"), vst3 = args.indexOf ("--vst3");

    const auto isOptionAt = [&] (int index)
    { return index >= 0 && index % 2 == 0; };

    if (args.isEmpty() || args.size() != 2 * (int (lv2 >= 0) + int (vst3 >= 0)) || (lv2 >= 0 && ! isOptionAt (lv2)) || (vst3 >= 0 && ! isOptionAt (vst3)))
    {
        std::cerr << "usage: wydenza-preset-export [--lv2 LV2_BUNDLE_FOLDER] [--vst3 VST3_PRESETS_ROOT]\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    const auto presets = FactoryPresetStates::collect();
    const auto folder = [&] (int option)
    { return juce::File::getCurrentWorkingDirectory().getChildFile (args[option + 1]); };

    juce::String error;
    if (presets.size() != FactoryPresets::numPresets)
        error = "the plug-in gave no state for some factory presets";
    if (error.isEmpty() && lv2 >= 0)
    {
        // The processor as an LV2 host sees it: the parameters without the reserved slots.
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_LV2);
        WydenzaAudioProcessor processor;
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
        error = Lv2BundleTurtle (folder (lv2), "libWydenza.so").write (processor);
    }
    if (error.isEmpty() && lv2 >= 0)
        error = Lv2PresetBundle (folder (lv2), JucePlugin_LV2URI).write (presets);
    if (error.isEmpty() && vst3 >= 0)
        error = Vst3PresetFolder (folder (vst3)).write (presets);

    if (error.isNotEmpty())
    {
        std::cerr << "wydenza-preset-export: " << error << "\n";
        return 1;
    }

    std::cout << "wrote " << presets.size() << " factory presets" << (lv2 >= 0 ? " into " + folder (lv2).getFullPathName() : juce::String())
              << (vst3 >= 0 ? " into " + Vst3PresetFolder (folder (vst3)).getPresetFolder().getFullPathName() : juce::String()) << "\n";
    return 0;
}
