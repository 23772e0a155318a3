#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

/**
    What the process knows about the files of its presets folders, shared by every plug-in instance and the
    renderer, so that each file is read once and not once per instance and per scan. For each file it keeps
    the last read's result (the preset as compact XML text, or "not a preset") with the file's stamps (size,
    modification and change time, inode); a scan lists the folder, compares the stamps and reads only the
    files that are new or changed. A file changed less than a moment before it was read could change again
    within the same time stamp, so it is read again at every use until it is older.

    Any thread but the audio thread may call it; one lock guards it. Each caller gets a tree of its own, made
    from the kept text: a ValueTree must never be shared between threads, and the text takes a sixth of the
    memory of a tree for a few microseconds more per load.
*/
class PresetScanCache
{
public:
    /** A file whose change time is this close to the moment it was read is not trusted yet. */
    static constexpr std::int64_t defaultTrustAfterNanos = 2'000'000'000;
    /** A preset whose text is longer is not kept (only that it is one): a load reads its file again. This
        bounds the memory a folder of strange but valid files can take.
    */
    static constexpr int maxKeptTextBytes = 16 * 1024;

    /** The cache of the process. */
    static PresetScanCache& getInstance();

    explicit PresetScanCache (std::int64_t trustAfterNanos = defaultTrustAfterNanos);
    ~PresetScanCache();

    /** Names (file names without ".q7p") of the files directly in the folder that read as presets and load
        by their name, in PresetNameOrder. Empty when the folder does not exist.
    */
    juce::StringArray scan (const juce::File& folder);

    /** The preset tree the file holds, as a tree of the caller's own, or an invalid tree when it is not a
        preset; taken from the cache while the file is one a scan listed and is unchanged since it was read.
    */
    juce::ValueTree read (const juce::File& file);

    /** Drops what is known about a file. */
    void forget (const juce::File& file);

    /** Drops everything. */
    void clear();

    /** How many files were read (opened and parsed) so far. */
    std::int64_t getNumFileReads() const;

    /** How many files the cache holds a result for. */
    size_t getNumCachedFiles() const;

private:
    struct Stamp
    {
        std::int64_t size = -1, modifiedNanos = 0, changedNanos = 0, fileId = 0, deviceId = 0;
        bool isRegular = false;

        bool operator== (const Stamp& other) const noexcept;
    };

    struct Entry
    {
        Stamp stamp;
        bool trusted = false;
        juce::String presetName;
        bool isPreset = false;
        /** The preset's XML; empty when it is not kept. */
        juce::String text;
        std::uint64_t lastSeenInScan = 0;
    };

    struct FolderEntries
    {
        std::map<std::string, Entry, std::less<>> files;
        juce::StringArray names;
        bool namesStale = true;
        std::uint64_t lastUse = 0;
    };

    FolderEntries& folderEntriesFor (const juce::String& path);
    /** Reads the file into the entry and returns its tree; presetnessChanged tells whether it was a preset
        before and is not now, or the other way round.
    */
    juce::ValueTree readInto (Entry& entry, const juce::File& file, const Stamp& stamp, bool& presetnessChanged);
    bool isUnchanged (const Entry& entry, const Stamp& stamp) const noexcept;
    static Stamp stampOf (const juce::File& file);
    static std::int64_t nowNanos() noexcept;

    /** The name a file is listed under, or an empty string when it is not listed. */
    static juce::String listedName (const std::string& fileName);

    const std::int64_t trustAfterNanos;
    mutable std::mutex lock;
    std::map<juce::String, FolderEntries> folders;
    std::uint64_t useCounter = 0;
    std::int64_t numFileReads = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetScanCache)
};
