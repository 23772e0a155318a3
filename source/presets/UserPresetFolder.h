#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <map>

/** The folder of user preset files and the scan that lists the valid ones. A scan remembers, per file, its
    size and modification time and whether it read as a preset, so unchanged files are not parsed again;
    the names it returns are the same as from reading every file.
*/
class UserPresetFolder
{
public:
    UserPresetFolder() = default;

    /** The default folder "Wydenza Presets" beside the settings file. */
    static juce::File getDefaultFolder();

    /** Uses this folder from now on and creates it (with its parents) when missing; false when it does not
        exist afterwards.
    */
    bool setFolder (const juce::File& folder);
    const juce::File& getFolder() const noexcept { return folder; }

    /** Names (file names without ".q7p") of the files directly in the folder that read as presets, in the
        order the directory listing gives them.
    */
    juce::StringArray scan();

    /** The file for a preset name, or an invalid File when the name is empty or would lead outside the
        folder.
    */
    juce::File getFileForName (const juce::String& name) const;

    /** Forgets what the last scan knew about a file (after it was written). */
    void forget (const juce::File& file);

private:
    struct Stamp
    {
        juce::int64 size = -1, modifiedNanos = 0, changedNanos = 0, fileId = 0;
        bool isRegular = false;

        bool operator== (const Stamp& other) const noexcept;
    };

    struct Entry
    {
        Stamp stamp;
        bool isPreset = false;
    };

    static Stamp stampOf (const juce::File& file);

    juce::File folder;
    std::map<juce::String, Entry> cache;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UserPresetFolder)
};
