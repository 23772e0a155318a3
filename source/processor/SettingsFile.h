#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

/** The per-user settings file "Wydenza.q7properties" in the folder "ZELVORA" of the user's application-data
    folder, shared by all instances.
*/
class SettingsFile
{
public:
    static constexpr const char* heightRatioKey = "DefaultEditorDesktopHeightRatio";
    static constexpr const char* presetsFolderKey = "Presets Folder";
    static constexpr const char* signalScopeKey = "Show Signal Scope";

    /** Application name "Wydenza", suffix "q7properties", folder "ZELVORA", XML, per user. */
    static juce::PropertiesFile::Options makeOptions();

    /** The user's application-data folder: on Linux $XDG_CONFIG_HOME when set, otherwise ~/.config. */
    static juce::File getApplicationDataFolder();

    /** The folder "ZELVORA" inside the application-data folder. */
    static juce::File getMakerFolder();

    /** Where the settings file lives (JUCE's own default on Linux would be a visible ~/ZELVORA). */
    static juce::File getFileFor (const juce::PropertiesFile::Options& options);

    /** Opens the settings file; a new file is seeded with a height ratio of 0.5 and written at once. */
    static std::unique_ptr<juce::PropertiesFile> open (const juce::PropertiesFile::Options& options);

    /** A settings file the framework's reader cannot safely take is moved beside itself under the name
        "<name>.unreadable", for the user, replacing an older one; returns where it went, or File() when
        the file is missing, readable or could not be moved. */
    static juce::File setAsideIfUnreadable (const juce::File& file);

    /** Whether a settings file can be written there: through a temporary file beside it and a rename,
        so its folder has to be made or writable and the name not taken by a folder. */
    static bool canBeWritten (const juce::File& file);

    /** Stores one setting and writes the file at once, after taking in what other instances stored since
        this one read it. Every instance holds its own copy of the file: a copy left waiting to be written
        would undo, when its instance goes, whatever another instance changed meanwhile.
    */
    static void store (juce::PropertiesFile& settings, juce::StringRef key, const juce::var& value);

    /** For a process that only reads settings and presets (the offline renderer): from then on nothing is
        created, moved or saved, neither the settings file nor its folders. */
    static void setReadOnly (bool shouldBeReadOnly) noexcept;
    static bool isReadOnly() noexcept;

    /** The stored height ratio when it is greater than 0, otherwise 0.5. */
    static float readHeightRatio (juce::PropertiesFile& settings);

    /** Whether the editor shows the signal scope; off when the key is missing or holds anything but true. */
    static bool readSignalScopeShown (const juce::PropertiesFile& settings);

private:
    SettingsFile() = delete;
};
