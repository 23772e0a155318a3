#include "PresetScanCache.h"

#include "BoundedXml.h"
#include "PresetFile.h"
#include "PresetNameOrder.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#define WYDENZA_POSIX_FOLDERS 1
#else
#define WYDENZA_POSIX_FOLDERS 0
#endif

namespace
{
/** Folders whose files are remembered at once; the least recently scanned is forgotten beyond this. */
constexpr size_t maxFolders = 8;

#if WYDENZA_POSIX_FOLDERS
/** The files of one folder, listed with one stat call each. */
class FolderListing
{
public:
    explicit FolderListing (const juce::File& folder) : dir (::opendir (folder.getFullPathName().toRawUTF8())) {}

    ~FolderListing()
    {
        if (dir != nullptr)
            ::closedir (dir);
    }

    /** The next name in the folder, or nullptr at the end. */
    const char* next()
    {
        if (dir == nullptr)
            return nullptr;

        for (auto* entry = ::readdir (dir); entry != nullptr; entry = ::readdir (dir))
            if (std::strcmp (entry->d_name, ".") != 0 && std::strcmp (entry->d_name, "..") != 0)
                return entry->d_name;

        return nullptr;
    }

    /** stat of a file in the folder, following links; false when it failed. */
    bool statOf (const char* name, struct stat& info) const { return ::fstatat (::dirfd (dir), name, &info, 0) == 0; }

private:
    DIR* dir;

    JUCE_DECLARE_NON_COPYABLE (FolderListing)
};
#endif

/** True when the name ends with ".q7p" (and has something before it), in any case of its letters. */
bool hasPresetExtensionInAnyCase (std::string_view fileName) noexcept
{
    const std::string_view extension (PresetFile::fileExtension);

    if (fileName.size() <= extension.size())
        return false;

    const auto tail = fileName.substr (fileName.size() - extension.size());
    return std::equal (tail.begin(), tail.end(), extension.begin(), [] (char a, char b)
                       { return juce::CharacterFunctions::toLowerCase ((juce::juce_wchar) (unsigned char) a) == (juce::juce_wchar) (unsigned char) b; });
}

std::int64_t nanosOf (std::int64_t seconds, std::int64_t nanos) noexcept
{
    return seconds * 1'000'000'000 + nanos;
}

#if WYDENZA_POSIX_FOLDERS
/** The stamps a scan compares, from what stat found. */
template <typename Stamp>
void fillStamp (Stamp& stamp, const struct stat& info) noexcept
{
    stamp.size = (std::int64_t) info.st_size;
#if JUCE_MAC
    stamp.modifiedNanos = nanosOf ((std::int64_t) info.st_mtimespec.tv_sec, (std::int64_t) info.st_mtimespec.tv_nsec);
    stamp.changedNanos = nanosOf ((std::int64_t) info.st_ctimespec.tv_sec, (std::int64_t) info.st_ctimespec.tv_nsec);
#else
    stamp.modifiedNanos = nanosOf ((std::int64_t) info.st_mtim.tv_sec, (std::int64_t) info.st_mtim.tv_nsec);
    stamp.changedNanos = nanosOf ((std::int64_t) info.st_ctim.tv_sec, (std::int64_t) info.st_ctim.tv_nsec);
#endif
    stamp.fileId = (std::int64_t) info.st_ino;
    stamp.deviceId = (std::int64_t) info.st_dev;
    stamp.isRegular = S_ISREG (info.st_mode);
}
#endif
} // namespace

//==============================================================================
PresetScanCache& PresetScanCache::getInstance()
{
    static PresetScanCache instance;
    return instance;
}

PresetScanCache::PresetScanCache (std::int64_t trustAfter) : trustAfterNanos (trustAfter) {}

PresetScanCache::~PresetScanCache() = default;

juce::StringArray PresetScanCache::scan (const juce::File& folder)
{
    const auto path = folder.getFullPathName();
    const std::lock_guard<std::mutex> guard (lock);

    if (folder == juce::File() || ! folder.isDirectory())
    {
        folders.erase (path);
        return {};
    }

    auto& entries = folderEntriesFor (path);
    const auto scanNumber = entries.lastUse;
    auto namesChanged = entries.namesStale;

    const auto visit = [&] (std::string_view fileName, const Stamp& stamp)
    {
        auto known = entries.files.find (fileName);

        if (known == entries.files.end())
        {
            if (! stamp.isRegular)
                return;

            auto name = listedName (std::string (fileName));

            if (name.isEmpty())
                return;

            known = entries.files.emplace (std::string (fileName), Entry {}).first;
            known->second.presetName = std::move (name);
            bool isPreset = false;
            readInto (known->second, folder.getChildFile (juce::String::fromUTF8 (fileName.data(), (int) fileName.size())), stamp, isPreset);
            namesChanged = namesChanged || isPreset;
        }
        else if (! stamp.isRegular)
        {
            return;
        }
        else if (! isUnchanged (known->second, stamp))
        {
            bool presetnessChanged = false;
            readInto (known->second, folder.getChildFile (juce::String::fromUTF8 (fileName.data(), (int) fileName.size())), stamp, presetnessChanged);
            namesChanged = namesChanged || presetnessChanged;
        }

        known->second.lastSeenInScan = scanNumber;
    };

#if WYDENZA_POSIX_FOLDERS
    FolderListing listing (folder);

    while (const auto* fileName = listing.next())
    {
        // Only names a scan could list are looked at further: stat is the cost of a scan.
        const std::string_view name (fileName);

        if (! hasPresetExtensionInAnyCase (name))
            continue;

        struct stat info;
        Stamp stamp;

        if (listing.statOf (fileName, info))
            fillStamp (stamp, info);

        visit (name, stamp);
    }
#else
    for (const auto& item : juce::RangedDirectoryIterator (folder, false, "*.q7p", juce::File::findFiles))
        visit (item.getFile().getFileName().toStdString(), stampOf (item.getFile()));
#endif

    for (auto it = entries.files.begin(); it != entries.files.end();)
    {
        if (it->second.lastSeenInScan == scanNumber)
        {
            ++it;
            continue;
        }

        // A listing may miss a file that another process renames into place while it runs (a save
        // replaces the old file that way): a file still there by its name stays.
        if (const auto stamp = stampOf (folder.getChildFile (juce::String::fromUTF8 (it->first.data(), (int) it->first.size()))); stamp.isRegular)
        {
            visit (it->first, stamp);
            ++it;
            continue;
        }

        namesChanged = namesChanged || it->second.isPreset;
        it = entries.files.erase (it);
    }

    if (namesChanged)
    {
        entries.names.clearQuick();

        for (const auto& [fileName, entry] : entries.files)
            if (entry.isPreset)
                entries.names.add (entry.presetName);

        PresetNameOrder::sort (entries.names);
        entries.namesStale = false;
    }

    return entries.names;
}

juce::ValueTree PresetScanCache::read (const juce::File& file)
{
    const auto stamp = stampOf (file);

    if (! stamp.isRegular)
        return {};

    juce::String text;

    {
        const std::lock_guard<std::mutex> guard (lock);
        const auto folder = folders.find (file.getParentDirectory().getFullPathName());

        if (folder != folders.end())
        {
            const auto known = folder->second.files.find (file.getFileName().toStdString());

            if (known != folder->second.files.end())
            {
                auto& entry = known->second;

                if (! isUnchanged (entry, stamp))
                {
                    bool presetnessChanged = false;
                    auto tree = readInto (entry, file, stamp, presetnessChanged);
                    folder->second.namesStale = folder->second.namesStale || presetnessChanged;
                    return tree;
                }

                if (! entry.isPreset)
                    return {};

                text = entry.text;
            }
        }

        if (text.isEmpty())
            ++numFileReads;
    }

    // A file no scan listed, or one whose text is not kept, is read again: a scan decides what counts.
    if (text.isEmpty())
        return PresetFile::read (file);

    if (const auto xml = BoundedXml::parse (text.toRawUTF8(), text.getNumBytesAsUTF8()))
        return juce::ValueTree::fromXml (*xml);

    return PresetFile::read (file);
}

void PresetScanCache::forget (const juce::File& file)
{
    const std::lock_guard<std::mutex> guard (lock);
    const auto folder = folders.find (file.getParentDirectory().getFullPathName());

    if (folder != folders.end() && folder->second.files.erase (file.getFileName().toStdString()) > 0)
        folder->second.namesStale = true;
}

void PresetScanCache::clear()
{
    const std::lock_guard<std::mutex> guard (lock);
    folders.clear();
}

std::int64_t PresetScanCache::getNumFileReads() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return numFileReads;
}

size_t PresetScanCache::getNumCachedFiles() const
{
    const std::lock_guard<std::mutex> guard (lock);
    size_t count = 0;

    for (const auto& folder : folders)
        count += folder.second.files.size();

    return count;
}

//==============================================================================
PresetScanCache::FolderEntries& PresetScanCache::folderEntriesFor (const juce::String& path)
{
    auto& entries = folders[path];
    entries.lastUse = ++useCounter;

    while (folders.size() > maxFolders)
    {
        const auto oldest = std::min_element (folders.begin(), folders.end(), [] (const auto& a, const auto& b)
                                              { return a.second.lastUse < b.second.lastUse; });
        folders.erase (oldest);
    }

    return entries;
}

juce::ValueTree PresetScanCache::readInto (Entry& entry, const juce::File& file, const Stamp& stamp, bool& presetnessChanged)
{
    const auto wasPreset = entry.isPreset;
    const auto readAt = nowNanos();

    auto tree = PresetFile::read (file);
    entry.isPreset = tree.isValid();
    entry.text = {};

    if (const auto xml = entry.isPreset ? tree.createXml() : nullptr)
    {
        auto text = xml->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());

        if ((int) text.getNumBytesAsUTF8() <= maxKeptTextBytes)
            entry.text = std::move (text);
    }

    entry.stamp = stamp;
    // A change within the same time stamp as the one read would leave the stamps equal: only a file that
    // was last changed well before it was read may be taken from the cache.
    entry.trusted = std::max (stamp.changedNanos, stamp.modifiedNanos) < readAt - trustAfterNanos;
    ++numFileReads;

    presetnessChanged = wasPreset != entry.isPreset;
    return tree;
}

bool PresetScanCache::isUnchanged (const Entry& entry, const Stamp& stamp) const noexcept
{
    return entry.trusted && entry.stamp == stamp;
}

bool PresetScanCache::Stamp::operator== (const Stamp& other) const noexcept
{
    return size == other.size && modifiedNanos == other.modifiedNanos && changedNanos == other.changedNanos
           && fileId == other.fileId && deviceId == other.deviceId && isRegular == other.isRegular;
}

PresetScanCache::Stamp PresetScanCache::stampOf (const juce::File& file)
{
    Stamp stamp;

#if WYDENZA_POSIX_FOLDERS
    struct stat info;

    if (::stat (file.getFullPathName().toRawUTF8(), &info) == 0)
        fillStamp (stamp, info);
#else
    stamp.size = file.getSize();
    stamp.modifiedNanos = file.getLastModificationTime().toMilliseconds() * 1'000'000;
    stamp.changedNanos = file.getCreationTime().toMilliseconds() * 1'000'000;
    stamp.isRegular = file.existsAsFile();
#endif

    return stamp;
}

std::int64_t PresetScanCache::nowNanos() noexcept
{
#if WYDENZA_POSIX_FOLDERS
    struct timespec now;
    ::clock_gettime (CLOCK_REALTIME, &now);
    return nanosOf ((std::int64_t) now.tv_sec, (std::int64_t) now.tv_nsec);
#else
    return juce::Time::currentTimeMillis() * 1'000'000;
#endif
}

juce::String PresetScanCache::listedName (const std::string& fileName)
{
    // The folder lists "*.q7p" without regard to case, but loading adds exactly ".q7p": where names are
    // case-sensitive only that extension loads. A name starting with a dot is a hidden file, not a preset,
    // and a name that is no UTF-8 text could not be written back as the same bytes.
    const auto extensionLength = std::strlen (PresetFile::fileExtension);

    if (! hasPresetExtensionInAnyCase (fileName) || fileName.front() == '.')
        return {};

    const auto extensionLoads = ! juce::File::areFileNamesCaseSensitive()
                                || fileName.compare (fileName.size() - extensionLength, extensionLength, PresetFile::fileExtension) == 0;

    if (! extensionLoads || ! BoundedXml::isValidUtf8 (fileName.data(), fileName.size()))
        return {};

    return juce::String::fromUTF8 (fileName.data(), (int) (fileName.size() - extensionLength));
}
