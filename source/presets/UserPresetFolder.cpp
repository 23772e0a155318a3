#include "UserPresetFolder.h"

#include "PresetFile.h"
#include "processor/SettingsFile.h"

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
#include <sys/stat.h>
#endif

juce::File UserPresetFolder::getDefaultFolder()
{
    return SettingsFile::getMakerFolder().getChildFile ("Wydenza Presets");
}

bool UserPresetFolder::setFolder (const juce::File& newFolder)
{
    folder = newFolder;
    cache.clear();

    if (folder == juce::File())
        return false;

    if (! folder.isDirectory())
        folder.createDirectory();

    return folder.isDirectory();
}

juce::StringArray UserPresetFolder::scan()
{
    juce::StringArray names;

    if (folder == juce::File() || ! folder.isDirectory())
    {
        cache.clear();
        return names;
    }

    std::map<juce::String, Entry> seen;

    for (const auto& item : juce::RangedDirectoryIterator (folder, false, "*.q7p", juce::File::findFiles))
    {
        const auto file = item.getFile();
        const auto name = file.getFileNameWithoutExtension();

        // Only what loads by its name is listed: loading adds exactly ".q7p" (so "Wide.Q7P" would not load
        // where names are case-sensitive), and a name starting with a dot is a hidden file, not a preset.
        const auto extension = file.getFileExtension();
        const auto extensionLoads = juce::File::areFileNamesCaseSensitive() ? extension == PresetFile::fileExtension
                                                                            : extension.equalsIgnoreCase (PresetFile::fileExtension);

        if (name.isEmpty() || name.startsWithChar ('.') || ! extensionLoads)
            continue;

        Entry entry;
        entry.stamp = stampOf (file);

        if (! entry.stamp.isRegular)
            continue;

        const auto known = cache.find (file.getFileName());

        if (known != cache.end() && known->second.stamp == entry.stamp)
            entry.isPreset = known->second.isPreset;
        else
            entry.isPreset = PresetFile::read (file).isValid();

        seen[file.getFileName()] = entry;

        if (entry.isPreset)
            names.add (name);
    }

    cache = std::move (seen);
    return names;
}

juce::File UserPresetFolder::getFileForName (const juce::String& name) const
{
    if (folder == juce::File() || name.isEmpty() || name.containsAnyOf ("/\\:") || name == "." || name == "..")
        return {};

    const auto file = folder.getChildFile (name + PresetFile::fileExtension);

    if (file.getParentDirectory() != folder)
        return {};

    return file;
}

bool UserPresetFolder::Stamp::operator== (const Stamp& other) const noexcept
{
    return size == other.size && modifiedNanos == other.modifiedNanos && changedNanos == other.changedNanos
           && fileId == other.fileId && isRegular == other.isRegular;
}

UserPresetFolder::Stamp UserPresetFolder::stampOf (const juce::File& file)
{
    Stamp stamp;

#if JUCE_LINUX || JUCE_BSD
    struct stat info;

    if (::stat (file.getFullPathName().toRawUTF8(), &info) == 0)
    {
        stamp.size = (juce::int64) info.st_size;
        stamp.modifiedNanos = (juce::int64) info.st_mtim.tv_sec * 1000000000 + (juce::int64) info.st_mtim.tv_nsec;
        stamp.changedNanos = (juce::int64) info.st_ctim.tv_sec * 1000000000 + (juce::int64) info.st_ctim.tv_nsec;
        stamp.fileId = (juce::int64) info.st_ino;
        stamp.isRegular = S_ISREG (info.st_mode);
    }
#elif JUCE_MAC
    struct stat info;

    if (::stat (file.getFullPathName().toRawUTF8(), &info) == 0)
    {
        stamp.size = (juce::int64) info.st_size;
        stamp.modifiedNanos = (juce::int64) info.st_mtimespec.tv_sec * 1000000000 + (juce::int64) info.st_mtimespec.tv_nsec;
        stamp.changedNanos = (juce::int64) info.st_ctimespec.tv_sec * 1000000000 + (juce::int64) info.st_ctimespec.tv_nsec;
        stamp.fileId = (juce::int64) info.st_ino;
        stamp.isRegular = S_ISREG (info.st_mode);
    }
#else
    stamp.size = file.getSize();
    stamp.modifiedNanos = file.getLastModificationTime().toMilliseconds() * 1000000;
    stamp.changedNanos = file.getCreationTime().toMilliseconds() * 1000000;
    stamp.isRegular = file.existsAsFile();
#endif

    return stamp;
}

void UserPresetFolder::forget (const juce::File& file)
{
    cache.erase (file.getFileName());
}
