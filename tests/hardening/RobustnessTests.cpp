// Bad input from the host, from stored state and from files: the plug-in carries on, and its output
// stays usable.
#include "HardeningHelpers.h"
#include "PresetTestHelpers.h"
#include "presets/BoundedXml.h"
#include "presets/FactoryPresets.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <limits>

using namespace hardening;

namespace
{
/** Every switch combination with the default choices, one after another on the same processor. */
template <typename Body>
void forEverySwitchCombination (WydenzaAudioProcessor& p, Body&& body)
{
    for (auto mask = 0; mask < (1 << switchNames.size()); ++mask)
    {
        for (size_t s = 0; s < switchNames.size(); ++s)
            p.setParameter (indexOf (p, switchNames[s]), (mask >> s) & 1 ? 1.0f : 0.0f);

        body (mask);
    }
}

bool hasSubnormal (const juce::AudioBuffer<float>& buffer)
{
    for (auto c = 0; c < buffer.getNumChannels(); ++c)
        for (auto i = 0; i < buffer.getNumSamples(); ++i)
            if (std::fpclassify (buffer.getSample (c, i)) == FP_SUBNORMAL)
                return true;

    return false;
}

class RobustnessTest : public PresetTestEnvironment
{
protected:
    /** Writes a preset file with the right header and this XML body; true when it reads back as a preset. */
    bool readsAsPreset (const juce::String& fileName, const std::string& xml)
    {
        const auto file = home.getChildFile (fileName);
        const auto text = std::string (PresetFile::headerMagic) + '\0' + xml;
        return file.replaceWithData (text.data(), text.size()) && PresetFile::read (file).isValid();
    }

    /** Hands the processor a state chunk in the framework's binary XML wrapping around this text. */
    static void restoreChunkWithXml (juce::AudioProcessor& processor, const std::string& xml)
    {
        juce::MemoryBlock chunk;
        {
            juce::MemoryOutputStream out (chunk, false);
            out.writeInt (0x21324356);
            out.writeInt ((int) xml.size() + 1);
            out.write (xml.data(), xml.size() + 1);
        }
        processor.setStateInformation (chunk.getData(), (int) chunk.getSize());
    }
};
} // namespace

TEST_F (RobustnessTest, NonFiniteSamplesLeaveTheNextBlockCleanUnderEverySwitchCombination)
{
    auto p = makeProcessor();
    prepare (*p, 44100.0, 128);
    p->setParameter (indexOf (*p, "SafeBassFreq"), 0.3f);

    juce::AudioBuffer<float> buffer (2, 128);
    juce::MidiBuffer midi;
    const float bad[] { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity() };

    forEverySwitchCombination (*p, [&] (int mask)
                               {
        for (const auto value : bad)
        {
            fillWithSignal (buffer, 0);
            buffer.setSample (0, 5, value);
            buffer.setSample (1, 90, value);
            p->processBlock (buffer, midi);

            // The meters never show NaN, whatever came in.
            for (const auto peak : { p->takeInputPeakLeft(), p->takeInputPeakRight(), p->takeOutputPeakLeft(),
                                     p->takeOutputPeakRight() })
                EXPECT_FALSE (std::isnan (peak)) << "switches " << mask << ", sample " << value;

            fillWithSignal (buffer, 128);
            p->processBlock (buffer, midi);
            ASSERT_TRUE (allFinite (buffer)) << "switches " << mask << ", after sample " << value;
            EXPECT_LE (p->takeOutputPeakLeft(), 8.0f);
        } });
}

TEST_F (RobustnessTest, SubnormalSamplesGiveNoSubnormalOutputUnlessBypassed)
{
    auto p = makeProcessor();
    prepare (*p, 48000.0, 256);
    p->setParameter (indexOf (*p, "SafeBassFreq"), 0.5f);

    // 255 frames: the last three go through the frame-by-frame path, the rest four at a time.
    juce::AudioBuffer<float> buffer (2, 255);
    juce::MidiBuffer midi;

    forEverySwitchCombination (*p, [&] (int mask)
                               {
        // A decaying tail that ends deep in the subnormal range, as a reverb's does.
        for (auto i = 0; i < buffer.getNumSamples(); ++i)
        {
            const auto tiny = FLT_MIN * std::pow (0.5f, (float) (i % 23));
            buffer.setSample (0, i, i % 2 == 0 ? tiny : -tiny);
            buffer.setSample (1, i, tiny * 0.75f);
        }

        ASSERT_TRUE (hasSubnormal (buffer));
        const auto input = buffer;
        p->processBlock (buffer, midi);
        EXPECT_TRUE (allFinite (buffer)) << "switches " << mask;

        // Bypass hands the input back untouched, subnormals included; everything else flushes them.
        if ((mask & 1) != 0)
        {
            for (auto c = 0; c < 2; ++c)
                EXPECT_EQ (std::memcmp (buffer.getReadPointer (c), input.getReadPointer (c), sizeof (float) * (size_t) buffer.getNumSamples()), 0);
        }
        else
        {
            EXPECT_FALSE (hasSubnormal (buffer)) << "switches " << mask;
        } });
}

TEST_F (RobustnessTest, FiniteParameterValuesOutsideTheRangeAreStoredAndGiveFiniteOutput)
{
    auto p = makeProcessor();
    prepare (*p, 44100.0, 64);
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;

    for (auto i = 0; i < p->getParameterSet().size(); ++i)
    {
        for (const auto value : { -1000.0f, -1.0f, -0.001f, 1.001f, 1.5f, 2.0f, 1000.0f })
        {
            // Gains far outside the range overflow by design: keep them where the result is finite.
            const auto isGain = i == indexOf (*p, "InputGain") || i == indexOf (*p, "OutputGain");
            const auto stored = isGain ? juce::jlimit (-2.0f, 2.0f, value) : value;

            p->setParameter (i, stored);
            EXPECT_EQ (p->getParameter (i), stored) << p->getParameterName (i);
            fillWithSignal (buffer, 0);
            p->processBlock (buffer, midi);
            EXPECT_TRUE (allFinite (buffer)) << p->getParameterName (i) << " = " << stored;
        }

        p->setParameter (i, p->getParameterDefaultValue (i));
    }

    // Writes to the reserved host slots and to indices no host sends are ignored.
    for (const auto i : { -1, 17, 49, 50, 1000 })
    {
        p->setParameter (i, 0.7f);
        EXPECT_EQ (p->getParameter (i), 0.0f) << i;
    }
}

TEST_F (RobustnessTest, EveryTruncationOfAStateChunkChangesNothing)
{
    auto source = makeProcessor();
    source->selectFactoryPreset (5);
    source->setParameterFromEditor ("Pan", 0.2f, true);
    juce::MemoryBlock chunk;
    source->getStateInformation (chunk);

    const auto* bytes = static_cast<const char*> (chunk.getData());
    auto lastBracket = (int) chunk.getSize() - 1;

    while (lastBracket > 0 && bytes[lastBracket] != '>')
        --lastBracket;

    auto target = makeProcessor();
    juce::MemoryBlock before;
    target->getStateInformation (before);

    // Any cut before the closing bracket leaves the XML incomplete: the chunk is ignored.
    for (auto length = 0; length <= lastBracket; ++length)
    {
        target->setStateInformation (chunk.getData(), length);
        juce::MemoryBlock after;
        target->getStateInformation (after);
        ASSERT_EQ (after, before) << "cut at " << length << " of " << chunk.getSize();
    }

    target->setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_EQ (target->getParameter (indexOf (*target, "Pan")), 0.2f);
}

TEST_F (RobustnessTest, RestoringStateOverAndOverKeepsTheUndoHistoryBounded)
{
    // Two chunks with different program names, as a host comparing two settings sends them.
    juce::MemoryBlock chunks[2];

    for (auto i = 0; i < 2; ++i)
    {
        juce::XmlElement xml ("Q7PLUGINSETTINGS");
        xml.setAttribute ("programName", "Setting " + juce::String (i));
        xml.setAttribute ("Pan", 0.25 * (i + 1));
        juce::AudioProcessor::copyXmlToBinary (xml, chunks[i]);
    }

    auto p = makeProcessor();

    for (auto i = 0; i < 5000; ++i)
        p->setStateInformation (chunks[i % 2].getData(), (int) chunks[i % 2].getSize());

    // Each restore is a step of its own, so the manager's limits apply and old steps go.
    auto& undo = p->getUndoManager();
    EXPECT_LE (undo.getNumActionsInCurrentTransaction(), 0);
    EXPECT_LE (undo.getNumberOfUnitsTakenUpByStoredCommands(), 30000 + 100);
    EXPECT_EQ (p->getProgramName (0), "Setting 1");
    EXPECT_TRUE (p->canUndo());
}

TEST_F (RobustnessTest, NumbersBeyondSinglePrecisionNeverBecomeInfiniteValues)
{
    auto p = makeProcessor();
    p->setParameter (indexOf (*p, "Pan"), 0.3f);

    // In a state chunk: restored as 0, like any other unusable number.
    juce::XmlElement xml ("Q7PLUGINSETTINGS");
    xml.setAttribute ("Pan", "1e300");
    xml.setAttribute ("InputGain", "-888888888888888888888888888888888888888888888888888");
    xml.setAttribute ("colourSchemeBrightnessAsDouble", "1e39");
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (xml, chunk);
    p->setStateInformation (chunk.getData(), (int) chunk.getSize());

    EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), 0.0f);
    EXPECT_EQ (p->getParameter (indexOf (*p, "InputGain")), 0.0f);
    EXPECT_EQ (p->colourSchemeBrightness, 0.0f);

    // In a preset: skipped, like a value that is no number.
    p->setParameter (indexOf (*p, "Pan"), 0.3f);
    auto tree = p->createPresetTree();
    tree.getChildWithProperty (PresetTree::parameterNameProperty, "Pan").setProperty (PresetTree::valueProperty, 1.0e300, nullptr);
    tree.getChildWithProperty (PresetTree::parameterNameProperty, "StereoWidth").setProperty (PresetTree::valueProperty, 0.75, nullptr);
    p->applyPresetTree (tree);

    EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), 0.3f);
    EXPECT_EQ (p->getParameter (indexOf (*p, "StereoWidth")), 0.75f);
}

TEST_F (RobustnessTest, AHugeStateChunkIsRestoredWithoutTrouble)
{
    // Sixteen megabytes of attributes nobody knows, around the values that matter.
    juce::XmlElement xml ("Q7PLUGINSETTINGS");
    xml.setAttribute ("Pan", 0.125);
    const auto filler = juce::String::repeatedString ("x", 1 << 16);

    for (auto i = 0; i < 256; ++i)
        xml.setAttribute ("unknown" + juce::String (i), filler);

    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (xml, chunk);
    ASSERT_GT (chunk.getSize(), 16u << 20);

    auto p = makeProcessor();
    p->setStateInformation (chunk.getData(), (int) chunk.getSize());
    EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), 0.125f);
    EXPECT_EQ (p->getParameter (indexOf (*p, "StereoWidth")), 0.0f); // absent values restore as 0

    // A chunk declaring more bytes than it has reads only what is there.
    auto lying = chunk;
    *reinterpret_cast<juce::uint32*> (juce::addBytesToPointer (lying.getData(), 4)) = 0x7fffffff;
    p->setParameter (indexOf (*p, "Pan"), 0.9f);
    p->setStateInformation (lying.getData(), (int) lying.getSize());
    EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), 0.125f);
}

TEST_F (RobustnessTest, EveryTruncationOfAPresetFileReadsAsNoPreset)
{
    auto p = makeProcessor();
    p->selectFactoryPreset (2);

    for (const auto compress : { false, true })
    {
        const auto file = home.getChildFile (compress ? "full-c.q7p" : "full.q7p");
        ASSERT_TRUE (PresetFile::write (p->createPresetTree(), file, compress));
        juce::MemoryBlock bytes;
        ASSERT_TRUE (file.loadFileAsData (bytes));
        ASSERT_TRUE (PresetFile::read (file).isValid());

        const auto cut = home.getChildFile ("cut.q7p");
        const auto* data = static_cast<const char*> (bytes.getData());
        auto lastUsefulByte = (int) bytes.getSize() - 1;

        // A plain body ends "...>" then a line break and zero: cutting those away still leaves the XML whole.
        if (! compress)
            while (lastUsefulByte > 0 && data[lastUsefulByte] != '>')
                --lastUsefulByte;

        for (auto length = 0; length < lastUsefulByte; ++length)
        {
            ASSERT_TRUE (cut.replaceWithData (data, (size_t) length));
            ASSERT_FALSE (PresetFile::read (cut).isValid()) << (compress ? "compressed" : "plain") << ", cut at " << length;
        }
    }
}

TEST_F (RobustnessTest, ACompressedPresetWhoseChecksumDoesNotMatchReadsAsNoPreset)
{
    auto p = makeProcessor();
    const auto text = p->createPresetTree().toXmlString();

    // Stored (level 0) blocks keep the text readable in the file: a changed digit still inflates cleanly,
    // and only the stream's checksum can tell.
    const auto writeStored = [&] (const juce::String& body, const juce::File& file)
    {
        juce::MemoryBlock bytes;
        {
            juce::MemoryOutputStream out (bytes, false);
            out.writeString (juce::String (PresetFile::headerMagic) + "c");
            juce::GZIPCompressorOutputStream zipped (out, 0);
            zipped.writeString (body);
            zipped.flush();
        }
        return file.replaceWithData (bytes.getData(), bytes.getSize()) ? bytes : juce::MemoryBlock();
    };

    const auto file = home.getChildFile ("stored.q7p");
    auto bytes = writeStored (text, file);
    ASSERT_TRUE (PresetFile::read (file).isValid());

    auto* data = static_cast<char*> (bytes.getData());
    const auto valueAt = std::string (data, bytes.getSize()).find ("Value=\"0");
    ASSERT_NE (valueAt, std::string::npos);
    data[valueAt + 7] = '1';
    ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
    EXPECT_FALSE (PresetFile::read (file).isValid());

    // Without its checksum the stream is cut, even though the text before it is whole.
    bytes = writeStored (text, file);
    ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize() - 4));
    EXPECT_FALSE (PresetFile::read (file).isValid());
}

TEST_F (RobustnessTest, ThePresetReaderRefusesAnAttributeNamedTwiceInOneElement)
{
    const auto file = home.getChildFile ("twice.q7p");
    const auto write = [&] (const char* xml)
    {
        juce::MemoryBlock bytes;
        juce::MemoryOutputStream out (bytes, false);
        out.writeString (PresetFile::headerMagic);
        out.writeString (xml);
        return file.replaceWithData (bytes.getData(), bytes.getSize());
    };

    ASSERT_TRUE (write ("<ZelvoraPreset PresetName=\"A\"><Parameter ParameterName=\"Pan\" Value=\"0.2\"/></ZelvoraPreset>"));
    ASSERT_TRUE (PresetFile::read (file).isValid());

    ASSERT_TRUE (write ("<ZelvoraPreset PresetName=\"A\"><Parameter ParameterName=\"Pan\" Value=\"0.2\" Value=\"0.9\"/></ZelvoraPreset>"));
    EXPECT_FALSE (PresetFile::read (file).isValid());

    ASSERT_TRUE (write ("<ZelvoraPreset PresetName=\"A\" PresetName=\"B\"/>"));
    EXPECT_FALSE (PresetFile::read (file).isValid());
}

TEST_F (RobustnessTest, OverlongOrSurrogateUtf8IsNoTextInPresetFilesOrStateChunks)
{
    const auto readsAsUtf8Preset = [this] (const std::string& xml)
    { return readsAsPreset ("utf8.q7p", xml); };

    EXPECT_TRUE (readsAsUtf8Preset ("<ZelvoraPreset PresetName=\"Caf\xc3\xa9 \xf0\x9f\x8e\xb5\"/>"));
    EXPECT_FALSE (readsAsUtf8Preset ("<Z\xc1\x88m PresetName=\"x\"/>")); // 'H' in two bytes
    EXPECT_FALSE (readsAsUtf8Preset ("<ZelvoraPreset PresetName=\"\xe0\x80\xaf\"/>")); // '/' in three bytes
    EXPECT_FALSE (readsAsUtf8Preset ("<ZelvoraPreset PresetName=\"\xed\xa0\x80\"/>")); // a surrogate
    EXPECT_FALSE (readsAsUtf8Preset ("<ZelvoraPreset PresetName=\"\xf4\x90\x80\x80\"/>")); // past U+10FFFF

    // The same check guards the state chunk: such a chunk changes nothing.
    auto p = makeProcessor();
    p->channelName = "Keep";
    const std::string xml = "<Q7PLUGINSETTINGS channelName=\"\xc0\xaf\" Pan=\"0.9\"/>";
    restoreChunkWithXml (*p, xml);
    EXPECT_EQ (p->channelName, "Keep");
    EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), 0.5f);
}

TEST_F (RobustnessTest, PresetFileNamesThatAreNotUtf8DoNotDisturbTheLibrary)
{
    auto p = makeProcessor();
    ASSERT_TRUE (p->saveUserPreset ("Good", false));
    juce::MemoryBlock good;
    ASSERT_TRUE (presetsFolder().getChildFile ("Good.q7p").loadFileAsData (good));

    // Names the file system allows but that are no UTF-8: overlong forms, a lone continuation byte, a cut
    // sequence. Each holds a real preset.
    for (const auto* rawName : { "\xc0\xab\xc0\xab\x02.q7p", "\x80"
                                                             "bad.q7p",
                                 "cut\xe2\x82.q7p",
                                 "\xc0\xaf\xc0\xae.q7p" })
    {
        const auto path = presetsFolder().getFullPathName().toStdString() + "/" + rawName;
        const auto fd = ::open (path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE (fd, 0) << path;
        EXPECT_EQ (::write (fd, good.getData(), good.getSize()), (ssize_t) good.getSize());
        ::close (fd);
    }

    // Scanning, stepping round the whole ring, loading by position and saving again all keep working.
    const auto names = p->getUserPresetNames();
    EXPECT_TRUE (names.contains ("Good"));

    for (auto i = 0; i < FactoryPresets::numPresets + names.size() + 2; ++i)
        p->nextPreset();

    for (auto i = 0; i < names.size(); ++i)
        p->loadUserPreset (i);

    EXPECT_TRUE (p->saveUserPreset ("Good", true));
    EXPECT_TRUE (p->getUserPresetNames().contains ("Good"));
}

TEST_F (RobustnessTest, AProcessingInstructionInsideTheDocumentIsRefusedNotParsedForEver)
{
    // Followed by text inside an element, such an instruction kept the framework's XML reader looping.
    const auto readsAsPiPreset = [this] (const std::string& xml)
    { return readsAsPreset ("pi.q7p", xml); };

    EXPECT_TRUE (readsAsPiPreset ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ZelvoraPreset PresetName=\"A\"/>"));
    EXPECT_FALSE (readsAsPiPreset ("<ZelvoraPreset PresetName=\"A\"><?x?>b</ZelvoraPreset>"));
    EXPECT_FALSE (readsAsPiPreset ("<?xml version=\"1.0\"?><ZelvoraPreset><?x y?> text</ZelvoraPreset>"));

    // The file the preset fuzzer found: an unbalanced quote hides the instruction from a structural scan.
    const std::string found =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<ZelvoraPreset Q7PluginName=\"Wydenza\" "
        "PresetName=\"Name &amp; &lt;Entities&gt; &quot;quoted&quot;*\">\r\n  <Parameter ParameterN"
        "ame=\"Bypassr ParameterName=\"MuteSide\" Value=\"0.0\"/>\r\n  <Parameter Paramelue=\"1.0\""
        "/>\r\n<?ZelvoraPresss\" Value=\"1.0\"/>\r\n</ZelvoraPreseF-8\"?>\r\n\rq";
    EXPECT_FALSE (readsAsPiPreset (found));

    auto p = makeProcessor();
    const std::string xml = "<Q7PLUGINSETTINGS Pan=\"0.9\"><?x?>b</Q7PLUGINSETTINGS>";
    restoreChunkWithXml (*p, xml);
    EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), 0.5f);
}

TEST_F (RobustnessTest, AHexCharacterReferenceMustBeWholeOrTheDocumentIsRefused)
{
    // The framework's reader steps over the character after a broken "&#x" reference; at the very end of
    // the text that read went past the buffer (the preset fuzzer found it after 8.5 million runs).
    const auto readsAsHexPreset = [this] (const std::string& xml)
    { return readsAsPreset ("hex.q7p", xml); };

    EXPECT_TRUE (readsAsHexPreset ("<ZelvoraPreset PresetName=\"A&#x41;&#x2D;\"/>"));
    EXPECT_EQ (PresetFile::read (home.getChildFile ("hex.q7p")).getProperty ("PresetName").toString(), "AA-");
    EXPECT_FALSE (readsAsHexPreset ("<ZelvoraPreset PresetName=\"A&#X2d;\"/>")); // XML's "x" is lower case only
    EXPECT_FALSE (readsAsHexPreset ("<ZelvoraPreset PresetName=\"A\">&#x"));
    EXPECT_FALSE (readsAsHexPreset ("<ZelvoraPreset PresetName=\"A\">x&#X</ZelvoraPreset>"));
    EXPECT_FALSE (readsAsHexPreset ("<ZelvoraPreset PresetName=\"&#x;\"/>"));
    EXPECT_FALSE (readsAsHexPreset ("<ZelvoraPreset PresetName=\"&#xZ1;\"/>"));
    EXPECT_FALSE (readsAsHexPreset ("<ZelvoraPreset PresetName=\"&#x123456789;\"/>"));

    auto p = makeProcessor();
    const std::string xml = "<Q7PLUGINSETTINGS Pan=\"0.9\">&#x</Q7PLUGINSETTINGS>";
    restoreChunkWithXml (*p, xml);
    EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), 0.5f);
}

TEST_F (RobustnessTest, TheStateChunkWithAnEntityBeforeMarkupChangesNothing)
{
    // The state fuzzer's find: "&" followed by markup, which the framework's reader took for an unknown
    // entity, and whose name it then parsed as elements past the end of the buffer. The same text in a
    // plain or a compressed preset file is no preset. Each seed's first byte is the fuzzer's own.
    const auto seed = [] (const char* path)
    {
        juce::MemoryBlock bytes;
        EXPECT_TRUE (juce::File (WYDENZA_FUZZ_CORPUS).getChildFile (path).loadFileAsData (bytes)) << path;
        bytes.removeSection (0, 1);
        return bytes;
    };

    auto p = makeProcessor();
    p->setParameter (indexOf (*p, "Pan"), 0.3f);
    juce::MemoryBlock before, after;
    p->getStateInformation (before);
    const auto chunk = seed ("state/regression-entity-overread");
    ASSERT_EQ (chunk.getSize(), 2045u);
    p->setStateInformation (chunk.getData(), (int) chunk.getSize());
    p->getStateInformation (after);
    EXPECT_EQ (after, before);

    for (const auto* path : { "preset-file/regression-entity-overread-plain.q7p", "preset-file/regression-entity-overread-compressed.q7p" })
    {
        const auto bytes = seed (path);
        const auto file = home.getChildFile ("overread.q7p");
        ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
        EXPECT_FALSE (PresetFile::read (file).isValid()) << path;
    }
}

TEST_F (RobustnessTest, HostileXmlIsRefusedWholeInStateChunksAndPresetFiles)
{
    // ROOT stands for the root element: a state's with Pan="0.9", or a preset's with a name. The first row is
    // well-formed and must be taken, which shows the rest are refused for what they hold.
    const std::string billionLaughs = "<!DOCTYPE ROOT [<!ENTITY a \"lol\">"
                                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                                      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                                      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
                                      "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
                                      "<ROOT>&i;</ROOT>";
    const std::pair<const char*, std::string> documents[] {
        { "well-formed", "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <ROOT><!-- c --><x a=\"&amp;&#233;\"/>t<![CDATA[&]]></ROOT>" },
        { "& + element text", "<ROOT>&<ROOT a=\"1\"/></ROOT>" },
        { "& + text", "<ROOT>a & b</ROOT>" },
        { "unknown entity in text", "<ROOT>&nbsp;</ROOT>" },
        { "unknown entity in an attribute", "<ROOT><x a=\"&foo;\"/></ROOT>" },
        { "predefined entity in capitals", "<ROOT>&AMP;</ROOT>" },
        { "entity without ;", "<ROOT>&amp</ROOT>" },
        { "nested entity definitions", "<!DOCTYPE ROOT [<!ENTITY a \"x\"><!ENTITY b \"&a;&a;\">]><ROOT>&b;</ROOT>" },
        { "billion laughs", billionLaughs },
        { "external entity", "<!DOCTYPE ROOT [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><ROOT>&e;</ROOT>" },
        { "external parameter entity", "<!DOCTYPE ROOT [<!ENTITY % p SYSTEM \"http://127.0.0.1/p.dtd\"> %p;]><ROOT/>" },
        { "DOCTYPE", "<!DOCTYPE ROOT><ROOT/>" },
        { "external DTD", "<!DOCTYPE ROOT SYSTEM \"ROOT.dtd\"><ROOT/>" },
        { "PI in the body", "<ROOT><?x y?></ROOT>" },
        { "PI before the root", "<?x y?><ROOT/>" },
        { "XML declaration in the body", "<ROOT><?xml version=\"1.0\"?></ROOT>" },
        { "another encoding declared", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><ROOT/>" },
        { "unterminated comment", "<ROOT><!-- x</ROOT>" },
        { "-- inside a comment", "<ROOT><!-- a -- b --></ROOT>" },
        { "unterminated CDATA", "<ROOT><![CDATA[x</ROOT>" },
        { "upper-case hex reference", "<ROOT>&#X41;</ROOT>" },
        { "reference to a non-character", "<ROOT><x a=\"&#xFFFE;\"/></ROOT>" },
        { "reference to zero", "<ROOT>&#0;</ROOT>" },
        { "reference to a surrogate", "<ROOT>&#xD800;</ROOT>" },
        { "reference past U+10FFFF", "<ROOT>&#x110000;</ROOT>" },
        { "raw control character", "<ROOT>\x01</ROOT>" },
        { "< in an attribute", "<ROOT><x a=\"<\"/></ROOT>" },
        { "unquoted attribute", "<ROOT><x a=1/></ROOT>" },
        { "unclosed element", "<ROOT><x></ROOT>" },
        { "text after the root", "<ROOT/>x" },
        { "a second root", "<ROOT/><ROOT/>" },
    };

    const auto withRoot = [] (std::string text, const std::string& name, const std::string& attributes)
    {
        for (auto at = text.find ("ROOT"); at != std::string::npos; at = text.find ("ROOT", at + 1))
        {
            const auto opening = at > 0 && text[at - 1] == '<';
            text.replace (at, 4, opening ? name + " " + attributes : name);
        }

        return text;
    };

    auto p = makeProcessor();

    for (const auto& [what, document] : documents)
    {
        const auto accepted = std::string (what) == "well-formed";
        p->setParameter (indexOf (*p, "Pan"), 0.5f);
        juce::MemoryBlock before, after;
        p->getStateInformation (before);

        restoreChunkWithXml (*p, withRoot (document, "Q7PLUGINSETTINGS", "Pan=\"0.9\""));
        p->getStateInformation (after);
        EXPECT_EQ (p->getParameter (indexOf (*p, "Pan")), accepted ? 0.9f : 0.5f) << what;
        EXPECT_EQ (after == before, ! accepted) << what;
        EXPECT_EQ (readsAsPreset ("hostile.q7p", withRoot (document, "ZelvoraPreset", "PresetName=\"A\"")), accepted) << what;
    }

    // A valid state's text, cut at every byte, is never taken.
    juce::MemoryBlock chunk;
    p->getStateInformation (chunk);
    const std::string text (static_cast<const char*> (chunk.getData()) + 8, chunk.getSize() - 9);
    ASSERT_NE (BoundedXml::parse (text.data(), text.size()), nullptr);

    for (size_t length = 0; length < text.size(); ++length)
        ASSERT_EQ (BoundedXml::parse (text.data(), length), nullptr) << "cut at " << length;
}

TEST_F (RobustnessTest, TheWordsNanAndInfAreNoNumbersInATypedText)
{
    auto p = makeProcessor();
    const auto& set = p->getParameterSet();

    // The text's number is 0 when it does not start with a decimal number.
    for (const auto* text : { "nan", "NaN", "-nan", "+NAN", " nan", "inf", "-Inf", "INF", "infinity" })
    {
        EXPECT_EQ (set.getByName ("StereoWidth")->getValueForText (text), 0.0f) << text;
        EXPECT_EQ (set.getByName ("InputGain")->getValueForText (text), 0.5f) << text;
        EXPECT_EQ (set.getByName ("OutputGain")->getValueForText (text), 0.5f) << text;
        EXPECT_EQ (set.getByName ("SafeBassFreq")->getValueForText (text), 0.0f) << text;
        EXPECT_EQ (set.getByName ("Pan")->getValueForText (text), 0.5f) << text;
    }

    // Numbers still read as numbers.
    EXPECT_EQ (set.getByName ("StereoWidth")->getValueForText ("100"), 0.5f);
    EXPECT_EQ (set.getByName ("InputGain")->getValueForText ("-6"), 0.25f);
    EXPECT_EQ (set.getByName ("SafeBassFreq")->getValueForText ("500Hz"), 1.0f);
}

TEST_F (RobustnessTest, PresetNamesWithPathSeparatorsFromTheHostOrAStateNeverLeaveTheFolder)
{
    auto p = makeProcessor();
    const auto folder = presetsFolder();

    // A rename from the host, then a state whose program name climbs out of the folder.
    p->changeProgramName (0, "../../outside/Evil");
    ASSERT_TRUE (p->saveUserPreset (p->getPresetDisplayName(), false));

    juce::XmlElement xml ("Q7PLUGINSETTINGS");
    xml.setAttribute ("programName", "..\\..\\C:/Windows/System32/evil");
    juce::MemoryBlock chunk;
    juce::AudioProcessor::copyXmlToBinary (xml, chunk);
    p->setStateInformation (chunk.getData(), (int) chunk.getSize());
    ASSERT_TRUE (p->saveUserPreset (p->getPresetDisplayName(), true));

    // Only files directly in the folder, none with a separator in its name, and nothing next to the folder.
    const auto files = folder.findChildFiles (juce::File::findFilesAndDirectories, true, "*");
    EXPECT_EQ (files.size(), 2);

    for (const auto& f : files)
    {
        EXPECT_EQ (f.getParentDirectory(), folder) << f.getFullPathName();
        EXPECT_FALSE (f.getFileName().containsAnyOf ("/\\")) << f.getFullPathName();
    }

    EXPECT_FALSE (home.getChildFile ("outside").exists());
    EXPECT_FALSE (folder.getParentDirectory().getChildFile ("outside").exists());
    EXPECT_EQ (folder.getParentDirectory().findChildFiles (juce::File::findFiles, false, "*.q7p").size(), 0);
}

TEST_F (RobustnessTest, ASettingsFileTheFrameworksReaderMustNotSeeIsSetAsideAndTheSettingsStartAfresh)
{
    const std::string goodValue = R"(<VALUE name="DefaultEditorDesktopHeightRatio" val="0.75"/>)";

    const struct
    {
        const char* what;
        std::string document;
        bool read;
    } cases[] = {
        { "a sound file", "<?xml version=\"1.0\"?>\n<PROPERTIES>" + goodValue + "</PROPERTIES>", true },
        { "markup in a value that is well-formed", "<PROPERTIES>" + goodValue + R"(<VALUE name="x" val="&lt;a b=&quot;1&quot;/&gt;"/></PROPERTIES>)", true },
        { "an entity before markup in a value", "<PROPERTIES>" + goodValue + R"(<VALUE name="x" val="&lt;a&gt;&amp;&lt;b"/></PROPERTIES>)", false },
        { "a DOCTYPE", "<!DOCTYPE p [<!ENTITY e \"0.75\">]><PROPERTIES>" + goodValue + "</PROPERTIES>", false },
        { "an entity before markup in the file", "<PROPERTIES>" + goodValue + "&<x/></PROPERTIES>", false },
        { "a cut-off file", "<PROPERTIES>" + goodValue, false },
    };

    for (const auto& c : cases)
    {
        settingsFile().getParentDirectory().createDirectory();
        ASSERT_TRUE (settingsFile().replaceWithData (c.document.data(), c.document.size()));
        const auto setAside = settingsFile().withFileExtension ("q7properties.unreadable");
        setAside.deleteFile();

        {
            auto p = makeProcessor();
            EXPECT_EQ (p->defaultEditorDesktopHeightRatio, c.read ? 0.75f : 0.5f) << c.what;
        }

        EXPECT_EQ (setAside.existsAsFile(), ! c.read) << c.what;

        if (! c.read)
            EXPECT_EQ (setAside.loadFileAsString().toStdString(), c.document) << c.what << ": kept for the user as it was";

        settingsFile().deleteFile();
    }
}
