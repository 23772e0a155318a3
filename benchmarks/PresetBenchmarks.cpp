#include "presets/PresetFile.h"
#include "presets/PresetTree.h"
#include "processor/WydenzaAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{
/** A throw-away config folder with a given number of user preset files, used while it exists. */
struct PresetFolderFixture
{
    explicit PresetFolderFixture (int numFiles)
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
    }

    ~PresetFolderFixture() { home.deleteRecursively(); }

    static juce::ValueTree typicalTree (const juce::String& name)
    {
        auto tree = PresetTree::create (name);
        const char* names[] = { "Bypass", "StereoWidth", "Pan", "InputGain", "OutputGain", "SwapLR", "PhaseFlip", "Mono", "MuteAll", "MuteMid", "MuteSide", "PanCurve", "PanLaw", "MsMode", "PanMode", "SafeBassFreq", "SafeBass" };

        for (auto* parameterName : names)
            PresetTree::setParameterValue (tree, parameterName, 0.123456f, nullptr);

        tree.setProperty ("PluginVersion", "1.0.7", nullptr);
        tree.setProperty ("PresetType", "User", nullptr);
        tree.setProperty ("LastSaved", "6 Dec 2026 1:05:09pm", nullptr);
        tree.setProperty ("Device", "GenuineIntel 2400MHz 8 CPU cores / 16001MB Memory", nullptr);
        return tree;
    }

    juce::File home, folder;
};

void constructProcessor (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0));

    for (auto _ : state)
    {
        WydenzaAudioProcessor processor;
        benchmark::DoNotOptimize (processor.getCurrentPresetIndex());
    }
}

void nextPresetWithManyFiles (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0));
    WydenzaAudioProcessor processor;
    processor.selectFactoryPreset (13);

    for (auto _ : state)
        processor.nextPreset(); // runs through all user presets and back round the factory list
}

void readPresetFile (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture (1);
    const auto file = fixture.folder.getChildFile ("User Preset 0.q7p");

    for (auto _ : state)
        benchmark::DoNotOptimize (PresetFile::read (file));
}

void writePresetFile (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture (0);
    const auto tree = PresetFolderFixture::typicalTree ("Written");
    const auto file = fixture.folder.getChildFile ("Written.q7p");

    for (auto _ : state)
        benchmark::DoNotOptimize (PresetFile::write (tree, file, true));
}
} // namespace

BENCHMARK (constructProcessor)->Arg (0)->Arg (100)->Arg (1000)->Unit (benchmark::kMillisecond);
BENCHMARK (nextPresetWithManyFiles)->Arg (1000)->Unit (benchmark::kMillisecond);
BENCHMARK (readPresetFile)->Unit (benchmark::kMicrosecond);
BENCHMARK (writePresetFile)->Unit (benchmark::kMicrosecond);
