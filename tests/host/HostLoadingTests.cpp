#include "ChainModel.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
namespace cm = chain_model;

const char* const parameterNames[] = { "Bypass", "StereoWidth", "Pan", "InputGain", "OutputGain", "SwapLR", "PhaseFlip", "Mono", "MuteAll", "MuteMid", "MuteSide", "PanCurve", "PanLaw", "MsMode", "PanMode", "SafeBassFreq", "SafeBass" };
const char* const defaultTexts[] = { "BYPASS OFF", "100 %", "C", "0.0dB", "0.0dB", "NO SWAP", "PHASE NORMAL", "MONO OFF", "NO MUTE-ALL", "NO MUTE-MID", "NO MUTE-SIDE", "logarithmic", "-0dB", "fix mid", "balance", "150Hz", "SAFE BASS OFF" };

enum class Format
{
    vst3,
    lv2,
    vst
};

const char* formatName (Format f)
{
    return f == Format::vst3 ? "VST3" : (f == Format::lv2 ? "LV2" : "VST");
}

juce::AudioPluginFormat* findFormat (juce::AudioPluginFormatManager& manager, const juce::String& name)
{
    for (auto* format : manager.getFormats())
        if (format->getName() == name)
            return format;
    return nullptr;
}

struct LoadedPlugin
{
    juce::PluginDescription description;
    std::unique_ptr<juce::AudioPluginInstance> instance;
};

LoadedPlugin load (Format which, double sampleRate = 44100.0, int blockSize = 1024)
{
    static juce::AudioPluginFormatManager manager;
    if (manager.getNumFormats() == 0)
        manager.addDefaultFormats();

    juce::OwnedArray<juce::PluginDescription> found;
    juce::AudioPluginFormat* format = nullptr;

    if (which == Format::vst3)
    {
        format = findFormat (manager, "VST3");
        format->findAllTypesForFile (found, WYDENZA_VST3_PATH);
    }
    else if (which == Format::vst)
    {
        format = findFormat (manager, "VST");
        format->findAllTypesForFile (found, WYDENZA_VST_PATH);
    }
    else
    {
        format = findFormat (manager, "LV2");
        const auto bundle = juce::File (WYDENZA_LV2_PATH);
        format->searchPathsForPlugins (juce::FileSearchPath (bundle.getParentDirectory().getFullPathName()), true, false);
        format->findAllTypesForFile (found, "urn:zelvora:wydenza");
    }

    LoadedPlugin result;
    if (found.isEmpty())
        return result;

    result.description = *found[0];
    juce::String error;
    result.instance = manager.createPluginInstance (result.description, sampleRate, blockSize, error);
    EXPECT_TRUE (error.isEmpty()) << error;
    return result;
}

/** Where the plug-in puts a parameter with this LV2 identifier ("...:StereoWidth", "...:reserved20"). */
int indexForLv2Identifier (const juce::String& identifier)
{
    const auto key = identifier.fromLastOccurrenceOf (":", false, false);
    for (int i = 0; i < cm::NumParameters; ++i)
        if (key == parameterNames[i])
            return i;
    return key.startsWith ("reserved") ? key.substring (8).getIntValue() : -1;
}

/** The plug-in's own parameters in the plug-in's order, without the host-bypass parameter a VST3
    wrapper adds. An LV2 host lists parameters in its own order, so they are put back by identifier.
*/
juce::Array<juce::AudioProcessorParameter*> ownParameters (juce::AudioPluginInstance& instance)
{
    juce::Array<juce::AudioProcessorParameter*> result;
    for (auto* p : instance.getParameters())
        if (p != instance.getBypassParameter())
            result.add (p);

    if (instance.getPluginDescription().pluginFormatName == "LV2")
    {
        juce::Array<juce::AudioProcessorParameter*> ordered;
        ordered.resize (result.size());
        for (auto* p : result)
            if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (p))
                if (juce::isPositiveAndBelow (indexForLv2Identifier (hosted->getParameterID()), result.size()))
                    ordered.set (indexForLv2Identifier (hosted->getParameterID()), p);
        if (! ordered.contains (nullptr))
            return ordered;
    }

    return result;
}

void setParameter (juce::AudioPluginInstance& instance, int index, float value)
{
    auto* p = ownParameters (instance)[index];
    p->beginChangeGesture();
    p->setValueNotifyingHost (value);
    p->endChangeGesture();
}

void runSilentBlock (juce::AudioPluginInstance& instance)
{
    juce::AudioBuffer<float> silence (2, 256);
    silence.clear();
    juce::MidiBuffer none;
    instance.processBlock (silence, none);
}

bool isClean (float x)
{
    return std::isfinite (x) && (x == 0.0f || std::abs (x) >= std::numeric_limits<float>::min());
}

class HostLoading : public ::testing::TestWithParam<Format>
{
};
} // namespace

TEST_P (HostLoading, ReportsItsIdentityAndParameters)
{
    auto plugin = load (GetParam());
    ASSERT_NE (plugin.instance, nullptr) << "could not load the " << formatName (GetParam()) << " binary";
    auto& instance = *plugin.instance;

    EXPECT_EQ (instance.getName(), "Wydenza");
    EXPECT_EQ (plugin.description.manufacturerName, "ZELVORA");
    EXPECT_FALSE (plugin.description.isInstrument);
    EXPECT_EQ (plugin.description.numInputChannels, 2);
    EXPECT_EQ (plugin.description.numOutputChannels, 2);
    EXPECT_FALSE (instance.acceptsMidi());
    EXPECT_FALSE (instance.producesMidi());
    EXPECT_TRUE (instance.hasEditor());

    if (GetParam() == Format::vst)
    {
        EXPECT_EQ (plugin.description.uniqueId, 0x51375779) << "VST unique ID 'Q7Wy'";
        // The vendor version 110, in the dotted form JUCE's host derives from it.
        EXPECT_EQ (plugin.description.version, "0.1.1.0");
    }
    else if (GetParam() == Format::vst3)
    {
        EXPECT_EQ (plugin.description.version, "1.1.0");
    }

    // Hosts that address parameters by index keep the empty slots; the others list only the 17.
    const auto params = ownParameters (instance);
    ASSERT_EQ (params.size(), GetParam() == Format::vst ? 50 : cm::NumParameters);

    for (int i = 0; i < params.size(); ++i)
    {
        auto* p = params[i];
        if (i < 17)
        {
            EXPECT_EQ (p->getName (100), parameterNames[i]) << i;
            // An LV2 host has no way to ask the plug-in for a value's text; it shows the number.
            if (GetParam() != Format::lv2)
                EXPECT_EQ (p->getCurrentValueAsText(), defaultTexts[i]) << i;
            // VST 2.4 has no way to tell a host a parameter's default.
            if (GetParam() != Format::vst)
                EXPECT_NEAR (p->getDefaultValue(), cm::defaults()[(size_t) i], 1e-6f) << i;
            EXPECT_NEAR (p->getValue(), cm::defaults()[(size_t) i], 1e-6f) << i;
        }
        else
        {
            EXPECT_EQ (p->getName (100), "reserved") << i;
        }
        EXPECT_TRUE (p->isAutomatable());
    }

    setParameter (instance, cm::StereoWidth, 0.75f);
    EXPECT_NEAR (params[cm::StereoWidth]->getValue(), 0.75f, 1e-6f);
    if (GetParam() != Format::lv2)
        EXPECT_EQ (params[cm::StereoWidth]->getCurrentValueAsText(), "150 %");
    setParameter (instance, cm::Pan, 0.25f);
    EXPECT_NEAR (params[cm::Pan]->getValue(), 0.25f, 1e-6f);
    if (GetParam() != Format::lv2)
        EXPECT_EQ (params[cm::Pan]->getCurrentValueAsText(), "L50");
}

TEST_P (HostLoading, ProcessesNoiseLikeTheModelAtEveryRateAndBlockSize)
{
    std::mt19937 rng (42);
    std::uniform_real_distribution<float> noise (-0.9f, 0.9f);

    for (double rate : { 44100.0, 48000.0, 96000.0 })
    {
        for (int blockSize : { 64, 256, 1024 })
        {
            auto plugin = load (GetParam(), rate, blockSize);
            ASSERT_NE (plugin.instance, nullptr);
            auto& instance = *plugin.instance;

            auto values = cm::defaults();
            values[cm::StereoWidth] = 0.8f;
            values[cm::Pan] = 0.4f;
            values[cm::InputGain] = 0.6f;
            values[cm::SafeBass] = 1.0f;
            values[cm::PanCurve] = 0.2f;
            values[cm::PanLaw] = 0.1f;
            // A host prepares first: the framework's LV2 host makes a new instance in prepareToPlay and
            // gives it the values its ports held, not changes still waiting for the next block.
            instance.setRateAndBufferSizeDetails (rate, blockSize);
            instance.prepareToPlay (rate, blockSize);

            for (int i = 0; i < cm::NumParameters; ++i)
                setParameter (instance, i, values[(size_t) i]);
            cm::Model model (rate);
            juce::MidiBuffer midi;

            for (int block = 0; block < 20; ++block)
            {
                juce::AudioBuffer<float> buffer (2, blockSize);
                for (int ch = 0; ch < 2; ++ch)
                    for (int i = 0; i < blockSize; ++i)
                        buffer.setSample (ch, i, noise (rng));

                juce::AudioBuffer<float> expected (buffer);
                model.processBlock (expected.getWritePointer (0), expected.getWritePointer (1), blockSize, values);
                instance.processBlock (buffer, midi);

                for (int ch = 0; ch < 2; ++ch)
                    for (int i = 0; i < blockSize; ++i)
                    {
                        const auto x = buffer.getSample (ch, i), e = expected.getSample (ch, i);
                        ASSERT_TRUE (isClean (x)) << formatName (GetParam()) << " produced " << x;
                        // Safe bass is on: its high-pass magnifies last-bit rounding differences.
                        ASSERT_NEAR (x, e, 1.0e-3f * std::max (1.0f, std::abs (e)))
                            << formatName (GetParam()) << " at " << rate << " Hz, block " << blockSize;
                    }
            }

            instance.releaseResources();
        }
    }
}

TEST_P (HostLoading, FollowsAutomationBetween32SampleSubBlocks)
{
    auto plugin = load (GetParam(), 48000.0, 512);
    ASSERT_NE (plugin.instance, nullptr);
    auto& instance = *plugin.instance;
    instance.prepareToPlay (48000.0, 512);

    cm::Model model (48000.0);
    auto values = cm::defaults();
    std::mt19937 rng (7);
    std::uniform_real_distribution<float> unit (0.0f, 1.0f);
    juce::MidiBuffer midi;

    for (int sub = 0; sub < 64; ++sub)
    {
        values[cm::Pan] = unit (rng);
        values[cm::StereoWidth] = unit (rng);
        values[cm::OutputGain] = unit (rng);
        setParameter (instance, cm::Pan, values[cm::Pan]);
        setParameter (instance, cm::StereoWidth, values[cm::StereoWidth]);
        setParameter (instance, cm::OutputGain, values[cm::OutputGain]);

        juce::AudioBuffer<float> buffer (2, 32);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 32; ++i)
                buffer.setSample (ch, i, unit (rng) - 0.5f);

        juce::AudioBuffer<float> expected (buffer);
        model.processBlock (expected.getWritePointer (0), expected.getWritePointer (1), 32, values);
        instance.processBlock (buffer, midi);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 32; ++i)
                ASSERT_NEAR (buffer.getSample (ch, i), expected.getSample (ch, i), 2.0e-5f * std::max (1.0f, std::abs (expected.getSample (ch, i))))
                    << formatName (GetParam()) << " sub-block " << sub;
    }
}

TEST_P (HostLoading, SavesAndRestoresItsStateThroughTheFormat)
{
    auto first = load (GetParam(), 48000.0, 256);
    ASSERT_NE (first.instance, nullptr);
    first.instance->prepareToPlay (48000.0, 256);

    const std::pair<int, float> changes[] = { { cm::StereoWidth, 0.8f }, { cm::Pan, 0.3f }, { cm::InputGain, 0.65f }, { cm::SwapLR, 1.0f }, { cm::PanCurve, 0.2f }, { cm::SafeBassFreq, 0.4f }, { cm::SafeBass, 1.0f }, { cm::MsMode, 0.1f } };
    for (auto [index, value] : changes)
        setParameter (*first.instance, index, value);

    // An LV2 host hands parameter changes to the plug-in with the next block.
    runSilentBlock (*first.instance);

    juce::MemoryBlock saved;
    first.instance->getStateInformation (saved);
    ASSERT_GT (saved.getSize(), 0u);

    auto second = load (GetParam(), 48000.0, 256);
    ASSERT_NE (second.instance, nullptr);
    second.instance->prepareToPlay (48000.0, 256);
    second.instance->setStateInformation (saved.getData(), (int) saved.getSize());

    // A block after the restore, as a host runs one.
    runSilentBlock (*second.instance);

    const auto restored = ownParameters (*second.instance);
    for (auto [index, value] : changes)
        EXPECT_NEAR (restored[index]->getValue(), value, 1e-6f) << formatName (GetParam()) << " parameter " << index;
    EXPECT_NEAR (restored[cm::OutputGain]->getValue(), 0.5f, 1e-6f);

    juce::MemoryBlock savedAgain;
    second.instance->getStateInformation (savedAgain);
    EXPECT_TRUE (saved == savedAgain) << formatName (GetParam()) << ": save, restore and save again must give the same bytes";

    // Both instances now sound the same.
    juce::AudioBuffer<float> a (2, 256), b (2, 256);
    std::mt19937 rng (11);
    std::uniform_real_distribution<float> noise (-0.5f, 0.5f);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 256; ++i)
            a.setSample (ch, i, noise (rng));
    b.makeCopyOf (a);
    juce::MidiBuffer midi;
    first.instance->processBlock (a, midi);
    second.instance->processBlock (b, midi);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ (a.getSample (ch, i), b.getSample (ch, i)) << formatName (GetParam());
}

INSTANTIATE_TEST_SUITE_P (Formats, HostLoading, ::testing::Values (Format::vst3, Format::lv2, Format::vst), [] (const auto& info)
                          { return std::string (formatName (info.param)); });

TEST (Lv2Bundle, NamesTheMakersHomepageAndAddressAndWritesNoEmptyLink)
{
    juce::String turtle;

    for (const auto& entry : juce::RangedDirectoryIterator (juce::File (WYDENZA_LV2_PATH), false, "*.ttl"))
        turtle << entry.getFile().loadFileAsString();

    ASSERT_TRUE (turtle.contains ("doap:maintainer"));
    EXPECT_TRUE (turtle.contains ("foaf:homepage <https://www.zelvora.example>"));
    EXPECT_TRUE (turtle.contains ("foaf:mbox <mailto:info@zelvora.example>"));
    EXPECT_FALSE (turtle.contains ("<>")); // an empty link resolves to the Turtle file itself
}

TEST (Vst3PresetFiles, EachLoadsThroughTheVst3HostPathAndGivesThePluginTheValuesAndNameItHolds)
{
    auto plugin = load (Format::vst3);
    ASSERT_NE (plugin.instance, nullptr);
    auto files = juce::File (WYDENZA_VST3_PRESETS_PATH).findChildFiles (juce::File::findFiles, false, "*.vstpreset");
    EXPECT_EQ (files.size(), 14);
    files.sort();

    for (const auto& file : files)
    {
        SCOPED_TRACE (file.getFileName().toStdString());
        juce::MemoryBlock data;
        ASSERT_TRUE (file.loadFileAsData (data) && data.getSize() > 48 + 28);
        ASSERT_TRUE (juce::VST3PluginFormat::setStateFromVSTPresetFile (plugin.instance.get(), data));

        // The component state follows the 48-byte header; the chunk list's one entry ends with its size.
        const auto stateSize = (int) juce::ByteOrder::littleEndianInt64 (data.begin() + data.getSize() - 8);
        const auto state = juce::AudioProcessor::getXmlFromBinary (data.begin() + 48, stateSize);
        ASSERT_NE (state, nullptr);
        EXPECT_EQ (state->getStringAttribute ("programName"), file.getFileNameWithoutExtension());

        // The plug-in's own state afterwards, as the VST3 host reads it from the component.
        juce::MemoryBlock hostState, componentState;
        plugin.instance->getStateInformation (hostState);
        const auto hostXml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize());
        ASSERT_TRUE (hostXml != nullptr && hostXml->getChildByName ("IComponent") != nullptr);
        ASSERT_TRUE (componentState.fromBase64Encoding (hostXml->getChildByName ("IComponent")->getAllSubText()));
        const auto restored = juce::AudioProcessor::getXmlFromBinary (componentState.getData(), (int) componentState.getSize());
        ASSERT_NE (restored, nullptr);
        EXPECT_EQ (restored->getStringAttribute ("programName"), file.getFileNameWithoutExtension());

        const auto parameters = ownParameters (*plugin.instance);
        for (int i = 0; i < cm::NumParameters; ++i)
        {
            EXPECT_EQ (parameters[i]->getValue(), (float) state->getDoubleAttribute (parameterNames[i], -1.0)) << parameterNames[i];
            EXPECT_EQ (restored->getDoubleAttribute (parameterNames[i], -1.0), state->getDoubleAttribute (parameterNames[i], -2.0)) << parameterNames[i];
        }
    }
}
