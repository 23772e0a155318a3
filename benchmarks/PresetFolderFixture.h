#pragma once

#include "presets/PresetFile.h"
#include "presets/PresetScanCache.h"
#include "presets/PresetTree.h"

#include <juce_core/juce_core.h>

#include <chrono>
#include <cstdlib>
#include <thread>

/** A throw-away config folder with a given number of user preset files, used while it exists. */
struct PresetFolderFixture
{
    /** With trusted set, returns once the files are old enough for the scan cache to trust them, as the
        files of a folder that has been in use are.
    */
    explicit PresetFolderFixture (int numFiles, bool trusted = false)
    {
        home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                   .getNonexistentChildFile ("wydenza-preset-benchmark", "", false);
        home.createDirectory();
        ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
        ::setenv ("XDG_CONFIG_HOME", home.getChildFile (".config").getFullPathName().toRawUTF8(), 1);

        folder = home.getChildFile (".config/ZELVORA/Wydenza Presets");
        folder.createDirectory();

        for (auto i = 0; i < numFiles; ++i)
            PresetFile::write (typicalTree ("User Preset " + juce::String (i)),
                               folder.getChildFile ("User Preset " + juce::String (i) + ".q7p"),
                               true);

        if (trusted)
            std::this_thread::sleep_for (std::chrono::nanoseconds (PresetScanCache::defaultTrustAfterNanos + 100'000'000));
    }

    ~PresetFolderFixture() { home.deleteRecursively(); }

    static juce::ValueTree typicalTree (const juce::String& name)
    {
        auto tree = PresetTree::create (name);
        const char* names[] = { "Bypass", "StereoWidth", "Pan", "InputGain", "OutputGain", "SwapLR", "PhaseFlip", "Mono", "MuteAll", "MuteMid", "MuteSide", "PanCurve", "PanLaw", "MsMode", "PanMode", "SafeBassFreq", "SafeBass" };

        for (auto* parameterName : names)
            PresetTree::setParameterValue (tree, parameterName, 0.123456f, nullptr);

        tree.setProperty ("PluginVersion", "1.1.0", nullptr);
        tree.setProperty ("PresetType", "User", nullptr);
        tree.setProperty ("LastSaved", "6 Dec 2026 1:05:09pm", nullptr);
        tree.setProperty ("Device", "GenuineIntel 2400MHz 8 CPU cores / 16001MB Memory", nullptr);
        return tree;
    }

    juce::File home, folder;
};
