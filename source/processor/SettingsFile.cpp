#include "SettingsFile.h"

#include "presets/BoundedXml.h"

#include <atomic>
#include <cstdlib>

namespace
{
std::atomic<bool> readOnly { false };

/** The framework's settings class reads the file with the framework's own XML reader, which was not made
    for hostile text, and on saving it runs that reader over every stored value. A file is only handed to
    it when expat takes the document and every value that holds markup: then neither reading nor saving
    meets anything but well-formed XML without declarations, entities or instructions.
*/
bool isSafeForTheFrameworksReader (const juce::File& file)
{
    constexpr juce::int64 maxSettingsFileSize = 1 << 20;

    if (file.getSize() > maxSettingsFileSize)
        return false;

    juce::MemoryBlock bytes;

    if (! file.loadFileAsData (bytes))
        return false;

    const auto document = BoundedXml::parse (static_cast<const char*> (bytes.getData()), bytes.getSize());

    if (document == nullptr)
        return false;

    for (auto* value : document->getChildWithTagNameIterator ("VALUE"))
    {
        const auto text = value->getStringAttribute ("val").toStdString();

        if (text.find ('<') != std::string::npos && BoundedXml::parse (text.data(), text.size()) == nullptr)
            return false;
    }

    return true;
}
} // namespace

juce::PropertiesFile::Options SettingsFile::makeOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Wydenza";
    options.filenameSuffix = "q7properties";
    options.folderName = "ZELVORA";
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = false;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.millisecondsBeforeSaving = 3000;
    options.doNotSave = readOnly.load();
    return options;
}

void SettingsFile::setReadOnly (bool shouldBeReadOnly) noexcept
{
    readOnly.store (shouldBeReadOnly);
}

bool SettingsFile::isReadOnly() noexcept
{
    return readOnly.load();
}

juce::File SettingsFile::getApplicationDataFolder()
{
#if JUCE_LINUX || JUCE_BSD
    // JUCE's own lookup ignores the environment variable; the XDG rules say it wins when absolute.
    if (const auto* configHome = std::getenv ("XDG_CONFIG_HOME"))
    {
        const auto path = juce::String::fromUTF8 (configHome);

        if (juce::File::isAbsolutePath (path))
            return juce::File (path);
    }
#endif

    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory);
}

juce::File SettingsFile::getMakerFolder()
{
    return getApplicationDataFolder().getChildFile ("ZELVORA");
}

juce::File SettingsFile::getFileFor (const juce::PropertiesFile::Options& options)
{
#if JUCE_LINUX || JUCE_BSD
    return getApplicationDataFolder()
        .getChildFile (options.folderName)
        .getChildFile (options.applicationName + "." + options.filenameSuffix);
#else
    return options.getDefaultFile();
#endif
}

std::unique_ptr<juce::PropertiesFile> SettingsFile::open (const juce::PropertiesFile::Options& options)
{
    const auto file = getFileFor (options);

    // Read-only, only a file the framework's reader can take is read, and nothing is written (doNotSave).
    if (readOnly.load())
        return std::make_unique<juce::PropertiesFile> (file.existsAsFile() && isSafeForTheFrameworksReader (file) ? file : juce::File(), options);

    // An unusable file is kept beside, for the user, and the settings start afresh.
    setAsideIfUnreadable (file);

    const auto isNew = ! file.existsAsFile();

    // The file is written later; its folder has to exist by then.
    file.getParentDirectory().createDirectory();

    auto settings = std::make_unique<juce::PropertiesFile> (file, options);

    if (isNew)
        store (*settings, heightRatioKey, 0.5);

    return settings;
}

juce::File SettingsFile::setAsideIfUnreadable (const juce::File& file)
{
    if (! file.existsAsFile() || isSafeForTheFrameworksReader (file))
        return {};

    const auto keptAs = file.withFileExtension (file.getFileExtension().substring (1) + ".unreadable");
    return file.moveFileTo (keptAs) ? keptAs : juce::File();
}

bool SettingsFile::canBeWritten (const juce::File& file)
{
    if (file.isDirectory() || ! file.getParentDirectory().createDirectory().wasOk())
        return false;

    const juce::TemporaryFile probe (file);
    return probe.getFile().create().wasOk();
}

void SettingsFile::store (juce::PropertiesFile& settings, juce::StringRef key, const juce::var& value)
{
    if (readOnly.load())
    {
        settings.setValue (key, value);
        return;
    }

    const auto file = settings.getFile();

    if (file.existsAsFile() && isSafeForTheFrameworksReader (file))
        settings.reload();

    settings.setValue (key, value);
    settings.setNeedsToBeSaved (true);
    settings.saveIfNeeded();
}

float SettingsFile::readHeightRatio (juce::PropertiesFile& settings)
{
    const auto ratio = (float) settings.getDoubleValue (heightRatioKey, 0.5);
    return ratio > 0.0f && std::isfinite (ratio) ? ratio : 0.5f;
}

bool SettingsFile::readSignalScopeShown (const juce::PropertiesFile& settings)
{
    return settings.getBoolValue (signalScopeKey, false);
}
