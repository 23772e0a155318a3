// The expat-based reader gives the trees the framework's reader gave for every document the plug-in
// writes and for well-formed XML in general, and keeps the bounds of its own.
#include "PresetTestHelpers.h"
#include "presets/BoundedXml.h"
#include "presets/FactoryPresets.h"

namespace
{
/** Both readers on the same text give equal trees. Only for trusted text: the framework's reader is not
    safe on anything else.
*/
void expectTheFrameworksTree (const std::string& text, const std::string& what)
{
    const auto ours = BoundedXml::parse (text.data(), text.size());
    const auto theirs = juce::parseXML (juce::String::fromUTF8 (text.data(), (int) text.size()));
    ASSERT_NE (theirs, nullptr) << what;
    ASSERT_NE (ours, nullptr) << what;
    EXPECT_TRUE (ours->isEquivalentTo (theirs.get(), false)) << what;
    EXPECT_EQ (ours->toString(), theirs->toString()) << what;
}

std::string textOfChunk (const juce::MemoryBlock& chunk)
{
    const auto* text = static_cast<const char*> (chunk.getData()) + 8;
    return { text, BoundedXml::lengthUpToZero (text, chunk.getSize() - 8) };
}

/** The XML body of a preset file's bytes, plain or compressed. */
std::string bodyOfPresetFile (const juce::MemoryBlock& file)
{
    const auto* bytes = static_cast<const char*> (file.getData());
    const auto headerLength = BoundedXml::lengthUpToZero (bytes, file.getSize());
    juce::MemoryInputStream rest (bytes + headerLength + 1, file.getSize() - headerLength - 1, false);
    juce::MemoryBlock body;

    if (headerLength > 0 && bytes[headerLength - 1] == 'c')
    {
        juce::GZIPDecompressorInputStream unzipped (&rest, false, juce::GZIPDecompressorInputStream::zlibFormat);
        unzipped.readIntoMemoryBlock (body);
    }
    else
    {
        rest.readIntoMemoryBlock (body);
    }

    const auto* text = static_cast<const char*> (body.getData());
    return { text, BoundedXml::lengthUpToZero (text, body.getSize()) };
}

class BoundedXmlTest : public PresetTestEnvironment
{
};
} // namespace

TEST_F (BoundedXmlTest, EveryDocumentThePluginWritesGivesTheFrameworksTree)
{
    // The seed corpora are states and preset files written by earlier builds (the inputs the fuzzers found,
    // named regression-*, are not). Each seed's first byte is the fuzzer's own.
    const juce::File corpus (WYDENZA_FUZZ_CORPUS);
    auto numSeeds = 0;

    for (const auto* folder : { "state", "preset-file" })
    {
        for (const auto& file : corpus.getChildFile (folder).findChildFiles (juce::File::findFiles, false))
        {
            if (file.getFileName().startsWith ("regression-"))
                continue;

            juce::MemoryBlock bytes;
            ASSERT_TRUE (file.loadFileAsData (bytes));
            bytes.removeSection (0, 1);
            const auto isState = juce::String (folder) == "state";
            expectTheFrameworksTree (isState ? textOfChunk (bytes) : bodyOfPresetFile (bytes), file.getFileName().toStdString());
            ++numSeeds;
        }
    }

    EXPECT_GE (numSeeds, 6);

    // Every factory preset as a file of either form and as a state, with a name full of characters the
    // writer turns into references.
    auto p = makeProcessor();

    for (auto i = 0; i < FactoryPresets::numPresets; ++i)
    {
        p->selectFactoryPreset (i);
        const auto tree = p->createPresetTree();

        for (const auto compress : { false, true })
        {
            const auto file = home.getChildFile ("factory.q7p");
            ASSERT_TRUE (PresetFile::write (tree, file, compress));
            juce::MemoryBlock bytes;
            ASSERT_TRUE (file.loadFileAsData (bytes));
            expectTheFrameworksTree (bodyOfPresetFile (bytes), "factory preset " + std::to_string (i));
            EXPECT_TRUE (PresetFile::read (file).isEquivalentTo (tree)) << i;
        }

        // Control characters come out as references XML does not allow; such states loaded before.
        p->changeProgramName (0, juce::String::fromUTF8 ("Tab\t, line\r\n, <&> \"'\xc3\xa9\xf0\x9f\x8e\xb5 \x01\x0b\x1f") + juce::String (i));
        expectTheFrameworksTree (textOfChunk (stateOf (*p)), "state " + std::to_string (i));
        auto restored = makeProcessor();
        restored->setStateInformation (stateOf (*p).getData(), (int) stateOf (*p).getSize());
        EXPECT_EQ (restored->getProgramName (0), p->getProgramName (0)) << i;
    }
}

TEST_F (BoundedXmlTest, WellFormedDocumentsGiveTheFrameworksTree)
{
    // Text, whitespace, comments, CDATA and references, where the two readers could differ.
    for (const auto* text : {
             "<a x='1' y=\"2\" z=\"&amp;&lt;&gt;&quot;&apos;\"/>",
             "<a>  text  with  spaces  </a>",
             "<a>\r\n  <b/>\n\t<c>x</c>\n</a>",
             "<a>x<!-- note -->y<b/>z</a>",
             "<a>  <!-- c --> x</a>",
             "<a><![CDATA[<not> & markup]]></a>",
             "<a>x<![CDATA[ ]]>y<![CDATA[]]></a>",
             "<a>line\r\nbreak\rhere</a>",
             "<a v=\"&#9;&#10;&#13;&#233;&#x1F3B5;&#x41;&#65;\">&#13;&#x3c;b/&#62;</a>",
             "<a>&#32;&#9;</a>",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- before -->\n<a/>\n<!-- after -->\n",
             "<a:b c:d=\"1\" e.f-g_h=\"\"/>",
             "<a b=\"\xe2\x82\xac\">\xf0\x9f\x8e\xb5</a>",
             // References to control characters, as the framework's writer makes them.
             "<a v=\"&#1;&#x1f;&#0011;\">x&#2;<b/>&#11;&#12;</a>",
             "<a><!-- &#1; --><![CDATA[&#1;]]></a>",
         })
        expectTheFrameworksTree (text, text);
}

TEST_F (BoundedXmlTest, OurOwnBoundsAndTheEncodingAreKept)
{
    const auto nested = [] (int depth)
    {
        std::string text;

        for (auto i = 0; i < depth; ++i)
            text += "<e>";

        for (auto i = 0; i < depth; ++i)
            text += "</e>";

        return text;
    };

    const auto withAttributes = [] (int count)
    {
        std::string text = "<e";

        for (auto i = 0; i < count; ++i)
            text += " a" + std::to_string (i) + "=\"\"";

        return text + "/>";
    };

    const std::pair<std::string, bool> documents[] {
        { nested (BoundedXml::maxNestingDepth), true },
        { nested (BoundedXml::maxNestingDepth + 1), false },
        { withAttributes (BoundedXml::maxAttributesPerElement), true },
        { withAttributes (BoundedXml::maxAttributesPerElement + 1), false },
        { "<?xml version=\"1.0\" encoding=\"utf-8\"?><e/>", true },
        { "<?xml version=\"1.0\"?><e/>", true },
        { "<?xml version=\"1.0\" encoding=\"UTF-16\"?><e/>", false },
        { "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><e/>", false },
        { std::string ("<e/>\0<f>", 8), true }, // the text ends at a zero byte
        { std::string ("<e>\0</e>", 8), false },
        { "", false },
        { " ", false },
        // A stand-in for a control character next to a reference to one could not be told apart.
        { "<e v=\"&#xF0001;\"/>", true },
        { "<e v=\"&#1;&#xF0001;\"/>", false },
        { "<e v=\"&#1;\"><![CDATA[\xf3\xb0\x80\x9f]]></e>", false },
    };

    for (const auto& [text, accepted] : documents)
        EXPECT_EQ (BoundedXml::parse (text.data(), text.size()) != nullptr, accepted) << text.substr (0, 80);

    EXPECT_EQ (BoundedXml::parse ("<e v=\"&#xF0001;\"/>", 20)->getStringAttribute ("v"), juce::String::charToString (0xf0001));

    // A text ends at numBytes, even without a zero byte.
    const auto cut = BoundedXml::parse ("<e/><f>", 4);
    ASSERT_NE (cut, nullptr);
    EXPECT_EQ (cut->getTagName(), "e");
}
