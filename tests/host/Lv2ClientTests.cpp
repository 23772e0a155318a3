// The built LV2 plug-in driven through lilv, the library LV2 hosts use, as real hosts drive it: the option
// sets they pass, the block lengths they run, in-place and separate buffers, values written to the ports
// before and between blocks, saves before the first block, and a preset saved by jalv with an earlier
// build. Its output is compared with the processor's own, run in this process on the same blocks.

#include "../hardening/AudioThreadGuard.h"
#include "../support/HostUriMap.h"
#include "processor/PluginStateXml.h"
#include "processor/WydenzaAudioProcessor.h"

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace
{
constexpr auto mapUri = HostUriMap::map;

LV2_URID_Map uridMap { nullptr, mapUri };
const LV2_Feature mapFeature { LV2_URID__map, &uridMap };
const LV2_Feature boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr };

constexpr int numParameters = 17;
constexpr uint32_t firstParameterPort = 9;

/** An option list as a host builds it; the values live as long as the list. */
struct HostOptions
{
    const char* host;
    std::vector<std::pair<const char*, int64_t>> blockLengths;
    uint32_t integerSize;
    const char* integerType;

    std::vector<LV2_Options_Option> build (std::vector<int64_t>& storage) const
    {
        storage.clear();
        storage.reserve (blockLengths.size());
        std::vector<LV2_Options_Option> options;

        for (const auto& [key, value] : blockLengths)
        {
            storage.push_back (value);
            options.push_back ({ LV2_OPTIONS_INSTANCE, 0, mapUri (nullptr, key), integerSize, mapUri (nullptr, integerType), &storage.back() });
        }

        options.push_back ({ LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr });
        return options;
    }
};

/** lilv's world with the built bundle, and one instance with its port buffers. */
class LoadedPlugin
{
public:
    explicit LoadedPlugin (double sampleRate, const LV2_Feature* const* features = defaultFeatures())
        : rate (sampleRate)
    {
        bundle = lilv_new_file_uri (world, nullptr, (juce::File (WYDENZA_LV2_PATH).getFullPathName() + "/").toRawUTF8());
        lilv_world_load_bundle (world, bundle);
        auto* uri = lilv_new_uri (world, JucePlugin_LV2URI);
        plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), uri);
        lilv_node_free (uri);
        instance = plugin != nullptr ? lilv_plugin_instantiate (plugin, sampleRate, features) : nullptr;

        if (instance == nullptr)
            return;

        // Ports start at the declared defaults, as lilv-based hosts set them.
        for (uint32_t p = 0; p < (uint32_t) numParameters; ++p)
        {
            controls[p] = defaultOf (firstParameterPort + p);
            lilv_instance_connect_port (instance, firstParameterPort + p, &controls[p]);
        }

        lilv_instance_connect_port (instance, 6, &latency);
        lilv_instance_activate (instance);
    }

    ~LoadedPlugin()
    {
        if (instance != nullptr)
        {
            lilv_instance_deactivate (instance);
            lilv_instance_free (instance);
        }

        lilv_node_free (bundle);
        lilv_world_free (world);
    }

    static const LV2_Feature* const* defaultFeatures()
    {
        static const int32_t maxBlock = 512;
        static const LV2_Options_Option options[] { { LV2_OPTIONS_INSTANCE, 0, mapUri (nullptr, LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), mapUri (nullptr, LV2_ATOM__Int), &maxBlock },
                                                    { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr } };
        static const LV2_Feature optionsFeature { LV2_OPTIONS__options, (void*) options };
        static const LV2_Feature* features[] { &mapFeature, &boundedFeature, &optionsFeature, nullptr };
        return features;
    }

    float defaultOf (uint32_t port) const
    {
        LilvNode *defaultValue = nullptr, *minimum = nullptr, *maximum = nullptr;
        lilv_port_get_range (plugin, lilv_plugin_get_port_by_index (plugin, port), &defaultValue, &minimum, &maximum);
        const auto value = defaultValue != nullptr ? lilv_node_as_float (defaultValue) : -1.0f;
        for (auto* node : { defaultValue, minimum, maximum })
            lilv_node_free (node);
        return value;
    }

    enum class Buffers
    {
        inPlace,
        separate,
        // The left output in the right input's buffer, as a host that reuses buffers may hand them.
        crossed
    };

    /** Runs left/right through the plug-in in blocks of these lengths; left/right then hold the output. */
    void process (std::vector<float>& left, std::vector<float>& right, const std::vector<uint32_t>& blocks, Buffers buffers)
    {
        std::vector<float> outLeft (left.size()), outRight (right.size());
        size_t start = 0;

        for (const auto length : blocks)
        {
            float* outputs[] { outLeft.data() + start, outRight.data() + start };
            if (buffers == Buffers::inPlace)
                outputs[0] = left.data() + start, outputs[1] = right.data() + start;
            else if (buffers == Buffers::crossed)
                outputs[0] = right.data() + start;

            lilv_instance_connect_port (instance, 0, left.data() + start);
            lilv_instance_connect_port (instance, 1, right.data() + start);
            lilv_instance_connect_port (instance, 2, outputs[0]);
            lilv_instance_connect_port (instance, 3, outputs[1]);
            lilv_instance_run (instance, length);
            start += length;
        }

        if (buffers == Buffers::separate)
            left = outLeft;
        else if (buffers == Buffers::crossed)
            left = right;

        if (buffers != Buffers::inPlace)
            right = outRight;
    }

    /** The instance's saved state as the plug-in's XML. */
    std::unique_ptr<juce::XmlElement> saveState() const
    {
        const auto* state = static_cast<const LV2_State_Interface*> (lilv_instance_get_extension_data (instance, LV2_STATE__interface));
        std::string text;
        state->save (
            lilv_instance_get_handle (instance), [] (LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t, uint32_t)
            {
                if (key == mapUri (nullptr, JucePlugin_LV2URI ":StateString"))
                    static_cast<std::string*> (handle)->assign (static_cast<const char*> (value), size);
                return LV2_STATE_SUCCESS; },
            &text,
            LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
            nullptr);
        juce::MemoryBlock chunk;
        if (! chunk.fromBase64Encoding (juce::String (text.c_str())))
            return nullptr;
        return PluginStateXml::unpack (chunk.getData(), (int) chunk.getSize());
    }

    /** Hands the instance a state string, as a host restoring a session does. */
    void restoreState (const juce::XmlElement& xml)
    {
        juce::MemoryBlock chunk;
        PluginStateXml::pack (xml, chunk);
        stateText = chunk.toBase64Encoding().toStdString();
        const auto* state = static_cast<const LV2_State_Interface*> (lilv_instance_get_extension_data (instance, LV2_STATE__interface));
        state->restore (
            lilv_instance_get_handle (instance), [] (LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void*
            {
                if (key != mapUri (nullptr, JucePlugin_LV2URI ":StateString"))
                    return nullptr;
                const auto& text = *static_cast<std::string*> (handle);
                *size = text.size() + 1;
                *type = mapUri (nullptr, LV2_ATOM__String);
                *flags = LV2_STATE_IS_POD;
                return text.c_str(); },
            &stateText,
            0,
            nullptr);
    }

    LilvWorld* world = lilv_world_new();
    LilvNode* bundle = nullptr;
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    double rate;
    float controls[numParameters] {};
    float latency = -1.0f;
    std::string stateText;
};

/** The processor in this process, the reference: same values, same blocks. */
void processReference (double rate, const float* values, std::vector<float>& left, std::vector<float>& right, const std::vector<uint32_t>& blocks)
{
    WydenzaAudioProcessor processor;
    processor.setPlayConfigDetails (2, 2, rate, 512);
    processor.prepareToPlay (rate, 512);
    for (int p = 0; p < numParameters; ++p)
        processor.setParameter (p, values[p]);

    juce::MidiBuffer midi;
    size_t start = 0;

    for (const auto length : blocks)
    {
        float* channels[] { left.data() + start, right.data() + start };
        juce::AudioBuffer<float> buffer (channels, 2, (int) length);
        processor.processBlock (buffer, midi);
        start += length;
    }
}

void makeSignal (std::vector<float>& left, std::vector<float>& right, size_t length, double rate)
{
    left.resize (length);
    right.resize (length);
    for (size_t i = 0; i < length; ++i)
    {
        const auto t = (double) i / rate;
        left[i] = (float) (0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * 55.0 * t) + 0.2 * std::sin (2.0 * juce::MathConstants<double>::pi * 1250.0 * t));
        right[i] = (float) (0.4 * std::sin (2.0 * juce::MathConstants<double>::pi * 440.0 * t + 0.3));
    }
}

size_t total (const std::vector<uint32_t>& blocks)
{
    size_t sum = 0;
    for (auto b : blocks)
        sum += b;
    return sum;
}

/** Random values in 0..1, with the awkward neighbours of round ones among them. */
void randomValues (juce::Random& random, float* values)
{
    for (int p = 0; p < numParameters; ++p)
    {
        const auto round = (float) random.nextInt (11) / 10.0f;
        switch (random.nextInt (3))
        {
            case 0:
                values[p] = random.nextFloat();
                break;
            case 1:
                values[p] = std::nextafter (round, 0.0f);
                break;
            default:
                values[p] = std::nextafter (round, 1.0f);
                break;
        }
        values[p] = juce::jlimit (0.0f, 1.0f, values[p]);
    }
}

/** A new run of the signal through the plug-in with the given values, and through the reference from
    silence: the samples must be the same. */
void expectPlaysLikeTheProcessor (LoadedPlugin& lv2, const float* values, const std::vector<uint32_t>& blocks, LoadedPlugin::Buffers buffers)
{
    std::vector<float> left, right;
    makeSignal (left, right, total (blocks), lv2.rate);
    auto expectedLeft = left, expectedRight = right;
    lilv_instance_deactivate (lv2.instance);
    lilv_instance_activate (lv2.instance);
    lv2.process (left, right, blocks, buffers);
    processReference (lv2.rate, values, expectedLeft, expectedRight, blocks);
    EXPECT_EQ (left, expectedLeft) << lv2.rate << " Hz, buffers " << (int) buffers;
    EXPECT_EQ (right, expectedRight) << lv2.rate << " Hz, buffers " << (int) buffers;
}

/** The saved state holds each parameter's value exactly. */
void expectStateHolds (const juce::XmlElement& state, const float* values)
{
    WydenzaAudioProcessor names;
    for (int p = 0; p < numParameters; ++p)
        EXPECT_EQ ((float) state.getDoubleAttribute (names.getParameterSet().getName (p), -1.0), values[p]) << names.getParameterSet().getName (p);
}
} // namespace

TEST (Lv2Client, TheOptionSetsRealHostsPassGiveAPluginThatProcessesAnyBlockLikeTheProcessor)
{
    const std::vector<HostOptions> hosts {
        // Audacity 3.2.4: block lengths as atom:Int of 8 bytes.
        { "Audacity", { { LV2_BUF_SIZE__minBlockLength, 1 }, { LV2_BUF_SIZE__maxBlockLength, 512 }, { LV2_BUF_SIZE__nominalBlockLength, 512 } }, 8, LV2_ATOM__Int },
        { "jalv", { { LV2_BUF_SIZE__minBlockLength, 1 }, { LV2_BUF_SIZE__maxBlockLength, 1024 }, { LV2_BUF_SIZE__nominalBlockLength, 1024 } }, 4, LV2_ATOM__Int },
        { "nominal only", { { LV2_BUF_SIZE__nominalBlockLength, 64 } }, 4, LV2_ATOM__Int },
        { "atom:Long", { { LV2_BUF_SIZE__maxBlockLength, 256 } }, 8, LV2_ATOM__Long },
        { "no block length", {}, 4, LV2_ATOM__Int },
    };
    // Longer than any promised maximum, and the lengths of 0 and 1 some hosts run.
    const std::vector<uint32_t> blocks { 0, 1, 64, 0, 4096, 1, 5000, 63 };

    for (const auto& host : hosts)
    {
        for (const auto withOptions : { true, false })
        {
            if (! withOptions && host.blockLengths.empty())
                continue;

            SCOPED_TRACE (juce::String (host.host) + (withOptions ? "" : ", no options feature at all"));
            std::vector<int64_t> storage;
            const auto options = host.build (storage);
            const LV2_Feature optionsFeature { LV2_OPTIONS__options, (void*) options.data() };
            const LV2_Feature* features[] { &mapFeature, withOptions ? &optionsFeature : nullptr, nullptr };

            for (const auto rate : { 8000.0, 44100.0, 384000.0 })
            {
                LoadedPlugin lv2 (rate, features);
                ASSERT_NE (lv2.instance, nullptr) << rate << " Hz";
                lv2.controls[1] = 0.8f; // StereoWidth
                lv2.controls[16] = 1.0f; // SafeBass

                for (const auto buffers : { LoadedPlugin::Buffers::inPlace, LoadedPlugin::Buffers::separate, LoadedPlugin::Buffers::crossed })
                    expectPlaysLikeTheProcessor (lv2, lv2.controls, blocks, buffers);

                EXPECT_EQ (lv2.latency, 0.0f);
            }
        }
    }
}

TEST (Lv2Client, EveryValueTheHostWritesReachesTheProcessorExactlyInTheBlockItWasWrittenFor)
{
    LoadedPlugin lv2 (48000.0);
    ASSERT_NE (lv2.instance, nullptr);
    juce::Random random (34);

    for (int set = 0; set < 100; ++set)
    {
        SCOPED_TRACE ("set " + std::to_string (set));
        randomValues (random, lv2.controls);
        // Every setting (bypass and mutes among them) through each way a host hands its buffers.
        expectPlaysLikeTheProcessor (lv2, lv2.controls, { 256 }, (LoadedPlugin::Buffers) (set % 3));

        const auto xml = lv2.saveState();
        ASSERT_NE (xml, nullptr);
        expectStateHolds (*xml, lv2.controls);
        if (HasFailure())
            break;
    }
}

TEST (Lv2Client, ASaveBeforeTheFirstBlockHoldsThePortValuesAndARestoredSessionPlaysThem)
{
    juce::Random random (35);
    float written[numParameters];
    randomValues (random, written);

    std::unique_ptr<juce::XmlElement> saved;
    {
        // A host with its engine stopped: ports written, then the session saved, no block run.
        LoadedPlugin lv2 (48000.0);
        ASSERT_NE (lv2.instance, nullptr);
        std::copy (written, written + numParameters, lv2.controls);
        saved = lv2.saveState();
        ASSERT_NE (saved, nullptr);
    }

    expectStateHolds (*saved, written);

    // The session reopened: the host sets its ports from the session and hands over the state.
    LoadedPlugin reopened (48000.0);
    ASSERT_NE (reopened.instance, nullptr);
    std::copy (written, written + numParameters, reopened.controls);
    reopened.restoreState (*saved);
    expectPlaysLikeTheProcessor (reopened, written, { 512 }, LoadedPlugin::Buffers::separate);
}

TEST (Lv2Client, APresetJalvSavedWithTheControlPortBuildRestoresItsValues)
{
    LoadedPlugin lv2 (48000.0);
    ASSERT_NE (lv2.instance, nullptr);
    const auto presetFile = juce::File (WYDENZA_FIXTURES).getChildFile ("jalv-preset-1.0.7/Wydenza_probe.preset.lv2/probe.ttl");
    auto* state = lilv_state_new_from_file (lv2.world, &uridMap, nullptr, presetFile.getFullPathName().toRawUTF8());
    ASSERT_NE (state, nullptr);

    struct PortTarget
    {
        LoadedPlugin* lv2;
        std::map<std::string, float> values;
    } target { &lv2, {} };

    // jalv's way: the state restored, then each port value set by symbol.
    lilv_state_restore (
        state, lv2.instance, [] (const char* symbol, void* user, const void* value, uint32_t size, uint32_t type)
        {
            auto& t = *static_cast<PortTarget*> (user);
            if (size != sizeof (float) || type != mapUri (nullptr, LV2_ATOM__Float))
                return;
            auto* symbolNode = lilv_new_string (t.lv2->world, symbol);
            const auto* port = lilv_plugin_get_port_by_symbol (t.lv2->plugin, symbolNode);
            lilv_node_free (symbolNode);
            const auto index = port != nullptr ? lilv_port_get_index (t.lv2->plugin, port) : 0;
            if (index >= firstParameterPort && index < firstParameterPort + numParameters)
            {
                t.lv2->controls[index - firstParameterPort] = *static_cast<const float*> (value);
                t.values[symbol] = *static_cast<const float*> (value);
            } },
        &target,
        0,
        nullptr);
    lilv_state_free (state);
    ASSERT_EQ ((int) target.values.size(), numParameters);
    EXPECT_EQ (target.values["SwapLR"], 1.0f);

    std::vector<float> left, right;
    makeSignal (left, right, 64, 48000.0);
    lv2.process (left, right, { 64 }, LoadedPlugin::Buffers::inPlace);
    const auto xml = lv2.saveState();
    ASSERT_NE (xml, nullptr);
    for (const auto& [symbol, value] : target.values)
        EXPECT_EQ ((float) xml->getDoubleAttribute (symbol, -1.0), value) << symbol;
}

TEST (Lv2Client, RunAllocatesNothingAndTakesNoLockWhateverTheHostChanges)
{
    LoadedPlugin lv2 (48000.0);
    ASSERT_NE (lv2.instance, nullptr);
    float enabled = 1.0f, freeWheeling = 0.0f;
    lilv_instance_connect_port (lv2.instance, 7, &freeWheeling);
    lilv_instance_connect_port (lv2.instance, 8, &enabled);
    alignas (8) uint8_t events[256] {};
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*> (events);
    lilv_instance_connect_port (lv2.instance, 5, sequence);

    std::vector<float> left, right, outLeft (8192), outRight (8192);
    makeSignal (left, right, 8192, 48000.0);
    juce::Random random (36);
    AudioThreadGuard::Counts counts;

    for (int round = 0; round < 30; ++round)
    {
        randomValues (random, lv2.controls);
        enabled = round % 5 == 4 ? 0.0f : 1.0f;
        freeWheeling = round % 7 == 6 ? 1.0f : 0.0f;
        // In place, apart, crossed (the left output in the right input's buffer).
        float* outputs[] { round % 3 == 0 ? left.data() : (round % 3 == 1 ? outLeft.data() : right.data()), round % 3 == 0 ? right.data() : outRight.data() };
        lilv_instance_connect_port (lv2.instance, 0, left.data());
        lilv_instance_connect_port (lv2.instance, 1, right.data());
        lilv_instance_connect_port (lv2.instance, 2, outputs[0]);
        lilv_instance_connect_port (lv2.instance, 3, outputs[1]);

        for (const uint32_t length : { 0u, 1u, 64u, 4096u, 3u })
        {
            sequence->atom.size = sizeof (events) - sizeof (LV2_Atom);
            const AudioThreadGuard guard;
            lilv_instance_run (lv2.instance, length);
            counts.allocations += guard.getCounts().allocations;
            counts.locks += guard.getCounts().locks;
        }

        makeSignal (left, right, 8192, 48000.0);
    }

    EXPECT_EQ (counts.allocations, 0u) << AudioThreadGuard::firstOffender();
    EXPECT_EQ (counts.locks, 0u) << AudioThreadGuard::firstOffender();
}
