#include "PresetTestHelpers.h"

#include "presets/PresetNameOrder.h"
#include "presets/PresetScanCache.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{
float widthIn (const juce::ValueTree& tree)
{
    return (float) (double) PresetTree::findParameter (tree, "StereoWidth")["Value"];
}

struct timespec modificationTimeOf (const juce::File& file)
{
    struct stat info
    {
    };
    ::stat (file.getFullPathName().toRawUTF8(), &info);
    return info.st_mtim;
}

/** Gives the file the modification time it had, as a copy that keeps times would. */
void setModificationTime (const juce::File& file, struct timespec time)
{
    const struct timespec times[2] = { time, time };
    ::utimensat (AT_FDCWD, file.getFullPathName().toRawUTF8(), times, 0);
}

/** Bytes that are no preset, as many as the file has. */
juce::MemoryBlock junkLike (const juce::File& file)
{
    juce::MemoryBlock junk ((size_t) file.getSize());
    junk.fillWith ('x');
    return junk;
}
} // namespace

class PresetScanCacheTest : public PresetTestEnvironment
{
protected:
    juce::File preset (const juce::String& name, float width) const { return writeUserPreset (name, { { "StereoWidth", width } }); }
    juce::File fileOf (const juce::String& name) const { return presetsFolder().getChildFile (name + ".q7p"); }
};

TEST_F (PresetScanCacheTest, EveryKindOfChangeIsSeenAtTheNextScanAndNothingElseIsReadAgain)
{
    // Files are trusted as soon as they were read: only the stamps tell a change here.
    PresetScanCache cache (0);
    for (const auto* name : { "Changed", "Swapped", "Deleted", "Renamed", "Unreadable", "Kept" })
        preset (name, 0.25f);

    EXPECT_EQ (cache.scan (presetsFolder()), juce::StringArray ("Changed", "Deleted", "Kept", "Renamed", "Swapped", "Unreadable"));
    EXPECT_EQ (cache.getNumFileReads(), 6);
    EXPECT_EQ (cache.scan (presetsFolder()).size(), 6);
    EXPECT_EQ (widthIn (cache.read (fileOf ("Kept"))), 0.25f);
    EXPECT_EQ (cache.getNumFileReads(), 6) << "an unchanged folder is not read again";

    // The changes below get change times of a later tick of the file system's clock than the reads.
    std::this_thread::sleep_for (std::chrono::milliseconds (30));

    writeUserPreset ("Changed", { { "StereoWidth", 0.75f }, { "Pan", 0.1f } });

    // Same size and times, another file: a copy that keeps times, or an editor that saves by renaming.
    const auto swapped = fileOf ("Swapped");
    const auto replacement = presetsFolder().getChildFile ("replacement.tmp");
    ASSERT_TRUE (replacement.replaceWithData (junkLike (swapped).getData(), (size_t) swapped.getSize()));
    setModificationTime (replacement, modificationTimeOf (swapped));
    ASSERT_EQ (::rename (replacement.getFullPathName().toRawUTF8(), swapped.getFullPathName().toRawUTF8()), 0);

    fileOf ("Deleted").deleteFile();
    preset ("Added", 0.5f);
    ASSERT_TRUE (fileOf ("Renamed").moveFileTo (fileOf ("Moved")));

    // Unreadable for anyone but the super-user, and a name left pointing nowhere.
    ::chmod (fileOf ("Unreadable").getFullPathName().toRawUTF8(), 0);
    const auto unreadableStillOpens = [this]
    {
        const auto fd = ::open (fileOf ("Unreadable").getFullPathName().toRawUTF8(), O_RDONLY);
        return fd >= 0 && ::close (fd) == 0;
    }();
    fileOf ("Kept").deleteFile();
    ASSERT_EQ (::symlink (home.getChildFile ("nowhere.q7p").getFullPathName().toRawUTF8(), fileOf ("Kept").getFullPathName().toRawUTF8()), 0);

    juce::StringArray expected ("Added", "Changed", "Moved");

    if (unreadableStillOpens)
        expected.add ("Unreadable");

    EXPECT_EQ (cache.scan (presetsFolder()), expected);
    EXPECT_EQ (widthIn (cache.read (fileOf ("Changed"))), 0.75f);
    EXPECT_EQ (widthIn (cache.read (fileOf ("Moved"))), 0.25f);
    EXPECT_FALSE (cache.read (fileOf ("Swapped")).isValid());
    EXPECT_FALSE (cache.read (fileOf ("Kept")).isValid());
    EXPECT_EQ (cache.getNumCachedFiles(), 5u) << "what is gone is forgotten; what is no preset is known as such";
}

TEST_F (PresetScanCacheTest, AFileChangedRightAfterItWasReadIsReadAgainDespiteEqualStamps)
{
    PresetScanCache cache;
    const auto file = preset ("Fresh", 0.25f);
    const auto time = modificationTimeOf (file);
    ASSERT_EQ (cache.scan (presetsFolder()), juce::StringArray ("Fresh"));

    // Rewritten in place within what may be the same tick of the file system's clock, times put back.
    {
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        out.setPosition (0);
        out.write (junkLike (file).getData(), (size_t) file.getSize());
    }
    setModificationTime (file, time);

    EXPECT_TRUE (cache.scan (presetsFolder()).isEmpty());
    EXPECT_FALSE (cache.read (file).isValid());
}

TEST_F (PresetScanCacheTest, InstancesListAndStepInNaturalOrder)
{
    for (const auto* name : { "User Preset 10", "user preset 9", "User Preset 0662", "User Preset 0440", "Bass" })
        preset (name, 0.5f);

    auto first = makeProcessor();
    auto second = makeProcessor();
    const juce::StringArray expected ("Bass", "user preset 9", "User Preset 10", "User Preset 0440", "User Preset 0662");
    EXPECT_EQ (first->getUserPresetNames(), expected);
    EXPECT_EQ (second->getUserPresetNames(), expected);

    second->selectFactoryPreset (13);

    for (const auto& name : expected)
    {
        second->nextPreset();
        EXPECT_EQ (second->getPresetDisplayName(), name);
    }

    second->previousPreset();
    EXPECT_EQ (second->getPresetDisplayName(), "User Preset 0440");
}

TEST (PresetNameOrder, SortsLikeAFileManagerWithTiesBrokenByTheExactName)
{
    // Each name sorts before the next.
    const char* const ordered[] = { "", "!", "0", "1", "01 Kick", "1 Kick", "2", "9", "10", "010a", "10a", "99999999999999999999", "100000000000000000000", "a", "A b", "a1", "a2", "A10", "AB", "Ab", "aB", "ab", "abc", "Bass 2", "bass 10", "Bass 10 wide", "Preset 9", "Preset 10", "track", "Track 1", "track 1", "Track 1 b", "User Preset 0440", "User Preset 0662", "Vocal", "z", "\xc3\x84" };
    juce::StringArray names;

    for (const auto* name : ordered)
        names.add (juce::CharPointer_UTF8 (name));

    for (auto i = 0; i + 1 < names.size(); ++i)
    {
        EXPECT_LT (PresetNameOrder::compare (names[i], names[i + 1]), 0) << names[i] << " | " << names[i + 1];
        EXPECT_GT (PresetNameOrder::compare (names[i + 1], names[i]), 0) << names[i + 1] << " | " << names[i];
    }

    auto shuffled = names;
    std::reverse (shuffled.begin(), shuffled.end());
    std::rotate (shuffled.begin(), shuffled.begin() + 11, shuffled.end());
    PresetNameOrder::sort (shuffled);
    EXPECT_EQ (shuffled, names);
}
