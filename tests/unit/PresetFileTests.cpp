#include "PresetTestHelpers.h"

#include "presets/PresetMetadata.h"

#include <sys/stat.h>

namespace
{
juce::ValueTree typicalTree()
{
    auto tree = PresetTree::create ("Wide & Clear");
    tree.setProperty ("Modified", "Yes", nullptr);
    const char* names[] = { "Bypass", "StereoWidth", "Pan", "SafeBassFreq", "SafeBass" };
    const float values[] = { 0.0f, 0.625f, 0.5f, 0.286f, 1.0f };

    for (size_t i = 0; i < 5; ++i)
        PresetTree::setParameterValue (tree, names[i], values[i], nullptr);

    return tree;
}

juce::MemoryBlock bytesOf (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    return block;
}

juce::File writeBytes (const juce::File& file, const void* data, size_t size)
{
    file.getParentDirectory().createDirectory();
    file.replaceWithData (data, size);
    return file;
}

juce::File writeText (const juce::File& file, const std::string& header, const std::string& body)
{
    juce::MemoryBlock block;
    block.append (header.data(), header.size());
    block.append ("", 1);
    block.append (body.data(), body.size());
    return writeBytes (file, block.getData(), block.getSize());
}

juce::MemoryBlock zlibOf (const std::string& text, bool withTerminator = true)
{
    juce::MemoryBlock block;
    {
        juce::MemoryOutputStream out (block, false);
        juce::GZIPCompressorOutputStream zipped (out, 9);
        zipped.write (text.data(), text.size());

        if (withTerminator)
            zipped.writeByte (0);
    }
    return block;
}

juce::File writeCompressed (const juce::File& file, const std::string& header, const juce::MemoryBlock& zlib)
{
    juce::MemoryBlock block;
    block.append (header.data(), header.size());
    block.append ("", 1);
    block.append (zlib.getData(), zlib.getSize());
    return writeBytes (file, block.getData(), block.getSize());
}

const std::string magic = "ZELVORA Preset File:::::";
const std::string smallXml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ZelvoraPreset PresetName=\"x\"/>\n";
} // namespace

using PresetFileTest = PresetTestEnvironment;

TEST_F (PresetFileTest, ThePlainFormIsHeaderZeroTextZero)
{
    const auto tree = typicalTree();
    const auto file = home.getChildFile ("plain.q7p");
    ASSERT_TRUE (PresetFile::write (tree, file, false));

    const auto bytes = bytesOf (file);
    const auto text = tree.toXmlString();
    juce::MemoryBlock expected;
    expected.append (magic.data(), magic.size());
    expected.append ("", 1);
    expected.append (text.toRawUTF8(), text.getNumBytesAsUTF8());
    expected.append ("", 1);
    EXPECT_EQ (bytes, expected);
    EXPECT_TRUE (text.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    EXPECT_TRUE (PresetFile::read (file).isEquivalentTo (tree));
}

TEST_F (PresetFileTest, TheCompressedFormIsHeaderMarkZeroAndALevelNineZlibStream)
{
    const auto tree = typicalTree();
    const auto file = home.getChildFile ("zipped.q7p");
    ASSERT_TRUE (PresetFile::write (tree, file, true));

    const auto bytes = bytesOf (file);
    const auto* data = static_cast<const juce::uint8*> (bytes.getData());
    ASSERT_GT (bytes.getSize(), magic.size() + 4);
    EXPECT_EQ (std::string ((const char*) data, magic.size()), magic);
    EXPECT_EQ (data[magic.size()], 'c');
    EXPECT_EQ (data[magic.size() + 1], 0);
    EXPECT_EQ (data[magic.size() + 2], 0x78) << "zlib header: deflate, 32 KiB window";
    EXPECT_EQ (data[magic.size() + 3], 0xda) << "zlib header: maximum compression";

    juce::MemoryInputStream zlibPart (data + magic.size() + 2, bytes.getSize() - magic.size() - 2, false);
    juce::GZIPDecompressorInputStream unzipped (zlibPart);
    juce::MemoryBlock body;
    unzipped.readIntoMemoryBlock (body);

    const auto text = tree.toXmlString();
    juce::MemoryBlock expectedBody;
    expectedBody.append (text.toRawUTF8(), text.getNumBytesAsUTF8());
    expectedBody.append ("", 1);
    EXPECT_EQ (body, expectedBody);

    const auto plainFile = home.getChildFile ("plain.q7p");
    ASSERT_TRUE (PresetFile::write (tree, plainFile, false));
    EXPECT_TRUE (PresetFile::read (file).isEquivalentTo (PresetFile::read (plainFile)));
    EXPECT_TRUE (PresetFile::read (file).isEquivalentTo (tree));
}

TEST_F (PresetFileTest, TheHeaderNeedsOnlyToStartWithTheMagicText)
{
    const auto zlib = zlibOf (smallXml);

    EXPECT_TRUE (PresetFile::read (writeText (home.getChildFile ("a.q7p"), magic + "more text", smallXml + '\0')).isValid());
    EXPECT_TRUE (PresetFile::read (writeCompressed (home.getChildFile ("b.q7p"), magic + "abc", zlib)).isValid())
        << "any header ending in c marks a compressed body";
    EXPECT_FALSE (PresetFile::read (writeCompressed (home.getChildFile ("c.q7p"), magic + "cx", zlib)).isValid())
        << "a header not ending in c is plain: zlib bytes are not XML";
    EXPECT_TRUE (PresetFile::read (writeText (home.getChildFile ("d.q7p"), magic, smallXml)).isValid())
        << "a body without its zero byte is read to the end of the file";

    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("e.q7p"), "zelvora Preset File:::::", smallXml)).isValid());
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("f.q7p"), "ZELVORA Preset File::::", smallXml)).isValid());
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("g.q7p"), magic, "")).isValid()) << "no body";
    EXPECT_FALSE (PresetFile::read (writeBytes (home.getChildFile ("h.q7p"), magic.data(), magic.size())).isValid())
        << "ends inside the header";
}

TEST_F (PresetFileTest, AnotherRootElementIsAcceptedButPlainXmlIsNot)
{
    const auto other = PresetFile::read (writeText (home.getChildFile ("other.q7p"), magic, "<SomethingElse a=\"1\"><Child/></SomethingElse>"));
    ASSERT_TRUE (other.isValid());
    EXPECT_EQ (other.getType().toString(), "SomethingElse");
    EXPECT_EQ (other["a"].toString(), "1");
    EXPECT_EQ (other.getNumChildren(), 1);

    const auto xmlOnly = home.getChildFile ("plain-xml.q7p");
    xmlOnly.replaceWithText (typicalTree().toXmlString());
    EXPECT_FALSE (PresetFile::read (xmlOnly).isValid());
}

TEST_F (PresetFileTest, BrokenFilesReadAsAnEmptyTree)
{
    const auto good = home.getChildFile ("good.q7p");
    ASSERT_TRUE (PresetFile::write (typicalTree(), good, true));
    const auto goodBytes = bytesOf (good);

    // Truncated compressed body.
    EXPECT_FALSE (PresetFile::read (writeBytes (home.getChildFile ("cut.q7p"), goodBytes.getData(), goodBytes.getSize() / 2)).isValid());

    // Corrupt zlib data.
    auto corrupt = goodBytes;
    for (auto i = magic.size() + 6; i < corrupt.getSize(); i += 3)
        corrupt[i] = (char) (corrupt[i] ^ 0x5a);
    EXPECT_FALSE (PresetFile::read (writeBytes (home.getChildFile ("corrupt.q7p"), corrupt.getData(), corrupt.getSize())).isValid());

    // Not UTF-8, in the body and in the header.
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("latin1.q7p"), magic, "<ZelvoraPreset PresetName=\"\xe9t\xe9\"/>")).isValid());
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("header.q7p"), magic + "\xff", smallXml)).isValid());

    // Malformed XML: unclosed, cut inside a tag, a DTD with a self-expanding entity, deep nesting.
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("unclosed.q7p"), magic, "<ZelvoraPreset><Parameter>")).isValid());
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("intag.q7p"), magic, "<ZelvoraPreset PresetName=\"x")).isValid());
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("dtd.q7p"), magic, "<!DOCTYPE Z [<!ENTITY a \"&a;&a;\">]><ZelvoraPreset PresetName=\"&a;\"/>")).isValid());

    std::string nested;
    for (auto i = 0; i < 300000; ++i)
        nested += "<a>";
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("nested.q7p"), magic, nested)).isValid());

    // Not a file one can read: missing, a folder, a pipe that would block a reader forever.
    EXPECT_FALSE (PresetFile::read (home.getChildFile ("missing.q7p")).isValid());
    home.getChildFile ("folder.q7p").createDirectory();
    EXPECT_FALSE (PresetFile::read (home.getChildFile ("folder.q7p")).isValid());
    const auto pipe = home.getChildFile ("pipe.q7p");
    ASSERT_EQ (::mkfifo (pipe.getFullPathName().toRawUTF8(), 0644), 0);
    EXPECT_FALSE (PresetFile::read (pipe).isValid());
}

TEST_F (PresetFileTest, SizeLimitsBoundTheFileAndTheDecompressedBody)
{
    const auto padded = [] (size_t size)
    {
        return "<ZelvoraPreset PresetName=\"big\"><!--" + std::string (size, ' ') + "--></ZelvoraPreset>";
    };

    EXPECT_TRUE (PresetFile::read (writeText (home.getChildFile ("under.q7p"), magic, padded (1000 * 1000))).isValid());
    EXPECT_FALSE (PresetFile::read (writeText (home.getChildFile ("over.q7p"), magic, padded (1024 * 1024))).isValid())
        << "a file over 1 MiB is not a preset";

    // A small file whose body would expand far beyond what a preset needs.
    const auto fits = writeCompressed (home.getChildFile ("fits.q7p"), magic + "c", zlibOf (padded (3 * 1024 * 1024)));
    const auto bomb = writeCompressed (home.getChildFile ("bomb.q7p"), magic + "c", zlibOf (padded (64 * 1024 * 1024)));
    EXPECT_LT (bomb.getSize(), 1024 * 1024);
    EXPECT_TRUE (PresetFile::read (fits).isValid());
    EXPECT_FALSE (PresetFile::read (bomb).isValid()) << "a body decompressing beyond 4 MiB is not a preset";
}

TEST_F (PresetFileTest, AFailedWriteIsReportedAndLeavesTheOldFile)
{
    const auto folder = home.getChildFile ("locked");
    folder.createDirectory();
    const auto target = folder.getChildFile ("Keep.q7p");
    ASSERT_TRUE (PresetFile::write (typicalTree(), target, true));
    const auto before = bytesOf (target);

    EXPECT_FALSE (PresetFile::write (PresetTree::create ("other"), home.getChildFile ("no-such-folder/x.q7p"), true));
    EXPECT_FALSE (home.getChildFile ("no-such-folder").exists());

    if (! makeUnwritable (folder))
        GTEST_SKIP() << "this system cannot make a folder refuse new files";

    EXPECT_FALSE (PresetFile::write (PresetTree::create ("other"), target, true));
    EXPECT_EQ (bytesOf (target), before);
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1) << "no temporary file is left behind";
}

TEST_F (PresetFileTest, LastSavedUsesTheTwelveHourClock)
{
    EXPECT_EQ (PresetMetadata::formatLastSaved (juce::Time (2026, 2, 1, 0, 7, 3, 0, true)), "1 Mar 2026 12:07:03am");
    EXPECT_EQ (PresetMetadata::formatLastSaved (juce::Time (2026, 2, 1, 12, 0, 0, 0, true)), "1 Mar 2026 12:00:00pm");
    EXPECT_EQ (PresetMetadata::formatLastSaved (juce::Time (2026, 11, 6, 13, 5, 9, 0, true)), "6 Dec 2026 1:05:09pm");
    EXPECT_EQ (PresetMetadata::formatLastSaved (juce::Time (2027, 0, 31, 23, 59, 59, 0, true)), "31 Jan 2027 11:59:59pm");
}

TEST_F (PresetFileTest, TheDeviceTextCountsTheOperatingSystemsMemory)
{
    juce::int64 kilobytes = 0;
    juce::StringArray lines;
    juce::File ("/proc/meminfo").readLines (lines);

    for (const auto& line : lines)
        if (line.startsWith ("MemTotal:"))
            kilobytes = line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();

    ASSERT_GT (kilobytes, 0);
    EXPECT_EQ (PresetMetadata::getTotalPhysicalMemoryBytes(), kilobytes * 1024);

    const auto device = PresetMetadata::describeDevice();
    EXPECT_TRUE (device.endsWith (" / " + juce::String (kilobytes * 1024 / 1048576 + 1) + "MB Memory")) << device;
    EXPECT_TRUE (device.contains ("MHz " + juce::String (juce::SystemStats::getNumCpus()) + " CPU cores")) << device;
}
