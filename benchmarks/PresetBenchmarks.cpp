#include "presets/BoundedXml.h"
#include "presets/PresetFile.h"
#include "presets/PresetScanCache.h"
#include "presets/PresetTree.h"
#include "processor/WydenzaAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <malloc.h>
#include <thread>
#include <vector>

namespace
{
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

void constructProcessor (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0), true);

    for (auto _ : state)
    {
        WydenzaAudioProcessor processor;
        benchmark::DoNotOptimize (processor.getCurrentPresetIndex());
    }
}

/** What a host does for each instance of a session: construct, prepare, process one block. Seconds. */
double openInstance (std::vector<std::unique_ptr<WydenzaAudioProcessor>>& session)
{
    const auto start = std::chrono::steady_clock::now();
    auto processor = std::make_unique<WydenzaAudioProcessor>();
    processor->setRateAndBufferSizeDetails (48000.0, 512);
    processor->prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (2, 512);
    buffer.clear();
    juce::MidiBuffer midi;
    processor->processBlock (buffer, midi);
    session.push_back (std::move (processor));
    return std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
}

/** A session of 20 instances with 1000 user presets, opened in one process: the first instance reads the
    folder, the others find it in the scan cache. The time is the median of instances 2 to 20.
*/
void sessionOfTwentyInstances (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0), true);
    double firstTotal = 0.0, laterMax = 0.0;

    for (auto _ : state)
    {
        PresetScanCache::getInstance().clear();
        std::vector<std::unique_ptr<WydenzaAudioProcessor>> session;
        std::vector<double> later;
        firstTotal += openInstance (session);

        while (session.size() < 20)
            later.push_back (openInstance (session));

        std::nth_element (later.begin(), later.begin() + (long) later.size() / 2, later.end());
        state.SetIterationTime (later[later.size() / 2]);
        laterMax = std::max (laterMax, *std::max_element (later.begin(), later.end()));
    }

    state.counters["first_ms"] = 1000.0 * firstTotal / (double) state.iterations();
    state.counters["later_max_ms"] = 1000.0 * laterMax;
}

void nextPresetWithManyFiles (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0), true);
    WydenzaAudioProcessor processor;
    processor.selectFactoryPreset (13);

    for (auto _ : state)
        processor.nextPreset(); // runs through all user presets and back round the factory list
}

/** A rescan of an unchanged folder: list, stat, compare. */
void scanUnchangedFolder (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0), true);
    PresetScanCache::getInstance().scan (fixture.folder);

    for (auto _ : state)
        benchmark::DoNotOptimize (PresetScanCache::getInstance().scan (fixture.folder));
}

/** NEXT right after another instance or the user changed one file of the folder: that file is read again. */
void nextPresetAfterOneFileChanged (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0), true);
    WydenzaAudioProcessor processor;
    processor.selectFactoryPreset (13);
    const auto changed = fixture.folder.getChildFile ("User Preset 500.q7p");
    auto round = 0;

    for (auto _ : state)
    {
        state.PauseTiming();
        PresetFile::write (PresetFolderFixture::typicalTree ("Changed " + juce::String (++round)), changed, true);
        state.ResumeTiming();
        processor.nextPreset();
    }
}

/** What the scan cache holds per preset (malloc's count of bytes in use), against what it would hold if it
    kept each preset as a tree.
*/
void scanCacheMemory (benchmark::State& state)
{
    juce::ScopedJuceInitialiser_GUI juce;
    PresetFolderFixture fixture ((int) state.range (0));
    double cacheBytes = 0.0, treeBytes = 0.0;

    for (auto _ : state)
    {
        {
            PresetScanCache cache (0);
            const auto before = ::mallinfo2().uordblks;
            benchmark::DoNotOptimize (cache.scan (fixture.folder));
            cacheBytes = (double) (::mallinfo2().uordblks - before);
        }

        std::vector<juce::ValueTree> trees;
        trees.reserve ((size_t) state.range (0));
        const auto before = ::mallinfo2().uordblks;

        for (const auto& file : fixture.folder.findChildFiles (juce::File::findFiles, false))
            trees.push_back (PresetFile::read (file));

        treeBytes = (double) (::mallinfo2().uordblks - before);
    }

    state.counters["bytes_per_preset"] = cacheBytes / (double) state.range (0);
    state.counters["as_trees_bytes_per_preset"] = treeBytes / (double) state.range (0);
}

/** The two ways to hand a remembered preset to a caller as a tree of its own: a copy of a kept tree, or a
    parse of kept XML text.
*/
void copyOfACachedTree (benchmark::State& state)
{
    const auto tree = PresetFolderFixture::typicalTree ("User Preset 500");

    for (auto _ : state)
        benchmark::DoNotOptimize (tree.createCopy());
}

void parseOfCachedText (benchmark::State& state)
{
    const auto text = PresetFolderFixture::typicalTree ("User Preset 500").toXmlString();

    for (auto _ : state)
    {
        const auto xml = BoundedXml::parse (text.toRawUTF8(), text.getNumBytesAsUTF8());
        benchmark::DoNotOptimize (juce::ValueTree::fromXml (*xml));
    }
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
BENCHMARK (sessionOfTwentyInstances)->Arg (1000)->UseManualTime()->Iterations (5)->Unit (benchmark::kMillisecond);
BENCHMARK (scanUnchangedFolder)->Arg (1000)->Unit (benchmark::kMillisecond);
BENCHMARK (nextPresetWithManyFiles)->Arg (1000)->Unit (benchmark::kMillisecond);
BENCHMARK (nextPresetAfterOneFileChanged)->Arg (1000)->Unit (benchmark::kMillisecond);
BENCHMARK (scanCacheMemory)->Arg (1000)->Iterations (1)->Unit (benchmark::kMillisecond);
BENCHMARK (copyOfACachedTree)->Unit (benchmark::kMicrosecond);
BENCHMARK (parseOfCachedText)->Unit (benchmark::kMicrosecond);
BENCHMARK (readPresetFile)->Unit (benchmark::kMicrosecond);
BENCHMARK (writePresetFile)->Unit (benchmark::kMicrosecond);
