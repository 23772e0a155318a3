// Writes the factory presets into the built plug-in bundles at build time, from the same table the
// plug-in uses.
//
// usage: wydenza-preset-export LV2_BUNDLE_FOLDER

#include "Lv2PresetBundle.h"

#include <juce_events/juce_events.h>

#include <iostream>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: wydenza-preset-export LV2_BUNDLE_FOLDER\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    const auto presets = FactoryPresetStates::collect();
    const auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[1]));

    if (const auto error = Lv2PresetBundle (bundle, JucePlugin_LV2URI).write (presets); error.isNotEmpty())
    {
        std::cerr << "wydenza-preset-export: " << error << "\n";
        return 1;
    }

    std::cout << "wrote " << presets.size() << " LV2 presets into " << bundle.getFullPathName() << "\n";
    return 0;
}
