#include "UserPresetFolder.h"

#include "PresetFile.h"
#include "PresetScanCache.h"
#include "processor/SettingsFile.h"

juce::File UserPresetFolder::getDefaultFolder()
{
    return SettingsFile::getMakerFolder().getChildFile ("Wydenza Presets");
}

bool UserPresetFolder::setFolder (const juce::File& newFolder)
{
    folder = newFolder;

    if (folder == juce::File())
        return false;

    if (! folder.isDirectory() && ! SettingsFile::isReadOnly())
        folder.createDirectory();

    return folder.isDirectory();
}

juce::StringArray UserPresetFolder::scan()
{
    if (folder == juce::File())
        return {};

    return PresetScanCache::getInstance().scan (folder);
}

juce::ValueTree UserPresetFolder::read (const juce::File& file)
{
    return PresetScanCache::getInstance().read (file);
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

void UserPresetFolder::forget (const juce::File& file)
{
    PresetScanCache::getInstance().forget (file);
}
