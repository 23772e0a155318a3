// The LV2 plug-in's cost as hosts see it, through lilv: run() per stereo frame at 512 and 64 frames, safe
// bass off and on, beside the processor's own processBlock on the same signal in the same run; and the
// instantiation of the LV2 version with none and 1000 user presets.
//
// Each figure is taken five times, each time from a new instance with buffers of its own, as separate
// runs of a host would place them. The "spread" row gives the slowest over the fastest of the five (101 %:
// within 1 %), and "bimodal" reads 100 % where the slowest took a quarter longer than the fastest: the runs
// fell into two groups, as separate runs of the framework's client were seen to (1.6 or 2.5-2.9 ns per
// frame elsewhere).

#include "PresetFolderFixture.h"
#include "processor/WydenzaAudioProcessor.h"
#include "support/HostUriMap.h"

#include <benchmark/benchmark.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr int signalFrames = 16384;
constexpr uint32_t firstParameterPort = 9;

constexpr auto mapUri = HostUriMap::map;

/** A host's world with the built bundle loaded, and the features it passes. */
struct Host
{
    Host()
    {
        // WYDENZA_LV2_BUNDLE measures another build's bundle in the same way, for a before-and-after.
        const auto path = juce::SystemStats::getEnvironmentVariable ("WYDENZA_LV2_BUNDLE", WYDENZA_LV2_PATH);
        auto* bundle = lilv_new_file_uri (world, nullptr, (juce::File (path).getFullPathName() + "/").toRawUTF8());
        lilv_world_load_bundle (world, bundle);
        lilv_node_free (bundle);
        auto* uri = lilv_new_uri (world, JucePlugin_LV2URI);
        plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), uri);
        lilv_node_free (uri);
    }

    ~Host() { lilv_world_free (world); }

    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = nullptr;
    LV2_URID_Map map { nullptr, mapUri };
    int32_t maxBlock = 4096;
    LV2_Options_Option options[2] { { LV2_OPTIONS_INSTANCE, 0, mapUri (nullptr, LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), mapUri (nullptr, LV2_ATOM__Int), &maxBlock },
                                    { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
    LV2_Feature mapFeature { LV2_URID__map, &map }, optionsFeature { LV2_OPTIONS__options, options }, boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr };
    const LV2_Feature* features[4] { &mapFeature, &optionsFeature, &boundedFeature, nullptr };
};

/** The typical setting the processBlock benchmarks use: widened, panned a little, the -3 dB law. */
void setTypical (float* controls, bool safeBass)
{
    controls[1] = 0.75f;
    controls[2] = 0.45f;
    controls[12] = 0.1f;
    controls[16] = safeBass ? 1.0f : 0.0f;
}

void fillNoise (std::vector<float>& samples)
{
    std::mt19937 rng (1);
    std::uniform_real_distribution<float> noise (-0.5f, 0.5f);
    for (auto& s : samples)
        s = noise (rng);
}

void setFrameCounter (benchmark::State& state, int blockSize)
{
    state.counters["ns_per_frame"] = benchmark::Counter ((double) blockSize * (double) state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

/** Blocks of a noise signal through processBlock, in place, as the framework's hosts call it. */
void inProcess (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    WydenzaAudioProcessor processor;
    processor.setRateAndBufferSizeDetails (48000.0, blockSize);
    processor.prepareToPlay (48000.0, blockSize);
    float controls[17] {};
    for (int p = 0; p < 17; ++p)
        controls[p] = processor.getParameterSet().getByIndex (p)->defaultValue;
    setTypical (controls, state.range (1) != 0);
    for (int p = 0; p < 17; ++p)
        processor.setParameter (p, controls[p]);

    std::vector<float> left (signalFrames), right (signalFrames);
    fillNoise (left);
    fillNoise (right);
    juce::MidiBuffer midi;
    int start = 0;

    for (auto _ : state)
    {
        float* channels[] { left.data() + start, right.data() + start };
        juce::AudioBuffer<float> buffer (channels, 2, blockSize);
        processor.processBlock (buffer, midi);
        benchmark::ClobberMemory();

        // The output goes back in: the signal is renewed before it grows without bound.
        if ((start += blockSize) + blockSize > signalFrames)
        {
            state.PauseTiming();
            fillNoise (left);
            fillNoise (right);
            start = 0;
            state.ResumeTiming();
        }
    }

    setFrameCounter (state, blockSize);
}

/** Blocks through the LV2 plug-in's run(), from input buffers into separate output buffers as most hosts
    give them. */
void throughLilv (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    Host host;
    auto* instance = lilv_plugin_instantiate (host.plugin, 48000.0, host.features);

    if (instance == nullptr)
    {
        state.SkipWithError ("the bundle does not instantiate");
        return;
    }

    float controls[17] {}, latency = 0.0f;
    for (uint32_t p = 0; p < 17; ++p)
    {
        LilvNode* defaultValue = nullptr;
        lilv_port_get_range (host.plugin, lilv_plugin_get_port_by_index (host.plugin, firstParameterPort + p), &defaultValue, nullptr, nullptr);
        controls[p] = lilv_node_as_float (defaultValue);
        lilv_node_free (defaultValue);
        lilv_instance_connect_port (instance, firstParameterPort + p, &controls[p]);
    }
    setTypical (controls, state.range (1) != 0);
    lilv_instance_connect_port (instance, 6, &latency);

    // The event ports connected, as Ardour and jalv connect them (the framework's client needs them).
    alignas (8) uint8_t eventsIn[64] {}, eventsOut[8192] {};
    auto* sequenceIn = reinterpret_cast<LV2_Atom_Sequence*> (eventsIn);
    auto* sequenceOut = reinterpret_cast<LV2_Atom_Sequence*> (eventsOut);
    sequenceIn->atom = { sizeof (LV2_Atom_Sequence_Body), mapUri (nullptr, LV2_ATOM__Sequence) };
    lilv_instance_connect_port (instance, 4, sequenceIn);
    lilv_instance_connect_port (instance, 5, sequenceOut);

    std::vector<float> inLeft (signalFrames), inRight (signalFrames), outLeft (signalFrames), outRight (signalFrames);
    float* in[] { inLeft.data(), inRight.data() };
    float* out[] { outLeft.data(), outRight.data() };
    std::vector<float> noise (signalFrames);
    fillNoise (noise);
    std::copy (noise.begin(), noise.end(), in[0]);
    std::copy (noise.begin(), noise.end(), in[1]);

    lilv_instance_activate (instance);
    int start = 0;

    for (auto _ : state)
    {
        for (uint32_t c = 0; c < 2; ++c)
        {
            lilv_instance_connect_port (instance, c, in[c] + start);
            lilv_instance_connect_port (instance, 2 + c, out[c] + start);
        }

        sequenceOut->atom = { (uint32_t) sizeof (eventsOut) - (uint32_t) sizeof (LV2_Atom), 0 };
        lilv_instance_run (instance, (uint32_t) blockSize);
        benchmark::ClobberMemory();

        if ((start += blockSize) + blockSize > signalFrames)
            start = 0;
    }

    setFrameCounter (state, blockSize);
    lilv_instance_deactivate (instance);
    lilv_instance_free (instance);
}

/** lilv_plugin_instantiate and lilv_instance_free, with this many user presets in the user's folder.
    Second argument 1: another instance stays open, as in a host's session, so the binary stays loaded
    and these are the later instances; 0: each is the first, and lilv loads and unloads the binary. */
void instantiateThroughLilv (benchmark::State& state)
{
    PresetFolderFixture fixture ((int) state.range (0), true);
    Host host;
    auto* first = state.range (1) != 0 ? lilv_plugin_instantiate (host.plugin, 48000.0, host.features) : nullptr;

    for (auto _ : state)
    {
        auto* instance = lilv_plugin_instantiate (host.plugin, 48000.0, host.features);
        benchmark::DoNotOptimize (instance);
        lilv_instance_free (instance);
    }

    if (first != nullptr)
        lilv_instance_free (first);
}
} // namespace

double spread (const std::vector<double>& runs)
{
    const auto [fastest, slowest] = std::minmax_element (runs.begin(), runs.end());
    return *fastest > 0.0 ? *slowest / *fastest : 0.0;
}

double bimodal (const std::vector<double>& runs) { return spread (runs) > 1.25 ? 1.0 : 0.0; }

BENCHMARK (inProcess)->ArgNames ({ "frames", "safe_bass" })->ArgsProduct ({ { 512, 64 }, { 0, 1 } })->Repetitions (5)->ComputeStatistics ("spread", spread, benchmark::StatisticUnit::kPercentage)->ComputeStatistics ("bimodal", bimodal, benchmark::StatisticUnit::kPercentage);
BENCHMARK (throughLilv)->ArgNames ({ "frames", "safe_bass" })->ArgsProduct ({ { 512, 64 }, { 0, 1 } })->Repetitions (5)->ComputeStatistics ("spread", spread, benchmark::StatisticUnit::kPercentage)->ComputeStatistics ("bimodal", bimodal, benchmark::StatisticUnit::kPercentage);
BENCHMARK (instantiateThroughLilv)->ArgNames ({ "user_presets", "session" })->ArgsProduct ({ { 0, 1000 }, { 0, 1 } })->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
