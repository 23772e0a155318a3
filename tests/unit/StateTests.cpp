#include "PresetTestHelpers.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <thread>

namespace
{
const char* const parameterNames[] = { "Bypass", "StereoWidth", "Pan", "InputGain", "OutputGain", "SwapLR", "PhaseFlip", "Mono", "MuteAll", "MuteMid", "MuteSide", "PanCurve", "PanLaw", "MsMode", "PanMode", "SafeBassFreq", "SafeBass" };

std::unique_ptr<juce::XmlElement> elementOf (const juce::MemoryBlock& block)
{
    return juce::AudioProcessor::getXmlFromBinary (block.getData(), (int) block.getSize());
}

int mainDisplayHeight()
{
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;
    return displays.isEmpty() ? 1080 : displays.getReference (0).totalArea.getHeight();
}

/** RMS of the side signal (L - R) / 2 of the last block after feeding a side-only sine of the given frequency. */
float sideRmsAfter (WydenzaAudioProcessor& processor, double frequency, int numBlocks)
{
    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    double phase = 0.0;
    float rms = 0.0f;

    for (auto block = 0; block < numBlocks; ++block)
    {
        for (auto i = 0; i < buffer.getNumSamples(); ++i)
        {
            const auto s = 0.5f * (float) std::sin (phase);
            phase += juce::MathConstants<double>::twoPi * frequency / 48000.0;
            buffer.setSample (0, i, s);
            buffer.setSample (1, i, -s);
        }

        processor.processBlock (buffer, midi);

        double sum = 0.0;

        for (auto i = 0; i < buffer.getNumSamples(); ++i)
        {
            const auto side = 0.5 * (buffer.getSample (0, i) - buffer.getSample (1, i));
            sum += side * side;
        }

        rms = (float) std::sqrt (sum / buffer.getNumSamples());
    }

    return rms;
}
} // namespace

using StateTest = PresetTestEnvironment;

TEST_F (StateTest, FreshInstanceWritesEveryAttributeInOrderInTheBinaryWrapper)
{
    auto p = makeProcessor();
    const auto block = stateOf (*p);

    ASSERT_GT (block.getSize(), 9u);
    const auto* bytes = static_cast<const juce::uint8*> (block.getData());
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes), 0x21324356u);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), (juce::uint32) block.getSize() - 9);
    EXPECT_EQ (bytes[block.getSize() - 1], 0);

    const auto xml = elementOf (block);
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "Q7PLUGINSETTINGS");
    EXPECT_EQ (xml->getNumChildElements(), 0);

    juce::StringArray expectedOrder { "defaultEditorHeight", "lastEditorHeight", "colourSchemeBrightnessAsDouble", "programName", "channelName", "expertModeAsDouble", "stepFactoryPresets" };

    for (const auto* name : parameterNames)
        expectedOrder.add (name);

    ASSERT_EQ (xml->getNumAttributes(), expectedOrder.size());

    for (auto i = 0; i < expectedOrder.size(); ++i)
        EXPECT_EQ (xml->getAttributeName (i), expectedOrder[i]) << "attribute " << i;

    EXPECT_EQ (xml->getStringAttribute ("programName"), "Init");
    EXPECT_EQ (xml->getStringAttribute ("channelName"), "No Channel Name");
    EXPECT_EQ (xml->getDoubleAttribute ("expertModeAsDouble", -1.0), 0.0);
    EXPECT_EQ (xml->getStringAttribute ("stepFactoryPresets"), "1");
    EXPECT_EQ ((float) xml->getDoubleAttribute ("colourSchemeBrightnessAsDouble"), 0.3f);
    EXPECT_NE (xml->getDoubleAttribute ("colourSchemeBrightnessAsDouble"), 0.3) << "written from the single-precision value";
    EXPECT_EQ (xml->getIntAttribute ("defaultEditorHeight"), juce::roundToInt ((float) mainDisplayHeight() * 0.5f));
    EXPECT_EQ (xml->getIntAttribute ("lastEditorHeight"), xml->getIntAttribute ("defaultEditorHeight"));

    for (auto i = 0; i < 17; ++i)
        EXPECT_EQ ((float) xml->getDoubleAttribute (parameterNames[i], -1.0), p->getParameterDefaultValue (i)) << parameterNames[i];
}

TEST_F (StateTest, RestoringIntoAFreshInstanceAndSavingAgainGivesTheSameBytes)
{
    auto original = makeProcessor();
    original->selectFactoryPreset (5);
    original->setParameterFromEditor ("Pan", 0.3125f, true);
    original->setParameterFromEditor ("PanLaw", 0.2f, true);
    original->setParameterFromEditor ("InputGain", 0.123456789f, true);
    original->channelName = "Drums & \"Bus\" <2>";
    original->expertMode = 1.0;
    original->colourSchemeBrightness = 0.0f;
    original->lastEditorHeight = 777;
    original->defaultEditorHeight = 612;

    const auto first = stateOf (*original);
    EXPECT_EQ (elementOf (first)->getStringAttribute ("programName"), "GROUP Stereo 150% + SafeBass*");

    auto copy = makeProcessor();
    restore (*copy, first);

    EXPECT_EQ (stateOf (*copy), first);
    EXPECT_EQ (copy->channelName, original->channelName);
    EXPECT_EQ (copy->expertMode, 1.0);
    EXPECT_EQ (copy->colourSchemeBrightness, 0.0f);
    EXPECT_EQ (copy->lastEditorHeight, 777);
    EXPECT_EQ (copy->defaultEditorHeight, 612);
    EXPECT_EQ (copy->getCurrentPresetIndex(), 0) << "a name with its \"*\" is found in no list";

    for (auto i = 0; i < 17; ++i)
        EXPECT_EQ (copy->getParameter (i), original->getParameter (i)) << parameterNames[i];

    // The "*" becomes part of the restored name; the restored preset is not marked as modified.
    EXPECT_FALSE (copy->isPresetModified());
    EXPECT_EQ (copy->getPresetState()["PresetName"].toString(), "GROUP Stereo 150% + SafeBass*");
    EXPECT_EQ (copy->getProgramName (0), "GROUP Stereo 150% + SafeBass*");
}

TEST_F (StateTest, AChunkWithOnlyTheLastEditorHeightResetsWhatItLacks)
{
    auto p = makeProcessor();
    p->defaultEditorHeight = 700;
    p->channelName = "Vocals";
    p->expertMode = 1.0;
    p->setParameter (p->getParameterSet().indexOf ("StereoWidth"), 0.8f);

    juce::XmlElement element ("Q7PLUGINSETTINGS");
    element.setAttribute ("lastEditorHeight", 450);
    restore (*p, chunkOf (element));

    EXPECT_EQ (p->defaultEditorHeight, 700);
    EXPECT_EQ (p->lastEditorHeight, 450);
    EXPECT_EQ (p->channelName, "Vocals");
    EXPECT_EQ (p->getPresetDisplayName(), "(NO NAME)");
    EXPECT_EQ (p->colourSchemeBrightness, 0.0f);
    EXPECT_EQ (p->expertMode, 0.0);
    EXPECT_TRUE (p->isSteppingFactoryPresets());

    for (auto i = 0; i < 17; ++i)
        EXPECT_EQ (p->getParameter (i), 0.0f) << parameterNames[i];

    // The replaced preset tree carries the restored values.
    EXPECT_EQ ((double) PresetTree::findParameter (p->getPresetState(), "StereoWidth")["Value"], 0.0);
}

TEST_F (StateTest, AMissingLastEditorHeightTakesTheRestoredDefault)
{
    auto p = makeProcessor();
    juce::XmlElement element ("Q7PLUGINSETTINGS");
    element.setAttribute ("defaultEditorHeight", 333);
    restore (*p, chunkOf (element));

    EXPECT_EQ (p->defaultEditorHeight, 333);
    EXPECT_EQ (p->lastEditorHeight, 333);
}

TEST_F (StateTest, AHostPresetWithoutEditorSettingsKeepsTheEditorAsTheUserSetIt)
{
    // What a host's preset holds: the parameters and the preset's name, no editor setting.
    juce::XmlElement preset ("Q7PLUGINSETTINGS");
    preset.setAttribute ("programName", "TRACK Stereo 200%");
    preset.setAttribute ("StereoWidth", 1.0);

    auto project = makeProcessor();
    project->lastEditorHeight = 640;
    project->colourSchemeBrightness = 0.9f;
    project->channelName = "Project";
    project->expertMode = 1.0;
    const auto projectChunk = stateOf (*project);

    const auto expectEditorOf = [] (WydenzaAudioProcessor& p, int height, float scheme, const char* name, double mode)
    {
        EXPECT_EQ (p.lastEditorHeight, height);
        EXPECT_EQ (p.colourSchemeBrightness, scheme);
        EXPECT_EQ (p.channelName, juce::String (name));
        EXPECT_EQ (p.expertMode, mode);
        EXPECT_EQ (valueOf (p, "StereoWidth"), 1.0f);
        EXPECT_EQ (p.getPresetDisplayName(), "TRACK Stereo 200%");
    };

    {
        SCOPED_TRACE ("on the message thread");
        auto p = makeProcessor();
        p->lastEditorHeight = 480;
        p->colourSchemeBrightness = 0.9f;
        p->channelName = "Vocals";
        p->expertMode = 1.0;
        restore (*p, chunkOf (preset));
        expectEditorOf (*p, 480, 0.9f, "Vocals", 1.0);
    }
    {
        SCOPED_TRACE ("a host thread restores a project and then a preset before the message thread runs");
        auto p = makeProcessor();
        std::thread host ([&]
                          {
                              restore (*p, projectChunk);
                              restore (*p, chunkOf (preset)); });
        host.join();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        expectEditorOf (*p, 640, 0.9f, "Project", 1.0);
    }
}

TEST_F (StateTest, TheStoredListFlagRelocatesThePresetIndex)
{
    auto p = makeProcessor();
    writeUserPreset ("Mine", { { "StereoWidth", 0.9f } });
    p->rescanUserPresets();

    juce::XmlElement element ("Q7PLUGINSETTINGS");
    element.setAttribute ("programName", "MASTER SafeBass 80 Hz");
    element.setAttribute ("stepFactoryPresets", 2);
    restore (*p, chunkOf (element));
    EXPECT_TRUE (p->isSteppingFactoryPresets()) << "2 leaves the flag";
    EXPECT_EQ (p->getCurrentPresetIndex(), 10) << "but the index is still relocated";

    element.setAttribute ("programName", "Mine");
    element.setAttribute ("stepFactoryPresets", 0);
    restore (*p, chunkOf (element));
    EXPECT_FALSE (p->isSteppingFactoryPresets());
    EXPECT_EQ (p->getCurrentPresetIndex(), 0);

    element.setAttribute ("programName", "TRACK Stereo 150%");
    element.removeAttribute ("stepFactoryPresets");
    restore (*p, chunkOf (element));
    EXPECT_FALSE (p->isSteppingFactoryPresets());
    EXPECT_EQ (p->getCurrentPresetIndex(), 0) << "without the flag nothing is relocated";

    element.setAttribute ("stepFactoryPresets", 1);
    restore (*p, chunkOf (element));
    EXPECT_TRUE (p->isSteppingFactoryPresets());
    EXPECT_EQ (p->getCurrentPresetIndex(), 2);

    element.setAttribute ("programName", "Nowhere");
    restore (*p, chunkOf (element));
    EXPECT_EQ (p->getCurrentPresetIndex(), 2) << "a name in no list leaves the index";
}

TEST_F (StateTest, UnusableChunksChangeNothing)
{
    auto p = makeProcessor();
    p->selectFactoryPreset (4);
    p->setParameterFromEditor ("Pan", 0.25f, true);
    p->channelName = "Keep";
    const auto before = stateOf (*p);

    std::vector<juce::MemoryBlock> chunks;
    chunks.emplace_back();

    const auto magic = [] (juce::uint32 length, const std::string& bytes)
    {
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        out.writeInt ((int) 0x21324356);
        out.writeInt ((int) length);
        out.write (bytes.data(), bytes.size());
        return block;
    };

    chunks.push_back (magic (20, std::string())); // header only
    chunks.push_back (magic (0, "<Q7PLUGINSETTINGS channelName=\"x\"/>")); // length 0
    chunks.push_back (magic (0xffffffffu, "<Q7PLUGINSETTINGS channelName=\"x\"/>")); // negative length
    chunks.push_back (magic (10, "<Q7PLUGINSETTINGS channelName=\"x\"/>")); // cut short: not XML

    {
        juce::XmlElement other ("ZelvoraPreset");
        other.setAttribute ("channelName", "x");
        chunks.push_back (chunkOf (other)); // another tag
    }

    {
        auto text = juce::String ("<Q7PLUGINSETTINGS channelName=\"x\"/>");
        juce::MemoryBlock block;
        block.append (text.toRawUTF8(), text.getNumBytesAsUTF8());
        chunks.push_back (block); // no wrapper
    }

    {
        // A preset file's bytes.
        const auto file = writeUserPreset ("AsChunk", { { "Pan", 1.0f } }, false);
        juce::MemoryBlock block;
        file.loadFileAsData (block);
        chunks.push_back (block);
    }

    {
        juce::Random random (1234);

        for (auto n : { 9, 100, 5000 })
        {
            juce::MemoryBlock block ((size_t) n);
            random.fillBitsRandomly (block.getData(), block.getSize());
            chunks.push_back (block);

            // Random bytes behind a valid magic number and length.
            auto wrapped = magic ((juce::uint32) n, std::string());
            wrapped.append (block.getData(), block.getSize());
            chunks.push_back (wrapped);
        }
    }

    chunks.push_back (magic (40, "<Q7PLUGINSETTINGS channelName=\"\xff\xfe\"/>")); // not UTF-8
    chunks.push_back (magic (40, "<Q7PLUGINSETTINGS channelName=\"x\"")); // unterminated
    chunks.push_back (magic (60, "<Q7PLUGINSETTINGS channelName=\"x\" Pan=\"0.7")); // truncated
    chunks.push_back (magic (60, "<Q7PLUGINSETTINGS channelName=\"x\"><a>")); // unclosed

    {
        std::string nested;

        for (auto i = 0; i < 200000; ++i)
            nested += "<Q7PLUGINSETTINGS>";

        chunks.push_back (magic ((juce::uint32) nested.size(), nested)); // deep nesting
    }

    {
        const std::string withEntities ("<!DOCTYPE Q7PLUGINSETTINGS [<!ENTITY a \"&a;&a;\">]>"
                                        "<Q7PLUGINSETTINGS channelName=\"&a;\"/>");
        chunks.push_back (magic ((juce::uint32) withEntities.size(), withEntities)); // entity loop
    }

    for (size_t i = 0; i < chunks.size(); ++i)
    {
        restore (*p, chunks[i]);
        EXPECT_EQ (stateOf (*p), before) << "chunk " << i;
        restore (*p, before);
    }

    p->setStateInformation (nullptr, 100);
    EXPECT_EQ (stateOf (*p), before);
    EXPECT_EQ (p->channelName, "Keep");
    EXPECT_EQ (valueOf (*p, "Pan"), 0.25f);
}

TEST_F (StateTest, ADeclaredLengthBeyondTheDataReadsOnlyTheData)
{
    auto p = makeProcessor();
    juce::XmlElement element ("Q7PLUGINSETTINGS");
    element.setAttribute ("channelName", "Found");
    auto block = chunkOf (element);
    static_cast<juce::uint32*> (block.getData())[1] = juce::ByteOrder::swapIfBigEndian ((juce::uint32) 0x7fffffff);

    restore (*p, block);
    EXPECT_EQ (p->channelName, "Found");
}

TEST_F (StateTest, NonFiniteNumbersInAChunkRestoreAsZero)
{
    auto p = makeProcessor();
    juce::XmlElement element ("Q7PLUGINSETTINGS");
    element.setAttribute ("StereoWidth", "nan");
    element.setAttribute ("Pan", "1e999");
    element.setAttribute ("expertModeAsDouble", "inf");
    element.setAttribute ("OutputGain", 0.75);
    restore (*p, chunkOf (element));

    EXPECT_EQ (valueOf (*p, "StereoWidth"), 0.0f);
    EXPECT_EQ (valueOf (*p, "Pan"), 0.0f);
    EXPECT_EQ (p->expertMode, 0.0);
    EXPECT_EQ (valueOf (*p, "OutputGain"), 0.75f);
}

TEST_F (StateTest, ARestoredCrossoverFiltersFromTheNextBlock)
{
    auto source = makeProcessor();
    source->setParameter (source->getParameterSet().indexOf ("SafeBass"), 1.0f);
    source->setParameter (source->getParameterSet().indexOf ("SafeBassFreq"), 1.0f); // 500 Hz
    const auto chunk = stateOf (*source);

    auto p = makeProcessor();
    p->setRateAndBufferSizeDetails (48000.0, 512);
    p->prepareToPlay (48000.0, 512);
    p->setParameter (p->getParameterSet().indexOf ("SafeBass"), 1.0f);
    p->setParameter (p->getParameterSet().indexOf ("SafeBassFreq"), 0.0f); // 10 Hz: a 100 Hz side passes

    const auto passed = sideRmsAfter (*p, 100.0, 8);
    EXPECT_GT (passed, 0.3f);

    restore (*p, chunk);
    const auto filtered = sideRmsAfter (*p, 100.0, 8);
    EXPECT_LT (filtered, 0.5f * passed) << "the restored 500 Hz crossover must act on a running instance";
}

TEST_F (StateTest, TheSettingsFileIsSeededOnceBesideThePresetsFolder)
{
    {
        auto p = makeProcessor();
        EXPECT_EQ (p->defaultEditorDesktopHeightRatio, 0.5f);
    }

    ASSERT_TRUE (settingsFile().existsAsFile());
    EXPECT_FALSE (home.getChildFile ("ZELVORA").exists()) << "no visible folder in the home folder";

    {
        juce::PropertiesFile file (settingsFile(), SettingsFile::makeOptions());
        EXPECT_EQ (file.getDoubleValue ("DefaultEditorDesktopHeightRatio"), 0.5);
        EXPECT_EQ (file.getValue ("Presets Folder"), presetsFolder().getFullPathName() + "/");
    }

    writeSettings ("DefaultEditorDesktopHeightRatio", 0.75);

    {
        auto p = makeProcessor();
        EXPECT_EQ (p->defaultEditorDesktopHeightRatio, 0.75f);
        EXPECT_EQ (p->defaultEditorHeight, juce::roundToInt ((float) mainDisplayHeight() * 0.75f));
        EXPECT_EQ (p->lastEditorHeight, p->defaultEditorHeight);
    }

    juce::PropertiesFile file (settingsFile(), SettingsFile::makeOptions());
    EXPECT_EQ (file.getDoubleValue ("DefaultEditorDesktopHeightRatio"), 0.75) << "an existing file is not re-seeded";
}

TEST_F (StateTest, ARatioOfZeroOrBelowReadsAsOneHalf)
{
    for (auto stored : { juce::var (0.0), juce::var (-0.25), juce::var ("not a number") })
    {
        writeSettings ("DefaultEditorDesktopHeightRatio", stored);
        auto p = makeProcessor();
        EXPECT_EQ (p->readDefaultEditorDesktopHeightRatio(), 0.5f) << stored.toString();
        EXPECT_EQ (p->defaultEditorDesktopHeightRatio, 0.5f);
        EXPECT_EQ (p->defaultEditorHeight, juce::roundToInt ((float) mainDisplayHeight() * 0.5f));
    }
}

TEST_F (StateTest, TheRestoredPresetIsNamedAsSavedWhetherOrNotEitherSideWasModified)
{
    for (const auto savedModified : { false, true })
    {
        for (const auto targetModified : { false, true })
        {
            auto source = makeProcessor();
            source->selectFactoryPreset (2);

            if (savedModified)
                source->setParameterFromEditor ("Pan", 0.25f, true);

            const auto chunk = stateOf (*source);
            const juce::String saved = savedModified ? "TRACK Stereo 150%*" : "TRACK Stereo 150%";

            auto target = makeProcessor();

            if (targetModified)
                target->setParameterFromEditor ("Mono", 1.0f, true);

            restore (*target, chunk);
            const auto context = juce::String ("saved ") + (savedModified ? "modified" : "unmodified") + " into " + (targetModified ? "modified" : "unmodified");
            EXPECT_EQ (target->getProgramName (0), saved) << context;
            EXPECT_EQ (target->getPresetState()["PresetName"].toString(), saved) << context;
            EXPECT_FALSE (target->isPresetModified()) << context;
            EXPECT_EQ (stateOf (*target), chunk) << context;
        }
    }
}

TEST_F (StateTest, ARestoreOnAHostThreadIsTheStateAtOnceAndReachesThePresetOnTheMessageThread)
{
    auto source = makeProcessor();
    source->selectFactoryPreset (2);
    source->setParameterFromEditor ("Pan", 0.3f, true);
    source->channelName = "From The Host";
    source->expertMode = 1.0;
    const auto chunk = stateOf (*source);

    auto p = makeProcessor();
    p->setParameterFromEditor ("Mono", 1.0f, true);

    // A host that runs no message loop: it restores and asks for the state again on its own thread.
    juce::MemoryBlock seenByHost;
    std::thread host ([&]
                      {
                          restore (*p, chunk);
                          seenByHost = stateOf (*p); });
    host.join();

    EXPECT_EQ (seenByHost, chunk);
    EXPECT_EQ (valueOf (*p, "Pan"), 0.3f) << "the parameters take their values at once";
    EXPECT_EQ (p->getPresetDisplayName(), "Init*") << "the current preset is the message thread's";
    EXPECT_EQ (stateOf (*p), chunk);

    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (p->getPresetDisplayName(), "TRACK Stereo 150%*");
    EXPECT_FALSE (p->isPresetModified());
    EXPECT_EQ (p->channelName, "From The Host");
    EXPECT_EQ (p->expertMode, 1.0);
    EXPECT_EQ (stateOf (*p), chunk);

    p->undo();
    EXPECT_EQ (valueOf (*p, "Pan"), 0.3f) << "the restore is a step of its own on the replaced tree";
}
