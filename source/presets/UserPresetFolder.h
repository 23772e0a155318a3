#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** The folder of user preset files an instance uses, the scan that lists the valid ones and the reading of
    one of them. What is read is kept in the process's PresetScanCache, shared with every other instance, so
    unchanged files are not read again; the names and trees are the same as from reading every file.
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

    /** Names (file names without ".q7p") of the files directly in the folder that read as presets, in
        PresetNameOrder.
    */
    juce::StringArray scan();

    /** The preset tree of the named file (a copy of its own), or an invalid tree when it is not a preset. */
    juce::ValueTree read (const juce::File& file);

    /** The file for a preset name, or an invalid File when the name is empty or would lead outside the
        folder.
    */
    juce::File getFileForName (const juce::String& name) const;

    /** Forgets what the last scan knew about a file (after it was written). */
    void forget (const juce::File& file);

private:
    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UserPresetFolder)
};
